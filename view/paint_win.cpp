#include "view/paint_win.h"

#include "draw/gdi_canvas_win.h"
#include "icons/icons_win.h"
#include "view/list_paint.h"
#include "win/gdi_scope_win.h"
#include "win/panel_ids.h"

namespace {

void storePaintResults(HWND window, PanelRecord& rec, const PaintResults& r, uint32_t now) {
  ViewState& v = rec.view;
  if (r.controlsLaidOut) {
    v.topFilesToggleRect = r.topFilesToggleRect;
    v.treemapButtonRect = r.treemapButtonRect;
  }
  if (r.listLaidOut) {
    for (int i = 0; i < kHeaderColumns; ++i) v.headerCellRects[i] = r.headerCellRects[i];
    v.sizeColumnWidth = r.sizeColumnWidth;
  }
  if (r.popRestart) {
    v.popSignature = r.popSignature;
    v.popSignatureValid = 1;
    v.popAnimating = 1;
    v.popStartTick = now;
    if (!v.popTimerRunning && SetTimer(window, kPopInTimer, 30, nullptr)) v.popTimerRunning = 1;
  }
}

void paintInto(HWND window, PanelRecord* rec, HDC target) {
  RECT client;
  if (!GetClientRect(window, &client)) return;
  const int w = client.right - client.left, h = client.bottom - client.top;
  if (w <= 0 || h <= 0) return;
  MemoryDc memory(target);
  GdiBitmap bitmap(CreateCompatibleBitmap(target, w, h));
  if (!memory.get() || !bitmap) return;
  SelectScope useBitmap(memory.get(), bitmap.get());
  RECT all = {0, 0, w, h};
  HBRUSH back = rec && rec->res.backgroundBrush ? rec->res.backgroundBrush
                                                : static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  FillRect(memory.get(), &all, back);
  if (rec) {
    const uint32_t now = GetTickCount();
    PanelViewLines lines;
    PanelView view = panelViewOf(*rec, w, h, &lines);
    const PanelResources& res = rec->res;
    GdiCanvas canvas(memory.get(),
                     CanvasFonts{res.headerFont, res.bodyFont, res.bodyBoldFont, res.smallFont, res.italicFont});
    storePaintResults(window, *rec, paintPanel(canvas, view, now), now);
  }
  BitBlt(target, 0, 0, w, h, memory.get(), 0, 0, SRCCOPY);
}

}  // namespace

PanelView panelViewOf(PanelRecord& rec, int32_t clientWidth, int32_t clientHeight, PanelViewLines* lines) {
  PanelView v{};
  v.clientWidth = clientWidth;
  v.clientHeight = clientHeight;
  v.metrics = layoutMetricsOf(rec.settings);
  v.settings = &rec.settings;
  v.view = &rec.view;
  ScanModel& scan = rec.scan;
  // Acquire: once the scan has said it is over, its results are complete.
  v.scanRunning = scan.scanRunning.load(std::memory_order_acquire) ? 1 : 0;
  v.targetAccessDenied = scan.targetAccessDenied.load(std::memory_order_relaxed) ? 1 : 0;
  v.targetPath = scan.targetPath;
  if (!v.scanRunning) {
    v.visibleRows = scan.visibleRows;
    v.visibleCount = scan.visibleRows ? scan.visibleCount : 0;
    v.maxVisibleSize = scan.maxVisibleSize;
    v.totalSize = scan.totalSize;
  }
  v.filesCounted = scan.filesCounted.load(std::memory_order_relaxed);
  v.foldersCounted = scan.foldersCounted.load(std::memory_order_relaxed);
  if (lines) {
    readScanLines(scan, lines->status, kStatusLineUnits, lines->detail, kDetailLineUnits);
    v.everythingStatusLine = lines->status;
    v.scanDetailLine = lines->detail;
  }
  v.exeIconFailLine = rec.icons.exeIconFailLine;
  v.iconFor = lookupItemIcon;
  v.iconContext = &rec.icons;
  v.everythingLabelIcon = rec.icons.everythingLabelIcon;
  v.everythingOverlayIcon = rec.icons.everythingOverlayIcon;
  v.hasSearchEdit = rec.searchEdit ? 1 : 0;
  v.searchFrameRect = rec.search.searchFrameRect;
  v.treemap = &rec.treemap;
  v.columnWidths = &rec.columnWidths;
  v.bodyFontKey = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(rec.res.bodyFont));
  return v;
}

void paintPanelWindow(HWND window, PanelRecord* rec, HDC target) {
  if (target) {
    paintInto(window, rec, target);
    return;
  }
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  if (dc) paintInto(window, rec, dc);
  EndPaint(window, &ps);
}

void refreshScrollRange(HWND window, PanelRecord& rec) {
  RECT client;
  if (!GetClientRect(window, &client)) return;
  PanelView v = panelViewOf(rec, client.right - client.left, client.bottom - client.top, nullptr);
  const ScrollRange range = panelScrollRange(v);
  rec.view.scrollMax = range.scrollMax;
  rec.view.scrollOffset = range.scrollOffset;
}
