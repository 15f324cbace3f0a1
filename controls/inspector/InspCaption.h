#pragma once
// The looks of the inspector bar's caption bars and of its help panel. Both only
// store values and tell the bar: a caption change that alters the shading picture
// is told apart from one that only needs a repaint.

#include <memory>
#include <string>

#include "controls/inspector/InspShade.h"
#include "platform/gui/Controls.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Graphics.h"
#include "platform/rtl/Classes.h"

enum TCaptionShape { csRectangle, csRounded, csSemiRounded };
// Scoped: other units have vertical alignments with the same value names.
enum class TCaptionVAlignment { vaTop, vaCenter, vaBottom };
enum TOpenCloseGraphic { ocgNone, ocgCross, ocgTriangle, ocgGlyph };
enum TOpenClosePosition { ocpLeft, ocpRight };

class TInspectorCaption : public TPersistent {
 public:
  TInspectorCaption();
  ~TInspectorCaption() override;
  std::string ClassName() const override { return "TInspectorCaption"; }

  // Repaint wanted (look changed).
  TNotifyEvent OnChange;
  // The shading picture must be rendered again; fires before the bar rebuilds it.
  TNotifyEvent OnShadeChange;

  int Height() const { return height_; }
  void SetHeight(int v);
  TColor Color() const { return color_; }
  void SetColor(TColor v);
  TShadeType ShadeType() const { return shadeType_; }
  void SetShadeType(TShadeType v);
  int ShadeLight() const { return shadeLight_; }
  void SetShadeLight(int v);  // 200..255; less is stored as 200
  int ShadeGrain() const { return shadeGrain_; }
  void SetShadeGrain(int v);

  TFont* Font() const { return font_.get(); }
  void SetFont(TFont* v) { font_->Assign(v); }
  TFont* ActiveFont() const { return activeFont_.get(); }
  void SetActiveFont(TFont* v) { activeFont_->Assign(v); }
  TBitmap* Background() const { return background_.get(); }
  void SetBackground(TBitmap* v);
  TBitmap* ActiveBackground() const { return activeBackground_.get(); }
  void SetActiveBackground(TBitmap* v);
  TBitmap* GlyphOpen() const { return glyphOpen_.get(); }
  void SetGlyphOpen(TBitmap* v);
  TBitmap* GlyphClose() const { return glyphClose_.get(); }
  void SetGlyphClose(TBitmap* v);

#define INSP_LOOK(Type, Name, field) \
  Type Name() const { return field; } \
  void Set##Name(Type v) {            \
    field = v;                        \
    LookChanged();                    \
  }
  INSP_LOOK(TCaptionShape, Shape, shape_)
  INSP_LOOK(TAlignment, Alignment, alignment_)
  INSP_LOOK(TCaptionVAlignment, VAlignment, vAlignment_)
  INSP_LOOK(TColor, ColorTo, colorTo_)
  INSP_LOOK(TOpenCloseGraphic, OpenCloseGraphic, openCloseGraphic_)
  INSP_LOOK(TOpenClosePosition, OpenClosePosition, openClosePosition_)
  INSP_LOOK(bool, Flat, flat_)
  INSP_LOOK(int, Indent, indent_)
  INSP_LOOK(bool, SideDisplay, sideDisplay_)
  INSP_LOOK(int, SideWidth, sideWidth_)
  INSP_LOOK(bool, Underline, underline_)
  INSP_LOOK(TColor, UnderlineColor, underlineColor_)
  INSP_LOOK(int, UnderlineWidth, underlineWidth_)
#undef INSP_LOOK
  TCursor Cursor() const { return cursor_; }
  void SetCursor(TCursor v) { cursor_ = v; }
  bool Button() const { return button_; }
  void SetButton(bool v) { button_ = v; }

  // What the shading reads (the bar adds its gradient direction).
  TShadeLook ShadeLook(bool HorizontalGradient) const;

 private:
  void LookChanged();
  void ShadeChanged();

  int height_ = 20, shadeLight_ = 255, shadeGrain_ = 32, indent_ = 0, sideWidth_ = 20, underlineWidth_ = 1;
  TColor color_ = clBtnFace, colorTo_ = clNone, underlineColor_ = clBlue;
  TShadeType shadeType_ = stNormal;
  TCaptionShape shape_ = csRectangle;
  TAlignment alignment_ = taLeftJustify;
  TCaptionVAlignment vAlignment_ = TCaptionVAlignment::vaTop;
  TOpenCloseGraphic openCloseGraphic_ = ocgNone;
  TOpenClosePosition openClosePosition_ = ocpLeft;
  bool flat_ = false, sideDisplay_ = false, underline_ = false, button_ = false;
  TCursor cursor_ = crDefault;
  std::unique_ptr<TFont> font_, activeFont_;
  std::unique_ptr<TBitmap> background_, activeBackground_, glyphOpen_, glyphClose_;
};

class TInspectorHelp : public TPersistent {
 public:
  TInspectorHelp();
  ~TInspectorHelp() override;
  std::string ClassName() const override { return "TInspectorHelp"; }

  // Lay out and repaint wanted; every setter but ColorTo's sends it.
  TNotifyEvent OnChange;

#define INSP_HELP(Type, Name, field) \
  Type Name() const { return field; } \
  void Set##Name(Type v) {            \
    field = v;                        \
    Changed();                        \
  }
  INSP_HELP(bool, Visible, visible_)
  INSP_HELP(int, Height, height_)
  INSP_HELP(TColor, Color, color_)
  INSP_HELP(const std::string&, Text, text_)
  INSP_HELP(TBevelCut, BevelInner, bevelInner_)
  INSP_HELP(TBevelCut, BevelOuter, bevelOuter_)
  INSP_HELP(int, BevelWidth, bevelWidth_)
#undef INSP_HELP
  TColor ColorTo() const { return colorTo_; }
  void SetColorTo(TColor v) { colorTo_ = v; }
  TFont* Font() const { return font_.get(); }
  void SetFont(TFont* v);

 private:
  void Changed();
  bool visible_ = false;
  int height_ = 0, bevelWidth_ = 0;
  TColor color_ = clBtnFace, colorTo_ = clNone;
  std::string text_;
  TBevelCut bevelInner_ = bvLowered, bevelOuter_ = bvNone;
  std::unique_ptr<TFont> font_;
};
