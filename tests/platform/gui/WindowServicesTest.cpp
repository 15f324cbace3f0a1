// Window services of the layer that scrolling controls use: own scroll bars and
// their messages from the real bar, window timers, mouse capture, cursors chosen
// in WM_SETCURSOR, redraw suspension, the keypad flag, the window named in focus
// messages, enter and exit along parent chains, freeing a control in OnClick,
// feedback marks and the area a paint covers.
#include <QApplication>
#include <QCursor>
#include <QScrollBar>
#include <string>
#include <vector>

#include "platform/gui/Buttons.h"
#include "platform/gui/Feedback.h"
#include "platform/gui/ScrollFrame.h"
#include "platform/gui/StdCtrls.h"
#include "platform/gui/WinWindow.h"
#include "platform/gui/testing/GuiTest.h"
#include "tests/platform/gui/GuiProbes.h"

namespace {

class WindowServices : public TGuiTest {
 protected:
  void SetUp() override {
    form = new TForm(Application);
    form->SetClientSize(400, 300);
  }
  TForm* form = nullptr;
};

// A control with its own scroll bars that logs what reaches it.
class TScroller : public TCustomControl {
 public:
  explicit TScroller(TComponent* o) : TCustomControl(o) {}
  std::vector<std::string> Log;
  std::vector<LPARAM> KeyData;
  std::vector<WPARAM> FocusFrom, FocusTo;
  std::vector<TRect> Clips;
  int Paints = 0;
  bool Follow = true;  // sets the bar to what the message asks
  TCursor SizeCursorBelow = crDefault;
  QWidget* ClientWidget() const override {
    TScrollFrame* f = ScrollFrameOf(this);
    return f ? f->Viewport() : peer_;
  }
  TRect ClientRect() const override { return ScrollFrameClientRect(this, 2); }

 protected:
  QWidget* CreatePeer(QWidget* parent) override {
    auto* f = new TScrollFrame(this, parent);
    f->SetBorder(2);
    return f;
  }
  void Paint() override {
    ++Paints;
    Clips.push_back(Canvas()->ClipRect());
  }
  void WndProc(TMessage& m) override {
    switch (m.Msg) {
      case WM_VSCROLL: {
        int code = static_cast<int>(m.WParam & 0xFFFF), pos = static_cast<int>(m.WParam >> 16);
        Log.push_back("v" + std::to_string(code) + ":" + std::to_string(pos));
        if (Follow && (code == SB_THUMBPOSITION || code == SB_LINEDOWN)) {
          SetScrollPos(Handle(), SB_VERT, code == SB_LINEDOWN ? GetScrollPos(Handle(), SB_VERT) + 1 : pos, true);
        }
        return;
      }
      case WM_TIMER: Log.push_back("timer" + std::to_string(m.WParam)); return;
      case WM_CAPTURECHANGED: Log.push_back("capture lost"); return;
      case WM_CANCELMODE: Log.push_back("cancel"); break;
      case WM_SETCURSOR:
        if (SizeCursorBelow != crDefault && ScreenToClient(GetMessagePos()).Y > 50) {
          ::SetCursor(Screen->Cursors(SizeCursorBelow));
          m.Result = 1;
          return;
        }
        break;
      case WM_KEYDOWN: case WM_CHAR: KeyData.push_back(m.LParam); break;
      case WM_SETFOCUS: FocusFrom.push_back(m.WParam); break;
      case WM_KILLFOCUS: FocusTo.push_back(m.WParam); break;
      default: break;
    }
    TCustomControl::WndProc(m);
  }
};

TScroller* MakeScroller(TForm* f, int x = 10) {
  auto* s = new TScroller(f);
  s->SetParent(f);
  s->SetBounds(x, 10, 200, 150);
  return s;
}

TEST_F(WindowServices, OwnScrollBarsShowWhenNeededAndReportTheUsersActions) {
  TScroller* s = MakeScroller(form);
  form->Show();
  HWND h = s->Handle();
  EXPECT_EQ(s->ClientRect(), TRect(0, 0, 196, 146)) << "inside the 2-pixel border";
  SCROLLINFO si;
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  si.nMin = 0;
  si.nMax = 99;
  si.nPage = 10;
  si.nPos = 95;
  EXPECT_EQ(SetScrollInfo(h, SB_VERT, si, true), 90) << "the position stops at nMax - nPage + 1";
  EXPECT_TRUE(ScrollBarShown(h, SB_VERT));
  EXPECT_EQ(s->ClientRect().Right, 196 - GetSystemMetrics(SM_CXVSCROLL));
  QScrollBar* bar = ScrollFrameOf(s)->Bar(SB_VERT);
  EXPECT_EQ(bar->width(), GetSystemMetrics(SM_CXVSCROLL));

  SetScrollPos(h, SB_VERT, 20, true);
  s->Follow = false;
  bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
  EXPECT_EQ(s->Log, std::vector<std::string>{"v3:0"});
  EXPECT_EQ(GetScrollPos(h, SB_VERT), 20) << "the bar moves only when the control sets it";
  EXPECT_EQ(bar->value(), 20);
  s->Follow = true;
  bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  EXPECT_EQ(GetScrollPos(h, SB_VERT), 21);
  EXPECT_EQ(bar->value(), 21);

  // A thumb drag: tracking positions while it moves, then the final position and the end.
  s->Log.clear();
  bar->setSliderDown(true);
  bar->setSliderPosition(40);
  SCROLLINFO t;
  t.fMask = SIF_TRACKPOS | SIF_POS;
  GetScrollInfo(h, SB_VERT, t);
  EXPECT_EQ(t.nTrackPos, 40);
  EXPECT_EQ(t.nPos, 21);
  bar->setSliderPosition(55);
  bar->setSliderDown(false);
  EXPECT_EQ(s->Log, (std::vector<std::string>{"v5:40", "v5:55", "v4:55", "v8:0"}));
  EXPECT_EQ(GetScrollPos(h, SB_VERT), 55);
  EXPECT_EQ(bar->pageStep(), 10);
  si.nPage = 0;  // no page: the position reaches nMax and the thumb keeps the style's one size
  si.nPos = 99;
  EXPECT_EQ(SetScrollInfo(h, SB_VERT, si, true), 99);
  EXPECT_EQ(bar->pageStep(), 0);
  si.nPage = 10;

  si.fMask = SIF_RANGE | SIF_PAGE;
  si.nMax = 5;
  SetScrollInfo(h, SB_VERT, si, true);
  EXPECT_FALSE(ScrollBarShown(h, SB_VERT)) << "a range that fits hides the bar";
  si.fMask |= SIF_DISABLENOSCROLL;
  SetScrollInfo(h, SB_VERT, si, true);
  EXPECT_TRUE(ScrollBarShown(h, SB_VERT)) << "or only disables it";
  EXPECT_FALSE(bar->isEnabled());
  EXPECT_EQ(SetScrollInfo(nullptr, SB_VERT, si, true), 0) << "no window, nothing to set";
}

TEST_F(WindowServices, TimersTickAsMessagesUntilKilledOrTheWindowGoes) {
  TScroller* s = MakeScroller(form);
  form->Show();
  HWND h = s->Handle();
  EXPECT_EQ(SetTimer(h, 7, 0), 7u);
  EXPECT_EQ(WindowTimerInterval(h, 7), 0u) << "a zero interval runs with every turn of the loop";
  QCoreApplication::processEvents();
  ASSERT_FALSE(s->Log.empty());
  EXPECT_EQ(s->Log.front(), "timer7");
  SetTimer(h, 7, 250);
  EXPECT_EQ(WindowTimerInterval(h, 7), 250u) << "setting it again restarts it";
  EXPECT_TRUE(KillTimer(h, 7));
  EXPECT_FALSE(KillTimer(h, 7));
  EXPECT_EQ(WindowTimerInterval(h, 7), 0u);
  SetTimer(h, 8, 500);
  delete s;
  EXPECT_EQ(WindowTimerInterval(h, 8), 0u) << "the window's timers end with it";
  EXPECT_EQ(SetTimer(h, 9, 10), 0u);
}

TEST_F(WindowServices, CaptureMovesBetweenWindowsAndCancelModeReachesTheHolder) {
  TScroller* a = MakeScroller(form);
  TScroller* b = MakeScroller(form, 220);
  form->Show();
  EXPECT_EQ(SetCapture(a->Handle()), nullptr);
  EXPECT_EQ(GetCapture(), a->Handle());
  EXPECT_EQ(SetCapture(b->Handle()), a->Handle());
  EXPECT_EQ(a->Log, std::vector<std::string>{"capture lost"});
  CancelCaptureMode();
  EXPECT_EQ(b->Log, (std::vector<std::string>{"cancel", "capture lost"}));
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(WindowServices, ACursorSetInWmSetCursorShowsUntilTheControlNoLongerAnswers) {
  TScroller* s = MakeScroller(form);
  s->SizeCursorBelow = crVSplit;
  form->Show();
  QWidget* w = s->ClientWidget();
  auto move = [&](int y) {
    QMouseEvent e(QEvent::MouseMove, QPointF(20, y), w->mapToGlobal(QPointF(20, y)), Qt::NoButton, Qt::NoButton,
                  Qt::NoModifier);
    QCoreApplication::sendEvent(w, &e);
  };
  move(80);
  EXPECT_EQ(w->cursor().shape(), Qt::SplitVCursor);
  move(20);
  EXPECT_EQ(w->cursor().shape(), Qt::ArrowCursor) << "the control's own cursor is back";
  EXPECT_NE(Screen->Cursors(crHSplit), nullptr) << "the standard cursors are registered";
}

TEST_F(WindowServices, RedrawCanBeSuspendedAndThePaintCoversOnlyTheInvalidArea) {
  TScroller* s = MakeScroller(form);
  form->Show();
  QCoreApplication::processEvents();
  s->Repaint();
  ASSERT_FALSE(s->Clips.empty());
  EXPECT_EQ(s->Clips.back(), s->ClientRect()) << "a whole repaint clips to the client area";
  s->Perform(WM_SETREDRAW, 0);
  int paints = s->Paints;
  s->Invalidate();
  s->Update();
  QCoreApplication::processEvents();
  EXPECT_EQ(s->Paints, paints) << "no drawing while suspended";
  s->Perform(WM_SETREDRAW, 1);
  QCoreApplication::processEvents();
  EXPECT_GT(s->Paints, paints);
  s->InvalidateRect(TRect(30, 40, 50, 45));
  s->Clips.clear();
  QCoreApplication::processEvents();
  ASSERT_EQ(s->Clips.size(), 1u);
  EXPECT_EQ(s->Clips[0], TRect(30, 40, 50, 45));
}

TEST_F(WindowServices, KeypadKeysCarryTheirFlagAndFocusMessagesNameTheOtherWindow) {
  TScroller* a = MakeScroller(form);
  TScroller* b = MakeScroller(form, 220);
  a->SetTabStop(true);
  b->SetTabStop(true);
  form->Show();
  form->Peer()->activateWindow();
  QApplication::setActiveWindow(form->Peer());
  QCoreApplication::processEvents();
  a->SetFocus();
  auto key = [&](TWinControl* c, int k, Qt::KeyboardModifiers m, const QString& t) {
    QKeyEvent press(QEvent::KeyPress, k, m, t);
    QCoreApplication::sendEvent(c->Peer(), &press);
  };
  key(a, Qt::Key_Period, Qt::KeypadModifier, ".");
  key(a, Qt::Key_Period, Qt::NoModifier, ".");
  ASSERT_EQ(a->KeyData.size(), 4u);  // key down and character, twice
  EXPECT_TRUE(a->KeyData[0] & KF_KEYPAD_LPARAM);
  EXPECT_TRUE(a->KeyData[1] & KF_KEYPAD_LPARAM) << "the character of a keypad key has it too";
  EXPECT_FALSE(a->KeyData[2] & KF_KEYPAD_LPARAM);
  EXPECT_FALSE(a->KeyData[3] & KF_KEYPAD_LPARAM);

  a->FocusTo.clear();
  b->FocusFrom.clear();
  b->SetFocus();
  ASSERT_FALSE(a->FocusTo.empty());
  EXPECT_EQ(a->FocusTo.back(), reinterpret_cast<WPARAM>(b->Handle())) << "the window taking the focus";
  ASSERT_FALSE(b->FocusFrom.empty());
  EXPECT_EQ(b->FocusFrom.back(), reinterpret_cast<WPARAM>(a->Handle())) << "the window that had it";
}

TEST_F(WindowServices, EnterAndExitSkipAParentWhenTheFocusStaysInsideIt) {
  auto* outer = new TScroller(form);
  outer->SetParent(form);
  outer->SetBounds(10, 10, 200, 200);
  auto* inner = new TEdit(form);
  inner->SetParent(outer);
  inner->SetBounds(5, 5, 80, 20);
  auto* elsewhere = new TEdit(form);
  elsewhere->SetParent(form);
  elsewhere->SetBounds(250, 10, 80, 20);
  std::string log;
  outer->OnEnter = [&](TObject*) { log += "outer+ "; };
  outer->OnExit = [&](TObject*) { log += "outer- "; };
  inner->OnEnter = [&](TObject*) { log += "inner+ "; };
  inner->OnExit = [&](TObject*) { log += "inner- "; };
  form->Show();
  outer->SetFocus();
  inner->SetFocus();
  outer->SetFocus();
  EXPECT_EQ(log, "outer+ inner+ inner- ") << "between a control and one inside it the outer stays entered";
  log.clear();
  inner->SetFocus();
  elsewhere->SetFocus();
  EXPECT_EQ(log, "inner+ inner- outer- ");
  log.clear();
  inner->SetFocus();
  EXPECT_EQ(log, "outer+ inner+ ") << "entering from outside enters the parent first";
}

// A control that removes itself in its own OnClick, as a cell button removing its row does.
class TSelfFreeing : public TCustomControl {
 public:
  explicit TSelfFreeing(TComponent* o) : TCustomControl(o) { controlStyle_ |= csClickEvents; }
  static int MouseUps;
  void MouseUp(TMouseButton b, TShiftState s, int x, int y) override {
    ++MouseUps;
    TCustomControl::MouseUp(b, s, x, y);
  }
};
int TSelfFreeing::MouseUps = 0;

TEST_F(WindowServices, AControlFreedInItsOwnOnClickIsNotTouchedAfterwards) {
  auto* c = new TSelfFreeing(form);
  c->SetParent(form);
  c->SetBounds(10, 10, 50, 30);
  bool freed = false;
  c->OnClick = [&](TObject* sender) {
    delete static_cast<TSelfFreeing*>(sender);
    freed = true;
  };
  auto* b = new TButton(form);
  b->SetParent(form);
  b->SetBounds(100, 10, 60, 25);
  bool buttonFreed = false;
  b->OnClick = [&](TObject* sender) {
    delete static_cast<TButton*>(sender);
    buttonFreed = true;
  };
  form->Show();
  TSelfFreeing::MouseUps = 0;
  ClickAt(c, 5, 5);
  EXPECT_TRUE(freed);
  EXPECT_EQ(TSelfFreeing::MouseUps, 0) << "no MouseUp after the click freed the control";
  ClickAt(b, 5, 5);
  EXPECT_TRUE(buttonFreed);
  EXPECT_EQ(form->ControlCount(), 0);
}

TEST_F(WindowServices, FeedbackMarksRepaintOnlyTheStripsTheyCover) {
  TScroller* s = MakeScroller(form);
  form->Show();
  QCoreApplication::processEvents();
  s->Repaint();
  TControlFeedback fb(s);
  s->Clips.clear();
  fb.SetMarks({TRect(40, 0, 41, 100)});
  QCoreApplication::processEvents();
  ASSERT_EQ(s->Clips.size(), 1u);
  EXPECT_EQ(s->Clips[0], TRect(40, 0, 41, 100));
  s->Clips.clear();
  fb.SetMarks({TRect(60, 0, 61, 100)});
  QCoreApplication::processEvents();
  ASSERT_EQ(s->Clips.size(), 1u);
  EXPECT_EQ(s->Clips[0], TRect(40, 0, 61, 100)) << "the old strip and the new one";
  QImage img = s->ClientWidget()->grab().toImage();
  EXPECT_EQ(img.pixelColor(60, 50), QColor(Qt::black)) << "the mark is drawn over the paint";
  fb.Clear();
  QCoreApplication::processEvents();
  img = s->ClientWidget()->grab().toImage();
  EXPECT_NE(img.pixelColor(60, 50), QColor(Qt::black));
}

}  // namespace
