// Drawing helpers: frames, layout arithmetic, dither pattern, outlined text.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "controls/instrument/InstHyperCtrls.h"
#include "controls/instrument/InstSysUtils.h"
#include "platform/gui/RecordingCanvas.h"

namespace {

// Text operations of a recording canvas, in order: position and colour.
struct TextOp {
  int x, y;
  TColor color;
};
std::vector<TextOp> TextOps(TRecordingCanvas& c) {
  std::vector<TextOp> out;
  for (const auto& op : c.OpsOf(okText)) out.push_back({op.R.Left, op.R.Top, op.Font.Color});
  return out;
}

TBitmap* Filled(TBitmap& b, int w, int h, TColor c) {
  b.SetSize(w, h);
  b.Canvas()->Brush()->SetColor(c);
  b.Canvas()->FillRect(Rect(0, 0, w, h));
  return &b;
}

}  // namespace

// ---- DrawFrame3D

TEST(DrawFrame3D, WidthZeroDrawsNothingAndKeepsTheRectangle) {
  TBitmap b;
  Filled(b, 10, 10, clRed);
  TRect r = Rect(1, 1, 9, 9);
  DrawFrame3D(b.Canvas(), r, clWhite, clBlack, 0);
  EXPECT_EQ(r, Rect(1, 1, 9, 9));
  for (int i = 0; i < 10; ++i) EXPECT_EQ(ColorToRGB(b.Canvas()->Pixels(i, 1)), clRed);
}

TEST(DrawFrame3D, ShrinksByWidthAndColoursTheEdges) {
  TBitmap b;
  Filled(b, 10, 8, clRed);
  TRect r = Rect(0, 0, 10, 8);
  DrawFrame3D(b.Canvas(), r, clWhite, clBlue, 2);
  EXPECT_EQ(r, Rect(2, 2, 8, 6));
  TCanvas* c = b.Canvas();
  for (int ring = 0; ring < 2; ++ring) {
    EXPECT_EQ(ColorToRGB(c->Pixels(ring, 4)), clWhite) << ring;     // left
    EXPECT_EQ(ColorToRGB(c->Pixels(5, ring)), clWhite) << ring;     // top
    EXPECT_EQ(ColorToRGB(c->Pixels(9 - ring, 4)), clBlue) << ring;  // right
    EXPECT_EQ(ColorToRGB(c->Pixels(5, 7 - ring)), clBlue) << ring;  // bottom
  }
  EXPECT_EQ(ColorToRGB(c->Pixels(0, 7)), clBlue);  // bottom-left corner belongs to the bottom edge
  EXPECT_EQ(ColorToRGB(c->Pixels(9, 0)), clBlue);  // top-right corner starts the right edge
  EXPECT_EQ(ColorToRGB(c->Pixels(2, 2)), clRed);   // inside untouched
  EXPECT_EQ(ColorToRGB(c->Pixels(7, 5)), clRed);
}

// ---- dither

TEST(CreateDitherBitmap, EqualParityPixelsTakeThePixelColour) {
  std::unique_ptr<TBitmap> b(CreateDitherBitmap(clLime, clGreen));
  ASSERT_EQ(b->Width(), 8);
  ASSERT_EQ(b->Height(), 8);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x)
      EXPECT_EQ(ColorToRGB(b->Canvas()->Pixels(x, y)), ((x + y) % 2 == 0) ? clLime : clGreen) << x << "," << y;
}

// ---- layout arithmetic

TEST(CalcImageTextPositions, EmptyTextCentresTheImageAlone) {
  // 125 x 25 client, LED 20 x 13, no text, spacing 5 counts 0.
  const auto r = CalcImageTextPositions(125, 25, 0, 0, 20, 13, 1, -1, 5);
  EXPECT_EQ(r.ImageX, (125 - 20 + 1) / 2);
  EXPECT_EQ(r.ImageY, (25 - 13 + 1) / 2);
  EXPECT_EQ(r.TextX, r.ImageX + 20);
}

TEST(CalcImageTextPositions, ImageLeftCentresImageAndTextTogether) {
  const auto r = CalcImageTextPositions(100, 20, 40, 10, 20, 10, 1, -1, 4);
  // total 64, margin (100 - 64 + 1) div 2 = 18
  EXPECT_EQ(r.ImageX, 18);
  EXPECT_EQ(r.TextX, 18 + 20 + 4);
  EXPECT_EQ(r.ImageY, 5);
  EXPECT_EQ(r.TextY, 5);
}

TEST(CalcImageTextPositions, SpreadSpacingAndFixedMargin) {
  // Spacing -1 with margin -1: margin = spacing = (100 - 60) div 3 = 13.
  auto r = CalcImageTextPositions(100, 20, 40, 10, 20, 10, 1, -1, -1);
  EXPECT_EQ(r.ImageX, 13);
  EXPECT_EQ(r.TextX, 13 + 20 + 13);
  // Margin 10 with spacing -1: spacing = (100 - 30 - 40) div 2 = 15.
  r = CalcImageTextPositions(100, 20, 40, 10, 20, 10, 1, 10, -1);
  EXPECT_EQ(r.ImageX, 10);
  EXPECT_EQ(r.TextX, 10 + 20 + 15);
}

TEST(CalcImageTextPositions, OtherLayouts) {
  auto r = CalcImageTextPositions(100, 20, 40, 10, 20, 10, 2, 0, 5);  // image right
  EXPECT_EQ(r.ImageX, 80);
  EXPECT_EQ(r.TextX, 80 - 5 - 40);
  r = CalcImageTextPositions(60, 100, 40, 10, 20, 12, 3, 0, 5);  // image above
  EXPECT_EQ(r.ImageY, 0);
  EXPECT_EQ(r.TextY, 12 + 5);
  EXPECT_EQ(r.ImageX, (60 - 20 + 1) / 2);
  EXPECT_EQ(r.TextX, (60 - 40 + 1) / 2);
  r = CalcImageTextPositions(60, 100, 40, 10, 20, 12, 4, 3, 5);  // image below
  EXPECT_EQ(r.ImageY, 100 - 3 - 12);
  EXPECT_EQ(r.TextY, r.ImageY - 5 - 10);
}

TEST(CalcImageTextLayout, OffsetMovesImageAndTextByItsX) {
  TRecordingCanvas cc;
  TPoint image;
  TRect text;
  CalcImageTextLayout(&cc, Rect(0, 0, 125, 25), Point(1, 1), "Auto", 1, 0, 5, Point(20, 13), image, text);
  EXPECT_EQ(image, Point(1, 7));
  // "Auto" is 20 x 13 with the fixed metrics of the default font.
  EXPECT_EQ(text, Rect(1 + 25, 6 + 1, 1 + 25 + 20, 6 + 1 + 13));
}

// ---- text routines

TEST(DrawOutlinedText, WidthTwoDrawsSixteenOutlineCopiesThenTheText) {
  TRecordingCanvas cc;
  cc.Font()->SetColor(clYellow);
  DrawOutlinedText(&cc, Rect(10, 10, 110, 40), "Go", false, taLeftJustify, clNavy, 2);
  const auto t = TextOps(cc);
  ASSERT_EQ(t.size(), 17u);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(t[i].color, clNavy) << i;
  EXPECT_EQ(t[16].color, clYellow);
  EXPECT_EQ(t[16].x, 10);
  EXPECT_EQ(cc.Font()->Color(), clYellow);
  int minX = 1000, maxX = -1000, minY = 1000, maxY = -1000;
  for (int i = 0; i < 16; ++i) {
    minX = std::min(minX, t[i].x);
    maxX = std::max(maxX, t[i].x);
    minY = std::min(minY, t[i].y);
    maxY = std::max(maxY, t[i].y);
  }
  EXPECT_EQ(minX, 8);
  EXPECT_EQ(maxX, 12);
  EXPECT_EQ(minY, 8);
  EXPECT_EQ(maxY, 12);
}

TEST(DrawOutlinedText, NoOutlineDrawsOnce) {
  TRecordingCanvas cc;
  DrawOutlinedText(&cc, Rect(0, 0, 100, 30), "Go", true, taCenter, clNavy, 0);
  const auto t = TextOps(cc);
  EXPECT_EQ(t.size(), 1u);
}

TEST(TextEffects, RaisedAndShadowCopiesSitWhereTheyShould) {
  TRecordingCanvas cc;
  cc.Font()->SetColor(clBlack);
  Draw3DText(&cc, 10, 20, clGray, clWhite, "A");
  const auto t = TextOps(cc);
  ASSERT_EQ(t.size(), 3u);
  EXPECT_EQ(t[0].x, 11);
  EXPECT_EQ(t[0].color, clGray);
  EXPECT_EQ(t[1].x, 9);
  EXPECT_EQ(t[1].color, clWhite);
  EXPECT_EQ(t[2].x, 10);
  EXPECT_EQ(t[2].color, clBlack);

  cc.Clear();
  DrawShadowText(&cc, 10, 20, 3, 2, clGray, "A");
  const auto t2 = TextOps(cc);
  ASSERT_EQ(t2.size(), 2u);
  EXPECT_EQ(t2[0].x, 12);
  EXPECT_EQ(t2[0].y, 23);
  EXPECT_EQ(t2[1].x, 10);
}

TEST(TextEffects, Font3DCopiesStartFromTheUnmovedRectangle) {
  TRecordingCanvas cc;
  cc.Font()->SetColor(clBlack);
  TInstFont3D f;
  f.SetStyle(f3dRaised);
  f.SetShadowDepth(2);
  f.SetHighlightDepth(3);
  f.Paint(&cc, Rect(10, 10, 100, 30), DT_SINGLELINE, "A");
  const auto t = TextOps(cc);
  ASSERT_EQ(t.size(), 3u);
  EXPECT_EQ(t[0].x, 12);
  EXPECT_EQ(t[1].x, 7);
  EXPECT_EQ(t[2].x, 10);
  EXPECT_EQ(t[2].color, clBlack);
}

TEST(DisabledText, EmbossedCopyThenShadowInPlace) {
  SetSysColor(20, RGB(255, 255, 255));
  SetSysColor(16, RGB(128, 128, 128));
  TRecordingCanvas cc;
  DrawDisabledText(&cc, "Off", Rect(5, 5, 100, 30), false);
  const auto t = TextOps(cc);
  ASSERT_EQ(t.size(), 2u);
  EXPECT_EQ(t[0].x, 6);
  EXPECT_EQ(t[0].y, 6);
  EXPECT_EQ(ColorToRGB(t[0].color), RGB(255, 255, 255));
  EXPECT_EQ(t[1].x, 5);
  EXPECT_EQ(ColorToRGB(t[1].color), RGB(128, 128, 128));
}

TEST(TileBitmap, CoversTheRectangleFromItsTopLeft) {
  TBitmap tile;
  Filled(tile, 4, 3, clRed);
  tile.Canvas()->SetPixels(0, 0, clBlue);
  TBitmap dst;
  Filled(dst, 12, 10, clWhite);
  TileBitmap(dst.Canvas(), Rect(1, 1, 11, 9), &tile);
  TCanvas* c = dst.Canvas();
  EXPECT_EQ(ColorToRGB(c->Pixels(0, 0)), clWhite);
  EXPECT_EQ(ColorToRGB(c->Pixels(1, 1)), clBlue);
  EXPECT_EQ(ColorToRGB(c->Pixels(5, 4)), clBlue);  // the second tile of the second column
  EXPECT_EQ(ColorToRGB(c->Pixels(10, 8)), clRed);
  EXPECT_EQ(BitmapRect(&tile), Rect(0, 0, 4, 3));
}
