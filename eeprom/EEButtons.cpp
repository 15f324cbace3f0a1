#include "eeprom/EEButtons.h"

#include "controls/instrument/InstButtons.h"

TInstDemoButton* NewEEButton(TComponent* Owner, TWinControl* Parent, const std::string& Name,
                             const std::string& Caption, const std::string& Hint, int X, int Y, int W, int H) {
  auto* b = new TInstDemoButton(Owner);
  b->SetName(Name);
  b->SetParent(Parent);
  b->SetBounds(X, Y, W, H);
  b->SetCaption(Caption);
  // 76 x 25 buttons take a small bold face.
  for (TFont* f : {b->FontLeave(), b->FontEnter()}) {
    f->SetName("Arial");
    f->SetHeight(-11);
    f->SetStyle(fsBold);
  }
  if (!Hint.empty()) {
    b->SetHint(Hint);
    b->SetShowHint(true);
  }
  return b;
}

TControl* ButtonControl(TInstDemoButton* Button) { return Button; }
