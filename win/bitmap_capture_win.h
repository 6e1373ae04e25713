// Renders a window into a 32-bit top-down bitmap (through WM_PRINT, so hidden or
// covered windows capture too) and writes bitmaps as PNG through WIC. Used by the
// viewer's screenshots and by the pixel checks of the tests.
#pragma once
#include <windows.h>

#include <cstdint>
#include <vector>

struct CapturedBitmap {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;  // 0x00RRGGBB, row by row from the top
  uint32_t at(int x, int y) const { return pixels[size_t(y) * width + x]; }
};

// A 32-bit top-down DIB section of w x h for the given DC; null on failure.
HBITMAP createTopDownDib(HDC dc, int width, int height, void** bits);
// Asks the window to paint its client area and children into a memory bitmap.
bool captureWindow(HWND window, CapturedBitmap* out);
// Writes the bitmap as a PNG file; false on any failure.
bool writePng(const CapturedBitmap& bitmap, const wchar_t* path);
// Reads a PNG (or any format WIC decodes) into a bitmap; false on any failure.
bool readPng(const wchar_t* path, CapturedBitmap* out);
// The pixel of a COLORREF (red in the low byte) as the capture stores it.
inline uint32_t captureColor(COLORREF c) {
  return (uint32_t(GetRValue(c)) << 16) | (uint32_t(GetGValue(c)) << 8) | GetBValue(c);
}
