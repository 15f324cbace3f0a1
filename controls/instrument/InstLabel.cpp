#include "controls/instrument/InstLabel.h"

#include <cmath>
#include <numbers>

#include "controls/instrument/InstSysUtils.h"
#include "platform/rtl/SysUtils.h"

TInstLabel::TInstLabel(TComponent* AOwner) : TInstGraphicImageControl(AOwner), FBitmap(std::make_unique<TBitmap>()) {
  SetControlStyle(ControlStyle() | csSetCaption | csOpaque);
  SetBounds(0, 0, 100, 25);
  SetColor(clBtnFace);
  Font()->SetName("Arial");
  Font()->SetSize(14);
  FBitmap->OnChange = [this](TObject*) { Invalidate(); };
}

TInstLabel::~TInstLabel() { FBitmap->OnChange = nullptr; }

void TInstLabel::SetAngle(TInstTextAngle V) {
  V %= 360;
  if (V < 0) V += 360;
  if (V == FAngle) return;
  FAngle = V;
  FRadians = V * std::numbers::pi / 180.0;
  AdjustBounds();
  Invalidate();
}

void TInstLabel::SetBitmap(TBitmap* V) {
  if (V)
    FBitmap->Assign(V);
  else
    FBitmap->SetSize(0, 0);
  Invalidate();
}

TSize TInstLabel::MeasureCaption() {
  TCanvas* c = BitmapCanvas();
  c->Font()->Assign(Font());
  c->Font()->SetOrientation(0);
  FTextSize = c->TextExtent(Caption());
  return FTextSize;
}

bool TInstLabel::CanAutoSize(int& NewWidth, int& NewHeight) {
  const TSize s = MeasureCaption();
  const double ac = std::fabs(std::cos(FRadians));
  const double as = std::fabs(std::sin(FRadians));
  const TAlign a = Align();
  if (a == alNone || a == alLeft || a == alRight) NewWidth = static_cast<int>(Trunc(ac * s.cx + as * s.cy)) + 4;
  if (a == alNone || a == alTop || a == alBottom) NewHeight = static_cast<int>(Trunc(ac * s.cy + as * s.cx)) + 4;
  return true;
}

TPoint TInstLabel::TextOrigin(int ClientW, int ClientH, int W, int H) const {
  const double c = std::cos(FRadians);
  const double s = std::sin(FRadians);
  const double ac = std::fabs(c);
  const double as = std::fabs(s);
  const bool backwards = FAngle >= 91 && FAngle < 270;
  const int addX =
      (backwards ? static_cast<int>(Trunc(ac * W)) : 0) + (FAngle > 180 ? static_cast<int>(Trunc(as * H)) : 0);
  const int left = 2 + addX;
  int x = left;
  if (FAlignment == taRightJustify)
    x = ClientW - (static_cast<int>(Trunc(ac * W + as * H)) + 2) + addX;
  else if (FAlignment == taCenter)
    x = static_cast<int>(Trunc(ClientW / 2.0 - c * W / 2.0 - s * H / 2.0));
  // A caption wider than the control starts at the left, never off the edge.
  x = MaxInt(x, left);

  const int addY =
      (FAngle < 180 ? static_cast<int>(Trunc(as * W)) : 0) + (backwards ? static_cast<int>(Trunc(ac * H)) : 0);
  int y;
  if (FLayout == tlTop)
    y = 2 + addY;
  else if (FLayout == tlBottom)
    y = ClientH - (static_cast<int>(Trunc(ac * H + as * W)) + 2) + addY;
  else
    y = static_cast<int>(Trunc(ClientH / 2.0 - c * H / 2.0 + s * W / 2.0));
  return Point(x, y);
}

void TInstLabel::Paint() {
  ClearBitmapCanvas();
  TCanvas* c = BitmapCanvas();
  const TSize s = MeasureCaption();
  c->Font()->Assign(Font());
  SetFontAngle(c, FAngle);
  const TPoint o = TextOrigin(Width(), Height(), s.cx, s.cy);
  const std::string text = Caption();
  switch (FStyle) {
    case lsNone:
      if (Transparent()) {
        c->Brush()->SetStyle(bsClear);
      } else {
        c->Brush()->SetStyle(bsSolid);
        c->Brush()->SetColor(Color());
      }
      c->TextOut(o.X, o.Y, text);
      break;
    case lsRaised:
      Draw3DText(c, o.X, o.Y, FColorShadow, FColorHighlight, text);
      break;
    case lsLowered:
      Draw3DText(c, o.X, o.Y, FColorHighlight, FColorShadow, text);
      break;
    case lsShadow:
      DrawShadowText(c, o.X, o.Y, FShadowDepth, FShadowDepth, FColorShadow, text);
      break;
  }
  if (!FBitmap->Empty()) DrawBitmapText(c, ClientRect(), o.X, FAngle, FBitmap.get(), text, o.Y);
  TInstGraphicImageControl::Paint();
}

void TInstLabel::FontChanged() {
  AdjustBounds();
  TInstGraphicImageControl::FontChanged();
}

void TInstLabel::TextChanged() {
  AdjustBounds();
  TInstGraphicImageControl::TextChanged();
}
