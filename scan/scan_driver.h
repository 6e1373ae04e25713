// The scan thread's procedure: lists the target, sizes every child (from the
// search engine's batch answer or by a walk), gathers the largest files, writes
// the two diagnostic lines, sorts, builds the first visible rows and tells the
// window it has finished, in every ending.
#pragma once
#include <cstdint>

#include "scan/scan_model.h"

// The model's host, lister (and optionally search client) must be set; gives 0.
uint32_t scanThreadMain(ScanModel& m);
