// The grid's columns when the shown grid is resized: following the width,
// the stretch column, and an edit in progress.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

#include "tests/controls/grid/GridInputFixture.h"

namespace {

class GridSizeTest : public GridInputTest {
 public:
  void SetUp() override {
    GridInputTest::SetUp();
    grid->SetScrollBars(ssNone);
    grid->SetRowCount(4);
    Flush();
    frame = grid->Width() - grid->ClientWidth();
  }
  void SetWidths(const std::vector<int>& w) {
    for (int c = 0; c < static_cast<int>(w.size()); ++c) grid->SetColWidths(c, w[static_cast<size_t>(c)]);
  }
  std::vector<int> Widths() const {
    std::vector<int> w;
    for (int c = 0; c < grid->ColCount(); ++c) w.push_back(grid->ColWidths(c));
    return w;
  }
  // Resizes the shown grid so its client area is ClientW wide.
  void ResizeClient(int ClientW) {
    grid->SetBounds(grid->Left(), grid->Top(), ClientW > 0 ? ClientW + frame : 0, grid->Height());
    Flush();
  }
  void Synch() {
    grid->ColumnSize()->SynchWithGrid = true;
    base = grid->ClientWidth();
  }
  int base = 0;
  int frame = 0;  // border width on both sides
};

TEST_F(GridSizeTest, ColumnsFollowTheWidthUpAndDown) {
  SetWidths({100, 80, 60, 40, 20});
  Synch();
  ResizeClient(base * 2);
  EXPECT_EQ(Widths(), (std::vector<int>{200, 160, 120, 80, 40}));
  ResizeClient(base / 2);
  EXPECT_EQ(Widths(), (std::vector<int>{50, 40, 30, 20, 10}));
  ResizeClient(base);
  EXPECT_EQ(Widths(), (std::vector<int>{100, 80, 60, 40, 20}));
}

TEST_F(GridSizeTest, WithoutSynchTheColumnsKeepTheirWidths) {
  SetWidths({100, 80, 60, 40, 20});
  int w = grid->ClientWidth();
  ResizeClient(w * 2);
  EXPECT_EQ(Widths(), (std::vector<int>{100, 80, 60, 40, 20}));
}

TEST_F(GridSizeTest, MinimiseAndRestoreGiveTheOldWidths) {
  const std::vector<int> old{101, 77, 53, 31, 9};
  SetWidths(old);
  Synch();
  ResizeClient(0);
  ASSERT_EQ(grid->ClientWidth(), 0);
  ResizeClient(base);
  EXPECT_EQ(Widths(), old);

  // Scaled to an odd width first: the restore still lands on the exact old widths.
  ResizeClient(base * 5 / 7);
  ResizeClient(0);
  ResizeClient(base);
  EXPECT_EQ(Widths(), old);
}

TEST_F(GridSizeTest, ManySmallResizesNeitherStallNorDrift) {
  const std::vector<int> old{150, 120, 90, 60, 30};
  SetWidths(old);
  Synch();
  for (int i = 1; i <= 50; ++i) ResizeClient(base - i);
  for (int c = 0; c < 5; ++c)
    EXPECT_NEAR(grid->ColWidths(c), old[static_cast<size_t>(c)] * (base - 50.0) / base, 0.5) << "column " << c;
  for (int i = 49; i >= 0; --i) ResizeClient(base - i);
  EXPECT_EQ(Widths(), old);
}

TEST_F(GridSizeTest, AWidthSetBetweenResizesIsTheNewBase) {
  SetWidths({100, 80, 60, 40, 20});
  Synch();
  ResizeClient(base * 5 / 7);
  grid->SetColWidths(0, 70);
  int now = grid->ClientWidth();
  ResizeClient(now * 2);
  EXPECT_EQ(grid->ColWidths(0), 140);
  ResizeClient(base);
  EXPECT_EQ(grid->ColWidths(1), 80);
}

TEST_F(GridSizeTest, AnEditInProgressIsFinishedBeforeScaling) {
  SetWidths({100, 80, 60, 40, 20});
  Synch();
  ClickCell(1, 1);
  Type("xy");
  ASSERT_TRUE(EditorShown());
  ResizeClient(base * 2);
  EXPECT_FALSE(EditorShown());
  EXPECT_FALSE(grid->EditorMode());
  EXPECT_EQ(grid->Cells(1, 1), "xy");
  EXPECT_EQ(grid->ColWidths(1), 160);
}

TEST_F(GridSizeTest, StretchColumnFillsTheClientWidth) {
  SetWidths({100, 80, 60, 40, 20});
  int line = grid->GridLineWidth();
  grid->ColumnSize()->SetStretchColumn(1);
  grid->ColumnSize()->SetStretch(true);
  int resized = 0;
  grid->OnResize = [&](TObject*) { ++resized; };
  ResizeClient(600);
  EXPECT_EQ(resized, 1) << "OnResize fires for a stretched grid too";
  EXPECT_EQ(grid->ColWidths(1), 600 - (100 + 60 + 40 + 20) - 5 * line);
  EXPECT_EQ(grid->ColWidths(0), 100);
  EXPECT_EQ(grid->ColWidths(4), 20);

  grid->ColumnSize()->SetStretchColumn(-1);  // the last column
  grid->SetColWidths(1, 80);
  ResizeClient(500);
  EXPECT_EQ(grid->ColWidths(4), 500 - (100 + 80 + 60 + 40) - 5 * line);
  resized = 0;
  ResizeClient(330);
  EXPECT_EQ(resized, 1) << "one shrink, one OnResize";

  // Other columns wider than the client area: scrolled to the first scrolling column the stretch
  // column falls back to the default width, scrolled on it stays as it is.
  grid->SetColWidths(4, 20);
  ResizeClient(200);
  ASSERT_EQ(grid->LeftCol(), grid->FixedCols());
  EXPECT_EQ(grid->ColWidths(4), grid->DefaultColWidth());
  // A width written to a stretched grid stretches again at once: scroll on before writing it.
  grid->SetLeftCol(grid->FixedCols() + 1);
  grid->SetColWidths(4, 20);
  ResizeClient(190);
  ASSERT_NE(grid->LeftCol(), grid->FixedCols());
  EXPECT_EQ(grid->ColWidths(4), 20);
}

// A stretched grid whose other columns change width keeps every column in the client: no
// horizontal bar shows, whether the change comes through a width or a direct stretch call.
TEST_F(GridSizeTest, AStretchedGridShowsNoHorizontalBarWhenEveryColumnFits) {
  const struct {
    const char* name;
    std::function<void(TExtStringGrid*)> change;
    bool called = true;  // false: only the Stretch write stretched the grid
  } cases[] = {
      {"a column widened", [](TExtStringGrid* g) { g->SetColWidths(1, 60); }},
      {"a column narrowed", [](TExtStringGrid* g) { g->SetColWidths(2, 25); }},
      {"stretched again", [](TExtStringGrid* g) { g->StretchColumn(-1); }},
      {"a single column", [](TExtStringGrid* g) { g->SetColCount(1); g->StretchColumn(-1); }},
      {"widened after the write alone", [](TExtStringGrid* g) { g->SetColWidths(1, 60); }, false},
      {"auto-sized after the write alone", [](TExtStringGrid* g) { g->AutoSizeColumn(1); }, false},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.name);
    TearDown();
    SetUp();
    grid->SetScrollBars(ssBoth);
    SetWidths({40, 40, 40, 40, 40});
    grid->ColumnSize()->SetStretch(true);
    if (k.called) grid->StretchColumn(-1);
    Flush();
    const int height = grid->ClientHeight();
    k.change(grid);
    Flush();
    int span = 0;
    for (int c = 0; c < grid->ColCount(); ++c) span += grid->ColWidths(c) + grid->GridLineWidth();
    EXPECT_EQ(span, grid->ClientWidth());
    EXPECT_EQ(grid->ClientHeight(), height) << "a horizontal bar took room";
  }
}

// Writing the stretch settings and changing the column count stretch at once, as a resize
// does: the columns and their lines span the client width.
TEST_F(GridSizeTest, StretchSettingsAndColumnCountStretchAtOnce) {
  const struct {
    const char* name;
    std::function<void(TExtStringGrid*)> change;
    int cols, stretched;
  } cases[] = {
      {"Stretch written", [](TExtStringGrid* g) { g->ColumnSize()->SetStretch(true); }, 5, 4},
      {"StretchColumn written",
       [](TExtStringGrid* g) {
         g->ColumnSize()->SetStretch(true);
         g->ColumnSize()->SetStretchColumn(1);
         // The last column, stretched before, gives its room back to the new stretch column.
         g->SetColWidths(4, 40);
       },
       5, 1},
      {"ColCount lowered",
       [](TExtStringGrid* g) {
         g->ColumnSize()->SetStretch(true);
         g->SetColCount(3);
       },
       3, 2},
      {"ColCount raised: the stretch column gives up room",
       [](TExtStringGrid* g) {
         g->ColumnSize()->SetStretchColumn(1);
         g->ColumnSize()->SetStretch(true);
         g->SetColCount(7);
       },
       7, 1},
      {"an index left behind by ColCount stands for the last column",
       [](TExtStringGrid* g) {
         g->ColumnSize()->SetStretchColumn(4);
         g->ColumnSize()->SetStretch(true);
         g->SetColCount(3);
       },
       3, 2},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.name);
    TearDown();
    SetUp();
    SetWidths({40, 40, 40, 40, 40});
    k.change(grid);
    ASSERT_EQ(grid->ColCount(), k.cols);
    int span = 0;
    for (int c = 0; c < grid->ColCount(); ++c) span += grid->ColWidths(c) + grid->GridLineWidth();
    EXPECT_EQ(span, grid->ClientWidth());
    EXPECT_GT(grid->ColWidths(k.stretched), 40);
  }
  // Writing StretchColumn stretches the new column at once: with the others wider than the client
  // it falls back to the default width.
  TearDown();
  SetUp();
  SetWidths({100, 80, 60, 40, 20});
  ResizeClient(200);
  grid->ColumnSize()->SetStretch(true);
  grid->ColumnSize()->SetStretchColumn(1);
  EXPECT_EQ(grid->ColWidths(1), grid->DefaultColWidth());
  // A grid without a parent waits for its first size.
  auto* loose = new TExtStringGrid(form);
  loose->SetColWidths(4, 40);
  loose->ColumnSize()->SetStretch(true);
  EXPECT_EQ(loose->ColWidths(4), 40);
  delete loose;
}

// Without ScrollProportional the bars' page is 0: the thumbs keep one size and the range ends at
// the last top row; with it the page is the rows in view.
TEST_F(GridSizeTest, ScrollProportionalSetsTheBarsPage) {
  grid->SetScrollBars(ssBoth);
  grid->SetRowCount(100);
  Flush();
  grid->Perform(WM_VSCROLL, MakeScrollWParam(SB_BOTTOM, 0));
  const int maxTop = grid->TopRow();
  ASSERT_GT(maxTop, 1);
  for (bool proportional : {false, true, false}) {
    SCOPED_TRACE(proportional);
    grid->SetScrollProportional(proportional);
    SCROLLINFO si;
    si.fMask = SIF_ALL;
    ASSERT_TRUE(GetScrollInfo(grid->Handle(), SB_VERT, si));
    EXPECT_EQ(si.nPage, proportional ? static_cast<UINT>(100 - maxTop) : 0u);
    EXPECT_EQ(si.nMax, proportional ? 99 : maxTop);
    EXPECT_EQ(si.nPos, maxTop) << "the last top row is the bar's end";
  }
}

}  // namespace
