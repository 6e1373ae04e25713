// The file list keeps only the largest files met, as a full list sorted by
// size would show them.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "format/number_format.h"
#include "scan/scan_progress.h"
#include "tests/support/fake_dir_lister.h"

namespace {

// One repaint per 250 files met, whether kept or not; nothing is kept once the
// engine's list is merged, once cancelled, or without a positive limit.
TEST(FileList, KeepsTheLargestFilesAndRepaintsEvery250Met) {
  const struct {
    int limit;
    bool merged, cancelled;
    int kept, repaints;
  } rows[] = {{1, false, false, 1, 20},  {7, false, false, 7, 20}, {600, false, false, 600, 20},
              {10, true, false, 0, 0},   {10, false, true, 0, 0},  {0, false, false, 0, 20},
              {-3, false, false, 0, 20}};
  for (const auto& r : rows) {
    TestScan s(u"C:\\T", nullptr);
    s.m.maxTopFiles = r.limit;
    s.m.topFilesFromEverything = r.merged;
    s.m.cancelScan.store(r.cancelled);
    std::mt19937_64 rng(r.limit);
    std::vector<uint64_t> all, kept;
    for (int i = 0; i < 5000; ++i) {  // as the walker offers them: counted first
      all.push_back(rng() % 100000);  // many ties on purpose
      bumpCounter(s.m.filesCounted);
      appendFileRecord(s.m, u"f", u"C:\\T\\f", all.back());
    }
    std::sort(all.rbegin(), all.rend());
    all.resize(static_cast<size_t>(r.kept));
    sortBySizeDescending(s.m.fileList, s.m.fileListCount);
    for (int i = 0; i < s.m.fileListCount; ++i) kept.push_back(s.m.fileList[i].size);
    EXPECT_EQ(kept, all) << "row " << (&r - rows);
    EXPECT_EQ(s.host.repaints.load(), r.repaints) << "row " << (&r - rows);
  }
}

}  // namespace

TEST(ScanProgressText, CountsGroupedWithSingularsForExactlyOne) {
  const struct { uint32_t files, folders; const char *discovered, *summary; } rows[] = {
      {1, 1, "Discovered so far: 1 file, 1 folder...", "0 B  \xE2\x80\xA2  1 File  \xE2\x80\xA2  1 Folder"},
      {1234567, 2, "Discovered so far: 1,234,567 files, 2 folders...",
       "0 B  \xE2\x80\xA2  1,234,567 Files  \xE2\x80\xA2  2 Folders"},
      {0, 0, "Discovered so far: 0 files, 0 folders...", "0 B  \xE2\x80\xA2  0 Files  \xE2\x80\xA2  0 Folders"}};
  for (const auto& r : rows) {
    char16_t buf[128];
    formatDiscoveredLine(u',', r.files, r.folders, buf, 128);
    EXPECT_EQ(textToUtf8(buf), r.discovered);
    formatScanSummary(u',', u'.', kSizeDisplayAuto, 0, r.files, r.folders, buf, 128);
    EXPECT_EQ(textToUtf8(buf), r.summary);
  }
}
