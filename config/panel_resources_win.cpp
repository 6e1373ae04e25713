#include "config/panel_resources_win.h"

#include "config/settings_load.h"

namespace {

HFONT makeFont(const PanelSettings& s, int32_t points, int32_t weight, bool italic) {
  return CreateFontW(fontHeightForPoints(points, s.screenDpi), 0, 0, 0, weight, italic ? TRUE : FALSE,
                     FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0,
                     reinterpret_cast<const wchar_t*>(s.fontFace));
}

template <typename H>
void deleteHandle(H& h) {
  if (h) DeleteObject(h);
  h = nullptr;
}

}  // namespace

void createPanelFonts(const PanelSettings& s, PanelResources* res) {
  res->headerFont = makeFont(s, s.headerFontSize, FW_BOLD, false);
  res->bodyFont = makeFont(s, s.bodyFontSize, s.bodyFontWeight, false);
  res->bodyBoldFont = makeFont(s, s.bodyFontSize, FW_BOLD, false);
  res->smallFont = makeFont(s, s.smallFontSize, s.bodyFontWeight, false);
  res->italicFont = makeFont(s, s.bodyFontSize, s.bodyFontWeight, true);
}

void refreshPanelBrushes(const PanelSettings& s, PanelResources* res) {
  deleteHandle(res->backgroundBrush);
  res->backgroundBrush = CreateSolidBrush(s.colors.backgroundColor);
  deleteHandle(res->searchBackBrush);
  res->searchBackBrush = CreateSolidBrush(s.searchBackColor);
}

void releasePanelResources(PanelResources* res) {
  deleteHandle(res->headerFont);
  deleteHandle(res->bodyFont);
  deleteHandle(res->bodyBoldFont);
  deleteHandle(res->smallFont);
  deleteHandle(res->italicFont);
  deleteHandle(res->backgroundBrush);
  deleteHandle(res->searchBackBrush);
}
