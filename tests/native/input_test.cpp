// How each mouse, timer, text and scan event changes the view's state and
// what it asks the window to do.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "format/text.h"
#include "view/input.h"
#include "view/search_box.h"

namespace {

// 96 dpi, so every layout unit is a pixel: title 10..31, path 37..52, header
// band 57..78 with the cells Ext 16-48, Name 48-529, # Files 529-607, Size
// 607-702, % 702-772; list top 82, rows 22 pixels apart, 800 x 600 client.
// 100 rows: content 2298 pixels, scrollMax 1698; the track is x 788..800,
// y 82..600 and the thumb 135 pixels high. Top-files toggle 650-784 x 12-28,
// treemap button 623-640 x 12-29. Two treemap cells side by side: an item
// (16..400), then the folded small items (400..784), y 82..584.
struct Panel {
  ScanItem items[100] = {};
  const ScanItem* rows[100];
  TreemapLayoutState treemap{};
  TreemapCell cells[2] = {{16, 82, 400, 584, &items[0]}, {400, 82, 784, 584, &treemap.othersItem}};
  ViewState v{};
  SearchState s{};
  InputContext p{};
  int32_t scan = 0, fancyBar = 0, text = 0;

  Panel() {
    for (int i = 0; i < 100; ++i) rows[i] = &items[i];
    p = InputContext{{100, 21, 15, 22, 32, 16, 150, 23, 220, 1, 0}, 800, 600, 0, 0, 0, rows, 100, &treemap};
    treemap.treemapCells = cells, treemap.treemapCellCount = 2;
    initViewState(v);
    textCopy(s.searchText, kSearchTextUnits, u"abc");
    // What the window does after a resize, and what the paint stores.
    v.sizeColumnWidth = 85, v.scrollMax = computeScrollRange(p.metrics, 82, 100, 600, 0).scrollMax;
    const TopControls top = layoutTopControls(p.metrics, 800);
    v.topFilesToggleRect = top.topFilesToggle, v.treemapButtonRect = top.treemapButton;
    const RowColumns cols = layoutRowColumns(p.metrics, 800, v.scrollMax, 70, 85);
    layoutHeaderCells(layoutBands(p.metrics, false), cols, false, v.headerCellRects);
  }
  // Every field an event reads or may change, by name.
  std::vector<std::pair<std::string, int32_t*>> fields() {
    auto u = [](uint32_t& x) { return reinterpret_cast<int32_t*>(&x); };
    return {{"offset", &v.scrollOffset}, {"drag", u(v.thumbDragging)}, {"grab", &v.thumbGrabOffset},
            {"top", u(v.showTopFiles)}, {"map", u(v.treemapView)}, {"buttonHover", u(v.treemapButtonHover)},
            {"sort", &v.sortColumn}, {"desc", u(v.sortDescending)}, {"hoverHeader", &v.hoverHeader},
            {"hoverRow", &v.hoverRow}, {"cell", &v.hoverCell}, {"x", &v.hoverX}, {"y", &v.hoverY},
            {"since", u(v.hoverStartTick)}, {"hoverTimer", u(v.hoverTimerRunning)}, {"leave", u(v.leaveTracking)},
            {"popValid", u(v.popSignatureValid)}, {"popping", u(v.popAnimating)}, {"popStart", u(v.popStartTick)},
            {"popTimer", u(v.popTimerRunning)}, {"text", &text}, {"scan", &scan}, {"fancyBar", &fancyBar},
            {"debug", &p.metrics.everythingDebug}};
  }
  std::string state() {
    std::string t;
    text = s.searchText[0];
    for (const auto& f : fields()) t += " " + f.first + "=" + std::to_string(*f.second);
    return t;
  }
  void set(const std::string& assignments) {
    std::istringstream in(assignments);
    for (std::string a; in >> a;)
      for (const auto& f : fields())
        if (a.rfind(f.first + "=", 0) == 0) *f.second = std::stoi(a.substr(f.first.size() + 1));
    p.scanRunning = scan, p.fancyBar = fancyBar;
  }
};

std::string str(const Effects& e) {
  const std::pair<bool, std::string> f[] = {
      {e.repaint, "repaint"}, {e.capture, "capture"}, {e.releaseCapture, "release"}, {e.trackLeave, "track"},
      {e.clearSearchEdit, "clearEdit"}, {e.newScrollRange, "range"}, {e.rowsChanged == RowsChange::Resort, "resort"},
      {e.rowsChanged == RowsChange::Rebuild, "rebuild"}, {e.startTimers != 0, "start" + std::to_string(e.startTimers)},
      {e.killTimers != 0, "kill" + std::to_string(e.killTimers)}, {e.cursor == Cursor::Arrow, "arrow"},
      {e.cursor == Cursor::Hand, "hand"}, {e.action.kind == ActionKind::About, "about"},
      {e.action.kind == ActionKind::Jump, "jump"},
      {e.action.kind == ActionKind::Copy, "copy" + std::to_string(e.action.line)}};
  std::string t;
  for (const auto& x : f) t += x.first ? " " + x.second : "";
  return t.empty() ? t : t.substr(1);
}

// A move happens at tick 777, a timer fires at tick `b`, "doc" is typed while scanning when `a` is 1.
using Event = Effects (*)(Panel&, int32_t a, int32_t b);
const Event kDown = [](Panel& t, int32_t a, int32_t b) { return onLeftDown(t.v, t.s, t.p, a, b); };
const Event kMove = [](Panel& t, int32_t a, int32_t b) { return onMouseMove(t.v, t.p, a, b, 777); };
const Event kRight = [](Panel& t, int32_t a, int32_t b) { return onRightDown(t.v, t.p, a, b); };
const Event kWheel = [](Panel& t, int32_t a, int32_t) { return onWheel(t.v, t.p, a); };
const Event kCursor = [](Panel& t, int32_t a, int32_t b) { return onSetCursor(t.v, t.p, a, b); };
const Event kTimer = [](Panel& t, int32_t a, int32_t b) { return onTimer(t.v, t.p, a, b); };
const Event kLeave = [](Panel& t, int32_t, int32_t) { return onMouseLeave(t.v); };
const Event kUp = [](Panel& t, int32_t, int32_t) { return onLeftUp(t.v); };
const Event kLost = [](Panel& t, int32_t, int32_t) { return onCaptureLost(t.v); };
const Event kScanEnd = [](Panel& t, int32_t, int32_t) { return onScanFinished(t.v); };
const Event kText = [](Panel& t, int32_t a, int32_t) { return onSearchTextChanged(t.v, t.s, u"doc", a != 0); };

// A row: the fields set before the event, the event, what it asks for, and
// the fields it changes with their new values.
struct Gesture { const char *name, *before; Event event; int32_t a, b; const char *effects, *changed; };

void runGestures(std::initializer_list<Gesture> table) {
  for (const Gesture& g : table) {
    Panel t;
    t.set(g.before);
    std::istringstream before(t.state());
    EXPECT_EQ(g.effects, str(g.event(t, g.a, g.b))) << g.name;
    std::istringstream after(t.state());
    std::string changed;
    for (std::string x, y; before >> x && after >> y;) changed += x == y ? "" : " " + y;
    EXPECT_EQ(g.changed, changed.empty() ? changed : changed.substr(1)) << g.name;
  }
}

}  // namespace

TEST(Input, MouseButtonsMovesWheelAndCursor) {
  runGestures({
      {"the sort column's header turns it", "offset=300", kDown, 654, 78, "repaint range resort", "offset=0 desc=0"},
      {"Name starts ascending", "", kDown, 288, 57, "repaint range resort", "sort=1 desc=0"},
      {"# Files starts descending, and is no hover highlight", "sort=1 desc=0 hoverHeader=2", kDown, 568, 60,
       "repaint range resort", "sort=2 desc=1 hoverHeader=-1"},
      {"the top-files toggle resets sort, scroll and search", "sort=1 desc=0 offset=500", kDown, 784, 20,
       "repaint clearEdit range rebuild", "offset=0 top=1 sort=3 desc=1 text=0"},
      {"the treemap button: no hover, the next paint pops in", "hoverRow=4 hoverHeader=1 hoverTimer=1 popValid=1",
       kDown, 623, 29, "repaint range kill2", "map=1 hoverHeader=-1 hoverRow=-1 hoverTimer=0 popValid=0"},
      {"the treemap button back to the list stops the pop-in", "map=1 popping=1 popTimer=1", kDown, 631, 20,
       "repaint range kill4", "map=0 popping=0 popTimer=0"},
      {"the track above the thumb jumps, not pages", "offset=1698", kDown, 794, 82 + 259, "repaint", "offset=849"},
      {"a thumb press starts the drag with the grab point", "", kDown, 794, 182, "capture", "drag=1 grab=100"},
      {"a row click does nothing", "", kDown, 300, 200, "", ""},
      {"ignored while scanning", "scan=1", kDown, 288, 60, "", ""},
      {"the sort column's header adds no hover", "leave=1", kMove, 654, 60, "", ""},
      {"another header hovers; the first move asks for the leave notice", "", kMove, 288, 78, "repaint track",
       "hoverHeader=1 leave=1"},
      {"a row with FancyBar starts the flash", "leave=1 fancyBar=1", kMove, 300, 82 + 22 * 3, "repaint start2",
       "hoverRow=3 since=777 hoverTimer=1"},
      {"no row hover without FancyBar or FancyText", "leave=1", kMove, 300, 148, "", ""},
      {"no row hover left of the bar (16 + 28)", "leave=1 fancyBar=1", kMove, 43, 100, "", ""},
      {"a drag far below the window ends at the bottom", "leave=1 drag=1", kMove, -50, 5000, "repaint", "offset=1698"},
      {"a drag keeps the grab point under the mouse", "leave=1 drag=1 grab=10", kMove, 794, 82 + 10 + 383 / 2,
       "repaint", "offset=846"},  // 1698 * 191 / (518 - 135)
      {"a drag above the track ends at the top", "leave=1 drag=1 offset=900", kMove, 794, -300, "repaint", "offset=0"},
      {"a new treemap cell flashes and anchors the popup", "leave=1 map=1", kMove, 100, 200, "repaint start2",
       "cell=0 x=100 y=200 since=777 hoverTimer=1"},
      {"same cell, new y: the popup follows", "leave=1 map=1 cell=0 x=100 y=200", kMove, 100, 210, "repaint", "y=210"},
      {"the treemap button hovers", "leave=1", kMove, 623, 20, "repaint", "buttonHover=1"},
      {"the title band over the controls opens About", "", kRight, 700, 36, "about", ""},
      {"diagnostic line 2 copies it, from its top", "debug=1", kRight, 300, 71, "copy2", ""},
      {"a row jumps, at any x", "", kRight, 5, 82 + 22 * 2 + 21, "jump", ""},
      {"a treemap cell jumps", "map=1", kRight, 100, 300, "jump", ""},
      {"wheel -120 scrolls 40 down", "", kWheel, -120, 0, "repaint", "offset=40"},
      {"the wheel up stops at the top", "offset=30", kWheel, 240, 0, "repaint", "offset=0"},
      {"arrow on the treemap", "map=1", kCursor, 100, 300, "arrow", ""},
      {"hand over the header band, at any x", "", kCursor, 2, 57, "hand", ""},
      {"leave with nothing hovered does not repaint", "leave=1", kLeave, 0, 0, "", "leave=0"},
      {"left up ends the drag", "drag=1", kUp, 0, 0, "repaint release", "drag=0"},
      {"capture lost mid-drag ends it", "drag=1", kLost, 0, 0, "repaint", "drag=0"},
  });
}

TEST(Input, TimersScanEndAndSearchText) {
  const char* hovering = "hoverRow=2 since=1000 hoverTimer=1";
  const char* popping = "map=1 popping=1 popStart=-256 popTimer=1";
  runGestures({
      {"refresh stops after the scan", "", kTimer, 1001, 0, "kill1", ""},
      {"the flash ends at 450 ms with a last repaint", hovering, kTimer, 1002, 1450, "repaint kill2", "hoverTimer=0"},
      {"the flash stops at once without a hover", "hoverTimer=1", kTimer, 1002, 0, "kill2", "hoverTimer=0"},
      {"the pop-in ends at 830 ms", popping, kTimer, 1003, 830 - 256, "repaint kill4", "popping=0 popTimer=0"},
      {"the pop-in stops at once in the list view", "popping=1 popTimer=1", kTimer, 1003, 0, "kill4", "popTimer=0"},
      {"scan end", "", kScanEnd, 0, 0, "repaint range resort kill1", ""},
      {"text typed while scanning is only stored", "offset=70", kText, 1, 0, "", "text=100"},
      {"text typed after the scan refilters from the top", "offset=70", kText, 0, 0, "repaint range rebuild",
       "offset=0 text=100"},
  });
}

TEST(Input, DiagnosticCopyText) {
  char16_t out[kCopyLineUnits];
  diagnosticCopyText(1, u"cfg", u"status", u"detail", u"icons", out, kCopyLineUnits);
  EXPECT_EQ(u"cfg | status", std::u16string(out));
  EXPECT_EQ(5u, diagnosticCopyText(3, u"cfg", u"status", u"detail", u"icons", out, kCopyLineUnits));
  const std::u16string config(500, u'c'), status(400, u's');  // cut to the buffer
  EXPECT_EQ(749u, diagnosticCopyText(1, config.c_str(), status.c_str(), u"", u"", out, kCopyLineUnits));
  EXPECT_EQ(0u, diagnosticCopyText(4, u"", u"", u"", u"", out, kCopyLineUnits));
}

// Ctrl+Backspace: the range to delete, or nothing (start -1).
TEST(SearchBox, WordDeleteRange) {
  const struct { const char16_t* text; int32_t caret, selStart, selEnd, start, end; } rows[] = {
      {u"alpha beta", 10, 10, 10, 6, 10},    // the second word goes, the blank stays
      {u"alpha beta", 0, 0, 0, -1, 0},       // caret at the start
      {u"   ", 3, 3, 3, 0, 3},               // only blanks
      {u"alpha beta", 99, 99, 99, 6, 10},    // caret beyond the text
  };
  for (const auto& r : rows) {
    const WordDelete d =
        wordDeleteRange(r.text, static_cast<int32_t>(textLength(r.text)), r.caret, r.selStart, r.selEnd);
    EXPECT_EQ(d.remove ? std::to_string(d.start) + "-" + std::to_string(d.end) : "-1",
              r.start < 0 ? "-1" : std::to_string(r.start) + "-" + std::to_string(r.end))
        << textToUtf8(r.text) << " caret " << r.caret;
  }
}
