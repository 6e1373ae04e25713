// The folder-size answer from any bytes: no read outside the block, no write
// past the table, every stored name terminated.
#include <cstdint>
#include <cstdlib>

#include "format/text.h"
#include "scan/everything_codec.h"

static FolderSizeEntry g_table[kFolderTableCapacity];

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  for (int capacity : {kFolderTableCapacity, 2}) {
    int stored = -1;
    uint32_t tot, num;
    bool ok = everythingParseFolderSizes(data, size, g_table, capacity, &stored, &tot, &num);
    if (ok != (size >= 20) || stored < 0 || stored > capacity) abort();
    for (int i = 0; i < stored; ++i)
      if (textLengthBounded(g_table[i].name, kNameUnits) >= kNameUnits) abort();
  }
  return 0;
}
