#pragma once
// A bare I2C master that drives a port backend's registers directly, with no
// timing of its own: a test and benchmark tool for the simulated devices.
// Uses the adapter's wiring (data 0x7F / 0xFF release / pull SDA, control
// 0x0C / 0x04 release / pull SCL, status bit 7 SDA, bit 3 SCL low).

#include <cstdint>
#include <vector>

#include "platform/port/PortBackend.h"

class TSimBusMaster {
 public:
  explicit TSimBusMaster(TPortBackend& backend, int lpt = 0) : b_(backend), lpt_(lpt) {}

  // Status reads while a device stretches SCL before going on regardless.
  int StretchReads = 100000;

  uint8_t LineStatus() { return b_.Read(lpt_, prStatus) & 0x88; }
  // Start or repeated start; true when the lines showed the start (SDA low, then SCL low).
  bool Start();
  void Stop();
  // True when acknowledged.
  bool Write(uint8_t value);
  uint8_t Read(bool ack);
  // Address with the read bit clear, then the bytes; true when all acknowledged.
  bool WriteMessage(uint8_t address, const std::vector<uint8_t>& bytes, bool stop = true);
  // Start, address with the read bit set, count bytes (the last not acknowledged), stop.
  std::vector<uint8_t> ReadMessage(uint8_t address, size_t count, bool* addressAcked = nullptr);

 private:
  void SclHigh();
  TPortBackend& b_;
  int lpt_;
};
