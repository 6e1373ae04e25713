// Squarified treemap layout of the visible rows: each item becomes a rectangle
// whose area follows its size, the long tail of small items is folded into one
// "Others (%d items)" cell, and every edge is snapped from one running value so
// the cells tile the area with no gap and no overlap.
//
// The layout runs at the start of every treemap paint; its cells stay in the
// panel until the next one and are what hovering, the right-click jump and the
// hover popup hit-test and read.
#pragma once
#include <cstddef>
#include <cstdint>

#include "scan/scan_item.h"

// One laid-out item, in client pixels (right and bottom exclusive). `item` is a
// visible row or the panel's own othersItem, which callers recognise by its
// address, never by its name.
struct TreemapCell {
  int32_t left;
  int32_t top;
  int32_t right;
  int32_t bottom;
  const ScanItem* item;
};

// Where the layout's memory comes from. Null members (or a null allocator)
// mean malloc and free; tests put a failing allocator here to reach the
// fallbacks for short memory.
struct TreemapAllocator {
  void* (*allocate)(void* context, size_t bytes);
  void (*release)(void* context, void* block);
  void* context;
};

// What a layout was made from; the same inputs give the same cells.
struct TreemapLayoutKey {
  uint64_t rowsSignature;  // treemapRowsSignature of the visible rows
  uint64_t rowsGeneration;
  int32_t count, dpiScalePercent;
  int32_t left, top, right, bottom;
};

// The treemap cache of the panel record; zero-initialised with the record.
struct TreemapLayoutState {
  // Pseudo item of the last layout that grouped small items: only name,
  // size (exact sum) and fileCount (-1) are set.
  ScanItem othersItem;
  TreemapCell* treemapCells;  // owned; null before the first layout
  int32_t treemapCellCount;
  uint64_t treemapTotal;  // sum of all visible sizes at the last layout
  const TreemapAllocator* allocator;
  // The inputs of the cells above, when layoutTreemapIfChanged made them.
  int32_t layoutKeyValid;
  TreemapLayoutKey layoutKey;
};

// Lays out `visibleCount` rows (in any order; they are not reordered) in the
// area (left, top, right, bottom). minCell, the smallest cell worth its own
// rectangle, is MulDiv(50, dpiScalePercent, 100). Replaces the cells, the
// count and the total, and othersItem when small items are grouped. On short
// memory: no working array -> no cells (total kept); no grouped list -> the
// items are laid out ungrouped; no area array -> every cell is empty.
void layoutTreemap(TreemapLayoutState* state, const ScanItem* const* visibleRows,
                   int32_t visibleCount, int32_t dpiScalePercent, int32_t left, int32_t top,
                   int32_t right, int32_t bottom);

// Identity of a set of visible rows, in order (their addresses and their
// number). The treemap's pop-in restarts whenever it changes.
uint64_t treemapRowsSignature(const ScanItem* const* rows, int32_t count);

// layoutTreemap, unless the rows (by identity and order), their generation
// (bumped when records change in place), the scale and the area are those of
// the last layout made here: then the cells stay. A repaint (hover, pop-in
// frames every 30 ms) so costs one pass over the row pointers instead of
// reading every record. Returns true when it laid out.
bool layoutTreemapIfChanged(TreemapLayoutState* state, const ScanItem* const* visibleRows,
                            int32_t visibleCount, uint64_t rowsGeneration, int32_t dpiScalePercent,
                            int32_t left, int32_t top, int32_t right, int32_t bottom);

// Index of the first cell (in layout order) containing (x, y), or -1.
int32_t treemapCellAt(const TreemapLayoutState* state, int32_t x, int32_t y);

// Frees the cell array (panel teardown); the state can be laid out again.
void releaseTreemapCells(TreemapLayoutState* state);

// The ordering of the layout: larger size first, equal sizes by name ignoring
// case. Exposed so the paint and the tests share it.
bool treemapOrderBefore(const ScanItem* a, const ScanItem* b);
