// Inplace editing of the bar's rows: which editor a row gets, how it is placed
// and filled, how its content goes back into the row, and moving between rows.
#include <algorithm>
#include <cmath>
#include <functional>

#include "controls/inspector/InspEditors.h"
#include "controls/inspector/InspectorBar.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Windows.h"

void TInspectorBar::CreateEditors() {
  edit_ = new TInspectorEdit(this);
  combo_ = new TInspectorCombo(this);
  colorCombo_ = new TInspectorColorCombo(this);
  spin_ = new TInspectorSpin(this);
  editBtn_ = new TInspectorEditBtn(this);
  dateTime_ = new TInspectorDateTimePicker(this);
  for (TWinControl* e : std::initializer_list<TWinControl*>{edit_, combo_, colorCombo_, spin_, editBtn_, dateTime_}) {
    e->SetVisible(false);
    e->OnDblClick = [this](TObject*) { EditorDblClick(); };
  }
  edit_->OnChange = [this](TObject*) { EditorChanged(); };
  spin_->OnChange = [this](TObject*) { EditorChanged(); };
  editBtn_->OnChange = [this](TObject*) { EditorChanged(); };
  dateTime_->OnChange = [this](TObject*) { EditorChanged(); };
  combo_->OnChange = [this](TObject*) { ComboChanged(); };
  combo_->OnSelect = [this](TObject*) { ComboChanged(); };
  colorCombo_->OnChange = [this](TObject*) { ColorChanged(); };
  colorCombo_->OnSelect = [this](TObject*) { ColorChanged(); };
  spin_->OnSpinUp = [this](TObject*) { SpinEvent(0); };
  spin_->OnSpinDown = [this](TObject*) { SpinEvent(1); };
  spin_->OnSpinChange = [this](TObject*) { SpinEvent(2); };
  editBtn_->OnClickBtn = [this](TObject*) { EditBtnClicked(); };
  combo_->SetIsWinXP(isWinXP_);
  colorCombo_->SetIsWinXP(isWinXP_);
  editBtn_->SetIsWinXP(isWinXP_);
  spin_->SetIsWinXP(isWinXP_);
}

TWinControl* TInspectorBar::EditorFor(TPropertyType Type) const { return EditorIn(RowKind(Type).Editor); }

TWinControl* TInspectorBar::EditorIn(TEditorSlot Slot) const {
  switch (Slot) {
    case TEditorSlot::Edit: return edit_;
    case TEditorSlot::Combo: return combo_;
    case TEditorSlot::ColorCombo: return colorCombo_;
    case TEditorSlot::Spin: return spin_;
    case TEditorSlot::EditBtn: return editBtn_;
    case TEditorSlot::DateTime: return dateTime_;
    case TEditorSlot::None: break;
  }
  return nullptr;
}

TWinControl* TInspectorBar::ActiveEditor() const {
  if (!editState_.Open || !editState_.Item) return nullptr;
  if (editState_.Item->PropertyType() == ptCustom) return editState_.Link ? editState_.Link->GetEditor() : nullptr;
  return EditorFor(editState_.Item->PropertyType());
}

bool TInspectorBar::IsOwnEditor(TControl* C) const {
  for (TControl* c = C; c; c = c->Parent())
    if (c == edit_ || c == combo_ || c == colorCombo_ || c == spin_ || c == editBtn_ || c == dateTime_ ||
        (editState_.Link && c == editState_.Link->GetEditor()))
      return true;
  return false;
}

int TInspectorBar::ButtonAreaHeight() const {
  const auto in = LayoutInput();
  const std::vector<TInspLayoutPanel>& ps = in->Panels;
  int h = PanelAreaHeight();
  for (int i = std::max(0, ActivePanel()); i < static_cast<int>(ps.size()); ++i)
    if (ps[i].Visible) h -= panelCaption_->Height();
  return h;
}

void TInspectorBar::GetValueList(TInspectorItem* Item, TStrings* Values) {
  if (OnGetValueList) OnGetValueList(this, Item, Values);
}

// The steps every row takes; what differs by row type is in its kind's Start (InspRowKinds.cpp).
void TInspectorBar::StartEdit(TInspectorItem* Item) {
  if (!Item || destroying_ || Item->ReadOnly() || ActivePanel() < 0 || !Item->Panel()) return;
  const TRowKind& kind = RowKind(Item->PropertyType());
  if (!kind.Start) return;
  TInspectorPanel* P = Item->Panel();
  TEditStart S{Item, Panels()->GetItem(ActivePanel()), TRect()};
  const bool wasStarting = editState_.Starting;
  editState_.Starting = true;
  ScrollIntoEditView(P, Item);
  EndEdit();
  if (OnEditStart) OnEditStart(this, P, Item);
  editState_.Item = Item;
  S.R = EditorPlace(P, Item);
  SetMouseIsDown(false);
  Item->EditStart();
  if (P->EditBox()) S.R = InsideEditBox(P, S.R);
  editState_.Kind = EditorKindOf(kind.Editor);
  (this->*kind.Start)(S);
  HidePendingEditor();
  editState_.Starting = wasStarting;
}

void TInspectorBar::ScrollIntoEditView(TInspectorPanel* P, TInspectorItem* Item) {
  TRect R;
  GetItemRect(P, Item, R);
  if (mode_ == imSinglePanelActive) {
    if (Item->Index() < P->TopItem()) P->SetTopItem(P->TopItem() - 1);
    else if (ButtonAreaHeight() < R.Bottom) P->SetTopItem(P->TopItem() + 1);
    return;
  }
  const int h = P->VariableItemHeight() ? Item->Height() : P->ItemHeight();
  if (PanelAreaHeight() < R.Bottom)
    ScrollBy(h);
  else if (R.Top < 1 && R.Bottom > R.Top)
    ScrollBy(-h);
}

TRect TInspectorBar::EditorPlace(TInspectorPanel* P, TInspectorItem* Item) {
  TRect R;
  GetItemRect(P, Item, R);
  if (mode_ == imSinglePanelActive) {
    // The arrows as the layout now has them (the row may just have scrolled).
    const auto L = SingleLayout();
    if (L->UpArrow || L->DownArrow) R.Right -= 20;
  }
  R.Left = P->CaptionWidth();
  InflateRect(R, -2, -1);
  if (panelCaption_->SideDisplay()) R.Left += panelCaption_->SideWidth();
  return R;
}

TRect TInspectorBar::InsideEditBox(TInspectorPanel* P, TRect R) {
  InflateRect(R, -3, -1);
  OffsetRect(R, 0, 1);
  R.Bottom -= 3;
  if (P->EditBorderColor() != clNone) InflateRect(R, -1, -1);
  return R;
}

int TInspectorBar::EditorKindOf(TEditorSlot Slot) {
  switch (Slot) {
    case TEditorSlot::Combo: return 0;
    case TEditorSlot::DateTime: return 1;
    case TEditorSlot::EditBtn: return 2;
    case TEditorSlot::ColorCombo: return 4;
    default: return 3;
  }
}

void TInspectorBar::DressEditor(TWinControl* E, const TEditStart& S, bool Colour, bool MaxLength) {
  TInspectorItem* Item = S.Item;
  TInspectorPanel* A = S.Active;
  const TRect& R = S.R;
  if (E != editState_.PendingHide) E->SetVisible(false);
  E->SetParent(this);
  E->SetBounds(R.Left, R.Top, R.Right - R.Left, R.Bottom - R.Top);
  if (Colour) E->SetColor(A->EditColor());
  E->Font()->Assign(Item->Modified() ? A->ModifiedFont() : A->Font());
  E->Font()->SetColor(A->EditFontColor());
  if (!MaxLength) return;
  const int n = Item->MaxLength() > 0 ? Item->MaxLength() : 0;
  if (auto* ed = dynamic_cast<TCustomEdit*>(E)) ed->SetMaxLength(n);
  if (auto* cb = dynamic_cast<TCustomComboBox*>(E)) cb->SetMaxLength(n);
}

void TInspectorBar::ShowEditor(TWinControl* E) {
  E->SetVisible(true);
  if (E->CanFocus()) E->SetFocus();
  editState_.Open = true;
}

template <class TEditor>
TEditor* TInspectorBar::Dress(TEditor* E, const TEditStart& S, bool Colour, bool MaxLength) {
  DressEditor(E, S, Colour, MaxLength);
  E->InspectorItem = S.Item;
  return E;
}

template <class TEditor>
void TInspectorBar::ShowSelected(TEditor* E) {
  ShowEditor(E);
  E->SelectAll();
}

// ---------------------------------------------------------------- row kinds' starts
void TInspectorBar::StartTextEdit(const TEditStart& S) {
  const TPropertyType t = S.Item->PropertyType();
  Dress(edit_, S, true, true)->SetMultiLine(t != ptPassword);
  edit_->SetPasswordChar(t == ptPassword ? '*' : 0);
  edit_->SetEditMask(S.Item->EditMask());
  edit_->SetText(S.Item->TextValue());
  edit_->SetInspEditType(t == ptInteger ? ieInteger : t == ptFloat ? ieFloat : ieText);
  edit_->SetFormattingRect(2, 1);
  edit_->OrigValue = S.Item->TextValue();
  ShowSelected(edit_);
}

void TInspectorBar::StartColourEdit(const TEditStart& S) {
  Dress(colorCombo_, S, true, true)->Items()->Clear();
  const int n = S.Item->PropertyType() == ptColor ? 41 : 16;
  for (int i = 1; i <= n; ++i) colorCombo_->Items()->Add(std::to_string(i));
  colorCombo_->SetBkColor(S.Active->EditColor());
  colorCombo_->OrigValue = S.Item->ColorValue();
  colorCombo_->SetColorValue(S.Item->ColorValue());
  ShowEditor(colorCombo_);
}

void TInspectorBar::StartFontEdit(const TEditStart& S) {
  Dress(editBtn_, S, true, true)->SetText(S.Item->FontValue()->Name());
  editBtn_->Font()->Assign(S.Item->Modified() ? S.Active->ModifiedFont() : S.Item->FontValue());
  editBtn_->OrigValue = S.Item->TextValue();
  editBtn_->SetEditorEnabled(false);
  ShowSelected(editBtn_);
}

// A check row has no editor: the start toggles it and stops at once.
void TInspectorBar::ToggleCheck(const TEditStart& S) {
  TInspectorItem* Item = S.Item;
  Item->EditToggle();
  Item->SetBoolValue(!Item->BoolValue());
  Item->SetModified(true);
  editState_.Open = true;
  Item->SetPressed(showFocus_);
  StopEdit(Item);
  Item->SetPressed(showFocus_);
  if (TabStop() && CanFocus()) SetFocus();
}

void TInspectorBar::StartListEdit(const TEditStart& S) {
  const bool free = S.Item->PropertyType() == ptValues;
  Dress(combo_, S, true, true)->SetStyle(free ? csDropDown : csDropDownList);
  TStringList list;
  list.Assign(S.Item->Values());
  GetValueList(S.Item, &list);
  combo_->Items()->Assign(&list);
  combo_->SetBkColor(S.Active->EditColor());
  combo_->OrigValue = S.Item->TextValue();
  if (free)
    combo_->SetText(S.Item->TextValue());
  else
    combo_->SetItemIndex(combo_->Items()->IndexOf(S.Item->TextValue()));
  ShowSelected(combo_);
}

void TInspectorBar::StartSpinEdit(const TEditStart& S) {
  const TRect& R = S.R;
  DressEditor(spin_, S, true, true);
  // One pixel narrower than the other editors.
  spin_->SetBounds(R.Left, R.Top, std::max(0, R.Right - R.Left - 1), R.Bottom - R.Top);
  spin_->InspectorItem = S.Item;
  spin_->SetBorderStyle(bsNone);
  spin_->SetMinValue(S.Item->SpinMin());
  spin_->SetMaxValue(S.Item->SpinMax());
  spin_->SetText(S.Item->TextValue());
  spin_->OrigValue = S.Item->TextValue();
  spin_->SetEditRect();
  ShowSelected(spin_);
}

void TInspectorBar::StartButtonEdit(const TEditStart& S) {
  Dress(editBtn_, S, true, true)->SetText(S.Item->TextValue());
  editBtn_->OrigValue = S.Item->TextValue();
  editBtn_->SetEditorEnabled(S.Item->PropertyType() == ptTextButton);
  ShowSelected(editBtn_);
}

void TInspectorBar::StartDateTimeEdit(const TEditStart& S) {
  const bool date = S.Item->PropertyType() == ptDate;
  const std::string& text = S.Item->TextValue();
  Dress(dateTime_, S, false, false)->SetKind(date ? dtkDate : dtkTime);
  // A text that reads as no date or time leaves the picker at its current value.
  TDateTime v = 0;
  if (!text.empty()) {
    if (date && TryStrToDate(text, v)) dateTime_->SetDate(v);
    if (!date && TryStrToTime(text, v)) dateTime_->SetTime(v);
  }
  dateTime_->OrigValue = S.Item->DateTimeValue();
  ShowEditor(dateTime_);
}

// A custom row is edited by its link's editor, in place or in the link's popup window.
void TInspectorBar::StartLinkEdit(const TEditStart& S) {
  const TRect& R = S.R;
  TInspectorEditLink* link = S.Item->EditLink();
  if (!link) return;
  link->SetInspector(this);
  link->FreeNotification(this);
  editState_.Link = link;
  if (link->EditStyle() == esInplace) {
    link->CreateEditor(this);
  } else {
    const TPoint org = ClientToScreen(TPoint(R.Left, R.Bottom));
    link->OpenPopup(TRect(org.X, org.Y, org.X + link->PopupWidth(), org.Y + link->PopupHeight()));
    link->CreateEditor(link->PopupForm());
  }
  link->SetProperties(R, S.Item);
  link->StartEdit(S.Item);
  editState_.Open = true;
}

// A button row is pressed while it is being edited.
void TInspectorBar::PressButtonRow(const TEditStart& S) {
  S.Item->SetPressed(true);
  editState_.Open = true;
  if (TabStop() && CanFocus()) SetFocus();
}

void TInspectorBar::HidePendingEditor() {
  TWinControl* e = editState_.PendingHide;
  editState_.PendingHide = nullptr;
  if (!e || (editState_.Open && e == ActiveEditor())) return;
  if (auto* cb = dynamic_cast<TCustomComboBox*>(e); cb && cb->DroppedDown()) cb->SetDroppedDown(false);
  e->SetVisible(false);
}

void TInspectorBar::StopAndStart(TInspectorItem* Item, TInspectorItem* Next, const std::function<void()>& Between) {
  editState_.KeepEditor = true;
  StopEdit(Item);
  editState_.KeepEditor = false;
  if (Between) Between();
  if (Next) StartEdit(Next);
  HidePendingEditor();
}

void TInspectorBar::EditorToValue() {
  TInspectorItem* it = editState_.Item;
  if (!it) return;
  auto commitText = [&](TCustomEdit* e, std::string& orig, bool asInteger) {
    const std::string t = e->Text();
    it->SetModified(it->Modified() || t != orig);
    int v = 0;
    if (!asInteger)
      it->SetTextValue(t);
    else if (TryStrToInt(t, v))
      it->SetIntValue(v);
    e->SelectAll();
    orig = t;
  };
  switch (it->PropertyType()) {
    case ptInteger: commitText(edit_, edit_->OrigValue, true); break;
    case ptFloat: case ptText: case ptPassword: commitText(edit_, edit_->OrigValue, false); break;
    case ptTextButton: commitText(editBtn_, editBtn_->OrigValue, false); break;
    case ptColor: case ptFixedColor: {
      const TColor c = colorCombo_->ColorValue();
      it->SetModified(it->Modified() || c != colorCombo_->OrigValue);
      it->SetColorValue(c);
      colorCombo_->OrigValue = c;
      break;
    }
    case ptFont: it->SetModified(true); break;
    case ptValues: case ptValuesList: {
      const std::string t = combo_->Text();
      it->SetModified(it->Modified() || t != combo_->OrigValue);
      it->SetTextValue(t);
      combo_->SelectAll();
      combo_->OrigValue = t;
      break;
    }
    case ptIntSpin: {
      const std::string t = spin_->Text();
      it->SetModified(it->Modified() || t != spin_->OrigValue);
      it->SetIntValue(spin_->Value());
      spin_->SelectAll();
      spin_->OrigValue = t;
      break;
    }
    case ptDate: {
      const TDateTime d = dateTime_->Date();
      it->SetModified(it->Modified() || std::floor(d) != std::floor(dateTime_->OrigValue));
      it->SetDateValue(d);
      dateTime_->OrigValue = d;
      break;
    }
    case ptTime: {
      const TDateTime t = dateTime_->Time();
      const auto frac = [](TDateTime x) { return x - std::floor(x); };
      it->SetModified(it->Modified() || frac(t) != frac(dateTime_->OrigValue));
      it->SetTimeValue(t);
      dateTime_->OrigValue = t;
      break;
    }
    default: break;
  }
  const std::string committed = it->TextValue();
  if (OnEditUpdate) OnEditUpdate(this, it->Panel(), it);
  // A handler that corrected the row's text sees the correction in an editor that stays open.
  if (editState_.Open && editState_.Item == it && it->TextValue() != committed) {
    TInspEditorState<std::string>* st = nullptr;
    TWinControl* e = ActiveEditor();
    if (e == edit_) st = edit_;
    else if (e == combo_) st = combo_;
    else if (e == spin_) st = spin_;
    else if (e == editBtn_) st = editBtn_;
    if (st) {
      if (e == combo_ && it->PropertyType() == ptValuesList)
        combo_->SetItemIndex(combo_->Items()->IndexOf(it->TextValue()));
      else
        e->SetText(it->TextValue());
      st->OrigValue = it->TextValue();
      if (auto* ed = dynamic_cast<TCustomEdit*>(e)) ed->SelectAll();
    }
  }
}

void TInspectorBar::HideEditor(TPropertyType Type) {
  TWinControl* e = EditorFor(Type);
  if (!e) return;
  if (editState_.KeepEditor) {
    // The next start decides: the same editor stays, another one is hidden after it.
    editState_.PendingHide = e;
    return;
  }
  if (auto* cb = dynamic_cast<TCustomComboBox*>(e); cb && cb->DroppedDown()) cb->SetDroppedDown(false);
  e->SetVisible(false);
}

void TInspectorBar::StopEdit(TInspectorItem* Item) {
  if (!editState_.Open || destroying_) return;
  TInspectorItem* it = editState_.Item ? editState_.Item : Item;
  if (!it) return;
  EditorToValue();
  editState_.Open = false;
  const TPropertyType type = it->PropertyType();
  HideEditor(type);
  if (type == ptBoolean || type == ptButton) it->SetPressed(false);
  if (type == ptCustom && editState_.Link) {
    TInspectorEditLink* link = editState_.Link;
    link->StopEdit(it);
    if (link->PopupForm()) link->ClosePopup();
  }
  // The row stays the current row (Space and the arrows reach a check row through it).
  editState_.LastItem = it;
  if (OnEditStop) OnEditStop(this, it->Panel(), it);
  it->EditStop();
}

void TInspectorBar::Navigate(TInspectorItem* Item, WORD Key) {
  if (!Item || !Item->Panel()) return;
  if (Key == VK_RETURN && !autoAdvance_) {
    // Commit and stay in the editor.
    if (editState_.Open) EditorToValue();
    return;
  }
  TInspectorPanel* P = Item->Panel();
  const int n = P->Items()->Count(), idx = Item->Index();
  const bool down = Key == VK_RETURN || Key == VK_DOWN;
  if (Key != VK_RETURN && Key != VK_DOWN && Key != VK_UP) return;
  if (down ? idx >= n - 1 : idx <= 0) return;
  const bool wasNavigating = editState_.Navigating, wasStarting = editState_.Starting;
  editState_.Navigating = editState_.Starting = true;
  int j = idx + (down ? 1 : -1);
  auto usable = [&](int i) {
    TInspectorItem* r = P->Items()->GetItem(i);
    return r->Visible() && !r->ReadOnly();
  };
  while (down ? j < n - 1 : j > 0) {
    if (usable(j)) break;
    j += down ? 1 : -1;
  }
  TInspectorItem* target = P->Items()->GetItem(j);
  // A row that cannot be edited (the search ran to the end) keeps the editor where it was.
  if (!usable(j)) target = Item;
  if (target->PropertyType() == ptBoolean && target != Item) target->SetBoolValue(!target->BoolValue());
  StopAndStart(Item, target);
  editState_.Navigating = wasNavigating;
  editState_.Starting = wasStarting;
}

void TInspectorBar::EndEdit() {
  if (editState_.Open && editState_.Item) StopEdit(editState_.Item);
}

void TInspectorBar::StopEditOf(TInspectorItem* Item) {
  editState_.Open = true;
  StopEdit(Item);
}

void TInspectorBar::LeaveEdit() {
  if (!editState_.Open || !editState_.Item) return;
  TInspectorItem* it = editState_.Item;
  StopEdit(it);
  editState_.LastItem = it;
}

void TInspectorBar::ResumeLastEditRow() {
  if (!editState_.Open && editState_.LastItem) editState_.Item = editState_.LastItem;
}

void TInspectorBar::EditLinkFreed() {
  editState_.Link = nullptr;
  if (editState_.Open && editState_.Item && editState_.Item->PropertyType() == ptCustom) {
    editState_.Open = false;
    editState_.Item = nullptr;
  }
}

void TInspectorBar::CloseEditLink() {
  if (!editState_.Link) return;
  editState_.Link->RemoveFreeNotification(this);
  editState_.Link->ClosePopup();
  editState_.Link = nullptr;
}

void TInspectorBar::ResetEditState() { editState_ = TEditState(); }

void TInspectorBar::EditRowRemoved(TInspectorItem* Item) {
  if (editState_.Item == Item) {
    if (editState_.Open) StopEdit(Item);
    editState_.Item = nullptr;
  }
  if (editState_.LastItem == Item) editState_.LastItem = nullptr;
}

void TInspectorBar::EditPanelRemoved(TInspectorPanel* Panel) {
  auto on = [Panel](TInspectorItem* it) { return Panel && it && it->Panel() == Panel; };
  if (on(editState_.Item)) ItemRemoved(editState_.Item);
  if (on(editState_.LastItem)) editState_.LastItem = nullptr;
}

// ---------------------------------------------------------------- editor events
void TInspectorBar::EditorDblClick() {
  TInspectorItem* it = editState_.Item;
  if (!it) return;
  StopAndStart(it, it, [&] {
    if (OnEditDblClick) OnEditDblClick(this, it->Panel(), it);
  });
}

void TInspectorBar::EditorChanged() {
  if (editState_.Item && editState_.Open && !editState_.Starting) editState_.Item->EditChange();
}

void TInspectorBar::ComboChanged() {
  if (!editState_.Item || !editState_.Open || editState_.Starting) return;
  editState_.Item->EditChange();
  if (OnEditComboChange) OnEditComboChange(this, editState_.Item->Panel(), editState_.Item, combo_->ItemIndex());
}

void TInspectorBar::ColorChanged() {
  TInspectorItem* it = editState_.Item;
  if (!it || !editState_.Open || editState_.Starting) return;
  if (colorCombo_->ItemIndex() == TInspColorComboBox::CustomIndex) {
    TColor c = it->ColorValue();
    if (RunColorDialog(c)) {
      it->SetColorValue(c);
      colorCombo_->SetCustomColor(c);
      colorCombo_->SetColorValue(c);
    } else {
      // Cancelled: the list goes back to the row's colour, so stopping commits no other.
      colorCombo_->SetColorValue(it->ColorValue());
    }
    StopEdit(it);
  }
  if (OnEditColorChange) OnEditColorChange(this, it->Panel(), it, colorCombo_->ColorValue());
}

bool TInspectorBar::RunColorDialog(TColor& Color) {
  if (ExecuteColorDialog) return ExecuteColorDialog(Color);
  TColorDialog d(nullptr);
  d.SetColor(Color);
  if (!d.Execute()) return false;
  Color = d.Color();
  return true;
}

bool TInspectorBar::RunFontDialog(TFont* Font) {
  if (ExecuteFontDialog) return ExecuteFontDialog(Font);
  TFontDialog d(nullptr);
  d.SetFont(Font);
  if (!d.Execute()) return false;
  Font->Assign(d.Font());
  return true;
}

void TInspectorBar::SpinEvent(int Which) {
  TInspectorItem* it = editState_.Item;
  if (!it) return;
  const TInspectorSpinEvent& ev = Which == 0 ? OnEditSpinUp : Which == 1 ? OnEditSpinDown : OnEditSpinChange;
  if (Which == 2 && editState_.Open && !editState_.Starting) it->EditChange();
  if (!ev) return;
  std::string t = spin_->Text();
  const std::string before = t;
  ev(this, it->Panel(), t, it);
  if (t != before) spin_->SetText(t);
}

void TInspectorBar::EditBtnClicked() {
  TInspectorItem* it = editState_.Item;
  if (!it) return;
  if (it->PropertyType() == ptFont) {
    TFont f;
    f.Assign(it->FontValue());
    if (RunFontDialog(&f)) {
      it->SetFontValue(&f);
      editBtn_->SetText(f.Name());
    }
    StopEdit(it);
    return;
  }
  StopAndStart(it, it, [&] {
    if (OnEditBtnClick) OnEditBtnClick(this, it->Panel(), it);
  });
}

void TInspectorBar::OpenEditorAtOnce(TInspectorItem* Item) {
  if (!editState_.Open || editState_.Item != Item) return;
  switch (Item->PropertyType()) {
    case ptValues: case ptValuesList: combo_->SetDroppedDown(true); break;
    case ptColor: case ptFixedColor: colorCombo_->SetDroppedDown(true); break;
    case ptDate: case ptTime: {
      WORD k = VK_F4;
      dateTime_->Perform(WM_KEYDOWN, k, 0);
      break;
    }
    case ptFont: case ptTextButton: case ptPropButton: editBtn_->ClickButton(editBtn_); break;
    default: break;
  }
}
