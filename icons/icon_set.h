// A panel's icons: the stock icons loaded at creation, the host's list icons,
// the two marks of the Everything label, and the two caches that make the
// shell answer each extension and each program only once. Portable: handles
// are opaque, and everything that asks the platform goes through IconSource,
// so the caches and the program request chain are tested with a fake.
#pragma once
#include <cstddef>
#include <cstdint>

#include "draw/canvas.h"  // IconHandle
#include "icons/icon_choice.h"

constexpr int kExeFailLineUnits = 400;  // 399 characters and the terminator
constexpr int32_t kFirstIconCacheCapacity = 32;

struct ExtIconEntry {
  char16_t key[kIconKeyUnits];  // extension with its dot, lower-cased, at most 15 characters
  IconHandle icon;
};

struct ExeIconEntry {
  char16_t path[kPathUnits];  // the item's full path as given, at most 2047 characters
  IconHandle icon;
};

struct IconSet {
  IconHandle shellFolderIcon;
  IconHandle shellFileIcon;
  IconHandle genericExeIcon;
  IconHandle everythingLabelIcon;
  IconHandle everythingOverlayIcon;
  int32_t everythingLabelIconSize;    // pixels
  int32_t everythingOverlayIconSize;  // pixels
  IconHandle hostFolderIcon;
  IconHandle hostNoExtIcon;
  IconHandle hostExeIcon;
  IconHandle hostArchiveIcon;

  ExtIconEntry* extIconCache;
  int32_t extIconCount;
  int32_t extIconCapacity;
  ExeIconEntry* exeIconCache;
  int32_t exeIconCount;
  int32_t exeIconCapacity;

  char16_t exeIconFailLine[kExeFailLineUnits];

  // The switches the selection reads, copied from the settings at creation.
  int32_t colorIcons;
  int32_t showExeIcons;
  int32_t hostListIcons;
  int32_t useSmallIcons;
};

// How a shell request names its item.
enum class ShellAsk : uint8_t {
  Path,          // the file itself, looked up on disk
  AsFolder,      // a name with the directory attribute, never looked up
  AsNormalFile,  // a name with the normal-file attribute, never looked up
};

// The platform behind the lookups. Every request clears the last error first
// and leaves in it what the platform reported.
struct IconSource {
  virtual ~IconSource() = default;
  // A shell icon, small or large; null when the request fails.
  virtual IconHandle shellIcon(const char16_t* name, ShellAsk ask, bool small) = 0;
  // Number of icons in the file; -1 when it cannot be read.
  virtual int32_t iconCountInFile(const char16_t* path) = 0;
  virtual bool readAttributes(const char16_t* path) = 0;
  // Length of the short (8.3) form written to out; 0 on failure, or the units
  // needed (more than cap - 1) when it does not fit.
  virtual size_t shortPath(const char16_t* path, char16_t* out, size_t cap) = 0;
  virtual void clearLastError() = 0;
  virtual uint32_t lastError() = 0;
  virtual void destroyIcon(IconHandle icon) = 0;
  // realloc/free of the cache arrays (a fake makes growth fail).
  virtual void* resizeBlock(void* block, size_t bytes);
  virtual void freeBlock(void* block);
};

// Zero handles, empty caches, the switches and the first fail line.
void initIconSet(IconSet& set, bool colorIcons, bool showExeIcons, bool hostListIcons,
                 bool useSmallIcons);

IconChoiceInputs iconChoiceInputs(const IconSet& set);

// The icon the rule chooses for the item; null when none (callers draw a glyph).
IconHandle iconForItem(IconSet& set, IconSource& src, const ScanItem& item);

// The shell's icon for an extension (with its dot), cached under its key;
// shellFileIcon when the shell has none.
IconHandle extensionIcon(IconSet& set, IconSource& src, const char16_t* ext);

// A program's or shortcut's own icon, cached under its path; on failure the
// generic program icon (or the plain-file icon), and the fail line is rewritten.
IconHandle programIcon(IconSet& set, IconSource& src, const char16_t* path);

// Destroys every stock, host, mark and cached icon and frees both caches.
void releaseIconSet(IconSet& set, IconSource& src);
