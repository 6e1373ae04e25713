#include "icons/icon_set.h"

#include <cstdint>
#include <cstdlib>

#include "format/text.h"

namespace {

const char16_t kNoFailuresYet[] = u"(no exe icon failures yet)";

// Room for one more entry: capacity 32 at first, then doubled. A failed or
// impossible growth keeps the old array and answers false.
template <typename Entry>
bool makeRoom(IconSource& src, Entry*& entries, int32_t count, int32_t& capacity) {
  if (count < capacity) return true;
  if (capacity > INT32_MAX / 2) return false;
  int32_t grown = capacity == 0 ? kFirstIconCacheCapacity : capacity * 2;
  if (static_cast<size_t>(grown) > SIZE_MAX / sizeof(Entry)) return false;
  void* block = src.resizeBlock(entries, static_cast<size_t>(grown) * sizeof(Entry));
  if (!block) return false;
  entries = static_cast<Entry*>(block);
  capacity = grown;
  return true;
}

IconHandle programFallback(const IconSet& set) {
  return set.genericExeIcon ? set.genericExeIcon : set.shellFileIcon;
}

void destroyIfPresent(IconSource& src, IconHandle& icon) {
  if (icon) src.destroyIcon(icon);
  icon = nullptr;
}

}  // namespace

void* IconSource::resizeBlock(void* block, size_t bytes) { return std::realloc(block, bytes); }
void IconSource::freeBlock(void* block) { std::free(block); }

void initIconSet(IconSet& set, bool colorIcons, bool showExeIcons, bool hostListIcons,
                 bool useSmallIcons) {
  set = IconSet{};
  set.colorIcons = colorIcons;
  set.showExeIcons = showExeIcons;
  set.hostListIcons = hostListIcons;
  set.useSmallIcons = useSmallIcons;
  textCopy(set.exeIconFailLine, kExeFailLineUnits, kNoFailuresYet);
}

IconChoiceInputs iconChoiceInputs(const IconSet& set) {
  IconChoiceInputs in = {};
  in.colorIcons = set.colorIcons != 0;
  in.showExeIcons = set.showExeIcons != 0;
  in.hostListIcons = set.hostListIcons != 0;
  in.hostFolderLoaded = set.hostFolderIcon != nullptr;
  in.hostNoExtLoaded = set.hostNoExtIcon != nullptr;
  in.hostExeLoaded = set.hostExeIcon != nullptr;
  in.hostArchiveLoaded = set.hostArchiveIcon != nullptr;
  in.genericExeLoaded = set.genericExeIcon != nullptr;
  return in;
}

IconHandle iconForItem(IconSet& set, IconSource& src, const ScanItem& item) {
  IconPick pick = chooseIcon(iconChoiceInputs(set), item);
  switch (pick.choice) {
    case IconChoice::None: return nullptr;
    case IconChoice::ShellFolder: return set.shellFolderIcon;
    case IconChoice::HostFolder: return set.hostFolderIcon;
    case IconChoice::ShellFile: return set.shellFileIcon;
    case IconChoice::HostNoExt: return set.hostNoExtIcon;
    case IconChoice::HostArchive: return set.hostArchiveIcon;
    case IconChoice::Extension: return extensionIcon(set, src, pick.extension);
    case IconChoice::Program: return programIcon(set, src, pick.path);
    case IconChoice::HostProgram: return set.hostExeIcon;
    case IconChoice::GenericProgram: return set.genericExeIcon;
  }
  return nullptr;
}

IconHandle extensionIcon(IconSet& set, IconSource& src, const char16_t* ext) {
  char16_t key[kIconKeyUnits];
  extensionCacheKey(ext, key);
  for (int32_t i = 0; i < set.extIconCount; ++i)
    if (textEquals(set.extIconCache[i].key, key)) return set.extIconCache[i].icon;

  // An attribute-only request for a pseudo name: no file is touched.
  char16_t pseudo[24];
  textFormat(pseudo, 24, u"x%s", key);
  IconHandle icon = src.shellIcon(pseudo, ShellAsk::AsNormalFile, set.useSmallIcons != 0);
  if (!icon) return set.shellFileIcon;  // not cached: the next paint asks again
  if (!makeRoom(src, set.extIconCache, set.extIconCount, set.extIconCapacity)) {
    src.destroyIcon(icon);
    return set.shellFileIcon;
  }
  ExtIconEntry& e = set.extIconCache[set.extIconCount++];
  textCopy(e.key, kIconKeyUnits, key);
  e.icon = icon;
  return icon;
}

IconHandle programIcon(IconSet& set, IconSource& src, const char16_t* path) {
  for (int32_t i = 0; i < set.exeIconCount; ++i)
    if (textCompareNoCase(set.exeIconCache[i].path, path) == 0) return set.exeIconCache[i].icon;

  // A program without icons of its own shows the host's program icon; a
  // shortcut always asks the shell, which knows its target's icon.
  if (set.hostListIcons && set.hostExeIcon && isExeExtension(lastExtension(path))) {
    int32_t count = src.iconCountInFile(path);
    if (count == 0 || count == -1) return set.hostExeIcon;
  }

  bool small = set.useSmallIcons != 0;
  bool attrOk = src.readAttributes(path);
  uint32_t attrError = attrOk ? 0 : src.lastError();
  IconHandle icon = nullptr;
  uint32_t error1 = 0, error2 = 0;
  char16_t shortForm[kPathUnits] = {};
  do {
    src.clearLastError();
    if ((icon = src.shellIcon(path, ShellAsk::Path, small))) break;
    error1 = src.lastError();
    if (small) {
      src.clearLastError();
      if ((icon = src.shellIcon(path, ShellAsk::Path, false))) break;
      error2 = src.lastError();
    }
    size_t n = src.shortPath(path, shortForm, kPathUnits);
    if (n == 0 || n > kPathUnits - 1) {
      shortForm[0] = 0;
      break;
    }
    src.clearLastError();
    if ((icon = src.shellIcon(shortForm, ShellAsk::Path, small))) break;
    src.clearLastError();
    icon = src.shellIcon(shortForm, ShellAsk::Path, false);
  } while (false);

  if (!icon) {
    char16_t shownPath[181], shownShort[61];
    textCopy(shownPath, 181, path);
    textCopy(shownShort, 61, shortForm);
    textFormat(set.exeIconFailLine, kExeFailLineUnits,
               u"EXEICON FAIL path=[%s] len=%d attrOk=%s err=%lu small=%lu large=%lu "
               u"short=[%s] shortErr=%lu",
               shownPath, static_cast<int>(textLengthBounded(path, kPathUnits)),
               attrOk ? u"Y" : u"N", static_cast<unsigned long>(attrError),
               static_cast<unsigned long>(error1), static_cast<unsigned long>(error2), shownShort,
               static_cast<unsigned long>(src.lastError()));
    return programFallback(set);
  }
  if (!makeRoom(src, set.exeIconCache, set.exeIconCount, set.exeIconCapacity)) {
    src.destroyIcon(icon);
    return programFallback(set);
  }
  ExeIconEntry& e = set.exeIconCache[set.exeIconCount++];
  textCopy(e.path, kPathUnits, path);
  e.icon = icon;
  return icon;
}

void releaseIconSet(IconSet& set, IconSource& src) {
  IconHandle* stock[] = {&set.shellFolderIcon, &set.shellFileIcon,       &set.genericExeIcon,
                         &set.hostFolderIcon,  &set.hostNoExtIcon,       &set.hostExeIcon,
                         &set.hostArchiveIcon, &set.everythingLabelIcon, &set.everythingOverlayIcon};
  for (IconHandle* icon : stock) destroyIfPresent(src, *icon);
  for (int32_t i = 0; i < set.extIconCount; ++i) destroyIfPresent(src, set.extIconCache[i].icon);
  src.freeBlock(set.extIconCache);
  set.extIconCache = nullptr;
  set.extIconCount = set.extIconCapacity = 0;
  for (int32_t i = 0; i < set.exeIconCount; ++i) destroyIfPresent(src, set.exeIconCache[i].icon);
  src.freeBlock(set.exeIconCache);
  set.exeIconCache = nullptr;
  set.exeIconCount = set.exeIconCapacity = 0;
}
