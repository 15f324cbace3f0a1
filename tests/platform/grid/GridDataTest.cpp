// The string grid's data through the grid: texts and objects written beyond the
// counts come back when the counts grow, lines move and go with their data and
// sizes, row assignment, and bad indexes raise the grid's error.
#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "tests/platform/grid/GridTestSupport.h"

namespace {

class TTag : public TObject {};

class Data : public GridTest {};

TEST_F(Data, CellsWrittenBeyondTheRowCountComeBackWhenItGrows) {
  // As the register window does: 17 columns, 17 rows, labels and colours for all 33 rows.
  grid->SetColCount(17);
  grid->SetRowCount(17);
  TTag colour;
  for (int r = 1; r <= 32; ++r) grid->SetCells(0, r, std::to_string(r - 1));
  grid->SetObjects(5, 30, &colour);
  grid->SetCells(5, 30, "AB");
  EXPECT_EQ(grid->Cells(0, 25), "24") << "kept although not shown";
  PaintAll();
  for (const auto& d : PaintAll()) EXPECT_LT(d.Row, 17) << "only rows 0 to RowCount - 1 are shown";

  grid->SetRowCount(10);
  EXPECT_EQ(grid->Cells(0, 12), "11") << "shrinking loses nothing";
  grid->SetRowCount(33);
  EXPECT_EQ(grid->Cells(0, 32), "31");
  EXPECT_EQ(grid->Cells(5, 30), "AB");
  EXPECT_EQ(grid->Objects(5, 30), &colour);
  EXPECT_EQ(grid->Cells(7, 31), "") << "a row that comes into view with nothing stored is empty";
  EXPECT_EQ(grid->RowHeights(31), grid->DefaultRowHeight());
  grid->SetRow(30);
  bool seen = false;
  for (const auto& d : PaintAll()) seen = seen || (d.Col == 5 && d.Row == 30);
  EXPECT_TRUE(seen) << "the stored row is drawn once it is in the grid";
}

TEST_F(Data, BadIndexesRaiseTheGridErrorAndTouchNothing) {
  const int bound = TGridStore::kIndexBound;
  for (auto [c, r] : {std::pair{-1, 0}, {0, -1}, {bound, 1}, {1, bound}}) {
    EXPECT_THROW(grid->SetCells(c, r, "x"), EInvalidGridOperation) << c << "," << r;
    EXPECT_THROW(grid->Cells(c, r), EInvalidGridOperation);
    EXPECT_THROW(grid->SetObjects(c, r, nullptr), EInvalidGridOperation);
    EXPECT_THROW(grid->Objects(c, r), EInvalidGridOperation);
  }
  try {
    grid->SetCells(0, -3, "x");
    FAIL();
  } catch (Exception& e) {
    EXPECT_EQ(e.Message(), "Grid index out of range");
  }
  EXPECT_THROW(grid->MoveRow(0, 5), EInvalidGridOperation) << "moves stay inside the counts";
  EXPECT_THROW(grid->DeleteRow(5), EInvalidGridOperation);
  EXPECT_THROW(grid->DeleteColumn(-1), EInvalidGridOperation);
  EXPECT_THROW(grid->Rows(-1), EInvalidGridOperation);
  EXPECT_EQ(grid->Store().RowsHeld(), 0) << "nothing was stored by the refused calls";
  grid->SetCells(3, bound - 1, "far");
  EXPECT_EQ(grid->Cells(3, bound - 1), "far") << "within the bound, far beyond the count, it is kept";
}

// A block moves as the same rows moved one by one would: texts, objects, heights, current row.
TEST_F(Data, RowBlockMovesLikeSingleRowMovesInBothDirections) {
  for (auto [from, count, to] : {std::tuple{1, 3, 4}, std::tuple{5, 2, 0}, std::tuple{0, 7, 0}, std::tuple{2, 1, 6}}) {
    grid->SetRowCount(8);
    TTag t;
    for (int r = 0; r < 8; ++r) {
      grid->SetCells(1, r, "r" + std::to_string(r));
      grid->SetRowHeights(r, 20 + r);
    }
    grid->SetObjects(2, from, &t);
    grid->SetRow(from);
    std::vector<std::string> want;
    for (int r = 0; r < 8; ++r) want.push_back("r" + std::to_string(r));
    std::vector<std::string> block(want.begin() + from, want.begin() + from + count);
    want.erase(want.begin() + from, want.begin() + from + count);
    want.insert(want.begin() + to, block.begin(), block.end());
    grid->MoveRowBlock(from, count, to);
    for (int r = 0; r < 8; ++r) {
      EXPECT_EQ(grid->Cells(1, r), want[static_cast<size_t>(r)]) << from << "," << count << "," << to;
      EXPECT_EQ(grid->RowHeights(r), 20 + std::stoi(want[static_cast<size_t>(r)].substr(1)));
    }
    EXPECT_EQ(grid->Objects(2, to), &t);
    EXPECT_EQ(grid->Row(), to);
    grid->SetObjects(2, to, nullptr);
  }
  EXPECT_THROW(grid->MoveRowBlock(5, 4, 0), EInvalidGridOperation);
  EXPECT_THROW(grid->MoveRowBlock(0, 2, 7), EInvalidGridOperation);
}

// A new order for the rows from Lo: texts, heights and the current row go where the order says,
// rows outside it stay; what is no permutation of the range raises and changes nothing.
TEST_F(Data, PermutedRowsTakeTheirDataAndTheCurrentRow) {
  struct Case {
    int Lo;
    std::vector<int> Order;
  };
  for (const Case& c : {Case{0, {7, 6, 5, 4, 3, 2, 1, 0}}, Case{2, {5, 2, 7, 3, 6, 4}}, Case{3, {3, 4, 5}},
                        Case{6, {7, 6}}}) {
    grid->SetRowCount(8);
    for (int r = 0; r < 8; ++r) {
      grid->SetCells(1, r, "r" + std::to_string(r));
      grid->SetRowHeights(r, 20 + r);
    }
    grid->SetRow(c.Order.front());
    grid->PermuteRows(c.Lo, c.Order);
    for (int r = 0; r < 8; ++r) {
      const int end = c.Lo + static_cast<int>(c.Order.size());
      const int want = r < c.Lo || r >= end ? r : c.Order[static_cast<size_t>(r - c.Lo)];
      EXPECT_EQ(grid->Cells(1, r), "r" + std::to_string(want)) << c.Lo << " row " << r;
      EXPECT_EQ(grid->RowHeights(r), 20 + want);
    }
    EXPECT_EQ(grid->Row(), c.Lo);
  }
  for (const Case& c : {Case{0, {0, 0}}, Case{5, {5, 6, 7, 8}}, Case{1, {0, 1}}, Case{-1, {0}}}) {
    EXPECT_THROW(grid->PermuteRows(c.Lo, c.Order), EInvalidGridOperation) << c.Lo;
    EXPECT_EQ(grid->Cells(1, 6), "r7") << "the last order above stays";
    EXPECT_EQ(grid->Cells(1, 7), "r6");
  }
}

// Rows listed give up their places (CloseUpRows) or the rows from the end come in at them
// (OpenUpRows): the others keep their order, heights go with their rows, the listed places hold the
// rows expected in any order, and the current row goes with its row; a list not ascending,
// repeating a row or leaving the grid raises and changes nothing.
TEST_F(Data, RowsCloseUpAndOpenUpAroundTheListedPlaces) {
  auto fill = [&](int Current) {
    grid->SetRowCount(8);
    for (int r = 0; r < 8; ++r) {
      grid->SetCells(1, r, std::to_string(r));
      grid->SetRowHeights(r, 20 + r);
    }
    grid->SetRow(Current);
  };
  // The row standing at each place, -1 for any of Set; every row stands once.
  auto rows = [&](const std::vector<int>& Set) {
    std::vector<int> v, all;
    for (int r = 0; r < 8; ++r) {
      all.push_back(std::stoi(grid->Cells(1, r)));
      EXPECT_EQ(grid->RowHeights(r), 20 + all.back());
      v.push_back(std::count(Set.begin(), Set.end(), all.back()) ? -1 : all.back());
    }
    EXPECT_TRUE(std::is_permutation(all.begin(), all.end(), std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7}.begin()));
    return v;
  };
  auto at = [](const std::vector<int>& V, int X) { return static_cast<int>(std::find(V.begin(), V.end(), X) - V.begin()); };
  struct Case {
    std::vector<int> Rows;
    int Current;
  };
  for (const Case& c : {Case{{0}, 3}, Case{{1, 2, 3}, 5}, Case{{1, 3, 6}, 3}, Case{{0, 2, 4, 6}, 7}, Case{{7}, 7}, Case{{2, 5}, 1}}) {
    SCOPED_TRACE(::testing::PrintToString(c.Rows));
    const int last = 8 - static_cast<int>(c.Rows.size());
    auto listed = [&](int r) { return std::binary_search(c.Rows.begin(), c.Rows.end(), r); };
    std::vector<int> closed, opened, coming;
    for (int r = 0, k = 0; r < 8; ++r) {
      if (!listed(r)) closed.push_back(r);
      opened.push_back(listed(r) ? -1 : k++);
      if (r >= last) coming.push_back(r);
    }
    closed.resize(8, -1);
    fill(c.Current);
    grid->CloseUpRows(c.Rows);
    EXPECT_EQ(rows(c.Rows), closed);
    EXPECT_EQ(grid->Row(), listed(c.Current) ? last + at(c.Rows, c.Current) : at(closed, c.Current));
    fill(c.Current);
    grid->OpenUpRows(c.Rows);
    EXPECT_EQ(rows(coming), opened);
    EXPECT_EQ(grid->Row(), c.Current < last ? at(opened, c.Current) : c.Rows[static_cast<size_t>(c.Current - last)]);
  }
  fill(1);
  for (const std::vector<int>& bad : {std::vector<int>{2, 2}, {3, 1}, {-1, 2}, {5, 8}}) {
    EXPECT_THROW(grid->CloseUpRows(bad), EInvalidGridOperation);
    EXPECT_THROW(grid->OpenUpRows(bad), EInvalidGridOperation);
    EXPECT_EQ(rows({}), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7}));
  }
}

TEST_F(Data, MovedAndDeletedLinesTakeTheirTextsObjectsAndSizes) {
  grid->SetRowCount(6);
  TTag t;
  for (int r = 0; r < 6; ++r) grid->SetCells(1, r, "r" + std::to_string(r));
  grid->SetObjects(2, 2, &t);
  grid->SetRowHeights(2, 40);
  grid->SetRow(2);
  std::vector<std::pair<int, int>> moved;
  grid->OnRowMoved = [&](TObject*, int f, int to) { moved.push_back({f, to}); };
  grid->MoveRow(2, 4);
  EXPECT_EQ(moved, (std::vector<std::pair<int, int>>{{2, 4}}));
  EXPECT_EQ(grid->Cells(1, 4), "r2");
  EXPECT_EQ(grid->Cells(1, 2), "r3");
  EXPECT_EQ(grid->Objects(2, 4), &t);
  EXPECT_EQ(grid->RowHeights(4), 40);
  EXPECT_EQ(grid->Row(), 4) << "the current row goes with its row";

  grid->DeleteRow(1);
  EXPECT_EQ(grid->RowCount(), 5);
  EXPECT_EQ(grid->Cells(1, 1), "r3") << "the rows below move up";
  EXPECT_EQ(grid->Cells(1, 3), "r2");
  EXPECT_EQ(grid->RowHeights(3), 40);
  grid->SetRowCount(6);
  EXPECT_EQ(grid->Cells(1, 5), "") << "a deleted row does not come back when the count grows";
  EXPECT_EQ(grid->Cells(1, 4), "r5");

  grid->DeleteColumn(1);
  EXPECT_EQ(grid->ColCount(), 4);
  EXPECT_EQ(grid->Cells(1, 3), "") << "the column's texts went with it";
  EXPECT_EQ(grid->Objects(1, 3), &t) << "the column to the right moved in";
}

TEST_F(Data, AssigningARowMovesItsTextsAndObjects) {
  TTag a, b;
  grid->SetCells(0, 1, "h");
  grid->SetCells(1, 1, "x");
  grid->SetObjects(1, 1, &a);
  grid->SetObjects(3, 2, &b);
  grid->SetRows(2, grid->Rows(1));
  EXPECT_EQ(grid->Cells(0, 2), "h");
  EXPECT_EQ(grid->Cells(1, 2), "x");
  EXPECT_EQ(grid->Objects(1, 2), &a);
  EXPECT_EQ(grid->Objects(3, 2), nullptr) << "every cell of the line takes the source's";
  EXPECT_EQ(grid->Rows(1)->Count(), grid->ColCount());
  EXPECT_EQ(grid->Cols(1)->Get(2), "x");
  grid->Rows(3)->Add("first empty");
  EXPECT_EQ(grid->Cells(0, 3), "first empty");
  EXPECT_THROW(grid->Rows(3)->Delete(0), EInvalidGridOperation);
  grid->Rows(1)->Clear();
  EXPECT_EQ(grid->Cells(1, 1), "");
  EXPECT_EQ(grid->Objects(1, 1), nullptr);
}

}  // namespace
