// The base grid: cell property objects, merged cells, cell text access,
// cell rectangles, the cell drawing with its own grid lines, and key and
// wheel moves that step over merged areas.
#include "controls/grid/BaseGrid.h"

#include <algorithm>

#include "controls/grid/ExtUtil.h"
#include "platform/rtl/Win1252.h"

// ================================================================ TCellProperties
TCellProperties::TCellProperties(TBaseGrid* Owner, int ACol, int ARow)
    : OwnerCol(ACol), OwnerRow(ARow), owner_(Owner), wordWrap_(Owner ? Owner->WordWrap() : true) {}

void TCellProperties::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TCellProperties*>(Source);
  if (!s) return TPersistent::Assign(Source);
  IsBaseCell = s->IsBaseCell;
  CellSpanX = s->CellSpanX;
  CellSpanY = s->CellSpanY;
  OwnerRow = s->OwnerRow;
  OwnerCol = s->OwnerCol;
  Alignment = s->Alignment;
  BorderColor = s->BorderColor;
  BorderWidth = s->BorderWidth;
  brushColor_ = s->brushColor_;
  BrushStyle = s->BrushStyle;
  FontColor = s->FontColor;
  FontStyle = s->FontStyle;
  FontName = s->FontName;
  FontSize = s->FontSize;
  ReadOnly = s->ReadOnly;
  Editor = s->Editor;
  vAlignment_ = s->vAlignment_;
  SetWordWrap(s->wordWrap_);
  NodeLevel = s->NodeLevel;
  Control = s->Control;
}

void TCellProperties::Repaint() {
  if (owner_ && owner_->Parent()) owner_->RepaintCellOf(this);
}

void TCellProperties::SetBrushColor(TColor v) {
  brushColor_ = v;
  Repaint();
}
void TCellProperties::SetBrushColorTo(TColor v) {
  brushColorTo_ = v;
  Repaint();
}
void TCellProperties::SetVAlignment(TVAlignment v) {
  vAlignment_ = v;
  Repaint();
}
void TCellProperties::SetWordWrap(bool v) {
  wordWrap_ = v;
  Repaint();
}

// ================================================================ undo/redo
TExtGridUndoRedo::TExtGridUndoRedo(TComponent* AOwner)
    : TComponent(AOwner), items_(new TCollection([](TCollection* c) { return new TUndoRedoItem(c); })) {}

TExtGridUndoRedo::~TExtGridUndoRedo() {
  if (grid_) grid_->SetUndoRedo(nullptr);
}

TUndoRedoItem* TExtGridUndoRedo::NewItem() {
  if (stepDepth_ == 0) step_ = ++lastStep_;
  if (stepBroken_) return nullptr;
  auto stepAt = [this](int i) { return static_cast<TUndoRedoItem*>(items_->Items(i))->Step; };
  while (MaxLevel >= 1 && items_->Count() >= MaxLevel) {
    // The oldest step goes whole: half a step cannot be undone.
    const int oldest = stepAt(0);
    while (items_->Count() > 0 && stepAt(0) == oldest) items_->Delete(0);
    if (oldest == step_) {
      stepBroken_ = stepDepth_ > 0;
      level_ = items_->Count();
      return nullptr;
    }
  }
  auto* it = static_cast<TUndoRedoItem*>(items_->Add());
  it->Step = step_;
  level_ = items_->Count();
  return it;
}

void TExtGridUndoRedo::Add(int ACol, int ARow, const std::string& OrigValue, const std::string& Value) {
  TUndoRedoItem* it = NewItem();
  if (!it) return;
  it->Col = ACol;
  it->Row = ARow;
  it->OrigValue = OrigValue;
  it->Value = Value;
}

void TExtGridUndoRedo::AddRowsInserted(int ARow, int ACount) {
  TUndoRedoItem* it = NewItem();
  if (!it) return;
  it->Kind = TUndoRedoItem::uiRowsInserted;
  it->Row = ARow;
  it->Count = ACount;
}

void TExtGridUndoRedo::AddCounts(int AColCount, int ARowCount) {
  TUndoRedoItem* it = NewItem();
  if (!it) return;
  it->Kind = TUndoRedoItem::uiCounts;
  it->Col = AColCount;
  it->Row = ARowCount;
}

void TExtGridUndoRedo::BeginStep() {
  if (stepDepth_++ == 0) {
    step_ = ++lastStep_;
    stepBroken_ = false;
  }
}

void TExtGridUndoRedo::EndStep() {
  if (stepDepth_ == 0 || --stepDepth_ > 0) return;
  stepBroken_ = false;
}

bool TExtGridUndoRedo::Undo() {
  if (!grid_ || items_->Count() == 0 || stepDepth_ > 0) return false;
  const int step = static_cast<TUndoRedoItem*>(items_->Items(items_->Count() - 1))->Step;
  while (items_->Count() > 0) {
    auto* it = static_cast<TUndoRedoItem*>(items_->Items(items_->Count() - 1));
    if (it->Step != step) break;
    grid_->UndoItem(*it);
    items_->Delete(items_->Count() - 1);
  }
  level_ = items_->Count();
  return true;
}

// ================================================================ TBaseGrid
TBaseGrid::TBaseGrid(TComponent* AOwner) : TStringGrid(AOwner) {
  // The platform grid draws no lines and no defaults: this class draws them.
  TStringGrid::SetGridLineWidth(0);
  TStringGrid::SetDefaultDrawing(false);
  SetOptions(Options() | goDrawFocusSelected);
  rowAttrs_.resize(static_cast<size_t>(RowCount()));
}

TBaseGrid::~TBaseGrid() {
  if (undoRedo_) undoRedo_->grid_ = nullptr;
  // Freeing the cells' objects must not reload (and refocus) the inplace editor of a grid
  // that is going away.
  ++editUpdate_;
  FreeAllCellProperties();
}

TCellProperties* TBaseGrid::PropsAt(int ACol, int ARow) const {
  if (ACol < 0 || ARow < 0 || ACol >= TGridStore::kIndexBound || ARow >= TGridStore::kIndexBound) return nullptr;
  return static_cast<TCellProperties*>(TStringGrid::Objects(ACol, ARow));
}

// ----- cell text
std::string TBaseGrid::Cells(int ACol, int ARow) const {
  std::string buffer;
  const std::string& t = CellText(ACol, ARow, buffer);
  return &t == &buffer ? std::move(buffer) : t;
}

const std::string& TBaseGrid::CellText(int ACol, int ARow, std::string& Buffer) const {
  // One store lookup gives the text and the property object (a covered cell reads its base).
  TObject* o = nullptr;
  const std::string* t = &Store().TextAndObject(ACol, ARow, o);
  int bc = ACol, br = ARow;
  if (auto* p = static_cast<TCellProperties*>(o); p && !p->IsBaseCell && p->CellSpanX != -1 && p->CellSpanY != -1) {
    bc = ACol - p->CellSpanX;
    br = ARow - p->CellSpanY;
    t = &TStringGrid::Cells(bc, br);
  }
  // Without a display-text hook the stored text is the displayed one: no copy to edit, no calls.
  if (br >= eventRowLimit_ || (!OnGetDisplText && !OnGetDisplWideText && !DisplTextHooked)) return *t;
  Buffer = *t;
  GetDisplText(bc, br, Buffer);
  if (OnGetDisplWideText) {
    std::u16string w = ExtUtil::DecodeWideText(Buffer);
    GetDisplWideText(bc, br, w);
    Buffer = Utf16ToUtf8(w);
  }
  return Buffer;
}

void TBaseGrid::SetCells(int ACol, int ARow, const std::string& Value) {
  if (HasCellProperties(ACol, ARow)) {
    TPoint b = BaseCell(ACol, ARow);
    TStringGrid::SetCells(b.X, b.Y, Value);
    if (Parent()) RepaintCell(ACol, ARow);
  } else {
    TStringGrid::SetCells(ACol, ARow, Value);
  }
  if (FloatingFooterRow && ARow == RowCount() - 1) UpdateFooter();
}

void TBaseGrid::GetDisplText(int ACol, int ARow, std::string& Value) const {
  if (OnGetDisplText) OnGetDisplText(const_cast<TBaseGrid*>(this), ACol, ARow, Value);
}

void TBaseGrid::GetDisplWideText(int ACol, int ARow, std::u16string& Value) const {
  if (OnGetDisplWideText) OnGetDisplWideText(const_cast<TBaseGrid*>(this), ACol, ARow, Value);
}

// ----- objects and properties
TObject* TBaseGrid::GetCellObject(int ACol, int ARow) const {
  TCellProperties* p = PropsAt(ACol, ARow);
  return p ? p->ObjectValue : nullptr;
}

// An empty cell is written a blank and emptied again through Cells while its property object is
// made, so whoever follows the cell's writes (the footer, a repaint) hears of it.
void TBaseGrid::SetCellObject(int ACol, int ARow, TObject* AObject) {
  const bool fresh = !PropsAt(ACol, ARow);
  TCellProperties* p = GetCellProperties(ACol, ARow);
  if (fresh && GridCells(ACol, ARow).empty()) {
    SetCells(ACol, ARow, " ");
    SetCells(ACol, ARow, std::string());
  }
  p->ObjectValue = AObject;
}

TCellProperties* TBaseGrid::CellPropertiesOrNull(int ACol, int ARow) const { return PropsAt(ACol, ARow); }

TCellProperties* TBaseGrid::GetCellProperties(int ACol, int ARow) {
  if (TCellProperties* p = PropsAt(ACol, ARow)) return p;
  TGridStore::CheckIndex(ACol, ARow);
  auto p = std::make_unique<TCellProperties>(this, ACol, ARow);
  TStringGrid::SetObjects(ACol, ARow, p.get());
  return p.release();
}

void TBaseGrid::ReplaceCellProperties(int ACol, int ARow, TCellProperties* AProps) {
  TCellProperties* old = PropsAt(ACol, ARow);
  if (old == AProps) return;
  TGridStore::CheckIndex(ACol, ARow);
  TStringGrid::SetObjects(ACol, ARow, AProps);
  delete old;
}

void TBaseGrid::FreeCellProperties(int ACol, int ARow) {
  TCellProperties* p = PropsAt(ACol, ARow);
  if (!p) return;
  TStringGrid::SetObjects(ACol, ARow, nullptr);
  delete p;
}

void TBaseGrid::FreeCellPropertiesRange(int Col1, int Row1, int Col2, int Row2) {
  for (int r = std::max(0, Row1); r <= Row2 && r < Store().RowsHeld(); ++r)
    for (int c = std::max(0, Col1); c <= Col2; ++c) FreeCellProperties(c, r);
}

void TBaseGrid::FreeAllCellProperties() {
  FreeCellPropertiesRange(0, 0, Store().ColsHeld() - 1, Store().RowsHeld() - 1);
}

void TBaseGrid::FreeLineProperties(bool IsRow, int Index) {
  if (IsRow)
    FreeCellPropertiesRange(0, Index, Store().ColsHeldInRow(Index) - 1, Index);
  else
    FreeCellPropertiesRange(Index, 0, Index, Store().RowsHeld() - 1);
}

void TBaseGrid::ClearCell(int ACol, int ARow) {
  FreeCellProperties(ACol, ARow);
  TStringGrid::SetCells(ACol, ARow, std::string());
}

void TBaseGrid::ClearRow(int ARow) {
  FreeLineProperties(true, ARow);
  for (int c = 0; c < ColCount(); ++c) TStringGrid::SetCells(c, ARow, std::string());
}

void TBaseGrid::ClearColumn(int ACol) {
  FreeLineProperties(false, ACol);
  for (int r = 0; r < RowCount(); ++r) TStringGrid::SetCells(ACol, r, std::string());
}

// ----- merged cells
TPoint TBaseGrid::BaseCell(int ACol, int ARow) const {
  TCellProperties* p = PropsAt(ACol, ARow);
  if (!p || p->IsBaseCell || p->CellSpanX == -1 || p->CellSpanY == -1) return TPoint(ACol, ARow);
  return TPoint(ACol - p->CellSpanX, ARow - p->CellSpanY);
}

bool TBaseGrid::GetBaseCellEx(int ACol, int ARow, int& BaseRow, int& BaseCol) const {
  TPoint b = BaseCell(ACol, ARow);
  BaseRow = b.Y;
  BaseCol = b.X;
  return b.X == ACol && b.Y == ARow;
}

bool TBaseGrid::IsBaseCell(int ACol, int ARow) const {
  TCellProperties* p = PropsAt(ACol, ARow);
  return !p || p->IsBaseCell;
}

bool TBaseGrid::IsMergedCell(int ACol, int ARow) const {
  TCellProperties* p = PropsAt(ACol, ARow);
  return p && (p->CellSpanX > 0 || p->CellSpanY >= 1);
}

TPoint TBaseGrid::CellSpan(int ACol, int ARow) const {
  TPoint b = BaseCell(ACol, ARow);
  TCellProperties* p = PropsAt(b.X, b.Y);
  if (!p || p->CellSpanX == -1 || p->CellSpanY == -1) return TPoint(0, 0);
  return TPoint(p->CellSpanX, p->CellSpanY);
}

bool TBaseGrid::IsXMergedCell(int ACol, int ARow) const { return CellSpan(ACol, ARow).X > 0; }
bool TBaseGrid::IsYMergedCell(int ACol, int ARow) const { return CellSpan(ACol, ARow).Y > 0; }

bool TBaseGrid::RowsShareMerges(int Row1, int Row2) const {
  bool any = false;
  for (int c = 0; c < ColCount(); ++c) {
    if (!IsYMergedCell(c, Row1) || !IsYMergedCell(c, Row2)) continue;
    if (BaseCell(c, Row1).Y != BaseCell(c, Row2).Y) return false;
    any = true;
  }
  return any;
}

bool TBaseGrid::MergeCells(int ACol, int ARow, int NumCols, int NumRows) {
  if (ACol < 0 || ARow < 0 || ACol >= ColCount() || ARow >= RowCount() || NumCols < 1 || NumRows < 1) return false;
  NumCols = std::min(NumCols, ColCount() - ACol);
  NumRows = std::min(NumRows, RowCount() - ARow);
  int c2 = ACol + NumCols - 1, r2 = ARow + NumRows - 1;
  // A merged area inside the block is split first; one that reaches outside it refuses the merge.
  std::vector<TPoint> inner;
  for (int r = ARow; r <= r2; ++r)
    for (int c = ACol; c <= c2; ++c) {
      TCellProperties* p = PropsAt(c, r);
      if (!p || p->CellSpanX == -1 || p->CellSpanY == -1) continue;
      TPoint b = BaseCell(c, r);
      TPoint s = CellSpan(c, r);
      if (b.X < ACol || b.Y < ARow || b.X + s.X > c2 || b.Y + s.Y > r2) return false;
      inner.push_back(b);
    }
  for (TPoint b : inner) SplitCells(b.X, b.Y);
  for (int r = ARow; r <= r2; ++r)
    for (int c = ACol; c <= c2; ++c) {
      TCellProperties* p = GetCellProperties(c, r);
      bool base = c == ACol && r == ARow;
      p->IsBaseCell = base;
      p->CellSpanX = base ? NumCols - 1 : c - ACol;
      p->CellSpanY = base ? NumRows - 1 : r - ARow;
    }
  RepaintArea(ACol, ARow, c2, r2);
  return true;
}

void TBaseGrid::SplitCells(int ACol, int ARow) {
  TPoint b = BaseCell(ACol, ARow);
  TPoint s = CellSpan(b.X, b.Y);
  TCellProperties* bp = PropsAt(b.X, b.Y);
  if (!bp || bp->CellSpanX == -1) return;
  for (int r = b.Y; r <= b.Y + s.Y; ++r)
    for (int c = b.X; c <= b.X + s.X; ++c)
      if (TCellProperties* p = PropsAt(c, r)) {
        p->IsBaseCell = true;
        p->CellSpanX = -1;
        p->CellSpanY = -1;
      }
  RepaintArea(b.X, b.Y, b.X + s.X, b.Y + s.Y);
}

void TBaseGrid::SplitMergesAcross(bool IsRow, int Edge) {
  if (Edge <= 0 || Edge >= (IsRow ? RowCount() : ColCount())) return;
  int n = IsRow ? ColCount() : RowCount();
  for (int i = 0; i < n; ++i) {
    int c = IsRow ? i : Edge, r = IsRow ? Edge : i;
    TCellProperties* p = PropsAt(c, r);
    if (p && !p->IsBaseCell && (IsRow ? p->CellSpanY : p->CellSpanX) > 0) SplitCells(c, r);
  }
}

void TBaseGrid::MoveToBaseCell() {
  if (!HasCellProperties(Col(), Row())) return;
  TPoint b = BaseCell(Col(), Row());
  if (b.X != Col()) SetCol(b.X);
  if (b.Y != Row()) SetRow(b.Y);
}

void TBaseGrid::ExtendOverMergedCell() {
  if (!HasCellProperties(Col(), Row()) || !IsMergedCell(Col(), Row())) return;
  const TPoint b = BaseCell(Col(), Row()), s = CellSpan(b.X, b.Y);
  const TGridRect sel = Selection();
  // The anchor is the selection's corner opposite the current cell.
  const int ax = sel.Left == Col() ? sel.Right : sel.Left, ay = sel.Top == Row() ? sel.Bottom : sel.Top;
  // The current cell goes to the area's corner away from the anchor, so the block spans both.
  const int x = ax > b.X ? b.X : b.X + std::max(0, s.X), y = ay > b.Y ? b.Y : b.Y + std::max(0, s.Y);
  if (x != Col() || y != Row()) FocusCell(x, y, false);
}

void TBaseGrid::SelectCurrentArea() {
  if (!HasCellProperties(Col(), Row()) || !IsMergedCell(Col(), Row())) return;
  const TPoint b = BaseCell(Col(), Row()), s = CellSpan(b.X, b.Y);
  // A selection runs from its anchor to the current cell: the current cell keeps to the area's
  // side nearest it (the cell itself on a corner), the anchor takes the opposite side.
  auto sides = [](int at, int lo, int hi, int& current, int& anchor) {
    current = at - lo < hi - at ? lo : hi;
    anchor = current == lo ? hi : lo;
  };
  int cx, ax, cy, ay;
  sides(Col(), b.X, b.X + std::max(0, s.X), cx, ax);
  sides(Row(), b.Y, b.Y + std::max(0, s.Y), cy, ay);
  SetSelection({ax, ay, cx, cy});  // taken as anchor and current cell
}

// A drag that selects stays on the current cell while the mouse is inside its merged area.
bool TBaseGrid::LeavesCurrentCell(TGridCoord Cell) const {
  if (Cell.X == Col() && Cell.Y == Row()) return false;
  if (!HasCellProperties(Col(), Row()) || !IsMergedCell(Col(), Row())) return true;
  return BaseCell(Cell.X, Cell.Y) != BaseCell(Col(), Row());
}

// ----- geometry
// Measured from the first scrolling cell in view (or from 0 for fixed lines): the cost
// follows the distance from the view, never the size of the grid.
TRect TBaseGrid::VirtualCellRect(int ACol, int ARow) const {
  TRect origin = CellRect(LeftCol(), TopRow());
  auto along = [](int index, int fixedCount, int first, int originPos, auto extent) {
    int pos = 0;
    if (index < fixedCount) {
      for (int i = 0; i < index; ++i) pos += extent(i);
      return pos;
    }
    pos = originPos;
    if (index >= first)
      for (int i = first; i < index; ++i) pos += extent(i);
    else
      for (int i = index; i < first; ++i) pos -= extent(i);
    return pos;
  };
  int x = along(ACol, FixedCols(), LeftCol(), origin.Left, [this](int i) { return ColWidths(i); });
  int y = along(ARow, FixedRows(), TopRow(), origin.Top, [this](int i) { return RowHeights(i); });
  return TRect(x, y, x + ColWidths(ACol), y + RowHeights(ARow));
}

TRect TBaseGrid::CellRectEx(int ACol, int ARow) const {
  TCellProperties* p = PropsAt(ACol, ARow);
  if (!p || (p->CellSpanX == -1 && p->CellSpanY == -1)) {
    if (p && p->Control) return VirtualCellRect(ACol, ARow);
    TRect r = CellRect(ACol, ARow);
    if (r.Right <= r.Left && r.Bottom <= r.Top) return r;
    return TRect(r.Left, r.Top, r.Left + ColWidths(ACol), r.Top + RowHeights(ARow));
  }
  TPoint b = BaseCell(ACol, ARow);
  TPoint s = CellSpan(b.X, b.Y);
  TRect r1 = VirtualCellRect(b.X, b.Y), r2 = VirtualCellRect(b.X + s.X, b.Y + s.Y);
  return TRect(std::min(r1.Left, r2.Left), std::min(r1.Top, r2.Top), std::max(r1.Right, r2.Right),
               std::max(r1.Bottom, r2.Bottom));
}

TPoint TBaseGrid::CellSize(int ACol, int ARow) const {
  TPoint b = BaseCell(ACol, ARow);
  TPoint s = CellSpan(b.X, b.Y);
  TRect r1 = VirtualCellRect(b.X, b.Y), r2 = VirtualCellRect(b.X + s.X, b.Y + s.Y);
  return TPoint(r2.Right - r1.Left, r2.Bottom - r1.Top);
}

void TBaseGrid::RepaintCell(int ACol, int ARow) {
  if (!HandleAllocated()) return;
  TPoint b = BaseCell(ACol, ARow);
  TPoint s = CellSpan(b.X, b.Y);
  RepaintArea(b.X, b.Y, b.X + s.X, b.Y + s.Y);
}

// Rows and columns carry their property objects when they move, so the cell an object was made for
// may hold another one by now: the object's own cell is looked for, in view only (a cell out of view
// has nothing to repaint), its column first since rows move most.
void TBaseGrid::RepaintCellOf(const TCellProperties* P) {
  if (!HandleAllocated()) return;
  if (PropsAt(P->OwnerCol, P->OwnerRow) == P) return RepaintCell(P->OwnerCol, P->OwnerRow);
  // The lines in view: the fixed ones, then the scrolling ones from the top row (left column).
  const int rows[2][2] = {{0, FixedRows() - 1},
                          {std::max(TopRow(), FixedRows()), std::min(RowCount() - 1, TopRow() + VisibleRowCount())}};
  const int cols[2][2] = {{0, FixedCols() - 1},
                          {std::max(LeftCol(), FixedCols()), std::min(ColCount() - 1, LeftCol() + VisibleColCount())}};
  auto found = [&](int c, int r) {
    if (PropsAt(c, r) != P) return false;
    RepaintCell(c, r);
    return true;
  };
  for (const auto& rr : rows)
    for (int r = rr[0]; r <= rr[1]; ++r)
      if (found(P->OwnerCol, r)) return;
  for (const auto& rr : rows)
    for (int r = rr[0]; r <= rr[1]; ++r)
      for (const auto& cc : cols)
        for (int c = cc[0]; c <= cc[1]; ++c)
          if (c != P->OwnerCol && found(c, r)) return;
}

void TBaseGrid::RepaintArea(int Col1, int Row1, int Col2, int Row2) {
  if (!HandleAllocated()) return;
  Col2 = std::min(Col2, ColCount() - 1);
  Row2 = std::min(Row2, RowCount() - 1);
  for (int r = std::max(0, Row1); r <= Row2; ++r)
    for (int c = std::max(0, Col1); c <= Col2; ++c) InvalidateCell(c, r);
}

int TBaseGrid::FixedColsWidth() const {
  int w = 0;
  for (int c = 0; c < FixedCols(); ++c) w += ColWidths(c);
  return w;
}

int TBaseGrid::FixedRowsHeight() const {
  int h = 0;
  for (int r = 0; r < FixedRows(); ++r) h += RowHeights(r);
  return h;
}

// ----- per-row attributes
const TRowAttributes& TBaseGrid::RowAttributes(int ARow) const {
  static const TRowAttributes none;
  if (ARow < 0 || ARow >= static_cast<int>(rowAttrs_.size())) return none;
  return rowAttrs_[static_cast<size_t>(ARow)];
}

TRowAttributes& TBaseGrid::MutableRowAttributes(int ARow) {
  TGridStore::CheckIndex(ARow);
  if (ARow >= static_cast<int>(rowAttrs_.size())) rowAttrs_.resize(static_cast<size_t>(ARow) + 1);
  return rowAttrs_[static_cast<size_t>(ARow)];
}

void TBaseGrid::MoveLineData(bool IsRow, int FromIndex, int ToIndex) {
  if (IsRow) {
    size_t need = static_cast<size_t>(std::max(FromIndex, ToIndex)) + 1;
    if (rowAttrs_.size() < need) rowAttrs_.resize(need);
    auto first = rowAttrs_.begin();
    if (FromIndex < ToIndex)
      std::rotate(first + FromIndex, first + FromIndex + 1, first + ToIndex + 1);
    else
      std::rotate(first + ToIndex, first + FromIndex, first + FromIndex + 1);
  }
  TStringGrid::MoveLineData(IsRow, FromIndex, ToIndex);
}

void TBaseGrid::MoveRowBlockData(int FromIndex, int Count, int ToIndex) {
  size_t need = static_cast<size_t>(std::max(FromIndex, ToIndex) + Count);
  if (rowAttrs_.size() < need) rowAttrs_.resize(need);
  auto b = rowAttrs_.begin();
  if (FromIndex < ToIndex)
    std::rotate(b + FromIndex, b + FromIndex + Count, b + ToIndex + Count);
  else
    std::rotate(b + ToIndex, b + FromIndex, b + FromIndex + Count);
  TStringGrid::MoveRowBlockData(FromIndex, Count, ToIndex);
}

void TBaseGrid::PermuteRowData(int Lo, const std::vector<int>& Order) {
  if (Order.empty()) return;
  const size_t need = static_cast<size_t>(Lo) + Order.size();
  if (rowAttrs_.size() < need) rowAttrs_.resize(need);
  std::vector<TRowAttributes> moved(Order.size());
  for (size_t k = 0; k < Order.size(); ++k) moved[k] = rowAttrs_[static_cast<size_t>(Order[k])];
  std::copy(moved.begin(), moved.end(), rowAttrs_.begin() + Lo);
  TStringGrid::PermuteRowData(Lo, Order);
}

void TBaseGrid::ExchangeRowData(int ARow1, int ARow2) {
  size_t need = static_cast<size_t>(std::max(ARow1, ARow2)) + 1;
  if (rowAttrs_.size() < need) rowAttrs_.resize(need);
  std::swap(rowAttrs_[static_cast<size_t>(ARow1)], rowAttrs_[static_cast<size_t>(ARow2)]);
  TStringGrid::ExchangeRowData(ARow1, ARow2);
}

void TBaseGrid::ClearLineData(bool IsRow, int Index) {
  FreeLineProperties(IsRow, Index);
  if (IsRow && Index < static_cast<int>(rowAttrs_.size())) rowAttrs_[static_cast<size_t>(Index)] = TRowAttributes();
  TStringGrid::ClearLineData(IsRow, Index);
}

void TBaseGrid::SizeChanged(int OldColCount, int OldRowCount) {
  // Rows past a smaller count go for good: rows the grid grows by later come empty.
  if (RowCount() < OldRowCount && RowCount() < Store().RowsHeld()) {
    // An area reaching over the new last row is split first, or its base would span rows gone.
    const int edge = RowCount();
    for (int c = 0, n = Store().ColsHeldInRow(edge); c < n; ++c)
      if (TCellProperties* p = PropsAt(c, edge); p && !p->IsBaseCell && p->CellSpanY > 0) SplitCells(c, edge);
    // Within an undo step the texts that go are kept in the step: its undo brings them back.
    TExtGridUndoRedo* undo = undoRedo_ && undoRedo_->stepDepth_ > 0 ? undoRedo_ : nullptr;
    for (int r = edge; r < Store().RowsHeld(); ++r) {
      for (int c = 0, n = undo ? Store().ColsHeldInRow(r) : 0; c < n; ++c)
        if (const std::string& t = Store().Text(c, r); !t.empty()) undo->Add(c, r, t, std::string());
      FreeLineProperties(true, r);
    }
    DropRowsQuietly(RowCount());
  }
  if (RowCount() < OldRowCount && RowCount() < static_cast<int>(rowAttrs_.size()))
    rowAttrs_.resize(static_cast<size_t>(RowCount()));
  if (static_cast<int>(rowAttrs_.size()) < RowCount()) rowAttrs_.resize(static_cast<size_t>(RowCount()));
  TStringGrid::SizeChanged(OldColCount, OldRowCount);
}

// ----- properties
void TBaseGrid::SetDefaultDrawing(bool v) {
  defaultDrawing_ = v;
  TStringGrid::SetDefaultDrawing(false);
}

void TBaseGrid::SetGridLineWidth(int v) {
  gridLineWidth_ = std::clamp(v, 0, MaxLineExtent);
  TStringGrid::SetGridLineWidth(0);
  Invalidate();
}

void TBaseGrid::SetGridLineColor(TColor v) {
  gridLineColor_ = v;
  Invalidate();
}

void TBaseGrid::SetActiveRowShow(bool v) {
  activeRowShow_ = v;
  Invalidate();
}

void TBaseGrid::SetActiveRowColor(TColor v) {
  activeRowColor_ = v;
  Invalidate();
}

void TBaseGrid::UndoItem(const TUndoRedoItem& Item) {
  switch (Item.Kind) {
    case TUndoRedoItem::uiCell:
      SetCells(Item.Col, Item.Row, Item.OrigValue);
      break;
    case TUndoRedoItem::uiRowsInserted:
      for (int i = 0; i < Item.Count && Item.Row < RowCount(); ++i) DeleteRow(Item.Row);
      break;
    case TUndoRedoItem::uiCounts:
      TStringGrid::SetColCount(Item.Col);
      TStringGrid::SetRowCount(Item.Row);
      break;
  }
}

void TBaseGrid::SetUndoRedo(TExtGridUndoRedo* v) {
  if (v == undoRedo_) return;
  if (undoRedo_) {
    undoRedo_->grid_ = nullptr;
    undoRedo_->RemoveFreeNotification(this);
  }
  undoRedo_ = v;
  if (v) {
    v->grid_ = this;
    v->FreeNotification(this);
  }
}

void TBaseGrid::Notification(TComponent* AComponent, TOperation Operation) {
  TStringGrid::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == undoRedo_) undoRedo_ = nullptr;
}

// ----- virtual slots with the base behaviour
bool TBaseGrid::IsFixed(int, int) { return false; }
int TBaseGrid::GetNodeIndent(int) { return 0; }
bool TBaseGrid::HasNodes() { return false; }
void TBaseGrid::UpdateFooter() {}
int TBaseGrid::DisplColIndex(int ACol) const { return ACol; }

void TBaseGrid::GetCellColors(int, int, TGridDrawState&, bool, bool, bool, TBrush*, TColor& AColorTo, TFont*,
                              TAlignment&, TVAlignment&, bool&) {
  AColorTo = clNone;
}

void TBaseGrid::DrawCellText(TCanvas* ACanvas, int ACol, int ARow, TRect ARect, TGridDrawState) {
  std::string s = Cells(ACol, ARow);
  TSize e = ACanvas->TextExtent(s);
  int x = ARect.Left + (ARect.Width() - e.cx) / 2, y = ARect.Top + (ARect.Height() - e.cy) / 2;
  TBrushStyle bs = ACanvas->Brush()->Style();
  ACanvas->Brush()->SetStyle(bsClear);
  ACanvas->TextRect(ARect, x, y, s);
  ACanvas->Brush()->SetStyle(bs);
}

// ----- painting
void TBaseGrid::Paint() {
  TStringGrid::Paint();
  ++paintCounter_;
}

void TBaseGrid::DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) {
  TCanvas* cv = Canvas();
  if (FloatingFooterRow && ARow == RowCount() - 1) {
    cv->Brush()->SetColor(Color());
    cv->Pen()->SetColor(Color());
    cv->FillRect(ARect);
    return;
  }
  if (!IsBaseCell(ACol, ARow)) {
    TPoint b = BaseCell(ACol, ARow);
    TCellProperties* bp = PropsAt(b.X, b.Y);
    if (bp && bp->PaintStamp != paintCounter_) {
      bp->PaintStamp = paintCounter_;
      DrawCell(b.X, b.Y, ARect, AState);
    }
    return;
  }
  if (TCellProperties* p = PropsAt(ACol, ARow); p && p->CellSpanX != -1) p->PaintStamp = paintCounter_;
  bool fixed = IsFixed(ACol, ARow) || (AState & gdFixed);
  if (IsFixed(ACol, ARow)) AState = (AState & ~gdSelected) | gdFixed;
  // A plain cell is where the platform says; a merged area or a cell holding a control is measured.
  TCellProperties* own = PropsAt(ACol, ARow);
  TRect r = !own || (own->CellSpanX == -1 && own->CellSpanY == -1 && !own->Control) ? ARect : CellRectEx(ACol, ARow);
  bool clipped = false;
  bool scrolling = ACol >= FixedCols() && ARow >= FixedRows();
  if (scrolling && ((FixedCols() > 0 && r.Left < FixedColsWidth()) || (FixedRows() > 0 && r.Top < FixedRowsHeight()))) {
    cv->SetClipRect(TRect(FixedColsWidth(), FixedRowsHeight(), Width(), Height()));
    clipped = true;
  }
  cv->Pen()->SetWidth(1);
  cv->Font()->Assign(Font());
  TColor colorTo = clNone;
  TAlignment ha = taLeftJustify;
  TVAlignment va = vtaTop;
  bool ww = false;
  GetCellColors(ACol, ARow, AState, false, true, true, cv->Brush(), colorTo, cv->Font(), ha, va, ww);
  cv->Pen()->SetColor(cv->Brush()->Color());
  if (activeRowShow_ && ARow == Row() && ACol != Col()) cv->Brush()->SetColor(activeRowColor_);
  TGridOptions o = Options();
  const bool horz = (o & goHorzLine) && !(ACol == 0 && HasNodes()), vert = o & goVertLine;
  if (colorTo == clNone && !fixed && gridLineWidth_ == 1 && horz && vert && !UseRightToLeftAlignment()) {
    // The common cell: its two one-pixel lines and its background in two fills instead of three.
    TColor back = cv->Brush()->Color();
    cv->Brush()->SetColor(gridLineColor_);
    cv->FillRect(r);
    cv->Brush()->SetColor(back);
    cv->FillRect(TRect(r.Left, r.Top, r.Right - 1, r.Bottom - 1));
    cv->Pen()->SetColor(gridLineColor_);
    DrawCellText(cv, ACol, ARow, TRect(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1), AState);
    if (clipped) cv->RemoveClip();
    return;
  }
  if (colorTo == clNone)
    cv->FillRect(r);
  else
    ExtUtil::DrawGradient(cv, cv->Brush()->Color(), colorTo, 64, r, false);
  int half;
  if (fixed) {
    cv->Pen()->SetColor(clGray);
    cv->Pen()->SetWidth(1);
    half = 1;
  } else {
    cv->Pen()->SetColor(gridLineColor_);
    cv->Pen()->SetWidth(std::max(1, gridLineWidth_));
    half = (gridLineWidth_ + 1) / 2;
  }
  bool lines = fixed || gridLineWidth_ > 0;
  // A wide pen covers width / 2 pixels before its line and the rest from it on (the extra pixel of
  // an even width before it), so the whole line lies inside the cell; the canvas's own wide line
  // would put that pixel into the next cell, which paints over it.
  const int wide = fixed ? 1 : gridLineWidth_;
  auto line = [&](int x1, int y1, int x2, int y2) {
    if (wide <= 1) {
      cv->MoveTo(x1, y1);
      cv->LineTo(x2, y2);
      return;
    }
    TColor back = cv->Brush()->Color();
    cv->Brush()->SetColor(cv->Pen()->Color());
    // The ends reach as far as the pen's round caps, so the corners of two lines close.
    const int before = wide / 2, after = wide - wide / 2;
    if (y1 == y2)
      cv->FillRect(TRect(std::min(x1, x2) - before, y1 - before, std::max(x1, x2) + after, y1 + after));
    else
      cv->FillRect(TRect(x1 - before, std::min(y1, y2) - before, x1 + after, std::max(y1, y2) + after));
    cv->Brush()->SetColor(back);
  };
  if (lines && (((o & goHorzLine) && !fixed) || ((o & goFixedHorzLine) && fixed)) && !(ACol == 0 && HasNodes()))
    line(r.Left - half + 1, r.Bottom - half, r.Right - half + 1, r.Bottom - half);
  if (lines && (((o & goVertLine) && !fixed) || ((o & goFixedVertLine) && fixed))) {
    int x = r.Right - half + (UseRightToLeftAlignment() ? 1 : 0);
    line(x, r.Bottom - half, x, r.Top - half);
  }
  int shrink = fixed ? 1 : gridLineWidth_;
  TRect inner(r.Left + shrink, r.Top + shrink, r.Right - shrink, r.Bottom - shrink);
  DrawCellText(cv, ACol, ARow, inner, AState);
  if (clipped) cv->RemoveClip();
}

bool TBaseGrid::SelectCell(int ACol, int ARow) {
  RepaintCell(Col(), Row());
  bool ok = TStringGrid::SelectCell(ACol, ARow);
  if (ACol >= 0 && ARow >= 0 && ACol < ColCount() && ARow < RowCount()) RepaintCell(ACol, ARow);
  return ok;
}

void TBaseGrid::TopLeftChanged() {
  TStringGrid::TopLeftChanged();
  int lastRow = std::min(RowCount() - 1, TopRow() + VisibleRowCount());
  for (int c = 0; c < FixedCols(); ++c)
    for (int r = TopRow(); r <= lastRow; ++r)
      if (IsMergedCell(c, r)) RepaintCell(c, r);
  int lastCol = std::min(ColCount() - 1, LeftCol() + VisibleColCount());
  for (int r = 0; r < FixedRows(); ++r)
    for (int c = LeftCol(); c <= lastCol; ++c)
      if (IsMergedCell(c, r)) RepaintCell(c, r);
}

// ----- keys and wheel
void TBaseGrid::KeyDown(WORD& Key, TShiftState Shift) {
  bool has = HasCellProperties(Col(), Row());
  TPoint b = has ? BaseCell(Col(), Row()) : TPoint(Col(), Row());
  TPoint s = has ? CellSpan(b.X, b.Y) : TPoint(0, 0);
  // Shift with an arrow widens a block from its anchor; the steps over merged areas keep it.
  const bool arrow = Key == VK_LEFT || Key == VK_RIGHT || Key == VK_UP || Key == VK_DOWN;
  const bool widen = arrow && (Shift & ssShift) && !(Shift & ssCtrl) && (Options() & goRangeSelect) &&
                     !(Options() & goRowSelect);
  auto moveTo = [&](int c, int r) { FocusCell(c, r, !widen); };
  switch (Key) {
    case VK_NEXT:
      if (FloatingFooterRow && RowCount() >= 2 && VisibleRowCount() + TopRow() - FixedRows() == RowCount() - 1) {
        SetRow(RowCount() - 2);
        Key = 0;
      }
      break;
    case VK_LEFT:
      if (has && b.X < Col() && Col() > FixedCols() && b.X >= 1) moveTo(b.X, Row());
      break;
    case VK_UP:
      if (has && b.Y < Row() && Row() > FixedRows() && b.Y >= 1) moveTo(Col(), b.Y);
      break;
    case VK_RIGHT: {
      int last = b.X + s.X;
      if (has && last >= Col() && Col() < ColCount() - 1 && b.X < ColCount() - 1 && last != Col()) moveTo(last, Row());
      break;
    }
    case VK_DOWN: {
      int last = b.Y + s.Y;
      if (has && last >= Row() && Row() < RowCount() - 1 && b.Y < RowCount() - 1 && last != Row()) moveTo(Col(), last);
      break;
    }
    default: break;
  }
  if (Key) TStringGrid::KeyDown(Key, Shift);
  if (widen)
    ExtendOverMergedCell();
  else
    MoveToBaseCell();
}

bool TBaseGrid::DoMouseWheelDown(TShiftState Shift, TPoint MousePos) {
  bool r = TStringGrid::DoMouseWheelDown(Shift, MousePos);
  if (FloatingFooterRow && Row() < RowCount() - 1 && VisibleRowCount() < Row() - TopRow()) SetTopRow(TopRow() + 1);
  MoveToBaseCell();
  return r;
}

bool TBaseGrid::DoMouseWheelUp(TShiftState Shift, TPoint MousePos) {
  bool r = TStringGrid::DoMouseWheelUp(Shift, MousePos);
  MoveToBaseCell();
  return r;
}
