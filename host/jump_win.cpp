#include "host/jump_win.h"

#include "host/jump_payload.h"
#include "win/wide_win.h"

namespace {

constexpr int kPathUnits = 2048;  // a path field: 2047 units and a terminator
// Worst case three UTF-8 bytes per unit (a surrogate pair gives four for two).
constexpr int kUtf8Bytes = 3 * (kPathUnits - 1) + 1;
constexpr size_t kPayloadBytes = kUtf8Bytes + 11;

// The whole jump, prepared before anything is sent.
struct PreparedJump {
  HWND host;
  HWND panel;
  JumpMode mode;
  COPYDATASTRUCT record;
  uint8_t utf8[kUtf8Bytes];
  uint8_t payload[kPayloadBytes];
};

JumpMode modeFor(HWND panel, HWND host, bool samePane) {
  JumpWindows w = {};
  w.sameRequested = samePane;
  w.panelInsideHost = panel && IsChild(host, panel);
  HWND parent = panel ? GetParent(panel) : nullptr;
  w.panelHasParent = parent != nullptr;
  RECT r;
  if (parent && GetWindowRect(parent, &r)) {
    w.parentRectRead = true;
    w.parentRect = {r.left, r.top, r.right, r.bottom};
  }
  if (GetWindowRect(host, &r)) {
    w.hostRectRead = true;
    w.hostRect = {r.left, r.top, r.right, r.bottom};
  }
  return decideJumpMode(w);
}

bool prepare(PreparedJump& j, HWND panel, const char16_t* fullPath, bool samePane) {
  if (!fullPath || !fullPath[0]) return false;
  int units = 0;
  while (units < kPathUnits && fullPath[units]) ++units;
  if (units >= kPathUnits) return false;
  j.host = findHostWindow(panel);
  if (!j.host) return false;
  j.panel = panel;
  j.mode = modeFor(panel, j.host, samePane);
  // WC_ERR_INVALID_CHARS: a lone surrogate fails the conversion instead of
  // becoming U+FFFD, which could be the name of a different, existing item.
  int bytes = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, W(fullPath), units + 1,
                                  reinterpret_cast<char*>(j.utf8), kUtf8Bytes, nullptr, nullptr);
  if (bytes <= 1) return false;
  size_t n = size_t(bytes - 1);  // without the terminator
  size_t size = buildCdPayload(j.mode, j.utf8, n, j.payload, kPayloadBytes);
  if (size == 0) return false;
  j.record.dwData = kCdCommandTag;
  j.record.cbData = DWORD(size);
  j.record.lpData = j.payload;
  return true;
}

}  // namespace

HWND findHostWindow(HWND panel) {
  HWND host = FindWindowW(L"TTOTAL_CMD", nullptr);
  if (host) return host;
  // A destroyed panel has no owner (some platforms echo the stale handle back).
  if (!panel || !IsWindow(panel)) return nullptr;
  HWND owner = GetAncestor(panel, GA_ROOTOWNER);
  return owner && IsWindow(owner) ? owner : nullptr;
}

bool jumpToPane(HWND panel, const char16_t* fullPath, bool samePane) {
  PreparedJump j;  // about 12 KB of stack; a fresh copy per call keeps re-entry safe
  if (!prepare(j, panel, fullPath, samePane)) return false;
  // From here on only the copies in j are used.
  HWND host = j.host;
  WPARAM from = reinterpret_cast<WPARAM>(j.panel);
  LPARAM record = reinterpret_cast<LPARAM>(&j.record);
  if (j.mode == JumpMode::Other) {
    SendMessageW(host, WM_COPYDATA, from, record);
    return true;
  }
  uint32_t focus = focusCommandFor(j.mode);
  SendMessageW(host, kHostCommandMessage, hideCommandFor(j.mode), 0);
  SendMessageW(host, WM_COPYDATA, from, record);
  SendMessageW(host, kHostCommandMessage, focus, 0);
  return true;
}
