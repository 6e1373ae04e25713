// Which icon an item gets: the one selection rule shared by the list rows and
// the treemap labels. Portable: it answers a kind (and, for extensions, the
// cache key) and leaves turning that into a handle to the icon set.
#pragma once
#include <cstdint>

#include "scan/scan_item.h"

constexpr int kIconKeyUnits = 16;  // extension cache key: 15 characters and the terminator

enum class IconChoice : uint8_t {
  None,            // coloured icons are off: the caller draws a glyph
  ShellFolder,     // the shell's folder icon
  HostFolder,      // the host's folder icon
  ShellFile,       // the shell's plain-file icon
  HostNoExt,       // the host's icon for a file without extension
  HostArchive,     // the host's archive icon
  Extension,       // the shell's icon for the extension (cached per key)
  Program,         // the program's or shortcut's own icon (cached per path)
  HostProgram,     // the host's program icon
  GenericProgram,  // the shell's icon of a program without icons of its own
};

// The switches the rule reads and which of the optional icons could be loaded.
struct IconChoiceInputs {
  bool colorIcons;
  bool showExeIcons;
  bool hostListIcons;
  bool hostFolderLoaded;
  bool hostNoExtLoaded;
  bool hostExeLoaded;
  bool hostArchiveLoaded;
  bool genericExeLoaded;
};

struct IconPick {
  IconChoice choice;
  const char16_t* extension;   // Extension: points into the item's name
  char16_t key[kIconKeyUnits];  // Extension: its cache key
  const char16_t* path;        // Program: the item's full path
};

IconPick chooseIcon(const IconChoiceInputs& in, const ScanItem& item);

// The part of `name` from its last dot on (".gz" of "backup.tar.gz", the whole
// of ".profile"), or null when it has no dot. At most `max` units are looked at.
const char16_t* lastExtension(const char16_t* name, int32_t max = kPathUnits);
// ".exe" or ".lnk" in any case: the files that show a program's own icon.
bool isProgramExtension(const char16_t* ext);
bool isExeExtension(const char16_t* ext);
// One of the 16 archive extensions, ignoring case; false for null.
bool isArchiveExtension(const char16_t* ext);
// The first 15 characters of ext, lower-cased: .TXT and .txt share one entry.
void extensionCacheKey(const char16_t* ext, char16_t key[kIconKeyUnits]);
