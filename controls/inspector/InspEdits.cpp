#include "controls/inspector/InspEdits.h"

#include <algorithm>
#include <cmath>

#include "platform/gui/Forms.h"
#include "platform/gui/VisualStyles.h"
#include "platform/gui/WinWindow.h"
#include "platform/gui/Windows.h"

namespace {

// Which part of a date or time text the caret is in: 0 before the first separator,
// 1 between the first and the second, 2 after the second.
int PartAt(const std::string& Text, int Caret, char Separator) {
  int part = 0;
  for (int i = 0; i < Caret && i < static_cast<int>(Text.size()); ++i)
    if (Text[static_cast<size_t>(i)] == Separator) ++part;
  return std::min(part, 2);
}

// One step of a date (day, month, year) or a time (hour, minute, second) part.
TDateTime StepDate(TDateTime D, int Part, int Dir) {
  if (Part == 0) return D + Dir;
  return IncMonth(D, Part == 1 ? Dir : 12 * Dir);
}

TDateTime StepTime(TDateTime T, int Part, int Dir) {
  static const double kUnit[] = {1.0 / 24, 1.0 / (24 * 60), 1.0 / (24 * 60 * 60)};
  double day = std::floor(T);
  double f = T - day + Dir * kUnit[Part];
  // Time of day wraps through midnight instead of turning negative.
  if (f < 0) f += 1.0;
  if (f >= 1.0) f -= 1.0;
  return day + f;
}

bool Printable(char Key) { return static_cast<unsigned char>(Key) >= 0x20 && Key != 0x7F; }

}  // namespace

// ================================================================ flat list
TInspCustomCombo::TInspCustomCombo(TComponent* AOwner)
    : TCustomComboBox(AOwner), buttonWidth_(GetSystemMetrics(SM_CXVSCROLL) + 2) {
  normalColor_ = color_;
}

void TInspCustomCombo::SetButtonWidth(int v) {
  if (v < 14 || v > 32) return;
  buttonWidth_ = v;
  Invalidate();
}

void TInspCustomCombo::SetDropWidth(int v) {
  dropWidth_ = v;
  if (v > 0) SetDroppedWidth(v);
}

void TInspCustomCombo::SetFlat(bool v) {
  flat_ = v;
  Invalidate();
}

void TInspCustomCombo::SetEtched(bool v) {
  etched_ = v;
  Invalidate();
}

bool TInspCustomCombo::Active() const {
  return !(ComponentState() & csDesigning) && (hovered_ || Focused());
}

void TInspCustomCombo::CMMouseEnter(TMessage& Message) {
  TCustomComboBox::CMMouseEnter(Message);
  hovered_ = true;
  if (Enabled()) Invalidate();
  if (autoFocus_ && CanFocus() && !Focused()) SetFocus();
}

void TInspCustomCombo::CMMouseLeave(TMessage& Message) {
  TCustomComboBox::CMMouseLeave(Message);
  hovered_ = false;
  if (Enabled()) Invalidate();
}

void TInspCustomCombo::CMEnabledChanged(TMessage& Message) {
  // A disabled flat list takes its parent's colour; enabling gives its own back.
  if (flat_) {
    if (!Enabled()) {
      normalColor_ = Color();
      if (Parent()) SetColor(Parent()->Color());
    } else {
      SetColor(normalColor_);
    }
  }
  TCustomComboBox::CMEnabledChanged(Message);
}

void TInspCustomCombo::WndProc(TMessage& Message) {
  TCustomComboBox::WndProc(Message);
  if (Message.Msg == WM_THEMECHANGED) Invalidate();
}

void TInspCustomCombo::DoEnter() {
  TCustomComboBox::DoEnter();
  Invalidate();
}

void TInspCustomCombo::DoExit() {
  TCustomComboBox::DoExit();
  Invalidate();
}

TRect TInspCustomCombo::ButtonRect() const {
  return TRect(Width() - 2 - buttonWidth_, 2, Width() - 2, Height() - 2);
}

void TInspCustomCombo::DropDown() {
  TCustomComboBox::DropDown();
  Invalidate();
}

void TInspCustomCombo::CloseUp() {
  TCustomComboBox::CloseUp();
  Invalidate();
}

void TInspCustomCombo::PaintOver() {
  if (!flat_) return;
  TCanvas* C = Canvas();
  TRect r(0, 0, Width(), Height());
  C->Brush()->SetStyle(bsSolid);
  if (Active() && focusBorder_) {
    C->Brush()->SetColor(clBtnFace);
    DrawEdge(C, &r, BDR_SUNKENOUTER, BF_RECT);
    r = TRect(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1);
  } else {
    C->Brush()->SetColor(bkColor_);
    C->FrameRect(r);
    r = TRect(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1);
    C->FrameRect(r);
  }
  r = TRect(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1);
  C->Brush()->SetColor(Color());
  C->FrameRect(r);
  if (Style() == csSimple) return;
  TRect b = ButtonRect();
  const bool themed = isWinXP_ && IsThemeActive();
  if (themed && DrawThemePart(Handle(), "combobox", C, 1, (GetKeyState(VK_LBUTTON) | GetKeyState(VK_RBUTTON)) & 0x8000 ? 3 : 1, b)) return;
  // Our own face: the platform's arrow does not line up with ButtonWidth, so the button
  // is filled and gets its own arrow; an active list raises (or etches) its edge.
  C->Brush()->SetColor(clBtnFace);
  C->FillRect(b);
  const int cx = (b.Left + b.Right) / 2, cy = (b.Top + b.Bottom) / 2;
  C->Pen()->SetColor(Enabled() ? clBtnText : clGrayText);
  C->Brush()->SetColor(Enabled() ? clBtnText : clGrayText);
  C->Polygon({TPoint(cx - 3, cy - 1), TPoint(cx + 3, cy - 1), TPoint(cx, cy + 2)});
  if (Active()) {
    TRect e = b;
    DrawEdge(C, &e, etched_ ? EDGE_ETCHED : EDGE_RAISED, BF_RECT | (DroppedDown() ? BF_FLAT : 0));
  }
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

// ================================================================ spin button pair
void TExtTimerSpeedButton::SetIsWinXP(bool v) {
  isWinXP_ = v;
  Invalidate();
}

int TExtTimerSpeedButton::ThemePart() const {
  const auto* pair = dynamic_cast<const TSpinButton*>(Parent());
  const bool down = pair && pair->DownButton() == this;
  const bool horizontal = pair && pair->Direction() == spHorizontal;
  return (horizontal ? 3 : 1) + (down ? 1 : 0);
}

int TExtTimerSpeedButton::ThemeState() const { return state_ == bsDown || state_ == bsExclusive ? 3 : 1; }

void TExtTimerSpeedButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TTimerSpeedButton::MouseDown(Button, Shift, X, Y);
  if (Parent()) Parent()->Repaint();
}

void TExtTimerSpeedButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TTimerSpeedButton::MouseUp(Button, Shift, X, Y);
  if (Parent()) Parent()->Repaint();
}

void TExtTimerSpeedButton::Paint() {
  TCanvas* C = Canvas();
  const TRect r(0, 0, Width(), Height());
  const bool themed = isWinXP_ && enabled_ && Parent() && IsThemeActive() &&
                      DrawThemePart(Parent()->Handle(), "spin", C, ThemePart(), ThemeState(), r);
  if (!themed) TTimerSpeedButton::Paint();
  if (TimeBtnState() & tbFocusRect) {
    const int shift = ThemeState() == 3 ? 1 : 0;
    C->Brush()->SetStyle(bsSolid);
    C->Brush()->SetColor(clBtnFace);
    C->Font()->SetColor(clBtnText);
    C->DrawFocusRect(TRect(3 + shift, 3 + shift, Width() - 3 + shift, Height() - 3 + shift));
  }
}

TInspSpinButton::TInspSpinButton(TComponent* AOwner)
    : TSpinButton(AOwner, [](TSpinButton* Pair) { return new TExtTimerSpeedButton(Pair); }) {
  focusedBtn_ = UpButton();
  SetBounds(0, 0, 15, 25);
}

void TInspSpinButton::SetIsWinXP(bool v) {
  UpButton()->SetIsWinXP(v);
  DownButton()->SetIsWinXP(v);
}

void TInspSpinButton::WndProc(TMessage& Message) {
  TSpinButton::WndProc(Message);
  if (Message.Msg == WM_THEMECHANGED) Invalidate();
}

void TInspSpinButton::ShowMark(bool focused) {
  // The mark shows only while the pair itself has the keyboard focus.
  for (TExtTimerSpeedButton* b : {UpButton(), DownButton()}) {
    const TTimeBtnState was = b->TimeBtnState();
    const TTimeBtnState now = b == focusedBtn_ && focused ? was | tbFocusRect : was & ~tbFocusRect;
    if (now == was) continue;
    b->SetTimeBtnState(now);
    b->Invalidate();
  }
}

void TInspSpinButton::SetFocusBtn(TExtTimerSpeedButton* Button) {
  focusedBtn_ = Button;
  ShowMark(Focused());
}

void TInspSpinButton::BtnMouseDown(TObject* Sender, TMouseButton Button) {
  if (Button == mbLeft) SetFocusBtn(Sender == DownButton() ? DownButton() : UpButton());
  TSpinButton::BtnMouseDown(Sender, Button);
  ShowMark(Focused());
}

void TInspSpinButton::WMSetFocus(TMessage& Message) {
  TSpinButton::WMSetFocus(Message);
  ShowMark(true);
}

void TInspSpinButton::DoEnter() {
  TSpinButton::DoEnter();
  ShowMark(true);
}

void TInspSpinButton::DoExit() {
  TSpinButton::DoExit();
  ShowMark(false);
}

void TInspSpinButton::WMKillFocus(TMessage& Message) {
  TSpinButton::WMKillFocus(Message);
  ShowMark(false);
}

void TInspSpinButton::KeyDown(WORD& Key, TShiftState Shift) {
  // The pair's own steps replace the plain pair's (which would click a second time).
  TWinControl::KeyDown(Key, Shift);
  switch (Key) {
    case VK_UP: SetFocusBtn(UpButton()); break;
    case VK_DOWN: SetFocusBtn(DownButton()); break;
    case VK_SPACE: break;
    default: return;
  }
  focusedBtn_->Click();
}

// ================================================================ spin edit
TInspSpinEdit::TInspSpinEdit(TComponent* AOwner) : TCustomMaskEdit(AOwner) {
  controlStyle_ &= ~csSetCaption;
  button_ = new TInspSpinButton(this);
  button_->SetBounds(0, 0, 17, 17);
  button_->SetFocusControl(this);
  button_->OnUpClick = [this](TObject* s) { UpClick(s); };
  button_->OnDownClick = [this](TObject* s) { DownClick(s); };
  button_->SetParent(this);
  SetText("0");
  SetEditRect();
}

void TInspSpinEdit::SetSpinType(TInspSpinType v) {
  if (v == spinType_) return;
  // The value is read in the old form and written in the new one.
  const double f = spinType_ == sptNormal ? Value() : spinType_ == sptFloat ? FloatValue()
                                                   : spinType_ == sptDate  ? DateValue()
                                                                           : TimeValue();
  spinType_ = v;
  switch (v) {
    case sptNormal: SetValue(static_cast<int>(f)); break;
    case sptFloat: SetFloatValue(f); break;
    case sptDate: SetDateValue(f); break;
    case sptTime: SetTimeValue(f); break;
  }
}

void TInspSpinEdit::SetPrecision(int v) {
  precision_ = std::max(0, v);
  if (spinType_ == sptFloat) SetFloatValue(FloatValue());
}

int TInspSpinEdit::Value() const {
  int v = 0;
  return TryStrToInt(Text(), v) ? v : minValue_;
}

void TInspSpinEdit::SetValue(int v) {
  if (minValue_ != maxValue_) v = std::clamp(v, std::min(minValue_, maxValue_), std::max(minValue_, maxValue_));
  SetText(IntToStr(v));
  if (!editorEnabled_) SelectAll();
}

double TInspSpinEdit::FloatValue() const {
  double v = 0;
  return TryStrToFloat(Text(), v) ? v : minFloat_;
}

void TInspSpinEdit::WriteFloat(double v) {
  SetText(precision_ > 0 ? FloatToStrF(v, ffFixed, 15, precision_) : FloatToStr(v));
}

void TInspSpinEdit::SetFloatValue(double v) {
  if (minFloat_ != maxFloat_) v = std::clamp(v, std::min(minFloat_, maxFloat_), std::max(minFloat_, maxFloat_));
  WriteFloat(v);
  if (!editorEnabled_) SelectAll();
}

TDateTime TInspSpinEdit::DateValue() const {
  TDateTime d = 0;
  return TryStrToDate(Text(), d) ? d : minDate_;
}

void TInspSpinEdit::SetDateValue(TDateTime v) {
  if (minDate_ != maxDate_) v = std::clamp(v, std::min(minDate_, maxDate_), std::max(minDate_, maxDate_));
  const int caret = SelStart();
  SetText(DateToStr(v));
  SetSelStart(caret);
}

TDateTime TInspSpinEdit::TimeValue() const {
  TDateTime t = 0;
  return TryStrToTime(Text(), t) ? t : 0;
}

void TInspSpinEdit::SetTimeValue(TDateTime v) {
  const int caret = SelStart();
  SetText(TimeToStr(v));
  SetSelStart(caret);
}

void TInspSpinEdit::SetSpinFlat(bool v) {
  button_->UpButton()->SetFlat(v);
  button_->DownButton()->SetFlat(v);
}

void TInspSpinEdit::SetDirection(TSpinDirection v) {
  button_->SetDirection(v);
  SetEditRect();
}

void TInspSpinEdit::SetSpinTransparent(bool v) {
  button_->UpButton()->SetTransparent(v);
  button_->DownButton()->SetTransparent(v);
  SetEditRect();
}

bool TInspSpinEdit::IsValidChar(char Key) const {
  const TFormatSettings& F = FormatSettings;
  const auto u = static_cast<unsigned char>(Key);
  bool ok = Key == '+' || Key == '-' || (Key >= '0' && Key <= '9') || Key == F.DecimalSeparator ||
            (spinType_ == sptDate && Key == F.DateSeparator) || (spinType_ == sptTime && Key == F.TimeSeparator) ||
            (u < 0x20 && Key != '\r');
  const std::string t = Text();
  if (ok && spinType_ == sptFloat && Key != 8 && Key != '\r' && Key != 27) {
    const size_t sep = t.find(F.DecimalSeparator);
    if (Key == F.DecimalSeparator && sep != std::string::npos && SelText().find(F.DecimalSeparator) == std::string::npos)
      ok = false;
    if (ok && precision_ > 0 && Key >= '0' && Key <= '9' && sep != std::string::npos &&
        SelStart() > static_cast<int>(sep) && SelLength() == 0 &&
        static_cast<int>(t.size() - sep - 1) >= precision_)
      ok = false;
  }
  if (ok && spinType_ == sptTime && Key == F.TimeSeparator && std::count(t.begin(), t.end(), F.TimeSeparator) >= 2)
    ok = false;
  if (!editorEnabled_ && (Printable(Key) || Key == 8)) ok = false;
  return ok;
}

void TInspSpinEdit::KeyPress(char& Key) {
  // The thousands separator stands for the decimal separator in numbers with decimals.
  if (spinType_ == sptFloat && Key == FormatSettings.ThousandSeparator) Key = FormatSettings.DecimalSeparator;
  if (!IsValidChar(Key)) {
    Key = 0;
    MessageBeep(0);
  }
  if (Key != 0) TCustomMaskEdit::KeyPress(Key);
}

void TInspSpinEdit::KeyDown(WORD& Key, TShiftState Shift) {
  TCustomMaskEdit::KeyDown(Key, Shift);
  if (Key == VK_UP) {
    Key = 0;
    UpClick(this);
  } else if (Key == VK_DOWN) {
    Key = 0;
    DownClick(this);
  } else if (Key == VK_RETURN && returnIsTab_) {
    Key = 0;
    if (TCustomForm* f = GetParentForm(this)) f->SelectNext(this, !(Shift & ssShift), true);
  }
}

bool TInspSpinEdit::EditKey(WORD Key, TShiftState Shift) {
  if (!editorEnabled_ && Key == VK_DELETE && !(Shift & ssShift)) return true;
  return TCustomMaskEdit::EditKey(Key, Shift);
}

void TInspSpinEdit::WMPaste(TMessage& Message) {
  if (editorEnabled_ && !readOnly_) TCustomMaskEdit::WMPaste(Message);
}

void TInspSpinEdit::WMCut(TMessage& Message) {
  if (editorEnabled_ && !readOnly_) TCustomMaskEdit::WMCut(Message);
}

void TInspSpinEdit::Step(bool Up) {
  if (readOnly_) {
    MessageBeep(0);
    return;
  }
  const int dir = Up ? 1 : -1;
  switch (spinType_) {
    case sptNormal: SetValue(Value() + dir * increment_); break;
    case sptFloat: SetFloatValue(FloatValue() + dir * incrementFloat_); break;
    case sptDate:
      SetDateValue(StepDate(DateValue(), PartAt(Text(), SelStart(), FormatSettings.DateSeparator), dir));
      break;
    case sptTime:
      SetTimeValue(StepTime(TimeValue(), PartAt(Text(), SelStart(), FormatSettings.TimeSeparator), dir));
      break;
  }
  if (Up && OnSpinUp) OnSpinUp(this);
  if (!Up && OnSpinDown) OnSpinDown(this);
  if (OnSpinChange) OnSpinChange(this);
}

void TInspSpinEdit::UpClick(TObject*) { Step(true); }
void TInspSpinEdit::DownClick(TObject*) { Step(false); }

void TInspSpinEdit::DoExit() {
  TCustomMaskEdit::DoExit();
  // An out-of-range value is brought into range by writing it again.
  switch (spinType_) {
    case sptNormal:
      if (minValue_ != maxValue_ && (Value() < minValue_ || Value() > maxValue_)) SetValue(Value());
      break;
    case sptFloat:
      if (minFloat_ != maxFloat_ && (FloatValue() < minFloat_ || FloatValue() > maxFloat_))
        SetFloatValue(FloatValue());
      break;
    case sptDate:
      if (minDate_ != maxDate_ && (DateValue() < minDate_ || DateValue() > maxDate_)) SetDateValue(DateValue());
      break;
    case sptTime: break;
  }
}

void TInspSpinEdit::SetBorderStyle(TBorderStyle v) {
  TCustomMaskEdit::SetBorderStyle(v);
  // The button's place depends on the border.
  SetEditRect();
}

void TInspSpinEdit::SetEditRect() {
  if (!button_) return;
  const int d = borderStyle_ == bsNone ? 1 : 5;
  const int bw = button_->Width();
  button_->SetBounds(std::max(0, width_ - bw - d), 1, bw, std::max(4, height_ - d));
  SetTextMargins(0, 0, bw + 2, 0);
}

int TInspSpinEdit::MinHeight() const {
  // The platform's default font stands in for the system font.
  TBitmap b(1, 1);
  TFont system;
  b.Canvas()->SetFont(&system);
  const int systemHeight = b.Canvas()->GetTextMetrics().Height;
  b.Canvas()->SetFont(Font());
  const int fontHeight = b.Canvas()->GetTextMetrics().Height;
  const int border = borderStyle_ == bsSingle ? 4 * GetSystemMetrics(SM_CYBORDER) : 0;
  return fontHeight + std::min(systemHeight, fontHeight) / 4 + 2 + border;
}

void TInspSpinEdit::BoundsChanged() {
  // Never lower than the font needs: the text would be cut.
  if (const int least = MinHeight(); height_ < least) {
    SetBounds(left_, top_, width_, least);
    return;
  }
  TCustomMaskEdit::BoundsChanged();
  SetEditRect();
}

void TInspSpinEdit::DoEnter() {
  TCustomMaskEdit::DoEnter();
  // A text that cannot be typed into is selected however the edit is entered; entered by a
  // click, the press places the caret after this, so the release selects again.
  selectOnRelease_ = AutoSelect() && !editorEnabled_;
  if (selectOnRelease_) SelectAll();
}

void TInspSpinEdit::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TCustomMaskEdit::MouseUp(Button, Shift, X, Y);
  if (selectOnRelease_ && Button == mbLeft) SelectAll();
  selectOnRelease_ = false;
}

void TInspSpinEdit::Loaded() {
  TCustomMaskEdit::Loaded();
  // A date or time stored in the layout shows in this system's form.
  if (spinType_ == sptDate) SetDateValue(DateValue());
  if (spinType_ == sptTime) SetTimeValue(TimeValue());
}

// ================================================================ edit with button
void TExtSpeedButton::SetIsWinXP(bool v) {
  isWinXP_ = v;
  Invalidate();
}

int TExtSpeedButton::ThemeState() const {
  if (state_ == bsDown || state_ == bsExclusive) return 3;
  return mouseInControl_ ? 2 : 1;
}

void TExtSpeedButton::CMMouseEnter(TMessage& Message) {
  TSpeedButton::CMMouseEnter(Message);
  Invalidate();
}

void TExtSpeedButton::CMMouseLeave(TMessage& Message) {
  TSpeedButton::CMMouseLeave(Message);
  Invalidate();
}

void TExtSpeedButton::Paint() {
  TCanvas* C = Canvas();
  TRect r(0, 0, Width(), Height());
  const bool down = ThemeState() == 3;
  const bool themed = isWinXP_ && Parent() && IsThemeActive() &&
                      DrawThemePart(Parent()->Handle(), "button", C, 1, enabled_ ? ThemeState() : 4, r);
  if (!themed) {
    C->Brush()->SetStyle(bsSolid);
    C->Brush()->SetColor(clBtnFace);
    C->FillRect(r);
    if (flat_) {
      TRect e = r;
      C->DrawEdge(e, down ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
      C->DrawFrameControl(TRect(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1), DFC_BUTTON,
                          DFCS_BUTTONPUSH | DFCS_FLAT | (down ? DFCS_PUSHED : 0));
    } else {
      C->DrawFrameControl(r, DFC_BUTTON, DFCS_BUTTONPUSH | (down ? DFCS_PUSHED : 0));
    }
  }
  const TPoint shift = down ? TPoint(1, 1) : TPoint(0, 0);
  C->Brush()->SetStyle(bsClear);
  if (!glyph_->Empty())
    glyph_->Draw(C, r, shift, "", blGlyphLeft, -1, 0, enabled_ ? state_ : bsDisabled, true);
  if (!text_.empty()) {
    C->SetFont(font_.get());
    if (!enabled_) C->Font()->SetColor(clGrayText);
    C->TextOut(6 + shift.X, 1 + shift.Y, text_);
  }
}

TInspEditButton::TInspEditButton(TComponent* AOwner) : TWinControl(AOwner) {
  controlStyle_ &= ~csSetCaption;
  Font()->SetName("Arial");
  Font()->SetSize(10);
  Font()->SetStyle(0);
  button_ = new TExtSpeedButton(this);
  button_->SetParent(this);
  button_->OnMouseDown = [this](TObject*, TMouseButton b, TShiftState, int, int) {
    if (b == mbLeft) Pressed();
  };
  SetButtonCaption("..");
  SetBounds(0, 0, 20, 25);
}

void TInspEditButton::SetButtonCaption(const std::string& v) {
  caption_ = v;
  button_->SetCaption(v);
}

void TInspEditButton::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  TWinControl::SetBounds(ALeft, ATop, std::max(15, AWidth), AHeight);
  if (button_) button_->SetBounds(0, 0, width_, height_);
}

void TInspEditButton::SetFocusControl(TWinControl* v) {
  if (focusControl_) focusControl_->RemoveFreeNotification(this);
  focusControl_ = v;
  if (v) v->FreeNotification(this);
}

void TInspEditButton::Notification(TComponent* AComponent, TOperation Operation) {
  TWinControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == focusControl_) focusControl_ = nullptr;
}

void TInspEditButton::WndProc(TMessage& Message) {
  TWinControl::WndProc(Message);
  if (Message.Msg == WM_THEMECHANGED) button_->Invalidate();
}

void TInspEditButton::Pressed() {
  // The press itself is the click: the action runs before the button comes up.
  if (OnClick) OnClick(this);
  if (focusControl_ && focusControl_->TabStop() && focusControl_->CanFocus() && !focusControl_->Focused())
    focusControl_->SetFocus();
  else if (!focusControl_ && tabStop_ && CanFocus() && !Focused())
    SetFocus();
}

TInspEditBtn::TInspEditBtn(TComponent* AOwner) : TCustomEdit(AOwner) {
  controlStyle_ &= ~csSetCaption;
  button_ = new TInspEditButton(this);
  button_->SetBounds(0, 0, 18, 16);
  button_->SetFocusControl(this);
  button_->OnClick = [this](TObject*) { ClickBtn(); };
  button_->SetParent(this);
  SetText("0");
  PlaceButton();
}

void TInspEditBtn::ClickBtn() {
  if (OnClickBtn) OnClickBtn(this);
}

void TInspEditBtn::SetButtonWidth(int v) {
  button_->SetBounds(button_->Left(), button_->Top(), v, button_->Height());
  PlaceButton();
}

void TInspEditBtn::SetRightAlign(bool v) {
  rightAlign_ = v;
  SetAlignment(v ? taRightJustify : taLeftJustify);
}

void TInspEditBtn::PlaceButton() {
  if (!button_) return;
  const int bw = button_->Width();
  button_->SetBounds(std::max(0, width_ - bw - 1), 1, bw, std::max(4, height_ - 3));
  SetTextMargins(borderStyle_ == bsNone ? 2 : 1, 0, bw + 4, 0);
}

void TInspEditBtn::BoundsChanged() {
  TCustomEdit::BoundsChanged();
  PlaceButton();
}

void TInspEditBtn::KeyDown(WORD& Key, TShiftState Shift) {
  TCustomEdit::KeyDown(Key, Shift);
  if (Key == VK_F4) {
    Key = 0;
    ClickBtn();
  }
}

void TInspEditBtn::KeyPress(char& Key) {
  if (!editorEnabled_ && Key != 27 && Key != '\r') Key = 0;
  if (Key != 0) TCustomEdit::KeyPress(Key);
}

bool TInspEditBtn::EditKey(WORD Key, TShiftState Shift) {
  if (!editorEnabled_ && Key == VK_DELETE) return true;
  return TCustomEdit::EditKey(Key, Shift);
}

void TInspEditBtn::WMPaste(TMessage& Message) {
  if (editorEnabled_) TCustomEdit::WMPaste(Message);
}

void TInspEditBtn::WMCut(TMessage& Message) {
  if (editorEnabled_) TCustomEdit::WMCut(Message);
}

// ================================================================ date-time picker
TInspDateTimePicker::TInspDateTimePicker(TComponent* AOwner) : TCustomEdit(AOwner), dateTime_(Now()) {
  // Flat: the window-coloured two pixels where a border would be, the text inside them.
  SetBorderStyle(bsNone);
  SetTextMargins(2, 0, 2, 0);
  ShowValue();
}

void TInspDateTimePicker::ShowValue() {
  showing_ = true;
  SetText(kind_ == dtkDate ? DateToStr(dateTime_) : TimeToStr(dateTime_));
  showing_ = false;
}

void TInspDateTimePicker::SetKind(TDateTimeKind v) {
  kind_ = v;
  ShowValue();
}

void TInspDateTimePicker::SetDateTime(TDateTime v) {
  dateTime_ = v;
  ShowValue();
}

TDateTime TInspDateTimePicker::Date() const { return std::floor(dateTime_); }
void TInspDateTimePicker::SetDate(TDateTime v) { SetDateTime(std::floor(v) + (dateTime_ - std::floor(dateTime_))); }
TDateTime TInspDateTimePicker::Time() const { return dateTime_ - std::floor(dateTime_); }
void TInspDateTimePicker::SetTime(TDateTime v) { SetDateTime(std::floor(dateTime_) + (v - std::floor(v))); }

void TInspDateTimePicker::Change() {
  // Typed text that reads as a date or time becomes the value; other text leaves it.
  if (!showing_) {
    TDateTime v = 0;
    if (kind_ == dtkDate ? TryStrToDate(Text(), v) : TryStrToTime(Text(), v))
      dateTime_ = kind_ == dtkDate ? std::floor(v) + Time() : Date() + (v - std::floor(v));
  }
  TCustomEdit::Change();
}

void TInspDateTimePicker::KeyDown(WORD& Key, TShiftState Shift) {
  TCustomEdit::KeyDown(Key, Shift);
  if ((Key != VK_UP && Key != VK_DOWN) || (Shift & ssCtrl) == 0) return;
  // Ctrl+Up and Ctrl+Down step the part under the caret (plain arrows belong to the owner).
  const int dir = Key == VK_UP ? 1 : -1;
  const int caret = SelStart();
  if (kind_ == dtkDate)
    dateTime_ = StepDate(Date(), PartAt(Text(), caret, FormatSettings.DateSeparator), dir) + Time();
  else
    dateTime_ = Date() + StepTime(Time(), PartAt(Text(), caret, FormatSettings.TimeSeparator), dir);
  ShowValue();
  SetSelStart(caret);
  Key = 0;
}
