#include "controls/edits/EsgEdits.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "platform/gui/Calendar.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Messages.h"
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

// The font's height and a quarter of the smaller of it and the system font's (the platform's
// default font stands in for the system font).
int FontLeastHeight(TFont* Font) {
  TBitmap b(1, 1);
  TFont system;
  b.Canvas()->SetFont(&system);
  const int systemHeight = b.Canvas()->GetTextMetrics().Height;
  b.Canvas()->SetFont(Font);
  const int fontHeight = b.Canvas()->GetTextMetrics().Height;
  return fontHeight + std::min(systemHeight, fontHeight) / 4;
}

// A drop-down button's face: filled, with a small down arrow in its middle.
void DrawDropButton(TCanvas* C, const TRect& b, bool Enabled) {
  C->Brush()->SetStyle(bsSolid);
  C->Brush()->SetColor(clBtnFace);
  C->FillRect(b);
  const int cx = (b.Left + b.Right) / 2, cy = (b.Top + b.Bottom) / 2;
  C->Pen()->SetColor(Enabled ? clBtnText : clGrayText);
  C->Brush()->SetColor(Enabled ? clBtnText : clGrayText);
  C->Polygon({TPoint(cx - 3, cy - 1), TPoint(cx + 3, cy - 1), TPoint(cx, cy + 2)});
}

// Where the client area of a window with the system's 3-D border starts, from each side.
constexpr int kClientInset = 2;

// The first and last day the platform's dates reach (1-01-01 and 9999-12-31).
constexpr TDateTime kFirstDate = -693593.0, kLastDate = 2958465.0;

// The field (D, M or Y) a date part stands for, by the order of the short date format.
char DateField(int Part) {
  std::string f = UpperCase(FormatSettings.ShortDateFormat);
  std::string order;
  for (char c : f)
    if ((c == 'D' || c == 'M' || c == 'Y') && order.find(c) == std::string::npos) order += c;
  for (char c : std::string("DMY"))
    if (order.find(c) == std::string::npos) order += c;
  return order[static_cast<size_t>(std::clamp(Part, 0, 2))];
}

// The platform's date-times count the days before 1899-12-30 negative while their time of day
// still runs forward: the day is the whole part toward zero, the time the distance from it.
TDateTime DayPart(TDateTime v) { return std::trunc(v); }
TDateTime TimePart(TDateTime v) { return std::fabs(v - std::trunc(v)); }
TDateTime JoinDayAndTime(TDateTime Day, TDateTime Time) { return Day < 0 ? Day - Time : Day + Time; }

// One step of a date part (day, month or year, as the format orders them); the time of day
// stays. A step past the platform's dates stops at the first or last day, so a held button
// never raises.
TDateTime StepDate(TDateTime D, int Part, int Dir) {
  const char field = DateField(Part);
  const TDateTime day = DayPart(D);
  TDateTime r = day;
  try {
    r = field == 'D' ? day + Dir : IncMonth(day, field == 'M' ? Dir : 12 * Dir);
  } catch (const Exception&) {
    r = Dir > 0 ? kLastDate : kFirstDate;
  }
  return JoinDayAndTime(std::clamp(r, kFirstDate, kLastDate), TimePart(D));
}

// Adds a step to an integer, stopping at the ends of the integer range.
int SaturatedAdd(int Value, int Step) {
  const long long r = static_cast<long long>(Value) + Step;
  return static_cast<int>(std::clamp<long long>(r, INT_MIN, INT_MAX));
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


}  // namespace

// ================================================================ flat list
TESGCustomCombo::TESGCustomCombo(TComponent* AOwner)
    : TCustomComboBox(AOwner), buttonWidth_(GetSystemMetrics(SM_CXVSCROLL) + 4) {
  normalColor_ = color_;
}

void TESGCustomCombo::SetButtonWidth(int v) {
  if (v < 14 || v > 32) return;
  buttonWidth_ = v;
  Invalidate();
}

std::string TESGCustomCombo::Version() const {
  const uint32_t v = GetVersionNr();
  return std::to_string(v >> 24) + "." + std::to_string((v >> 16) & 0xFF) + "." + std::to_string((v >> 8) & 0xFF) +
         "." + std::to_string(v & 0xFF);
}

void TESGCustomCombo::SetDropWidth(int v) {
  dropWidth_ = v;
  if (v > 0) SetDroppedWidth(v);
}

void TESGCustomCombo::SetFlat(bool v) {
  flat_ = v;
  Invalidate();
}

void TESGCustomCombo::SetEtched(bool v) {
  etched_ = v;
  Invalidate();
}

bool TESGCustomCombo::Active() const {
  return !(ComponentState() & csDesigning) && (hovered_ || Focused());
}

void TESGCustomCombo::CMMouseEnter(TMessage& Message) {
  TCustomComboBox::CMMouseEnter(Message);
  if (!Enabled()) return;
  hovered_ = true;
  Invalidate();
  if (autoFocus_ && CanFocus() && !Focused()) SetFocus();
}

void TESGCustomCombo::CMMouseLeave(TMessage& Message) {
  TCustomComboBox::CMMouseLeave(Message);
  hovered_ = false;
  if (Enabled()) Invalidate();
}

void TESGCustomCombo::CMEnabledChanged(TMessage& Message) {
  // A disabled flat list takes its parent's colour; enabling gives its own back.
  if (flat_) {
    if (!Enabled()) {
      normalColor_ = Color();
      normalParentColor_ = ParentColor();
      if (Parent()) SetColor(Parent()->Color());
    } else {
      SetColor(normalColor_);
      // Following the parent again after SetColor ended it.
      if (normalParentColor_) SetParentColor(true);
    }
  }
  TCustomComboBox::CMEnabledChanged(Message);
}

void TESGCustomCombo::WndProc(TMessage& Message) {
  TCustomComboBox::WndProc(Message);
  if (Message.Msg == WM_THEMECHANGED) Invalidate();
}

void TESGCustomCombo::DoEnter() {
  TCustomComboBox::DoEnter();
  Invalidate();
}

void TESGCustomCombo::DoExit() {
  TCustomComboBox::DoExit();
  Invalidate();
}

TRect TESGCustomCombo::ButtonRect() const {
  return TRect(Width() - 2 - buttonWidth_, 2, Width() - 2, Height() - 2);
}

void TESGCustomCombo::DropDown() {
  TCustomComboBox::DropDown();
  Invalidate();
}

void TESGCustomCombo::CloseUp() {
  TCustomComboBox::CloseUp();
  Invalidate();
}

void TESGCustomCombo::PaintOver() {
  if (!flat_) return;
  TCanvas* C = Canvas();
  TRect r(0, 0, Width(), Height());
  C->Brush()->SetStyle(bsSolid);
  const bool grid = flatLook_ == flGrid;
  if (Active() && focusBorder_) {
    C->Brush()->SetColor(clBtnFace);
    DrawEdge(C, &r, BDR_SUNKENOUTER, BF_RECT);
    r = TRect(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1);
    if (!grid) C->Brush()->SetColor(Color());
    C->FrameRect(r);
  } else {
    C->Brush()->SetColor(grid ? (Parent() ? Parent()->Color() : clBtnFace) : bkColor_);
    C->FrameRect(r);
    r = TRect(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1);
    C->FrameRect(r);
  }
  r = TRect(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1);
  C->Brush()->SetColor(Color());
  C->FrameRect(r);
  if (Style() == csSimple) return;
  const int themeState = (GetKeyState(VK_LBUTTON) | GetKeyState(VK_RBUTTON)) & 0x8000 ? 3 : 1;
  if (grid) {
    // The face: the right ButtonWidth pixels less one above and below, 2 left and 1 down; its
    // raised edge: ButtonWidth + 4 from the right, 2 in, 1 further right and 2 further down.
    const TRect face(Width() - buttonWidth_ - 2, 2, Width() - 2, Height());
    const TRect themedFace(face.Left + 1, face.Top + 1, face.Right - 1, face.Bottom - 1);
    if (!(isWinXP_ && IsThemeActive() && DrawThemePart(Handle(), "combobox", C, 1, themeState, themedFace)))
      C->DrawFrameControl(face, DFC_SCROLL, DFCS_SCROLLCOMBOBOX | DFCS_FLAT | (Enabled() ? 0 : DFCS_INACTIVE));
    TRect e(Width() - buttonWidth_ - 2, 2, Width() - 1, Height());
    DrawEdge(C, &e, etched_ ? EDGE_ETCHED : EDGE_RAISED, BF_RECT);
    return;
  }
  TRect b = ButtonRect();
  if (isWinXP_ && IsThemeActive() && DrawThemePart(Handle(), "combobox", C, 1, themeState, b)) return;
  // Our own face: the platform's arrow does not line up with ButtonWidth, so the button
  // is filled and gets its own arrow.
  DrawDropButton(C, b, Enabled());
  if (Active()) {
    TRect e = b;
    DrawEdge(C, &e, etched_ ? EDGE_ETCHED : EDGE_RAISED, BF_RECT | (DroppedDown() ? BF_FLAT : 0));
  }
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

int TExtTimerSpeedButton::ThemeState() const {
  if (state_ == bsDown || state_ == bsExclusive) return 3;
  return hotLook_ && mouseInControl_ ? 2 : 1;
}

void TExtTimerSpeedButton::CMMouseEnter(TMessage& Message) {
  TTimerSpeedButton::CMMouseEnter(Message);
  if (hotLook_ && isWinXP_) Invalidate();
}

void TExtTimerSpeedButton::CMMouseLeave(TMessage& Message) {
  TTimerSpeedButton::CMMouseLeave(Message);
  if (hotLook_ && isWinXP_) Invalidate();
}

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
  // A side-by-side pair is the system's scroll arrows (down is the left one); a stacked pair
  // shows its glyphs.
  if (!themed && ThemePart() >= 3)
    C->DrawFrameControl(r, DFC_SCROLL,
                        (ThemePart() == 4 ? DFCS_SCROLLLEFT : DFCS_SCROLLRIGHT) | (ThemeState() == 3 ? DFCS_PUSHED : 0) |
                            (flat_ ? DFCS_FLAT : 0) | (enabled_ ? 0 : DFCS_INACTIVE));
  else if (!themed)
    TTimerSpeedButton::Paint();
  if (TimeBtnState() & tbFocusRect) {
    const int shift = ThemeState() == 3 ? 1 : 0;
    C->Brush()->SetStyle(bsSolid);
    C->Brush()->SetColor(clBtnFace);
    C->Font()->SetColor(clBtnText);
    C->DrawFocusRect(TRect(3 + shift, 3 + shift, Width() - 3 + shift, Height() - 3 + shift));
  }
}

TEsgSpinButton::TEsgSpinButton(TComponent* AOwner)
    : TSpinButton(AOwner, [](TSpinButton* Pair) { return new TExtTimerSpeedButton(Pair); }) {
  focusedBtn_ = UpButton();
  SetBounds(0, 0, 15, 25);
}

void TEsgSpinButton::SetIsWinXP(bool v) {
  UpButton()->SetIsWinXP(v);
  DownButton()->SetIsWinXP(v);
}

void TEsgSpinButton::WndProc(TMessage& Message) {
  TSpinButton::WndProc(Message);
  if (Message.Msg == WM_THEMECHANGED) Invalidate();
}

void TEsgSpinButton::ShowMark(bool focused) {
  // The mark shows only while the pair itself has the keyboard focus.
  for (TExtTimerSpeedButton* b : {UpButton(), DownButton()}) {
    const TTimeBtnState was = b->TimeBtnState();
    const TTimeBtnState now = b == focusedBtn_ && focused ? was | tbFocusRect : was & ~tbFocusRect;
    if (now == was) continue;
    b->SetTimeBtnState(now);
    b->Invalidate();
  }
}

void TEsgSpinButton::SetFocusBtn(TExtTimerSpeedButton* Button) {
  focusedBtn_ = Button;
  ShowMark(Focused());
}

void TEsgSpinButton::BtnMouseDown(TObject* Sender, TMouseButton Button) {
  if (Button == mbLeft) SetFocusBtn(Sender == DownButton() ? DownButton() : UpButton());
  TSpinButton::BtnMouseDown(Sender, Button);
  ShowMark(Focused());
}

void TEsgSpinButton::WMSetFocus(TMessage& Message) {
  TSpinButton::WMSetFocus(Message);
  ShowMark(true);
}

void TEsgSpinButton::DoEnter() {
  TSpinButton::DoEnter();
  ShowMark(true);
}

void TEsgSpinButton::DoExit() {
  TSpinButton::DoExit();
  ShowMark(false);
}

void TEsgSpinButton::WMKillFocus(TMessage& Message) {
  TSpinButton::WMKillFocus(Message);
  ShowMark(false);
}

void TEsgSpinButton::KeyDown(WORD& Key, TShiftState Shift) {
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
TEsgSpinEdit::TEsgSpinEdit(TComponent* AOwner, const TPairMaker& MakePair) : TCustomMaskEdit(AOwner) {
  controlStyle_ &= ~csSetCaption;
  button_ = MakePair ? MakePair(this) : new TEsgSpinButton(this);
  button_->SetBounds(0, 0, 15, 17);
  button_->SetFocusControl(this);
  button_->OnUpClick = [this](TObject* s) { UpClick(s); };
  button_->OnDownClick = [this](TObject* s) { DownClick(s); };
  button_->SetParent(this);
  SetText("0");
  SetEditRect();
}

void TEsgSpinEdit::SetSpinType(TEsgSpinType v) {
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

void TEsgSpinEdit::SetEditAlign(TEditAlign v) {
  editAlign_ = v;
  SetAlignment(v == eaRight ? taRightJustify : v == eaCenter ? taCenter : taLeftJustify);
}

void TEsgSpinEdit::SetPrecision(int v) {
  precision_ = std::max(0, v);
  if (spinType_ == sptFloat) SetFloatValue(FloatValue());
}

int TEsgSpinEdit::Value() const {
  int v = 0;
  return TryStrToInt(Text(), v) ? v : minValue_;
}

void TEsgSpinEdit::SetValue(int v) {
  if (minValue_ != maxValue_) v = std::clamp(v, std::min(minValue_, maxValue_), std::max(minValue_, maxValue_));
  SetText(IntToStr(v));
  if (!editorEnabled_) SelectAll();
}

double TEsgSpinEdit::FloatValue() const {
  double v = 0;
  return TryStrToFloat(Text(), v) ? v : minFloat_;
}

void TEsgSpinEdit::WriteFloat(double v) {
  SetText(precision_ > 0 ? FloatToStrF(v, ffFixed, 15, precision_) : FloatToStr(v));
}

void TEsgSpinEdit::SetFloatValue(double v) {
  if (minFloat_ != maxFloat_) v = std::clamp(v, std::min(minFloat_, maxFloat_), std::max(minFloat_, maxFloat_));
  WriteFloat(v);
  if (!editorEnabled_) SelectAll();
}

TDateTime TEsgSpinEdit::DateValue() const {
  const std::string t = Text();
  if (t.empty() || t == "0") return Now();
  TDateTime d = 0;
  return TryStrToDate(t, d) ? d : minDate_;
}

void TEsgSpinEdit::SetDateValue(TDateTime v) {
  if (minDate_ != maxDate_) v = std::clamp(v, std::min(minDate_, maxDate_), std::max(minDate_, maxDate_));
  const int caret = SelStart();
  SetText(DateToStr(v));
  SetSelStart(caret);
}

TDateTime TEsgSpinEdit::TimeValue() const {
  TDateTime t = 0;
  return TryStrToTime(Text(), t) ? t : 0;
}

void TEsgSpinEdit::SetTimeValue(TDateTime v) {
  if (timeWriteLimited_ && minDate_ != maxDate_)
    v = std::clamp(v, std::min(minDate_, maxDate_), std::max(minDate_, maxDate_));
  const int caret = SelStart();
  SetText(TimeToStr(v));
  SetSelStart(caret);
}

void TEsgSpinEdit::SetSpinFlat(bool v) {
  button_->UpButton()->SetFlat(v);
  button_->DownButton()->SetFlat(v);
}

void TEsgSpinEdit::SetDirection(TSpinDirection v) {
  button_->SetDirection(v);
  SetEditRect();
}

void TEsgSpinEdit::SetSpinTransparent(bool v) {
  button_->UpButton()->SetTransparent(v);
  button_->DownButton()->SetTransparent(v);
  SetEditRect();
}

bool TEsgSpinEdit::IsValidChar(char Key) const {
  const TFormatSettings& F = FormatSettings;
  const bool digit = Key >= '0' && Key <= '9';
  const bool control = static_cast<unsigned char>(Key) < 0x20 && Key != '\r';
  const bool number = spinType_ == sptNormal || spinType_ == sptFloat;
  const bool checked = typing_ == stChecked;
  // Checked integers take digits and "-" only: no control character but Backspace.
  const bool controlOk = control && !(checked && spinType_ == sptNormal);
  if (Key == 8) return editorEnabled_;
  if (!editorEnabled_) return controlOk;
  if (control) return controlOk;
  bool ok;
  if (checked) {
    // A separator of another kind is refused, unless it is also a character of numbers.
    const bool numberChar = number && (Key == F.DecimalSeparator || Key == F.ThousandSeparator || Key == '-' || Key == '+');
    ok = digit || Key == '-' || Key == F.DecimalSeparator || Key == F.ThousandSeparator ||
         Key == F.TimeSeparator || Key == F.DateSeparator;
    if (ok && Key == F.TimeSeparator && spinType_ != sptTime && !numberChar) ok = false;
    if (ok && Key == F.DateSeparator && spinType_ != sptDate && !numberChar) ok = false;
    if (ok && spinType_ == sptNormal && !digit && Key != '-') ok = false;
    if (ok && spinType_ == sptFloat && Key == F.ThousandSeparator && Key != F.DecimalSeparator) ok = false;
  } else {
    ok = digit || Key == '+' || Key == '-' || Key == F.DecimalSeparator ||
         (spinType_ == sptDate && Key == F.DateSeparator) || (spinType_ == sptTime && Key == F.TimeSeparator);
  }
  const std::string t = Text();
  // "-" only first and once, unless it separates a date's fields.
  if (ok && checked && Key == '-' && !(spinType_ == sptDate && F.DateSeparator == '-')) {
    const bool hasMinus = t.find('-') != std::string::npos;
    if (SelStart() != 0 || (hasMinus && SelText().find('-') == std::string::npos)) ok = false;
  }
  if (ok && spinType_ == sptFloat) {
    const size_t sep = t.find(F.DecimalSeparator);
    if (Key == F.DecimalSeparator && sep != std::string::npos && SelText().find(F.DecimalSeparator) == std::string::npos)
      ok = false;
    if (ok && precision_ > 0 && digit && sep != std::string::npos && SelStart() > static_cast<int>(sep) &&
        SelLength() == 0 && static_cast<int>(t.size() - sep - 1) >= precision_)
      ok = false;
  }
  if (ok && spinType_ == sptTime && Key == F.TimeSeparator && std::count(t.begin(), t.end(), F.TimeSeparator) >= 2)
    ok = false;
  return ok;
}

void TEsgSpinEdit::KeyPress(char& Key) {
  // Loose typing: the thousands separator stands for the decimal separator in numbers with decimals.
  if (typing_ == stLoose && spinType_ == sptFloat && Key == FormatSettings.ThousandSeparator)
    Key = FormatSettings.DecimalSeparator;
  if (!IsValidChar(Key)) {
    Key = 0;
    MessageBeep(0);
  }
  if (Key != 0) TCustomMaskEdit::KeyPress(Key);
}

void TEsgSpinEdit::WndProc(TMessage& Message) {
  // Only the keypad's point stands for the separator; the main keyboard's stays a point.
  if (Message.Msg == WM_CHAR && ExcelStyleDecimalSeparator && Message.WParam == '.' &&
      (Message.LParam & KF_KEYPAD_LPARAM))
    Message.WParam = static_cast<WPARAM>(static_cast<unsigned char>(FormatSettings.DecimalSeparator));
  TCustomMaskEdit::WndProc(Message);
}

void TEsgSpinEdit::KeyDown(WORD& Key, TShiftState Shift) {
  TCustomMaskEdit::KeyDown(Key, Shift);
  if (Key == VK_UP || (Key == VK_PRIOR && PageKeysStep)) {
    Key = 0;
    UpClick(this);
  } else if (Key == VK_DOWN || (Key == VK_NEXT && PageKeysStep)) {
    Key = 0;
    DownClick(this);
  } else if (Key == VK_RETURN && returnIsTab_) {
    Key = 0;
    if (TCustomForm* f = GetParentForm(this)) f->SelectNext(this, !(Shift & ssShift), true);
  }
}

bool TEsgSpinEdit::EditKey(WORD Key, TShiftState Shift) {
  if (!editorEnabled_ && Key == VK_DELETE && !(Shift & ssShift)) return true;
  return TCustomMaskEdit::EditKey(Key, Shift);
}

void TEsgSpinEdit::WMPaste(TMessage& Message) {
  if (editorEnabled_ && !readOnly_) TCustomMaskEdit::WMPaste(Message);
}

void TEsgSpinEdit::WMCut(TMessage& Message) {
  if (editorEnabled_ && !readOnly_) TCustomMaskEdit::WMCut(Message);
}

void TEsgSpinEdit::Step(bool Up) {
  if (readOnly_) {
    MessageBeep(0);
    return;
  }
  const int dir = Up ? 1 : -1;
  switch (spinType_) {
    case sptNormal: SetValue(SaturatedAdd(Value(), Up ? increment_ : -increment_)); break;
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

void TEsgSpinEdit::UpClick(TObject*) { Step(true); }
void TEsgSpinEdit::DownClick(TObject*) { Step(false); }

void TEsgSpinEdit::DoExit() {
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
    case sptTime:
      if (minDate_ != maxDate_ && (TimeValue() < minDate_ || TimeValue() > maxDate_))
        SetTimeValue(std::clamp(TimeValue(), std::min(minDate_, maxDate_), std::max(minDate_, maxDate_)));
      break;
  }
}

void TEsgSpinEdit::SetBorderStyle(TBorderStyle v) {
  TCustomMaskEdit::SetBorderStyle(v);
  // The button's place depends on the border.
  SetEditRect();
}

void TEsgSpinEdit::SetEditRect() {
  if (button_) PlaceSpin();
}

void TEsgSpinEdit::PlaceSpin() {
  const int bw = button_->Width();
  // As the edit with button's places: the system's client coordinates of a 3-D bordered window
  // move 2 in; the margins count from inside the frame.
  if (borderStyle_ == bsNone) {
    button_->SetBounds(std::max(0, width_ - bw - 1), 0, bw, std::max(4, height_ - 1));
    SetTextMargins(1, 1, bw + 3, 0);
  } else {
    button_->SetBounds(std::max(0, width_ - bw - 5 + kClientInset), kClientInset, bw, std::max(4, height_ - 5));
    SetTextMargins(0, 0, bw + 2, 0);
  }
}

int TEsgSpinEdit::MinHeight() const {
  const int border = borderStyle_ == bsSingle ? 4 * GetSystemMetrics(SM_CYBORDER) : 0;
  return FontLeastHeight(Font()) + 2 + border;
}

void TEsgSpinEdit::BoundsChanged() {
  // Never lower than the font needs: the text would be cut.
  if (const int least = MinHeight(); height_ < least) {
    SetBounds(left_, top_, width_, least);
    return;
  }
  TCustomMaskEdit::BoundsChanged();
  SetEditRect();
}

void TEsgSpinEdit::DoEnter() {
  TCustomMaskEdit::DoEnter();
  // A text that cannot be typed into is selected however the edit is entered; entered by a
  // click, the press places the caret after this, so the release selects again.
  selectOnRelease_ = AutoSelect() && !editorEnabled_;
  if (selectOnRelease_) SelectAll();
}

void TEsgSpinEdit::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TCustomMaskEdit::MouseUp(Button, Shift, X, Y);
  if (selectOnRelease_ && Button == mbLeft) SelectAll();
  selectOnRelease_ = false;
}

void TEsgSpinEdit::Loaded() {
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
      C->DrawEdge(e, down ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT | BF_MIDDLE);
      if (flatFrame_)
        C->DrawFrameControl(TRect(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1), DFC_BUTTON,
                            DFCS_BUTTONPUSH | DFCS_FLAT | (down ? DFCS_PUSHED : 0));
      InflateRect(r, -1, -1);
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
    if (captionAt_.X >= 0) {
      C->TextOut(captionAt_.X + shift.X, captionAt_.Y + shift.Y, text_);
    } else {
      TRect t(r.Left + shift.X, r.Top + shift.Y, r.Right + shift.X, r.Bottom + shift.Y);
      C->DrawText(text_, t, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
  }
}

TEsgEditButton::TEsgEditButton(TComponent* AOwner) : TWinControl(AOwner) {
  controlStyle_ &= ~csSetCaption;
  button_ = new TExtSpeedButton(this);
  button_->SetParent(this);
  button_->OnMouseDown = [this](TObject*, TMouseButton b, TShiftState, int, int) {
    if (b == mbLeft && clickOnPress_) Pressed();
  };
  button_->OnMouseUp = [this](TObject*, TMouseButton b, TShiftState, int X, int Y) {
    if (b == mbLeft && !clickOnPress_ && X >= 0 && Y >= 0 && X < button_->Width() && Y < button_->Height())
      Pressed();
  };
  SetBounds(0, 0, 20, 25);
}

void TEsgEditButton::SetButtonCaption(const std::string& v) {
  caption_ = v;
  button_->SetCaption(v);
}

void TEsgEditButton::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  TWinControl::SetBounds(ALeft, ATop, std::max(15, AWidth), AHeight);
  if (button_) button_->SetBounds(0, 0, width_, height_);
}

void TEsgEditButton::SetFocusControl(TWinControl* v) {
  if (focusControl_) focusControl_->RemoveFreeNotification(this);
  focusControl_ = v;
  if (v) v->FreeNotification(this);
}

void TEsgEditButton::Notification(TComponent* AComponent, TOperation Operation) {
  TWinControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == focusControl_) focusControl_ = nullptr;
}

void TEsgEditButton::WndProc(TMessage& Message) {
  TWinControl::WndProc(Message);
  if (Message.Msg == WM_THEMECHANGED) button_->Invalidate();
}

void TEsgEditButton::Pressed() {
  if (OnClick) OnClick(this);
  if (focusControl_ && focusControl_->TabStop() && focusControl_->CanFocus() && !focusControl_->Focused())
    focusControl_->SetFocus();
  else if (tabStop_ && CanFocus() && !Focused())
    SetFocus();
}

TEsgEditBtn::TEsgEditBtn(TComponent* AOwner, const THolderMaker& MakeHolder) : TCustomEdit(AOwner) {
  controlStyle_ &= ~csSetCaption;
  button_ = MakeHolder ? MakeHolder(this) : new TEsgEditButton(this);
  if (!MakeHolder) button_->SetBounds(0, 0, 18, 18);
  button_->SetFocusControl(this);
  button_->OnClick = [this](TObject* Sender) { ClickButton(Sender); };
  button_->SetParent(this);
  SetText("0");
  PlaceButton();
}

void TEsgEditBtn::ClickButton(TObject* Sender) {
  if (OnClickBtn) OnClickBtn(Sender);
}

void TEsgEditBtn::SetButtonWidth(int v) {
  button_->SetBounds(button_->Left(), button_->Top(), v, button_->Height());
  PlaceButton();
}

void TEsgEditBtn::SetRightAlign(bool v) {
  rightAlign_ = v;
  SetAlignment(v ? taRightJustify : taLeftJustify);
}

void TEsgEditBtn::SetBorderStyle(TBorderStyle v) {
  TCustomEdit::SetBorderStyle(v);
  PlaceButton();
}

int TEsgEditBtn::BorderInset() const { return borderStyle_ == bsNone ? 0 : kClientInset; }

void TEsgEditBtn::PlaceButton() {
  if (!button_) return;
  const int bw = button_->Width(), in = BorderInset();
  const int d = borderStyle_ == bsNone ? 1 : 5;
  button_->SetBounds(std::max(0, width_ - bw - d + in), in, bw, std::max(4, height_ - d));
  const int inner = borderStyle_ == bsNone ? 2 : 1;
  SetTextMargins(inner, inner, bw + 3 + unitSpace_ + (unitSpace_ > 0 ? 3 : 0), 0);
}

void TEsgEditBtn::SetUnitSpace(int v) {
  unitSpace_ = std::max(0, v);
  PlaceButton();
  Invalidate();
}

// ================================================================ unit edit
namespace {
// The unit beside the text: edit-coloured, in the edit's font.
class TUnitBox : public TCustomControl {
 public:
  explicit TUnitBox(TEsgUnitEditBtn* Edit) : TCustomControl(Edit), edit_(Edit) {}
  std::string ClassName() const override { return "TUnitBox"; }

 protected:
  void Paint() override {
    TCanvas* C = Canvas();
    TRect r(0, 0, Width(), Height());
    C->Brush()->SetStyle(bsSolid);
    C->Brush()->SetColor(edit_->Color());
    C->FillRect(r);
    C->SetFont(edit_->Font());
    C->Brush()->SetStyle(bsClear);
    // From the top, as the edit's own text stands.
    C->DrawText(edit_->UnitID(), r, DT_SINGLELINE | DT_EDITCONTROL | DT_NOPREFIX);
  }

 private:
  TEsgUnitEditBtn* edit_;
};
}  // namespace

TEsgUnitEditBtn::TEsgUnitEditBtn(TComponent* AOwner) : TEsgEditBtn(AOwner), units_(std::make_unique<TStringList>()) {
  unitBox_ = new TUnitBox(this);
  unitBox_->SetParent(this);
  menu_ = new TPopupMenu(this);
  SetRightAlign(true);
  SetUnitSpace(20);
}

void TEsgUnitEditBtn::SetUnitID(const std::string& v) {
  unitID_ = v;
  if (unitBox_) unitBox_->Invalidate();
}

TRect TEsgUnitEditBtn::UnitRect() const {
  const int in = BorderInset();
  const int right = width_ - 2 * in - ButtonWidth() - 3 + in;
  return TRect(std::max(0, right - unitSpace_), 2 + in, std::max(0, right), std::max(2 + in, height_ - in));
}

void TEsgUnitEditBtn::PlaceButton() {
  TEsgEditBtn::PlaceButton();
  if (!unitBox_) return;
  const TRect r = UnitRect();
  unitBox_->SetBounds(r.Left, r.Top, r.Width(), r.Height());
}

void TEsgUnitEditBtn::ClickButton(TObject* Sender) {
  // The menu is made again for each click from the current list; a choice comes back as its id.
  menu_->Items()->Clear();
  for (int i = 0; i < units_->Count(); ++i) {
    auto* item = new TMenuItem(menu_);
    item->SetCaption(units_->Strings(i));
    item->SetTag(i + 1);
    item->OnClick = [this](TObject* Sender) { UnitCommand(static_cast<int>(static_cast<TMenuItem*>(Sender)->Tag())); };
    menu_->Items()->Add(item);
  }
  const TPoint p = ClientToScreen(TPoint(ClientWidth() - 15, ClientHeight()));
  menu_->Popup(p.X, p.Y);
}

void TEsgUnitEditBtn::UnitCommand(int Id) {
  if (Id < 1 || Id > units_->Count()) return;
  SetUnitID(units_->Strings(Id - 1));
}

int TEsgEditBtn::MinHeight() const { return FontLeastHeight(Font()); }

void TEsgEditBtn::BoundsChanged() {
  // Never lower than the font needs: the text would be cut.
  if (const int least = MinHeight(); height_ < least) {
    SetBounds(left_, top_, width_, least);
    return;
  }
  TCustomEdit::BoundsChanged();
  PlaceButton();
}

void TEsgEditBtn::KeyDown(WORD& Key, TShiftState Shift) {
  TCustomEdit::KeyDown(Key, Shift);
  if (Key == VK_F4) {
    Key = 0;
    ClickButton(this);
  }
}

void TEsgEditBtn::KeyPress(char& Key) {
  if (!editorEnabled_) Key = 0;
  if (Key != 0) TCustomEdit::KeyPress(Key);
}

bool TEsgEditBtn::EditKey(WORD Key, TShiftState Shift) {
  if (!editorEnabled_ && Key == VK_DELETE) return true;
  return TCustomEdit::EditKey(Key, Shift);
}

void TEsgEditBtn::WMPaste(TMessage& Message) {
  if (editorEnabled_) TCustomEdit::WMPaste(Message);
}

void TEsgEditBtn::WMCut(TMessage& Message) {
  if (editorEnabled_) TCustomEdit::WMCut(Message);
}

// ================================================================ date-time picker
TEsgDateTimePicker::TEsgDateTimePicker(TComponent* AOwner) : TCustomEdit(AOwner), dateTime_(Now()) {
  // Flat: the window-coloured two pixels where a border would be, the text inside them.
  SetBorderStyle(bsNone);
  arrows_ = new TEsgSpinButton(this);
  arrows_->SetFocusControl(this);
  arrows_->OnUpClick = [this](TObject*) { StepPart(1); };
  arrows_->OnDownClick = [this](TObject*) { StepPart(-1); };
  arrows_->SetParent(this);
  PlaceParts();
  ShowValue();
}

// The calendar's button and the spin pair share the place at the right edge.
static TRect RightEdgeRect(int Width, int Height) {
  const int w = std::min(GetSystemMetrics(SM_CXVSCROLL), std::max(0, Width / 2));
  return TRect(Width - 1 - w, 1, Width - 1, std::max(1, Height - 1));
}

void TEsgDateTimePicker::PlaceParts() {
  const TRect r = RightEdgeRect(Width(), Height());
  arrows_->SetVisible(!HasCalendar());
  // The pair stays inside the window-coloured edge of the flat look.
  int left = HasCalendar() ? r.Left : r.Left - 1;
  if (!HasCalendar()) {
    // A pair narrower than it can be grows to the left.
    arrows_->SetBounds(left, r.Top + 1, r.Width(), std::max(1, r.Height() - 2));
    left -= arrows_->Width() - r.Width();
    arrows_->SetLeft(left);
  }
  SetTextMargins(2, 0, Width() - left + 1, 0);
  Invalidate();
}

void TEsgDateTimePicker::ShowValue() {
  showing_ = true;
  SetText(kind_ == dtkDate ? DateToStr(dateTime_) : TimeToStr(dateTime_));
  showing_ = false;
}

void TEsgDateTimePicker::SetKind(TDateTimeKind v) {
  kind_ = v;
  if (!HasCalendar()) CloseUp();
  PlaceParts();
  ShowValue();
}

void TEsgDateTimePicker::SetUpDown(bool v) {
  upDown_ = v;
  if (!HasCalendar()) CloseUp();
  PlaceParts();
}

void TEsgDateTimePicker::SetDateTime(TDateTime v) {
  dateTime_ = v;
  ShowValue();
}

TDateTime TEsgDateTimePicker::Date() const { return DayPart(dateTime_); }
void TEsgDateTimePicker::SetDate(TDateTime v) { SetDateTime(JoinDayAndTime(DayPart(v), Time())); }
TDateTime TEsgDateTimePicker::Time() const { return TimePart(dateTime_); }
void TEsgDateTimePicker::SetTime(TDateTime v) { SetDateTime(JoinDayAndTime(Date(), TimePart(v))); }

TRect TEsgDateTimePicker::ButtonRect() const { return HasCalendar() ? RightEdgeRect(Width(), Height()) : TRect(); }

bool TEsgDateTimePicker::IsDropKey(WORD Key, TShiftState Shift) {
  const TShiftState mods = Shift & (ssShift | ssCtrl | ssAlt);
  return (Key == VK_F4 && mods == 0) || ((Key == VK_DOWN || Key == VK_UP) && mods == ssAlt);
}

void TEsgDateTimePicker::DropDown() {
  if (!HasCalendar() || DroppedDown() || !Showing()) return;
  if (!calendar_) {
    calendar_ = new TCalendarPopup(this);
    calendar_->OnPick = [this](TObject*, TDateTime Day) {
      SetDate(Day);
      SelectAll();
      DayPicked();
    };
    calendar_->OnCloseUp = [this](TObject*) {
      Invalidate();
      FireEvent(OnCloseUp, this);
    };
  }
  // A date typed but not yet read (text that is no date) leaves the calendar on the value.
  FireEvent(OnDropDown, this);
  calendar_->DropDown(this, Date());
  Invalidate();
}

void TEsgDateTimePicker::CloseUp() {
  if (calendar_) calendar_->CloseUp();
}

void TEsgDateTimePicker::CMVisibleChanged(TMessage& Message) {
  TCustomEdit::CMVisibleChanged(Message);
  if (!Visible()) CloseUp();
}

void TEsgDateTimePicker::BoundsChanged() {
  TCustomEdit::BoundsChanged();
  PlaceParts();
}

bool TEsgDateTimePicker::DroppedDown() const { return calendar_ && calendar_->DroppedDown(); }

void TEsgDateTimePicker::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TCustomEdit::MouseDown(Button, Shift, X, Y);
  if (Button == mbLeft && PtInRect(ButtonRect(), TPoint(X, Y))) DropDown();
}

void TEsgDateTimePicker::PaintOver(TCanvas* C) {
  if (HasCalendar()) DrawDropButton(C, ButtonRect(), Enabled());
}

void TEsgDateTimePicker::Change() {
  // Typed text that reads as a date or time becomes the value; other text leaves it.
  if (!showing_) {
    TDateTime v = 0;
    if (kind_ == dtkDate ? TryStrToDate(Text(), v) : TryStrToTime(Text(), v))
      dateTime_ = kind_ == dtkDate ? JoinDayAndTime(DayPart(v), Time()) : JoinDayAndTime(Date(), TimePart(v));
  }
  TCustomEdit::Change();
}

void TEsgDateTimePicker::KeyDown(WORD& Key, TShiftState Shift) {
  TCustomEdit::KeyDown(Key, Shift);
  if (IsDropKey(Key, Shift) && HasCalendar()) {
    Key = 0;
    DropDown();
    return;
  }
  if ((Key != VK_UP && Key != VK_DOWN) || (Shift & ssCtrl) == 0) return;
  // Ctrl+Up and Ctrl+Down step the part under the caret (plain arrows belong to the owner).
  StepPart(Key == VK_UP ? 1 : -1);
  Key = 0;
}

void TEsgDateTimePicker::StepPart(int Dir) {
  const int caret = SelStart();
  if (kind_ == dtkDate)
    dateTime_ = StepDate(dateTime_, PartAt(Text(), caret, FormatSettings.DateSeparator), Dir);
  else
    dateTime_ = JoinDayAndTime(Date(), StepTime(Time(), PartAt(Text(), caret, FormatSettings.TimeSeparator), Dir));
  ShowValue();
  SetSelStart(caret);
}
