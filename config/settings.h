// The panel's settings: everything Morvane.cfg, the host's wincmd.ini and the
// screen decide while a panel is created. Portable and plain (no handles); the
// fonts and brushes built from it live in PanelResources (panel_resources_win.h).
// Metrics are in 96-dpi units and become pixels through dpiScalePercent.
#pragma once
#include <cstdint>

#include "format/number_format.h"  // SizeDisplay

constexpr int kConfigDiagUnits = 500;  // configDiagLine, terminator included
constexpr int kFontFaceUnits = 64;     // LOGFONT face name: 63 characters and the terminator
constexpr int kSeparatorUnits = 2;     // one character and the terminator

enum ThemeMode : int32_t { kThemeAuto = 0, kThemeDark = 1, kThemeLight = 2 };
enum FancyMapStyle : int32_t { kMapFlat = 0, kMapColor = 1, kMapSoft = 2, kMapGradient = 3 };
enum EverythingLabel : int32_t {
  kEverythingLabelOff = 0,
  kEverythingLabelOn = 1,
  kEverythingLabelIcon = 2,
  kEverythingLabelOverlay = 3
};

// One theme's twelve colours (COLORREF, red in the low byte), in the order of
// the settings file's colour keys.
struct ColorSet {
  uint32_t backgroundColor;
  uint32_t headerColor;
  uint32_t textColor;
  uint32_t metaColor;
  uint32_t barStartColor;
  uint32_t barEndColor;
  uint32_t fileColor;
  uint32_t folderColor;
  uint32_t topFilesLabelColor;
  uint32_t headerBarColor;
  uint32_t headerActiveColor;
  uint32_t treeMapColor;
};
constexpr int kColorSetSize = 12;

struct PanelSettings {
  // Colours: both sets as read, the theme choice, and the set in force.
  ColorSet darkColors;
  ColorSet lightColors;
  int32_t themeMode;  // ThemeMode
  int32_t isDark;     // the dark set is in force
  ColorSet colors;    // a copy of darkColors or lightColors
  uint32_t searchBackColor;
  uint32_t searchBorderColor;
  uint32_t searchHintColor;

  // Display switches.
  int32_t barScaleLargest;
  int32_t boldFolderNames;
  int32_t showSearchBox;
  int32_t showHeaders;
  int32_t fancyBar;
  int32_t fancyText;
  int32_t sizeDisplay;  // SizeDisplay
  int32_t jumpToSamePane;
  int32_t dirBrackets;
  int32_t colorIcons;
  int32_t hostListIcons;
  int32_t showExeIcons;

  // Treemap switches.
  int32_t fancyMapStyle;  // FancyMapStyle
  int32_t treeMapLabelSize;
  int32_t treeMapIcons;
  int32_t fancyMap;
  int32_t fancyPop;

  // Everything.
  int32_t useEverything;
  int32_t everythingLabel;  // EverythingLabel
  int32_t everythingDebug;

  // Screen scale and icons.
  int32_t screenDpi;        // LOGPIXELSY of the panel window
  int32_t dpiScalePercent;  // screenDpi * 100 / 96
  int32_t iconSize;         // 96-dpi units
  int32_t useSmallIcons;
  int32_t everythingLabelIconSize;    // pixels: 16, 24, 32 or 48
  int32_t everythingOverlayIconSize;  // pixels: 16, 24, 32 or 48

  // Fonts as decided (the handles are in PanelResources).
  char16_t fontFace[kFontFaceUnits];
  int32_t headerFontSize;  // points
  int32_t bodyFontSize;    // points, after a host replacement
  int32_t smallFontSize;   // points
  int32_t bodyFontWeight;
  int32_t fontFromHost;

  // Metrics, 96-dpi units.
  int32_t headerTextHeight;
  int32_t bodyTextHeight;
  int32_t titleWidth;
  int32_t searchBoxWidth;
  int32_t searchBoxHeight;
  int32_t iconColumnWidth;
  int32_t rowHeight;

  // Scan limits.
  int32_t maxTopFiles;     // at most kMaxTopFilesCap; 0 or below lists none
  int32_t maxFolderDepth;  // at least 1
  int32_t scanThreads;     // 1..kMaxScanThreads walkers; 0 = one per processor, at most 4

  // Number text.
  char16_t thousandsSeparator[kSeparatorUnits];
  char16_t decimalSeparator[kSeparatorUnits];

  char16_t configDiagLine[kConfigDiagUnits];
};
