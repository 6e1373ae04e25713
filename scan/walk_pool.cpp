#include "scan/walk_pool.h"

#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <new>

#include "format/text.h"
#include "scan/walk_core.h"

namespace {

// Counts are published in batches so walkers do not fight over the counters'
// cache line on every entry; the window's progress still moves every few
// dozen files.
constexpr uint32_t kCountBatch = 32;
// A walker hands over sub-folders up to this many levels below its task's
// folder; a deeper one only after passing over kPassOverLimit of them.
constexpr int32_t kHandOffLevels = 2;
constexpr int32_t kPassOverLimit = 16;

// A sub-folder handed from a busy walker to an idle one.
struct SplitTask {
  int32_t row;
  int32_t depth;
  char16_t path[kPathUnits];
};

struct WalkPool {
  ScanModel* m = nullptr;
  const int32_t* rowIndexes = nullptr;
  int32_t rowTotal = 0;

  std::mutex lock;  // everything below up to `files`
  std::condition_variable wake;
  int32_t nextRow = 0;
  SplitTask* splits = nullptr;
  int32_t splitCount = 0;
  int32_t splitCapacity = 0;
  int32_t active = 0;  // walkers inside a task
  int32_t idle = 0;    // walkers waiting for one
  std::atomic<int32_t> hungry{0};  // idle, for the busy walkers' cheap look

  // The shared file list; a file no larger than the smallest kept one (once
  // the list is full) is turned away without the lock.
  std::mutex files;
  std::atomic<uint32_t> listFull{0};
  std::atomic<uint64_t> keepAbove{0};

  bool finished() const { return splitCount == 0 && nextRow >= rowTotal && active == 0; }
};

// One task's walk: counts batched into the model's counters, files offered
// under the pool's file lock, sub-folders handed to idle walkers.
struct PoolSink {
  WalkPool& pool;
  ScanModel& m;
  int32_t row;
  int32_t depth;  // the task's own level
  uint32_t files = 0;
  uint32_t folders = 0;
  int32_t passedOver = 0;  // deep sub-folders not handed over while someone waited

  void flush() {
    if (folders) m.foldersCounted.fetch_add(folders, std::memory_order_relaxed);
    if (files) {
      uint32_t before = m.filesCounted.fetch_add(files, std::memory_order_relaxed);
      // One repaint per multiple of 250 passed, as the one-thread walk asks
      // on the 250th, 500th, ... file; none once the engine's files are in.
      if (before / kRepaintEveryFiles != (before + files) / kRepaintEveryFiles && m.host &&
          !m.topFilesFromEverything && !m.cancelScan.load(std::memory_order_relaxed))
        m.host->requestRepaint();
    }
    files = folders = 0;
  }
  void folderMet() {
    if (++folders >= kCountBatch) flush();
  }
  void fileMet(const char16_t* name, const char16_t* folder, size_t folderLength, uint64_t size) {
    if (++files >= kCountBatch) flush();
    if (m.topFilesFromEverything || m.maxTopFiles < 1) return;
    if (pool.listFull.load(std::memory_order_relaxed) && size <= pool.keepAbove.load(std::memory_order_relaxed))
      return;
    std::lock_guard<std::mutex> hold(pool.files);
    keepFileRecordIn(m, name, folder, folderLength, size);
    bool full = false;
    uint64_t floor = smallestKeptSize(m, &full);
    if (full) {
      pool.keepAbove.store(floor, std::memory_order_relaxed);
      pool.listFull.store(1, std::memory_order_relaxed);
    }
  }
  bool handOff(const char16_t* path, size_t length, int32_t level) {
    if (pool.hungry.load(std::memory_order_relaxed) == 0) return false;
    // Folders near the top of a task go first: they carry whole subtrees,
    // where a leaf handed over costs a wake-up for a few files and sends its
    // walker straight back to wait. Deeper ones go too once a few have been
    // passed over, so a huge folder deep down is shared as well.
    if (level > depth + kHandOffLevels && ++passedOver < kPassOverLimit) return false;
    passedOver = 0;
    std::lock_guard<std::mutex> hold(pool.lock);
    if (pool.splitCount >= pool.idle || pool.splitCount >= pool.splitCapacity) return false;
    SplitTask& t = pool.splits[pool.splitCount++];
    t.row = row;
    t.depth = level;
    textCopyN(t.path, kPathUnits, path, length);
    pool.wake.notify_one();
    return true;
  }
};

// What a walker takes: a child folder (level 1, its row's path) or a handed
// sub-folder (its own path and level).
struct Task {
  int32_t row;
  int32_t depth;
  char16_t path[kPathUnits];
};

void runTask(WalkPool& pool, const Task& task, uint64_t* sum, int32_t* files, uint32_t* denied) {
  ScanModel& m = *pool.m;
  PoolSink sink{pool, m, task.row, task.depth};
  *sum = walkcore::walkFolder(m, *m.lister, task.path, files, task.depth, denied, sink);
  sink.flush();
}

void walker(void* arg) {
  WalkPool& pool = *static_cast<WalkPool*>(arg);
  ScanModel& m = *pool.m;
  // The task's path is copied out of the shared state, so the walk needs no lock.
  Task* task = static_cast<Task*>(std::malloc(sizeof(Task)));
  if (!task) m.cancelScan.store(1);  // as any failed allocation of the scan
  std::unique_lock<std::mutex> hold(pool.lock);
  while (task && !m.cancelScan.load(std::memory_order_relaxed)) {
    if (pool.splitCount > 0) {
      const SplitTask& s = pool.splits[--pool.splitCount];
      task->row = s.row;
      task->depth = s.depth;
      textCopy(task->path, kPathUnits, s.path);
    } else if (pool.nextRow < pool.rowTotal) {
      task->row = pool.rowIndexes[pool.nextRow++];
      task->depth = 1;
      textCopy(task->path, kPathUnits, m.rows[task->row].fullPath);
    } else if (pool.active == 0) {
      break;  // nothing left, and nobody left to hand anything out
    } else {
      ++pool.idle;
      pool.hungry.store(pool.idle, std::memory_order_relaxed);
      pool.wake.wait(hold);
      --pool.idle;
      pool.hungry.store(pool.idle, std::memory_order_relaxed);
      continue;
    }
    ++pool.active;
    hold.unlock();
    uint64_t sum = 0;
    int32_t files = 0;
    uint32_t denied = 0;
    runTask(pool, *task, &sum, &files, &denied);
    hold.lock();
    --pool.active;
    ScanItem& row = m.rows[task->row];
    row.size += sum;
    row.fileCount += files;
    if (denied) row.accessDenied = 1;
    if (pool.finished() || m.cancelScan.load(std::memory_order_relaxed)) pool.wake.notify_all();
  }
  // Whoever leaves makes sure no one sleeps through the end or a cancel.
  pool.wake.notify_all();
  hold.unlock();
  std::free(task);
}

}  // namespace

int32_t resolveWalkerCount(int32_t scanThreads, int32_t processors) {
  int32_t n = scanThreads;
  if (n < 1) n = processors < kDefaultScanThreadsCap ? processors : kDefaultScanThreadsCap;
  if (n < 1) n = 1;
  return n > kMaxScanThreads ? kMaxScanThreads : n;
}

bool walkRowsInParallel(ScanModel& m, const int32_t* rowIndexes, int32_t count, int32_t walkers) {
  if (!m.lister || count < 1) return true;
  if (walkers < 1) walkers = 1;
  if (walkers > kMaxScanThreads) walkers = kMaxScanThreads;
  WalkPool* pool = new (std::nothrow) WalkPool();
  // Two handed folders per walker is enough to keep every one busy.
  SplitTask* splits = static_cast<SplitTask*>(std::malloc(sizeof(SplitTask) * 2 * static_cast<size_t>(walkers)));
  if (!pool || !splits) {
    delete pool;
    std::free(splits);
    m.cancelScan.store(1);
    return false;
  }
  pool->m = &m;
  pool->rowIndexes = rowIndexes;
  pool->rowTotal = count;
  pool->splits = splits;
  pool->splitCapacity = 2 * walkers;
  // The kept files so far (the target's own) set the floor from the start.
  bool full = false;
  pool->keepAbove.store(smallestKeptSize(m, &full));
  pool->listFull.store(full ? 1 : 0);

  for (int32_t i = 1; i < walkers && m.host; ++i)
    if (!m.host->startWorker(walker, pool)) break;
  walker(pool);
  if (m.host) m.host->joinWorkers();
  std::free(splits);
  delete pool;
  return true;
}
