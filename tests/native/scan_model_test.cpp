// The file list keeps only the largest files met; what the panel shows from it
// must be what a full list sorted by size would show.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "format/text.h"
#include "scan/scan_model.h"
#include "scan/scan_progress.h"
#include "tests/support/fake_dir_lister.h"

namespace {

struct FileList : ::testing::Test {
  FakeScanHost host;
  std::unique_ptr<ScanModel> m{new ScanModel()};
  void TearDown() override { releaseScanModel(*m); }
  void reset(int maxTopFiles) {
    releaseScanModel(*m);
    initScanModel(*m);
    m->host = &host;
    m->maxTopFiles = maxTopFiles;
    host.repaints = 0;
  }
  // Offers a file the way the walker does: counted first, then appended.
  void offer(const std::u16string& name, uint64_t size) {
    bumpCounter(m->filesCounted);
    appendFileRecord(*m, name.c_str(), (u"C:\\T\\" + name).c_str(), size);
  }
  void offerIn(const std::u16string& name, const std::u16string& folder, size_t folderLength, uint64_t size) {
    bumpCounter(m->filesCounted);
    appendFileRecordIn(*m, name.c_str(), folder.c_str(), folderLength, size);
  }
  std::vector<uint64_t> sortedSizes() {
    sortBySizeDescending(m->fileList, m->fileListCount);
    std::vector<uint64_t> out;
    for (int i = 0; i < m->fileListCount; ++i) out.push_back(m->fileList[i].size);
    return out;
  }
};

TEST_F(FileList, KeepsExactlyTheLargestFilesInSizeOrder) {
  for (int limit : {1, 7, 50, 300, 600}) {
    reset(limit);
    std::mt19937_64 rng(limit);
    std::vector<uint64_t> all;
    for (int i = 0; i < 5000; ++i) {
      all.push_back(rng() % 100000);  // many ties on purpose
      offer(u"f" + textFromUtf8(std::to_string(i)), all.back());
    }
    std::sort(all.rbegin(), all.rend());
    all.resize(std::min<size_t>(all.size(), static_cast<size_t>(limit)));
    EXPECT_EQ(sortedSizes(), all) << "limit " << limit;
  }
}

TEST_F(FileList, KeptRecordsCarryTheirOwnNamePathAndSize) {
  reset(2);
  for (auto f : {std::make_pair(u"small", 1), {u"big", 900}, {u"mid", 50}, {u"tiny", 0}}) offer(f.first, f.second);
  sortedSizes();
  ASSERT_EQ(m->fileListCount, 2);
  EXPECT_TRUE(textEquals(m->fileList[0].name, u"big"));
  EXPECT_TRUE(textEquals(m->fileList[0].fullPath, u"C:\\T\\big"));
  EXPECT_TRUE(textEquals(m->fileList[1].name, u"mid"));
  EXPECT_EQ(m->fileList[1].fileCount, 0);  // a file is no folder of files

  // The walker's form joins the first `folderLength` units of the folder and the name.
  reset(5);
  offerIn(u"a.txt", u"C:\\T\\sub\\ignored-tail", 8, 10);
  offerIn(u"b.txt", u"C:\\", 3, 5);  // a root: no doubled backslash
  sortedSizes();
  EXPECT_TRUE(textEquals(m->fileList[0].fullPath, u"C:\\T\\sub\\a.txt"));
  EXPECT_TRUE(textEquals(m->fileList[1].fullPath, u"C:\\b.txt"));

  // Over-long names and paths are cut and terminated, in both forms.
  reset(5);
  std::u16string name(400, u'n'), path(3000, u'p');
  appendFileRecord(*m, name.c_str(), path.c_str(), 1);
  ASSERT_EQ(m->fileListCount, 1);
  EXPECT_EQ(textLength(m->fileList[0].name), 259u);
  EXPECT_EQ(textLength(m->fileList[0].fullPath), 2047u);
  offerIn(name, path, 2040, 2);
  sortedSizes();
  EXPECT_EQ(textLength(m->fileList[0].fullPath), 2047u);
  EXPECT_EQ(m->fileList[0].fullPath[2040], u'\\');
}

TEST_F(FileList, RepaintsEvery250FilesMetWhetherKeptOrNot) {
  const struct {
    int limit;
    bool merged, cancelled;
    int offers, kept, repaints;
  } rows[] = {
      {3, false, false, 1000, 3, 4},    // nearly all dropped as too small
      {10, true, false, 500, 0, 0},     // the engine's list is merged: nothing more
      {10, false, true, 500, 0, 0},     // cancelled: nothing more
      {0, false, false, 250, 0, 1},     // no limit keeps nothing but still repaints
      {-3, false, false, 250, 0, 1},
  };
  for (const auto& r : rows) {
    reset(r.limit);
    m->topFilesFromEverything = r.merged;
    m->cancelScan.store(r.cancelled);
    for (int i = 0; i < r.offers; ++i) offer(u"f", 100);
    EXPECT_EQ(m->fileListCount, r.kept) << "limit " << r.limit << " row " << (&r - rows);
    EXPECT_EQ(host.repaints.load(), r.repaints) << "limit " << r.limit << " row " << (&r - rows);
  }
}

TEST_F(FileList, LinesReleaseAndGuards) {
  reset(5);
  char16_t status[kStatusLineUnits], detail[kDetailLineUnits], small[8];
  readScanLines(*m, status, kStatusLineUnits, detail, kDetailLineUnits);
  EXPECT_TRUE(textEquals(status, u"(no scan run yet)"));
  EXPECT_TRUE(textEquals(detail, u""));
  std::u16string longText(1000, u'x');
  writeScanLines(*m, longText.c_str(), nullptr);
  readScanLines(*m, status, kStatusLineUnits, detail, kDetailLineUnits);
  EXPECT_EQ(textLength(status), 199u);  // cut to the readers' buffers
  readScanLines(*m, small, 8, nullptr, 0);
  EXPECT_EQ(textLength(small), 7u);

  offer(u"a", 1);
  m->rows = static_cast<ScanItem*>(std::malloc(sizeof(ScanItem)));
  m->rowCount = m->rowCapacity = 1;
  releaseScanModel(*m);
  EXPECT_EQ(m->fileListCount + m->rowCount, 0);
  releaseScanModel(*m);  // twice is harmless
  // Sizes that would wrap around never reach the allocator.
  EXPECT_EQ(reallocArray(nullptr, SIZE_MAX / 8, 16), nullptr);
  EXPECT_EQ(reallocArray(nullptr, size_t(INT32_MAX) + 1, 1), nullptr);
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
