// The treemap painter and the hover popup, frame by frame, through a canvas
// that records one line per drawing call.
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <string>
#include <vector>

#include "format/text.h"
#include "tests/support/recording_canvas.h"
#include "treemap/hover_popup.h"
#include "treemap/treemap_paint.h"

namespace {

constexpr uint32_t rgb(uint32_t r, uint32_t g, uint32_t b) { return r | (g << 8) | (b << 16); }
constexpr uint32_t kMap = rgb(62, 146, 166);  // the dark theme's, on (42, 42, 42)
constexpr uint32_t kWrap = 0xFFFFFF00u;       // a tick count that wraps during an animation
constexpr NumberStyle kComma{u',', u'.', kSizeDisplayAuto};

ScanItem item(const char* name, uint64_t size, bool folder = false, int32_t files = -1) {
  ScanItem i{};
  textCopy(i.name, kNameUnits, textFromUtf8(name).c_str());
  return i.size = size, i.isFolder = folder, i.fileCount = files, i;
}

// A layout of hand-placed cells, so each case states its geometry outright.
struct Cells {
  std::deque<ScanItem> items;
  std::vector<TreemapCell> cells;
  TreemapLayoutState state{};
  Cells(Rect r, const ScanItem& i, bool others = false) { add(r, i, others); }
  Cells& add(Rect r, const ScanItem& i, bool others = false) {
    const ScanItem* p = others ? &(state.othersItem = i) : &items.emplace_back(i);
    cells.push_back(TreemapCell{r.left, r.top, r.right, r.bottom, p});
    state.treemapCells = cells.data();
    state.treemapCellCount = static_cast<int32_t>(cells.size());
    return *this;
  }
};

// Labels with the size line and an icon.
TreemapPaintInput input(int32_t mapStyle = kMapFlat) {
  TreemapPaintInput in{};
  in.style = TreemapStyle{mapStyle, 1, 1, 1, kMap, rgb(42, 42, 42), rgb(239, 246, 255),
                          rgb(148, 163, 184), 16, 16, 100, kComma};
  in.hoverCell = -1;
  return in;
}

// The recorded lines that start with `prefix`, one a line.
std::string joined(const RecordingCanvas& r, const std::string& prefix = "") {
  std::string out;
  for (const std::string& l : r.lines)
    if (l.compare(0, prefix.size(), prefix) == 0) out += (out.empty() ? "" : "\n") + l;
  return out;
}

std::string frame(const Cells& c, TreemapPaintInput in, uint32_t now, const char* prefix = "") {
  in.layout = &c.state;
  RecordingCanvas r;
  paintTreemap(r, in, now);
  return joined(r, prefix);
}

}  // namespace

// Flat and Color fill each cell; Soft shades it toward the background under a
// bevel; Gradient fills runs of equal rows under an outline. "Others" is
// outlined in the map colour, without an icon, and named in italic.
// Popping in, cell i of n appears 550 i / (n - 1) ms in and grows about its
// centre for 280 ms, overshooting a little, unlabelled. The hovered cell pulses.
TEST(TreemapPaint, CellsByStyleAsTheyPopInAndPulse) {
  Cells one({0, 0, 100, 60}, item("one", 10));
  Cells twelve({0, 0, 40, 40}, item("c", 100)), colored({0, 0, 20, 20}, item("a", 3));
  Cells small({0, 0, 30, 24}, item("a", 1));  // inner 26 x 20: no label
  Cells strip({0, 0, 30, 7}, item("a", 1));   // inner 26 x 3
  Cells others({0, 0, 200, 100}, item("Others (7 items)", 2048), true);
  for (int i = 1; i < 12; ++i) twelve.add({i * 40, 0, i * 40 + 40, 40}, item("c", 100));
  // The thin cell is not above twice the gap.
  colored.add({20, 0, 24, 20}, item("thin", 2)).add({24, 0, 44, 20}, item("b", 1));
  TreemapPaintInput still = input(), pop, hover = input();
  still.style.treeMapLabelSize = still.style.treeMapIcons = 0;
  pop = still, pop.popAnimating = 1, pop.popStartTick = kWrap;
  hover.hoverCell = 2, hover.hoverStartTick = kWrap, hover.style.backgroundColor = kMap;  // no fade
  const struct { const Cells* c; TreemapPaintInput in; uint32_t ms; const char *prefix, *want; }
  rows[] = {
      {&one, pop, 0, "", ""},                                         // no extent yet
      {&one, pop, 140, "", "roundrect -2,0,102,60 5 #3E92A6 none"},  // ease 1.0877: half 52, 30
      {&one, pop, 280, "",
       "roundrect 2,2,98,58 5 #3E92A6 none\ntext 8,8,94,24 Body #F2F2F2 'one' single|end|noprefix"},
      // Cell 0 at ease 0.985, cell 1 at 0.651, cell 2 due but without extent.
      {&twelve, pop, 100, "",
       "roundrect 3,3,37,37 5 #3E92A6 none\nroundrect 49,9,71,31 5 #3D8B9D none"},
      {&colored, hover, 0, "",
       "roundrect 2,2,18,18 5 #3E92A6 none\nroundrect 26,2,42,18 5 #5AAEC2 none"},  // +28
      {&small, input(kMapSoft), 0, "", "roundrect 2,2,28,22 5 #3B8293 none\nline 7,2 23,2 #63AABB\n"
       "line 2,7 2,17 #63AABB\nline 7,21 23,21 #095061\nline 27,7 27,17 #095061"},
      // From (82, 166, 186) toward (46, 130, 150), a third of the way a row.
      {&strip, input(kMapGradient), 0, "", "cliproundrect 2,2,28,5 5\nfill 2,2,28,3 #52A6BA\n"
       "fill 2,3,28,4 #469AAE\nfill 2,4,28,5 #3A8EA2\nunclip\nroundrect 2,2,28,5 5 none #207488"},
      // The third cell turned 275 degrees.
      {&colored, input(kMapColor), 0, "",
       "roundrect 2,2,18,18 5 #3E92A6 none\nroundrect 26,2,42,18 5 #55A63E none"},
      {&others, input(), 0, "", "roundrect 2,2,198,98 5 #3E92A6 #3E92A6\n"
       "text 8,8,194,24 Italic #F2F2F2 'Others (7 items)' single|end|noprefix\n"
       "text 8,24,194,40 Small #B4D1D8 '2.0 KB' single|end|noprefix"},
      {&others, input(kMapGradient), 0, "roundrect", "roundrect 2,2,198,98 5 none #3E92A6"},
  };
  for (const auto& r : rows)
    EXPECT_EQ(frame(*r.c, r.in, kWrap + r.ms, r.prefix), r.want) << "row " << &r - rows;
  EXPECT_EQ(frame(twelve, pop, kWrap + 830), frame(twelve, still, 0));  // all in full by 830 ms
}

// Inner boxes of 40 x 18 get nothing, 41 x 19 one line without an icon,
// 55 x 27 an icon, and the size line needs an inner height above 15 + 2 * 16.
TEST(TreemapPaint, LabelThresholds) {
  const struct { int32_t w, h, texts, glyphs; } rows[] = {
      {40, 19, 0, 0}, {41, 18, 0, 0}, {41, 19, 1, 0}, {54, 27, 1, 0},
      {55, 26, 1, 0}, {55, 27, 1, 1}, {55, 47, 1, 1}, {55, 48, 2, 1},
  };
  for (const auto& r : rows) {
    const std::string f = frame(Cells({10, 10, 14 + r.w, 14 + r.h}, item("a.txt", 1)), input(), 0);
    EXPECT_EQ(std::count(f.begin(), f.end(), '\n'), r.texts + r.glyphs) << r.w << "x" << r.h;
    EXPECT_EQ(f.find("glyph") != std::string::npos, r.glyphs == 1) << r.w << "x" << r.h;
  }
}

// The two-line block is 32 high; the 16-pixel icon is centred in it and the
// text starts after it and the spacing.
TEST(TreemapPaint, IconOrGlyphBeforeTheName) {
  const struct { ScanItem item; const char* want; } rows[] = {
      {item("has-icon", 1), "icon 16,24,32,40 0x1234"},
      {item("dir.exe", 1, true), "glyph folder 16,24 16 #F2F2F2 #3E92A6"},
      {item("Setup.EXE", 1), "glyph program 16,24 16 #F2F2F2 #3E92A6"},
      {item("link.lnk", 1), "glyph program 16,24 16 #F2F2F2 #3E92A6"},
      {item("setup.exe.txt", 1), "glyph document 16,24 16 #F2F2F2 #3E92A6"},
  };
  TreemapPaintInput in = input();
  in.iconFor = [](void* ctx, const ScanItem& i) { return i.name[0] == u'h' ? ctx : nullptr; };
  in.iconContext = reinterpret_cast<void*>(0x1234);
  for (const auto& r : rows)
    EXPECT_EQ(frame(Cells({8, 8, 208, 108}, r.item), in, 0),
              "roundrect 10,10,206,106 5 #3E92A6 none\n" + std::string(r.want) +
                  "\ntext 36,16,202,32 Body #F2F2F2 '" + textToUtf8(r.item.name) +
                  "' single|end|noprefix\n"
                  "text 36,32,202,48 Small #B4D1D8 '1 B' single|end|noprefix");
}

// Hover popup. Text is 7 pixels a character; the item's name is 70 pixels,
// its detail "1.0 KB (25.0%)" 98, so the box is 114 x 42.
TEST(HoverPopup, NamesTheCellBesideThePointerInsideTheBounds) {
  Cells c({0, 0, 400, 300}, item("abcdefghij", 1024));
  c.state.treemapTotal = 4096;
  const struct { Rect bounds; int32_t cell, x, y; const char* want; } rows[] = {
      {{0, 0, 400, 300}, 0, 100, 100, "116,116,230,158"},  // below right
      {{0, 0, 400, 300}, 0, 300, 100, "178,116,292,158"},  // near the right edge: to the left
      {{0, 0, 400, 300}, 0, 100, 260, "116,210,230,252"},  // near the bottom: above
      {{0, 0, 400, 300}, 0, 390, 290, "268,240,382,282"},  // bottom-right corner: both
      {{0, 0, 400, 300}, 0, -50, 3, "2,19,116,61"},        // left of the bounds: 2 pixels inside
      {{0, 0, 200, 60}, 0, 100, 20, "2,2,116,44"},         // a flip that would leave the bounds
      {{0, 0, 60, 100}, 0, 10, 10, "2,26,54,68"},          // narrower than the text: bounds less 8
      {{0, 0, 8, 100}, 0, 1, 1, nullptr},                  // too narrow for any box
      {{0, 0, 400, 300}, 1, 10, 10, nullptr},              // a hover index from a larger layout
      {{0, 0, 400, 300}, -1, 10, 10, nullptr},
  };
  for (const auto& r : rows) {
    RecordingCanvas rec;
    paintHoverPopup(rec, HoverPopupInput{&c.state, input().style, r.cell, r.x, r.y}, r.bounds);
    EXPECT_EQ(joined(rec, "roundrect"),
              r.want ? "roundrect " + std::string(r.want) + " 5 #4D4D4D #202020" : "")
        << r.x << "," << r.y << " in " << rectText(r.bounds);
  }
  // The lines inside the box, cut by the canvas; on a light background the fill is darker.
  HoverPopupInput light{&c.state, input().style, 0, 100, 100};
  light.style.backgroundColor = rgb(192, 192, 192);
  RecordingCanvas rec;
  paintHoverPopup(rec, light, Rect{0, 0, 400, 300});
  EXPECT_EQ(joined(rec), "roundrect 116,116,230,158 5 #9D9D9D #707070\n"
            "text 124,121,222,137 Body #EFF6FF 'abcdefghij' single|end|noprefix\n"
            "text 124,137,222,153 Body #94A3B8 '1.0 KB (25.0%)' single|end|noprefix");

  // The second line: the count only for a folder whose count is known, never for "Others".
  const NumberStyle euro{u'.', u',', kSizeDisplayMB};
  const struct { NumberStyle n; ScanItem item; bool others; uint64_t total; const char* want; }
  forms[] = {
      {kComma, item("d", 1536, true, 1), false, 3072, "1.5 KB (50.0%) \u2022 1 File"},
      {kComma, item("Others (9 items)", 1536, true, 4), true, 6144, "1.5 KB (25.0%)"},
      {euro, item("d", 3145728, true, 1234), false, 4194304, "3,00 MB (75,0%) \u2022 1.234 Files"},
  };
  for (const auto& r : forms) {
    char16_t buf[160];
    hoverPopupDetail(r.n, r.item, r.others, r.total, buf, 160);
    EXPECT_EQ(textToUtf8(buf), r.want);
  }
}
