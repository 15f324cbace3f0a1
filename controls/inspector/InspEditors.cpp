#include "controls/inspector/InspEditors.h"

#include <functional>

#include "controls/inspector/InspectorBar.h"
#include "platform/gui/Windows.h"

namespace {

TInspectorBar* BarOf(TComponent* Editor) { return dynamic_cast<TInspectorBar*>(Editor->Owner()); }

// Hands Return, Up or Down to the bar for the row being edited; true when it did.
bool ToBar(TComponent* Editor, TInspectorItem* Item, WORD& Key) {
  TInspectorBar* bar = BarOf(Editor);
  if (!bar || !Item) return false;
  const WORD k = Key;
  Key = 0;
  bar->Navigate(Item, k);
  return true;
}

void Leave(TComponent* Editor, TInspectorItem* Item) {
  if (TInspectorBar* bar = BarOf(Editor); bar && Item && bar->EditItem() == Item) bar->StopEdit(Item);
}

// Return and the arrows go to the bar (with CtrlSteps, Ctrl+arrows stay in the editor);
// Escape puts back the value of the start. True when the key was taken.
bool EditorKey(TComponent* Editor, TInspectorItem* Item, WORD& Key, TShiftState Shift, bool CtrlSteps,
               const std::function<void()>& Restore) {
  const bool arrow = (Key == VK_UP || Key == VK_DOWN) && !(CtrlSteps && (Shift & ssCtrl));
  if ((arrow || Key == VK_RETURN) && ToBar(Editor, Item, Key)) return true;
  if (Key != VK_ESCAPE) return false;
  Key = 0;
  Restore();
  return true;
}

// The editors take every key but Tab: Return, Escape and the arrows are theirs.
constexpr LRESULT kEditorKeys = DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_WANTALLKEYS | DLGC_HASSETSEL;

}  // namespace

// ================================================================ text
TInspectorEdit::TInspectorEdit(TComponent* AOwner) : TMaskEdit(AOwner) { SetBorderStyle(bsNone); }

void TInspectorEdit::WMGetDlgCode(TMessage& Message) { Message.Result = kEditorKeys; }

void TInspectorEdit::SetMultiLine(bool v) {
  multiLine_ = v;
  SetFormattingRect(rectLeft_, rectTop_);
}

void TInspectorEdit::SetFormattingRect(int Left, int Top) {
  rectLeft_ = Left;
  rectTop_ = Top;
  if (multiLine_) SetTextMargins(Left, Top, 0, 0);
  else SetTextMargins(0, 0, 0, 0);
}

void TInspectorEdit::KeyDown(WORD& Key, TShiftState Shift) {
  if (EditorKey(this, InspectorItem, Key, Shift, false, [this] {
        SetText(OrigValue);
        SelectAll();
      }))
    return;
  TMaskEdit::KeyDown(Key, Shift);
}

void TInspectorEdit::KeyPress(char& Key) {
  if (Key == '\r' || Key == 27) {
    Key = 0;
    return;
  }
  if (editType_ != ieText && Key != 8) {
    const bool digit = Key >= '0' && Key <= '9';
    const bool floatChar = editType_ == ieFloat && (Key == 'E' || Key == 'e' || Key == FormatSettings.DecimalSeparator);
    if (!digit && !floatChar && Key != '-') {
      Key = 0;
      return;
    }
    const std::string t = Text();
    const bool allSelected = !t.empty() && SelLength() == static_cast<int>(t.size());
    if (Key == '-') {
      if (t.find('-') != std::string::npos && !allSelected) {
        Key = 0;
        return;
      }
      // A minus typed after the start goes in front of the number.
      if (SelStart() > 0 && !allSelected) {
        Key = 0;
        SetText("-" + t);
        SetSelStart(static_cast<int>(t.size()) + 1);
        Change();
        return;
      }
    }
    if (editType_ == ieFloat && Key == FormatSettings.DecimalSeparator && t.find(Key) != std::string::npos) {
      Key = 0;
      return;
    }
  }
  TMaskEdit::KeyPress(Key);
}

void TInspectorEdit::DoExit() {
  TMaskEdit::DoExit();
  Leave(this, InspectorItem);
}

// ================================================================ list
TInspectorCombo::TInspectorCombo(TComponent* AOwner) : TInspComboBox(AOwner) { SetFlat(true); }

void TInspectorCombo::WMGetDlgCode(TMessage& Message) { Message.Result = kEditorKeys; }

// Shared by both lists: arrows go to the bar unless Ctrl or Alt is held or the list is open;
// Return, with the list closed and AutoAdvance on, moves on (after OnEditAutoAdvance); without
// AutoAdvance the list keeps it.
static bool ListKey(TCustomComboBox* Combo, TInspectorItem* Item, WORD& Key, TShiftState Shift) {
  // Alt+Down or Alt+Up opens the list, as in every list of the desktop.
  if ((Key == VK_UP || Key == VK_DOWN) && (Shift & ssAlt) && !(Shift & ssCtrl)) {
    Combo->SetDroppedDown(!Combo->DroppedDown());
    Key = 0;
    return true;
  }
  if ((Key == VK_UP || Key == VK_DOWN) && !(Shift & ssCtrl) && !Combo->DroppedDown())
    return ToBar(Combo, Item, Key);
  if (Key == VK_RETURN && !Combo->DroppedDown()) {
    TInspectorBar* bar = BarOf(Combo);
    if (!bar || !bar->AutoAdvance()) return false;
    if (bar->OnEditAutoAdvance && Item) bar->OnEditAutoAdvance(Combo, Item->Panel(), Item);
    return ToBar(Combo, Item, Key);
  }
  return false;
}

void TInspectorCombo::KeyDown(WORD& Key, TShiftState Shift) {
  if (ListKey(this, InspectorItem, Key, Shift)) return;
  if (Key == VK_ESCAPE && !DroppedDown()) {
    Key = 0;
    SetText(OrigValue);
    SelectAll();
    return;
  }
  TInspComboBox::KeyDown(Key, Shift);
}

void TInspectorCombo::DoExit() {
  TInspComboBox::DoExit();
  Leave(this, InspectorItem);
}

// ================================================================ colour list
TInspectorColorCombo::TInspectorColorCombo(TComponent* AOwner) : TInspColorComboBox(AOwner) { SetFlat(true); }

void TInspectorColorCombo::WMGetDlgCode(TMessage& Message) { Message.Result = kEditorKeys; }

void TInspectorColorCombo::KeyDown(WORD& Key, TShiftState Shift) {
  if (ListKey(this, InspectorItem, Key, Shift)) return;
  if (Key == VK_ESCAPE && !DroppedDown()) {
    Key = 0;
    SetColorValue(OrigValue);
    return;
  }
  TInspColorComboBox::KeyDown(Key, Shift);
}

void TInspectorColorCombo::DoExit() {
  TInspColorComboBox::DoExit();
  Leave(this, InspectorItem);
}

// ================================================================ spin
TInspectorSpin::TInspectorSpin(TComponent* AOwner) : TInspSpinEdit(AOwner) { SetBorderStyle(bsNone); }

void TInspectorSpin::WMGetDlgCode(TMessage& Message) { Message.Result = kEditorKeys; }

void TInspectorSpin::KeyDown(WORD& Key, TShiftState Shift) {
  // With Ctrl the arrows step the number; without, they move to another row.
  if (EditorKey(this, InspectorItem, Key, Shift, true, [this] {
        SetText(OrigValue);
        SelectAll();
      }))
    return;
  TInspSpinEdit::KeyDown(Key, Shift);
}

void TInspectorSpin::DoExit() {
  // The row takes the text as typed; the spin edit's own limiting comes after.
  Leave(this, InspectorItem);
  TInspSpinEdit::DoExit();
}

// ================================================================ edit with button
TInspectorEditBtn::TInspectorEditBtn(TComponent* AOwner) : TInspEditBtn(AOwner) { SetBorderStyle(bsNone); }

void TInspectorEditBtn::WMGetDlgCode(TMessage& Message) { Message.Result = kEditorKeys; }

void TInspectorEditBtn::KeyDown(WORD& Key, TShiftState Shift) {
  if (EditorKey(this, InspectorItem, Key, Shift, false, [this] {
        SetText(OrigValue);
        SelectAll();
      }))
    return;
  TInspEditBtn::KeyDown(Key, Shift);
}

void TInspectorEditBtn::DoExit() {
  TInspEditBtn::DoExit();
  Leave(this, InspectorItem);
}

// ================================================================ date and time
TInspectorDateTimePicker::TInspectorDateTimePicker(TComponent* AOwner) : TInspDateTimePicker(AOwner) {}

void TInspectorDateTimePicker::WMGetDlgCode(TMessage& Message) { Message.Result = kEditorKeys; }

void TInspectorDateTimePicker::KeyDown(WORD& Key, TShiftState Shift) {
  // Alt+Down drops the calendar, it is no move to the next row.
  if (!(HasCalendar() && IsDropKey(Key, Shift)) && EditorKey(this, InspectorItem, Key, Shift, false, [this] { SetDateTime(OrigValue); })) return;
  TInspDateTimePicker::KeyDown(Key, Shift);
}

void TInspectorDateTimePicker::DoExit() {
  TInspDateTimePicker::DoExit();
  Leave(this, InspectorItem);
}

void TInspectorDateTimePicker::DayPicked() {
  if (TInspectorBar* bar = BarOf(this); bar && InspectorItem && bar->EditItem() == InspectorItem) bar->EditorToValue();
}

// ================================================================ edit link
TInspectorEditLink::~TInspectorEditLink() { ClosePopup(); }

void TInspectorEditLink::SetProperties(const TRect& R, TInspectorItem* Item) {
  if (OnSetProperties) OnSetProperties(this, R, Item);
}

void TInspectorEditLink::EditorKeyDown(TObject*, WORD& Key, TShiftState) {
  bool candidate = Key == VK_RETURN || Key == VK_ESCAPE || Key == VK_PRIOR || Key == VK_NEXT || Key == VK_END ||
                   Key == VK_LEFT || Key == VK_UP || Key == VK_RIGHT || Key == VK_DOWN;
  if ((Key == VK_UP || Key == VK_DOWN) && WantKeyUpDown) candidate = false;
  if ((Key == VK_LEFT || Key == VK_RIGHT) && WantKeyLeftRight) candidate = false;
  if ((Key == VK_PRIOR || Key == VK_NEXT) && WantKeyPriorNext) candidate = false;
  if (Key == VK_END && WantKeyHomeEnd) candidate = false;
  if (Key == VK_RETURN && WantKeyReturn) candidate = false;
  if (Key == VK_ESCAPE && WantKeyEscape) candidate = false;
  if (!candidate) return;
  if (Key == VK_ESCAPE) {
    RestoreText();
  } else if ((Key == VK_RETURN || Key == VK_UP || Key == VK_DOWN) && bar_ && bar_->EditItem()) {
    const WORD k = Key;
    Key = 0;
    bar_->Navigate(bar_->EditItem(), k);
  }
}

void TInspectorEditLink::OpenPopup(const TRect& ScreenRect) {
  ClosePopup();
  popup_ = new TForm(Application);
  popup_->SetBorderStyle(bsNone);
  popup_->SetFormStyle(fsStayOnTop);
  popup_->SetBounds(ScreenRect.Left, ScreenRect.Top, popupWidth_, popupHeight_);
  popup_->OnDeactivate = [this](TObject*) { PopupDeactivate(); };
  popup_->Show();
}

void TInspectorEditLink::PopupDeactivate() {
  if (bar_ && bar_->EditItem()) StopEdit(bar_->EditItem());
  ClosePopup();
}

void TInspectorEditLink::ClosePopup() {
  if (!popup_) return;
  TForm* f = popup_;
  popup_ = nullptr;
  f->OnDeactivate = nullptr;
  DestroyEditor();
  delete f;
}
