#pragma once
// The bits tool window: the register's eight bits as "0"/"1" boxes that toggle when clicked.

#include <array>

#include "devices/RegisterTool.h"
#include "platform/gui/ExtCtrls.h"

class TfrmBits : public TRegisterToolForm {
 public:
  explicit TfrmBits(TComponent* AOwner);
  ~TfrmBits() override;
  std::string ClassName() const override { return "TfrmBits"; }

  // edtDigit[k] is the box of bit k (edtDigit7 on the left).
  std::array<TEdit*, 8> edtDigit{};
  TInstCheckLed* chbBitsUpdate = nullptr;
  TPanel* lblRegName = nullptr;

  void edtDigitClick(TObject* Sender);
  void edtDigitChange(TObject* Sender);
  uint8_t BitsValue() const;

  void SetRegisterName(const std::string& Description) override;

 protected:
  void ShowValue(uint8_t Value) override;
};

extern TfrmBits* frmBits;
