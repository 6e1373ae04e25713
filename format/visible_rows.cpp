#include "format/visible_rows.h"

#include <algorithm>
#include <cstdlib>

#include "format/text.h"

int sortSign = -1;

namespace {

int compareNumbers(uint64_t a, uint64_t b) { return a < b ? -1 : (a > b ? 1 : 0); }
int compareSigned(int64_t a, int64_t b) { return a < b ? -1 : (a > b ? 1 : 0); }
int largerFirst(const ScanItem* a, const ScanItem* b) { return -compareNumbers(a->size, b->size); }
int sign(int v) { return v < 0 ? -1 : (v > 0 ? 1 : 0); }

const char16_t* extensionOf(const char16_t* name) {
  const char16_t* dot = nullptr;
  for (const char16_t* p = name; *p; ++p)
    if (*p == u'.') dot = p;
  return dot ? dot : u"";
}

// Class of a folder in the file-count order: counted, unknown, link, refused.
int folderClass(const ScanItem* f) {
  if (f->isLink) return 2;
  if (f->accessDenied) return 3;
  if (f->fileCount < 0) return 1;
  return 0;
}

uint64_t largestVisible(const ScanModel& m) {
  uint64_t largest = 0;
  for (int32_t i = 0; i < m.visibleCount; ++i)
    if (m.visibleRows[i]->size > largest) largest = m.visibleRows[i]->size;
  return largest;
}

bool ensureVisibleCapacity(ScanModel& m, int32_t needed) {
  if (needed <= m.visibleCapacity && m.visibleRows) return true;
  void* grown = reallocArray(m.visibleRows, static_cast<size_t>(needed), sizeof(ScanItem*));
  if (!grown) return false;
  m.visibleRows = static_cast<ScanItem**>(grown);
  m.visibleCapacity = needed;
  return true;
}

bool containsNoCase(const char16_t* name, const char16_t* needle) {
  if (!name[0]) return false;
  for (const char16_t* start = name; *start; ++start) {
    const char16_t* h = start;
    const char16_t* n = needle;
    while (*h && *n && textFoldCase(*h) == textFoldCase(*n)) {
      ++h;
      ++n;
    }
    if (!*n) return true;
    if (!*h) return false;
  }
  return false;
}

}  // namespace

uint32_t defaultSortDescending(int32_t sortColumn) {
  return sortColumn == kSortExtension || sortColumn == kSortName ? 0 : 1;
}

int compareByExtension(const ScanItem* a, const ScanItem* b) {
  if (a->isFolder != b->isFolder) return a->isFolder ? 1 : -1;
  if (a->isFolder) {
    int bySize = largerFirst(a, b);
    if (bySize) return bySize;
    return sign(textCompareNoCase(a->name, b->name));
  }
  int byExt = sign(textCompareNoCase(extensionOf(a->name), extensionOf(b->name)));
  if (byExt) return byExt * sortSign;
  return largerFirst(a, b);
}

int compareByName(const ScanItem* a, const ScanItem* b) {
  int byName = sign(textCompareNoCase(a->name, b->name));
  if (byName) return byName * sortSign;
  return largerFirst(a, b);
}

int compareByFileCount(const ScanItem* a, const ScanItem* b) {
  if (a->isFolder != b->isFolder) return a->isFolder ? -1 : 1;
  if (a->isFolder) {
    int ca = folderClass(a), cb = folderClass(b);
    if (ca != cb) return ca < cb ? -1 : 1;
    if (ca == 0) {
      int byCount = compareSigned(a->fileCount, b->fileCount);
      if (byCount) return byCount * sortSign;
    }
    return largerFirst(a, b);
  }
  int bySize = compareNumbers(a->size, b->size);
  if (bySize) return bySize * sortSign;
  return sign(textCompareNoCase(a->name, b->name));
}

int compareBySize(const ScanItem* a, const ScanItem* b) {
  int bySize = compareNumbers(a->size, b->size);
  if (bySize) return bySize * sortSign;
  return sign(textCompareNoCase(a->name, b->name));
}

void buildVisibleRows(ScanModel& m, bool showTopFiles) {
  int32_t n = 0;
  ScanItem* source = nullptr;
  if (showTopFiles) {
    n = (m.fileListCount < 1 || m.maxTopFiles < 1) ? 0 : std::min(m.fileListCount, m.maxTopFiles);
    source = m.fileList;
  } else {
    n = m.rowCount;
    source = m.rows;
  }
  if (!source || n < 0) n = 0;
  // However maxTopFiles is set, the shown files must fit.
  if (n > 0 && !ensureVisibleCapacity(m, n)) n = m.visibleRows ? std::min(n, m.visibleCapacity) : 0;
  for (int32_t i = 0; i < n; ++i) m.visibleRows[i] = &source[i];
  m.visibleCount = n;
}

void sortVisibleRows(ScanModel& m, int32_t sortColumn, uint32_t sortDescending, uint32_t showHeaders) {
  if (m.visibleCount >= 2 && showHeaders) {
    sortSign = sortDescending ? -1 : 1;
    int (*compare)(const ScanItem*, const ScanItem*) =
        sortColumn == kSortExtension ? compareByExtension
        : sortColumn == kSortName    ? compareByName
        : sortColumn == kSortFileCount ? compareByFileCount
                                       : compareBySize;
    std::sort(m.visibleRows, m.visibleRows + m.visibleCount,
              [compare](const ScanItem* a, const ScanItem* b) { return compare(a, b) < 0; });
  }
  m.maxVisibleSize = largestVisible(m);
}

void applySearchFilter(ScanModel& m, const char16_t* searchText) {
  if (!searchText || !searchText[0]) return;
  if (m.visibleCount < 1 || !m.visibleRows) {
    m.visibleCount = 0;
    m.maxVisibleSize = 0;
    return;
  }
  char16_t needle[kSearchTextUnits];
  textCopy(needle, kSearchTextUnits, searchText);
  int32_t kept = 0;
  for (int32_t i = 0; i < m.visibleCount; ++i)
    if (containsNoCase(m.visibleRows[i]->name, needle)) m.visibleRows[kept++] = m.visibleRows[i];
  m.visibleCount = kept;
  m.maxVisibleSize = largestVisible(m);
}
