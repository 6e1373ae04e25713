// What only real GDI shows: the pixels of each GdiCanvas primitive, a whole
// panel painted through the window's paint glue, and the GDI objects a paint
// makes all deleted again.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>

#include "config/config_win.h"
#include "draw/colors.h"
#include "draw/gdi_canvas_win.h"
#include "format/text.h"
#include "format/visible_rows.h"
#include "tests/support/dib_surface_win.h"
#include "tests/support/gdi_tally_win.h"
#include "tests/support/plugin_host_win.h"
#include "view/layout.h"
#include "view/list_paint.h"
#include "view/paint_win.h"
#include "win/bitmap_capture_win.h"
#include "win/gdi_scope_win.h"

namespace {

constexpr COLORREF kBack = RGB(1, 2, 3);
constexpr COLORREF kInk = RGB(200, 40, 10);

struct DcState {
  HGDIOBJ pen, brush, font;
  COLORREF text;
  explicit DcState(HDC dc)
      : pen(GetCurrentObject(dc, OBJ_PEN)), brush(GetCurrentObject(dc, OBJ_BRUSH)),
        font(GetCurrentObject(dc, OBJ_FONT)), text(GetTextColor(dc)) {}
  bool operator==(const DcState& o) const {
    return pen == o.pen && brush == o.brush && font == o.font && text == o.text;
  }
};

}  // namespace

TEST(GdiCanvas, EachPrimitivePaintsWhereItSaysAndLeavesTheDcAsFound) {
  DibSurface s(100, 40);
  GdiCanvas c(s.dc, CanvasFonts{});
  const DcState before(s.dc);
  struct Probe {
    int x, y;
    bool inked;
  };
  struct Case {
    const char* what;
    void (*draw)(Canvas&);
    int inkPixels;  // -1: not counted
    Probe probes[4];
  } cases[] = {
      {"fill", [](Canvas& k) { k.fillRect(Rect{10, 5, 20, 9}, kInk); }, 40,
       {{10, 5, true}, {19, 8, true}, {20, 5, false}, {10, 9, false}}},
      {"frame", [](Canvas& k) { k.frameRect(Rect{10, 5, 20, 15}, kInk); }, 36,
       {{10, 5, true}, {19, 14, true}, {15, 10, false}, {20, 5, false}}},
      {"bar start column", [](Canvas& k) { k.gradientBar(Rect{0, 0, 100, 4}, 0.5, kInk, RGB(0, 0, 0)); }, 4,
       {{0, 0, true}, {0, 3, true}, {1, 0, false}, {50, 0, false}}},
      {"tiny bar", [](Canvas& k) { k.gradientBar(Rect{0, 0, 100, 4}, 0.001, kInk, kInk); }, 8,
       {{1, 3, true}, {2, 0, false}, {0, 4, false}, {0, 0, true}}},
      {"round rect", [](Canvas& k) { k.roundRect(Rect{10, 5, 40, 25}, 5, kInk, RGB(0, 0, 255)); }, -1,
       {{25, 15, true}, {10, 5, false}, {41, 15, false}, {25, 26, false}}},
      {"polygon", [](Canvas& k) {
         const Point tri[3] = {{10, 10}, {30, 10}, {20, 20}};
         k.polygon(tri, 3, kInk);
       }, -1, {{20, 12, true}, {10, 10, true}, {12, 18, false}, {20, 22, false}}},
      {"line", [](Canvas& k) { k.line(5, 7, 15, 7, kInk); }, 10,
       {{5, 7, true}, {14, 7, true}, {15, 7, false}, {5, 8, false}}},
      {"glyph", [](Canvas& k) { k.glyph(GlyphKind::Folder, 0, 0, 16, kInk, 0); }, -1,
       {{2, 2, true}, {13, 13, true}, {8, 2, false}, {14, 13, false}}},
      {"clipped fill", [](Canvas& k) {
         k.clip(Rect{10, 10, 20, 20});
         k.fillRect(Rect{0, 0, 100, 40}, kInk);
         k.unclip();
       }, 100, {{10, 10, true}, {19, 19, true}, {9, 10, false}, {20, 19, false}}},
  };
  for (const Case& k : cases) {
    s.clear();
    k.draw(c);
    if (k.inkPixels >= 0) EXPECT_EQ(s.countColor(kInk), k.inkPixels) << k.what;
    for (const Probe& p : k.probes) EXPECT_EQ(s.at(p.x, p.y) == kInk, p.inked) << k.what << " at " << p.x << "," << p.y;
    EXPECT_TRUE(DcState(s.dc) == before) << k.what;
  }
  // After unclip the whole surface paints again.
  s.clear();
  c.fillRect(Rect{0, 0, 100, 40}, kInk);
  EXPECT_EQ(s.countColor(kInk), 4000);
}

namespace {

// A finished panel of `rows` items in a hidden window of 900 x 600, its
// settings the defaults (no settings file) in the light colours.
struct SyntheticPanel {
  HWND window = nullptr;
  PanelRecord* rec = nullptr;
  explicit SyntheticPanel(int rows) {
    window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 900, 600, nullptr, nullptr, nullptr, nullptr);
    rec = allocatePanelRecord();
    rec->panelWindow = window;
    initViewState(rec->view);
    loadPanelConfiguration(&rec->settings, &rec->res, window, L"");
    switchPanelTheme(&rec->settings, &rec->res, false);
    initScanModel(rec->scan);
    textCopy(rec->scan.targetPath, kPathUnits, u"C:\\data");
    rec->scan.rows = static_cast<ScanItem*>(reallocArray(nullptr, rows, sizeof(ScanItem)));
    rec->scan.rowCount = rows;
    for (int i = 0; i < rows; ++i) {
      ScanItem& it = rec->scan.rows[i];
      it = ScanItem{};
      textFormat(it.name, kNameUnits, u"item %d", i);
      it.size = 1000000ull - i;
      it.isFolder = i % 2;
      it.fileCount = it.isFolder ? i : 0;
      rec->scan.totalSize += it.size;
    }
    buildVisibleRows(rec->scan, false);
    sortVisibleRows(rec->scan, rec->view.sortColumn, rec->view.sortDescending, 1);
    rec->scan.scanRunning.store(0);
    refreshScrollRange(window, *rec);
  }
  ~SyntheticPanel() {
    releasePanelResources(&rec->res);
    releasePanelRecord(rec);
    DestroyWindow(window);
  }
};

}  // namespace

TEST(PanelPaint, BackgroundFirstBarColumnAndHeaderBand) {
  SyntheticPanel panel(30);
  DibSurface s(900, 600);
  paintPanelWindow(panel.window, panel.rec, s.dc);
  const PanelSettings& st = panel.rec->settings;
  const ColorSet& col = st.colors;
  EXPECT_EQ(s.at(2, 2), col.backgroundColor);
  EXPECT_EQ(s.at(899, 300), shiftColor(col.backgroundColor, colorIsDark(col.backgroundColor) ? 15 : -15))
      << "scrollbar track";
  // The header band: just inside its left end, below the top line.
  const LayoutMetrics m = layoutMetricsOf(st);
  const VerticalBands bands = layoutBands(m, false);
  const int32_t S1 = layoutScale(m, 1);
  EXPECT_EQ(s.at(layoutScale(m, 16) + 1, bands.headerTop + S1), col.headerBarColor);
  // The first row's bar starts with the start colour, in its first column.
  const RowColumns cols = layoutRowColumns(m, 900, panel.rec->view.scrollMax, 0, panel.rec->view.sizeColumnWidth);
  const int32_t barLeft = cols.iconLeft + layoutScale(m, m.iconColumnWidth - 4);
  const int32_t y = rowTop(m, bands.listTop, 0, 0) + 1;
  EXPECT_EQ(s.at(barLeft, y), col.barStartColor);
  EXPECT_EQ(s.at(barLeft - 1, y), col.backgroundColor);
  // The paint stored what the mouse handling reads.
  EXPECT_GT(panel.rec->view.sizeColumnWidth, 0);
  EXPECT_LT(panel.rec->view.topFilesToggleRect.left, panel.rec->view.topFilesToggleRect.right);
  EXPECT_EQ(panel.rec->view.headerCellRects[3].top, bands.headerTop);
}

// The plugin library's own GDI calls are counted (the test program's are not:
// counting them would route the counters through themselves).
TEST(PanelPaint, TwoHundredPaintsGiveBackEveryGdiObject) {
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
