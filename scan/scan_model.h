// The scan group of the panel record: what the scan thread produces and the
// panel reads. While scanRunning is 1 the scan thread is the only writer; the
// window reads only the live counters (atomics) and the two diagnostic lines
// (copied out under a tiny lock). Once the thread has stored scanRunning 0
// (release) and posted its finished notice, everything belongs to the window.
#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>

#include "scan/scan_item.h"

struct DirLister;
struct SearchClient;

constexpr int kStatusLineUnits = 200;
constexpr int kDetailLineUnits = 600;
constexpr int kRepaintEveryFiles = 250;
constexpr int kInitialRowCapacity = 128;
constexpr int kInitialVisibleCapacity = 1024;
constexpr int kInitialFileListCapacity = 512;
constexpr int kDefaultMaxTopFiles = 50;
constexpr int kDefaultMaxFolderDepth = 15;
// Each kept file is a 4.6 KB record: ten thousand of them are 46 MB, about
// as much as a 32-bit host can spare for one panel.
constexpr int kMaxTopFilesCap = 10000;
// Walker threads: 1 walks on the scan thread alone; 0 asks for one per
// processor, at most kDefaultScanThreadsCap.
constexpr int kMaxScanThreads = 16;
constexpr int kDefaultScanThreadsCap = 4;

// The scan's window side: repaint requests, the finished notice, the clock.
struct ScanHost {
  virtual ~ScanHost() = default;
  virtual void requestRepaint() = 0;
  // The thread's last act in every ending.
  virtual void scanFinished() = 0;
  virtual uint32_t tickCount() = 0;
  // Walker threads of a parallel walk: run(arg) on a new thread; false when
  // none can be started (the walk then goes on with fewer). joinWorkers waits
  // for every one started and forgets them.
  virtual bool startWorker(void (*run)(void*), void* arg) {
    (void)run;
    (void)arg;
    return false;
  }
  virtual void joinWorkers() {}
  virtual int32_t processorCount() { return 1; }
};

// Slot of the file list's size heap: the file list keeps only the largest
// files met, and this small min-heap of (size, slot) finds the smallest kept
// one without moving the 4.6 KB records around.
struct FileHeapEntry {
  uint64_t size;
  int32_t slot;
};

struct ScanModel {
  // Read by the scan, filled by the panel before the thread starts.
  char16_t targetPath[kPathUnits];
  int32_t maxTopFiles;
  int32_t maxFolderDepth;
  int32_t scanThreads;  // walkers, 1..kMaxScanThreads; 0 = one per processor (at most 4)
  uint32_t scanUseEverything;
  ScanHost* host;
  SearchClient* search;  // null behaves as "window not found"
  DirLister* lister;

  // Hand-over flags.
  std::atomic<uint32_t> scanRunning;
  std::atomic<uint32_t> cancelScan;
  std::atomic<uint32_t> targetAccessDenied;

  // Results (the window touches them only once scanRunning is 0).
  ScanItem* rows;
  int32_t rowCount;
  ScanItem* fileList;
  int32_t fileListCount;
  int32_t fileListCapacity;
  FileHeapEntry* fileHeap;  // fileListCapacity entries, parallel to fileList
  ScanItem** visibleRows;
  int32_t visibleCount;
  int32_t rowCapacity;
  int32_t visibleCapacity;  // pointers allocated in visibleRows
  uint64_t maxVisibleSize;  // largest size among the shown rows

  // Live counters, read by the window at any time.
  std::atomic<uint32_t> foldersCounted;
  std::atomic<uint32_t> filesCounted;
  uint64_t totalSize;
  uint32_t topFilesFromEverything;

  // Diagnostic lines; write and read them only through the functions below.
  std::atomic<uint32_t> linesLock;
  char16_t everythingStatusLine[kStatusLineUnits];
  char16_t scanDetailLine[kDetailLineUnits];
};

// Creation-time values the panel gives a fresh (zeroed) model: scanRunning 1,
// cancelScan 0, default limits, the seeded lines.
void initScanModel(ScanModel& m);

// maxFolderDepth as the walk uses it: values below 2 become 1.
int32_t effectiveFolderDepth(int32_t configured);

// Publish / copy out the two lines without a torn read. A null text leaves
// that line as it is.
void writeScanLines(ScanModel& m, const char16_t* status, const char16_t* detail);
void readScanLines(ScanModel& m, char16_t* status, size_t statusUnits, char16_t* detail,
                   size_t detailUnits);

// Offers one file to the file list (keeps the maxTopFiles largest met) and
// asks for a repaint every 250 counted files. The caller has already counted
// the file in filesCounted.
void appendFileRecord(ScanModel& m, const char16_t* name, const char16_t* fullPath, uint64_t size);
// Same, with the path given as a folder path and the name (joined only when
// the file is kept): the walker's fast path.
void appendFileRecordIn(ScanModel& m, const char16_t* name, const char16_t* folder,
                        size_t folderLength, uint64_t size);

// The file list's part of appendFileRecordIn without the repaint: the walkers
// of a parallel walk call it under their shared lock and keep the cadence
// from their batched counts.
void keepFileRecordIn(ScanModel& m, const char16_t* name, const char16_t* folder, size_t folderLength,
                      uint64_t size);
// Once the list holds maxTopFiles files (*full), a file must be larger than
// this to be kept.
uint64_t smallestKeptSize(const ScanModel& m, bool* full);

// -1 when a is larger, +1 when smaller, 0 when equal.
int compareSizeDescending(const ScanItem* a, const ScanItem* b);
// Sorts records in place, largest first, moving each record at most once.
void sortBySizeDescending(ScanItem* items, int32_t count);

// realloc of count elements of unit bytes; null (old block untouched) when the
// byte size or the count would not fit, so no capacity can outgrow its block.
void* reallocArray(void* block, size_t count, size_t unit);

// Frees the three arrays (and the heap) and zeroes their counts.
void releaseScanModel(ScanModel& m);

// Counters bumped by the scan thread only: a plain load and store keeps the
// readers' view whole without a locked instruction per file.
inline void bumpCounter(std::atomic<uint32_t>& c) {
  c.store(c.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
}
