#include "format/number_format.h"

#include <cstdio>

#include "format/text.h"

namespace {

// Room for the widest grouped text the stop rule can produce: a digit written
// at position 29 or later ends the grouping, so at most 31 units plus the
// terminator. A 64-bit value (20 digits, 6 separators) never comes close.
constexpr size_t kGroupedUnits = 32;
constexpr size_t kGroupStopPosition = 29;

// Groups the decimal digits `digits` (ASCII, `n` of them) into `out`.
size_t groupDigits(char16_t separator, const char* digits, size_t n, char16_t* out) {
  size_t pos = 0;
  if (n == 0) {
    out[0] = 0;
    return 0;
  }
  out[pos++] = static_cast<char16_t>(digits[0]);
  bool stop = false;
  for (size_t i = 1; i < n && !stop; ++i) {
    if ((n - i) % 3 == 0 && separator != 0) out[pos++] = separator;
    out[pos] = static_cast<char16_t>(digits[i]);
    stop = pos >= kGroupStopPosition;
    ++pos;
  }
  out[pos] = 0;
  return pos;
}

size_t groupU64(char16_t separator, uint64_t value, char16_t* out) {
  char digits[24];
  int n = std::snprintf(digits, sizeof digits, "%llu", static_cast<unsigned long long>(value));
  if (n < 0) n = 0;
  return groupDigits(separator, digits, static_cast<size_t>(n), out);
}

// Leading decimal digits of `text` (at most `limit` of them) as an unsigned
// 64-bit value, saturating instead of wrapping.
uint64_t parseLeadingDigits(const char* text, size_t limit) {
  uint64_t value = 0;
  for (size_t i = 0; i < limit && text[i] >= '0' && text[i] <= '9'; ++i) {
    unsigned d = static_cast<unsigned>(text[i] - '0');
    if (value > (UINT64_MAX - d) / 10) return UINT64_MAX;
    value = value * 10 + d;
  }
  return value;
}

}  // namespace

size_t formatGroupedU64(const NumberStyle& style, uint64_t value, char16_t* buf, size_t cap) {
  char16_t grouped[kGroupedUnits];
  groupU64(style.thousandsSeparator, value, grouped);
  return textCopy(buf, cap, grouped);
}

size_t formatCount(const NumberStyle& style, int32_t value, char16_t* buf, size_t cap) {
  return formatGroupedU64(style, value < 0 ? 0u : static_cast<uint64_t>(value), buf, cap);
}

size_t formatDecimal(const NumberStyle& style, double value, int decimals, char16_t* buf,
                     size_t cap) {
  if (decimals < 0) decimals = 0;
  char text[64];
  if (std::snprintf(text, sizeof text, "%.*f", decimals, value) < 0) text[0] = 0;

  const char* p = text;
  bool negative = *p == '-';
  if (negative) ++p;

  // The integer part ends at the first "."; anything that is not a digit
  // (the letters of "inf" or "nan") simply ends the conversion.
  const char* dot = p;
  while (*dot && *dot != '.') ++dot;
  size_t intLength = static_cast<size_t>(dot - p);
  uint64_t whole = parseLeadingDigits(p, intLength < 39 ? intLength : 39);

  // "-" + 31 grouped units + separator + at most 62 fraction digits + terminator.
  char16_t result[kGroupedUnits + 72];
  size_t pos = 0;
  if (negative) result[pos++] = u'-';
  pos += groupU64(style.thousandsSeparator, whole, result + pos);
  if (decimals >= 1 && *dot == '.') {
    if (style.decimalSeparator != 0) result[pos++] = style.decimalSeparator;
    for (const char* f = dot + 1; *f; ++f) result[pos++] = static_cast<char16_t>(*f);
  }
  result[pos] = 0;
  return textCopy(buf, cap, result);
}

namespace {

struct UnitStep {
  uint64_t bytes;
  int decimals;  // in a fixed unit; Auto always writes 1 decimal
  const char16_t* withUnitFormat;
};

// Indexed by sizeDisplay 1..4.
constexpr UnitStep kFixedUnits[] = {
    {0, 0, nullptr},
    {1073741824ull, 3, u"%s GB"},
    {1048576ull, 2, u"%s MB"},
    {1024ull, 1, u"%s KB"},
    {1ull, 0, u"%s B"},
};

}  // namespace

size_t formatSize(const NumberStyle& style, uint64_t bytes, char16_t* buf, size_t cap,
                  bool withUnit) {
  char16_t number[48];
  const int32_t mode = style.sizeDisplay;
  if (mode >= kSizeDisplayGB && mode <= kSizeDisplayB) {
    const UnitStep& unit = kFixedUnits[mode];
    if (mode == kSizeDisplayB)
      formatGroupedU64(style, bytes, number, 48);
    else
      formatDecimal(style, static_cast<double>(bytes) * (1.0 / static_cast<double>(unit.bytes)),
                    unit.decimals, number, 48);
    if (!withUnit) return textCopy(buf, cap, number);
    return textFormat(buf, cap, unit.withUnitFormat, number);
  }

  // Auto: the largest unit the value reaches, never promoted by rounding.
  for (int i = kSizeDisplayGB; i <= kSizeDisplayKB; ++i) {
    const UnitStep& unit = kFixedUnits[i];
    if (bytes >= unit.bytes) {
      formatDecimal(style, static_cast<double>(bytes) * (1.0 / static_cast<double>(unit.bytes)),
                    1, number, 48);
      return textFormat(buf, cap, unit.withUnitFormat, number);
    }
  }
  formatGroupedU64(style, bytes, number, 48);
  return textFormat(buf, cap, u"%s B", number);
}

const char16_t* sizeUnitName(int32_t sizeDisplay) {
  switch (sizeDisplay) {
    case kSizeDisplayGB: return u"GB";
    case kSizeDisplayMB: return u"MB";
    case kSizeDisplayKB: return u"KB";
    case kSizeDisplayB: return u"B";
    default: return u"";
  }
}
