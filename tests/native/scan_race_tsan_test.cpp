// The hand-over between the scan thread and the window, under ThreadSanitizer:
// the window polls the live counters and the two lines while a scan runs,
// cancels it (as its teardown would) or lets it end, and reads the results
// only once scanRunning has dropped to 0; with one walker and with four.
#include <gtest/gtest.h>

#include <thread>

#include "format/visible_rows.h"
#include "scan/scan_driver.h"
#include "tests/support/fake_dir_lister.h"

namespace {

TEST(ScanRace, WindowReadsDuringTheScanAndTakesTheModelOnlyAfterIt) {
  FakeDirLister fs(u"C:\\T");  // 30 folders of 400 files, and as many one level down
  for (int f = 0; f < 30; ++f) {
    int dir = fs.addFolder(FakeDirLister::kRoot, u"d" + textFromUtf8(std::to_string(f)));
    int inner = fs.addFolder(dir, u"inner");
    for (int i = 0; i < 400; ++i) fs.addFile(dir, u"f" + textFromUtf8(std::to_string(i)), i + f);
    for (int i = 0; i < 400; ++i) fs.addFile(inner, u"g" + textFromUtf8(std::to_string(i)), 1);
  }
  for (int run = 0; run < 4; ++run) {
    const bool cancel = run % 2;
    TestScan s(u"C:\\T", &fs);
    s.m.scanThreads = run < 2 ? 1 : 4;
    std::thread scan([&] { scanThreadMain(s.m); });
    char16_t status[kStatusLineUnits], detail[kDetailLineUnits];
    while (s.m.scanRunning.load(std::memory_order_acquire)) {
      if (cancel && s.m.filesCounted.load(std::memory_order_relaxed) >= 2000) s.m.cancelScan.store(1);
      readScanLines(s.m, status, kStatusLineUnits, detail, kDetailLineUnits);
      std::this_thread::yield();
    }
    if (!cancel) applySearchFilter(s.m, u"d1");  // the window may now filter
    EXPECT_EQ(s.m.visibleCount, cancel ? 0 : 11);  // d1, d10..d19; nothing after a cancel
    scan.join();
    EXPECT_EQ(s.host.finished.load(), 1);
  }
}

}  // namespace
