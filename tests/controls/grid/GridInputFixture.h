#pragma once
// A grid component on a form, driven with key, mouse and wheel events sent
// to its widgets as the window system sends them, offscreen.
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QWidget>

#include <string>

#include "controls/grid/ExtGrid.h"
#include "platform/gui/Forms.h"
#include "platform/gui/testing/GuiTest.h"
#include "platform/gui/testing/InputEvents.h"

class GridInputTest : public TGuiTest {
 public:
  void SetUp() override {
    form = new TForm(Application);
    form->SetClientSize(520, 400);
    grid = new TExtStringGrid(form);
    grid->SetParent(form);
    grid->SetBounds(10, 10, 480, 300);
    grid->SetColCount(5);
    grid->SetRowCount(10);
    grid->SetOptions(grid->Options() | goEditing | goTabs);
    other = new TEdit(form);
    other->SetParent(form);
    other->SetBounds(10, 330, 100, 24);
    for (int r = 0; r < grid->RowCount(); ++r)
      for (int c = 0; c < grid->ColCount(); ++c) grid->SetCells(c, r, std::to_string(c) + ":" + std::to_string(r));
    form->Show();
    grid->SetFocus();
    Flush();
  }
  void TearDown() override {
    delete form;
    TGuiTest::TearDown();
  }
  // Options and counts are set: the window's Loaded step.
  void Load() {
    grid->Loaded();
    Flush();
  }
  static void Flush() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
    QCoreApplication::processEvents();
  }
  // To the control that has the focus now (the inplace editor while it shows).
  TWinControl* Target() const {
    TInplaceEdit* e = grid->InplaceEditor();
    if (e && e->Visible() && e->Focused()) return e;
    if (other->Focused()) return other;
    return grid;
  }
  void Key(int key, Qt::KeyboardModifiers mods = Qt::NoModifier) { SendKeyEvent(Target(), key, mods, {}); }
  void Type(const std::string& s) {
    for (char ch : s) {
      int key = (ch >= 'a' && ch <= 'z') ? Qt::Key_A + (ch - 'a') : (ch >= 'A' && ch <= 'Z') ? Qt::Key_A + (ch - 'A') : ch;
      SendKeyEvent(Target(), key, Qt::NoModifier, QString(QChar(ch)));
    }
  }
  void Mouse(QEvent::Type type, int x, int y, Qt::MouseButton b = Qt::LeftButton,
             Qt::KeyboardModifiers mods = Qt::NoModifier) {
    SendMouseEvent(grid->ClientWidget(), type, x, y, b, mods, buttons_);
  }
  void Click(int x, int y, Qt::MouseButton b = Qt::LeftButton, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    Mouse(QEvent::MouseButtonPress, x, y, b, mods);
    Mouse(QEvent::MouseButtonRelease, x, y, b, mods);
  }
  void DoubleClick(int x, int y) {
    Click(x, y);
    Mouse(QEvent::MouseButtonDblClick, x, y);
    Mouse(QEvent::MouseButtonRelease, x, y);
  }
  void Wheel(int delta, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QWidget* w = grid->ClientWidget();
    QWheelEvent e(QPointF(60, 60), w->mapToGlobal(QPointF(60, 60)), QPoint(), QPoint(0, delta), Qt::NoButton, mods,
                  Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(w, &e);
  }
  TPoint Mid(int c, int r) const {
    TRect rc = grid->CellRect(c, r);
    return TPoint((rc.Left + rc.Right) / 2, (rc.Top + rc.Bottom) / 2);
  }
  void ClickCell(int c, int r, Qt::MouseButton b = Qt::LeftButton, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    TPoint p = Mid(c, r);
    Click(p.X, p.Y, b, mods);
  }
  bool EditorShown() const { return grid->InplaceEditor() && grid->InplaceEditor()->Visible(); }
  std::string EditorText() const { return grid->InplaceEditor() ? grid->InplaceEditor()->Text() : std::string(); }
  TPoint Current() const { return TPoint(grid->Col(), grid->Row()); }

  TForm* form = nullptr;
  TExtStringGrid* grid = nullptr;
  TEdit* other = nullptr;

 private:
  Qt::MouseButtons buttons_ = Qt::NoButton;
};
