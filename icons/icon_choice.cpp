#include "icons/icon_choice.h"

#include "format/text.h"

namespace {

bool equalsNoCase(const char16_t* a, const char16_t* b) { return a && textCompareNoCase(a, b) == 0; }

const char16_t* const kArchiveExtensions[] = {u".zip", u".rar", u".7z",  u".tar", u".gz",  u".tgz",
                                              u".bz2", u".tbz2", u".xz", u".txz", u".cab", u".iso",
                                              u".arj", u".lzh", u".ace", u".z"};

}  // namespace

const char16_t* lastExtension(const char16_t* name, int32_t max) {
  if (!name) return nullptr;
  const char16_t* dot = nullptr;
  for (int32_t i = 0; i < max && name[i]; ++i)
    if (name[i] == u'.') dot = name + i;
  return dot;
}

bool isExeExtension(const char16_t* ext) { return equalsNoCase(ext, u".exe"); }

bool isProgramExtension(const char16_t* ext) {
  return equalsNoCase(ext, u".exe") || equalsNoCase(ext, u".lnk");
}

bool isArchiveExtension(const char16_t* ext) {
  if (!ext) return false;
  for (const char16_t* a : kArchiveExtensions)
    if (textCompareNoCase(ext, a) == 0) return true;
  return false;
}

void extensionCacheKey(const char16_t* ext, char16_t key[kIconKeyUnits]) {
  int32_t n = 0;
  for (; ext && n < kIconKeyUnits - 1 && ext[n]; ++n) key[n] = textFoldCase(ext[n]);
  key[n] = 0;
}

IconPick chooseIcon(const IconChoiceInputs& in, const ScanItem& item) {
  IconPick pick = {};
  pick.choice = IconChoice::None;
  if (!in.colorIcons) return pick;
  bool host = in.hostListIcons;
  if (item.isFolder) {
    pick.choice = host && in.hostFolderLoaded ? IconChoice::HostFolder : IconChoice::ShellFolder;
    return pick;
  }
  const char16_t* ext = lastExtension(item.name, kNameUnits);
  if (!ext) {
    pick.choice = host && in.hostNoExtLoaded ? IconChoice::HostNoExt : IconChoice::ShellFile;
    return pick;
  }
  if (!isProgramExtension(ext)) {
    if (host && in.hostArchiveLoaded && isArchiveExtension(ext)) {
      pick.choice = IconChoice::HostArchive;
    } else {
      pick.choice = IconChoice::Extension;
      pick.extension = ext;
      extensionCacheKey(ext, pick.key);
    }
    return pick;
  }
  if (in.showExeIcons) {
    pick.choice = IconChoice::Program;
    pick.path = item.fullPath;
  } else if (host && in.hostExeLoaded) {
    pick.choice = IconChoice::HostProgram;
  } else {
    pick.choice = in.genericExeLoaded ? IconChoice::GenericProgram : IconChoice::ShellFile;
  }
  return pick;
}
