// The EEPROM device setup bar as its window shows it, rendered offscreen and
// saved as test-images/inspector_setup.png to look at.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "controls/inspector/InspEditors.h"
#include "controls/inspector/InspectorBar.h"
#include "platform/gui/FormImage.h"
#include "platform/gui/Forms.h"
#include "platform/gui/testing/GuiTest.h"
#include "tests/controls/inspector/InspSetupPanel.h"

namespace {

// Our own texture: a warm paper tone with a faint diagonal weave.
void PaintTexture(TBitmap& t) {
  t.SetSize(16, 16);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) {
      const int d = ((x + y) % 8 == 0) ? 14 : ((x - y + 16) % 8 == 0) ? 8 : 0;
      t.Canvas()->SetPixels(x, y, RGB(236 - d, 230 - d, 214 - d));
    }
}

int Brightness(QRgb p) { return (qRed(p) + qGreen(p) + qBlue(p)) / 3; }

// The setup bar as an EEPROM window dresses it.
TInspectorBar* SetupBar(TForm* form, TBitmap& tex) {
  auto* bar = new TInspectorBar(form);
  bar->SetParent(form);
  bar->SetWidth(200);
  TInspectorCaption* cap = bar->PanelCaption();
  cap->SetColor(RGB(120, 130, 150));
  TFont f;
  f.SetName("Tahoma");
  f.SetHeight(-13);
  f.SetStyle(fsBold);
  f.SetColor(clWhite);
  cap->SetFont(&f);
  cap->SetActiveFont(&f);
  TInspectorPanel* p = AddSetupPanel(bar);
  PaintTexture(tex);
  p->SetTexture(&tex);
  p->Font()->SetColor(clBlack);
  p->CaptionFont()->SetColor(clBlack);
  bar->SetAutoAdvance(true);
  return bar;
}

void Click(TWinControl* c, int x, int y) {
  QWidget* w = c->ClientWidget();
  for (auto type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
    QMouseEvent e(type, QPointF(x, y), w->mapToGlobal(QPointF(x, y)), Qt::LeftButton,
                  type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &e);
  }
  QApplication::processEvents();
}

TEST(InspScreenshot, DeviceSetupBar) {
  auto form = std::make_unique<TForm>(nullptr);
  form->SetBounds(0, 0, 260, 220);
  form->SetCaption("Device setup");
  TBitmap tex;
  TInspectorBar* bar = SetupBar(form.get(), tex);
  form->Show();
  const QImage img = RenderControlImage(form.get());
  ASSERT_TRUE(SaveControlImage(form.get(), TestImagePath("inspector_setup.png")));

  // Find the bar's caption by its metal: grey pixels of several intensities in the top rows.
  QImage barImg = RenderControlImage(bar);
  ASSERT_EQ(barImg.width(), 200);
  int minB = 255, maxB = 0;
  for (int x = 0; x < 200; x += 3) {
    const int b = Brightness(barImg.pixel(x, 10));
    minB = std::min(minB, b);
    maxB = std::max(maxB, b);
  }
  EXPECT_GT(maxB - minB, 10);  // streaked, not flat
  // The texture shows in the read-only row's value cell and under the rows.
  const QRgb paper = barImg.pixel(150, 180);
  EXPECT_NEAR(qRed(paper), 230, 10);
  EXPECT_NEAR(qBlue(paper), 208, 10);
  // Editable rows have white boxes.
  EXPECT_EQ(barImg.pixel(170, 50) & 0xFFFFFF, 0xFFFFFFu);
  EXPECT_EQ(barImg.pixel(170, 98) & 0xFFFFFF, 0xFFFFFFu);
  EXPECT_NE(barImg.pixel(170, 30) & 0xFFFFFF, 0xFFFFFFu);
}

TEST(InspScreenshot, DeviceSetupBarWithTheAddressListOpenForEditing) {
  auto form = std::make_unique<TForm>(nullptr);
  form->SetBounds(0, 0, 260, 220);
  form->SetCaption("Device setup");
  TBitmap tex;
  TInspectorBar* bar = SetupBar(form.get(), tex);
  TInspectorItem* address = bar->Panels()->Items(0)->Items()->Items(1);
  address->Values()->SetText("A0\nA2\nA4\nA6");
  address->SetTextValue("A2");
  form->Show();
  QApplication::processEvents();
  Click(bar, 150, 20 + 24 + 12);
  ASSERT_EQ(bar->EditItem(), address);
  QApplication::processEvents();
  ASSERT_TRUE(SaveControlImage(form.get(), TestImagePath("inspector_setup_editing.png")));

  // The list lies over the row's value box, inside the row, and shows the row's text.
  QImage img = RenderControlImage(bar);
  TWinControl* e = bar->ComboControl();
  EXPECT_GE(e->Left(), 70);
  EXPECT_GE(e->Top(), 44);
  EXPECT_LE(e->Top() + e->Height(), 68);
  EXPECT_EQ(e->Text(), "A2");
  // The other rows keep their painting: the read-only row shows the texture, not a box.
  EXPECT_NE(img.pixel(170, 30) & 0xFFFFFF, 0xFFFFFFu);
  // Something other than the white box is drawn where the list shows its text.
  int dark = 0;
  for (int x = e->Left() + 2; x < e->Left() + 30; ++x)
    for (int y = e->Top() + 2; y < e->Top() + e->Height() - 2; ++y)
      if (Brightness(img.pixel(x, y)) < 100) ++dark;
  EXPECT_GT(dark, 5);
}

TEST(InspScreenshot, DeviceSetupBarWithTheWriteTimeSpinHeldUp) {
  auto form = std::make_unique<TForm>(nullptr);
  form->SetBounds(0, 0, 260, 220);
  form->SetCaption("Device setup");
  TBitmap tex;
  TInspectorBar* bar = SetupBar(form.get(), tex);
  TInspectorItem* writeTime = bar->Panels()->Items(0)->Items()->Items(3);
  form->Show();
  QApplication::processEvents();
  Click(bar, 150, 20 + 3 * 24 + 12);
  ASSERT_EQ(bar->EditItem(), writeTime);
  TInspectorSpin* spin = bar->SpinControl();
  ASSERT_TRUE(spin->Visible());
  EXPECT_EQ(spin->Text(), "10");
  // Hold the upper arrow down: one step at once, the button shown pressed.
  TInspSpinButton* pair = spin->Button();
  QWidget* w = pair->Peer();
  const QPointF at(pair->Width() / 2, 3);
  QMouseEvent press(QEvent::MouseButtonPress, at, w->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(w, &press);
  QApplication::processEvents();
  EXPECT_EQ(spin->Text(), "11");
  EXPECT_EQ(pair->UpButton()->ThemeState(), 3);
  ASSERT_TRUE(SaveControlImage(form.get(), TestImagePath("inspector_setup_spin_pressed.png")));

  // The pair sits inside the row's edit box at its right end, the pressed upper half darker
  // than the lower one at rest.
  const QImage img = RenderControlImage(bar);
  const int x0 = spin->Left() + pair->Left(), y0 = spin->Top() + pair->Top();
  EXPECT_GE(x0, 150);
  EXPECT_LE(x0 + pair->Width(), 200);
  EXPECT_GE(y0, 20 + 3 * 24);
  EXPECT_LE(y0 + pair->Height(), 20 + 4 * 24);
  // The editor has no border: the pair fills its height but one pixel and ends one pixel inside.
  EXPECT_EQ(pair->Left() + pair->Width(), spin->Width() - 1);
  EXPECT_EQ(pair->Top(), 1);
  EXPECT_EQ(pair->Height(), spin->Height() - 1);
  QMouseEvent release(QEvent::MouseButtonRelease, at, w->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                      Qt::NoModifier);
  QCoreApplication::sendEvent(w, &release);
  EXPECT_EQ(spin->Text(), "11");
  const QImage after = RenderControlImage(bar);
  int changed = 0;
  for (int y = y0; y < y0 + pair->UpButton()->Height(); ++y)
    for (int x = x0; x < x0 + pair->Width(); ++x)
      if (img.pixel(x, y) != after.pixel(x, y)) ++changed;
  EXPECT_GT(changed, 5) << "the released button looks different from the pressed one";
  bar->StopEdit(writeTime);
  EXPECT_EQ(writeTime->IntValue(), 11);
}

// One bar per shade type, each in multi-panel mode with an open and a closed panel.
TEST(InspScreenshot, MultiPanelCaptionsOfEveryShadeType) {
  static const char* kNames[] = {"Normal",  "Noise",   "DiagShade", "HShade",  "VShade",    "HBump",     "VBump",
                                 "SoftBump", "HardBump", "LMetal",  "RMetal",  "IRadial",   "ORadial",   "HShadeInv",
                                 "VShadeInv", "XPButton", "Bitmap",  "BitmapRStretch", "BitmapLStretch"};
  constexpr int kCols = 5, kW = 150, kH = 110;
  auto form = std::make_unique<TForm>(nullptr);
  form->SetBounds(0, 0, kCols * (kW + 6) + 6, 4 * (kH + 6) + 6);
  form->SetCaption("Caption shades");
  std::vector<TInspectorBar*> bars;
  TBitmap art;  // our own caption art for the bitmap looks: a blue-to-teal band
  art.SetSize(24, 20);
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 24; ++x) art.Canvas()->SetPixels(x, y, RGB(40, 80 + 4 * y, 160 + 3 * x));
  for (int t = stNormal; t <= stBitmapLStretch; ++t) {
    auto* bar = new TInspectorBar(form.get());
    bar->SetParent(form.get());
    bar->SetAlign(alNone);
    bar->SetBounds(6 + (t % kCols) * (kW + 6), 6 + (t / kCols) * (kH + 6), kW, kH);
    bar->SetMode(imMultiPanelActive);
    TInspectorCaption* cap = bar->PanelCaption();
    cap->SetColor(RGB(90, 120, 170));
    cap->SetShadeType(static_cast<TShadeType>(t));
    cap->SetBackground(&art);
    cap->SetActiveBackground(&art);
    // The themed button look is light: its text is dark.
    const TColor ink = t == stXPButton ? clBlack : clWhite;
    cap->Font()->SetColor(ink);
    cap->ActiveFont()->SetColor(ink);
    cap->SetOpenCloseGraphic(ocgTriangle);
    cap->SetOpenClosePosition(ocpLeft);
    for (int k = 0; k < 2; ++k) {
      TInspectorPanel* p = bar->Panels()->Add();
      p->SetCaption(k == 0 ? kNames[t] : "closed");
      p->SetStyle(psProperties);
      p->SetColor(RGB(236, 233, 216));
      p->SetItemHeight(20);
      TInspectorItem* it = p->Items()->Add();
      it->SetCaption("Row");
      it->SetPropertyType(ptText);
      it->SetTextValue("value");
      p->SetMultiPanelState(k == 0 ? mpsOpen : mpsClose);
    }
    bar->UpdateLayout();
    bars.push_back(bar);
  }
  form->Show();
  QApplication::processEvents();
  ASSERT_TRUE(SaveControlImage(form.get(), TestImagePath("inspector_shades.png")));

  // Each caption shows its look: flat looks are one colour across, shaded ones vary.
  auto spread = [](const QImage& img, int y) {
    int lo = 255, hi = 0;
    for (int x = 20; x < img.width() - 4; ++x) {
      const int b = Brightness(img.pixel(x, y));
      lo = std::min(lo, b);
      hi = std::max(hi, b);
    }
    return hi - lo;
  };
  for (int t = stNormal; t <= stBitmapLStretch; ++t) {
    QImage img = RenderControlImage(bars[static_cast<size_t>(t)]);
    SCOPED_TRACE(kNames[t]);
    // The open panel's row shows under its caption, the closed panel's caption after it.
    EXPECT_EQ(bars[static_cast<size_t>(t)]->CaptionAt(5, 5), 0);
    EXPECT_EQ(bars[static_cast<size_t>(t)]->CaptionAt(5, 20 + 20 + 5), 1);
    if (t == stHShade || t == stHBump || t == stLMetal || t == stRMetal || t == stDiagShade || t == stSoftBump ||
        t == stHShadeInv || t == stIRadial || t == stORadial) {
      EXPECT_GT(spread(img, 3), 10);
    }
  }
}

}  // namespace

namespace {

// A bar of one icon-style panel in the blue look, its rows with a 32 pixel picture.
TInspectorBar* IconBar(TForm* form, int left, TPanelStyle style, int rowHeight) {
  auto* bar = new TInspectorBar(form);
  bar->SetParent(form);
  bar->SetBounds(left, 0, 200, 240);
  bar->HelpPanel()->SetVisible(false);
  TInspectorPanel* p = bar->Panels()->Add();
  p->SetCaption(style == psLargeIcon ? "Large icons" : style == psSmallIcon ? "Small icons" : "Buttons");
  p->SetStyle(style);
  p->SetItemHeight(rowHeight);
  p->SetAlignment(style == psLargeIcon ? taCenter : taLeftJustify);
  bar->SetStyle(esOffice2003Blue);
  TBitmap pic(style == psLargeIcon ? 32 : 16, style == psLargeIcon ? 32 : 16);
  pic.Canvas()->Brush()->SetColor(clTeal);
  pic.Canvas()->FillRect(TRect(4, 4, pic.Width() - 4, pic.Height() - 4));
  for (int i = 0; i < 3; ++i) {
    TInspectorItem* it = p->Items()->Add();
    it->SetCaption("Row " + std::to_string(i + 1));
    it->SetBitmap(&pic);
  }
  p->Items()->Items(2)->SetButtonDown(true);
  return bar;
}

}  // namespace

// The icon styles side by side, the first large icon under the mouse: its hover frame shows in
// the look's border colour round the picture (82..118 x 20..56 in a bar 200 wide).
TEST(InspScreenshot, IconStylesShowTheHoverFrame) {
  auto form = std::make_unique<TForm>(nullptr);
  form->SetBounds(0, 0, 620, 240);
  form->SetCaption("Icon styles");
  TInspectorBar* large = IconBar(form.get(), 0, psLargeIcon, 64);
  IconBar(form.get(), 210, psSmallIcon, 22);
  IconBar(form.get(), 420, psButtons, 32);
  form->Show();
  const QRgb border = qRgb(0x00, 0x2D, 0x96);  // 0x962D00 as BBGGRR
  for (const bool over : {false, true}) {
    SCOPED_TRACE(over ? "mouse over the picture" : "mouse away");
    Mouse_SetCursorPos(large->ClientToScreen(over ? TPoint(100, 38) : TPoint(100, 230)));
    const QImage img = RenderControlImage(large);
    EXPECT_EQ(img.pixel(82, 38) & 0xFFFFFF, over ? border & 0xFFFFFF : img.pixel(60, 38) & 0xFFFFFF)
        << "the frame's left edge, else the panel's background";
    // The down row (the third) keeps its frame wherever the mouse is.
    EXPECT_EQ(img.pixel(82, 20 + 2 * 64 + 18) & 0xFFFFFF, border & 0xFFFFFF);
    if (over) {
      EXPECT_TRUE(SaveControlImage(form.get(), TestImagePath("inspector_icon_styles.png")));
    }
  }
}
