#include "host/jump_payload.h"

#include <cstring>

namespace {

const uint8_t kBom[3] = {0xEF, 0xBB, 0xBF};
constexpr uint8_t kCr = 0x0D;

// Horizontal centre with the sum in 64 bits: screen coordinates of windows far
// off-screen must not overflow; the division truncates toward zero.
int64_t centreX(const Rect& r) { return (int64_t(r.left) + int64_t(r.right)) / 2; }

struct Writer {
  uint8_t* out;
  size_t at;
  void bytes(const uint8_t* p, size_t n) {
    if (n) memcpy(out + at, p, n);
    at += n;
  }
  void byte(uint8_t b) { out[at++] = b; }
};

}  // namespace

JumpMode decideJumpMode(const JumpWindows& w) {
  if (!w.sameRequested || !w.panelInsideHost || !w.panelHasParent || !w.parentRectRead ||
      !w.hostRectRead)
    return JumpMode::Other;
  return centreX(w.parentRect) >= centreX(w.hostRect) ? JumpMode::SameRight : JumpMode::SameLeft;
}

uint32_t hideCommandFor(JumpMode mode) {
  return mode == JumpMode::SameRight ? kCmRightHideQuickview
         : mode == JumpMode::SameLeft ? kCmLeftHideQuickview
                                      : 0;
}

uint32_t focusCommandFor(JumpMode mode) {
  return mode == JumpMode::SameRight ? kCmFocusRight : mode == JumpMode::SameLeft ? kCmFocusLeft : 0;
}

size_t cdPayloadSize(JumpMode mode, size_t utf8Length) {
  return utf8Length + (mode == JumpMode::Other ? 11 : 7);
}

size_t buildCdPayload(JumpMode mode, const uint8_t* utf8, size_t utf8Length, uint8_t* out, size_t cap) {
  size_t size = cdPayloadSize(mode, utf8Length);
  if (!out || size < utf8Length || size > cap || (utf8Length && !utf8)) return 0;
  Writer w{out, 0};
  switch (mode) {
    case JumpMode::SameRight:  // left field empty, the path in the right one
      w.byte(kCr);
      w.bytes(kBom, 3);
      w.bytes(utf8, utf8Length);
      break;
    case JumpMode::SameLeft:  // the path in the left field, the right one empty
      w.bytes(kBom, 3);
      w.bytes(utf8, utf8Length);
      w.byte(kCr);
      break;
    case JumpMode::Other:  // the path first; the second field a BOM alone
      w.bytes(kBom, 3);
      w.bytes(utf8, utf8Length);
      w.byte(kCr);
      w.bytes(kBom, 3);
      w.byte(0);
      w.byte('S');
      w.byte('A');
      w.byte(0);
      return w.at;
  }
  w.byte(0);
  w.byte('A');
  w.byte(0);
  return w.at;
}
