// Placeholder: fonts and brushes owned by the panel record (replaced by the configuration work).
#pragma once
#include <windows.h>

struct PanelResources {
  HFONT headerFont;
  HBRUSH backgroundBrush;
};
