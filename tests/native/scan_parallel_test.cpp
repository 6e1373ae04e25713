// The parallel walk against the one-thread walk over random in-memory trees
// (refusals, links, cloud entries, depth limits, one child holding most of the
// tree): the same rows, counters and largest files with any number of
// walkers; a cancel at any point stops every walker and leaves a total and
// counters that agree with the rows.
#include <gtest/gtest.h>

#include <random>

#include "scan/scan_driver.h"
#include "scan/walk_pool.h"
#include "tests/support/fake_dir_lister.h"

namespace {

// A random tree below `parent`: the target gets 3 to 8 children, the second
// four times as broad as the others; every file's size is unique, so the
// largest files are one set whatever the order they are met in.
void grow(FakeDirLister& fs, std::mt19937& rng, int parent, int depth, int breadth) {
  static uint64_t serial = 0;
  for (int i = 0, n = static_cast<int>(rng() % 6) * breadth; i < n; ++i) {
    int file = fs.addFile(parent, u"f" + textFromUtf8(std::to_string(i)), (rng() % 5000) << 22 | ++serial);
    if (rng() % 10 == 0) fs.setReparseTag(file, rng() % 2 ? 0x9000001A : kReparseTagSymlink);
  }
  int folders = depth == 0 ? 3 + rng() % 6 : depth >= 5 ? 0 : rng() % 4 * breadth + (depth == 1);
  for (int i = 0; i < folders; ++i) {
    int dir = fs.addFolder(parent, u"d" + textFromUtf8(std::to_string(i)));
    uint32_t kind = rng() % 25;
    if (kind == 0) fs.refuse(dir, rng() % 2 ? kErrorAccessDenied : kErrorPathNotFound);
    if (kind == 1 || kind == 2) fs.setReparseTag(dir, kind == 1 ? kReparseTagMountPoint : 0x9000301A);
    grow(fs, rng, dir, depth + 1, depth == 0 && i == 1 ? 4 : depth < 3 ? breadth : 1);
  }
}

// What the view reads of a scan, the repaints asked for and every kept file.
std::string scan(FakeDirLister& fs, int32_t walkers, int32_t maxDepth, int32_t topFiles) {
  TestScan s(u"C:\\T", &fs);
  s.m.scanThreads = walkers;
  s.m.maxFolderDepth = maxDepth;
  s.m.maxTopFiles = topFiles;
  scanThreadMain(s.m);
  EXPECT_EQ(s.host.workersStarted.load(), walkers - 1);
  std::string out = scanText(s.m) + ", " + std::to_string(s.host.repaints.load()) + " repaints:";
  for (int i = 0; i < s.m.fileListCount; ++i) out += " " + textToUtf8(s.m.fileList[i].fullPath);
  return out;
}

TEST(ParallelWalk, GivesTheOneThreadResultsAndStopsWholeOnCancel) {
  std::mt19937 rng(5);
  for (int seed = 1; seed <= 24; ++seed) {
    FakeDirLister fs(u"C:\\T");
    grow(fs, rng, FakeDirLister::kRoot, 0, 1);
    const int32_t depth = seed % 4 == 1 ? 3 : 15, top = seed % 2 ? 7 : 40;
    const std::string one = scan(fs, 1, depth, top);
    for (int32_t walkers : {2, 16}) EXPECT_EQ(scan(fs, walkers, depth, top), one) << seed << ", " << walkers;

    TestScan s(u"C:\\T", &fs);  // cancelled at a random entry
    s.m.scanThreads = 4;
    std::atomic<int> seen{0};
    const int cancelAt = 1 + static_cast<int>(rng() % 200);
    fs.onEntry = [&] {
      if (++seen == cancelAt) s.m.cancelScan.store(1);
    };
    scanThreadMain(s.m);
    uint64_t sizes = 0, files = 0;
    for (int i = 0; i < s.m.rowCount; ++i) {
      sizes += s.m.rows[i].size;
      files += s.m.rows[i].isFolder ? static_cast<uint64_t>(s.m.rows[i].fileCount) : 1;
    }
    SCOPED_TRACE("seed " + std::to_string(seed) + ", cancelled at entry " + std::to_string(cancelAt));
    EXPECT_EQ(fs.openListings(), 0);  // every walker of every scan closed what it opened
    EXPECT_EQ(s.m.visibleCount, seen.load() < cancelAt ? s.m.rowCount : 0);
    EXPECT_EQ(s.m.totalSize, sizes);
    EXPECT_EQ(s.m.filesCounted.load(), files);
  }
}

// The setting gives the walkers (at most 16); 0 gives one per processor, at most 4.
TEST(ParallelWalk, WalkerCountFromTheSettingAndTheProcessors) {
  const int32_t rows[][3] = {{0, 2, 2}, {0, 8, 4}, {0, 0, 1}, {1, 8, 1}, {3, 1, 3}, {16, 2, 16}, {40, 2, 16}};
  for (const auto& r : rows) EXPECT_EQ(resolveWalkerCount(r[0], r[1]), r[2]) << r[0] << " " << r[1];
}

}  // namespace
