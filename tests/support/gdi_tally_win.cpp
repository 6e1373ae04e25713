#include "tests/support/gdi_tally_win.h"

#include <shellapi.h>

#include <climits>
#include <cstring>

namespace {

volatile LONG g_created = 0;
volatile LONG g_deleted = 0;
volatile LONG g_iconsMade = 0;
volatile LONG g_iconsDestroyed = 0;

void iconMade(HICON icon) {
  if (icon) InterlockedIncrement(&g_iconsMade);
}

template <typename H>
H counted(H handle) {
  if (handle) InterlockedIncrement(&g_created);
  return handle;
}

HFONT WINAPI tallyCreateFontW(int h, int w, int e, int o, int weight, DWORD i, DWORD u, DWORD s,
                              DWORD cs, DWORD op, DWORD cp, DWORD q, DWORD pf, LPCWSTR face) {
  return counted(CreateFontW(h, w, e, o, weight, i, u, s, cs, op, cp, q, pf, face));
}
HBRUSH WINAPI tallyCreateSolidBrush(COLORREF c) { return counted(CreateSolidBrush(c)); }
HPEN WINAPI tallyCreatePen(int style, int width, COLORREF c) { return counted(CreatePen(style, width, c)); }
HDC WINAPI tallyCreateCompatibleDC(HDC dc) { return counted(CreateCompatibleDC(dc)); }
HBITMAP WINAPI tallyCreateCompatibleBitmap(HDC dc, int w, int h) {
  return counted(CreateCompatibleBitmap(dc, w, h));
}
HBITMAP WINAPI tallyCreateDIBSection(HDC dc, const BITMAPINFO* bi, UINT usage, void** bits,
                                     HANDLE section, DWORD offset) {
  return counted(CreateDIBSection(dc, bi, usage, bits, section, offset));
}
HRGN WINAPI tallyCreateRectRgn(int l, int t, int r, int b) { return counted(CreateRectRgn(l, t, r, b)); }
HRGN WINAPI tallyCreateRoundRectRgn(int l, int t, int r, int b, int w, int h) {
  return counted(CreateRoundRectRgn(l, t, r, b, w, h));
}
BOOL WINAPI tallyDeleteObject(HGDIOBJ o) {
  // Stock objects are not the module's to count; deleting one is a no-op.
  BOOL ok = DeleteObject(o);
  if (ok && o) InterlockedIncrement(&g_deleted);
  return ok;
}
BOOL WINAPI tallyDeleteDC(HDC dc) {
  BOOL ok = DeleteDC(dc);
  if (ok) InterlockedIncrement(&g_deleted);
  return ok;
}

DWORD_PTR WINAPI tallySHGetFileInfoW(LPCWSTR path, DWORD attributes, SHFILEINFOW* info, UINT size,
                                    UINT flags) {
  DWORD_PTR r = SHGetFileInfoW(path, attributes, info, size, flags);
  if ((flags & SHGFI_ICON) && info) iconMade(info->hIcon);
  return r;
}
UINT WINAPI tallyExtractIconExW(LPCWSTR file, int index, HICON* large, HICON* small, UINT n) {
  UINT r = ExtractIconExW(file, index, large, small, n);
  if (index != -1 && r != 0 && r != UINT_MAX) {
    for (UINT i = 0; i < n; ++i) {
      if (large) iconMade(large[i]);
      if (small) iconMade(small[i]);
    }
  }
  return r;
}
HANDLE WINAPI tallyLoadImageW(HINSTANCE module, LPCWSTR name, UINT type, int cx, int cy, UINT flags) {
  HANDLE h = LoadImageW(module, name, type, cx, cy, flags);
  if (type == IMAGE_ICON && !(flags & LR_SHARED)) iconMade(static_cast<HICON>(h));
  return h;
}
BOOL WINAPI tallyDestroyIcon(HICON icon) {
  BOOL ok = DestroyIcon(icon);
  if (ok) InterlockedIncrement(&g_iconsDestroyed);
  return ok;
}

struct Replacement {
  const char* name;
  void* function;
};
const Replacement kReplacements[] = {
    {"CreateFontW", reinterpret_cast<void*>(tallyCreateFontW)},
    {"CreateSolidBrush", reinterpret_cast<void*>(tallyCreateSolidBrush)},
    {"CreatePen", reinterpret_cast<void*>(tallyCreatePen)},
    {"CreateCompatibleDC", reinterpret_cast<void*>(tallyCreateCompatibleDC)},
    {"CreateCompatibleBitmap", reinterpret_cast<void*>(tallyCreateCompatibleBitmap)},
    {"CreateDIBSection", reinterpret_cast<void*>(tallyCreateDIBSection)},
    {"CreateRectRgn", reinterpret_cast<void*>(tallyCreateRectRgn)},
    {"CreateRoundRectRgn", reinterpret_cast<void*>(tallyCreateRoundRectRgn)},
    {"DeleteObject", reinterpret_cast<void*>(tallyDeleteObject)},
    {"DeleteDC", reinterpret_cast<void*>(tallyDeleteDC)},
};
// Icons are USER objects made by the shell and by user32 itself.
const Replacement kIconReplacements[] = {
    {"SHGetFileInfoW", reinterpret_cast<void*>(tallySHGetFileInfoW)},
    {"ExtractIconExW", reinterpret_cast<void*>(tallyExtractIconExW)},
    {"LoadImageW", reinterpret_cast<void*>(tallyLoadImageW)},
    {"DestroyIcon", reinterpret_cast<void*>(tallyDestroyIcon)},
};

}  // namespace

bool countGdiObjectsOf(HMODULE module) {
  auto base = reinterpret_cast<BYTE*>(module);
  auto dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
  auto nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (!dir.VirtualAddress) return false;
  bool any = false;
  for (auto imp = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); imp->Name;
       ++imp) {
    const char* dll = reinterpret_cast<char*>(base + imp->Name);
    bool gdi = lstrcmpiA(dll, "gdi32.dll") == 0;
    if (!gdi && lstrcmpiA(dll, "shell32.dll") != 0 && lstrcmpiA(dll, "user32.dll") != 0) continue;
    auto names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + imp->OriginalFirstThunk);
    auto slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + imp->FirstThunk);
    for (; names->u1.AddressOfData; ++names, ++slots) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
      auto byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
      const Replacement* table = gdi ? kReplacements : kIconReplacements;
      size_t count = gdi ? sizeof(kReplacements) / sizeof(Replacement)
                         : sizeof(kIconReplacements) / sizeof(Replacement);
      for (size_t i = 0; i < count; ++i) {
        const Replacement& r = table[i];
        if (std::strcmp(reinterpret_cast<char*>(byName->Name), r.name) != 0) continue;
        DWORD old;
        VirtualProtect(&slots->u1.Function, sizeof(slots->u1.Function), PAGE_READWRITE, &old);
        slots->u1.Function = reinterpret_cast<ULONG_PTR>(r.function);
        VirtualProtect(&slots->u1.Function, sizeof(slots->u1.Function), old, &old);
        any = true;
      }
    }
  }
  return any;
}

GdiTally gdiTally() { return GdiTally{g_created, g_deleted, g_iconsMade, g_iconsDestroyed}; }
