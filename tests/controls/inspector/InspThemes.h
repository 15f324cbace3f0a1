#pragma once
// Styles libraries for the inspector's tests: one that records every themed part drawn, one
// that reports a colour scheme, and none at all (the classic look).

#include <memory>
#include <string>
#include <vector>

#include "platform/gui/VisualStyles.h"

struct TThemePart {
  std::string Class;
  int Part, State;
  TRect R;
};

// An active theme whose drawing only records the parts into Parts (which must outlive it).
inline void RecordThemeParts(std::vector<TThemePart>* Parts) {
  SetVisualStylesLoader([Parts] {
    auto classes = std::make_shared<std::vector<std::string>>();
    auto lib = std::make_unique<TVisualStylesLibrary>();
    lib->OpenThemeData = [classes](HWND, const std::string& cls) {
      classes->push_back(cls);
      return reinterpret_cast<HTHEME>(classes->size());
    };
    lib->CloseThemeData = [](HTHEME) { return S_OK; };
    lib->DrawThemeBackground = [classes, Parts](HTHEME t, HDC, int part, int state, const TRect& r, const TRect*) {
      Parts->push_back({(*classes)[reinterpret_cast<size_t>(t) - 1], part, state, r});
      return S_OK;
    };
    lib->IsThemeActive = [] { return true; };
    return lib;
  });
}

// A library that reports one colour scheme (and draws nothing).
inline void ReportColourScheme(const std::u16string& Name, bool Active = true) {
  SetVisualStylesLoader([Name, Active] {
    auto lib = std::make_unique<TVisualStylesLibrary>();
    lib->IsThemeActive = [Active] { return Active; };
    lib->GetCurrentThemeName = [Name](std::u16string& f, std::u16string& c, std::u16string& s) {
      f = u"luna.msstyles";
      c = Name;
      s = u"NormalSize";
      return S_OK;
    };
    return lib;
  });
}

// No styles library: the classic frame drawing.
inline void NoStylesLibrary() {
  SetVisualStylesLoader([] { return std::unique_ptr<TVisualStylesLibrary>(); });
}
