#include <gtest/gtest.h>

#include <string>

#include "format/text.h"
#include "view/search_box.h"

TEST(SearchBox, WordDeleteRange) {
  const struct {
    const char16_t* text;
    int32_t caret, selStart, selEnd;
    bool remove;
    int32_t start, end;
  } rows[] = {
      {u"alpha beta", 10, 10, 10, true, 6, 10},    // the second word goes, the blank stays
      {u"alpha beta  ", 12, 12, 12, true, 6, 12},  // blanks before the caret go with it
      {u"alpha beta", 0, 0, 0, false, 0, 0},       // caret at the start
      {u"alpha beta", 8, 2, 7, true, 2, 7},        // a selection alone
      {u"alpha beta", 8, 7, 2, true, 2, 7},        // a selection made leftwards
      {u"alpha\tbeta", 10, 10, 10, true, 0, 10},   // a tab joins words
      {u"   ", 3, 3, 3, true, 0, 3},               // only blanks
      {u"alpha beta", 99, 99, 99, true, 6, 10},    // caret beyond the text
      {u"alpha beta", 7, 7, 7, true, 6, 7},        // inside a word: its left part
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(textToUtf8(r.text) + " caret " + std::to_string(r.caret));
    WordDelete d = wordDeleteRange(r.text, static_cast<int32_t>(textLength(r.text)), r.caret,
                                   r.selStart, r.selEnd);
    EXPECT_EQ(r.remove, d.remove);
    if (r.remove) {
      EXPECT_EQ(r.start, d.start);
      EXPECT_EQ(r.end, d.end);
    }
  }
}
