#include "draw/draw_win.h"

#include "draw/colors.h"
#include "win/gdi_scope_win.h"

namespace {

void fillSolid(HDC dc, int left, int top, int right, int bottom, COLORREF color) {
  GdiBrush brush(CreateSolidBrush(color));
  if (!brush) return;
  RECT r = {left, top, right, bottom};
  FillRect(dc, &r, brush.get());
}

void documentPolygon(HDC dc, const GlyphBox& g, COLORREF color) {
  int c = static_cast<int>(0.35 * g.s);
  POINT pts[5] = {{g.x0, g.y0},
                  {g.x0 + g.s - c, g.y0},
                  {g.x0 + g.s, g.y0 + c},
                  {g.x0 + g.s, g.y0 + g.s},
                  {g.x0, g.y0 + g.s}};
  fillPolygon(dc, pts, 5, color);
}

}  // namespace

void fillPolygon(HDC dc, const POINT* points, int count, COLORREF color) {
  if (!points || count < 3) return;
  GdiBrush brush(CreateSolidBrush(color));
  GdiPen pen(CreatePen(PS_SOLID, 1, color));
  if (!brush || !pen) return;
  SelectScope useBrush(dc, brush.get());
  SelectScope usePen(dc, pen.get());
  Polygon(dc, points, count);
}

void fillGradientBar(HDC dc, const RECT& rect, double fraction, COLORREF start, COLORREF end) {
  int width = rect.right - rect.left;
  if (rect.bottom <= rect.top) return;
  int n = gradientBarColumns(width, fraction);
  if (n <= 0) return;
  for (int x = 0; x < n;) {
    GradientBand band = gradientBandAt(x, n, width, start, end);
    fillSolid(dc, rect.left + band.from, rect.top, rect.left + band.to, rect.bottom, band.color);
    x = band.to;
  }
}

void drawFolderGlyph(HDC dc, int x, int y, int size, COLORREF color) {
  GlyphBox g = glyphBox(x, y, size);
  if (g.s <= 0) return;
  int tabHeight = static_cast<int>(0.2 * g.s);
  GdiBrush brush(CreateSolidBrush(color));
  if (!brush) return;
  RECT tab = {g.x0, g.y0, g.x0 + static_cast<int>(0.55 * g.s), g.y0 + tabHeight + 1};
  RECT body = {g.x0, g.y0 + tabHeight, g.x0 + g.s, g.y0 + g.s};
  FillRect(dc, &tab, brush.get());
  FillRect(dc, &body, brush.get());
}

void drawDocumentGlyph(HDC dc, int x, int y, int size, COLORREF color) {
  GlyphBox g = glyphBox(x, y, size);
  if (g.s <= 0) return;
  documentPolygon(dc, g, color);
}

void drawProgramGlyph(HDC dc, int x, int y, int size, COLORREF color, COLORREF windowColor) {
  GlyphBox g = glyphBox(x, y, size);
  if (g.s <= 0) return;
  documentPolygon(dc, g, color);
  int left = g.x0 + static_cast<int>(0.14 * g.s);
  int top = g.y0 + static_cast<int>(0.32 * g.s);
  int w = static_cast<int>(0.66 * g.s);
  int h = static_cast<int>(0.44 * g.s);
  if (w <= 2) w = 2;
  if (h <= 2) h = 2;
  fillSolid(dc, left, top, left + w, top + h, windowColor);
  int bar = static_cast<int>(0.34 * h);
  if (bar < 2) bar = 1;
  fillSolid(dc, left, top, left + w, top + bar, color);
}

void drawMagnifierGlyph(HDC dc, int x, int y, int size) {
  int d = static_cast<int>(0.72 * size);
  if (d <= 0) return;
  int penWidth = static_cast<int>(0.26 * d);
  if (penWidth < 2) penWidth = 1;
  GdiPen pen(CreatePen(PS_SOLID, penWidth, RGB(255, 106, 0)));
  if (!pen) return;
  SelectScope usePen(dc, pen.get());
  SelectScope hollow(dc, GetStockObject(HOLLOW_BRUSH));
  Ellipse(dc, x, y, x + d, y + d);
  int o = static_cast<int>(0.84 * d);
  int len = static_cast<int>(0.34 * size);
  POINT oldPos;
  MoveToEx(dc, x + o, y + o, &oldPos);
  LineTo(dc, x + o + len, y + o + len);
  MoveToEx(dc, oldPos.x, oldPos.y, nullptr);
}
