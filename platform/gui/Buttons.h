#pragma once
// Speed buttons and bitmap buttons: a caption beside a glyph whose picture
// follows the button's state.

#include <memory>
#include <string>

#include "platform/gui/StdCtrls.h"

enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
enum TButtonState { bsUp, bsDisabled, bsDown, bsExclusive };
enum TBitBtnKind { bkCustom, bkOK, bkCancel, bkHelp, bkYes, bkNo, bkClose, bkAbort, bkRetry, bkIgnore, bkAll };
enum TButtonStyle { bsAutoDetect, bsWin31, bsNew };
using TNumGlyphs = int;

// The glyph of a button: up to four pictures side by side (up, disabled,
// clicked, down); a missing disabled picture is made from the up one.
class TButtonGlyph {
 public:
  TButtonGlyph();
  ~TButtonGlyph();
  TBitmap* Glyph() const { return glyph_.get(); }
  // Copies the bitmap; a width that is a multiple (up to 4) of the height sets NumGlyphs.
  void SetGlyph(TBitmap* Value);
  TNumGlyphs NumGlyphs() const { return numGlyphs_; }
  void SetNumGlyphs(TNumGlyphs Value);
  bool Empty() const;
  TSize GlyphSize() const;
  // Places glyph and caption in Client and draws them; returns the caption's rectangle.
  TRect Draw(TCanvas* Canvas, const TRect& Client, TPoint Offset, const std::string& Caption,
             TButtonLayout Layout, int Margin, int Spacing, TButtonState State, bool Transparent);
  // Where the glyph's top-left and the caption's rectangle go (no drawing).
  void CalcLayout(TCanvas* Canvas, const TRect& Client, TPoint Offset, const std::string& Caption,
                  TButtonLayout Layout, int Margin, int Spacing, TPoint& GlyphPos, TRect& TextBounds);
  TNotifyEvent OnChange;

 private:
  std::unique_ptr<TBitmap> glyph_;
  TNumGlyphs numGlyphs_ = 1;
};

class TSpeedButton : public TGraphicControl {
 public:
  explicit TSpeedButton(TComponent* AOwner);
  ~TSpeedButton() override;
  std::string ClassName() const override { return "TSpeedButton"; }

  TBitmap* Glyph() const { return glyph_->Glyph(); }
  void SetGlyph(TBitmap* v);
  TNumGlyphs NumGlyphs() const { return glyph_->NumGlyphs(); }
  void SetNumGlyphs(TNumGlyphs v);
  int GroupIndex() const { return groupIndex_; }
  void SetGroupIndex(int v);
  bool Down() const { return down_; }
  // Down needs a group; in a group, pressing one button releases the others,
  // and a down button stays down unless AllowAllUp.
  void SetDown(bool v);
  bool AllowAllUp() const { return allowAllUp_; }
  void SetAllowAllUp(bool v);
  bool Flat() const { return flat_; }
  void SetFlat(bool v);
  TButtonLayout Layout() const { return layout_; }
  void SetLayout(TButtonLayout v);
  int Margin() const { return margin_; }
  void SetMargin(int v);
  int Spacing() const { return spacing_; }
  void SetSpacing(int v);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool v);
  TButtonState State() const { return state_; }
  bool MouseInControl() const { return mouseInControl_; }

  void Click() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void WndProc(TMessage& Message) override;

 protected:
  void Paint() override;
  void CMMouseEnter(TMessage& Message) override;
  void CMMouseLeave(TMessage& Message) override;
  void CMEnabledChanged(TMessage& Message) override;
  void UpdateExclusive();

  std::unique_ptr<TButtonGlyph> glyph_;
  int groupIndex_ = 0;
  bool down_ = false;
  bool allowAllUp_ = false;
  bool flat_ = false;
  TButtonLayout layout_ = blGlyphLeft;
  int margin_ = -1;
  int spacing_ = 4;
  bool transparent_ = true;
  TButtonState state_ = bsUp;
  bool dragging_ = false;
  bool mouseInControl_ = false;
};

class TBitBtn : public TButton {
 public:
  explicit TBitBtn(TComponent* AOwner);
  ~TBitBtn() override;
  std::string ClassName() const override { return "TBitBtn"; }

  TBitBtnKind Kind() const { return kind_; }
  // A kind sets the caption, glyph, modal result, Default (OK, Yes) and Cancel (Cancel, No).
  void SetKind(TBitBtnKind v);
  TBitmap* Glyph() const { return glyph_->Glyph(); }
  // A glyph of one's own makes the kind custom.
  void SetGlyph(TBitmap* v);
  TNumGlyphs NumGlyphs() const { return glyph_->NumGlyphs(); }
  void SetNumGlyphs(TNumGlyphs v);
  TButtonLayout Layout() const { return layout_; }
  void SetLayout(TButtonLayout v);
  int Margin() const { return margin_; }
  void SetMargin(int v);
  int Spacing() const { return spacing_; }
  void SetSpacing(int v);
  TButtonStyle Style() const { return style_; }
  void SetStyle(TButtonStyle v) { style_ = v; }

  // Close closes the form; Help shows the help of the nearest help context.
  void Click() override;
  // Paints the button face, glyph and caption on a canvas (the peer paints through it).
  void PaintButton(TCanvas* Canvas, bool Pressed, bool Focused);

 protected:
  QWidget* CreatePeer(QWidget* ParentWidget) override;

  std::unique_ptr<TButtonGlyph> glyph_;
  std::unique_ptr<TControlCanvas> canvas_;
  TBitBtnKind kind_ = bkCustom;
  TButtonLayout layout_ = blGlyphLeft;
  int margin_ = -1;
  int spacing_ = 4;
  TButtonStyle style_ = bsAutoDetect;
  bool settingKind_ = false;
};

// The glyph of a kind of bitmap button (our own art, drawn once); nullptr for bkCustom.
TBitmap* BitBtnKindGlyph(TBitBtnKind Kind);
