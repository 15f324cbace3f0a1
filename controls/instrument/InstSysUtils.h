#pragma once
// Canvas routines shared by the instrument controls. Each draws with the
// canvas's current font, pen and brush and keeps no state.

#include <string>

#include "platform/gui/Graphics.h"
#include "platform/rtl/Types.h"

// Draws a frame of Width pixels inside Rect (top-left edges in TopColor,
// bottom-right edges in BottomColor) and shrinks Rect to what lies inside it.
void DrawFrame3D(TCanvas* Canvas, TRect& Rect, TColor TopColor, TColor BottomColor, int Width);

// Enabled: single line, centred both ways. Disabled: embossed from the top-left.
void DrawDisabledText(TCanvas* Canvas, const std::string& Text, TRect Rect, bool Enabled);

// An 8 x 8 checkerboard: pixels whose x and y share parity take PixelColor.
// The caller frees it.
TBitmap* CreateDitherBitmap(TColor PixelColor, TColor BackColor);

// Placement of an image and a text inside a client area. Layout: 1 image left,
// 2 image right, 3 image above, 4 image below the text.
struct TInstLayoutResult {
  int ImageX = 0, ImageY = 0;  // relative to the client's top-left
  int TextX = 0, TextY = 0;
};
// The arithmetic alone, on sizes; no canvas involved.
TInstLayoutResult CalcImageTextPositions(int ClientWidth, int ClientHeight, int TextWidth, int TextHeight,
                                         int ImageWidth, int ImageHeight, int Layout, int Margin, int Spacing);
void CalcImageTextLayout(TCanvas* Canvas, const TRect& Client, const TPoint& Offset, const std::string& Caption,
                         int Layout, int Margin, int Spacing, const TPoint& ImageSize, TPoint& ImagePos,
                         TRect& TextBounds);

// Recreates the canvas font rotated by Angle degrees counter-clockwise.
void SetFontAngle(TCanvas* Canvas, int Angle);
TSize GetTextSize(TCanvas* Canvas, const std::string& Text);

void Draw3DText(TCanvas* Canvas, int X, int Y, TColor FirstColor, TColor SecondColor, const std::string& Text);
void DrawShadowText(TCanvas* Canvas, int X, int Y, int DY, int DX, TColor ShadowColor, const std::string& Text);
// The rotated text's letters filled with Bitmap; the rest of Rect keeps what
// the canvas already shows.
void DrawBitmapText(TCanvas* Canvas, const TRect& Rect, int X, int Angle, TBitmap* Bitmap, const std::string& Text,
                    int Y);
void TileBitmap(TCanvas* Canvas, const TRect& Rect, TBitmap* Bitmap);
TRect BitmapRect(TBitmap* Bitmap);

template <class T>
void FreeIfAssigned(T*& Object) {
  if (Object) {
    delete Object;
    Object = nullptr;
  }
}
inline int MinInt(int A, int B) { return A < B ? A : B; }
inline int MaxInt(int A, int B) { return A > B ? A : B; }
inline int RectWidthOf(const TRect& R) { return R.Right - R.Left; }
inline int RectHeightOf(const TRect& R) { return R.Bottom - R.Top; }
inline bool RectsEqual(const TRect& A, const TRect& B) {
  return A.Left == B.Left && A.Top == B.Top && A.Right == B.Right && A.Bottom == B.Bottom;
}
