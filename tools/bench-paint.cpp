// Paint speed under Wine with real GDI: a finished panel of 100 rows and one of
// 100,000 rows, each painted 200 times into a memory bitmap through the
// panel's own paint glue, scrolled to the middle of its list. A paint costs in
// proportion to the rows on screen, so the ratio should stay near 1. The last
// line is "paint 100000/100 rows ratio: X.XX".
//   bench-paint [--paints N]
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>

#include "config/config_win.h"
#include "format/text.h"
#include "format/visible_rows.h"
#include "view/paint_win.h"
#include "win/gdi_scope_win.h"

namespace {

constexpr int kWidth = 1000, kHeight = 700;

double nowMs() {
  LARGE_INTEGER f, c;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&c);
  return 1000.0 * static_cast<double>(c.QuadPart) / static_cast<double>(f.QuadPart);
}

// A panel whose scan has finished with `rows` children (every other one a
// folder with a file count), sorted by size, with the default settings.
PanelRecord* syntheticPanel(HWND window, int rows) {
  PanelRecord* rec = allocatePanelRecord();
  if (!rec) return nullptr;
  rec->panelWindow = window;
  initViewState(rec->view);
  loadPanelConfiguration(&rec->settings, &rec->res, window, L"");
  initScanModel(rec->scan);
  textCopy(rec->scan.targetPath, kPathUnits, u"C:\\bench");
  rec->scan.rows = static_cast<ScanItem*>(reallocArray(nullptr, rows, sizeof(ScanItem)));
  if (!rec->scan.rows) return rec;
  rec->scan.rowCount = rows;
  for (int i = 0; i < rows; ++i) {
    ScanItem& it = rec->scan.rows[i];
    it = ScanItem{};
    textFormat(it.name, kNameUnits, i % 2 ? u"folder %d" : u"file %d.dat", i);
    it.size = 5000000000ull / (static_cast<uint64_t>(i) + 1);
    it.isFolder = i % 2;
    it.fileCount = it.isFolder ? i * 7 : 0;
    rec->scan.totalSize += it.size;
  }
  rec->scan.filesCounted.store(static_cast<uint32_t>(rows));
  buildVisibleRows(rec->scan, false);
  sortVisibleRows(rec->scan, rec->view.sortColumn, rec->view.sortDescending, 1);
  rec->scan.scanRunning.store(0);
  refreshScrollRange(window, *rec);
  rec->view.scrollOffset = rec->view.scrollMax / 2;
  return rec;
}

struct Timing {
  double firstMs;  // the first paint, which measures every row's column texts
  double paintMs;  // mean of the timed paints
};

Timing timePaints(HWND window, HDC target, int rows, int paints) {
  Timing t{};
  PanelRecord* rec = syntheticPanel(window, rows);
  if (!rec) return t;
  double t0 = nowMs();
  paintPanelWindow(window, rec, target);
  GdiFlush();
  t.firstMs = nowMs() - t0;
  t0 = nowMs();
  for (int i = 0; i < paints; ++i) paintPanelWindow(window, rec, target);
  GdiFlush();
  t.paintMs = (nowMs() - t0) / paints;
  releasePanelResources(&rec->res);
  releasePanelRecord(rec);
  return t;
}

}  // namespace

int main() {
  int paints = 200;
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  for (int i = 1; argv && i + 1 < argc; ++i)
    if (wcscmp(argv[i], L"--paints") == 0) paints = _wtoi(argv[++i]);
  if (paints < 1) paints = 1;

  HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, kWidth, kHeight, nullptr, nullptr,
                                nullptr, nullptr);
  HDC screen = GetDC(nullptr);
  double small = 0, large = 0;
  {
    MemoryDc target(screen);
    GdiBitmap bitmap(CreateCompatibleBitmap(screen, kWidth, kHeight));
    SelectScope use(target.get(), bitmap.get());
    const int sizes[2] = {100, 100000};
    double* means[2] = {&small, &large};
    // One untimed round first, so both sizes meet a warm font cache.
    timePaints(window, target.get(), 100, 5);
    for (int k = 0; k < 2; ++k) {
      const Timing t = timePaints(window, target.get(), sizes[k], paints);
      std::printf("list %d rows: first paint %.2f ms (measures every row), %d paints %.3f ms each\n",
                  sizes[k], t.firstMs, paints, t.paintMs);
      *means[k] = t.paintMs;
    }
  }
  ReleaseDC(nullptr, screen);
  DestroyWindow(window);
  std::printf("paint 100000/100 rows ratio: %.2f\n", small > 0 ? large / small : 0.0);
  return 0;
}
