// The main window without a usable port, on the simulation in place of a port,
// and with a settings store that is damaged, unreadable or cannot be written.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include <QImage>
#include <QWidget>

#include "platform/port/PpdevBackend.h"
#include "platform/rtl/SysUtils.h"
#include "tests/app/MainTestFixture.h"
#include "tests/platform/port/FakePortSystems.h"

namespace {

using MainPortTest = TMainWindowTest<>;

std::string LastDialogText() {
  return Responder().Seen().empty() ? std::string() : Responder().Seen().back().Text;
}

TEST_F(MainPortTest, SimulationInPlaceOfAPortSaysSoEverywhere) {
  InstallPortBackend(&sim, kNoPortReason);
  TfrmMain* f = Start();
  EXPECT_EQ(StatusText(), "  Simulated adapter: no parallel port on this machine");
  EXPECT_EQ(StatusBack(), clYellow);
  EXPECT_EQ(StatusFont(), clBlack);
  EXPECT_EQ(f->Caption(), "Velmaron (simulated adapter)");
  EXPECT_EQ(f->pnlStatus->Hint(), "Simulated adapter: no parallel port on this machine");
  EXPECT_EQ(PanelText(4), "Sim LPT1");
  EXPECT_EQ(f->pnlStatusBar->Panels()->Items(4)->Hint(), "Simulated adapter: no parallel port on this machine");
  EXPECT_EQ(f->PortDriver->PortAccess().Kind, pakSimulated);
  EXPECT_TRUE(f->mnuOptions->Enabled());  // the simulation does real work
  EXPECT_EQ(f->I2CStart(), 0);
  EXPECT_EQ(f->I2CStop(), 0);
  // A port without the adapter still names the simulation.
  f->LPT2->Click();
  EXPECT_EQ(StatusText(), "  Hardware not detected at LPT2");
  EXPECT_EQ(PanelText(4), "Sim");
  f->LPT1->Click();
  EXPECT_EQ(PanelText(4), "Sim LPT1");
}

TEST_F(MainPortTest, SimulationIsSeenAtAGlance) {
  InstallPortBackend(&sim, kNoPortReason);
  TfrmMain* f = Start();
  for (int i = 0; i < 5; ++i) Application->ProcessMessages();
  ASSERT_NE(f->Peer(), nullptr);
  EXPECT_TRUE(f->Peer()->grab().toImage().save(QString::fromStdString(TestImagePath("main-window-simulated.png"))));
  const QImage bar = f->pnlStatusBar->Peer()->grab().toImage();
  const TRect status = f->pnlStatus->BoundsRect();
  const double scale = bar.devicePixelRatio();
  EXPECT_EQ(bar.pixelColor(int((status.Right - 3) * scale), int((status.Top + 2) * scale)), QColor(255, 255, 0));
  EXPECT_EQ(f->Peer()->windowTitle().toStdString(), "Velmaron (simulated adapter)");
}

TEST_F(MainPortTest, SimulationWithoutItsAdapterShowsTheFaultAndStillSaysSimulated) {
  sim.AdapterPort = 0;
  InstallPortBackend(&sim, kNoPortReason);
  TfrmMain* f = Start();
  EXPECT_EQ(StatusText(), "  Velmaron hardware not detected");
  EXPECT_EQ(StatusBack(), clRed);
  EXPECT_EQ(f->Caption(), "Velmaron (simulated adapter)");
  EXPECT_EQ(PanelText(4), "Sim");
}

TEST_F(MainPortTest, ADamagedPortSettingsFileIsToldOnceAtStart) {
  InstallPortBackend(&sim, kNoPortReason, "line 3: expected key=value");
  Responder().ExpectMessage("port settings file");
  TfrmMain* f = Start();
  EXPECT_EQ(Responder().Pending(), 0);
  EXPECT_NE(LastDialogText().find("line 3: expected key=value"), std::string::npos) << LastDialogText();
  EXPECT_NE(LastDialogText().find("defaults"), std::string::npos) << LastDialogText();
  const size_t seen = Responder().Seen().size();
  f->LPT2->Click();
  f->LPT1->Click();
  Application->ProcessMessages();
  EXPECT_EQ(Responder().Seen().size(), seen) << "said once";
}

TEST_F(MainPortTest, SimulationBannerNeverHidesAFailedCalibration) {
  clock.NanosecondsPerLoopTurn = 0;  // a flat line: the calibration fails
  InstallPortBackend(&sim, kNoPortReason);
  TfrmMain* f = Start();
  ASSERT_TRUE(f->Bus().HardwareReady);
  EXPECT_EQ(StatusText(), TI2CBus::CalibrationSlowText);
  EXPECT_EQ(StatusBack(), clRed);
  EXPECT_EQ(f->Caption(), "Velmaron (simulated adapter)");
}

TEST_F(MainPortTest, HardwareIsNeverCalledSimulated) {
  TfrmMain* f = Start();  // the installed adapter stands for the machine's port
  EXPECT_EQ(StatusText(), "  Hardware ready at LPT1");
  EXPECT_EQ(f->Caption(), "Velmaron");
  EXPECT_EQ(PanelText(4), "LPT1");
  EXPECT_EQ(f->PortDriver->PortAccess().Kind, pakHardware);
}

TEST_F(MainPortTest, PortThatCannotBeOpenedIsNoFallbackAndTheUserIsToldWhyOnceTheWindowShows) {
  TFakePpdev sys;
  TFakeDirect direct;
  sys.Devs["/dev/parport0"].OpenError = EACCES;
  TPpdevBackend ppdev(sys, direct);
  InstallPortBackend(&ppdev);
  Store("Clock", 33);
  // Created as the program does, but not yet shown: nobody is told over an empty screen.
  Application->CreateForm(frmMain);
  TfrmMain* f = frmMain;
  Application->ProcessMessages();
  EXPECT_FALSE(f->mnuOptions->Enabled());
  EXPECT_EQ(StatusText(), " Device Driver not running");
  EXPECT_EQ(StatusBack(), clRed);
  EXPECT_EQ(f->I2CStart(), 255);
  EXPECT_EQ(f->Caption(), "Velmaron");
  EXPECT_EQ(PanelText(4), "");
  EXPECT_EQ(f->pnlStatusBar->Panels()->Items(4)->Hint(), "No port access: /dev/parport0: Permission denied");
  ASSERT_EQ(f->PendingNotices().size(), 1u);
  Responder().ExpectMessage("Permission denied");
  const int beeps = BeepCount();
  f->Show();
  for (int i = 0; i < 3 && Responder().Pending() > 0; ++i) Application->ProcessMessages();
  EXPECT_EQ(Responder().Pending(), 0);
  EXPECT_EQ(BeepCount(), beeps + 1) << "the start's warning flashed once the window showed";
  EXPECT_EQ(StatusBack(), clRed);
  const std::string text = LastDialogText();
  EXPECT_NE(text.find("sudo adduser $USER lp"), std::string::npos) << text;
  EXPECT_NE(text.find("udev rule"), std::string::npos) << text;
  EXPECT_NE(text.find("Options menu is off"), std::string::npos) << text;
  EXPECT_TRUE(f->PendingNotices().empty());
  Close();
  EXPECT_EQ(StoredInt("Clock"), 33);
}

TEST_F(MainPortTest, PortHeldByAnIdlePrinterDriverIsSharedAndSaysSo) {
  TFakePpdev sys;
  TFakeDirect direct;
  sys.KernelPort(0, 0x378);
  sys.OtherDriver(0, "lp", false);
  TPpdevBackend ppdev(sys, direct);
  InstallPortBackend(&ppdev);
  TfrmMain* f = Start();
  EXPECT_TRUE(f->PortDriver->ActiveHW());
  EXPECT_TRUE(f->mnuOptions->Enabled());
  EXPECT_EQ(f->pnlStatusBar->Panels()->Items(4)->Hint(), "Parallel port: ppdev /dev/parport0 (shared claim with lp)");
  EXPECT_TRUE(f->PendingNotices().empty());
  Close();  // before the backend goes
}

class MainSettingsTest : public TMainWindowTest<> {
 protected:
  std::string StoreFile() const { return TRegistry::StoreFileName(); }
};

TEST_F(MainSettingsTest, DamagedSettingsKeepWhatCanBeReadAndAreToldOnce) {
  const std::string damaged =
      "VELMARON REGISTRY 1\n"
      "[HKEY_CURRENT_USER\\Software\\Dalmire\\Velmaron]\n"
      "\"Clock\"=dword:00000021\n"
      "\"Mode\"=dword:0000000\n"  // one digit short
      "\"ShowSplash\"=dword:00000000\n";
  SaveFileAtomically(StoreFile(), damaged);
  TRegistry::SetStoreDirectory(ExtractFileDir(StoreFile()));
  Responder().ExpectMessage("was damaged");
  TfrmMain* f = Start();
  EXPECT_EQ(Responder().Pending(), 0);
  EXPECT_TRUE(f->PendingNotices().empty());
  EXPECT_EQ(f->Bus().Clock, 33);
  EXPECT_FALSE(f->ShowSplash);
  EXPECT_TRUE(f->PortDriver->HardAccess()) << "the unreadable mode counts as missing";
  EXPECT_NE(LastDialogText().find(StoreFile() + ".damaged.1"), std::string::npos) << LastDialogText();
  EXPECT_EQ(LoadFileBytes(StoreFile() + ".damaged.1"), damaged);
  Application->ProcessMessages();  // once only
  Close();
  EXPECT_EQ(StoredInt("Clock"), 33);
  EXPECT_FALSE(StoredBool("ShowSplash"));
  EXPECT_TRUE(StoredBool("Mode"));
}

TEST_F(MainSettingsTest, UnreadableSettingsRunOnDefaultsAreToldOnceAndLeftAlone) {
  ForceDirectories(StoreFile());  // cannot be read, whoever runs the test
  TRegistry::SetStoreDirectory(ExtractFileDir(StoreFile()));
  Responder().ExpectMessage("cannot be read");
  TfrmMain* f = Start();
  EXPECT_EQ(Responder().Pending(), 0);
  EXPECT_EQ(f->Bus().Clock, 50);
  EXPECT_TRUE(f->ShowSplash);
  EXPECT_NE(LastDialogText().find("default settings"), std::string::npos) << LastDialogText();
  const size_t seen = Responder().Seen().size();
  Close();  // nothing more to say at the end: the user knows the settings stay as they are
  EXPECT_EQ(Responder().Seen().size(), seen);
  EXPECT_TRUE(DirectoryExists(StoreFile()));
}

// A settings file the user made read-only stays as it is, and the box at exit says so plainly:
// which file, that it is read-only, and that it was kept.
TEST_F(MainSettingsTest, AReadOnlySettingsFileIsToldAtExitAndStaysAsItIs) {
  Store("Clock", 33);
  const std::string before = LoadFileBytes(StoreFile());
  ASSERT_EQ(::chmod(StoreFile().c_str(), 0444), 0);
  TfrmMain* f = Start();
  EXPECT_EQ(f->Bus().Clock, 33);
  f->Bus().SetFrequency(77);  // a setting to save
  Responder().ExpectMessage("could not be saved");
  Close();
  EXPECT_EQ(Responder().Pending(), 0);
  const std::string text = LastDialogText();
  EXPECT_NE(text.find("\"" + StoreFile() + "\". The file is read-only"), std::string::npos) << text;
  EXPECT_NE(text.find("stays as it was"), std::string::npos) << text;
  EXPECT_EQ(LoadFileBytes(StoreFile()), before);
  struct stat st {};
  ASSERT_EQ(::stat(StoreFile().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0444u);
  ::chmod(StoreFile().c_str(), 0600);
}

TEST_F(MainSettingsTest, SettingsThatCannotBeSavedAreToldAtExitWithTheReason) {
  const std::string blocker = ExtractFileDir(StoreFile()) + "/blocker";
  SaveFileAtomically(blocker, "x");
  TRegistry::SetStoreDirectory(blocker + "/cfg");  // a file stands where the folder should be
  TfrmMain* f = Start();
  EXPECT_TRUE(f->SettingsRead());
  EXPECT_TRUE(f->PendingNotices().empty()) << "a start writes nothing";
  Responder().ExpectMessage("could not be saved");
  Close();
  EXPECT_EQ(Responder().Pending(), 0);
  EXPECT_NE(LastDialogText().find("Not a directory"), std::string::npos) << LastDialogText();
}

}  // namespace
