// The panel's lifecycle: creation for the host (ListLoad), the host's display
// notices (ListSendCommand) and the panel window procedure with its teardown.
#pragma once
#include <windows.h>

extern const wchar_t kPanelClassName[];  // "TC_Morvane_NativePanel"

// The host's two entries: a path in the ANSI code page, or in UTF-16 (which
// reaches every folder name). Both decline anything but an existing folder.
HWND panelListLoad(HWND parent, const char* path, int showFlags);
HWND panelListLoadW(HWND parent, const wchar_t* path, int showFlags);
int panelListSendCommand(HWND panel, int command, int parameter);
// The panel class's procedure: teardown on WM_DESTROY, everything else to the
// view's window procedure.
LRESULT CALLBACK panelClassProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
