// The "CD" command the host's main window understands: which panel the jump
// goes to (decided from window rectangles) and the exact bytes of the
// copy-data record. Portable, so every byte and every side is table-tested.
#pragma once
#include <cstddef>
#include <cstdint>

#include "draw/canvas.h"

// The host's interface numbers, used as the host defines them.
constexpr uint32_t kHostCommandMessage = 0x0400 + 51;  // WM_USER + 51: wParam = command number
constexpr uint32_t kCmLeftHideQuickview = 107;
constexpr uint32_t kCmRightHideQuickview = 207;
constexpr uint32_t kCmFocusLeft = 4001;
constexpr uint32_t kCmFocusRight = 4002;
constexpr uint32_t kCdCommandTag = 0x4443;  // dwData: "C", "D" read as a little-endian number

enum class JumpMode {
  Other,      // only the CD command; the host picks the panel
  SameLeft,   // close the left quick view, change the left panel, focus it
  SameRight,  // the same on the right
};

// What the Win32 side could learn about the windows, as plain facts.
struct JumpWindows {
  bool sameRequested;    // the JumpToPane=Same setting
  bool panelInsideHost;  // the panel window exists and is a descendant of the host window
  bool panelHasParent;   // the panel has a parent (the lister or quick-view container)
  bool parentRectRead;   // screen rectangle of that parent
  Rect parentRect;
  bool hostRectRead;     // screen rectangle of the host window
  Rect hostRect;
};

// Same mode only when asked for, inside the host's window, with a parent and
// both rectangles; its side is right when the parent's horizontal centre is at
// or right of the host's (equal centres count as right). Otherwise Other.
JumpMode decideJumpMode(const JumpWindows& w);

// The host commands sent around the CD record in Same mode: first the hide
// command, then (after the record) the focus command. Zero for Other mode.
uint32_t hideCommandFor(JumpMode mode);
uint32_t focusCommandFor(JumpMode mode);

// Bytes of the payload for a path of utf8Length UTF-8 bytes: n + 7 in the Same
// modes, n + 11 in Other mode (every byte including the final zero).
size_t cdPayloadSize(JumpMode mode, size_t utf8Length);

// Writes the payload into out:
//   SameRight: CR, BOM, path, 0, "A", 0
//   SameLeft:  BOM, path, CR, 0, "A", 0
//   Other:     BOM, path, CR, BOM, 0, "S", "A", 0
// (BOM = EF BB BF, CR = 0D). Returns the bytes written, or 0 when cap is too
// small: a cut path would name another item, so nothing partial is produced.
size_t buildCdPayload(JumpMode mode, const uint8_t* utf8, size_t utf8Length, uint8_t* out, size_t cap);
