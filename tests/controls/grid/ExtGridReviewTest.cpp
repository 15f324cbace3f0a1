// Faults a user met in the program's tables, driven through synthesised events.
#include <gtest/gtest.h>

#include <QCursor>
#include <QImage>

#include "platform/gui/Messages.h"
#include "tests/controls/grid/GridInputFixture.h"

// The message table deletes the clicked row: the current row stays in place on the next
// row's data, not at the end of the table (where a second Delete would remove another row).
TEST_F(GridInputTest, RemovingTheClickedRowKeepsTheCurrentRowInPlace) {
  grid->SetColCount(8);
  grid->SetRowCount(33);
  grid->SetFixedCols(2);
  grid->SetFixedRows(1);
  grid->SetOptions(goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goRowSelect);
  for (int r = 1; r < grid->RowCount(); ++r) grid->SetCells(4, r, "m" + std::to_string(r));
  Flush();
  ClickCell(4, 3);
  ASSERT_EQ(grid->Row(), 3);
  grid->RemoveRows(grid->Row(), 1);
  EXPECT_EQ(grid->Row(), 3);
  EXPECT_EQ(grid->Selection().Top, 3);
  EXPECT_EQ(grid->Selection().Bottom, 3);
  EXPECT_EQ(grid->TopRow(), 1);
  grid->RemoveRows(grid->Row(), 1);
  EXPECT_EQ(grid->Cells(4, 3), "m5");
  EXPECT_EQ(grid->Cells(4, 30), "m32");
  // The last row removed: the row above becomes current.
  ClickCell(4, 1);
  grid->SetRow(grid->RowCount() - 1);
  grid->RemoveRows(grid->Row(), 1);
  EXPECT_EQ(grid->Row(), grid->RowCount() - 1);
}

namespace {
QImage ShownCursor(TExtStringGrid* g) { return g->ClientWidget()->cursor().pixmap().toImage(); }
QImage CursorArt(TCursor c) { return reinterpret_cast<const QCursor*>(Screen->Cursors(c))->pixmap().toImage(); }
}  // namespace

// Middle-button panning: the arrow the timer picks shows at once, and the ordinary pointer is
// back as soon as a key ends panning, without waiting for the mouse to move.
TEST_F(GridInputTest, PanningCursorShownFollowsTheTimerAndGoesWithTheEnd) {
  grid->SetColCount(20);
  grid->SetRowCount(60);
  Load();
  Mouse(QEvent::MouseMove, 200, 120);
  Mouse(QEvent::MouseButtonPress, 200, 120, Qt::MiddleButton);
  Mouse(QEvent::MouseButtonRelease, 200, 120, Qt::MiddleButton);
  ASSERT_TRUE(grid->Panning());
  Mouse(QEvent::MouseMove, 200, 220);
  EXPECT_EQ(ShownCursor(grid), CursorArt(TExtStringGrid::crGridPan));
  grid->Perform(WM_TIMER, 999, 0);
  ASSERT_EQ(grid->Cursor(), TExtStringGrid::crGridPanDown);
  EXPECT_EQ(ShownCursor(grid), CursorArt(TExtStringGrid::crGridPanDown)) << "the direction shows without a move";
  Key(Qt::Key_Escape);
  ASSERT_FALSE(grid->Panning());
  EXPECT_EQ(grid->ClientWidget()->cursor().shape(), Qt::ArrowCursor) << "the pointer comes back without a move";
  EXPECT_TRUE(ShownCursor(grid).isNull());
}

// The register table sizes its columns and rows: the sizing cursor stays while the border is
// dragged, not only while the mouse rests on it.
TEST_F(GridInputTest, TheSizingCursorStaysWhileABorderIsDragged) {
  grid->SetOptions(grid->Options() | goColSizing | goRowSizing);
  grid->SetFixedCols(1);
  grid->SetFixedRows(1);
  Load();
  struct Case {
    bool cols;
    TCursor cursor;
  };
  for (Case k : {Case{true, crHSplit}, Case{false, crVSplit}}) {
    const TRect h = k.cols ? grid->CellRect(2, 0) : grid->CellRect(0, 2);
    const TPoint at = k.cols ? TPoint(h.Right - 1, (h.Top + h.Bottom) / 2) : TPoint((h.Left + h.Right) / 2, h.Bottom - 1);
    const auto want = reinterpret_cast<const QCursor*>(Screen->Cursors(k.cursor))->shape();
    Mouse(QEvent::MouseMove, at.X, at.Y);
    ASSERT_EQ(grid->ClientWidget()->cursor().shape(), want) << k.cols;
    Mouse(QEvent::MouseButtonPress, at.X, at.Y);
    ASSERT_EQ(grid->GridState(), k.cols ? gsColSizing : gsRowSizing);
    Mouse(QEvent::MouseMove, at.X + (k.cols ? 25 : 0), at.Y + (k.cols ? 0 : 25));
    EXPECT_EQ(grid->ClientWidget()->cursor().shape(), want) << k.cols;
    Mouse(QEvent::MouseButtonRelease, at.X + (k.cols ? 25 : 0), at.Y + (k.cols ? 0 : 25));
    EXPECT_EQ(grid->GridState(), gsNormal);
  }
}

// A mouse resting while panning scrolls the cells under it: no hint pops up over them.
TEST_F(GridInputTest, NoHintPopsUpWhilePanning) {
  grid->SetRowCount(60);
  grid->SetHint("Enter a byte");
  grid->SetShowHint(true);
  Load();
  auto hintShown = [&](int x, int y) {
    Application->ActivateHint(grid->ClientToScreen(TPoint(x, y)));
    return Application->HintWindow() && Application->HintWindow()->Active();
  };
  Mouse(QEvent::MouseMove, 200, 120);
  ASSERT_TRUE(hintShown(200, 120)) << "the grid's hint shows when not panning";
  Application->CancelHint();
  Mouse(QEvent::MouseButtonPress, 200, 120, Qt::MiddleButton);
  Mouse(QEvent::MouseButtonRelease, 200, 120, Qt::MiddleButton);
  ASSERT_TRUE(grid->Panning());
  Mouse(QEvent::MouseMove, 200, 220);
  EXPECT_FALSE(hintShown(200, 220));
  Key(Qt::Key_Escape);
  ASSERT_FALSE(grid->Panning());
  EXPECT_TRUE(hintShown(200, 220)) << "after panning the hint is back";
  Application->CancelHint();
}
