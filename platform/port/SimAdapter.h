#pragma once
// The simulated adapter: parallel ports at configurable bases, one of them
// carrying the I2C adapter with simulated devices on its bus.
//
// Electrical model of the adapter's port:
//   data bit 7 = 1 pulls SDA low; control bit 3 = 0 pulls SCL low (0x0C
//   releases, 0x04 pulls); both lines are open-drain, wired with the devices'
//   drives and the injected faults.
//   status bit 7 = SDA level (1 = high), bit 3 = 1 while SCL is low,
//   bit 6 = the general input (pin 10), bits 5 and 4 = data bit 4 looped back
//   from pin 6 (pins 12 and 13), bits 0 to 2 read 1.
//   data bit 6 is the trigger output (pin 8).
// A port without the adapter reads back its data and control registers and
// shows the status of open inputs (0x7F).
//
// Every register access costs time on the clock in force (SlowAccessNs or
// NormalAccessNs, by access mode): a fake clock is advanced, the real one is
// busy-waited, as real port hardware takes its time.
//
// Typical test:
//   TFakeClock clock;  TClockScope cs(clock);
//   TSimulatedAdapter sim;                       // LPT1 0x378 with the adapter, LPT2 0x278, no LPT3
//   auto& ee = sim.Add<TSimEeprom>(256, 0xA0);
//   sim.Faults.SdaStuckLow = true;
//   TPortBackendScope scope(sim);                // the next TPortIO::OpenDriver uses it
//   ... drive the bus ...; inspect sim.Log(), sim.BytesSeenBy(ee.Name()), ee.Memory

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "platform/port/PortBackend.h"
#include "platform/port/SimDevices.h"

enum TSimEventKind {
  seLines,    // SCL or SDA changed; Scl/Sda hold the new levels
  seStart,    // start or repeated start
  seStop,
  seByte,     // a byte a device saw (Device, Byte, FromMaster, Acked)
  seTrigger,  // pin 8 changed; Byte holds the new level (0 or 1)
};

struct TSimEvent {
  uint64_t TimeNs = 0;     // clock in force, nanoseconds
  TSimEventKind Kind = seLines;
  bool Scl = true, Sda = true;
  std::string Device;
  uint8_t Byte = 0;
  bool FromMaster = true;  // seByte: written by the master, else sent by the device
  bool Acked = false;      // seByte: acknowledged (by the device, or by the master for a read)
};

struct TSimFaults {
  bool SdaStuckLow = false;
  bool SclStuckLow = false;
  bool NotFollowingDrive = false;  // the adapter's drivers are dead: the lines ignore the port
  bool NoAdapter = false;          // the adapter's port behaves as a bare port (loop-back fails)
};

class TSimulatedAdapter : public TPortBackend {
 public:
  TSimulatedAdapter();
  ~TSimulatedAdapter() override;

  // --- Set-up (may change at any time; the next access sees it) ---
  TLptBases PortBases{0x378, 0x278, 0};
  int AdapterPort = 1;             // LPT number that carries the adapter, 0 = none
  double SlowAccessNs = 1000.0;    // cost of one access through the driver
  double NormalAccessNs = 400.0;   // cost of one direct access
  TSimFaults Faults;
  bool InputPin = true;            // level on pin 10 (status bit 6)
  bool LogLines = true;            // log seLines events (bytes, starts and stops always)
  size_t LogCapacity = 65536;      // oldest events are dropped beyond this

  TSimI2CDevice& Add(std::unique_ptr<TSimI2CDevice> device);
  template <class T, class... A>
  T& Add(A&&... args) {
    return static_cast<T&>(Add(std::make_unique<T>(std::forward<A>(args)...)));
  }
  // The default set: a 256-byte EEPROM at A0, a 32 KB EEPROM at A8 and a
  // device of 256 registers at 40.
  void AddDefaultDevices();
  const std::vector<std::unique_ptr<TSimI2CDevice>>& Devices() const { return devices_; }
  TSimI2CDevice* Find(const std::string& name) const;

  // --- Observation ---
  bool Scl() const { return scl_; }
  bool Sda() const { return sda_; }
  bool Trigger() const;  // level of pin 8 on the adapter's port
  uint8_t DataLatch(int lpt) const { return data_[lpt]; }
  uint8_t ControlLatch(int lpt) const { return control_[lpt]; }
  uint64_t AccessCount() const { return accesses_; }
  const std::deque<TSimEvent>& Log() const { return log_; }
  void ClearLog() { log_.clear(); }
  // The bytes one device saw, in order (written to it and read from it).
  std::vector<uint8_t> BytesSeenBy(const std::string& device) const;
  // Brings the lines up to date with the clock (a stretch may have ended).
  void Settle();

  // --- TPortBackend ---
  std::string Name() const override { return "Simulated adapter"; }
  bool Open() override;
  void Close() override { open_ = false; }
  bool IsOpen() const override { return open_; }
  TLptBases Bases() const override { return PortBases; }
  uint8_t Read(int lpt, TPortRegister reg) override;
  void Write(int lpt, TPortRegister reg, uint8_t value) override;
  bool SetHardAccess(bool hard) override { hard_ = hard; return true; }
  bool HardAccess() const override { return hard_; }

 private:
  friend class TSimI2CDevice;
  void Record(TSimEvent e);
  uint64_t Spend();
  void Finish(uint64_t until);
  uint8_t ReadRegister(int lpt, TPortRegister reg);
  void WriteRegister(int lpt, TPortRegister reg, uint8_t value);
  bool AdapterAt(int lpt) const;
  uint8_t AdapterStatus();

  std::vector<std::unique_ptr<TSimI2CDevice>> devices_;
  std::deque<TSimEvent> log_;
  uint8_t data_[kLptCount] = {0, 0, 0};
  uint8_t control_[kLptCount] = {0x0C, 0x0C, 0x0C};
  bool scl_ = true, sda_ = true;
  bool trigger_ = false;
  bool open_ = false;
  bool hard_ = true;
  uint64_t accesses_ = 0;
  bool inAccess_ = false;
  uint64_t accessNs_ = 0;  // the time the current access's lines change
};
