// The in-cell editor controls: the factory that makes each once, placing one
// over a cell with the cell's value, and taking the value back.
#include "controls/grid/ExtGridEditors.h"

#include <algorithm>
#include <cctype>
#include <climits>

#include "controls/grid/ExtGrid.h"
#include "controls/grid/ExtGridEditLink.h"
#include "controls/grid/ExtUtil.h"
#include "platform/gui/Messages.h"
#include "platform/gui/Windows.h"
#include "platform/rtl/Win1252.h"

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

void SplitValueAndUnit(const std::string& Text, std::string& Value, std::string& Unit) {
  size_t i = 0;
  while (i < Text.size() && (std::isdigit(static_cast<unsigned char>(Text[i])) || Text[i] == ',' || Text[i] == '-' ||
                             Text[i] == '.'))
    ++i;
  Value = Text.substr(0, i);
  Unit = Text.substr(i);
}

std::string CellWideText(const std::string& Text) {
  return Text.rfind("|\\", 0) == 0 ? Utf16ToUtf8(ExtUtil::DecodeWideText(Text)) : Text;
}

// ---------------------------------------------------------------- controls
static std::string CharUtf8(char32_t ch) {
  std::u16string u;
  if (ch > 0xFFFF)
    u = {static_cast<char16_t>(0xD800 + ((ch - 0x10000) >> 10)), static_cast<char16_t>(0xDC00 + ((ch - 0x10000) & 0x3FF))};
  else
    u = {static_cast<char16_t>(ch)};
  return Utf16ToUtf8(u);
}

void TCellEditorSide::TakeStartKey(char32_t Key) { TypeStartKey(dynamic_cast<TWinControl*>(this), Key); }

void TypeStartKey(TWinControl* c, char32_t Key) {
  if (!c || Key < 0x20) return;
  // The typed character replaces the text, as it does in the inplace editor.
  auto* e = dynamic_cast<TCustomEdit*>(c);
  auto* b = dynamic_cast<TCustomComboBox*>(c);
  if (e) e->SelectAll();
  if (b) b->SelectAll();
  TMessage m;
  m.Msg = WM_CHAR;
  m.WParam = Key;
  c->WindowProc(m);
  // A combo's line takes what its key press let through; an edit typed it already.
  if (!b || m.Result != 0 || m.WParam == 0) return;
  const std::string typed = CharUtf8(static_cast<char32_t>(m.WParam));
  b->UserEditText(typed);
  b->SetSelStart(static_cast<int>(typed.size()));
}

bool CellControlKey(TExtStringGrid* Grid, TCellEditorSide& Side, WORD& Key, TShiftState Shift) {
  const TCellKeys Keys = Side.Keys();
  if (Key == VK_ESCAPE) {
    Key = 0;
    if (Side.KeepsOnEscape()) {
      Grid->TakeBackCellControl();
      return true;
    }
    Grid->CancelCellControl();
    if (Grid->CanFocus()) Grid->SetFocus();
    // The button's Escape goes on to the grid, as its arrow keys do.
    if (Keys == ckButton) {
      Grid->Perform(WM_KEYDOWN, VK_ESCAPE, 0);
      Grid->Perform(WM_KEYUP, VK_ESCAPE, 0);
    }
    return true;
  }
  // Return presses no button: only Space and the mouse do.
  if (Keys == ckButton && Key == VK_RETURN) {
    Key = 0;
    return true;
  }
  bool leaves = Key == VK_TAB;
  const bool page = Key == VK_PRIOR || Key == VK_NEXT || Key == VK_END;
  const bool upDown = Key == VK_UP || Key == VK_DOWN, leftRight = Key == VK_LEFT || Key == VK_RIGHT;
  switch (Keys) {
    case ckLine: leaves |= Key == VK_RETURN || upDown; break;
    case ckTyped: leaves |= Key == VK_RETURN || upDown || page; break;
    case ckList: leaves |= Key == VK_RETURN || leftRight; break;
    case ckMemo: break;
    case ckButton: leaves |= upDown || leftRight; break;
    case ckCheck: leaves |= Key == VK_RETURN || upDown || leftRight || page; break;
    case ckDate: leaves |= Key == VK_RETURN || page; break;
  }
  if (!leaves || (Shift & ssAlt)) return false;
  // The check box ends the edit on Left and Right but passes only Up and Down on to the grid.
  WORD k = Keys == ckCheck && leftRight ? 0 : Key;
  Key = 0;
  Grid->CommitCellControl(k, Shift);
  return true;
}

LRESULT CellEditorDlgCode(TExtStringGrid* AGrid, LRESULT Inherited) {
  // Arrows too: a check box or a button has none of its own, and the form would move the focus.
  LRESULT r = Inherited | DLGC_WANTALLKEYS | DLGC_WANTARROWS;
  if (AGrid->Options() & goTabs) r |= DLGC_WANTTAB;
  return r;
}

void CellControlExit(TExtStringGrid* AGrid, TWinControl* AControl) {
  if (AGrid->ActiveCellEditor() == AControl) AGrid->EndCellControlEdit();
}

void CaretToEnd(TWinControl* AControl) {
  const int end = static_cast<int>(AControl->Text().size());
  if (auto* e = dynamic_cast<TCustomEdit*>(AControl)) e->SetSelStart(end);
  if (auto* b = dynamic_cast<TCustomComboBox*>(AControl)) b->SetSelStart(end);
}

void CellControlEnter(TExtStringGrid* AGrid, TWinControl* AControl) {
  const bool all = AGrid->Navigation()->EditSelectAll;
  const int end = static_cast<int>(AControl->Text().size());
  // A memo keeps its caret where the platform puts it when all would be selected.
  if (auto* e = dynamic_cast<TCustomEdit*>(AControl); e && !(all && dynamic_cast<TCustomMemo*>(e)))
    all ? e->SelectAll() : e->SetSelStart(end);
  if (auto* b = dynamic_cast<TCustomComboBox*>(AControl)) all ? b->SelectAll() : b->SetSelStart(end);
}

void CellControlChange(TExtStringGrid* AGrid, const std::string& Text) {
  if (!AGrid->ActiveCellEditor() || !AGrid->OnEditChange) return;
  const TPoint c = AGrid->EditCell();
  AGrid->OnEditChange(AGrid, c.X, c.Y, Text);
}

template <class TBase>
TCellControl<TBase>::TCellControl(TExtStringGrid* AGrid) : TBase(AGrid), grid_(AGrid) {}
template class TCellControl<TESGComboBox>;
template class TCellControl<TEdit>;
template class TCellControl<TEsgDateTimePicker>;
template class TCellControl<TMemo>;
template class TCellControl<TEsgSpinEdit>;
template class TCellControl<TCheckBox>;
template class TCellControl<TEsgEditBtn>;
template class TCellControl<TEsgUnitEditBtn>;
template class TCellControl<TButton>;
template class TCellControl<TRichEdit>;

// ----- combo
TGridCombo::TGridCombo(TExtStringGrid* AGrid) : TCellControl(AGrid) {
  SetButtonWidth(16);
  SetIsWinXP(ExtObj::IsWinXP());
  // The grid's Lookup decides whether typing completes (LookupComplete), not the line itself.
  SetAutoComplete(false);
}

void TGridCombo::KeyUp(WORD& Key, TShiftState Shift) {
  const WORD key = Key;
  TCellControl::KeyUp(Key, Shift);
  // Backspace and Delete take characters away: completing would put them back.
  if (key != VK_BACK && key != VK_DELETE && key != VK_LEFT && key != VK_RIGHT) LookupComplete();
}

void TGridCombo::LookupComplete() {
  TExtStringGrid* g = Grid();
  if (!LookupEnabled || !g->Lookup || list_ || SelLength() != 0) return;
  const std::string prefix = Text().substr(0, static_cast<size_t>(std::max(0, SelStart())));
  if (prefix.empty()) return;
  auto norm = [&](const std::string& t) { return g->LookupCaseSensitive ? t : AnsiUpperCase(t); };
  const std::string p = norm(prefix);
  for (int i = 0; i < Items()->Count(); ++i) {
    const std::string item = Items()->Strings(i);
    if (item.size() < prefix.size() || norm(item.substr(0, prefix.size())) != p) continue;
    SetItemIndex(i);
    SetSelection(static_cast<int>(prefix.size()), static_cast<int>(item.size() - prefix.size()));
    return;
  }
}

void TGridCombo::TakeCell(const std::string& Text, TEditorType Kind) {
  TExtStringGrid* g = Grid();
  list_ = Kind == edComboList || Kind == edUniComboList;
  if (!list_) {
    SetStyle(csDropDown);
    SetText(Text);
    return;
  }
  SetStyle(csDropDownList);
  const int preset = ItemIndex();
  const bool hadPreset = preset >= 0 && preset < Items()->Count();
  const int pick = ComboListPick(*Items(), Text, preset);
  SetItemIndex(pick);
  // Only the first item taken in place of an unmatched text is told; a preset choice is not.
  if (!hadPreset && pick >= 0 && Items()->Strings(pick) != Text) {
    const TPoint c = g->EditCell();
    const std::string sel = Items()->Strings(pick);
    if (g->OnComboChange) g->OnComboChange(g, c.X, c.Y, pick, sel);
    if (g->OnComboObjectChange) g->OnComboObjectChange(g, c.X, c.Y, pick, sel, Items()->Objects(pick));
  }
}

bool TGridCombo::CellValue(std::string& Value) const {
  // A list without a choice writes nothing back.
  if (list_ && ItemIndex() < 0) return false;
  Value = Text();
  return true;
}

void TGridCombo::TakeBack(const std::string& Text, TEditorType) {
  if (list_)
    SetItemIndex(Items()->IndexOf(Text));
  else
    SetText(Text);  // the typed line takes the matching item with its text
}

std::string TGridCombo::Shown() const { return Text() + '\x01' + std::to_string(ItemIndex()); }

TCellKeys TGridCombo::Keys() const { return list_ || DroppedDown() ? ckList : ckTyped; }

void TGridCombo::WheelStep(int Delta) {
  const int n = Items()->Count();
  if (n == 0 || Delta == 0) return;
  const int now = ItemIndex();
  const int next = std::clamp(Delta < 0 ? now + 1 : now - 1, 0, n - 1);
  if (next == now) return;
  UserSelect(next);
}

int TGridCombo::ItemsDropWidth() {
  TCanvas* cv = Canvas();
  cv->Font()->Assign(Font());
  const bool scrolls = Items()->Count() > DropDownCount();
  int w = Width();
  for (int i = 0; i < Items()->Count(); ++i) {
    const int tw = cv->TextWidth(Items()->Strings(i));
    if (scrolls && tw > w - 25) w = tw + 25;
    if (!scrolls && tw > w - 5) w = tw + 8;
  }
  return w;
}

void TGridCombo::WndProc(TMessage& Message) {
  if (Message.Msg == WM_MOUSEWHEEL || Message.Msg == TExtStringGrid::ComboWheelMessage()) {
    WheelStep(Message.Msg == WM_MOUSEWHEEL ? static_cast<int16_t>((Message.WParam >> 16) & 0xFFFF)
                                           : static_cast<int>(static_cast<intptr_t>(Message.WParam)));
    Message.Result = 1;
    return;
  }
  TCellControl::WndProc(Message);
}

bool TGridCombo::ListWheel(int Delta, TShiftState Shift) {
  WPARAM keys = 0;
  if (Shift & ssCtrl) keys |= MK_CONTROL;
  if (Shift & ssShift) keys |= MK_SHIFT;
  const WPARAM w = keys | (static_cast<WPARAM>(static_cast<uint16_t>(static_cast<int16_t>(Delta))) << 16);
  return Grid()->Perform(WM_MOUSEWHEEL, w, 0) != 0;
}

UINT TExtStringGrid::ComboWheelMessage() {
  static const UINT msg = RegisterWindowMessage("ExtGridComboWheel");
  return msg;
}

bool TExtStringGrid::WheelToDroppedCombo(int Delta) {
  auto* combo = dynamic_cast<TGridCombo*>(ActiveCellEditor());
  if (!combo || !combo->DroppedDown()) return false;
  combo->Perform(ComboWheelMessage(), static_cast<WPARAM>(static_cast<intptr_t>(Delta)), 0);
  return true;
}

void TGridCombo::DoExit() {
  TExtStringGrid* g = Grid();
  // A new typed value joins the list with LookupHistory.
  if (g->LookupHistory && !list_ && !Text().empty() && Items()->IndexOf(Text()) < 0) Items()->Add(Text());
  TCellControl::DoExit();
}

TGridUniCombo::TGridUniCombo(TExtStringGrid* AGrid) : TGridCombo(AGrid) { items_->SetWideLineBreaks(true); }

void TGridUniCombo::TakeCell(const std::string& Text, TEditorType Kind) {
  TGridCombo::TakeCell(CellWideText(Text), Kind);
}

void TGridUniCombo::TakeBack(const std::string& Text, TEditorType Kind) {
  TGridCombo::TakeBack(CellWideText(Text), Kind);
}

// ----- date
void TGridDatePicker::TakeCell(const std::string& Text, TEditorType Kind) {
  const bool timeKind = Kind == edTimeEdit;
  SetKind(timeKind ? dtkTime : dtkDate);
  SetUpDown(Kind == edDateEditUpDown);
  SetDateTime(CellDateOrNow(Text, timeKind));
}

bool TGridDatePicker::CellValue(std::string& Value) const {
  Value = Kind() == dtkTime ? TimeToStr(DateTime()) : DateToStr(DateTime());
  return true;
}

void TGridDatePicker::KeyDown(WORD& Key, TShiftState Shift) {
  // Up and Down step the part of the date (time) under the caret; Alt+Down drops the calendar.
  if ((Key == VK_UP || Key == VK_DOWN) && !(Shift & ssAlt)) {
    StepPart(Key == VK_UP ? 1 : -1);
    Key = 0;
    return;
  }
  TCellControl::KeyDown(Key, Shift);
}

void TGridDatePicker::Change() {
  TCellControl::Change();
  TExtStringGrid* g = Grid();
  if (g->OnDateTimeChange && g->ActiveCellEditor() == this) {
    const TPoint c = g->EditCell();
    g->OnDateTimeChange(g, c.X, c.Y, DateTime());
  }
}

void TGridDatePicker::DayPicked() {
  if (Grid()->ActiveCellEditor() == this) Grid()->CommitCellControl(VK_RETURN, 0);
}

// ----- spin
TGridSpin::TGridSpin(TExtStringGrid* AGrid) : TCellControl(AGrid) {
  SetMinValue(0);
  SetMaxValue(100);
  SetIncrement(1);
}

void TGridSpin::TakeCell(const std::string& Text, TEditorType Kind) {
  const TEsgSpinType t = Kind == edFloatSpinEdit ? sptFloat : Kind == edTimeSpinEdit ? sptTime
                       : Kind == edDateSpinEdit  ? sptDate  : sptNormal;
  SetSpinType(t);
  SetText(Text);
  switch (t) {
    case sptNormal: SetValue(Value()); break;
    case sptFloat: SetFloatValue(FloatValue()); break;
    case sptTime: SetTimeValue(TimeValue()); break;
    case sptDate: SetDateValue(CellDateOrNow(Text, false)); break;
  }
}

bool TGridSpin::CellValue(std::string& Value) const {
  switch (SpinType()) {
    case sptFloat: Value = FloatToStr(FloatValue()); break;
    case sptDate: {
      // Text that is no date writes nothing back (the spin's own reading of it is its minimum).
      TDateTime d = 0;
      if (!TryStrToDate(Text(), d)) return false;
      Value = DateToStr(d);
      break;
    }
    default: Value = Text(); break;
  }
  return true;
}

void TGridSpin::TellStep(bool Up) {
  TExtStringGrid* g = Grid();
  const TPoint c = g->EditCell();
  switch (SpinType()) {
    case sptNormal:
      if (g->OnSpinClick) g->OnSpinClick(g, c.X, c.Y, Value(), Up);
      break;
    case sptFloat:
      if (g->OnFloatSpinClick) g->OnFloatSpinClick(g, c.X, c.Y, FloatValue(), Up);
      break;
    case sptDate:
      if (g->OnDateSpinClick) g->OnDateSpinClick(g, c.X, c.Y, DateValue(), Up);
      break;
    case sptTime:
      if (g->OnTimeSpinClick) g->OnTimeSpinClick(g, c.X, c.Y, TimeValue(), Up);
      break;
  }
}

void TGridSpin::UpClick(TObject* Sender) {
  TCellControl::UpClick(Sender);
  TellStep(true);
}

void TGridSpin::DownClick(TObject* Sender) {
  TCellControl::DownClick(Sender);
  TellStep(false);
}

void TGridSpin::KeyDown(WORD& Key, TShiftState Shift) {
  const bool floats = SpinType() == sptFloat;
  // Equal limits are no limits: a page step always goes, Home and End have nowhere to go.
  const bool limited = floats ? MinFloatValue() != MaxFloatValue() : MinValue() != MaxValue();
  const bool numbers = SpinType() == sptNormal || floats;
  if (numbers && (Key == VK_PRIOR || Key == VK_NEXT || Key == VK_HOME || Key == VK_END)) {
    const bool up = Key == VK_PRIOR || Key == VK_HOME;
    if (Key == VK_PRIOR || Key == VK_NEXT) {
      if (floats) {
        const double v = FloatValue() + (up ? IncrementFloat() : -IncrementFloat());
        if (!limited || (up ? v <= MaxFloatValue() : v >= MinFloatValue())) SetFloatValue(v);
      } else {
        const long long v = static_cast<long long>(Value()) + (up ? Increment() : -Increment());
        if (limited ? (up ? v <= MaxValue() : v >= MinValue()) : v >= INT_MIN && v <= INT_MAX)
          SetValue(static_cast<int>(v));
      }
    } else if (limited) {
      floats ? SetFloatValue(up ? MaxFloatValue() : MinFloatValue()) : SetValue(up ? MaxValue() : MinValue());
    }
    TExtStringGrid* g = Grid();
    const TPoint c = g->EditCell();
    if (g->OnSpinClick) g->OnSpinClick(g, c.X, c.Y, Value(), up);
    Key = 0;
    return;
  }
  TCellControl::KeyDown(Key, Shift);
}

void TGridSpin::Change() {
  TCellControl::Change();
  CellControlChange(Grid(), Text());
}

// ----- check box
void TGridCheckBox::TakeCell(const std::string& Text, TEditorType Kind) {
  TExtStringGrid* g = Grid();
  const TPoint c = g->EditCell();
  data_ = Kind == edDataCheckBox;
  if (data_) {
    std::string yes = g->CheckTrue;
    g->GetCheckTrue(c.X, c.Y, yes);
    SetCaption("");
    SetChecked(Text == yes);
  } else {
    SetCaption(Text);
    SetChecked(g->HasCheckBox(c.X, c.Y) && g->GetCheckBoxState(c.X, c.Y));
  }
}

bool TGridCheckBox::CellValue(std::string& Value) const {
  if (!data_) return false;
  TExtStringGrid* g = Grid();
  const TPoint c = g->EditCell();
  std::string yes = g->CheckTrue, no = g->CheckFalse;
  g->GetCheckTrue(c.X, c.Y, yes);
  g->GetCheckFalse(c.X, c.Y, no);
  Value = Checked() ? yes : no;
  return true;
}

// ----- edit with button
TGridEditBtn::TGridEditBtn(TExtStringGrid* AGrid) : TCellControl(AGrid) { SetButtonCaption("..."); }

void TGridEditBtn::TakeCell(const std::string& Text, TEditorType Kind) {
  kind_ = Kind;
  SetText(Kind == edUniEditBtn ? CellWideText(Text) : Text);
}

bool TGridEditBtn::CellValue(std::string& Value) const {
  Value = Text();
  return true;
}

void TGridEditBtn::ClickButton(TObject* Sender) {
  std::string t = Text();
  Grid()->EllipsClick(t);
  SetText(t);
  SelectAll();
  TCellControl::ClickButton(Sender);
}

void TGridEditBtn::KeyPress(char& Key) {
  const char k = Key;
  const bool digit = k >= '0' && k <= '9';
  const bool control = k == 8 || k == '\t' || k == '\r' || k == 27;
  const std::string t = Text();
  // "-" only first and once.
  const bool minusOk = k == '-' && SelStart() == 0 &&
                       (t.find('-') == std::string::npos || SelText().find('-') != std::string::npos);
  if (kind_ == edNumericEditBtn && !(digit || control || minusOk)) {
    Key = 0;
    MessageBeep(0);
    return;
  }
  if (kind_ == edFloatEditBtn && !(digit || control)) {
    const char dec = FormatSettings.DecimalSeparator;
    const bool sepOk = k == dec && (t.find(dec) == std::string::npos || SelText().find(dec) != std::string::npos);
    if (k == '-' && !minusOk) {
      Key = 0;
      MessageBeep(0);
      return;
    }
    if (k != '-' && !sepOk) {
      Key = 0;  // dropped without a beep
      return;
    }
  }
  TCellControl::KeyPress(Key);
}

void TGridEditBtn::Change() {
  TCellControl::Change();
  CellControlChange(Grid(), Text());
}

// ----- unit edit
void TGridUnitEditBtn::TakeCell(const std::string& Text, TEditorType) {
  std::string value, unit;
  SplitValueAndUnit(Text, value, unit);
  SetText(value);
  SetUnitID(unit);
}

bool TGridUnitEditBtn::CellValue(std::string& Value) const {
  Value = Text() + UnitID();
  return true;
}

void TGridUnitEditBtn::Change() {
  TCellControl::Change();
  CellControlChange(Grid(), Text());
}

// ----- button
void TGridButton::TakeCell(const std::string& Text, TEditorType) { SetCaption(Text); }

void TGridButton::Click() {
  std::string t = Caption();
  Grid()->EllipsClick(t);
  SetCaption(t);
  TCellControl::Click();
}

// ----- wide edit and memo
void TGridUniEdit::TakeCell(const std::string& Text, TEditorType) { SetText(CellWideText(Text)); }

bool TGridUniEdit::CellValue(std::string& Value) const {
  Value = Text();
  return true;
}

void TGridUniEdit::Change() {
  TCellControl::Change();
  CellControlChange(Grid(), Text());
}

void TGridUniMemo::SetText(const std::string& v) { TCellControl::SetText(WideLineBreaksAsCrLf(v)); }

void TGridUniMemo::TakeCell(const std::string& Text, TEditorType) { SetText(CellWideText(Text)); }

bool TGridUniMemo::CellValue(std::string& Value) const {
  Value = Text();
  return true;
}

// ----- rich edit
TExtRichEdit::TExtRichEdit(TExtStringGrid* AGrid) : TCellControl(AGrid) { SetBorderStyle(bsNone); }

void TExtRichEdit::TakeCell(const std::string& Text, TEditorType) {
  const bool was = lock_;
  lock_ = true;
  SetRtfText(Text);
  lock_ = was;
  opened_ = RtfText();
}

bool TExtRichEdit::CellValue(std::string& Value) const {
  Value = RtfText();
  return Value != opened_;
}

void TExtRichEdit::KeyDown(WORD& Key, TShiftState Shift) {
  TCellControl::KeyDown(Key, Shift);
  TExtStringGrid* g = Grid();
  if ((Key != VK_UP && Key != VK_DOWN) || g->WordWrap() || g->Multilinecells || g->ActiveCellEditor() != this) return;
  const WORD k = Key;
  Key = 0;
  g->CommitCellControl(k, Shift);
}

void TExtRichEdit::DoExit() { TRichEdit::DoExit(); }

void TExtRichEdit::WMKillFocus(TMessage& Message) {
  TExtStringGrid* g = Grid();
  if (!g->LeavingEditor() && FindControl(reinterpret_cast<HWND>(Message.WParam)) == g) CellControlExit(g, this);
  TCellControl::WMKillFocus(Message);
}

void TExtRichEdit::TakeStartKey(char32_t Key) {
  if (Key < 0x20) return;
  SetSelText(CharUtf8(Key));
}

void TExtRichEdit::RequestSize(const TRect& Rect) {
  TCellControl::RequestSize(Rect);
  reqWidth_ = Rect.Width();
  reqHeight_ = Rect.Height();
  TExtStringGrid* g = Grid();
  if (lock_ || g->ActiveCellEditor() != this || !g->SizeWhileTyping()->Height) return;
  const int row = g->EditCell().Y, h = Rect.Height();
  if (row < 0 || row >= g->RowCount() || h <= g->RowHeights(row)) return;
  if (g->CellRect(g->DisplColIndex(g->EditCell().X), row).Top + h > g->ClientHeight()) return;
  SetHeight(h + 4);
  g->SetRowHeights(row, h + 5);
  if (g->OnEndRowSize) g->OnEndRowSize(g, row);
}

void TExtRichEdit::SelectionChange() {
  TCellControl::SelectionChange();
  TExtStringGrid* g = Grid();
  if (g->ActiveCellEditor() == this && g->OnRichEditSelectionChange) g->OnRichEditSelectionChange(g);
}

void TExtRichEdit::Change() {
  TCellControl::Change();
  if (!lock_) CellControlChange(Grid(), Text());
}

// ---------------------------------------------------------------- factory
template <class T>
T* TCellEditorFactory::Make(T*& Slot) {
  if (!Slot) {
    Slot = new T(grid_);
    Slot->SetVisible(false);
    Slot->SetParent(grid_);
  }
  return Slot;
}

TGridCombo* TCellEditorFactory::Combo() { return Make(combo_); }
TGridSpin* TCellEditorFactory::Spin() { return Make(spin_); }

// Never given a parent: it lays text out without a window, at the width the grid gives it.
TExtRichEdit* TCellEditorFactory::RichFormatter() {
  if (!richFormat_) {
    richFormat_ = new TExtRichEdit(grid_);
    richFormat_->SetVisible(false);
    richFormat_->SetBounds(0, 0, 0, 0);
  }
  return richFormat_;
}

TGridDatePicker* TCellEditorFactory::DateEdit() {
  const bool fresh = !date_;
  Make(date_);
  if (fresh) date_->SetBorderStyle(bsNone);
  return date_;
}

TWinControl* TCellEditorFactory::For(TEditorType Kind) {
  switch (Kind) {
    case edComboEdit: case edComboList: return Combo();
    case edUniComboEdit: case edUniComboList: return Make(uniCombo_);
    case edDateEdit: case edDateEditUpDown: case edTimeEdit: return DateEdit();
    case edSpinEdit: case edFloatSpinEdit: case edTimeSpinEdit: case edDateSpinEdit: return Spin();
    case edCheckBox: case edDataCheckBox: return Make(check_);
    case edEditBtn: case edNumericEditBtn: case edFloatEditBtn: case edUniEditBtn: return Make(editBtn_);
    case edUnitEditBtn: return Make(unit_);
    case edButton: return Make(button_);
    case edUniEdit: return Make(uniEdit_);
    case edUniMemo: return Make(uniMemo_);
    case edRichEdit: return Make(richEdit_);
    default: return nullptr;
  }
}

TWinControl* TCellEditorFactory::Made(TEditorType Kind) const {
  switch (Kind) {
    case edComboEdit: case edComboList: return combo_;
    case edUniComboEdit: case edUniComboList: return uniCombo_;
    case edDateEdit: case edDateEditUpDown: case edTimeEdit: return date_;
    case edSpinEdit: case edFloatSpinEdit: case edTimeSpinEdit: case edDateSpinEdit: return spin_;
    case edCheckBox: case edDataCheckBox: return check_;
    case edEditBtn: case edNumericEditBtn: case edFloatEditBtn: case edUniEditBtn: return editBtn_;
    case edUnitEditBtn: return unit_;
    case edButton: return button_;
    case edUniEdit: return uniEdit_;
    case edUniMemo: return uniMemo_;
    case edRichEdit: return richEdit_;
    default: return nullptr;
  }
}

// ---------------------------------------------------------------- the grid's side
namespace {
TCellEditorSide* SideOf(TWinControl* c) { return dynamic_cast<TCellEditorSide*>(c); }
}  // namespace

TCellEditorFactory* TExtStringGrid::CellEditors() {
  if (!editors_) editors_ = std::make_shared<TCellEditorFactory>(this);
  return editors_.get();
}

TGridCombo* TExtStringGrid::ComboBox() { return CellEditors()->Combo(); }
TGridDatePicker* TExtStringGrid::DateEditor() { return CellEditors()->DateEdit(); }

void TExtStringGrid::ShowCellEditor(int ACol, int ARow) {
  control_.Shown = false;
  control_.Refused = false;
  TRect r = CellRectEx(DisplColIndex(ACol), ARow);
  if (UseRightToLeftAlignment()) ++r.Left;
  if (edit_.EditorType == edCustom && EditLink) {
    control_.Cell = TPoint(ACol, ARow);
    if (!ShowEditLink(ACol, ARow, r)) return;
    EditOpened();
    control_.Shown = true;
    control_.StartText = EditLink->GetEditorValue();
    TypeStartKey(EditLink->GetEditControl(), StartCharForControl());
    return;
  }
  TWinControl* c = CellEditors()->For(edit_.EditorType);
  TCellEditorSide* side = SideOf(c);
  if (!side) return;  // no control for this kind: the inplace editor edits the text
  EditOpened();
  control_.Cell = TPoint(ACol, ARow);
  // Setting a rich edit up is no typing: its size requests grow no row meanwhile.
  auto* rich = dynamic_cast<TExtRichEdit*>(c);
  if (rich) rich->SetResizeLocked(true);
  c->SetBounds(r.Left, r.Top, std::max(1, r.Width() - 1), std::max(1, r.Height() - 1));
  {
    // The colour and font the cell is painted in.
    TBrush brush;
    TFont font;
    font.Assign(Font());
    TGridDrawState st = 0;
    TColor to = clNone;
    TAlignment ha = taLeftJustify;
    TVAlignment va = vtaTop;
    bool ww = false;
    GetCellColors(DisplColIndex(ACol), ARow, st, false, true, false, &brush, to, &font, ha, va, ww);
    c->SetColor(brush.Color());
    c->SetFont(&font);
  }
  side->TakeCell(GridCells(ACol, ARow), edit_.EditorType);
  // Only now is it the cell's editor: taking the cell's value is no change by the user.
  control_.Shown = true;
  control_.Editor = c;
  if (auto* spin = dynamic_cast<TGridSpin*>(c)) spin->ExcelStyleDecimalSeparator = ExcelStyleDecimalSeparator;
  if (auto* combo = dynamic_cast<TGridCombo*>(c))
    combo->SetDroppedWidth(navigation_->AutoComboDropSize ? combo->ItemsDropWidth() : combo->DropWidth());
  control_.StartText = side->Shown();
  if (rich) rich->SetResizeLocked(false);
  c->SetVisible(true);
  if (c->CanFocus()) c->SetFocus();
  if (const char32_t start = StartCharForControl()) side->TakeStartKey(start);
  // DirectDateDrop: the calendar drops with the date picker, as F4 would drop it.
  if (edit_.EditorType == edDateEdit && MouseActions()->DirectDateDrop) static_cast<TGridDatePicker*>(c)->DropDown();
  // DirectComboDrop: the list drops with the combo box, as Alt+Down would drop it.
  if (auto* combo = dynamic_cast<TGridCombo*>(c); combo && MouseActions()->DirectComboDrop) combo->SetDroppedDown(true);
}

void TExtStringGrid::TypeIntoCellControl(char32_t Ch) {
  if (!control_.Shown) return;
  if (edit_.EditorType == edCustom && EditLink)
    TypeStartKey(EditLink->GetEditControl(), Ch);
  else if (TCellEditorSide* side = SideOf(control_.Editor))
    side->TakeStartKey(Ch);
}

void TExtStringGrid::SetActiveCellEditor(TWinControl* AControl) { control_.Editor = AControl; }

void TExtStringGrid::PlaceCellEditor() {
  TWinControl* c = ActiveCellEditor();
  // A pop-up editor stands on its own form, below the cell.
  if (!c || (edit_.EditorType == edCustom && EditLink && EditLink->EditStyle == esPopup)) return;
  TRect r = CellRectEx(DisplColIndex(control_.Cell.X), control_.Cell.Y);
  if (UseRightToLeftAlignment()) ++r.Left;
  if (r.Width() <= 1 || r.Height() <= 1) {
    c->SetVisible(false);
    return;
  }
  c->SetBounds(r.Left, r.Top, std::max(1, r.Width() - 1), std::max(1, r.Height() - 1));
  c->SetVisible(true);
}

void TExtStringGrid::CommitCellControl(WORD Key, TShiftState Shift) {
  control_.Commit = control_.Shown;
  HandleEditorKey(Key, Shift);
  control_.Commit = false;
}

void TExtStringGrid::CancelCellControl() {
  TGridFlagScope cancel(control_.Cancel, true);
  RestoreCellAfterCancel();
  EndCellControlEdit();
}

void TExtStringGrid::TakeBackCellControl() {
  TWinControl* c = ActiveCellEditor();
  TCellEditorSide* side = SideOf(c);
  if (!side) return;
  const TPoint cell = control_.Cell;
  const bool inGrid = cell.X >= 0 && cell.Y >= 0 && cell.X < AllColCount() && cell.Y < RowCount();
  side->TakeBack(inGrid ? GridCells(cell.X, cell.Y) : edit_.StartText, edit_.EditorType);
  CaretToEnd(c);
  // What it shows now is the start again: left unchanged, it writes nothing back.
  control_.StartText = side->Shown();
  c->Invalidate();
}

void TExtStringGrid::HideCellEditor() {
  if (!control_.Shown || edit_.Validating) return;
  TWinControl* c = control_.Editor;
  TCellEditorSide* side = SideOf(c);
  TEditLink* link = edit_.EditorType == edCustom && EditLink && c == EditLink->GetEditControl() ? EditLink.Get() : nullptr;
  TPoint cell = control_.Cell;
  // A control left as it was shown writes nothing back: opening one never changes the cell.
  bool commit = control_.Commit;
  control_.Commit = false;
  std::string value;
  const auto shown = [&] { return link ? link->GetEditorValue() : side ? side->Shown() : std::string(); };
  const bool inGrid = cell.X >= 0 && cell.Y >= 0 && cell.X < AllColCount() && cell.Y < RowCount();
  bool write = false;
  if ((side || link) && !control_.Cancel && (commit || shown() != control_.StartText) && inGrid) {
    if (link) {
      value = link->GetEditorValue();
      write = true;
    } else {
      write = side->CellValue(value);
    }
  }
  if (write && !CommitControlValue(c, cell, value)) return;
  control_.Shown = false;
  control_.Refused = false;
  EditClosed();
  control_.Editor = nullptr;
  if (link)
    link->Release();
  else if (c)
    c->SetVisible(false);
  if (edit_.EditorType != edNormal) EditingDone();
}

bool TExtStringGrid::CommitControlValue(TWinControl* c, TPoint cell, const std::string& Value) {
  std::string v = Value;
  bool valid = true;
  // An unchanged value is stored as it is, as the inplace editor does.
  // The wide kinds are validated as wide text (OnCellValidateWide alone).
  const bool wide = IsWideEditor(edit_.EditorType);
  if (Value != edit_.StartText) {
    auto guard = ValidatingScope();
    valid = wide ? CheckEditedWideValue(cell.X, cell.Y, Value, v) : CheckEditedValue(cell.X, cell.Y, Value, v);
  }
  if (valid) {
    control_.Shown = false;
    SetEditCellText(cell.X, cell.Y, v);
    control_.Shown = true;
    if (v != edit_.StartText && !wide) CellsChanged(TRect(cell.X, cell.Y, cell.X, cell.Y));
    return true;
  }
  // Refused: the cell gets back its text from before (or the handler's correction) and the
  // control stays open on the cell with it, until a value is taken or Escape restores.
  std::string back = v != Value ? v : edit_.StartText;
  {
    auto guard = ValidatingScope();
    SetEditCellText(cell.X, cell.Y, back);
    if (TCellEditorSide* side = SideOf(c)) side->TakeCell(back, edit_.EditorType);
    if (edit_.EditorType == edCustom && EditLink && c == EditLink->GetEditControl()) EditLink->SetEditorValue(back);
    // The caret goes to the end of the text taken back.
    CaretToEnd(c);
    int dc = DisplColIndex(cell.X);
    if (Col() != dc || Row() != cell.Y) {
      auto sel = SelectingScope();
      FocusCell(dc, cell.Y, true);
    }
  }
  if (TCellEditorSide* side = SideOf(c)) control_.StartText = side->Shown();
  if (edit_.EditorType == edCustom && EditLink && c == EditLink->GetEditControl()) control_.StartText = back;
  EditGoesOnFrom(cell, back);
  control_.Refused = true;
  return false;
}
