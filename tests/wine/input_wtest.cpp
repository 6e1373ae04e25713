// Real messages to a real panel, where the native tests cannot reach: the
// window glue of a header click, the wheel and the thumb drag with its capture,
// and the real edit control (cue word, word deletion, text typed while the scan
// runs, the clear button).
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "view/panel_record_win.h"
#include "view/panel_view.h"
#include "win/bitmap_capture_win.h"
#include "win/wide_win.h"
#include "tests/support/plugin_host_win.h"

namespace {

// One shown lister window for the whole suite: focus needs an active window,
// and without a window manager each shown window costs two seconds to destroy.
struct InputTest : ::testing::Test {
  static LoadedPlugin plugin;
  static HWND host;
  static std::wstring folder;
  HWND panel = nullptr;
  PanelRecord* rec = nullptr;

  static void SetUpTestSuite() {
    plugin = loadPlugin();
    host = createHostWindow(640, 480, true);
    SetForegroundWindow(host);
    folder = makeTempFolder(L"mvinput");
    // 40 files: names against sizes, so the name order is not the size order,
    // and enough rows to scroll a 480-pixel panel.
    for (int i = 0; i < 40; ++i) {
      wchar_t name[32];
      wsprintfW(name, L"\\%c%02d.bin", L'a' + i % 26, i);
      writeFile(folder + name, 1000 + 37 * ((i * 11) % 40));
    }
  }
  static void TearDownTestSuite() {
    DestroyWindow(host);
    pumpMessages(0);
    removeTree(folder);
  }
  void SetUp() override {
    ASSERT_TRUE(plugin.module && plugin.listLoadW && host);
    panel = plugin.listLoadW(host, &folder[0], 0);
    ASSERT_NE(panel, nullptr);
    ASSERT_TRUE(waitForScanFinished(panel, 30000));
    rec = panelRecordOf(panel);
    ASSERT_NE(rec, nullptr);
    paint();
  }
  void TearDown() override {
    if (panel) DestroyWindow(panel);
    pumpMessages(0);
  }
  // Paints through WM_PRINT, which stores the painted geometry as a screen paint does.
  CapturedBitmap paint() {
    pumpMessages(0);
    CapturedBitmap shot;
    captureWindow(panel, &shot);
    return shot;
  }
  LRESULT mouse(UINT msg, int x, int y, WPARAM keys = 0) {
    return SendMessageW(panel, msg, keys, MAKELPARAM(x, y));
  }
  std::vector<std::wstring> names() const {
    std::vector<std::wstring> out;
    for (int i = 0; i < rec->scan.visibleCount; ++i) out.push_back(W(rec->scan.visibleRows[i]->name));
    return out;
  }
  ScrollbarGeometry scrollbar() const {
    RECT c;
    GetClientRect(panel, &c);
    LayoutMetrics m = layoutMetricsOf(rec->settings);
    return layoutScrollbar(m, c.right, c.bottom, layoutBands(m, false).listTop, rec->scan.visibleCount,
                           rec->view.scrollOffset, rec->view.scrollMax);
  }
  std::wstring editText() const {
    wchar_t text[200] = {};
    GetWindowTextW(rec->searchEdit, text, 200);
    return text;
  }
};
LoadedPlugin InputTest::plugin;
HWND InputTest::host = nullptr;
std::wstring InputTest::folder;

bool ascending(const std::vector<std::wstring>& v) {
  for (size_t i = 1; i < v.size(); ++i)
    if (lstrcmpiW(v[i - 1].c_str(), v[i].c_str()) > 0) return false;
  return true;
}

}  // namespace

TEST_F(InputTest, HeaderClickSortsByNameThenReverses) {
  ASSERT_EQ(40, rec->scan.visibleCount);
  EXPECT_FALSE(ascending(names()));  // by size first
  const Rect name = rec->view.headerCellRects[1];
  ASSERT_LT(name.left, name.right);
  mouse(WM_LBUTTONDOWN, (name.left + name.right) / 2, (name.top + name.bottom) / 2, MK_LBUTTON);
  mouse(WM_LBUTTONUP, (name.left + name.right) / 2, (name.top + name.bottom) / 2);
  std::vector<std::wstring> sorted = names();
  EXPECT_TRUE(ascending(sorted));
  mouse(WM_LBUTTONDOWN, (name.left + name.right) / 2, name.bottom, MK_LBUTTON);
  std::vector<std::wstring> reversed = names();
  EXPECT_EQ(std::vector<std::wstring>(sorted.rbegin(), sorted.rend()), reversed);
}

TEST_F(InputTest, WheelAndThumbDragScrollTheDragFollowsOutsideAndEndsWithTheCapture) {
  SendMessageW(panel, WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), MAKELPARAM(300, 300));
  EXPECT_EQ(40, rec->view.scrollOffset);
  ScrollbarGeometry g = scrollbar();
  ASSERT_TRUE(g.shown);
  const int x = (g.thumb.left + g.thumb.right) / 2;
  mouse(WM_LBUTTONDOWN, x, g.thumb.top + 2, MK_LBUTTON);
  EXPECT_EQ(panel, GetCapture());
  mouse(WM_MOUSEMOVE, -200, 5000, MK_LBUTTON);  // far below and left of the window
  EXPECT_EQ(rec->view.scrollMax, rec->view.scrollOffset);
  mouse(WM_MOUSEMOVE, x, -5000, MK_LBUTTON);
  EXPECT_EQ(0, rec->view.scrollOffset);
  mouse(WM_LBUTTONUP, x, 0);
  EXPECT_NE(panel, GetCapture());
  EXPECT_EQ(0u, rec->view.thumbDragging);

  // Another window taking the capture ends the drag: moves no longer scroll.
  g = scrollbar();
  mouse(WM_LBUTTONDOWN, x, g.thumb.top + 2, MK_LBUTTON);
  ASSERT_EQ(1u, rec->view.thumbDragging);
  SetCapture(host);
  EXPECT_EQ(0u, rec->view.thumbDragging);
  ReleaseCapture();
  mouse(WM_MOUSEMOVE, x, 5000, MK_LBUTTON);
  EXPECT_EQ(0, rec->view.scrollOffset);
}

TEST_F(InputTest, CueWordShowsOnlyWhileEmptyAndUnfocused) {
  ASSERT_NE(rec->searchEdit, nullptr);
  const uint32_t hint = captureColor(rec->settings.searchHintColor);
  auto hintPixels = [&] {
    pumpMessages(0);
    CapturedBitmap shot;
    EXPECT_TRUE(captureWindow(rec->searchEdit, &shot));
    int n = 0;
    for (uint32_t p : shot.pixels) n += p == hint;
    return n;
  };
  SetFocus(panel);
  EXPECT_GT(hintPixels(), 0);
  SetFocus(rec->searchEdit);
  ASSERT_EQ(rec->searchEdit, GetFocus());
  EXPECT_EQ(0, hintPixels());
  SetFocus(panel);
  EXPECT_GT(hintPixels(), 0);
  SetWindowTextW(rec->searchEdit, L"zz");
  EXPECT_EQ(0, hintPixels());
}

TEST_F(InputTest, CtrlBackspaceDeletesTheWordBeforeTheCaretUndoably) {
  HWND edit = rec->searchEdit;
  ASSERT_NE(edit, nullptr);
  const struct { const wchar_t* text; int selStart, selEnd; const wchar_t* after; } rows[] = {
      {L"alpha beta", 10, 10, L"alpha "},
      {L"alpha beta", 1, 3, L"aha beta"},
  };
  for (const auto& r : rows) {
    SetWindowTextW(edit, r.text);
    SendMessageW(edit, EM_SETSEL, r.selStart, r.selEnd);
    SendMessageW(edit, WM_CHAR, 127, 0);
    EXPECT_EQ(std::wstring(r.after), editText()) << r.text;
    SendMessageW(edit, EM_UNDO, 0, 0);
    EXPECT_EQ(std::wstring(r.text), editText()) << r.text;
  }
}

TEST_F(InputTest, TypingFiltersFromTheTopAndTextTypedDuringTheScanAppliesAtItsEnd) {
  HWND edit = rec->searchEdit;
  ASSERT_NE(edit, nullptr);
  rec->view.scrollOffset = 40;
  SetWindowTextW(edit, L"a");  // a00.bin, a26.bin
  EXPECT_EQ(2, rec->scan.visibleCount);
  EXPECT_EQ(0, rec->view.scrollOffset);
  SetWindowTextW(edit, L"");
  EXPECT_EQ(40, rec->scan.visibleCount);

  // The window side of a running scan: the text is only stored, and the
  // finished message applies it. (The scan thread is gone; nobody else writes.)
  rec->scan.scanRunning.store(1);
  SetWindowTextW(edit, L"c02");
  EXPECT_EQ(u"c02", std::u16string(rec->search.searchText));
  EXPECT_EQ(40, rec->scan.visibleCount);
  rec->scan.scanRunning.store(0);
  SendMessageW(panel, WM_SCAN_FINISHED, 0, 0);
  ASSERT_EQ(1, rec->scan.visibleCount);
  EXPECT_EQ(L"c02.bin", std::wstring(W(rec->scan.visibleRows[0]->name)));
}

TEST_F(InputTest, ClearButtonEmptiesAndFocusesEvenAnEmptyBox) {
  ASSERT_NE(rec->searchButton, nullptr);
  for (const wchar_t* text : {L"a0", L""}) {
    SetWindowTextW(rec->searchEdit, text);
    SetFocus(panel);
    SendMessageW(rec->searchButton, BM_CLICK, 0, 0);
    EXPECT_EQ(L"", editText());
    EXPECT_EQ(rec->searchEdit, GetFocus()) << text;
    EXPECT_EQ(40, rec->scan.visibleCount);
  }
}
