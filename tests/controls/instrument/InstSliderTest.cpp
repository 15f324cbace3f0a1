// The LED slider: position arithmetic, mouse and keys at the ends of its
// range, thumb states and the shared bitmap list.
#include <gtest/gtest.h>

#include <limits>
#include <memory>

#include "controls/instrument/InstSlider.h"
#include "platform/gui/Windows.h"
#include "tests/controls/instrument/InstTestSupport.h"

namespace {

using TSlider = Painted<TInstSlider>;

class SliderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    PinSystemColours();
    form = MakeForm();
    s = new TSlider(form.get());
    s->SetParent(form.get());
    s->OnChange = [this](TObject*) { ++changes; };
  }
  TPoint ThumbCentre() {
    const TRect t = s->ThumbRect();
    return Point((t.Left + t.Right) / 2, (t.Top + t.Bottom) / 2);
  }
  void Key(WORD k, TShiftState shift = 0) { s->KeyDown(k, shift); }

  std::unique_ptr<TForm> form;
  TSlider* s = nullptr;
  int changes = 0;
};

// A bitmap of `states` thumb cells side by side, each w x h.
std::unique_ptr<TBitmap> ThumbStrip(int states, int w, int h) {
  auto b = std::make_unique<TBitmap>();
  b->SetSize(states * w, h);
  const TColor colours[] = {clRed, clYellow, clBlue, clAqua};
  for (int i = 0; i < states; ++i) {
    b->Canvas()->Brush()->SetColor(colours[i]);
    b->Canvas()->FillRect(Bounds(i * w, 0, w, h));
  }
  return b;
}

}  // namespace

TEST_F(SliderTest, Defaults) {
  EXPECT_EQ(s->Width(), 36);
  EXPECT_EQ(s->Height(), 171);
  EXPECT_EQ(s->MinValue(), 0);
  EXPECT_EQ(s->MaxValue(), 100);
  EXPECT_EQ(s->KeyIncrement(), 5);
  EXPECT_EQ(s->Color(), clBlack);
  EXPECT_FALSE(s->TabStop());
  EXPECT_EQ(s->Options(), unsigned(soHandPoint | soThumbOpaque));
  EXPECT_EQ(s->Bevel()->InnerWidth(), 2);
  EXPECT_EQ(s->Bevel()->InnerColor(), clBlack);
  EXPECT_EQ(s->Bevel()->InnerStyle(), TInstBevelStyle::bsLowered);
  EXPECT_GT(s->ThumbWidth(), 0);
  EXPECT_GT(s->ThumbHeight(), 0);
}

TEST_F(SliderTest, PositionIsClampedAndReportedOnlyOnChange) {
  s->SetMaxValue(255);
  s->SetPosition(300);
  EXPECT_EQ(s->Position(), 255);
  EXPECT_EQ(changes, 1);
  s->SetPosition(255);
  EXPECT_EQ(changes, 1);
  s->SetPosition(-3);
  EXPECT_EQ(s->Position(), 0);
  EXPECT_EQ(changes, 2);
}

TEST_F(SliderTest, NarrowingTheRangeMovesThePosition) {
  s->SetPosition(50);
  changes = 0;
  s->SetMinValue(60);
  EXPECT_EQ(s->Position(), 60);
  EXPECT_EQ(changes, 1);
  s->SetPosition(90);
  s->SetMaxValue(70);  // below the position: it follows
  EXPECT_EQ(s->Position(), 70);
  EXPECT_EQ(changes, 3);
  s->SetMaxValue(200);
  EXPECT_EQ(s->Position(), 70);
  EXPECT_EQ(changes, 3);
}

TEST_F(SliderTest, ThumbPixelAndPositionAgreeInEveryOrientationAndStyle) {
  for (TInstOrientation o : {voVertical, voHorizontal})
    for (TInstSliderStyle st : {ssBottomLeft, ssTopRight}) {
      s->SetOrientation(o);
      s->SetStyle(st);
      ASSERT_GE(s->TravelLength(), 100);
      for (int p = 0; p <= 100; ++p) {
        s->MoveThumbTo(s->PositionToPixel(p));
        ASSERT_EQ(s->Position(), p) << "orientation " << o << " style " << st;
      }
    }
}

TEST_F(SliderTest, VerticalBottomLeftAtZeroSitsAtTheBottomWithNothingLitAbove) {
  s->SetMaxValue(255);
  s->SetPosition(0);
  const TRect travel = s->TravelRect();
  EXPECT_EQ(s->ThumbRect().Bottom, travel.Bottom);
  s->PaintNow();
  const int centre = ThumbCentre().Y;
  const TColor lit = ColorToRGB(s->Palette()->High());
  for (int y = travel.Top; y < centre; ++y)
    for (int x = 8; x < 28; ++x)
      if (!PtInRect(s->ThumbRect(), Point(x, y))) {
        ASSERT_NE(s->PixelAt(x, y), lit) << x << "," << y;
      }

  s->SetPosition(255);
  EXPECT_EQ(s->ThumbRect().Top, travel.Top);
  s->PaintNow();
  bool anyLit = false;
  for (int y = s->ThumbRect().Bottom; y < travel.Bottom && !anyLit; ++y) anyLit = s->PixelAt(18, y) == lit;
  EXPECT_TRUE(anyLit);
}

TEST_F(SliderTest, TopRightPutsTheMinimumAtTheTop) {
  s->SetStyle(ssTopRight);
  s->SetPosition(0);
  EXPECT_EQ(s->ThumbRect().Top, s->TravelRect().Top);
  s->SetPosition(100);
  EXPECT_EQ(s->ThumbRect().Bottom, s->TravelRect().Bottom);
}

TEST_F(SliderTest, KeysStepAndStopAtTheEnds) {
  s->SetPosition(50);
  Key(VK_UP);
  EXPECT_EQ(s->Position(), 55);
  Key(VK_DOWN);
  Key(VK_DOWN);
  EXPECT_EQ(s->Position(), 45);
  Key(VK_UP, ssShift);
  EXPECT_EQ(s->Position(), 45);
  Key(VK_RIGHT);  // not this orientation's key
  EXPECT_EQ(s->Position(), 45);
  Key(VK_HOME);
  EXPECT_EQ(s->Position(), 0);
  Key(VK_DOWN);
  EXPECT_EQ(s->Position(), 0);
  Key(VK_END);
  EXPECT_EQ(s->Position(), 100);
  changes = 0;
  Key(VK_UP);
  EXPECT_EQ(s->Position(), 100);
  EXPECT_EQ(changes, 0);
}

TEST_F(SliderTest, TopRightReversesTheKeys) {
  s->SetOrientation(voHorizontal);
  s->SetPosition(50);
  Key(VK_RIGHT);
  EXPECT_EQ(s->Position(), 55);
  s->SetStyle(ssTopRight);
  Key(VK_RIGHT);
  EXPECT_EQ(s->Position(), 50);
  Key(VK_LEFT);
  EXPECT_EQ(s->Position(), 55);
  Key(VK_UP);
  EXPECT_EQ(s->Position(), 55);
}

TEST_F(SliderTest, DraggingPastTheEndsStopsAtTheLimits) {
  s->SetPosition(50);
  TPoint c = ThumbCentre();
  s->MouseDown(mbLeft, ssLeft, c.X, c.Y);
  EXPECT_TRUE(s->Dragging());
  s->MouseMove(ssLeft, c.X, -400);
  EXPECT_EQ(s->Position(), 100);
  s->MouseMove(ssLeft, c.X, 900);
  EXPECT_EQ(s->Position(), 0);
  s->MouseUp(mbLeft, 0, c.X, 900);
  EXPECT_FALSE(s->Dragging());
  // After release the mouse no longer moves the thumb.
  s->MouseMove(0, c.X, -400);
  EXPECT_EQ(s->Position(), 0);
}

TEST_F(SliderTest, DragKeepsTheGrabOffset) {
  s->SetPosition(50);
  const TRect t = s->ThumbRect();
  s->MouseDown(mbLeft, ssLeft, t.Left + 2, t.Top + 1);
  s->MouseMove(ssLeft, t.Left + 2, t.Top + 1);
  EXPECT_EQ(s->Position(), 50);
  s->MouseUp(mbLeft, 0, t.Left + 2, t.Top + 1);
}

TEST_F(SliderTest, ClickBesideTheThumbNeedsActiveClick) {
  s->SetPosition(50);
  const int y = s->TravelRect().Top + 20;
  s->MouseDown(mbLeft, ssLeft, 18, y);
  s->MouseUp(mbLeft, 0, 18, y);
  EXPECT_EQ(s->Position(), 50);
  EXPECT_EQ(changes, 1);

  s->SetOptions(s->Options() | soActiveClick);
  s->MouseDown(mbLeft, ssLeft, 18, y);
  s->MouseUp(mbLeft, 0, 18, y);
  EXPECT_GT(s->Position(), 80);
  // The thumb's centre is now under the mouse.
  EXPECT_LE(std::abs(ThumbCentre().Y - y), 1);
}

TEST_F(SliderTest, HandCursorOnlyOverTheThumb) {
  s->SetCursor(crCross);
  const TPoint c = ThumbCentre();
  s->MouseMove(0, c.X, c.Y);
  EXPECT_EQ(s->Cursor(), crInstHandPoint);
  s->MouseMove(0, 1, 1);
  EXPECT_EQ(s->Cursor(), crCross);
  s->SetOptions(soThumbOpaque);
  s->MouseMove(0, c.X, c.Y);
  EXPECT_EQ(s->Cursor(), crCross);
}

TEST_F(SliderTest, HandCursorGoesWhenTheMouseLeavesOrTheOptionIsCleared) {
  s->SetCursor(crCross);
  const TPoint c = ThumbCentre();
  s->MouseMove(0, c.X, c.Y);
  ASSERT_EQ(s->Cursor(), crInstHandPoint);
  s->Perform(CM_MOUSELEAVE);  // straight off the control from the thumb
  EXPECT_EQ(s->Cursor(), crCross);

  s->MouseMove(0, c.X, c.Y);
  s->SetOptions(soThumbOpaque);
  EXPECT_EQ(s->Cursor(), crCross);
  s->SetOptions(soThumbOpaque | soHandPoint);

  // The hand stays for a whole drag and goes when the thumb is let go away from the mouse.
  s->MouseMove(0, c.X, c.Y);
  s->MouseDown(mbLeft, ssLeft, c.X, c.Y);
  s->MouseMove(ssLeft, c.X + 40, c.Y);
  EXPECT_EQ(s->Cursor(), crInstHandPoint);
  s->Perform(CM_MOUSELEAVE);
  EXPECT_EQ(s->Cursor(), crInstHandPoint);
  s->MouseUp(mbLeft, 0, c.X + 40, c.Y);
  EXPECT_EQ(s->Cursor(), crCross);

  // A cursor the program sets while the hand shows is the one that comes back.
  s->MouseMove(0, c.X, c.Y);
  s->SetCursor(crHourGlass);
  EXPECT_EQ(s->Cursor(), crInstHandPoint);
  s->MouseMove(0, 1, 1);
  EXPECT_EQ(s->Cursor(), crHourGlass);
}

TEST_F(SliderTest, MouseClipHoldsTheDragInsideTheControl) {
  s->SetOptions(s->Options() | soMouseClip);
  s->SetPosition(50);
  const TPoint c = ThumbCentre();
  s->MouseDown(mbLeft, ssLeft, c.X, c.Y);
  s->MouseMove(ssLeft, c.X + 300, -400);
  EXPECT_EQ(s->Position(), 100);
  // The pointer is put back at the nearest point of the client area.
  const TPoint held = s->ClientToScreen(Point(s->ClientWidth() - 1, 0));
  EXPECT_EQ(Mouse_CursorPos().X, held.X);
  EXPECT_EQ(Mouse_CursorPos().Y, held.Y);
  s->MouseUp(mbLeft, 0, c.X, 0);
  // Released: the pointer goes where it likes.
  Mouse_SetCursorPos(Point(-50, -60));
  s->MouseMove(0, -50, -60);
  EXPECT_EQ(Mouse_CursorPos().X, -50);
}

TEST_F(SliderTest, EmptyRangeAndNoTravelNeverDivideByZero) {
  s->SetMaxValue(40);
  s->SetMinValue(40);
  EXPECT_EQ(s->Position(), 40);
  EXPECT_EQ(s->PositionToPixel(40), s->TravelRect().Bottom - s->ThumbHeight());
  s->MoveThumbTo(0);
  s->MoveThumbTo(1000);
  EXPECT_EQ(s->Position(), 40);
  Key(VK_UP);
  EXPECT_EQ(s->Position(), 40);
  s->PaintNow();

  s->SetMinValue(0);
  s->SetMaxValue(100);
  s->SetBounds(0, 0, 36, 12);  // shorter than the thumb: no travel at all
  EXPECT_LE(s->TravelLength(), 0);
  s->SetPosition(70);
  s->MoveThumbTo(5);
  EXPECT_EQ(s->Position(), 0);
  s->PaintNow();
}

TEST_F(SliderTest, ExtremeRangesNeitherOverflowNorWrap) {
  constexpr int lo = std::numeric_limits<int>::min(), hi = std::numeric_limits<int>::max();
  s->SetMaxValue(hi);
  s->SetMinValue(lo);
  const TRect t = s->TravelRect();
  s->SetPosition(hi);
  EXPECT_EQ(s->ThumbRect().Top, t.Top) << "the maximum sits at the top";
  s->SetPosition(lo);
  EXPECT_EQ(s->ThumbRect().Bottom, t.Bottom);
  s->SetPosition(0);
  EXPECT_NEAR(s->ThumbRect().Top, t.Top + s->TravelLength() / 2, 1);
  s->MoveThumbTo(-1000);
  EXPECT_EQ(s->Position(), hi);
  s->MoveThumbTo(1000);
  EXPECT_EQ(s->Position(), lo);
  s->PaintNow();

  // Key steps stop at the ends instead of wrapping round.
  s->SetPosition(hi - 2);
  Key(VK_UP);
  EXPECT_EQ(s->Position(), hi);
  s->SetPosition(lo + 2);
  Key(VK_DOWN);
  EXPECT_EQ(s->Position(), lo);
  s->SetKeyIncrement(hi);
  s->SetPosition(1);
  Key(VK_UP);
  EXPECT_EQ(s->Position(), hi);
  s->SetKeyIncrement(lo);
  s->SetPosition(0);
  Key(VK_DOWN);  // subtracting the most negative step
  EXPECT_EQ(s->Position(), hi);
  s->SetStyle(ssTopRight);
  s->SetPosition(0);
  Key(VK_UP);  // reversed: minus the most negative step
  EXPECT_EQ(s->Position(), hi);

  // A range near the top end: the reversed style's mirror (minimum at the top) stays inside it.
  s->SetMinValue(hi - 10);
  EXPECT_EQ(s->MinValue(), hi - 10);
  s->MoveThumbTo(-1000);
  EXPECT_EQ(s->Position(), hi - 10);
  s->MoveThumbTo(1000);
  EXPECT_EQ(s->Position(), hi);
  s->PaintNow();
}

TEST_F(SliderTest, BuiltInThumbsLookWholeWithEitherThumbOption) {
  // The built-in art never holds its transparent colour, so drawing it opaque (the
  // default) shows no stray key-colour pixels, and drawing it see-through changes nothing.
  for (TInstOrientation o : {voVertical, voHorizontal}) {
    s->SetOrientation(o);
    s->SetPosition(50);
    for (TInstSliderOptions options : {unsigned(soHandPoint | soThumbOpaque), unsigned(soHandPoint)}) {
      s->SetOptions(options);
      s->PaintNow();
      const TRect t = s->ThumbRect();
      const TColor key = ColorToRGB(s->ThumbBitmap()->TransparentColor());
      int keyPixels = 0;
      for (int y = t.Top; y < t.Bottom; ++y)
        for (int x = t.Left; x < t.Right; ++x) keyPixels += s->PixelAt(x, y) == key;
      EXPECT_EQ(keyPixels, 0) << "orientation " << o << ", options " << options;
      // The corners are the thumb's own frame: light top-left, dark bottom-right.
      EXPECT_EQ(s->PixelAt(t.Left, t.Top), ColorToRGB(clWhite));
      EXPECT_EQ(s->PixelAt(t.Right - 1, t.Bottom - 1), ColorToRGB(clBlack));
    }
  }
}

TEST_F(SliderTest, ASystemColourChangeRebuildsTheTrack) {
  s->SetColor(clBtnFace);
  s->Palette()->SetLow(clBtnShadow);
  const int x = s->LowImage()->Width() / 2;
  const int y = s->LowImage()->Height() - 1;  // the first tick, at the bottom
  ASSERT_EQ(ColorToRGB(s->LowImage()->Canvas()->Pixels(x, y)), RGB(128, 128, 128));
  SetSysColor(16, RGB(10, 20, 30));
  s->Perform(CM_SYSCOLORCHANGE);
  EXPECT_EQ(ColorToRGB(s->LowImage()->Canvas()->Pixels(x, y)), RGB(10, 20, 30));
  PinSystemColours();
}

TEST_F(SliderTest, OrientationSwapsTheSizeAndTheThumb) {
  const int tw = s->ThumbWidth(), th = s->ThumbHeight();
  s->SetOrientation(voHorizontal);
  EXPECT_EQ(s->Width(), 171);
  EXPECT_EQ(s->Height(), 36);
  EXPECT_EQ(s->ThumbWidth(), th);
  EXPECT_EQ(s->ThumbHeight(), tw);
  EXPECT_EQ(s->LowImage()->Width(), 171 - 2 * 6);
}

TEST_F(SliderTest, TrackImagesFollowTickSettings) {
  s->SetSpacing(-1);   // ignored
  s->SetTickWidth(0);  // ignored
  EXPECT_EQ(s->Spacing(), 1);
  EXPECT_EQ(s->TickWidth(), 1);
  s->SetTickWidth(3);
  s->SetSpacing(2);
  // Bottom-left: ticks from the bottom of the image every five pixels.
  TBitmap* lit = s->HighImage();
  const int h = lit->Height();
  const TColor high = ColorToRGB(s->Palette()->High());
  EXPECT_EQ(ColorToRGB(lit->Canvas()->Pixels(3, h - 1)), high);
  EXPECT_EQ(ColorToRGB(lit->Canvas()->Pixels(3, h - 3)), high);
  EXPECT_EQ(ColorToRGB(lit->Canvas()->Pixels(3, h - 4)), clBlack);
  EXPECT_EQ(ColorToRGB(lit->Canvas()->Pixels(3, h - 6)), high);
  s->Palette()->SetHigh(clRed);
  EXPECT_EQ(ColorToRGB(s->HighImage()->Canvas()->Pixels(3, h - 1)), clRed);
  s->SetSolidFill(false);
  EXPECT_NE(ColorToRGB(s->HighImage()->Canvas()->Pixels(3, h - 1)),
            ColorToRGB(s->HighImage()->Canvas()->Pixels(4, h - 1)));
}

TEST_F(SliderTest, ThumbStateFollowsHoverDragAndEnabled) {
  // With one state every situation shows cell 0.
  s->SetEnabled(false);
  s->PaintNow();
  EXPECT_EQ(s->PaintedThumbState(), 0);
  s->SetEnabled(true);

  TInstBitmapList list(nullptr);
  auto strip = ThumbStrip(4, 30, 13);
  list.Bitmaps()->Add(strip.get());
  s->SetBitmapList(&list);
  s->SetThumbImageIndex(0);
  s->SetThumbStates(4);
  EXPECT_EQ(s->ThumbWidth(), 30);
  s->PaintNow();
  EXPECT_EQ(s->PaintedThumbState(), 0);
  const TPoint c = ThumbCentre();
  s->MouseMove(0, c.X, c.Y);
  EXPECT_TRUE(s->Hovering());
  s->PaintNow();
  EXPECT_EQ(s->PaintedThumbState(), 3);
  EXPECT_EQ(s->PixelAt(c.X, c.Y), clAqua);
  s->MouseDown(mbLeft, ssLeft, c.X, c.Y);
  s->PaintNow();
  EXPECT_EQ(s->PaintedThumbState(), 2);
  s->MouseUp(mbLeft, 0, c.X, c.Y);
  s->MouseMove(0, 0, 0);
  s->SetEnabled(false);
  s->PaintNow();
  EXPECT_EQ(s->PaintedThumbState(), 1);
  EXPECT_EQ(s->PixelAt(ThumbCentre().X, ThumbCentre().Y), clYellow);
  s->SetBitmapList(nullptr);
}

TEST_F(SliderTest, BitmapListChangesReloadTheThumb) {
  TInstBitmapList list(nullptr);
  s->SetBitmapList(&list);
  s->SetThumbImageIndex(0);
  const int builtIn = s->ThumbWidth();
  auto strip = ThumbStrip(1, 20, 9);
  list.Bitmaps()->Add(strip.get());
  EXPECT_EQ(s->ThumbWidth(), 20);
  EXPECT_EQ(s->ThumbHeight(), 9);
  list.Bitmaps()->Clear();
  EXPECT_EQ(s->ThumbWidth(), builtIn);
  s->SetBitmapList(nullptr);
  EXPECT_EQ(list.LinkCount(), 0);
}

TEST_F(SliderTest, AFreedBitmapListLeavesNoReferenceBehind) {
  auto* list = new TInstBitmapList(nullptr);
  auto strip = ThumbStrip(1, 20, 9);
  list->Bitmaps()->Add(strip.get());
  s->SetBitmapList(list);
  s->SetThumbImageIndex(0);
  EXPECT_EQ(list->LinkCount(), 1);
  EXPECT_EQ(s->ThumbWidth(), 20);
  delete list;
  EXPECT_EQ(s->BitmapList(), nullptr);
  EXPECT_NE(s->ThumbWidth(), 20);  // back to the built-in thumb
  s->PaintNow();
  s->SetThumbImageIndex(1);  // no list: must not touch the freed one
}

TEST(SliderLifetime, ListAndSliderOwnedByOneFormGoInEitherOrder) {
  {
    auto form = MakeForm();
    auto* list = new TInstBitmapList(form.get());
    auto* s = new TInstSlider(form.get());
    s->SetParent(form.get());
    s->SetBitmapList(list);
    delete s;  // the slider goes first: the list keeps no link to it
    EXPECT_EQ(list->LinkCount(), 0);
  }
  {
    auto form = MakeForm();
    auto* s = new TInstSlider(form.get());
    auto* list = new TInstBitmapList(form.get());
    s->SetParent(form.get());
    s->SetBitmapList(list);
    delete list;  // the list goes first: the slider forgets it
    EXPECT_EQ(s->BitmapList(), nullptr);
  }
}
