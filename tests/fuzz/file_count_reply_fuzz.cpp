// The file-count answer from any bytes, read twice: through the name index and
// by walking the rows. Both must stay inside the block and agree on every count.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "format/text.h"
#include "scan/everything_codec.h"

namespace {
const char16_t* const kNames[] = {u"a",  u"A", u"docs", u"Docs", u"\u00e9t\u00e9",
                                  u"x\\y", u"",  u"pics"};
constexpr int kRows = sizeof(kNames) / sizeof(kNames[0]);
ScanItem g_rows[2][kRows];  // walked, indexed
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const char16_t* target = (size & 1) ? u"C:\\" : u"c:\\d";
  std::memset(g_rows, 0, sizeof g_rows);
  for (auto& rows : g_rows)
    for (int i = 0; i < kRows; ++i) {
      textCopy(rows[i].name, kNameUnits, kNames[i]);
      rows[i].isFolder = i != 7;
      rows[i].fromEverything = i != 2;
    }
  ChildNameIndex index;
  if (!childIndexBuild(&index, g_rows[1], kRows)) abort();
  uint32_t tot, num;
  bool ok[2];
  for (int k = 0; k < 2; ++k) {
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
