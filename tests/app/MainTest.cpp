// The main window's start, port search, settings and end, on the simulated adapter.
#include <gtest/gtest.h>


#include "devices/Univers.h"
#include "devices/Longi2c.h"
#include "tests/app/MainTestFixture.h"

namespace {

using MainStartTest = TMainWindowTest<>;

TEST_F(MainStartTest, FrameMenusAndPanels) {
  TfrmMain* f = Start();
  EXPECT_EQ(f->Caption(), "Velmaron");
  EXPECT_EQ(f->FormStyle(), fsMDIForm);
  EXPECT_EQ(f->WindowMenu(), f->Window1);
  EXPECT_EQ(f->HelpContext(), 10);
  EXPECT_EQ(f->Width(), 794);
  EXPECT_EQ(f->Height(), 572);

  const std::vector<TMenuItem*> top = {f->mnuFile, f->mnuDevice, f->mnuOptions, f->Window1, f->mnuAbout};
  ASSERT_EQ(f->MainMenu->Items()->Count(), 5);
  const char* captions[] = {"&File", "&Device", "Options", "&Window", "About"};
  const char* hints[] = {"File related commands", "Choose device from this menu", "Change port, I\xC2\xB2" "C speed",
                         "Window related commands such as Tile and Cascade", "Help topics"};
  const int groups[] = {0, 1, 2, 4, 5};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(f->MainMenu->Items()->Items(i), top[static_cast<size_t>(i)]);
    EXPECT_EQ(top[static_cast<size_t>(i)]->Caption(), captions[i]);
    EXPECT_EQ(top[static_cast<size_t>(i)]->Hint(), hints[i]);
    EXPECT_EQ(top[static_cast<size_t>(i)]->GroupIndex(), groups[i]);
  }
  std::vector<std::string> options;
  for (int i = 0; i < f->mnuOptions->Count(); ++i) options.push_back(f->mnuOptions->Items(i)->Caption());
  EXPECT_EQ(options, (std::vector<std::string>{"I\xC2\xB2" "C Frequency", "Calibrate", "-", "LPT1: 0378H",
                                               "LPT2: 0278H", "LPT3: 0000H", "-", "Normal Access", "-",
                                               "Ignore Acknowledge", "-", "Update Velmaron"}));
  EXPECT_EQ(f->WindowCascadeItem->Hint(), "Arrange windows to overlap");
  EXPECT_EQ(f->WindowTileItem->Hint(), "Arrange windows without overlap");
  EXPECT_EQ(f->WindowMinimizeItem->Hint(), "Minimize all windows");
  EXPECT_EQ(f->Exit->Caption(), "E&xit");

  // The EEPROM windows are built: every size opens one (tests/eeprom).
  EXPECT_EQ(f->mnuEEPROM->Count(), 11);
  for (int i = 0; i < f->mnuEEPROM->Count(); ++i) EXPECT_TRUE(f->mnuEEPROM->Items(i)->Enabled());
  // Windows still to come: present, never a dead click.
  EXPECT_EQ(f->mnuEEPROM->Items(0)->Caption(), "16 x 8 (128 bit)");
  EXPECT_EQ(f->mnuEEPROM->Items(10)->Caption(), "64K x 8 (512K)");
  EXPECT_TRUE(f->mnuUniversal->Enabled()) << "the universal window is built";
  EXPECT_TRUE(f->mnuExpert->Enabled()) << "the expert window is built";
  for (TMenuItem* m : {f->BitRate, f->AboutItem, f->mnuCustom}) {
    EXPECT_TRUE(m->Enabled()) << m->Caption();
    EXPECT_TRUE(m->OnClick != nullptr) << m->Caption();
  }
  EXPECT_TRUE(f->mnuCalibrate->Enabled());
  EXPECT_TRUE(f->mnuUpdate->Enabled()) << "the web update is built";
  // No MDI children: the arranging commands are off.
  EXPECT_FALSE(f->WindowCascadeItem->Enabled());
  EXPECT_FALSE(f->WindowTileItem->Enabled());
  EXPECT_FALSE(f->WindowMinimizeItem->Enabled());

  const int widths[] = {240, 280, 50, 50, 50};
  ASSERT_EQ(f->pnlStatusBar->Panels()->Count(), 5);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(f->pnlStatusBar->Panels()->Items(i)->Width(), widths[i]);
  EXPECT_EQ(f->pnlStatusBar->Panels()->Items(0)->Style(), psOwnerDraw);
  EXPECT_EQ(f->pnlStatusBar->Panels()->Items(2)->Style(), psOwnerDraw);
  EXPECT_EQ(f->pnlStatus->Parent(), f->pnlStatusBar);
  EXPECT_EQ(f->lblMode->Parent(), f->pnlStatusBar);
  EXPECT_EQ(f->pnlStatus->Font()->Name(), "Tahoma");
  // The labels lie over their panels.
  TRect p0 = f->pnlStatusBar->PanelRect(0), p2 = f->pnlStatusBar->PanelRect(2);
  InflateRect(p0, -1, -1);
  InflateRect(p2, -1, -1);
  EXPECT_EQ(f->pnlStatus->BoundsRect(), p0);
  EXPECT_EQ(f->lblMode->BoundsRect(), p2);
  EXPECT_EQ(f->SavMemory->Filter(), "Mem files (*.mem)|*.mem|All files (*.*)|*.*");
  EXPECT_EQ(f->SavMemory->DefaultExt(), "mem");
}

TEST_F(MainStartTest, AdapterOnLpt1IsReadyAndCalibrated) {
  TfrmMain* f = Start();
  EXPECT_EQ(StatusText(), "  Hardware ready at LPT1");
  EXPECT_EQ(StatusBack(), clGreen);
  EXPECT_EQ(StatusFont(), clWhite);
  EXPECT_EQ(PanelText(4), "LPT1");
  EXPECT_TRUE(f->LPT1->Checked());
  EXPECT_FALSE(f->LPT2->Checked());
  EXPECT_FALSE(f->LPT3->Enabled());
  EXPECT_TRUE(f->Bus().AdapterFound);
  EXPECT_TRUE(f->Bus().HardwareReady);
  EXPECT_EQ(f->Bus().PortAddress, 0x378);
  EXPECT_TRUE(f->Bus().Calibrated());
  EXPECT_EQ(f->Bus().Clock, 50);
  EXPECT_EQ(PanelText(3), "50 KHz");
  // No stored mode: the driver's own (Slow) is shown.
  EXPECT_EQ(f->lblMode->Caption(), "Slow");
  EXPECT_EQ(f->lblMode->Color(), clYellow);
  EXPECT_FALSE(f->mnuFastAccess->Checked());
  EXPECT_TRUE(f->ShowSplash);  // missing value: the quick-start window opens
  EXPECT_FALSE(sim.Trigger());  // trigger pin low after start
  EXPECT_NE(f->pnlStatusBar->Panels()->Items(4)->Hint().find("Simulated adapter"), std::string::npos);
}

TEST_F(MainStartTest, AdapterOnLpt2WithNothingOnLpt1) {
  sim.AdapterPort = 2;
  TfrmMain* f = Start();
  EXPECT_EQ(StatusText(), "  Hardware ready at LPT2");
  EXPECT_EQ(StatusBack(), clGreen);
  EXPECT_EQ(PanelText(4), "LPT2");
  EXPECT_FALSE(f->LPT1->Checked());
  EXPECT_TRUE(f->LPT2->Checked());
  EXPECT_FALSE(f->LPT3->Checked());
  EXPECT_EQ(f->Bus().PortAddress, 0x278);
  EXPECT_EQ(f->PortDriver->LPTNumber(), 2);
}

TEST_F(MainStartTest, AdapterOnLpt2WithNoLpt1Port) {
  sim.PortBases = {0, 0x278, 0};
  sim.AdapterPort = 2;
  TfrmMain* f = Start();
  EXPECT_EQ(StatusText(), "  Hardware ready at LPT2");
  EXPECT_FALSE(f->LPT1->Enabled());
  EXPECT_EQ(f->LPT1->Caption(), "LPT1: 0000H");
  EXPECT_TRUE(f->LPT2->Checked());
}

TEST_F(MainStartTest, SelectingLpt3MovesThereWhetherOrNotTheAdapterAnswers) {
  sim.PortBases = {0x378, 0x278, 0x3BC};
  TfrmMain* f = Start();
  ASSERT_TRUE(f->LPT3->Enabled());
  f->LPT3->Click();
  EXPECT_EQ(StatusText(), "  Hardware not detected at LPT3");
  EXPECT_EQ(StatusBack(), clRed);
  EXPECT_EQ(PanelText(4), "");
  EXPECT_FALSE(f->LPT1->Checked() || f->LPT2->Checked() || f->LPT3->Checked());
  sim.AdapterPort = 3;
  f->LPT3->Click();
  EXPECT_EQ(StatusText(), "  Hardware ready at LPT3");
  EXPECT_TRUE(f->LPT3->Checked());
  EXPECT_FALSE(f->LPT1->Checked());
  EXPECT_EQ(PanelText(4), "LPT3");
}

TEST_F(MainStartTest, NoPortAtAllTouchesNothingAndSkipsCalibration) {
  sim.PortBases = {0, 0, 0};
  TfrmMain* f = Start();
  EXPECT_EQ(StatusText(), "  Velmaron hardware not detected");
  EXPECT_EQ(StatusBack(), clRed);
  EXPECT_FALSE(f->LPT1->Enabled() || f->LPT2->Enabled() || f->LPT3->Enabled());
  EXPECT_FALSE(f->Bus().Calibrated());
  EXPECT_EQ(f->Bus().MaxClock, 70);
  EXPECT_EQ(f->I2CStart(), 255);
  Close();
  EXPECT_EQ(sim.AccessCount(), 0u);
  EXPECT_TRUE(Has("Clock"));  // the settings themselves are still kept
}

TEST_F(MainStartTest, NoAdapterOnAnyPortLeavesTheRedTextAndSearchesAgain) {
  sim.AdapterPort = 0;
  TfrmMain* f = Start();
  EXPECT_EQ(StatusText(), "  Velmaron hardware not detected");
  EXPECT_FALSE(f->Bus().AdapterFound);
  sim.AdapterPort = 1;
  EXPECT_EQ(f->I2CStart(), 0);
  EXPECT_EQ(StatusText(), "  Hardware ready at LPT1");
  EXPECT_TRUE(f->LPT1->Checked());
  EXPECT_EQ(f->I2CStop(), 0);
}

TEST_F(MainStartTest, LostAdapterIsFoundAgain) {
  TfrmMain* f = Start();
  ASSERT_TRUE(f->Bus().AdapterFound);
  sim.Faults.NoAdapter = true;
  f->ErrorMessage(8);
  EXPECT_EQ(StatusText(), " Velmaron hardware not detected!");
  EXPECT_FALSE(f->Bus().AdapterFound);
  EXPECT_EQ(f->I2CStart(), 255);
  EXPECT_EQ(StatusText(), "  Velmaron hardware not detected");
  EXPECT_FALSE(f->LPT1->Checked());
  EXPECT_EQ(PanelText(4), "");
  sim.Faults.NoAdapter = false;
  EXPECT_EQ(f->I2CStart(), 0);
  EXPECT_EQ(StatusText(), "  Hardware ready at LPT1");
  EXPECT_TRUE(f->LPT1->Checked());
  EXPECT_EQ(PanelText(4), "LPT1");
  EXPECT_EQ(f->I2CStop(), 0);
}

TEST_F(MainStartTest, StoredSettingsAreApplied) {
  Store("Mode", false);
  Store("Clock", 20);
  Store("ShowSplash", false);
  TfrmMain* f = Start();
  EXPECT_FALSE(f->PortDriver->HardAccess());
  EXPECT_TRUE(f->mnuFastAccess->Checked());
  EXPECT_EQ(f->lblMode->Caption(), "Normal");
  EXPECT_EQ(f->lblMode->Color(), clGreen);
  EXPECT_EQ(f->Bus().Clock, 20);
  EXPECT_EQ(PanelText(3), "20 KHz");
  EXPECT_FALSE(f->ShowSplash);
}

TEST_F(MainStartTest, StoredClockAboveTheMaximumIsLoweredAndSavedLowered) {
  Store("Clock", 100000);
  TfrmMain* f = Start();
  const int max = f->Bus().MaxClock;
  ASSERT_LT(max, 100000);
  EXPECT_EQ(f->Bus().Clock, max);
  EXPECT_EQ(PanelText(3), std::to_string(max) + " KHz");
  Close();
  EXPECT_EQ(StoredInt("Clock"), max);
}

TEST_F(MainStartTest, SettingsOfTheWrongTypeCountAsMissing) {
  {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(SettingsKey, true));
    reg.WriteString("Clock", "fast");
    reg.WriteString("ShowSplash", "maybe");
    reg.CloseKey();
  }
  TfrmMain* f = Start();
  EXPECT_EQ(f->Bus().Clock, 50);
  EXPECT_TRUE(f->ShowSplash);
}

TEST_F(MainStartTest, ExitLeavesThePortIdleSavesTheSettingsAndClosesTheDriver) {
  TfrmMain* f = Start();
  f->mnuFastAccess->Click();  // to Normal
  ASSERT_FALSE(f->PortDriver->HardAccess());
  f->ShowSplash = false;
  Close();
  EXPECT_EQ(sim.DataLatch(0), 0x70);
  EXPECT_FALSE(sim.IsOpen());
  EXPECT_FALSE(StoredBool("Mode"));
  EXPECT_EQ(StoredInt("Clock"), 50);
  EXPECT_FALSE(StoredBool("ShowSplash"));
}

TEST_F(MainStartTest, ModeCommandSwitchesBothWaysAndRecalibrates) {
  TfrmMain* f = Start();
  ASSERT_EQ(f->lblMode->Caption(), "Slow");
  f->mnuFastAccess->Click();
  EXPECT_EQ(f->lblMode->Caption(), "Normal");
  EXPECT_EQ(f->lblMode->Font()->Color(), clWhite);
  EXPECT_TRUE(f->mnuFastAccess->Checked());
  const int fastMax = f->Bus().MaxClock;
  f->lblMode->DblClick();
  EXPECT_EQ(f->lblMode->Caption(), "Slow");
  EXPECT_EQ(f->lblMode->Font()->Color(), clBlack);
  EXPECT_FALSE(f->mnuFastAccess->Checked());
  EXPECT_LT(f->Bus().MaxClock, fastMax);  // slow access makes for a longer bit
}

TEST_F(MainStartTest, CalibrateCommandReportsOnTheStatusLine) {
  TfrmMain* f = Start();
  f->ResetWarning();
  f->mnuCalibrate->Click();
  EXPECT_EQ(StatusText(), " Calibration complete");
  EXPECT_EQ(StatusBack(), clGreen);
  EXPECT_EQ(StatusFont(), clWhite);
}

TEST_F(MainStartTest, HintsGoToPanelOne) {
  Start();
  Application->SetHint("Arrange windows to overlap");
  EXPECT_EQ(PanelText(1), "Arrange windows to overlap");
}

TEST_F(MainStartTest, WindowCommandsFollowTheChildren) {
  TfrmMain* f = Start();
  auto* child = new TForm(nullptr);
  child->SetFormStyle(fsMDIChild);
  child->Show();
  f->UpdateMenuItems(nullptr);
  EXPECT_TRUE(f->WindowCascadeItem->Enabled());
  EXPECT_TRUE(f->WindowMinimizeItem->Enabled());
  f->WindowMinimizeItem->Click();
  EXPECT_EQ(child->WindowState(), wsMinimized);
  delete child;
  f->UpdateMenuItems(nullptr);
  EXPECT_FALSE(f->WindowTileItem->Enabled());
}

// Tiled five at the window's own size, the universal and device windows are smaller than their
// controls: they scroll, so Send, Read All and the last cells can be reached.
TEST_F(MainStartTest, TiledWindowsSmallerThanTheirControlsScroll) {
  TfrmMain* f = Start();
  for (TMenuItem* item : {f->mnu2K, f->mnu4Kx8, f->mnuExpert, f->mnuUniversal, f->mnuCustom}) {
    item->Click();
    Application->ProcessMessages();
  }
  ASSERT_EQ(f->MDIChildCount(), 5);
  f->WindowTileItem->Click();
  Application->ProcessMessages();
  for (TCustomForm* w : {static_cast<TCustomForm*>(frmUniversal), static_cast<TCustomForm*>(frmLongI2C)}) {
    SCOPED_TRACE(w->Caption());
    const TSize need = w->ScrollRange();
    const TRect view = w->ClientRect();
    ASSERT_TRUE(need.cx > view.Right || need.cy > view.Bottom) << "the tiled window is smaller than its controls";
    w->ScrollTo(need.cx, need.cy);
    Application->ProcessMessages();
    const TPoint at = w->ScrollPosition();
    EXPECT_GE(at.X + view.Right, need.cx) << "the far right is reachable";
    EXPECT_GE(at.Y + view.Bottom, need.cy) << "the bottom is reachable";
  }
}

using MainNoDriverTest = TMainWindowTest<TDeadAdapter>;

TEST_F(MainNoDriverTest, OptionsOffStatus114AndTheStoredSettingsKept) {
  Store("Mode", false);
  Store("Clock", 33);
  Store("ShowSplash", false);
  const int beeps = BeepCount();
  Responder().ExpectMessage("Velmaron cannot use the parallel port");
  TfrmMain* f = Start();
  EXPECT_EQ(Responder().Pending(), 0) << "the user is told once the window shows";
  EXPECT_FALSE(f->mnuOptions->Enabled());
  EXPECT_EQ(StatusText(), " Device Driver not running");
  EXPECT_EQ(StatusBack(), clRed);
  EXPECT_EQ(StatusFont(), clWhite);
  EXPECT_EQ(BeepCount(), beeps + 1);
  EXPECT_FALSE(f->SettingsRead());
  EXPECT_EQ(f->lblMode->Caption(), "");
  EXPECT_EQ(f->I2CStart(), 255);
  Close();
  EXPECT_FALSE(StoredBool("Mode"));
  EXPECT_EQ(StoredInt("Clock"), 33);
  EXPECT_FALSE(StoredBool("ShowSplash"));
  EXPECT_EQ(sim.AccessCount(), 0u);
}

TEST_F(MainNoDriverTest, NothingIsWrittenWhenNothingWasStored) {
  Responder().ExpectMessage("Velmaron cannot use the parallel port");
  Start();
  Close();
  EXPECT_FALSE(Has("Mode"));
  EXPECT_FALSE(Has("Clock"));
  EXPECT_FALSE(Has("ShowSplash"));
}

}  // namespace
