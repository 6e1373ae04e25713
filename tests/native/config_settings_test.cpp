// Loading Morvane.cfg end to end over in-memory files and a fake host: colours
// and theme, switches and words, the Auto keys that follow the host, icon
// size, fonts, metrics, row height and the diagnostic line.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <initializer_list>
#include <map>
#include <memory>
#include <regex>
#include <string>

#include "config/settings_load.h"
#include "format/text.h"
#include "tests/support/config_fakes.h"

namespace {

constexpr uint32_t rgb(uint32_t r, uint32_t g, uint32_t b) { return r | (g << 8) | (b << 16); }
constexpr const char16_t* kSettingsFile = u"C:\\plugins\\Morvane.cfg";

struct Loaded { PanelSettings s; SettingsLoadNotes notes; };

// 15-pixel body and 19-pixel header text at 96 dpi, like Segoe UI 11/14 pt.
std::unique_ptr<Loaded> load(const std::u16string& cfg, FakeConfigPlatform p = {}, int dpi = 96,
                             TextMeasure px = {19, 15, 190, 7}) {
  auto l = std::make_unique<Loaded>();  // value-initialised: all zero
  p.files[kSettingsFile] = cfg;
  ProfileSettingsSource src;
  src.platform = &p;
  src.file = kSettingsFile;
  loadSettings(&l->s, &l->notes, src, p, dpi);
  applyTextMetrics(&l->s, px);
  finishSettings(&l->s, &l->notes, p);
  return l;
}

using S = PanelSettings;
// One integer setting after loading `cfg` with a host file holding `host` (none when null).
struct Row { const char16_t* cfg; int32_t want; const char16_t* host = nullptr; };
void expectField(int32_t S::*field, std::initializer_list<Row> rows) {
  for (const Row& r : rows)
    EXPECT_EQ(load(r.cfg, r.host ? fakeHost(r.host) : FakeConfigPlatform())->s.*field, r.want)
        << textToUtf8(r.cfg) << " / " << (r.host ? textToUtf8(r.host) : "no host");
}

}  // namespace

TEST(SettingsTheme, ForcedOrTheHostsAnswerThenWindowsAndOwnColours) {
  const struct { const char16_t *cfg, *host; int appsUseLightTheme, dark; } rows[] = {
      {u"[Display]\nThemeMode=dark", nullptr, -1, 1},
      {u"[Display]\nThemeMode=LIGHT", u"[Configuration]\nDarkMode=2", 0, 0},
      {u"[Display]\nThemeMode=Night", nullptr, -1, 0},  // Auto; nothing answers: light
      {u"", u"[Configuration]\nDarkMode=2", 1, 1},
      {u"", u"[Configuration]\nDarkMode=1", 0, 1},         // 1 leaves it to Windows
      {u"", u"[Configuration]\nDarkMode=0", 0, 0},         // the host's light is final
      {u"", u"[Configuration]\nDarkMode=-999999", 0, 0}};  // the marker counts as missing
  for (const auto& r : rows) {
    FakeConfigPlatform p = r.host ? fakeHost(r.host) : FakeConfigPlatform();
    if (r.appsUseLightTheme >= 0)
      p.registry[u"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize|"
                 u"AppsUseLightTheme"] = registryDword(r.appsUseLightTheme);
    auto l = load(r.cfg, p);
    SCOPED_TRACE(textToUtf8(r.cfg) + " / " + (r.host ? textToUtf8(r.host) : "no host"));
    EXPECT_EQ(l->s.isDark, r.dark);
    EXPECT_EQ(memcmp(&l->s.colors, r.dark ? &l->s.darkColors : &l->s.lightColors,
                     sizeof(ColorSet)), 0);
  }
  EXPECT_EQ(textToUtf8(load(u"", fakeHost(u"[Configuration]\nDarkMode=1"))->notes.themeDiag),
            "DarkMode=1 | COMMANDER_INI=[C:\\tc\\wincmd.ini] | "
            "wincmd.ini used=(C:\\tc\\wincmd.ini)");
  // Own colours win, bad ones keep the default; TopFilesLabelColor follows TextColor.
  auto l = load(u"[Display]\nThemeMode=dark\n[ThemeDark]\nTextColor=0x00FF00\nFileColor=red\n"
                u"[ThemeLight]\nBackgroundColor=FF0000\nTopFilesLabelColor=0x0000FF\n");
  EXPECT_EQ(textToUtf8(l->notes.themeDiag), "(forced, no wincmd.ini check needed)");
  EXPECT_EQ(l->s.searchBorderColor, rgb(89, 96, 105));  // derived from the dark set
  const ColorSet &dark = l->s.darkColors, &light = l->s.lightColors;
  EXPECT_EQ((std::vector<uint32_t>{dark.textColor, dark.topFilesLabelColor, dark.fileColor,
                                   light.backgroundColor, light.topFilesLabelColor}),
            (std::vector<uint32_t>{rgb(0, 255, 0), rgb(0, 255, 0), rgb(239, 246, 255),
                                   rgb(255, 0, 0), rgb(0, 0, 255)}));
}

TEST(SettingsTheme, SwitchOnlyMovesAutoPanels) {
  auto l = load(u"");
  EXPECT_TRUE(switchTheme(&l->s, true));
  EXPECT_EQ(l->s.colors.backgroundColor, rgb(42, 42, 42));
  EXPECT_EQ(l->s.searchBackColor, rgb(50, 50, 50));
  EXPECT_FALSE(switchTheme(&l->s, true));
  EXPECT_TRUE(switchTheme(&l->s, false));
  EXPECT_EQ(l->s.colors.backgroundColor, rgb(192, 192, 192));
  l = load(u"[Display]\nThemeMode=Light\n");
  EXPECT_FALSE(switchTheme(&l->s, true));
  EXPECT_EQ(l->s.isDark, 0);
}

TEST(SettingsSwitches, DefaultsAndValueRules) {
  auto l = load(u"");
  const struct { int32_t S::*field; int32_t want; } defaults[] = {
      {&S::barScaleLargest, 1}, {&S::boldFolderNames, 0}, {&S::showSearchBox, 1},
      {&S::showHeaders, 1}, {&S::fancyBar, 1}, {&S::fancyText, 1},
      {&S::sizeDisplay, kSizeDisplayAuto}, {&S::jumpToSamePane, 0}, {&S::fancyMapStyle, kMapFlat},
      {&S::treeMapLabelSize, 1}, {&S::treeMapIcons, 1}, {&S::fancyMap, 1},
      {&S::fancyPop, 1}, {&S::dirBrackets, 0}, {&S::colorIcons, 1},
      {&S::hostListIcons, 0}, {&S::useEverything, 1}, {&S::everythingLabel, kEverythingLabelOn},
      {&S::everythingDebug, 0}, {&S::showExeIcons, 1}, {&S::maxTopFiles, 50},
      {&S::maxFolderDepth, 15}};
  for (const auto& d : defaults) EXPECT_EQ(l->s.*d.field, d.want) << &d - defaults;

  expectField(&S::showSearchBox, {{u"[Display]\nSearchbox=", 0}});  // present but empty: no
  expectField(&S::barScaleLargest, {{u"[Display]\nBarScaleMode=Total", 0}});
  // The 8-unit buffer cuts "OverlayX" to "Overlay".
  expectField(&S::everythingLabel,
              {{u"[Everything]\nShowEverythingLabel=OverlayX", kEverythingLabelOverlay},
               {u"[Everything]\nShowEverythingLabel=Icon", kEverythingLabelIcon},
               {u"[Everything]\nShowEverythingLabel=no", kEverythingLabelOff}});
  expectField(&S::maxFolderDepth,
              {{u"[Filters]\nMaxFolderDepth=-40", 1}, {u"[Filters]\nMaxFolderDepth=2", 2}});
  expectField(&S::maxTopFiles,  // a negative count lists none
              {{u"[Filters]\nMaxTopFiles=-3", -3}, {u"[Filters]\nMaxTopFiles=1000000", 10000}});
  expectField(&S::scanThreads,
              {{u"[Filters]\nScanThreads=-5", 0}, {u"[Filters]\nScanThreads=99", 16}});
}

TEST(SettingsSwitches, AutoKeysFollowTheHost) {
  const char16_t* kNone = u"[Configuration]\nDarkMode=0";
  const char16_t* kSet = u"[Configuration]\nShowEXEandLNKicons=0\nDirBrackets=1\nOldListIcons=3";
  const char16_t* kExplicit = u"[Display]\nShowExeIcons=Y\nDirBrackets=no\nTCListIcons=n";
  // A missing key: ShowExeIcons true, the others false. Explicit values win over the host.
  expectField(&S::showExeIcons, {{u"", 1, kNone}, {u"", 0, kSet}, {kExplicit, 1, kSet}});
  expectField(&S::dirBrackets, {{u"", 0, kNone}, {u"", 1, kSet}, {kExplicit, 0, kSet}});
  expectField(&S::hostListIcons, {{u"", 0, kNone}, {u"", 1, kSet}, {kExplicit, 0, kSet}});
}

TEST(SettingsIcons, IconSizeAndColumn) {
  const char16_t* kHostIcons = u"[AllResolutions]\nIconsize32=32\n[Configuration]\nMinIconWidth=-4";
  expectField(&S::iconSize, {{u"[Display]\nIconSize=7", 16}, {u"[Display]\nIconSize=20", 20},
                             {u"[Display]\nIconSize=99999999999", kMaxIconSize},
                             {u"", 32, kHostIcons}});
  // Auto with a host: Iconsize32 and MinIconWidth; a fixed IconSize ignores the host's minimum;
  // a huge negative minimum cannot overflow the width.
  expectField(&S::iconColumnWidth,
              {{u"[Display]\nIconSize=20", 36},
               {u"", 60, u"[AllResolutions]\nIconsize32=32\n[Configuration]\nMinIconWidth=60"},
               {u"", 48, u"[AllResolutions]\nIconsize32=32\n[Configuration]\nMinIconWidth=20"},
               {u"", 52, kHostIcons}, {u"[Display]\nIconSize=20", 36, kHostIcons},
               {u"", kMaxRowMetric, u"[Configuration]\nMinIconWidth=-2147483647"}});
  EXPECT_EQ(load(u"", fakeHost(kHostIcons))->notes.iconSizeFromHost, 1);
}

TEST(SettingsIcons, ScaledSizesAndSmallIconDecision) {
  const struct { int dpi; const char16_t* cfg; int32_t scale, small, label, overlay; } rows[] = {
      {96, u"", 100, 1, 16, 16},
      {144, u"", 150, 0, 24, 16},                          // 24 pixels; overlay 20 ties: 16
      {120, u"[Display]\nIconSize=32\n", 125, 0, 32, 32},  // 40 pixels, overlay 34
      {0, u"", 100, 1, 16, 16}};                           // no resolution counts as 96 dpi
  for (const auto& r : rows) {
    auto l = load(r.cfg, {}, r.dpi);
    const PanelSettings& s = l->s;
    EXPECT_EQ((std::vector<int32_t>{s.dpiScalePercent, s.useSmallIcons, s.everythingLabelIconSize,
                                    s.everythingOverlayIconSize}),
              (std::vector<int32_t>{r.scale, r.small, r.label, r.overlay})) << r.dpi;
  }
}

TEST(SettingsFonts, FaceSizesAndWeights) {
  // "face body/header/small wWeight host|own".
  auto fontOf = [](const std::unique_ptr<Loaded>& l) {
    char text[160];
    snprintf(text, sizeof text, "%s %d/%d/%d w%d %s", textToUtf8(l->s.fontFace).c_str(),
             l->s.bodyFontSize, l->s.headerFontSize, l->s.smallFontSize, l->s.bodyFontWeight,
             l->s.fontFromHost ? "host" : "own");
    return std::string(text);
  };
  EXPECT_EQ(fontOf(load(u"")), "Segoe UI 11/14/9 w400 own");  // small: 11 * 0.85 + 0.5 = 9.85
  FakeConfigPlatform p = fakeHost(u"[AllResolutions]\nFontName=Tahoma\nFontSize=5\nFontWeight=9");
  // The host's size replaces the file's, and 5 becomes 11; 9 is no weight.
  EXPECT_EQ(fontOf(load(u"[Typography]\nBodyFontSize=20\n", p)), "Tahoma 11/14/9 w400 host");
  EXPECT_EQ(fontOf(load(u"[Typography]\nFontName=Consolas\nBodyFontSize=7\n", p)),
            "Consolas 7/14/6 w400 own");  // 6.45 -> 6
  EXPECT_EQ(fontHeightForPoints(14, 144), -28);
}

TEST(SettingsMetrics, TextMetricsAndRowHeight) {
  // At 144 dpi: header 20, body 15 (15.33), title 200, search box 23 high and
  // 7 * 20 + 10 wide (the average width 6.67 rounds to 7).
  auto l = load(u"", {}, 144, TextMeasure{30, 23, 300, 10});
  const PanelSettings& s = l->s;
  EXPECT_EQ((std::vector<int32_t>{s.headerTextHeight, s.bodyTextHeight, s.titleWidth,
                                  s.searchBoxHeight, s.searchBoxWidth}),
            (std::vector<int32_t>{20, 15, 200, 23, 150}));
  expectField(&S::searchBoxWidth, {{u"[Display]\nSearchbox=N", 0}});
  // base = max(body 15, icon 16) = 16. Fixed: base + 2n (negative: + 12), at least 18;
  // Auto: the host's minimum. A fixed RowHeight ignores the host.
  const char16_t* kNegative = u"[Configuration]\nMinLineHeight=-6";
  expectField(&S::rowHeight, {{u"[Display]\nRowHeight=0", 18}, {u"[Display]\nRowHeight=-1", 28},
                              {u"[Display]\nRowHeight=3", 22}, {u"", 28},
                              {u"[Display]\nRowHeight=2000000000", kMaxRowMetric},
                              {u"", 30, u"[Configuration]\nMinLineHeight=30"},
                              {u"", 18, u"[Configuration]\nMinLineHeight=10"},
                              {u"", 22, kNegative}, {u"[Display]\nRowHeight=3", 22, kNegative}});
}

TEST(SettingsDiagnostics, LineWithoutHostValues) {
  EXPECT_EQ(textToUtf8(load(u"")->s.configDiagLine),
            "Everything: cfg=Y | Theme: wincmd.ini NOT FOUND | COMMANDER_INI=[(not set)] | "
            "Font: 'Segoe UI' 11pt (fallback default) | Icon: 16px col=32px (Iconsize32 not "
            "found/not used, MinIconWidth not found/not used=0) | Row: 28px (MinLineHeight not "
            "found/not used=0)");
}

// The sample file users copy from must name every key with its real default, and nothing else.
TEST(SettingsSample, DocumentedFileMatchesTheTable) {
  std::string here = __FILE__;
  std::ifstream f(here.substr(0, here.rfind("tests/native/")) + "docs/Morvane.cfg");
  ASSERT_TRUE(f.is_open());
  std::map<std::string, std::string> documented, expected;  // "Section/Key" -> default
  // A documented key is a commented-out line ";Key=Default".
  const std::regex sectionLine("\\[(.+)\\]"), keyLine(";([A-Za-z]\\w*)=(\\S*)");
  std::smatch m;
  std::string section;
  for (std::string l; std::getline(f, l);) {
    if (std::regex_match(l, m, sectionLine)) section = m[1];
    if (std::regex_match(l, m, keyLine)) documented[section + "/" + m[1].str()] = m[2];
  }
  for (const SettingDef& d : kSettingTable)
    expected[textToUtf8(d.section) + "/" + textToUtf8(d.key)] =
        d.kind == SettingKind::Text ? textToUtf8(d.defaultText) : std::to_string(d.defaultInt);
  for (int i = 0; i < kColorSetSize; ++i) {
    char dark[16], light[16];
    snprintf(dark, sizeof dark, "0x%06X", kDarkColorDefaults[i]);
    snprintf(light, sizeof light, "0x%06X", kLightColorDefaults[i]);
    expected["ThemeDark/" + textToUtf8(kColorKeys[i])] = dark;
    expected["ThemeLight/" + textToUtf8(kColorKeys[i])] = light;
  }
  EXPECT_EQ(documented, expected);
}
