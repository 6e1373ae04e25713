// A Canvas that writes one line per drawing call, so a native test compares
// the text of a frame, or of the lines it cares about:
//   text 16,10,820,30 Title #3B82F6 'Morvane Storage Analysis' single|noprefix
// Colours are written #RRGGBB. Text is measured at charWidth pixels a unit
// (twice that in the title font), so layouts are predictable.
#pragma once
#include <string>
#include <vector>

#include "draw/canvas.h"

std::string colorText(Color c);
std::string rectText(Rect r);
std::string pointText(int32_t x, int32_t y);  // "x,y"

class RecordingCanvas : public Canvas {
 public:
  std::vector<std::string> lines;
  int32_t charWidth = 7;

  void fillRect(Rect r, Color c) override { lines.push_back("fill " + rectText(r) + " " + colorText(c)); }
  void frameRect(Rect r, Color c) override { lines.push_back("frame " + rectText(r) + " " + colorText(c)); }
  void gradientBar(Rect r, double fraction, Color from, Color to) override;
  void roundRect(Rect r, int32_t corner, Color fill, Color outline) override {
    lines.push_back("roundrect " + rectText(r) + " " + std::to_string(corner) + " " + colorText(fill) + " " +
                    colorText(outline));
  }
  void polygon(const Point* points, int32_t count, Color c) override;
  void line(int32_t x0, int32_t y0, int32_t x1, int32_t y1, Color c) override {
    lines.push_back("line " + pointText(x0, y0) + " " + pointText(x1, y1) + " " + colorText(c));
  }
  void text(Rect r, const char16_t* s, FontRole f, Color c, TextFlags flags) override;
  int32_t textWidth(const char16_t* s, FontRole f) override;
  void icon(Rect r, IconHandle icon) override;
  void glyph(GlyphKind g, int32_t x, int32_t y, int32_t size, Color c, Color window) override;
  void clip(Rect r) override { lines.push_back("clip " + rectText(r)); }
  void clipRoundRect(Rect r, int32_t corner) override {
    lines.push_back("cliproundrect " + rectText(r) + " " + std::to_string(corner));
  }
  void unclip() override { lines.push_back("unclip"); }
};
