// Moving rows and columns with the mouse (EnhRowColMove): the moved header
// follows the mouse, a marker shows where it lands, the view scrolls over the
// edges, and the release carries the move out. Starting drags of selected
// cells or of a header column, and what a move-drag leaves of its source.
#include <algorithm>
#include <cstdlib>
#include <utility>

#include "controls/grid/ExtGrid.h"
#include "platform/gui/Feedback.h"
#include "platform/gui/Messages.h"
#include "platform/gui/Windows.h"

namespace {
constexpr UINT_PTR kMoveScrollTimer = 997;
constexpr int kMoveScrollInterval = 100;  // ms between scroll steps while the mouse stays over an edge
constexpr int kDragThreshold = 3;         // a drag starts when the mouse went further than this
const TColor kMarkerColor = TColorOf(0x0050E6);

// Where a column (row) moved from FromIndex to ToIndex puts index I.
int FollowLine(int I, int FromIndex, int ToIndex) {
  if (I == FromIndex) return ToIndex;
  if (FromIndex < ToIndex && I > FromIndex && I <= ToIndex) return I - 1;
  if (FromIndex > ToIndex && I >= ToIndex && I < FromIndex) return I + 1;
  return I;
}

template <typename T>
void RotateLine(std::vector<T>& V, int FromIndex, int ToIndex) {
  int n = static_cast<int>(V.size());
  if (FromIndex < 0 || ToIndex < 0 || FromIndex >= n || ToIndex >= n || FromIndex == ToIndex) return;
  auto b = V.begin();
  if (FromIndex < ToIndex)
    std::rotate(b + FromIndex, b + FromIndex + 1, b + ToIndex + 1);
  else
    std::rotate(b + ToIndex, b + FromIndex, b + FromIndex + 1);
}
}  // namespace

// The picture of the moved header; the grid paints it.
class TGridMoveImage : public TCustomControl {
 public:
  explicit TGridMoveImage(TExtStringGrid* AGrid) : TCustomControl(AGrid), grid_(AGrid) {}
  std::string ClassName() const override { return "TGridMoveImage"; }

 protected:
  void Paint() override { grid_->PaintMoveImage(Canvas(), TRect(0, 0, Width(), Height())); }

 private:
  TExtStringGrid* grid_;
};

// ---------------------------------------------------------------- moved lines carry their data
void TExtStringGrid::ColumnMoved(int FromIndex, int ToIndex) {
  FollowEditCell();
  if (structural_ > 0) return;  // the grid's own operations keep their own books
  // The platform grid has moved texts, objects, the width and the current cell already.
  int rf = RealColIndex(FromIndex), rt = RealColIndex(ToIndex);
  TStringList* h = columnHeaders_.get();
  if (rf < h->Count() && rt < h->Count()) {
    // The row-0 texts moved with the column; rewriting them from the list would change nothing.
    TNotifyEvent keep = h->OnChange;
    h->OnChange = nullptr;
    h->Move(rf, rt);
    h->OnChange = keep;
  }
  if (EnhRowColMove) {
    if (numHiddenCols_ > 0 && rf < 512 && rt < 512) RotateLine(colVisible_, rf, rt);
    move_.ColsMoved = true;
  }
  RotateLine(columnOrder_, rf, rt);
  if (!colSelect_.empty()) {
    colSelect_.resize(std::max(colSelect_.size(), static_cast<size_t>(std::max(rf, rt) + 1)), 0);
    RotateLine(colSelect_, rf, rt);
  }
  // Hidden rows keep their texts and cell objects outside the grid: they move the same way.
  for (int i = 0; i < hiddenRows_->Count(); ++i) {
    TGridStore::MoveColIn(hiddenRows_->Items(i)->Cells, rf, rt);
  }
  sortSettings_->Column = FollowLine(sortSettings_->Column, rf, rt);
  for (int i = 0; i < sortIndexes_->Count(); ++i) {
    uint32_t v = static_cast<uint32_t>(sortIndexes_->GetInteger(i));
    int col = static_cast<int>(v & ~TSortIndexList::DescendingBit);
    int to = FollowLine(col, rf, rt);
    if (to != col) sortIndexes_->SetInteger(i, static_cast<int>((v & TSortIndexList::DescendingBit) | uint32_t(to)));
  }
  TBaseGrid::ColumnMoved(FromIndex, ToIndex);
}

void TExtStringGrid::RowMoved(int FromIndex, int ToIndex) {
  FollowEditCell();
  RowOrderMoved(FromIndex, ToIndex);
  if (structural_ > 0) return;
  // The floating footer owns the last row: no row goes there and the footer row stays.
  int last = RowCount() - 1;
  if (floatingFooter_->Visible() && floatingFooter_->FooterStyle() == fsFixedLastRow &&
      (ToIndex == last || FromIndex == last)) {
    auto s = StructuralScope();
    MoveRow(ToIndex, FromIndex);
    return;
  }
  if (EnhRowColMove) move_.RowsMoved = true;  // the height moved with the row (platform grid)
  TBaseGrid::RowMoved(FromIndex, ToIndex);
}

// A move made from outside: the line goes there with everything it carries, as a move by mouse.
void TExtStringGrid::NotifyColumnMoved(int FromIndex, int ToIndex) {
  if (columnOrder_.empty()) ResetColumnOrder();
  if (FromIndex < 0 || ToIndex < 0 || FromIndex >= ColCount() || ToIndex >= ColCount()) return;
  MoveColumn(FromIndex, ToIndex);
}

void TExtStringGrid::NotifyRowMoved(int FromIndex, int ToIndex) {
  if (FromIndex < 0 || ToIndex < 0 || FromIndex >= RowCount() || ToIndex >= RowCount()) return;
  MoveRow(FromIndex, ToIndex);
}

// ---------------------------------------------------------------- moving by mouse
void TExtStringGrid::PressStarted() {
  move_.ColsMoved = move_.RowsMoved = false;
  move_.SelectPending = move_.DragPending = false;
  move_.Source = -1;
}

bool TExtStringGrid::ScrollableLine(bool Cols, int Index) {
  if (Cols) return Index >= FixedCols() && Index < ColCount() - fixedRightCols_;
  return Index >= FixedRows() && Index < RowCount() - fixedFooters_ && !IsFixed(FixedCols(), Index);
}

// The scrollable column (row) under the mouse along the move's axis, -1 when none.
int TExtStringGrid::MoveTarget(bool Cols, int X, int Y) {
  TGridCoord at = MouseCoord(X, Y);
  int i = Cols ? at.X : at.Y;
  return i >= 0 && ScrollableLine(Cols, i) ? i : -1;
}

// The press started moving a column (row) in the platform grid: remember where it started.
void TExtStringGrid::NoteMoveStart(int X, int Y) {
  TGridState st = GridState();
  if (st != gsColMoving && st != gsRowMoving) return;
  TGridCoord at = MouseCoord(X, Y);
  move_.Source = st == gsColMoving ? at.X : at.Y;
  TRect cr = CellRect(at.X, at.Y);
  move_.Grip = st == gsColMoving ? X - cr.Left : Y - cr.Top;
  move_.Last = TPoint(X, Y);
  // The markers show once the mouse moves; a plain header click shows nothing.
  if (EnhRowColMove) HideArrows();
}

// Before the platform grid follows the mouse: the veto and the scrolling over the edges.
// False when the move was refused (the grid is back to normal).
bool TExtStringGrid::MoveBeforeMouseMove(int X, int Y) {
  TGridState st = GridState();
  if (!EnhRowColMove || (st != gsColMoving && st != gsRowMoving)) return true;
  bool cols = st == gsColMoving;
  bool allow = move_.Source >= 0 && ScrollableLine(cols, move_.Source);
  if (allow && cols && OnColumnMove) OnColumnMove(this, move_.Source, allow);
  if (allow && !cols && OnRowMove) OnRowMove(this, move_.Source, allow);
  if (!allow) {
    TMessage m;
    m.Msg = WM_CANCELMODE;
    WMCancelMode(m);
    move_.Source = -1;
    return false;
  }
  if (!move_.CursorSet) {
    move_.CursorSet = true;
    select_.PressMode = pmNone;
    SetOwnCursor(crDrag);
  }
  move_.Last = TPoint(X, Y);
  bool edge = MoveAutoScroll(X, Y);
  if (edge && !move_.Scrolling && HandleAllocated()) SetTimer(Handle(), kMoveScrollTimer, kMoveScrollInterval);
  if (!edge && move_.Scrolling && HandleAllocated()) KillTimer(Handle(), kMoveScrollTimer);
  move_.Scrolling = edge;
  return true;
}

// One scroll step when the mouse is over the fixed lines or beyond the grid's cells while
// lines lie out of view on that side; answers whether the mouse is over such an edge.
bool TExtStringGrid::MoveAutoScroll(int X, int Y) {
  bool cols = GridState() == gsColMoving;
  int fixed = cols ? FixedCols() : FixedRows();
  int edge = 0;
  for (int i = 0; i < fixed; ++i) edge += (cols ? ColWidths(i) : RowHeights(i)) + GridLineWidth();
  int p = cols ? X : Y;
  int first = cols ? LeftCol() : TopRow();
  int last = cols ? MaxLeftCol() : MaxTopRow();
  int to = first;
  bool over = false;
  if (p < edge) {
    over = true;
    if (first > fixed) to = first - 1;
  } else if (p > (cols ? GridWidth() : GridHeight())) {
    over = true;
    if (first < last) to = first + 1;
  }
  if (to != first) {
    if (cols) SetLeftCol(to);
    else SetTopRow(to);
  }
  return over;
}

// The scroll timer goes on scrolling while the mouse rests over an edge.
bool TExtStringGrid::MoveScrollTick(UINT_PTR Id) {
  if (Id != kMoveScrollTimer) return false;
  TGridState st = GridState();
  if (!EnhRowColMove || (st != gsColMoving && st != gsRowMoving)) {
    if (HandleAllocated()) KillTimer(Handle(), kMoveScrollTimer);
    move_.Scrolling = false;
    return true;
  }
  MoveAutoScroll(move_.Last.X, move_.Last.Y);
  MoveAfterMouseMove(move_.Last.X, move_.Last.Y);
  return true;
}

// After the platform grid followed the mouse: the header picture and the insertion marker.
void TExtStringGrid::MoveAfterMouseMove(int X, int Y) {
  TGridState st = GridState();
  if (!EnhRowColMove || (st != gsColMoving && st != gsRowMoving) || move_.Source < 0) return;
  bool cols = st == gsColMoving;
  if (!move_.Image) {
    auto* im = new TGridMoveImage(this);
    im->SetParent(this);
    move_.Image = im;
  }
  // The header line the press was on: a fixed row for columns, a fixed column for rows.
  int band = cols ? press_.DownCell.Y : press_.DownCell.X;
  int bandStart = 0;
  for (int i = 0; i < band; ++i) bandStart += (cols ? RowHeights(i) : ColWidths(i)) + GridLineWidth();
  int w = cols ? ColWidths(move_.Source) : ColWidths(band);
  int h = cols ? RowHeights(band) : RowHeights(move_.Source);
  // The picture keeps the grip the press had inside the header.
  if (cols)
    move_.Image->SetBounds(X - move_.Grip, bandStart, w, h);
  else
    move_.Image->SetBounds(bandStart, Y - move_.Grip, w, h);
  move_.Image->SetVisible(true);
  move_.Image->Invalidate();
  int t = MoveTarget(cols, X, Y);
  if (t < 0 || t == move_.Source) {
    HideArrows();
    return;
  }
  // Two arrows point at the border where the moved line lands, from either side of its header:
  // down and up for a column, right and left for a row.
  TRect tr = cols ? CellRect(t, band) : CellRect(band, t);
  int at = cols ? (t > move_.Source ? tr.Right : tr.Left) : (t > move_.Source ? tr.Bottom : tr.Top);
  if (cols) {
    ShowArrow(TArrowWindow::Down, ClientToScreen(TPoint(at - 5, tr.Top - 9)));
    ShowArrow(TArrowWindow::Up, ClientToScreen(TPoint(at - 5, tr.Bottom)));
  } else {
    ShowArrow(TArrowWindow::Right, ClientToScreen(TPoint(tr.Left - 9, at - 5)));
    ShowArrow(TArrowWindow::Left, ClientToScreen(TPoint(tr.Right, at - 5)));
  }
}

void TExtStringGrid::PaintMoveImage(TCanvas* ACanvas, const TRect& R) {
  bool cols = GridState() == gsColMoving;
  int c = cols ? move_.Source : press_.DownCell.X, r = cols ? press_.DownCell.Y : move_.Source;
  if (c < 0 || r < 0 || c >= ColCount() || r >= RowCount()) return;
  if (look_ == glXP || look_ == glQuarn) {
    ACanvas->GradientFill(R, FixedGradientStart, FixedGradientEnd, true);
  } else {
    ACanvas->Brush()->SetColor(FixedColor());
    ACanvas->FillRect(R);
  }
  ACanvas->Brush()->SetColor(kMarkerColor);
  ACanvas->FrameRect(R);
  ACanvas->Font()->Assign(FixedFont());
  ACanvas->Brush()->SetStyle(bsClear);
  TRect tr(R.Left + 3, R.Top + 1, R.Right - 3, R.Bottom - 1);
  std::string text = Cells(RealColIndex(c), r);
  ACanvas->DrawText(text, tr, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
}

void TExtStringGrid::EndMoveLook() {
  if (move_.Image) move_.Image->SetVisible(false);
  HideArrows();
  if (move_.Scrolling && HandleAllocated()) KillTimer(Handle(), kMoveScrollTimer);
  move_.Scrolling = false;
  if (move_.CursorSet) {
    move_.CursorSet = false;
    select_.PressMode = pmNone;
    SetOwnCursor(ownCursor_);
  }
}

void TExtStringGrid::WMCancelMode(TMessage& Message) {
  EndMoveLook();
  TBaseGrid::WMCancelMode(Message);
}

// The left release of a move: only a release over another scrollable column (row) moves it.
bool TExtStringGrid::MoveRelease(int X, int Y) {
  TGridState st = GridState();
  if (!EnhRowColMove || (st != gsColMoving && st != gsRowMoving)) return false;
  bool cols = st == gsColMoving;
  int from = move_.Source, to = MoveTarget(cols, X, Y);
  // Asked once more: a release may come without a move before it.
  bool allow = from >= 0 && ScrollableLine(cols, from);
  if (allow && to >= 0 && to != from) {
    if (cols && OnColumnMove) OnColumnMove(this, from, allow);
    if (!cols && OnRowMove) OnRowMove(this, from, allow);
  }
  // The platform grid's own release would move to the last column it saw: end its mode instead.
  TMessage m;
  m.Msg = WM_CANCELMODE;
  WMCancelMode(m);
  move_.Source = -1;
  if (allow && to >= 0 && to != from) {
    if (cols) MoveColumn(from, to);
    else MoveRow(from, to);
  }
  return true;
}

bool TExtStringGrid::SwallowRightRelease() const {
  TGridState st = GridState();
  return EnhRowColMove && (st == gsColMoving || st == gsRowMoving);
}

// ---------------------------------------------------------------- drag start
// In a grid that is a drag source any press on a cell drags once the mouse moves on. A press
// inside the selection (or on a header while moving is the platform grid's) of a grid without
// editing waits besides: releasing it selects the pressed cell.
bool TExtStringGrid::DragStartDown(int ACol, int ARow, int X) {
  if (!dragDropSettings_->OleDropSource || (Options() & goEditing)) return false;
  bool fixedRow = ARow < FixedRows();
  if (fixedRow && (mouseActions_->ColSelect || mouseActions_->AllSelect)) return false;
  if (ACol < FixedCols()) return false;
  if (!(fixedRow ? !EnhRowColMove : IsCellSelected(ACol, ARow))) return false;
  TRect cr = CellRect(ACol, ARow);
  bool inside = X > cr.Left + 3 && X < cr.Right - 3;
  if (!inside && (Options() & goColSizing)) return false;
  move_.SelectPending = move_.DragPending = true;
  if (!Focused() && CanFocus()) SetFocus();
  if (OnClickCell) OnClickCell(this, ARow, ACol);
  return true;
}

// Runs before everything else a mouse move does; true when the move ends there.
bool TExtStringGrid::DragMouseMove(TShiftState Shift, int X, int Y) {
  if (!move_.DragPending) return false;
  if (std::abs(X - press_.DownPoint.X) <= kDragThreshold && std::abs(Y - press_.DownPoint.Y) <= kDragThreshold) return false;
  move_.DragPending = false;
  // The mouse on the selection's resize handle sizes the selection; it drags nothing. Nor does a
  // press that began sizing a row, moving a line or selecting along the fixed cells.
  const TGridState st = GridState();
  if (!dragDropSettings_->OleDropSource || st == gsColSizing || OnResizeHandle(X, Y) || st == gsRowSizing ||
      st == gsColMoving || st == gsRowMoving || select_.DragMode != pmNone)
    return false;
  int c = press_.DownCell.X, r = press_.DownCell.Y;
  bool allow = true;
  if (OnOleDrag) OnOleDrag(this, r, c, allow);
  if (!allow) {
    // Refused: the press becomes what it would have been without dragging, a selecting drag (a
    // press that was not held back selects already).
    if (std::exchange(move_.SelectPending, false))
      MouseDown(mbLeft, Shift & ~(ssShift | ssDouble), press_.DownPoint.X, press_.DownPoint.Y);
    return false;
  }
  move_.SelectPending = false;
  // A press that selected as usual drags what it selected: the selecting ends here.
  if (st == gsSelecting) {
    TMessage m;
    m.Msg = WM_CANCELMODE;
    WMCancelMode(m);
  }
  std::shared_ptr<bool> alive = AliveFlag();
  if (OnOleDragStart) OnOleDragStart(this, r, c);
  if (!*alive) return true;
  TGridDragData data;
  data.Col = c;
  data.Row = r;
  if (r < FixedRows() && dragDropSettings_->OleColumnDragDrop) {
    data.Kind = gdkColumn;
    // The header's drag image wears the header's gradient in the looks that draw one.
    TPopupButton* ind = DragIndicator();
    const TColor from = ind->GradFrom, to = ind->GradTo;
    if (look_ == glQuarn || look_ == glXP) ind->GradFrom = FixedGradientStart, ind->GradTo = FixedGradientEnd;
    TGridDragResult res = RunOleDrag(data);
    if (*alive) ind->GradFrom = from, ind->GradTo = to;
    if (*alive && res.Effect != EffectNone && OnOleDragStop) OnOleDragStop(this, res.Effect);
    return true;
  }
  TGridRect source = Selection();
  std::vector<int> rows;
  if (mouseActions_->DisjunctRowSelect()) {
    for (int i = FixedRows(); i < RowCount(); ++i)
      if (RowAttributes(i).DisjunctSelected) rows.push_back(i);
  } else {
    for (int i = source.Top; i <= source.Bottom; ++i) rows.push_back(i);
  }
  SelectionAsText(data.Text);
  std::string cell = Cells(RealColIndex(c), r);
  if (cell.rfind("{\\rtf", 0) == 0) data.RichText = cell;
  TGridDragResult res = RunOleDrag(data);
  if (!*alive) return true;
  if (res.Effect == EffectMove) FinishMoveDrop(source, rows, res);
  if (*alive && res.Effect != EffectNone && OnOleDragStop) OnOleDragStop(this, res.Effect);
  return true;
}

// A move-drag ended: the source goes. A drop into this grid may have inserted rows (the source
// rows at or below them moved down) and written cells (those keep what was dropped).
void TExtStringGrid::FinishMoveDrop(const TGridRect& Source, const std::vector<int>& Rows, const TGridDragResult& Res) {
  auto moved = [&](int r) { return Res.InsertedCount > 0 && r >= Res.InsertedRow ? r + Res.InsertedCount : r; };
  const TGridRect& w = Res.Written;
  auto writtenRow = [&](int r) { return Res.Wrote && r >= w.Top && r <= w.Bottom; };
  std::vector<int> rows;
  for (int r : Rows) rows.push_back(moved(r));
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  bool disjunct = mouseActions_->DisjunctRowSelect();
  BeginUpdate();
  if (dragDropSettings_->OleRemoveRows && (Options() & goRowSelect)) {
    // From the bottom up, so the rows still to go keep their indexes.
    for (auto it = rows.rbegin(); it != rows.rend(); ++it)
      if (*it >= FixedRows() && *it < RowCount() - fixedFooters_ && !writtenRow(*it)) RemoveRowsEx(*it, 1);
  } else if (!dragDropSettings_->OleCopyAlways) {
    int left = disjunct ? 0 : Source.Left, right = disjunct ? AllColCount() - 1 : Source.Right;
    for (int r : rows) {
      if (r < 0 || r >= RowCount()) continue;
      if (!writtenRow(r) || w.Right < left || w.Left > right) {
        ClearRect(left, r, right, r);
        continue;
      }
      if (w.Left > left) ClearRect(left, r, w.Left - 1, r);
      if (w.Right < right) ClearRect(w.Right + 1, r, right, r);
    }
  }
  EndUpdate();
}

// The release of a press that waited for a drag that never came: the pressed cell is selected.
bool TExtStringGrid::DragSelectPendingUp() {
  bool pending = move_.SelectPending;
  move_.SelectPending = move_.DragPending = false;
  if (!pending) return false;
  int c = press_.DownCell.X, r = press_.DownCell.Y;
  if (c < FixedCols() || r < FixedRows() || c >= ColCount() || r >= RowCount() || IsFixed(c, r)) return true;
  if (mouseActions_->DisjunctRowSelect()) {
    bool ctrl = KeyboardStateToShiftState() & ssCtrl;
    if (ctrl) {
      MutableRowAttributes(r).DisjunctSelected = !RowAttributes(r).DisjunctSelected;
    } else {
      for (int i = 0; i < RowCount(); ++i) MutableRowAttributes(i).DisjunctSelected = false;
    }
    Invalidate();
    return true;
  }
  int oldRow = Row();
  RepaintCell(0, oldRow);
  FocusCell(c, r, true);
  if (Options() & goRowSelect) SetSelection({FixedCols(), Row(), ColCount() - 1, Row()});
  RepaintCell(0, r);
  return true;
}
