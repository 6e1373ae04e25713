// What the painters read: one plain record of read-only inputs, filled from
// the panel record for each paint (view/paint_win.h) and by hand in the tests.
// Pointers point into the panel record and stay valid for the paint.
#pragma once
#include <cstdint>

#include "config/settings.h"
#include "draw/canvas.h"
#include "scan/scan_item.h"
#include "treemap/treemap_layout.h"
#include "view/layout.h"
#include "view/view_state.h"

// The icon of an item (null = none available); ctx is the panel's icon set.
typedef IconHandle (*IconLookupFn)(void* ctx, const ScanItem& item);

struct PanelView {
  int32_t clientWidth, clientHeight;
  LayoutMetrics metrics;
  const PanelSettings* settings;  // colours in force, switches, separators
  const ViewState* view;          // sort, hover, scroll, modes

  // The scan. The rows are read only once the scan has finished (visibleCount
  // is 0 while it runs); the counters and the two scan lines are live copies.
  uint32_t scanRunning;
  uint32_t targetAccessDenied;
  const char16_t* targetPath;
  const ScanItem* const* visibleRows;
  int32_t visibleCount;
  uint64_t totalSize;
  uint64_t maxVisibleSize;
  uint32_t filesCounted, foldersCounted;

  // Diagnostic texts (null reads as empty); shown with everythingDebug.
  const char16_t* everythingStatusLine;
  const char16_t* scanDetailLine;
  const char16_t* exeIconFailLine;

  // The search box: its frame is drawn when the edit exists.
  uint32_t hasSearchEdit;
  Rect searchFrameRect;

  // The treemap's cells: the treemap view lays them out here (again only
  // when its rows, area or scale changed) and paints them.
  TreemapLayoutState* treemap;

  // Icons: the row's icon when colorIcons is on, and the Everything marks
  // (null: the magnifier glyph stands in).
  IconLookupFn iconFor;
  void* iconContext;
  IconHandle everythingLabelIcon;
  IconHandle everythingOverlayIcon;

  // The measured column widths of the last paint; null measures every paint.
  ColumnWidthCache* columnWidths;
  uint64_t bodyFontKey;     // changes when the body font does
  uint64_t rowsGeneration;  // bump when row records change in place
};

// The geometry metrics of a panel's settings.
LayoutMetrics layoutMetricsOf(const PanelSettings& s);
// The thousands, decimal and unit choice of a panel's settings.
NumberStyle numberStyleOf(const PanelSettings& s);
