// Finding and reading the host's wincmd.ini: registry values of every shape,
// the section redirections, the font and icon fallbacks, separators
// and IconLib. The order of the places is shown under Wine.
#include <gtest/gtest.h>

#include <string>

#include "config/host_config.h"
#include "format/text.h"
#include "tests/support/config_fakes.h"

namespace {
const char16_t* const kHost = kFakeHostFile;

std::string hostFileOf(FakeConfigPlatform& p) {
  char16_t out[2048];
  return findHostFile(p, out, 2048) ? textToUtf8(out) : "(none)";
}
}  // namespace

TEST(HostFile, RegistryValueTypesLengthsAndOverlongPaths) {
  FakeConfigPlatform p;
  p.files = {{u"D:\\a.ini", u""}, {u"%X%\\a.ini", u""}};
  p.env[u"X"] = u"D:";
  FakeRegistryValue unterminated = registryString(u"D:\\a.iniJUNK");
  FakeRegistryValue odd = registryString(u"D:\\a.ini");
  unterminated.data.resize(16);  // ends where the registry says: "D:\a.ini" is 8 units
  odd.data.resize(17);           // an odd byte count keeps only whole units
  odd.data[16] = 'Z';
  const struct { FakeRegistryValue value; const char* want; } rows[] = {
      {registryDword(5), "(none)"},
      {registryString(u"%X%\\a.ini", kRegExpandSz), "%X%\\a.ini"},  // used as it is
      {unterminated, "D:\\a.ini"}, {odd, "D:\\a.ini"},
      {registryString(std::u16string(3000, u'a')), "(none)"}};  // beyond the read: not read
  for (const auto& r : rows) {
    p.registry[u"Software\\Vantrel\\Total Commander|IniFileName"] = r.value;
    EXPECT_EQ(hostFileOf(p), r.want) << &r - rows;
  }
  // The cut form of a candidate exists, the real one cannot fit.
  p = FakeConfigPlatform();
  p.env[u"APPDATA"] = u"C:\\" + std::u16string(2030, u'x');
  p.files[(p.env[u"APPDATA"] + u"\\VANTREL\\wincmd.ini").substr(0, 2047)] = u"";
  EXPECT_EQ(hostFileOf(p), "(none)");
}

TEST(SectionFile, Redirections) {
  FakeConfigPlatform p;
  p.env[u"APPDATA"] = u"C:\\Users\\u";
  auto sectionFile = [&](const char16_t* host, const std::u16string& ini, const char16_t* section) {
    char16_t out[2048];
    p.files[host] = ini;
    resolveSectionFile(p, host, section, out, 2048);
    return textToUtf8(out);
  };
  const std::u16string kAlternate = u"[Configuration]\nRedirectSection=1\nAlternateUserIni=";
  const struct { std::u16string ini; const char16_t* section; const char* want; } rows[] = {
      {kAlternate, u"Configuration", "C:\\tc\\wincmd.ini"},
      {kAlternate + u"alt.ini", u"Configuration", "C:\\tc\\alt.ini"},
      {u"[A]\nRedirectSection=%APPDATA%\\u.ini", u"A", "C:\\Users\\u\\u.ini"},
      {u"[A]\nRedirectSection=0", u"A", "C:\\tc\\wincmd.ini"},
      {u"[A]\nRedirectSection=sub/other.ini", u"A", "sub/other.ini"},
      {u"[A]\nRedirectSection=x.ini", u"Missing", "C:\\tc\\wincmd.ini"}};
  for (const auto& r : rows) EXPECT_EQ(sectionFile(kHost, r.ini, r.section), r.want) << r.want;
  // A bare name with no folder to put it in is used as it is.
  EXPECT_EQ(sectionFile(u"wincmd.ini", u"[A]\nRedirectSection=alt.ini", u"A"), "alt.ini");
}

TEST(HostFontAndIcons, FallbacksAndLimits) {
  // "face size wWeight" or "(none)"; then Iconsize32, or 0.
  const struct { const char16_t* ini; const char* font; int32_t icons; } rows[] = {
      {u"[AllResolutions]\nFontName=Tahoma\nFontSize=5\nFontWeight=1200\n[1920x1080 (8x16)]\n"
       u"FontSize=4\nIconsize32=24",  // both sizes too small, the weight out of range
       "Tahoma 11 w400", 24},
      {u"[AllResolutions]\nFontSize=5\nIconsize32=32\n[1920x1080 (8x16)]\nFontName=Verdana\n"
       u"FontSize=9\nFontWeight=700\nIconsize32=24",
       "Verdana 9 w700", 32},
      {u"[AllResolutions]\nFontSize=12\nIconsize32=7\n[1920x10800]\nIconsize32=24", "(none)", 0},
      {u"[1920x1080 (8x16)]\nIconsize32=6", "(none)", 0}};
  for (const auto& r : rows) {
    FakeConfigPlatform p = fakeHost(r.ini);
    HostFont f;
    int32_t size = 0;
    EXPECT_EQ(hostFont(p, &f) ? textToUtf8(f.face) + " " + std::to_string(f.size) + " w" +
                                    std::to_string(f.weight) : "(none)", r.font);
    EXPECT_EQ(hostIconSize(p, &size), r.icons != 0) << r.font;
    EXPECT_EQ(size, r.icons) << r.font;
  }
  FakeConfigPlatform p = fakeHost(u"[AllResolutions]\nFontName=" + std::u16string(100, u'F'));
  HostFont f;
  ASSERT_TRUE(hostFont(p, &f));
  EXPECT_EQ(textLength(f.face), 63u);
}

TEST(HostSeparators, LocaleThenCustomSeparators) {
  // {locale thousands, decimal (null: no locale), host file, "<thousands><decimal>"}
  const struct { const char16_t *th, *dec, *ini; const char* want; } rows[] = {
      {u"\u00A0", u",", nullptr, "\u00A0,"}, {nullptr, nullptr, nullptr, ",."},
      {u"", u",", u"[Configuration]\nCustomSeparators=ab'", ",,"},  // empty: ","; 3 characters
      {u"", u",", u"[Configuration]\nCustomSeparators=ab'.xyz", "'."}};
  for (const auto& r : rows) {
    FakeConfigPlatform p = r.ini ? fakeHost(r.ini) : FakeConfigPlatform();
    p.localeWorks = r.th != nullptr;
    if (r.th) p.thousands = r.th, p.decimal = r.dec;
    char16_t th[2] = {u'?', u'?'}, dec[2] = {u'?', u'?'};
    readSeparators(p, th, dec);
    const char16_t both[5] = {th[0], dec[0], th[1] ? u'!' : u'\0', dec[1] ? u'!' : u'\0', 0};
    EXPECT_EQ(textToUtf8(both), r.want);
  }
}

// Integers of the Configuration section are shown through the settings that use them.
TEST(HostConfiguration, IconLibraryIsExpandedAndMustExist) {
  FakeConfigPlatform p;
  char16_t out[2048];
  EXPECT_FALSE(hostIconLibrary(p, out, 2048));  // no host file
  p = fakeHost(u"[Configuration]\nRedirectSection=u.ini\n");
  p.files[u"C:\\tc\\u.ini"] = u"[Configuration]\nIconLib=%COMMANDER_PATH%\\i.dll";
  p.env[u"COMMANDER_PATH"] = u"C:\\tc";
  EXPECT_FALSE(hostIconLibrary(p, out, 2048));  // not there
  p.files[u"C:\\tc\\i.dll"] = u"";
  ASSERT_TRUE(hostIconLibrary(p, out, 2048));
  EXPECT_EQ(textToUtf8(out), "C:\\tc\\i.dll");
}
