#include "scan/scan_progress.h"

#include "format/number_format.h"
#include "format/text.h"

namespace {
// Counters beyond the signed range still show (never as a negative).
int32_t asCount(uint32_t v) { return v > 0x7FFFFFFFu ? 0x7FFFFFFF : static_cast<int32_t>(v); }
}  // namespace

size_t formatDiscoveredLine(char16_t thousands, uint32_t files, uint32_t folders, char16_t* buf,
                            size_t cap) {
  NumberStyle style{thousands, u'.', kSizeDisplayAuto};
  char16_t f[32], d[32];
  formatCount(style, asCount(files), f, 32);
  formatCount(style, asCount(folders), d, 32);
  return textFormat(buf, cap, u"Discovered so far: %s %s, %s %s...", f, files == 1 ? u"file" : u"files", d,
                    folders == 1 ? u"folder" : u"folders");
}

size_t formatScanSummary(char16_t thousands, char16_t decimal, int32_t sizeDisplay, uint64_t totalSize,
                         uint32_t files, uint32_t folders, char16_t* buf, size_t cap) {
  NumberStyle style{thousands, decimal, sizeDisplay};
  char16_t s[64], f[32], d[32];
  formatSize(style, totalSize, s, 64, true);
  formatGroupedU64(style, files, f, 32);
  formatGroupedU64(style, folders, d, 32);
  return textFormat(buf, cap, u"%s  \u2022  %s %s  \u2022  %s %s", s, f, files == 1 ? u"File" : u"Files", d,
                    folders == 1 ? u"Folder" : u"Folders");
}
