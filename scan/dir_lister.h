// A folder listing as the platform delivers it: open with a pattern (giving the
// first entry), next entry, close, and the error of the last failed open.
// DirEntry has the layout of WIN32_FIND_DATAW, so the Win32 lister hands it to
// the system as it is: no copy and no allocation per entry.
#pragma once
#include <cstdint>

constexpr uint32_t kAttrDirectory = 0x10;
constexpr uint32_t kAttrReparsePoint = 0x400;
constexpr uint32_t kErrorFileNotFound = 2;
constexpr uint32_t kErrorPathNotFound = 3;
constexpr uint32_t kErrorAccessDenied = 5;

struct DirEntry {
  uint32_t attributes;
  uint32_t fileTimes[6];  // creation, last access, last write (not read)
  uint32_t sizeHigh;
  uint32_t sizeLow;
  uint32_t reserved[2];
  char16_t name[260];
  char16_t alternateName[14];
};

inline uint64_t entrySize(const DirEntry& e) {
  return (static_cast<uint64_t>(e.sizeHigh) << 32) | e.sizeLow;
}
inline bool entryIsDots(const DirEntry& e) {
  return e.name[0] == u'.' && (e.name[1] == 0 || (e.name[1] == u'.' && e.name[2] == 0));
}

using DirListing = void*;  // null = invalid listing

struct DirLister {
  virtual ~DirLister() = default;
  // Opens the listing for a pattern ("...\*") and fills the first entry; null
  // when it cannot be opened (lastError() then tells why).
  virtual DirListing open(const char16_t* pattern, DirEntry* first) = 0;
  // Next entry; false at the end.
  virtual bool next(DirListing listing, DirEntry* entry) = 0;
  virtual void close(DirListing listing) = 0;
  virtual uint32_t lastError() = 0;
};
