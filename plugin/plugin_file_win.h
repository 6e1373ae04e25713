// The plugin library's file name for the architecture being built: a 64-bit host
// loads Morvane.wlx64, found beside Morvane.wlx in the same folder.
#pragma once

#ifdef _WIN64
constexpr wchar_t kPluginFileName[] = L"Morvane.wlx64";
#else
constexpr wchar_t kPluginFileName[] = L"Morvane.wlx";
#endif
