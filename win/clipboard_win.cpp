#include "win/clipboard_win.h"

#include <cstring>

bool copyTextToClipboard(HWND owner, const char16_t* text) {
  if (!text) return false;
  size_t units = 0;
  while (text[units]) ++units;
  if (!OpenClipboard(owner)) return false;
  EmptyClipboard();
  bool placed = false;
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (units + 1) * sizeof(char16_t));
  if (memory) {
    void* p = GlobalLock(memory);
    if (p) {
      memcpy(p, text, (units + 1) * sizeof(char16_t));
      GlobalUnlock(memory);
      // On success the clipboard owns the memory; on failure it is still ours.
      placed = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
    }
    if (!placed) GlobalFree(memory);
  }
  CloseClipboard();
  return placed;
}
