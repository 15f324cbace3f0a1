// The device setup rows as the window checks them, the window commands, and
// bus operations that take no window messages while they run.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>
#include <cstring>
#include <filesystem>

#include "platform/gui/testing/InputEvents.h"
#include "tests/eeprom/EEWindowFixture.h"

namespace {

class EEWindowSettings : public TEEWindowTest {};

// Keys after a click on a setup row: "!" Alt+Down and "v" Down open and walk its list, "^" goes up.
int KeyOf(char k) {
  return k == '!' || k == 'v' ? static_cast<int>(Qt::Key_Down)
         : k == '^'           ? static_cast<int>(Qt::Key_Up)
         : k == '\r'          ? static_cast<int>(Qt::Key_Return)
                              : k;
}

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

TEST_F(EEWindowSettings, AButtonOrFileCommandUsesTheSettingTheBarShowsNotYetCommitted) {
  auto& a8 = sim.Add<TSimEeprom>(32768, 0xA8);
  a8.Memory.assign(a8.Memory.size(), 0x5A);
  sim.Add<TSimEeprom>(32768, 0xA0);
  sim.Add<TSimEeprom>(4096, 0xA4, 8);
  sim.Add<TSimEeprom>(128, 0xA2).WriteCycleMicroseconds = 20000;
  sim.LogCapacity = 1 << 20;
  TfrmMain* m = Start();
  const std::string mem = (std::filesystem::temp_directory_path() / "velmaron-eesetup.mem").string();
  // Keys as KeyOf reads them, others typed. Status -1: refused, -2: Save As.
  const struct { TMenuItem* Menu; TEESetupRow Row; const char *Address, *Committed, *Keys, *Shown; int Status; } cases[] = {
      {m->mnu32Kx8, esAddress, "A0", "A0", "!vvvv\r", "A8", 0}, {m->mnu32Kx8, esAddress, "A0", "A0", "A8", "A8", -2},
      {m->mnu4Kx8, esPageSize, "A4", "16", "!^\r", "8", 64},    {m->mnu1K, esWriteTime, "A2", "1", "25", "25", 64},
      {m->mnu1K, esWriteTime, "A2", "50", "0", "50", -1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Keys);
    TEEWindow* w = c.Menu == m->mnu1K ? static_cast<TEEWindow*>(OpenSmall(c.Menu)) : OpenLarge(c.Menu);
    w->SetupItem(esAddress)->SetTextValue(c.Address);
    w->SetupItem(c.Row)->SetTextValue(c.Committed);
    w->SetImage(std::vector<uint8_t>(w->DeviceSize(), 0x3C));  // bytes a wrapped page write misses stay FF
    ClickWidgetIn(w->InspectorBar->ClientWidget(), TRect(71, 20 + 24 * c.Row, 139, 44 + 24 * c.Row));
    for (const char* k = c.Keys; *k; ++k, Application->ProcessMessages())
      SendKeyToFocus(KeyOf(*k), strchr("!v^", *k) ? QString() : QString(QChar(*k)),
                     *k == '!' ? Qt::AltModifier : Qt::NoModifier);
    sim.ClearLog();
    if (c.Status == -1) Responder().ExpectMessage("Write Time must be");
    if (c.Status == -2) Responder().ExpectSave(mem, 1);
    c.Status == -2 ? Command(w->mnuSaveAs) : Click(c.Status == 0 ? w->btnRead : w->btnWrite);
    EXPECT_EQ(w->SetupItem(c.Row)->TextValue(), c.Shown);
    if (c.Status >= 0) {
      EXPECT_EQ(Status(), StatusOf(static_cast<I2CStatus>(c.Status)));
    }
    EXPECT_EQ(sim.Log().empty(), c.Status < 0) << "a refused value stops the command";
    EXPECT_TRUE(c.Status != 0 || (sim.BytesSeenBy(a8.Name()).at(0) == 0xA8 && w->HexCell(32767) == "5A"));
    w->Close();
    Application->ProcessMessages();
  }
  EXPECT_EQ(LoadFileBytes(mem).at(18), '\xA8');
  std::filesystem::remove(mem);
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
