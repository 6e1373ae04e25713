// Colour arithmetic and the geometry behind the gradient bar and glyphs: the
// truncation direction, clamping, NaN and out-of-range fractions. The search
// colours are pinned through the settings, the gradient bands through the
// treemap painter.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "draw/colors.h"

namespace {
constexpr uint32_t rgb(uint32_t r, uint32_t g, uint32_t b) { return r | (g << 8) | (b << 16); }
}  // namespace

TEST(Colors, LuminanceShiftAndBlend) {
  EXPECT_EQ(colorLuminance(rgb(255, 255, 255)), 255000);
  EXPECT_EQ(colorLuminance(rgb(1, 0, 0)), 299);
  EXPECT_EQ(colorLuminance(rgb(0, 0, 1)), 114);  // blue is the high byte
  EXPECT_TRUE(colorIsDark(rgb(42, 42, 42)));
  EXPECT_FALSE(colorIsDark(rgb(128, 128, 128)));  // exactly 128000
  EXPECT_TRUE(colorIsDark(rgb(127, 128, 128)));

  const struct { uint32_t color; int32_t delta; uint32_t want; } shifts[] = {
      {rgb(255, 255, 255), 40, rgb(255, 255, 255)}, {rgb(0, 0, 0), -40, 0},
      {rgb(250, 10, 100), 8, rgb(255, 18, 108)},    {rgb(250, 10, 100), -20, rgb(230, 0, 80)},
      {rgb(1, 2, 3), INT32_MIN, 0},                 {rgb(1, 2, 3), INT32_MAX, rgb(255, 255, 255)}};
  for (const auto& r : shifts) EXPECT_EQ(shiftColor(r.color, r.delta), r.want) << r.delta;

  // Truncation toward zero in both directions.
  EXPECT_EQ(blendColor(rgb(200, 0, 0), rgb(100, 0, 0), 0.55), rgb(145, 0, 0));
  EXPECT_EQ(blendColor(rgb(100, 0, 0), rgb(200, 0, 0), 0.55), rgb(155, 0, 0));
  const uint32_t c = rgb(10, 20, 30), x = rgb(200, 100, 0);
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  for (double t : {0.0, -1.0, nan}) EXPECT_EQ(blendColor(c, x, t), c) << t;
  for (double t : {1.0, 3.0, inf}) EXPECT_EQ(blendColor(c, x, t), x) << t;
}

TEST(Colors, NearestStandardIconSize) {
  const struct { int32_t px, want; } rows[] = {
      {0, 16}, {INT32_MIN, 16}, {20, 16}, {21, 24}, {28, 24}, {40, 32}, {41, 48},
      {INT32_MAX, 48}};  // ties go to the smaller
  for (const auto& r : rows) EXPECT_EQ(nearestStandardIconSize(r.px), r.want) << r.px;
}

TEST(Colors, GradientBarColumnsAndColours) {
  const struct { int32_t width; double fraction; int32_t want; } rows[] = {
      {100, 0.001, 2}, {100, 0.029, 2}, {100, 0.03, 3},  // the 2-pixel minimum
      {100, 0.5, 50}, {100, 1.0, 100}, {100, 0, 0}, {100, -1, 0}, {100, std::nan(""), 0},
      {100, 1e300, 100}, {1, 0.5, 1}, {0, 0.5, 0}, {-10, 0.5, 0}};  // held inside the rectangle
  for (const auto& r : rows)
    EXPECT_EQ(gradientBarColumns(r.width, r.fraction), r.want) << r.width << " " << r.fraction;

  // Each column divides by the full width, so the last never reaches the end colour.
  const uint32_t a = rgb(0, 100, 200), b = rgb(200, 100, 0);
  EXPECT_EQ(gradientColumnColor(a, b, 0, 100), a);
  EXPECT_EQ(gradientColumnColor(a, b, 50, 100), rgb(100, 100, 100));
  EXPECT_EQ(gradientColumnColor(a, b, 99, 100), rgb(198, 100, 2));
  EXPECT_EQ(gradientColumnColor(a, b, 1, 3), rgb(66, 100, 134));  // 66.67 -> 66, 133.33 -> 134
}

TEST(Colors, GlyphInsets) {
  // {x, y, size, x0, y0, s}: m = size div 8, at least 1.
  const struct { int32_t x, y, size, x0, y0, s; } rows[] = {
      {5, 7, 10, 6, 8, 8}, {0, 0, 16, 2, 2, 12}, {0, 0, 15, 1, 1, 13}, {0, 0, 32, 4, 4, 24}};
  for (const auto& r : rows) {
    GlyphBox g = glyphBox(r.x, r.y, r.size);
    EXPECT_EQ(g.x0, r.x0) << r.size;
    EXPECT_EQ(g.y0, r.y0) << r.size;
    EXPECT_EQ(g.s, r.s) << r.size;
  }
}
