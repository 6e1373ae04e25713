// Icon cache benchmark: the list paint of ROWS file rows, each with its own
// extension, painted ten times into one tall bitmap so every row is on screen.
// The first paint asks the shell once per extension; from the second on the
// extension cache answers. Prints both times and the ratio of the tenth paint
// to the first.
//
//   bench-icons [ROWS]     (default 1000)
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "config/config_win.h"
#include "draw/gdi_canvas_win.h"
#include "format/text.h"
#include "icons/icons_win.h"
#include "view/list_paint.h"
#include "view/panel_view.h"
#include "win/gdi_scope_win.h"

namespace {

double now() {
  LARGE_INTEGER t, f;
  QueryPerformanceCounter(&t);
  QueryPerformanceFrequency(&f);
  return static_cast<double>(t.QuadPart) / static_cast<double>(f.QuadPart);
}

}  // namespace

int main(int argc, char** argv) {
  int rows = argc > 1 ? std::atoi(argv[1]) : 1000;
  if (rows < 1) rows = 1000;

  HWND window = CreateWindowExW(0, L"STATIC", L"bench", WS_POPUP, 0, 0, 800, 600, nullptr, nullptr,
                                nullptr, nullptr);
  PanelSettings settings = {};
  PanelResources res = {};
  loadPanelConfiguration(&settings, &res, window, nullptr);
  settings.colorIcons = 1;
  settings.everythingDebug = 0;
  IconSet icons = {};
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring plugin(self);
  plugin = plugin.substr(0, plugin.find_last_of(L'\\') + 1) + L"Morvane.wlx";
  HMODULE module = LoadLibraryExW(plugin.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  loadStockIcons(icons, settings, window, module);

  // Distinct extensions of three letters (up to 17,576 rows); sizes falling so the rows
  // keep their order.
  std::vector<ScanItem> items(rows);
  std::vector<const ScanItem*> visible(rows);
  uint64_t total = 0;
  for (int i = 0; i < rows; ++i) {
    char16_t ext[4] = {static_cast<char16_t>(u'a' + i / 676 % 26), static_cast<char16_t>(u'a' + i / 26 % 26),
                       static_cast<char16_t>(u'a' + i % 26), 0};
    textFormat(items[i].name, kNameUnits, u"file%d.%s", i, ext);
    textFormat(items[i].fullPath, kPathUnits, u"C:\\bench\\%s", items[i].name);
    items[i].size = 1000000 - i;
    items[i].fileCount = 0;
    total += items[i].size;
    visible[i] = &items[i];
  }

  ViewState view;
  initViewState(view);
  PanelView v{};
  v.metrics = layoutMetricsOf(settings);
  v.settings = &settings;
  v.view = &view;
  v.targetPath = u"C:\\bench";
  v.visibleRows = visible.data();
  v.visibleCount = rows;
  v.totalSize = total;
  v.maxVisibleSize = items[0].size;
  v.filesCounted = rows;
  v.iconFor = lookupItemIcon;
  v.iconContext = &icons;
  // The panel keeps its measured column widths between paints; so does this.
  ColumnWidthCache widths = {};
  v.columnWidths = &widths;
  v.bodyFontKey = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(res.bodyFont));
  v.clientWidth = 700;
  // Tall enough for every row: the list top plus one row height per row.
  const int32_t rowPx = MulDiv(settings.rowHeight, settings.dpiScalePercent, 100);
  v.clientHeight = 300 + rows * (rowPx + 4);

  HDC screen = GetDC(nullptr);
  MemoryDc memory(screen);
  GdiBitmap bitmap(CreateCompatibleBitmap(screen, v.clientWidth, v.clientHeight));
  ReleaseDC(nullptr, screen);
  if (!memory.get() || !bitmap) {
    std::printf("cannot make a %dx%d bitmap\n", v.clientWidth, v.clientHeight);
    return 1;
  }
  SelectScope useBitmap(memory.get(), bitmap.get());
  GdiCanvas canvas(memory.get(), CanvasFonts{res.headerFont, res.bodyFont, res.bodyBoldFont, res.smallFont,
                                             res.italicFont});
  double times[10];
  for (int pass = 0; pass < 10; ++pass) {
    double t0 = now();
    paintPanel(canvas, v, GetTickCount());
    GdiFlush();
    times[pass] = now() - t0;
  }
  // The same paint with glyphs in place of icons, for scale.
  settings.colorIcons = 0;
  double t0 = now();
  paintPanel(canvas, v, GetTickCount());
  GdiFlush();
  double glyphs = now() - t0;
  std::printf("rows: %d, distinct extensions cached: %d, shell asked once each\n", rows, icons.extIconCount);
  std::printf("first paint (cold cache): %.1f ms\n", times[0] * 1000);
  std::printf("tenth paint (warm cache): %.1f ms\n", times[9] * 1000);
  std::printf("same paint with glyphs instead of icons: %.1f ms\n", glyphs * 1000);
  if (times[0] > glyphs)
    std::printf("icon share of the paint, warm/cold: %.2f\n", (times[9] - glyphs) / (times[0] - glyphs));
  std::printf("icon cache warm/cold paint ratio: %.2f\n", times[9] / times[0]);
  releasePanelIcons(icons);
  releasePanelResources(&res);
  if (module) FreeLibrary(module);
  DestroyWindow(window);
  return 0;
}
