// What the two paint benchmarks share: the clock, the window size, the
// --paints argument and a finished synthetic panel built as a real one is.
#pragma once
#include <windows.h>
#include <shellapi.h>

#include <cwchar>

#include "config/config_win.h"
#include "format/text.h"
#include "format/visible_rows.h"
#include "view/paint_win.h"

constexpr int kBenchWidth = 1000, kBenchHeight = 700;

inline double benchNowMs() {
  LARGE_INTEGER f, c;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&c);
  return 1000.0 * static_cast<double>(c.QuadPart) / static_cast<double>(f.QuadPart);
}

// "--paints N" from the command line, at least 1.
inline int benchPaintsArgument(int fallback) {
  int paints = fallback, argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  for (int i = 1; argv && i + 1 < argc; ++i)
    if (wcscmp(argv[i], L"--paints") == 0) paints = _wtoi(argv[++i]);
  if (argv) LocalFree(argv);
  return paints < 1 ? 1 : paints;
}

// A panel whose scan has finished with `rows` children (every other one a
// folder with a file count, sizes falling as 1/i), sorted by size, with the
// default settings. A treemapStyle of 0 or more opens it in the treemap view
// in that style with the pop-in off (every frame draws every cell in full);
// otherwise it is the list, scrolled to its middle.
inline PanelRecord* benchSyntheticPanel(HWND window, int rows, int32_t treemapStyle) {
  PanelRecord* rec = allocatePanelRecord();
  if (!rec) return nullptr;
  rec->panelWindow = window;
  initViewState(rec->view);
  loadPanelConfiguration(&rec->settings, &rec->res, window, L"");
  if (treemapStyle >= 0) {
    rec->settings.fancyPop = 0;
    rec->settings.fancyMapStyle = treemapStyle;
    rec->view.treemapView = 1;
  }
  initScanModel(rec->scan);
  textCopy(rec->scan.targetPath, kPathUnits, u"C:\\bench");
  rec->scan.rows = static_cast<ScanItem*>(reallocArray(nullptr, rows, sizeof(ScanItem)));
  if (!rec->scan.rows) return rec;
  rec->scan.rowCount = rows;
  for (int i = 0; i < rows; ++i) {
    ScanItem& it = rec->scan.rows[i];
    it = ScanItem{};
    textFormat(it.name, kNameUnits, i % 2 ? u"folder %d" : u"file %d.dat", i);
    it.size = 5000000000ull / (static_cast<uint64_t>(i) + 1);
    it.isFolder = i % 2;
    it.fileCount = it.isFolder ? i * 7 : 0;
    rec->scan.totalSize += it.size;
  }
  rec->scan.filesCounted.store(static_cast<uint32_t>(rows));
  buildVisibleRows(rec->scan, false);
  sortVisibleRows(rec->scan, rec->view.sortColumn, rec->view.sortDescending, 1);
  rec->scan.scanRunning.store(0);
  if (treemapStyle < 0) {
    refreshScrollRange(window, *rec);
    rec->view.scrollOffset = rec->view.scrollMax / 2;
  }
  return rec;
}
