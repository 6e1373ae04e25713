// The view state of one panel: what the user has chosen (view mode, sort,
// scroll, search text) and what the mouse is doing (hover, drag, animation
// clocks). The window thread alone reads and writes it. Portable: the paint
// reads it, the input rules change it, the window procedure only applies the
// effects those rules return.
#pragma once
#include <cstdint>

#include "draw/canvas.h"
#include "format/visible_rows.h"  // kSearchTextUnits: the edit holds at most 127 characters

constexpr int kViewHeaderColumns = 5;  // "Ext", "Name", "# Files", "Size", "%"

struct ViewState {
  int32_t scrollOffset;  // 0 <= scrollOffset <= scrollMax
  int32_t scrollMax;     // 0 when the rows fit
  uint32_t thumbDragging;
  int32_t thumbGrabOffset;  // where on the thumb it was grabbed, in pixels

  uint32_t showTopFiles;  // 0: the folder's children; 1: the largest files
  Rect topFilesToggleRect;
  uint32_t treemapView;  // 0: list, 1: treemap
  Rect treemapButtonRect;
  uint32_t treemapButtonHover;

  int32_t sortColumn;  // 0 Ext, 1 Name, 2 # Files, 3 Size, 4 %
  uint32_t sortDescending;
  Rect headerCellRects[kViewHeaderColumns];
  int32_t hoverHeader;  // -1: none, or the sort column

  int32_t hoverRow;   // -1: none
  int32_t hoverCell;  // -1: none
  int32_t hoverX, hoverY;
  uint32_t hoverStartTick;
  uint32_t hoverTimerRunning;
  uint32_t leaveTracking;

  int32_t sizeColumnWidth;

  uint64_t popSignature;
  uint32_t popSignatureValid;
  uint32_t popAnimating;
  uint32_t popStartTick;
  uint32_t popTimerRunning;
};

// The search box's share of the view: the text last typed (applied as the
// filter) and where its frame was placed.
struct SearchState {
  char16_t searchText[kSearchTextUnits];
  Rect searchFrameRect;
};

// The first values of a new panel: list view, sorted by size, largest first,
// nothing hovered.
inline void initViewState(ViewState& v) {
  v = ViewState{};
  v.sortColumn = 3;
  v.sortDescending = 1;
  v.hoverHeader = -1;
  v.hoverRow = -1;
  v.hoverCell = -1;
}
