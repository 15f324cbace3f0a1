#pragma once
// The I2C bus engine and its bit timing: the program is the bus master and
// drives SCL and SDA through the parallel port one register access at a time.
// No window here: the main window owns one TI2CBus, forwards its bus routines
// to it and shows the texts this unit hands out through its events.

#include <array>
#include <cstdint>
#include <functional>
#include <limits>
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
  double DelayOffset = 0;   // µs per written bit at DelayCount 0
  double DelaySlope = 0;    // µs per written bit per DelayCount step
  int32_t MaxClock = 70;    // highest bus frequency (KHz) the calibration line allows
  int32_t Clock = 50;       // bus frequency (KHz) set; in force once a line exists
  // A read bit accesses the port less often than a written one and has no
  // 300 ns wait: it has a line and a loop length of its own.
  int32_t ReadDelayCount = 10;  // turns of ReadDelay
  double ReadDelayOffset = 0;   // µs per read bit at ReadDelayCount 0
  double ReadDelaySlope = 0;    // µs per read bit per ReadDelayCount step

  // The time base's clock. A value that is not a positive number is replaced by
  // a short measurement of the counter against the monotonic clock.
  double CPUSpeedMhz() const { return cpuSpeedMhz_; }
  void SetCPUSpeedMhz(double Mhz);

  // True while a calibration line is in force: one successful Calibrate on the
  // port and in the access mode now in use. Without one, every wait is timed by
  // the counter so that no bit can be shorter than the set clock asks.
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
  void ReadDelay();  // each of the two waits of a read bit
  void n320Seconds();
  void uSeconds(int32_t Count);

  // --- Calibration and clock ---
  double I2CP586(uint8_t Data);
  // Four read bits' worth of port accesses and waits, in counter cycles.
  double ReadBitsTime();
  // One written bit's period in µs at the current DelayCount: the least of
  // ReadingsPerPoint readings, as interrupts only ever add time. NaN when no
  // reading was positive.
  double MeasurePeriod();
  // The same for a read bit at the current ReadDelayCount.
  double MeasureReadPeriod();
  // Fits the lines of written and read bits. False when a point would not agree
  // with its line or the line is unusable: then a line measured on this port in
  // this access mode stays in force, any other is dropped, and the status line
  // says which.
  bool Calibrate();
  // Sets Clock and the loop lengths and shows the clock. With a line the
  // frequency is capped at MaxClock; without one it is kept as asked, the waits
  // are timed so the bus runs no faster, and the panel says "at most".
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

  // The "Calibrate" command: calibrate, apply the clock, report on the status
  // line (also when there is no port to calibrate).
  bool CalibrateCommand();
  // The calibration at the end of the settings' reading: calibrate, apply the
  // clock, and show the state that then holds, so that the failure of an
  // earlier calibration of the start (port search, mode switch) does not
  // outlast its mending.
  bool CalibrateAtStart();

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

  // The calibration's measurement.
  static constexpr int CalibrationPoints = 20;   // loop lengths 500, 1000 ... 10000
  static constexpr int ReadingsPerPoint = 9;        // a point is the least of at least these
  static constexpr double PointTolerance = 0.02;    // a point agrees within this share of its line
  static constexpr int RemeasurePasses = 60;        // passes over the disagreeing points
  static constexpr int MaxPointsLeftOut = 2;        // points that still disagree then, left out of the line
  // A phase of a clock is counted this much later than its edge can have
  // come, for how far the edge's place within a port write moves.
  static constexpr double EdgeMarginNs = 25;
  // The least time SDA holds a written bit before SCL rises (I2C's data set-up time).
  static constexpr double DataSetUpNs = 250;

  // Status-line texts of this unit.
  static constexpr const char* CalibrationKeptText = " Calibration failed - previous timing kept";
  static constexpr const char* CalibrationSlowText = " Calibration failed - bus slower than set";
  static constexpr const char* NoPortText = " No parallel port - nothing to calibrate";

 private:
  uint8_t Status();  // status register AND 0x88
  void SetControl(uint8_t Value);
  void SetData(uint8_t Value);
  uint8_t WaitStatus(uint8_t Wanted, uint32_t Milliseconds);
  uint8_t StretchWait();
  double MeasureCounterRate();
  void Wait(int32_t Turns, uint64_t TimedCycles);
  void CounterWait(uint64_t Cycles);
  struct TBitParts {
    double Access = 0, Wait = 0, Hold = 0;  // µs
  };
  TBitParts BitParts() const;
  double MeasureAccess(bool Write);
  void SetHalfPeriod(int32_t Frequency);
  uint64_t WaitUntil(uint64_t End);
  void SclEdge(uint8_t Control, uint64_t Before);
  void OpenLowPhase();
  uint64_t EndPhase();
  uint8_t HighPhase(uint64_t Before);
  uint8_t DataBitHighPhase(uint64_t DataSet);
  struct TLine {
    double Offset = 0, Slope = 0;
  };
  bool FitLine(bool Read, int32_t& Count, TLine& Line);
  void TimeFourBits(bool Read, uint8_t Data, double& Cycles, double& CounterRead);
  double Reading(bool Read);
  bool UsableLine(const TLine& Line, double MeanPeriod) const;
  void DropLine();
  void ShowStatus(const std::string& Text, TBusLook Look);
  void ShowReady();
  void ShowMode();
  void SetFastAccessMark(bool Checked);

  TPortIO& port_;
  double cpuSpeedMhz_ = 0;
  double counterMhz_ = 0;  // cycles per µs of the clock's wait counter
  double accessUs_ = 0;    // a port access, measured with the line
  bool fastAccess_ = false;
  bool measuring_ = false;         // the calibration runs the loops whatever the line
  bool byteClosed_ = false;        // a start.s or a byte.s closing waits ran: the next pull is an edge
  uint64_t halfCycles_ = 0;        // half the set period: each phase of a clock; without a line each Delay
  // The clock's phases are timed from their edges: the counter when the
  // last SCL edge was made, the least a control write and a status read have
  // taken in each access mode (Slow, Normal; measured by the calibration, then
  // on every edge), the control value last written.
  uint64_t edge_ = 0;
  uint64_t edgeMarginCycles_ = 0;
  uint64_t setUpCycles_ = 0;
  std::array<uint64_t, 2> leastWrite_{}, leastStatus_{};
  uint8_t control_ = 0;
  uint16_t linePort_ = 0;          // where the line in force was measured
  bool lineSlow_ = true;
  bool lastCalibrationFailed_ = false;
  double leastCounterRead_ = std::numeric_limits<double>::infinity();  // cycles of one counter read
};

// The status-line code of a masked status value (status AND 0x88).
I2CStatus LineCode(uint8_t Masked);
