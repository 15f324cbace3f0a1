#include "platform/gui/LayeredWindows.h"

#include <QWidget>

#include "platform/gui/Controls.h"

bool SetLayeredWindowAttributes(HWND Wnd, TColor, BYTE Alpha, DWORD Flags) {
  TWinControl* control = FindControl(Wnd);
  if (!control) return false;
  QWidget* w = control->Peer();
  if (w && w->isWindow() && (Flags & LWA_ALPHA)) w->setWindowOpacity(Alpha / 255.0);
  return true;
}
