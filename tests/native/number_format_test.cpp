#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>

#include "format/number_format.h"
#include "format/text.h"

namespace {

NumberStyle style(char16_t thousands, char16_t decimal, int32_t sizeDisplay = kSizeDisplayAuto) {
  return NumberStyle{thousands, decimal, sizeDisplay};
}

const NumberStyle kUs = style(u',', u'.');
const NumberStyle kEu = style(u'.', u',');
const NumberStyle kInB = style(u',', u'.', kSizeDisplayB);

std::string grouped(const NumberStyle& s, uint64_t v) {
  char16_t buf[64];
  formatGroupedU64(s, v, buf, 64);
  return textToUtf8(buf);
}

std::string count(const NumberStyle& s, int32_t v) {
  char16_t buf[64];
  formatCount(s, v, buf, 64);
  return textToUtf8(buf);
}

std::string decimal(const NumberStyle& s, double v, int decimals) {
  char16_t buf[128];
  formatDecimal(s, v, decimals, buf, 128);
  return textToUtf8(buf);
}

std::string size(NumberStyle s, int32_t mode, uint64_t bytes, bool unit) {
  s.sizeDisplay = mode;
  char16_t buf[64];
  formatSize(s, bytes, buf, 64, unit);
  return textToUtf8(buf);
}

}  // namespace

TEST(NumberFormat, GroupingAndCounts) {
  const struct { NumberStyle style; uint64_t value; const char* text; } rows[] = {
      {kUs, 0, "0"},
      {kUs, 999, "999"},
      {kUs, 1000, "1,000"},
      {kUs, 123456, "123,456"},
      {kUs, 1234567, "1,234,567"},
      {kUs, UINT64_MAX, "18,446,744,073,709,551,615"},
      {kEu, 1234567, "1.234.567"},
      {style(u'x', u','), 10000, "10x000"},
      {style(u'\u00A0', u','), 1000, "1\xC2\xA0" "000"},
      // A zero separator must not terminate the text after the first group.
      {style(0, u'.'), 1234567, "1234567"},
  };
  for (const auto& r : rows) EXPECT_EQ(grouped(r.style, r.value), r.text) << r.value;

  EXPECT_EQ(count(kUs, -5), "0");
  EXPECT_EQ(count(kUs, INT32_MIN), "0");
  EXPECT_EQ(count(kUs, INT32_MAX), "2,147,483,647");
  EXPECT_EQ(count(kEu, 12345), "12.345");
}

TEST(NumberFormat, DecimalsSignsAndSeparators) {
  const struct { NumberStyle style; double value; int decimals; const char* text; } rows[] = {
      {kUs, 0.0, 1, "0.0"},
      {kUs, 1234567.891, 2, "1,234,567.89"},
      {kEu, 1234567.891, 2, "1.234.567,89"},
      {kUs, 1234.5, 0, "1,234"},  // "%.0f" rounds half to even
      {kUs, -1234.5, 1, "-1,234.5"},
      {kUs, 99.96, 1, "100.0"},  // the carry reaches the integer part
      {kUs, 2.5, -3, "2"},       // negative decimals count as 0
      {kUs, 0.125, 6, "0.125000"},
      {kUs, 0.12345 * 100.0, 1, "12.3"},  // a share as percentage
      // Integer parts beyond 64 bits saturate; the fraction of a value whose
      // text no longer fits the 64-unit conversion buffer is simply absent.
      {kUs, 1e30, 1, "18,446,744,073,709,551,615.0"},
      {kUs, 1e300, 1, "18,446,744,073,709,551,615"},
      {kUs, -1e300, 2, "-18,446,744,073,709,551,615"},
      {kUs, std::numeric_limits<double>::infinity(), 1, "0"},
  };
  for (const auto& r : rows) EXPECT_EQ(decimal(r.style, r.value, r.decimals), r.text) << r.value;

  std::string nan = decimal(kUs, std::numeric_limits<double>::quiet_NaN(), 1);
  EXPECT_TRUE(nan == "0" || nan == "-0") << nan;
  // 60 decimals fill the conversion buffer; the result is still terminated.
  std::string many = decimal(kUs, 1.0, 200);
  EXPECT_EQ(many.substr(0, 2), "1.");
  EXPECT_LE(many.size(), 64u);
}

// Auto picks the unit below which the value stays under 1024 and is never
// promoted by rounding; a fixed unit writes its own decimals; the unit flag
// only matters for a fixed unit; out-of-range modes behave as Auto.
TEST(NumberFormat, SizeTextsInEveryMode) {
  constexpr int32_t A = kSizeDisplayAuto;
  const struct { NumberStyle s; int32_t mode; uint64_t n; bool unit; const char* text; } rows[] = {
      {kUs, A, 0, true, "0 B"},
      {kUs, A, 1023, true, "1,023 B"},
      {kUs, A, 1024, true, "1.0 KB"},
      {kUs, A, 1048575, true, "1,024.0 KB"},
      {kUs, A, 123456789, true, "117.7 MB"},
      {kUs, A, 1073741823, false, "1,024.0 MB"},  // Auto writes its unit whatever the flag says
      {kUs, A, 5000000000ull, true, "4.7 GB"},
      {kUs, A, UINT64_MAX, true, "17,179,869,184.0 GB"},
      {kUs, kSizeDisplayKB, 999, true, "1.0 KB"},
      {kUs, kSizeDisplayMB, 1048575, true, "1.00 MB"},
      {kUs, kSizeDisplayMB, 123456789, false, "117.74"},
      {kUs, kSizeDisplayGB, 5000000000ull, true, "4.657 GB"},
      {kUs, kSizeDisplayB, 1099511627776ull, true, "1,099,511,627,776 B"},
      {kUs, kSizeDisplayB, 1234, false, "1,234"},
      {kEu, kSizeDisplayGB, 5000000000ull, true, "4,657 GB"},
      {kEu, A, 1048575, true, "1.024,0 KB"},
      {kUs, 9, 1536, false, "1.5 KB"},
      {kUs, -1, 1536, false, "1.5 KB"},
  };
  for (const auto& r : rows) EXPECT_EQ(size(r.s, r.mode, r.n, r.unit), r.text) << r.text;
}

TEST(NumberFormat, EveryOperationCutsToTheBufferAndTerminates) {
  // Each result is compared against its uncut text for every capacity.
  const struct { const char* name; size_t (*run)(char16_t*, size_t); } ops[] = {
      {"grouped", [](char16_t* b, size_t c) { return formatGroupedU64(kUs, 1234567890123, b, c); }},
      {"decimal", [](char16_t* b, size_t c) { return formatDecimal(kUs, -98765.4321, 3, b, c); }},
      {"sizeAuto", [](char16_t* b, size_t c) { return formatSize(kUs, 5000000000, b, c, true); }},
      {"sizeAutoBytes", [](char16_t* b, size_t c) { return formatSize(kUs, 999, b, c, true); }},
      {"sizeB", [](char16_t* b, size_t c) { return formatSize(kInB, 1099511627776, b, c, true); }},
  };
  for (const auto& op : ops) {
    SCOPED_TRACE(op.name);
    char16_t full[128];
    const size_t n = op.run(full, 128);
    const std::u16string whole(full);
    ASSERT_EQ(n, whole.size());
    for (size_t cap = 1; cap <= whole.size() + 2; ++cap) {
      char16_t buf[130];
      std::fill(std::begin(buf), std::end(buf), u'#');
      EXPECT_EQ(op.run(buf, cap), std::min(cap - 1, whole.size())) << "cap " << cap;
      EXPECT_EQ(std::u16string(buf), whole.substr(0, cap - 1)) << "cap " << cap;
      EXPECT_EQ(buf[cap], u'#') << "wrote past cap " << cap;
    }
    // Zero capacity and a null buffer touch nothing.
    char16_t guard = u'#';
    EXPECT_EQ(op.run(&guard, 0), 0u);
    EXPECT_EQ(guard, u'#');
    EXPECT_EQ(op.run(nullptr, 16), 0u);
  }
}
