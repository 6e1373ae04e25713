// The search box's two child windows: the edit (control 2001) whose procedure
// is replaced to show the cue word and delete words, and the owner-drawn clear
// button (control 2002). Created with the panel, placed on every resize; the
// panel window procedure forwards the parent-side messages here.
#pragma once
#include <windows.h>

#include "view/panel_record_win.h"

// Creates the edit and, when it exists, the button beside it, and replaces the
// edit's procedure. Does nothing when the box is switched off.
void createSearchBox(HWND panel, PanelRecord& rec);
// Places the frame, the edit and the button for the panel's client width.
void placeSearchBox(HWND panel, PanelRecord& rec);

// The edit's replacement procedure.
LRESULT CALLBACK searchEditWndProc(HWND edit, UINT msg, WPARAM wParam, LPARAM lParam);

// Parent side: the edit's colours (the brush to return), and the clear button's "×".
HBRUSH searchEditColors(const PanelRecord& rec, HDC dc);
void drawClearButton(const PanelRecord& rec, const DRAWITEMSTRUCT& item);
// The edit's text, at most 127 characters, terminated.
void readSearchEdit(const PanelRecord& rec, char16_t* text, int units);
