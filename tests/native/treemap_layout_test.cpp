#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <deque>
#include <sstream>
#include <string>
#include <vector>

#include "format/text.h"
#include "treemap/treemap_layout.h"

namespace {

// Visible rows from words "name=size"; a word without "=" takes the size
// before it. The records stay put while the layout holds pointers to them.
struct Rows {
  std::deque<ScanItem> items;
  std::vector<const ScanItem*> ptrs;
  uint64_t total = 0;
  explicit Rows(const std::string& text) {
    std::istringstream words(text);
    uint64_t size = 0;
    for (std::string w; words >> w; ptrs.push_back(&items.back()), total += size) {
      const size_t eq = w.find('=');
      if (eq != std::string::npos) size = std::stoull(w.substr(eq + 1));
      items.emplace_back().size = size;
      textCopy(items.back().name, kNameUnits, textFromUtf8(w.substr(0, eq)).c_str());
    }
  }
};

// A layout whose memory, when `failAt` >= 0, is counted: `live` blocks, and
// the allocation numbered failAt (1-based; 0 never) refused.
struct State {
  static void* allocate(void* self, size_t bytes) {
    auto* st = static_cast<State*>(self);
    return ++st->calls == st->failAt ? nullptr : (++st->live, std::malloc(bytes));
  }
  static void release(void* st, void* block) { --static_cast<State*>(st)->live, std::free(block); }
  int calls = 0, failAt, live = 0;
  TreemapAllocator api{&allocate, &release, this};
  TreemapLayoutState s{};
  explicit State(int fail = -1) : failAt(fail) { s.allocator = fail >= 0 ? &api : nullptr; }
  ~State() { releaseTreemapCells(&s); }
  std::string names() const {  // "a|Others (5 items)|b"
    std::string out;
    for (int i = 0; i < s.treemapCellCount; ++i)
      out += (i ? "|" : "") + textToUtf8(s.treemapCells[i].item->name);
    return out;
  }
  // Whether the cells cover the w x h area at (x0, y0) once, and nothing outside it.
  bool tiles(int32_t x0, int32_t y0, int32_t w, int32_t h) const {
    std::vector<int> cover(static_cast<size_t>(w) * h);
    for (const TreemapCell* c = s.treemapCells; c < s.treemapCells + s.treemapCellCount; ++c)
      for (int y = c->top; y < c->bottom; ++y)
        for (int x = c->left; x < c->right; ++x)
          if (x < x0 || x >= x0 + w || y < y0 || y >= y0 + h || ++cover[(y - y0) * w + x - x0] > 1)
            return false;
    return std::count(cover.begin(), cover.end(), 1) == int64_t{w} * h;
  }
};

// Every area is laid out at (10, 20), off the client origin.
void layout(State& st, Rows& rows, int32_t w, int32_t h, int32_t dpi = 100) {
  const int32_t n = static_cast<int32_t>(rows.ptrs.size());
  layoutTreemap(&st.s, rows.ptrs.data(), n, dpi, 10, 20, 10 + w, 20 + h);
}

// One 80 % item and twenty 1 % items, their names in mixed case.
const char* const kLargeAndTwenty = "Large=80000 m=1000 B q d E a S t c K l N o P F r g h I j";

}  // namespace

// The tail of small items folds into "Others" from five items on and gives
// back its largest while it holds over 15 %; an item keeps a cell only when
// that cell would be at least 50 x 50 pixels at the panel's scale.
TEST(TreemapLayout, SmallItemsFoldIntoOthersAndEqualSizesOrderByName) {
  const char* const kSeven = "f0=1000 f1=2000 f2=3000 f3=4000 f4=5000 f5=6000 f6=7000";
  const struct { const char* rows; int32_t w, h, dpi; const char* want; } cases[] = {
      // The five that leave the group are the first five names, ignoring case.
      {kLargeAndTwenty, 400, 300, 100, "Large|Others (15 items)|a|B|c|d|E"},
      {"big=900000 s0=20000 s1 s2 s3 s4 s5 s6 s7 s8 s9", 400, 300, 100,
       "big|Others (8 items)|s0|s1"},
      // No item earns a cell: the group gives nothing back, as handed-back
      // items would be slivers thinner than their gap, invisible yet hoverable.
      {kSeven, 40, 40, 100, "Others (7 items)"},
      {kSeven, 120, 120, 100, "f6|f5|f4|f3|f2|f1|f0"},
      {kSeven, 120, 120, 200, "Others (7 items)"},
      // Whatever the order of the rows.
      {"Zebra=100 pear Apple t=20 u v w x", 200, 200, 100, "Apple|Others (5 items)|pear|Zebra"},
      {"x=20 w v u t Apple=100 pear Zebra", 200, 200, 100, "Apple|Others (5 items)|pear|Zebra"},
      // Nothing to measure: the cells are there, empty.
      {"z0=0 z1 z2 z3 z4 z5", 400, 300, 100, "Others (6 items)"},
      {"z0=0 z1 z2", 400, 300, 100, "z0|z1|z2"},
      {"a=10 b=20", 0, 300, 100, "b|a"}, {"a=10 b=20", 400, -1, 100, "b|a"},
  };
  for (const auto& c : cases) {
    Rows rows(c.rows);
    rows.ptrs.insert(rows.ptrs.begin() + 1, nullptr);  // skipped
    State st;
    layout(st, rows, c.w, c.h, c.dpi);
    EXPECT_EQ(st.names(), c.want) << c.rows << " in " << c.w << "x" << c.h << " at " << c.dpi;
    EXPECT_EQ(st.s.treemapTotal, rows.total) << c.rows;
    // Cells with something to measure tile the area; the others cover and hit nothing.
    const bool empty = c.w <= 0 || c.h <= 0 || rows.items[0].size == 0;
    EXPECT_TRUE(st.tiles(10, 20, empty ? 0 : c.w, empty ? 0 : c.h)) << c.rows;
    EXPECT_EQ(treemapCellAt(&st.s, 10, 20), empty ? -1 : 0) << c.rows;
  }
}

// The classic squarified example (areas 6, 6, 4, 3, 2, 2, 1 in a 6 x 4 field),
// scaled by 100: the first two stack in a column at the left, the next two
// run as a strip along the top of the rest, the last three share the bottom.
TEST(TreemapLayout, SquarifiedRowsGrowWhileTheyImprove) {
  Rows rows("a=6 b=6 c=4 d=3 e=2 f=2 g=1");
  State st;
  layout(st, rows, 600, 400);
  const int32_t want[7][4] = {{0, 0, 300, 200},   {0, 200, 300, 400},   {300, 0, 471, 233},
                               {471, 0, 600, 233}, {300, 233, 420, 400}, {420, 233, 540, 400},
                               {540, 233, 600, 400}};
  ASSERT_EQ(st.names(), "a|b|c|d|e|f|g");
  // Tiling the area, each cell holds its two corners (right and bottom exclusive): it is that box.
  ASSERT_TRUE(st.tiles(10, 20, 600, 400));
  for (int i = 0; i < 7; ++i)
    EXPECT_TRUE(treemapCellAt(&st.s, 10 + want[i][0], 20 + want[i][1]) == i &&
                treemapCellAt(&st.s, 9 + want[i][2], 19 + want[i][3]) == i) << i;
}

// Memory refused at each of the layout's allocations (working array, grouped
// list, cells, areas) ends consistently and leaks nothing.
TEST(TreemapLayout, ShortMemoryEndsConsistently) {
  Rows rows(kLargeAndTwenty);
  const struct { int failAt, cells; uint64_t total; bool tiled; } cases[] = {
      {1, 0, 4242, false},   // no working array: no cells, the previous total stays
      {2, 21, 100000, true},  // no grouped list: every item laid out, ungrouped
      {3, 0, 100000, false},  // no cell array: nothing laid out, the total current
      {4, 7, 100000, false},  // no area array: the cells are there, empty
  };
  for (const auto& c : cases) {
    State st(c.failAt);
    st.s.treemapTotal = 4242;
    layout(st, rows, 400, 300);
    EXPECT_EQ(st.s.treemapCellCount, c.cells) << c.failAt;
    EXPECT_EQ(st.s.treemapTotal, c.total) << c.failAt;
    EXPECT_TRUE(st.tiles(10, 20, c.tiled ? 400 : 0, c.tiled ? 300 : 0)) << c.failAt;
    EXPECT_EQ(st.live, c.cells ? 1 : 0) << c.failAt;  // only the cells stay
  }
}

// A repaint with the same rows (by identity and order), area, scale and
// generation keeps the cells; any change lays out again, and so does a layout
// that memory cut short or that a plain layout replaced. No rows clear the
// cells and the total.
TEST(TreemapLayout, LayoutIsRedoneOnlyWhenItsInputsChange) {
  Rows rows("a=30 b=20 c=10");
  const ScanItem* const* abc = rows.ptrs.data();
  const ScanItem* cba[] = {abc[2], abc[1], abc[0]};
  State st(1);  // the first working array cannot be had
  // The count of cells a call laid out, or -1 when it kept the cells.
  auto again = [&](const ScanItem* const* r, int32_t n, uint64_t gen, int32_t dpi, int32_t w) {
    return layoutTreemapIfChanged(&st.s, r, n, gen, dpi, 0, 0, w, 100) ? st.s.treemapCellCount : -1;
  };
  const std::vector<int32_t> got = {
      again(abc, 3, 0, 100, 200), again(abc, 3, 0, 100, 200), again(abc, 3, 0, 100, 200),
      again(cba, 3, 0, 100, 200), again(cba, 2, 0, 100, 200), again(cba, 2, 1, 100, 200),
      again(cba, 2, 1, 125, 200), again(cba, 2, 1, 125, 201), again(cba, 2, 1, 125, 201)};
  EXPECT_EQ(got, (std::vector<int32_t>{0, 3, -1, 3, 2, 2, 2, 2, -1}));
  layoutTreemap(&st.s, abc, 3, 100, 0, 0, 50, 50);  // replaces the cells: the key is stale
  EXPECT_EQ(again(cba, 2, 1, 125, 201), 2);
  EXPECT_EQ(st.live, 1);  // every layout freed the cells before it and its working arrays
  EXPECT_EQ(again(nullptr, 3, 1, 125, 201), 0);
  EXPECT_EQ(st.s.treemapTotal, 0u);
  EXPECT_EQ(treemapCellAt(nullptr, 0, 0), -1);
  layoutTreemap(nullptr, abc, 3, 100, 0, 0, 100, 100);  // no crash
}
