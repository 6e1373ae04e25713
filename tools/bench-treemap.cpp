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
#include <cstdio>
#include <cstdlib>

#include "tools/bench_panel_win.h"
#include "win/gdi_scope_win.h"

namespace {

struct Timing {
  double repaintMs, changedMs;
  int32_t cells;
};

Timing timePaints(HWND window, HDC target, int rows, int paints, int32_t style) {
  Timing t{};
  PanelRecord* rec = benchSyntheticPanel(window, rows, style);
  if (!rec) return t;
  paintPanelWindow(window, rec, target);  // the first layout
  GdiFlush();
  double t0 = benchNowMs();
  for (int i = 0; i < paints; ++i) paintPanelWindow(window, rec, target);
  GdiFlush();
  t.repaintMs = (benchNowMs() - t0) / paints;
  t0 = benchNowMs();
  for (int i = 0; i < paints; ++i) {
    releaseTreemapCells(&rec->treemap);  // as after a change of the rows
    paintPanelWindow(window, rec, target);
  }
  GdiFlush();
  t.changedMs = (benchNowMs() - t0) / paints;
  t.cells = rec->treemap.treemapCellCount;
  releasePanelResources(&rec->res);
  releasePanelRecord(rec);
  return t;
}

}  // namespace

int main() {
  const int paints = benchPaintsArgument(100);

  HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, kBenchWidth, kBenchHeight, nullptr, nullptr,
                                nullptr, nullptr);
  HDC screen = GetDC(nullptr);
  double ratio = 0, changedRatio = 0;
  {
    MemoryDc target(screen);
    GdiBitmap bitmap(CreateCompatibleBitmap(screen, kBenchWidth, kBenchHeight));
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
