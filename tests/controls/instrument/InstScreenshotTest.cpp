// Every instrument control in its main styles, rendered offscreen and saved
// as PNG under the build tree (test-images/instrument_*.png) to look at.
#include <gtest/gtest.h>

#include <QImage>
#include <memory>
#include <string>

#include "controls/instrument/InstButtons.h"
#include "controls/instrument/InstCheckLed.h"
#include "controls/instrument/InstEdit.h"
#include "controls/instrument/InstHyperCtrls.h"
#include "controls/instrument/InstLabel.h"
#include "controls/instrument/InstSlider.h"
#include "controls/instrument/InstSysUtils.h"
#include "platform/gui/FormImage.h"
#include "platform/gui/Forms.h"
#include "platform/gui/testing/GuiTest.h"
#include "tests/controls/instrument/InstTestSupport.h"

namespace {

QString ShotPath(const std::string& name) { return QString::fromStdString(TestImagePath("instrument_" + name)); }

QImage Grab(TForm* form) {
  form->Show();
  return RenderControlImage(form);
}

template <class T>
T* Put(TForm* form, int x, int y, int w, int h) {
  auto* c = new T(form);
  c->SetParent(form);
  c->SetBounds(x, y, w, h);
  return c;
}

// Colours present in an area of an image.
bool HasColour(const QImage& img, const QRect& area, TColor c) {
  const QRgb want = qRgb(GetRValue(c), GetGValue(c), GetBValue(c));
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x)
      if ((img.pixel(x, y) & 0xFFFFFF) == (want & 0xFFFFFF)) return true;
  return false;
}

// Bright green text pixels (anti-aliased digits rarely hit clLime exactly).
bool HasDigits(const QImage& img, const QRect& area) {
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x) {
      const QRgb p = img.pixel(x, y);
      if (qGreen(p) > 120 && qRed(p) < 90 && qBlue(p) < 90) return true;
    }
  return false;
}

}  // namespace

TEST(InstScreenshot, ButtonsEditsAndLeds) {
  auto form = MakeForm(520, 400);
  form->SetCaption("Instrument controls");
  form->SetColor(clBtnFace);

  auto* normal = Put<TInstDemoButton>(form.get(), 10, 10, 150, 25);
  normal->SetCaption("&Read All");
  auto* hover = Put<TInstDemoButton>(form.get(), 10, 45, 150, 25);
  hover->SetCaption("Hovered");
  hover->Perform(CM_MOUSEENTER);
  auto* down = Put<TInstDemoButton>(form.get(), 10, 80, 150, 25);
  down->SetCaption("Pressed");
  down->MouseDown(mbLeft, ssLeft, 5, 5);
  auto* flat = Put<TInstDemoButton>(form.get(), 10, 115, 150, 25);
  flat->SetCaption("Flat");
  flat->SetFlat(true);
  auto* disabled = Put<TInstDemoButton>(form.get(), 10, 150, 150, 25);
  disabled->SetCaption("Disabled");
  disabled->SetEnabled(false);
  auto* raised = Put<TInstDemoButton>(form.get(), 10, 185, 150, 25);
  raised->SetCaption("Raised 3D");
  raised->Font3D()->SetStyle(f3dRaised);
  auto* shadow = Put<TInstDemoButton>(form.get(), 10, 220, 150, 25);
  shadow->SetCaption("Shadow left");
  shadow->Font3D()->SetStyle(f3dShadow);
  shadow->SetTextAlignment(TInstTextAlignment::vtaLeft);
  auto* tiled = Put<TInstDemoButton>(form.get(), 10, 255, 150, 25);
  tiled->SetCaption("Tiled");
  std::unique_ptr<TBitmap> tile(CreateDitherBitmap(clSilver, clWhite));
  tiled->SetBitmap(tile.get());

  auto* e1 = Put<TInstNumEdit>(form.get(), 180, 10, 100, 24);
  e1->SetValue(100);
  auto* e2 = Put<TInstNumEdit>(form.get(), 180, 45, 100, 24);
  e2->SetAlignment(taRightJustify);
  e2->SetDecimals(2);
  e2->SetValue(3.5);
  auto* e3 = Put<TInstNumEdit>(form.get(), 180, 80, 100, 24);
  e3->SetAlignment(taCenter);
  e3->SetText("-42");

  auto* l1 = Put<TInstCheckLed>(form.get(), 300, 10, 125, 25);
  l1->SetCaption("Unchecked");
  auto* l2 = Put<TInstCheckLed>(form.get(), 300, 45, 125, 25);
  l2->SetCaption("Checked");
  l2->SetChecked(true);
  auto* l3 = Put<TInstCheckLed>(form.get(), 300, 80, 125, 25);
  l3->SetCaption("Hover");
  l3->MouseMove(0, l3->LedRect().Left + 3, l3->LedRect().Top + 3);
  auto* l4 = Put<TInstCheckLed>(form.get(), 300, 115, 125, 25);
  l4->SetCaption("Disabled");
  l4->SetEnabled(false);
  auto* l5 = Put<TInstCheckLed>(form.get(), 300, 150, 125, 25);
  l5->SetCaption("LED right");
  l5->SetLayout(ImageRight);
  l5->SetCheckStyle(csRadioButton);
  l5->SetChecked(true);
  auto* l6 = Put<TInstCheckLed>(form.get(), 300, 185, 125, 45);
  l6->SetCaption("LED above");
  l6->SetLayout(ImageTop);

  const QImage shot = Grab(form.get());
  ASSERT_FALSE(shot.isNull());
  EXPECT_TRUE(shot.save(ShotPath("buttons_edits_leds.png")));
  // The checked LED is lit and the unchecked one is not.
  const TRect lit = l2->LedRect();
  EXPECT_TRUE(
      HasColour(shot, QRect(300 + lit.Left, 45 + lit.Top, lit.Right - lit.Left, lit.Bottom - lit.Top), clLime));
  const TRect dark = l1->LedRect();
  EXPECT_FALSE(
      HasColour(shot, QRect(300 + dark.Left, 10 + dark.Top, dark.Right - dark.Left, dark.Bottom - dark.Top), clLime));
  // Edits show lime on black.
  EXPECT_TRUE(HasColour(shot, QRect(182, 12, 90, 18), clBlack));
  // The right-justified edit keeps its digits on the right, the centred one in the middle.
  EXPECT_TRUE(HasDigits(shot, QRect(240, 47, 38, 20)));
  EXPECT_FALSE(HasDigits(shot, QRect(182, 47, 40, 20)));
  EXPECT_TRUE(HasDigits(shot, QRect(215, 82, 30, 20)));
  EXPECT_FALSE(HasDigits(shot, QRect(182, 82, 25, 20)));
  down->MouseUp(mbLeft, 0, 200, 200);
  form->Hide();
}

TEST(InstScreenshot, SlidersLabelsAndLinks) {
  auto form = MakeForm(560, 420);
  form->SetCaption("Instrument controls 2");
  form->SetColor(clBtnFace);

  // The register window's slider: 0..255, lowered inner and raised outer bevel.
  auto* reg = Put<TInstSlider>(form.get(), 10, 10, 36, 171);
  reg->SetMaxValue(255);
  reg->SetKeyIncrement(1);
  reg->SetPosition(128);
  auto* top = Put<TInstSlider>(form.get(), 60, 10, 36, 171);
  top->SetStyle(ssTopRight);
  top->SetPosition(30);
  top->SetTickWidth(2);
  top->SetSpacing(2);
  auto* dither = Put<TInstSlider>(form.get(), 110, 10, 36, 171);
  dither->SetSolidFill(false);
  dither->SetPosition(70);
  dither->Palette()->SetLow(clMaroon);
  dither->Palette()->SetHigh(clRed);
  auto* horiz = Put<TInstSlider>(form.get(), 10, 200, 36, 171);
  horiz->SetOrientation(voHorizontal);
  horiz->SetPosition(60);
  auto* horizTR = Put<TInstSlider>(form.get(), 10, 250, 36, 171);
  horizTR->SetOrientation(voHorizontal);
  horizTR->SetStyle(ssTopRight);
  horizTR->SetPosition(25);

  auto* raised = Put<TInstLabel>(form.get(), 200, 10, 160, 30);
  raised->SetCaption("Raised");
  auto* lowered = Put<TInstLabel>(form.get(), 200, 45, 160, 30);
  lowered->SetCaption("Lowered");
  lowered->SetStyle(lsLowered);
  auto* shadowed = Put<TInstLabel>(form.get(), 200, 80, 160, 30);
  shadowed->SetCaption("Shadow");
  shadowed->SetStyle(lsShadow);
  auto* plain = Put<TInstLabel>(form.get(), 200, 115, 160, 30);
  plain->SetCaption("None, left");
  plain->SetStyle(lsNone);
  plain->SetAlignment(taLeftJustify);
  auto* vertical = Put<TInstLabel>(form.get(), 370, 10, 30, 171);
  vertical->SetCaption("Register 0x1F");
  vertical->SetAngle(90);
  auto* slanted = Put<TInstLabel>(form.get(), 410, 10, 140, 140);
  slanted->SetCaption("Slanted 45");
  slanted->SetAngle(45);
  auto* filled = Put<TInstLabel>(form.get(), 200, 150, 160, 40);
  filled->SetCaption("BITMAP");
  filled->Font()->SetStyle(fsBold);
  filled->Font()->SetSize(22);
  TBitmap stripes;
  stripes.SetSize(8, 8);
  stripes.Canvas()->Brush()->SetColor(clBlue);
  stripes.Canvas()->FillRect(Rect(0, 0, 8, 8));
  stripes.Canvas()->Brush()->SetColor(clYellow);
  stripes.Canvas()->FillRect(Rect(0, 0, 8, 4));
  filled->SetBitmap(&stripes);

  auto* link = Put<TInstHyperLink>(form.get(), 200, 210, 150, 30);
  link->SetCaption("Hyperlink");
  auto* linkHot = Put<TInstHyperLink>(form.get(), 200, 245, 150, 30);
  linkHot->SetCaption("Hovered link");
  linkHot->Perform(CM_MOUSEENTER);
  auto* web = Put<TInstWebLabel>(form.get(), 200, 285, 200, 22);
  web->SetCaption("www.example.com");
  web->FontLeave()->SetColor(clBlue);
  web->FontLeave()->SetStyle(fsUnderline);
  web->FontLeave()->SetSize(9);
  web->SetColorLeave(clBtnFace);
  web->TextOutline()->SetVisible(false);
  web->SetAlignment(taLeftJustify);

  // A transparent label over stripes the form paints itself.
  form->OnPaint = [f = form.get()](TObject*) {
    f->Canvas()->Brush()->SetColor(clYellow);
    for (int x = 370; x < 550; x += 20) f->Canvas()->FillRect(Rect(x, 200, x + 10, 240));
  };
  auto* seeThrough = Put<TInstLabel>(form.get(), 370, 200, 180, 40);
  seeThrough->SetCaption("Transparent");
  seeThrough->SetTransparent(true);
  seeThrough->SetStyle(lsNone);

  const QImage shot = Grab(form.get());
  ASSERT_FALSE(shot.isNull());
  EXPECT_TRUE(shot.save(ShotPath("sliders_labels_links.png")));
  // The stripes show through the transparent label.
  EXPECT_TRUE(HasColour(shot, QRect(371, 201, 5, 5), clYellow));
  EXPECT_TRUE(HasColour(shot, QRect(531, 232, 5, 5), clYellow));
  // Lit ticks below the register slider's thumb, unlit ones above.
  EXPECT_TRUE(HasColour(shot, QRect(20, 150, 16, 20), clLime));
  EXPECT_FALSE(HasColour(shot, QRect(20, 20, 16, 20), clLime));
  EXPECT_TRUE(HasColour(shot, QRect(20, 20, 16, 20), clGreen));
  form->Hide();
}
