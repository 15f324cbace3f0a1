#pragma once
// A check box or radio item whose box is a small LED.

#include <cstdint>
#include <memory>
#include <string>

#include "controls/instrument/InstClasses.h"
#include "controls/instrument/InstControls.h"

enum TInstCheckLedStyle { csRadioButton, csCheckbox };
// The LED's size in pixels, a byte.
using TInstCheckInt = uint8_t;

class TInstCheckLed : public TInstCustomImageControl {
 public:
  explicit TInstCheckLed(TComponent* AOwner);
  ~TInstCheckLed() override;
  std::string ClassName() const override { return "TInstCheckLed"; }

  bool Checked() const { return FChecked; }
  void SetChecked(bool V);
  TInstCheckLedStyle CheckStyle() const { return FCheckStyle; }
  void SetCheckStyle(TInstCheckLedStyle V) { FCheckStyle = V; }
  TInstCheckInt CheckWidth() const { return FCheckWidth; }
  void SetCheckWidth(TInstCheckInt V) { Relayout(FCheckWidth, V); }
  TInstCheckInt CheckHeight() const { return FCheckHeight; }
  void SetCheckHeight(TInstCheckInt V) { Relayout(FCheckHeight, V); }
  TInstImageTextLayout Layout() const { return FLayout; }
  void SetLayout(TInstImageTextLayout V) { Relayout(FLayout, V); }
  int Margin() const { return FMargin; }
  void SetMargin(int V) { Relayout(FMargin, V); }
  int Spacing() const { return FSpacing; }
  void SetSpacing(int V) { Relayout(FSpacing, V); }
  TInstPalette* Palette() const { return FPalette.get(); }
  void SetPalette(TInstPalette* V) { FPalette->Assign(V); }

  TNotifyEvent OnChange;

  // Layout results, in client pixels.
  TRect LedRect() const { return FLedRect; }
  TRect CaptionRect() const { return FCaptionRect; }
  bool Hover() const { return FHover; }
  // 0 unlit, 1 hover, 2 lit: what the last paint showed.
  int PaintedLedStyle() const { return FPaintedStyle; }
  // Recomputes the LED and caption rectangles.
  void CalcLayout();

  // Input entry points (also driven by tests).
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void KeyPress(char& Key) override;
  void Dispatch(TMessage& Message) override;

 protected:
  void Paint() override;
  void CMDialogChar(TMessage& Message) override;
  void MouseLeave() override;
  void FontChanged() override;
  void TextChanged() override;
  void DoEnter() override;
  void DoExit() override;
  void CMEnabledChanged(TMessage& Message) override;
  void Resize() override;

 private:
  template <class T>
  void Relayout(T& Field, const T& Value) {
    if (Field == Value) return;
    Field = Value;
    CalcLayout();
    Invalidate();
  }
  void DrawLed(TCanvas* C, int Style);
  void Toggle() { SetChecked(!FChecked); }

  bool FChecked = false;
  TInstCheckLedStyle FCheckStyle = csCheckbox;
  TInstCheckInt FCheckWidth = 20, FCheckHeight = 13;
  TInstImageTextLayout FLayout = ImageLeft;
  int FMargin = -1, FSpacing = 5;
  std::unique_ptr<TInstPalette> FPalette;

  TRect FLedRect{}, FCaptionRect{};
  bool FHover = false, FPressing = false, FSavedState = false, FShowOpposite = false;
  int FPaintedStyle = 0;
};
