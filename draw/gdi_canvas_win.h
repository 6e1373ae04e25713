// The Canvas over a GDI device context (the double buffer's memory DC). Each
// call draws at once; the pens, brushes and regions it needs are made,
// selected, restored and deleted within that call, so the device context is
// left as it was found between calls.
#pragma once
#include <windows.h>

#include "draw/canvas.h"

// The fonts of the five roles; a null font falls back to the stock GUI font.
struct CanvasFonts {
  HFONT title, body, bodyBold, small, italic;
};

class GdiCanvas : public Canvas {
 public:
  GdiCanvas(HDC dc, const CanvasFonts& fonts);
  ~GdiCanvas() override;
  GdiCanvas(const GdiCanvas&) = delete;
  GdiCanvas& operator=(const GdiCanvas&) = delete;

  void fillRect(Rect r, Color c) override;
  void frameRect(Rect r, Color c) override;
  void gradientBar(Rect r, double fraction, Color from, Color to) override;
  void roundRect(Rect r, int32_t corner, Color fill, Color outline) override;
  void polygon(const Point* points, int32_t count, Color c) override;
  void line(int32_t x0, int32_t y0, int32_t x1, int32_t y1, Color c) override;
  void text(Rect r, const char16_t* s, FontRole f, Color c, TextFlags flags) override;
  int32_t textWidth(const char16_t* s, FontRole f) override;
  void icon(Rect r, IconHandle icon) override;
  void glyph(GlyphKind g, int32_t x, int32_t y, int32_t size, Color c, Color window) override;
  void clip(Rect r) override;
  void clipRoundRect(Rect r, int32_t corner) override;
  void unclip() override;

 private:
  HFONT fontFor(FontRole f) const;
  HDC dc_;
  CanvasFonts fonts_;
  int previousBkMode_;
};

// DrawTextW flags for the canvas's text flags.
UINT drawTextFlags(TextFlags flags);
