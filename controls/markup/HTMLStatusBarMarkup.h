#pragma once
// The status bar's copy of the markup renderer: no inline controls, no
// anchor titles; the anchor value is the tag's first quoted value as written;
// BODY and P take gradients (BGCOLORTO, DIR).

#include <string>

#include "controls/markup/EsgHTMLE.h"

bool HTMLDraw(TCanvas* Canvas, const std::string& Text, const TRect& Rect, TCustomImageList* Images, int XPos,
              int YPos, int FocusLink, int HoverLink, int ShadowOffset, bool CheckHotSpot, bool CheckHeight,
              bool Print, bool Selected, bool Blink, bool HoverStyle, bool WordWrap, double ResFactor,
              TColor URLColor, TColor HoverColor, TColor HoverFontColor, TColor ShadowColor, std::string& AnchorVal,
              std::string& StripVal, std::string& FocusAnchor, int& XSize, int& YSize, int& HyperLinks,
              int& MouseLink, TRect& HoverRect, THTMLPictureCache* PictureCache,
              TPictureContainer* PictureContainer);
