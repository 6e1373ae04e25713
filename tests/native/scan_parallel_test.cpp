// The parallel walk against the one-thread walk over the in-memory tree:
// random trees (refusals, links, cloud entries, depth limits, a child holding
// most of the tree) give the very same rows, counters, lines and largest
// files with any number of walkers; a cancel at any point stops every walker
// and leaves sums that agree with the counters.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "format/text.h"
#include "scan/scan_driver.h"
#include "scan/walk_pool.h"
#include "tests/support/fake_dir_lister.h"

namespace {

// A random tree below C:\T, with every file's path and size on the side.
struct RandomTree {
  FakeDirLister fs{u"C:\\T"};
  std::map<std::u16string, uint64_t> fileSize;
  std::mt19937 rng;
  bool unitSizes;
  RandomTree(unsigned seed, bool skewed, bool unitSizes_ = false) : rng(seed), unitSizes(unitSizes_) {
    // Child folders c0, c1, ... (c1 holds most of a skewed tree) and the
    // target's own files and folders.
    int children = 3 + static_cast<int>(rng() % 6);
    for (int c = 0; c < children; ++c) {
      std::u16string name = u"c" + textFromUtf8(std::to_string(c));
      grow(fs.addFolder(FakeDirLister::kRoot, name), u"C:\\T\\" + name, 1, skewed && c == 1 ? 4 : 1);
    }
    grow(FakeDirLister::kRoot, u"C:\\T", 0, 1);
  }
  void grow(int parent, const std::u16string& path, int depth, int breadth) {
    for (int i = 0, n = static_cast<int>(rng() % 6) * breadth; i < n; ++i) {
      std::u16string name = u"f" + textFromUtf8(std::to_string(depth) + "_" + std::to_string(i));
      uint64_t size = unitSizes ? 1 : (rng() % 4 == 0 ? uint64_t(rng() % 50) << 32 : rng() % 100000);
      int file = fs.addFile(parent, name, size);
      uint32_t kind = rng() % 20;
      if (kind == 0) fs.setReparseTag(file, 0x9000001A);       // cloud: a file of this tree
      if (kind == 1 && !unitSizes) fs.setReparseTag(file, kReparseTagSymlink);
      // A linked file is skipped inside a walk; among the target's own files it is a row.
      if (kind != 1 || unitSizes || depth == 0) fileSize[path + u"\\" + name] = size;
    }
    if (depth >= 5) return;
    for (int i = 0, n = static_cast<int>(rng() % 4) * breadth + (depth <= 1); i < n; ++i) {
      std::u16string name = u"d" + textFromUtf8(std::to_string(depth) + "_" + std::to_string(i));
      int dir = fs.addFolder(parent, name);
      uint32_t kind = rng() % 25;
      if (!unitSizes && kind == 0) fs.refuse(dir, rng() % 2 ? kErrorAccessDenied : kErrorPathNotFound);
      if (!unitSizes && kind == 1) fs.setReparseTag(dir, kReparseTagMountPoint);
      if (kind == 2) fs.setReparseTag(dir, 0x9000301A);
      grow(dir, path + u"\\" + name, depth + 1, depth < 3 ? breadth : 1);
    }
  }
};

struct ModelDeleter {
  void operator()(ScanModel* m) const {
    releaseScanModel(*m);
    delete m;
  }
};
using ModelPtr = std::unique_ptr<ScanModel, ModelDeleter>;

ModelPtr scan(FakeDirLister& fs, FakeScanHost& host, int32_t threads, int32_t maxDepth, int32_t topFiles) {
  ModelPtr m(new ScanModel());
  prepareTestModel(*m, u"C:\\T", &host, &fs);
  m->scanThreads = threads;
  m->maxFolderDepth = maxDepth;
  m->maxTopFiles = topFiles;
  scanThreadMain(*m);
  return m;
}

// Rows in their final order with every field the view reads, the counters and the lines.
std::string summary(ScanModel& m) {
  std::string out;
  for (int i = 0; i < m.rowCount; ++i) {
    const ScanItem& r = m.rows[i];
    out += textToUtf8(r.name) + ":" + std::to_string(r.size) + ":" + std::to_string(r.fileCount) + ":" +
           std::to_string(r.isFolder) + std::to_string(r.isLink) + std::to_string(r.accessDenied) + " ";
  }
  char16_t status[kStatusLineUnits], detail[kDetailLineUnits];
  readScanLines(m, status, kStatusLineUnits, detail, kDetailLineUnits);
  return out + "| files " + std::to_string(m.filesCounted.load()) + " folders " +
         std::to_string(m.foldersCounted.load()) + " total " + std::to_string(m.totalSize) + " | " +
         textToUtf8(detail);
}

TEST(ParallelWalk, GivesTheOneThreadResultsOnRandomTrees) {
  for (unsigned seed = 1; seed <= 24; ++seed) {
    RandomTree t(seed, seed % 3 == 0);
    const int32_t depth = seed % 4 == 1 ? 3 : 15;
    const int32_t top = seed % 2 ? 7 : 40;
    FakeScanHost host;
    ModelPtr one = scan(t.fs, host, 1, depth, top);
    EXPECT_EQ(host.workersStarted.load(), 0);
    for (int32_t threads : {2, 4, 16}) {
      SCOPED_TRACE("seed " + std::to_string(seed) + ", " + std::to_string(threads) + " walkers");
      FakeScanHost poolHost;
      ModelPtr many = scan(t.fs, poolHost, threads, depth, top);
      EXPECT_EQ(poolHost.workersStarted.load(), threads - 1);
      EXPECT_EQ(poolHost.finished.load(), 1);
      EXPECT_EQ(summary(*many), summary(*one));
      EXPECT_EQ(t.fs.openListings(), 0);
      // The same largest sizes, each at a path that has it.
      ASSERT_EQ(many->fileListCount, one->fileListCount);
      for (int i = 0; i < many->fileListCount; ++i) {
        EXPECT_EQ(many->fileList[i].size, one->fileList[i].size) << i;
        auto it = t.fileSize.find(many->fileList[i].fullPath);
        ASSERT_NE(it, t.fileSize.end()) << textToUtf8(many->fileList[i].fullPath);
        EXPECT_EQ(it->second, many->fileList[i].size);
      }
      // The repaint cadence follows the files met.
      EXPECT_EQ(poolHost.repaints.load(), host.repaints.load());
    }
  }
}

TEST(ParallelWalk, CancelAnywhereStopsEveryWalkerWithConsistentSums) {
  RandomTree t(99, true, /*unitSizes*/ true);  // every file is 1 byte: sums are file counts
  const int total = static_cast<int>(t.fileSize.size());
  std::mt19937 rng(5);
  for (int round = 0; round < 40; ++round) {
    FakeScanHost host;
    ModelPtr m(new ScanModel());
    prepareTestModel(*m, u"C:\\T", &host, &t.fs);
    m->scanThreads = 4;
    std::atomic<int> seen{0};
    const int cancelAt = 1 + static_cast<int>(rng() % static_cast<unsigned>(total + 40));
    ScanModel* model = m.get();
    t.fs.onEntry = [&seen, cancelAt, model] {
      if (seen.fetch_add(1) + 1 == cancelAt) model->cancelScan.store(1);
    };
    scanThreadMain(*m);
    t.fs.onEntry = nullptr;
    SCOPED_TRACE(cancelAt);
    EXPECT_EQ(host.finished.load(), 1);
    EXPECT_TRUE(host.workers.empty());
    EXPECT_EQ(t.fs.openListings(), 0);  // every walker closed what it opened
    EXPECT_EQ(m->cancelScan.load(), 1u);
    EXPECT_EQ(m->visibleCount, 0);
    uint64_t sizes = 0, rowFiles = 0, childFiles = 0;
    for (int i = 0; i < m->rowCount; ++i) {
      sizes += m->rows[i].size;
      if (m->rows[i].isFolder) rowFiles += static_cast<uint64_t>(m->rows[i].fileCount);
      else ++childFiles;
    }
    EXPECT_EQ(sizes, m->totalSize);
    EXPECT_EQ(sizes, rowFiles + childFiles);
    EXPECT_EQ(m->filesCounted.load(), rowFiles + childFiles);
    EXPECT_LE(sizes, static_cast<uint64_t>(total));
  }
}

TEST(ParallelWalk, WalkerCountFromTheSettingAndTheProcessors) {
  const struct {
    int32_t setting, processors, want;
  } rows[] = {{0, 1, 1}, {0, 2, 2}, {0, 8, 4}, {0, 0, 1}, {1, 8, 1}, {3, 1, 3}, {16, 2, 16}, {40, 2, 16}};
  for (const auto& r : rows)
    EXPECT_EQ(resolveWalkerCount(r.setting, r.processors), r.want) << r.setting << " " << r.processors;
}

}  // namespace
