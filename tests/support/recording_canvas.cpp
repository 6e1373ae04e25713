#include "tests/support/recording_canvas.h"

#include <cstdio>

#include "format/text.h"

std::string pointText(int32_t x, int32_t y) { return std::to_string(x) + "," + std::to_string(y); }

std::string colorText(Color c) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "#%02X%02X%02X", c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
  return c == kNoColor ? "none" : buf;
}

std::string rectText(Rect r) { return pointText(r.left, r.top) + "," + pointText(r.right, r.bottom); }

void RecordingCanvas::gradientBar(Rect r, double fraction, Color from, Color to) {
  char f[32];
  std::snprintf(f, sizeof f, " %.4f ", fraction);
  lines.push_back("bar " + rectText(r) + f + colorText(from) + ">" + colorText(to));
}

void RecordingCanvas::polygon(const Point* points, int32_t count, Color c) {
  std::string s = "polygon";
  for (int32_t i = 0; points && i < count; ++i) s += " " + pointText(points[i].x, points[i].y);
  lines.push_back(s + " " + colorText(c));
}

void RecordingCanvas::text(Rect r, const char16_t* s, FontRole f, Color c, TextFlags flags) {
  static const char* const kFonts[] = {"Title", "Body", "BodyBold", "Small", "Italic"};
  static const char* const kFlags[] = {"right", "center", "vcenter", "single", "end", "path", "wrap", "noprefix"};
  std::string names;
  for (int i = 0; i < 8; ++i)
    if (flags & (1u << i)) names += (names.empty() ? "" : "|") + std::string(kFlags[i]);
  lines.push_back("text " + rectText(r) + " " + kFonts[static_cast<int>(f) % 5] + " " + colorText(c) + " '" +
      textToUtf8(s ? s : u"") + "' " + (names.empty() ? "left" : names));
}

int32_t RecordingCanvas::textWidth(const char16_t* s, FontRole f) {
  return s ? static_cast<int32_t>(textLength(s)) * (f == FontRole::Title ? 2 : 1) * charWidth : 0;
}

void RecordingCanvas::icon(Rect r, IconHandle icon) {
  char buf[32];
  std::snprintf(buf, sizeof buf, " %p", icon);
  lines.push_back("icon " + rectText(r) + buf);
}

void RecordingCanvas::glyph(GlyphKind g, int32_t x, int32_t y, int32_t size, Color c, Color window) {
  static const char* const kGlyphs[] = {"folder", "document", "program", "magnifier"};
  lines.push_back(std::string("glyph ") + kGlyphs[static_cast<int>(g) % 4] + " " + pointText(x, y) + " " +
                  std::to_string(size) + " " + colorText(c) + " " + colorText(window));
}
