#pragma once
// The main window on the simulated adapter, a fake clock and a registry of
// its own: each test starts the window the way the program does.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include <unistd.h>

#include "app/Main.h"
#include "app/bus/PortIO.h"
#include "platform/gui/Forms.h"
#include "platform/gui/testing/GuiTest.h"
#include "platform/port/SimAdapter.h"
#include "platform/rtl/Clock.h"
#include "platform/rtl/Registry.h"

// Ticks move one millisecond per reading, so the status line's pauses end
// after a few hundred rounds of the message loop instead of real time.
class TTickingClock : public TFakeClock {
 public:
  uint32_t GetTickCount() override {
    Advance(1e6);
    return TFakeClock::GetTickCount();
  }
};

// A driver that cannot be opened.
class TDeadAdapter : public TSimulatedAdapter {
 public:
  bool Open() override { return false; }
};

template <class TAdapter = TSimulatedAdapter>
class TMainWindowTest : public TGuiTest {
 protected:
  TMainWindowTest() : clockScope_(clock), backendScope_(sim) {
    clock.NanosecondsPerCounterRead = 1000;  // the time base's second is 10^6 readings
    static int serial = 0;
    dir_ = std::filesystem::temp_directory_path() /
           ("velmaron-main-" + std::to_string(::getpid()) + "-" + std::to_string(++serial));
    std::filesystem::create_directories(dir_);
    TRegistry::SetStoreDirectory(dir_.string());
  }
  ~TMainWindowTest() override {
    Close();
    TRegistry::SetStoreDirectory("");
    std::filesystem::remove_all(dir_);
  }

  // Starts the window as the program does: created, then shown by the message
  // loop, which then runs what the showing posted.
  TfrmMain* Start() {
    Application->CreateForm(frmMain);
    frmMain->Show();
    Application->ProcessMessages();
    return frmMain;
  }
  // Ends it as the program does (the destruction handler runs).
  void Close() {
    if (frmMain) {
      TfrmMain* f = frmMain;
      f->BeforeDestruction();
      delete f;
    }
  }

  void Store(const std::string& name, bool value) {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(SettingsKey, true));
    reg.WriteBool(name, value);
    reg.CloseKey();
  }
  void Store(const std::string& name, int value) {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(SettingsKey, true));
    reg.WriteInteger(name, value);
    reg.CloseKey();
  }
  bool Has(const std::string& name) {
    TRegistry reg;
    return reg.OpenKey(SettingsKey, false) && reg.ValueExists(name);
  }
  int StoredInt(const std::string& name) {
    TRegistry reg;
    EXPECT_TRUE(reg.OpenKey(SettingsKey, false));
    return reg.ReadInteger(name);
  }
  bool StoredBool(const std::string& name) {
    TRegistry reg;
    EXPECT_TRUE(reg.OpenKey(SettingsKey, false));
    return reg.ReadBool(name);
  }

  std::string StatusText() const { return frmMain->pnlStatus->Caption(); }
  TColor StatusBack() const { return frmMain->pnlStatus->Color(); }
  TColor StatusFont() const { return frmMain->pnlStatus->Font()->Color(); }
  std::string PanelText(int i) const { return frmMain->pnlStatusBar->Panels()->Items(i)->Text(); }

  TTickingClock clock;
  TAdapter sim;

 private:
  TClockScope clockScope_;
  TPortBackendScope backendScope_;
  std::filesystem::path dir_;
};
