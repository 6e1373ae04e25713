#include "view/panel_view.h"

LayoutMetrics layoutMetricsOf(const PanelSettings& s) {
  LayoutMetrics m{};
  m.dpiScalePercent = s.dpiScalePercent > 0 ? s.dpiScalePercent : 100;
  m.headerTextHeight = s.headerTextHeight;
  m.bodyTextHeight = s.bodyTextHeight;
  m.rowHeight = s.rowHeight;
  m.iconColumnWidth = s.iconColumnWidth;
  m.iconSize = s.iconSize;
  m.searchBoxWidth = s.searchBoxWidth;
  m.searchBoxHeight = s.searchBoxHeight;
  m.titleWidth = s.titleWidth;
  m.showHeaders = s.showHeaders ? 1 : 0;
  m.everythingDebug = s.everythingDebug ? 1 : 0;
  return m;
}

NumberStyle numberStyleOf(const PanelSettings& s) {
  return NumberStyle{s.thousandsSeparator[0], s.decimalSeparator[0], s.sizeDisplay};
}
