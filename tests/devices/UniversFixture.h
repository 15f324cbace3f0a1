#pragma once
// The main window on the simulated adapter (default devices: EEPROMs at A0 and
// A8, 256 registers at 40) with the universal window opened from its Device
// menu, a fake clock, a registry of its own, and a reader of the adapter's log
// that gives the exact bus traffic.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMetaObject>
#include <QMouseEvent>
#include <QWidget>

#include <filesystem>
#include <functional>
#include <string>

#include <unistd.h>

#include "devices/Univers.h"
#include "platform/gui/Forms.h"
#include "platform/gui/testing/GuiTest.h"
#include "platform/port/SimAdapter.h"
#include "platform/rtl/Clock.h"
#include "platform/rtl/Registry.h"
#include "tests/app/MainTestFixture.h"
#include "tests/platform/gui/StdCtrlsTestSupport.h"

// Ticks move a millisecond per reading (the status line's pauses end after a
// few hundred rounds); the monotonic clock moves NowStepNs per reading, so the
// window's pauses end after a bounded number of rounds too.
class TUniversClock : public TFakeClock {
 public:
  double NowStepNs = 10000;
  uint64_t Reads = 0;  // of the monotonic clock: a busy wait reads it on every turn
  uint32_t GetTickCount() override {
    Advance(1e6);
    return TFakeClock::GetTickCount();
  }
  uint64_t NowNanoseconds() override {
    ++Reads;
    Advance(NowStepNs);
    return TFakeClock::NowNanoseconds();
  }
};

// The bus traffic of a log as text: "S" start, "P" stop, each byte as two hex
// digits followed by "A" (acknowledged: SDA low at the ninth clock) or "N".
// Decoded from the lines alone, so a byte nobody answered shows too.
inline std::string Traffic(const std::deque<TSimEvent>& Log, std::vector<uint64_t>* StartTimes = nullptr,
                           std::vector<uint64_t>* StopTimes = nullptr) {
  std::string out;
  bool scl = true;
  int bits = 0;
  unsigned value = 0;
  auto token = [&](const std::string& t) { out += (out.empty() ? "" : " ") + t; };
  for (const TSimEvent& e : Log) {
    if (e.Kind == seStart) {
      token("S");
      bits = 0;
      value = 0;
      if (StartTimes) StartTimes->push_back(e.TimeNs);
    } else if (e.Kind == seStop) {
      token("P");
      bits = 0;
      if (StopTimes) StopTimes->push_back(e.TimeNs);
    } else if (e.Kind == seLines) {
      if (!scl && e.Scl) {
        if (bits < 8) {
          value = (value << 1) | (e.Sda ? 1u : 0u);
          ++bits;
        } else {
          static const char* hex = "0123456789ABCDEF";
          token(std::string{hex[(value >> 4) & 15], hex[value & 15], e.Sda ? 'N' : 'A'});
          bits = 0;
          value = 0;
        }
      }
      scl = e.Scl;
    }
  }
  return out;
}

class TUniversTest : public TGuiTest {
 protected:
  TUniversTest() : clockScope_(clock), backendScope_(sim) {
    clock.NanosecondsPerCounterRead = 1000;
    sim.AddDefaultDevices();
    static int serial = 0;
    dir_ = std::filesystem::temp_directory_path() /
           ("velmaron-univers-" + std::to_string(::getpid()) + "-" + std::to_string(++serial));
    std::filesystem::create_directories(dir_);
    TRegistry::SetStoreDirectory(dir_.string());
  }
  ~TUniversTest() override {
    if (frmMain) {
      TfrmMain* f = frmMain;
      f->BeforeDestruction();
      delete f;
    }
    Application->ClearTerminated();
    TRegistry::SetStoreDirectory("");
    std::filesystem::remove_all(dir_);
  }

  // The main window as the program starts it, then the universal window from the menu.
  TfrmUniversal* Open() {
    Application->CreateForm(frmMain);
    frmMain->Show();
    Application->ProcessMessages();
    frmMain->mnuUniversal->Click();
    Application->ProcessMessages();
    EXPECT_NE(frmUniversal, nullptr);
    w = frmUniversal;
    sim.ClearLog();
    return w;
  }

  std::string Dir() const { return dir_.string(); }
  std::string Status() const { return frmMain->pnlStatus->Caption(); }
  std::string Bus() const { return Traffic(sim.Log()); }
  TSimRegisterDevice& Registers() { return *static_cast<TSimRegisterDevice*>(sim.Devices()[2].get()); }

  // Sets message N's boxes as the user leaves them.
  void SetMessage(int N, const std::string& Address, const std::string& Direction, const std::string& Msg) {
    w->Group(N).edtAdrs->SetText(Address);
    w->Group(N).edtRW->SetText(Direction);
    w->Display(N, Msg);
  }
  std::string Message(int N) {
    w->Data(N);
    return w->Messages[static_cast<size_t>(N - 1)];
  }

  // Input through the controls' windows, as a user's.
  static void Key(TWinControl* c, int key, const QString& text = QString()) { StdKey(c, key, text); }
  static void Click(TWinControl* c) { StdClick(c); }
  // Runs Action from the event loop, the way a user's later input arrives
  // while a run processes messages.
  static void Later(std::function<void()> Action) {
    QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(Action), Qt::QueuedConnection);
  }

  TUniversClock clock;
  TSimulatedAdapter sim;
  TfrmUniversal* w = nullptr;

 private:
  TClockScope clockScope_;
  TPortBackendScope backendScope_;
  std::filesystem::path dir_;
};
