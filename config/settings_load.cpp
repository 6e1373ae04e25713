#include "config/settings_load.h"

#include "format/muldiv.h"

#include "config/host_config.h"
#include "config/value_rules.h"
#include "format/text.h"
#include "draw/colors.h"
#include "scan/scan_model.h"

namespace {

const SettingDef& def(SettingId id) { return kSettingTable[id]; }

// Reads a text key of the table into buf (its own buffer size).
const char16_t* readText(const SettingsSource& src, SettingId id, char16_t* buf) {
  const SettingDef& d = def(id);
  src.readText(d.section, d.key, d.defaultText, buf, d.bufferUnits);
  return buf;
}

int32_t readInt(const SettingsSource& src, SettingId id) {
  const SettingDef& d = def(id);
  return src.readInt(d.section, d.key, d.defaultInt);
}

int32_t readYesNo(const SettingsSource& src, SettingId id) {
  char16_t buf[kWordUnits];
  return yesNo(readText(src, id, buf)) ? 1 : 0;
}

// Yes/no/auto with the host's Configuration integer for Auto: non-zero is
// true; a missing key (or host file) gives missingMeans.
int32_t readYesNoAuto(const SettingsSource& src, SettingId id, ConfigPlatform& p,
                      const char16_t* hostKey, int32_t missingMeans) {
  char16_t buf[kWordUnits];
  switch (yesNoAuto(readText(src, id, buf))) {
    case YesNoAuto::Yes: return 1;
    case YesNoAuto::No: return 0;
    case YesNoAuto::Auto: break;
  }
  int32_t v = 0;
  if (!hostConfigInt(p, hostKey, &v)) return missingMeans;
  return v != 0 ? 1 : 0;
}

int32_t readWord(const SettingsSource& src, SettingId id, const WordMeaning* words, size_t count,
                 int32_t otherwise) {
  char16_t buf[kWordUnits];
  return wordValue(readText(src, id, buf), words, count, otherwise);
}

bool isAuto(const char16_t* v) { return textCompareNoCase(v, u"Auto") == 0; }

int32_t clampMetric(int64_t v, int32_t lo, int32_t hi) {
  return v < lo ? lo : v > hi ? hi : static_cast<int32_t>(v);
}

// The host minimum rule shared by the icon column and the row height: above
// base wins, 1..base gives base, 0 or below widens base by its size.
int64_t applyHostMinimum(int32_t base, int32_t m) {
  if (m > base) return m;
  if (m >= 1) return base;
  return int64_t{base} - m;
}

const WordMeaning kThemeWords[] = {{u"Dark", kThemeDark}, {u"Light", kThemeLight}};
const WordMeaning kLargestWord[] = {{u"Largest", 1}};
const WordMeaning kSizeWords[] = {
    {u"GB", kSizeDisplayGB}, {u"MB", kSizeDisplayMB}, {u"KB", kSizeDisplayKB}, {u"B", kSizeDisplayB}};
const WordMeaning kSameWord[] = {{u"Same", 1}};
const WordMeaning kMapStyleWords[] = {
    {u"Color", kMapColor}, {u"Colour", kMapColor}, {u"Soft", kMapSoft}, {u"Gradient", kMapGradient}};
const WordMeaning kNameWord[] = {{u"Name", 0}};
const WordMeaning kLabelWords[] = {{u"Icon", kEverythingLabelIcon},
                                   {u"Overlay", kEverythingLabelOverlay}};

template <size_t N>
constexpr size_t countOf(const WordMeaning (&)[N]) {
  return N;
}

}  // namespace

void readColorSet(const SettingsSource& src, const char16_t* section, const uint32_t* defaults,
                  ColorSet* out) {
  uint32_t* slots[kColorSetSize] = {
      &out->backgroundColor, &out->headerColor,    &out->textColor,          &out->metaColor,
      &out->barStartColor,   &out->barEndColor,    &out->fileColor,          &out->folderColor,
      &out->topFilesLabelColor, &out->headerBarColor, &out->headerActiveColor, &out->treeMapColor};
  for (int i = 0; i < kColorSetSize; ++i) {
    uint32_t fallback = i == kTopFilesLabelColorIndex ? out->textColor : colorFromRgb(defaults[i]);
    *slots[i] = readColorSetting(src, section, kColorKeys[i], fallback);
  }
}

void applyThemeColors(PanelSettings* s, bool dark) {
  const ColorSet& c = dark ? s->darkColors : s->lightColors;
  s->isDark = dark ? 1 : 0;
  s->colors = c;
  const SearchColors search = deriveSearchColors(s->colors.backgroundColor, s->colors.metaColor);
  s->searchBackColor = search.back;
  s->searchBorderColor = search.border;
  s->searchHintColor = search.hint;
}

bool switchTheme(PanelSettings* s, bool dark) {
  if (s->themeMode != kThemeAuto) return false;
  if ((s->isDark != 0) == dark) return false;
  applyThemeColors(s, dark);
  return true;
}

int32_t fontHeightForPoints(int32_t points, int32_t dpi) {
  int32_t h = mulDiv(points, dpi, 72);
  return h == INT32_MIN ? INT32_MAX : -h;
}

void loadSettings(PanelSettings* s, SettingsLoadNotes* notes, const SettingsSource& src,
                  ConfigPlatform& p, int32_t screenDpi) {
  using namespace hostkey;
  notes->themeDiag[0] = 0;
  readColorSet(src, kSectionThemeDark, kDarkColorDefaults, &s->darkColors);
  readColorSet(src, kSectionThemeLight, kLightColorDefaults, &s->lightColors);

  s->themeMode = readWord(src, kSetThemeMode, kThemeWords, countOf(kThemeWords), kThemeAuto);
  s->barScaleLargest = readWord(src, kSetBarScaleMode, kLargestWord, 1, 0);

  bool dark = false;
  if (s->themeMode != kThemeAuto) {
    dark = s->themeMode == kThemeDark;
    textCopy(notes->themeDiag, kThemeDiagUnits, u"(forced, no wincmd.ini check needed)");
  } else {
    ThemeAnswer a = hostDarkMode(p, notes->themeDiag, kThemeDiagUnits);
    if (a == ThemeAnswer::Undecided) a = windowsAppTheme(p);
    dark = a == ThemeAnswer::Dark;  // an undecided Windows answer is light
  }
  applyThemeColors(s, dark);

  s->boldFolderNames = readYesNo(src, kSetBoldFolderNames);
  s->showSearchBox = readYesNo(src, kSetSearchbox);
  s->showHeaders = readYesNo(src, kSetHeaders);
  s->fancyBar = readYesNo(src, kSetFancyBar);
  s->fancyText = readYesNo(src, kSetFancyText);
  s->sizeDisplay = readWord(src, kSetSizeDisplay, kSizeWords, countOf(kSizeWords), kSizeDisplayAuto);
  s->jumpToSamePane = readWord(src, kSetJumpToPane, kSameWord, 1, 0);
  readSeparators(p, s->thousandsSeparator, s->decimalSeparator);

  s->fancyMapStyle =
      readWord(src, kSetFancyMapStyle, kMapStyleWords, countOf(kMapStyleWords), kMapFlat);
  s->treeMapLabelSize = readWord(src, kSetTreeMapLabel, kNameWord, 1, 1);
  s->treeMapIcons = readYesNo(src, kSetTreeMapIcons);
  s->fancyMap = readYesNo(src, kSetFancyMap);
  s->fancyPop = readYesNo(src, kSetFancyPop);

  s->dirBrackets = readYesNoAuto(src, kSetDirBrackets, p, kDirBrackets, 0);
  s->colorIcons = readYesNo(src, kSetColorIcons);
  s->hostListIcons = readYesNoAuto(src, kSetTCListIcons, p, kOldListIcons, 0);

  s->useEverything = readYesNo(src, kSetEverything);
  {
    char16_t buf[kWordUnits];
    readText(src, kSetShowEverythingLabel, buf);
    s->everythingLabel = wordValue(buf, kLabelWords, countOf(kLabelWords), yesNo(buf) ? 1 : 0);
  }
  s->everythingDebug = (readYesNo(src, kSetEverythingDebug) && s->useEverything) ? 1 : 0;

  // A device that reports no resolution is treated as the standard 96 dpi.
  s->screenDpi = screenDpi > 0 ? screenDpi : 96;
  s->dpiScalePercent = mulDiv(s->screenDpi, 100, 96);

  {
    char16_t buf[kWordUnits];
    readText(src, kSetIconSize, buf);
    notes->iconSizeAuto = isAuto(buf) ? 1 : 0;
    notes->iconSizeFromHost = 0;
    int32_t size = 16;
    if (notes->iconSizeAuto) {
      int32_t host = 0;
      if (hostIconSize(p, &host)) {
        size = host;
        notes->iconSizeFromHost = 1;
      }
    } else {
      size = parseLeadingInt(buf);
      if (size < 8) size = 16;
    }
    s->iconSize = size > kMaxIconSize ? kMaxIconSize : size;
  }
  int32_t scaledIcon = mulDiv(s->iconSize, s->dpiScalePercent, 100);
  s->useSmallIcons = scaledIcon < 17 ? 1 : 0;

  s->showExeIcons = readYesNoAuto(src, kSetShowExeIcons, p, kShowExeIcons, 1);
  s->everythingLabelIconSize = nearestStandardIconSize(scaledIcon);
  s->everythingOverlayIconSize = nearestStandardIconSize(static_cast<int32_t>(scaledIcon * 0.85));

  s->headerFontSize = readInt(src, kSetHeaderFontSize);
  s->bodyFontSize = readInt(src, kSetBodyFontSize);
  {
    char16_t buf[kWordUnits];
    readText(src, kSetFontName, buf);
    s->fontFromHost = 0;
    s->bodyFontWeight = 400;
    HostFont host;
    if (isAuto(buf) && hostFont(p, &host)) {
      textCopy(s->fontFace, kFontFaceUnits, host.face);
      s->bodyFontSize = host.size;
      s->bodyFontWeight = host.weight;
      s->fontFromHost = 1;
    } else {
      textCopy(s->fontFace, kFontFaceUnits, isAuto(buf) ? u"Segoe UI" : buf);
    }
  }
  int32_t small = static_cast<int32_t>(s->bodyFontSize * 0.85 + 0.5);
  s->smallFontSize = small < 7 ? 6 : small;

  // A huge list would ask a 32-bit process for gigabytes of records.
  int32_t top = readInt(src, kSetMaxTopFiles);
  s->maxTopFiles = top > kMaxTopFilesCap ? kMaxTopFilesCap : top;
  int32_t depth = readInt(src, kSetMaxFolderDepth);
  s->maxFolderDepth = depth < 2 ? 1 : depth;

  {
    char16_t buf[kWordUnits];
    readText(src, kSetRowHeight, buf);
    notes->rowHeightAuto = isAuto(buf) ? 1 : 0;
    notes->rowHeightValue = notes->rowHeightAuto ? 0 : parseLeadingInt(buf);
  }

  // Missing, 0 or below: the scan picks one walker per processor.
  int32_t threads = readInt(src, kSetScanThreads);
  s->scanThreads = threads < 1 ? 0 : (threads > kMaxScanThreads ? kMaxScanThreads : threads);
}

void applyTextMetrics(PanelSettings* s, const TextMeasure& px) {
  int32_t dpi = s->screenDpi > 0 ? s->screenDpi : 96;
  s->headerTextHeight = mulDiv(px.headerHeight, 96, dpi);
  s->bodyTextHeight = mulDiv(px.bodyHeight, 96, dpi);
  s->titleWidth = mulDiv(px.titleWidth, 96, dpi);
  s->searchBoxHeight = s->bodyTextHeight + 8;
  if (s->showSearchBox) s->searchBoxWidth = mulDiv(px.bodyAverageWidth, 96, dpi) * 20 + 10;
}

void finishSettings(PanelSettings* s, const SettingsLoadNotes* notes, ConfigPlatform& p) {
  using namespace hostkey;
  const char16_t* kFound = u"found";
  const char16_t* kNotFound = u"not found/not used";

  int32_t base = s->iconSize + 16;
  int32_t minIconWidth = 0;
  bool iconWidthFound = notes->iconSizeAuto && hostConfigInt(p, kMinIconWidth, &minIconWidth);
  if (!iconWidthFound) minIconWidth = 0;
  s->iconColumnWidth =
      iconWidthFound ? clampMetric(applyHostMinimum(base, minIconWidth), 0, kMaxRowMetric) : base;

  int32_t rowBase = s->bodyTextHeight > s->iconSize ? s->bodyTextHeight : s->iconSize;
  int64_t row = int64_t{rowBase} + 12;
  int32_t minLineHeight = 0;
  bool lineFound = false;
  if (!notes->rowHeightAuto) {
    int32_t n = notes->rowHeightValue;
    row = n >= 0 ? int64_t{rowBase} + 2 * int64_t{n} : int64_t{rowBase} + 12;
  } else if (hostConfigInt(p, kMinLineHeight, &minLineHeight)) {
    lineFound = true;
    row = applyHostMinimum(rowBase, minLineHeight);
  } else {
    minLineHeight = 0;
  }
  s->rowHeight = clampMetric(row, 18, kMaxRowMetric);

  textFormat(s->configDiagLine, kConfigDiagUnits,
             u"Everything: cfg=%s | Theme: %s | Font: '%s' %dpt (%s) | Icon: %dpx col=%dpx "
             u"(Iconsize32 %s, MinIconWidth %s=%d) | Row: %dpx (MinLineHeight %s=%d)",
             s->useEverything ? u"Y" : u"N", notes->themeDiag, s->fontFace, s->bodyFontSize,
             s->fontFromHost ? u"from wincmd.ini" : u"fallback default", s->iconSize,
             s->iconColumnWidth, notes->iconSizeFromHost ? kFound : kNotFound,
             iconWidthFound ? kFound : kNotFound, minIconWidth, s->rowHeight,
             lineFound ? kFound : kNotFound, minLineHeight);
}
