// The walk itself, shared by the one-thread walk and the walkers of the pool:
// an explicit stack of open listings over one path buffer. What differs
// between the two (how files and folders are counted, where a kept file goes,
// whether a sub-folder may be handed to an idle walker) is the Sink, a
// template parameter so that the one-thread walk pays for none of it.
//
// Sink:
//   void folderMet();
//   void fileMet(const char16_t* name, const char16_t* folder, size_t folderLength, uint64_t size);
//   bool handOff(const char16_t* path, size_t length, int32_t level);  // true: another walker takes it
#pragma once
#include <cstddef>
#include <cstdint>

#include "format/text.h"
#include "scan/walker.h"

namespace walkcore {

struct Frame {
  DirListing listing;
  int32_t pathLength;  // length of this frame's folder path in the shared buffer
};

// Walks the open listing `first` (whose first entry is in `entry`) of the
// folder in path[0, startLength), at level `depth`. Closes every listing it
// opened, also when cancelled; gives the sum of the sizes met.
template <class Sink>
uint64_t walkOpen(ScanModel& m, DirLister& lister, char16_t* path, size_t startLength, DirListing first,
                  DirEntry& entry, int32_t depth, int32_t* fileCounter, Sink& sink) {
  const int32_t maxDepth = effectiveFolderDepth(m.maxFolderDepth);
  Frame frames[kWalkFrames];
  int32_t top = 0;
  frames[0] = Frame{first, static_cast<int32_t>(startLength)};
  bool haveEntry = true;  // entry holds the next unread entry of the top frame
  uint64_t sum = 0;

  while (top >= 0) {
    Frame& frame = frames[top];
    if (!haveEntry && !lister.next(frame.listing, &entry)) {
      lister.close(frame.listing);
      --top;
      continue;
    }
    haveEntry = false;
    if (m.cancelScan.load(std::memory_order_relaxed)) {
      // Unwind every level; the sum so far is the walk's result.
      for (; top >= 0; --top) lister.close(frames[top].listing);
      break;
    }
    if (entryIsDots(entry) || entryIsLink(entry)) continue;

    if (entry.attributes & kAttrDirectory) {
      sink.folderMet();
      int32_t level = depth + top + 1;
      size_t n = static_cast<size_t>(frame.pathLength);
      if (n > 0 && path[n - 1] != u'\\' && n + 1 < static_cast<size_t>(kPathUnits)) path[n++] = u'\\';
      path[n] = 0;
      n += textCopy(path + n, kPathUnits - n, entry.name);
      if (level > maxDepth || n > static_cast<size_t>(kLongestWalkedPath) || top + 1 >= kWalkFrames)
        continue;  // counted, adds nothing
      if (sink.handOff(path, n, level)) continue;
      DirListing child = openFolderListing(lister, path, &entry, nullptr);
      if (!child) continue;  // refusals below the first level are silent
      ++top;
      frames[top] = Frame{child, static_cast<int32_t>(n)};
      haveEntry = true;
    } else {
      if (fileCounter) ++*fileCounter;
      uint64_t size = entrySize(entry);
      sink.fileMet(entry.name, path, static_cast<size_t>(frame.pathLength), size);
      sum += size;
    }
  }
  return sum;
}

// walkFolderSize's steps before the loop: the limits, the listing, the
// refusal report; then the walk.
template <class Sink>
uint64_t walkFolder(ScanModel& m, DirLister& lister, const char16_t* folderPath, int32_t* fileCounter,
                    int32_t depth, uint32_t* accessDenied, Sink& sink) {
  if (!folderPath) return 0;
  size_t startLength = textLengthBounded(folderPath, kPathUnits);
  if (m.cancelScan.load(std::memory_order_relaxed) || depth > effectiveFolderDepth(m.maxFolderDepth) ||
      startLength > static_cast<size_t>(kLongestWalkedPath))
    return 0;
  // One path buffer for the whole walk: every frame's folder path is a prefix
  // of it, and an entry's path is written after that prefix.
  char16_t path[kPathUnits];
  textCopy(path, kPathUnits, folderPath);
  DirEntry entry;
  uint32_t error = 0;
  DirListing first = openFolderListing(lister, path, &entry, &error);
  if (!first) {
    if (accessDenied && depth == 1 && error == kErrorAccessDenied) *accessDenied = 1;
    return 0;
  }
  return walkOpen(m, lister, path, startLength, first, entry, depth, fileCounter, sink);
}

}  // namespace walkcore
