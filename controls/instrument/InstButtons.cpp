#include "controls/instrument/InstButtons.h"

#include "controls/instrument/InstSysUtils.h"
#include "platform/gui/Windows.h"

namespace {

void SetupFont(TFont* F, TColor Color) {
  F->SetName("Arial");
  F->SetSize(12);
  F->SetColor(Color);
  F->SetStyle(fsBold);
}

TRect Shifted(TRect R, int D) {
  R.Left += D;
  R.Top += D;
  R.Right += D;
  R.Bottom += D;
  return R;
}

}  // namespace

TInstDemoButton::TInstDemoButton(TComponent* AOwner)
    : TInstCustomImageControl(AOwner),
      FBitmap(std::make_unique<TBitmap>()),
      FFontEnter(std::make_unique<TFont>()),
      FFontLeave(std::make_unique<TFont>()),
      FFont3D(std::make_unique<TInstFont3D>()) {
  SetControlStyle((ControlStyle() | csOpaque) & ~csDoubleClicks);
  SetBounds(0, 0, 150, 25);
  SetColor(clBtnFace);
  SetParentColor(false);
  SetupFont(FFontEnter.get(), clRed);
  SetupFont(FFontLeave.get(), clBlack);
  FBitmap->OnChange = [this](TObject* S) { AppearanceChanged(S); };
  FFontEnter->OnChange = [this](TObject* S) { AppearanceChanged(S); };
  FFontLeave->OnChange = [this](TObject* S) { AppearanceChanged(S); };
  FFont3D->OnChange = [this](TObject* S) { AppearanceChanged(S); };
}

TInstDemoButton::~TInstDemoButton() {
  FBitmap->OnChange = nullptr;
  FFontEnter->OnChange = nullptr;
  FFontLeave->OnChange = nullptr;
  FFont3D->OnChange = nullptr;
}

void TInstDemoButton::SetBitmap(TBitmap* V) {
  if (V)
    FBitmap->Assign(V);
  else
    FBitmap->SetSize(0, 0);
  Invalidate();
}

void TInstDemoButton::Paint() {
  ClearBitmapCanvas();
  TCanvas* c = BitmapCanvas();
  TRect r = ClientRect();
  if (FDown) r = Shifted(r, 1);
  if (!FBitmap->Empty()) TileBitmap(c, r, FBitmap.get());

  r = ClientRect();
  const TColor outline = FFocused ? FFocusColor : FOutlineColor;
  DrawFrame3D(c, r, outline, outline, FOutlineWidth);
  if (FDown)
    DrawFrame3D(c, r, FShadowColor, FHighlightColor, FBevelWidth);
  else if (!FFlat || FHover)
    DrawFrame3D(c, r, FHighlightColor, FShadowColor, FBevelWidth);
  else {
    r.Left += FBevelWidth;
    r.Top += FBevelWidth;
    r.Right -= FBevelWidth;
    r.Bottom -= FBevelWidth;
  }

  c->Font()->Assign(FHover && Enabled() ? FFontEnter.get() : FFontLeave.get());
  if (!Enabled()) c->Font()->SetColor(FDisabledTextColor);
  c->Brush()->SetStyle(bsClear);
  if (FDown) r = Shifted(r, 1);
  FCaptionRect = r;
  FFont3D->Paint(c, r, static_cast<unsigned>(FTextAlignment) | DT_SINGLELINE, Caption());
  TInstCustomImageControl::Paint();
}

void TInstDemoButton::Press(int X, int Y) {
  if (!PtInRect(ClientRect(), Point(X, Y))) return;
  FPressed = true;
  FDown = true;
  SetMouseCapture(true);
  if (TabStop() && CanFocus()) SetFocus();
  Invalidate();
}

// Clicking from code does nothing: only a press, Space or the accelerator clicks.
void TInstDemoButton::Click() {}

void TInstDemoButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  // The inherited button-up would click a second time.
  SetControlState(ControlState() & ~csClicked);
  if (Button == mbLeft) Press(X, Y);
  TInstCustomImageControl::MouseDown(Button, Shift, X, Y);
}

void TInstDemoButton::MouseMove(TShiftState Shift, int X, int Y) {
  if (FPressed) {
    const bool inside = PtInRect(ClientRect(), Point(X, Y));
    if (inside != FDown) {
      FDown = inside;
      Invalidate();
    }
  }
  TInstCustomImageControl::MouseMove(Shift, X, Y);
}

void TInstDemoButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft) {
    SetMouseCapture(false);
    const bool click = FPressed && FDown;
    // Drawn pressed while the handler runs (a bus operation takes a while), raised once it returns.
    if (click) {
      Repaint();
      TInstCustomImageControl::Click();
    }
    FPressed = false;
    FDown = false;
    Invalidate();
  }
  TInstCustomImageControl::MouseUp(Button, Shift, X, Y);
}

void TInstDemoButton::Dispatch(TMessage& Message) {
  // A press taken over (a drag starts) ends raised without a click; the capture stays with its taker.
  if (Message.Msg == WM_CANCELMODE && FPressed) {
    FPressed = false;
    FDown = false;
    Invalidate();
  }
  TInstCustomImageControl::Dispatch(Message);
}

void TInstDemoButton::KeyDown(uint16_t& Key, TShiftState Shift) {
  if (Key == VK_SPACE && !FDown) Press(0, 0);
  TInstCustomImageControl::KeyDown(Key, Shift);
}

void TInstDemoButton::KeyUp(uint16_t& Key, TShiftState Shift) {
  if (Key == VK_SPACE) {
    SetMouseCapture(false);
    const bool click = FPressed && FDown;
    FPressed = false;
    if (click) {
      FDown = false;
      Repaint();  // raised before the handler runs
      TInstCustomImageControl::Click();
    }
  }
  TInstCustomImageControl::KeyUp(Key, Shift);
}

void TInstDemoButton::CMDialogChar(TMessage& Message) {
  if (Enabled() && IsAccel(static_cast<WORD>(Message.WParam), Caption())) {
    TInstCustomImageControl::Click();
    Message.Result = 1;
    return;
  }
  TInstCustomImageControl::CMDialogChar(Message);
}

void TInstDemoButton::DoEnter() {
  TInstCustomImageControl::DoEnter();
  if (!FFocused) {
    FFocused = true;
    Invalidate();
  }
}

void TInstDemoButton::DoExit() {
  TInstCustomImageControl::DoExit();
  if (FFocused) {
    FFocused = false;
    Invalidate();
  }
}

void TInstDemoButton::MouseEnter() {
  FHover = true;
  Invalidate();
  TInstCustomImageControl::MouseEnter();
}

void TInstDemoButton::MouseLeave() {
  FHover = false;
  Invalidate();
  TInstCustomImageControl::MouseLeave();
}

void TInstDemoButton::CMEnabledChanged(TMessage& Message) {
  TInstCustomImageControl::CMEnabledChanged(Message);
  Invalidate();
}

void TInstDemoButton::TextChanged() {
  Invalidate();
  TInstCustomImageControl::TextChanged();
}
