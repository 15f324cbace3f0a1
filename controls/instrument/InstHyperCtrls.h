#pragma once
// A caption with its own fonts and backgrounds for the mouse-over and
// mouse-away states and an optional outline; and a link label that opens its
// URL with the shell.

#include <memory>
#include <string>

#include "controls/instrument/InstClasses.h"
#include "controls/instrument/InstControls.h"
#include "platform/gui/Controls.h"

// Draws Text into Rect, first Width x Width x 4 copies in OutlineColor around it.
void DrawOutlinedText(TCanvas* Canvas, const TRect& Rect, const std::string& Text, bool WordWrap,
                      TAlignment Alignment, TColor OutlineColor, int OutlineWidth);

class TInstHyperLink : public TInstGraphicImageControl {
 public:
  explicit TInstHyperLink(TComponent* AOwner);
  ~TInstHyperLink() override;
  std::string ClassName() const override { return "TInstHyperLink"; }

  TFont* FontEnter() const { return FFontEnter.get(); }
  void SetFontEnter(TFont* V) { FFontEnter->Assign(V); }
  TFont* FontLeave() const { return FFontLeave.get(); }
  void SetFontLeave(TFont* V) { FFontLeave->Assign(V); }
  TColor ColorEnter() const { return FColorEnter; }
  void SetColorEnter(TColor V) { InstStore(this, FColorEnter, V); }
  TColor ColorLeave() const { return FColorLeave; }
  void SetColorLeave(TColor V) { InstStore(this, FColorLeave, V); }
  TInstTextOutline* TextOutline() const { return FTextOutline.get(); }
  void SetTextOutline(TInstTextOutline* V) { FTextOutline->Assign(V); }
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment V) { InstStore(this, FAlignment, V); }
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool V) { InstStore(this, FWordWrap, V); }

  bool Hovered() const { return FHovered; }
  // The font and background the last paint used.
  const TFont* PaintedFont() const { return FPaintedFont; }
  TColor PaintedColor() const { return FPaintedColor; }

 protected:
  void Loaded() override;
  void Paint() override;
  void MouseEnter() override;
  void MouseLeave() override;
  void TextChanged() override;

 private:
  std::unique_ptr<TFont> FFontEnter, FFontLeave;
  TColor FColorEnter = clBlue, FColorLeave = clBlack;
  std::unique_ptr<TInstTextOutline> FTextOutline;
  TAlignment FAlignment = taCenter;
  bool FWordWrap = true;
  bool FHovered = false;
  const TFont* FPaintedFont = nullptr;
  TColor FPaintedColor = clNone;
};

class TInstWebLabel : public TInstHyperLink {
 public:
  explicit TInstWebLabel(TComponent* AOwner);
  std::string ClassName() const override { return "TInstWebLabel"; }

  std::string URL() const { return FURL; }
  void SetURL(const std::string& V) { FURL = V; }
  TNotifyEvent OnError;

  // Opens URL on a left click while hovered.
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

 private:
  std::string FURL;
};
