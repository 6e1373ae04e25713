// The panel's paint, frame by frame, through the RecordingCanvas: what is
// written where, in which font and colour, for each form the panel can take,
// the list's and the treemap's.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "draw/colors.h"
#include "format/text.h"
#include "tests/support/recording_canvas.h"
#include "view/list_paint.h"

namespace {

// Colours that say where they came from in a recorded line.
constexpr Color kBack = 0x202020, kHeader = 0x0000C0, kText = 0x00D0D0, kMeta = 0x808080;
constexpr Color kBarStart = 0x004000, kBarEnd = 0x00C000, kFile = 0xE0E0E0, kFolder = 0xC0A000;
constexpr Color kTopLabel = 0x00A0A0, kHeaderBar = 0x303030, kHeaderActive = 0x505050;
constexpr Color kTreeMap = 0xA000A0, kSearchBorder = 0x404040;

struct Panel {
  PanelSettings s{};
  ViewState view{};
  TreemapLayoutState treemap{};
  std::vector<ScanItem> items;
  std::vector<const ScanItem*> rows;
  PanelView v{};
  PaintResults results{};

  Panel() {
    s.colors = ColorSet{kBack, kHeader, kText, kMeta, kBarStart, kBarEnd,
                        kFile, kFolder, kTopLabel, kHeaderBar, kHeaderActive, kTreeMap};
    s.searchBorderColor = kSearchBorder;
    s.dpiScalePercent = 100;
    s.headerTextHeight = 20;
    s.bodyTextHeight = 14;
    s.rowHeight = 22;
    s.iconColumnWidth = 24;
    s.iconSize = 16;
    s.searchBoxWidth = 150;
    s.searchBoxHeight = 22;
    s.titleWidth = 200;
    s.showHeaders = 1;
    s.maxTopFiles = 50;
    s.everythingLabel = kEverythingLabelOn;
    s.everythingLabelIconSize = 16;
    s.everythingOverlayIconSize = 16;
    s.thousandsSeparator[0] = u',';
    s.decimalSeparator[0] = u'.';
    textCopy(s.configDiagLine, kConfigDiagUnits, u"cfg");
    initViewState(view);
    v.clientWidth = 800;
    v.clientHeight = 600;
    v.view = &view;
    v.settings = &s;
    v.targetPath = u"C:\\data";
    v.treemap = &treemap;
    items.reserve(2000);
  }
  ~Panel() { releaseTreemapCells(&treemap); }
  ScanItem& add(const char16_t* name, uint64_t size, bool folder = false, int32_t count = 0) {
    items.push_back(ScanItem{});
    ScanItem& it = items.back();
    textCopy(it.name, kNameUnits, name);
    it.size = size;
    it.isFolder = folder;
    it.fileCount = folder ? count : 0;
    return it;
  }
  RecordingCanvas paint(uint32_t now = 5000) {
    rows.clear();
    uint64_t largest = 0;
    for (const ScanItem& it : items) {
      rows.push_back(&it);
      if (it.size > largest) largest = it.size;
    }
    v.metrics = layoutMetricsOf(s);
    v.visibleRows = rows.data();
    v.visibleCount = static_cast<int32_t>(rows.size());
    if (!v.maxVisibleSize) v.maxVisibleSize = largest;
    RecordingCanvas c;
    results = paintPanel(c, v, now);
    return c;
  }
};

// The recorded text line that writes exactly `text`, from its font on.
std::string drawn(const RecordingCanvas& c, const std::string& text) {
  for (const std::string& l : c.lines) {
    if (l.compare(0, 5, "text ") != 0) continue;
    const size_t quote = l.find(" '" + text + "' ");
    if (quote == std::string::npos) continue;
    const size_t font = l.find(' ', 5) + 1;
    return l.substr(font);
  }
  return "(not drawn)";
}

int countLines(const RecordingCanvas& c, const std::string& prefix, const std::string& needle = "") {
  int n = 0;
  for (const std::string& l : c.lines)
    n += l.compare(0, prefix.size(), prefix) == 0 && l.find(needle) != std::string::npos;
  return n;
}

std::string hex(Color c) { return colorText(c); }

}  // namespace

TEST(ListPaint, SummaryForms) {
  struct Case {
    uint32_t denied, topFiles;
    int files;  // rows of 1 MB each
    uint32_t filesCounted, foldersCounted;
    const char* want;
  } cases[] = {
      {1, 0, 3, 9, 9, "Access Denied"},
      {0, 1, 1, 9, 9, "1.0 MB  \u2022  1 File"},
      {0, 1, 3, 9, 9, "3.0 MB  \u2022  3 Files"},
      {0, 0, 2, 1, 1, "5.0 GB  \u2022  1 File  \u2022  1 Folder"},
      {0, 0, 2, 1234, 0, "5.0 GB  \u2022  1,234 Files  \u2022  0 Folders"},
  };
  for (const Case& k : cases) {
    Panel p;
    for (int i = 0; i < k.files; ++i) p.add(u"f.bin", 1 << 20);
    p.v.targetAccessDenied = k.denied;
    p.view.showTopFiles = k.topFiles;
    p.v.totalSize = 5368709120ull;
    p.v.filesCounted = k.filesCounted;
    p.v.foldersCounted = k.foldersCounted;
    RecordingCanvas c = p.paint();
    EXPECT_EQ(drawn(c, k.want), "Body " + hex(kMeta) + " '" + k.want + "' right|single|noprefix") << k.want;
    // The path ends S(10) before the summary, which ends at the content edge.
    const int32_t xr = contentRight(p.v.metrics, 800, p.view.scrollMax);
    const int32_t limit = std::max<int32_t>(400, xr - (7 * static_cast<int32_t>(textFromUtf8(k.want).size()) + 10));
    EXPECT_EQ(c.lineContaining("'C:\\data'"),
              "text 16,36," + std::to_string(limit - 10) + ",50 Body " + hex(kMeta) +
                  " 'C:\\data' single|path|noprefix");
    EXPECT_EQ(countLines(c, "text", "Windows is denying access"), k.denied ? 1 : 0);
  }
}

TEST(ListPaint, ScanningShowsProgressOnly) {
  struct Case {
    uint32_t files, folders;
    const char* want;
  } cases[] = {
      {1, 1, "Discovered so far: 1 file, 1 folder..."},
      {0, 2, "Discovered so far: 0 files, 2 folders..."},
      {12345, 3, "Discovered so far: 12,345 files, 3 folders..."},
  };
  for (const Case& k : cases) {
    Panel p;
    p.add(u"a", 10, true, 1);
    p.v.scanRunning = 1;
    p.v.filesCounted = k.files;
    p.v.foldersCounted = k.folders;
    RecordingCanvas c = p.paint();
    EXPECT_EQ(c.lineContaining("Scanning file system"),
              "text 16,79,784,119 Body " + hex(kText) +
                  " 'Scanning file system tree asynchronously...' single|noprefix");
    EXPECT_EQ(c.lineContaining("Discovered"),
              "text 16,109,784,139 Body " + hex(kMeta) + " '" + k.want + "' single|noprefix");
    // No summary, controls, header or rows; the path may run to W - S(260).
    EXPECT_EQ(countLines(c, "text"), 4) << ::testing::PrintToString(c.lines);
    EXPECT_EQ(countLines(c, "bar"), 0);
    EXPECT_EQ(c.lineContaining("'C:\\data'").substr(0, 18), "text 16,36,530,50 ");
    EXPECT_FALSE(p.results.controlsLaidOut || p.results.listLaidOut);
  }
}

TEST(ListPaint, DiagnosticLinesColoursAndCuts) {
  const std::u16string longLine(700, u'x');
  struct Case {
    Color back;
    Color ink;
  } cases[] = {{0x202020, 0x0040B0FF}, {0xF0F0F0, 0x000060AF}};
  for (const Case& k : cases) {
    Panel p;
    p.s.everythingDebug = 1;
    p.s.colors.backgroundColor = k.back;
    p.v.everythingStatusLine = u"status";
    p.v.scanDetailLine = longLine.c_str();
    p.v.exeIconFailLine = longLine.c_str();
    RecordingCanvas c = p.paint();
    EXPECT_EQ(c.lineContaining("[DEBUG] cfg"),
              "text 16,53,784,67 Body " + hex(k.ink) + " '[DEBUG] cfg  |  status' single|end|noprefix");
    // Lines 2 and 3 are composed in 620 and 420 units, terminator included.
    EXPECT_EQ(c.lineContaining("[DEBUG] xxx"),
              "text 16,68,784,82 Body " + hex(k.ink) + " '[DEBUG] " + std::string(619 - 8, 'x') +
                  "' single|end|noprefix");
    EXPECT_NE(c.lineContaining("'[DEBUG] " + std::string(419 - 8, 'x') + "'"), "");
  }
}

TEST(ListPaint, HeaderLabelsAndSortArrow) {
  struct Case {
    int32_t column;
    uint32_t descending;
    int32_t sizeDisplay;
    uint32_t topFiles;
  } cases[] = {{0, 0, 0, 0}, {1, 1, 0, 0}, {2, 1, 0, 0}, {3, 1, 2, 0}, {4, 0, 4, 1}, {3, 0, 1, 1}};
  const char* units[] = {"Size", "Size (GB)", "Size (MB)", "Size (KB)", "Size (B)"};
  for (const Case& k : cases) {
    Panel p;
    p.add(u"a.txt", 100);
    p.view.sortColumn = k.column;
    p.view.sortDescending = k.descending;
    p.view.showTopFiles = k.topFiles;
    p.s.sizeDisplay = k.sizeDisplay;
    RecordingCanvas c = p.paint();
    const Rect* cells = p.results.headerCellRects;
    const char* labels[] = {"Ext", "Name", "# Files", units[k.sizeDisplay], "%"};
    for (int col = 0; col < kHeaderColumns; ++col) {
      // Top files has no "# Files" column, and no cell for the mouse there.
      if (k.topFiles && col == 2) {
        EXPECT_EQ(drawn(c, labels[col]), "(not drawn)");
        EXPECT_EQ(rectText(cells[col]), "-1,-1,-1,-1");
        continue;
      }
      EXPECT_EQ(drawn(c, labels[col]), "Body " + hex(kFile) + " '" + labels[col] + "' " +
                                           (col < 2 ? "" : "right|") + "vcenter|single|noprefix")
          << col;
    }
    // The labels are inset in their cells, Name by S(2), away from the divider lines.
    EXPECT_EQ(c.lineContaining("'Name'").rfind("text " + std::to_string(cells[1].left + 2) + ",", 0), 0u);
    const Rect s = cells[k.column];
    const int x = k.column < 2 ? s.right - 10 : s.left + 7, y = (s.top + s.bottom) / 2;
    char want[96];
    if (k.descending)
      snprintf(want, sizeof want, "polygon %d,%d %d,%d %d,%d ", x - 4, y - 4, x + 4, y - 4, x, y + 4);
    else
      snprintf(want, sizeof want, "polygon %d,%d %d,%d %d,%d ", x - 4, y + 4, x + 4, y + 4, x, y - 4);
    EXPECT_EQ(c.linesStartingWith("polygon"), want + hex(kFile));
    // The sort column's cell is the active one.
    EXPECT_EQ(countLines(c, "fill " + std::to_string(s.left) + "," + std::to_string(s.top + 1), hex(kHeaderActive)), 1);
  }
}

TEST(ListPaint, FilesColumnTexts) {
  struct Case {
    uint32_t link, denied, everything;
    int32_t count, label, brackets, bold;
    const char* name;    // as drawn
    const char* files;   // the files-column text, or "" for none
    const char* nameFont;
  } cases[] = {
      {1, 0, 0, 5, 1, 0, 0, "d", "  [Link]", "Body"},
      {0, 1, 0, 5, 1, 0, 0, "d", "  [Access Denied]", "Body"},
      {0, 0, 0, 1, 1, 1, 0, "[d]", "  [1 File]", "Body"},
      {0, 0, 0, 1234, 0, 0, 1, "d", "  [1,234 Files]", "BodyBold"},
      {0, 0, 1, -1, 1, 0, 0, "d", "  [Everything]", "Body"},
      {0, 0, 1, -1, 0, 0, 0, "d", "", "Body"},
      {0, 0, 1, -1, 3, 0, 0, "d", "", "Body"},
  };
  for (const Case& k : cases) {
    Panel p;
    ScanItem& d = p.add(u"d", 100, true, k.count);
    d.isLink = k.link;
    d.accessDenied = k.denied;
    d.fromEverything = k.everything;
    p.s.everythingLabel = k.label;
    p.s.dirBrackets = k.brackets;
    p.s.boldFolderNames = k.bold;
    p.v.totalSize = 100;
    RecordingCanvas c = p.paint();
    const std::string nameLine = c.lineContaining(std::string("'") + k.name + "'");
    EXPECT_NE(nameLine.find(std::string(" ") + k.nameFont + " " + hex(kFolder) + " '" + k.name +
                            "' vcenter|single|end|noprefix"),
              std::string::npos)
        << nameLine;
    if (*k.files) {
      EXPECT_EQ(drawn(c, k.files), "Body " + hex(kMeta) + " '" + k.files + "' vcenter|single|noprefix");
    }
    // The overlay of label 3 falls back to the magnifier: no icon is available.
    EXPECT_EQ(countLines(c, "glyph magnifier"), k.label == 3 ? 1 : 0);
    EXPECT_EQ(drawn(c, "100 B"), "Body " + hex(kMeta) + " '100 B' right|vcenter|single|noprefix");
    EXPECT_EQ(drawn(c, "(100.0%)"), "Body " + hex(kMeta) + " '(100.0%)' right|vcenter|single|noprefix");
  }
  // The icon slot of label 2: the magnifier S(6) after the name's end.
  Panel p;
  p.add(u"d", 1, true, -1);
  p.s.everythingLabel = kEverythingLabelIcon;
  RecordingCanvas c = p.paint();
  EXPECT_EQ(countLines(c, "glyph magnifier"), 1);
}

TEST(ListPaint, HoverFlashFadesOverFourHundredFiftyMs) {
  const Color hoverText = shiftColor(kHeader, 45);
  struct Case {
    uint32_t elapsed;
    double k;
  } cases[] = {{0, 1.0}, {225, 0.25}, {450, 0.0}, {5000, 0.0}};
  for (const Case& k : cases) {
    Panel p;
    p.add(u"a.txt", 50);
    p.add(u"b.txt", 50);
    p.v.totalSize = 100;
    p.s.fancyBar = p.s.fancyText = 1;
    p.view.hoverRow = 0;
    p.view.hoverStartTick = 1000;
    RecordingCanvas c = p.paint(1000 + k.elapsed);
    EXPECT_DOUBLE_EQ(hoverFlash(k.elapsed), k.k);
    const std::string bars = c.linesStartingWith("bar");
    const std::string from = hex(blendColor(kBarStart, kHeader, 0.55 * k.k));
    const std::string to = hex(blendColor(kBarEnd, kHeader, 0.55 * k.k));
    EXPECT_NE(bars.find("0.5000 " + from + ">" + to + "\nbar"), std::string::npos) << bars;
    EXPECT_EQ(drawn(c, "a.txt"),
              "Body " + hex(blendColor(kFile, hoverText, 0.65 * k.k)) + " 'a.txt' vcenter|single|end|noprefix");
    // Only the hovered row flashes.
    EXPECT_EQ(drawn(c, "b.txt"), "Body " + hex(kFile) + " 'b.txt' vcenter|single|end|noprefix");
  }
}

TEST(ListPaint, SharesOfZeroTotalAndOfTheLargestRow) {
  struct Case {
    uint64_t total;
    int32_t largest;
    const char* bars;
    const char* percent;
  } cases[] = {
      {0, 0, "", "(0.0%)"},
      {0, 1, "1.0000|0.5000", "(0.0%)"},
      {1000, 0, "0.2000|0.1000", "(20.0%)"},
      {1000, 1, "1.0000|0.5000", "(20.0%)"},
  };
  for (const Case& k : cases) {
    Panel p;
    p.add(u"big", 200);
    p.add(u"small", 100);
    p.v.totalSize = k.total;
    p.s.barScaleLargest = k.largest;
    RecordingCanvas c = p.paint();
    std::string fractions;
    for (const std::string& l : c.lines) {
      if (l.compare(0, 4, "bar ") != 0) continue;
      if (!fractions.empty()) fractions += '|';
      fractions += l.substr(l.find(' ', 4) + 1, 6);
    }
    EXPECT_EQ(fractions, k.bars);
    EXPECT_NE(drawn(c, k.percent), "(not drawn)");
  }
}

TEST(ListPaint, RowsOffScreenAreSkipped) {
  Panel p;
  for (int i = 0; i < 1000; ++i) {
    char16_t name[16];
    textFormat(name, 16, u"r%d", i);
    p.add(name, 1000 - i);
  }
  p.v.totalSize = 1000000;
  const int32_t listTop = layoutBands(layoutMetricsOf(p.s), false).listTop;
  struct Case {
    int32_t offset;
    int first, last;
  } cases[] = {{0, 0, (600 - listTop - 1) / 22}, {22 * 500, 500, 500 + (600 - listTop - 1) / 22}, {22 * 500 + 5, 500, 500 + (600 - listTop + 4) / 22}};
  for (const Case& k : cases) {
    p.view.scrollOffset = k.offset;
    p.view.scrollMax = 22 * 1000;
    RecordingCanvas c = p.paint();
    EXPECT_EQ(countLines(c, "text", "' vcenter|single|end|noprefix"), k.last - k.first + 1) << k.offset;
    EXPECT_NE(drawn(c, "r" + std::to_string(k.first)), "(not drawn)");
    EXPECT_NE(drawn(c, "r" + std::to_string(k.last)), "(not drawn)");
    EXPECT_EQ(drawn(c, "r" + std::to_string(k.last + 1)), "(not drawn)");
    // Rows are drawn inside the clip, the scrollbar after it.
    EXPECT_EQ(c.lines.back().compare(0, 5, "fill "), 0);
  }
}

namespace {

// Six items of 6000 down to 1000 bytes in the treemap view.
void treemapOfSix(Panel& p) {
  p.view.treemapView = 1;
  p.s.fancyPop = 1;
  p.s.treeMapIcons = 1;
  for (int i = 0; i < 6; ++i) {
    char16_t name[16];
    textFormat(name, 16, u"item%d", i);
    p.add(name, 1000u * (6 - i));
  }
}

}  // namespace

TEST(TreemapView, LaysOutTheAreaAndPopsInANewSet) {
  Panel p;
  treemapOfSix(p);
  RecordingCanvas first = p.paint(1000);
  // A new set: the pop-in starts with this frame, where no cell has grown yet.
  EXPECT_EQ(p.results.popRestart, 1u);
  EXPECT_EQ(p.results.popSignature, treemapRowsSignature(p.rows.data(), 6));
  EXPECT_EQ(countLines(first, "roundrect"), 0);
  // What the window does with the results.
  p.view.popSignature = p.results.popSignature;
  p.view.popSignatureValid = 1;
  p.view.popAnimating = 1;
  p.view.popStartTick = 1000;

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
  EXPECT_GT(countLines(p.paint(1300), "roundrect"), 0);
  EXPECT_EQ(p.results.popRestart, 0u);
  // Once the pop-in is over every cell is drawn in full, with its label.
  p.view.popAnimating = 0;
  RecordingCanvas full = p.paint(3000);
  EXPECT_EQ(countLines(full, "roundrect"), 6);
  EXPECT_NE(full.lineContaining("'item0'"), "");
  // Coloured icons off: glyphs, even with an icon lookup.
  EXPECT_EQ(countLines(full, "glyph document"), 6);

  // A different set restarts; without FancyPop nothing restarts.
  p.items.pop_back();
  p.paint(4000);
  EXPECT_EQ(p.results.popRestart, 1u);
  p.s.fancyPop = 0;
  p.items.pop_back();
  p.paint(4000);
  EXPECT_EQ(p.results.popRestart, 0u);
}

TEST(TreemapView, PopupOverTheHoveredCellAndNothingForATinyArea) {
  Panel p;
  treemapOfSix(p);
  p.s.fancyPop = 0;
  p.paint(1000);
  const TreemapCell c = p.treemap.treemapCells[0];
  p.view.hoverCell = 0;
  p.view.hoverX = c.left + 10;
  p.view.hoverY = c.top + 10;
  RecordingCanvas withPopup = p.paint(5000);
  EXPECT_NE(withPopup.lineContaining("'5.9 KB (28.6%)'"), "");
  EXPECT_EQ(countLines(withPopup, "roundrect"), 7);

  // A client too small for the area: neither layout nor painting, the old
  // cells stay for the mouse.
  p.v.clientHeight = 60;
  RecordingCanvas tiny = p.paint(6000);
  EXPECT_EQ(countLines(tiny, "roundrect"), 0);
  EXPECT_EQ(p.treemap.treemapCellCount, 6);
  EXPECT_EQ(p.treemap.treemapCells[0].left, c.left);
}
