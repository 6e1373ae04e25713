#include "icons/icons_win.h"

#include <shellapi.h>

#include <climits>

#include "config/config_win.h"
#include "format/text.h"
#include "icons/icon_resource_ids.h"
#include "win/wide_win.h"

namespace {

ShellIconSource g_shell;

// The host's list icons at their indices in the host's icon set: the small
// set's index when small icons are in use, the large set's otherwise.
struct HostIconSlot {
  IconHandle IconSet::*field;
  int smallIndex, largeIndex;
};
const HostIconSlot kHostIcons[] = {
    {&IconSet::hostFolderIcon, 13, 1},
    {&IconSet::hostNoExtIcon, 14, 4},
    {&IconSet::hostExeIcon, 20, 3},
    {&IconSet::hostArchiveIcon, 8, 8},
};

HICON extractOne(const wchar_t* file, int index, bool small) {
  HICON icon = nullptr;
  UINT got = ExtractIconExW(file, index, small ? nullptr : &icon, small ? &icon : nullptr, 1);
  if (got == 0 || got == UINT_MAX) {
    if (icon) DestroyIcon(icon);
    return nullptr;
  }
  return icon;
}

void loadHostIcons(IconSet& set, HWND panelWindow) {
  wchar_t source[kPathUnits];
  if (!hostIconLibraryPath(source, kPathUnits) && !hostExecutablePath(panelWindow, source, kPathUnits))
    return;
  bool small = set.useSmallIcons != 0;
  for (const HostIconSlot& slot : kHostIcons)
    set.*slot.field = extractOne(source, small ? slot.smallIndex : slot.largeIndex, small);
}

HICON loadMark(HMODULE module, int size) {
  if (!module || size <= 0) return nullptr;
  return static_cast<HICON>(
      LoadImageW(module, MAKEINTRESOURCEW(MORVANE_EVERYTHING_ICON), IMAGE_ICON, size, size, 0));
}

}  // namespace

IconHandle ShellIconSource::shellIcon(const char16_t* name, ShellAsk ask, bool small) {
  SHFILEINFOW info = {};
  UINT flags = SHGFI_ICON | (small ? SHGFI_SMALLICON : 0);
  DWORD attributes = 0;
  if (ask != ShellAsk::Path) {
    flags |= SHGFI_USEFILEATTRIBUTES;
    attributes = ask == ShellAsk::AsFolder ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
  }
  DWORD_PTR ok = SHGetFileInfoW(W(name), attributes, &info, sizeof(info), flags);
  if (!ok || !info.hIcon) {
    if (info.hIcon) DestroyIcon(info.hIcon);  // a failure that still made an icon
    return nullptr;
  }
  return info.hIcon;
}

int32_t ShellIconSource::iconCountInFile(const char16_t* path) {
  UINT n = ExtractIconExW(W(path), -1, nullptr, nullptr, 0);
  return n == UINT_MAX ? -1 : static_cast<int32_t>(n > INT32_MAX ? INT32_MAX : n);
}

bool ShellIconSource::readAttributes(const char16_t* path) {
  return GetFileAttributesW(W(path)) != INVALID_FILE_ATTRIBUTES;
}

size_t ShellIconSource::shortPath(const char16_t* path, char16_t* out, size_t cap) {
  return GetShortPathNameW(W(path), W(out), static_cast<DWORD>(cap));
}

void ShellIconSource::clearLastError() { SetLastError(0); }
uint32_t ShellIconSource::lastError() { return GetLastError(); }
void ShellIconSource::destroyIcon(IconHandle icon) { DestroyIcon(static_cast<HICON>(icon)); }

HICON makeGenericProgramIcon(bool small) {
  wchar_t folder[MAX_PATH];
  DWORD n = GetTempPathW(MAX_PATH, folder);
  if (n == 0 || n >= MAX_PATH) return nullptr;
  // A name cut to fit would no longer end in ".exe", and the file is created
  // replacing whatever is there: such a name is never used.
  char16_t name[2 * MAX_PATH];
  size_t len = textFormat(name, 2 * MAX_PATH, u"%smvgenexe_%lu.exe", U(folder),
                          static_cast<unsigned long>(GetCurrentProcessId()));
  if (len > MAX_PATH - 1) return nullptr;
  HANDLE file = CreateFileW(W(name), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_TEMPORARY, nullptr);
  if (file == INVALID_HANDLE_VALUE) return nullptr;
  CloseHandle(file);
  HICON icon = static_cast<HICON>(g_shell.shellIcon(name, ShellAsk::Path, small));
  DeleteFileW(W(name));
  return icon;
}

void loadStockIcons(IconSet& set, const PanelSettings& s, HWND panelWindow, HMODULE module) {
  initIconSet(set, s.colorIcons != 0, s.showExeIcons != 0, s.hostListIcons != 0, s.useSmallIcons != 0);
  bool small = set.useSmallIcons != 0;
  set.shellFolderIcon = g_shell.shellIcon(u"folder", ShellAsk::AsFolder, small);
  set.shellFileIcon = g_shell.shellIcon(u"file", ShellAsk::AsNormalFile, small);
  set.genericExeIcon = makeGenericProgramIcon(small);
  if (set.hostListIcons) loadHostIcons(set, panelWindow);
  set.everythingLabelIconSize = s.everythingLabelIconSize;
  set.everythingOverlayIconSize = s.everythingOverlayIconSize;
  set.everythingLabelIcon = loadMark(module, s.everythingLabelIconSize);
  set.everythingOverlayIcon = loadMark(module, s.everythingOverlayIconSize);
}

IconHandle lookupItemIcon(void* iconSet, const ScanItem& item) {
  if (!iconSet) return nullptr;
  return iconForItem(*static_cast<IconSet*>(iconSet), g_shell, item);
}

void releasePanelIcons(IconSet& set) { releaseIconSet(set, g_shell); }
