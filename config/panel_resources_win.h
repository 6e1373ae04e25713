// The fonts and brushes a panel record owns, made from its PanelSettings at
// creation, the brushes remade on a theme switch, all released at teardown.
#pragma once
#include <windows.h>

#include "config/settings.h"

struct PanelResources {
  HFONT headerFont;
  HFONT bodyFont;
  HFONT bodyBoldFont;
  HFONT smallFont;
  HFONT italicFont;
  HBRUSH backgroundBrush;
  HBRUSH searchBackBrush;
};

// The five fonts of the settings' face, sizes and weights at settings.screenDpi.
// A font that cannot be made stays null.
void createPanelFonts(const PanelSettings& settings, PanelResources* res);

// Replaces the background and search brushes with ones of the colours in force.
void refreshPanelBrushes(const PanelSettings& settings, PanelResources* res);

// Deletes every font and brush present and nulls the handles; safe to repeat.
void releasePanelResources(PanelResources* res);
