#include "win/module_win.h"

namespace {
HMODULE g_module = nullptr;
}

HMODULE pluginModule() { return g_module; }
void setPluginModule(HMODULE module) { g_module = module; }
