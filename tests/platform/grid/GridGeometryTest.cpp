// Geometry of the grid through the real widget: cell rectangles, hit tests and
// visible counts, with grid lines of one pixel and of none, fixed rows and
// columns, after scrolling, and the scroll bars that follow.
#include "platform/gui/WinWindow.h"
#include "tests/platform/grid/GridTestSupport.h"

namespace {

class Geometry : public GridTest, public ::testing::WithParamInterface<int> {
 protected:
  // 20 columns of 30, 50 rows of 20, one fixed row and column.
  void Shape(int lineWidth, int fixedCols = 1, int fixedRows = 1) {
    grid->SetColCount(20);
    grid->SetRowCount(50);
    grid->SetFixedCols(fixedCols);
    grid->SetFixedRows(fixedRows);
    grid->SetDefaultColWidth(30);
    grid->SetDefaultRowHeight(20);
    grid->SetGridLineWidth(lineWidth);
  }
};

TEST_P(Geometry, CellRectanglesHitTestsAndVisibleCounts) {
  const int lw = GetParam();
  Shape(lw);
  const int cw = 30 + lw, rh = 20 + lw;  // pitch of a column and a row
  TRect client = grid->ClientRect();
  const int bar = GetSystemMetrics(SM_CXVSCROLL);
  EXPECT_EQ(client.Right, 400 - 4 - bar) << "a single border takes 2 pixels a side, the bar its width";
  EXPECT_EQ(client.Bottom, 300 - 4 - GetSystemMetrics(SM_CYHSCROLL));

  EXPECT_EQ(grid->CellRect(0, 0), TRect(0, 0, 30, 20));
  EXPECT_EQ(grid->CellRect(1, 1), TRect(cw, rh, cw + 30, rh + 20));
  EXPECT_EQ(grid->CellRect(3, 2), TRect(3 * cw, 2 * rh, 3 * cw + 30, 2 * rh + 20));

  // Fully visible scrolling rows: those whose cell and line fit under the fixed row.
  const int visRows = (client.Bottom - rh) / rh, visCols = (client.Right - cw) / cw;
  EXPECT_EQ(grid->VisibleRowCount(), visRows);
  EXPECT_EQ(grid->VisibleColCount(), visCols);
  // The first partly visible row is cut at the client edge; the next one is out of view.
  int partRow = 1 + visRows;
  if (partRow * rh < client.Bottom) {
    EXPECT_EQ(grid->CellRect(1, partRow).Bottom, client.Bottom) << "a partly visible cell is cut to the client";
    EXPECT_EQ(grid->CellRect(1, partRow).Top, partRow * rh);
    EXPECT_EQ(grid->MouseCoord(cw + 1, client.Bottom - 1), (TGridCoord{1, partRow}));
  }
  EXPECT_EQ(grid->CellRect(1, partRow + 1), TRect()) << "a cell out of view has an empty rectangle";

  // Hit tests: a grid line belongs to the cell before it; outside the cells there is no cell.
  EXPECT_EQ(grid->MouseCoord(0, 0), (TGridCoord{0, 0}));
  EXPECT_EQ(grid->MouseCoord(29, 19), (TGridCoord{0, 0}));
  EXPECT_EQ(grid->MouseCoord(30, 20), lw ? (TGridCoord{0, 0}) : (TGridCoord{1, 1}));
  EXPECT_EQ(grid->MouseCoord(cw, rh), (TGridCoord{1, 1}));
  EXPECT_EQ(grid->MouseCoord(-1, 5).X, -1);
  EXPECT_EQ(grid->MouseCoord(5, client.Bottom).Y, -1) << "below the client area";
  int c, r;
  grid->MouseToCell(cw * 2 + 3, rh * 4 + 3, c, r);
  EXPECT_EQ(c, 2);
  EXPECT_EQ(r, 4);

  // After scrolling, the fixed row and column stay and the scrolling cells start after them.
  grid->SetTopRow(10);
  grid->SetLeftCol(5);
  EXPECT_EQ(grid->TopRow(), 10);
  EXPECT_EQ(grid->LeftCol(), 5);
  EXPECT_EQ(grid->CellRect(0, 0), TRect(0, 0, 30, 20));
  EXPECT_EQ(grid->CellRect(5, 10), TRect(cw, rh, cw + 30, rh + 20));
  EXPECT_EQ(grid->CellRect(0, 10), TRect(0, rh, 30, rh + 20)) << "a fixed column cell beside the top row";
  EXPECT_EQ(grid->CellRect(4, 10), TRect()) << "left of LeftCol is out of view";
  EXPECT_EQ(grid->CellRect(1, 9), TRect()) << "above TopRow is out of view";
  EXPECT_EQ(grid->MouseCoord(cw + 1, rh + 1), (TGridCoord{5, 10}));
  EXPECT_EQ(grid->MouseCoord(1, rh * 2 + 1), (TGridCoord{0, 11}));

  // The last top row shows the last rows fully; the visible count there is what is left.
  grid->SetTopRow(1000);
  EXPECT_EQ(grid->TopRow(), grid->MaxTopRow()) << "a top row past the end is clamped";
  EXPECT_EQ(grid->TopRow() + grid->VisibleRowCount(), 50) << "at the end the last row is fully visible";
  TRect last = grid->CellRect(5, 49);
  EXPECT_LE(last.Bottom + lw, client.Bottom);
  EXPECT_EQ(last.Bottom - last.Top, 20);
  grid->SetTopRow(-5);
  EXPECT_EQ(grid->TopRow(), 1) << "a top row before the fixed rows is clamped";
}

TEST_P(Geometry, SeveralFixedRowsAndColumnsAndUnevenSizes) {
  const int lw = GetParam();
  Shape(lw, 2, 3);
  grid->SetColWidths(0, 10);
  grid->SetColWidths(1, 50);
  grid->SetRowHeights(2, 7);
  grid->SetRowHeights(3, 40);
  EXPECT_EQ(grid->CellRect(1, 2), TRect(10 + lw, 40 + 2 * lw, 60 + lw, 47 + 2 * lw));
  EXPECT_EQ(grid->CellRect(2, 3), TRect(60 + 2 * lw, 47 + 3 * lw, 90 + 2 * lw, 87 + 3 * lw));
  EXPECT_EQ(grid->MouseCoord(10 + lw, 40 + 2 * lw), (TGridCoord{1, 2}));
  grid->SetTopRow(4);
  EXPECT_EQ(grid->CellRect(2, 4), TRect(60 + 2 * lw, 47 + 3 * lw, 90 + 2 * lw, 67 + 3 * lw))
      << "the first scrolling row shown starts right after the fixed rows";
  EXPECT_EQ(grid->CellRect(2, 3), TRect());
  EXPECT_EQ(grid->RowHeights(999), 20) << "beyond the count a height reads as the default";
  EXPECT_THROW(grid->SetRowHeights(50, 3), EInvalidGridOperation);
  EXPECT_THROW(grid->SetColWidths(-1, 3), EInvalidGridOperation);
}

TEST_P(Geometry, ScrollBarsFollowTheTopRowAndTheCounts) {
  Shape(GetParam());
  HWND h = grid->Handle();
  EXPECT_TRUE(ScrollBarShown(h, SB_VERT));
  EXPECT_TRUE(ScrollBarShown(h, SB_HORZ));
  SCROLLINFO si;
  si.fMask = SIF_ALL;
  ASSERT_TRUE(GetScrollInfo(h, SB_VERT, si));
  EXPECT_EQ(si.nMin, 1) << "the range starts at the first scrolling row";
  EXPECT_EQ(si.nMax, 49);
  EXPECT_EQ(si.nMax - static_cast<int>(si.nPage) + 1, grid->MaxTopRow()) << "the largest position is the last top row";
  EXPECT_EQ(si.nPos, 1);
  grid->SetTopRow(7);
  EXPECT_EQ(GetScrollPos(h, SB_VERT), 7);

  // The user's bar: line, page and thumb messages scroll, and the position follows.
  grid->Perform(WM_VSCROLL, MakeScrollWParam(SB_LINEDOWN, 0));
  EXPECT_EQ(grid->TopRow(), 8);
  grid->Perform(WM_VSCROLL, MakeScrollWParam(SB_PAGEDOWN, 0));
  EXPECT_EQ(grid->TopRow(), 8 + grid->VisibleRowCount());
  grid->Perform(WM_VSCROLL, MakeScrollWParam(SB_THUMBTRACK, 20));
  EXPECT_EQ(grid->TopRow(), 8 + grid->VisibleRowCount()) << "without goThumbTracking a drag does not scroll";
  grid->Perform(WM_VSCROLL, MakeScrollWParam(SB_THUMBPOSITION, 20));
  EXPECT_EQ(grid->TopRow(), 20);
  EXPECT_EQ(GetScrollPos(h, SB_VERT), 20);
  grid->SetOptions(grid->Options() | goThumbTracking);
  grid->Perform(WM_VSCROLL, MakeScrollWParam(SB_THUMBTRACK, 12));
  EXPECT_EQ(grid->TopRow(), 12);
  grid->Perform(WM_VSCROLL, MakeScrollWParam(SB_BOTTOM, 0));
  EXPECT_EQ(grid->TopRow(), grid->MaxTopRow());
  grid->Perform(WM_HSCROLL, MakeScrollWParam(SB_LINERIGHT, 0));
  EXPECT_EQ(grid->LeftCol(), 2);
  EXPECT_EQ(GetScrollPos(h, SB_HORZ), 2);

  // Every row fits: the vertical bar goes and the client area widens.
  int before = grid->ClientWidth();
  grid->SetRowCount(5);
  EXPECT_FALSE(ScrollBarShown(h, SB_VERT));
  EXPECT_EQ(grid->ClientWidth(), before + GetSystemMetrics(SM_CXVSCROLL));
  EXPECT_EQ(grid->TopRow(), 1);
  grid->SetScrollBars(ssNone);
  EXPECT_FALSE(ScrollBarShown(h, SB_HORZ)) << "ssNone shows no bar even when columns are hidden";
}

INSTANTIATE_TEST_SUITE_P(LineWidth, Geometry, ::testing::Values(1, 0),
                         [](const ::testing::TestParamInfo<int>& i) { return "Line" + std::to_string(i.param); });

TEST_F(GridTest, CountsClampTheCurrentCellTheScrollPositionAndTheFixedCounts) {
  grid->SetColCount(10);
  grid->SetRowCount(200);
  grid->SetRow(150);
  grid->SetCol(8);
  EXPECT_GT(grid->TopRow(), 100) << "the new row was scrolled into view";
  grid->SetRowCount(40);
  EXPECT_EQ(grid->Row(), 39) << "the current row moves onto the last row that exists";
  EXPECT_LE(grid->TopRow(), grid->MaxTopRow());
  EXPECT_EQ(grid->TopRow() + grid->VisibleRowCount(), 40) << "the view still ends at the last row";
  grid->SetColCount(3);
  EXPECT_EQ(grid->Col(), 2);
  grid->SetRowCount(0);
  EXPECT_EQ(grid->RowCount(), 1) << "at least one row stays";
  EXPECT_EQ(grid->FixedRows(), 0) << "a count at the fixed count lowers the fixed count";
  EXPECT_EQ(grid->Row(), 0);
  EXPECT_THROW(grid->SetFixedRows(1), EInvalidGridOperation);
  try {
    grid->SetFixedCols(3);
  } catch (EInvalidGridOperation& e) {
    EXPECT_EQ(e.Message(), "Fixed column count must be less than column count");
  }
  EXPECT_THROW(grid->SetRowCount(TGridStore::kIndexBound + 1), EInvalidGridOperation);
  EXPECT_EQ(grid->RowCount(), 1);
}

}  // namespace

TEST_F(GridTest, SizingKeepsTheCurrentCellAndFixedCountsClampOnlyIntoTheScrollingCells) {
  grid->SetColCount(10);
  grid->SetRowCount(20);
  grid->SetCol(4);
  grid->SetRow(6);
  grid->Log.clear();
  // Sizing the control, the lines and the counts neither asks SelectCell nor moves the cell.
  grid->SetBounds(0, 0, 120, 90);
  grid->SetBounds(0, 0, 500, 400);
  grid->SetDefaultColWidth(40);
  grid->SetColWidths(4, 80);
  grid->SetRowCount(30);
  grid->SetColCount(12);
  EXPECT_TRUE(grid->Log.empty()) << grid->Log.front();
  EXPECT_EQ(grid->Col(), 4);
  EXPECT_EQ(grid->Row(), 6);

  // Lowering the fixed counts leaves the cell where it is; raising them past it moves it
  // onto the first scrolling line.
  grid->SetCol(1);
  grid->SetRow(1);
  grid->Log.clear();
  grid->SetFixedCols(0);
  grid->SetFixedRows(0);
  EXPECT_EQ(grid->Col(), 1);
  EXPECT_EQ(grid->Row(), 1);
  grid->SetFixedCols(3);
  grid->SetFixedRows(2);
  EXPECT_EQ(grid->Col(), 3);
  EXPECT_EQ(grid->Row(), 2);
  EXPECT_EQ(grid->LeftCol(), 3);
  EXPECT_EQ(grid->TopRow(), 2);
  EXPECT_TRUE(grid->Log.empty()) << grid->Log.front();
  grid->SetCol(7);
  grid->SetFixedCols(1);
  EXPECT_EQ(grid->Col(), 7);
}
