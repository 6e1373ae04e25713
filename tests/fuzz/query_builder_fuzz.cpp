// Search texts and query blocks for any target path: texts fit their buffers
// (path length + the table's extra units), blocks are exactly 30 + 2n bytes.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "format/text.h"
#include "scan/everything_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  int maxTopFiles;
  std::memcpy(&maxTopFiles, data, 4);
  size_t units = (size - 4) / 2;
  if (units >= kPathUnits) units = kPathUnits - 1;
  char16_t* path = static_cast<char16_t*>(std::malloc((units + 1) * 2));
  std::memcpy(path, data + 4, units * 2);
  path[units] = 0;
  size_t n = textLength(path);
  for (int q = 0; q < 3; ++q) {
    EverythingQuery kind = static_cast<EverythingQuery>(q);
    size_t cap = n + everythingQueryShape(kind).textExtraUnits;
    char16_t* text = static_cast<char16_t*>(std::malloc(cap * 2));
    size_t len = everythingSearchText(kind, path, maxTopFiles, text, cap);
    if (len + 1 >= cap || text[len] != 0) abort();  // never cut: the buffer is always enough
    size_t blockLength = static_cast<size_t>(everythingQueryBlockLength(len));
    uint8_t* block = static_cast<uint8_t*>(std::malloc(blockLength));
    if (everythingBuildQuery(block, blockLength, 0x1234, 5, 6, 7, text, len) != blockLength) abort();
    if (blockLength != 30 + 2 * len) abort();
    if (std::memcmp(block + 28, text, 2 * len + 2) != 0) abort();
    std::free(block);
    std::free(text);
  }
  std::free(path);
  return 0;
}
