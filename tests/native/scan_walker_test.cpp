// The walker over the in-memory tree: which entries count, the depth and path
// limits, refusals and the long-form fallback. (A cancel at any entry is
// proven with several walkers in the parallel walk's test.)
#include <gtest/gtest.h>

#include "scan/walker.h"
#include "tests/support/fake_dir_lister.h"

namespace {

struct Walk : ::testing::Test {
  FakeDirLister fs{u"C:\\T"};
  int a = fs.addFolder(FakeDirLister::kRoot, u"a");
  std::unique_ptr<TestScan> s;
  // A fresh model's walk of `path` at `level`; the largest file kept ends up first.
  uint64_t walk(const std::u16string& path, int32_t level = 1, int32_t maxDepth = 15, uint32_t* denied = nullptr) {
    s.reset(new TestScan(u"C:\\T", &fs));
    s->m.maxFolderDepth = maxDepth;
    int32_t files = 0;  // as the walk counts them for its caller
    uint64_t sum = walkFolderSize(s->m, path.c_str(), &files, level, denied);
    EXPECT_EQ(fs.openListings(), 0) << "a listing was left open";
    EXPECT_EQ(s->m.filesCounted.load(), static_cast<uint32_t>(files));
    sortBySizeDescending(s->m.fileList, s->m.fileListCount);
    return sum;
  }
};

// Name surrogates and unknown tags are links; the cloud family, the older
// placeholders and deduplicated files are entries of this tree.
TEST(ReparseTag, OnlyStorageTagsAreLocal) {
  for (uint32_t tag : {0x9000001Au, 0x9000701Au, 0x9000F01Au, 0x80000013u, 0x80000015u})
    EXPECT_TRUE(reparseTagIsLocal(tag)) << std::hex << tag;
  for (uint32_t tag : {0u, kReparseTagSymlink, kReparseTagMountPoint, 0xA000001Au, 0x8000001Bu, 0x9000001Bu})
    EXPECT_FALSE(reparseTagIsLocal(tag)) << std::hex << tag;
}

TEST_F(Walk, SumsWhatTheLimitsLinksAndRefusalsLeave) {
  // a: f1 (1), a linked folder and a linked file (never counted), a cloud
  // file (2), b\ (4) with c\ (8) below, big (2^40), a folder that refuses
  // listing (counted, silent below the first level).
  fs.addFile(a, u"f1", 1);
  int link = fs.addFolder(a, u"lnk"), b = fs.addFolder(a, u"b");
  fs.addFile(link, u"x", 1 << 10);
  fs.setReparseTag(link, kReparseTagSymlink);
  fs.setReparseTag(fs.addFile(a, u"lf", 1 << 11), 0);
  fs.setReparseTag(fs.addFile(a, u"cf", 2), 0x9000301A);  // in the cloud: a file of this tree
  fs.addFile(b, u"f2", 4);
  fs.addFile(fs.addFolder(b, u"c"), u"f3", 8);
  const uint64_t big = uint64_t(1) << 40;
  fs.addFile(a, u"big", big);
  int locked = fs.addFolder(a, u"locked");
  fs.addFile(locked, u"s", 1 << 12);
  fs.refuse(locked, kErrorAccessDenied);
  // Deeper folders than the limit are counted and add nothing; limits below 2
  // mean 1. Only error 5 of a itself at level 1 is reported; when the long
  // form fails the plain path is listed, and its error is the one reported.
  const struct {
    int32_t maxDepth, level;
    uint32_t errorOfA;
    bool longFormFails;
    uint64_t sum;
    uint32_t folders, denied;
  } rows[] = {{15, 1, 0, false, big + 15, 3, 0}, {2, 1, 0, true, big + 7, 3, 0}, {1, 1, 0, false, big + 3, 2, 0},
              {-5, 1, 0, false, big + 3, 2, 0}, {3, 3, 0, false, big + 3, 2, 0}, {2, 3, 0, false, 0, 0, 0},
              {15, 1, kErrorPathNotFound, false, 0, 0, 0}, {15, 2, kErrorAccessDenied, false, 0, 0, 0},
              {15, 1, kErrorAccessDenied, true, 0, 0, 1}};
  for (const auto& r : rows) {
    SCOPED_TRACE("row " + std::to_string(&r - rows));
    fs.refuse(a, r.errorOfA);
    fs.refuseLongForm = r.longFormFails;
    uint32_t denied = 0;
    EXPECT_EQ(walk(u"C:\\T\\a", r.level, r.maxDepth, &denied), r.sum);
    EXPECT_EQ(s->m.foldersCounted.load(), r.folders);
    EXPECT_EQ(denied, r.denied);
  }
  EXPECT_EQ(walk(u"C:\\T\\a", 1, 15, nullptr), 0u);  // no flag to set
  fs.refuse(a, 0);
  walk(u"C:\\T\\a");
  ASSERT_EQ(s->m.fileListCount, 5);  // a kept file is named and counts no files of its own
  EXPECT_EQ(textToUtf8(s->m.fileList[0].fullPath) + " " + textToUtf8(s->m.fileList[0].name) + " " +
                std::to_string(s->m.fileList[0].fileCount) + " " + textToUtf8(s->m.fileList[1].fullPath),
            "C:\\T\\a\\big big 0 C:\\T\\a\\b\\c\\f3");
}

// A chain of more than a thousand folders is walked without recursion up to
// the path limit: a folder path of 2035 units is opened, one of 2037 is not,
// whether met in the walk or given to it; a kept path is cut to its record.
TEST_F(Walk, DeepChainsStopOnlyAtThePathLimit) {
  std::u16string path = u"C:\\T\\ab";  // 7 units at level 1, 2 more per level
  for (int level = 1, node = fs.addFolder(FakeDirLister::kRoot, u"ab"); level <= 1020; ++level, path += u"\\d") {
    fs.addFile(node, level == 1015 ? std::u16string(259, u'n') : u"f", level == 1015 ? 2 : 1);
    node = fs.addFolder(node, u"d");
  }
  EXPECT_EQ(walk(u"C:\\T\\ab", 1, 5000), 1016u);
  EXPECT_EQ(s->m.foldersCounted.load(), 1015u);
  EXPECT_EQ(textLength(s->m.fileList[0].fullPath), 2047u);
  EXPECT_EQ(walk(path.substr(0, 2035), 1015, 5000), 2u);
  EXPECT_EQ(walk(path.substr(0, 2037), 1016, 5000), 0u);
}

}  // namespace
