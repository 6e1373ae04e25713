// A stand-in for the host's main window in Windows tests: a top-level window
// (class "TTOTAL_CMD" unless told otherwise) that records every host command
// and every copy-data record it receives, in order.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <vector>

struct HostMessage {
  UINT msg;                   // WM_USER + 51 or WM_COPYDATA
  WPARAM wParam;              // command number, or the sending window
  ULONG_PTR dwData;           // copy-data tag
  std::vector<uint8_t> data;  // copy-data bytes, exactly cbData of them
};

struct FakeHost {
  HWND window = nullptr;
  std::vector<HostMessage> received;
  // Runs when a command arrives, before it is recorded: a host closing its
  // quick view destroys the panel there.
  std::function<void(WPARAM command)> onCommand;
};

// Creates the window at the given screen rectangle (hidden). Returns false on failure.
bool createFakeHost(FakeHost* host, RECT at, const wchar_t* className = L"TTOTAL_CMD");
void destroyFakeHost(FakeHost* host);
