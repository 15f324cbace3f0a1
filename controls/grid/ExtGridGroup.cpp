// Grouping rows by a column: every run of equal values gets a header row with a node that folds
// the run, optionally a summary row after it. Group takes the column out of view by parking it past
// the last column, where each row's cell (text and properties) travels with its row; UnGroup brings
// it back, so a Group and UnGroup pair gives back the table it started from.
#include <algorithm>

#include "controls/grid/ExtGrid.h"

namespace {

struct TGroupUpdate {
  TExtStringGrid* Grid;
  explicit TGroupUpdate(TExtStringGrid* G) : Grid(G) { Grid->BeginUpdate(); }
  ~TGroupUpdate() { Grid->EndUpdate(); }
};

}  // namespace

std::vector<std::pair<int, int>> TExtStringGrid::GroupRuns(int ACol, int First, int Last) {
  std::vector<std::pair<int, int>> runs;
  std::string value;
  bool open = false;
  for (int r = First; r <= Last; ++r) {
    if (IsNodeRow(r) || IsSummaryRow(r)) {
      open = false;
      continue;
    }
    std::string v = Cells(ACol, r);
    if (open && v == value) {
      runs.back().second = r;
    } else {
      runs.emplace_back(r, r);
      value = std::move(v);
      open = true;
    }
  }
  return runs;
}

void TExtStringGrid::StyleGroupRow(int ACol, int ARow, bool Summary) {
  TGrouping* g = grouping_.get();
  // System colours are stored as the RGB they stand for now.
  auto rgb = [](TColor C) { return C == clNone ? clNone : ColorToRGB(C); };
  const TColor color = rgb(Summary ? g->SummaryColor : g->HeaderColor);
  const TColor colorTo = rgb(Summary ? g->SummaryColorTo : g->HeaderColorTo);
  const TColor text = rgb(Summary ? g->SummaryTextColor : g->HeaderTextColor);
  if (Summary ? g->MergeSummary : g->MergeHeader) {
    if (ColCount() - ACol > 1) MergeCells(ACol, ARow, ColCount() - ACol, 1);
    if (color != clNone) SetColors(ACol, ARow, color);
    if (colorTo != clNone) SetColorsTo(ACol, ARow, colorTo);
    if (text != clNone) SetFontColors(ACol, ARow, text);
  } else {
    if (color != clNone) SetRowColor(ARow, color);
    if (colorTo != clNone) SetRowColorTo(ARow, colorTo);
    if (text != clNone) SetRowFontColor(ARow, text);
  }
}

// Inserts the header (and summary) rows of every run of ACol, bottom up so the runs above keep
// their places; inside enclosing nodes (Sub) their spans grow by the rows inserted in them.
// The looks come later: Group first moves the column out of the way.
void TExtStringGrid::GroupRows(int ACol, bool Sub) {
  const int first = FixedRows(), last = RowCount() - 1 - fixedFooters_;
  std::vector<std::pair<int, int>> runs = GroupRuns(ACol, first, last);
  auto growEnclosing = [&](int Covered) {
    if (!Sub) return;
    for (int node = GetParentNode(Covered); node >= 0;) {
      TCellGraphic* g = GetCellGraphic(0, node);
      if (g && g->CellType == ctNode && g->CellIndex > 0) ++g->CellIndex;
      const int up = GetParentNode(node);
      if (up < 0 || up == node) break;
      node = up;
    }
  };
  auto levelOf = [&](int R) {
    TCellProperties* p = CellPropertiesOrNull(0, R);
    return p ? p->NodeLevel : 0;
  };
  for (auto it = runs.rbegin(); it != runs.rend(); ++it) {
    const int from = it->first, to = it->second;
    const std::string value = Cells(ACol, from);
    const int level = levelOf(from);
    if (grouping_->Summary) {
      growEnclosing(to);
      InsertRows(to + 1, 1);
      GetCellProperties(0, to + 1)->NodeLevel = level;
      AddSummaryRow(RealRowIndex(to + 1));
      GetCellGraphic(0, to + 1)->GroupColumn = ACol;
      GetCellGraphic(0, to + 1)->GroupSub = Sub;
    }
    growEnclosing(from);
    InsertRows(from, 1);
    GetCellProperties(0, from)->NodeLevel = level;
    SetCells(ACol + 1, from, value);
    AddNode(RealRowIndex(from), to - from + 2);
    GetCellGraphic(0, from)->GroupColumn = ACol;
    GetCellGraphic(0, from)->GroupSub = Sub;
    if (Sub)
      for (int r = from + 1; r <= to + 1; ++r) SetCells(ACol, r, "");
  }
}

// Grouping looks only at neighbouring rows: equal texts are brought together first, in text order
// and stable (a check box or a number groups by its text too), within each group's rows for a
// sub-group of a grid with groups, else over all data rows. The sort settings are not used.
void TExtStringGrid::SortForGrouping(int ACol, bool WithinGroups) {
  const int lo = FixedRows(), hi = RowCount() - 1 - fixedFooters_;
  auto sortRows = [&](int From, int To) {
    if (To - From < 1) return;
    std::vector<std::pair<std::string, int>> keys;
    keys.reserve(static_cast<size_t>(To - From + 1));
    for (int r = From; r <= To; ++r) keys.emplace_back(Cells(ACol, r), r);
    std::stable_sort(keys.begin(), keys.end(),
                     [](const auto& A, const auto& B) { return A.first < B.first; });
    std::vector<int> order;
    order.reserve(keys.size());
    for (const auto& k : keys) order.push_back(k.second);
    ApplyRowOrder(From, order);
  };
  if (!WithinGroups) {
    sortRows(lo, hi);
    return;
  }
  // The rows between header (and summary) rows are one group's rows.
  int from = lo;
  for (int r = lo; r <= hi + 1; ++r) {
    const TCellType t = r <= hi ? GetCellType(0, r) : ctNode;
    if (t != ctNode && t != ctSummary) continue;
    sortRows(from, r - 1);
    from = r + 1;
  }
}

void TExtStringGrid::Group(int ACol) {
  if (ACol < FixedCols() || ACol + 1 >= ColCount()) return;
  if (group_.Col >= 0) UnGroup();
  if (RowCount() - fixedFooters_ <= FixedRows()) return;  // no data row: nothing to group
  TGroupUpdate u(this);
  CloseEditForLines();
  if (NumHiddenRows() > 0) ExpandAll();
  group_.Col = ACol;
  group_.Width = ColWidths(ACol);
  if (sortSettings_->AutoSortForGrouping) SortForGrouping(ACol, false);
  GroupRows(ACol, false);
  // The column leaves the view: its cells stay with their rows past the last column.
  {
    auto s = StructuralScope();
    MoveColumn(ACol, ColCount() - 1);
  }
  SetColCount(ColCount() - 1);
  for (int r = FixedRows(); r < RowCount(); ++r) {
    TCellGraphic* g = GetCellGraphic(0, r);
    if (g && g->GroupColumn == ACol && !g->GroupSub && (g->CellType == ctNode || g->CellType == ctSummary))
      StyleGroupRow(ACol, r, g->CellType == ctSummary);
  }
  if (RowCount() > FixedRows()) SetRow(FixedRows());
}

void TExtStringGrid::SubGroup(int ACol) {
  if (ACol < FixedCols() || ACol + 1 >= ColCount()) return;
  if (RowCount() - fixedFooters_ <= FixedRows()) return;
  TGroupUpdate u(this);
  CloseEditForLines();
  if (NumHiddenRows() > 0) ExpandAll();
  group_.Subs.push_back(ACol);
  if (sortSettings_->AutoSortForGrouping) SortForGrouping(ACol, HasNodes());
  GroupRows(ACol, true);
  for (int r = FixedRows(); r < RowCount(); ++r) {
    TCellGraphic* g = GetCellGraphic(0, r);
    if (g && g->GroupColumn == ACol && g->GroupSub && (g->CellType == ctNode || g->CellType == ctSummary))
      StyleGroupRow(ACol + 1, r, g->CellType == ctSummary);
  }
  if (RowCount() > FixedRows()) SetRow(FixedRows());
}

// Header and summary rows made for ACol go; the rows of each header get its value back in ACol
// (SubGroup emptied them).
void TExtStringGrid::UnSubGroup(int ACol) {
  auto& subs = group_.Subs;
  subs.erase(std::remove(subs.begin(), subs.end(), ACol), subs.end());
  TGroupUpdate u(this);
  CloseEditForLines();
  ExpandAll();
  std::string value;
  int until = -1;
  for (int r = FixedRows(); r < RowCount() - fixedFooters_;) {
    TCellGraphic* g = GetCellGraphic(0, r);
    if (g && g->GroupSub && g->GroupColumn == ACol && g->CellType == ctSummary) {
      RemoveChildRow(RealRowIndex(r));
      continue;
    }
    if (g && g->GroupSub && g->GroupColumn == ACol && g->CellType == ctNode) {
      value = Cells(ACol + 1, r);
      until = r + std::max(0, g->CellIndex - 1) - 1;  // the header row goes
      const int real = RealRowIndex(r);
      RemoveNode(real);
      RemoveChildRow(real);
      continue;
    }
    if (r <= until) SetCells(ACol, r, value);
    ++r;
  }
}

// Header and summary rows go, the parked column comes back at its place with each row's own cell;
// a row added while grouped gets its group's value.
void TExtStringGrid::UnGroup() {
  if (group_.Col < 0) return;
  TGroupUpdate u(this);
  CloseEditForLines();
  ExpandAll();
  const int col = group_.Col;
  const int parked = ColCount();
  std::vector<std::pair<int, std::string>> fill;  // rows added while grouped, with their value
  std::string value;
  int until = -1;
  for (int r = FixedRows(); r < RowCount() - fixedFooters_;) {
    TCellGraphic* g = GetCellGraphic(0, r);
    if (g && !g->GroupSub && g->GroupColumn == col && (g->CellType == ctNode || g->CellType == ctSummary)) {
      if (g->CellType == ctNode) {
        value = Cells(col, r);
        until = r + g->CellIndex - 1;
        RemoveNode(RealRowIndex(r));
      }
      RemoveRows(r, 1);
      --until;
      continue;
    }
    if (r <= until && GridCells(parked, r).empty() && !GridObjects(parked, r)) fill.emplace_back(r, value);
    ++r;
  }
  SetColCount(ColCount() + 1);
  {
    auto s = StructuralScope();
    MoveColumn(ColCount() - 1, col);
  }
  SetColWidths(col, group_.Width);
  for (auto& [r, v] : fill) SetGridCells(col, r, v);
  group_.Col = -1;
}
