// The value rules of the settings file: the cases where a plausible reader
// would go wrong (a "1" taken as yes, a two-character colour parsed, a word
// matched by prefix, an integer that overflows).
#include <gtest/gtest.h>

#include "config/value_rules.h"
#include "format/text.h"

TEST(ConfigRules, YesNoWordsAndIntegers) {
  for (const char16_t* v : {u"yes", u"Y", u"Yeah whatever"}) EXPECT_TRUE(yesNo(v)) << textToUtf8(v);
  // The reader trims, the rule does not: " yes" is no.
  for (const char16_t* v : {u"1", u"true", u"", u" yes"}) EXPECT_FALSE(yesNo(v)) << textToUtf8(v);
  EXPECT_FALSE(yesNo(nullptr));

  EXPECT_EQ(yesNoAuto(u"y"), YesNoAuto::Yes);
  EXPECT_EQ(yesNoAuto(u"No"), YesNoAuto::No);
  for (const char16_t* v : {u"Auto", u"0", u""}) EXPECT_EQ(yesNoAuto(v), YesNoAuto::Auto);

  const WordMeaning words[] = {{u"GB", 1}, {u"B", 4}};
  EXPECT_EQ(wordValue(u"gb", words, 2, 0), 1);
  EXPECT_EQ(wordValue(u"b", words, 2, 0), 4);
  EXPECT_EQ(wordValue(u"GBytes", words, 2, 0), 0);  // no prefix matching
  EXPECT_EQ(wordValue(u"", words, 2, 7), 7);

  const struct { const char16_t* text; int32_t want; } ints[] = {
      {u"20", 20}, {u"-1", -1}, {u"  12px", 12}, {u"abc", 0}, {u"", 0}, {u"-", 0},
      {u"99999999999999999999", INT32_MAX}, {u"-99999999999999999999", INT32_MIN}};
  for (const auto& r : ints) EXPECT_EQ(parseLeadingInt(r.text), r.want) << textToUtf8(r.text);
}

TEST(ConfigRules, ColourTextAndByteOrder) {
  // 0 as the expected value: no colour.
  const struct { const char16_t* text; uint32_t want; } rows[] = {
      {u"FF0000", 0xFF0000}, {u"0xFF0000", 0xFF0000}, {u"0X00ff00", 0x00FF00},
      {u"abc", 0xABC},             // three hex digits are a number
      {u"0x7F123456", 0x123456},   // bits above 23 ignored
      {u"12ZZ", 0x12},             // leading digits are enough
      {u"12", 0}, {u"red", 0}, {u"0xZZ", 0}, {u"", 0}, {u"#FF0000", 0}};
  for (const auto& r : rows) {
    uint32_t v = 0;
    EXPECT_EQ(parseColorText(r.text, &v), r.want != 0) << textToUtf8(r.text);
    EXPECT_EQ(v, r.want) << textToUtf8(r.text);
  }
  EXPECT_EQ(colorFromRgb(0x123456), 0x563412u);
  EXPECT_EQ(rgbFromColor(0x563412), 0x123456u);
}

