// morvane-view: plays the host's lister for demos, screenshots and end-to-end
// tests. It loads Morvane.wlx (Morvane.wlx64 when built 64-bit) from its own
// folder, asks it to show a folder in a resizable top-level window (through
// ListLoadW when the plugin has it, as the host does), keeps the panel sized to the window and forwards
// theme switches as the host would.
//
//   morvane-view [FOLDER] [--size WxH] [--dark|--light] [--screenshot FILE.png]
//                [--wait finished|paint] [--timeout SECONDS] [--treemap] [--hover X,Y]
//                [--rclick ROW]
//
// --treemap switches to the treemap view once the scan has finished, by a click
// on the treemap button as a user would make it: the button's place comes from
// the same settings file the plugin reads (Morvane.cfg beside it) and the same
// layout functions it paints with. --hover then moves the mouse to the client
// point X,Y. With a screenshot, each step waits for its animation to end
// (pop-in 830 ms, hover pulse 450 ms) before the picture is taken.
//
// The frame is of the host main window's class, "TTOTAL_CMD", so the plugin's
// jumps (a right click on a row or a cell) come here: every host command and
// every "CD" record is reported on standard output and in the title, e.g.
//   morvane-view: host command 207 (close the right quick view)
//   morvane-view: CD "C:\dir\file.txt" | "" flags "A"
//
// --rclick ROW right-clicks list row ROW once the scan has finished and then
// closes the viewer (unless a screenshot or view step is pending): the jump it
// causes is printed as above.
//
// Keys: D switches the host to dark, L to light (ListSendCommand 2, 128 / 0).
// With --screenshot the viewer waits for the panel's scan-finished message (or,
// with --wait paint, for its first paint), renders the panel into a bitmap,
// writes a PNG and exits. Exit status: 0 done, 1 usage or load failure, 2 the
// plugin declined the folder, 3 timed out, 4 the PNG could not be written.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "config/config_win.h"
#include "host/jump_payload.h"
#include "plugin/plugin_file_win.h"
#include "view/layout.h"
#include "win/bitmap_capture_win.h"
#include "win/panel_ids.h"

namespace {

using ListLoadFn = HWND(__stdcall*)(HWND, char*, int);
using ListLoadWFn = HWND(__stdcall*)(HWND, wchar_t*, int);
using ListSendCommandFn = int(__stdcall*)(HWND, int, int);

constexpr UINT kTakeShot = WM_APP + 1;
constexpr UINT kScanDone = WM_APP + 2;
constexpr UINT_PTR kTimeoutTimer = 1;
constexpr UINT_PTR kTreemapShownTimer = 2;  // the pop-in has run its 830 ms
constexpr UINT_PTR kHoverShownTimer = 3;    // the hover pulse has run its 450 ms

ListSendCommandFn g_send = nullptr;
HWND g_panel = nullptr;
HWND g_frame = nullptr;
WNDPROC g_panelOldProc = nullptr;
std::wstring g_shotPath;
bool g_waitForPaint = false;
bool g_shotPending = false;
int g_exitCode = 0;
HMODULE g_plugin = nullptr;
bool g_openTreemap = false;
bool g_hover = false;
int g_hoverX = 0, g_hoverY = 0;
bool g_scanDone = false;
int g_rightClickRow = -1;

void takeShotAndQuit() {
  if (!g_shotPending) return;
  g_shotPending = false;
  CapturedBitmap bitmap;
  if (!captureWindow(g_panel, &bitmap) || !writePng(bitmap, g_shotPath.c_str())) {
    fwprintf(stderr, L"morvane-view: could not write %ls\n", g_shotPath.c_str());
    g_exitCode = 4;
  } else {
    wprintf(L"morvane-view: wrote %ls (%dx%d)\n", g_shotPath.c_str(), bitmap.width, bitmap.height);
  }
  DestroyWindow(g_frame);
}

// The panel's geometry inputs: the plugin's own settings file read by the
// plugin's own configuration code, so the viewer's points match the paint.
LayoutMetrics panelMetrics() {
  wchar_t settingsPath[MAX_PATH * 2];
  if (!settingsPathBesideModule(g_plugin, settingsPath, MAX_PATH * 2)) settingsPath[0] = 0;
  PanelSettings* settings = new PanelSettings();
  PanelResources res = {};
  loadPanelConfiguration(settings, &res, g_panel, settingsPath);
  releasePanelResources(&res);
  LayoutMetrics m = {};
  m.dpiScalePercent = settings->dpiScalePercent > 0 ? settings->dpiScalePercent : 100;
  m.headerTextHeight = settings->headerTextHeight;
  m.bodyTextHeight = settings->bodyTextHeight;
  m.rowHeight = settings->rowHeight;
  m.iconColumnWidth = settings->iconColumnWidth;
  m.iconSize = settings->iconSize;
  m.searchBoxWidth = settings->searchBoxWidth;
  m.searchBoxHeight = settings->searchBoxHeight;
  m.titleWidth = settings->titleWidth;
  m.showHeaders = settings->showHeaders ? 1 : 0;
  m.everythingDebug = settings->everythingDebug ? 1 : 0;
  delete settings;
  return m;
}

// Where the panel paints its treemap button for the panel's present width.
bool treemapButtonCentre(POINT* at) {
  RECT client;
  GetClientRect(g_panel, &client);
  const LayoutRect button = layoutTopControls(panelMetrics(), client.right - client.left).treemapButton;
  if (rectIsEmpty(button)) return false;
  at->x = (button.left + button.right) / 2;
  at->y = (button.top + button.bottom) / 2;
  return true;
}

// A right click in the middle of list row `row` (unscrolled): the panel's jump
// comes back to this window, which reports it.
void rightClickRow(int row) {
  const LayoutMetrics m = panelMetrics();
  const int32_t listTop = layoutBands(m, false).listTop;
  const LPARAM pos = MAKELPARAM(contentLeft(m) + 40, rowTop(m, listTop, 0, row) + rowPitch(m) / 2);
  PostMessageW(g_panel, WM_RBUTTONDOWN, MK_RBUTTON, pos);
  PostMessageW(g_panel, WM_RBUTTONUP, 0, pos);
}

// The pointer goes to the point as well, so the panel's mouse-leave tracking
// sees it inside the window and does not end the hover at once.
LPARAM pointerTo(POINT at) {
  POINT screen = at;
  ClientToScreen(g_panel, &screen);
  SetCursorPos(screen.x, screen.y);
  return MAKELPARAM(at.x, at.y);
}

void clickTreemapButton() {
  POINT at;
  if (!treemapButtonCentre(&at)) {
    fwprintf(stderr, L"morvane-view: the panel has no treemap button at this size\n");
    return;
  }
  const LPARAM pos = pointerTo(at);
  PostMessageW(g_panel, WM_MOUSEMOVE, 0, pos);
  PostMessageW(g_panel, WM_LBUTTONDOWN, MK_LBUTTON, pos);
  PostMessageW(g_panel, WM_LBUTTONUP, 0, pos);
  // Then off the button (into the title band, over nothing), so its tooltip
  // does not stay in the picture.
  PostMessageW(g_panel, WM_MOUSEMOVE, 0, pointerTo(POINT{1, 1}));
}

void hoverPoint() { PostMessageW(g_panel, WM_MOUSEMOVE, 0, pointerTo(POINT{g_hoverX, g_hoverY})); }

// Watches the panel's own messages: the scan's finished notice and paints.
LRESULT CALLBACK panelSpy(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  LRESULT result = CallWindowProcW(g_panelOldProc, window, msg, wParam, lParam);
  if (msg == WM_SCAN_FINISHED && !g_scanDone) {
    g_scanDone = true;
    PostMessageW(g_frame, kScanDone, 0, 0);
  } else if (g_shotPending && msg == WM_PAINT && g_waitForPaint) {
    PostMessageW(g_frame, kTakeShot, 0, 0);
  }
  return result;
}

// The jump being received: the host commands and the path, for the title.
std::wstring g_jumpSteps;
std::wstring g_jumpPath;

const char* hostCommandName(WPARAM command) {
  switch (command) {
    case kCmLeftHideQuickview: return "close the left quick view";
    case kCmRightHideQuickview: return "close the right quick view";
    case kCmFocusLeft: return "focus the left panel";
    case kCmFocusRight: return "focus the right panel";
  }
  return "unknown command";
}

void showJumpInTitle() {
  std::wstring title = L"Morvane viewer - jump to \"" + g_jumpPath + L"\" [" + g_jumpSteps + L"]";
  SetWindowTextW(g_frame, title.c_str());
}

void appendStep(const std::wstring& step) {
  if (!g_jumpSteps.empty()) g_jumpSteps += L", ";
  g_jumpSteps += step;
}

void reportHostCommand(WPARAM command) {
  printf("morvane-view: host command %u (%s)\n", unsigned(command), hostCommandName(command));
  fflush(stdout);
  // A hide command opens a jump of the Same mode; the focus command ends it.
  if (command == kCmLeftHideQuickview || command == kCmRightHideQuickview) {
    g_jumpSteps.clear();
    g_jumpPath.clear();
  }
  appendStep(std::to_wstring(unsigned(command)));
  showJumpInTitle();
}

// A CD record: path fields separated by CR up to the first zero byte, each
// behind an optional BOM, then the flag letters up to the next zero.
void reportCdRecord(const COPYDATASTRUCT& cd) {
  const char* bytes = static_cast<const char*>(cd.lpData);
  std::string all(bytes ? bytes : "", bytes ? cd.cbData : 0);
  size_t zero = all.find('\0');
  std::string fields = all.substr(0, zero);
  std::string flags = zero == std::string::npos ? "" : all.substr(zero + 1);
  flags = flags.substr(0, flags.find('\0'));
  size_t cr = fields.find('\r');
  std::string first = fields.substr(0, cr), second = cr == std::string::npos ? "" : fields.substr(cr + 1);
  for (std::string* f : {&first, &second})
    if (f->compare(0, 3, "\xEF\xBB\xBF") == 0) f->erase(0, 3);
  printf("morvane-view: CD \"%s\" | \"%s\" flags \"%s\" (%lu bytes)\n", first.c_str(), second.c_str(),
         flags.c_str(), static_cast<unsigned long>(cd.cbData));
  fflush(stdout);
  if (g_jumpSteps.empty() || g_jumpSteps.find(L"CD") != std::wstring::npos) g_jumpSteps.clear();
  const std::string& path = first.empty() ? second : first;
  g_jumpPath.assign(path.size() + 1, L'\0');
  g_jumpPath.resize(size_t(MultiByteToWideChar(CP_UTF8, 0, path.data(), int(path.size()), &g_jumpPath[0],
                                               int(path.size() + 1))));
  appendStep(L"CD " + std::wstring(flags.begin(), flags.end()));
  showJumpInTitle();
}

void sendTheme(bool dark) {
  if (g_send && g_panel) g_send(g_panel, 2, dark ? 128 : 0);
}

LRESULT CALLBACK frameProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_SIZE:
      if (g_panel) MoveWindow(g_panel, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
      return 0;
    case WM_KEYDOWN:
      if (wParam == 'D') sendTheme(true);
      if (wParam == 'L') sendTheme(false);
      return 0;
    case kScanDone:
      if (g_rightClickRow >= 0) {
        rightClickRow(g_rightClickRow);
        // Posted behind the click, so the jump has been reported by then.
        if (!g_shotPending && !g_openTreemap && !g_hover) PostMessageW(window, WM_CLOSE, 0, 0);
      }
      // The view steps run in order, each after the previous one's animation.
      if (g_openTreemap) {
        // The panel answers a click from the controls of its last paint; the
        // one that follows the scan's end is still pending, so it runs first.
        UpdateWindow(g_panel);
        clickTreemapButton();
        if (g_shotPending || g_hover) SetTimer(window, kTreemapShownTimer, 1000, nullptr);
      } else if (g_hover) {
        hoverPoint();
        if (g_shotPending) SetTimer(window, kHoverShownTimer, 600, nullptr);
      } else if (g_shotPending && !g_waitForPaint) {
        PostMessageW(window, kTakeShot, 0, 0);
      }
      return 0;
    case kTakeShot:
      // Let the panel finish the repaint its message asked for first.
      if (g_panel) UpdateWindow(g_panel);
      takeShotAndQuit();
      return 0;
    case WM_TIMER:
      if (wParam == kTreemapShownTimer) {
        KillTimer(window, kTreemapShownTimer);
        if (g_hover) {
          hoverPoint();
          if (g_shotPending) SetTimer(window, kHoverShownTimer, 600, nullptr);
        } else {
          PostMessageW(window, kTakeShot, 0, 0);
        }
        return 0;
      }
      if (wParam == kHoverShownTimer) {
        KillTimer(window, kHoverShownTimer);
        PostMessageW(window, kTakeShot, 0, 0);
        return 0;
      }
      if (wParam == kTimeoutTimer && g_shotPending) {
        fwprintf(stderr, L"morvane-view: timed out waiting for the panel\n");
        g_exitCode = 3;
        g_shotPending = false;
        DestroyWindow(window);
      }
      return 0;
    case kHostCommandMessage:
      reportHostCommand(wParam);
      return 0;
    case WM_COPYDATA: {
      auto* cd = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
      if (!cd || cd->dwData != kCdCommandTag) return 0;
      reportCdRecord(*cd);
      return 1;
    }
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(window, msg, wParam, lParam);
}

void usage() {
  fprintf(stderr,
          "usage: morvane-view [FOLDER] [--size WxH] [--dark|--light] [--screenshot FILE.png]\n"
          "                    [--wait finished|paint] [--timeout SECONDS] [--treemap]\n"
          "                    [--hover X,Y] [--rclick ROW]\n");
}

}  // namespace

int main(int argc, char** argv) {
  std::string folder;
  int folderArg = -1;  // the folder's index on the command line
  int width = 900, height = 640, timeoutSeconds = 120;
  int theme = -1;  // -1 leave as loaded, 0 light, 1 dark
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    auto next = [&](const char* what) -> const char* {
      if (i + 1 >= argc) {
        fprintf(stderr, "morvane-view: %s needs a value\n", what);
        exit(1);
      }
      return argv[++i];
    };
    if (arg == "--size") {
      if (sscanf(next("--size"), "%dx%d", &width, &height) != 2 || width <= 0 || height <= 0) {
        usage();
        return 1;
      }
    } else if (arg == "--dark") {
      theme = 1;
    } else if (arg == "--light") {
      theme = 0;
    } else if (arg == "--screenshot") {
      std::string p = next("--screenshot");
      g_shotPath.assign(p.begin(), p.end());
      wchar_t full[MAX_PATH];
      if (GetFullPathNameW(g_shotPath.c_str(), MAX_PATH, full, nullptr)) g_shotPath = full;
      g_shotPending = true;
    } else if (arg == "--wait") {
      g_waitForPaint = std::string(next("--wait")) == "paint";
    } else if (arg == "--rclick") {
      g_rightClickRow = atoi(next("--rclick"));
    } else if (arg == "--treemap") {
      g_openTreemap = true;
    } else if (arg == "--hover") {
      if (sscanf(next("--hover"), "%d,%d", &g_hoverX, &g_hoverY) != 2) {
        usage();
        return 1;
      }
      g_hover = true;
    } else if (arg == "--timeout") {
      timeoutSeconds = atoi(next("--timeout"));
    } else if (arg == "--help" || arg == "-h") {
      usage();
      return 0;
    } else if (!arg.empty() && arg[0] == '-' && arg.size() > 1 && arg[1] == '-') {
      usage();
      return 1;
    } else {
      folder = arg;
      folderArg = i;
    }
  }
  if (folder.empty()) {
    char cwd[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, cwd);
    folder = cwd;
  }

  wchar_t pluginPath[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, pluginPath, MAX_PATH);
  while (n > 0 && pluginPath[n - 1] != L'\\') --n;
  pluginPath[n] = 0;
  wcsncat(pluginPath, kPluginFileName, MAX_PATH - n - 1);
  HMODULE plugin = LoadLibraryW(pluginPath);
  g_plugin = plugin;
  if (!plugin) {
    fwprintf(stderr, L"morvane-view: cannot load %ls (error %lu)\n", pluginPath, GetLastError());
    return 1;
  }
  auto listLoad = reinterpret_cast<ListLoadFn>(reinterpret_cast<void*>(GetProcAddress(plugin, "ListLoad")));
  g_send = reinterpret_cast<ListSendCommandFn>(reinterpret_cast<void*>(GetProcAddress(plugin, "ListSendCommand")));
  if (!listLoad || !g_send) {
    fwprintf(stderr, L"morvane-view: %ls lacks ListLoad or ListSendCommand\n", kPluginFileName);
    return 1;
  }

  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = frameProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  // The host main window's class: the plugin sends its jumps to this window.
  wc.lpszClassName = L"TTOTAL_CMD";
  RegisterClassExW(&wc);
  RECT frame = {0, 0, width, height};
  AdjustWindowRectEx(&frame, WS_OVERLAPPEDWINDOW, FALSE, 0);
  std::wstring title = L"Morvane viewer";
  g_frame = CreateWindowExW(0, wc.lpszClassName, title.c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                            CW_USEDEFAULT, CW_USEDEFAULT, frame.right - frame.left,
                            frame.bottom - frame.top, nullptr, nullptr, wc.hInstance, nullptr);
  if (!g_frame) {
    fprintf(stderr, "morvane-view: cannot create the window\n");
    return 1;
  }

  // The Unicode entry takes the folder from the wide command line, so names
  // outside the code page arrive whole.
  auto listLoadW = reinterpret_cast<ListLoadWFn>(reinterpret_cast<void*>(GetProcAddress(plugin, "ListLoadW")));
  std::wstring wideFolder(MAX_PATH, L'\0');
  int wideCount = 0;
  LPWSTR* wideArgs = CommandLineToArgvW(GetCommandLineW(), &wideCount);
  if (wideArgs && folderArg > 0 && folderArg < wideCount) {
    wideFolder = wideArgs[folderArg];
  } else {
    wideFolder.resize(GetCurrentDirectoryW(MAX_PATH, &wideFolder[0]));
  }
  LocalFree(wideArgs);
  g_panel = listLoadW ? listLoadW(g_frame, &wideFolder[0], 0)
                      : listLoad(g_frame, const_cast<char*>(folder.c_str()), 0);
  if (!g_panel) {
    fprintf(stderr, "morvane-view: the plugin declined \"%s\" (not an existing folder?)\n",
            folder.c_str());
    DestroyWindow(g_frame);
    return 2;
  }
  g_panelOldProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(g_panel, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(panelSpy)));
  if (theme >= 0) sendTheme(theme == 1);
  if (g_shotPending) SetTimer(g_frame, kTimeoutTimer, UINT(timeoutSeconds) * 1000u, nullptr);
  ShowWindow(g_frame, SW_SHOWNORMAL);
  UpdateWindow(g_frame);

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  // The panel is gone with the frame; the library stays loaded until exit, as a
  // host keeps it while any lister might come back.
  return g_exitCode;
}
