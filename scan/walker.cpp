#include "scan/walker.h"

#include "format/text.h"
#include "scan/long_path.h"
#include "scan/walk_core.h"

namespace {

void buildPattern(char16_t* pattern, const char16_t* folder) {
  size_t n = textCopy(pattern, kPatternUnits, folder);
  textAppend(pattern, kPatternUnits, n > 0 && folder[n - 1] == u'\\' ? u"*" : u"\\*");
}

}  // namespace

bool reparseTagIsLocal(uint32_t tag) {
  if (tag & kReparseTagNameSurrogate) return false;
  return (tag & kReparseTagCloudMask) == kReparseTagCloud || tag == kReparseTagPlaceholder ||
         tag == kReparseTagDedup;
}

bool entryIsLink(const DirEntry& e) {
  return (e.attributes & kAttrReparsePoint) != 0 && !reparseTagIsLocal(e.reserved[0]);
}

DirListing openFolderListing(DirLister& lister, const char16_t* folderPath, DirEntry* first,
                             uint32_t* error) {
  char16_t longForm[kLongPathUnits];
  char16_t pattern[kPatternUnits];
  uint32_t ignored = 0;
  if (!error) error = &ignored;
  toLongPathForm(folderPath, longForm, kLongPathUnits);
  buildPattern(pattern, longForm);
  DirListing listing = lister.open(pattern, first, error);
  if (listing) return listing;
  buildPattern(pattern, folderPath ? folderPath : u"");
  return lister.open(pattern, first, error);
}

namespace {

// The one-thread walk: counters bumped in place, files offered directly.
struct DirectSink {
  ScanModel& m;
  void folderMet() { bumpCounter(m.foldersCounted); }
  void fileMet(const char16_t* name, const char16_t* folder, size_t folderLength, uint64_t size) {
    bumpCounter(m.filesCounted);
    appendFileRecordIn(m, name, folder, folderLength, size);
  }
  bool handOff(const char16_t*, size_t, int32_t) { return false; }
};

}  // namespace

uint64_t walkFolderSize(ScanModel& m, const char16_t* folderPath, int32_t* fileCounter,
                        int32_t depth, uint32_t* accessDenied) {
  if (!m.lister) return 0;
  DirectSink sink{m};
  return walkcore::walkFolder(m, *m.lister, folderPath, fileCounter, depth, accessDenied, sink);
}
