// The gradient bar and the four glyphs painted into a 32-bit memory bitmap and
// read back pixel by pixel, and the device context left as it was found.
#include <gtest/gtest.h>
#include <windows.h>

#include <initializer_list>

#include "tests/support/dib_surface_win.h"
#include "draw/draw_win.h"

namespace {

constexpr COLORREF kBack = RGB(1, 2, 3);
constexpr COLORREF kInk = RGB(200, 40, 10);
constexpr COLORREF kWindow = RGB(240, 250, 20);
constexpr COLORREF kOrange = RGB(255, 106, 0);

typedef DibSurface Canvas;

// What a routine must leave behind: the selections and the pen position.
struct DcState {
  HGDIOBJ pen, brush;
  POINT pos;
  explicit DcState(HDC dc) {
    pen = GetCurrentObject(dc, OBJ_PEN);
    brush = GetCurrentObject(dc, OBJ_BRUSH);
    GetCurrentPositionEx(dc, &pos);
  }
  bool same(HDC dc) const {
    DcState now(dc);
    return now.pen == pen && now.brush == brush && now.pos.x == pos.x && now.pos.y == pos.y;
  }
};

struct Px {
  int x, y;
  COLORREF want;
};
void expectPixels(Canvas& c, std::initializer_list<Px> pixels) {
  for (const Px& p : pixels) EXPECT_EQ(c.at(p.x, p.y), p.want) << "at " << p.x << "," << p.y;
}

}  // namespace

TEST(GradientBar, TinyAndHalfBars) {
  Canvas c(120, 10);
  fillGradientBar(c.dc, RECT{10, 2, 110, 8}, 0.001, RGB(100, 0, 0), RGB(200, 0, 0));
  // Two columns: 100 / 100 * 1 added in the second.
  expectPixels(c, {{10, 2, RGB(100, 0, 0)}, {11, 7, RGB(101, 0, 0)}, {12, 4, kBack},
                   {9, 4, kBack}, {10, 1, kBack}, {10, 8, kBack}});
  EXPECT_EQ(c.countColor(kBack), 120 * 10 - 2 * 6);

  c.clear();
  fillGradientBar(c.dc, RECT{0, 0, 100, 4}, 0.5, RGB(0, 0, 0), RGB(200, 100, 50));
  expectPixels(c, {{0, 0, RGB(0, 0, 0)}, {49, 3, RGB(98, 49, 24)}, {50, 0, kBack}});
}

TEST(GradientBar, IdenticalColoursAndOutOfRangeFractions) {
  Canvas c(100, 4);
  const COLORREF grey = RGB(9, 9, 9);
  fillGradientBar(c.dc, RECT{0, 0, 100, 4}, 1.0, grey, grey);
  EXPECT_EQ(c.countColor(grey), 400);

  c.clear();
  RECT inner = {10, 0, 60, 4};
  fillGradientBar(c.dc, inner, 25.0, grey, grey);  // held at the rectangle
  EXPECT_EQ(c.countColor(grey), 200);
  EXPECT_EQ(c.at(60, 0), kBack);

  c.clear();
  fillGradientBar(c.dc, inner, 0.0, grey, grey);
  fillGradientBar(c.dc, RECT{10, 0, 10, 4}, 0.5, grey, grey);
  EXPECT_EQ(c.countColor(kBack), 400);
}

TEST(Glyphs, FolderAtSizes10And16) {
  Canvas c(20, 20);
  DcState before(c.dc);
  drawFolderGlyph(c.dc, 0, 0, 16, kInk);  // m 2, s 12: tab [2,8)x[2,5), body [2,14)x[4,14)
  EXPECT_TRUE(before.same(c.dc));
  expectPixels(c, {{2, 2, kInk}, {7, 2, kInk}, {8, 2, kBack}, {8, 3, kBack}, {8, 4, kInk},
                   {13, 13, kInk}, {14, 13, kBack}, {13, 14, kBack}, {1, 5, kBack}});
  EXPECT_EQ(c.countColor(kInk), 6 * 3 + 12 * 10 - 6 * 1);  // tab and body overlap one row

  c.clear();
  drawFolderGlyph(c.dc, 4, 4, 10, kInk);  // m 1, s 8: tab [5,9)x[5,7), body [5,13)x[6,13)
  expectPixels(c, {{5, 5, kInk}, {8, 5, kInk}, {9, 5, kBack}, {12, 12, kInk}, {13, 12, kBack},
                   {4, 6, kBack}});
  EXPECT_EQ(c.countColor(kInk), 4 * 2 + 8 * 7 - 4);
}

TEST(Glyphs, DocumentHasItsCornerCut) {
  Canvas c(20, 20);
  DcState before(c.dc);
  drawDocumentGlyph(c.dc, 0, 0, 16, kInk);  // (2,2) (10,2) (14,6) (14,14) (2,14)
  EXPECT_TRUE(before.same(c.dc));
  // (13,2) is the cut corner.
  expectPixels(c, {{2, 2, kInk}, {8, 3, kInk}, {13, 10, kInk}, {3, 13, kInk}, {13, 2, kBack},
                   {1, 8, kBack}, {15, 8, kBack}, {8, 15, kBack}});

  c.clear();
  drawDocumentGlyph(c.dc, 0, 0, 10, kInk);  // s 8, c 2: (1,1) (7,1) (9,3) (9,9) (1,9)
  expectPixels(c, {{1, 1, kInk}, {5, 5, kInk}, {9, 1, kBack}, {0, 5, kBack}, {5, 10, kBack}});
}

TEST(Glyphs, ProgramWindowAndTitleBar) {
  Canvas c(20, 20);
  DcState before(c.dc);
  // Size 16: window [3,10)x[5,10), title bar [3,10)x[5,6).
  drawProgramGlyph(c.dc, 0, 0, 16, kInk, kWindow);
  EXPECT_TRUE(before.same(c.dc));
  expectPixels(c, {{3, 5, kInk}, {9, 5, kInk}, {3, 6, kWindow}, {9, 9, kWindow}, {10, 9, kInk},
                   {3, 10, kInk}});
  EXPECT_EQ(c.countColor(kWindow), 7 * 4);

  c.clear();
  // Size 10: window [2,7)x[3,6), title bar [2,7)x[3,4).
  drawProgramGlyph(c.dc, 0, 0, 10, kInk, kWindow);
  expectPixels(c, {{2, 3, kInk}, {2, 4, kWindow}, {6, 5, kWindow}, {7, 5, kInk}, {4, 6, kInk}});
  EXPECT_EQ(c.countColor(kWindow), 5 * 2);
}

TEST(Glyphs, MagnifierRingAndHandle) {
  Canvas c(24, 24);
  DcState before(c.dc);
  // Size 16: d 11, pen 2, ring in [0,11) with a hollow middle, handle from (9,9) toward (14,14).
  drawMagnifierGlyph(c.dc, 0, 0, 16);
  EXPECT_TRUE(before.same(c.dc));
  expectPixels(c, {{5, 5, kBack}, {5, 0, kOrange}, {0, 5, kOrange}, {12, 12, kOrange},
                   {17, 17, kBack}, {20, 5, kBack}});

  c.clear();
  // Size 10: d 7, pen 1, handle from (5,5) toward (8,8).
  drawMagnifierGlyph(c.dc, 0, 0, 10);
  expectPixels(c, {{3, 3, kBack}, {3, 0, kOrange}, {6, 6, kOrange}, {10, 10, kBack}});
}

TEST(Glyphs, DegenerateSizesDrawNothing) {
  Canvas c(8, 8);
  drawFolderGlyph(c.dc, 0, 0, 2, kInk);
  drawDocumentGlyph(c.dc, 0, 0, 0, kInk);
  drawProgramGlyph(c.dc, 0, 0, -5, kInk, kWindow);
  drawMagnifierGlyph(c.dc, 0, 0, 1);
  EXPECT_EQ(c.countColor(kBack), 64);
}
