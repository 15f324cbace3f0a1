#pragma once
// The window of a control with its own scroll bars and border, as a Windows
// window with WS_VSCROLL / WS_HSCROLL and WS_EX_CLIENTEDGE has them (platform
// code only).
//
// The frame is the control's peer; inside it sit the client area (the
// viewport, a peer of the same control where the control paints and gets its
// mouse), the two scroll bars and the border. The bars follow the scroll calls
// of WinWindow.h; what the user does on them reaches the control as
// WM_VSCROLL / WM_HSCROLL messages, and the bars move only when the control
// sets a new position, as on Windows.
//
// A control using it returns `new TScrollFrame(this, ParentWidget)` from
// CreatePeer, returns Frame()->Viewport() from ClientWidget, and takes its
// ClientRect from ScrollFrameClientRect.

#include <QWidget>

#include "platform/gui/QtPeer.h"
#include "platform/gui/WinWindow.h"

class QScrollBar;

class TScrollFrame : public TPeer<QWidget> {
 public:
  TScrollFrame(TWinControl* Control, QWidget* Parent);
  ~TScrollFrame() override;

  QWidget* Viewport() const { return viewport_; }
  // Width of the border on each side (0 none; 2 a sunken edge).
  void SetBorder(int Pixels);
  int Border() const { return border_; }

  int SetInfo(int Bar, const SCROLLINFO& Info);
  bool GetInfo(int Bar, SCROLLINFO& Info) const;
  void ShowBar(int Bar, bool Show);
  void EnableBar(int Bar, UINT Arrows);
  bool BarShown(int Bar) const;
  QScrollBar* Bar(int Bar) const;
  // Thickness of both bars (0: the system's) and their background (clNone: the system's).
  void SetBarLook(int Thickness, TColor Color);
  // The client area (viewport) in the control's coordinates for a window of W x H.
  TRect ClientRectFor(int W, int H) const;

 protected:
  void paintEvent(QPaintEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;

 private:
  struct TBarState {
    SCROLLINFO Info;
    bool Shown = false;
    bool Dragging = false;
    UINT Disabled = ESB_ENABLE_BOTH;
    QScrollBar* Widget = nullptr;
  };
  TBarState& State(int Bar) { return Bar == SB_VERT ? vert_ : horz_; }
  const TBarState& State(int Bar) const { return Bar == SB_VERT ? vert_ : horz_; }
  void Layout(bool BarsChanged);
  void PushToWidget(int Bar);
  void Send(int Bar, WORD Code, int Pos);
  void ActionTriggered(int Bar, int Action);
  bool eventFilter(QObject* Watched, QEvent* Event) override;

  QWidget* viewport_ = nullptr;
  QWidget* corner_ = nullptr;
  int border_ = 0;
  int barW_ = 16, barH_ = 16;  // the system's scroll-bar sizes
  TBarState vert_, horz_;
  bool pushing_ = false;
};

// The frame of a control's window, or nullptr when its window is none.
TScrollFrame* ScrollFrameOf(const TWinControl* Control);
// The client rectangle of a control whose window is a scroll frame: inside its
// border and scroll bars; without a window, inside a border of BorderWithoutWindow.
TRect ScrollFrameClientRect(const TWinControl* Control, int BorderWithoutWindow);
