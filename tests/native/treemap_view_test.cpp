// The panel's treemap view: the layout in the treemap area, the pop-in started
// by a new visible set, and the popup over the hovered cell.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "format/text.h"
#include "tests/support/recording_canvas.h"
#include "view/list_paint.h"

namespace {

int count(const RecordingCanvas& c, const std::string& prefix) {
  int n = 0;
  for (const auto& l : c.lines) n += l.compare(0, prefix.size(), prefix) == 0;
  return n;
}

struct TreemapPanel {
  PanelSettings s{};
  ViewState view{};
  TreemapLayoutState treemap{};
  std::vector<ScanItem> items;
  std::vector<const ScanItem*> rows;
  PanelView v{};
  PaintResults results{};

  TreemapPanel() {
    s.colors.backgroundColor = 0x202020;
    s.colors.treeMapColor = 0xA6923E;
    s.colors.textColor = 0xFFFFFF;
    s.dpiScalePercent = 100;
    s.headerTextHeight = 20;
    s.bodyTextHeight = 14;
    s.rowHeight = 22;
    s.iconColumnWidth = 24;
    s.iconSize = 16;
    s.searchBoxWidth = 150;
    s.searchBoxHeight = 22;
    s.titleWidth = 200;
    s.fancyPop = 1;
    s.treeMapIcons = 1;
    s.thousandsSeparator[0] = u',';
    s.decimalSeparator[0] = u'.';
    initViewState(view);
    view.treemapView = 1;
    v.clientWidth = 800;
    v.clientHeight = 600;
    v.view = &view;
    v.settings = &s;
    v.treemap = &treemap;
    v.targetPath = u"C:\\data";
    for (int i = 0; i < 6; ++i) {
      items.push_back(ScanItem{});
      textFormat(items.back().name, kNameUnits, u"item%d", i);
      items.back().size = 1000u * (6 - i);
    }
    for (const ScanItem& it : items) rows.push_back(&it);
  }
  ~TreemapPanel() { releaseTreemapCells(&treemap); }
  RecordingCanvas paint(uint32_t now) {
    v.metrics = layoutMetricsOf(s);
    v.visibleRows = rows.data();
    v.visibleCount = static_cast<int32_t>(rows.size());
    RecordingCanvas c;
    results = paintPanel(c, v, now);
    return c;
  }
  // What the window does with the results.
  void store(uint32_t now) {
    if (!results.popRestart) return;
    view.popSignature = results.popSignature;
    view.popSignatureValid = 1;
    view.popAnimating = 1;
    view.popStartTick = now;
  }
};

}  // namespace

TEST(TreemapView, LaysOutTheAreaAndPopsInANewSet) {
  TreemapPanel p;
  RecordingCanvas first = p.paint(1000);
  // A new set: the pop-in starts with this frame, where no cell has grown yet.
  EXPECT_EQ(p.results.popRestart, 1u);
  EXPECT_EQ(p.results.popSignature, treemapRowsSignature(p.rows.data(), 6));
  EXPECT_EQ(count(first, "roundrect"), 0);
  p.store(1000);

  // The cells tile the treemap area: 16 from the left, right and bottom.
  const VerticalBands bands = layoutBands(p.v.metrics, true);
  ASSERT_EQ(p.treemap.treemapCellCount, 6);
  int64_t area = 0;
  for (int i = 0; i < 6; ++i) {
    const TreemapCell& c = p.treemap.treemapCells[i];
    EXPECT_TRUE(c.left >= 16 && c.right <= 784 && c.top >= bands.listTop && c.bottom <= 584) << i;
    area += int64_t{c.right - c.left} * (c.bottom - c.top);
  }
  EXPECT_EQ(area, int64_t{768} * (584 - bands.listTop));

  // The same set again: no restart; halfway, the first cells are growing.
  EXPECT_GT(count(p.paint(1300), "roundrect"), 0);
  EXPECT_EQ(p.results.popRestart, 0u);
  // Once the pop-in is over every cell is drawn in full, with its label.
  p.view.popAnimating = 0;
  RecordingCanvas full = p.paint(3000);
  EXPECT_EQ(count(full, "roundrect"), 6);
  EXPECT_NE(full.lineContaining("'item0'"), "");
  // Coloured icons off: glyphs, even with an icon lookup.
  EXPECT_EQ(count(full, "glyph document"), 6);

  // A different set restarts; without FancyPop nothing restarts.
  p.rows.pop_back();
  p.paint(4000);
  EXPECT_EQ(p.results.popRestart, 1u);
  p.s.fancyPop = 0;
  p.rows.pop_back();
  p.paint(4000);
  EXPECT_EQ(p.results.popRestart, 0u);
}

TEST(TreemapView, PopupOverTheHoveredCellAndNothingForATinyArea) {
  TreemapPanel p;
  p.s.fancyPop = 0;
  p.paint(1000);
  const TreemapCell c = p.treemap.treemapCells[0];
  p.view.hoverCell = 0;
  p.view.hoverX = c.left + 10;
  p.view.hoverY = c.top + 10;
  RecordingCanvas withPopup = p.paint(5000);
  EXPECT_NE(withPopup.lineContaining("'5.9 KB (28.6%)'"), "");
  EXPECT_EQ(count(withPopup, "roundrect"), 7);

  // A client too small for the area: neither layout nor painting, the old
  // cells stay for the mouse.
  p.v.clientHeight = 60;
  RecordingCanvas tiny = p.paint(6000);
  EXPECT_EQ(count(tiny, "roundrect"), 0);
  EXPECT_EQ(p.treemap.treemapCellCount, 6);
  EXPECT_EQ(p.treemap.treemapCells[0].left, c.left);
}
