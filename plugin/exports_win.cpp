// The library's outside: its attach hook and the standard-call exports the host
// calls. A host that finds ListLoadW calls it instead of ListLoad. Everything else lives in the morvane_win library.
#include <windows.h>

#include "host/about_win.h"
#include "host/jump_win.h"
#include "view/host_actions_win.h"
#include "win/module_win.h"
#include "plugin/panel_win.h"
#include "win/window_class_win.h"

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_ATTACH) {
    setPluginModule(instance);
    // The panel reaches the host layer above it only through this table.
    setHostActions({jumpToPane, showAboutBox});
    DisableThreadLibraryCalls(instance);
  } else if (reason == DLL_PROCESS_DETACH && reserved == nullptr) {
    // Freed by the host (not process exit): classes must not outlive the code.
    unregisterWindowClasses();
  }
  return TRUE;
}

__declspec(dllexport) HWND __stdcall ListLoad(HWND parent, char* fileToLoad, int showFlags) {
  return panelListLoad(parent, fileToLoad, showFlags);
}

__declspec(dllexport) HWND __stdcall ListLoadW(HWND parent, wchar_t* fileToLoad, int showFlags) {
  return panelListLoadW(parent, fileToLoad, showFlags);
}

__declspec(dllexport) int __stdcall ListSendCommand(HWND listWin, int command, int parameter) {
  return panelListSendCommand(listWin, command, parameter);
}

}  // extern "C"
