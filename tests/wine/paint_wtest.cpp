// What only real GDI shows: the pixels of each GdiCanvas primitive (the
// glyph shapes live only in the Win32 layer), a whole panel painted through
// the window's paint glue, and the GDI objects a paint makes all deleted again.
#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "draw/colors.h"
#include "draw/gdi_canvas_win.h"
#include "tests/support/gdi_tally_win.h"
#include "tests/support/plugin_host_win.h"
#include "view/layout.h"
#include "view/list_paint.h"
#include "view/panel_record_win.h"
#include "win/bitmap_capture_win.h"

namespace {

constexpr COLORREF kBack = RGB(1, 2, 3);
constexpr COLORREF kInk = RGB(200, 40, 10);
constexpr COLORREF kWindow = RGB(240, 250, 20);
constexpr COLORREF kOrange = RGB(255, 106, 0);

// A 32-bit top-down bitmap in its own memory DC, read back pixel by pixel.
struct Surface {
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap;
  HGDIOBJ old;
  uint32_t* bits = nullptr;
  int w, h;
  Surface(int width, int height) : w(width), h(height) {
    void* p = nullptr;
    bitmap = createTopDownDib(dc, w, h, &p);
    bits = static_cast<uint32_t*>(p);
    old = SelectObject(dc, bitmap);
    clear();
  }
  ~Surface() {
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
  void clear() {
    GdiFlush();
    for (int i = 0; i < w * h; ++i) bits[i] = captureColor(kBack);
  }
  COLORREF at(int x, int y) {
    GdiFlush();
    const uint32_t v = bits[y * w + x];
    return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
  }
  int count(COLORREF c) {
    int n = 0;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) n += at(x, y) == c;
    return n;
  }
};

// What a primitive must leave behind: the selections, text colour and pen position.
struct DcState {
  HGDIOBJ pen, brush, font;
  COLORREF text;
  POINT pos{};
  explicit DcState(HDC dc)
      : pen(GetCurrentObject(dc, OBJ_PEN)), brush(GetCurrentObject(dc, OBJ_BRUSH)),
        font(GetCurrentObject(dc, OBJ_FONT)), text(GetTextColor(dc)) {
    GetCurrentPositionEx(dc, &pos);
  }
  bool operator==(const DcState& o) const {
    return pen == o.pen && brush == o.brush && font == o.font && text == o.text && pos.x == o.pos.x &&
           pos.y == o.pos.y;
  }
};

struct Px {
  int x, y;
  COLORREF want;
};

}  // namespace

TEST(GdiCanvas, EachPrimitivePaintsWhereItSaysAndLeavesTheDcAsFound) {
  Surface s(100, 40);
  GdiCanvas c(s.dc, CanvasFonts{});
  const DcState before(s.dc);
  struct Case {
    const char* what;
    void (*draw)(Canvas&);
    int inkPixels;  // pixels of kInk; -1: not counted
    std::vector<Px> probes;
  } cases[] = {
      {"fill", [](Canvas& k) { k.fillRect(Rect{10, 5, 20, 9}, kInk); }, 40,
       {{10, 5, kInk}, {19, 8, kInk}, {20, 5, kBack}, {10, 9, kBack}}},
      {"frame", [](Canvas& k) { k.frameRect(Rect{10, 5, 20, 15}, kInk); }, 36,
       {{10, 5, kInk}, {19, 14, kInk}, {15, 10, kBack}, {20, 5, kBack}}},
      // The bar's column count and clamping are proven natively; here the glue draws it.
      {"half bar", [](Canvas& k) { k.gradientBar(Rect{0, 0, 100, 4}, 0.5, RGB(0, 0, 0), RGB(200, 100, 50)); }, -1,
       {{0, 0, RGB(0, 0, 0)}, {49, 3, RGB(98, 49, 24)}, {50, 0, kBack}}},
      {"round rect", [](Canvas& k) { k.roundRect(Rect{10, 5, 40, 25}, 5, kInk, RGB(0, 0, 255)); }, -1,
       {{25, 15, kInk}, {10, 5, kBack}, {41, 15, kBack}, {25, 26, kBack}}},
      {"polygon", [](Canvas& k) {
         const Point tri[3] = {{10, 10}, {30, 10}, {20, 20}};
         k.polygon(tri, 3, kInk);
       }, -1, {{20, 12, kInk}, {10, 10, kInk}, {12, 18, kBack}, {20, 22, kBack}}},
      {"line", [](Canvas& k) { k.line(5, 7, 15, 7, kInk); }, 10,
       {{5, 7, kInk}, {14, 7, kInk}, {15, 7, kBack}, {5, 8, kBack}}},
      // Folder 16: tab [2,8)x[2,5), body [2,14)x[4,14).
      {"folder", [](Canvas& k) { k.glyph(GlyphKind::Folder, 0, 0, 16, kInk, 0); }, 6 * 3 + 12 * 10 - 6,
       {{2, 2, kInk}, {7, 2, kInk}, {8, 2, kBack}, {8, 4, kInk}, {13, 13, kInk}, {14, 13, kBack}, {13, 14, kBack}}},
      // Document 16: (2,2) (10,2) (14,6) (14,14) (2,14), the top right corner cut.
      {"document", [](Canvas& k) { k.glyph(GlyphKind::Document, 0, 0, 16, kInk, 0); }, -1,
       {{2, 2, kInk}, {13, 10, kInk}, {3, 13, kInk}, {13, 2, kBack}, {1, 8, kBack}, {15, 8, kBack}, {8, 15, kBack}}},
      // Program 16: window [3,10)x[5,10) in the window colour under a one-row title bar.
      {"program", [](Canvas& k) { k.glyph(GlyphKind::Program, 0, 0, 16, kInk, kWindow); }, -1,
       {{3, 5, kInk}, {9, 5, kInk}, {3, 6, kWindow}, {9, 9, kWindow}, {10, 9, kInk}, {3, 10, kInk}}},
      // Magnifier 16: a hollow ring in [0,11), the handle toward (14,14).
      {"magnifier", [](Canvas& k) { k.glyph(GlyphKind::Magnifier, 0, 0, 16, kInk, 0); }, -1,
       {{5, 5, kBack}, {5, 0, kOrange}, {0, 5, kOrange}, {12, 12, kOrange}, {17, 17, kBack}}},
      {"glyphs too small to draw", [](Canvas& k) {
         k.glyph(GlyphKind::Folder, 0, 0, 2, kInk, 0);
         k.glyph(GlyphKind::Document, 0, 0, 0, kInk, 0);
         k.glyph(GlyphKind::Program, 0, 0, -5, kInk, kWindow);
         k.glyph(GlyphKind::Magnifier, 0, 0, 1, kInk, 0);
       }, 0, {{0, 0, kBack}, {1, 1, kBack}}},
      {"clipped fill", [](Canvas& k) {
         k.clip(Rect{10, 10, 20, 20});
         k.fillRect(Rect{0, 0, 100, 40}, kInk);
         k.unclip();
       }, 100, {{10, 10, kInk}, {19, 19, kInk}, {9, 10, kBack}, {20, 19, kBack}}},
      {"fill clipped to a rounded box", [](Canvas& k) {
         k.clipRoundRect(Rect{10, 5, 40, 25}, 5);
         k.fillRect(Rect{0, 0, 100, 40}, kInk);
         k.unclip();
       }, -1, {{25, 15, kInk}, {10, 5, kBack}, {9, 15, kBack}, {45, 15, kBack}}},
  };
  for (const Case& k : cases) {
    s.clear();
    k.draw(c);
    if (k.inkPixels >= 0) {
      EXPECT_EQ(s.count(kInk), k.inkPixels) << k.what;
    }
    for (const Px& p : k.probes) EXPECT_EQ(s.at(p.x, p.y), p.want) << k.what << " at " << p.x << "," << p.y;
    EXPECT_TRUE(DcState(s.dc) == before) << k.what;
  }
  // After unclip the whole surface paints again.
  s.clear();
  c.fillRect(Rect{0, 0, 100, 40}, kInk);
  EXPECT_EQ(s.count(kInk), 4000);
}

// The plugin library's own GDI calls are counted (the test program's are not:
// counting them would route the counters through themselves).
TEST(PanelPaint, PaintsBackgroundHeaderAndBarsAndTwoHundredPaintsGiveBackEveryGdiObject) {
  LoadedPlugin plugin = loadPlugin();
  ASSERT_TRUE(plugin.module && plugin.listLoadW);
  ASSERT_TRUE(countGdiObjectsOf(plugin.module));
  const std::wstring folder = makeTempFolder(L"mvpaint");
  for (int i = 0; i < 60; ++i) writeFile(folder + L"\\f" + std::to_wstring(i) + L".bin", 100 * (i + 1));
  CreateDirectoryW((folder + L"\\sub").c_str(), nullptr);
  HWND host = createHostWindow(900, 600);
  HWND panel = plugin.listLoadW(host, &std::wstring(folder)[0], 0);
  ASSERT_NE(panel, nullptr);
  ASSERT_TRUE(waitForScanFinished(panel, 20000));
  CapturedBitmap shot;
  ASSERT_TRUE(captureWindow(panel, &shot));  // the first paint makes the cached widths
  {  // Through the window's paint glue: background, scrollbar track, header band, first bar column.
    const PanelRecord* rec = panelRecordOf(panel);
    ASSERT_NE(rec, nullptr);
    const ColorSet& col = rec->settings.colors;
    const LayoutMetrics m = layoutMetricsOf(rec->settings);
    const VerticalBands bands = layoutBands(m, false);
    EXPECT_EQ(shot.at(2, 2), captureColor(col.backgroundColor));
    EXPECT_EQ(shot.at(shot.width - 1, 300),
              captureColor(shiftColor(col.backgroundColor, colorIsDark(col.backgroundColor) ? 15 : -15)));
    EXPECT_EQ(shot.at(layoutScale(m, 16) + 1, bands.headerTop + layoutScale(m, 1)), captureColor(col.headerBarColor));
    const RowColumns cols = layoutRowColumns(m, shot.width, rec->view.scrollMax, 0, rec->view.sizeColumnWidth);
    const int32_t barLeft = cols.iconLeft + layoutScale(m, m.iconColumnWidth - 4);
    const int32_t y = rowTop(m, bands.listTop, 0, 0) + 1;
    EXPECT_EQ(shot.at(barLeft, y), captureColor(col.barStartColor));
    EXPECT_EQ(shot.at(barLeft - 1, y), captureColor(col.backgroundColor));
  }
  const GdiTally before = gdiTally();
  for (int i = 0; i < 200; ++i) {
    // Scroll a little each time, so rows come and go.
    SendMessageW(panel, WM_MOUSEWHEEL, MAKEWPARAM(0, i % 20 < 10 ? -120 : 120), 0);
    ASSERT_TRUE(captureWindow(panel, &shot));
  }
  const GdiTally after = gdiTally();
  EXPECT_GT(after.created - before.created, 200);  // the buffer of each paint at least
  EXPECT_EQ(after.created - before.created, after.deleted - before.deleted);
  DestroyWindow(host);
  pumpMessages(0);
  removeTree(folder);
}
