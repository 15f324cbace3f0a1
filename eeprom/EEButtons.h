#pragma once
// The EEPROM windows' push buttons (TInstDemoButton), made and reached without
// bringing the instrument headers into the windows' headers.

#include <string>

#include "platform/gui/Controls.h"

class TInstDemoButton;

TInstDemoButton* NewEEButton(TComponent* Owner, TWinControl* Parent, const std::string& Name,
                             const std::string& Caption, const std::string& Hint, int X, int Y, int W, int H);
// The button as a control (its OnClick, Enabled, Click()).
TControl* ButtonControl(TInstDemoButton* Button);
