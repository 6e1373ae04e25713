#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <initializer_list>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "format/text.h"
#include "treemap/treemap_layout.h"

namespace {

using Box = std::array<int32_t, 4>;  // left, top, right, bottom
using Names = std::vector<std::string>;

// Visible rows made from (name, size) pairs; the records stay put while the
// pointers are handed to the layout.
struct Rows {
  std::vector<ScanItem> items;
  std::vector<const ScanItem*> ptrs;
  Rows() = default;
  Rows(std::initializer_list<std::pair<const char*, uint64_t>> rows) {
    for (const auto& r : rows) add(r.first, r.second);
  }
  void add(const std::string& name, uint64_t size) {
    items.emplace_back();
    ScanItem& item = items.back();
    item = ScanItem{};
    textCopy(item.name, kNameUnits, textFromUtf8(name).c_str());
    item.size = size;
    item.fileCount = -1;
  }
  const ScanItem* const* data() {
    ptrs.clear();
    for (const ScanItem& i : items) ptrs.push_back(&i);
    return ptrs.data();
  }
  int32_t count() const { return static_cast<int32_t>(items.size()); }
};

// Counts allocations, keeps the live ones, and fails the one numbered
// `failAt` (1-based; 0 never fails).
struct CountingAllocator {
  int calls = 0;
  int failAt = 0;
  int live = 0;
  TreemapAllocator api{&CountingAllocator::allocate, &CountingAllocator::release, this};
  static void* allocate(void* ctx, size_t bytes) {
    auto* self = static_cast<CountingAllocator*>(ctx);
    if (++self->calls == self->failAt) return nullptr;
    ++self->live;
    return std::malloc(bytes);
  }
  static void release(void* ctx, void* block) {
    --static_cast<CountingAllocator*>(ctx)->live;
    std::free(block);
  }
};

struct State {
  CountingAllocator alloc;  // outlives the cells released below
  TreemapLayoutState s{};
  State() = default;
  explicit State(int failAt) {
    alloc.failAt = failAt;
    s.allocator = &alloc.api;
  }
  ~State() { releaseTreemapCells(&s); }
  const TreemapCell& cell(int i) const { return s.treemapCells[i]; }
  std::string name(int i) const { return textToUtf8(cell(i).item->name); }
  bool isOthers(int i) const { return cell(i).item == &s.othersItem; }
  Box box(int i) const { return {cell(i).left, cell(i).top, cell(i).right, cell(i).bottom}; }
  Names names() const {
    Names out;
    for (int i = 0; i < s.treemapCellCount; ++i) out.push_back(name(i));
    return out;
  }
  bool allEmpty() const {
    for (int i = 0; i < s.treemapCellCount; ++i)
      if (box(i) != Box{}) return false;
    return true;
  }
  int64_t areaSum() const {
    int64_t sum = 0;
    for (int i = 0; i < s.treemapCellCount; ++i)
      sum += static_cast<int64_t>(cell(i).right - cell(i).left) * (cell(i).bottom - cell(i).top);
    return sum;
  }
};

void layout(State& st, Rows& rows, int32_t w, int32_t h, int32_t dpi = 100, int32_t left = 0,
            int32_t top = 0) {
  layoutTreemap(&st.s, rows.data(), rows.count(), dpi, left, top, left + w, top + h);
}

// One 80 % item and twenty 1 % items, their names in mixed case.
void eightyAndTwenty(Rows& rows) {
  rows.add("Large", 80000);
  for (const char* n : {"m", "B", "q", "d", "E", "a", "S", "t", "c", "K",
                        "l", "N", "o", "P", "F", "r", "g", "h", "I", "j"})
    rows.add(n, 1000);
}

}  // namespace

TEST(TreemapLayout, NoRowsGiveNoCellsAndNullRowsAreSkipped) {
  State st;
  st.s.treemapTotal = 77;
  Rows rows;
  layout(st, rows, 400, 300);
  EXPECT_EQ(st.s.treemapCellCount, 0);
  EXPECT_EQ(st.s.treemapCells, nullptr);
  EXPECT_EQ(st.s.treemapTotal, 0u);
  EXPECT_EQ(treemapCellAt(&st.s, 0, 0), -1);
  EXPECT_EQ(treemapCellAt(nullptr, 0, 0), -1);

  rows = Rows{{"a", 30}, {"b", 10}};
  rows.data();
  std::vector<const ScanItem*> withNull = {rows.ptrs[0], nullptr, rows.ptrs[1]};
  layoutTreemap(&st.s, withNull.data(), 3, 100, 0, 0, 100, 100);
  EXPECT_EQ(st.s.treemapCellCount, 2);
  EXPECT_EQ(st.s.treemapTotal, 40u);
  layoutTreemap(&st.s, nullptr, 3, 100, 0, 0, 100, 100);
  EXPECT_EQ(st.s.treemapCellCount, 0);
  layoutTreemap(nullptr, withNull.data(), 3, 100, 0, 0, 100, 100);  // no crash
}

TEST(TreemapLayout, LargeItemAndTwentySmallOnesGiveSevenCells) {
  Rows rows;
  eightyAndTwenty(rows);
  State st;
  layout(st, rows, 400, 300);
  // 15 % outweighs the 1 % items; the five that left the group are the first
  // five names, ignoring case.
  EXPECT_EQ(st.names(), (Names{"Large", "Others (15 items)", "a", "B", "c", "d", "E"}));
  EXPECT_TRUE(st.isOthers(1));
  EXPECT_EQ(st.s.treemapTotal, 100000u);
  EXPECT_EQ(st.s.othersItem.size, 15000u);
  // The visible rows themselves keep their order.
  EXPECT_EQ(textToUtf8(rows.ptrs[1]->name), "m");
}

TEST(TreemapLayout, AllZeroSizesOrNoExtentGiveEmptyCells) {
  Rows rows;
  for (int i = 0; i < 6; ++i) rows.add("z" + std::to_string(i), 0);
  State st;
  layout(st, rows, 400, 300);
  EXPECT_EQ(st.names(), (Names{"Others (6 items)"}));
  EXPECT_TRUE(st.allEmpty());
  EXPECT_EQ(st.s.treemapTotal, 0u);
  EXPECT_EQ(treemapCellAt(&st.s, 0, 0), -1);  // empty cells are never hit

  // Fewer than five: each its own empty cell.
  rows.items.resize(3);
  layout(st, rows, 400, 300);
  EXPECT_EQ(st.s.treemapCellCount, 3);
  EXPECT_TRUE(st.allEmpty());

  // Zero or negative width or height.
  rows = Rows{{"a", 10}, {"b", 20}};
  for (auto wh : {std::pair<int, int>{0, 300}, {400, 0}, {-10, 300}, {400, -1}}) {
    layout(st, rows, wh.first, wh.second);
    EXPECT_EQ(st.s.treemapCellCount, 2);
    EXPECT_TRUE(st.allEmpty());
  }
}

// The classic squarified example (areas 6, 6, 4, 3, 2, 2, 1 in a 6 x 4 field),
// scaled by 100: the first two stack in a column at the left, the next two
// run as a strip along the top of the rest, the last three share the bottom.
TEST(TreemapLayout, SquarifiedRowsGrowWhileTheyImprove) {
  Rows rows{{"a", 6}, {"b", 6}, {"c", 4}, {"d", 3}, {"e", 2}, {"f", 2}, {"g", 1}};
  State st;
  layout(st, rows, 600, 400);
  EXPECT_EQ(st.names(), (Names{"a", "b", "c", "d", "e", "f", "g"}));
  const Box want[7] = {{0, 0, 300, 200},   {0, 200, 300, 400},   {300, 0, 471, 233},
                       {471, 0, 600, 233}, {300, 233, 420, 400}, {420, 233, 540, 400},
                       {540, 233, 600, 400}};
  for (int i = 0; i < 7; ++i) EXPECT_EQ(st.box(i), want[i]) << i;
}

TEST(TreemapLayout, AreaBelowTheSmallestCellGroupsEverything) {
  Rows rows;
  for (int i = 0; i < 5; ++i) rows.add("f" + std::to_string(i), 1000u * (i + 1));
  State st;
  layout(st, rows, 40, 40, 100, 10, 20);  // 1600 < 50 * 50: no item qualifies
  EXPECT_EQ(st.names(), (Names{"Others (5 items)"}));
  EXPECT_EQ(st.box(0), (Box{10, 20, 50, 60}));

  // With more than five and no item worth a cell, the group gives nothing
  // back, though it holds all of the total: handed-back items would be
  // slivers thinner than their gap, invisible yet hoverable.
  rows.add("f5", 6000);
  rows.add("f6", 7000);
  layout(st, rows, 40, 40, 100, 10, 20);
  EXPECT_EQ(st.names(), (Names{"Others (7 items)"}));

  // Whether an item qualifies depends on the scale: at 120 x 120 the three
  // largest keep their cells at 100 %; at 200 % (minCell 100) none does and
  // the whole list is one cell.
  layout(st, rows, 120, 120, 100);
  EXPECT_EQ(st.s.treemapCellCount, 7);
  layout(st, rows, 120, 120, 200);
  EXPECT_EQ(st.names(), (Names{"Others (7 items)"}));

  // Once one item qualifies, the 15 % rule applies again: one large item
  // keeps its cell and the group of ten (18 %) hands back two to hold 15 % or less.
  Rows mixed{{"big", 900000}};
  for (int i = 0; i < 10; ++i) mixed.add("s" + std::to_string(i), 20000);
  layout(st, mixed, 400, 300);
  EXPECT_EQ(st.names(), (Names{"big", "Others (8 items)", "s0", "s1"}));
}

TEST(TreemapLayout, EqualSizesOrderByNameIgnoringCaseWithOthersAmongThem) {
  Rows rows{{"Zebra", 100}, {"pear", 100}, {"Apple", 100}};
  for (int i = 0; i < 5; ++i) rows.add("t" + std::to_string(i), 20);
  State st;
  layout(st, rows, 200, 200);  // each tail item would get 2000 px
  const Names want = {"Apple", "Others (5 items)", "pear", "Zebra"};
  EXPECT_EQ(st.names(), want);

  // The order does not depend on the order of the visible rows.
  std::reverse(rows.items.begin(), rows.items.end());
  layout(st, rows, 200, 200);
  EXPECT_EQ(st.names(), want);
}

TEST(TreemapLayout, OrderingIsStrictEvenForNamesEqualButForCase) {
  Rows rows{{"readme", 5}, {"README", 5}, {"ReadMe", 5}, {"big", 6}};
  rows.data();
  for (const ScanItem* a : rows.ptrs) {
    EXPECT_FALSE(treemapOrderBefore(a, a));
    for (const ScanItem* b : rows.ptrs)
      if (a != b) { EXPECT_NE(treemapOrderBefore(a, b), treemapOrderBefore(b, a)); }
  }
  EXPECT_TRUE(treemapOrderBefore(rows.ptrs[3], rows.ptrs[0]));
}

TEST(TreemapLayout, ShortMemoryEndsConsistently) {
  Rows rows;
  eightyAndTwenty(rows);  // grouped: working array, grouped list, cells, areas
  {  // No working array: no cells, the previous total stays.
    State st(1);
    st.s.treemapTotal = 4242;
    layout(st, rows, 400, 300);
    EXPECT_EQ(st.s.treemapCellCount, 0);
    EXPECT_EQ(st.s.treemapTotal, 4242u);
    EXPECT_EQ(st.alloc.live, 0);
  }
  {  // No grouped list: the ungrouped list of all 21 items is laid out.
    State st(2);
    layout(st, rows, 400, 300);
    EXPECT_EQ(st.s.treemapCellCount, 21);
    EXPECT_EQ(st.areaSum(), 400 * 300);
    EXPECT_EQ(st.alloc.live, 1);  // only the cells
  }
  {  // No cell array: nothing laid out, but the total is current.
    State st(3);
    layout(st, rows, 400, 300);
    EXPECT_EQ(st.s.treemapCellCount, 0);
    EXPECT_EQ(st.s.treemapTotal, 100000u);
    EXPECT_EQ(treemapCellAt(&st.s, 10, 10), -1);
    EXPECT_EQ(st.alloc.live, 0);
  }
  {  // No area array: the cells exist with their items, all empty.
    State st(4);
    layout(st, rows, 400, 300);
    EXPECT_EQ(st.s.treemapCellCount, 7);
    EXPECT_TRUE(st.allEmpty());
    EXPECT_EQ(treemapCellAt(&st.s, 10, 10), -1);
    releaseTreemapCells(&st.s);
    EXPECT_EQ(st.alloc.live, 0);
  }
  {  // Every layout frees the previous cells and its own working arrays.
    State st(0);
    for (int i = 0; i < 10; ++i) layout(st, rows, 400 + i, 300);
    EXPECT_EQ(st.alloc.live, 1);
  }
}

// Over many random inputs: the cells tile the area exactly, each cell's area is
// its share within rounding, every visible item is either a cell or in the
// group, and the group obeys its 5-item and 15 % rules (or, when no item
// earned a cell, holds everything).
TEST(TreemapLayout, PropertiesOverRandomInputs) {
  std::mt19937_64 rng(20261206);
  auto pick = [&](int32_t lo, int32_t hi) {
    return std::uniform_int_distribution<int32_t>(lo, hi)(rng);
  };
  const int32_t dpis[] = {100, 125, 150, 200};
  std::vector<int> cover;
  for (int round = 0; round < 600; ++round) {
    SCOPED_TRACE(round);
    Rows rows;
    const int n = pick(1, round % 10 == 0 ? 400 : 60);
    const int shape = pick(0, 3);
    for (int i = 0; i < n; ++i) {
      uint64_t size;
      switch (shape) {
        case 0: size = static_cast<uint64_t>(pick(0, 1000000)); break;
        case 1: size = static_cast<uint64_t>(std::exp2(static_cast<double>(pick(0, 40)))); break;
        case 2: size = static_cast<uint64_t>(pick(0, 3)) * 1000; break;  // many ties and zeros
        default: size = i < 3 ? 1000000000 : static_cast<uint64_t>(pick(1, 5000)); break;
      }
      rows.add(std::string(1, static_cast<char>('a' + pick(0, 25))) + std::to_string(i), size);
    }
    const int32_t w = pick(1, 320), h = pick(1, 240), left = pick(0, 50), top = pick(0, 50);
    State st;
    layout(st, rows, w, h, dpis[pick(0, 3)], left, top);

    double total = 0;
    for (const ScanItem& i : rows.items) total += static_cast<double>(i.size);
    ASSERT_EQ(st.s.treemapTotal, static_cast<uint64_t>(total));
    const int count = st.s.treemapCellCount;
    ASSERT_GT(count, 0);

    // Every item once, in layout order: in a cell, or in the group.
    std::set<const ScanItem*> inCells;
    uint64_t listTotal = 0;
    for (int i = 0; i < count; ++i) {
      const ScanItem* item = st.cell(i).item;
      listTotal += item->size;
      ASSERT_TRUE(inCells.insert(item).second);
      ASSERT_TRUE(i == 0 || !treemapOrderBefore(item, st.cell(i - 1).item));
    }
    const bool hasOthers = inCells.erase(&st.s.othersItem) == 1;
    uint64_t groupSum = 0, smallestKept = UINT64_MAX, largestGrouped = 0;
    int grouped = 0;
    for (const ScanItem& i : rows.items) {
      if (inCells.count(&i)) {
        smallestKept = std::min(smallestKept, i.size);
      } else {
        groupSum += i.size;
        largestGrouped = std::max(largestGrouped, i.size);
        ++grouped;
      }
    }
    if (hasOthers) {
      ASSERT_GE(grouped, 5);
      ASSERT_EQ(st.s.othersItem.size, groupSum);
      ASSERT_EQ(textToUtf8(st.s.othersItem.name), "Others (" + std::to_string(grouped) + " items)");
      // Nothing kept: the whole list is the group. Otherwise it holds at most
      // 15 % unless it is down to five.
      if (count == 1) {
        ASSERT_EQ(grouped, n);
      } else if (grouped > 5 && total > 0) {
        ASSERT_LE(static_cast<double>(groupSum) / total, 0.15);
      }
      ASSERT_GE(smallestKept, largestGrouped);  // vacuous when nothing is kept
    } else {
      ASSERT_EQ(grouped, 0);
    }

    if (listTotal == 0) {
      ASSERT_TRUE(st.allEmpty());
      continue;
    }
    // Exact tiling: every pixel of the area covered once, nothing outside.
    ASSERT_EQ(st.areaSum(), static_cast<int64_t>(w) * h);
    cover.assign(static_cast<size_t>(w) * h, 0);
    for (int i = 0; i < count; ++i) {
      const TreemapCell& c = st.cell(i);
      ASSERT_TRUE(c.left >= left && c.left <= c.right && c.right <= left + w) << i;
      ASSERT_TRUE(c.top >= top && c.top <= c.bottom && c.bottom <= top + h) << i;
      for (int y = c.top; y < c.bottom; ++y)
        for (int x = c.left; x < c.right; ++x) ++cover[(y - top) * w + (x - left)];
      // Within rounding of its share: each snapped edge is off by under a pixel.
      const double want = static_cast<double>(c.item->size) / listTotal * w * h;
      const double slack = (c.right - c.left) + (c.bottom - c.top) + 2.0;
      ASSERT_NEAR(static_cast<double>(c.right - c.left) * (c.bottom - c.top), want, slack) << i;
    }
    for (int v : cover) ASSERT_EQ(v, 1);
    // Hit testing finds the covering cell everywhere.
    for (int k = 0; k < 20; ++k) {
      const int32_t x = left + pick(0, w - 1), y = top + pick(0, h - 1);
      const int32_t hit = treemapCellAt(&st.s, x, y);
      ASSERT_GE(hit, 0);
      const TreemapCell& c = st.cell(hit);
      ASSERT_TRUE(x >= c.left && x < c.right && y >= c.top && y < c.bottom);
    }
  }
}

TEST(TreemapLayout, RowsSignatureFollowsTheSetAndItsOrder) {
  ScanItem a{}, b{};
  const ScanItem* ab[] = {&a, &b};
  const ScanItem* ba[] = {&b, &a};
  const uint64_t sig = treemapRowsSignature(ab, 2);
  EXPECT_EQ(sig, treemapRowsSignature(ab, 2));
  EXPECT_NE(sig, treemapRowsSignature(ba, 2));
  EXPECT_NE(sig, treemapRowsSignature(ab, 1));
  EXPECT_NE(treemapRowsSignature(ab, 0), treemapRowsSignature(nullptr, -1));
}

// A repaint with the same rows, area, scale and generation keeps the cells;
// any change lays out again, and so does a layout that memory cut short.
TEST(TreemapLayout, LayoutIsRedoneOnlyWhenItsInputsChange) {
  Rows rows{{"a", 30}, {"b", 20}, {"c", 10}};
  const ScanItem* const* data = rows.data();
  State st;
  auto again = [&](const ScanItem* const* r, int32_t n, uint64_t gen, int32_t dpi, int32_t right) {
    return layoutTreemapIfChanged(&st.s, r, n, gen, dpi, 0, 0, right, 100);
  };
  EXPECT_TRUE(again(data, 3, 0, 100, 200));
  const TreemapCell* cells = st.s.treemapCells;
  EXPECT_FALSE(again(data, 3, 0, 100, 200));
  EXPECT_EQ(st.s.treemapCells, cells);
  const ScanItem* reordered[] = {data[2], data[1], data[0]};
  for (auto changed : {again(reordered, 3, 0, 100, 200), again(reordered, 2, 0, 100, 200),
                       again(reordered, 2, 1, 100, 200), again(reordered, 2, 1, 125, 200),
                       again(reordered, 2, 1, 125, 201)})
    EXPECT_TRUE(changed);
  EXPECT_FALSE(again(reordered, 2, 1, 125, 201));
  // A plain layout in between (or teardown) forgets the key.
  layoutTreemap(&st.s, data, 3, 100, 0, 0, 50, 50);
  EXPECT_TRUE(again(reordered, 2, 1, 125, 201));
  EXPECT_EQ(st.s.treemapCellCount, 2);

  State failing(1);  // the working array cannot be had the first time
  EXPECT_TRUE(layoutTreemapIfChanged(&failing.s, data, 3, 0, 100, 0, 0, 200, 100));
  EXPECT_EQ(failing.s.treemapCellCount, 0);
  EXPECT_TRUE(layoutTreemapIfChanged(&failing.s, data, 3, 0, 100, 0, 0, 200, 100));
  EXPECT_EQ(failing.s.treemapCellCount, 3);
}
