// Starting the scan thread of a panel: a Win32 host for the scan (repaint
// without erasing, the finished message, GetTickCount), the Win32 lister and,
// when the setting asks for it, the Everything client.
#pragma once
#include <windows.h>

#include "scan/scan_model.h"
#include "win/panel_ids.h"


// Runs scanThreadMain(*model) on a new thread reporting to window. The thread's
// very last act is onEnd(owner), which may free the model; the code of this
// module stays loaded until then. Null when the thread cannot be created (then
// onEnd is never called and the model's host/lister pointers are cleared).
HANDLE startScanThread(ScanModel* model, HWND window, void (*onEnd)(void*), void* owner);
