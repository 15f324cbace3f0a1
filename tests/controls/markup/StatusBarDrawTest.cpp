// What the status bar draws, on a recording canvas.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "controls/markup/HTMLStatusBar.h"
#include "platform/gui/Forms.h"
#include "platform/gui/ImgList.h"
#include "platform/gui/RecordingCanvas.h"
#include "platform/gui/testing/GuiTest.h"

namespace {

class StatusBarDrawTest : public TGuiTest {
 protected:
  StatusBarDrawTest() {
    form = new TForm(nullptr);
    form->SetBounds(0, 0, 600, 200);
    bar = new THTMLStatusBar(form);
    bar->SetParent(form);
    bar->SetSizeGrip(false);
  }
  // The base fixture frees the form.

  THTMLStatusPanel* Add(int width, THTMLStatusPanelStyle style, const std::string& text = std::string()) {
    THTMLStatusPanel* p = bar->Panels()->Add();
    p->SetWidth(width);
    p->SetStyle(style);
    p->SetText(text);
    return p;
  }
  const TCanvasOp* TextOp(const std::string& text) {
    for (const TCanvasOp& op : canvas.Ops())
      if (op.Kind == okText && op.Text == text) return &op;
    return nullptr;
  }
  // Filled rectangles of one colour lying inside a rectangle.
  std::vector<TRect> Fills(TColor color, const TRect& within) {
    std::vector<TRect> v;
    for (const TCanvasOp& op : canvas.OpsOf(okFillRect))
      if (op.BrushColor == color && op.R.Left >= within.Left && op.R.Right <= within.Right &&
          op.R.Top >= within.Top && op.R.Bottom <= within.Bottom)
        v.push_back(op.R);
    return v;
  }
  static TRect Inner(TRect r) {
    InflateRect(r, -1, -1);
    return r;
  }

  TForm* form;
  THTMLStatusBar* bar;
  TRecordingCanvas canvas{600, 19};
};

TEST_F(StatusBarDrawTest, OwnerDrawnPanelsGoToTheEventWithTheBarsCanvas) {
  Add(100, psText, "plain");
  THTMLStatusPanel* own = Add(120, psOwnerDraw, "mine");
  std::vector<TRect> rects;
  TCanvas* seen = nullptr;
  TColor brush = clNone;
  bar->OnDrawPanel = [&](THTMLStatusBar* b, THTMLStatusPanel* p, const TRect& r) {
    EXPECT_EQ(p, own);
    rects.push_back(r);
    seen = b->Canvas();
    brush = b->Canvas()->Brush()->Color();
  };
  bar->PaintOn(&canvas);
  ASSERT_EQ(rects.size(), 1u);
  EXPECT_EQ(rects[0], Inner(bar->PanelRect(1)));
  EXPECT_EQ(seen, &canvas);
  EXPECT_EQ(brush, clBtnFace);
  EXPECT_NE(bar->Canvas(), &canvas);  // bound only while the part is drawn
  EXPECT_EQ(TextOp("mine"), nullptr);
  ASSERT_NE(TextOp("plain"), nullptr);
}

TEST_F(StatusBarDrawTest, TextPanelsAreDrawnInsideTheirPartWithTheirAlignment) {
  Add(100, psText, "left");
  THTMLStatusPanel* c = Add(200, psText, "centre");
  c->SetAlignment(taCenter);
  THTMLStatusPanel* r = Add(100, psText, "right");
  r->SetAlignment(taRightJustify);
  bar->PaintOn(&canvas);
  const TCanvasOp* l = TextOp("left");
  const TCanvasOp* m = TextOp("centre");
  const TCanvasOp* rr = TextOp("right");
  ASSERT_TRUE(l && m && rr);
  const TRect p0 = bar->PanelRect(0), p1 = bar->PanelRect(1), p2 = bar->PanelRect(2);
  EXPECT_GT(l->R.Left, p0.Left);
  EXPECT_LT(l->R.Left, p0.Left + 6);
  const int mid = (m->R.Left + m->R.Right) / 2;
  EXPECT_NEAR(mid, (p1.Left + p1.Right) / 2, 2);
  EXPECT_LT(rr->R.Right, p2.Right);
  EXPECT_GT(rr->R.Right, p2.Right - 6);
  // Vertically centred in the part.
  EXPECT_NEAR((l->R.Top + l->R.Bottom) / 2, (p0.Top + p0.Bottom) / 2, 1);
}

TEST_F(StatusBarDrawTest, RightToLeftBarsMirrorTheAlignment) {
  Add(200, psText, "rtl");
  THTMLStatusPanel* own = Add(200, psText, "own");
  own->SetParentBiDiMode(false);  // keeps its own (left to right) mode
  bar->HandleNeeded();
  bar->PaintOn(&canvas);
  canvas.Clear();
  // At run time, through the control's own setter as any code reaches a control: the next
  // painting shows it.
  TControl* control = bar;
  control->SetBiDiMode(bdRightToLeft);
  EXPECT_EQ(bar->Panels()->Items(0)->BiDiMode(), bdRightToLeft);
  bar->PaintOn(&canvas);
  const TCanvasOp* t = TextOp("rtl");
  ASSERT_NE(t, nullptr);
  EXPECT_GT(t->R.Left, bar->PanelRect(0).Right - 30);
  EXPECT_TRUE(bar->Panels()->Items(0)->UseRightToLeftReading());
  EXPECT_FALSE(own->UseRightToLeftReading());
}

TEST_F(StatusBarDrawTest, ATextChangeReachesThePartWhenItIsDrawn) {
  THTMLStatusPanel* p = Add(100, psText, "one");
  bar->HandleNeeded();
  bar->PaintOn(&canvas);
  ASSERT_NE(TextOp("one"), nullptr);
  p->SetText("two");
  canvas.Clear();
  bar->PaintOn(&canvas);
  EXPECT_EQ(TextOp("one"), nullptr);
  EXPECT_NE(TextOp("two"), nullptr);
  EXPECT_FALSE(p->UpdateNeeded());
}

TEST_F(StatusBarDrawTest, DisabledTextPanelsAreOwnerDrawnInSilver) {
  THTMLStatusPanel* p = Add(100, psText, "off");
  p->SetEnabled(false);
  bar->PaintOn(&canvas);
  const TCanvasOp* t = TextOp("off");
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->Font.Color, clSilver);
}

// A disabled panel of a style the bar draws itself keeps its style's drawing: markup rendered,
// the progress bar, the images, the ellipsis text; none of them turns into its raw Text in silver.
TEST_F(StatusBarDrawTest, DisabledPanelsOfTheDrawnStylesKeepTheirStylesDrawing) {
  TImageList images(nullptr);
  TBitmap pair(32, 16);
  images.Add(&pair, nullptr);
  bar->SetImages(&images);
  const struct {
    THTMLStatusPanelStyle style;
    std::string text;
    std::string shown;  // a text op the style draws ("" none)
    size_t images;      // images drawn
    bool bold;          // the shown text is bold (markup rendered)
    TColor fill;        // a fill of this colour is drawn (clNone: not checked)
  } cases[] = {
      {psHTML, "<b>grey</b>", "grey", 0, true, clNone},
      {psProgress, "raw", "50%", 0, false, clLime},
      {psImage, "txt", "txt", 1, false, clNone},
      {psImageList, "raw", "", 2, false, clNone},
      {psAnimation, "anim", "anim", 1, false, clNone},
      {psEllipsText, "ellipsis", "ellipsis", 0, false, clNone},
      {psFileEllipsText, "/a/file.txt", "/a/file.txt", 0, false, clNone},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.style));
    bar->Panels()->Clear();
    THTMLStatusPanel* p = Add(200, c.style, c.text);
    p->SetEnabled(false);
    p->SetImageIndex(1);
    p->ImageIndexLines()->Add("0");
    p->ImageIndexLines()->Add("1");
    p->SetAnimationImages(&images);
    p->Progress()->SetShowGradient(false);
    p->Progress()->SetPosition(50);
    canvas.Clear();
    bar->PaintOn(&canvas);
    EXPECT_EQ(canvas.OpsOf(okImage).size(), c.images);
    if (c.shown != c.text) {
      EXPECT_EQ(TextOp(c.text), nullptr) << "the raw text is not drawn";
    }
    if (!c.shown.empty()) {
      const TCanvasOp* t = TextOp(c.shown);
      ASSERT_NE(t, nullptr);
      EXPECT_NE(t->Font.Color, clSilver);
      EXPECT_EQ((t->Font.Style & fsBold) != 0, c.bold);
    }
    if (c.fill != clNone) {
      EXPECT_EQ(Fills(c.fill, Inner(bar->PanelRect(0))).size(), 1u);
    }
  }
  bar->Panels()->Clear();
  bar->SetImages(nullptr);
}

TEST_F(StatusBarDrawTest, MarkupPanelsAreRenderedAtTheirOffsets) {
  THTMLStatusPanel* p = Add(200, psHTML, "<b>bold</b> plain");
  p->SetHTMLOffsetX(0);
  p->SetHTMLOffsetY(0);
  bar->PaintOn(&canvas);
  const TCanvasOp* b = TextOp("bold");
  ASSERT_NE(b, nullptr);
  EXPECT_TRUE(b->Font.Style & fsBold);
  EXPECT_EQ(TextOp("<b>bold</b> plain"), nullptr);
  const TRect at = b->R;
  const TRect inner = Inner(bar->PanelRect(0));
  EXPECT_GE(at.Left, inner.Left);
  p->SetHTMLOffsetX(5);
  p->SetHTMLOffsetY(3);
  canvas.Clear();
  bar->PaintOn(&canvas);
  b = TextOp("bold");
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->R.Left, at.Left + 5);
  EXPECT_EQ(b->R.Top, at.Top + 3);
}

TEST_F(StatusBarDrawTest, BevelsFollowTheBevelSetting) {
  Add(100, psText, "a")->SetBevel(pbNone);
  bar->PaintOn(&canvas);
  const size_t flat = canvas.Ops().size();
  canvas.Clear();
  bar->Panels()->Items(0)->SetBevel(pbLowered);
  bar->PaintOn(&canvas);
  EXPECT_GT(canvas.Ops().size(), flat);
}

TEST_F(StatusBarDrawTest, ProgressBarFillsItsShareInTheLevelColour) {
  THTMLStatusPanel* p = Add(202, psProgress);
  TProgressStyle* s = p->Progress();
  s->SetShowGradient(false);
  s->SetPosition(50);
  bar->PaintOn(&canvas);
  const TRect R = Inner(bar->PanelRect(0));
  const int w = R.Width() - 2;
  const std::vector<TRect> bar0 = Fills(clLime, R);
  ASSERT_EQ(bar0.size(), 1u);
  EXPECT_EQ(bar0[0], TRect(R.Left + 2, R.Top + 2, R.Left + static_cast<int>(Round(50.0 * w / 100)), R.Bottom - 2));
  // Block separators every 9 pixels from left + 8.
  const std::vector<TRect> seps = Fills(clBtnFace, bar0[0]);
  ASSERT_GE(seps.size(), 3u);
  EXPECT_EQ(seps[0].Left, bar0[0].Left + 8);
  EXPECT_EQ(seps[1].Left - seps[0].Left, 9);
  EXPECT_EQ(seps[0].Width(), 2);
  ASSERT_NE(TextOp("50%"), nullptr);
}

TEST_F(StatusBarDrawTest, ProgressLevelsChangeColourAtTheirThresholds) {
  THTMLStatusPanel* p = Add(202, psProgress);
  TProgressStyle* s = p->Progress();
  s->SetShowGradient(false);
  s->SetCompletionSmooth(true);
  const TRect R = Inner(bar->PanelRect(0));
  const std::pair<int, TColor> cases[] = {{69, clLime}, {70, clYellow}, {90, 0x53A9FF}, {100, clRed}};
  for (const auto& [pos, color] : cases) {
    s->SetPosition(pos);
    canvas.Clear();
    bar->PaintOn(&canvas);
    EXPECT_EQ(Fills(color, R).size(), 1u) << pos;
  }
}

TEST_F(StatusBarDrawTest, StackedProgressSplitsIntoThreeSegmentsThatFillTheBar) {
  THTMLStatusPanel* p = Add(202, psProgress);
  TProgressStyle* s = p->Progress();
  s->SetShowGradient(false);
  s->SetStacked(true);
  s->SetCompletionSmooth(true);
  s->SetPosition(100);
  bar->PaintOn(&canvas);
  const TRect R = Inner(bar->PanelRect(0));
  const int w = R.Width() - 2;
  const auto a = Fills(clLime, R), b = Fills(clYellow, R), c = Fills(clRed, R);
  ASSERT_EQ(a.size(), 1u);
  ASSERT_EQ(b.size(), 1u);
  ASSERT_EQ(c.size(), 1u);
  EXPECT_EQ(a[0].Left, R.Left + 1);
  EXPECT_EQ(a[0].Width(), static_cast<int>(Round(70.0 * w / 100)));
  EXPECT_EQ(b[0].Left, a[0].Right);
  EXPECT_EQ(b[0].Width(), static_cast<int>(Round(20.0 * w / 100)));
  EXPECT_EQ(c[0].Left, b[0].Right);
  EXPECT_EQ(c[0].Right, R.Left + 1 + w);
}

TEST_F(StatusBarDrawTest, AbsoluteProgressWithAnEmptyRangeDrawsNoBarButItsText) {
  THTMLStatusPanel* p = Add(202, psProgress);
  TProgressStyle* s = p->Progress();
  s->SetIndication(piAbsolute);
  s->SetMin(5);
  s->SetMax(5);
  s->SetPosition(5);
  s->SetPrefix("n=");
  s->SetSuffix(" pcs");
  s->SetShowGradient(false);
  bar->PaintOn(&canvas);
  const TRect R = Inner(bar->PanelRect(0));
  for (TColor c : {clLime, clYellow, static_cast<TColor>(0x53A9FF), clRed}) EXPECT_TRUE(Fills(c, R).empty());
  ASSERT_NE(TextOp("n=5 pcs"), nullptr);
}

TEST_F(StatusBarDrawTest, ProgressNeverDrawsPastItsPanel) {
  THTMLStatusPanel* p = Add(150, psProgress);
  p->Progress()->SetShowGradient(false);
  p->Progress()->SetPosition(250);
  bar->PaintOn(&canvas);
  const TRect R = Inner(bar->PanelRect(0));
  for (const TCanvasOp& op : canvas.OpsOf(okFillRect))
    if (op.BrushColor == clRed) {
      EXPECT_LE(op.R.Right, R.Right);
    }
  EXPECT_NE(TextOp("250%"), nullptr);
}

TEST_F(StatusBarDrawTest, ImagePanelsPlaceTheirImagesAndTextSideBySide) {
  TImageList images(nullptr);
  TBitmap pair(32, 16);  // two 16 x 16 images
  images.Add(&pair, nullptr);
  ASSERT_EQ(images.Count(), 2);
  bar->SetImages(&images);
  THTMLStatusPanel* one = Add(100, psImage, "txt");
  one->SetImageIndex(1);
  THTMLStatusPanel* list = Add(100, psImageList);
  list->ImageIndexLines()->Add("0");
  list->ImageIndexLines()->Add("1");
  list->ImageIndexLines()->Add("1");
  bar->PaintOn(&canvas);
  const auto imagesDrawn = canvas.OpsOf(okImage);
  ASSERT_EQ(imagesDrawn.size(), 4u);
  const TRect in0 = Inner(bar->PanelRect(0)), in1 = Inner(bar->PanelRect(1));
  EXPECT_EQ(imagesDrawn[0].R.Left, in0.Left + 2);
  EXPECT_EQ(imagesDrawn[0].R.Top, in0.Top + (in0.Height() - 16) / 2);
  const TCanvasOp* text = TextOp("txt");
  ASSERT_NE(text, nullptr);
  EXPECT_GE(text->R.Left, in0.Left + 2 + 16 + 2);
  EXPECT_EQ(imagesDrawn[1].R.Left, in1.Left + 2);
  EXPECT_EQ(imagesDrawn[2].R.Left, in1.Left + 2 + 18);
  EXPECT_EQ(imagesDrawn[3].R.Left, in1.Left + 2 + 36);
  bar->SetImages(nullptr);
}

TEST_F(StatusBarDrawTest, SimplePanelShowsOnlyTheSimpleText) {
  Add(100, psText, "part");
  bar->SetSimplePanel(true);
  bar->SetSimpleText("simple words");
  bar->PaintOn(&canvas);
  EXPECT_NE(TextOp("simple words"), nullptr);
  EXPECT_EQ(TextOp("part"), nullptr);
  bar->SetSimplePanel(false);
  canvas.Clear();
  bar->PaintOn(&canvas);
  EXPECT_EQ(TextOp("simple words"), nullptr);
  EXPECT_NE(TextOp("part"), nullptr);
}

TEST_F(StatusBarDrawTest, SimpleTextReadsRightToLeftOnARightToLeftBar) {
  bar->SetSimplePanel(true);
  bar->SetSimpleText("simple words");
  bar->PaintOn(&canvas);
  ASSERT_NE(TextOp("simple words"), nullptr);
  EXPECT_FALSE(TextOp("simple words")->RightToLeft);
  bar->SetBiDiMode(bdRightToLeft);
  canvas.Clear();
  bar->PaintOn(&canvas);
  ASSERT_NE(TextOp("simple words"), nullptr);
  EXPECT_TRUE(TextOp("simple words")->RightToLeft);
}

TEST(StatusGradientTest, BandsStepFromOneColourToTheOtherAndCoverTheRectangle) {
  TRecordingCanvas c(200, 50);
  const TRect R(10, 5, 138, 25);  // 128 wide
  StatusGradient(&c, RGB(0, 0, 0), RGB(255, 128, 64), 64, R, false);
  const auto fills = c.OpsOf(okFillRect);
  ASSERT_EQ(fills.size(), 64u);
  EXPECT_EQ(fills.front().BrushColor, RGB(0, 0, 0));
  EXPECT_EQ(fills[32].BrushColor, RGB(128, 64, 32));
  EXPECT_EQ(fills.back().BrushColor, RGB(static_cast<int>(Round(63 * 255.0 / 64)), 126, 63));
  int x = R.Left;
  for (const TCanvasOp& op : fills) {
    EXPECT_LE(op.R.Left, x);  // no seam
    EXPECT_EQ(op.R.Top, R.Top);
    EXPECT_EQ(op.R.Bottom, R.Bottom);
    x = std::max(x, op.R.Right);
  }
  EXPECT_EQ(x, R.Right);  // the last band is clipped to the rectangle
}

TEST(StatusGradientTest, VerticalBandsOnANarrowRectangle) {
  TRecordingCanvas c(50, 50);
  const TRect R(0, 0, 10, 7);
  StatusGradient(&c, clWhite, clBlack, 11, R, true);
  int y = 0;
  for (const TCanvasOp& op : c.OpsOf(okFillRect)) {
    EXPECT_LE(op.R.Top, y);
    EXPECT_LE(op.R.Bottom, R.Bottom);
    y = std::max(y, op.R.Bottom);
  }
  EXPECT_EQ(y, R.Bottom);
}

}  // namespace
