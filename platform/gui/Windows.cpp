#include "platform/gui/Windows.h"

#include <QApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QEvent>
#include <QImage>
#include <QPixmap>
#include <QUrl>
#include <algorithm>
#include <cctype>
#include <map>
#include <memory>

#include "platform/gui/CharKinds.h"
#include "platform/gui/Forms.h"
#include "platform/gui/GuiInternal.h"
#include "platform/gui/QtBridge.h"
#include "platform/gui/QtPeer.h"
#include "platform/rtl/SysUtils.h"

// ---------------------------------------------------------------- posted messages
namespace {
class TPostedMessage : public QEvent {
 public:
  TPostedMessage(HWND w, UINT m, WPARAM wp, LPARAM lp)
      : QEvent(static_cast<QEvent::Type>(QEvent::User + 71)), Wnd(w), Msg(m), WParam(wp), LParam(lp) {}
  HWND Wnd;
  UINT Msg;
  WPARAM WParam;
  LPARAM LParam;
};

class TMessageQueue : public QObject {
 public:
  bool event(QEvent* e) override {
    if (e->type() != static_cast<QEvent::Type>(QEvent::User + 71)) return QObject::event(e);
    auto* pm = static_cast<TPostedMessage*>(e);
    // One message at a time reaches a modal loop: once a modal form has its result,
    // later messages wait until the loop has seen it.
    if (Application && !Application->ModalForms().empty() &&
        Application->ModalForms().back()->ModalResult() != mrNone) {
      QCoreApplication::postEvent(this, new TPostedMessage(pm->Wnd, pm->Msg, pm->WParam, pm->LParam));
      return true;
    }
    TWinControl* c = FindControl(pm->Wnd);
    if (!c) return true;
    if (pm->Msg == CM_RELEASE) {
      if (auto* f = dynamic_cast<TCustomForm*>(c)) GuiReleaseForm(f);
      GuiFlushDeletes();
      return true;
    }
    GuiRun(static_cast<TControl*>(c), [&] { c->Perform(pm->Msg, pm->WParam, pm->LParam); });
    GuiFlushDeletes();
    return true;
  }
};

TMessageQueue* Queue() {
  static TMessageQueue* q = new TMessageQueue;
  return q;
}
}  // namespace

void GuiPostMessage(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  QCoreApplication::postEvent(Queue(), new TPostedMessage(Wnd, Msg, WParam, LParam));
}

bool PostMessage(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  if (!FindControl(Wnd)) return false;
  GuiPostMessage(Wnd, Msg, WParam, LParam);
  return true;
}

LRESULT SendMessage(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  TWinControl* c = FindControl(Wnd);
  return c ? c->Perform(Msg, WParam, LParam) : 0;
}

bool IsWindow(HWND Wnd) { return FindControl(Wnd) != nullptr; }

bool SystemParametersInfo(UINT Action, UINT, void* PVParam, UINT) {
  if (Action != SPI_GETWHEELSCROLLLINES || !PVParam) return false;
  *static_cast<UINT*>(PVParam) = static_cast<UINT>(std::max(0, QApplication::wheelScrollLines()));
  return true;
}

UINT RegisterWindowMessage(const std::string& Name) {
  static std::map<std::string, UINT> names;
  std::string key;
  for (char c : Name) key += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  auto it = names.find(key);
  if (it != names.end()) return it->second;
  UINT id = 0xC000 + static_cast<UINT>(names.size());
  names[key] = id;
  return id;
}

// ---------------------------------------------------------------- keys, beeps, shell
namespace {
std::map<int, bool>& Toggles() {
  static std::map<int, bool> t;
  return t;
}
int gBeeps = 0;
TShellOpenHandler gShell;
}  // namespace

short GetKeyState(int VirtKey) {
  short r = 0;
  auto it = Toggles().find(VirtKey);
  if (it != Toggles().end() && it->second) r |= 1;
  TShiftState s = KeyboardStateToShiftState();
  if ((VirtKey == VK_SHIFT && (s & ssShift)) || (VirtKey == VK_CONTROL && (s & ssCtrl)) ||
      (VirtKey == VK_MENU && (s & ssAlt)) || (VirtKey == VK_LBUTTON && (s & ssLeft)) ||
      (VirtKey == VK_RBUTTON && (s & ssRight)))
    r = static_cast<short>(r | 0x8000);
  return r;
}

void SetKeyToggleState(int VirtKey, bool On) { Toggles()[VirtKey] = On; }

bool IsCharAlphaNumericW(char32_t Ch) { return QChar::isLetter(Ch) || QChar::isDigit(Ch); }

bool MessageBeep(UINT) {
  ++gBeeps;
  if (!std::getenv("VELMARON_TEST") && qobject_cast<QApplication*>(QCoreApplication::instance()))
    QApplication::beep();
  return true;
}

int BeepCount() { return gBeeps; }

void SetShellOpenHandler(TShellOpenHandler Handler) { gShell = std::move(Handler); }

intptr_t ShellExecute(HWND, const std::string& Operation, const std::string& File, const std::string&,
                      const std::string&, int) {
  std::string verb = Operation.empty() ? "open" : Operation;
  // As the shell does, an address written without its scheme ("www.example.com") is a web page.
  std::string target = File;
  if (target.size() > 4 && StartsText("www.", target)) target = "http://" + target;
  if (gShell) return gShell(verb, target) ? 33 : 2;
  QUrl url = target.find("://") != std::string::npos || target.rfind("mailto:", 0) == 0
                 ? QUrl(ToQString(target))
                 : QUrl::fromLocalFile(ToQString(target));
  return QDesktopServices::openUrl(url) ? 33 : 2;
}

// ---------------------------------------------------------------- cursors
static HCURSOR MakeCursor(const std::string& bytes) {
  QImage img;
  if (!img.loadFromData(reinterpret_cast<const uchar*>(bytes.data()), static_cast<int>(bytes.size())))
    return nullptr;
  int hx = 0, hy = 0;
  // A .cur file keeps its hot spot in the first directory entry.
  if (bytes.size() >= 14 && bytes[2] == 2) {
    hx = static_cast<uint8_t>(bytes[10]) | (static_cast<uint8_t>(bytes[11]) << 8);
    hy = static_cast<uint8_t>(bytes[12]) | (static_cast<uint8_t>(bytes[13]) << 8);
  }
  auto* c = new QCursor(QPixmap::fromImage(img), hx, hy);
  return reinterpret_cast<HCURSOR>(c);
}

HCURSOR LoadCursor(uintptr_t, const std::string& Name) {
  std::string bytes;
  if (!FindResource(Name, bytes)) return nullptr;
  return MakeCursor(bytes);
}

HCURSOR LoadCursorFromFile(const std::string& FileName) {
  FILE* f = std::fopen(FileName.c_str(), "rb");
  if (!f) return nullptr;
  std::string bytes;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.append(buf, n);
  std::fclose(f);
  return MakeCursor(bytes);
}

HCURSOR CreateCursor(uintptr_t, int XHotSpot, int YHotSpot, int Width, int Height, const void* ANDPlane,
                     const void* XORPlane) {
  if (Width < 1 || Height < 1 || !ANDPlane || !XORPlane || !QCoreApplication::instance()) return nullptr;
  const auto* andBits = static_cast<const uint8_t*>(ANDPlane);
  const auto* xorBits = static_cast<const uint8_t*>(XORPlane);
  const int stride = (Width + 15) / 16 * 2;
  QImage img(Width, Height, QImage::Format_ARGB32);
  for (int y = 0; y < Height; ++y)
    for (int x = 0; x < Width; ++x) {
      const size_t i = static_cast<size_t>(y) * stride + x / 8;
      const uint8_t bit = static_cast<uint8_t>(0x80 >> (x % 8));
      const bool a = andBits[i] & bit, o = xorBits[i] & bit;
      img.setPixel(x, y, a && !o ? 0x00000000u : !a && o ? 0xFFFFFFFFu : 0xFF000000u);
    }
  auto* c = new QCursor(QPixmap::fromImage(img), std::clamp(XHotSpot, 0, Width - 1), std::clamp(YHotSpot, 0, Height - 1));
  return reinterpret_cast<HCURSOR>(c);
}

// ---------------------------------------------------------------- drawing calls
int DrawText(HDC DC, const std::string& Text, int Count, TRect* Rect, UINT Format) {
  if (!DC || !Rect) return 0;
  std::string t = Count < 0 ? std::string(Text.c_str()) : Text.substr(0, static_cast<size_t>(Count));
  return DC->DrawText(t, *Rect, Format);
}

bool DrawEdge(HDC DC, TRect* Rect, UINT Edge, UINT Flags) {
  if (!DC || !Rect) return false;
  DC->DrawEdge(*Rect, Edge, Flags);
  return true;
}

bool DrawFrameControl(HDC DC, TRect* Rect, UINT Type, UINT State) {
  if (!DC || !Rect) return false;
  DC->DrawFrameControl(*Rect, Type, State);
  return true;
}

bool DrawFocusRect(HDC DC, const TRect* Rect) {
  if (!DC || !Rect) return false;
  DC->DrawFocusRect(*Rect);
  return true;
}
