#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "format/text.h"
#include "host/about_layout.h"
#include "host/jump_payload.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes bytesOf(const std::string& s) { return Bytes(s.begin(), s.end()); }

Bytes payload(JumpMode mode, const std::string& utf8) {
  uint8_t out[64];
  size_t n = buildCdPayload(mode, reinterpret_cast<const uint8_t*>(utf8.data()), utf8.size(), out, sizeof out);
  return Bytes(out, out + n);
}

const std::string kBom = "\xEF\xBB\xBF";

TEST(CdPayload, BytesAndSizeOfEachCase) {
  const std::string ascii = "C:\\a b\\x.txt";
  const std::string wide = u8"D:\\\u00E4\u20AC\\\U0001F600";  // 2-, 3- and 4-byte sequences
  struct Case {
    JumpMode mode;
    std::string path;
    std::string expected;
  } cases[] = {
      {JumpMode::SameRight, ascii, "\r" + kBom + ascii + std::string("\0A\0", 3)},
      {JumpMode::SameLeft, ascii, kBom + ascii + "\r" + std::string("\0A\0", 3)},
      {JumpMode::Other, ascii, kBom + ascii + "\r" + kBom + std::string("\0SA\0", 4)},
      {JumpMode::SameRight, wide, "\r" + kBom + wide + std::string("\0A\0", 3)},
      {JumpMode::SameLeft, wide, kBom + wide + "\r" + std::string("\0A\0", 3)},
      {JumpMode::Other, wide, kBom + wide + "\r" + kBom + std::string("\0SA\0", 4)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(int(c.mode));
    EXPECT_EQ(payload(c.mode, c.path), bytesOf(c.expected));
    EXPECT_EQ(cdPayloadSize(c.mode, c.path.size()), c.path.size() + (c.mode == JumpMode::Other ? 11 : 7));
  }
  EXPECT_EQ(wide.size(), 3u + 2 + 3 + 1 + 4);
}

TEST(CdPayload, TooSmallABufferGivesNothingRatherThanACutPath) {
  const std::string path = "C:\\folder";
  uint8_t out[32] = {};
  const uint8_t* p = reinterpret_cast<const uint8_t*>(path.data());
  EXPECT_EQ(buildCdPayload(JumpMode::Other, p, path.size(), out, path.size() + 10), 0u);
  EXPECT_EQ(out[0], 0);
  EXPECT_EQ(buildCdPayload(JumpMode::Other, p, path.size(), out, path.size() + 11), path.size() + 11);
  EXPECT_EQ(buildCdPayload(JumpMode::SameLeft, p, path.size(), out, path.size() + 6), 0u);
  EXPECT_EQ(buildCdPayload(JumpMode::Other, p, path.size(), nullptr, 64), 0u);
}

TEST(JumpMode, SameOnlyInsideTheHostWithBothRectanglesAndSideByCentre) {
  const Rect host = {0, 0, 1000, 700};
  struct Case {
    const char* what;
    bool same, inside, parent, parentRead, hostRead;
    Rect parentRect;
    JumpMode expected;
  } cases[] = {
      {"left half", true, true, true, true, true, {0, 50, 499, 650}, JumpMode::SameLeft},
      {"right half", true, true, true, true, true, {500, 50, 1000, 650}, JumpMode::SameRight},
      {"centred exactly", true, true, true, true, true, {100, 0, 900, 700}, JumpMode::SameRight},
      {"centre one pixel left", true, true, true, true, true, {99, 0, 899, 700}, JumpMode::SameLeft},
      {"Other asked", false, true, true, true, true, {500, 50, 1000, 650}, JumpMode::Other},
      {"separate lister window", true, false, true, true, true, {500, 50, 1000, 650}, JumpMode::Other},
      {"no parent", true, true, false, false, true, {0, 0, 0, 0}, JumpMode::Other},
      {"parent unreadable", true, true, true, false, true, {500, 50, 1000, 650}, JumpMode::Other},
      {"host unreadable", true, true, true, true, false, {500, 50, 1000, 650}, JumpMode::Other},
  };
  for (const Case& c : cases) {
    JumpWindows w = {c.same, c.inside, c.parent, c.parentRead, c.parentRect, c.hostRead, host};
    EXPECT_EQ(decideJumpMode(w), c.expected) << c.what;
  }
  // Centres truncate toward zero, on a host spread over negative coordinates
  // and at the far ends of the coordinate range, without overflow.
  JumpWindows w = {true, true, true, true, {-1, 0, 0, 0}, true, {-1, 0, 1, 0}};
  EXPECT_EQ(decideJumpMode(w), JumpMode::SameRight);  // -1/2 is 0, not -1: equal centres
  w.parentRect = {-3, 0, 0, 0};                          // -3/2 is -1, left of 0
  EXPECT_EQ(decideJumpMode(w), JumpMode::SameLeft);
  w.parentRect = {INT32_MAX - 1, 0, INT32_MAX, 0};
  w.hostRect = {INT32_MIN, 0, INT32_MAX, 0};
  EXPECT_EQ(decideJumpMode(w), JumpMode::SameRight);
  EXPECT_EQ(hideCommandFor(JumpMode::SameRight), 207u);
  EXPECT_EQ(focusCommandFor(JumpMode::SameLeft), 4001u);
  EXPECT_EQ(hideCommandFor(JumpMode::Other), 0u);
}

bool sameRect(const Rect& a, const Rect& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST(AboutLayout, At100And150PerCent) {
  struct Case {
    int dpi;
    AboutTextWidths widths;
    int scale, margin, iconSize;
    Rect title, hostLine, version, credit, link, ok;
    int separatorY, clientWidth, clientHeight;
  } cases[] = {
      // The link plus its 20-unit allowance is the widest.
      {96, {200, 180, 90, 150, 190}, 100, 16, 64, {96, 16, 306, 36}, {96, 38, 306, 56}, {96, 74, 306, 92},
       {96, 92, 306, 110}, {96, 128, 306, 146}, {231, 162, 306, 185}, 62, 322, 201},
      // The title is the widest; odd lengths (75, 23) round half away from zero.
      {144, {300, 180, 90, 150, 100}, 150, 24, 96, {144, 24, 444, 54}, {144, 57, 444, 84},
       {144, 111, 444, 138}, {144, 138, 444, 165}, {144, 192, 444, 219}, {331, 243, 444, 278}, 93, 468, 302},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.dpi);
    AboutLayout l = layoutAboutBox(c.dpi, c.widths);
    EXPECT_EQ(l.scale, c.scale);
    EXPECT_EQ(l.margin, c.margin);
    EXPECT_EQ(l.iconX, c.margin);
    EXPECT_EQ(l.iconY, c.margin);
    EXPECT_EQ(l.iconSize, c.iconSize);
    EXPECT_TRUE(sameRect(l.title, c.title));
    EXPECT_TRUE(sameRect(l.hostLine, c.hostLine));
    EXPECT_TRUE(sameRect(l.version, c.version));
    EXPECT_TRUE(sameRect(l.credit, c.credit));
    EXPECT_TRUE(sameRect(l.link, c.link));
    EXPECT_TRUE(sameRect(l.okButton, c.ok));
    EXPECT_EQ(l.separatorFrom.y, c.separatorY);
    EXPECT_EQ(l.separatorTo.y, c.separatorY);
    EXPECT_EQ(l.separatorFrom.x, l.title.left);
    EXPECT_EQ(l.separatorTo.x, l.title.right);
    EXPECT_EQ(l.clientWidth, c.clientWidth);
    EXPECT_EQ(l.clientHeight, c.clientHeight);
  }
  EXPECT_EQ(layoutAboutBox(0, {}).scale, 100);  // an unreadable DPI lays out at 100 %
}

TEST(AboutTexts, VersionCreditYearsAndCentring) {
  char16_t text[64];
  formatAboutVersion(text, 64);
  EXPECT_EQ(textToUtf8(text), "Version:  2.0b");
  struct Case {
    int year;
    const char* expected;
  } cases[] = {
      {2026, u8"\u00A9 2025-2026 The Morvane authors"},
      {2025, u8"\u00A9 2025 The Morvane authors"},
      {1980, u8"\u00A9 2025 The Morvane authors"},  // a clock set back shows the base year
  };
  for (const Case& c : cases) {
    formatAboutCredit(c.year, text, 64);
    EXPECT_EQ(textToUtf8(text), c.expected);
  }
  EXPECT_EQ(formatAboutCredit(2026, text, 4), 3u);
  EXPECT_EQ(text[3], 0);
  EXPECT_TRUE(sameRect(centreOn({100, 100, 500, 400}, 200, 100), {200, 200, 400, 300}));
  EXPECT_TRUE(sameRect(centreOn({0, 0, 100, 100}, 201, 101), {-50, 0, 151, 101}));
}

}  // namespace
