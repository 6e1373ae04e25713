#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "format/text.h"
#include "view/input.h"

namespace {

// 96 dpi, so every layout unit is a pixel: title 10..31, path 37..52, header
// band 57..78, list top 82, rows 22 pixels apart, 800 x 600 client.
// 100 rows: content 2298 pixels, scrollMax 1698; the track is x 788..800,
// y 82..600 and the thumb 135 pixels high.
struct Panel {
  std::vector<ScanItem> items;
  std::vector<const ScanItem*> rows;
  TreemapLayoutState treemap{};
  std::vector<TreemapCell> cells;
  ViewState v{};
  SearchState s{};
  InputContext p{};

  Panel() : items(100) {
    for (ScanItem& i : items) rows.push_back(&i);
    p.metrics = LayoutMetrics{100, 21, 15, 22, 32, 16, 150, 23, 220, 1, 0};
    p.clientWidth = 800;
    p.clientHeight = 600;
    p.visibleRows = rows.data();
    p.visibleCount = 100;
    p.treemap = &treemap;
    // Two cells side by side: an item, then the folded small items.
    cells = {{16, 82, 400, 584, &items[0]}, {400, 82, 784, 584, &treemap.othersItem}};
    treemap.treemapCells = cells.data();
    treemap.treemapCellCount = 2;
    initViewState(v);
    v.sizeColumnWidth = 85;
    rescroll();
    paintGeometry();
  }
  // What the window does after a resize or a rows change.
  void rescroll() {
    ScrollRange r = computeScrollRange(p.metrics, layoutBands(p.metrics, v.treemapView != 0).listTop,
                                       p.visibleCount, p.clientHeight, v.scrollOffset);
    v.scrollMax = r.scrollMax;
    v.scrollOffset = r.scrollOffset;
  }
  // What the paint stores: the top-right controls and the header cells.
  void paintGeometry() {
    TopControls top = layoutTopControls(p.metrics, p.clientWidth);
    v.topFilesToggleRect = top.topFilesToggle;
    v.treemapButtonRect = top.treemapButton;
    VerticalBands bands = layoutBands(p.metrics, false);
    RowColumns cols = layoutRowColumns(p.metrics, p.clientWidth, v.scrollMax, 70, v.sizeColumnWidth);
    layoutHeaderCells(bands, cols, v.showTopFiles != 0, v.headerCellRects);
  }
};

int32_t midX(const Rect& r) { return (r.left + r.right) / 2; }
int32_t midY(const Rect& r) { return (r.top + r.bottom) / 2; }

// Everything about Effects in one comparable text.
std::string str(const Effects& e) {
  std::string t;
  if (e.repaint) t += "repaint ";
  if (e.capture) t += "capture ";
  if (e.releaseCapture) t += "release ";
  if (e.trackLeave) t += "track ";
  if (e.clearSearchEdit) t += "clearEdit ";
  if (e.newScrollRange) t += "range ";
  if (e.rowsChanged == RowsChange::Resort) t += "resort ";
  if (e.rowsChanged == RowsChange::Rebuild) t += "rebuild ";
  if (e.startTimers) t += "start" + std::to_string(e.startTimers) + " ";
  if (e.killTimers) t += "kill" + std::to_string(e.killTimers) + " ";
  if (e.cursor == Cursor::Arrow) t += "arrow ";
  if (e.cursor == Cursor::Hand) t += "hand ";
  if (e.action.kind == ActionKind::About) t += "about ";
  if (e.action.kind == ActionKind::Copy) t += "copy" + std::to_string(e.action.line) + " ";
  if (e.action.kind == ActionKind::Jump) t += "jump ";
  if (!t.empty()) t.pop_back();
  return t;
}

struct Gesture {
  const char* name;
  std::function<void(Panel&)> before;
  std::function<Effects(Panel&)> event;
  const char* effects;
  std::function<void(const Panel&)> after;
};

void runGestures(const std::vector<Gesture>& table) {
  for (const Gesture& g : table) {
    SCOPED_TRACE(g.name);
    Panel panel;
    if (g.before) g.before(panel);
    EXPECT_EQ(g.effects, str(g.event(panel)));
    if (g.after) g.after(panel);
  }
}

const int32_t kTrackX = 794;

}  // namespace

TEST(Input, LeftButtonDown) {
  auto down = [](int32_t x, int32_t y) {
    return [=](Panel& t) { return onLeftDown(t.v, t.s, t.p, x, y); };
  };
  auto header = [](int c) {
    return [=](Panel& t) {
      return onLeftDown(t.v, t.s, t.p, midX(t.v.headerCellRects[c]), t.v.headerCellRects[c].bottom);
    };
  };
  runGestures({
      {"the sort column's header reverses it", [](Panel& t) { t.v.scrollOffset = 300; }, header(3),
       "repaint range resort",
       [](const Panel& t) {
         EXPECT_EQ(3, t.v.sortColumn);
         EXPECT_EQ(0u, t.v.sortDescending);
         EXPECT_EQ(0, t.v.scrollOffset);
       }},
      {"Name starts ascending", nullptr, header(1), "repaint range resort",
       [](const Panel& t) {
         EXPECT_EQ(1, t.v.sortColumn);
         EXPECT_EQ(0u, t.v.sortDescending);
       }},
      {"# Files starts descending whatever the old direction",
       [](Panel& t) { t.v.sortColumn = 1, t.v.sortDescending = 0, t.v.hoverHeader = 2; }, header(2),
       "repaint range resort",
       [](const Panel& t) {
         EXPECT_EQ(2, t.v.sortColumn);
         EXPECT_EQ(1u, t.v.sortDescending);
         EXPECT_EQ(-1, t.v.hoverHeader);  // the new sort column is not a hover highlight
       }},
      {"top-files toggle resets sort, scroll and search",
       [](Panel& t) {
         t.v.sortColumn = 1, t.v.sortDescending = 0, t.v.scrollOffset = 500;
         textCopy(t.s.searchText, kSearchTextUnits, u"abc");
       },
       [](Panel& t) { return onLeftDown(t.v, t.s, t.p, t.v.topFilesToggleRect.right, 20); },
       "repaint clearEdit range rebuild",
       [](const Panel& t) {
         EXPECT_EQ(1u, t.v.showTopFiles);
         EXPECT_EQ(3, t.v.sortColumn);
         EXPECT_EQ(1u, t.v.sortDescending);
         EXPECT_EQ(0, t.v.scrollOffset);
         EXPECT_EQ(0, t.s.searchText[0]);
       }},
      {"treemap button: treemap, hover off, the next paint pops in",
       [](Panel& t) {
         t.v.hoverRow = 4, t.v.hoverHeader = 1, t.v.hoverTimerRunning = 1, t.v.popSignatureValid = 1;
       },
       [](Panel& t) {
         return onLeftDown(t.v, t.s, t.p, t.v.treemapButtonRect.left, t.v.treemapButtonRect.bottom);
       },
       "repaint range kill2",
       [](const Panel& t) {
         EXPECT_EQ(1u, t.v.treemapView);
         EXPECT_EQ(-1, t.v.hoverRow);
         EXPECT_EQ(-1, t.v.hoverHeader);
         EXPECT_EQ(0u, t.v.hoverTimerRunning);
         EXPECT_EQ(0u, t.v.popSignatureValid);
       }},
      {"treemap button back to the list stops the pop-in",
       [](Panel& t) { t.v.treemapView = 1, t.v.popTimerRunning = 1, t.v.popAnimating = 1; },
       [](Panel& t) { return onLeftDown(t.v, t.s, t.p, midX(t.v.treemapButtonRect), 20); },
       "repaint range kill4",
       [](const Panel& t) {
         EXPECT_EQ(0u, t.v.treemapView);
         EXPECT_EQ(0u, t.v.popTimerRunning);
         EXPECT_EQ(0u, t.v.popAnimating);
       }},
      {"treemap view: header band does nothing", [](Panel& t) { t.v.treemapView = 1; }, header(1), "",
       [](const Panel& t) { EXPECT_EQ(3, t.v.sortColumn); }},
      {"track above the thumb jumps, not pages", [](Panel& t) { t.v.scrollOffset = 1698; },
       down(kTrackX, 82 + 259), "repaint",
       [](const Panel& t) { EXPECT_EQ(849, t.v.scrollOffset); }},  // 1698 * 259 / 518
      {"thumb press starts the drag with the grab point", nullptr, down(kTrackX, 82 + 100), "capture",
       [](const Panel& t) {
         EXPECT_EQ(1u, t.v.thumbDragging);
         EXPECT_EQ(100, t.v.thumbGrabOffset);
         EXPECT_EQ(0, t.v.scrollOffset);
       }},
      {"a row click does nothing", nullptr, down(300, 200), "", nullptr},
      {"ignored while scanning", [](Panel& t) { t.p.scanRunning = true; }, header(1), "",
       [](const Panel& t) { EXPECT_EQ(3, t.v.sortColumn); }},
  });
}

TEST(Input, MouseMove) {
  auto move = [](int32_t x, int32_t y, uint32_t now = 1000) {
    return [=](Panel& t) { return onMouseMove(t.v, t.p, x, y, now); };
  };
  auto tracking = [](Panel& t) { t.v.leaveTracking = 1; };
  runGestures({
      {"first move asks for the leave notice", nullptr, move(5, 5), "track", nullptr},
      {"the sort column's header adds no hover", tracking,
       [](Panel& t) { return onMouseMove(t.v, t.p, midX(t.v.headerCellRects[3]), 60, 0); }, "",
       [](const Panel& t) { EXPECT_EQ(-1, t.v.hoverHeader); }},
      {"another header hovers", tracking,
       [](Panel& t) { return onMouseMove(t.v, t.p, midX(t.v.headerCellRects[1]), 78, 0); }, "repaint",
       [](const Panel& t) { EXPECT_EQ(1, t.v.hoverHeader); }},
      {"a row with FancyBar starts the flash",
       [](Panel& t) { t.v.leaveTracking = 1, t.p.fancyBar = true; }, move(300, 82 + 22 * 3, 777),
       "repaint start2",
       [](const Panel& t) {
         EXPECT_EQ(3, t.v.hoverRow);
         EXPECT_EQ(777u, t.v.hoverStartTick);
         EXPECT_EQ(1u, t.v.hoverTimerRunning);
       }},
      {"no row hover without FancyBar or FancyText", tracking, move(300, 82 + 22 * 3), "",
       [](const Panel& t) { EXPECT_EQ(-1, t.v.hoverRow); }},
      {"no row hover left of the bar", [](Panel& t) { t.v.leaveTracking = 1, t.p.fancyText = true; },
       move(43, 100), "", nullptr},  // the bar starts at 16 + 28
      {"no row hover over the size column", [](Panel& t) { t.v.leaveTracking = 1, t.p.fancyText = true; },
       move(788 - 16 - 65 - 10 - 85 - 15, 100), "", nullptr},
      {"a captured drag far below the window ends at the bottom",
       [](Panel& t) { t.v.leaveTracking = 1, t.v.thumbDragging = 1, t.v.thumbGrabOffset = 67; },
       move(-50, 5000), "repaint", [](const Panel& t) { EXPECT_EQ(1698, t.v.scrollOffset); }},
      {"a drag keeps the grab point under the mouse",
       [](Panel& t) { t.v.leaveTracking = 1, t.v.thumbDragging = 1, t.v.thumbGrabOffset = 10; },
       move(kTrackX, 82 + 10 + 383 / 2), "repaint",
       [](const Panel& t) { EXPECT_EQ(846, t.v.scrollOffset); }},  // 1698 * 191 / (518 - 135)
      {"a drag above the track ends at the top",
       [](Panel& t) { t.v.leaveTracking = 1, t.v.thumbDragging = 1, t.v.scrollOffset = 900; },
       move(kTrackX, -300), "repaint", [](const Panel& t) { EXPECT_EQ(0, t.v.scrollOffset); }},
      {"a new treemap cell flashes and anchors the popup",
       [](Panel& t) { t.v.leaveTracking = 1, t.v.treemapView = 1; }, move(100, 200, 50),
       "repaint start2",
       [](const Panel& t) {
         EXPECT_EQ(0, t.v.hoverCell);
         EXPECT_EQ(100, t.v.hoverX);
         EXPECT_EQ(200, t.v.hoverY);
       }},
      {"same cell, same x, new y: the popup follows",
       [](Panel& t) {
         t.v.leaveTracking = 1, t.v.treemapView = 1, t.v.hoverCell = 0, t.v.hoverX = 100;
         t.v.hoverY = 200, t.v.hoverTimerRunning = 1;
       },
       move(100, 210), "repaint", [](const Panel& t) { EXPECT_EQ(210, t.v.hoverY); }},
      {"same cell, same point: nothing",
       [](Panel& t) {
         t.v.leaveTracking = 1, t.v.treemapView = 1, t.v.hoverCell = 0, t.v.hoverX = 100;
         t.v.hoverY = 200;
       },
       move(100, 200), "", nullptr},
      {"off the cells", [](Panel& t) { t.v.leaveTracking = 1, t.v.treemapView = 1, t.v.hoverCell = 1; },
       move(100, 590), "repaint", [](const Panel& t) { EXPECT_EQ(-1, t.v.hoverCell); }},
      {"treemap button hover", tracking,
       [](Panel& t) { return onMouseMove(t.v, t.p, t.v.treemapButtonRect.left, midY(t.v.treemapButtonRect), 0); },
       "repaint", [](const Panel& t) { EXPECT_EQ(1u, t.v.treemapButtonHover); }},
      {"ignored while scanning", [](Panel& t) { t.p.scanRunning = true, t.p.fancyBar = true; },
       move(300, 100), "", [](const Panel& t) { EXPECT_EQ(-1, t.v.hoverRow); }},
  });
}

TEST(Input, RightButtonWheelCursorAndLeave) {
  auto right = [](int32_t x, int32_t y) {
    return [=](Panel& t) { return onRightDown(t.v, t.p, x, y); };
  };
  auto wheel = [](int32_t delta) { return [=](Panel& t) { return onWheel(t.v, t.p, delta); }; };
  auto cursor = [](int32_t x, int32_t y) {
    return [=](Panel& t) { return onSetCursor(t.v, t.p, x, y); };
  };
  auto offset = [](int32_t want) {
    return [=](const Panel& t) { EXPECT_EQ(want, t.v.scrollOffset); };
  };
  auto debugOn = [](Panel& t) { t.p.metrics.everythingDebug = 1; };
  runGestures({
      {"title band over the controls opens About", nullptr,
       [](Panel& t) { return onRightDown(t.v, t.p, midX(t.v.topFilesToggleRect), 36); }, "about",
       nullptr},
      {"diagnostic line 2 copies it, from its top", debugOn, right(300, 21 + 30 + 20), "copy2", nullptr},
      {"between diagnostic lines nothing", debugOn, right(300, 21 + 15 + 19 + 15), "", nullptr},
      {"a row jumps, at any x", nullptr, right(5, 82 + 22 * 2 + 21),
       "jump", nullptr},
      {"below the last row nothing", [](Panel& t) { t.p.visibleCount = 2; }, right(300, 82 + 44), "",
       nullptr},
      {"a treemap cell jumps", [](Panel& t) { t.v.treemapView = 1; }, right(100, 300), "jump", nullptr},
      {"the folded cell does nothing", [](Panel& t) { t.v.treemapView = 1; }, right(500, 300), "",
       nullptr},
      {"right click ignored while scanning", [](Panel& t) { t.p.scanRunning = true; }, right(300, 20),
       "", nullptr},
      {"wheel -120 scrolls 40 down", nullptr, wheel(-120), "repaint", offset(40)},
      {"wheel stops at scrollMax", [](Panel& t) { t.v.scrollOffset = 1690; }, wheel(-120), "repaint",
       offset(1698)},
      {"wheel up stops at the top", [](Panel& t) { t.v.scrollOffset = 30; }, wheel(240), "repaint",
       offset(0)},
      {"a fine delta truncates toward zero", [](Panel& t) { t.v.scrollOffset = 10; }, wheel(-5),
       "repaint", offset(11)},
      {"wheel ignored while scanning", [](Panel& t) { t.p.scanRunning = true; }, wheel(-120), "",
       offset(0)},
      {"hand on the toggle's edge", nullptr,
       [](Panel& t) { return onSetCursor(t.v, t.p, t.v.topFilesToggleRect.right, 20); }, "hand", nullptr},
      {"arrow on the treemap", [](Panel& t) { t.v.treemapView = 1; }, cursor(100, 300), "arrow", nullptr},
      {"hand over the header band, at any x", nullptr, cursor(2, 57), "hand", nullptr},
      {"hand over a row", nullptr, cursor(2, 300), "hand", nullptr},
      {"arrow below the rows", [](Panel& t) { t.p.visibleCount = 1; }, cursor(300, 300), "arrow", nullptr},
      {"default cursor while scanning", [](Panel& t) { t.p.scanRunning = true; }, cursor(2, 300), "",
       nullptr},
      {"leave clears a cell hover and the button hover",
       [](Panel& t) { t.v.leaveTracking = 1, t.v.hoverCell = 1, t.v.treemapButtonHover = 1; },
       [](Panel& t) { return onMouseLeave(t.v); }, "repaint",
       [](const Panel& t) {
         EXPECT_EQ(0u, t.v.leaveTracking);
         EXPECT_EQ(-1, t.v.hoverCell);
         EXPECT_EQ(0u, t.v.treemapButtonHover);
       }},
      {"leave with nothing hovered does not repaint", [](Panel& t) { t.v.leaveTracking = 1; },
       [](Panel& t) { return onMouseLeave(t.v); }, "", nullptr},
      {"left up ends the drag", [](Panel& t) { t.v.thumbDragging = 1; },
       [](Panel& t) { return onLeftUp(t.v); }, "repaint release",
       [](const Panel& t) { EXPECT_EQ(0u, t.v.thumbDragging); }},
      {"capture lost mid-drag ends it", [](Panel& t) { t.v.thumbDragging = 1; },
       [](Panel& t) { return onCaptureLost(t.v); }, "repaint",
       [](const Panel& t) { EXPECT_EQ(0u, t.v.thumbDragging); }},
  });
}

TEST(Input, TimersScanEndAndSearchText) {
  auto tick = [](uint32_t id, uint32_t now) {
    return [=](Panel& t) { return onTimer(t.v, t.p, id, now); };
  };
  auto hovering = [](Panel& t) {
    t.v.hoverRow = 2, t.v.hoverStartTick = 1000, t.v.hoverTimerRunning = 1;
  };
  auto popping = [](Panel& t) {
    t.v.treemapView = 1, t.v.popAnimating = 1, t.v.popStartTick = 0xFFFFFF00u, t.v.popTimerRunning = 1;
  };
  runGestures({
      {"refresh repaints while scanning", [](Panel& t) { t.p.scanRunning = true; }, tick(1001, 0),
       "repaint", nullptr},
      {"refresh stops after the scan", nullptr, tick(1001, 0), "kill1", nullptr},
      {"flash goes on before 450 ms", hovering, tick(1002, 1449), "repaint",
       [](const Panel& t) { EXPECT_EQ(1u, t.v.hoverTimerRunning); }},
      {"flash ends at 450 ms with a last repaint", hovering, tick(1002, 1450), "repaint kill2",
       [](const Panel& t) { EXPECT_EQ(0u, t.v.hoverTimerRunning); }},
      {"flash stops at once without a hover", [](Panel& t) { t.v.hoverTimerRunning = 1; },
       tick(1002, 0), "kill2", [](const Panel& t) { EXPECT_EQ(0u, t.v.hoverTimerRunning); }},
      {"pop-in across the tick wrap goes on", popping, tick(1003, 500), "repaint", nullptr},
      {"pop-in ends at 830 ms", popping, tick(1003, 830 - 256), "repaint kill4",
       [](const Panel& t) {
         EXPECT_EQ(0u, t.v.popAnimating);
         EXPECT_EQ(0u, t.v.popTimerRunning);
       }},
      {"pop-in stops at once in the list view",
       [](Panel& t) { t.v.popAnimating = 1, t.v.popTimerRunning = 1; }, tick(1003, 0), "kill4",
       [](const Panel& t) { EXPECT_EQ(0u, t.v.popTimerRunning); }},
      {"other timer ids are ignored", nullptr, tick(7, 0), "", nullptr},
      {"scan end", nullptr, [](Panel& t) { return onScanFinished(t.v); }, "repaint range resort kill1",
       nullptr},
      {"text typed while scanning is only stored",
       [](Panel& t) { t.v.scrollOffset = 70; },
       [](Panel& t) { return onSearchTextChanged(t.v, t.s, u"doc", true); }, "",
       [](const Panel& t) {
         EXPECT_EQ(u"doc", std::u16string(t.s.searchText));
         EXPECT_EQ(70, t.v.scrollOffset);
       }},
      {"text typed after the scan refilters from the top", [](Panel& t) { t.v.scrollOffset = 70; },
       [](Panel& t) { return onSearchTextChanged(t.v, t.s, u"doc", false); }, "repaint range rebuild",
       [](const Panel& t) { EXPECT_EQ(0, t.v.scrollOffset); }},
  });
}

TEST(Input, DiagnosticCopyText) {
  char16_t out[kCopyLineUnits];
  diagnosticCopyText(1, u"cfg", u"status", u"detail", u"icons", out, kCopyLineUnits);
  EXPECT_EQ(u"cfg | status", std::u16string(out));
  diagnosticCopyText(3, u"cfg", u"status", u"detail", u"icons", out, kCopyLineUnits);
  EXPECT_EQ(u"icons", std::u16string(out));
  std::u16string config(500, u'c'), status(400, u's');
  EXPECT_EQ(749u, diagnosticCopyText(1, config.c_str(), status.c_str(), u"", u"", out, kCopyLineUnits));
  EXPECT_EQ(0u, diagnosticCopyText(4, u"", u"", u"", u"", out, kCopyLineUnits));
}
