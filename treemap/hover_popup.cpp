#include "treemap/hover_popup.h"

#include <algorithm>

#include "draw/colors.h"
#include "format/muldiv.h"
#include "format/number_format.h"
#include "format/text.h"

namespace {

constexpr TextFlags kLineFlags = kTextSingleLine | kTextNoPrefix | kTextEndEllipsis;
constexpr size_t kDetailUnits = 160;  // at most 159 characters
constexpr int32_t kFillShift = 35;
constexpr int32_t kBorderShift = -45;

}  // namespace

size_t hoverPopupDetail(const NumberStyle& numbers, const ScanItem& item, bool others,
                        uint64_t total, char16_t* buf, size_t cap) {
  char16_t size[32], percent[32];
  formatSize(numbers, item.size, size, 32, true);
  const double share = total ? static_cast<double>(item.size) / static_cast<double>(total) * 100 : 0.0;
  formatDecimal(numbers, share, 1, percent, 32);
  if (!others && item.isFolder && item.fileCount >= 0) {
    char16_t count[32];
    formatCount(numbers, item.fileCount, count, 32);
    return textFormat(buf, cap, u"%s (%s%%) \u2022 %s %s", size, percent, count,
                      item.fileCount == 1 ? u"File" : u"Files");
  }
  return textFormat(buf, cap, u"%s (%s%%)", size, percent);
}

void paintHoverPopup(Canvas& canvas, const HoverPopupInput& in, Rect bounds) {
  const TreemapLayoutState* layout = in.layout;
  // A hover index left over from an earlier layout with more cells names nothing now.
  if (!layout || !layout->treemapCells || in.hoverCell < 0 ||
      in.hoverCell >= layout->treemapCellCount)
    return;
  const ScanItem* item = layout->treemapCells[in.hoverCell].item;
  if (!item) return;
  const TreemapStyle& s = in.style;
  auto S = [&](int32_t v) { return mulDiv(v, s.dpiScalePercent, 100); };
  const int32_t lineH = S(s.bodyTextHeight);

  char16_t detail[kDetailUnits];
  hoverPopupDetail(s.numbers, *item, item == &layout->othersItem, layout->treemapTotal, detail,
                   kDetailUnits);
  const int32_t textW =
      std::max(canvas.textWidth(item->name, FontRole::Body), canvas.textWidth(detail, FontRole::Body));

  // As wide as the text, but never wider than the panel allows; a panel too
  // narrow for any box gets none rather than an inverted one.
  const int64_t width64 = std::min<int64_t>(int64_t{S(16)} + textW,
                                            int64_t{bounds.right} - (int64_t{S(8)} + bounds.left));
  if (width64 <= 0) return;
  const int32_t width = static_cast<int32_t>(width64);
  const int32_t height = S(10) + 2 * lineH;

  int32_t x = in.hoverX + S(16);
  int32_t y = in.hoverY + S(16);
  if (int64_t{x} + width > int64_t{bounds.right} - S(4)) x = in.hoverX - (S(8) + width);
  if (int64_t{y} + height > int64_t{bounds.bottom} - S(4)) y = in.hoverY - (S(8) + height);
  if (x < bounds.left) x = bounds.left + S(2);
  if (y < bounds.top) y = bounds.top + S(2);

  const uint32_t fill =
      shiftColor(s.backgroundColor, colorIsDark(s.backgroundColor) ? kFillShift : -kFillShift);
  const uint32_t border = shiftColor(fill, kBorderShift);
  canvas.roundRect(Rect{x, y, x + width, y + height}, S(5), fill, border);

  const int32_t textTop = y + S(5);
  canvas.text(Rect{x + S(8), textTop, x + width - S(8), textTop + lineH}, item->name, FontRole::Body,
              s.textColor, kLineFlags);
  canvas.text(Rect{x + S(8), textTop + lineH, x + width - S(8), textTop + 2 * lineH}, detail,
              FontRole::Body, s.metaColor, kLineFlags);
}
