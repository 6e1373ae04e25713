// The scan on real folders: a random tree checked against the sizes it was
// built with, directory symlinks, long-form and trailing-backslash targets, and
// a panel torn down in the middle of a large walk.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

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

// What the tree was built with, per child of the target and per file.
struct Truth {
  std::map<std::wstring, uint64_t> childSize;
  std::map<std::wstring, int> childFiles;
  std::map<std::wstring, uint64_t> fileSize;  // full path -> size
  uint32_t folders = 0, files = 0;
};

// Files and folders below `path`, four levels deep; every size is booked to the
// target's child it lies in (`owner`, empty at the target itself).
void buildRandom(const std::wstring& path, int depth, std::mt19937& rng, Truth& t, const std::wstring& owner) {
  for (int i = 0, files = static_cast<int>(rng() % 7); i < files; ++i) {
    std::wstring p = path + L"\\f" + std::to_wstring(depth) + L"_" + std::to_wstring(i) + L".bin";
    size_t size = rng() % 3 == 0 ? 0 : rng() % 6000;
    writeFile(p, size);
    t.fileSize[p] = size;
    ++t.files;
    t.childSize[owner.empty() ? p.substr(path.size() + 1) : owner] += size;
    if (!owner.empty()) ++t.childFiles[owner];
  }
  for (int i = 0, folders = static_cast<int>(rng() % 4) + (depth == 0 ? 3 : 0); depth < 4 && i < folders; ++i) {
    std::wstring name = L"d" + std::to_wstring(depth) + L"_" + std::to_wstring(i);
    CreateDirectoryW((path + L"\\" + name).c_str(), nullptr);
    ++t.folders;
    if (owner.empty()) t.childSize[name] += 0;  // an empty child is a row too
    buildRandom(path + L"\\" + name, depth + 1, rng, t, owner.empty() ? name : owner);
  }
}

TEST(ScanOnDisk, RandomTreeMatchesTheSizesItWasBuiltWith) {
  for (unsigned seed : {11u, 12u, 13u}) {
    std::wstring root = makeTempFolder(L"mvscan");
    std::mt19937 rng(seed);
    Truth t;
    buildRandom(root, 0, rng, t, L"");
    ScanRun s(root);
    s.m->maxTopFiles = 20;
    s.m->scanThreads = seed == 11 ? 1 : 3;  // one walker, then a pool on the real lister
    s.run();
    EXPECT_EQ(s.host.workersStarted.load(), seed == 11 ? 0 : 2);
    EXPECT_EQ(s.m->filesCounted.load(), t.files);
    EXPECT_EQ(s.m->foldersCounted.load(), t.folders);
    ASSERT_EQ(static_cast<size_t>(s.m->rowCount), t.childSize.size());
    uint64_t total = 0;
    for (auto& c : t.childSize) {
      const ScanItem* r = s.row(c.first);
      ASSERT_NE(r, nullptr) << narrow(c.first);
      EXPECT_EQ(r->size, c.second) << narrow(c.first);
      EXPECT_EQ(r->fileCount, r->isFolder ? t.childFiles[c.first] : 0) << narrow(c.first);
      total += c.second;
    }
    EXPECT_EQ(s.m->totalSize, total);
    // The file list: the 20 largest sizes, each at a path that has that size.
    std::vector<uint64_t> sizes;
    for (auto& f : t.fileSize) sizes.push_back(f.second);
    std::sort(sizes.rbegin(), sizes.rend());
    sizes.resize(std::min<size_t>(sizes.size(), 20));
    ASSERT_EQ(static_cast<size_t>(s.m->fileListCount), sizes.size());
    for (int i = 0; i < s.m->fileListCount; ++i) {
      EXPECT_EQ(s.m->fileList[i].size, sizes[i]);
      auto it = t.fileSize.find(W(s.m->fileList[i].fullPath));
      ASSERT_NE(it, t.fileSize.end()) << narrow(W(s.m->fileList[i].fullPath));
      EXPECT_EQ(it->second, s.m->fileList[i].size);
    }
    removeTree(root);
  }
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
  EXPECT_EQ(link->isFolder, 1u);
  EXPECT_EQ(link->isLink, 1u);
  EXPECT_EQ(link->size, 0u);
  const ScanItem* real = s.row(L"real");
  ASSERT_NE(real, nullptr);
  EXPECT_EQ(real->size, 100u);  // the nested link is not followed
  EXPECT_EQ(real->fileCount, 1);
  EXPECT_EQ(s.m->filesCounted.load(), 1u);
  EXPECT_EQ(s.m->foldersCounted.load(), 1u);
  wchar_t detail[kDetailLineUnits];
  readScanLines(*s.m, nullptr, 0, U(detail), kDetailLineUnits);
  EXPECT_NE(std::wstring(detail).find(L"linkSkipped=1 "), std::wstring::npos);
  cleanUp();
}

TEST(ScanOnDisk, LongFormAndTrailingBackslashTargetsGiveTheSameRows) {
  std::wstring root = makeTempFolder(L"mvforms");
  CreateDirectoryW((root + L"\\sub").c_str(), nullptr);
  writeFile(root + L"\\sub\\x.bin", 700);
  writeFile(root + L"\\top.bin", 30);
  for (const std::wstring& target : {L"\\\\?\\" + root, root + L"\\"}) {
    ScanRun s(target);
    s.run();
    ASSERT_EQ(s.m->rowCount, 2) << narrow(target);
    EXPECT_EQ(s.m->totalSize, 730u);
    const ScanItem* sub = s.row(L"sub");
    ASSERT_NE(sub, nullptr);
    EXPECT_EQ(sub->size, 700u);
    std::wstring expected = target.back() == L'\\' ? target + L"sub" : target + L"\\sub";
    EXPECT_EQ(std::wstring(W(sub->fullPath)), expected);
    EXPECT_EQ(std::wstring(W(s.m->fileList[0].fullPath)), expected + L"\\x.bin");
  }
  // The refused target: error and line, no arrays.
  ScanRun missing(root + L"\\does-not-exist");
  missing.run();
  EXPECT_EQ(missing.m->rows, nullptr);
  EXPECT_EQ(missing.host.finished.load(), 1);
  removeTree(root);
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
