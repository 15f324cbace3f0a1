#include "controls/inspector/InspEdits.h"

#include "platform/gui/Windows.h"

// ================================================================ flat list
TInspCustomCombo::TInspCustomCombo(TComponent* AOwner) : TESGCustomCombo(AOwner) {
  flatLook_ = flInspector;
  SetButtonWidth(GetSystemMetrics(SM_CXVSCROLL) + 2);
}

// ================================================================ colour list
TInspColorComboBox::TInspColorComboBox(TComponent* AOwner) : TInspComboBox(AOwner) {
  SetStyle(csOwnerDrawFixed);
}

void TInspColorComboBox::DrawItem(int Index, const TRect& Rect, TOwnerDrawState State) {
  DrawEntry(Canvas(), Index, Rect, (State & (odSelected | odFocused)) != 0);
}

TColor TInspColorComboBox::EntryColor(int Index) const {
  TColor c;
  std::string name;
  if (InspNamedColor(Index, c, name)) return c;
  return Index == CustomIndex ? customColor_ : clWhite;
}

std::string TInspColorComboBox::EntryName(int Index) {
  TColor c;
  std::string name;
  if (InspNamedColor(Index, c, name)) return name;
  return Index == CustomIndex ? "Custom Color ..." : "???";
}

TColor TInspColorComboBox::ColorValue() const {
  const int i = ItemIndex();
  return i >= 0 && i <= CustomIndex ? EntryColor(i) : TColor(0);
}

void TInspColorComboBox::SetColorValue(TColor v) {
  for (int i = 0; i < CustomIndex; ++i) {
    TColor c;
    std::string name;
    if (InspNamedColor(i, c, name) && c == v) return SetItemIndex(i);
  }
  customColor_ = v;
  SetItemIndex(CustomIndex);
}

void TInspColorComboBox::DrawEntry(TCanvas* C, int Index, const TRect& R, bool Selected) const {
  C->Brush()->SetStyle(bsSolid);
  C->Brush()->SetColor(Selected ? clHighlight : Color());
  C->Font()->SetColor(Selected ? clHighlightText : Font()->Color());
  C->FillRect(R);
  C->Pen()->SetColor(clBlack);
  C->Brush()->SetColor(EntryColor(Index));
  C->Rectangle(TRect(R.Left + 1, R.Top + 1, R.Left + 20, R.Bottom - 1));
  C->Brush()->SetStyle(bsClear);
  TRect tr(R.Left + 22, R.Top, R.Right, R.Bottom);
  C->DrawText(EntryName(Index), tr, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
}

// ================================================================ spin edit
TInspSpinButton::TInspSpinButton(TComponent* AOwner) : TEsgSpinButton(AOwner) {
  for (TExtTimerSpeedButton* b : {UpButton(), DownButton()}) {
    b->SetClickOnPress(true);
    b->SetHotLook(false);
  }
  // The buttons leave the last pixel row to the pair's own background.
  controlStyle_ &= ~csOpaque;
  PlaceButtons();
}

void TInspSpinButton::PlaceButtons() {
  if (Direction() != spVertical) {
    // The inspector's pair leaves one pixel between its side-by-side halves.
    const int half = Width() / 2;
    DownButton()->SetBounds(0, 0, half, Height());
    UpButton()->SetBounds(half + 1, 0, half, Height());
    return;
  }
  const int half = Height() / 2;
  UpButton()->SetBounds(0, 0, Width(), half);
  DownButton()->SetBounds(0, half, Width(), std::max(0, Height() - half - 1));
}

TInspSpinEdit::TInspSpinEdit(TComponent* AOwner)
    : TEsgSpinEdit(AOwner, [](TEsgSpinEdit* Edit) { return new TInspSpinButton(Edit); }) {
  SetSpinTyping(stLoose);
  timeWriteLimited_ = true;
  SetIncrementFloat(1.0);
  PageKeysStep = false;
  Button()->SetBounds(0, 0, 17, 17);
  SetEditRect();
}

void TInspSpinEdit::PlaceSpin() {
  const int d = borderStyle_ == bsNone ? 1 : 5;
  const int bw = Button()->Width();
  Button()->SetBounds(std::max(0, width_ - bw - d), 1, bw, std::max(4, height_ - d));
  SetTextMargins(0, 0, bw + 2, 0);
}

// ================================================================ edit with button
TInspEditButton::TInspEditButton(TComponent* AOwner) : TEsgEditButton(AOwner) {
  Font()->SetName("Arial");
  Font()->SetSize(10);
  Font()->SetStyle(0);
  SetClickOnPress(true);
  Button()->SetFlatFrame(true);
  Button()->SetCaptionAt(TPoint(6, 1));
  SetButtonCaption("..");
}

TInspEditBtn::TInspEditBtn(TComponent* AOwner)
    : TEsgEditBtn(AOwner, [](TEsgEditBtn* Edit) {
        auto* b = new TInspEditButton(Edit);
        b->SetBounds(0, 0, 18, 16);
        return b;
      }) {
  PlaceButton();
}

void TInspEditBtn::PlaceButton() {
  if (!button_) return;
  const int bw = button_->Width();
  button_->SetBounds(std::max(0, width_ - bw - 1), 1, bw, std::max(4, height_ - 3));
  const int inset = borderStyle_ == bsNone ? 2 : 1;
  SetTextMargins(inset, inset, bw + 5, 0);
}
