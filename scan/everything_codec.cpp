#include "scan/everything_codec.h"

#include <cstdlib>
#include <cstring>

#include "format/text.h"

namespace {

const EverythingQueryShape kQueryShapes[3] = {
    {0x11, 1, 5000, 32, u"MorvaneEverythingIpcHelper"},
    {0x15, 6, 5000, 48, u"MorvaneEverythingFileIpcHelper"},
    {0x04, 1, 20000, 16, u"MorvaneEverythingFileCountIpcHelper"},
};

constexpr uint64_t kNameCopyMax = kNameUnits - 1;  // 259
constexpr uint64_t kPathCopyMax = kPathUnits - 1;  // 2047
constexpr size_t kSegmentMax = kNameUnits - 1;     // longest child name that can match

// Reads go through memcpy: offsets come from the other process and need not be
// aligned, and a misaligned load is undefined behaviour.
inline uint32_t read32(const uint8_t* p, uint64_t at) {
  uint32_t v;
  std::memcpy(&v, p + at, 4);
  return v;
}
inline uint64_t read64(const uint8_t* p, uint64_t at) {
  uint64_t v;
  std::memcpy(&v, p + at, 8);
  return v;
}
inline char16_t readUnit(const uint8_t* p, uint64_t at) {
  char16_t v;
  std::memcpy(&v, p + at, 2);
  return v;
}
inline void write32(uint8_t* p, size_t at, uint32_t v) { std::memcpy(p + at, &v, 4); }

inline bool isWithin(uint64_t at, uint64_t bytes, uint64_t blockLength) {
  return at <= blockLength && bytes <= blockLength - at;
}

// Copies n units of UTF-16 text from the block (n already checked to fit) and
// terminates it; dst holds at least n + 1 units.
void copyUnits(char16_t* dst, const uint8_t* block, uint64_t at, uint64_t n) {
  std::memcpy(dst, block + at, static_cast<size_t>(n) * 2);
  dst[n] = 0;
}

// Zeroes tot and num, then reads them from the header; false when the block
// cannot hold the header.
bool readHeader(const uint8_t* data, size_t length, uint32_t* tot, uint32_t* num) {
  if (tot) *tot = 0;
  if (num) *num = 0;
  if (!data || length < kEverythingReplyHeaderBytes) return false;
  if (tot) *tot = read32(data, 0);
  if (num) *num = read32(data, 4);
  return true;
}

// Item i's table entry: false once the entry leaves the block, which ends the walk.
bool readEntry(const uint8_t* data, uint64_t B, int64_t i, uint32_t* flags, uint64_t* d) {
  uint64_t at = kEverythingReplyHeaderBytes + 8 * static_cast<uint64_t>(i);
  if (!isWithin(at, 8, B)) return false;
  *flags = read32(data, at);
  *d = read32(data, at + 4);
  return true;
}

// A length-prefixed text at byte position at: its length L, where its units
// start, and how many of them are kept (at most copyMax). False when the
// prefix or the kept units leave the block. *next is where the text's
// terminator ends, whether or not that is still inside.
bool readText(const uint8_t* data, uint64_t B, uint64_t at, uint64_t copyMax, uint64_t* textAt,
              uint64_t* copied, uint64_t* next) {
  if (!isWithin(at, 4, B)) return false;
  uint64_t L = read32(data, at);
  *textAt = at + 4;
  *copied = L < copyMax ? L : copyMax;
  *next = *textAt + 2 * L + 2;
  return isWithin(*textAt, 2 * *copied, B);
}

// How many items the reply walk looks at: num and the capacity are compared as
// signed 32-bit numbers, and a non-positive result means none.
int64_t itemLimit(uint32_t num, int64_t capacity) {
  int64_t n = static_cast<int32_t>(num);
  int64_t limit = n < capacity ? n : capacity;
  return limit > 0 ? limit : 0;
}

inline char16_t fold(char16_t c) {
  if (c < 0x80) return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
  return textFoldCase(c);
}

inline uint32_t hashStep(uint32_t h, char16_t folded) { return (h ^ folded) * 16777619u; }
constexpr uint32_t kHashSeed = 2166136261u;

bool rowEligible(const ScanItem& row) { return row.isFolder == 1 && row.fromEverything == 1; }

// Same length and the same units ignoring case; the row's terminator is met
// on the way instead of measuring its length first (the lookup's hot path).
bool nameEqualsUnits(const ScanItem& row, const char16_t* name, size_t length) {
  if (length >= static_cast<size_t>(kNameUnits)) return false;
  for (size_t k = 0; k < length; ++k)
    if (row.name[k] == 0 || fold(row.name[k]) != fold(name[k])) return false;
  return row.name[length] == 0;
}

int linearFind(const ScanItem* rows, int rowCount, const char16_t* name, size_t length) {
  for (int i = 0; i < rowCount; ++i)
    if (rowEligible(rows[i]) && nameEqualsUnits(rows[i], name, length)) return i;
  return -1;
}

// The segment test on raw block bytes (path text at byte position at, P units).
bool segmentInBlock(const uint8_t* block, uint64_t at, uint64_t pathLength, const char16_t* target,
                    size_t trimmed, size_t* start, size_t* length) {
  if (pathLength <= trimmed) return false;
  for (size_t k = 0; k < trimmed; ++k)
    if (fold(readUnit(block, at + 2 * k)) != fold(target[k])) return false;
  if (readUnit(block, at + 2 * trimmed) != u'\\') return false;
  uint64_t first = trimmed + 1;
  uint64_t last = first + kSegmentMax + 1;  // a backslash here or later: name too long
  if (last > pathLength) last = pathLength;
  for (uint64_t k = first; k < last; ++k) {
    if (readUnit(block, at + 2 * k) == u'\\') {
      if (k == first) return false;
      *start = static_cast<size_t>(first);
      *length = static_cast<size_t>(k - first);
      return true;
    }
  }
  return false;
}

}  // namespace

const EverythingQueryShape& everythingQueryShape(EverythingQuery q) {
  return kQueryShapes[static_cast<int>(q)];
}

size_t everythingTrimmedLength(const char16_t* path) {
  size_t n = textLength(path);
  while (n > 0 && path[n - 1] == u'\\') --n;
  return n;
}

size_t everythingSearchText(EverythingQuery q, const char16_t* targetPath, int maxTopFiles,
                            char16_t* out, size_t cap) {
  if (!out || cap == 0) return 0;
  out[0] = 0;
  if (!targetPath) targetPath = u"";
  size_t trimmed = everythingTrimmedLength(targetPath);
  const char16_t* tail = u"\\\"";
  switch (q) {
    case EverythingQuery::FolderSizes:
      textCopy(out, cap, u"folder:\"");
      tail = u"\\*\"";
      break;
    case EverythingQuery::TopFiles:
      textFormat(out, cap, u"count:%d file:\"", maxTopFiles);
      break;
    case EverythingQuery::FileCounts:
      textCopy(out, cap, u"file:\"");
      break;
  }
  size_t used = textLength(out);
  if (used + 1 < cap) textCopyN(out + used, cap - used, targetPath, trimmed);
  textAppend(out, cap, tail);
  return textLength(out);
}

size_t everythingBuildQuery(uint8_t* block, size_t cap, uint32_t replyWindow, uint32_t maxResults,
                            uint32_t properties, uint32_t sortOrder, const char16_t* text,
                            size_t textLength) {
  uint64_t need = everythingQueryBlockLength(textLength);
  if (!block || need > cap) return 0;
  write32(block, 0, replyWindow);
  write32(block, 4, kEverythingReplyId);
  write32(block, 8, kEverythingSearchFlags);
  write32(block, 12, 0);
  write32(block, 16, maxResults);
  write32(block, 20, properties);
  write32(block, 24, sortOrder);
  if (textLength) std::memcpy(block + kEverythingHeaderBytes, text, textLength * 2);
  std::memset(block + kEverythingHeaderBytes + textLength * 2, 0, 2);
  return static_cast<size_t>(need);
}

bool everythingParseFolderSizes(const uint8_t* data, size_t length, FolderSizeEntry* table,
                                int capacity, int* stored, uint32_t* tot, uint32_t* num) {
  if (stored) *stored = 0;
  if (!readHeader(data, length, tot, num)) return false;
  const uint64_t B = length;
  int64_t limit = table ? itemLimit(read32(data, 4), capacity) : 0;
  int count = 0;
  uint32_t flags;
  uint64_t d, nameAt, copied, sizeAt;
  for (int64_t i = 0; i < limit && readEntry(data, B, i, &flags, &d); ++i) {
    if (!(flags & kEverythingFolderFlag)) continue;
    if (!readText(data, B, d, kNameCopyMax, &nameAt, &copied, &sizeAt)) continue;
    // The slot is filled before the size check; an entry whose size lies
    // outside is simply not counted, so the next item reuses the slot.
    copyUnits(table[count].name, data, nameAt, copied);
    if (!isWithin(sizeAt, 8, B)) continue;
    table[count].size = read64(data, sizeAt);
    ++count;
  }
  if (stored) *stored = count;
  return true;
}

bool everythingParseTopFiles(const uint8_t* data, size_t length, TopFileEntry* buffer,
                             int capacity, int* stored) {
  if (stored) *stored = 0;
  if (!readHeader(data, length, nullptr, nullptr)) return false;
  const uint64_t B = length;
  int64_t limit = buffer ? itemLimit(read32(data, 4), capacity) : 0;
  int count = 0;
  uint32_t flags;
  uint64_t d, nameAt, nameCopied, pAt, pathAt, pathCopied, sizeAt;
  for (int64_t i = 0; i < limit && readEntry(data, B, i, &flags, &d); ++i) {
    if (!readText(data, B, d, kNameCopyMax, &nameAt, &nameCopied, &pAt)) continue;
    if (!readText(data, B, pAt, kPathCopyMax, &pathAt, &pathCopied, &sizeAt)) continue;
    if (!isWithin(sizeAt, 8, B)) continue;
    TopFileEntry& e = buffer[count];
    copyUnits(e.name, data, nameAt, nameCopied);
    copyUnits(e.fullPath, data, pathAt, pathCopied);
    e.size = read64(data, sizeAt);
    ++count;
  }
  if (stored) *stored = count;
  return true;
}

bool childIndexBuild(ChildNameIndex* index, const ScanItem* rows, int rowCount) {
  index->slots = nullptr;
  index->mask = 0;
  index->rows = rows;
  index->rowCount = rows && rowCount > 0 ? rowCount : 0;
  uint64_t eligible = 0;
  for (int i = 0; i < index->rowCount; ++i)
    if (rowEligible(rows[i])) ++eligible;
  uint64_t slotCount = 16;
  while (slotCount < 2 * eligible) slotCount *= 2;
  if (slotCount > (uint64_t(1) << 28)) return false;
  int32_t* slots = static_cast<int32_t*>(std::calloc(static_cast<size_t>(slotCount), sizeof(int32_t)));
  if (!slots) return false;
  uint32_t mask = static_cast<uint32_t>(slotCount - 1);
  for (int i = 0; i < index->rowCount; ++i) {
    if (!rowEligible(rows[i])) continue;
    size_t len = textLengthBounded(rows[i].name, kNameUnits);
    if (len == 0 || len > kSegmentMax) continue;
    uint32_t h = kHashSeed;
    for (size_t k = 0; k < len; ++k) h = hashStep(h, fold(rows[i].name[k]));
    for (uint32_t s = h & mask;; s = (s + 1) & mask) {
      if (slots[s] == 0) {
        slots[s] = i + 1;
        break;
      }
      // Only the first row of a name may answer for it.
      if (nameEqualsUnits(rows[slots[s] - 1], rows[i].name, len)) break;
    }
  }
  index->slots = slots;
  index->mask = mask;
  return true;
}

void childIndexRelease(ChildNameIndex* index) {
  std::free(index->slots);
  index->slots = nullptr;
  index->mask = 0;
}

int childIndexFind(const ChildNameIndex* index, const char16_t* name, size_t length) {
  if (!index->slots) return linearFind(index->rows, index->rowCount, name, length);
  if (length == 0 || length > kSegmentMax) return -1;
  uint32_t h = kHashSeed;
  for (size_t k = 0; k < length; ++k) h = hashStep(h, fold(name[k]));
  for (uint32_t s = h & index->mask;; s = (s + 1) & index->mask) {
    int32_t slot = index->slots[s];
    if (slot == 0) return -1;
    if (nameEqualsUnits(index->rows[slot - 1], name, length)) return slot - 1;
  }
}

namespace {

bool sameNameNoCase(const char16_t* a, const char16_t* b) {
  for (;; ++a, ++b) {
    if (fold(*a) != fold(*b)) return false;
    if (*a == 0) return true;
  }
}

// Names in the table are terminated within kNameUnits (the parser cuts them);
// a name read from a row is terminated within its field too.
uint32_t nameHash(const char16_t* name) {
  uint32_t h = kHashSeed;
  for (size_t k = 0; k < static_cast<size_t>(kNameUnits) && name[k]; ++k) h = hashStep(h, fold(name[k]));
  return h;
}

}  // namespace

bool folderIndexBuild(FolderTableIndex* index, const FolderSizeEntry* table, int count) {
  index->slots = nullptr;
  index->mask = 0;
  index->table = table;
  index->count = table && count > 0 ? count : 0;
  uint64_t slotCount = 16;
  while (slotCount < 2 * static_cast<uint64_t>(index->count)) slotCount *= 2;
  if (slotCount > (uint64_t(1) << 28)) return false;
  int32_t* slots = static_cast<int32_t*>(std::calloc(static_cast<size_t>(slotCount), sizeof(int32_t)));
  if (!slots) return false;
  uint32_t mask = static_cast<uint32_t>(slotCount - 1);
  for (int i = 0; i < index->count; ++i) {
    for (uint32_t s = nameHash(table[i].name) & mask;; s = (s + 1) & mask) {
      if (slots[s] == 0) {
        slots[s] = i + 1;
        break;
      }
      // Only the first entry of a name answers for it.
      if (sameNameNoCase(table[slots[s] - 1].name, table[i].name)) break;
    }
  }
  index->slots = slots;
  index->mask = mask;
  return true;
}

void folderIndexRelease(FolderTableIndex* index) {
  std::free(index->slots);
  index->slots = nullptr;
  index->mask = 0;
}

const FolderSizeEntry* folderIndexFind(const FolderTableIndex* index, const char16_t* name) {
  if (!name) return nullptr;
  if (!index->slots) {
    for (int i = 0; i < index->count; ++i)
      if (sameNameNoCase(index->table[i].name, name)) return &index->table[i];
    return nullptr;
  }
  for (uint32_t s = nameHash(name) & index->mask;; s = (s + 1) & index->mask) {
    int32_t slot = index->slots[s];
    if (slot == 0) return nullptr;
    if (sameNameNoCase(index->table[slot - 1].name, name)) return &index->table[slot - 1];
  }
}

bool everythingChildSegment(const char16_t* path, size_t pathLength, const char16_t* target,
                            size_t trimmedLength, size_t* start, size_t* length) {
  if (!path || !target) return false;
  return segmentInBlock(reinterpret_cast<const uint8_t*>(path), 0, pathLength, target,
                        trimmedLength, start, length);
}

bool everythingParseFileCounts(const uint8_t* data, size_t length, const FileCountTarget& target,
                               uint32_t* tot, uint32_t* num) {
  if (!readHeader(data, length, tot, num)) return false;
  const uint64_t B = length;
  if (!target.targetPath || !target.rows || target.rowCount <= 0) return true;
  int64_t limit = itemLimit(read32(data, 4), static_cast<int32_t>(target.maxResults));
  const uint64_t T = target.trimmedLength;
  char16_t segment[kNameUnits];
  uint32_t flags;
  uint64_t d;
  for (int64_t i = 0; i < limit && readEntry(data, B, i, &flags, &d); ++i) {
    if (!isWithin(d, 4, B)) continue;
    uint64_t P = read32(data, d);
    uint64_t pathAt = d + 4;
    if (!isWithin(pathAt, 2 * P + 2, B)) continue;
    if (P <= T) continue;
    size_t start, segLength;
    if (!segmentInBlock(data, pathAt, P, target.targetPath, static_cast<size_t>(T), &start,
                        &segLength))
      continue;
    std::memcpy(segment, data + pathAt + 2 * static_cast<uint64_t>(start), segLength * 2);
    int row = target.index ? childIndexFind(target.index, segment, segLength)
                           : linearFind(target.rows, target.rowCount, segment, segLength);
    if (row >= 0 && target.rows[row].fileCount < INT32_MAX) ++target.rows[row].fileCount;
  }
  return true;
}
