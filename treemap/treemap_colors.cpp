#include "treemap/treemap_colors.h"

#include <algorithm>

#include "draw/colors.h"

namespace {

template <typename F>
uint32_t perChannel(uint32_t c, F f) {
  return colorFromChannels(f(colorRed(c)), f(colorGreen(c)), f(colorBlue(c)));
}

// Hue steps of the Color style, one per cell modulo 8: far apart on the wheel
// so that neighbours in the size order never look alike.
constexpr double kHueSteps[8] = {0.0, 137.5, 275.0, 52.5, 190.0, 322.5, 95.0, 232.5};
constexpr double kMaxFade = 0.8;
constexpr double kPulseLevels = 28.0;
constexpr int32_t kLabelDarkLuminance = 140000;

int32_t channelOf(double v) { return static_cast<int32_t>(255.0 * v + 0.5); }

double hslComponent(double p, double q, double t) {
  if (t < 0) t += 1;
  if (t > 1) t -= 1;
  if (t < 1.0 / 6) return p + (q - p) * 6 * t;
  if (t < 1.0 / 2) return q;
  if (t < 2.0 / 3) return p + (q - p) * (2.0 / 3 - t) * 6;
  return p;
}

}  // namespace

uint32_t rotateHue(uint32_t color, double degrees) {
  const double r = colorRed(color) / 255.0, g = colorGreen(color) / 255.0, b = colorBlue(color) / 255.0;
  const double mx = std::max(r, std::max(g, b));
  const double mn = std::min(r, std::min(g, b));
  const double l = (mx + mn) / 2;
  const double d = mx - mn;
  double h = 0, s = 0;
  if (d >= 0.0001) {
    s = l < 0.5 ? d / (mx + mn) : d / (2 - mx - mn);
    double sector;
    if (mx == r) {
      sector = (g - b) / d;
      if (sector < 0) sector += 6;
      if (sector >= 6) sector -= 6;
    } else if (mx == g) {
      sector = (b - r) / d + 2;
    } else {
      sector = (r - g) / d + 4;
    }
    h = sector * 60;
    if (h < 0) h += 360;
  }
  // A non-finite or absurd angle would never leave these loops; it turns nothing.
  if (degrees > -1e9 && degrees < 1e9) h += degrees;
  while (h >= 360) h -= 360;
  while (h < 0) h += 360;
  if (s <= 0.0001) {
    const int32_t v = channelOf(l);
    return colorFromChannels(v, v, v);
  }
  const double q = l < 0.5 ? l * (1 + s) : l + s - l * s;
  const double p = 2 * l - q;
  const double k = h / 360;
  return colorFromChannels(channelOf(hslComponent(p, q, k + 1.0 / 3)), channelOf(hslComponent(p, q, k)),
             channelOf(hslComponent(p, q, k - 1.0 / 3)));
}

uint32_t treemapBaseColor(int32_t style, uint32_t treeMapColor, uint32_t backgroundColor,
                          int32_t index, int32_t count) {
  if (style == kMapColor) return rotateHue(treeMapColor, kHueSteps[((index % 8) + 8) % 8]);
  if (count <= 1) return treeMapColor;
  const double f = static_cast<double>(index) / (count - 1) * kMaxFade;
  return f > 0 ? blendColor(treeMapColor, backgroundColor, f) : treeMapColor;
}

uint32_t treemapPulseColor(uint32_t color, uint32_t elapsed) {
  if (elapsed >= kPulseMs) return color;
  const double f = 1.0 - static_cast<double>(elapsed) / kPulseMs;
  const double sign = colorIsDark(color) ? 1.0 : -1.0;
  return shiftColor(color, static_cast<int32_t>(sign * f * f * kPulseLevels));
}

uint32_t gradientTopColor(uint32_t c) {
  return perChannel(c, [](int32_t v) { return std::min(v, 235) + 20; });
}
uint32_t gradientBottomColor(uint32_t c) {
  return perChannel(c, [](int32_t v) { return std::max(v - 16, 0); });
}
uint32_t gradientOutlineColor(uint32_t c) {
  return perChannel(c, [](int32_t v) { return std::max(v - 30, 0); });
}
uint32_t bevelLightColor(uint32_t c) {
  return perChannel(c, [](int32_t v) { return std::min(v, 215) + 40; });
}
uint32_t bevelDarkColor(uint32_t c) {
  return perChannel(c, [](int32_t v) { return std::max(v - 50, 0); });
}

uint32_t treemapLabelColor(uint32_t fill) {
  return colorLuminance(fill) < kLabelDarkLuminance ? colorFromChannels(242, 242, 242) : colorFromChannels(27, 27, 27);
}

double popInDelay(int32_t index, int32_t count) {
  if (count <= 1) return 0;
  return static_cast<double>(index) / (count - 1) * 550.0;
}

double popInEase(double t) {
  const double p = t / kPopGrowMs - 1;
  return std::max(0.0, 1 + 2.70158 * p * p * p + 1.70158 * p * p);
}
