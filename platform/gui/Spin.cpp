#include "platform/gui/Spin.h"

#include <algorithm>

#include "platform/gui/QtPeer.h"
#include "platform/gui/Timer.h"
#include "platform/rtl/SysUtils.h"

namespace {

// Our own arrow art: a black triangle on an olive (transparent) ground, pointing up, down,
// right or left.
std::unique_ptr<TBitmap> ArrowGlyph(bool up, bool horizontal) {
  const int w = horizontal ? 4 : 5, h = horizontal ? 5 : 4;
  auto b = std::make_unique<TBitmap>(w, h);
  TCanvas* c = b->Canvas();
  c->Brush()->SetColor(clOlive);
  c->FillRect(TRect(0, 0, w, h));
  // k: distance from the tip. Vertical arrows keep their tip on row 0 (up) or row 2 (down);
  // horizontal ones point right (up) or left (down).
  for (int k = 0; k < 3; ++k) {
    const int line = horizontal ? (up ? 3 - k : k) : (up ? k : 2 - k);
    for (int x = 2 - k; x <= 2 + k; ++x) {
      if (horizontal) c->SetPixels(line, x, clBlack);
      else c->SetPixels(x, line, clBlack);
    }
  }
  return b;
}

}  // namespace

// ================================================================ TTimerSpeedButton
TTimerSpeedButton::TTimerSpeedButton(TComponent* AOwner) : TSpeedButton(AOwner) {}

TTimerSpeedButton::~TTimerSpeedButton() = default;

void TTimerSpeedButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TSpeedButton::MouseDown(Button, Shift, X, Y);
  if (!(timeBtnState_ & tbAllowTimer) || Button != mbLeft || !enabled_) return;
  if (!timer_) {
    timer_ = new TTimer(this);
    timer_->OnTimer = [this](TObject*) { TimerExpired(); };
  }
  timer_->SetInterval(InitRepeatPause);
  timer_->SetEnabled(true);
  if (!clickOnPress_) return;
  // The press is the first step; the release must not add one more.
  pressClicked_ = true;
  Click();
}

void TTimerSpeedButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (timer_) timer_->SetEnabled(false);
  releasing_ = pressClicked_ && Button == mbLeft;
  if (releasing_) pressClicked_ = false;
  TSpeedButton::MouseUp(Button, Shift, X, Y);
  releasing_ = false;
}

void TTimerSpeedButton::Click() {
  if (!releasing_) TSpeedButton::Click();
}

void TTimerSpeedButton::TimerExpired() {
  timer_->SetInterval(RepeatPause);
  // Dragged off the button, it waits; back on it, it goes on.
  if (state_ != bsDown || !MouseCapture()) return;
  try {
    Click();
  } catch (...) {
    // One error, not one at every tick while the button stays held.
    timer_->SetEnabled(false);
    throw;
  }
}

// ================================================================ TSpinButton
TSpinButton::TSpinButton(TComponent* AOwner)
    : TSpinButton(AOwner, [](TSpinButton* Pair) { return new TTimerSpeedButton(Pair); }) {}

TSpinButton::TSpinButton(TComponent* AOwner, const TButtonMaker& MakeButton) : TWinControl(AOwner) {
  controlStyle_ = (controlStyle_ & ~(csAcceptsControls | csSetCaption)) | csFramed | csOpaque;
  color_ = clBtnFace;
  auto make = [this, &MakeButton](bool up) {
    TTimerSpeedButton* b = MakeButton(this);
    b->SetTimeBtnState(tbAllowTimer);
    auto glyph = ArrowGlyph(up, false);
    b->SetGlyph(glyph.get());
    b->OnClick = [this](TObject* s) { BtnClick(s); };
    b->OnMouseDown = [this](TObject* s, TMouseButton mb, TShiftState, int, int) { BtnMouseDown(s, mb); };
    b->SetParent(this);
    return b;
  };
  up_ = make(true);
  down_ = make(false);
  SetBounds(0, 0, 20, 25);
}

void TSpinButton::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  TWinControl::SetBounds(ALeft, ATop, std::max(AWidth, direction_ == spHorizontal ? 20 : 15), AHeight);
  PlaceButtons();
}

void TSpinButton::PlaceButtons() {
  if (direction_ == spHorizontal) {
    const int half = width_ / 2;
    down_->SetBounds(0, 0, half, height_);
    up_->SetBounds(half, 0, width_ - half, height_);
    return;
  }
  int half = height_ / 2;
  up_->SetBounds(0, 0, width_, half);
  down_->SetBounds(0, half - 1, width_, height_ - half + 1);
}

void TSpinButton::SetDirection(TSpinDirection v) {
  if (v == direction_) return;
  direction_ = v;
  if (upDefault_) DefaultGlyph(up_);
  if (downDefault_) DefaultGlyph(down_);
  SetBounds(left_, top_, v == spHorizontal ? 20 : 15, height_);
}

void TSpinButton::DefaultGlyph(TTimerSpeedButton* Button) {
  auto glyph = ArrowGlyph(Button == up_, direction_ == spHorizontal);
  Button->SetGlyph(glyph.get());
  Button->SetNumGlyphs(1);
  (Button == up_ ? upDefault_ : downDefault_) = true;
}

void TSpinButton::SetGlyphOf(TTimerSpeedButton* Button, TBitmap* v) {
  if (!v || v->Empty()) return DefaultGlyph(Button);
  Button->SetGlyph(v);
  (Button == up_ ? upDefault_ : downDefault_) = false;
}

void TSpinButton::SetFocusControl(TWinControl* v) {
  if (focusControl_) focusControl_->RemoveFreeNotification(this);
  focusControl_ = v;
  if (v) v->FreeNotification(this);
}

void TSpinButton::Notification(TComponent* AComponent, TOperation Operation) {
  TWinControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == focusControl_) focusControl_ = nullptr;
}

void TSpinButton::BtnClick(TObject* Sender) {
  if (Sender == up_ && OnUpClick) OnUpClick(this);
  if (Sender == down_ && OnDownClick) OnDownClick(this);
}

void TSpinButton::BtnMouseDown(TObject*, TMouseButton Button) {
  if (Button != mbLeft) return;
  // A press on the arrows puts the focus in the control they serve.
  if (focusControl_ && focusControl_->TabStop() && focusControl_->CanFocus() && !focusControl_->Focused())
    focusControl_->SetFocus();
  else if (tabStop_ && CanFocus() && !Focused())
    SetFocus();
}

void TSpinButton::KeyDown(WORD& Key, TShiftState Shift) {
  TWinControl::KeyDown(Key, Shift);
  if (Key == VK_UP) up_->Click();
  else if (Key == VK_DOWN) down_->Click();
}

void TSpinButton::WMGetDlgCode(TMessage& Message) { Message.Result = DLGC_WANTARROWS; }

// ================================================================ TSpinEdit
TSpinEdit::TSpinEdit(TComponent* AOwner) : TCustomEdit(AOwner) {
  controlStyle_ &= ~csSetCaption;
  button_ = new TSpinButton(this);
  button_->SetBounds(0, 0, 15, 17);
  button_->SetFocusControl(this);
  button_->OnUpClick = [this](TObject* s) { UpClick(s); };
  button_->OnDownClick = [this](TObject* s) { DownClick(s); };
  button_->SetParent(this);
  SetText("0");
  PlaceButton();
}

int TSpinEdit::CheckValue(int NewValue) const {
  if (maxValue_ != minValue_) {
    if (NewValue < minValue_) return minValue_;
    if (NewValue > maxValue_) return maxValue_;
  }
  return NewValue;
}

int TSpinEdit::Value() const {
  int v = 0;
  return TryStrToInt(text_, v) ? v : minValue_;
}

void TSpinEdit::SetValue(int v) { SetText(IntToStr(CheckValue(v))); }

void TSpinEdit::UpClick(TObject*) {
  if (readOnly_) MessageBeep(0);
  else SetValue(Value() + increment_);
}

void TSpinEdit::DownClick(TObject*) {
  if (readOnly_) MessageBeep(0);
  else SetValue(Value() - increment_);
}

bool TSpinEdit::IsValidChar(char Key) const {
  auto u = static_cast<unsigned char>(Key);
  bool ok = Key == FormatSettings.DecimalSeparator || Key == '+' || Key == '-' || (Key >= '0' && Key <= '9') ||
            (u < 0x20 && Key != '\r');
  if (!editorEnabled_ && ok && (u >= 0x20 || u == 8 || u == 0x7F)) ok = false;
  return ok;
}

bool TSpinEdit::EditKey(WORD Key, TShiftState Shift) {
  // Deleting would type into a text that is not for typing.
  if (!editorEnabled_ && Key == VK_DELETE && !(Shift & ssShift)) return true;
  return TCustomEdit::EditKey(Key, Shift);
}

void TSpinEdit::WMPaste(TMessage& Message) {
  if (editorEnabled_ && !readOnly_) TCustomEdit::WMPaste(Message);
}

void TSpinEdit::WMCut(TMessage& Message) {
  if (editorEnabled_ && !readOnly_) TCustomEdit::WMCut(Message);
}

void TSpinEdit::KeyDown(WORD& Key, TShiftState Shift) {
  if (Key == VK_UP) UpClick(this);
  else if (Key == VK_DOWN) DownClick(this);
  TCustomEdit::KeyDown(Key, Shift);
}

void TSpinEdit::KeyPress(char& Key) {
  if (!IsValidChar(Key)) {
    Key = 0;
    MessageBeep(0);
  }
  if (Key != 0) TCustomEdit::KeyPress(Key);
}

void TSpinEdit::DoExit() {
  TCustomEdit::DoExit();
  if (CheckValue(Value()) != Value()) SetValue(Value());
}

void TSpinEdit::PlaceButton() {
  if (!button_) return;
  button_->SetBounds(width_ - button_->Width() - 2, 2, button_->Width(), std::max(4, height_ - 4));
}

void TSpinEdit::BoundsChanged() {
  TCustomEdit::BoundsChanged();
  PlaceButton();
}

void TSpinEdit::CreateWnd() {
  margins_ = TRect(0, 0, button_->Width() + 2, 0);
  TCustomEdit::CreateWnd();
}
