#include "view/search_box.h"

WordDelete wordDeleteRange(const char16_t* text, int32_t length, int32_t caret, int32_t selStart,
                           int32_t selEnd) {
  WordDelete d{};
  if (selStart != selEnd) {
    d.remove = true;
    d.selection = true;
    d.start = selStart < selEnd ? selStart : selEnd;
    d.end = selStart < selEnd ? selEnd : selStart;
    return d;
  }
  if (!text || length <= 0) return d;
  const int32_t c = caret < 0 ? 0 : caret > length ? length : caret;
  int32_t e = c;
  while (e > 0 && text[e - 1] == u' ') --e;  // blanks between the word and the caret
  int32_t s = e;
  while (s > 0 && text[s - 1] != u' ') --s;  // only a space ends a word
  if (s >= c) return d;
  d.remove = true;
  d.start = s;
  d.end = c;
  return d;
}
