// The one scaling rule of the project: Win32 MulDiv semantics, shared by the
// layout, the treemap and the configuration so that a length scaled in one
// place is the same number of pixels everywhere.
#pragma once
#include <cstdint>

// number * numerator / denominator with a 64-bit product, rounded to nearest
// with halves away from zero; -1 when the denominator is 0 or the result does
// not fit in 32 bits.
int32_t mulDiv(int32_t number, int32_t numerator, int32_t denominator);
