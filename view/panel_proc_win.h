// The panel window's procedure: it unpacks each message, calls the input rule
// for it and applies the effects. Creation and teardown (WM_DESTROY) belong to
// the plugin, whose class procedure handles those and passes the rest here.
#pragma once
#include <windows.h>

LRESULT CALLBACK panelWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
