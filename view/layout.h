// Panel geometry: every rectangle the panel paints or hit-tests is computed
// here, from the panel's metrics and the client size, so that the paint, the
// mouse handling and the search box can never disagree about where things are.
//
// Design lengths are 96-dpi layout units; S(v) turns them into pixels with the
// rounding of Win32 MulDiv (halves away from zero). A sum of units is scaled as
// a whole, S(T + 16), never S(T) + S(16): the functions below do it that way, so
// callers should take the finished pixel values rather than re-deriving them.
//
// Everything here is pure arithmetic on plain records. Text measuring is the one
// platform service it needs, and it comes in as a callback (GetTextExtentPoint32W
// on the body font in the panel, a fixed-width stand-in in tests).
#pragma once
#include <cstddef>
#include <cstdint>

#include "draw/canvas.h"
#include "format/muldiv.h"
#include "format/number_format.h"
#include "scan/scan_item.h"

// Rectangle in client pixels; right and bottom exclusive for filling.
typedef Rect LayoutRect;

// The panel-record fields the geometry reads. All lengths are 96-dpi units
// except where noted; each member names the record field that feeds it.
struct LayoutMetrics {
  int32_t dpiScalePercent;   // dpiScalePercent (screen DPI * 100 / 96)
  int32_t headerTextHeight;  // headerTextHeight, T: character height of the title font
  int32_t bodyTextHeight;    // bodyTextHeight, F: character height of the body font
  int32_t rowHeight;         // rowHeight, R: row pitch (at least 18)
  int32_t iconColumnWidth;   // iconColumnWidth, C
  int32_t iconSize;          // iconSize, I: icon edge
  int32_t searchBoxWidth;    // searchBoxWidth
  int32_t searchBoxHeight;   // searchBoxHeight
  int32_t titleWidth;        // titleWidth: "Morvane Storage Analysis" in the title font
  int32_t showHeaders;       // showHeaders (Display/Headers), 0/1
  int32_t everythingDebug;   // everythingDebug: the three diagnostic lines are shown, 0/1
};

// S(v): layout units to pixels at the panel's scale.
int32_t layoutScale(const LayoutMetrics& m, int32_t units);

// ---------------------------------------------------------------------------
// 1. Vertical bands (pixels). The header band is present only with showHeaders
// in the list view; the diagnostic bands only with everythingDebug.
struct VerticalBands {
  int32_t titleTop, titleBottom;
  int32_t pathTop, pathBottom;  // path and summary line
  int32_t hasDebugLines;
  int32_t debugTop[3], debugBottom[3];  // 0 when hasDebugLines is 0
  int32_t hasHeader;
  int32_t headerTop, headerBottom;  // 0 when hasHeader is 0
  int32_t listTop;                  // L: top of the list or treemap area
};
VerticalBands layoutBands(const LayoutMetrics& m, bool treemapView);

// ---------------------------------------------------------------------------
// 2. Horizontal frame. X0 is the content's left edge; Xr its right edge, which
// gives up a scrollbar strip while the rows overflow (scrollMax > 0).
int32_t contentLeft(const LayoutMetrics& m);
int32_t contentRight(const LayoutMetrics& m, int32_t clientWidth, int32_t scrollMax);
LayoutRect titleRect(const LayoutMetrics& m, int32_t clientWidth);

// ---------------------------------------------------------------------------
// 3. Top-right controls. Glyph cells are indexed row * 2 + column: top-left,
// top-right, bottom-left, bottom-right (the order they are filled in).
struct TopControls {
  LayoutRect topFilesToggle;  // store as topFilesToggleRect
  LayoutRect checkSquare;
  LayoutRect toggleLabel;
  LayoutRect treemapButton;  // store as treemapButtonRect
  LayoutRect glyphCells[4];
};
TopControls layoutTopControls(const LayoutMetrics& m, int32_t clientWidth);

// ---------------------------------------------------------------------------
// 4. Search box placement (creation and every resize, only when the edit exists).
// The edit and the clear button are the two child windows' rectangles; on a
// box too small to hold them their width or height is 0, never negative.
struct SearchBoxPlacement {
  LayoutRect frame;  // store as searchFrameRect
  LayoutRect edit;
  LayoutRect clearButton;
};
SearchBoxPlacement layoutSearchBox(const LayoutMetrics& m, int32_t clientWidth);

// ---------------------------------------------------------------------------
// 5. Row columns of the list view, in pixels. filesWidth (Wf) is 0 in the
// top-files mode; then the files column has no width and the name column runs
// to filesRight.
struct RowColumns {
  int32_t iconLeft, iconRight;
  int32_t nameLeft, nameRight;
  int32_t filesLeft, filesRight;
  int32_t sizeLeft, sizeRight;
  int32_t percentLeft, percentRight;
};
RowColumns layoutRowColumns(const LayoutMetrics& m, int32_t clientWidth, int32_t scrollMax,
                            int32_t filesWidth, int32_t sizeWidth);

// What the files column shows for one row; the paint and the width measuring
// both use this, so the measured text is the drawn text.
enum FilesColumnKind : int32_t {
  kFilesColumnNone = 0,      // files, and folders of unknown count without a label
  kFilesColumnText = 1,      // the text written into the buffer
  kFilesColumnIconSlot = 2,  // everythingLabel 2: the Everything icon instead of text
};
// Writes "  [Link]", "  [Access Denied]", "  [%s %s]" (count, "File"/"Files") or
// "  [Everything]" into buf (empty for the other kinds). Files get nothing.
FilesColumnKind listFilesColumnText(const ScanItem& item, const NumberStyle& style,
                                    int32_t everythingLabel, char16_t* buf, size_t cap);
// The size text of a list row: the automatic unit (with its unit) in Auto,
// otherwise the fixed unit's number alone; the header carries "Size (%s)".
size_t listSizeText(const NumberStyle& style, uint64_t bytes, char16_t* buf, size_t cap);

// Text measuring: the width in pixels of `length` units of `text` in the body
// font. `context` is the caller's (a device context, a test stand-in).
typedef int32_t (*MeasureTextFn)(void* context, const char16_t* text, int32_t length);

// What the files- and size-column widths depend on.
struct ColumnWidthInputs {
  const ScanItem* const* rows;  // visibleRows
  int32_t count;                // visibleCount
  NumberStyle style;            // separators and sizeDisplay
  int32_t everythingLabel;      // everythingLabel (0 off, 1 on, 2 icon, 3 overlay)
  int32_t showTopFiles;         // top-files mode: no files column
  // Identifies the body font for the cache (e.g. the HFONT's value): measuring
  // is redone when it changes. The measure context (a per-paint DC) is not
  // part of the key.
  uint64_t fontKey;
  // Bump when row records change in place (same pointers, new sizes or
  // counts); a new set of pointers is noticed without it.
  uint64_t rowsGeneration;
};

struct ColumnWidths {
  int32_t filesWidth;  // Wf
  int32_t sizeWidth;   // Ws, store as sizeColumnWidth
};

// Measures every visible row: Wf = max(S(70), widest files text + S(4)) (0 in
// the top-files mode), Ws = max(S(85), widest size text + S(4)).
ColumnWidths measureColumnWidths(const LayoutMetrics& m, const ColumnWidthInputs& in,
                                 MeasureTextFn measure, void* context);

// The measured widths of the last call, keyed by the set of visible rows and
// everything else the widths depend on. Zero-initialise it with the panel.
struct ColumnWidthKey {
  uint64_t rowsSum, rowsXor;  // order-independent digest of the row pointers
  int32_t count;
  NumberStyle style;
  int32_t everythingLabel;
  int32_t showTopFiles;
  int32_t dpiScalePercent;
  uint64_t fontKey;
  uint64_t rowsGeneration;
  MeasureTextFn measure;
};
struct ColumnWidthCache {
  int32_t valid;
  ColumnWidthKey key;
  ColumnWidths widths;
  uint32_t measuredCount;  // how often the rows were really measured (diagnostics)
};
// The widths of measureColumnWidths, measuring only when the inputs changed.
// Checking costs one pass over the row pointers (no text is formatted or
// measured), so a repaint of an unchanged list measures nothing.
ColumnWidths cachedColumnWidths(ColumnWidthCache* cache, const LayoutMetrics& m,
                                const ColumnWidthInputs& in, MeasureTextFn measure,
                                void* context);

// ---------------------------------------------------------------------------
// 6. The inside of a row whose top is rowTop. filesTextWidth is the reserved
// width r of the row's files-column text (its measured width, or for the icon
// slot everythingLabelIconSize + S(10); 0 when it shows nothing).
struct RowGeometry {
  int32_t top, drawnBottom;  // drawn height S(R) - S(3)
  LayoutRect icon;
  LayoutRect bar;
  LayoutRect name;       // ends where the files text starts, unless that ends it before it begins
  LayoutRect filesText;  // from the name's end to sizeLeft - S(20); empty when r is 0 or it does not fit
  LayoutRect size;
  LayoutRect percent;
};
RowGeometry layoutRow(const LayoutMetrics& m, const RowColumns& cols, int32_t rowTop,
                      int32_t filesTextWidth);

// ---------------------------------------------------------------------------
// 7. Column header cells, indexed by logical column 0 "Ext", 1 "Name",
// 2 "# Files", 3 "Size", 4 "%". In the top-files mode cell 2 is (-1,-1,-1,-1).
// Only meaningful when bands.hasHeader.
constexpr int kHeaderColumns = 5;
constexpr int kHeaderFilesColumn = 2;
void layoutHeaderCells(const VerticalBands& bands, const RowColumns& cols, bool showTopFiles,
                       LayoutRect cells[kHeaderColumns]);

// ---------------------------------------------------------------------------
// 8. Rows and their hit test.
int32_t rowPitch(const LayoutMetrics& m);  // S(R)
int32_t rowTop(const LayoutMetrics& m, int32_t listTop, int32_t scrollOffset, int32_t index);
// Index of the visible row under y, or -1 above the list or past the last row.
int32_t rowIndexAt(const LayoutMetrics& m, int32_t listTop, int32_t scrollOffset,
                   int32_t visibleCount, int32_t y);

// ---------------------------------------------------------------------------
// 9. Scroll range: recompute on resize, creation, scan end and every change of
// the visible rows. The returned offset is the given one clamped to the range.
struct ScrollRange {
  int32_t scrollMax;
  int32_t scrollOffset;
  int64_t contentHeight;  // Hc
};
ScrollRange computeScrollRange(const LayoutMetrics& m, int32_t listTop, int32_t visibleCount,
                               int32_t clientHeight, int32_t scrollOffset);

// 10. Scrollbar, shown only while scrollMax > 0; otherwise `shown` is 0 and the
// thumb is empty.
struct ScrollbarGeometry {
  int32_t shown;
  LayoutRect track;
  LayoutRect thumb;
};
ScrollbarGeometry layoutScrollbar(const LayoutMetrics& m, int32_t clientWidth,
                                  int32_t clientHeight, int32_t listTop, int32_t visibleCount,
                                  int32_t scrollOffset, int32_t scrollMax);

// 11. Treemap area; draw it only when hasArea is 1 (positive width and height).
struct TreemapArea {
  int32_t hasArea;
  LayoutRect rect;
};
TreemapArea layoutTreemapArea(const LayoutMetrics& m, int32_t listTop, int32_t clientWidth,
                              int32_t clientHeight);
