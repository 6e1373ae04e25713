#include "view/input.h"

#include "format/text.h"
#include "format/visible_rows.h"

namespace {

bool insideExclusive(const Rect& r, int32_t x, int32_t y) {
  return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}
bool insideInclusive(const Rect& r, int32_t x, int32_t y) {
  return x >= r.left && x <= r.right && y >= r.top && y <= r.bottom;
}

int32_t clampOffset(int64_t value, int32_t scrollMax) {
  if (value < 0 || scrollMax <= 0) return 0;
  return value > scrollMax ? scrollMax : static_cast<int32_t>(value);
}
// Truncates toward zero and clamps; a NaN (never expected) lands on the top.
int32_t clampOffset(double value, int32_t scrollMax) {
  if (!(value > 0.0) || scrollMax <= 0) return 0;
  return value >= scrollMax ? scrollMax : static_cast<int32_t>(value);
}

int32_t listTopOf(const ViewState& v, const InputContext& p) {
  return layoutBands(p.metrics, v.treemapView != 0).listTop;
}

ScrollbarGeometry scrollbarOf(const ViewState& v, const InputContext& p) {
  return layoutScrollbar(p.metrics, p.clientWidth, p.clientHeight, listTopOf(v, p), p.visibleCount,
                         v.scrollOffset, v.scrollMax);
}

// The header band as the paint left it: every visible cell spans it, and
// cell 0 ("Ext") is always visible. Both edges count.
bool inHeaderBand(const ViewState& v, int32_t y) {
  const Rect& band = v.headerCellRects[0];
  return band.bottom > band.top && y >= band.top && y <= band.bottom;
}
int32_t headerColumnAtX(const ViewState& v, int32_t x) {
  for (int c = 0; c < kViewHeaderColumns; ++c) {
    const Rect& r = v.headerCellRects[c];
    if (x >= r.left && x < r.right) return c;
  }
  return -1;
}

bool hasTreemapCells(const InputContext& p) {
  return p.treemap && p.treemap->treemapCells && p.treemap->treemapCellCount > 0;
}

// Starts the hover timer for a newly hovered row or cell.
void startHoverFlash(ViewState& v, Effects& e, uint32_t now) {
  v.hoverStartTick = now;
  if (!v.hoverTimerRunning) {
    v.hoverTimerRunning = 1;
    e.startTimers |= kHoverTimerBit;
  }
}

void stopHoverTimer(ViewState& v, Effects& e) {
  if (v.hoverTimerRunning) e.killTimers |= kHoverTimerBit;
  v.hoverTimerRunning = 0;
}
void stopPopInTimer(ViewState& v, Effects& e) {
  if (v.popTimerRunning) e.killTimers |= kPopInTimerBit;
  v.popTimerRunning = 0;
}

// The row the hover flash may light: only with a fancy row style, in the list
// view, without a drag, and between the bar's left edge and the size column.
int32_t hoverRowCandidate(const ViewState& v, const InputContext& p, int32_t x, int32_t y) {
  if (!(p.fancyBar || p.fancyText) || v.treemapView || v.thumbDragging) return -1;
  const LayoutMetrics& m = p.metrics;
  const int32_t barLeft = contentLeft(m) + layoutScale(m, m.iconColumnWidth - 4);
  const RowColumns cols = layoutRowColumns(m, p.clientWidth, v.scrollMax, 0, v.sizeColumnWidth);
  if (x < barLeft || x >= cols.sizeLeft - layoutScale(m, 15)) return -1;
  return rowIndexAt(m, listTopOf(v, p), v.scrollOffset, p.visibleCount, y);
}

}  // namespace

Effects onMouseMove(ViewState& v, const InputContext& p, int32_t x, int32_t y, uint32_t now) {
  Effects e{};
  if (p.scanRunning) return e;

  // 1. The thumb follows the mouse, keeping the point where it was grabbed
  // under the pointer; outside the window too, while the mouse is captured.
  if (v.thumbDragging) {
    const ScrollbarGeometry g = scrollbarOf(v, p);
    const int32_t thumbHeight = g.thumb.bottom - g.thumb.top;
    const int32_t travel = g.track.bottom - g.track.top - thumbHeight;
    if (g.shown && travel > 0) {
      const double at = static_cast<double>(v.scrollMax) *
                        (static_cast<double>(y) - g.track.top - v.thumbGrabOffset) / travel;
      v.scrollOffset = clampOffset(at, v.scrollMax);
      e.repaint = true;
    }
  }

  // 2. Row hover.
  const int32_t row = hoverRowCandidate(v, p, x, y);
  if (row != v.hoverRow) {
    v.hoverRow = row;
    if (row >= 0) startHoverFlash(v, e, now);
    e.repaint = true;
  }

  // 3. Header hover; the sort column is highlighted already.
  if (p.metrics.showHeaders && !v.treemapView) {
    int32_t cell = inHeaderBand(v, y) ? headerColumnAtX(v, x) : -1;
    if (cell == v.sortColumn) cell = -1;
    if (cell != v.hoverHeader) {
      v.hoverHeader = cell;
      e.repaint = true;
    }
  }

  // 4. Treemap cell hover; the popup anchor follows the mouse.
  if (v.treemapView && !v.thumbDragging && hasTreemapCells(p)) {
    const int32_t cell = treemapCellAt(p.treemap, x, y);
    bool cellChanged = false;
    if (cell != v.hoverCell) {
      v.hoverCell = cell;
      cellChanged = true;
      if (cell < 0) e.repaint = true;
      else startHoverFlash(v, e, now);
    }
    if (cell >= 0) {
      if (x != v.hoverX) {
        v.hoverX = x;
        v.hoverY = y;
        e.repaint = true;
      } else {
        if (y != v.hoverY || cellChanged) e.repaint = true;
        v.hoverY = y;
      }
    }
  }

  // 5. Treemap button hover (its tooltip).
  const uint32_t overButton = insideExclusive(v.treemapButtonRect, x, y) ? 1 : 0;
  if (overButton != v.treemapButtonHover) {
    v.treemapButtonHover = overButton;
    e.repaint = true;
  }

  // 6. One leave notice at a time.
  if (!v.leaveTracking) {
    v.leaveTracking = 1;
    e.trackLeave = true;
  }
  return e;
}

Effects onMouseLeave(ViewState& v) {
  Effects e{};
  v.leaveTracking = 0;
  const bool rowOrHeader = v.hoverRow != -1 || v.hoverHeader != -1;
  v.hoverRow = -1;
  v.hoverHeader = -1;
  if (v.hoverCell >= 0) {
    v.hoverCell = -1;
    v.treemapButtonHover = 0;
    e.repaint = true;
  } else if (v.treemapButtonHover) {
    v.treemapButtonHover = 0;
    e.repaint = true;
  } else if (rowOrHeader) {
    e.repaint = true;
  }
  return e;
}

Effects onLeftDown(ViewState& v, SearchState& s, const InputContext& p, int32_t x, int32_t y) {
  Effects e{};
  if (p.scanRunning) return e;

  // 1. Treemap button: the other view.
  if (insideInclusive(v.treemapButtonRect, x, y)) {
    v.treemapView = v.treemapView ? 0 : 1;
    v.hoverRow = -1;
    v.hoverHeader = -1;
    stopHoverTimer(v, e);
    if (!v.treemapView) {
      if (v.popTimerRunning) v.popAnimating = 0;
      stopPopInTimer(v, e);
    } else {
      v.popSignatureValid = 0;  // the next treemap paint pops in
    }
    // The list top moves with the header band, and the range with it.
    e.newScrollRange = true;
    e.repaint = true;
    return e;
  }

  // 2. Top-files toggle: the other row set, sorted by size from the top, unfiltered.
  if (insideInclusive(v.topFilesToggleRect, x, y)) {
    v.showTopFiles = v.showTopFiles ? 0 : 1;
    v.sortColumn = kSortSize;
    v.sortDescending = 1;
    v.scrollOffset = 0;
    s.searchText[0] = 0;
    e.clearSearchEdit = true;
    e.rowsChanged = RowsChange::Rebuild;
    e.newScrollRange = true;
    e.repaint = true;
    return e;
  }

  // 3. Nothing else is clickable on the treemap.
  if (v.treemapView) return e;

  // 4. Header: a new column starts in its own direction, the sort column turns round.
  if (p.metrics.showHeaders && inHeaderBand(v, y)) {
    const int32_t column = headerColumnAtX(v, x);
    if (column < 0) return e;
    if (column == v.sortColumn) {
      v.sortDescending = v.sortDescending ? 0 : 1;
    } else {
      v.sortColumn = column;
      v.sortDescending = defaultSortDescending(column);
    }
    if (v.hoverHeader == column) v.hoverHeader = -1;  // now the sort column
    v.scrollOffset = 0;
    e.rowsChanged = RowsChange::Resort;
    e.newScrollRange = true;
    e.repaint = true;
    return e;
  }

  // 5. Scrollbar: grab the thumb, or jump to the point on the track.
  const ScrollbarGeometry g = scrollbarOf(v, p);
  if (!g.shown || !insideInclusive(g.track, x, y)) return e;
  if (y >= g.thumb.top && y <= g.thumb.bottom) {
    v.thumbDragging = 1;
    v.thumbGrabOffset = y - g.thumb.top;
    e.capture = true;
    return e;
  }
  const int32_t trackHeight = g.track.bottom - g.track.top;
  if (trackHeight <= 0) return e;
  v.scrollOffset = clampOffset(static_cast<double>(v.scrollMax) * (y - g.track.top) / trackHeight,
                               v.scrollMax);
  e.repaint = true;
  return e;
}

Effects onLeftUp(ViewState& v) {
  Effects e{};
  if (!v.thumbDragging) return e;
  v.thumbDragging = 0;
  e.releaseCapture = true;
  e.repaint = true;
  return e;
}

Effects onCaptureLost(ViewState& v) {
  Effects e{};
  if (!v.thumbDragging) return e;
  v.thumbDragging = 0;
  e.repaint = true;
  return e;
}

Effects onRightDown(const ViewState& v, const InputContext& p, int32_t x, int32_t y) {
  Effects e{};
  if (p.scanRunning) return e;
  const VerticalBands bands = layoutBands(p.metrics, v.treemapView != 0);

  // 1. The title band, over the top-right controls too.
  if (y < bands.pathTop) {
    e.action.kind = ActionKind::About;
    return e;
  }
  // 2. A diagnostic line: copy it.
  if (p.metrics.everythingDebug && bands.hasDebugLines) {
    for (int32_t line = 0; line < 3; ++line) {
      if (y >= bands.debugTop[line] && y < bands.debugBottom[line]) {
        e.action.kind = ActionKind::Copy;
        e.action.line = line + 1;
        return e;
      }
    }
  }
  // 3. A row of the list, at any x.
  if (!v.treemapView) {
    const int32_t row = rowIndexAt(p.metrics, bands.listTop, v.scrollOffset, p.visibleCount, y);
    if (row >= 0 && p.visibleRows && p.visibleRows[row]) {
      e.action.kind = ActionKind::Jump;
      e.action.item = p.visibleRows[row];
    }
    return e;
  }
  // 4. A treemap cell, except the folded small items.
  if (!hasTreemapCells(p)) return e;
  const int32_t cell = treemapCellAt(p.treemap, x, y);
  if (cell < 0) return e;
  const ScanItem* item = p.treemap->treemapCells[cell].item;
  if (!item || item == &p.treemap->othersItem) return e;
  e.action.kind = ActionKind::Jump;
  e.action.item = item;
  return e;
}

Effects onWheel(ViewState& v, const InputContext& p, int32_t delta) {
  Effects e{};
  if (p.scanRunning) return e;
  // A notch of 120 moves 40 pixels at any scale; the division truncates toward zero.
  v.scrollOffset = clampOffset(static_cast<int64_t>(v.scrollOffset) - delta / 3, v.scrollMax);
  e.repaint = true;
  return e;
}

Effects onSetCursor(const ViewState& v, const InputContext& p, int32_t x, int32_t y) {
  Effects e{};
  e.cursor = Cursor::Default;
  if (p.scanRunning) return e;
  if (insideInclusive(v.topFilesToggleRect, x, y) || insideInclusive(v.treemapButtonRect, x, y)) {
    e.cursor = Cursor::Hand;
  } else if (v.treemapView) {
    e.cursor = Cursor::Arrow;
  } else if (p.metrics.showHeaders && inHeaderBand(v, y)) {
    e.cursor = Cursor::Hand;
  } else if (rowIndexAt(p.metrics, listTopOf(v, p), v.scrollOffset, p.visibleCount, y) >= 0) {
    e.cursor = Cursor::Hand;
  } else {
    e.cursor = Cursor::Arrow;
  }
  return e;
}

Effects onTimer(ViewState& v, const InputContext& p, uint32_t id, uint32_t now) {
  Effects e{};
  switch (id) {
    case kRefreshTimer:
      // Progress while the scan runs; the first tick after it ends stops the timer.
      if (p.scanRunning) e.repaint = true;
      else e.killTimers |= kRefreshTimerBit;
      break;
    case kHoverTimer:
      if (v.hoverRow < 0 && v.hoverCell < 0) {
        e.killTimers |= kHoverTimerBit;
        v.hoverTimerRunning = 0;
        break;
      }
      e.repaint = true;  // the last repaint draws the flash's end
      if (now - v.hoverStartTick >= kHoverFlashMs) {
        e.killTimers |= kHoverTimerBit;
        v.hoverTimerRunning = 0;
      }
      break;
    case kPopInTimer:
      if (!v.treemapView || !v.popAnimating) {
        e.killTimers |= kPopInTimerBit;
        v.popTimerRunning = 0;
        break;
      }
      e.repaint = true;
      if (now - v.popStartTick >= kPopInMs) {
        v.popAnimating = 0;
        e.killTimers |= kPopInTimerBit;
        v.popTimerRunning = 0;
      }
      break;
    default:
      break;
  }
  return e;
}

Effects onScanFinished(ViewState& v) {
  (void)v;
  Effects e{};
  e.killTimers |= kRefreshTimerBit;
  e.rowsChanged = RowsChange::Resort;
  e.newScrollRange = true;
  e.repaint = true;
  return e;
}

Effects onSearchTextChanged(ViewState& v, SearchState& s, const char16_t* text, bool scanRunning) {
  Effects e{};
  textCopy(s.searchText, kSearchTextUnits, text ? text : u"");
  // While scanning the rows belong to the scan thread; the scan's end applies the text.
  if (scanRunning) return e;
  v.scrollOffset = 0;
  e.rowsChanged = RowsChange::Rebuild;
  e.newScrollRange = true;
  e.repaint = true;
  return e;
}

void applyRowsChange(RowsChange change, ScanModel& rows, const ViewState& v, const SearchState& s,
                     uint32_t showHeaders) {
  if (change == RowsChange::None) return;
  if (change == RowsChange::Rebuild) buildVisibleRows(rows, v.showTopFiles != 0);
  sortVisibleRows(rows, v.sortColumn, v.sortDescending, showHeaders);
  applySearchFilter(rows, s.searchText);
}

size_t diagnosticCopyText(int32_t line, const char16_t* configLine, const char16_t* statusLine,
                          const char16_t* detailLine, const char16_t* iconFailLine, char16_t* out,
                          size_t cap) {
  if (!out || cap == 0) return 0;
  out[0] = 0;
  const size_t units = cap < static_cast<size_t>(kCopyLineUnits) ? cap : kCopyLineUnits;
  switch (line) {
    case 1:
      textCopy(out, units, configLine ? configLine : u"");
      textAppend(out, units, u" | ");
      textAppend(out, units, statusLine ? statusLine : u"");
      break;
    case 2:
      textCopy(out, units, detailLine ? detailLine : u"");
      break;
    case 3:
      textCopy(out, units, iconFailLine ? iconFailLine : u"");
      break;
    default:
      return 0;
  }
  return textLength(out);
}
