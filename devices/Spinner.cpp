#include "devices/Spinner.h"

#include "app/bus/ByteText.h"
#include "controls/instrument/InstCheckLed.h"
#include "devices/Longi2c.h"

TfrmSpin* frmSpin = nullptr;

TfrmSpin::TfrmSpin(TComponent* AOwner) : TRegisterToolForm(AOwner, "frmSpin") {
  BeginLoading();
  SetClientSize(146, 77);
  spnRegister = new TSpinEdit(this);
  spnRegister->SetName("spnRegister");
  spnRegister->SetParent(this);
  spnRegister->SetBounds(8, 8, 56, 22);
  spnRegister->SetMinValue(0);
  spnRegister->SetMaxValue(255);
  spnRegister->SetMaxLength(3);
  spnRegister->SetEditorEnabled(false);
  spnRegister->SetHint("Click on up/down arrows to inc./dec. value");
  spnRegister->SetShowHint(true);
  lblSpin = new TLabel(this);
  lblSpin->SetName("lblSpin");
  lblSpin->SetParent(this);
  lblSpin->SetBounds(74, 11, 64, 16);
  lblSpin->SetCaption("Decimal");
  chbUpdate = MakeSwitch("chbUpdate", "Send I\xC2\xB2" "C message when value changed", 8, 36);
  lblRegName = MakeNameBar();
  spnRegister->OnChange = [this](TObject* s) { spnOnChange(s); };
  EndLoading();
}

void TfrmSpin::SetRegisterName(const std::string& Description) { lblRegName->SetCaption(Description); }

TfrmSpin::~TfrmSpin() {
  if (frmSpin == this) frmSpin = nullptr;
}

void TfrmSpin::ShowValue(uint8_t Value) {
  spnRegister->SetValue(Value);
  lblSpin->SetCaption("0x" + ByteCellText(Value));
}

void TfrmSpin::spnOnChange(TObject*) {
  if (Showing()) return;
  const uint8_t v = static_cast<uint8_t>(std::clamp(spnRegister->Value(), 0, 255));
  lblSpin->SetCaption("0x" + ByteCellText(v));
  ValueChanged(v);
}

void TfrmLongI2C::frmSpinClick(TObject*) { OpenRegisterTool(frmSpin); }
