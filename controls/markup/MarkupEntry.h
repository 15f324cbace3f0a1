#pragma once
// Shared by the renderer's entries: the common arguments in, the common results out.

#include <string>

#include "controls/markup/HTMLEngine.h"

inline THTMLDrawParams MarkupParams(TCanvas* Canvas, const std::string& Text, const TRect& Rect,
                                    TCustomImageList* Images, int XPos, int YPos, int FocusLink, int HoverLink,
                                    int ShadowOffset, bool CheckHotSpot, bool CheckHeight, bool Print,
                                    bool Selected, bool Blink, bool HoverStyle, bool WordWrap, double ResFactor,
                                    TColor URLColor, TColor HoverColor, TColor HoverFontColor,
                                    TColor ShadowColor) {
  THTMLDrawParams p;
  p.Canvas = Canvas;
  p.Text = Text;
  p.Rect = Rect;
  p.Images = Images;
  p.XPos = XPos;
  p.YPos = YPos;
  p.FocusLink = FocusLink;
  p.HoverLink = HoverLink;
  p.ShadowOffset = ShadowOffset;
  p.CheckHotSpot = CheckHotSpot;
  p.CheckHeight = CheckHeight;
  p.Print = Print;
  p.Selected = Selected;
  p.Blink = Blink;
  p.HoverStyle = HoverStyle;
  p.WordWrap = WordWrap;
  p.ResFactor = ResFactor;
  p.URLColor = URLColor;
  p.HoverColor = HoverColor;
  p.HoverFontColor = HoverFontColor;
  p.ShadowColor = ShadowColor;
  return p;
}

inline void MarkupResults(const THTMLDrawParams& p, std::string& AnchorVal, std::string& StripVal,
                          std::string& FocusAnchor, int& XSize, int& YSize, int& HyperLinks, int& MouseLink,
                          TRect& HoverRect) {
  AnchorVal = p.AnchorVal;
  StripVal = p.StripVal;
  FocusAnchor = p.FocusAnchor;
  XSize = p.XSize;
  YSize = p.YSize;
  HyperLinks = p.HyperLinks;
  MouseLink = p.MouseLink;
  HoverRect = p.HoverRect;
}
