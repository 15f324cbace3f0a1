#include "platform/grid/Grids.h"

#include <QFontMetrics>
#include <QWidget>
#include <algorithm>

#include "platform/gui/Feedback.h"
#include "platform/gui/Forms.h"
#include "platform/gui/QtCanvas.h"
#include "platform/gui/ScrollFrame.h"
#include "platform/gui/WinWindow.h"

namespace {
constexpr UINT_PTR kSelectTimer = 1;  // scrolls while the mouse selects outside the cells
constexpr int kSizingMargin = 3;      // pixels either side of a border where sizing starts
const TColor kLineColor = clSilver, kFixedLineColor = clBlack;

void CheckCount(int v) {
  if (v > TGridStore::kIndexBound) throw EInvalidGridOperation("Grid index out of range");
}
}  // namespace

// ================================================================ TInplaceEdit
TInplaceEdit::TInplaceEdit(TComponent* AOwner) : TCustomMaskEdit(AOwner) {
  borderStyle_ = bsNone;
  tabStop_ = false;
  autoSize_ = false;
  visible_ = false;
  style_ = ES_MULTILINE | ES_AUTOHSCROLL;
}

TInplaceEdit::~TInplaceEdit() {
  if (grid_ && grid_->editor_ == this) grid_->editor_ = nullptr;
}

void TInplaceEdit::CreateParams(TCreateParams& Params) { Params.Style = ES_LEFT | ES_MULTILINE | ES_AUTOHSCROLL; }

void TInplaceEdit::CreateWnd() {
  // The styles choose the peer: they are built before the window.
  TCreateParams p;
  CreateParams(p);
  style_ = p.Style;
  TCustomMaskEdit::CreateWnd();
  ApplyStyle();
}

bool TInplaceEdit::MultiLinePeer() const { return (style_ & ES_MULTILINE) && !(style_ & ES_PASSWORD); }

bool TInplaceEdit::WrapLines() const { return !(style_ & ES_AUTOHSCROLL); }

void TInplaceEdit::ApplyStyle() {
  SetAlignment((style_ & ES_RIGHT) ? taRightJustify : (style_ & ES_CENTER) ? taCenter : taLeftJustify);
  if ((style_ & ES_PASSWORD) && passwordChar_ == 0) SetPasswordChar('*');
}

void TInplaceEdit::UpdateContents() {
  if (!grid_) return;
  ++loading_;
  try {
    int c = grid_->Col(), r = grid_->Row();
    TCustomMaskEdit::SetEditMask(std::string());
    TCustomMaskEdit::SetText(std::string());
    SetEditMask(grid_->GetEditMask(c, r));
    SetText(grid_->GetEditText(c, r));
    SetMaxLength(grid_->GetEditLimit());
  } catch (...) {
    --loading_;
    throw;
  }
  --loading_;
  startText_ = Text();
  modified_ = false;
}

void TInplaceEdit::SetTextQuietly(const std::string& Value) {
  ++loading_;
  quiet_ = true;
  SetText(Value);
  quiet_ = false;
  --loading_;
}

void TInplaceEdit::Move(const TRect& Loc) {
  if (Loc.Right <= Loc.Left || Loc.Bottom <= Loc.Top) {
    HideEdit();
    return;
  }
  TRect before = BoundsRect();
  SetBounds(Loc.Left, Loc.Top, Loc.Right - Loc.Left, Loc.Bottom - Loc.Top);
  // The hook runs after every placement, also one that changes nothing.
  if (BoundsRect() == before) BoundsChanged();
  if (!Visible()) {
    SetVisible(true);
    BringToFront();
  }
}

void TInplaceEdit::UpdateLoc(const TRect& Loc) { Move(Loc); }

void TInplaceEdit::HideEdit() {
  if (!Visible()) return;
  // The grid takes the focus before the editor goes, so the focus stays in the grid.
  if (Focused() && grid_ && grid_->CanFocus()) grid_->SetFocus();
  SetVisible(false);
}

void TInplaceEdit::BoundsChanged() { TCustomMaskEdit::BoundsChanged(); }

void TInplaceEdit::SetFormatRect(const TRect& R) {
  textAtTop_ = true;
  if (MultiLinePeer()) {
    SetTextMargins(std::max(0, R.Left), std::max(0, R.Top), std::max(0, Width() - R.Right), std::max(0, Height() - R.Bottom));
    PushAlignment();
    return;
  }
  // Qt's line edit keeps these insets of its own inside the margins.
  constexpr int kInsetX = 2, kInsetY = 1;
  SetTextMargins(std::max(0, R.Left - kInsetX), std::max(0, R.Top - kInsetY), std::max(0, Width() - R.Right - kInsetX),
                 std::max(0, Height() - R.Bottom));
  textAtTop_ = true;
  PushAlignment();
}

int TInplaceEdit::CaretLine() const {
  if (!(style_ & ES_MULTILINE)) return 0;
  // The lines as shown, wrapped ones too, where the peer shows them.
  if (int shown = PeerLineOf(caret_); shown >= 0) return shown;
  int line = 0;
  int end = std::min(caret_, static_cast<int>(text_.size()));
  for (int i = 0; i < end; ++i) {
    char ch = text_[static_cast<size_t>(i)];
    if (ch == '\n' || (ch == '\r' && (i + 1 >= static_cast<int>(text_.size()) || text_[static_cast<size_t>(i + 1)] != '\n')))
      ++line;
  }
  return line;
}

int TInplaceEdit::LineCount() const {
  if (!(style_ & ES_MULTILINE)) return 1;
  if (int shown = PeerLineCount(); shown >= 1) return shown;
  int lines = 1;
  for (size_t i = 0; i < text_.size(); ++i) {
    char ch = text_[i];
    if (ch == '\n' || (ch == '\r' && (i + 1 >= text_.size() || text_[i + 1] != '\n'))) ++lines;
  }
  return lines;
}

void TInplaceEdit::KeyDown(WORD& Key, TShiftState Shift) {
  if (!grid_) return TCustomMaskEdit::KeyDown(Key, Shift);
  auto toGrid = [&] {
    grid_->KeyDown(Key, Shift);
    Key = 0;
  };
  auto tellGrid = [&] {
    if (grid_->OnKeyDown) grid_->OnKeyDown(grid_, Key, Shift);
  };
  bool ctrl = Shift & ssCtrl;
  int len = static_cast<int>(text_.size());
  bool atStart = SelLength() == 0 && caret_ == 0, atEnd = SelLength() == 0 && caret_ >= len;
  switch (Key) {
    case VK_UP: case VK_DOWN: case VK_PRIOR: case VK_NEXT:
      toGrid();
      break;
    case VK_ESCAPE:
      // The edit is abandoned: the cell gets back the text it had when the editor opened.
      if (Text() != startText_) SetText(startText_);
      toGrid();
      break;
    case VK_TAB:
      if (!(Shift & ssAlt)) toGrid();
      break;
    case VK_LEFT: case VK_HOME:
      if (ctrl || atStart) toGrid();
      break;
    case VK_RIGHT: case VK_END:
      if (ctrl || atEnd) toGrid();
      break;
    case VK_INSERT:
      if (Shift == 0) toGrid();
      break;
    case VK_DELETE:
      if (ctrl) toGrid();
      break;
    case VK_F2:
      tellGrid();
      if (Key == VK_F2) {
        SetSel(len, len);  // F2 in the editor leaves the selection for the caret at the end
        PushToPeer();
        Key = 0;
      }
      break;
    default:
      break;
  }
  if (Key == 0) return;
  tellGrid();
  if (Key != 0) TCustomMaskEdit::KeyDown(Key, Shift);
}

void TInplaceEdit::KeyPress(char& Key) {
  if (!grid_) return TCustomMaskEdit::KeyPress(Key);
  grid_->KeyPress(Key);
  auto k = static_cast<unsigned char>(Key);
  if (k >= 32 && !grid_->CanEditAcceptKey(Key)) {
    Key = 0;
    MessageBeep(0);
  }
  switch (Key) {
    case 9: case 27: Key = 0; break;
    case 13: {
      int len = static_cast<int>(text_.size());
      if (SelStart() == 0 && SelLength() == len)
        SetSel(len, len);
      else
        SetSel(0, len);
      PushToPeer();
      Key = 0;
      break;
    }
    default:
      if ((k == 8 || k == 22 || k == 24 || k >= 32) && !grid_->CanEditModify()) Key = 0;
  }
  if (Key != 0) TCustomMaskEdit::KeyPress(Key);
}

void TInplaceEdit::KeyUp(WORD& Key, TShiftState Shift) {
  if (grid_) grid_->KeyUp(Key, Shift);
  if (Key != 0) TCustomMaskEdit::KeyUp(Key, Shift);
}

void TInplaceEdit::EditChar(char32_t Ch) {
  if (Ch == '\r' && (style_ & ES_MULTILINE)) return InsertText("\r\n");
  TCustomMaskEdit::EditChar(Ch);
}

void TInplaceEdit::Change() {
  TCustomMaskEdit::Change();
  // Every change of the text reaches the grid's cell at once.
  if (grid_ && !loading_ && grid_->inplaceCol_ >= 0) grid_->SetEditText(grid_->inplaceCol_, grid_->inplaceRow_, Text());
}

void TInplaceEdit::WMGetDlgCode(TMessage& Message) {
  Message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTALLKEYS;
  if (grid_ && (grid_->Options() & goTabs)) Message.Result |= DLGC_WANTTAB;
}

void TInplaceEdit::DoEnter() { TCustomMaskEdit::DoEnter(); }

// ================================================================ TCustomGrid
TCustomGrid::TCustomGrid(TComponent* AOwner) : TCustomControl(AOwner), feedback_(new TControlFeedback(this)) {
  controlStyle_ = csCaptureMouse | csOpaque | csDoubleClicks;
  width_ = 320;
  height_ = 120;
  tabStop_ = true;
  color_ = clWindow;
  colWidths_.assign(static_cast<size_t>(colCount_), defaultColWidth_);
  rowHeights_.assign(static_cast<size_t>(rowCount_), defaultRowHeight_);
  tabStops_.assign(static_cast<size_t>(colCount_), true);
}

TCustomGrid::~TCustomGrid() {
  Destroying();
  if (editor_) editor_->grid_ = nullptr;
}

// ----- shape
void TCustomGrid::SetColCount(int v) {
  CheckCount(v);
  if (v < 1) v = 1;
  if (v == colCount_) return;
  ChangeSize(v, rowCount_);
}

void TCustomGrid::SetRowCount(int v) {
  CheckCount(v);
  if (v < 1) v = 1;
  if (v == rowCount_) return;
  ChangeSize(colCount_, v);
}

void TCustomGrid::ChangeSize(int NewColCount, int NewRowCount) {
  int oldCols = colCount_, oldRows = rowCount_;
  if (NewColCount <= fixedCols_) fixedCols_ = NewColCount - 1;
  if (NewRowCount <= fixedRows_) fixedRows_ = NewRowCount - 1;
  colCount_ = NewColCount;
  rowCount_ = NewRowCount;
  GeometryChanged();
  // Lines that come into view get the default size; their stored data stays as it was.
  colWidths_.resize(static_cast<size_t>(colCount_), defaultColWidth_);
  rowHeights_.resize(static_cast<size_t>(rowCount_), defaultRowHeight_);
  tabStops_.resize(static_cast<size_t>(colCount_), true);
  TGridRect oldSel = Selection();
  auto clamp = [](TGridCoord& c, int cols, int rows) {
    if (c.X >= cols) c.X = cols - 1;
    if (c.Y >= rows) c.Y = rows - 1;
  };
  clamp(current_, colCount_, rowCount_);
  clamp(anchor_, colCount_, rowCount_);
  topLeft_.X = std::clamp(topLeft_.X, fixedCols_, std::max(fixedCols_, colCount_ - 1));
  topLeft_.Y = std::clamp(topLeft_.Y, fixedRows_, std::max(fixedRows_, rowCount_ - 1));
  if (editor_ && editorMode_ && (inplaceCol_ >= colCount_ || inplaceRow_ >= rowCount_)) HideEdit();
  SizeChanged(oldCols, oldRows);
  (void)oldSel;
  UpdateScrollRange();
  Invalidate();
  if (editorMode_) UpdateEditorPlace();
}

void TCustomGrid::SetFixedCols(int v) {
  if (v < 0) throw EInvalidGridOperation("Grid index out of range");
  if (v >= colCount_) throw EInvalidGridOperation("Fixed column count must be less than column count");
  if (v == fixedCols_) return;
  fixedCols_ = v;
  GeometryChanged();
  if (topLeft_.X < v) topLeft_.X = v;
  if (current_.X < v) current_.X = v;
  if (anchor_.X < v) anchor_.X = v;
  UpdateScrollRange();
  ClampAfterResize();
  Invalidate();
  if (editorMode_) InvalidateEditor();
}

void TCustomGrid::SetFixedRows(int v) {
  if (v < 0) throw EInvalidGridOperation("Grid index out of range");
  if (v >= rowCount_) throw EInvalidGridOperation("Fixed row count must be less than row count");
  if (v == fixedRows_) return;
  fixedRows_ = v;
  GeometryChanged();
  if (topLeft_.Y < v) topLeft_.Y = v;
  if (current_.Y < v) current_.Y = v;
  if (anchor_.Y < v) anchor_.Y = v;
  UpdateScrollRange();
  ClampAfterResize();
  Invalidate();
  if (editorMode_) InvalidateEditor();
}

void TCustomGrid::SetDefaultColWidth(int v) {
  v = std::clamp(v, 0, MaxLineExtent);
  defaultColWidth_ = v;
  std::fill(colWidths_.begin(), colWidths_.end(), v);
  GeometryChanged();
  ColWidthsChanged();
}

void TCustomGrid::SetDefaultRowHeight(int v) {
  v = std::clamp(v, 0, MaxLineExtent);
  defaultRowHeight_ = v;
  std::fill(rowHeights_.begin(), rowHeights_.end(), v);
  GeometryChanged();
  RowHeightsChanged();
}

int TCustomGrid::ColWidths(int Index) const { return LineExtent(true, Index); }
void TCustomGrid::SetColWidths(int Index, int Value) { SetLineExtent(true, Index, Value); }
int TCustomGrid::RowHeights(int Index) const { return LineExtent(false, Index); }
void TCustomGrid::SetRowHeights(int Index, int Value) { SetLineExtent(false, Index, Value); }

int TCustomGrid::LineExtent(bool Horz, int Index) const {
  TGridStore::CheckIndex(Index);
  const std::vector<int>& v = Horz ? colWidths_ : rowHeights_;
  return Index < static_cast<int>(v.size()) ? v[static_cast<size_t>(Index)] : (Horz ? defaultColWidth_ : defaultRowHeight_);
}

void TCustomGrid::SetLineExtent(bool Horz, int Index, int Value) {
  std::vector<int>& v = Horz ? colWidths_ : rowHeights_;
  if (Index < 0 || Index >= static_cast<int>(v.size())) throw EInvalidGridOperation("Grid index out of range");
  Value = std::clamp(Value, 0, MaxLineExtent);
  if (v[static_cast<size_t>(Index)] == Value) return;
  v[static_cast<size_t>(Index)] = Value;
  GeometryChanged();
  Horz ? ColWidthsChanged() : RowHeightsChanged();
}

bool TCustomGrid::TabStops(int Index) const {
  TGridStore::CheckIndex(Index);
  return Index < colCount_ ? tabStops_[static_cast<size_t>(Index)] : true;
}

void TCustomGrid::SetTabStops(int Index, bool Value) {
  if (Index < 0 || Index >= colCount_) throw EInvalidGridOperation("Grid index out of range");
  tabStops_[static_cast<size_t>(Index)] = Value;
}

void TCustomGrid::ColWidthsChanged() {
  UpdateScrollRange();
  ClampAfterResize();
  Invalidate();
  if (editorMode_) UpdateEditorPlace();
}

void TCustomGrid::RowHeightsChanged() {
  UpdateScrollRange();
  ClampAfterResize();
  Invalidate();
  if (editorMode_) UpdateEditorPlace();
}

void TCustomGrid::SetGridLineWidth(int v) {
  v = std::clamp(v, 0, MaxLineExtent);
  if (v == gridLineWidth_) return;
  gridLineWidth_ = v;
  GeometryChanged();
  UpdateScrollRange();
  ClampAfterResize();
  Invalidate();
  if (editorMode_) UpdateEditorPlace();
}

void TCustomGrid::SetOptions(TGridOptions v) {
  if (v == options_) return;
  TGridOptions old = options_;
  options_ = v;
  if ((old & goEditing) && !(v & goEditing)) HideEditor();
  if (!(old & goAlwaysShowEditor) && (v & goAlwaysShowEditor)) ShowEditor();
  if (v & goRowSelect) HideEditor();
  Invalidate();
}

void TCustomGrid::SetDefaultDrawing(bool v) {
  if (v == defaultDrawing_) return;
  defaultDrawing_ = v;
  UpdateClientBackground();
  Invalidate();
}

void TCustomGrid::UpdateClientBackground() {
  // Default drawing covers the whole client area; without it the window's background shows.
  QWidget* w = HandleAllocated() ? ClientWidget() : nullptr;
  if (!w || w == peer_) return;
  w->setAutoFillBackground(!defaultDrawing_);
  w->setAttribute(Qt::WA_OpaquePaintEvent, defaultDrawing_);
}

void TCustomGrid::SetFixedColor(TColor v) {
  if (v == fixedColor_) return;
  fixedColor_ = v;
  Invalidate();
}

void TCustomGrid::SetCtl3D(bool v) {
  if (v == ctl3D_) return;
  ctl3D_ = v;
  Invalidate();
}

void TCustomGrid::SetScrollBars(TScrollStyle v) {
  if (v == scrollBars_) return;
  scrollBars_ = v;
  UpdateScrollRange();
}

void TCustomGrid::SetBorderStyle(TBorderStyle v) {
  if (v == borderStyle_) return;
  borderStyle_ = v;
  if (TScrollFrame* f = ScrollFrameOf(this)) f->SetBorder(v == bsSingle ? 2 : 0);
  UpdateScrollRange();
}

// ----- geometry
TRect TCustomGrid::ClientRect() const { return ScrollFrameClientRect(this, borderStyle_ == bsSingle ? 2 : 0); }

QWidget* TCustomGrid::ClientWidget() const {
  TScrollFrame* f = ScrollFrameOf(this);
  return f ? f->Viewport() : peer_;
}

void TCustomGrid::GeometryChanged() { axes_[0].Valid = axes_[1].Valid = false; }

const TCustomGrid::TAxis& TCustomGrid::Axis(bool Horz) const {
  TRect c = ClientRect();
  int extent = Horz ? c.Right : std::max(0, c.Bottom - BottomInset());
  TCachedAxis& a = axes_[Horz ? 0 : 1];
  if (!a.Valid || a.Axis.Extent != extent) {
    a.Axis = CalcAxis(Horz, extent);
    a.Valid = true;
  }
  return a.Axis;
}

int TCustomGrid::Extent(bool Horz, int Index) const {
  return Horz ? colWidths_[static_cast<size_t>(Index)] : rowHeights_[static_cast<size_t>(Index)];
}

TCustomGrid::TAxis TCustomGrid::CalcAxis(bool Horz, int ExtentPx) const {
  TAxis a;
  a.LineWidth = gridLineWidth_;
  a.FixedCount = Horz ? fixedCols_ : fixedRows_;
  a.Count = Horz ? colCount_ : rowCount_;
  a.Extent = ExtentPx;
  a.First = Horz ? topLeft_.X : topLeft_.Y;
  int pos = 0;
  for (int i = 0; i < a.FixedCount; ++i) pos += Extent(Horz, i) + a.LineWidth;
  a.FixedBoundary = pos;
  a.FullVisBoundary = pos;
  a.LastFullVisible = a.First - 1;
  a.LastVisible = a.First - 1;
  for (int i = a.First; i < a.Count && pos < ExtentPx; ++i) {
    pos += Extent(Horz, i) + a.LineWidth;
    a.LastVisible = i;
    if (pos <= ExtentPx) {
      a.FullVisBoundary = pos;
      a.LastFullVisible = i;
    }
  }
  a.Boundary = std::min(pos, ExtentPx);
  return a;
}

int TCustomGrid::CellPos(const TAxis& A, bool Horz, int Index) const {
  if (Index < 0 || Index >= A.Count) return -1;
  int pos = 0;
  if (Index < A.FixedCount) {
    for (int i = 0; i < Index; ++i) pos += Extent(Horz, i) + A.LineWidth;
    return pos < A.Extent ? pos : -1;
  }
  if (Index < A.First || Index > A.LastVisible) return -1;
  pos = A.FixedBoundary;
  for (int i = A.First; i < Index; ++i) pos += Extent(Horz, i) + A.LineWidth;
  return pos < A.Extent ? pos : -1;
}

int TCustomGrid::CoordFromPos(const TAxis& A, bool Horz, int Pos) const {
  if (Pos < 0 || Pos >= A.Extent) return -1;
  int start = 0;
  if (Pos < A.FixedBoundary) {
    for (int i = 0; i < A.FixedCount; ++i) {
      start += Extent(Horz, i) + A.LineWidth;
      if (Pos < start) return i;
    }
    return -1;
  }
  start = A.FixedBoundary;
  for (int i = A.First; i < A.Count && start < A.Extent; ++i) {
    start += Extent(Horz, i) + A.LineWidth;
    if (Pos < start) return i;
  }
  return -1;
}

int TCustomGrid::CalcMaxFirst(bool Horz, int ExtentPx) const {
  int fixed = Horz ? fixedCols_ : fixedRows_, count = Horz ? colCount_ : rowCount_;
  if (count <= fixed) return fixed;
  // In 64 bits: many fixed lines can take more than an int from the extent.
  int64_t avail = ExtentPx;
  for (int i = 0; i < fixed; ++i) avail -= Extent(Horz, i) + gridLineWidth_;
  int i = count - 1;
  int64_t used = Extent(Horz, i) + gridLineWidth_;
  while (i > fixed && used + Extent(Horz, i - 1) + gridLineWidth_ <= avail) {
    used += Extent(Horz, i - 1) + gridLineWidth_;
    --i;
  }
  return std::max(i, fixed);
}

int TCustomGrid::MaxTopRow() const { return CalcMaxFirst(false, std::max(0, ClientRect().Bottom - BottomInset())); }
int TCustomGrid::MaxLeftCol() const { return CalcMaxFirst(true, ClientRect().Right); }

int TCustomGrid::VisibleColCount() const {
  TAxis a = HorzAxis();
  return std::max(0, a.LastFullVisible - a.First + 1);
}

int TCustomGrid::VisibleRowCount() const {
  TAxis a = VertAxis();
  return std::max(0, a.LastFullVisible - a.First + 1);
}

int TCustomGrid::GridWidth() const { return HorzAxis().Boundary; }
int TCustomGrid::GridHeight() const { return VertAxis().Boundary; }

TRect TCustomGrid::CellRect(int ACol, int ARow) const {
  TAxis h = HorzAxis(), v = VertAxis();
  int x = CellPos(h, true, ACol), y = CellPos(v, false, ARow);
  if (x < 0 || y < 0) return TRect();
  TRect r(x, y, x + Extent(true, ACol), y + Extent(false, ARow));
  r.Right = std::min(r.Right, h.Extent);
  r.Bottom = std::min(r.Bottom, v.Extent);
  return r;
}

TGridCoord TCustomGrid::MouseCoord(int X, int Y) const {
  return TGridCoord{CoordFromPos(HorzAxis(), true, X), CoordFromPos(VertAxis(), false, Y)};
}

void TCustomGrid::MouseToCell(int X, int Y, int& ACol, int& ARow) const {
  TGridCoord c = MouseCoord(X, Y);
  ACol = c.X;
  ARow = c.Y;
}

// ----- invalidation
void TCustomGrid::Invalidate() { TCustomControl::Invalidate(); }

void TCustomGrid::InvalidateGridRect(const TGridRect& R) {
  if (!HandleAllocated()) return;
  const TAxis& h = HorzAxis();
  const TAxis& v = VertAxis();
  // Lines out of view are passed over without counting pixels (a fill writes thousands of them).
  auto shown = [](const TAxis& a, int lo, int hi) {
    return lo < a.FixedCount || (hi >= a.First && lo <= a.LastVisible);
  };
  if (!shown(h, std::min(R.Left, R.Right), std::max(R.Left, R.Right)) ||
      !shown(v, std::min(R.Top, R.Bottom), std::max(R.Top, R.Bottom)))
    return;
  // The pixel span of the cells of [lo, hi] that are in view, lines included.
  auto span = [&](const TAxis& a, bool horz, int lo, int hi, int& from, int& to) {
    from = a.Extent;
    to = 0;
    int pos = 0;
    for (int i = 0; i < a.FixedCount && pos < a.Extent; ++i) {
      int end = pos + Extent(horz, i) + a.LineWidth;
      if (i >= lo && i <= hi) from = std::min(from, pos), to = std::max(to, end);
      pos = end;
    }
    pos = a.FixedBoundary;
    int first = std::max(a.First, lo), last = std::min(a.LastVisible, hi);
    for (int i = a.First; i <= last && pos < a.Extent; ++i) {
      int end = pos + Extent(horz, i) + a.LineWidth;
      if (i >= first) from = std::min(from, pos), to = std::max(to, end);
      pos = end;
    }
    return from < to;
  };
  int l, r, t, b;
  if (!span(h, true, std::min(R.Left, R.Right), std::max(R.Left, R.Right), l, r)) return;
  if (!span(v, false, std::min(R.Top, R.Bottom), std::max(R.Top, R.Bottom), t, b)) return;
  InvalidateRect(TRect(l, t, std::min(r, h.Extent), std::min(b, v.Extent)));
}

void TCustomGrid::InvalidateCell(int ACol, int ARow) { InvalidateGridRect({ACol, ARow, ACol, ARow}); }
void TCustomGrid::InvalidateRow(int ARow) { InvalidateGridRect({0, ARow, colCount_ - 1, ARow}); }
void TCustomGrid::InvalidateCol(int ACol) { InvalidateGridRect({ACol, 0, ACol, rowCount_ - 1}); }

// ----- selection and current cell
TGridRect TCustomGrid::Selection() const {
  TGridRect r{std::min(anchor_.X, current_.X), std::min(anchor_.Y, current_.Y), std::max(anchor_.X, current_.X),
              std::max(anchor_.Y, current_.Y)};
  if (options_ & goRowSelect) {
    r.Left = fixedCols_;
    r.Right = colCount_ - 1;
  }
  return r;
}

void TCustomGrid::SetSelection(const TGridRect& v) {
  TGridRect old = Selection();
  anchor_ = v.TopLeft();
  current_ = v.BottomRight();
  SelectionMoved(old);
}

void TCustomGrid::SelectionMoved(const TGridRect& OldSel) {
  InvalidateGridRect(OldSel);
  InvalidateGridRect(Selection());
  InvalidateCell(current_.X, current_.Y);
}

void TCustomGrid::SetCol(int v) {
  if (v != current_.X) FocusCell(v, current_.Y, true);
}

void TCustomGrid::SetRow(int v) {
  if (v != current_.Y) FocusCell(current_.X, v, true);
}

void TCustomGrid::FocusCell(int ACol, int ARow, bool MoveAnchor) {
  MoveCurrent(ACol, ARow, MoveAnchor, true);
  UpdateEdit();
  Click();
}

void TCustomGrid::MoveColRow(int ACol, int ARow, bool MoveAnchor, bool Show) { MoveCurrent(ACol, ARow, MoveAnchor, Show); }

void TCustomGrid::MoveCurrent(int ACol, int ARow, bool MoveAnchor, bool Show) {
  if (ACol < 0 || ARow < 0 || ACol >= colCount_ || ARow >= rowCount_)
    throw EInvalidGridOperation("Grid index out of range");
  // SelectCell may itself move the cell (a refused edit goes back to its cell); when it
  // refuses, this move ends here and leaves what it did in place.
  if (!SelectCell(ACol, ARow)) return;
  TGridRect old = Selection();
  bool moved = current_.X != ACol || current_.Y != ARow;
  if (moved && !(options_ & goAlwaysShowEditor)) HideEditor();
  current_ = {ACol, ARow};
  if (MoveAnchor || !(options_ & goRangeSelect)) anchor_ = current_;
  if (Show) ClampInView(current_);
  SelectionMoved(old);
  if (moved && editorMode_) UpdateEdit();
}

bool TCustomGrid::SelectCell(int ACol, int ARow) {
  bool can = true;
  FireEvent(OnSelectCell, this, ACol, ARow, can);
  return can;
}

// ----- scrolling
void TCustomGrid::SetLeftCol(int v) { MoveTopLeft(v, topLeft_.Y); }
void TCustomGrid::SetTopRow(int v) { MoveTopLeft(topLeft_.X, v); }

void TCustomGrid::MoveTopLeft(int ALeft, int ATop) {
  ALeft = std::clamp(ALeft, fixedCols_, std::max(fixedCols_, MaxLeftCol()));
  ATop = std::clamp(ATop, fixedRows_, std::max(fixedRows_, MaxTopRow()));
  if (ALeft == topLeft_.X && ATop == topLeft_.Y) return;
  TGridCoord old = topLeft_;
  int oldFixedBottom = VertAxis().FixedBoundary;
  topLeft_ = {ALeft, ATop};
  GeometryChanged();
  // A vertical scroll by a few rows moves the drawn rows below the fixed ones and paints only the
  // rows that come into view; anything else repaints the whole grid.
  QWidget* w = HandleAllocated() ? ClientWidget() : nullptr;
  int dy = 0;
  if (ALeft == old.X && w && w->isVisible() && CanScrollPaint() && std::abs(ATop - old.Y) < VisibleRowCount()) {
    for (int i = std::min(old.Y, ATop); i < std::max(old.Y, ATop); ++i) dy += RowHeights(i) + gridLineWidth_;
    if (ATop > old.Y) dy = -dy;
  }
  if (dy != 0 && VertAxis().FixedBoundary == oldFixedBottom) {
    // Only the cells move: what the grid's own panels cover below them stays.
    int top = oldFixedBottom, h = std::min(w->height(), VertAxis().Extent) - top;
    if (h > 0) w->scroll(0, dy, QRect(0, top, w->width(), h));
  } else {
    Invalidate();
  }
  UpdateScrollPos();
  TopLeftChanged();
}

void TCustomGrid::TopLeftChanged() {
  if (editorMode_) UpdateEditorPlace();
  FireEvent(OnTopLeftChanged, this);
}

void TCustomGrid::ClampInView(TGridCoord Coord) {
  if (!HandleAllocated() && Width() == 0) return;
  TAxis h = HorzAxis(), v = VertAxis();
  auto firstFor = [&](const TAxis& a, bool horz, int index) {
    int first = a.First;
    if (index < a.FixedCount) return first;
    if (index < a.First) return index;
    if (index > a.LastFullVisible) {
      // The first cell such that the cells up to index fit after the fixed ones.
      int avail = a.Extent - a.FixedBoundary;
      int i = index, used = Extent(horz, index) + a.LineWidth;
      while (i > a.FixedCount && used + Extent(horz, i - 1) + a.LineWidth <= avail) {
        used += Extent(horz, i - 1) + a.LineWidth;
        --i;
      }
      return std::max(i, a.First);
    }
    return first;
  };
  MoveTopLeft(firstFor(h, true, Coord.X), firstFor(v, false, Coord.Y));
}

void TCustomGrid::ClampAfterResize() {
  int maxLeft = std::max(fixedCols_, MaxLeftCol()), maxTop = std::max(fixedRows_, MaxTopRow());
  if (topLeft_.X > maxLeft || topLeft_.Y > maxTop) MoveTopLeft(std::min(topLeft_.X, maxLeft), std::min(topLeft_.Y, maxTop));
}

void TCustomGrid::UpdateScrollPos() {
  if (!HandleAllocated() || !ScrollFrameOf(this)) return;
  if (scrollBars_ == ssVertical || scrollBars_ == ssBoth) SetScrollPos(Handle(), SB_VERT, topLeft_.Y, true);
  if (scrollBars_ == ssHorizontal || scrollBars_ == ssBoth) SetScrollPos(Handle(), SB_HORZ, topLeft_.X, true);
}

void TCustomGrid::UpdateScrollRange() {
  TScrollFrame* f = ScrollFrameOf(this);
  if (!f || updatingScroll_) return;
  ++updatingScroll_;
  int b = borderStyle_ == bsSingle ? 2 : 0;
  int w = width_ - 2 * b, h = height_ - 2 * b;
  int barW = GetSystemMetrics(SM_CXVSCROLL), barH = GetSystemMetrics(SM_CYHSCROLL);
  bool allowV = scrollBars_ == ssVertical || scrollBars_ == ssBoth;
  bool allowH = scrollBars_ == ssHorizontal || scrollBars_ == ssBoth;
  bool needV = false, needH = false;
  const bool keepV = allowV && keepVert_, keepH = allowH && keepHorz_;
  // A bar takes room from the other axis; three rounds settle it.
  for (int round = 0; round < 3; ++round) {
    int cw = w - (needV || keepV ? barW : 0), ch = h - (needH || keepH ? barH : 0);
    bool nv = allowV && CalcMaxFirst(false, ch) > fixedRows_;
    bool nh = allowH && CalcMaxFirst(true, cw) > fixedCols_;
    if (nv == needV && nh == needH) break;
    needV = nv;
    needH = nh;
  }
  int cw = w - (needV || keepV ? barW : 0), ch = h - (needH || keepH ? barH : 0);
  auto apply = [&](int bar, bool need, int fixed, int count, int maxFirst, int first) {
    SCROLLINFO si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    if (!need && (bar == SB_VERT ? keepV : keepH)) si.fMask |= SIF_DISABLENOSCROLL;
    if (need) {
      si.nMin = fixed;
      si.nMax = proportionalThumbs_ ? count - 1 : maxFirst;
      si.nPage = proportionalThumbs_ ? static_cast<UINT>(count - maxFirst) : 0;
      si.nPos = std::min(first, maxFirst);
    }
    f->SetInfo(bar, si);
  };
  apply(SB_VERT, needV, fixedRows_, rowCount_, CalcMaxFirst(false, ch), topLeft_.Y);
  apply(SB_HORZ, needH, fixedCols_, colCount_, CalcMaxFirst(true, cw), topLeft_.X);
  --updatingScroll_;
  ClampAfterResize();
}

void TCustomGrid::SetProportionalThumbs(bool v) {
  if (proportionalThumbs_ == v) return;
  proportionalThumbs_ = v;
  UpdateScrollRange();
}

void TCustomGrid::SetScrollBarsKept(bool Vert, bool Horz) {
  if (keepVert_ == Vert && keepHorz_ == Horz) return;
  keepVert_ = Vert;
  keepHorz_ = Horz;
  UpdateScrollRange();
}

void TCustomGrid::ScrollBarMessage(bool Horz, TMessage& Message) {
  WORD code = static_cast<WORD>(Message.WParam & 0xFFFF);
  int pos = static_cast<int>((Message.WParam >> 16) & 0xFFFF);
  if (HandleAllocated() && (code == SB_THUMBTRACK || code == SB_THUMBPOSITION)) {
    // The message carries 16 bits; the bar knows the whole position.
    SCROLLINFO si;
    si.fMask = SIF_TRACKPOS;
    if (GetScrollInfo(Handle(), Horz ? SB_HORZ : SB_VERT, si) && (si.nTrackPos & 0xFFFF) == pos) pos = si.nTrackPos;
  }
  int first = Horz ? topLeft_.X : topLeft_.Y;
  int page = std::max(1, Horz ? VisibleColCount() : VisibleRowCount());
  int fixed = Horz ? fixedCols_ : fixedRows_;
  int target = first;
  switch (code) {
    case SB_LINEUP: target = first - 1; break;
    case SB_LINEDOWN: target = first + 1; break;
    case SB_PAGEUP: target = first - page; break;
    case SB_PAGEDOWN: target = first + page; break;
    case SB_THUMBPOSITION: target = pos; break;
    case SB_THUMBTRACK:
      if (!(options_ & goThumbTracking)) return;
      target = pos;
      break;
    case SB_TOP: target = fixed; break;
    case SB_BOTTOM: target = Horz ? MaxLeftCol() : MaxTopRow(); break;
    default: return;
  }
  if (Horz)
    MoveTopLeft(target, topLeft_.Y);
  else
    MoveTopLeft(topLeft_.X, target);
  UpdateScrollPos();
}

void TCustomGrid::WMVScroll(TMessage& Message) { ScrollBarMessage(false, Message); }
void TCustomGrid::WMHScroll(TMessage& Message) { ScrollBarMessage(true, Message); }

// ----- painting
TGridDrawState TCustomGrid::DrawStateOf(int ACol, int ARow, bool Focused, const TGridRect& Sel) const {
  if (ACol < fixedCols_ || ARow < fixedRows_) return gdFixed;
  TGridDrawState st = 0;
  bool current = ACol == current_.X && ARow == current_.Y;
  if (current && Focused) st |= gdFocused;
  bool rowSel = options_ & goRowSelect;
  if (ARow >= Sel.Top && ARow <= Sel.Bottom && (rowSel || (ACol >= Sel.Left && ACol <= Sel.Right))) {
    if (!current || (options_ & (goDrawFocusSelected | goRowSelect))) st |= gdSelected;
  }
  return st;
}

void TCustomGrid::PaintLines(const std::vector<std::pair<int, int>>& Cols, const std::vector<std::pair<int, int>>& Rows,
                             int FixedRight, int FixedBottom, int Right, int Bottom) {
  const int lw = gridLineWidth_;
  if (lw <= 0) return;
  TCanvas* c = Canvas();
  // One strip per line and kind of cell it passes, not one per cell.
  auto strip = [&](bool fixed, TGridOptions option, const TRect& r) {
    if (!(options_ & option) || r.Right <= r.Left || r.Bottom <= r.Top) return;
    c->Brush()->SetColor(fixed ? kFixedLineColor : kLineColor);
    c->FillRect(r);
  };
  for (const auto& [col, x] : Cols) {
    int lx = x + Extent(true, col);
    bool fixedCol = col < fixedCols_;
    strip(true, goFixedVertLine, TRect(lx, 0, lx + lw, FixedBottom));
    strip(fixedCol, fixedCol ? goFixedVertLine : goVertLine, TRect(lx, FixedBottom, lx + lw, Bottom));
  }
  for (const auto& [row, y] : Rows) {
    int ly = y + Extent(false, row);
    bool fixedRow = row < fixedRows_;
    strip(true, goFixedHorzLine, TRect(0, ly, FixedRight, ly + lw));
    strip(fixedRow, fixedRow ? goFixedHorzLine : goHorzLine, TRect(FixedRight, ly, Right, ly + lw));
  }
}

void TCustomGrid::Paint() {
  TCanvas* c = Canvas();
  TRect client = ClientRect();
  const TAxis h = HorzAxis(), v = VertAxis();
  bool focused = IsActiveControl();
  TGridRect sel = Selection();
  bool editorShown = editor_ && editor_->Visible();
  // The rows (columns) in view with their positions: the fixed ones, then the scrolling ones.
  auto lines = [&](const TAxis& a, bool horz, std::vector<std::pair<int, int>>& out) {
    int pos = 0;
    for (int i = 0; i < a.FixedCount && pos < a.Extent; ++i) {
      out.push_back({i, pos});
      pos += Extent(horz, i) + a.LineWidth;
    }
    pos = a.FixedBoundary;
    for (int i = a.First; i <= a.LastVisible && pos < a.Extent; ++i) {
      out.push_back({i, pos});
      pos += Extent(horz, i) + a.LineWidth;
    }
  };
  std::vector<std::pair<int, int>> cols, rows;
  cols.reserve(64);
  rows.reserve(128);
  lines(h, true, cols);
  lines(v, false, rows);

  // The cells meeting the area being repainted: a row is tested first, then its cells
  // against the parts of the area that meet the row.
  struct TCellToDraw {
    int Col, Row;
    TRect Rect;
    TGridDrawState State;
  };
  std::vector<TCellToDraw> todo;
  todo.reserve(cols.size() * rows.size());
  const std::vector<TRect>& area = UpdateRects();
  std::vector<TRect> rowArea;
  auto meets = [](const TRect& a, const TRect& b) {
    return a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom;
  };
  for (const auto& [row, y] : rows) {
    int rh = Extent(false, row);
    TRect band(0, y, client.Right, y + rh + v.LineWidth);
    rowArea.clear();
    for (const TRect& r : area)
      if (meets(r, band)) rowArea.push_back(r);
    if (!area.empty() && rowArea.empty()) continue;
    for (const auto& [col, x] : cols) {
      int cw = Extent(true, col);
      TRect withLines(x, y, x + cw + h.LineWidth, y + rh + v.LineWidth);
      bool wanted = area.empty();
      for (size_t i = 0; i < rowArea.size() && !wanted; ++i) wanted = meets(rowArea[i], withLines);
      if (wanted) todo.push_back({col, row, TRect(x, y, x + cw, y + rh), DrawStateOf(col, row, focused, sel)});
    }
  }

  TColor fontColor = Font()->Color();
  if (defaultDrawing_) {
    // Backgrounds first, neighbours of one colour in one fill (over the lines between
    // them), then the lines, then the cells' contents over both.
    auto back = [&](TGridDrawState st) {
      return (st & gdFixed) ? fixedColor_ : (st & gdSelected) ? TColor(clHighlight) : color_;
    };
    for (size_t i = 0; i < todo.size();) {
      size_t j = i;
      TColor colour = back(todo[i].State);
      while (j + 1 < todo.size() && todo[j + 1].Row == todo[i].Row && todo[j + 1].Col == todo[j].Col + 1 &&
             back(todo[j + 1].State) == colour)
        ++j;
      c->Brush()->SetColor(colour);
      c->FillRect(TRect(todo[i].Rect.Left, todo[i].Rect.Top, todo[j].Rect.Right, todo[i].Rect.Bottom));
      i = j + 1;
    }
    PaintLines(cols, rows, h.FixedBoundary, v.FixedBoundary, h.Boundary, v.Boundary);
  }
  for (const TCellToDraw& d : todo) {
    bool fixed = d.State & gdFixed;
    if (defaultDrawing_) {
      c->Brush()->SetColor(fixed ? fixedColor_ : (d.State & gdSelected) ? TColor(clHighlight) : color_);
      c->Font()->SetColor((d.State & gdSelected) ? clHighlightText : fontColor);
    }
    DrawCell(d.Col, d.Row, d.Rect, d.State);
    if (defaultDrawing_) {
      bool editing = editorShown && d.Col == inplaceCol_ && d.Row == inplaceRow_;
      if ((d.State & gdFocused) && !(options_ & goRowSelect) && !editing) c->DrawFocusRect(d.Rect);
    }
  }
  if (defaultDrawing_ && ctl3D_) {
    // The raised inner edge of the fixed cells, over their contents: the light top and left
    // sides of all of them, then the shadowed bottom and right sides (which take the corners).
    for (int pass = 0; pass < 2; ++pass) {
      c->Brush()->SetColor(pass == 0 ? clBtnHighlight : clBtnShadow);
      for (const TCellToDraw& d : todo) {
        if (!(d.State & gdFixed)) continue;
        const TRect& r = d.Rect;
        if (r.Right <= r.Left || r.Bottom <= r.Top) continue;
        if (pass == 0) {
          c->FillRect(TRect(r.Left, r.Top, r.Right, r.Top + 1));
          c->FillRect(TRect(r.Left, r.Top, r.Left + 1, r.Bottom));
        } else {
          c->FillRect(TRect(r.Left, r.Bottom - 1, r.Right, r.Bottom));
          c->FillRect(TRect(r.Right - 1, r.Top, r.Right, r.Bottom));
        }
      }
    }
  }
  // What lies beyond the last column and row shows the grid's colour.
  c->Brush()->SetColor(color_);
  if (h.Boundary < client.Right) c->FillRect(TRect(h.Boundary, 0, client.Right, client.Bottom));
  if (v.Boundary < client.Bottom) c->FillRect(TRect(0, v.Boundary, std::min(h.Boundary, client.Right), client.Bottom));
}

void TCustomGrid::DrawCell(int, int, const TRect&, TGridDrawState) {}

// ----- editing
void TCustomGrid::SetEditorMode(bool v) {
  if (v)
    ShowEditor();
  else
    HideEditor();
}

void TCustomGrid::ShowEditor() {
  editorMode_ = true;
  UpdateEdit();
}

void TCustomGrid::HideEditor() {
  editorMode_ = false;
  HideEdit();
}

bool TCustomGrid::CanEditShow() {
  if (!(options_ & goEditing) || (options_ & goRowSelect) || !editorMode_ || !HandleAllocated()) return false;
  if (current_.X < fixedCols_ || current_.Y < fixedRows_ || current_.X >= colCount_ || current_.Y >= rowCount_)
    return false;
  return IsActiveControl() || (options_ & goAlwaysShowEditor);
}

TInplaceEdit* TCustomGrid::CreateEditor() { return new TInplaceEdit(this); }

void TCustomGrid::UpdateEdit() {
  if (!CanEditShow()) return;
  bool load = false;
  if (!editor_) {
    editor_ = CreateEditor();
    editor_->SetGrid(this);
    editor_->SetParent(this);
    load = true;
  } else if (current_.X != inplaceCol_ || current_.Y != inplaceRow_ || !editor_->Visible()) {
    HideEdit();
    load = true;
  }
  if (load) {
    inplaceCol_ = current_.X;
    inplaceRow_ = current_.Y;
    editor_->UpdateContents();
    editor_->SelectAll();
  }
  if (!CanEditShow()) return;  // a handler asked while loading may have changed the grid
  editor_->Move(CellRect(current_.X, current_.Y));
  if (editor_->Visible() && IsActiveControl() && !editor_->Focused() && editor_->CanFocus()) editor_->SetFocus();
}

void TCustomGrid::HideEdit() {
  if (!editor_ || !editor_->Visible()) {
    inplaceCol_ = inplaceRow_ = -1;
    return;
  }
  // The final text reaches the cell once more as the editor closes.
  if (inplaceCol_ >= 0 && inplaceRow_ >= 0 && inplaceCol_ < colCount_ && inplaceRow_ < rowCount_)
    SetEditText(inplaceCol_, inplaceRow_, editor_->Text());
  inplaceCol_ = inplaceRow_ = -1;
  editor_->HideEdit();
  InvalidateCell(current_.X, current_.Y);
}

void TCustomGrid::InvalidateEditor() {
  inplaceCol_ = inplaceRow_ = -1;
  if (editor_ && editor_->Visible()) {
    // Through HideEdit: the grid holds the focus meanwhile, else it would jump to the next control.
    editor_->HideEdit();
    UpdateEdit();
  } else {
    UpdateEdit();
  }
}

void TCustomGrid::UpdateEditorPlace() {
  // Also brings back an editor whose cell was scrolled out of view and returns.
  if (editor_ && editorMode_ && inplaceCol_ >= 0) editor_->UpdateLoc(CellRect(inplaceCol_, inplaceRow_));
}

void TCustomGrid::ShowEditorChar(char32_t Ch) {
  ShowEditor();
  if (editor_ && editor_->Visible()) editor_->Perform(WM_CHAR, Ch, 0);
}

std::string TCustomGrid::GetEditText(int ACol, int ARow) {
  std::string v;
  if (OnGetEditText) OnGetEditText(this, ACol, ARow, v);
  return v;
}

void TCustomGrid::SetEditText(int ACol, int ARow, const std::string& Value) {
  FireEvent(OnSetEditText, this, ACol, ARow, Value);
}

std::string TCustomGrid::GetEditMask(int ACol, int ARow) {
  std::string v;
  if (OnGetEditMask) OnGetEditMask(this, ACol, ARow, v);
  return v;
}

bool TCustomGrid::IsActiveControl() const {
  if (peer_ && peer_->hasFocus()) return true;
  if (editor_ && editor_->Peer() && editor_->Peer()->hasFocus()) return true;
  TCustomForm* f = GetParentForm(this);
  if (!f || !f->Active()) return false;
  TWinControl* a = f->ActiveControl();
  return a && (a == this || a == editor_);
}

// ----- moving and deleting lines
namespace {
// The item at From goes to To and those between shift, as in a list.
template <class V>
void RotateItem(V& v, int From, int To) {
  auto f = v.begin() + From, t = v.begin() + To;
  From < To ? std::rotate(f, f + 1, t + 1) : std::rotate(t, f, f + 1);
}
// Where an index ends up after such a move.
void FollowMove(int& i, int From, int To) {
  if (i == From) i = To;
  else if (From < To && i > From && i <= To) --i;
  else if (From > To && i >= To && i < From) ++i;
}
}  // namespace

void TCustomGrid::MoveColumn(int FromIndex, int ToIndex) { MoveLine(false, FromIndex, ToIndex); }
void TCustomGrid::MoveRow(int FromIndex, int ToIndex) { MoveLine(true, FromIndex, ToIndex); }

void TCustomGrid::MoveLine(bool IsRow, int FromIndex, int ToIndex) {
  int count = IsRow ? rowCount_ : colCount_;
  if (FromIndex < 0 || ToIndex < 0 || FromIndex >= count || ToIndex >= count)
    throw EInvalidGridOperation("Grid index out of range");
  if (FromIndex == ToIndex) return;
  RotateItem(IsRow ? rowHeights_ : colWidths_, FromIndex, ToIndex);
  GeometryChanged();
  if (!IsRow) RotateItem(tabStops_, FromIndex, ToIndex);
  FollowMove(IsRow ? current_.Y : current_.X, FromIndex, ToIndex);
  FollowMove(IsRow ? anchor_.Y : anchor_.X, FromIndex, ToIndex);
  // The open editor stays with the cell it was loaded from: its text goes nowhere else.
  if (inplaceCol_ >= 0 && inplaceRow_ >= 0) FollowMove(IsRow ? inplaceRow_ : inplaceCol_, FromIndex, ToIndex);
  MoveLineData(IsRow, FromIndex, ToIndex);
  if (IsRow) {
    RowMoved(FromIndex, ToIndex);
    RowHeightsChanged();
  } else {
    ColumnMoved(FromIndex, ToIndex);
    ColWidthsChanged();
  }
  if (editorMode_) UpdateEditorPlace();
}

void TCustomGrid::MoveRowBlock(int FromIndex, int Count, int ToIndex) {
  if (Count <= 0 || FromIndex == ToIndex) return;
  if (FromIndex < 0 || ToIndex < 0 || FromIndex + Count > rowCount_ || ToIndex + Count > rowCount_)
    throw EInvalidGridOperation("Grid index out of range");
  auto b = rowHeights_.begin();
  if (FromIndex < ToIndex)
    std::rotate(b + FromIndex, b + FromIndex + Count, b + ToIndex + Count);
  else
    std::rotate(b + ToIndex, b + FromIndex, b + FromIndex + Count);
  GeometryChanged();
  // Where a row ends up: inside the block it moves with it, between the two places it shifts.
  auto follow = [&](int& i) {
    if (i >= FromIndex && i < FromIndex + Count) i += ToIndex - FromIndex;
    else if (FromIndex < ToIndex && i >= FromIndex + Count && i < ToIndex + Count) i -= Count;
    else if (FromIndex > ToIndex && i >= ToIndex && i < FromIndex) i += Count;
  };
  FollowRows(follow);
  MoveRowBlockData(FromIndex, Count, ToIndex);
  RowHeightsChanged();
  if (editorMode_) UpdateEditorPlace();
}

void TCustomGrid::ExchangeRows(int ARow1, int ARow2) {
  if (ARow1 < 0 || ARow2 < 0 || ARow1 >= rowCount_ || ARow2 >= rowCount_)
    throw EInvalidGridOperation("Grid index out of range");
  if (ARow1 == ARow2) return;
  int& h1 = rowHeights_[static_cast<size_t>(ARow1)];
  int& h2 = rowHeights_[static_cast<size_t>(ARow2)];
  // The total height stays: only the positions of the rows between change.
  if (h1 != h2) {
    std::swap(h1, h2);
    GeometryChanged();
    Invalidate();
  }
  // The editor stays with the cell it was loaded from; the current cell keeps its index.
  if (inplaceCol_ >= 0 && inplaceRow_ >= 0)
    inplaceRow_ = inplaceRow_ == ARow1 ? ARow2 : inplaceRow_ == ARow2 ? ARow1 : inplaceRow_;
  ExchangeRowData(ARow1, ARow2);
  if (editorMode_) UpdateEditorPlace();
}

void TCustomGrid::FollowRows(const std::function<void(int&)>& Follow) {
  Follow(current_.Y);
  Follow(anchor_.Y);
  if (inplaceCol_ >= 0 && inplaceRow_ >= 0) Follow(inplaceRow_);
}

void TCustomGrid::PermuteRows(int Lo, const std::vector<int>& Order) {
  const int n = static_cast<int>(Order.size());
  if (n == 0) return;
  if (Lo < 0 || Lo + n > rowCount_) throw EInvalidGridOperation("Grid index out of range");
  // Where each row goes; a repeated or outside entry is no permutation.
  std::vector<int> to(static_cast<size_t>(n), -1);
  for (int k = 0; k < n; ++k) {
    const int from = Order[static_cast<size_t>(k)] - Lo;
    if (from < 0 || from >= n || to[static_cast<size_t>(from)] >= 0) throw EInvalidGridOperation("Grid index out of range");
    to[static_cast<size_t>(from)] = Lo + k;
  }
  std::vector<int> heights(static_cast<size_t>(n));
  for (int k = 0; k < n; ++k) heights[static_cast<size_t>(k)] = rowHeights_[static_cast<size_t>(Order[static_cast<size_t>(k)])];
  std::copy(heights.begin(), heights.end(), rowHeights_.begin() + Lo);
  GeometryChanged();
  auto follow = [&](int& i) {
    if (i >= Lo && i < Lo + n) i = to[static_cast<size_t>(i - Lo)];
  };
  FollowRows(follow);
  PermuteRowData(Lo, Order);
  RowHeightsChanged();
  if (editorMode_) UpdateEditorPlace();
}

namespace {
// Ascending, distinct and inside 0 .. Count - 1.
bool IsRowSet(const std::vector<int>& Rows, int Count) {
  if (Rows.front() < 0 || Rows.back() >= Count) return false;
  return std::adjacent_find(Rows.begin(), Rows.end(), std::greater_equal<int>()) == Rows.end();
}
}  // namespace

void TCustomGrid::CloseUpRows(const std::vector<int>& Rows) {
  if (Rows.empty()) return;
  if (!IsRowSet(Rows, rowCount_)) throw EInvalidGridOperation("Grid index out of range");
  const int n = rowCount_, m = static_cast<int>(Rows.size()), last = n - m;
  GeometryChanged();
  // Row i's new place: a kept row falls by the listed rows above it, the k-th listed goes to last + k.
  auto follow = [&](int& i) {
    if (i < Rows.front() || i >= n) return;
    const auto k = static_cast<int>(std::lower_bound(Rows.begin(), Rows.end(), i) - Rows.begin());
    i = k < m && Rows[static_cast<size_t>(k)] == i ? last + k : i - k;
  };
  FollowRows(follow);
  // Each kept row past the first listed trades places with the listed row at the front of the
  // gap, so the gap travels down and collects the listed rows.
  int w = Rows.front();
  for (int k = 0; k < m; ++k) {
    const int end = k + 1 < m ? Rows[static_cast<size_t>(k) + 1] : n;
    for (int r = Rows[static_cast<size_t>(k)] + 1; r < end; ++r, ++w) {
      std::swap(rowHeights_[static_cast<size_t>(w)], rowHeights_[static_cast<size_t>(r)]);
      ExchangeRowData(w, r);
    }
  }
  RowHeightsChanged();
  if (editorMode_) UpdateEditorPlace();
}

void TCustomGrid::OpenUpRows(const std::vector<int>& Rows) {
  if (Rows.empty()) return;
  if (!IsRowSet(Rows, rowCount_)) throw EInvalidGridOperation("Grid index out of range");
  const int n = rowCount_, m = static_cast<int>(Rows.size()), old = n - m;
  GeometryChanged();
  // A kept row i rises by the places listed below its new place (Rows[k] - k never falls); the
  // k-th row from old goes to the k-th place.
  auto follow = [&](int& i) {
    if (i < Rows.front() || i >= n) return;
    if (i >= old) {
      i = Rows[static_cast<size_t>(i - old)];
      return;
    }
    int k = 0;
    for (int lo = 0, hi = m; lo < hi;) {
      const int mid = lo + (hi - lo) / 2;
      if (Rows[static_cast<size_t>(mid)] - mid <= i) lo = k = mid + 1;
      else hi = mid;
    }
    i += k;
  };
  FollowRows(follow);
  // From the bottom up each kept row trades places with what stands at its new place; the rows
  // from the end travel up into the places listed.
  for (int k = m - 1; k >= 0; --k) {
    const int end = k + 1 < m ? Rows[static_cast<size_t>(k) + 1] : n;
    for (int p = end - 1; p > Rows[static_cast<size_t>(k)]; --p) {
      const int from = p - k - 1;
      std::swap(rowHeights_[static_cast<size_t>(p)], rowHeights_[static_cast<size_t>(from)]);
      ExchangeRowData(p, from);
    }
  }
  RowHeightsChanged();
  if (editorMode_) UpdateEditorPlace();
}

void TCustomGrid::PermuteRowData(int Lo, const std::vector<int>& Order) {
  PermuteBySwaps(Lo, Order, [this](int A, int B) { ExchangeRowData(A, B); });
}

void TCustomGrid::MoveRowBlockData(int FromIndex, int Count, int ToIndex) {
  if (FromIndex < ToIndex)
    for (int i = 0; i < Count; ++i) MoveLineData(true, FromIndex, ToIndex + Count - 1);
  else
    for (int i = 0; i < Count; ++i) MoveLineData(true, FromIndex + i, ToIndex + i);
}

void TCustomGrid::ColumnMoved(int FromIndex, int ToIndex) {
  FireEvent(OnColumnMoved, this, FromIndex, ToIndex);
}

void TCustomGrid::RowMoved(int FromIndex, int ToIndex) {
  FireEvent(OnRowMoved, this, FromIndex, ToIndex);
}

void TCustomGrid::DeleteRow(int ARow) {
  if (ARow < 0 || ARow >= rowCount_) throw EInvalidGridOperation("Grid index out of range");
  MoveRow(ARow, rowCount_ - 1);
  // The deleted row's data goes with it instead of waiting past the count to come back.
  ClearLineData(true, rowCount_ - 1);
  SetRowCount(rowCount_ - 1);
}

void TCustomGrid::DeleteColumn(int ACol) {
  if (ACol < 0 || ACol >= colCount_) throw EInvalidGridOperation("Grid index out of range");
  MoveColumn(ACol, colCount_ - 1);
  ClearLineData(false, colCount_ - 1);
  SetColCount(colCount_ - 1);
}

// ----- keys
void TCustomGrid::KeyDown(WORD& Key, TShiftState Shift) {
  TCustomControl::KeyDown(Key, Shift);
  if (Key == 0) return;
  bool ctrl = Shift & ssCtrl, rowSel = options_ & goRowSelect;
  TGridCoord tl = topLeft_, cur = current_;
  int pageH = std::max(1, VisibleRowCount()), pageW = std::max(1, VisibleColCount());
  bool moveAnchor = !(Shift & ssShift);
  if (ctrl) {
    switch (Key) {
      case VK_UP: --tl.Y; break;
      case VK_DOWN: ++tl.Y; break;
      case VK_LEFT:
        if (!rowSel) cur.X -= pageW, tl.X -= pageW;
        break;
      case VK_RIGHT:
        if (!rowSel) cur.X += pageW, tl.X += pageW;
        break;
      case VK_PRIOR: cur.Y = topLeft_.Y; break;
      case VK_NEXT: cur.Y = topLeft_.Y + pageH - 1; break;
      case VK_HOME: cur = {fixedCols_, fixedRows_}; break;
      case VK_END: cur = {colCount_ - 1, rowCount_ - 1}; break;
      default: return;
    }
  } else {
    switch (Key) {
      case VK_UP: --cur.Y; break;
      case VK_DOWN: ++cur.Y; break;
      case VK_LEFT:
        if (rowSel) --tl.X;
        else --cur.X;
        break;
      case VK_RIGHT:
        if (rowSel) ++tl.X;
        else ++cur.X;
        break;
      case VK_NEXT: cur.Y += pageH, tl.Y += pageH; break;
      case VK_PRIOR: cur.Y -= pageH, tl.Y -= pageH; break;
      case VK_HOME:
        if (rowSel) cur.Y = fixedRows_;
        else cur.X = fixedCols_;
        break;
      case VK_END:
        if (rowSel) cur.Y = rowCount_ - 1;
        else cur.X = colCount_ - 1;
        break;
      case VK_TAB:
        if (!(options_ & goTabs) || (Shift & ssAlt)) return;
        // The grid walks with it: the window system must not move the focus on as well.
        Key = 0;
        moveAnchor = true;
        {
          int c = std::clamp(cur.X, fixedCols_, colCount_ - 1), r = std::clamp(cur.Y, fixedRows_, rowCount_ - 1);
          int startC = c, startR = r;
          do {
            if (Shift & ssShift) {
              if (--c < fixedCols_) {
                c = colCount_ - 1;
                if (--r < fixedRows_) r = rowCount_ - 1;
              }
            } else if (++c >= colCount_) {
              c = fixedCols_;
              if (++r >= rowCount_) r = fixedRows_;
            }
          } while (!tabStops_[static_cast<size_t>(c)] && !(c == startC && r == startR));
          cur = {c, r};
        }
        break;
      case VK_F2: SetEditorMode(true); return;
      case VK_ESCAPE:
        if (editorMode_ && !(options_ & goAlwaysShowEditor)) HideEditor();
        return;
      default: return;
    }
  }
  tl.X = std::clamp(tl.X, fixedCols_, std::max(fixedCols_, MaxLeftCol()));
  tl.Y = std::clamp(tl.Y, fixedRows_, std::max(fixedRows_, MaxTopRow()));
  cur.X = std::clamp(cur.X, fixedCols_, colCount_ - 1);
  cur.Y = std::clamp(cur.Y, fixedRows_, rowCount_ - 1);
  if (!(tl == topLeft_)) MoveTopLeft(tl.X, tl.Y);
  if (!(cur == current_)) FocusCell(cur.X, cur.Y, moveAnchor);
}

void TCustomGrid::KeyUp(WORD& Key, TShiftState Shift) { TCustomControl::KeyUp(Key, Shift); }

void TCustomGrid::KeyPress(char& Key) {
  TCustomControl::KeyPress(Key);
  if (Key == '\r' && !(options_ & goAlwaysShowEditor)) {
    if (editorMode_)
      HideEditor();
    else
      ShowEditor();
    Key = 0;
  }
}

void TCustomGrid::WMChar(TMessage& Message) {
  auto ch = static_cast<char32_t>(Message.WParam);
  TShiftState s = KeyboardStateToShiftState();
  bool command = (s & ssCtrl) && !(s & ssAlt);
  // A typed character opens the editor holding it.
  if ((options_ & goEditing) && !(options_ & goRowSelect) && !command && (ch == 8 || ch >= 32) && ch != 0x7F) {
    ShowEditorChar(ch);
    if (editor_ && editor_->Visible()) {
      Message.Result = 1;
      return;
    }
  }
  TCustomControl::WMChar(Message);
}

void TCustomGrid::WMGetDlgCode(TMessage& Message) {
  Message.Result = DLGC_WANTARROWS;
  if (options_ & goRowSelect) return;
  if (options_ & goTabs) Message.Result |= DLGC_WANTTAB;
  if (options_ & goEditing) Message.Result |= DLGC_WANTCHARS;
}

// ----- mouse
void TCustomGrid::CalcSizingState(int X, int Y, TGridState& State, int& Index, int& SizingPos, int& SizingOfs) {
  State = gsNormal;
  Index = -1;
  TAxis h = HorzAxis(), v = VertAxis();
  // The border nearest to a position along an axis: its index and where it lies.
  auto border = [&](const TAxis& a, bool horz, int pos, int& index, int& at) {
    int p = 0;
    auto test = [&](int i) {
      int end = p + Extent(horz, i);
      if (pos >= end - kSizingMargin && pos <= end + a.LineWidth + kSizingMargin - 1) {
        index = i;
        at = end;
        return true;
      }
      p = end + a.LineWidth;
      return false;
    };
    for (int i = 0; i < a.FixedCount && p < a.Extent; ++i)
      if (test(i)) return true;
    p = a.FixedBoundary;
    for (int i = a.First; i <= a.LastVisible && p < a.Extent; ++i)
      if (test(i)) return true;
    return false;
  };
  if ((options_ & goColSizing) && Y >= 0 && Y < v.FixedBoundary) {
    int i, at;
    if (border(h, true, X, i, at)) {
      State = gsColSizing;
      Index = i;
      SizingPos = at;
      SizingOfs = at - X;
      return;
    }
  }
  if ((options_ & goRowSizing) && X >= 0 && X < h.FixedBoundary) {
    int i, at;
    if (border(v, false, Y, i, at)) {
      State = gsRowSizing;
      Index = i;
      SizingPos = at;
      SizingOfs = at - Y;
    }
  }
}

void TCustomGrid::DrawSizingLine(bool Show) {
  if (!Show) return feedback_->Clear();
  TRect c = ClientRect();
  if (gridState_ == gsColSizing)
    feedback_->SetMarks({TRect(sizingPos_, 0, sizingPos_ + 1, c.Bottom)});
  else
    feedback_->SetMarks({TRect(0, sizingPos_, c.Right, sizingPos_ + 1)});
}

void TCustomGrid::DrawMoveMark(bool Show) {
  if (!Show) return feedback_->Clear();
  TRect r = gridState_ == gsColMoving ? CellRect(movePos_, 0) : CellRect(0, movePos_);
  TRect c = ClientRect();
  if (gridState_ == gsColMoving) {
    int x = movePos_ > moveIndex_ ? r.Right : r.Left;
    feedback_->SetMarks({TRect(x - 1, 0, x + 1, c.Bottom)});
  } else {
    int y = movePos_ > moveIndex_ ? r.Bottom : r.Top;
    feedback_->SetMarks({TRect(0, y - 1, c.Right, y + 1)});
  }
}

void TCustomGrid::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  lastMouse_ = TPoint(X, Y);
  selectHeld_ = false;
  std::shared_ptr<bool> alive = AliveFlag();
  if (!IsActiveControl() && CanFocus() && ParentForm() && ParentForm()->Visible()) SetFocus();
  if (Button == mbLeft && !(Shift & ssDouble) && gridState_ == gsNormal) {
    int index, pos, ofs;
    TGridState st;
    CalcSizingState(X, Y, st, index, pos, ofs);
    if (st != gsNormal) {
      gridState_ = st;
      sizingIndex_ = index;
      sizingPos_ = pos;
      sizingOfs_ = ofs;
      TRect start = st == gsColSizing ? CellRect(index, 0) : CellRect(0, index);
      sizingStart_ = st == gsColSizing ? pos - ColWidths(index) : pos - RowHeights(index);
      (void)start;
      if (HandleAllocated()) SetCapture(Handle());
      DrawSizingLine(true);
    } else {
      TGridCoord cell = MouseCoord(X, Y);
      if (cell.X >= 0 && cell.Y >= 0) {
        bool fixedRow = cell.Y < fixedRows_, fixedCol = cell.X < fixedCols_;
        if (fixedRow || fixedCol) {
          if ((options_ & goColMoving) && fixedRow && !fixedCol) {
            gridState_ = gsColMoving;
            moveIndex_ = movePos_ = cell.X;
          } else if ((options_ & goRowMoving) && fixedCol && !fixedRow) {
            gridState_ = gsRowMoving;
            moveIndex_ = movePos_ = cell.Y;
          }
          if (gridState_ != gsNormal) {
            if (HandleAllocated()) SetCapture(Handle());
            DrawMoveMark(true);
          }
        } else if ((options_ & goEditing) && cell == current_ && !(Shift & ssShift)) {
          ShowEditor();
        } else {
          MoveCurrent(cell.X, cell.Y, !((Shift & ssShift) && (options_ & goRangeSelect)), true);
          if (!*alive) return;
          UpdateEdit();
          // A refused move (SelectCell may have gone elsewhere itself) starts no selecting drag.
          if (cell == current_ || (options_ & goRowSelect && cell.Y == current_.Y)) {
            gridState_ = gsSelecting;
            if (HandleAllocated()) SetTimer(Handle(), kSelectTimer, 60);
          }
        }
      }
    }
  }
  if (!*alive) return;
  TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TCustomGrid::MouseMove(TShiftState Shift, int X, int Y) {
  lastMouse_ = TPoint(X, Y);
  switch (gridState_) {
    case gsSelecting: {
      if (selectHeld_) break;
      TGridCoord cell = MouseCoord(X, Y);
      if (cell.X >= fixedCols_ && cell.Y >= fixedRows_ && LeavesCurrentCell(cell))
        MoveCurrent(cell.X, cell.Y, !(options_ & goRangeSelect), false);
      break;
    }
    case gsColSizing:
    case gsRowSizing:
      sizingPos_ = (gridState_ == gsColSizing ? X : Y) + sizingOfs_;
      DrawSizingLine(true);
      break;
    case gsColMoving:
    case gsRowMoving: {
      TGridCoord cell = MouseCoord(X, Y);
      int i = gridState_ == gsColMoving ? cell.X : cell.Y;
      int fixed = gridState_ == gsColMoving ? fixedCols_ : fixedRows_;
      if (i >= fixed && i != movePos_) {
        movePos_ = i;
        DrawMoveMark(true);
      }
      break;
    }
    default:
      break;
  }
  TCustomControl::MouseMove(Shift, X, Y);
}

void TCustomGrid::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  lastMouse_ = TPoint(X, Y);
  std::shared_ptr<bool> alive = AliveFlag();
  TGridState st = gridState_;
  switch (st) {
    case gsSelecting:
      MouseMove(Shift, X, Y);
      if (!*alive) return;
      gridState_ = gsNormal;
      if (HandleAllocated()) KillTimer(Handle(), kSelectTimer);
      UpdateEdit();
      Click();
      if (!*alive) return;
      break;
    case gsColSizing:
    case gsRowSizing: {
      sizingPos_ = (st == gsColSizing ? X : Y) + sizingOfs_;
      DrawSizingLine(false);
      gridState_ = gsNormal;
      ReleaseCapture();
      // The new size is applied once, at the release.
      int size = std::max(1, sizingPos_ - sizingStart_);
      if (st == gsColSizing && sizingIndex_ < colCount_)
        SetColWidths(sizingIndex_, size);
      else if (st == gsRowSizing && sizingIndex_ < rowCount_)
        SetRowHeights(sizingIndex_, size);
      break;
    }
    case gsColMoving:
    case gsRowMoving:
      DrawMoveMark(false);
      gridState_ = gsNormal;
      ReleaseCapture();
      if (movePos_ != moveIndex_) {
        if (st == gsColMoving)
          MoveColumn(moveIndex_, movePos_);
        else
          MoveRow(moveIndex_, movePos_);
      }
      break;
    default:
      break;
  }
  gridState_ = gsNormal;
  if (!*alive) return;
  TCustomControl::MouseUp(Button, Shift, X, Y);
}

void TCustomGrid::CancelMouseMode() {
  if (gridState_ == gsNormal) return;
  if (gridState_ == gsColSizing || gridState_ == gsRowSizing) DrawSizingLine(false);
  if (gridState_ == gsColMoving || gridState_ == gsRowMoving) feedback_->Clear();
  if (HandleAllocated()) KillTimer(Handle(), kSelectTimer);
  gridState_ = gsNormal;
  if (GetCaptureControl() == this) ReleaseCapture();
}

bool TCustomGrid::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) {
  bool handled = false;
  FireEvent(OnMouseWheel, this, Shift, WheelDelta, MousePos, handled);
  if (handled) return true;
  int notches = std::max(1, std::abs(WheelDelta) / 120);
  for (int i = 0; i < notches && WheelDelta != 0; ++i)
    handled = (WheelDelta < 0 ? DoMouseWheelDown(Shift, MousePos) : DoMouseWheelUp(Shift, MousePos)) || handled;
  return handled;
}

bool TCustomGrid::DoMouseWheelDown(TShiftState Shift, TPoint MousePos) {
  bool handled = false;
  FireEvent(OnMouseWheelDown, this, Shift, MousePos, handled);
  if (handled) return true;
  if (current_.Y >= fixedRows_ && current_.Y < rowCount_ - 1) SetRow(current_.Y + 1);
  return true;
}

bool TCustomGrid::DoMouseWheelUp(TShiftState Shift, TPoint MousePos) {
  bool handled = false;
  FireEvent(OnMouseWheelUp, this, Shift, MousePos, handled);
  if (handled) return true;
  if (current_.Y > fixedRows_ && current_.Y < rowCount_) SetRow(current_.Y - 1);
  return true;
}

// ----- messages
void TCustomGrid::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_VSCROLL: WMVScroll(Message); break;
    case WM_HSCROLL: WMHScroll(Message); break;
    case WM_TIMER: WMTimer(Message); break;
    case WM_SETCURSOR: WMSetCursor(Message); break;
    case WM_CANCELMODE: WMCancelMode(Message); break;
    default: TCustomControl::WndProc(Message);
  }
}

void TCustomGrid::WMTimer(TMessage& Message) {
  if (Message.WParam != kSelectTimer || gridState_ != gsSelecting || selectHeld_) return;
  // While the mouse selects beyond the cells, the grid scrolls towards it.
  TAxis h = HorzAxis(), v = VertAxis();
  int dx = lastMouse_.X < h.FixedBoundary && topLeft_.X > fixedCols_ ? -1 : lastMouse_.X >= h.FullVisBoundary ? 1 : 0;
  int dy = lastMouse_.Y < v.FixedBoundary && topLeft_.Y > fixedRows_ ? -1 : lastMouse_.Y >= v.FullVisBoundary ? 1 : 0;
  if (dx == 0 && dy == 0) return;
  MoveTopLeft(topLeft_.X + dx, topLeft_.Y + dy);
  h = HorzAxis();
  v = VertAxis();
  TGridCoord to = current_;
  if (dx < 0) to.X = topLeft_.X;
  if (dx > 0) to.X = std::max(topLeft_.X, h.LastFullVisible);
  if (dy < 0) to.Y = topLeft_.Y;
  if (dy > 0) to.Y = std::max(topLeft_.Y, v.LastFullVisible);
  to.X = std::clamp(to.X, fixedCols_, colCount_ - 1);
  to.Y = std::clamp(to.Y, fixedRows_, rowCount_ - 1);
  if (!(to == current_)) MoveCurrent(to.X, to.Y, !(options_ & goRangeSelect), false);
}

void TCustomGrid::WMSetCursor(TMessage& Message) {
  if (LoWord(Message.LParam) == HTCLIENT && Screen) {
    // A border being dragged keeps the sizing cursor wherever the mouse goes.
    TGridState st = gridState_;
    if (st == gsNormal) {
      TPoint p = ScreenToClient(GetMessagePos());
      int index, pos, ofs;
      CalcSizingState(p.X, p.Y, st, index, pos, ofs);
    }
    if (st == gsColSizing || st == gsRowSizing) {
      ::SetCursor(Screen->Cursors(st == gsColSizing ? crHSplit : crVSplit));
      Message.Result = 1;
      return;
    }
  }
  DefaultHandler(Message);
}

void TCustomGrid::WMCancelMode(TMessage& Message) {
  CancelMouseMode();
  DefaultHandler(Message);
}

void TCustomGrid::WMSetFocus(TMessage& Message) {
  TCustomControl::WMSetFocus(Message);
  bool fromEditor = editor_ && editor_->HandleAllocated() && Message.WParam == reinterpret_cast<WPARAM>(editor_->Handle());
  InvalidateCell(current_.X, current_.Y);
  if (!fromEditor) UpdateEdit();
}

void TCustomGrid::WMKillFocus(TMessage& Message) {
  TCustomControl::WMKillFocus(Message);
  InvalidateCell(current_.X, current_.Y);
}

void TCustomGrid::WMSize(TMessage& Message) {
  if (!updatingScroll_) UpdateScrollRange();
  if (editorMode_) UpdateEditorPlace();
  TCustomControl::WMSize(Message);
}

void TCustomGrid::DoEnter() { TCustomControl::DoEnter(); }
void TCustomGrid::DoExit() { TCustomControl::DoExit(); }
void TCustomGrid::Resize() { TCustomControl::Resize(); }

void TCustomGrid::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  TCustomControl::SetBounds(ALeft, ATop, AWidth, AHeight);
}

void TCustomGrid::Loaded() {
  TCustomControl::Loaded();
  UpdateScrollRange();
}

QWidget* TCustomGrid::CreatePeer(QWidget* ParentWidget) {
  auto* f = new TScrollFrame(this, ParentWidget);
  f->SetBorder(borderStyle_ == bsSingle ? 2 : 0);
  return f;
}

void TCustomGrid::CreateWnd() {
  TCustomControl::CreateWnd();
  if (QWidget* v = ClientWidget()) {
    // The client area takes the grid's colour and cursor; the frame keeps the focus.
    QPalette pal = v->palette();
    pal.setColor(QPalette::Window, peer_->palette().color(QPalette::Window));
    v->setPalette(pal);
  }
  UpdateClientBackground();
  UpdateScrollRange();
}

void TCustomGrid::DestroyWnd() {
  CancelMouseMode();
  TCustomControl::DestroyWnd();
}

// ================================================================ TDrawGrid
void TDrawGrid::DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) {
  if (OnDrawCell) OnDrawCell(this, ACol, ARow, ARect, AState);
}

// ================================================================ TStringGrid
TStringGrid::TStringGrid(TComponent* AOwner) : TDrawGrid(AOwner) { store_.SetColHint(ColCount()); }
TStringGrid::~TStringGrid() = default;

void TStringGrid::SetCells(int ACol, int ARow, const std::string& Value) {
  store_.SetText(ACol, ARow, Value);
  CellChanged(ACol, ARow);
}

void TStringGrid::SetObjects(int ACol, int ARow, TObject* Value) {
  store_.SetObject(ACol, ARow, Value);
  CellChanged(ACol, ARow);
}

void TStringGrid::CellChanged(int ACol, int ARow) {
  if (ACol >= ColCount() || ARow >= RowCount()) return;  // kept, not shown
  InvalidateCell(ACol, ARow);
  // A cell written by the program while it is being edited shows its new text in the editor.
  if (editUpdate_ == 0 && EditorMode() && InplaceCol() == ACol && InplaceRow() == ARow) InvalidateEditor();
}

void TStringGrid::DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) {
  const std::string& t = store_.Text(ACol, ARow);
  if (DefaultDrawing() && !t.empty()) {
    // The paint has filled the cell; the text goes on it, cut at the cell's edges when it
    // does not fit (only then is a clip needed).
    TCanvas* c = Canvas();
    TBrushStyle style = c->Brush()->Style();
    c->Brush()->SetStyle(bsClear);
    int x = ARect.Left + 2, y = ARect.Top + 2;
    // A text of n bytes is at most n of the font's widest characters wide; when that fits
    // there is nothing to measure.
    if (fontBound_.Font != c->Font()->Data()) {
      QFontMetrics fm(TQtCanvasBackend::MakeFont(c->Font()->Data()));
      fontBound_ = {c->Font()->Data(), fm.maxWidth(), fm.height()};
    }
    bool fits = y + fontBound_.Height <= ARect.Bottom &&
                static_cast<long long>(t.size()) * fontBound_.MaxWidth <= ARect.Right - x;
    if (!fits) {
      TSize e = c->TextExtent(t);
      fits = x + e.cx <= ARect.Right && y + e.cy <= ARect.Bottom;
    }
    if (fits)
      c->TextOut(x, y, t);
    else
      c->TextRect(ARect, x, y, t);
    c->Brush()->SetStyle(style);
  }
  TDrawGrid::DrawCell(ACol, ARow, ARect, AState);
}

std::string TStringGrid::GetEditText(int ACol, int ARow) {
  std::string v = store_.Text(ACol, ARow);
  if (OnGetEditText) OnGetEditText(this, ACol, ARow, v);
  return v;
}

void TStringGrid::SetEditText(int ACol, int ARow, const std::string& Value) {
  ++editUpdate_;
  try {
    if (Value != store_.Text(ACol, ARow)) SetCells(ACol, ARow, Value);
  } catch (...) {
    --editUpdate_;
    throw;
  }
  --editUpdate_;
  TDrawGrid::SetEditText(ACol, ARow, Value);
}

void TStringGrid::SizeChanged(int OldColCount, int OldRowCount) {
  store_.SetColHint(ColCount());
  TDrawGrid::SizeChanged(OldColCount, OldRowCount);
}

void TStringGrid::MoveLineData(bool IsRow, int FromIndex, int ToIndex) {
  IsRow ? store_.MoveRow(FromIndex, ToIndex) : store_.MoveCol(FromIndex, ToIndex);
}

void TStringGrid::MoveRowBlockData(int FromIndex, int Count, int ToIndex) {
  store_.MoveRows(FromIndex, Count, ToIndex);
}

void TStringGrid::ExchangeRowData(int ARow1, int ARow2) { store_.SwapRows(ARow1, ARow2); }

void TStringGrid::PermuteRowData(int Lo, const std::vector<int>& Order) { store_.PermuteRows(Lo, Order); }

void TStringGrid::ClearLineData(bool IsRow, int Index) { IsRow ? store_.ClearRow(Index) : store_.ClearCol(Index); }

TStringGridStrings* TStringGrid::Line(int Index, bool IsRow) {
  TGridStore::CheckIndex(Index);
  long long key = static_cast<long long>(Index) * 2 + (IsRow ? 1 : 0);
  auto& slot = lines_[key];
  if (!slot) slot = std::make_unique<TStringGridStrings>(this, Index, IsRow);
  return slot.get();
}

TStrings* TStringGrid::Rows(int Index) { return Line(Index, true); }
TStrings* TStringGrid::Cols(int Index) { return Line(Index, false); }

// ----- TStringGridStrings
int TStringGridStrings::Count() const { return row_ ? grid_->ColCount() : grid_->RowCount(); }

std::string TStringGridStrings::Get(int index) const {
  return row_ ? grid_->Cells(index, index_) : grid_->Cells(index_, index);
}

void TStringGridStrings::Put(int index, const std::string& s) {
  row_ ? grid_->SetCells(index, index_, s) : grid_->SetCells(index_, index, s);
}

TObject* TStringGridStrings::GetObject(int index) const {
  return row_ ? grid_->Objects(index, index_) : grid_->Objects(index_, index);
}

void TStringGridStrings::PutObject(int index, TObject* obj) {
  row_ ? grid_->SetObjects(index, index_, obj) : grid_->SetObjects(index_, index, obj);
}

void TStringGridStrings::Clear() {
  for (int i = 0; i < Count(); ++i) {
    Put(i, std::string());
    PutObject(i, nullptr);
  }
}

void TStringGridStrings::Delete(int) { throw EInvalidGridOperation("Cannot insert or delete rows from grid"); }
void TStringGridStrings::Insert(int, const std::string&) {
  throw EInvalidGridOperation("Cannot insert or delete rows from grid");
}

int TStringGridStrings::Add(const std::string& s) {
  for (int i = 0; i < Count(); ++i)
    if (Get(i).empty()) {
      Put(i, s);
      return i;
    }
  return -1;
}

void TStringGridStrings::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TStrings*>(Source);
  if (!src) return TStrings::Assign(Source);
  if (src == this) return;
  int n = std::min(Count(), src->Count());
  // Read first: the source may be a line of the same grid that the writes change.
  std::vector<std::string> texts(static_cast<size_t>(n));
  std::vector<TObject*> objects(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) {
    texts[static_cast<size_t>(i)] = src->Get(i);
    objects[static_cast<size_t>(i)] = src->GetObject(i);
  }
  for (int i = 0; i < n; ++i) {
    Put(i, texts[static_cast<size_t>(i)]);
    PutObject(i, objects[static_cast<size_t>(i)]);
  }
}
