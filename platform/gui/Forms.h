#pragma once
// Forms, the application object and the screen.
//
// A form's layout is built in its constructor. OnCreate fires from
// AfterConstruction(), which Application->CreateForm calls, and which the
// first Show or ShowModal calls when nobody did before. Release is deferred:
// a form is never freed while a handler is running on it, not even through a
// nested ProcessMessages. An exception no handler catches is shown in a
// message box (the dialog responder answers it in tests) and the loop goes on.

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/gui/Controls.h"

class TMainMenu;
class TMenuItem;
class QMdiArea;
class QMdiSubWindow;

enum TPosition { poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter, poDesktopCenter,
                 poMainFormCenter, poOwnerFormCenter };
enum TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
enum TBorderIcon : unsigned { biSystemMenu = 1, biMinimize = 2, biMaximize = 4, biHelp = 8 };
using TBorderIcons = unsigned;
enum TWindowState { wsNormal, wsMinimized, wsMaximized };
enum TCloseAction { caNone, caHide, caFree, caMinimize };
enum TFormStateFlag : unsigned { fsCreating = 1, fsVisible = 2, fsShowing = 4, fsModal = 8, fsCreatedMDIChild = 16,
                                 fsActivated = 32 };
using TFormState = unsigned;

using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;

class TCustomForm : public TWinControl {
 public:
  explicit TCustomForm(TComponent* AOwner);
  ~TCustomForm() override;
  std::string ClassName() const override { return "TCustomForm"; }

  // Fires OnCreate once; see the note at the top.
  virtual void AfterConstruction();
  // Fires OnDestroy once; the layer calls it before freeing a form.
  virtual void BeforeDestruction();

  TFormStyle FormStyle() const { return formStyle_; }
  void SetFormStyle(TFormStyle v);
  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle v);
  TBorderIcons BorderIcons() const { return borderIcons_; }
  void SetBorderIcons(TBorderIcons v);
  TPosition Position() const { return position_; }
  void SetPosition(TPosition v);
  TWindowState WindowState() const;
  // Brings a minimised window back to the state it had before, as the window system's restore does.
  void RestoreFromMinimized();
  void SetWindowState(TWindowState v);
  bool KeyPreview() const { return keyPreview_; }
  void SetKeyPreview(bool v) { keyPreview_ = v; }
  TWinControl* ActiveControl() const { return activeControl_; }
  void SetActiveControl(TWinControl* v);
  TMainMenu* Menu() const { return menu_; }
  void SetMenu(TMainMenu* v);
  TMenuItem* WindowMenu() const { return windowMenu_; }
  void SetWindowMenu(TMenuItem* v);
  TModalResult ModalResult() const { return modalResult_; }
  void SetModalResult(TModalResult v) { modalResult_ = v; }
  TFormState FormState() const { return formState_; }
  bool Active() const { return active_; }
  TCanvas* Canvas() const { return canvas_.get(); }
  TIcon* Icon() const { return icon_.get(); }
  const std::string& HelpFile() const { return helpFile_; }
  void SetHelpFile(const std::string& v) { helpFile_ = v; }

  void Show();
  void Hide() { SetVisible(false); }
  void Close();
  void Release();
  virtual TModalResult ShowModal();
  virtual bool CloseQuery();
  void SetFocus() override;
  // Moves the form's focus: CM_EXIT to the old control, CM_ENTER to the new one. A change asked
  // for while one is running (a handler sending the focus back) is not nested: it is applied
  // once the running change has finished and control is back in the event loop, and returns
  // false. A change asked for while such a deferred change is applied is dropped, so two
  // handlers that each send the focus back cannot bounce it for ever.
  bool SetFocusedControl(TWinControl* Control);
  void FocusControl(TWinControl* Control);
  // True while the form applies a deferred change (the focus goes back to a control that
  // refused to be left); a control left by it was not left by the user's choice.
  bool ReturningFocus() const { return returningFocus_; }
  void BringToFront() override;
  void SetVisible(bool v) override;
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  TRect ClientRect() const override;
  void SetClientSize(int W, int H) override;
  QWidget* ClientWidget() const override;
  void Invalidate() override;

  // MDI (frame forms).
  int MDIChildCount() const;
  TCustomForm* MDIChildren(int Index) const;  // the active child first, then by stacking order
  TCustomForm* ActiveMDIChild() const;
  // Closes every child as its own Close does, from the last to the first, each asking its own
  // question. The list is taken first, and each window is closed only while it is a child still:
  // a question runs messages, which may reorder, close or free windows. True when none stayed
  // (a question cancelled, a save failed).
  bool CloseMDIChildren();
  // Whether Form is one of the visible children now (it may have been freed: not dereferenced).
  bool HasMDIChild(const TCustomForm* Form) const;
  // Release was asked for: the form goes once the running handlers have returned.
  bool Releasing() const { return releasing_; }
  void Cascade();
  void Tile();
  void ArrangeIcons();
  void Next();
  void Previous();
  QMdiArea* MdiArea() const { return mdiArea_; }
  // An MDI child smaller than its controls scrolls: the extent its controls need (those placed
  // from the top left, and the room of those aligned to an edge), and where it is scrolled to.
  TSize ScrollRange() const;
  TPoint ScrollPosition() const { return TPoint(hpos_, vpos_); }
  void ScrollTo(int X, int Y);
  TCustomForm* MDIFrame() const { return frame_; }  // the frame of an MDI child
  QMdiSubWindow* SubWindow() const { return subWindow_; }

  TNotifyEvent OnCreate, OnDestroy, OnShow, OnHide, OnActivate, OnDeactivate, OnPaint;
  TCloseEvent OnClose;
  TCloseQueryEvent OnCloseQuery;

  // Handlers running on this form (the layer counts them to defer Release).
  int BusyCount() const { return busy_; }

 protected:
  QWidget* CreatePeer(QWidget* ParentWidget) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void ClientAreaAligned(const TRect& Remaining) override;
  void AlignControls(TControl* AControl) override;
  void AdjustClientRect(TRect& Rect) override;
  bool PaintsItself() const override { return true; }
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void CMDialogKey(TMessage& Message) override;
  void CMDialogChar(TMessage& Message) override;
  void CMTextChanged(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;
  void PaintWindow(QPainter* Painter, const TRect& Area) override;
  virtual void DoShow();
  virtual void DoHide();
  virtual void DoClose(TCloseAction& Action);
  virtual void Activate();
  virtual void Deactivate();
  virtual void Paint();
  void Resize() override;
  void UpdatePeerGeometry() override;
  void VisibilityChanged() override;

 private:
  void CloseModal();
  void PlaceOnShow();
  void AttachToFrame();
  void ApplyWindowKind();
  void MenuChanged();
  void RebuildMenuBar();
  void LayoutWindow();
  void UpdateScrollBars();
  void ScrollBarMoved();
  void MdiChildActivated(TCustomForm* Child);
  int MenuBarHeight() const;
  void DeferFocus(TWinControl* Control);
  void ApplyDeferredFocus();
  friend bool GuiFormEvent(class TPeerBase*, TWinControl*, class QEvent*);
  friend void GuiFormBusy(TCustomForm*, int);
  friend void GuiReleaseForm(TCustomForm*);
  friend class TApplication;
  friend class TScreen;
  friend class TMenuItem;
  friend class TMainMenu;
  friend class TWinControl;
  friend std::vector<TCustomForm*> ChildrenOf(const TCustomForm*, QMdiArea*);

  TFormStyle formStyle_ = fsNormal;
  TBorderStyle borderStyle_ = bsSizeable;
  TBorderIcons borderIcons_ = biSystemMenu | biMinimize | biMaximize;
  TPosition position_ = poDesigned;
  TWindowState windowState_ = wsNormal;
  TWindowState beforeMinimized_ = wsNormal;  // what a restore from the icon gives back
  bool keyPreview_ = false;
  TWinControl* activeControl_ = nullptr;
  TMainMenu* menu_ = nullptr;
  TMenuItem* windowMenu_ = nullptr;
  TModalResult modalResult_ = mrNone;
  TFormState formState_ = 0;
  bool active_ = false;
  int focusChanging_ = 0;
  HWND deferredFocus_ = nullptr;  // by window number: the control may be gone when it is applied
  bool deferredPosted_ = false;
  bool returningFocus_ = false;
  std::unique_ptr<TControlCanvas> canvas_;
  std::unique_ptr<TIcon> icon_;
  std::string helpFile_;
  bool created_ = false;
  bool destroyed_ = false;
  bool placed_ = false;
  // Bounds written while the MDI child was maximised or minimised: its size when restored.
  bool hasRestoreBounds_ = false;
  // The size the program last gave the form (its form size), which Cascade goes back to: the
  // window system's maximising and restoring, tiling and cascading leave it alone.
  int formWidth_ = 0, formHeight_ = 0;
  TRect restoreBounds_{};
  bool shownNormal_ = false;  // the MDI child has been on the screen at its own size
  class QScrollBar* hbar_ = nullptr;
  class QScrollBar* vbar_ = nullptr;
  bool hShown_ = false, vShown_ = false, scrollUpdating_ = false;
  int hpos_ = 0, vpos_ = 0;
  TSize range_{};
  int busy_ = 0;
  bool releasePending_ = false;
  bool releasing_ = false;
  QWidget* client_ = nullptr;
  class QMenuBar* menuBar_ = nullptr;
  QMdiArea* mdiArea_ = nullptr;
  QMdiSubWindow* subWindow_ = nullptr;
  TCustomForm* frame_ = nullptr;  // the MDI frame of a child
};

class TForm : public TCustomForm {
 public:
  explicit TForm(TComponent* AOwner) : TCustomForm(AOwner) {}
  std::string ClassName() const override { return "TForm"; }
};

using TExceptionEvent = std::function<void(TObject* Sender, Exception& E)>;
using TMessageEvent = std::function<void(TMessage& Msg, bool& Handled)>;
using THelpEvent = std::function<bool(WORD Command, intptr_t Data, bool& CallHelp)>;
using TIdleEvent = std::function<void(TObject* Sender, bool& Done)>;

constexpr WORD HELP_CONTEXT = 1, HELP_QUIT = 2, HELP_INDEX = 3, HELP_CONTENTS = 3, HELP_FINDER = 11;

class TApplication : public TComponent {
 public:
  explicit TApplication(TComponent* AOwner);
  ~TApplication() override;
  std::string ClassName() const override { return "TApplication"; }

  // Brings up the window system (unless a test did) and runs the start-up routines once.
  void Initialize();
  bool Initialized() const { return initialized_; }
  template <class T>
  T* CreateForm(T*& Reference) {
    Reference = nullptr;
    T* f = new T(this);
    Reference = f;
    RegisterCreated(f);
    return f;
  }
  void Run();
  void Terminate();
  bool Terminated() const { return terminated_; }
  void ProcessMessages();
  void HandleMessage();  // waits for one event when none is pending
  TCustomForm* MainForm() const { return mainForm_; }
  void SetMainForm(TCustomForm* f) { mainForm_ = f; }

  const std::string& Title() const { return title_; }
  void SetTitle(const std::string& v);
  std::string ExeName() const;
  const std::string& HelpFile() const { return helpFile_; }
  void SetHelpFile(const std::string& v) { helpFile_ = v; }
  // Help: there is no viewer for the program's help file on Linux; these show one message saying so.
  bool HelpContext(int Context);
  bool HelpCommand(WORD Command, intptr_t Data);
  bool HelpJump(const std::string& JumpID);

  // The long hint of what the mouse is over (the status line shows it): goes to
  // OnHint, or without one as a THintAction to the forms' controls (Hints.h).
  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& v);
  // The hint window near the mouse (Hints.h). CancelHint hides it and forgets
  // its control, so the next rest of the mouse asks the control under it again.
  void CancelHint();
  void HideHint();
  // Shows the hint of the control under a screen point now.
  void ActivateHint(TPoint CursorPos);
  THintWindow* HintWindow() const;  // nullptr before the first hint
  TControl* HintControl() const;    // the control whose hint shows, or nullptr
  // Offers an action to the controls of the active form, then of the main form.
  bool ExecuteAction(TBasicAction* Action);
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool v) { showHint_ = v; }
  int HintPause = 500, HintHidePause = 2500;
  TColor HintColor = clInfoBk;

  TNotifyEvent OnHint, OnActivate, OnDeactivate;
  TExceptionEvent OnException;
  TMessageEvent OnMessage;
  THelpEvent OnHelp;
  TIdleEvent OnIdle;
  // Every mouse button press in any window of the program, before the control
  // under the mouse gets it (what a window would learn from a mouse hook).
  // A press on a form's menu bar names the form.
  std::function<void(TControl* Target)> OnAnyMouseDown;

  // Shows an exception as the application does when no handler caught it.
  void HandleException(TObject* Sender);  // the exception being handled (inside a catch)
  void HandleException(TObject* Sender, Exception& E);
  void ShowException(Exception& E);
  int MessageBox(const std::string& Text, const std::string& Caption, UINT Flags = MB_OK);
  void BringToFront();
  void Minimize();
  void Restore();
  bool Active() const;
  // Modal forms running now (innermost last).
  const std::vector<TCustomForm*>& ModalForms() const { return modal_; }

  // Frees forms created through CreateForm, newest first (at the end of Run and at exit).
  void DestroyForms();
  // At the program's end, after Run: frees every form left, the cursors registered with the
  // screen and the window system Initialize brought up (one a test made stays the test's).
  void Shutdown();
  // Tests start the next case with a fresh loop.
  void ClearTerminated() { terminated_ = false; }

 private:
  void RegisterCreated(TCustomForm* f);
  friend class TCustomForm;
  bool terminated_ = false;
  bool initialized_ = false;
  bool ownsWindowSystem_ = false;
  TCustomForm* mainForm_ = nullptr;
  std::vector<TCustomForm*> created_;
  std::vector<TCustomForm*> modal_;
  std::string title_;
  std::string helpFile_;
  std::string hint_;
  bool showHint_ = true;
};

// One screen of the desktop: its whole area and the part that windows may take (the
// work area, without the desktop's panels), in desktop coordinates.
struct TMonitor {
  TRect BoundsRect;
  TRect WorkareaRect;
  bool Primary = false;
};

class TScreen : public TComponent {
 public:
  explicit TScreen(TComponent* AOwner);
  ~TScreen() override;
  std::string ClassName() const override { return "TScreen"; }

  TCursor Cursor() const { return cursor_; }
  void SetCursor(TCursor v);
  // Registered cursors: Cursors(n) for a program's own numbers and the standard ones.
  HCURSOR Cursors(int Index) const;
  void SetCursors(int Index, HCURSOR Cursor);
  int FormCount() const { return static_cast<int>(forms_.size()); }
  TCustomForm* Forms(int Index) const { return forms_.at(static_cast<size_t>(Index)); }
  TCustomForm* ActiveForm() const { return activeForm_; }
  TWinControl* ActiveControl() const { return activeControl_; }
  TNotifyEvent OnActiveFormChange, OnActiveControlChange;
  int PixelsPerInch() const { return 96; }
  int Width() const;
  int Height() const;
  // The screens of the desktop, the primary one first (always at least one).
  std::vector<TMonitor> Monitors() const;
  // The screen holding most of R; the nearest one when R lies on none.
  TMonitor MonitorFromRect(const TRect& R) const;
  // Tests: these screens instead of the window system's (an empty list ends it).
  static void SetTestMonitors(std::vector<TMonitor> Monitors);
  // The whole area of the monitor that holds P (screen coordinates), or of the nearest one.
  TRect MonitorRect(TPoint P) const;
  // The desktop theme's message icon (1 information, 2 warning, 3 error) Size pixels square,
  // drawn on Back into Bitmap; false for another kind or when the theme has none.
  bool MessageIcon(int Kind, int Size, TColor Back, TBitmap* Bitmap) const;
  // Hints and status bars draw with it: HintFontName at HintFontHeight pixels.
  static constexpr const char* HintFontName = "DejaVu Sans";
  static constexpr int HintFontHeight = -10;
  TFont* HintFont() const { return hintFont_.get(); }
  TFont* MenuFont() const { return menuFont_.get(); }
  std::vector<std::string> Fonts() const;

  // Kept by the layer itself.
  void AddForm(TCustomForm* f);
  void RemoveForm(TCustomForm* f);
  void SetActiveForm(TCustomForm* f);
  void SetActiveControl(TWinControl* c);

 private:
  TCursor cursor_ = crDefault;
  std::vector<TCustomForm*> forms_;
  TCustomForm* activeForm_ = nullptr;
  TWinControl* activeControl_ = nullptr;
  std::unique_ptr<TFont> hintFont_, menuFont_;
};

extern TApplication* Application;
extern TScreen* Screen;

// A unit's start-up work that needs the window system (what a unit's initialization part
// does): registered from a static object of the unit, run once by Application->Initialize()
// once the window system is up; registered after that, it runs at once.
void RegisterStartupRoutine(std::function<void()> Routine);

// The form a control sits on, or nullptr.
TCustomForm* GetParentForm(const TControl* Control);
