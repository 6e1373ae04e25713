// Colour arithmetic shared by the list, the treemap, the search box and the
// theme switch. Colours are COLORREF values (red in the low byte).
#pragma once
#include <cstdint>

// The three channels of a COLORREF, and one made from them (each taken mod 256).
inline int32_t colorRed(uint32_t c) { return c & 0xFF; }
inline int32_t colorGreen(uint32_t c) { return (c >> 8) & 0xFF; }
inline int32_t colorBlue(uint32_t c) { return (c >> 16) & 0xFF; }
inline uint32_t colorFromChannels(int32_t r, int32_t g, int32_t b) {
  return (static_cast<uint32_t>(r) & 0xFF) | ((static_cast<uint32_t>(g) & 0xFF) << 8) |
         ((static_cast<uint32_t>(b) & 0xFF) << 16);
}

constexpr int32_t kDarkLuminance = 128000;  // below this a colour counts as dark

// 299 R + 587 G + 114 B, 0..255000; compared raw, never divided.
int32_t colorLuminance(uint32_t color);
inline bool colorIsDark(uint32_t color) { return colorLuminance(color) < kDarkLuminance; }

// Each channel plus delta, clamped to 0..255.
uint32_t shiftColor(uint32_t color, int32_t delta);

// from + trunc((to - from) * t) per channel; t <= 0 (or NaN) gives from, t > 1 acts as 1.
uint32_t blendColor(uint32_t from, uint32_t to, double t);

// Search box colours from the active background and meta colours (the brush is made by
// the Win32 layer from `back`).
struct SearchColors {
  uint32_t back, border, hint;
};
SearchColors deriveSearchColors(uint32_t backgroundColor, uint32_t metaColor);

// 16, 24, 32 or 48, whichever is nearest to px; ties go to the smaller.
int32_t nearestStandardIconSize(int32_t px);

// The gradient bar's geometry: how many columns of a bar `width` pixels wide
// a fraction paints (0: nothing), and the colour of column x.
int32_t gradientBarColumns(int32_t width, double fraction);
uint32_t gradientColumnColor(uint32_t start, uint32_t end, int32_t x, int32_t width);

// Adjacent columns of one colour are painted by one fill: the band that
// starts at column `from` of an n-column bar ends where the colour changes.
struct GradientBand {
  int32_t from, to;  // columns [from, to)
  uint32_t color;
};
GradientBand gradientBandAt(int32_t from, int32_t n, int32_t width, uint32_t start, uint32_t end);

// The inset square every glyph draws in: m = size div 8 (at least 1), s = size - 2m.
struct GlyphBox {
  int32_t x0, y0, s;
};
GlyphBox glyphBox(int32_t x, int32_t y, int32_t size);
