// The Everything client against tools/fake-everything.exe: a separate process
// answering over real WM_COPYDATA, computed from folders made here on disk.
#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "format/text.h"
#include "view/panel_record_win.h"
#include "win/wide_win.h"
#include "scan/dir_lister_win.h"
#include "scan/everything_client_win.h"
#include "scan/scan_driver.h"
#include "scan/scan_model.h"
#include "tests/support/fake_dir_lister.h"
#include "tests/support/plugin_host_win.h"

namespace {

// <temp><name><pid>: one per test process.
std::wstring tempPath(const wchar_t* name) {
  wchar_t tmp[MAX_PATH];
  GetTempPathW(MAX_PATH, tmp);
  return tmp + (name + std::to_wstring(GetCurrentProcessId()));
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
    log_ = tempPath(L"mv_fake_ev_") + L".log";
    DeleteFileW(log_.c_str());
    wchar_t exe[MAX_PATH];
    std::wstring folder(exe, GetModuleFileNameW(nullptr, exe, MAX_PATH));
    folder.resize(folder.find_last_of(L'\\'));
    std::wstring cmd = L"\"" + folder + L"\\fake-everything.exe\" --log=\"" + log_ + L"\" --parent=" +
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
    char line[4096];
    while (f && fgets(line, sizeof line, f)) out.emplace_back(line, std::strcspn(line, "\r\n"));
    if (f) fclose(f);
    return out;
  }

 private:
  PROCESS_INFORMATION pi_ = {};
  std::wstring log_;
};

// <temp>\mv_ev_<pid>\Data:
//   docs\a.txt 100, docs\sub\b.txt 200, Pics\c.jpg 3000, Pics\docs\d.txt 7,
//   empty\, top.bin 50
class DataTree {
 public:
  DataTree() {
    base_ = tempPath(L"mv_ev_");
    root_ = base_ + L"\\Data";
    for (const wchar_t* d : kFolders) CreateDirectoryW((base_ + d).c_str(), nullptr);
    for (const auto& f : kFiles) {
      HANDLE h = CreateFileW((root_ + f.path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0,
                             nullptr);
      std::vector<char> data(f.bytes, 'x');
      DWORD written = 0;
      WriteFile(h, data.data(), f.bytes, &written, nullptr);
      CloseHandle(h);
    }
  }
  ~DataTree() {
    for (const auto& f : kFiles) DeleteFileW((root_ + f.path).c_str());
    for (size_t i = std::size(kFolders); i-- > 0;) RemoveDirectoryW((base_ + kFolders[i]).c_str());
  }
  const char16_t* path() const { return U(root_.c_str()); }
  std::string utf8() const { return textToUtf8(path()); }

 private:
  static constexpr const wchar_t* kFolders[] = {L"", L"\\Data", L"\\Data\\docs", L"\\Data\\docs\\sub",
                                                L"\\Data\\Pics", L"\\Data\\Pics\\docs", L"\\Data\\empty"};
  static constexpr struct {
    const wchar_t* path;
    DWORD bytes;
  } kFiles[] = {{L"\\docs\\a.txt", 100}, {L"\\docs\\sub\\b.txt", 200}, {L"\\Pics\\c.jpg", 3000},
                {L"\\Pics\\docs\\d.txt", 7}, {L"\\top.bin", 50}};
  std::wstring base_, root_;
};

ScanItem row(const char* name) {
  ScanItem it{};
  textCopy(it.name, kNameUnits, textFromUtf8(name).c_str());
  it.isFolder = 1;
  it.fromEverything = 1;
  return it;
}

class EverythingClientTest : public ::testing::Test {
 protected:
  void connect() {
    ASSERT_TRUE(client.findWindow());
    for (SearchHelper h : {SearchHelper::Folder, SearchHelper::TopFiles, SearchHelper::FileCount})
      ASSERT_TRUE(client.createHelper(h));
  }
  bool askCounts(std::vector<ScanItem>& rows, uint32_t* tot, uint32_t* num,
                 const std::atomic<uint32_t>* cancel = nullptr) {
    return client.queryFileCounts(tree.path(), rows.data(), static_cast<int>(rows.size()),
                                  kFileCountMaxResults, tot, num, cancel);
  }
  DataTree tree;
  EverythingClient client;
};

}  // namespace

// An answer that comes again after the wait has ended finds no state: nothing
// changes, nothing crashes.
TEST_F(EverythingClientTest, RepeatedAnswerAfterTheWaitChangesNothing) {
  FakeEngine engine(L"--repeat=150");
  connect();
  std::vector<ScanItem> rows = {row("docs"), row("Pics")};
  uint32_t tot = 0, num = 0;
  ASSERT_TRUE(askCounts(rows, &tot, &num));
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

// A slow engine must not hold a cancelled query: the wait polls the flag every
// kCancelPollMs (50 ms). The engine answers only after 8 s (inside the 20 s
// limit), so a wait that ignored the cancel would take the answer and succeed.
TEST_F(EverythingClientTest, CancelEndsAWaitBeforeALateAnswer) {
  FakeEngine engine(L"--slow=8000");
  connect();
  std::atomic<uint32_t> cancel{0};
  std::thread canceller([&] {
    Sleep(200);
    cancel.store(1);
  });
  std::vector<ScanItem> rows = {row("docs")};
  uint32_t tot = 7, num = 7;
  bool ok = askCounts(rows, &tot, &num, &cancel);
  canceller.join();
  EXPECT_FALSE(ok);
  EXPECT_EQ(tot + num, 0u);
  EXPECT_EQ(rows[0].fileCount, 0);
  // Already cancelled: nothing more is asked of the engine.
  std::vector<FolderSizeEntry> table(kFolderTableCapacity);
  char16_t text[kQueryTextUnits];
  int stored;
  EXPECT_FALSE(client.queryFolderSizes(tree.path(), table.data(), kFolderTableCapacity, text,
                                       &stored, &tot, &num, &cancel));
  EXPECT_EQ(textToUtf8(text), "folder:\"" + tree.utf8() + "\\*\"");
  EXPECT_EQ(engine.queries().size(), 1u);
}

// An engine that stops pumping inside our query must not hold the scan thread:
// the send is timed by the query's wait limit (5 s here). The hang lasts 600 s,
// past ctest's limit for the whole program, so an untimed send fails the run.
TEST_F(EverythingClientTest, HungEngineReleasesTheSend) {
  FakeEngine engine(L"--block-send=600000");
  connect();
  std::vector<FolderSizeEntry> table(kFolderTableCapacity);
  int stored = -1;
  uint32_t tot, num;
  EXPECT_FALSE(client.queryFolderSizes(tree.path(), table.data(), kFolderTableCapacity, nullptr,
                                       &stored, &tot, &num, nullptr));
  EXPECT_EQ(stored, 0);
  EXPECT_FALSE(client.isDatabaseLoaded());  // the still-hung engine: a timed question, "not loaded"
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
  std::string status, detail, rows, files, docsPath;
  uint32_t topFilesFromEverything = 0;
  int finished = 0;
};

// "name:size:fileCount:fromEverything" for the three child folders, then
// "name:size" for the file list.
ScanOutcome fullScan(const std::u16string& target) {
  WallClockHost host;
  Win32DirLister lister;
  EverythingClient client;
  std::unique_ptr<ScanModel> m(new ScanModel());
  prepareTestModel(*m, target, &host, &lister);
  m->maxTopFiles = 50;
  m->scanUseEverything = 1;
  m->search = &client;
  EXPECT_EQ(scanThreadMain(*m), 0u);
  ScanOutcome out;
  char16_t status[kStatusLineUnits], detail[kDetailLineUnits];
  readScanLines(*m, status, kStatusLineUnits, detail, kDetailLineUnits);
  out.status = textToUtf8(status);
  out.detail = textToUtf8(detail);
  for (const char* name : {"docs", "Pics", "empty"})
    for (int i = 0; i < m->rowCount; ++i)
      if (textToUtf8(m->rows[i].name) == name) {
        if (out.rows.empty()) out.docsPath = textToUtf8(m->rows[i].fullPath);
        out.rows += std::string(out.rows.empty() ? "" : " ") + name + ":" +
                    std::to_string(m->rows[i].size) + ":" + std::to_string(m->rows[i].fileCount) +
                    ":" + std::to_string(m->rows[i].fromEverything);
      }
  for (int i = 0; i < m->fileListCount; ++i)
    out.files += std::string(i ? " " : "") + textToUtf8(m->fileList[i].name) + ":" +
                 std::to_string(m->fileList[i].size);
  out.topFilesFromEverything = m->topFilesFromEverything;
  out.finished = host.finished;
  releaseScanModel(*m);
  return out;
}

const char* const kOk = "Everything: window=found db=loaded  batch query=OK (5 folders parsed)";
const char* const kAllSized = "docs:300:2:1 Pics:3007:2:1 empty:0:0:0";
const char* const kAllFiles = "c.jpg:3000 b.txt:200 a.txt:100 top.bin:50 d.txt:7";

}  // namespace

// Each row: the engine's options (null: no engine at all), a target suffix, the
// status line, parts of the detail line ({Q}: the folder query), the child
// rows, the file list and how many queries the engine saw (always the scan's three texts, in order).
// What the scan makes of partial, zero or truncated answers is proven natively
// over a fake client; here the real transport carries clean and misbehaving answers.
TEST(EverythingScanTest, Scenarios) {
  const struct {
    const wchar_t* options;
    const char16_t* suffix;
    const char* status;
    std::vector<const char*> detail;
    const char* rows;
    const char* files;
    size_t queries;
  } scenarios[] = {
      {nullptr, u"", "Everything: window=NOT FOUND db=n/a  batch query=FAILED (0 folders parsed)",
       {"query=[] tot=0 num=0 | fromEverything=0 zeroFallback=0 noMatchFallback=0",
        "counts=n/a (no Everything sizes this scan)"},
       "docs:300:2:0 Pics:3007:2:0 empty:0:0:0", kAllFiles, 0},
      {L"--not-loaded", u"",
       "Everything: window=found db=NOT LOADED  batch query=FAILED (0 folders parsed)", {},
       "docs:300:2:0 Pics:3007:2:0 empty:0:0:0", kAllFiles, 0},
      {L"", u"", kOk,
       {"query=[{Q}] tot=5 num=5 | fromEverything=2 zeroFallback=1 noMatchFallback=0 accessDenied=0 "
        "linkSkipped=0 | counts=OK 5/5 matched, 2 folders"},
       kAllSized, kAllFiles, 3},
      {L"", u"\\", kOk, {"counts=OK 5/5 matched, 2 folders"}, kAllSized, kAllFiles, 3},
      // Misbehaving and slow engines: what arrives is read safely, with the
      // result of a clean answer.
      {L"--wrong-id-first", u"", kOk, {}, kAllSized, kAllFiles, 3},
      {L"--garbage=all", u"", kOk, {}, kAllSized, kAllFiles, 3},
      {L"--inline", u"", kOk, {}, kAllSized, kAllFiles, 3},
      {L"--slow=300", u"", kOk, {}, kAllSized, kAllFiles, 3},
      {L"--files-as-folders", u"", kOk, {}, kAllSized, kAllFiles, 3},
      {L"--inline --wrong-id-first --garbage=all", u"", kOk, {}, kAllSized, kAllFiles, 3},
  };
  DataTree tree;
  const std::string texts[] = {"folder:\"" + tree.utf8() + "\\*\"",
                               "count:50 file:\"" + tree.utf8() + "\\\"",
                               "file:\"" + tree.utf8() + "\\\""};
  for (const auto& s : scenarios) {
    SCOPED_TRACE(s.options ? textToUtf8(U(s.options)) + " suffix " + textToUtf8(s.suffix) : "none");
    closeStrayEngines();
    std::unique_ptr<FakeEngine> engine(s.options ? new FakeEngine(s.options) : nullptr);
    ScanOutcome o = fullScan(tree.path() + std::u16string(s.suffix));
    EXPECT_EQ(o.status, s.status);
    for (std::string part : s.detail) {
      size_t q = part.find("{Q}");
      if (q != std::string::npos) part.replace(q, 3, texts[0]);
      EXPECT_NE(o.detail.find(part), std::string::npos) << part << "\n" << o.detail;
    }
    EXPECT_EQ(o.rows, s.rows);
    EXPECT_EQ(o.docsPath, tree.utf8() + "\\docs");
    EXPECT_EQ(o.files, s.files);
    EXPECT_EQ(o.topFilesFromEverything, s.queries ? 1u : 0u);  // the engine's list or the walks
    EXPECT_EQ(o.finished, 1);
    if (!engine) continue;
    std::vector<std::string> q = engine->queries();
    EXPECT_EQ(q, std::vector<std::string>(texts, texts + s.queries));
  }
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
    // Teardown waits at most 2000 ms: the thread's reply windows being gone
    // right after it proves the thread ended inside that wait.
    DestroyWindow(panel);
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
