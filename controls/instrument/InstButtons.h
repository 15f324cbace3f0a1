#pragma once
// The owner-drawn push button of the device windows.

#include <cstdint>
#include <memory>
#include <string>

#include "controls/instrument/InstClasses.h"
#include "controls/instrument/InstControls.h"

// A width of a few pixels, 0 to 255.
using TInstByteInt = uint8_t;

class TInstDemoButton : public TInstCustomImageControl {
 public:
  explicit TInstDemoButton(TComponent* AOwner);
  ~TInstDemoButton() override;
  std::string ClassName() const override { return "TInstDemoButton"; }

  TBitmap* Bitmap() const { return FBitmap.get(); }
  void SetBitmap(TBitmap* V);
  TFont* FontEnter() const { return FFontEnter.get(); }
  void SetFontEnter(TFont* V) { FFontEnter->Assign(V); }
  TFont* FontLeave() const { return FFontLeave.get(); }
  void SetFontLeave(TFont* V) { FFontLeave->Assign(V); }
  TInstFont3D* Font3D() const { return FFont3D.get(); }
  void SetFont3D(TInstFont3D* V) { FFont3D->Assign(V); }

  TInstByteInt BevelWidth() const { return FBevelWidth; }
  void SetBevelWidth(TInstByteInt V) { InstStore(this, FBevelWidth, V); }
  int OutlineWidth() const { return FOutlineWidth; }
  void SetOutlineWidth(int V) { InstStore(this, FOutlineWidth, V); }
  TColor OutlineColor() const { return FOutlineColor; }
  void SetOutlineColor(TColor V) { InstStore(this, FOutlineColor, V); }
  TColor FocusColor() const { return FFocusColor; }
  void SetFocusColor(TColor V) { InstStore(this, FFocusColor, V); }
  TColor HighlightColor() const { return FHighlightColor; }
  void SetHighlightColor(TColor V) { InstStore(this, FHighlightColor, V); }
  TColor ShadowColor() const { return FShadowColor; }
  void SetShadowColor(TColor V) { InstStore(this, FShadowColor, V); }
  TColor DisabledTextColor() const { return FDisabledTextColor; }
  void SetDisabledTextColor(TColor V) { InstStore(this, FDisabledTextColor, V); }
  TInstTextAlignment TextAlignment() const { return FTextAlignment; }
  void SetTextAlignment(TInstTextAlignment V) { InstStore(this, FTextAlignment, V); }
  bool Flat() const { return FFlat; }
  void SetFlat(bool V) { InstStore(this, FFlat, V); }

  // Run-time state.
  bool Hover() const { return FHover; }
  bool Focused() const override { return FFocused; }
  bool Down() const { return FDown; }
  bool Pressed() const { return FPressed; }

  // The caption's rectangle as the last paint placed it.
  TRect CaptionRect() const { return FCaptionRect; }

  // Input entry points (also driven by tests).
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void KeyDown(uint16_t& Key, TShiftState Shift) override;
  void KeyUp(uint16_t& Key, TShiftState Shift) override;
  // Does nothing: OnClick fires only through the press logic.
  void Click() override;
  void Dispatch(TMessage& Message) override;

 protected:
  void Paint() override;
  void CMDialogChar(TMessage& Message) override;
  void DoEnter() override;
  void DoExit() override;
  void MouseEnter() override;
  void MouseLeave() override;
  void CMEnabledChanged(TMessage& Message) override;
  void TextChanged() override;

 private:
  void Press(int X, int Y);
  void AppearanceChanged(TObject*) { Invalidate(); }

  std::unique_ptr<TBitmap> FBitmap;
  std::unique_ptr<TFont> FFontEnter, FFontLeave;
  std::unique_ptr<TInstFont3D> FFont3D;
  TInstByteInt FBevelWidth = 2;
  int FOutlineWidth = 1;
  TColor FOutlineColor = clBlack;
  TColor FFocusColor = clBlue;
  TColor FHighlightColor = clBtnHighlight;
  TColor FShadowColor = clBtnShadow;
  TColor FDisabledTextColor = clInactiveCaption;
  TInstTextAlignment FTextAlignment = TInstTextAlignment::vtaCenter;
  bool FFlat = false;
  bool FHover = false, FFocused = false, FDown = false, FPressed = false;
  TRect FCaptionRect{};
};
