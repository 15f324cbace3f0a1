#pragma once
// The bus operations of the EEPROM windows: Read Byte, Write Byte, Read All,
// Write All (page writes, a fixed write-cycle wait after each page, then
// Verify) and Verify. Each is one synchronous sequence over the main window's
// bus routines, reached through TEEBus so that tests can run it on the
// simulated adapter. Every sequence ends with one stop; the result is the
// I2CStatus the window hands to the status line (TMainHost::ErrorMessage).

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "app/bus/I2CBus.h"
#include "eeprom/EEImage.h"

// The bus routines an operation uses (the main window's, or the engine's in tests).
class TEEBus {
 public:
  virtual ~TEEBus() = default;
  virtual I2CStatus Start() = 0;
  virtual I2CStatus Stop() = 0;
  // 0 = acknowledged, non-zero = not acknowledged.
  virtual uint8_t Write(uint8_t data) = 0;
  // Last = 1 ends the read; Ack receives the acknowledge level (0 or 128).
  virtual uint8_t Read(uint8_t last, uint8_t& ack) = 0;
  // Busy wait of this many microseconds.
  virtual void Wait(int32_t microseconds) = 0;
};

// TEEBus over any set of the bus routines by their names: the main window's in
// the program (EEMainBus.h), the engine's in tests and benchmarks.
template <class TRoutines>
class TEEBusOf : public TEEBus {
 public:
  explicit TEEBusOf(TRoutines& routines) : r_(routines) {}
  I2CStatus Start() override { return r_.I2CStart(); }
  I2CStatus Stop() override { return r_.I2CStop(); }
  uint8_t Write(uint8_t data) override { return r_.I2CWrite(data); }
  uint8_t Read(uint8_t last, uint8_t& ack) override { return r_.I2CRead(last, ack); }
  void Wait(int32_t microseconds) override { r_.uSeconds(microseconds); }

 private:
  TRoutines& r_;
};
// Straight on a bus engine, without the main window.
using TEEEngineBus = TEEBusOf<TI2CBus>;

// Status codes of the operations (texts on the main window's status line).
constexpr I2CStatus EEAddressNack = 1;
constexpr I2CStatus EEDataNack = 2;
constexpr I2CStatus EEReadAckWrong = 3;
constexpr I2CStatus EEWriteVerified = 64;
constexpr I2CStatus EEVerified = 65;
constexpr I2CStatus EEVerifyError = 153;

// Progress texts, written straight to the status line (black on yellow) and
// repainted at once.
inline constexpr const char* EEReadingText = "  Reading EEPROM...please wait";
inline constexpr const char* EEWritingText = "  Writing";
inline constexpr const char* EEVerifyingText = " Verifying...please wait";

// The first difference Verify found.
struct TEEMismatch {
  uint32_t Address = 0;
  uint8_t Read = 0;      // what the device gave
  uint8_t Expected = 0;  // what the writer wrote (the cell as the window reads it)
};
// The error box's text: "Device failed Verify at Address 0x.." CR "Read value=0x.." CR "Correct value=0x..".
std::string EEVerifyFailText(const TEEMismatch& m);

// The write-cycle wait of a window kind in microseconds, shared by all windows
// of that kind (large 10000, small 50000 until a Write All sets it).
int32_t& EECycleTime(TEEKind kind);
constexpr int32_t EELargeInitialCycleTime = 10000;
constexpr int32_t EESmallInitialCycleTime = 50000;

class TEEBusOps {
 public:
  // `device`: kind, size, address (bit 0 is cleared here), page size and
  // write time as the settings rows give them (see EEImage.h for the checks).
  TEEBusOps(TEEBus& bus, const TEESettings& device);

  // Progress texts; called only when assigned.
  std::function<void(const std::string& text)> OnProgress;

  // Read one byte at `address` (below the device size).
  I2CStatus ReadByte(uint32_t address, uint8_t& value);
  // Write one byte; no write-cycle wait follows.
  I2CStatus WriteByte(uint32_t address, uint8_t value);

  // Sequential read of the whole device into `image` (resized to the device
  // size; bytes not read keep 0xFF). `onByte` (large window) gets each byte as
  // soon as it is read and its acknowledge level tested, the last one only
  // after a clean stop.
  I2CStatus ReadAll(TEEBytes& image, const std::function<void(uint32_t address, uint8_t value)>& onByte = {});

  // Sets the kind's cycle time from the write time, writes `image` (device size
  // bytes) page by page with the cycle wait after each page, then verifies:
  // 64 when both passed, else the failing step's code (153 with `mismatch`).
  I2CStatus WriteAll(const TEEBytes& image, std::optional<TEEMismatch>* mismatch = nullptr);

  // Waits the kind's cycle time, reads the whole device and compares it with
  // `expected`: 0 when equal, 153 with `mismatch` at the first difference, or
  // the bus fault. The Verify button shows 0 as 65 (EEVerifyButtonCode).
  I2CStatus Verify(const TEEBytes& expected, std::optional<TEEMismatch>* mismatch = nullptr);

  // Pages written by the last WriteAll and the progress text it ended with.
  uint32_t PagesWritten() const { return pagesWritten_; }
  const std::string& ProgressText() const { return progress_; }

 private:
  I2CStatus Addressed(uint8_t dev, uint32_t wordAddress, bool twoBytes);
  I2CStatus ReadSequence(TEEBytes& image, const std::function<void(uint32_t, uint8_t)>& onByte);
  I2CStatus WriteLarge(const TEEBytes& image);
  I2CStatus WriteSmall(const TEEBytes& image);
  I2CStatus WritePage(uint8_t dev, uint32_t wordAddress, const uint8_t* bytes, uint32_t count);
  void Show(const std::string& text);

  TEEBus& bus_;
  TEESettings dev_;
  uint32_t pagesWritten_ = 0;
  std::string progress_;
};

// The Verify button's code: a passed verify (0) shows as 65.
inline I2CStatus EEVerifyButtonCode(I2CStatus code) { return code == 0 ? EEVerified : code; }
