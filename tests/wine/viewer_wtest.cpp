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

// Runs the viewer with the given arguments; gives its exit status, or -1, and
// what it printed when asked. Only then does it inherit handles: the first Wine
// program of a session starts background programs that would inherit them too
// and hold ctest's output pipe open. The output is read once the viewer has
// ended, only what is there, for the same reason.
int runViewer(const std::wstring& args, std::string* out = nullptr) {
  std::wstring cmd = L"\"" + besideProgram(L"morvane-view.exe") + L"\" " + args;
  SECURITY_ATTRIBUTES sa = {sizeof(sa), nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &sa, 1 << 16)) return -1;
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW si = {};
  si.cb = sizeof(si);
  si.dwFlags = out ? STARTF_USESTDHANDLES : 0;
  si.hStdOutput = si.hStdError = writeEnd;
  PROCESS_INFORMATION pi = {};
  BOOL started = CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, out != nullptr, 0, nullptr, nullptr, &si, &pi);
  CloseHandle(writeEnd);
  DWORD code = DWORD(-1), got = 0;
  if (started && WaitForSingleObject(pi.hProcess, 120000) == WAIT_OBJECT_0) GetExitCodeProcess(pi.hProcess, &code);
  else if (started) TerminateProcess(pi.hProcess, 99);
  std::string text(1 << 16, '\0');
  if (!PeekNamedPipe(readEnd, nullptr, 0, nullptr, &got, nullptr) ||
      (got && !ReadFile(readEnd, &text[0], got, &got, nullptr)))
    got = 0;
  text.resize(got);
  text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());  // text-mode line ends
  if (out) *out = text;
  CloseHandle(readEnd);
  if (started) CloseHandle(pi.hThread), CloseHandle(pi.hProcess);
  return started ? int(code) : -1;
}

// The host's theme notice reaches the panel: the same folder shot dark and light.
TEST(Viewer, ScreenshotsHaveTheRequestedSizeAPaintedTitleAndTheHostsTheme) {
  std::wstring folder = makeTempFolder(L"mvview");
  writeFile(folder + L"\\one.bin", 5000);
  auto luminance = [](uint32_t p) { return 299 * ((p >> 16) & 255) + 587 * ((p >> 8) & 255) + 114 * (p & 255); };
  for (bool dark : {true, false}) {
    std::wstring png = folder + (dark ? L"\\dark.png" : L"\\light.png");
    ASSERT_EQ(runViewer(L"\"" + folder + L"\" --size 480x320 " + (dark ? L"--dark" : L"--light") +
                        L" --screenshot \"" + png + L"\""), 0);
    CapturedBitmap shot;
    ASSERT_TRUE(readPng(png.c_str(), &shot));
    EXPECT_EQ(shot.width, 480);
    EXPECT_EQ(shot.height, 320);
    uint32_t background = shot.at(2, 2);
    EXPECT_EQ(luminance(background) < 128000, dark);
    int inked = 0;  // the title band holds text pixels of another colour
    for (int y = 8; y < 40; ++y)
      for (int x = 14; x < 200; ++x) inked += shot.at(x, y) != background;
    EXPECT_GT(inked, 50) << dark;
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
  std::string out;
  EXPECT_EQ(runViewer(L"\"" + folder + L"\" --rclick 0", &out), 0);
  const std::string path = narrowUtf8(folder) + u8"\\Gr\u00FC\u00DFe.bin";
  EXPECT_EQ(out, "morvane-view: CD \"" + path + "\" | \"\" flags \"SA\" (" + std::to_string(path.size() + 11) +
                     " bytes)\n");
  removeTree(folder);
}

}  // namespace
