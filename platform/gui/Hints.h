#pragma once
// Hints and actions.
//
// A control's Hint has two parts: the short one (before "|") pops up near the
// mouse in the application's hint window; the long one (after "|", or the
// whole hint) becomes Application->Hint(), which the main window's status
// line shows. This unit holds the hint window and the actions the
// application offers its forms; TApplication (Forms.h) runs them:
//
//  - The mouse rests on a control (the window system's tool-tip delay): the
//    layer takes the first non-empty Hint from the control up its parents and
//    the ShowHint in force there, fills a THintInfo (Controls.h) and sends it
//    to the control as CM_HINTSHOW. The control may change the text, the
//    position, CursorRect (client coordinates in which the hint stays valid:
//    a grid cell, a status panel), the colour, the maximum width, the window
//    class and HintData, or refuse the hint (Result != 0 or Show false).
//  - The window made by the info's HintWindowClass measures the text
//    (CalcHintRect) and shows it at HintPos (ActivateHint). The application
//    keeps one hint window and makes it anew when another class is asked for.
//  - The hint goes away when the mouse leaves CursorRect or the control, on
//    a click or a key, after HintHidePause milliseconds, when the control is
//    freed, and on Application->CancelHint(); the next time the mouse rests
//    the hint of whatever lies under it then is asked for again.
//  - Application->SetHint(long hint) goes to Application->OnHint when one is
//    assigned; else it travels as a THintAction through
//    Application->ExecuteAction to the controls of the active form and the
//    main form (a status bar with AutoHint takes it).
//
// A hint window of one's own derives from THintWindow and overrides Paint,
// CalcHintRect and ActivateHint; a control asks for it by setting
// HintInfo.HintWindowClass = MakeHintWindow<TMyHintWindow> in CM_HINTSHOW.

#include <string>
#include <vector>

#include "platform/gui/Controls.h"

// An action offered to the controls of the application's forms; the first
// control whose ExecuteAction takes it ends the search.
class TBasicAction : public TComponent {
 public:
  explicit TBasicAction(TComponent* AOwner) : TComponent(AOwner) {}
  std::string ClassName() const override { return "TBasicAction"; }
  // Offers the action to the application; true when some control took it.
  virtual bool Execute();
};

class TActionLink;

// An action with the state the controls linked to it show: caption, check mark, enabled,
// group, hint, visible. A change reaches every link; a freed action leaves its links empty.
// Actions of one owner with the same GroupIndex above 0 form a group: checking one unchecks
// the others (there is no action list here, so the owner stands for it).
class TCustomAction : public TBasicAction {
 public:
  explicit TCustomAction(TComponent* AOwner) : TBasicAction(AOwner) {}
  ~TCustomAction() override;
  std::string ClassName() const override { return "TCustomAction"; }
  // OnExecute when assigned and the action is enabled; else offered to the application.
  bool Execute() override;
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& v) { caption_ = v, Changed(); }
  bool Checked() const { return checked_; }
  void SetChecked(bool v);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool v) { enabled_ = v, Changed(); }
  int GroupIndex() const { return groupIndex_; }
  void SetGroupIndex(int v);
  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& v) { hint_ = v, Changed(); }
  bool Visible() const { return visible_; }
  void SetVisible(bool v) { visible_ = v, Changed(); }
  TNotifyEvent OnExecute;

 private:
  friend class TActionLink;
  void Changed();
  // The other checked actions of this one's group are unchecked.
  void ReleaseGroup();
  std::vector<TActionLink*> links_;
  std::string caption_, hint_;
  bool checked_ = false, enabled_ = true, visible_ = true;
  int groupIndex_ = 0;
};

// Ties a client to an action: the action's state is passed on at once and on every change.
class TActionLink {
 public:
  TActionLink() = default;
  TActionLink(const TActionLink&) = delete;
  TActionLink& operator=(const TActionLink&) = delete;
  virtual ~TActionLink();
  TCustomAction* Action() const { return action_; }
  void SetAction(TCustomAction* v);
  // Runs the action; false without one.
  bool Execute() { return action_ && action_->Execute(); }
  // The action's state is passed on to the client.
  virtual void Update() = 0;

 private:
  friend class TCustomAction;
  TCustomAction* action_ = nullptr;
};

// A control's link: its enabled state, hint and visibility follow the action.
class TControlActionLink : public TActionLink {
 public:
  explicit TControlActionLink(TControl* Client) : client_(Client) {}
  void Update() override;

 protected:
  TControl* client_;
};

// The application's long hint, offered when no OnHint handler takes it.
class THintAction : public TBasicAction {
 public:
  explicit THintAction(TComponent* AOwner) : TBasicAction(AOwner) {}
  std::string ClassName() const override { return "THintAction"; }
  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& v) { hint_ = v; }

 private:
  std::string hint_;
};

// The pop-up window of a hint: a top-level window that never takes the
// focus, in HintColor with the screen's hint font.
class THintWindow : public TCustomControl {
 public:
  explicit THintWindow(TComponent* AOwner);
  std::string ClassName() const override { return "THintWindow"; }

  // Shows AHint in Rect (screen coordinates), kept on the screen.
  virtual void ActivateHint(TRect Rect, const std::string& AHint);
  // Data is the HintData of the hint info; the plain window ignores it.
  virtual void ActivateHintData(TRect Rect, const std::string& AHint, void* AData);
  // The window rectangle, from (0, 0), that AHint needs at most MaxWidth wide.
  virtual TRect CalcHintRect(int MaxWidth, const std::string& AHint, void* AData);
  // Hides the window.
  virtual void ReleaseHandle();
  // The window is on the screen now.
  bool Active() const;
  // Only the inside of the polygon (client coordinates) shows; an empty one gives the rectangle.
  void SetShape(const std::vector<TPoint>& Outline);
  // Puts the window at R (screen coordinates) on top without taking the focus, and repaints it.
  void ShowAt(const TRect& R);
  // A soft shadow ShadowDepth pixels wide to the right of and below the window while it shows.
  // It needs no compositor: what lies below is taken from the screen before the window shows
  // and drawn darkened; where the screen cannot be read the shadow is a translucent window.
  void SetDropShadow(bool v);
  bool DropShadow() const { return dropShadow_; }
  static constexpr int ShadowDepth = 5;
  // The shadow's window rectangle (screen coordinates) while it shows, else an empty one.
  TRect ShadowRect() const;

 protected:
  QWidget* CreatePeer(QWidget* ParentWidget) override;
  void Paint() override;
  // A window that holds controls (a drop-down list) takes the mouse itself. Such a window
  // is asked WM_NCHITTEST (LParam: the screen point) as the mouse moves over it and its
  // controls; where it answers HTBOTTOMRIGHT the user sizes it by dragging.
  bool takesMouse_ = false;

 private:
  bool dropShadow_ = false;
  void PlaceShadow(const TRect& R);
};

// THintWindowClass (Controls.h) makes a hint window: MakeHintWindow<THintWindow> and the like.
template <class T>
THintWindow* MakeHintWindow(TComponent* AOwner) {
  return new T(AOwner);
}
// The class of the application's hint window unless a control asks for another.
extern THintWindowClass HintWindowClass;
