#pragma once
// Small persistent appearance objects of the instrument controls. Each tells
// its owner of a change through OnChange; BeginUpdate/EndUpdate fold many
// changes into one.

#include <string>
#include <vector>

#include "platform/gui/Graphics.h"
#include "platform/rtl/Classes.h"
#include "platform/rtl/Types.h"

enum TInstOrientation { voVertical, voHorizontal };
enum TInstImageTextLayout { ImageLeft, ImageRight, ImageTop, ImageBottom };
// Text-drawing flags: horizontal 0/1/2 plus vertical centre 4 or bottom 8.
// Scoped: the plain names clash with the grid's vertical alignment.
enum class TInstTextAlignment {
  vtaTopLeft = 0,
  vtaTop = 1,
  vtaTopRight = 2,
  vtaLeft = 4,
  vtaCenter = 5,
  vtaRight = 6,
  vtaBottomLeft = 8,
  vtaBottom = 9,
  vtaBottomRight = 10
};
// Scoped: the plain names clash with the class library's bevel and border styles.
enum class TInstBevelStyle { bsNone, bsLowered, bsRaised };
enum TInstBevelOutlineStyle { osOuter, osInner, osNone };
enum TInstFont3DStyle { f3dNone, f3dRaised, f3dSunken, f3dShadow };

// The 1..4 layout numbers of CalcImageTextLayout.
inline int InstLayoutNumber(TInstImageTextLayout L) { return static_cast<int>(L) + 1; }

class TInstPersistent : public TPersistent {
 public:
  TNotifyEvent OnChange;

  void BeginUpdate() { ++FUpdateCount; }
  void EndUpdate();
  int UpdateCount() const { return FUpdateCount; }

 protected:
  virtual void Changed();
  // Stores Value into Field and reports a change only when it differs.
  template <class T>
  void Store(T& Field, const T& Value) {
    if (Field == Value) return;
    Field = Value;
    Changed();
  }

 private:
  int FUpdateCount = 0;
};

class TInstPalette : public TInstPersistent {
 public:
  TInstPalette() = default;
  std::string ClassName() const override { return "TInstPalette"; }
  void Assign(TPersistent* Source) override;

  TColor Low() const { return FLow; }
  void SetLow(TColor V) { Store(FLow, V); }
  TColor High() const { return FHigh; }
  void SetHigh(TColor V) { Store(FHigh, V); }
  // Low for an index of 0 or less, High otherwise.
  TColor Colors(int Index) const { return Index <= 0 ? FLow : FHigh; }

 private:
  TColor FLow = clGreen;
  TColor FHigh = clLime;
};

class TInstTextOutline : public TInstPersistent {
 public:
  std::string ClassName() const override { return "TInstTextOutline"; }
  void Assign(TPersistent* Source) override;

  TColor Color() const { return FColor; }
  void SetColor(TColor V) { Store(FColor, V); }
  bool Visible() const { return FVisible; }
  void SetVisible(bool V) { Store(FVisible, V); }
  int Width() const { return FWidth; }
  void SetWidth(int V) { Store(FWidth, V); }

 private:
  TColor FColor = clNavy;
  bool FVisible = true;
  int FWidth = 1;
};

class TInstFont3D : public TInstPersistent {
 public:
  std::string ClassName() const override { return "TInstFont3D"; }
  void Assign(TPersistent* Source) override;

  TInstFont3DStyle Style() const { return FStyle; }
  void SetStyle(TInstFont3DStyle V) { Store(FStyle, V); }
  TColor HighlightColor() const { return FHighlightColor; }
  void SetHighlightColor(TColor V) { Store(FHighlightColor, V); }
  TColor ShadowColor() const { return FShadowColor; }
  void SetShadowColor(TColor V) { Store(FShadowColor, V); }
  int HighlightDepth() const { return FHighlightDepth; }
  void SetHighlightDepth(int V) { Store(FHighlightDepth, V); }
  int ShadowDepth() const { return FShadowDepth; }
  void SetShadowDepth(int V) { Store(FShadowDepth, V); }

  // Draws Text into Rect with the drawing Flags and the chosen 3D effect.
  void Paint(TCanvas* Canvas, const TRect& Rect, unsigned Flags, const std::string& Text);

 private:
  TInstFont3DStyle FStyle = f3dNone;
  TColor FHighlightColor = clBtnHighlight;
  TColor FShadowColor = clBtnShadow;
  int FHighlightDepth = 1;
  int FShadowDepth = 1;
};

// The bevel's widths and spaces in pixels, never negative (a negative value is stored as 0).
using TInstBorderWidth = int;
using TInstBevelWidth = int;
using TInstBevelSpace = int;

class TInstBevel : public TInstPersistent {
 public:
  std::string ClassName() const override { return "TInstBevel"; }
  void Assign(TPersistent* Source) override;

  TInstBorderWidth BorderWidth() const { return FBorderWidth; }
  void SetBorderWidth(TInstBorderWidth V) { Store(FBorderWidth, V < 0 ? 0 : V); }
  TColor BorderColor() const { return FBorderColor; }
  void SetBorderColor(TColor V) { Store(FBorderColor, V); }

  TInstBevelStyle OuterStyle() const { return FOuterStyle; }
  void SetOuterStyle(TInstBevelStyle V) { Store(FOuterStyle, V); }
  TInstBevelOutlineStyle OuterOutline() const { return FOuterOutline; }
  void SetOuterOutline(TInstBevelOutlineStyle V) { Store(FOuterOutline, V); }
  TInstBevelWidth OuterWidth() const { return FOuterWidth; }
  void SetOuterWidth(TInstBevelWidth V) { Store(FOuterWidth, V < 0 ? 0 : V); }
  TColor OuterShadow() const { return FOuterShadow; }
  void SetOuterShadow(TColor V) { Store(FOuterShadow, V); }
  TColor OuterHighlight() const { return FOuterHighlight; }
  void SetOuterHighlight(TColor V) { Store(FOuterHighlight, V); }
  TInstBevelSpace OuterSpace() const { return FOuterSpace; }
  void SetOuterSpace(TInstBevelSpace V) { Store(FOuterSpace, V < 0 ? 0 : V); }
  TColor OuterColor() const { return FOuterColor; }
  void SetOuterColor(TColor V) { Store(FOuterColor, V); }

  TInstBevelStyle InnerStyle() const { return FInnerStyle; }
  void SetInnerStyle(TInstBevelStyle V) { Store(FInnerStyle, V); }
  TInstBevelOutlineStyle InnerOutline() const { return FInnerOutline; }
  void SetInnerOutline(TInstBevelOutlineStyle V) { Store(FInnerOutline, V); }
  TInstBevelWidth InnerWidth() const { return FInnerWidth; }
  void SetInnerWidth(TInstBevelWidth V) { Store(FInnerWidth, V < 0 ? 0 : V); }
  TColor InnerShadow() const { return FInnerShadow; }
  void SetInnerShadow(TColor V) { Store(FInnerShadow, V); }
  TColor InnerHighlight() const { return FInnerHighlight; }
  void SetInnerHighlight(TColor V) { Store(FInnerHighlight, V); }
  TInstBevelSpace InnerSpace() const { return FInnerSpace; }
  void SetInnerSpace(TInstBevelSpace V) { Store(FInnerSpace, V < 0 ? 0 : V); }
  TColor InnerColor() const { return FInnerColor; }
  void SetInnerColor(TColor V) { Store(FInnerColor, V); }

  bool Visible() const { return FVisible; }
  void SetVisible(bool V) { Store(FVisible, V); }

  // Draws the bevel inside Rect; Rect shrinks to the area left inside it.
  void Paint(TCanvas* Canvas, TRect& Rect);
  // Shrinks Rect to the area the bevel leaves free, without drawing.
  void GetVisibleArea(TRect& Rect) const;

 private:
  int FBorderWidth = 0;
  TColor FBorderColor = clBtnFace;
  TInstBevelStyle FOuterStyle = TInstBevelStyle::bsRaised;
  TInstBevelOutlineStyle FOuterOutline = osOuter;
  int FOuterWidth = 1;
  TColor FOuterShadow = clBtnShadow;
  TColor FOuterHighlight = clBtnHighlight;
  int FOuterSpace = 0;
  TColor FOuterColor = clBtnFace;
  TInstBevelStyle FInnerStyle = TInstBevelStyle::bsLowered;
  TInstBevelOutlineStyle FInnerOutline = osNone;
  int FInnerWidth = 1;
  TColor FInnerShadow = clBtnShadow;
  TColor FInnerHighlight = clBtnHighlight;
  int FInnerSpace = 1;
  TColor FInnerColor = clBtnFace;
  bool FVisible = true;
};

// An owned list of bitmaps; every bitmap added is a copy.
class TInstBitmaps : public TInstPersistent {
 public:
  TInstBitmaps() = default;
  ~TInstBitmaps() override;
  TInstBitmaps(const TInstBitmaps&) = delete;
  TInstBitmaps& operator=(const TInstBitmaps&) = delete;
  std::string ClassName() const override { return "TInstBitmaps"; }

  int Add(TBitmap* Bitmap);
  void Clear();
  int Count() const { return static_cast<int>(FItems.size()); }
  // The bitmap at Index; raises a list error outside the list.
  TBitmap* Bitmaps(int Index) const;
  // nullptr clears; another TInstBitmaps is copied bitmap by bitmap.
  void Assign(TPersistent* Source) override;

  // Appends the stream's bitmaps. A stream that is not a bitmap list, or is
  // cut short, raises an error and leaves the list as it was.
  virtual void LoadFromStream(TStream* Stream);
  virtual void SaveToStream(TStream* Stream) const;
  // Appends, inside one update.
  virtual void LoadFromFile(const std::string& FileName);
  virtual void SaveToFile(const std::string& FileName) const;

  // The stored form of the list (the binary property "Bitmaps"): reading
  // clears first; it is written only when the list is not empty.
  void ReadData(TStream* Stream);
  void WriteData(TStream* Stream) const;
  bool HasData() const { return !FItems.empty(); }

 private:
  std::vector<TBitmap*> FItems;
};
