#pragma once
// The inspector bar's copy of the markup renderer (the older tag set: no
// inline controls, no E or HI, attribute words in lower case, pictures also
// from "res://" resources and "file://" bitmaps, no picture cache), and the
// inspector's small helpers.

#include <string>

#include "controls/markup/EsgHTMLE.h"

bool HTMLDraw(TCanvas* Canvas, const std::string& Text, const TRect& Rect, TCustomImageList* Images, int XPos,
              int YPos, int FocusLink, int HoverLink, int ShadowOffset, bool CheckHotSpot, bool CheckHeight,
              bool Print, bool Selected, bool Blink, bool HoverStyle, bool WordWrap, double ResFactor,
              TColor URLColor, TColor HoverColor, TColor HoverFontColor, TColor ShadowColor, std::string& AnchorVal,
              std::string& StripVal, std::string& FocusAnchor, int& XSize, int& YSize, int& HyperLinks,
              int& MouseLink, TRect& HoverRect);

// True when the text holds "</": only such texts go through the renderer.
bool IsHTML(const std::string& Text);
// Width and height of a graphic; (0, 0) when there is none or it is empty.
TSize GraphicSize(TGraphic* Graphic);
// The shell icon of a file, directory or extension at a point; its size.
TSize DrawSysIcon(const std::string& FileName, TCanvas* Canvas, TPoint Point, bool Large);
