// The grid's columns when the shown grid is resized: following the width,
// the stretch column, and an edit in progress.
#include <gtest/gtest.h>

#include <cmath>
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
  grid->ColumnSize()->SetStretch(true);
  grid->ColumnSize()->StretchColumn = 1;
  ResizeClient(600);
  EXPECT_EQ(grid->ColWidths(1), 600 - (100 + 60 + 40 + 20) - 5 * line);
  EXPECT_EQ(grid->ColWidths(0), 100);
  EXPECT_EQ(grid->ColWidths(4), 20);

  grid->ColumnSize()->StretchColumn = -1;  // the last column
  grid->SetColWidths(1, 80);
  ResizeClient(500);
  EXPECT_EQ(grid->ColWidths(4), 500 - (100 + 80 + 60 + 40) - 5 * line);

  // Other columns wider than the client area: nothing is stretched.
  grid->SetColWidths(4, 20);
  ResizeClient(200);
  EXPECT_EQ(grid->ColWidths(4), 20);
}

}  // namespace
