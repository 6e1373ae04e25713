// The file list keeps only the largest files met; what the panel shows from it
// must be what a full list sorted by size would show.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "format/text.h"
#include "format/visible_rows.h"
#include "scan/scan_model.h"
#include "scan/scan_progress.h"
#include "tests/support/fake_dir_lister.h"

namespace {

struct ModelDeleter {
  void operator()(ScanModel* m) const {
    releaseScanModel(*m);
    delete m;
  }
};
using ModelPtr = std::unique_ptr<ScanModel, ModelDeleter>;

ModelPtr newModel(ScanHost* host, int maxTopFiles) {
  ModelPtr m(new ScanModel());
  initScanModel(*m);
  m->host = host;
  m->maxTopFiles = maxTopFiles;
  return m;
}

// Offers a file the way the walker does: counted first, then appended.
void offer(ScanModel& m, const std::u16string& name, uint64_t size) {
  bumpCounter(m.filesCounted);
  std::u16string path = u"C:\\T\\" + name;
  appendFileRecord(m, name.c_str(), path.c_str(), size);
}

std::vector<uint64_t> sortedSizes(ScanModel& m) {
  sortBySizeDescending(m.fileList, m.fileListCount);
  std::vector<uint64_t> out;
  for (int i = 0; i < m.fileListCount; ++i) out.push_back(m.fileList[i].size);
  return out;
}

TEST(ScanModelFileList, KeepsExactlyTheLargestFilesInSizeOrder) {
  FakeScanHost host;
  for (int limit : {1, 7, 50, 300, 600}) {
    auto m = newModel(&host, limit);
    std::mt19937_64 rng(limit);
    std::vector<uint64_t> all;
    for (int i = 0; i < 5000; ++i) {
      uint64_t size = rng() % 100000;  // many ties on purpose
      all.push_back(size);
      offer(*m, u"f" + textFromUtf8(std::to_string(i)), size);
    }
    std::sort(all.rbegin(), all.rend());
    all.resize(std::min<size_t>(all.size(), static_cast<size_t>(limit)));
    EXPECT_EQ(sortedSizes(*m), all) << "limit " << limit;
    EXPECT_LE(m->fileListCapacity, std::max(limit, kInitialFileListCapacity));
    EXPECT_EQ(m->cancelScan.load(), 0u);
  }
}

TEST(ScanModelFileList, RecordsCarryNamePathAndSizeOfTheKeptFile) {
  FakeScanHost host;
  auto m = newModel(&host, 2);
  offer(*m, u"small", 1);
  offer(*m, u"big", 900);
  offer(*m, u"mid", 50);
  offer(*m, u"tiny", 0);
  sortedSizes(*m);
  ASSERT_EQ(m->fileListCount, 2);
  EXPECT_TRUE(textEquals(m->fileList[0].name, u"big"));
  EXPECT_TRUE(textEquals(m->fileList[0].fullPath, u"C:\\T\\big"));
  EXPECT_TRUE(textEquals(m->fileList[1].name, u"mid"));
  EXPECT_EQ(m->fileList[1].isFolder, 0u);
  EXPECT_EQ(m->fileList[1].fileCount, 0);
}

TEST(ScanModelFileList, WalkerFormJoinsFolderAndNameOnlyForKeptFiles) {
  FakeScanHost host;
  auto m = newModel(&host, 5);
  const char16_t* folder = u"C:\\T\\sub\\ignored-tail";
  bumpCounter(m->filesCounted);
  appendFileRecordIn(*m, u"a.txt", folder, 8, 10);  // folder is "C:\T\sub"
  bumpCounter(m->filesCounted);
  appendFileRecordIn(*m, u"b.txt", u"C:\\", 3, 5);  // a root: no doubled backslash
  sortedSizes(*m);
  EXPECT_TRUE(textEquals(m->fileList[0].fullPath, u"C:\\T\\sub\\a.txt"));
  EXPECT_TRUE(textEquals(m->fileList[1].fullPath, u"C:\\b.txt"));
}

TEST(ScanModelFileList, OverlongNameAndPathAreCutAndTerminated) {
  FakeScanHost host;
  auto m = newModel(&host, 5);
  std::u16string name(400, u'n');
  std::u16string path(3000, u'p');
  bumpCounter(m->filesCounted);
  appendFileRecord(*m, name.c_str(), path.c_str(), 1);
  ASSERT_EQ(m->fileListCount, 1);
  EXPECT_EQ(textLength(m->fileList[0].name), 259u);
  EXPECT_EQ(textLength(m->fileList[0].fullPath), 2047u);
  // The walker's join is cut the same way.
  bumpCounter(m->filesCounted);
  appendFileRecordIn(*m, name.c_str(), path.c_str(), 2040, 2);
  sortedSizes(*m);
  EXPECT_EQ(textLength(m->fileList[0].fullPath), 2047u);
  EXPECT_EQ(m->fileList[0].fullPath[2040], u'\\');
}

TEST(ScanModelFileList, RepaintsEvery250FilesMetEvenWhenNotKept) {
  FakeScanHost host;
  auto m = newModel(&host, 3);
  for (int i = 0; i < 1000; ++i) offer(*m, u"f", 1);  // nearly all dropped as too small
  EXPECT_EQ(host.repaints.load(), 4);
  EXPECT_EQ(m->fileListCount, 3);
}

TEST(ScanModelFileList, NothingAddedNorRepaintedOnceCancelledOrMerged) {
  FakeScanHost host;
  auto m = newModel(&host, 10);
  m->topFilesFromEverything = 1;
  for (int i = 0; i < 500; ++i) offer(*m, u"f", 100);
  EXPECT_EQ(m->fileListCount, 0);
  EXPECT_EQ(host.repaints.load(), 0);
  m->topFilesFromEverything = 0;
  m->cancelScan.store(1);
  for (int i = 0; i < 500; ++i) offer(*m, u"f", 100);
  EXPECT_EQ(m->fileListCount, 0);
  EXPECT_EQ(host.repaints.load(), 0);
}

TEST(ScanModelFileList, NoLimitKeepsNothingButStillRepaints) {
  FakeScanHost host;
  for (int limit : {0, -3}) {
    auto m = newModel(&host, limit);
    host.repaints = 0;
    for (int i = 0; i < 250; ++i) offer(*m, u"f", 7);
    EXPECT_EQ(m->fileListCount, 0);
    EXPECT_EQ(host.repaints.load(), 1);
  }
}

TEST(ScanModelSort, ComparatorAndInPlaceSortOrderLargestFirst) {
  ScanItem a{}, b{};
  a.size = 5;
  b.size = 9;
  EXPECT_EQ(compareSizeDescending(&a, &b), 1);
  EXPECT_EQ(compareSizeDescending(&b, &a), -1);
  b.size = 5;
  EXPECT_EQ(compareSizeDescending(&a, &b), 0);

  std::vector<ScanItem> items(257);
  std::mt19937 rng(3);
  for (size_t i = 0; i < items.size(); ++i) {
    items[i].size = rng() % 40;
    textFormat(items[i].name, kNameUnits, u"n%u", static_cast<unsigned>(items[i].size));
  }
  sortBySizeDescending(items.data(), static_cast<int32_t>(items.size()));
  for (size_t i = 1; i < items.size(); ++i) EXPECT_GE(items[i - 1].size, items[i].size);
  // Each record moved whole: its name still describes its size.
  for (const ScanItem& it : items) {
    char16_t expect[16];
    textFormat(expect, 16, u"n%u", static_cast<unsigned>(it.size));
    EXPECT_TRUE(textEquals(it.name, expect));
  }
}

TEST(ScanModelLines, SeededAndCopiedOutCutToTheReadersBuffer) {
  FakeScanHost host;
  auto m = newModel(&host, 5);
  char16_t status[kStatusLineUnits], detail[kDetailLineUnits];
  readScanLines(*m, status, kStatusLineUnits, detail, kDetailLineUnits);
  EXPECT_TRUE(textEquals(status, u"(no scan run yet)"));
  EXPECT_TRUE(textEquals(detail, u""));
  std::u16string longText(1000, u'x');
  writeScanLines(*m, longText.c_str(), nullptr);
  readScanLines(*m, status, kStatusLineUnits, detail, kDetailLineUnits);
  EXPECT_EQ(textLength(status), 199u);
  char16_t small[8];
  readScanLines(*m, small, 8, nullptr, 0);
  EXPECT_EQ(textLength(small), 7u);
}

TEST(ScanModelLifetime, ReleaseFreesArraysAndZeroesCounts) {
  FakeScanHost host;
  auto m = newModel(&host, 5);
  offer(*m, u"a", 1);
  m->rows = static_cast<ScanItem*>(std::malloc(sizeof(ScanItem)));
  m->rowCount = m->rowCapacity = 1;
  releaseScanModel(*m);
  EXPECT_EQ(m->rows, nullptr);
  EXPECT_EQ(m->fileList, nullptr);
  EXPECT_EQ(m->fileListCount, 0);
  EXPECT_EQ(m->rowCount, 0);
  releaseScanModel(*m);  // twice is harmless
  // Sizes that would wrap around never reach the allocator.
  EXPECT_EQ(reallocArray(nullptr, SIZE_MAX / 8, 16), nullptr);
  EXPECT_EQ(reallocArray(nullptr, size_t(INT32_MAX) + 1, 1), nullptr);
  EXPECT_EQ(reallocArray(nullptr, 0, 16), nullptr);
  EXPECT_EQ(effectiveFolderDepth(0), 1);
  EXPECT_EQ(effectiveFolderDepth(1), 1);
  EXPECT_EQ(effectiveFolderDepth(2), 2);
}

TEST(ScanProgressText, SingularsGroupingAndSummaryUnits) {
  char16_t buf[200];
  formatDiscoveredLine(u',', 1, 1, buf, 200);
  EXPECT_TRUE(textEquals(buf, u"Discovered so far: 1 file, 1 folder..."));
  formatDiscoveredLine(u'.', 1234567, 0, buf, 200);
  EXPECT_TRUE(textEquals(buf, u"Discovered so far: 1.234.567 files, 0 folders..."));
  formatScanSummary(u',', u'.', 0, 1536, 1, 2, buf, 200);
  EXPECT_TRUE(textEquals(buf, u"1.5 KB  \u2022  1 File  \u2022  2 Folders"));
  formatScanSummary(u',', u'.', 2, 123456789, 12345, 1, buf, 200);  // fixed MB keeps its unit here
  EXPECT_TRUE(textEquals(buf, u"117.74 MB  \u2022  12,345 Files  \u2022  1 Folder"));
  formatDiscoveredLine(u',', 5, 5, buf, 12);  // cut, terminated
  EXPECT_EQ(textLength(buf), 11u);
}

}  // namespace
