// The one record of the child rows, the file list and the treemap's "Others" item.
// Flat and fixed-size so whole records are block-copied and sorted in place.
#pragma once
#include <cstdint>

constexpr int kNameUnits = 260;   // at most 259 characters and the terminator
constexpr int kPathUnits = 2048;  // at most 2047 characters and the terminator

struct ScanItem {
  char16_t name[kNameUnits];
  char16_t fullPath[kPathUnits];
  uint64_t size;
  uint32_t isFolder;
  uint32_t isLink;
  uint32_t accessDenied;
  uint32_t fromEverything;
  int32_t fileCount;  // -1 = unknown; 0 for files
};
