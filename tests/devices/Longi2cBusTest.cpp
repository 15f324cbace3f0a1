// The device window's register operations on the simulated adapter, checked
// in the adapter's log: block and byte mode, refusals and bus faults.
#include <gtest/gtest.h>

#include "controls/grid/ExtGrid.h"
#include "tests/devices/Longi2cTestFixture.h"

namespace {

using Longi2cBus = TLongi2cTest;

TEST_F(Longi2cBus, OpensOnceWithItsGridAndTheFieldsAddress) {
  TfrmLongI2C* w = Open();
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->Caption(), "User Definable Device");
  EXPECT_EQ(w->stgMemory->RowCount(), 17);
  EXPECT_EQ(w->stgMemory->ColCount(), 17);
  EXPECT_EQ(w->stgMemory->Cells(1, 0), "0");
  EXPECT_EQ(w->stgMemory->Cells(16, 0), "F");
  EXPECT_EQ(w->stgMemory->Cells(0, 16), "F");
  EXPECT_EQ(w->stgMemory->Cells(0, 32), "1F") << "labels beyond the row count are kept";
  EXPECT_EQ(w->RegisterText(255), "FF");
  EXPECT_EQ(Longi2c::RegisterDescriptions[255], "Undefined Register");
  EXPECT_EQ(w->lblDevice->Caption(), "Device Name: ?");
  EXPECT_EQ(Longi2c::DeviceAddress, 0xA0) << "the field's address counts before any bus operation";
  EXPECT_EQ(Longi2c::MaxRegister, 255);
  frmMain->mnuCustom->Click();
  EXPECT_EQ(frmLongI2C, w) << "a second command shows the same window";
}

TEST_F(Longi2cBus, ReadAllInBlockModeReadsEveryRegisterInOneTransfer) {
  TfrmLongI2C* w = Open();
  w->edtAddress->SetText("40");
  Traffic();
  Click(w->btnRead);
  const std::string expected = "S W40 W00 S W41 " + [&] {
    std::string r;
    for (int i = 0; i < 255; ++i) r += "R" + IntToHex(i ^ 0x5A, 2) + " ";
    return r;
  }() + "rA5 P";
  EXPECT_EQ(Traffic(), expected);
  for (int i = 0; i < 256; ++i) ASSERT_EQ(w->RegisterText(i), IntToHex(i ^ 0x5A, 2)) << i;
  EXPECT_EQ(StatusText(), "  Transmission successful");
  EXPECT_TRUE(Longi2c::Modified);
}

TEST_F(Longi2cBus, ReadAllOfOneRegisterAndByteModeSendOneTransferPerRegister) {
  TfrmLongI2C* w = Open();
  w->edtAddress->SetText("40");
  Longi2c::MaxRegister = 0;
  w->ShowRegisterCount(clInfoBk, clWhite);
  Traffic();
  Click(w->btnRead);
  EXPECT_EQ(Traffic(), "S W40 W00 S W41 r5A P");
  EXPECT_EQ(w->RegisterText(0), "5A");
  EXPECT_EQ(w->RegisterText(1), "FF") << "only the defined register is read";

  Longi2c::MaxRegister = 2;
  w->ShowRegisterCount(clInfoBk, clWhite);
  w->chbOneAtATime->SetChecked(true);
  Click(w->btnRead);
  EXPECT_EQ(Traffic(), "S W40 W00 S W41 r5A P S W40 W01 S W41 r5B P S W40 W02 S W41 r58 P");
  EXPECT_EQ(w->RegisterText(2), "58");
}

TEST_F(Longi2cBus, WriteByteAndWriteAllInBothModes) {
  TfrmLongI2C* w = Open();
  w->edtAddress->SetText("40");
  Select(w, 5);
  EXPECT_EQ(Longi2c::ActiveRegister, 5);
  w->SetRegisterText(5, "3C");
  Traffic();
  Click(w->btnWriteOne);
  EXPECT_EQ(Traffic(), "S W40 W05 W3C P");
  EXPECT_EQ(regs.Registers[5], 0x3C);
  EXPECT_EQ(StatusText(), "  Transmission successful");

  Longi2c::MaxRegister = 3;
  w->ShowRegisterCount(clInfoBk, clWhite);
  for (int i = 0; i < 4; ++i) w->SetRegisterText(i, IntToHex(0x10 + i, 2));
  Click(w->btnWrite);
  EXPECT_EQ(Traffic(), "S W40 W00 W10 W11 W12 W13 P");
  EXPECT_EQ(regs.Registers[3], 0x13);
  EXPECT_EQ(StatusText(), "") << "block Write All ends with a cleared status line";

  // Byte mode leaves registers marked "XX" alone.
  w->SetRegisterText(1, "XX");
  w->chbOneAtATime->SetChecked(true);
  Click(w->btnWrite);
  EXPECT_EQ(Traffic(), "S W40 W00 W10 P S W40 W02 W12 P S W40 W03 W13 P");
}

TEST_F(Longi2cBus, AWriteOfAValueThatIsNoByteSendsNothing) {
  TfrmLongI2C* w = Open();
  w->edtAddress->SetText("40");
  Longi2c::MaxRegister = 3;
  w->ShowRegisterCount(clInfoBk, clWhite);
  w->SetRegisterText(2, "XX");
  Traffic();
  Click(w->btnWrite);  // block mode cannot skip a register
  EXPECT_EQ(Traffic(), "");
  EXPECT_NE(StatusText().find("register 0x02"), std::string::npos) << StatusText();
  EXPECT_EQ(StatusBack(), clRed);

  Select(w, 2);
  Click(w->btnWriteOne);
  EXPECT_EQ(Traffic(), "");
  EXPECT_EQ(StatusText(), "  Cannot write bytes marked as \"XX\"");
  Click(w->btnReadOne);
  EXPECT_EQ(Traffic(), "");
  EXPECT_EQ(StatusText(), "  Cannot read bytes marked as \"XX\"");

  w->SetRegisterText(3, "G7");  // no byte: from a file or typed past the mask
  w->chbOneAtATime->SetChecked(true);
  Click(w->btnWrite);
  EXPECT_EQ(Traffic(), "");
  EXPECT_NE(StatusText().find("register 0x03"), std::string::npos);
}

// A register the definition does not name is still on the device: Read Byte probes it.
TEST_F(Longi2cBus, RegistersPastTheCountAreReadAndBadAddressesRefused) {
  TfrmLongI2C* w = Open();
  w->edtAddress->SetText("40");
  Longi2c::MaxRegister = 19;
  for (int i = 20; i < 32; ++i) w->SetRegisterText(i, "");  // as a definition leaves them
  w->ShowRegisterCount(clInfoBk, clWhite);
  EXPECT_EQ(w->stgMemory->RowCount(), 3);
  EXPECT_EQ(w->stgMemory->Colors(TfrmLongI2C::ColOf(20), TfrmLongI2C::RowOf(20)), clBlue);
  Select(w, 3);
  const std::string label = w->lblRegister->Caption();
  Select(w, 25);  // in the last row, past the count
  EXPECT_EQ(Longi2c::ActiveRegister, 25);
  EXPECT_EQ(w->lblRegister->Caption(), label) << "the label keeps the last defined register";
  Traffic();
  Click(w->btnReadOne);
  EXPECT_EQ(Traffic(), "S W40 W19 S W41 r43 P");
  EXPECT_EQ(w->RegisterText(25), "43");
  EXPECT_EQ(StatusText(), "  Transmission successful");
  EXPECT_EQ(w->stgMemory->Colors(TfrmLongI2C::ColOf(25), TfrmLongI2C::RowOf(25)), clBlue) << "still past the count";
  w->SetRegisterText(25, "44");
  Click(w->btnWriteOne);
  EXPECT_EQ(Traffic(), "S W40 W19 W44 P") << "the byte read there can be written back";
  Select(w, 26);
  Responder().ExpectMessage("Cannot edit an undefined cell");
  Click(w->btnWriteOne);
  EXPECT_EQ(Traffic(), "") << "an empty cell past the count holds nothing to write";

  Select(w, 1);
  w->edtAddress->SetText("4");
  Click(w->btnWriteOne);
  EXPECT_EQ(Traffic(), "");
  EXPECT_EQ(StatusText(), "  Invalid address");
  // An odd address turns even with its second digit; "5" left alone becomes "04".
  w->edtAddress->SetText("A1");
  EXPECT_EQ(w->edtAddress->Text(), "A0");
  w->edtAddress->SetText("5");
  w->edtAddress->OnExit(w->edtAddress);
  EXPECT_EQ(w->edtAddress->Text(), "04");
  EXPECT_EQ(Longi2c::DeviceAddress, 0x04);
}

TEST_F(Longi2cBus, NotAcknowledgedStuckLinesAndNoAdapter) {
  TfrmLongI2C* w = Open();
  w->edtAddress->SetText("50");  // nobody there
  Select(w, 1);
  Traffic();
  Click(w->btnWriteOne);
  EXPECT_EQ(Traffic(), "S P");
  EXPECT_EQ(StatusText(), "  Address not acknowledged");
  Click(w->btnRead);
  EXPECT_EQ(Traffic(), "S P");
  EXPECT_EQ(w->RegisterText(0), "FF") << "no cell changes";

  w->edtAddress->SetText("40");
  sim.Faults.SdaStuckLow = true;
  Click(w->btnReadOne);
  EXPECT_EQ(StatusText(), " SDA stuck low");
  sim.Faults.SdaStuckLow = false;
  sim.Faults.SclStuckLow = true;
  Click(w->btnReadOne);
  EXPECT_EQ(StatusText(), " SCL stuck low");
  sim.Faults.SclStuckLow = false;
  Traffic();
  Click(w->btnReadOne);
  EXPECT_EQ(Traffic(), "S W40 W01 S W41 r5B P");
  EXPECT_EQ(w->RegisterText(1), "5B");
}

TEST_F(Longi2cBus, WithoutAnAdapterNothingIsSent) {
  sim.Faults.NoAdapter = true;
  TfrmLongI2C* w = Open();
  w->edtAddress->SetText("40");
  Select(w, 1);
  Traffic();
  Click(w->btnReadOne);
  EXPECT_EQ(StatusText(), " Velmaron hardware not detected!");
  Click(w->btnWriteOne);
  EXPECT_EQ(StatusText(), " Velmaron hardware not detected!");
  EXPECT_EQ(Traffic(), "");
  EXPECT_EQ(w->RegisterText(1), "FF");
}

TEST_F(Longi2cBus, TabAndLeavingACellKeepTheOneByteCellForm) {
  TfrmLongI2C* w = Open();
  Select(w, 0);
  w->SetRegisterText(0, " 5");
  WORD tab = 9;
  w->stgMemory->OnKeyDown(w->stgMemory, tab, 0);
  EXPECT_EQ(w->RegisterText(0), "05");
  w->SetRegisterText(0, "a");
  w->stgMemory->OnKeyDown(w->stgMemory, tab, 0);
  EXPECT_EQ(w->RegisterText(0), "0A");
  for (const char* emptied : {"", "  "}) {
    std::string v = emptied;
    bool valid = true;
    w->stgMemory->OnCellValidate(w->stgMemory, 1, 1, v, valid);
    EXPECT_EQ(v, "FF") << "an emptied cell counts as FF";
  }
  std::string mask;
  Longi2c::Modified = false;
  w->stgMemory->OnGetEditMask(w->stgMemory, 1, 1, mask);
  EXPECT_EQ(mask, ">CC");
  EXPECT_TRUE(Longi2c::Modified);
  // Typed keys pass the window's filter first: hex digits only.
  w->edtAddress->SetFocus();
  w->edtAddress->SetText("");
  StdType(w->edtAddress, "4g0");
  EXPECT_EQ(w->edtAddress->Text(), "40");
  EXPECT_EQ(Longi2c::DeviceAddress, 0x40);
}

}  // namespace
