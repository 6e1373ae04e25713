// The search-engine client against tools/fake-everything.exe: a separate
// process answering over real WM_COPYDATA, computed from folders made on disk.
// What the scan makes of partial, zero or truncated answers is proven natively
// over a fake client; here the real transport carries clean and bad answers.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
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
                       L"\\log\" --parent=" + std::to_wstring(GetCurrentProcessId()) + L" " +
                       options;
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    // Ready once its window exists. A new Wine process on a loaded machine may
    // take many seconds to get there; an engine that ended is not waited for.
    if (CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi_))
      for (int i = 0; i < 600 && !FindWindowW(kEverythingWindowClass, nullptr); ++i)
        if (WaitForSingleObject(pi_.hProcess, 50) != WAIT_TIMEOUT) break;
  }
  ~FakeEngine() {
    if (HWND w = FindWindowW(kEverythingWindowClass, nullptr)) PostMessageW(w, WM_CLOSE, 0, 0);
    if (pi_.hProcess && WaitForSingleObject(pi_.hProcess, 5000) != WAIT_OBJECT_0)
      TerminateProcess(pi_.hProcess, 1);
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
    const std::pair<const wchar_t*, int> files[] = {
        {L"\\docs\\a.txt", 100}, {L"\\docs\\sub\\b.txt", 200}, {L"\\Pics\\c.jpg", 3000},
        {L"\\Pics\\docs\\d.txt", 7}, {L"\\top.bin", 50}};
    for (const auto& f : files) writeFile(root + f.first, f.second);
  }
  ~DataTree() { removeTree(root); }
  const char16_t* path() const { return U(root.c_str()); }
  std::string utf8() const { return textToUtf8(path()); }
};

}  // namespace

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
  EXPECT_FALSE(client.queryFolderSizes(tree.path(), table.data(), kFolderTableCapacity, nullptr,
                                       &stored, &tot, &num, nullptr));
  EXPECT_EQ(stored, 0);
  EXPECT_FALSE(client.isDatabaseLoaded());  // the still-hung engine: a timed question, "not loaded"
}

// Each row: the engine's options (null: none running), the target's prefix and
// the status line. An engine that answered sizes the folders and lists the
// files, and saw the scan's three search texts; otherwise three walkers do it
// all. What the codec makes of broken items, of files among the folders and of
// a trailing backslash is proven natively.
TEST(EverythingScan, RealTransportWithCleanMissingAndMisbehavingEngines) {
  const char* none = "Everything: window=NOT FOUND db=n/a  batch query=FAILED (0 folders parsed)";
  const char* ok = "Everything: window=found db=loaded  batch query=OK (5 folders parsed)";
  const struct { const wchar_t* options; const char16_t* prefix; const char* status; } rows[] = {
      {nullptr, u"", none}, {nullptr, u"\\\\?\\", none},
      {L"--not-loaded", u"",
       "Everything: window=found db=NOT LOADED  batch query=FAILED (0 folders parsed)"},
      {L"", u"", ok}, {L"--wrong-id-first", u"", ok}, {L"--inline", u"", ok},
      {L"--slow=300", u"", ok}, {L"--inline --wrong-id-first", u"", ok}};
  DataTree tree;
  const std::string texts[] = {"folder:\"" + tree.utf8() + "\\*\"",
                               "count:50 file:\"" + tree.utf8() + "\\\"",
                               "file:\"" + tree.utf8() + "\\\""};
  for (const auto& r : rows) {
    const std::string target = textToUtf8(r.prefix) + tree.utf8();
    const bool sized = r.status == ok;
    SCOPED_TRACE((r.options ? textToUtf8(U(r.options)) : "no engine") + " on " + target);
    std::unique_ptr<FakeEngine> engine(r.options ? new FakeEngine(r.options) : nullptr);
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
    // The detail line's texts are proven natively.
    char16_t status[kStatusLineUnits], detail[kDetailLineUnits];
    readScanLines(*m, status, kStatusLineUnits, detail, kDetailLineUnits);
    EXPECT_EQ(textToUtf8(status), r.status);
    std::string got, files;
    for (int i = 0; i < m->rowCount; ++i)
      got += textToUtf8(m->rows[i].name) + ":" + std::to_string(m->rows[i].size) + ":" +
             std::to_string(m->rows[i].fileCount) + ":" +
             std::to_string(m->rows[i].fromEverything) + " ";
    for (int i = 0; i < m->fileListCount; ++i)
      files += textToUtf8(m->fileList[i].name) + ":" + std::to_string(m->fileList[i].size) + " ";
    ASSERT_EQ(m->rowCount, 4);
    EXPECT_EQ(textToUtf8(m->rows[1].fullPath), target + "\\docs");
    EXPECT_EQ(got, sized ? "Pics:3007:2:1 docs:300:2:1 top.bin:50:0:0 empty:0:0:0 "
                         : "Pics:3007:2:0 docs:300:2:0 top.bin:50:0:0 empty:0:0:0 ");
    EXPECT_EQ(files, "c.jpg:3000 b.txt:200 a.txt:100 top.bin:50 d.txt:7 ");
    EXPECT_EQ(m->topFilesFromEverything, sized ? 1u : 0u);  // the engine's list or the walks
    EXPECT_EQ(host.finished.load(), 1);
    releaseScanModel(*m);
    EXPECT_EQ(engine ? engine->queries() : std::vector<std::string>(),
              std::vector<std::string>(texts, texts + 3 * sized));
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
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), rec->scanThread, GetCurrentProcess(), &thread,
                                SYNCHRONIZE, FALSE, 0));
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
