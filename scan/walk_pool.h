// The parallel walk: the child folders the search engine did not size, walked
// by the scan thread and up to kMaxScanThreads - 1 walker threads started
// through the scan's host. Each walker takes the next child folder; when a
// walker is idle and none are left, the busy ones hand it the next sub-folder
// they meet, so one huge child is shared out instead of keeping one walker
// busy while the others wait.
#pragma once
#include <cstdint>

#include "scan/scan_model.h"

// How many walkers a scan uses: scanThreads when set (1..kMaxScanThreads),
// otherwise one per processor, at most kDefaultScanThreadsCap.
int32_t resolveWalkerCount(int32_t scanThreads, int32_t processors);

// Walks m.rows[rowIndexes[i]].fullPath for every i at level 1 with `walkers`
// walkers (the calling thread is one of them) and adds, per row, the sizes
// and the files met to size and fileCount; sets accessDenied when the folder
// itself refuses listing with error 5. Counts, offers files and asks for
// repaints as the one-thread walk does. Returns once every walker has stopped
// (all done, or cancelScan at each walker's next entry). False when the pool's
// memory could not be had: cancelScan is then set.
bool walkRowsInParallel(ScanModel& m, const int32_t* rowIndexes, int32_t count, int32_t walkers);
