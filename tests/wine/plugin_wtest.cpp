// The plugin's outside as the host sees it: folder check, the panel window,
// class reuse, teardown without leaks, and unloading and reloading the library.
#include <gtest/gtest.h>
#include <windows.h>
#include <psapi.h>

#include <map>
#include <vector>

#include "format/text.h"
#include "host/about_layout.h"
#include "view/panel_record_win.h"
#include "win/wide_win.h"
#include "tests/support/gdi_tally_win.h"
#include "win/bitmap_capture_win.h"
#include "plugin/plugin_file_win.h"
#include "tests/support/plugin_host_win.h"

namespace {

struct PluginTest : ::testing::Test {
  static LoadedPlugin plugin;
  HWND host = nullptr;
  std::wstring folder;

  static void SetUpTestSuite() { plugin = loadPlugin(); }
  void SetUp() override {
    ASSERT_TRUE(plugin.module && plugin.listLoad && plugin.listSendCommand);
    host = createHostWindow(640, 480);
    folder = makeTempFolder(L"mvplug");
    writeFile(folder + L"\\a.bin", 1000);
    CreateDirectoryW((folder + L"\\sub").c_str(), nullptr);
    writeFile(folder + L"\\sub\\b.bin", 3000);
  }
  void TearDown() override {
    DestroyWindow(host);
    pumpMessages(0);
    removeTree(folder);
  }
  HWND load(const std::wstring& path) {
    std::string ansi = narrow(path);
    return plugin.listLoad(host, &ansi[0], 0);
  }
};
LoadedPlugin PluginTest::plugin;

TEST_F(PluginTest, FolderGivesAVisibleChildFillingTheParentWithThePathAsGiven) {
  for (const std::wstring& path : {folder, L"\\\\?\\" + folder, folder + L"\\"}) {
    HWND panel = load(path);
    ASSERT_NE(panel, nullptr) << narrow(path);
    EXPECT_EQ(GetParent(panel), host);
    EXPECT_TRUE(GetWindowLongW(panel, GWL_STYLE) & WS_VISIBLE);
    RECT pr, cr;
    GetClientRect(host, &pr);
    GetWindowRect(panel, &cr);
    EXPECT_EQ(cr.right - cr.left, pr.right);
    EXPECT_EQ(cr.bottom - cr.top, pr.bottom);
    EXPECT_EQ(std::wstring(W(panelRecordOf(panel)->scan.targetPath)), path);
    DestroyWindow(panel);
  }
  // The show flags change nothing.
  std::string ansi = narrow(folder);
  HWND second = plugin.listLoad(host, &ansi[0], 0x7FFFFFFF);
  EXPECT_NE(second, nullptr);
  DestroyWindow(second);
  EXPECT_EQ(countChildren(host), 0);
}

TEST_F(PluginTest, BothEntriesDeclineFilesMissingEmptyAndOverlongPathsWithoutLeavingAWindow) {
  ASSERT_NE(plugin.listLoadW, nullptr);
  // A path longer than the buffer is declined, not cut: cut, this one would end
  // in "sub\.\.\." and name an existing folder.
  std::wstring overlong = folder + L"\\sub";
  while (overlong.size() < 3000) overlong += L"\\.";
  for (std::wstring path : {folder + L"\\a.bin", folder + L"\\missing", std::wstring(), folder + L"\\a.bin\\",
                            std::wstring(L"\\\\nosuchserver-morvane\\share\\dir"), overlong}) {
    std::string ansi = narrow(path);
    EXPECT_EQ(plugin.listLoad(host, &ansi[0], 0), nullptr) << ansi.substr(0, 80);
    EXPECT_EQ(plugin.listLoadW(host, &path[0], 0), nullptr) << ansi.substr(0, 80);
    EXPECT_EQ(countChildren(host), 0);
  }
  EXPECT_EQ(plugin.listLoad(host, nullptr, 0), nullptr);
  EXPECT_EQ(plugin.listLoadW(host, nullptr, 0), nullptr);
  EXPECT_EQ(countChildren(host), 0);
}

// Names outside any single-byte code page (Greek, CJK, an emoji as a surrogate
// pair) reach the panel whole through the Unicode entry, rows included. The ANSI
// entry gets them altered ("?" for what the code page lacks) and declines them.
TEST_F(PluginTest, UnicodeEntryShowsNamesTheCodePageLacks) {
  ASSERT_NE(plugin.listLoadW, nullptr);
  const std::wstring child = L"\u00E9t\u00E9-\U0001F600";
  for (const wchar_t* name : {L"\u03A9mega-\u65E5\u672C", L"box-\U0001F4E6", L"plain"}) {
    std::wstring dir = folder + L"\\" + name;
    ASSERT_TRUE(CreateDirectoryW(dir.c_str(), nullptr));
    writeFile(dir + L"\\" + name + L".bin", 700);
    ASSERT_TRUE(CreateDirectoryW((dir + L"\\" + child).c_str(), nullptr));
    writeFile(dir + L"\\" + child + L"\\x.bin", 300);

    HWND panel = plugin.listLoadW(host, &dir[0], 0);
    ASSERT_NE(panel, nullptr);
    ScanModel& scan = panelRecordOf(panel)->scan;
    EXPECT_EQ(std::wstring(W(scan.targetPath)), dir);
    ASSERT_TRUE(waitForScanFinished(panel, 30000));
    std::map<std::wstring, uint64_t> rows;
    for (int i = 0; i < scan.rowCount; ++i) rows[W(scan.rows[i].name)] = scan.rows[i].size;
    EXPECT_EQ(rows, (std::map<std::wstring, uint64_t>{{name + std::wstring(L".bin"), 700}, {child, 300}}));
    DestroyWindow(panel);

    bool codePageHasIt = std::wstring(name) == L"plain";
    HWND ansi = load(dir);
    EXPECT_EQ(ansi != nullptr, codePageHasIt);
    if (ansi) DestroyWindow(ansi);
    EXPECT_EQ(countChildren(host), 0);
  }
}

// The file's properties name the product, this library's own file and
// architecture, and the version the About box shows.
TEST_F(PluginTest, VersionResourceMatchesTheAboutBoxAndTheArchitecture) {
  wchar_t path[MAX_PATH];
  ASSERT_TRUE(GetModuleFileNameW(plugin.module, path, MAX_PATH));
  DWORD unused = 0, size = GetFileVersionInfoSizeW(path, &unused);
  ASSERT_GT(size, 0u);
  std::vector<char> data(size);
  ASSERT_TRUE(GetFileVersionInfoW(path, 0, size, data.data()));
  auto value = [&](const wchar_t* key) {
    void* text = nullptr;
    UINT units = 0;
    std::wstring query = std::wstring(L"\\StringFileInfo\\040904B0\\") + key;
    bool found = VerQueryValueW(data.data(), query.c_str(), &text, &units) && text;
    return found ? std::wstring(static_cast<wchar_t*>(text)) : std::wstring(L"(none)");
  };
  EXPECT_EQ(value(L"ProductName"), L"Morvane");
  EXPECT_EQ(value(L"ProductVersion"), std::wstring(W(kAboutVersion)));
  EXPECT_EQ(value(L"FileVersion"), std::wstring(W(kAboutVersion)));
  EXPECT_EQ(value(L"OriginalFilename"), kPluginFileName);
  EXPECT_NE(value(L"FileDescription").find(sizeof(void*) == 8 ? L"(64-bit)" : L"(32-bit)"), std::wstring::npos);
  void* fixed = nullptr;
  UINT bytes = 0;
  ASSERT_TRUE(VerQueryValueW(data.data(), L"\\", &fixed, &bytes));
  EXPECT_EQ(static_cast<VS_FIXEDFILEINFO*>(fixed)->dwProductVersionMS, DWORD(MAKELONG(0, 2)));
}

TEST_F(PluginTest, OtherCommandsAreIgnored) {
  HWND panel = load(folder);
  ASSERT_NE(panel, nullptr);
  for (int command : {0, 1, 3, 2})
    EXPECT_EQ(plugin.listSendCommand(panel, command, 128), 0);
  EXPECT_EQ(plugin.listSendCommand(nullptr, 2, 128), 0);
  // A window that is not a panel, whose user data is something else: untouched.
  SetWindowLongPtrW(host, GWLP_USERDATA, LONG_PTR(0x1234));
  EXPECT_EQ(plugin.listSendCommand(host, 2, 128), 0);
  EXPECT_EQ(plugin.listSendCommand(host, 2, 0), 0);
  EXPECT_EQ(GetWindowLongPtrW(host, GWLP_USERDATA), LONG_PTR(0x1234));
  DestroyWindow(panel);
}

SIZE_T privateBytes() {
  PROCESS_MEMORY_COUNTERS_EX pmc = {};
  pmc.cb = sizeof(pmc);
  GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc),
                       sizeof(pmc));
  return pmc.PrivateUsage;
}

struct Usage {
  SIZE_T memory;
  DWORD handles;
  long gdiHeld;    // GDI objects the plugin made and has not deleted
  long iconsHeld;  // icons the plugin was handed and has not destroyed
};
Usage usage() {
  Usage u;
  u.memory = privateBytes();
  GetProcessHandleCount(GetCurrentProcess(), &u.handles);
  GdiTally t = gdiTally();
  u.gdiHeld = t.created - t.deleted;
  u.iconsHeld = t.iconsMade - t.iconsDestroyed;
  return u;
}

TEST_F(PluginTest, CreateDestroyCyclesDoNotGrowMemoryOrHandles) {
  ASSERT_TRUE(countGdiObjectsOf(plugin.module));
  // Rows that fill both icon caches: an extension and a program.
  writeFile(folder + L"\\notes.TXT", 10);
  writeFile(folder + L"\\setup.exe", 10);
  int cycles = 0;
  auto cycle = [&] {
    HWND panel = load(folder);
    ASSERT_NE(panel, nullptr);
    // Every other panel is painted with its rows and their icons, the others
    // are torn down while they may still be scanning.
    if (++cycles % 2 == 0) {
      EXPECT_TRUE(waitForScanFinished(panel, 5000));
    }
    pumpMessages(0);
    // The host window is hidden, so the panel is painted through WM_PRINT.
    CapturedBitmap shot;
    ASSERT_TRUE(captureWindow(panel, &shot));
    EXPECT_GT(gdiTally().created, 0);  // fonts, brushes, the paint's buffer
    DestroyWindow(panel);
    pumpMessages(0);
  };
  for (int i = 0; i < 20; ++i) cycle();
  Usage before = usage();
  for (int i = 0; i < 200; ++i) cycle();
  Usage after = usage();
  // A leaked record alone would add well over a megabyte over 200 cycles.
  EXPECT_LT(after.memory, before.memory + 1024 * 1024)
      << "private bytes grew by " << (after.memory - before.memory);
  EXPECT_LE(after.handles, before.handles + 4);
  // Every font, brush, DC and bitmap a panel made is gone with it.
  EXPECT_EQ(after.gdiHeld, 0);
  EXPECT_EQ(before.gdiHeld, 0);
  // Stock, mark and cached icons go with their panel too.
  EXPECT_GT(gdiTally().iconsMade, 0);
  EXPECT_EQ(after.iconsHeld, 0);
  EXPECT_EQ(countChildren(host), 0);
}

// A host that frees the plugin and loads it again at another address must get
// panels whose class points at the new copy's code.
TEST(PluginReload, ClassFollowsTheLoadedCopyAfterUnload) {
  std::wstring dir = makeTempFolder(L"mvreload");
  std::wstring copyA = dir + L"\\MorvaneA.wlx", copyB = dir + L"\\MorvaneB.wlx";
  ASSERT_TRUE(CopyFileW(besideProgram(kPluginFileName).c_str(), copyA.c_str(), FALSE));
  ASSERT_TRUE(CopyFileW(besideProgram(kPluginFileName).c_str(), copyB.c_str(), FALSE));
  std::wstring folder = makeTempFolder(L"mvreloadtarget");
  HWND host = createHostWindow(300, 200);

  LoadedPlugin a = loadPlugin(copyA.c_str());
  ASSERT_TRUE(a.module);
  MODULEINFO infoA = {};
  GetModuleInformation(GetCurrentProcess(), a.module, &infoA, sizeof(infoA));
  std::string ansi = narrow(folder);
  HWND panel = a.listLoad(host, &ansi[0], 0);
  ASSERT_NE(panel, nullptr);
  DestroyWindow(panel);
  pumpMessages(50);
  ASSERT_TRUE(FreeLibrary(a.module));
  // Keep the old address taken, so the second copy has to load elsewhere.
  void* hold = VirtualAlloc(infoA.lpBaseOfDll, infoA.SizeOfImage, MEM_RESERVE, PAGE_NOACCESS);

  LoadedPlugin b = loadPlugin(copyB.c_str());
  ASSERT_TRUE(b.module);
  EXPECT_NE(b.module, a.module);
  MODULEINFO infoB = {};
  GetModuleInformation(GetCurrentProcess(), b.module, &infoB, sizeof(infoB));
  panel = b.listLoad(host, &ansi[0], 0);
  ASSERT_NE(panel, nullptr);
  auto proc = reinterpret_cast<const char*>(GetClassLongPtrW(panel, GCLP_WNDPROC));
  auto base = static_cast<const char*>(infoB.lpBaseOfDll);
  EXPECT_TRUE(proc >= base && proc < base + infoB.SizeOfImage);
  InvalidateRect(panel, nullptr, FALSE);
  UpdateWindow(panel);
  pumpMessages(50);
  DestroyWindow(panel);
  pumpMessages(50);
  FreeLibrary(b.module);
  if (hold) VirtualFree(hold, 0, MEM_RELEASE);
  DestroyWindow(host);
  removeTree(folder);
  DeleteFileW(copyA.c_str());
  DeleteFileW(copyB.c_str());
  RemoveDirectoryW(dir.c_str());
}

}  // namespace
