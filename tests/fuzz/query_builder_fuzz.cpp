// Search texts and query blocks for any target path: texts fit their buffers
// (path length + the table's extra units), blocks are exactly 30 + 2n bytes.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "format/text.h"
#include "scan/everything_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  int maxTopFiles;
  std::memcpy(&maxTopFiles, data, 4);
  std::vector<char16_t> path(std::min((size - 4) / 2, size_t{kPathUnits - 1}) + 1, 0);
  std::memcpy(path.data(), data + 4, (path.size() - 1) * 2);
  size_t n = textLength(path.data());
  for (int q = 0; q < 3; ++q) {
    EverythingQuery kind = static_cast<EverythingQuery>(q);
    // Exactly the size the plugin allocates, so the sanitizer sees any overrun.
    std::vector<char16_t> text(n + everythingQueryShape(kind).textExtraUnits);
    size_t len = everythingSearchText(kind, path.data(), maxTopFiles, text.data(), text.size());
    // Never cut: the buffer is always enough.
    if (len + 1 >= text.size() || text[len] != 0) abort();
    std::vector<uint8_t> block(static_cast<size_t>(everythingQueryBlockLength(len)));
    if (everythingBuildQuery(block.data(), block.size(), 0x1234, 5, 6, 7, text.data(), len) !=
            block.size() || block.size() != 30 + 2 * len ||
        std::memcmp(block.data() + 28, text.data(), 2 * len + 2) != 0)
      abort();
  }
  return 0;
}
