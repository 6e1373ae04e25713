// How the mouse, the timers, the search text and the scan's end change the
// view. One function per event: each reads the panel's read-only inputs,
// changes the view state and returns the effects the window must carry out
// (repaint, capture, timers, cursor, host actions). Nothing here touches a
// window, so every gesture is a row of a native table; the window procedure
// only unpacks messages and applies the effects.
#pragma once
#include <cstddef>
#include <cstdint>

#include "scan/scan_model.h"
#include "treemap/treemap_layout.h"
#include "view/layout.h"
#include "view/view_state.h"
#include "win/panel_ids.h"

// Timer bits of Effects::startTimers / killTimers.
constexpr uint8_t kRefreshTimerBit = 1;  // 1001
constexpr uint8_t kHoverTimerBit = 2;    // 1002
constexpr uint8_t kPopInTimerBit = 4;    // 1003
constexpr uint8_t timerBit(uint32_t id) {
  return id >= kRefreshTimer && id <= kPopInTimer ? static_cast<uint8_t>(1u << (id - kRefreshTimer))
                                                  : 0;
}

enum class Cursor : uint8_t { Default, Arrow, Hand };

enum class ActionKind : uint8_t {
  None,
  Jump,   // open `item` in the host's file panel
  About,  // the About box, owned by the panel's root owner window
  Copy,   // diagnostic line `line` (1..3) to the clipboard
};
struct Action {
  ActionKind kind;
  const ScanItem* item;  // Jump
  int32_t line;          // Copy
};

// What happens to the visible rows after an event, always followed by a new
// scroll range and a repaint.
enum class RowsChange : uint8_t {
  None,
  Resort,   // sort, then filter the rows as they are (header click, scan end)
  Rebuild,  // rebuild from the scan, sort, filter (top-files toggle, new search text)
};

struct Effects {
  bool repaint;         // invalidate the whole client area, never erasing
  bool capture;         // capture the mouse (thumb drag)
  bool releaseCapture;  // release it
  bool trackLeave;      // ask for one mouse-leave notice
  bool clearSearchEdit; // empty the search edit's text
  bool newScrollRange;  // recompute the scroll range (implied by a rows change)
  RowsChange rowsChanged;
  uint8_t startTimers;  // timer bits
  uint8_t killTimers;
  Cursor cursor;        // WM_SETCURSOR only
  Action action;
};

// The panel facts the rules read and never change.
struct InputContext {
  LayoutMetrics metrics;
  int32_t clientWidth, clientHeight;
  bool scanRunning;  // the mouse is ignored while the scan owns the rows
  bool fancyBar, fancyText;
  const ScanItem* const* visibleRows;
  int32_t visibleCount;
  const TreemapLayoutState* treemap;  // cells of the last treemap paint; may be null
};

// Hover flash and pop-in lengths.
constexpr uint32_t kHoverFlashMs = 450;
constexpr uint32_t kPopInMs = 830;

Effects onMouseMove(ViewState& v, const InputContext& p, int32_t x, int32_t y, uint32_t now);
Effects onMouseLeave(ViewState& v);
Effects onLeftDown(ViewState& v, SearchState& s, const InputContext& p, int32_t x, int32_t y);
Effects onLeftUp(ViewState& v);
// The capture went elsewhere (another window took it, or it was released):
// a drag in progress ends.
Effects onCaptureLost(ViewState& v);
Effects onRightDown(const ViewState& v, const InputContext& p, int32_t x, int32_t y);
Effects onWheel(ViewState& v, const InputContext& p, int32_t delta);
// The cursor for a point of the client area.
Effects onSetCursor(const ViewState& v, const InputContext& p, int32_t x, int32_t y);
Effects onTimer(ViewState& v, const InputContext& p, uint32_t id, uint32_t now);
Effects onScanFinished(ViewState& v);
// A new text in the search edit (at most 127 characters are kept).
Effects onSearchTextChanged(ViewState& v, SearchState& s, const char16_t* text, bool scanRunning);

// Carries out a rows change on the scan's rows in the fixed order: build (when
// rebuilding), sort by the view's column, filter by the search text.
void applyRowsChange(RowsChange change, ScanModel& rows, const ViewState& v, const SearchState& s,
                     uint32_t showHeaders);

// The clipboard text of a diagnostic line: line 1 is "<config> | <status>"
// (cut to 749 characters), line 2 the scan detail, line 3 the icon failures.
// Returns the length written; 0 for an unknown line.
constexpr int kCopyLineUnits = 750;
size_t diagnosticCopyText(int32_t line, const char16_t* configLine, const char16_t* statusLine,
                          const char16_t* detailLine, const char16_t* iconFailLine, char16_t* out,
                          size_t cap);
