#pragma once
// Small controls that record what reaches them.
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>
#include <string>
#include <vector>

#include "platform/gui/Controls.h"
#include "platform/gui/Forms.h"

class TProbe : public TCustomControl {
 public:
  explicit TProbe(TComponent* owner, TColor paint = clRed) : TCustomControl(owner), paint_(paint) {}
  std::vector<std::string> Log;
  LRESULT DlgCode = 0;
  bool DefaultButton = false;

 protected:
  void Paint() override {
    Canvas()->Brush()->SetColor(paint_);
    Canvas()->FillRect(ClientRect());
  }
  void CMMouseEnter(TMessage& m) override {
    Log.push_back("enter");
    TCustomControl::CMMouseEnter(m);
  }
  void CMMouseLeave(TMessage& m) override {
    Log.push_back("leave");
    TCustomControl::CMMouseLeave(m);
  }
  void WMGetDlgCode(TMessage& m) override { m.Result = DlgCode; }
  void CMDialogKey(TMessage& m) override {
    if (DefaultButton && m.WParam == VK_RETURN) {
      Log.push_back("default");
      m.Result = 1;
      return;
    }
    TCustomControl::CMDialogKey(m);
  }
  void CMDialogChar(TMessage& m) override {
    if (IsAccel(static_cast<WORD>(m.WParam), Caption())) {
      Log.push_back("accel");
      m.Result = 1;
      return;
    }
    TCustomControl::CMDialogChar(m);
  }

 private:
  TColor paint_;
};

class TGraphicProbe : public TGraphicControl {
 public:
  explicit TGraphicProbe(TComponent* owner, TColor paint = clBlue) : TGraphicControl(owner), paint_(paint) {}
  std::vector<std::string> Log;

 protected:
  void Paint() override {
    Canvas()->Brush()->SetColor(paint_);
    Canvas()->FillRect(ClientRect());
  }
  void CMMouseEnter(TMessage& m) override {
    Log.push_back("enter");
    TGraphicControl::CMMouseEnter(m);
  }
  void CMMouseLeave(TMessage& m) override {
    Log.push_back("leave");
    TGraphicControl::CMMouseLeave(m);
  }

 private:
  TColor paint_;
};

inline void SendMouse(TWinControl* c, QEvent::Type type, int x, int y, Qt::MouseButton b = Qt::LeftButton) {
  QWidget* w = c->ClientWidget();
  Qt::MouseButtons held = type == QEvent::MouseButtonRelease || type == QEvent::MouseMove ? Qt::NoButton : b;
  QMouseEvent e(type, QPointF(x, y), w->mapToGlobal(QPointF(x, y)), type == QEvent::MouseMove ? Qt::NoButton : b,
                held, Qt::NoModifier);
  QCoreApplication::sendEvent(w, &e);
}

inline void ClickAt(TWinControl* c, int x, int y) {
  SendMouse(c, QEvent::MouseButtonPress, x, y);
  SendMouse(c, QEvent::MouseButtonRelease, x, y);
}

inline void SendKey(TWinControl* c, int key, Qt::KeyboardModifiers mods = Qt::NoModifier,
                    const QString& text = QString()) {
  QWidget* w = c->ClientWidget();
  QKeyEvent press(QEvent::KeyPress, key, mods, text);
  QCoreApplication::sendEvent(w, &press);
  QKeyEvent release(QEvent::KeyRelease, key, mods, text);
  QCoreApplication::sendEvent(w, &release);
}
