// The treemap painted by GDI in each of its four styles and read back at a few
// pixels: fills, gaps, the soft bevel, the gradient's clip, bands and outline,
// and the Others cell's outline.
#include <gtest/gtest.h>
#include <windows.h>

#include <set>

#include "draw/colors.h"
#include "draw/gdi_canvas_win.h"
#include "treemap/treemap_colors.h"
#include "treemap/treemap_paint.h"
#include "win/bitmap_capture_win.h"

namespace {

constexpr COLORREF kBack = RGB(42, 42, 42);
constexpr COLORREF kMap = RGB(62, 146, 166);
constexpr int kW = 200, kH = 120;

struct Bitmap {
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = nullptr;
  HGDIOBJ old = nullptr;
  uint32_t* bits = nullptr;
  Bitmap() {
    void* p = nullptr;
    bitmap = createTopDownDib(dc, kW, kH, &p);
    bits = static_cast<uint32_t*>(p);
    old = SelectObject(dc, bitmap);
    for (int i = 0; i < kW * kH; ++i) bits[i] = captureColor(kBack);
  }
  ~Bitmap() {
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
  uint32_t at(int x, int y) {
    GdiFlush();
    return bits[y * kW + x];
  }
};

// Passes every call on to the GDI canvas and counts the fills.
struct CountingCanvas : Canvas {
  Canvas& to;
  int fills = 0;
  explicit CountingCanvas(Canvas& c) : to(c) {}
  void fillRect(Rect r, Color c) override { ++fills; to.fillRect(r, c); }
  void frameRect(Rect r, Color c) override { to.frameRect(r, c); }
  void gradientBar(Rect r, double f, Color a, Color b) override { to.gradientBar(r, f, a, b); }
  void roundRect(Rect r, int32_t k, Color f, Color o) override { to.roundRect(r, k, f, o); }
  void polygon(const Point* p, int32_t n, Color c) override { to.polygon(p, n, c); }
  void line(int32_t a, int32_t b, int32_t c, int32_t d, Color k) override { to.line(a, b, c, d, k); }
  void text(Rect r, const char16_t* s, FontRole f, Color c, TextFlags t) override { to.text(r, s, f, c, t); }
  int32_t textWidth(const char16_t* s, FontRole f) override { return to.textWidth(s, f); }
  void icon(Rect r, IconHandle i) override { to.icon(r, i); }
  void glyph(GlyphKind g, int32_t x, int32_t y, int32_t s, Color c, Color w) override {
    to.glyph(g, x, y, s, c, w);
  }
  void clip(Rect r) override { to.clip(r); }
  void clipRoundRect(Rect r, int32_t k) override { to.clipRoundRect(r, k); }
  void unclip() override { to.unclip(); }
};

// Two cells side by side: a real item and the Others item.
struct Scene {
  ScanItem item{};
  TreemapLayoutState layout{};
  TreemapCell cells[2];
  Scene() {
    item.size = 2;
    layout.othersItem.size = 1;
    cells[0] = TreemapCell{0, 0, 120, 120, &item};
    cells[1] = TreemapCell{120, 0, 200, 120, &layout.othersItem};
    layout.treemapCells = cells;
    layout.treemapCellCount = 2;
  }
};

TreemapPaintInput inputFor(const TreemapLayoutState* layout, int32_t style) {
  TreemapPaintInput in{};
  in.layout = layout;
  in.style.fancyMapStyle = style;
  in.style.treeMapColor = kMap;
  in.style.backgroundColor = kBack;
  in.style.bodyTextHeight = 16;
  in.style.iconSize = 16;
  in.style.dpiScalePercent = 100;
  in.hoverCell = -1;
  return in;
}

}  // namespace

TEST(TreemapGdi, EachStyleAtAFewPixels) {
  const uint32_t lastFade = blendColor(kMap, kBack, 0.8);
  const struct { int32_t style; uint32_t first, second; } rows[] = {
      {kMapFlat, kMap, lastFade},
      {kMapColor, kMap, rotateHue(kMap, 137.5)},
      {kMapSoft, blendColor(kMap, kBack, 0.16), blendColor(lastFade, kBack, 0.16)},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.style);
    Scene scene;
    Bitmap bmp;
    GdiCanvas canvas(bmp.dc, CanvasFonts{});
    paintTreemap(canvas, inputFor(&scene.layout, r.style), 0);
    EXPECT_EQ(bmp.at(60, 60), captureColor(r.first));
    EXPECT_EQ(bmp.at(160, 60), captureColor(r.second));
    // The gap around every cell stays background.
    for (int x : {0, 1, 118, 119, 120, 121, 198, 199}) EXPECT_EQ(bmp.at(x, 60), captureColor(kBack)) << x;
    // The Others cell's outline.
    EXPECT_EQ(bmp.at(122, 60), captureColor(kMap));
    if (r.style == kMapSoft) {
      // The bevel: light along the top, dark along the right, both from the
      // softened colour; the Others cell has none.
      EXPECT_EQ(bmp.at(60, 2), captureColor(bevelLightColor(r.first)));
      EXPECT_EQ(bmp.at(2, 60), captureColor(bevelLightColor(r.first)));
      EXPECT_EQ(bmp.at(60, 117), captureColor(bevelDarkColor(r.first)));
      EXPECT_EQ(bmp.at(117, 60), captureColor(bevelDarkColor(r.first)));
      EXPECT_EQ(bmp.at(160, 2), captureColor(kMap));
    } else {
      EXPECT_EQ(bmp.at(60, 2), captureColor(r.first));
    }
  }
}

TEST(TreemapGdi, GradientFillsOneRectanglePerRunInsideTheRoundedClip) {
  Scene scene;
  scene.cells[1].item = &scene.item;  // two plain cells: the outline is the cell's own
  Bitmap bmp;
  GdiCanvas gdi(bmp.dc, CanvasFonts{});
  CountingCanvas canvas(gdi);
  paintTreemap(canvas, inputFor(&scene.layout, kMapGradient), 0);

  // Cell 0: inner 2..118 (116 rows), from (82, 166, 186) down to (46, 130, 150).
  const uint32_t top = gradientTopColor(kMap), bottom = gradientBottomColor(kMap);
  std::set<uint32_t> runs;
  for (int j = 0; j < 116; ++j) runs.insert(gradientColumnColor(top, bottom, j, 116));
  const uint32_t second = blendColor(kMap, kBack, 0.8);
  const uint32_t top2 = gradientTopColor(second), bottom2 = gradientBottomColor(second);
  std::set<uint32_t> runs2;
  for (int j = 0; j < 116; ++j) runs2.insert(gradientColumnColor(top2, bottom2, j, 116));
  EXPECT_EQ(canvas.fills, static_cast<int>(runs.size() + runs2.size()));

  for (int y : {10, 40, 80, 110})
    EXPECT_EQ(bmp.at(60, y), captureColor(gradientColumnColor(top, bottom, y - 2, 116))) << y;
  EXPECT_EQ(bmp.at(2, 60), captureColor(gradientOutlineColor(kMap)));  // the outline
  EXPECT_EQ(bmp.at(2, 2), captureColor(kBack));  // the clipped corner
  EXPECT_EQ(bmp.at(119, 60), captureColor(kBack));
}
