// The viewer end to end, as the demo uses it: a separate process that loads the
// plugin, shows a folder in the host's theme, right-clicks a row, prints the
// jump the plugin sent its host window and leaves a screenshot.
#include <gtest/gtest.h>
#include <windows.h>

#include "tests/support/plugin_host_win.h"
#include "win/bitmap_capture_win.h"

namespace {

// Runs the viewer with the given arguments; gives its exit status, or -1, and
// what it printed when asked. Only then does it inherit handles: the first Wine
// program of a session starts background programs that would inherit them too
// and hold ctest's output pipe open. The output is read once the viewer has
// ended, only what is there, for the same reason.
int runViewer(const std::wstring& args, std::string* out = nullptr) {
  std::wstring cmd = L"\"" + besideProgram(L"morvane-view.exe") + L"\" " + args;
  SECURITY_ATTRIBUTES sa = {sizeof(sa), nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  STARTUPINFOW si = {};
  si.cb = sizeof(si);
  si.dwFlags = out ? STARTF_USESTDHANDLES : 0;
  PROCESS_INFORMATION pi = {};
  DWORD code = DWORD(-1), got = 0;
  if (!CreatePipe(&readEnd, &writeEnd, &sa, 1 << 16) || !SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0)) return -1;
  si.hStdOutput = si.hStdError = writeEnd;
  if (CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, out != nullptr, 0, nullptr, nullptr, &si, &pi)) {
    if (WaitForSingleObject(pi.hProcess, 120000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 99);
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread), CloseHandle(pi.hProcess);
  }
  std::string text(PeekNamedPipe(readEnd, nullptr, 0, nullptr, &got, nullptr) ? got : 0, '\0');
  if (out && !text.empty()) out->assign(&text[0], ReadFile(readEnd, &text[0], got, &got, nullptr) ? got : 0);
  CloseHandle(readEnd), CloseHandle(writeEnd);
  return int(code);
}

// The host's theme notice reaches the panel: the same folder shot dark and light.
TEST(Viewer, ShowsTheFolderInTheHostsThemePrintsTheJumpOfARightClickAndWritesTheScreenshot) {
  const std::wstring folder = makeTempFolder(L"mvview"), file = folder + L"\\Gr\u00FC\u00DFe.bin";
  EXPECT_EQ(runViewer(L"\"" + folder + L"\\missing\" --screenshot x.png"), 2);  // declined
  writeFile(file, 1 << 20);  // larger than the screenshots beside it: still the first row
  std::string out, path(3 * file.size() + 1, '\0');
  path.resize(size_t(WideCharToMultiByte(CP_UTF8, 0, file.c_str(), -1, &path[0], int(path.size()), nullptr, nullptr) - 1));
  for (bool dark : {true, false}) {
    const std::wstring png = folder + (dark ? L"\\dark.png" : L"\\light.png");
    ASSERT_EQ(runViewer(L"\"" + folder + L"\" --size 480x320 --rclick 0 --screenshot \"" + png + L"\" " +
                        (dark ? L"--dark" : L"--light"), &out), 0);
    EXPECT_EQ(out.substr(0, out.find_first_of("\r\n")),  // the first line, whatever the line ends
              "morvane-view: CD \"" + path + "\" | \"\" flags \"SA\" (" + std::to_string(path.size() + 11) + " bytes)");
    CapturedBitmap shot;
    ASSERT_TRUE(readPng(png.c_str(), &shot));
    EXPECT_TRUE(shot.width == 480 && shot.height == 320) << shot.width << "x" << shot.height;
    const uint32_t back = shot.at(2, 2);
    EXPECT_EQ(299 * ((back >> 16) & 255) + 587 * ((back >> 8) & 255) + 114 * (back & 255) < 128000u, dark);
    int inked = 0;  // the title band holds text pixels of another colour
    for (int y = 8; y < 40; ++y)
      for (int x = 14; x < 200; ++x) inked += shot.at(x, y) != back;
    EXPECT_GT(inked, 50) << dark;
  }
  removeTree(folder);
}

}  // namespace
