#include "controls/markup/HTMLStatusBarMarkup.h"

#include "controls/markup/MarkupEntry.h"

bool HTMLDraw(TCanvas* Canvas, const std::string& Text, const TRect& Rect, TCustomImageList* Images, int XPos,
              int YPos, int FocusLink, int HoverLink, int ShadowOffset, bool CheckHotSpot, bool CheckHeight,
              bool Print, bool Selected, bool Blink, bool HoverStyle, bool WordWrap, double ResFactor,
              TColor URLColor, TColor HoverColor, TColor HoverFontColor, TColor ShadowColor, std::string& AnchorVal,
              std::string& StripVal, std::string& FocusAnchor, int& XSize, int& YSize, int& HyperLinks,
              int& MouseLink, TRect& HoverRect, THTMLPictureCache* PictureCache,
              TPictureContainer* PictureContainer) {
  THTMLDrawParams p = MarkupParams(Canvas, Text, Rect, Images, XPos, YPos, FocusLink, HoverLink, ShadowOffset,
                                   CheckHotSpot, CheckHeight, Print, Selected, Blink, HoverStyle, WordWrap,
                                   ResFactor, URLColor, HoverColor, HoverFontColor, ShadowColor);
  p.PictureCache = PictureCache;
  p.PictureContainer = PictureContainer;
  const bool result = HTMLDrawEngine(StatusBarMarkupDialect, p);
  MarkupResults(p, AnchorVal, StripVal, FocusAnchor, XSize, YSize, HyperLinks, MouseLink, HoverRect);
  return result;
}
