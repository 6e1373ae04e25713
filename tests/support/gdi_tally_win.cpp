#include "tests/support/gdi_tally_win.h"

#include <shellapi.h>

#include <cstring>
#include <utility>

namespace {

// Created GDI objects, deleted ones, icons handed out, icons destroyed.
volatile LONG g_counts[4] = {};

template <typename H>
H made(H handle, int which = 0) { return handle ? (InterlockedIncrement(&g_counts[which]), handle) : handle; }

HFONT WINAPI tCreateFontW(int h, int w, int e, int o, int weight, DWORD i, DWORD u, DWORD s, DWORD cs, DWORD op,
                          DWORD cp, DWORD q, DWORD pf, LPCWSTR face) {
  return made(CreateFontW(h, w, e, o, weight, i, u, s, cs, op, cp, q, pf, face));
}
HBRUSH WINAPI tCreateSolidBrush(COLORREF c) { return made(CreateSolidBrush(c)); }
HPEN WINAPI tCreatePen(int style, int width, COLORREF c) { return made(CreatePen(style, width, c)); }
HDC WINAPI tCreateCompatibleDC(HDC dc) { return made(CreateCompatibleDC(dc)); }
HBITMAP WINAPI tCreateCompatibleBitmap(HDC dc, int w, int h) { return made(CreateCompatibleBitmap(dc, w, h)); }
HRGN WINAPI tCreateRectRgn(int l, int t, int r, int b) { return made(CreateRectRgn(l, t, r, b)); }
HRGN WINAPI tCreateRoundRectRgn(int l, int t, int r, int b, int w, int h) {
  return made(CreateRoundRectRgn(l, t, r, b, w, h));
}
// Deleting a stock object succeeds and changes nothing; a null handle is no object.
BOOL WINAPI tDeleteObject(HGDIOBJ o) { return made(BOOL(o && DeleteObject(o)), 1); }
BOOL WINAPI tDeleteDC(HDC dc) { return made(DeleteDC(dc), 1); }

// Icons are USER objects made by the shell and by user32 itself.
DWORD_PTR WINAPI tSHGetFileInfoW(LPCWSTR path, DWORD attributes, SHFILEINFOW* info, UINT size, UINT flags) {
  DWORD_PTR r = SHGetFileInfoW(path, attributes, info, size, flags);
  if ((flags & SHGFI_ICON) && info) made(info->hIcon, 2);
  return r;
}
UINT WINAPI tExtractIconExW(LPCWSTR file, int index, HICON* large, HICON* small, UINT n) {
  UINT r = ExtractIconExW(file, index, large, small, n);  // index -1 only counts the icons
  for (UINT i = 0; index != -1 && r != 0 && r != ~0u && i < n; ++i)
    made(large ? large[i] : nullptr, 2), made(small ? small[i] : nullptr, 2);
  return r;
}
HANDLE WINAPI tLoadImageW(HINSTANCE module, LPCWSTR name, UINT type, int cx, int cy, UINT flags) {
  HANDLE h = LoadImageW(module, name, type, cx, cy, flags);
  return type == IMAGE_ICON && !(flags & LR_SHARED) ? made(h, 2) : h;
}
BOOL WINAPI tDestroyIcon(HICON icon) { return made(DestroyIcon(icon), 3); }

#define TALLY_ENTRY(name) {#name, reinterpret_cast<void*>(t##name)}
const std::pair<const char*, void*> kReplacements[] = {
    TALLY_ENTRY(CreateFontW),   TALLY_ENTRY(CreateSolidBrush),   TALLY_ENTRY(CreatePen),
    TALLY_ENTRY(CreateCompatibleDC), TALLY_ENTRY(CreateCompatibleBitmap), TALLY_ENTRY(CreateRectRgn),
    TALLY_ENTRY(CreateRoundRectRgn), TALLY_ENTRY(DeleteObject), TALLY_ENTRY(DeleteDC),
    TALLY_ENTRY(SHGetFileInfoW), TALLY_ENTRY(ExtractIconExW), TALLY_ENTRY(LoadImageW), TALLY_ENTRY(DestroyIcon)};

}  // namespace

bool countGdiObjectsOf(HMODULE module) {
  auto base = reinterpret_cast<BYTE*>(module);
  auto nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
  const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  bool any = false;
  // The names are unique across gdi32, user32 and shell32, so every import is matched by name alone.
  for (auto imp = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); dir.VirtualAddress && imp->Name;
       ++imp) {
    auto names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + imp->OriginalFirstThunk);
    auto slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + imp->FirstThunk);
    for (; names->u1.AddressOfData; ++names, ++slots) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
      auto name = reinterpret_cast<const char*>(reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData)->Name);
      for (const auto& r : kReplacements) {
        if (std::strcmp(name, r.first) != 0) continue;
        DWORD old;
        VirtualProtect(&slots->u1.Function, sizeof(slots->u1.Function), PAGE_READWRITE, &old);
        slots->u1.Function = reinterpret_cast<ULONG_PTR>(r.second);
        VirtualProtect(&slots->u1.Function, sizeof(slots->u1.Function), old, &old);
        any = true;
      }
    }
  }
  return any;
}

GdiTally gdiTally() { return GdiTally{g_counts[0], g_counts[1], g_counts[2], g_counts[3]}; }
