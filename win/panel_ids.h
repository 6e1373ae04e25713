// The panel window's message, timer and control numbers, defined once: the scan
// thread posts the finished message, the window procedure and the portable
// input rules speak of the timers, and the viewer and the tests listen for them.
// Plain numbers, so portable code may include this too.
#pragma once
#include <cstdint>

constexpr uint32_t WM_SCAN_FINISHED = 0x0400 + 100;  // WM_USER + 100 = 1124, wParam 0, lParam 0

constexpr uint32_t kRefreshTimer = 1001;  // 250 ms: progress while the scan runs
constexpr uint32_t kHoverTimer = 1002;    // 30 ms: the row flash and the treemap pulse
constexpr uint32_t kPopInTimer = 1003;    // 30 ms: the treemap's pop-in

constexpr int kSearchEditId = 2001;
constexpr int kSearchButtonId = 2002;
