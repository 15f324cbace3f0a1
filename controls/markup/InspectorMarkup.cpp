#include "controls/markup/InspectorMarkup.h"

#include "controls/markup/MarkupEntry.h"

bool HTMLDraw(TCanvas* Canvas, const std::string& Text, const TRect& Rect, TCustomImageList* Images, int XPos,
              int YPos, int FocusLink, int HoverLink, int ShadowOffset, bool CheckHotSpot, bool CheckHeight,
              bool Print, bool Selected, bool Blink, bool HoverStyle, bool WordWrap, double ResFactor,
              TColor URLColor, TColor HoverColor, TColor HoverFontColor, TColor ShadowColor, std::string& AnchorVal,
              std::string& StripVal, std::string& FocusAnchor, int& XSize, int& YSize, int& HyperLinks,
              int& MouseLink, TRect& HoverRect) {
  THTMLDrawParams p = MarkupParams(Canvas, Text, Rect, Images, XPos, YPos, FocusLink, HoverLink, ShadowOffset,
                                   CheckHotSpot, CheckHeight, Print, Selected, Blink, HoverStyle, WordWrap,
                                   ResFactor, URLColor, HoverColor, HoverFontColor, ShadowColor);
  const bool result = HTMLDrawEngine(InspectorMarkupDialect, p);
  MarkupResults(p, AnchorVal, StripVal, FocusAnchor, XSize, YSize, HyperLinks, MouseLink, HoverRect);
  return result;
}

bool IsHTML(const std::string& Text) { return Text.find("</") != std::string::npos; }

TSize GraphicSize(TGraphic* Graphic) {
  if (!Graphic || Graphic->Empty()) return TSize(0, 0);
  return TSize(Graphic->Width(), Graphic->Height());
}

TSize DrawSysIcon(const std::string& FileName, TCanvas* Canvas, TPoint Point, bool Large) {
  TSize size;
  // A name that is no file or folder goes by its extension, digits or not.
  return DrawSysIcon(Canvas, Point.X, Point.Y, size, 1.0, false, true, Large, FileName, false);
}
