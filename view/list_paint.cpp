#include "view/list_paint.h"

#include "draw/colors.h"
#include "format/number_format.h"
#include "format/text.h"
#include "scan/scan_progress.h"
#include "treemap/hover_popup.h"
#include "treemap/treemap_paint.h"

double hoverFlash(uint32_t elapsed) {
  if (elapsed >= 450) return 0.0;
  const double t = 1.0 - elapsed / 450.0;
  return t * t;
}

ScrollRange panelScrollRange(const PanelView& v) {
  const VerticalBands bands = layoutBands(v.metrics, v.view && v.view->treemapView);
  return computeScrollRange(v.metrics, bands.listTop, v.scanRunning ? 0 : v.visibleCount,
                            v.clientHeight, v.view ? v.view->scrollOffset : 0);
}

namespace {

constexpr TextFlags kLine = kTextSingleLine | kTextNoPrefix;
constexpr TextFlags kCentredLine = kTextSingleLine | kTextVCenter | kTextNoPrefix;
constexpr Color kDebugOnDark = 0x0040B0FF;   // RGB(255, 176, 64)
constexpr Color kDebugOnLight = 0x000060AF;  // RGB(175, 96, 0)

const char16_t* orEmpty(const char16_t* s) { return s ? s : u""; }

Rect makeRect(int32_t l, int32_t t, int32_t r, int32_t b) { return Rect{l, t, r, b}; }

// What every step shares: the inputs, the scale and the derived colours.
struct Paint {
  Canvas& c;
  const PanelView& v;
  const PanelSettings& s;
  const ColorSet& col;
  const ViewState& view;
  const LayoutMetrics& m;
  NumberStyle style;
  bool dark;
  int32_t W, H;
  int32_t S(int32_t units) const { return layoutScale(m, units); }
  Color shiftedBack(int32_t delta) const { return shiftColor(col.backgroundColor, dark ? delta : -delta); }
};

// The summary at the right of the path line; empty while the scan runs.
void composeSummary(const Paint& p, char16_t* buf, size_t cap) {
  textCopy(buf, cap, u"");
  if (p.v.scanRunning) return;
  if (p.v.targetAccessDenied) {
    textCopy(buf, cap, u"Access Denied");
    return;
  }
  if (p.view.showTopFiles) {
    uint64_t sum = 0;
    for (int32_t i = 0; p.v.visibleRows && i < p.v.visibleCount; ++i)
      if (p.v.visibleRows[i]) sum += p.v.visibleRows[i]->size;
    const NumberStyle autoUnit{p.style.thousandsSeparator, p.style.decimalSeparator, kSizeDisplayAuto};
    char16_t size[64], count[32];
    formatSize(autoUnit, sum, size, 64, true);
    formatCount(p.style, p.v.visibleCount, count, 32);
    textFormat(buf, cap, u"%s  \u2022  %s %s", size, count, p.v.visibleCount == 1 ? u"File" : u"Files");
    return;
  }
  formatScanSummary(p.style.thousandsSeparator, p.style.decimalSeparator, kSizeDisplayAuto,
                    p.v.totalSize, p.v.filesCounted, p.v.foldersCounted, buf, cap);
}

void paintDebugLines(const Paint& p, const VerticalBands& bands) {
  if (!bands.hasDebugLines) return;
  const Color ink = p.dark ? kDebugOnDark : kDebugOnLight;
  char16_t line1[750], line2[620], line3[420];
  textFormat(line1, 750, u"[DEBUG] %s  |  %s", p.s.configDiagLine, orEmpty(p.v.everythingStatusLine));
  textFormat(line2, 620, u"[DEBUG] %s", orEmpty(p.v.scanDetailLine));
  textFormat(line3, 420, u"[DEBUG] %s", orEmpty(p.v.exeIconFailLine));
  const char16_t* lines[3] = {line1, line2, line3};
  for (int i = 0; i < 3; ++i)
    p.c.text(makeRect(p.S(16), bands.debugTop[i], p.W - p.S(16), bands.debugBottom[i]), lines[i],
             FontRole::Body, ink, kLine | kTextEndEllipsis);
}

void paintProgress(const Paint& p, int32_t listTop) {
  p.c.text(makeRect(p.S(16), listTop, p.W - p.S(16), listTop + p.S(40)),
           u"Scanning file system tree asynchronously...", FontRole::Body, p.col.textColor, kLine);
  char16_t line[160];
  formatDiscoveredLine(p.style.thousandsSeparator, p.v.filesCounted, p.v.foldersCounted, line, 160);
  p.c.text(makeRect(p.S(16), listTop + p.S(30), p.W - p.S(16), listTop + p.S(60)), line,
           FontRole::Body, p.col.metaColor, kLine);
}

void paintControls(const Paint& p, PaintResults& out) {
  const TopControls tc = layoutTopControls(p.m, p.W);
  out.controlsLaidOut = 1;
  out.topFilesToggleRect = tc.topFilesToggle;
  out.treemapButtonRect = tc.treemapButton;
  p.c.fillRect(tc.checkSquare, p.view.showTopFiles ? p.col.headerColor : p.shiftedBack(40));
  char16_t label[48];
  textFormat(label, 48, u"Top %d Files", p.s.maxTopFiles);
  p.c.text(tc.toggleLabel, label, FontRole::Body, p.col.topFilesLabelColor, kCentredLine);

  p.c.fillRect(tc.treemapButton, p.shiftedBack(20));
  for (int k = 0; k < 4; ++k)
    p.c.fillRect(tc.glyphCells[k], blendColor(p.col.treeMapColor, p.col.backgroundColor, 0.15 + 0.22 * k));
  if (p.view.treemapView) p.c.frameRect(tc.treemapButton, p.col.treeMapColor);

  if (p.v.hasSearchEdit) {
    const Rect f = p.v.searchFrameRect;
    p.c.frameRect(makeRect(f.left - 1, f.top - 1, f.right + 1, f.bottom + 1), p.s.searchBorderColor);
  }
}

// Widths of the files and size columns, through the cache when there is one.
int32_t measureBody(void* context, const char16_t* text, int32_t length) {
  char16_t buf[96];
  textCopyN(buf, 96, text, length > 0 ? static_cast<size_t>(length) : 0);
  return static_cast<Canvas*>(context)->textWidth(buf, FontRole::Body);
}

ColumnWidths columnWidths(const Paint& p) {
  ColumnWidthInputs in{};
  in.rows = p.v.visibleRows;
  in.count = p.v.visibleRows ? p.v.visibleCount : 0;
  in.style = p.style;
  in.everythingLabel = p.s.everythingLabel;
  in.showTopFiles = p.view.showTopFiles ? 1 : 0;
  in.fontKey = p.v.bodyFontKey;
  in.rowsGeneration = p.v.rowsGeneration;
  return cachedColumnWidths(p.v.columnWidths, p.m, in, measureBody, &p.c);
}

const char16_t* headerLabel(const Paint& p, int column, char16_t* buf, size_t cap) {
  switch (column) {
    case 0: return u"Ext";
    case 1: return u"Name";
    case 2: return u"# Files";
    case 3:
      if (p.s.sizeDisplay == kSizeDisplayAuto) return u"Size";
      textFormat(buf, cap, u"Size (%s)", sizeUnitName(p.s.sizeDisplay));
      return buf;
    default: return u"%";
  }
}

void paintHeader(const Paint& p, const VerticalBands& bands, const RowColumns& cols, PaintResults& out) {
  const int32_t top = bands.headerTop, bottom = bands.headerBottom;
  p.c.fillRect(makeRect(p.S(16), top, p.W - p.S(16), bottom), p.col.headerBarColor);
  const Color lineColor = shiftColor(p.col.headerBarColor, colorIsDark(p.col.headerBarColor) ? 40 : -40);
  Rect* cells = out.headerCellRects;
  layoutHeaderCells(bands, cols, p.view.showTopFiles != 0, cells);
  int visible[kHeaderColumns];
  int count = 0;
  for (int col = 0; col < kHeaderColumns; ++col)
    if (!(p.view.showTopFiles && col == kHeaderFilesColumn)) visible[count++] = col;

  for (int i = 0; i + 1 < count; ++i) {
    const int32_t x = cells[visible[i]].right;
    p.c.fillRect(makeRect(x, top + p.S(4), x + p.S(1), bottom - p.S(4)), lineColor);
  }
  p.c.fillRect(makeRect(p.S(16), top, p.W - p.S(16), top + p.S(1)), lineColor);
  p.c.fillRect(makeRect(p.S(16), bottom - p.S(1), p.W - p.S(16), bottom), lineColor);
  for (int i = 0; i < count; ++i) {
    const int col = visible[i];
    if (col != p.view.sortColumn && col != p.view.hoverHeader) continue;
    p.c.fillRect(makeRect(cells[col].left, top + p.S(1), cells[col].right, bottom - p.S(1)),
                 p.col.headerActiveColor);
  }

  for (int i = 0; i < count; ++i) {
    const int col = visible[i];
    Rect r = cells[col];
    const bool leftAligned = col < 2;
    if (col == 0) r.left += p.S(4);
    else if (col == 1) r.left += p.S(2);
    else r.right -= p.S(4);
    if (col == p.view.sortColumn) {
      if (leftAligned) r.right -= p.S(14);
      else r.left += p.S(14);
    }
    char16_t buf[32];
    p.c.text(r, headerLabel(p, col, buf, 32), FontRole::Body, p.col.fileColor,
             kCentredLine | (leftAligned ? 0u : static_cast<uint32_t>(kTextRight)));
  }

  const int sc = p.view.sortColumn;
  if (sc < 0 || sc >= kHeaderColumns || (p.view.showTopFiles && sc == kHeaderFilesColumn)) return;
  const int32_t a = p.S(4);
  const int32_t x = sc < 2 ? cells[sc].right - p.S(10) : cells[sc].left + p.S(7);
  const int32_t y = (top + bottom) / 2;
  Point tri[3];
  if (p.view.sortDescending) {
    tri[0] = Point{x - a, y - a};
    tri[1] = Point{x + a, y - a};
    tri[2] = Point{x, y + a};
  } else {
    tri[0] = Point{x - a, y + a};
    tri[1] = Point{x + a, y + a};
    tri[2] = Point{x, y - a};
  }
  p.c.polygon(tri, 3, p.col.fileColor);
}

// ".exe" or ".lnk" as the name's last extension, in any case.
bool isProgramName(const char16_t* name) {
  const size_t n = textLengthBounded(name, kNameUnits);
  if (n < 4 || name[n - 4] != u'.') return false;
  char16_t ext[4] = {textFoldCase(name[n - 3]), textFoldCase(name[n - 2]), textFoldCase(name[n - 1]), 0};
  return textEquals(ext, u"exe") || textEquals(ext, u"lnk");
}

void paintIcon(const Paint& p, const ScanItem& item, const Rect& square) {
  const int32_t edge = p.S(p.m.iconSize);
  if (!p.s.colorIcons) {
    if (item.isFolder)
      p.c.glyph(GlyphKind::Folder, square.left, square.top, edge, p.col.folderColor, p.col.backgroundColor);
    else if (isProgramName(item.name))
      p.c.glyph(GlyphKind::Program, square.left, square.top, edge, p.col.fileColor, p.col.backgroundColor);
    else
      p.c.glyph(GlyphKind::Document, square.left, square.top, edge, p.col.fileColor, p.col.backgroundColor);
  } else if (p.v.iconFor) {
    IconHandle icon = p.v.iconFor(p.v.iconContext, item);
    if (icon) p.c.icon(square, icon);
  }
  if (p.s.everythingLabel == kEverythingLabelOverlay && item.isFolder && !item.isLink &&
      !item.accessDenied && item.fromEverything) {
    const int32_t o = p.s.everythingOverlayIconSize;
    const int32_t x = square.left + (edge - o) / 2, y = square.top + (edge - o) / 2;
    if (p.v.everythingOverlayIcon)
      p.c.icon(makeRect(x, y, x + o, y + o), p.v.everythingOverlayIcon);
    else
      p.c.glyph(GlyphKind::Magnifier, x, y, o, 0, 0);
  }
}

void paintRow(const Paint& p, const RowColumns& cols, const ScanItem& item, int32_t top, double k,
              Color hoverText) {
  const double share = p.v.totalSize ? static_cast<double>(item.size) / static_cast<double>(p.v.totalSize) : 0.0;
  double barShare = share;
  if (p.s.barScaleLargest)
    barShare = p.v.maxVisibleSize ? static_cast<double>(item.size) / static_cast<double>(p.v.maxVisibleSize) : 0.0;

  // The files-column text decides where the name ends, so it comes first.
  char16_t files[64];
  const FilesColumnKind kind =
      item.isFolder ? listFilesColumnText(item, p.style, p.s.everythingLabel, files, 64) : kFilesColumnNone;
  int32_t reserved = 0;
  if (kind == kFilesColumnText) reserved = p.c.textWidth(files, FontRole::Body);
  else if (kind == kFilesColumnIconSlot) reserved = p.s.everythingLabelIconSize + p.S(10);
  const RowGeometry g = layoutRow(p.m, cols, top, reserved);

  Color barFrom = p.col.barStartColor, barTo = p.col.barEndColor;
  if (p.s.fancyBar && k > 0) {
    barFrom = blendColor(barFrom, p.col.headerColor, 0.55 * k);
    barTo = blendColor(barTo, p.col.headerColor, 0.55 * k);
  }
  if (barShare > 0) p.c.gradientBar(g.bar, barShare, barFrom, barTo);
  const double q = p.s.fancyText && k > 0 ? 0.65 * k : 0.0;

  paintIcon(p, item, g.icon);

  const TextFlags nameFlags = kCentredLine | kTextEndEllipsis;
  if (!item.isFolder) {
    p.c.text(g.name, item.name, FontRole::Body, blendColor(p.col.fileColor, hoverText, q), nameFlags);
  } else {
    char16_t name[kNameUnits + 2];
    if (p.s.dirBrackets) textFormat(name, kNameUnits + 2, u"[%s]", item.name);
    else textCopy(name, kNameUnits + 2, item.name);
    p.c.text(g.name, name, p.s.boldFolderNames ? FontRole::BodyBold : FontRole::Body,
             blendColor(p.col.folderColor, hoverText, q), nameFlags);
    if (reserved > 0 && !rectIsEmpty(g.filesText)) {
      if (kind == kFilesColumnText) {
        p.c.text(g.filesText, files, FontRole::Body, blendColor(p.col.metaColor, hoverText, q), kCentredLine);
      } else {
        const int32_t e = p.s.everythingLabelIconSize;
        const int32_t x = g.name.right + p.S(6);
        const int32_t y = top + (p.S(p.m.rowHeight) - p.S(3) - e) / 2;
        if (p.v.everythingLabelIcon) p.c.icon(makeRect(x, y, x + e, y + e), p.v.everythingLabelIcon);
        else p.c.glyph(GlyphKind::Magnifier, x, y, e, 0, 0);
      }
    }
  }

  const Color meta = blendColor(p.col.metaColor, hoverText, q);
  char16_t size[64], number[48], percent[64];
  listSizeText(p.style, item.size, size, 64);
  p.c.text(g.size, size, FontRole::Body, meta, kCentredLine | kTextRight);
  formatDecimal(p.style, share * 100.0, 1, number, 48);
  textFormat(percent, 64, u"(%s%%)", number);
  p.c.text(g.percent, percent, FontRole::Body, meta, kCentredLine | kTextRight);
}

void paintList(const Paint& p, const VerticalBands& bands, PaintResults& out, uint32_t now) {
  const ColumnWidths widths = columnWidths(p);
  out.listLaidOut = 1;
  out.sizeColumnWidth = widths.sizeWidth;
  const RowColumns cols = layoutRowColumns(p.m, p.W, p.view.scrollMax, widths.filesWidth, widths.sizeWidth);
  const Color hoverText = shiftColor(p.col.headerColor, p.dark ? 45 : 80);
  for (int col = 0; col < kHeaderColumns; ++col) out.headerCellRects[col] = Rect{-1, -1, -1, -1};
  if (bands.hasHeader) paintHeader(p, bands, cols, out);

  const int32_t L = bands.listTop;
  const int32_t xr = contentRight(p.m, p.W, p.view.scrollMax);
  p.c.clip(makeRect(p.S(16), L, xr + p.S(8), p.H));
  const int32_t pitch = rowPitch(p.m);
  const int32_t drawn = pitch - p.S(3);
  // Rows above the list top are never visited: start one row before the
  // first whose top reaches it.
  int32_t first = pitch > 0 && p.view.scrollOffset > 0 ? p.view.scrollOffset / pitch - 1 : 0;
  if (first < 0) first = 0;
  for (int32_t i = first; p.v.visibleRows && i < p.v.visibleCount; ++i) {
    const int32_t top = rowTop(p.m, L, p.view.scrollOffset, i);
    if (top >= p.H) break;
    if (top + drawn <= L) continue;
    const ScanItem* item = p.v.visibleRows[i];
    if (!item) continue;
    double k = 0.0;
    if ((p.s.fancyBar || p.s.fancyText) && i == p.view.hoverRow) k = hoverFlash(now - p.view.hoverStartTick);
    paintRow(p, cols, *item, top, k, hoverText);
  }
  p.c.unclip();

  const ScrollbarGeometry bar =
      layoutScrollbar(p.m, p.W, p.H, L, p.v.visibleCount, p.view.scrollOffset, p.view.scrollMax);
  if (bar.shown) {
    p.c.fillRect(bar.track, p.shiftedBack(15));
    p.c.fillRect(bar.thumb, p.shiftedBack(60));
  }
}

// The treemap view's area: the treemap painter and its popup draw here.
// A new visible set (by identity and order) starts the pop-in with this very
// frame; the window stores the signature and starts the animation's timer.
void paintTreemapView(const Paint& p, const Rect& area, PaintResults& out, uint32_t now) {
  TreemapLayoutState* layout = p.v.treemap;
  if (!layout) return;
  uint32_t popAnimating = p.view.popAnimating;
  uint32_t popStartTick = p.view.popStartTick;
  if (p.s.fancyPop) {
    const uint64_t signature = treemapRowsSignature(p.v.visibleRows, p.v.visibleCount);
    if (!p.view.popSignatureValid || signature != p.view.popSignature) {
      out.popRestart = 1;
      out.popSignature = signature;
      popAnimating = 1;
      popStartTick = now;
    }
  }
  layoutTreemapIfChanged(layout, p.v.visibleRows, p.v.visibleCount, p.v.rowsGeneration,
                         p.m.dpiScalePercent, area.left, area.top, area.right, area.bottom);

  TreemapPaintInput in{};
  in.layout = layout;
  in.style = treemapStyleOf(p.s);
  in.hoverCell = p.view.hoverCell;
  in.hoverStartTick = p.view.hoverStartTick;
  in.popAnimating = popAnimating;
  in.popStartTick = popStartTick;
  // With coloured icons off every cell gets its glyph.
  in.iconFor = p.s.colorIcons ? p.v.iconFor : nullptr;
  in.iconContext = p.v.iconContext;
  paintTreemap(p.c, in, now);

  const HoverPopupInput popup{layout, in.style, p.view.hoverCell, p.view.hoverX, p.view.hoverY};
  paintHoverPopup(p.c, popup, makeRect(0, 0, p.W, p.H));
}

void paintTooltip(const Paint& p, const Rect& button) {
  const int32_t w = p.c.textWidth(u"TreeMap", FontRole::Body);
  const int32_t boxW = w + 2 * p.S(8);
  const int32_t boxH = p.S(p.m.bodyTextHeight) + p.S(6);
  int32_t left = button.right - boxW;
  if (left < p.S(16)) left = p.S(16);
  const int32_t top = button.bottom + p.S(6);
  const Rect box = makeRect(left, top, button.right, top + boxH);
  const Color fill = p.shiftedBack(35);
  p.c.roundRect(box, p.S(5), fill, shiftColor(fill, -45));
  p.c.text(box, u"TreeMap", FontRole::Body, p.col.textColor, kCentredLine | kTextCenter);
}

}  // namespace

PaintResults paintPanel(Canvas& c, const PanelView& v, uint32_t now) {
  PaintResults out{};
  if (!v.settings || !v.view) return out;
  const PanelSettings& s = *v.settings;
  Paint p{c, v, s, s.colors, *v.view, v.metrics, numberStyleOf(s), colorIsDark(s.colors.backgroundColor),
          v.clientWidth, v.clientHeight};
  if (p.W <= 0 || p.H <= 0) return out;
  const ViewState& view = *v.view;
  const VerticalBands bands = layoutBands(p.m, view.treemapView != 0);

  c.fillRect(makeRect(0, 0, p.W, p.H), p.col.backgroundColor);
  c.text(titleRect(p.m, p.W), u"Morvane Storage Analysis", FontRole::Title, p.col.headerColor, kLine);

  char16_t summary[200];
  composeSummary(p, summary, 200);
  const int32_t xr = contentRight(p.m, p.W, view.scrollMax);
  const int32_t summaryWidth = summary[0] ? c.textWidth(summary, FontRole::Body) : 0;
  int32_t limit = summaryWidth > 0 ? xr - (summaryWidth + p.S(10)) : p.W - p.S(260);
  if (limit < p.W / 2) limit = p.W / 2;
  c.text(makeRect(p.S(16), bands.pathTop, limit - p.S(10), bands.pathBottom), orEmpty(v.targetPath),
         FontRole::Body, p.col.metaColor, kLine | kTextPathEllipsis);

  paintDebugLines(p, bands);

  if (v.scanRunning) {
    paintProgress(p, bands.listTop);
  } else {
    paintControls(p, out);
    c.text(makeRect(limit, bands.pathTop, xr, bands.pathBottom), summary, FontRole::Body, p.col.metaColor,
           kLine | kTextRight);
    if (v.targetAccessDenied)
      c.text(makeRect(p.S(16), bands.listTop, p.W - p.S(16), bands.listTop + p.S(40)),
             u"Windows is denying access to this folder's contents (not Morvane) - some system folders "
             u"are protected this way by design.",
             FontRole::Body, p.col.metaColor, kTextWordBreak | kTextNoPrefix);
    if (!view.treemapView) {
      paintList(p, bands, out, now);
    } else {
      const TreemapArea area = layoutTreemapArea(p.m, bands.listTop, p.W, p.H);
      if (area.hasArea) paintTreemapView(p, area.rect, out, now);
    }
  }

  if (view.treemapButtonHover)
    paintTooltip(p, out.controlsLaidOut ? out.treemapButtonRect : view.treemapButtonRect);
  return out;
}
