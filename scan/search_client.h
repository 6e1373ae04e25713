// The scan's view of the desktop search engine ("Everything"). The real client
// talks to the engine's IPC window (scan/everything_client_win.cpp); tests use
// fakes. Each query blocks until the answer arrives, its wait limit passes, or
// the cancel flag handed to it is set.
#pragma once
#include <atomic>
#include <cstdint>

#include "scan/scan_item.h"

struct FolderSizeEntry {
  char16_t name[kNameUnits];
  uint64_t size;
};

struct TopFileEntry {
  char16_t name[kNameUnits];
  char16_t fullPath[kPathUnits];
  uint64_t size;
};

constexpr int kFolderTableCapacity = 8192;
constexpr uint32_t kFileCountMaxResults = 5000000;
constexpr int kQueryTextUnits = 300;

// The three reply windows, one per query.
enum class SearchHelper { Folder, TopFiles, FileCount };

struct SearchClient {
  virtual ~SearchClient() = default;
  // Is the engine's window there? Remembers it for the queries.
  virtual bool findWindow() = 0;
  // Asked only after findWindow() succeeded.
  virtual bool isDatabaseLoaded() = 0;
  virtual bool createHelper(SearchHelper which) = 0;
  virtual void destroyHelper(SearchHelper which) = 0;
  // queryText receives at most 299 characters of the search text sent.
  // tot and num are given back even on failure (0 when nothing came).
  virtual bool queryFolderSizes(const char16_t* targetPath, FolderSizeEntry* table, int capacity,
                                char16_t* queryText, int* stored, uint32_t* tot,
                                uint32_t* num, const std::atomic<uint32_t>* cancel) = 0;
  virtual bool queryTopFiles(const char16_t* targetPath, TopFileEntry* buffer, int maxTopFiles,
                             int* stored, const std::atomic<uint32_t>* cancel) = 0;
  // Adds to the fileCount of the matching rows (folders sized by the engine).
  virtual bool queryFileCounts(const char16_t* targetPath, ScanItem* rows, int rowCount,
                               uint32_t maxResults, uint32_t* tot, uint32_t* num,
                               const std::atomic<uint32_t>* cancel) = 0;
};

// Behaves as "window not found": every scan then walks.
struct NullSearchClient final : SearchClient {
  bool findWindow() override { return false; }
  bool isDatabaseLoaded() override { return false; }
  bool createHelper(SearchHelper) override { return false; }
  void destroyHelper(SearchHelper) override {}
  bool queryFolderSizes(const char16_t*, FolderSizeEntry*, int, char16_t* queryText, int* stored,
                        uint32_t* tot, uint32_t* num, const std::atomic<uint32_t>*) override {
    if (queryText) queryText[0] = 0;
    if (stored) *stored = 0;
    if (tot) *tot = 0;
    if (num) *num = 0;
    return false;
  }
  bool queryTopFiles(const char16_t*, TopFileEntry*, int, int* stored,
                     const std::atomic<uint32_t>*) override {
    if (stored) *stored = 0;
    return false;
  }
  bool queryFileCounts(const char16_t*, ScanItem*, int, uint32_t, uint32_t* tot, uint32_t* num,
                       const std::atomic<uint32_t>*) override {
    if (tot) *tot = 0;
    if (num) *num = 0;
    return false;
  }
};
