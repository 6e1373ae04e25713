// The About box's texts and geometry, as functions of the screen's DPI and the
// measured text widths, so the arrangement at any scale is tested natively.
#pragma once
#include <cstddef>
#include <cstdint>

#include "draw/canvas.h"

extern const char16_t kAboutProductName[];  // "Morvane Storage Analysis"
extern const char16_t kAboutHostLine[];     // "Total Commander Lister Plugin"
extern const char16_t kAboutLinkText[];     // the web address line
extern const char16_t kAboutCaption[];      // "About Morvane"
extern const char16_t kAboutVersion[];      // "2.0b"
constexpr int32_t kAboutBaseYear = 2025;    // first year of the credit line
constexpr int kAboutOkId = 500;

// "Version:  2.0b" (two blanks after the colon), cut to cap.
size_t formatAboutVersion(char16_t* out, size_t cap);
// The credit line; "2025-<year>" once the local clock is past the base year,
// the base year alone otherwise (also for a clock set back). Cut to cap.
size_t formatAboutCredit(int32_t year, char16_t* out, size_t cap);

// Pixel widths of the five texts as measured with their fonts.
struct AboutTextWidths {
  int32_t title, hostLine, version, credit, link;
};

struct AboutLayout {
  int32_t scale;  // per cent of 96 dpi
  int32_t margin;
  int32_t iconX, iconY, iconSize;
  Rect title, hostLine, version, credit, link;
  Point separatorFrom, separatorTo;  // the etched line; its highlight runs one pixel below
  Rect okButton;
  int32_t clientWidth, clientHeight;
};

int32_t aboutScale(int32_t dpi);
AboutLayout layoutAboutBox(int32_t dpi, const AboutTextWidths& widths);

// The window rectangle of a width x height window centred on owner.
Rect centreOn(const Rect& owner, int32_t width, int32_t height);
