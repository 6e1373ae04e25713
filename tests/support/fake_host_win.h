// A stand-in for the host's main window: a hidden top-level window (class
// "TTOTAL_CMD" unless told otherwise) that records every host command and
// copy-data record it receives, in order.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <vector>

struct HostMessage {
  UINT msg;                   // WM_USER + 51 or WM_COPYDATA
  WPARAM wParam;              // command number, or the sending window
  ULONG_PTR dwData;           // copy-data tag
  std::vector<uint8_t> data;  // exactly cbData bytes
};

struct FakeHost {
  HWND window = nullptr;
  std::vector<HostMessage> received;
  std::function<void(WPARAM command)> onCommand;  // e.g. a host closing its quick view
};

bool createFakeHost(FakeHost* host, RECT at, const wchar_t* className = L"TTOTAL_CMD");
void destroyFakeHost(FakeHost* host);
