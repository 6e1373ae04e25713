// The scan thread's procedure run inline over an in-memory tree: the rows, the
// counters, the file list and the exact diagnostic lines every ending leaves,
// with and without a scripted search engine.
#include <gtest/gtest.h>

#include "scan/scan_driver.h"
#include "scan/search_client.h"
#include "tests/support/fake_dir_lister.h"

namespace {

// Answers the same every time except for what its script names: w no window,
// l database not loaded, f/t/c that helper cannot be made, F/T/C that query
// fails, X the count answer is cut short (4 of 10). Names match ignoring case;
// media at size 0 is left to the walk; the child "new" is not in the table.
struct ScriptedEngine final : SearchClient {
  std::string script;
  int helpersAlive = 0;
  bool works(char what) const { return script.find(what) == std::string::npos; }
  bool findWindow() override { return works('w'); }
  bool isDatabaseLoaded() override { return works('l'); }
  bool createHelper(SearchHelper h) override { return works("ftc"[static_cast<int>(h)]) && ++helpersAlive; }
  void destroyHelper(SearchHelper) override { --helpersAlive; }
  bool queryFolderSizes(const char16_t* target, FolderSizeEntry* table, int, char16_t* text, int* stored,
                        uint32_t* tot, uint32_t* num, const std::atomic<uint32_t>*) override {
    textFormat(text, kQueryTextUnits, u"folder:\"%s\\*\"", target);
    const FolderSizeEntry answer[] = {{u"DOCS", 12345}, {u"media", 0}, {u"gone", 9}};
    std::copy(answer, answer + 3, table);
    *tot = 40, *num = 2, *stored = works('F') ? 3 : 0;
    return works('F');
  }
  bool queryTopFiles(const char16_t*, TopFileEntry* out, int, int* stored,
                     const std::atomic<uint32_t>*) override {
    static const TopFileEntry answer[] = {{u"big.zip", u"E:\\big.zip", 8000},
                                          {u"huge.iso", u"E:\\huge.iso", 900000}};
    std::copy(answer, answer + 2, out);
    *stored = works('T') ? 2 : 0;
    return works('T');
  }
  bool queryFileCounts(const char16_t*, ScanItem* rows, int rowCount, uint32_t, uint32_t* tot, uint32_t* num,
                       const std::atomic<uint32_t>*) override {
    *tot = works('X') ? 3 : 10, *num = works('X') ? 3 : 4;
    for (int i = 0; i < rowCount; ++i)
      if (rows[i].fromEverything && textEquals(rows[i].name, u"docs")) rows[i].fileCount += 3;
    return works('C');
  }
};

// The rows when the engine sized docs (with its count), and when all was walked.
#define ENGINE_ROWS(docsFiles) \
  "docs:12345:" docsFiles ":1001 media:5000:1:1000 a:100:0:0000 new:7:1:1000 z:1:0:0100 lnk:0:0:1100 " \
  "| 17453 bytes "
#define WALKED_ALL \
  "media:5000:1:1000 docs:600:3:1000 a:100:0:0000 new:7:1:1000 z:1:0:0100 lnk:0:0:1100 | 5708 bytes 7 files 4 " \
  "folders, 7 kept C:\\T\\media\\movie"
#define NOTHING_ASKED u"query=[] tot=0 num=0 | fromEverything=0 zeroFallback=0 noMatchFallback=0 "
#define NO_SIZES u"accessDenied=0 linkSkipped=1 | counts=n/a (no Everything sizes this scan)"
#define ASKED u"query=[folder:\"C:\\T\\*\"] tot=40 num=2 | "
#define ANSWERED ASKED u"fromEverything=1 zeroFallback=1 noMatchFallback=1 accessDenied=0 linkSkipped=1 | counts="
constexpr const char16_t* kOff = u"(useEverything resolved to N - see config line above)";
constexpr const char16_t* kOk = u"Everything: window=found db=loaded  batch query=OK (3 folders parsed)";

TEST(Scan, EveryEndingLeavesItsRowsCountersAndLines) {
  // The engine's script, and: - the setting is off; D docs, A the target
  // itself refuses listing (error 5). A line about a listed target ends with
  // the timings, all 0 by the still clock.
  const struct {
    const char* script;
    const char* scan;
    const char16_t* status;
    const char16_t* detail;
  } cases[] = {
      {"-D", "media:5000:1:1000 a:100:0:0000 new:7:1:1000 z:1:0:0100 docs:0:0:1010 lnk:0:0:1100 | 5108 bytes "
             "4 files 4 folders, 4 kept C:\\T\\media\\movie",
       kOff, NOTHING_ASKED u"accessDenied=1 linkSkipped=1 | counts=n/a (no Everything sizes this scan)"},
      {"w", WALKED_ALL, u"Everything: window=NOT FOUND db=n/a  batch query=FAILED (0 folders parsed)",
       NOTHING_ASKED NO_SIZES},
      {"FT", WALKED_ALL, u"Everything: window=found db=loaded  batch query=FAILED (0 folders parsed)",
       ASKED u"fromEverything=0 zeroFallback=0 noMatchFallback=0 " NO_SIZES},
      // The engine's largest files replace what the walks would add.
      {"", ENGINE_ROWS("3") "4 files 4 folders, 2 kept E:\\huge.iso", kOk, ANSWERED u"OK 3/3 matched, 1 folders"},
      {"tC", ENGINE_ROWS("-1") "4 files 4 folders, 4 kept C:\\T\\media\\movie", kOk,
       ANSWERED u"query FAILED - [Everything] labels kept"},
      {"X", ENGINE_ROWS("-1") "4 files 4 folders, 2 kept E:\\huge.iso", kOk,
       ANSWERED u"truncated 4/10 - [Everything] labels kept"},
      {"A", "| 0 bytes 0 files 0 folders, 0 kept",
       u"Everything: (not queried - target path itself could not be opened, see detail line)",
       u"target=[C:\\T]  open FAILED: ACCESS DENIED (Win32 error 5)"},
  };
  // C:\T: a, docs\ (3 files), media\ (a file and an empty folder), lnk\ (a
  // junction), z (a file with the link attribute), new\ (one file).
  FakeDirLister fs(u"C:\\T");
  fs.addFile(FakeDirLister::kRoot, u"a", 100);
  int docs = fs.addFolder(FakeDirLister::kRoot, u"docs"), media = fs.addFolder(FakeDirLister::kRoot, u"media");
  for (int i = 1; i <= 3; ++i) fs.addFile(docs, u"d" + textFromUtf8(std::to_string(i)), 100 * i);
  fs.addFile(media, u"movie", 5000);
  fs.addFolder(media, u"sub");
  int link = fs.addFolder(FakeDirLister::kRoot, u"lnk");
  fs.addFile(link, u"elsewhere", 99999);
  fs.setReparseTag(link, 0);
  fs.setReparseTag(fs.addFile(FakeDirLister::kRoot, u"z", 1), 0);
  fs.addFile(fs.addFolder(FakeDirLister::kRoot, u"new"), u"n", 7);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.script);
    ScriptedEngine engine;
    engine.script = c.script;
    fs.refuse(docs, engine.works('D') ? 0 : kErrorAccessDenied);
    fs.refuse(FakeDirLister::kRoot, engine.works('A') ? 0 : kErrorAccessDenied);
    TestScan s(u"C:\\T", &fs);
    s.m.scanUseEverything = engine.works('-');
    s.m.search = &engine;
    char16_t status[kStatusLineUnits], detail[kDetailLineUnits];
    readScanLines(s.m, status, kStatusLineUnits, detail, kDetailLineUnits);
    EXPECT_EQ(textToUtf8(status) + "|" + textToUtf8(detail), "(no scan run yet)|");
    EXPECT_EQ(scanThreadMain(s.m), 0u);
    EXPECT_EQ(scanText(s.m), c.scan);
    EXPECT_EQ(s.m.targetAccessDenied.load(), engine.works('A') ? 0u : 1u);
    readScanLines(s.m, status, kStatusLineUnits, detail, kDetailLineUnits);
    EXPECT_EQ(std::u16string(status), c.status);
    std::u16string want = c.detail;
    if (want.compare(0, 6, u"query=") == 0) want += u" | timing: q1=0ms q2=0ms q3=0ms manualWalk=0ms";
    EXPECT_EQ(std::u16string(detail), want);
    EXPECT_EQ(s.m.visibleCount, s.m.rowCount);
    EXPECT_EQ(s.m.scanRunning.load(), 0u);
    EXPECT_EQ(s.host.finished.load(), 1);
    EXPECT_EQ(fs.openListings() + engine.helpersAlive, 0) << "a listing or a helper was left open";
    releaseScanModel(s.m);  // and again at the end, harmlessly
    EXPECT_EQ(s.m.rowCount + s.m.fileListCount + s.m.visibleCount, 0);
  }
}

// A drive root as the target: no doubled backslash in the paths; a thousand
// children outgrow the first blocks of rows and of shown rows.
TEST(Scan, ManyChildrenOfADriveRoot) {
  FakeDirLister fs(u"W:\\");
  for (int i = 0; i < 1000; ++i) fs.addFile(FakeDirLister::kRoot, u"f" + textFromUtf8(std::to_string(i)), i);
  fs.addFile(fs.addFolder(FakeDirLister::kRoot, u"sub"), u"s", 5000);
  TestScan s(u"W:\\", &fs);
  scanThreadMain(s.m);
  EXPECT_EQ(s.m.visibleCount, 1001);
  const std::string text = scanText(s.m);
  EXPECT_EQ(text.substr(text.find('|')), "| 504500 bytes 1001 files 1 folders, 50 kept W:\\sub\\s");
}

}  // namespace
