// Counts the GDI objects a loaded module makes and deletes, by pointing its
// import table at counting stand-ins. Wine's GetGuiResources always answers 0,
// so a leak test cannot ask the system how many GDI objects a process holds.
#pragma once
#include <windows.h>

// Successful Create* calls (fonts, brushes, pens, DCs, bitmaps, regions), successful
// DeleteObject and DeleteDC calls, icons handed out by SHGetFileInfoW, ExtractIconExW
// and LoadImageW, and successful DestroyIcon calls.
struct GdiTally { long created, deleted, iconsMade, iconsDestroyed; };

// Redirects the module's GDI imports and its icon calls (shell32, user32);
// false when its import table has none of them.
bool countGdiObjectsOf(HMODULE module);
GdiTally gdiTally();
