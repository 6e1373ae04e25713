// The panel's lifecycle: creation for the host (ListLoad), the host's display
// notices (ListSendCommand) and the panel window procedure with its teardown.
#pragma once
#include <windows.h>

extern const wchar_t kPanelClassName[];  // "TC_Morvane_NativePanel"

HWND panelListLoad(HWND parent, const char* path, int showFlags);
int panelListSendCommand(HWND panel, int command, int parameter);
LRESULT CALLBACK panelWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
