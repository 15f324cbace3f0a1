#pragma once
// A string grid on a shown form, with the grid's protected hooks open and its
// cell drawing recorded, and input sent as Qt events through the layer.
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QWidget>
#include <string>
#include <vector>

#include "platform/grid/Grids.h"
#include "platform/gui/Forms.h"
#include "platform/gui/testing/GuiTest.h"
#include "platform/gui/testing/InputEvents.h"

struct TDrawnCell {
  int Col, Row;
  TRect Rect;
  TGridDrawState State;
};

class TTestGrid : public TStringGrid {
 public:
  explicit TTestGrid(TComponent* Owner) : TStringGrid(Owner) {}
  using TCustomGrid::CalcSizingState;
  using TCustomGrid::MaxLeftCol;
  using TCustomGrid::MaxTopRow;
  using TCustomGrid::ShowEditorChar;

  std::vector<TDrawnCell> Drawn;
  std::vector<std::string> Log;  // hooks in the order they ran
  std::function<bool(int, int)> Veto;  // SelectCell's answer (after the log entry)
  int ColSizes = 0, RowSizes = 0, TopLefts = 0;
  int Paints = 0;

 protected:
  void Paint() override {
    ++Paints;
    TStringGrid::Paint();
  }
  void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) override {
    Drawn.push_back({ACol, ARow, ARect, AState});
    TStringGrid::DrawCell(ACol, ARow, ARect, AState);
  }
  bool SelectCell(int ACol, int ARow) override {
    Log.push_back("select " + std::to_string(ACol) + "," + std::to_string(ARow));
    if (Veto && !Veto(ACol, ARow)) return false;
    return TStringGrid::SelectCell(ACol, ARow);
  }
  void ColWidthsChanged() override {
    ++ColSizes;
    TStringGrid::ColWidthsChanged();
  }
  void RowHeightsChanged() override {
    ++RowSizes;
    TStringGrid::RowHeightsChanged();
  }
  void TopLeftChanged() override {
    ++TopLefts;
    TStringGrid::TopLeftChanged();
  }
};

class GridTest : public TGuiTest {
 protected:
  void SetUp() override {
    form = new TForm(Application);
    form->SetClientSize(500, 400);
    grid = new TTestGrid(form);
    grid->SetParent(form);
    grid->SetBounds(10, 10, 400, 300);
    form->Show();
    grid->SetFocus();
    Flush();
  }

  // Runs the pending paints (only what was invalidated is painted).
  static void Flush() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
    QCoreApplication::processEvents();
  }
  // Paints the whole grid now and returns what was drawn.
  std::vector<TDrawnCell> PaintAll() {
    Flush();
    grid->Drawn.clear();
    grid->Repaint();
    return grid->Drawn;
  }
  std::vector<TDrawnCell> PaintPending() {
    grid->Drawn.clear();
    Flush();
    return grid->Drawn;
  }

  // As the window system sends them: Return, Backspace, Tab and Escape carry their character.
  static void Key(TWinControl* c, int key, Qt::KeyboardModifiers mods = Qt::NoModifier, QString text = {}) {
    SendKeyEvent(c, key, mods, text);
  }
  // A key to whatever edits now: the inplace editor when it shows, else the grid.
  void Key(int key, Qt::KeyboardModifiers mods = Qt::NoModifier, const QString& text = {}) {
    TInplaceEdit* e = grid->InplaceEditor();
    Key(e && e->Visible() ? static_cast<TWinControl*>(e) : grid, key, mods, text);
  }
  void Type(const std::string& s) {
    for (char ch : s) {
      int key = (ch >= 'a' && ch <= 'z') ? Qt::Key_A + (ch - 'a') : (ch >= 'A' && ch <= 'Z') ? Qt::Key_A + (ch - 'A') : ch;
      Key(key, (ch >= 'A' && ch <= 'Z') ? Qt::ShiftModifier : Qt::NoModifier, QString(QChar(ch)));
    }
  }
  void Mouse(QEvent::Type type, int x, int y, Qt::MouseButton b = Qt::LeftButton,
             Qt::KeyboardModifiers mods = Qt::NoModifier) {
    SendMouseEvent(grid->ClientWidget(), type, x, y, b, mods, buttons_);
  }
  void Click(int x, int y, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    Mouse(QEvent::MouseButtonPress, x, y, Qt::LeftButton, mods);
    Mouse(QEvent::MouseButtonRelease, x, y, Qt::LeftButton, mods);
  }
  void Wheel(int delta) {
    QWidget* w = grid->ClientWidget();
    QWheelEvent e(QPointF(50, 50), w->mapToGlobal(QPointF(50, 50)), QPoint(), QPoint(0, delta), Qt::NoButton,
                  Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(w, &e);
  }
  // The middle of a cell in client coordinates.
  TPoint Mid(int c, int r) const {
    TRect rc = grid->CellRect(c, r);
    return TPoint((rc.Left + rc.Right) / 2, (rc.Top + rc.Bottom) / 2);
  }
  void ClickCell(int c, int r) {
    TPoint p = Mid(c, r);
    Click(p.X, p.Y);
  }

  TForm* form = nullptr;
  TTestGrid* grid = nullptr;

 private:
  Qt::MouseButtons buttons_ = Qt::NoButton;
};
