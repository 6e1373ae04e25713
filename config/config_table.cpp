#include "config/config_table.h"

namespace {
constexpr const char16_t* kDisplay = u"Display";
constexpr const char16_t* kTreemap = u"Treemap";
constexpr const char16_t* kEverything = u"Everything";
constexpr const char16_t* kTypography = u"Typography";
constexpr const char16_t* kFilters = u"Filters";
constexpr SettingKind T = SettingKind::Text;
constexpr SettingKind I = SettingKind::Integer;
}  // namespace

const char16_t kSectionThemeDark[] = u"ThemeDark";
const char16_t kSectionThemeLight[] = u"ThemeLight";

const SettingDef kSettingTable[kSettingCount] = {
    {kDisplay, u"ThemeMode", T, u"Auto", 0, kWordUnits},
    {kDisplay, u"BarScaleMode", T, u"Largest", 0, kWordUnits},
    {kDisplay, u"BoldFolderNames", T, u"N", 0, kSwitchUnits},
    {kDisplay, u"Searchbox", T, u"Y", 0, kSwitchUnits},
    {kDisplay, u"Headers", T, u"Y", 0, kSwitchUnits},
    {kDisplay, u"FancyBar", T, u"Y", 0, kSwitchUnits},
    {kDisplay, u"FancyText", T, u"Y", 0, kSwitchUnits},
    {kDisplay, u"SizeDisplay", T, u"Auto", 0, kWordUnits},
    {kDisplay, u"JumpToPane", T, u"Other", 0, kWordUnits},
    {kTreemap, u"FancyMapStyle", T, u"Flat", 0, kShortUnits},
    {kTreemap, u"TreeMapLabel", T, u"NameSize", 0, kShortUnits},
    {kTreemap, u"TreeMapIcons", T, u"Y", 0, kSwitchUnits},
    {kTreemap, u"FancyMap", T, u"Y", 0, kSwitchUnits},
    {kTreemap, u"FancyPop", T, u"Y", 0, kSwitchUnits},
    {kDisplay, u"DirBrackets", T, u"Auto", 0, kSwitchUnits},
    {kDisplay, u"ColorIcons", T, u"Y", 0, kSwitchUnits},
    {kDisplay, u"TCListIcons", T, u"Auto", 0, kSwitchUnits},
    {kEverything, u"Everything", T, u"Y", 0, kSwitchUnits},
    {kEverything, u"ShowEverythingLabel", T, u"Y", 0, kSwitchUnits},
    {kEverything, u"EverythingDebug", T, u"N", 0, kSwitchUnits},
    {kDisplay, u"IconSize", T, u"Auto", 0, kShortUnits},
    {kDisplay, u"ShowExeIcons", T, u"Auto", 0, kSwitchUnits},
    {kTypography, u"HeaderFontSize", I, nullptr, 14, 0},
    {kTypography, u"BodyFontSize", I, nullptr, 11, 0},
    {kTypography, u"FontName", T, u"Auto", 0, kWordUnits},
    {kFilters, u"MaxTopFiles", I, nullptr, 50, 0},
    {kFilters, u"MaxFolderDepth", I, nullptr, 15, 0},
    {kDisplay, u"RowHeight", T, u"Auto", 0, kShortUnits},
    {kFilters, u"ScanThreads", I, nullptr, 0, 0},
};

const char16_t* const kColorKeys[kColorSetSize] = {
    u"BackgroundColor", u"HeaderColor",        u"TextColor",      u"MetaColor",
    u"BarStartColor",   u"BarEndColor",        u"FileColor",      u"FolderColor",
    u"TopFilesLabelColor", u"HeaderBarColor",  u"HeaderActiveColor", u"TreeMapColor",
};

// 0xRRGGBB as the file writes them; index 8 (TopFilesLabelColor) is unused.
const uint32_t kDarkColorDefaults[kColorSetSize] = {
    0x2A2A2A, 0x3B82F6, 0xEFF6FF, 0x94A3B8, 0x404040, 0x606060,
    0xEFF6FF, 0x93C5FD, 0xEFF6FF, 0x1E1E1E, 0x4A4A4A, 0x3E92A6,
};
const uint32_t kLightColorDefaults[kColorSetSize] = {
    0xC0C0C0, 0x1D4ED8, 0x1A1A1A, 0x4B5563, 0x8A8A8A, 0x505050,
    0x1A1A1A, 0x1E3A8A, 0x1A1A1A, 0xF5F5F5, 0xC7DDFB, 0x808080,
};
