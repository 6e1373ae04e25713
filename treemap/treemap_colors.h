// The treemap's colour and timing rules: the colour each cell starts from, the
// hover pulse, the gradient and bevel shades, the label colour and the pop-in
// ease. Pure arithmetic, so every frame's colours can be checked by hand.
#pragma once
#include <cstdint>

#include "config/settings.h"  // FancyMapStyle

// Hue rotation of a colour, in degrees, through HSL in doubles; a grey (no
// saturation) stays the same grey whatever the angle.
uint32_t rotateHue(uint32_t color, double degrees);

// The colour cell `index` of `count` starts from, before the pulse: in the
// Color style treeMapColor's hue turned by the cell's entry of an 8-step table;
// in the other styles treeMapColor faded toward the background with the cell's
// place in the order (the first cell unfaded, the last 80 % of the way).
uint32_t treemapBaseColor(int32_t style, uint32_t treeMapColor, uint32_t backgroundColor,
                          int32_t index, int32_t count);

// The hover pulse `elapsed` ms after the cell was entered: up to 28 levels
// lighter on a dark colour (darker on a light one), fading out by 450 ms.
constexpr uint32_t kPulseMs = 450;
uint32_t treemapPulseColor(uint32_t color, uint32_t elapsed);

// Gradient style: the top and bottom shades of a fill colour, the colour of
// row j of a gradient h rows high, and the outline drawn around it.
uint32_t gradientTopColor(uint32_t color);
uint32_t gradientBottomColor(uint32_t color);
uint32_t gradientOutlineColor(uint32_t color);

// Soft style: the bevel's light (top, left) and dark (bottom, right) lines.
uint32_t bevelLightColor(uint32_t color);
uint32_t bevelDarkColor(uint32_t color);

// Label text on a fill: near-white below luminance 140000, near-black above.
uint32_t treemapLabelColor(uint32_t fill);

// Pop-in: cell `index` of `count` starts this many ms after the animation
// (the largest at once, the last at 550 ms), then grows for 280 ms.
constexpr uint32_t kPopGrowMs = 280;
constexpr uint32_t kPopTotalMs = 830;
double popInDelay(int32_t index, int32_t count);
// Scale of a growing cell `t` ms after its own start, 0 <= t < 280: an
// ease-out that overshoots to about 1.10 and settles at 1.
double popInEase(double t);
