#include "scan/scan_model.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "format/text.h"

void initScanModel(ScanModel& m) {
  m.maxTopFiles = kDefaultMaxTopFiles;
  m.maxFolderDepth = kDefaultMaxFolderDepth;
  m.scanRunning.store(1);
  m.cancelScan.store(0);
  writeScanLines(m, u"(no scan run yet)", u"");
}

int32_t effectiveFolderDepth(int32_t configured) { return configured < 2 ? 1 : configured; }

namespace {

// The lines are a few hundred units; holding a spin lock for one copy is far
// cheaper than anything the window could wait on instead.
void lockLines(ScanModel& m) {
  while (m.linesLock.exchange(1, std::memory_order_acquire) != 0) std::this_thread::yield();
}
void unlockLines(ScanModel& m) { m.linesLock.store(0, std::memory_order_release); }

// Writes "folder\name" (no doubled backslash) into a path field, cut to it.
void joinInto(char16_t* out, const char16_t* folder, size_t folderLength, const char16_t* name) {
  size_t n = textCopyN(out, kPathUnits, folder, folderLength);
  if (n > 0 && out[n - 1] != u'\\' && n + 1 < static_cast<size_t>(kPathUnits)) {
    out[n++] = u'\\';
    out[n] = 0;
  }
  textCopy(out + n, kPathUnits - n, name);
}

void fillFileRecord(ScanItem& item, const char16_t* name, const char16_t* fullPath,
                    const char16_t* folder, size_t folderLength, uint64_t size) {
  textCopy(item.name, kNameUnits, name);
  if (fullPath)
    textCopy(item.fullPath, kPathUnits, fullPath);
  else
    joinInto(item.fullPath, folder, folderLength, name);
  item.size = size;
  item.isFolder = 0;
  item.isLink = 0;
  item.accessDenied = 0;
  item.fromEverything = 0;
  item.fileCount = 0;
}

void siftUp(FileHeapEntry* heap, int32_t i) {
  FileHeapEntry moving = heap[i];
  while (i > 0) {
    int32_t parent = (i - 1) / 2;
    if (heap[parent].size <= moving.size) break;
    heap[i] = heap[parent];
    i = parent;
  }
  heap[i] = moving;
}

void siftDown(FileHeapEntry* heap, int32_t count, int32_t i) {
  FileHeapEntry moving = heap[i];
  for (;;) {
    int32_t child = 2 * i + 1;
    if (child >= count) break;
    if (child + 1 < count && heap[child + 1].size < heap[child].size) ++child;
    if (heap[child].size >= moving.size) break;
    heap[i] = heap[child];
    i = child;
  }
  heap[i] = moving;
}

// Grows the file list and its heap together; false (and cancelScan) on failure,
// with whichever block did get reallocated kept.
bool growFileList(ScanModel& m) {
  int64_t doubled = m.fileListCapacity == 0 ? 256 : static_cast<int64_t>(m.fileListCapacity) * 2;
  // The list never needs more than maxTopFiles slots.
  int32_t target = static_cast<int32_t>(doubled < m.maxTopFiles ? doubled : m.maxTopFiles);
  if (target < m.fileListCount + 1) target = m.fileListCount + 1;
  if (target < m.fileListCapacity) target = m.fileListCapacity;  // never shrink
  void* list = reallocArray(m.fileList, static_cast<size_t>(target), sizeof(ScanItem));
  if (list) m.fileList = static_cast<ScanItem*>(list);
  void* heap = reallocArray(m.fileHeap, static_cast<size_t>(target), sizeof(FileHeapEntry));
  if (heap) m.fileHeap = static_cast<FileHeapEntry*>(heap);
  if (!list || !heap) {
    m.cancelScan.store(1);
    return false;
  }
  m.fileListCapacity = target;
  return true;
}

// Keeps the file when it is among the largest met; false when the offer was
// not taken at all (cancelled, or the engine's top files are in).
bool keepFile(ScanModel& m, const char16_t* name, const char16_t* fullPath, const char16_t* folder,
              size_t folderLength, uint64_t size) {
  if (m.cancelScan.load(std::memory_order_relaxed) || m.topFilesFromEverything) return false;
  if (m.maxTopFiles > 0) {
    if (m.fileListCount < m.maxTopFiles) {
      if ((m.fileListCount >= m.fileListCapacity || !m.fileHeap) && !growFileList(m)) return false;
      int32_t slot = m.fileListCount;
      fillFileRecord(m.fileList[slot], name, fullPath, folder, folderLength, size);
      m.fileHeap[slot] = FileHeapEntry{size, slot};
      siftUp(m.fileHeap, slot);
      ++m.fileListCount;
    } else if (size > m.fileHeap[0].size) {
      // Larger than the smallest kept file: it takes that file's slot.
      fillFileRecord(m.fileList[m.fileHeap[0].slot], name, fullPath, folder, folderLength, size);
      m.fileHeap[0].size = size;
      siftDown(m.fileHeap, m.fileListCount, 0);
    }
  }
  return true;
}

void offerFile(ScanModel& m, const char16_t* name, const char16_t* fullPath, const char16_t* folder,
               size_t folderLength, uint64_t size) {
  if (!keepFile(m, name, fullPath, folder, folderLength, size)) return;
  // The cadence follows the files met, not the files kept, so the progress
  // repaints exactly as often as when every file was listed.
  if (m.filesCounted.load(std::memory_order_relaxed) % kRepaintEveryFiles == 0 && m.host)
    m.host->requestRepaint();
}

}  // namespace

void* reallocArray(void* block, size_t count, size_t unit) {
  if (count == 0 || unit == 0 || count > static_cast<size_t>(INT32_MAX) || count > SIZE_MAX / unit) return nullptr;
  return std::realloc(block, count * unit);
}

void writeScanLines(ScanModel& m, const char16_t* status, const char16_t* detail) {
  lockLines(m);
  if (status) textCopy(m.everythingStatusLine, kStatusLineUnits, status);
  if (detail) textCopy(m.scanDetailLine, kDetailLineUnits, detail);
  unlockLines(m);
}

void readScanLines(ScanModel& m, char16_t* status, size_t statusUnits, char16_t* detail,
                   size_t detailUnits) {
  lockLines(m);
  if (status) textCopy(status, statusUnits, m.everythingStatusLine);
  if (detail) textCopy(detail, detailUnits, m.scanDetailLine);
  unlockLines(m);
}

void appendFileRecord(ScanModel& m, const char16_t* name, const char16_t* fullPath, uint64_t size) {
  offerFile(m, name ? name : u"", fullPath ? fullPath : u"", nullptr, 0, size);
}

void appendFileRecordIn(ScanModel& m, const char16_t* name, const char16_t* folder,
                        size_t folderLength, uint64_t size) {
  offerFile(m, name ? name : u"", nullptr, folder ? folder : u"", folder ? folderLength : 0, size);
}

void keepFileRecordIn(ScanModel& m, const char16_t* name, const char16_t* folder, size_t folderLength,
                      uint64_t size) {
  keepFile(m, name ? name : u"", nullptr, folder ? folder : u"", folder ? folderLength : 0, size);
}

uint64_t smallestKeptSize(const ScanModel& m, bool* full) {
  *full = m.maxTopFiles > 0 && m.fileListCount >= m.maxTopFiles && m.fileHeap;
  return *full ? m.fileHeap[0].size : 0;
}

int compareSizeDescending(const ScanItem* a, const ScanItem* b) {
  if (a->size > b->size) return -1;
  if (a->size < b->size) return 1;
  return 0;
}

namespace {
int qsortSizeDescending(const void* a, const void* b) {
  return compareSizeDescending(static_cast<const ScanItem*>(a), static_cast<const ScanItem*>(b));
}
}  // namespace

void sortBySizeDescending(ScanItem* items, int32_t count) {
  if (!items || count < 2) return;
  // Sorting whole records would move each 4.6 KB record log(n) times; sort
  // indices instead and then move every record once along its cycle.
  int32_t* order = static_cast<int32_t*>(std::malloc(sizeof(int32_t) * static_cast<size_t>(count)));
  ScanItem* spare = static_cast<ScanItem*>(std::malloc(sizeof(ScanItem)));
  if (!order || !spare) {
    std::free(order);
    std::free(spare);
    std::qsort(items, static_cast<size_t>(count), sizeof(ScanItem), qsortSizeDescending);
    return;
  }
  for (int32_t i = 0; i < count; ++i) order[i] = i;
  std::sort(order, order + count,
            [items](int32_t a, int32_t b) { return items[a].size > items[b].size; });
  // order[i] is the index of the record that belongs at i.
  for (int32_t start = 0; start < count; ++start) {
    if (order[start] == start) continue;
    std::memcpy(spare, &items[start], sizeof(ScanItem));
    int32_t at = start;
    for (;;) {
      int32_t from = order[at];
      order[at] = at;
      if (from == start) {
        std::memcpy(&items[at], spare, sizeof(ScanItem));
        break;
      }
      std::memcpy(&items[at], &items[from], sizeof(ScanItem));
      at = from;
    }
  }
  std::free(order);
  std::free(spare);
}

void releaseScanModel(ScanModel& m) {
  std::free(m.rows);
  std::free(m.fileList);
  std::free(m.fileHeap);
  std::free(m.visibleRows);
  m.rows = nullptr;
  m.fileList = nullptr;
  m.fileHeap = nullptr;
  m.visibleRows = nullptr;
  m.rowCount = m.rowCapacity = 0;
  m.fileListCount = m.fileListCapacity = 0;
  m.visibleCount = m.visibleCapacity = 0;
}
