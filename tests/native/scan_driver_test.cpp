// The scan thread's procedure run inline over the in-memory tree: the three
// endings, the rows and file list each leaves, and the exact diagnostic lines,
// with and without a (fake) search engine.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "format/text.h"
#include "format/visible_rows.h"
#include "scan/scan_driver.h"
#include "scan/search_client.h"
#include "tests/support/fake_dir_lister.h"

namespace {

using NamedSizes = std::vector<std::pair<std::u16string, uint64_t>>;

// Copies at most `capacity` of the scripted entries into a reply table.
template <typename Entry, typename Fill>
int fillTable(const NamedSizes& from, Entry* table, int capacity, Fill fill) {
  int stored = 0;
  for (; stored < capacity && stored < static_cast<int>(from.size()); ++stored) {
    textCopy(table[stored].name, kNameUnits, from[stored].first.c_str());
    table[stored].size = from[stored].second;
    fill(table[stored]);
  }
  return stored;
}

// A scripted search engine: what it finds, answers and how long it takes.
struct ScriptedEngine final : SearchClient {
  bool window = true, loaded = true;
  bool helperOk[3] = {true, true, true};
  bool folderOk = true, topOk = true, countOk = true;
  NamedSizes folders, topFiles, counts;  // counts: child name, files
  uint32_t tot = 0, num = 0, cTot = 0, cNum = 0;
  int helpersAlive = 0;
  FakeScanHost* clock = nullptr;

  bool findWindow() override { return window; }
  bool isDatabaseLoaded() override { return loaded; }
  bool createHelper(SearchHelper h) override {
    helpersAlive += helperOk[static_cast<int>(h)];
    return helperOk[static_cast<int>(h)];
  }
  void destroyHelper(SearchHelper) override { --helpersAlive; }
  bool queryFolderSizes(const char16_t* target, FolderSizeEntry* table, int capacity, char16_t* text,
                        int* stored, uint32_t* t, uint32_t* n, const std::atomic<uint32_t>*) override {
    textFormat(text, kQueryTextUnits, u"folder:\"%s\\*\"", target);
    *t = tot;
    *n = num;
    if (clock) clock->clock += 7;
    *stored = folderOk ? fillTable(folders, table, capacity, [](FolderSizeEntry&) {}) : 0;
    return folderOk;
  }
  bool queryTopFiles(const char16_t*, TopFileEntry* buffer, int maxTopFiles, int* stored,
                     const std::atomic<uint32_t>*) override {
    *stored = topOk ? fillTable(topFiles, buffer, maxTopFiles,
                                [](TopFileEntry& e) { textFormat(e.fullPath, kPathUnits, u"E:\\%s", e.name); })
                    : 0;
    return topOk;
  }
  bool queryFileCounts(const char16_t*, ScanItem* rows, int rowCount, uint32_t, uint32_t* t,
                       uint32_t* n, const std::atomic<uint32_t>*) override {
    *t = cTot;
    *n = cNum;
    for (auto& c : counts)
      for (int i = 0; countOk && i < rowCount; ++i)
        if (rows[i].fromEverything && textEquals(rows[i].name, c.first.c_str()))
          rows[i].fileCount += static_cast<int32_t>(c.second);
    return countOk;
  }
};

struct ModelDeleter {
  void operator()(ScanModel* m) const {
    releaseScanModel(*m);
    delete m;
  }
};
using ModelPtr = std::unique_ptr<ScanModel, ModelDeleter>;

// The rows in their order, each as name:size:files:FLDE, the last four being the
// folder, link, access-denied and from-engine fields as digits.
std::string rowsText(const ScanModel& m) {
  std::string out;
  for (int i = 0; i < m.rowCount; ++i) {
    const ScanItem& r = m.rows[i];
    char fields[96];
    snprintf(fields, sizeof fields, ":%llu:%d:%u%u%u%u", static_cast<unsigned long long>(r.size), r.fileCount,
             r.isFolder, r.isLink, r.accessDenied, r.fromEverything);
    out += (i ? " " : "") + textToUtf8(r.name) + fields;
  }
  return out;
}

std::u16string statusOf(ScanModel& m) {
  char16_t s[kStatusLineUnits];
  readScanLines(m, s, kStatusLineUnits, nullptr, 0);
  return s;
}
std::u16string detailOf(ScanModel& m) {
  char16_t d[kDetailLineUnits];
  readScanLines(m, nullptr, 0, d, kDetailLineUnits);
  return d;
}

struct Scan : ::testing::Test {
  FakeScanHost host;
  FakeDirLister fs{u"C:\\T"};
  ScriptedEngine engine;
  ModelPtr m{new ScanModel()};
  int docs = 0, media = 0;

  void SetUp() override {
    prepareTestModel(*m, u"C:\\T", &host, &fs);
    // C:\T: a.txt (100), docs\ (3 files, 600), media\ (1 file 5000 + sub), link\ (junction), z.bin (1)
    fs.addFile(FakeDirLister::kRoot, u"a.txt", 100);
    docs = fs.addFolder(FakeDirLister::kRoot, u"docs");
    fs.addFiles(docs, {{u"d1", 100}, {u"d2", 200}, {u"d3", 300}});
    media = fs.addFolder(FakeDirLister::kRoot, u"media");
    fs.addFile(media, u"movie", 5000);
    fs.addFolder(media, u"sub");
    fs.addFile(fs.addFolder(FakeDirLister::kRoot, u"link", kAttrReparsePoint), u"elsewhere", 99999);
    fs.addFile(FakeDirLister::kRoot, u"z.bin", 1, kAttrReparsePoint);
  }
  void TearDown() override {
    EXPECT_EQ(fs.openListings(), 0);
    EXPECT_EQ(engine.helpersAlive, 0);
  }
  // A fresh scan of C:\T, with the scripted engine when asked for.
  void run(bool withEngine = false, int32_t topFilesShown = 0) {
    releaseScanModel(*m);
    prepareTestModel(*m, u"C:\\T", &host, &fs);
    if (topFilesShown) m->maxTopFiles = topFilesShown;
    m->scanUseEverything = withEngine;
    m->search = withEngine ? &engine : nullptr;
    EXPECT_EQ(scanThreadMain(*m), 0u);
  }
  // A scan of another tree (no engine behind the setting), left to the caller.
  ModelPtr runOn(FakeDirLister& other, const std::u16string& target, bool useEverything = false) {
    ModelPtr o(new ScanModel());
    prepareTestModel(*o, target, &host, &other);
    o->scanUseEverything = useEverything;
    scanThreadMain(*o);
    return o;
  }
  std::u16string status() { return statusOf(*m); }
  std::u16string detail() { return detailOf(*m); }
};

TEST_F(Scan, CompletedWithoutEngineWalksEverythingAndSortsBySize) {
  run();
  EXPECT_EQ(m->scanRunning.load(), 0u);
  EXPECT_EQ(host.finished.load(), 1);
  // Largest first; a file with the link attribute is a normal file.
  EXPECT_EQ(rowsText(*m), "media:5000:1:1000 docs:600:3:1000 a.txt:100:0:0000 z.bin:1:0:0100 link:0:0:1100");
  EXPECT_EQ(m->totalSize, 5701u);
  EXPECT_EQ(m->filesCounted.load(), 6u);   // a.txt, z.bin, d1-d3, movie
  EXPECT_EQ(m->foldersCounted.load(), 3u); // docs, media, sub; not the link
  EXPECT_TRUE(textEquals(m->rows[1].fullPath, u"C:\\T\\docs"));
  ASSERT_EQ(m->fileListCount, 6);
  EXPECT_TRUE(textEquals(m->fileList[0].fullPath, u"C:\\T\\media\\movie"));
  EXPECT_EQ(m->visibleCount, 5);
  EXPECT_EQ(status(), u"(useEverything resolved to N - see config line above)");
  EXPECT_EQ(detail(),
            u"query=[] tot=0 num=0 | fromEverything=0 zeroFallback=0 noMatchFallback=0 accessDenied=0 "
            u"linkSkipped=1 | counts=n/a (no Everything sizes this scan) | timing: q1=0ms q2=0ms q3=0ms "
            u"manualWalk=0ms");

  // The top-files view is built from the file list, cut to the limit.
  run(false, 2);
  buildVisibleRows(*m, true);
  ASSERT_EQ(m->visibleCount, 2);
  EXPECT_EQ(m->visibleRows[0]->size, 5000u);
  EXPECT_EQ(m->visibleRows[1]->size, 300u);
}

TEST_F(Scan, RefusedChildFolderShowsZeroAndIsCounted) {
  fs.refuse(docs, kErrorAccessDenied);
  fs.refuse(media, kErrorPathNotFound);  // other errors are not reported
  run();
  EXPECT_EQ(rowsText(*m), "a.txt:100:0:0000 z.bin:1:0:0100 docs:0:0:1010 media:0:0:1000 link:0:0:1100");
  EXPECT_NE(detail().find(u"accessDenied=1 linkSkipped=1"), std::u16string::npos);
}

TEST_F(Scan, TargetNotListableLeavesNoArraysAndSaysWhy) {
  fs.refuse(FakeDirLister::kRoot, kErrorAccessDenied);
  run();
  EXPECT_EQ(m->targetAccessDenied.load(), 1u);
  EXPECT_EQ(m->rows, nullptr);
  EXPECT_EQ(m->rowCount + m->fileListCount + m->visibleCount, 0);
  EXPECT_EQ(host.finished.load(), 1);
  EXPECT_EQ(status(), u"(useEverything resolved to N - see config line above)");
  EXPECT_EQ(detail(), u"target=[C:\\T]  open FAILED: ACCESS DENIED (Win32 error 5)");

  FakeDirLister missing(u"C:\\Elsewhere");
  ModelPtr other = runOn(missing, u"C:\\T", true);
  EXPECT_EQ(other->targetAccessDenied.load(), 0u);
  EXPECT_EQ(statusOf(*other), u"Everything: (not queried - target path itself could not be opened, see detail line)");
  EXPECT_EQ(detailOf(*other), u"target=[C:\\T]  open FAILED: could not open path (Win32 error 3)");
}

TEST_F(Scan, EmptyTargetDriveRootAndManyChildren) {
  FakeDirLister empty(u"C:\\");
  ModelPtr e = runOn(empty, u"C:\\");
  EXPECT_EQ(e->rowCount + e->visibleCount, 0);
  EXPECT_NE(e->rows, nullptr);

  FakeDirLister root(u"C:\\");
  root.addFile(root.addFolder(FakeDirLister::kRoot, u"sub"), u"f", 2);
  ModelPtr r = runOn(root, u"C:\\");
  ASSERT_EQ(r->rowCount, 1);
  EXPECT_TRUE(textEquals(r->rows[0].fullPath, u"C:\\sub"));

  // Rows grow past their first block and the shown rows grow with them.
  FakeDirLister wide(u"W:\\");
  for (int i = 0; i < 1000; ++i) wide.addFile(FakeDirLister::kRoot, u"f" + textFromUtf8(std::to_string(i)), i);
  ModelPtr w = runOn(wide, u"W:\\");
  EXPECT_EQ(w->rowCount, 1000);
  EXPECT_EQ(w->visibleCount, 1000);
  EXPECT_EQ(w->rows[0].size, 999u);
  EXPECT_EQ(w->fileListCount, 50);
}

TEST_F(Scan, EngineAbsentOrNotLoadedOrFailingIsOnlyReported) {
  const struct {
    bool window, loaded;
    const char16_t* status;
  } rows[] = {{false, true, u"Everything: window=NOT FOUND db=n/a  batch query=FAILED (0 folders parsed)"},
              {true, false, u"Everything: window=found db=NOT LOADED  batch query=FAILED (0 folders parsed)"}};
  for (const auto& r : rows) {
    engine.window = r.window;
    engine.loaded = r.loaded;
    run(true);
    EXPECT_EQ(status(), r.status);
    EXPECT_EQ(m->rows[1].size, 600u);  // docs walked
  }
  // Loaded but the batch answer never comes: every folder walked, none a no-match.
  engine.window = engine.loaded = true;
  engine.folderOk = engine.topOk = false;
  run(true);
  EXPECT_EQ(status(), u"Everything: window=found db=loaded  batch query=FAILED (0 folders parsed)");
  EXPECT_NE(detail().find(u"noMatchFallback=0"), std::u16string::npos);
  EXPECT_EQ(m->topFilesFromEverything, 0u);
  EXPECT_EQ(m->fileListCount, 6);

  // The top files answer is empty: the file list stays empty, the walks still run.
  engine.topOk = true;
  host.repaints = 0;
  run(true);
  EXPECT_EQ(m->topFilesFromEverything, 1u);
  EXPECT_EQ(m->fileListCount, 0);
  EXPECT_EQ(m->rows[1].size, 600u);  // docs walked
  EXPECT_EQ(host.repaints.load(), 0);
}

TEST_F(Scan, EngineSizesMatchedFoldersAndWalksTheRest) {
  host.step = 3;
  engine.clock = &host;
  engine.tot = 40;
  engine.num = 2;
  engine.folders = {{u"DOCS", 12345}, {u"media", 0}};  // name match ignores case
  engine.topFiles = {{u"huge.iso", 900000}, {u"big.zip", 80000}};
  engine.cTot = engine.cNum = 3;
  engine.counts = {{u"docs", 3}};
  run(true);
  // media has size 0 in the table: walked.
  EXPECT_EQ(rowsText(*m), "docs:12345:3:1001 media:5000:1:1000 a.txt:100:0:0000 z.bin:1:0:0100 link:0:0:1100");
  // The engine's top files replace everything the walks would have added.
  EXPECT_EQ(m->topFilesFromEverything, 1u);
  ASSERT_EQ(m->fileListCount, 2);
  EXPECT_TRUE(textEquals(m->fileList[0].fullPath, u"E:\\huge.iso"));
  EXPECT_EQ(status(), u"Everything: window=found db=loaded  batch query=OK (2 folders parsed)");
  std::u16string dl = detail();
  EXPECT_EQ(dl.find(u"query=[folder:\"C:\\T\\*\"] tot=40 num=2 | fromEverything=1 zeroFallback=1 "
                    u"noMatchFallback=0 accessDenied=0 linkSkipped=1 | counts=OK 3/3 matched, 1 folders"),
            0u) << textToUtf8(dl.c_str());
  EXPECT_NE(dl.find(u"q1=10ms"), std::u16string::npos);  // 7 in the query + one clock step
}

TEST_F(Scan, FailedOrTruncatedCountsKeepEngineLabels) {
  const struct {
    bool ok, helper;
    uint32_t tot, num;
    const char16_t* text;
  } rows[] = {{false, true, 0, 0, u"counts=query FAILED - [Everything] labels kept"},
              {true, true, 10, 4, u"counts=truncated 4/10 - [Everything] labels kept"},
              {true, false, 3, 3, u"counts=query FAILED"}};  // the count helper cannot be made
  engine.folders = {{u"docs", 10}, {u"missing", 5}};
  engine.counts = {{u"docs", 3}};
  for (const auto& r : rows) {
    engine.countOk = r.ok;
    engine.helperOk[static_cast<int>(SearchHelper::FileCount)] = r.helper;
    engine.cTot = r.tot;
    engine.cNum = r.num;
    run(true);
    // media is walked: its own count.
    EXPECT_EQ(rowsText(*m), "media:5000:1:1000 a.txt:100:0:0000 docs:10:-1:1001 z.bin:1:0:0100 link:0:0:1100");
    std::u16string dl = detail();
    EXPECT_NE(dl.find(r.text), std::u16string::npos) << textToUtf8(dl.c_str());
    EXPECT_NE(dl.find(u"noMatchFallback=1"), std::u16string::npos);
  }
}

}  // namespace
