// The grid's mouse: the click sequence around the base grid's selection,
// sizing and moving, double clicks, the right button, fixed-cell editing,
// anchors, the wheel, zoom and middle-button panning.
#include <algorithm>
#include <cmath>
#include <utility>

#include "controls/grid/ExtGrid.h"
#include "controls/grid/ExtUtil.h"
#include "platform/gui/Messages.h"
#include "platform/gui/Windows.h"

namespace {
constexpr UINT_PTR kPanTimer = 999;

// The editor over a fixed cell: Enter or leaving stores its text, Escape drops it.
class TFixedCellEdit : public TEdit {
 public:
  TFixedCellEdit(TExtStringGrid* AGrid) : TEdit(AGrid), grid_(AGrid) {}
  std::string ClassName() const override { return "TFixedCellEdit"; }
  void Open(int ACol, int ARow) {
    col_ = ACol;
    row_ = ARow;
    open_ = true;
  }
  bool IsOpen() const { return open_; }

 protected:
  void KeyDown(WORD& Key, TShiftState Shift) override {
    TEdit::KeyDown(Key, Shift);
    if (Key == VK_RETURN || Key == VK_ESCAPE) {
      Close(Key == VK_RETURN);
      Key = 0;
    }
  }
  void DoExit() override {
    TEdit::DoExit();
    Close(true);
  }

 private:
  void Close(bool Store) {
    if (!open_) return;
    open_ = false;
    if (Store && col_ < grid_->ColCount() && row_ < grid_->RowCount()) grid_->SetCells(col_, row_, Text());
    SetVisible(false);
    if (grid_->CanFocus()) grid_->SetFocus();
  }
  TExtStringGrid* grid_;
  int col_ = -1, row_ = -1;
  bool open_ = false;
};
}  // namespace

// ---------------------------------------------------------------- fixed-cell editor
void TExtStringGrid::EditFixedCell(int ACol, int ARow) {
  auto* ed = static_cast<TFixedCellEdit*>(fixedEditor_);
  if (ed && ed->IsOpen()) return;
  if (ACol < 0 || ARow < 0 || ACol >= ColCount() || ARow >= RowCount()) return;
  // A handler that answers true keeps the fixed cell closed.
  bool can = false;
  CanEditCell(RealColIndex(ACol), ARow, can);
  if (can) return;
  TRect r = CellRect(ACol, ARow);
  if (r.Width() <= 2 || r.Height() <= 2) return;
  if (!ed) {
    ed = new TFixedCellEdit(this);
    ed->SetParent(this);
    fixedEditor_ = ed;
  }
  ed->SetBounds(r.Left + 1, r.Top + 1, r.Width() - 2, r.Height() - 2);
  ed->SetText(Cells(RealColIndex(ACol), ARow));
  ed->Open(RealColIndex(ACol), ARow);
  ed->SetVisible(true);
  if (ed->CanFocus()) ed->SetFocus();
}

// ---------------------------------------------------------------- button messages
void TExtStringGrid::WMMouseButton(TMessage& Message) {
  if (pan_.On && (Message.Msg == WM_LBUTTONDOWN || Message.Msg == WM_RBUTTONDOWN || Message.Msg == WM_MBUTTONDOWN)) {
    StopPanning();
    if (Message.Msg == WM_MBUTTONDOWN) return;
  }
  switch (Message.Msg) {
    case WM_LBUTTONDOWN: return LeftButtonDown(Message);
    case WM_LBUTTONUP: return LeftButtonUp(Message);
    case WM_LBUTTONDBLCLK: return LeftDoubleClick(Message);
    case WM_RBUTTONDOWN: return RightButtonDown(Message);
    case WM_RBUTTONUP:
      if (SwallowRightRelease()) return;  // a right release never ends a move
      break;
    case WM_MBUTTONDOWN:
      if (IntelliPan != ipNone && RowCount() > FixedRows()) return StartPanning(Message.XPos(), Message.YPos());
      break;
    default: break;
  }
  TBaseGrid::WMMouseButton(Message);
}

// One left press as the zone steps see it: the point, the pressed cell (its merged area's base)
// and whether it is fixed by index or by rule (known once the open edits have ended).
struct TExtStringGrid::TCellPress {
  TMessage& Message;
  const int X, Y;
  const int C, R;
  bool ByIndex, FixedByRule;
};

// A press on another cell ends an in-cell control's edit first; a refused value keeps it there.
// As the window system does, a press on another cell takes the focus from the inplace editor
// first, so the edit is validated before the cell is left.
bool TExtStringGrid::PressLeavesEditors(TCellPress& p) {
  if (control_.Shown && (DisplColIndex(control_.Cell.X) != p.C || control_.Cell.Y != p.R)) {
    if (!control_.Refused) EndCellControlEdit();
    if (control_.Shown) {
      if (control_.Editor && control_.Editor->CanFocus()) control_.Editor->SetFocus();
      return true;
    }
  }
  if (InplaceEditor() && InplaceEditor()->Focused() && (p.C != Col() || p.R != Row()) && CanFocus()) SetFocus();
  // What the cell is, read once the open edits have ended.
  p.ByIndex = p.C < FixedCols() || p.R < FixedRows();
  p.FixedByRule = !p.ByIndex && IsFixed(p.C, p.R);
  if ((p.ByIndex || p.FixedByRule) && control_.Shown) EndCellControlEdit();
  return false;
}

// With FixedAsButtons (and both fixed line options) a fixed cell is drawn pressed until the release;
// the press goes on.
bool TExtStringGrid::PressOnFixedButton(TCellPress& p) {
  const TGridOptions both = goFixedVertLine | goFixedHorzLine;
  if (FixedAsButtons && (p.ByIndex || p.FixedByRule) && (Options() & both) == both) {
    press_.FixedPressed = TPoint(p.C, p.R);
    RepaintCell(p.C, p.R);
  }
  return false;
}

void TExtStringGrid::ReleaseFixedButton() {
  if (press_.FixedPressed.X < 0) return;
  const TPoint p = press_.FixedPressed;
  press_.FixedPressed = TPoint(-1, -1);
  if (p.X < ColCount() && p.Y < RowCount()) RepaintCell(p.X, p.Y);
}

bool TExtStringGrid::PressOnNodeSign(TCellPress& p) { return NodeGlyphPress(p.C, p.R, p.X); }

// A radio group that may be changed (or always, with RadioAlwaysActive) takes the press before
// anything else can: the group's cell becomes current and the item under the point is chosen.
bool TExtStringGrid::PressOnRadio(TCellPress& p) {
  const int c = p.C, r = p.R, rc = RealColIndex(c);
  TCellType t;
  if (p.ByIndex || !CellClickable(rc, r, t) || t != ctRadio) return false;
  bool can = (Options() & goEditing) || mouseActions_->RangeSelectAndEdit;
  CanEditCell(rc, r, can);
  if (!can && !controlLook_->RadioAlwaysActive) return false;
  if (control_.Shown) EndCellControlEdit();
  TRect cr = CellRectEx(c, r);
  FocusCell(c, r, true);
  // A refused move leaves another cell current: its group is not the one pressed.
  if (Col() == c && Row() == r) RadioClick(p.X - cr.Left, p.Y - cr.Top);
  return true;
}

// While rows are hidden, column 0 (where node signs stand) takes no press unless rows are
// selected there.
bool TExtStringGrid::PressOnHiddenRowsColumn0(TCellPress& p) {
  return p.C == 0 && p.R >= FixedRows() && NumHiddenRows() > 0 && !mouseActions_->RowSelect;
}

bool TExtStringGrid::PressStartsDrag(TCellPress& p) { return DragStartDown(p.C, p.R, p.X); }

// Only the button itself presses; the rest of the cell just selects it.
bool TExtStringGrid::PressOnButton(TCellPress& p) {
  const int c = p.C, r = p.R;
  TCellType t;
  if (p.ByIndex || !CellClickable(RealColIndex(c), r, t) || (t != ctButton && t != ctBitButton)) return false;
  if (control_.Shown) EndCellControlEdit();
  FocusCell(c, r, true);
  if (PointOnButton(c, r, p.X, p.Y)) {
    press_.Button = TPoint(c, r);
    RepaintCell(c, r);
    if (OnClickCell) OnClickCell(this, r, c);
  }
  return true;
}

// Check boxes work in fixed cells too (a header's box checks its column).
bool TExtStringGrid::PressOnCheckBox(TCellPress& p) {
  const int c = p.C, r = p.R, x = p.X, y = p.Y, rc = RealColIndex(c);
  TCellType t;
  const bool control = CellClickable(rc, r, t);
  if (!control || !IsCheckKind(t)) return false;
  bool can = (Options() & goEditing) || mouseActions_->RangeSelectAndEdit;
  CanEditCell(rc, r, can);
  if (!(can || controlLook_->CheckAlwaysActive) || !PointOnCheckGlyph(c, r, x, y)) return false;
  if (control_.Shown) EndCellControlEdit();
  if (CanFocus()) SetFocus();
  ToggleCheck(rc, r, false);  // asked above
  if (showModified_->Enabled) {
    SetRowModified(r, true);
    RepaintCell(0, r);
  }
  // The row check box has flipped the row's mark; the row becomes current with it.
  if (c == 0 && t == ctRowCheckBox && r >= FixedRows() && !navigation_->AlwaysEdit)
    FocusCell(std::max(Col(), FixedCols()), r, true);
  else if (!navigation_->AlwaysEdit && !p.ByIndex)
    FocusCell(c, r, true);
  if (OnCheckBoxClick) OnCheckBoxClick(this, rc, r, GetCheckBoxState(rc, r));
  if (HideFocusRect) RepaintCell(c, r);
  if (r < FixedRows() && mouseActions_->CheckAllCheck) CheckAllInColumn(c, r);
  // Only the handler hears the press: the grid's own press would move the current cell, which
  // AlwaysEdit keeps where it is.
  if (OnMouseDown) OnMouseDown(this, mbLeft, KeyboardStateToShiftState(), x, y);
  return true;
}

// Markup controls and anchors, and web addresses shown as links.
bool TExtStringGrid::PressOnLink(TCellPress& p) {
  // The markup stands past a check box: a press on the box is not the markup's.
  if (!p.ByIndex && !p.FixedByRule && !PointOnCheckGlyph(p.C, p.R, p.X, p.Y) && MarkupClick(p.C, p.R, p.X, p.Y))
    return true;
  std::string text = Cells(RealColIndex(p.C), p.R);
  if (!p.ByIndex && URLShow() && ExtUtil::TextType(text, EnableHTML) == 0 && ExtUtil::IsURL(text)) {
    AnchorClick(p.C, p.R, text);
    return true;
  }
  return false;
}

// The disjunct row and column marks.
bool TExtStringGrid::PressMarks(TCellPress& p) {
  DisjunctDown(p.C, p.R, KeyboardStateToShiftState());
  return false;
}

// The press modes (rows, columns, all).
bool TExtStringGrid::PressSelects(TCellPress& p) {
  ModeClick(p.C, p.R, KeyboardStateToShiftState());
  return false;
}

// A cell fixed by rule only tells its click.
bool TExtStringGrid::PressOnFixedByRule(TCellPress& p) {
  if (!p.FixedByRule) return false;
  bool footerRow = floatingFooter_->Visible() && floatingFooter_->FooterStyle() == fsFixedLastRow &&
                   p.R == RowCount() - 1;
  if (!footerRow && OnClickCell) OnClickCell(this, p.R, p.C);
  return true;
}

// The base grid selects the cell (or starts sizing or moving); the click is told after it.
bool TExtStringGrid::PressOnCell(TCellPress& p) {
  const int c = p.C, r = p.R;
  const int top = TopRow(), left = LeftCol();
  // The last row or column in view that does not fit whole.
  const bool partial = (r >= FixedRows() && r >= top + VisibleRowCount()) ||
                       (c >= FixedCols() && c >= left + VisibleColCount());
  std::shared_ptr<bool> alive = AliveFlag();
  const TPoint area(c, r);
  const bool inCurrentArea = BaseCell(Col(), Row()) == area;
  {
    TGridFlagScope noAlwaysEdit(navigation_->AlwaysEdit, false);
    TBaseGrid::WMMouseButton(p.Message);
    if (!*alive) return true;
  }
  if (partial && mouseActions_->NoAutoRangeScroll) HoldSelectingPress();
  if (mouseActions_->NoScrollOnPartialRow && TopRow() != top) SetTopRow(top);
  if ((Options() & goRowSelect) && navigation_->KeepHorizScroll && LeftCol() != left) SetLeftCol(left);
  TRect cr = CellRectEx(c, r);
  bool inside = p.X > cr.Left + 3 && p.X < cr.Right - 3;
  if ((inside || !(Options() & goColSizing)) && GridState() != gsColSizing && GridState() != gsRowSizing &&
      OnClickCell)
    OnClickCell(this, r, c);
  if (OnCellValidate) RememberEditCell(Col(), Row());
  if (!p.ByIndex && IsMergedCell(c, r) && c >= FixedCols() && r >= FixedRows()) {
    bool allow = true;
    if (OnSelectCell) OnSelectCell(this, c, r, allow);
    if (!*alive) return true;
    // A refused move leaves the current cell outside the area.
    if (!(Options() & goRowSelect) && BaseCell(Col(), Row()) == area) SelectCurrentArea();
    // The whole area is the current cell: a click on any of its cells edits it, not only on the
    // one the platform's press knows as current.
    if (inCurrentArea && (Options() & goEditing) && BaseCell(Col(), Row()) == area && !EditorMode() &&
        !HasClickableControl(RealColIndex(c), r) && IsEditableCell(RealColIndex(c), r))
      ShowEditorAtCurrent();
  }
  // One click opens the editor of a text cell (any cell of a merged one).
  if (mouseActions_->DirectEdit && !p.ByIndex && BaseCell(Col(), Row()) == area && !EditorMode() &&
      !HasClickableControl(RealColIndex(c), r) && IsEditableCell(RealColIndex(c), r)) {
    RememberEditCell(c, r);
    ShowEditorAtCurrent();
  }
  return true;
}

// The press zones in the order they are asked; each answers true when the press ends there.
void TExtStringGrid::LeftButtonDown(TMessage& Message) {
  using TPressStep = bool (TExtStringGrid::*)(TCellPress&);
  static constexpr TPressStep zones[] = {
      &TExtStringGrid::PressLeavesEditors, &TExtStringGrid::PressOnFixedButton, &TExtStringGrid::PressOnNodeSign,
      &TExtStringGrid::PressOnRadio,       &TExtStringGrid::PressOnHiddenRowsColumn0,
      &TExtStringGrid::PressStartsDrag,    &TExtStringGrid::PressOnButton,      &TExtStringGrid::PressMarks,
      &TExtStringGrid::PressOnLink,        &TExtStringGrid::PressSelects,       &TExtStringGrid::PressOnCheckBox,
      &TExtStringGrid::PressOnFixedByRule, &TExtStringGrid::PressOnCell};
  const int x = Message.XPos(), y = Message.YPos();
  press_.DownSel = Selection();
  int c = -1, r = -1;
  MouseToCell(x, y, c, r);
  bool allow = true;
  if (OnCanClickCell) OnCanClickCell(this, r, c, allow);
  if (!allow) return;  // a refused click selects nothing
  if (select_.PressMode == pmResize && SelectionResizeDown(Message)) return;
  PressStarted();
  press_.Button = TPoint(-1, -1);
  press_.DownPoint = TPoint(x, y);
  if (c < 0 || r < 0) {
    if (control_.Shown) EndCellControlEdit();
    if (!FixedRowAlways) TBaseGrid::WMMouseButton(Message);
    return;
  }
  TPoint b = BaseCell(c, r);
  press_.DownCell = b;
  move_.DragPending = dragDropSettings_->OleDropSource;
  press_.PlacesCaret = mouseActions_->CaretPositioning;
  TCellPress p{Message, x, y, b.X, b.Y, false, false};
  for (TPressStep zone : zones)
    if ((this->*zone)(p)) return;
}

void TExtStringGrid::ReleaseCellButton() {
  if (press_.Button.X < 0) return;
  TPoint p = press_.Button;
  press_.Button = TPoint(-1, -1);
  if (p.X < ColCount() && p.Y < RowCount()) RepaintCell(p.X, p.Y);
}

bool TExtStringGrid::TakeCaretPress(TPoint& At) {
  if (!press_.PlacesCaret) return false;
  press_.PlacesCaret = false;
  At = press_.DownPoint;
  return true;
}

void TExtStringGrid::LeftButtonUp(TMessage& Message) {
  const int x = Message.XPos(), y = Message.YPos();
  // Only an editor opened by the press itself places its caret there, not one a later key opens.
  press_.PlacesCaret = false;
  // Cleared on every release: one outside the cells must not leave the next header click unsorted.
  const bool dblSized = std::exchange(press_.DblAutoSized, false);
  SelectionButtonUp();
  TGridState st = GridState();
  ReleaseMarkupButton();
  ReleaseFixedButton();
  TPoint pressed = press_.Button;
  press_.Button = TPoint(-1, -1);
  if (pressed.X >= 0) {
    int rc = RealColIndex(pressed.X);
    bool can = (Options() & goEditing) != 0;
    if (!controlLook_->NoDisabledButtonLook()) CanEditCell(rc, pressed.Y, can);
    RepaintCell(pressed.X, pressed.Y);
    if (can && OnButtonClick) OnButtonClick(this, rc, pressed.Y);
    int uc = -1, ur = -1;
    MouseToCell(x, y, uc, ur);
    // A release on the button itself ends here; elsewhere the release goes on as any other.
    if (uc >= 0 && ur >= 0 && PointOnButton(uc, ur, x, y)) return;
  }
  std::shared_ptr<bool> alive = AliveFlag();
  MoveRelease(x, y);
  if (!*alive) return;
  const bool pendingDone = DragSelectPendingUp() && mouseActions_->DisjunctRowSelect();
  if (!*alive) return;
  if (!pendingDone) DisjunctButtonUp();
  TBaseGrid::WMMouseButton(Message);
  if (!*alive) return;
  SelectionResizeUp();
  if (!*alive) return;
  if ((st == gsColSizing || st == gsRowSizing) && press_.SizingIndex >= 0) {
    int i = press_.SizingIndex;
    press_.SizingIndex = -1;
    if (st == gsColSizing && i < ColCount()) {
      if (OnEndColumnSize) OnEndColumnSize(this, i);
      int w = ColWidths(i), asked = w;
      UpdateColumnSize(i, asked);
      if (asked != w && asked > 0) SetColWidths(i, asked);
    } else if (st == gsRowSizing && i < RowCount()) {
      if (OnEndRowSize) OnEndRowSize(this, i);
    }
    return;
  }
  int c = -1, r = -1;
  MouseToCell(x, y, c, r);
  if (c < 0 || r < 0 || st == gsColMoving || st == gsRowMoving || move_.ColsMoved || move_.RowsMoved) return;
  // A release in a fixed column is ignored unless fixed columns sort.
  if (c < FixedCols() && !sortSettings_->FixedCols) return;
  int rc = RealColIndex(c);
  TCellType t;
  if (CellClickable(rc, r, t)) {
    if (t == ctRadio && OnRadioMouseUp) OnRadioMouseUp(this, rc, r, GetRadioIndex(rc, r));
    if (t != ctRadio && t != ctButton && t != ctBitButton && OnCheckBoxMouseUp)
      OnCheckBoxMouseUp(this, rc, r, GetCheckBoxState(rc, r));
  }
  // The release of a double click that sized a column sorts nothing, in whichever row it sorts.
  if (dblSized) return;
  // A header click sorts when the press and the release were in the sort row.
  if (r == sortSettings_->Row() && press_.DownCell.Y == r && FixedRows() >= 1 && sortSettings_->Show() && RowCount() > 2 &&
      (c >= FixedCols() || sortSettings_->FixedCols)) {
    TRect cr = CellRect(c, r);
    if (r == 0 && (Options() & goColSizing) && (x < cr.Left + 4 || x > cr.Right - 4)) return;
    bool doSort = true;
    if (OnCanSort) OnCanSort(this, rc, doSort);
    if (doSort && HeaderClickSort(rc, KeyboardStateToShiftState()) && OnClickSort) OnClickSort(this, rc);
  }
}

void TExtStringGrid::LeftDoubleClick(TMessage& Message) {
  const int x = Message.XPos(), y = Message.YPos();
  int c = -1, r = -1;
  MouseToCell(x, y, c, r);
  // The GUI layer gives the row even right of the columns: the column alone tells.
  if (c < 0 && x > 0) {
    // Right of the last column: the header of the last column.
    if (FixedRowAlways) return;
    c = ColCount() - 1;
    r = 0;
  }
  if (c >= 0 && r >= 0 && r < FixedRows() && (Options() & goColSizing) && mouseActions_->AutoSizeColOnDblClick) {
    TRect cr = CellRect(c, r);
    int sized = -1;
    if (std::abs(x - cr.Left) <= 4 && c - 1 >= FixedCols()) sized = c - 1;
    else if (std::abs(x - cr.Right) <= 4 || cr.Width() == 0) sized = c;
    if (sized >= 0) {
      bool allow = true;
      if (OnColumnSize) OnColumnSize(this, sized, allow);
      if (allow) {
        AutoSizeColumn(sized);
        if (OnEndColumnSize) OnEndColumnSize(this, sized);
      }
      press_.DblAutoSized = true;
      return;
    }
  }
  std::shared_ptr<bool> alive = AliveFlag();
  TBaseGrid::WMMouseButton(Message);
  if (!*alive || c < 0 || r < 0) return;
  if (OnDblClickCell) OnDblClickCell(this, r, c);
  if (!*alive) return;
  if (mouseActions_->RangeSelectAndEdit && IsEditableCell(RealColIndex(c), r)) {
    SetEditingOption(true);
    // The editor opens as a press on the current cell with editing on opens it. Inside a merged
    // area that is the cell the click left current, not the area's base.
    const TPoint at = BaseCell(c, r) == BaseCell(Col(), Row()) ? TPoint(Col(), Row()) : TPoint(c, r);
    const TRect cr = CellRect(at.X, at.Y);
    MouseDown(mbLeft, 0, cr.Left + 4, cr.Top + 4);
    if (!*alive) return;
  }
  if ((r < FixedRows() && mouseActions_->FixedRowsEdit == fceDblClick) ||
      (c < FixedCols() && mouseActions_->FixedColsEdit == fceDblClick))
    EditFixedCell(c, r);
}

void TExtStringGrid::RightButtonDown(TMessage& Message) {
  const int x = Message.XPos(), y = Message.YPos();
  press_.DownSel = Selection();
  std::shared_ptr<bool> alive = AliveFlag();
  TBaseGrid::WMMouseButton(Message);
  if (!*alive) return;
  int c = -1, r = -1;
  MouseToCell(x, y, c, r);
  if (c < 0 || r < 0) return;
  TGridRect s = Selection();
  bool selected = c >= s.Left && c <= s.Right && r >= s.Top && r <= s.Bottom;
  if (mouseActions_->SelectOnRightClick && c >= FixedCols() && r >= FixedRows() && !IsFixed(c, r)) {
    TPoint b = BaseCell(c, r);
    if (!selected) FocusCell(b.X, b.Y, true);
    if (mouseActions_->DisjunctRowSelect()) {
      const bool ctrl = KeyboardStateToShiftState() & ssCtrl;
      int flagged = 0;
      for (int i = 0; i < RowCount(); ++i) flagged += RowAttributes(i).DisjunctSelected ? 1 : 0;
      // A right click inside a selection of several flagged rows keeps them for its menu.
      if (ctrl) {
        TRowAttributes& a = MutableRowAttributes(b.Y);
        a.DisjunctSelected = !a.DisjunctSelected;
      } else if (!(selected && flagged > 1)) {
        for (int i = 0; i < RowCount(); ++i) MutableRowAttributes(i).DisjunctSelected = false;
        MutableRowAttributes(b.Y).DisjunctSelected = true;
      }
      Invalidate();
    }
  }
  if (OnRightClickCell) OnRightClickCell(this, r, c);
  if (!*alive) return;
  // With URLEdit a right click edits an address cell (the left click opens the address).
  if (URLEdit && URLShow() && c >= FixedCols() && r >= FixedRows() && !IsFixed(c, r)) {
    TPoint b = BaseCell(c, r);
    const std::string text = Cells(RealColIndex(b.X), b.Y);
    if (ExtUtil::TextType(text, EnableHTML) == 0 && ExtUtil::IsURL(text) && IsEditableCell(RealColIndex(b.X), b.Y)) {
      FocusCell(b.X, b.Y, true);
      ShowEditorAtCurrent();
    }
  }
}

// ---------------------------------------------------------------- the base grid's mouse hooks
void TExtStringGrid::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TGridRect before = Selection();
  std::shared_ptr<bool> alive = AliveFlag();
  TBaseGrid::MouseDown(Button, Shift, X, Y);
  if (!*alive) return;
  if (Button == mbLeft) NoteMoveStart(X, Y);
  if (GridState() == gsColSizing || GridState() == gsRowSizing) {
    TGridState st;
    int index = -1, pos = 0, ofs = 0;
    TBaseGrid::CalcSizingState(X, Y, st, index, pos, ofs);
    AnyCellSizingState(X, Y, st, index, pos, ofs);
    press_.SizingIndex = index;
    press_.SizingOfs = ofs;
    NoteSizingStart(GridState() == gsColSizing, index);
  }
  HoverMouseDown(Button, X, Y);
  if (!(Selection() == before)) {
    TGridRect s = Selection();
    DoSelectionChanged(s.Left, s.Top, s.Right, s.Bottom);
  }
  press_.DownSel = Selection();
  int c = -1, r = -1;
  MouseToCell(X, Y, c, r);
  if (c < 0 || r < 0 || (Shift & ssDouble)) return;
  bool fixedRow = r < FixedRows(), fixedCol = c < FixedCols();
  if (!fixedRow && !fixedCol) return;
  // Both buttons edit with fceLeftClick; fceRightClick starts no editing from the mouse.
  if (Button != mbLeft && Button != mbRight) return;
  bool rowEdit = fixedRow && mouseActions_->FixedRowsEdit == fceLeftClick;
  bool colEdit = fixedCol && mouseActions_->FixedColsEdit == fceLeftClick;
  if (!rowEdit && !colEdit) return;
  // With sizing on, the borders stay for sizing: only the inner part edits.
  bool sizing = (rowEdit && (Options() & goColSizing)) || (colEdit && (Options() & goRowSizing));
  TRect cr = CellRect(c, r);
  if (sizing && Button == mbLeft && !(X >= cr.Left + 4 && X < cr.Right - 4 && Y >= cr.Top + 4 && Y < cr.Bottom - 4))
    return;
  if (GridState() != gsNormal) return;
  EditFixedCell(c, r);
}

void TExtStringGrid::MouseMove(TShiftState Shift, int X, int Y) {
  // A range being dragged out is not edited: editing is off while the move is handled.
  struct EditingOff {
    TExtStringGrid* g = nullptr;
    ~EditingOff() {
      if (g) g->SetEditingOption(true);
    }
  } off;
  if (GridState() == gsSelecting && mouseActions_->RangeSelectAndEdit && (Options() & goEditing)) {
    SetEditingOption(false);
    off.g = this;
  }
  PanMouseMove(X, Y);
  if (select_.DragMode != pmNone && (Shift & ssLeft)) DragSelectMove(X, Y);
  if (DragMouseMove(Shift, X, Y)) return;
  MoveBeforeMouseMove(X, Y);
  if (GridState() == gsNormal && !(Shift & (ssLeft | ssRight | ssMiddle))) UpdatePressMode(X, Y);
  TGridRect before = Selection();
  int left = LeftCol();
  HoverMouseMove(Shift, X, Y);
  TBaseGrid::MouseMove(Shift, X, Y);
  MoveAfterMouseMove(X, Y);
  if (GridState() == gsSelecting && navigation_->KeepHorizScroll) SetLeftCol(left);
  if (GridState() == gsSelecting) RepaintSelectionUnion(before);
}

void TExtStringGrid::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TGridState st = GridState();
  HoverMouseUp();
  // A sizing released beyond the grid's extent changes nothing.
  if ((st == gsColSizing && X > GridWidth()) || (st == gsRowSizing && Y > GridHeight())) {
    TMessage m;
    m.Msg = WM_CANCELMODE;
    WMCancelMode(m);
    press_.SizingIndex = -1;
    return;
  }
  if (mouseActions_->DisjunctCellSelect() && Button == mbLeft) DisjunctCellUp(X, Y, Shift);
  // The right button leaves a column move to the left one's release.
  if (Button == mbRight && st == gsColMoving) return;
  TBaseGrid::MouseUp(Button, Shift, X, Y);
  // Compared with the selection at the press: a drag reports its range once, at the release.
  if (!(Selection() == press_.DownSel)) {
    press_.DownSel = Selection();
    TGridRect s = Selection();
    DoSelectionChanged(s.Left, s.Top, s.Right, s.Bottom);
  }
}

void TExtStringGrid::CalcSizingState(int X, int Y, TGridState& State, int& Index, int& SizingPos, int& SizingOfs) {
  TBaseGrid::CalcSizingState(X, Y, State, Index, SizingPos, SizingOfs);
  AnyCellSizingState(X, Y, State, Index, SizingPos, SizingOfs);
  // The handlers are asked for the header left of (and the fixed cell above) the border.
  int c = -1, r = -1;
  MouseToCell(X - 6, Y, c, r);
  if (c >= 0 && r >= 0 && r < FixedRows() && OnColumnSize) {
    bool allow = true;
    OnColumnSize(this, c, allow);
    if (!allow) State = gsNormal, DropAnyCellMark(true);
  }
  c = r = -1;
  MouseToCell(X, Y - 6, c, r);
  if (c >= 0 && r >= 0 && c < FixedCols() && OnRowSize) {
    bool allow = true;
    OnRowSize(this, r, allow);
    if (!allow) State = gsNormal, DropAnyCellMark(false);
  }
}

// ---------------------------------------------------------------- wheel, zoom, panning
void TExtStringGrid::Zoom(int Step) {
  if (Step == 0 || zoom_.Level + Step < -10 || zoom_.Level + Step > 10) return;
  zoom_.Level += Step;
  auto held = HoldPainting();
  for (int c = 0; c < ColCount(); ++c)
    if (ColWidths(c) + Step > 0) SetColWidths(c, ColWidths(c) + Step);
  for (int r = 0; r < RowCount(); ++r)
    if (RowHeights(r) + Step > 0) SetRowHeights(r, RowHeights(r) + Step);
}

void TExtStringGrid::WMMouseWheel(TMessage& Message) {
  // While panning the wheel is the base grid's: it steps as the wheel overrides do, panning goes on.
  if (pan_.On) return TBaseGrid::WMMouseWheel(Message);
  TShiftState s = KeyboardStateToShiftState();
  if (Message.WParam & MK_CONTROL) s |= ssCtrl;
  int delta = static_cast<int16_t>((Message.WParam >> 16) & 0xFFFF);
  if (delta == 0) return TBaseGrid::WMMouseWheel(Message);
  if (WheelToDroppedCombo(delta)) {
    Message.Result = 1;
    return;
  }
  if ((s & ssCtrl) && IntelliZoom) {
    Zoom(delta < 0 ? WheelLines() : -WheelLines());
    if (updateCount_ == 0) Invalidate();
    Message.Result = 1;
    return;
  }
  // A wheel that moves the current cell leaves an edited cell as every other way out does: the
  // value is validated first, and a refused one keeps the cell current with its text put back.
  if (mouseActions_->WheelAction == waMoveSelection && !ValidateOnWayOut(TEditWayOut::Wheel)) {
    Message.Result = 1;
    return;
  }
  if (!EnableWheel) return TBaseGrid::WMMouseWheel(Message);
  Message.Result = 1;
  if (FixedRowAlways && RowCount() == 1) return;
  TGridRect before = Selection();
  WheelStep(delta, s);
  NoteSelection(before);
}

void TExtStringGrid::WheelStep(int Delta, TShiftState Shift) {
  int step = mouseActions_->WheelIncrement >= 1 ? mouseActions_->WheelIncrement : WheelLines();
  int target = Row();
  if (mouseActions_->WheelAction == waMoveSelection) {
    target = Delta < 0 ? Row() + step : Row() - step;
  } else {
    // The top row stays within the pages the grid has: never past the last full page.
    int top = TopRow() + (Delta < 0 ? step : -step);
    top = std::clamp(top, FixedRows(), std::max(FixedRows(), MaxTopRow()));
    if (top != TopRow()) SetTopRow(top);
  }
  target = std::clamp(target, FixedRows(), std::max(FixedRows(), LastWalkableRow()));
  int col = std::clamp(Col(), FixedCols(), ColCount() - 1);
  int left = LeftCol();
  {
    // The previous update level comes back afterwards: an outer BeginUpdate is never ended here.
    auto held = HoldPainting();
    if (target != Row() || col != Col()) FocusCell(col, target, true);
    if ((Options() & goRowSelect) && navigation_->KeepHorizScroll) SetLeftCol(left);
  }
  if (updateCount_ == 0) Invalidate();
}

bool TExtStringGrid::DoMouseWheelDown(TShiftState Shift, TPoint MousePos) { return BaseWheel(true, Shift, MousePos); }

bool TExtStringGrid::DoMouseWheelUp(TShiftState Shift, TPoint MousePos) { return BaseWheel(false, Shift, MousePos); }

bool TExtStringGrid::BaseWheel(bool Down, TShiftState Shift, TPoint MousePos) {
  if (mouseActions_->WheelAction == waScroll) return false;
  bool editing = EditorMode();
  int left = LeftCol();
  bool r = Down ? TBaseGrid::DoMouseWheelDown(Shift, MousePos) : TBaseGrid::DoMouseWheelUp(Shift, MousePos);
  if ((Options() & goRowSelect) && navigation_->KeepHorizScroll) SetLeftCol(left);
  if (editing && CanFocus()) SetFocus();
  return r;
}

void TExtStringGrid::WMTimer(TMessage& Message) {
  if (MoveScrollTick(Message.WParam)) return;
  if (GridTimer(Message)) return;
  if (Message.WParam != kPanTimer) return TBaseGrid::WMTimer(Message);
  PanTick();
}

bool TExtStringGrid::CanScrollPaint() const {
  bool picture = backGround_->Bitmap() && !backGround_->Bitmap()->Empty();
  bool gradient = backGround_->Display() == bdGradientHorz || backGround_->Display() == bdGradientVert;
  // The pan marker and the sizing lines stay where they are: moved pixels would carry copies along.
  return updateCount_ == 0 && !suppressInvalidate_ && !SelectionRectangle() && !picture && !gradient && !pan_.On &&
         sizingLines_.empty();
}

void TExtStringGrid::TopLeftChanged() {
  TBaseGrid::TopLeftChanged();
  if (SelectionRectangle()) Invalidate();
  // An in-cell control editor does not scroll with the cells: its edit ends.
  if (control_.Shown && edit_.EditorType != edNormal) {
    FinishEditLink();
    EndCellControlEdit();
    // A refused value keeps the control open: it follows its cell.
    if (control_.Shown) PlaceCellEditor();
  }
  UpdateFooter();
  if (controlList_->Count() > 0) PlaceCellControls();
}
