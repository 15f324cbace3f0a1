// The typed edit as the editor of a custom inspector row: the row's text carries
// the edit's prefix and suffix, the edit shows the value between them.
#include "controls/inspector/InspLinks.h"

#include "controls/inspector/InspectorBar.h"

TInspectorEditLink* NewAEInspectorEditLink(TComponent* AOwner) { return new TAEInspectorEditLink(AOwner); }

TAEInspectorEditLink::~TAEInspectorEditLink() { DestroyEditor(); }

void TAEInspectorEditLink::CreateEditor(TWinControl* AParent) {
  TInspectorEditLink::CreateEditor(AParent);
  if (edit_) return;
  edit_ = new TExtEdit(AParent);
  edit_->FreeNotification(this);
  edit_->SetBounds(0, 0, 0, 0);
  edit_->SetParent(AParent);
  edit_->SetVisible(false);
  edit_->OnKeyDown = [this](TObject* Sender, WORD& Key, TShiftState Shift) { EditorKeyDown(Sender, Key, Shift); };
  // Leaving the editor ends the edit and keeps what was typed, as with the bar's own editors.
  edit_->OnExit = [this](TObject*) {
    if (bar_ && bar_->EditItem() && bar_->EditItem()->EditLink() == this) bar_->StopEdit(bar_->EditItem());
  };
}

void TAEInspectorEditLink::DestroyEditor() {
  if (TExtEdit* e = edit_) {
    edit_ = nullptr;
    e->RemoveFreeNotification(this);
    delete e;
  }
  TInspectorEditLink::DestroyEditor();
}

void TAEInspectorEditLink::Notification(TComponent* AComponent, TOperation Operation) {
  TInspectorEditLink::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == edit_) edit_ = nullptr;
}

void TAEInspectorEditLink::SetProperties(const TRect& R, TInspectorItem* Item) {
  TInspectorEditLink::SetProperties(R, Item);
  if (!edit_) return;
  TRect r(R.Left + 2, R.Top + 1, R.Right - 2 - 20, R.Bottom - 1);
  edit_->SetBorderStyle(bsNone);
  edit_->SetBounds(r.Left, r.Top, std::max(0, r.Right - r.Left), std::max(0, r.Bottom - r.Top));
  if (Item && Item->Panel()) edit_->Font()->Assign(Item->Panel()->Font());
  edit_->SetEditColor(EditColor);
  edit_->SetFocusColor(EditColor);
  edit_->SetEditType(EditType);
  edit_->SetEditAlign(EditAlign);
  edit_->ModifiedColor = ModifiedColor;
  edit_->SetPrefix(Prefix);
  edit_->SetSuffix(Suffix);
  edit_->ShowModified = ShowModified;
  edit_->SetPrecision(Precision);
}

void TAEInspectorEditLink::StartEdit(TInspectorItem* Item) {
  TInspectorEditLink::StartEdit(Item);
  if (!edit_ || !Item) return;
  // Only a prefix and suffix that the row text carries come off it.
  startText_ = ExtEditRules::StripAffixes(Item->TextValue(), Prefix, Suffix);
  edit_->SetText(startText_);
  edit_->SetVisible(true);
  if (edit_->CanFocus()) edit_->SetFocus();
}

void TAEInspectorEditLink::StopEdit(TInspectorItem* Item) {
  TInspectorEditLink::StopEdit(Item);
  if (!edit_) return;
  if (Item) Item->SetTextValue(Prefix + edit_->Text() + Suffix);
  edit_->SetVisible(false);
}

void TAEInspectorEditLink::RestoreText() {
  TInspectorEditLink::RestoreText();
  if (edit_) edit_->SetText(startText_);
}
