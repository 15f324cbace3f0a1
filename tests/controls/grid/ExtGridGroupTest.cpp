// Grouping on random tables with cell properties: the groups are the model's runs, folding a group
// hides its rows, and UnGroup (UnSubGroup) gives back exactly the table Group (SubGroup) started from.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "tests/controls/grid/GridInputFixture.h"

namespace {

class GroupTest : public GridInputTest {
 public:
  struct TCellShot {
    std::string Text;
    TColor Color;
    TCellType Type;
    bool Checked;
    TObject* Object;
    TPoint Span;
    bool operator==(const TCellShot&) const = default;
  };
  std::vector<TCellShot> Shot() const {
    std::vector<TCellShot> v;
    for (int r = 0; r < grid->RowCount(); ++r)
      for (int c = 0; c < grid->ColCount(); ++c)
        v.push_back({grid->GridCells(c, r), grid->Colors(c, r), grid->GetCellType(c, r),
                     grid->GetCheckBoxState(c, r), grid->Objects(c, r), grid->CellSpan(c, r)});
    return v;
  }
  // Column 2 holds sorted group values; the other cells texts, colours, check boxes, objects, merges.
  std::vector<std::string> Build(std::mt19937& g, int n) {
    grid->SetColCount(6);
    grid->SetRowCount(n + 1);
    std::vector<std::string> values;
    for (int i = 0; i < n; ++i) values.push_back(std::string(1, static_cast<char>('a' + g() % 5)));
    std::sort(values.begin(), values.end());
    for (int r = 1; r <= n; ++r) {
      for (int c = 0; c < 6; ++c) grid->SetCells(c, r, "t" + std::to_string(r) + "." + std::to_string(c));
      grid->SetCells(2, r, values[static_cast<size_t>(r - 1)]);
      if (g() % 3 == 0) grid->SetColors(2, r, TColorOf(0x00FF00 + static_cast<int>(g() % 200)));
      if (g() % 4 == 0) grid->AddCheckBox(2, r, g() % 2 == 0, false);
      if (g() % 4 == 0) grid->SetObjects(2, r, reinterpret_cast<TObject*>(static_cast<uintptr_t>(0x1000 + r * 16)));
      if (g() % 5 == 0) grid->SetColors(4, r, clYellow);
      if (g() % 6 == 0) grid->MergeCells(4, r, 2, 1);
    }
    return values;
  }
};

TEST_F(GroupTest, GroupAndUngroupGiveBackTheTable) {
  for (unsigned seed = 1; seed <= 8; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 g(seed);
    const int n = 40;
    std::vector<std::string> values = Build(g, n);
    grid->Grouping()->Summary = seed % 2 == 0;
    grid->Grouping()->MergeHeader = seed % 3 == 0;
    grid->Grouping()->HeaderColor = clSilver;
    // Column 0's shared row check boxes over the nodes the groups keep there.
    grid->MouseActions()->SetHotmailRowSelect(seed % 4 == 1);
    const std::vector<TCellShot> before = Shot();
    const int width = grid->ColWidths(2);
    grid->Group(2);
    // The model: one header per run of equal values, showing the value in the column that took
    // the grouped column's place, a node over the run; a summary row after it when asked.
    std::vector<std::string> runs;
    for (const std::string& v : values)
      if (runs.empty() || runs.back() != v) runs.push_back(v);
    EXPECT_EQ(grid->ColCount(), 5);
    EXPECT_EQ(grid->RowCount(), 1 + n + static_cast<int>(runs.size()) * (grid->Grouping()->Summary ? 2 : 1));
    std::vector<std::string> headers;
    int firstHeader = -1;
    for (int r = 1; r < grid->RowCount(); ++r)
      if (grid->IsNodeRow(r)) {
        headers.push_back(grid->Cells(2, r));
        if (firstHeader < 0) firstHeader = r;
      }
    EXPECT_EQ(headers, runs);
    const int firstRun = static_cast<int>(std::count(values.begin(), values.end(), runs[0]));
    EXPECT_EQ(grid->GetNodeSpan(firstHeader), firstRun + 1);
    grid->ContractNode(firstHeader);
    EXPECT_EQ(grid->NumHiddenRows(), firstRun);
    grid->UnGroup();
    EXPECT_EQ(grid->ColWidths(2), width);
    EXPECT_EQ(grid->NodeCount(), 0);
    const std::vector<TCellShot> after = Shot();
    ASSERT_EQ(after.size(), before.size());
    for (size_t i = 0; i < after.size(); ++i)
      EXPECT_TRUE(after[i] == before[i]) << "cell " << i % 6 << "," << i / 6 << ": " << after[i].Text << " / "
                                         << before[i].Text << " colour " << after[i].Color << "/" << before[i].Color
                                         << " type " << after[i].Type << "/" << before[i].Type << " span "
                                         << after[i].Span.X << "," << after[i].Span.Y << "/" << before[i].Span.X << ","
                                         << before[i].Span.Y;
  }
}

TEST_F(GroupTest, SubGroupAndUnSubGroupGiveBackTheTexts) {
  std::mt19937 g(9);
  Build(g, 30);
  for (int r = 1; r <= 30; ++r) grid->SetCells(3, r, r % 10 < 5 ? "x" : "y");
  std::vector<std::string> texts;
  for (int r = 0; r < grid->RowCount(); ++r)
    for (int c = 0; c < grid->ColCount(); ++c) texts.push_back(grid->Cells(c, r));
  grid->SortSettings()->AutoSortForGrouping = false;  // the rows stay where they are: the round trip is exact
  grid->Group(2);
  const int rowsGrouped = grid->RowCount();
  grid->SubGroup(2);  // the former column 3, now column 2, inside each group
  EXPECT_GT(grid->RowCount(), rowsGrouped);
  for (int r = 1; r < grid->RowCount(); ++r) {
    if (grid->IsNodeRow(r)) continue;
    EXPECT_EQ(grid->Cells(2, r), "") << r;  // the sub-grouped column is emptied
  }
  grid->ContractAll();
  grid->ExpandAll();
  grid->UnSubGroup(2);
  EXPECT_EQ(grid->RowCount(), rowsGrouped);
  grid->UnGroup();
  std::vector<std::string> after;
  for (int r = 0; r < grid->RowCount(); ++r)
    for (int c = 0; c < grid->ColCount(); ++c) after.push_back(grid->Cells(c, r));
  EXPECT_EQ(after, texts);
}

TEST_F(GroupTest, NothingToGroup) {
  grid->SetRowCount(2);
  grid->SetFixedFooters(1);  // a header and a footer row, no data row
  const int cols = grid->ColCount();
  grid->Group(2);
  EXPECT_EQ(grid->ColCount(), cols);
  EXPECT_EQ(grid->GroupColumn(), -1);
  grid->SetRowCount(5);
  grid->Group(0);  // a fixed column
  EXPECT_EQ(grid->GroupColumn(), -1);
  EXPECT_EQ(grid->NodeCount(), 0);
}

// Header and summary colours given as system colours are stored as their RGB values.
TEST_F(GroupTest, GroupColoursAreStoredAsRgb) {
  for (bool merged : {false, true}) {
    SCOPED_TRACE(merged ? "merged" : "whole rows");
    if (grid->GroupColumn() >= 0) grid->UnGroup();
    grid->SetColCount(5);
    grid->SetRowCount(4);
    for (int r = 1; r <= 3; ++r) grid->SetCells(2, r, r < 3 ? "a" : "b");
    grid->Grouping()->MergeHeader = grid->Grouping()->MergeSummary = merged;
    grid->Grouping()->Summary = true;
    grid->Grouping()->HeaderColor = clInfoBk;
    grid->Grouping()->HeaderTextColor = clWindowText;
    grid->Grouping()->SummaryColor = clBtnFace;
    grid->Group(2);
    ASSERT_TRUE(grid->IsNodeRow(1));
    ASSERT_TRUE(grid->IsSummaryRow(4));
    // The colour stored in the first coloured cell of a row (and its font colour).
    auto stored = [&](int r, bool font) {
      for (int c = 1; c < grid->ColCount(); ++c)
        if (grid->Colors(c, r) != clNone) return font ? grid->GetCellProperties(c, r)->FontColor : grid->Colors(c, r);
      return clNone;
    };
    EXPECT_EQ(stored(1, false), ColorToRGB(clInfoBk));
    EXPECT_EQ(stored(1, true), ColorToRGB(clWindowText));
    EXPECT_EQ(stored(4, false), ColorToRGB(clBtnFace));
  }
}

// With AutoSortForGrouping (on by default) equal values are brought together before grouping, so
// each value makes one group; without it every run of equal neighbours makes its own.
TEST_F(GroupTest, AutoSortForGroupingMakesOneGroupPerValue) {
  struct TCase {
    const char* Name;
    bool AutoSort, Sub;
    int Groups;
  };
  const std::vector<TCase> cases = {{"Group, sorted first", true, false, 3},
                                    {"Group, rows as they stand", false, false, 5},
                                    {"SubGroup, sorted first", true, true, 3},
                                    {"SubGroup, rows as they stand", false, true, 5}};
  const char* values[] = {"b", "a", "b", "a", "c"};
  for (const TCase& c : cases) {
    if (grid->GroupColumn() >= 0) grid->UnGroup();
    grid->RemoveAllNodes();
    grid->SetColCount(5);
    grid->SetRowCount(6);
    for (int r = 1; r <= 5; ++r) grid->SetCells(2, r, values[r - 1]);
    grid->SortSettings()->AutoSortForGrouping = c.AutoSort;
    grid->SortSettings()->Column = 4;
    if (c.Sub) grid->SubGroup(2);
    else grid->Group(2);
    EXPECT_EQ(grid->NodeCount(), c.Groups) << c.Name;
    EXPECT_EQ(grid->SortSettings()->Column, 4) << c.Name << ": the sort settings stay";
    if (c.Sub) grid->UnSubGroup(2);
  }
}

}  // namespace
