// Colour arithmetic and the geometry behind the gradient bar and glyphs: the
// truncation direction, clamping, NaN and out-of-range fractions.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "config/settings.h"
#include "view/colors.h"

namespace {
constexpr uint32_t rgb(uint32_t r, uint32_t g, uint32_t b) { return r | (g << 8) | (b << 16); }
}  // namespace

TEST(Colors, LuminanceAndTheDarkTest) {
  EXPECT_EQ(colorLuminance(rgb(255, 255, 255)), 255000);
  EXPECT_EQ(colorLuminance(rgb(1, 0, 0)), 299);
  EXPECT_EQ(colorLuminance(rgb(0, 0, 1)), 114);  // blue is the high byte
  EXPECT_TRUE(colorIsDark(rgb(42, 42, 42)));
  EXPECT_FALSE(colorIsDark(rgb(128, 128, 128)));  // exactly 128000
  EXPECT_TRUE(colorIsDark(rgb(127, 128, 128)));
}

TEST(Colors, ShiftClampsEachChannel) {
  EXPECT_EQ(shiftColor(rgb(255, 255, 255), 40), rgb(255, 255, 255));
  EXPECT_EQ(shiftColor(rgb(0, 0, 0), -40), rgb(0, 0, 0));
  EXPECT_EQ(shiftColor(rgb(250, 10, 100), 8), rgb(255, 18, 108));
  EXPECT_EQ(shiftColor(rgb(250, 10, 100), -20), rgb(230, 0, 80));
  EXPECT_EQ(shiftColor(rgb(1, 2, 3), INT32_MIN), 0u);
  EXPECT_EQ(shiftColor(rgb(1, 2, 3), INT32_MAX), rgb(255, 255, 255));
}

TEST(Colors, BlendTruncatesTowardZero) {
  EXPECT_EQ(blendColor(rgb(200, 0, 0), rgb(100, 0, 0), 0.55), rgb(145, 0, 0));
  EXPECT_EQ(blendColor(rgb(100, 0, 0), rgb(200, 0, 0), 0.55), rgb(155, 0, 0));
  const uint32_t c = rgb(10, 20, 30), x = rgb(200, 100, 0);
  EXPECT_EQ(blendColor(c, x, 0), c);
  EXPECT_EQ(blendColor(c, x, -1), c);
  EXPECT_EQ(blendColor(c, x, std::numeric_limits<double>::quiet_NaN()), c);
  EXPECT_EQ(blendColor(c, x, 3), blendColor(c, x, 1));
  EXPECT_EQ(blendColor(c, x, 1), x);
  EXPECT_EQ(blendColor(c, x, std::numeric_limits<double>::infinity()), x);
}

TEST(Colors, DerivedSearchColoursGoTowardTheMiddle) {
  PanelSettings s = {};
  s.backgroundColor = rgb(0, 0, 0);
  s.metaColor = rgb(100, 100, 100);
  deriveSearchColors(&s);
  EXPECT_EQ(s.searchBackColor, rgb(8, 8, 8));  // dark background: lighter
  EXPECT_EQ(s.searchBorderColor, rgb(45, 45, 45));
  EXPECT_EQ(s.searchHintColor, rgb(8 + 55, 8 + 55, 8 + 55));  // 92 * 0.6 = 55.2

  s.backgroundColor = rgb(255, 255, 255);
  deriveSearchColors(&s);
  EXPECT_EQ(s.searchBackColor, rgb(247, 247, 247));  // light background: darker
}

TEST(Colors, NearestStandardIconSize) {
  EXPECT_EQ(nearestStandardIconSize(0), 16);
  EXPECT_EQ(nearestStandardIconSize(-5), 16);
  EXPECT_EQ(nearestStandardIconSize(INT32_MIN), 16);
  EXPECT_EQ(nearestStandardIconSize(20), 16);
  EXPECT_EQ(nearestStandardIconSize(21), 24);
  EXPECT_EQ(nearestStandardIconSize(28), 24);
  EXPECT_EQ(nearestStandardIconSize(40), 32);
  EXPECT_EQ(nearestStandardIconSize(41), 48);
  EXPECT_EQ(nearestStandardIconSize(100), 48);
  EXPECT_EQ(nearestStandardIconSize(INT32_MAX), 48);
}

TEST(Colors, GradientBarColumns) {
  EXPECT_EQ(gradientBarColumns(100, 0.001), 2);  // the 2-pixel minimum
  EXPECT_EQ(gradientBarColumns(100, 0.029), 2);
  EXPECT_EQ(gradientBarColumns(100, 0.03), 3);
  EXPECT_EQ(gradientBarColumns(100, 0.5), 50);
  EXPECT_EQ(gradientBarColumns(100, 1.0), 100);
  EXPECT_EQ(gradientBarColumns(100, 0), 0);
  EXPECT_EQ(gradientBarColumns(100, -1), 0);
  EXPECT_EQ(gradientBarColumns(100, std::nan("")), 0);
  // Out of the expected range: held inside the rectangle.
  EXPECT_EQ(gradientBarColumns(100, 1e300), 100);
  EXPECT_EQ(gradientBarColumns(1, 0.5), 1);
  EXPECT_EQ(gradientBarColumns(0, 0.5), 0);
  EXPECT_EQ(gradientBarColumns(-10, 0.5), 0);
}

TEST(Colors, GradientColumnDividesByTheFullWidth) {
  const uint32_t a = rgb(0, 100, 200), b = rgb(200, 100, 0);
  EXPECT_EQ(gradientColumnColor(a, b, 0, 100), a);
  EXPECT_EQ(gradientColumnColor(a, b, 50, 100), rgb(100, 100, 100));
  EXPECT_EQ(gradientColumnColor(a, b, 99, 100), rgb(198, 100, 2));  // never reaches b
  EXPECT_EQ(gradientColumnColor(a, b, 1, 3), rgb(66, 100, 134));     // 200/3 = 66.67 -> 66, 200-66.67 -> 134
}

TEST(Colors, GlyphInsets) {
  GlyphBox g = glyphBox(5, 7, 10);
  EXPECT_EQ(g.x0, 6);
  EXPECT_EQ(g.y0, 8);
  EXPECT_EQ(g.s, 8);
  g = glyphBox(0, 0, 16);
  EXPECT_EQ(g.x0, 2);
  EXPECT_EQ(g.s, 12);
  g = glyphBox(0, 0, 15);
  EXPECT_EQ(g.x0, 1);  // 15 div 8 = 1
  EXPECT_EQ(g.s, 13);
  g = glyphBox(0, 0, 32);
  EXPECT_EQ(g.s, 24);
}

TEST(Colors, GradientBandsJoinEqualColumns) {
  const uint32_t grey = rgb(80, 80, 80);
  GradientBand b = gradientBandAt(0, 100, 100, grey, grey);
  EXPECT_EQ(b.from, 0);
  EXPECT_EQ(b.to, 100);  // one fill for the whole bar
  EXPECT_EQ(b.color, grey);

  // 0 -> 10 over 100 columns: each value holds for 10 columns.
  const uint32_t a = rgb(0, 0, 0), z = rgb(10, 10, 10);
  int bands = 0, covered = 0;
  for (int x = 0; x < 100;) {
    GradientBand g = gradientBandAt(x, 100, 100, a, z);
    EXPECT_EQ(g.to - g.from, 10);
    EXPECT_EQ(g.color, rgb(bands, bands, bands));
    covered += g.to - g.from;
    x = g.to;
    ++bands;
  }
  EXPECT_EQ(bands, 10);
  EXPECT_EQ(covered, 100);

  // A 2-column bar of a wide gradient stops at its own end.
  b = gradientBandAt(0, 2, 100, a, z);
  EXPECT_EQ(b.to, 2);
}
