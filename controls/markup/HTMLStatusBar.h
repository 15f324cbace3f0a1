#pragma once
// THTMLStatusBar: a status bar whose panels show markup text, plain text,
// images, a progress bar, the time and date, the keyboard lock states, or
// whatever the owner draws. Our own control: the bar lays out its parts,
// draws their bevels and the texts it draws itself, and hands every
// owner-drawn part to DrawPanel.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/gui/Controls.h"
#include "platform/gui/Graphics.h"

class TCustomImageList;
class TPictureContainer;
class THTMLPictureCache;
class THTMLStatusBar;
class THTMLStatusPanel;
class TStringList;
class TTimer;

enum THTMLStatusPanelStyle {
  psHTML, psText, psOwnerDraw, psTime, psDate, psNumLock, psCapsLock, psScrollLock, psProgress, psImage,
  psImageList, psAnimation, psEllipsText, psFileEllipsText
};
enum THTMLStatusPanelBevel { pbNone, pbLowered, pbRaised };
enum TProgressIndication { piPercentage, piAbsolute, piNone };

using TDrawPanelEvent = std::function<void(THTMLStatusBar* StatusBar, THTMLStatusPanel* Panel, const TRect& Rect)>;
using TPanelClick = std::function<void(TObject* Sender, int PanelIndex)>;
using TAnchorClick = std::function<void(TObject* Sender, const std::string& Anchor)>;

// Settings of a psProgress panel. Every setter stores and redraws the panel.
class TProgressStyle : public TPersistent {
 public:
  explicit TProgressStyle(THTMLStatusPanel* Panel) : panel_(Panel) {}
  std::string ClassName() const override { return "TProgressStyle"; }
  // Copies BackGround, TextColor, Indication, Min, Max and Position only.
  void Assign(TPersistent* Source) override;

  int Min() const { return min_; }
  void SetMin(int v) { Set(min_, v); }
  int Max() const { return max_; }
  void SetMax(int v) { Set(max_, v); }
  int Position() const { return position_; }
  void SetPosition(int v) { Set(position_, v); }
  TProgressIndication Indication() const { return indication_; }
  void SetIndication(TProgressIndication v) { Set(indication_, v); }
  TColor BackGround() const { return background_; }
  void SetBackGround(TColor v) { Set(background_, v); }
  TColor TextColor() const { return textColor_; }
  void SetTextColor(TColor v) { Set(textColor_, v); }
  TColor Level0Color() const { return level_[0]; }
  void SetLevel0Color(TColor v) { Set(level_[0], v); }
  TColor Level0ColorTo() const { return levelTo_[0]; }
  void SetLevel0ColorTo(TColor v) { Set(levelTo_[0], v); }
  TColor Level1Color() const { return level_[1]; }
  void SetLevel1Color(TColor v) { Set(level_[1], v); }
  TColor Level1ColorTo() const { return levelTo_[1]; }
  void SetLevel1ColorTo(TColor v) { Set(levelTo_[1], v); }
  TColor Level2Color() const { return level_[2]; }
  void SetLevel2Color(TColor v) { Set(level_[2], v); }
  TColor Level2ColorTo() const { return levelTo_[2]; }
  void SetLevel2ColorTo(TColor v) { Set(levelTo_[2], v); }
  TColor Level3Color() const { return level_[3]; }
  void SetLevel3Color(TColor v) { Set(level_[3], v); }
  TColor Level3ColorTo() const { return levelTo_[3]; }
  void SetLevel3ColorTo(TColor v) { Set(levelTo_[3], v); }
  int Level1Perc() const { return level1Perc_; }
  void SetLevel1Perc(int v) { Set(level1Perc_, v); }
  int Level2Perc() const { return level2Perc_; }
  void SetLevel2Perc(int v) { Set(level2Perc_, v); }
  TColor BorderColor() const { return borderColor_; }
  void SetBorderColor(TColor v) { Set(borderColor_, v); }
  bool ShowBorder() const { return showBorder_; }
  void SetShowBorder(bool v) { Set(showBorder_, v); }
  bool Stacked() const { return stacked_; }
  void SetStacked(bool v) { Set(stacked_, v); }
  bool ShowPercentage() const { return showPercentage_; }
  void SetShowPercentage(bool v) { Set(showPercentage_, v); }
  bool CompletionSmooth() const { return completionSmooth_; }
  void SetCompletionSmooth(bool v) { Set(completionSmooth_, v); }
  bool ShowGradient() const { return showGradient_; }
  void SetShowGradient(bool v) { Set(showGradient_, v); }
  const std::string& Prefix() const { return prefix_; }
  void SetPrefix(const std::string& v) { Set(prefix_, v); }
  const std::string& Suffix() const { return suffix_; }
  void SetSuffix(const std::string& v) { Set(suffix_, v); }

  TColor LevelColor(int Level) const { return level_[Level]; }
  TColor LevelColorTo(int Level) const { return levelTo_[Level]; }

 private:
  template <class T>
  void Set(T& field, const T& v) {
    field = v;
    Changed();
  }
  void Changed();

  THTMLStatusPanel* panel_;
  int min_ = 0, max_ = 100, position_ = 0;
  TProgressIndication indication_ = piPercentage;
  TColor background_ = clBtnFace, textColor_ = clBlack;
  TColor level_[4] = {clLime, clYellow, 0x53A9FF, clRed};
  TColor levelTo_[4] = {0xE1FFE1, 0xCAFFFF, 0xA8D3FF, 0xCACAFF};
  int level1Perc_ = 70, level2Perc_ = 90;
  TColor borderColor_ = clBlack;
  bool showBorder_ = false, stacked_ = false, showPercentage_ = true, completionSmooth_ = false,
       showGradient_ = true;
  std::string prefix_, suffix_;
};

class THTMLStatusPanel : public TCollectionItem {
 public:
  explicit THTMLStatusPanel(TCollection* Collection);
  ~THTMLStatusPanel() override;
  std::string ClassName() const override { return "THTMLStatusPanel"; }
  // Copies Text, Width, Alignment, Bevel, Style, DateFormat, TimeFormat, Progress and Hint.
  void Assign(TPersistent* Source) override;
  // The text, or the inherited name when the text is empty.
  std::string DisplayName() const override;

  // These redraw only this panel, and only when the value changes.
  const std::string& Text() const { return text_; }
  void SetText(const std::string& v);
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment v);
  THTMLStatusPanelBevel Bevel() const { return bevel_; }
  void SetBevel(THTMLStatusPanelBevel v);
  THTMLStatusPanelStyle Style() const { return style_; }
  void SetStyle(THTMLStatusPanelStyle v);
  TBiDiMode BiDiMode() const { return biDiMode_; }
  void SetBiDiMode(TBiDiMode v);
  bool ParentBiDiMode() const { return parentBiDiMode_; }
  void SetParentBiDiMode(bool v);

  // These lay out the whole bar again.
  int Width() const { return width_; }
  void SetWidth(int v);
  const std::string& TimeFormat() const { return timeFormat_; }
  void SetTimeFormat(const std::string& v);
  const std::string& DateFormat() const { return dateFormat_; }
  void SetDateFormat(const std::string& v);
  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& v);
  int HTMLOffsetX() const { return htmlOffsetX_; }
  void SetHTMLOffsetX(int v);
  int HTMLOffsetY() const { return htmlOffsetY_; }
  void SetHTMLOffsetY(int v);
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int v);
  TCustomImageList* AnimationImages() const { return animationImages_; }
  void SetAnimationImages(TCustomImageList* v);
  // Ticks between frames minus one; a negative value is ignored.
  int AnimationDelay() const { return animationDelay_; }
  void SetAnimationDelay(int v);
  bool Animated() const { return animated_; }
  void SetAnimated(bool v);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool v);
  TProgressStyle* Progress() const { return progress_.get(); }
  void SetProgress(TProgressStyle* v);

  // Image indices of a psImageList panel, one line each.
  TStringList* ImageIndexLines() const { return imageIndexes_.get(); }
  // -1 past the end; a line that is not an integer raises EConvertError.
  int ImageIndexes(int Index) const;
  void SetImageIndexes(int Index, int Value);

  // Current frame of a psAnimation panel.
  int AnimationFrame() const { return frame_; }
  // The panel waits for its part to be redrawn.
  bool UpdateNeeded() const { return updateNeeded_; }
  // Right-to-left reading in force for this panel.
  bool UseRightToLeftReading() const;

  THTMLStatusBar* StatusBar() const;

 private:
  friend class THTMLStatusBar;
  friend class TProgressStyle;
  void PanelChanged(bool AllItems) { Changed(AllItems); }

  std::string text_;
  int width_ = 50;
  THTMLStatusPanelStyle style_ = psHTML;
  THTMLStatusPanelBevel bevel_ = pbLowered;
  TAlignment alignment_ = taLeftJustify;
  TBiDiMode biDiMode_ = bdLeftToRight;
  bool parentBiDiMode_ = true;
  std::string timeFormat_ = "hh:mm:ss";
  std::string dateFormat_ = "mm/dd/yyyy";
  std::string hint_;
  int htmlOffsetX_ = 2, htmlOffsetY_ = 2;
  int imageIndex_ = -1;
  TCustomImageList* animationImages_ = nullptr;
  int animationDelay_ = 0;
  bool animated_ = false;
  bool enabled_ = true;
  std::unique_ptr<TProgressStyle> progress_;
  std::unique_ptr<TStringList> imageIndexes_;
  bool updateNeeded_ = false;
  int frame_ = 0;
};

class THTMLStatusPanels : public TCollection {
 public:
  explicit THTMLStatusPanels(THTMLStatusBar* StatusBar);
  std::string ClassName() const override { return "THTMLStatusPanels"; }
  THTMLStatusPanel* Add() { return static_cast<THTMLStatusPanel*>(TCollection::Add()); }
  THTMLStatusPanel* Items(int Index) const { return static_cast<THTMLStatusPanel*>(TCollection::Items(Index)); }
  TPersistent* GetOwner() const override;
  THTMLStatusBar* StatusBar() const { return bar_; }

 protected:
  void Update(TCollectionItem* Item) override;

 private:
  THTMLStatusBar* bar_;
};

class THTMLStatusBar : public TCustomControl {
 public:
  // Most parts a bar lays out.
  static constexpr int MaxParts = 128;
  // Identifier of the bar's 100 ms window timer.
  static constexpr int TimerID = 111;

  explicit THTMLStatusBar(TComponent* AOwner);
  ~THTMLStatusBar() override;
  std::string ClassName() const override { return "THTMLStatusBar"; }

  THTMLStatusPanels* Panels() const { return panels_.get(); }
  void SetPanels(THTMLStatusPanels* v);
  bool SimplePanel() const { return simplePanel_; }
  // A change re-derives the reading order of the panels that follow the bar and repaints them.
  void SetBiDiMode(TBiDiMode v) override;
  void SetSimplePanel(bool v);
  const std::string& SimpleText() const { return simpleText_; }
  void SetSimpleText(const std::string& v);
  bool SizeGrip() const { return sizeGrip_; }
  void SetSizeGrip(bool v);
  bool UseSystemFont() const { return useSystemFont_; }
  void SetUseSystemFont(bool v);
  bool AutoHint() const { return autoHint_; }
  void SetAutoHint(bool v) { autoHint_ = v; }
  bool AnchorHint() const { return anchorHint_; }
  void SetAnchorHint(bool v) { anchorHint_ = v; }
  TColor URLColor() const { return urlColor_; }
  void SetURLColor(TColor v);
  TCustomImageList* Images() const { return images_; }
  void SetImages(TCustomImageList* v);
  TPictureContainer* PictureContainer() const { return pictureContainer_; }
  void SetPictureContainer(TPictureContainer* v);
  std::string Version() const { return "1.3.0.1"; }
  void SetVersion(const std::string&) {}

  TDrawPanelEvent OnDrawPanel;
  TPanelClick OnPanelClick, OnPanelRightClick, OnPanelDblClick;
  TAnchorClick OnAnchorClick, OnAnchorEnter, OnAnchorExit;
  TNotifyEvent OnHint;

  // While a part is being drawn: the canvas it is drawn on; else the bar's own.
  TCanvas* Canvas() const;

  // Lays the parts out again (UpdateRects) and refreshes every panel's part:
  // with UpdateText the texts reach the parts, else the parts are marked.
  void UpdatePanels(bool UpdateRects, bool UpdateText);
  void UpdatePanel(int Index, bool Repaint);
  // Rectangle of a part in client coordinates, bevel included; empty when
  // there is no such part.
  TRect PanelRect(int Index) const;
  // Number of parts laid out (1 with no panels).
  int PartCount() const;
  // Whether the size grip shows (only on a sizeable form).
  bool SizeGripShown() const;
  // The panel under a client x coordinate, -1 between panels or past them.
  int GetPanelAtPoint(int X) const;
  // The anchor of a markup panel under a client point, empty when none.
  std::string GetAnchorAt(int X, int Y);

  // Refreshes the panels that change by themselves (clock, date, lock keys,
  // blinking text, animations). The 100 ms timer calls it.
  virtual void UpdateStatus();
  // True after calling OnHint when assigned; false without OnHint.
  virtual bool DoHint();
  // A hint action: with AutoHint the hint goes into panel 0 (or the simple
  // text); false when the bar did not take it.
  bool ExecuteHintAction(const std::string& Hint);
  // Reverses the panel order, keeping each end's width on screen.
  void FlipChildren(bool AllLevels);
  // Sets Font from the screen's hint font when UseSystemFont is on.
  void SyncToSystemFont();
  // 0..10, one step per tick.
  int BlinkCounter() const { return blinkCounter_; }
  // The timer is running (between window creation and destruction).
  bool TimerActive() const;

  // Draws the whole bar on a canvas (the paint handler draws on its own).
  void PaintOn(TCanvas* ACanvas);

  void Notification(TComponent* AComponent, TOperation Operation) override;
  // A left press on the size grip drags the form's bottom-right corner
  // until the button is released; no panel event fires for it.
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void DblClick() override;
  // With AutoHint the application's hint (a THintAction) goes into the bar.
  bool ExecuteAction(TBasicAction* Action) override;
  // The size grip's square under a client point (only while the grip shows).
  bool InSizeGrip(int X, int Y) const;
  // The form is being sized by the grip.
  bool Sizing() const { return sizing_; }
  void WndProc(TMessage& Message) override;

 protected:
  void Loaded() override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void Paint() override;
  // Draws one owner-drawn part; Rect lies inside the part's bevel.
  virtual void DrawPanel(THTMLStatusPanel* Panel, const TRect& Rect);
  void CMHintShow(TMessage& Message) override;
  void CMParentFontChanged(TMessage& Message) override;
  void CMColorChanged(TMessage& Message) override;
  void WMSize(TMessage& Message) override;

 private:
  friend class THTMLStatusPanels;
  struct TPart {
    int Right = -1;     // -1: to the bar's right border
    std::string Text;   // what the part shows when the bar draws it itself
    unsigned Flags = 0; // bevel, reading order and owner-draw flags
  };
  void PanelsChanged(THTMLStatusPanel* Item);
  void SyncPart(int Index);
  void UpdateSimpleText();
  void WMTimer();
  void DrawPart(TCanvas* C, int Index);
  void DrawBevel(TCanvas* C, const TRect& R, unsigned Flags);
  void DrawSizeGrip(TCanvas* C);
  void DrawPanelText(TCanvas* C, const std::string& Text, TRect R, TAlignment Align, bool PathEllipsis,
                     unsigned Extra = 0);
  void DrawProgress(TCanvas* C, THTMLStatusPanel* Panel, const TRect& R);
  void DrawLevel(TCanvas* C, const TProgressStyle* P, int Level, const TRect& R);
  void DrawSeparators(TCanvas* C, const TProgressStyle* P, const TRect& Segment);
  bool DrawImage(TCanvas* C, TCustomImageList* List, int Index, TRect& R, int Frame);
  bool HTMLPanel(TCanvas* C, THTMLStatusPanel* Panel, const TRect& R, int X, int Y, bool HitTest,
                 std::string& Anchor);
  TRect HTMLRect(int Index) const;
  bool Destroying() const { return (ComponentState() & csDestroying) != 0; }

  std::unique_ptr<THTMLStatusPanels> panels_;
  std::unique_ptr<TTimer> timer_;
  std::unique_ptr<THTMLPictureCache> pictureCache_;
  std::vector<TPart> parts_;
  bool simplePanel_ = false;
  std::string simpleText_;
  bool sizeGrip_ = true;
  bool useSystemFont_ = true;
  bool autoHint_ = false;
  bool anchorHint_ = false;
  TColor urlColor_ = clBlue;
  TCustomImageList* images_ = nullptr;
  TPictureContainer* pictureContainer_ = nullptr;
  int blinkCounter_ = 0;
  int mousePanel_ = -1;
  int lastDownX_ = -1;
  std::string mouseAnchor_;
  TCanvas* drawCanvas_ = nullptr;
  bool sizing_ = false;
  TPoint sizeFrom_;    // screen point of the press on the grip
  TSize formSize_;     // the form's size at that press
};

// Draws a gradient from one colour to another in Bands steps, top to bottom
// when Vertical, else left to right; each band overlaps the next by a pixel.
void StatusGradient(TCanvas* Canvas, TColor From, TColor To, int Bands, const TRect& R, bool Vertical);
