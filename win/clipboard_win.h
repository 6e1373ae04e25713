// Unicode text onto the clipboard: the About box's web address and the panel's
// copied diagnostic lines.
#pragma once
#include <windows.h>

// Puts text (UTF-16, terminated) on the clipboard as CF_UNICODETEXT, opened for
// owner. Failures are silent to the user; the result says whether the clipboard
// now holds the text. The clipboard is always closed once it was opened.
bool copyTextToClipboard(HWND owner, const char16_t* text);
