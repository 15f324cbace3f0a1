#include "app/bus/I2CBus.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "app/bus/PortIO.h"
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

uint64_t GetCycleCount() { return ::Clock().ReadWaitCounter(); }

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
  // Waits count the wait counter: the time-stamp counter at the time base's
  // rate where the kernel trusts it, else the monotonic clock's nanoseconds.
  counterMhz_ = ::Clock().WaitCounter().Kind == wcMonotonic ? 1000.0 : cpuSpeedMhz_;
  n320Count = RoundToInt(300 * counterMhz_ / 1000);
  edgeMarginCycles_ = static_cast<uint64_t>(std::ceil(EdgeMarginNs * counterMhz_ / 1000));
  setUpCycles_ = static_cast<uint64_t>(std::ceil(DataSetUpNs * counterMhz_ / 1000)) + 1;
  // Costs and the last edge counted in the other counter's cycles mean nothing now.
  leastWrite_.fill(std::numeric_limits<uint64_t>::max());
  leastStatus_.fill(std::numeric_limits<uint64_t>::max());
  edge_ = 0;
  SetHalfPeriod(Clock);
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

void TI2CBus::SetControl(uint8_t Value) {
  control_ = Value;
  port_.SetPortByte(static_cast<uint16_t>(PortAddress + 2), Value);
}

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

void TI2CBus::Delay() { Wait(DelayCount, halfCycles_); }

void TI2CBus::ReadDelay() { Wait(ReadDelayCount, halfCycles_); }

// What a bit holds besides its waits' turns, from the calibration: a port
// access (measured on its own), a wait's own cost beyond its turns (the read
// line's offset holds three accesses and two waits), and the 300 ns wait with
// its cost (the rest of the written line's offset: four accesses, two waits
// and it).
TI2CBus::TBitParts TI2CBus::BitParts() const {
  TBitParts p;
  if (!Calibrated()) return p;
  // An access measured while the machine was busy can come out above what the
  // lines hold; the lines' least costs bound it, so the parts never sum to
  // more than a bit is known to take.
  p.Access = std::max(0.0, std::min({accessUs_, ReadDelayOffset / 3, DelayOffset - ReadDelayOffset}));
  p.Wait = std::max(0.0, (ReadDelayOffset - 3 * p.Access) / 2);
  p.Hold = std::max(0.0, DelayOffset - 4 * p.Access - 2 * p.Wait);
  return p;
}

// Each phase of a clock, SCL low and SCL high, lasts at least half the set
// period from the edge that began it: it ends at a deadline of the counter,
// so whatever the phase holds (port accesses, the 300 ns hold, the code around
// them) is inside it, at whatever speed the machine runs just then. Nothing
// measured earlier can shorten a phase; a slow spell only lengthens the one it
// falls in. Every clock keeps the period whatever clock comes before it, and
// SCL is high at least half of it.

uint64_t TI2CBus::WaitUntil(uint64_t End) {
  const uint64_t now = GetCycleCount();
  if (now >= End) return now;
  return ::Clock().WaitUntil(End, static_cast<uint64_t>(double(End - now) / counterMhz_ * 1500.0) + 2000);
}

// Writes the control value that makes an SCL edge; Before is a counter reading
// taken just before. The edge lies somewhere within the write: the phase is
// counted from the reading after it, less the least time a write has taken.
// A write held up by the machine (perhaps before its edge) is counted from
// near its end, so a hold-up can lengthen the phase, never shorten it. Where
// the edge falls within a write moves by some ns from one write to the next,
// which the least write does not show: EdgeMarginNs covers it.
void TI2CBus::SclEdge(uint8_t Control, uint64_t Before) {
  SetControl(Control);
  const uint64_t after = GetCycleCount();
  uint64_t& least = leastWrite_[port_.HardAccess() ? 0 : 1];
  least = std::min(least, after - Before);
  edge_ = after - least + edgeMarginCycles_;
  byteClosed_ = false;
}

// A routine's first clock: its low phase runs from the last edge while that
// phase is open; otherwise the pull is the edge. After the closing waits of a
// start or a byte the pull begins a whole low phase, as the next bit's own
// wait follows them.
void TI2CBus::OpenLowPhase() {
  if (control_ == SclPull && !byteClosed_)
    SetControl(SclPull);
  else
    SclEdge(SclPull, GetCycleCount());
}

// A reading is the counter's whole cycles so far: one more keeps the phase
// whole.
uint64_t TI2CBus::EndPhase() { return WaitUntil(edge_ + halfCycles_ + 1); }

// SCL released, the high phase; SDA is sampled at its end by a status read
// started so that it ends just before the phase does (a quarter of the least
// read to spare: one that runs over lengthens the phase). A slave holding SCL
// low starts the phase anew when SCL reads high.
uint8_t TI2CBus::HighPhase(uint64_t Before) {
  SclEdge(SclRelease, Before);
  uint64_t& least = leastStatus_[port_.HardAccess() ? 0 : 1];
  const uint64_t lead = least == std::numeric_limits<uint64_t>::max() ? halfCycles_ : least + least / 4;
  const uint64_t t0 = WaitUntil(edge_ + halfCycles_ - std::min(lead, halfCycles_));
  uint8_t s = Status();
  const uint64_t t1 = GetCycleCount();
  least = std::min(least, t1 - t0);
  if (s & SclLowBit) {
    s = StretchWait();
    edge_ = GetCycleCount();
  }
  return s;
}

// The high phase of a bit the master wrote: SCL rises at the end of the low
// phase, but never sooner than the set-up time after SDA was written (counted
// from the reading after that write, which the data change lies before). After
// a start or a pause the low phase ran out long before the bit was written,
// and one access alone is less than I2C asks on a fast port.
uint8_t TI2CBus::DataBitHighPhase(uint64_t DataSet) {
  EndPhase();
  return HighPhase(WaitUntil(DataSet + setUpCycles_));
}

// The loop runs the same in calibration and use, so the line holds for the bus.
void TI2CBus::Wait(int32_t Turns, uint64_t TimedCycles) {
  if (Calibrated() || measuring_) {
    ::Clock().DelayLoop(Turns > 0 ? static_cast<uint32_t>(Turns) : 0);
    return;
  }
  CounterWait(TimedCycles);
}

// Every busy wait of the engine ends at a deadline of the monotonic clock at
// the latest, half again its time: a counter that stalls cannot hang the bus.
void TI2CBus::CounterWait(uint64_t Cycles) {
  ::Clock().WaitCycles(Cycles, static_cast<uint64_t>(Cycles / counterMhz_ * 1500.0) + 2000);
}

void TI2CBus::n320Seconds() { CounterWait(static_cast<uint64_t>(n320Count > 0 ? n320Count : 0)); }

// Until the counter exceeds its entry value by Count µs.
void TI2CBus::uSeconds(int32_t Count) {
  CounterWait(static_cast<uint64_t>(std::nearbyint(std::max(0, Count) * counterMhz_)) + 1);
}

// --- Bus routines ---

I2CStatus TI2CBus::I2CStart() {
  if (!AdapterFound) {
    LPTCheck();
    if (!AdapterFound) return 255;
  }
  // A repeated start follows a byte that left SCL low: its low phase ends
  // first (on an idle bus the deadline has long passed).
  EndPhase();
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
  SclEdge(SclPull, GetCycleCount());
  Delay();
  Delay();
  if (WaitStatus(BothLow, 10) != BothLow) return 254;
  // The next routine's first clock has its own low phase after these waits.
  byteClosed_ = true;
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

// Nine clocks, then SCL is held low for the 300 ns hold and two Delays; the
// next routine's first clock has its own low phase after them.
uint8_t TI2CBus::I2CWrite(uint8_t Data) {
  OpenLowPhase();
  uint8_t s = 0;
  for (int bit = 7; bit >= -1; --bit) {  // -1: SDA released for the acknowledge
    if (bit < 7) SclEdge(SclPull, EndPhase());
    n320Seconds();
    SetData(bit < 0 || (Data >> bit) & 1 ? SDAHighByte : SDALowByte);
    s = DataBitHighPhase(GetCycleCount());
  }
  SclEdge(SclPull, EndPhase());
  n320Seconds();
  const uint8_t result = IgnoreAcknowledge ? 0 : s & SdaHighBit;
  Delay();
  Delay();
  byteClosed_ = true;
  return result;
}

// A read bit: SCL released, high phase, SDA sampled at its end, SCL pulled
// low for a low phase and a Delay (the design waits twice with SCL low).
// After the ninth clock SCL stays low for a Delay; the next routine's first
// clock has its own low phase after it.
uint8_t TI2CBus::I2CRead(uint8_t Last, uint8_t& Ack) {
  OpenLowPhase();
  SetData(SDAHighByte);
  uint8_t value = 0;
  for (int bit = 0; bit < 8; ++bit) {
    const uint8_t s = HighPhase(EndPhase());
    SclEdge(SclPull, EndPhase());
    value = static_cast<uint8_t>(value << 1 | (s & SdaHighBit ? 1 : 0));
    EndPhase();
    Delay();
  }
  SetData(Last == 1 ? SDAHighByte : SDALowByte);
  Ack = DataBitHighPhase(GetCycleCount()) & SdaHighBit;
  SclEdge(SclPull, EndPhase());
  Delay();
  byteClosed_ = true;
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

namespace {

// The least of a point's readings, in µs per bit: interrupts and other
// programs only ever add time to a reading, so the least is the undisturbed one.
template <class F>
double LeastReading(F reading) {
  double least = std::numeric_limits<double>::quiet_NaN();
  for (int i = 0; i < TI2CBus::ReadingsPerPoint; ++i) {
    const double p = reading();
    if (p > 0 && std::isfinite(p) && !(p >= least)) least = p;
  }
  return least;
}

// Least-squares line through the points whose period is known.
bool FitPoints(const std::array<double, TI2CBus::CalibrationPoints>& x,
               const std::array<double, TI2CBus::CalibrationPoints>& y, double& offset, double& slope) {
  double sx = 0, sy = 0;
  int n = 0;
  for (size_t i = 0; i < y.size(); ++i)
    if (std::isfinite(y[i])) {
      sx += x[i];
      sy += y[i];
      ++n;
    }
  if (n < 2) return false;
  const double mx = sx / n, my = sy / n;
  double sxx = 0, sxy = 0;
  for (size_t i = 0; i < y.size(); ++i)
    if (std::isfinite(y[i])) {
      sxx += (x[i] - mx) * (x[i] - mx);
      sxy += (x[i] - mx) * (y[i] - my);
    }
  slope = sxy / sxx;
  offset = my - slope * mx;
  return std::isfinite(slope) && std::isfinite(offset);
}

// The middle value (the upper of the two middle ones); NaN for none.
double Median(std::vector<double> v) {
  if (v.empty()) return std::numeric_limits<double>::quiet_NaN();
  std::nth_element(v.begin(), v.begin() + static_cast<long>(v.size() / 2), v.end());
  return v[v.size() / 2];
}

// Loop turns for a bit of 1000 / k µs on a line; at least 1. Rounded up, so
// that no bit is shorter than the clock asks.
int32_t LoopLength(int32_t k, double offset, double slope) {
  const int32_t n = RoundToInt(std::ceil((1000.0 / k - offset) / slope - 1e-6));
  return n < 1 ? 1 : n;
}

}  // namespace

// Four bits' worth of port accesses and waits with SCL never pulled low, so
// the bus sees no clock: those of I2CWrite, or with Read those of I2CRead.
// Cycles receives the counter cycles of the four bits and of one counter
// read, CounterRead the cycles of the counter read just before them.
void TI2CBus::TimeFourBits(bool Read, uint8_t Data, double& Cycles, double& CounterRead) {
  // The loops run whatever the line: they are what is measured.
  const bool wasMeasuring = measuring_;
  measuring_ = true;
  const uint64_t t0 = GetCycleCount();
  const uint64_t t1 = GetCycleCount();
  for (int i = 0; i < 4; ++i) {
    if (Read) {
      SetControl(SclRelease);
      ReadDelay();
      SetControl(SclRelease);
      ReadDelay();
      Status();
    } else {
      SetControl(SclRelease);
      n320Seconds();
      SetData(Data & 0x80 ? SDAHighByte : SDALowByte);
      Delay();
      SetControl(SclRelease);
      Delay();
      Status();
      Data = static_cast<uint8_t>(Data << 1);
    }
  }
  const uint64_t t2 = GetCycleCount();
  measuring_ = wasMeasuring;
  Cycles = static_cast<double>(t2) - static_cast<double>(t1);
  CounterRead = static_cast<double>(t1) - static_cast<double>(t0);
}

double TI2CBus::I2CP586(uint8_t Data) {
  double cycles, counterRead;
  TimeFourBits(false, Data, cycles, counterRead);
  // The cost of one counter read is taken off.
  return cycles - counterRead;
}

double TI2CBus::ReadBitsTime() {
  double cycles, counterRead;
  TimeFourBits(true, 0xFF, cycles, counterRead);
  return cycles - counterRead;
}

// One reading in µs per bit. An interrupt between the two counter reads that
// are to give the cost of one would make a reading too short, the one error
// the least of several readings cannot undo: the least counter read seen so
// far is taken off instead.
double TI2CBus::Reading(bool Read) {
  double cycles, counterRead;
  TimeFourBits(Read, 0xFF, cycles, counterRead);
  if (!(counterRead >= leastCounterRead_)) leastCounterRead_ = counterRead;
  return (cycles - leastCounterRead_) / 4 / counterMhz_;
}

// One port access in µs: the least of many readings of four status reads, or
// with Write of four control writes that release SCL (the calibration runs on
// an idle bus).
double TI2CBus::MeasureAccess(bool Write) {
  double least = std::numeric_limits<double>::infinity();
  for (int i = 0; i < 4 * ReadingsPerPoint; ++i) {
    const uint64_t t0 = GetCycleCount();
    const uint64_t t1 = GetCycleCount();
    for (int k = 0; k < 4; ++k) Write ? SetControl(SclRelease) : void(Status());
    const uint64_t t2 = GetCycleCount();
    if (!(double(t1 - t0) >= leastCounterRead_)) leastCounterRead_ = double(t1 - t0);
    least = std::min(least, (double(t2 - t1) - leastCounterRead_) / 4 / counterMhz_);
  }
  return std::isfinite(least) && least > 0 ? least : 0;
}

double TI2CBus::MeasurePeriod() { return LeastReading([this] { return Reading(false); }); }

double TI2CBus::MeasureReadPeriod() { return LeastReading([this] { return Reading(true); }); }

// Measures the points, fits the line and checks every point against it. The
// readings of a point are spread over the whole measurement (one reading of
// each point per pass, the points in a scattered order), so that a spell in
// which the machine runs slower for others spoils one reading of many points
// rather than all of a few. When a point disagrees, each point is judged
// against a line that outliers cannot pull (the median of the slopes between
// pairs of points): a point above it was slowed by something else while it
// was measured and is read again, its least reading only falling; a point
// below it was caught in a rare fast spell (a virtual machine runs faster for
// a moment when its host is idle) and is measured anew. Then the line is
// fitted again, until every point agrees or the passes are spent; a few
// points that still disagree then are left out.
bool TI2CBus::FitLine(bool Read, int32_t& Count, TLine& Line) {
  using TPoints = std::array<double, CalibrationPoints>;
  const double none = std::numeric_limits<double>::quiet_NaN();
  TPoints x{}, y{};
  y.fill(none);
  for (int i = 0; i < CalibrationPoints; ++i) x[i] = 500.0 * (i + 1);
  auto reading = [&](int i) {
    Count = static_cast<int32_t>(x[i]);
    const double p = Reading(Read);
    if (p > 0 && std::isfinite(p) && !(p >= y[i])) y[i] = p;
  };
  // True when every known point of p agrees with the least-squares line.
  auto agrees = [&](const TPoints& p, TLine& fit) {
    if (!FitPoints(x, p, fit.Offset, fit.Slope)) return false;
    for (int i = 0; i < CalibrationPoints; ++i)
      if (std::isfinite(p[i]) && !(std::fabs(p[i] / (fit.Offset + fit.Slope * x[i]) - 1) <= PointTolerance))
        return false;
    return true;
  };
  // µs per bit per loop step: two waits a bit.
  const double knownSlope = 2 * ::Clock().LoopTurnCycles() / counterMhz_;
  auto accept = [&](const TPoints& p, TLine fit) {
    double mean = 0;
    int n = 0;
    for (double v : p)
      if (std::isfinite(v)) {
        mean += v;
        ++n;
      }
    if (!UsableLine(fit, mean / n)) return false;
    if (knownSlope > 0) {
      // A turn is a known number of counter cycles: the slope is the
      // counter's own, and of the costs around the turns the least any point
      // showed is taken. A fitted slope follows whatever stretched the longer
      // readings more (a shared processor) and the wait's overhead, which is
      // not quite the same for short and long waits; at the far lengths its
      // line then lies above the real time and the clock runs fast.
      TLine known{std::numeric_limits<double>::infinity(), knownSlope};
      for (int i = 0; i < CalibrationPoints; ++i)
        if (std::isfinite(p[i])) known.Offset = std::min(known.Offset, p[i] - knownSlope * x[i]);
      if (!UsableLine(known, mean / n)) return false;
      fit = known;
    }
    Line = fit;
    return true;
  };
  // Each point's share above (or below) the line most points lie on; +inf
  // for a point without a reading.
  auto judge = [&](TPoints& residual) {
    std::vector<double> v;
    for (int i = 0; i < CalibrationPoints; ++i)
      for (int j = i + 1; j < CalibrationPoints; ++j)
        if (std::isfinite(y[i]) && std::isfinite(y[j])) v.push_back((y[j] - y[i]) / (x[j] - x[i]));
    const double slope = Median(v);
    v.clear();
    for (int i = 0; i < CalibrationPoints; ++i)
      if (std::isfinite(y[i])) v.push_back(y[i] - slope * x[i]);
    const double offset = Median(v);
    for (int i = 0; i < CalibrationPoints; ++i)
      residual[i] = std::isfinite(y[i]) ? y[i] / (offset + slope * x[i]) - 1 : std::numeric_limits<double>::infinity();
  };
  for (int pass = 0; pass < ReadingsPerPoint; ++pass)
    for (int k = 0; k < CalibrationPoints; ++k) reading((k * 7) % CalibrationPoints);
  TPoints residual{};
  for (int pass = 0;; ++pass) {
    TLine fit;
    bool complete = true;
    for (double v : y) complete = complete && std::isfinite(v);
    if (complete && agrees(y, fit)) return accept(y, fit);
    judge(residual);
    if (pass == RemeasurePasses) break;
    for (int k = 0; k < CalibrationPoints; ++k) {
      const int i = (k * 7) % CalibrationPoints;
      if (residual[i] > PointTolerance / 2) {
        reading(i);
      } else if (residual[i] < -PointTolerance) {
        y[i] = none;
        for (int r = 0; r < ReadingsPerPoint; ++r) reading(i);
      }
    }
  }
  TPoints kept = y;
  int left = 0;
  for (int i = 0; i < CalibrationPoints; ++i)
    if (!(std::fabs(residual[i]) <= PointTolerance)) {
      kept[i] = none;
      ++left;
    }
  TLine fit;
  return left <= MaxPointsLeftOut && agrees(kept, fit) && accept(kept, fit);
}

bool TI2CBus::UsableLine(const TLine& Line, double MeanPeriod) const {
  // The loop's share over the measured range must stand above the readings'
  // own resolution, or the line would turn any clock into a near-endless loop.
  const bool rises = Line.Slope * (500.0 * (CalibrationPoints - 1)) >= 0.0002 * MeanPeriod;
  return Line.Slope > 0 && rises && Line.Offset + Line.Slope > 0;
}

void TI2CBus::DropLine() {
  DelaySlope = DelayOffset = 0;
  ReadDelaySlope = ReadDelayOffset = 0;
  MaxClock = 70;
  SetHalfPeriod(Clock);
}

bool TI2CBus::Calibrate() {
  // Without a selected port there is nothing to measure: the line would hold
  // the loop alone and promise clocks no port can give.
  if (PortAddress == 0) return false;
  const int32_t savedCount = DelayCount, savedReadCount = ReadDelayCount;
  TLine written, read;
  leastCounterRead_ = std::numeric_limits<double>::infinity();
  const bool ok = FitLine(false, DelayCount, written) && FitLine(true, ReadDelayCount, read);
  lastCalibrationFailed_ = !ok;
  // The least a write and a status read take, from the start of the traffic:
  // the first writes after a pause run slower, and a least taken from them
  // alone would count a phase from before its edge.
  const double statusUs = MeasureAccess(false);
  const size_t mode = port_.HardAccess() ? 0 : 1;
  leastWrite_[mode] = static_cast<uint64_t>(MeasureAccess(true) * counterMhz_);
  leastStatus_[mode] = static_cast<uint64_t>(statusUs * counterMhz_);
  if (!ok) {
    DelayCount = savedCount;
    ReadDelayCount = savedReadCount;
    // A line holds only for the port and the access mode it was measured in.
    if (Calibrated() && linePort_ == PortAddress && lineSlow_ == port_.HardAccess()) {
      ShowStatus(CalibrationKeptText, blFault);
    } else {
      DropLine();
      ShowStatus(CalibrationSlowText, blFault);
    }
    return false;
  }
  DelaySlope = written.Slope;
  DelayOffset = written.Offset;
  ReadDelaySlope = read.Slope;
  ReadDelayOffset = read.Offset;
  accessUs_ = statusUs;
  linePort_ = PortAddress;
  lineSlow_ = port_.HardAccess();
  // Rounded down, so that MaxClock itself keeps the period. The fastest bit either line allows at one loop turn, and that whose low
  // phase, the longer one of a written bit, still fits half the period.
  const TBitParts parts = BitParts();
  const double lowest = 2 * (parts.Wait + 2 * parts.Access + parts.Hold);
  MaxClock = RoundToInt(std::floor(
      1000 / std::max({written.Offset + written.Slope, read.Offset + read.Slope, lowest}) + 1e-9));
  if (MaxClock < 1) MaxClock = 1;
  if (Clock > MaxClock) {
    Clock = MaxClock;
    if (OnClockPanel) OnClockPanel(std::to_string(Clock) + " KHz");
  }
  // The loops stay at the last length; callers apply SetFrequency next.
  DelayCount = ReadDelayCount = 500 * CalibrationPoints;
  return true;
}

// Half the set period in counter cycles: each phase of a clock, and without
// a line (when no wait can be derived from a loop length) each Delay, so that
// with the port accesses on top no bit is shorter than the clock asks.
void TI2CBus::SetHalfPeriod(int32_t Frequency) {
  const double periodUs = 1000.0 / (Frequency >= 1 ? Frequency : DefaultClock);
  halfCycles_ = static_cast<uint64_t>(std::ceil(periodUs / 2 * counterMhz_));
}

void TI2CBus::SetFrequency(int32_t Frequency) {
  int32_t k = Frequency;
  // Only a measured maximum lowers a clock: without a line the one asked for
  // stays, though the port may not keep up with it.
  if (Calibrated() && k > MaxClock) k = MaxClock;
  // The default comes after the cap and is not capped itself.
  if (k < 1) k = DefaultClock;
  std::string shown = std::to_string(k) + " KHz";
  if (Calibrated()) {
    DelayCount = LoopLength(k, DelayOffset, DelaySlope);
    ReadDelayCount = LoopLength(k, ReadDelayOffset, ReadDelaySlope);
  } else {
    if (DelayCount < 1) DelayCount = 1;
    if (ReadDelayCount < 1) ReadDelayCount = 1;
    shown = "\xE2\x89\xA4" + shown;  // "at most": no line says what the port can keep up with
  }
  SetHalfPeriod(k);
  if (OnClockPanel) OnClockPanel(shown);
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
  lastCalibrationFailed_ = false;
  SetDriverMode(fastAccess_ ? 1 : 0);  // the switch to Normal calibrates too
  const bool failedInSwitch = lastCalibrationFailed_;
  const bool ok = Calibrate();
  SetFrequency(Clock);
  // The failure of the switch's calibration no longer holds.
  if (ok && failedInSwitch) ShowStatus(" Calibration complete", blReady);
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
  if (PortAddress == 0) {
    ShowStatus(NoPortText, blFault);
    return false;
  }
  const bool ok = Calibrate();
  SetFrequency(Clock);
  if (ok) ShowStatus(" Calibration complete", blReady);
  return ok;
}

bool TI2CBus::CalibrateAtStart() {
  const bool ok = PortAddress != 0 && Calibrate();
  SetFrequency(Clock);
  if (ok && HardwareReady) ShowReady();
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

void TI2CBus::ShowReady() { ShowStatus("  Hardware ready at LPT" + std::to_string(port_.LPTNumber()), blReady); }

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
    if (calibrated) ShowReady();
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
