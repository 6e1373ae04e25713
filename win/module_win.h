#pragma once
#include <windows.h>

// The plugin library's own module handle, stored when the library is attached.
HMODULE pluginModule();
void setPluginModule(HMODULE module);
