// Column totals and what keeps them right: the calculated footer after every way cells change,
// totals over a grouped table, clearing a folded tree, and copying one grid into another.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>

#include "platform/gui/Clipbrd.h"
#include "platform/gui/DragDrop.h"
#include "platform/gui/VisualStyles.h"
#include "tests/controls/grid/GridInputFixture.h"

namespace {

class TotalsTest : public GridInputTest {
 public:
  // Column 1 holds 1 in each of the rows 1..8, row 9 is the footer: the sum in column 1, the
  // row count in column 2.
  void FooterGrid() {
    grid->FloatingFooter()->SetVisible(true);
    last = grid->RowCount() - 1;
    for (int r = 1; r < last; ++r) grid->SetCells(1, r, "1");
    grid->GetCellProperties(1, last)->FooterCalc = 1;
    grid->GetCellProperties(2, last)->FooterCalc = 3;
    Load();
    grid->CalcFooter(-1);
  }
  TPoint ScreenAt(int c, int r) { return grid->ClientToScreen(Mid(c, r)); }
  // Filters on column 3 so that only the first Keep data rows show.
  void FilterKeepingRows(int Keep) {
    for (int r = 1; r < last; ++r) grid->SetCells(3, r, r <= Keep ? "keep" : "drop");
    TFilterData* f = grid->Filter()->Add();
    f->Column = 3;
    f->Condition = "keep";
    grid->SetFilterActive(true);
  }
  int last = 0;
};

TEST_F(TotalsTest, CalculatedFootersFollowEveryChangeOfCells) {
  const std::string csv = (std::filesystem::temp_directory_path() / "velmaron-totals.csv").string();
  std::ofstream(csv) << "h,h\r\n,4\r\n,4\r\n,4\r\n,4\r\n,4\r\n,4\r\n,4\r\n,4\r\n";
  const struct {
    const char* Name;
    std::function<void()> Change;
    const char* Sum;
    const char* Count;
  } cases[] = {
      {"rows inserted", [&] { grid->InsertRows(3, 2); }, "8.00", "10"},
      {"rows removed", [&] { grid->RemoveRows(2, 3); }, "5.00", "5"},
      {"rows cleared", [&] { grid->ClearRows(1, 2); }, "6.00", "8"},
      {"the selection cleared", [&] { grid->SetSelection({1, 1, 1, 3}), grid->ClearSelectedCells(); }, "5.00", "8"},
      {"a row removed by the Delete key",
       [&] {
         grid->Navigation()->AllowDeleteRow = true;
         grid->FocusCell(1, 4, true);
         Key(Qt::Key_Delete);
       },
       "7.00", "7"},
      {"a row inserted by the Insert key",
       [&] {
         grid->Navigation()->AllowInsertRow = true;
         grid->FocusCell(1, 4, true);
         Key(Qt::Key_Insert);
       },
       "8.00", "9"},
      {"text pasted by Ctrl+V",
       [&] {
         grid->Navigation()->AllowClipboardShortCuts = true;
         Clipboard()->SetAsText("5\r\n5\r\n");
         grid->FocusCell(1, 1, true);
         Key(Qt::Key_V, Qt::ControlModifier);
       },
       "16.00", "8"},
      {"text dropped on a cell",
       [&] {
         grid->DragDropSettings()->SetOleDropTarget(true);
         TDataObject d;
         d.SetText("7");
         DeliverDrop(grid, d, ScreenAt(1, 2), 0, DROPEFFECT_COPY);
       },
       "14.00", "8"},
      {"a CSV file imported", [&] { grid->LoadFromCSV(csv); }, "32.00", "8"},
      {"the filter switched on", [&] { FilterKeepingRows(3); }, "3.00", "3"},
      {"the filter switched off",
       [&] {
         FilterKeepingRows(3);
         grid->SetCells(1, 1, "4");
         grid->CalcFooter(-1);
         grid->SetFilterActive(false);
       },
       "11.00", "8"},
      {"a node contracted", [&] { grid->AddNode(1, 4), grid->ContractNode(1); }, "5.00", "5"},
      {"the node expanded",
       [&] { grid->AddNode(1, 4), grid->ContractNode(1), grid->SetCells(1, 1, "4"), grid->ExpandNode(1); }, "11.00", "8"},
      {"every node contracted", [&] { grid->AddNode(1, 4), grid->ContractAll(); }, "5.00", "5"},
      {"every node expanded",
       [&] { grid->AddNode(1, 4), grid->ContractAll(), grid->SetCells(1, 1, "4"), grid->ExpandAll(); }, "11.00", "8"},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.Name);
    TearDown();
    SetUp();
    FooterGrid();
    ASSERT_EQ(grid->Cells(1, last), "8.00");
    ASSERT_EQ(grid->Cells(2, last), "8");
    k.Change();
    last = grid->RowCount() - 1;
    EXPECT_EQ(grid->Cells(1, last), k.Sum);
    EXPECT_EQ(grid->Cells(2, last), k.Count);
  }
  std::filesystem::remove(csv);
}

TEST_F(TotalsTest, TheFooterPanelShowsTheNewTotals) {
  FooterGrid();
  std::map<int, std::string> shown;
  grid->OnFooterPaint = [&](TObject*, int c, TCanvas*, TRect) { shown[c] = grid->Cells(c, grid->RowCount() - 1); };
  Flush();
  ASSERT_EQ(shown[1], "8.00");
  shown.clear();
  grid->Navigation()->AllowDeleteRow = true;
  grid->FocusCell(1, 4, true);
  Key(Qt::Key_Delete);
  Flush();
  EXPECT_EQ(shown[1], "7.00");
  EXPECT_EQ(shown[2], "7");
}

// Grouped by column 3 (by Group and by SubGroup), with 1, 2 (group a) and 3, 4 (group b) in
// column 2: a number standing in a header or summary row of the grouping counts for nothing.
TEST_F(TotalsTest, GroupedTotalsSkipHeaderAndSummaryRows) {
  for (bool sub : {false, true}) {
    SCOPED_TRACE(sub ? "SubGroup" : "Group");
    TearDown();
    SetUp();
    grid->SetRowCount(5);
    const char* groups[] = {"a", "a", "b", "b"};
    for (int r = 1; r <= 4; ++r) {
      grid->SetCells(2, r, std::to_string(r));
      grid->SetCells(3, r, groups[r - 1]);
    }
    grid->Grouping()->Summary = true;
    if (sub) grid->SubGroup(3);
    else grid->Group(3);
    ASSERT_EQ(grid->RowCount(), 9);  // two headers, four rows, two summaries
    int extra = 0;
    for (int r = 1; r < grid->RowCount(); ++r)
      if (grid->IsNodeRow(r) || grid->IsSummaryRow(r)) grid->SetCells(2, r, "100"), ++extra;
    ASSERT_EQ(extra, 4);
    const int to = grid->RowCount() - 1;
    TExtStringGrid* g = grid;
    const struct {
      const char* Name;
      double Got;
      double Want;
    } cases[] = {
        {"sum", g->ColumnSum(2, 1, to), 10},
        {"average over the rows of the range", g->ColumnAvg(2, 1, to), 10.0 / 8},
        {"minimum", g->ColumnMin(2, 1, to), 1},
        {"maximum", g->ColumnMax(2, 1, to), 4},
    };
    for (const auto& k : cases) {
      SCOPED_TRACE(k.Name);
      EXPECT_DOUBLE_EQ(k.Got, k.Want);
    }
    if (sub) grid->UnSubGroup(3);
    else grid->UnGroup();
    EXPECT_DOUBLE_EQ(grid->ColumnSum(2, 1, 4), 10) << "ungrouped, every row counts again";
    grid->SetCells(2, 1, "100");
    EXPECT_DOUBLE_EQ(grid->ColumnMax(2, 1, 4), 100);
  }
}

// Folded nodes hide their rows; emptying the grid (by call or by pasting a whole grid over it)
// takes the nodes away first, so no row stays hidden with nothing left to unfold it.
TEST_F(TotalsTest, ClearingAFoldedTreeShowsEveryRowAgain) {
  auto* src = new TExtStringGrid(form);
  src->SetColCount(5);
  src->SetRowCount(10);
  const std::string whole = src->EncodeCells({0, 0, 4, 9});
  delete src;
  const struct {
    const char* Name;
    std::function<void()> Clear;
  } cases[] = {
      {"ClearAll", [&] { grid->ClearAll(); }},
      {"a whole grid pasted", [&] { TGridRect w; grid->PasteEncodedCells(TPoint(0, 0), whole, w); }},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.Name);
    TearDown();
    SetUp();
    grid->AddNode(2, 4);
    grid->ContractNode(2);
    ASSERT_EQ(grid->RowCount(), 7);
    k.Clear();
    EXPECT_EQ(grid->RowCount(), 10);
    EXPECT_EQ(grid->NumHiddenRows(), 0);
    EXPECT_FALSE(grid->HasNodes());
  }
}

TEST_F(TotalsTest, AssignCopiesSettingsWidthsAndCellsThroughTheStreamHooks) {
  auto* src = new TExtStringGrid(form);
  src->SetColCount(4);
  src->SetRowCount(6);
  src->SetAutoSize(true);
  src->SetColWidths(2, 117);
  src->SetAutoThemeAdapt(true);
  src->Filter()->Add()->Condition = ">5";
  for (int r = 0; r < 6; ++r)
    for (int c = 0; c < 4; ++c) src->SetCells(c, r, "s" + std::to_string(c) + std::to_string(r));
  std::vector<std::string> saved, loaded;
  src->OnSaveCell = [&](TObject*, int c, int r, std::string& v) { saved.push_back(v), v = "<" + v + ">"; };
  grid->OnLoadCell = [&](TObject*, int c, int r, std::string& v) { loaded.push_back(v); };
  grid->Assign(src);
  EXPECT_EQ(grid->ColCount(), 4);
  EXPECT_EQ(grid->RowCount(), 6);
  EXPECT_EQ(grid->ColWidths(2), 117);
  EXPECT_TRUE(grid->AutoThemeAdapt());
  EXPECT_TRUE(grid->AutoSize());
  ASSERT_EQ(grid->Filter()->Count(), 1);
  EXPECT_EQ(grid->Filter()->Items(0)->Condition, ">5");
  EXPECT_EQ(saved.size(), 24u);
  EXPECT_EQ(loaded.size(), 24u);
  EXPECT_EQ(grid->Cells(3, 5), "<s35>") << "the text as the save hook gave it";
  delete src;
}

// A themed look stays themed where themed parts can be drawn, and falls back to the classic look
// where they cannot.
TEST_F(TotalsTest, LoadedKeepsTheThemedLookWhereThemesDraw) {
  const struct {
    const char* Name;
    bool Themes;
    TControlStyle Want;
  } cases[] = {{"themes drawn", true, csTheme}, {"no themes", false, csClassic}};
  for (const auto& k : cases) {
    SCOPED_TRACE(k.Name);
    if (!k.Themes) SetVisualStylesLoader([] { return std::unique_ptr<TVisualStylesLibrary>(); });
    grid->ControlLook()->SetControlStyle(csTheme);
    Load();
    EXPECT_EQ(grid->ControlLook()->ControlStyle(), k.Want);
    SetVisualStylesLoader(nullptr);
  }
}

}  // namespace
