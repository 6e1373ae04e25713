// Colour arithmetic and the geometry behind the gradient bar and glyphs (the
// truncation direction, clamping, NaN and out-of-range inputs), and the
// treemap's colour rules, against values worked out by hand.
#include <gtest/gtest.h>

#include <cmath>
#include <iterator>
#include <utility>

#include "draw/colors.h"
#include "treemap/treemap_colors.h"

namespace {
constexpr uint32_t rgb(uint32_t r, uint32_t g, uint32_t b) { return r | (g << 8) | (b << 16); }
}  // namespace

TEST(Colors, ArithmeticAndGeometryClampAndTruncateTowardZero) {
  const uint32_t c = rgb(10, 20, 30), x = rgb(200, 100, 0), white = rgb(255, 255, 255);
  const uint32_t some = rgb(250, 10, 100), red = rgb(200, 0, 0), dark = rgb(100, 0, 0);
  const std::pair<int64_t, int64_t> rows[] = {
      {colorLuminance(white), 255000}, {colorLuminance(rgb(0, 0, 1)), 114},  // blue: high byte
      {shiftColor(some, 8), rgb(255, 18, 108)}, {shiftColor(some, -20), rgb(230, 0, 80)},
      {shiftColor(rgb(1, 2, 3), INT32_MIN), 0}, {shiftColor(rgb(1, 2, 3), INT32_MAX), white},
      {blendColor(red, dark, 0.55), rgb(145, 0, 0)}, {blendColor(dark, red, 0.55), rgb(155, 0, 0)},
      {blendColor(c, x, std::nan("")), c}, {blendColor(c, x, 3), x},
      // Nearest of 16, 24, 32, 48; a tie goes to the smaller.
      {nearestStandardIconSize(INT32_MIN), 16}, {nearestStandardIconSize(20), 16},
      {nearestStandardIconSize(21), 24}, {nearestStandardIconSize(40), 32},
      {nearestStandardIconSize(41), 48}, {nearestStandardIconSize(INT32_MAX), 48},
      // A bar is at least 2 columns, none for nothing or no number, never past its width.
      {gradientBarColumns(100, 0.001), 2}, {gradientBarColumns(100, 0.029), 2},
      {gradientBarColumns(100, 0.03), 3}, {gradientBarColumns(100, 0), 0},
      {gradientBarColumns(100, std::nan("")), 0}, {gradientBarColumns(100, 1e300), 100},
      {gradientBarColumns(1, 0.5), 1}, {gradientBarColumns(-10, 0.5), 0},
      // Each column divides by the full width: the last never reaches the end colour.
      {gradientColumnColor(rgb(0, 100, 200), x, 99, 100), rgb(198, 100, 2)},
      {gradientColumnColor(rgb(0, 100, 200), x, 1, 3), rgb(66, 100, 134)},  // 66.67, 133.33
      // A glyph's square is inset by size / 8, at least 1.
      {glyphBox(5, 7, 10).x0, 6}, {glyphBox(5, 7, 10).y0, 8}, {glyphBox(5, 7, 10).s, 8},
      {glyphBox(0, 0, 16).x0, 2}, {glyphBox(0, 0, 32).s, 24},
  };
  for (size_t i = 0; i < std::size(rows); ++i) EXPECT_EQ(rows[i].first, rows[i].second) << i;
}

TEST(TreemapColors, EachRuleGivesTheHandComputedColour) {
  const uint32_t map = rgb(62, 146, 166), grey = rgb(128, 128, 128), dim = rgb(40, 40, 40);
  const uint32_t warm = rgb(250, 100, 10), light = rgb(200, 200, 200);
  const std::pair<uint32_t, uint32_t> rows[] = {
      // Hue rotation through each branch of the conversion: blue, red (its sector wrapped
      // by +6) and green the largest channel, lightness above and below one half, the
      // turned hue wrapped past 360 (191.54 + 275); no saturation or no number turns nothing.
      {rotateHue(map, 137.5), rgb(166, 62, 116)}, {rotateHue(map, 275.0), rgb(85, 166, 62)},
      {rotateHue(rgb(200, 50, 100), 52.5), rgb(200, 131, 50)},
      {rotateHue(rgb(250, 200, 150), 190.0), rgb(150, 183, 250)},
      {rotateHue(rgb(40, 220, 60), 322.5), rgb(132, 220, 40)},
      {rotateHue(grey, 95.0), grey}, {rotateHue(map, std::nan("")), map},
      // The Color style turns each cell by its step, modulo 8.
      {treemapBaseColor(kMapColor, map, grey, 9, 12), rgb(166, 62, 116)},
      // The pulse: 28 levels lighter on a dark colour at entry, (1 - t / 450)^2 of that
      // later, none once over; darker on a light colour; clamped per channel.
      {treemapPulseColor(dim, 225), rgb(47, 47, 47)}, {treemapPulseColor(dim, 900), dim},
      {treemapPulseColor(light, 225), rgb(193, 193, 193)},
      {treemapPulseColor(rgb(250, 250, 10), 0), rgb(222, 222, 0)},
      // Gradient and bevel shades, each channel clamped.
      {gradientTopColor(warm), rgb(255, 120, 30)}, {gradientBottomColor(warm), rgb(234, 84, 0)},
      {gradientOutlineColor(warm), rgb(220, 70, 0)}, {bevelLightColor(warm), rgb(255, 140, 50)},
      {bevelDarkColor(warm), rgb(200, 50, 0)},
      // Labels: near-white below luminance 140000 (139701 here), near-black from it on.
      {treemapLabelColor(rgb(139, 140, 140)), rgb(242, 242, 242)},
      {treemapLabelColor(rgb(140, 140, 140)), rgb(27, 27, 27)},
  };
  for (size_t i = 0; i < std::size(rows); ++i) EXPECT_EQ(rows[i].first, rows[i].second) << i;
}
