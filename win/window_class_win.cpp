#include "win/window_class_win.h"

namespace {

struct Registered {
  HINSTANCE instance;
  wchar_t name[64];
  WNDPROC proc;
};

// A handful of classes at most (the panel, the About box, three reply windows).
Registered g_registered[16];
int g_registeredCount = 0;
CRITICAL_SECTION g_lock;
LONG g_lockReady = 0;

void lock() {
  // The scan thread registers reply classes while the window thread may
  // register the panel's; a one-time initialised critical section guards the table.
  if (InterlockedCompareExchange(&g_lockReady, 1, 0) == 0) {
    InitializeCriticalSection(&g_lock);
    InterlockedExchange(&g_lockReady, 2);
  }
  while (g_lockReady != 2) Sleep(0);
  EnterCriticalSection(&g_lock);
}

void remember(HINSTANCE instance, const wchar_t* name, WNDPROC proc) {
  for (int i = 0; i < g_registeredCount; ++i)
    if (g_registered[i].instance == instance && lstrcmpiW(g_registered[i].name, name) == 0) return;
  if (g_registeredCount >= 16) return;
  Registered& r = g_registered[g_registeredCount++];
  r.instance = instance;
  lstrcpynW(r.name, name, 64);
  r.proc = proc;
}

}  // namespace

bool ensureWindowClass(HINSTANCE instance, const wchar_t* name, WNDPROC proc, UINT style,
                       HCURSOR cursor, HBRUSH background) {
  lock();
  WNDCLASSEXW existing = {};
  existing.cbSize = sizeof(existing);
  bool ok = true;
  if (GetClassInfoExW(instance, name, &existing)) {
    if (existing.lpfnWndProc != proc) {
      // Left behind by an earlier copy of the plugin; it cannot be unregistered
      // while a window of it still exists, and then there is nothing safe to do.
      UnregisterClassW(name, instance);
      existing.lpfnWndProc = nullptr;
    } else {
      remember(instance, name, proc);
      LeaveCriticalSection(&g_lock);
      return true;
    }
  }
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof(wc);
  wc.style = style;
  wc.lpfnWndProc = proc;
  wc.hInstance = instance;
  wc.hCursor = cursor;
  wc.hbrBackground = background;
  wc.lpszClassName = name;
  if (RegisterClassExW(&wc)) {
    remember(instance, name, proc);
  } else {
    ok = GetLastError() == ERROR_CLASS_ALREADY_EXISTS && GetClassInfoExW(instance, name, &existing) &&
         existing.lpfnWndProc == proc;
  }
  LeaveCriticalSection(&g_lock);
  return ok;
}

void unregisterWindowClasses() {
  if (g_lockReady != 2) return;
  lock();
  for (int i = 0; i < g_registeredCount; ++i) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    if (GetClassInfoExW(g_registered[i].instance, g_registered[i].name, &wc) &&
        wc.lpfnWndProc == g_registered[i].proc)
      UnregisterClassW(g_registered[i].name, g_registered[i].instance);
  }
  g_registeredCount = 0;
  LeaveCriticalSection(&g_lock);
}
