// Loading the panel's settings: the keys of Morvane.cfg in their order with
// the host's answers where a key is Auto, the theme, the icon size, the font
// decision, then (after the Win32 layer has made the fonts and measured them)
// the text metrics, the icon column, the row height and the diagnostic line.
#pragma once
#include <cstddef>
#include <cstdint>

#include "config/config_source.h"
#include "config/config_table.h"
#include "config/settings.h"

// Limits that keep later arithmetic (MulDiv scaling, layout sums) in range; no
// real configuration comes near them.
constexpr int32_t kMaxIconSize = 256;
constexpr int32_t kMaxRowMetric = 1024;

// What the load decided on the way, for the diagnostic line.
struct SettingsLoadNotes {
  char16_t themeDiag[hostkey::kThemeDiagUnits];
  int32_t iconSizeAuto;
  int32_t iconSizeFromHost;
  int32_t rowHeightAuto;
  int32_t rowHeightValue;  // n of a fixed RowHeight
};

// Text extents measured in pixels on the screen with each font selected.
struct TextMeasure {
  int32_t headerHeight;       // tmHeight of headerFont
  int32_t bodyHeight;         // tmHeight of bodyFont
  int32_t titleWidth;         // the title's width in headerFont
  int32_t bodyAverageWidth;   // tmAveCharWidth of bodyFont
};

void readColorSet(const SettingsSource& src, const char16_t* section, const uint32_t* defaults,
                  ColorSet* out);
// Copies one set into the active colours and derives the search colours.
void applyThemeColors(PanelSettings* s, bool dark);

// Every key of the table, the theme, separators, view switches, the screen
// scale (from screenDpi), icon sizes and the font decision.
void loadSettings(PanelSettings* s, SettingsLoadNotes* notes, const SettingsSource& src,
                  ConfigPlatform& platform, int32_t screenDpi);

// -(points * dpi / 72), MulDiv rounding.
int32_t fontHeightForPoints(int32_t points, int32_t dpi);

void applyTextMetrics(PanelSettings* s, const TextMeasure& px);

// Icon column, row height and configDiagLine, last of all.
void finishSettings(PanelSettings* s, const SettingsLoadNotes* notes, ConfigPlatform& platform);

// The theme switch the host asks for; false when nothing changes (a fixed
// theme, or the set already in force).
bool switchTheme(PanelSettings* s, bool dark);
