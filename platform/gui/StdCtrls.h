#pragma once
// The standard controls: label, group box, push button, check box, radio
// button, edit, memo, combo box, list box and scroll bar.
//
// Each windowed control keeps its state here and shows it through a Qt widget
// peer created with its window; the control works the same before its window
// exists. Single-line edits do their own editing (typed characters, caret and
// selection keys, clipboard), so key handlers that change or swallow a key
// behave as they do with the class library's edits.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/gui/Controls.h"

class TCustomForm;

enum TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };
enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };
enum TComboBoxStyle { csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable };
enum TListBoxStyle { lbStandard, lbOwnerDrawFixed, lbOwnerDrawVariable };
enum TScrollBarKind { sbHorizontal, sbVertical };
enum TScrollCode { scLineUp, scLineDown, scPageUp, scPageDown, scPosition, scTrack, scTop, scBottom, scEndScroll };
enum TOwnerDrawStateFlag : unsigned { odSelected = 1, odGrayed = 2, odDisabled = 4, odChecked = 8, odFocused = 16,
                                      odDefault = 32, odComboBoxEdit = 4096 };
using TOwnerDrawState = unsigned;

using TDrawItemEvent =
    std::function<void(TWinControl* Control, int Index, TRect Rect, TOwnerDrawState State)>;
using TScrollEvent = std::function<void(TObject* Sender, TScrollCode ScrollCode, int& ScrollPos)>;

// ---------------------------------------------------------------- label
class TCustomLabel : public TGraphicControl {
 public:
  explicit TCustomLabel(TComponent* AOwner);
  std::string ClassName() const override { return "TCustomLabel"; }

  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment v);
  TTextLayout Layout() const { return layout_; }
  void SetLayout(TTextLayout v);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool v);
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool v);
  bool ShowAccelChar() const { return showAccelChar_; }
  void SetShowAccelChar(bool v);
  TWinControl* FocusControl() const { return focusControl_; }
  void SetFocusControl(TWinControl* v);
  void SetAutoSize(bool v) override;

  void WndProc(TMessage& Message) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 protected:
  void Paint() override;
  void Loaded() override;
  // Draws (or with DT_CALCRECT measures) the caption in Rect.
  virtual void DoDrawText(TRect& Rect, unsigned Flags);
  void AdjustBounds();
  void CMTextChanged(TMessage& Message) override;
  void CMFontChanged(TMessage& Message) override;
  unsigned TextFlags() const;

  TAlignment alignment_ = taLeftJustify;
  TTextLayout layout_ = tlTop;
  bool transparent_ = false;
  bool wordWrap_ = false;
  bool showAccelChar_ = true;
  TWinControl* focusControl_ = nullptr;
};

class TLabel : public TCustomLabel {
 public:
  explicit TLabel(TComponent* AOwner) : TCustomLabel(AOwner) {}
  std::string ClassName() const override { return "TLabel"; }
};

// ---------------------------------------------------------------- group box
class TCustomGroupBox : public TCustomControl {
 public:
  explicit TCustomGroupBox(TComponent* AOwner);
  std::string ClassName() const override { return "TCustomGroupBox"; }
  void AdjustClientRect(TRect& Rect) override;

 protected:
  void Paint() override;
  void CMTextChanged(TMessage& Message) override;
  void CMFontChanged(TMessage& Message) override;
  void CMDialogChar(TMessage& Message) override;
};

class TGroupBox : public TCustomGroupBox {
 public:
  explicit TGroupBox(TComponent* AOwner) : TCustomGroupBox(AOwner) {}
  std::string ClassName() const override { return "TGroupBox"; }
};

// ---------------------------------------------------------------- buttons
class TButtonControl : public TWinControl {
 public:
  explicit TButtonControl(TComponent* AOwner);
  std::string ClassName() const override { return "TButtonControl"; }

 protected:
  void CMTextChanged(TMessage& Message) override;
  // Pushes the caption into the peer.
  virtual void UpdatePeerCaption();
  // Clicks queued by the peer run through here, counted as busy on the form.
  void PeerClicked(const std::function<void()>& Body);
};

class TButton : public TButtonControl {
 public:
  explicit TButton(TComponent* AOwner);
  std::string ClassName() const override { return "TButton"; }

  bool Default() const { return default_; }
  void SetDefault(bool v);
  bool Cancel() const { return cancel_; }
  void SetCancel(bool v) { cancel_ = v; }
  TModalResult ModalResult() const { return modalResult_; }
  void SetModalResult(TModalResult v) { modalResult_ = v; }
  // Sets the parent form's modal result, then fires OnClick.
  void Click() override;
  // Return clicks the focused button, else the default one.
  bool Active() const;

 protected:
  QWidget* CreatePeer(QWidget* ParentWidget) override;
  void CreateWnd() override;
  void CMDialogKey(TMessage& Message) override;
  void CMDialogChar(TMessage& Message) override;

  bool default_ = false;
  bool cancel_ = false;
  TModalResult modalResult_ = mrNone;
};

class TCustomCheckBox : public TButtonControl {
 public:
  explicit TCustomCheckBox(TComponent* AOwner);
  std::string ClassName() const override { return "TCustomCheckBox"; }

  TCheckBoxState State() const { return state_; }
  // A change fires OnClick, as a click does.
  void SetState(TCheckBoxState v);
  bool Checked() const { return state_ == cbChecked; }
  void SetChecked(bool v) { SetState(v ? cbChecked : cbUnchecked); }
  bool AllowGrayed() const { return allowGrayed_; }
  void SetAllowGrayed(bool v) { allowGrayed_ = v; }
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment v);
  // The state a click moves to: unchecked, (grayed,) checked, unchecked...
  virtual void Toggle();

 protected:
  QWidget* CreatePeer(QWidget* ParentWidget) override;
  void CreateWnd() override;
  void CMDialogChar(TMessage& Message) override;
  void UpdatePeerState();

  TCheckBoxState state_ = cbUnchecked;
  bool allowGrayed_ = false;
  TAlignment alignment_ = taRightJustify;
};

class TCheckBox : public TCustomCheckBox {
 public:
  explicit TCheckBox(TComponent* AOwner) : TCustomCheckBox(AOwner) {}
  std::string ClassName() const override { return "TCheckBox"; }
};

class TRadioButton : public TButtonControl {
 public:
  explicit TRadioButton(TComponent* AOwner);
  std::string ClassName() const override { return "TRadioButton"; }

  bool Checked() const { return checked_; }
  // Checking unchecks the other radio buttons of the same parent and fires OnClick.
  void SetChecked(bool v);
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment v);

 protected:
  QWidget* CreatePeer(QWidget* ParentWidget) override;
  void CreateWnd() override;
  void CMDialogChar(TMessage& Message) override;
  void WMSetFocus(TMessage& Message) override;
  // Reached by the keyboard (arrow keys within a group), a radio button checks itself.
  void DoEnter() override;
  void UpdatePeerState();

  bool checked_ = false;
  TAlignment alignment_ = taRightJustify;
  bool mouseEntry_ = false;
};

// ---------------------------------------------------------------- edits
class TCustomEdit : public TWinControl {
 public:
  explicit TCustomEdit(TComponent* AOwner);
  ~TCustomEdit() override;
  std::string ClassName() const override { return "TCustomEdit"; }

  // Text set by the program takes the character case too; a change fires OnChange.
  void SetText(const std::string& v) override;
  int MaxLength() const { return maxLength_; }
  // Limits typing and pasting only (0: no limit); text set by the program is kept whole.
  virtual void SetMaxLength(int v);
  TEditCharCase CharCase() const { return charCase_; }
  void SetCharCase(TEditCharCase v);
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool v);
  char PasswordChar() const { return passwordChar_; }
  void SetPasswordChar(char v);
  bool AutoSelect() const { return autoSelect_; }
  void SetAutoSelect(bool v) { autoSelect_ = v; }
  bool HideSelection() const { return hideSelection_; }
  // True: the selection is not shown while the edit has no focus (it stays and shows again with it).
  void SetHideSelection(bool v);
  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle v);
  bool Modified() const { return modified_; }
  void SetModified(bool v) { modified_ = v; }
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment v);
  // Space kept free inside a one-line edit around its text (an embedded button's place).
  void SetTextMargins(int Left, int Top, int Right, int Bottom);
  // A bordered one-line edit whose frame, this many pixels wide, the control draws itself
  // (in PaintOver) instead of the desktop's; 0: the desktop's frame.
  int OwnFrameWidth() const { return ownFrame_; }
  void SetOwnFrameWidth(int Width);
  // No background of its own: the parent and the controls under the edit show through the text.
  bool TransparentBackground() const { return transparentBack_; }
  void SetTransparentBackground(bool v);

  // Selection (0-based byte positions).
  int SelStart() const;
  void SetSelStart(int v);
  int SelLength() const;
  void SetSelLength(int v);
  std::string SelText() const;
  // Replaces the selection as typing would (read-only and length limit aside).
  void SetSelText(const std::string& v);
  void SelectAll();
  void ClearSelection();
  void Clear() { SetText(std::string()); }
  // The byte position of the character nearest to a point of the client area (-1 without a window).
  int CharFromPos(TPoint P) const;
  // Where the caret stands before the character at byte position Pos, in client coordinates
  // (its top; -1, -1 without a window).
  TPoint PosFromChar(int Pos);
  // The clipboard commands go through WM_COPY, WM_CUT, WM_PASTE and WM_UNDO,
  // so a control may refuse them in its message handlers.
  void CopyToClipboard() { Perform(WM_COPY); }
  void CutToClipboard() { Perform(WM_CUT); }
  void PasteFromClipboard() { Perform(WM_PASTE); }
  bool CanUndo() const { return undoValid_; }
  void Undo() { Perform(WM_UNDO); }
  void ClearUndo() { undoValid_ = false; }

  TNotifyEvent OnChange;

  // Editing as the user does it: a character (8 deletes backwards) and the
  // caret, selection, delete and clipboard keys. The window's keys arrive here
  // after the key handlers; tests may call them directly.
  // A typed character (not a byte); it goes into the text as UTF-8.
  virtual void EditChar(char32_t Ch);
  virtual bool EditKey(WORD Key, TShiftState Shift);

 protected:
  QWidget* CreatePeer(QWidget* ParentWidget) override;
  void CreateWnd() override;
  void CMTextChanged(TMessage& Message) override;
  void CMColorChanged(TMessage& Message) override;
  // With AutoSize, a bordered one-line edit takes the height of its font.
  void CMFontChanged(TMessage& Message) override;
  void WMGetDlgCode(TMessage& Message) override;
  void WMKeyDown(TMessage& Message) override;
  void WMChar(TMessage& Message) override;
  void WMSetFocus(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;
  virtual void WMCopy(TMessage& Message);
  virtual void WMCut(TMessage& Message);
  virtual void WMPaste(TMessage& Message);
  virtual void WMClear(TMessage& Message);
  virtual void WMUndo(TMessage& Message);
  void DoEnter() override;
  virtual void Change();
  // Shows the alignment in the peer.
  virtual void PushAlignment();
  // The one-line peer's frame and text margins (the control's own frame counted in).
  void PushFrame();
  // Inserts typed or pasted text in place of the selection; refuses with a beep
  // what the length limit or ReadOnly does not allow.
  virtual void InsertText(const std::string& s);
  virtual void DeleteBack();
  virtual void DeleteForward();
  // The text with the character case applied.
  std::string ApplyCase(const std::string& s) const;
  // What the peer shows (password characters in place of the text).
  virtual std::string DisplayText() const;
  // Replaces the text and puts the caret at Caret, as an edit by the user.
  void ReplaceText(const std::string& s, int Caret);
  void SetSel(int Anchor, int Caret);
  virtual void PushToPeer();
  // The peer gained or lost the focus; Base runs the widget's own handling.
  void PeerFocusChanged(bool In, const std::function<void()>& Base);
  // The selection is kept but not shown (HideSelection without the focus).
  bool SelectionHidden() const;
  virtual void PeerSelectionChanged();
  // The editing is done here, not by the widget (multi-line edits leave it to the widget).
  virtual bool OwnEditing() const { return true; }
  bool WantsInputMethods() const override { return !readOnly_; }
  // Asked when the window is made: the peer shows the text's lines one under the other (the
  // editing stays here), and breaks them at the width when WrapLines.
  virtual bool MultiLinePeer() const { return false; }
  virtual bool WrapLines() const { return false; }
  // The multi-line peer's shown line (wrapped lines count) of byte position Pos, and the number
  // of shown lines; -1 without that peer.
  int PeerLineOf(int Pos) const;
  int PeerLineCount() const;
  void SaveUndo();
  // The character now arriving belongs to a key the edit already acted on (Delete, Ctrl+V).
  bool CharSuppressed() const;
  // Drawing over what the one-line peer painted (a flat line, a hint text, a marker).
  virtual void PaintOver(TCanvas* Canvas) { (void)Canvas; }
  void PaintOverPeer(QWidget* Widget);

  int maxLength_ = 0;
  TEditCharCase charCase_ = ecNormal;
  bool readOnly_ = false;
  char passwordChar_ = 0;
  bool autoSelect_ = true;
  bool hideSelection_ = true;
  TBorderStyle borderStyle_ = bsSingle;
  bool modified_ = false;
  TAlignment alignment_ = taLeftJustify;
  int anchor_ = 0, caret_ = 0;
  TRect margins_;
  int ownFrame_ = 0;
  // The text line stands at the top of the margins instead of centred in the height.
  bool textAtTop_ = false;
  bool transparentBack_ = false;
  bool pushing_ = false;
  bool suppressChar_ = false;
  unsigned long suppressKey_ = 0;
  bool mouseEntry_ = false;
  std::string undoText_;
  bool undoValid_ = false;
  std::unique_ptr<TControlCanvas> overCanvas_;
  friend class TEditPeer;
  friend class TEditLinesPeer;
  template <class W>
  friend class TShowingPeer;
};

class TEdit : public TCustomEdit {
 public:
  explicit TEdit(TComponent* AOwner) : TCustomEdit(AOwner) {}
  std::string ClassName() const override { return "TEdit"; }
};

class TCustomMemo;

// The lines of a memo, a view of its text (lines separated by CR LF). With
// WordWrap, reading counts and returns the lines as wrapped at the memo's width.
class TMemoStrings : public TStrings {
 public:
  explicit TMemoStrings(TCustomMemo* Memo) : memo_(Memo) {}
  std::string ClassName() const override { return "TMemoStrings"; }
  int Count() const override;
  std::string Get(int index) const override;
  void Put(int index, const std::string& s) override;
  void Clear() override;
  void Delete(int index) override;
  void Insert(int index, const std::string& s) override;
  // Sets the memo's text exactly.
  void SetText(const std::string& text) override;

 private:
  std::vector<std::string> Split() const;
  // The lines as shown: with WordWrap, long lines are broken at the memo's width.
  std::vector<std::string> Shown() const;
  void Join(const std::vector<std::string>& lines);
  TCustomMemo* memo_;
};

class TCustomMemo : public TCustomEdit {
 public:
  explicit TCustomMemo(TComponent* AOwner);
  ~TCustomMemo() override;
  std::string ClassName() const override { return "TCustomMemo"; }

  TStrings* Lines() const { return lines_.get(); }
  void SetLines(TStrings* v) { lines_->Assign(v); }
  TScrollStyle ScrollBars() const { return scrollBars_; }
  void SetScrollBars(TScrollStyle v);
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool v);
  bool WantTabs() const { return wantTabs_; }
  void SetWantTabs(bool v);
  bool WantReturns() const { return wantReturns_; }
  void SetWantReturns(bool v) { wantReturns_ = v; }
  void SetMaxLength(int v) override;
  // Line and column of the caret (0-based).
  TPoint CaretPos() const;

 protected:
  QWidget* CreatePeer(QWidget* ParentWidget) override;
  void CreateWnd() override;
  void WMGetDlgCode(TMessage& Message) override;
  void WMKeyDown(TMessage& Message) override;
  void WMChar(TMessage& Message) override;
  bool OwnEditing() const override { return false; }
  std::string DisplayText() const override { return text_; }
  void PushToPeer() override;
  void PeerTextChanged();
  void PeerSelectionChanged() override;
  void PushAlignment() override;

  std::unique_ptr<TMemoStrings> lines_;
  TScrollStyle scrollBars_ = ssNone;
  bool wordWrap_ = true;
  bool wantTabs_ = false;
  bool wantReturns_ = true;
  friend class TMemoStrings;
};

class TMemo : public TCustomMemo {
 public:
  explicit TMemo(TComponent* AOwner) : TCustomMemo(AOwner) {}
  std::string ClassName() const override { return "TMemo"; }
};

// ---------------------------------------------------------------- item lists
// The items of a combo or list box: a string list that tells its control of changes.
class TItemStrings : public TStringList {
 public:
  explicit TItemStrings(std::function<void()> OnItemsChanged) : notify_(std::move(OnItemsChanged)) {}
  std::string ClassName() const override { return "TItemStrings"; }
  // On, the text splits also at the wide line breaks (VT, FF, U+2028, U+2029).
  void SetWideLineBreaks(bool v) { wideLineBreaks_ = v; }
  void SetText(const std::string& text) override;

 protected:
  void Changed() override;

 private:
  std::function<void()> notify_;
  bool wideLineBreaks_ = false;
};

class TCustomComboBox : public TWinControl {
 public:
  explicit TCustomComboBox(TComponent* AOwner);
  ~TCustomComboBox() override;
  std::string ClassName() const override { return "TCustomComboBox"; }

  TComboBoxStyle Style() const { return style_; }
  void SetStyle(TComboBoxStyle v);
  TStrings* Items() const { return items_.get(); }
  void SetItems(TStrings* v) { items_->Assign(v); }
  int ItemIndex() const { return itemIndex_; }
  // Out-of-range values select nothing; a drop-down list's text follows the item.
  void SetItemIndex(int v);
  // A drop-down list takes only the text of one of its items (else shows nothing).
  void SetText(const std::string& v) override;
  int DropDownCount() const { return dropDownCount_; }
  void SetDropDownCount(int v);
  bool Sorted() const { return items_->Sorted(); }
  void SetSorted(bool v);
  int MaxLength() const { return maxLength_; }
  void SetMaxLength(int v);
  int ItemHeight() const { return itemHeight_; }
  void SetItemHeight(int v) { itemHeight_ = v; }
  bool DroppedDown() const { return droppedDown_; }
  void SetDroppedDown(bool v);
  // The open list's least width in pixels (0: as wide as the control).
  int DroppedWidth() const { return droppedWidth_; }
  void SetDroppedWidth(int v);
  void Clear();
  // Selection in the line of an editable combo (0-based; nothing for a drop-down list).
  int SelStart() const;
  int SelLength() const;
  std::string SelText() const;
  // Puts the caret at a byte position of the line (nothing selected).
  void SetSelStart(int v);
  // Selects Length bytes of the line from byte position Start.
  void SetSelection(int Start, int Length);
  void SelectAll();
  // The line completes what is typed from the items (on at first); off, a descendant completes itself.
  bool AutoComplete() const { return autoComplete_; }
  void SetAutoComplete(bool v);
  // The line of an editable combo (mouse positions are the line's).
  QWidget* ClientWidget() const override;

  TNotifyEvent OnChange, OnSelect, OnDropDown, OnCloseUp;
  // Owner-drawn styles: paints one entry of the open list (the canvas is bound while it runs).
  TDrawItemEvent OnDrawItem;
  TCanvas* Canvas() const { return canvas_.get(); }

  // What the user does: choosing an item from the list, and typing a new text.
  void UserSelect(int Index);
  void UserEditText(const std::string& Text);
  // Draws what the control adds over the platform's painting (the peer calls it).
  void PaintOverPeer(QWidget* Widget);

 protected:
  QWidget* CreatePeer(QWidget* ParentWidget) override;
  void CreateWnd() override;
  void CMTextChanged(TMessage& Message) override;
  void CMColorChanged(TMessage& Message) override;
  void WMGetDlgCode(TMessage& Message) override;
  virtual void Change();
  virtual void Select();
  virtual void DropDown();
  virtual void CloseUp();
  // Tells the parent window what the user did (WM_COMMAND with a CBN_ code), as a combo box of
  // the window system does; a descendant that tells its parent itself leaves it empty.
  virtual void NotifyParent(WORD Code);
  // One entry of an owner-drawn list: OnDrawItem when assigned, else fill and text.
  virtual void DrawItem(int Index, const TRect& Rect, TOwnerDrawState State);
  // Runs after the platform painted the control, with Canvas() over the whole window.
  virtual void PaintOver() {}
  // A wheel turned while the list is dropped down (the window system gives every wheel to the
  // open list, wherever the pointer is): true takes it, false lets the list scroll.
  virtual bool ListWheel(int Delta, TShiftState Shift) {
    (void)Delta;
    (void)Shift;
    return false;
  }
  // The line takes only the text of an item (drop-down and owner-drawn lists).
  bool ListOnly() const { return style_ == csDropDownList || style_ == csOwnerDrawFixed || style_ == csOwnerDrawVariable; }
  void ItemsChanged();
  void PushItems();
  void PushSelection();
  int FindExact(const std::string& s) const;

  TComboBoxStyle style_ = csDropDown;
  std::unique_ptr<TItemStrings> items_;
  int itemIndex_ = -1;
  int dropDownCount_ = 8;
  int maxLength_ = 0;
  int itemHeight_ = 16;
  bool droppedDown_ = false;
  int droppedWidth_ = 0;
  bool pushing_ = false;
  bool autoComplete_ = true;
  std::unique_ptr<TControlCanvas> canvas_;
  friend class TComboPeer;
};

class TComboBox : public TCustomComboBox {
 public:
  explicit TComboBox(TComponent* AOwner) : TCustomComboBox(AOwner) {}
  std::string ClassName() const override { return "TComboBox"; }
};

class TCustomListBox : public TWinControl {
 public:
  explicit TCustomListBox(TComponent* AOwner);
  ~TCustomListBox() override;
  std::string ClassName() const override { return "TCustomListBox"; }

  TStrings* Items() const { return items_.get(); }
  void SetItems(TStrings* v) { items_->Assign(v); }
  int ItemIndex() const;
  void SetItemIndex(int v);
  bool MultiSelect() const { return multiSelect_; }
  void SetMultiSelect(bool v);
  bool ExtendedSelect() const { return extendedSelect_; }
  void SetExtendedSelect(bool v) { extendedSelect_ = v; }
  bool Selected(int Index) const;
  void SetSelected(int Index, bool v);
  int SelCount() const;
  bool Sorted() const { return items_->Sorted(); }
  void SetSorted(bool v);
  int TopIndex() const { return topIndex_; }
  void SetTopIndex(int v);
  TListBoxStyle Style() const { return style_; }
  void SetStyle(TListBoxStyle v);
  int ItemHeight() const { return itemHeight_; }
  void SetItemHeight(int v);
  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle v);
  TCanvas* Canvas() const { return canvas_.get(); }
  // The client area is the list's inside its border.
  QWidget* ClientWidget() const override;
  // Index of the item at a client point; -1 when none (Existing) or the count.
  int ItemAtPos(TPoint Pos, bool Existing) const;
  int Count() const { return items_->Count(); }
  TRect ItemRect(int Index) const;
  void Clear();
  void ClearSelection();
  void SelectAll();

  TDrawItemEvent OnDrawItem;

  // What the user does: a click on an item (Shift/Ctrl extend a multiple selection).
  void UserClickItem(int Index, TShiftState Shift = 0);

 protected:
  QWidget* CreatePeer(QWidget* ParentWidget) override;
  void CreateWnd() override;
  void CMColorChanged(TMessage& Message) override;
  void WMGetDlgCode(TMessage& Message) override;
  // Paints one item of an owner-drawn list (OnDrawItem when assigned).
  virtual void DrawItem(int Index, const TRect& Rect, TOwnerDrawState State);
  void ItemsChanged();
  void PushItems();
  void PushSelection();
  void PeerSelectionChanged();

  std::unique_ptr<TItemStrings> items_;
  std::vector<bool> selected_;
  int itemIndex_ = -1;
  int anchorIndex_ = -1;
  bool multiSelect_ = false;
  bool extendedSelect_ = true;
  int topIndex_ = 0;
  TListBoxStyle style_ = lbStandard;
  int itemHeight_ = 13;
  TBorderStyle borderStyle_ = bsSingle;
  bool pushing_ = false;
  std::unique_ptr<TControlCanvas> canvas_;
  friend class TListPeer;
};

class TListBox : public TCustomListBox {
 public:
  explicit TListBox(TComponent* AOwner) : TCustomListBox(AOwner) {}
  std::string ClassName() const override { return "TListBox"; }
};

// ---------------------------------------------------------------- scroll bar
class TScrollBar : public TWinControl {
 public:
  explicit TScrollBar(TComponent* AOwner);
  std::string ClassName() const override { return "TScrollBar"; }

  TScrollBarKind Kind() const { return kind_; }
  void SetKind(TScrollBarKind v);
  int Min() const { return min_; }
  void SetMin(int v) { SetParams(position_, v, max_); }
  int Max() const { return max_; }
  void SetMax(int v) { SetParams(position_, min_, v); }
  int Position() const { return position_; }
  void SetPosition(int v) { SetParams(v, min_, max_); }
  // Raises EInvalidOperation "Scroll bar property out of range" when Max < Min; clamps the position.
  void SetParams(int APosition, int AMin, int AMax);
  int SmallChange() const { return smallChange_; }
  void SetSmallChange(int v) { smallChange_ = v; }
  int LargeChange() const { return largeChange_; }
  void SetLargeChange(int v) { largeChange_ = v; }
  int PageSize() const { return pageSize_; }
  void SetPageSize(int v);

  TNotifyEvent OnChange;
  TScrollEvent OnScroll;

  // What the user does: a scroll action; OnScroll may change the new position.
  void Scroll(TScrollCode Code, int TrackPos = 0);

 protected:
  QWidget* CreatePeer(QWidget* ParentWidget) override;
  void CreateWnd() override;
  virtual void Change();
  void PushToPeer();

  TScrollBarKind kind_ = sbHorizontal;
  int min_ = 0, max_ = 100, position_ = 0;
  int smallChange_ = 1, largeChange_ = 1, pageSize_ = 0;
  bool pushing_ = false;
};
