// The grid under the mouse without a click: hot fixed cells of the list-view
// look, sizing columns and rows from any cell with the size hint, the hand
// cursor over links with the anchor enter and exit events, hints per cell;
// the grid's own timer (hovering, blinking text); the size handling's
// scroll-bar, form and integral-height steps; the focus messages.
#include <algorithm>
#include <string>

#include "controls/grid/ExtGrid.h"
#include "controls/grid/ExtUtil.h"
#include "controls/grid/GridHints.h"
#include "controls/markup/EsgHTMLE.h"
#include "platform/gui/Messages.h"
#include "platform/gui/Windows.h"
#include "platform/rtl/Win1252.h"

namespace {
constexpr UINT_PTR kGridTimer = 111;
constexpr UINT kGridTimerPeriod = 500;
// A border within this many pixels either way of the mouse can be dragged from any cell.
constexpr int kBorderZone = 3;
}  // namespace

// ---------------------------------------------------------------- mouse moves
void TExtStringGrid::HoverMouseDown(TMouseButton Button, int X, int Y) {
  HideBalloon();
  if (Button != mbLeft || look_ != glListView || GridState() != gsNormal) return;
  int c = -1, r = -1;
  MouseToCell(X, Y, c, r);
  if (c < 0 || r < 0 || !(c < FixedCols() || r < FixedRows())) return;
  hover_.FixedCellPressed = true;
  SetHotFixedCell(TPoint(c, r));
  RepaintCell(c, r);
}

void TExtStringGrid::HoverMouseUp() {
  HideSizingHint();
  if (!hover_.FixedCellPressed) return;
  hover_.FixedCellPressed = false;
  if (hover_.HotFixedCell.X >= 0) RepaintCell(hover_.HotFixedCell.X, hover_.HotFixedCell.Y);
}

void TExtStringGrid::HoverMouseMove(TShiftState Shift, int X, int Y) {
  std::shared_ptr<bool> alive = AliveFlag();
  hover_.Point = TPoint(X, Y);
  hover_.MouseInside = true;
  int c = -1, r = -1;
  MouseToCell(X, Y, c, r);
  const bool onCell = c >= 0 && r >= 0;
  const TPoint cell = onCell ? BaseCell(c, r) : TPoint(-1, -1);

  if (look_ == glListView) {
    bool fixed = onCell && (c < FixedCols() || r < FixedRows() || IsFixed(c, r));
    SetHotFixedCell(fixed ? TPoint(c, r) : TPoint(-1, -1));
  }

  if (GridState() == gsNormal) {
    int i = -1, at = 0;
    hover_.AnyColMark = mouseActions_->SizeFixedCol && AnyCellBorder(X, Y, true, i, at);
    hover_.AnyRowMark = mouseActions_->SizeFixedRow && AnyCellBorder(X, Y, false, i, at);
  }

  // Links: a plain address with URLShow, or an anchor of a markup cell.
  bool hand = false;
  std::string anchor;
  if (onCell && GridState() == gsNormal) {
    const std::string& text = GridCells(RealColIndex(cell.X), cell.Y);
    int kind = ExtUtil::TextType(text, EnableHTML);
    if (kind == 0 && URLShow() && ExtUtil::IsURL(text)) hand = true;
    if (kind == 1 || kind == 3) anchor = AnchorAt(X, Y);
    if (!anchor.empty()) hand = true;
  }
  if (anchor != hover_.Anchor || (!anchor.empty() && cell != hover_.AnchorCell)) {
    ExitAnchor();
    if (!*alive) return;
    if (!anchor.empty()) {
      hover_.Anchor = anchor;
      hover_.AnchorCell = cell;
      if (OnAnchorEnter) OnAnchorEnter(this, cell.Y, cell.X, anchor);
      if (!*alive) return;
    }
  }
  SetLinkCursor(hand);

  // The hint shown belongs to one cell: another cell takes it away.
  if (cell != hover_.HintCell) {
    hover_.HintCell = cell;
    if (Application && Application->HintControl() == this) Application->CancelHint();
  }

  if ((GridState() == gsColSizing || GridState() == gsRowSizing) &&
      (HintShowSizing || (ComponentState() & csDesigning)))
    ShowSizingHint(X, Y);
  // A balloon waits for the pointer to rest with no button held (not while sizing or selecting).
  if (GridState() == gsNormal && !(Shift & (ssLeft | ssRight | ssMiddle))) BalloonMouseMove(X, Y);
  else HideBalloon();
}

void TExtStringGrid::CMMouseLeave(TMessage& Message) {
  std::shared_ptr<bool> alive = AliveFlag();
  TBaseGrid::CMMouseLeave(Message);
  if (!*alive) return;
  hover_.MouseInside = false;
  hover_.AnyColMark = hover_.AnyRowMark = false;
  hover_.HintCell = TPoint(-1, -1);
  HideBalloon();
  balloonCell_ = TPoint(-1, -1);
  if (look_ == glListView) SetHotFixedCell(TPoint(-1, -1));
  SetLinkCursor(false);
  // An anchor the mouse left with the grid is left too.
  ExitAnchor();
}

void TExtStringGrid::ExitAnchor() {
  if (hover_.Anchor.empty()) return;
  std::string old = hover_.Anchor;
  TPoint at = hover_.AnchorCell;
  hover_.Anchor.clear();
  hover_.AnchorCell = TPoint(-1, -1);
  if (OnAnchorExit) OnAnchorExit(this, at.Y, at.X, old);
}

void TExtStringGrid::SetHotFixedCell(TPoint Cell) {
  if (Cell == hover_.HotFixedCell) return;
  TPoint old = hover_.HotFixedCell;
  hover_.HotFixedCell = Cell;
  if (!HandleAllocated()) return;
  if (old.X >= 0 && old.X < ColCount() && old.Y < RowCount()) RepaintCell(old.X, old.Y);
  if (Cell.X >= 0) RepaintCell(Cell.X, Cell.Y);
}

void TExtStringGrid::NoteFormSize(TSize Size) { hover_.FormSize = Size; }

void TExtStringGrid::DropAnyCellMark(bool Cols) { (Cols ? hover_.AnyColMark : hover_.AnyRowMark) = false; }

void TExtStringGrid::SetLinkCursor(bool Hand) {
  // A cursor written while the hand shows is taken back over the link on the next move (not
  // while panning or moving show theirs).
  const bool retake = Hand && Cursor() != crHandPoint && !pan_.On && !move_.CursorSet;
  if (Hand == hover_.HandCursor && !retake) return;
  hover_.HandCursor = Hand;
  SetOwnCursor(Hand ? crHandPoint : ownCursor_);
}

std::string TExtStringGrid::AnchorAt(int X, int Y) {
  int c = -1, r = -1;
  MouseToCell(X, Y, c, r);
  if (c < 0 || r < 0) return std::string();
  TPoint b = BaseCell(c, r);
  int rc = RealColIndex(b.X);
  std::string s;
  FormatCellText(rc, b.Y, s);
  int kind = ExtUtil::TextType(s, EnableHTML);
  if (kind == 3) {
    FormulaText(rc, b.Y, s);
    kind = ExtUtil::TextType(s, EnableHTML);
  }
  if (kind != 1) return std::string();
  // Hit-tested where and with the font the text step draws the cell's markup.
  TCanvas* cv = Canvas();
  cv->Font()->Assign(Font());
  TGridDrawState st = (b.X < FixedCols() || b.Y < FixedRows() || IsFixed(b.X, b.Y)) ? TGridDrawState(gdFixed) : TGridDrawState(0);
  TColor to = clNone;
  TAlignment ha = taLeftJustify;
  TVAlignment va = vtaTop;
  bool ww = false;
  GetCellColors(b.X, b.Y, st, false, true, false, cv->Brush(), to, cv->Font(), ha, va, ww);
  if (zoom_.Level != 0) cv->Font()->SetSize(std::max(1, cv->Font()->Size() + zoom_.Level));
  TRect R = CellRectEx(b.X, b.Y);
  TRect tr(R.Left + 2, R.Top + 3, R.Right - 2, R.Bottom);
  std::string anchorVal, stripVal, focusAnchor, title, cid, cvv, ct;
  int xs = 0, ys = 0, links = 0, mouseLink = 0;
  TRect hover, control;
  if (!pictureCache_) pictureCache_ = std::make_shared<THTMLPictureCache>();
  bool hit = HTMLDraw(cv, s, tr, GridImages, X, Y, -1, 0, 1, true, false, false, false, true, false, !EnhTextSize,
                      false, 1.0, URLColor(), clNone, clNone, clGray, anchorVal, stripVal, focusAnchor, title, xs, ys,
                      links, mouseLink, hover, control, cid, cvv, ct, pictureCache_.get(), PictureContainer, Handle());
  return hit ? anchorVal : std::string();
}

// ---------------------------------------------------------------- sizing from any cell
bool TExtStringGrid::AnyCellBorder(int X, int Y, bool Cols, int& Index, int& At) {
  int c = -1, r = -1;
  MouseToCell(X, Y, c, r);
  // The border is looked for along the row (column) under the mouse.
  if (Cols ? r < 0 : c < 0) return false;
  const int count = Cols ? ColCount() : RowCount();
  const int fixed = Cols ? FixedCols() : FixedRows();
  const int first = Cols ? LeftCol() : TopRow();
  const int last = std::min(count - 1, first + (Cols ? VisibleColCount() : VisibleRowCount()) + 1);
  auto test = [&](int i) {
    TRect cr = Cols ? CellRect(i, r) : CellRect(c, i);
    int size = Cols ? cr.Width() : cr.Height();
    // A cell cut by the client edge shows no border there.
    if (size <= 0 || size != (Cols ? ColWidths(i) : RowHeights(i))) return false;
    int end = Cols ? cr.Right : cr.Bottom, pos = Cols ? X : Y;
    if (pos < end - kBorderZone || pos > end + kBorderZone) return false;
    Index = i;
    At = end;
    return true;
  };
  for (int i = 0; i < fixed && i < count; ++i)
    if (test(i)) return true;
  for (int i = std::max(first, fixed); i <= last; ++i)
    if (test(i)) return true;
  return false;
}

void TExtStringGrid::AnyCellSizingState(int X, int Y, TGridState& State, int& Index, int& SizingPos,
                                        int& SizingOfs) {
  if (State != gsNormal) return;
  int i = -1, at = 0;
  if (hover_.AnyColMark && AnyCellBorder(X, Y, true, i, at)) {
    State = gsColSizing;
  } else if (hover_.AnyRowMark && AnyCellBorder(X, Y, false, i, at)) {
    State = gsRowSizing;
  } else {
    return;
  }
  Index = i;
  SizingPos = at;
  SizingOfs = at - (State == gsColSizing ? X : Y);
}

void TExtStringGrid::ShowSizingHint(int X, int Y) {
  const bool cols = GridState() == gsColSizing;
  const int i = press_.SizingIndex;
  if (i < 0 || i >= (cols ? ColCount() : RowCount())) return;
  // Where the sized column (row) begins: measured along a row (column) in view.
  TRect cr = cols ? CellRect(i, FixedRows() > 0 ? 0 : TopRow()) : CellRect(FixedCols() > 0 ? 0 : LeftCol(), i);
  if (cr.Width() <= 0 || cr.Height() <= 0) return;
  const int size = std::max(1, (cols ? X - cr.Left : Y - cr.Top) + press_.SizingOfs);
  const std::string text = std::to_string(size);
  if (!hover_.SizingHint) hover_.SizingHint = new THintWindow(this);
  hover_.SizingHint->SetColor(HintColor);
  TRect hr = hover_.SizingHint->CalcHintRect(200, text, nullptr);
  TPoint p = ClientToScreen(TPoint(X + 12, Y + 12));
  OffsetRect(hr, p.X, p.Y);
  hover_.SizingHint->ActivateHint(hr, text);
}

void TExtStringGrid::HideSizingHint() {
  if (hover_.SizingHint && hover_.SizingHint->Active()) hover_.SizingHint->ReleaseHandle();
}

// ---------------------------------------------------------------- hints per cell
void TExtStringGrid::CMHintShow(TMessage& Message) {
  Message.Result = 0;
  auto* info = reinterpret_cast<THintInfo*>(Message.LParam);
  if (!info) return;
  // Panning scrolls the cells under a resting mouse: a hint would hang over them.
  if (pan_.On) {
    Message.Result = 1;
    return;
  }
  int c = -1, r = -1;
  MouseToCell(info->CursorPos.X, info->CursorPos.Y, c, r);
  if (c < 0 || r < 0) return;  // beside the cells: the grid's own hint
  const TPoint b = BaseCell(c, r);
  hover_.HintCell = b;
  const int rc = RealColIndex(b.X);
  TRect cell = CellRectEx(b.X, b.Y);
  TRect client = ClientRect();
  TRect valid(std::max(cell.Left, client.Left), std::max(cell.Top, client.Top), std::min(cell.Right, client.Right),
              std::min(cell.Bottom, client.Bottom));
  info->CursorRect = valid;
  info->HintPos = ClientToScreen(TPoint(cell.Left, cell.Bottom));
  info->HintColor = HintColor;
  info->HintWindowClass = MakeHintWindow<THTMLHintWindow>;

  std::string hint = info->HintStr;
  bool anchored = false;
  const std::string& raw = GridCells(rc, b.Y);
  const int kind = ExtUtil::TextType(raw, EnableHTML);
  if (AnchorHint && kind == 1) {
    std::string anchor = AnchorAt(info->CursorPos.X, info->CursorPos.Y);
    if (!anchor.empty()) {
      if (OnAnchorHint) OnAnchorHint(this, b.Y, b.X, anchor);
      hint = anchor;
      anchored = true;
    }
  }
  const bool footerRow =
      floatingFooter_->Visible() && floatingFooter_->FooterStyle() == fsFixedLastRow && b.Y == RowCount() - 1;
  const bool normal = b.X >= FixedCols() && b.Y >= FixedRows() && b.X < ColCount() - fixedRightCols_ &&
                      b.Y < RowCount() - fixedFooters_ && !IsFixed(b.X, b.Y) && !footerRow;
  if (!anchored && normal && (HintShowCells || HintShowLargeText)) {
    std::string text;
    if (kind == 5)
      text = Utf16ToUtf8(WideCells(rc, b.Y));
    else if (kind == 1 && !HTMLHint)
      text = StripTags(GetDisplayText(rc, b.Y));
    else
      text = GetDisplayText(rc, b.Y);
    bool fits = true;
    if (HintShowLargeText && !HintShowCells) {
      TSize need = GetCellTextSize(rc, b.Y, false);
      fits = need.cx <= cell.Width() && need.cy <= cell.Height();
    }
    if (HintShowCells || !fits) hint = text;
  }
  if (!footerRow) GetCellHint(rc, b.Y, hint);
  info->HintStr = hint;
  info->Show = !hint.empty();
}

// ---------------------------------------------------------------- the grid's timer
void TExtStringGrid::StartGridTimer() {
  if (HandleAllocated()) SetTimer(Handle(), kGridTimer, kGridTimerPeriod);
}

void TExtStringGrid::StopGridTimer() {
  if (HandleAllocated()) KillTimer(Handle(), kGridTimer);
}

bool TExtStringGrid::GridTimer(TMessage& Message) {
  if (Message.WParam != kGridTimer) return false;
  ++hover_.TimerTicks;
  ++ole_.Pace;  // lets the next drag-over scroll a column
  LookupIdleTick();
  std::shared_ptr<bool> alive = AliveFlag();
  if (Hovering && !(ComponentState() & csDesigning) && hover_.MouseInside) {
    int c = -1, r = -1;
    MouseToCell(hover_.Point.X, hover_.Point.Y, c, r);
    bool scrollable = c >= FixedCols() && r >= FixedRows() && c < ColCount() - fixedRightCols_ &&
                      r < RowCount() - fixedFooters_ && !IsFixed(c, r);
    if (scrollable) {
      if (!Focused() && CanFocus()) SetFocus();
      if (!*alive) return true;
      if (r != Row()) SetRow(r);
      if (!*alive) return true;
      if (c != Col()) SetCol(c);
      if (!*alive) return true;
    }
  }
  if (EnableBlink) {
    hover_.BlinkOn = !hover_.BlinkOn;
    auto lines = [](int fixed, int first, int visible, int count) {
      std::vector<int> v;
      for (int i = 0; i < fixed && i < count; ++i) v.push_back(i);
      for (int i = std::max(first, fixed); i < count && i <= first + visible; ++i) v.push_back(i);
      return v;
    };
    const std::vector<int> cols = lines(FixedCols(), LeftCol(), VisibleColCount(), ColCount());
    const std::vector<int> rows = lines(FixedRows(), TopRow(), VisibleRowCount(), RowCount());
    for (int r : rows)
      for (int c : cols)
        if (ExtUtil::UpperPos("<BLI", GridCells(RealColIndex(c), r)) >= 0) RepaintCell(c, r);
  }
  return true;
}

// ---------------------------------------------------------------- size
void TExtStringGrid::SetIntegralHeight(bool v) {
  hover_.IntegralHeight = v;
  SetBounds(Left(), Top(), Width(), Height());
}

void TExtStringGrid::ApplyScrollBarAlways() {
  SetScrollBarsKept(scrollBarAlways_ == saVert || scrollBarAlways_ == saBoth,
                    scrollBarAlways_ == saHorz || scrollBarAlways_ == saBoth);
}

void TExtStringGrid::FormResize(TObject* Sender) {
  if (ComponentState() & (csLoading | csDestroying)) return;
  auto* form = dynamic_cast<TCustomForm*>(Sender);
  if (!form) return;
  const TSize now(form->Width(), form->Height());
  if (!SizeWithForm || hover_.FormSize.cx < 0) {
    hover_.FormSize = now;
  } else {
    int w = Width() + now.cx - hover_.FormSize.cx, h = Height() + now.cy - hover_.FormSize.cy;
    // A form made too small for the grid leaves it as it is; the change counts once the form grows again.
    if (w > 0 && h > 0) {
      hover_.FormSize = now;
      SetBounds(Left(), Top(), w, h);
    }
  }
  if (columnSize_->Stretch()) StretchToClient();
}

// ---------------------------------------------------------------- focus
void TExtStringGrid::WMKillFocus(TMessage& Message) {
  TBaseGrid::WMKillFocus(Message);
  ReleaseCellButton();
}

void TExtStringGrid::WMSetFocus(TMessage& Message) {
  std::shared_ptr<bool> alive = AliveFlag();
  TBaseGrid::WMSetFocus(Message);
  if (!*alive) return;
  if ((RowCount() == 1 && FixedRowAlways) || (ColCount() == 1 && FixedColAlways)) {
    // Nothing but fixed cells: no cell is current.
    SetSelection(TGridRect{ColCount(), RowCount(), ColCount(), RowCount()});
    return;
  }
  if (!navigation_->AlwaysEdit || control_.Shown) return;
  if (GridState() == gsColMoving || GridState() == gsRowMoving) return;
  const int rc = RealColIndex(Col());
  TCellType t = GetCellType(rc, Row());
  if (t == ctCheckBox || t == ctDataCheckBox || t == ctVirtCheckBox || t == ctRowCheckBox) return;
  const bool inView = Col() >= LeftCol() && Col() <= LeftCol() + VisibleColCount() - 1 && Row() >= TopRow() &&
                      Row() <= TopRow() + VisibleRowCount() - 1;
  if (!inView) return;
  TInplaceEdit* ed = InplaceEditor();
  const bool fromEditor = ed && ed->HandleAllocated() && Message.WParam == reinterpret_cast<WPARAM>(ed->Handle());
  if (ed && !fromEditor) {
    ShowEditorAtCurrent();
    Message.Result = 0;
  } else if (!ed && !mouseActions_->DirectEdit && HasComboBox(rc, Row())) {
    ShowEditorAtCurrent();
  }
}
