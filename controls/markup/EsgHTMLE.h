#pragma once
// The grid's markup renderer: drawing, measuring and hit-testing of mini-HTML
// text, the text routines over it, and the small drawing helpers.

#include <string>

#include "controls/markup/HTMLEngine.h"
#include "controls/markup/MarkupText.h"
#include "controls/markup/PictureContainer.h"

// Draws Text into Rect (or with CheckHeight only measures it, with
// CheckHotSpot only hit-tests the point XPos, YPos). True when the point lies
// on an anchor, on a picture inside an anchor or on the control named by CID.
bool HTMLDraw(TCanvas* Canvas, const std::string& Text, const TRect& Rect, TCustomImageList* Images, int XPos,
              int YPos, int FocusLink, int HoverLink, int ShadowOffset, bool CheckHotSpot, bool CheckHeight,
              bool Print, bool Selected, bool Blink, bool HoverStyle, bool WordWrap, bool HotControls,
              double ResFactor, TColor URLColor, TColor HoverColor, TColor HoverFontColor, TColor ShadowColor,
              std::string& AnchorVal, std::string& StripVal, std::string& FocusAnchor, std::string& AnchorTitle,
              int& XSize, int& YSize, int& HyperLinks, int& MouseLink, TRect& HoverRect, TRect& ControlRect,
              std::string& CID, std::string& CV, std::string& CT, THTMLPictureCache* PictureCache,
              TPictureContainer* PictureContainer, HWND WinHandle);

// ---- drawing helpers ------------------------------------------------------
// Colour of a name such as "clred" or "clbtnface" (any case); black when unknown.
TColor ColorNameToColor(const std::string& Name);
// "#RRGGBB" to a colour; missing digits count 0.
TColor HexToColor(const std::string& S);
// Two hexadecimal digits to a byte; 0 for a shorter text.
int HexPairToInt(const std::string& S);
// Draws the desktop's icon of a file, directory or extension, or with a number the stock icon
// of that index (LoadSystemListIcon), at X, Y unless Draw is false; Size and the result are the
// icon's size (times Factor when printing). An index outside the list draws nothing. Without
// NumberIsIndex a number is a name like any other.
TSize DrawSysIcon(TCanvas* Canvas, int X, int Y, TSize& Size, double Factor, bool Print, bool Draw, bool Large,
                  const std::string& Name, bool NumberIsIndex = true);
void StretchBitmap(TCanvas* Canvas, const TRect& R, TBitmap* Bitmap);
bool IsDirectory(const std::string& Path);
// Turns the canvas font by Angle degrees, keeping the font it replaced until RestoreFont.
void SelectRotatedFont(TCanvas* Canvas, int Angle);
void RestoreFont(TCanvas* Canvas);
// Inline controls may use the visual-style look when this is set.
extern bool IsWinXP;
void InitWinXPFlag();
