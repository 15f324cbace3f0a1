// Column calculations, sizing columns and rows to their content, line
// counts, the selection test and the selection as text.
#include <algorithm>

#include "controls/grid/ExtGrid.h"
#include "controls/grid/ExtUtil.h"

// ---------------------------------------------------------------- column calculations
// Kind: 0 sum, 1 average, 2 minimum, 3 maximum. Empty cells and text that is no
// number count for nothing; the average divides by the rows of the range, skipped
// ones included.
double TExtStringGrid::ColumnAggregate(int ACol, int FromRow, int ToRow, int Kind) {
  if (ToRow < FromRow) return 0;
  const int limit = floatingFooter_->Visible() ? RowCount() - 1 : RowCount();
  // A range past the displayed rows counts every row, hidden ones read from their records.
  const bool all = ToRow > limit;
  const bool grouped = Grouped();
  double sum = 0, best = 0;
  bool haveBest = false;
  // The progress hooks hear the walk as they hear a copy's rows.
  ClipboardCopyProgress(csStart, FromRow);
  for (int r = std::max(0, FromRow); r <= ToRow; ++r) {
    std::string text;
    if (all) {
      if (r >= AllRowCount()) break;
      if (!HiddenRowText(ACol, r, text)) {
        int d = DisplRowIndex(r);
        if (!IsBaseCell(ACol, d)) continue;
        text = Cells(ACol, d);
      }
    } else {
      if (r >= RowCount()) break;
      // The header and summary rows of a grouping are no values of the column.
      if (grouped && (IsNodeRow(r) || IsSummaryRow(r))) continue;
      if (!IsBaseCell(ACol, r)) continue;
      text = Cells(ACol, r);
    }
    ClipboardCopyProgress(csRow, r);
    double v = 0;
    if (!GridNumberValue(Trim(text), v)) continue;
    sum += v;
    if (!haveBest || (Kind == 2 && v < best) || (Kind == 3 && v > best)) best = v;
    haveBest = true;
  }
  ClipboardCopyProgress(csEnd, ToRow);
  switch (Kind) {
    case 0: return sum;
    case 1: return sum / (ToRow - FromRow + 1);
    default: return haveBest ? best : 0;
  }
}

double TExtStringGrid::ColumnSum(int ACol, int FromRow, int ToRow) { return ColumnAggregate(ACol, FromRow, ToRow, 0); }
double TExtStringGrid::ColumnAvg(int ACol, int FromRow, int ToRow) { return ColumnAggregate(ACol, FromRow, ToRow, 1); }
double TExtStringGrid::ColumnMin(int ACol, int FromRow, int ToRow) { return ColumnAggregate(ACol, FromRow, ToRow, 2); }
double TExtStringGrid::ColumnMax(int ACol, int FromRow, int ToRow) { return ColumnAggregate(ACol, FromRow, ToRow, 3); }

bool TExtStringGrid::HiddenRowText(int ACol, int AllRow, std::string& Text) const {
  const TGridItem* it = hiddenRows_->Find(AllRow);
  if (!it) return false;
  Text = it->Text(ACol);
  return true;
}

// ---------------------------------------------------------------- sizing
// Graphics the text measure takes in already: check boxes, radio groups, node signs, turned text.
namespace {
bool MeasuredWithText(TCellType T) { return IsCheckKind(T) || T == ctRadio || T == ctNode || T == ctRotated; }
}  // namespace

int TExtStringGrid::ContentWidth(int RealCol, int ARow) {
  const int text = GetCellTextSize(RealCol, ARow, false).cx;
  TCellGraphic* g = GetCellGraphic(RealCol, ARow);
  if (!g || MeasuredWithText(g->CellType)) return text;
  const TSize gs = GraphicSizeUnaligned(g, RealCol, ARow);
  if (g->CellVAlign == vaFull) return gs.cx - (GridLineWidth() + 1) * 2 - CellMarginX;
  // A graphic of no size of its own (a bar, a comment) or one filling the width asks for nothing.
  if (gs.cx <= 0 || g->CellHAlign == haFull) return text;
  // It stands 1 pixel in from its edge; beside the text the text moves by its width.
  if (!GraphicShowsText(RealCol, ARow) || GetDisplayText(RealCol, ARow).empty()) return gs.cx + 2;
  if (g->CellHAlign == haBeforeText || g->CellHAlign == haAfterText) return text + gs.cx;
  return std::max(text, gs.cx + 2);
}

int TExtStringGrid::ContentHeight(int RealCol, int ARow, bool WrapToCell) {
  TCellGraphic* g = GetCellGraphic(RealCol, ARow);
  const TCellType t = g ? g->CellType : ctEmpty;
  if (t == ctCheckBox || t == ctDataCheckBox) return DefaultRowHeight();
  const int text = GetCellTextSize(RealCol, ARow, WrapToCell).cy;
  if (!g || t == ctRadio || t == ctNode || t == ctRotated) return text;
  const TSize gs = GraphicSizeUnaligned(g, RealCol, ARow);
  if (g->CellVAlign == vaFull) return gs.cy - (GridLineWidth() + 1) * 2 - CellMarginY;
  // The other check boxes stand in for their text.
  if (IsCheckKind(t) && gs.cy > 0) return gs.cy;
  return text + gs.cy;
}

void TExtStringGrid::AutoSizeColumnEx(int ACol, bool OnlyGrow) {
  if (ACol < 0 || ACol >= ColCount()) return;
  const int rc = RealColIndex(ACol);
  int widest = 0;
  for (int r = 0; r < RowCount(); ++r) {
    if (IsXMergedCell(rc, r)) continue;
    widest = std::max(widest, ContentWidth(rc, r));
  }
  int w = widest + (GridLineWidth() + 1) * 2 + CellMarginX;
  if (OnlyGrow && w <= ColWidths(ACol)) return;
  UpdateColumnSize(ACol, w);
  w = ExtUtil::ClampSize(w, MinColWidth, MaxColWidth);
  SetColWidths(ACol, std::max(0, w));
}

void TExtStringGrid::AutoSizeColumns(bool DoFixedCols, int ExtraWidth) {
  for (int c = DoFixedCols ? 0 : FixedCols(); c < ColCount(); ++c) {
    AutoSizeColumn(c);
    if (ExtraWidth != 0)
      SetColWidths(c, std::max(0, ExtUtil::ClampSize(ColWidths(c) + ExtraWidth, MinColWidth, MaxColWidth)));
  }
}

void TExtStringGrid::AutoSizeRowEx(int ARow, bool OnlyGrow) {
  if (ARow < 0 || ARow >= RowCount()) return;
  int tallest = 0;
  for (int c = 0; c < ColCount(); ++c) {
    int rc = RealColIndex(c);
    if (IsYMergedCell(rc, ARow) || !IsBaseCell(rc, ARow)) continue;
    tallest = std::max(tallest, ContentHeight(rc, ARow, WordWrap()));
  }
  int h = tallest + CellMarginY + 2 * GridLineWidth();
  if (OnlyGrow && h <= RowHeights(ARow)) return;
  SetRowHeights(ARow, std::max(1, ExtUtil::ClampSize(h, MinRowHeight, MaxRowHeight)));
}

void TExtStringGrid::AutoSizeRow(int ARow) { AutoSizeRowEx(ARow, AutoSizeOnlyGrow); }

void TExtStringGrid::SetAutoSize(bool v) {
  autoSize_ = v;
  if (v) AutoSizeColumns(false, 10);
}

void TExtStringGrid::SizeRowToLines(int ARow, int Lines, int Extra) {
  if (ARow < 0 || ARow >= RowCount()) return;
  TCanvas* cv = Canvas();
  TGridDrawState st = 0;
  TColor to = clNone;
  TAlignment ha = taLeftJustify;
  TVAlignment va = vtaTop;
  bool ww = false;
  GetCellColors(0, ARow, st, false, false, false, cv->Brush(), to, cv->Font(), ha, va, ww);
  int h = cv->TextHeight("gh");
  SetRowHeights(ARow, std::max(1, ExtUtil::ClampSize((h + h / 8) * Lines + Extra, MinRowHeight, MaxRowHeight)));
}

int TExtStringGrid::MaxLineCountInRow(int ARow) {
  if (!Multilinecells || ARow < 0 || ARow >= RowCount()) return 1;
  int most = 1;
  for (int c = 0; c < ColCount(); ++c) most = std::max(most, ExtUtil::LineCount(Cells(RealColIndex(c), ARow), true));
  return most;
}

// ---------------------------------------------------------------- selection
bool TExtStringGrid::IsCellSelected(int ACol, int ARow) {
  if (ACol < FixedCols() || ARow < FixedRows()) return false;
  if (mouseActions_->DisjunctCellSelect())
    return std::find(select_.Cells.begin(), select_.Cells.end(), TPoint(ACol, ARow)) != select_.Cells.end();
  if (mouseActions_->DisjunctRowSelect()) return RowAttributes(ARow).DisjunctSelected;
  if (mouseActions_->DisjunctColSelect()) {
    int rc = RealColIndex(ACol);
    return rc < static_cast<int>(colSelect_.size()) && colSelect_[static_cast<size_t>(rc)];
  }
  TGridRect s = Selection();
  return ACol >= s.Left && ACol <= s.Right && ARow >= s.Top && ARow <= s.Bottom;
}

TGridRect TExtStringGrid::SelectionTextRange() {
  TGridRect s = Selection();
  if ((Options() & goRowSelect) && dragDropSettings_->OleEntireRows) s.Left = 0, s.Right = ColCount() - 1;
  return s;
}

void TExtStringGrid::SelectionAsText(std::string& Text) {
  const TGridRect s = SelectionTextRange();
  const bool disjunct = mouseActions_->DisjunctRowSelect();
  int first = disjunct ? FixedRows() : s.Top, last = disjunct ? RowCount() - 1 : s.Bottom;
  Text.clear();
  bool firstLine = true;
  for (int r = std::max(0, first); r <= last && r < RowCount(); ++r) {
    if (disjunct && !RowAttributes(r).DisjunctSelected) continue;
    if (!firstLine) Text += "\r\n";
    firstLine = false;
    for (int c = std::max(0, s.Left); c <= s.Right && c < ColCount(); ++c) {
      if (c > s.Left) Text += '\t';
      // As a copy gives it: quoted where needed, rich text and markup as their plain text.
      Text += ClipboardCellText(c, r);
    }
  }
}
