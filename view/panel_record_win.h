// One panel record per panel window, reached through the window's user-data
// slot. Groups owned by the subsystems are embedded whole; the window thread and
// the scan thread share only what the scan group says it shares.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>

#include "config/panel_resources_win.h"
#include "config/settings.h"
#include "icons/icon_set.h"
#include "scan/scan_model.h"
#include "treemap/treemap_layout.h"
#include "view/layout.h"
#include "view/view_state.h"
#include "win/panel_ids.h"


struct PanelRecord {
  // Target and window. The folder shown, without any long-path prefix, is the
  // scan group's targetPath.
  HWND panelWindow;
  // Scan group: the scan thread's results and the hand-over flags.
  ScanModel scan;
  HANDLE scanThread;
  // View state (scroll, modes, sort, hover, animation clocks) and the search
  // box's text and frame; the window thread alone touches them.
  ViewState view;
  SearchState search;
  // The treemap's cells of the last layout, and the list's measured column widths.
  TreemapLayoutState treemap;
  ColumnWidthCache columnWidths;
  // Settings, colours and metrics, and the drawing objects made from them.
  PanelSettings settings;
  PanelResources res;
  // Stock, host and mark icons and the two icon caches.
  IconSet icons;
  // Search box handles.
  HWND searchEdit;
  HWND searchButton;
  WNDPROC searchEditOldProc;
  // COM, initialised on the window thread by ListLoad.
  uint32_t comInitialized;
  // Owners of the record: the window, and the scan thread while it runs. The
  // last one to let go frees it, so a scan that outlives teardown's wait never
  // touches freed memory.
  std::atomic<int32_t> owners;
};

// Allocates a zero-filled record; null when memory is short.
PanelRecord* allocatePanelRecord();
// Drops one owner; the last owner frees the scan's arrays and the record.
void releasePanelRecord(PanelRecord* rec);
// The record attached to a panel window, or null (during creation, after teardown).
PanelRecord* panelRecordOf(HWND window);
