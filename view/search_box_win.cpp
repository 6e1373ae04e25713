#include "view/search_box_win.h"

#include "format/text.h"
#include "view/layout.h"
#include "view/panel_view.h"
#include "view/search_box.h"
#include "win/wide_win.h"

namespace {

constexpr WPARAM kCtrlBackspaceChar = 127;  // what Ctrl+Backspace types
constexpr int kSearchLimit = kSearchTextUnits - 1;

// The edit's own procedure, kept in the edit's user data as well as in the
// record: after teardown has freed the record the edit still receives its
// destroy messages, and only its own procedure frees what the edit holds.
WNDPROC standardEditProc(HWND edit) {
  return reinterpret_cast<WNDPROC>(GetWindowLongPtrW(edit, GWLP_USERDATA));
}

PanelRecord* recordOfEdit(HWND edit) { return panelRecordOf(GetParent(edit)); }

// The dimmed cue word, drawn over what the edit painted while it is empty and
// unfocused, on the edit's own drawing context (or the one it printed into).
void drawCueWord(HWND edit, const PanelRecord& rec, HDC given) {
  if (GetWindowTextLengthW(edit) != 0 || GetFocus() == edit) return;
  HDC dc = given ? given : GetDC(edit);
  if (!dc) return;
  RECT r;
  GetClientRect(edit, &r);
  r.left += 1;
  HGDIOBJ oldFont = rec.res.bodyFont ? SelectObject(dc, rec.res.bodyFont) : nullptr;
  const int oldMode = SetBkMode(dc, TRANSPARENT);
  const COLORREF oldColor = SetTextColor(dc, rec.settings.searchHintColor);
  DrawTextW(dc, L"search", -1, &r, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  SetTextColor(dc, oldColor);
  SetBkMode(dc, oldMode);
  if (oldFont) SelectObject(dc, oldFont);
  if (!given) ReleaseDC(edit, dc);
}

// Ctrl+Backspace: the selection, or the word before the caret with the
// blanks after it, replaced by nothing through the edit itself (undoable).
void deletePreviousWord(HWND edit) {
  DWORD selStart = 0, selEnd = 0;
  SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&selStart), reinterpret_cast<LPARAM>(&selEnd));
  wchar_t text[kSearchTextUnits] = {};
  GetWindowTextW(edit, text, kSearchTextUnits);
  const int32_t length = static_cast<int32_t>(textLengthBounded(U(text), kSearchTextUnits));
  const WordDelete d = wordDeleteRange(U(text), length, static_cast<int32_t>(selEnd),
                                       static_cast<int32_t>(selStart), static_cast<int32_t>(selEnd));
  if (!d.remove) return;
  if (!d.selection) SendMessageW(edit, EM_SETSEL, d.start, d.end);
  SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L""));
}

}  // namespace

void createSearchBox(HWND panel, PanelRecord& rec) {
  if (!rec.settings.showSearchBox) return;
  HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(panel, GWLP_HINSTANCE));
  rec.searchEdit = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 0, 0, 10,
                                   10, panel, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kSearchEditId)),
                                   instance, nullptr);
  if (!rec.searchEdit) return;
  SendMessageW(rec.searchEdit, WM_SETFONT, reinterpret_cast<WPARAM>(rec.res.bodyFont), TRUE);
  SendMessageW(rec.searchEdit, EM_SETLIMITTEXT, kSearchLimit, 0);
  rec.searchButton = CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, 0, 0, 10,
                                     10, panel,
                                     reinterpret_cast<HMENU>(static_cast<INT_PTR>(kSearchButtonId)),
                                     instance, nullptr);
  WNDPROC standard = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(rec.searchEdit, GWLP_WNDPROC));
  SetWindowLongPtrW(rec.searchEdit, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(standard));
  SetWindowLongPtrW(rec.searchEdit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(searchEditWndProc));
  rec.searchEditOldProc = standard;
}

void placeSearchBox(HWND panel, PanelRecord& rec) {
  if (!rec.searchEdit) return;
  RECT client;
  if (!GetClientRect(panel, &client)) return;
  const SearchBoxPlacement p = layoutSearchBox(layoutMetricsOf(rec.settings), client.right - client.left);
  rec.search.searchFrameRect = p.frame;
  MoveWindow(rec.searchEdit, p.edit.left, p.edit.top, p.edit.right - p.edit.left,
             p.edit.bottom - p.edit.top, TRUE);
  if (rec.searchButton)
    MoveWindow(rec.searchButton, p.clearButton.left, p.clearButton.top,
               p.clearButton.right - p.clearButton.left, p.clearButton.bottom - p.clearButton.top, TRUE);
}

LRESULT CALLBACK searchEditWndProc(HWND edit, UINT msg, WPARAM wParam, LPARAM lParam) {
  WNDPROC standard = standardEditProc(edit);
  if (!standard) return DefWindowProcW(edit, msg, wParam, lParam);
  PanelRecord* rec = recordOfEdit(edit);
  if (!rec) return CallWindowProcW(standard, edit, msg, wParam, lParam);
  switch (msg) {
    case WM_PAINT:
    case WM_PRINTCLIENT: {
      LRESULT result = CallWindowProcW(standard, edit, msg, wParam, lParam);
      drawCueWord(edit, *rec, reinterpret_cast<HDC>(wParam));  // null: the edit's own DC
      return result;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS: {
      LRESULT result = CallWindowProcW(standard, edit, msg, wParam, lParam);
      InvalidateRect(edit, nullptr, TRUE);  // the cue word shows or hides
      return result;
    }
    case WM_CHAR:
      if (wParam == kCtrlBackspaceChar) {
        deletePreviousWord(edit);
        return 0;
      }
      break;
  }
  return CallWindowProcW(standard, edit, msg, wParam, lParam);
}

HBRUSH searchEditColors(const PanelRecord& rec, HDC dc) {
  SetTextColor(dc, rec.settings.colors.textColor);
  SetBkColor(dc, rec.settings.searchBackColor);
  SetBkMode(dc, OPAQUE);
  return rec.res.searchBackBrush;
}

void drawClearButton(const PanelRecord& rec, const DRAWITEMSTRUCT& item) {
  HDC dc = item.hDC;
  RECT r = item.rcItem;
  HBRUSH back = rec.res.searchBackBrush ? rec.res.searchBackBrush : GetSysColorBrush(COLOR_WINDOW);
  FillRect(dc, &r, back);
  HGDIOBJ oldFont = rec.res.bodyFont ? SelectObject(dc, rec.res.bodyFont) : nullptr;
  const int oldMode = SetBkMode(dc, TRANSPARENT);
  const COLORREF oldColor = SetTextColor(dc, rec.settings.colors.metaColor);
  const wchar_t times[] = L"\u00D7";
  GLYPHMETRICS gm = {};
  const MAT2 identity = {{0, 1}, {0, 0}, {0, 0}, {0, 1}};
  if (GetGlyphOutlineW(dc, times[0], GGO_METRICS, &gm, 0, nullptr, &identity) == GDI_ERROR) {
    DrawTextW(dc, times, 1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  } else {
    // Centre the glyph's visible box, not its cell: the baseline sits half the
    // box below the middle, shifted by where the box starts above the baseline.
    const UINT oldAlign = SetTextAlign(dc, TA_CENTER | TA_BASELINE);
    const int x = (r.left + r.right) / 2;
    const int y = (r.top + r.bottom) / 2 + gm.gmptGlyphOrigin.y - static_cast<int>(gm.gmBlackBoxY) / 2;
    TextOutW(dc, x, y, times, 1);
    SetTextAlign(dc, oldAlign);
  }
  SetTextColor(dc, oldColor);
  SetBkMode(dc, oldMode);
  if (oldFont) SelectObject(dc, oldFont);
}

void readSearchEdit(const PanelRecord& rec, char16_t* text, int units) {
  if (!text || units <= 0) return;
  text[0] = 0;
  if (!rec.searchEdit) return;
  const int bounded = units < kSearchTextUnits ? units : kSearchTextUnits;
  GetWindowTextW(rec.searchEdit, W(text), bounded);
  text[bounded - 1] = 0;
}
