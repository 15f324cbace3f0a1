#pragma once
// The typed single-line edit: a value between a fixed prefix and suffix, a
// character filter and paste rule per edit type, number formatting with the
// locale's separators, focus, error and modified colours, a caption label, the
// flat and focus-border looks, the link look, the drop-down lookup list and the
// value kept in an INI file or the registry.
//
// The rules that decide what a typed or pasted character does are plain
// functions over the value (ExtEditRules), so the window code only applies them.

#include <functional>
#include <memory>
#include <string>

#include "controls/edits/EsgEdits.h"
#include "platform/gui/Hints.h"
#include "platform/gui/StdCtrls.h"
#include "platform/rtl/Classes.h"

enum TExtEditType {
  etString, etNumeric, etFloat, etUppercase, etMixedCase, etLowerCase, etPassword, etMoney, etRange, etHex,
  etAlphaNumeric, etValidChars
};
enum TLabelPosition {
  lpLeftTop, lpLeftCenter, lpLeftBottom, lpTopLeft, lpBottomLeft, lpLeftTopLeft, lpLeftCenterLeft,
  lpLeftBottomLeft, lpTopCenter, lpBottomCenter
};
enum TPersistenceLocation { plInifile, plRegistry };

using TValueValidateEvent = std::function<void(TObject* Sender, std::string Value, bool& IsValid)>;
using TClipboardEvent = std::function<void(TObject* Sender, std::string& Value, bool& Allow)>;
using TLookupSelectEvent = std::function<void(TObject* Sender, std::string& Value)>;
using TLookupIndexSelectEvent = std::function<void(TObject* Sender, int Index, std::string& Value)>;
using TURLClickEvent = std::function<void(TObject* Sender, std::string URL, bool& Show)>;

// ---------------------------------------------------------------- rules
namespace ExtEditRules {
// The value inside a window text: the prefix and suffix come off only where they stand.
std::string StripAffixes(const std::string& Window, const std::string& Prefix, const std::string& Suffix);
// Digits before the decimal separator (thousand separators not counted).
int IntegerDigits(const std::string& Value);
// The number a float or money value holds; a thousand separator standing where the
// decimal separator goes (Precision places from the end, none present) reads as one.
double ReadNumber(const std::string& Value, int Precision);
// Hexadecimal digits as an unsigned 32-bit number; more than eight digits saturate.
double ReadHex(const std::string& Value);
// A run of digits with at most one "-" (in front).
bool IsInteger(const std::string& Value);
// Digits, at most one leading "-" and one decimal separator, thousand separators at
// least three characters apart and before the decimal separator.
bool IsDecimal(const std::string& Value);
// Whether a thousand or decimal separator may go at Caret of a value holding thousand separators.
bool GroupingAllows(const std::string& Value, int Caret);
// Caret behind the decimal separator with every decimal present.
bool DecimalsFull(const std::string& Value, int Caret, int Precision);
// Upper case after spaces and punctuation, with the "Mc", "Mac" and roman numeral rules.
std::string MixedCase(const std::string& Value);
std::string UpperText(const std::string& Value);
std::string LowerText(const std::string& Value);
// Groups the integer part with thousand separators (Grouped) or takes them out, keeping
// the sign and the decimal part as typed.
std::string ThousandsPass(const std::string& Value, bool Grouped);
// A value that the link look shows as a link.
bool LooksLikeLink(const std::string& Value);
// The address the link look opens: http(s), ftp and mailto only ("mailto:" or "http://"
// added where missing); empty for anything else (files, programs, other schemes).
std::string LinkAddress(const std::string& Value);
// The list keeps at least this much height when it must be shortened to fit a screen.
constexpr int kLookupMinHeight = 28;
// Where a lookup list of Width x Height goes: at At (under the edit) within WorkArea, the
// screen's work area; above the edit (EditRect, screen coordinates) when below has too
// little room, pushed left to stay on the screen.
TRect LookupPlace(TPoint At, int Width, int Height, const TRect& EditRect, const TRect& WorkArea);
// The lookup list's order, as a person reads it: without case first, then as written.
bool LookupBefore(const std::string& A, const std::string& B);
}  // namespace ExtEditRules

// ---------------------------------------------------------------- lookup and persistence
class TLookupSettings : public TPersistent {
 public:
  TLookupSettings();
  std::string ClassName() const override { return "TLookupSettings"; }
  void Assign(TPersistent* Source) override;

  TStringList* DisplayList() const { return display_.get(); }
  void SetDisplayList(TStrings* v) { display_->Assign(v); }
  TStringList* ValueList() const { return value_.get(); }
  void SetValueList(TStrings* v) { value_->Assign(v); }
  int NumChars() const { return numChars_; }
  void SetNumChars(int v) { if (v > 0) numChars_ = v; }
  int DisplayCount() const { return displayCount_; }
  void SetDisplayCount(int v) { if (v > 0) displayCount_ = v; }
  bool Enabled = false;
  TColor Color = clWindow;
  bool CaseSensitive = false;
  bool History = false;
  bool Multi = false;
  char Separator = ';';

 private:
  std::unique_ptr<TStringList> display_, value_;
  int numChars_ = 2, displayCount_ = 4;
};

class TPersistence : public TPersistent {
 public:
  std::string ClassName() const override { return "TPersistence"; }
  void Assign(TPersistent* Source) override;
  bool Enable = false;
  std::string Key;
  std::string Section;
  TPersistenceLocation Location = plInifile;
};

class TExtEdit;

// The drop-down of the lookup list.
class TListHintWindow : public THintWindow {
 public:
  explicit TListHintWindow(TComponent* AOwner);
  std::string ClassName() const override { return "TListHintWindow"; }
  TListBox* ListControl = nullptr;
  // The DisplayList index of each list entry.
  std::vector<int> Indexes;

 protected:
  // The bottom-right corner sizes the window; the list fills it inside the frame.
  void Dispatch(TMessage& Message) override;
  void Resize() override;
};

// ---------------------------------------------------------------- the edit
class TExtEdit : public TCustomEdit {
 public:
  explicit TExtEdit(TComponent* AOwner);
  ~TExtEdit() override;
  std::string ClassName() const override { return "TExtEdit"; }

  // The value without Prefix and Suffix.
  std::string Text() const override;
  void SetText(const std::string& v) override;
  double NumberValue() const;
  void SetNumberValue(double v);
  int IntegerValue() const;
  void SetIntegerValue(int v);

  TExtEditType EditType() const { return editType_; }
  void SetEditType(TExtEditType v);
  TEditAlign EditAlign() const { return editAlign_; }
  void SetEditAlign(TEditAlign v);
  TEditAlign FocusAlign() const { return focusAlign_; }
  void SetFocusAlign(TEditAlign v) { focusAlign_ = v; }
  const std::string& Prefix() const { return prefix_; }
  void SetPrefix(const std::string& v);
  const std::string& Suffix() const { return suffix_; }
  void SetSuffix(const std::string& v);
  int Precision() const { return precision_; }
  void SetPrecision(int v);
  int LengthLimit() const { return lengthLimit_; }
  void SetLengthLimit(int v) { lengthLimit_ = static_cast<int16_t>(v); }
  bool TabOnFullLength = false;
  bool Signed = false;
  bool AutoThousandSeparator() const { return autoThousands_; }
  void SetAutoThousandSeparator(bool v);
  bool ExcelStyleDecimalSeparator = false;
  std::string ValidChars;
  bool CanUndoValue() const { return canUndo_; }
  void SetCanUndo(bool v) { canUndo_ = v && editType_ != etPassword; }
  bool ReturnIsTab = false;
  bool AutoFocus = false;

  TColor FocusColor() const { return focusColor_; }
  void SetFocusColor(TColor v) { focusColor_ = v; }
  TColor FocusFontColor = clWindowText;
  int FocusWidthInc = 0;
  bool FocusBorder() const { return focusBorder_; }
  void SetFocusBorder(bool v);
  TColor FocusBorderColor() const { return focusBorderColor_; }
  void SetFocusBorderColor(TColor v);
  bool FocusLabel = false;
  bool ShowModified = false;
  TColor ModifiedColor = clHighlight;
  bool ShowError() const { return showError_; }
  void SetShowError(bool v) { showError_ = v; }
  TColor ErrorColor = clRed;
  TColor ErrorFontColor = clWhite;
  int ErrorMarkerPos() const { return errorMarkerPos_; }
  void SetErrorMarkerPos(int v);
  int ErrorMarkerLen() const { return errorMarkerLen_; }
  void SetErrorMarkerLen(int v);
  TColor DisabledColor() const { return disabledColor_; }
  void SetDisabledColor(TColor v);
  bool Flat() const { return flat_; }
  void SetFlat(bool v);
  TColor FlatLineColor() const { return flatLineColor_; }
  void SetFlatLineColor(TColor v);
  bool FlatParentColor = true;
  bool SoftBorder() const { return softBorder_; }
  void SetSoftBorder(bool v);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool v);
  const std::string& EmptyText() const { return emptyText_; }
  void SetEmptyText(const std::string& v);
  bool ShowURL() const { return showURL_; }
  void SetShowURL(bool v);
  TColor URLColor = clBlue;
  bool HintShowLargeText = false;

  const std::string& LabelCaption() const { return labelCaption_; }
  void SetLabelCaption(const std::string& v);
  TLabelPosition LabelPosition() const { return labelPosition_; }
  void SetLabelPosition(TLabelPosition v);
  int LabelMargin() const { return labelMargin_; }
  void SetLabelMargin(int v);
  TFont* LabelFont() const { return labelFont_.get(); }
  void SetLabelFont(TFont* v) { labelFont_->Assign(v); }
  bool LabelTransparent() const { return labelTransparent_; }
  void SetLabelTransparent(bool v);
  bool LabelAlwaysEnabled() const { return labelAlwaysEnabled_; }
  void SetLabelAlwaysEnabled(bool v);
  TLabel* EditLabel() const { return label_; }

  bool OleDropSource = false;
  bool OleDropTarget() const { return oleDropTarget_; }
  void SetOleDropTarget(bool v);

  TLookupSettings* Lookup() const { return lookup_.get(); }
  void SetLookup(TLookupSettings* v) { lookup_->Assign(v); }
  TPersistence* Persistence() const { return persistence_.get(); }
  void SetPersistence(TPersistence* v) { persistence_->Assign(v); }
  TListHintWindow* LookupWindow() const { return lookupWindow_; }
  bool LookupShown() const;

  std::string Version() const { return "2.7.0.2"; }
  void SetVersion(const std::string&) {}
  virtual int VersionNumber() const;

  // Writing Color makes it the background that focus and error colours return to.
  void SetEditColor(TColor v);
  void SetEnabled(bool v) override;
  void SetVisible(bool v) override;
  void SetParent(TWinControl* AParent) override;
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  // Written while loading, it is the design height, applied again when loading ends.
  void SetHeight(int v);

  bool IsModified() const { return isModified_; }
  bool ErrorShown() const { return error_; }
  bool URLLook() const { return urlLook_; }
  virtual bool IsValueValid(const std::string& Value);
  virtual void ValidateValue(const std::string& Value, bool& IsValid);
  // Keeps the value and the lookup history; errors of the store are reported, never thrown.
  virtual void LoadPersistence();
  virtual void SavePersistence();
  // The default INI file of the persistence: "<settings folder>/<program>.ini".
  static std::string DefaultIniFile();

  // The lookup list: refreshed from the typed value, and the chosen entry taken.
  void UpdateLookup();
  void ChooseLookupEntry();
  void HideLookup();

  // Text dropped on the edit at a client point (only its first line is taken, through the
  // paste rule); Copy keeps a selection dragged from this edit in place.
  void DropText(TPoint P, const std::string& S, bool Copy);
  // Moves the drop caret to the character at a client point ((-1, -1) clears it); false when
  // the edit takes no drop.
  bool DragMouseMove(TPoint P);

  TValueValidateEvent OnValueValidate;
  TClipboardEvent OnClipboardCopy, OnClipboardCut, OnClipboardPaste;
  TLookupSelectEvent OnLookupSelect;
  TLookupIndexSelectEvent OnLookupIndexSelect;
  TURLClickEvent OnURLClick;
  TNotifyEvent OnLabelClick, OnLabelDblClick;

 protected:
  void Loaded() override;
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void WMKeyDown(TMessage& Message) override;
  void WMChar(TMessage& Message) override;
  void WMPaste(TMessage& Message) override;
  void WMCopy(TMessage& Message) override;
  void WMCut(TMessage& Message) override;
  void DoEnter() override;
  void DoExit() override;
  void Change() override;
  void WMMouseButton(TMessage& Message) override;
  void WMMouseMove(TMessage& Message) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void CMMouseEnter(TMessage& Message) override;
  // Taking the parent's font again gives the label the parent's font too.
  void CMParentFontChanged(TMessage& Message) override;
  void CMMouseLeave(TMessage& Message) override;
  void CMHintShow(TMessage& Message) override;
  void CMColorChanged(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;
  void WMGetDlgCode(TMessage& Message) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void PaintOver(TCanvas* Canvas) override;

 private:
  enum class TFilter { Refused, Dropped, Passed };
  struct TValueState {
    std::string Value;
    int Caret = 0, SelLen = 0, PrefixLen = 0;
  };
  TValueState State() const;
  void KeepSelectionInValue();
  // Sets the window text to Prefix + Value + Suffix with the caret at Caret of the value.
  void SetValue(const std::string& Value, int Caret, bool Swallow);
  TFilter FilterChar(char32_t& Ch, LPARAM KeyData, TShiftState Shift);
  TFilter TypeRule(char32_t& Ch);
  TFilter NumberRule(char Ch);
  TFilter ToggleSign();
  void RunThousandsPass();
  void AfterChar(char32_t Ch, TFilter Result);
  bool PasteAllowed(const std::string& Pasted, std::string& Value);
  // The one rule for text put in by paste or drop.
  bool InsertChecked(const std::string& Inserted, bool Dropped);
  void MarkModified(bool v);
  void ApplyModifiedColor();
  void SetError(bool v);
  void UpdateURL();
  void SelectValue();
  void ApplyAlign(TEditAlign v);
  void PlaceLabel();
  void ApplyLabelFont();
  void ApplyFlat();
  void SetColorInternal(TColor v);
  void SetFontColor(TColor v);
  void MoveLookupSelection(WORD Key);
  std::string NumberText(double v, bool Thousands) const;
  bool IsTextNumber() const;

  TExtEditType editType_ = etString;
  TEditAlign editAlign_ = eaLeft, focusAlign_ = eaDefault, savedAlign_ = eaLeft;
  std::string prefix_, suffix_;
  int16_t precision_ = 0, lengthLimit_ = 0;
  bool autoThousands_ = true, canUndo_ = true;
  TColor focusColor_ = clNone, focusBorderColor_ = clNone, disabledColor_ = clSilver, flatLineColor_ = clBlack;
  bool focusBorder_ = false, showError_ = false, flat_ = false, softBorder_ = false, transparent_ = false;
  bool showURL_ = false;
  int errorMarkerPos_ = 0, errorMarkerLen_ = 0;
  std::string emptyText_;
  std::string labelCaption_;
  TLabelPosition labelPosition_ = lpLeftTop;
  int labelMargin_ = 4;
  std::unique_ptr<TFont> labelFont_;
  bool labelTransparent_ = false, labelAlwaysEnabled_ = false;
  TLabel* label_ = nullptr;
  bool oleDropTarget_ = false;
  std::unique_ptr<TLookupSettings> lookup_;
  std::unique_ptr<TPersistence> persistence_;
  TListHintWindow* lookupWindow_ = nullptr;
  int lookupWidth_ = 0;

  TColor normalColor_ = clWindow, normalFontColor_ = clWindowText;
  bool settingColor_ = false;
  std::string focusText_;
  bool focusAligned_ = false, widened_ = false;
  int designHeight_ = -1;
  bool labelBold_ = false;        // FocusLabel's bold while focused
  bool labelParentFont_ = false;  // the label shows the parent's font, not LabelFont
  bool error_ = false, urlLook_ = false, isModified_ = false, reformatting_ = false;
  bool hovered_ = false, validating_ = false, listEscaped_ = false;
  bool dragPending_ = false, dragOrigin_ = false, droppedOnSelf_ = false, dropRegistered_ = false;
  int dropCaret_ = -1;
  TBorderStyle normalBorder_ = bsSingle;
};
