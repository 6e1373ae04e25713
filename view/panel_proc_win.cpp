#include "view/panel_proc_win.h"

#include <windowsx.h>

#include "view/host_actions_win.h"
#include "view/input.h"
#include "view/paint_win.h"
#include "view/panel_record_win.h"
#include "view/search_box_win.h"
#include "win/clipboard_win.h"

namespace {

bool scanRunning(const PanelRecord& rec) {
  // Acquire: once the scan has said it is over, its rows are complete.
  return rec.scan.scanRunning.load(std::memory_order_acquire) != 0;
}

// The facts the input rules read, from the same view the paint reads, so both
// see the same rows (none while the scan runs).
InputContext inputOf(HWND window, PanelRecord& rec) {
  RECT client = {};
  GetClientRect(window, &client);
  const PanelView view = panelViewOf(rec, client.right - client.left, client.bottom - client.top, nullptr);
  InputContext p{};
  p.metrics = view.metrics;
  p.clientWidth = view.clientWidth;
  p.clientHeight = view.clientHeight;
  p.scanRunning = view.scanRunning != 0;
  p.fancyBar = rec.settings.fancyBar != 0;
  p.fancyText = rec.settings.fancyText != 0;
  p.visibleRows = view.visibleRows;
  p.visibleCount = view.visibleCount;
  p.treemap = view.treemap;
  return p;
}

void copyDiagnosticLine(HWND window, PanelRecord& rec, int32_t line) {
  RECT client = {};
  GetClientRect(window, &client);
  PanelViewLines lines;
  const PanelView view = panelViewOf(rec, client.right - client.left, client.bottom - client.top, &lines);
  char16_t text[kCopyLineUnits];
  if (diagnosticCopyText(line, rec.settings.configDiagLine, view.everythingStatusLine,
                         view.scanDetailLine, view.exeIconFailLine, text, kCopyLineUnits) > 0)
    copyTextToClipboard(window, text);
}

// The host's actions come last: a jump in the same pane or the About box's
// message loop may destroy the panel and free its record before they return.
void runAction(HWND window, PanelRecord& rec, const Action& action) {
  const HostActions& host = hostActions();
  switch (action.kind) {
    case ActionKind::About:
      if (host.showAboutBox) host.showAboutBox(GetAncestor(window, GA_ROOTOWNER));
      break;
    case ActionKind::Jump:
      if (host.jumpToPane && action.item)
        host.jumpToPane(window, action.item->fullPath, rec.settings.jumpToSamePane != 0);
      break;
    case ActionKind::Copy:
      copyDiagnosticLine(window, rec, action.line);
      break;
    case ActionKind::None:
      break;
  }
}

// The one place that turns effects into calls on the window.
void apply(HWND window, PanelRecord& rec, const Effects& e) {
  static const struct { uint32_t id; UINT period; } timers[] = {
      {kRefreshTimer, 250}, {kHoverTimer, 30}, {kPopInTimer, 30}};
  for (const auto& t : timers) {
    if (e.killTimers & timerBit(t.id)) KillTimer(window, t.id);
    if (e.startTimers & timerBit(t.id)) SetTimer(window, t.id, t.period, nullptr);
  }
  if (e.capture) SetCapture(window);
  if (e.releaseCapture && GetCapture() == window) ReleaseCapture();
  if (e.trackLeave) {
    TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE, window, 0};
    if (!TrackMouseEvent(&track)) rec.view.leaveTracking = 0;  // ask again on the next move
  }
  // Emptying the edit reports its change back through EN_CHANGE, which filters
  // the rows again with the empty text.
  if (e.clearSearchEdit && rec.searchEdit) SetWindowTextW(rec.searchEdit, L"");
  // The rows are the scan thread's until it has finished.
  const bool rows = e.rowsChanged != RowsChange::None && !scanRunning(rec);
  if (rows)
    applyRowsChange(e.rowsChanged, rec.scan, rec.view, rec.search, rec.settings.showHeaders ? 1 : 0);
  if (rows || e.newScrollRange) refreshScrollRange(window, rec);
  if (e.repaint) InvalidateRect(window, nullptr, FALSE);
  if (e.cursor != Cursor::Default)
    SetCursor(LoadCursorW(nullptr, e.cursor == Cursor::Hand ? IDC_HAND : IDC_ARROW));
  runAction(window, rec, e.action);
}

LRESULT searchBoxCommand(HWND window, PanelRecord& rec, WPARAM wParam, LPARAM lParam) {
  const int id = LOWORD(wParam), code = HIWORD(wParam);
  HWND from = reinterpret_cast<HWND>(lParam);
  if (id == kSearchEditId && code == EN_CHANGE && from && from == rec.searchEdit) {
    char16_t text[kSearchTextUnits];
    readSearchEdit(rec, text, kSearchTextUnits);
    apply(window, rec, onSearchTextChanged(rec.view, rec.search, text, scanRunning(rec)));
  } else if (id == kSearchButtonId && code == BN_CLICKED && from && from == rec.searchButton &&
             rec.searchEdit) {
    SetWindowTextW(rec.searchEdit, L"");  // its EN_CHANGE clears the filter
    SetFocus(rec.searchEdit);
  }
  return 0;
}

}  // namespace

LRESULT CALLBACK panelWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  PanelRecord* rec = panelRecordOf(window);
  switch (msg) {
    case WM_ERASEBKGND:
      return 1;  // every paint covers the whole client area
    case WM_PAINT:
    case WM_PRINTCLIENT:
      paintPanelWindow(window, rec, msg == WM_PRINTCLIENT ? reinterpret_cast<HDC>(wParam) : nullptr);
      return 0;
    case WM_TIMER:
      if (!rec) {
        KillTimer(window, wParam);  // a tick that outlived its panel
        return 0;
      }
      apply(window, *rec, onTimer(rec->view, inputOf(window, *rec), static_cast<uint32_t>(wParam),
                                  GetTickCount()));
      return 0;
  }
  if (!rec) return DefWindowProcW(window, msg, wParam, lParam);

  const int32_t x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
  switch (msg) {
    case WM_SIZE:
      placeSearchBox(window, *rec);
      refreshScrollRange(window, *rec);
      InvalidateRect(window, nullptr, FALSE);
      return 0;
    case WM_SETCURSOR: {
      // Only the panel's own client area: a child (the search edit) keeps its cursor.
      if (reinterpret_cast<HWND>(wParam) != window || LOWORD(lParam) != HTCLIENT) break;
      POINT at;
      if (!GetCursorPos(&at) || !ScreenToClient(window, &at)) break;
      const Effects e = onSetCursor(rec->view, inputOf(window, *rec), at.x, at.y);
      if (e.cursor == Cursor::Default) break;
      apply(window, *rec, e);
      return TRUE;
    }
    case WM_MOUSEMOVE:
      apply(window, *rec, onMouseMove(rec->view, inputOf(window, *rec), x, y, GetTickCount()));
      return 0;
    case WM_MOUSELEAVE:
      apply(window, *rec, onMouseLeave(rec->view));
      return 0;
    case WM_LBUTTONDOWN:
      apply(window, *rec, onLeftDown(rec->view, rec->search, inputOf(window, *rec), x, y));
      return 0;
    case WM_LBUTTONUP:
      apply(window, *rec, onLeftUp(rec->view));
      return 0;
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lParam) != window) apply(window, *rec, onCaptureLost(rec->view));
      return 0;
    case WM_RBUTTONDOWN:
      apply(window, *rec, onRightDown(rec->view, inputOf(window, *rec), x, y));
      return 0;
    case WM_MOUSEWHEEL:
      apply(window, *rec, onWheel(rec->view, inputOf(window, *rec), GET_WHEEL_DELTA_WPARAM(wParam)));
      return 0;
    case WM_COMMAND:
      return searchBoxCommand(window, *rec, wParam, lParam);
    case WM_CTLCOLOREDIT:
      if (reinterpret_cast<HWND>(lParam) != rec->searchEdit || !rec->res.searchBackBrush) break;
      return reinterpret_cast<LRESULT>(searchEditColors(*rec, reinterpret_cast<HDC>(wParam)));
    case WM_DRAWITEM:
      if (wParam != static_cast<WPARAM>(kSearchButtonId) || !rec->searchButton || !lParam) break;
      drawClearButton(*rec, *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      return TRUE;
    case WM_SCAN_FINISHED:
      if (!scanRunning(*rec)) apply(window, *rec, onScanFinished(rec->view));
      return 0;
  }
  return DefWindowProcW(window, msg, wParam, lParam);
}
