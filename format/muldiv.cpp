#include "format/muldiv.h"

int32_t mulDiv(int32_t number, int32_t numerator, int32_t denominator) {
  if (denominator == 0) return -1;
  int64_t a = number;
  int64_t d = denominator;
  if (d < 0) {
    a = -a;
    d = -d;
  }
  const int64_t product = a * static_cast<int64_t>(numerator);
  // Round half away from zero: push the product away from zero by half the
  // divisor before the truncating division.
  const int64_t result = product >= 0 ? (product + d / 2) / d : (product - d / 2) / d;
  if (result > INT32_MAX || result < -INT32_MAX) return -1;
  return static_cast<int32_t>(result);
}
