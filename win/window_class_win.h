// Window classes registered by the plugin outlive the DLL: a host that frees and
// reloads the plugin at another address would otherwise create windows whose
// class still points at the old, unmapped procedure. Every class the plugin
// registers goes through here.
#pragma once
#include <windows.h>

// Makes sure class `name` of `instance` exists and points at `proc`: registers
// it when missing, and unregisters and registers it again when it belongs to an
// earlier copy of the plugin. Returns false when the class cannot be had.
// background: the class brush (null: the window erases or paints everything itself).
bool ensureWindowClass(HINSTANCE instance, const wchar_t* name, WNDPROC proc, UINT style,
                       HCURSOR cursor, HBRUSH background = nullptr);

// Called when the library is freed: unregisters every class registered through
// ensureWindowClass that still points at this module's procedures.
void unregisterWindowClasses();
