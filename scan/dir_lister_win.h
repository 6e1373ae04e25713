// The folder listing over Win32: FindFirstFileExW with the basic information
// level and large fetches (no short names to look up, bigger directory reads),
// falling back to plain FindFirstFileW on systems that refuse those options.
#pragma once
#include "scan/dir_lister.h"

struct Win32DirLister final : DirLister {
  DirListing open(const char16_t* pattern, DirEntry* first, uint32_t* error) override;
  bool next(DirListing listing, DirEntry* entry) override;
  void close(DirListing listing) override;
};
