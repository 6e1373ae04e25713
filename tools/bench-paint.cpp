// Paint speed under Wine with real GDI: a finished panel of 100 rows and one of
// 100,000 rows, each painted 200 times into a memory bitmap through the
// panel's own paint glue, scrolled to the middle of its list. A paint costs in
// proportion to the rows on screen, so the ratio should stay near 1. The last
// line is "paint 100000/100 rows ratio: X.XX".
//   bench-paint [--paints N]
#include <cstdio>
#include <cstdlib>

#include "tools/bench_panel_win.h"
#include "win/gdi_scope_win.h"

namespace {

struct Timing {
  double firstMs;  // the first paint, which measures every row's column texts
  double paintMs;  // mean of the timed paints
};

Timing timePaints(HWND window, HDC target, int rows, int paints) {
  Timing t{};
  PanelRecord* rec = benchSyntheticPanel(window, rows, -1);
  if (!rec) return t;
  double t0 = benchNowMs();
  paintPanelWindow(window, rec, target);
  GdiFlush();
  t.firstMs = benchNowMs() - t0;
  t0 = benchNowMs();
  for (int i = 0; i < paints; ++i) paintPanelWindow(window, rec, target);
  GdiFlush();
  t.paintMs = (benchNowMs() - t0) / paints;
  releasePanelResources(&rec->res);
  releasePanelRecord(rec);
  return t;
}

}  // namespace

int main() {
  const int paints = benchPaintsArgument(200);

  HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, kBenchWidth, kBenchHeight, nullptr, nullptr,
                                nullptr, nullptr);
  HDC screen = GetDC(nullptr);
  double small = 0, large = 0;
  {
    MemoryDc target(screen);
    GdiBitmap bitmap(CreateCompatibleBitmap(screen, kBenchWidth, kBenchHeight));
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
