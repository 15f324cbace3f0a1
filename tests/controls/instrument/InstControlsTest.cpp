// Push button, LED check box, rotated label and links.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QImage>
#include <QMouseEvent>
#include <QWidget>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "controls/instrument/InstButtons.h"
#include "controls/instrument/InstCheckLed.h"
#include "controls/instrument/InstHyperCtrls.h"
#include "controls/instrument/InstLabel.h"
#include "controls/instrument/InstSystem.h"
#include "platform/gui/Windows.h"
#include "tests/controls/instrument/InstTestSupport.h"

namespace {

using TButton_ = Painted<TInstDemoButton>;
using TLed = Painted<TInstCheckLed>;
using TLabel_ = Painted<TInstLabel>;
using TLink = Painted<TInstHyperLink>;

class ButtonTest : public ::testing::Test {
 protected:
  void SetUp() override {
    PinSystemColours();
    form = MakeForm();
    b = new TButton_(form.get());
    b->SetParent(form.get());
    b->SetCaption("&Read");
    b->OnClick = [this](TObject*) {
      ++clicks;
      downDuringClick = b->Down();
    };
  }
  std::unique_ptr<TForm> form;
  TButton_* b = nullptr;
  int clicks = 0;
  bool downDuringClick = true;
};

}  // namespace

// ---- push button

TEST_F(ButtonTest, Defaults) {
  EXPECT_EQ(b->Width(), 150);
  EXPECT_EQ(b->Height(), 25);
  EXPECT_EQ(b->BevelWidth(), 2);
  EXPECT_EQ(b->FontEnter()->Color(), clRed);
  EXPECT_EQ(b->FontLeave()->Color(), clBlack);
  EXPECT_EQ(b->FontLeave()->Name(), "Arial");
  EXPECT_EQ(b->FontLeave()->Size(), 12);
  EXPECT_TRUE(b->FontLeave()->Style() & fsBold);
  EXPECT_EQ(b->TextAlignment(), TInstTextAlignment::vtaCenter);
  EXPECT_EQ(b->Version(), "1.3");
  EXPECT_FALSE(b->ControlStyle() & csDoubleClicks);
}

TEST_F(ButtonTest, ClickKeepsTheButtonDrawnPressedUntilTheHandlerReturns) {
  TColor edgeDuringClick = clNone;
  b->OnClick = [this, &edgeDuringClick](TObject*) {
    ++clicks;
    downDuringClick = b->Down();
    b->PaintNow();  // what a paint shows while the handler runs
    edgeDuringClick = b->PixelAt(1, 10);
  };
  b->MouseDown(mbLeft, ssLeft, 10, 10);
  EXPECT_TRUE(b->Down());
  b->MouseUp(mbLeft, 0, 10, 10);
  EXPECT_EQ(clicks, 1);
  EXPECT_TRUE(downDuringClick);
  EXPECT_EQ(edgeDuringClick, RGB(128, 128, 128)) << "sunken: the shadow on the top-left";
  EXPECT_FALSE(b->Down());
  EXPECT_FALSE(b->Pressed());
  // Painted raised: light top-left inside the outline.
  b->PaintNow();
  EXPECT_EQ(b->PixelAt(1, 10), RGB(255, 255, 255));
}

TEST_F(ButtonTest, ClickFromCodeDoesNothingAndMouseClicksOnlyOnce) {
  b->Click();
  EXPECT_EQ(clicks, 0);
  // Through the window system: the inherited button-up must not add a second click.
  b->SetBounds(0, 0, 150, 25);
  form->Show();
  QWidget* w = b->ClientWidget();
  const QPointF p(20, 12);
  QMouseEvent press(QEvent::MouseButtonPress, p, w->mapToGlobal(p), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(w, &press);
  EXPECT_TRUE(b->Down());
  QMouseEvent release(QEvent::MouseButtonRelease, p, w->mapToGlobal(p), Qt::LeftButton, Qt::NoButton,
                      Qt::NoModifier);
  QCoreApplication::sendEvent(w, &release);
  EXPECT_EQ(clicks, 1);
  EXPECT_FALSE(b->Pressed());
}

TEST_F(ButtonTest, PressedLooksSunken) {
  b->MouseDown(mbLeft, ssLeft, 10, 10);
  b->PaintNow();
  EXPECT_EQ(b->PixelAt(1, 10), RGB(128, 128, 128));
  b->MouseUp(mbLeft, 0, 10, 10);
}

TEST_F(ButtonTest, DraggingOutBeforeReleaseCancels) {
  b->MouseDown(mbLeft, ssLeft, 10, 10);
  b->MouseMove(ssLeft, 200, 10);
  EXPECT_FALSE(b->Down());
  EXPECT_TRUE(b->Pressed());
  b->MouseUp(mbLeft, 0, 200, 10);
  EXPECT_EQ(clicks, 0);
  EXPECT_FALSE(b->Down());
  b->PaintNow();
  EXPECT_EQ(b->PixelAt(1, 10), RGB(255, 255, 255));
}

TEST_F(ButtonTest, LeavingAndComingBackStillClicksOnce) {
  b->MouseDown(mbLeft, ssLeft, 10, 10);
  b->MouseMove(ssLeft, -5, 10);
  b->MouseMove(ssLeft, 20, 12);
  EXPECT_TRUE(b->Down());
  b->MouseUp(mbLeft, 0, 20, 12);
  EXPECT_EQ(clicks, 1);
}

TEST_F(ButtonTest, OnlyTheLeftButtonPresses) {
  b->MouseDown(mbRight, ssRight, 10, 10);
  EXPECT_FALSE(b->Pressed());
  b->MouseUp(mbRight, 0, 10, 10);
  EXPECT_EQ(clicks, 0);
}

TEST_F(ButtonTest, SpaceKeyClicksOnRelease) {
  WORD k = VK_SPACE;
  b->KeyDown(k, 0);
  EXPECT_TRUE(b->Down());
  EXPECT_EQ(clicks, 0);
  k = VK_SPACE;
  b->KeyUp(k, 0);
  EXPECT_EQ(clicks, 1);
  EXPECT_FALSE(b->Down());
  EXPECT_FALSE(b->Pressed());
}

TEST_F(ButtonTest, SpaceReleaseIsPaintedRaisedBeforeTheHandlerRuns) {
  form->Show();
  Application->ProcessMessages();
  TColor edgeDuringClick = clNone;
  b->OnClick = [this, &edgeDuringClick](TObject*) {
    ++clicks;
    edgeDuringClick = b->PixelAt(1, 10);  // what the screen last got
  };
  WORD k = VK_SPACE;
  b->KeyDown(k, 0);
  b->PaintNow();
  ASSERT_EQ(b->PixelAt(1, 10), RGB(128, 128, 128));
  k = VK_SPACE;
  b->KeyUp(k, 0);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(edgeDuringClick, RGB(255, 255, 255));
}

TEST_F(ButtonTest, AcceleratorClicksWhenEnabled) {
  b->Perform(CM_DIALOGCHAR, 'r');
  EXPECT_EQ(clicks, 1);
  b->Perform(CM_DIALOGCHAR, 'x');
  EXPECT_EQ(clicks, 1);
  b->SetEnabled(false);
  b->Perform(CM_DIALOGCHAR, 'r');
  EXPECT_EQ(clicks, 1);
}

TEST_F(ButtonTest, DisabledCaptionUsesTheLeaveFontInTheDisabledColour) {
  b->FontEnter()->SetSize(20);
  b->Perform(CM_MOUSEENTER);
  EXPECT_TRUE(b->Hover());
  b->PaintNow();
  EXPECT_EQ(b->BitmapCanvas()->Font()->Size(), 20);
  b->SetEnabled(false);
  b->PaintNow();
  EXPECT_EQ(b->BitmapCanvas()->Font()->Size(), 12);
  EXPECT_EQ(b->BitmapCanvas()->Font()->Color(), b->DisabledTextColor());
  b->Perform(CM_MOUSELEAVE);
  EXPECT_FALSE(b->Hover());
}

TEST_F(ButtonTest, FlatShowsTheBevelOnlyUnderTheMouseAndKeepsTheCaptionArea) {
  b->PaintNow();
  const TRect withBevel = b->CaptionRect();
  b->SetFlat(true);
  b->PaintNow();
  EXPECT_EQ(b->CaptionRect(), withBevel);
  EXPECT_EQ(b->PixelAt(1, 10), RGB(192, 192, 192));
  b->Perform(CM_MOUSEENTER);
  b->PaintNow();
  EXPECT_EQ(b->PixelAt(1, 10), RGB(255, 255, 255));
  EXPECT_EQ(b->CaptionRect(), withBevel);
}

TEST_F(ButtonTest, OutlineTakesTheFocusColourWithFocus) {
  b->PaintNow();
  EXPECT_EQ(b->PixelAt(0, 10), clBlack);
  form->Show();
  b->SetTabStop(true);
  b->SetFocus();
  EXPECT_TRUE(b->Focused());
  b->PaintNow();
  EXPECT_EQ(b->PixelAt(0, 10), clBlue);
  form->Hide();
}

// ---- LED check box

namespace {

class LedTest : public ::testing::Test {
 protected:
  void SetUp() override {
    PinSystemColours();
    form = MakeForm();
    led = MakeLed("Auto write", csCheckbox);
  }
  TLed* MakeLed(const std::string& caption, TInstCheckLedStyle style) {
    auto* l = new TLed(form.get());
    l->SetParent(form.get());
    l->SetCaption(caption);
    l->SetCheckStyle(style);
    l->OnChange = [this, l](TObject*) { changes.push_back(l); };
    return l;
  }
  TPoint LedCentre(TLed* l) {
    const TRect r = l->LedRect();
    return Point((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
  }
  std::unique_ptr<TForm> form;
  TLed* led = nullptr;
  std::vector<TLed*> changes;
};

}  // namespace

TEST_F(LedTest, Defaults) {
  EXPECT_EQ(led->Width(), 125);
  EXPECT_EQ(led->Height(), 25);
  EXPECT_EQ(led->CheckWidth(), 20);
  EXPECT_EQ(led->CheckHeight(), 13);
  EXPECT_EQ(led->Margin(), -1);
  EXPECT_EQ(led->Spacing(), 5);
  EXPECT_FALSE(led->Checked());
  EXPECT_EQ(led->LedRect().Right - led->LedRect().Left, 20);
}

TEST_F(LedTest, PressShowsTheNewStateAtOnceAndReleaseCommitsIt) {
  const TPoint c = LedCentre(led);
  led->MouseDown(mbLeft, ssLeft, c.X, c.Y);
  led->PaintNow();
  EXPECT_EQ(led->PaintedLedStyle(), 2);
  EXPECT_FALSE(led->Checked());
  EXPECT_TRUE(changes.empty());
  led->MouseUp(mbLeft, 0, c.X, c.Y);
  EXPECT_TRUE(led->Checked());
  EXPECT_EQ(changes.size(), 1u);
  led->PaintNow();
  EXPECT_EQ(led->PixelAt(c.X, c.Y), clLime);
}

TEST_F(LedTest, DraggingOffBeforeReleaseRestoresWithoutChange) {
  const TPoint c = LedCentre(led);
  led->MouseDown(mbLeft, ssLeft, c.X, c.Y);
  led->MouseMove(ssLeft, 120, 2);
  led->MouseUp(mbLeft, 0, 120, 2);
  EXPECT_FALSE(led->Checked());
  EXPECT_TRUE(changes.empty());
  led->PaintNow();
  EXPECT_EQ(led->PaintedLedStyle(), 0);
  EXPECT_EQ(led->PixelAt(c.X, c.Y), clGreen);
}

TEST_F(LedTest, CaptionClicksDoNotToggleButSpaceDoes) {
  const TRect cap = led->CaptionRect();
  led->MouseDown(mbLeft, ssLeft, cap.Left + 2, cap.Top + 2);
  led->MouseUp(mbLeft, 0, cap.Left + 2, cap.Top + 2);
  EXPECT_FALSE(led->Checked());
  char k = ' ';
  led->KeyPress(k);
  EXPECT_TRUE(led->Checked());
  EXPECT_EQ(changes.size(), 1u);
}

TEST_F(LedTest, WritingTheSameValueIsSilent) {
  led->SetChecked(false);
  EXPECT_TRUE(changes.empty());
  led->SetChecked(true);
  led->SetChecked(true);
  EXPECT_EQ(changes.size(), 1u);
}

TEST_F(LedTest, RadioSiblingsUncheckEachOtherButNotCheckBoxes) {
  TLed* r1 = MakeLed("One", csRadioButton);
  TLed* r2 = MakeLed("Two", csRadioButton);
  led->SetChecked(true);
  r1->SetChecked(true);
  changes.clear();
  r2->SetChecked(true);
  EXPECT_FALSE(r1->Checked());
  EXPECT_TRUE(r2->Checked());
  EXPECT_TRUE(led->Checked());
  ASSERT_EQ(changes.size(), 2u);
  EXPECT_EQ(changes[0], r1);
  EXPECT_EQ(changes[1], r2);
  // A check box being checked leaves the radios alone.
  led->SetChecked(false);
  led->SetChecked(true);
  EXPECT_TRUE(r2->Checked());
}

TEST_F(LedTest, HoverDithersOnlyAnUncheckedLed) {
  const TPoint c = LedCentre(led);
  led->MouseMove(0, c.X, c.Y);
  EXPECT_TRUE(led->Hover());
  led->PaintNow();
  EXPECT_EQ(led->PaintedLedStyle(), 1);
  EXPECT_NE(led->PixelAt(c.X, c.Y), led->PixelAt(c.X + 1, c.Y));
  led->SetChecked(true);
  led->PaintNow();
  EXPECT_EQ(led->PaintedLedStyle(), 2);
  led->Perform(CM_MOUSELEAVE);
  EXPECT_FALSE(led->Hover());
}

TEST_F(LedTest, LayoutPlacesTheLed) {
  TLed* empty = MakeLed("", csCheckbox);
  EXPECT_EQ(empty->LedRect().Left, (125 - 20 + 1) / 2 + 1);
  EXPECT_EQ(empty->LedRect().Top, (25 - 13 + 1) / 2 + 1);
  led->SetMargin(0);
  EXPECT_EQ(led->LedRect().Left, 1);
  EXPECT_EQ(led->CaptionRect().Left, 1 + 20 + 5);
  led->SetLayout(ImageRight);
  EXPECT_EQ(led->LedRect().Right, 125 + 1);
  EXPECT_LT(led->CaptionRect().Right, led->LedRect().Left);
}

TEST_F(LedTest, AcceleratorTogglesWhenFocusable) {
  led->SetCaption("&Auto");
  form->Show();
  led->Perform(CM_DIALOGCHAR, 'a');
  EXPECT_TRUE(led->Checked());
  form->Hide();
}

// ---- rotated label

namespace {

class LabelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form = MakeForm();
    l = new TLabel_(form.get());
    l->SetParent(form.get());
    l->SetCaption("Register");
  }
  std::unique_ptr<TForm> form;
  TLabel_* l = nullptr;
};

}  // namespace

TEST_F(LabelTest, Defaults) {
  EXPECT_EQ(l->Width(), 100);
  EXPECT_EQ(l->Height(), 25);
  EXPECT_EQ(l->Font()->Name(), "Arial");
  EXPECT_EQ(l->Font()->Size(), 14);
  EXPECT_EQ(l->Style(), lsRaised);
  EXPECT_EQ(l->ShadowDepth(), 2);
  EXPECT_EQ(l->Alignment(), taCenter);
  EXPECT_EQ(l->Layout(), tlCenter);
  EXPECT_FALSE(l->Transparent());
}

TEST_F(LabelTest, QuarterTurnAutoSizeSwapsTheExtents) {
  l->SetAutoSize(true);
  l->SetAngle(90);
  const TSize t = l->TextSize();
  ASSERT_GT(t.cx, t.cy);
  EXPECT_EQ(l->Width(), t.cy + 4);
  EXPECT_EQ(l->Height(), t.cx + 4);
  l->SetAngle(0);
  EXPECT_EQ(l->Width(), t.cx + 4);
  EXPECT_EQ(l->Height(), t.cy + 4);
}

TEST_F(LabelTest, AutoSizeRespectsAlign) {
  int w = 7, h = 9;
  l->SetAlign(alTop);
  l->CanAutoSize(w, h);
  EXPECT_EQ(w, 7);
  EXPECT_NE(h, 9);
  l->SetAlign(alClient);
  w = 7;
  h = 9;
  l->CanAutoSize(w, h);
  EXPECT_EQ(w, 7);
  EXPECT_EQ(h, 9);
}

TEST_F(LabelTest, OriginsAtTheCornersAndRotations) {
  l->SetAlignment(taLeftJustify);
  l->SetLayout(tlTop);
  EXPECT_EQ(l->TextOrigin(100, 25, 40, 12), Point(2, 2));
  l->SetLayout(tlBottom);
  EXPECT_EQ(l->TextOrigin(100, 25, 40, 12), Point(2, 25 - 14));
  l->SetAlignment(taRightJustify);
  EXPECT_EQ(l->TextOrigin(100, 25, 40, 12).X, 100 - 42);
  // Upside down: the text runs left and up from its origin.
  l->SetAngle(180);
  l->SetAlignment(taLeftJustify);
  l->SetLayout(tlTop);
  EXPECT_EQ(l->TextOrigin(100, 25, 40, 12), Point(2 + 40, 2 + 12));
  // A quarter turn: the text rises from its origin.
  l->SetAngle(90);
  EXPECT_EQ(l->TextOrigin(30, 100, 40, 12), Point(2, 2 + 40));
}

TEST_F(LabelTest, CentredTextWiderThanTheControlStartsAtTheLeftOrigin) {
  EXPECT_EQ(l->TextOrigin(100, 25, 40, 12).X, 30);
  EXPECT_EQ(l->TextOrigin(100, 25, 300, 12).X, 2);
}

TEST_F(LabelTest, AngleIsKeptInDegreesAndRadians) {
  l->SetAngle(450);
  EXPECT_EQ(l->Angle(), 90);
  EXPECT_NEAR(l->AngleRadians(), M_PI / 2, 1e-12);
  l->SetAngle(-90);
  EXPECT_EQ(l->Angle(), 270);
}

TEST_F(LabelTest, PaintDrawsTheCaptionInTheFontColourOverItsCopies) {
  l->SetStyle(lsShadow);
  l->Font()->SetColor(clRed);
  l->SetColor(clWhite);
  l->SetBounds(0, 0, 120, 40);
  l->PaintNow();
  bool red = false, gray = false;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 120; ++x) {
      const TColor c = l->PixelAt(x, y);
      red |= c == clRed;
      gray |= c == clGray;
    }
  EXPECT_TRUE(red);
  EXPECT_TRUE(gray);
}

// ---- hyperlink and web label

TEST(HyperLink, HoverSwapsFontAndBackgroundAndFiresEvents) {
  auto form = MakeForm();
  auto* h = new TLink(form.get());
  h->SetParent(form.get());
  h->SetCaption("Link");
  std::string events;
  h->OnMouseEnter = [&](TObject*) { events += h->Hovered() ? "E" : "e"; };
  h->OnMouseLeave = [&](TObject*) { events += h->Hovered() ? "l" : "L"; };
  h->PaintNow();
  EXPECT_EQ(h->PaintedFont(), h->FontLeave());
  EXPECT_EQ(h->PaintedColor(), clBlack);
  h->Perform(CM_MOUSEENTER);
  h->PaintNow();
  EXPECT_EQ(h->PaintedFont(), h->FontEnter());
  EXPECT_EQ(h->PaintedColor(), clBlue);
  EXPECT_EQ(h->PixelAt(1, 1), clBlue);
  h->Perform(CM_MOUSELEAVE);
  EXPECT_EQ(events, "EL");
}

TEST(HyperLink, DisabledKeepsTheLeaveLookWhileHovered) {
  auto form = MakeForm();
  auto* h = new TLink(form.get());
  h->SetParent(form.get());
  h->SetEnabled(false);
  h->Perform(CM_MOUSEENTER);
  h->PaintNow();
  EXPECT_EQ(h->PaintedFont(), h->FontLeave());
  EXPECT_EQ(h->PaintedColor(), h->ColorLeave());
}

TEST(HyperLink, Defaults) {
  auto form = MakeForm();
  auto* h = new TInstHyperLink(form.get());
  EXPECT_EQ(h->Width(), 135);
  EXPECT_EQ(h->FontEnter()->Color(), clLime);
  EXPECT_EQ(h->FontLeave()->Color(), clGreen);
  EXPECT_EQ(h->FontLeave()->Style(), TFontStyles(fsBold | fsUnderline));
  EXPECT_TRUE(h->WordWrap());
  EXPECT_TRUE(h->TextOutline()->Visible());
  EXPECT_EQ(h->TextOutline()->Color(), clNavy);
}

namespace {

class WebLabelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form = MakeForm();
    w = new TInstWebLabel(form.get());
    w->SetParent(form.get());
    w->SetURL("http://www.example.com/orders");
    w->OnError = [this](TObject*) { ++errors; };
    w->OnMouseUp = [this](TObject*, TMouseButton, TShiftState, int, int) { ++mouseUps; };
    SetShellOpenHandler([this](const std::string& verb, const std::string& file) {
      opened.push_back(verb + " " + file);
      return succeed;
    });
  }
  void TearDown() override { SetShellOpenHandler(nullptr); }
  void Click(TMouseButton b = mbLeft) {
    w->MouseDown(b, ssLeft, 5, 5);
    w->MouseUp(b, 0, 5, 5);
  }
  std::unique_ptr<TForm> form;
  TInstWebLabel* w = nullptr;
  std::vector<std::string> opened;
  bool succeed = true;
  int errors = 0, mouseUps = 0;
};

}  // namespace

TEST_F(WebLabelTest, LeftClickWhileHoveredOpensTheUrl) {
  EXPECT_EQ(w->Cursor(), crInstHandPoint);
  w->Perform(CM_MOUSEENTER);
  Click();
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0], "open http://www.example.com/orders");
  EXPECT_EQ(errors, 0);
  EXPECT_EQ(mouseUps, 0);
}

TEST_F(WebLabelTest, AnAddressWithoutSchemeOpensAsAWebPage) {
  w->Perform(CM_MOUSEENTER);
  w->SetURL("www.example.com/orders");
  Click();
  w->SetURL("WWW.Example.com");
  Click();
  w->SetURL("wwwroot/index.html");  // a file name that merely starts like one
  Click();
  EXPECT_EQ(opened, (std::vector<std::string>{"open http://www.example.com/orders", "open http://WWW.Example.com",
                                              "open wwwroot/index.html"}));
}

TEST_F(WebLabelTest, FailureFiresOnErrorOncePerClick) {
  succeed = false;
  w->Perform(CM_MOUSEENTER);
  Click();
  EXPECT_EQ(errors, 1);
  Click();
  EXPECT_EQ(errors, 2);
}

TEST_F(WebLabelTest, NothingOpensWithoutHoverOrWithAnotherButton) {
  Click();
  w->Perform(CM_MOUSEENTER);
  Click(mbRight);
  EXPECT_TRUE(opened.empty());
  EXPECT_EQ(errors, 0);
}

TEST(HandCursor, IsACursorFileWithItsHotSpotOnTheFingerTip) {
  const std::string c = InstHandCursorBytes();
  ASSERT_GT(c.size(), 22u + 40u);
  EXPECT_EQ(c.substr(0, 6), std::string("\x00\x00\x02\x00\x01\x00", 6));
  EXPECT_EQ(static_cast<unsigned char>(c[6]), 32);
  EXPECT_EQ(static_cast<unsigned char>(c[10]), 5);  // hot spot x
  EXPECT_EQ(static_cast<unsigned char>(c[12]), 0);  // hot spot y
  EXPECT_EQ(c.size(), 22u + 40u + 32u * 32u * 4u + 32u * 4u);
  InstInstallHandCursor();
  EXPECT_NE(Screen->Cursors(crInstHandPoint), nullptr);

  QImage img;
  ASSERT_TRUE(img.loadFromData(reinterpret_cast<const uchar*>(c.data()), static_cast<int>(c.size())));
  EXPECT_EQ(img.size(), QSize(32, 32));
  EXPECT_EQ(qAlpha(img.pixel(0, 0)), 0);       // around the hand: see-through
  EXPECT_EQ(img.pixel(5, 0) & 0xFFFFFFu, 0u);  // finger tip outline: black
  EXPECT_EQ(qAlpha(img.pixel(5, 0)), 255);
  EXPECT_EQ(img.pixel(6, 3) & 0xFFFFFFu, 0xFFFFFFu);  // inside the finger: white
}
