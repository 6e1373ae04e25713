#include "config/config_win.h"

#include <cwchar>

#include "config/config_table.h"
#include "config/host_config.h"
#include "config/settings_load.h"
#include "format/text.h"

namespace {

inline const wchar_t* W(const char16_t* s) { return reinterpret_cast<const wchar_t*>(s); }
inline wchar_t* W(char16_t* s) { return reinterpret_cast<wchar_t*>(s); }
inline DWORD capOf(size_t cap) { return cap > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<DWORD>(cap); }

}  // namespace

bool Win32ConfigPlatform::readEnvironment(const char16_t* name, char16_t* out, size_t cap) {
  if (!cap) return false;
  out[0] = 0;
  SetLastError(ERROR_SUCCESS);
  DWORD n = GetEnvironmentVariableW(W(name), W(out), capOf(cap));
  if (n == 0) return GetLastError() != ERROR_ENVVAR_NOT_FOUND;  // set but empty
  if (n >= cap) {  // too long: a cut value would name some other path
    out[0] = 0;
    return false;
  }
  return true;
}

bool Win32ConfigPlatform::expandEnvironment(const char16_t* text, char16_t* out, size_t cap) {
  if (!cap) return false;
  DWORD n = ExpandEnvironmentStringsW(W(text), W(out), capOf(cap));
  if (n == 0 || n > cap) {
    out[0] = 0;
    return false;
  }
  return true;
}

bool Win32ConfigPlatform::pathExists(const char16_t* path) {
  return GetFileAttributesW(W(path)) != INVALID_FILE_ATTRIBUTES;
}

bool Win32ConfigPlatform::readUserRegistry(const char16_t* subkey, const char16_t* name,
                                           uint32_t* type, void* data, uint32_t* bytes) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, W(subkey), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  DWORD t = 0;
  DWORD size = *bytes;
  LONG rc = RegQueryValueExW(key, W(name), nullptr, &t, static_cast<BYTE*>(data), &size);
  RegCloseKey(key);
  if (rc != ERROR_SUCCESS) return false;
  *type = t;
  *bytes = size;
  return true;
}

size_t Win32ConfigPlatform::profileText(const char16_t* file, const char16_t* section,
                                        const char16_t* key, const char16_t* def, char16_t* out,
                                        size_t cap) {
  if (!cap) return 0;
  DWORD n = GetPrivateProfileStringW(W(section), W(key), W(def), W(out), capOf(cap), W(file));
  out[n < cap ? n : cap - 1] = 0;
  return n;
}

int32_t Win32ConfigPlatform::profileInt(const char16_t* file, const char16_t* section,
                                        const char16_t* key, int32_t def) {
  return static_cast<int32_t>(GetPrivateProfileIntW(W(section), W(key), def, W(file)));
}

size_t Win32ConfigPlatform::profileSectionNames(const char16_t* file, char16_t* out, size_t cap) {
  if (cap < 2) return 0;
  out[0] = out[1] = 0;
  return GetPrivateProfileSectionNamesW(W(out), capOf(cap), W(file));
}

bool Win32ConfigPlatform::screenSize(int32_t* width, int32_t* height) {
  *width = GetSystemMetrics(SM_CXSCREEN);
  *height = GetSystemMetrics(SM_CYSCREEN);
  if (window) {
    MONITORINFO info;
    info.cbSize = sizeof info;
    HMONITOR monitor = MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY);
    if (monitor && GetMonitorInfoW(monitor, &info)) {
      *width = info.rcMonitor.right - info.rcMonitor.left;
      *height = info.rcMonitor.bottom - info.rcMonitor.top;
    }
  }
  return *width > 0 && *height > 0;
}

bool Win32ConfigPlatform::localeText(LocaleItem item, char16_t* out, size_t cap) {
  if (!cap) return false;
  out[0] = 0;
  LCTYPE type = item == LocaleItem::Thousands ? LOCALE_STHOUSAND : LOCALE_SDECIMAL;
  return GetLocaleInfoEx(nullptr, type, W(out), static_cast<int>(capOf(cap))) > 0;
}

bool settingsPathBesideModule(HMODULE module, wchar_t* out, size_t cap) {
  if (!cap) return false;
  out[0] = 0;
  wchar_t path[hostkey::kPathBuffer];
  DWORD n = GetModuleFileNameW(module, path, hostkey::kPathBuffer);
  if (n == 0 || n >= hostkey::kPathBuffer) return false;  // failed or cut
  size_t folder = 0;
  for (DWORD i = 0; i < n; ++i)
    if (path[i] == L'\\') folder = i + 1;
  size_t nameLen = textLength(kSettingsFileName);
  if (folder + nameLen + 1 > cap) return false;
  char16_t* dst = reinterpret_cast<char16_t*>(out);
  textCopyN(dst, cap, reinterpret_cast<const char16_t*>(path), folder);
  textAppend(dst, cap, kSettingsFileName);
  return true;
}

void loadPanelConfiguration(PanelSettings* s, PanelResources* res, HWND window,
                            const wchar_t* settingsPath) {
  Win32ConfigPlatform platform;
  platform.window = window;
  ProfileSettingsSource source;
  source.platform = &platform;
  source.file = reinterpret_cast<const char16_t*>(settingsPath);

  HDC windowDc = GetDC(window);
  int dpi = windowDc ? GetDeviceCaps(windowDc, LOGPIXELSY) : 96;
  if (windowDc) ReleaseDC(window, windowDc);

  SettingsLoadNotes notes = {};
  loadSettings(s, &notes, source, platform, dpi);
  refreshPanelBrushes(*s, res);
  createPanelFonts(*s, res);

  TextMeasure px = {};
  if (HDC screen = GetDC(nullptr)) {
    HGDIOBJ old = GetCurrentObject(screen, OBJ_FONT);
    TEXTMETRICW tm;
    if (res->headerFont) SelectObject(screen, res->headerFont);
    if (GetTextMetricsW(screen, &tm)) px.headerHeight = tm.tmHeight;
    SIZE extent;
    const wchar_t* title = reinterpret_cast<const wchar_t*>(kTitleText);
    if (GetTextExtentPoint32W(screen, title, static_cast<int>(wcslen(title)), &extent))
      px.titleWidth = extent.cx;
    SelectObject(screen, res->bodyFont ? static_cast<HGDIOBJ>(res->bodyFont) : old);
    if (GetTextMetricsW(screen, &tm)) {
      px.bodyHeight = tm.tmHeight;
      px.bodyAverageWidth = tm.tmAveCharWidth;
    }
    SelectObject(screen, old);
    ReleaseDC(nullptr, screen);
  }
  applyTextMetrics(s, px);
  finishSettings(s, &notes, platform);
}

bool switchPanelTheme(PanelSettings* s, PanelResources* res, bool dark) {
  if (!switchTheme(s, dark)) return false;
  refreshPanelBrushes(*s, res);
  return true;
}

bool hostExecutablePath(HWND window, wchar_t* out, size_t cap) {
  if (!cap) return false;
  out[0] = 0;
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (!pid) return false;
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  if (!process) return false;
  wchar_t path[hostkey::kPathBuffer];
  DWORD size = hostkey::kPathBuffer;
  BOOL ok = QueryFullProcessImageNameW(process, 0, path, &size);
  CloseHandle(process);
  if (!ok) return false;
  textCopy(reinterpret_cast<char16_t*>(out), cap, reinterpret_cast<const char16_t*>(path));
  return true;
}

bool hostIconLibraryPath(wchar_t* out, size_t cap) {
  Win32ConfigPlatform platform;
  return hostIconLibrary(platform, reinterpret_cast<char16_t*>(out), cap);
}
