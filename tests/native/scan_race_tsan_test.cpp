// The hand-over between the scan thread and the window, under ThreadSanitizer:
// a reader polls the live counters and the two lines while a scan runs and is
// cancelled, then takes the results only after scanRunning has dropped to 0.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "format/text.h"
#include "format/visible_rows.h"
#include "scan/scan_driver.h"
#include "tests/support/fake_dir_lister.h"

namespace {

// A tree of `folders` children, each with `filesEach` files and as many again
// one level down, ready to scan.
struct RaceTree {
  FakeScanHost host;
  FakeDirLister fs{u"C:\\T"};
  std::unique_ptr<ScanModel> m{new ScanModel()};
  std::atomic<bool> sawProgress{false};
  RaceTree(int folders, int filesEach) {
    for (int f = 0; f < folders; ++f) {
      int dir = fs.addFolder(FakeDirLister::kRoot, u"d" + textFromUtf8(std::to_string(f)));
      int inner = fs.addFolder(dir, u"inner");
      for (int i = 0; i < filesEach; ++i) {
        fs.addFile(dir, u"f" + textFromUtf8(std::to_string(i)), static_cast<uint64_t>(i + f));
        fs.addFile(inner, u"g" + textFromUtf8(std::to_string(i)), 1);
      }
    }
    prepareTestModel(*m, u"C:\\T", &host, &fs);
  }
  ~RaceTree() { releaseScanModel(*m); }
};

// Reads what the window may read while the scan runs; returns when it has ended.
void windowReader(ScanModel& m, std::atomic<bool>& sawProgress) {
  char16_t status[kStatusLineUnits], detail[kDetailLineUnits];
  uint32_t lastFiles = 0;
  while (m.scanRunning.load(std::memory_order_acquire)) {
    uint32_t files = m.filesCounted.load(std::memory_order_relaxed);
    uint32_t folders = m.foldersCounted.load(std::memory_order_relaxed);
    EXPECT_GE(files, lastFiles);  // a whole, growing counter
    lastFiles = files;
    if (files > 0 || folders > 0) sawProgress = true;
    readScanLines(m, status, kStatusLineUnits, detail, kDetailLineUnits);
    // A line is always one of the texts written whole, never a mix.
    std::u16string d = detail;
    EXPECT_TRUE(d.empty() || d.rfind(u"(scan in progress", 0) == 0 || d.rfind(u"query=[", 0) == 0)
        << textToUtf8(detail);
    std::this_thread::yield();
  }
}

// One walker and a pool of four: the window's view must be the same.
struct ScanRace : ::testing::TestWithParam<int32_t> {};

TEST_P(ScanRace, WindowReadsDuringTheScanAndTakesTheModelOnlyAfterIt) {
  for (bool cancel : {true, false}) {
    RaceTree t(cancel ? 60 : 20, cancel ? 400 : 200);
    ScanModel& m = *t.m;
    m.scanThreads = GetParam();
    std::thread scan([&] { scanThreadMain(m); });
    std::thread canceller([&] {  // the window's teardown, once the scan is under way
      while (cancel && m.filesCounted.load() < 2000 && m.scanRunning.load()) std::this_thread::yield();
      if (cancel) m.cancelScan.store(1);
    });
    windowReader(m, t.sawProgress);  // the window thread itself, as with the timer
    canceller.join();
    EXPECT_TRUE(t.sawProgress.load());
    // scanRunning is 0 (acquire): the window may now sort and filter.
    if (!cancel) {
      sortVisibleRows(m, kSortName, 0, 1);
      applySearchFilter(m, u"d1");
    }
    EXPECT_EQ(m.visibleCount, cancel ? 0 : 11);  // d1, d10..d19; nothing after a cancel
    scan.join();
    EXPECT_EQ(t.host.finished.load(), 1);
    EXPECT_EQ(t.fs.openListings(), 0);
  }
}

INSTANTIATE_TEST_SUITE_P(Walkers, ScanRace, ::testing::Values(1, 4));

}  // namespace
