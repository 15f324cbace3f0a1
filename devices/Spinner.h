#pragma once
// The spin tool window: the register's value stepped from 0 to 255 with its hex text beside it.

#include "devices/RegisterTool.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Spin.h"

class TfrmSpin : public TRegisterToolForm {
 public:
  explicit TfrmSpin(TComponent* AOwner);
  ~TfrmSpin() override;
  std::string ClassName() const override { return "TfrmSpin"; }

  TSpinEdit* spnRegister = nullptr;
  TLabel* lblSpin = nullptr;
  TInstCheckLed* chbUpdate = nullptr;
  TPanel* lblRegName = nullptr;

  void spnOnChange(TObject* Sender);

  void SetRegisterName(const std::string& Description) override;

 protected:
  void ShowValue(uint8_t Value) override;
};

extern TfrmSpin* frmSpin;
