#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "format/text.h"
#include "view/layout.h"

inline bool operator==(const LayoutRect& a, const LayoutRect& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
inline std::ostream& operator<<(std::ostream& os, const LayoutRect& r) {
  return os << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")";
}

namespace {

// Title font 21, body font 15: odd heights, so that scaling a sum as a whole
// differs from summing scaled parts at 150 %.
LayoutMetrics metrics(int32_t dpi) {
  LayoutMetrics m{};
  m.dpiScalePercent = dpi;
  m.headerTextHeight = 21;
  m.bodyTextHeight = 15;
  m.rowHeight = 22;
  m.iconColumnWidth = 32;
  m.iconSize = 16;
  m.searchBoxWidth = 150;
  m.searchBoxHeight = 23;
  m.titleWidth = 220;
  m.showHeaders = 1;
  m.everythingDebug = 0;
  return m;
}

// Fixed-width stand-in for the body font: 7 pixels a unit; counts its calls.
struct Ruler {
  int calls = 0;
};
int32_t measureFixed(void* context, const char16_t*, int32_t length) {
  ++static_cast<Ruler*>(context)->calls;
  return length * 7;
}

ScanItem makeItem(const char* name, uint64_t size, bool folder, int32_t fileCount) {
  ScanItem item{};
  textCopy(item.name, kNameUnits, textFromUtf8(name).c_str());
  item.size = size;
  item.isFolder = folder ? 1 : 0;
  item.fileCount = fileCount;
  return item;
}

std::vector<const ScanItem*> pointers(const std::vector<ScanItem>& items) {
  std::vector<const ScanItem*> rows;
  for (const ScanItem& i : items) rows.push_back(&i);
  return rows;
}

ColumnWidthInputs inputs(const std::vector<const ScanItem*>& rows) {
  ColumnWidthInputs in{};
  in.rows = rows.data();
  in.count = static_cast<int32_t>(rows.size());
  in.style = NumberStyle{u',', u'.', kSizeDisplayAuto};
  return in;
}

std::vector<int32_t> edges(const RowColumns& c) {
  return {c.iconLeft,  c.iconRight, c.nameLeft, c.nameRight,    c.filesLeft,
          c.filesRight, c.sizeLeft, c.sizeRight, c.percentLeft, c.percentRight};
}

}  // namespace

TEST(Layout, MulDivRoundsHalvesAwayFromZeroLikeWin32) {
  const struct { int32_t n, num, den, want; } rows[] = {
      {10, 125, 100, 13},  // 12.5
      {-10, 125, 100, -13},
      {10, -125, 100, -13},
      {10, 125, -100, -13},
      {-10, 125, -100, 13},
      {1, 149, 100, 1},
      {1, 150, 100, 2},
      {2, 1, 3, 1},  // 0.67, odd divisor
      {1, 1, 3, 0},
      {5, 7, 0, -1},
      {INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX},  // 64-bit product
      {INT32_MAX, 2, 1, -1},                          // overflow
      {INT32_MIN, 1, 1, -1},                          // as Win32: below -(2^31 - 1)
      {INT32_MIN, 1, -1, -1},
  };
  for (const auto& r : rows)
    EXPECT_EQ(mulDiv(r.n, r.num, r.den), r.want) << r.n << " * " << r.num << " / " << r.den;
}

// Expected values worked out by hand for T 21, F 15, C 32, search box 150 x 23,
// title 220 wide, in an 800-pixel-wide client. At 125 % the box is held right
// of the title; at 200 % it gives way to the controls. At 150 % the path bottom is
// S(21 + 15 + 16) = 78, not S(21) + S(15) + S(16) = 79: sums scale as a whole.
TEST(Layout, BandsControlsAndSearchBoxAtEveryScale) {
  struct Expect {
    int32_t dpi;
    // title top/bottom, path top/bottom, header top/bottom, list top with the
    // header, in the treemap; with the diagnostic lines: their three
    // top/bottom pairs, list top with and without the header.
    std::vector<int32_t> bands;
    // title, toggle, check square, label, button, glyph cells 0-3, search
    // frame, clear button, edit.
    std::vector<LayoutRect> rects;
  };
  const Expect cases[] = {
      {100, {10, 31, 37, 52, 57, 78, 82, 57, 55, 70, 71, 86, 87, 102, 132, 107},
       {{16, 10, 620, 31}, {650, 12, 784, 28}, {650, 13, 664, 27}, {670, 12, 784, 28},
        {623, 12, 640, 29}, {627, 16, 630, 19}, {632, 16, 635, 19}, {627, 21, 630, 24},
        {632, 21, 635, 24}, {325, 9, 475, 32}, {455, 12, 472, 29}, {328, 12, 452, 29}}},
      {125, {13, 39, 46, 65, 71, 98, 103, 71, 69, 88, 89, 108, 109, 128, 165, 134},
       {{20, 13, 575, 39}, {612, 15, 780, 35}, {612, 16, 630, 34}, {637, 15, 780, 35},
        {578, 15, 599, 36}, {583, 20, 587, 24}, {590, 20, 594, 24}, {583, 27, 587, 31},
        {590, 27, 594, 31}, {333, 11, 521, 40}, {496, 15, 517, 36}, {337, 15, 492, 36}}},
      {150, {15, 47, 56, 78, 86, 117, 123, 86, 83, 105, 107, 129, 131, 153, 198, 161},
       {{24, 15, 530, 47}, {575, 18, 776, 42}, {575, 19, 596, 40}, {605, 18, 776, 42},
        {535, 18, 560, 43}, {541, 24, 546, 29}, {549, 24, 554, 29}, {541, 32, 546, 37},
        {549, 32, 554, 37}, {285, 13, 510, 48}, {480, 18, 505, 43}, {290, 18, 475, 43}}},
      // At 200 % the box cannot sit between the title and the controls: it
      // keeps clear of the controls and overlaps the title.
      {200, {20, 62, 74, 104, 114, 156, 164, 114, 110, 140, 142, 172, 174, 204, 264, 214},
       {{32, 20, 440, 62}, {500, 24, 768, 56}, {500, 26, 528, 54}, {540, 24, 768, 56},
        {446, 23, 480, 57}, {454, 31, 461, 38}, {465, 31, 472, 38}, {454, 42, 461, 49},
        {465, 42, 472, 49}, {114, 17, 414, 63}, {374, 23, 408, 57}, {120, 23, 368, 57}}},
  };
  for (const Expect& e : cases) {
    SCOPED_TRACE(e.dpi);
    LayoutMetrics m = metrics(e.dpi);
    VerticalBands b = layoutBands(m, false);
    const VerticalBands t = layoutBands(m, true);
    EXPECT_EQ(b.hasDebugLines, 0);
    EXPECT_EQ(b.hasHeader, 1);
    EXPECT_EQ(t.hasHeader, 0);
    std::vector<int32_t> bands = {b.titleTop,  b.titleBottom,  b.pathTop, b.pathBottom,
                                  b.headerTop, b.headerBottom, b.listTop, t.listTop};
    m.everythingDebug = 1;
    b = layoutBands(m, false);
    EXPECT_EQ(b.hasDebugLines, 1);
    for (int i = 0; i < 3; ++i) bands.insert(bands.end(), {b.debugTop[i], b.debugBottom[i]});
    m.showHeaders = 0;
    bands.insert(bands.end(), {b.listTop, layoutBands(m, false).listTop});
    EXPECT_EQ(bands, e.bands);

    m = metrics(e.dpi);
    const TopControls c = layoutTopControls(m, 800);
    const SearchBoxPlacement s = layoutSearchBox(m, 800);
    EXPECT_EQ((std::vector<LayoutRect>{titleRect(m, 800), c.topFilesToggle, c.checkSquare,
                                       c.toggleLabel, c.treemapButton, c.glyphCells[0],
                                       c.glyphCells[1], c.glyphCells[2], c.glyphCells[3],
                                       s.frame, s.clearButton, s.edit}),
              e.rects);
  }
}

// Narrow windows, tiny title fonts and boxes too small for their insets.
TEST(Layout, TopBandAndSearchBoxEdgeCases) {
  for (int32_t dpi : {100, 125, 150, 200}) {
    LayoutMetrics m = metrics(dpi);
    for (int32_t w : {0, 1, 50, 200, 300}) {
      SearchBoxPlacement s = layoutSearchBox(m, w);
      EXPECT_EQ(s.frame.left, layoutScale(m, 16)) << dpi << " " << w;  // never left of the margin
      EXPECT_EQ(s.frame.right - s.frame.left, layoutScale(m, m.searchBoxWidth));
    }
  }
  LayoutMetrics m = metrics(100);
  EXPECT_EQ(layoutSearchBox(m, 2000).frame.left, 1000 - 75);  // a wide window centres it

  // Small title fonts get a fixed control band, which the search box shares:
  // 12 + (26 - (12 + 23)) / 2.
  for (auto tb : {std::pair<int32_t, int32_t>{5, 26}, {6, 13}, {30, 37}}) {
    m.headerTextHeight = tb.first;
    EXPECT_EQ(layoutTopControls(m, 800).topFilesToggle.bottom, tb.second) << tb.first;
  }
  m.headerTextHeight = 5;
  EXPECT_EQ(layoutSearchBox(m, 800).frame.top, 8);

  // A box too small for its own insets gives empty child windows, not inverted ones.
  m.searchBoxHeight = 4;
  m.searchBoxWidth = 2;
  const SearchBoxPlacement s = layoutSearchBox(m, 800);
  for (const LayoutRect& r : {s.edit, s.clearButton}) {
    EXPECT_GE(r.right, r.left);
    EXPECT_GE(r.bottom, r.top);
  }
}

TEST(Layout, RowColumnsAndHeaderCells) {
  LayoutMetrics m = metrics(100);
  RowColumns c = layoutRowColumns(m, 800, 0, 70, 85);
  EXPECT_EQ(edges(c), (std::vector<int32_t>{16, 48, 48, 538, 544, 614, 624, 709, 719, 784}));
  // The scrollbar strip narrows the content.
  EXPECT_EQ(layoutRowColumns(m, 800, 1, 70, 85).percentRight, 772);

  VerticalBands b = layoutBands(m, false);
  LayoutRect cells[kHeaderColumns];
  layoutHeaderCells(b, c, false, cells);
  // Neighbours meet halfway: (538 + 544) / 2, (614 + 624) / 2, (709 + 719) / 2.
  EXPECT_EQ(std::vector<LayoutRect>(cells, cells + kHeaderColumns),
            (std::vector<LayoutRect>{{16, 57, 48, 78}, {48, 57, 541, 78}, {541, 57, 619, 78},
                                     {619, 57, 714, 78}, {714, 57, 784, 78}}));
  const struct { int32_t x, y, want; } hits[] = {
      {540, 60, 1}, {541, 60, 2}, {783, 77, 4}, {784, 60, -1}, {100, 78, -1}};
  for (const auto& h : hits) EXPECT_EQ(headerCellAt(cells, h.x, h.y), h.want) << h.x << "," << h.y;

  // Top files: no files column, the name column runs to its right edge, and
  // the hidden cell can never be hit, not even at (-1, -1).
  RowColumns t = layoutRowColumns(m, 800, 0, 0, 85);
  EXPECT_EQ(t.nameRight, 614);
  layoutHeaderCells(b, t, true, cells);
  EXPECT_EQ(cells[2], (LayoutRect{-1, -1, -1, -1}));
  EXPECT_EQ(cells[1], (LayoutRect{48, 57, 619, 78}));  // (614 + 624) / 2
  EXPECT_EQ(cells[3].left, 619);
  EXPECT_EQ(headerCellAt(cells, -1, -1), -1);
  for (int x = 0; x < 800; ++x) EXPECT_NE(headerCellAt(cells, x, 60), 2);
}

TEST(Layout, InsideOfARow) {
  // At 150 % in an 800-pixel client: Xr 776, percent 678..776 (S(65) = 97.5
  // rounds up), size 578..663, drawn height S(22) - S(3) = 33 - 5 = 28.
  LayoutMetrics m = metrics(150);
  RowColumns c = layoutRowColumns(m, 800, 0, 70, 85);
  RowGeometry g = layoutRow(m, c, 100, 40);
  EXPECT_EQ(g.top, 100);
  EXPECT_EQ(g.drawnBottom, 128);
  EXPECT_EQ((std::vector<LayoutRect>{g.icon, g.bar, g.name, g.filesText, g.size, g.percent}),
            (std::vector<LayoutRect>{{30, 102, 54, 126}, {66, 100, 555, 128},
                                     {72, 100, 508, 128}, {508, 100, 548, 128},
                                     {578, 100, 663, 128}, {678, 100, 776, 128}}));

  // A files text wider than the room keeps the name at full width.
  m = metrics(100);
  c = layoutRowColumns(m, 300, 0, 70, 85);
  g = layoutRow(m, c, 0, 1000);
  EXPECT_EQ(g.name.right, c.sizeLeft - 20);
  EXPECT_EQ(g.filesText.left, g.filesText.right);
  EXPECT_EQ(layoutRow(m, c, 0, 0).name.right, c.sizeLeft - 20);
}

TEST(Layout, FilesColumnTextsAndSizeTexts) {
  const NumberStyle us{u',', u'.', kSizeDisplayAuto};
  const struct { bool folder, link, denied; int32_t fileCount, label;
                 FilesColumnKind kind; const char* text; } rows[] = {
      {true, false, false, 1, 0, kFilesColumnText, "  [1 File]"},
      {true, false, false, 12345, 0, kFilesColumnText, "  [12,345 Files]"},
      {true, false, false, 0, 0, kFilesColumnText, "  [0 Files]"},
      {true, false, false, -1, 0, kFilesColumnNone, ""},
      {true, false, false, -1, 1, kFilesColumnText, "  [Everything]"},
      {true, false, false, -1, 2, kFilesColumnIconSlot, ""},
      {true, false, false, -1, 3, kFilesColumnNone, ""},
      {true, false, true, -1, 1, kFilesColumnText, "  [Access Denied]"},
      {true, true, true, -1, 1, kFilesColumnText, "  [Link]"},  // a link wins over access denied
      {false, false, false, 0, 1, kFilesColumnNone, ""},
  };
  char16_t buf[64];
  for (const auto& r : rows) {
    ScanItem item = makeItem("a", 1, r.folder, r.fileCount);
    item.isLink = r.link;
    item.accessDenied = r.denied;
    buf[0] = u'#';
    EXPECT_EQ(listFilesColumnText(item, us, r.label, buf, 64), r.kind) << r.text;
    EXPECT_EQ(textToUtf8(buf), r.text);
  }
  // Cut to a small buffer, terminated.
  listFilesColumnText(makeItem("a", 1, true, 12345), us, 0, buf, 6);
  EXPECT_EQ(textToUtf8(buf), "  [12");

  listSizeText(us, 123456789, buf, 64);
  EXPECT_EQ(textToUtf8(buf), "117.7 MB");
  listSizeText(NumberStyle{u',', u'.', kSizeDisplayMB}, 123456789, buf, 64);
  EXPECT_EQ(textToUtf8(buf), "117.74");  // the header carries the unit
}

TEST(Layout, ColumnWidthsFromTheWidestTexts) {
  LayoutMetrics m = metrics(100);
  std::vector<ScanItem> items = {
      makeItem("big", 1099511627776ull, true, 12345),  // "  [12,345 Files]": 16 units
      makeItem("file", 999, false, 0),
      makeItem("unknown", 5, true, -1),
  };
  std::vector<const ScanItem*> rows = pointers(items);
  ColumnWidthInputs in = inputs(rows);
  Ruler ruler;
  ColumnWidths w = measureColumnWidths(m, in, measureFixed, &ruler);
  EXPECT_EQ(w.filesWidth, 16 * 7 + 4);
  EXPECT_EQ(w.sizeWidth, 85);  // "1,024.0 GB" is 70 pixels: the minimum holds

  // "  [Everything]" (14 units) only counts with everythingLabel 1.
  items[0].fileCount = 3;  // "  [3 Files]": 11 units -> 81
  in.everythingLabel = 1;
  EXPECT_EQ(measureColumnWidths(m, in, measureFixed, &ruler).filesWidth, 14 * 7 + 4);
  in.everythingLabel = 2;
  EXPECT_EQ(measureColumnWidths(m, in, measureFixed, &ruler).filesWidth, 11 * 7 + 4);

  // A fixed byte unit makes long numbers: "1,099,511,627,776" is 17 units.
  in.style.sizeDisplay = kSizeDisplayB;
  EXPECT_EQ(measureColumnWidths(m, in, measureFixed, &ruler).sizeWidth, 17 * 7 + 4);

  // Top files: no files column at all.
  in.showTopFiles = 1;
  EXPECT_EQ(measureColumnWidths(m, in, measureFixed, &ruler).filesWidth, 0);

  // No rows: the minimums, scaled.
  w = measureColumnWidths(metrics(150), inputs({}), measureFixed, &ruler);
  EXPECT_EQ(w.filesWidth, 105);
  EXPECT_EQ(w.sizeWidth, 128);  // S(85) = 127.5 -> 128
}

TEST(Layout, ColumnWidthCacheMeasuresOnlyWhenTheRowsOrSettingsChange) {
  LayoutMetrics m = metrics(100);
  std::vector<ScanItem> items;
  for (int i = 0; i < 50; ++i)
    items.push_back(makeItem("x", 1000ull * i * i * i, i % 3 == 0, i * 37));
  std::vector<const ScanItem*> rows = pointers(items);
  ColumnWidthInputs in = inputs(rows);
  in.fontKey = 0x1234;

  ColumnWidthCache cache{};
  Ruler ruler;
  const ColumnWidths direct = measureColumnWidths(m, in, measureFixed, &ruler);
  ruler.calls = 0;
  ColumnWidths w = cachedColumnWidths(&cache, m, in, measureFixed, &ruler);
  EXPECT_EQ(w.filesWidth, direct.filesWidth);
  EXPECT_EQ(w.sizeWidth, direct.sizeWidth);
  EXPECT_GT(ruler.calls, 0);
  EXPECT_EQ(cache.measuredCount, 1u);

  // Unchanged: nothing is measured again, even with a new per-paint context,
  // nor after re-sorting the same rows.
  Ruler other;
  for (int paint = 0; paint < 5; ++paint) cachedColumnWidths(&cache, m, in, measureFixed, &other);
  std::reverse(rows.begin(), rows.end());
  cachedColumnWidths(&cache, m, in, measureFixed, &other);
  EXPECT_EQ(other.calls, 0);
  EXPECT_EQ(cache.measuredCount, 1u);

  // A filter that keeps the count but swaps one row for another is noticed.
  ScanItem wide = makeItem("wide", 1, true, 2000000000);
  const ScanItem* saved = rows[7];
  rows[7] = &wide;
  w = cachedColumnWidths(&cache, m, in, measureFixed, &ruler);
  EXPECT_EQ(cache.measuredCount, 2u);
  EXPECT_EQ(w.filesWidth, 23 * 7 + 4);  // "  [2,000,000,000 Files]"
  rows[7] = saved;
  cachedColumnWidths(&cache, m, in, measureFixed, &ruler);
  EXPECT_EQ(cache.measuredCount, 3u);

  // Every setting the texts or the minimums depend on invalidates, and going
  // back measures again.
  void (*const changes[])(ColumnWidthInputs&, LayoutMetrics&) = {
      [](ColumnWidthInputs& c, LayoutMetrics&) { c.count = 49; },
      [](ColumnWidthInputs& c, LayoutMetrics&) { c.style.thousandsSeparator = u'.'; },
      [](ColumnWidthInputs& c, LayoutMetrics&) { c.style.decimalSeparator = u','; },
      [](ColumnWidthInputs& c, LayoutMetrics&) { c.style.sizeDisplay = kSizeDisplayKB; },
      [](ColumnWidthInputs& c, LayoutMetrics&) { c.everythingLabel = 1; },
      [](ColumnWidthInputs& c, LayoutMetrics&) { c.showTopFiles = 1; },
      [](ColumnWidthInputs& c, LayoutMetrics&) { c.fontKey = 0x5678; },
      [](ColumnWidthInputs& c, LayoutMetrics&) { c.rowsGeneration = 1; },
      [](ColumnWidthInputs&, LayoutMetrics& lm) { lm.dpiScalePercent = 125; },
  };
  unsigned expected = 3;
  for (auto change : changes) {
    ColumnWidthInputs c = in;
    LayoutMetrics cm = m;
    change(c, cm);
    cachedColumnWidths(&cache, cm, c, measureFixed, &ruler);
    EXPECT_EQ(cache.measuredCount, ++expected);
    cachedColumnWidths(&cache, m, in, measureFixed, &ruler);
    EXPECT_EQ(cache.measuredCount, ++expected);
  }

  // In-place changes of a record need the generation bump; with it the new
  // numbers appear.
  items[49].size = 1ull << 62;
  in.rowsGeneration = 2;
  in.style.sizeDisplay = kSizeDisplayB;
  w = cachedColumnWidths(&cache, m, in, measureFixed, &ruler);
  EXPECT_EQ(w.sizeWidth, 25 * 7 + 4);  // "4,611,686,018,427,387,904"
}

TEST(Layout, RowsHitTestAndScrollRange) {
  LayoutMetrics m = metrics(100);
  const int32_t L = 82;
  EXPECT_EQ(rowTop(m, L, 0, 0), 82);
  EXPECT_EQ(rowTop(m, L, 30, 3), 82 - 30 + 66);
  const struct { int32_t scroll, count, y, want; } hits[] = {
      {0, 10, 81, -1},  // above the list
      {0, 10, 82, 0},           {0, 10, 103, 0}, {0, 10, 104, 1},
      {0, 10, 82 + 22 * 10, -1},  // past the last row
      {0, 0, 90, -1},           {44, 10, 82, 2},
      {INT32_MAX, INT32_MAX, INT32_MAX, static_cast<int32_t>((int64_t{INT32_MAX} - L + INT32_MAX) / 22)},
  };
  for (const auto& h : hits)
    EXPECT_EQ(rowIndexAt(m, L, h.scroll, h.count, h.y), h.want) << h.scroll << " " << h.y;
  LayoutMetrics zero = m;
  zero.dpiScalePercent = 0;  // a broken scale must not divide by zero
  EXPECT_EQ(rowIndexAt(zero, 0, 0, 10, 5), -1);

  // Hc = 22 * 20 + 82 + 16 = 538: fits exactly at H 538.
  ScrollRange r = computeScrollRange(m, L, 20, 538, 100);
  EXPECT_EQ(r.contentHeight, 538);
  EXPECT_EQ(r.scrollMax, 0);
  EXPECT_EQ(r.scrollOffset, 0);
  const ScrollbarGeometry none = layoutScrollbar(m, 800, 538, L, 20, 0, 0);
  EXPECT_EQ(none.shown, 0);
  EXPECT_EQ(none.thumb, (LayoutRect{0, 0, 0, 0}));
  // {height, offset in, max, offset out}: growing the window lowers the
  // maximum and drags the offset along; huge lists saturate, not wrap.
  const struct { int32_t count, height, offset, max, clamped; } ranges[] = {
      {20, 400, 500, 138, 138},
      {20, 400, -5, 138, 0},
      {20, 500, 138, 38, 38},
      {INT32_MAX, 500, INT32_MAX, INT32_MAX, INT32_MAX},
  };
  for (const auto& e : ranges) {
    r = computeScrollRange(m, L, e.count, e.height, e.offset);
    EXPECT_EQ(r.scrollMax, e.max) << e.height << " " << e.offset;
    EXPECT_EQ(r.scrollOffset, e.clamped) << e.height << " " << e.offset;
  }
}

TEST(Layout, ScrollbarThumbAndTreemapArea) {
  LayoutMetrics m = metrics(100);
  const int32_t L = 82;
  // 100 rows: Hc = 2200 + 98 = 2298, H 400, scrollMax 1898, h 318.
  ScrollbarGeometry g = layoutScrollbar(m, 800, 400, L, 100, 0, 1898);
  EXPECT_EQ(g.shown, 1);
  EXPECT_EQ(g.track, (LayoutRect{788, 82, 800, 400}));
  const int32_t th = 55;  // 318 * 400 / 2298 = 55.35
  EXPECT_EQ(g.thumb, (LayoutRect{790, 82, 798, 82 + th}));
  g = layoutScrollbar(m, 800, 400, L, 100, 1898, 1898);
  EXPECT_EQ(g.thumb.bottom, 400);  // at the end the thumb meets the track's bottom
  g = layoutScrollbar(m, 800, 400, L, 100, 949, 1898);
  EXPECT_EQ(g.thumb.top, 82 + (318 - th) / 2);
  // Very long lists keep the minimum thumb.
  g = layoutScrollbar(m, 800, 400, L, 100000, 0, 2200000);
  EXPECT_EQ(g.thumb.bottom - g.thumb.top, 20);

  m = metrics(125);
  TreemapArea a = layoutTreemapArea(m, 71, 800, 600);
  EXPECT_EQ(a.hasArea, 1);
  EXPECT_EQ(a.rect, (LayoutRect{20, 71, 780, 580}));
  EXPECT_EQ(layoutTreemapArea(m, 71, 40, 600).hasArea, 0);  // zero width
  EXPECT_EQ(layoutTreemapArea(m, 71, 800, 91).hasArea, 0);  // zero height
}
