#include "draw/gdi_canvas_win.h"

#include "draw/draw_win.h"
#include "win/gdi_scope_win.h"
#include "win/wide_win.h"

namespace {

RECT toRect(const Rect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }

}  // namespace

UINT drawTextFlags(TextFlags flags) {
  UINT out = DT_LEFT | DT_TOP;
  if (flags & kTextRight) out |= DT_RIGHT;
  if (flags & kTextCenter) out |= DT_CENTER;
  if (flags & kTextVCenter) out |= DT_VCENTER;
  if (flags & kTextSingleLine) out |= DT_SINGLELINE;
  if (flags & kTextEndEllipsis) out |= DT_END_ELLIPSIS;
  if (flags & kTextPathEllipsis) out |= DT_PATH_ELLIPSIS;
  if (flags & kTextWordBreak) out |= DT_WORDBREAK;
  if (flags & kTextNoPrefix) out |= DT_NOPREFIX;
  return out;
}

GdiCanvas::GdiCanvas(HDC dc, const CanvasFonts& fonts)
    : dc_(dc), fonts_(fonts), previousBkMode_(SetBkMode(dc, TRANSPARENT)) {}

GdiCanvas::~GdiCanvas() {
  if (previousBkMode_) SetBkMode(dc_, previousBkMode_);
}

HFONT GdiCanvas::fontFor(FontRole f) const {
  HFONT font = nullptr;
  switch (f) {
    case FontRole::Title: font = fonts_.title; break;
    case FontRole::Body: font = fonts_.body; break;
    case FontRole::BodyBold: font = fonts_.bodyBold; break;
    case FontRole::Small: font = fonts_.small; break;
    case FontRole::Italic: font = fonts_.italic; break;
  }
  return font ? font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

void GdiCanvas::fillRect(Rect r, Color c) {
  if (rectIsEmpty(r) || c == kNoColor) return;
  GdiBrush brush(CreateSolidBrush(c));
  if (!brush) return;
  RECT rc = toRect(r);
  FillRect(dc_, &rc, brush.get());
}

void GdiCanvas::frameRect(Rect r, Color c) {
  if (rectIsEmpty(r) || c == kNoColor) return;
  GdiBrush brush(CreateSolidBrush(c));
  if (!brush) return;
  RECT rc = toRect(r);
  FrameRect(dc_, &rc, brush.get());
}

void GdiCanvas::gradientBar(Rect r, double fraction, Color from, Color to) {
  if (fraction > 1.0) fraction = 1.0;
  fillGradientBar(dc_, toRect(r), fraction, from, to);
}

void GdiCanvas::roundRect(Rect r, int32_t corner, Color fill, Color outline) {
  if (rectIsEmpty(r)) return;
  GdiBrush brush(fill == kNoColor ? nullptr : CreateSolidBrush(fill));
  GdiPen pen(outline == kNoColor ? nullptr : CreatePen(PS_SOLID, 1, outline));
  SelectScope useBrush(dc_, brush ? static_cast<HGDIOBJ>(brush.get()) : GetStockObject(HOLLOW_BRUSH));
  SelectScope usePen(dc_, pen ? static_cast<HGDIOBJ>(pen.get()) : GetStockObject(NULL_PEN));
  RoundRect(dc_, r.left, r.top, r.right, r.bottom, corner, corner);
}

void GdiCanvas::polygon(const Point* points, int32_t count, Color c) {
  if (!points || count < 3 || count > 64 || c == kNoColor) return;
  POINT pts[64];
  for (int32_t i = 0; i < count; ++i) pts[i] = POINT{points[i].x, points[i].y};
  fillPolygon(dc_, pts, count, c);
}

void GdiCanvas::line(int32_t x0, int32_t y0, int32_t x1, int32_t y1, Color c) {
  if (c == kNoColor) return;
  GdiPen pen(CreatePen(PS_SOLID, 1, c));
  if (!pen) return;
  SelectScope usePen(dc_, pen.get());
  POINT old;
  MoveToEx(dc_, x0, y0, &old);
  LineTo(dc_, x1, y1);
  MoveToEx(dc_, old.x, old.y, nullptr);
}

void GdiCanvas::text(Rect r, const char16_t* s, FontRole f, Color c, TextFlags flags) {
  if (!s || !*s || rectIsEmpty(r)) return;
  SelectScope useFont(dc_, fontFor(f));
  TextColorScope color(dc_, c);
  RECT rc = toRect(r);
  DrawTextW(dc_, W(s), -1, &rc, drawTextFlags(flags));
}

int32_t GdiCanvas::textWidth(const char16_t* s, FontRole f) {
  if (!s || !*s) return 0;
  SelectScope useFont(dc_, fontFor(f));
  SIZE size = {};
  if (!GetTextExtentPoint32W(dc_, W(s), lstrlenW(W(s)), &size)) return 0;
  return size.cx;
}

void GdiCanvas::icon(Rect r, IconHandle icon) {
  if (!icon || rectIsEmpty(r)) return;
  DrawIconEx(dc_, r.left, r.top, static_cast<HICON>(icon), r.right - r.left, r.bottom - r.top, 0,
             nullptr, DI_NORMAL);
}

void GdiCanvas::glyph(GlyphKind g, int32_t x, int32_t y, int32_t size, Color c, Color window) {
  switch (g) {
    case GlyphKind::Folder: drawFolderGlyph(dc_, x, y, size, c); break;
    case GlyphKind::Document: drawDocumentGlyph(dc_, x, y, size, c); break;
    case GlyphKind::Program: drawProgramGlyph(dc_, x, y, size, c, window); break;
    case GlyphKind::Magnifier: drawMagnifierGlyph(dc_, x, y, size); break;
  }
}

void GdiCanvas::clip(Rect r) {
  // SelectClipRgn copies the region, so ours goes at the end of this call.
  GdiRegion region(CreateRectRgn(r.left, r.top, r.right, r.bottom));
  if (region) SelectClipRgn(dc_, region.get());
}

void GdiCanvas::clipRoundRect(Rect r, int32_t corner) {
  GdiRegion region(CreateRoundRectRgn(r.left, r.top, r.right, r.bottom, corner, corner));
  if (region) SelectClipRgn(dc_, region.get());
}

void GdiCanvas::unclip() { SelectClipRgn(dc_, nullptr); }
