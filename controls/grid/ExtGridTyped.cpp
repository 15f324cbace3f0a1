// Typed views of cell text (integers, floats, dates), the disjunct row and
// column selection flags, repaint helpers, fixed sizes, and the hooks that
// saving, loading and automatic row insertion and deletion go through.
#include <algorithm>
#include <cmath>

#include "controls/grid/ExtGrid.h"
#include "controls/grid/ExtGridFooters.h"
#include "controls/grid/ExtUtil.h"
#include "controls/markup/MarkupText.h"

// ---------------------------------------------------------------- typed access
int TExtStringGrid::Ints(int ACol, int ARow) {
  std::string s = Trim(Cells(ACol, ARow));
  if (s.empty() || s == "-") return 0;
  int v = 0;
  if (!TryStrToInt(s, v)) throw EExtGridError("Cell does not contain integer value");
  return v;
}

void TExtStringGrid::SetInts(int ACol, int ARow, int Value) { SetCells(ACol, ARow, IntToStr(Value)); }

namespace {
double FloatOfText(const std::string& Text) {
  std::string s = Trim(Text);
  if (s.empty() || s == "-") return 0;
  double v = 0;
  if (!GridNumberValue(s, v)) throw EExtGridError("Cell does not contain a float value");
  return v;
}
}  // namespace

double TExtStringGrid::Floats(int ACol, int ARow) { return FloatOfText(Cells(ACol, ARow)); }

double TExtStringGrid::AllFloats(int ACol, int ARow) {
  std::string s;
  return HiddenRowText(ACol, ARow, s) ? FloatOfText(s) : Floats(ACol, DisplRowIndex(ARow));
}

TDateTime TExtStringGrid::Dates(int ACol, int ARow) {
  std::string s = Trim(Cells(ACol, ARow));
  if (s.empty()) return 0;
  TDateTime d = 0;
  if (!ExtUtil::ParseShortDate(s, d)) throw EExtGridError("Cell does not contain a date value");
  return d;
}

void TExtStringGrid::SetDates(int ACol, int ARow, TDateTime Value) {
  if (!(Value > 0) || !std::isfinite(Value)) {
    if (!nullDates_) {
      SetCells(ACol, ARow, std::string());
      return;
    }
  }
  SetCells(ACol, ARow, DateToStr(Value));
}

// ---------------------------------------------------------------- disjunct selection flags
namespace {
bool FlagAt(const std::vector<uint8_t>& v, int i) { return i >= 0 && i < static_cast<int>(v.size()) && v[static_cast<size_t>(i)]; }
}  // namespace

// The flag record of a row: displayed rows keep it with their cells, hidden rows in their record.
// With RowSelectPersistent the index counts all rows (hidden ones included); without it an index
// past the displayed rows (as many as are hidden) has a record of its own past them.
TRowAttributes* TExtStringGrid::RowFlags(int ARow) {
  if (ARow < 0 || ARow >= AllRowCount()) throw EExtGridError("Invalid row accessed");
  if (!mouseActions_->RowSelectPersistent) return &MutableRowAttributes(ARow);
  for (int i = 0; i < hiddenRows_->Count(); ++i) {
    auto* it = static_cast<TGridItem*>(hiddenRows_->Items(i));
    if (it->Idx == ARow) return &it->RowAttrs;
  }
  return &MutableRowAttributes(DisplRowIndex(ARow));
}

bool TExtStringGrid::RowSelect(int ARow) {
  TRowAttributes* a = RowFlags(ARow);
  if (mouseActions_->DisjunctRowSelect()) return a && a->DisjunctSelected;
  TGridRect s = Selection();
  return ARow >= s.Top && ARow <= s.Bottom;
}

void TExtStringGrid::SetRowSelect(int ARow, bool Value) {
  TRowAttributes* a = RowFlags(ARow);
  if (!a || a->DisjunctSelected == Value) return;
  a->DisjunctSelected = Value;
  RepaintRow(mouseActions_->RowSelectPersistent ? DisplRowIndex(ARow) : ARow);
}

bool TExtStringGrid::ColSelect(int ACol) {
  if (ACol < 0 || ACol >= ColCount()) throw EExtGridError("Invalid column accessed");
  return FlagAt(colSelect_, ACol);
}

void TExtStringGrid::SetColSelect(int ACol, bool Value) {
  if (ACol < 0 || ACol >= ColCount()) throw EExtGridError("Invalid column accessed");
  if (FlagAt(colSelect_, ACol) == Value) return;
  if (static_cast<int>(colSelect_.size()) <= ACol) colSelect_.resize(static_cast<size_t>(ACol) + 1, 0);
  colSelect_[static_cast<size_t>(ACol)] = Value;
  RepaintCol(DisplColIndex(ACol));
}

void TExtStringGrid::ClearRowSelect() {
  for (int r = 0; r < AllRowCount(); ++r)
    if (RowAttributes(r).DisjunctSelected) {
      MutableRowAttributes(r).DisjunctSelected = false;
      RepaintRow(r);
    }
  for (int i = 0; i < hiddenRows_->Count(); ++i) static_cast<TGridItem*>(hiddenRows_->Items(i))->RowAttrs.DisjunctSelected = false;
}

void TExtStringGrid::ClearColSelect() {
  for (size_t c = 0; c < colSelect_.size(); ++c)
    if (colSelect_[c]) RepaintCol(DisplColIndex(static_cast<int>(c)));
  colSelect_.clear();
}

void TExtStringGrid::SelectRowsInSelection(bool All) {
  TGridRect s = Selection();
  for (int r = FixedRows(); r < RowCount(); ++r) {
    bool inside = r >= s.Top && r <= s.Bottom;
    if (!All && !inside) continue;
    TRowAttributes& a = MutableRowAttributes(r);
    if (a.DisjunctSelected == inside) continue;
    a.DisjunctSelected = inside;
    RepaintRow(r);
  }
}

void TExtStringGrid::SelectColsInSelection(bool All) {
  TGridRect s = Selection();
  for (int c = FixedCols(); c < ColCount(); ++c) {
    bool inside = c >= s.Left && c <= s.Right;
    if (All || inside) SetColSelect(RealColIndex(c), inside);
  }
}

int TExtStringGrid::RowSelectCount() {
  if (!mouseActions_->DisjunctRowSelect()) {
    TGridRect s = Selection();
    return s.Bottom - s.Top + 1;
  }
  int n = 0;
  for (int r = 0; r < AllRowCount(); ++r) n += RowAttributes(r).DisjunctSelected ? 1 : 0;
  for (int i = 0; i < hiddenRows_->Count(); ++i) n += static_cast<TGridItem*>(hiddenRows_->Items(i))->RowAttrs.DisjunctSelected;
  return n;
}

// ---------------------------------------------------------------- repaint helpers and fixed sizes
void TExtStringGrid::RepaintCol(int ACol) {
  if (updateCount_ == 0 && HandleAllocated() && ACol >= 0 && ACol < ColCount()) InvalidateCol(ACol);
}

void TExtStringGrid::RepaintRect(TRect R) {
  if (R.Left < 0 || R.Top < 0 || R.Right < 0 || R.Bottom < 0 || !HandleAllocated()) return;
  TRect a = CellRect(R.Left, R.Top), b = CellRect(R.Right, R.Bottom);
  if (a.Right <= a.Left || a.Bottom <= a.Top || b.Right <= b.Left || b.Bottom <= b.Top) {
    Invalidate();
    return;
  }
  // Only the cells in view: a block of a large grid costs what is shown.
  int top = std::max(R.Top, 0), bottom = std::min(R.Bottom, RowCount() - 1);
  for (int r = top; r <= bottom; ++r) {
    if (r >= FixedRows() && (r < TopRow() || r > TopRow() + VisibleRowCount() + 1)) continue;
    for (int c = R.Left; c <= R.Right && c < ColCount(); ++c) InvalidateCell(c, r);
  }
}

void TExtStringGrid::SetFixedColWidth(int Value) {
  if ((ComponentState() & csLoading) || Value == DefaultColWidth()) return;
  for (int c = 0; c < FixedCols(); ++c) SetColWidths(c, Value);
}

void TExtStringGrid::SetFixedRowHeight(int Value) {
  fixedRowHeight_ = Value;
  if (ComponentState() & csLoading) return;
  if (Value == DefaultRowHeight()) {
    SetDefaultRowHeight(Value);
    return;
  }
  for (int r = 0; r < FixedRows(); ++r) SetRowHeights(r, Value);
}

void TExtStringGrid::SetDefaultRowHeight(int Value) {
  TBaseGrid::SetDefaultRowHeight(Value);
  if (ComponentState() & csDesigning) fixedRowHeight_ = DefaultRowHeight();
  if (footerPanel_ && floatingFooter_->Visible()) {
    footerPanel_->SetHeight(std::max(0, DefaultRowHeight() - 1));
    AlignSearchPanel();
  }
}

void TExtStringGrid::SetMaxEditLength(int Value) {
  MaxEditLength = Value;
  if (auto* e = dynamic_cast<TExtInplaceEdit*>(InplaceEditor())) e->LengthLimit = static_cast<int16_t>(std::clamp(Value, 0, 32767));
}

// ---------------------------------------------------------------- save, load and row hooks
void TExtStringGrid::SaveCellText(int ACol, int ARow, std::string& Value) {
  if (SaveDisplayTexts)
    FormatCellText(ACol, ARow, Value);
  else
    Value = GridCells(ACol, ARow);
  if (Value.empty()) {
    if (TCellGraphic* g = GetCellGraphic(ACol, ARow); g && g->CellType == ctCheckBox) {
      if (g->CellBoolean)
        GetCheckTrue(ACol, ARow, Value);
      else
        GetCheckFalse(ACol, ARow, Value);
    }
  }
  if (!SaveKeepTags) Value = HTMLStrip(Value);
  SaveCell(ACol, ARow, Value);
}

void TExtStringGrid::LoadCellText(int ACol, int ARow, std::string Value) {
  LoadCell(ACol, ARow, Value);
  SetGridCells(ACol, ARow, Value);
}

// With nodes a row inside a span joins it (the spans around it grow); any other goes in as is.
void TExtStringGrid::DoAutoInsertRow(int ARow) {
  const int parent = HasNodes() ? GetParentNode(ARow) : -1;
  if (parent >= 0 && parent != ARow)
    InsertChildRow(RealRowIndex(parent), ARow - parent);
  else if (HasNodes())
    InsertRowKeepHidden(ARow);
  else
    InsertRows(ARow, 1);
  if (OnAutoInsertRow) OnAutoInsertRow(this, ARow);
}

// With nodes the row goes and the spans around it shrink; a node row gives up its node first
// (unfolded), so the rows it held stay reachable.
void TExtStringGrid::DoAutoDeleteRow(int ARow) {
  if (HasNodes()) {
    const int real = RealRowIndex(ARow);
    if (IsNodeRow(ARow)) RemoveNode(real);
    RemoveChildRow(real);
  } else if (RowCount() - FixedRows() - fixedFooters_ == 1 && !FixedRowAlways) {
    ClearRows(ARow, 1);  // the only data row stays, emptied
  } else {
    RemoveRowsEx(ARow, 1);
  }
  if (OnAutoDeleteRow) OnAutoDeleteRow(this, ARow);
}

// ---------------------------------------------------------------- counts, headers, version
int TExtStringGrid::FixedRows() const {
  int n = TBaseGrid::FixedRows();
  return n == 0 && FixedRowAlways ? 1 : n;
}

int TExtStringGrid::FixedCols() const {
  int n = TBaseGrid::FixedCols();
  return n == 0 && FixedColAlways ? 1 : n;
}

void TExtStringGrid::SetFixedRows(int Value) {
  TBaseGrid::SetFixedRows(Value);
  if (!(ComponentState() & csLoading)) initialFixedRows_ = TBaseGrid::FixedRows();
}

void TExtStringGrid::SetFixedCols(int Value) {
  TBaseGrid::SetFixedCols(Value);
  if (!(ComponentState() & csLoading)) initialFixedCols_ = TBaseGrid::FixedCols();
}

void TExtStringGrid::SetColCount(int Value) {
  if (Value != ColCount()) CloseEditForLines();
  TBaseGrid::SetColCount(Value);
  if (FixedColAlways && Value > initialFixedCols_ && TBaseGrid::FixedCols() != initialFixedCols_)
    TBaseGrid::SetFixedCols(initialFixedCols_);
  UpdateFooter();
  StretchWhenParented();
  UpdateScrollBars(false);
}

namespace {
// Stores a look setting; true when it changed.
template <class T>
bool StoreChanged(T& Field, T Value) {
  if (Field == Value) return false;
  Field = Value;
  return true;
}
}  // namespace

void TExtStringGrid::SetSelectionColor(TColor v) {
  if (StoreChanged(selLook_.Color, v)) Invalidate();
}
void TExtStringGrid::SetSelectionColorTo(TColor v) {
  if (StoreChanged(selLook_.ColorTo, v)) Invalidate();
}
void TExtStringGrid::SetSelectionTextColor(TColor v) {
  if (StoreChanged(selLook_.TextColor, v)) Invalidate();
}
void TExtStringGrid::SetShowSelection(bool v) {
  if (StoreChanged(selLook_.Show, v)) Invalidate();
}
void TExtStringGrid::SetSelectionRectangle(bool v) {
  if (StoreChanged(selLook_.Rectangle, v)) Invalidate();
}
void TExtStringGrid::SetSelectionResizer(bool v) {
  if (StoreChanged(selLook_.Resizer, v)) Invalidate();
}

void TExtStringGrid::SetVAlignment(TVAlignment v) {
  vAlignment_ = v;
  if (updateCount_ == 0) Invalidate();
}

void TExtStringGrid::SetWordWrap(bool Value) {
  TBaseGrid::SetWordWrap(Value);
  if (auto* e = dynamic_cast<TExtInplaceEdit*>(InplaceEditor())) e->SetWordWrap(Value);
  if (updateCount_ == 0) Invalidate();
}

void TExtStringGrid::SetColumnHeaders(TStrings* Value) {
  if (TBaseGrid::FixedRows() >= 1)
    for (int c = 0; c < ColCount(); ++c) SetCells(c, 0, std::string());
  columnHeaders_->Assign(Value);  // applies them through the list's change event
}

void TExtStringGrid::SetRowHeaders(TStrings* Value) {
  // At run time column 0 keeps what the new list does not cover.
  if ((ComponentState() & csDesigning) && TBaseGrid::FixedCols() >= 1)
    for (int r = 0; r < RowCount(); ++r) SetCells(0, r, std::string());
  rowHeaders_->Assign(Value);
}

void TExtStringGrid::ApplyHeaders(bool Columns) {
  TStringList* l = Columns ? columnHeaders_.get() : rowHeaders_.get();
  if (!l) return;
  if (Columns && TBaseGrid::FixedRows() >= 1)
    for (int i = 0; i < l->Count() && i < ColCount(); ++i) SetCells(i, 0, ExtUtil::DecodeNewlineEscapes(l->Strings(i)));
  if (!Columns && TBaseGrid::FixedCols() >= 1)
    for (int i = 0; i < l->Count() && i < RowCount(); ++i) SetCells(0, i, ExtUtil::DecodeNewlineEscapes(l->Strings(i)));
}

namespace {
constexpr uint32_t kVersion = (1u << 24) | (0u << 16) | (0u << 8) | 0u;  // 1.0.0.0
constexpr const char* kVersionDate = "Dec 2026";
}  // namespace

int TExtStringGrid::GetVersionNr() { return static_cast<int>(kVersion); }

std::string TExtStringGrid::Version() {
  const uint32_t v = static_cast<uint32_t>(GetVersionNr());
  return std::to_string(v >> 24) + "." + std::to_string((v >> 16) & 0xFF) + "." + std::to_string((v >> 8) & 0xFF) +
         "." + std::to_string(v & 0xFF);
}

std::string TExtStringGrid::GetVersionString() { return Version() + " " + kVersionDate; }

// ---------------------------------------------------------------- filter
bool TExtStringGrid::FilterMatch(int ARow) {
  bool result = true;
  for (int i = 0; i < filter_->Count(); ++i) {
    TFilterData* f = filter_->Items(i);
    std::string text = f->Data == fcNormal ? GridCells(f->Column, ARow) : Cells(f->Column, ARow);
    if (!f->Prefix.empty() && text.compare(0, f->Prefix.size(), f->Prefix) == 0) text.erase(0, f->Prefix.size());
    if (!f->Suffix.empty() && text.size() >= f->Suffix.size() &&
        text.compare(text.size() - f->Suffix.size(), f->Suffix.size(), f->Suffix) == 0)
      text.erase(text.size() - f->Suffix.size());
    bool m = ExtUtil::MatchFilter(f->Condition, text, f->CaseSensitive);
    switch (f->Operation) {
      case foSHORT:
        result = m;
        if (!m) return false;
        break;
      case foNONE: result = m; break;
      case foAND: result = result && m; break;
      case foXOR: result = result != m; break;
      case foOR: result = result || m; break;
    }
  }
  return result;
}

void TExtStringGrid::SetFilterActive(bool Value) {
  if (Value == filterActive_) return;
  filterActive_ = Value;
  if (Value) {
    filterFixedRows_ = TBaseGrid::FixedRows();
    BeginUpdate();
    std::vector<int> fail;
    const int first = FixedRows(), last = RowCount() - 1 - fixedFooters_;
    const int total = last - first + 1;
    for (int r = first; r <= last; ++r) {
      if (!FilterMatch(r)) fail.push_back(r);
      if (OnFilterProgress && total > 0)
        OnFilterProgress(this, static_cast<int16_t>(std::lround(100.0 * (r - first + 1) / total)));
    }
    // With no data row left the fixed rows would become ordinary ones holding the current cell,
    // and typing would overwrite the headers: the selection leaves the grid as when all data rows
    // are removed, remembered before the rows go.
    const bool none = total > 0 && static_cast<int>(fail.size()) == total;
    if (none) HideSelection();
    HideRowList(fail);
    if (none) HideSelection();
    if (OnFilterProgress && total > 0) OnFilterProgress(this, 100);
    EndUpdate();
  } else {
    UnHideRowsAll();
    TBaseGrid::SetFixedRows(std::min(filterFixedRows_, RowCount() - 1));
    if (SelectionHidden()) RestoreSelection();
  }
  CalcFooter(-1);
}
