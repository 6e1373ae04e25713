// The About box: a small modal window with the product, the host it belongs
// to, the version, a credit line and a web address (right-click copies it).
#pragma once
#include <windows.h>

#include "host/about_layout.h"

extern const wchar_t kAboutClassName[];  // "TC_Morvane_AboutBox"

// The about window's user data, released with the window.
struct AboutRecord {
  HICON icon;  // null when resource 101 could not be loaded: then not drawn
  HFONT titleFont;
  HFONT bodyFont;
  AboutLayout layout;
  wchar_t linkText[128];
  wchar_t versionText[64];
  wchar_t creditText[64];
  HWND owner;            // enabled again as it was when the box closes
  bool ownerWasEnabled;
};

// Shows the box over owner (the panel's root owner) and returns when it has
// closed: by Escape or Enter pressed anywhere in it, OK, or the close box.
// The owner is disabled for exactly that time. A quit message that ends the
// box's loop is posted again, with its exit code, for the caller's loop.
void showAboutBox(HWND owner);
