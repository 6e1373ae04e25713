#include "plugin/panel_win.h"

#include <objbase.h>

#include <new>

#include "format/text.h"
#include "plugin/module_win.h"
#include "plugin/panel_record.h"
#include "plugin/wide_win.h"
#include "plugin/window_class_win.h"
#include "scan/long_path.h"

const wchar_t kPanelClassName[] = L"TC_Morvane_NativePanel";

namespace {

// Frees what the scan left in the record; runs only once nobody else owns it.
void freeScanResults(PanelRecord* rec) { (void)rec; }

void paintPanel(PanelRecord* rec, HDC target, const RECT& client) {
  int width = client.right - client.left, height = client.bottom - client.top;
  if (width <= 0 || height <= 0) return;
  HDC dc = CreateCompatibleDC(target);
  HBITMAP bitmap = CreateCompatibleBitmap(target, width, height);
  HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
  HBRUSH background = CreateSolidBrush(RGB(255, 255, 255));
  RECT all = {0, 0, width, height};
  FillRect(dc, &all, background);
  DeleteObject(background);
  SetBkMode(dc, TRANSPARENT);
  if (rec) {
    HGDIOBJ oldFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    SetTextColor(dc, RGB(40, 40, 40));
    RECT title = {16, 10, width - 16, 40};
    DrawTextW(dc, L"Morvane Storage Analysis", -1, &title,
              DT_LEFT | DT_SINGLELINE | DT_NOPREFIX | DT_VCENTER);
    SetTextColor(dc, RGB(110, 110, 110));
    RECT path = {16, 44, width - 16, 70};
    DrawTextW(dc, W(rec->scan.targetPath), -1, &path,
              DT_LEFT | DT_SINGLELINE | DT_NOPREFIX | DT_VCENTER | DT_PATH_ELLIPSIS);
    SelectObject(dc, oldFont);
  }
  BitBlt(target, client.left, client.top, width, height, dc, 0, 0, SRCCOPY);
  SelectObject(dc, oldBitmap);
  DeleteObject(bitmap);
  DeleteDC(dc);
}

// Teardown: stop everything the window started, then let go of the record.
void destroyPanel(HWND window, PanelRecord* rec) {
  KillTimer(window, kRefreshTimer);
  KillTimer(window, kHoverTimer);
  KillTimer(window, kPopInTimer);
  if (rec->comInitialized) CoUninitialize();
  SetWindowLongPtrW(window, GWLP_USERDATA, 0);
  releasePanelRecord(rec);
}

}  // namespace

PanelRecord* allocatePanelRecord() {
  PanelRecord* rec = new (std::nothrow) PanelRecord();
  if (rec) rec->owners.store(1);
  return rec;
}

void releasePanelRecord(PanelRecord* rec) {
  if (!rec) return;
  if (rec->owners.fetch_sub(1) != 1) return;
  freeScanResults(rec);
  delete rec;
}

PanelRecord* panelRecordOf(HWND window) {
  return reinterpret_cast<PanelRecord*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

HWND panelListLoad(HWND parent, const char* path, int /*showFlags*/) {
  HINSTANCE host = GetModuleHandleA(nullptr);
  if (!ensureWindowClass(host, kPanelClassName, panelWindowProc, CS_HREDRAW | CS_VREDRAW,
                         LoadCursorW(nullptr, IDC_ARROW)))
    return nullptr;

  RECT client = {};
  GetClientRect(parent, &client);
  HWND window = CreateWindowExW(0, kPanelClassName, L"Morvane", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN,
                                0, 0, client.right - client.left, client.bottom - client.top,
                                parent, nullptr, host, nullptr);
  if (!window) return nullptr;

  PanelRecord* rec = allocatePanelRecord();
  if (!rec) {
    DestroyWindow(window);
    return nullptr;
  }
  rec->panelWindow = window;

  // A path that does not fit the buffer would arrive cut, naming some other
  // (parent) folder; such a path is declined instead of showing the wrong folder.
  char16_t widePath[kPathUnits] = {};
  bool converted = path && MultiByteToWideChar(CP_ACP, 0, path, -1, W(widePath), kPathUnits) > 0;
  widePath[kPathUnits - 1] = 0;

  char16_t longForm[kLongPathUnits];
  toLongPathForm(widePath, longForm, kLongPathUnits);
  DWORD attributes = INVALID_FILE_ATTRIBUTES;
  if (converted && widePath[0]) {
    attributes = GetFileAttributesW(W(longForm));
    if (attributes == INVALID_FILE_ATTRIBUTES) attributes = GetFileAttributesW(W(widePath));
  }
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    DestroyWindow(window);
    releasePanelRecord(rec);
    return nullptr;
  }
  textCopy(rec->scan.targetPath, kPathUnits, widePath);

  rec->comInitialized = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) ? 1 : 0;

  SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(rec));
  InvalidateRect(window, nullptr, FALSE);
  return window;
}

int panelListSendCommand(HWND panel, int command, int parameter) {
  (void)panel;
  (void)command;
  (void)parameter;
  return 0;
}

LRESULT CALLBACK panelWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  PanelRecord* rec = panelRecordOf(window);
  switch (msg) {
    case WM_ERASEBKGND:
      return 1;  // every paint covers the whole client area
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(window, &ps);
      RECT client;
      GetClientRect(window, &client);
      paintPanel(rec, dc, client);
      EndPaint(window, &ps);
      return 0;
    }
    case WM_PRINTCLIENT: {
      RECT client;
      GetClientRect(window, &client);
      paintPanel(rec, reinterpret_cast<HDC>(wParam), client);
      return 0;
    }
    case WM_TIMER:
      if (rec && wParam == kRefreshTimer) InvalidateRect(window, nullptr, FALSE);
      return 0;
    case WM_DESTROY:
      if (rec) destroyPanel(window, rec);
      return 0;
  }
  return DefWindowProcW(window, msg, wParam, lParam);
}
