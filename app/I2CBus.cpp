#include "app/I2CBus.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "app/PortIO.h"
#include "platform/rtl/Clock.h"

namespace {

constexpr uint8_t StatusMask = 0x88;
constexpr uint8_t LinesIdle = 0x80;      // SCL high, SDA high
constexpr uint8_t StartFormed = 0x00;    // SCL high, SDA low
constexpr uint8_t BothLow = 0x08;        // SCL low, SDA low
constexpr uint8_t SclLowBit = 0x08;      // status bit 3 set: SCL reads low
constexpr uint8_t SdaHighBit = 0x80;     // status bit 7 set: SDA reads high
constexpr uint8_t SclRelease = 0x0C;
constexpr uint8_t SclPull = 0x04;
constexpr uint8_t TriggerBit = 0x40;

constexpr int PinLoopOut = 6;   // data bit 4
constexpr int PinLoopSet = 7;   // data bit 5
constexpr int PinTrigger = 8;   // data bit 6
constexpr int PinInput = 10;    // status bit 6
constexpr int PinLoopIn1 = 12;  // status bit 5
constexpr int PinLoopIn2 = 13;  // status bit 4

constexpr int DefaultClock = 50;

uint64_t GetCycleCount() { return ::Clock().ReadTimeStampCounter(); }

// Halves to even, clamped into the 32-bit range.
int32_t RoundToInt(double v) {
  double r = std::nearbyint(v);
  if (!(r > std::numeric_limits<int32_t>::min())) return std::numeric_limits<int32_t>::min();
  if (r >= std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(r);
}

bool TickBelow(uint32_t deadline) {
  return static_cast<int32_t>(::Clock().GetTickCount() - deadline) < 0;
}

}  // namespace

I2CStatus LineCode(uint8_t Masked) {
  switch (Masked & StatusMask) {
    case 0x80: return 0;
    case 0x00: return 8;
    case 0x08: return 4;
    default: return 128;
  }
}

TI2CBus::TI2CBus(TPortIO& PortDriver, double CPUSpeedMhz) : port_(PortDriver) {
  SetCPUSpeedMhz(CPUSpeedMhz);
}

void TI2CBus::SetCPUSpeedMhz(double Mhz) {
  if (!(Mhz > 0) || !std::isfinite(Mhz)) Mhz = MeasureCounterRate();
  cpuSpeedMhz_ = Mhz;
  n320Count = RoundToInt(300 * cpuSpeedMhz_ / 1000);
}

// Without a clock from the time base the waits would have no scale: count the
// counter's cycles over 10 ms of the monotonic clock (bounded, so a frozen
// clock cannot hang us), else assume 1 GHz.
double TI2CBus::MeasureCounterRate() {
  TClock& c = ::Clock();
  const uint64_t n0 = c.NowNanoseconds();
  const uint64_t c0 = c.ReadTimeStampCounter();
  uint64_t n1 = n0, c1 = c0;
  for (int i = 0; i < 10000000 && n1 - n0 < 10000000; ++i) {
    c1 = c.ReadTimeStampCounter();
    n1 = c.NowNanoseconds();
  }
  if (n1 > n0 && c1 > c0) return static_cast<double>(c1 - c0) * 1000.0 / static_cast<double>(n1 - n0);
  return 1000.0;
}

// --- Port access ---

uint8_t TI2CBus::Status() { return port_.GetPortByte(static_cast<uint16_t>(PortAddress + 1)) & StatusMask; }

void TI2CBus::SetControl(uint8_t Value) { port_.SetPortByte(static_cast<uint16_t>(PortAddress + 2), Value); }

void TI2CBus::SetData(uint8_t Value) { port_.SetPortByte(PortAddress, Value); }

uint8_t TI2CBus::WaitStatus(uint8_t Wanted, uint32_t Milliseconds) {
  uint8_t s = Status();
  if (s == Wanted) return s;
  const uint32_t deadline = ::Clock().GetTickCount() + Milliseconds;
  do {
    s = Status();
  } while (s != Wanted && TickBelow(deadline));
  return s;
}

// A slave may hold SCL low after we release it; wait up to 25 ms, then go on.
uint8_t TI2CBus::StretchWait() {
  uint8_t s = Status();
  if (!(s & SclLowBit)) return s;
  const uint32_t deadline = ::Clock().GetTickCount() + 25;
  do {
    s = Status();
  } while ((s & SclLowBit) && TickBelow(deadline));
  return s;
}

// --- Waits ---

void TI2CBus::Delay() { ::Clock().DelayLoop(DelayCount > 0 ? static_cast<uint32_t>(DelayCount) : 0); }

void TI2CBus::n320Seconds() {
  const uint64_t target = GetCycleCount() + static_cast<uint64_t>(n320Count > 0 ? n320Count : 0);
  while (GetCycleCount() < target) {
  }
}

void TI2CBus::uSeconds(int32_t Count) {
  const double target = std::nearbyint(static_cast<double>(GetCycleCount()) + Count * cpuSpeedMhz_);
  while (static_cast<double>(GetCycleCount()) <= target) {
  }
}

// --- Bus routines ---

I2CStatus TI2CBus::I2CStart() {
  if (!AdapterFound) {
    LPTCheck();
    if (!AdapterFound) return 255;
  }
  SetControl(SclRelease);
  uSeconds(5);
  SetData(SDAHighByte);
  uint8_t s = WaitStatus(LinesIdle, 25);
  if (s != LinesIdle) return LineCode(s);

  Delay();
  Delay();
  uSeconds(5);
  SetData(SDALowByte);
  if (WaitStatus(StartFormed, 10) != StartFormed) return 254;

  Delay();
  uSeconds(5);
  SetControl(SclPull);
  Delay();
  Delay();
  if (WaitStatus(BothLow, 10) != BothLow) return 254;
  return 0;
}

// A failed first check (SDA not low while SCL is low) stands only when the
// stop condition cannot be formed: it is cleared as soon as SDA reads low with
// SCL high before SDA is released. The final check's line code takes precedence.
I2CStatus TI2CBus::I2CStop() {
  I2CStatus code = 0;
  SetData(SDALowByte);
  if (Status() != BothLow) code = 254;

  uSeconds(5);
  Delay();
  SetControl(SclRelease);
  uSeconds(5);
  Delay();
  if (WaitStatus(StartFormed, 25) == StartFormed) code = 0;

  SetData(SDAHighByte);
  Delay();
  uint8_t s = Status();
  if (s != LinesIdle) code = LineCode(s);
  return code;
}

uint8_t TI2CBus::I2CWrite(uint8_t Data) {
  for (int bit = 7; bit >= 0; --bit) {
    SetControl(SclPull);
    n320Seconds();
    SetData((Data >> bit) & 1 ? SDAHighByte : SDALowByte);
    Delay();
    SetControl(SclRelease);
    Delay();
    StretchWait();
  }
  SetControl(SclPull);
  n320Seconds();
  SetData(SDAHighByte);
  Delay();
  SetControl(SclRelease);
  Delay();
  uint8_t result = StretchWait() & SdaHighBit;

  SetControl(SclPull);
  n320Seconds();
  if (IgnoreAcknowledge) result = 0;
  Delay();
  Delay();
  return result;
}

uint8_t TI2CBus::I2CRead(uint8_t Last, uint8_t& Ack) {
  SetControl(SclPull);
  SetData(SDAHighByte);
  Delay();
  uint8_t value = 0;
  for (int bit = 0; bit < 8; ++bit) {
    value = static_cast<uint8_t>(value << 1);
    SetControl(SclRelease);
    Delay();
    uint8_t s = StretchWait();
    SetControl(SclPull);
    Delay();
    if (s & SdaHighBit) value |= 1;
    Delay();
  }
  SetData(Last == 1 ? SDAHighByte : SDALowByte);
  SetControl(SclRelease);
  Delay();
  Ack = StretchWait() & SdaHighBit;
  SetControl(SclPull);
  Delay();
  return value;
}

void TI2CBus::VccEnable() {
  SetData(0x7F);
  SetControl(SclRelease);
}

bool TI2CBus::I2CDetect() {
  VccEnable();
  Delay();
  const uint8_t saved = port_.GetPortByte(PortAddress);
  port_.SetPin(PinLoopOut, true);
  Delay();
  const bool high12 = port_.GetPin(PinLoopIn1), high13 = port_.GetPin(PinLoopIn2);
  port_.SetPin(PinLoopOut, false);
  Delay();
  const bool low12 = !port_.GetPin(PinLoopIn1), low13 = !port_.GetPin(PinLoopIn2);
  port_.SetPin(PinLoopSet, true);
  const bool found = high12 && high13 && low12 && low13;
  AdapterFound = found;
  if (!found) SetData(saved);
  return found;
}

void TI2CBus::Trigger(bool Value) {
  if (Value) {
    SDAHighByte &= static_cast<uint8_t>(~TriggerBit);
    SDALowByte &= static_cast<uint8_t>(~TriggerBit);
    port_.SetPin(PinTrigger, false);
  } else {
    SDAHighByte |= TriggerBit;
    SDALowByte |= TriggerBit;
    port_.SetPin(PinTrigger, true);
  }
}

void TI2CBus::PulseLow() {
  port_.SetPin(PinTrigger, true);
  port_.SetPin(PinTrigger, false);
}

void TI2CBus::PulseHigh() {
  port_.SetPin(PinTrigger, false);
  port_.SetPin(PinTrigger, true);
}

bool TI2CBus::InputState() { return port_.GetPin(PinInput); }

// --- Calibration ---

// Four written bits' worth of port accesses and waits, with SCL never pulled
// low so the bus sees no clock.
double TI2CBus::I2CP586(uint8_t Data) {
  const uint64_t t0 = GetCycleCount();
  const uint64_t t1 = GetCycleCount();
  for (int i = 0; i < 4; ++i) {
    SetControl(SclRelease);
    n320Seconds();
    SetData(Data & 0x80 ? SDAHighByte : SDALowByte);
    Delay();
    SetControl(SclRelease);
    Delay();
    Status();
    Data = static_cast<uint8_t>(Data << 1);
  }
  const uint64_t t2 = GetCycleCount();
  // The cost of one counter read is taken off.
  return (static_cast<double>(t2) - static_cast<double>(t1)) - (static_cast<double>(t1) - static_cast<double>(t0));
}

double TI2CBus::MeasurePeriod() {
  // Two readings in a row that agree within 0.02 % give the period. On a busy
  // machine interrupts can keep any two from agreeing, so the readings are kept:
  // when the rounds run out, a period still stands if most readings lie close
  // together, and only scattered readings fail the measurement.
  std::vector<double> readings;
  readings.reserve(2 * MeasureRounds);
  auto reading = [&](double& p) {
    p = I2CP586(0xFF) / 4 / cpuSpeedMhz_;
    if (!(p > 0) || !std::isfinite(p)) return false;
    readings.push_back(p);
    return true;
  };
  for (int round = 0; round < MeasureRounds; ++round) {
    double p1, p2;
    if (!reading(p1) || !reading(p2)) continue;
    if (std::fabs((p1 - p2) / p1) < 0.0002) return (p1 + p2) / 2;
  }
  return SettledPeriod(readings);
}

double TI2CBus::SettledPeriod(std::vector<double> readings) {
  const double none = std::numeric_limits<double>::quiet_NaN();
  if (readings.size() < 10) return none;
  std::sort(readings.begin(), readings.end());
  // The narrowest run holding 60 % of the readings; its middle is the period
  // when that run spans less than 0.5 %.
  const size_t need = (readings.size() * 3 + 4) / 5;
  size_t best = 0;
  for (size_t i = 1; i + need <= readings.size(); ++i)
    if (readings[i + need - 1] - readings[i] < readings[best + need - 1] - readings[best]) best = i;
  const double lo = readings[best], hi = readings[best + need - 1];
  if ((hi - lo) / lo >= 0.005) return none;
  return readings[best + need / 2];
}

bool TI2CBus::Calibrate() {
  // Without a selected port there is nothing to measure: the line would hold
  // the loop alone and promise clocks no port can give.
  if (PortAddress == 0) return false;
  const int32_t savedCount = DelayCount;
  double sxy = 0, sy = 0;
  bool measured = false;
  // A burst of interrupts can spoil one point; the whole line is measured
  // again before the calibration counts as failed.
  for (int attempt = 0; attempt < CalibrationAttempts && !measured; ++attempt) {
    sxy = sy = 0;
    measured = true;
    for (int i = 1; i <= CalibrationPoints && measured; ++i) {
      DelayCount = 500 * i;
      const double y = MeasurePeriod();
      measured = std::isfinite(y);
      sxy += DelayCount * y;
      sy += y;
    }
  }
  // 5250 is the mean of the loop lengths 500 ... 10000, 166250000 the sum of
  // their squared deviations from it.
  const double slope = (sxy - 5250 * sy) / 166250000;
  const double offset = sy / 20 - 5250 * slope;
  const double atOne = offset + slope;  // bit period at DelayCount 1
  // The loop's share over the measured range must stand above the readings'
  // own resolution, or the line would turn any clock into a near-endless loop.
  const bool rises = slope * (500.0 * (CalibrationPoints - 1)) >= 0.0002 * (sy / CalibrationPoints);
  if (!measured || !std::isfinite(slope) || !std::isfinite(offset) || !(slope > 0) || !rises || !(atOne > 0)) {
    DelayCount = savedCount;
    ShowStatus(" Calibration failed - previous timing kept", blFault);
    return false;
  }
  DelaySlope = slope;
  DelayOffset = offset;
  MaxClock = RoundToInt(1000 / atOne);
  if (MaxClock < 1) MaxClock = 1;
  if (Clock > MaxClock) {
    Clock = MaxClock;
    if (OnClockPanel) OnClockPanel(std::to_string(Clock) + " KHz");
  }
  // DelayCount stays at the last loop length; callers apply SetFrequency next.
  return true;
}

void TI2CBus::SetFrequency(int32_t Frequency) {
  int32_t k = Frequency;
  if (k > MaxClock) k = MaxClock;
  // The default comes after the cap and is not capped itself.
  if (k < 1) k = DefaultClock;
  if (Calibrated()) {
    DelayCount = RoundToInt((1000.0 / k - DelayOffset) / DelaySlope);
    if (DelayCount < 1) DelayCount = 1;
  } else if (DelayCount < 1) {
    DelayCount = 1;
  }
  if (OnClockPanel) OnClockPanel(std::to_string(k) + " KHz");
  Clock = k;
}

// --- Access mode ---

void TI2CBus::SetDriverMode(uint8_t Mode) {
  try {
    if (Mode == 0) {
      port_.SetHardAccess(false);
      for (int i = 0; i < 6; ++i) {
        port_.GetPortByte(PortAddress);
        SetData(SDAHighByte);
      }
      Calibrate();
    } else if (Mode == 1) {
      port_.SetHardAccess(true);
      port_.GetPortByte(PortAddress);
    }
  } catch (...) {
    // A failed switch leaves the driver in the safe (Slow) access.
    try {
      port_.SetHardAccess(true);
    } catch (...) {
    }
  }
  ShowMode();
  SetFastAccessMark(!port_.HardAccess());
}

void TI2CBus::ToggleAccessMode() {
  SetDriverMode(fastAccess_ ? 1 : 0);
  Calibrate();
  SetFrequency(Clock);
}

void TI2CBus::RestoreAccessMode(bool Slow) {
  if (Slow) {
    ShowMode();
    SetFastAccessMark(!port_.HardAccess());
  } else {
    SetDriverMode(0);
  }
}

bool TI2CBus::CalibrateCommand() {
  const bool ok = Calibrate();
  SetFrequency(Clock);
  if (ok) ShowStatus(" Calibration complete", blReady);
  return ok;
}

void TI2CBus::ShowMode() {
  if (!port_.ActiveHW() || !OnModeLabel) return;
  if (port_.HardAccess())
    OnModeLabel("Slow", blSlow);
  else
    OnModeLabel("Normal", blReady);
}

void TI2CBus::SetFastAccessMark(bool Checked) {
  fastAccess_ = Checked;
  if (OnFastAccessChecked) OnFastAccessChecked(Checked);
}

void TI2CBus::ShowStatus(const std::string& Text, TBusLook Look) {
  if (OnStatusLine) OnStatusLine(Text, Look);
}

// --- Port selection ---

void TI2CBus::SelectPort(int Port) {
  if (Port < 1 || Port > 3) return;
  const std::string name = "LPT" + std::to_string(Port);
  PortAddress = LPTAddresses[Port - 1];
  port_.SetLPTNumber(static_cast<uint8_t>(Port));
  HardwareReady = I2CDetect();
  if (HardwareReady) {
    const bool calibrated = Calibrate();
    SetFrequency(Clock);
    // A failed calibration keeps its own text on the status line.
    if (calibrated) ShowStatus("  Hardware ready at " + name, blReady);
    if (OnPortPanel) OnPortPanel(name);
    if (OnPortChecked) OnPortChecked(Port);
  } else {
    ShowStatus("  Hardware not detected at " + name, blFault);
    if (OnPortPanel) OnPortPanel("");
    if (OnPortChecked) OnPortChecked(0);
  }
}

void TI2CBus::LPTCheck() {
  // A ready flag left from an earlier search must not keep the later ports
  // from being tried.
  HardwareReady = false;
  for (int n = 1; n <= 3; ++n)
    if (!HardwareReady && LPTAddresses[n - 1] != 0) SelectPort(n);
  if (!HardwareReady) ShowStatus("  Velmaron hardware not detected", blFault);
}
