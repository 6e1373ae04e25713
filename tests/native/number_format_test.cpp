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

std::string grouped(const NumberStyle& s, uint64_t v) {
  char16_t buf[64];
  formatGroupedU64(s, v, buf, 64);
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

TEST(NumberFormat, GroupingInThreesWithAnySeparator) {
  EXPECT_EQ(grouped(kUs, 0), "0");
  EXPECT_EQ(grouped(kUs, 7), "7");
  EXPECT_EQ(grouped(kUs, 999), "999");
  EXPECT_EQ(grouped(kUs, 1000), "1,000");
  EXPECT_EQ(grouped(kUs, 123456), "123,456");
  EXPECT_EQ(grouped(kUs, 1234567), "1,234,567");
  EXPECT_EQ(grouped(kUs, UINT64_MAX), "18,446,744,073,709,551,615");
  EXPECT_EQ(grouped(kEu, 1234567), "1.234.567");
  EXPECT_EQ(grouped(style(u' ', u','), 1234567), "1 234 567");
  EXPECT_EQ(grouped(style(u'x', u','), 10000), "10x000");
  EXPECT_EQ(grouped(style(u'\u00A0', u','), 1000), "1\xC2\xA0" "000");
  // A zero separator must not terminate the text after the first group.
  EXPECT_EQ(grouped(style(0, u'.'), 1234567), "1234567");
}

TEST(NumberFormat, CountsClampNegativesToZero) {
  char16_t buf[32];
  formatCount(kUs, -5, buf, 32);
  EXPECT_EQ(textToUtf8(buf), "0");
  formatCount(kUs, INT32_MIN, buf, 32);
  EXPECT_EQ(textToUtf8(buf), "0");
  formatCount(kUs, INT32_MAX, buf, 32);
  EXPECT_EQ(textToUtf8(buf), "2,147,483,647");
  formatCount(kEu, 12345, buf, 32);
  EXPECT_EQ(textToUtf8(buf), "12.345");
}

TEST(NumberFormat, DecimalsSignsAndSeparators) {
  EXPECT_EQ(decimal(kUs, 12.345, 1), "12.3");
  EXPECT_EQ(decimal(kUs, 0.0, 1), "0.0");
  EXPECT_EQ(decimal(kUs, 1234567.891, 2), "1,234,567.89");
  EXPECT_EQ(decimal(kEu, 1234567.891, 2), "1.234.567,89");
  EXPECT_EQ(decimal(style(u' ', u'x'), 1234.5, 1), "1 234x5");
  EXPECT_EQ(decimal(kUs, 1234.5, 0), "1,234");  // "%.0f" rounds half to even
  EXPECT_EQ(decimal(kUs, 1235.5, 0), "1,236");
  EXPECT_EQ(decimal(kUs, -1234.5, 1), "-1,234.5");
  EXPECT_EQ(decimal(kUs, -1234567.0, 0), "-1,234,567");
  EXPECT_EQ(decimal(kUs, 99.96, 1), "100.0");  // the carry reaches the integer part
  EXPECT_EQ(decimal(kUs, 2.5, -3), "2");       // negative decimals count as 0
  EXPECT_EQ(decimal(kUs, 0.125, 6), "0.125000");
}

TEST(NumberFormat, DecimalOfHugeAndNonFiniteValuesStaysDefined) {
  // Integer parts beyond 64 bits saturate; the fraction of a value whose text
  // no longer fits the 64-unit conversion buffer is simply absent.
  EXPECT_EQ(decimal(kUs, 1e30, 1), "18,446,744,073,709,551,615.0");
  EXPECT_EQ(decimal(kUs, 1e300, 1), "18,446,744,073,709,551,615");
  EXPECT_EQ(decimal(kUs, -1e300, 2), "-18,446,744,073,709,551,615");
  std::string inf = decimal(kUs, std::numeric_limits<double>::infinity(), 1);
  EXPECT_EQ(inf, "0");
  std::string nan = decimal(kUs, std::numeric_limits<double>::quiet_NaN(), 1);
  EXPECT_TRUE(nan == "0" || nan == "-0") << nan;
  // 60 decimals fill the conversion buffer; the result is still terminated.
  std::string many = decimal(kUs, 1.0, 200);
  EXPECT_EQ(many.substr(0, 2), "1.");
  EXPECT_LE(many.size(), 64u);
}

// The worked examples, with "," and "." as separators.
TEST(NumberFormat, SizeWorkedExamples) {
  struct Case {
    uint64_t bytes;
    const char* autoText;
    int32_t fixedMode;
    const char* fixedText;
  };
  const Case cases[] = {
      {0, "0 B", kSizeDisplayB, "0 B"},
      {999, "999 B", kSizeDisplayKB, "1.0 KB"},
      {1023, "1,023 B", kSizeDisplayB, "1,023 B"},
      {1024, "1.0 KB", kSizeDisplayKB, "1.0 KB"},
      {1536, "1.5 KB", kSizeDisplayKB, "1.5 KB"},
      {1048575, "1,024.0 KB", kSizeDisplayMB, "1.00 MB"},
      {1048576, "1.0 MB", kSizeDisplayMB, "1.00 MB"},
      {123456789, "117.7 MB", kSizeDisplayMB, "117.74 MB"},
      {1073741824, "1.0 GB", kSizeDisplayGB, "1.000 GB"},
      {5000000000ull, "4.7 GB", kSizeDisplayGB, "4.657 GB"},
      {1099511627776ull, "1,024.0 GB", kSizeDisplayB, "1,099,511,627,776 B"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(size(kUs, kSizeDisplayAuto, c.bytes, true), c.autoText) << c.bytes;
    // Auto writes its unit whatever the flag says.
    EXPECT_EQ(size(kUs, kSizeDisplayAuto, c.bytes, false), c.autoText) << c.bytes;
    EXPECT_EQ(size(kUs, c.fixedMode, c.bytes, true), c.fixedText) << c.bytes;
  }
}

TEST(NumberFormat, SizeWithSwappedSeparatorsAndWithoutUnit) {
  EXPECT_EQ(size(kEu, kSizeDisplayB, 1234567, true), "1.234.567 B");
  EXPECT_EQ(size(kEu, kSizeDisplayGB, 5000000000ull, true), "4,657 GB");
  EXPECT_EQ(size(kEu, kSizeDisplayAuto, 1048575, true), "1.024,0 KB");
  EXPECT_EQ(size(kUs, kSizeDisplayMB, 123456789, false), "117.74");
  EXPECT_EQ(size(kUs, kSizeDisplayB, 1234, false), "1,234");
  EXPECT_EQ(size(kUs, kSizeDisplayKB, 0, false), "0.0");
  EXPECT_EQ(size(kUs, kSizeDisplayGB, UINT64_MAX, true), "17,179,869,184.000 GB");
  EXPECT_EQ(size(kUs, kSizeDisplayAuto, UINT64_MAX, true), "17,179,869,184.0 GB");
  // Out-of-range sizeDisplay values behave as Auto.
  EXPECT_EQ(size(kUs, 9, 1536, false), "1.5 KB");
  EXPECT_EQ(size(kUs, -1, 1536, false), "1.5 KB");
}

TEST(NumberFormat, UnitBoundariesAreNotPromotedByRounding) {
  EXPECT_EQ(size(kUs, kSizeDisplayAuto, 1023, true), "1,023 B");
  EXPECT_EQ(size(kUs, kSizeDisplayAuto, 1073741823, true), "1,024.0 MB");
  EXPECT_EQ(size(kUs, kSizeDisplayAuto, 1073741824, true), "1.0 GB");
}

TEST(NumberFormat, ShareOfATotalAsPercentage) {
  char16_t pct[32];
  char16_t line[48];
  formatDecimal(kUs, 0.12345 * 100.0, 1, pct, 32);
  textFormat(line, 48, u"(%s%%)", pct);
  EXPECT_EQ(textToUtf8(line), "(12.3%)");
  formatDecimal(kEu, 1.0 * 100.0, 1, pct, 32);
  EXPECT_EQ(textToUtf8(pct), "100,0");
}

TEST(NumberFormat, EveryOperationCutsToTheBufferAndTerminates) {
  // Each result is compared against its uncut text for every capacity.
  struct Op {
    const char* name;
    size_t (*run)(char16_t*, size_t);
  };
  const Op ops[] = {
      {"grouped", [](char16_t* b, size_t c) { return formatGroupedU64(kUs, 1234567890123ull, b, c); }},
      {"count", [](char16_t* b, size_t c) { return formatCount(kUs, 2000000000, b, c); }},
      {"decimal", [](char16_t* b, size_t c) { return formatDecimal(kUs, -98765.4321, 3, b, c); }},
      {"sizeAuto", [](char16_t* b, size_t c) { return formatSize(kUs, 5000000000ull, b, c, true); }},
      {"sizeB", [](char16_t* b, size_t c) {
         return formatSize(style(u',', u'.', kSizeDisplayB), 1099511627776ull, b, c, true);
       }},
  };
  for (const Op& op : ops) {
    char16_t full[128];
    size_t n = op.run(full, 128);
    std::u16string whole(full);
    ASSERT_EQ(n, whole.size()) << op.name;
    for (size_t cap = 1; cap <= whole.size() + 2; ++cap) {
      char16_t buf[130];
      for (char16_t& c : buf) c = u'#';
      size_t written = op.run(buf, cap);
      EXPECT_EQ(written, std::min(cap - 1, whole.size())) << op.name << " cap " << cap;
      EXPECT_EQ(std::u16string(buf), whole.substr(0, cap - 1)) << op.name << " cap " << cap;
      EXPECT_EQ(buf[cap], u'#') << op.name << " wrote past cap " << cap;
    }
    // Zero capacity and a null buffer touch nothing.
    char16_t guard = u'#';
    EXPECT_EQ(op.run(&guard, 0), 0u);
    EXPECT_EQ(guard, u'#');
    EXPECT_EQ(op.run(nullptr, 16), 0u);
  }
}

TEST(NumberFormat, UnitNames) {
  EXPECT_EQ(textToUtf8(sizeUnitName(kSizeDisplayGB)), "GB");
  EXPECT_EQ(textToUtf8(sizeUnitName(kSizeDisplayMB)), "MB");
  EXPECT_EQ(textToUtf8(sizeUnitName(kSizeDisplayKB)), "KB");
  EXPECT_EQ(textToUtf8(sizeUnitName(kSizeDisplayB)), "B");
  EXPECT_EQ(textToUtf8(sizeUnitName(kSizeDisplayAuto)), "");
  EXPECT_EQ(textToUtf8(sizeUnitName(5)), "");
  EXPECT_EQ(textToUtf8(sizeUnitName(-1)), "");
}
