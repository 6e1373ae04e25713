// The one table of Morvane.cfg: sections, keys, defaults and the buffer each
// text value is read into, in the order the keys are read. The names of the
// host's own keys live here too, so no key name is spelled twice.
#pragma once
#include <cstddef>
#include <cstdint>

#include "config/settings.h"

enum class SettingKind : uint8_t {
  Text,     // read as text into bufferUnits, interpreted by its value rule
  Integer,  // read with the private-profile integer reader
};

// Indices into kSettingTable, in reading order.
enum SettingId : int {
  kSetThemeMode,
  kSetBarScaleMode,
  kSetBoldFolderNames,
  kSetSearchbox,
  kSetHeaders,
  kSetFancyBar,
  kSetFancyText,
  kSetSizeDisplay,
  kSetJumpToPane,
  kSetFancyMapStyle,
  kSetTreeMapLabel,
  kSetTreeMapIcons,
  kSetFancyMap,
  kSetFancyPop,
  kSetDirBrackets,
  kSetColorIcons,
  kSetTCListIcons,
  kSetEverything,
  kSetShowEverythingLabel,
  kSetEverythingDebug,
  kSetIconSize,
  kSetShowExeIcons,
  kSetHeaderFontSize,
  kSetBodyFontSize,
  kSetFontName,
  kSetMaxTopFiles,
  kSetMaxFolderDepth,
  kSetRowHeight,
  kSetScanThreads,
  kSettingCount
};

struct SettingDef {
  const char16_t* section;
  const char16_t* key;
  SettingKind kind;
  const char16_t* defaultText;  // Text keys
  int32_t defaultInt;           // Integer keys
  uint32_t bufferUnits;         // Text keys: the reader's buffer, terminator included
};

extern const SettingDef kSettingTable[kSettingCount];

// Buffer sizes of the text keys.
constexpr uint32_t kSwitchUnits = 8;   // yes/no, yes/no/auto, ShowEverythingLabel
constexpr uint32_t kShortUnits = 16;   // IconSize, RowHeight, FancyMapStyle, TreeMapLabel
constexpr uint32_t kWordUnits = 64;    // colours, ThemeMode, BarScaleMode, SizeDisplay, JumpToPane, FontName

// The twelve colour keys of ThemeDark and ThemeLight, in set order, with their
// defaults written as the file writes them (0xRRGGBB). TopFilesLabelColor has
// no fixed default: it takes the TextColor of its section as read.
extern const char16_t* const kColorKeys[kColorSetSize];
extern const uint32_t kDarkColorDefaults[kColorSetSize];
extern const uint32_t kLightColorDefaults[kColorSetSize];
constexpr int kTopFilesLabelColorIndex = 8;
constexpr int kTextColorIndex = 2;
extern const char16_t kSectionThemeDark[];
extern const char16_t kSectionThemeLight[];

constexpr const char16_t* kSettingsFileName = u"Morvane.cfg";
constexpr const char16_t* kTitleText = u"Morvane Storage Analysis";

// Host configuration names.
namespace hostkey {
constexpr const char16_t* kIniFileName = u"wincmd.ini";
constexpr const char16_t* kEnvCommanderIni = u"COMMANDER_INI";
constexpr const char16_t* kEnvAppData = u"APPDATA";
constexpr const char16_t* kEnvCommanderPath = u"COMMANDER_PATH";
constexpr const char16_t* kRegistryKey = u"Software\\Vantrel\\Total Commander";
constexpr const char16_t* kRegistryIniValue = u"IniFileName";
constexpr const char16_t* kAppDataFormat = u"%s\\VANTREL\\wincmd.ini";
constexpr const char16_t* kCommanderPathFormat = u"%s\\wincmd.ini";
constexpr const char16_t* kThemeRegistryKey =
    u"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";
constexpr const char16_t* kThemeRegistryValue = u"AppsUseLightTheme";

constexpr const char16_t* kConfiguration = u"Configuration";
constexpr const char16_t* kAllResolutions = u"AllResolutions";
constexpr const char16_t* kRedirectSection = u"RedirectSection";
constexpr const char16_t* kAlternateUserIni = u"AlternateUserIni";
constexpr const char16_t* kDarkMode = u"DarkMode";
constexpr const char16_t* kFontName = u"FontName";
constexpr const char16_t* kFontSize = u"FontSize";
constexpr const char16_t* kFontWeight = u"FontWeight";
constexpr const char16_t* kIconsize32 = u"Iconsize32";
constexpr const char16_t* kMinIconWidth = u"MinIconWidth";
constexpr const char16_t* kMinLineHeight = u"MinLineHeight";
constexpr const char16_t* kShowExeIcons = u"ShowEXEandLNKicons";
constexpr const char16_t* kDirBrackets = u"DirBrackets";
constexpr const char16_t* kOldListIcons = u"OldListIcons";
constexpr const char16_t* kIconLib = u"IconLib";
constexpr const char16_t* kCustomSeparators = u"CustomSeparators";

constexpr int32_t kMissing = -999999;      // integer default that marks an absent key
constexpr size_t kPathBuffer = 2048;       // every path, terminator included
constexpr size_t kThemeDiagUnits = 2148;   // the dark-mode diagnostic text
constexpr size_t kSectionNamesUnits = 32768;
constexpr size_t kSeparatorRead = 8;       // locale texts and CustomSeparators
constexpr uint32_t kRegistryMaxBytes = 4096;
}  // namespace hostkey
