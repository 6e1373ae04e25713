// The icons against the real shell: the plugin's own icon resources, the stock
// icons, programs with and without icons of their own, the failure line's
// error codes, and the temporary program file.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "format/text.h"
#include "icons/icon_resource_ids.h"
#include "icons/icons_win.h"
#include "tests/support/plugin_host_win.h"
#include "win/wide_win.h"

namespace {

ScanItem fileItem(const std::wstring& name, const std::wstring& path) {
  ScanItem it = {};
  textCopy(it.name, kNameUnits, U(name.c_str()));
  textCopy(it.fullPath, kPathUnits, U(path.c_str()));
  return it;
}

struct IconsTest : ::testing::Test {
  static LoadedPlugin plugin;
  IconSet set = {};
  static void SetUpTestSuite() {
    plugin = loadPlugin();
    // Windows maps .exe to the "exefile" class, whose icon is the file's own;
    // this Wine prefix lacks the mapping, so the shell would answer every
    // program with its generic icon.
    const wchar_t cls[] = L"exefile";
    RegSetKeyValueW(HKEY_CLASSES_ROOT, L".exe", nullptr, REG_SZ, cls, sizeof(cls));
  }
  void load(bool small, bool hostIcons = false) {
    PanelSettings s = {};
    s.colorIcons = 1;
    s.showExeIcons = 1;
    s.hostListIcons = hostIcons;
    s.useSmallIcons = small;
    s.everythingLabelIconSize = small ? 16 : 32;
    s.everythingOverlayIconSize = small ? 16 : 24;
    loadStockIcons(set, s, nullptr, plugin.module);
  }
  void TearDown() override { releasePanelIcons(set); }
};
LoadedPlugin IconsTest::plugin;

// The sizes and colour depths of an icon group resource of the module.
std::vector<std::pair<int, int>> groupSizes(HMODULE module, int id) {
  std::vector<std::pair<int, int>> sizes;
  HRSRC res = FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(14));  // RT_GROUP_ICON
  if (!res) return sizes;
  auto dir = static_cast<const BYTE*>(LockResource(LoadResource(module, res)));
  int count = dir[4] | (dir[5] << 8);
  for (int i = 0; i < count; ++i) {
    const BYTE* e = dir + 6 + 14 * i;  // width, height, colours, reserved, planes, bit count, ...
    sizes.push_back({e[0] ? e[0] : 256, e[6] | (e[7] << 8)});
  }
  return sizes;
}

// The icon drawn at size x size over white, as 32-bit pixels.
std::vector<DWORD> pixelsOf(HICON icon, int size) {
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
  bi.bmiHeader.biWidth = size;
  bi.bmiHeader.biHeight = -size;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bmp = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(dc, bmp);
  RECT all = {0, 0, size, size};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  DrawIconEx(dc, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
  GdiFlush();
  std::vector<DWORD> px(static_cast<DWORD*>(bits), static_cast<DWORD*>(bits) + size * size);
  SelectObject(dc, old);
  DeleteObject(bmp);
  DeleteDC(dc);
  return px;
}

}  // namespace

TEST_F(IconsTest, PluginIconResourcesHaveExactlyTheirSizes) {
  ASSERT_NE(plugin.module, nullptr);
  typedef std::vector<std::pair<int, int>> Sizes;
  EXPECT_EQ(groupSizes(plugin.module, MORVANE_MARK_ICON), (Sizes{{16, 32}, {32, 32}, {48, 32}, {64, 32}}));
  EXPECT_EQ(groupSizes(plugin.module, MORVANE_EVERYTHING_ICON),
            (Sizes{{16, 32}, {24, 32}, {32, 32}, {48, 32}}));
  // The magnifier's corners are transparent: over white they stay white.
  load(false);
  ASSERT_NE(set.everythingLabelIcon, nullptr);
  std::vector<DWORD> px = pixelsOf(static_cast<HICON>(set.everythingLabelIcon), 32);
  EXPECT_EQ(px[0] & 0xFFFFFF, 0xFFFFFFu);
  EXPECT_NE(px[13 * 32 + 3] & 0xFFFFFF, 0xFFFFFFu);  // the lens ring on its left side
}

// The rule behind the caches is proven natively; here the real shell answers.
TEST_F(IconsTest, StockIconsAndAnExtensionsIconLoadAtBothSizes) {
  for (bool small : {true, false}) {
    load(small);
    for (IconHandle h : {set.shellFolderIcon, set.shellFileIcon, set.genericExeIcon, set.everythingLabelIcon,
                         set.everythingOverlayIcon, lookupItemIcon(&set, fileItem(L"a.txt", L"C:\\a.txt"))})
      EXPECT_NE(h, nullptr) << small;
    releasePanelIcons(set);
  }
}

TEST_F(IconsTest, ProgramsShowTheirOwnIconOrTheHostsProgramIcon) {
  load(true);
  // The viewer carries the plugin's mark as its icon; the fake search engine has none.
  std::wstring viewer = besideProgram(L"morvane-view.exe");
  std::wstring bare = besideProgram(L"fake-everything.exe");
  IconHandle own = lookupItemIcon(&set, fileItem(L"morvane-view.exe", viewer));
  ASSERT_NE(own, nullptr);
  HMODULE viewerImage = LoadLibraryExW(viewer.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(viewerImage, nullptr);
  HICON mark = static_cast<HICON>(
      LoadImageW(viewerImage, MAKEINTRESOURCEW(MORVANE_MARK_ICON), IMAGE_ICON, 16, 16, 0));
  ASSERT_NE(mark, nullptr);
  EXPECT_EQ(pixelsOf(static_cast<HICON>(own), 16), pixelsOf(mark, 16));
  DestroyIcon(mark);
  FreeLibrary(viewerImage);

  // With the host's icons in use, the real icon count sends a program without
  // icons to the host's program icon.
  set.hostListIcons = 1;
  set.hostExeIcon = CopyIcon(LoadIconW(nullptr, MAKEINTRESOURCEW(32516)));  // IDI_INFORMATION
  EXPECT_EQ(lookupItemIcon(&set, fileItem(L"fake-everything.exe", bare)), set.hostExeIcon);
}

// The line's format is proven natively; here the real system's error codes fill it.
TEST_F(IconsTest, AProgramThatCannotBeHadLeavesItsFailLine) {
  load(true);
  const wchar_t* path = L"C:\\no such folder\\missing.exe";
  EXPECT_EQ(lookupItemIcon(&set, fileItem(L"missing.exe", path)), set.genericExeIcon);
  std::wstring line = W(set.exeIconFailLine);
  EXPECT_EQ(line.find(L"EXEICON FAIL path=[C:\\no such folder\\missing.exe] len=29 attrOk=N err=3 small="), 0u)
      << textToUtf8(set.exeIconFailLine);
  EXPECT_EQ(line.find(L"shortErr=0"), std::wstring::npos);
}

TEST(GenericProgramIcon, TheTemporaryFileIsGoneAfterTheCall) {
  wchar_t folder[MAX_PATH];
  GetTempPathW(MAX_PATH, folder);
  std::wstring file = std::wstring(folder) + L"mvgenexe_" + std::to_wstring(GetCurrentProcessId()) + L".exe";
  HICON icon = makeGenericProgramIcon(true);
  EXPECT_NE(icon, nullptr);
  EXPECT_EQ(GetFileAttributesW(file.c_str()), INVALID_FILE_ATTRIBUTES);
  DestroyIcon(icon);
}
