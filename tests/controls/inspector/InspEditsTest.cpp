// The editor controls by themselves: the flat list's button width, the colour
// list's table, the spin edit's values, characters and steps.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <memory>

#include "controls/inspector/InspEdits.h"
#include "platform/gui/FormImage.h"
#include "platform/gui/Forms.h"
#include "platform/gui/RecordingCanvas.h"
#include "platform/gui/Timer.h"
#include "platform/gui/WinWindow.h"
#include "platform/gui/Windows.h"
#include "platform/gui/testing/GuiTest.h"
#include "platform/gui/testing/InputEvents.h"

namespace {

class InspEdits : public TGuiTest {
 protected:
  void SetUp() override { saved = FormatSettings; }
  void TearDown() override {
    FormatSettings = saved;
    TGuiTest::TearDown();
  }
  // Types one character as a key press would reach the control.
  template <class T>
  static void TypeChar(T& e, char c) {
    TMessage m;
    m.Msg = WM_CHAR;
    m.WParam = static_cast<unsigned char>(c);
    e.WindowProc(m);
  }
  TFormatSettings saved;
};

TEST_F(InspEdits, ListButtonWidthTakesOnly14To32) {
  TInspComboBox c(nullptr);
  const int w = c.ButtonWidth();
  c.SetButtonWidth(13);
  EXPECT_EQ(c.ButtonWidth(), w);
  c.SetButtonWidth(33);
  EXPECT_EQ(c.ButtonWidth(), w);
  c.SetButtonWidth(14);
  EXPECT_EQ(c.ButtonWidth(), 14);
  c.SetButtonWidth(32);
  EXPECT_EQ(c.ButtonWidth(), 32);
  EXPECT_TRUE(c.Flat());
}

TEST_F(InspEdits, ColourListStandsForItsTableWhateverTheTexts) {
  TInspColorComboBox c(nullptr);
  for (int i = 1; i <= 41; ++i) c.Items()->Add(std::to_string(i));
  c.SetColorValue(clTeal);
  EXPECT_EQ(c.ItemIndex(), 6);
  EXPECT_EQ(c.ColorValue(), clTeal);
  c.SetColorValue(clInfoBk);
  EXPECT_EQ(c.ItemIndex(), 39);
  EXPECT_EQ(TInspColorComboBox::EntryName(39), "Infobk");
  EXPECT_EQ(TInspColorComboBox::EntryName(16), "Background");
  // Any other colour is the custom entry.
  c.SetColorValue(RGB(10, 20, 30));
  EXPECT_EQ(c.ItemIndex(), TInspColorComboBox::CustomIndex);
  EXPECT_EQ(c.CustomColor(), RGB(10, 20, 30));
  EXPECT_EQ(c.ColorValue(), RGB(10, 20, 30));
  EXPECT_EQ(TInspColorComboBox::EntryName(40), "Custom Color ...");
  EXPECT_EQ(TInspColorComboBox::EntryName(41), "???");
  EXPECT_EQ(c.EntryColor(41), clWhite);
  c.SetItemIndex(-1);
  EXPECT_EQ(c.ColorValue(), TColor(0));
}

TEST_F(InspEdits, ColourEntryPaintsSwatchAndName) {
  TInspColorComboBox c(nullptr);
  TRecordingCanvas canvas;
  c.DrawEntry(&canvas, 9, TRect(0, 0, 100, 16), false);
  bool swatch = false, name = false;
  for (const TCanvasOp& op : canvas.Ops()) {
    if (op.Kind == okRectangle && op.R == TRect(1, 1, 20, 15) && op.BrushColor == clRed) swatch = true;
    if (op.Kind == okText && op.Text == "Red" && op.R.Left >= 22) name = true;
  }
  EXPECT_TRUE(swatch);
  EXPECT_TRUE(name);
}

TEST_F(InspEdits, SpinValueReadsMinOnBadTextAndWritesWithinItsRange) {
  TInspSpinEdit s(nullptr);
  s.SetMinValue(10);
  s.SetMaxValue(20);
  s.SetText("abc");
  EXPECT_EQ(s.Value(), 10);
  s.SetValue(25);
  EXPECT_EQ(s.Text(), "20");
  s.SetValue(3);
  EXPECT_EQ(s.Text(), "10");
  s.SetMinValue(0);
  s.SetMaxValue(0);
  s.SetValue(-12345);
  EXPECT_EQ(s.Text(), "-12345");
}

TEST_F(InspEdits, SpinFloatTakesTheThousandsSeparatorAsDecimalAndKeepsItsPrecision) {
  FormatSettings.DecimalSeparator = '.';
  FormatSettings.ThousandSeparator = ',';
  TInspSpinEdit s(nullptr);
  s.SetSpinType(sptFloat);
  s.SetPrecision(2);
  s.SetText("12");
  s.SetSelStart(2);
  TypeChar(s, ',');
  EXPECT_EQ(s.Text(), "12.");
  TypeChar(s, '.');  // a second separator is refused
  EXPECT_EQ(s.Text(), "12.");
  TypeChar(s, '5');
  TypeChar(s, '0');
  const int beeps = BeepCount();
  TypeChar(s, '7');  // a third decimal
  EXPECT_EQ(s.Text(), "12.50");
  EXPECT_EQ(BeepCount(), beeps + 1);
  s.SetFloatValue(3.14159);
  EXPECT_EQ(s.Text(), "3.14");
}

TEST_F(InspEdits, SpinTimeStepsThePartUnderTheCaretAndWrapsThroughMidnight) {
  FormatSettings.TimeSeparator = ':';
  FormatSettings.LongTimeFormat = "hh:nn:ss";
  TInspSpinEdit s(nullptr);
  s.SetSpinType(sptTime);
  s.SetTimeValue(0);
  EXPECT_EQ(s.Text(), "00:00:00");
  s.SetSelStart(7);  // seconds
  s.DownClick(&s);
  EXPECT_EQ(s.Text(), "23:59:59");
  s.SetSelStart(4);  // minutes
  s.UpClick(&s);
  EXPECT_EQ(s.Text(), "00:00:59");
  s.SetSelStart(0);  // hours
  s.DownClick(&s);
  EXPECT_EQ(s.Text(), "23:00:59");
  // A third time separator cannot be typed.
  s.SetText("1:2:");
  s.SetSelStart(4);
  TypeChar(s, ':');
  EXPECT_EQ(s.Text(), "1:2:");
}

// Writing TimeValue limits it by the date limits, as a date is limited; leaving the edit (a real
// focus change) limits typed text the same way and leaves a written value as it was shown.
TEST_F(InspEdits, SpinTimeIsLimitedByTheDateLimitsWhenWrittenAndWhenLeft) {
  FormatSettings.TimeSeparator = ':';
  FormatSettings.LongTimeFormat = "hh:nn:ss";
  const struct {
    const char* name;
    TDateTime min, max;
    TDateTime write;     // < 0: the text below is typed instead
    const char* typed;
    const char* shown;   // after the write or the typing
    const char* left;    // after the focus went elsewhere
  } cases[] = {
      {"noon under days 45000..46000", 45000, 46000, 0.5, "", "00:00:00", "00:00:00"},
      {"21:36 over 06:00..18:00", 0.25, 0.75, 0.9, "", "18:00:00", "18:00:00"},
      {"05:00 under 06:00..18:00", 0.25, 0.75, 5 / 24.0, "", "06:00:00", "06:00:00"},
      {"inside 06:00..18:00", 0.25, 0.75, 0.5, "", "12:00:00", "12:00:00"},
      {"no limits", 0, 0, 0.9, "", "21:36:00", "21:36:00"},
      {"21:36 typed", 0.25, 0.75, -1, "21:36:00", "21:36:00", "18:00:00"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TForm form(nullptr);
    form.SetBounds(0, 0, 200, 80);
    auto* s = new TInspSpinEdit(&form);
    s->SetParent(&form);
    s->SetBounds(10, 10, 80, 22);
    s->SetSpinType(sptTime);
    s->SetMinDateValue(c.min);
    s->SetMaxDateValue(c.max);
    auto* other = new TInspSpinEdit(&form);
    other->SetParent(&form);
    other->SetBounds(100, 10, 80, 22);
    form.Show();
    QApplication::processEvents();
    s->SetFocus();
    QApplication::processEvents();
    ASSERT_TRUE(s->Focused());
    if (c.write >= 0) s->SetTimeValue(c.write);
    else s->SetText(c.typed);
    EXPECT_EQ(s->Text(), c.shown);
    other->SetFocus();
    QApplication::processEvents();
    ASSERT_FALSE(s->Focused());
    EXPECT_EQ(s->Text(), c.left);
  }
}

TEST_F(InspEdits, SpinDateStepsDayMonthOrYearByTheCaret) {
  FormatSettings.DateSeparator = '/';
  FormatSettings.ShortDateFormat = "d/m/yyyy";
  TInspSpinEdit s(nullptr);
  s.SetSpinType(sptDate);
  s.SetDateValue(EncodeDate(2024, 1, 31));
  EXPECT_EQ(s.Text(), "31/1/2024");
  s.SetSelStart(0);
  s.UpClick(&s);
  EXPECT_DOUBLE_EQ(s.DateValue(), EncodeDate(2024, 2, 1));
  s.SetSelStart(2);  // month, calendar step: the 1st of March
  s.UpClick(&s);
  EXPECT_DOUBLE_EQ(s.DateValue(), EncodeDate(2024, 3, 1));
  s.SetSelStart(static_cast<int>(s.Text().size()));
  s.DownClick(&s);
  EXPECT_DOUBLE_EQ(s.DateValue(), EncodeDate(2023, 3, 1));
}

// A spin edit as a window layout leaves it after loading.
struct TLoadedSpin : TInspSpinEdit {
  using TInspSpinEdit::TInspSpinEdit;
  using TInspSpinEdit::Loaded;
};

TEST_F(InspEdits, SpinDateOrTimeFromALayoutShowsInThisSystemsForm) {
  FormatSettings.DateSeparator = '/';
  FormatSettings.ShortDateFormat = "dd/mm/yyyy";
  FormatSettings.TimeSeparator = ':';
  FormatSettings.LongTimeFormat = "hh:nn:ss";
  TLoadedSpin d(nullptr);
  d.SetSpinType(sptDate);
  d.SetText("7/12/2026");
  d.Loaded();
  EXPECT_EQ(d.Text(), "07/12/2026");
  TLoadedSpin t(nullptr);
  t.SetSpinType(sptTime);
  t.SetText("9:5:3");
  t.Loaded();
  EXPECT_EQ(t.Text(), "09:05:03");
  TLoadedSpin n(nullptr);  // numbers are left as they are
  n.SetText("007");
  n.Loaded();
  EXPECT_EQ(n.Text(), "007");
}

TEST_F(InspEdits, SpinNeverGetsLowerThanItsFontNeeds) {
  TInspSpinEdit s(nullptr);
  s.SetBorderStyle(bsNone);
  s.SetBounds(0, 0, 80, 4);
  const int least = s.MinHeight();
  EXPECT_EQ(s.Height(), least);
  EXPECT_GT(least, 4);
  s.SetBounds(0, 0, 80, least + 6);
  EXPECT_EQ(s.Height(), least + 6) << "a height above the least is kept";
  // A single border needs four border widths more; a larger font more again.
  s.SetBorderStyle(bsSingle);
  EXPECT_EQ(s.MinHeight(), least + 4 * GetSystemMetrics(SM_CYBORDER));
  s.SetBorderStyle(bsNone);
  s.Font()->SetSize(s.Font()->Size() * 3);
  EXPECT_GT(s.MinHeight(), least + 8);
  s.SetBounds(0, 0, 80, least);
  EXPECT_EQ(s.Height(), s.MinHeight());
}

TEST_F(InspEdits, SpinThatCannotBeTypedIntoIsSelectedWhenClickedInto) {
  TForm form(nullptr);
  form.SetBounds(0, 0, 200, 80);
  auto* s = new TInspSpinEdit(&form);
  s->SetParent(&form);
  s->SetBounds(10, 10, 80, 22);
  s->SetValue(42);
  auto* other = new TInspSpinEdit(&form);
  other->SetParent(&form);
  other->SetBounds(100, 10, 80, 22);
  form.Show();
  QApplication::processEvents();
  other->SetFocus();
  // A real click, as the window system delivers it (it focuses by the click).
  auto click = [](TInspSpinEdit* e) { QTest::mouseClick(e->ClientWidget(), Qt::LeftButton, Qt::NoModifier, QPoint(4, 5)); };
  // Typeable: the click places the caret.
  click(s);
  ASSERT_TRUE(s->Focused());
  EXPECT_EQ(s->SelLength(), 0);
  other->SetFocus();
  s->SetEditorEnabled(false);
  click(s);
  ASSERT_TRUE(s->Focused());
  EXPECT_EQ(s->SelText(), "42");
}

TEST_F(InspEdits, SpinStepsFireTheirEventsAndReadOnlyOnlyBeeps) {
  TInspSpinEdit s(nullptr);
  int up = 0, down = 0, change = 0;
  s.OnSpinUp = [&](TObject*) { ++up; };
  s.OnSpinDown = [&](TObject*) { ++down; };
  s.OnSpinChange = [&](TObject*) { ++change; };
  s.SetValue(5);
  s.Button()->UpButton()->Click();
  s.Button()->DownButton()->Click();
  s.Button()->DownButton()->Click();
  EXPECT_EQ(s.Value(), 4);
  EXPECT_EQ(up, 1);
  EXPECT_EQ(down, 2);
  EXPECT_EQ(change, 3);
  for (WORD k : {WORD(VK_PRIOR), WORD(VK_NEXT)}) {
    TMessage m;
    m.Msg = WM_KEYDOWN;
    m.WParam = k;
    s.WindowProc(m);
  }
  EXPECT_EQ(change, 3) << "only Up and Down step";
  s.SetReadOnly(true);
  const int beeps = BeepCount();
  s.UpClick(&s);
  EXPECT_EQ(s.Value(), 4);
  EXPECT_EQ(BeepCount(), beeps + 1);
}

TEST_F(InspEdits, SpinWithoutEditorTakesNoTyping) {
  TInspSpinEdit s(nullptr);
  s.SetEditorEnabled(false);
  s.SetText("7");
  s.SetSelStart(1);
  TypeChar(s, '3');
  TypeChar(s, 8);
  EXPECT_EQ(s.Text(), "7");
  s.SetValue(9);
  EXPECT_EQ(s.SelText(), "9");  // written values come selected
}

TEST_F(InspEdits, SpinButtonsRepeatWhileHeld) {
  TForm form(nullptr);
  auto* s = new TInspSpinEdit(&form);
  s->SetParent(&form);
  s->SetBounds(0, 0, 80, 22);
  s->SetMaxValue(1000);
  s->SetValue(0);
  form.Show();
  TInspSpinButton* pair = s->Button();
  TTimerSpeedButton* b = pair->UpButton();
  Qt::MouseButtons held;
  SendMouseEvent(pair->Peer(), QEvent::MouseButtonPress, 5, 2, Qt::LeftButton, Qt::NoModifier, held);
  EXPECT_EQ(s->Value(), 1);
  ASSERT_NE(b->RepeatTimer(), nullptr);
  EXPECT_TRUE(b->RepeatTimer()->Enabled());
  EXPECT_EQ(b->RepeatTimer()->Interval(), 400u);
  b->RepeatTimer()->Tick();
  EXPECT_EQ(b->RepeatTimer()->Interval(), 100u);
  b->RepeatTimer()->Tick();
  EXPECT_EQ(s->Value(), 3);
  SendMouseEvent(pair->Peer(), QEvent::MouseButtonRelease, 5, 2, Qt::LeftButton, Qt::NoModifier, held);
  EXPECT_EQ(s->Value(), 3);
  EXPECT_FALSE(b->RepeatTimer()->Enabled());
}

TEST_F(InspEdits, EditWithButtonClicksOnF4AndRefusesTypingWhenDisabled) {
  TInspEditBtn e(nullptr);
  int clicks = 0;
  TObject* sender = nullptr;
  e.OnClickBtn = [&](TObject* s) { ++clicks, sender = s; };
  WORD k = VK_F4;
  TMessage m;
  m.Msg = WM_KEYDOWN;
  m.WParam = k;
  e.WindowProc(m);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(sender, &e) << "F4 clicks with the edit as sender";
  EXPECT_EQ(e.ButtonCaption(), "..");
  e.SetEditorEnabled(false);
  e.SetText("x");
  e.SetSelStart(1);
  TypeChar(e, 'y');
  EXPECT_EQ(e.Text(), "x");
  e.SetEditorEnabled(true);
  TypeChar(e, 'y');
  EXPECT_EQ(e.Text(), "xy");
}

// The dots stand at (6, 1) of the button, at (7, 2) while it is down; the edit is as low as its row.
TEST_F(InspEdits, DotsStandAtSixOneAndOneFurtherWhileDown) {
  TForm form(nullptr);
  auto* e = new TInspEditBtn(&form);
  e->SetParent(&form);
  e->SetBounds(10, 10, 120, 12);
  EXPECT_EQ(e->Height(), 12);
  e->SetBounds(10, 10, 120, 24);
  form.Show();
  TExtSpeedButton* b = e->EmbeddedButton()->Button();
  auto corner = [](const QImage& img) {  // of the dark pixels inside the button's rings
    TPoint p(img.width(), img.height());
    for (int y = 2; y < img.height() - 2; ++y)
      for (int x = 2; x < img.width() - 2; ++x)
        if (qGray(img.pixel(x, y)) < 120) p = TPoint(std::min(p.X, x), std::min(p.Y, y));
    return p;
  };
  TBitmap want(b->Width(), b->Height());
  want.Canvas()->SetFont(b->Font());
  want.Canvas()->TextOut(6, 1, "..");
  const TPoint at = corner(want.Image());
  EXPECT_EQ(corner(RenderControlImage(e->EmbeddedButton())), at);
  b->SetGroupIndex(1);
  b->SetDown(true);
  EXPECT_EQ(corner(RenderControlImage(e->EmbeddedButton())), TPoint(at.X + 1, at.Y + 1));
  // The text starts 1 pixel in (2 without a border) and ends 4 pixels left of the button.
  const int bw = e->EmbeddedButton()->Width();
  e->SetBorderStyle(bsNone);
  EXPECT_EQ(static_cast<QLineEdit*>(e->Peer())->textMargins(), QMargins(2, 2, bw + 5, 0));
}

TEST_F(InspEdits, EditIsLeftWhenTheFocusLeavesItsButtonButNotWhenItComesBack) {
  TForm form(nullptr);
  form.SetBounds(0, 0, 220, 80);
  auto* e = new TInspEditBtn(&form);
  e->SetParent(&form);
  e->SetBounds(10, 10, 100, 22);
  e->SetEditorEnabled(false);
  auto* other = new TEdit(&form);
  other->SetParent(&form);
  other->SetBounds(120, 10, 80, 22);
  int exits = 0;
  e->OnExit = [&](TObject*) { ++exits; };
  form.Show();
  TInspEditButton* holder = e->EmbeddedButton();
  holder->SetFocus();
  other->SetFocus();
  EXPECT_EQ(exits, 1);
  // From the button into the edit is no leaving.
  holder->SetFocus();
  e->SetFocus();
  EXPECT_EQ(exits, 1);
  other->SetFocus();
  EXPECT_EQ(exits, 2);
}

TEST_F(InspEdits, DateTimePickerTakesTypedValuesAndKeepsTheOtherPart) {
  FormatSettings.DateSeparator = '/';
  FormatSettings.ShortDateFormat = "d/m/yyyy";
  TInspDateTimePicker p(nullptr);
  p.SetDateTime(EncodeDate(2026, 12, 7) + EncodeTime(9, 30, 0, 0));
  EXPECT_EQ(p.Text(), "7/12/2026");
  p.SelectAll();
  for (char c : std::string("1/2/2003")) TypeChar(p, c);
  EXPECT_NEAR(p.DateTime(), EncodeDate(2003, 2, 1) + EncodeTime(9, 30, 0, 0), 1e-9);
  for (char c : std::string("x")) TypeChar(p, c);  // no date any more: the value stays
  EXPECT_DOUBLE_EQ(p.Date(), EncodeDate(2003, 2, 1));
  p.SetTime(EncodeTime(23, 0, 0, 0));
  EXPECT_NEAR(p.DateTime(), EncodeDate(2003, 2, 1) + EncodeTime(23, 0, 0, 0), 1e-9);
}

}  // namespace
