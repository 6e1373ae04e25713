// Loading Morvane.cfg end to end over in-memory files: colours and theme,
// switches and words, the Auto keys that follow the host, icon size, fonts,
// metrics, row height, limits, the diagnostic line and the theme switch.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>

#include "config/settings_load.h"
#include "config/value_rules.h"
#include "format/text.h"
#include "tests/support/config_fakes.h"
#include "view/colors.h"

namespace {

constexpr uint32_t rgb(uint32_t r, uint32_t g, uint32_t b) { return r | (g << 8) | (b << 16); }
constexpr const char16_t* kHost = u"C:\\tc\\wincmd.ini";
constexpr const char16_t* kThemeKey =
    u"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";

struct Loaded {
  PanelSettings s;
  SettingsLoadNotes notes;
};

// 15-pixel body and 19-pixel header text at 96 dpi, like Segoe UI 11/14 pt.
const TextMeasure kMeasure = {19, 15, 190, 7};

std::unique_ptr<Loaded> load(const std::u16string& cfg, FakeConfigPlatform& p, int dpi = 96,
                             TextMeasure px = kMeasure) {
  auto l = std::make_unique<Loaded>();
  memset(l.get(), 0, sizeof(Loaded));
  MapSettingsSource src(cfg);
  loadSettings(&l->s, &l->notes, src, p, dpi);
  applyTextMetrics(&l->s, px);
  finishSettings(&l->s, &l->notes, p);
  return l;
}

std::unique_ptr<Loaded> load(const std::u16string& cfg) {
  FakeConfigPlatform p;
  return load(cfg, p);
}

FakeConfigPlatform hostWith(const std::u16string& ini) {
  FakeConfigPlatform p;
  p.setEnv(u"COMMANDER_INI", kHost);
  p.setFile(kHost, ini);
  return p;
}

}  // namespace

TEST(SettingsColours, DefaultsOfBothSets) {
  auto l = load(u"");
  EXPECT_EQ(l->s.darkColors.backgroundColor, rgb(42, 42, 42));
  EXPECT_EQ(l->s.darkColors.headerColor, rgb(59, 130, 246));
  EXPECT_EQ(l->s.darkColors.topFilesLabelColor, rgb(239, 246, 255));
  EXPECT_EQ(l->s.darkColors.treeMapColor, rgb(62, 146, 166));
  EXPECT_EQ(l->s.lightColors.backgroundColor, rgb(192, 192, 192));
  EXPECT_EQ(l->s.lightColors.folderColor, rgb(30, 58, 138));
  EXPECT_EQ(l->s.lightColors.headerActiveColor, rgb(199, 221, 251));
  EXPECT_EQ(l->s.lightColors.topFilesLabelColor, rgb(26, 26, 26));
}

TEST(SettingsColours, ValuesFallbacksAndTopFilesLabelFollowingText) {
  auto l = load(
      u"[ThemeDark]\nBackgroundColor=FF0000\nTextColor=0x00FF00\nMetaColor=12\nFileColor=red\n"
      u"[ThemeLight]\nBackgroundColor=0xFF0000\nTextColor=123456\nTopFilesLabelColor=0x0000FF\n");
  EXPECT_EQ(l->s.darkColors.backgroundColor, rgb(255, 0, 0));
  EXPECT_EQ(l->s.darkColors.textColor, rgb(0, 255, 0));
  EXPECT_EQ(l->s.darkColors.topFilesLabelColor, rgb(0, 255, 0));  // follows TextColor
  EXPECT_EQ(l->s.darkColors.metaColor, rgb(148, 163, 184));       // "12" keeps the default
  EXPECT_EQ(l->s.darkColors.fileColor, rgb(239, 246, 255));       // "red" keeps the default
  EXPECT_EQ(l->s.lightColors.backgroundColor, rgb(255, 0, 0));
  EXPECT_EQ(l->s.lightColors.textColor, rgb(0x12, 0x34, 0x56));
  EXPECT_EQ(l->s.lightColors.topFilesLabelColor, rgb(0, 0, 255));  // an own value wins
}

TEST(SettingsTheme, ForcedAndAutoDecisions) {
  auto l = load(u"[Display]\nThemeMode=dark\n");
  EXPECT_EQ(l->s.themeMode, kThemeDark);
  EXPECT_EQ(l->s.isDark, 1);
  EXPECT_EQ(l->s.backgroundColor, rgb(42, 42, 42));
  EXPECT_EQ(textToUtf8(l->notes.themeDiag), "(forced, no wincmd.ini check needed)");

  l = load(u"[Display]\nThemeMode=LIGHT\n");
  EXPECT_EQ(l->s.isDark, 0);
  EXPECT_EQ(l->s.backgroundColor, rgb(192, 192, 192));

  // "Night" is Auto; no host file and no Windows value: light.
  l = load(u"[Display]\nThemeMode=Night\n");
  EXPECT_EQ(l->s.themeMode, kThemeAuto);
  EXPECT_EQ(l->s.isDark, 0);

  FakeConfigPlatform p = hostWith(u"[Configuration]\nDarkMode=2\n");
  p.setRegistry(kThemeKey, u"AppsUseLightTheme", registryDword(1));
  l = load(u"", p);
  EXPECT_EQ(l->s.isDark, 1);
  EXPECT_EQ(l->s.backgroundColor, rgb(42, 42, 42));
  EXPECT_EQ(l->s.textColor, rgb(239, 246, 255));
  EXPECT_EQ(l->s.headerBarColor, rgb(30, 30, 30));
  EXPECT_EQ(l->s.treeMapColor, rgb(62, 146, 166));

  // DarkMode 1 leaves it to Windows.
  p = hostWith(u"[Configuration]\nDarkMode=1\n");
  p.setRegistry(kThemeKey, u"AppsUseLightTheme", registryDword(0));
  EXPECT_EQ(load(u"", p)->s.isDark, 1);
  // The host's light answer is final, Windows is not asked.
  p = hostWith(u"[Configuration]\nDarkMode=0\n");
  p.setRegistry(kThemeKey, u"AppsUseLightTheme", registryDword(0));
  EXPECT_EQ(load(u"", p)->s.isDark, 0);
}

TEST(SettingsTheme, DerivedSearchColoursOfTheDefaults) {
  auto l = load(u"[Display]\nThemeMode=Dark\n");
  EXPECT_EQ(l->s.searchBackColor, rgb(50, 50, 50));
  EXPECT_EQ(l->s.searchBorderColor, rgb(89, 96, 105));
  EXPECT_EQ(l->s.searchHintColor, rgb(108, 117, 130));
  l = load(u"[Display]\nThemeMode=Light\n");
  EXPECT_EQ(l->s.searchBackColor, rgb(184, 184, 184));
  EXPECT_EQ(l->s.searchBorderColor, rgb(140, 144, 151));
  EXPECT_EQ(l->s.searchHintColor, rgb(119, 125, 133));
}

TEST(SettingsTheme, SwitchOnlyMovesAutoPanels) {
  auto l = load(u"");
  ASSERT_EQ(l->s.isDark, 0);
  EXPECT_TRUE(switchTheme(&l->s, true));
  EXPECT_EQ(l->s.isDark, 1);
  EXPECT_EQ(l->s.backgroundColor, rgb(42, 42, 42));
  EXPECT_EQ(l->s.searchBackColor, rgb(50, 50, 50));
  EXPECT_FALSE(switchTheme(&l->s, true));
  EXPECT_TRUE(switchTheme(&l->s, false));
  EXPECT_EQ(l->s.backgroundColor, rgb(192, 192, 192));

  l = load(u"[Display]\nThemeMode=Light\n");
  EXPECT_FALSE(switchTheme(&l->s, true));
  EXPECT_EQ(l->s.backgroundColor, rgb(192, 192, 192));
}

TEST(SettingsSwitches, DefaultsAndValueRules) {
  auto l = load(u"");
  EXPECT_EQ(l->s.barScaleLargest, 1);
  EXPECT_EQ(l->s.boldFolderNames, 0);
  EXPECT_EQ(l->s.showSearchBox, 1);
  EXPECT_EQ(l->s.showHeaders, 1);
  EXPECT_EQ(l->s.fancyBar, 1);
  EXPECT_EQ(l->s.fancyText, 1);
  EXPECT_EQ(l->s.sizeDisplay, kSizeDisplayAuto);
  EXPECT_EQ(l->s.jumpToSamePane, 0);
  EXPECT_EQ(l->s.fancyMapStyle, kMapFlat);
  EXPECT_EQ(l->s.treeMapLabelSize, 1);
  EXPECT_EQ(l->s.treeMapIcons, 1);
  EXPECT_EQ(l->s.fancyMap, 1);
  EXPECT_EQ(l->s.fancyPop, 1);
  EXPECT_EQ(l->s.dirBrackets, 0);
  EXPECT_EQ(l->s.colorIcons, 1);
  EXPECT_EQ(l->s.hostListIcons, 0);
  EXPECT_EQ(l->s.useEverything, 1);
  EXPECT_EQ(l->s.everythingLabel, kEverythingLabelOn);
  EXPECT_EQ(l->s.everythingDebug, 0);
  EXPECT_EQ(l->s.showExeIcons, 1);
  EXPECT_EQ(l->s.maxTopFiles, 50);
  EXPECT_EQ(l->s.maxFolderDepth, 15);

  EXPECT_EQ(load(u"[Display]\nSearchbox=yes\n")->s.showSearchBox, 1);
  EXPECT_EQ(load(u"[Display]\nSearchbox=1\n")->s.showSearchBox, 0);
  EXPECT_EQ(load(u"[Display]\nSearchbox=\n")->s.showSearchBox, 0);

  l = load(u"[Display]\nBarScaleMode=Total\nSizeDisplay=mb\nJumpToPane=same\n"
           u"[Treemap]\nFancyMapStyle=Colour\nTreeMapLabel=name\n"
           u"[Everything]\nShowEverythingLabel=overlay\n");
  EXPECT_EQ(l->s.barScaleLargest, 0);
  EXPECT_EQ(l->s.sizeDisplay, kSizeDisplayMB);
  EXPECT_EQ(l->s.jumpToSamePane, 1);
  EXPECT_EQ(l->s.fancyMapStyle, kMapColor);
  EXPECT_EQ(l->s.treeMapLabelSize, 0);
  EXPECT_EQ(l->s.everythingLabel, kEverythingLabelOverlay);

  EXPECT_EQ(load(u"[Display]\nSizeDisplay=Bytes\n")->s.sizeDisplay, kSizeDisplayAuto);
  EXPECT_EQ(load(u"[Treemap]\nFancyMapStyle=gradient\n")->s.fancyMapStyle, kMapGradient);
  EXPECT_EQ(load(u"[Treemap]\nFancyMapStyle=Fancy\n")->s.fancyMapStyle, kMapFlat);
  EXPECT_EQ(load(u"[Everything]\nShowEverythingLabel=Icon\n")->s.everythingLabel, kEverythingLabelIcon);
  EXPECT_EQ(load(u"[Everything]\nShowEverythingLabel=no\n")->s.everythingLabel, kEverythingLabelOff);
  // The 8-unit buffer cuts "OverlayX" to "Overlay".
  EXPECT_EQ(load(u"[Everything]\nShowEverythingLabel=OverlayX\n")->s.everythingLabel,
            kEverythingLabelOverlay);
}

TEST(SettingsSwitches, EverythingDebugNeedsEverything) {
  EXPECT_EQ(load(u"[Everything]\nEverything=N\nEverythingDebug=Y\n")->s.everythingDebug, 0);
  EXPECT_EQ(load(u"[Everything]\nEverythingDebug=Y\n")->s.everythingDebug, 1);
}

TEST(SettingsSwitches, AutoKeysFollowTheHost) {
  FakeConfigPlatform p = hostWith(u"[Configuration]\nDarkMode=0\n");
  auto l = load(u"", p);
  EXPECT_EQ(l->s.showExeIcons, 1);  // missing key: true
  EXPECT_EQ(l->s.dirBrackets, 0);   // missing key: false
  EXPECT_EQ(l->s.hostListIcons, 0);

  p = hostWith(u"[Configuration]\nShowEXEandLNKicons=0\nDirBrackets=1\nOldListIcons=3\n");
  l = load(u"", p);
  EXPECT_EQ(l->s.showExeIcons, 0);
  EXPECT_EQ(l->s.dirBrackets, 1);
  EXPECT_EQ(l->s.hostListIcons, 1);

  // Explicit values win over the host.
  l = load(u"[Display]\nShowExeIcons=Y\nDirBrackets=no\nTCListIcons=n\n", p);
  EXPECT_EQ(l->s.showExeIcons, 1);
  EXPECT_EQ(l->s.dirBrackets, 0);
  EXPECT_EQ(l->s.hostListIcons, 0);
}

TEST(SettingsLimits, DepthAndTopFiles) {
  EXPECT_EQ(load(u"[Filters]\nMaxFolderDepth=0\n")->s.maxFolderDepth, 1);
  EXPECT_EQ(load(u"[Filters]\nMaxFolderDepth=1\n")->s.maxFolderDepth, 1);
  EXPECT_EQ(load(u"[Filters]\nMaxFolderDepth=2\n")->s.maxFolderDepth, 2);
  EXPECT_EQ(load(u"[Filters]\nMaxFolderDepth=-40\n")->s.maxFolderDepth, 1);
  EXPECT_EQ(load(u"[Filters]\nMaxTopFiles=0\n")->s.maxTopFiles, 0);
  EXPECT_EQ(load(u"[Filters]\nMaxTopFiles=-3\n")->s.maxTopFiles, -3);
}

TEST(SettingsIcons, IconSizeRulesAndColumn) {
  auto l = load(u"[Display]\nIconSize=7\n");
  EXPECT_EQ(l->s.iconSize, 16);
  l = load(u"[Display]\nIconSize=20\n");
  EXPECT_EQ(l->s.iconSize, 20);
  EXPECT_EQ(l->s.iconColumnWidth, 36);
  EXPECT_EQ(load(u"[Display]\nIconSize=abc\n")->s.iconSize, 16);
  EXPECT_EQ(load(u"[Display]\nIconSize=99999999999\n")->s.iconSize, kMaxIconSize);

  // Auto with a host: Iconsize32 and MinIconWidth.
  FakeConfigPlatform p =
      hostWith(u"[AllResolutions]\nIconsize32=32\n[Configuration]\nMinIconWidth=60\n");
  l = load(u"", p);
  EXPECT_EQ(l->s.iconSize, 32);
  EXPECT_EQ(l->s.iconColumnWidth, 60);
  EXPECT_EQ(l->notes.iconSizeFromHost, 1);
  p = hostWith(u"[AllResolutions]\nIconsize32=32\n[Configuration]\nMinIconWidth=20\n");
  EXPECT_EQ(load(u"", p)->s.iconColumnWidth, 48);
  p = hostWith(u"[AllResolutions]\nIconsize32=32\n[Configuration]\nMinIconWidth=-4\n");
  EXPECT_EQ(load(u"", p)->s.iconColumnWidth, 52);
  // A fixed IconSize ignores the host's minimum.
  EXPECT_EQ(load(u"[Display]\nIconSize=20\n", p)->s.iconColumnWidth, 36);
  // A huge negative minimum cannot overflow the width.
  p = hostWith(u"[Configuration]\nMinIconWidth=-2147483647\n");
  EXPECT_EQ(load(u"", p)->s.iconColumnWidth, kMaxRowMetric);
}

TEST(SettingsIcons, ScaledSizesAndSmallIconDecision) {
  auto l = load(u"");
  EXPECT_EQ(l->s.dpiScalePercent, 100);
  EXPECT_EQ(l->s.useSmallIcons, 1);
  EXPECT_EQ(l->s.everythingLabelIconSize, 16);
  EXPECT_EQ(l->s.everythingOverlayIconSize, 16);

  FakeConfigPlatform p;
  l = load(u"", p, 144);  // 150 %: 16 -> 24 pixels
  EXPECT_EQ(l->s.dpiScalePercent, 150);
  EXPECT_EQ(l->s.useSmallIcons, 0);
  EXPECT_EQ(l->s.everythingLabelIconSize, 24);
  EXPECT_EQ(l->s.everythingOverlayIconSize, 16);  // 20 ties between 16 and 24

  l = load(u"[Display]\nIconSize=32\n", p, 120);  // 125 %: 40 pixels, overlay 34
  EXPECT_EQ(l->s.everythingLabelIconSize, 32);
  EXPECT_EQ(l->s.everythingOverlayIconSize, 32);

  l = load(u"", p, 0);  // a device without a resolution counts as 96 dpi
  EXPECT_EQ(l->s.dpiScalePercent, 100);
}

TEST(SettingsFonts, FaceSizesAndWeights) {
  auto l = load(u"");
  EXPECT_EQ(textToUtf8(l->s.fontFace), "Segoe UI");
  EXPECT_EQ(l->s.bodyFontSize, 11);
  EXPECT_EQ(l->s.headerFontSize, 14);
  EXPECT_EQ(l->s.smallFontSize, 9);  // 11 * 0.85 + 0.5 = 9.85
  EXPECT_EQ(l->s.bodyFontWeight, 400);
  EXPECT_EQ(l->s.fontFromHost, 0);

  FakeConfigPlatform p = hostWith(u"[AllResolutions]\nFontName=Tahoma\nFontSize=5\nFontWeight=1200\n");
  l = load(u"[Typography]\nBodyFontSize=20\n", p);
  EXPECT_EQ(textToUtf8(l->s.fontFace), "Tahoma");
  EXPECT_EQ(l->s.bodyFontSize, 11);  // the host's replaces the file's, and 5 becomes 11
  EXPECT_EQ(l->s.bodyFontWeight, 400);
  EXPECT_EQ(l->s.fontFromHost, 1);

  l = load(u"[Typography]\nFontName=Consolas\nBodyFontSize=7\n", p);
  EXPECT_EQ(textToUtf8(l->s.fontFace), "Consolas");
  EXPECT_EQ(l->s.bodyFontSize, 7);
  EXPECT_EQ(l->s.smallFontSize, 6);  // 6.45 -> 6
  EXPECT_EQ(l->s.fontFromHost, 0);
  EXPECT_EQ(load(u"[Typography]\nBodyFontSize=8\n")->s.smallFontSize, 7);  // 7.3 -> 7
  EXPECT_EQ(load(u"[Typography]\nBodyFontSize=2\n")->s.smallFontSize, 6);

  EXPECT_EQ(fontHeightForPoints(11, 96), -15);
  EXPECT_EQ(fontHeightForPoints(14, 144), -28);
}

TEST(SettingsMetrics, TextMetricsInDesignUnits) {
  FakeConfigPlatform p;
  auto l = load(u"", p, 144, TextMeasure{30, 23, 300, 10});
  EXPECT_EQ(l->s.headerTextHeight, 20);
  EXPECT_EQ(l->s.bodyTextHeight, 15);  // 15.33
  EXPECT_EQ(l->s.titleWidth, 200);
  EXPECT_EQ(l->s.searchBoxHeight, 23);
  EXPECT_EQ(l->s.searchBoxWidth, 7 * 20 + 10);  // 6.67 rounds to 7
  EXPECT_EQ(load(u"[Display]\nSearchbox=N\n")->s.searchBoxWidth, 0);
}

TEST(SettingsMetrics, RowHeightRules) {
  // base = max(body 15, icon 16) = 16
  EXPECT_EQ(load(u"[Display]\nRowHeight=0\n")->s.rowHeight, 18);  // 16, raised to 18
  EXPECT_EQ(load(u"[Display]\nRowHeight=-1\n")->s.rowHeight, 28);
  EXPECT_EQ(load(u"[Display]\nRowHeight=3\n")->s.rowHeight, 22);
  EXPECT_EQ(load(u"")->s.rowHeight, 28);
  EXPECT_EQ(load(u"[Display]\nRowHeight=2000000000\n")->s.rowHeight, kMaxRowMetric);

  FakeConfigPlatform p = hostWith(u"[Configuration]\nMinLineHeight=30\n");
  EXPECT_EQ(load(u"", p)->s.rowHeight, 30);
  p = hostWith(u"[Configuration]\nMinLineHeight=10\n");
  EXPECT_EQ(load(u"", p)->s.rowHeight, 18);  // base 16, raised to 18
  p = hostWith(u"[Configuration]\nMinLineHeight=-6\n");
  EXPECT_EQ(load(u"", p)->s.rowHeight, 22);
  EXPECT_EQ(load(u"[Display]\nRowHeight=3\n", p)->s.rowHeight, 22);  // fixed ignores the host
}

TEST(SettingsDiagnostics, LineWithoutAnyFile) {
  auto l = load(u"");
  EXPECT_EQ(textToUtf8(l->s.configDiagLine),
            "Everything: cfg=Y | Theme: wincmd.ini NOT FOUND | COMMANDER_INI=[(not set)] | "
            "Font: 'Segoe UI' 11pt (fallback default) | Icon: 16px col=32px (Iconsize32 not "
            "found/not used, MinIconWidth not found/not used=0) | Row: 28px (MinLineHeight not "
            "found/not used=0)");
}

TEST(SettingsDiagnostics, LineWithHostValues) {
  FakeConfigPlatform p = hostWith(
      u"[Configuration]\nDarkMode=2\nMinIconWidth=40\nMinLineHeight=24\n"
      u"[AllResolutions]\nFontName=Tahoma\nFontSize=9\nIconsize32=20\n");
  p.setEnv(u"COMMANDER_INI", kHost);
  auto l = load(u"[Everything]\nEverything=no\n", p);
  EXPECT_EQ(textToUtf8(l->s.configDiagLine),
            "Everything: cfg=N | Theme: DarkMode=2 | COMMANDER_INI=[C:\\tc\\wincmd.ini] | "
            "wincmd.ini used=(C:\\tc\\wincmd.ini) | Font: 'Tahoma' 9pt (from wincmd.ini) | "
            "Icon: 20px col=40px (Iconsize32 found, MinIconWidth found=40) | Row: 24px "
            "(MinLineHeight found=24)");
}

TEST(SettingsDiagnostics, LineIsCutAt500Units) {
  FakeConfigPlatform p;
  p.setEnv(u"COMMANDER_INI", std::u16string(1500, u'x'));
  auto l = load(u"", p);
  EXPECT_EQ(textLength(l->s.configDiagLine), 499u);
}

// The sample file users copy from must name every key with its real default,
// and nothing else.
TEST(SettingsSample, DocumentedFileMatchesTheTable) {
  std::string here = __FILE__;
  std::string path = here.substr(0, here.rfind("tests/native/")) + "docs/Morvane.cfg";
  FILE* f = fopen(path.c_str(), "r");
  ASSERT_NE(f, nullptr) << path;
  std::map<std::string, std::string> documented;  // "Section/Key" -> default
  std::string section;
  char line[512];
  while (fgets(line, sizeof line, f)) {
    std::string l = line;
    while (!l.empty() && (l.back() == '\n' || l.back() == '\r')) l.pop_back();
    if (l.size() > 2 && l[0] == '[') section = l.substr(1, l.find(']') - 1);
    size_t eq = l.find('=');
    if (l.size() > 1 && l[0] == ';' && isalpha(static_cast<unsigned char>(l[1])) &&
        eq != std::string::npos && l.find(' ') == std::string::npos)
      documented[section + "/" + l.substr(1, eq - 1)] = l.substr(eq + 1);
  }
  fclose(f);

  std::map<std::string, std::string> expected;
  for (const SettingDef& d : kSettingTable) {
    std::string key = textToUtf8(d.section) + "/" + textToUtf8(d.key);
    expected[key] = d.kind == SettingKind::Text ? textToUtf8(d.defaultText)
                                                : std::to_string(d.defaultInt);
  }
  for (int i = 0; i < kColorSetSize; ++i) {
    char hex[16];
    snprintf(hex, sizeof hex, "0x%06X", kDarkColorDefaults[i]);
    expected["ThemeDark/" + textToUtf8(kColorKeys[i])] = hex;
    snprintf(hex, sizeof hex, "0x%06X", kLightColorDefaults[i]);
    expected["ThemeLight/" + textToUtf8(kColorKeys[i])] = hex;
  }
  EXPECT_EQ(documented, expected);
}
