// Keys, mouse and wheel through the real widget: navigation stops at the edges,
// every move asks SelectCell (a refusal keeps the cell, also when SelectCell
// itself moves the cell), range selection, sizing and moving by the mouse.
#include <QHelpEvent>

#include "platform/gui/Feedback.h"
#include "platform/gui/Hints.h"
#include "platform/gui/WinWindow.h"
#include "tests/platform/grid/GridTestSupport.h"

namespace {

class Input : public GridTest {
 protected:
  void SetUp() override {
    GridTest::SetUp();
    grid->SetColCount(8);
    grid->SetRowCount(60);
    grid->Log.clear();
  }
  TGridCoord Cur() const { return {grid->Col(), grid->Row()}; }
  bool Asked() const { return !grid->Log.empty(); }
};

TEST_F(Input, ArrowsHomeEndAndPagesMoveTheCellAndStopAtTheEdges) {
  Key(Qt::Key_Left);
  Key(Qt::Key_Up);
  EXPECT_EQ(Cur(), (TGridCoord{1, 1}));
  EXPECT_FALSE(Asked()) << "no move at the first scrolling cell, so SelectCell is not asked";
  Key(Qt::Key_Right);
  EXPECT_EQ(Cur(), (TGridCoord{2, 1}));
  EXPECT_EQ(grid->Log, std::vector<std::string>{"select 2,1"});
  Key(Qt::Key_End);
  EXPECT_EQ(Cur(), (TGridCoord{7, 1}));
  grid->Log.clear();
  Key(Qt::Key_Right);
  EXPECT_EQ(Cur(), (TGridCoord{7, 1})) << "Right at the last column does not move";
  EXPECT_FALSE(Asked());
  Key(Qt::Key_Home);
  EXPECT_EQ(Cur(), (TGridCoord{1, 1}));

  int page = grid->VisibleRowCount();
  ASSERT_GT(page, 3);
  Key(Qt::Key_PageDown);
  EXPECT_EQ(grid->Row(), 1 + page);
  EXPECT_EQ(grid->TopRow(), 1 + page) << "the view moves by a page with the cell";
  Key(Qt::Key_PageUp);
  EXPECT_EQ(grid->Row(), 1);
  EXPECT_EQ(grid->TopRow(), 1);
  Key(Qt::Key_End, Qt::ControlModifier);
  EXPECT_EQ(Cur(), (TGridCoord{7, 59}));
  EXPECT_EQ(grid->TopRow(), grid->MaxTopRow()) << "the last cell was scrolled into view";
  grid->Log.clear();
  Key(Qt::Key_Down);
  Key(Qt::Key_PageDown);
  EXPECT_EQ(grid->Row(), 59);
  EXPECT_FALSE(Asked());
  Key(Qt::Key_Home, Qt::ControlModifier);
  EXPECT_EQ(Cur(), (TGridCoord{1, 1}));
  EXPECT_EQ(grid->TopRow(), 1);
  Key(Qt::Key_PageDown, Qt::ControlModifier);
  EXPECT_EQ(grid->Row(), grid->VisibleRowCount()) << "Ctrl+PgDn goes to the last fully visible row";
  Key(Qt::Key_Down, Qt::ControlModifier);
  EXPECT_EQ(grid->TopRow(), 2) << "Ctrl+Down scrolls by a row";
}

TEST_F(Input, TabWalksWithGoTabsAndWrapsAround) {
  Key(Qt::Key_Tab);
  EXPECT_EQ(Cur(), (TGridCoord{1, 1})) << "without goTabs Tab is the form's key";
  grid->SetOptions(grid->Options() | goTabs);
  auto* next = new TEdit(form);
  next->SetParent(form);
  next->SetBounds(0, 380, 60, 20);
  grid->SetFocus();
  Application->ProcessMessages();
  ASSERT_TRUE(grid->Focused());
  grid->SetCol(7);
  Key(Qt::Key_Tab);
  EXPECT_EQ(Cur(), (TGridCoord{1, 2})) << "after the last column Tab goes to the next row";
  EXPECT_TRUE(grid->Focused()) << "the grid walks with Tab and keeps the focus";
  Key(Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_EQ(Cur(), (TGridCoord{7, 1}));
  grid->SetTabStops(2, false);
  grid->SetCol(1);
  Key(Qt::Key_Tab);
  EXPECT_EQ(grid->Col(), 3) << "a column that is no tab stop is skipped";
  grid->SetRow(59);
  grid->SetCol(7);
  Key(Qt::Key_Tab);
  EXPECT_EQ(Cur(), (TGridCoord{1, 1})) << "after the last cell Tab wraps to the first";
}

TEST_F(Input, ShiftExtendsTheSelectionOnlyWithRangeSelect) {
  Key(Qt::Key_Right, Qt::ShiftModifier);
  Key(Qt::Key_Down, Qt::ShiftModifier);
  EXPECT_EQ(grid->Selection(), (TGridRect{1, 1, 2, 2}));
  Key(Qt::Key_Down);
  EXPECT_EQ(grid->Selection(), (TGridRect{2, 3, 2, 3})) << "a move without Shift drops the range";
  grid->SetOptions(grid->Options() & ~goRangeSelect);
  Key(Qt::Key_Right, Qt::ShiftModifier);
  EXPECT_EQ(grid->Selection(), (TGridRect{3, 3, 3, 3}));
  grid->SetOptions(grid->Options() | goRowSelect);
  EXPECT_EQ(grid->Selection(), (TGridRect{1, 3, 7, 3})) << "row select spans the scrolling columns";
  Key(Qt::Key_Down);
  EXPECT_EQ(grid->Col(), 3) << "row select keeps the current column";
  EXPECT_EQ(grid->Selection(), (TGridRect{1, 4, 7, 4})) << "and selects the whole row";
}

TEST_F(Input, SelectCellVetoesKeysMouseAndCode) {
  grid->Veto = [](int c, int r) { return !(c == 3 && r == 1); };
  grid->SetCol(2);
  grid->Log.clear();
  Key(Qt::Key_Right);
  EXPECT_EQ(Cur(), (TGridCoord{2, 1}));
  EXPECT_EQ(grid->Log, std::vector<std::string>{"select 3,1"});
  ClickCell(3, 1);
  EXPECT_EQ(Cur(), (TGridCoord{2, 1})) << "a refused click keeps the cell";
  grid->SetCol(3);
  EXPECT_EQ(grid->Col(), 2) << "a refused Col write keeps the cell";
  grid->SetRow(40);
  EXPECT_EQ(grid->Row(), 40) << "an allowed write moves and scrolls";
  EXPECT_GT(grid->TopRow(), 1);
  EXPECT_THROW(grid->SetRow(60), EInvalidGridOperation) << "a row beyond the count";
  EXPECT_THROW(grid->SetCol(-1), EInvalidGridOperation);
  EXPECT_EQ(Cur(), (TGridCoord{2, 40}));

  int clicks = 0;
  grid->OnClick = [&](TObject*) { ++clicks; };
  ClickCell(4, 40);
  EXPECT_EQ(Cur(), (TGridCoord{4, 40}));
  EXPECT_EQ(clicks, 1) << "a click on a cell is one OnClick";
  grid->SetRow(41);
  EXPECT_EQ(clicks, 2) << "a Row write clicks too, as the class library's grid does";
  ClickCell(0, 41);
  EXPECT_EQ(Cur(), (TGridCoord{4, 41})) << "a click on a fixed cell does not move";
}

TEST_F(Input, AMoveFromInsideSelectCellWinsAndTheOuterMoveEndsCleanly) {
  grid->SetOptions(grid->Options() | goEditing);
  grid->SetCol(4);
  grid->SetRow(2);
  grid->SetCells(2, 3, "refused");
  int nested = 0;
  // As a refused validation does: go back to the edited cell, open the editor there, refuse.
  grid->Veto = [&](int c, int r) {
    if (c == 5 && r == 2 && nested++ == 0) {
      grid->FocusCell(2, 3, true);
      grid->ShowEditor();
      return false;
    }
    return true;
  };
  Key(Qt::Key_Right);
  EXPECT_EQ(Cur(), (TGridCoord{2, 3}));
  EXPECT_EQ(grid->Selection(), (TGridRect{2, 3, 2, 3}));
  ASSERT_TRUE(grid->InplaceEditor() && grid->InplaceEditor()->Visible());
  EXPECT_EQ(grid->InplaceEditor()->Text(), "refused");
  EXPECT_EQ(grid->InplaceEditor()->BoundsRect(), grid->CellRect(2, 3));
  EXPECT_TRUE(grid->EditorMode());

  nested = 0;
  grid->HideEditor();
  grid->SetCol(4);
  grid->SetRow(2);
  ClickCell(5, 2);
  EXPECT_EQ(Cur(), (TGridCoord{2, 3})) << "the same through the mouse";
  EXPECT_TRUE(grid->InplaceEditor()->Visible());
  EXPECT_EQ(grid->GridState(), gsNormal);
}

TEST_F(Input, TheMouseSelectsAndDragsARangeAndScrollsBeyondTheEdge) {
  ClickCell(2, 2);
  EXPECT_EQ(Cur(), (TGridCoord{2, 2}));
  TPoint a = Mid(2, 2), b = Mid(4, 5);
  Mouse(QEvent::MouseButtonPress, a.X, a.Y);
  Mouse(QEvent::MouseMove, b.X, b.Y);
  EXPECT_EQ(grid->Selection(), (TGridRect{2, 2, 4, 5}));
  // Below the cells the selection timer scrolls towards the mouse.
  Mouse(QEvent::MouseMove, b.X, grid->ClientHeight() + 30);
  EXPECT_GT(WindowTimerInterval(grid->Handle(), 1), 0u);
  int top = grid->TopRow();
  grid->Perform(WM_TIMER, 1);
  EXPECT_EQ(grid->TopRow(), top + 1);
  EXPECT_EQ(grid->Row(), grid->TopRow() + grid->VisibleRowCount() - 1) << "the range follows to the last full row";
  Mouse(QEvent::MouseButtonRelease, b.X, grid->ClientHeight() + 30);
  EXPECT_EQ(WindowTimerInterval(grid->Handle(), 1), 0u);
  EXPECT_EQ(grid->GridState(), gsNormal);
  EXPECT_EQ(grid->Selection().Top, 2);

  TPoint c = Mid(3, grid->TopRow() + 1);
  Click(c.X, c.Y, Qt::ShiftModifier);
  EXPECT_EQ(grid->Selection(), (TGridRect{2, 2, 3, grid->TopRow() + 1})) << "Shift+click extends from the anchor";
}

TEST_F(Input, TheWheelMovesTheCurrentRowByOne) {
  Wheel(-120);
  EXPECT_EQ(grid->Row(), 2);
  Wheel(-240);
  EXPECT_EQ(grid->Row(), 4) << "two notches, two rows";
  Wheel(120);
  EXPECT_EQ(grid->Row(), 3);
  grid->SetRow(59);
  grid->Log.clear();
  Wheel(-120);
  EXPECT_EQ(grid->Row(), 59);
  EXPECT_FALSE(Asked());
}

TEST_F(Input, ASizingDragAppliesTheWidthOnceAtTheRelease) {
  grid->SetOptions(grid->Options() | goColSizing | goRowSizing);
  int x = grid->CellRect(1, 0).Right;
  TGridState st;
  int index, pos, ofs;
  grid->CalcSizingState(x + 1, 5, st, index, pos, ofs);
  EXPECT_EQ(st, gsColSizing);
  EXPECT_EQ(index, 1);
  grid->CalcSizingState(x + 1, grid->CellRect(1, 1).Top + 5, st, index, pos, ofs);
  EXPECT_EQ(st, gsNormal) << "sizing starts only in the fixed rows";
  grid->CalcSizingState(grid->CellRect(1, 0).Left + 20, 5, st, index, pos, ofs);
  EXPECT_EQ(st, gsNormal) << "inside a header cell it does not";

  int sizes = grid->ColSizes;
  Flush();
  Mouse(QEvent::MouseButtonPress, x + 1, 5);
  EXPECT_EQ(grid->GridState(), gsColSizing);
  Mouse(QEvent::MouseMove, x + 11, 5);
  Mouse(QEvent::MouseMove, x + 21, 5);
  EXPECT_EQ(grid->ColSizes, sizes) << "nothing changes while dragging";
  EXPECT_EQ(grid->ColWidths(1), 64);
  ASSERT_EQ(grid->Feedback()->Marks().size(), 1u);
  EXPECT_EQ(grid->Feedback()->Marks()[0].Left, x + 20) << "the sizing line follows the mouse";
  grid->Drawn.clear();
  Flush();
  EXPECT_FALSE(grid->Drawn.empty());
  for (const auto& d : grid->Drawn) EXPECT_TRUE(d.Col == 1 || d.Col == 2) << d.Col << ": the line repaints the cells under it only";
  Mouse(QEvent::MouseButtonRelease, x + 21, 5);
  EXPECT_EQ(grid->ColWidths(1), 84);
  EXPECT_EQ(grid->ColSizes, sizes + 1) << "applied once, at the release";
  EXPECT_TRUE(grid->Feedback()->Marks().empty());

  int y = grid->CellRect(0, 2).Bottom;
  Mouse(QEvent::MouseButtonPress, 5, y);
  EXPECT_EQ(grid->GridState(), gsRowSizing);
  Mouse(QEvent::MouseMove, 5, y + 8);
  grid->Perform(WM_CANCELMODE);
  EXPECT_EQ(grid->GridState(), gsNormal) << "a cancelled mode ends the drag";
  EXPECT_TRUE(grid->Feedback()->Marks().empty());
  Mouse(QEvent::MouseButtonRelease, 5, y + 8);
  EXPECT_EQ(grid->RowHeights(2), 24) << "a cancelled drag changes nothing";
}

TEST_F(Input, AHeaderDragMovesAColumnWithItsDataAndWidth) {
  grid->SetOptions(grid->Options() | goColMoving);
  for (int c = 0; c < 8; ++c) grid->SetCells(c, 3, "c" + std::to_string(c));
  grid->SetColWidths(2, 40);
  std::vector<std::pair<int, int>> moved;
  grid->OnColumnMoved = [&](TObject*, int f, int t) { moved.push_back({f, t}); };
  TPoint from = Mid(2, 0), to = Mid(4, 0);
  Mouse(QEvent::MouseButtonPress, from.X, from.Y);
  EXPECT_EQ(grid->GridState(), gsColMoving);
  Mouse(QEvent::MouseMove, to.X, to.Y);
  EXPECT_FALSE(grid->Feedback()->Marks().empty()) << "a mark shows where the column lands";
  Mouse(QEvent::MouseButtonRelease, to.X, to.Y);
  EXPECT_EQ(moved, (std::vector<std::pair<int, int>>{{2, 4}}));
  EXPECT_EQ(grid->Cells(4, 3), "c2");
  EXPECT_EQ(grid->Cells(2, 3), "c3");
  EXPECT_EQ(grid->ColWidths(4), 40);
}

TEST_F(Input, TopLeftChangedFollowsEveryScroll) {
  int fired = 0;
  grid->OnTopLeftChanged = [&](TObject*) { ++fired; };
  grid->SetTopRow(5);
  EXPECT_EQ(fired, 1);
  grid->Perform(WM_VSCROLL, MakeScrollWParam(SB_LINEDOWN, 0));
  EXPECT_EQ(fired, 2);
  Key(Qt::Key_Down, Qt::ControlModifier);
  EXPECT_EQ(fired, 3);
  grid->SetTopRow(6 + 1);
  EXPECT_EQ(fired, 3) << "no change, no call";
  grid->SetRow(50);
  EXPECT_EQ(fired, 4) << "bringing the cell into view scrolls";
}

}  // namespace

namespace {

// Hints per cell, as the grid component gives them: the cell's text, valid over the cell.
class THintGrid : public TStringGrid {
 public:
  using TStringGrid::TStringGrid;
  int Asked = 0;

 protected:
  void CMHintShow(TMessage& m) override {
    auto* info = reinterpret_cast<THintInfo*>(m.LParam);
    ++Asked;
    TGridCoord cell = MouseCoord(info->CursorPos.X, info->CursorPos.Y);
    if (cell.X < 0 || cell.Y < 0) {
      m.Result = 1;
      return;
    }
    info->HintStr = Cells(cell.X, cell.Y);
    info->CursorRect = CellRect(cell.X, cell.Y);
  }
};

TEST_F(GridTest, HintsPerCellHoldOverTheirCellAndAreAskedAgainOverTheNext) {
  auto* g = new THintGrid(form);
  g->SetParent(form);
  g->SetBounds(10, 10, 300, 200);
  g->SetShowHint(true);
  g->SetHint("grid");
  g->SetCells(1, 1, "first");
  g->SetCells(2, 1, "second");
  auto rest = [&](TPoint p) {
    QPoint q(p.X, p.Y);
    QHelpEvent e(QEvent::ToolTip, q, g->ClientWidget()->mapToGlobal(q));
    QCoreApplication::sendEvent(g->ClientWidget(), &e);
  };
  auto move = [&](TPoint p) {
    QWidget* w = g->ClientWidget();
    QMouseEvent e(QEvent::MouseMove, QPointF(p.X, p.Y), w->mapToGlobal(QPointF(p.X, p.Y)), Qt::NoButton, Qt::NoButton,
                  Qt::NoModifier);
    QCoreApplication::sendEvent(w, &e);
  };
  auto showing = [] { return Application->HintWindow() && Application->HintWindow()->Active(); };
  TRect c11 = g->CellRect(1, 1), c21 = g->CellRect(2, 1);
  rest(TPoint(c11.Left + 5, c11.Top + 5));
  ASSERT_TRUE(showing());
  EXPECT_EQ(Application->HintWindow()->Caption(), "first");
  move(TPoint(c11.Right - 2, c11.Bottom - 2));
  EXPECT_TRUE(showing()) << "still inside the cell";
  move(TPoint(c21.Left + 3, c21.Top + 5));
  EXPECT_FALSE(showing()) << "the next cell ends the hint";
  rest(TPoint(c21.Left + 3, c21.Top + 5));
  ASSERT_TRUE(showing());
  EXPECT_EQ(Application->HintWindow()->Caption(), "second");
  EXPECT_EQ(g->Asked, 2);
  Application->CancelHint();
  EXPECT_FALSE(showing());

  // A hint window of the grid's own, as a scroll hint uses one.
  THintWindow own(g);
  TRect r = own.CalcHintRect(200, "Row 2048", nullptr);
  EXPECT_GT(r.Right, 0);
  own.ActivateHint(TRect(50, 60, 50 + r.Right, 60 + r.Bottom), "Row 2048");
  EXPECT_TRUE(own.Active());
  own.ReleaseHandle();
  EXPECT_FALSE(own.Active());
  Application->CancelHint();
}

}  // namespace
