#pragma once
// The slider tool window: a vertical LED slider 0 to 255 with the register's
// description written upwards beside it.

#include "devices/RegisterTool.h"

class TInstSlider;
class TInstLabel;

class TfrmSlider : public TRegisterToolForm {
 public:
  explicit TfrmSlider(TComponent* AOwner);
  ~TfrmSlider() override;
  std::string ClassName() const override { return "TfrmSlider"; }

  TInstLabel* lblRegName = nullptr;
  TInstSlider* Slider = nullptr;
  TInstCheckLed* chbAuto = nullptr;

  void SliderChange(TObject* Sender);

  void SetRegisterName(const std::string& Description) override;

 protected:
  void ShowValue(uint8_t Value) override;
  void Redraw() override;
};

extern TfrmSlider* frmSlider;
