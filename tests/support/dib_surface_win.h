// A 32-bit top-down bitmap selected into its own memory DC, filled with one
// background colour, whose pixels the drawing tests read back directly.
#pragma once
#include <windows.h>

#include <cstdint>

#include "win/bitmap_capture_win.h"

struct DibSurface {
  static constexpr uint32_t kBackPixel = 0x010203;  // RGB(1, 2, 3) as 0x00RRGGBB
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ oldBitmap = nullptr;
  uint32_t* bits = nullptr;
  int width, height;

  DibSurface(int w, int h) : width(w), height(h) {
    dc = CreateCompatibleDC(nullptr);
    void* p = nullptr;
    bitmap = createTopDownDib(dc, w, h, &p);
    bits = static_cast<uint32_t*>(p);
    oldBitmap = SelectObject(dc, bitmap);
    clear();
  }
  ~DibSurface() {
    SelectObject(dc, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
  DibSurface(const DibSurface&) = delete;
  DibSurface& operator=(const DibSurface&) = delete;
  void clear() {
    GdiFlush();
    for (int i = 0; i < width * height; ++i) bits[i] = kBackPixel;
  }
  COLORREF at(int x, int y) {
    GdiFlush();
    uint32_t v = bits[y * width + x];
    return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
  }
  // Pixels of colour c in [l, r) x [t, b); the whole surface by default.
  int countColor(COLORREF c, int l = 0, int t = 0, int r = -1, int b = -1) {
    int n = 0;
    for (int y = t; y < (b < 0 ? height : b); ++y)
      for (int x = l; x < (r < 0 ? width : r); ++x) n += at(x, y) == c;
    return n;
  }
};
