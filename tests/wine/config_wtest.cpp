// The configuration against the real system: wincmd.ini found through real
// environment variables, HKCU values and files; the real profile reader; and
// a panel's brushes and fonts made from the settings file beside a copy of the
// plugin. The rules themselves are proven natively over fakes.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "config/config_win.h"
#include "config/host_config.h"
#include "format/text.h"
#include "plugin/plugin_file_win.h"
#include "tests/support/plugin_host_win.h"
#include "view/panel_record_win.h"
#include "win/wide_win.h"

namespace {

// UTF-16 with a byte-order mark, as the profile reader expects for Unicode.
std::wstring writeText(const std::wstring& path, const std::wstring& text) {
  HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  std::wstring all = L"\xFEFF" + text;
  DWORD done = 0;
  WriteFile(f, all.data(), static_cast<DWORD>(all.size() * 2), &done, nullptr);
  CloseHandle(f);
  return path;
}

// The host's IniFileName value, absent before and after each test: left behind
// it would lead every later panel of this Wine prefix to the test's host file.
struct IniNameValue {
  const wchar_t* key = L"Software\\Vantrel\\Total Commander";
  IniNameValue() { RegDeleteKeyValueW(HKEY_CURRENT_USER, key, L"IniFileName"); }
  ~IniNameValue() { RegDeleteKeyValueW(HKEY_CURRENT_USER, key, L"IniFileName"); }
  void set(const std::wstring& s, DWORD type = REG_SZ) {
    EXPECT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, key, L"IniFileName", type, s.c_str(), DWORD(s.size() * 2 + 2)), 0);
  }
};

// Every test starts with no way to find a host file (the environment is this
// process's own).
struct HostConfigTest : ::testing::Test {
  IniNameValue iniName;
  std::wstring dir = makeTempFolder(L"mvcfg");
  Win32ConfigPlatform platform;

  HostConfigTest() {
    for (const wchar_t* name : {L"COMMANDER_INI", L"APPDATA", L"COMMANDER_PATH", L"MV_PROBE"})
      SetEnvironmentVariableW(name, nullptr);
  }
  ~HostConfigTest() override { removeTree(dir); }
  std::wstring hostFile() {
    char16_t out[2048];
    return findHostFile(platform, out, 2048) ? std::wstring(W(out)) : L"(none)";
  }
  std::wstring mkdirs(const std::wstring& sub) {
    CreateDirectoryW((dir + L"\\" + sub).c_str(), nullptr);
    return dir + L"\\" + sub;
  }
};

}  // namespace

TEST_F(HostConfigTest, FindsTheHostFileInOrder) {
  EXPECT_EQ(hostFile(), L"(none)");
  std::wstring cp = mkdirs(L"cp");
  std::wstring cpFile = writeText(cp + L"\\wincmd.ini", L"");
  SetEnvironmentVariableW(L"COMMANDER_PATH", cp.c_str());
  EXPECT_EQ(hostFile(), cpFile);
  std::wstring ad = mkdirs(L"ad");
  mkdirs(L"ad\\VANTREL");
  SetEnvironmentVariableW(L"APPDATA", ad.c_str());
  std::wstring adFile = writeText(ad + L"\\VANTREL\\wincmd.ini", L"");
  EXPECT_EQ(hostFile(), adFile);
  std::wstring reg = writeText(dir + L"\\reg.ini", L"");
  iniName.set(reg);
  EXPECT_EQ(hostFile(), reg);
  std::wstring env = writeText(dir + L"\\env.ini", L"");
  SetEnvironmentVariableW(L"COMMANDER_INI", env.c_str());
  EXPECT_EQ(hostFile(), env);
  // A missing file, a registry value of another type and an expandable string
  // (taken literally) are passed over.
  SetEnvironmentVariableW(L"COMMANDER_INI", (dir + L"\\missing.ini").c_str());
  iniName.set(L"\1", REG_DWORD);  // four bytes: the DWORD 1
  EXPECT_EQ(hostFile(), adFile);
  iniName.set(L"%MV_NO_SUCH_VAR%\\reg.ini", REG_EXPAND_SZ);
  EXPECT_EQ(hostFile(), adFile);
}

TEST_F(HostConfigTest, EnvironmentValuesAreReadWholeOrNotAtAll) {
  char16_t out[16];
  const struct {
    const wchar_t* value;  // null: not set
    bool read;
  } rows[] = {{nullptr, false}, {L"", true}, {L"0123456789abcdefXYZ", false}, {L"ab", true}};
  for (const auto& r : rows) {
    if (r.value) SetEnvironmentVariableW(L"MV_PROBE", r.value);
    EXPECT_EQ(platform.readEnvironment(u"MV_PROBE", out, 16), r.read) << r.read;
    EXPECT_EQ(std::wstring(W(out)), r.read ? r.value : L"");  // a value too long is refused, never cut
  }
  EXPECT_TRUE(platform.expandEnvironment(u"[%MV_PROBE%]", out, 16));
  EXPECT_EQ(std::wstring(W(out)), L"[ab]");
  EXPECT_FALSE(platform.expandEnvironment(u"%MV_PROBE%%MV_PROBE%%MV_PROBE%%MV_PROBE%%MV_PROBE%", out, 8));
}

// The settings file beside a copy of the plugin, through the real reader: its
// values, and the brushes, fonts and text measures the panel makes from them.
TEST_F(HostConfigTest, SettingsFileBesideThePluginGivesItsValuesBrushesAndFonts) {
  writeText(dir + L"\\Morvane.cfg",
            L"[Display]\r\nThemeMode=Dark\r\nIconSize=20\r\n[ThemeDark]\r\nBackgroundColor=FF0000\r\n"
            L"[Filters]\r\nMaxTopFiles=7\r\n[Everything]\r\nEverything=N\r\n[Typography]\r\nFontName=Tahoma\r\n");
  std::wstring copy = dir + L"\\" + kPluginFileName;
  ASSERT_TRUE(CopyFileW(besideProgram(kPluginFileName).c_str(), copy.c_str(), FALSE));
  LoadedPlugin plugin = loadPlugin(copy.c_str());
  HWND window = createHostWindow(100, 100);
  std::string target = narrow(dir);
  HWND panel = plugin.listLoad ? plugin.listLoad(window, &target[0], 0) : nullptr;
  ASSERT_NE(panel, nullptr);
  const PanelSettings& s = panelRecordOf(panel)->settings;
  const PanelResources& res = panelRecordOf(panel)->res;
  EXPECT_EQ(std::vector<int32_t>({s.isDark, s.iconSize, s.maxTopFiles, s.useEverything}),
            std::vector<int32_t>({1, 20, 7, 0}));
  LOGBRUSH back = {};
  GetObjectW(res.backgroundBrush, sizeof back, &back);
  EXPECT_EQ(back.lbColor, RGB(255, 0, 0));
  LOGFONTW header = {}, italic = {};
  GetObjectW(res.headerFont, sizeof header, &header);
  GetObjectW(res.italicFont, sizeof italic, &italic);
  EXPECT_EQ(std::wstring(header.lfFaceName) + L" " + std::to_wstring(header.lfWeight), L"Tahoma 700");
  EXPECT_TRUE(italic.lfItalic);
  // Measured with the real fonts.
  EXPECT_GT(s.titleWidth, 0);
  EXPECT_EQ(s.searchBoxHeight, s.bodyTextHeight + 8);
  DestroyWindow(window);
  pumpMessages(0);
  FreeLibrary(plugin.module);
}
