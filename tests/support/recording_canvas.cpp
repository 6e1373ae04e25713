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

namespace {

const char* fontName(FontRole f) {
  switch (f) {
    case FontRole::Title: return "Title";
    case FontRole::Body: return "Body";
    case FontRole::BodyBold: return "BodyBold";
    case FontRole::Small: return "Small";
    case FontRole::Italic: return "Italic";
  }
  return "?";
}

std::string flagsText(TextFlags flags) {
  static const struct {
    TextFlags flag;
    const char* name;
  } kNames[] = {{kTextRight, "right"},     {kTextCenter, "center"},   {kTextVCenter, "vcenter"},
                {kTextSingleLine, "single"}, {kTextEndEllipsis, "end"}, {kTextPathEllipsis, "path"},
                {kTextWordBreak, "wrap"},    {kTextNoPrefix, "noprefix"}};
  std::string out;
  for (const auto& n : kNames) {
    if (!(flags & n.flag)) continue;
    if (!out.empty()) out += '|';
    out += n.name;
  }
  return out.empty() ? "left" : out;
}

const char* glyphName(GlyphKind g) {
  switch (g) {
    case GlyphKind::Folder: return "folder";
    case GlyphKind::Document: return "document";
    case GlyphKind::Program: return "program";
    case GlyphKind::Magnifier: return "magnifier";
  }
  return "?";
}

}  // namespace

void RecordingCanvas::fillRect(Rect r, Color c) {
  lines.push_back("fill " + rectText(r) + " " + colorText(c));
}

void RecordingCanvas::frameRect(Rect r, Color c) {
  lines.push_back("frame " + rectText(r) + " " + colorText(c));
}

void RecordingCanvas::gradientBar(Rect r, double fraction, Color from, Color to) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.4f", fraction);
  lines.push_back("bar " + rectText(r) + " " + buf + " " + colorText(from) + ">" + colorText(to));
}

void RecordingCanvas::roundRect(Rect r, int32_t corner, Color fill, Color outline) {
  lines.push_back("roundrect " + rectText(r) + " " + std::to_string(corner) + " " + colorText(fill) +
                  " " + colorText(outline));
}

void RecordingCanvas::polygon(const Point* points, int32_t count, Color c) {
  std::string s = "polygon";
  for (int32_t i = 0; points && i < count; ++i)
    s += " " + std::to_string(points[i].x) + "," + std::to_string(points[i].y);
  lines.push_back(s + " " + colorText(c));
}

void RecordingCanvas::line(int32_t x0, int32_t y0, int32_t x1, int32_t y1, Color c) {
  lines.push_back("line " + std::to_string(x0) + "," + std::to_string(y0) + " " +
                  std::to_string(x1) + "," + std::to_string(y1) + " " + colorText(c));
}

void RecordingCanvas::text(Rect r, const char16_t* s, FontRole f, Color c, TextFlags flags) {
  lines.push_back("text " + rectText(r) + " " + fontName(f) + " " + colorText(c) + " '" +
                  textToUtf8(s ? s : u"") + "' " + flagsText(flags));
}

int32_t RecordingCanvas::textWidth(const char16_t* s, FontRole f) {
  const int32_t per = f == FontRole::Title ? 2 * charWidth : charWidth;
  return s ? static_cast<int32_t>(textLength(s)) * per : 0;
}

void RecordingCanvas::icon(Rect r, IconHandle icon) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%p", icon);
  lines.push_back("icon " + rectText(r) + " " + buf);
}

void RecordingCanvas::glyph(GlyphKind g, int32_t x, int32_t y, int32_t size, Color c, Color window) {
  lines.push_back(std::string("glyph ") + glyphName(g) + " " + std::to_string(x) + "," +
                  std::to_string(y) + " " + std::to_string(size) + " " + colorText(c) + " " +
                  colorText(window));
}

void RecordingCanvas::clip(Rect r) { lines.push_back("clip " + rectText(r)); }

void RecordingCanvas::clipRoundRect(Rect r, int32_t corner) {
  lines.push_back("cliproundrect " + rectText(r) + " " + std::to_string(corner));
}

void RecordingCanvas::unclip() { lines.push_back("unclip"); }

std::string RecordingCanvas::linesStartingWith(const std::string& prefix) const {
  std::string out;
  for (const std::string& l : lines) {
    if (l.compare(0, prefix.size(), prefix) != 0) continue;
    if (!out.empty()) out += '\n';
    out += l;
  }
  return out;
}

std::string RecordingCanvas::lineContaining(const std::string& needle) const {
  for (const std::string& l : lines)
    if (l.find(needle) != std::string::npos) return l;
  return "";
}
