// UTF-16 text in fixed-size buffers: every routine here cuts to the buffer and
// always terminates, so no caller can overrun a field however long its input.
// char16_t is the portable spelling of Windows' WCHAR; the Win32 layer casts.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

size_t textLength(const char16_t* s);
size_t textLengthBounded(const char16_t* s, size_t max);

// Copies at most cap-1 units of src and terminates; cap 0 writes nothing.
// Returns the number of units copied.
size_t textCopy(char16_t* dst, size_t cap, const char16_t* src);
// Same, copying at most n units of src.
size_t textCopyN(char16_t* dst, size_t cap, const char16_t* src, size_t n);
// Appends src after the terminated text already in dst, cut to the buffer.
size_t textAppend(char16_t* dst, size_t cap, const char16_t* src);

// printf-style formatting into a UTF-16 buffer, cut to cap and terminated.
// Supports %s (const char16_t*), %c (char16_t as int), %d %i %u %x %X with the
// length modifiers l, ll and I64, zero padding and a width, and %%.
// Returns the number of units written (without the terminator).
size_t textFormat(char16_t* dst, size_t cap, const char16_t* fmt, ...);

// Case-insensitive comparison in the manner of _wcsicmp: both sides are folded
// to lower case (ASCII, Latin-1, Latin Extended-A, Greek and Cyrillic) first.
int textCompareNoCase(const char16_t* a, const char16_t* b);
char16_t textFoldCase(char16_t c);
bool textEquals(const char16_t* a, const char16_t* b);

// Conversions for tests, tools and diagnostics (UTF-8 <-> UTF-16).
std::u16string textFromUtf8(const std::string& s);
std::string textToUtf8(const char16_t* s);
