// Placeholder: the panel's settings (replaced by the configuration work).
#pragma once
#include <cstdint>

struct PanelSettings {
  int32_t dpiScalePercent;
};
