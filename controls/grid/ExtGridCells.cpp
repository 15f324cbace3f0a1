// Cell text in its other forms, colours by cell and by row, the footer row
// and the per-cell attribute hooks.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "controls/grid/ExtGrid.h"
#include "controls/grid/ExtUtil.h"
#include "platform/rtl/Win1252.h"

namespace {
// A number in the grid's float format; a format the safe formatter refuses gives "%.2f".
std::string FormatFloatText(const std::string& Fmt, double Value) {
  std::string out;
  if (FormatGridNumber(Fmt, Value, out) || FormatGridNumber("%.2f", Value, out)) return out;
  return std::string();
}
}  // namespace

// ---------------------------------------------------------------- text forms
std::u16string TExtStringGrid::WideCells(int ACol, int ARow) const { return ExtUtil::DecodeWideText(Cells(ACol, ARow)); }

// The cell's own slot: a covered cell of a merged area keeps its own text, and nothing repaints.
void TExtStringGrid::SetWideCells(int ACol, int ARow, const std::u16string& Value) {
  SetGridCells(ACol, ARow, Utf16ToUtf8(Value));
}

void TExtStringGrid::SetFloats(int ACol, int ARow, double Value) {
  SetCells(ACol, ARow, FormatFloatText(FloatFormat, Value));
}

std::string TExtStringGrid::GetCurrentCellText() {
  TPoint b = BaseCell(RealColIndex(Col()), Row());
  return GridCells(b.X, b.Y);
}

void TExtStringGrid::SetCurrentCellText(const std::string& Value) { SetCells(RealColIndex(Col()), Row(), Value); }

void TExtStringGrid::SetCurrentEditText(const std::string& Value) {
  TPoint b = BaseCell(Col(), Row());
  SetEditText(b.X, b.Y, Value);
}

// ---------------------------------------------------------------- colours
TColor TExtStringGrid::Colors(int ACol, int ARow) const {
  TCellProperties* p = CellPropertiesOrNull(ACol, ARow);
  return p ? p->BrushColor() : clNone;
}

void TExtStringGrid::SetColors(int ACol, int ARow, TColor Value) {
  GetCellProperties(ACol, ARow)->SetBrushColor(Value);
  RepaintCellAt(ACol, ARow);
}

void TExtStringGrid::SetColorsTo(int ACol, int ARow, TColor Value) {
  GetCellProperties(ACol, ARow)->SetBrushColorTo(Value);
  RepaintCellAt(ACol, ARow);
}

void TExtStringGrid::SetFontColors(int ACol, int ARow, TColor Value) {
  GetCellProperties(ACol, ARow)->FontColor = Value;
  RepaintCellAt(ACol, ARow);
}

bool TExtStringGrid::ReadOnly(int ACol, int ARow) { return GetCellProperties(ACol, ARow)->ReadOnly; }
void TExtStringGrid::SetReadOnly(int ACol, int ARow, bool Value) { GetCellProperties(ACol, ARow)->ReadOnly = Value; }

TControl* TExtStringGrid::CellControls(int ACol, int ARow) const {
  TCellProperties* p = CellPropertiesOrNull(ACol, ARow);
  return p ? p->Control : nullptr;
}

void TExtStringGrid::ColorRow(int ARow, TColor Value, int Which) {
  int last = AllColCount() - 1;
  if (Value == clNone) {
    // Freeing a cell of a merged area would leave the rest of the area pointing at it:
    // every area that reaches into the row is split first.
    for (int c = FixedCols(); c <= last; ++c)
      if (HasCellProperties(c, ARow) && CellSpan(c, ARow) != TPoint(0, 0)) SplitCells(c, ARow);
    FreeCellPropertiesRange(FixedCols(), ARow, last, ARow);
  } else {
    for (int c = FixedCols(); c <= last; ++c) {
      TCellProperties* p = GetCellProperties(c, ARow);
      if (Which == 0) p->SetBrushColor(Value);
      else if (Which == 1) p->SetBrushColorTo(Value);
      else p->FontColor = Value;
    }
  }
  RepaintRow(ARow);
}

void TExtStringGrid::SetRowColor(int ARow, TColor Value) { ColorRow(ARow, Value, 0); }
void TExtStringGrid::SetRowColorTo(int ARow, TColor Value) { ColorRow(ARow, Value, 1); }
void TExtStringGrid::SetRowFontColor(int ARow, TColor Value) { ColorRow(ARow, Value, 2); }

void TExtStringGrid::SetRowModified(int ARow, bool v) {
  MutableRowAttributes(ARow).Modified = v;
  RepaintRow(ARow);
}

// ---------------------------------------------------------------- footer row
void TExtStringGrid::UpdateFooter() {
  // The footer's texts show in its panel, over the last row.
  if (!floatingFooter_ || !floatingFooter_->Visible()) return;
  RepaintRow(RowCount() - 1);
  RepaintFooterPanel();
}

void TExtStringGrid::CalcFooter(int ACol) {
  TFloatingFooter* f = floatingFooter_.get();
  if (!f->Visible() || f->FooterStyle() != fsFixedLastRow || !f->CalcActive) return;
  int h = f->CalculateHiddenRows ? NumHiddenRows() : 0;
  int last = RowCount() - 1;
  int c1 = ACol < 0 ? 0 : ACol, c2 = ACol < 0 ? ColCount() - 1 : ACol;
  for (int c = c1; c <= c2; ++c) {
    TCellProperties* p = CellPropertiesOrNull(c, last);
    if (!p) continue;
    int kind = p->FooterCalc & 0x7F;
    std::string v;
    switch (kind) {
      case 1: v = FormatFloatText(FloatFormat, ColumnSum(c, FixedRows(), RowCount() - 2 + h)); break;
      case 2: v = FormatFloatText(FloatFormat, ColumnAvg(c, FixedRows(), RowCount() - 2 + h)); break;
      case 4: v = FormatFloatText(FloatFormat, ColumnMin(c, FixedRows(), RowCount() - 2 + h)); break;
      case 5: v = FormatFloatText(FloatFormat, ColumnMax(c, FixedRows(), RowCount() - 2 + h)); break;
      case 3: v = std::to_string(RowCount() - 1 - FixedRows() + h); break;
      case 7:
        if (f->OnCalcFooter) f->OnCalcFooter(this, c, RowCount() - 1 + h, v);
        break;
      default: continue;  // no calculation: the footer cell keeps its own text
    }
    SetGridCells(c, last, v);
  }
  UpdateFooter();
}

// ---------------------------------------------------------------- per-cell attribute hooks
void TExtStringGrid::GetCellHint(int ACol, int ARow, std::string& HintStr) {
  if (OnGridHint) OnGridHint(this, ARow, ACol, HintStr);
}

void TExtStringGrid::GetCellPrintColor(int ACol, int ARow, TGridDrawState AState, TBrush* ABrush, TFont* AFont) {
  if (OnGetCellPrintColor) OnGetCellPrintColor(this, ARow, ACol, AState, ABrush, AFont);
}

void TExtStringGrid::GetCellBorder(int ACol, int ARow, TPen* APen, TCellBorders& Borders) {
  if (grouping_->HeaderUnderline && ACol >= 1 && GetCellType(0, ARow) == ctNode) {
    Borders = cbBottom;
    APen->SetColor(grouping_->HeaderLineColor);
    APen->SetWidth(grouping_->HeaderLineWidth);
  }
  if (grouping_->SummaryLine && ACol >= 1 && GetCellType(0, ARow) == ctSummary) {
    Borders = cbTop;
    APen->SetColor(grouping_->SummaryLineColor);
    APen->SetWidth(grouping_->SummaryLineWidth);
  }
  if (OnGetCellBorder) OnGetCellBorder(this, ARow, ACol, APen, Borders);
}

void TExtStringGrid::GetCellPrintBorder(int ACol, int ARow, TPen* APen, TCellBorders& Borders) {
  if (OnGetCellPrintBorder) OnGetCellPrintBorder(this, ARow, ACol, APen, Borders);
}

void TExtStringGrid::GetCellFormat(int ACol, TSortStyle& AStyle, std::string& APrefix, std::string& ASuffix) {
  if (OnGetFormat) OnGetFormat(this, ACol, AStyle, APrefix, ASuffix);
}

void TExtStringGrid::GetCellEditor(int ACol, int ARow, TEditorType& AEditor) {
  if (OnGetEditorType) OnGetEditorType(this, ACol, ARow, AEditor);
}

void TExtStringGrid::IsFixedCell(int ACol, int ARow, bool& IsFixed) {
  if (!IsFixed) {
    IsFixed = (FixedRowAlways && ARow <= initialFixedRows_ && RowCount() == initialFixedRows_) ||
              (FixedColAlways && ACol < initialFixedCols_ && ColCount() == initialFixedCols_) ||
              ACol < FixedCols() || ARow < FixedRows();
  }
  if (!IsFixed && OnIsFixedCell) OnIsFixedCell(this, ARow, ACol, IsFixed);
}

void TExtStringGrid::CanEditCell(int ACol, int ARow, bool& CanEdit) {
  TPoint b = BaseCell(ACol, ARow);
  if (TCellProperties* p = CellPropertiesOrNull(b.X, b.Y); p && CanEdit) {
    CanEdit = !p->ReadOnly;
    if (!(Options() & goEditing) && !edit_.SwitchedOff && !mouseActions_->RangeSelectAndEdit) CanEdit = false;
  }
  if (OnCanEditCell) OnCanEditCell(this, b.Y, b.X, CanEdit);
}

void TExtStringGrid::IsPasswordCell(int ACol, int ARow, bool& IsPassword) {
  if (OnIsPasswordCell) OnIsPasswordCell(this, ARow, ACol, IsPassword);
}

void TExtStringGrid::GetWordWrap(int ACol, int ARow, bool& WordWrap) {
  if (OnGetWordWrap) OnGetWordWrap(this, ACol, ARow, WordWrap);
}

bool TExtStringGrid::HasComboBox(int ACol, int ARow) {
  bool r = false;
  if (OnHasComboBox) OnHasComboBox(this, ACol, ARow, r);
  return r;
}

void TExtStringGrid::GetCheckTrue(int ACol, int ARow, std::string& Value) {
  Value = CheckTrue;
  if (OnGetCheckTrue) OnGetCheckTrue(this, ACol, ARow, Value);
}

void TExtStringGrid::GetCheckFalse(int ACol, int ARow, std::string& Value) {
  Value = CheckFalse;
  if (OnGetCheckFalse) OnGetCheckFalse(this, ACol, ARow, Value);
}

bool TExtStringGrid::IsPasswordCellAt(int ACol, int ARow) {
  bool r = false;
  IsPasswordCell(ACol, ARow, r);
  return r;
}

bool TExtStringGrid::IsFixed(int ACol, int ARow) {
  TPoint b = BaseCell(RealColIndex(ACol), ARow);
  if (b.Y >= RowCount() - fixedFooters_ || b.X >= ColCount() - fixedRightCols_) return true;
  bool f = false;
  IsFixedCell(b.X, b.Y, f);
  return f;
}
