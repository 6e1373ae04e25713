#include "view/layout.h"

#include "format/text.h"

namespace {

int32_t clampToInt32(int64_t v) {
  if (v > INT32_MAX) return INT32_MAX;
  if (v < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(v);
}

int32_t maxOf(int32_t a, int32_t b) { return a > b ? a : b; }

LayoutRect rect(int32_t l, int32_t t, int32_t r, int32_t b) { return LayoutRect{l, t, r, b}; }

// Top of the top-right band: a fixed 26 units for tiny title fonts.
int32_t topBandBottom(const LayoutMetrics& m) {
  const int32_t T = m.headerTextHeight;
  return layoutScale(m, T < 6 ? 26 : T + 7);
}

}  // namespace

int32_t layoutScale(const LayoutMetrics& m, int32_t units) {
  return mulDiv(units, m.dpiScalePercent, 100);
}

VerticalBands layoutBands(const LayoutMetrics& m, bool treemapView) {
  const int32_t T = m.headerTextHeight;
  const int32_t F = m.bodyTextHeight;
  VerticalBands b{};
  b.titleTop = layoutScale(m, 10);
  b.titleBottom = layoutScale(m, T + 10);
  b.pathTop = layoutScale(m, T + 16);
  b.pathBottom = layoutScale(m, T + F + 16);
  int32_t base = T + F + 16;  // B
  if (m.everythingDebug) {
    b.hasDebugLines = 1;
    for (int i = 0; i < 3; ++i) {
      b.debugTop[i] = layoutScale(m, T + (i + 1) * F + 19 + i);
      b.debugBottom[i] = layoutScale(m, T + (i + 2) * F + 19 + i);
    }
    base = T + 4 * F + 21;
  }
  if (m.showHeaders && !treemapView) {
    b.hasHeader = 1;
    b.headerTop = layoutScale(m, base + 5);
    b.headerBottom = layoutScale(m, base + F + 11);
    b.listTop = layoutScale(m, base + F + 15);
  } else {
    b.listTop = layoutScale(m, base + 5);
  }
  return b;
}

int32_t contentLeft(const LayoutMetrics& m) { return layoutScale(m, 16); }

int32_t contentRight(const LayoutMetrics& m, int32_t clientWidth, int32_t scrollMax) {
  int32_t right = clientWidth - layoutScale(m, 16);
  if (scrollMax > 0) right -= layoutScale(m, 12);
  return right;
}

LayoutRect titleRect(const LayoutMetrics& m, int32_t clientWidth) {
  return rect(layoutScale(m, 16), layoutScale(m, 10), clientWidth - layoutScale(m, 180),
              layoutScale(m, m.headerTextHeight + 10));
}

TopControls layoutTopControls(const LayoutMetrics& m, int32_t clientWidth) {
  TopControls c{};
  const int32_t W = clientWidth;
  LayoutRect& t = c.topFilesToggle;
  t = rect(W - layoutScale(m, 150), layoutScale(m, 12), W - layoutScale(m, 16), topBandBottom(m));

  const int32_t side = layoutScale(m, 14);
  const int32_t checkTop = t.top + (t.bottom - side - t.top) / 2;
  c.checkSquare = rect(t.left, checkTop, t.left + side, checkTop + side);
  c.toggleLabel = rect(t.left + layoutScale(m, 20), t.top, t.right, t.bottom);

  const int32_t b = layoutScale(m, m.searchBoxHeight) - 2 * layoutScale(m, 3);
  LayoutRect& btn = c.treemapButton;
  btn.right = t.left - layoutScale(m, 10);
  btn.left = btn.right - b;
  btn.top = t.top + (t.bottom - b - t.top) / 2;
  btn.bottom = btn.top + b;

  const int32_t inset = layoutScale(m, 4);
  const int32_t gap = layoutScale(m, 2);
  const int32_t cw = (btn.right - btn.left - 2 * inset - gap) / 2;
  const int32_t ch = (btn.bottom - btn.top - 2 * inset - gap) / 2;
  for (int r = 0; r < 2; ++r) {
    for (int col = 0; col < 2; ++col) {
      const int32_t x = btn.left + inset + col * (cw + gap);
      const int32_t y = btn.top + inset + r * (ch + gap);
      c.glyphCells[r * 2 + col] = rect(x, y, x + cw, y + ch);
    }
  }
  return c;
}

SearchBoxPlacement layoutSearchBox(const LayoutMetrics& m, int32_t clientWidth) {
  const int32_t W = clientWidth;
  const int32_t bandTop = layoutScale(m, 12);
  const int32_t bandBottom = topBandBottom(m);
  const int32_t boxW = layoutScale(m, m.searchBoxWidth);
  const int32_t boxH = layoutScale(m, m.searchBoxHeight);
  const int32_t minLeft =
      layoutScale(m, m.titleWidth) + layoutScale(m, 16) + layoutScale(m, 30);
  const int32_t maxRight = W - (layoutScale(m, 150) + layoutScale(m, 10) +
                                layoutScale(m, m.searchBoxHeight - 6) + layoutScale(m, 16));

  int32_t left = maxOf(W / 2 - boxW / 2, minLeft);
  if (left + boxW > maxRight) left = maxRight - boxW;
  // A narrow window may push the box over the title or the controls, but
  // never past the left margin.
  if (left < layoutScale(m, 16)) left = layoutScale(m, 16);
  const int32_t top = bandTop + (bandBottom - (bandTop + boxH)) / 2;

  SearchBoxPlacement p{};
  p.frame = rect(left, top, left + boxW, top + boxH);
  const int32_t inset = layoutScale(m, 3);
  const int32_t h = boxH - 2 * inset;
  const int32_t side = maxOf(h, 0);
  const int32_t xb = left + boxW - inset - h;
  p.clearButton = rect(xb, top + inset, xb + side, top + inset + side);
  const int32_t editW = maxOf(xb - (left + 2 * inset), 0);
  p.edit = rect(left + inset, top + inset, left + inset + editW, top + inset + side);
  return p;
}

RowColumns layoutRowColumns(const LayoutMetrics& m, int32_t clientWidth, int32_t scrollMax,
                            int32_t filesWidth, int32_t sizeWidth) {
  RowColumns c{};
  const int32_t xr = contentRight(m, clientWidth, scrollMax);
  c.percentLeft = xr - layoutScale(m, 65);
  c.percentRight = xr;
  c.sizeRight = c.percentLeft - layoutScale(m, 10);
  c.sizeLeft = c.sizeRight - sizeWidth;
  c.filesRight = c.sizeLeft - layoutScale(m, 10);
  c.filesLeft = c.filesRight - filesWidth;
  c.iconLeft = contentLeft(m);
  c.iconRight = c.iconLeft + layoutScale(m, m.iconColumnWidth);
  c.nameLeft = c.iconRight;
  c.nameRight = filesWidth == 0 ? c.filesRight : c.filesLeft - layoutScale(m, 6);
  return c;
}

FilesColumnKind listFilesColumnText(const ScanItem& item, const NumberStyle& style,
                                    int32_t everythingLabel, char16_t* buf, size_t cap) {
  textCopy(buf, cap, u"");
  if (!item.isFolder) return kFilesColumnNone;
  if (item.isLink) {
    textCopy(buf, cap, u"  [Link]");
    return kFilesColumnText;
  }
  if (item.accessDenied) {
    textCopy(buf, cap, u"  [Access Denied]");
    return kFilesColumnText;
  }
  if (item.fileCount >= 0) {
    char16_t count[32];
    formatCount(style, item.fileCount, count, 32);
    textFormat(buf, cap, u"  [%s %s]", count, item.fileCount == 1 ? u"File" : u"Files");
    return kFilesColumnText;
  }
  if (everythingLabel == 1) {
    textCopy(buf, cap, u"  [Everything]");
    return kFilesColumnText;
  }
  return everythingLabel == 2 ? kFilesColumnIconSlot : kFilesColumnNone;
}

size_t listSizeText(const NumberStyle& style, uint64_t bytes, char16_t* buf, size_t cap) {
  return formatSize(style, bytes, buf, cap, false);
}

ColumnWidths measureColumnWidths(const LayoutMetrics& m, const ColumnWidthInputs& in,
                                 MeasureTextFn measure, void* context) {
  int32_t widestFiles = 0;
  int32_t widestSize = 0;
  bool anyFiles = false;
  bool anySize = false;
  char16_t text[64];
  for (int32_t i = 0; measure && in.rows && i < in.count; ++i) {
    const ScanItem* item = in.rows[i];
    if (!item) continue;
    if (!in.showTopFiles &&
        listFilesColumnText(*item, in.style, in.everythingLabel, text, 64) == kFilesColumnText) {
      const int32_t w = measure(context, text, static_cast<int32_t>(textLength(text)));
      if (!anyFiles || w > widestFiles) widestFiles = w;
      anyFiles = true;
    }
    const size_t n = listSizeText(in.style, item->size, text, 64);
    const int32_t w = measure(context, text, static_cast<int32_t>(n));
    if (!anySize || w > widestSize) widestSize = w;
    anySize = true;
  }
  ColumnWidths out{};
  out.filesWidth = 0;
  if (!in.showTopFiles) {
    out.filesWidth = layoutScale(m, 70);
    if (anyFiles) out.filesWidth = maxOf(out.filesWidth, widestFiles + layoutScale(m, 4));
  }
  out.sizeWidth = layoutScale(m, 85);
  if (anySize) out.sizeWidth = maxOf(out.sizeWidth, widestSize + layoutScale(m, 4));
  return out;
}

namespace {

uint64_t mixPointer(const void* p) {
  uint64_t z = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(p)) + 0x9E3779B97F4A7C15ull;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

ColumnWidthKey keyOf(const LayoutMetrics& m, const ColumnWidthInputs& in, MeasureTextFn measure) {
  ColumnWidthKey k{};
  for (int32_t i = 0; in.rows && i < in.count; ++i) {
    const uint64_t h = mixPointer(in.rows[i]);
    k.rowsSum += h;
    k.rowsXor ^= h;
  }
  k.count = in.count;
  k.style = in.style;
  k.everythingLabel = in.everythingLabel;
  k.showTopFiles = in.showTopFiles ? 1 : 0;
  k.dpiScalePercent = m.dpiScalePercent;
  k.fontKey = in.fontKey;
  k.rowsGeneration = in.rowsGeneration;
  k.measure = measure;
  return k;
}

bool sameKey(const ColumnWidthKey& a, const ColumnWidthKey& b) {
  return a.rowsSum == b.rowsSum && a.rowsXor == b.rowsXor && a.count == b.count &&
         a.style.thousandsSeparator == b.style.thousandsSeparator &&
         a.style.decimalSeparator == b.style.decimalSeparator &&
         a.style.sizeDisplay == b.style.sizeDisplay && a.everythingLabel == b.everythingLabel &&
         a.showTopFiles == b.showTopFiles && a.dpiScalePercent == b.dpiScalePercent &&
         a.fontKey == b.fontKey && a.rowsGeneration == b.rowsGeneration && a.measure == b.measure;
}

}  // namespace

ColumnWidths cachedColumnWidths(ColumnWidthCache* cache, const LayoutMetrics& m,
                                const ColumnWidthInputs& in, MeasureTextFn measure,
                                void* context) {
  if (!cache) return measureColumnWidths(m, in, measure, context);
  const ColumnWidthKey key = keyOf(m, in, measure);
  if (cache->valid && sameKey(cache->key, key)) return cache->widths;
  cache->widths = measureColumnWidths(m, in, measure, context);
  cache->key = key;
  cache->valid = 1;
  ++cache->measuredCount;
  return cache->widths;
}

RowGeometry layoutRow(const LayoutMetrics& m, const RowColumns& cols, int32_t rowTop,
                      int32_t filesTextWidth) {
  RowGeometry g{};
  const int32_t drawnHeight = layoutScale(m, m.rowHeight) - layoutScale(m, 3);
  g.top = rowTop;
  g.drawnBottom = rowTop + drawnHeight;

  const int32_t x0 = cols.iconLeft;
  const int32_t iconEdge = layoutScale(m, m.iconSize);
  const int32_t iconLeft = x0 + layoutScale(m, 4);
  const int32_t iconTop = rowTop + (drawnHeight - iconEdge) / 2;
  g.icon = rect(iconLeft, iconTop, iconLeft + iconEdge, iconTop + iconEdge);

  g.bar = rect(x0 + layoutScale(m, m.iconColumnWidth - 4), rowTop,
               cols.sizeLeft - layoutScale(m, 15), g.drawnBottom);

  const int32_t textEnd = cols.sizeLeft - layoutScale(m, 20);
  int32_t nameEnd = textEnd - (filesTextWidth > 0 ? filesTextWidth : 0);
  const bool filesFits = filesTextWidth > 0 && nameEnd >= cols.nameLeft;
  if (!filesFits) nameEnd = textEnd;
  g.name = rect(cols.nameLeft, rowTop, nameEnd, g.drawnBottom);
  g.filesText = filesFits ? rect(nameEnd, rowTop, textEnd, g.drawnBottom)
                          : rect(textEnd, rowTop, textEnd, g.drawnBottom);
  g.size = rect(cols.sizeLeft, rowTop, cols.sizeRight, g.drawnBottom);
  g.percent = rect(cols.percentLeft, rowTop, cols.percentRight, g.drawnBottom);
  return g;
}

void layoutHeaderCells(const VerticalBands& bands, const RowColumns& cols, bool showTopFiles,
                       LayoutRect cells[kHeaderColumns]) {
  const int32_t lefts[kHeaderColumns] = {cols.iconLeft, cols.nameLeft, cols.filesLeft,
                                         cols.sizeLeft, cols.percentLeft};
  const int32_t rights[kHeaderColumns] = {cols.iconRight, cols.nameRight, cols.filesRight,
                                          cols.sizeRight, cols.percentRight};
  int visible[kHeaderColumns];
  int count = 0;
  for (int c = 0; c < kHeaderColumns; ++c) {
    if (showTopFiles && c == kHeaderFilesColumn) {
      cells[c] = rect(-1, -1, -1, -1);
      continue;
    }
    visible[count++] = c;
  }
  for (int i = 0; i < count; ++i) {
    const int c = visible[i];
    const int32_t left = i == 0 ? lefts[c] : (rights[visible[i - 1]] + lefts[c]) / 2;
    const int32_t right = i == count - 1 ? rights[c] : (rights[c] + lefts[visible[i + 1]]) / 2;
    cells[c] = rect(left, bands.headerTop, right, bands.headerBottom);
  }
}

int32_t rowPitch(const LayoutMetrics& m) { return layoutScale(m, m.rowHeight); }

int32_t rowTop(const LayoutMetrics& m, int32_t listTop, int32_t scrollOffset, int32_t index) {
  return clampToInt32(static_cast<int64_t>(listTop) - scrollOffset +
                      static_cast<int64_t>(index) * rowPitch(m));
}

int32_t rowIndexAt(const LayoutMetrics& m, int32_t listTop, int32_t scrollOffset,
                   int32_t visibleCount, int32_t y) {
  const int32_t pitch = rowPitch(m);
  if (y < listTop || pitch <= 0) return -1;
  const int64_t index = (static_cast<int64_t>(y) - listTop + scrollOffset) / pitch;
  if (index < 0 || index >= visibleCount) return -1;
  return static_cast<int32_t>(index);
}

namespace {

int64_t contentHeight(const LayoutMetrics& m, int32_t listTop, int32_t visibleCount) {
  const int64_t rows = visibleCount > 0 ? visibleCount : 0;
  return static_cast<int64_t>(rowPitch(m)) * rows + listTop + layoutScale(m, 16);
}

}  // namespace

ScrollRange computeScrollRange(const LayoutMetrics& m, int32_t listTop, int32_t visibleCount,
                               int32_t clientHeight, int32_t scrollOffset) {
  ScrollRange r{};
  r.contentHeight = contentHeight(m, listTop, visibleCount);
  if (r.contentHeight <= clientHeight) return r;
  r.scrollMax = clampToInt32(r.contentHeight - clientHeight);
  r.scrollOffset = scrollOffset < 0 ? 0 : (scrollOffset > r.scrollMax ? r.scrollMax : scrollOffset);
  return r;
}

ScrollbarGeometry layoutScrollbar(const LayoutMetrics& m, int32_t clientWidth,
                                  int32_t clientHeight, int32_t listTop, int32_t visibleCount,
                                  int32_t scrollOffset, int32_t scrollMax) {
  ScrollbarGeometry g{};
  if (scrollMax <= 0) return g;
  const int32_t W = clientWidth;
  const int32_t H = clientHeight;
  g.shown = 1;
  g.track = rect(W - layoutScale(m, 12), listTop, W, H);
  const int64_t hc = contentHeight(m, listTop, visibleCount);
  const int32_t h = H - listTop;
  int32_t th = layoutScale(m, 20);
  if (hc > 0) th = maxOf(th, static_cast<int32_t>(static_cast<double>(h) * H / static_cast<double>(hc)));
  const int32_t top =
      listTop + static_cast<int32_t>(static_cast<double>(h - th) * scrollOffset / scrollMax);
  g.thumb = rect(W - layoutScale(m, 12) + layoutScale(m, 2), top, W - layoutScale(m, 2), top + th);
  return g;
}

TreemapArea layoutTreemapArea(const LayoutMetrics& m, int32_t listTop, int32_t clientWidth,
                              int32_t clientHeight) {
  TreemapArea a{};
  a.rect = rect(layoutScale(m, 16), listTop, clientWidth - layoutScale(m, 16),
                clientHeight - layoutScale(m, 16));
  a.hasArea = a.rect.right > a.rect.left && a.rect.bottom > a.rect.top;
  return a;
}
