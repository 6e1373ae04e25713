// What every painter draws on. The painters of the list, the treemap and the
// popup are portable functions over this interface: the panel hands them a
// GdiCanvas over its double buffer, the tests a RecordingCanvas that writes one
// line per call, so every frame of every animation can be checked natively.
#pragma once
#include <cstdint>

// Rectangle in client pixels; right and bottom exclusive for filling.
struct Rect {
  int32_t left;
  int32_t top;
  int32_t right;
  int32_t bottom;
};
inline bool rectIsEmpty(const Rect& r) { return r.right <= r.left || r.bottom <= r.top; }

struct Point {
  int32_t x, y;
};

// A COLORREF: red in the low byte.
typedef uint32_t Color;
// "No colour": no fill or no outline (the stock null pen or hollow brush).
constexpr Color kNoColor = 0xFFFFFFFFu;

// The panel's fonts, by what they are for.
enum class FontRole : uint8_t {
  Title,     // headerFont: the title line
  Body,      // bodyFont: everything else
  BodyBold,  // bodyBoldFont: folder names with BoldFolderNames
  Small,     // smallFont: the treemap's size line
  Italic,    // italicFont: the treemap's Others label
};

// Text options; each is one DrawTextW flag of the same meaning.
enum TextFlag : uint32_t {
  kTextLeft = 0,               // DT_LEFT, DT_TOP
  kTextRight = 1u << 0,        // DT_RIGHT
  kTextCenter = 1u << 1,       // DT_CENTER
  kTextVCenter = 1u << 2,      // DT_VCENTER
  kTextSingleLine = 1u << 3,   // DT_SINGLELINE
  kTextEndEllipsis = 1u << 4,  // DT_END_ELLIPSIS
  kTextPathEllipsis = 1u << 5, // DT_PATH_ELLIPSIS
  kTextWordBreak = 1u << 6,    // DT_WORDBREAK
  kTextNoPrefix = 1u << 7,     // DT_NOPREFIX
};
typedef uint32_t TextFlags;

// An icon as the platform knows it (an HICON); opaque to portable code.
typedef void* IconHandle;

// The four vector glyphs that stand in for shell icons.
enum class GlyphKind : uint8_t { Folder, Document, Program, Magnifier };

struct Canvas {
  virtual ~Canvas() = default;
  virtual void fillRect(Rect r, Color c) = 0;
  // A 1-pixel frame just inside r.
  virtual void frameRect(Rect r, Color c) = 0;
  // The leftmost `fraction` of a left-to-right gradient laid over the whole of r
  // (at least two columns; a fraction of 0 or less draws nothing, above 1 is 1).
  virtual void gradientBar(Rect r, double fraction, Color from, Color to) = 0;
  // Rounded rectangle with a corner ellipse of corner x corner; kNoColor for no
  // fill (hollow brush) or no outline (null pen); the outline is 1 pixel.
  virtual void roundRect(Rect r, int32_t corner, Color fill, Color outline) = 0;
  // A filled polygon whose edge is a 1-pixel pen of the same colour.
  virtual void polygon(const Point* points, int32_t count, Color c) = 0;
  // A 1-pixel line from (x0, y0) to (x1, y1), the end point excluded.
  virtual void line(int32_t x0, int32_t y0, int32_t x1, int32_t y1, Color c) = 0;
  virtual void text(Rect r, const char16_t* s, FontRole f, Color c, TextFlags flags) = 0;
  // Width in pixels of s on one line.
  virtual int32_t textWidth(const char16_t* s, FontRole f) = 0;
  // Draws the icon scaled to r; a null icon draws nothing.
  virtual void icon(Rect r, IconHandle icon) = 0;
  // `window` is the program glyph's window colour; the others ignore it.
  virtual void glyph(GlyphKind g, int32_t x, int32_t y, int32_t size, Color c, Color window) = 0;
  // Drawing is limited to r (or to the rounded rectangle) until unclip().
  virtual void clip(Rect r) = 0;
  virtual void clipRoundRect(Rect r, int32_t corner) = 0;
  virtual void unclip() = 0;
};
