// The EEPROM device setup bar as its window shows it, rendered offscreen and
// saved as test-images/inspector_setup.png to look at.
#include <gtest/gtest.h>

#include <QImage>
#include <memory>

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

TEST(InspScreenshot, DeviceSetupBar) {
  auto form = std::make_unique<TForm>(nullptr);
  form->SetBounds(0, 0, 260, 220);
  form->SetCaption("Device setup");
  auto* bar = new TInspectorBar(form.get());
  bar->SetParent(form.get());
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
  TBitmap tex;
  PaintTexture(tex);
  p->SetTexture(&tex);
  p->Font()->SetColor(clBlack);
  p->CaptionFont()->SetColor(clBlack);
  bar->SetAutoAdvance(true);
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

}  // namespace
