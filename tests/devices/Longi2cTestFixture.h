#pragma once
// The device window on the main window over the simulated adapter with the
// default set's register device at 40 and 256-byte EEPROM at A0.

#include <filesystem>
#include <string>

#include <QTimer>

#include "devices/Longi2c.h"
#include "platform/port/SimDevices.h"
#include "tests/app/MainTestFixture.h"
#include "tests/platform/gui/StdCtrlsTestSupport.h"

class TLongi2cTest : public TMainWindowTest<> {
 protected:
  TLongi2cTest()
      : regs(sim.Add<TSimRegisterDevice>(256, uint8_t{0x40})), eeprom(sim.Add<TSimEeprom>(256u, uint8_t{0xA0})) {
    for (int i = 0; i < 256; ++i) regs.Registers[static_cast<size_t>(i)] = static_cast<uint8_t>(i ^ 0x5A);
    static int serial = 0;
    files_ = std::filesystem::temp_directory_path() /
             ("velmaron-devfiles-" + std::to_string(::getpid()) + "-" + std::to_string(++serial));
    std::filesystem::create_directories(files_);
  }
  ~TLongi2cTest() override { std::filesystem::remove_all(files_); }

  // The main window and the device window opened from the Device menu.
  TfrmLongI2C* Open() {
    TfrmMain* f = Start();
    f->mnuCustom->Click();
    Application->ProcessMessages();
    return frmLongI2C;
  }
  std::string File(const std::string& name) const { return (files_ / name).string(); }

  // The bus traffic since the last call: S start, P stop, W/w a byte the master
  // wrote (acknowledged or not), R/r a byte a device sent (acknowledged by the
  // master or not), in hex.
  std::string Traffic() {
    std::string t;
    for (const TSimEvent& e : sim.Log()) {
      switch (e.Kind) {
        case seStart: t += "S "; break;
        case seStop: t += "P "; break;
        case seByte:
          t += std::string(e.FromMaster ? (e.Acked ? "W" : "w") : (e.Acked ? "R" : "r")) + IntToHex(e.Byte, 2) + " ";
          break;
        default: break;
      }
    }
    sim.ClearLog();
    if (!t.empty()) t.pop_back();
    return t;
  }
  void Click(TInstDemoButton* b) { StdClick(TfrmLongI2C::ButtonControl(b)); }
  // Makes a register the active one by a click on its cell.
  void Select(TfrmLongI2C* w, int reg) {
    const TRect r = w->RegisterCellRect(reg);
    StdClick(w->GridWindow()->Peer(), (r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
  }

  TSimRegisterDevice& regs;
  TSimEeprom& eeprom;

 private:
  std::filesystem::path files_;
};
