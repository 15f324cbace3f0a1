#include <gtest/gtest.h>

#include <QLineEdit>

#include "GuiProbes.h"
#include "platform/gui/Menus.h"
#include "platform/gui/QtPeer.h"
#include "platform/gui/testing/GuiTest.h"

namespace {

class Keys : public TGuiTest {};

TEST(KeyMapping, QtKeysBecomeVirtualKeysWithShiftStates) {
  EXPECT_EQ(VirtualKeyFromQt(Qt::Key_A, Qt::NoModifier), 'A');
  EXPECT_EQ(VirtualKeyFromQt(Qt::Key_Exclam, Qt::ShiftModifier), '1') << "shifted digits keep their key";
  EXPECT_EQ(VirtualKeyFromQt(Qt::Key_5, Qt::KeypadModifier), VK_NUMPAD5);
  EXPECT_EQ(VirtualKeyFromQt(Qt::Key_Plus, Qt::KeypadModifier), VK_ADD);
  EXPECT_EQ(VirtualKeyFromQt(Qt::Key_Enter, Qt::KeypadModifier), VK_RETURN);
  EXPECT_EQ(VirtualKeyFromQt(Qt::Key_F5, Qt::NoModifier), VK_F5);
  EXPECT_EQ(VirtualKeyFromQt(Qt::Key_Backtab, Qt::ShiftModifier), VK_TAB);
  EXPECT_EQ(VirtualKeyFromQt(Qt::Key_PageDown, Qt::NoModifier), VK_NEXT);
  EXPECT_EQ(VirtualKeyFromQt(Qt::Key_Minus, Qt::NoModifier), VK_OEM_MINUS);
  EXPECT_EQ(QtKeyFromVirtualKey(VK_RIGHT), Qt::Key_Right);
  EXPECT_EQ(ShiftFromQt(Qt::ShiftModifier | Qt::ControlModifier, Qt::LeftButton), ssShift | ssCtrl | ssLeft);
  EXPECT_EQ(ShiftFromQt(Qt::AltModifier), static_cast<TShiftState>(ssAlt));
}

// A control over a Qt line edit, the way standard controls are built.
class TLineProbe : public TWinControl {
 public:
  using TWinControl::TWinControl;
  QLineEdit* Edit() const { return static_cast<QLineEdit*>(Peer()); }

 protected:
  QWidget* CreatePeer(QWidget* parent) override { return new TPeer<QLineEdit>(this, parent); }
  void WMGetDlgCode(TMessage& m) override { m.Result = DLGC_WANTARROWS | DLGC_WANTCHARS; }
};

TEST_F(Keys, HandlersMayChangeOrDropKeysAndCharacters) {
  auto* f = new TForm(Application);
  auto* e = new TLineProbe(f);
  e->SetBounds(0, 0, 100, 20);
  e->SetParent(f);
  f->Show();
  std::vector<WORD> downs;
  e->OnKeyDown = [&](TObject*, WORD& k, TShiftState) {
    downs.push_back(k);
    if (k == 'X') k = 0;  // the key is dropped, its character still comes
  };
  e->OnKeyPress = [&](TObject*, char& c) {
    if (c == 'a') c = 'b';
    if (c == 'q') c = 0;
  };
  SendKey(e, Qt::Key_A, Qt::NoModifier, "a");
  SendKey(e, Qt::Key_Q, Qt::NoModifier, "q");
  SendKey(e, Qt::Key_X, Qt::NoModifier, "x");
  SendKey(e, Qt::Key_C, Qt::NoModifier, "c");
  EXPECT_EQ(e->Edit()->text().toStdString(), "bxc");
  EXPECT_EQ(downs, (std::vector<WORD>{'A', 'Q', 'X', 'C'}));
}

// A widget that edits for itself gets the typed character whole, or the character of the
// byte a handler put in its place.
TEST_F(Keys, WidgetsGetWholeCharactersWhateverTheHandlerSaw) {
  auto* f = new TForm(Application);
  auto* e = new TLineProbe(f);
  e->SetBounds(0, 0, 100, 20);
  e->SetParent(f);
  f->Show();
  std::vector<int> seen;
  e->OnKeyPress = [&](TObject*, char& c) {
    seen.push_back(static_cast<unsigned char>(c));
    if (static_cast<unsigned char>(c) == 0xE9) c = static_cast<char>(0xC9);  // é -> É
    if (static_cast<unsigned char>(c) == 0x80) c = 0;                        // € dropped
  };
  SendKey(e, 0, Qt::NoModifier, QString(QChar(0x00FC)));
  SendKey(e, 0, Qt::NoModifier, QString(QChar(0x00E9)));
  SendKey(e, 0, Qt::NoModifier, QString(QChar(0x20AC)));
  SendKey(e, 0, Qt::NoModifier, QString(QChar(0x0416)));
  EXPECT_EQ(e->Edit()->text(), QString::fromUtf8("\xC3\xBC\xC3\x89\xD0\x96"));
  EXPECT_EQ(seen, (std::vector<int>{0xFC, 0xE9, 0x80, '?'}));
}

TEST_F(Keys, KeyPreviewLetsTheFormSeeKeysFirst) {
  auto* f = new TForm(Application);
  auto* p = new TProbe(f);
  p->SetParent(f);
  p->SetTabStop(true);
  f->Show();
  std::string order;
  f->OnKeyDown = [&](TObject*, WORD& k, TShiftState) {
    order += "form ";
    if (k == VK_F2) k = 0;
  };
  p->OnKeyDown = [&](TObject*, WORD&, TShiftState) { order += "control "; };
  SendKey(p, Qt::Key_F3);
  EXPECT_EQ(order, "control ") << "without KeyPreview the form does not see the control's keys";
  order.clear();
  f->SetKeyPreview(true);
  SendKey(p, Qt::Key_F3);
  SendKey(p, Qt::Key_F2);
  EXPECT_EQ(order, "form control form ");
}

TEST_F(Keys, TabMovesThroughTheTabOrderAndReturnReachesTheDefaultButton) {
  auto* f = new TForm(Application);
  auto* a = new TProbe(f);
  auto* b = new TProbe(f);
  auto* c = new TProbe(f);
  auto* ok = new TProbe(f);
  for (TProbe* p : {a, b, c, ok}) p->SetParent(f);
  a->SetTabStop(true);
  c->SetTabStop(true);
  ok->SetTabStop(true);
  ok->DefaultButton = true;
  c->SetTabOrder(0);  // c, a, b, ok
  f->Show();
  a->SetFocus();
  EXPECT_EQ(f->ActiveControl(), a);
  SendKey(a, Qt::Key_Tab);
  EXPECT_EQ(f->ActiveControl(), ok) << "b is no tab stop";
  SendKey(ok, Qt::Key_Tab);
  EXPECT_EQ(f->ActiveControl(), c) << "the order wraps around";
  SendKey(c, Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_EQ(f->ActiveControl(), ok);

  int keys = 0;
  c->OnKeyDown = [&](TObject*, WORD&, TShiftState) { ++keys; };
  c->SetFocus();
  SendKey(c, Qt::Key_Return);
  EXPECT_EQ(ok->Log, (std::vector<std::string>{"default"}));
  EXPECT_EQ(keys, 0) << "a dialog key is not seen by the control";
  c->DlgCode = DLGC_WANTALLKEYS;
  SendKey(c, Qt::Key_Return);
  EXPECT_EQ(keys, 1) << "a control that wants every key keeps Return";
  EXPECT_EQ(ok->Log.size(), 1u);
}

TEST_F(Keys, EnterAndExitFollowTheActiveControl) {
  auto* f = new TForm(Application);
  auto* a = new TProbe(f);
  auto* b = new TProbe(f);
  a->SetParent(f);
  b->SetParent(f);
  std::string log;
  a->OnEnter = [&](TObject*) { log += "a+"; };
  a->OnExit = [&](TObject*) { log += "a-"; };
  b->OnEnter = [&](TObject*) { log += "b+"; };
  f->Show();
  a->SetFocus();
  b->SetFocus();
  EXPECT_EQ(log, "a+a-b+");
  EXPECT_EQ(Screen->ActiveControl(), b);
}

TEST_F(Keys, AltLettersReachMnemonicsAndShortcutsReachMenuItems) {
  auto* f = new TForm(Application);
  auto* p = new TProbe(f);
  p->SetParent(f);
  p->SetTabStop(true);
  auto* label = new TProbe(f);
  label->SetCaption("&Address");
  label->SetParent(f);
  auto* menu = new TMainMenu(f);
  auto* file = new TMenuItem(f);
  file->SetCaption("&File");
  auto* save = new TMenuItem(f);
  save->SetCaption("&Save");
  save->SetShortCut(ShortCut('S', ssCtrl));
  int saves = 0, keys = 0;
  save->OnClick = [&](TObject*) { ++saves; };
  file->Add(save);
  menu->Items()->Add(file);
  f->SetMenu(menu);
  f->Show();
  p->SetFocus();
  SendKey(p, Qt::Key_A, Qt::AltModifier);
  EXPECT_EQ(label->Log, (std::vector<std::string>{"accel"}));
  p->OnKeyDown = [&](TObject*, WORD&, TShiftState) { ++keys; };
  SendKey(p, Qt::Key_S, Qt::ControlModifier, QString(QChar(19)));
  EXPECT_EQ(saves, 1);
  EXPECT_EQ(keys, 0) << "a shortcut is not seen by the focused control";
  save->SetEnabled(false);
  SendKey(p, Qt::Key_S, Qt::ControlModifier, QString(QChar(19)));
  EXPECT_EQ(saves, 1) << "disabled items do not answer their shortcut";
  EXPECT_EQ(keys, 1);
}

}  // namespace
