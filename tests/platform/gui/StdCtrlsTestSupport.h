#pragma once
// Input for the standard-control tests: Qt events sent to a control's window,
// so they pass through the layer's translation point as real input does.
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>
#include <string>

#include "platform/gui/Controls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/testing/GuiTest.h"

inline void StdKey(TWinControl* c, int key, const QString& text = QString(),
                   Qt::KeyboardModifiers mods = Qt::NoModifier) {
  QWidget* w = c->Peer();
  QKeyEvent press(QEvent::KeyPress, key, mods, text);
  QCoreApplication::sendEvent(w, &press);
  QKeyEvent release(QEvent::KeyRelease, key, mods, text);
  QCoreApplication::sendEvent(w, &release);
}

// Types printable ASCII text key by key.
inline void StdType(TWinControl* c, const std::string& s) {
  for (char ch : s) {
    int key = (ch >= 'a' && ch <= 'z') ? Qt::Key_A + (ch - 'a') : ch;
    Qt::KeyboardModifiers mods = (ch >= 'A' && ch <= 'Z') ? Qt::ShiftModifier : Qt::NoModifier;
    StdKey(c, key, QString(QChar(ch)), mods);
  }
}

inline void StdClick(QWidget* w, int x, int y) {
  QPointF p(x, y);
  QMouseEvent press(QEvent::MouseButtonPress, p, w->mapToGlobal(p), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QCoreApplication::sendEvent(w, &press);
  QMouseEvent release(QEvent::MouseButtonRelease, p, w->mapToGlobal(p), Qt::LeftButton, Qt::NoButton,
                      Qt::NoModifier);
  QCoreApplication::sendEvent(w, &release);
}

inline void StdClick(TWinControl* c) { StdClick(c->Peer(), c->Width() / 2, c->Height() / 2); }

// A form of the given client size, shown, its controls' windows made.
inline TForm* StdForm(int w = 300, int h = 200) {
  auto* f = new TForm(Application);
  f->SetClientSize(w, h);
  return f;
}
