// Treemap paint speed under Wine with real GDI: a finished panel of 100 rows
// and one of 100,000 rows in the treemap view, each painted through the
// panel's own paint glue into a memory bitmap (the rows as the list benchmark
// makes them: sizes falling as 1/i). Two figures per panel: the repaint (the
// hover and pop-in frames, 30 ms apart: rows, area and scale unchanged) and
// the paint right after the rows changed (the layout runs again), in the
// default Flat style and in the Gradient style (the dearest per cell: a clip
// region and one fill per band). The last line is the repaint ratio in the
// default style, "treemap paint 100000/100 rows ratio: X.XX".
//   bench-treemap [--paints N]
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

// A finished panel of `rows` children in the treemap view, default settings
// but for the pop-in (off: every frame draws every cell in full) and the style.
PanelRecord* syntheticPanel(HWND window, int rows, int32_t style) {
  PanelRecord* rec = allocatePanelRecord();
  if (!rec) return nullptr;
  rec->panelWindow = window;
  initViewState(rec->view);
  loadPanelConfiguration(&rec->settings, &rec->res, window, L"");
  rec->settings.fancyPop = 0;
  rec->settings.fancyMapStyle = style;
  rec->view.treemapView = 1;
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
  return rec;
}

struct Timing {
  double repaintMs, changedMs;
  int32_t cells;
};

Timing timePaints(HWND window, HDC target, int rows, int paints, int32_t style) {
  Timing t{};
  PanelRecord* rec = syntheticPanel(window, rows, style);
  if (!rec) return t;
  paintPanelWindow(window, rec, target);  // the first layout
  GdiFlush();
  double t0 = nowMs();
  for (int i = 0; i < paints; ++i) paintPanelWindow(window, rec, target);
  GdiFlush();
  t.repaintMs = (nowMs() - t0) / paints;
  t0 = nowMs();
  for (int i = 0; i < paints; ++i) {
    releaseTreemapCells(&rec->treemap);  // as after a change of the rows
    paintPanelWindow(window, rec, target);
  }
  GdiFlush();
  t.changedMs = (nowMs() - t0) / paints;
  t.cells = rec->treemap.treemapCellCount;
  releasePanelResources(&rec->res);
  releasePanelRecord(rec);
  return t;
}

}  // namespace

int main() {
  int paints = 100;
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  for (int i = 1; argv && i + 1 < argc; ++i)
    if (wcscmp(argv[i], L"--paints") == 0) paints = _wtoi(argv[++i]);
  if (paints < 1) paints = 1;

  HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, kWidth, kHeight, nullptr, nullptr,
                                nullptr, nullptr);
  HDC screen = GetDC(nullptr);
  double ratio = 0, changedRatio = 0;
  {
    MemoryDc target(screen);
    GdiBitmap bitmap(CreateCompatibleBitmap(screen, kWidth, kHeight));
    SelectScope use(target.get(), bitmap.get());
    timePaints(window, target.get(), 100, 5, kMapFlat);  // untimed: a warm font cache for all
    const struct { int32_t style; const char* name; } styles[] = {{kMapGradient, "gradient"},
                                                                  {kMapFlat, "flat"}};
    for (const auto& st : styles) {
      const Timing few = timePaints(window, target.get(), 100, paints, st.style);
      const Timing many = timePaints(window, target.get(), 100000, paints, st.style);
      const Timing* t[2] = {&few, &many};
      const int sizes[2] = {100, 100000};
      for (int k = 0; k < 2; ++k)
        std::printf("treemap %s %d rows (%d cells): repaint %.3f ms, after a rows change %.3f ms\n",
                    st.name, sizes[k], t[k]->cells, t[k]->repaintMs, t[k]->changedMs);
      ratio = few.repaintMs > 0 ? many.repaintMs / few.repaintMs : 0.0;
      changedRatio = few.changedMs > 0 ? many.changedMs / few.changedMs : 0.0;
      std::printf("treemap %s 100000/100 rows ratio: repaint %.2f, after a rows change %.2f\n", st.name,
                  ratio, changedRatio);
    }
  }
  ReleaseDC(nullptr, screen);
  DestroyWindow(window);
  std::printf("treemap paint 100000/100 rows ratio: %.2f\n", ratio);
  return 0;
}
