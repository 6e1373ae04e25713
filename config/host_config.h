// Questions asked of the host's configuration (wincmd.ini) and of Windows:
// where the host file is, which file really holds a section, dark mode, font,
// icon size, integers, separators and the icon library. Nothing is cached and
// nothing is written; every failure is simply "no answer".
#pragma once
#include <cstddef>
#include <cstdint>

#include "config/config_source.h"

enum class ThemeAnswer { Dark, Light, Undecided };

// The first existing of COMMANDER_INI, the registry's IniFileName, APPDATA's
// and COMMANDER_PATH's wincmd.ini; false (and an empty out) when none.
bool findHostFile(ConfigPlatform& p, char16_t* out, size_t cap);

// The file that really holds `section` of the host file (RedirectSection).
void resolveSectionFile(ConfigPlatform& p, const char16_t* hostFile, const char16_t* section,
                        char16_t* out, size_t cap);

// Host DarkMode: 2 dark, 0 or missing light, anything else or no host file
// undecided; the diagnostic text tells which and from where.
ThemeAnswer hostDarkMode(ConfigPlatform& p, char16_t* diag, size_t diagCap);

// AppsUseLightTheme: 0 dark, other values light, unreadable undecided.
ThemeAnswer windowsAppTheme(ConfigPlatform& p);

// The host section for the current screen size ("1920x1080 (8x16)").
bool resolutionSection(ConfigPlatform& p, const char16_t* hostFile, char16_t* out, size_t cap);

struct HostFont {
  char16_t face[64];
  int32_t size;    // points
  int32_t weight;  // 100..1000
};
bool hostFont(ConfigPlatform& p, HostFont* font);

bool hostIconSize(ConfigPlatform& p, int32_t* size);

// An integer of the host's Configuration section; false when absent (the
// -999999 marker counts as absent).
bool hostConfigInt(ConfigPlatform& p, const char16_t* key, int32_t* value);

// The locale's separators, then the host's CustomSeparators (characters 3 and 4).
void readSeparators(ConfigPlatform& p, char16_t* thousands, char16_t* decimal);

// The expanded, existing path the host's IconLib names.
bool hostIconLibrary(ConfigPlatform& p, char16_t* out, size_t cap);
