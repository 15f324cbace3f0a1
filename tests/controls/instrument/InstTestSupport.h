#pragma once
// Shared helpers of the instrument control tests.

#include <memory>

#include "platform/gui/Forms.h"
#include "platform/gui/Graphics.h"

// Lets a test run a control's paint directly and inspect its offscreen bitmap.
template <class T>
class Painted : public T {
 public:
  using T::T;
  void PaintNow() { this->Paint(); }
  TColor PixelAt(int X, int Y) { return ColorToRGB(this->OffscreenBitmap()->Canvas()->Pixels(X, Y)); }
};

// A parent for the controls under test.
inline std::unique_ptr<TForm> MakeForm(int W = 400, int H = 300) {
  auto f = std::make_unique<TForm>(nullptr);
  f->SetBounds(0, 0, W, H);
  return f;
}

// Fixed RGB values for the system colours the controls use.
inline void PinSystemColours() {
  SetSysColor(15, RGB(192, 192, 192));  // clBtnFace
  SetSysColor(16, RGB(128, 128, 128));  // clBtnShadow
  SetSysColor(20, RGB(255, 255, 255));  // clBtnHighlight
  SetSysColor(3, RGB(120, 120, 160));   // clInactiveCaption
}
