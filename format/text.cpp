#include "format/text.h"

#include <cstdarg>

size_t textLength(const char16_t* s) {
  if (!s) return 0;
  size_t n = 0;
  while (s[n]) ++n;
  return n;
}

size_t textLengthBounded(const char16_t* s, size_t max) {
  if (!s) return 0;
  size_t n = 0;
  while (n < max && s[n]) ++n;
  return n;
}

size_t textCopyN(char16_t* dst, size_t cap, const char16_t* src, size_t n) {
  if (!dst || cap == 0) return 0;
  size_t i = 0;
  if (src) {
    for (; i + 1 < cap && i < n && src[i]; ++i) dst[i] = src[i];
  }
  dst[i] = 0;
  return i;
}

size_t textCopy(char16_t* dst, size_t cap, const char16_t* src) {
  return textCopyN(dst, cap, src, SIZE_MAX);
}

size_t textAppend(char16_t* dst, size_t cap, const char16_t* src) {
  if (!dst || cap == 0) return 0;
  size_t used = textLengthBounded(dst, cap - 1);
  dst[used] = 0;
  return textCopy(dst + used, cap - used, src);
}

namespace {

struct Sink {
  char16_t* dst;
  size_t cap;
  size_t len;
  void put(char16_t c) {
    if (len + 1 < cap) dst[len++] = c;
  }
};

void putNumber(Sink& out, uint64_t value, bool negative, unsigned base, bool upper, int width,
               bool zeroPad) {
  char16_t digits[32];
  int n = 0;
  const char* set = upper ? "0123456789ABCDEF" : "0123456789abcdef";
  do {
    digits[n++] = static_cast<char16_t>(set[value % base]);
    value /= base;
  } while (value && n < 30);
  int len = n + (negative ? 1 : 0);
  if (!zeroPad)
    for (; width > len; --width) out.put(u' ');
  if (negative) out.put(u'-');
  if (zeroPad)
    for (; width > len; --width) out.put(u'0');
  while (n) out.put(digits[--n]);
}

}  // namespace

size_t textFormat(char16_t* dst, size_t cap, const char16_t* fmt, ...) {
  if (!dst || cap == 0) return 0;
  Sink out{dst, cap, 0};
  va_list args;
  va_start(args, fmt);
  for (const char16_t* p = fmt; p && *p; ++p) {
    if (*p != u'%') {
      out.put(*p);
      continue;
    }
    ++p;
    if (*p == u'%') {
      out.put(u'%');
      continue;
    }
    bool zeroPad = false;
    int width = 0;
    if (*p == u'0') {
      zeroPad = true;
      ++p;
    }
    while (*p >= u'0' && *p <= u'9') width = width * 10 + (*p++ - u'0');
    int longs = 0;
    if (p[0] == u'I' && p[1] == u'6' && p[2] == u'4') {
      longs = 2;
      p += 3;
    }
    while (*p == u'l') {
      ++longs;
      ++p;
    }
    switch (*p) {
      case u's': {
        const char16_t* s = va_arg(args, const char16_t*);
        size_t len = textLength(s);
        for (; width > static_cast<int>(len); --width) out.put(u' ');
        for (size_t i = 0; i < len; ++i) out.put(s[i]);
        break;
      }
      case u'c':
        out.put(static_cast<char16_t>(va_arg(args, int)));
        break;
      case u'd':
      case u'i': {
        int64_t v = longs >= 2 ? va_arg(args, long long)
                    : longs == 1 ? va_arg(args, long)
                                 : va_arg(args, int);
        uint64_t mag = v < 0 ? 0 - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
        putNumber(out, mag, v < 0, 10, false, width, zeroPad);
        break;
      }
      case u'u':
      case u'x':
      case u'X': {
        uint64_t v = longs >= 2 ? va_arg(args, unsigned long long)
                     : longs == 1 ? va_arg(args, unsigned long)
                                  : va_arg(args, unsigned int);
        putNumber(out, v, false, *p == u'u' ? 10 : 16, *p == u'X', width, zeroPad);
        break;
      }
      case 0:
        --p;  // a lone '%' at the end: stop at the terminator
        break;
      default:
        out.put(u'%');
        out.put(*p);
        break;
    }
  }
  va_end(args);
  dst[out.len] = 0;
  return out.len;
}

char16_t textFoldCase(char16_t c) {
  if (c < 0x80) return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
  if ((c >= 0xC0 && c <= 0xDE && c != 0xD7)) return static_cast<char16_t>(c + 32);
  if (c >= 0x100 && c <= 0x17F) {
    // Latin Extended-A pairs upper/lower case on even/odd code points, except
    // for the runs 0x139-0x148 and 0x179-0x17E, which pair odd/even.
    bool oddRun = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
    if (oddRun) return (c & 1) ? static_cast<char16_t>(c + 1) : c;
    if (c == 0x130 || c == 0x131 || c == 0x138 || c == 0x149 || c == 0x17F) return c;
    return (c & 1) ? c : static_cast<char16_t>(c + 1);
  }
  if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return static_cast<char16_t>(c + 32);
  if (c >= 0x410 && c <= 0x42F) return static_cast<char16_t>(c + 32);
  if (c >= 0x400 && c <= 0x40F) return static_cast<char16_t>(c + 80);
  return c;
}

int textCompareNoCase(const char16_t* a, const char16_t* b) {
  if (!a) a = u"";
  if (!b) b = u"";
  for (;; ++a, ++b) {
    char16_t x = textFoldCase(*a), y = textFoldCase(*b);
    if (x != y) return x < y ? -1 : 1;
    if (!x) return 0;
  }
}

bool textEquals(const char16_t* a, const char16_t* b) {
  if (!a) a = u"";
  if (!b) b = u"";
  for (; *a && *a == *b; ++a, ++b) {
  }
  return *a == *b;
}

std::u16string textFromUtf8(const std::string& s) {
  std::u16string out;
  for (size_t i = 0; i < s.size();) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    uint32_t cp;
    int extra;
    if (c < 0x80) { cp = c; extra = 0; }
    else if ((c >> 5) == 6) { cp = c & 0x1F; extra = 1; }
    else if ((c >> 4) == 14) { cp = c & 0x0F; extra = 2; }
    else if ((c >> 3) == 30) { cp = c & 0x07; extra = 3; }
    else { out.push_back(0xFFFD); ++i; continue; }
    if (i + extra >= s.size() && extra) { out.push_back(0xFFFD); break; }
    for (int k = 1; k <= extra; ++k) cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
    i += 1 + extra;
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(cp));
    }
  }
  return out;
}

std::string textToUtf8(const char16_t* s) {
  std::string out;
  for (; s && *s; ++s) {
    uint32_t cp = *s;
    if (cp >= 0xD800 && cp < 0xDC00 && s[1] >= 0xDC00 && s[1] < 0xE000) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (s[1] - 0xDC00);
      ++s;
    }
    if (cp < 0x80) out += static_cast<char>(cp);
    else if (cp < 0x800) { out += static_cast<char>(0xC0 | (cp >> 6)); out += static_cast<char>(0x80 | (cp & 0x3F)); }
    else if (cp < 0x10000) { out += static_cast<char>(0xE0 | (cp >> 12)); out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F)); out += static_cast<char>(0x80 | (cp & 0x3F)); }
    else { out += static_cast<char>(0xF0 | (cp >> 18)); out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F)); out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F)); out += static_cast<char>(0x80 | (cp & 0x3F)); }
  }
  return out;
}
