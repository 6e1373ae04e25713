// Finding and reading the host's wincmd.ini: registry values of every shape,
// the section redirections, the dark-mode texts, the font and icon fallbacks,
// separators and IconLib. The order of the places is shown under Wine.
#include <gtest/gtest.h>

#include <string>

#include "config/config_table.h"
#include "config/host_config.h"
#include "format/text.h"
#include "tests/support/config_fakes.h"

namespace {

constexpr const char16_t* kRegKey = u"Software\\Vantrel\\Total Commander";
const char16_t* const kHost = kFakeHostFile;

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

// "face size wWeight", or "(none)".
std::string hostFontOf(FakeConfigPlatform& p) {
  HostFont f;
  if (!hostFont(p, &f)) return "(none)";
  return textToUtf8(f.face) + " " + std::to_string(f.size) + " w" + std::to_string(f.weight);
}

// "<thousands><decimal>", each separator one character and its terminator.
std::string separatorsOf(FakeConfigPlatform& p) {
  char16_t th[2] = {u'?', u'?'}, dec[2] = {u'?', u'?'};
  readSeparators(p, th, dec);
  if (th[1] != 0 || dec[1] != 0) return "(not terminated)";
  const char16_t both[3] = {th[0], dec[0], 0};
  return textToUtf8(both);
}

}  // namespace

TEST(HostFile, RegistryValueTypesAndLengths) {
  FakeConfigPlatform p;
  p.setFile(u"D:\\a.ini", u"");
  p.setFile(u"%X%\\a.ini", u"");
  p.setEnv(u"X", u"D:");
  // Stored without its terminator: ends where the registry says ("D:\a.ini" is 8 units).
  FakeRegistryValue unterminated = registryString(u"D:\\a.iniJUNK");
  unterminated.data.resize(16);
  // An odd byte count keeps only whole units.
  FakeRegistryValue odd = registryString(u"D:\\a.ini");
  odd.data.resize(17);
  odd.data[16] = 'Z';
  const struct { FakeRegistryValue value; const char* want; } rows[] = {
      {registryDword(5), "(none)"},
      {registryString(u"%X%\\a.ini", kRegExpandSz), "%X%\\a.ini"},  // used as it is, not expanded
      {unterminated, "D:\\a.ini"},
      {odd, "D:\\a.ini"},
      {registryString(std::u16string(3000, u'a')), "(none)"}};  // beyond the read: not read at all
  for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
    p.setRegistry(kRegKey, u"IniFileName", rows[i].value);
    EXPECT_EQ(hostFileOf(p), rows[i].want) << "row " << i;
  }
}

TEST(HostFile, OverlongEnvironmentPathsAreNotCut) {
  FakeConfigPlatform p;
  std::u16string longFolder = u"C:\\" + std::u16string(2030, u'x');
  p.setEnv(u"APPDATA", longFolder);
  // The cut form of the candidate exists, the real one cannot fit.
  p.setFile((longFolder + u"\\VANTREL\\wincmd.ini").substr(0, 2047), u"");
  EXPECT_EQ(hostFileOf(p), "(none)");
}

TEST(SectionFile, Redirections) {
  FakeConfigPlatform p;
  p.setEnv(u"APPDATA", u"C:\\Users\\u\\AppData");
  p.setFile(kHost,
            u"[Configuration]\nRedirectSection=1\nAlternateUserIni=\n"
            u"[AllResolutions]\nRedirectSection=%APPDATA%\\tc\\user.ini\n"
            u"[Colors]\nRedirectSection=colors.ini\n"
            u"[Layout]\nRedirectSection=0\n"
            u"[Other]\nRedirectSection=sub/other.ini\n"
            u"[Odd]\nRedirectSection= 1 \n");  // trimmed by the reader: "1"
  const struct { const char16_t* section; const char* want; } rows[] = {
      {u"Configuration", "C:\\tc\\wincmd.ini"},
      {u"AllResolutions", "C:\\Users\\u\\AppData\\tc\\user.ini"},
      {u"Colors", "C:\\tc\\colors.ini"},
      {u"Layout", "C:\\tc\\wincmd.ini"},
      {u"Other", "sub/other.ini"},
      {u"Missing", "C:\\tc\\wincmd.ini"},
      {u"Odd", "C:\\tc\\wincmd.ini"}};
  for (const auto& r : rows) EXPECT_EQ(sectionFileOf(p, kHost, r.section), r.want) << r.want;

  p.setFile(kHost, u"[Configuration]\nRedirectSection=1\nAlternateUserIni=alt.ini\n");
  EXPECT_EQ(sectionFileOf(p, kHost, u"Configuration"), "C:\\tc\\alt.ini");
  // A bare name with no folder to put it in is used as it is.
  p.setFile(u"wincmd.ini", u"[Configuration]\nRedirectSection=alt.ini\n");
  EXPECT_EQ(sectionFileOf(p, u"wincmd.ini", u"Configuration"), "alt.ini");
}

// The answers and the plain texts are pinned by the settings' diagnostic line;
// here what only a redirected section, the marker and a short buffer show.
TEST(HostDarkMode, RedirectedSectionTextMarkerAndShortBuffer) {
  FakeConfigPlatform p = fakeHost(u"[Configuration]\nRedirectSection=user.ini\n");
  char16_t diag[2148];
  p.setFile(u"C:\\tc\\user.ini", u"[Configuration]\nShowHidden=1\n");
  EXPECT_EQ(hostDarkMode(p, diag, 2148), ThemeAnswer::Light);
  EXPECT_EQ(textToUtf8(diag),
            "DarkMode=(key missing, treated as 0/light) | COMMANDER_INI=[C:\\tc\\wincmd.ini] | "
            "wincmd.ini used=(C:\\tc\\wincmd.ini) | [Configuration] redirected");
  // The marker value itself counts as missing.
  p.setFile(u"C:\\tc\\user.ini", u"[Configuration]\nDarkMode=-999999\n");
  EXPECT_EQ(hostDarkMode(p, diag, 2148), ThemeAnswer::Light);

  FakeConfigPlatform none;
  diag[15] = u'#';
  hostDarkMode(none, diag, 15);
  EXPECT_EQ(textToUtf8(diag), "wincmd.ini NOT");
  EXPECT_EQ(diag[15], u'#');
}

TEST(HostFontAndIcons, FallbacksAndLimits) {
  FakeConfigPlatform p;
  HostFont f;
  int32_t size = 0;
  EXPECT_EQ(hostFontOf(p), "(none)");
  EXPECT_FALSE(hostIconSize(p, &size));

  p = fakeHost(u"[AllResolutions]\nFontName=Tahoma\nFontSize=5\nFontWeight=1200\n"
               u"[1920x1080 (8x16)]\nFontSize=4\n");
  // 5, then 4 from the resolution section: both too small; 1200 is out of range.
  EXPECT_EQ(hostFontOf(p), "Tahoma 11 w400");
  p.setFile(kHost, u"[AllResolutions]\nFontSize=5\n"
                   u"[1920x1080 (8x16)]\nFontName=Verdana\nFontSize=9\nFontWeight=700\n");
  EXPECT_EQ(hostFontOf(p), "Verdana 9 w700");
  p.setFile(kHost, u"[AllResolutions]\nFontSize=12\n");
  EXPECT_EQ(hostFontOf(p), "(none)");  // no face anywhere: no font
  p.setFile(kHost, u"[AllResolutions]\nFontName=" + std::u16string(100, u'F') + u"\n");
  ASSERT_TRUE(hostFont(p, &f));
  EXPECT_EQ(textLength(f.face), 63u);

  // Iconsize32: AllResolutions when 8 or more, else the resolution section's.
  const struct { const char16_t* ini; int32_t want; } icons[] = {
      {u"[AllResolutions]\nIconsize32=7\n[1920x1080 (8x16)]\nIconsize32=24\n", 24},
      {u"[AllResolutions]\nIconsize32=32\n[1920x1080 (8x16)]\nIconsize32=24\n", 32},
      {u"[1920x1080 (8x16)]\nIconsize32=6\n", 0}};
  for (const auto& r : icons) {
    p.setFile(kHost, r.ini);
    size = 0;
    EXPECT_EQ(hostIconSize(p, &size), r.want != 0) << textToUtf8(r.ini);
    EXPECT_EQ(size, r.want) << textToUtf8(r.ini);
  }
}

TEST(HostSeparators, LocaleThenCustomSeparators) {
  FakeConfigPlatform p;
  p.thousands = u"\u00A0";
  p.decimal = u",";
  EXPECT_EQ(separatorsOf(p), "\u00A0,");
  p.localeWorks = false;
  EXPECT_EQ(separatorsOf(p), ",.");

  // An empty locale text falls back; three characters change nothing.
  p = fakeHost(u"[Configuration]\nCustomSeparators=ab'\n");
  p.thousands = u"";
  p.decimal = u",";
  EXPECT_EQ(separatorsOf(p), ",,");
  p.setFile(kHost, u"[Configuration]\nCustomSeparators=ab'.xyz\n");
  EXPECT_EQ(separatorsOf(p), "'.");
}

TEST(HostConfiguration, IntegersAndIconLibrary) {
  FakeConfigPlatform p;
  int32_t v = 0;
  char16_t out[2048];
  EXPECT_FALSE(hostConfigInt(p, u"MinLineHeight", &v));
  EXPECT_FALSE(hostIconLibrary(p, out, 2048));

  p = fakeHost(u"[Configuration]\nRedirectSection=1\nAlternateUserIni=u.ini\nMinLineHeight=40\n");
  p.setFile(u"C:\\tc\\u.ini", u"[Configuration]\nMinLineHeight=22\nDirBrackets=-999999\n"
                              u"IconLib=%COMMANDER_PATH%\\icons.dll\n");
  ASSERT_TRUE(hostConfigInt(p, u"MinLineHeight", &v));
  EXPECT_EQ(v, 22);
  EXPECT_FALSE(hostConfigInt(p, u"DirBrackets", &v));
  EXPECT_FALSE(hostConfigInt(p, u"OldListIcons", &v));

  p.setEnv(u"COMMANDER_PATH", u"C:\\tc");
  EXPECT_FALSE(hostIconLibrary(p, out, 2048));  // not there
  p.setFile(u"C:\\tc\\icons.dll", u"");
  ASSERT_TRUE(hostIconLibrary(p, out, 2048));
  EXPECT_EQ(textToUtf8(out), "C:\\tc\\icons.dll");
}
