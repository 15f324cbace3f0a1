#pragma once
// A caption that can be rotated to any angle and drawn raised, lowered, with
// a drop shadow or filled with a bitmap.

#include <memory>
#include <string>

#include "controls/instrument/InstControls.h"
#include "platform/gui/Controls.h"

enum TInstLabelStyle { lsNone, lsRaised, lsLowered, lsShadow };
// Degrees counter-clockwise, 0 to 359.
using TInstTextAngle = int;

class TInstLabel : public TInstGraphicImageControl {
 public:
  explicit TInstLabel(TComponent* AOwner);
  ~TInstLabel() override;
  std::string ClassName() const override { return "TInstLabel"; }

  TInstLabelStyle Style() const { return FStyle; }
  void SetStyle(TInstLabelStyle V) { InstStore(this, FStyle, V); }
  TColor ColorHighlight() const { return FColorHighlight; }
  void SetColorHighlight(TColor V) { InstStore(this, FColorHighlight, V); }
  TColor ColorShadow() const { return FColorShadow; }
  void SetColorShadow(TColor V) { InstStore(this, FColorShadow, V); }
  int ShadowDepth() const { return FShadowDepth; }
  void SetShadowDepth(int V) { InstStore(this, FShadowDepth, V); }
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment V) { InstStore(this, FAlignment, V); }
  TTextLayout Layout() const { return FLayout; }
  void SetLayout(TTextLayout V) { InstStore(this, FLayout, V); }
  TInstTextAngle Angle() const { return FAngle; }
  void SetAngle(TInstTextAngle V);
  double AngleRadians() const { return FRadians; }
  TBitmap* Bitmap() const { return FBitmap.get(); }
  void SetBitmap(TBitmap* V);

  // The size the caption needs at the current angle.
  bool CanAutoSize(int& NewWidth, int& NewHeight) override;
  // Where the rotated caption starts for a caption of W x H in a client of
  // ClientW x ClientH.
  TPoint TextOrigin(int ClientW, int ClientH, int W, int H) const;
  // The caption's last measured size.
  TSize TextSize() const { return FTextSize; }

 protected:
  void Paint() override;
  void FontChanged() override;
  void TextChanged() override;

 private:
  TSize MeasureCaption();

  TInstLabelStyle FStyle = lsRaised;
  TColor FColorHighlight = clWhite;
  TColor FColorShadow = clGray;
  int FShadowDepth = 2;
  TAlignment FAlignment = taCenter;
  TTextLayout FLayout = tlCenter;
  TInstTextAngle FAngle = 0;
  double FRadians = 0;
  std::unique_ptr<TBitmap> FBitmap;
  TSize FTextSize;
};
