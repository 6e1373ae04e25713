// The directory walker: opens folder listings (long-path form first, plain path
// second) and sizes a folder tree with an explicit stack of open listings, so
// any depth the path limit allows walks without growing the thread's stack.
#pragma once
#include <cstdint>

#include "scan/dir_lister.h"
#include "scan/scan_model.h"

constexpr int kPatternUnits = 2056;
constexpr int kLongestWalkedPath = 2035;  // a longer folder path is not opened
// Each level adds at least a backslash and one character, so the path limit
// allows about a thousand levels; the frame array holds more than that.
constexpr int kWalkFrames = 1100;

// Opens the listing of a folder and fills its first entry; null when both the
// long form and the plain path fail (*error is then the second attempt's).
DirListing openFolderListing(DirLister& lister, const char16_t* folderPath, DirEntry* first,
                             uint32_t* error);

// Sum of the sizes of all files beneath folderPath within the depth and path
// limits. fileCounter (optional) is increased per file met at any depth;
// depth is the folder's level (1 for a child of the target); accessDenied
// (optional) becomes 1 when the folder itself refuses listing with error 5 at
// level 1. Counts folders and files live and offers every file to the file list.
uint64_t walkFolderSize(ScanModel& m, const char16_t* folderPath, int32_t* fileCounter,
                        int32_t depth, uint32_t* accessDenied);
