// The configuration against the real system: wincmd.ini found through real
// environment variables, HKCU registry values and files in a temporary folder;
// redirections, dark mode, the resolution section, the host font and the
// separators; and whole panels made by a copy of the plugin with its own
// Morvane.cfg, including the host's theme notices.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "config/config_table.h"
#include "config/config_win.h"
#include "config/host_config.h"
#include "format/text.h"
#include "view/panel_record_win.h"
#include "win/wide_win.h"
#include "plugin/plugin_file_win.h"
#include "tests/support/plugin_host_win.h"

namespace {

const wchar_t* const kRegKey = L"Software\\Vantrel\\Total Commander";
const wchar_t* const kThemeKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";

// Writes the file and returns its path.
std::wstring writeText(const std::wstring& path, const std::wstring& text) {
  // UTF-16 with a byte-order mark, as the profile reader expects for Unicode.
  HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  EXPECT_NE(f, INVALID_HANDLE_VALUE) << narrow(path);
  DWORD done = 0;
  const wchar_t bom = 0xFEFF;
  WriteFile(f, &bom, 2, &done, nullptr);
  WriteFile(f, text.data(), static_cast<DWORD>(text.size() * 2), &done, nullptr);
  CloseHandle(f);
  return path;
}

// Puts an environment variable back as it was when the test ends.
struct EnvGuard {
  std::wstring name, old;
  bool had = false;
  explicit EnvGuard(const wchar_t* n) : name(n) {
    wchar_t buf[4096];
    DWORD len = GetEnvironmentVariableW(n, buf, 4096);
    had = len > 0 && len < 4096;
    if (had) old = buf;
    SetEnvironmentVariableW(n, nullptr);
  }
  ~EnvGuard() { SetEnvironmentVariableW(name.c_str(), had ? old.c_str() : nullptr); }
  void set(const std::wstring& v) { SetEnvironmentVariableW(name.c_str(), v.c_str()); }
};

// Puts an HKCU value back as it was (or removes it) when the test ends.
struct RegGuard {
  std::wstring key, value;
  DWORD type = 0;
  BYTE data[8192];
  DWORD size = 0;
  bool had = false;
  RegGuard(const wchar_t* k, const wchar_t* v) : key(k), value(v) {
    size = sizeof data;
    had = RegGetValueW(HKEY_CURRENT_USER, k, v, RRF_RT_ANY | RRF_NOEXPAND, &type, data, &size) ==
          ERROR_SUCCESS;
    remove();
  }
  ~RegGuard() {
    if (had) set(type, data, size);
    else remove();
  }
  void remove() { RegDeleteKeyValueW(HKEY_CURRENT_USER, key.c_str(), value.c_str()); }
  // Creates the key when it is missing.
  void set(DWORD t, const void* bytes, DWORD n) {
    EXPECT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), value.c_str(), t, bytes, n),
              ERROR_SUCCESS);
  }
  void setString(const std::wstring& s, DWORD t = REG_SZ) {
    set(t, s.c_str(), static_cast<DWORD>((s.size() + 1) * 2));
  }
  void setDword(DWORD v) { set(REG_DWORD, &v, 4); }
};

std::vector<HGDIOBJ> handlesOf(const PanelResources& r) {
  return {r.headerFont, r.bodyFont,        r.bodyBoldFont,   r.smallFont,
          r.italicFont, r.backgroundBrush, r.searchBackBrush};
}

LOGFONTW fontOf(HFONT font) {
  LOGFONTW lf = {};
  GetObjectW(font, sizeof lf, &lf);
  return lf;
}

COLORREF brushColor(HBRUSH brush) {
  LOGBRUSH lb = {};
  GetObjectW(brush, sizeof lb, &lb);
  return lb.lbColor;
}

// Every test starts with no way to find a host file and no Windows theme value.
struct HostConfigTest : ::testing::Test {
  EnvGuard commanderIni{L"COMMANDER_INI"}, appData{L"APPDATA"}, commanderPath{L"COMMANDER_PATH"};
  RegGuard iniName{kRegKey, L"IniFileName"};
  RegGuard lightTheme{kThemeKey, L"AppsUseLightTheme"};
  std::wstring dir;
  Win32ConfigPlatform platform;

  void SetUp() override { dir = makeTempFolder(L"mvcfg"); }
  void TearDown() override { removeTree(dir); }

  std::wstring hostFile() {
    char16_t out[2048];
    return findHostFile(platform, out, 2048) ? std::wstring(W(out)) : L"(none)";
  }
  std::wstring darkDiag(ThemeAnswer* answer) {
    char16_t diag[2148];
    *answer = hostDarkMode(platform, diag, 2148);
    return W(diag);
  }
  // wincmd.ini in the test folder, named by COMMANDER_INI, holding `text`.
  std::wstring hostWith(const std::wstring& text) {
    std::wstring host = writeText(dir + L"\\wincmd.ini", text);
    commanderIni.set(host);
    return host;
  }
  std::wstring mkdirs(const std::wstring& sub) {
    std::wstring p = dir + L"\\" + sub;
    CreateDirectoryW(p.c_str(), nullptr);
    return p;
  }
};

}  // namespace

TEST_F(HostConfigTest, FindsTheHostFileInOrder) {
  EXPECT_EQ(hostFile(), L"(none)");
  std::wstring cp = mkdirs(L"cp");
  std::wstring cpFile = writeText(cp + L"\\wincmd.ini", L"");
  commanderPath.set(cp);
  EXPECT_EQ(hostFile(), cpFile);

  std::wstring ad = mkdirs(L"ad");
  mkdirs(L"ad\\VANTREL");
  appData.set(ad);
  std::wstring adFile = writeText(ad + L"\\VANTREL\\wincmd.ini", L"");
  EXPECT_EQ(hostFile(), adFile);

  std::wstring reg = writeText(dir + L"\\reg.ini", L"");
  iniName.setString(reg);
  EXPECT_EQ(hostFile(), reg);
  std::wstring env = writeText(dir + L"\\env.ini", L"");
  commanderIni.set(env);
  EXPECT_EQ(hostFile(), env);

  // A registry value of another type is passed over.
  commanderIni.set(dir + L"\\missing.ini");
  iniName.setDword(1);
  EXPECT_EQ(hostFile(), adFile);
  // An expandable string is taken literally.
  iniName.setString(L"%MV_NO_SUCH_VAR%\\reg.ini", REG_EXPAND_SZ);
  EXPECT_EQ(hostFile(), adFile);
}

TEST_F(HostConfigTest, RedirectedSectionsAndDarkMode) {
  ThemeAnswer a;
  // 1 with an empty AlternateUserIni: the host file itself.
  std::wstring host =
      hostWith(L"[Configuration]\r\nRedirectSection=1\r\nAlternateUserIni=\r\nDarkMode=2\r\n");
  const std::wstring used = L" | COMMANDER_INI=[" + host + L"] | wincmd.ini used=(" + host + L")";
  EXPECT_EQ(darkDiag(&a), L"DarkMode=2" + used);
  EXPECT_EQ(a, ThemeAnswer::Dark);

  // A name through %APPDATA%.
  std::wstring ad = mkdirs(L"ad");
  appData.set(ad);
  writeText(ad + L"\\user.ini", L"[Configuration]\r\nDarkMode=0\r\n");
  writeText(host, L"[Configuration]\r\nRedirectSection=%APPDATA%\\user.ini\r\nDarkMode=2\r\n");
  EXPECT_EQ(darkDiag(&a), L"DarkMode=0" + used + L" | [Configuration] redirected");
  EXPECT_EQ(a, ThemeAnswer::Light);
  char16_t file[2048];
  resolveSectionFile(platform, U(host.c_str()), u"Configuration", file, 2048);
  EXPECT_EQ(std::wstring(W(file)), ad + L"\\user.ini");

  // A bare name beside the host file.
  writeText(host, L"[Configuration]\r\nRedirectSection=bare.ini\r\n");
  resolveSectionFile(platform, U(host.c_str()), u"Configuration", file, 2048);
  EXPECT_EQ(std::wstring(W(file)), dir + L"\\bare.ini");

  // Windows' own answer: only a DWORD decides.
  EXPECT_EQ(windowsAppTheme(platform), ThemeAnswer::Undecided);
  lightTheme.setDword(0);
  EXPECT_EQ(windowsAppTheme(platform), ThemeAnswer::Dark);
  lightTheme.setString(L"0");
  EXPECT_EQ(windowsAppTheme(platform), ThemeAnswer::Undecided);
}

TEST_F(HostConfigTest, ResolutionSectionOfThisScreen) {
  int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
  std::wstring size = std::to_wstring(w) + L"x" + std::to_wstring(h);
  std::wstring host = hostWith(
      L"[AllResolutions]\r\nFontName=Tahoma\r\nFontSize=5\r\n[" + size +
      L"0 (8x16)]\r\nIconsize32=40\r\n[" + size +
      L" (8x16)]\r\nIconsize32=24\r\nFontSize=13\r\nFontWeight=600\r\n[" + std::to_wstring(w + 1) +
      L"x" + std::to_wstring(h) + L"]\r\n");
  char16_t out[256];
  ASSERT_TRUE(resolutionSection(platform, U(host.c_str()), out, 256));
  EXPECT_EQ(std::wstring(W(out)), size + L" (8x16)");
  HWND window = createHostWindow(100, 100);
  platform.window = window;  // the window's monitor
  ASSERT_TRUE(resolutionSection(platform, U(host.c_str()), out, 256));
  EXPECT_EQ(std::wstring(W(out)), size + L" (8x16)");
  DestroyWindow(window);

  int32_t icon = 0;
  ASSERT_TRUE(hostIconSize(platform, &icon));
  EXPECT_EQ(icon, 24);
  HostFont f;
  ASSERT_TRUE(hostFont(platform, &f));
  EXPECT_EQ(std::wstring(W(f.face)), L"Tahoma");
  EXPECT_EQ(f.size, 13);
  EXPECT_EQ(f.weight, 600);
}

TEST_F(HostConfigTest, CustomSeparators) {
  wchar_t localeThousands[8] = L",", localeDecimal[8] = L".";
  if (GetLocaleInfoEx(nullptr, LOCALE_STHOUSAND, localeThousands, 8) <= 0 || !localeThousands[0])
    lstrcpyW(localeThousands, L",");
  if (GetLocaleInfoEx(nullptr, LOCALE_SDECIMAL, localeDecimal, 8) <= 0 || !localeDecimal[0])
    lstrcpyW(localeDecimal, L".");
  char16_t th[2], dec[2];
  readSeparators(platform, th, dec);
  EXPECT_EQ(static_cast<wchar_t>(th[0]), localeThousands[0]);
  EXPECT_EQ(static_cast<wchar_t>(dec[0]), localeDecimal[0]);

  hostWith(L"[Configuration]\r\nCustomSeparators=ab_~rest\r\n");
  readSeparators(platform, th, dec);
  EXPECT_EQ(th[0], u'_');
  EXPECT_EQ(dec[0], u'~');
  EXPECT_EQ(th[1], 0);
}

TEST_F(HostConfigTest, EnvironmentEdges) {
  char16_t out[16];
  EnvGuard probe(L"MV_PROBE");
  EXPECT_FALSE(platform.readEnvironment(u"MV_PROBE", out, 16));
  probe.set(L"");
  EXPECT_TRUE(platform.readEnvironment(u"MV_PROBE", out, 16));
  EXPECT_EQ(out[0], 0);
  probe.set(L"0123456789abcdefXYZ");  // longer than the buffer: not cut, refused
  EXPECT_FALSE(platform.readEnvironment(u"MV_PROBE", out, 16));
  EXPECT_EQ(out[0], 0);
  probe.set(L"ab");
  EXPECT_TRUE(platform.expandEnvironment(u"[%MV_PROBE%]", out, 16));
  EXPECT_EQ(std::wstring(W(out)), L"[ab]");
  EXPECT_FALSE(platform.expandEnvironment(u"%MV_PROBE%%MV_PROBE%%MV_PROBE%%MV_PROBE%%MV_PROBE%", out, 8));

  // IconLib: expanded and existing only.
  probe.set(dir);
  hostWith(L"[Configuration]\r\nIconLib=%MV_PROBE%\\icons.dll\r\n");
  wchar_t lib[2048];
  EXPECT_FALSE(hostIconLibraryPath(lib, 2048));
  writeText(dir + L"\\icons.dll", L"");
  ASSERT_TRUE(hostIconLibraryPath(lib, 2048));
  EXPECT_EQ(std::wstring(lib), dir + L"\\icons.dll");

  HWND window = createHostWindow(10, 10);
  wchar_t exe[2048], self[2048];
  ASSERT_TRUE(hostExecutablePath(window, exe, 2048));
  GetModuleFileNameW(nullptr, self, 2048);
  EXPECT_EQ(lstrcmpiW(exe, self), 0);
  DestroyWindow(window);
}

TEST(PanelResourcesTest, FontsAndBrushesFollowTheSettings) {
  PanelSettings s = {};
  lstrcpyW(W(s.fontFace), L"Tahoma");
  s.screenDpi = 96;
  s.headerFontSize = 14;
  s.bodyFontSize = 11;
  s.smallFontSize = 9;
  s.bodyFontWeight = 400;
  s.colors.backgroundColor = RGB(1, 2, 3);
  s.searchBackColor = RGB(4, 5, 6);
  PanelResources r = {};
  createPanelFonts(s, &r);
  refreshPanelBrushes(s, &r);
  EXPECT_EQ(fontOf(r.headerFont).lfHeight, -19);
  EXPECT_EQ(fontOf(r.headerFont).lfWeight, 700);
  EXPECT_EQ(fontOf(r.smallFont).lfHeight, -12);
  EXPECT_TRUE(fontOf(r.italicFont).lfItalic);
  EXPECT_EQ(fontOf(r.italicFont).lfCharSet, DEFAULT_CHARSET);
  EXPECT_EQ(brushColor(r.searchBackBrush), RGB(4, 5, 6));

  s.colors.backgroundColor = RGB(9, 9, 9);
  refreshPanelBrushes(s, &r);
  EXPECT_EQ(brushColor(r.backgroundBrush), RGB(9, 9, 9));
  releasePanelResources(&r);
  releasePanelResources(&r);  // a second release is harmless
}

// Whole panels from a copy of the plugin in a folder of its own, beside its
// own Morvane.cfg (or none).
struct PluginConfigTest : HostConfigTest {
  LoadedPlugin plugin;
  HWND lister = nullptr;
  std::wstring target;

  void SetUp() override {
    HostConfigTest::SetUp();
    mkdirs(L"plugin");
    target = mkdirs(L"target");
    writeFile(target + L"\\a.bin", 100);
    ASSERT_TRUE(CopyFileW(besideProgram(kPluginFileName).c_str(),
                          (dir + L"\\plugin\\Morvane.wlx").c_str(), FALSE));
    // APPDATA pointing at an empty folder: no host file through it either.
    appData.set(mkdirs(L"emptyappdata"));
    lister = createHostWindow(400, 300);
  }
  void TearDown() override {
    DestroyWindow(lister);
    pumpMessages(0);
    if (plugin.module) FreeLibrary(plugin.module);
    HostConfigTest::TearDown();
  }
  void settingsFile(const std::wstring& text) { writeText(dir + L"\\plugin\\Morvane.cfg", text); }
  HWND open() {
    if (!plugin.module) plugin = loadPlugin((dir + L"\\plugin\\Morvane.wlx").c_str());
    if (!plugin.listLoad) return nullptr;
    std::string ansi = narrow(target);
    return plugin.listLoad(lister, &ansi[0], 0);
  }
};

TEST_F(PluginConfigTest, NoSettingsAndNoHostGiveTheDefaultLine) {
  HWND panel = open();
  ASSERT_NE(panel, nullptr);
  PanelRecord* rec = panelRecordOf(panel);
  ASSERT_NE(rec, nullptr);
  const PanelSettings& s = rec->settings;
  const std::wstring want =
      L"Everything: cfg=Y | Theme: wincmd.ini NOT FOUND | COMMANDER_INI=[(not set)] | Font: "
      L"'Segoe UI' 11pt (fallback default)";
  EXPECT_EQ(std::wstring(W(s.configDiagLine)).substr(0, want.size()), want);
  EXPECT_EQ(s.isDark, 0);
  // Measured with the real fonts.
  EXPECT_GT(s.titleWidth, 0);
  EXPECT_EQ(s.searchBoxHeight, s.bodyTextHeight + 8);
  std::vector<HGDIOBJ> handles = handlesOf(rec->res);
  for (HGDIOBJ h : handles) EXPECT_NE(h, nullptr);
  DestroyWindow(panel);
  for (HGDIOBJ h : handles) EXPECT_EQ(GetObjectType(h), 0u);  // released by teardown
}

TEST_F(PluginConfigTest, SettingsFileBesideThePlugin) {
  // Text, colour, integer and switch keys, each through the system's reader.
  settingsFile(
      L"[Display]\r\nThemeMode=Dark\r\nIconSize=20\r\n[ThemeDark]\r\nBackgroundColor=FF0000\r\n"
      L"[Filters]\r\nMaxTopFiles=7\r\n[Everything]\r\nEverything=N\r\n"
      L"[Typography]\r\nFontName=Tahoma\r\n");
  HWND panel = open();
  ASSERT_NE(panel, nullptr);
  const PanelSettings& s = panelRecordOf(panel)->settings;
  EXPECT_EQ(s.isDark, 1);
  EXPECT_EQ(s.colors.backgroundColor, RGB(255, 0, 0));
  EXPECT_EQ(s.iconSize, 20);
  EXPECT_EQ(s.maxTopFiles, 7);
  EXPECT_EQ(s.useEverything, 0);
  EXPECT_EQ(std::wstring(W(s.fontFace)), L"Tahoma");
  EXPECT_EQ(std::wstring(W(s.configDiagLine)).substr(0, 66),
            L"Everything: cfg=N | Theme: (forced, no wincmd.ini check needed) | ");
  DestroyWindow(panel);
}

TEST_F(PluginConfigTest, HostThemeNoticesMoveOnlyAutoPanels) {
  hostWith(L"[Configuration]\r\nDarkMode=0\r\n");
  settingsFile(L"[Everything]\r\nEverything=N\r\n");
  HWND panel = open();
  ASSERT_NE(panel, nullptr);
  PanelRecord* rec = panelRecordOf(panel);
  ASSERT_EQ(rec->settings.isDark, 0);

  EXPECT_EQ(plugin.listSendCommand(panel, 2, 128), 0);
  EXPECT_EQ(rec->settings.isDark, 1);
  EXPECT_EQ(brushColor(rec->res.backgroundBrush), RGB(42, 42, 42));
  HBRUSH brush = rec->res.backgroundBrush;

  // The same notice again changes nothing, not even the brush.
  EXPECT_EQ(plugin.listSendCommand(panel, 2, 128 | 1), 0);
  EXPECT_EQ(rec->res.backgroundBrush, brush);
  // Other commands are ignored.
  EXPECT_EQ(plugin.listSendCommand(panel, 1, 0), 0);
  EXPECT_EQ(rec->settings.isDark, 1);
  EXPECT_EQ(plugin.listSendCommand(panel, 2, 0), 0);
  EXPECT_EQ(brushColor(rec->res.backgroundBrush), RGB(192, 192, 192));
  DestroyWindow(panel);

  // A fixed theme never follows the host.
  settingsFile(L"[Display]\r\nThemeMode=Light\r\n[Everything]\r\nEverything=N\r\n");
  panel = open();
  ASSERT_NE(panel, nullptr);
  rec = panelRecordOf(panel);
  EXPECT_EQ(plugin.listSendCommand(panel, 2, 128), 0);
  EXPECT_EQ(rec->settings.isDark, 0);
  DestroyWindow(panel);
}

TEST(SettingsPath, BesideTheModule) {
  wchar_t path[2048], exe[2048];
  ASSERT_TRUE(settingsPathBesideModule(nullptr, path, 2048));
  GetModuleFileNameW(nullptr, exe, 2048);
  std::wstring e = exe;
  EXPECT_EQ(std::wstring(path), e.substr(0, e.rfind(L'\\') + 1) + L"Morvane.cfg");
  wchar_t tiny[8];
  EXPECT_FALSE(settingsPathBesideModule(nullptr, tiny, 8));
  EXPECT_EQ(tiny[0], 0);
}
