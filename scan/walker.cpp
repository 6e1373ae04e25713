#include "scan/walker.h"

#include "format/text.h"
#include "scan/long_path.h"

namespace {

void buildPattern(char16_t* pattern, const char16_t* folder) {
  size_t n = textCopy(pattern, kPatternUnits, folder);
  textAppend(pattern, kPatternUnits, n > 0 && folder[n - 1] == u'\\' ? u"*" : u"\\*");
}

struct WalkFrame {
  DirListing listing;
  int32_t pathLength;  // length of this frame's folder path in the shared buffer
};

}  // namespace

bool reparseTagIsLocal(uint32_t tag) {
  if (tag & kReparseTagNameSurrogate) return false;
  return (tag & kReparseTagCloudMask) == kReparseTagCloud || tag == kReparseTagPlaceholder ||
         tag == kReparseTagDedup;
}

bool entryIsLink(const DirEntry& e) {
  return (e.attributes & kAttrReparsePoint) != 0 && !reparseTagIsLocal(e.reserved[0]);
}

DirListing openFolderListing(DirLister& lister, const char16_t* folderPath, DirEntry* first) {
  char16_t longForm[kLongPathUnits];
  char16_t pattern[kPatternUnits];
  toLongPathForm(folderPath, longForm, kLongPathUnits);
  buildPattern(pattern, longForm);
  DirListing listing = lister.open(pattern, first);
  if (listing) return listing;
  buildPattern(pattern, folderPath ? folderPath : u"");
  return lister.open(pattern, first);
}

uint64_t walkFolderSize(ScanModel& m, const char16_t* folderPath, int32_t* fileCounter,
                        int32_t depth, uint32_t* accessDenied) {
  if (!m.lister || !folderPath) return 0;
  const int32_t maxDepth = effectiveFolderDepth(m.maxFolderDepth);
  size_t startLength = textLengthBounded(folderPath, kPathUnits);
  if (m.cancelScan.load(std::memory_order_relaxed) || depth > maxDepth ||
      startLength > static_cast<size_t>(kLongestWalkedPath))
    return 0;

  DirLister& lister = *m.lister;
  // One path buffer for the whole walk: every frame's folder path is a prefix
  // of it, and an entry's path is written after that prefix.
  char16_t path[kPathUnits];
  textCopy(path, kPathUnits, folderPath);
  DirEntry entry;
  DirListing first = openFolderListing(lister, path, &entry);
  if (!first) {
    if (accessDenied && depth == 1 && lister.lastError() == kErrorAccessDenied) *accessDenied = 1;
    return 0;
  }

  WalkFrame frames[kWalkFrames];
  int32_t top = 0;
  frames[0] = WalkFrame{first, static_cast<int32_t>(startLength)};
  bool haveEntry = true;  // entry holds the next unread entry of the top frame
  uint64_t sum = 0;

  while (top >= 0) {
    WalkFrame& frame = frames[top];
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
      bumpCounter(m.foldersCounted);
      int32_t level = depth + top + 1;
      size_t n = static_cast<size_t>(frame.pathLength);
      if (n > 0 && path[n - 1] != u'\\' && n + 1 < static_cast<size_t>(kPathUnits)) {
        path[n++] = u'\\';
      }
      path[n] = 0;
      n += textCopy(path + n, kPathUnits - n, entry.name);
      if (level > maxDepth || n > static_cast<size_t>(kLongestWalkedPath) || top + 1 >= kWalkFrames)
        continue;  // counted, adds nothing
      DirListing child = openFolderListing(lister, path, &entry);
      if (!child) continue;  // refusals below the first level are silent
      ++top;
      frames[top] = WalkFrame{child, static_cast<int32_t>(n)};
      haveEntry = true;
    } else {
      bumpCounter(m.filesCounted);
      if (fileCounter) ++*fileCounter;
      uint64_t size = entrySize(entry);
      appendFileRecordIn(m, entry.name, path, static_cast<size_t>(frame.pathLength), size);
      sum += size;
    }
  }
  return sum;
}
