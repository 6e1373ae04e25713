// The walker over the in-memory tree: patterns, limits, links, refusals and
// cancellation at any depth.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "format/text.h"
#include "scan/walker.h"
#include "tests/support/fake_dir_lister.h"

namespace {

struct Walk : ::testing::Test {
  FakeScanHost host;
  FakeDirLister fs{u"C:\\T"};
  std::unique_ptr<ScanModel> m{new ScanModel()};
  int32_t files = 0;
  int a = fs.addFolder(FakeDirLister::kRoot, u"a");
  void SetUp() override {
    prepareTestModel(*m, u"C:\\T", &host, &fs);
    m->maxTopFiles = 1000;
  }
  void TearDown() override {
    releaseScanModel(*m);
    EXPECT_EQ(fs.openListings(), 0) << "a listing was left open";
  }
  // Walks from level `depth`, counting into `files` and resetting the model's counters first.
  uint64_t walk(const std::u16string& path, int32_t depth = 1, uint32_t* denied = nullptr) {
    files = 0;
    m->filesCounted.store(0);
    m->foldersCounted.store(0);
    return walkFolderSize(*m, path.c_str(), &files, depth, denied);
  }
  std::u16string keptPath(int i) {
    sortBySizeDescending(m->fileList, m->fileListCount);
    return i < m->fileListCount ? m->fileList[i].fullPath : u"(none)";
  }
};

TEST_F(Walk, PatternsUseLongFormThenPlainFallback) {
  DirEntry e;
  for (bool longRefused : {false, true}) {
    fs.refuseLongForm = longRefused;
    DirListing l = openFolderListing(fs, u"C:\\T", &e, nullptr);
    ASSERT_NE(l, nullptr) << longRefused;
    fs.close(l);
  }
  EXPECT_EQ(fs.patterns, (std::vector<std::u16string>{u"\\\\?\\C:\\T\\*", u"\\\\?\\C:\\T\\*", u"C:\\T\\*"}));
  // A drive root joins without a doubled backslash.
  FakeDirLister root(u"C:\\");
  DirListing l = openFolderListing(root, u"C:\\", &e, nullptr);
  ASSERT_NE(l, nullptr);
  root.close(l);
  EXPECT_EQ(root.patterns[0], u"\\\\?\\C:\\*");
  // Both fail: the error is the second attempt's.
  fs.refuse(FakeDirLister::kRoot, kErrorAccessDenied);
  uint32_t error = 0;
  EXPECT_EQ(openFolderListing(fs, u"C:\\T", &e, &error), nullptr);
  EXPECT_EQ(error, kErrorAccessDenied);
}

TEST_F(Walk, SumsFilesAtEveryDepthCountsThemAndBuildsTheirPaths) {
  fs.addFile(a, u"one", 10);
  int b = fs.addFolder(a, u"b");
  fs.addFiles(b, {{u"two", 20}, {u"big", uint64_t(5) << 32}});
  fs.addFolder(b, u"empty");
  EXPECT_EQ(walk(u"C:\\T\\a"), 30u + (uint64_t(5) << 32));
  EXPECT_EQ(files, 3);
  EXPECT_EQ(m->filesCounted.load(), 3u);
  EXPECT_EQ(m->foldersCounted.load(), 2u);  // b and empty; a itself is the caller's
  ASSERT_EQ(m->fileListCount, 3);
  EXPECT_EQ(keptPath(0), u"C:\\T\\a\\b\\big");
  EXPECT_EQ(keptPath(2), u"C:\\T\\a\\one");
}

// Name surrogates and unknown tags are links, neither counted nor followed; the
// cloud family, the older placeholders and deduplicated files are entries of this tree.
TEST_F(Walk, ReparseTagsDecideWhatIsWalked) {
  const struct {
    uint32_t tag;
    bool walked;
  } rows[] = {{0, false},          {kReparseTagSymlink, false}, {kReparseTagMountPoint, false},
              {0x9000001A, true},  {0x9000701A, true},          {0x9000F01A, true},
              {0x80000013, true},  {0x80000015, true},          {0xA000001A, false},
              {0x8000001B, false}, {0x9000001B, false}};
  uint64_t want = 0;
  int32_t wantFiles = 0;
  uint32_t wantFolders = 0;
  for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
    std::u16string n = textFromUtf8(std::to_string(i));
    int dir = fs.addFolder(a, u"d" + n);
    fs.setReparseTag(dir, rows[i].tag);
    fs.addFile(dir, u"in", uint64_t(1) << (2 * i));
    fs.setReparseTag(fs.addFile(a, u"f" + n, uint64_t(2) << (2 * i)), rows[i].tag);
    if (rows[i].walked) {
      want += uint64_t(3) << (2 * i);
      wantFiles += 2;
      ++wantFolders;
    }
  }
  EXPECT_EQ(walk(u"C:\\T\\a"), want);
  EXPECT_EQ(files, wantFiles);
  EXPECT_EQ(m->foldersCounted.load(), wantFolders);
}

TEST_F(Walk, DepthLimitCountsDeeperFoldersButAddsNothing) {
  fs.addFile(a, u"f1", 1);
  int b = fs.addFolder(a, u"b");
  fs.addFile(b, u"f2", 2);
  fs.addFile(fs.addFolder(b, u"c"), u"f3", 4);
  // {configured depth, start level, sum, folders counted}; values below 2 mean 1.
  const int32_t rows[][4] = {{-5, 1, 1, 1}, {0, 1, 1, 1}, {1, 1, 1, 1}, {2, 1, 3, 2}, {2, 3, 0, 0}};
  for (const auto& row : rows) {
    m->maxFolderDepth = row[0];
    EXPECT_EQ(walk(u"C:\\T\\a", row[1]), static_cast<uint64_t>(row[2])) << row[0] << " from " << row[1];
    EXPECT_EQ(m->foldersCounted.load(), static_cast<uint32_t>(row[3])) << row[0] << " from " << row[1];
  }
}

TEST_F(Walk, ThousandLevelsWalkWithoutRecursion) {
  m->maxFolderDepth = 5000;
  int node = a;
  std::u16string path = u"C:\\T\\a";
  for (int level = 2; level <= 1000; ++level, path += u"\\d") node = fs.addFolder(node, u"d");
  fs.addFile(node, u"leaf", 77);
  EXPECT_EQ(walk(u"C:\\T\\a"), 77u);
  EXPECT_EQ(m->foldersCounted.load(), 999u);
  EXPECT_EQ(keptPath(0), path + u"\\leaf");
}

TEST_F(Walk, PathLimitStopsOpeningBeyond2035Characters) {
  m->maxFolderDepth = 100;
  // C:\T\a (6) then 200-character names: the 11th level would pass 2035.
  std::u16string name(200, u'n'), path = u"C:\\T\\a";
  int node = a, levels = 0;
  for (; path.size() + 1 + name.size() <= 2300; ++levels, path += u"\\" + name) {
    node = fs.addFolder(node, name);
    fs.addFile(node, u"f", 1);
  }
  EXPECT_EQ(walk(u"C:\\T\\a"), static_cast<uint64_t>(levels - 1));  // the deepest is counted, not opened
  EXPECT_EQ(m->foldersCounted.load(), static_cast<uint32_t>(levels));
  // The limit itself, at the start and one level down: 2035 units are opened, 2036 are not.
  const std::u16string edge = u"C:\\T\\" + std::u16string(2028, u'm');  // 2033 units
  int top = fs.addFolder(FakeDirLister::kRoot, edge.substr(5));
  fs.addFile(fs.addFolder(top, u"x"), u"f", 1);
  fs.addFile(fs.addFolder(top, u"yz"), u"f", 2);
  EXPECT_EQ(walk(edge), 1u);
  EXPECT_EQ(walk(edge + u"\\x"), 1u);
  EXPECT_EQ(walk(edge + u"\\yz"), 0u);
}

TEST_F(Walk, RefusalReportedOnlyAtLevelOneAndOnlyForError5) {
  fs.addFile(a, u"f", 5);
  int locked = fs.addFolder(a, u"locked");
  fs.addFile(locked, u"secret", 100);
  fs.refuse(locked, kErrorAccessDenied);
  uint32_t denied = 0;
  EXPECT_EQ(walk(u"C:\\T\\a", 1, &denied), 5u);
  EXPECT_EQ(denied, 0u);  // a refusal below the first level is silent
  EXPECT_EQ(m->foldersCounted.load(), 1u);
  // {error on a, start level, flag afterwards}
  const uint32_t rows[][3] = {{kErrorPathNotFound, 1, 0}, {kErrorAccessDenied, 2, 0}, {kErrorAccessDenied, 1, 1}};
  for (const auto& row : rows) {
    fs.refuse(a, row[0]);
    EXPECT_EQ(walk(u"C:\\T\\a", static_cast<int32_t>(row[1]), &denied), 0u);
    EXPECT_EQ(denied, row[2]) << "error " << row[0] << " at level " << row[1];
  }
  EXPECT_EQ(walk(u"C:\\T\\a", 1, nullptr), 0u);  // no flag passed: no write
}

TEST_F(Walk, CancelAtAnyEntryUnwindsEveryLevelWithThePartialSum) {
  // Three levels, one file of size 1 at each position, so the partial sum is
  // the number of files met before the cancel.
  int node = a;
  for (int level = 0; level < 3; ++level) {
    fs.addFile(node, u"x", 1);
    int next = fs.addFolder(node, u"s");
    fs.addFile(node, u"y", 1);
    node = next;
  }
  fs.addFile(node, u"z", 1);
  for (int cancelAt = 1; cancelAt <= 18; ++cancelAt) {  // 18 entries in a full walk, dots included
    m->cancelScan.store(0);
    int seen = 0;
    fs.onEntry = [&] {
      if (++seen == cancelAt) m->cancelScan.store(1);
    };
    uint64_t sum = walk(u"C:\\T\\a");
    EXPECT_EQ(sum, static_cast<uint64_t>(files)) << cancelAt;
    EXPECT_EQ(m->filesCounted.load(), static_cast<uint32_t>(files)) << cancelAt;
    EXPECT_LT(files, 7);
    EXPECT_EQ(fs.openListings(), 0) << cancelAt;
  }
}

}  // namespace
