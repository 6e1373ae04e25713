// The treemap's colour and timing rules against values worked out by hand.
#include <gtest/gtest.h>

#include <cmath>

#include "treemap/treemap_colors.h"

namespace {
constexpr uint32_t rgb(uint32_t r, uint32_t g, uint32_t b) { return r | (g << 8) | (b << 16); }
constexpr uint32_t kDarkMap = rgb(62, 146, 166);  // the dark theme's TreeMapColor
}  // namespace

// Each row covers one branch of the conversion: blue, red (with the sector
// wrapped by +6) and green as the largest channel, lightness above and below
// one half, and the wrap of the turned hue past 360.
TEST(TreemapColors, HueRotationMatchesHandComputedColours) {
  const struct { uint32_t color; double degrees; uint32_t want; } rows[] = {
      {kDarkMap, 0.0, kDarkMap},
      {kDarkMap, 137.5, rgb(166, 62, 116)},  // H 191.54 -> 329.04
      {kDarkMap, 275.0, rgb(85, 166, 62)},   // -> 106.54 after the wrap
      {rgb(200, 50, 100), 52.5, rgb(200, 131, 50)},
      {rgb(250, 200, 150), 190.0, rgb(150, 183, 250)},
      {rgb(40, 220, 60), 322.5, rgb(132, 220, 40)},
      {rgb(128, 128, 128), 95.0, rgb(128, 128, 128)},  // grey stays grey
      {rgb(255, 255, 255), 232.5, rgb(255, 255, 255)},
      {kDarkMap, std::nan(""), kDarkMap},  // an angle that is no number turns nothing
  };
  for (const auto& r : rows)
    EXPECT_EQ(rotateHue(r.color, r.degrees), r.want) << std::hex << r.color << " " << r.degrees;
}

TEST(TreemapColors, BaseColourByStyleAndPlace) {
  const uint32_t bg = rgb(42, 42, 42), grey = rgb(128, 128, 128);
  const struct { int32_t style; uint32_t map; int32_t index, count; uint32_t want; } rows[] = {
      {kMapFlat, kDarkMap, 0, 1, kDarkMap},           // one cell: no fade
      {kMapFlat, kDarkMap, 0, 5, kDarkMap},           // the first cell: no fade
      {kMapSoft, kDarkMap, 4, 5, rgb(46, 63, 67)},  // the last: 80 % toward (42, 42, 42)
      {kMapColor, kDarkMap, 1, 5, rgb(166, 62, 116)},   // the table's 137.5 degrees
      {kMapColor, kDarkMap, 9, 12, rgb(166, 62, 116)},  // index modulo 8
      {kMapColor, grey, 3, 9, grey},  // the light theme's grey: one grey for all
  };
  for (const auto& r : rows)
    EXPECT_EQ(treemapBaseColor(r.style, r.map, bg, r.index, r.count), r.want)
        << r.style << " " << r.index << "/" << r.count;
}

TEST(TreemapColors, PulseFadesOutWithinItsTime) {
  const struct { uint32_t color; uint32_t elapsed; uint32_t want; } rows[] = {
      {rgb(40, 40, 40), 0, rgb(68, 68, 68)},      // dark: 28 lighter at entry
      {rgb(40, 40, 40), 225, rgb(47, 47, 47)},    // (1 - 0.5)^2 * 28 = 7
      {rgb(40, 40, 40), 450, rgb(40, 40, 40)},    // over
      {rgb(200, 200, 200), 225, rgb(193, 193, 193)},  // light: darker
      {rgb(250, 250, 10), 0, rgb(222, 222, 0)},  // clamped per channel
  };
  for (const auto& r : rows)
    EXPECT_EQ(treemapPulseColor(r.color, r.elapsed), r.want) << std::hex << r.color << " " << std::dec << r.elapsed;
}

// 140000 is the label's own threshold, above the dark test's 128000.
TEST(TreemapColors, LabelColourThreshold) {
  EXPECT_EQ(treemapLabelColor(rgb(130, 130, 130)), rgb(242, 242, 242));  // 130000
  EXPECT_EQ(treemapLabelColor(rgb(139, 140, 140)), rgb(242, 242, 242));  // 139701
  EXPECT_EQ(treemapLabelColor(rgb(140, 140, 140)), rgb(27, 27, 27));     // exactly 140000
}
