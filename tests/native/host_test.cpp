#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "format/text.h"
#include "host/about_layout.h"
#include "host/jump_payload.h"

namespace {

std::string payload(JumpMode mode, const std::string& utf8, size_t cap = 64) {
  uint8_t out[64];
  auto bytes = reinterpret_cast<const uint8_t*>(utf8.data());
  size_t n = buildCdPayload(mode, bytes, utf8.size(), out, cap);
  return std::string(reinterpret_cast<char*>(out), n);
}

TEST(CdPayload, BytesAndSizeOfEachCase) {
  const std::string bom = "\xEF\xBB\xBF", same("\0A\0", 3), other("\0SA\0", 4);
  // UTF-8 of 1, 2, 3 and 4 bytes.
  const std::string ascii = "C:\\a b\\x.txt", wide = u8"D:\\\u00E4\u20AC\\\U0001F600";
  for (const std::string& path : {ascii, wide}) {
    const struct { JumpMode mode; std::string want; } rows[] = {
        {JumpMode::SameRight, "\r" + bom + path + same},
        {JumpMode::SameLeft, bom + path + "\r" + same},
        {JumpMode::Other, bom + path + "\r" + bom + other}};
    for (const auto& r : rows) {
      size_t size = path.size() + (r.mode == JumpMode::Other ? 11 : 7);
      EXPECT_EQ(payload(r.mode, path), r.want) << int(r.mode) << " " << path;
      EXPECT_EQ(cdPayloadSize(r.mode, path.size()), size);
      EXPECT_EQ(payload(r.mode, path, size - 1), "");  // no room: nothing, never a cut path
    }
  }
}

// The side is the parent's centre against the host's; any one condition
// missing sends the jump to the other pane. The quick view closed and the pane
// focused are the jump's side's; a jump to the other pane touches neither.
TEST(JumpMode, SameOnlyInsideTheHostWithBothRectanglesSideByCentreAndItsCommands) {
  const Rect host = {0, 0, 1000, 700}, right = {500, 50, 1000, 650}, two = {-1, 0, 1, 0};
  const struct { Rect parent, host; JumpMode want; } rows[] = {
      {{0, 50, 499, 650}, host, JumpMode::SameLeft},
      {right, host, JumpMode::SameRight},
      {{100, 0, 900, 700}, host, JumpMode::SameRight},  // centred exactly
      {{99, 0, 899, 700}, host, JumpMode::SameLeft},
      {{-1, 0, 0, 0}, two, JumpMode::SameRight},  // -1/2 is 0
      {{-3, 0, 0, 0}, two, JumpMode::SameLeft},   // -3/2 is -1
      {{INT32_MAX - 1, 0, INT32_MAX, 0}, {INT32_MIN, 0, INT32_MAX, 0}, JumpMode::SameRight},
  };
  for (const auto& r : rows)
    EXPECT_EQ(decideJumpMode({true, true, true, true, r.parent, true, r.host}), r.want)
        << r.parent.left << " " << r.parent.right;
  for (int off = 0; off < 5; ++off) {
    bool f[5] = {true, true, true, true, true};
    f[off] = false;
    EXPECT_EQ(decideJumpMode({f[0], f[1], f[2], f[3], right, f[4], host}), JumpMode::Other) << off;
  }
  const struct { JumpMode mode; uint32_t hide, focus; } commands[] = {
      {JumpMode::SameRight, kCmRightHideQuickview, kCmFocusRight},
      {JumpMode::SameLeft, kCmLeftHideQuickview, kCmFocusLeft},
      {JumpMode::Other, 0, 0}};
  for (const auto& c : commands)
    EXPECT_EQ(std::make_pair(hideCommandFor(c.mode), focusCommandFor(c.mode)),
              std::make_pair(c.hide, c.focus)) << int(c.mode);
}

// The rectangles' corners after the given numbers.
std::vector<int32_t> ints(std::initializer_list<Rect> rects, std::vector<int32_t> v = {}) {
  for (const Rect& r : rects) v.insert(v.end(), {r.left, r.top, r.right, r.bottom});
  return v;
}

TEST(AboutLayout, At100And150PerCent) {
  // At 96 dpi the link with its 20-unit allowance is the widest; at 144 the
  // title, and the odd lengths (75, 23) round half away from zero.
  AboutLayout l = layoutAboutBox(96, {200, 180, 90, 150, 190});
  EXPECT_EQ(ints({l.title, l.hostLine, l.version, l.credit, l.link, l.okButton},
                 {l.scale, l.margin, l.iconX, l.iconY, l.iconSize, l.separatorFrom.x,
                  l.separatorFrom.y, l.separatorTo.x, l.separatorTo.y, l.clientWidth,
                  l.clientHeight}),
            (std::vector<int32_t>{100, 16, 16, 16, 64, 96, 62, 306, 62, 322, 201,  //
                                  96, 16, 306, 36, 96, 38, 306, 56,        // title, host line
                                  96, 74, 306, 92, 96, 92, 306, 110,       // version, credit
                                  96, 128, 306, 146, 231, 162, 306, 185}));  // link, OK
  l = layoutAboutBox(144, {300, 180, 90, 150, 100});
  EXPECT_EQ((std::vector<int32_t>{l.title.right, l.okButton.left, l.okButton.bottom,
                                  l.clientHeight}), (std::vector<int32_t>{444, 331, 278, 302}));
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
  // Larger than the owner: truncation toward zero.
  EXPECT_EQ(ints({centreOn({100, 100, 500, 400}, 200, 100), centreOn({0, 0, 100, 100}, 201, 101)}),
            (std::vector<int32_t>{200, 200, 400, 300, -50, 0, 151, 101}));
}

}  // namespace
