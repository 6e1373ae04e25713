// Painting of the treemap view over the portable Canvas: every laid-out cell as
// a rounded rectangle in one of four styles, the pop-in when the set of items
// changed, the pulse on the cell the mouse just entered, and a label (name,
// optionally size and icon) in cells big enough for one.
//
// The painter reads only its own input record and the tick count, so every
// frame of both animations is reproducible in a native test. The layout runs
// before it (layoutTreemap); the painter keeps no state.
#pragma once
#include <cstdint>

#include "config/settings.h"  // FancyMapStyle
#include "draw/canvas.h"
#include "format/number_format.h"
#include "scan/scan_item.h"
#include "treemap/treemap_layout.h"

// The icon of an item, or null when none can be had (coloured icons off, the
// shell gave nothing); a null function means no icons at all. The painter
// draws a glyph wherever it gets no icon.
typedef IconHandle (*ItemIconFn)(void* context, const ScanItem& item);

// The settings the treemap and its popup are drawn with (the active theme's
// colours, the Treemap switches, metrics in 96-dpi units).
struct TreemapStyle {
  int32_t fancyMapStyle;     // FancyMapStyle: Flat, Color, Soft, Gradient
  int32_t treeMapLabelSize;  // a second label line with the size
  int32_t treeMapIcons;      // icon or glyph before the name
  int32_t fancyMap;          // hover pulse
  uint32_t treeMapColor;
  uint32_t backgroundColor;
  uint32_t textColor;  // popup first line
  uint32_t metaColor;  // popup second line
  int32_t bodyTextHeight;
  int32_t iconSize;
  int32_t dpiScalePercent;
  NumberStyle numbers;  // size and percentage texts
};

// The style of a panel's settings (the colours in force).
TreemapStyle treemapStyleOf(const PanelSettings& settings);

struct TreemapPaintInput {
  const TreemapLayoutState* layout;  // cells, total and othersItem of the last layout
  TreemapStyle style;
  int32_t hoverCell;  // -1: none
  uint32_t hoverStartTick;
  uint32_t popAnimating;
  uint32_t popStartTick;
  ItemIconFn iconFor;
  void* iconContext;
};

void paintTreemap(Canvas& canvas, const TreemapPaintInput& in, uint32_t now);

// The glyph that stands in for an item's icon: the folder, the program (a last
// extension of ".exe" or ".lnk" in any case) or the document.
GlyphKind itemGlyph(const ScanItem& item);
