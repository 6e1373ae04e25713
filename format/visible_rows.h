// The list's rows: which records are shown (children or the largest files), in
// which order (the header sort) and which survive the search text. Only the
// pointer array moves; the records stay where the scan put them.
#pragma once
#include <cstdint>

#include "scan/scan_model.h"

constexpr int kSearchTextUnits = 128;

enum SortColumn : int32_t {
  kSortExtension = 0,
  kSortName = 1,
  kSortFileCount = 2,
  kSortSize = 3,
  kSortPercent = 4,
};

// Direction of the signed comparator rules: -1 descending, +1 ascending. Shared
// by every panel of the process; set right before each sort on the window thread.
extern int sortSign;

// The direction a column starts with when it becomes the sort column.
uint32_t defaultSortDescending(int32_t sortColumn);

int compareByExtension(const ScanItem* a, const ScanItem* b);
int compareByName(const ScanItem* a, const ScanItem* b);
int compareByFileCount(const ScanItem* a, const ScanItem* b);
int compareBySize(const ScanItem* a, const ScanItem* b);

// Refills visibleRows from rows, or from the first min(fileListCount,
// maxTopFiles) files when showTopFiles is 1; grows visibleRows when it is
// too small for that. maxVisibleSize is not touched.
void buildVisibleRows(ScanModel& m, bool showTopFiles);
// Orders visibleRows by the column (only when showHeaders is 1 and there are
// two or more) and recomputes maxVisibleSize.
void sortVisibleRows(ScanModel& m, int32_t sortColumn, uint32_t sortDescending, uint32_t showHeaders);
// Keeps the rows whose name contains searchText (case-insensitive); an empty
// text changes nothing.
void applySearchFilter(ScanModel& m, const char16_t* searchText);
