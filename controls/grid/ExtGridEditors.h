#pragma once
// The grid's in-cell editor controls, made on first use through one factory: each takes
// the cell's value in, tells its changes to the grid's events, gives its value back through
// the grid's validation, and hands the keys that leave it to the grid.
#include <memory>
#include <string>

#include "controls/edits/EsgEdits.h"
#include "controls/grid/BaseGrid.h"
#include "platform/gui/RichEdit.h"
#include "platform/gui/StdCtrls.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/Types.h"

class TExtStringGrid;

// The item a drop-down list takes for a cell: the item equal to the text, else a preset
// index that names an item, else the first item; -1 when the list holds no item.
int ComboListPick(const TStrings& Items, const std::string& CellText, int Preset);
// The date (time) a date or time editor starts from: the cell's text read in the locale's
// format; the current date and time when the text is empty or not a date (time).
TDateTime CellDateOrNow(const std::string& Text, bool TimeKind);
// A unit edit's cell text split: the leading digits, ",", "-" and "." are the value, the rest the unit.
void SplitValueAndUnit(const std::string& Text, std::string& Value, std::string& Unit);
// The text a wide control edits: "|\" encoded cell text decoded, other text as it is (UTF-8).
std::string CellWideText(const std::string& Text);

// Which keys leave a control and what they do there.
enum TCellKeys {
  ckLine,    // Tab, Return, Up and Down commit (one-line controls)
  ckTyped,   // a typed combo's closed list: as ckLine, and Page Up, Page Down and End leave
  ckList,    // Tab and Return commit; Left and Right leave; Up and Down move in the list
  ckMemo,    // only Tab commits
  ckButton,  // every arrow commits; Return stays in it
  ckCheck,   // Return and every arrow commit; Page Up, Page Down and End leave
  ckDate,    // Tab, Return, Page Up, Page Down and End leave; Up and Down step the date
};

// What the grid asks of every in-cell control.
class TCellEditorSide {
 public:
  virtual ~TCellEditorSide() = default;
  // Takes the cell's text in for the kind.
  virtual void TakeCell(const std::string& Text, TEditorType Kind) = 0;
  // The text the cell gets; false when the control writes nothing back.
  virtual bool CellValue(std::string& Value) const = 0;
  // What the control shows now (a change from the opening one is written back).
  virtual std::string Shown() const = 0;
  // The keys that leave it now.
  virtual TCellKeys Keys() const { return ckLine; }
  // Gets the character that opened the edit, as typed into it.
  virtual void TakeStartKey(char32_t Key);
  // Escape: true when the control takes the cell's text back and stays open; false when it
  // hands Escape to the grid, which ends the edit.
  virtual bool KeepsOnEscape() const { return true; }
  // Takes the cell's stored text back on Escape.
  virtual void TakeBack(const std::string& Text, TEditorType Kind) { TakeCell(Text, Kind); }
};

// Types the character that opened an edit into an editor control, over all its text.
void TypeStartKey(TWinControl* AControl, char32_t Key);

// Keys every in-cell control shares: Escape gives the control the cell's text back (or, for
// the controls that hand it on, restores the cell and ends the edit), the keys that leave the
// control give its value to the cell and hand the key to the grid. Answers whether it took the key.
bool CellControlKey(TExtStringGrid* AGrid, TCellEditorSide& Side, WORD& Key, TShiftState Shift);
// The caret at the end of an edit's or a typed combo's text.
void CaretToEnd(TWinControl* AControl);
// What an in-cell control asks of the dialog manager: Return, and Tab when the grid walks with it.
LRESULT CellEditorDlgCode(TExtStringGrid* AGrid, LRESULT Inherited);
// Leaving the control ends its edit.
void CellControlExit(TExtStringGrid* AGrid, TWinControl* AControl);
// Entering it: all its text is selected with EditSelectAll, else the caret goes to the end.
void CellControlEnter(TExtStringGrid* AGrid, TWinControl* AControl);
// A text change of the control, told to OnEditChange for the edited cell.
void CellControlChange(TExtStringGrid* AGrid, const std::string& Text);

// One in-cell control: a control with the grid's editing protocol.
template <class TBase>
class TCellControl : public TBase, public TCellEditorSide {
 public:
  explicit TCellControl(TExtStringGrid* AGrid);
  TExtStringGrid* Grid() const { return grid_; }

 protected:
  void KeyDown(WORD& Key, TShiftState Shift) override {
    if (!CellControlKey(grid_, *this, Key, Shift)) TBase::KeyDown(Key, Shift);
  }
  void KeyPress(char& Key) override {
    // Tab and Return leave the control; they never reach its text.
    if (Key == '\t' || (Key == '\r' && Keys() != ckMemo)) return;
    TBase::KeyPress(Key);
  }
  void DoEnter() override {
    TBase::DoEnter();
    CellControlEnter(grid_, this);
  }
  void DoExit() override {
    CellControlExit(grid_, this);
    TBase::DoExit();
  }
  void WMGetDlgCode(TMessage& Message) override {
    TBase::WMGetDlgCode(Message);
    Message.Result = CellEditorDlgCode(grid_, Message.Result);
  }

 private:
  TExtStringGrid* grid_;
};

// A combo box over a cell (edComboEdit: typed text; edComboList: a choice from the list).
// Its choices, typed changes and close-ups reach the grid as the combo box's notifications;
// the grid's wheel steps its item.
class TGridCombo : public TCellControl<TESGComboBox> {
 public:
  explicit TGridCombo(TExtStringGrid* AGrid);
  std::string ClassName() const override { return "TGridCombo"; }
  void TakeCell(const std::string& Text, TEditorType Kind) override;
  bool CellValue(std::string& Value) const override;
  std::string Shown() const override;
  TCellKeys Keys() const override;
  // The cell's text, with the item that matches it (a list without one has no choice).
  void TakeBack(const std::string& Text, TEditorType Kind) override;
  // One wheel step: a negative delta takes the next item, a positive one the one before;
  // the first and last items stop it, an empty list does nothing.
  void WheelStep(int Delta);
  // The open list's width for the items (AutoComboDropSize): the box's width, widened to the
  // widest item with room for the scroll bar when the list scrolls.
  int ItemsDropWidth();
  // Completes what is typed from the items with the grid's Lookup (on when made).
  bool LookupEnabled = true;
  // A wheel turned over the closed box, and the grid's wheel message while the list is
  // dropped down, step its item and go no further.
  void WndProc(TMessage& Message) override;

 protected:
  // The open list's wheel is the grid's, as a wheel over the grid is.
  bool ListWheel(int Delta, TShiftState Shift) override;
  void Select() override;
  void Change() override;
  void CloseUp() override;
  // The grid hears of the box's changes at the box's own moments (Notify).
  void NotifyParent(WORD) override {}
  void DoExit() override;
  void KeyUp(WORD& Key, TShiftState Shift) override;

 private:
  void Notify(WORD Code);
  void LookupComplete();
  bool selecting_ = false, list_ = false;
};

// The wide-text combo: the same box on Qt, where every control is Unicode.
class TGridUniCombo : public TGridCombo {
 public:
  // Its items' text breaks lines also at VT, FF, U+2028 and U+2029, as the wide memo's does.
  explicit TGridUniCombo(TExtStringGrid* AGrid);
  std::string ClassName() const override { return "TGridUniCombo"; }
  void TakeCell(const std::string& Text, TEditorType Kind) override;
  void TakeBack(const std::string& Text, TEditorType Kind) override;
};

// The date picker of edDateEdit (with its calendar), edDateEditUpDown (typed and stepped, no
// calendar) and edTimeEdit: the cell's date (time) in the locale's format. A day picked in the
// calendar commits as Return does.
class TGridDatePicker : public TCellControl<TEsgDateTimePicker> {
 public:
  using TCellControl::TCellControl;
  std::string ClassName() const override { return "TGridDatePicker"; }
  void TakeCell(const std::string& Text, TEditorType Kind) override;
  bool CellValue(std::string& Value) const override;
  std::string Shown() const override { return Text(); }
  TCellKeys Keys() const override { return ckDate; }
  bool KeepsOnEscape() const override { return false; }

 protected:
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void Change() override;
  void DayPicked() override;
};

// The spin edit of the spin kinds: integer, float, time or date. Page Up and Page Down step
// within the limits, Home and End go to the maximum and minimum; the steps are told to the
// grid's spin events, every text change to OnEditChange.
class TGridSpin : public TCellControl<TEsgSpinEdit> {
 public:
  explicit TGridSpin(TExtStringGrid* AGrid);
  std::string ClassName() const override { return "TGridSpin"; }
  void TakeCell(const std::string& Text, TEditorType Kind) override;
  bool CellValue(std::string& Value) const override;
  std::string Shown() const override { return Text(); }
  void UpClick(TObject* Sender) override;
  void DownClick(TObject* Sender) override;

 protected:
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void Change() override;

 private:
  void TellStep(bool Up);
};

// The check box of edCheckBox (the cell's text as caption) and edDataCheckBox (the check
// texts as its state, written back).
class TGridCheckBox : public TCellControl<TCheckBox> {
 public:
  using TCellControl::TCellControl;
  std::string ClassName() const override { return "TGridCheckBox"; }
  void TakeCell(const std::string& Text, TEditorType Kind) override;
  bool CellValue(std::string& Value) const override;
  std::string Shown() const override { return Checked() ? "1" : "0"; }
  TCellKeys Keys() const override { return ckCheck; }
  bool KeepsOnEscape() const override { return false; }
  void TakeStartKey(char32_t) override {}

 private:
  bool data_ = false;
};

// The edit with button of edEditBtn, edNumericEditBtn and edFloatEditBtn (and the wide
// edUniEditBtn): the button and F4 ask OnEllipsClick for the text.
class TGridEditBtn : public TCellControl<TEsgEditBtn> {
 public:
  explicit TGridEditBtn(TExtStringGrid* AGrid);
  std::string ClassName() const override { return "TGridEditBtn"; }
  void TakeCell(const std::string& Text, TEditorType Kind) override;
  bool CellValue(std::string& Value) const override;
  std::string Shown() const override { return Text(); }
  void ClickButton(TObject* Sender) override;

 protected:
  void KeyPress(char& Key) override;
  void Change() override;

 private:
  TEditorType kind_ = edEditBtn;
};

// The unit edit of edUnitEditBtn: the value in the edit, the unit beside it, "value unit" back.
class TGridUnitEditBtn : public TCellControl<TEsgUnitEditBtn> {
 public:
  explicit TGridUnitEditBtn(TExtStringGrid* AGrid) : TCellControl(AGrid) { SetButtonCaption("..."); }
  std::string ClassName() const override { return "TGridUnitEditBtn"; }
  void TakeCell(const std::string& Text, TEditorType Kind) override;
  bool CellValue(std::string& Value) const override;
  std::string Shown() const override { return Text() + '\x01' + UnitID(); }

 protected:
  void Change() override;
};

// The button of edButton: a click or Space asks OnEllipsClick with the caption and shows the
// answer; it writes nothing back. Return does nothing in it; Escape ends the edit and goes on
// to the grid's key handling.
class TGridButton : public TCellControl<TButton> {
 public:
  using TCellControl::TCellControl;
  std::string ClassName() const override { return "TGridButton"; }
  void TakeCell(const std::string& Text, TEditorType Kind) override;
  bool CellValue(std::string&) const override { return false; }
  std::string Shown() const override { return Caption(); }
  TCellKeys Keys() const override { return ckButton; }
  bool KeepsOnEscape() const override { return false; }
  void TakeStartKey(char32_t) override {}
  void Click() override;
};

// The wide edit and wide memo (edUniEdit, edUniMemo): the cell's wide text, UTF-8 back.
class TGridUniEdit : public TCellControl<TEdit> {
 public:
  using TCellControl::TCellControl;
  std::string ClassName() const override { return "TGridUniEdit"; }
  void TakeCell(const std::string& Text, TEditorType Kind) override;
  bool CellValue(std::string& Value) const override;
  std::string Shown() const override { return Text(); }

 protected:
  void Change() override;
};

class TGridUniMemo : public TCellControl<TMemo> {
 public:
  using TCellControl::TCellControl;
  std::string ClassName() const override { return "TGridUniMemo"; }
  // Wide text breaks lines also at VT, FF, U+2028 and U+2029 (Lines()->SetText comes here too).
  void SetText(const std::string& v) override;
  void TakeCell(const std::string& Text, TEditorType Kind) override;
  bool CellValue(std::string& Value) const override;
  std::string Shown() const override { return Text(); }
  TCellKeys Keys() const override { return ckMemo; }
};

// The grid's rich edit. The grid makes two: a hidden one that formats and measures rich text
// (its size requests are ReqWidth and ReqHeight) and one over the cell for edRichEdit, whose
// size requests grow the row while typing (SizeWhileTyping.Height, unless locked) and whose
// selection changes reach OnRichEditSelectionChange. An edit left unchanged writes nothing back.
class TExtRichEdit : public TCellControl<TRichEdit> {
 public:
  explicit TExtRichEdit(TExtStringGrid* AGrid);
  std::string ClassName() const override { return "TExtRichEdit"; }
  int ReqWidth() const { return reqWidth_; }
  int ReqHeight() const { return reqHeight_; }
  // Size requests are noted but change no row while locked (the grid loading a cell into it).
  bool ResizeLocked() const { return lock_; }
  void SetResizeLocked(bool v) { lock_ = v; }

  void TakeCell(const std::string& Text, TEditorType Kind) override;
  bool CellValue(std::string& Value) const override;
  std::string Shown() const override { return RtfText(); }
  // Tab leaves; Return starts a paragraph (Up and Down: KeyDown); Escape restores the cell and ends the edit.
  TCellKeys Keys() const override { return ckMemo; }
  bool KeepsOnEscape() const override { return false; }
  // The character that opened the edit goes in at the caret, in the text's format there.
  void TakeStartKey(char32_t Key) override;

 protected:
  void RequestSize(const TRect& Rect) override;
  void SelectionChange() override;
  void Change() override;
  // Up and Down, after the text has had them, leave for the grid unless its cells hold more than one line.
  void KeyDown(WORD& Key, TShiftState Shift) override;
  // Only the grid taking the focus ends the edit: a toolbar's font box may take it meanwhile.
  void DoExit() override;
  void WMKillFocus(TMessage& Message) override;

 private:
  int reqWidth_ = 0, reqHeight_ = 0;
  bool lock_ = false;
  std::string opened_;
};

// Makes each control once, when a cell first needs it; the grid owns them as their owner.
class TCellEditorFactory {
 public:
  explicit TCellEditorFactory(TExtStringGrid* AGrid) : grid_(AGrid) {}
  // The control for a kind, or null for kinds that edit as text.
  TWinControl* For(TEditorType Kind);
  TGridCombo* Combo();
  TGridDatePicker* DateEdit();
  TGridSpin* Spin();
  // The hidden rich edit that formats and measures rich text.
  TExtRichEdit* RichFormatter();
  // The control made so far for a kind (none made yet: null).
  TWinControl* Made(TEditorType Kind) const;

 private:
  template <class T>
  T* Make(T*& Slot);
  TExtStringGrid* grid_;
  TGridCombo* combo_ = nullptr;
  TGridUniCombo* uniCombo_ = nullptr;
  TGridDatePicker* date_ = nullptr;
  TGridSpin* spin_ = nullptr;
  TGridCheckBox* check_ = nullptr;
  TGridEditBtn* editBtn_ = nullptr;
  TGridUnitEditBtn* unit_ = nullptr;
  TGridButton* button_ = nullptr;
  TGridUniEdit* uniEdit_ = nullptr;
  TGridUniMemo* uniMemo_ = nullptr;
  TExtRichEdit* richFormat_ = nullptr;
  TExtRichEdit* richEdit_ = nullptr;
};
