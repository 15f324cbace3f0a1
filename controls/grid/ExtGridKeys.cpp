// The grid's keyboard: the key-down table before and after the base grid's
// navigation, typed characters, Enter and Escape, the Tab walk, auto advance
// after Enter, and the update level.
#include <algorithm>

#include "controls/grid/ExtGrid.h"
#include "platform/gui/WinWindow.h"
#include "controls/grid/ExtUtil.h"
#include "platform/gui/Messages.h"
#include "platform/gui/Windows.h"

namespace {
bool IsNavigationKey(WORD k) {
  return k == VK_PRIOR || k == VK_NEXT || k == VK_END || k == VK_HOME || k == VK_LEFT || k == VK_UP ||
         k == VK_RIGHT || k == VK_DOWN;
}
}  // namespace

// ---------------------------------------------------------------- bounds of the walk
int TExtStringGrid::FirstScrollCol() { return FixedCols() == 0 && HasNodes() ? 1 : FixedCols(); }

int TExtStringGrid::VisibleFixedRightCols() const {
  if (numHiddenCols_ == 0) return fixedRightCols_;
  int n = 0;
  for (int c = AllColCount() - fixedRightCols_; c < AllColCount(); ++c)
    if (c >= 0 && !IsHiddenColumn(c)) ++n;
  return n;
}

bool TExtStringGrid::TabStopAt(int ACol, int ARow) {
  if (!TabStops(ACol)) return false;
  // Editing the grid switched off on a read-only cell still counts as editing.
  if ((Options() & goEditing) || edit_.SwitchedOff) return IsEditableCell(RealColIndex(ACol), ARow);
  return ACol >= FixedCols() && ARow >= FixedRows() && !IsFixed(ACol, ARow);
}

// ---------------------------------------------------------------- update level
void TExtStringGrid::BeginUpdate() { ++updateCount_; }

TGridCountScope TExtStringGrid::HoldPainting() { return TGridCountScope(updateCount_); }

void TExtStringGrid::EndUpdate() {
  // Counted whether or not the grid shows: a visibility change in between never leaves it unpainted.
  if (updateCount_ == 0) return;
  if (--updateCount_ > 0) return;
  Invalidate();
  if (frameSkipped_ && HandleAllocated()) RedrawFrame(Handle());
  frameSkipped_ = false;
  UpdateScrollBars(false);
}

char32_t TExtStringGrid::StartCharForControl() {
  if (!keys_.Holding) return TakeStartChar();
  keys_.Held = true;
  return 0;
}

char32_t TExtStringGrid::TakeStartChar() {
  const char32_t c = keys_.StartChar;
  keys_.StartChar = 0;
  return c;
}

// ---------------------------------------------------------------- key down
void TExtStringGrid::FireKeyDown(WORD& Key) {
  // The grid tells its handler itself with the live shift state.
  if (OnKeyDown) OnKeyDown(this, Key, KeyboardStateToShiftState());
}

bool TExtStringGrid::CellClickable(int ACol, int ARow, TCellType& AType) {
  TPoint b = BaseCell(ACol, ARow);
  AType = GetCellType(b.X, b.Y);
  return HasClickableControl(ACol, ARow);
}

void TExtStringGrid::ControlKey(WORD Key) {
  int c = RealColIndex(Col()), r = Row();
  TCellType t;
  if (!CellClickable(c, r, t)) return;
  bool can = (Options() & goEditing) || mouseActions_->RangeSelectAndEdit;
  CanEditCell(c, r, can);
  if ((can || controlLook_->CheckAlwaysActive) && Key == VK_SPACE &&
      (t == ctCheckBox || t == ctDataCheckBox || t == ctVirtCheckBox || t == ctRowCheckBox)) {
    ToggleCheck(c, r, false);  // asked above
    if (showModified_->Enabled) {
      SetRowModified(r, true);
      RepaintCell(0, r);
    }
    if (OnCheckBoxClick) OnCheckBoxClick(this, c, r, GetCheckBoxState(c, r));
  } else if ((can || controlLook_->RadioAlwaysActive) && Key == VK_SPACE && t == ctRadio) {
    ToggleRadio(c, r, false);  // asked above
    if (OnRadioClick) OnRadioClick(this, c, r, GetRadioIndex(c, r));
  } else if (can && (t == ctButton || t == ctBitButton)) {
    if (OnButtonClick) OnButtonClick(this, c, r);
  }
  RepaintCell(Col(), Row());
}

bool TExtStringGrid::SkipFixed(WORD Key) {
  int c = Col(), r = Row();
  bool rtl = UseRightToLeftAlignment();
  if (rtl && Key == VK_LEFT) Key = VK_RIGHT;
  else if (rtl && Key == VK_RIGHT) Key = VK_LEFT;
  int dc = Key == VK_LEFT ? -1 : Key == VK_RIGHT ? 1 : 0, dr = Key == VK_UP ? -1 : Key == VK_DOWN ? 1 : 0;
  int lo = dc ? FixedCols() : FixedRows();
  int hi = dc ? ColCount() - fixedRightCols_ - 1 : LastWalkableRow();
  int p = dc ? c + dc : r + dr;
  auto fixedAt = [&](int i) { return dc ? IsFixed(i, r) : IsFixed(c, i); };
  if (p < lo || p > hi + (dc ? fixedRightCols_ : fixedFooters_) || !fixedAt(p)) return false;
  while (p >= lo && p <= hi && fixedAt(p)) p += dc ? dc : dr;
  if (p >= lo && p <= hi) {
    if (dc)
      FocusCell(p, r, true);
    else
      FocusCell(c, p, true);
  }
  return true;
}

bool TExtStringGrid::DownAppend() {
  bool floating = floatingFooter_->Visible();
  int last = floating ? RowCount() - 2 : LastWalkableRow();
  if (Row() != last || !navigation_->AppendOnArrowDown) return false;
  bool can = true;
  CanAddRow(can);
  if (!can) return false;
  if (floating) {
    std::vector<std::string> footer;
    for (int c = 0; c < AllColCount(); ++c) footer.push_back(GridCells(c, RowCount() - 1));
    AddRow();
    for (int c = 0; c < AllColCount(); ++c) {
      ClearCell(c, RowCount() - 2);
      SetGridCells(c, RowCount() - 1, footer[static_cast<size_t>(c)]);
    }
  } else if (fixedFooters_ > 0) {
    // The new row goes before the footer rows, never below them.
    InsertRows(RowCount() - fixedFooters_, 1);
  } else {
    AddRow();
  }
  if (floating || fixedFooters_ >= 1) SetRow(Row() + 1);
  if (floating) UpdateFooter();
  if (OnAutoAddRow) OnAutoAddRow(this, Row());
  return floating || fixedFooters_ >= 1;
}

void TExtStringGrid::NoteSelection(const TGridRect& Before) {
  TGridRect s = Selection();
  if (s == Before) return;
  if (SelectionRectangle()) Invalidate();
  DoSelectionChanged(s.Left, s.Top, s.Right, s.Bottom);
}

// One key press as the key-down steps see it: the key (0 once taken) and what the steps compare with.
struct TExtStringGrid::TKeyPress {
  WORD& Key;
  const WORD Original;
  const TShiftState Shift;
  const bool Ctrl, ShiftDown, Alt, RowSelect;
  const int OldLeft, OldRow;
  const TGridRect OldSel;
};

bool TExtStringGrid::SwallowKey(TKeyPress& k) {
  FireKeyDown(k.Key);
  k.Key = 0;
  return true;
}

bool TExtStringGrid::SwallowKeyNoted(TKeyPress& k) {
  SwallowKey(k);
  NoteSelection(k.OldSel);
  return true;
}

void TExtStringGrid::KeepHorizScroll(const TKeyPress& k) {
  if (k.RowSelect && navigation_->KeepHorizScroll) SetLeftCol(k.OldLeft);
}

bool TExtStringGrid::CurrentCellEditable() { return IsEditableCell(RealColIndex(Col()), Row()); }

// F2 opens the editor only on an editable cell; a cell with markup controls opens its control.
bool TExtStringGrid::KeyF2(TKeyPress& k) {
  if (k.Key != VK_F2) return false;
  if (mouseActions_->RangeSelectAndEdit && !(Options() & goEditing)) {
    if (!CurrentCellEditable()) return SwallowKey(k);
    SetEditingOption(true);
  }
  if (!CurrentCellEditable()) return SwallowKey(k);
  std::string text = GetCurrentCellText();
  if (EnableHTML && ExtUtil::TextType(text, true) == 1 && ExtUtil::UpperPos("<CONTROL", text) >= 0) {
    RememberEditCell(Col(), Row());
    OpenCellMarkupControl(RealColIndex(Col()), Row());
    k.Key = 0;
    return true;
  }
  return false;
}

// Enter on a cell that cannot be edited is consumed after the handler heard it; Enter and Space
// work a cell's check box, radio group or button.
bool TExtStringGrid::KeyEnterSpace(TKeyPress& k) {
  if (k.Key == VK_RETURN && !CurrentCellEditable()) return SwallowKey(k);
  if (k.Key == VK_RETURN || k.Key == VK_SPACE) ControlKey(k.Key);
  return false;
}

bool TExtStringGrid::KeyHomeEnd(TKeyPress& k) {
  const WORD key = k.Key;
  if (key != VK_HOME && key != VK_END) return false;
  if ((navigation_->HomeEndKey == heFirstLastRow || k.RowSelect) && FixedRowAlways && RowCount() == 1) {
    TBaseGrid::KeyDown(k.Key, k.Shift);
    return true;
  }
  if (navigation_->HomeEndKey == heFirstLastRow) {
    int target = key == VK_HOME ? FixedRows()
                 : floatingFooter_->Visible() ? (RowCount() > 2 ? RowCount() - 2 : RowCount() - 1 - fixedFooters_)
                                              : LastWalkableRow();
    target = std::max(target, FixedRows());
    if (key == VK_END && (fixedFooters_ > 0 || floatingFooter_->Visible()))
      SetTopRow(std::max(FixedRows(), RowCount() - VisibleRowCount()));
    TPoint b = BaseCell(Col(), target);
    if (k.ShiftDown) {
      int a = std::min(k.OldRow, b.Y), z = std::max(k.OldRow, b.Y);
      FocusCell(b.X, b.Y, false);
      SetSelection({FixedCols(), a, ColCount() - 1, z});
    } else {
      FocusCell(b.X, b.Y, true);
    }
    if (mouseActions_->DisjunctRowSelect()) {
      TGridRect s = Selection();
      for (int r = FixedRows(); r < RowCount(); ++r)
        MutableRowAttributes(r).DisjunctSelected = k.ShiftDown && r >= s.Top && r <= s.Bottom;
      if (!k.ShiftDown) MutableRowAttributes(Row()).DisjunctSelected = true;
    }
    FireKeyDown(k.Key);
    KeepHorizScroll(k);
    k.Key = 0;
    NoteSelection(k.OldSel);
    return true;
  }
  if (navigation_->HomeEndKey == heFirstLastColumn && k.RowSelect) {
    if (key == VK_HOME) {
      FocusCell(FirstScrollCol(), Row(), true);
      SetLeftCol(FirstScrollCol());
    } else {
      FocusCell(ColCount() - 1, Row(), true);
      SetLeftCol(std::max(FixedCols(), ColCount() - VisibleColCount()));
    }
    return SwallowKey(k);
  }
  return false;
}

// Left and Right fold and unfold a node row; Tab walks the grid's own stops.
bool TExtStringGrid::KeyNodeOrTab(TKeyPress& k) {
  if ((k.Key == VK_RIGHT || k.Key == VK_LEFT) && IsNodeRow(Row()) && IsMergedCell(Col(), Row()))
    k.Key == VK_RIGHT ? ExpandNode(RealRowIndex(Row())) : ContractNode(RealRowIndex(Row()));
  if (k.Key == VK_TAB && (Options() & goTabs)) {
    TabToNextCell(k.ShiftDown);
    k.Key = 0;
    return true;
  }
  return false;
}

// Arrows jump over fixed cells inside the grid (footers, right fixed columns, OnIsFixedCell);
// Down on the last row may append one.
bool TExtStringGrid::KeyArrowSkip(TKeyPress& k) {
  const WORD key = k.Key;
  if (navigation_->SkipFixedCells && (key == VK_LEFT || key == VK_RIGHT || key == VK_UP || key == VK_DOWN)) {
    bool blocked = key == VK_DOWN && DownAppend();
    if (blocked || SkipFixed(key)) return SwallowKeyNoted(k);
  } else if (key == VK_DOWN && DownAppend()) {
    return SwallowKeyNoted(k);
  }
  return false;
}

bool TExtStringGrid::KeyClipboard(TKeyPress& k) {
  if (!navigation_->AllowClipboardShortCuts) return false;
  auto ask = [&](TClipboardEvent& ev) {
    bool allow = true;
    if (ev) ev(this, allow);
    return allow;
  };
  const WORD key = k.Original;
  const bool cut = (k.Ctrl && key == 'X') || (k.ShiftDown && key == VK_DELETE);
  const bool paste = (k.Ctrl && key == 'V') || (!k.Ctrl && k.ShiftDown && key == VK_INSERT);
  const bool copy = k.Ctrl && (key == VK_INSERT || key == 'C');
  if (cut) {
    if (ask(OnClipboardCut)) CutToClipboard();
  } else if (paste) {
    if (ask(OnClipboardPaste)) PasteFromClipboard();
  } else if (copy) {
    if (ask(OnClipboardCopy)) CopyToClipboard();
  }
  return cut || paste || copy;
}

// Insert adds a row (DoAutoInsertRow inserts it and tells OnAutoInsertRow).
bool TExtStringGrid::KeyInsertRow(TKeyPress& k) {
  if (k.Original != VK_INSERT || !navigation_->AllowInsertRow || k.Ctrl || k.ShiftDown || k.Alt) return false;
  bool can = true;
  CanInsertRow(Row(), can);
  if (!can) return true;
  int r = Row();
  if (navigation_->InsertPosition == pInsertBefore) {
    // The current row index shows the new empty row.
    DoAutoInsertRow(r);
    if (Row() != r) FocusCell(Col(), r, true);
  } else if (FixedRowAlways && FixedRows() == RowCount()) {
    DoAutoInsertRow(r);
    SetRow(1);
  } else {
    DoAutoInsertRow(r + 1);
    FocusCell(Col(), r + 1, true);
  }
  UpdateFooter();
  return true;
}

// Ctrl+A selects every scrolling cell.
bool TExtStringGrid::KeySelectAll(TKeyPress& k) {
  if (!k.Ctrl || k.Original != 'A') return false;
  if (!(Options() & (goRowSelect | goRangeSelect))) return true;
  int bottom = std::max(FixedRows(), RowCount() - fixedFooters_ - 1);
  SetSelection({FirstScrollCol(), FixedRows(), std::max(FirstScrollCol(), ColCount() - fixedRightCols_ - 1), bottom});
  if (mouseActions_->DisjunctRowSelect())
    for (int r = FixedRows(); r <= bottom; ++r) MutableRowAttributes(r).DisjunctSelected = true;
  NoteSelection(k.OldSel);
  return true;
}

// Disjunct row and column marks follow the moves: a plain move marks only the current row
// (column), Ctrl adds it, Shift marks the block; Space flips the current one's mark.
bool TExtStringGrid::KeyDisjunctRows(TKeyPress& k) {
  const bool rows = mouseActions_->DisjunctRowSelect(), cols = mouseActions_->DisjunctColSelect();
  if (!rows && !cols) return false;
  const WORD key = k.Original;
  // With RowSelectPersistent the marks count all rows, hidden ones too.
  const int row = mouseActions_->RowSelectPersistent ? RealRowIndex(Row()) : Row();
  const int col = RealColIndex(Col());
  if (IsNavigationKey(key)) {
    if (rows) {
      if (!k.ShiftDown && !k.Ctrl) ClearRowSelect();
      if (k.ShiftDown)
        SelectRowsInSelection(true);
      else
        SetRowSelect(row, true);
    }
    if (cols) {
      if (!k.ShiftDown && !k.Ctrl) ClearColSelect();
      if (k.ShiftDown)
        SelectColsInSelection(true);
      else
        SetColSelect(col, true);
    }
  }
  if (key == VK_SPACE) {
    if (rows) SetRowSelect(row, !RowSelect(row));
    if (cols) SetColSelect(col, !ColSelect(col));
  }
  return false;
}

// Delete removes the row, or empties the only scrolling row (DoAutoDeleteRow tells OnAutoDeleteRow);
// a refusal ends the key.
bool TExtStringGrid::KeyDeleteRow(TKeyPress& k) {
  if (k.Original != VK_DELETE || !navigation_->AllowDeleteRow || k.Alt || RowCount() - fixedFooters_ - FixedRows() < 1)
    return false;
  bool can = true;
  if (OnCanDeleteRow) OnCanDeleteRow(this, Row(), can);
  if (!can) return true;
  int r = Row();
  DoAutoDeleteRow(r);
  int to = std::clamp(r, FixedRows(), std::max(FixedRows(), LastWalkableRow()));
  if (floatingFooter_->Visible() && to == RowCount() - 1) to = std::max(FixedRows(), RowCount() - 2);
  if (Row() != to && to < RowCount()) FocusCell(Col(), to, true);
  RememberEditCell(Col(), Row());
  UpdateFooter();
  return false;
}

// The key groups in the order they are asked; each answers true when the key ends there.
void TExtStringGrid::KeyDown(WORD& Key, TShiftState Shift) {
  using TKeyStep = bool (TExtStringGrid::*)(TKeyPress&);
  static constexpr TKeyStep beforeNavigation[] = {&TExtStringGrid::KeyF2, &TExtStringGrid::KeyEnterSpace,
                                                  &TExtStringGrid::KeyHomeEnd, &TExtStringGrid::KeyNodeOrTab,
                                                  &TExtStringGrid::KeyArrowSkip};
  static constexpr TKeyStep afterNavigation[] = {&TExtStringGrid::KeyClipboard, &TExtStringGrid::KeyInsertRow,
                                                 &TExtStringGrid::KeySelectAll, &TExtStringGrid::KeyDisjunctRows,
                                                 &TExtStringGrid::KeyDeleteRow};
  TKeyPress k{Key,         Key,         Shift,  (Shift & ssCtrl) != 0, (Shift & ssShift) != 0, (Shift & ssAlt) != 0,
              (Options() & goRowSelect) != 0, LeftCol(), Row(), Selection()};
  for (TKeyStep step : beforeNavigation)
    if ((this->*step)(k)) return;
  // A selection frame follows the selection.
  if (SelectionRectangle() && !(Selection() == k.OldSel)) Invalidate();
  // The base grid's navigation (it tells OnKeyDown).
  TBaseGrid::KeyDown(Key, Shift);
  const WORD key = k.Original;
  if (key == VK_PRIOR || key == VK_NEXT || key == VK_UP || key == VK_DOWN) KeepHorizScroll(k);
  // A handler that took the key away stops the grid's own actions on it.
  if (Key == 0) {
    NoteSelection(k.OldSel);
    return;
  }
  for (TKeyStep step : afterNavigation)
    if ((this->*step)(k)) return;
  if (key == VK_F2) RememberEditCell(Col(), Row());
  NoteSelection(k.OldSel);
}

void TExtStringGrid::KeyUp(WORD& Key, TShiftState Shift) {
  WORD key = Key;
  // A key that moves the current cell starts the next lookup afresh.
  if (key == VK_PRIOR || key == VK_NEXT || key == VK_END || key == VK_LEFT || key == VK_RIGHT || key == VK_UP ||
      key == VK_DOWN || key == VK_INSERT || key == VK_DELETE)
    ClearLookupText();
  TBaseGrid::KeyUp(Key, Shift);
  if (!navigation_->AlwaysEdit) return;
  bool arrow = key == VK_LEFT || key == VK_RIGHT || key == VK_UP || key == VK_DOWN;
  if (!arrow && !(key == VK_TAB && (Options() & goTabs))) return;
  TCellType t;
  if (CellClickable(RealColIndex(Col()), Row(), t)) return;
  if (Row() < TopRow()) SetTopRow(Row());
  if (Col() < LeftCol()) SetLeftCol(Col());
  ShowEditor();
}

// ---------------------------------------------------------------- characters
void TExtStringGrid::WMChar(TMessage& Message) {
  auto ch = static_cast<char32_t>(Message.WParam);
  TShiftState s = KeyboardStateToShiftState();
  if (navigation_->AllowClipboardShortCuts && (s & ssCtrl) && (ch == 3 || ch == 22 || ch == 24)) {
    Message.Result = 1;
    return;
  }
  int c = RealColIndex(Col()), r = Row();
  TCellType t;
  bool control = CellClickable(c, r, t);
  if (mouseActions_->RangeSelectAndEdit && !control && ch != 9 && ch != 27 && IsEditableCell(c, r)) {
    keys_.StartChar = ch;
    SetEditingOption(true);
    ClampInView(TGridCoord{Col(), Row()});
    // Typing starts as a click on the cell would.
    const TRect cr = CellRect(Col(), Row());
    {
      TGridFlagScope hold(keys_.Holding, true);
      MouseDown(mbLeft, 0, cr.Left + 2, cr.Top + 2);
    }
    TypeCharacter(Message);
    return;
  }
  // The keypad's "." types the locale's decimal separator with ExcelStyleDecimalSeparator.
  if (ch == '.' && ExcelStyleDecimalSeparator && (Message.LParam & KF_KEYPAD_LPARAM))
    Message.WParam = static_cast<WPARAM>(static_cast<unsigned char>(FormatSettings.DecimalSeparator));
  if (control && ch != 13) {
    Message.Result = 1;
    return;
  }
  if ((Options() & goEditing) && (ch >= 32 || ch == 8)) keys_.StartChar = ch;
  TypeCharacter(Message);
}

// The platform's character handling opens the editor and fires OnKeyPress; an in-cell control
// that opened gets the character as the handler left it.
void TExtStringGrid::TypeCharacter(TMessage& Message) {
  {
    TGridFlagScope hold(keys_.Holding, true);
    TBaseGrid::WMChar(Message);
  }
  const bool held = std::exchange(keys_.Held, false);
  if (held && keys_.StartChar && Message.WParam) TypeIntoCellControl(static_cast<char32_t>(Message.WParam));
  keys_.StartChar = 0;  // an editor that opened took it; none left it for a later one
}

void TExtStringGrid::KeyPress(char& Key) {
  if (Key == 27) {
    // An Escape character without the Escape key (Ctrl+[) cancels as the key does: the editor
    // closes too, so what is typed next starts a new edit instead of one nobody validates.
    if ((Options() & goEditing) && edit_.Active) {
      RestoreCellAfterCancel();
      EndCellControlEdit();
    }
    if (OnKeyPress) OnKeyPress(this, Key);
    return;
  }
  if (Key == '\r') {
    int c = RealColIndex(Col()), r = Row();
    if (!navigation_->AdvanceOnEnter && !IsEditableCell(c, r)) {
      if (OnKeyPress) OnKeyPress(this, Key);
      Key = 0;
      return;
    }
    TCellType t;
    bool control = CellClickable(c, r, t);
    bool inEditor = InplaceEditor() && InplaceEditor()->Focused();
    if (inEditor || control) {
      AdvanceCell(Col(), Row(), false);
      if (CellClickable(RealColIndex(Col()), Row(), t) && OnKeyPress) OnKeyPress(this, Key);
      return;
    }
  }
  if (!(Options() & goEditing) && navigation_->AutoGotoWhenSorted) IncrementalGoto(Key);
  TBaseGrid::KeyPress(Key);
}

void TExtStringGrid::CMDialogChar(TMessage& Message) {
  // A plain character typed into the grid is never an accelerator of the window.
  if (!(Message.LParam & KF_ALTDOWN_LPARAM)) {
    Message.Result = 0;
    return;
  }
  TBaseGrid::CMDialogChar(Message);
}

// ---------------------------------------------------------------- focus
void TExtStringGrid::DoEnter() {
  TBaseGrid::DoEnter();
  if (!edit_.Active) SelectCell(Col(), Row());
  RememberEditCell(Col(), Row());
}

void TExtStringGrid::DoExit() {
  TBaseGrid::DoExit();
  ReleaseMarkupButton();
}

// ---------------------------------------------------------------- Tab
void TExtStringGrid::TabToNextCell(bool Backwards) {
  if (OnKeyDown) {
    WORD k = VK_TAB;
    TShiftState s = KeyboardStateToShiftState() & ~static_cast<TShiftState>(ssShift);
    OnKeyDown(this, k, Backwards ? (s | ssShift) : s);
    if (k != VK_TAB) return;
  }
  const int first = FirstScrollCol(), right = ColCount() - VisibleFixedRightCols();
  const int top = FixedRows(), bottom = LastWalkableRow();
  if (right <= first || bottom < top) return;
  bool byRows = navigation_->TabAdvanceDirection == adTopBottom;
  int c = std::clamp(Col(), first, right - 1), r = std::clamp(Row(), top, bottom);
  bool wrapped = false;
  // One pass over the walkable cells at most: a grid without any stop keeps its cell.
  const int total = (right - first) * (bottom - top + 1);
  bool found = false;
  for (int i = 0; i < total && !found; ++i) {
    if (!byRows) {
      if (!Backwards && ++c >= right) {
        c = first;
        if (++r > bottom) r = top, wrapped = true;
      } else if (Backwards && --c < first) {
        c = right - 1;
        if (--r < top) r = bottom, wrapped = true;
      }
    } else {
      if (!Backwards && ++r > bottom) {
        r = top;
        if (++c >= right) c = first, wrapped = true;
      } else if (Backwards && --r < top) {
        r = bottom;
        if (--c < first) c = right - 1, wrapped = true;
      }
    }
    TPoint b = BaseCell(c, r);
    if (b.X != c || b.Y != r) continue;  // covered by a merged area: its base is the stop
    found = TabStopAt(c, r);
  }
  if (!found) return;
  if (wrapped && navigation_->TabToNextAtEnd && Parent()) {
    FocusCell(c, r, true);
    // At the end of the grid the focus goes on to the next (previous) control.
    if (TWinControl* p = Parent()) p->SelectNext(this, !Backwards, true);
    return;
  }
  FocusCell(c, r, true);
  if (navigation_->AlwaysEdit && CanFocus()) SetFocus();
}

// ---------------------------------------------------------------- auto advance
// The walk after Enter: its bounds, where it stands, and whether it inserted its one line.
struct TExtStringGrid::TAdvanceWalk {
  const int First, LastCol, Top;
  int C, R;
  bool Inserted = false;
};

// Forward by columns: the next row's first column after the last, a new row (once) after the
// last row, else the top again.
TExtStringGrid::TAdvanceStep TExtStringGrid::AdvanceAcross(TAdvanceWalk& w) {
  TPoint span = CellSpan(w.C, w.R);
  const int sx = std::max(0, span.X), bottom = LastWalkableRow();
  if (w.C + sx < w.LastCol) {
    w.C += sx + 1;
    return asMoved;
  }
  if (w.R < bottom) {
    w.C = w.First, ++w.R;
    return asMoved;
  }
  if (!navigation_->AdvanceInsert || w.Inserted) {
    w.C = w.First, w.R = w.Top;
    return asMoved;
  }
  bool can = true;
  CanAddRow(can);
  w.C = w.First;
  w.Inserted = true;
  if (!can) return asStopHere;
  // Appended before the footer rows.
  InsertRows(RowCount() - fixedFooters_, 1);
  ++w.R;
  if (OnAutoAddRow) OnAutoAddRow(this, LastWalkableRow());
  for (int k = w.First; k <= w.LastCol; ++k)
    if (IsEditableCell(RealColIndex(k), w.R)) return asMoved;
  return asGiveUp;
}

// Forward by rows: the next column's top after the bottom, a new column (once) after the last one.
TExtStringGrid::TAdvanceStep TExtStringGrid::AdvanceDown(TAdvanceWalk& w) {
  TPoint span = CellSpan(w.C, w.R);
  const int sy = std::max(0, span.Y);
  if (w.R + sy < LastWalkableRow()) {
    w.R += sy + 1;
    return asMoved;
  }
  if (w.C < ColCount() - fixedRightCols_ - 1) {
    ++w.C, w.R = w.Top;
    if (w.C > w.LastCol) w.C = w.First;
  } else if (navigation_->AdvanceInsert && !w.Inserted) {
    // One new column before the right fixed columns, never more.
    InsertCols(ColCount() - fixedRightCols_, 1);
    w.Inserted = true;
    ++w.C, w.R = w.Top;
    if (OnAutoInsertCol) OnAutoInsertCol(this, ColCount() - 1 - fixedRightCols_);
  } else {
    w.C = w.First, w.R = w.Top;
  }
  Invalidate();
  return asMoved;
}

// Backwards by columns or by rows, wrapping round without inserting.
TExtStringGrid::TAdvanceStep TExtStringGrid::AdvanceBack(TAdvanceWalk& w, bool ByRows) {
  const int bottom = LastWalkableRow();
  if (!ByRows) {
    if (w.C <= w.First) {
      w.C = w.LastCol;
      w.R = w.R > w.Top ? w.R - 1 : bottom;
    } else {
      --w.C;
    }
  } else if (w.R <= w.Top) {
    w.R = bottom;
    w.C = w.C > w.First ? w.C - 1 : w.LastCol;
  } else {
    --w.R;
  }
  return asMoved;
}

// The cell the walk found becomes current once the handlers allow it; an in-cell control there
// opens with a click on it.
void TExtStringGrid::ArriveAfterAdvance(int ACol, int ARow, int nc, int nr, bool ShowControl) {
  bool allow = true;
  if (OnAutoAdvance) OnAutoAdvance(this, ARow, ACol, nr, nc, allow);
  if (allow && OnCellChanging) OnCellChanging(this, ARow, ACol, nr, nc, allow);
  if (!allow) {
    SelectCell(ACol, ARow);
    return;
  }
  nc = std::clamp(nc, 0, ColCount() - 1);
  nr = std::clamp(nr, 0, RowCount() - 1);
  TCellType t;
  bool oldControl = CellClickable(RealColIndex(ACol), ARow, t);
  {
    TGridCountScope adv(keys_.Advancing);
    FocusCell(nc, nr, true);
  }
  bool control = CellClickable(RealColIndex(Col()), Row(), t);
  if (!ShowControl && !control) return;
  if (!IsEditableCell(RealColIndex(Col()), Row())) return;
  ShowEditor();
  if (!control) return;
  {
    TGridCountScope adv(keys_.Advancing);
    SelectCell(ACol, ARow);
    SelectCell(Col(), Row());
  }
  if (!oldControl) {
    TRect cr = CellRect(Col(), Row());
    MouseDown(mbLeft, 0, cr.Left + 2, cr.Top + 2);
    MouseUp(mbLeft, 0, cr.Left + 2, cr.Top + 2);
  }
  // The control's cell is told as the one reached (the click may have moved on from it).
  if (OnCellChanging) {
    bool ignored = true;
    OnCellChanging(this, ARow, ACol, Row(), Col(), ignored);
  }
}

void TExtStringGrid::AdvanceCell(int ACol, int ARow, bool Backwards, bool ShowControl, bool Force) {
  if (!navigation_->AdvanceOnEnter && !Force) return;
  if (mouseActions_->RangeSelectAndEdit && !(Options() & goEditing)) SetEditingOption(true);
  keys_.StartChar = 0;
  const int first = FirstScrollCol(), lastCol = ColCount() - VisibleFixedRightCols() - 1;
  const int top = FixedRows();
  if (lastCol < first || LastWalkableRow() < top) return;
  const bool byRows = navigation_->AdvanceDirection == adTopBottom;
  TAdvanceWalk w{first, lastCol, top, std::clamp(ACol, first, lastCol), std::clamp(ARow, top, LastWalkableRow())};
  bool found = false;
  // At most one pass over the walkable cells and at most one insertion.
  const int total = (lastCol - first + 1) * (LastWalkableRow() - top + 1) + 1;
  for (int i = 0; i < total && !found; ++i) {
    TAdvanceStep step = Backwards ? AdvanceBack(w, byRows) : byRows ? AdvanceDown(w) : AdvanceAcross(w);
    if (step == asGiveUp) return;
    if (step == asStopHere) {
      found = IsEditableCell(RealColIndex(w.C), w.R);
      break;
    }
    TPoint b = BaseCell(w.C, w.R);
    if (b.X != w.C || b.Y != w.R) continue;  // covered by a merged area
    found = IsEditableCell(RealColIndex(w.C), w.R);
  }
  if (found) ArriveAfterAdvance(ACol, ARow, w.C, w.R, ShowControl);
}
