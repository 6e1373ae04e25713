// Finding and reading the host's wincmd.ini: the order of the four places, the
// section redirections, the dark-mode answers with their diagnostic texts, the
// resolution section, the font and icon fallbacks, separators and IconLib.
#include <gtest/gtest.h>

#include <string>

#include "config/config_table.h"
#include "config/host_config.h"
#include "format/text.h"
#include "tests/support/config_fakes.h"

namespace {

constexpr const char16_t* kRegKey = u"Software\\Vantrel\\Total Commander";
constexpr const char16_t* kThemeKey =
    u"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";

std::string hostFileOf(FakeConfigPlatform& p) {
  char16_t out[2048];
  if (!findHostFile(p, out, 2048)) return "(none)";
  return textToUtf8(out);
}

std::string sectionFileOf(FakeConfigPlatform& p, const char16_t* host, const char16_t* section) {
  char16_t out[2048];
  resolveSectionFile(p, host, section, out, 2048);
  return textToUtf8(out);
}

}  // namespace


TEST(HostFile, MissingCandidatesArePassedOver) {
  FakeConfigPlatform p;
  p.setEnv(u"COMMANDER_INI", u"E:\\gone\\wincmd.ini");
  p.setRegistry(kRegKey, u"IniFileName", registryString(u"D:\\cfg\\tc.ini"));
  p.setFile(u"D:\\cfg\\tc.ini", u"");
  EXPECT_EQ(hostFileOf(p), "D:\\cfg\\tc.ini");

  // The registry names a missing file too: APPDATA is next.
  p.setRegistry(kRegKey, u"IniFileName", registryString(u"D:\\cfg\\gone.ini"));
  p.setEnv(u"APPDATA", u"C:\\A");
  p.setFile(u"C:\\A\\VANTREL\\wincmd.ini", u"");
  EXPECT_EQ(hostFileOf(p), "C:\\A\\VANTREL\\wincmd.ini");
}

TEST(HostFile, RegistryValueTypesAndLengths) {
  FakeConfigPlatform p;
  p.setFile(u"D:\\a.ini", u"");
  p.setFile(u"%X%\\a.ini", u"");

  p.setRegistry(kRegKey, u"IniFileName", registryDword(5));
  EXPECT_EQ(hostFileOf(p), "(none)");

  // An expandable string is used as it is, not expanded.
  p.setEnv(u"X", u"D:");
  p.setRegistry(kRegKey, u"IniFileName", registryString(u"%X%\\a.ini", kRegExpandSz));
  EXPECT_EQ(hostFileOf(p), "%X%\\a.ini");

  // A value stored without its terminator ends where the registry says.
  FakeRegistryValue v = registryString(u"D:\\a.iniJUNK");
  v.data.resize(16);  // "D:\a.ini" is 8 units
  p.setRegistry(kRegKey, u"IniFileName", v);
  EXPECT_EQ(hostFileOf(p), "D:\\a.ini");

  // An odd byte count keeps only whole units.
  v = registryString(u"D:\\a.ini");
  v.data.resize(17);
  v.data[16] = 'Z';
  p.setRegistry(kRegKey, u"IniFileName", v);
  EXPECT_EQ(hostFileOf(p), "D:\\a.ini");

  // Longer than the registry read allows: not read at all.
  p.setRegistry(kRegKey, u"IniFileName", registryString(std::u16string(3000, u'a')));
  EXPECT_EQ(hostFileOf(p), "(none)");
}

TEST(HostFile, OverlongEnvironmentPathsAreNotCut) {
  FakeConfigPlatform p;
  std::u16string longFolder = u"C:\\" + std::u16string(2030, u'x');
  p.setEnv(u"APPDATA", longFolder);
  // The cut form of the candidate exists, the real one cannot fit.
  std::u16string cut = (longFolder + u"\\VANTREL\\wincmd.ini").substr(0, 2047);
  p.setFile(cut, u"");
  EXPECT_EQ(hostFileOf(p), "(none)");
}

TEST(SectionFile, Redirections) {
  FakeConfigPlatform p;
  const char16_t* host = u"C:\\tc\\wincmd.ini";
  p.setEnv(u"APPDATA", u"C:\\Users\\u\\AppData");
  p.setFile(host,
            u"[Configuration]\nRedirectSection=1\nAlternateUserIni=\n"
            u"[AllResolutions]\nRedirectSection=%APPDATA%\\tc\\user.ini\n"
            u"[Colors]\nRedirectSection=colors.ini\n"
            u"[Layout]\nRedirectSection=0\n"
            u"[Other]\nRedirectSection=sub/other.ini\n"
            u"[Odd]\nRedirectSection= 1 \n");
  EXPECT_EQ(sectionFileOf(p, host, u"Configuration"), "C:\\tc\\wincmd.ini");
  EXPECT_EQ(sectionFileOf(p, host, u"AllResolutions"), "C:\\Users\\u\\AppData\\tc\\user.ini");
  EXPECT_EQ(sectionFileOf(p, host, u"Colors"), "C:\\tc\\colors.ini");
  EXPECT_EQ(sectionFileOf(p, host, u"Layout"), "C:\\tc\\wincmd.ini");
  EXPECT_EQ(sectionFileOf(p, host, u"Other"), "sub/other.ini");
  EXPECT_EQ(sectionFileOf(p, host, u"Missing"), "C:\\tc\\wincmd.ini");
  // Trimmed by the reader, so " 1 " is "1".
  EXPECT_EQ(sectionFileOf(p, host, u"Odd"), "C:\\tc\\wincmd.ini");

  p.setFile(host, u"[Configuration]\nRedirectSection=1\nAlternateUserIni=alt.ini\n");
  EXPECT_EQ(sectionFileOf(p, host, u"Configuration"), "C:\\tc\\alt.ini");

  // A bare name with no folder to put it in is used as it is.
  p.setFile(u"wincmd.ini", u"[Configuration]\nRedirectSection=alt.ini\n");
  EXPECT_EQ(sectionFileOf(p, u"wincmd.ini", u"Configuration"), "alt.ini");
}

TEST(HostDarkMode, AnswersAndDiagnosticTexts) {
  FakeConfigPlatform p;
  char16_t diag[2148];
  EXPECT_EQ(hostDarkMode(p, diag, 2148), ThemeAnswer::Undecided);
  EXPECT_EQ(textToUtf8(diag), "wincmd.ini NOT FOUND | COMMANDER_INI=[(not set)]");

  p.setEnv(u"COMMANDER_INI", u"C:\\tc\\wincmd.ini");
  p.setFile(u"C:\\tc\\wincmd.ini", u"[Configuration]\nDarkMode=2\n");
  EXPECT_EQ(hostDarkMode(p, diag, 2148), ThemeAnswer::Dark);
  EXPECT_EQ(textToUtf8(diag),
            "DarkMode=2 | COMMANDER_INI=[C:\\tc\\wincmd.ini] | wincmd.ini used=(C:\\tc\\wincmd.ini)");

  p.setFile(u"C:\\tc\\wincmd.ini", u"[Configuration]\nDarkMode=1\n");
  EXPECT_EQ(hostDarkMode(p, diag, 2148), ThemeAnswer::Undecided);
  p.setFile(u"C:\\tc\\wincmd.ini", u"[Configuration]\nDarkMode=0\n");
  EXPECT_EQ(hostDarkMode(p, diag, 2148), ThemeAnswer::Light);

  p.setFile(u"C:\\tc\\wincmd.ini", u"[Configuration]\nRedirectSection=user.ini\n");
  p.setFile(u"C:\\tc\\user.ini", u"[Configuration]\nShowHidden=1\n");
  EXPECT_EQ(hostDarkMode(p, diag, 2148), ThemeAnswer::Light);
  EXPECT_EQ(textToUtf8(diag),
            "DarkMode=(key missing, treated as 0/light) | COMMANDER_INI=[C:\\tc\\wincmd.ini] | "
            "wincmd.ini used=(C:\\tc\\wincmd.ini) | [Configuration] redirected");

  // The marker value itself counts as missing.
  p.setFile(u"C:\\tc\\user.ini", u"[Configuration]\nDarkMode=-999999\n");
  EXPECT_EQ(hostDarkMode(p, diag, 2148), ThemeAnswer::Light);
}

TEST(HostDarkMode, DiagnosticIsCutToItsBuffer) {
  FakeConfigPlatform p;
  char16_t diag[16];
  diag[15] = u'#';
  hostDarkMode(p, diag, 15);
  EXPECT_EQ(textToUtf8(diag), "wincmd.ini NOT");
  EXPECT_EQ(diag[15], u'#');
}

TEST(WindowsTheme, OnlyADwordDecides) {
  FakeConfigPlatform p;
  EXPECT_EQ(windowsAppTheme(p), ThemeAnswer::Undecided);
  p.setRegistry(kThemeKey, u"AppsUseLightTheme", registryDword(0));
  EXPECT_EQ(windowsAppTheme(p), ThemeAnswer::Dark);
  p.setRegistry(kThemeKey, u"AppsUseLightTheme", registryDword(7));
  EXPECT_EQ(windowsAppTheme(p), ThemeAnswer::Light);
  p.setRegistry(kThemeKey, u"AppsUseLightTheme", registryString(u"0"));
  EXPECT_EQ(windowsAppTheme(p), ThemeAnswer::Undecided);
  p.setRegistry(kThemeKey, u"AppsUseLightTheme", FakeRegistryValue{kRegDword, {0, 0}});
  EXPECT_EQ(windowsAppTheme(p), ThemeAnswer::Undecided);
}

TEST(ResolutionSection, PrefixFollowedByNoDigit) {
  FakeConfigPlatform p;
  const char16_t* host = u"C:\\tc\\wincmd.ini";
  p.setFile(host, u"[Configuration]\n[1920x10800]\n[1920X1080 (8x16)]\n[1920x1200 (8x16)]\n");
  char16_t out[64];
  p.screenWidth = 1920;
  p.screenHeight = 1080;
  ASSERT_TRUE(resolutionSection(p, host, out, 64));
  EXPECT_EQ(textToUtf8(out), "1920X1080 (8x16)");
  p.screenHeight = 1200;
  ASSERT_TRUE(resolutionSection(p, host, out, 64));
  EXPECT_EQ(textToUtf8(out), "1920x1200 (8x16)");
  p.screenWidth = 1280;
  p.screenHeight = 1024;
  EXPECT_FALSE(resolutionSection(p, host, out, 64));
  EXPECT_FALSE(resolutionSection(p, u"C:\\none.ini", out, 64));

  // An exact name with nothing after it matches too.
  p.setFile(host, u"[1280x1024]\n");
  ASSERT_TRUE(resolutionSection(p, host, out, 64));
  EXPECT_EQ(textToUtf8(out), "1280x1024");
}

TEST(HostFont, FallbacksAndLimits) {
  FakeConfigPlatform p;
  HostFont f;
  EXPECT_FALSE(hostFont(p, &f));

  p.setEnv(u"COMMANDER_INI", u"C:\\tc\\wincmd.ini");
  p.setFile(u"C:\\tc\\wincmd.ini",
            u"[AllResolutions]\nFontName=Tahoma\nFontSize=5\nFontWeight=1200\n"
            u"[1920x1080 (8x16)]\nFontSize=4\n");
  ASSERT_TRUE(hostFont(p, &f));
  EXPECT_EQ(textToUtf8(f.face), "Tahoma");
  EXPECT_EQ(f.size, 11);     // 5, then 4 from the resolution section: both too small
  EXPECT_EQ(f.weight, 400);  // 1200 is out of range

  p.setFile(u"C:\\tc\\wincmd.ini",
            u"[AllResolutions]\nFontSize=5\n[1920x1080 (8x16)]\nFontName=Verdana\nFontSize=9\n"
            u"FontWeight=700\n");
  ASSERT_TRUE(hostFont(p, &f));
  EXPECT_EQ(textToUtf8(f.face), "Verdana");
  EXPECT_EQ(f.size, 9);
  EXPECT_EQ(f.weight, 700);

  // No face anywhere: no font.
  p.setFile(u"C:\\tc\\wincmd.ini", u"[AllResolutions]\nFontSize=12\n");
  EXPECT_FALSE(hostFont(p, &f));

  // An over-long face is cut to 63 characters.
  p.setFile(u"C:\\tc\\wincmd.ini", u"[AllResolutions]\nFontName=" + std::u16string(100, u'F') + u"\n");
  ASSERT_TRUE(hostFont(p, &f));
  EXPECT_EQ(textLength(f.face), 63u);
}

TEST(HostIconSize, AllResolutionsThenResolutionSection) {
  FakeConfigPlatform p;
  int32_t size = 0;
  EXPECT_FALSE(hostIconSize(p, &size));
  p.setEnv(u"COMMANDER_INI", u"C:\\tc\\wincmd.ini");
  p.setFile(u"C:\\tc\\wincmd.ini", u"[AllResolutions]\nIconsize32=7\n[1920x1080 (8x16)]\nIconsize32=24\n");
  ASSERT_TRUE(hostIconSize(p, &size));
  EXPECT_EQ(size, 24);
  p.setFile(u"C:\\tc\\wincmd.ini", u"[AllResolutions]\nIconsize32=32\n[1920x1080 (8x16)]\nIconsize32=24\n");
  ASSERT_TRUE(hostIconSize(p, &size));
  EXPECT_EQ(size, 32);
  p.setFile(u"C:\\tc\\wincmd.ini", u"[1920x1080 (8x16)]\nIconsize32=6\n");
  EXPECT_FALSE(hostIconSize(p, &size));
}

TEST(HostSeparators, LocaleThenCustomSeparators) {
  FakeConfigPlatform p;
  char16_t th[2], dec[2];
  p.thousands = u"\u00A0";
  p.decimal = u",";
  readSeparators(p, th, dec);
  EXPECT_EQ(th[0], u'\u00A0');
  EXPECT_EQ(dec[0], u',');
  EXPECT_EQ(th[1], 0);

  p.localeWorks = false;
  readSeparators(p, th, dec);
  EXPECT_EQ(th[0], u',');
  EXPECT_EQ(dec[0], u'.');
  p.localeWorks = true;
  p.thousands = u"";
  readSeparators(p, th, dec);
  EXPECT_EQ(th[0], u',');

  p.setEnv(u"COMMANDER_INI", u"C:\\tc\\wincmd.ini");
  p.setFile(u"C:\\tc\\wincmd.ini", u"[Configuration]\nCustomSeparators=ab'\n");
  readSeparators(p, th, dec);
  EXPECT_EQ(th[0], u',');  // three characters change nothing
  EXPECT_EQ(dec[0], u',');
  p.setFile(u"C:\\tc\\wincmd.ini", u"[Configuration]\nCustomSeparators=ab'.xyz\n");
  readSeparators(p, th, dec);
  EXPECT_EQ(th[0], u'\'');
  EXPECT_EQ(dec[0], u'.');
}

TEST(HostConfigInt, MissingMarkerAndRedirection) {
  FakeConfigPlatform p;
  int32_t v = 0;
  EXPECT_FALSE(hostConfigInt(p, u"MinLineHeight", &v));
  p.setEnv(u"COMMANDER_INI", u"C:\\tc\\wincmd.ini");
  p.setFile(u"C:\\tc\\wincmd.ini", u"[Configuration]\nRedirectSection=1\nAlternateUserIni=u.ini\nMinLineHeight=40\n");
  p.setFile(u"C:\\tc\\u.ini", u"[Configuration]\nMinLineHeight=22\nDirBrackets=-999999\n");
  ASSERT_TRUE(hostConfigInt(p, u"MinLineHeight", &v));
  EXPECT_EQ(v, 22);
  EXPECT_FALSE(hostConfigInt(p, u"DirBrackets", &v));
  EXPECT_FALSE(hostConfigInt(p, u"OldListIcons", &v));
}

TEST(HostIconLibrary, ExpandedAndExisting) {
  FakeConfigPlatform p;
  char16_t out[2048];
  EXPECT_FALSE(hostIconLibrary(p, out, 2048));
  p.setEnv(u"COMMANDER_INI", u"C:\\tc\\wincmd.ini");
  p.setEnv(u"COMMANDER_PATH", u"C:\\tc");
  p.setFile(u"C:\\tc\\wincmd.ini", u"[Configuration]\nIconLib=%COMMANDER_PATH%\\icons.dll\n");
  EXPECT_FALSE(hostIconLibrary(p, out, 2048));
  p.setFile(u"C:\\tc\\icons.dll", u"");
  ASSERT_TRUE(hostIconLibrary(p, out, 2048));
  EXPECT_EQ(textToUtf8(out), "C:\\tc\\icons.dll");
}
