// One panel record per panel window, reached through the window's user-data
// slot. Groups owned by the subsystems are embedded whole; the window thread and
// the scan thread share only what the scan group says it shares.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>

#include "config/panel_resources_win.h"
#include "config/settings.h"
#include "scan/scan_model.h"

constexpr UINT WM_SCAN_FINISHED = WM_USER + 100;  // 1124, posted by the scan thread
constexpr UINT_PTR kRefreshTimer = 1001;
constexpr UINT_PTR kHoverTimer = 1002;
constexpr UINT_PTR kPopInTimer = 1003;
constexpr int kSearchEditId = 2001;
constexpr int kSearchButtonId = 2002;

struct PanelRecord {
  // Target and window. The folder shown, without any long-path prefix, is the
  // scan group's targetPath.
  HWND panelWindow;
  // Scan group: the scan thread's results and the hand-over flags.
  ScanModel scan;
  HANDLE scanThread;
  // Scroll.
  int32_t scrollOffset;
  int32_t scrollMax;
  // Settings, colours and metrics, and the drawing objects made from them.
  PanelSettings settings;
  PanelResources res;
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
