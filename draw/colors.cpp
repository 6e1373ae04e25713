#include "draw/colors.h"

#include <cmath>
#include <cstdint>

namespace {
inline int32_t clampChannel(int64_t v) { return v < 0 ? 0 : v > 255 ? 255 : static_cast<int32_t>(v); }
inline int32_t blendChannel(int32_t from, int32_t to, double t) {
  return from + static_cast<int32_t>((to - from) * t);
}
}  // namespace

int32_t colorLuminance(uint32_t c) { return 299 * colorRed(c) + 587 * colorGreen(c) + 114 * colorBlue(c); }

uint32_t shiftColor(uint32_t c, int32_t delta) {
  return colorFromChannels(clampChannel(int64_t{colorRed(c)} + delta), clampChannel(int64_t{colorGreen(c)} + delta),
             clampChannel(int64_t{colorBlue(c)} + delta));
}

uint32_t blendColor(uint32_t from, uint32_t to, double t) {
  if (!(t > 0)) return from;
  if (t > 1.0) t = 1.0;
  return colorFromChannels(blendChannel(colorRed(from), colorRed(to), t), blendChannel(colorGreen(from), colorGreen(to), t),
             blendChannel(colorBlue(from), colorBlue(to), t));
}

SearchColors deriveSearchColors(uint32_t background, uint32_t meta) {
  SearchColors c;
  c.back = shiftColor(background, colorIsDark(background) ? 8 : -8);
  c.border = blendColor(background, meta, 0.45);
  c.hint = blendColor(c.back, meta, 0.6);
  return c;
}

int32_t nearestStandardIconSize(int32_t px) {
  static const int32_t kSizes[] = {16, 24, 32, 48};
  int32_t best = kSizes[0];
  int64_t bestDistance = INT64_MAX;
  for (int32_t size : kSizes) {
    int64_t d = int64_t{px} - size;
    if (d < 0) d = -d;
    if (d < bestDistance) {  // strict: on a tie the smaller, earlier size stays
      bestDistance = d;
      best = size;
    }
  }
  return best;
}

int32_t gradientBarColumns(int32_t width, double fraction) {
  // An empty rectangle has no gradient to speak of (and W would divide by 0);
  // a fraction above 1 would paint past the rectangle, so it is held at 1.
  if (!(fraction > 0) || width <= 0) return 0;
  if (fraction > 1.0) fraction = 1.0;
  int32_t n = static_cast<int32_t>(fraction * width);
  if (n < 3) n = 2;
  if (n > width) n = width;
  return n;
}

uint32_t gradientColumnColor(uint32_t start, uint32_t end, int32_t x, int32_t width) {
  // (end - start) * x first, then / W, so exact steps do not lose a unit.
  auto channel = [&](int32_t a, int32_t b) {
    return a + static_cast<int32_t>(static_cast<double>(b - a) * x / static_cast<double>(width));
  };
  return colorFromChannels(channel(colorRed(start), colorRed(end)), channel(colorGreen(start), colorGreen(end)),
             channel(colorBlue(start), colorBlue(end)));
}

GradientBand gradientBandAt(int32_t from, int32_t n, int32_t width, uint32_t start, uint32_t end) {
  GradientBand band{from, from + 1, gradientColumnColor(start, end, from, width)};
  while (band.to < n && gradientColumnColor(start, end, band.to, width) == band.color) ++band.to;
  return band;
}

GlyphBox glyphBox(int32_t x, int32_t y, int32_t size) {
  int32_t m = size / 8;
  if (m < 2) m = 1;
  return GlyphBox{x + m, y + m, size - 2 * m};
}
