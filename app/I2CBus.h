#pragma once
// The I2C bus engine and its bit timing: the program is the bus master and
// drives SCL and SDA through the parallel port one register access at a time.
// No window here: the main window owns one TI2CBus, forwards its bus routines
// to it and shows the texts this unit hands out through its events.

#include <array>
#include <cstdint>
#include <vector>
#include <functional>
#include <string>

class TPortIO;

// Result byte of every bus routine and device-window operation.
using I2CStatus = uint8_t;

// How a text of this unit is to be shown (font on background).
enum TBusLook {
  blReady,  // white on green
  blFault,  // white on red
  blSlow,   // black on yellow
};

class TI2CBus {
 public:
  // The engine works on the port driver it is given; it does not own it.
  // CPUSpeedMhz is the time base's clock (cycles of the time-stamp counter per µs).
  TI2CBus(TPortIO& PortDriver, double CPUSpeedMhz);
  TI2CBus(const TI2CBus&) = delete;
  TI2CBus& operator=(const TI2CBus&) = delete;

  TPortIO& PortDriver() const { return port_; }

  // --- Bus state (the unit variables of the bus engine) ---
  uint8_t SDAHighByte = 0x7F;  // data byte that releases SDA
  uint8_t SDALowByte = 0xFF;   // data byte that pulls SDA low
  bool AdapterFound = false;   // the last loop-back test answered
  bool HardwareReady = false;  // the last port selection found the adapter
  uint16_t PortAddress = 0;    // I/O base of the selected port; 0 before any selection
  std::array<uint16_t, 3> LPTAddresses{};  // bases of LPT1..LPT3, 0 = none
  bool IgnoreAcknowledge = false;  // "Ignore Acknowledge": every byte counts as acknowledged

  // --- Timing state ---
  int32_t DelayCount = 10;  // turns of Delay; at least 1 after any SetFrequency
  int32_t n320Count = 0;    // counter cycles in 300 ns
  double DelayOffset = 0;   // µs per bit at DelayCount 0
  double DelaySlope = 0;    // µs per bit per DelayCount step
  int32_t MaxClock = 70;    // highest bus frequency (KHz) the calibration line allows
  int32_t Clock = 50;       // bus frequency (KHz) in force

  // The time base's clock. A value that is not a positive number is replaced by
  // a short measurement of the counter against the monotonic clock.
  double CPUSpeedMhz() const { return cpuSpeedMhz_; }
  void SetCPUSpeedMhz(double Mhz);

  // True while a calibration line is in force (one successful Calibrate).
  bool Calibrated() const { return DelaySlope > 0; }

  // --- Bus routines ---
  I2CStatus I2CStart();
  I2CStatus I2CStop();
  // 0 = acknowledged (or acknowledge ignored), 128 = not acknowledged.
  uint8_t I2CWrite(uint8_t Data);
  // Last = 1 ends the read (no acknowledge); Ack receives SDA at the ninth clock (0 or 128).
  uint8_t I2CRead(uint8_t Last, uint8_t& Ack);
  void VccEnable();
  bool I2CDetect();
  void Trigger(bool Value);
  void PulseLow();
  void PulseHigh();
  bool InputState();

  // --- Waits ---
  void Delay();
  void n320Seconds();
  void uSeconds(int32_t Count);

  // --- Calibration and clock ---
  double I2CP586(uint8_t Data);
  // One bit period in µs; NaN when no two readings agreed within the retry
  // bound and the readings taken were too scattered to settle on one.
  double MeasurePeriod();
  // The period most of the readings agree on (within 0.5 %), or NaN.
  static double SettledPeriod(std::vector<double> readings);
  // Fits the calibration line. False when the measurement failed or gave an
  // unusable line: then the previous line, MaxClock and DelayCount stay and the
  // status line says so.
  bool Calibrate();
  void SetFrequency(int32_t Frequency);

  // --- Access mode ---
  // 0 = Normal (direct access), 1 = Slow (through the driver).
  void SetDriverMode(uint8_t Mode);
  // The "Normal Access" check mark; follows the mode actually in force.
  bool FastAccess() const { return fastAccess_; }
  // The "Normal Access" menu item and a double-click on the mode label.
  void ToggleAccessMode();
  // The stored "Mode" value at start: True = Slow, False = switch to Normal.
  void RestoreAccessMode(bool Slow);

  // The "Calibrate" command: calibrate, apply the clock, report on the status line.
  bool CalibrateCommand();

  // --- Port selection ---
  // Selects LPT1..LPT3 (Port 1..3) and tests for the adapter there.
  void SelectPort(int Port);
  // Searches LPT1..LPT3 for the adapter, first port that answers wins.
  void LPTCheck();

  // --- What the main window shows; each is called only when assigned ---
  std::function<void(const std::string& Text, TBusLook Look)> OnStatusLine;  // pnlStatus
  std::function<void(const std::string& Text)> OnClockPanel;                 // panel 3
  std::function<void(const std::string& Text)> OnPortPanel;                  // panel 4
  std::function<void(const std::string& Text, TBusLook Look)> OnModeLabel;   // lblMode
  std::function<void(bool Checked)> OnFastAccessChecked;                     // mnuFastAccess
  std::function<void(int CheckedPort)> OnPortChecked;  // LPT items: 1..3 checked, 0 = none

  // Bounds of the calibration's measurement.
  static constexpr int MeasureRounds = 200;  // attempts of MeasurePeriod to get two agreeing readings
  static constexpr int CalibrationPoints = 20;
  static constexpr int CalibrationAttempts = 3;  // measurements of the line before a calibration fails

 private:
  uint8_t Status();  // status register AND 0x88
  void SetControl(uint8_t Value);
  void SetData(uint8_t Value);
  uint8_t WaitStatus(uint8_t Wanted, uint32_t Milliseconds);
  uint8_t StretchWait();
  double MeasureCounterRate();
  void ShowStatus(const std::string& Text, TBusLook Look);
  void ShowMode();
  void SetFastAccessMark(bool Checked);

  TPortIO& port_;
  double cpuSpeedMhz_ = 0;
  bool fastAccess_ = false;
};

// The status-line code of a masked status value (status AND 0x88).
I2CStatus LineCode(uint8_t Masked);
