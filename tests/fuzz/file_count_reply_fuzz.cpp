// The file-count answer from any bytes, read twice: through the name index and
// by walking the rows. Both must stay inside the block and agree on every count.
#include <cstdint>
#include <cstdlib>

#include "format/text.h"
#include "scan/everything_codec.h"

namespace {
const char16_t* const kNames[] = {u"a", u"A", u"docs", u"Docs", u"\u00e9t\u00e9", u"x\\y", u"",
                                  u"pics"};
constexpr int kRows = 8;
ScanItem g_rows[2][kRows];  // walked, indexed
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const char16_t* target = (size & 1) ? u"C:\\" : u"c:\\d";
  ChildNameIndex index;
  bool ok[2];
  for (int k = 0; k < 2; ++k) {
    for (int i = 0; i < kRows; ++i) {
      g_rows[k][i] = ScanItem{};
      textCopy(g_rows[k][i].name, kNameUnits, kNames[i]);
      g_rows[k][i].isFolder = i != 7;
      g_rows[k][i].fromEverything = i != 2;
    }
    if (k && !childIndexBuild(&index, g_rows[1], kRows)) abort();
    uint32_t tot, num;
    FileCountTarget t{target, everythingTrimmedLength(target), g_rows[k], kRows,
                      kFileCountMaxResults, k ? &index : nullptr};
    ok[k] = everythingParseFileCounts(data, size, t, &tot, &num);
  }
  childIndexRelease(&index);
  if (ok[0] != ok[1] || ok[0] != (size >= 20)) abort();
  for (int i = 0; i < kRows; ++i)
    if (g_rows[0][i].fileCount != g_rows[1][i].fileCount) abort();
  return 0;
}
