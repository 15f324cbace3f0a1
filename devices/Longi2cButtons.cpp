// The device window's push buttons, apart from the grid's sources.
#include "controls/instrument/InstButtons.h"
#include "devices/Longi2c.h"

TInstDemoButton* MakeDeviceButton(TfrmLongI2C* Form, TWinControl* Parent, const std::string& Name,
                                  const std::string& Caption, const std::string& Hint, int X, int Y, int W,
                                  TNotifyEvent OnClick) {
  auto* b = new TInstDemoButton(Form);
  b->SetName(Name);
  b->SetParent(Parent);
  b->SetBounds(X, Y, W, 25);
  b->SetCaption(Caption);
  b->SetHint(Hint);
  b->SetShowHint(true);
  for (TFont* f : {b->FontLeave(), b->FontEnter()}) {
    f->SetName("Arial");
    f->SetHeight(-12);
  }
  b->OnClick = std::move(OnClick);
  return b;
}

TWinControl* TfrmLongI2C::ButtonControl(TInstDemoButton* Button) { return Button; }
