#include "treemap/treemap_paint.h"

#include <algorithm>

#include "draw/colors.h"
#include "format/muldiv.h"
#include "format/text.h"
#include "treemap/treemap_colors.h"

namespace {

constexpr TextFlags kLabelFlags = kTextSingleLine | kTextNoPrefix | kTextEndEllipsis;
constexpr double kSoftening = 0.16;
constexpr double kSizeLineBlend = 0.35;

// The treemap's lengths in pixels at the panel's scale.
struct TreemapMetrics {
  int32_t gap, radius;
  int32_t labelMinW, labelMinH, twoLineReserve;
  int32_t textInset, iconMinW, iconMinH, iconSpacing, rightMargin;
  int32_t lineH, iconPx;
};

TreemapMetrics metricsFor(const TreemapStyle& s) {
  auto S = [&](int32_t v) { return mulDiv(v, s.dpiScalePercent, 100); };
  return TreemapMetrics{S(2),  S(5),  S(40), S(18), S(15),
                        S(6),  S(54), S(26), S(4),  S(4),
                        S(s.bodyTextHeight), S(s.iconSize)};
}

bool endsWithNoCase(const char16_t* name, const char16_t* ext) {
  const size_t n = textLengthBounded(name, kNameUnits - 1);
  const size_t e = textLength(ext);
  return n >= e && textCompareNoCase(name + n - e, ext) == 0;
}

bool isProgramName(const char16_t* name) {
  // Only the last extension counts: "setup.exe.txt" is a document.
  const size_t n = textLengthBounded(name, kNameUnits - 1);
  size_t dot = n;
  while (dot > 0 && name[dot - 1] != u'.') --dot;
  if (dot == 0) return false;
  return endsWithNoCase(name, u".exe") || endsWithNoCase(name, u".lnk");
}

void drawLabel(Canvas& canvas, const TreemapPaintInput& in, const TreemapMetrics& m,
               const ScanItem& item, bool others, Rect inner, uint32_t fill) {
  const TreemapStyle& s = in.style;
  const int32_t innerW = inner.right - inner.left;
  const int32_t innerH = inner.bottom - inner.top;
  if (innerW <= m.labelMinW || innerH <= m.labelMinH) return;

  const uint32_t textColor = treemapLabelColor(fill);
  const bool twoLines = s.treeMapLabelSize && innerH > m.twoLineReserve + 2 * m.lineH;
  const int32_t blockH = twoLines ? 2 * m.lineH : m.lineH;
  int32_t x = inner.left + m.textInset;
  const int32_t y = inner.top + m.textInset;

  if (s.treeMapIcons && !others && innerW > m.iconMinW && innerH > m.iconMinH) {
    const int32_t size = std::min(m.iconPx, blockH);
    const int32_t top = y + (blockH - size) / 2;
    const IconHandle icon = in.iconFor ? in.iconFor(in.iconContext, item) : nullptr;
    if (icon)
      canvas.icon(Rect{x, top, x + size, top + size}, icon);
    else
      canvas.glyph(itemGlyph(item), x, top, size, textColor, fill);
    x += size + m.iconSpacing;
  }

  const int32_t right = inner.right - m.rightMargin;
  canvas.text(Rect{x, y, right, y + m.lineH}, item.name, others ? FontRole::Italic : FontRole::Body,
              textColor, kLabelFlags);
  if (twoLines) {
    char16_t size[32];
    formatSize(s.numbers, item.size, size, 32, true);
    canvas.text(Rect{x, y + m.lineH, right, y + 2 * m.lineH}, size, FontRole::Small,
                blendColor(textColor, fill, kSizeLineBlend), kLabelFlags);
  }
}

// Gradient style: clipped to the rounded cell, one fill per run of rows of
// equal colour, then the outline over the clipped edge.
void drawGradientCell(Canvas& canvas, const TreemapMetrics& m, Rect inner, uint32_t c,
                      uint32_t outline) {
  const int32_t h = inner.bottom - inner.top;
  const uint32_t top = gradientTopColor(c);
  const uint32_t bottom = gradientBottomColor(c);
  canvas.clipRoundRect(inner, m.radius);
  for (int32_t j = 0; j < h;) {
    const GradientBand band = gradientBandAt(j, h, h, top, bottom);
    canvas.fillRect(Rect{inner.left, inner.top + band.from, inner.right, inner.top + band.to},
                    band.color);
    j = band.to;
  }
  canvas.unclip();
  canvas.roundRect(inner, m.radius, kNoColor, outline);
}

void drawBevel(Canvas& canvas, const TreemapMetrics& m, Rect r, uint32_t c) {
  const uint32_t light = bevelLightColor(c);
  const uint32_t dark = bevelDarkColor(c);
  const int32_t k = m.radius;
  canvas.line(r.left + k, r.top, r.right - k, r.top, light);
  canvas.line(r.left, r.top + k, r.left, r.bottom - k, light);
  canvas.line(r.left + k, r.bottom - 1, r.right - k, r.bottom - 1, dark);
  canvas.line(r.right - 1, r.top + k, r.right - 1, r.bottom - k, dark);
}

}  // namespace

TreemapStyle treemapStyleOf(const PanelSettings& s) {
  TreemapStyle t{};
  t.fancyMapStyle = s.fancyMapStyle;
  t.treeMapLabelSize = s.treeMapLabelSize;
  t.treeMapIcons = s.treeMapIcons;
  t.fancyMap = s.fancyMap;
  t.treeMapColor = s.colors.treeMapColor;
  t.backgroundColor = s.colors.backgroundColor;
  t.textColor = s.colors.textColor;
  t.metaColor = s.colors.metaColor;
  t.bodyTextHeight = s.bodyTextHeight;
  t.iconSize = s.iconSize;
  t.dpiScalePercent = s.dpiScalePercent > 0 ? s.dpiScalePercent : 100;
  t.numbers = NumberStyle{s.thousandsSeparator[0], s.decimalSeparator[0], s.sizeDisplay};
  return t;
}

GlyphKind itemGlyph(const ScanItem& item) {
  if (item.isFolder) return GlyphKind::Folder;
  return isProgramName(item.name) ? GlyphKind::Program : GlyphKind::Document;
}

void paintTreemap(Canvas& canvas, const TreemapPaintInput& in, uint32_t now) {
  const TreemapLayoutState* layout = in.layout;
  if (!layout || !layout->treemapCells) return;
  const TreemapStyle& s = in.style;
  const TreemapMetrics m = metricsFor(s);
  const int32_t count = layout->treemapCellCount;
  const uint32_t popElapsed = now - in.popStartTick;

  for (int32_t i = 0; i < count; ++i) {
    const TreemapCell& cell = layout->treemapCells[i];
    if (!cell.item) continue;
    // Cells too small for their gap are skipped before any colour work (the
    // subtraction in 64 bits: a cell of any extent is measured without overflow).
    if (int64_t{cell.right} - cell.left <= 2 * m.gap || int64_t{cell.bottom} - cell.top <= 2 * m.gap)
      continue;
    const Rect inner{cell.left + m.gap, cell.top + m.gap, cell.right - m.gap, cell.bottom - m.gap};
    const bool others = cell.item == &layout->othersItem;

    // Pop-in: the cell appears after its delay and grows about its centre.
    bool growing = false;
    Rect grown{};
    if (in.popAnimating) {
      const double delay = popInDelay(i, count);
      if (delay > popElapsed) continue;
      const double t = popElapsed - delay;
      if (t < kPopGrowMs) {
        const double e = popInEase(t);
        const int32_t hw = static_cast<int32_t>((inner.right - inner.left) * 0.5 * e);
        const int32_t hh = static_cast<int32_t>((inner.bottom - inner.top) * 0.5 * e);
        const int32_t cx = static_cast<int32_t>((int64_t{cell.left} + cell.right) / 2);
        const int32_t cy = static_cast<int32_t>((int64_t{cell.top} + cell.bottom) / 2);
        grown = Rect{cx - hw, cy - hh, cx + hw, cy + hh};
        growing = true;
      }
    }

    uint32_t c = treemapBaseColor(s.fancyMapStyle, s.treeMapColor, s.backgroundColor, i, count);
    if (s.fancyMap && i == in.hoverCell) c = treemapPulseColor(c, now - in.hoverStartTick);

    if (growing) {
      // At the very start a cell has no extent yet; there is nothing to fill.
      if (!rectIsEmpty(grown)) canvas.roundRect(grown, m.radius, c, kNoColor);
      continue;
    }

    switch (s.fancyMapStyle) {
      case kMapGradient:
        drawGradientCell(canvas, m, inner, c, others ? s.treeMapColor : gradientOutlineColor(c));
        break;
      case kMapSoft:
        c = blendColor(c, s.backgroundColor, kSoftening);
        canvas.roundRect(inner, m.radius, c, others ? s.treeMapColor : kNoColor);
        if (!others) drawBevel(canvas, m, inner, c);
        break;
      default:  // Flat and Color differ only in the base colour
        canvas.roundRect(inner, m.radius, c, others ? s.treeMapColor : kNoColor);
        break;
    }
    drawLabel(canvas, in, m, *cell.item, others, inner, c);
  }
}
