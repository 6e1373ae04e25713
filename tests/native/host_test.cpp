#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "format/text.h"
#include "host/about_layout.h"
#include "host/jump_payload.h"

namespace {

std::string payload(JumpMode mode, const std::string& utf8, size_t cap = 64) {
  uint8_t out[64];
  size_t n = buildCdPayload(mode, reinterpret_cast<const uint8_t*>(utf8.data()), utf8.size(), out, cap);
  return std::string(reinterpret_cast<char*>(out), n);
}

TEST(CdPayload, BytesAndSizeOfEachCase) {
  const std::string bom = "\xEF\xBB\xBF", same("\0A\0", 3), other("\0SA\0", 4);
  const std::string ascii = "C:\\a b\\x.txt", wide = u8"D:\\\u00E4\u20AC\\\U0001F600";  // 2, 3, 4 bytes
  struct Case {
    JumpMode mode;
    std::string path, expected;
  } cases[] = {
      {JumpMode::SameRight, ascii, "\r" + bom + ascii + same}, {JumpMode::SameLeft, ascii, bom + ascii + "\r" + same},
      {JumpMode::Other, ascii, bom + ascii + "\r" + bom + other}, {JumpMode::SameRight, wide, "\r" + bom + wide + same},
      {JumpMode::SameLeft, wide, bom + wide + "\r" + same},       {JumpMode::Other, wide, bom + wide + "\r" + bom + other},
  };
  for (const Case& c : cases) {
    size_t size = c.path.size() + (c.mode == JumpMode::Other ? 11 : 7);
    EXPECT_EQ(payload(c.mode, c.path), c.expected) << int(c.mode);
    EXPECT_EQ(cdPayloadSize(c.mode, c.path.size()), size);
    EXPECT_EQ(payload(c.mode, c.path, size - 1), "");  // no room: nothing, never a cut path
  }
}

TEST(JumpMode, SameOnlyInsideTheHostWithBothRectanglesAndSideByCentre) {
  const Rect host = {0, 0, 1000, 700}, right = {500, 50, 1000, 650};
  struct Case {
    bool same, inside, parent, parentRead, hostRead;
    Rect parentRect, hostRect;
    JumpMode expected;
  } cases[] = {
      {true, true, true, true, true, {0, 50, 499, 650}, host, JumpMode::SameLeft},
      {true, true, true, true, true, right, host, JumpMode::SameRight},
      {true, true, true, true, true, {100, 0, 900, 700}, host, JumpMode::SameRight},  // centred exactly
      {true, true, true, true, true, {99, 0, 899, 700}, host, JumpMode::SameLeft},
      {true, true, true, true, true, {-1, 0, 0, 0}, {-1, 0, 1, 0}, JumpMode::SameRight},  // -1/2 is 0
      {true, true, true, true, true, {-3, 0, 0, 0}, {-1, 0, 1, 0}, JumpMode::SameLeft},   // -3/2 is -1
      {true, true, true, true, true, {INT32_MAX - 1, 0, INT32_MAX, 0}, {INT32_MIN, 0, INT32_MAX, 0},
       JumpMode::SameRight},  // no overflow
      {false, true, true, true, true, right, host, JumpMode::Other},
      {true, false, true, true, true, right, host, JumpMode::Other},  // a separate lister window
      {true, true, false, false, true, right, host, JumpMode::Other},
      {true, true, true, false, true, right, host, JumpMode::Other},
      {true, true, true, true, false, right, host, JumpMode::Other},
  };
  for (const Case& c : cases) {
    JumpWindows w = {c.same, c.inside, c.parent, c.parentRead, c.parentRect, c.hostRead, c.hostRect};
    EXPECT_EQ(decideJumpMode(w), c.expected) << c.parentRect.left << " " << c.parentRect.right;
  }
}

// The quick view closed and the pane focused are the jump's side's; a jump to
// the other pane touches neither.
TEST(JumpMode, QuickViewClosedAndPaneFocusedOnTheJumpsSideOnly) {
  const struct {
    JumpMode mode;
    uint32_t hide, focus;
  } rows[] = {{JumpMode::SameRight, kCmRightHideQuickview, kCmFocusRight},
              {JumpMode::SameLeft, kCmLeftHideQuickview, kCmFocusLeft},
              {JumpMode::Other, 0, 0}};
  for (const auto& r : rows) {
    EXPECT_EQ(hideCommandFor(r.mode), r.hide) << int(r.mode);
    EXPECT_EQ(focusCommandFor(r.mode), r.focus) << int(r.mode);
  }
}

std::vector<int32_t> flat(const AboutLayout& l) {
  std::vector<int32_t> v = {l.scale, l.margin, l.iconX, l.iconY, l.iconSize};
  for (const Rect& r : {l.title, l.hostLine, l.version, l.credit, l.link, l.okButton})
    v.insert(v.end(), {r.left, r.top, r.right, r.bottom});
  v.insert(v.end(), {l.separatorFrom.x, l.separatorFrom.y, l.separatorTo.x, l.separatorTo.y, l.clientWidth,
                     l.clientHeight});
  return v;
}

TEST(AboutLayout, At100And150PerCent) {
  // At 96 dpi the link with its 20-unit allowance is the widest; at 144 the
  // title, and the odd lengths (75, 23) round half away from zero.
  EXPECT_EQ(flat(layoutAboutBox(96, {200, 180, 90, 150, 190})),
            (std::vector<int32_t>{100, 16, 16, 16, 64,                    //
                                  96, 16, 306, 36, 96, 38, 306, 56,        // title, host line
                                  96, 74, 306, 92, 96, 92, 306, 110,       // version, credit
                                  96, 128, 306, 146, 231, 162, 306, 185,   // link, OK
                                  96, 62, 306, 62, 322, 201}));
  AboutLayout big = layoutAboutBox(144, {300, 180, 90, 150, 100});
  EXPECT_EQ(std::vector<int32_t>({big.title.right, big.okButton.left, big.okButton.bottom, big.clientHeight}),
            std::vector<int32_t>({444, 331, 278, 302}));
  EXPECT_EQ(layoutAboutBox(0, {}).scale, 100);  // an unreadable DPI lays out at 100 %
}

TEST(AboutTexts, VersionCreditYearsAndCentring) {
  char16_t text[64];
  formatAboutVersion(text, 64);
  EXPECT_EQ(textToUtf8(text), "Version:  2.0b");
  for (auto c : {std::make_pair(2026, u8"\u00A9 2025-2026 The Morvane authors"),
                 std::make_pair(2025, u8"\u00A9 2025 The Morvane authors"),
                 std::make_pair(1980, u8"\u00A9 2025 The Morvane authors")}) {  // a clock set back
    formatAboutCredit(c.first, text, 64);
    EXPECT_EQ(textToUtf8(text), c.second);
  }
  Rect r = centreOn({100, 100, 500, 400}, 200, 100);
  EXPECT_EQ(std::vector<int32_t>({r.left, r.top, r.right, r.bottom}), std::vector<int32_t>({200, 200, 400, 300}));
  r = centreOn({0, 0, 100, 100}, 201, 101);  // larger than the owner: truncation toward zero
  EXPECT_EQ(std::vector<int32_t>({r.left, r.top}), std::vector<int32_t>({-50, 0}));
}

}  // namespace
