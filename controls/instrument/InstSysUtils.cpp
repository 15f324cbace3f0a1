#include "controls/instrument/InstSysUtils.h"

#include <memory>

void DrawFrame3D(TCanvas* Canvas, TRect& Rect, TColor TopColor, TColor BottomColor, int Width) {
  // Each ring's edges are filled as one-pixel bars: the left and top edges in
  // TopColor, the right and bottom edges (both far corners included) in
  // BottomColor, the rings shrinking inwards.
  TBrush* brush = Canvas->Brush();
  const TColor savedColor = brush->Color();
  const TBrushStyle savedStyle = brush->Style();
  Canvas->Pen()->SetWidth(1);
  brush->SetStyle(bsSolid);
  for (int i = 0; i < Width; ++i) {
    const int l = Rect.Left, t = Rect.Top, r = Rect.Right, b = Rect.Bottom;
    brush->SetColor(TopColor);
    Canvas->FillRect(::Rect(l, t, l + 1, b - 1));
    Canvas->FillRect(::Rect(l, t, r - 1, t + 1));
    brush->SetColor(BottomColor);
    Canvas->FillRect(::Rect(r - 1, t, r, b));
    Canvas->FillRect(::Rect(l, b - 1, r, b));
    ++Rect.Left;
    ++Rect.Top;
    --Rect.Right;
    --Rect.Bottom;
  }
  brush->SetColor(savedColor);
  brush->SetStyle(savedStyle);
}

void DrawDisabledText(TCanvas* Canvas, const std::string& Text, TRect Rect, bool Enabled) {
  Canvas->Brush()->SetStyle(bsClear);
  if (Enabled) {
    Canvas->DrawText(Text, Rect, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    return;
  }
  const TColor saved = Canvas->Font()->Color();
  TRect moved = Rect;
  moved.Left += 1;
  moved.Top += 1;
  moved.Right += 1;
  moved.Bottom += 1;
  Canvas->Font()->SetColor(clBtnHighlight);
  Canvas->DrawText(Text, moved, 0);
  Canvas->Font()->SetColor(clBtnShadow);
  Canvas->DrawText(Text, Rect, 0);
  Canvas->Font()->SetColor(saved);
}

TBitmap* CreateDitherBitmap(TColor PixelColor, TColor BackColor) {
  auto* bmp = new TBitmap();
  bmp->SetSize(8, 8);
  TCanvas* c = bmp->Canvas();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(BackColor);
  c->FillRect(Rect(0, 0, 8, 8));
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x)
      if ((x & 1) == (y & 1)) c->SetPixels(x, y, PixelColor);
  return bmp;
}

TInstLayoutResult CalcImageTextPositions(int cw, int ch, int tw, int th, int iw, int ih, int Layout, int Margin,
                                         int Spacing) {
  TInstLayoutResult r;
  const bool horizontal = Layout == 1 || Layout == 2;
  if (horizontal) {
    r.ImageY = (ch - ih + 1) / 2;
    r.TextY = (ch - th + 1) / 2;
  } else {
    r.ImageX = (cw - iw + 1) / 2;
    r.TextX = (cw - tw + 1) / 2;
  }
  if (tw == 0 || iw == 0) Spacing = 0;
  const int client = horizontal ? cw : ch;
  const int image = horizontal ? iw : ih;
  const int text = horizontal ? tw : th;
  if (Margin == -1) {
    if (Spacing != -1) {
      Margin = (client - (image + Spacing + text) + 1) / 2;
    } else {
      Margin = (client - (image + text)) / 3;
      Spacing = Margin;
    }
  } else if (Spacing == -1) {
    Spacing = (client - (Margin + image) - text) / 2;
  }
  switch (Layout) {
    case 1:
      r.ImageX = Margin;
      r.TextX = r.ImageX + iw + Spacing;
      break;
    case 2:
      r.ImageX = cw - Margin - iw;
      r.TextX = r.ImageX - Spacing - tw;
      break;
    case 3:
      r.ImageY = Margin;
      r.TextY = r.ImageY + ih + Spacing;
      break;
    default:
      r.ImageY = ch - Margin - ih;
      r.TextY = r.ImageY - Spacing - th;
      break;
  }
  return r;
}

void CalcImageTextLayout(TCanvas* Canvas, const TRect& Client, const TPoint& Offset, const std::string& Caption,
                         int Layout, int Margin, int Spacing, const TPoint& ImageSize, TPoint& ImagePos,
                         TRect& TextBounds) {
  const int cw = Client.Right - Client.Left;
  const int ch = Client.Bottom - Client.Top;
  int tw = 0, th = 0;
  if (!Caption.empty()) {
    TRect calc = Rect(0, 0, cw, 0);
    Canvas->DrawText(Caption, calc, DT_CALCRECT | DT_SINGLELINE);
    tw = calc.Right - calc.Left;
    th = calc.Bottom - calc.Top;
  }
  const TInstLayoutResult r =
      CalcImageTextPositions(cw, ch, tw, th, ImageSize.X, ImageSize.Y, Layout, Margin, Spacing);
  ImagePos = Point(r.ImageX + Client.Left + Offset.X, r.ImageY + Client.Top + Offset.Y);
  // The text moves by the offset's x in both directions.
  TextBounds = Rect(r.TextX + Client.Left + Offset.X, r.TextY + Client.Top + Offset.X,
                    r.TextX + Client.Left + Offset.X + tw, r.TextY + Client.Top + Offset.X + th);
}

void SetFontAngle(TCanvas* Canvas, int Angle) { Canvas->Font()->SetOrientation(Angle * 10); }

TSize GetTextSize(TCanvas* Canvas, const std::string& Text) { return Canvas->TextExtent(Text); }

void Draw3DText(TCanvas* Canvas, int X, int Y, TColor FirstColor, TColor SecondColor, const std::string& Text) {
  Canvas->Brush()->SetStyle(bsClear);
  const TColor saved = Canvas->Font()->Color();
  Canvas->Font()->SetColor(FirstColor);
  Canvas->TextOut(X + 1, Y + 1, Text);
  Canvas->Font()->SetColor(SecondColor);
  Canvas->TextOut(X - 1, Y - 1, Text);
  Canvas->Font()->SetColor(saved);
  Canvas->TextOut(X, Y, Text);
}

void DrawShadowText(TCanvas* Canvas, int X, int Y, int DY, int DX, TColor ShadowColor, const std::string& Text) {
  Canvas->Brush()->SetStyle(bsClear);
  const TColor saved = Canvas->Font()->Color();
  Canvas->Font()->SetColor(ShadowColor);
  Canvas->TextOut(X + DX, Y + DY, Text);
  Canvas->Font()->SetColor(saved);
  Canvas->TextOut(X, Y, Text);
}

void DrawBitmapText(TCanvas* Canvas, const TRect& R, int X, int Angle, TBitmap* Bitmap, const std::string& Text,
                    int Y) {
  const int w = R.Right - R.Left;
  const int h = R.Bottom - R.Top;
  if (!Bitmap || Bitmap->Empty() || w <= 0 || h <= 0) return;
  // Mask: the letters in black on white.
  TBitmap mask;
  mask.SetSize(w, h);
  TCanvas* m = mask.Canvas();
  m->Brush()->SetStyle(bsSolid);
  m->Brush()->SetColor(clWhite);
  m->FillRect(Rect(0, 0, w, h));
  m->Font()->Assign(Canvas->Font());
  SetFontAngle(m, Angle);
  m->Font()->SetColor(clBlack);
  m->Brush()->SetStyle(bsClear);
  m->TextOut(X - R.Left, Y - R.Top, Text);
  // The picture stretched over the area; it shows only inside the letters.
  TBitmap fill;
  fill.SetSize(w, h);
  fill.Canvas()->StretchDraw(Rect(0, 0, w, h), Bitmap);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const TColor c = ColorToRGB(m->Pixels(x, y));
      const int lum = (c & 0xFF) + ((c >> 8) & 0xFF) + ((c >> 16) & 0xFF);
      if (lum < 3 * 128) Canvas->SetPixels(R.Left + x, R.Top + y, fill.Canvas()->Pixels(x, y));
    }
}

void TileBitmap(TCanvas* Canvas, const TRect& R, TBitmap* Bitmap) {
  if (!Bitmap || Bitmap->Empty()) return;
  const int bw = Bitmap->Width();
  const int bh = Bitmap->Height();
  if (bw <= 0 || bh <= 0) return;
  for (int x = R.Left; x < R.Right; x += bw)
    for (int y = R.Top; y < R.Bottom; y += bh) Canvas->Draw(x, y, Bitmap);
}

TRect BitmapRect(TBitmap* Bitmap) { return Rect(0, 0, Bitmap->Width(), Bitmap->Height()); }
