// The grid's view: a cell brought into view, the hint that names the row
// (column) under a dragged thumb, scrolling while a drag nears an edge,
// hiding and restoring the selection, the sizing zone and screen points.
#include <algorithm>
#include <string>

#include "controls/grid/ExtGrid.h"
#include "platform/gui/Messages.h"
#include "platform/gui/Timer.h"
#include "platform/gui/WinWindow.h"

void TExtStringGrid::ScrollInView(int ACol, int ARow) {
  if (ACol < 0 || ARow < 0 || ACol >= ColCount() || ARow >= RowCount()) return;
  std::shared_ptr<bool> alive = AliveFlag();
  const bool mayMove = ValidateOnWayOut(TEditWayOut::ViewMove);
  if (!*alive) return;
  int left = LeftCol(), top = TopRow();
  if (ACol >= FixedCols() && (ACol < LeftCol() || ACol >= LeftCol() + VisibleColCount())) {
    if (mayMove) SetCol(ACol);
    if (!*alive) return;
    left = std::max(FixedCols(), ACol - VisibleColCount() / 2);
  }
  if (ARow >= FixedRows() && (ARow < TopRow() || ARow >= TopRow() + VisibleRowCount())) {
    if (mayMove) SetRow(ARow);
    if (!*alive) return;
    top = std::max(FixedRows(), ARow - VisibleRowCount() / 2);
  }
  // The real largest scroll positions: the last column and the last row can always be reached.
  SetLeftCol(std::clamp(left, FixedCols(), std::max(FixedCols(), MaxLeftCol())));
  if (!*alive) return;
  SetTopRow(std::clamp(top, FixedRows(), std::max(FixedRows(), MaxTopRow())));
}

// ---------------------------------------------------------------- scroll hints
void TExtStringGrid::WMVScroll(TMessage& Message) {
  std::shared_ptr<bool> alive = AliveFlag();
  ScrollBarHint(false, Message);
  if (!*alive) return;
  TBaseGrid::WMVScroll(Message);
}

void TExtStringGrid::WMHScroll(TMessage& Message) {
  std::shared_ptr<bool> alive = AliveFlag();
  ScrollBarHint(true, Message);
  if (!*alive) return;
  TBaseGrid::WMHScroll(Message);
}

void TExtStringGrid::ScrollBarHint(bool Horz, TMessage& Message) {
  const WORD code = static_cast<WORD>(Message.WParam & 0xFFFF);
  if (code != SB_THUMBTRACK && code != SB_ENDSCROLL) return;
  const bool hints = ScrollHints == shBoth || ScrollHints == (Horz ? shHorizontal : shVertical);
  if (code == SB_ENDSCROLL) {
    if (hints && view_.Hint) view_.Hint->ReleaseHandle();
    return;
  }
  // The track position is the top row (left column) itself; the message holds its low 16 bits.
  int pos = static_cast<int>((Message.WParam >> 16) & 0xFFFF);
  SCROLLINFO si;
  si.fMask = SIF_TRACKPOS;
  if (HandleAllocated() && GetScrollInfo(Handle(), Horz ? SB_HORZ : SB_VERT, si) && (si.nTrackPos & 0xFFFF) == pos)
    pos = si.nTrackPos;
  const int line = Horz ? std::clamp(pos, FixedCols(), std::max(FixedCols(), MaxLeftCol()))
                        : std::clamp(pos, FixedRows(), std::max(FixedRows(), MaxTopRow()));
  if (hints) {
    std::string text = std::to_string(line);
    if (OnScrollHint) OnScrollHint(this, line, text);
    if (!view_.Hint) view_.Hint = new THintWindow(this);
    view_.Hint->SetColor(HintColor);
    TRect hr = view_.Hint->CalcHintRect(200, text, nullptr);
    const TPoint m = Mouse_CursorPos();
    view_.Hint->ActivateHint(TRect(m.X + 10, m.Y, m.X + 10 + hr.Width(), m.Y + hr.Height()), text);
  }
  if (ScrollSynch && !(Options() & goThumbTracking)) {
    if (Horz) SetLeftCol(line);
    else SetTopRow(line);
  }
}

// ---------------------------------------------------------------- drag scrolling
void TExtStringGrid::DragOver(TObject* Source, int X, int Y, TDragState State, bool& Accept) {
  TDragScrollOptions* o = dragScrollOptions_.get();
  if (!o->Active()) {
    StopDragScroll();
  } else if (State == dsDragLeave) {
    StopDragScroll();
  } else {
    int dir = 0;
    if (Y < o->Margins.TopMargin) dir |= 1;
    if (Y > Height() - o->Margins.BottomMargin) dir |= 2;
    if (X < o->Margins.LeftMargin) dir |= 4;
    if (X > Width() - o->Margins.RightMargin) dir |= 8;
    if (!dir) {
      StopDragScroll();
    } else {
      if (!view_.Timer) {
        // The grid owns its timer: it goes with the grid.
        view_.Timer = new TTimer(this);
        view_.Timer->OnTimer = [this](TObject*) { DragScrollTick(); };
        view_.Timer->SetInterval(static_cast<unsigned>(std::max(1, o->Delays.InitialDelay)));
        view_.Timer->SetEnabled(true);
      } else if (view_.DragDir) {
        view_.Timer->SetInterval(static_cast<unsigned>(std::max(1, o->Delays.InitialDelay)));
      }
      view_.DragDir = dir;
    }
  }
  TBaseGrid::DragOver(Source, X, Y, State, Accept);
}

void TExtStringGrid::DragOverWindow(TPoint P, TDragState State) {
  const TPoint c = ScreenToClient(P);
  bool accept = false;
  DragOver(nullptr, c.X, c.Y, State, accept);
}

void TExtStringGrid::StopDragScroll() {
  view_.DragDir = 0;
  if (!view_.Timer) return;
  TTimer* t = view_.Timer;
  view_.Timer = nullptr;
  delete t;
}

void TExtStringGrid::DragScrollTick() {
  if (!view_.Timer) return;
  view_.Timer->SetInterval(static_cast<unsigned>(std::max(1, dragScrollOptions_->Delays.RepeatDelay)));
  int dir = view_.DragDir;
  bool can = true;
  std::shared_ptr<bool> alive = AliveFlag();
  if (OnDragScroll) OnDragScroll(this, TopRow(), LeftCol(), dir, can);
  if (!*alive || !can) return;
  if ((dir & 1) && TopRow() > FixedRows()) SetTopRow(TopRow() - 1);
  if ((dir & 2) && TopRow() + VisibleRowCount() < RowCount()) SetTopRow(TopRow() + 1);
  if ((dir & 4) && LeftCol() > FixedCols()) SetLeftCol(LeftCol() - 1);
  if ((dir & 8) && LeftCol() + VisibleColCount() < ColCount()) SetLeftCol(LeftCol() + 1);
}

// ---------------------------------------------------------------- selection, zones, points
void TExtStringGrid::HideSelection() {
  if (!view_.SelHidden) view_.SavedSel = Selection();
  view_.SelHidden = true;
  TGridRect out;
  out.Left = out.Right = ColCount();
  out.Top = out.Bottom = RowCount();
  SetSelection(out);
}

void TExtStringGrid::RestoreSelection() {
  view_.SelHidden = false;
  const TGridRect& s = view_.SavedSel;
  if (ColCount() > s.Left && RowCount() > s.Top) {
    SetSelection(s);
    return;
  }
  TGridRect first;
  first.Left = first.Right = FixedColAlways && FixedCols() >= ColCount() ? 0 : FixedCols();
  first.Top = first.Bottom = FixedRowAlways && FixedRows() >= RowCount() ? 0 : FixedRows();
  SetSelection(first);
}

bool TExtStringGrid::IsSizingZone(int X, int Y) {
  int c = -1, r = -1;
  MouseToCell(X, Y, c, r);
  if (c < 0 || r < 0) return false;
  const TRect cr = CellRect(c, r);
  if (r <= FixedRows() && (Options() & goColSizing) && (std::abs(X - cr.Left) < 4 || std::abs(X - cr.Right) < 4))
    return true;
  return c <= FixedCols() && (Options() & goRowSizing) && (std::abs(Y - cr.Top) < 4 || std::abs(Y - cr.Bottom) < 4);
}

void TExtStringGrid::ScreenToCell(TPoint P, int& ACol, int& ARow) {
  const TPoint p = ScreenToClient(P);
  MouseToCell(p.X, p.Y, ACol, ARow);
}

// ---------------------------------------------------------------- the bars' look
void TExtStringGrid::SetScrollType(TScrollType v) {
  if (v == scrollType_) return;
  scrollType_ = v;
  ApplyScrollLook();
}
void TExtStringGrid::SetScrollColor(TColor v) {
  scrollColor_ = v;
  ApplyScrollLook();
}
void TExtStringGrid::SetScrollWidth(int v) {
  scrollWidth_ = v;
  ApplyScrollLook();
}

void TExtStringGrid::ApplyScrollLook() {
  if (!HandleAllocated()) return;
  const bool flat = scrollType_ != ssNormal;
  SetScrollBarLook(Handle(), flat ? scrollWidth_ : 0, flat ? scrollColor_ : clNone);
}
