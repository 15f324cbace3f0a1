#pragma once
// Small drawing helpers shared by the bar's caption and row painting.

#include <string>

#include "platform/gui/Graphics.h"
#include "platform/gui/ImgList.h"

namespace InspDraw {

inline void Line(TCanvas* C, int x1, int y1, int x2, int y2) {
  C->MoveTo(x1, y1);
  C->LineTo(x2, y2);
}

inline bool Inside(TPoint p, const TRect& r) {
  return p.X >= r.Left && p.X < r.Right && p.Y >= r.Top && p.Y < r.Bottom;
}

// Markup through the inspector dialect: draws it, or with Check finds the anchor under Mouse.
std::string Markup(TCanvas* C, const std::string& Text, const TRect& R, TCustomImageList* Images, bool Check,
                   TPoint Mouse, bool WordWrap, int ShadowOffset = 0);
// Rows shadow their markup by this much; the caption bar and help panel by none.
inline constexpr int RowShadowOffset = 2;
// The room markup takes when drawn word-wrapped in R: the width of its widest line, measured
// without drawing, with the pixels the renderer needs besides.
int MarkupWidth(TCanvas* C, const std::string& Text, const TRect& R, TCustomImageList* Images);

}  // namespace InspDraw
