// The viewer end to end, as the demo uses it: a separate process that loads the
// plugin, shows a folder and leaves a screenshot; and its refusals.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>

#include "tests/support/plugin_host_win.h"
#include "win/bitmap_capture_win.h"

namespace {

std::string narrowUtf8(const std::wstring& s) {
  std::string out(s.size() * 3 + 1, '\0');
  out.resize(size_t(WideCharToMultiByte(CP_UTF8, 0, s.c_str(), int(s.size()), &out[0], int(out.size()), nullptr, nullptr)));
  return out;
}

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

// The viewer plays the host's main window: a right click on a row sends the
// plugin's jump to it, and it prints what it received.
TEST(Viewer, RightClickOnARowPrintsTheJump) {
  std::wstring folder = makeTempFolder(L"mvview");
  writeFile(folder + L"\\Gr\u00FC\u00DFe.bin", 5000);
  SECURITY_ATTRIBUTES sa = {sizeof(sa), nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  ASSERT_TRUE(CreatePipe(&readEnd, &writeEnd, &sa, 1 << 16));
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  std::wstring cmd = L"\"" + besideProgram(L"morvane-view.exe") + L"\" \"" + folder + L"\" --rclick 0";
  STARTUPINFOW si = {};
  si.cb = sizeof(si);
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = si.hStdError = writeEnd;
  PROCESS_INFORMATION pi = {};
  ASSERT_TRUE(CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi));
  CloseHandle(writeEnd);
  std::string out;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got) out.append(buffer, got);
  EXPECT_EQ(WaitForSingleObject(pi.hProcess, 120000), WAIT_OBJECT_0);
  out.erase(std::remove(out.begin(), out.end(), '\r'), out.end());  // text-mode line ends
  const std::string path = narrowUtf8(folder) + u8"\\Gr\u00FC\u00DFe.bin";
  EXPECT_EQ(out, "morvane-view: CD \"" + path + "\" | \"\" flags \"SA\" (" + std::to_string(path.size() + 11) +
                     " bytes)\n");
  CloseHandle(readEnd);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  removeTree(folder);
}

}  // namespace
