// The search box's one rule that is not the platform's: which characters
// Ctrl+Backspace deletes. Portable, so the edit's subclass only reads the text
// and the selection and hands the answer back to the edit.
#pragma once
#include <cstdint>

// Ctrl+Backspace in the search box: the range to delete. A selection is
// deleted as it is; otherwise the word before the caret with the blanks
// (spaces only) between it and the caret. `remove` is false when nothing goes.
struct WordDelete {
  bool remove;
  bool selection;  // the range is the current selection (no need to select it)
  int32_t start, end;
};
WordDelete wordDeleteRange(const char16_t* text, int32_t length, int32_t caret, int32_t selStart,
                           int32_t selEnd);
