// The spin button pair of the inspector's spin edit and the embedded dots button, driven by
// real mouse and key events offscreen: repeat by timer ticks, the focus mark, the themed parts
// they pick per state; and the platform's theme and font change notices reaching the bar.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFont>
#include <QStyle>
#include <QStyleFactory>
#include <QWindow>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "controls/inspector/InspEdits.h"
#include "controls/inspector/InspEditors.h"
#include "controls/inspector/InspectorBar.h"
#include "platform/gui/FormImage.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Messages.h"
#include "platform/gui/Timer.h"
#include "platform/gui/VisualStyles.h"
#include "platform/gui/testing/GuiTest.h"
#include "platform/gui/testing/InputEvents.h"
#include "tests/controls/inspector/InspSetupPanel.h"
#include "tests/controls/inspector/InspThemes.h"

namespace {

class InspSpinPair : public TGuiTest {
 protected:
  void SetUp() override {
    Classic();
    form = std::make_unique<TForm>(nullptr);
    form->SetBounds(0, 0, 240, 160);
  }
  void TearDown() override {
    form.reset();
    SetVisualStylesLoader(nullptr);
    TGuiTest::TearDown();
  }
  static void Classic() { NoStylesLibrary(); }
  // A styles library that records every part drawn.
  void Themed() { RecordThemeParts(&drawn); }
  // The state each part of the class was last drawn in.
  std::map<int, int> LastStates(const std::string& cls) const {
    std::map<int, int> m;
    for (const auto& d : drawn)
      if (d.Class == cls) m[d.Part] = d.State;
    return m;
  }
  bool Drew(const std::string& cls) const {
    for (const auto& d : drawn)
      if (d.Class == cls) return true;
    return false;
  }
  TInspSpinButton* Pair() {
    auto* s = new TInspSpinButton(form.get());
    s->SetParent(form.get());
    s->SetLeft(20);
    s->SetTop(10);
    s->OnUpClick = [this](TObject*) { ++ups; };
    s->OnDownClick = [this](TObject*) { ++downs; };
    return s;
  }
  void Mouse(TWinControl* c, QEvent::Type type, int x, int y) {
    SendMouseEvent(c->Peer(), type, x, y, Qt::LeftButton, Qt::NoModifier, held);
  }

  std::unique_ptr<TForm> form;
  std::vector<TThemePart> drawn;
  int ups = 0, downs = 0;
  Qt::MouseButtons held = Qt::NoButton;
};

TEST_F(InspSpinPair, DefaultsToFifteenByTwentyFiveWithTheMarkOnTheUpButton) {
  TInspSpinButton s(nullptr);
  EXPECT_EQ(s.Width(), 15);
  EXPECT_EQ(s.Height(), 25);
  EXPECT_EQ(s.FocusedButton(), s.UpButton());
  EXPECT_EQ(s.UpButton()->Height(), 12);
  EXPECT_EQ(s.UpButton()->TimeBtnState() & tbAllowTimer, tbAllowTimer);
  EXPECT_EQ(s.DownButton()->TimeBtnState() & tbAllowTimer, tbAllowTimer);
  // The spin edit's own pair is 17 x 17 before it is laid out.
  TInspSpinEdit e(nullptr);
  EXPECT_EQ(e.Button()->Width(), 17);
  EXPECT_EQ(e.Button()->ClassName(), "TInspSpinButton");
}

TEST_F(InspSpinPair, AHeldButtonClicksAtOnceThenAfterTheFirstPauseThenAtEachShortOne) {
  TInspSpinButton* s = Pair();
  form->Show();
  TExtTimerSpeedButton* up = s->UpButton();
  Mouse(s, QEvent::MouseButtonPress, 7, 4);
  EXPECT_EQ(ups, 1) << "the press is the first click";
  ASSERT_NE(up->RepeatTimer(), nullptr);
  EXPECT_TRUE(up->RepeatTimer()->Enabled());
  EXPECT_EQ(up->RepeatTimer()->Interval(), 400u);
  up->RepeatTimer()->Tick();
  EXPECT_EQ(ups, 2);
  EXPECT_EQ(up->RepeatTimer()->Interval(), 100u);
  up->RepeatTimer()->Tick();
  up->RepeatTimer()->Tick();
  EXPECT_EQ(ups, 4);
  EXPECT_EQ(up->RepeatTimer()->Interval(), 100u);

  // Dragged off the button it waits; back on it, it goes on.
  Mouse(s, QEvent::MouseMove, 7, 60);
  up->RepeatTimer()->Tick();
  EXPECT_EQ(ups, 4);
  Mouse(s, QEvent::MouseMove, 7, 5);
  up->RepeatTimer()->Tick();
  EXPECT_EQ(ups, 5);

  Mouse(s, QEvent::MouseButtonRelease, 7, 5);
  EXPECT_EQ(ups, 5) << "the release adds no click";
  EXPECT_FALSE(up->RepeatTimer()->Enabled());
  up->RepeatTimer()->Tick();  // a tick that was already on its way
  EXPECT_EQ(ups, 5);
  EXPECT_EQ(downs, 0);

  // A short click on the lower button steps once, and the next press starts at 400 ms again.
  Mouse(s, QEvent::MouseButtonPress, 7, 20);
  Mouse(s, QEvent::MouseButtonRelease, 7, 20);
  EXPECT_EQ(downs, 1);
  Mouse(s, QEvent::MouseButtonPress, 7, 4);
  EXPECT_EQ(up->RepeatTimer()->Interval(), 400u);
  Mouse(s, QEvent::MouseButtonRelease, 7, 4);
  EXPECT_EQ(ups, 6);

  // Held down but without the mouse captured (the capture went elsewhere), it does not repeat.
  Mouse(s, QEvent::MouseButtonPress, 7, 4);
  EXPECT_EQ(ups, 7);
  ASSERT_EQ(up->State(), bsDown);
  up->SetMouseCapture(false);
  up->RepeatTimer()->Tick();
  EXPECT_EQ(ups, 7);
  Mouse(s, QEvent::MouseButtonRelease, 7, 4);
}

TEST_F(InspSpinPair, UpAndDownMoveTheMarkAndClickSpaceClicksTheMarkedButton) {
  TInspSpinButton* s = Pair();
  s->SetTabStop(true);
  auto* other = new TEdit(form.get());
  other->SetParent(form.get());
  other->SetBounds(60, 10, 80, 21);
  form->Show();
  s->SetFocus();
  ASSERT_TRUE(s->Focused());
  EXPECT_EQ(s->UpButton()->TimeBtnState() & tbFocusRect, tbFocusRect);
  EXPECT_EQ(s->DownButton()->TimeBtnState() & tbFocusRect, 0u);

  SendKeyEvent(s, Qt::Key_Space, Qt::NoModifier, " ");
  EXPECT_EQ(ups, 1);
  SendKeyEvent(s, Qt::Key_Down);
  EXPECT_EQ(s->FocusedButton(), s->DownButton());
  EXPECT_EQ(downs, 1);
  EXPECT_EQ(s->DownButton()->TimeBtnState() & tbFocusRect, tbFocusRect);
  EXPECT_EQ(s->UpButton()->TimeBtnState() & tbFocusRect, 0u);
  SendKeyEvent(s, Qt::Key_Space, Qt::NoModifier, " ");
  SendKeyEvent(s, Qt::Key_Space, Qt::NoModifier, " ");
  EXPECT_EQ(downs, 3);
  EXPECT_EQ(ups, 1);
  SendKeyEvent(s, Qt::Key_Up);
  EXPECT_EQ(s->FocusedButton(), s->UpButton());
  EXPECT_EQ(ups, 2);
  EXPECT_EQ(downs, 3);

  // Without the focus the mark is kept but not shown; a press on a button moves it there.
  other->SetFocus();
  EXPECT_EQ(s->UpButton()->TimeBtnState() & tbFocusRect, 0u);
  Mouse(s, QEvent::MouseButtonPress, 7, 20);
  Mouse(s, QEvent::MouseButtonRelease, 7, 20);
  EXPECT_TRUE(s->Focused()) << "a pair without a focus control takes the focus itself";
  EXPECT_EQ(s->FocusedButton(), s->DownButton());
  EXPECT_EQ(s->DownButton()->TimeBtnState() & tbFocusRect, tbFocusRect);
  EXPECT_EQ(downs, 4);
}

TEST_F(InspSpinPair, AFocusControlTakesTheFocusFromAPress) {
  TInspSpinEdit* e = new TInspSpinEdit(form.get());
  e->SetParent(form.get());
  e->SetBounds(10, 10, 80, 22);
  e->SetValue(5);
  auto* other = new TEdit(form.get());
  other->SetParent(form.get());
  other->SetBounds(100, 10, 80, 21);
  form->Show();
  other->SetFocus();
  TInspSpinButton* s = e->Button();
  Mouse(s, QEvent::MouseButtonPress, s->Width() / 2, s->Height() - 3);
  EXPECT_TRUE(e->Focused());
  EXPECT_EQ(e->Value(), 4);
  Mouse(s, QEvent::MouseButtonRelease, s->Width() / 2, s->Height() - 3);
  EXPECT_EQ(e->Value(), 4);
}

TEST_F(InspSpinPair, ThemedButtonsPickTheirSpinPartByPlaceAndPressedWhileDown) {
  Themed();
  TInspSpinButton* s = Pair();
  s->SetIsWinXP(true);
  form->Show();
  EXPECT_EQ(s->UpButton()->ThemePart(), 1);
  EXPECT_EQ(s->DownButton()->ThemePart(), 2);
  drawn.clear();
  RenderControlImage(s);
  EXPECT_EQ(LastStates("spin"), (std::map<int, int>{{1, 1}, {2, 1}}));

  // The press repaints the pair at once, with the up part pressed.
  drawn.clear();
  Mouse(s, QEvent::MouseButtonPress, 7, 4);
  EXPECT_EQ(LastStates("spin"), (std::map<int, int>{{1, 3}, {2, 1}}));
  drawn.clear();
  Mouse(s, QEvent::MouseButtonRelease, 7, 4);
  EXPECT_EQ(LastStates("spin"), (std::map<int, int>{{1, 1}, {2, 1}}));

  s->SetDirection(spHorizontal);
  EXPECT_EQ(s->UpButton()->ThemePart(), 3);
  EXPECT_EQ(s->DownButton()->ThemePart(), 4);
  Mouse(s, QEvent::MouseButtonPress, 3, 10);  // the down button is the left one
  EXPECT_EQ(s->DownButton()->ThemeState(), 3);
  EXPECT_EQ(s->UpButton()->ThemeState(), 1);
  drawn.clear();
  RenderControlImage(s);
  EXPECT_EQ(LastStates("spin"), (std::map<int, int>{{3, 1}, {4, 3}}));
  Mouse(s, QEvent::MouseButtonRelease, 3, 10);
  EXPECT_EQ(downs, 1);

  // Not XP-styled, or no active theme: our own arrows, no theme parts.
  s->SetIsWinXP(false);
  drawn.clear();
  RenderControlImage(s);
  EXPECT_FALSE(Drew("spin"));
}

TEST_F(InspSpinPair, WithoutAThemeTheButtonsShowOurArrowsAndTheMark) {
  TInspSpinButton* s = Pair();
  s->SetIsWinXP(true);  // the test, but no styles library
  s->SetTabStop(true);
  form->Show();
  s->SetFocus();
  const QImage img = RenderControlImage(s);
  img.save(QString::fromStdString(TestImagePath("inspector_spin_pair_classic.png")));
  // Black arrow pixels in each half, around the middle column.
  auto blackIn = [&](int top, int bottom) {
    int n = 0;
    for (int y = top; y < bottom; ++y)
      for (int x = 4; x < 11; ++x)
        if ((img.pixel(x, y) & 0xFFFFFF) == 0) ++n;
    return n;
  };
  EXPECT_GE(blackIn(3, 10), 6);
  EXPECT_GE(blackIn(15, 22), 6);
  // The focus mark: a dotted frame inside the upper button only.
  int dots = 0;
  for (int x = 3; x < 12; ++x)
    if (img.pixel(x, 3) != img.pixel(7, 2)) ++dots;
  EXPECT_GE(dots, 3);
  int lowerDots = 0;
  for (int x = 3; x < 12; ++x)
    if (img.pixel(x, 15) != img.pixel(7, 14)) ++lowerDots;
  EXPECT_EQ(lowerDots, 0);
  // The row under the down button shows the pair's own colour.
  const TColor face = ColorToRGB(clBtnFace);
  EXPECT_EQ(img.pixel(7, img.height() - 1) & 0xFFFFFF, QRgb(qRgb(face & 0xFF, (face >> 8) & 0xFF, (face >> 16) & 0xFF)) & 0xFFFFFF);
}

TEST_F(InspSpinPair, DotsButtonFollowsHoverAndPressInItsThemeStates) {
  Themed();
  auto* h = new TInspEditButton(form.get());
  h->SetParent(form.get());
  h->SetIsWinXP(true);
  form->Show();
  TExtSpeedButton* b = h->Button();
  EXPECT_EQ(b->ThemeState(), 1);
  h->Perform(CM_MOUSEENTER, 0, 0);
  b->Perform(CM_MOUSEENTER, 0, 0);
  EXPECT_EQ(b->ThemeState(), 2);
  int clicks = 0;
  h->OnClick = [&](TObject*) { ++clicks; };
  Mouse(h, QEvent::MouseButtonPress, 5, 5);
  EXPECT_EQ(clicks, 1) << "the press is the click";
  EXPECT_EQ(b->ThemeState(), 3);
  drawn.clear();
  RenderControlImage(h);
  EXPECT_EQ(LastStates("button"), (std::map<int, int>{{1, 3}}));
  Mouse(h, QEvent::MouseButtonRelease, 5, 5);
  EXPECT_EQ(clicks, 1);
  b->Perform(CM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(b->ThemeState(), 1);

  // Classic: a push-button face with the caption, no theme part.
  h->SetIsWinXP(false);
  drawn.clear();
  const QImage img = RenderControlImage(h);
  EXPECT_FALSE(Drew("button"));
  int dark = 0;
  for (int y = 1; y < h->Height() - 2; ++y)
    for (int x = 5; x < 14; ++x)
      if (qGray(img.pixel(x, y)) < 128) ++dark;  // the face is 239; smoothed dots stay near 60
  EXPECT_GE(dark, 2) << "the two dots of the caption";
}

// The device setup bar on a form of its own; its "Write Time" row edits in the spin edit.
class InspSystemChanges : public InspSpinPair {
 protected:
  void SetUp() override {
    InspSpinPair::SetUp();
    savedFont = QApplication::font();
    savedStyle = QApplication::style()->name();
    bar = new TInspectorBar(form.get());
    bar->SetParent(form.get());
    bar->SetBounds(0, 0, 200, 160);
    AddSetupPanel(bar);
    form->Show();
    auto previous = bar->WindowProc;
    bar->WindowProc = [this, previous](TMessage& m) {
      if (m.Msg == WM_THEMECHANGED) ++themeChanges;
      if (m.Msg == CM_SYSFONTCHANGED) ++fontChanges;
      previous(m);
    };
  }
  void TearDown() override {
    QApplication::setFont(savedFont);
    QApplication::setStyle(QStyleFactory::create(savedStyle));
    QApplication::processEvents();
    InspSpinPair::TearDown();
  }
  static void HomeStead() { ReportColourScheme(u"HomeStead"); }
  QFont savedFont;
  QString savedStyle;
  TInspectorBar* bar = nullptr;
  int themeChanges = 0, fontChanges = 0, spinThemeChanges = 0;
};

TEST_F(InspSystemChanges, ANewApplicationStyleIsOneThemeChangeThatTheBarAdaptsTo) {
  HomeStead();
  bar->SetAutoThemeAdapt(true);
  bar->SetStyle(esWhidbey);
  // Another top-level window hears of it too, and still the bar is told once.
  TForm second(nullptr);
  second.SetBounds(300, 0, 100, 100);
  second.Show();
  const QString other = savedStyle.compare("Windows", Qt::CaseInsensitive) == 0 ? "Fusion" : "Windows";
  QApplication::setStyle(QStyleFactory::create(other));
  QApplication::processEvents();
  EXPECT_EQ(themeChanges, 1);
  EXPECT_EQ(bar->Style(), esOffice2003Olive);

  // A style sheet on one widget is no theme change.
  bar->SetStyle(esWhidbey);
  second.Peer()->setStyleSheet("QWidget { color: black; }");
  QApplication::processEvents();
  EXPECT_EQ(themeChanges, 1);
  EXPECT_EQ(bar->Style(), esWhidbey);
}

TEST_F(InspSystemChanges, TheWindowSystemsThemeChangeReachesTheBarAndItsEditors) {
  HomeStead();
  bar->SetStyle(esWhidbey);
  // Off: the bar keeps its style but still hears of the change.
  QEvent e(QEvent::ThemeChange);
  QCoreApplication::sendEvent(form->Peer()->windowHandle(), &e);
  QApplication::processEvents();
  EXPECT_EQ(themeChanges, 1);
  EXPECT_EQ(bar->Style(), esWhidbey);

  bar->SetAutoThemeAdapt(true);
  // The open spin editor hears of it as well.
  TInspectorItem* writeTime = bar->Panels()->Items(0)->Items()->Items(3);
  bar->StartEdit(writeTime);
  ASSERT_TRUE(bar->SpinControl()->Visible());
  // The count lives in the fixture: the hook outlives this body, and the teardown's style
  // restore reaches it too.
  TInspSpinButton* pair = bar->SpinControl()->Button();
  auto previous = pair->WindowProc;
  pair->WindowProc = [this, previous](TMessage& m) {
    if (m.Msg == WM_THEMECHANGED) ++spinThemeChanges;
    previous(m);
  };
  QCoreApplication::sendEvent(form->Peer()->windowHandle(), &e);
  QCoreApplication::sendEvent(form->Peer(), &e);
  EXPECT_EQ(themeChanges, 1) << "told once the event loop runs, not per event";
  QApplication::processEvents();
  EXPECT_EQ(themeChanges, 2);
  EXPECT_EQ(spinThemeChanges, 1);
  EXPECT_EQ(bar->Style(), esOffice2003Olive);
}

TEST_F(InspSystemChanges, ANewApplicationFontIsASystemFontChangeOfEveryWindow) {
  HomeStead();
  bar->SetAutoThemeAdapt(true);
  bar->SetStyle(esWhidbey);
  QFont f = savedFont;
  f.setPointSize(f.pointSize() + 3);
  QApplication::setFont(f);
  EXPECT_EQ(fontChanges, 1);
  EXPECT_EQ(themeChanges, 0);
  EXPECT_EQ(bar->Style(), esOffice2003Olive);
}

TEST_F(InspSystemChanges, TheBarPassesItsXPTestToTheSpinEditor) {
  EXPECT_EQ(bar->SpinControl()->IsWinXP(), bar->IsWinXP());
  EXPECT_EQ(bar->SpinControl()->Button()->DownButton()->IsWinXP(), bar->IsWinXP());
  EXPECT_TRUE(bar->IsWinXP()) << "the platform stands in for a themed system";
}

}  // namespace
