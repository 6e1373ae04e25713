#include "tests/support/plugin_host_win.h"
#include "win/panel_ids.h"

#include <vector>

#include "plugin/plugin_file_win.h"

namespace {

LRESULT CALLBACK hostProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(window, msg, wParam, lParam);
}

WNDPROC g_spyOld = nullptr;
bool g_finishedSeen = false;

LRESULT CALLBACK finishedSpy(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_SCAN_FINISHED) g_finishedSeen = true;
  return CallWindowProcW(g_spyOld, window, msg, wParam, lParam);
}

}  // namespace

std::wstring besideProgram(const wchar_t* name) {
  wchar_t path[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  while (n > 0 && path[n - 1] != L'\\') --n;
  path[n] = 0;
  return std::wstring(path) + name;
}

LoadedPlugin loadPlugin(const wchar_t* path) {
  LoadedPlugin p;
  std::wstring file = path ? std::wstring(path) : besideProgram(kPluginFileName);
  p.module = LoadLibraryW(file.c_str());
  if (!p.module) return p;
  p.listLoad = reinterpret_cast<ListLoadFn>(reinterpret_cast<void*>(GetProcAddress(p.module, "ListLoad")));
  p.listLoadW = reinterpret_cast<ListLoadWFn>(reinterpret_cast<void*>(GetProcAddress(p.module, "ListLoadW")));
  p.listSendCommand = reinterpret_cast<ListSendCommandFn>(
      reinterpret_cast<void*>(GetProcAddress(p.module, "ListSendCommand")));
  return p;
}

HWND createHostWindow(int clientWidth, int clientHeight, bool visible) {
  static bool registered = false;
  if (!registered) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = hostProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"MorvaneTestLister";
    RegisterClassExW(&wc);
    registered = true;
  }
  RECT r = {0, 0, clientWidth, clientHeight};
  AdjustWindowRectEx(&r, WS_POPUP, FALSE, 0);
  HWND w = CreateWindowExW(0, L"MorvaneTestLister", L"lister", WS_POPUP | (visible ? WS_VISIBLE : 0), 10,
                           10, r.right - r.left, r.bottom - r.top, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
  return w;
}

int countChildren(HWND parent) {
  int n = 0;
  for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) ++n;
  return n;
}

void pumpMessages(DWORD milliseconds) {
  DWORD start = GetTickCount();
  do {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    if (GetTickCount() - start >= milliseconds) break;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  } while (true);
}

bool waitForScanFinished(HWND panel, DWORD milliseconds) {
  g_finishedSeen = false;
  g_spyOld = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(panel, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(finishedSpy)));
  DWORD start = GetTickCount();
  while (!g_finishedSeen && GetTickCount() - start < milliseconds) pumpMessages(20);
  SetWindowLongPtrW(panel, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_spyOld));
  return g_finishedSeen;
}

std::wstring makeTempFolder(const wchar_t* prefix) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  for (int i = 0;; ++i) {
    std::wstring path = std::wstring(temp) + prefix + std::to_wstring(GetCurrentProcessId()) + L"_" +
                        std::to_wstring(GetTickCount()) + L"_" + std::to_wstring(i);
    if (CreateDirectoryW(path.c_str(), nullptr)) return path;
    if (i > 1000) return std::wstring();
  }
}

void writeFile(const std::wstring& path, size_t bytes) {
  HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return;
  std::vector<char> data(bytes, 'x');
  DWORD written = 0;
  if (bytes) WriteFile(f, data.data(), DWORD(bytes), &written, nullptr);
  CloseHandle(f);
}

bool removeTree(const std::wstring& path) {
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW((path + L"\\*").c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      std::wstring name = fd.cFileName;
      if (name == L"." || name == L"..") continue;
      std::wstring child = path + L"\\" + name;
      if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
          !(fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
        removeTree(child);
      else if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveDirectoryW(child.c_str());
      else
        DeleteFileW(child.c_str());
    } while (FindNextFileW(h, &fd));
    FindClose(h);
  }
  return RemoveDirectoryW(path.c_str()) != 0;
}

std::string narrow(const std::wstring& s) {
  int n = WideCharToMultiByte(CP_ACP, 0, s.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string out(n > 0 ? n - 1 : 0, '\0');
  if (n > 1) WideCharToMultiByte(CP_ACP, 0, s.c_str(), -1, &out[0], n, nullptr, nullptr);
  return out;
}
