// The device setup rows as the window checks them, the window commands, and
// bus operations that take no window messages while they run.
#include <gtest/gtest.h>

#include <QTimer>

#include "tests/eeprom/EEWindowFixture.h"

namespace {

class EEWindowSettings : public TEEWindowTest {};

TEST_F(EEWindowSettings, APageSizeOffTheListOrAboveTheDeviceBecomesEightWithAMessage) {
  TfrmMain* m = Start();
  TfrmSmallEE* w = OpenSmall(m->mnu2K);
  TInspectorItem* page = w->SetupItem(esPageSize);
  for (const char* bad : {"64", "7", "", "x", "-8"}) {
    SCOPED_TRACE(bad);
    page->SetTextValue(bad);
    Responder().ExpectMessage("Page Size");
    w->SettingCommitted(page);
    EXPECT_EQ(page->TextValue(), "8");
  }
  page->SetTextValue("32");
  w->SettingCommitted(page);
  EXPECT_EQ(page->TextValue(), "32");
  // Above the device: 32 in a 16-byte window.
  TfrmSmallEE* tiny = OpenSmall(m->mnu16B);
  tiny->SetupItem(esPageSize)->SetTextValue("32");
  Responder().ExpectMessage("Page Size");
  EXPECT_EQ(tiny->PageSizeSetting(), 8);
  // The large window offers 64 and 128.
  TfrmEEPROM* big = OpenLarge(m->mnu4Kx8);
  big->SetupItem(esPageSize)->SetTextValue("128");
  EXPECT_EQ(big->PageSizeSetting(), 128);
}

TEST_F(EEWindowSettings, AWriteTimeOutsideOneTo65535IsRefusedAndThePreviousValueStays) {
  auto& ee = sim.Add<TSimEeprom>(256, 0xA0);
  TfrmMain* m = Start();
  TfrmSmallEE* w = OpenSmall(m->mnu2K);
  TInspectorItem* time = w->SetupItem(esWriteTime);
  EXPECT_EQ(time->SpinMin(), 1);
  EXPECT_EQ(time->SpinMax(), 65535);
  time->SetTextValue("30");
  w->SettingCommitted(time);
  EXPECT_EQ(time->TextValue(), "30");
  for (const char* bad : {"0", "65536", "", "1.5", "-3", "abc"}) {
    SCOPED_TRACE(bad);
    time->SetTextValue(bad);
    Responder().ExpectMessage("Write Time must be");
    w->SettingCommitted(time);
    EXPECT_EQ(time->TextValue(), "30");
  }
  // An operation reads the row the same way: refused, the previous value is used and the write works.
  time->SetTextValue("0");
  Responder().ExpectMessage("Write Time must be");
  Click(w->btnWrite);
  EXPECT_EQ(Status(), StatusOf(64));
  EXPECT_EQ(time->TextValue(), "30");
  EXPECT_EQ(ee.Memory[0], 0xFF);
}

TEST_F(EEWindowSettings, ValuesCommittedInTheSetupBarAreCheckedByTheWindow) {
  TfrmMain* m = Start();
  TfrmSmallEE* w = OpenSmall(m->mnu16B);
  TInspectorBar* bar = w->InspectorBar;
  auto commit = [&](TEESetupRow row, const std::string& text) {
    TInspectorItem* item = w->SetupItem(row);
    bar->StartEdit(item);
    Application->ProcessMessages();
    ASSERT_NE(bar->ActiveEditor(), nullptr);
    bar->ActiveEditor()->SetText(text);
    bar->StopEdit(item);
    Application->ProcessMessages();
  };
  commit(esWriteTime, "120");
  EXPECT_EQ(w->SetupItem(esWriteTime)->TextValue(), "120");
  Responder().ExpectMessage("Write Time must be");
  commit(esWriteTime, "0");
  EXPECT_EQ(w->SetupItem(esWriteTime)->TextValue(), "120");
  commit(esPageSize, "16");
  EXPECT_EQ(w->SetupItem(esPageSize)->TextValue(), "16");
  // A list value above the 16-byte device.
  Responder().ExpectMessage("Page Size");
  commit(esPageSize, "32");
  EXPECT_EQ(w->SetupItem(esPageSize)->TextValue(), "8");
}

TEST_F(EEWindowSettings, AnAddressThatIsNoHexNumberStopsTheOperationWithTheWindowUsable) {
  sim.Add<TSimEeprom>(4096, 0xA0);
  TfrmMain* m = Start();
  TfrmEEPROM* w = OpenLarge(m->mnu4Kx8);
  w->SetupItem(esAddress)->SetTextValue("ZZ");
  Responder().ExpectMessage("is not a valid integer value");
  Click(w->btnRead);
  EXPECT_FALSE(w->Busy());
  EXPECT_TRUE(w->stgMemory->Enabled());
  EXPECT_TRUE(ButtonControl(w->btnRead)->OnClick != nullptr);
  w->SetupItem(esAddress)->SetTextValue("A0");
  Click(w->btnRead);
  EXPECT_EQ(Status(), StatusOf(0));
}

TEST_F(EEWindowSettings, NoWindowMessageRunsWhileAnOperationRuns) {
  auto& ee = sim.Add<TSimEeprom>(256, 0xA0);
  TfrmMain* m = Start();
  TfrmSmallEE* w = OpenSmall(m->mnu2K);
  TfrmSmallEE* other = OpenSmall(m->mnu2K);
  // A message waiting when the write starts would start a second transaction in another window.
  int started = 0;
  QTimer::singleShot(0, [&] {
    ++started;
    Click(other->btnRead);
  });
  w->SetImage(std::vector<uint8_t>(256, 0x3C));
  Click(w->btnWrite);
  EXPECT_EQ(started, 0) << "nothing ran inside the write";
  EXPECT_EQ(Status(), StatusOf(64));
  EXPECT_EQ(ee.Memory[255], 0x3C);
  Application->ProcessMessages();
  EXPECT_EQ(started, 1);
  EXPECT_EQ(other->HexCell(255), "3C");
}

TEST_F(EEWindowSettings, CloseAllReleasesEveryWindowAndClearsTheGlobals) {
  TfrmMain* m = Start();
  OpenSmall(m->mnu2K);
  OpenLarge(m->mnu4Kx8);
  TfrmSmallEE* last = OpenSmall(m->mnu16B);
  ASSERT_EQ(m->MDIChildCount(), 3);
  Command(last->mnuCloseAll);
  EXPECT_EQ(m->MDIChildCount(), 0);
  EXPECT_EQ(frmSmallEE, nullptr);
  EXPECT_EQ(frmEEPROM, nullptr);
}

TEST_F(EEWindowSettings, ExitClosesEveryWindowAndEndsTheProgram) {
  TfrmMain* m = Start();
  OpenSmall(m->mnu2K);
  TfrmEEPROM* w = OpenLarge(m->mnu8Kx8);
  Command(w->mnuExit);
  EXPECT_EQ(m->MDIChildCount(), 0);
  EXPECT_TRUE(Application->Terminated());
  Application->ClearTerminated();
}

}  // namespace
