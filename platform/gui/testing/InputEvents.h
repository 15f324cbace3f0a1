#pragma once
// Key events sent to a control's widget as the window system sends them, for GUI tests.
#include <QApplication>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

#include "platform/gui/Controls.h"

// A press and a release; Return, Backspace, Tab and Escape carry their character.
inline void SendKeyEvent(TWinControl* Control, int Key, Qt::KeyboardModifiers Mods = Qt::NoModifier,
                         QString Text = {}) {
  if (Text.isEmpty() && !(Mods & Qt::ControlModifier)) {
    switch (Key) {
      case Qt::Key_Return: Text = "\r"; break;
      case Qt::Key_Backspace: Text = "\b"; break;
      case Qt::Key_Tab: case Qt::Key_Backtab: Text = "\t"; break;
      case Qt::Key_Escape: Text = QString(QChar(27)); break;
      default: break;
    }
  }
  QKeyEvent press(QEvent::KeyPress, Key, Mods, Text);
  QCoreApplication::sendEvent(Control->Peer(), &press);
  QKeyEvent release(QEvent::KeyRelease, Key, Mods, Text);
  QCoreApplication::sendEvent(Control->Peer(), &release);
}

// A mouse event at (X, Y) of Widget; Held keeps the buttons that are down between calls.
inline void SendMouseEvent(QWidget* Widget, QEvent::Type Type, int X, int Y, Qt::MouseButton Button,
                           Qt::KeyboardModifiers Mods, Qt::MouseButtons& Held) {
  if (Type == QEvent::MouseButtonPress || Type == QEvent::MouseButtonDblClick) Held = Button;
  if (Type == QEvent::MouseButtonRelease) Held = Qt::NoButton;
  QMouseEvent e(Type, QPointF(X, Y), Widget->mapToGlobal(QPointF(X, Y)), Type == QEvent::MouseMove ? Qt::NoButton : Button,
                Held, Mods);
  QCoreApplication::sendEvent(Widget, &e);
}

// A key press and release sent to a plain widget (a pop-up's part that has the keys).
inline void SendWidgetKey(QWidget* Widget, int Key, Qt::KeyboardModifiers Mods = Qt::NoModifier) {
  const QString text = Key == Qt::Key_Return ? QString("\r") : Key == Qt::Key_Escape ? QString(QChar(27)) : QString();
  QKeyEvent press(QEvent::KeyPress, Key, Mods, text);
  QCoreApplication::sendEvent(Widget, &press);
  QKeyEvent release(QEvent::KeyRelease, Key, Mods, text);
  QCoreApplication::sendEvent(Widget, &release);
}

// A key press and release to the widget that has the focus, as the window system sends
// typed keys; false when no widget has it.
inline bool SendKeyToFocus(int Key, const QString& Text = {}, Qt::KeyboardModifiers Mods = Qt::NoModifier) {
  QWidget* w = QApplication::focusWidget();
  if (!w) return false;
  QKeyEvent press(QEvent::KeyPress, Key, Mods, Text);
  QCoreApplication::sendEvent(w, &press);
  QKeyEvent release(QEvent::KeyRelease, Key, Mods, Text);
  QCoreApplication::sendEvent(w, &release);
  return true;
}

// A left click (press and release) at the middle of a rectangle of Widget.
inline void ClickWidgetIn(QWidget* Widget, const TRect& R) {
  Qt::MouseButtons held;
  const int x = (R.Left + R.Right) / 2, y = (R.Top + R.Bottom) / 2;
  SendMouseEvent(Widget, QEvent::MouseButtonPress, x, y, Qt::LeftButton, Qt::NoModifier, held);
  SendMouseEvent(Widget, QEvent::MouseButtonRelease, x, y, Qt::LeftButton, Qt::NoModifier, held);
}
