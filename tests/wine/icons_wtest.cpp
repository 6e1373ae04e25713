// The icons against the real shell: the stock icons and the plugin's mark,
// programs with and without icons of their own. The rules, and the failure
// line, are proven natively.
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

ScanItem fileItem(const std::wstring& path) {
  ScanItem it = {};
  textCopy(it.name, kNameUnits, U(path.substr(path.rfind(L'\\') + 1).c_str()));
  textCopy(it.fullPath, kPathUnits, U(path.c_str()));
  return it;
}

// The icon drawn at size x size over white, as 32-bit pixels.
std::vector<DWORD> pixelsOf(HANDLE icon, int size) {
  BITMAPINFO bi = {};
  bi.bmiHeader = {sizeof(bi.bmiHeader), size, -size, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bmp = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(dc, bmp);
  RECT all = {0, 0, size, size};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  DrawIconEx(dc, 0, 0, static_cast<HICON>(icon), size, size, 0, nullptr, DI_NORMAL);
  GdiFlush();
  std::vector<DWORD> px(static_cast<DWORD*>(bits), static_cast<DWORD*>(bits) + size * size);
  SelectObject(dc, old);
  DeleteObject(bmp);
  DeleteDC(dc);
  return px;
}

// A panel's icons as the plugin loads them, small or large.
struct PanelIcons {
  IconSet set = {};
  explicit PanelIcons(bool small) {
    // Windows maps .exe to the "exefile" class, whose icon is the file's own;
    // this Wine prefix lacks the mapping, so every program would get the generic icon.
    RegSetKeyValueW(HKEY_CLASSES_ROOT, L".exe", nullptr, REG_SZ, L"exefile", 16);
    PanelSettings s = {};
    s.colorIcons = s.showExeIcons = 1;
    s.useSmallIcons = small;
    s.everythingLabelIconSize = small ? 16 : 32;
    s.everythingOverlayIconSize = small ? 16 : 24;
    static LoadedPlugin plugin = loadPlugin();
    loadStockIcons(set, s, nullptr, plugin.module);
  }
  ~PanelIcons() { releasePanelIcons(set); }
};

}  // namespace

TEST(ShellIcons, StockIconsLoadAtBothSizes) {
  for (bool small : {true, false}) {
    PanelIcons p(small);
    IconSet& set = p.set;
    for (IconHandle h : {set.shellFolderIcon, set.shellFileIcon, set.genericExeIcon,
                         set.everythingLabelIcon, set.everythingOverlayIcon,
                         lookupItemIcon(&set, fileItem(L"C:\\a.txt"))})
      EXPECT_NE(h, nullptr) << small;
  }
}

TEST(ShellIcons, ProgramsShowTheirOwnIconOrTheHostsProgramIcon) {
  PanelIcons p(true);
  // The viewer carries the plugin's mark as its icon; the fake search engine has none.
  std::wstring viewer = besideProgram(L"morvane-view.exe");
  IconHandle own = lookupItemIcon(&p.set, fileItem(viewer));
  ASSERT_NE(own, nullptr);
  HMODULE image = LoadLibraryExW(viewer.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  HANDLE mark = LoadImageW(image, MAKEINTRESOURCEW(MORVANE_MARK_ICON), IMAGE_ICON, 16, 16, 0);
  ASSERT_NE(mark, nullptr);
  EXPECT_EQ(pixelsOf(own, 16), pixelsOf(mark, 16));
  DestroyIcon(static_cast<HICON>(mark));
  FreeLibrary(image);
  // With the host's icons in use, the real icon count sends a program without
  // icons to the host's program icon.
  p.set.hostListIcons = 1;
  p.set.hostExeIcon = CopyIcon(LoadIconW(nullptr, MAKEINTRESOURCEW(32516)));  // IDI_INFORMATION
  ScanItem bare = fileItem(besideProgram(L"fake-everything.exe"));
  EXPECT_EQ(lookupItemIcon(&p.set, bare), p.set.hostExeIcon);
}
