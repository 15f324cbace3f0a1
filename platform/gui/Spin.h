#pragma once
// Spin buttons and the integer spin edit.

#include <functional>
#include <memory>
#include <string>

#include "platform/gui/Buttons.h"
#include "platform/gui/StdCtrls.h"

class TTimer;

enum TTimeBtnStateFlag : unsigned { tbFocusRect = 1, tbAllowTimer = 2 };
using TTimeBtnState = unsigned;

// A speed button that repeats its click while held down. With tbAllowTimer a left press starts the
// repeat: a click after 400 ms, then every 100 ms while the button is down and has the mouse
// captured; the release stops it and gives the ordinary click of a speed button. With
// ClickOnPress the press clicks at once instead and the release adds no click.
class TTimerSpeedButton : public TSpeedButton {
 public:
  explicit TTimerSpeedButton(TComponent* AOwner);
  ~TTimerSpeedButton() override;
  std::string ClassName() const override { return "TTimerSpeedButton"; }
  TTimeBtnState TimeBtnState() const { return timeBtnState_; }
  void SetTimeBtnState(TTimeBtnState v) { timeBtnState_ = v; }
  TTimer* RepeatTimer() const { return timer_; }
  bool ClickOnPress() const { return clickOnPress_; }
  void SetClickOnPress(bool v) { clickOnPress_ = v; }

  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void Click() override;

  static constexpr unsigned InitRepeatPause = 400, RepeatPause = 100;

 private:
  void TimerExpired();
  TTimeBtnState timeBtnState_ = 0;
  TTimer* timer_ = nullptr;
  bool clickOnPress_ = false, pressClicked_ = false, releasing_ = false;
};

enum TSpinDirection { spVertical, spHorizontal };

class TSpinButton : public TWinControl {
 public:
  explicit TSpinButton(TComponent* AOwner);
  std::string ClassName() const override { return "TSpinButton"; }

  TTimerSpeedButton* UpButton() const { return up_; }
  TTimerSpeedButton* DownButton() const { return down_; }
  TBitmap* UpGlyph() const { return up_->Glyph(); }
  // No bitmap (or an empty one) gives the button its default arrow back, one glyph.
  void SetUpGlyph(TBitmap* v) { SetGlyphOf(up_, v); }
  TBitmap* DownGlyph() const { return down_->Glyph(); }
  void SetDownGlyph(TBitmap* v) { SetGlyphOf(down_, v); }
  TNumGlyphs UpNumGlyphs() const { return up_->NumGlyphs(); }
  void SetUpNumGlyphs(TNumGlyphs v) { up_->SetNumGlyphs(v); }
  TNumGlyphs DownNumGlyphs() const { return down_->NumGlyphs(); }
  void SetDownNumGlyphs(TNumGlyphs v) { down_->SetNumGlyphs(v); }
  // Vertical: up above down, 15 wide. Horizontal: down (left) beside up (right), 20 wide;
  // default arrows turn with it.
  TSpinDirection Direction() const { return direction_; }
  void SetDirection(TSpinDirection v);
  TWinControl* FocusControl() const { return focusControl_; }
  void SetFocusControl(TWinControl* v);
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

  TNotifyEvent OnUpClick, OnDownClick;

 protected:
  // Pairs whose buttons are a descendant of TTimerSpeedButton make them through MakeButton.
  using TButtonMaker = std::function<TTimerSpeedButton*(TSpinButton* Pair)>;
  TSpinButton(TComponent* AOwner, const TButtonMaker& MakeButton);
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void WMGetDlgCode(TMessage& Message) override;
  void BtnClick(TObject* Sender);
  // A left press on either button (before it clicks).
  virtual void BtnMouseDown(TObject* Sender, TMouseButton Button);
  // Sizes the two buttons to the pair, on every change of its bounds.
  virtual void PlaceButtons();

 private:
  void SetGlyphOf(TTimerSpeedButton* Button, TBitmap* v);
  void DefaultGlyph(TTimerSpeedButton* Button);
  TTimerSpeedButton* up_;
  TTimerSpeedButton* down_;
  TSpinDirection direction_ = spVertical;
  bool upDefault_ = true, downDefault_ = true;
  TWinControl* focusControl_ = nullptr;
};

class TSpinEdit : public TCustomEdit {
 public:
  explicit TSpinEdit(TComponent* AOwner);
  std::string ClassName() const override { return "TSpinEdit"; }

  int MinValue() const { return minValue_; }
  void SetMinValue(int v) { minValue_ = v; }
  int MaxValue() const { return maxValue_; }
  void SetMaxValue(int v) { maxValue_ = v; }
  int Increment() const { return increment_; }
  void SetIncrement(int v) { increment_ = v; }
  // The text as a number; a text that is no number reads MinValue.
  int Value() const;
  // Shows the value limited to MinValue..MaxValue (no limit when the two are equal).
  void SetValue(int v);
  // False: the text cannot be typed into; only the buttons and arrow keys change it.
  bool EditorEnabled() const { return editorEnabled_; }
  void SetEditorEnabled(bool v) { editorEnabled_ = v; }
  TSpinButton* Button() const { return button_; }
  int CheckValue(int NewValue) const;

  virtual void UpClick(TObject* Sender);
  virtual void DownClick(TObject* Sender);
  bool EditKey(WORD Key, TShiftState Shift) override;

 protected:
  virtual bool IsValidChar(char Key) const;
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  void DoExit() override;
  void WMPaste(TMessage& Message) override;
  void WMCut(TMessage& Message) override;
  void CreateWnd() override;
  void BoundsChanged() override;
  void PlaceButton();

  int minValue_ = 0, maxValue_ = 0, increment_ = 1;
  bool editorEnabled_ = true;
  TSpinButton* button_ = nullptr;
};
