// A stand-in for the host in Windows tests: loads the plugin library, makes
// lister-like parent windows, pumps messages and makes temporary folders.
#pragma once
#include <windows.h>

#include <string>

using ListLoadFn = HWND(__stdcall*)(HWND, char*, int);
using ListLoadWFn = HWND(__stdcall*)(HWND, wchar_t*, int);
using ListSendCommandFn = int(__stdcall*)(HWND, int, int);

// Null members for a library or an entry that could not be found.
struct LoadedPlugin {
  HMODULE module = nullptr;
  ListLoadFn listLoad = nullptr;
  ListLoadWFn listLoadW = nullptr;
  ListSendCommandFn listSendCommand = nullptr;
};

// Loads a copy of the plugin (default: the library of the test program's
// architecture, Morvane.wlx or Morvane.wlx64, beside the test program).
LoadedPlugin loadPlugin(const wchar_t* path = nullptr);
// Full path of a file beside the test program.
std::wstring besideProgram(const wchar_t* name);

// A top-level window with the given client size, standing for the host's lister
// window. Hidden unless asked: without a window manager Wine waits two seconds
// when a shown top-level window is destroyed. Painting and capture work hidden.
HWND createHostWindow(int clientWidth, int clientHeight, bool visible = false);
// Number of direct child windows.
int countChildren(HWND parent);
// Dispatches messages for the given time (at least one pass).
void pumpMessages(DWORD milliseconds);
// Pumps until the panel's finished message has been seen or the time is up;
// true when it was seen. Works by subclassing the panel window.
bool waitForScanFinished(HWND panel, DWORD milliseconds);

// A fresh folder under the temporary folder; removed with everything in it by
// removeTree.
std::wstring makeTempFolder(const wchar_t* prefix);
void writeFile(const std::wstring& path, size_t bytes);
bool removeTree(const std::wstring& path);
std::string narrow(const std::wstring& s);  // ANSI code page, as the host passes paths
