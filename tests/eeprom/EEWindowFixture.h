#pragma once
// The main window on the simulated adapter with EEPROMs attached, and helpers
// that drive the EEPROM windows the way a person does.

#include <QCoreApplication>
#include <QKeyEvent>
#include <QAction>
#include <QMouseEvent>
#include <QWidget>
#include <QString>

#include "eeprom/Eeprom.h"
#include "eeprom/SmallEE.h"
#include "platform/port/SimDevices.h"
#include "tests/app/MainTestFixture.h"

class TEEWindowTest : public TMainWindowTest<> {
 protected:
  TEEWindowTest() = default;

  TfrmSmallEE* OpenSmall(TMenuItem* Item) {
    Item->Click();
    Application->ProcessMessages();
    return frmSmallEE;
  }
  TfrmEEPROM* OpenLarge(TMenuItem* Item) {
    Item->Click();
    Application->ProcessMessages();
    return frmEEPROM;
  }

  // A key with its character, as the keyboard sends it, to the control that has the focus
  // (the grid's editor when it shows).
  static void Key(TWinControl* Target, int QtKey, const QString& Text = QString()) {
    QKeyEvent press(QEvent::KeyPress, QtKey, Qt::NoModifier, Text);
    QCoreApplication::sendEvent(Target->ClientWidget(), &press);
    QKeyEvent release(QEvent::KeyRelease, QtKey, Qt::NoModifier, Text);
    QCoreApplication::sendEvent(Target->ClientWidget(), &release);
  }
  // Types into a grid: into its editor when one shows, else into the grid.
  static void Type(TExtStringGrid* Grid, const std::string& Chars) {
    for (char c : Chars) {
      TWinControl* target = Grid;
      if (Grid->InplaceEditor() && Grid->InplaceEditor()->Visible()) target = Grid->InplaceEditor();
      const int qk = (c >= 'a' && c <= 'z') ? Qt::Key_A + (c - 'a') : static_cast<int>(c);
      Key(target, qk, QString(QChar(c)));
    }
  }
  static void Press(TExtStringGrid* Grid, int QtKey, const QString& Text = QString()) {
    TWinControl* target = Grid;
    if (Grid->InplaceEditor() && Grid->InplaceEditor()->Visible()) target = Grid->InplaceEditor();
    Key(target, QtKey, Text);
  }
  // A menu command as the menu gives it (an exception reaches the application's message box).
  static void Command(TMenuItem* Item) {
    Item->Action()->trigger();
    Application->ProcessMessages();
  }
  // A left click in the middle of a button, as the mouse gives it.
  static void Click(TInstDemoButton* Button) {
    TControl* c = ButtonControl(Button);
    auto* wc = static_cast<TWinControl*>(c);
    QWidget* w = wc->ClientWidget();
    const QPointF p(c->Width() / 2, c->Height() / 2);
    QMouseEvent press(QEvent::MouseButtonPress, p, w->mapToGlobal(p), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, p, w->mapToGlobal(p), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(w, &release);
  }
  static void Focus(TEEWindow* W, TExtStringGrid* Grid, int Col, int Row) {
    W->SetActiveControl(Grid);
    Grid->SetFocus();
    Grid->SetCol(Col);
    Grid->SetRow(Row);
    Application->ProcessMessages();
  }

  std::string Status() const { return frmMain->pnlStatus->Caption(); }
  static std::string StatusOf(I2CStatus Code) {
    TStatusLook look;
    StatusLookOf(Code, true, look);
    return look.Text;
  }
};
