#include "scan/dir_lister_win.h"

#include <windows.h>

#include <atomic>
#include <cstddef>

// DirEntry is handed to the system as the find data itself.
static_assert(sizeof(DirEntry) == sizeof(WIN32_FIND_DATAW), "DirEntry must mirror WIN32_FIND_DATAW");
static_assert(offsetof(DirEntry, attributes) == offsetof(WIN32_FIND_DATAW, dwFileAttributes), "");
static_assert(offsetof(DirEntry, sizeHigh) == offsetof(WIN32_FIND_DATAW, nFileSizeHigh), "");
static_assert(offsetof(DirEntry, sizeLow) == offsetof(WIN32_FIND_DATAW, nFileSizeLow), "");
static_assert(offsetof(DirEntry, name) == offsetof(WIN32_FIND_DATAW, cFileName), "");

namespace {

#ifndef FIND_FIRST_EX_LARGE_FETCH
#define FIND_FIRST_EX_LARGE_FETCH 2
#endif

// Once the system has refused the extended options, every later listing of
// the process goes straight to the plain call.
std::atomic<int> extendedRefused{0};

WIN32_FIND_DATAW* asFindData(DirEntry* e) { return reinterpret_cast<WIN32_FIND_DATAW*>(e); }

}  // namespace

DirListing Win32DirLister::open(const char16_t* pattern, DirEntry* first, uint32_t* error) {
  const wchar_t* p = reinterpret_cast<const wchar_t*>(pattern);
  HANDLE h = INVALID_HANDLE_VALUE;
  if (!extendedRefused.load(std::memory_order_relaxed)) {
    h = FindFirstFileExW(p, FindExInfoBasic, asFindData(first), FindExSearchNameMatch, nullptr,
                         FIND_FIRST_EX_LARGE_FETCH);
    if (h != INVALID_HANDLE_VALUE) return h;
    DWORD refused = GetLastError();
    if (refused != ERROR_INVALID_PARAMETER) {
      *error = refused;
      return nullptr;
    }
    h = FindFirstFileW(p, asFindData(first));
    if (h != INVALID_HANDLE_VALUE) extendedRefused.store(1, std::memory_order_relaxed);
  } else {
    h = FindFirstFileW(p, asFindData(first));
  }
  if (h == INVALID_HANDLE_VALUE) {
    *error = GetLastError();
    return nullptr;
  }
  return h;
}

bool Win32DirLister::next(DirListing listing, DirEntry* entry) {
  return FindNextFileW(static_cast<HANDLE>(listing), asFindData(entry)) != FALSE;
}

void Win32DirLister::close(DirListing listing) { FindClose(static_cast<HANDLE>(listing)); }
