// The Win32 side of the configuration: the platform calls behind
// ConfigPlatform, and the panel-creation and theme-switch steps that need
// device contexts, fonts and brushes.
#pragma once
#include <windows.h>

#include "config/config_source.h"
#include "config/panel_resources_win.h"
#include "config/settings.h"

struct Win32ConfigPlatform : ConfigPlatform {
  HWND window = nullptr;  // the panel window: its monitor decides the resolution section
  bool readEnvironment(const char16_t* name, char16_t* out, size_t cap) override;
  bool expandEnvironment(const char16_t* text, char16_t* out, size_t cap) override;
  bool pathExists(const char16_t* path) override;
  bool readUserRegistry(const char16_t* subkey, const char16_t* name, uint32_t* type, void* data,
                        uint32_t* bytes) override;
  size_t profileText(const char16_t* file, const char16_t* section, const char16_t* key,
                     const char16_t* def, char16_t* out, size_t cap) override;
  int32_t profileInt(const char16_t* file, const char16_t* section, const char16_t* key,
                     int32_t def) override;
  size_t profileSectionNames(const char16_t* file, char16_t* out, size_t cap) override;
  bool screenSize(int32_t* width, int32_t* height) override;
  bool localeText(LocaleItem item, char16_t* out, size_t cap) override;
};

// "Morvane.cfg" beside the module's own file. False (and an empty path) when the
// module path is cut or leaves no room; the settings then count as missing.
bool settingsPathBesideModule(HMODULE module, wchar_t* out, size_t cap);

// Reads the settings (settingsPath may be null or empty: defaults and the
// host), decides the theme, makes the brushes and fonts, measures the text and
// composes configDiagLine. The stock icons and COM are the caller's.
void loadPanelConfiguration(PanelSettings* settings, PanelResources* res, HWND window,
                            const wchar_t* settingsPath);

// The host's theme notice for one panel: true when the colours changed (and
// the brushes were remade); a fixed theme or the set already in force: false.
bool switchPanelTheme(PanelSettings* settings, PanelResources* res, bool dark);

// The executable of the process owning the window (the host itself).
bool hostExecutablePath(HWND window, wchar_t* out, size_t cap);
// The icon library the host's IconLib names, expanded and existing.
bool hostIconLibraryPath(wchar_t* out, size_t cap);
