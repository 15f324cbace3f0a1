// The in-cell editor controls: the factory that makes each once, placing one
// over a cell with the cell's value, and taking the value back.
#include "controls/grid/ExtGridEditors.h"

#include "controls/grid/ExtGrid.h"
#include "platform/gui/Messages.h"

// ---------------------------------------------------------------- value rules
// A date kind needs a date in the text (a time alone is no date); a time kind a time.
static bool ReadCellDate(const std::string& Text, bool TimeKind, TDateTime& v) {
  std::string t = Trim(Text);
  if (t.empty()) return false;
  if (TimeKind) return TryStrToTime(t, v);
  if (TryStrToDate(t, v)) return true;
  return t.find(FormatSettings.DateSeparator) != std::string::npos && TryStrToDateTime(t, v);
}

int ComboListPick(const TStrings& Items, const std::string& CellText, int Preset) {
  int n = Items.Count();
  if (n == 0) return -1;  // no items: no item is taken
  for (int i = 0; i < n; ++i)
    if (Items.Strings(i) == CellText) return i;
  if (Preset >= 0 && Preset < n) return Preset;
  return 0;
}

TDateTime CellDateOrNow(const std::string& Text, bool TimeKind) {
  TDateTime v = 0;
  return ReadCellDate(Text, TimeKind, v) ? v : Now();
}

// ---------------------------------------------------------------- controls
bool CellControlKey(TExtStringGrid* Grid, WORD& Key, TShiftState Shift) {
  if (Key == VK_ESCAPE) {
    Grid->CancelCellControl();
    if (Grid->CanFocus()) Grid->SetFocus();
    Key = 0;
    return true;
  }
  if (Key != VK_TAB && Key != VK_RETURN) return false;
  WORD k = Key;
  Key = 0;
  Grid->CommitCellControl(k, Shift);
  return true;
}

LRESULT CellEditorDlgCode(TExtStringGrid* AGrid, LRESULT Inherited) {
  LRESULT r = Inherited | DLGC_WANTALLKEYS;
  if (AGrid->Options() & goTabs) r |= DLGC_WANTTAB;
  return r;
}

void CellControlExit(TExtStringGrid* AGrid, TWinControl* AControl) {
  if (AGrid->ActiveCellEditor() == AControl) AGrid->EndCellControlEdit();
}

template <class TBase>
TCellControl<TBase>::TCellControl(TExtStringGrid* AGrid) : TBase(AGrid), grid_(AGrid) {}
template class TCellControl<TComboBox>;
template class TCellControl<TEdit>;

TDateTime TGridDateEdit::Value() const {
  TDateTime v = value_;
  return ReadCellDate(Text(), TimeKind, v) ? v : value_;
}

void TGridDateEdit::SetValue(TDateTime v) {
  value_ = v;
  SetText(TimeKind ? TimeToStr(v) : DateToStr(v));
}

// ---------------------------------------------------------------- factory
TGridCombo* TCellEditorFactory::Combo() {
  if (!combo_) {
    combo_ = new TGridCombo(grid_);
    combo_->SetVisible(false);
    combo_->SetParent(grid_);
  }
  return combo_;
}

TGridDateEdit* TCellEditorFactory::DateEdit() {
  if (!date_) {
    date_ = new TGridDateEdit(grid_);
    date_->SetVisible(false);
    date_->SetBorderStyle(bsNone);
    date_->SetParent(grid_);
  }
  return date_;
}

TWinControl* TCellEditorFactory::For(TEditorType Kind) {
  switch (Kind) {
    case edComboEdit: case edComboList: return Combo();
    case edDateEdit: case edDateEditUpDown: case edTimeEdit: return DateEdit();
    default: return nullptr;
  }
}

TWinControl* TCellEditorFactory::Made(TEditorType Kind) const {
  switch (Kind) {
    case edComboEdit: case edComboList: return combo_;
    case edDateEdit: case edDateEditUpDown: case edTimeEdit: return date_;
    default: return nullptr;
  }
}

// ---------------------------------------------------------------- the grid's side
namespace {
std::string ControlText(TWinControl* c) {
  if (auto* combo = dynamic_cast<TGridCombo*>(c)) return combo->Text() + '\x01' + std::to_string(combo->ItemIndex());
  if (auto* date = dynamic_cast<TGridDateEdit*>(c)) return date->Text();
  return {};
}
}  // namespace

TGridCombo* TExtStringGrid::ComboBox() {
  if (!editors_) editors_ = std::make_shared<TCellEditorFactory>(this);
  return editors_->Combo();
}

TGridDateEdit* TExtStringGrid::DateEditor() {
  if (!editors_) editors_ = std::make_shared<TCellEditorFactory>(this);
  return editors_->DateEdit();
}

void TExtStringGrid::ShowCellEditor(int ACol, int ARow) {
  controlEditorShown_ = false;
  controlRefused_ = false;
  if (!editors_) editors_ = std::make_shared<TCellEditorFactory>(this);
  TWinControl* c = editors_->For(editorType_);
  if (!c) return;  // no control for this kind: the inplace editor edits the text
  editActive_ = true;
  controlEditorShown_ = true;
  activeCellEditor_ = c;
  controlCell_ = TPoint(ACol, ARow);
  TRect r = CellRectEx(DisplColIndex(ACol), ARow);
  if (UseRightToLeftAlignment()) ++r.Left;
  c->SetBounds(r.Left, r.Top, std::max(1, r.Width() - 1), std::max(1, r.Height() - 1));
  c->SetFont(Font());
  std::string text = GridCells(ACol, ARow);
  if (auto* combo = dynamic_cast<TGridCombo*>(c)) {
    if (editorType_ == edComboList) {
      combo->SetStyle(csDropDownList);
      int preset = combo->ItemIndex();
      int pick = ComboListPick(*combo->Items(), text, preset);
      combo->SetItemIndex(pick);
      // A list choice the cell did not hold is told to the handlers.
      if (pick >= 0 && combo->Items()->Strings(pick) != text) {
        std::string sel = combo->Items()->Strings(pick);
        if (OnComboChange) OnComboChange(this, ACol, ARow, pick, sel);
        if (OnComboObjectChange) OnComboObjectChange(this, ACol, ARow, pick, sel, combo->Items()->Objects(pick));
      }
    } else {
      combo->SetStyle(csDropDown);
      combo->SetText(text);
    }
  } else if (auto* date = dynamic_cast<TGridDateEdit*>(c)) {
    date->TimeKind = editorType_ == edTimeEdit;
    date->SetValue(CellDateOrNow(text, date->TimeKind));
  }
  controlStartText_ = ControlText(c);
  c->SetVisible(true);
  if (c->CanFocus()) c->SetFocus();
  startChar_ = 0;
}

void TExtStringGrid::CommitCellControl(WORD Key, TShiftState Shift) {
  controlCommit_ = controlEditorShown_;
  HandleEditorKey(Key, Shift);
  controlCommit_ = false;
}

void TExtStringGrid::CancelCellControl() {
  TGridFlagScope cancel(controlCancel_, true);
  RestoreCellAfterCancel();
  EndCellControlEdit();
}

void TExtStringGrid::HideCellEditor() {
  if (!controlEditorShown_ || validating_) return;
  TWinControl* c = activeCellEditor_;
  TPoint cell = controlCell_;
  // A control left as it was shown writes nothing back: opening one never changes the cell.
  bool commit = controlCommit_;
  controlCommit_ = false;
  std::string value;
  bool write = false;
  if (c && !controlCancel_ && (commit || ControlText(c) != controlStartText_) && cell.X >= 0 && cell.Y >= 0 && cell.X < AllColCount() &&
      cell.Y < RowCount()) {
    if (auto* combo = dynamic_cast<TGridCombo*>(c)) {
      // A list without a choice writes nothing back.
      write = editorType_ != edComboList || combo->ItemIndex() >= 0;
      value = combo->Text();
    } else if (auto* date = dynamic_cast<TGridDateEdit*>(c)) {
      TDateTime v = date->Value();
      value = date->TimeKind ? TimeToStr(v) : DateToStr(v);
      write = true;
    }
  }
  if (write && !CommitControlValue(c, cell, value)) return;
  controlEditorShown_ = false;
  controlRefused_ = false;
  editActive_ = false;
  activeCellEditor_ = nullptr;
  if (c) c->SetVisible(false);
  if (editorType_ != edNormal) EditingDone();
}

bool TExtStringGrid::CommitControlValue(TWinControl* c, TPoint cell, const std::string& Value) {
  std::string v = Value;
  bool valid = true;
  // An unchanged value is stored as it is, as the inplace editor does.
  if (Value != editStartText_) {
    TGridCountScope guard(validating_);
    valid = CheckEditedValue(cell.X, cell.Y, Value, v);
  }
  if (valid) {
    controlEditorShown_ = false;
    SetEditCellText(cell.X, cell.Y, v);
    controlEditorShown_ = true;
    if (v != editStartText_) CellsChanged(TRect(cell.X, cell.Y, cell.X, cell.Y));
    return true;
  }
  // Refused: the cell gets back its text from before (or the handler's correction) and the
  // control stays open on the cell with it, until a value is taken or Escape restores.
  std::string back = v != Value ? v : editStartText_;
  {
    TGridCountScope guard(validating_);
    SetEditCellText(cell.X, cell.Y, back);
    if (auto* combo = dynamic_cast<TGridCombo*>(c)) {
      if (editorType_ == edComboList)
        combo->SetItemIndex(combo->Items()->IndexOf(back));
      else
        combo->SetText(back);
    } else if (auto* date = dynamic_cast<TGridDateEdit*>(c)) {
      date->SetValue(CellDateOrNow(back, date->TimeKind));
    }
    int dc = DisplColIndex(cell.X);
    if (Col() != dc || Row() != cell.Y) {
      TGridCountScope sel(selecting_);
      FocusCell(dc, cell.Y, true);
    }
  }
  controlStartText_ = ControlText(c);
  editStartText_ = back;
  editCell_ = cell;
  editActive_ = true;
  controlRefused_ = true;
  return false;
}
