#pragma once
// Controls: the state and behaviour the system expects of the class library's
// TControl family. Every windowed control owns a Qt widget, its peer, created
// when the control first needs a window; graphic controls have no peer and
// paint on their parent. All Qt events reach the controls as messages through
// one translation point (see QtPeer.h), where exceptions are caught and shown.
//
// Making a control:
//  - owner-drawn windowed: derive from TCustomControl, override Paint() and
//    draw on Canvas(); override the mouse/key virtuals or message handlers.
//  - windowless: derive from TGraphicControl, override Paint().
//  - over a Qt widget: derive from TWinControl (or TCustomControl), override
//    CreatePeer() to return a TPeer<QSomeWidget> (QtPeer.h) and CreateWnd()
//    to push the control's state into it after the inherited call.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/gui/Graphics.h"
#include "platform/gui/Messages.h"
#include "platform/rtl/Classes.h"

class QWidget;
class QPainter;
class QImage;
class TControl;
class TWinControl;
class TPopupMenu;
class TCustomForm;
class TControlCanvas;

// ---------------------------------------------------------------- enumerations
enum TShiftStateFlag : unsigned {
  ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16, ssMiddle = 32, ssDouble = 64
};
using TShiftState = unsigned;
enum TMouseButton { mbLeft, mbRight, mbMiddle };

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };
enum TAnchorKind : unsigned { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };
using TAnchors = unsigned;
enum TAlignment { taLeftJustify, taRightJustify, taCenter };
enum TTextLayout { tlTop, tlCenter, tlBottom };
enum TBiDiMode { bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly };
enum TBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
using TFormBorderStyle = TBorderStyle;

enum TControlStyleFlag : uint32_t {
  csAcceptsControls = 1u << 0, csCaptureMouse = 1u << 1, csDesignInteractive = 1u << 2,
  csClickEvents = 1u << 3, csFramed = 1u << 4, csSetCaption = 1u << 5, csOpaque = 1u << 6,
  csDoubleClicks = 1u << 7, csFixedWidth = 1u << 8, csFixedHeight = 1u << 9, csNoDesignVisible = 1u << 10,
  csReplicatable = 1u << 11, csNoStdEvents = 1u << 12, csDisplayDragImage = 1u << 13,
  csReflector = 1u << 14, csActionClient = 1u << 15, csMenuEvents = 1u << 16, csParentBackground = 1u << 17
};
using TControlStyle = uint32_t;
enum TControlStateFlag : uint32_t {
  csLButtonDown = 1u << 0, csClicked = 1u << 1, csPalette = 1u << 2, csReadingState = 1u << 3,
  csAlignmentNeeded = 1u << 4, csFocusing = 1u << 5, csCreating = 1u << 6, csPaintCopy = 1u << 7,
  csCustomPaint = 1u << 8, csDestroyingHandle = 1u << 9
};
using TControlState = uint32_t;

// Cursors: the standard ones are negative; programs register their own by positive number.
using TCursor = int;
constexpr TCursor crDefault = 0, crNone = -1, crArrow = -2, crCross = -3, crIBeam = -4, crSizeNESW = -6,
                  crSizeNS = -7, crSizeNWSE = -8, crSizeWE = -9, crUpArrow = -10, crHourGlass = -11,
                  crDrag = -12, crNoDrop = -13, crHSplit = -14, crVSplit = -15, crMultiDrag = -16,
                  crSQLWait = -17, crNo = -18, crAppStart = -19, crHelp = -20, crHandPoint = -21,
                  crSizeAll = -22, crSize = -22;

enum TModalResultValue : int { mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5,
                               mrYes = 6, mrNo = 7, mrAll = 8, mrNoToAll = 9, mrYesToAll = 10 };
using TModalResult = int;

using TMouseEvent = std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
using TKeyEvent = std::function<void(TObject* Sender, WORD& Key, TShiftState Shift)>;
using TKeyPressEvent = std::function<void(TObject* Sender, char& Key)>;
using TMouseWheelEvent =
    std::function<void(TObject* Sender, TShiftState Shift, int WheelDelta, TPoint MousePos, bool& Handled)>;
using TMouseWheelUpDownEvent = std::function<void(TObject* Sender, TShiftState Shift, TPoint MousePos, bool& Handled)>;
using TContextPopupEvent = std::function<void(TObject* Sender, TPoint MousePos, bool& Handled)>;
enum TDragState { dsDragEnter, dsDragLeave, dsDragMove };
using TDragOverEvent =
    std::function<void(TObject* Sender, TObject* Source, int X, int Y, TDragState State, bool& Accept)>;
// Input-method mode of a window: imDisable turns input methods off; the others leave them on.
enum TImeMode { imDisable, imClose, imOpen, imDontCare, imSAlpha, imAlpha, imHira, imSKata, imKata, imChinese,
                imSHanguel, imHanguel };
enum TDragMode { dmManual, dmAutomatic };
enum TDragKind { dkDrag, dkDock };
using TDragDropEvent = std::function<void(TObject* Sender, TObject* Source, int X, int Y)>;
// Target is nullptr when the drag was cancelled or ended where nothing accepted it.
using TEndDragEvent = std::function<void(TObject* Sender, TObject* Target, int X, int Y)>;
// A handler may give another object to stand for the drag (the Source targets see); it keeps
// owning that object.
using TStartDragEvent = std::function<void(TObject* Sender, TObject*& DragObject)>;
using TDockOverEvent = TDragOverEvent;
using TDockDropEvent = TDragDropEvent;
using TUnDockEvent = std::function<void(TObject* Sender, TControl* Client, TWinControl* NewTarget, bool& Allow)>;
// Pointer travel before a pressed control with DragMode dmAutomatic starts dragging.
constexpr int DefaultDragThreshold = 5;

class THintWindow;
class TBasicAction;
// Makes the window a hint is shown in (platform/gui/Hints.h).
using THintWindowClass = THintWindow* (*)(TComponent* AOwner);

// Hint data passed with CM_HINTSHOW (LParam points to it); a handler may change it.
struct THintInfo {
  TControl* HintControl = nullptr;
  THintWindowClass HintWindowClass = nullptr;  // nullptr: the application's HintWindowClass
  TPoint HintPos;        // screen position of the hint window
  int HintMaxWidth = 0;
  TColor HintColor = clInfoBk;
  TRect CursorRect;      // client coordinates where the hint stays valid
  TPoint CursorPos;      // client coordinates of the mouse
  std::string HintStr;
  void* HintData = nullptr;  // passed on to the hint window
  bool Show = true;
};

// Short (before "|") and long (after "|") parts of a hint.
std::string GetShortHint(const std::string& Hint);
std::string GetLongHint(const std::string& Hint);
// True when Caption holds "&" followed by the character of Key (no case).
bool IsAccel(WORD Key, const std::string& Caption);
// Caption without its "&" mnemonic markers ("&&" stays one "&").
std::string StripHotkey(const std::string& Caption);

// Shift state of the keyboard and mouse buttons now.
TShiftState KeyboardStateToShiftState();
// A typed character as key-press handlers see it: ASCII as itself, any other character as
// its Windows-1252 byte, or '?' when it has none. WM_CHAR carries the character itself.
char KeyPressChar(char32_t Ch);
// While key-press handlers run: the character typed (0 outside them), so a handler can tell a
// typed '?' from a character that has no Windows-1252 byte.
char32_t KeyPressTypedChar();

class TSizeConstraints : public TPersistent {
 public:
  int MinWidth = 0, MinHeight = 0, MaxWidth = 0, MaxHeight = 0;  // 0 = no limit
  std::string ClassName() const override { return "TSizeConstraints"; }
};

// ---------------------------------------------------------------- TControl
class TControl : public TComponent {
 public:
  explicit TControl(TComponent* AOwner);
  ~TControl() override;
  std::string ClassName() const override { return "TControl"; }

  // Placement (parent client coordinates; Right/Bottom exclusive).
  TWinControl* Parent() const { return parent_; }
  virtual void SetParent(TWinControl* AParent);
  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetLeft(int v) { SetBounds(v, top_, width_, height_); }
  void SetTop(int v) { SetBounds(left_, v, width_, height_); }
  void SetWidth(int v) { SetBounds(left_, top_, v, height_); }
  void SetHeight(int v) { SetBounds(left_, top_, width_, v); }
  virtual void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
  TRect BoundsRect() const { return TRect(left_, top_, left_ + width_, top_ + height_); }
  void SetBoundsRect(const TRect& R) { SetBounds(R.Left, R.Top, R.Right - R.Left, R.Bottom - R.Top); }
  virtual TRect ClientRect() const;
  int ClientWidth() const { return ClientRect().Right; }
  int ClientHeight() const { return ClientRect().Bottom; }
  void SetClientWidth(int v);
  void SetClientHeight(int v);
  virtual void SetClientSize(int W, int H);
  TPoint ClientOrigin() const;  // screen position of the client area's top-left
  TPoint ClientToScreen(TPoint P) const;
  TPoint ScreenToClient(TPoint P) const;
  TAlign Align() const { return align_; }
  void SetAlign(TAlign v);
  TAnchors Anchors() const { return anchors_; }
  void SetAnchors(TAnchors v);
  TSizeConstraints* Constraints() const { return constraints_.get(); }
  bool AutoSize() const { return autoSize_; }
  virtual void SetAutoSize(bool v);

  // Appearance.
  bool Visible() const { return visible_; }
  virtual void SetVisible(bool v);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  bool Showing() const;  // visible, and every parent too
  bool Enabled() const { return enabled_; }
  virtual void SetEnabled(bool v);
  TColor Color() const { return color_; }
  void SetColor(TColor v);
  bool ParentColor() const { return parentColor_; }
  void SetParentColor(bool v);
  TFont* Font() const { return font_.get(); }
  void SetFont(TFont* v) { font_->Assign(v); }
  bool ParentFont() const { return parentFont_; }
  void SetParentFont(bool v);
  const std::string& Caption() const { return text_; }
  void SetCaption(const std::string& v) { SetText(v); }
  virtual std::string Text() const { return text_; }
  virtual void SetText(const std::string& v);
  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& v) { hint_ = v; }
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool v);
  bool ParentShowHint() const { return parentShowHint_; }
  void SetParentShowHint(bool v);
  TCursor Cursor() const { return cursor_; }
  virtual void SetCursor(TCursor v);
  TPopupMenu* PopupMenu() const { return popupMenu_; }
  void SetPopupMenu(TPopupMenu* v);
  TControlStyle ControlStyle() const { return controlStyle_; }
  void SetControlStyle(TControlStyle v) { controlStyle_ = v; }
  TControlState ControlState() const { return controlState_; }
  void SetControlState(TControlState v) { controlState_ = v; }
  TBiDiMode BiDiMode() const { return biDiMode_; }
  // Virtual: a control that derives its parts' reading order from its own hears every change,
  // the ones it takes from its parent included. Setting it stops following the parent.
  virtual void SetBiDiMode(TBiDiMode v);
  bool ParentBiDiMode() const { return parentBiDiMode_; }
  void SetParentBiDiMode(bool v);
  int HelpContext() const { return helpContext_; }
  void SetHelpContext(int v) { helpContext_ = v; }
  // Takes an action the application offers (a THintAction, ...); false leaves it to others.
  virtual bool ExecuteAction(TBasicAction* Action) { (void)Action; return false; }
  bool MouseCapture() const;
  void SetMouseCapture(bool v);

  // Drawing.
  virtual void Invalidate();
  virtual void Repaint();
  virtual void Update();
  void Refresh() { Repaint(); }
  virtual void BringToFront();
  virtual void SendToBack();

  // Messages.
  LRESULT Perform(UINT Msg, WPARAM WParam = 0, LPARAM LParam = 0);
  // Subclassing hook: replaces the message entry (default: WndProc).
  std::function<void(TMessage&)> WindowProc;
  virtual void WndProc(TMessage& Message);
  virtual void Dispatch(TMessage& Message);
  virtual void DefaultHandler(TMessage& Message);
  virtual bool IsWindowed() const { return false; }
  TCustomForm* ParentForm() const;

  // Events.
  TNotifyEvent OnClick, OnDblClick, OnResize, OnMouseEnter, OnMouseLeave;
  TMouseEvent OnMouseDown, OnMouseUp;
  TMouseMoveEvent OnMouseMove;
  TMouseWheelEvent OnMouseWheel;
  TMouseWheelUpDownEvent OnMouseWheelUp, OnMouseWheelDown;
  TContextPopupEvent OnContextPopup;
  TDragOverEvent OnDragOver;

  virtual void Click();
  virtual void DblClick();

  // Mouse and paint entry used by the translation point and by tests.
  virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void MouseMove(TShiftState Shift, int X, int Y);
  virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos);
  // Something dragged enters, moves over or leaves the control; Accept says whether it may drop.
  virtual void DragOver(TObject* Source, int X, int Y, TDragState State, bool& Accept);
  virtual void DragDrop(TObject* Source, int X, int Y);
  virtual void DoStartDrag(TObject*& DragObject);
  virtual void DoEndDrag(TObject* Target, int X, int Y);
  virtual void DoStartDock(TObject*& DragObject);
  virtual void DoEndDock(TObject* Target, int X, int Y);

  // Dragging this control onto others (within the program; files and data between programs go
  // through DragDrop.h). Threshold < 0: the default travel.
  TDragMode DragMode() const { return dragMode_; }
  void SetDragMode(TDragMode v) { dragMode_ = v; }
  TCursor DragCursor() const { return dragCursor_; }
  void SetDragCursor(TCursor v) { dragCursor_ = v; }
  TDragKind DragKind() const { return dragKind_; }
  void SetDragKind(TDragKind v) { dragKind_ = v; }
  void BeginDrag(bool Immediate, int Threshold = -1);
  // Ends this control's drag: Drop true drops where the pointer is, false cancels.
  void EndDrag(bool Drop);
  bool Dragging() const;
  TStartDragEvent OnStartDrag, OnStartDock;
  TEndDragEvent OnEndDrag, OnEndDock;
  TDragDropEvent OnDragDrop;
  // Docked into a site or floating in a tool window of its own after a dock drag.
  bool Floating() const;
  TWinControl* HostDockSite() const;
  // False once the control is freed: code that runs handlers which may free it checks a copy.
  std::shared_ptr<bool> AliveFlag() const { return alive_; }

  void Notification(TComponent* AComponent, TOperation Operation) override;

 protected:
  virtual void Resize();
  virtual void Loaded() override;
  virtual bool CanAutoSize(int& NewWidth, int& NewHeight);
  virtual bool CanResize(int& NewWidth, int& NewHeight);
  virtual void ConstrainedResize(int& MinWidth, int& MinHeight, int& MaxWidth, int& MaxHeight) {}
  virtual void AdjustSize();
  virtual void DoContextPopup(TPoint MousePos, bool& Handled);
  virtual void VisibleChanging() {}
  // Notifications the system's controls override (call the inherited one).
  virtual void CMMouseEnter(TMessage& Message);
  virtual void CMMouseLeave(TMessage& Message);
  virtual void CMFontChanged(TMessage& Message);
  virtual void CMTextChanged(TMessage& Message);
  virtual void CMEnabledChanged(TMessage& Message);
  virtual void CMColorChanged(TMessage& Message);
  // The system colours changed (the platform's palette): repaint.
  virtual void CMSysColorChange(TMessage& Message);
  virtual void CMVisibleChanged(TMessage& Message);
  virtual void CMParentFontChanged(TMessage& Message);
  virtual void CMParentColorChanged(TMessage& Message);
  virtual void CMParentShowHintChanged(TMessage& Message);
  virtual void CMParentBiDiModeChanged(TMessage& Message);
  virtual void CMHintShow(TMessage& Message);
  virtual void CMCursorChanged(TMessage& Message);
  virtual void WMMouseButton(TMessage& Message);  // down, up and double click of any button
  virtual void WMMouseMove(TMessage& Message);
  virtual void WMMouseWheel(TMessage& Message);
  virtual void WMContextMenu(TMessage& Message);
  virtual void WMSize(TMessage& Message);
  virtual void WMPaint(TMessage& Message);

  // Hooks for subclasses that keep a Qt peer in step.
  virtual void BoundsChanged() {}
  virtual void VisibilityChanged() {}
  virtual void FontChangedInternal();
  TColor ParentColorValue() const;

  void SendCancelMode();

  TWinControl* parent_ = nullptr;
  int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  TAlign align_ = alNone;
  TAnchors anchors_ = akLeft | akTop;
  std::unique_ptr<TSizeConstraints> constraints_;
  bool autoSize_ = false;
  bool visible_ = true;
  bool enabled_ = true;
  TColor color_ = clWindow;
  bool parentColor_ = false;
  std::unique_ptr<TFont> font_;
  bool parentFont_ = true;
  std::string text_;
  std::string hint_;
  bool showHint_ = false;
  bool parentShowHint_ = true;
  TCursor cursor_ = crDefault;
  TPopupMenu* popupMenu_ = nullptr;
  TControlStyle controlStyle_ = csCaptureMouse | csClickEvents | csSetCaption | csDoubleClicks;
  TControlState controlState_ = 0;
  TBiDiMode biDiMode_ = bdLeftToRight;
  TDragMode dragMode_ = dmManual;
  TCursor dragCursor_ = crDrag;
  TDragKind dragKind_ = dkDrag;
  bool parentBiDiMode_ = true;
  int helpContext_ = 0;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
  bool inAutoSize_ = false;
  bool aligning_ = false;

  // Anchor rule: bounds and parent client size when the control was last placed by hand.
  TRect anchorBounds_;
  TSize anchorParentSize_{-1, -1};
  void UpdateAnchorRules();

  friend class TWinControl;
};

// ---------------------------------------------------------------- TWinControl
class TWinControl : public TControl {
 public:
  explicit TWinControl(TComponent* AOwner);
  ~TWinControl() override;
  std::string ClassName() const override { return "TWinControl"; }
  bool IsWindowed() const override { return true; }

  // Children (graphic and windowed), in z-order from bottom to top.
  int ControlCount() const { return static_cast<int>(controls_.size()); }
  TControl* Controls(int Index) const { return controls_.at(static_cast<size_t>(Index)); }
  void InsertControl(TControl* AControl);
  void RemoveControl(TControl* AControl);
  bool ContainsControl(TControl* Control) const;
  TControl* ControlAtPos(TPoint Pos, bool AllowDisabled, bool AllowWinControls = false) const;
  void Broadcast(TMessage& Message);  // to every child until one sets Result

  // The window.
  HWND Handle();  // creates the window when needed
  bool HandleAllocated() const { return peer_ != nullptr; }
  void HandleNeeded();
  QWidget* Peer() const { return peer_; }
  // Where child windows live (a form's client area; the peer for other controls).
  virtual QWidget* ClientWidget() const;
  void RecreateWnd();

  // Input methods (composing characters that have no key of their own).
  TImeMode ImeMode() const { return imeMode_; }
  void SetImeMode(TImeMode v);
  // The name of an input method to use: kept, but the desktop chooses the input method itself.
  const std::string& ImeName() const { return imeName_; }
  void SetImeName(const std::string& v) { imeName_ = v; }

  // Docking: a site takes controls dragged with DragKind dkDock.
  bool DockSite() const { return dockSite_; }
  void SetDockSite(bool v) { dockSite_ = v; }
  TDockOverEvent OnDockOver;
  TDockDropEvent OnDockDrop;
  TUnDockEvent OnUnDock;
  // Accept starts true: a site takes what it is offered unless a handler says no.
  virtual void DockOver(TObject* Source, int X, int Y, TDragState State, bool& Accept);
  virtual void DockDrop(TObject* Source, int X, int Y);
  // A docked control leaves for NewTarget (nullptr: floating); false keeps it.
  virtual bool DoUnDock(TWinControl* NewTarget, TControl* Client);

  // Focus and keys.
  bool TabStop() const { return tabStop_; }
  void SetTabStop(bool v);
  // Whether a click gives the control the focus. Input controls take it; containers do not,
  // and owner-drawn controls that decide for themselves (in MouseDown) turn it off.
  bool ClickFocus() const { return clickFocus_; }
  void SetClickFocus(bool v);
  int TabOrder() const;
  void SetTabOrder(int v);
  virtual bool CanFocus() const;
  virtual bool Focused() const;
  virtual void SetFocus();
  void GetTabOrderList(std::vector<TWinControl*>& List);
  TWinControl* FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop, bool CheckParent);
  void SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop);
  TKeyEvent OnKeyDown, OnKeyUp;
  TKeyPressEvent OnKeyPress;
  TNotifyEvent OnEnter, OnExit;

  // Alignment of children.
  void DisableAlign() { ++alignDisabled_; }
  void EnableAlign();
  void Realign() { AlignControls(nullptr); }
  virtual void AlignControls(TControl* AControl);
  virtual void AdjustClientRect(TRect& Rect);
  // What is left of the client area after alignment (a frame's MDI area goes there).
  virtual void ClientAreaAligned(const TRect& Remaining) {}
  int BorderWidth() const { return borderWidth_; }
  void SetBorderWidth(int v);
  TBrush* Brush() const { return brush_.get(); }
  bool DoubleBuffered() const { return doubleBuffered_; }
  void SetDoubleBuffered(bool v) { doubleBuffered_ = v; }

  void Invalidate() override;
  void Update() override;
  void Repaint() override;
  void InvalidateRect(const TRect& R);  // client coordinates
  // During a paint: whether R (client coordinates) meets the area being repainted; true outside a paint.
  bool RectInUpdateRegion(const TRect& R) const;
  // The rectangles being repainted during a paint (empty outside a paint).
  const std::vector<TRect>& UpdateRects() const { return updateRects_; }
  void BringToFront() override;
  void SendToBack() override;
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  TRect ClientRect() const override;
  void SetParent(TWinControl* AParent) override;

  // Key entry used by the translation point and by tests: runs the form's key
  // preview, the control's handlers, the dialog keys and characters.
  // Returns true when the key was consumed before the widget's own handling.
  virtual bool DoKeyDown(WORD& Key, TShiftState Shift);
  virtual bool DoKeyPress(char& Key);
  virtual bool DoKeyUp(WORD& Key, TShiftState Shift);
  virtual void KeyDown(WORD& Key, TShiftState Shift);
  virtual void KeyUp(WORD& Key, TShiftState Shift);
  virtual void KeyPress(char& Key);
  // Menu shortcuts and dialog keys (Tab, Return, Escape, arrows), before the key handlers.
  virtual bool DoDialogKey(WORD Key, TShiftState Shift);
  // Characters the control does not want go to the form as dialog characters.
  virtual bool DoDialogChar(char Key, bool Alt);

  void Dispatch(TMessage& Message) override;
  void DefaultHandler(TMessage& Message) override;

  // Paints the graphic children onto a painter of this control's client area.
  void PaintControls(QPainter* Painter, const TRect& Area);

 protected:
  // Makes the peer; subclasses return their own TPeer<QWidget-class>.
  virtual QWidget* CreatePeer(QWidget* ParentWidget);
  // Creates the peer and pushes the state into it; overrides call the inherited one first.
  virtual void CreateWnd();
  virtual void DestroyWnd();
  virtual void CreateHandle();
  virtual void DoEnter();
  virtual void DoExit();
  virtual void WMSetFocus(TMessage& Message);
  virtual void WMKillFocus(TMessage& Message);
  virtual void WMGetDlgCode(TMessage& Message);
  // WM_SETREDRAW: WParam 0 stops drawing the window, non-zero starts it again.
  virtual void WMSetRedraw(TMessage& Message);
  virtual void CMDialogKey(TMessage& Message);
  virtual void CMDialogChar(TMessage& Message);
  virtual void CMWantSpecialKey(TMessage& Message);
  virtual void WMKeyDown(TMessage& Message);
  virtual void WMKeyUp(TMessage& Message);
  virtual void WMChar(TMessage& Message);
  void WMPaint(TMessage& Message) override;
  virtual void PaintWindow(QPainter* Painter, const TRect& Area);
  // True for controls that paint their whole window themselves (no widget painting first).
  virtual bool PaintsItself() const { return false; }
  void CMEnabledChanged(TMessage& Message) override;
  void CMColorChanged(TMessage& Message) override;
  void CMSysColorChange(TMessage& Message) override;
  void CMFontChanged(TMessage& Message) override;
  void CMTextChanged(TMessage& Message) override;
  void CMCursorChanged(TMessage& Message) override;
  void CMVisibleChanged(TMessage& Message) override;
  void BoundsChanged() override;
  void VisibilityChanged() override;
  virtual void UpdatePeerGeometry();
  void AlignChildren();
  // The peer's focus policy from TabStop and ClickFocus.
  void ApplyFocusPolicy();
  // The control's colour into the peer's palette.
  void PushWindowColor();
  // Sends a CM_PARENT... message to every child.
  void TellChildren(UINT Msg);
  // Whether the window takes input-method text when ImeMode allows it (edits do).
  virtual bool WantsInputMethods() const { return false; }
  // The input-method switch of the peer from ImeMode and WantsInputMethods.
  void PushImeMode();

  std::vector<TControl*> controls_;
  std::vector<TWinControl*> tabList_;
  QWidget* peer_ = nullptr;
  HWND handle_ = nullptr;
  bool tabStop_ = false;
  bool dockSite_ = false;
  TImeMode imeMode_ = imDontCare;
  std::string imeName_;
  bool clickFocus_ = true;
  int alignDisabled_ = 0;
  int borderWidth_ = 0;
  bool doubleBuffered_ = false;
  std::unique_ptr<TBrush> brush_;
  TSize lastClientSize_{-1, -1};
  bool destroying_ = false;
  std::vector<TRect> updateRects_;  // the area being repainted, during a paint

  friend class TControl;
  friend class TCustomForm;
};

// A canvas bound to a control: during painting it draws on the screen;
// outside painting it measures text and draws into a scratch surface.
class TControlCanvas : public TCanvas {
 public:
  explicit TControlCanvas(TControl* Control);
  ~TControlCanvas() override;
  std::string ClassName() const override { return "TControlCanvas"; }
  TControl* Control() const { return control_; }
  // Binds the canvas to a painter for one paint (origin and clip in the painter's coordinates).
  void BeginPaint(QPainter* Painter, const TRect& Clip);
  void EndPaint();
  bool Painting() const { return painting_; }
  // One paint: binds, starts with the control's font and colour, runs Body, unbinds.
  void PaintWith(QPainter* Painter, const TRect& Clip, const std::function<void()>& Body);

 protected:
  void RequiredState() override;
  // Drawing outside a paint cannot reach the screen; the control repaints itself instead.
  void Changed() override;

 private:
  TControl* control_;
  bool painting_ = false;
  std::unique_ptr<QImage> scratch_;
  std::unique_ptr<QPainter> scratchPainter_;
};

class TCustomControl : public TWinControl {
 public:
  explicit TCustomControl(TComponent* AOwner);
  ~TCustomControl() override;
  std::string ClassName() const override { return "TCustomControl"; }
  TCanvas* Canvas() const { return canvas_.get(); }

 protected:
  virtual void Paint();
  void PaintWindow(QPainter* Painter, const TRect& Area) override;
  bool PaintsItself() const override { return true; }
  std::unique_ptr<TControlCanvas> canvas_;
};

class TGraphicControl : public TControl {
 public:
  explicit TGraphicControl(TComponent* AOwner);
  ~TGraphicControl() override;
  std::string ClassName() const override { return "TGraphicControl"; }
  TCanvas* Canvas() const { return canvas_.get(); }
  // Paints this control with a painter translated to its top-left (used by the parent).
  void PaintTo(QPainter* Painter, const TRect& Clip);

 protected:
  virtual void Paint();
  std::unique_ptr<TControlCanvas> canvas_;
};

// The control that has the mouse captured (graphic or windowed), or nullptr.
TControl* GetCaptureControl();
void SetCaptureControl(TControl* Control);
// The control that owns a window number, or nullptr.
TWinControl* FindControl(HWND Handle);
// The topmost enabled control under a screen point.
TControl* FindDragTarget(TPoint Pos, bool AllowDisabled);
// Ends the drag of controls that runs, as Escape does.
void CancelDrag();
// The control being dragged (pressed with DragMode dmAutomatic, or after BeginDrag), or nullptr.
TControl* DragSourceControl();
// Mouse position in screen coordinates.
TPoint Mouse_CursorPos();
// Moves the mouse pointer (screen coordinates).
void Mouse_SetCursorPos(TPoint P);
