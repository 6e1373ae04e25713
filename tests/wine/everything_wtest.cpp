// The Everything client against tools/fake-everything.exe: a separate process
// answering over real WM_COPYDATA, computed from folders made here on disk.
#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "format/text.h"
#include "plugin/panel_record.h"
#include "plugin/wide_win.h"
#include "scan/dir_lister_win.h"
#include "scan/everything_client_win.h"
#include "scan/scan_driver.h"
#include "scan/scan_model.h"
#include "tests/support/fake_dir_lister.h"
#include "tests/support/plugin_host_win.h"

namespace {

std::wstring exeFolder() {
  wchar_t path[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring s(path, n);
  return s.substr(0, s.find_last_of(L'\\'));
}

void closeStrayEngines() {
  for (int i = 0; i < 50; ++i) {
    HWND w = FindWindowW(kEverythingWindowClass, nullptr);
    if (!w) return;
    PostMessageW(w, WM_CLOSE, 0, 0);
    Sleep(100);
  }
}

// Runs the fake engine for the lifetime of the object; the log of the search
// texts it received is read back by queries().
class FakeEngine {
 public:
  explicit FakeEngine(const std::wstring& options) {
    closeStrayEngines();
    wchar_t tmp[MAX_PATH];
    GetTempPathW(MAX_PATH, tmp);
    log_ = std::wstring(tmp) + L"mv_fake_ev_" + std::to_wstring(GetCurrentProcessId()) + L".log";
    DeleteFileW(log_.c_str());
    std::wstring cmd = L"\"" + exeFolder() + L"\\fake-everything.exe\" --log=\"" + log_ + L"\" --parent=" +
                       std::to_wstring(GetCurrentProcessId()) + L" " + options;
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    std::vector<wchar_t> buf(cmd.begin(), cmd.end());
    buf.push_back(0);
    if (!CreateProcessW(nullptr, buf.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi_))
      return;
    for (int i = 0; i < 200 && !FindWindowW(kEverythingWindowClass, nullptr); ++i) Sleep(50);
  }
  ~FakeEngine() {
    if (!pi_.hProcess) return;
    HWND w = FindWindowW(kEverythingWindowClass, nullptr);
    if (w) PostMessageW(w, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(pi_.hProcess, 5000) != WAIT_OBJECT_0) TerminateProcess(pi_.hProcess, 1);
    CloseHandle(pi_.hProcess);
    CloseHandle(pi_.hThread);
    DeleteFileW(log_.c_str());
  }
  bool running() const { return pi_.hProcess && FindWindowW(kEverythingWindowClass, nullptr); }
  std::vector<std::string> queries() const {
    std::vector<std::string> out;
    FILE* f = _wfopen(log_.c_str(), L"rb");
    if (!f) return out;
    char line[4096];
    while (fgets(line, sizeof line, f)) {
      std::string s(line);
      while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.pop_back();
      out.push_back(s);
    }
    fclose(f);
    return out;
  }

 private:
  PROCESS_INFORMATION pi_ = {};
  std::wstring log_;
};

void writeFile(const std::wstring& path, size_t bytes) {
  HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  std::vector<char> data(bytes, 'x');
  DWORD written = 0;
  if (bytes) WriteFile(h, data.data(), static_cast<DWORD>(bytes), &written, nullptr);
  CloseHandle(h);
}

// <temp>\mv_ev_<pid>\Data:
//   docs\a.txt 100, docs\sub\b.txt 200, Pics\c.jpg 3000, Pics\docs\d.txt 7,
//   empty\, top.bin 50
class DataTree {
 public:
  DataTree() {
    wchar_t tmp[MAX_PATH];
    GetTempPathW(MAX_PATH, tmp);
    base_ = std::wstring(tmp) + L"mv_ev_" + std::to_wstring(GetCurrentProcessId());
    root_ = base_ + L"\\Data";
    for (const wchar_t* d : {L"", L"\\Data", L"\\Data\\docs", L"\\Data\\docs\\sub", L"\\Data\\Pics",
                             L"\\Data\\Pics\\docs", L"\\Data\\empty"})
      CreateDirectoryW((base_ + d).c_str(), nullptr);
    writeFile(root_ + L"\\docs\\a.txt", 100);
    writeFile(root_ + L"\\docs\\sub\\b.txt", 200);
    writeFile(root_ + L"\\Pics\\c.jpg", 3000);
    writeFile(root_ + L"\\Pics\\docs\\d.txt", 7);
    writeFile(root_ + L"\\top.bin", 50);
  }
  ~DataTree() {
    for (const wchar_t* f : {L"\\docs\\a.txt", L"\\docs\\sub\\b.txt", L"\\Pics\\c.jpg",
                             L"\\Pics\\docs\\d.txt", L"\\top.bin"})
      DeleteFileW((root_ + f).c_str());
    for (const wchar_t* d : {L"\\Data\\docs\\sub", L"\\Data\\docs", L"\\Data\\Pics\\docs",
                             L"\\Data\\Pics", L"\\Data\\empty", L"\\Data", L""})
      RemoveDirectoryW((base_ + d).c_str());
  }
  const char16_t* path() const { return U(root_.c_str()); }
  std::string utf8() const { return textToUtf8(path()); }

 private:
  std::wstring base_, root_;
};

struct FolderAnswer {
  bool ok;
  int stored;
  uint32_t tot, num;
  std::string query;
  std::vector<FolderSizeEntry> table;
};

FolderAnswer askFolders(EverythingClient& c, const char16_t* path,
                        const std::atomic<uint32_t>* cancel = nullptr) {
  FolderAnswer a{};
  a.table.resize(kFolderTableCapacity);
  char16_t text[kQueryTextUnits];
  a.ok = c.queryFolderSizes(path, a.table.data(), kFolderTableCapacity, text, &a.stored, &a.tot,
                            &a.num, cancel);
  a.query = textToUtf8(text);
  return a;
}

uint64_t sizeOf(const FolderAnswer& a, const char* name) {
  for (int i = 0; i < a.stored; ++i)
    if (textToUtf8(a.table[i].name) == name) return a.table[i].size;
  return ~0ull;
}

ScanItem row(const char* name, uint32_t fromEverything = 1) {
  ScanItem it{};
  textCopy(it.name, kNameUnits, textFromUtf8(name).c_str());
  it.isFolder = 1;
  it.fromEverything = fromEverything;
  return it;
}

class EverythingClientTest : public ::testing::Test {
 protected:
  void connect(EverythingClient& c) {
    ASSERT_TRUE(c.findWindow());
    ASSERT_TRUE(c.createHelper(SearchHelper::Folder));
    ASSERT_TRUE(c.createHelper(SearchHelper::TopFiles));
    ASSERT_TRUE(c.createHelper(SearchHelper::FileCount));
  }
  DataTree tree;
};

}  // namespace

TEST_F(EverythingClientTest, NoEngineWindow) {
  closeStrayEngines();
  EverythingClient c;
  EXPECT_FALSE(c.findWindow());
  EXPECT_FALSE(c.isDatabaseLoaded());
  ASSERT_TRUE(c.createHelper(SearchHelper::Folder));
  FolderAnswer a = askFolders(c, tree.path());  // no window: fails at once
  EXPECT_FALSE(a.ok);
  EXPECT_EQ(a.tot + a.num, 0u);
}

TEST_F(EverythingClientTest, AnswersFromTheEngine) {
  FakeEngine engine(L"");
  ASSERT_TRUE(engine.running());
  EverythingClient c;
  connect(c);
  EXPECT_TRUE(c.isDatabaseLoaded());

  FolderAnswer a = askFolders(c, tree.path());
  ASSERT_TRUE(a.ok);
  EXPECT_EQ(a.query, "folder:\"" + tree.utf8() + "\\*\"");
  ASSERT_EQ(a.stored, 5);
  EXPECT_EQ(a.tot, 5u);
  EXPECT_EQ(sizeOf(a, "docs"), 300u);  // the first "docs" in name order is the child
  EXPECT_EQ(sizeOf(a, "Pics"), 3007u);
  EXPECT_EQ(sizeOf(a, "empty"), 0u);
  EXPECT_EQ(sizeOf(a, "sub"), 200u);

  std::vector<TopFileEntry> top(3);
  int stored = 0;
  ASSERT_TRUE(c.queryTopFiles(tree.path(), top.data(), 3, &stored, nullptr));
  ASSERT_EQ(stored, 3);
  EXPECT_EQ(textToUtf8(top[0].name), "c.jpg");
  EXPECT_EQ(top[0].size, 3000u);
  EXPECT_EQ(textToUtf8(top[1].fullPath), tree.utf8() + "\\docs\\sub\\b.txt");
  EXPECT_EQ(top[2].size, 100u);

  std::vector<ScanItem> rows = {row("DOCS"), row("Pics"), row("empty", 0)};
  uint32_t tot = 0, num = 0;
  ASSERT_TRUE(c.queryFileCounts(tree.path(), rows.data(), 3, kFileCountMaxResults, &tot, &num, nullptr));
  EXPECT_EQ(tot, 5u);
  EXPECT_EQ(num, 5u);
  EXPECT_EQ(rows[0].fileCount, 2);
  EXPECT_EQ(rows[1].fileCount, 2);
  EXPECT_EQ(rows[2].fileCount, 0);

  std::vector<std::string> q = engine.queries();
  ASSERT_EQ(q.size(), 3u);
  EXPECT_EQ(q[1], "count:3 file:\"" + tree.utf8() + "\\\"");
  EXPECT_EQ(q[2], "file:\"" + tree.utf8() + "\\\"");
}

TEST_F(EverythingClientTest, QueryTextsForTrailingBackslashAndDriveRoot) {
  FakeEngine engine(L"--empty=all");
  EverythingClient c;
  connect(c);
  std::u16string slashed = std::u16string(tree.path()) + u"\\\\";
  FolderAnswer a = askFolders(c, slashed.c_str());
  EXPECT_TRUE(a.ok);
  EXPECT_EQ(a.stored, 0);
  a = askFolders(c, u"C:\\");
  EXPECT_TRUE(a.ok);
  TopFileEntry top[2];
  int stored = -1;
  EXPECT_TRUE(c.queryTopFiles(u"C:\\", top, 2, &stored, nullptr));
  EXPECT_EQ(stored, 0);
  ScanItem r = row("Windows");
  uint32_t tot, num;
  EXPECT_TRUE(c.queryFileCounts(u"C:\\", &r, 1, kFileCountMaxResults, &tot, &num, nullptr));
  std::vector<std::string> q = engine.queries();
  ASSERT_EQ(q.size(), 4u);
  EXPECT_EQ(q[0], "folder:\"" + tree.utf8() + "\\*\"");
  EXPECT_EQ(q[1], "folder:\"C:\\*\"");
  EXPECT_EQ(q[2], "count:2 file:\"C:\\\"");
  EXPECT_EQ(q[3], "file:\"C:\\\"");
}

// Misbehaving (and slow) engines: what arrives is still read safely, with the same
// result as a clean answer where the answer carries the same items.
TEST_F(EverythingClientTest, WrongIdentifierGarbageAndInlineAnswers) {
  for (const wchar_t* options : {L"--wrong-id-first", L"--garbage=all", L"--inline", L"--slow=300",
                                 L"--files-as-folders", L"--inline --wrong-id-first --garbage=all"}) {
    SCOPED_TRACE(textToUtf8(U(options)));
    FakeEngine engine(options);
    EverythingClient c;
    connect(c);
    FolderAnswer a = askFolders(c, tree.path());
    ASSERT_TRUE(a.ok);
    EXPECT_EQ(a.stored, 5);
    EXPECT_EQ(sizeOf(a, "Pics"), 3007u);
    std::vector<TopFileEntry> top(10);
    int stored = 0;
    ASSERT_TRUE(c.queryTopFiles(tree.path(), top.data(), 10, &stored, nullptr));
    EXPECT_EQ(stored, 5);
    EXPECT_EQ(top[0].size, 3000u);
    std::vector<ScanItem> rows = {row("docs")};
    uint32_t tot = 0, num = 0;
    ASSERT_TRUE(c.queryFileCounts(tree.path(), rows.data(), 1, kFileCountMaxResults, &tot, &num, nullptr));
    EXPECT_EQ(rows[0].fileCount, 2);
  }
}

TEST_F(EverythingClientTest, ShortNotLoadedAndTruncatedAnswers) {
  {
    FakeEngine engine(L"--not-loaded");
    EverythingClient c;
    ASSERT_TRUE(c.findWindow());
    EXPECT_FALSE(c.isDatabaseLoaded());
  }
  {
    FakeEngine engine(L"--short-reply=folders,counts --truncate-counts");
    EverythingClient c;
    connect(c);
    FolderAnswer a = askFolders(c, tree.path());
    EXPECT_FALSE(a.ok);
    EXPECT_EQ(a.stored, 0);
    EXPECT_EQ(a.tot, 0u);
    std::vector<ScanItem> rows = {row("docs")};
    uint32_t tot = 9, num = 9;
    EXPECT_FALSE(c.queryFileCounts(tree.path(), rows.data(), 1, kFileCountMaxResults, &tot, &num, nullptr));
    EXPECT_EQ(tot + num, 0u);
  }
  {
    FakeEngine engine(L"--truncate-counts");
    EverythingClient c;
    connect(c);
    std::vector<ScanItem> rows = {row("docs")};
    uint32_t tot = 0, num = 0;
    EXPECT_TRUE(c.queryFileCounts(tree.path(), rows.data(), 1, kFileCountMaxResults, &tot, &num, nullptr));
    EXPECT_EQ(tot, 5u);
    EXPECT_LT(num, tot);
  }
}

// An answer that comes again after the wait has ended finds no state: nothing
// changes, nothing crashes.
TEST_F(EverythingClientTest, RepeatedAnswerAfterTheWaitChangesNothing) {
  FakeEngine engine(L"--repeat=150");
  EverythingClient c;
  connect(c);
  std::vector<ScanItem> rows = {row("docs"), row("Pics")};
  uint32_t tot = 0, num = 0;
  ASSERT_TRUE(c.queryFileCounts(tree.path(), rows.data(), 2, kFileCountMaxResults, &tot, &num, nullptr));
  EXPECT_EQ(rows[0].fileCount, 2);
  // Pump this thread's messages while the second answer arrives.
  DWORD t0 = GetTickCount();
  while (GetTickCount() - t0 < 600) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    Sleep(10);
  }
  EXPECT_EQ(rows[0].fileCount, 2);
  EXPECT_EQ(rows[1].fileCount, 2);
}

// A silent engine must not hold a cancelled query: the wait polls the flag
// every kCancelPollMs (50 ms), far inside teardown's 2000 ms.
TEST_F(EverythingClientTest, CancelEndsASilentWait) {
  FakeEngine engine(L"--no-answer=all");
  EverythingClient c;
  connect(c);
  std::atomic<uint32_t> cancel{0};
  std::thread canceller([&] {
    Sleep(200);
    cancel.store(1);
  });
  std::vector<ScanItem> rows = {row("docs")};
  uint32_t tot = 7, num = 7;
  DWORD t0 = GetTickCount();
  bool ok = c.queryFileCounts(tree.path(), rows.data(), 1, kFileCountMaxResults, &tot, &num, &cancel);
  DWORD afterCancel = GetTickCount() - t0;
  canceller.join();
  EXPECT_FALSE(ok);
  EXPECT_EQ(tot + num, 0u);
  EXPECT_LT(afterCancel, 2000u);  // against a 20000 ms wait limit
  // Already cancelled: nothing more is asked of the engine.
  FolderAnswer a = askFolders(c, tree.path(), &cancel);
  EXPECT_FALSE(a.ok);
  EXPECT_EQ(a.query, "folder:\"" + tree.utf8() + "\\*\"");
  EXPECT_EQ(engine.queries().size(), 1u);
}

// An engine that stops pumping inside our query must not hold the scan thread:
// the send is timed by the query's wait limit (5 s here), against a 60 s hang.
TEST_F(EverythingClientTest, HungEngineReleasesTheSend) {
  FakeEngine engine(L"--block-send=60000");
  EverythingClient c;
  connect(c);
  DWORD t0 = GetTickCount();
  FolderAnswer a = askFolders(c, tree.path());
  DWORD elapsed = GetTickCount() - t0;
  EXPECT_FALSE(a.ok);
  EXPECT_EQ(a.stored, 0);
  EXPECT_LT(elapsed, 30000u);
  EXPECT_FALSE(c.isDatabaseLoaded());  // the still-hung engine: a timed question, "not loaded"
}

// ---- full scans: the scan driver with the real client, lister and clock ------

namespace {

struct WallClockHost final : ScanHost {
  int finished = 0;
  void requestRepaint() override {}
  void scanFinished() override { ++finished; }
  uint32_t tickCount() override { return GetTickCount(); }
};

struct ScanOutcome {
  std::string status, detail;
  std::vector<ScanItem> rows, files;
  uint32_t topFilesFromEverything = 0;
  int finished = 0;
  const ScanItem* row(const char* name) const {
    for (auto& r : rows)
      if (textToUtf8(r.name) == name) return &r;
    return nullptr;
  }
};

ScanOutcome fullScan(const std::u16string& target, int maxTopFiles = 50) {
  WallClockHost host;
  Win32DirLister lister;
  EverythingClient client;
  std::unique_ptr<ScanModel> m(new ScanModel());
  prepareTestModel(*m, target, &host, &lister);
  m->maxTopFiles = maxTopFiles;
  m->scanUseEverything = 1;
  m->search = &client;
  EXPECT_EQ(scanThreadMain(*m), 0u);
  ScanOutcome out;
  char16_t status[kStatusLineUnits], detail[kDetailLineUnits];
  readScanLines(*m, status, kStatusLineUnits, detail, kDetailLineUnits);
  out.status = textToUtf8(status);
  out.detail = textToUtf8(detail);
  out.rows.assign(m->rows, m->rows + m->rowCount);
  out.files.assign(m->fileList, m->fileList + m->fileListCount);
  out.topFilesFromEverything = m->topFilesFromEverything;
  out.finished = host.finished;
  releaseScanModel(*m);
  return out;
}

bool has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

class EverythingScanTest : public ::testing::Test {
 protected:
  DataTree tree;
  std::u16string target() const { return tree.path(); }
};

}  // namespace

TEST_F(EverythingScanTest, WindowAbsentOrDatabaseNotLoaded) {
  closeStrayEngines();
  ScanOutcome s = fullScan(target());
  EXPECT_EQ(s.status, "Everything: window=NOT FOUND db=n/a  batch query=FAILED (0 folders parsed)");
  EXPECT_TRUE(has(s.detail, "query=[] tot=0 num=0 | fromEverything=0 zeroFallback=0 noMatchFallback=0"));
  EXPECT_TRUE(has(s.detail, "counts=n/a (no Everything sizes this scan)"));
  EXPECT_EQ(s.row("Pics")->size, 3007u);  // walked
  EXPECT_EQ(s.row("Pics")->fileCount, 2);
  EXPECT_EQ(s.finished, 1);

  FakeEngine engine(L"--not-loaded");
  s = fullScan(target());
  EXPECT_EQ(s.status, "Everything: window=found db=NOT LOADED  batch query=FAILED (0 folders parsed)");
  EXPECT_EQ(s.row("docs")->size, 300u);
  EXPECT_TRUE(engine.queries().empty());
}

TEST_F(EverythingScanTest, BatchSizesCountsAndTopFiles) {
  FakeEngine engine(L"");
  ScanOutcome s = fullScan(target());
  EXPECT_EQ(s.status, "Everything: window=found db=loaded  batch query=OK (5 folders parsed)");
  const std::string folders = "folder:\"" + tree.utf8() + "\\*\"";
  EXPECT_TRUE(has(s.detail, "query=[" + folders + "] tot=5 num=5 | fromEverything=2 zeroFallback=1 "
                            "noMatchFallback=0 accessDenied=0 linkSkipped=0 | counts=OK 5/5 matched, 2 folders"))
      << s.detail;
  const ScanItem* docs = s.row("docs");
  ASSERT_TRUE(docs);
  EXPECT_EQ(docs->fromEverything, 1u);
  EXPECT_EQ(docs->size, 300u);
  EXPECT_EQ(docs->fileCount, 2);  // -1 while sized, then counted
  EXPECT_EQ(s.row("Pics")->fileCount, 2);
  EXPECT_EQ(s.row("empty")->fromEverything, 0u);  // size 0 in the table: walked
  // The engine's largest files are the file list, largest first.
  EXPECT_EQ(s.topFilesFromEverything, 1u);
  ASSERT_EQ(s.files.size(), 5u);
  EXPECT_EQ(textToUtf8(s.files[0].name), "c.jpg");
  EXPECT_EQ(s.files[4].size, 7u);
  std::vector<std::string> q = engine.queries();
  ASSERT_EQ(q.size(), 3u);
  EXPECT_EQ(q[0], folders);
  EXPECT_EQ(q[1], "count:50 file:\"" + tree.utf8() + "\\\"");
  EXPECT_EQ(q[2], "file:\"" + tree.utf8() + "\\\"");
}

TEST_F(EverythingScanTest, TrailingBackslashSendsTheSameQueries) {
  FakeEngine engine(L"");
  ScanOutcome s = fullScan(target() + u"\\");
  EXPECT_TRUE(has(s.status, "batch query=OK (5 folders parsed)"));
  EXPECT_EQ(s.row("docs")->fileCount, 2);
  EXPECT_EQ(textToUtf8(s.row("docs")->fullPath), tree.utf8() + "\\docs");
  std::vector<std::string> q = engine.queries();
  ASSERT_EQ(q.size(), 3u);
  EXPECT_EQ(q[0], "folder:\"" + tree.utf8() + "\\*\"");
  EXPECT_EQ(q[2], "file:\"" + tree.utf8() + "\\\"");
}

TEST_F(EverythingScanTest, ZeroAndNoMatchFallbacksAreWalked) {
  FakeEngine engine(L"--zero-size=docs --omit=Pics");
  ScanOutcome s = fullScan(target());
  // docs: both entries named docs are 0 now; Pics: missing from the table.
  EXPECT_TRUE(has(s.detail, "fromEverything=0 zeroFallback=2 noMatchFallback=1")) << s.detail;
  EXPECT_EQ(s.row("docs")->size, 300u);
  EXPECT_EQ(s.row("docs")->fileCount, 2);
  EXPECT_EQ(s.row("Pics")->size, 3007u);
  EXPECT_EQ(s.row("Pics")->fromEverything, 0u);
  EXPECT_TRUE(has(s.detail, "counts=n/a (no Everything sizes this scan)"));
  EXPECT_EQ(engine.queries().size(), 2u);  // no count query without sized rows
}

TEST_F(EverythingScanTest, TruncatedAndFailedCountsKeepTheLabels) {
  {
    FakeEngine engine(L"--truncate-counts");
    ScanOutcome s = fullScan(target());
    EXPECT_TRUE(has(s.detail, "counts=truncated 2/5 - [Everything] labels kept")) << s.detail;
    EXPECT_EQ(s.row("docs")->fileCount, -1);
    EXPECT_EQ(s.row("Pics")->fileCount, -1);
    EXPECT_EQ(s.row("empty")->fileCount, 0);
  }
  {
    FakeEngine engine(L"--short-reply=counts");
    ScanOutcome s = fullScan(target());
    EXPECT_TRUE(has(s.detail, "counts=query FAILED - [Everything] labels kept")) << s.detail;
    EXPECT_EQ(s.row("docs")->fileCount, -1);
    EXPECT_EQ(s.row("docs")->size, 300u);
  }
  {
    // A failed batch: every folder walked, none counted as a no-match.
    FakeEngine engine(L"--short-reply=folders");
    ScanOutcome s = fullScan(target());
    EXPECT_EQ(s.status, "Everything: window=found db=loaded  batch query=FAILED (0 folders parsed)");
    EXPECT_TRUE(has(s.detail, "fromEverything=0 zeroFallback=0 noMatchFallback=0")) << s.detail;
    EXPECT_EQ(s.row("Pics")->fileCount, 2);
  }
}

TEST_F(EverythingScanTest, EmptyTopFilesAnswerLeavesTheListEmpty) {
  FakeEngine engine(L"--empty=top --omit=Pics --garbage=folders,counts");
  ScanOutcome s = fullScan(target());
  EXPECT_EQ(s.topFilesFromEverything, 1u);
  EXPECT_TRUE(s.files.empty());          // walks of Pics added no files
  EXPECT_EQ(s.row("Pics")->size, 3007u);  // ...but did run
  EXPECT_EQ(s.row("docs")->fileCount, 2);
}

// ---- the panel: teardown while the engine never answers the count query -----

namespace {

int threadsOfThisProcess() {
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snap == INVALID_HANDLE_VALUE) return -1;
  THREADENTRY32 te = {};
  te.dwSize = sizeof te;
  int n = 0;
  for (BOOL ok = Thread32First(snap, &te); ok; ok = Thread32Next(snap, &te))
    if (te.th32OwnerProcessID == GetCurrentProcessId()) ++n;
  CloseHandle(snap);
  return n;
}

int replyWindowsAlive() {
  int n = 0;
  for (EverythingQuery q : {EverythingQuery::FolderSizes, EverythingQuery::TopFiles,
                            EverythingQuery::FileCounts})
    for (HWND w = nullptr; (w = FindWindowExW(HWND_MESSAGE, w, W(everythingQueryShape(q).replyClass),
                                              nullptr)) != nullptr;)
      ++n;
  return n;
}

}  // namespace

// Teardown waits at most 2000 ms for the scan thread while the count query may
// wait 20 s: the wait must end on the cancel flag, so after DestroyWindow the
// thread is gone (its reply windows with it) every time.
TEST(EverythingPanelTest, TeardownDuringASilentCountQuery) {
  LoadedPlugin plugin = loadPlugin();
  ASSERT_TRUE(plugin.module && plugin.listLoad);
  DataTree tree;
  FakeEngine engine(L"--no-answer=counts");
  ASSERT_TRUE(engine.running());
  HWND host = createHostWindow(640, 480);
  std::string ansi = narrow(W(tree.path()));
  // Counted after the first panel: the first ListLoad may start threads of the
  // system's own (COM, shell) that stay for the process.
  int baseline = -1;
  for (int rep = 0; rep < 20; ++rep) {
    SCOPED_TRACE(rep);
    HWND panel = plugin.listLoad(host, &ansi[0], 0);
    ASSERT_NE(panel, nullptr);
    ASSERT_EQ(panelRecordOf(panel)->scan.scanUseEverything, 1u) << "Morvane.cfg turned Everything off";
    // Wait until the count query has gone out (the third query of this scan).
    bool sent = false;
    for (int i = 0; i < 400 && !sent; ++i) {
      pumpMessages(10);
      sent = engine.queries().size() >= 3u * (rep + 1);
    }
    ASSERT_TRUE(sent);
    DWORD t0 = GetTickCount();
    DestroyWindow(panel);
    DWORD teardown = GetTickCount() - t0;
    EXPECT_LT(teardown, 2000u);
    EXPECT_EQ(replyWindowsAlive(), 0);
    EXPECT_EQ(countChildren(host), 0);
    pumpMessages(0);
    if (rep == 0) baseline = threadsOfThisProcess();
  }
  // No scan thread left behind.
  int now = threadsOfThisProcess();
  for (int i = 0; i < 100 && now > baseline; ++i) {
    Sleep(20);
    now = threadsOfThisProcess();
  }
  EXPECT_LE(now, baseline);
  DestroyWindow(host);
  pumpMessages(0);
}
