// Benchmarks the per-paint geometry: the treemap layout of 8,192 items and the
// list's column widths over 100,000 rows, measured once and then again with
// nothing changed (the cached path every hover repaint takes).
//   bench_geometry [items] [rows]
// Last line: "layout 8192 items: X ms; widths cached/uncached: R", R the cached
// time over the uncached one (measured in the same run).
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include "format/text.h"
#include "treemap/treemap_layout.h"
#include "view/layout.h"

namespace {

double nowMs() {
  using namespace std::chrono;
  return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

// A proportional stand-in for the body font: per-character widths from a small
// table, so the measuring walks the text as a real extent call would.
int32_t measureProportional(void* context, const char16_t* text, int32_t length) {
  static const uint8_t kWidths[8] = {7, 5, 8, 6, 7, 9, 4, 7};
  int32_t w = 0;
  for (int32_t i = 0; i < length; ++i) w += kWidths[text[i] & 7];
  ++*static_cast<uint64_t*>(context);
  return w;
}

void makeItems(std::vector<ScanItem>& items, int count, std::mt19937_64& rng, bool equalSizes) {
  items.assign(static_cast<size_t>(count), ScanItem{});
  std::uniform_real_distribution<double> magnitude(0, 36);
  std::uniform_int_distribution<int> files(-1, 200000);
  for (int i = 0; i < count; ++i) {
    ScanItem& it = items[static_cast<size_t>(i)];
    textFormat(it.name, kNameUnits, u"item %05d.dat", (i * 7919) % 100000);
    it.size = equalSizes ? 4096 : static_cast<uint64_t>(std::exp2(magnitude(rng)));
    it.isFolder = (i % 3 == 0) ? 1 : 0;
    it.fileCount = it.isFolder ? files(rng) : 0;
  }
}

double timeLayout(const std::vector<const ScanItem*>& rows, int reps, int32_t* cellsOut) {
  TreemapLayoutState state{};
  layoutTreemap(&state, rows.data(), static_cast<int32_t>(rows.size()), 100, 16, 82, 1616, 1082);
  const double start = nowMs();
  for (int r = 0; r < reps; ++r)
    layoutTreemap(&state, rows.data(), static_cast<int32_t>(rows.size()), 100, 16, 82, 1616, 1082);
  const double ms = (nowMs() - start) / reps;
  *cellsOut = state.treemapCellCount;
  releaseTreemapCells(&state);
  return ms;
}

}  // namespace

int main(int argc, char** argv) {
  const int itemCount = argc > 1 ? std::atoi(argv[1]) : 8192;
  const int rowCount = argc > 2 ? std::atoi(argv[2]) : 100000;
  if (itemCount < 1 || rowCount < 1) {
    std::fprintf(stderr, "usage: bench_geometry [items] [rows]\n");
    return 1;
  }
  std::mt19937_64 rng(42);

  // Treemap: a realistic spread of sizes (most of the tail folds into Others),
  // and the hard case of equal sizes, where thousands keep their own cells.
  std::vector<ScanItem> items;
  std::vector<const ScanItem*> rows;
  int32_t cells = 0;
  makeItems(items, itemCount, rng, true);
  for (const ScanItem& i : items) rows.push_back(&i);
  const double equalMs = timeLayout(rows, 20, &cells);
  std::printf("layout %d equal items: %.3f ms (%d cells)\n", itemCount, equalMs, cells);
  makeItems(items, itemCount, rng, false);
  const double layoutMs = timeLayout(rows, 200, &cells);
  std::printf("layout %d spread items: %.3f ms (%d cells)\n", itemCount, layoutMs, cells);

  // Column widths over the visible rows.
  std::vector<ScanItem> listItems;
  makeItems(listItems, rowCount, rng, false);
  std::vector<const ScanItem*> listRows;
  for (const ScanItem& i : listItems) listRows.push_back(&i);
  LayoutMetrics m{};
  m.dpiScalePercent = 100;
  ColumnWidthInputs in{};
  in.rows = listRows.data();
  in.count = rowCount;
  in.style = NumberStyle{u',', u'.', kSizeDisplayAuto};
  in.everythingLabel = 1;
  in.fontKey = 1;
  ColumnWidthCache cache{};
  uint64_t measured = 0;

  double start = nowMs();
  ColumnWidths first = cachedColumnWidths(&cache, m, in, measureProportional, &measured);
  const double uncachedMs = nowMs() - start;
  const uint64_t measuredFirst = measured;

  const int reps = 100;
  ColumnWidths again{};
  start = nowMs();
  for (int r = 0; r < reps; ++r) again = cachedColumnWidths(&cache, m, in, measureProportional, &measured);
  const double cachedMs = (nowMs() - start) / reps;
  if (again.filesWidth != first.filesWidth || again.sizeWidth != first.sizeWidth) {
    std::fprintf(stderr, "cached widths differ from the measured ones\n");
    return 1;
  }
  std::printf("widths of %d rows: files %d px, size %d px; %llu texts measured first, %llu again\n",
              rowCount, first.filesWidth, first.sizeWidth,
              static_cast<unsigned long long>(measuredFirst),
              static_cast<unsigned long long>(measured - measuredFirst));
  std::printf("widths uncached: %.3f ms, cached: %.3f ms\n", uncachedMs, cachedMs);
  std::printf("layout %d items: %.3f ms; widths cached/uncached: %.4f\n", itemCount, layoutMs,
              uncachedMs > 0 ? cachedMs / uncachedMs : 0.0);
  return 0;
}
