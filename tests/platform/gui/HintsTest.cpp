// The hint window and its life, actions, and the help key from forms and menus.
#include <gtest/gtest.h>

#include <QApplication>
#include <QHelpEvent>
#include <QMenu>
#include <QMenuBar>

#include "GuiProbes.h"
#include "platform/gui/Hints.h"
#include "platform/gui/Menus.h"
#include "platform/gui/testing/GuiTest.h"

namespace {

class Hints : public TGuiTest {
 protected:
  void TearDown() override {
    Application->CancelHint();
    Application->OnHelp = nullptr;
    TGuiTest::TearDown();
  }
  static void Rest(TWinControl* c, QPoint p) {
    QHelpEvent e(QEvent::ToolTip, p, c->ClientWidget()->mapToGlobal(p));
    QCoreApplication::sendEvent(c->ClientWidget(), &e);
  }
  static bool Showing() { return Application->HintWindow() && Application->HintWindow()->Active(); }
};

// A control whose hint holds only over its left half.
class THalfHint : public TProbe {
 public:
  using TProbe::TProbe;

 protected:
  void CMHintShow(TMessage& m) override {
    auto* info = reinterpret_cast<THintInfo*>(m.LParam);
    info->CursorRect = TRect(0, 0, Width() / 2, Height());
  }
};

TEST_F(Hints, TheHintStaysInItsCursorRectAndGoesOnLeavingClickingOrTyping) {
  auto* f = new TForm(Application);
  f->SetClientSize(200, 100);
  auto* half = new THalfHint(f);
  half->SetBounds(0, 0, 100, 50);
  half->SetHint("left|Left half");
  half->SetShowHint(true);
  half->SetParent(f);
  auto* other = new TProbe(f);
  other->SetBounds(100, 0, 100, 50);
  other->SetParent(f);
  f->Show();

  Rest(half, QPoint(10, 10));
  ASSERT_TRUE(Showing());
  EXPECT_EQ(Application->HintWindow()->Caption(), "left") << "the pop-up shows the short hint";
  const TRect r = Application->HintWindow()->BoundsRect();
  const QPoint screen = half->Peer()->mapToGlobal(QPoint(10, 10));
  EXPECT_EQ(r.Left, screen.x());
  EXPECT_EQ(r.Top, screen.y() + 20) << "below the pointer";
  SendMouse(half, QEvent::MouseMove, 40, 20);
  EXPECT_TRUE(Showing());
  SendMouse(half, QEvent::MouseMove, 60, 20);
  EXPECT_FALSE(Showing()) << "out of the cursor rectangle";

  Rest(half, QPoint(10, 10));
  ASSERT_TRUE(Showing());
  SendMouse(other, QEvent::MouseMove, 5, 5);
  EXPECT_FALSE(Showing()) << "over another control";

  Rest(half, QPoint(10, 10));
  ClickAt(half, 10, 10);
  EXPECT_FALSE(Showing()) << "a click";

  Rest(half, QPoint(10, 10));
  SendKey(half, Qt::Key_A, Qt::NoModifier, "a");
  EXPECT_FALSE(Showing()) << "a key";

  Rest(half, QPoint(10, 10));
  ASSERT_TRUE(Showing());
  delete half;
  EXPECT_FALSE(Showing()) << "the control is gone";
  EXPECT_EQ(Application->HintControl(), nullptr);
}

// A hint window of its own, as a control with markup hints brings.
class TBigHintWindow : public THintWindow {
 public:
  using THintWindow::THintWindow;
  static inline void* LastData = nullptr;
  TRect CalcHintRect(int, const std::string&, void* AData) override {
    LastData = AData;
    return TRect(0, 0, 300, 40);
  }
};

int gHintData = 7;

class TOwnWindowProbe : public TProbe {
 public:
  using TProbe::TProbe;

 protected:
  void CMHintShow(TMessage& m) override {
    auto* info = reinterpret_cast<THintInfo*>(m.LParam);
    info->HintWindowClass = MakeHintWindow<TBigHintWindow>;
    info->HintData = &gHintData;
  }
};

TEST_F(Hints, AControlMayShowItsHintInAWindowClassOfItsOwn) {
  auto* f = new TForm(Application);
  f->SetClientSize(200, 100);
  auto* own = new TOwnWindowProbe(f);
  own->SetBounds(0, 0, 100, 50);
  own->SetHint("own");
  own->SetShowHint(true);
  own->SetParent(f);
  auto* plain = new TProbe(f);
  plain->SetBounds(100, 0, 100, 50);
  plain->SetHint("plain");
  plain->SetShowHint(true);
  plain->SetParent(f);
  f->Show();

  Rest(own, QPoint(5, 5));
  ASSERT_TRUE(Showing());
  EXPECT_NE(dynamic_cast<TBigHintWindow*>(Application->HintWindow()), nullptr);
  EXPECT_EQ(TBigHintWindow::LastData, &gHintData);
  EXPECT_EQ(Application->HintWindow()->Width(), 300);
  Rest(plain, QPoint(5, 5));
  ASSERT_TRUE(Showing());
  EXPECT_EQ(dynamic_cast<TBigHintWindow*>(Application->HintWindow()), nullptr) << "back to the plain class";
  EXPECT_EQ(Application->HintWindow()->Caption(), "plain");
}

TEST_F(Hints, TheHintWindowStaysOnTheScreen) {
  THintWindow* w = HintWindowClass(nullptr);
  const int sw = Screen->Width(), sh = Screen->Height();
  w->ActivateHint(TRect(sw - 30, sh - 5, sw + 70, sh + 15), "edge");
  EXPECT_EQ(w->BoundsRect(), TRect(sw - 100, sh - 20, sw, sh));
  // Wider than the screen: the left edge stays on it.
  w->ActivateHint(TRect(10, 10, sw + 100, 30), "wide");
  EXPECT_EQ(w->Left(), 0);
  const TRect needed = w->CalcHintRect(1000, "two words", nullptr);
  const TRect narrow = w->CalcHintRect(needed.Width() / 2, "two words", nullptr);
  EXPECT_GT(narrow.Height(), needed.Height()) << "a narrow maximum wraps the text";
  delete w;
}

// Records which actions reach it.
class TActionProbe : public TProbe {
 public:
  using TProbe::TProbe;
  std::vector<std::string> Heard;
  bool Take = true;
  bool ExecuteAction(TBasicAction* Action) override {
    auto* h = dynamic_cast<THintAction*>(Action);
    if (!h) return false;
    Heard.push_back(h->Hint());
    return Take;
  }
};

TEST_F(Hints, TheHintTravelsAsAnActionToTheActiveFormThenTheMainForm) {
  auto* main = new TForm(Application);
  Application->SetMainForm(main);
  auto* onMain = new TActionProbe(main);
  onMain->SetParent(main);
  main->Show();
  auto* dialog = new TForm(Application);
  auto* first = new TActionProbe(dialog);
  first->SetParent(dialog);
  auto* second = new TActionProbe(dialog);
  second->SetParent(dialog);
  dialog->Show();
  ASSERT_EQ(Screen->ActiveForm(), dialog);
  Application->OnHint = nullptr;

  Application->SetHint("one");
  EXPECT_EQ(first->Heard, std::vector<std::string>{"one"});
  EXPECT_TRUE(second->Heard.empty()) << "the first taker ends the search";
  EXPECT_TRUE(onMain->Heard.empty());
  first->Take = false;
  second->Take = false;
  Application->SetHint("two");
  EXPECT_EQ(second->Heard, std::vector<std::string>{"two"});
  EXPECT_EQ(onMain->Heard, std::vector<std::string>{"two"}) << "nobody on the active form took it";
  Application->SetHint("two");
  EXPECT_EQ(onMain->Heard.size(), 1u) << "the same hint again is no news";
  Application->SetHint("");
  Application->SetMainForm(nullptr);
}

// The status line shows the long hint of the control last under the mouse; once that control's
// window is gone, the line must not go on naming a control nobody can see.
TEST_F(Hints, TheLongHintEmptiesWhenTheHintedControlsWindowGoes) {
  auto* frame = new TForm(Application);
  Application->SetMainForm(frame);
  frame->SetFormStyle(fsMDIForm);
  frame->SetBounds(0, 0, 400, 300);
  frame->Show();
  std::vector<std::string> shown;
  Application->OnHint = [&](TObject*) { shown.push_back(Application->Hint()); };
  auto makeChild = [&](const std::string& hint) {
    auto* child = new TForm(Application);
    child->SetFormStyle(fsMDIChild);
    child->SetBounds(10, 10, 200, 150);
    auto* send = new TProbe(child);
    send->SetBounds(10, 10, 60, 25);
    send->SetHint(hint);
    send->SetParent(child);
    child->Show();
    SendMouse(send, QEvent::MouseMove, 5, 5, Qt::NoButton);
    // The pointer leaves for the child's caption (no control of the program's) to close it.
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(send->ClientWidget(), &leave);
    return child;
  };

  TForm* freed = makeChild("Send|Sends the bytes");
  ASSERT_EQ(Application->Hint(), "Sends the bytes");
  freed->BeforeDestruction();
  delete freed;
  Application->ProcessMessages();
  EXPECT_EQ(Application->Hint(), "") << "a freed window takes its control's hint along";
  EXPECT_EQ(shown, (std::vector<std::string>{"Sends the bytes", ""}));

  TForm* hidden = makeChild("Write|Writes the page");
  ASSERT_EQ(Application->Hint(), "Writes the page");
  hidden->Hide();
  Application->ProcessMessages();
  EXPECT_EQ(Application->Hint(), "") << "so does a hidden one";

  // A newer hint is left alone by a window that goes afterwards.
  TForm* other = makeChild("Read|Reads the page");
  auto* onFrame = new TProbe(frame);
  onFrame->SetHint("Frame control");
  onFrame->SetAlign(alTop);
  onFrame->SetParent(frame);
  SendMouse(onFrame, QEvent::MouseMove, 2, 2, Qt::NoButton);
  ASSERT_EQ(Application->Hint(), "Frame control");
  other->Hide();
  Application->ProcessMessages();
  EXPECT_EQ(Application->Hint(), "Frame control") << "the hint came from a window that stays";

  Application->OnHint = nullptr;
  Application->SetMainForm(nullptr);
}

using Help = Hints;

struct THelpLog {
  THelpLog() {
    Application->OnHelp = [this](WORD command, intptr_t data, bool& callHelp) {
      Asked.emplace_back(command, data);
      callHelp = false;
      return true;
    };
  }
  std::vector<std::pair<WORD, intptr_t>> Asked;
};

TEST_F(Help, F1AsksForTheNearestContextFromTheControlWithTheKeysUp) {
  auto* f = new TForm(Application);
  f->SetHelpContext(10);
  auto* panel = new TProbe(f);
  panel->SetBounds(0, 0, 100, 100);
  panel->SetHelpContext(20);
  panel->SetParent(f);
  auto* inner = new TProbe(panel);
  inner->SetBounds(10, 10, 50, 50);
  inner->SetParent(panel);
  f->Show();
  THelpLog log;
  SendKey(inner, Qt::Key_F1);
  inner->SetHelpContext(30);
  SendKey(inner, Qt::Key_F1);
  SendKey(f, Qt::Key_F1);
  SendKey(inner, Qt::Key_F1, Qt::ControlModifier);  // not the help key
  inner->OnKeyDown = [](TObject*, WORD& key, TShiftState) { key = 0; };
  SendKey(inner, Qt::Key_F1);  // a handler that takes the key keeps it
  const std::vector<std::pair<WORD, intptr_t>> expected = {
      {HELP_CONTEXT, 20}, {HELP_CONTEXT, 30}, {HELP_CONTEXT, 10}};
  EXPECT_EQ(log.Asked, expected);
}

TEST_F(Help, WithoutAContextTheFrameOrTheContentsAnswer) {
  auto* frame = new TForm(Application);
  Application->SetMainForm(frame);
  frame->SetFormStyle(fsMDIForm);
  frame->SetBounds(0, 0, 400, 300);
  frame->SetHelpContext(10);
  frame->Show();
  auto* child = new TForm(Application);
  child->SetFormStyle(fsMDIChild);
  auto* edit = new TProbe(child);
  edit->SetParent(child);
  child->Show();
  auto* lone = new TForm(Application);
  lone->Show();
  THelpLog log;
  SendKey(edit, Qt::Key_F1);
  SendKey(lone, Qt::Key_F1);
  const std::vector<std::pair<WORD, intptr_t>> expected = {{HELP_CONTEXT, 10}, {HELP_FINDER, 0}};
  EXPECT_EQ(log.Asked, expected);
  Application->SetMainForm(nullptr);
}

TEST_F(Help, F1InAnOpenMenuClosesItAndAsksForTheItemsContext) {
  auto* f = new TForm(Application);
  f->SetBounds(0, 0, 300, 200);
  f->SetHelpContext(10);
  auto* m = new TMainMenu(f);
  auto* file = new TMenuItem(f);
  file->SetCaption("&File");
  auto* open = new TMenuItem(f);
  open->SetCaption("&Open");
  open->SetHelpContext(40);
  auto* exit = new TMenuItem(f);
  exit->SetCaption("E&xit");
  file->Add({open, exit});
  m->Items()->Add(file);
  f->SetMenu(m);
  f->Show();
  THelpLog log;
  QMenu* popup = file->SubMenu();
  for (TMenuItem* item : {open, exit}) {
    popup->popup(QPoint(10, 10));
    ASSERT_TRUE(popup->isVisible());
    popup->setActiveAction(item->Action());
    QKeyEvent press(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
    QCoreApplication::sendEvent(popup, &press);
    EXPECT_FALSE(popup->isVisible()) << item->Caption();
    Application->ProcessMessages();
  }
  const std::vector<std::pair<WORD, intptr_t>> expected = {{HELP_CONTEXT, 40}, {HELP_CONTEXT, 10}};
  EXPECT_EQ(log.Asked, expected) << "an item without a context asks for its form's";
}

}  // namespace
