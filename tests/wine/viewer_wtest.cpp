// The viewer end to end, as the demo uses it: a separate process that loads the
// plugin, shows a folder and leaves a screenshot; and its refusals.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>

#include "host/jump_win.h"
#include "tests/support/plugin_host_win.h"
#include "win/bitmap_capture_win.h"

namespace {

// Runs the viewer with the given arguments; gives its exit status, or -1.
int runViewer(const std::wstring& args, DWORD timeoutMs = 120000) {
  std::wstring cmd = L"\"" + besideProgram(L"morvane-view.exe") + L"\" " + args;
  STARTUPINFOW si = {};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    return -1;
  DWORD code = DWORD(-1);
  if (WaitForSingleObject(pi.hProcess, timeoutMs) == WAIT_OBJECT_0) GetExitCodeProcess(pi.hProcess, &code);
  else TerminateProcess(pi.hProcess, 99);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return int(code);
}

TEST(Viewer, ScreenshotOfAFolderHasTheRequestedSizeAndAPaintedTitle) {
  std::wstring folder = makeTempFolder(L"mvview");
  writeFile(folder + L"\\one.bin", 5000);
  std::wstring png = folder + L"\\shot.png";
  ASSERT_EQ(runViewer(L"\"" + folder + L"\" --size 480x320 --light --screenshot \"" + png + L"\""), 0);
  CapturedBitmap shot;
  ASSERT_TRUE(readPng(png.c_str(), &shot));
  EXPECT_EQ(shot.width, 480);
  EXPECT_EQ(shot.height, 320);
  // The corner is background; the title band holds text pixels of another colour.
  uint32_t background = shot.at(2, 2);
  int inked = 0;
  for (int y = 8; y < 40; ++y)
    for (int x = 14; x < 200; ++x) inked += shot.at(x, y) != background;
  EXPECT_GT(inked, 50);
  removeTree(folder);
}

// The host's theme notice reaches the panel: the same folder shot dark and light.
TEST(Viewer, DarkAndLightHostThemesPaintDarkAndLightBackgrounds) {
  std::wstring folder = makeTempFolder(L"mvview");
  auto luminance = [](uint32_t p) { return 299 * ((p >> 16) & 255) + 587 * ((p >> 8) & 255) + 114 * (p & 255); };
  for (bool dark : {true, false}) {
    std::wstring png = folder + (dark ? L"\\dark.png" : L"\\light.png");
    ASSERT_EQ(runViewer(L"\"" + folder + L"\" --size 200x120 " + (dark ? L"--dark" : L"--light") +
                        L" --screenshot \"" + png + L"\""), 0);
    CapturedBitmap shot;
    ASSERT_TRUE(readPng(png.c_str(), &shot));
    if (dark) EXPECT_LT(luminance(shot.at(199, 119)), 128000);
    else EXPECT_GE(luminance(shot.at(199, 119)), 128000);
  }
  removeTree(folder);
}

TEST(Viewer, DeclinedFolderAndBadOptionsGiveTheirExitStatus) {
  std::wstring folder = makeTempFolder(L"mvview");
  EXPECT_EQ(runViewer(L"\"" + folder + L"\\missing\" --screenshot x.png"), 2);
  EXPECT_EQ(runViewer(L"--size 0x0"), 1);
  EXPECT_EQ(runViewer(L"--bogus"), 1);
  removeTree(folder);
}

// The viewer plays the host's main window: the jumps it receives (here sent to
// it by this program, as the plugin inside it would) are printed and titled.
TEST(Viewer, ReportsEveryJumpItReceives) {
  std::wstring folder = makeTempFolder(L"mvview");
  SECURITY_ATTRIBUTES sa = {sizeof(sa), nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  ASSERT_TRUE(CreatePipe(&readEnd, &writeEnd, &sa, 1 << 16));
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  std::wstring cmd = L"\"" + besideProgram(L"morvane-view.exe") + L"\" \"" + folder + L"\"";
  STARTUPINFOW si = {};
  si.cb = sizeof(si);
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = writeEnd;
  si.hStdError = writeEnd;
  PROCESS_INFORMATION pi = {};
  ASSERT_TRUE(CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi));
  CloseHandle(writeEnd);
  HWND host = nullptr, panel = nullptr;
  for (int i = 0; i < 600 && !panel; ++i) {  // until the viewer's window and panel exist
    host = FindWindowW(L"TTOTAL_CMD", nullptr);
    panel = host ? GetWindow(host, GW_CHILD) : nullptr;
    if (!panel) Sleep(100);
  }
  ASSERT_NE(panel, nullptr);
  // The panel fills the frame: centres equal, so Same mode takes the right side.
  EXPECT_TRUE(jumpToPane(panel, u"C:\\Gr\u00FC\u00DFe\\a.txt", true));
  EXPECT_TRUE(jumpToPane(panel, u"C:\\b", false));
  wchar_t title[512] = {};
  GetWindowTextW(host, title, 512);
  EXPECT_EQ(std::wstring(title), L"Morvane viewer - jump to \"C:\\b\" [CD SA]");
  PostMessageW(host, WM_CLOSE, 0, 0);
  EXPECT_EQ(WaitForSingleObject(pi.hProcess, 60000), WAIT_OBJECT_0);
  std::string out;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got) out.append(buffer, got);
  out.erase(std::remove(out.begin(), out.end(), '\r'), out.end());  // text-mode line ends
  EXPECT_EQ(out,
            "morvane-view: host command 207 (close the right quick view)\n"
            u8"morvane-view: CD \"\" | \"C:\\Gr\u00FC\u00DFe\\a.txt\" flags \"A\" (23 bytes)\n"
            "morvane-view: host command 4002 (focus the right panel)\n"
            "morvane-view: CD \"C:\\b\" | \"\" flags \"SA\" (15 bytes)\n");
  CloseHandle(readEnd);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  removeTree(folder);
}

}  // namespace
