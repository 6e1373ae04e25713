// The value rules of the settings file: the cases where a plausible reader
// would go wrong (a "1" taken as yes, a two-character colour parsed, a word
// matched by prefix, an integer that overflows).
#include <gtest/gtest.h>

#include "config/value_rules.h"

TEST(ConfigRules, YesNoIsTheFirstLetterOnly) {
  EXPECT_TRUE(yesNo(u"yes"));
  EXPECT_TRUE(yesNo(u"Y"));
  EXPECT_TRUE(yesNo(u"Yeah whatever"));
  EXPECT_FALSE(yesNo(u"1"));
  EXPECT_FALSE(yesNo(u"true"));
  EXPECT_FALSE(yesNo(u""));
  EXPECT_FALSE(yesNo(u" yes"));  // the reader trims, the rule does not
  EXPECT_FALSE(yesNo(nullptr));
}

TEST(ConfigRules, YesNoAutoLeavesEverythingElseToTheHost) {
  EXPECT_EQ(yesNoAuto(u"y"), YesNoAuto::Yes);
  EXPECT_EQ(yesNoAuto(u"No"), YesNoAuto::No);
  EXPECT_EQ(yesNoAuto(u"Auto"), YesNoAuto::Auto);
  EXPECT_EQ(yesNoAuto(u"0"), YesNoAuto::Auto);
  EXPECT_EQ(yesNoAuto(u""), YesNoAuto::Auto);
}

TEST(ConfigRules, WordsMatchWholeValuesWithoutCase) {
  const WordMeaning words[] = {{u"GB", 1}, {u"B", 4}};
  EXPECT_EQ(wordValue(u"gb", words, 2, 0), 1);
  EXPECT_EQ(wordValue(u"b", words, 2, 0), 4);
  EXPECT_EQ(wordValue(u"GBytes", words, 2, 0), 0);  // no prefix matching
  EXPECT_EQ(wordValue(u"", words, 2, 7), 7);
}

TEST(ConfigRules, LeadingIntegerLikeTheProfileReader) {
  EXPECT_EQ(parseLeadingInt(u"20"), 20);
  EXPECT_EQ(parseLeadingInt(u"-1"), -1);
  EXPECT_EQ(parseLeadingInt(u"  12px"), 12);
  EXPECT_EQ(parseLeadingInt(u"abc"), 0);
  EXPECT_EQ(parseLeadingInt(u""), 0);
  EXPECT_EQ(parseLeadingInt(u"-"), 0);
  EXPECT_EQ(parseLeadingInt(u"99999999999999999999"), INT32_MAX);
  EXPECT_EQ(parseLeadingInt(u"-99999999999999999999"), INT32_MIN);
}

TEST(ConfigRules, ColourTextForms) {
  uint32_t v = 0;
  EXPECT_TRUE(parseColorText(u"FF0000", &v));
  EXPECT_EQ(v, 0xFF0000u);
  EXPECT_TRUE(parseColorText(u"0xFF0000", &v));
  EXPECT_EQ(v, 0xFF0000u);
  EXPECT_TRUE(parseColorText(u"0X00ff00", &v));
  EXPECT_EQ(v, 0x00FF00u);
  EXPECT_TRUE(parseColorText(u"abc", &v));  // three hex digits are a number
  EXPECT_EQ(v, 0xABCu);
  EXPECT_TRUE(parseColorText(u"0x7F123456", &v));  // bits above 23 ignored
  EXPECT_EQ(v, 0x123456u);
  EXPECT_TRUE(parseColorText(u"12ZZ", &v));  // leading digits are enough
  EXPECT_EQ(v, 0x12u);

  EXPECT_FALSE(parseColorText(u"12", &v));
  EXPECT_FALSE(parseColorText(u"red", &v));
  EXPECT_FALSE(parseColorText(u"0xZZ", &v));
  EXPECT_FALSE(parseColorText(u"", &v));
  EXPECT_FALSE(parseColorText(u"#FF0000", &v));
}

TEST(ConfigRules, ColourByteOrder) {
  EXPECT_EQ(colorFromRgb(0x123456), 0x563412u);
  EXPECT_EQ(rgbFromColor(0x563412), 0x123456u);
  EXPECT_EQ(colorFromRgb(0xFF0000), 0x0000FFu);  // red lands in the low byte
}


TEST(ConfigRules, MulDivRoundsLikeWindows) {
  EXPECT_EQ(mulDivRound(16, 150, 100), 24);
  EXPECT_EQ(mulDivRound(11, 96, 72), 15);   // 14.67
  EXPECT_EQ(mulDivRound(3, 1, 2), 2);       // half away from zero
  EXPECT_EQ(mulDivRound(-3, 1, 2), -2);
  EXPECT_EQ(mulDivRound(5, 1, 0), -1);
  EXPECT_EQ(mulDivRound(INT32_MAX, 4, 2), -1);
  EXPECT_EQ(mulDivRound(INT32_MAX, 96, 96), INT32_MAX);
}
