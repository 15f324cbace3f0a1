#pragma once
// The edit controls the grid's in-cell editors and the inspector's inplace editors
// are both made of: a flat drop-down list, a spin edit (numbers, dates, times) on
// the GUI layer's spin button pair, an edit with an embedded button, a unit edit
// and a flat date-time picker. Where the two users differ, a setting says so.

#include <functional>
#include <memory>
#include <string>

#include "platform/gui/Buttons.h"
#include "platform/gui/Mask.h"
#include "platform/gui/Menus.h"
#include "platform/gui/Spin.h"
#include "platform/gui/StdCtrls.h"
#include "platform/rtl/SysUtils.h"

// ------------------------------------------------------------ flat list
class TESGCustomCombo : public TCustomComboBox {
 public:
  explicit TESGCustomCombo(TComponent* AOwner);
  std::string ClassName() const override { return "TESGCustomCombo"; }

  // The system's scroll-bar width + 4 at first.
  int ButtonWidth() const { return buttonWidth_; }
  // Only 14 to 32 are taken.
  void SetButtonWidth(int v);
  bool Flat() const { return flat_; }
  void SetFlat(bool v);
  bool Etched() const { return etched_; }
  void SetEtched(bool v);
  bool FocusBorder() const { return focusBorder_; }
  void SetFocusBorder(bool v) { focusBorder_ = v; }
  bool AutoFocus() const { return autoFocus_; }
  void SetAutoFocus(bool v) { autoFocus_ = v; }
  int DropWidth() const { return dropWidth_; }
  // Above 0 it also widens the open list.
  void SetDropWidth(int v);
  bool IsWinXP() const { return isWinXP_; }
  void SetIsWinXP(bool v) { isWinXP_ = v; }
  // The colour of the inspector look's outer rings.
  TColor BkColor() const { return bkColor_; }
  void SetBkColor(TColor v) { bkColor_ = v; }
  // The mouse is over it or it has the focus.
  bool Active() const;
  // The drop-down button's area: the right ButtonWidth pixels, 2 inside the frame.
  TRect ButtonRect() const;
  bool Hovered() const { return hovered_; }
  // A theme change repaints the frame and button in the new look.
  void WndProc(TMessage& Message) override;
  // The control's version: four bytes, the most significant first; Version() shows them in decimal
  // joined by ".".
  virtual uint32_t GetVersionNr() const { return 0x01020000u; }
  std::string Version() const;

 protected:
  void CMMouseEnter(TMessage& Message) override;
  void CMMouseLeave(TMessage& Message) override;
  void CMEnabledChanged(TMessage& Message) override;
  void DoEnter() override;
  void DoExit() override;
  // The flat frame and the drop-down button over the platform's painting.
  void PaintOver() override;
  void DropDown() override;
  void CloseUp() override;

  int buttonWidth_;
  bool flat_ = true, etched_ = false, focusBorder_ = false, autoFocus_ = false, hovered_ = false,
       isWinXP_ = false;
  int dropWidth_ = 0;
  TColor normalColor_ = clWindow, bkColor_ = clWindow;
  bool normalParentColor_ = false;
  // The grid's look: idle rings in the parent's colour, a button-face ring in the 3-D look, the
  // drop-down button always raised. The inspector's: idle rings in BkColor, the button raised
  // only while active (flat while the list is down), nothing over a themed button.
  enum TFlatLook { flGrid, flInspector };
  TFlatLook flatLook_ = flGrid;
};

class TESGComboBox : public TESGCustomCombo {
 public:
  explicit TESGComboBox(TComponent* AOwner) : TESGCustomCombo(AOwner) {}
  std::string ClassName() const override { return "TESGComboBox"; }
};

// ------------------------------------------------------------ spin button pair
// A repeat button of the spin pair: themed it is the "spin" theme's part for its
// place in the pair, else our own arrow art on a button face; it carries the pair's focus mark.
// Press and release repaint the pair.
class TExtTimerSpeedButton : public TTimerSpeedButton {
 public:
  explicit TExtTimerSpeedButton(TComponent* AOwner) : TTimerSpeedButton(AOwner) {}
  std::string ClassName() const override { return "TExtTimerSpeedButton"; }
  bool IsWinXP() const { return isWinXP_; }
  void SetIsWinXP(bool v);
  // The "spin" part for its place: vertical up 1, down 2; horizontal up 3, down 4.
  int ThemePart() const;
  // Pressed (3) while down, hot (2) under the mouse when HotLook is set, else normal (1).
  int ThemeState() const;
  bool HotLook() const { return hotLook_; }
  void SetHotLook(bool v) { hotLook_ = v; }
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

 protected:
  void Paint() override;
  void CMMouseEnter(TMessage& Message) override;
  void CMMouseLeave(TMessage& Message) override;

 private:
  bool isWinXP_ = false, hotLook_ = true;
};

// The pair of repeat buttons of the spin edit, 15 x 25 by default. The button with
// the focus mark shows it while the pair has the focus; Space clicks it, Up and Down move the
// mark to their button and click it.
class TEsgSpinButton : public TSpinButton {
 public:
  explicit TEsgSpinButton(TComponent* AOwner);
  std::string ClassName() const override { return "TEsgSpinButton"; }
  TExtTimerSpeedButton* UpButton() const { return static_cast<TExtTimerSpeedButton*>(TSpinButton::UpButton()); }
  TExtTimerSpeedButton* DownButton() const {
    return static_cast<TExtTimerSpeedButton*>(TSpinButton::DownButton());
  }
  // The button that holds the focus mark.
  TExtTimerSpeedButton* FocusedButton() const { return focusedBtn_; }
  bool IsWinXP() const { return UpButton()->IsWinXP(); }
  void SetIsWinXP(bool v);
  // A theme change repaints the buttons in the new look.
  void WndProc(TMessage& Message) override;

 protected:
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void BtnMouseDown(TObject* Sender, TMouseButton Button) override;
  // The form's focus moves and the window's own focus both show or hide the mark.
  void DoEnter() override;
  void DoExit() override;
  void WMSetFocus(TMessage& Message) override;
  void WMKillFocus(TMessage& Message) override;

 private:
  void SetFocusBtn(TExtTimerSpeedButton* Button);
  void ShowMark(bool Focused);
  TExtTimerSpeedButton* focusedBtn_ = nullptr;
};

// ------------------------------------------------------------ spin edit
enum TEsgSpinType { sptNormal, sptFloat, sptDate, sptTime };
// eaDefault (the typed edit's focus alignment: keep the normal one) aligns left here.
enum TEditAlign { eaLeft, eaRight, eaCenter, eaDefault };
// Which characters a spin edit takes. Checked: "-" only first and once in numbers, integers
// take digits and "-" only, the thousands separator is refused in floats. Loose: "+" and "-"
// anywhere, the thousands key types the decimal separator in floats.
enum TSpinTyping { stChecked, stLoose };

class TEsgSpinEdit : public TCustomMaskEdit {
 public:
  using TPairMaker = std::function<TEsgSpinButton*(TEsgSpinEdit* Edit)>;
  explicit TEsgSpinEdit(TComponent* AOwner, const TPairMaker& MakePair = nullptr);
  std::string ClassName() const override { return "TEsgSpinEdit"; }

  TEsgSpinType SpinType() const { return spinType_; }
  // Rewrites the current value in the new form.
  void SetSpinType(TEsgSpinType v);
  // The text as an integer; text that is no integer reads MinValue.
  int Value() const;
  // Limited to MinValue..MaxValue (no limit when the two are equal).
  void SetValue(int v);
  double FloatValue() const;
  void SetFloatValue(double v);
  TDateTime DateValue() const;
  void SetDateValue(TDateTime v);
  TDateTime TimeValue() const;
  void SetTimeValue(TDateTime v);
  int MinValue() const { return minValue_; }
  void SetMinValue(int v) { minValue_ = v; }
  int MaxValue() const { return maxValue_; }
  void SetMaxValue(int v) { maxValue_ = v; }
  double MinFloatValue() const { return minFloat_; }
  void SetMinFloatValue(double v) { minFloat_ = v; }
  double MaxFloatValue() const { return maxFloat_; }
  void SetMaxFloatValue(double v) { maxFloat_ = v; }
  TDateTime MinDateValue() const { return minDate_; }
  void SetMinDateValue(TDateTime v) { minDate_ = v; }
  TDateTime MaxDateValue() const { return maxDate_; }
  void SetMaxDateValue(TDateTime v) { maxDate_ = v; }
  int Increment() const { return increment_; }
  void SetIncrement(int v) { increment_ = v; }
  double IncrementFloat() const { return incrementFloat_; }
  void SetIncrementFloat(double v) { incrementFloat_ = v; }
  int Precision() const { return precision_; }
  void SetPrecision(int v);
  bool EditorEnabled() const { return editorEnabled_; }
  void SetEditorEnabled(bool v) { editorEnabled_ = v; }
  bool ReturnIsTab() const { return returnIsTab_; }
  void SetReturnIsTab(bool v) { returnIsTab_ = v; }
  TSpinTyping SpinTyping() const { return typing_; }
  void SetSpinTyping(TSpinTyping v) { typing_ = v; }
  TEditAlign EditAlign() const { return editAlign_; }
  void SetEditAlign(TEditAlign v);
  TSpinDirection Direction() const { return button_->Direction(); }
  // Turns the spin button pair and lays the edit out again.
  void SetDirection(TSpinDirection v);
  void SetSpinFlat(bool v);
  void SetSpinTransparent(bool v);
  TEsgSpinButton* Button() const { return button_; }
  // The least height the font needs: its height, a quarter of the smaller of it and the
  // system font's height, 2, and four border widths with a single border.
  int MinHeight() const;
  // Places the spin button inside the right edge (by the border) and keeps the text left of it.
  void SetEditRect();
  void SetBorderStyle(TBorderStyle v);
  // Themed spin buttons (the owner's XP test).
  bool IsWinXP() const { return button_->IsWinXP(); }
  void SetIsWinXP(bool v) { button_->SetIsWinXP(v); }

  TNotifyEvent OnSpinUp, OnSpinDown, OnSpinChange;
  // The numeric keypad's "." types the locale's decimal separator.
  bool ExcelStyleDecimalSeparator = false;
  // Page Up and Page Down step as Up and Down do.
  bool PageKeysStep = true;

  virtual bool IsValidChar(char Key) const;
  virtual void UpClick(TObject* Sender);
  virtual void DownClick(TObject* Sender);

 protected:
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  void WndProc(TMessage& Message) override;
  void DoEnter() override;
  void DoExit() override;
  void Loaded() override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void WMPaste(TMessage& Message) override;
  void WMCut(TMessage& Message) override;
  bool EditKey(WORD Key, TShiftState Shift) override;
  void BoundsChanged() override;
  void Step(bool Up);
  void WriteFloat(double v);
  // The spin pair's place and the text's margins, by the border (SetEditRect).
  virtual void PlaceSpin();

  TEsgSpinType spinType_ = sptNormal;
  TSpinTyping typing_ = stChecked;
  TEditAlign editAlign_ = eaLeft;
  int minValue_ = 0, maxValue_ = 100, increment_ = 1, precision_ = 0;
  double minFloat_ = 0, maxFloat_ = 100.0, incrementFloat_ = 0.1;
  TDateTime minDate_ = 0, maxDate_ = 0;
  bool editorEnabled_ = true, returnIsTab_ = false, selectOnRelease_ = false;
  // Writing TimeValue limits it by MinDateValue..MaxDateValue as DateValue is (the inspector's
  // spin); off, a time is limited only when the edit is left (the grid's).
  bool timeWriteLimited_ = false;
  TEsgSpinButton* button_ = nullptr;
};

// ------------------------------------------------------------ edit with button
// A speed button that follows the mouse: themed it is the "button" theme's push button (pressed
// while down, hot while hovered), flat an edge over a push-button frame, else a push-button
// frame; its glyph and its one-line caption are centred, one pixel further while down.
class TExtSpeedButton : public TSpeedButton {
 public:
  explicit TExtSpeedButton(TComponent* AOwner) : TSpeedButton(AOwner) {}
  std::string ClassName() const override { return "TExtSpeedButton"; }
  bool IsWinXP() const { return isWinXP_; }
  void SetIsWinXP(bool v);
  // Pressed (3) while down, hot (2) while hovered, else normal (1).
  int ThemeState() const;
  // Flat, a push-button frame inside the edge as well (the inspector's dots button).
  void SetFlatFrame(bool v) { flatFrame_ = v; }
  // The caption's top-left corner (one pixel further while down); X below 0 centres it.
  void SetCaptionAt(TPoint v) { captionAt_ = v; }

 protected:
  void Paint() override;
  void CMMouseEnter(TMessage& Message) override;
  void CMMouseLeave(TMessage& Message) override;

 private:
  bool isWinXP_ = false, flatFrame_ = false;
  TPoint captionAt_{-1, -1};
};

// Holder of one speed button that always fills it. The click comes with the release on the
// button, or with the press when ClickOnPress is set.
class TEsgEditButton : public TWinControl {
 public:
  explicit TEsgEditButton(TComponent* AOwner);
  std::string ClassName() const override { return "TEsgEditButton"; }
  TExtSpeedButton* Button() const { return button_; }
  const std::string& ButtonCaption() const { return caption_; }
  void SetButtonCaption(const std::string& v);
  TBitmap* Glyph() const { return button_->Glyph(); }
  void SetGlyph(TBitmap* v) { button_->SetGlyph(v); }
  TNumGlyphs NumGlyphs() const { return button_->NumGlyphs(); }
  void SetNumGlyphs(TNumGlyphs v) { button_->SetNumGlyphs(v); }
  bool Flat() const { return button_->Flat(); }
  void SetFlat(bool v) { button_->SetFlat(v); }
  bool IsWinXP() const { return button_->IsWinXP(); }
  void SetIsWinXP(bool v) { button_->SetIsWinXP(v); }
  TWinControl* FocusControl() const { return focusControl_; }
  void SetFocusControl(TWinControl* v);
  bool ClickOnPress() const { return clickOnPress_; }
  void SetClickOnPress(bool v) { clickOnPress_ = v; }
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void WndProc(TMessage& Message) override;

 private:
  void Pressed();
  void Released();
  bool clickOnPress_ = false;
  TExtSpeedButton* button_;
  std::string caption_;
  TWinControl* focusControl_ = nullptr;
};

class TEsgEditBtn : public TCustomEdit {
 public:
  using THolderMaker = std::function<TEsgEditButton*(TEsgEditBtn* Edit)>;
  explicit TEsgEditBtn(TComponent* AOwner, const THolderMaker& MakeHolder = nullptr);
  std::string ClassName() const override { return "TEsgEditBtn"; }
  int ButtonWidth() const { return button_->Width(); }
  void SetButtonWidth(int v);
  const std::string& ButtonCaption() const { return button_->ButtonCaption(); }
  void SetButtonCaption(const std::string& v) { button_->SetButtonCaption(v); }
  TBitmap* Glyph() const { return button_->Glyph(); }
  void SetGlyph(TBitmap* v) { button_->SetGlyph(v); }
  TNumGlyphs NumGlyphs() const { return button_->NumGlyphs(); }
  void SetNumGlyphs(TNumGlyphs v) { button_->SetNumGlyphs(v); }
  bool EditorEnabled() const { return editorEnabled_; }
  void SetEditorEnabled(bool v) { editorEnabled_ = v; }
  bool RightAlign() const { return rightAlign_; }
  void SetRightAlign(bool v);
  bool IsWinXP() const { return button_->IsWinXP(); }
  void SetIsWinXP(bool v) { button_->SetIsWinXP(v); }
  TEsgEditButton* EmbeddedButton() const { return button_; }
  // The button's place depends on the border.
  void SetBorderStyle(TBorderStyle v);
  // Room kept free between the text and the button (the unit edit's unit).
  int UnitSpace() const { return unitSpace_; }
  void SetUnitSpace(int v);
  // The least height the font needs: its height and a quarter of the smaller of it and the system
  // font's height.
  virtual int MinHeight() const;

  // Fired by ClickButton with its sender.
  TNotifyEvent OnClickBtn;
  // The embedded button calls it with itself as sender, F4 with the edit.
  virtual void ClickButton(TObject* Sender);

 protected:
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  void WMPaste(TMessage& Message) override;
  void WMCut(TMessage& Message) override;
  bool EditKey(WORD Key, TShiftState Shift) override;
  void BoundsChanged() override;
  virtual void PlaceButton();
  // Where the client area of a window with the system's 3-D border would start: our edit's frame is
  // drawn inside its window, so places given in client coordinates move in by it.
  int BorderInset() const;

  TEsgEditButton* button_;
  bool editorEnabled_ = true, rightAlign_ = false;
  int unitSpace_ = 0;
};

// An edit with a button that picks the unit shown between the text and the button from a
// menu of Units (command ids 1..count in list order).
class TEsgUnitEditBtn : public TEsgEditBtn {
 public:
  explicit TEsgUnitEditBtn(TComponent* AOwner);
  std::string ClassName() const override { return "TEsgUnitEditBtn"; }
  TStringList* Units() const { return units_.get(); }
  void SetUnits(TStrings* v) { units_->Assign(v); }
  const std::string& UnitID() const { return unitID_; }
  void SetUnitID(const std::string& v);
  // Shows the unit menu below the button's left part.
  void ClickButton(TObject* Sender) override;
  // A menu choice: ids outside 1..count change nothing.
  void UnitCommand(int Id);
  TPopupMenu* UnitMenu() const { return menu_; }
  // Where the unit shows: left of the button, UnitSpace wide.
  TRect UnitRect() const;
  TCustomControl* UnitBox() const { return unitBox_; }

 protected:
  void PlaceButton() override;

 private:
  std::unique_ptr<TStringList> units_;
  std::string unitID_;
  TPopupMenu* menu_ = nullptr;
  TCustomControl* unitBox_ = nullptr;
};

// ------------------------------------------------------------ date-time picker
enum TDateTimeKind { dtkDate, dtkTime };

class TCalendarPopup;

// Shows one date or one time as text; typing edits the text, Ctrl+Up and Ctrl+Down step the
// part under the caret, and the value follows each text that reads as one. A date picker
// without UpDown drops a month calendar from its button, F4 or Alt+Down: a picked day becomes
// the date (the time of day stays), Escape closes the calendar with the date as it was. Times
// and the up-down style have a spin pair at the right edge instead, whose buttons step the part
// under the caret as the keys do (held, they repeat).
class TEsgDateTimePicker : public TCustomEdit {
 public:
  explicit TEsgDateTimePicker(TComponent* AOwner);
  std::string ClassName() const override { return "TEsgDateTimePicker"; }
  TDateTimeKind Kind() const { return kind_; }
  void SetKind(TDateTimeKind v);
  TDateTime DateTime() const { return dateTime_; }
  void SetDateTime(TDateTime v);
  // The date keeps the time of day and the time keeps the date.
  TDateTime Date() const;
  void SetDate(TDateTime v);
  TDateTime Time() const;
  void SetTime(TDateTime v);
  // Up-down style: no calendar (the date is typed and stepped).
  bool UpDown() const { return upDown_; }
  void SetUpDown(bool v);
  // A date picker without UpDown.
  bool HasCalendar() const { return kind_ == dtkDate && !upDown_; }
  void DropDown();
  void CloseUp();
  bool DroppedDown() const;
  // Made with the first drop-down.
  TCalendarPopup* Calendar() const { return calendar_; }
  // The calendar's button at the right edge (empty without a calendar).
  TRect ButtonRect() const;
  // The spin pair of times and the up-down style (hidden while there is a calendar).
  TEsgSpinButton* UpDownButton() const { return arrows_; }
  // One step of the part under the caret: up for Dir 1, down for -1. Dates stop at the
  // platform's first and last day, times wrap through midnight.
  void StepPart(int Dir);
  // F4 or Alt+Down/Up: the keys that drop the calendar.
  static bool IsDropKey(WORD Key, TShiftState Shift);

  TNotifyEvent OnDropDown, OnCloseUp;

 protected:
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void Change() override;
  void PaintOver(TCanvas* Canvas) override;
  void BoundsChanged() override;
  // A hidden picker takes its calendar with it.
  void CMVisibleChanged(TMessage& Message) override;
  void ShowValue();
  // A day was picked in the calendar and is the date now.
  virtual void DayPicked() {}

  TDateTimeKind kind_ = dtkDate;
  TDateTime dateTime_;
  bool showing_ = false, upDown_ = false;
  TCalendarPopup* calendar_ = nullptr;
  TEsgSpinButton* arrows_ = nullptr;

 private:
  // The text, the calendar's button or the spin pair, by the kind and style.
  void PlaceParts();
};
