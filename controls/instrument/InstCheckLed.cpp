#include "controls/instrument/InstCheckLed.h"

#include "controls/instrument/InstSysUtils.h"

TInstCheckLed::TInstCheckLed(TComponent* AOwner)
    : TInstCustomImageControl(AOwner), FPalette(std::make_unique<TInstPalette>()) {
  SetControlStyle(csCaptureMouse | csClickEvents | csSetCaption | csOpaque | csReplicatable);
  SetBounds(0, 0, 125, 25);
  SetColor(clBtnFace);
  SetParentColor(false);
  SetTabStop(false);
  FPalette->OnChange = [this](TObject*) { Invalidate(); };
  CalcLayout();
}

TInstCheckLed::~TInstCheckLed() { FPalette->OnChange = nullptr; }

void TInstCheckLed::SetChecked(bool V) {
  if (V == FChecked) return;
  FChecked = V;
  Invalidate();
  if (V && FCheckStyle == csRadioButton && Parent()) {
    TWinControl* p = Parent();
    for (int i = 0; i < p->ControlCount(); ++i) {
      auto* sibling = dynamic_cast<TInstCheckLed*>(p->Controls(i));
      if (sibling && sibling != this && sibling->CheckStyle() == csRadioButton) sibling->SetChecked(false);
    }
  }
  if (OnChange) OnChange(this);
}

void TInstCheckLed::CalcLayout() {
  TCanvas* c = BitmapCanvas();
  c->Font()->Assign(Font());
  TPoint pos;
  CalcImageTextLayout(c, ClientRect(), Point(1, 1), Caption(), InstLayoutNumber(FLayout), FMargin, FSpacing,
                      Point(FCheckWidth, FCheckHeight), pos, FCaptionRect);
  FLedRect = Bounds(pos.X, pos.Y, FCheckWidth, FCheckHeight);
}

void TInstCheckLed::DrawLed(TCanvas* C, int Style) {
  TRect r = FLedRect;
  if (Style == 2)
    DrawFrame3D(C, r, clBlack, clBtnHighlight, 1);
  else
    DrawFrame3D(C, r, clBtnHighlight, clBlack, 1);
  DrawFrame3D(C, r, clBtnHighlight, clBtnShadow, 1);
  DrawFrame3D(C, r, clBtnFace, clBtnFace, 1);
  DrawFrame3D(C, r, clBlack, clBtnHighlight, 1);
  if (Style == 1) {
    // The pattern is anchored at the LED's inside, so it looks the same wherever the LED sits.
    for (int y = r.Top; y < r.Bottom; ++y)
      for (int x = r.Left; x < r.Right; ++x)
        C->SetPixels(x, y, (((x - r.Left) & 1) == ((y - r.Top) & 1)) ? FPalette->Low() : FPalette->High());
    return;
  }
  C->Brush()->SetStyle(bsSolid);
  C->Brush()->SetColor(Style == 2 ? FPalette->High() : FPalette->Low());
  C->FillRect(r);
}

void TInstCheckLed::Paint() {
  ClearBitmapCanvas();
  TCanvas* c = BitmapCanvas();
  const bool shown = FShowOpposite ? !FChecked : FChecked;
  const int style = (FHover && !shown) ? 1 : shown ? 2 : 0;
  FPaintedStyle = style;
  DrawLed(c, style);
  c->Font()->Assign(Font());
  c->Brush()->SetColor(Color());
  DrawDisabledText(c, Caption(), FCaptionRect, Enabled());
  TInstCustomImageControl::Paint();
  if (Focused()) {
    TRect f = FCaptionRect;
    InflateRect(f, 2, 2);
    Canvas()->DrawFocusRect(f);
  }
}

void TInstCheckLed::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft && Enabled() && PtInRect(FLedRect, Point(X, Y))) {
    FPressing = true;
    FSavedState = FChecked;
    FShowOpposite = true;
    Invalidate();
  }
  if (TabStop() && CanFocus()) SetFocus();
  TInstCustomImageControl::MouseDown(Button, Shift, X, Y);
}

void TInstCheckLed::MouseMove(TShiftState Shift, int X, int Y) {
  const bool over = PtInRect(FLedRect, Point(X, Y));
  if (over != FHover) {
    FHover = over;
    Invalidate();
  }
  TInstCustomImageControl::MouseMove(Shift, X, Y);
}

void TInstCheckLed::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (FPressing) {
    FPressing = false;
    FShowOpposite = false;
    if (PtInRect(FLedRect, Point(X, Y)))
      SetChecked(!FSavedState);
    else
      Invalidate();
  }
  TInstCustomImageControl::MouseUp(Button, Shift, X, Y);
}

void TInstCheckLed::Dispatch(TMessage& Message) {
  // A press taken over (a drag starts) shows the real state again, unchanged.
  if (Message.Msg == WM_CANCELMODE && FPressing) {
    FPressing = false;
    FShowOpposite = false;
    Invalidate();
  }
  TInstCustomImageControl::Dispatch(Message);
}

void TInstCheckLed::KeyPress(char& Key) {
  if (Key == ' ') Toggle();
  TInstCustomImageControl::KeyPress(Key);
}

void TInstCheckLed::CMDialogChar(TMessage& Message) {
  if (Enabled() && CanFocus() && IsAccel(static_cast<WORD>(Message.WParam), Caption())) {
    if (TabStop()) SetFocus();
    Toggle();
    Message.Result = 1;
    return;
  }
  TInstCustomImageControl::CMDialogChar(Message);
}

void TInstCheckLed::MouseLeave() {
  if (FHover) {
    FHover = false;
    Invalidate();
  }
  TInstCustomImageControl::MouseLeave();
}

void TInstCheckLed::FontChanged() {
  CalcLayout();
  Invalidate();
  TInstCustomImageControl::FontChanged();
}

void TInstCheckLed::TextChanged() {
  CalcLayout();
  Invalidate();
  TInstCustomImageControl::TextChanged();
}

void TInstCheckLed::DoEnter() {
  TInstCustomImageControl::DoEnter();
  Invalidate();
}

void TInstCheckLed::DoExit() {
  TInstCustomImageControl::DoExit();
  Invalidate();
}

void TInstCheckLed::CMEnabledChanged(TMessage& Message) {
  TInstCustomImageControl::CMEnabledChanged(Message);
  Invalidate();
}

void TInstCheckLed::Resize() {
  TInstCustomImageControl::Resize();
  CalcLayout();
  Invalidate();
}
