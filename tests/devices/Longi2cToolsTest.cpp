// The spin, bits and slider tool windows of the device window: values, the
// automatic write (one whole transaction per change), refusals, and their life.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>

#include "controls/instrument/InstCheckLed.h"
#include "controls/instrument/InstLabel.h"
#include "controls/instrument/InstSlider.h"
#include "devices/Bits.h"
#include "devices/Slider.h"
#include "devices/Spinner.h"
#include "tests/devices/Longi2cTestFixture.h"

namespace {

using Longi2cTools = TLongi2cTest;

std::string Bits(TfrmBits* b) {
  std::string s;
  for (int k = 7; k >= 0; --k) s += b->edtDigit[static_cast<size_t>(k)]->Text();
  return s;
}

TEST_F(Longi2cTools, BitsWindowShowsTheCellAndWritesEachChangeWhenAutomatic) {
  TfrmLongI2C* w = Open();
  w->edtAddress->SetText("40");
  w->SetRegisterText(0x12, "A5");
  Select(w, 0x12);
  Click(w->btnBits);
  ASSERT_NE(frmBits, nullptr);
  TfrmBits* b = frmBits;
  EXPECT_EQ(b->Caption(), "0x12");
  EXPECT_EQ(Bits(b), "10100101");
  EXPECT_EQ(b->chbBitsUpdate->Caption(), "Auto Write Off");
  Traffic();
  StdClick(b->edtDigit[0]);
  EXPECT_EQ(w->RegisterText(0x12), "A4");
  EXPECT_EQ(Traffic(), "") << "nothing is sent while the switch is off";
  EXPECT_TRUE(Longi2c::Modified);

  b->chbBitsUpdate->SetChecked(true);
  EXPECT_EQ(b->chbBitsUpdate->Caption(), "Auto Write On");
  EXPECT_EQ(b->chbBitsUpdate->Font()->Color(), clGreen);
  StdClick(b->edtDigit[7]);
  EXPECT_EQ(w->RegisterText(0x12), "24");
  EXPECT_EQ(Traffic(), "S W40 W12 W24 P");
  EXPECT_EQ(regs.Registers[0x12], 0x24);
  EXPECT_EQ(StatusText(), "  Transmission successful");
}

TEST_F(Longi2cTools, AFailedOrRefusedAutomaticWriteSwitchesItOff) {
  TfrmLongI2C* w = Open();
  w->edtAddress->SetText("50");  // nobody there
  Select(w, 3);
  Click(w->btnSpin);
  ASSERT_NE(frmSpin, nullptr);
  TfrmSpin* s = frmSpin;
  s->chbUpdate->SetChecked(true);
  Traffic();
  s->spnRegister->SetValue(0x21);
  EXPECT_EQ(Traffic(), "S P");
  EXPECT_EQ(StatusText(), "  Address not acknowledged");
  EXPECT_FALSE(s->chbUpdate->Checked());
  EXPECT_EQ(s->chbUpdate->Caption(), "Auto Write Off");
  EXPECT_EQ(w->RegisterText(3), "21") << "the cell keeps the new value";
  EXPECT_EQ(s->lblSpin->Caption(), "0x21");
  s->spnRegister->SetValue(0x22);
  EXPECT_EQ(Traffic(), "");
  EXPECT_EQ(w->RegisterText(3), "22");
  // The number cannot be typed, only stepped.
  StdType(s->spnRegister, "9");
  EXPECT_EQ(s->spnRegister->Value(), 0x22);

  // An address field that is not two hex digits sends nothing.
  w->edtAddress->SetText("4");
  s->chbUpdate->SetChecked(true);
  s->spnRegister->SetValue(0x23);
  EXPECT_EQ(Traffic(), "");
  EXPECT_EQ(StatusText(), "  Invalid address");
  EXPECT_FALSE(s->chbUpdate->Checked());
}

TEST_F(Longi2cTools, EachSliderWritesItsOwnRegister) {
  TfrmLongI2C* w = Open();
  w->edtAddress->SetText("40");
  Select(w, 0x10);
  Click(w->btnSlider);
  TfrmSlider* a = frmSlider;
  Select(w, 0x20);
  Click(w->btnSlider);
  TfrmSlider* b = frmSlider;
  ASSERT_NE(a, b);
  EXPECT_EQ(a->Caption(), "0x10");
  EXPECT_EQ(b->Caption(), "0x20");
  EXPECT_EQ(a->Slider->Position(), 0xFF);
  a->chbAuto->SetChecked(true);
  b->chbAuto->SetChecked(true);
  Traffic();
  a->Slider->SetPosition(0x11);
  b->Slider->SetPosition(0x22);
  EXPECT_EQ(Traffic(), "S W40 W10 W11 P S W40 W20 W22 P");
  EXPECT_EQ(w->RegisterText(0x10), "11");
  EXPECT_EQ(w->RegisterText(0x20), "22");
  EXPECT_EQ(Longi2c::ActiveRegister, 0x20) << "a change makes its register the active one";
  EXPECT_EQ(w->ToolWindows().size(), 2u);
}

TEST_F(Longi2cTools, ActivationShowsTheCellWithoutWriting) {
  TfrmLongI2C* w = Open();
  w->edtAddress->SetText("40");
  Select(w, 5);
  Click(w->btnSpin);
  TfrmSpin* s = frmSpin;
  s->chbUpdate->SetChecked(true);
  w->SetRegisterText(5, "3C");  // edited in the grid meanwhile
  Traffic();
  s->OnActivate(s);
  EXPECT_EQ(s->spnRegister->Value(), 0x3C);
  EXPECT_EQ(s->lblSpin->Caption(), "0x3C");
  EXPECT_EQ(Traffic(), "");
  // A cell that holds no byte leaves the controls as they were.
  w->SetRegisterText(5, "XX");
  s->OnActivate(s);
  EXPECT_EQ(s->spnRegister->Value(), 0x3C);
  EXPECT_EQ(Traffic(), "");
  // The slider is drawn again on every activation, also when its value stays.
  w->SetRegisterText(5, "3C");
  Click(w->btnSlider);
  TfrmSlider* l = frmSlider;
  Application->ProcessMessages();
  l->Slider->Repaint();
  ASSERT_GT(l->Slider->OffscreenBitmap()->Width(), 0) << "painted once";
  TCanvas* led = l->Slider->OffscreenBitmap()->Canvas();
  const TColor drawn = led->Pixels(2, 2);
  led->SetPixels(2, 2, drawn == clFuchsia ? clAqua : clFuchsia);
  l->OnActivate(l);
  EXPECT_EQ(led->Pixels(2, 2), drawn);
  EXPECT_EQ(l->Slider->Position(), 0x3C);
  EXPECT_EQ(Traffic(), "");
}

TEST_F(Longi2cTools, NoToolWindowForAMarkedOrUndefinedRegisterAndChangesPastTheCountAreIgnored) {
  TfrmLongI2C* w = Open();
  w->SetRegisterText(2, "XX");
  Select(w, 2);
  Responder().ExpectMessage("not a hex byte");
  Click(w->btnBits);
  EXPECT_EQ(frmBits, nullptr);
  EXPECT_TRUE(w->ToolWindows().empty());

  Select(w, 30);
  Click(w->btnSpin);
  TfrmSpin* s = frmSpin;
  ASSERT_NE(s, nullptr);
  Longi2c::MaxRegister = 19;  // redefined below the window's register
  w->ShowRegisterCount(clInfoBk, clWhite);
  s->spnRegister->SetValue(7);
  EXPECT_EQ(w->RegisterText(30), "FF");
  Select(w, 25);
  Responder().ExpectMessage("Cannot edit an undefined cell");
  Click(w->btnSlider);
  EXPECT_EQ(w->ToolWindows().size(), 1u);
}

// Tool windows that stay open while another device file is opened name their register as the
// new device describes it.
TEST_F(Longi2cTools, OpenToolWindowsTakeTheNewDevicesRegisterNames) {
  TfrmLongI2C* w = Open();
  Select(w, 10);
  Click(w->btnSpin);
  Click(w->btnBits);
  Click(w->btnSlider);
  ASSERT_TRUE(frmSpin && frmBits && frmSlider);
  struct Tool {
    const char* kind;
    std::function<std::string()> name;
  };
  const Tool tools[] = {{"spin", [] { return frmSpin->lblRegName->Caption(); }},
                        {"bits", [] { return frmBits->lblRegName->Caption(); }},
                        {"slider", [] { return frmSlider->lblRegName->Caption(); }}};
  for (const Tool& t : tools) EXPECT_EQ(t.name(), "Undefined Register") << t.kind;
  const std::string def = File("gain.def");
  std::ofstream(def, std::ios::binary) << "[Device Data]\nAddress=42\nMaxRegister=19\nName=ADC\n"
                                          "[Register Data]\n10=0B\n[Register Description]\n10=Gain\n";
  Longi2c::Modified = false;
  Responder().ExpectOpen(def);
  w->mnuLoad->Click();
  ASSERT_EQ(w->ToolWindows().size(), 3u) << "nothing was saved: the tool windows stay";
  for (const Tool& t : tools) EXPECT_EQ(t.name(), "Gain") << t.kind;
}

TEST_F(Longi2cTools, ToolWindowsCloseWithTheDeviceWindow) {
  TfrmLongI2C* w = Open();
  Click(w->btnSpin);
  Click(w->btnBits);
  Click(w->btnSlider);
  EXPECT_EQ(w->ToolWindows().size(), 3u);
  w->mnuClose->Click();
  Application->ProcessMessages();
  EXPECT_EQ(frmLongI2C, nullptr);
  EXPECT_EQ(frmSpin, nullptr);
  EXPECT_EQ(frmBits, nullptr);
  EXPECT_EQ(frmSlider, nullptr);
}

}  // namespace
