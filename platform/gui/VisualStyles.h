#pragma once
// The visual-styles library and the tests for the XP look, once for the whole
// program: the grid family, the markup renderer and the inspector all go
// through this binding. The platform's library draws the themed parts with
// the application's QStyle; tests install libraries of their own.
//
// Theme classes the platform's library knows (names without case, a
// ";"-separated list takes the first known one): "button" (1 push button,
// 2 radio button, 3 check box), "combobox" (1 drop-down button), "spin"
// (1 up, 2 down, 3 up horizontal = right, 4 down horizontal = left),
// "header" (1 item), "scrollbar" (1 arrow button), "progress" (1 bar,
// 2 vertical bar, 3 chunk, 4 vertical chunk). States are those of the
// styles library: 1 normal, 2 hot, 3 pressed, 4 disabled, 5 defaulted (push
// buttons); check boxes and radio buttons 1-4 unchecked, 5-8 checked, 9-12
// mixed; scroll arrows 1-4 up, 5-8 down, 9-12 left, 13-16 right.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/gui/Windows.h"
#include "platform/rtl/Types.h"

struct HTHEME__;
using HTHEME = HTHEME__*;
using HRESULT = int32_t;
constexpr HRESULT S_OK = 0;
constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001u);
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT E_HANDLE = static_cast<HRESULT>(0x80070006u);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);

// The entry points of a styles library that the system calls. An empty entry
// is one the library lacks.
struct TVisualStylesLibrary {
  std::function<HTHEME(HWND Wnd, const std::string& ClassList)> OpenThemeData;
  std::function<HRESULT(HTHEME Theme)> CloseThemeData;
  std::function<HRESULT(HTHEME Theme, HDC DC, int PartId, int StateId, const TRect& Rect, const TRect* Clip)>
      DrawThemeBackground;
  std::function<bool()> IsThemeActive;
  std::function<HRESULT(std::u16string& FileName, std::u16string& ColorName, std::u16string& SizeName)>
      GetCurrentThemeName;
};

// Loads a styles library: its entries, or nullptr when the system has none.
using TVisualStylesLoader = std::function<std::unique_ptr<TVisualStylesLibrary>()>;

// The platform's library over QStyle. Themes are active while a QApplication
// runs. It reports the style's name as the theme file, no colour scheme
// (Qt has none of the XP schemes) and "NormalSize".
std::unique_ptr<TVisualStylesLibrary> LoadQStyleVisualStyles();

// ---- the binding
// Loads the library once (later calls do nothing) and takes its entries; a
// missing entry stays empty and its calls below fail quietly. True when a
// library is bound. Runs by itself at the first call below.
bool BindVisualStyles();
// Frees the library; the next call binds again.
void UnbindVisualStyles();
bool VisualStylesLoaded();
// How many times a library was loaded (tests).
int VisualStylesLoadCount();
// The loader that binding uses; nullptr puts back the platform's. Unbinds.
void SetVisualStylesLoader(TVisualStylesLoader Loader);

// The calls, through the binding. Without a library or without the entry:
// nullptr, false or E_NOTIMPL.
HTHEME OpenThemeData(HWND Wnd, const std::string& ClassList);
HRESULT CloseThemeData(HTHEME Theme);
HRESULT DrawThemeBackground(HTHEME Theme, HDC DC, int PartId, int StateId, const TRect& Rect,
                            const TRect* Clip = nullptr);
bool IsThemeActive();
HRESULT GetCurrentThemeName(std::u16string& FileName, std::u16string& ColorName, std::u16string& SizeName);
// True when a library is bound, has the drawing entries and reports an active theme.
bool VisualStylesUsable();
// One themed part as users draw it: opens the class for the window, draws the
// part into Rect and closes the theme again. False when it could not (no
// usable library, no such class or part): the caller draws the classic look.
bool DrawThemePart(HWND Wnd, const std::string& ClassList, HDC DC, int PartId, int StateId, const TRect& Rect);

// ---- the XP-look tests
// The system version reported to version tests. The platform stands in for
// version 5.1; tests change it.
void GetWindowsVersion(int& Major, int& Minor);
void SetWindowsVersion(int Major, int Minor);
// Major version above 5, or 5 with a minor version of 1 or more.
bool IsWindowsXPOrLater();
// 0 unless IsWindowsXPOrLater and a theme is active; then by the colour
// scheme's name: "NormalColor" 1, "HomeStead" 2, "Metallic" 3, any other 0.
int CurrentXPColorScheme();
