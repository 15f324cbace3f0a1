// Pictures of the device window, its dialogs and tool windows, to look at
// against their layouts (under the build tree, test-images/).
#include <gtest/gtest.h>

#include "devices/Bits.h"
#include "devices/Definition.h"
#include "devices/Slider.h"
#include "devices/Spinner.h"
#include "devices/editcell.h"
#include "platform/gui/FormImage.h"
#include "tests/devices/Longi2cTestFixture.h"

namespace {

using Longi2cScreenshots = TLongi2cTest;

TEST_F(Longi2cScreenshots, EveryWindow) {
  TfrmLongI2C* w = Open();
  w->edtAddress->SetText("40");
  Click(w->btnRead);
  Longi2c::RegisterDescriptions[0x12] = "Gain";
  Select(w, 0x12);
  Application->ProcessMessages();
  EXPECT_TRUE(SaveControlImage(frmMain, TestImagePath("longi2c-window.png")));

  Click(w->btnSpin);
  Click(w->btnBits);
  Click(w->btnSlider);
  Application->ProcessMessages();
  EXPECT_TRUE(SaveControlImage(frmSpin, TestImagePath("longi2c-spin.png")));
  EXPECT_TRUE(SaveControlImage(frmBits, TestImagePath("longi2c-bits.png")));
  EXPECT_TRUE(SaveControlImage(frmSlider, TestImagePath("longi2c-slider.png")));

  w->mnuEditCurrentCell->Click();
  Application->ProcessMessages();
  EXPECT_TRUE(SaveControlImage(frmEditCell, TestImagePath("longi2c-edit-register.png")));
  StdClick(frmEditCell->btnCancel);
  Application->ProcessMessages();

  w->mnuEditCurrentDevice->Click();
  Application->ProcessMessages();
  EXPECT_TRUE(SaveControlImage(frmDefine, TestImagePath("longi2c-definition.png")));
}

}  // namespace
