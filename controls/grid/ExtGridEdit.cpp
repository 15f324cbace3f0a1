// The editing path: the edit record, moving the current cell, switching editing per cell,
// choosing the editor, validating and storing the edited text.
#include <algorithm>

#include "controls/grid/ExtGrid.h"
#include "controls/grid/ExtUtil.h"
#include "controls/markup/MarkupText.h"
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
  SetOptionsQuietly(On ? (o | goEditing) : (o & ~goEditing));
}

bool TExtStringGrid::IsEditableCell(int ACol, int ARow) {
  if (!(Options() & goEditing) && !mouseActions_->RangeSelectAndEdit && !edit_.SwitchedOff) return false;
  TPoint b = BaseCell(ACol, ARow);
  bool can = true;
  CanEditCell(b.X, b.Y, can);
  bool fixed = false;
  IsFixedCell(b.X, b.Y, fixed);
  return can && !fixed;
}

bool TExtStringGrid::SelectCell(int ACol, int ARow) {
  if (edit_.Selecting) return true;
  // The footer panels keep their height out of the rows in view (BottomInset), so a cell made
  // current never hides under them.
  if (floatingFooter_->Visible()) {
    if (floatingFooter_->FooterStyle() == fsFixedLastRow && ARow == RowCount() - 1) return false;
    if (floatingFooter_->FooterStyle() != fsFixedLastRow) RepaintFooterPanel();
  }
  if (ACol < 0 || ARow < 0) return false;
  // The header rows a filter left without data rows are no cells to edit.
  if (filterActive_ && ARow < filterFixedRows_) return false;
  bool allow = true;
  if (ARow != Row() && OnRowChanging) OnRowChanging(this, Row(), ARow, allow);
  if (ACol != Col() && OnColChanging) OnColChanging(this, Col(), ACol, allow);
  // Auto advance has asked OnCellChanging already.
  if ((ACol != Col() || ARow != Row()) && OnCellChanging && !keys_.Advancing)
    OnCellChanging(this, Row(), Col(), ARow, ACol, allow);
  if (ACol == 0 && HasNodes() && !(Options() & goRowSelect)) return false;
  if (!allow) return false;
  // An in-cell control closes (giving its value back) before the current cell leaves it.
  if (control_.Shown && (DisplColIndex(control_.Cell.X) != ACol || control_.Cell.Y != ARow)) {
    EndCellControlEdit();
    if (control_.Shown) return false;  // its value was refused: the control stays on its cell
  }

  bool editorFocused = InplaceEditor() && InplaceEditor()->Focused();
  // Every move off an edited cell passes here, whichever key, click, wheel, search or call makes
  // it: the text is validated before anything else changes, and a refusal keeps the cell.
  // A move to another cell of the edited merged area leaves it too: the edit ends there.
  const bool leaving = BaseCell(RealColIndex(ACol), ARow) != edit_.Cell || ACol != Col() || ARow != Row();
  if (!ValidateOnWayOut(leaving ? TEditWayOut::ToOtherCell : TEditWayOut::OnTheCell)) {
    // The row asked for is reported even though the refusal keeps the cell.
    if (!(ComponentState() & csLoading)) ReportRow(ARow);
    return false;
  }

  // Editing is switched per cell: off on read-only cells, on again on the next editable one,
  // and on for a clickable control only while that cell is current.
  bool clickable = HasClickableControl(ACol, ARow);
  if (edit_.OnForControl && !clickable) {
    edit_.OnForControl = false;
    SetEditingOption(false);
  }
  if (clickable) {
    bool can = true;
    CanEditCell(ACol, ARow, can);
    if (can && !(Options() & (goEditing | goRowSelect))) {
      SetEditingOption(true);
      edit_.OnForControl = true;
    }
  } else if ((Options() & goEditing) || edit_.SwitchedOff) {
    // Only editing the grid switched off comes back: the owner's switching it off stays (typing
    // to jump to a row needs it off on every row it lands on).
    bool can = true;
    CanEditCell(ACol, ARow, can);
    if (can) {
      edit_.SwitchedOff = false;
      SetEditingOption(true);
    } else {
      if (EditorMode() && !editorFocused) HideEditor();
      if (Options() & goEditing) {
        SetEditingOption(false);
        edit_.SwitchedOff = true;
      }
    }
  }

  const bool result = !IsFixed(ACol, ARow) && TBaseGrid::SelectCell(ACol, ARow);
  if (activeCellShow_ || ActiveRowShow()) {
    RepaintRow(Row());
    RepaintRow(ARow);
  }
  if (ARow != Row() && FixedCols() > 0 && !rowIndicator_->Empty()) {  // the indicator leaves its row
    RepaintCell(0, Row());
    RepaintCell(0, ARow);
  }
  if (activeCellShow_ && FixedRows() > 0) {  // the column headers above the old and the new cell
    RepaintArea(Col(), 0, Col(), FixedRows() - 1);
    RepaintArea(ACol, 0, ACol, FixedRows() - 1);
  }
  if (!(ComponentState() & csLoading)) ReportRow(ARow);
  if (!result) return false;
  RememberEditCell(ACol, ARow);
  if (!(Options() & goAlwaysShowEditor) && !navigation_->AlwaysEdit) edit_.Active = false;
  return true;
}

bool TExtStringGrid::CanEditShow() {
  if (edit_.StoringFromEditor) return false;
  bool inherited = TBaseGrid::CanEditShow();
  if (ComponentState() & csDesigning) return inherited;
  if (edit_.Active && control_.Shown) return false;
  TPoint b = BaseCell(RealColIndex(Col()), Row());
  if (inherited && !edit_.Active) {
    if (HasClickableControl(b.X, b.Y)) return false;
    edit_.StartText = GetCurrentCellText();
    edit_.EditorType = DefaultEditor;
    GetCellEditor(b.X, b.Y, edit_.EditorType);
    if (edit_.EditorType == edNone) return false;
    if (edit_.EditorType == edRichEdit && !RichEditCanTake(b.X, b.Y)) {
      // Refused before anything opens: the cell stays as it is, and the grid leaves editing,
      // so the refusal is told once.
      HideEditor();
      EExtGridError e(kRichTextTooLong);
      if (Application) Application->HandleException(this, e);
      return false;
    }
    edit_.Active = true;
    edit_.Cell = b;
    if (!IsTextEditor(edit_.EditorType)) {
      ShowCellEditor(b.X, b.Y);
      if (control_.Shown) return false;
      // No control for this kind yet: it edits as plain text.
    }
  }
  return inherited;
}

std::string TExtStringGrid::EditTextOf(const std::string& Raw) {
  if (!EditWithTags && ExtUtil::TextType(Raw, EnableHTML) == 1) return HTMLStrip(Raw);
  // A rich-text cell edits as its plain text (no rich edit control here).
  if (ExtUtil::TextType(Raw, false) == 2) return ExtUtil::RtfPlainText(Raw);
  return Raw;
}

std::string TExtStringGrid::GetEditText(int ACol, int ARow) {
  TPoint b = BaseCell(ACol, ARow);
  return EditTextOf(TBaseGrid::GetEditText(b.X, b.Y));
}

// The editor of a merged area writes its base cell, the one it read and the one validated.
void TExtStringGrid::SetEditText(int ACol, int ARow, const std::string& Value) {
  TPoint b = BaseCell(ACol, ARow);
  // An editor left as it opened must not write back its text without the tags or the rich text.
  if (ShownWithoutTags(TBaseGrid::GetEditText(b.X, b.Y), Value)) return;
  TBaseGrid::SetEditText(b.X, b.Y, Value);
}

void TExtStringGrid::Click() {
  TBaseGrid::Click();
  RememberEditCell(Col(), Row());
}

void TExtStringGrid::StoreValidated(int ACol, int ARow, const std::string& Value) {
  // The open editor takes the text in place: reloading it would take its focus away.
  TGridCountScope store(edit_.StoringFromEditor);
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
  // A changed value that is stored marks its row: an accepted one, or a refused one the handler
  // corrected (a refusal that takes the old text back stores nothing new).
  const bool stored = valid || v != Value;
  if (stored && v != edit_.StartText && showModified_->Enabled && FixedCols() > 0) {
    SetRowModified(r, true);
    RepaintCell(0, r);
  }
  if (valid) CalcFooter(c);
  if (CellChecker && CellChecker->AutoMarkError) v = CellChecker->MarkError(this, c, r, v);
  if (valid && UndoRedo()) UndoRedo()->Add(c, r, edit_.StartText, v);
  return valid;
}

// The wide text kinds' checks: OnCellValidateWide alone, after the column's footer; no checker,
// no modified mark, no undo record; the cells changed whether the value is taken or not.
bool TExtStringGrid::CheckEditedWideValue(int c, int r, const std::string& Value, std::string& v) {
  std::u16string w = Utf8ToUtf16(Value);
  bool valid = true;
  TGridFlagScope noAdvance(navigation_->AdvanceOnEnter, false);
  CalcFooter(c);
  if (OnCellValidateWide) OnCellValidateWide(this, c, r, w, valid);
  v = Utf16ToUtf8(w);
  CellsChanged(TRect(c, r, c, r));
  return valid;
}

bool TExtStringGrid::IsWideEditor(TEditorType Kind) {
  switch (Kind) {
    case edUniEdit: case edUniEditBtn: case edUniMemo: case edUniComboEdit: case edUniComboList:
      return true;
    default:
      return false;
  }
}

bool TExtStringGrid::ValidateCell(const std::string& Value) { return ValidateEdited(Value, false); }

bool TExtStringGrid::ValidateEdited(const std::string& Value, bool Wide) {
  if (!edit_.Active || edit_.StoringFromEditor || edit_.Validating) return true;
  edit_.Active = false;
  TGridCountScope guard(edit_.Validating);
  int c = edit_.Cell.X, r = edit_.Cell.Y;
  // The edit goes on while the editor stays open on the cell (Enter keeps it open).
  auto goOn = [&] {
    RememberEditCell(Col(), Row());
    edit_.Active = EditorMode() && InplaceEditor() && InplaceEditor()->Visible();
    return true;
  };
  // Unchanged also when the editor holds what it opened with (tags or rich text not shown).
  if (c < 0 || r < 0 || r >= RowCount() || c >= AllColCount() || Value == edit_.StartText ||
      Value == EditTextOf(edit_.StartText))
    return goOn();
  std::string v;
  bool valid = Wide ? CheckEditedWideValue(c, r, Value, v) : CheckEditedValue(c, r, Value, v);
  if (valid) {
    StoreValidated(c, r, v);
    if (!Wide) CellsChanged(TRect(c, r, c, r));
    return goOn();
  }
  // Refused: the cell gets back its text from before the edit (or the handler's correction),
  // the edited cell is current again and its editor shows.
  std::string back = v != Value ? v : edit_.StartText;
  StoreValidated(c, r, back);
  int dc = DisplColIndex(c);
  if (Col() != dc || Row() != r) {
    TGridCountScope sel(edit_.Selecting);
    FocusCell(dc, r, true);
  }
  // The edit goes on from the text put back, on the cell it was on (never re-read from a cell an
  // editor moved over).
  edit_.Cell = TPoint(c, r);
  edit_.StartText = back;
  edit_.Active = true;
  if (Options() & goEditing) ShowEditor();
  return false;
}

bool TExtStringGrid::ValidateOnWayOut(TEditWayOut Way) {
  if (!edit_.Active) return true;
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
  if (TInplaceEdit* e = EditorOver(edit_.Cell)) return e->Text();
  if (edit_.Cell.X < 0 || edit_.Cell.Y < 0 || edit_.Cell.Y >= RowCount() || edit_.Cell.X >= AllColCount()) return edit_.StartText;
  return GridCells(edit_.Cell.X, edit_.Cell.Y);
}

bool TExtStringGrid::ValidateWideCell(const std::u16string& Value) { return ValidateEdited(Utf16ToUtf8(Value), true); }

void TExtStringGrid::SetEditCellText(int ACol, int ARow, const std::string& Value) {
  TBaseGrid::SetEditText(DisplColIndex(ACol), ARow, Value);
  SetCells(ACol, ARow, Value);
}

void TExtStringGrid::RestoreCellAfterCancel() {
  // The edited cell gets its text back: on a merged area that is the base, not the covered cell
  // that may be current.
  TPoint e = edit_.Cell;
  if (e.X < 0 || e.Y < 0 || e.Y >= RowCount() || e.X >= AllColCount()) e = BaseCell(RealColIndex(Col()), Row());
  SetCells(e.X, e.Y, edit_.StartText);
  SetCells(e.X, e.Y, Cells(e.X, e.Y));
  // An editor left with the typed text would write it back when it closes.
  if (TInplaceEdit* ed = EditorOver(e); ed && ed->Text() != edit_.StartText) ed->SetText(edit_.StartText);
  edit_.Active = false;
}

void TExtStringGrid::EndCellControlEdit() {
  const bool shown = control_.Shown;
  if (EditorMode()) HideEditor();
  if (control_.Shown) HideCellEditor();
  if (control_.Shown) return;  // refused: the edit goes on in the control
  edit_.Active = false;
  // The cell the control edited is selected again: its events run and its text is the new start.
  if (shown && !edit_.Selecting) SelectCell(Col(), Row());
}

void TExtStringGrid::HandleEditorKey(WORD Key, TShiftState Shift) { LeaveCellEditor(Key, Shift); }

bool TExtStringGrid::WalkOutOfEditor(bool Backwards) {
  const int c = Col(), r = Row(), next = Backwards ? c - 1 : c + 1;
  const bool inside = Backwards ? next >= FixedCols() : next < ColCount() - fixedRightCols_;
  if (inside && HasClickableControl(RealColIndex(next), r)) {
    // A control is toggled, not edited: the edit ends here and the control's cell becomes current.
    if (!ValidateOnWayOut(TEditWayOut::EditorKey)) return false;
    EndCellControlEdit();
    FocusCell(next, r, true);
    return true;
  }
  // The walk goes along the row whatever AdvanceDirection says.
  struct TDirectionScope {
    TAdvanceDirection& Dir;
    const TAdvanceDirection Old;
    ~TDirectionScope() { Dir = Old; }
  } across{navigation_->AdvanceDirection, navigation_->AdvanceDirection};
  navigation_->AdvanceDirection = adLeftRight;
  AdvanceCell(c, r, Backwards, false, true);
  return true;
}

void TExtStringGrid::ShowEditorAtCurrent() {
  if (HasClickableControl(Col(), Row())) return;
  ClampInView(TGridCoord{Col(), Row()});
  ShowEditor();
}

void TExtStringGrid::EditingDone() {
  if (OnEditingDone) OnEditingDone(this);
}

// ---------------------------------------------------------------- the edit record
void TExtStringGrid::RememberEditCell(int ACol, int ARow) {
  if (ACol < 0 || ARow < 0 || ARow >= RowCount()) return;
  TPoint b = BaseCell(RealColIndex(ACol), ARow);
  // An edit going on in this cell keeps the text it started from: taking the typed text as the
  // start would let it leave the cell unvalidated.
  if (edit_.Active && b == edit_.Cell) return;
  edit_.Cell = b;
  edit_.StartText = GridCells(b.X, b.Y);
}

// The edit record goes where the open editor's cell went (the platform grid carries that cell
// with the move), so a validation writes into the edited cell and no other.
void TExtStringGrid::FollowEditCell() {
  TInplaceEdit* e = InplaceEditor();
  if (!edit_.Active || !e || !e->Visible() || InplaceCol() < 0 || InplaceRow() < 0) return;
  edit_.Cell = BaseCell(RealColIndex(InplaceCol()), InplaceRow());
}

// Rows and columns that move under an open editor would leave it on another cell's data, so the
// edit ends first: validated (a refused text gives the cell its old text back), then closed. Every
// keystroke is already in the cell; the next typed character opens the editor on the current cell.
void TExtStringGrid::CloseEditForLines() {
  if (structural_ > 0) return;  // the outer operation closed it
  TInplaceEdit* e = InplaceEditor();
  const bool shown = EditorMode() && e && e->Visible();
  // An in-cell control keeps its own edit; an edit whose editor was hidden (editing switched off
  // meanwhile) still has its typed text in the cell, so it is validated all the same.
  if (!shown && (control_.Shown || !edit_.Active)) return;
  ValidateOnWayOut(TEditWayOut::LinesMove);
  if (shown) HideEditor();
  edit_.Active = false;
}

TGridCountScope TExtStringGrid::StoringFromEditorScope() { return TGridCountScope(edit_.StoringFromEditor); }
TGridCountScope TExtStringGrid::ValidatingScope() { return TGridCountScope(edit_.Validating); }
TGridCountScope TExtStringGrid::SelectingScope() { return TGridCountScope(edit_.Selecting); }

void TExtStringGrid::EditOpened() { edit_.Active = true; }
void TExtStringGrid::EditClosed() { edit_.Active = false; }

void TExtStringGrid::EditGoesOnFrom(TPoint Cell, const std::string& StartText) {
  edit_.StartText = StartText;
  edit_.Cell = Cell;
  edit_.Active = true;
}

void TExtStringGrid::DetachEditor() {
  edit_.Active = false;
  ++edit_.StoringFromEditor;
}
