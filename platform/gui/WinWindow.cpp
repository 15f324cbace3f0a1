#include "platform/gui/WinWindow.h"

#include <QApplication>
#include <QPointer>
#include <QStyle>
#include <QTimer>
#include <QWidget>
#include <map>
#include <utility>

#include "platform/gui/Controls.h"
#include "platform/gui/GuiInternal.h"
#include "platform/gui/QtPeer.h"

// ---------------------------------------------------------------- metrics
int GetSystemMetrics(int Index) {
  QStyle* st = qobject_cast<QApplication*>(QCoreApplication::instance()) ? QApplication::style() : nullptr;
  int bar = st ? st->pixelMetric(QStyle::PM_ScrollBarExtent) : 16;
  switch (Index) {
    case SM_CXVSCROLL: case SM_CYHSCROLL: case SM_CYVSCROLL: case SM_CXHSCROLL: return bar;
    case SM_CYVTHUMB: case SM_CXHTHUMB: return st ? st->pixelMetric(QStyle::PM_ScrollBarSliderMin) : bar;
    case SM_CXBORDER: case SM_CYBORDER: return 1;
    case SM_CXEDGE: case SM_CYEDGE: return 2;
    case SM_CXDOUBLECLK: case SM_CYDOUBLECLK: return 4;
    case SM_CXDRAG: case SM_CYDRAG: return 4;
    default: return 0;
  }
}

// ---------------------------------------------------------------- timers
namespace {
// Each timer is a child of the window's widget, so it ends with the window.
std::map<std::pair<HWND, UINT_PTR>, QPointer<QTimer>>& Timers() {
  static std::map<std::pair<HWND, UINT_PTR>, QPointer<QTimer>> t;
  return t;
}

QTimer* FindTimer(HWND Wnd, UINT_PTR Id) {
  auto it = Timers().find({Wnd, Id});
  if (it == Timers().end()) return nullptr;
  if (!it->second) {
    Timers().erase(it);
    return nullptr;
  }
  return it->second.data();
}
}  // namespace

UINT_PTR SetTimer(HWND Wnd, UINT_PTR IDEvent, UINT Elapse, void*) {
  TWinControl* c = FindControl(Wnd);
  if (!c || !c->Peer()) return 0;
  QTimer* t = FindTimer(Wnd, IDEvent);
  if (!t) {
    t = new QTimer(c->Peer());
    QObject::connect(t, &QTimer::timeout, t, [Wnd, IDEvent] {
      TWinControl* target = FindControl(Wnd);
      if (!target) return;
      TPeerBase* peer = PeerOf(target->Peer());
      GuiRunDeferred(peer, target, [&] { target->Perform(WM_TIMER, IDEvent, 0); });
    });
    Timers()[{Wnd, IDEvent}] = t;
  }
  t->start(static_cast<int>(Elapse));
  return IDEvent;
}

bool KillTimer(HWND Wnd, UINT_PTR IDEvent) {
  QTimer* t = FindTimer(Wnd, IDEvent);
  if (!t) return false;
  Timers().erase({Wnd, IDEvent});
  t->stop();
  t->deleteLater();
  return true;
}

UINT WindowTimerInterval(HWND Wnd, UINT_PTR IDEvent) {
  QTimer* t = FindTimer(Wnd, IDEvent);
  return t && t->isActive() ? static_cast<UINT>(t->interval()) : 0;
}

// ---------------------------------------------------------------- capture
namespace {
QPointer<QWidget> gGrabbed;
}

HWND SetCapture(HWND Wnd) {
  TWinControl* c = FindControl(Wnd);
  TControl* old = GetCaptureControl();
  HWND oldWnd = nullptr;
  if (auto* w = dynamic_cast<TWinControl*>(old); w && w->HandleAllocated()) oldWnd = w->Handle();
  if (!c || old == c) return oldWnd;
  if (gGrabbed) gGrabbed->releaseMouse();
  gGrabbed = nullptr;
  SetCaptureControl(c);
  if (QWidget* w = c->ClientWidget(); w && w->isVisible()) {
    w->grabMouse();
    gGrabbed = w;
  }
  if (old) old->Perform(WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(Wnd));
  return oldWnd;
}

bool ReleaseCapture() {
  TControl* old = GetCaptureControl();
  if (gGrabbed) gGrabbed->releaseMouse();
  gGrabbed = nullptr;
  SetCaptureControl(nullptr);
  if (old) old->Perform(WM_CAPTURECHANGED, 0, 0);
  return true;
}

HWND GetCapture() {
  auto* w = dynamic_cast<TWinControl*>(GetCaptureControl());
  return w && w->HandleAllocated() ? w->Handle() : nullptr;
}

void CancelCaptureMode() {
  if (TControl* c = GetCaptureControl()) {
    c->Perform(WM_CANCELMODE);
    if (GetCaptureControl() == c) ReleaseCapture();
  }
}
