// The small box that follows the mouse over the treemap and names the cell
// under it: the item's name, then its size, its share of the total and, for a
// folder whose file count is known, that count.
#pragma once
#include <cstddef>
#include <cstdint>

#include "draw/canvas.h"
#include "treemap/treemap_paint.h"

struct HoverPopupInput {
  const TreemapLayoutState* layout;  // the cells the hover index refers to
  TreemapStyle style;
  int32_t hoverCell;  // -1: none
  int32_t hoverX, hoverY;
};

// Draws the popup inside `bounds` (the client rectangle), or nothing when the
// hover index names no cell of the current layout.
void paintHoverPopup(Canvas& canvas, const HoverPopupInput& in, Rect bounds);

// The second line of the popup for `item` ("%s (%s%%)", or with " • %s %s" and
// the file count for a folder whose count is known); `others` is the grouped
// item, which never shows a count. Cut to cap units.
size_t hoverPopupDetail(const NumberStyle& numbers, const ScanItem& item, bool others,
                        uint64_t total, char16_t* buf, size_t cap);
