// The plugin as the host sees it, where the native tests cannot reach: the real
// exports, the panel window, what both entries decline, real messages reaching
// the input rules and the real edit control, teardown and painting without
// leaks, and unloading and reloading the library. The rules behind them are
// proven natively.
#include <gtest/gtest.h>
#include <windows.h>
#include <psapi.h>

#include <algorithm>

#include "plugin/plugin_file_win.h"
#include "tests/support/gdi_tally_win.h"
#include "tests/support/plugin_host_win.h"
#include "view/panel_record_win.h"
#include "view/panel_view.h"
#include "win/bitmap_capture_win.h"
#include "win/wide_win.h"

namespace {

const std::wstring kUnicodeName = L"\u03A9\u03BC\u03AD\u03B3\u03B1-\u65E5\u672C-\U0001F600.bin";  // Greek, CJK, a surrogate pair

const LoadedPlugin plugin = loadPlugin();

struct PluginTest : ::testing::Test {
  HWND host = nullptr, panel = nullptr;
  std::wstring folder;
  PanelRecord* rec = nullptr;

  void SetUp() override {
    ASSERT_TRUE(plugin.listLoad && plugin.listLoadW && plugin.listSendCommand);
    host = createHostWindow(640, 480);
    folder = makeTempFolder(L"mvplug");
    // a00.bin .. n39.bin: more rows than a panel shows, their name order not
    // their size order; rows that fill both icon caches (an extension and a
    // program) and a name outside any single-byte code page.
    for (int i = 0; i < 40; ++i)
      writeFile(folder + L"\\" + wchar_t(L'a' + i % 26) + (i < 10 ? L"0" : L"") + std::to_wstring(i) + L".bin",
                1000 + 37 * ((i * 11) % 40));
    for (const std::wstring& name : {std::wstring(L"notes.TXT"), std::wstring(L"setup.exe"), kUnicodeName})
      writeFile(folder + L"\\" + name, 10);
  }
  void TearDown() override { DestroyWindow(host), pumpMessages(0), removeTree(folder); }
  // The folder in a panel, its scan finished, painted once through WM_PRINT
  // (which stores the painted geometry as a screen paint does).
  void open() {
    ASSERT_NE(panel = plugin.listLoadW(host, &folder[0], 0), nullptr);
    ASSERT_TRUE(waitForScanFinished(panel, 30000));
    rec = panelRecordOf(panel);
    CapturedBitmap shot;
    ASSERT_TRUE(captureWindow(panel, &shot) && rec->searchEdit && rec->searchButton);
  }
  void mouse(UINT msg, int x, int y, WPARAM keys = 0) { SendMessageW(panel, msg, keys, MAKELPARAM(x, y)); }
  std::wstring firstRow() const { return W(rec->scan.visibleRows[0]->name); }
  std::wstring editText() const { wchar_t t[64] = {}; return std::wstring(t, GetWindowTextW(rec->searchEdit, t, 64)); }
};

// The name reaches the rows whole through the real lister and the search edit.
TEST_F(PluginTest, PanelIsAVisibleChildFillingTheParentAndShowsEveryNameWhole) {
  open();
  RECT r;
  GetWindowRect(panel, &r);
  EXPECT_TRUE(GetParent(panel) == host && (GetWindowLongW(panel, GWL_STYLE) & WS_VISIBLE));
  EXPECT_TRUE(r.right - r.left == 640 && r.bottom - r.top == 480);
  SetWindowTextW(rec->searchEdit, L"\u03A9");
  ASSERT_EQ(1, rec->scan.visibleCount);
  EXPECT_EQ(kUnicodeName, firstRow());
}

// Declined, not cut: cut to the buffer the overlong path would name the folder.
// The host may hand ListSendCommand any window: the user data of one that is no
// panel means something else entirely and stays unread.
TEST_F(PluginTest, BothEntriesDeclineAFileAnOverlongPathAndNoPathAndNoticesPassOtherWindowsBy) {
  std::wstring overlong = folder;
  while (overlong.size() < 3000) overlong += L"\\.";
  for (std::wstring path : {folder + L"\\a00.bin", overlong}) {
    std::string ansi = narrow(path);
    EXPECT_TRUE(plugin.listLoad(host, &ansi[0], 0) == nullptr && plugin.listLoadW(host, &path[0], 0) == nullptr)
        << ansi.substr(0, 80);
  }
  EXPECT_TRUE(plugin.listLoad(host, nullptr, 0) == nullptr && plugin.listLoadW(host, nullptr, 0) == nullptr);
  EXPECT_EQ(countChildren(host), 0);
  SetWindowLongPtrW(host, GWLP_USERDATA, LONG_PTR(0x1234));
  for (HWND w : {host, HWND(nullptr)}) EXPECT_EQ(plugin.listSendCommand(w, 2, 128), 0);
  EXPECT_EQ(GetWindowLongPtrW(host, GWLP_USERDATA), LONG_PTR(0x1234));
}

// The header cells come from the paint; the drag follows the mouse far outside
// the window either way (the coordinates are signed) and ends with the button
// or when another window takes the capture.
TEST_F(PluginTest, HeaderClickSortsTheThumbDragHoldsTheCaptureAndTheWheelScrolls) {
  open();
  const Rect name = rec->view.headerCellRects[1];
  mouse(WM_LBUTTONDOWN, (name.left + name.right) / 2, (name.top + name.bottom) / 2, MK_LBUTTON);
  EXPECT_EQ(L"a00.bin", firstRow());
  const LayoutMetrics m = layoutMetricsOf(rec->settings);
  const ScrollbarGeometry g = layoutScrollbar(m, 640, 480, layoutBands(m, false).listTop, 43, 0, rec->view.scrollMax);
  ASSERT_TRUE(g.shown);
  const int x = (g.thumb.left + g.thumb.right) / 2;
  mouse(WM_LBUTTONDOWN, x, g.thumb.top + 2, MK_LBUTTON);
  EXPECT_EQ(panel, GetCapture());
  mouse(WM_MOUSEMOVE, -200, 5000, MK_LBUTTON);
  EXPECT_EQ(rec->view.scrollMax, rec->view.scrollOffset);
  mouse(WM_MOUSEMOVE, x, -5000, MK_LBUTTON);
  EXPECT_EQ(0, rec->view.scrollOffset);
  mouse(WM_LBUTTONUP, x, 0);
  EXPECT_NE(panel, GetCapture());
  mouse(WM_LBUTTONDOWN, x, g.thumb.top + 2, MK_LBUTTON);
  SetCapture(host);
  ReleaseCapture();
  mouse(WM_MOUSEMOVE, x, 5000, MK_LBUTTON);
  EXPECT_EQ(0, rec->view.scrollOffset);
  SendMessageW(panel, WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), MAKELPARAM(300, 300));
  EXPECT_EQ(40, rec->view.scrollOffset);
}

// The text typed while the scan runs is only stored, and the finished message
// applies it. (The scan thread is gone here; nobody else writes.)
TEST_F(PluginTest, TextTypedDuringTheScanAppliesAtItsEndAndTheClearButtonEmptiesAndFocuses) {
  open();
  rec->scan.scanRunning.store(1);
  SetWindowTextW(rec->searchEdit, L"c02");
  EXPECT_EQ(43, rec->scan.visibleCount);
  rec->scan.scanRunning.store(0);
  SendMessageW(panel, WM_SCAN_FINISHED, 0, 0);
  ASSERT_EQ(1, rec->scan.visibleCount);
  EXPECT_EQ(L"c02.bin", firstRow());
  for (const wchar_t* text : {L"c02", L""}) {  // even an empty box is focused
    SetWindowTextW(rec->searchEdit, text);
    SetFocus(panel);
    SendMessageW(rec->searchButton, BM_CLICK, 0, 0);
    EXPECT_TRUE(editText().empty() && GetFocus() == rec->searchEdit) << text;
    EXPECT_EQ(43, rec->scan.visibleCount);
  }
}

// Ctrl+Backspace types 127: the word before the caret goes through the edit
// itself, so it can be undone. The cue word shows only while the box is empty
// and unfocused.
TEST_F(PluginTest, SearchEditDeletesAWordUndoablyAndShowsTheCueWordOnlyWhileEmptyAndUnfocused) {
  open();
  const uint32_t hint = captureColor(rec->settings.searchHintColor);
  CapturedBitmap shot;
  auto cueShown = [&] { return captureWindow(rec->searchEdit, &shot) && std::count(shot.pixels.begin(), shot.pixels.end(), hint); };
  SetFocus(rec->searchEdit);
  EXPECT_FALSE(cueShown());
  SetFocus(panel);
  EXPECT_TRUE(cueShown());
  SetWindowTextW(rec->searchEdit, L"alpha beta");
  EXPECT_FALSE(cueShown());
  SendMessageW(rec->searchEdit, EM_SETSEL, 10, 10);
  SendMessageW(rec->searchEdit, WM_CHAR, 127, 0);
  EXPECT_EQ(L"alpha ", editText());
  SendMessageW(rec->searchEdit, EM_UNDO, 0, 0);
  EXPECT_EQ(L"alpha beta", editText());
}

// The plugin library's own GDI and icon calls are counted (the test program's
// are not: counting them would route the counters through themselves).
TEST_F(PluginTest, CreatePaintDestroyCyclesGiveBackMemoryHandlesGdiObjectsAndIcons) {
  ASSERT_TRUE(countGdiObjectsOf(plugin.module));
  std::string ansi = narrow(folder);
  // Wine answers 0 for a process's private bytes and handle count, so these are
  // read another way: the committed private memory, and the lowest free handle
  // slot (where the next handle goes), which leaked handles push up.
  auto usage = [] {
    SIZE_T committed = 0;
    MEMORY_BASIC_INFORMATION m;
    for (char* p = nullptr; VirtualQuery(p, &m, sizeof(m)); p = static_cast<char*>(m.BaseAddress) + m.RegionSize)
      committed += m.State == MEM_COMMIT && m.Type == MEM_PRIVATE ? m.RegionSize : 0;
    HANDLE probe = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    CloseHandle(probe);
    return std::make_pair(committed, uintptr_t(probe));
  };
  std::pair<SIZE_T, uintptr_t> before;
  for (int i = 1; i <= 220; ++i) {
    if (i == 21) before = usage();
    ASSERT_NE(panel = plugin.listLoad(host, &ansi[0], 0), nullptr);
    // Every other panel is painted with its rows, scrolled by a varying amount;
    // the others are torn down while they may still be scanning.
    if (i % 2 == 0) {
      EXPECT_TRUE(waitForScanFinished(panel, 5000));
      SendMessageW(panel, WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA * (i % 7)), 0);
    }
    pumpMessages(0);
    CapturedBitmap shot;
    ASSERT_TRUE(captureWindow(panel, &shot));
    DestroyWindow(panel);
    pumpMessages(0);
  }
  const auto after = usage();
  // A leaked record alone would add well over a megabyte over 200 cycles.
  EXPECT_LT(after.first, before.first + 1024 * 1024) << "committed memory grew by " << (after.first - before.first);
  EXPECT_LE(after.second, before.second + 4 * 4) << before.second;  // four slots
  const GdiTally t = gdiTally();
  EXPECT_GT(t.created, 200 * 3);  // fonts, brushes, the paint's buffer
  EXPECT_EQ(t.created, t.deleted);
  EXPECT_GT(t.iconsMade, 0);  // stock, mark and cached icons
  EXPECT_EQ(t.iconsMade, t.iconsDestroyed);
  EXPECT_EQ(countChildren(host), 0);
}

// A host that frees the plugin and loads it again at another address must get
// panels whose class points at the new copy's code.
TEST_F(PluginTest, WindowClassFollowsTheLoadedCopyAfterUnload) {
  const std::wstring copies[] = {folder + L"\\MorvaneA.wlx", folder + L"\\MorvaneB.wlx"};
  MODULEINFO info[2] = {};
  void* hold = nullptr;
  for (int i = 0; i < 2; ++i) {
    ASSERT_TRUE(CopyFileW(besideProgram(kPluginFileName).c_str(), copies[i].c_str(), FALSE));
    LoadedPlugin p = loadPlugin(copies[i].c_str());
    ASSERT_TRUE(p.module && GetModuleInformation(GetCurrentProcess(), p.module, &info[i], sizeof(info[i])));
    ASSERT_NE(panel = p.listLoadW(host, &folder[0], 0), nullptr);
    auto proc = reinterpret_cast<const char*>(GetClassLongPtrW(panel, GCLP_WNDPROC));
    auto base = static_cast<const char*>(info[i].lpBaseOfDll);
    EXPECT_TRUE(proc >= base && proc < base + info[i].SizeOfImage) << i;
    RedrawWindow(panel, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    DestroyWindow(panel);
    pumpMessages(50);
    ASSERT_TRUE(FreeLibrary(p.module));
    // Keep the old address taken, so the second copy has to load elsewhere.
    if (i == 0) hold = VirtualAlloc(info[0].lpBaseOfDll, info[0].SizeOfImage, MEM_RESERVE, PAGE_NOACCESS);
  }
  EXPECT_NE(info[0].lpBaseOfDll, info[1].lpBaseOfDll);
  if (hold) VirtualFree(hold, 0, MEM_RELEASE);
}

}  // namespace
