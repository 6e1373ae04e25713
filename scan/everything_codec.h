// The byte-level side of the Everything exchange: the query blocks we send and
// the three kinds of answer we read. Everything is another process, so every
// answer is untrusted input: the parsers read it in place and never look
// outside [data, data + length) whatever the counts, offsets and lengths say.
// All position arithmetic is done in 64 bits so that nothing wraps in the
// 32-bit plugin.
#pragma once
#include <cstddef>
#include <cstdint>

#include "scan/scan_item.h"
#include "scan/search_client.h"

constexpr uint32_t kEverythingReplyId = 18;      // copy-data identifier both ways
constexpr uint32_t kEverythingSearchFlags = 4;
constexpr uint32_t kEverythingLoadedQuestion = 401;  // wParam of WM_USER
constexpr uint32_t kEverythingHeaderBytes = 28;  // query block before the text
constexpr uint32_t kEverythingReplyHeaderBytes = 20;
constexpr uint32_t kEverythingFolderFlag = 1;
constexpr int kQueryTextCopyUnits = kQueryTextUnits;  // 299 characters + terminator

enum class EverythingQuery { FolderSizes = 0, TopFiles = 1, FileCounts = 2 };

// One row of the query table: what each of the three questions sends and how
// long it waits for its answer.
struct EverythingQueryShape {
  uint32_t properties;
  uint32_t sortOrder;
  uint32_t waitMs;
  uint32_t textExtraUnits;  // search text buffer = path length + this
  const char16_t* replyClass;
};

const EverythingQueryShape& everythingQueryShape(EverythingQuery q);

// Length of path without its trailing backslashes (all-backslash paths give 0).
size_t everythingTrimmedLength(const char16_t* path);

// Writes the search text of query q for targetPath into out (cut to cap units,
// always terminated). maxTopFiles is used by the top-files text only.
// Returns the number of units written.
size_t everythingSearchText(EverythingQuery q, const char16_t* targetPath, int maxTopFiles,
                            char16_t* out, size_t cap);

// The exact block length for a search text of n characters: 30 + 2n.
inline uint64_t everythingQueryBlockLength(size_t n) {
  return kEverythingHeaderBytes + 2 * (static_cast<uint64_t>(n) + 1);
}

// Fills an EverythingQueryMessage into block (which must hold
// everythingQueryBlockLength(textLength) bytes). Returns the bytes written, or
// 0 when cap is too small.
size_t everythingBuildQuery(uint8_t* block, size_t cap, uint32_t replyWindow,
                            uint32_t maxResults, uint32_t properties, uint32_t sortOrder,
                            const char16_t* text, size_t textLength);

// ---- answers ------------------------------------------------------------------
// Each parser returns false only when the block is absent or shorter than the
// 20-byte header (the query has then failed); otherwise true, also when no item
// was usable. Out-parameters may be null.

bool everythingParseFolderSizes(const uint8_t* data, size_t length, FolderSizeEntry* table,
                                int capacity, int* stored, uint32_t* tot, uint32_t* num);

bool everythingParseTopFiles(const uint8_t* data, size_t length, TopFileEntry* buffer,
                             int capacity, int* stored);

// Finds, for a child-folder name, the first row that the file-count rule would
// pick (isFolder and fromEverything set, same name ignoring case). Built once
// per query so that matching a path costs the same however many rows there are.
struct ChildNameIndex {
  int32_t* slots;     // row index + 1, 0 = empty; open addressing
  uint32_t mask;      // slot count - 1 (slot count a power of two)
  const ScanItem* rows;
  int rowCount;
};

// False when the slot table cannot be allocated; the index is then empty and
// lookups fall back to walking the rows, so the result is the same either way.
bool childIndexBuild(ChildNameIndex* index, const ScanItem* rows, int rowCount);
void childIndexRelease(ChildNameIndex* index);
// Index of the matching row, or -1.
int childIndexFind(const ChildNameIndex* index, const char16_t* name, size_t length);

// Finds, for a child folder's name, the first entry of the folder-size table
// with that name ignoring case. Built once per scan: matching thousands of
// children against thousands of answers one by one took seconds.
struct FolderTableIndex {
  int32_t* slots;  // entry index + 1, 0 = empty; open addressing
  uint32_t mask;
  const FolderSizeEntry* table;
  int count;
};

// False when the slot table cannot be allocated; lookups then walk the table,
// with the same results.
bool folderIndexBuild(FolderTableIndex* index, const FolderSizeEntry* table, int count);
void folderIndexRelease(FolderTableIndex* index);
// The first matching entry, or null.
const FolderSizeEntry* folderIndexFind(const FolderTableIndex* index, const char16_t* name);

// Everything the file-count reply needs besides the block.
struct FileCountTarget {
  const char16_t* targetPath;
  size_t trimmedLength;
  ScanItem* rows;
  int rowCount;
  uint32_t maxResults;
  const ChildNameIndex* index;  // optional; null walks the rows
};

bool everythingParseFileCounts(const uint8_t* data, size_t length, const FileCountTarget& target,
                               uint32_t* tot, uint32_t* num);

// The child segment of a full path beneath the target: where it starts and how
// long it is, when the path lies inside a child folder of the target. Exposed
// for the tests and the fake engine.
bool everythingChildSegment(const char16_t* path, size_t pathLength, const char16_t* target,
                            size_t trimmedLength, size_t* start, size_t* length);
