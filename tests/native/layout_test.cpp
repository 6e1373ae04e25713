// The panel's geometry, worked out by hand: bands, controls, search box,
// columns, rows, header cells, hit tests, scrolling and the column widths.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "format/text.h"
#include "tests/support/recording_canvas.h"
#include "view/layout.h"

namespace {

// Title font 21, body font 15: odd heights, so that scaling a sum as a whole
// differs from summing scaled parts at 150 %.
LayoutMetrics metrics(int32_t dpi) { return LayoutMetrics{dpi, 21, 15, 22, 32, 16, 150, 23, 220, 1, 0}; }

std::string rects(std::initializer_list<Rect> list) {
  std::string s;
  for (const Rect& r : list) s += (s.empty() ? "" : " ") + rectText(r);
  return s;
}

// Fixed-width stand-in for the body font: 7 pixels a unit.
int32_t measureFixed(void*, const char16_t*, int32_t length) { return length * 7; }

ScanItem item(uint64_t size, bool folder, int32_t fileCount) {
  ScanItem it{};
  it.size = size, it.isFolder = folder, it.fileCount = fileCount;
  return it;
}

}  // namespace

TEST(Layout, MulDivRoundsHalvesAwayFromZeroLikeWin32) {
  const struct { int32_t n, num, den, want; } rows[] = {
      {-10, 125, 100, -13}, {10, -125, 100, -13}, {10, 125, -100, -13}, {-10, 125, -100, 13},  // 12.5
      {5, 7, 0, -1}, {INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX},  // a 64-bit product
      {INT32_MAX, 2, 1, -1}, {INT32_MIN, 1, -1, -1},  // overflow; as Win32, below -(2^31 - 1) too
  };
  for (const auto& r : rows) EXPECT_EQ(mulDiv(r.n, r.num, r.den), r.want) << r.n << " * " << r.num << " / " << r.den;
}

// Worked out by hand for T 21, F 15, C 32, search box 150 x 23, title 220
// wide, in an 800-pixel-wide client at 150 %. The path bottom is
// S(21 + 15 + 16) = 78, not S(21) + S(15) + S(16) = 79: sums scale as a whole.
TEST(Layout, BandsControlsAndSearchBoxAt150PerCent) {
  LayoutMetrics m = metrics(150);
  VerticalBands b = layoutBands(m, false);
  const VerticalBands t = layoutBands(m, true);
  // Title, path, header, list top with the header, in the treemap; with the
  // diagnostic lines: their three top/bottom pairs, list top with and without the header.
  std::vector<int32_t> bands = {b.titleTop, b.titleBottom, b.pathTop, b.pathBottom, b.headerTop, b.headerBottom,
                                b.listTop,  t.listTop};
  EXPECT_EQ(b.hasDebugLines * 4 + b.hasHeader * 2 + t.hasHeader, 2);
  m.everythingDebug = 1;
  b = layoutBands(m, false);
  for (int i = 0; i < 3; ++i) bands.insert(bands.end(), {b.debugTop[i], b.debugBottom[i]});
  m.showHeaders = 0;
  bands.insert(bands.end(), {b.listTop, layoutBands(m, false).listTop, b.hasDebugLines});
  EXPECT_EQ(bands, (std::vector<int32_t>{15, 47, 56, 78, 86, 117, 123, 86, 83, 105, 107, 129, 131, 153, 198, 161, 1}));
  // Title, toggle, check square, label, button, glyph cells 0-3, search frame, clear button, edit.
  m = metrics(150);
  // The controls are written inside their own record, nothing past it.
  const struct { TopControls c; Rect after[2]; } guarded{layoutTopControls(m, 800), {}};
  const TopControls& c = guarded.c;
  EXPECT_EQ(rects({guarded.after[0], guarded.after[1]}), "0,0,0,0 0,0,0,0");
  const SearchBoxPlacement s = layoutSearchBox(m, 800);
  EXPECT_EQ(rects({titleRect(m, 800), c.topFilesToggle, c.checkSquare, c.toggleLabel, c.treemapButton, c.glyphCells[0],
                   c.glyphCells[1], c.glyphCells[2], c.glyphCells[3], s.frame, s.clearButton, s.edit}),
            "24,15,530,47 575,18,776,42 575,19,596,40 605,18,776,42 535,18,560,43 541,24,546,29 549,24,554,29 "
            "541,32,546,37 549,32,554,37 285,13,510,48 480,18,505,43 290,18,475,43");
  // At 125 % the box is held right of the title; at 200 % it cannot sit between
  // the title and the controls: it keeps clear of the controls and overlaps the title.
  EXPECT_EQ(rectText(layoutSearchBox(metrics(125), 800).frame), "333,11,521,40");
  EXPECT_EQ(rects({layoutSearchBox(metrics(200), 800).frame, layoutTopControls(metrics(200), 800).treemapButton}),
            "114,17,414,63 446,23,480,57");
}

// Narrow windows never push the search box past the left margin; a box too
// small for its own insets gives empty child windows, not inverted ones.
TEST(Layout, SearchBoxInNarrowWindowsAndTooSmallForItsInsets) {
  for (int32_t dpi : {100, 125, 150, 200})
    for (int32_t w : {0, 1, 50, 200, 300}) {
      const SearchBoxPlacement s = layoutSearchBox(metrics(dpi), w);
      EXPECT_EQ(rectText(s.frame).substr(0, 3), std::to_string(16 * dpi / 100) + ",") << dpi << " " << w;
      EXPECT_EQ(s.frame.right - s.frame.left, layoutScale(metrics(dpi), 150));
    }
  LayoutMetrics m = metrics(100);
  m.headerTextHeight = 5, m.searchBoxHeight = 4, m.searchBoxWidth = 2;
  const SearchBoxPlacement s = layoutSearchBox(m, 800);
  EXPECT_EQ(rects({s.edit, s.clearButton}), "402,20,402,20 400,20,400,20");
}

TEST(Layout, InsideOfARow) {
  LayoutMetrics m = metrics(150);
  // At 150 % in an 800-pixel client: Xr 776, percent 678..776 (S(65) = 97.5
  // rounds up), size 578..663, drawn height S(22) - S(3) = 33 - 5 = 28.
  RowGeometry g = layoutRow(m, layoutRowColumns(m, 800, 0, 70, 85), 100, 40);
  EXPECT_EQ(rects({{g.top, g.drawnBottom, 0, 0}, g.icon, g.bar, g.name, g.filesText, g.size, g.percent}),
            "100,128,0,0 30,102,54,126 66,100,555,128 72,100,508,128 508,100,548,128 578,100,663,128 678,100,776,128");
  // A files text wider than the room keeps the name at full width.
  m = metrics(100);
  const RowColumns narrow = layoutRowColumns(m, 300, 0, 70, 85);
  g = layoutRow(m, narrow, 0, 1000);
  EXPECT_EQ(rects({g.name, g.filesText, layoutRow(m, narrow, 0, 0).name}), "48,0,104,19 104,0,104,19 48,0,104,19");
}

// The kind and text of the files column for a folder of unknown count with
// the overlay label (none), denied (its notice), a link denied (the link wins).
TEST(Layout, FilesColumnTexts) {
  const NumberStyle us{u',', u'.', kSizeDisplayAuto};
  const struct { bool link, denied; int32_t label; const char* want; } rows[] = {
      {false, false, 3, "0 "}, {false, true, 1, "1   [Access Denied]"}, {true, true, 1, "1   [Link]"}};
  char16_t buf[64];
  for (const auto& r : rows) {
    ScanItem it = item(1, true, -1);
    it.isLink = r.link, it.accessDenied = r.denied, buf[0] = u'#';
    const FilesColumnKind kind = listFilesColumnText(it, us, r.label, buf, 64);
    EXPECT_EQ(std::to_string(kind) + " " + textToUtf8(buf), r.want) << r.want;
  }
  listFilesColumnText(item(1, true, 12345), us, 0, buf, 6);  // cut to a small buffer, terminated
  EXPECT_EQ(textToUtf8(buf), "  [12");
}

// Widths of the files and size columns: the widest text plus S(4), at least
// S(70) and S(85); through the cache, measured again only when what they
// depend on changes, and again when it changes back.
TEST(Layout, ColumnWidthsFromTheWidestTextsMeasuredOnlyWhenAnInputChanges) {
  // 1 TiB in a folder of 3 files ("  [3 Files]": 11 units), a file, a folder of unknown count.
  static ScanItem items[] = {item(1099511627776ull, true, 3), item(999, false, 0), item(5, true, -1),
                             item(1, true, 2000000000)};
  static const ScanItem* rows[] = {&items[0], &items[1], &items[2]};
  static const ScanItem* swapped[] = {&items[0], &items[3], &items[2]};
  const ColumnWidthInputs base{rows, 3, NumberStyle{u',', u'.', kSizeDisplayAuto}, 0, 0, 0x1234, 0};
  const struct { const char* name; void (*change)(ColumnWidthInputs&); int32_t files, size; bool measured; } cases[] = {
      {"unchanged", [](ColumnWidthInputs&) {}, 81, 85, false},
      {"a row swapped for another", [](ColumnWidthInputs& c) { c.rows = swapped; }, 23 * 7 + 4, 85, true},
      {"bytes", [](ColumnWidthInputs& c) { c.style.sizeDisplay = kSizeDisplayB; }, 81, 17 * 7 + 4, true},
      {"the Everything label counts", [](ColumnWidthInputs& c) { c.everythingLabel = 1; }, 14 * 7 + 4, 85, true},
  };
  const LayoutMetrics m = metrics(100);
  ColumnWidthCache cache{};
  cachedColumnWidths(&cache, m, base, measureFixed, nullptr);
  for (const auto& k : cases) {
    ColumnWidthInputs in = base;
    k.change(in);
    const uint32_t before = cache.measuredCount;
    const ColumnWidths w = cachedColumnWidths(&cache, m, in, measureFixed, nullptr);
    EXPECT_EQ(std::to_string(w.filesWidth) + " " + std::to_string(w.sizeWidth),
              std::to_string(k.files) + " " + std::to_string(k.size)) << k.name;
    cachedColumnWidths(&cache, m, base, measureFixed, nullptr);
    EXPECT_EQ(cache.measuredCount - before, k.measured ? 2u : 0u) << k.name;
  }
}

TEST(Layout, HitTestScrollRangeScrollbarAndTreemapArea) {
  const LayoutMetrics m = metrics(100);
  const int32_t L = 82;
  EXPECT_EQ(rowIndexAt(m, L, 0, 0, 90), -1);  // no rows
  EXPECT_EQ(rowIndexAt(m, L, INT32_MAX, INT32_MAX, INT32_MAX), (int64_t{INT32_MAX} - L + INT32_MAX) / 22);  // no wrap
  EXPECT_EQ(rowIndexAt(metrics(0), 0, 0, 10, 5), -1);  // a broken scale must not divide by zero

  // Hc = 22 * 20 + 82 + 16 = 538: the offset is held in 0..Hc - H; huge lists saturate, not wrap.
  const struct { int32_t count, height, offset; int64_t hc; int32_t max, clamped; } ranges[] = {
      {20, 400, 500, 538, 138, 138}, {20, 400, -5, 538, 138, 0},
      {INT32_MAX, 500, INT32_MAX, int64_t{INT32_MAX} * 22 + 98, INT32_MAX, INT32_MAX}};
  for (const auto& e : ranges) {
    const ScrollRange r = computeScrollRange(m, L, e.count, e.height, e.offset);
    const std::string got = std::to_string(r.contentHeight) + " " + std::to_string(r.scrollMax) + " ";
    EXPECT_EQ(got + std::to_string(r.scrollOffset),
              std::to_string(e.hc) + " " + std::to_string(e.max) + " " + std::to_string(e.clamped)) << e.height;
  }
  // 100 rows in 400 pixels: Hc 2298, scrollMax 1898, the thumb 318 * 400 / 2298 = 55.35 high.
  const struct { int32_t count, offset, max; const char* want; } bars[] = {
      {20, 0, 0, "0 0,0,0,0 0,0,0,0"}, {100, 949, 1898, "1 788,82,800,400 790,213,798,268"},
      {100000, 0, 2200000, "1 788,82,800,400 790,82,798,102"}};  // very long lists keep the minimum thumb
  for (const auto& b : bars) {
    const ScrollbarGeometry g = layoutScrollbar(m, 800, 400, L, b.count, b.offset, b.max);
    EXPECT_EQ(std::to_string(g.shown) + " " + rects({g.track, g.thumb}), b.want) << b.count << " " << b.offset;
  }
  const TreemapArea a = layoutTreemapArea(metrics(125), 71, 800, 600);
  EXPECT_EQ(std::to_string(a.hasArea) + " " + rectText(a.rect), "1 20,71,780,580");
  EXPECT_EQ(layoutTreemapArea(metrics(125), 71, 40, 600).hasArea, 0);  // zero width
  EXPECT_EQ(layoutTreemapArea(metrics(125), 71, 800, 91).hasArea, 0);  // zero height
}
