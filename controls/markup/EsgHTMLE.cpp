#include "controls/markup/EsgHTMLE.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <memory>

#include "controls/markup/MarkupEntry.h"
#include "controls/markup/MarkupText.h"
#include "platform/gui/ShellIcons.h"
#include "platform/gui/VisualStyles.h"

bool HTMLDraw(TCanvas* Canvas, const std::string& Text, const TRect& Rect, TCustomImageList* Images, int XPos,
              int YPos, int FocusLink, int HoverLink, int ShadowOffset, bool CheckHotSpot, bool CheckHeight,
              bool Print, bool Selected, bool Blink, bool HoverStyle, bool WordWrap, bool HotControls,
              double ResFactor, TColor URLColor, TColor HoverColor, TColor HoverFontColor, TColor ShadowColor,
              std::string& AnchorVal, std::string& StripVal, std::string& FocusAnchor, std::string& AnchorTitle,
              int& XSize, int& YSize, int& HyperLinks, int& MouseLink, TRect& HoverRect, TRect& ControlRect,
              std::string& CID, std::string& CV, std::string& CT, THTMLPictureCache* PictureCache,
              TPictureContainer* PictureContainer, HWND WinHandle) {
  THTMLDrawParams p = MarkupParams(Canvas, Text, Rect, Images, XPos, YPos, FocusLink, HoverLink, ShadowOffset,
                                   CheckHotSpot, CheckHeight, Print, Selected, Blink, HoverStyle, WordWrap,
                                   ResFactor, URLColor, HoverColor, HoverFontColor, ShadowColor);
  p.HotControls = HotControls;
  p.ControlID = CID;
  p.PictureCache = PictureCache;
  p.PictureContainer = PictureContainer;
  p.WinHandle = WinHandle;
  const bool result = HTMLDrawEngine(GridMarkupDialect, p);
  MarkupResults(p, AnchorVal, StripVal, FocusAnchor, XSize, YSize, HyperLinks, MouseLink, HoverRect);
  AnchorTitle = p.AnchorTitle;
  ControlRect = p.ControlRect;
  CID = p.ControlID;
  CV = p.ControlValue;
  CT = p.ControlType;
  return result;
}

// ---------------------------------------------------------------- colours

namespace {

struct TColorName {
  const char* Name;
  TColor Color;
};

constexpr TColorName kColorNames[] = {
    {"clred", clRed},
    {"clblack", clBlack},
    {"clblue", clBlue},
    {"clgreen", clGreen},
    {"claqua", clAqua},
    {"clyellow", clYellow},
    {"clfuchsia", clFuchsia},
    {"clwhite", clWhite},
    {"cllime", clLime},
    {"clsilver", clSilver},
    {"clgray", clGray},
    {"clolive", clOlive},
    {"clnavy", clNavy},
    {"clpurple", clPurple},
    {"clteal", clTeal},
    {"clmaroon", clMaroon},
    {"clscrollbar", clScrollBar},
    {"clbackground", clBackground},
    {"clactivecaption", clActiveCaption},
    {"clinactivecaption", clInactiveCaption},
    {"clmenu", clMenu},
    {"clwindow", clWindow},
    {"clwindowframe", clWindowFrame},
    {"clmenutext", clMenuText},
    {"clwindowtext", clWindowText},
    {"clcaptiontext", clCaptionText},
    {"clactiveborder", clActiveBorder},
    {"clinactiveborder", clInactiveBorder},
    {"clappworkspace", clAppWorkSpace},
    {"clhighlight", clHighlight},
    {"clhighlighttext", clHighlightText},
    {"clbtnface", clBtnFace},
    {"clbtnshadow", clBtnShadow},
    {"clgraytext", clGrayText},
    {"clbtntext", clBtnText},
    {"clinactivecaptiontext", clInactiveCaptionText},
    {"clbtnhighlight", clBtnHighlight},
    {"cl3ddkshadow", cl3DDkShadow},
    {"cl3dlight", cl3DLight},
    {"clinfotext", clInfoText},
    {"clinfobk", clInfoBk},
};

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return 0;
}

std::string Pair(const std::string& s, size_t at) { return at < s.size() ? s.substr(at, 2) : std::string(); }

// The rotated-font slot of SelectRotatedFont and RestoreFont.
TFontData gKeptFont;
bool gFontKept = false;

}  // namespace

TColor ColorNameToColor(const std::string& Name) {
  const std::string low = MarkupLower(Name);
  for (const TColorName& c : kColorNames)
    if (low == c.Name) return c.Color;
  return clBlack;
}

int HexPairToInt(const std::string& S) {
  if (S.size() < 2) return 0;
  return HexDigit(S[0]) * 16 + HexDigit(S[1]);
}

TColor HexToColor(const std::string& S) {
  return RGB(HexPairToInt(Pair(S, 1)), HexPairToInt(Pair(S, 3)), HexPairToInt(Pair(S, 5)));
}

// ---------------------------------------------------------------- drawing helpers

namespace {
// The desktop's icons by size and name, kept: markup draws them on every paint.
TIcon* SysIcon(const std::string& Name, int Size, bool NumberIsIndex) {
  static std::map<std::string, std::unique_ptr<TIcon>> cache;
  const std::string key = std::to_string(Size) + (NumberIsIndex ? ":" : "f:") + Name;
  auto it = cache.find(key);
  if (it != cache.end()) return it->second.get();
  if (cache.size() >= 256) cache.clear();
  auto icon = std::make_unique<TIcon>();
  const bool index = NumberIsIndex && !Name.empty() && Name.size() <= 9 &&
                     std::all_of(Name.begin(), Name.end(), [](char c) { return c >= '0' && c <= '9'; });
  const bool found =
      index ? LoadSystemListIcon(icon.get(), std::stoi(Name), Size) : LoadShellIcon(icon.get(), Name, Size);
  if (!found) icon.reset();
  return cache.emplace(key, std::move(icon)).first->second.get();
}
}  // namespace

TSize DrawSysIcon(TCanvas* Canvas, int X, int Y, TSize& Size, double Factor, bool Print, bool Draw, bool Large,
                  const std::string& Name, bool NumberIsIndex) {
  const int natural = Large ? 32 : 16;
  int s = natural;
  if (Print && std::isfinite(Factor)) s = int(std::nearbyint(s * std::clamp(Factor, 0.0, 64.0)));
  Size = TSize(s, s);
  if (!Draw || !Canvas || s <= 0) return Size;
  // Printed, the icon of its natural size is stretched to the printer's scale.
  if (TIcon* icon = SysIcon(Name, natural, NumberIsIndex)) Canvas->StretchDraw(TRect(X, Y, X + s, Y + s), icon);
  return Size;
}

void StretchBitmap(TCanvas* Canvas, const TRect& R, TBitmap* Bitmap) {
  if (Canvas && Bitmap) Canvas->StretchDraw(R, Bitmap);
}

bool IsDirectory(const std::string& Path) {
  if (Path.empty()) return false;
  std::error_code ec;
  return std::filesystem::is_directory(Path, ec);
}

void SelectRotatedFont(TCanvas* Canvas, int Angle) {
  if (!Canvas) return;
  gKeptFont = Canvas->Font()->Data();
  gFontKept = true;
  TFontData d = gKeptFont;
  d.Orientation = (Angle % 360) * 10;
  Canvas->Font()->SetData(d);
}

void RestoreFont(TCanvas* Canvas) {
  if (!Canvas || !gFontKept) return;
  Canvas->Font()->SetData(gKeptFont);
  gFontKept = false;
}

bool IsWinXP = false;

void InitWinXPFlag() { IsWinXP = IsWindowsXPOrLater(); }

namespace {
const bool gWinXPFlagSet = (InitWinXPFlag(), true);
}
