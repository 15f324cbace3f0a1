#pragma once
// TExtGridButton: a graphic push or toggle button with glyphs per state,
// gradient faces, optional rounded corners and a drop-down part; the grid's
// search footer builds its buttons from it.

#include <functional>
#include <memory>
#include <string>

#include "platform/gui/Buttons.h"
#include "platform/gui/Controls.h"
#include "platform/gui/Graphics.h"
#include "platform/gui/Hints.h"

class TPopupMenu;

enum TExtGridButtonStyle { tasButton, tasCheck };

class TExtGridButton : public TGraphicControl {
 public:
  explicit TExtGridButton(TComponent* AOwner);
  ~TExtGridButton() override;
  std::string ClassName() const override { return "TExtGridButton"; }

  TExtGridButtonStyle Style() const { return style_; }
  void SetStyle(TExtGridButtonStyle v);
  bool Down() const { return down_; }
  // A check button stores it. A button-style one goes down only in a group (telling the others
  // of its group, which come up) and comes up only with AllowAllUp; otherwise the write is refused.
  // A grouped button with AllowAllUp writes its linked action's check mark.
  void SetDown(bool v);
  int GroupIndex() const { return groupIndex_; }
  void SetGroupIndex(int v) { groupIndex_ = v; }
  bool AllowAllUp() const { return allowAllUp_; }
  void SetAllowAllUp(bool v);
  bool Flat() const { return flat_; }
  void SetFlat(bool v);
  TBitmap* Glyph() const { return glyphs_[0].get(); }
  TBitmap* GlyphHot() const { return glyphs_[1].get(); }
  TBitmap* GlyphDown() const { return glyphs_[2].get(); }
  TBitmap* GlyphDisabled() const { return glyphs_[3].get(); }
  void SetGlyph(TBitmap* v);
  void SetGlyphHot(TBitmap* v) { AssignGlyph(1, v); }
  void SetGlyphDown(TBitmap* v) { AssignGlyph(2, v); }
  void SetGlyphDisabled(TBitmap* v) { AssignGlyph(3, v); }
  TButtonLayout Layout = blGlyphLeft;
  int Margin = -1, Spacing = 4;
  bool ShowCaption = true, Shaded = true;
  TColor Color = clBtnFace, ColorTo = clNone;
  TColor ColorHot = TColorOf(0xCAC7C7), ColorHotTo = clNone;
  TColor ColorDown = TColorOf(0xD8D3D2), ColorDownTo = clNone;
  TColor ColorChecked = clGray, ColorCheckedTo = clNone;
  TColor BorderColor = clNone, BorderHotColor = clNone, BorderDownColor = clNone;
  bool Rounded = false;
  bool DropDownButton = false;
  TPopupMenu* DropDownMenu = nullptr;
  bool AutoThemeAdapt() const { return autoThemeAdapt_; }
  void SetAutoThemeAdapt(bool v);
  bool AutoXPStyle = false;
  TNotifyEvent OnDropDown;
  // The colour styles 0 .. 6 of the theme schemes.
  void SetColorStyle(int Style);
  // Shown state: up, disabled, down, exclusive; and the mouse over it.
  TButtonState State() const { return state_; }
  bool Hot() const { return hot_; }

  // The linked action: caption, group, enabled state, hint and visibility follow it, and its
  // check mark is Down for a grouped button with AllowAllUp; a click runs it.
  TCustomAction* Action() const { return actionLink_ ? actionLink_->Action() : nullptr; }
  void SetAction(TCustomAction* v);

  void Click() override;
  void DblClick() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void WndProc(TMessage& Message) override;
  void Loaded() override;

 protected:
  void Paint() override;
  void CMMouseEnter(TMessage& Message) override;
  void CMMouseLeave(TMessage& Message) override;
  void CMEnabledChanged(TMessage& Message) override;
  void CMTextChanged(TMessage& Message) override;

 private:
  void AssignGlyph(int Index, TBitmap* v);
  // The other down button of the group comes up.
  void GroupPressed();
  void PaintFace(const TRect& R);
  void PaintGlyphAndCaption(TRect R);
  TExtGridButtonStyle style_ = tasButton;
  bool down_ = false, allowAllUp_ = false, flat_ = true, autoThemeAdapt_ = false;
  int groupIndex_ = 0;
  TButtonState state_ = bsUp;
  bool hot_ = false, dragging_ = false;
  std::unique_ptr<TBitmap> glyphs_[4];
  std::unique_ptr<TBitmap> shade_;
  std::unique_ptr<TActionLink> actionLink_;
};

class TExtGridButtonActionLink : public TControlActionLink {
 public:
  explicit TExtGridButtonActionLink(TExtGridButton* Client) : TControlActionLink(Client), button_(Client) {}
  void Update() override;

 private:
  TExtGridButton* button_;
};
