// Which control a click focuses, and focus changes asked for while another runs.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <string>

#include "GuiProbes.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/testing/GuiTest.h"

namespace {

class Focus : public TGuiTest {};

// A real click, as the window system delivers it.
void UserClick(TWinControl* c, int x, int y) {
  QTest::mouseClick(c->ClientWidget(), Qt::LeftButton, Qt::NoModifier, QPoint(x, y));
}

bool HasKeyboardFocus(TWinControl* c) { return c->Peer() && c->Peer()->hasFocus(); }

}  // namespace

TEST_F(Focus, AClickFocusesOnlyControlsWhosePolicySaysSo) {
  auto* f = new TForm(Application);
  f->SetBounds(0, 0, 400, 300);
  auto* panel = new TPanel(f);
  panel->SetParent(f);
  panel->SetBounds(0, 100, 400, 200);
  auto* a = new TProbe(f);
  a->SetParent(f);
  a->SetBounds(10, 10, 50, 50);
  auto* quiet = new TProbe(panel);
  quiet->SetParent(panel);
  quiet->SetBounds(10, 10, 50, 50);
  quiet->SetClickFocus(false);
  quiet->SetTabStop(true);
  f->Show();
  QApplication::processEvents();

  EXPECT_TRUE(a->ClickFocus()) << "controls take the focus on a click unless they say otherwise";
  EXPECT_FALSE(f->ClickFocus());
  EXPECT_FALSE(panel->ClickFocus());
  UserClick(a, 5, 5);
  EXPECT_TRUE(HasKeyboardFocus(a));
  EXPECT_EQ(f->ActiveControl(), a);

  UserClick(quiet, 5, 5);
  EXPECT_TRUE(HasKeyboardFocus(a)) << "neither the control nor a parent of it takes the focus";
  EXPECT_EQ(f->ActiveControl(), a);
  UserClick(panel, 300, 150);
  UserClick(f, 300, 50);
  EXPECT_TRUE(HasKeyboardFocus(a)) << "containers leave the focus where it is";

  SendKey(a, Qt::Key_Tab);
  EXPECT_EQ(f->ActiveControl(), quiet) << "Tab still reaches a tab stop that takes no click focus";
  EXPECT_TRUE(HasKeyboardFocus(quiet));
  quiet->SetClickFocus(true);
  a->SetFocus();
  UserClick(quiet, 5, 5);
  EXPECT_EQ(f->ActiveControl(), quiet);
}

TEST_F(Focus, AHandlerSendingTheFocusBackIsServedAfterTheChange) {
  auto* f = new TForm(Application);
  auto* a = new TProbe(f);
  auto* b = new TProbe(f);
  a->SetParent(f);
  b->SetParent(f);
  b->SetTop(60);
  std::string log;
  bool refuse = true;
  a->OnEnter = [&](TObject*) { log += "a+ "; };
  b->OnEnter = [&](TObject*) { log += "b+ "; };
  b->OnExit = [&](TObject*) { log += "b- "; };
  a->OnExit = [&](TObject*) {
    log += "a- ";
    if (refuse) a->SetFocus();
  };
  f->Show();
  a->SetFocus();
  log.clear();
  b->SetFocus();
  EXPECT_EQ(log, "a- b+ ") << "no change starts inside another";
  EXPECT_EQ(f->ActiveControl(), b);
  Application->ProcessMessages();
  EXPECT_EQ(log, "a- b+ b- a+ ");
  EXPECT_EQ(f->ActiveControl(), a);
  EXPECT_TRUE(HasKeyboardFocus(a));

  // Two handlers that each send the focus back: the return is served, a return of it is not.
  b->OnExit = [&](TObject*) {
    log += "b- ";
    b->SetFocus();
  };
  log.clear();
  b->SetFocus();
  Application->ProcessMessages();
  Application->ProcessMessages();
  EXPECT_EQ(log, "a- b+ b- a+ ");
  EXPECT_EQ(f->ActiveControl(), a);

  // A control gone before its turn is not focused.
  refuse = true;
  b->OnExit = nullptr;
  log.clear();
  b->SetFocus();
  delete a;
  Application->ProcessMessages();
  EXPECT_EQ(f->ActiveControl(), b);
}

TEST_F(Focus, DestroyingAControlWhoseChildHasTheFocusLeavesTheFormPointingAtNothing) {
  auto* f = new TForm(Application);
  f->SetBounds(0, 0, 400, 300);
  auto* panel = new TPanel(f);
  panel->SetParent(f);
  panel->SetBounds(0, 0, 200, 200);
  auto* inner = new TProbe(panel);
  inner->SetParent(panel);
  inner->SetBounds(10, 10, 50, 50);
  auto* other = new TProbe(f);
  other->SetParent(f);
  other->SetBounds(250, 10, 50, 50);
  f->Show();
  QApplication::processEvents();
  inner->SetFocus();
  ASSERT_EQ(f->ActiveControl(), inner);
  delete panel;
  EXPECT_EQ(f->ActiveControl(), nullptr);
  other->SetFocus();  // would reach the freed control if the form still held it
  EXPECT_EQ(f->ActiveControl(), other);
  delete f;
}
