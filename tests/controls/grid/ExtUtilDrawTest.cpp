// Colours and drawing helpers of the grid's utility routines, on the recording canvas.
#include <gtest/gtest.h>

#include <QWidget>
#include <memory>

#include "controls/grid/ExtObj.h"
#include "controls/grid/ExtUtil.h"
#include "controls/grid/ExtXPVS.h"
#include "platform/gui/Forms.h"
#include "platform/gui/RecordingCanvas.h"
#include "platform/gui/VisualStyles.h"
#include "platform/gui/testing/GuiTest.h"

using namespace ExtUtil;

namespace {

std::vector<TCanvasOp> Fills(TRecordingCanvas& c) { return c.OpsOf(okFillRect); }

// Bounding box of the operations' rectangles.
TRect Bounds(const std::vector<TCanvasOp>& ops) {
  TRect r = ops.front().R;
  for (const auto& op : ops) UnionRect(r, r, op.R);
  return r;
}

// A styles library that counts its calls and may lack entries.
struct TFakeStyles {
  int Opened = 0, Closed = 0, Drawn = 0;
  std::unique_ptr<TVisualStylesLibrary> Make(bool withDraw) {
    auto lib = std::make_unique<TVisualStylesLibrary>();
    lib->OpenThemeData = [this](HWND, const std::string&) {
      ++Opened;
      return reinterpret_cast<HTHEME>(this);
    };
    lib->CloseThemeData = [this](HTHEME) {
      ++Closed;
      return S_OK;
    };
    if (withDraw)
      lib->DrawThemeBackground = [this](HTHEME, HDC, int, int, const TRect&, const TRect*) {
        ++Drawn;
        return S_OK;
      };
    lib->IsThemeActive = [] { return true; };
    return lib;
  }
};

class ExtUtilDraw : public TGuiTest {
 protected:
  void TearDown() override {
    SetVisualStylesLoader(nullptr);
    TGuiTest::TearDown();
  }
};

}  // namespace

TEST(ExtUtilColors, BlendColorPlacesTheStepBetweenTheBounds) {
  EXPECT_EQ(BlendColor(RGB(0, 0, 0), RGB(200, 100, 50), 0, 50, 100), RGB(100, 50, 25));
  EXPECT_EQ(BlendColor(RGB(0, 0, 0), RGB(200, 100, 50), 0, 0, 100), RGB(0, 0, 0));
  EXPECT_EQ(BlendColor(RGB(0, 0, 0), RGB(200, 100, 50), 0, 100, 100), RGB(200, 100, 50));
  // The step counts from the lower bound.
  EXPECT_EQ(BlendColor(RGB(0, 0, 0), RGB(200, 100, 50), 10, 15, 20), RGB(100, 50, 25));
  EXPECT_EQ(BlendColor(RGB(200, 0, 0), RGB(0, 0, 200), 0, 1, 4), RGB(150, 0, 50));
  EXPECT_EQ(BlendColor(RGB(1, 2, 3), clNone, 0, 50, 100), RGB(1, 2, 3));
  // Equal bounds divide by nothing; steps outside the bounds stay in 0..255.
  EXPECT_EQ(BlendColor(RGB(1, 2, 3), RGB(9, 9, 9), 5, 5, 5), RGB(1, 2, 3));
  EXPECT_EQ(BlendColor(RGB(0, 0, 0), RGB(200, 200, 200), 0, 300, 100), RGB(255, 255, 255));
  EXPECT_EQ(BlendColor(RGB(100, 100, 100), RGB(200, 200, 200), 0, -300, 100), RGB(0, 0, 0));
  SetSysColor(15, RGB(100, 100, 100));  // clBtnFace
  EXPECT_EQ(BlendColor(clBtnFace, RGB(200, 200, 200), 0, 1, 2), RGB(150, 150, 150));
  EXPECT_EQ(DarkenColor(clBtnFace), RGB(50, 50, 50));
  EXPECT_EQ(DarkenColor(RGB(201, 100, 51)), RGB(100, 50, 25));
}

TEST(ExtUtilGradient, BandsOverlapByOnePixelAndStayInside) {
  TRecordingCanvas c;
  c.Pen()->SetColor(clRed);
  c.Brush()->SetColor(clBlue);
  DrawGradient(&c, RGB(0, 0, 0), RGB(200, 100, 0), 4, TRect(10, 0, 50, 8), true);
  const auto bands = c.OpsOf(okRectangle);
  ASSERT_EQ(bands.size(), 4u);
  EXPECT_EQ(bands[0].R, TRect(10, 0, 21, 8));
  EXPECT_EQ(bands[1].R, TRect(20, 0, 31, 8));
  EXPECT_EQ(bands[2].R, TRect(30, 0, 41, 8));
  EXPECT_EQ(bands[3].R, TRect(40, 0, 50, 8));  // the last band's extra pixel is cut off
  EXPECT_EQ(bands[0].BrushColor, RGB(0, 0, 0));
  EXPECT_EQ(bands[1].BrushColor, RGB(50, 25, 0));
  EXPECT_EQ(bands[3].BrushColor, RGB(150, 75, 0));
  for (const auto& b : bands) EXPECT_EQ(b.Pen.Color, b.BrushColor);
  // The caller's pen and brush come back.
  EXPECT_EQ(c.Pen()->Color(), clRed);
  EXPECT_EQ(c.Brush()->Color(), clBlue);

  c.Clear();
  DrawGradient(&c, RGB(0, 0, 0), RGB(90, 90, 90), 3, TRect(0, 0, 5, 30), false);
  const auto vertical = c.OpsOf(okRectangle);
  ASSERT_EQ(vertical.size(), 3u);
  EXPECT_EQ(vertical[1].R, TRect(0, 10, 5, 21));
  EXPECT_EQ(vertical[1].BrushColor, RGB(30, 30, 30));

  c.Clear();
  DrawGradient(&c, RGB(1, 2, 3), RGB(9, 9, 9), 0, TRect(0, 0, 10, 10), true);  // 0 steps: one band
  ASSERT_EQ(c.OpsOf(okRectangle).size(), 1u);
  EXPECT_EQ(c.OpsOf(okRectangle)[0].R, TRect(0, 0, 10, 10));

  c.Clear();
  DrawGradient(&c, RGB(1, 2, 3), clNone, 64, TRect(0, 0, 10, 10), true);
  ASSERT_EQ(c.OpsOf(okRectangle).size(), 1u);
  EXPECT_EQ(c.OpsOf(okRectangle)[0].BrushColor, RGB(1, 2, 3));

  c.Clear();
  DrawGradient(&c, RGB(0, 0, 0), RGB(9, 9, 9), 64, TRect(0, 0, 20, 20), false);
  const auto many = c.OpsOf(okRectangle);
  EXPECT_EQ(Bounds(many), TRect(0, 0, 20, 20));  // more bands than pixels still fill the rectangle only

  c.Clear();
  DrawGradient(&c, RGB(0, 0, 0), RGB(9, 9, 9), 8, TRect(5, 5, 5, 20), true);
  EXPECT_TRUE(c.Ops().empty());
}

TEST(ExtUtilBars, ProgressBarSplitsAtThePercentage) {
  TRecordingCanvas c;
  c.Brush()->SetColor(clYellow);
  c.Font()->SetColor(clPurple);
  DrawProgressBar(&c, TRect(0, 0, 100, 20), clBlue, false, clGreen, "", 100, 0, 0, 0, 50, clBlack, clWhite, clAqua);
  const auto fills = Fills(c);
  ASSERT_GE(fills.size(), 2u + 8u);
  EXPECT_EQ(fills[0].R, TRect(0, 0, 50, 20));
  EXPECT_EQ(fills[0].BrushColor, clBlue);
  EXPECT_EQ(fills[1].R, TRect(50, 0, 100, 20));
  EXPECT_EQ(fills[1].BrushColor, clWhite);
  const auto texts = c.OpsOf(okText);
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0].Text, "50%");
  EXPECT_EQ(texts[0].R.TopLeft(), TPoint(42, 3));  // centred in the whole bar in both halves
  EXPECT_EQ(texts[1].R.TopLeft(), TPoint(42, 3));
  EXPECT_EQ(texts[0].Font.Color, clAqua);
  EXPECT_EQ(texts[1].Font.Color, clBlack);
  const std::vector<TCanvasOp> border(fills.begin() + 2, fills.begin() + 6), outer(fills.begin() + 6, fills.begin() + 10);
  EXPECT_EQ(Bounds(border), TRect(-1, -1, 101, 21));
  EXPECT_EQ(border[0].BrushColor, clGreen);
  EXPECT_EQ(Bounds(outer), TRect(-2, -2, 102, 22));
  EXPECT_EQ(outer[0].BrushColor, clYellow);  // the brush found on entry
  EXPECT_EQ(c.Font()->Color(), clPurple);
  EXPECT_EQ(c.Brush()->Color(), clYellow);
}

TEST(ExtUtilBars, ProgressBarKeepsItsPartsInsideTheBar) {
  TRecordingCanvas c;
  // Margins shrink the bar; no border frame for clNone.
  DrawProgressBar(&c, TRect(0, 0, 100, 20), clBlue, false, clNone, "", 100, 0, 2, 10, 25, clBlack, clWhite, clAqua);
  auto fills = Fills(c);
  EXPECT_EQ(fills[0].R, TRect(10, 2, 30, 18));
  EXPECT_EQ(fills.size(), 2u + 4u);

  // A format gives the text and the share (position - min) * 100 / max.
  c.Clear();
  DrawProgressBar(&c, TRect(0, 0, 100, 20), clBlue, false, clNone, "%d of 200", 200, 0, 0, 0, 150, clBlack,
                  clWhite, clAqua);
  EXPECT_EQ(Fills(c)[0].R, TRect(0, 0, 75, 20));
  EXPECT_EQ(c.OpsOf(okText)[0].Text, "150 of 200");

  // A percentage above 100 never reaches past the bar.
  c.Clear();
  DrawProgressBar(&c, TRect(0, 0, 100, 20), clBlue, false, clNone, "", 200, 0, 0, 0, 200, clBlack, clWhite, clAqua);
  EXPECT_EQ(Fills(c)[0].R, TRect(0, 0, 100, 20));
  EXPECT_EQ(Fills(c)[1].R, TRect(100, 0, 100, 20));

  // Below the minimum it is clamped to it.
  c.Clear();
  DrawProgressBar(&c, TRect(0, 0, 100, 20), clBlue, false, clNone, "", 100, 0, 0, 0, -40, clBlack, clWhite, clAqua);
  EXPECT_EQ(Fills(c)[0].R, TRect(0, 0, 0, 20));
  EXPECT_EQ(c.OpsOf(okText)[0].Text, "-40%");

  // A maximum of 0 with a format divides by nothing.
  c.Clear();
  DrawProgressBar(&c, TRect(0, 0, 100, 20), clBlue, false, clNone, "%d items", 0, 0, 0, 0, 5, clBlack, clWhite, clAqua);
  EXPECT_EQ(Fills(c)[0].R, TRect(0, 0, 0, 20));
  EXPECT_EQ(c.OpsOf(okText)[0].Text, "5 items");

  // Flipped text: the height is negated when centring.
  c.Clear();
  DrawProgressBar(&c, TRect(0, 0, 100, 20), clBlue, true, clNone, "", 100, 0, 0, 0, 50, clBlack, clWhite, clAqua);
  EXPECT_EQ(c.OpsOf(okText)[0].R.Top, (20 + 13) / 2);
}

TEST(ExtUtilBars, SignedBarGrowsFromTheCentre) {
  TRecordingCanvas c;
  DrawSignedBar(&c, TRect(0, 0, 104, 24), 50, clGreen, clRed, false, 100);
  ASSERT_EQ(Fills(c).size(), 1u);
  EXPECT_EQ(Fills(c)[0].R, TRect(52, 2, 77, 22));
  EXPECT_EQ(Fills(c)[0].BrushColor, clGreen);
  EXPECT_TRUE(c.OpsOf(okText).empty());

  c.Clear();
  DrawSignedBar(&c, TRect(0, 0, 104, 24), -50, clGreen, clRed, true, 100);
  ASSERT_EQ(Fills(c).size(), 1u);
  EXPECT_EQ(Fills(c)[0].R, TRect(27, 2, 52, 22));
  EXPECT_EQ(Fills(c)[0].BrushColor, clRed);
  ASSERT_EQ(c.OpsOf(okText).size(), 1u);
  EXPECT_EQ(c.OpsOf(okText)[0].Text, "-50");
  EXPECT_FALSE(c.OpsOf(okText)[0].Opaque);

  c.Clear();
  DrawSignedBar(&c, TRect(0, 0, 104, 24), 500, clGreen, clRed, false, 100);  // clamped to the maximum
  EXPECT_EQ(Fills(c)[0].R, TRect(52, 2, 102, 22));
  c.Clear();
  DrawSignedBar(&c, TRect(0, 0, 104, 24), -500, clGreen, clRed, false, 100);
  EXPECT_EQ(Fills(c)[0].R, TRect(2, 2, 52, 22));

  // Without a range: no bar, no division by zero, the text still shows.
  c.Clear();
  DrawSignedBar(&c, TRect(0, 0, 104, 24), 7, clGreen, clRed, true, 0);
  EXPECT_TRUE(Fills(c).empty());
  ASSERT_EQ(c.OpsOf(okText).size(), 1u);
  EXPECT_EQ(c.OpsOf(okText)[0].Text, "7");
}

TEST(ExtUtilBars, ProgressPieFillsTheSectorClockwiseFromTheTop) {
  TRecordingCanvas c;
  DrawProgressPie(&c, TRect(0, 0, 20, 20), clBlue, false, 25);
  ASSERT_EQ(c.OpsOf(okEllipse).size(), 1u);
  EXPECT_EQ(c.OpsOf(okEllipse)[0].Pen.Color, RGB(0x80, 0x80, 0x80));
  const auto pies = c.OpsOf(okPie);
  ASSERT_EQ(pies.size(), 1u);
  EXPECT_EQ(pies[0].BrushColor, clBlue);
  // Counter-clockwise from the 3 o'clock point to the top is the quarter clockwise from the top.
  EXPECT_EQ(pies[0].Points[0], TPoint(20, 10));
  EXPECT_EQ(pies[0].Points[1], TPoint(10, 0));
  const auto lines = c.OpsOf(okLine);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].R, TRect(10, 0, 10, 10));
  EXPECT_EQ(lines[1].R, TRect(10, 10, 20, 10));

  // 0 % fills nothing (a sector from the top to the top is not the whole pie) and 100 % all.
  c.Clear();
  DrawProgressPie(&c, TRect(0, 0, 20, 20), clBlue, false, 0);
  EXPECT_TRUE(c.OpsOf(okPie).empty());
  ASSERT_EQ(c.OpsOf(okEllipse).size(), 1u);
  c.Clear();
  DrawProgressPie(&c, TRect(0, 0, 20, 20), clBlue, true, 140);
  ASSERT_EQ(c.OpsOf(okEllipse).size(), 2u);
  EXPECT_EQ(c.OpsOf(okEllipse)[1].BrushColor, clBlue);
}

TEST(ExtUtilBars, ErrorUnderlineRunsUnderTheCharacters) {
  TRecordingCanvas c;  // characters 5 pixels wide, lines 13 high
  c.Pen()->SetColor(clGreen);
  DrawErrorUnderline(&c, "abcdef", 3, 2, 1, TRect(100, 50, 200, 70));
  const auto lines = c.OpsOf(okPolyline);
  ASSERT_EQ(lines.size(), 1u);
  const auto& pts = lines[0].Points;
  EXPECT_EQ(pts.front(), TPoint(110, 64));
  EXPECT_EQ(pts.back().X, 125);
  EXPECT_EQ(pts[1], TPoint(113, 61));
  EXPECT_EQ(pts[2], TPoint(116, 64));
  EXPECT_EQ(lines[0].Pen.Color, clRed);
  EXPECT_EQ(lines[0].Pen.Width, 2);
  EXPECT_EQ(c.Pen()->Color(), clGreen);

  c.Clear();
  DrawErrorUnderline(&c, "abc", 50, 1, 0, TRect(0, 0, 100, 20));  // to the end of the text
  ASSERT_EQ(c.OpsOf(okPolyline).size(), 1u);
  EXPECT_EQ(c.OpsOf(okPolyline)[0].Points.back().X, 15);
  c.Clear();
  DrawErrorUnderline(&c, "abc", 0, 1, 0, TRect(0, 0, 100, 20));
  DrawErrorUnderline(&c, "abc", 2, 5, 0, TRect(0, 0, 100, 20));
  EXPECT_TRUE(c.Ops().empty());
}

TEST_F(ExtUtilDraw, ComboButtonThemedOrClassic) {
  auto form = std::make_unique<TForm>(nullptr);
  const HWND wnd = form->Handle();
  TRecordingCanvas c;
  DrawComboButton(&c, wnd, TRect(50, 10, 66, 30), false);
  EXPECT_TRUE(c.OpsOf(okImage).empty());
  ASSERT_FALSE(Fills(c).empty());
  EXPECT_EQ(Bounds(Fills(c)), TRect(48, 11, 64, 29));  // one pixel off top and bottom, 2 to the left

  c.Clear();
  DrawComboButton(&c, wnd, TRect(50, 10, 66, 30), true);
  ASSERT_EQ(c.OpsOf(okImage).size(), 1u);
  EXPECT_EQ(c.OpsOf(okImage)[0].R, TRect(48, 11, 64, 29));

  // Without a window there is nothing to theme for.
  c.Clear();
  DrawComboButton(&c, nullptr, TRect(50, 10, 66, 30), true);
  EXPECT_TRUE(c.OpsOf(okImage).empty());
}

TEST_F(ExtUtilDraw, ComboButtonToleratesAStylesLibraryWithMissingEntries) {
  auto form = std::make_unique<TForm>(nullptr);
  TFakeStyles fake;
  SetVisualStylesLoader([&] { return fake.Make(true); });
  TRecordingCanvas c;
  DrawComboButton(&c, form->Handle(), TRect(0, 0, 16, 20), true);
  EXPECT_EQ(fake.Drawn, 1);
  EXPECT_EQ(fake.Opened, fake.Closed);  // no theme handle is kept

  SetVisualStylesLoader([&] { return fake.Make(false); });  // no DrawThemeBackground
  EXPECT_TRUE(ExtXPVS::Loaded());
  c.Clear();
  DrawComboButton(&c, form->Handle(), TRect(0, 0, 16, 20), true);
  EXPECT_FALSE(Fills(c).empty());  // the classic button
  EXPECT_EQ(fake.Opened, fake.Closed);

  SetVisualStylesLoader([] { return nullptr; });  // no library at all
  EXPECT_FALSE(ExtXPVS::Loaded());
  c.Clear();
  DrawComboButton(&c, form->Handle(), TRect(0, 0, 16, 20), true);
  EXPECT_FALSE(Fills(c).empty());
  EXPECT_EQ(ExtObj::CurrentXPScheme(), 0);
}

TEST_F(ExtUtilDraw, TransparentBitmaps) {
  TBitmap bmp(4, 3);
  TRecordingCanvas c;
  DrawTransparentBitmap(&c, &bmp, clFuchsia, TRect(5, 5, 13, 11));
  ASSERT_EQ(c.OpsOf(okImage).size(), 1u);
  EXPECT_EQ(c.OpsOf(okImage)[0].R, TRect(5, 5, 13, 11));
  EXPECT_EQ(c.OpsOf(okImage)[0].Source, TRect(0, 0, 4, 3));
  c.Clear();
  TBitmap empty;
  DrawTransparentBitmap(&c, &empty, clFuchsia, TRect(5, 5, 13, 11));
  DrawTransparentBitmap(&c, nullptr, clFuchsia, TRect(5, 5, 13, 11));
  EXPECT_TRUE(c.Ops().empty());
  EXPECT_THROW(DrawTransparentResBitmap(&c, "NO_SUCH_BITMAP_RESOURCE", clFuchsia, TRect(0, 0, 4, 4)), EResNotFound);
}

TEST_F(ExtUtilDraw, LayeredWindowCalls) {
  auto form = std::make_unique<TForm>(nullptr);
  form->Show();
  EXPECT_TRUE(ExtUtil::SetLayeredWindowAttributes(form->Handle(), clBlack, 128, LWA_ALPHA));
  EXPECT_NEAR(form->Peer()->windowOpacity(), 128 / 255.0, 0.01);
  EXPECT_FALSE(ExtUtil::SetLayeredWindowAttributes(nullptr, clBlack, 128, LWA_ALPHA));
  EXPECT_TRUE(UpdateLayeredWindow(form->Handle(), nullptr, nullptr, 255, ULW_ALPHA));
}
