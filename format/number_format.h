// Number and size text: every number the panel shows goes through here, so the
// grouping, the separators and the unit choice are the same in the list, the
// header, the summary and the treemap popup.
//
// Every operation writes a zero-terminated UTF-16 result into the caller's
// buffer, cut to `cap` units (a buffer of 1 unit gets the empty string, a
// buffer of 0 units or a null buffer is left untouched). The return value is
// the number of units written, without the terminator.
#pragma once
#include <cstddef>
#include <cstdint>

// The unit sizes are written in: chosen by magnitude, or one fixed unit
// (Display/SizeDisplay).
enum SizeDisplay : int32_t {
  kSizeDisplayAuto = 0,
  kSizeDisplayGB = 1,
  kSizeDisplayMB = 2,
  kSizeDisplayKB = 3,
  kSizeDisplayB = 4
};

// The three panel-record fields the formatting reads. The record keeps the
// separators as one-character texts; pass their first unit:
//   NumberStyle{rec.thousandsSeparator[0], rec.decimalSeparator[0], rec.sizeDisplay}
// Any character is used as it is (a blank or a letter too); a zero character
// writes no separator at all rather than cutting the text short.
struct NumberStyle {
  char16_t thousandsSeparator;
  char16_t decimalSeparator;
  int32_t sizeDisplay;
};

// The value in decimal with its digits grouped in threes: 1234567 -> "1,234,567".
size_t formatGroupedU64(const NumberStyle& style, uint64_t value, char16_t* buf, size_t cap);

// A count: grouped like formatGroupedU64; negative counts are written as 0.
size_t formatCount(const NumberStyle& style, int32_t value, char16_t* buf, size_t cap);

// A fraction with `decimals` digits after the decimal separator and grouped
// integer digits: 1234.56 with 1 decimal -> "1,234.6". A negative value keeps
// its "-" in front; 0 decimals write no separator; a negative number of
// decimals counts as 0. Integer parts beyond 64 bits saturate at 2^64 - 1, and
// NaN or infinity give "0" (with "-" when the runtime writes one).
size_t formatDecimal(const NumberStyle& style, double value, int decimals, char16_t* buf,
                     size_t cap);

// A byte count as size text in binary units (1 KB = 1024 bytes, no unit beyond
// GB). With sizeDisplay Auto the unit is chosen by magnitude and always written
// ("117.7 MB"); with a fixed unit the number has 3 (GB), 2 (MB), 1 (KB) or 0 (B)
// decimals and the unit is appended only when `withUnit` is set.
size_t formatSize(const NumberStyle& style, uint64_t bytes, char16_t* buf, size_t cap,
                  bool withUnit);

// "GB", "MB", "KB" or "B" for sizeDisplay 1 to 4, the empty text otherwise
// (Auto has no single unit). Never null.
const char16_t* sizeUnitName(int32_t sizeDisplay);
