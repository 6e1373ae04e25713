// The walker over the in-memory tree: patterns, limits, links, refusals and
// cancellation at any depth.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "format/text.h"
#include "scan/walker.h"
#include "tests/support/fake_dir_lister.h"

namespace {

struct Walk : ::testing::Test {
  FakeScanHost host;
  FakeDirLister fs{u"C:\\T"};
  std::unique_ptr<ScanModel> m{new ScanModel()};
  void SetUp() override {
    prepareTestModel(*m, u"C:\\T", &host, &fs);
    m->maxTopFiles = 1000;
  }
  void TearDown() override {
    releaseScanModel(*m);
    EXPECT_EQ(fs.openListings(), 0) << "a listing was left open";
  }
  uint64_t walk(const std::u16string& path, int32_t* files = nullptr, int32_t depth = 1,
                uint32_t* denied = nullptr) {
    return walkFolderSize(*m, path.c_str(), files, depth, denied);
  }
};

TEST_F(Walk, PatternsUseLongFormThenPlainFallback) {
  DirEntry e;
  DirListing l = openFolderListing(fs, u"C:\\T", &e);
  ASSERT_NE(l, nullptr);
  fs.close(l);
  EXPECT_EQ(fs.patterns.back(), u"\\\\?\\C:\\T\\*");

  FakeDirLister root(u"C:\\");
  l = openFolderListing(root, u"C:\\", &e);
  ASSERT_NE(l, nullptr);
  root.close(l);
  EXPECT_EQ(root.patterns.back(), u"\\\\?\\C:\\*");

  FakeDirLister unc(u"\\\\server\\share\\dir");
  l = openFolderListing(unc, u"\\\\server\\share\\dir", &e);
  ASSERT_NE(l, nullptr);
  unc.close(l);
  EXPECT_EQ(unc.patterns.back(), u"\\\\?\\UNC\\server\\share\\dir\\*");

  FakeDirLister prefixed(u"D:\\x");
  l = openFolderListing(prefixed, u"\\\\?\\D:\\x", &e);
  ASSERT_NE(l, nullptr);
  prefixed.close(l);
  EXPECT_EQ(prefixed.patterns.back(), u"\\\\?\\D:\\x\\*");

  fs.patterns.clear();
  fs.refuseLongForm = true;
  l = openFolderListing(fs, u"C:\\T", &e);
  ASSERT_NE(l, nullptr);
  fs.close(l);
  ASSERT_EQ(fs.patterns.size(), 2u);
  EXPECT_EQ(fs.patterns[1], u"C:\\T\\*");

  // Both fail: the error is the second attempt's.
  fs.patterns.clear();
  fs.refuse(FakeDirLister::kRoot, kErrorAccessDenied);
  EXPECT_EQ(openFolderListing(fs, u"C:\\T", &e), nullptr);
  EXPECT_EQ(fs.lastError(), kErrorAccessDenied);
  EXPECT_EQ(fs.patterns.size(), 2u);
}

TEST_F(Walk, SumsFilesAtEveryDepthCountsThemAndBuildsTheirPaths) {
  int a = fs.addFolder(FakeDirLister::kRoot, u"a");
  fs.addFile(a, u"one", 10);
  int b = fs.addFolder(a, u"b");
  fs.addFile(b, u"two", 20);
  fs.addFile(b, u"big", uint64_t(5) << 32);
  fs.addFolder(b, u"empty");
  int32_t files = 0;
  EXPECT_EQ(walk(u"C:\\T\\a", &files), 30u + (uint64_t(5) << 32));
  EXPECT_EQ(files, 3);
  EXPECT_EQ(m->filesCounted.load(), 3u);
  EXPECT_EQ(m->foldersCounted.load(), 2u);  // b and empty; a itself is the caller's
  ASSERT_EQ(m->fileListCount, 3);
  sortBySizeDescending(m->fileList, m->fileListCount);
  EXPECT_TRUE(textEquals(m->fileList[0].fullPath, u"C:\\T\\a\\b\\big"));
  EXPECT_TRUE(textEquals(m->fileList[2].fullPath, u"C:\\T\\a\\one"));
}

TEST_F(Walk, DriveRootJoinsWithoutDoubledBackslash) {
  FakeDirLister root(u"C:\\");
  m->lister = &root;
  int sub = root.addFolder(FakeDirLister::kRoot, u"sub");
  root.addFile(sub, u"f", 3);
  root.addFile(FakeDirLister::kRoot, u"g", 4);
  EXPECT_EQ(walk(u"C:\\"), 7u);
  sortBySizeDescending(m->fileList, m->fileListCount);
  EXPECT_TRUE(textEquals(m->fileList[0].fullPath, u"C:\\g"));
  EXPECT_TRUE(textEquals(m->fileList[1].fullPath, u"C:\\sub\\f"));
  EXPECT_EQ(root.patterns[1], u"\\\\?\\C:\\sub\\*");
}

TEST_F(Walk, LinksAreNeitherCountedNorFollowed) {
  int a = fs.addFolder(FakeDirLister::kRoot, u"a");
  int link = fs.addFolder(a, u"junction", kAttrReparsePoint);
  fs.addFile(link, u"inside", 1000);
  fs.addFile(a, u"symlinked-file", 500, kAttrReparsePoint);
  fs.addFile(a, u"plain", 1);
  int32_t files = 0;
  EXPECT_EQ(walk(u"C:\\T\\a", &files), 1u);
  EXPECT_EQ(files, 1);
  EXPECT_EQ(m->foldersCounted.load(), 0u);
  EXPECT_EQ(m->filesCounted.load(), 1u);
  for (const auto& p : fs.patterns) EXPECT_EQ(p.find(u"junction"), std::u16string::npos);
}

TEST_F(Walk, DepthLimitCountsDeeperFoldersButAddsNothing) {
  int a = fs.addFolder(FakeDirLister::kRoot, u"a");
  fs.addFile(a, u"f1", 1);
  int b = fs.addFolder(a, u"b");
  fs.addFile(b, u"f2", 2);
  int c = fs.addFolder(b, u"c");
  fs.addFile(c, u"f3", 4);
  for (int32_t configured : {-5, 0, 1}) {  // values below 2 mean 1
    m->maxFolderDepth = configured;
    m->foldersCounted.store(0);
    EXPECT_EQ(walk(u"C:\\T\\a"), 1u) << configured;
    EXPECT_EQ(m->foldersCounted.load(), 1u);
  }
  m->maxFolderDepth = 2;
  m->foldersCounted.store(0);
  EXPECT_EQ(walk(u"C:\\T\\a"), 3u);
  EXPECT_EQ(m->foldersCounted.load(), 2u);
  EXPECT_EQ(walk(u"C:\\T\\a", nullptr, 3), 0u);  // the start itself too deep
}

TEST_F(Walk, ThousandLevelsWalkWithoutRecursion) {
  m->maxFolderDepth = 5000;
  int node = fs.addFolder(FakeDirLister::kRoot, u"d");
  std::u16string path = u"C:\\T\\d";
  for (int level = 2; level <= 1000; ++level) {
    node = fs.addFolder(node, u"d");
    path += u"\\d";
  }
  fs.addFile(node, u"leaf", 77);
  int32_t files = 0;
  EXPECT_EQ(walk(u"C:\\T\\d", &files), 77u);
  EXPECT_EQ(files, 1);
  EXPECT_EQ(m->foldersCounted.load(), 999u);
  ASSERT_EQ(m->fileListCount, 1);
  EXPECT_EQ(std::u16string(m->fileList[0].fullPath), path + u"\\leaf");
}

TEST_F(Walk, PathLimitStopsOpeningBeyond2035Characters) {
  m->maxFolderDepth = 100;
  // C:\T\a (6) then 200-character names: the 11th level would pass 2035.
  std::u16string name(200, u'n');
  int node = fs.addFolder(FakeDirLister::kRoot, u"a");
  std::u16string path = u"C:\\T\\a";
  int levels = 0;
  while (path.size() + 1 + name.size() <= 2300) {
    node = fs.addFolder(node, name);
    path += u"\\" + name;
    fs.addFile(node, u"f", 1);
    ++levels;
  }
  ASSERT_GT(path.size(), 2035u);
  int32_t files = 0;
  uint64_t sum = walk(u"C:\\T\\a", &files);
  size_t opened = 0;
  for (const auto& p : fs.patterns) opened = std::max(opened, p.size() - 6);  // minus \\?\ and \*
  EXPECT_LE(opened, 2035u);
  EXPECT_EQ(sum, static_cast<uint64_t>(files));
  EXPECT_EQ(files, levels - 1);  // the deepest folder is counted but not opened
  EXPECT_EQ(m->foldersCounted.load(), static_cast<uint32_t>(levels));
  EXPECT_EQ(walk(path), 0u);  // a start beyond the limit gives 0 at once
}

TEST_F(Walk, RefusalReportedOnlyAtLevelOneAndOnlyForError5) {
  int a = fs.addFolder(FakeDirLister::kRoot, u"a");
  fs.addFile(a, u"f", 5);
  int locked = fs.addFolder(a, u"locked");
  fs.addFile(locked, u"secret", 100);
  fs.refuse(locked, kErrorAccessDenied);
  uint32_t denied = 0;
  EXPECT_EQ(walk(u"C:\\T\\a", nullptr, 1, &denied), 5u);
  EXPECT_EQ(denied, 0u);  // a refusal below the first level is silent
  EXPECT_EQ(m->foldersCounted.load(), 1u);

  fs.refuse(a, kErrorPathNotFound);
  EXPECT_EQ(walk(u"C:\\T\\a", nullptr, 1, &denied), 0u);
  EXPECT_EQ(denied, 0u);
  fs.refuse(a, kErrorAccessDenied);
  EXPECT_EQ(walk(u"C:\\T\\a", nullptr, 2, &denied), 0u);
  EXPECT_EQ(denied, 0u);
  EXPECT_EQ(walk(u"C:\\T\\a", nullptr, 1, &denied), 0u);
  EXPECT_EQ(denied, 1u);
  EXPECT_EQ(walk(u"C:\\T\\a", nullptr, 1, nullptr), 0u);  // no flag passed: no write
}

TEST_F(Walk, CancelAtAnyEntryUnwindsEveryLevelWithThePartialSum) {
  // Three levels, one file of size 1 at each position, so the partial sum is
  // the number of files met before the cancel.
  int a = fs.addFolder(FakeDirLister::kRoot, u"a");
  int node = a;
  for (int level = 0; level < 3; ++level) {
    fs.addFile(node, u"x", 1);
    int next = fs.addFolder(node, u"s");
    fs.addFile(node, u"y", 1);
    node = next;
  }
  fs.addFile(node, u"z", 1);
  const int total = 18;  // entries delivered in a full walk, dots included
  for (int cancelAt = 1; cancelAt <= total; ++cancelAt) {
    m->cancelScan.store(0);
    m->filesCounted.store(0);
    int seen = 0;
    fs.onEntry = [&] {
      if (++seen == cancelAt) m->cancelScan.store(1);
    };
    int32_t files = 0;
    uint64_t sum = walk(u"C:\\T\\a", &files);
    EXPECT_EQ(sum, static_cast<uint64_t>(files)) << cancelAt;
    EXPECT_EQ(m->filesCounted.load(), static_cast<uint32_t>(files));
    EXPECT_LT(files, 7);
    EXPECT_EQ(fs.openListings(), 0) << cancelAt;
  }
  fs.onEntry = nullptr;
  m->cancelScan.store(1);
  EXPECT_EQ(walk(u"C:\\T\\a"), 0u);
}

}  // namespace
