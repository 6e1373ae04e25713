// Placeholder: the scan group of the panel record (replaced by the scan engine).
#pragma once
#include "scan/scan_item.h"

struct ScanModel {
  char16_t targetPath[kPathUnits];
};
