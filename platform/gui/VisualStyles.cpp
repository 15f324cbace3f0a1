#include "platform/gui/VisualStyles.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <set>

#include "platform/gui/Graphics.h"
#include "platform/gui/QtBridge.h"
#include "platform/rtl/SysUtils.h"

// ---------------------------------------------------------------- the QStyle library
namespace {

enum class TThemeClass { Button, ComboBox, Spin, Header, ScrollBar, Progress };

struct TThemeData {
  TThemeClass Class;
};

// Handles this library gave out and has not closed: a stale handle is refused, never followed.
std::set<const void*>& OpenHandles() {
  static std::set<const void*> handles;
  return handles;
}

QStyle* AppStyle() {
  auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
  return app ? QApplication::style() : nullptr;
}

bool ClassOf(const std::string& name, TThemeClass& cls) {
  static const std::pair<const char*, TThemeClass> known[] = {
      {"button", TThemeClass::Button},   {"combobox", TThemeClass::ComboBox},
      {"spin", TThemeClass::Spin},       {"header", TThemeClass::Header},
      {"scrollbar", TThemeClass::ScrollBar}, {"progress", TThemeClass::Progress}};
  for (const auto& [n, c] : known)
    if (SameText(name, n)) {
      cls = c;
      return true;
    }
  return false;
}

HTHEME QOpenThemeData(HWND, const std::string& classList) {
  if (!AppStyle()) return nullptr;
  size_t from = 0;
  while (from <= classList.size()) {
    size_t semi = classList.find(';', from);
    if (semi == std::string::npos) semi = classList.size();
    TThemeClass cls;
    if (ClassOf(Trim(classList.substr(from, semi - from)), cls)) {
      auto* data = new TThemeData{cls};
      OpenHandles().insert(data);
      return reinterpret_cast<HTHEME>(data);
    }
    from = semi + 1;
  }
  return nullptr;
}

HRESULT QCloseThemeData(HTHEME theme) {
  auto it = OpenHandles().find(theme);
  if (it == OpenHandles().end()) return E_HANDLE;
  OpenHandles().erase(it);
  delete reinterpret_cast<TThemeData*>(theme);
  return S_OK;
}

// Normal, hot, pressed, disabled (1-4) as style flags.
QStyle::State StateFlags(int state) {
  switch (state) {
    case 2: return QStyle::State_Enabled | QStyle::State_Raised | QStyle::State_MouseOver;
    case 3: return QStyle::State_Enabled | QStyle::State_Sunken;
    case 4: return QStyle::State_Raised;
    default: return QStyle::State_Enabled | QStyle::State_Raised;
  }
}

// A button face with an arrow on it: combo, spin and scroll-bar buttons.
void ArrowButton(QStyle* style, QPainter& p, const QRect& r, int state, QStyle::PrimitiveElement arrow) {
  QStyleOptionButton face;
  face.rect = r;
  face.palette = QApplication::palette();
  face.state = StateFlags(state);
  style->drawPrimitive(QStyle::PE_PanelButtonCommand, &face, &p);
  QStyleOption a;
  const int inset = std::max(1, std::min(r.width(), r.height()) / 4);
  a.rect = r.adjusted(inset, inset, -inset, -inset);
  a.palette = face.palette;
  a.state = face.state;
  style->drawPrimitive(arrow, &a, &p);
}

bool DrawPart(QStyle* style, QPainter& p, TThemeClass cls, int part, int state, const QRect& r) {
  switch (cls) {
    case TThemeClass::Button: {
      if (part == 1) {
        QStyleOptionButton o;
        o.rect = r;
        o.palette = QApplication::palette();
        o.state = StateFlags(state == 5 ? 1 : state);
        if (state == 5) o.features |= QStyleOptionButton::DefaultButton;
        style->drawControl(QStyle::CE_PushButtonBevel, &o, &p);
        return true;
      }
      if (part != 2 && part != 3) return false;
      if (state < 1 || state > (part == 3 ? 12 : 8)) state = 1;
      QStyleOptionButton o;
      o.rect = r;
      o.palette = QApplication::palette();
      o.state = StateFlags((state - 1) % 4 + 1);
      const int group = (state - 1) / 4;  // unchecked, checked, mixed
      o.state |= group == 0 ? QStyle::State_Off : group == 1 ? QStyle::State_On : QStyle::State_NoChange;
      style->drawPrimitive(part == 3 ? QStyle::PE_IndicatorCheckBox : QStyle::PE_IndicatorRadioButton, &o, &p);
      return true;
    }
    case TThemeClass::ComboBox:
      if (part != 1) return false;
      ArrowButton(style, p, r, state, QStyle::PE_IndicatorArrowDown);
      return true;
    case TThemeClass::Spin: {
      static const QStyle::PrimitiveElement arrows[] = {QStyle::PE_IndicatorArrowUp, QStyle::PE_IndicatorArrowDown,
                                                        QStyle::PE_IndicatorArrowRight,
                                                        QStyle::PE_IndicatorArrowLeft};
      if (part < 1 || part > 4) return false;
      ArrowButton(style, p, r, state, arrows[part - 1]);
      return true;
    }
    case TThemeClass::Header: {
      if (part != 1) return false;
      QStyleOptionHeader o;
      o.rect = r;
      o.palette = QApplication::palette();
      o.state = QStyle::State_Enabled | QStyle::State_Horizontal;
      if (state == 2) o.state |= QStyle::State_MouseOver;
      if (state == 3) o.state |= QStyle::State_Sunken;
      style->drawControl(QStyle::CE_HeaderSection, &o, &p);
      // Not every style marks a hot section: the window system's header lightens it.
      if (state == 2) p.fillRect(r.adjusted(1, 1, -1, -1), QColor(255, 255, 255, 210));
      return true;
    }
    case TThemeClass::ScrollBar: {
      static const QStyle::PrimitiveElement arrows[] = {QStyle::PE_IndicatorArrowUp, QStyle::PE_IndicatorArrowDown,
                                                        QStyle::PE_IndicatorArrowLeft,
                                                        QStyle::PE_IndicatorArrowRight};
      if (part != 1) return false;
      if (state < 1 || state > 16) state = 1;
      ArrowButton(style, p, r, (state - 1) % 4 + 1, arrows[(state - 1) / 4]);
      return true;
    }
    case TThemeClass::Progress: {
      if (part < 1 || part > 4) return false;
      QStyleOptionProgressBar o;
      o.rect = r;
      o.palette = QApplication::palette();
      o.state = QStyle::State_Enabled | (part % 2 ? QStyle::State_Horizontal : QStyle::State_None);
      o.minimum = 0;
      o.maximum = 100;
      o.progress = 100;
      style->drawControl(part <= 2 ? QStyle::CE_ProgressBarGroove : QStyle::CE_ProgressBarContents, &o, &p);
      return true;
    }
  }
  return false;
}

HRESULT QDrawThemeBackground(HTHEME theme, HDC dc, int part, int state, const TRect& rect, const TRect* clip) {
  if (!OpenHandles().count(theme)) return E_HANDLE;
  if (!dc) return E_INVALIDARG;
  QStyle* style = AppStyle();
  if (!style) return E_FAIL;
  TRect dest = rect;
  if (clip && !IntersectRect(dest, rect, *clip)) return S_OK;
  if (IsRectEmpty(dest)) return S_OK;
  // The part is drawn whole at the rectangle's size, then the clipped share of it is copied.
  QImage image(rect.Width(), rect.Height(), QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  {
    QPainter p(&image);
    if (!DrawPart(style, p, reinterpret_cast<TThemeData*>(theme)->Class, part, state, image.rect()))
      return E_INVALIDARG;
  }
  const TRect source(dest.Left - rect.Left, dest.Top - rect.Top, dest.Right - rect.Left, dest.Bottom - rect.Top);
  const TCopyModeValue mode = dc->CopyMode();
  dc->SetCopyMode(cmSrcCopy);
  dc->DrawImage(dest, image, source);
  dc->SetCopyMode(mode);
  return S_OK;
}

HRESULT QGetCurrentThemeName(std::u16string& file, std::u16string& color, std::u16string& size) {
  QStyle* style = AppStyle();
  if (!style) return E_FAIL;
  file = style->name().toStdU16String();
  color.clear();
  size = u"NormalSize";
  return S_OK;
}

// ---------------------------------------------------------------- the binding
struct TBinding {
  TVisualStylesLoader Loader;
  std::unique_ptr<TVisualStylesLibrary> Library;
  bool Tried = false;
  int Loads = 0;
};

TBinding& Binding() {
  static TBinding b;
  return b;
}

const TVisualStylesLibrary* Bound() {
  BindVisualStyles();
  return Binding().Library.get();
}

int gMajor = 5, gMinor = 1;

}  // namespace

std::unique_ptr<TVisualStylesLibrary> LoadQStyleVisualStyles() {
  auto lib = std::make_unique<TVisualStylesLibrary>();
  lib->OpenThemeData = QOpenThemeData;
  lib->CloseThemeData = QCloseThemeData;
  lib->DrawThemeBackground = QDrawThemeBackground;
  lib->IsThemeActive = [] { return AppStyle() != nullptr; };
  lib->GetCurrentThemeName = QGetCurrentThemeName;
  return lib;
}

bool BindVisualStyles() {
  TBinding& b = Binding();
  if (!b.Tried) {
    b.Tried = true;
    b.Library = b.Loader ? b.Loader() : LoadQStyleVisualStyles();
    if (b.Library) ++b.Loads;
  }
  return b.Library != nullptr;
}

void UnbindVisualStyles() {
  TBinding& b = Binding();
  b.Library.reset();
  b.Tried = false;
}

bool VisualStylesLoaded() { return Bound() != nullptr; }

int VisualStylesLoadCount() { return Binding().Loads; }

void SetVisualStylesLoader(TVisualStylesLoader Loader) {
  UnbindVisualStyles();
  Binding().Loader = std::move(Loader);
}

HTHEME OpenThemeData(HWND Wnd, const std::string& ClassList) {
  const TVisualStylesLibrary* lib = Bound();
  return lib && lib->OpenThemeData ? lib->OpenThemeData(Wnd, ClassList) : nullptr;
}

HRESULT CloseThemeData(HTHEME Theme) {
  const TVisualStylesLibrary* lib = Bound();
  return lib && lib->CloseThemeData ? lib->CloseThemeData(Theme) : E_NOTIMPL;
}

HRESULT DrawThemeBackground(HTHEME Theme, HDC DC, int PartId, int StateId, const TRect& Rect, const TRect* Clip) {
  const TVisualStylesLibrary* lib = Bound();
  return lib && lib->DrawThemeBackground ? lib->DrawThemeBackground(Theme, DC, PartId, StateId, Rect, Clip)
                                         : E_NOTIMPL;
}

bool IsThemeActive() {
  const TVisualStylesLibrary* lib = Bound();
  return lib && lib->IsThemeActive && lib->IsThemeActive();
}

HRESULT GetCurrentThemeName(std::u16string& FileName, std::u16string& ColorName, std::u16string& SizeName) {
  const TVisualStylesLibrary* lib = Bound();
  return lib && lib->GetCurrentThemeName ? lib->GetCurrentThemeName(FileName, ColorName, SizeName) : E_NOTIMPL;
}

bool VisualStylesUsable() {
  const TVisualStylesLibrary* lib = Bound();
  return lib && lib->OpenThemeData && lib->DrawThemeBackground && lib->CloseThemeData && IsThemeActive();
}

bool DrawThemePart(HWND Wnd, const std::string& ClassList, HDC DC, int PartId, int StateId, const TRect& Rect) {
  if (!VisualStylesUsable()) return false;
  HTHEME theme = OpenThemeData(Wnd, ClassList);
  if (!theme) return false;
  const HRESULT drawn = DrawThemeBackground(theme, DC, PartId, StateId, Rect, nullptr);
  CloseThemeData(theme);
  return drawn == S_OK;
}

void GetWindowsVersion(int& Major, int& Minor) {
  Major = gMajor;
  Minor = gMinor;
}

void SetWindowsVersion(int Major, int Minor) {
  gMajor = Major;
  gMinor = Minor;
}

bool IsWindowsXPOrLater() { return gMajor > 5 || (gMajor == 5 && gMinor >= 1); }

int CurrentXPColorScheme() {
  if (!IsWindowsXPOrLater() || !IsThemeActive()) return 0;
  std::u16string file, color, size;
  if (GetCurrentThemeName(file, color, size) != S_OK) return 0;
  // The library fills buffers of 255 characters.
  if (color.size() > 255) color.resize(255);
  if (color == u"NormalColor") return 1;
  if (color == u"HomeStead") return 2;
  if (color == u"Metallic") return 3;
  return 0;
}
