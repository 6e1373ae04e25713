// Self-contained GDI drawing: a gradient bar and four small vector glyphs that
// stand in for shell icons. Each routine creates the pens and brushes it needs,
// selects them, restores the previous selections and deletes what it made.
#pragma once
#include <windows.h>

// Paints the leftmost `fraction` of a left-to-right gradient over the whole
// rectangle, at least two columns; fractions above 1 are held at 1.
void fillGradientBar(HDC dc, const RECT& rect, double fraction, COLORREF start, COLORREF end);

// A filled polygon edged by a 1-pixel pen of the same colour.
void fillPolygon(HDC dc, const POINT* points, int count, COLORREF color);

void drawFolderGlyph(HDC dc, int x, int y, int size, COLORREF color);
void drawDocumentGlyph(HDC dc, int x, int y, int size, COLORREF color);
void drawProgramGlyph(HDC dc, int x, int y, int size, COLORREF color, COLORREF windowColor);
void drawMagnifierGlyph(HDC dc, int x, int y, int size);
