#include "host/about_win.h"

#include <new>

#include "format/muldiv.h"
#include "format/text.h"
#include "win/clipboard_win.h"
#include "win/module_win.h"
#include "win/wide_win.h"
#include "win/window_class_win.h"

const wchar_t kAboutClassName[] = L"TC_Morvane_AboutBox";

namespace {

constexpr int kIconResource = 101;

AboutRecord* recordOf(HWND box) {
  return reinterpret_cast<AboutRecord*>(GetWindowLongPtrW(box, GWLP_USERDATA));
}

RECT toRect(const Rect& r) { return {r.left, r.top, r.right, r.bottom}; }

// Gives the owner back its enabled state before the box goes away, so the
// platform hands activation to the owner rather than to some other program.
void restoreOwner(AboutRecord* rec) {
  if (rec && rec->owner && IsWindow(rec->owner)) EnableWindow(rec->owner, rec->ownerWasEnabled);
}

void closeBox(HWND box) {
  restoreOwner(recordOf(box));
  DestroyWindow(box);
}

void drawText(HDC dc, const wchar_t* text, const Rect& where) {
  RECT r = toRect(where);
  DrawTextW(dc, text, -1, &r, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX);
}

void paintBox(HDC dc, AboutRecord* rec) {
  if (rec) {
    const AboutLayout& l = rec->layout;
    SetBkMode(dc, TRANSPARENT);
    if (rec->icon) DrawIconEx(dc, l.iconX, l.iconY, rec->icon, l.iconSize, l.iconSize, 0, nullptr, DI_NORMAL);
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    HGDIOBJ oldFont = SelectObject(dc, rec->titleFont ? rec->titleFont : GetStockObject(DEFAULT_GUI_FONT));
    drawText(dc, W(kAboutProductName), l.title);
    SelectObject(dc, rec->bodyFont ? rec->bodyFont : GetStockObject(DEFAULT_GUI_FONT));
    drawText(dc, W(kAboutHostLine), l.hostLine);
    for (int i = 0; i < 2; ++i) {
      HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(i == 0 ? COLOR_BTNSHADOW : COLOR_BTNHIGHLIGHT));
      HGDIOBJ oldPen = SelectObject(dc, pen ? pen : GetStockObject(BLACK_PEN));
      MoveToEx(dc, l.separatorFrom.x, l.separatorFrom.y + i, nullptr);
      LineTo(dc, l.separatorTo.x, l.separatorTo.y + i);
      SelectObject(dc, oldPen);
      if (pen) DeleteObject(pen);
    }
    drawText(dc, rec->versionText, l.version);
    drawText(dc, rec->creditText, l.credit);
    drawText(dc, rec->linkText, l.link);
    SelectObject(dc, oldFont);
  }
}

LRESULT CALLBACK aboutProc(HWND box, UINT msg, WPARAM wParam, LPARAM lParam) {
  AboutRecord* rec = recordOf(box);
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(box, &ps);
      paintBox(dc, rec);
      EndPaint(box, &ps);
      return 0;
    }
    case WM_PRINTCLIENT:  // captures draw the box as it paints
      paintBox(reinterpret_cast<HDC>(wParam), rec);
      return 0;
    case WM_CLOSE:
      closeBox(box);
      return 0;
    case WM_KEYDOWN:
      if (wParam == VK_ESCAPE || wParam == VK_RETURN) closeBox(box);
      return 0;
    case WM_COMMAND:
      if (LOWORD(wParam) == kAboutOkId) closeBox(box);
      return 0;
    case WM_RBUTTONUP: {
      if (!rec) return 0;
      POINT p = {short(LOWORD(lParam)), short(HIWORD(lParam))};
      RECT link = toRect(rec->layout.link);
      if (PtInRect(&link, p)) copyTextToClipboard(box, U(rec->linkText));
      return 0;
    }
    case WM_NCDESTROY:
      // After the OK button is gone, so it never holds a deleted font.
      if (rec) {
        SetWindowLongPtrW(box, GWLP_USERDATA, 0);
        if (rec->icon) DestroyIcon(rec->icon);
        if (rec->titleFont) DeleteObject(rec->titleFont);
        if (rec->bodyFont) DeleteObject(rec->bodyFont);
        delete rec;
      }
      break;
  }
  return DefWindowProcW(box, msg, wParam, lParam);
}

int32_t measure(HDC dc, HFONT font, const wchar_t* text) {
  HGDIOBJ old = SelectObject(dc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
  SIZE size = {};
  GetTextExtentPoint32W(dc, text, lstrlenW(text), &size);
  SelectObject(dc, old);
  return size.cx;
}

HFONT makeFont(int points, int dpi, int weight) {
  return CreateFontW(-MulDiv(points, dpi, 72), 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH,
                     L"Segoe UI");
}

// Everything the window needs, measured and laid out; null when memory is short.
AboutRecord* buildRecord(HWND owner, int* dpiOut) {
  HDC screen = GetDC(owner);
  int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (dpi <= 0) dpi = 96;
  *dpiOut = dpi;
  AboutRecord* rec = new (std::nothrow) AboutRecord();
  if (!rec) {
    if (screen) ReleaseDC(owner, screen);
    return nullptr;
  }
  int32_t iconSize = mulDiv(64, aboutScale(dpi), 100);
  // A null module would ask for the system's own images, not the plugin's.
  if (HMODULE module = pluginModule())
    rec->icon = static_cast<HICON>(
        LoadImageW(module, MAKEINTRESOURCEW(kIconResource), IMAGE_ICON, iconSize, iconSize, 0));
  rec->titleFont = makeFont(12, dpi, FW_BOLD);
  rec->bodyFont = makeFont(9, dpi, FW_NORMAL);
  textCopy(U(rec->linkText), 128, kAboutLinkText);
  formatAboutVersion(U(rec->versionText), 64);
  SYSTEMTIME now;
  GetLocalTime(&now);
  formatAboutCredit(now.wYear, U(rec->creditText), 64);
  AboutTextWidths widths = {};
  if (screen) {
    widths.title = measure(screen, rec->titleFont, W(kAboutProductName));
    widths.hostLine = measure(screen, rec->bodyFont, W(kAboutHostLine));
    widths.version = measure(screen, rec->bodyFont, rec->versionText);
    widths.credit = measure(screen, rec->bodyFont, rec->creditText);
    widths.link = measure(screen, rec->bodyFont, rec->linkText);
    ReleaseDC(owner, screen);
  }
  rec->layout = layoutAboutBox(dpi, widths);
  return rec;
}

void releaseRecord(AboutRecord* rec) {
  if (rec->icon) DestroyIcon(rec->icon);
  if (rec->titleFont) DeleteObject(rec->titleFont);
  if (rec->bodyFont) DeleteObject(rec->bodyFont);
  delete rec;
}

}  // namespace

void showAboutBox(HWND owner) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  if (!ensureWindowClass(instance, kAboutClassName, aboutProc, CS_HREDRAW | CS_VREDRAW,
                         LoadCursorW(nullptr, IDC_ARROW), reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)))
    return;
  if (owner && !IsWindow(owner)) owner = nullptr;
  int dpi = 96;
  AboutRecord* rec = buildRecord(owner, &dpi);
  if (!rec) return;

  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
  const DWORD exStyle = WS_EX_DLGMODALFRAME;
  RECT frame = {0, 0, rec->layout.clientWidth, rec->layout.clientHeight};
  AdjustWindowRectEx(&frame, style, FALSE, exStyle);
  RECT area;
  if (!owner || !GetWindowRect(owner, &area))
    area = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  Rect at = centreOn({area.left, area.top, area.right, area.bottom}, frame.right - frame.left,
                     frame.bottom - frame.top);
  HWND box = CreateWindowExW(exStyle, kAboutClassName, W(kAboutCaption), style, at.left, at.top,
                             at.right - at.left, at.bottom - at.top, owner, nullptr, instance, nullptr);
  if (!box) {
    releaseRecord(rec);
    return;
  }
  SetWindowLongPtrW(box, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(rec));
  if (rec->icon) {
    SendMessageW(box, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(rec->icon));
    SendMessageW(box, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(rec->icon));
  }
  const Rect& ok = rec->layout.okButton;
  HWND button = CreateWindowExW(0, L"BUTTON", L"OK", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON,
                                ok.left, ok.top, ok.right - ok.left, ok.bottom - ok.top, box,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(kAboutOkId)), instance, nullptr);
  if (button && rec->bodyFont) SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(rec->bodyFont), TRUE);

  rec->owner = owner;
  rec->ownerWasEnabled = owner && IsWindowEnabled(owner);
  if (owner) EnableWindow(owner, FALSE);
  ShowWindow(box, SW_SHOW);
  UpdateWindow(box);
  SetFocus(button ? button : box);
  bool ownerWasEnabled = rec->ownerWasEnabled;  // the record goes with the window

  bool quit = false;
  WPARAM exitCode = 0;
  MSG msg;
  while (IsWindow(box)) {
    BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {
      quit = true;
      exitCode = msg.wParam;
      break;
    }
    if (got < 0) break;
    // The focus sits on the OK button, so a key pressed in the box goes to the
    // button, not to the box: Escape and Enter close the box from any control in it.
    if (msg.message == WM_KEYDOWN && (msg.wParam == VK_ESCAPE || msg.wParam == VK_RETURN) &&
        (msg.hwnd == box || IsChild(box, msg.hwnd))) {
      closeBox(box);
      continue;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  if (IsWindow(box)) closeBox(box);  // the loop ended on the quit message or an error
  if (owner && IsWindow(owner)) {
    EnableWindow(owner, ownerWasEnabled);
    SetForegroundWindow(owner);
  }
  // The quit message ended only this loop; the host's own loop must see it too,
  // or the host could not exit while it believes it still runs.
  if (quit) PostQuitMessage(int(exitCode));
}
