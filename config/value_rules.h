// The value rules of the settings file as pure functions: yes/no, yes/no/auto,
// words, integers and colours, and Windows' MulDiv rounding.
#pragma once
#include <cstddef>
#include <cstdint>

#include "config/config_source.h"

// True exactly when the first character is 'Y' or 'y' ("1" and "" are false).
bool yesNo(const char16_t* value);

enum class YesNoAuto { No, Yes, Auto };
YesNoAuto yesNoAuto(const char16_t* value);

struct WordMeaning {
  const char16_t* word;
  int32_t meaning;
};
// The meaning of the word equal to the whole value (case ignored), or
// `otherwise` when none matches.
int32_t wordValue(const char16_t* value, const WordMeaning* words, size_t count, int32_t otherwise);

// Like _wtoi: leading blanks, an optional sign, decimal digits; no digit gives
// 0; values beyond 32 bits saturate instead of wrapping.
int32_t parseLeadingInt(const char16_t* value);

// A colour value: "0x" and hex digits, else hex digits with an optional 0x/0X
// prefix. Fewer than 3 characters, or no number, gives false. The number is
// 0xRRGGBB; bits above 23 are ignored.
bool parseColorText(const char16_t* value, uint32_t* rrggbb);
// 0xRRGGBB -> COLORREF (red in the low byte) and back.
uint32_t colorFromRgb(uint32_t rrggbb);
uint32_t rgbFromColor(uint32_t colorref);
// Reads one colour key with the default written as "0x%02X%02X%02X".
uint32_t readColorSetting(const SettingsSource& src, const char16_t* section, const char16_t* key,
                          uint32_t defaultColorref);
