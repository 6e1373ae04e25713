#include "scan/scan_driver.h"

#include <cstdint>
#include <cstdlib>

#include "format/text.h"
#include "format/visible_rows.h"
#include "scan/everything_codec.h"
#include "scan/search_client.h"
#include "scan/walk_pool.h"
#include "scan/walker.h"

namespace {

constexpr const char16_t* kEverythingOffLine = u"(useEverything resolved to N - see config line above)";

// Everything's side of one scan: what was found and asked, for the lines.
struct EngineRun {
  bool windowFound = false;
  bool databaseLoaded = false;
  bool countsUsable = false;
  bool batchFailed = true;
  bool folderHelper = false;
  bool topFilesHelper = false;
  FolderSizeEntry* folderTable = nullptr;
  int32_t parsedFolders = 0;
  FolderTableIndex folderIndex = {};  // built once the table is in
  char16_t queryText[kQueryTextUnits] = {};
  uint32_t tot = 0, num = 0;
  TopFileEntry* topFiles = nullptr;
  uint32_t q1 = 0, q2 = 0, q3 = 0;
};

struct ChildCounters {
  int32_t fromEverything = 0;
  int32_t zeroFallback = 0;
  int32_t noMatchFallback = 0;
  int32_t accessDenied = 0;
  int32_t linkSkipped = 0;
  uint32_t manualWalk = 0;
};

void finish(ScanModel& m) {
  m.scanRunning.store(0, std::memory_order_release);
  if (m.host) m.host->scanFinished();
}

void queryEngine(ScanModel& m, SearchClient& client, EngineRun& run) {
  ScanHost& host = *m.host;
  if (!client.findWindow()) return;
  run.windowFound = true;
  if (!client.isDatabaseLoaded()) return;
  run.databaseLoaded = true;
  if (!client.createHelper(SearchHelper::Folder)) return;
  run.folderHelper = true;
  run.countsUsable = true;

  run.folderTable = static_cast<FolderSizeEntry*>(
      std::calloc(kFolderTableCapacity, sizeof(FolderSizeEntry)));
  if (run.folderTable) {
    uint32_t t0 = host.tickCount();
    int stored = 0;
    bool ok = client.queryFolderSizes(m.targetPath, run.folderTable, kFolderTableCapacity,
                                      run.queryText, &stored, &run.tot, &run.num, &m.cancelScan);
    run.q1 = host.tickCount() - t0;
    run.batchFailed = !ok;
    if (ok) run.parsedFolders = stored < 0 ? 0 : (stored > kFolderTableCapacity ? kFolderTableCapacity : stored);
    if (ok) folderIndexBuild(&run.folderIndex, run.folderTable, run.parsedFolders);
  }
  run.queryText[kQueryTextUnits - 1] = 0;

  if (!client.createHelper(SearchHelper::TopFiles)) return;
  run.topFilesHelper = true;
  if (m.maxTopFiles < 1) return;  // nothing to hold the answer
  run.topFiles = static_cast<TopFileEntry*>(
      std::calloc(static_cast<size_t>(m.maxTopFiles), sizeof(TopFileEntry)));
  if (!run.topFiles) return;
  uint32_t t0 = host.tickCount();
  int delivered = 0;
  bool ok = client.queryTopFiles(m.targetPath, run.topFiles, m.maxTopFiles, &delivered, &m.cancelScan);
  run.q2 = host.tickCount() - t0;
  if (!ok) return;
  if (delivered < 0) delivered = 0;
  if (delivered > m.maxTopFiles) delivered = m.maxTopFiles;

  // Merge: the engine's largest files replace the walks as the file list.
  int64_t needed = static_cast<int64_t>(m.fileListCount) + delivered;
  if (needed > m.fileListCapacity) {
    int64_t target = needed + 16;
    void* grown = target > INT32_MAX ? nullptr
                                     : reallocArray(m.fileList, static_cast<size_t>(target), sizeof(ScanItem));
    if (grown) {
      m.fileList = static_cast<ScanItem*>(grown);
      m.fileListCapacity = static_cast<int32_t>(target);
    }
  }
  m.topFilesFromEverything = 1;  // from here on walks add no files (nor use the heap)
  for (int i = 0; i < delivered && m.fileListCount < m.fileListCapacity; ++i) {
    ScanItem& item = m.fileList[m.fileListCount++];
    textCopy(item.name, kNameUnits, run.topFiles[i].name);
    textCopy(item.fullPath, kPathUnits, run.topFiles[i].fullPath);
    item.size = run.topFiles[i].size;
    item.isFolder = item.isLink = item.accessDenied = item.fromEverything = 0;
    item.fileCount = 0;
  }
}

// Grows rows (doubling) and visibleRows (16 pointers per old slot) together.
bool growRows(ScanModel& m) {
  size_t oldCapacity = static_cast<size_t>(m.rowCapacity);
  bool fits = oldCapacity <= SIZE_MAX / 16;
  void* rows = fits ? reallocArray(m.rows, oldCapacity * 2, sizeof(ScanItem)) : nullptr;
  if (rows) m.rows = static_cast<ScanItem*>(rows);
  void* visible = fits ? reallocArray(m.visibleRows, oldCapacity * 16, sizeof(ScanItem*)) : nullptr;
  if (visible) {
    m.visibleRows = static_cast<ScanItem**>(visible);
    m.visibleCapacity = static_cast<int32_t>(oldCapacity * 16);
  }
  if (!rows || !visible) return false;
  m.rowCapacity = static_cast<int32_t>(oldCapacity * 2);
  return true;
}

// The child folders left to the parallel walk: their rows and whether each
// was a zero-size answer of the engine (for the counters once walked).
struct PendingWalks {
  int32_t* rows = nullptr;
  uint8_t* zeroFallback = nullptr;
  int32_t count = 0;
  int32_t capacity = 0;
  ~PendingWalks() {
    std::free(rows);
    std::free(zeroFallback);
  }
  bool add(int32_t row, bool zero) {
    if (count == capacity) {
      int32_t grown = capacity ? capacity * 2 : 256;
      void* r = reallocArray(rows, static_cast<size_t>(grown), sizeof(int32_t));
      if (r) rows = static_cast<int32_t*>(r);
      void* z = reallocArray(zeroFallback, static_cast<size_t>(grown), 1);
      if (z) zeroFallback = static_cast<uint8_t*>(z);
      if (!r || !z) return false;
      capacity = grown;
    }
    rows[count] = row;
    zeroFallback[count++] = zero ? 1 : 0;
    return true;
  }
};

// A walked child's row after its walk: a refused folder shows 0.
void settleWalkedRow(ScanItem& row, uint32_t denied, bool zeroFallback, ChildCounters& c) {
  if (denied) {
    row.accessDenied = 1;
    row.size = 0;
    row.fileCount = 0;
    ++c.accessDenied;
  } else if (zeroFallback) {
    ++c.zeroFallback;
  }
  row.fromEverything = 0;
}

// Sizes a child folder from the engine's table when it can; otherwise gives
// false with *zeroFallback telling whether the table had it at size 0.
bool sizeFromEngine(ScanItem& row, const EngineRun& run, ChildCounters& c, bool* zeroFallback) {
  *zeroFallback = false;
  if (!run.batchFailed) {
    const FolderSizeEntry* found = folderIndexFind(&run.folderIndex, row.name);
    if (found && found->size != 0) {
      row.size = found->size;
      row.fileCount = -1;
      row.fromEverything = 1;
      ++c.fromEverything;
      return true;
    }
    if (found)
      *zeroFallback = true;
    else
      ++c.noMatchFallback;
  }
  return false;
}

void walkChildFolder(ScanModel& m, ScanItem& row, bool zeroFallback, ChildCounters& c) {
  uint32_t denied = 0;
  uint32_t t0 = m.host->tickCount();
  row.size = walkFolderSize(m, row.fullPath, &row.fileCount, 1, &denied);
  c.manualWalk += m.host->tickCount() - t0;
  settleWalkedRow(row, denied, zeroFallback, c);
}

// The parallel walk of every child folder left, once all rows exist; the
// rows' sizes join the total afterwards.
void walkPendingFolders(ScanModel& m, const PendingWalks& pending, int32_t walkers, ChildCounters& c) {
  if (pending.count == 0) return;
  uint32_t t0 = m.host->tickCount();
  walkRowsInParallel(m, pending.rows, pending.count, walkers);
  c.manualWalk += m.host->tickCount() - t0;
  for (int32_t i = 0; i < pending.count; ++i) {
    ScanItem& row = m.rows[pending.rows[i]];
    settleWalkedRow(row, row.accessDenied, pending.zeroFallback[i] != 0, c);
    m.totalSize += row.size;
  }
}

}  // namespace

uint32_t scanThreadMain(ScanModel& m) {
  if (!m.lister || !m.host) {  // nothing to list with or report to
    m.scanRunning.store(0, std::memory_order_release);
    return 0;
  }
  NullSearchClient noEngine;
  SearchClient& client = m.search ? *m.search : noEngine;
  DirLister& lister = *m.lister;
  // The panel caps it when reading the settings; a model filled elsewhere
  // must not ask for more records than that either.
  if (m.maxTopFiles > kMaxTopFilesCap) m.maxTopFiles = kMaxTopFilesCap;

  // 1-2. The target itself.
  m.targetAccessDenied.store(0);
  DirEntry entry;
  uint32_t error = 0;
  DirListing listing = openFolderListing(lister, m.targetPath, &entry, &error);
  if (!listing) {
    if (error == kErrorAccessDenied) m.targetAccessDenied.store(1);
    char16_t detail[kDetailLineUnits];
    textFormat(detail, kDetailLineUnits, u"target=[%s]  open FAILED: %s (Win32 error %u)", m.targetPath,
               error == kErrorAccessDenied ? u"ACCESS DENIED" : u"could not open path", error);
    writeScanLines(m,
                   m.scanUseEverything
                       ? u"Everything: (not queried - target path itself could not be opened, see detail line)"
                       : kEverythingOffLine,
                   detail);
    finish(m);
    return 0;
  }

  // 3. The model's arrays.
  m.rowCapacity = kInitialRowCapacity;
  m.rows = static_cast<ScanItem*>(std::malloc(sizeof(ScanItem) * kInitialRowCapacity));
  m.visibleRows = static_cast<ScanItem**>(std::malloc(sizeof(ScanItem*) * kInitialVisibleCapacity));
  m.visibleCapacity = m.visibleRows ? kInitialVisibleCapacity : 0;
  m.fileListCount = 0;
  m.fileListCapacity = kInitialFileListCapacity;
  m.fileList = static_cast<ScanItem*>(std::malloc(sizeof(ScanItem) * kInitialFileListCapacity));
  m.fileHeap = static_cast<FileHeapEntry*>(std::malloc(sizeof(FileHeapEntry) * kInitialFileListCapacity));
  m.topFilesFromEverything = 0;
  m.rowCount = 0;
  m.filesCounted.store(0);
  m.foldersCounted.store(0);
  m.totalSize = 0;
  if (!m.rows || !m.visibleRows || !m.fileList || !m.fileHeap) {
    if (!m.rows) m.rowCapacity = 0;
    if (!m.fileList || !m.fileHeap) m.fileListCapacity = 0;
    lister.close(listing);
    m.cancelScan.store(1);
    finish(m);
    return 0;
  }

  // 4. Seed the lines.
  writeScanLines(m, m.scanUseEverything ? u"Everything: querying..." : kEverythingOffLine,
                 u"(scan in progress - this line fills in once the current folder finishes)");

  // 5. The search engine.
  EngineRun run;
  if (m.scanUseEverything) queryEngine(m, client, run);

  // 6. One row per child of the target.
  ChildCounters c;
  // One walker walks each child folder as it is met, as always; several list
  // the target first and then share the walks.
  const int32_t walkers = resolveWalkerCount(m.scanThreads, m.host->processorCount());
  PendingWalks pending;
  const size_t targetLength = textLengthBounded(m.targetPath, kPathUnits);
  const bool endsWithBackslash = targetLength > 0 && m.targetPath[targetLength - 1] == u'\\';
  for (bool more = true; more; more = lister.next(listing, &entry)) {
    if (m.cancelScan.load(std::memory_order_relaxed)) break;
    if (entryIsDots(entry)) continue;
    if (m.rowCount >= m.rowCapacity && !growRows(m)) {
      m.cancelScan.store(1);
      break;
    }
    ScanItem& row = m.rows[m.rowCount];
    textCopy(row.name, kNameUnits, entry.name);
    textFormat(row.fullPath, kPathUnits, endsWithBackslash ? u"%s%s" : u"%s\\%s", m.targetPath, row.name);
    row.size = 0;
    row.isFolder = (entry.attributes & kAttrDirectory) ? 1 : 0;
    row.isLink = entryIsLink(entry) ? 1 : 0;
    row.accessDenied = 0;
    row.fromEverything = 0;
    row.fileCount = 0;
    if (!row.isFolder) {
      bumpCounter(m.filesCounted);
      row.size = entrySize(entry);
      appendFileRecord(m, row.name, row.fullPath, row.size);
    } else if (row.isLink) {
      ++c.linkSkipped;
    } else {
      bumpCounter(m.foldersCounted);
      bool zeroFallback = false;
      if (!sizeFromEngine(row, run, c, &zeroFallback)) {
        if (walkers == 1) {
          walkChildFolder(m, row, zeroFallback, c);
        } else if (!pending.add(m.rowCount, zeroFallback)) {
          m.cancelScan.store(1);
        }
      }
    }
    m.totalSize += row.size;
    ++m.rowCount;
  }
  // 7.
  lister.close(listing);
  if (!m.cancelScan.load()) walkPendingFolders(m, pending, walkers, c);

  // 8-10. File counts for the folders the engine sized.
  int32_t marked = 0;
  for (int32_t i = 0; i < m.rowCount; ++i) {
    ScanItem& row = m.rows[i];
    if (row.isFolder && !row.isLink && !row.accessDenied && row.fromEverything) {
      row.fileCount = 0;
      ++marked;
    }
  }
  bool countFailed = true, truncated = false;
  uint32_t cTot = 0, cNum = 0;
  if (run.countsUsable && marked >= 1 && client.createHelper(SearchHelper::FileCount)) {
    uint32_t t0 = m.host->tickCount();
    bool ok = client.queryFileCounts(m.targetPath, m.rows, m.rowCount, kFileCountMaxResults, &cTot,
                                     &cNum, &m.cancelScan);
    run.q3 = m.host->tickCount() - t0;
    client.destroyHelper(SearchHelper::FileCount);
    countFailed = !ok;
    truncated = ok && cNum < cTot;
  }
  if (marked >= 1 && (countFailed || truncated)) {
    for (int32_t i = 0; i < m.rowCount; ++i) {
      ScanItem& row = m.rows[i];
      if (row.isFolder && !row.isLink && !row.accessDenied && row.fromEverything) row.fileCount = -1;
    }
  }

  // 11-13. The two lines.
  char16_t status[kStatusLineUnits];
  if (m.scanUseEverything) {
    textFormat(status, kStatusLineUnits, u"Everything: window=%s db=%s  batch query=%s (%d folders parsed)",
               run.windowFound ? u"found" : u"NOT FOUND",
               run.databaseLoaded ? u"loaded" : (run.windowFound ? u"NOT LOADED" : u"n/a"),
               run.batchFailed ? u"FAILED" : u"OK", run.parsedFolders);
  } else {
    textCopy(status, kStatusLineUnits, kEverythingOffLine);
  }
  char16_t counts[100];
  if (marked == 0)
    textCopy(counts, 100, u"n/a (no Everything sizes this scan)");
  else if (countFailed)
    textCopy(counts, 100, u"query FAILED - [Everything] labels kept");
  else if (truncated)
    textFormat(counts, 100, u"truncated %u/%u - [Everything] labels kept", cNum, cTot);
  else
    textFormat(counts, 100, u"OK %u/%u matched, %d folders", cNum, cTot, marked);
  char16_t detail[kDetailLineUnits];
  textFormat(detail, kDetailLineUnits,
             u"query=[%s] tot=%u num=%u | fromEverything=%d zeroFallback=%d noMatchFallback=%d "
             u"accessDenied=%d linkSkipped=%d | counts=%s | timing: q1=%ums q2=%ums q3=%ums manualWalk=%ums",
             run.queryText, run.tot, run.num, c.fromEverything, c.zeroFallback, c.noMatchFallback,
             c.accessDenied, c.linkSkipped, counts, run.q1, run.q2, run.q3, c.manualWalk);
  writeScanLines(m, status, detail);

  // 14.
  folderIndexRelease(&run.folderIndex);
  std::free(run.folderTable);
  std::free(run.topFiles);
  if (run.folderHelper) client.destroyHelper(SearchHelper::Folder);
  if (run.topFilesHelper) client.destroyHelper(SearchHelper::TopFiles);

  // 15. A cancelled scan leaves its rows in directory order and nothing visible.
  if (!m.cancelScan.load()) {
    sortBySizeDescending(m.rows, m.rowCount);
    sortBySizeDescending(m.fileList, m.fileListCount);
    buildVisibleRows(m, false);  // the view opens on the child rows
  }
  // 16.
  finish(m);
  return 0;
}
