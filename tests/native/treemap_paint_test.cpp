// The treemap painter and the hover popup, frame by frame, through a canvas
// that records one line per drawing call.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "format/text.h"
#include "tests/support/recording_canvas.h"
#include "treemap/hover_popup.h"
#include "treemap/treemap_paint.h"

namespace {

constexpr uint32_t rgb(uint32_t r, uint32_t g, uint32_t b) { return r | (g << 8) | (b << 16); }
constexpr uint32_t kMap = rgb(62, 146, 166);
constexpr uint32_t kBack = rgb(42, 42, 42);

// The recorded lines that start with `kind`.
std::vector<std::string> only(const RecordingCanvas& c, const std::string& kind) {
  std::vector<std::string> out;
  for (const auto& l : c.lines)
    if (l.compare(0, kind.size(), kind) == 0) out.push_back(l);
  return out;
}

ScanItem makeItem(const char* name, uint64_t size, bool folder = false, int32_t files = -1) {
  ScanItem item{};
  textCopy(item.name, kNameUnits, textFromUtf8(name).c_str());
  item.size = size;
  item.isFolder = folder;
  item.fileCount = files;
  return item;
}

// A layout of hand-placed cells, so each case states its geometry outright.
struct Cells {
  std::vector<ScanItem> items;
  std::vector<TreemapCell> cells;
  TreemapLayoutState state{};
  explicit Cells(size_t reserve = 64) { items.reserve(reserve); }
  void add(Rect r, const ScanItem& item) {
    items.push_back(item);
    cells.push_back(TreemapCell{r.left, r.top, r.right, r.bottom, &items.back()});
  }
  void addOthers(Rect r, const char* name, uint64_t size) {
    state.othersItem = makeItem(name, size);
    cells.push_back(TreemapCell{r.left, r.top, r.right, r.bottom, &state.othersItem});
  }
  const TreemapLayoutState* get() {
    state.treemapCells = cells.data();
    state.treemapCellCount = static_cast<int32_t>(cells.size());
    return &state;
  }
};

TreemapStyle style(int32_t mapStyle = kMapFlat) {
  TreemapStyle s{};
  s.fancyMapStyle = mapStyle;
  s.treeMapLabelSize = 1;
  s.treeMapIcons = 1;
  s.fancyMap = 1;
  s.treeMapColor = kMap;
  s.backgroundColor = kBack;
  s.textColor = rgb(239, 246, 255);
  s.metaColor = rgb(148, 163, 184);
  s.bodyTextHeight = 16;
  s.iconSize = 16;
  s.dpiScalePercent = 100;
  s.numbers = NumberStyle{u',', u'.', kSizeDisplayAuto};
  return s;
}

TreemapPaintInput input(const TreemapLayoutState* layout, TreemapStyle s = style()) {
  TreemapPaintInput in{};
  in.layout = layout;
  in.style = s;
  in.hoverCell = -1;
  return in;
}

std::vector<std::string> paint(const TreemapPaintInput& in, uint32_t now) {
  RecordingCanvas r;
  paintTreemap(r, in, now);
  return r.lines;
}

using Lines = std::vector<std::string>;

}  // namespace

TEST(TreemapPaint, SingleCellInTheMapColourPopsInAtOnce) {
  Cells c;
  c.add(Rect{0, 0, 100, 60}, makeItem("only", 10));
  TreemapPaintInput in = input(c.get());
  in.style.treeMapLabelSize = 0;
  in.style.treeMapIcons = 0;
  EXPECT_EQ(paint(in, 5000),
            (Lines{"roundrect 2,2,98,58 5 #3E92A6 none", "text 8,8,94,24 Body #F2F2F2 'only' single|end|noprefix"}));

  // Pop-in: the single cell has no delay; 140 ms in it is the plain form,
  // scaled about the centre by the ease (1.0877: half sizes 52 and 30), with
  // no label.
  in.popAnimating = 1;
  in.popStartTick = 0xFFFFFF00u;  // the tick count wraps during the animation
  EXPECT_EQ(paint(in, 0xFFFFFF00u + 140), (Lines{"roundrect -2,0,102,60 5 #3E92A6 none"}));
  EXPECT_EQ(paint(in, 0xFFFFFF00u), Lines{});  // no extent yet
  EXPECT_EQ(paint(in, 0xFFFFFF00u + 280), paint(input(c.get(), in.style), 0));
}

TEST(TreemapPaint, PopInShowsOnlyTheCellsThatAreDue) {
  // Twelve 40 x 40 cells: cell i is due at 50 i ms.
  Cells c;
  for (int i = 0; i < 12; ++i) c.add(Rect{i * 40, 0, i * 40 + 40, 40}, makeItem("c", 100));
  TreemapPaintInput in = input(c.get());
  in.popAnimating = 1;
  in.popStartTick = 1000;
  const Lines frame = paint(in, 1100);
  // Cell 0 is 100 ms in (ease 0.985), cell 1 50 ms (0.651), cell 2 is due but
  // still without extent, cells 3.. are not due.
  ASSERT_EQ(frame.size(), 2u) << ::testing::PrintToString(frame);
  EXPECT_EQ(frame[0], "roundrect 3,3,37,37 5 #3E92A6 none");
  EXPECT_EQ(frame[1], "roundrect 49,9,71,31 5 #3D8B9D none");
  // 830 ms in every cell is drawn in full; only the labels are missing here
  // (the cells are too small for one).
  EXPECT_EQ(paint(in, 1830).size(), 12u);
  EXPECT_EQ(paint(in, 1830), paint(input(c.get()), 1830));
}

TEST(TreemapPaint, OthersCellIsOutlinedAndLabelledInItalicWithoutIcon) {
  for (int32_t mapStyle : {kMapFlat, kMapSoft, kMapGradient}) {
    SCOPED_TRACE(mapStyle);
    Cells c;
    c.addOthers(Rect{0, 0, 200, 100}, "Others (7 items)", 2048);
    RecordingCanvas r;
    paintTreemap(r, input(c.get(), style(mapStyle)), 0);
    const Lines rounds = only(r, "roundrect");
    ASSERT_FALSE(rounds.empty());
    EXPECT_EQ(rounds.back().substr(rounds.back().size() - 7), "#3E92A6");  // outline
    EXPECT_TRUE(only(r, "line").empty());  // no bevel
    EXPECT_TRUE(only(r, "glyph").empty());
    EXPECT_TRUE(only(r, "icon").empty());
    const Lines texts = only(r, "text");
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_NE(texts[0].find("Italic #F2F2F2 'Others (7 items)'"), std::string::npos) << texts[0];
    EXPECT_NE(texts[1].find("Small"), std::string::npos);
    EXPECT_NE(texts[1].find("'2.0 KB'"), std::string::npos) << texts[1];
  }
}

TEST(TreemapPaint, PulseOnTheHoveredCellOnly) {
  Cells c;
  c.add(Rect{0, 0, 20, 20}, makeItem("a", 2));
  c.add(Rect{20, 0, 40, 20}, makeItem("b", 1));
  TreemapPaintInput in = input(c.get());
  in.style.backgroundColor = kMap;  // no fade: both cells start from the map colour
  in.hoverCell = 1;
  in.hoverStartTick = 500;
  const struct { uint32_t now; int32_t fancyMap; const char* second; } rows[] = {
      {500, 1, "roundrect 22,2,38,18 5 #5AAEC2 none"},  // +28
      {725, 1, "roundrect 22,2,38,18 5 #4599AD none"},  // +7
      {950, 1, "roundrect 22,2,38,18 5 #3E92A6 none"},  // over
      {500, 0, "roundrect 22,2,38,18 5 #3E92A6 none"},  // FancyMap off
  };
  for (const auto& r : rows) {
    in.style.fancyMap = r.fancyMap;
    const Lines frame = paint(in, r.now);
    ASSERT_EQ(frame.size(), 2u);
    EXPECT_EQ(frame[0], "roundrect 2,2,18,18 5 #3E92A6 none") << r.now;
    EXPECT_EQ(frame[1], r.second) << r.now;
  }
}

// Inner boxes of 40 x 18 get nothing, 41 x 19 one line without an icon,
// 55 x 27 an icon, and the size line needs an inner height above 15 + 2 * 16.
TEST(TreemapPaint, LabelThresholds) {
  const struct { int32_t w, h; int texts; bool icon; } rows[] = {
      {40, 19, 0, false}, {41, 18, 0, false}, {41, 19, 1, false}, {54, 27, 1, false},
      {55, 26, 1, false}, {55, 27, 1, true},  {55, 47, 1, true},  {55, 48, 2, true},
  };
  for (const auto& r : rows) {
    Cells c;
    c.add(Rect{10, 10, 10 + r.w + 4, 10 + r.h + 4}, makeItem("name.txt", 1));
    RecordingCanvas rec;
    paintTreemap(rec, input(c.get()), 0);
    EXPECT_EQ(only(rec, "text").size(), static_cast<size_t>(r.texts)) << r.w << "x" << r.h;
    EXPECT_EQ(only(rec, "glyph").size(), r.icon ? 1u : 0u) << r.w << "x" << r.h;
  }
}

TEST(TreemapPaint, IconOrGlyphBeforeTheName) {
  struct Lookup {
    static IconHandle iconFor(void* ctx, const ScanItem& item) {
      return textEquals(item.name, u"has-icon") ? ctx : nullptr;
    }
  };
  int token = 0;
  const struct { ScanItem item; const char* want; } rows[] = {
      {makeItem("has-icon", 1), "icon 16,24,32,40"},
      {makeItem("dir.exe", 1, true), "glyph folder 16,24 16 #F2F2F2 #3E92A6"},
      {makeItem("Setup.EXE", 1), "glyph program 16,24 16 #F2F2F2 #3E92A6"},
      {makeItem("link.lnk", 1), "glyph program 16,24 16 #F2F2F2 #3E92A6"},
      {makeItem("setup.exe.txt", 1), "glyph document 16,24 16 #F2F2F2 #3E92A6"},
      {makeItem("exe", 1), "glyph document 16,24 16 #F2F2F2 #3E92A6"},
  };
  for (const auto& r : rows) {
    Cells c;
    c.add(Rect{8, 8, 208, 108}, r.item);
    TreemapPaintInput in = input(c.get());
    in.iconFor = &Lookup::iconFor;
    in.iconContext = &token;
    RecordingCanvas rec;
    paintTreemap(rec, in, 0);
    const Lines texts = only(rec, "text");
    ASSERT_EQ(rec.lines.size(), 4u) << textToUtf8(r.item.name);
    EXPECT_EQ(rec.lines[1].substr(0, std::string(r.want).size()), r.want);
    // The two-line block is 32 high; the 16-pixel icon is centred in it and
    // the text starts after it and the spacing.
    EXPECT_EQ(texts[0].substr(0, 22), "text 36,16,202,32 Body");
    EXPECT_EQ(texts[1].substr(0, 31), "text 36,32,202,48 Small #B4D1D8");
  }
}

TEST(TreemapPaint, SoftBevelAndGradientBands) {
  Cells c;
  c.add(Rect{0, 0, 30, 24}, makeItem("a", 1));  // inner 26 x 20: no label
  EXPECT_EQ(paint(input(c.get(), style(kMapSoft)), 0),
            (Lines{"roundrect 2,2,28,22 5 #3B8293 none",  // 16 % toward the background
                   "line 7,2 23,2 #63AABB", "line 2,7 2,17 #63AABB",
                   "line 7,21 23,21 #095061", "line 27,7 27,17 #095061"}));

  // Gradient of (62, 146, 166): rows run from (82, 166, 186) to (46, 130, 150),
  // 36 steps over 20 rows, so every row differs and gets its own fill.
  RecordingCanvas r;
  paintTreemap(r, input(c.get(), style(kMapGradient)), 0);
  ASSERT_EQ(r.lines.size(), 23u);
  EXPECT_EQ(r.lines[0], "cliproundrect 2,2,28,22 5");
  EXPECT_EQ(r.lines[1], "fill 2,2,28,3 #52A6BA");
  EXPECT_EQ(r.lines[20], "fill 2,21,28,22 #308498");
  EXPECT_EQ(r.lines[22], "roundrect 2,2,28,22 5 none #207488");

  // A taller cell has runs of equal rows: one fill per run, together covering
  // the inner box without gaps.
  Cells tall;
  tall.add(Rect{0, 0, 30, 204}, makeItem("a", 1));
  RecordingCanvas t;
  TreemapPaintInput in = input(tall.get(), style(kMapGradient));
  in.style.treeMapLabelSize = 0;
  in.style.treeMapIcons = 0;
  paintTreemap(t, in, 0);
  const Lines fills = only(t, "fill");
  EXPECT_EQ(fills.size(), 36u);  // trunc(-36 j / 200) takes 36 values
  int32_t next = 2;
  for (const auto& f : fills) {
    int32_t l, top, rr, b;
    ASSERT_EQ(std::sscanf(f.c_str(), "fill %d,%d,%d,%d", &l, &top, &rr, &b), 4);
    EXPECT_EQ(top, next);
    next = b;
  }
  EXPECT_EQ(next, 202);
}

TEST(TreemapPaint, ColorStyleTurnsHuesAndTinyCellsAreSkipped) {
  Cells c;
  c.add(Rect{0, 0, 20, 20}, makeItem("a", 3));
  c.add(Rect{20, 0, 24, 20}, makeItem("thin", 2));  // 4 wide: not above 2 * gap
  c.add(Rect{24, 0, 44, 20}, makeItem("b", 1));
  EXPECT_EQ(paint(input(c.get(), style(kMapColor)), 0),
            (Lines{"roundrect 2,2,18,18 5 #3E92A6 none", "roundrect 26,2,42,18 5 #55A63E none"}));  // 275 degrees
  TreemapStyle grey = style(kMapColor);
  grey.treeMapColor = rgb(128, 128, 128);
  EXPECT_EQ(paint(input(c.get(), grey), 0),
            (Lines{"roundrect 2,2,18,18 5 #808080 none", "roundrect 26,2,42,18 5 #808080 none"}));
}

// ---------------------------------------------------------------------------
// Hover popup. Text is 7 pixels a character; the bounds are 0,0,400,300.

namespace {

HoverPopupInput popupInput(const TreemapLayoutState* layout, int32_t cell, int32_t x, int32_t y) {
  HoverPopupInput in{};
  in.layout = layout;
  in.style = style();
  in.hoverCell = cell;
  in.hoverX = x;
  in.hoverY = y;
  return in;
}

Lines popup(const HoverPopupInput& in, Rect bounds = Rect{0, 0, 400, 300}) {
  RecordingCanvas r;
  paintHoverPopup(r, in, bounds);
  return r.lines;
}

}  // namespace

TEST(HoverPopup, PlacedBesideThePointerAndFlippedAtTheEdges) {
  Cells c;
  c.add(Rect{0, 0, 400, 300}, makeItem("abcdefghij", 1024));  // 70 px; the detail is wider
  c.state.treemapTotal = 4096;
  // "1.0 KB (25.0%)": 14 characters, 98 px; the box is 114 x 42.
  const struct { int32_t x, y; Rect want; } rows[] = {
      {100, 100, {116, 116, 230, 158}},  // below right
      {300, 100, {178, 116, 292, 158}},  // near the right edge: left of the pointer
      {100, 260, {116, 210, 230, 252}},  // near the bottom: above
      {390, 290, {268, 240, 382, 282}},  // bottom-right corner: both
      {-50, 3, {2, 19, 116, 61}},        // left of the bounds: 2 pixels inside
  };
  for (const auto& r : rows) {
    const Lines calls = popup(popupInput(c.get(), 0, r.x, r.y));
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0], "roundrect " + rectText(r.want) + " 5 #4D4D4D #202020") << r.x << "," << r.y;
  }
  // A flip that would leave the bounds is clamped to 2 pixels inside them.
  Lines calls = popup(popupInput(c.get(), 0, 100, 20), Rect{0, 0, 200, 60});
  EXPECT_EQ(calls[0], "roundrect 2,2,116,44 5 #4D4D4D #202020");
  // Text lines inside the box; light background: the fill is darker.
  HoverPopupInput light = popupInput(c.get(), 0, 100, 100);
  light.style.backgroundColor = rgb(192, 192, 192);
  calls = popup(light);
  EXPECT_EQ(calls[0], "roundrect 116,116,230,158 5 #9D9D9D #707070");
  EXPECT_EQ(calls[1], "text 124,121,222,137 Body #EFF6FF 'abcdefghij' single|end|noprefix");
  EXPECT_EQ(calls[2], "text 124,137,222,153 Body #94A3B8 '1.0 KB (25.0%)' single|end|noprefix");
}

TEST(HoverPopup, NarrowPanelsAndStaleHoverIndexes) {
  Cells c;
  c.add(Rect{0, 0, 60, 100}, makeItem("a-long-name-that-needs-room", 1));
  // Narrower than the text: as wide as the bounds less 8, the lines cut by the canvas.
  Lines calls = popup(popupInput(c.get(), 0, 10, 10), Rect{0, 0, 60, 100});
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[0], "roundrect 2,26,54,68 5 #4D4D4D #202020");
  EXPECT_EQ(calls[1].substr(0, 19), "text 10,31,46,47 Bo");
  // Too narrow for any box: nothing rather than an inverted box.
  EXPECT_TRUE(popup(popupInput(c.get(), 0, 1, 1), Rect{0, 0, 8, 100}).empty());
  // A hover index from an earlier, larger layout; none; no cells at all.
  for (int32_t cell : {1, 5, -1}) EXPECT_TRUE(popup(popupInput(c.get(), cell, 10, 10)).empty()) << cell;
  TreemapLayoutState empty{};
  EXPECT_TRUE(popup(popupInput(&empty, 0, 10, 10)).empty());
}

TEST(HoverPopup, SecondLineForms) {
  const NumberStyle comma{u',', u'.', kSizeDisplayAuto};
  const NumberStyle euro{u'.', u',', kSizeDisplayMB};
  const struct { NumberStyle numbers; ScanItem item; bool others; uint64_t total; const char* want; } rows[] = {
      {comma, makeItem("d", 1536, true, 1), false, 3072, "1.5 KB (50.0%) \u2022 1 File"},
      {comma, makeItem("d", 1536, true, 12345), false, 6144, "1.5 KB (25.0%) \u2022 12,345 Files"},
      {comma, makeItem("d", 1536, true, 0), false, 6144, "1.5 KB (25.0%) \u2022 0 Files"},
      {comma, makeItem("d", 1536, true, -1), false, 6144, "1.5 KB (25.0%)"},
      {comma, makeItem("f.txt", 1536, false, 3), false, 6144, "1.5 KB (25.0%)"},
      {comma, makeItem("Others (9 items)", 1536, true, 4), true, 6144, "1.5 KB (25.0%)"},
      {comma, makeItem("z", 0, false, 0), false, 0, "0 B (0.0%)"},
      {euro, makeItem("d", 3145728, true, 1234), false, 4194304, "3,00 MB (75,0%) \u2022 1.234 Files"},
  };
  for (const auto& r : rows) {
    char16_t buf[160];
    hoverPopupDetail(r.numbers, r.item, r.others, r.total, buf, 160);
    EXPECT_EQ(textToUtf8(buf), r.want);
  }
  // Cut to the buffer, always terminated.
  char16_t small[6];
  hoverPopupDetail(comma, rows[1].item, false, 6144, small, 6);
  EXPECT_EQ(textToUtf8(small), "1.5 K");
}
