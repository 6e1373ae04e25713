// The rules other tests do not reach through the list and the treemap: a zero
// separator, signs, saturation beyond 64 bits and cutting to any buffer.
#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <string>

#include "format/number_format.h"
#include "format/text.h"

namespace {
const NumberStyle kUs{u',', u'.', kSizeDisplayAuto};
}  // namespace

TEST(NumberFormat, ZeroSeparatorSignsAndSaturation) {
  char16_t b[64];
  auto text = [&](size_t n) {
    EXPECT_EQ(n, textLength(b));
    return textToUtf8(b);
  };
  const std::pair<std::string, const char*> rows[] = {
      {text(formatGroupedU64({0, u'.', 0}, 1234567, b, 64)), "1234567"},  // ends no text
      {text(formatCount(kUs, INT32_MIN, b, 64)), "0"},
      {text(formatDecimal(kUs, -1234.5, 1, b, 64)), "-1,234.5"},
      {text(formatDecimal({u'.', u',', 0}, 99.96, 1, b, 64)), "100,0"},  // the carry moves up
      {text(formatDecimal(kUs, 2.5, -3, b, 64)), "2"},  // negative decimals count as 0
      // Integer parts beyond 64 bits saturate; the fraction of a value whose text
      // no longer fits the conversion buffer is simply absent.
      {text(formatDecimal(kUs, 1e30, 1, b, 64)), "18,446,744,073,709,551,615.0"},
      {text(formatDecimal(kUs, -1e300, 2, b, 64)), "-18,446,744,073,709,551,615"},
      {text(formatDecimal(kUs, std::numeric_limits<double>::infinity(), 1, b, 64)), "0"}};
  for (const auto& r : rows) EXPECT_EQ(r.first, r.second);
}

TEST(NumberFormat, EveryOperationCutsToTheBufferAndTerminates) {
  for (size_t cap = 0; cap <= 12; ++cap) {
    char16_t a[16], d[16];
    std::fill(a, a + 16, u'#');
    std::fill(d, d + 16, u'#');
    EXPECT_EQ(formatSize(kUs, 5000000000ull, a, cap, true), cap ? std::min<size_t>(cap - 1, 6) : 0);
    formatDecimal(kUs, -98765.4321, 3, d, cap);
    EXPECT_EQ(a[cap], u'#') << cap;
    EXPECT_EQ(d[cap], u'#') << cap;
    if (cap == 0) continue;
    EXPECT_EQ(textToUtf8(a), std::string("4.7 GB").substr(0, cap - 1));
    EXPECT_EQ(textToUtf8(d), std::string("-98,765.432").substr(0, cap - 1));
  }
  EXPECT_EQ(formatDecimal(kUs, 1.5, 1, nullptr, 16), 0u);
}
