#pragma once
// The one markup renderer behind the grid's, the status bar's and the
// inspector bar's drawing entries. Each caller's copy differs only in the
// points that its dialect describes; the entries fill a THTMLDrawParams.

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/gui/Graphics.h"
#include "platform/gui/Windows.h"
#include "platform/rtl/Types.h"

class TCustomImageList;
class THTMLPictureCache;
class TPictureContainer;

// Tags the renderer knows; a dialect says which of them open and close.
enum TMarkupTag : unsigned {
  mtNone = 0,
  mtA, mtB, mtBR, mtBLINK, mtBODY, mtCONTROL, mtE, mtFONT, mtHI, mtHR, mtI, mtIND, mtIMG,
  mtLI, mtP, mtR, mtS, mtSHAD, mtSUB, mtSUP, mtU, mtUL, mtZ,
  mtCount
};
using TMarkupTags = uint32_t;
constexpr TMarkupTags MarkupTagBit(TMarkupTag t) { return TMarkupTags(1) << t; }

enum TMarkupAnchorRule {
  arHrefUpper,      // HREF value, upper-cased
  arFirstQuoted,    // the first quoted value of the tag, as written
  arHrefAsWritten,  // HREF value as written
};

// What sets one copy of the renderer apart from the others.
struct TMarkupDialect {
  const char* Name;
  TMarkupTags Opening;  // tags that act when opened
  TMarkupTags Closing;  // tags that act when closed
  TMarkupAnchorRule AnchorRule;
  bool ReportsTitle;          // A TITLE goes to the title output
  bool BulletsInHiddenText;   // LI bullets are drawn inside Z text
  bool LowerCaseAttributes;   // attribute words are written and matched in lower case
  bool UpperCaseValues;       // anchor, font and colour values are seen upper-cased
  bool BodyGradient;          // BODY BGCOLORTO with DIR
  bool ParagraphGradient;     // P BGCOLORTO
  bool ParagraphIndent;       // P INDENT
  int BodyFillLeft;           // BODY BGCOLOR starts this far right of the rectangle's left
  bool BodySkippedWhenSelected;
  bool BodyBackgroundFileOnly;  // BODY BACKGROUND names only "file://" bitmaps
  bool ResAndFilePictures;      // IMG "res://" resources and "file://" bitmaps
  bool UrlCache;                // IMG names holding "://" come from the picture cache
  bool Nbsp;                    // "&nbsp;" is an entity
  bool ConvertLineBreaks;       // CR becomes BR, LF is dropped
};

extern const TMarkupDialect GridMarkupDialect;
extern const TMarkupDialect StatusBarMarkupDialect;
extern const TMarkupDialect InspectorMarkupDialect;

// Every argument and result of one draw, measure or hit-test call.
struct THTMLDrawParams {
  // in
  TCanvas* Canvas = nullptr;
  std::string Text;
  TRect Rect;
  TCustomImageList* Images = nullptr;
  int XPos = 0, YPos = 0;       // point to test
  int FocusLink = -1;           // focus anchor, from 0
  int HoverLink = 0;            // hover anchor, from 1
  int ShadowOffset = 0;
  bool CheckHotSpot = false;    // hit-test only
  bool CheckHeight = false;     // measure only
  bool Print = false;
  bool Selected = false;        // colour tags ignored
  bool Blink = true;            // blink phase on
  bool HoverStyle = false;
  bool WordWrap = false;
  bool HotControls = false;
  double ResFactor = 1.0;
  TColor URLColor = clBlue, HoverColor = clNone, HoverFontColor = clNone, ShadowColor = clGray;
  THTMLPictureCache* PictureCache = nullptr;
  TPictureContainer* PictureContainer = nullptr;
  HWND WinHandle = nullptr;
  // out
  std::string AnchorVal, StripVal, FocusAnchor, AnchorTitle;
  int XSize = 0, YSize = 0, HyperLinks = 0, MouseLink = -1;
  TRect HoverRect, ControlRect;
  std::string ControlID;  // in with CheckHotSpot, else out
  std::string ControlValue, ControlType;
};

// Draws, measures or hit-tests; true when the point lies on an anchor, on a
// picture inside an anchor or on the named inline control.
bool HTMLDrawEngine(const TMarkupDialect& Dialect, THTMLDrawParams& P);

// Tag kind of a tag text "<...>" or "</...>"; Closing tells which.
TMarkupTag MarkupTagKind(std::string_view Tag, bool& Closing);

// Colour of an attribute value: "#RRGGBB" or a colour name; false when empty.
bool MarkupColorValue(std::string_view Value, TColor& Color);

// The status bar's gradient: Bands filled rectangles stepping from one colour
// to the other, left to right or top to bottom, clipped to the rectangle.
void MarkupGradient(TCanvas* Canvas, const TRect& R, TColor From, TColor To, bool Horizontal, int Bands = 64);
