// What the panel asks of the host layer, which sits above view/ and cannot be
// included here: plugin/ fills this table when the library loads. An empty
// slot (a test without the host layer) makes the gesture do nothing.
#pragma once
#include <windows.h>

struct HostActions {
  // Jump to an item's location in the host's file panels; true when sent.
  // In Same mode the host may destroy the panel window (and free its record)
  // before this returns: check IsWindow(panel) before touching it again.
  bool (*jumpToPane)(HWND panel, const char16_t* fullPath, bool samePane);
  // The modal About box over owner; returns when it has closed. Messages are
  // dispatched meanwhile, so the panel may be gone too when it returns.
  void (*showAboutBox)(HWND owner);
};

void setHostActions(const HostActions& actions);
const HostActions& hostActions();
