// Windows' long-path form of a folder path ("\\?\" and "\\?\UNC\" prefixes).
#pragma once
#include <cstddef>

constexpr int kLongPathUnits = 2052;  // 2051 characters and the terminator

// Writes the long form of path into out (capacity outUnits), cut to the buffer.
void toLongPathForm(const char16_t* path, char16_t* out, size_t outUnits);
