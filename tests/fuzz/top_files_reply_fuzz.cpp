// The top-files answer from any bytes: bounded reads and writes, terminated texts.
#include <cstdint>
#include <cstdlib>

#include "format/text.h"
#include "scan/everything_codec.h"

static TopFileEntry g_buffer[64];

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  for (int capacity : {64, 1}) {
    int stored = -1;
    bool ok = everythingParseTopFiles(data, size, g_buffer, capacity, &stored);
    if (ok != (size >= 20) || stored < 0 || stored > capacity) abort();
    for (int i = 0; i < stored; ++i) {
      if (textLengthBounded(g_buffer[i].name, kNameUnits) >= kNameUnits) abort();
      if (textLengthBounded(g_buffer[i].fullPath, kPathUnits) >= kPathUnits) abort();
    }
  }
  return 0;
}
