// The panel window's paint glue: the double buffer, the GdiCanvas over it with
// the panel's fonts, the portable paint, and the geometry it lays out stored
// back into the view state. The window procedure calls it for WM_PAINT and
// WM_PRINTCLIENT.
#pragma once
#include <windows.h>

#include "view/panel_record_win.h"
#include "view/panel_view.h"

// Paints the whole client area of the panel window into `target`; a null
// target paints the window itself (BeginPaint/EndPaint). A null record paints
// the background alone.
void paintPanelWindow(HWND window, PanelRecord* rec, HDC target);

// The paint's read-only inputs from the record, for a client of w x h. The
// scan's lines are copied into the caller's buffers (they may change while the
// scan runs).
struct PanelViewLines {
  char16_t status[kStatusLineUnits];
  char16_t detail[kDetailLineUnits];
};
PanelView panelViewOf(PanelRecord& rec, int32_t clientWidth, int32_t clientHeight,
                      PanelViewLines* lines);

// Recomputes scrollMax and clamps scrollOffset for the window's current size;
// call at creation, on WM_SIZE, when the scan ends and after every change of
// the visible rows.
void refreshScrollRange(HWND window, PanelRecord& rec);
