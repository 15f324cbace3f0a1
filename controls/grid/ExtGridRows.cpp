// Rows and columns: insertion and removal, hidden rows and the mapping
// between displayed and data indexes.
#include <algorithm>
#include <utility>

#include "controls/grid/ExtGrid.h"

// Read from the store in place, as the folds ask it of every row they move.
bool TExtStringGrid::MergeCrossesEdge(int Edge) const {
  const TGridStore& s = Store();
  for (int c = 0, cols = ColCount(); c < cols; ++c) {
    TObject* o = nullptr;
    s.TextAndObject(c, Edge, o);
    if (!o) continue;
    const auto* p = static_cast<const TCellProperties*>(o);
    if (!p->IsBaseCell && p->CellSpanY > 0) return true;
  }
  return false;
}

bool TExtStringGrid::MergeCells(int ACol, int ARow, int NumCols, int NumRows) {
  // The typed text would end under another cell's base, out of the editor's and validation's reach.
  const TPoint e = edit_.Cell;
  if (e.X >= ACol && e.X < ACol + NumCols && e.Y >= ARow && e.Y < ARow + NumRows) CloseEditForLines();
  const bool merged = TBaseGrid::MergeCells(ACol, ARow, NumCols, NumRows);
  // A control placed in the area covers it whole.
  if (merged && controlList_->Count() > 0) PlaceCellControls();
  return merged;
}

TGridCountScope TExtStringGrid::StructuralScope() { return TGridCountScope(structural_); }

// ---------------------------------------------------------------- rows
// Rows move as one block: the cost follows the rows moved, not rows x count.
void TExtStringGrid::InsertRowsRaw(int ARow, int ACount) {
  if (ACount <= 0) return;
  CloseEditForLines();
  ARow = std::clamp(ARow, 0, RowCount());
  SplitMergesAcross(true, ARow);
  TGridCountScope s(structural_);
  int old = RowCount();
  TBaseGrid::SetRowCount(old + ACount);
  for (int i = 0; i < ACount; ++i) {
    // A new row starts empty, whatever the store kept past the old count.
    ClearLineData(true, old + i);
    SetRowHeights(old + i, DefaultRowHeight());
  }
  MoveRowBlock(old, ACount, ARow);
  RowOrderInserted(ARow, ACount);
  SetRowCount(RowCount());
}

void TExtStringGrid::ShiftCellControls(int FromRow, int Delta) {
  for (int i = 0; i < controlList_->Count(); ++i) {
    TControlItem* it = controlList_->GetControl(i);
    if (it->Y >= FromRow) it->Y += Delta;
  }
}

// In-cell controls go to their cells' new rectangles, or hide when the cell is out of the
// scrolled view (a fixed cell too: a control over a header would cover it).
void TExtStringGrid::PlaceCellControls() {
  for (int i = 0; i < controlList_->Count(); ++i) {
    TControlItem* it = controlList_->GetControl(i);
    if (!it->Control) continue;
    int d = DisplRowIndex(it->Y), dc = DisplColIndex(it->X);
    const bool inView = dc >= LeftCol() && dc <= LeftCol() + VisibleColCount() && d >= TopRow() &&
                        d <= TopRow() + VisibleRowCount();
    TRect r = IsHiddenRow(it->Y) || IsHiddenColumn(it->X) || !inView ? TRect() : CellRect(dc, d);
    if (r.Right <= r.Left || r.Bottom <= r.Top) {
      it->Control->SetVisible(false);
    } else {
      r = CellRectEx(dc, d);  // the whole merged area
      r.Right = std::max(r.Right, r.Left + 1);
      it->Control->SetBounds(r.Left, r.Top, r.Width(), r.Height());
      it->Control->SetVisible(true);
    }
  }
  // A control the cell's properties name lays its contents out again: a width nudged and put back.
  for (int i = 0; i < controlList_->Count(); ++i) {
    TControlItem* it = controlList_->GetControl(i);
    TCellProperties* p = IsHiddenRow(it->Y) ? nullptr : CellPropertiesOrNull(it->X, DisplRowIndex(it->Y));
    TControl* named = p ? p->Control : nullptr;
    if (!named || !named->Visible()) continue;
    named->Invalidate();
    const int w = named->Width();
    named->SetWidth(w + 1);
    named->SetWidth(w);
  }
}

void TExtStringGrid::InsertRows(int ARow, int ACount) {
  if (ACount <= 0) return;
  if (ARow < 0 || ARow > RowCount()) throw EInvalidGridOperation("Grid index out of range");
  CloseEditForLines();
  int real = ARow >= RowCount() ? AllRowCount() : RealRowIndex(ARow);
  for (int i = 0; i < hiddenRows_->Count(); ++i) {
    auto* it = static_cast<TGridItem*>(hiddenRows_->Items(i));
    if (it->Idx >= real) it->Idx += ACount;
  }
  ShiftCellControls(real, ACount);
  InsertRowsRaw(ARow, ACount);
  if (controlList_->Count() > 0) PlaceCellControls();
  if (!(ComponentState() & csLoading)) Invalidate();
  if (!(ComponentState() & csDestroying)) CellsChanged(TRect(0, ARow, ColCount() - 1, ARow + ACount));
}

void TExtStringGrid::RemoveRowsRaw(int ARow, int ACount) {
  if (ARow < 0 || ARow >= RowCount() || ACount <= 0) return;
  CloseEditForLines();
  ACount = std::min(ACount, RowCount() - ARow);
  SplitMergesAcross(true, ARow);
  SplitMergesAcross(true, ARow + ACount);
  TGridCountScope s(structural_);
  int last = RowCount() - ACount;
  MoveRowBlock(ARow, ACount, last);
  RowOrderRemoved(ARow, ACount);
  for (int r = last; r < RowCount(); ++r) ClearLineData(true, r);
  // The grid keeps at least one row (emptied above when every row went).
  SetRowCount(std::max(1, last));
}

void TExtStringGrid::RemoveRowsKeepHidden(int ARow, int ACount) { RemoveRowsRaw(ARow, ACount); }

void TExtStringGrid::RemoveRows(int ARow, int ACount) { DeleteRowsCore(ARow, ACount, true); }

void TExtStringGrid::DeleteRowsCore(int ARow, int ACount, bool AdjustHidden) {
  if (ARow < 0 || ARow >= RowCount() || ACount <= 0) return;
  CloseEditForLines();
  ACount = std::min(ACount, RowCount() - ARow);
  BeginUpdate();
  std::vector<int> gone;
  for (int i = 0; i < ACount; ++i) gone.push_back(RealRowIndex(ARow + i));
  // Each hidden record moves up by the removed rows below it.
  for (int i = 0; i < (AdjustHidden ? hiddenRows_->Count() : 0); ++i) {
    auto* it = static_cast<TGridItem*>(hiddenRows_->Items(i));
    it->Idx -= static_cast<int>(std::lower_bound(gone.begin(), gone.end(), it->Idx) - gone.begin());
  }
  // Controls of removed rows are freed, those below move up.
  for (int i = controlList_->Count() - 1; i >= 0; --i) {
    TControlItem* it = controlList_->GetControl(i);
    if (std::binary_search(gone.begin(), gone.end(), it->Y)) {
      if (TCellProperties* p = CellPropertiesOrNull(it->X, DisplRowIndex(it->Y))) p->Control = nullptr;
      controlList_->DeleteControl(i);
    } else {
      it->Y -= static_cast<int>(std::lower_bound(gone.begin(), gone.end(), it->Y) - gone.begin());
    }
  }
  int oldRow = Row(), oldTop = TopRow();
  if (std::max(1, RowCount() - ACount) - fixedFooters_ <= FixedRows() && !SelectionHidden()) HideSelection();
  RemoveRowsRaw(ARow, ACount);
  int end = RowCount() - fixedFooters_;
  if (end <= oldRow) {
    if (end > FixedRows()) {
      SetRow(end - 1);
    } else {
      // No data row left: the selection leaves the grid instead of resting on a fixed row (it was
      // remembered above and comes back with rows, RowCount).
      SetSelection(TGridRect{ColCount(), RowCount(), ColCount(), RowCount()});
    }
  } else {
    // The removed rows went to the end taking the current row along: it comes back in place.
    if (oldRow >= FixedRows() && Row() != oldRow) SetRow(oldRow);
    if (oldTop < RowCount()) SetTopRow(std::max(FixedRows(), std::min(oldTop, MaxTopRow())));
  }
  EndUpdate();
  CellsChanged(TRect(0, ARow, ColCount() - 1, ARow + ACount));
  if (controlList_->Count() > 0) PlaceCellControls();
}

// Column 0 of a grid with nodes carries the node signs: the current cell leaves it.
void TExtStringGrid::RemoveRowsEx(int ARow, int ACount) {
  if (HasNodes() && ColCount() > 1 && Col() != 1) SetCol(1);
  DeleteRowsCore(ARow, ACount, true);
}

void TExtStringGrid::RemoveRowsDirect(int ARow, int ACount) {
  if (ARow < 0 || ARow >= RowCount() || ACount <= 0) return;
  ACount = std::min(ACount, RowCount() - ARow);
  std::vector<int> heights;
  for (int r = ARow; r < RowCount(); ++r) heights.push_back(RowHeights(r));
  const int oldRow = Row(), oldTop = TopRow();
  BeginUpdate();
  RemoveRows(ARow, ACount);
  for (int r = ARow; r < RowCount(); ++r) SetRowHeights(r, heights[static_cast<size_t>(r - ARow)]);
  if (RowCount() > oldRow) {
    SetRow(oldRow);
    SetTopRow(std::max(FixedRows(), std::min(oldTop, MaxTopRow())));
  } else if (FixedRows() < RowCount()) {
    SetRow(FixedRows());
    SetTopRow(FixedRows());
  }
  EndUpdate();
}
void TExtStringGrid::RemoveMergedRows(int ARow, int ACount) { RemoveRows(ARow, ACount); }

void TExtStringGrid::RemoveSelectedRows() {
  BeginUpdate();
  if (!mouseActions_->DisjunctRowSelect()) SelectRowsInSelection(true);
  // The flags travel with their rows: runs of flagged rows go in one removal each.
  for (int r = FixedRows(); r < RowCount() - fixedFooters_;) {
    if (!RowAttributes(r).DisjunctSelected) {
      ++r;
      continue;
    }
    int n = 1;
    while (r + n < RowCount() - fixedFooters_ && RowAttributes(r + n).DisjunctSelected) ++n;
    RemoveRowsEx(r, n);
    if (RowCount() - fixedFooters_ <= FixedRows()) break;
  }
  EndUpdate();
}

void TExtStringGrid::AppendRow() {
  if (floatingFooter_->Visible()) {
    InsertRows(RowCount() - 1, 1);
  } else {
    // Before the fixed footer rows, which stay at the bottom.
    InsertRows(std::max(FixedRows(), RowCount() - fixedFooters_), 1);
  }
}

void TExtStringGrid::InsertCols(int ACol, int ACount) {
  if (ACount <= 0) return;
  if (ACol < 0 || ACol > ColCount()) throw EInvalidGridOperation("Grid index out of range");
  CloseEditForLines();
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
  CloseEditForLines();
  ACount = std::min(ACount, ColCount() - ACol);
  SplitMergesAcross(false, ACol);
  SplitMergesAcross(false, ACol + ACount);
  // Emptied first, so the columns' cells are reported changed before they go.
  ClearCols(ACol, ACount);
  {
    TGridCountScope s(structural_);
    for (int i = 0; i < ACount && ColCount() > 1; ++i) DeleteColumn(ACol);
  }
  Invalidate();
  CellsChanged(TRect(ACol, 0, ACol + ACount, RowCount() - 1));
}

void TExtStringGrid::AddRow() { SetRowCount(RowCount() + 1); }

void TExtStringGrid::CanAddRow(bool& CanAdd) {
  if (OnCanAddRow) OnCanAddRow(this, CanAdd);
}

void TExtStringGrid::CanInsertRow(int ARow, bool& CanInsert) {
  if (OnCanInsertRow) OnCanInsertRow(this, ARow, CanInsert);
}

void TExtStringGrid::ClearRows(int ARow, int ACount) {
  if (ACount < 1 || RowCount() < 1 || ColCount() < 1) return;
  ClearRect(0, ARow, AllColCount() - 1, ARow + ACount - 1);
}

void TExtStringGrid::ClearCols(int ACol, int ACount) {
  if (ACount < 1 || RowCount() < 1 || ColCount() < 1) return;
  ClearRect(ACol, 0, ACol + ACount - 1, RowCount() - 1);
}

// Texts, colours, graphics and merges go. A merged area the block covers only in part stays
// merged (its base text emptied): splitting it would leave its other part a half area.
// A cell's control belongs to the control list and stays in its cell.
void TExtStringGrid::ClearRect(int ACol1, int ARow1, int ACol2, int ARow2) {
  int c1 = std::max(0, ACol1), r1 = std::max(0, ARow1);
  int c2 = std::min(ACol2, AllColCount() - 1), r2 = std::min(ARow2, RowCount() - 1);
  if (c2 < c1 || r2 < r1) return;
  for (int r = r1; r <= r2; ++r)
    for (int c = c1; c <= c2; ++c)
      if (TCellProperties* p = CellPropertiesOrNull(c, r); p && p->IsBaseCell && p->CellSpanX != -1) {
        const TPoint s = CellSpan(c, r);
        if (c + s.X <= c2 && r + s.Y <= r2) SplitCells(c, r);
      }
  for (int r = r1; r <= r2; ++r)
    for (int c = c1; c <= c2; ++c) {
      if (TCellProperties* p = CellPropertiesOrNull(c, r); p && p->CellSpanX == -1 && p->CellSpanY == -1) {
        TControl* control = p->Control;
        if (sort_.Sorting) {
          // The sort may hold this object to write it back: it is freed when the sort ends.
          TStringGrid::SetObjects(c, r, nullptr);
          sort_.Parked.push_back(p);
        } else {
          FreeCellProperties(c, r);
        }
        if (control) GetCellProperties(c, r)->Control = control;
      }
      if (!GridCells(c, r).empty()) SetGridCells(c, r, std::string());
      if (!IsBaseCell(c, r)) {
        TPoint b = BaseCell(c, r);
        SetGridCells(b.X, b.Y, std::string());
      }
    }
  Invalidate();
  if (!(ComponentState() & csDestroying)) CellsChanged(TRect(c1, r1, c2, r2));
}

void TExtStringGrid::ClearSelectedCells() {
  TMouseActions* m = mouseActions_.get();
  // With both disjunct modes on, both the selected columns and the selected rows are emptied.
  if (m->DisjunctColSelect())
    for (int c = FixedCols(); c < ColCount(); ++c)
      if (ColSelect(RealColIndex(c))) ClearCols(RealColIndex(c), 1);
  if (m->DisjunctRowSelect())
    for (int r = FixedRows(); r < RowCount(); ++r)
      if (RowAttributes(r).DisjunctSelected) ClearRows(r, 1);
  if (!m->DisjunctColSelect() && !m->DisjunctRowSelect()) {
    TGridRect s = Selection();
    ClearRect(s.Left, s.Top, s.Right, s.Bottom);
  }
}

void TExtStringGrid::ClearNormalCells() {
  ClearRect(FixedCols(), FixedRows(), ColCount() - 1 - fixedRightCols_, RowCount() - 1 - fixedFooters_);
}

// The nodes go first: rows folded under them would stay hidden with nothing left to unfold them.
void TExtStringGrid::ClearAll() {
  if (!(ComponentState() & csDestroying) && HasNodes()) RemoveAllNodes();
  ClearRect(0, 0, AllColCount() - 1, RowCount() - 1);
  // A cancel afterwards must not bring a cleared text back.
  edit_.StartText.clear();
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

void TExtStringGrid::SetColumnHidden(int ACol, bool Hidden) {
  if (ACol < 0 || ACol >= 512 || IsHiddenColumn(ACol) == Hidden) return;
  colVisible_[static_cast<size_t>(ACol)] = !Hidden;
  numHiddenCols_ += Hidden ? 1 : -1;
  if (controlList_->Count() > 0) PlaceCellControls();
  Invalidate();
}

bool TExtStringGrid::IsHiddenColumn(int ACol) const {
  return ACol >= 0 && ACol < 512 && !colVisible_[static_cast<size_t>(ACol)];
}

int TExtStringGrid::RealRowIndex(int ARow) const { return ARow < 0 ? -1 : hiddenRows_->RealIndex(ARow); }

int TExtStringGrid::DisplRowIndex(int ARow) const { return ARow - hiddenRows_->LowerBound(ARow); }

bool TExtStringGrid::IsHiddenRow(int ARow) const { return hiddenRows_->Contains(ARow); }

// ---------------------------------------------------------------- hiding rows
// The record takes the displayed row's cells whole (the grouped column waiting past the last
// column goes with them), its height and row record; the row is left empty.
void TExtStringGrid::MakeHiddenRecord(TGridItem& AItem, int ADisplRow, int AIdx) {
  AItem.Idx = AIdx;
  AItem.Height = RowHeights(ADisplRow);
  AItem.RowAttrs = RowAttributes(ADisplRow);
  AItem.Cells = TakeRowCells(ADisplRow);
  if (AItem.Cells.Objects && controlList_->Count() > 0)
    for (TObject* o : *AItem.Cells.Objects)
      if (auto* p = static_cast<TCellProperties*>(o); p && p->Control) p->Control->SetVisible(false);
}

// Quietly: the operations that show rows repaint the whole grid once at their end.
void TExtStringGrid::TakeHiddenRecord(TGridItem& AItem, int ADisplRow) {
  FreeLineProperties(true, ADisplRow);
  if (AItem.Cells.Objects && controlList_->Count() > 0)
    for (TObject* o : *AItem.Cells.Objects)
      if (auto* p = static_cast<TCellProperties*>(o); p && p->Control) p->Control->SetVisible(true);
  PutRowCells(ADisplRow, std::exchange(AItem.Cells, {}));
  SetRowHeights(ADisplRow, AItem.Height);
  MutableRowAttributes(ADisplRow) = AItem.RowAttrs;
}

// A vertical merge through a row that leaves is split; one within the row travels with it.
void TExtStringGrid::SplitMergesAround(const std::vector<int>& Rows) {
  auto split = [&](int Edge) {
    if (Edge > 0 && Edge < RowCount() && MergeCrossesEdge(Edge)) SplitMergesAcross(true, Edge);
  };
  int done = -1;
  for (int d : Rows) {
    if (d != done) split(d);
    split(done = d + 1);
  }
}

// Displayed rows (ascending, before the removal) leave in one pass: the others close up in order.
// The caller has split the merged areas across their borders (SplitMergesAround).
void TExtStringGrid::RemoveRowSetRaw(const std::vector<int>& Rows) {
  if (Rows.empty()) return;
  if (Rows.back() - Rows.front() + 1 == static_cast<int>(Rows.size())) {
    RemoveRowsRaw(Rows.front(), static_cast<int>(Rows.size()));
    return;
  }
  CloseEditForLines();
  TGridCountScope s(structural_);
  const int n = RowCount(), last = n - static_cast<int>(Rows.size());
  CloseUpRows(Rows);
  RowOrderRemovedAt(Rows);
  for (int r = last; r < n; ++r) ClearLineData(true, r);
  SetRowCount(std::max(1, last));
}

// Blank rows come in at the places given (ascending, indexes after the insertion) in one pass.
void TExtStringGrid::InsertRowSetRaw(const std::vector<int>& Rows) {
  if (Rows.empty()) return;
  if (Rows.back() - Rows.front() + 1 == static_cast<int>(Rows.size())) {
    InsertRowsRaw(Rows.front(), static_cast<int>(Rows.size()));
    return;
  }
  CloseEditForLines();
  for (size_t k = 0; k < Rows.size(); ++k) {
    const int edge = Rows[k] - static_cast<int>(k);
    if (edge > 0 && edge < RowCount() && MergeCrossesEdge(edge)) SplitMergesAcross(true, edge);
  }
  TGridCountScope s(structural_);
  const int old = RowCount(), m = static_cast<int>(Rows.size());
  TBaseGrid::SetRowCount(old + m);
  for (int i = 0; i < m; ++i) {
    ClearLineData(true, old + i);
    SetRowHeights(old + i, DefaultRowHeight());
  }
  OpenUpRows(Rows);
  RowOrderInsertedAt(Rows);
  SetRowCount(RowCount());
}

void TExtStringGrid::HideRealRows(const std::vector<int>& Rows, bool MergesToSplit) {
  // Each row not hidden yet goes into a record of its own, taken from its displayed position.
  std::vector<int> displ;
  displ.reserve(Rows.size());
  int h = 0;
  for (int r : Rows) {
    if (r < 0) continue;
    while (h < hiddenRows_->Count() && hiddenRows_->Items(h)->Idx < r) ++h;
    if (h < hiddenRows_->Count() && hiddenRows_->Items(h)->Idx == r) continue;
    if (r - h >= RowCount()) break;
    displ.push_back(r - h);
  }
  if (displ.empty()) return;
  CloseEditForLines();
  TGridCountScope s(structural_);
  if (MergesToSplit) SplitMergesAround(displ);
  std::vector<TGridItem> records = hiddenRows_->TakeStorage();
  records.reserve(displ.size());
  // The data index: the displayed one plus the records before the row.
  h = 0;
  for (int d : displ) {
    while (h < hiddenRows_->Count() && hiddenRows_->Items(h)->Idx <= d + h) ++h;
    MakeHiddenRecord(records.emplace_back(), d, d + h);
  }
  hiddenRows_->Merge(std::move(records));
  RemoveRowSetRaw(displ);
  RefreshView();
  if (controlList_->Count() > 0) PlaceCellControls();
}

void TExtStringGrid::ShowRealRows(const std::vector<int>& Rows) {
  std::vector<TGridItem> records = hiddenRows_->Extract(Rows);
  if (records.empty()) return;
  CloseEditForLines();
  TGridCountScope s(structural_);
  // A record's displayed place: its index less the records that stay hidden below it.
  std::vector<int> displ;
  displ.reserve(records.size());
  int h = 0;
  for (const TGridItem& it : records) {
    while (h < hiddenRows_->Count() && hiddenRows_->Items(h)->Idx < it.Idx) ++h;
    displ.push_back(it.Idx - h);
  }
  InsertRowSetRaw(displ);
  for (size_t i = 0; i < records.size(); ++i) TakeHiddenRecord(records[i], displ[i]);
  hiddenRows_->KeepStorage(std::move(records));
  RefreshView();
  if (controlList_->Count() > 0) PlaceCellControls();
}

void TExtStringGrid::HideRows(int FromRow, int ToRow) {
  if (FromRow < 0 || ToRow < FromRow) return;
  std::vector<int> rows;
  for (int r = FromRow; r <= ToRow && r < AllRowCount(); ++r) rows.push_back(r);
  HideRealRows(rows);
}

void TExtStringGrid::HideRowList(const std::vector<int>& AList) {
  std::vector<int> rows;
  rows.reserve(AList.size());
  for (int d : AList) rows.push_back(RealRowIndex(d));
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  HideRealRows(rows);
}

void TExtStringGrid::UnHideRows(int FromRow, int ToRow) {
  if (!IsHiddenRow(FromRow)) return;
  std::vector<int> rows;
  for (int i = hiddenRows_->LowerBound(FromRow); i < hiddenRows_->Count() && hiddenRows_->Items(i)->Idx <= ToRow; ++i)
    rows.push_back(hiddenRows_->Items(i)->Idx);
  ShowRealRows(rows);
}

void TExtStringGrid::UnHideRowsAll() {
  if (hiddenRows_->Count() == 0) return;
  UnHideRows(hiddenRows_->Items(0)->Idx, AllRowCount());
}
