// The file-count answer from any bytes, read twice: through the name index and
// by walking the rows. Both must stay inside the block and agree on every count.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "format/text.h"
#include "scan/everything_codec.h"

namespace {
const char16_t* const kNames[] = {u"a", u"A", u"docs", u"Docs", u"\u00e9t\u00e9", u"x\\y", u"", u"pics"};
constexpr int kRows = sizeof(kNames) / sizeof(kNames[0]);
ScanItem g_linear[kRows], g_indexed[kRows];

void resetRows(ScanItem* rows) {
  for (int i = 0; i < kRows; ++i) {
    std::memset(&rows[i], 0, sizeof(ScanItem));
    textCopy(rows[i].name, kNameUnits, kNames[i]);
    rows[i].isFolder = i != 7;
    rows[i].fromEverything = i != 2;
  }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const char16_t* target = (size & 1) ? u"C:\\" : u"c:\\d";
  size_t trimmed = everythingTrimmedLength(target);
  resetRows(g_linear);
  resetRows(g_indexed);
  ChildNameIndex index;
  if (!childIndexBuild(&index, g_indexed, kRows)) abort();
  FileCountTarget linear{target, trimmed, g_linear, kRows, kFileCountMaxResults, nullptr};
  FileCountTarget indexed{target, trimmed, g_indexed, kRows, kFileCountMaxResults, &index};
  uint32_t tot, num;
  bool a = everythingParseFileCounts(data, size, linear, &tot, &num);
  bool b = everythingParseFileCounts(data, size, indexed, &tot, &num);
  childIndexRelease(&index);
  if (a != b || a != (size >= 20)) abort();
  for (int i = 0; i < kRows; ++i)
    if (g_linear[i].fileCount != g_indexed[i].fileCount) abort();
  return 0;
}
