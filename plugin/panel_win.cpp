#include "plugin/panel_win.h"

#include <objbase.h>

#include <new>

#include "config/config_win.h"
#include "format/text.h"
#include "icons/icons_win.h"
#include "win/module_win.h"
#include "view/paint_win.h"
#include "view/panel_proc_win.h"
#include "view/panel_record_win.h"
#include "view/search_box_win.h"
#include "win/wide_win.h"
#include "win/window_class_win.h"
#include "plugin/folder_check.h"
#include "scan/scan_thread_win.h"

const wchar_t kPanelClassName[] = L"TC_Morvane_NativePanel";

namespace {

// Frees what the scan left in the record; runs only once nobody else owns it.
void freeScanResults(PanelRecord* rec) {
  releaseScanModel(rec->scan);
  releaseTreemapCells(&rec->treemap);
}

// The scan thread's last act: let go of its share of the record.
void releaseScanShare(void* owner) { releasePanelRecord(static_cast<PanelRecord*>(owner)); }

// Teardown: stop everything the window started, then let go of the record.
void destroyPanel(HWND window, PanelRecord* rec) {
  KillTimer(window, kRefreshTimer);
  KillTimer(window, kHoverTimer);
  KillTimer(window, kPopInTimer);
  // Stop the scan. A thread still inside a long step after the wait keeps its
  // own share of the record and frees it when it ends.
  rec->scan.cancelScan.store(1);
  if (rec->scanThread) {
    WaitForSingleObject(rec->scanThread, 2000);
    CloseHandle(rec->scanThread);
    rec->scanThread = nullptr;
  }
  releasePanelResources(&rec->res);
  releasePanelIcons(rec->icons);
  if (rec->comInitialized) CoUninitialize();
  SetWindowLongPtrW(window, GWLP_USERDATA, 0);
  releasePanelRecord(rec);
}

uint32_t fileAttributesOf(const char16_t* path, void*) { return GetFileAttributesW(W(path)); }

HWND openPanel(HWND parent, const char16_t* widePath);

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
  // The host hands ListSendCommand a window it believes is ours; any other
  // window's user data means something else entirely and must not be read as a
  // record. The class stays ours even when someone subclasses the panel.
  wchar_t className[32];
  if (!window || !GetClassNameW(window, className, 32) || lstrcmpW(className, kPanelClassName) != 0)
    return nullptr;
  return reinterpret_cast<PanelRecord*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

HWND panelListLoad(HWND parent, const char* path, int /*showFlags*/) {
  // The host's ANSI entry: the path arrives in the system code page. A path that
  // does not fit the buffer would arrive cut, naming some other (parent) folder;
  // such a path is declined instead of showing the wrong folder.
  char16_t widePath[kPathUnits] = {};
  bool converted = path && MultiByteToWideChar(CP_ACP, 0, path, -1, W(widePath), kPathUnits) > 0;
  widePath[kPathUnits - 1] = 0;
  return openPanel(parent, converted ? widePath : nullptr);
}

HWND panelListLoadW(HWND parent, const wchar_t* path, int /*showFlags*/) {
  // The Unicode entry: the path is UTF-16 already. One too long for the buffer
  // is declined for the same reason as above.
  char16_t widePath[kPathUnits] = {};
  bool fits = path && textLengthBounded(U(path), kPathUnits) < kPathUnits;
  if (fits) textCopy(widePath, kPathUnits, U(path));
  return openPanel(parent, fits ? widePath : nullptr);
}

namespace {

// Everything after the path is in UTF-16: the window, the folder check, the
// configuration and the scan. A null path is declined once the window exists,
// as a path that names no folder is.
HWND openPanel(HWND parent, const char16_t* widePath) {
  HINSTANCE host = GetModuleHandleA(nullptr);
  if (!ensureWindowClass(host, kPanelClassName, panelClassProc, CS_HREDRAW | CS_VREDRAW,
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

  if (!widePath || !isShowableFolder(widePath, fileAttributesOf, nullptr)) {
    DestroyWindow(window);
    releasePanelRecord(rec);
    return nullptr;
  }
  textCopy(rec->scan.targetPath, kPathUnits, widePath);
  initViewState(rec->view);

  // Morvane.cfg beside the plugin and the host's wincmd.ini: colours, switches,
  // fonts, metrics and the configuration line. A plugin folder too deep for the
  // settings path reads as having no settings file.
  wchar_t settingsPath[kPathUnits];
  if (!settingsPathBesideModule(pluginModule(), settingsPath, kPathUnits)) settingsPath[0] = 0;
  loadPanelConfiguration(&rec->settings, &rec->res, window, settingsPath);

  rec->comInitialized = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) ? 1 : 0;
  // The shell's and the host's icons and the Everything mark; the caches fill
  // while painting.
  loadStockIcons(rec->icons, rec->settings, window, pluginModule());

  // The search edit and its clear button (with Searchbox on), in the body font.
  createSearchBox(window, *rec);

  // The scan's copy of its settings. A record whose settings were never loaded
  // (maxFolderDepth is at least 1 once they are) keeps the scan's defaults.
  initScanModel(rec->scan);
  if (rec->settings.maxFolderDepth >= 1) {
    rec->scan.maxTopFiles = rec->settings.maxTopFiles;
    rec->scan.maxFolderDepth = rec->settings.maxFolderDepth;
    rec->scan.scanThreads = rec->settings.scanThreads;
    rec->scan.scanUseEverything = rec->settings.useEverything ? 1 : 0;
  }

  SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(rec));

  // The scan thread owns a share of the record until its last act.
  rec->owners.fetch_add(1);
  rec->scanThread = startScanThread(&rec->scan, window, releaseScanShare, rec);
  if (!rec->scanThread) rec->owners.fetch_sub(1);  // stays in its scanning state
  SetTimer(window, kRefreshTimer, 250, nullptr);

  placeSearchBox(window, *rec);
  refreshScrollRange(window, *rec);
  InvalidateRect(window, nullptr, FALSE);
  return window;
}

}  // namespace

int panelListSendCommand(HWND panel, int command, int parameter) {
  const int kNewParams = 2;   // the host's display parameters changed
  const int kDarkFlag = 128;  // ... and it is now dark
  if (command != kNewParams) return 0;
  PanelRecord* rec = panelRecordOf(panel);
  if (!rec) return 0;
  if (!switchPanelTheme(&rec->settings, &rec->res, (parameter & kDarkFlag) != 0)) return 0;
  if (rec->searchEdit) InvalidateRect(rec->searchEdit, nullptr, TRUE);
  InvalidateRect(panel, nullptr, TRUE);
  return 0;
}

LRESULT CALLBACK panelClassProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_DESTROY) {
    if (PanelRecord* rec = panelRecordOf(window)) destroyPanel(window, rec);
    return 0;
  }
  return panelWindowProc(window, msg, wParam, lParam);
}
