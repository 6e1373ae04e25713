#include "tests/support/recording_canvas.h"

#include <cstdio>

#include "format/text.h"

std::string colorText(Color c) {
  if (c == kNoColor) return "none";
  char buf[16];
  std::snprintf(buf, sizeof buf, "#%02X%02X%02X", c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
  return buf;
}

std::string rectText(Rect r) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%d,%d,%d,%d", r.left, r.top, r.right, r.bottom);
  return buf;
}

// `format` holds up to two %s: the rectangle, then the colour; `tail` follows.
void RecordingCanvas::add(const char* format, Rect r, Color c, const std::string& tail) {
  char buf[160];
  std::snprintf(buf, sizeof buf, format, rectText(r).c_str(), colorText(c).c_str());
  lines.push_back(buf + tail);
}

void RecordingCanvas::gradientBar(Rect r, double fraction, Color from, Color to) {
  char f[32];
  std::snprintf(f, sizeof f, " %.4f ", fraction);
  add("bar %s", r, kNoColor, f + colorText(from) + ">" + colorText(to));
}

void RecordingCanvas::roundRect(Rect r, int32_t corner, Color fill, Color outline) {
  add("roundrect %s", r, kNoColor, " " + std::to_string(corner) + " " + colorText(fill) + " " + colorText(outline));
}

void RecordingCanvas::polygon(const Point* points, int32_t count, Color c) {
  std::string s = "polygon";
  for (int32_t i = 0; points && i < count; ++i)
    s += " " + std::to_string(points[i].x) + "," + std::to_string(points[i].y);
  lines.push_back(s + " " + colorText(c));
}

void RecordingCanvas::line(int32_t x0, int32_t y0, int32_t x1, int32_t y1, Color c) {
  lines.push_back("line " + std::to_string(x0) + "," + std::to_string(y0) + " " + std::to_string(x1) + "," +
                  std::to_string(y1) + " " + colorText(c));
}

void RecordingCanvas::text(Rect r, const char16_t* s, FontRole f, Color c, TextFlags flags) {
  static const char* const kFonts[] = {"Title", "Body", "BodyBold", "Small", "Italic"};
  static const char* const kFlags[] = {"right", "center", "vcenter", "single", "end", "path", "wrap", "noprefix"};
  std::string names;
  for (int i = 0; i < 8; ++i)
    if (flags & (1u << i)) names += (names.empty() ? "" : "|") + std::string(kFlags[i]);
  add("text %s ", r, kNoColor,
      std::string(kFonts[static_cast<int>(f) % 5]) + " " + colorText(c) + " '" + textToUtf8(s ? s : u"") +
          "' " + (names.empty() ? "left" : names));
}

int32_t RecordingCanvas::textWidth(const char16_t* s, FontRole f) {
  return s ? static_cast<int32_t>(textLength(s)) * (f == FontRole::Title ? 2 : 1) * charWidth : 0;
}

void RecordingCanvas::icon(Rect r, IconHandle icon) {
  char buf[32];
  std::snprintf(buf, sizeof buf, " %p", icon);
  add("icon %s", r, kNoColor, buf);
}

void RecordingCanvas::glyph(GlyphKind g, int32_t x, int32_t y, int32_t size, Color c, Color window) {
  static const char* const kGlyphs[] = {"folder", "document", "program", "magnifier"};
  lines.push_back(std::string("glyph ") + kGlyphs[static_cast<int>(g) % 4] + " " + std::to_string(x) + "," +
                  std::to_string(y) + " " + std::to_string(size) + " " + colorText(c) + " " + colorText(window));
}

void RecordingCanvas::clipRoundRect(Rect r, int32_t corner) {
  add("cliproundrect %s", r, kNoColor, " " + std::to_string(corner));
}

std::string RecordingCanvas::linesStartingWith(const std::string& prefix) const {
  std::string out;
  for (const std::string& l : lines)
    if (l.compare(0, prefix.size(), prefix) == 0) out += (out.empty() ? "" : "\n") + l;
  return out;
}

std::string RecordingCanvas::lineContaining(const std::string& needle) const {
  for (const std::string& l : lines)
    if (l.find(needle) != std::string::npos) return l;
  return "";
}
