// Rows and columns: insertion and removal, hidden rows and the mapping
// between displayed and data indexes.
#include <algorithm>

#include "controls/grid/ExtGrid.h"

void TExtStringGrid::RowMoved(int FromIndex, int ToIndex) {
  if (structural_ == 0) TBaseGrid::RowMoved(FromIndex, ToIndex);
}

void TExtStringGrid::ColumnMoved(int FromIndex, int ToIndex) {
  if (structural_ == 0) TBaseGrid::ColumnMoved(FromIndex, ToIndex);
}

// ---------------------------------------------------------------- rows
void TExtStringGrid::InsertRowsRaw(int ARow, int ACount) {
  if (ACount <= 0) return;
  ARow = std::clamp(ARow, 0, RowCount());
  SplitMergesAcross(true, ARow);
  TGridCountScope s(structural_);
  int old = RowCount();
  TBaseGrid::SetRowCount(old + ACount);
  for (int i = 0; i < ACount; ++i) {
    int last = old + i;
    // A new row starts empty, whatever the store kept past the old count.
    ClearLineData(true, last);
    SetRowHeights(last, DefaultRowHeight());
  }
  for (int i = 0; i < ACount; ++i) MoveRow(RowCount() - 1, ARow);
  SetRowCount(RowCount());
}

void TExtStringGrid::InsertRows(int ARow, int ACount) {
  if (ACount <= 0 || ARow < 0 || ARow > RowCount()) return;
  int real = ARow >= RowCount() ? AllRowCount() : RealRowIndex(ARow);
  for (int i = 0; i < hiddenRows_->Count(); ++i) {
    auto* it = static_cast<TGridItem*>(hiddenRows_->Items(i));
    if (it->Idx >= real) it->Idx += ACount;
  }
  InsertRowsRaw(ARow, ACount);
  if (!(ComponentState() & csLoading)) Invalidate();
}

void TExtStringGrid::RemoveRowsRaw(int ARow, int ACount) {
  if (ARow < 0 || ARow >= RowCount() || ACount <= 0) return;
  ACount = std::min(ACount, RowCount() - ARow);
  SplitMergesAcross(true, ARow);
  SplitMergesAcross(true, ARow + ACount);
  TGridCountScope s(structural_);
  for (int i = 0; i < ACount; ++i) {
    if (RowCount() == 1) {
      ClearRow(0);
      break;
    }
    DeleteRow(ARow);
  }
  SetRowCount(RowCount());
}

void TExtStringGrid::RemoveRowsKeepHidden(int ARow, int ACount) { RemoveRowsRaw(ARow, ACount); }

void TExtStringGrid::RemoveRows(int ARow, int ACount) {
  if (ARow < 0 || ARow >= RowCount() || ACount <= 0) return;
  ACount = std::min(ACount, RowCount() - ARow);
  std::vector<int> gone;
  for (int i = 0; i < ACount; ++i) gone.push_back(RealRowIndex(ARow + i));
  for (int i = 0; i < hiddenRows_->Count(); ++i) {
    auto* it = static_cast<TGridItem*>(hiddenRows_->Items(i));
    it->Idx -= static_cast<int>(std::lower_bound(gone.begin(), gone.end(), it->Idx) - gone.begin());
  }
  RemoveRowsRaw(ARow, ACount);
  Invalidate();
}

void TExtStringGrid::RemoveRowsEx(int ARow, int ACount) { RemoveRows(ARow, ACount); }
void TExtStringGrid::RemoveMergedRows(int ARow, int ACount) { RemoveRows(ARow, ACount); }

void TExtStringGrid::InsertCols(int ACol, int ACount) {
  if (ACount <= 0 || ACol < 0 || ACol > ColCount()) return;
  SplitMergesAcross(false, ACol);
  TGridCountScope s(structural_);
  int old = ColCount();
  SetColCount(old + ACount);
  for (int i = 0; i < ACount; ++i) {
    ClearLineData(false, old + i);
    SetColWidths(old + i, DefaultColWidth());
  }
  for (int i = 0; i < ACount; ++i) MoveColumn(ColCount() - 1, ACol);
  Invalidate();
}

void TExtStringGrid::RemoveCols(int ACol, int ACount) {
  if (ACol < 0 || ACol >= ColCount() || ACount <= 0) return;
  ACount = std::min(ACount, ColCount() - ACol);
  SplitMergesAcross(false, ACol);
  SplitMergesAcross(false, ACol + ACount);
  TGridCountScope s(structural_);
  for (int i = 0; i < ACount && ColCount() > 1; ++i) DeleteColumn(ACol);
  Invalidate();
}

void TExtStringGrid::AddRow() { SetRowCount(RowCount() + 1); }

void TExtStringGrid::CanAddRow(bool& CanAdd) {
  if (OnCanAddRow) OnCanAddRow(this, CanAdd);
}

void TExtStringGrid::CanInsertRow(int ARow, bool& CanInsert) {
  if (OnCanInsertRow) OnCanInsertRow(this, ARow, CanInsert);
}

void TExtStringGrid::ClearRows(int ARow, int ACount) {
  for (int r = std::max(0, ARow); r < ARow + ACount && r < RowCount(); ++r) ClearRow(r);
}

void TExtStringGrid::ClearCols(int ACol, int ACount) {
  for (int c = std::max(0, ACol); c < ACol + ACount && c < ColCount(); ++c) ClearColumn(c);
}

void TExtStringGrid::ClearRect(int ACol1, int ARow1, int ACol2, int ARow2) {
  for (int r = std::max(0, ARow1); r <= ARow2 && r < RowCount(); ++r)
    for (int c = std::max(0, ACol1); c <= ACol2 && c < ColCount(); ++c) SetGridCells(c, r, std::string());
  Invalidate();
}

void TExtStringGrid::ClearNormalCells() {
  ClearRect(FixedCols(), FixedRows(), ColCount() - 1 - fixedRightCols_, RowCount() - 1 - fixedFooters_);
}

void TExtStringGrid::ClearAll() {
  for (int r = 0; r < RowCount(); ++r) ClearRow(r);
  Invalidate();
}

void TExtStringGrid::SwapRows(int ARow1, int ARow2) {
  if (ARow1 == ARow2 || ARow1 < 0 || ARow2 < 0 || ARow1 >= RowCount() || ARow2 >= RowCount()) return;
  TGridCountScope s(structural_);
  int a = std::min(ARow1, ARow2), b = std::max(ARow1, ARow2);
  MoveRow(a, b);
  MoveRow(b - 1, a);
}

// ---------------------------------------------------------------- index mapping
int TExtStringGrid::RealColIndex(int ACol) const {
  if (ACol >= 512 || numHiddenCols_ == 0) return ACol;
  int seen = 0;
  for (int d = 0; d < 512; ++d) {
    if (!colVisible_[static_cast<size_t>(d)]) continue;
    if (seen == ACol) return d;
    ++seen;
  }
  return 0;
}

int TExtStringGrid::DisplColIndex(int ACol) const {
  if (numHiddenCols_ == 0) return ACol;
  int hidden = 0;
  for (int d = 0; d < ACol && d < 513; ++d)
    if (!colVisible_[static_cast<size_t>(d)]) ++hidden;
  return ACol - hidden;
}

bool TExtStringGrid::IsHiddenColumn(int ACol) const {
  return ACol >= 0 && ACol < 512 && !colVisible_[static_cast<size_t>(ACol)];
}

int TExtStringGrid::RealRowIndex(int ARow) const {
  if (ARow < 0) return -1;
  int r = ARow;
  for (int i = 0; i < hiddenRows_->Count(); ++i) {
    int idx = static_cast<TGridItem*>(hiddenRows_->Items(i))->Idx;
    if (idx <= r) ++r;
    else break;
  }
  return r;
}

int TExtStringGrid::DisplRowIndex(int ARow) const {
  int n = 0;
  for (int i = 0; i < hiddenRows_->Count() && static_cast<TGridItem*>(hiddenRows_->Items(i))->Idx < ARow; ++i) ++n;
  return ARow - n;
}

bool TExtStringGrid::IsHiddenRow(int ARow) const {
  for (int i = 0; i < hiddenRows_->Count(); ++i)
    if (static_cast<TGridItem*>(hiddenRows_->Items(i))->Idx == ARow) return true;
  return false;
}

// ---------------------------------------------------------------- hiding rows
// The record takes the displayed row's texts, height and property objects.
void TExtStringGrid::PutHiddenRecord(int APos, int ADisplRow, int AIdx) {
  auto* it = static_cast<TGridItem*>(hiddenRows_->Insert(APos));
  it->Idx = AIdx;
  it->Height = RowHeights(ADisplRow);
  int cols = AllColCount();
  it->Props.resize(static_cast<size_t>(cols));
  for (int c = 0; c < cols; ++c) {
    it->Items()->Add(GridCells(c, ADisplRow));
    if (TCellProperties* p = CellPropertiesOrNull(c, ADisplRow)) {
      if (p->Control) p->Control->SetVisible(false);
      it->Props[static_cast<size_t>(c)].reset(p);
      TStringGrid::SetObjects(c, ADisplRow, nullptr);  // the record owns it now
    }
  }
  it->RowAttrs = RowAttributes(ADisplRow);
}

void TExtStringGrid::TakeHiddenRecord(TGridItem* AItem, int ADisplRow) {
  for (int c = 0; c < AItem->Items()->Count(); ++c) SetGridCells(c, ADisplRow, AItem->Items()->Strings(c));
  for (size_t c = 0; c < AItem->Props.size(); ++c)
    if (AItem->Props[c]) {
      TCellProperties* p = AItem->Props[c].release();
      ReplaceCellProperties(static_cast<int>(c), ADisplRow, p);
      if (p->Control) p->Control->SetVisible(true);
    }
  SetRowHeights(ADisplRow, AItem->Height);
  MutableRowAttributes(ADisplRow) = AItem->RowAttrs;
}

void TExtStringGrid::HideRows(int FromRow, int ToRow) {
  if (FromRow < 0 || ToRow < FromRow) return;
  TGridCountScope s(structural_);
  // Each row that is not hidden yet goes into a record of its own, taken from its own displayed position.
  int first = -1, count = 0;
  int pos = 0;
  while (pos < hiddenRows_->Count() && static_cast<TGridItem*>(hiddenRows_->Items(pos))->Idx < FromRow) ++pos;
  for (int r = FromRow; r <= ToRow; ++r) {
    if (IsHiddenRow(r)) {
      ++pos;
      continue;
    }
    int d = DisplRowIndex(r) + count;  // rows of the block already recorded are still displayed
    if (d >= RowCount()) break;
    if (first < 0) first = d;
    // A vertical merge through a hidden row is split; one within the row travels with it.
    SplitMergesAcross(true, d);
    SplitMergesAcross(true, d + 1);
    PutHiddenRecord(pos++, d, r);
    ++count;
  }
  if (count == 0) return;
  RemoveRowsKeepHidden(first, count);
  RefreshView();
}

void TExtStringGrid::HideRowList(const std::vector<int>& AList) {
  std::vector<int> rows;
  for (int d : AList) rows.push_back(RealRowIndex(d));
  std::sort(rows.begin(), rows.end());
  for (auto it = rows.rbegin(); it != rows.rend(); ++it) HideRows(*it, *it);
}

void TExtStringGrid::UnHideRows(int FromRow, int ToRow) {
  if (!IsHiddenRow(FromRow)) return;
  TGridCountScope s(structural_);
  // Ascending: every record goes back to its own displayed position, visible rows of the block stay between.
  for (int i = 0; i < hiddenRows_->Count();) {
    auto* it = static_cast<TGridItem*>(hiddenRows_->Items(i));
    if (it->Idx < FromRow) {
      ++i;
      continue;
    }
    if (it->Idx > ToRow) break;
    int d = it->Idx - i;  // i records below it stay hidden
    InsertRowsRaw(d, 1);
    TakeHiddenRecord(it, d);
    hiddenRows_->Delete(i);
  }
  RefreshView();
}

void TExtStringGrid::UnHideRowsAll() {
  if (hiddenRows_->Count() == 0) return;
  UnHideRows(static_cast<TGridItem*>(hiddenRows_->Items(0))->Idx, AllRowCount());
}
