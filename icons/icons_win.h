// The Win32 side of a panel's icons: the shell and the host behind IconSource,
// the stock icons loaded when a panel is created, and the lookup the painters
// call for a row's or a cell's icon.
#pragma once
#include <windows.h>

#include "config/settings.h"
#include "icons/icon_set.h"

// The shell (SHGetFileInfoW), icon extraction and the file system.
struct ShellIconSource : IconSource {
  IconHandle shellIcon(const char16_t* name, ShellAsk ask, bool small) override;
  int32_t iconCountInFile(const char16_t* path) override;
  bool readAttributes(const char16_t* path) override;
  size_t shortPath(const char16_t* path, char16_t* out, size_t cap) override;
  void clearLastError() override;
  uint32_t lastError() override;
  void destroyIcon(IconHandle icon) override;
};

// The shell's icon for a program without icons of its own: asked for an empty
// "mvgenexe_<process id>.exe" made in the temporary folder and deleted again
// within the call. Null when the folder, the file or the icon cannot be had.
HICON makeGenericProgramIcon(bool small);

// Fills the set once at panel creation: the shell's folder and file icons, the
// generic program icon, the host's list icons when the settings ask for them
// (from the host's icon library, else from the executable owning `panelWindow`),
// and the Everything mark (resource 102 of `module`) at its two sizes.
void loadStockIcons(IconSet& set, const PanelSettings& settings, HWND panelWindow, HMODULE module);

// The painters' icon lookup: `iconSet` is the panel's IconSet. Null when the
// item gets no icon (the painter draws a glyph).
IconHandle lookupItemIcon(void* iconSet, const ScanItem& item);

// Destroys every icon of the set and frees both caches.
void releasePanelIcons(IconSet& set);
