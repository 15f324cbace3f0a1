// How the editor controls look: colour entries inside the open list, the flat list's frame,
// and the spin button pair's direction and glyphs.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QPainter>
#include <QStyleOptionViewItem>
#include <memory>

#include "controls/inspector/InspEdits.h"
#include "platform/gui/FormImage.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Messages.h"
#include "platform/gui/testing/GuiTest.h"

namespace {

QRgb Rgb(TColor c) {
  const int32_t v = ColorToRGB(c);
  return qRgb(v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF);
}
int Brightness(QRgb p) { return (qRed(p) + qGreen(p) + qBlue(p)) / 3; }

class InspEditLooks : public TGuiTest {
 protected:
  void SetUp() override {
    form = std::make_unique<TForm>(nullptr);
    form->SetBounds(0, 0, 240, 120);
  }
  void TearDown() override {
    form.reset();
    TGuiTest::TearDown();
  }
  std::unique_ptr<TForm> form;
};

// Paints entry Row of the list's open view as the view does, into a 120 x 18 picture.
QImage PaintViewEntry(QComboBox* q, int Row, bool Selected) {
  QImage img(120, 18, QImage::Format_RGB32);
  img.fill(Qt::magenta);
  QPainter p(&img);
  QStyleOptionViewItem o;
  o.rect = QRect(0, 0, 120, 18);
  o.state = QStyle::State_Enabled | (Selected ? QStyle::State_Selected : QStyle::State_None);
  q->view()->itemDelegate()->paint(&p, o, q->model()->index(Row, 0));
  return img;
}

TEST_F(InspEditLooks, ColourListEntriesInTheOpenListShowSwatchAndName) {
  auto* c = new TInspColorComboBox(form.get());
  c->SetParent(form.get());
  c->SetBounds(10, 10, 160, 21);
  for (int i = 0; i <= TInspColorComboBox::CustomIndex; ++i) c->Items()->Add("x");  // texts do not matter
  c->SetCustomColor(RGB(12, 200, 180));
  form->Show();
  auto* q = dynamic_cast<QComboBox*>(c->ClientWidget());
  ASSERT_NE(q, nullptr);

  struct Case {
    int Row;
    TColor Color;
  };
  for (const Case& k : {Case{9, clRed}, Case{12, clBlue}, Case{TInspColorComboBox::CustomIndex, RGB(12, 200, 180)}}) {
    const QImage img = PaintViewEntry(q, k.Row, false);
    EXPECT_EQ(img.pixel(10, 9), Rgb(k.Color)) << k.Row;  // inside the swatch
    EXPECT_EQ(img.pixel(0, 9), Rgb(clWindow)) << k.Row;   // the entry's ground, not the view's
    EXPECT_EQ(img.pixel(1, 9), Rgb(clBlack)) << k.Row;    // the swatch's pen
    int ink = 0;
    for (int x = 22; x < 120; ++x)
      for (int y = 2; y < 16; ++y)
        if (Brightness(img.pixel(x, y)) < 120) ++ink;
    EXPECT_GT(ink, 8) << k.Row;  // the name is written right of the swatch
  }
  // A selected entry sits on the highlight colour, still with its own swatch.
  const QImage sel = PaintViewEntry(q, 12, true);
  EXPECT_EQ(sel.pixel(0, 9), Rgb(clHighlight));
  EXPECT_EQ(sel.pixel(10, 9), Rgb(clBlue));

  // The open list, to look at.
  c->SetColorValue(clGreen);
  c->SetDroppedDown(true);
  QApplication::processEvents();
  ASSERT_TRUE(q->view()->isVisible());
  q->view()->window()->grab().save(QString::fromStdString(TestImagePath("inspector_colour_list_open.png")));
  c->SetDroppedDown(false);
}

TEST_F(InspEditLooks, FlatListDrawsItsFrameAndButtonOverThePlatformsPainting) {
  auto* c = new TInspComboBox(form.get());
  c->SetParent(form.get());
  c->SetStyle(csDropDownList);
  c->SetBounds(10, 10, 120, 22);
  c->Items()->Add("A0");
  c->SetItemIndex(0);
  c->SetBkColor(clLime);
  c->SetColor(clYellow);
  auto* other = new TEdit(form.get());
  other->SetParent(form.get());
  other->SetBounds(10, 60, 80, 22);
  form->Show();
  other->SetFocus();
  QApplication::processEvents();
  c->Perform(CM_MOUSELEAVE);  // wherever earlier tests left the pointer
  ASSERT_FALSE(c->Active());

  QImage img = RenderControlImage(c);
  ASSERT_EQ(img.width(), 120);
  // Two rings in BkColor, then one in Color.
  EXPECT_EQ(img.pixel(0, 11), Rgb(clLime));
  EXPECT_EQ(img.pixel(1, 11), Rgb(clLime));
  EXPECT_EQ(img.pixel(2, 11), Rgb(clYellow));
  EXPECT_EQ(img.pixel(60, 2), Rgb(clYellow));
  // Not active: the button area is plain button face with our arrow in the middle.
  const TRect b = c->ButtonRect();
  EXPECT_EQ(b, TRect(120 - 2 - c->ButtonWidth(), 2, 118, 20));
  EXPECT_EQ(img.pixel(b.Left + 1, b.Top + 1), Rgb(clBtnFace));
  EXPECT_EQ(img.pixel(b.Right - 1, b.Bottom - 1), Rgb(clBtnFace));
  EXPECT_LT(Brightness(img.pixel((b.Left + b.Right) / 2, (b.Top + b.Bottom) / 2)), 80);
  SaveControlImage(form.get(), TestImagePath("inspector_flat_list.png"));

  // Hovered with FocusBorder: a sunken edge replaces the outer rings, the button is raised.
  c->SetFocusBorder(true);
  c->Perform(CM_MOUSEENTER);
  ASSERT_TRUE(c->Active());
  img = RenderControlImage(c);
  EXPECT_NE(img.pixel(0, 11), Rgb(clLime));
  EXPECT_EQ(img.pixel(1, 11), Rgb(clYellow)) << "Color just inside the edge";
  EXPECT_EQ(img.pixel(60, 1), Rgb(clYellow));
  // Raised: light on the left edge, shadow on the right.
  EXPECT_GT(Brightness(img.pixel(b.Left, b.Top + 8)), Brightness(img.pixel(b.Right - 1, b.Top + 8)) + 40);
  // Etched: the edge is a groove, dark outside on the left.
  c->SetEtched(true);
  img = RenderControlImage(c);
  img.save(QString::fromStdString(TestImagePath("inspector_flat_list_hover.png")));
  EXPECT_LT(Brightness(img.pixel(b.Left, b.Top + 8)), Brightness(img.pixel(b.Left + 1, b.Top + 8)) - 40);

  // Not flat: the platform's own painting stays as it is.
  c->SetFlat(false);
  img = RenderControlImage(c);
  EXPECT_NE(img.pixel(1, 11), Rgb(clLime));
}

TEST_F(InspEditLooks, DropWidthWidensTheOpenListOnlyWhenAboveZero) {
  auto* c = new TInspComboBox(form.get());
  c->SetParent(form.get());
  c->SetBounds(10, 10, 80, 21);
  form->Show();
  auto* q = dynamic_cast<QComboBox*>(c->Peer());
  ASSERT_NE(q, nullptr);
  c->SetDropWidth(260);
  EXPECT_EQ(c->DropWidth(), 260);
  EXPECT_EQ(q->view()->minimumWidth(), 260);
  c->SetDropWidth(0);
  EXPECT_EQ(c->DropWidth(), 0);
  EXPECT_EQ(q->view()->minimumWidth(), 260) << "0 is stored but leaves the list as it was";
  // Set before the window exists, it is there when the window is made.
  TInspComboBox late(nullptr);
  late.SetDropWidth(190);
  late.SetParent(form.get());
  late.HandleNeeded();
  auto* lq = dynamic_cast<QComboBox*>(late.Peer());
  ASSERT_NE(lq, nullptr);
  EXPECT_EQ(lq->view()->minimumWidth(), 190);
  late.SetParent(nullptr);
}

TEST_F(InspEditLooks, DateTimePickerIsFlatWithItsTextInsideTheWindowColouredEdge) {
  auto* p = new TInspDateTimePicker(form.get());
  p->SetParent(form.get());
  p->SetBounds(10, 10, 120, 22);
  p->SetKind(dtkTime);
  p->SetTime(0.5);
  form->Show();
  const QImage img = RenderControlImage(p);
  img.save(QString::fromStdString(TestImagePath("inspector_time_picker.png")));
  const QRgb window = Rgb(clWindow);
  for (int y = 0; y < img.height(); ++y)
    for (int x : {0, 1, img.width() - 2, img.width() - 1}) ASSERT_EQ(img.pixel(x, y), window) << x << "," << y;
  for (int x = 0; x < img.width(); ++x)
    for (int y : {0, img.height() - 1}) ASSERT_EQ(img.pixel(x, y), window) << x << "," << y;
  int ink = 0;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 2; x < 60; ++x)
      if (img.pixel(x, y) != window) ++ink;
  EXPECT_GT(ink, 10) << "the time shows";
}

TEST_F(InspEditLooks, SpinPairTurnsWithItsDirection) {
  TInspSpinButton s(nullptr);
  s.SetBounds(0, 0, 15, 24);
  EXPECT_EQ(s.Direction(), spVertical);
  EXPECT_EQ(s.UpButton()->Top(), 0);
  EXPECT_EQ(s.UpButton()->Height(), 12);
  EXPECT_EQ(s.DownButton()->Top(), 12) << "below the up button";
  EXPECT_EQ(s.DownButton()->Height(), 11) << "the rest less one pixel";
  EXPECT_EQ(s.UpGlyph()->Width(), 5);
  EXPECT_EQ(s.UpGlyph()->Height(), 4);

  s.SetDirection(spHorizontal);
  EXPECT_EQ(s.Width(), 20);
  EXPECT_EQ(s.Height(), 24);
  // Down at the left, up right of the middle.
  EXPECT_EQ(s.DownButton()->Left(), 0);
  EXPECT_EQ(s.DownButton()->Width(), 10);
  EXPECT_EQ(s.DownButton()->Height(), 24);
  EXPECT_EQ(s.UpButton()->Left(), 11);
  EXPECT_EQ(s.UpButton()->Width(), 10);
  // The default arrows turn: up points right (tip in the last column), down left.
  TBitmap* up = s.UpGlyph();
  ASSERT_EQ(up->Width(), 4);
  ASSERT_EQ(up->Height(), 5);
  EXPECT_EQ(up->Canvas()->Pixels(3, 2), clBlack);
  EXPECT_NE(up->Canvas()->Pixels(3, 0), clBlack);
  EXPECT_EQ(up->Canvas()->Pixels(1, 0), clBlack);
  TBitmap* down = s.DownGlyph();
  EXPECT_EQ(down->Canvas()->Pixels(0, 2), clBlack);
  EXPECT_NE(down->Canvas()->Pixels(0, 0), clBlack);
  EXPECT_EQ(down->Canvas()->Pixels(2, 4), clBlack);

  s.SetDirection(spVertical);
  EXPECT_EQ(s.Width(), 15);
  EXPECT_EQ(s.UpGlyph()->Width(), 5);
  EXPECT_EQ(s.UpButton()->Width(), 15);
  EXPECT_EQ(s.UpButton()->Left(), 0);
}

TEST_F(InspEditLooks, SpinGlyphCountsAndClearingGivesTheDefaultArrowBack) {
  TInspSpinButton s(nullptr);
  TBitmap two(16, 8);  // two glyphs side by side
  s.SetUpGlyph(&two);
  EXPECT_EQ(s.UpNumGlyphs(), 2);
  EXPECT_EQ(s.DownNumGlyphs(), 1);
  s.SetDownNumGlyphs(3);
  EXPECT_EQ(s.DownNumGlyphs(), 3);
  // A custom glyph stays when the pair turns.
  s.SetDirection(spHorizontal);
  EXPECT_EQ(s.UpGlyph()->Width(), 16);
  EXPECT_EQ(s.UpNumGlyphs(), 2);
  // Clearing reloads the arrow of the current direction with one glyph.
  s.SetUpGlyph(nullptr);
  EXPECT_EQ(s.UpNumGlyphs(), 1);
  EXPECT_EQ(s.UpGlyph()->Width(), 4);
  TBitmap empty;
  s.SetDownGlyph(&empty);
  EXPECT_EQ(s.DownNumGlyphs(), 1);
  EXPECT_EQ(s.DownGlyph()->Height(), 5);
}

TEST_F(InspEditLooks, SpinEditKeepsItsPairInsideWhenTurned) {
  auto* e = new TInspSpinEdit(form.get());
  e->SetParent(form.get());
  e->SetBounds(0, 0, 100, 22);
  e->SetDirection(spHorizontal);
  EXPECT_EQ(e->Direction(), spHorizontal);
  EXPECT_EQ(e->Button()->Width(), 20);
  EXPECT_LE(e->Button()->Left() + e->Button()->Width(), 100);
  EXPECT_GE(e->Button()->Left(), 100 - 20 - 5);
}

}  // namespace
