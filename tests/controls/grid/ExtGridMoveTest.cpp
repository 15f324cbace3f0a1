// Moving columns and rows with the mouse, and drags of cells started in the
// grid, driven with mouse events through the real widget. A grid whose drag
// runs a simulated drop stands in for the system drag.
#include <gtest/gtest.h>

#include <QImage>
#include <functional>
#include <string>
#include <vector>

#include "platform/gui/Feedback.h"
#include "platform/gui/FormImage.h"
#include "platform/gui/Messages.h"
#include "tests/controls/grid/GridInputFixture.h"

namespace {

// A drop into the same grid at (ACol, ARow): Insert rows first, then the dragged text written there.
TExtStringGrid::TGridDragResult DropHere(TExtStringGrid* g, const std::string& Text, int ACol, int ARow, bool Insert) {
  std::vector<std::vector<std::string>> rows(1);
  std::string cell;
  for (size_t i = 0; i <= Text.size(); ++i) {
    if (i == Text.size() || Text[i] == '\t' || Text[i] == '\r') {
      rows.back().push_back(cell);
      cell.clear();
      if (i < Text.size() && Text[i] == '\r') {
        ++i;  // the LF
        rows.emplace_back();
      }
    } else {
      cell += Text[i];
    }
  }
  TExtStringGrid::TGridDragResult res;
  res.Effect = TExtStringGrid::EffectMove;
  int n = static_cast<int>(rows.size());
  if (Insert) {
    g->InsertRows(ARow, n);
    res.InsertedRow = ARow;
    res.InsertedCount = n;
  }
  for (int r = 0; r < n; ++r)
    for (size_t c = 0; c < rows[r].size(); ++c) g->SetCells(ACol + static_cast<int>(c), ARow + r, rows[r][c]);
  res.Wrote = true;
  res.Written = {ACol, ARow, ACol + static_cast<int>(rows[0].size()) - 1, ARow + n - 1};
  return res;
}

// The system drag is replaced by a function: what it is given and what it answers.
class DragGrid : public TExtStringGrid {
 public:
  using TExtStringGrid::TExtStringGrid;
  std::function<TGridDragResult(DragGrid*, const TGridDragData&)> Drop;
  std::vector<TGridDragData> Runs;
  TGridDragResult RunOleDrag(const TGridDragData& Data) override {
    Runs.push_back(Data);
    return Drop ? Drop(this, Data) : TGridDragResult();
  }
};

// Whether the grid's arrow window of a direction is shown.
bool ArrowShown(TExtStringGrid* g, int Direction) {
  TArrowWindow* a = g->ArrowWindow(Direction);
  return a && a->Active();
}
bool AnyArrowShown(TExtStringGrid* g) {
  for (int d = 0; d < 4; ++d)
    if (ArrowShown(g, d)) return true;
  return false;
}

class GridMoveTest : public GridInputTest {
 public:
  void SetUp() override {
    GridInputTest::SetUp();
    delete grid;
    grid = dg = new DragGrid(form);
    grid->SetParent(form);
    grid->SetBounds(10, 10, 480, 300);
    grid->SetColCount(5);
    grid->SetRowCount(10);
    Fill();
    grid->SetFocus();
    Flush();
  }
  void Fill() {
    for (int r = 0; r < grid->RowCount(); ++r)
      for (int c = 0; c < grid->ColCount(); ++c) grid->SetCells(c, r, std::to_string(c) + ":" + std::to_string(r));
  }
  void Press(TPoint p) { Mouse(QEvent::MouseButtonPress, p.X, p.Y); }
  void MoveTo(TPoint p) { Mouse(QEvent::MouseMove, p.X, p.Y); }
  void Release(TPoint p) { Mouse(QEvent::MouseButtonRelease, p.X, p.Y); }
  void Drag(TPoint from, TPoint to) {
    Press(from);
    MoveTo(to);
    Release(to);
  }
  // A drag source grid without editing, a block selected.
  void DragSource(TGridRect Sel) {
    grid->SetOptions(grid->Options() & ~goEditing);
    grid->DragDropSettings()->OleDropSource = true;
    Load();
    grid->SetSelection(Sel);
  }
  DragGrid* dg = nullptr;
};

// ---------------------------------------------------------------- moving columns and rows
TEST_F(GridMoveTest, AColumnMoveCarriesItsWidthHeadersSortDataAndHiddenRowTexts) {
  grid->SetOptions(grid->Options() | goColMoving);
  grid->SetColWidths(2, 90);
  TStringList headers;
  for (const char* h : {"#", "A", "B", "C", "D"}) headers.Add(h);
  grid->SetColumnHeaders(&headers);
  grid->SortSettings()->Column = 2;
  grid->SortIndexes()->AddIndex(2, false);
  grid->SortIndexes()->AddIndex(4, true);
  grid->SortIndexes()->AddIndex(1, true);
  grid->SetColSelect(2, true);
  Load();
  grid->HideRow(3);
  grid->FocusCell(2, 1, true);
  std::vector<std::pair<int, int>> moved;
  grid->OnColumnMoved = [&](TObject*, int f, int t) { moved.push_back({f, t}); };
  Drag(Mid(2, 0), Mid(4, 0));
  EXPECT_EQ(moved, (std::vector<std::pair<int, int>>{{2, 4}}));
  EXPECT_TRUE(grid->ColumnsMovedInPress());
  EXPECT_EQ(grid->Cells(4, 1), "2:1");
  EXPECT_EQ(grid->Cells(2, 1), "3:1");
  EXPECT_EQ(grid->ColWidths(4), 90);
  EXPECT_EQ(grid->ColWidths(2), 64);
  EXPECT_EQ(grid->ColumnHeaders()->CommaText(), "#,A,C,D,B");
  EXPECT_EQ(grid->Cells(4, 0), "B");
  EXPECT_EQ(grid->SortSettings()->Column, 4);
  ASSERT_EQ(grid->SortIndexes()->Count(), 3);
  EXPECT_EQ(grid->SortIndexes()->SortColumn(0), 4);
  EXPECT_FALSE(grid->SortIndexes()->SortAscending(0)) << "the direction stays with its column";
  EXPECT_EQ(grid->SortIndexes()->SortColumn(1), 3);
  EXPECT_EQ(grid->SortIndexes()->SortColumn(2), 1);
  EXPECT_EQ(grid->Col(), 4) << "the current column follows";
  EXPECT_TRUE(grid->ColSelect(4)) << "a column's selection flag moves with it";
  EXPECT_FALSE(grid->ColSelect(2));
  grid->UnHideRow(3);
  EXPECT_EQ(grid->Cells(4, 3), "2:3") << "a hidden row's texts move with the column";
  EXPECT_EQ(grid->Cells(2, 3), "3:3");
  EXPECT_EQ(grid->GridState(), gsNormal);
  EXPECT_FALSE(AnyArrowShown(grid));
  ASSERT_TRUE(grid->MoveImage());
  EXPECT_FALSE(grid->MoveImage()->Visible());
}

TEST_F(GridMoveTest, ARowMoveCarriesItsHeight) {
  grid->SetOptions(grid->Options() | goRowMoving);
  grid->SetRowHeights(2, 40);
  Load();
  Press(Mid(0, 2));
  MoveTo(Mid(0, 5));
  // A row's markers: pointing right beside its header and left past it, tips on the border.
  ASSERT_TRUE(ArrowShown(grid, TArrowWindow::Right));
  ASSERT_TRUE(ArrowShown(grid, TArrowWindow::Left));
  EXPECT_FALSE(ArrowShown(grid, TArrowWindow::Down));
  const TPoint edge = grid->ClientToScreen(TPoint(0, grid->CellRect(0, 5).Bottom));
  EXPECT_EQ(grid->ArrowWindow(TArrowWindow::Right)->BoundsRect().Top + 5, edge.Y);
  EXPECT_EQ(grid->ArrowWindow(TArrowWindow::Left)->BoundsRect().Left, edge.X + grid->ColWidths(0));
  Release(Mid(0, 5));
  EXPECT_FALSE(AnyArrowShown(grid));
  EXPECT_EQ(grid->Cells(1, 5), "1:2");
  EXPECT_EQ(grid->Cells(1, 2), "1:3");
  EXPECT_EQ(grid->RowHeights(5), 40);
  EXPECT_EQ(grid->RowHeights(2), grid->DefaultRowHeight());
  EXPECT_TRUE(grid->RowsMovedInPress());
  EXPECT_FALSE(grid->ColumnsMovedInPress());
  // The next press starts with the flags clear.
  ClickCell(3, 3);
  EXPECT_FALSE(grid->RowsMovedInPress());
}

// One press on a header, what the mouse does then, and where the column ends.
struct MoveStep {
  const char* Name;
  std::function<void(DragGrid*)> Setup;
  std::function<void(GridMoveTest&)> Act;
  const char* Row1;  // the texts of row 1 afterwards
  TGridState State;
};

std::string Row1(TExtStringGrid* g) {
  std::string s;
  for (int c = 0; c < g->ColCount(); ++c) s += g->Cells(c, 1) + " ";
  return s;
}

// A right press and release in the middle of a column move: the move goes on to the left release.
void RightReleaseMidMove(GridMoveTest& t) {
  TPoint a = t.Mid(1, 0), b = t.Mid(3, 0);
  t.Press(a);
  t.MoveTo(b);
  t.Mouse(QEvent::MouseButtonPress, b.X, b.Y, Qt::RightButton);
  t.Mouse(QEvent::MouseButtonRelease, b.X, b.Y, Qt::RightButton);
  EXPECT_EQ(t.grid->GridState(), gsColMoving) << "the move goes on";
  EXPECT_EQ(t.grid->Cells(1, 1), "1:1") << "nothing moved at the right release";
  t.MoveTo(t.Mid(4, 0));
  t.Release(t.Mid(4, 0));
}

const MoveStep kMoves[] = {
    {"ReleaseOnAnotherColumnMovesIt", nullptr, [](GridMoveTest& t) { t.Drag(t.Mid(1, 0), t.Mid(3, 2)); },
     "0:1 2:1 3:1 1:1 4:1 ", gsNormal},
    {"MovingLeftLandsBeforeTheTarget", nullptr, [](GridMoveTest& t) { t.Drag(t.Mid(4, 0), t.Mid(2, 0)); },
     "0:1 1:1 4:1 2:1 3:1 ", gsNormal},
    {"OnColumnMoveRefusalReturnsToNormal",
     [](DragGrid* g) { g->OnColumnMove = [](TObject*, int c, bool& allow) { allow = c != 1; }; },
     [](GridMoveTest& t) {
       t.Press(t.Mid(1, 0));
       t.MoveTo(t.Mid(3, 0));
       EXPECT_EQ(t.grid->GridState(), gsNormal);
       EXPECT_FALSE(AnyArrowShown(t.grid));
       EXPECT_TRUE(!t.grid->MoveImage() || !t.grid->MoveImage()->Visible());
       t.Release(t.Mid(3, 0));
     },
     "0:1 1:1 2:1 3:1 4:1 ", gsNormal},
    {"OnColumnMoveRefusesAReleaseWithoutAMove",
     [](DragGrid* g) { g->OnColumnMove = [](TObject*, int, bool& allow) { allow = false; }; },
     [](GridMoveTest& t) {
       t.Press(t.Mid(1, 0));
       t.Release(t.Mid(3, 0));
     },
     "0:1 1:1 2:1 3:1 4:1 ", gsNormal},
    {"OnColumnMoveAllowingAnotherColumn",
     [](DragGrid* g) { g->OnColumnMove = [](TObject*, int c, bool& allow) { allow = c != 1; }; },
     [](GridMoveTest& t) { t.Drag(t.Mid(2, 0), t.Mid(3, 0)); }, "0:1 1:1 3:1 2:1 4:1 ", gsNormal},
    {"RightReleaseWhileMovingIsSwallowed", nullptr, RightReleaseMidMove, "0:1 2:1 3:1 4:1 1:1 ", gsNormal},
    {"RightReleaseWhileThePlatformMovesIsSwallowed", [](DragGrid* g) { g->EnhRowColMove = false; },
     RightReleaseMidMove, "0:1 2:1 3:1 4:1 1:1 ", gsNormal},
    {"ReleaseOverAFixedColumnMovesNothing", nullptr, [](GridMoveTest& t) { t.Drag(t.Mid(2, 0), t.Mid(0, 3)); },
     "0:1 1:1 2:1 3:1 4:1 ", gsNormal},
    {"ReleaseRightOfTheColumnsMovesNothing", nullptr,
     [](GridMoveTest& t) {
       TPoint a = t.Mid(2, 0), b = t.Mid(3, 0);
       t.Press(a);
       t.MoveTo(b);
       t.Release(TPoint(t.grid->GridWidth() + 20, b.Y));
     },
     "0:1 1:1 2:1 3:1 4:1 ", gsNormal},
    {"ReleaseOnAFixedRightColumnMovesNothing", [](DragGrid* g) { g->SetFixedRightCols(1); },
     [](GridMoveTest& t) { t.Drag(t.Mid(2, 0), t.Mid(4, 0)); }, "0:1 1:1 2:1 3:1 4:1 ", gsNormal},
    {"AFixedRightColumnDoesNotMove", [](DragGrid* g) { g->SetFixedRightCols(1); },
     [](GridMoveTest& t) { t.Drag(t.Mid(4, 0), t.Mid(2, 0)); }, "0:1 1:1 2:1 3:1 4:1 ", gsNormal},
    {"WithoutEnhRowColMoveThePlatformMoveStays", [](DragGrid* g) { g->EnhRowColMove = false; },
     [](GridMoveTest& t) { t.Drag(t.Mid(1, 0), t.Mid(3, 0)); }, "0:1 2:1 3:1 1:1 4:1 ", gsNormal},
};

class ColumnMoves : public GridMoveTest, public ::testing::WithParamInterface<MoveStep> {};

TEST_P(ColumnMoves, Run) {
  const MoveStep& s = GetParam();
  grid->SetOptions(grid->Options() | goColMoving);
  if (s.Setup) s.Setup(dg);
  Load();
  s.Act(*this);
  EXPECT_EQ(Row1(grid), s.Row1);
  EXPECT_EQ(grid->GridState(), s.State);
}

INSTANTIATE_TEST_SUITE_P(Steps, ColumnMoves, ::testing::ValuesIn(kMoves),
                         [](const ::testing::TestParamInfo<MoveStep>& i) { return std::string(i.param.Name); });

TEST_F(GridMoveTest, TheMovedHeaderFollowsTheMouseAndTheMarkerShowsTheTarget) {
  grid->SetOptions(grid->Options() | goColMoving);
  Load();
  TRect h1 = grid->CellRect(1, 0);
  TPoint a = Mid(1, 0);
  Press(a);
  EXPECT_FALSE(AnyArrowShown(grid)) << "a press alone shows nothing";
  TPoint b = Mid(3, 0);
  MoveTo(b);
  ASSERT_TRUE(grid->MoveImage());
  EXPECT_TRUE(grid->MoveImage()->Visible());
  EXPECT_EQ(grid->MoveImage()->Left(), b.X - (a.X - h1.Left)) << "the grip stays where it was taken";
  EXPECT_EQ(grid->MoveImage()->Width(), grid->ColWidths(1));
  // A lime arrow pointing down above the header and one pointing up below it, their tips on the
  // border where the column lands.
  auto tipsAt = [&](int border) {
    ASSERT_TRUE(ArrowShown(grid, TArrowWindow::Down));
    ASSERT_TRUE(ArrowShown(grid, TArrowWindow::Up));
    EXPECT_FALSE(ArrowShown(grid, TArrowWindow::Left));
    const TPoint edge = grid->ClientToScreen(TPoint(border, grid->CellRect(3, 0).Top));
    const TRect down = grid->ArrowWindow(TArrowWindow::Down)->BoundsRect();
    const TRect up = grid->ArrowWindow(TArrowWindow::Up)->BoundsRect();
    EXPECT_EQ(down.Left + 5, edge.X);
    EXPECT_EQ(up.Left + 5, edge.X);
    EXPECT_LT(down.Top, edge.Y);
    EXPECT_EQ(up.Top, edge.Y + grid->RowHeights(0));
    EXPECT_EQ(grid->ArrowWindow(TArrowWindow::Down)->Color(), clLime);
  };
  tipsAt(grid->CellRect(3, 0).Right);  // moving right: after the target
  MoveTo(Mid(1, 0));
  EXPECT_FALSE(AnyArrowShown(grid)) << "over its own place: no marker";
  MoveTo(Mid(2, 4));
  tipsAt(grid->CellRect(2, 0).Right);
  Release(Mid(2, 4));
  EXPECT_FALSE(AnyArrowShown(grid));
  EXPECT_FALSE(grid->MoveImage()->Visible());
  EXPECT_EQ(grid->Cells(2, 1), "1:1");
}

TEST_F(GridMoveTest, MovingAColumnScrollsOverTheEdgesWhileColumnsLieOutOfView) {
  grid->SetColCount(12);
  Fill();
  grid->SetOptions(grid->Options() | goColMoving);
  Load();
  ASSERT_LT(grid->VisibleColCount(), 8) << "columns lie beyond the view";
  TPoint a = Mid(2, 0);
  Press(a);
  int right = grid->ClientRect().Right + 10;
  MoveTo(TPoint(right, a.Y));
  EXPECT_EQ(grid->LeftCol(), 2);
  MoveTo(TPoint(right + 1, a.Y));
  EXPECT_EQ(grid->LeftCol(), 3);
  // The mouse resting there: the timer goes on scrolling.
  grid->Perform(WM_TIMER, 997, 0);
  EXPECT_EQ(grid->LeftCol(), 4);
  // Over the fixed column it scrolls back, one column a step.
  MoveTo(TPoint(5, a.Y));
  EXPECT_EQ(grid->LeftCol(), 3);
  grid->Perform(WM_TIMER, 997, 0);
  EXPECT_EQ(grid->LeftCol(), 2);
  // Inside the cells nothing scrolls, and the timer stops scrolling.
  TPoint in = Mid(6, 0);
  MoveTo(in);
  grid->Perform(WM_TIMER, 997, 0);
  EXPECT_EQ(grid->LeftCol(), 2);
  Release(in);
  EXPECT_EQ(grid->Cells(6, 1), "2:1");
  EXPECT_EQ(grid->Cells(5, 1), "6:1");
  grid->Perform(WM_TIMER, 997, 0);
  EXPECT_EQ(grid->LeftCol(), 2);
}

TEST_F(GridMoveTest, MovingARowScrollsBelowTheGridAndOverTheFixedRow) {
  grid->SetRowCount(40);
  Fill();
  grid->SetOptions(grid->Options() | goRowMoving);
  Load();
  TPoint a = Mid(0, 2);
  Press(a);
  int below = grid->ClientRect().Bottom + 10;
  MoveTo(TPoint(a.X, below));
  MoveTo(TPoint(a.X, below + 2));
  EXPECT_EQ(grid->TopRow(), 3);
  MoveTo(TPoint(a.X, 3));
  EXPECT_EQ(grid->TopRow(), 2);
  TPoint in = Mid(0, 8);
  Release(in);
  EXPECT_EQ(grid->Cells(1, 8), "1:2");
}

TEST_F(GridMoveTest, RowMovesStayOffTheFloatingFooterRow) {
  grid->SetOptions(grid->Options() | goRowMoving);
  grid->FloatingFooter()->SetVisible(true);
  Load();
  Drag(Mid(0, 3), Mid(0, 9));
  EXPECT_EQ(grid->Cells(1, 9), "1:9") << "the footer row stays last";
  EXPECT_EQ(grid->Cells(1, 3), "1:3");
  grid->MoveRow(9, 4);
  EXPECT_EQ(grid->Cells(1, 9), "1:9");
  EXPECT_EQ(grid->Cells(1, 4), "1:4");
  grid->MoveRow(3, 5);
  EXPECT_EQ(grid->Cells(1, 5), "1:3") << "other rows move";
}

// ---------------------------------------------------------------- drag start
struct ThresholdStep {
  int Dx, Dy;
  size_t Runs;
};

TEST_F(GridMoveTest, ADragStartsBeyondThreePixels) {
  const ThresholdStep steps[] = {{3, 0, 0}, {0, 3, 0}, {-3, -3, 0}, {4, 0, 1}, {0, -4, 1}, {3, 4, 1}};
  DragSource({1, 1, 3, 3});
  for (const ThresholdStep& s : steps) {
    dg->Runs.clear();
    grid->SetSelection({1, 1, 3, 3});
    TPoint p = Mid(2, 2);
    Press(p);
    MoveTo(TPoint(p.X + s.Dx, p.Y + s.Dy));
    EXPECT_EQ(dg->Runs.size(), s.Runs) << s.Dx << "," << s.Dy;
    Release(TPoint(p.X + s.Dx, p.Y + s.Dy));
  }
}

// The mouse taken onto the selection's resize handle sizes the selection: no drag starts there.
TEST_F(GridMoveTest, NoDragStartsOnTheHotResizeHandle) {
  struct Case {
    bool resizer;
    size_t runs;
  } cases[] = {{false, 1}, {true, 0}};
  DragSource({1, 1, 3, 3});
  grid->SetSelectionRectangle(true);
  for (const Case& k : cases) {
    grid->SetSelectionResizer(k.resizer);
    dg->Runs.clear();
    grid->SetSelection({1, 1, 3, 3});
    TRect h = grid->SelectionResizeHandle();
    TPoint at((h.Left + h.Right) / 2, (h.Top + h.Bottom) / 2);
    Press(Mid(2, 2));
    MoveTo(at);
    EXPECT_EQ(dg->Runs.size(), k.runs) << "resizer " << k.resizer;
    Release(at);
  }
}

TEST_F(GridMoveTest, TheDragCarriesTheSelectionAndTellsTheHandlers) {
  DragSource({1, 2, 2, 3});
  std::string log;
  grid->OnOleDragStart = [&](TObject*, int r, int c) { log += "Start(" + std::to_string(r) + "," + std::to_string(c) + ") "; };
  grid->OnOleDragStop = [&](TObject*, int e) { log += "Stop(" + std::to_string(e) + ") "; };
  dg->Drop = [](DragGrid*, const TExtStringGrid::TGridDragData&) {
    TExtStringGrid::TGridDragResult r;
    r.Effect = TExtStringGrid::EffectCopy;
    return r;
  };
  Drag(Mid(1, 3), Mid(3, 6));
  ASSERT_EQ(dg->Runs.size(), 1u);
  EXPECT_EQ(dg->Runs[0].Kind, TExtStringGrid::gdkCells);
  EXPECT_EQ(dg->Runs[0].Text, "1:2\t2:2\r\n1:3\t2:3");
  EXPECT_EQ(log, "Start(3,1) Stop(1) ");
  EXPECT_EQ(grid->Cells(1, 2), "1:2") << "a copy leaves the source";
  // A cancelled drag fires no stop.
  log.clear();
  dg->Drop = nullptr;
  Drag(Mid(1, 3), Mid(3, 6));
  EXPECT_EQ(log, "Start(3,1) ");
}

TEST_F(GridMoveTest, AClickInsideTheSelectionSelectsTheCellAtTheRelease) {
  DragSource({1, 1, 3, 3});
  std::string log;
  grid->OnClickCell = [&](TObject*, int r, int c) { log += "ClickCell(" + std::to_string(r) + "," + std::to_string(c) + ") "; };
  TPoint p = Mid(2, 2);
  Press(p);
  EXPECT_EQ(grid->Selection(), (TGridRect{1, 1, 3, 3})) << "the selection waits for a drag";
  EXPECT_EQ(log, "ClickCell(2,2) ");
  Release(p);
  EXPECT_EQ(grid->Selection(), (TGridRect{2, 2, 2, 2}));
  EXPECT_EQ(Current(), TPoint(2, 2));
  EXPECT_TRUE(dg->Runs.empty());
}

TEST_F(GridMoveTest, OnOleDragRefusalStartsSelecting) {
  DragSource({1, 1, 3, 3});
  bool started = false;
  grid->OnOleDrag = [](TObject*, int, int, bool& allow) { allow = false; };
  grid->OnOleDragStart = [&](TObject*, int, int) { started = true; };
  Drag(Mid(2, 2), Mid(3, 5));
  EXPECT_TRUE(dg->Runs.empty());
  EXPECT_FALSE(started);
  EXPECT_EQ(grid->Selection(), (TGridRect{2, 2, 3, 5}));
  EXPECT_EQ(grid->GridState(), gsNormal);
}

// Any press on a cell drags when the mouse moves on: outside the selection and while editing too
// (what is dragged is what the press selected); a refusal leaves the press selecting.
TEST_F(GridMoveTest, APressOutsideTheSelectionOrWhileEditingDragsToo) {
  const struct {
    const char* Name;
    bool Editing, Refuse;
    TGridRect Sel;
  } cases[] = {{"outside the selection", false, false, {3, 5, 3, 5}},
               {"editing, inside the selection", true, false, {1, 1, 3, 3}},
               {"editing, outside the selection", true, false, {3, 5, 3, 5}},
               {"refused outside the selection", false, true, {3, 5, 3, 5}}};
  for (const auto& k : cases) {
    SCOPED_TRACE(k.Name);
    dg->Runs.clear();
    DragSource(k.Sel);
    if (k.Editing) grid->SetOptions(grid->Options() | goEditing);
    int asked = 0;
    grid->OnOleDrag = [&](TObject*, int, int, bool& allow) { ++asked, allow = !k.Refuse; };
    Drag(Mid(2, 2), Mid(3, 6));
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(dg->Runs.size(), k.Refuse ? 0u : 1u);
    if (!dg->Runs.empty()) {
      EXPECT_EQ(dg->Runs[0].Text, "2:2");
    }
    EXPECT_EQ(grid->Selection(), k.Refuse ? (TGridRect{2, 2, 3, 6}) : (TGridRect{2, 2, 2, 2}));
    EXPECT_EQ(grid->GridState(), gsNormal);
  }
}

TEST_F(GridMoveTest, AHeaderDragWithOleColumnDragDropDragsTheColumn) {
  grid->EnhRowColMove = false;
  grid->DragDropSettings()->OleColumnDragDrop = true;
  DragSource({1, 1, 1, 1});
  Drag(Mid(2, 0), Mid(4, 0));
  ASSERT_EQ(dg->Runs.size(), 1u);
  EXPECT_EQ(dg->Runs[0].Kind, TExtStringGrid::gdkColumn);
  EXPECT_EQ(dg->Runs[0].Col, 2);
  EXPECT_EQ(Row1(grid), "0:1 1:1 2:1 3:1 4:1 ") << "moving the column is left to the drop";
}

// ---------------------------------------------------------------- what a move-drag leaves of its source
// A move to another place (nothing dropped into this grid), per setting.
struct MoveEndStep {
  const char* Name;
  bool RowSelect, RemoveRows, CopyAlways;
  int RowCount;
  const char* Cell12;  // the text of cell (1, 2) afterwards
};

TEST_F(GridMoveTest, AMoveDragEmptiesOrRemovesItsSourceByTheSettings) {
  const MoveEndStep steps[] = {
      {"EmptiedByDefault", false, false, false, 10, ""},
      {"KeptWithOleCopyAlways", false, false, true, 10, "1:2"},
      {"RemovedWithOleRemoveRowsInRowSelectMode", true, true, false, 8, "1:4"},
      {"EmptiedWithOleRemoveRowsOutsideRowSelectMode", false, true, false, 10, ""},
      {"RowsStayWithOleRemoveRowsAndCopyAlwaysOutsideRowSelectMode", false, true, true, 10, "1:2"},
  };
  for (const MoveEndStep& s : steps) {
    SCOPED_TRACE(s.Name);
    grid->SetRowCount(10);
    Fill();
    grid->SetOptions(s.RowSelect ? grid->Options() | goRowSelect : grid->Options() & ~goRowSelect);
    grid->DragDropSettings()->OleRemoveRows = s.RemoveRows;
    grid->DragDropSettings()->OleCopyAlways = s.CopyAlways;
    DragSource({1, 2, 2, 3});
    dg->Drop = [](DragGrid*, const TExtStringGrid::TGridDragData&) {
      TExtStringGrid::TGridDragResult r;
      r.Effect = TExtStringGrid::EffectMove;
      return r;
    };
    Drag(Mid(1, 2), Mid(1, 7));
    EXPECT_EQ(grid->RowCount(), s.RowCount);
    EXPECT_EQ(grid->Cells(1, 2), s.Cell12);
    if (!s.RowSelect && !s.CopyAlways) {
      EXPECT_EQ(grid->Cells(2, 3), "");
      EXPECT_EQ(grid->Cells(3, 2), "3:2") << "only the selected block goes";
    }
  }
}

// A move-drag dropped into the same grid: where the source ends empty or removed, and the dropped text.
struct SameGridStep {
  const char* Name;
  bool RemoveRows, Insert;
  TGridRect Source;
  TPoint DropAt;
  int RowCount;
  std::vector<std::pair<TPoint, const char*>> Cells;
};

TEST_F(GridMoveTest, AMoveInsideTheGridFollowsInsertedRowsAndKeepsWhatWasDropped) {
  const SameGridStep steps[] = {
      {"DropBelowTheSource", false, false, {1, 2, 2, 3}, {1, 6}, 10,
       {{{1, 2}, ""}, {{2, 3}, ""}, {{3, 2}, "3:2"}, {{1, 6}, "1:2"}, {{2, 7}, "2:3"}}},
      {"DropAboveTheSourceWithInsertedRows", false, true, {1, 4, 2, 5}, {1, 1}, 12,
       {{{1, 1}, "1:4"}, {{2, 2}, "2:5"}, {{1, 3}, "1:1"}, {{1, 4}, "1:2"}, {{2, 5}, "2:3"},
        {{1, 6}, ""}, {{2, 7}, ""}, {{3, 6}, "3:4"}, {{1, 8}, "1:6"}}},
      {"DropBetweenTheSourceRowsWithInsertedRows", false, true, {1, 3, 1, 5}, {3, 4}, 13,
       {{{1, 3}, ""}, {{3, 4}, "1:3"}, {{3, 6}, "1:5"}, {{1, 7}, ""}, {{1, 8}, ""}, {{1, 9}, "1:6"}}},
      {"DropOverlappingTheSource", false, false, {1, 2, 2, 4}, {2, 3}, 10,
       {{{1, 2}, ""}, {{2, 2}, ""}, {{1, 3}, ""}, {{2, 3}, "1:2"}, {{3, 3}, "2:2"}, {{2, 4}, "1:3"},
        {{2, 5}, "1:4"}, {{3, 5}, "2:4"}, {{1, 4}, ""}, {{1, 5}, "1:5"}}},
      {"RemovedRowsFollowRowsInsertedAbove", true, true, {1, 4, 4, 5}, {1, 2}, 10,
       {{{1, 2}, "1:4"}, {{4, 3}, "4:5"}, {{1, 4}, "1:2"}, {{1, 5}, "1:3"}, {{1, 6}, "1:6"}}},
      {"RowsHoldingDroppedTextStay", true, false, {1, 4, 4, 5}, {1, 5}, 9,
       {{{1, 3}, "1:3"}, {{1, 4}, "1:4"}, {{4, 5}, "4:5"}, {{1, 6}, "1:7"}}},
  };
  for (const SameGridStep& s : steps) {
    SCOPED_TRACE(s.Name);
    grid->SetRowCount(10);
    Fill();
    grid->SetOptions(s.RemoveRows ? grid->Options() | goRowSelect : grid->Options() & ~goRowSelect);
    grid->DragDropSettings()->OleRemoveRows = s.RemoveRows;
    DragSource(s.Source);
    dg->Drop = [&s](DragGrid* g, const TExtStringGrid::TGridDragData& d) {
      return DropHere(g, d.Text, s.DropAt.X, s.DropAt.Y, s.Insert);
    };
    Drag(Mid(s.Source.Left, s.Source.Top), Mid(s.Source.Left, 8));
    EXPECT_EQ(grid->RowCount(), s.RowCount);
    for (const auto& [at, text] : s.Cells) EXPECT_EQ(grid->Cells(at.X, at.Y), text) << at.X << "," << at.Y;
  }
}

TEST_F(GridMoveTest, FlaggedRowsOfAMoveDragGoWhereInsertedRowsPushedThem) {
  grid->SetOptions(grid->Options() | goRowSelect);
  grid->MouseActions()->SetDisjunctRowSelect(true);
  grid->DragDropSettings()->OleRemoveRows = true;
  DragSource({1, 2, 4, 2});
  grid->SetRowSelect(2, true);
  grid->SetRowSelect(5, true);
  dg->Drop = [](DragGrid* g, const TExtStringGrid::TGridDragData&) { return DropHere(g, "X", 1, 3, true); };
  Drag(Mid(1, 2), Mid(1, 8));
  // Rows 2 and 5 went (5 had become 6); the inserted row 3 holds the drop.
  EXPECT_EQ(grid->RowCount(), 9);
  EXPECT_EQ(grid->Cells(1, 2), "X");
  EXPECT_EQ(grid->Cells(1, 3), "1:3");
  EXPECT_EQ(grid->Cells(1, 4), "1:4");
  EXPECT_EQ(grid->Cells(1, 5), "1:6");
}

// ---------------------------------------------------------------- what a person sees
TEST_F(GridMoveTest, PictureOfAColumnBeingMoved) {
  grid->SetColCount(6);
  grid->SetOptions(grid->Options() | goColMoving);
  TStringList headers;
  for (const char* h : {"", "Address", "Data", "Mode", "Flags", "Note"}) headers.Add(h);
  grid->SetColumnHeaders(&headers);
  Load();
  TPoint a = Mid(2, 0), b = Mid(4, 0);
  b.X -= 10;
  Press(a);
  MoveTo(b);
  Flush();
  std::string file = TestImagePath("extgrid-move-column.png");
  ASSERT_TRUE(SaveControlImage(form, file));
  QImage img(QString::fromStdString(file));
  ASSERT_FALSE(img.isNull());
  // The marker colour near a point of the grid's client area (the grid's border is 2 pixels).
  auto markerNear = [&](int cx, int cy) {
    for (int dy = 0; dy <= 4; ++dy)
      for (int dx = 0; dx <= 4; ++dx) {
        int x = grid->Left() + 2 + cx + dx - 2, y = grid->Top() + 2 + cy + dy - 2;
        if (x >= 0 && y >= 0 && x < img.width() && y < img.height() && (img.pixel(x, y) & 0xFFFFFF) == 0xE65000u)
          return true;
      }
    return false;
  };
  // The markers are the arrow windows beside the header, not drawn over the cells.
  EXPECT_TRUE(ArrowShown(grid, TArrowWindow::Down));
  EXPECT_FALSE(markerNear(grid->CellRect(4, 0).Right, grid->CellRect(4, 3).Top + 5));
  // The picture, framed, where the mouse holds it.
  TControl* im = grid->MoveImage();
  ASSERT_TRUE(im);
  EXPECT_TRUE(markerNear(im->Left() + im->Width() / 2, im->Top() + 1));
  Release(b);
}

}  // namespace
