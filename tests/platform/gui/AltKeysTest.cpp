// Alt+letter in an MDI frame: the active child's controls come before the frame's menu bar.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

#include "platform/gui/Forms.h"
#include "platform/gui/Menus.h"
#include "platform/gui/StdCtrls.h"
#include "platform/gui/testing/GuiTest.h"

namespace {

class AltKeys : public TGuiTest {
 protected:
  void TearDown() override {
    if (QWidget* p = QApplication::activePopupWidget()) p->close();
    TGuiTest::TearDown();
  }
};

struct Frame {
  TForm* form;
  TMenuItem* device;
  TMenuItem* window;
  QMenuBar* bar;
};

TMenuItem* TopItem(TForm* owner, TMainMenu* m, const std::string& caption) {
  auto* it = new TMenuItem(owner);
  it->SetCaption(caption);
  auto* sub = new TMenuItem(owner);
  sub->SetCaption(caption + " item");
  it->Add(sub);
  m->Items()->Add(it);
  return it;
}

Frame MakeFrame() {
  auto* frame = new TForm(Application);
  Application->SetMainForm(frame);
  frame->SetFormStyle(fsMDIForm);
  frame->SetBounds(0, 0, 600, 400);
  auto* menu = new TMainMenu(frame);
  TopItem(frame, menu, "&File");
  TMenuItem* device = TopItem(frame, menu, "&Device");
  TMenuItem* window = TopItem(frame, menu, "&Window");
  frame->SetMenu(menu);
  frame->Show();
  return {frame, device, window, frame->Peer()->findChild<QMenuBar*>()};
}

TForm* MakeChild() {
  auto* child = new TForm(Application);
  child->SetCaption("Universal");
  child->SetFormStyle(fsMDIChild);
  child->SetBounds(10, 10, 300, 200);
  return child;
}

TButton* AddButton(TForm* child, const std::string& caption, int top) {
  auto* b = new TButton(child);
  b->SetCaption(caption);
  b->SetBounds(10, top, 80, 25);
  b->SetParent(child);
  return b;
}

// Alt+key through the window system's path (shortcut override first, then the key press) to
// the widget that has the keyboard focus.
void AltKey(Qt::Key key) {
  QWidget* w = QApplication::focusWidget();
  ASSERT_NE(w, nullptr);
  QTest::keyClick(w, key, Qt::AltModifier);
}

bool MenuOpen(TMenuItem* item) { return item->SubMenu() && item->SubMenu()->isVisible(); }

void PrepareFocus(TForm* frame, TButton* focused) {
  frame->Peer()->activateWindow();
  QApplication::processEvents();
  focused->SetFocus();
  QApplication::processEvents();
}

TEST_F(AltKeys, TheActiveChildsButtonTakesItsLetterBeforeTheMenuBar) {
  Frame f = MakeFrame();
  ASSERT_NE(f.bar, nullptr);
  TForm* child = MakeChild();
  TButton* send = AddButton(child, "Sen&d", 10);
  TButton* other = AddButton(child, "&Other", 50);
  TButton* win = AddButton(child, "&Write", 90);
  int sends = 0, others = 0, writes = 0;
  send->OnClick = [&](TObject*) { ++sends; };
  other->OnClick = [&](TObject*) { ++others; };
  win->OnClick = [&](TObject*) { ++writes; };
  PrepareFocus(f.form, other);
  ASSERT_EQ(QApplication::activeWindow(), f.form->Peer()) << "menu-bar mnemonics act only in the active window";
  ASSERT_TRUE(other->Peer()->hasFocus());

  AltKey(Qt::Key_D);
  EXPECT_EQ(sends, 1) << "Alt+D clicks Send";
  EXPECT_FALSE(MenuOpen(f.device)) << "the Device menu stays shut";
  EXPECT_EQ(f.bar->activeAction(), nullptr);
  AltKey(Qt::Key_W);
  EXPECT_EQ(writes, 1) << "Alt+W clicks the child's button, not the Window menu";
  EXPECT_FALSE(MenuOpen(f.window));
  EXPECT_EQ(others, 0);

  // A disabled or hidden control gives its letter up to the menu bar.
  send->SetEnabled(false);
  AltKey(Qt::Key_D);
  EXPECT_EQ(sends, 1);
  EXPECT_TRUE(MenuOpen(f.device)) << "with no control of that letter Alt+D opens the Device menu";
}

TEST_F(AltKeys, WithoutSuchAControlTheMenuBarTakesTheLetter) {
  Frame f = MakeFrame();
  TForm* child = MakeChild();
  TButton* other = AddButton(child, "&Other", 50);
  int others = 0;
  other->OnClick = [&](TObject*) { ++others; };
  PrepareFocus(f.form, other);
  ASSERT_TRUE(other->Peer()->hasFocus());

  AltKey(Qt::Key_D);
  EXPECT_TRUE(MenuOpen(f.device));
  ASSERT_NE(f.bar->activeAction(), nullptr);
  EXPECT_EQ(f.bar->activeAction()->menu(), f.device->SubMenu());
  EXPECT_EQ(others, 0);
}

TEST_F(AltKeys, ALabelsLetterFocusesItsControlInsteadOfOpeningTheMenu) {
  Frame f = MakeFrame();
  TForm* child = MakeChild();
  TButton* other = AddButton(child, "&Other", 50);
  TButton* target = AddButton(child, "Target", 90);
  auto* label = new TLabel(child);
  label->SetCaption("&Data");
  label->SetBounds(120, 10, 60, 15);
  label->SetFocusControl(target);
  label->SetParent(child);
  PrepareFocus(f.form, other);

  AltKey(Qt::Key_D);
  EXPECT_TRUE(target->Peer()->hasFocus());
  EXPECT_FALSE(MenuOpen(f.device));
}

}  // namespace
