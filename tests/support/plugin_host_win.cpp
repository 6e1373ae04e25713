#include "tests/support/plugin_host_win.h"

#include <filesystem>
#include <fstream>

#include "plugin/plugin_file_win.h"
#include "win/panel_ids.h"

static WNDPROC g_spyOld = nullptr;
static bool g_finishedSeen = false;

static LRESULT CALLBACK finishedSpy(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_SCAN_FINISHED) g_finishedSeen = true;
  return CallWindowProcW(g_spyOld, window, msg, wParam, lParam);
}

std::wstring besideProgram(const wchar_t* name) {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  return std::filesystem::path(path).replace_filename(name).wstring();
}

LoadedPlugin loadPlugin(const wchar_t* path) {
  LoadedPlugin p;
  p.module = LoadLibraryW(path ? path : besideProgram(kPluginFileName).c_str());
  auto get = [&](const char* name) { return reinterpret_cast<void*>(GetProcAddress(p.module, name)); };
  p.listLoad = reinterpret_cast<ListLoadFn>(get("ListLoad"));
  p.listLoadW = reinterpret_cast<ListLoadWFn>(get("ListLoadW"));
  p.listSendCommand = reinterpret_cast<ListSendCommandFn>(get("ListSendCommand"));
  return p;
}

HWND createHostWindow(int clientWidth, int clientHeight, bool visible) {
  // A borderless popup: its client area is the whole window.
  const WNDCLASSW wc = {0, DefWindowProcW, 0, 0, GetModuleHandleW(nullptr), nullptr, nullptr, nullptr, nullptr,
                        L"MorvaneTestLister"};
  RegisterClassW(&wc);  // fails harmlessly once registered
  return CreateWindowExW(0, wc.lpszClassName, L"lister", WS_POPUP | (visible ? WS_VISIBLE : 0), 10, 10, clientWidth,
                         clientHeight, nullptr, nullptr, wc.hInstance, nullptr);
}

int countChildren(HWND parent) {
  int n = 0;
  for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) ++n;
  return n;
}

void pumpMessages(DWORD milliseconds) {
  for (DWORD start = GetTickCount();; MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT)) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) TranslateMessage(&msg), DispatchMessageW(&msg);
    if (GetTickCount() - start >= milliseconds) return;
  }
}

bool waitForScanFinished(HWND panel, DWORD milliseconds) {
  g_finishedSeen = false;
  g_spyOld = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(panel, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(finishedSpy)));
  for (DWORD start = GetTickCount(); !g_finishedSeen && GetTickCount() - start < milliseconds;) pumpMessages(20);
  SetWindowLongPtrW(panel, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_spyOld));
  return g_finishedSeen;
}

std::wstring makeTempFolder(const wchar_t* prefix) {
  wchar_t temp[MAX_PATH], path[MAX_PATH];
  // A unique name made as a file (by the first three letters of the prefix), then taken over by the folder.
  bool made = GetTempPathW(MAX_PATH, temp) && GetTempFileNameW(temp, prefix, 0, path) && DeleteFileW(path) &&
              CreateDirectoryW(path, nullptr);
  return made ? std::wstring(path) : std::wstring();
}

void writeFile(const std::wstring& path, size_t bytes) {
  std::ofstream(std::filesystem::path(path), std::ios::binary) << std::string(bytes, 'x');
}

bool removeTree(const std::wstring& path) {
  std::error_code error;
  std::filesystem::remove_all(path, error);
  return !error;
}

std::string narrow(const std::wstring& s) {
  int n = WideCharToMultiByte(CP_ACP, 0, s.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string out(n > 0 ? n - 1 : 0, '\0');
  if (n > 1) WideCharToMultiByte(CP_ACP, 0, s.c_str(), -1, &out[0], n, nullptr, nullptr);
  return out;
}
