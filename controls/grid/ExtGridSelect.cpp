// Mouse selection: the press modes set by mouse movement and their cursors,
// whole rows, columns or all cells selected over the fixed cells (also by
// dragging, with scrolling), disjunct rows, columns and cells, the selection
// frame and its resize handle, and pasting a block of cells into the
// selection (the resizer's fill, and the clipboard's paste).
#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "controls/grid/ExtGrid.h"
#include "platform/grid/GridStore.h"
#include "controls/grid/ExtUtil.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Messages.h"
#include "platform/gui/WinWindow.h"
#include "platform/gui/Windows.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/Win1252.h"

namespace {

constexpr int kHandle = 6;      // side of the resize handle's square
constexpr int kScrollEdge = 4;  // pixels from the bottom (right) edge that scroll a drag selection

// The program's own cursors under these numbers win; the grid's art fills the gaps.
void InstallSelectCursors() {
  if (!Screen) return;
  using ExtUtil::ArrowRight;
  auto install = [](int n, const ExtUtil::TCursorShape& s, int hx, int hy) {
    if (!Screen->Cursors(n)) Screen->SetCursors(n, ExtUtil::MakeCursorArt(s, hx, hy));
  };
  // Row select: an arrow pointing right into the row.
  install(TExtStringGrid::crGridRowSelect, [](double x, double y) { return ArrowRight(x - 16, y - 16); }, 16, 16);
  // Column select: an arrow pointing down into the column.
  install(TExtStringGrid::crGridColSelect, [](double x, double y) { return ArrowRight(y - 16, x - 16); }, 16, 16);
  // Select all and the resizer: an arrow pointing down-right, into the corner.
  install(TExtStringGrid::crGridAllSelect, [](double x, double y) {
    const double u = (x - 20 + y - 20) / std::sqrt(2.0), v = (y - 20 - (x - 20)) / std::sqrt(2.0);
    return ArrowRight(u, v);
  }, 20, 20);
  // Drag selection: a pointer with a small block of cells beside it.
  install(TExtStringGrid::crGridDragSelect, [](double x, double y) {
    bool head = y >= 1 && y <= 13 && x >= 1 && x <= 1 + (y - 1) * 0.7 && x <= 1 + (14 - y) * 1.6;
    bool tail = y >= 9 && y <= 18 && std::abs(x - (3.5 + (y - 9) * 0.5)) <= 1.1;
    bool pointer = head || tail;
    bool block = x >= 13 && x <= 24 && y >= 14 && y <= 22 &&
                 (x == 13 || x == 24 || y == 14 || y == 22 || x == 18 || y == 18);
    return pointer || block;
  }, 1, 1);
}

bool IsDateLike(const std::string& T) {
  const TFormatSettings& f = FormatSettings;
  size_t n = T.size() > 1 ? static_cast<size_t>(std::count(T.begin() + 1, T.end(), f.DateSeparator)) : 0;
  return n >= 2 || T.find(f.TimeSeparator) != std::string::npos;
}

}  // namespace

// ---------------------------------------------------------------- press modes and cursors
TRect TExtStringGrid::SelectionResizeHandle() {
  TGridRect s = Selection();
  if (s.Right < 0 || s.Bottom < 0 || s.Right >= ColCount() || s.Bottom >= RowCount()) return TRect();
  TRect cr = CellRect(s.Right, s.Bottom);
  if (cr.Right <= cr.Left || cr.Bottom <= cr.Top) return TRect();
  // The square takes the cell's last pixels and its grid line.
  return TRect(cr.Right - kHandle + 1, cr.Bottom - kHandle + 1, cr.Right + 1, cr.Bottom + 1);
}

bool TExtStringGrid::OnResizeHandle(int X, int Y) {
  if (!SelectionResizer() || !SelectionRectangle()) return false;
  TRect h = SelectionResizeHandle();
  return h.Right > h.Left && X >= h.Left && X < h.Right && Y >= h.Top && Y < h.Bottom;
}

void TExtStringGrid::UpdatePressMode(int X, int Y) {
  select_.ResizeHot = OnResizeHandle(X, Y);
  int c = -1, r = -1;
  MouseToCell(X, Y, c, r);
  int mode = pmNone;
  if (c >= 0 && r >= 0) {
    const bool fixedRow = r < FixedRows(), fixedCol = c < FixedCols();
    TRect cr = CellRect(c, r);
    const bool onNode = c == 0 && HasNodes() && X < cr.Left + GetNodeIndent(r);
    if (fixedRow && fixedCol && mouseActions_->AllSelect)
      mode = pmAllSelect;
    else if (fixedRow && !fixedCol && mouseActions_->ColSelect)
      mode = pmColSelect;
    else if (fixedCol && !fixedRow && mouseActions_->RowSelect && !onNode)
      mode = pmRowSelect;
  }
  if (select_.ResizeHot) mode = pmResize;
  select_.PressMode = mode;
}

void TExtStringGrid::WMSetCursor(TMessage& Message) {
  if (PanSetCursor(Message)) return;
  TGridState st = GridState();
  if (st != gsColSizing && st != gsRowSizing && LoWord(Message.LParam) == HTCLIENT && Screen) {
    int n = 0;
    if (select_.DragMode == pmColSelect || select_.DragMode == pmRowSelect || select_.DragMode == pmAllSelect)
      n = crGridDragSelect;
    else if (select_.PressMode == pmColSelect)
      n = crGridColSelect;
    else if (select_.PressMode == pmRowSelect)
      n = crGridRowSelect;
    else if (select_.PressMode == pmAllSelect || select_.PressMode == pmResize || select_.DragMode == pmResize)
      n = crGridAllSelect;
    if (n) {
      InstallSelectCursors();
      ::SetCursor(Screen->Cursors(n));
      Message.Result = 1;
      return;
    }
  }
  TBaseGrid::WMSetCursor(Message);
}

void TExtStringGrid::SetCursor(TCursor ACursor) {
  if (!select_.OwnCursorChange) ownCursor_ = ACursor;
  TBaseGrid::SetCursor(ACursor);
}

void TExtStringGrid::SetOwnCursor(TCursor ACursor) {
  TGridCountScope own(select_.OwnCursorChange);
  SetCursor(ACursor);
}

void TExtStringGrid::CMCursorChanged(TMessage& Message) {
  // A cursor someone else set through the property replaces the mode's.
  if (!select_.OwnCursorChange) select_.PressMode = pmNone;
  TBaseGrid::CMCursorChanged(Message);
}

// ---------------------------------------------------------------- button down
bool TExtStringGrid::SelectionResizeDown(TMessage& Message) {
  TGridRect s = Selection();
  if (s.Left < 0 || s.Top < 0) return false;
  // An open edit ends first (validated): the fill writes cells and the current cell moves.
  CloseEditForLines();
  select_.ResizeOrig = s;
  select_.ResizeCells = CopyCells(s);
  select_.ResizePending = true;
  select_.DragMode = pmResize;
  if (!(Options() & goEditing)) {
    std::shared_ptr<bool> alive = AliveFlag();
    TBaseGrid::WMMouseButton(Message);
    if (!*alive) return true;
  }
  // The press only takes hold of the corner: the selection stays, the drag extends it.
  SetSelection(s);
  return true;
}

void TExtStringGrid::ModeClick(int ACol, int ARow, TShiftState Shift) {
  if (!(Options() & goRangeSelect)) return;
  const int lastRow = RowCount() - fixedFooters_ - 1, lastCol = ColCount() - 1;
  const bool fixedRow = ARow < FixedRows(), fixedCol = ACol < FixedCols();
  TGridRect before = Selection();
  if (fixedRow && fixedCol && mouseActions_->AllSelect && select_.PressMode == pmAllSelect) {
    if (lastRow < FixedRows() || lastCol < FixedCols()) return;
    SetSelection({FixedCols(), FixedRows(), lastCol, lastRow});
    select_.DragMode = pmAllSelect;
  } else if (fixedCol && !fixedRow && ARow <= lastRow && mouseActions_->RowSelect && select_.PressMode == pmRowSelect) {
    int from = (Shift & ssShift) && Row() >= FixedRows() && Row() <= lastRow ? Row() : ARow;
    SetSelection({FixedCols(), std::min(from, ARow), lastCol, std::max(from, ARow)});
    select_.DragAnchor = from;
    select_.DragMode = pmRowSelect;
  } else if (fixedRow && !fixedCol && mouseActions_->ColSelect && select_.PressMode == pmColSelect) {
    if (lastRow < FixedRows()) return;
    SetSelection({ACol, FixedRows(), ACol, lastRow});
    select_.DragAnchor = ACol;
    select_.DragMode = pmColSelect;
  } else {
    return;
  }
  RepaintSelectionUnion(before);
  NoteSelection(before);
}

void TExtStringGrid::DisjunctDown(int ACol, int ARow, TShiftState Shift) {
  select_.DeselectPending = false;
  const bool ctrl = Shift & ssCtrl;
  // Only a press that reaches this step makes the flags follow the selection at the release (a
  // row check box in column 0 flips its row's flag itself).
  select_.DisjunctRowPress = mouseActions_->DisjunctRowSelect() && ARow >= FixedRows() &&
                      (ACol != 0 || !mouseActions_->HotmailRowSelect());
  select_.DisjunctColPress = mouseActions_->DisjunctColSelect() && ACol >= FixedCols();
  if (select_.DisjunctRowPress) {
    if (ctrl)
      select_.DeselectPending = RowAttributes(ARow).DisjunctSelected;
    else if (!(Shift & ssAlt))
      ClearRowSelect();
  }
  if (select_.DisjunctColPress) {
    if (ctrl)
      select_.DeselectPending = ColSelect(RealColIndex(ACol));
    else if (!(Shift & ssAlt))
      ClearColSelect();
  }
}

// ---------------------------------------------------------------- mouse movement
void TExtStringGrid::RepaintSelectionUnion(const TGridRect& Before) {
  TGridRect s = Selection();
  if (!SelectionRectangle() || s == Before) return;
  // The frame and the handle reach over the cell borders: one cell more on each side.
  RepaintRect(TRect(std::max(0, std::min(s.Left, Before.Left) - 1), std::max(0, std::min(s.Top, Before.Top) - 1),
                    std::min(ColCount() - 1, std::max(s.Right, Before.Right) + 1),
                    std::min(RowCount() - 1, std::max(s.Bottom, Before.Bottom) + 1)));
}

void TExtStringGrid::DragSelectMove(int X, int Y) {
  TGridRect before = Selection();
  if (select_.DragMode == pmResize) {
    TGridCoord cell = MouseCoord(X, Y);
    if (cell.X < 0 || cell.Y < 0) return;
    TGridRect n{select_.ResizeOrig.Left, select_.ResizeOrig.Top, std::max(select_.ResizeOrig.Left, cell.X),
                std::max(select_.ResizeOrig.Top, std::min(cell.Y, RowCount() - fixedFooters_ - 1))};
    if (!(n == before)) SetSelection(n);
  } else if ((select_.DragMode == pmRowSelect || select_.DragMode == pmColSelect) && GridState() == gsNormal) {
    const bool rows = select_.DragMode == pmRowSelect;
    const int first = rows ? FixedRows() : FixedCols();
    const int last = rows ? RowCount() - fixedFooters_ - 1 : ColCount() - 1;
    if (last < first || select_.DragAnchor < first) return;
    const int pos = rows ? Y : X, extent = rows ? ClientHeight() : ClientWidth();
    const int top = rows ? TopRow() : LeftCol();
    const int shown = rows ? VisibleRowCount() : VisibleColCount();
    TGridCoord cell = MouseCoord(X, Y);
    int at = rows ? cell.Y : cell.X;
    TRect firstRect = rows ? CellRect(LeftCol(), top) : CellRect(top, TopRow());
    const int firstEdge = rows ? firstRect.Top : firstRect.Left;
    if (pos >= extent - kScrollEdge) {
      // Down (right) one line while lines that may be selected lie below the view.
      if (top + shown - 1 < last && top < (rows ? MaxTopRow() : MaxLeftCol())) {
        if (rows)
          SetTopRow(top + 1);
        else
          SetLeftCol(top + 1);
      }
      at = (rows ? TopRow() : LeftCol()) + (rows ? VisibleRowCount() : VisibleColCount()) - 1;
    } else if (pos < firstEdge) {
      if (top > first) {
        if (rows)
          SetTopRow(top - 1);
        else
          SetLeftCol(top - 1);
      }
      at = rows ? TopRow() : LeftCol();
    } else if (at < 0) {
      at = top + shown - 1;  // past the last cell
    }
    at = std::clamp(at, first, last);
    TGridRect n = rows ? TGridRect{FixedCols(), std::min(select_.DragAnchor, at), ColCount() - 1, std::max(select_.DragAnchor, at)}
                       : TGridRect{std::min(select_.DragAnchor, at), FixedRows(), std::max(select_.DragAnchor, at),
                                   RowCount() - fixedFooters_ - 1};
    if (!(n == before)) SetSelection(n);
  }
  RepaintSelectionUnion(before);
}

// ---------------------------------------------------------------- button up
void TExtStringGrid::SelectionButtonUp() {
  select_.PressMode = pmNone;
}

void TExtStringGrid::DisjunctButtonUp() {
  const bool pending = select_.DeselectPending, rows = select_.DisjunctRowPress, cols = select_.DisjunctColPress;
  select_.DeselectPending = select_.DisjunctRowPress = select_.DisjunctColPress = false;
  if (select_.DragMode == pmResize) return;
  const int c = press_.DownCell.X, r = press_.DownCell.Y;
  if (c < 0 || r < 0) return;
  const bool nodeClick = c == 0 && HasNodes() && GetNodeIndent(r) > 0;
  if (rows && mouseActions_->DisjunctRowSelect() && !nodeClick) {
    SelectRowsInSelection(false);
    if (pending && r >= FixedRows() && r < RowCount()) SetRowSelect(r, false);
  }
  if (cols && mouseActions_->DisjunctColSelect()) {
    SelectColsInSelection(false);
    if (pending && c >= FixedCols() && c < ColCount()) SetColSelect(RealColIndex(c), false);
  }
}

void TExtStringGrid::SelectionResizeUp() {
  select_.DragMode = pmNone;
  select_.DragAnchor = -1;
  if (!select_.ResizePending) return;
  select_.ResizePending = false;
  TCellBlock cells;
  std::swap(cells, select_.ResizeCells);
  TGridRect now = Selection();
  if (OnSelectionResize) OnSelectionResize(this, select_.ResizeOrig, now);
  PasteCellsIntoSelection(cells);
  if (OnSelectionResized) OnSelectionResized(this, select_.ResizeOrig, now);
}

void TExtStringGrid::SetSelectedCells(std::vector<TPoint> Cells) {
  for (const TPoint& p : select_.Cells) RepaintCell(p.X, p.Y);
  select_.Cells = std::move(Cells);
  for (const TPoint& p : select_.Cells) RepaintCell(p.X, p.Y);
}

void TExtStringGrid::DisjunctCellUp(int X, int Y, TShiftState Shift) {
  int c = -1, r = -1;
  MouseToCell(X, Y, c, r);
  if (c < 0 || r < 0) return;
  TPoint b = BaseCell(c, r);
  if (b.X < FixedCols() || b.Y < FixedRows() || IsFixed(b.X, b.Y)) return;
  bool allow = true;
  if (OnSelectCell) OnSelectCell(this, b.X, b.Y, allow);
  if (!allow) return;
  auto listed = [this](TPoint p) { return std::find(select_.Cells.begin(), select_.Cells.end(), p); };
  if (Shift & ssCtrl) {
    auto it = listed(b);
    if (it != select_.Cells.end())
      select_.Cells.erase(it);
    else
      select_.Cells.push_back(b);
  } else {
    for (const TPoint& p : select_.Cells) RepaintCell(p.X, p.Y);
    select_.Cells.clear();
    select_.Cells.push_back(b);
  }
  TGridRect s = Selection();
  if (s.Right > s.Left || s.Bottom > s.Top) {
    for (int y = s.Top; y <= s.Bottom; ++y)
      for (int x = s.Left; x <= s.Right; ++x)
        if (!(TPoint(x, y) == b) && listed(TPoint(x, y)) == select_.Cells.end()) select_.Cells.push_back(TPoint(x, y));
    for (const TPoint& p : select_.Cells) RepaintCell(p.X, p.Y);
  }
  RepaintCell(b.X, b.Y);
}

// ---------------------------------------------------------------- the frame and its handle
void TExtStringGrid::PaintSelectionFrame(TCanvas* ACanvas) {
  if (!SelectionRectangle()) return;
  TGridRect s = Selection();
  if (s.Left < FixedCols() || s.Top < FixedRows() || s.Right >= ColCount() || s.Bottom >= RowCount()) return;
  // The part of the selection in view.
  const int l = std::max(s.Left, LeftCol()), t = std::max(s.Top, TopRow());
  const int rr = std::min(s.Right, LeftCol() + VisibleColCount()), bb = std::min(s.Bottom, TopRow() + VisibleRowCount());
  if (l > rr || t > bb) return;
  TRect a = CellRect(l, t), z = CellRect(rr, bb);
  if (a.Right <= a.Left || z.Right <= z.Left) return;
  TRect f(a.Left, a.Top, z.Right + 1, z.Bottom + 1);
  TBrushStyle bs = ACanvas->Brush()->Style();
  TColor bc = ACanvas->Brush()->Color();
  ACanvas->Brush()->SetColor(clBlack);
  // A side whose cells go on out of view has no line.
  if (l == s.Left) ACanvas->FillRect(TRect(f.Left, f.Top, f.Left + 2, f.Bottom));
  if (t == s.Top) ACanvas->FillRect(TRect(f.Left, f.Top, f.Right, f.Top + 2));
  if (rr == s.Right && z.Right < ClientWidth()) ACanvas->FillRect(TRect(f.Right - 2, f.Top, f.Right, f.Bottom));
  if (bb == s.Bottom && z.Bottom < ClientHeight()) ACanvas->FillRect(TRect(f.Left, f.Bottom - 2, f.Right, f.Bottom));
  if (SelectionResizer()) {
    TRect h = SelectionResizeHandle();
    if (h.Right > h.Left) {
      ACanvas->Brush()->SetColor(clWhite);
      ACanvas->FillRect(TRect(h.Left - 1, h.Top - 1, h.Right + 1, h.Bottom + 1));
      ACanvas->Brush()->SetColor(clBlack);
      ACanvas->FillRect(h);
    }
  }
  ACanvas->Brush()->SetColor(bc);
  ACanvas->Brush()->SetStyle(bs);
}

// ---------------------------------------------------------------- pasting a block of cells
TExtStringGrid::TCellBlock TExtStringGrid::CopyCells(const TGridRect& R) {
  TCellBlock b;
  if (R.Right < R.Left || R.Bottom < R.Top) return b;
  b.Cols = R.Right - R.Left + 1;
  b.Rows = R.Bottom - R.Top + 1;
  b.Values.reserve(static_cast<size_t>(b.Cols) * b.Rows);
  for (int r = R.Top; r <= R.Bottom; ++r)
    for (int c = R.Left; c <= R.Right; ++c) {
      std::string v;
      if (c >= 0 && r >= 0 && c < ColCount() && r < RowCount()) {
        // The stored text, not the shown one: a fill puts back exactly what was there (a formatted
        // number keeps its digits); a check box gives its state as the check text.
        const int rc = RealColIndex(c);
        if (HasCheckBox(rc, r)) {
          if (GetCheckBoxState(rc, r))
            GetCheckTrue(rc, r, v);
          else
            GetCheckFalse(rc, r, v);
        } else {
          v = Cells(rc, r);
        }
      }
      b.Values.push_back(std::move(v));
    }
  return b;
}

void TExtStringGrid::SetCellTextOrCheck(int ACol, int ARow, const std::string& Value) {
  if (HasCheckBox(ACol, ARow)) {
    std::string yes;
    GetCheckTrue(ACol, ARow, yes);
    SetCheckBoxState(ACol, ARow, Value == yes);
    RepaintCell(DisplColIndex(ACol), ARow);
    return;
  }
  SetCells(ACol, ARow, Value);
}

bool TExtStringGrid::PasteOneCell(int ACol, int ARow, std::string Value) {
  const int rc = RealColIndex(ACol);
  if (!navigation_->AllowClipboardAlways && !IsEditableCell(rc, ARow)) return false;
  bool allow = true;
  if (Value.rfind("|\\", 0) == 0) {
    // The wide-text form is decoded: the cell stores its characters, never the form.
    std::u16string wide = ExtUtil::DecodeWideText(Value);
    if (OnClipboardBeforePasteWideCell) OnClipboardBeforePasteWideCell(this, rc, ARow, wide, allow);
    Value = Utf16ToUtf8(wide);
  } else if (OnClipboardBeforePasteCell) {
    OnClipboardBeforePasteCell(this, rc, ARow, Value, allow);
  }
  if (!allow) return false;
  SetCellRecorded(rc, ARow, Value);
  return true;
}

void TExtStringGrid::SetCellRecorded(int ACol, int ARow, const std::string& Value) {
  TExtGridUndoRedo* undo = UndoRedo();
  const std::string before = undo ? Cells(ACol, ARow) : std::string();
  SetCellTextOrCheck(ACol, ARow, Value);
  if (!undo) return;
  const std::string after = Cells(ACol, ARow);
  if (after != before) undo->Add(ACol, ARow, before, after);
}

void TExtStringGrid::UndoItem(const TUndoRedoItem& Item) {
  switch (Item.Kind) {
    case TUndoRedoItem::uiRowsInserted:
      if (Item.Row < RowCount()) RemoveRows(Item.Row, std::min(Item.Count, RowCount() - Item.Row));
      break;
    case TUndoRedoItem::uiCounts:
      SetColCount(Item.Col);
      SetRowCount(Item.Row);
      break;
    default:
      TBaseGrid::UndoItem(Item);
  }
  Invalidate();
}

int TExtStringGrid::PasteCellsAt(int ACol, int ARow, const TCellBlock& Block) {
  if (!(Options() & goEditing) && !navigation_->AllowClipboardAlways && !mouseActions_->RangeSelectAndEdit) return 0;
  if (ACol < 0 || ARow < 0 || Block.Cols <= 0 || Block.Rows <= 0) return 0;
  const bool footerRow = floatingFooter_->Visible() && floatingFooter_->FooterStyle() == fsFixedLastRow;
  // Measured first: the grid grows once, and never past the store's last index.
  const long long bound = TGridStore::kIndexBound;
  const int rows = static_cast<int>(std::min<long long>(Block.Rows, bound - ARow));
  const int cols = static_cast<int>(std::min<long long>(Block.Cols, bound - ACol));
  if (rows <= 0 || cols <= 0) return 0;
  const int lastRow = RowCount() - 1 - (footerRow ? 1 : 0);
  const int need = static_cast<int>(std::min<long long>(ARow + rows - 1 - lastRow, bound - RowCount()));
  CheckCellGrowth(navigation_->AllowClipboardColGrow ? std::max(ColCount(), ACol + cols) : ColCount(),
                  RowCount() + (navigation_->AllowClipboardRowGrow ? std::max(0, need) : 0), "Cannot paste the cells");
  TExtGridUndoRedo* undo = UndoRedo();
  TUndoStepScope step(undo);
  if (navigation_->AllowClipboardRowGrow) {
    if (need > 0) {
      if (footerRow) {
        if (undo) undo->AddRowsInserted(RowCount() - 1, need);
        InsertRows(RowCount() - 1, need);
      } else {
        if (undo) undo->AddCounts(ColCount(), RowCount());
        SetRowCount(RowCount() + need);
      }
    }
  }
  if (navigation_->AllowClipboardColGrow && ACol + cols > ColCount()) {
    if (undo) undo->AddCounts(ColCount(), RowCount());
    SetColCount(ACol + cols);
  }
  int read = 0, lastC = ACol, lastR = ARow;
  ClipboardPasteProgress(csStart, ARow);
  for (int i = 0; i < rows; ++i) {
    const int r = ARow + i;
    ClipboardPasteProgress(csRow, r);
    for (int j = 0; j < cols; ++j) {
      if (Block.IsAbsent(j, i)) continue;
      const int c = ACol + j;
      ++read;
      if (c >= ColCount() || r >= RowCount() - (footerRow ? 1 : 0)) continue;
      if (PasteOneCell(c, r, Block.At(j, i))) {
        lastC = std::max(lastC, c);
        lastR = std::max(lastR, r);
      }
    }
  }
  ClipboardPasteProgress(csEnd, ARow + rows - 1);
  CellsChanged(TRect(RealColIndex(ACol), ARow, RealColIndex(lastC), lastR));
  return read;
}

void TExtStringGrid::PasteCellsIntoSelection(const TCellBlock& Block) {
  TUndoStepScope step(UndoRedo());  // the paste and its fill are one step
  TGridRect s = Selection();
  if (Options() & goRowSelect) s.Left = FixedCols();
  std::function<void(int)> fill;
  if (navigation_->AllowSmartClipboard) fill = PlanSmartFill(s, Block);
  int pasted = PasteCellsAt(s.Left, s.Top, Block);
  if (pasted > 0 && fill) fill(pasted);
  Invalidate();
}

std::function<void(int)> TExtStringGrid::PlanSmartFill(const TGridRect& Sel, const TCellBlock& Block) {
  const int w = Sel.Right - Sel.Left + 1, h = Sel.Bottom - Sel.Top + 1;
  if (w <= 0 || h <= 0 || Block.Cols <= 0 || Block.Rows <= 0) return nullptr;
  auto larger = [w, h](int Pasted) { return static_cast<long long>(w) * h > Pasted; };
  const bool line = w == 1 || h == 1;
  const int along = std::max(w, h);
  auto cellAt = [=](int k) { return w == 1 ? TPoint(Sel.Left, Sel.Top + k) : TPoint(Sel.Left + k, Sel.Top); };
  // Two values along a one-row or one-column selection: a series when both are dates, integers or numbers.
  const bool twoAlong = line && Block.Cols * Block.Rows == 2 && ((w == 1 && Block.Cols == 1) || (h == 1 && Block.Rows == 1));
  if (twoAlong) {
    const std::string& a = Block.Values[0];
    const std::string& b = Block.Values[1];
    std::function<std::string(int)> term;
    const char dec = FormatSettings.DecimalSeparator;
    int ia = 0, ib = 0;
    double fa = 0, fb = 0;
    if (IsDateLike(a) && IsDateLike(b)) {
      const bool hasDate = a.find(FormatSettings.DateSeparator) != std::string::npos;
      const bool hasTime = a.find(FormatSettings.TimeSeparator) != std::string::npos;
      TDateTime da = hasDate ? StrToDateTime(a) : StrToTime(a);
      TDateTime db = hasDate ? StrToDateTime(b) : StrToTime(b);
      int y1, m1, d1, y2, m2, d2;
      DecodeDate(da, y1, m1, d1);
      DecodeDate(db, y2, m2, d2);
      const int months = (y2 - y1) * 12 + (m2 - m1), days = d2 - d1;
      const double time = Frac(db) - Frac(da);
      term = [=](int k) {
        TDateTime v = IncMonth(da, k * months) + static_cast<double>(k) * days + static_cast<double>(k) * time;
        return hasDate && hasTime ? DateTimeToStr(v) : hasDate ? DateToStr(v) : TimeToStr(v);
      };
    } else if (a.find(dec) == std::string::npos && b.find(dec) == std::string::npos && TryStrToInt(a, ia) &&
               TryStrToInt(b, ib)) {
      term = [=](int k) { return std::to_string(static_cast<long long>(ia) + static_cast<long long>(k) * (ib - ia)); };
    } else if (TryStrToFloat(a, fa) && TryStrToFloat(b, fb)) {
      term = [=, this](int k) {
        std::string out;
        double v = fa + k * (fb - fa);
        if (!FormatGridNumber(FloatFormat, v, out)) FormatGridNumber("%.2f", v, out);
        return out;
      };
    }
    if (term) {
      return [=, this](int Pasted) {
        if (!larger(Pasted)) return;
        for (int k = 2; k < along; ++k) {
          TPoint p = cellAt(k);
          PasteOneCell(p.X, p.Y, term(k));
        }
      };
    }
  }
  // One value everywhere, or the block repeated over the selection; the pasted block stays.
  // Block outlives the fill (the caller holds it), Sel is copied.
  return [=, this, &Block](int Pasted) {
    if (!larger(Pasted)) return;
    for (int r = Sel.Top; r <= Sel.Bottom; ++r)
      for (int c = Sel.Left; c <= Sel.Right; ++c) {
        const int i = c - Sel.Left, j = r - Sel.Top;
        if (i < Block.Cols && j < Block.Rows) continue;
        if (Block.IsAbsent(i % Block.Cols, j % Block.Rows)) continue;
        PasteOneCell(c, r, Block.At(i % Block.Cols, j % Block.Rows));
      }
  };
}
