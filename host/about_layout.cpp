#include "host/about_layout.h"

#include "format/muldiv.h"
#include "format/text.h"

const char16_t kAboutProductName[] = u"Morvane Storage Analysis";
const char16_t kAboutHostLine[] = u"Total Commander Lister Plugin";
const char16_t kAboutLinkText[] = u"https://morvane.example.org";
const char16_t kAboutCaption[] = u"About Morvane";
const char16_t kAboutVersion[] = u"2.0b";

namespace {

const char16_t kCreditFormat[] = u"\u00A9 %s The Morvane authors";

int32_t maxOf(int32_t a, int32_t b) { return a > b ? a : b; }

}  // namespace

size_t formatAboutVersion(char16_t* out, size_t cap) {
  return textFormat(out, cap, u"Version:  %s", kAboutVersion);
}

size_t formatAboutCredit(int32_t year, char16_t* out, size_t cap) {
  char16_t years[32];
  if (year > kAboutBaseYear) textFormat(years, 32, u"%d-%d", int(kAboutBaseYear), int(year));
  else textFormat(years, 32, u"%d", int(kAboutBaseYear));
  return textFormat(out, cap, kCreditFormat, years);
}

int32_t aboutScale(int32_t dpi) {
  int32_t scale = mulDiv(dpi, 100, 96);
  return scale > 0 ? scale : 100;  // an unreadable DPI draws at 100 %
}

AboutLayout layoutAboutBox(int32_t dpi, const AboutTextWidths& w) {
  AboutLayout l = {};
  int32_t s = aboutScale(dpi);
  auto S = [s](int32_t n) { return mulDiv(n, s, 100); };
  l.scale = s;
  int32_t m = S(16);
  l.margin = m;
  l.iconX = m;
  l.iconY = m;
  l.iconSize = S(64);
  int32_t x0 = m + S(64) + S(16);
  int32_t lh = S(18);
  int32_t widest = maxOf(maxOf(maxOf(w.title, w.hostLine), maxOf(w.version, w.credit)),
                         maxOf(w.link, w.link + S(20)));
  int32_t right = x0 + maxOf(widest, 0);
  l.title = {x0, m, right, m + S(20)};
  int32_t y1 = m + S(22);
  l.hostLine = {x0, y1, right, y1 + S(18)};
  int32_t ys = y1 + S(24);
  l.separatorFrom = {x0, ys};
  l.separatorTo = {right, ys};
  int32_t y2 = ys + S(12);
  l.version = {x0, y2, right, y2 + lh};
  l.credit = {x0, y2 + lh, right, y2 + 2 * lh};
  l.link = {x0, y2 + 3 * lh, right, y2 + 4 * lh};  // the line between stays empty
  int32_t bottom = maxOf(y2 + 4 * lh, m + S(64));
  l.okButton = {right - S(75), bottom + m, right, bottom + m + S(23)};
  l.clientWidth = right + m;
  l.clientHeight = bottom + m + S(23) + m;
  return l;
}

Rect centreOn(const Rect& owner, int32_t width, int32_t height) {
  int32_t left = int32_t(owner.left + ((int64_t(owner.right) - owner.left) - width) / 2);
  int32_t top = int32_t(owner.top + ((int64_t(owner.bottom) - owner.top) - height) / 2);
  return {left, top, left + width, top + height};
}
