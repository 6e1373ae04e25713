#include <gtest/gtest.h>

#include "format/text.h"

TEST(Text, FormatHandlesEveryPlaceholderAndCuts) {
  char16_t buf[200];
  textFormat(buf, 200, u"[%s] %d %u %lu %llu %I64u %x %05d %c %%", u"p", -12, 4000000000u,
             7ul, 18446744073709551615ull, 5ull, 255u, 42, u'Z');
  EXPECT_EQ(textToUtf8(buf), "[p] -12 4000000000 7 18446744073709551615 5 ff 00042 Z %");
  char16_t small[6];
  EXPECT_EQ(textFormat(small, 6, u"%s-%d", u"abc", 12345), 5u);
  EXPECT_EQ(textToUtf8(small), "abc-1");
  textFormat(buf, 200, u"%d", (int)-2147483647 - 1);
  EXPECT_EQ(textToUtf8(buf), "-2147483648");
}

TEST(Text, CaseInsensitiveCompareFoldsBeyondAscii) {
  EXPECT_EQ(textCompareNoCase(u"Windows", u"WINDOWS"), 0);
  EXPECT_EQ(textCompareNoCase(u"\u00C4rger", u"\u00E4RGER"), 0);
  EXPECT_EQ(textCompareNoCase(u"\u0416", u"\u0436"), 0);
  EXPECT_LT(textCompareNoCase(u"a", u"B"), 0);
  EXPECT_GT(textCompareNoCase(u"ab", u"A"), 0);
}

TEST(Text, Utf8RoundTripAndTruncatedInput) {
  std::string s = "h\xC3\xA9llo \xF0\x9F\x98\x80";
  EXPECT_EQ(textToUtf8(textFromUtf8(s).c_str()), s);
  EXPECT_EQ(textFromUtf8("\xE2\x82").size(), 1u);  // cut sequence -> one replacement
}
