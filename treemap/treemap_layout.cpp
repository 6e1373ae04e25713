#include "treemap/treemap_layout.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>

#include "format/muldiv.h"
#include "format/text.h"

namespace {

// The tail is grouped only when it holds at least this many items, and the
// group gives back its largest items while it weighs more than the share.
constexpr int32_t kMinGroupItems = 5;
constexpr double kMaxGroupShare = 0.15;
// An item keeps its own cell when it holds at least this share of the total
// and its cell would be at least minCell x minCell pixels.
constexpr double kMinKeptShare = 0.005;
constexpr int32_t kMinCellUnits = 50;
// Worst aspect ratio of a row that cannot be measured (no area).
constexpr double kUnmeasurableRatio = 1e300;

void* allocateBlock(const TreemapAllocator* a, size_t bytes) {
  if (a && a->allocate) return a->allocate(a->context, bytes);
  return std::malloc(bytes);
}

void releaseBlock(const TreemapAllocator* a, void* block) {
  if (!block) return;
  if (a && a->release)
    a->release(a->context, block);
  else
    std::free(block);
}

template <typename T>
T* allocateArray(const TreemapAllocator* a, size_t count) {
  if (count == 0 || count > SIZE_MAX / sizeof(T)) return nullptr;
  return static_cast<T*>(allocateBlock(a, count * sizeof(T)));
}

int compareOrdinal(const char16_t* a, const char16_t* b) {
  for (int i = 0; i < kNameUnits; ++i) {
    if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
    if (!a[i]) return 0;
  }
  return 0;
}

uint64_t addSaturating(uint64_t a, uint64_t b) { return a > UINT64_MAX - b ? UINT64_MAX : a + b; }

// Double to unsigned 64-bit by truncation, clamped to the type's range.
uint64_t truncateToU64(double v) {
  if (!(v > 0)) return 0;
  if (v >= 18446744073709551616.0) return UINT64_MAX;
  return static_cast<uint64_t>(v);
}

// Pixel edge of a running coordinate. For the non-negative coordinates of a
// client area this is trunc(v + 0.5); floor keeps the same snapping for an
// area that starts left of or above the client origin.
int32_t snap(double v) {
  const double r = std::floor(v + 0.5);
  if (r >= 2147483647.0) return INT32_MAX;
  if (r <= -2147483648.0) return INT32_MIN;
  return static_cast<int32_t>(r);
}

double worstRatio(double sum, double amax, double amin, double side2) {
  if (!(sum > 0) || !(amin > 0)) return kUnmeasurableRatio;
  const double s2 = sum * sum;
  return std::max(side2 * amax / s2, s2 / (side2 * amin));
}

// Squarified placement of `count` cells with the given areas inside the area
// whose top-left corner is (left, top) and whose extent is W x H pixels.
void placeSquarified(TreemapCell* cells, const double* areas, int32_t count, double left,
                     double top, double width, double height) {
  double x = left;
  double y = top;
  double remW = width;
  double remH = height;
  int32_t start = 0;
  while (start < count) {
    const double side = std::min(remW, remH);
    const double side2 = side * side;

    // Grow the row while the extended row is at least as square.
    int32_t end = start + 1;
    double sum = areas[start];
    double amax = areas[start];
    double amin = areas[start];
    while (end < count) {
      const double next = areas[end];
      const double extSum = sum + next;
      const double extMax = std::max(amax, next);
      const double extMin = std::min(amin, next);
      if (worstRatio(sum, amax, amin, side2) < worstRatio(extSum, extMax, extMin, side2)) break;
      sum = extSum;
      amax = extMax;
      amin = extMin;
      ++end;
    }

    // A column at the left edge of the free space, stacked downward, while
    // the space is at least as wide as tall; otherwise a strip along its top,
    // running rightward. Either way the row's thickness is its area over the
    // side it lies along.
    const bool column = remW >= remH;
    const double length = column ? remH : remW;
    const double t = length > 0 ? sum / length : 0.0;
    double& across = column ? x : y;
    const int32_t nearEdge = snap(across);
    across += t;
    const int32_t farEdge = snap(across);
    double along = column ? y : x;
    for (int32_t k = start; k < end; ++k) {
      const int32_t from = snap(along);
      along += t > 0 ? areas[k] / t : 0.0;
      const int32_t to = snap(along);
      const ScanItem* item = cells[k].item;
      cells[k] = column ? TreemapCell{nearEdge, from, farEdge, to, item}
                        : TreemapCell{from, nearEdge, to, farEdge, item};
    }
    (column ? remW : remH) -= t;
    start = end;
  }
}

struct SortKey {
  uint64_t size;
  const ScanItem* item;
};

bool keyBefore(const SortKey& a, const SortKey& b) {
  if (a.size != b.size) return a.size > b.size;
  return treemapOrderBefore(a.item, b.item);
}

}  // namespace

bool treemapOrderBefore(const ScanItem* a, const ScanItem* b) {
  if (a->size != b->size) return a->size > b->size;
  int c = textCompareNoCase(a->name, b->name);
  if (c != 0) return c < 0;
  // Names equal but for case: any fixed order keeps the sort well-defined.
  c = compareOrdinal(a->name, b->name);
  if (c != 0) return c < 0;
  return std::less<const ScanItem*>()(a, b);
}

void releaseTreemapCells(TreemapLayoutState* state) {
  if (!state) return;
  state->layoutKeyValid = 0;
  releaseBlock(state->allocator, state->treemapCells);
  state->treemapCells = nullptr;
  state->treemapCellCount = 0;
}

void layoutTreemap(TreemapLayoutState* state, const ScanItem* const* visibleRows,
                   int32_t visibleCount, int32_t dpiScalePercent, int32_t left, int32_t top,
                   int32_t right, int32_t bottom) {
  if (!state) return;
  const TreemapAllocator* alloc = state->allocator;
  releaseTreemapCells(state);

  if (visibleCount < 1 || !visibleRows) {
    state->treemapTotal = 0;
    return;
  }
  // One block: the sort keys, then the ordered pointers. The keys carry the
  // size beside the pointer, so ordering by size never touches the (large,
  // scattered) records. Everything up to the grouping depends on the sizes
  // alone (equal sizes qualify alike, and their order does not change a sum),
  // so only the items that end up with cells of their own are put in the full
  // order, names included, and the tail of a large list is never name-sorted.
  const size_t rowCount = static_cast<size_t>(visibleCount);
  if (rowCount > SIZE_MAX / (sizeof(SortKey) + sizeof(const ScanItem*))) return;
  SortKey* keys = static_cast<SortKey*>(
      allocateBlock(alloc, rowCount * (sizeof(SortKey) + sizeof(const ScanItem*))));
  if (!keys) return;
  const ScanItem** work = reinterpret_cast<const ScanItem**>(keys + rowCount);
  int32_t n = 0;
  for (int32_t i = 0; i < visibleCount; ++i)
    if (visibleRows[i]) keys[n++] = SortKey{visibleRows[i]->size, visibleRows[i]};
  std::sort(keys, keys + n, [](const SortKey& a, const SortKey& b) { return a.size > b.size; });

  double total = 0;
  for (int32_t i = 0; i < n; ++i) total += static_cast<double>(keys[i].size);
  state->treemapTotal = truncateToU64(total);

  // Group the tail of small items.
  const double W = static_cast<double>(static_cast<int64_t>(right) - left);
  const double H = static_cast<double>(static_cast<int64_t>(bottom) - top);
  const double minCell = mulDiv(kMinCellUnits, dpiScalePercent, 100);
  int32_t keep = 0;
  for (int32_t i = n - 1; i >= 0; --i) {
    const double share = total > 0 ? static_cast<double>(keys[i].size) / total : 0.0;
    if (share >= kMinKeptShare && share * W * H >= minCell * minCell) {
      keep = i + 1;
      break;
    }
  }

  const bool grouping = n - keep >= kMinGroupItems;
  uint64_t groupSum = 0;
  if (grouping) {
    for (int32_t i = keep; i < n; ++i) groupSum = addSaturating(groupSum, keys[i].size);
    // The group gives back its largest items only while some item has earned
    // a cell of its own. When none has (an area smaller than the smallest
    // cell worth drawing), handing items back would only make slivers thinner
    // than their gap: drawn as nothing, yet still hovered and jumped to. The
    // whole list then stays one "Others" cell that fills the area.
    if (total > 0 && keep > 0) {
      while (n - keep > kMinGroupItems && static_cast<double>(groupSum) / total > kMaxGroupShare) {
        groupSum -= std::min(groupSum, keys[keep].size);
        ++keep;
      }
    }
  }

  // The full order where it decides something: among equal sizes straddling
  // the end of the kept items, names choose which are kept; then the kept
  // items themselves. Without a group every item is a cell.
  const int32_t ordered = grouping ? keep : n;
  if (ordered > 0 && ordered < n && keys[ordered - 1].size == keys[ordered].size) {
    int32_t from = ordered - 1, to = ordered + 1;
    while (from > 0 && keys[from - 1].size == keys[ordered].size) --from;
    while (to < n && keys[to].size == keys[ordered].size) ++to;
    std::sort(keys + from, keys + to, keyBefore);
  }
  std::sort(keys, keys + ordered, keyBefore);
  for (int32_t i = 0; i < n; ++i) work[i] = keys[i].item;

  const ScanItem** list = work;
  int32_t count = n;
  const ScanItem** grouped = nullptr;
  if (grouping) {
    ScanItem& others = state->othersItem;
    std::memset(&others, 0, sizeof others);
    textFormat(others.name, kNameUnits, u"Others (%d items)", n - keep);
    others.size = groupSum;
    others.fileCount = -1;

    grouped = allocateArray<const ScanItem*>(alloc, static_cast<size_t>(keep) + 1);
    if (grouped) {
      // The kept items are already in order; "Others" only has to find the
      // place its size (and, among equals, its name) earns it.
      const ScanItem** place = std::lower_bound(work, work + keep, &others, treemapOrderBefore);
      const ScanItem** out = std::copy(work, place, grouped);
      *out++ = &others;
      std::copy(place, work + keep, out);
      list = grouped;
      count = keep + 1;
    } else {
      // No room for the grouped list: every item is laid out, in full order.
      std::sort(keys, keys + n, keyBefore);
      for (int32_t i = 0; i < n; ++i) work[i] = keys[i].item;
    }
  }

  TreemapCell* cells = allocateArray<TreemapCell>(alloc, static_cast<size_t>(count));
  if (cells) {
    double listTotal = 0;
    for (int32_t k = 0; k < count; ++k) {
      cells[k] = TreemapCell{0, 0, 0, 0, list[k]};
      listTotal += static_cast<double>(list[k]->size);
    }
    if (W > 0 && H > 0 && listTotal > 0) {
      double* areas = allocateArray<double>(alloc, static_cast<size_t>(count));
      if (areas) {
        const double scale = W * H / listTotal;
        for (int32_t k = 0; k < count; ++k) areas[k] = static_cast<double>(list[k]->size) * scale;
        placeSquarified(cells, areas, count, left, top, W, H);
        releaseBlock(alloc, areas);
      }
    }
    state->treemapCells = cells;
    state->treemapCellCount = count;
  }
  releaseBlock(alloc, grouped);
  releaseBlock(alloc, keys);
}

uint64_t treemapRowsSignature(const ScanItem* const* rows, int32_t count) {
  constexpr uint64_t kPrime = 0x100000001B3ull;
  uint64_t sig = 0x14650FB0739D0383ull;
  for (int32_t i = 0; rows && i < count; ++i) {
    sig ^= static_cast<uint64_t>(reinterpret_cast<uintptr_t>(rows[i]));
    sig *= kPrime;
  }
  sig ^= static_cast<uint64_t>(static_cast<int64_t>(count));
  sig *= kPrime;
  return sig;
}

bool layoutTreemapIfChanged(TreemapLayoutState* state, const ScanItem* const* visibleRows,
                            int32_t visibleCount, uint64_t rowsGeneration, int32_t dpiScalePercent,
                            int32_t left, int32_t top, int32_t right, int32_t bottom) {
  if (!state) return false;
  const TreemapLayoutKey key{treemapRowsSignature(visibleRows, visibleCount),
                             rowsGeneration, visibleCount, dpiScalePercent, left, top, right, bottom};
  const TreemapLayoutKey& last = state->layoutKey;
  if (state->layoutKeyValid && last.rowsSignature == key.rowsSignature &&
      last.rowsGeneration == key.rowsGeneration && last.count == key.count &&
      last.dpiScalePercent == key.dpiScalePercent && last.left == key.left && last.top == key.top &&
      last.right == key.right && last.bottom == key.bottom)
    return false;
  layoutTreemap(state, visibleRows, visibleCount, dpiScalePercent, left, top, right, bottom);
  // A layout cut short by memory is tried again next time.
  state->layoutKeyValid = state->treemapCells != nullptr || visibleCount < 1;
  state->layoutKey = key;
  return true;
}

int32_t treemapCellAt(const TreemapLayoutState* state, int32_t x, int32_t y) {
  if (!state || !state->treemapCells) return -1;
  for (int32_t i = 0; i < state->treemapCellCount; ++i) {
    const TreemapCell& c = state->treemapCells[i];
    if (x >= c.left && x < c.right && y >= c.top && y < c.bottom) return i;
  }
  return -1;
}
