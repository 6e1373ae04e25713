// The search-engine client against tools/fake-everything.exe: a separate
// process answering over real WM_COPYDATA, computed from folders made on disk.
// What the scan makes of partial, zero or truncated answers is proven natively
// over a fake client; here the real transport carries clean and bad answers.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "format/text.h"
#include "scan/everything_client_win.h"
#include "scan/dir_lister_win.h"
#include "scan/scan_driver.h"
#include "tests/support/fake_dir_lister.h"
#include "tests/support/plugin_host_win.h"
#include "view/panel_record_win.h"
#include "win/wide_win.h"

namespace {

// The fake engine for the lifetime of the object (it also ends with this
// process); queries() are the search texts it received, in order.
class FakeEngine {
 public:
  explicit FakeEngine(const std::wstring& options) : dir_(makeTempFolder(L"mvevlog")) {
    std::wstring cmd = L"\"" + besideProgram(L"fake-everything.exe") + L"\" --log=\"" + dir_ +
                       L"\\log\" --parent=" + std::to_wstring(GetCurrentProcessId()) + L" " + options;
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    if (CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi_))
      for (int i = 0; i < 200 && !FindWindowW(kEverythingWindowClass, nullptr); ++i) Sleep(50);
  }
  ~FakeEngine() {
    if (HWND w = FindWindowW(kEverythingWindowClass, nullptr)) PostMessageW(w, WM_CLOSE, 0, 0);
    if (pi_.hProcess && WaitForSingleObject(pi_.hProcess, 5000) != WAIT_OBJECT_0) TerminateProcess(pi_.hProcess, 1);
    CloseHandle(pi_.hProcess);
    CloseHandle(pi_.hThread);
    removeTree(dir_);
  }
  std::vector<std::string> queries() const {
    std::vector<std::string> out;
    char line[4096];
    FILE* f = _wfopen((dir_ + L"\\log").c_str(), L"rb");
    while (f && fgets(line, sizeof line, f)) out.emplace_back(line, std::strcspn(line, "\r\n"));
    if (f) fclose(f);
    return out;
  }

 private:
  std::wstring dir_;
  PROCESS_INFORMATION pi_ = {};
};

// docs\a.txt 100, docs\sub\b.txt 200, Pics\c.jpg 3000, Pics\docs\d.txt 7, empty\, top.bin 50
struct DataTree {
  std::wstring root = makeTempFolder(L"mvev");
  DataTree() {
    for (const wchar_t* d : {L"\\docs", L"\\docs\\sub", L"\\Pics", L"\\Pics\\docs", L"\\empty"})
      CreateDirectoryW((root + d).c_str(), nullptr);
    for (auto f : {std::make_pair(L"\\docs\\a.txt", 100), std::make_pair(L"\\docs\\sub\\b.txt", 200),
                   std::make_pair(L"\\Pics\\c.jpg", 3000), std::make_pair(L"\\Pics\\docs\\d.txt", 7),
                   std::make_pair(L"\\top.bin", 50)})
      writeFile(root + f.first, f.second);
  }
  ~DataTree() { removeTree(root); }
  const char16_t* path() const { return U(root.c_str()); }
  std::string utf8() const { return textToUtf8(path()); }
};

}  // namespace

// An answer that comes again after its wait has ended finds no state to change.
TEST(EverythingClient, RepeatedAnswerAfterTheWaitChangesNothing) {
  DataTree tree;
  FakeEngine engine(L"--repeat=150");
  EverythingClient client;
  ASSERT_TRUE(client.findWindow() && client.createHelper(SearchHelper::FileCount));
  ScanItem rows[2] = {};
  for (int i = 0; i < 2; ++i) {
    textCopy(rows[i].name, kNameUnits, i ? u"Pics" : u"docs");
    rows[i].isFolder = rows[i].fromEverything = 1;
  }
  uint32_t tot, num;
  ASSERT_TRUE(client.queryFileCounts(tree.path(), rows, 2, kFileCountMaxResults, &tot, &num, nullptr));
  EXPECT_EQ(rows[0].fileCount, 2);
  rows[0].fileCount = rows[1].fileCount = -1;
  pumpMessages(600);  // the repeat arrives meanwhile
  EXPECT_EQ(rows[0].fileCount, -1);
  EXPECT_EQ(rows[1].fileCount, -1);
}

// The hang outlasts ctest's limit for the whole program: an untimed send fails
// the run; the send is timed by the query's wait limit instead.
TEST(EverythingClient, HungEngineReleasesTheSend) {
  DataTree tree;
  FakeEngine engine(L"--block-send=600000");
  EverythingClient client;
  ASSERT_TRUE(client.findWindow() && client.createHelper(SearchHelper::Folder));
  std::vector<FolderSizeEntry> table(kFolderTableCapacity);
  int stored = -1;
  uint32_t tot, num;
  EXPECT_FALSE(client.queryFolderSizes(tree.path(), table.data(), kFolderTableCapacity, nullptr, &stored, &tot,
                                       &num, nullptr));
  EXPECT_EQ(stored, 0);
  EXPECT_FALSE(client.isDatabaseLoaded());  // the still-hung engine: a timed question, "not loaded"
}

// Each row: the engine's options (null: none running), the target's prefix and
// suffix, the status line, the rows as "name:size:fileCount:fromEverything",
// largest first, and how many of the scan's three search texts the engine saw.
// The file list is always the same five files; three walkers go through what
// the engine did not size.
TEST(EverythingScan, RealTransportWithCleanMissingAndMisbehavingEngines) {
  const char* const none = "Everything: window=NOT FOUND db=n/a  batch query=FAILED (0 folders parsed)";
  const char* const ok = "Everything: window=found db=loaded  batch query=OK (5 folders parsed)";
  const char* const sized = "Pics:3007:2:1 docs:300:2:1 top.bin:50:0:0 empty:0:0:0 ";
  const char* const walked = "Pics:3007:2:0 docs:300:2:0 top.bin:50:0:0 empty:0:0:0 ";
  const struct {
    const wchar_t* options;
    const char16_t *prefix, *suffix;
    const char *status, *rows;
    size_t queries;
  } scenarios[] = {
      {nullptr, u"", u"", none, walked, 0},
      {nullptr, u"\\\\?\\", u"", none, walked, 0},
      {L"--not-loaded", u"", u"", "Everything: window=found db=NOT LOADED  batch query=FAILED (0 folders parsed)",
       walked, 0},
      {L"", u"", u"", ok, sized, 3},
      {L"", u"", u"\\", ok, sized, 3},
      {L"--wrong-id-first", u"", u"", ok, sized, 3},
      {L"--garbage=all", u"", u"", ok, sized, 3},
      {L"--inline", u"", u"", ok, sized, 3},
      {L"--slow=300", u"", u"", ok, sized, 3},
      {L"--files-as-folders", u"", u"", ok, sized, 3},
      {L"--inline --wrong-id-first --garbage=all", u"", u"", ok, sized, 3},
  };
  DataTree tree;
  const std::string texts[] = {"folder:\"" + tree.utf8() + "\\*\"", "count:50 file:\"" + tree.utf8() + "\\\"",
                               "file:\"" + tree.utf8() + "\\\""};
  for (const auto& s : scenarios) {
    const std::string target = textToUtf8(s.prefix) + tree.utf8() + textToUtf8(s.suffix);
    SCOPED_TRACE((s.options ? textToUtf8(U(s.options)) : "no engine") + " on " + target);
    std::unique_ptr<FakeEngine> engine(s.options ? new FakeEngine(s.options) : nullptr);
    FakeScanHost host;
    Win32DirLister lister;
    EverythingClient client;
    std::unique_ptr<ScanModel> m(new ScanModel());
    prepareTestModel(*m, textFromUtf8(target), &host, &lister);
    m->scanThreads = 3;
    m->maxTopFiles = 50;
    m->scanUseEverything = 1;
    m->search = &client;
    EXPECT_EQ(scanThreadMain(*m), 0u);
    char16_t status[kStatusLineUnits], detail[kDetailLineUnits];
    readScanLines(*m, status, kStatusLineUnits, detail, kDetailLineUnits);  // the detail's texts are proven natively
    EXPECT_EQ(textToUtf8(status), s.status);
    std::string rows, files;
    for (int i = 0; i < m->rowCount; ++i)
      rows += textToUtf8(m->rows[i].name) + ":" + std::to_string(m->rows[i].size) + ":" +
              std::to_string(m->rows[i].fileCount) + ":" + std::to_string(m->rows[i].fromEverything) + " ";
    for (int i = 0; i < m->fileListCount; ++i)
      files += textToUtf8(m->fileList[i].name) + ":" + std::to_string(m->fileList[i].size) + " ";
    ASSERT_EQ(m->rowCount, 4);
    EXPECT_EQ(textToUtf8(m->rows[1].fullPath), textToUtf8(s.prefix) + tree.utf8() + "\\docs");
    EXPECT_EQ(rows, s.rows);
    EXPECT_EQ(files, "c.jpg:3000 b.txt:200 a.txt:100 top.bin:50 d.txt:7 ");
    EXPECT_EQ(m->topFilesFromEverything, s.queries ? 1u : 0u);  // the engine's list or the walks
    EXPECT_EQ(host.finished.load(), 1);
    releaseScanModel(*m);
    if (engine) {
      EXPECT_EQ(engine->queries(), std::vector<std::string>(texts, texts + s.queries));
    }
  }
}

// The count query may wait 20 s, the teardown at most 2 s: the wait must end on
// the cancel flag, so the scan thread has ended when DestroyWindow returns.
TEST(EverythingPanel, TeardownDuringASilentCountQueryEndsTheScanThread) {
  LoadedPlugin plugin = loadPlugin();
  ASSERT_TRUE(plugin.listLoad);
  DataTree tree;
  FakeEngine engine(L"--no-answer=counts");
  HWND host = createHostWindow(400, 300);
  std::string ansi = narrow(tree.root);
  for (size_t rep = 1; rep <= 5; ++rep) {
    HWND panel = plugin.listLoad(host, &ansi[0], 0);
    ASSERT_NE(panel, nullptr);
    PanelRecord* rec = panelRecordOf(panel);
    HANDLE thread = nullptr;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), rec->scanThread, GetCurrentProcess(), &thread, SYNCHRONIZE,
                                FALSE, 0));
    // The count query is the scan's third.
    for (int i = 0; i < 400 && engine.queries().size() < 3 * rep; ++i) pumpMessages(10);
    ASSERT_EQ(engine.queries().size(), 3 * rep);
    DestroyWindow(panel);
    EXPECT_EQ(WaitForSingleObject(thread, 0), static_cast<DWORD>(WAIT_OBJECT_0)) << rep;
    CloseHandle(thread);
  }
  EXPECT_EQ(countChildren(host), 0);
  DestroyWindow(host);
  pumpMessages(0);
}
