// The scan on real folders: sizes and paths through the real lister in every
// target form, directory symlinks, and a panel torn down in the middle of a
// large walk. The rules themselves are proven natively over the in-memory tree.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>

#include "format/text.h"
#include "view/panel_record_win.h"
#include "win/wide_win.h"
#include "scan/dir_lister_win.h"
#include "scan/scan_driver.h"
#include "plugin/plugin_file_win.h"
#include "tests/support/fake_dir_lister.h"
#include "tests/support/plugin_host_win.h"

namespace {

struct ScanRun {
  FakeScanHost host;
  Win32DirLister lister;
  std::unique_ptr<ScanModel> m{new ScanModel()};
  explicit ScanRun(const std::wstring& target) { prepareTestModel(*m, U(target.c_str()), &host, &lister); }
  ~ScanRun() { releaseScanModel(*m); }
  void run() { scanThreadMain(*m); }
  const ScanItem* row(const std::wstring& name) const {
    for (int i = 0; i < m->rowCount; ++i)
      if (name == W(m->rows[i].name)) return &m->rows[i];
    return nullptr;
  }
};

// A fixed tree on disk scanned through the real lister in each target form,
// with one walker and with a pool: sizes, counts and paths as written.
TEST(ScanOnDisk, RealListerGivesSizesCountsAndPathsInEveryTargetForm) {
  std::wstring root = makeTempFolder(L"mvscan");
  CreateDirectoryW((root + L"\\sub").c_str(), nullptr);
  CreateDirectoryW((root + L"\\sub\\deep").c_str(), nullptr);
  CreateDirectoryW((root + L"\\empty").c_str(), nullptr);
  writeFile(root + L"\\top.bin", 30);
  writeFile(root + L"\\sub\\x.bin", 700);
  writeFile(root + L"\\sub\\deep\\y.bin", 5000);
  const struct {
    std::wstring target;
    int32_t walkers;
  } rows[] = {{root, 1}, {L"\\\\?\\" + root, 3}, {root + L"\\", 3}};
  for (const auto& r : rows) {
    ScanRun s(r.target);
    s.m->scanThreads = r.walkers;
    s.run();
    SCOPED_TRACE(narrow(r.target));
    EXPECT_EQ(s.host.workersStarted.load(), r.walkers - 1);
    ASSERT_EQ(s.m->rowCount, 3);
    EXPECT_EQ(s.m->totalSize, 5730u);
    EXPECT_EQ(s.m->filesCounted.load(), 3u);
    EXPECT_EQ(s.m->foldersCounted.load(), 3u);
    const ScanItem* sub = s.row(L"sub");
    ASSERT_NE(sub, nullptr);
    EXPECT_EQ(sub->size, 5700u);
    EXPECT_EQ(sub->fileCount, 2);
    std::wstring expected = r.target.back() == L'\\' ? r.target + L"sub" : r.target + L"\\sub";
    EXPECT_EQ(std::wstring(W(sub->fullPath)), expected);
    EXPECT_EQ(std::wstring(W(s.m->fileList[0].fullPath)), expected + L"\\deep\\y.bin");
  }
  // The refused target: no arrays, and the window still hears the end.
  ScanRun missing(root + L"\\does-not-exist");
  missing.run();
  EXPECT_EQ(missing.m->rows, nullptr);
  EXPECT_EQ(missing.host.finished.load(), 1);
  removeTree(root);
}

// Wine's own Unix file name for a Windows path, when running under Wine.
std::string unixName(const std::wstring& path) {
  using ToUnix = char*(CDECL*)(LPCWSTR);
  auto toUnix = reinterpret_cast<ToUnix>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  char* name = toUnix ? toUnix(path.c_str()) : nullptr;
  std::string out = name ? name : "";
  if (name) HeapFree(GetProcessHeap(), 0, name);
  return out;
}

bool isReparse(const std::wstring& path) {
  DWORD a = GetFileAttributesW(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_REPARSE_POINT);
}

// Runs `command` (a Unix tool and its arguments, with the Unix name of `path`
// last) under Wine; its handle is not waitable, so this watches for `path` to
// become (or stop being) a reparse point instead.
bool runUnixOn(const char* program, std::string command, const std::wstring& path, bool reparseAfter) {
  std::string unixPath = unixName(path);
  if (unixPath.empty()) return false;
  command += " \"" + unixPath + "\"";
  STARTUPINFOA si = {};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessA(program, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  for (int i = 0; i < 500 && isReparse(path) != reparseAfter; ++i) Sleep(10);
  return isReparse(path) == reparseAfter;
}

// A directory symbolic link at `link` to `target`. Windows makes it itself;
// Wine 8 only pretends to, so there the link is made on the Unix side, where
// Wine then reports it with the reparse-point attribute.
bool makeDirectoryLink(const std::wstring& link, const std::wstring& target) {
  const DWORD kDirectoryLink = 0x1 | 0x2;  // directory, unprivileged
  if (CreateSymbolicLinkW(link.c_str(), target.c_str(), kDirectoryLink) && isReparse(link)) return true;
  std::string unixTarget = unixName(target);
  return !unixTarget.empty() && runUnixOn("Z:\\bin\\ln", "/bin/ln -s \"" + unixTarget + "\"", link, true);
}

void removeDirectoryLink(const std::wstring& link) {
  if (!RemoveDirectoryW(link.c_str()) && isReparse(link)) runUnixOn("Z:\\bin\\rm", "/bin/rm -f", link, false);
}

TEST(ScanOnDisk, DirectorySymlinksAreSkippedAsLinks) {
  std::wstring root = makeTempFolder(L"mvlink");
  std::wstring elsewhere = makeTempFolder(L"mvlinktarget");
  writeFile(elsewhere + L"\\outside.bin", 5000);
  CreateDirectoryW((root + L"\\real").c_str(), nullptr);
  writeFile(root + L"\\real\\inside.bin", 100);
  auto cleanUp = [&] {
    removeDirectoryLink(root + L"\\link");
    removeDirectoryLink(root + L"\\real\\nested");
    removeTree(root);
    removeTree(elsewhere);
  };
  if (!makeDirectoryLink(root + L"\\link", elsewhere) || !makeDirectoryLink(root + L"\\real\\nested", elsewhere)) {
    cleanUp();
    GTEST_SKIP() << "directory symlinks cannot be made here";
  }
  ScanRun s(root);
  s.run();
  const ScanItem* link = s.row(L"link");
  ASSERT_NE(link, nullptr);
  EXPECT_EQ(link->isLink, 1u);
  EXPECT_EQ(link->size, 0u);
  const ScanItem* real = s.row(L"real");
  ASSERT_NE(real, nullptr);
  EXPECT_EQ(real->size, 100u);  // the nested link is not followed
  EXPECT_EQ(s.m->foldersCounted.load(), 1u);  // real; neither link
  cleanUp();
}

TEST(ScanPanel, TeardownInTheMiddleOfALargeWalkEndsTheThreadAndLeaksNothing) {
  // A copy of the plugin whose settings ask for four walkers.
  std::wstring pluginDir = makeTempFolder(L"mvpool");
  std::wstring pluginPath = pluginDir + L"\\" + kPluginFileName;
  ASSERT_TRUE(CopyFileW(besideProgram(kPluginFileName).c_str(), pluginPath.c_str(), FALSE));
  HANDLE cfg = CreateFileW((pluginDir + L"\\Morvane.cfg").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(cfg, INVALID_HANDLE_VALUE);
  const char kSettings[] = "[Filters]\r\nScanThreads=4\r\n";
  DWORD written = 0;
  WriteFile(cfg, kSettings, sizeof kSettings - 1, &written, nullptr);
  CloseHandle(cfg);
  LoadedPlugin plugin = loadPlugin(pluginPath.c_str());
  ASSERT_TRUE(plugin.listLoad);
  std::wstring root = makeTempFolder(L"mvbig");
  for (int a = 0; a < 20; ++a) {
    std::wstring da = root + L"\\a" + std::to_wstring(a);
    CreateDirectoryW(da.c_str(), nullptr);
    for (int b = 0; b < 10; ++b) {
      std::wstring db = da + L"\\b" + std::to_wstring(b);
      CreateDirectoryW(db.c_str(), nullptr);
      for (int f = 0; f < 20; ++f) writeFile(db + L"\\f" + std::to_wstring(f), 0);
    }
  }
  HWND host = createHostWindow(400, 300);
  std::string ansi = narrow(root);
  DWORD handlesBefore = 0, handlesAfter = 0;
  int cutShort = 0;
  for (int cycle = 0; cycle < 6; ++cycle) {
    if (cycle == 1) GetProcessHandleCount(GetCurrentProcess(), &handlesBefore);
    HWND panel = plugin.listLoad(host, &ansi[0], 0);
    ASSERT_NE(panel, nullptr);
    // The record of the plugin's own copy, straight from the window.
    PanelRecord* rec = reinterpret_cast<PanelRecord*>(GetWindowLongPtrW(panel, GWLP_USERDATA));
    ASSERT_NE(rec, nullptr);
    EXPECT_EQ(rec->scan.scanThreads, 4);
    HANDLE thread = nullptr;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), rec->scanThread, GetCurrentProcess(), &thread, SYNCHRONIZE,
                                FALSE, 0));
    while (rec->scan.filesCounted.load() < 200 && rec->scan.scanRunning.load()) Sleep(1);
    bool wasRunning = rec->scan.scanRunning.load() != 0;
    DestroyWindow(panel);
    // The teardown's wait ended because the thread ended, not because it gave up.
    EXPECT_EQ(WaitForSingleObject(thread, 0), static_cast<DWORD>(WAIT_OBJECT_0));
    CloseHandle(thread);
    if (wasRunning) ++cutShort;
    pumpMessages(0);  // the late finished message goes nowhere
  }
  GetProcessHandleCount(GetCurrentProcess(), &handlesAfter);
  EXPECT_GE(cutShort, 3) << "the walk ended before the teardown too often to test it";
  EXPECT_LE(handlesAfter, handlesBefore + 2);
  EXPECT_EQ(countChildren(host), 0);
  DestroyWindow(host);
  removeTree(root);
  FreeLibrary(plugin.module);
  removeTree(pluginDir);
}

}  // namespace
