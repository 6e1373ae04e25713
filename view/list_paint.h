// The panel's paint: title, path and summary, diagnostic lines, progress or
// controls, the column header, the rows with their bars, and the scrollbar, or
// in the treemap view the treemap and its popup. Portable: it draws on a
// Canvas and takes the tick count, so every frame can be checked natively.
#pragma once
#include <cstdint>

#include "draw/canvas.h"
#include "view/panel_view.h"

// The geometry a paint lays out, which the mouse handling reads back.
struct PaintResults {
  uint32_t controlsLaidOut;  // not a scanning paint: the two control rectangles are new
  Rect topFilesToggleRect;
  Rect treemapButtonRect;
  uint32_t listLaidOut;  // list view: the header cells and the size column are new
  Rect headerCellRects[kHeaderColumns];
  int32_t sizeColumnWidth;
  // The treemap view's pop-in: a new visible set starts the animation at `now`.
  uint32_t popRestart;
  uint64_t popSignature;
};

PaintResults paintPanel(Canvas& c, const PanelView& v, uint32_t now);

// The hover flash of a row hovered `elapsed` ms ago: (1 - e/450)^2, 0 from 450 on.
double hoverFlash(uint32_t elapsed);

// The scroll range of the panel as it is now (list top from the bands of the
// current view, the visible rows, the client height).
ScrollRange panelScrollRange(const PanelView& v);
