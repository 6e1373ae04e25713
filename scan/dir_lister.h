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
  uint32_t reserved[2];  // [0]: the reparse tag when attributes carry kAttrReparsePoint
  char16_t name[260];
  char16_t alternateName[14];
};

inline uint64_t entrySize(const DirEntry& e) {
  return (static_cast<uint64_t>(e.sizeHigh) << 32) | e.sizeLow;
}
inline bool entryIsDots(const DirEntry& e) {
  return e.name[0] == u'.' && (e.name[1] == 0 || (e.name[1] == u'.' && e.name[2] == 0));
}

// Reparse tags. A name surrogate (bit 29) stands for another place in the
// namespace: junctions, mount points, symbolic links. The others a listing
// may show are storage tricks on a file or folder that is itself here.
constexpr uint32_t kReparseTagNameSurrogate = 0x20000000;
constexpr uint32_t kReparseTagCloud = 0x9000001A;       // and its 15 numbered variants 0x9000101A..0x9000F01A
constexpr uint32_t kReparseTagCloudMask = 0xFFFF0FFF;
constexpr uint32_t kReparseTagPlaceholder = 0x80000015; // the older cloud placeholder files
constexpr uint32_t kReparseTagDedup = 0x80000013;
constexpr uint32_t kReparseTagSymlink = 0xA000000C;
constexpr uint32_t kReparseTagMountPoint = 0xA0000003;

// Tags whose entries are walked and counted with the sizes the listing gives
// (data in the cloud or in a deduplication store, the entry itself here).
// Every other tag, and above all a name surrogate, is treated as a link.
bool reparseTagIsLocal(uint32_t tag);
// True for an entry that is not walked nor counted inside a walk (and shown
// with the link flag as a child): the reparse attribute with a tag that is
// not local.
bool entryIsLink(const DirEntry& e);

using DirListing = void*;  // null = invalid listing

// The walkers of a parallel scan share one lister, so it keeps no state of
// its own between calls: every call may come from any walker thread.
struct DirLister {
  virtual ~DirLister() = default;
  // Opens the listing for a pattern ("...\*") and fills the first entry; null
  // when it cannot be opened, with the platform's error in *error.
  virtual DirListing open(const char16_t* pattern, DirEntry* first, uint32_t* error) = 0;
  // Next entry; false at the end.
  virtual bool next(DirListing listing, DirEntry* entry) = 0;
  virtual void close(DirListing listing) = 0;
};
