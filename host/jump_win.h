// Jump to an item: asks the host's main window to change a file panel to the
// item's path (the "CD" command), in Same mode closing the quick view on the
// panel's side first and focusing that side after.
#pragma once
#include <windows.h>

// The host's main window: the first top-level window of class "TTOTAL_CMD",
// else the panel's root owner; null when there is neither.
HWND findHostWindow(HWND panel);

// Sends the jump for fullPath (UTF-16, terminated). samePane is the
// JumpToPane=Same setting. Returns true when the messages were sent; false,
// having sent nothing, when there is no host window, the path is empty, longer
// than a path field (2047 units) or holds an unpaired surrogate (it has no
// UTF-8 form, and a substituted character could name another, existing item).
//
// Everything is copied before the first send: fullPath may point into a panel
// record, and in Same mode the host's closing of its quick view destroys the
// panel window and frees that record while this call runs. The caller must not
// touch the record after a true result either, unless the window still exists.
bool jumpToPane(HWND panel, const char16_t* fullPath, bool samePane);
