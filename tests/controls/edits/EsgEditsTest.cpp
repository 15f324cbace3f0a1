// The shared edit controls by themselves: steps that stop at the ends of their range, the
// typing rules of the checked and loose spin edits, the unit edit's menu commands, the date
// picker's calendar, the flat combo's version.
#include <gtest/gtest.h>

#include <QApplication>

#include <algorithm>
#include <climits>
#include <string>
#include <utility>
#include <vector>

#include "controls/edits/EsgEdits.h"
#include "platform/gui/Calendar.h"
#include "platform/gui/FormImage.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Messages.h"
#include "platform/gui/Timer.h"
#include "platform/gui/testing/GuiTest.h"
#include "platform/gui/testing/InputEvents.h"

namespace {

class EsgEdits : public TGuiTest {
 protected:
  void SetUp() override { saved = FormatSettings; }
  void TearDown() override {
    FormatSettings = saved;
    TGuiTest::TearDown();
  }
  static void TypeChar(TWinControl& e, char c) {
    TMessage m;
    m.Msg = WM_CHAR;
    m.WParam = static_cast<unsigned char>(c);
    e.WindowProc(m);
  }
  // A control on the form, placed.
  template <class T>
  static T* On(TForm& f, int Left, int Top, int Width, int Height) {
    auto* c = new T(&f);
    c->SetParent(&f);
    c->SetBounds(Left, Top, Width, Height);
    return c;
  }
  TFormatSettings saved;
};

TEST_F(EsgEdits, IntegerStepsStopAtTheEndsOfTheRangeForEveryIncrement) {
  struct Case {
    int start, increment;
    bool up;
    int want;
  } cases[] = {
      {INT_MAX, 1, true, INT_MAX},          {INT_MAX - 1, 1, true, INT_MAX},
      {INT_MAX - 5, 100, true, INT_MAX},    {INT_MAX, INT_MAX, true, INT_MAX},
      {INT_MIN, 1, false, INT_MIN},         {INT_MIN + 3, 1000, false, INT_MIN},
      {INT_MIN, INT_MAX, false, INT_MIN},   {0, INT_MAX, false, -INT_MAX},
      {-1, INT_MAX, false, INT_MIN},        {5, -10, true, -5},  // a negative step turns round
      {INT_MIN + 1, -7, true, INT_MIN},
  };
  for (const Case& c : cases) {
    TEsgSpinEdit e(nullptr);
    e.SetMinValue(0);
    e.SetMaxValue(0);  // no limits
    e.SetIncrement(c.increment);
    e.SetValue(c.start);
    c.up ? e.UpClick(&e) : e.DownClick(&e);
    EXPECT_EQ(e.Value(), c.want) << c.start << (c.up ? " up " : " down ") << c.increment;
  }
}

TEST_F(EsgEdits, DateStepsStopAtThePlatformsFirstAndLastDay) {
  FormatSettings.DateSeparator = '-';
  FormatSettings.ShortDateFormat = "yyyy-mm-dd";
  struct Case {
    const char* start;
    int caret;
    bool up;
    const char* want;
  } cases[] = {
      {"9999-12-31", 9, true, "9999-12-31"},  // day
      {"9999-12-15", 6, true, "9999-12-31"},  // month
      {"9999-06-15", 1, true, "9999-12-31"},  // year
      {"0001-01-01", 9, false, "0001-01-01"},
      {"0001-05-20", 1, false, "0001-01-01"},
      {"2024-01-05", 9, true, "2024-01-06"},  // in range: the day under the caret
      {"2024-01-31", 6, true, "2024-02-29"},  // month first in this format's order
  };
  for (const Case& c : cases) {
    TEsgSpinEdit e(nullptr);
    e.SetSpinType(sptDate);
    e.SetText(c.start);
    e.SetSelStart(c.caret);
    c.up ? e.UpClick(&e) : e.DownClick(&e);
    EXPECT_EQ(e.Text(), c.want) << c.start << " caret " << c.caret;
  }
}

TEST_F(EsgEdits, TypingRulesOfCheckedAndLooseSpinEdits) {
  FormatSettings.DecimalSeparator = '.';
  FormatSettings.ThousandSeparator = ',';
  FormatSettings.DateSeparator = '-';
  FormatSettings.TimeSeparator = ':';
  FormatSettings.ShortDateFormat = "yyyy-mm-dd";
  struct Case {
    TSpinTyping typing;
    TEsgSpinType kind;
    const char* text;
    int caret;
    const char* typed;
    const char* want;
  } cases[] = {
      // Checked: "-" first and once in numbers, but a date separator in dates.
      {stChecked, sptNormal, "", 0, "-12", "-12"},
      {stChecked, sptNormal, "12", 2, "-", "12"},
      {stChecked, sptNormal, "-12", 0, "-", "-12"},
      {stChecked, sptDate, "", 0, "2024-01-05", "2024-01-05"},
      {stChecked, sptNormal, "", 0, "1.5,:+", "15"},  // integers take digits and "-"
      {stChecked, sptFloat, "", 0, "1,234.5.6", "1234.56"},
      {stChecked, sptTime, "", 0, "12:30:15:9", "12:30:159"},
      {stChecked, sptTime, "12", 2, "-", "12"},  // "-" only first in times too
      {stChecked, sptFloat, "", 0, "12:3-", "123"},
      // Loose: "+" taken, the thousands key types the decimal separator.
      {stLoose, sptFloat, "", 0, "+1,5", "+1.5"},
      {stLoose, sptNormal, "", 0, "3-2", "3-2"},
  };
  for (const Case& c : cases) {
    TForm f(nullptr);
    auto* e = new TEsgSpinEdit(&f);
    e->SetParent(&f);
    e->SetSpinTyping(c.typing);
    e->SetSpinType(c.kind);
    e->SetText(c.text);
    e->SetSelStart(c.caret);
    for (const char* p = c.typed; *p; ++p) TypeChar(*e, *p);
    EXPECT_EQ(e->Text(), c.want) << c.typed;
  }
  // A checked integer takes no control character but Backspace; floats and loose typing do.
  TEsgSpinEdit e(nullptr);
  EXPECT_TRUE(!e.IsValidChar('\x01') && !e.IsValidChar('\x1b') && e.IsValidChar('\b'));
  e.SetSpinType(sptFloat);
  EXPECT_TRUE(e.IsValidChar('\x1b'));
}

// The pair inside the right edge: 3 in and 2 down with the 3-D border (the client area of such a
// window starts 2 in), at the edge without one; a pair is never narrower than 15 (20 side by side).
// Leaving a time limits it by the date limits.
TEST_F(EsgEdits, SpinPairPlaceLeastWidthAndTheTimeLimitedOnLeaving) {
  struct TLeaving : TEsgSpinEdit {
    TLeaving() : TEsgSpinEdit(nullptr) {}
    using TEsgSpinEdit::DoExit;
  } e;
  const struct {
    TBorderStyle border;
    TRect pair;
  } places[] = {{bsSingle, TRect(102, 2, 117, 21)}, {bsNone, TRect(104, 0, 119, 23)}};
  for (const auto& p : places) {
    e.SetBorderStyle(p.border);
    e.SetBounds(0, 0, 120, 24);
    const TEsgSpinButton* b = e.Button();
    EXPECT_EQ(TRect(b->Left(), b->Top(), b->Left() + b->Width(), b->Top() + b->Height()), p.pair) << p.border;
  }
  TEsgSpinButton pair(nullptr);
  for (auto [dir, least] : {std::pair{spVertical, 15}, {spHorizontal, 20}}) {
    pair.SetDirection(dir);
    pair.SetBounds(0, 0, 10, 30);
    EXPECT_EQ(pair.Width(), least);
  }
  e.SetSpinType(sptTime);
  e.SetMinDateValue(0.25);
  e.SetMaxDateValue(0.5);
  e.SetTimeValue(0.75);
  e.DoExit();
  EXPECT_DOUBLE_EQ(e.TimeValue(), 0.5);
}

TEST_F(EsgEdits, UnitCommandsInsideTheListPickTheirUnitOthersChangeNothing) {
  TEsgUnitEditBtn u(nullptr);
  TStringList units;
  units.Add("mV");
  units.Add("V");
  units.Add("kV");
  u.SetUnits(&units);
  u.SetUnitID("V");
  EXPECT_TRUE(u.RightAlign());
  EXPECT_EQ(u.UnitSpace(), 20);
  for (int id : {0, -1, 4, INT_MIN}) {
    u.UnitCommand(id);
    EXPECT_EQ(u.UnitID(), "V") << id;
  }
  u.UnitCommand(3);
  EXPECT_EQ(u.UnitID(), "kV");
  // The menu lists the units in order; choosing the first item picks "mV".
  u.ClickButton(&u);
  ASSERT_EQ(u.UnitMenu()->Items()->Count(), 3);
  EXPECT_EQ(u.UnitMenu()->Items()->Items(2)->Caption(), "kV");
  u.UnitMenu()->Items()->Items(0)->Click();
  EXPECT_EQ(u.UnitID(), "mV");
  int clicks = 0;
  u.OnClickBtn = [&](TObject*) { ++clicks; };
  u.ClickButton(&u);
  EXPECT_EQ(clicks, 0) << "the unit edit's button only shows the menu";
  u.SetEditorEnabled(false);
  u.OnKeyPress = [&](TObject*, char&) { ++clicks; };
  for (char k : {'\x1b', '\r', 'a'}) TypeChar(u, k);
  EXPECT_EQ(clicks, 0) << "no character reaches an edit that cannot be typed into";
}

// A press on a spin button whose focus control may not take the focus focuses the pair, when
// that is a tab stop.
TEST_F(EsgEdits, APressFocusesThePairWhenItsFocusControlIsNoTabStop) {
  struct TPair : TEsgSpinButton {
    using TEsgSpinButton::TEsgSpinButton;
    using TEsgSpinButton::BtnMouseDown;
  };
  TForm f(nullptr);
  auto* edit = On<TEdit>(f, 10, 10, 80, 22);
  auto* pair = On<TPair>(f, 100, 10, 15, 22);
  auto* other = On<TEdit>(f, 10, 40, 80, 22);
  edit->SetTabStop(false);
  pair->SetTabStop(true);
  pair->SetFocusControl(edit);
  f.Show();
  other->SetFocus();
  QApplication::processEvents();
  ASSERT_FALSE(pair->Focused());
  pair->BtnMouseDown(pair->UpButton(), mbLeft);
  QApplication::processEvents();
  EXPECT_TRUE(pair->Focused());
}

// The unit stands at the top of its place, as the edit's text does, however tall the edit.
TEST_F(EsgEdits, TheUnitStandsAtTheTopAndGlyphsPassToTheButton) {
  TForm f(nullptr);
  auto* u = On<TEsgUnitEditBtn>(f, 10, 10, 120, 60);
  u->SetAutoSize(false);
  u->SetBounds(10, 10, 120, 60);
  u->SetUnitID("mV");
  u->Font()->SetColor(clBlack);
  f.Show();
  const QImage img = RenderControlImage(u->UnitBox());
  int top = img.height();
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x)
      if (qGray(img.pixel(x, y)) < 90) top = std::min(top, y);
  EXPECT_LT(top, 6) << img.height();
  TBitmap glyph(16, 8);
  u->SetGlyph(&glyph);
  u->SetNumGlyphs(2);
  EXPECT_TRUE(u->EmbeddedButton()->Button()->NumGlyphs() == 2 && u->Glyph()->Width() == 16);
}

TEST_F(EsgEdits, TheCalendarDropsByButtonF4OrAltDownAndOnlyAPickedDayChangesTheDate) {
  FormatSettings.DateSeparator = '-';
  FormatSettings.ShortDateFormat = "yyyy-mm-dd";
  const TDateTime teaTime = EncodeTime(16, 30, 0, 0), jan5 = EncodeDate(2024, 1, 5) + teaTime;
  enum TOpen { oButton, oF4, oAltDown };
  enum TClose { cEscape, cClickDay20, cRightReturn, cProgram, cHidden };
  struct Case {
    const char* name;
    TOpen open;
    TClose close;
    TDateTime want;
  } cases[] = {
      {"button, Escape", oButton, cEscape, jan5},
      {"F4, a click on the 20th", oF4, cClickDay20, EncodeDate(2024, 1, 20) + teaTime},
      {"Alt+Down, Right and Return", oAltDown, cRightReturn, EncodeDate(2024, 1, 6) + teaTime},
      {"button, closed by the program", oButton, cProgram, jan5},
      {"F4, the picker hidden", oF4, cHidden, jan5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto* f = new TForm(Application);
    f->SetClientSize(300, 200);
    auto* p = new TEsgDateTimePicker(f);
    p->SetParent(f);
    p->SetBounds(10, 10, 140, 22);
    f->Show();
    p->SetFocus();
    p->SetDateTime(jan5);
    int closes = 0, changes = 0;
    p->OnCloseUp = [&](TObject*) { ++closes; };
    p->OnChange = [&](TObject*) { ++changes; };
    switch (c.open) {
      case oButton: ClickWidgetIn(p->Peer(), p->ButtonRect()); break;
      case oF4: SendKeyEvent(p, Qt::Key_F4); break;
      case oAltDown: SendKeyEvent(p, Qt::Key_Down, Qt::AltModifier); break;
    }
    ASSERT_TRUE(p->DroppedDown());
    TCalendarPopup* cal = p->Calendar();
    EXPECT_EQ(cal->Day(), EncodeDate(2024, 1, 5)) << "the calendar stands on the date";
    QWidget* keys = cal->Window()->focusWidget();
    ASSERT_NE(keys, nullptr);
    switch (c.close) {
      case cEscape: SendWidgetKey(keys, Qt::Key_Escape); break;
      case cClickDay20: ClickWidgetIn(cal->DayView(), cal->DayRect(EncodeDate(2024, 1, 20))); break;
      case cRightReturn:
        SendWidgetKey(keys, Qt::Key_Right);
        SendWidgetKey(keys, Qt::Key_Return);
        break;
      case cProgram: p->CloseUp(); break;
      case cHidden: p->SetVisible(false); break;
    }
    EXPECT_FALSE(p->DroppedDown());
    EXPECT_EQ(closes, 1);
    EXPECT_DOUBLE_EQ(p->DateTime(), c.want);
    EXPECT_EQ(p->Text(), DateToStr(c.want));
    EXPECT_EQ(changes, c.want != jan5 ? 1 : 0);
    delete f;
  }
}

// Times and the up-down style: no calendar, a spin pair whose buttons step the part under the
// caret as Ctrl+Up and Ctrl+Down do; a held button repeats on the pair's timer.
TEST_F(EsgEdits, TimesAndTheUpDownStyleStepThePartUnderTheCaretWithTheirSpinPair) {
  FormatSettings.DateSeparator = '-';
  FormatSettings.ShortDateFormat = "yyyy-mm-dd";
  FormatSettings.TimeSeparator = ':';
  FormatSettings.LongTimeFormat = "hh:nn:ss";
  struct Case {
    const char* name;
    TDateTimeKind kind;
    const char* start;
    int caret;
    bool up;
    int ticks;  // repeat timer ticks while the button is held
    const char* want;
  } cases[] = {
      {"day up", dtkDate, "2024-01-05", 9, true, 0, "2024-01-06"},
      {"month down", dtkDate, "2024-01-05", 6, false, 0, "2023-12-05"},
      {"held day up: a step per tick, then the release", dtkDate, "2024-01-05", 9, true, 3, "2024-01-09"},
      {"held year up stops at the last day", dtkDate, "9998-06-15", 1, true, 3, "9999-12-31"},
      {"held day down stops at the first day", dtkDate, "0001-01-02", 9, false, 4, "0001-01-01"},
      {"hour down wraps through midnight", dtkTime, "00:30:00", 0, false, 0, "23:30:00"},
      {"held second up", dtkTime, "10:00:58", 7, true, 2, "10:01:01"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TForm f(nullptr);
    f.SetClientSize(300, 100);
    auto* p = new TEsgDateTimePicker(&f);
    p->SetParent(&f);
    p->SetBounds(10, 10, 140, 22);
    f.Show();
    p->SetFocus();
    p->SetKind(c.kind);
    p->SetUpDown(c.kind == dtkDate);
    EXPECT_EQ(p->ButtonRect().Width(), 0) << "no calendar button";
    SendKeyEvent(p, Qt::Key_F4);
    SendKeyEvent(p, Qt::Key_Down, Qt::AltModifier);
    EXPECT_FALSE(p->DroppedDown()) << "and no calendar";
    TEsgSpinButton* pair = p->UpDownButton();
    ASSERT_TRUE(pair->Visible());
    EXPECT_EQ(pair->Left() + pair->Width(), p->Width() - 2) << "at the right edge, inside the flat edge";
    EXPECT_GE(pair->Left(), p->Width() / 2);
    TDateTime v = 0;
    ASSERT_TRUE(c.kind == dtkDate ? TryStrToDate(c.start, v) : TryStrToTime(c.start, v));
    c.kind == dtkDate ? p->SetDate(v) : p->SetTime(v);
    p->SetSelStart(c.caret);
    // A real press on the button, held for the ticks, then released.
    TTimerSpeedButton* b = c.up ? pair->UpButton() : pair->DownButton();
    Qt::MouseButtons held;
    const int x = b->Left() + b->Width() / 2, y = b->Top() + b->Height() / 2;
    SendMouseEvent(pair->Peer(), QEvent::MouseButtonPress, x, y, Qt::LeftButton, Qt::NoModifier, held);
    for (int t = 0; t < c.ticks; ++t) b->RepeatTimer()->Tick();
    SendMouseEvent(pair->Peer(), QEvent::MouseButtonRelease, x, y, Qt::LeftButton, Qt::NoModifier, held);
    EXPECT_EQ(p->Text(), c.want);
    EXPECT_EQ(p->SelStart(), c.caret) << "the caret stays in its part";
    EXPECT_TRUE(p->Focused()) << "the picker keeps the keys";
    // Ctrl and the arrow key step the same part back.
    SendKeyEvent(p, c.up ? Qt::Key_Down : Qt::Key_Up, Qt::ControlModifier);
    if (c.ticks == 0) { EXPECT_EQ(p->Text(), c.start); }
  }
  // A date picker with its calendar has no spin pair.
  TForm f(nullptr);
  auto* p = new TEsgDateTimePicker(&f);
  p->SetParent(&f);
  EXPECT_FALSE(p->UpDownButton()->Visible());
  EXPECT_GT(p->ButtonRect().Width(), 0);
}

// The spin edit's buttons: held, a step after the first pause and at each tick, and the ordinary
// click when released on the button; a release off the button adds none. Themed, a button is hot
// (2) under the mouse and pressed (3) while down.
TEST_F(EsgEdits, SpinButtonsStepOnTheReleaseAndRepeatWhileHeld) {
  struct {
    const char* name;
    int ticks;
    bool releaseOn;
    int press, want;  // value after the press, after the release
  } rows[] = {{"a short click", 0, true, 0, 1},
              {"held for three ticks", 3, true, 3, 4},
              {"released off the button", 0, false, 0, 0}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    TForm f(nullptr);
    f.SetClientSize(200, 80);
    auto* e = new TEsgSpinEdit(&f);
    e->SetParent(&f);
    e->SetBounds(10, 10, 80, 24);
    e->SetMaxValue(1000);
    e->SetValue(0);
    f.Show();
    TEsgSpinButton* pair = e->Button();
    TTimerSpeedButton* up = pair->UpButton();
    Qt::MouseButtons held;
    const int x = up->Left() + up->Width() / 2, y = up->Top() + up->Height() / 2;
    SendMouseEvent(pair->Peer(), QEvent::MouseButtonPress, x, y, Qt::LeftButton, Qt::NoModifier, held);
    for (int t = 0; t < row.ticks; ++t) up->RepeatTimer()->Tick();
    EXPECT_EQ(e->Value(), row.press);
    const int ry = row.releaseOn ? y : y + 60;
    SendMouseEvent(pair->Peer(), QEvent::MouseButtonRelease, x, ry, Qt::LeftButton, Qt::NoModifier, held);
    EXPECT_EQ(e->Value(), row.want);
    EXPECT_FALSE(up->RepeatTimer()->Enabled());
  }
  TForm f(nullptr);
  auto* pair = new TEsgSpinButton(&f);
  pair->SetParent(&f);
  TExtTimerSpeedButton* up = pair->UpButton();
  EXPECT_EQ(up->ThemeState(), 1);
  up->Perform(CM_MOUSEENTER);
  EXPECT_EQ(up->ThemeState(), 2);
  up->Perform(CM_MOUSELEAVE);
  EXPECT_EQ(up->ThemeState(), 1);
  up->SetHotLook(false);
  up->Perform(CM_MOUSEENTER);
  EXPECT_EQ(up->ThemeState(), 1) << "without the hot look";
}

// Page Up and Page Down step as the arrows do, numbers and dates alike; the key is used up.
TEST_F(EsgEdits, PageKeysStepTheSpinEditLikeTheArrows) {
  FormatSettings.DateSeparator = '-';
  FormatSettings.ShortDateFormat = "yyyy-mm-dd";
  const struct {
    TEsgSpinType type;
    const char* start;
    WORD key;
    const char* want;
  } rows[] = {{sptNormal, "5", VK_PRIOR, "6"},
              {sptNormal, "5", VK_NEXT, "4"},
              {sptNormal, "5", VK_UP, "6"},
              {sptDate, "2024-01-05", VK_PRIOR, "2024-01-06"},
              {sptDate, "2024-01-05", VK_NEXT, "2024-01-04"},
              {sptNormal, "5", VK_HOME, "5"}};
  struct TProbe : TEsgSpinEdit {
    using TEsgSpinEdit::KeyDown;
    using TEsgSpinEdit::TEsgSpinEdit;
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.start) + " " + std::to_string(row.key));
    TForm f(nullptr);
    auto* e = new TProbe(&f);
    e->SetParent(&f);
    e->SetSpinType(row.type);
    e->SetText(row.start);
    e->SetSelStart(9);
    WORD key = row.key;
    e->KeyDown(key, 0);
    EXPECT_EQ(e->Text(), row.want);
    EXPECT_EQ(key == 0, std::string(row.start) != row.want) << "a step uses the key up";
  }
}

// Empty text and "0" read as now; other text that is no date reads as the lower limit.
TEST_F(EsgEdits, DateTextThatIsEmptyOrZeroReadsAsNow) {
  TForm f(nullptr);
  auto* e = new TEsgSpinEdit(&f);
  e->SetParent(&f);
  e->SetSpinType(sptDate);
  e->SetMinDateValue(100);
  e->SetMaxDateValue(200);
  for (const char* text : {"", "0", "nonsense"}) {
    SCOPED_TRACE(text);
    e->SetText(text);
    const TDateTime before = Now();
    const TDateTime read = e->DateValue();
    if (std::string(text) == "nonsense") {
      EXPECT_EQ(read, 100);
    } else {
      EXPECT_GE(read, before);
      EXPECT_LE(read, Now());
    }
  }
}

// A repeated step that fails stops the repeat: one error while the button stays held.
TEST_F(EsgEdits, AFailingRepeatedStepStopsTheRepeat) {
  TForm f(nullptr);
  f.SetClientSize(200, 80);
  auto* pair = On<TEsgSpinButton>(f, 10, 10, 15, 25);
  int calls = 0, errors = 0;
  pair->OnUpClick = [&](TObject*) {
    ++calls;
    throw Exception("step failed");
  };
  Application->OnException = [&](TObject*, Exception&) { ++errors; };
  f.Show();
  TTimerSpeedButton* up = pair->UpButton();
  Qt::MouseButtons held;
  const int x = up->Left() + up->Width() / 2, y = up->Top() + up->Height() / 2;
  SendMouseEvent(pair->Peer(), QEvent::MouseButtonPress, x, y, Qt::LeftButton, Qt::NoModifier, held);
  for (int t = 0; t < 3; ++t) up->RepeatTimer()->Tick();
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(errors, 1);
  EXPECT_FALSE(up->RepeatTimer()->Enabled());
  Application->OnException = nullptr;
}

// A side-by-side pair is the system's scroll arrows (its down button the left arrow, pushed while
// down); the spin edit's stacked pair is 15 wide.
TEST_F(EsgEdits, SideBySideSpinButtonsAreTheSystemsScrollArrows) {
  TForm f(nullptr);
  auto* pair = On<TEsgSpinButton>(f, 10, 10, 20, 17);
  pair->SetDirection(spHorizontal);
  f.Show();
  TTimerSpeedButton* b = pair->DownButton();
  b->SetGroupIndex(1);
  b->SetDown(true);
  TBitmap want(b->Width(), b->Height());
  want.Canvas()->DrawFrameControl(TRect(0, 0, b->Width(), b->Height()), DFC_SCROLL, DFCS_SCROLLLEFT | DFCS_PUSHED);
  const QImage img = RenderControlImage(pair);
  for (int y = 0; y < b->Height(); ++y)
    for (int x = 0; x < b->Width(); ++x) ASSERT_EQ(img.pixel(x, y) & 0xFFFFFF, want.Image().pixel(x, y) & 0xFFFFFF);
  EXPECT_EQ(TEsgSpinEdit(nullptr).Button()->Width(), 15);

  // Each half the width: a press on column 10 of the 20-wide pair is the up button's.
  int ups = 0, downs = 0;
  pair->OnUpClick = [&](TObject*) { ++ups; };
  pair->OnDownClick = [&](TObject*) { ++downs; };
  EXPECT_EQ(pair->UpButton()->Left() + pair->UpButton()->Width(), 20);
  Qt::MouseButtons held;
  for (auto type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
    SendMouseEvent(pair->Peer(), type, 10, 8, Qt::LeftButton, Qt::NoModifier, held);
  EXPECT_EQ(ups, 1);
  EXPECT_EQ(downs, 0);
}

// The flat button draws one raised ring, its middle the button face; down, one sunken ring.
TEST_F(EsgEdits, TheFlatSpeedButtonDrawsOneRing) {
  TForm f(nullptr);
  f.SetClientSize(100, 60);
  auto* holder = On<TEsgEditButton>(f, 10, 10, 30, 24);
  holder->SetFlat(true);
  f.Show();
  auto rgb = [](TColor c) {
    const int32_t v = ColorToRGB(c);
    return static_cast<QRgb>(qRgb(GetRValue(v), GetGValue(v), GetBValue(v)) & 0xFFFFFF);
  };
  const struct {
    bool down;
    TColor outer, corner;
  } rows[] = {{false, clBtnHighlight, clBtnShadow}, {true, clBtnShadow, clBtnHighlight}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.down);
    holder->Button()->SetGroupIndex(row.down ? 1 : 0);
    holder->Button()->SetAllowAllUp(true);
    holder->Button()->SetDown(row.down);
    const QImage img = RenderControlImage(holder);
    auto at = [&](int px, int py) { return img.pixel(px, py) & 0xFFFFFF; };
    EXPECT_EQ(at(0, 5), rgb(row.outer));
    EXPECT_EQ(at(29, 5), rgb(row.corner));
    EXPECT_EQ(at(1, 5), rgb(clBtnFace)) << "no second ring";
    EXPECT_EQ(at(5, 1), rgb(clBtnFace)) << "no second ring";
    EXPECT_EQ(at(28, 5), rgb(clBtnFace)) << "no second ring";
  }
}

// A height below what the font needs is raised to it; the button's caption stands centred in the
// button, across and down.
TEST_F(EsgEdits, EditWithButtonKeepsItsLeastHeightAndCentresTheCaption) {
  TForm f(nullptr);
  f.SetClientSize(200, 100);
  auto* e = new TEsgEditBtn(&f);
  e->SetParent(&f);
  TBitmap probe(1, 1);
  probe.Canvas()->SetFont(e->Font());
  const int text = probe.Canvas()->GetTextMetrics().Height;
  for (int asked : {6, text - 1, 40}) {
    e->SetBounds(10, 10, 120, asked);
    EXPECT_EQ(e->Height(), std::max(asked, e->MinHeight())) << asked;
    EXPECT_GT(e->Height(), text) << asked;
  }
  // The button inside the right edge: 3 in from it and 2 down with the 3-D border (the client
  // area of such a window starts 2 pixels in), at the edge without a border.
  const struct {
    TBorderStyle border;
    TRect button;
  } places[] = {{bsSingle, TRect(99, 2, 117, 21)}, {bsNone, TRect(101, 0, 119, 23)}};
  for (const auto& p : places) {
    e->SetBorderStyle(p.border);
    e->SetBounds(10, 10, 120, 24);
    const TEsgEditButton* b = e->EmbeddedButton();
    EXPECT_EQ(TRect(b->Left(), b->Top(), b->Left() + b->Width(), b->Top() + b->Height()), p.button) << p.border;
  }
  e->SetBorderStyle(bsSingle);
  e->SetButtonWidth(30);
  e->SetButtonCaption("..");
  f.Show();
  TExtSpeedButton* b = e->EmbeddedButton()->Button();
  b->Font()->SetColor(clBlack);
  const QImage img = RenderControlImage(e->EmbeddedButton());
  // The caption's black pixels, by their extent.
  int left = img.width(), right = -1, top = img.height(), bottom = -1;
  for (int y = 2; y < img.height() - 2; ++y)
    for (int x = 2; x < img.width() - 2; ++x)
      if (qGray(img.pixel(x, y)) < 90) {
        left = std::min(left, x), right = std::max(right, x);
        top = std::min(top, y), bottom = std::max(bottom, y);
      }
  ASSERT_GE(right, left) << "the caption is drawn";
  EXPECT_NEAR((left + right) / 2.0, img.width() / 2.0, 2.0);
  EXPECT_GT(top, img.height() / 2 - 6) << "not at the top of a tall button";
  EXPECT_NEAR(bottom, img.height() / 2 + 3, 6);
}

// The flat list's frame: idle, two rings in the parent's colour and one in its own; in the 3-D
// look a sunken edge, a button-face ring, then its own colour. The drop-down button is raised in
// both (light left edge, dark right edge).
TEST_F(EsgEdits, TheFlatComboDrawsItsRingsAndARaisedButton) {
  TForm f(nullptr);
  f.SetClientSize(200, 80);
  f.SetColor(clLime);
  auto* c = new TESGComboBox(&f);
  c->SetParent(&f);
  c->SetStyle(csDropDownList);
  c->SetBounds(10, 10, 120, 22);
  c->SetColor(clYellow);
  c->SetBkColor(clRed);
  c->SetFocusBorder(true);
  auto* other = new TEdit(&f);  // holds the focus
  other->SetParent(&f);
  other->SetBounds(10, 40, 80, 22);
  f.Show();
  other->SetFocus();
  QApplication::processEvents();
  const int32_t face = ColorToRGB(clBtnFace);
  const QRgb lime = 0x00FF00, yellow = 0xFFFF00, faceRgb = qRgb(GetRValue(face), GetGValue(face), GetBValue(face)) & 0xFFFFFF;
  struct {
    bool hot;
    QRgb ring0, ring1;  // 0: unchecked
  } rows[] = {{false, lime, lime}, {true, 0, faceRgb}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.hot);
    c->Perform(row.hot ? CM_MOUSEENTER : CM_MOUSELEAVE);
    ASSERT_EQ(c->Active(), row.hot);
    const QImage img = RenderControlImage(c);
    auto at = [&](int x, int y) { return img.pixel(x, y) & 0xFFFFFF; };
    if (row.ring0) EXPECT_EQ(at(0, 11), row.ring0);
    else EXPECT_NE(at(0, 11), lime);
    EXPECT_EQ(at(1, 11), row.ring1);
    EXPECT_EQ(at(2, 11), yellow);
    const TRect b = c->ButtonRect();
    EXPECT_GT(qGray(at(b.Left, b.Top + 8)), qGray(at(b.Right - 1, b.Top + 8)) + 40) << "raised";
    // The edge reaches one pixel further right and two further down: 1 from the right edge and
    // onto the bottom row; inside it the face is the flat combo-box scroll frame control.
    const int w = c->Width(), h = c->Height();
    EXPECT_GT(qGray(at(b.Left, b.Top + 8)), qGray(at(w - 2, b.Top + 8)) + 40);
    EXPECT_GT(qGray(at(b.Left, b.Top + 8)), qGray(at((b.Left + w) / 2, h - 1)) + 40);
    const TRect face(b.Left, 2, w - 2, h);
    TBitmap want(face.Width(), face.Height());
    want.Canvas()->DrawFrameControl(TRect(0, 0, face.Width(), face.Height()), DFC_SCROLL, DFCS_SCROLLCOMBOBOX | DFCS_FLAT);
    for (int y = 2; y < face.Height() - 2; ++y)
      for (int x = 2; x < face.Width() - 2; ++x)
        ASSERT_EQ(at(face.Left + x, face.Top + y), want.Image().pixel(x, y) & 0xFFFFFF) << x << "," << y;
  }
}

// Disabled, it takes its parent's colour and no hover; enabled again it follows its parent again.
TEST_F(EsgEdits, TheFlatComboKeepsFollowingItsParentAfterBeingDisabled) {
  TForm f(nullptr);
  f.SetColor(clLime);
  auto* c = On<TESGComboBox>(f, 10, 10, 120, 22);
  c->SetParentColor(true);
  c->SetEnabled(false);
  c->Perform(CM_MOUSEENTER);
  EXPECT_FALSE(c->Hovered());
  c->SetEnabled(true);
  EXPECT_TRUE(c->ParentColor());
  f.SetColor(clAqua);
  EXPECT_EQ(c->Color(), clAqua);
}

TEST_F(EsgEdits, TheFlatComboShowsItsVersionNumberByteByByte) {
  struct TNumbered : TESGComboBox {
    uint32_t Nr;
    TNumbered(uint32_t N) : TESGComboBox(nullptr), Nr(N) {}
    uint32_t GetVersionNr() const override { return Nr; }
  };
  const std::pair<uint32_t, const char*> cases[] = {
      {0x01020000u, "1.2.0.0"}, {0xFF0A0B0Cu, "255.10.11.12"}, {0u, "0.0.0.0"}};
  for (const auto& [nr, text] : cases) EXPECT_EQ(TNumbered(nr).Version(), text) << text;
  TESGComboBox plain(nullptr);
  EXPECT_EQ(plain.GetVersionNr(), 0x01020000u);
  EXPECT_EQ(plain.Version(), "1.2.0.0");
}

}  // namespace
