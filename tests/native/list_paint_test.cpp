// The panel's paint through the RecordingCanvas: what is written where, in
// which font and colour, for each form the panel can take.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "draw/colors.h"
#include "format/text.h"
#include "tests/support/recording_canvas.h"
#include "view/list_paint.h"

namespace {

// Colours that say where they came from in a recorded line: back #202020,
// header #C00000, text #D0D000, meta #808080, file #E0E0E0, folder #00A0C0,
// top-files label #A0A000, active header cell #505050, treemap #A000A0.
constexpr Color kHeader = 0x0000C0, kBarStart = 0x004000, kBarEnd = 0x00C000, kFile = 0xE0E0E0;

struct Panel {
  PanelSettings s{};
  ViewState view{};
  TreemapLayoutState treemap{};
  std::vector<ScanItem> items;
  std::vector<const ScanItem*> rows;
  PanelView v{};
  PaintResults results{};

  Panel() {
    s.colors = ColorSet{0x202020, kHeader, 0x00D0D0, 0x808080, kBarStart, kBarEnd, kFile, 0xC0A000, 0x00A0A0,
                        0x303030, 0x505050, 0xA000A0};
    s.searchBorderColor = 0x404040, s.dpiScalePercent = 100, s.maxTopFiles = 50, s.headerTextHeight = 20;
    s.bodyTextHeight = 14, s.rowHeight = 22, s.iconColumnWidth = 24, s.searchBoxWidth = 150, s.searchBoxHeight = 22;
    s.iconSize = s.everythingLabelIconSize = s.everythingOverlayIconSize = 16, s.titleWidth = 200, s.showHeaders = 1;
    s.everythingLabel = kEverythingLabelOn, s.fancyBar = s.fancyText = 1;
    s.thousandsSeparator[0] = u',', s.decimalSeparator[0] = u'.';
    textCopy(s.configDiagLine, kConfigDiagUnits, u"cfg");
    initViewState(view);
    v.clientWidth = 800, v.clientHeight = 600, v.view = &view, v.settings = &s, v.treemap = &treemap;
    v.targetPath = u"C:\\data";
  }
  ~Panel() { releaseTreemapCells(&treemap); }
  ScanItem& add(const std::string& name, uint64_t size, bool folder = false, int32_t count = 0) {
    items.push_back(ScanItem{});
    textCopy(items.back().name, kNameUnits, textFromUtf8(name).c_str());
    items.back().size = size, items.back().isFolder = folder, items.back().fileCount = count;
    return items.back();
  }
  // The frame, then one line with what the paint hands back to the window.
  RecordingCanvas paint(uint32_t now = 5000) {
    rows.clear();
    for (const ScanItem& it : items) rows.push_back(&it), v.maxVisibleSize = std::max(v.maxVisibleSize, it.size);
    v.metrics = layoutMetricsOf(s);
    v.visibleRows = rows.data(), v.visibleCount = static_cast<int32_t>(rows.size());
    RecordingCanvas c;
    results = paintPanel(c, v, now);
    const PaintResults& r = results;
    c.lines.push_back("laid out " + std::to_string(r.controlsLaidOut) + std::to_string(r.listLaidOut) + " toggle " +
                      rectText(r.topFilesToggleRect) + " button " + rectText(r.treemapButtonRect) + " cells");
    for (const Rect& cell : r.headerCellRects) c.lines.back() += " " + rectText(cell);
    return c;
  }
};

int countLines(const RecordingCanvas& c, const std::string& needle) {
  int n = 0;
  for (const std::string& l : c.lines) n += l.find(needle) != std::string::npos;
  return n;
}

}  // namespace

// Each row sets a panel up; every wanted text is part of a recorded line, and
// one starting with '!' is part of none.
TEST(ListPaint, FramesOfEveryForm) {
  const std::string x611(611, 'x');
  const struct Row { const char* name; std::function<void(Panel&)> setup; std::vector<std::string> want; } rows[] = {
      {"denied target: the notice, and the path ends S(10) before the summary",
       [](Panel& p) { p.add("f", 1), p.v.targetAccessDenied = 1; },
       {"text 683,36,784,50 Body #808080 'Access Denied' right|single|noprefix",
        "text 16,36,673,50 Body #808080 'C:\\data' single|path|noprefix", "Windows is denying access"}},
      {"top files: the shown file's size and count", [](Panel& p) { p.add("f", 1 << 20), p.view.showTopFiles = 1; },
       {"Body #808080 '1.0 MB  \u2022  1 File' right|single|noprefix", "!denying"}},
      {"scanning: progress only, the path runs to W - S(260)", [](Panel& p) {
         p.add("a", 10, true, 1), p.v.scanRunning = 1, p.v.filesCounted = 12345, p.v.foldersCounted = 3;
         p.view.treemapButtonHover = 1;
       },
       {"text 16,79,784,119 Body #D0D000 'Scanning file system tree asynchronously...' single|noprefix",
        "text 16,109,784,139 Body #808080 'Discovered so far: 12,345 files, 3 folders...' single|noprefix",
        "text 16,36,530,50 ", "laid out 00", "!right|single", "!'Top 50 Files'", "!'Name'", "!bar ", "'TreeMap'"}},
      {"diagnostic lines on dark, cut to their buffers", [&](Panel& p) {
         p.s.everythingDebug = 1, p.v.everythingStatusLine = u"status";
         static const std::u16string longLine(700, u'x');
         p.v.scanDetailLine = p.v.exeIconFailLine = longLine.c_str();
       },
       {"text 16,53,784,67 Body #FFB040 '[DEBUG] cfg  |  status' single|end|noprefix",
        "text 16,68,784,82 Body #FFB040 '[DEBUG] " + x611 + "' single|end|noprefix",
        "'[DEBUG] " + std::string(411, 'x') + "'"}},
      {"controls, search frame and tooltip in the list", [](Panel& p) {
         p.view.treemapButtonHover = 1, p.v.hasSearchEdit = 1, p.v.searchFrameRect = Rect{300, 10, 450, 32};
       },
       {"fill 650,12,664,26 #484848", "text 670,12,784,27 Body #A0A000 'Top 50 Files' vcenter|single|noprefix",
        "fill 624,12,640,28 #343434", "fill 628,16,631,19 #8D048D", "fill 633,16,636,19 #710B71",
        "fill 628,21,631,24 #551255", "fill 633,21,636,24 #391939", "frame 299,9,451,33 #404040", "!frame 624",
        "roundrect 575,34,640,54 5 #434343 #161616",
        "text 575,34,640,54 Body #D0D000 'TreeMap' center|vcenter|single|noprefix",
        "laid out 11 toggle 650,12,784,27 button 624,12,640,28"}},
      // Header cells: Ext 16-40, Name 40-541, # Files 541-619, Size 619-714, % 714-784;
      // labels inset by S(4), Name by S(2), the sort column's by S(14) more for its arrow.
      {"header: Ext ascending, the other labels",
       [](Panel& p) { p.add("a", 1), p.view.sortColumn = 0, p.view.sortDescending = 0; },
       {"fill 16,56,40,74 #505050", "text 20,55,26,75 Body #E0E0E0 'Ext' vcenter|single|noprefix",
        "polygon 26,69 34,69 30,61 #E0E0E0", "text 42,55,541,75 Body #E0E0E0 'Name' vcenter|single|noprefix",
        "text 541,55,615,75 Body #E0E0E0 '# Files' right|vcenter|single|noprefix",
        "text 619,55,710,75 Body #E0E0E0 'Size' right|vcenter", "text 714,55,780,75 Body #E0E0E0 '%' right|vcenter"}},
      {"header: # Files descending, in MB", [](Panel& p) { p.add("a", 1), p.view.sortColumn = 2, p.s.sizeDisplay = 2; },
       {"fill 541,56,619,74 #505050", "text 555,55,615,75 Body #E0E0E0 '# Files'", "polygon 544,61 552,61 548,69 ",
        "text 619,55,710,75 Body #E0E0E0 'Size (MB)' right|vcenter"}},
      {"header: top files, % ascending",
       [](Panel& p) {
         p.add("a", 1), p.view.sortColumn = 4, p.view.sortDescending = 0, p.s.sizeDisplay = 4, p.view.showTopFiles = 1;
       },
       {"fill 714,56,784,74 #505050", "polygon 717,69 725,69 721,61 ", "text 42,55,619,75 Body #E0E0E0 'Name'",
        "text 728,55,780,75 Body #E0E0E0 '%'", "'Size (B)'", "!'# Files'",
        "cells 16,55,40,75 40,55,619,75 -1,-1,-1,-1 619,55,714,75 714,55,784,75", "fill 650,12,664,26 #C00000"}},
      {"folder rows: brackets, bold, the files text between name and size, the share",
       [](Panel& p) { p.add("d", 100, true, 1), p.s.dirBrackets = p.s.boldFolderNames = 1, p.v.totalSize = 100; },
       {"text 40,79,534,98 BodyBold #00A0C0 '[d]' vcenter|single|end|noprefix",
        "text 534,79,604,98 Body #808080 '  [1 File]' vcenter|single|noprefix",
        "text 624,79,709,98 Body #808080 '100 B' right|vcenter|single|noprefix",
        "text 719,79,784,98 Body #808080 '(100.0%)' right|vcenter|single|noprefix"}},
      {"Everything overlay over the icon",
       [](Panel& p) { p.add("d", 1, true, -1).fromEverything = 1, p.s.everythingLabel = 3; },
       {"glyph magnifier 20,80 16 ", "text 40,79,604,98 Body #00A0C0 'd'"}},
      // From the list top at 79, rows of 22 cross the list area down to 600; the scrollbar follows the rows.
      {"rows outside the list area are skipped", [](Panel& p) {
         for (int i = 0; i < 1000; ++i) p.add("r" + std::to_string(i), 1000 - i);
         p.view.scrollMax = 22 * 1000, p.view.scrollOffset = 22 * 500 + 5;
       },
       {"text 40,74,592,93 Body #E0E0E0 'r500'", "'r523'", "!'r499'", "!'r524'",
        "unclip\nfill 788,79,800,600 #2F2F2F\nfill 790,329,798,"}},
      {"the hovered row flashes, a quarter after 225 ms", [](Panel& p) {
         p.add("a", 50), p.add("b", 50), p.v.totalSize = 100, p.view.hoverRow = 0, p.view.hoverStartTick = 4775;
       },
       {"bar 36,79,609,98 0.5000 " + colorText(blendColor(kBarStart, kHeader, 0.55 / 4)) + ">" +
            colorText(blendColor(kBarEnd, kHeader, 0.55 / 4)),
        "text 40,79,604,98 Body " + colorText(blendColor(kFile, shiftColor(kHeader, 45), 0.65 / 4)) + " 'a' ",
        "text 40,101,604,120 Body #E0E0E0 'b' "}},
  };
  for (const Row& r : rows) {
    Panel p;
    r.setup(p);
    const RecordingCanvas c = p.paint();
    std::string missed, frame;
    for (const std::string& l : c.lines) frame += l + "\n";
    for (const std::string& w : r.want)
      if ((frame.find(w[0] == '!' ? w.substr(1) : w) == std::string::npos) == (w[0] != '!')) missed += "\n  " + w;
    EXPECT_EQ(missed, "") << r.name << " in\n" << frame;
  }
}

// Six items in the treemap view: a new set starts the pop-in with its first
// frame (no cell grown yet), the same set does not; the popup shows the
// hovered cell; the area starts at S(16) below the bands; a client too small
// for the area keeps the old cells.
TEST(TreemapView, PopsInANewSetShowsThePopupAndKeepsTheCellsOfATinyArea) {
  Panel p;
  p.view.treemapView = 1, p.s.fancyPop = 1;
  for (int i = 0; i < 6; ++i) p.add("item" + std::to_string(i), 1000u * (6 - i));
  EXPECT_EQ(countLines(p.paint(1000), "roundrect"), 0);
  EXPECT_EQ(p.results.popRestart, 1u);
  p.view.popSignature = p.results.popSignature, p.view.popSignatureValid = 1;
  p.view.hoverCell = 0, p.view.hoverX = p.view.hoverY = 100;
  const RecordingCanvas full = p.paint(3000);
  EXPECT_EQ(p.results.popRestart, 0u);
  EXPECT_EQ(countLines(full, "roundrect"), 7);  // six cells and the popup
  EXPECT_EQ(countLines(full, "'5.9 KB (28.6%)'"), 1);
  EXPECT_EQ(pointText(p.treemap.treemapCells[0].left, p.treemap.treemapCells[0].top), "16,55");  // the area's corner
  p.v.clientHeight = 60;
  EXPECT_EQ(countLines(p.paint(6000), "roundrect"), 0);
  EXPECT_EQ(p.treemap.treemapCellCount, 6);
}
