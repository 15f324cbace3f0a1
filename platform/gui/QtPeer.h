#pragma once
// Qt peers of windowed controls and the one translation point through which
// every Qt event reaches the controls (platform code only).
//
// A control over a Qt widget class W returns `new TPeer<W>(this, args...)`
// from CreatePeer(ParentWidget) and sets the widget's parent to ParentWidget.
// Widgets inside the peer that take input themselves (a spin box's line edit)
// are attached with RouteEvents so their keys and mouse also pass through the
// translation point.

#include <QEvent>
#include <QWidget>
#include <utility>

#include "platform/gui/Controls.h"

class TPeerBase {
 public:
  virtual ~TPeerBase() = default;
  // The widget's own handling of an event (the default window procedure).
  virtual bool BaseEvent(QEvent* e) = 0;
  virtual QWidget* Widget() = 0;
  TWinControl* Control = nullptr;
};

// The translation point: turns a Qt event into messages for the control,
// counts the handler as running on its form, and shows escaping exceptions.
bool GuiTranslate(TPeerBase* Peer, QEvent* Event);

template <class W>
class TPeer : public W, public TPeerBase {
 public:
  template <class... A>
  explicit TPeer(TWinControl* control, A&&... args) : W(std::forward<A>(args)...) {
    Control = control;
  }
  bool event(QEvent* e) override { return GuiTranslate(this, e); }
  bool BaseEvent(QEvent* e) override { return W::event(e); }
  QWidget* Widget() override { return this; }
};

// Sends an inner widget's input events through the translation point of Control.
void RouteEvents(TWinControl* Control, QWidget* Inner);
// The peer interface of a widget, or nullptr when it is no peer.
TPeerBase* PeerOf(QWidget* Widget);
// Qt key event to a virtual key and shift state, and back.
WORD VirtualKeyFromQt(int QtKey, Qt::KeyboardModifiers Modifiers);
int QtKeyFromVirtualKey(WORD Key);
TShiftState ShiftFromQt(Qt::KeyboardModifiers Modifiers, Qt::MouseButtons Buttons = Qt::NoButton);

// Runs a piece of event handling as the translation point does: counted as
// busy on the control's form, exceptions shown by the application.
// Timers, posted messages and menu actions enter through it.
void GuiRun(TControl* Control, const std::function<void()>& Body);
void GuiRun(TComponent* Owner, const std::function<void()>& Body);
