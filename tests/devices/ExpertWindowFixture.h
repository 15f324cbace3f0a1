#pragma once
// The expert window opened from the main window's Device menu, on the
// simulated adapter with a register device at 40 and a fake clock; the bus
// traffic is read back from the adapter's log.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "controls/grid/ExtGrid.h"
#include "devices/ExpertFile.h"
#include "devices/MessageEditor.h"
#include "devices/Sequence.h"
#include "devices/Universal_III.h"
#include "platform/gui/Windows.h"
#include "tests/app/MainTestFixture.h"

// Runs a piece of test code from inside the message loop (a nested
// ProcessMessages of a running send), the way a user's click arrives there.
class TLoopAgent : public TForm {
 public:
  static constexpr UINT WM_AGENT = WM_USER + 77;
  explicit TLoopAgent(TComponent* AOwner) : TForm(AOwner) {}
  std::string ClassName() const override { return "TLoopAgent"; }
  // Each call posts one message; the actions run in order, one per message.
  void Post(std::function<void()> Action) {
    actions_.push_back(std::move(Action));
    PostMessage(Handle(), WM_AGENT, 0, 0);
  }
  int Ran() const { return ran_; }

 protected:
  void Dispatch(TMessage& Message) override {
    if (Message.Msg == WM_AGENT && ran_ < static_cast<int>(actions_.size())) {
      auto a = actions_[ran_++];
      a();
      return;
    }
    TForm::Dispatch(Message);
  }

 private:
  std::vector<std::function<void()>> actions_;
  int ran_ = 0;
};

// A device at 50 that acknowledges every byte but EE.
class TPickyDevice : public TSimI2CDevice {
 public:
  TPickyDevice() : TSimI2CDevice("picky") {}

 protected:
  bool AddressByte(uint8_t a) override { return (a & 0xFE) == 0x50; }
  bool DataWritten(uint8_t v) override { return v != 0xEE; }
  uint8_t DataToRead() override { return 0x5A; }
};

class ExpertWindowTest : public TMainWindowTest<> {
 protected:
  void SetUp() override {
    MessageEditor::ActiveColumn = 0;  // unit state: each test starts as the program does
    regs = &sim.Add<TSimRegisterDevice>(256, uint8_t{0x40});
    for (int i = 0; i < 256; ++i) regs->Registers[i] = static_cast<uint8_t>(0x80 + i);
    sim.Add<TPickyDevice>();
    Start();
    ASSERT_TRUE(frmMain->mnuExpert->Enabled());
    ASSERT_NO_FATAL_FAILURE(OpenWindow());
    dir = std::filesystem::temp_directory_path() /
          ("velmaron-expert-" + std::to_string(::getpid()) + "-" + std::to_string(++serial));
    std::filesystem::create_directories(dir);
    frmMain->Trigger(false);  // the trigger pin starts high, the level the bus templates give
    sim.ClearLog();
  }
  void TearDown() override {
    std::filesystem::remove_all(dir);
    TMainWindowTest<>::TearDown();
  }

  // Bus traffic since the last ClearLog: S start, P stop, Wxx+ written and
  // acknowledged, Rxx+ / Rxx- read with / without the master's acknowledge,
  // T0 / T1 the trigger pin's new level.
  std::string Trace() const {
    std::string s;
    char b[16];
    for (const TSimEvent& e : sim.Log()) {
      switch (e.Kind) {
        case seStart: s += "S "; break;
        case seStop: s += "P "; break;
        case seByte:
          std::snprintf(b, sizeof b, "%c%02X%c ", e.FromMaster ? 'W' : 'R', e.Byte, e.Acked ? '+' : '-');
          s += b;
          break;
        case seTrigger: s += e.Byte ? "T1 " : "T0 "; break;
        default: break;
      }
    }
    if (!s.empty()) s.pop_back();
    return s;
  }

  void Row(int r, const std::string& address, const std::string& rw, const std::string& data,
           const std::string& stop = "Yes", const std::string& delay = "", const std::string& notes = "") {
    w->SetRowFields(r, {address, rw, data, stop, delay, notes});
  }
  // The Device menu's Expert: the window, opened again after a close.
  void OpenWindow() {
    frmMain->mnuExpert->Click();
    w = frmMessage;
    ASSERT_NE(w, nullptr);
    Application->ProcessMessages();
  }
  void Select(int r) { w->grdData->SetRow(r); }
  // Opens the universal window beside the expert window; its Send button.
  TWinControl* OpenUniversalSend() {
    frmMain->mnuUniversal->Click();
    Application->ProcessMessages();
    for (int i = 0; i < frmMain->MDIChildCount(); ++i)
      if (frmMain->MDIChildren(i)->ClassName() == "TfrmUniversal")
        return dynamic_cast<TWinControl*>(frmMain->MDIChildren(i)->FindComponent("btnSend"));
    return nullptr;
  }
  std::string Cell(int c, int r) const { return w->grdData->Cells(c, r); }
  std::string Path(const std::string& name) const { return (dir / name).string(); }
  static void WriteFile(const std::string& path, const std::string& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }
  static std::string ReadFile(const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return "<missing>";
    std::string s;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) s.append(buf, n);
    std::fclose(f);
    return s;
  }
  // Every start, stop and byte of the log, with the time of each in microseconds.
  std::vector<std::pair<std::string, double>> Timed() const {
    std::vector<std::pair<std::string, double>> v;
    for (const TSimEvent& e : sim.Log()) {
      if (e.Kind == seStart) v.push_back({"S", e.TimeNs / 1000.0});
      if (e.Kind == seStop) v.push_back({"P", e.TimeNs / 1000.0});
    }
    return v;
  }

  TSimRegisterDevice* regs = nullptr;
  TfrmMessage* w = nullptr;
  std::filesystem::path dir;
  static inline int serial = 0;
};
