// The editing path: moving the current cell, switching editing per cell,
// choosing the editor, validating and storing the edited text.
#include <algorithm>

#include "controls/grid/ExtGrid.h"
#include "platform/rtl/Win1252.h"

namespace {

bool IsTextEditor(TEditorType t) {
  switch (t) {
    case edNormal: case edNumeric: case edPositiveNumeric: case edFloat: case edCapital: case edMixedCase:
    case edPassword: case edLowerCase: case edUpperCase:
      return true;
    default:
      return false;
  }
}
}  // namespace

TInplaceEdit* TExtStringGrid::CreateEditor() { return new TExtInplaceEdit(this); }

TCellType TExtStringGrid::GetCellType(int ACol, int ARow) {
  TCellGraphic* g = GetCellGraphic(ACol, ARow);
  return g ? g->CellType : ctEmpty;
}

TCellGraphic* TExtStringGrid::GetCellGraphic(int ACol, int ARow) {
  TCellProperties* p = CellPropertiesOrNull(ACol, ARow);
  TCellGraphic* g = p ? dynamic_cast<TCellGraphic*>(p->Graphic.get()) : nullptr;
  // The row check box stands over column 0's graphics, but not over a node or a summary: the rows'
  // structure (folding, groups) is kept there and would be lost under the shared check box.
  const bool structure = g && (g->CellType == ctNode || g->CellType == ctSummary);
  if (ACol == 0 && ARow >= 0 && mouseActions_->HotmailRowSelect() && !structure) return RowCheckGraphic(ARow);
  return g;
}

bool TExtStringGrid::HasClickableControl(int ACol, int ARow) {
  TPoint b = BaseCell(ACol, ARow);
  switch (GetCellType(b.X, b.Y)) {
    case ctCheckBox: case ctDataCheckBox: case ctRadio: case ctButton: case ctBitButton: case ctVirtCheckBox:
    case ctRowCheckBox:
      return true;
    default:
      return false;
  }
}

void TExtStringGrid::SetEditingOption(bool On) {
  TGridOptions o = Options();
  if (((o & goEditing) != 0) == On) return;
  suppressInvalidate_ = true;
  SetOptions(On ? (o | goEditing) : (o & ~goEditing));
  // The suppression is for this write only: a later repaint must never be swallowed.
  suppressInvalidate_ = false;
}

bool TExtStringGrid::IsEditableCell(int ACol, int ARow) {
  if (!(Options() & goEditing) && !mouseActions_->RangeSelectAndEdit && !editingSwitchedOff_) return false;
  TPoint b = BaseCell(ACol, ARow);
  bool can = true;
  CanEditCell(b.X, b.Y, can);
  bool fixed = false;
  IsFixedCell(b.X, b.Y, fixed);
  return can && !fixed;
}

bool TExtStringGrid::SelectCell(int ACol, int ARow) {
  if (selecting_) return true;
  // The footer panels keep their height out of the rows in view (BottomInset), so a cell made
  // current never hides under them.
  if (floatingFooter_->Visible()) {
    if (floatingFooter_->FooterStyle() == fsFixedLastRow && ARow == RowCount() - 1) return false;
    if (floatingFooter_->FooterStyle() != fsFixedLastRow) RepaintFooterPanel();
  }
  if (ACol < 0 || ARow < 0) return false;
  bool allow = true;
  if (ARow != Row() && OnRowChanging) OnRowChanging(this, Row(), ARow, allow);
  if (ACol != Col() && OnColChanging) OnColChanging(this, Col(), ACol, allow);
  // Auto advance has asked OnCellChanging already.
  if ((ACol != Col() || ARow != Row()) && OnCellChanging && !advancing_)
    OnCellChanging(this, Row(), Col(), ARow, ACol, allow);
  if (ACol == 0 && HasNodes() && !(Options() & goRowSelect)) return false;
  if (!allow) return false;
  // An in-cell control closes (giving its value back) before the current cell leaves it.
  if (controlEditorShown_ && (DisplColIndex(controlCell_.X) != ACol || controlCell_.Y != ARow)) {
    EndCellControlEdit();
    if (controlEditorShown_) return false;  // its value was refused: the control stays on its cell
  }

  bool editorFocused = InplaceEditor() && InplaceEditor()->Focused();
  // Every move off an edited cell passes here, whichever key, click, wheel, search or call makes
  // it: the text is validated before anything else changes, and a refusal keeps the cell.
  const bool leaving = BaseCell(RealColIndex(ACol), ARow) != editCell_;
  if (!ValidateOnWayOut(leaving ? TEditWayOut::ToOtherCell : TEditWayOut::OnTheCell)) return false;

  // Editing is switched per cell: off on read-only cells, on again on the next editable one,
  // and on for a clickable control only while that cell is current.
  bool clickable = HasClickableControl(ACol, ARow);
  if (editingOnForControl_ && !clickable) {
    editingOnForControl_ = false;
    SetEditingOption(false);
  }
  if (clickable) {
    bool can = true;
    CanEditCell(ACol, ARow, can);
    if (can && !(Options() & (goEditing | goRowSelect))) {
      SetEditingOption(true);
      editingOnForControl_ = true;
    }
  } else if ((Options() & goEditing) || editingSwitchedOff_) {
    // Only editing the grid switched off comes back: the owner's switching it off stays (typing
    // to jump to a row needs it off on every row it lands on).
    bool can = true;
    CanEditCell(ACol, ARow, can);
    if (can) {
      editingSwitchedOff_ = false;
      SetEditingOption(true);
    } else {
      if (EditorMode() && !editorFocused) HideEditor();
      if (Options() & goEditing) {
        SetEditingOption(false);
        editingSwitchedOff_ = true;
      }
    }
  }

  const bool result = !IsFixed(ACol, ARow) && TBaseGrid::SelectCell(ACol, ARow);
  if (activeCellShow_ || ActiveRowShow()) {
    RepaintRow(Row());
    RepaintRow(ARow);
  }
  if (activeCellShow_ && FixedRows() > 0) {  // the column headers above the old and the new cell
    RepaintArea(Col(), 0, Col(), FixedRows() - 1);
    RepaintArea(ACol, 0, ACol, FixedRows() - 1);
  }
  if (!result) return false;
  if (!(ComponentState() & csLoading)) ReportRow(ARow);
  RememberEditCell(ACol, ARow);
  if (!(Options() & goAlwaysShowEditor) && !navigation_->AlwaysEdit) editActive_ = false;
  return true;
}

bool TExtStringGrid::CanEditShow() {
  if (storingFromEditor_) return false;
  bool inherited = TBaseGrid::CanEditShow();
  if (ComponentState() & csDesigning) return inherited;
  if (editActive_ && controlEditorShown_) return false;
  TPoint b = BaseCell(RealColIndex(Col()), Row());
  if (inherited && !editActive_) {
    if (HasClickableControl(b.X, b.Y)) return false;
    editStartText_ = GetCurrentCellText();
    editorType_ = DefaultEditor;
    GetCellEditor(b.X, b.Y, editorType_);
    if (editorType_ == edNone) return false;
    editActive_ = true;
    editCell_ = b;
    if (!IsTextEditor(editorType_)) {
      ShowCellEditor(b.X, b.Y);
      if (controlEditorShown_) return false;
      // No control for this kind yet: it edits as plain text.
    }
  }
  return inherited;
}

std::string TExtStringGrid::GetEditText(int ACol, int ARow) {
  TPoint b = BaseCell(ACol, ARow);
  return TBaseGrid::GetEditText(b.X, b.Y);
}

// The editor of a merged area writes its base cell, the one it read and the one validated.
void TExtStringGrid::SetEditText(int ACol, int ARow, const std::string& Value) {
  TPoint b = BaseCell(ACol, ARow);
  TBaseGrid::SetEditText(b.X, b.Y, Value);
}

void TExtStringGrid::StoreValidated(int ACol, int ARow, const std::string& Value) {
  // The open editor takes the text in place: reloading it would take its focus away.
  TGridCountScope store(storingFromEditor_);
  TGridCountScope quiet(editUpdate_);
  SetCells(ACol, ARow, Value);
  TInplaceEdit* e = EditorOver(BaseCell(ACol, ARow));
  if (e && e->Text() != Value) e->SetText(Value);
}

// The editor may stand on a covered cell of a merged area: it edits the area's base all the same.
TInplaceEdit* TExtStringGrid::EditorOver(TPoint Base) {
  TInplaceEdit* e = InplaceEditor();
  if (!e || !e->Visible() || InplaceCol() < 0 || InplaceRow() < 0) return nullptr;
  return BaseCell(RealColIndex(InplaceCol()), InplaceRow()) == Base ? e : nullptr;
}

// The checks every edited value passes, from the inplace editor or an in-cell control.
bool TExtStringGrid::CheckEditedValue(int c, int r, const std::string& Value, std::string& v) {
  v = Value;
  bool valid = true;
  TGridFlagScope noAdvance(navigation_->AdvanceOnEnter, false);
  if (CellChecker && CellChecker->AutoCorrect) v = CellChecker->Correct(this, c, r, v);
  if (OnCellValidate) OnCellValidate(this, c, r, v, valid);
  // Only a changed value that is stored marks its row.
  if (valid && v != editStartText_ && showModified_->Enabled && FixedCols() > 0) {
    SetRowModified(r, true);
    RepaintCell(0, r);
  }
  if (valid) CalcFooter(c);
  if (CellChecker && CellChecker->AutoMarkError) v = CellChecker->MarkError(this, c, r, v);
  if (valid && UndoRedo()) UndoRedo()->Add(c, r, editStartText_, v);
  return valid;
}

bool TExtStringGrid::ValidateCell(const std::string& Value) {
  if (!editActive_ || storingFromEditor_ || validating_) return true;
  editActive_ = false;
  TGridCountScope guard(validating_);
  int c = editCell_.X, r = editCell_.Y;
  // The edit goes on while the editor stays open on the cell (Enter keeps it open).
  auto goOn = [&] {
    RememberEditCell(Col(), Row());
    editActive_ = EditorMode() && InplaceEditor() && InplaceEditor()->Visible();
    return true;
  };
  if (c < 0 || r < 0 || r >= RowCount() || c >= AllColCount() || Value == editStartText_) return goOn();
  std::string v;
  bool valid = CheckEditedValue(c, r, Value, v);
  if (valid) {
    StoreValidated(c, r, v);
    CellsChanged(TRect(c, r, c, r));
    return goOn();
  }
  // Refused: the cell gets back its text from before the edit (or the handler's correction),
  // the edited cell is current again and its editor shows.
  std::string back = v != Value ? v : editStartText_;
  StoreValidated(c, r, back);
  int dc = DisplColIndex(c);
  if (Col() != dc || Row() != r) {
    TGridCountScope sel(selecting_);
    FocusCell(dc, r, true);
  }
  // The edit goes on from the text put back, on the cell it was on (never re-read from a cell an
  // editor moved over).
  editCell_ = TPoint(c, r);
  editStartText_ = back;
  editActive_ = true;
  if (Options() & goEditing) ShowEditor();
  return false;
}

bool TExtStringGrid::ValidateOnWayOut(TEditWayOut Way) {
  if (!editActive_) return true;
  const bool editorFocused = InplaceEditor() && InplaceEditor()->Focused();
  switch (Way) {
    // A text the editor's own keys validated already equals its start text: the cell made
    // current again is asked about only when no focused editor could have validated it.
    case TEditWayOut::OnTheCell:
      if (editorFocused) return true;
      break;
    // Without the editor's focus the move itself leaves the cell through SelectCell.
    case TEditWayOut::ViewMove:
      if (!editorFocused) return true;
      break;
    // The focus going to the grid itself leaves no cell.
    case TEditWayOut::FocusLeaves:
      if (Focused()) return true;
      break;
    default:
      break;
  }
  return ValidateCell(EditedText());
}

std::string TExtStringGrid::EditedText() {
  if (TInplaceEdit* e = EditorOver(editCell_)) return e->Text();
  if (editCell_.X < 0 || editCell_.Y < 0 || editCell_.Y >= RowCount() || editCell_.X >= AllColCount()) return editStartText_;
  return GridCells(editCell_.X, editCell_.Y);
}

bool TExtStringGrid::ValidateWideCell(const std::u16string& Value) {
  if (!editActive_ || storingFromEditor_ || validating_) return true;
  std::u16string v = Value;
  bool valid = true;
  if (OnCellValidateWide) OnCellValidateWide(this, editCell_.X, editCell_.Y, v, valid);
  if (!valid) return false;
  return ValidateCell(Utf16ToUtf8(v));
}

void TExtStringGrid::SetEditCellText(int ACol, int ARow, const std::string& Value) {
  TBaseGrid::SetEditText(DisplColIndex(ACol), ARow, Value);
  SetCells(ACol, ARow, Value);
}

void TExtStringGrid::RestoreCellAfterCancel() {
  // The edited cell gets its text back: on a merged area that is the base, not the covered cell
  // that may be current.
  TPoint e = editCell_;
  if (e.X < 0 || e.Y < 0 || e.Y >= RowCount() || e.X >= AllColCount()) e = BaseCell(RealColIndex(Col()), Row());
  SetCells(e.X, e.Y, editStartText_);
  SetCells(e.X, e.Y, Cells(e.X, e.Y));
  // An editor left with the typed text would write it back when it closes.
  if (TInplaceEdit* ed = EditorOver(e); ed && ed->Text() != editStartText_) ed->SetText(editStartText_);
  editActive_ = false;
}

void TExtStringGrid::EndCellControlEdit() {
  if (EditorMode()) HideEditor();
  if (controlEditorShown_) HideCellEditor();
  if (controlEditorShown_) return;  // refused: the edit goes on in the control
  editActive_ = false;
}

void TExtStringGrid::HandleEditorKey(WORD Key, TShiftState Shift) { LeaveCellEditor(Key, Shift); }

void TExtStringGrid::ShowEditorAtCurrent() {
  if (HasClickableControl(Col(), Row())) return;
  ClampInView(TGridCoord{Col(), Row()});
  ShowEditor();
}

void TExtStringGrid::EditingDone() {
  if (OnEditingDone) OnEditingDone(this);
}
