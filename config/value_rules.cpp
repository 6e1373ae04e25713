#include "config/value_rules.h"

#include <cstdint>

#include "format/text.h"

bool yesNo(const char16_t* value) { return value && (value[0] == u'Y' || value[0] == u'y'); }

YesNoAuto yesNoAuto(const char16_t* value) {
  if (!value) return YesNoAuto::Auto;
  if (value[0] == u'Y' || value[0] == u'y') return YesNoAuto::Yes;
  if (value[0] == u'N' || value[0] == u'n') return YesNoAuto::No;
  return YesNoAuto::Auto;
}

int32_t wordValue(const char16_t* value, const WordMeaning* words, size_t count, int32_t otherwise) {
  if (!value) return otherwise;
  for (size_t i = 0; i < count; ++i)
    if (textCompareNoCase(value, words[i].word) == 0) return words[i].meaning;
  return otherwise;
}

namespace {

bool isBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f'; }

int hexDigit(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

// scanf's %x: blanks, an optional sign, an optional 0x/0X, hex digits. The
// number wraps to 32 bits as the C runtime does; callers keep 24 of them.
bool scanHex(const char16_t* p, uint32_t* out) {
  while (isBlank(*p)) ++p;
  bool negative = false;
  if (*p == u'+' || *p == u'-') negative = (*p++ == u'-');
  bool digits = false;
  // A prefix with no digit after it ("0xZZ") is no colour at all.
  if (p[0] == u'0' && (p[1] == u'x' || p[1] == u'X')) {
    if (hexDigit(p[2]) < 0) return false;
    p += 2;
  }
  uint32_t v = 0;
  for (int d; (d = hexDigit(*p)) >= 0; ++p) {
    v = (v << 4) | static_cast<uint32_t>(d);
    digits = true;
  }
  if (!digits) return false;
  *out = negative ? 0u - v : v;
  return true;
}

}  // namespace

int32_t parseLeadingInt(const char16_t* value) {
  if (!value) return 0;
  const char16_t* p = value;
  while (isBlank(*p)) ++p;
  bool negative = false;
  if (*p == u'+' || *p == u'-') negative = (*p++ == u'-');
  int64_t v = 0;
  for (; *p >= u'0' && *p <= u'9'; ++p) {
    v = v * 10 + (*p - u'0');
    if (v > 2147483648LL) v = 2147483648LL;  // saturate, never overflow
  }
  if (negative) v = -v;
  if (v > INT32_MAX) v = INT32_MAX;
  return static_cast<int32_t>(v);
}

bool parseColorText(const char16_t* value, uint32_t* rrggbb) {
  if (!value || textLengthBounded(value, 3) < 3) return false;
  uint32_t v = 0;
  bool ok = false;
  if (value[0] == u'0' && value[1] == u'x') {
    // "0x%x": the literal prefix, then %x's own rules from there.
    const char16_t* rest = value + 2;
    const char16_t* q = rest;
    while (isBlank(*q)) ++q;
    if (*q == u'+' || *q == u'-') ++q;
    if (hexDigit(*q) >= 0) ok = scanHex(rest, &v);
  }
  if (!ok) ok = scanHex(value, &v);
  if (!ok) return false;
  *rrggbb = v & 0xFFFFFFu;
  return true;
}

uint32_t colorFromRgb(uint32_t rrggbb) {
  return ((rrggbb >> 16) & 0xFF) | (rrggbb & 0xFF00) | ((rrggbb & 0xFF) << 16);
}

uint32_t rgbFromColor(uint32_t colorref) { return colorFromRgb(colorref & 0xFFFFFFu); }

uint32_t readColorSetting(const SettingsSource& src, const char16_t* section, const char16_t* key,
                          uint32_t defaultColorref) {
  char16_t def[16];
  textFormat(def, 16, u"0x%02X%02X%02X", defaultColorref & 0xFF, (defaultColorref >> 8) & 0xFF,
             (defaultColorref >> 16) & 0xFF);
  char16_t value[64];
  src.readText(section, key, def, value, 64);
  uint32_t rgb = 0;
  if (!parseColorText(value, &rgb)) return defaultColorref;
  return colorFromRgb(rgb);
}

size_t ProfileSettingsSource::readText(const char16_t* section, const char16_t* key,
                                       const char16_t* def, char16_t* out, size_t cap) const {
  if (!platform || !file || !file[0]) return textCopy(out, cap, def);
  return platform->profileText(file, section, key, def, out, cap);
}

int32_t ProfileSettingsSource::readInt(const char16_t* section, const char16_t* key,
                                       int32_t def) const {
  if (!platform || !file || !file[0]) return def;
  return platform->profileInt(file, section, key, def);
}
