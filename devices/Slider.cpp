#include "devices/Slider.h"

#include "controls/instrument/InstCheckLed.h"
#include "controls/instrument/InstLabel.h"
#include "controls/instrument/InstSlider.h"
#include "devices/Longi2c.h"

TfrmSlider* frmSlider = nullptr;

TfrmSlider::TfrmSlider(TComponent* AOwner) : TRegisterToolForm(AOwner, "frmSlider") {
  BeginLoading();
  SetClientSize(115, 282);
  lblRegName = new TInstLabel(this);
  lblRegName->SetName("lblRegName");
  lblRegName->SetParent(this);
  lblRegName->SetBounds(4, 8, 28, 238);
  lblRegName->SetAngle(90);
  lblRegName->SetCaption("Register Name");
  Slider = new TInstSlider(this);
  Slider->SetName("Slider");
  Slider->SetParent(this);
  Slider->SetBounds(44, 8, 60, 238);
  Slider->SetOrientation(voVertical);
  Slider->SetMinValue(0);
  Slider->SetMaxValue(255);
  Slider->SetKeyIncrement(1);
  Slider->Palette()->SetLow(clGreen);
  Slider->Palette()->SetHigh(clLime);
  chbAuto = MakeSwitch("chbAuto", "Send I\xC2\xB2" "C message when slider changed", 2, 256);
  chbAuto->SetWidth(111);
  Slider->OnChange = [this](TObject* s) { SliderChange(s); };
  OnDeactivate = [this](TObject*) { Slider->Invalidate(); };
  EndLoading();
}

void TfrmSlider::SetRegisterName(const std::string& Description) { lblRegName->SetCaption(Description); }

TfrmSlider::~TfrmSlider() {
  if (frmSlider == this) frmSlider = nullptr;
}

void TfrmSlider::ShowValue(uint8_t Value) { Slider->SetPosition(Value); }

// Painted at once rather than hidden and shown: hiding the slider would take its keyboard focus.
void TfrmSlider::Redraw() { Slider->Repaint(); }

void TfrmSlider::SliderChange(TObject*) {
  if (Showing()) return;
  ValueChanged(static_cast<uint8_t>(std::clamp(Slider->Position(), 0, 255)));
}

void TfrmLongI2C::CreatefrmSliderClick(TObject*) { OpenRegisterTool(frmSlider); }
