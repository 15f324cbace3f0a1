// The bus engine on the simulated adapter with a fake clock: every port access
// costs a fixed time, the delay loop a fixed time per turn and the counter one
// nanosecond per read, so bus timing is exact.

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/bus/I2CBus.h"
#include "app/bus/PortIO.h"
#include "platform/port/SimAdapter.h"
#include "platform/rtl/Clock.h"

namespace {

// A fake clock whose delay loop may cost what a test says, and whose counter
// may be held up by an interrupt at a chosen reading.
class TTestClock : public TFakeClock {
 public:
  std::function<double(uint32_t)> LoopCost;  // ns for a loop of n turns
  // Called with how many counter readings came back to back (nothing else
  // taking time between them) up to this one; ns the reading is held up.
  std::function<double(int)> CounterHoldUp;
  void DelayLoop(uint32_t count) override {
    if (LoopCost)
      Advance(LoopCost(count));
    else
      TFakeClock::DelayLoop(count);
  }
  uint64_t ReadTimeStampCounter() override {
    run_ = Now() == lastRead_ ? run_ + 1 : 1;
    if (CounterHoldUp) Advance(CounterHoldUp(run_));
    const uint64_t value = TFakeClock::ReadTimeStampCounter();
    lastRead_ = Now();
    return value;
  }

 private:
  double lastRead_ = -1;
  int run_ = 0;
};

// An adapter whose driver cannot give direct access.
class TSlowOnlyAdapter : public TSimulatedAdapter {
 public:
  int NormalRequests = 0;
  bool SetHardAccess(bool hard) override {
    if (!hard) {
      ++NormalRequests;
      return false;
    }
    return TSimulatedAdapter::SetHardAccess(true);
  }
};

template <class TAdapter>
class TBusBench {
 public:
  TTestClock clock;
  TClockScope clockScope{clock};
  TAdapter sim;
  TPortBackendScope backendScope{sim};
  TPortIO port{nullptr};
  std::unique_ptr<TI2CBus> bus;
  std::vector<std::string> status;  // texts given to the status line
  std::vector<std::string> panels;  // texts given to the KHz panel

  TBusBench() {
    clock.NanosecondsPerCounterRead = 1;
    clock.NanosecondsPerLoopTurn = 5;
    sim.SlowAccessNs = 999.75;  // bit period 4.3 µs + 0.01 µs per loop step
    port.OpenDriver("PortIODevice1");
    bus = std::make_unique<TI2CBus>(port, clock.CyclesPerMicrosecond);
    bus->LPTAddresses = sim.PortBases;
    bus->OnStatusLine = [this](const std::string& t, TBusLook) { status.push_back(t); };
    bus->OnClockPanel = [this](const std::string& t) { panels.push_back(t); };
  }
  std::string LastStatus() const { return status.empty() ? "" : status.back(); }
  double MsSince(double ns) const { return (clock.Now() - ns) / 1e6; }
  // SCL periods (ns) from rise to rise in the adapter's log since it was cleared.
  std::vector<double> SclPeriods() const {
    std::vector<double> periods;
    double rise = -1;
    bool scl = false;
    for (const TSimEvent& e : sim.Log())
      if (e.Kind == seLines) {
        if (e.Scl && !scl) {
          if (rise >= 0) periods.push_back(double(e.TimeNs) - rise);
          rise = double(e.TimeNs);
        }
        scl = e.Scl;
      }
    return periods;
  }
  // The periods of one written byte and one read byte (nine clocks each).
  void ByteClocks(std::vector<double>& written, std::vector<double>& read) {
    EXPECT_EQ(bus->I2CStart(), 0);
    sim.ClearLog();
    bus->I2CWrite(0xA5);
    written = SclPeriods();
    sim.ClearLog();
    uint8_t ack = 0;
    bus->I2CRead(1, ack);
    read = SclPeriods();
    bus->I2CStop();
  }
};

class BusTest : public ::testing::Test, public TBusBench<TSimulatedAdapter> {};

TEST_F(BusTest, WriteThenRandomReadOfAnEeprom) {
  auto& ee = sim.Add<TSimEeprom>(256, 0xA0);
  ASSERT_EQ(bus->I2CStart(), 0);
  EXPECT_EQ(bus->I2CWrite(0xA0), 0);
  EXPECT_EQ(bus->I2CWrite(0x10), 0);
  for (uint8_t v : {0x5A, 0x00, 0xFF}) EXPECT_EQ(bus->I2CWrite(v), 0);
  EXPECT_EQ(bus->I2CStop(), 0);
  EXPECT_TRUE(sim.Scl() && sim.Sda());
  EXPECT_EQ(ee.Memory[0x10], 0x5A);
  EXPECT_EQ(ee.Memory[0x12], 0xFF);

  bus->uSeconds(ee.WriteCycleMicroseconds + 100);
  ASSERT_EQ(bus->I2CStart(), 0);
  EXPECT_EQ(bus->I2CWrite(0xA0), 0);
  EXPECT_EQ(bus->I2CWrite(0x11), 0);
  ASSERT_EQ(bus->I2CStart(), 0);  // repeated start
  EXPECT_EQ(bus->I2CWrite(0xA1), 0);
  uint8_t ack1 = 99, ack2 = 99;
  EXPECT_EQ(bus->I2CRead(0, ack1), 0x00);
  EXPECT_EQ(bus->I2CRead(1, ack2), 0xFF);
  EXPECT_EQ(ack1, 0);    // acknowledged by the master
  EXPECT_EQ(ack2, 128);  // the last byte is not acknowledged
  EXPECT_EQ(bus->I2CStop(), 0);
  EXPECT_TRUE(sim.Scl() && sim.Sda());
}

TEST_F(BusTest, MissingDeviceIsNotAcknowledgedUnlessIgnored) {
  ASSERT_EQ(bus->I2CStart(), 0);
  EXPECT_EQ(bus->I2CWrite(0xB0), 128);
  EXPECT_EQ(bus->I2CStop(), 0);
  bus->IgnoreAcknowledge = true;
  ASSERT_EQ(bus->I2CStart(), 0);
  EXPECT_EQ(bus->I2CWrite(0xB0), 0);
  EXPECT_EQ(bus->I2CStop(), 0);
}

TEST_F(BusTest, StuckLinesGiveTheirCodesAfterTwentyFiveMilliseconds) {
  bus->SelectPort(1);
  ASSERT_TRUE(bus->HardwareReady);
  struct Case { bool sda, scl; I2CStatus code; } cases[] = {{true, false, 8}, {false, true, 128}, {true, true, 4}};
  for (const Case& c : cases) {
    sim.Faults.SdaStuckLow = c.sda;
    sim.Faults.SclStuckLow = c.scl;
    const double t0 = clock.Now();
    const uint32_t tick0 = clock.GetTickCount();
    EXPECT_EQ(bus->I2CStart(), c.code);
    EXPECT_GE(clock.GetTickCount() - tick0, 25u);  // 25 ticks of the millisecond count
    EXPECT_LE(clock.GetTickCount() - tick0, 26u);
    EXPECT_GT(MsSince(t0), 24.0);
    EXPECT_EQ(bus->I2CStop(), c.code);
  }
}

TEST_F(BusTest, BrokenDriveGives254AndNoAdapter255) {
  bus->SelectPort(1);
  ASSERT_TRUE(bus->HardwareReady);
  sim.Faults.NotFollowingDrive = true;
  EXPECT_EQ(bus->I2CStart(), 254);

  sim.Faults.NotFollowingDrive = false;
  sim.AdapterPort = 0;
  bus->AdapterFound = false;
  EXPECT_EQ(bus->I2CStart(), 255);
  EXPECT_EQ(LastStatus(), "  Velmaron hardware not detected");
}

TEST_F(BusTest, NoPortAtAllMeansNoAccessAndNoCalibration) {
  bus->LPTAddresses = {0, 0, 0};
  const uint64_t accesses = sim.AccessCount();
  EXPECT_EQ(bus->I2CStart(), 255);
  EXPECT_FALSE(bus->Calibrate());
  // The command says why nothing happened.
  status.clear();
  EXPECT_FALSE(bus->CalibrateCommand());
  EXPECT_EQ(status, std::vector<std::string>{TI2CBus::NoPortText});
  EXPECT_EQ(sim.AccessCount(), accesses);
  EXPECT_FALSE(bus->Calibrated());
}

TEST_F(BusTest, SearchFindsTheAdapterAgainAfterItWasLost) {
  // Adapter on LPT2, no LPT1: a stale ready flag must not end the search early.
  sim.PortBases = {0, 0x278, 0};
  sim.AdapterPort = 2;
  bus->LPTAddresses = sim.PortBases;
  port.CloseDriver();
  ASSERT_TRUE(port.OpenDriver("PortIODevice1"));
  std::vector<int> checked;
  std::string panel = "?";
  bus->OnPortChecked = [&](int p) { checked.push_back(p); };
  bus->OnPortPanel = [&](const std::string& t) { panel = t; };
  ASSERT_EQ(bus->I2CStart(), 0);
  EXPECT_EQ(LastStatus(), "  Hardware ready at LPT2");
  EXPECT_EQ(panel, "LPT2");
  EXPECT_EQ(checked, std::vector<int>{2});

  sim.Faults.NoAdapter = true;
  EXPECT_FALSE(bus->I2CDetect());
  EXPECT_EQ(bus->I2CStart(), 255);
  sim.Faults.NoAdapter = false;
  EXPECT_EQ(bus->I2CStart(), 0);
  EXPECT_EQ(bus->PortAddress, 0x278);
}

TEST_F(BusTest, StopReportsWhetherAStopConditionWasFormed) {
  ASSERT_EQ(bus->I2CStart(), 0);
  EXPECT_EQ(bus->I2CWrite(0xB0), 128);
  EXPECT_EQ(bus->I2CStop(), 0);
  EXPECT_EQ(bus->I2CStop(), 0);  // second stop: first check fails, stop still formed

  ASSERT_EQ(bus->I2CStart(), 0);
  sim.Faults.NotFollowingDrive = true;  // SDA can no longer be pulled low
  EXPECT_EQ(bus->I2CStop(), 254);
}

TEST_F(BusTest, TriggerHoldsAcrossTrafficAndPulsesLastUntilTheNextSdaWrite) {
  auto edges = [this] {
    int n = 0;
    for (const TSimEvent& e : sim.Log()) n += e.Kind == seTrigger;
    return n;
  };
  ASSERT_EQ(bus->I2CStart(), 0);
  EXPECT_TRUE(sim.Trigger());
  bus->Trigger(true);
  EXPECT_FALSE(sim.Trigger());
  sim.ClearLog();
  bus->I2CWrite(0x55);
  EXPECT_EQ(edges(), 0);  // every SDA write keeps pin 8 low

  bus->PulseLow();  // from low: up and at once down again
  EXPECT_EQ(edges(), 2);
  EXPECT_FALSE(sim.Trigger());
  bus->PulseHigh();
  EXPECT_TRUE(sim.Trigger());
  bus->I2CStop();
  EXPECT_FALSE(sim.Trigger());  // the templates' level again

  bus->Trigger(false);
  EXPECT_TRUE(sim.Trigger());
  bus->PulseLow();
  EXPECT_FALSE(sim.Trigger());
  ASSERT_EQ(bus->I2CStart(), 0);
  EXPECT_TRUE(sim.Trigger());

  sim.InputPin = false;
  EXPECT_FALSE(bus->InputState());
  sim.InputPin = true;
  EXPECT_TRUE(bus->InputState());
}

// --- Timing and calibration ---

// Each access 999.75 ns, a loop turn 5 ns, a counter read 1 ns: a written bit
// takes 4.3 µs + 0.01 µs per turn (four accesses, 300 ns, two waits), a read
// bit 2.99925 µs + 0.01 µs per turn (three accesses, two waits).
void ExpectExactLines(const TI2CBus& bus) {
  EXPECT_NEAR(bus.DelayOffset, 4.3, 1e-9);
  EXPECT_NEAR(bus.DelaySlope, 0.01, 1e-12);
  EXPECT_NEAR(bus.ReadDelayOffset, 2.99925, 1e-9);
  EXPECT_NEAR(bus.ReadDelaySlope, 0.01, 1e-12);
  EXPECT_EQ(bus.MaxClock, 217);  // a written bit's low phase, 2 x 0.99975 + 0.3, fits half the period
}

// What an oscilloscope on SCL shows of a log: each pulse's rise and fall, and
// whether a start or stop condition came while it was high.
struct TPulse {
  double Rise = 0, Fall = -1;
  bool Condition = false;
};
std::vector<TPulse> SclPulses(const std::deque<TSimEvent>& log) {
  std::vector<TPulse> pulses;
  bool scl = true, open = false;
  for (const TSimEvent& e : log) {
    if ((e.Kind == seStart || e.Kind == seStop) && open) pulses.back().Condition = true;
    if (e.Kind != seLines || e.Scl == scl) continue;
    scl = e.Scl;
    if (scl) {
      pulses.push_back({double(e.TimeNs)});
      open = true;
    } else if (open) {
      pulses.back().Fall = double(e.TimeNs);
      open = false;
    }
  }
  return pulses;
}

// One transaction of written and read bytes, as a random read of an EEPROM
// does it: two written bytes, a repeated start, the read address, three bytes
// read, the stop. Its pulses: 0-17 written, 18 the repeated start, 19-27 the
// read address, 28-54 read, 55 the stop.
std::vector<TPulse> RandomReadPulses(TI2CBus& bus, TSimulatedAdapter& sim) {
  sim.ClearLog();
  EXPECT_EQ(bus.I2CStart(), 0);
  EXPECT_EQ(bus.I2CWrite(0xA0), 0);
  EXPECT_EQ(bus.I2CWrite(0x10), 0);
  EXPECT_EQ(bus.I2CStart(), 0);
  EXPECT_EQ(bus.I2CWrite(0xA1), 0);
  uint8_t ack = 0;
  for (int i = 0; i < 3; ++i) bus.I2CRead(i == 2, ack);
  EXPECT_EQ(ack, 128);
  EXPECT_EQ(bus.I2CStop(), 0);
  return SclPulses(sim.Log());
}
std::vector<TPulse> RandomReadPulses(TBusBench<TSimulatedAdapter>& b) { return RandomReadPulses(*b.bus, b.sim); }

// Nanoseconds of one Delay on the clock in force.
double DelayNs(TI2CBus& bus) {
  const double t0 = double(Clock().NowNanoseconds());
  bus.Delay();
  return double(Clock().NowNanoseconds()) - t0;
}

// Every clock of written and read bits keeps at least the set period and is
// high at least half of it; a byte costs nine periods on the wire and its own
// waits with SCL low: a written one the 300 ns hold and two Delays, a read one
// a Delay after each clock, whichever byte comes before it.
void ExpectTheClockOnTheWire(TI2CBus& bus, TSimulatedAdapter& sim, const std::string& what, bool byteCost = true) {
  const double set = 1e6 / bus.Clock, ns = 1;  // the log's resolution
  const std::vector<TPulse> p = RandomReadPulses(bus, sim);
  ASSERT_EQ(p.size(), 56u) << what;
  EXPECT_TRUE(p[18].Condition && p[55].Condition) << what;
  for (size_t i = 0; i + 1 < p.size(); ++i) {
    if (p[i].Condition) continue;
    EXPECT_GE(p[i].Fall - p[i].Rise, set / 2 - ns) << what << " pulse " << i;
    if (!p[i + 1].Condition) {
      EXPECT_GE(p[i + 1].Rise - p[i].Rise, set - ns) << what << " pulse " << i;
    }
  }
  // At MaxClock the low phase of a written bit sets the pace.
  if (bus.Clock > 100 || !byteCost) return;
  // A byte's own waits, and the access of the next clock's pull that begins its low phase
  // after them; a read byte's acknowledge clock also waits for its data write and set-up.
  const double delay = DelayNs(bus);
  const double access = sim.HardAccess() ? sim.SlowAccessNs : sim.NormalAccessNs;
  for (size_t first : {0u, 19u, 28u, 37u}) {
    const bool written = first < 28;
    const double byte = p[first + 9].Rise - p[first].Rise;
    const double own = written ? 300 + 2 * delay : 9 * delay;
    const double more = written ? access : 2 * access + TI2CBus::DataSetUpNs;
    EXPECT_GE(byte, 9 * set + own - ns) << what << " byte from pulse " << first;
    EXPECT_LE(byte, 9 * set * 1.002 + 400 + own + more) << what << " byte from pulse " << first;
  }
}
void ExpectTheClockOnTheWire(TBusBench<TSimulatedAdapter>& b, const std::string& what) {
  ExpectTheClockOnTheWire(*b.bus, b.sim, what);
}

// After a written byte's acknowledge clock SCL stays low for the 300 ns hold
// and two Delays, and then for the next clock's own low phase: about 11 µs at
// 100 KHz with 1 µs accesses, where a bit's low phase is 5 µs.
TEST_F(BusTest, AWrittenByteHoldsSclLowForTwoDelaysAfterItsAcknowledgeClock) {
  sim.Add<TSimEeprom>(256, 0xA0);
  bus->SelectPort(1);
  bus->SetFrequency(100);
  const double set = 1e4, delay = DelayNs(*bus);
  ASSERT_NEAR(delay, 2850, 60);  // the design's bit: four accesses, the hold and two Delays
  const std::vector<TPulse> p = RandomReadPulses(*this);
  ASSERT_EQ(p.size(), 56u);
  for (size_t ack : {8u, 27u}) {  // before the second written byte, before the first read one
    const double low = p[ack + 1].Rise - p[ack].Fall;
    EXPECT_GE(low, 300 + 2 * delay + set / 2) << "after pulse " << ack;
    EXPECT_LE(low, 300 + 2 * delay + set / 2 + 1500) << "after pulse " << ack;
  }
  // Inside a byte the low phase stays half the period.
  for (size_t bit = 0; bit < 8; ++bit) EXPECT_LE(p[bit + 1].Rise - p[bit].Fall, set / 2 + 1500) << bit;
}

// SCL stays low for the waits a start and a read byte make after their clocks,
// and the next routine's first clock has its own low phase after them.
TEST_F(BusTest, AStartAndEveryReadClockHoldSclLowForTheirDelays) {
  sim.Add<TSimEeprom>(256, 0xA0);
  bus->SelectPort(1);
  bus->SetFrequency(100);
  const double half = 5000, delay = DelayNs(*bus);
  const std::vector<TPulse> p = RandomReadPulses(*this);
  ASSERT_EQ(p.size(), 56u);
  const struct {
    const char* what;
    size_t from, to;  // SCL low from pulse from's fall to pulse to's rise
    double least;
  } cases[] = {
      {"the repeated start's two Delays, then the first bit's low phase", 18, 19, 2 * delay + half},
      {"a read bit: its low phase and a Delay", 28, 29, half + delay},
      {"the read's eighth bit, before its acknowledge clock", 35, 36, half + delay},
      {"a read byte's final Delay, then the next read's low phase", 36, 37, delay + half},
      {"the second read byte's final Delay", 45, 46, delay + half},
      {"the last read's final Delay, then the stop's 5 us and Delay", 54, 55, delay + 5000 + delay},
  };
  for (const auto& c : cases) {
    const double low = p[c.to].Rise - p[c.from].Fall;
    EXPECT_GE(low, c.least) << c.what;
    EXPECT_LE(low, c.least + 4000) << c.what;  // and the accesses around the waits, no more
  }
}

TEST_F(BusTest, StretchingShorterThanTheTimeOutKeepsTheBytes) {
  auto& regs = sim.Add<TSimRegisterDevice>(16, 0x40);
  regs.StretchMicroseconds = 20000;
  regs.Registers[4] = 0x96;
  sim.ClearLog();
  ASSERT_EQ(bus->I2CStart(), 0);
  EXPECT_EQ(bus->I2CWrite(0x40), 0);
  EXPECT_EQ(bus->I2CWrite(0x03), 0);
  EXPECT_EQ(bus->I2CWrite(0xC3), 0);
  ASSERT_EQ(bus->I2CStart(), 0);
  EXPECT_EQ(bus->I2CWrite(0x41), 0);
  uint8_t ack = 0;
  EXPECT_EQ(bus->I2CRead(1, ack), 0x96);  // register 4 after the auto-increment
  EXPECT_EQ(ack, 128);
  EXPECT_EQ(bus->I2CStop(), 0);
  EXPECT_EQ(regs.Registers[3], 0xC3);
  // SCL is high at least half the period from when the slave lets it rise.
  const double set = 1e6 / bus->Clock;
  const std::vector<TPulse> pulses = SclPulses(sim.Log());
  ASSERT_EQ(pulses.size(), 47u);
  for (size_t i = 0; i + 1 < pulses.size(); ++i) {
    if (!pulses[i].Condition) {
      EXPECT_GE(pulses[i].Fall - pulses[i].Rise, set / 2) << "pulse " << i;
    }
  }
}

TEST_F(BusTest, CalibrationGivesTheExactLinesAndTheClockOnTheWireKeepsIt) {
  sim.Add<TSimEeprom>(256, 0xA0);
  bus->SelectPort(1);
  ASSERT_TRUE(bus->HardwareReady);
  for (bool slow : {true, false}) {
    if (!slow) bus->ToggleAccessMode();  // direct access: cheaper, its own line
    ASSERT_EQ(port.HardAccess(), slow);
    if (slow) {
      ExpectExactLines(*bus);
      bus->SetFrequency(100);
      EXPECT_EQ(bus->DelayCount, 570);
      EXPECT_EQ(bus->ReadDelayCount, 701);  // rounded up: 700.075
      EXPECT_EQ(panels.back(), "100 KHz");
    }
    for (int k : {25, 50, 100, 0}) {
      bus->SetFrequency(k ? k : bus->MaxClock);
      ExpectTheClockOnTheWire(*this, (slow ? "Slow " : "Normal ") + std::to_string(bus->Clock) + " KHz");
    }
  }
}

// For each SCL rise, how long SDA had held its level (from its last change, or from the
// previous rise when it did not move).
std::vector<double> DataSetUps(const std::deque<TSimEvent>& log) {
  std::vector<double> setUps;
  bool scl = true, sda = true;
  double held = 0;
  for (const TSimEvent& e : log) {
    if (e.Kind != seLines) continue;
    if (e.Sda != sda) held = double(e.TimeNs);
    if (e.Scl && !scl) {
      setUps.push_back(double(e.TimeNs) - held);
      held = double(e.TimeNs);
    }
    scl = e.Scl, sda = e.Sda;
  }
  return setUps;
}

TEST_F(BusTest, EveryBitTheMasterWritesIsSetUpAQuarterMicrosecondBeforeItsClock) {
  sim.Add<TSimEeprom>(256, 0xA0);
  const struct {
    double AccessNs;
    int Khz;  // 0: the fastest clock the line allows
  } cases[] = {{110, 0}, {170, 0}, {110, 25}, {999.75, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.AccessNs) + " ns, " + std::to_string(c.Khz) + " KHz");
    sim.SlowAccessNs = sim.NormalAccessNs = c.AccessNs;
    bus->SelectPort(1);
    ASSERT_TRUE(bus->Calibrated());
    bus->SetFrequency(c.Khz ? c.Khz : bus->MaxClock);
    // Every bit changes SDA: after the start, after a byte, after a pause, and the
    // master's acknowledge of a read byte.
    sim.ClearLog();
    ASSERT_EQ(bus->I2CStart(), 0);
    EXPECT_EQ(bus->I2CWrite(0xA0), 0);
    EXPECT_EQ(bus->I2CWrite(0xAA), 0);
    clock.Advance(2e6);
    EXPECT_EQ(bus->I2CWrite(0x55), 0);
    ASSERT_EQ(bus->I2CStart(), 0);
    EXPECT_EQ(bus->I2CWrite(0xA1), 0);
    clock.Advance(2e6);
    uint8_t ack = 0;
    bus->I2CRead(0, ack);
    EXPECT_EQ(bus->I2CStop(), 0);
    const std::vector<double> setUps = DataSetUps(sim.Log());
    ASSERT_EQ(setUps.size(), 4 * 9u + 9u + 2u);  // the repeated start's and the stop's rises among them
    for (size_t i = 0; i < setUps.size(); ++i) EXPECT_GE(setUps[i], 250) << "rise " << i;  // I2C's data set-up time
  }
}

// An adapter whose reads may cost more than its writes, and more again when
// they come back to back, as when the machine is busy just while a port
// access is measured on its own; and whose accesses may all cost more for a
// while, or be held up now and then by the machine, before the lines change
// or after.
class TBusyReadAdapter : public TSimulatedAdapter {
 public:
  bool SlowBackToBack = false;
  double ReadExtraNs = 0;
  double AccessExtraNs = 0;
  enum THoldUp { huNone, huWriteBeforeEdge, huWriteAfterEdge, huRead } HoldUp = huNone;
  double HoldUpNs = 0;
  int HoldUpEvery = 0;
  int HoldUpFirst = 0;  // the first so many accesses are held up, then every HoldUpEvery-th
  uint8_t Read(int lpt, TPortRegister reg) override {
    Spend(ReadExtraNs + AccessExtraNs + (SlowBackToBack && lastWasRead_ ? 150 : 0) + HeldUp(huRead));
    lastWasRead_ = true;
    return TSimulatedAdapter::Read(lpt, reg);
  }
  void Write(int lpt, TPortRegister reg, uint8_t value) override {
    lastWasRead_ = false;
    Spend(AccessExtraNs + HeldUp(huWriteBeforeEdge));
    TSimulatedAdapter::Write(lpt, reg, value);  // the lines change at its end on a fake clock
    Spend(HeldUp(huWriteAfterEdge));
  }

 private:
  static void Spend(double ns) { static_cast<TFakeClock&>(Clock()).Advance(ns); }
  double HeldUp(THoldUp where) {
    if (HoldUp != where) return 0;
    if (HoldUpFirst > 0) return --HoldUpFirst, HoldUpNs;
    return ++accesses_ % HoldUpEvery == 0 ? HoldUpNs : 0;
  }
  bool lastWasRead_ = false;
  int accesses_ = 0;
};
class KnownTurnBusTest : public ::testing::Test, public TBusBench<TBusyReadAdapter> {};

// Where a loop turn is one counter cycle (the real clock), the calibration
// must not let its readings' failings into the clock: a machine shared while
// the longer readings were taken (their waits stretched, then no longer), a
// wait whose overhead is less for some lengths than for others, an access
// measured while the machine was busy. Each misled a fitted line or a phase's
// parts into clocks shorter than set at one frequency or another. Nor may the
// machine's speed while the clock is set, or a hold-up in the traffic, where
// it falls in an access.

TEST_F(KnownTurnBusTest, EveryClockKeepsTheSetPeriodWhateverMisledTheReadings) {
  sim.Add<TSimEeprom>(256, 0xA0);
  clock.NanosecondsPerLoopTurn = 1;
  clock.KnownLoopTurnCycles = 1;
  double stretch = 1;
  using H = TBusyReadAdapter;
  const auto none = [](uint32_t) { return 0.0; };
  const struct {
    const char* what;
    double stretch;
    std::function<double(uint32_t)> overhead;
    bool slowAccessReading;
    double readExtraNs;
    double setUpExtraNs;  // every access dearer while calibrating and setting the clock
    H::THoldUp holdUp;
    int holdUpFirst;  // of the traffic's writes (the engine's first since its calibration, when first here)
  } cases[] = {
      // A machine that has not run the bus for a while runs its first
      // writes slower, before their edge as well as after.
      {"the first writes held up before their edge", 1, none, false, 0, 0, H::huWriteBeforeEdge, 7},
      {"long readings stretched", 1.006, none, false, 0, 0, H::huNone, 0},
      {"a dip in the wait's overhead", 1, [](uint32_t n) { return n >= 1500 && n <= 4000 ? 0.0 : 25.0; }, false, 0, 0,
       H::huNone, 0},
      {"access measured high", 1, none, true, 0, 0, H::huNone, 0},
      {"reads dearer than writes", 1, none, false, 40, 0, H::huNone, 0},
      // The machine ran slower while the clock was set than in the traffic.
      {"accesses dearer while the clock was set", 1, none, false, 0, 120, H::huNone, 0},
      {"writes held up before their edge", 1, none, false, 0, 0, H::huWriteBeforeEdge, 0},
      {"writes held up after their edge", 1, none, false, 0, 0, H::huWriteAfterEdge, 0},
      {"reads held up", 1, none, false, 0, 0, H::huRead, 0},
  };
  for (const auto& c : cases) {
    clock.LoopCost = [&](uint32_t n) { return n * (1 + (stretch - 1) * n / 10000.0) + c.overhead(n); };
    stretch = c.stretch;
    sim.SlowBackToBack = c.slowAccessReading;
    sim.ReadExtraNs = c.readExtraNs;
    sim.AccessExtraNs = c.setUpExtraNs;
    bus->SelectPort(1);
    ASSERT_TRUE(bus->Calibrated()) << c.what;
    stretch = 1;
    sim.SlowBackToBack = false;
    EXPECT_NEAR(bus->DelaySlope, 0.002, 1e-12) << c.what;  // two turns a bit, 1 ns each
    for (int k : {25, 50, 100, 0}) {
      sim.AccessExtraNs = c.setUpExtraNs;
      bus->SetFrequency(k ? k : bus->MaxClock);
      sim.AccessExtraNs = 0;
      sim.HoldUp = c.holdUp;
      sim.HoldUpNs = 3000;
      sim.HoldUpEvery = 7;
      sim.HoldUpFirst = c.holdUpFirst;
      ExpectTheClockOnTheWire(*bus, sim, std::string(c.what) + " " + std::to_string(bus->Clock) + " KHz",
                              c.holdUp == H::huNone);
      sim.HoldUp = H::huNone;
    }
  }
}

// Without a line the clock's phases are timed from their edges as with one:
// the set clock, no faster and hardly slower.
TEST_F(BusTest, WithoutALineTheClockStaysAndTheBusRunsNoFasterThanSet) {
  sim.Add<TSimEeprom>(256, 0xA0);
  clock.LoopCost = [](uint32_t) { return 0.0; };  // a flat line: every calibration fails
  bus->SelectPort(1);
  ASSERT_TRUE(bus->HardwareReady);
  ASSERT_FALSE(bus->Calibrated());
  EXPECT_EQ(LastStatus(), TI2CBus::CalibrationSlowText);
  for (int k : {100, 25, 400}) {
    bus->SetFrequency(k);
    EXPECT_EQ(bus->Clock, k);  // not capped at the starting maximum of 70
    EXPECT_EQ(panels.back(), "\xE2\x89\xA4" + std::to_string(k) + " KHz");
    const double set = 1e6 / k, delay = DelayNs(*bus);
    const std::vector<TPulse> p = RandomReadPulses(*this);
    ASSERT_EQ(p.size(), 56u);
    for (size_t i = 0; i + 1 < p.size(); ++i) {
      if (p[i].Condition || p[i + 1].Condition) continue;
      const double period = p[i + 1].Rise - p[i].Rise;
      // After a written byte's acknowledge clock: its hold and two Delays, then the next
      // clock's own low phase from its pull (one access). After each read clock a Delay,
      // and before a read byte's acknowledge clock its data write and set-up.
      const bool read = i >= 28;
      const double closing = i == 8 || i == 27 ? 300 + 2 * delay : read ? delay : 0;
      EXPECT_GE(period, set + closing) << k << " KHz pulse " << i;
      // Beyond each phase's margin and the counter's readings only where the
      // port cannot keep up: a routine's first clock holds five accesses and two holds.
      const double most = (closing > 0 ? closing + 1000 : 0) + (read ? 1000 + TI2CBus::DataSetUpNs : 0) +
                          (k <= 100 ? set + 2 * TI2CBus::EdgeMarginNs + 10 : set + 5 * 1000 + 2 * 301 + 10);
      EXPECT_LE(period, most) << k << " KHz pulse " << i;
      EXPECT_GE(p[i].Fall - p[i].Rise, set / 2) << k << " KHz pulse " << i;
    }
  }
}

TEST_F(BusTest, FrequencyIsCappedDefaultedAndNeverBelowOneLoopTurn) {
  bus->PortAddress = 0x378;
  sim.SlowAccessNs = 5000;  // 20.301 µs per bit; 20.6 µs for a written bit's low phase to fit: MaxClock 48
  ASSERT_TRUE(bus->Calibrate());
  EXPECT_EQ(bus->MaxClock, 48);
  EXPECT_EQ(bus->Clock, 48);  // lowered from 50 and shown
  EXPECT_EQ(panels.back(), "48 KHz");
  bus->SetFrequency(500);
  EXPECT_EQ(bus->Clock, 48);
  EXPECT_EQ(bus->DelayCount, 54);  // (1000 / 48 - 20.301) / 0.01, rounded up
  for (int k : {0, -7}) {
    bus->SetFrequency(k);
    EXPECT_EQ(bus->Clock, 50);  // the default is not capped
    EXPECT_EQ(bus->DelayCount, 1);
    EXPECT_EQ(panels.back(), "50 KHz");
  }
}

TEST_F(BusTest, VerySlowAccessStillGivesAMaxClockOfOne) {
  bus->PortAddress = 0x378;
  sim.SlowAccessNs = 700000;
  ASSERT_TRUE(bus->Calibrate());
  EXPECT_EQ(bus->MaxClock, 1);
  bus->SetFrequency(50);
  EXPECT_EQ(bus->Clock, 1);
  EXPECT_GE(bus->DelayCount, 1);
}

// A counter the kernel does not trust may change its rate after the start, as
// one that follows a throttled processor's clock does: measured at 1000 cycles
// per µs, it then runs at 1250. The waits count the monotonic clock instead,
// so the bus keeps the set clock and uSeconds its microseconds.
TEST_F(BusTest, WithAnUntrustedCounterTheBusKeepsTheSetClockWhenTheCounterChangesItsRate) {
  sim.Add<TSimEeprom>(256, 0xA0);
  const std::string flags = "flags : tsc constant_tsc nonstop_tsc\n";
  for (const auto& [source, cpuinfo] : {std::pair<std::string, std::string>{"hpet\n", flags},
                                        {"tsc\n", "flags : tsc constant_tsc\n"}}) {
    clock.SetWaitCounter(ChooseWaitCounter(source, cpuinfo));
    ASSERT_EQ(clock.WaitCounter().Kind, wcMonotonic);
    clock.CyclesPerMicrosecond = 1000;
    bus->SetCPUSpeedMhz(1000);  // the time base's measurement
    clock.CyclesPerMicrosecond = 1250;
    bus->SelectPort(1);
    ASSERT_TRUE(bus->Calibrated());
    ExpectExactLines(*bus);
    bus->SetFrequency(100);
    ExpectTheClockOnTheWire(*this, source + " 100 KHz");
    for (const TPulse& p : RandomReadPulses(*this)) {
      if (!p.Condition) {
        EXPECT_LE(p.Fall - p.Rise, 5000 + TI2CBus::EdgeMarginNs + 10) << source;  // and no slower
      }
    }
    const double t0 = clock.Now();
    bus->uSeconds(100);
    EXPECT_NEAR(clock.Now() - t0, 100000, 5) << source;
  }
}

// A line belongs to the access mode it was measured in: a failed calibration
// after a switch to the faster direct access must not keep the slow line.
TEST_F(BusTest, FailedCalibrationAfterAModeSwitchDropsTheLine) {
  ASSERT_EQ(bus->I2CStart(), 0);
  bus->I2CStop();
  ASSERT_TRUE(bus->Calibrated());
  bus->SetFrequency(100);
  clock.LoopCost = [this](uint32_t n) { return sim.HardAccess() ? 5.0 * n : 0.0; };
  bus->ToggleAccessMode();
  ASSERT_FALSE(port.HardAccess());
  EXPECT_FALSE(bus->Calibrated());
  EXPECT_EQ(LastStatus(), TI2CBus::CalibrationSlowText);
  EXPECT_EQ(bus->Clock, 100);
  EXPECT_EQ(panels.back(), "\xE2\x89\xA4" "100 KHz");
  std::vector<double> written, read;
  ByteClocks(written, read);
  ASSERT_EQ(written.size(), 8u);
  for (double p : written) EXPECT_GE(p, 10000.0);
  for (double p : read) EXPECT_GE(p, 10000.0);

  // Back in Slow access: a line again.
  bus->ToggleAccessMode();
  EXPECT_TRUE(bus->Calibrated());
  EXPECT_EQ(panels.back(), "100 KHz");

  // The switch's own calibration fails, the one after it succeeds: the status
  // line tells the state that holds, not the failure.
  bus->OnStatusLine = [this](const std::string& t, TBusLook) {
    status.push_back(t);
    if (t == TI2CBus::CalibrationSlowText) clock.LoopCost = nullptr;  // mended at once
  };
  status.clear();
  bus->ToggleAccessMode();
  EXPECT_TRUE(bus->Calibrated());
  EXPECT_EQ(status, (std::vector<std::string>{TI2CBus::CalibrationSlowText, " Calibration complete"}));
}

TEST_F(BusTest, UnusableMeasurementsKeepThePreviousLine) {
  bus->PortAddress = 0x378;
  ASSERT_TRUE(bus->Calibrate());
  bus->SetFrequency(100);
  const double slope = bus->DelaySlope, offset = bus->DelayOffset;

  const std::function<double(uint32_t)> bad[] = {
      [](uint32_t) { return 0.0; },                                   // slope 0
      [](uint32_t n) { return 1e-9 * n; },                            // too small to tell from the readings
      [](uint32_t n) { return 200000.0 - 5.0 * n; },                  // slope below 0
      [](uint32_t n) { return 5.0 * n + (n % 1000 == 0 ? 600 : 0); },  // no straight line
  };
  for (const auto& cost : bad) {
    clock.LoopCost = cost;
    status.clear();
    EXPECT_FALSE(bus->CalibrateCommand());
    EXPECT_EQ(bus->DelaySlope, slope);
    EXPECT_EQ(bus->DelayOffset, offset);
    EXPECT_EQ(bus->MaxClock, 217);
    EXPECT_EQ(bus->DelayCount, 570);
    EXPECT_EQ(status, std::vector<std::string>{TI2CBus::CalibrationKeptText});
  }
  clock.LoopCost = nullptr;
  EXPECT_TRUE(bus->CalibrateCommand());
  EXPECT_EQ(LastStatus(), " Calibration complete");
}

// Interrupts only ever add time: the least reading of a point is the true one,
// however few readings escape them.
TEST_F(BusTest, ReadingsMostlySlowedStillGiveTheExactLine) {
  bus->PortAddress = 0x378;
  // Of every three readings one runs true, the next 1 % long, the next 2 %:
  // no two readings in a row agree, and most lie apart.
  int writeWaits = 0, readWaits = 0;
  auto slowed = [&](uint32_t n) {
    const bool read = n == static_cast<uint32_t>(bus->ReadDelayCount);
    const int reading = read ? readWaits++ / 8 : writeWaits++ / 8;
    return 5.0 * n * (1.0 + 0.01 * (reading % 3));
  };
  clock.LoopCost = slowed;
  bus->DelayCount = 3000;
  const double p = bus->MeasurePeriod();
  clock.LoopCost = nullptr;
  EXPECT_NEAR(p, bus->MeasurePeriod(), 1e-9);

  writeWaits = readWaits = 0;
  clock.LoopCost = slowed;
  ASSERT_TRUE(bus->Calibrate());
  ExpectExactLines(*bus);
}

TEST_F(BusTest, JitterThatKeepsReadingsApartStillCalibrates) {
  bus->PortAddress = 0x378;
  int calls = 0;
  clock.LoopCost = [&](uint32_t n) { return 5.0 * n * (1.0 + 0.0008 * ((calls++ / 8) % 3)); };
  ASSERT_TRUE(bus->Calibrate());
  EXPECT_NEAR(bus->DelaySlope, 0.01, 0.01 * 0.002);
  EXPECT_GE(bus->MaxClock, 210);
  EXPECT_LE(bus->MaxClock, 217);
}

// An interrupt between the two counter reads that give the cost of one would
// make a reading too short, which no least reading could undo.
TEST_F(BusTest, AnInterruptWhileTheCounterCostIsTakenDoesNotShortenAReading) {
  bus->PortAddress = 0x378;
  // Every fifth time three counter reads come back to back, the third is held
  // up by 2 µs: in a reading that is the read after the first (the counter's
  // own cost), in the 300 ns wait an ordinary interrupt.
  int runs = 0;
  clock.CounterHoldUp = [&](int run) { return run == 3 && ++runs % 5 == 0 ? 2000.0 : 0.0; };
  ASSERT_TRUE(bus->Calibrate());
  ExpectExactLines(*bus);
  EXPECT_GT(runs, 100);
}

// A burst that spoils every reading of one point: that point and no whole
// line is measured again.
TEST_F(BusTest, OnlyThePointsThatDisagreeAreMeasuredAgain) {
  bus->PortAddress = 0x378;
  std::vector<uint32_t> loops;  // every wait's length, in order
  clock.LoopCost = [&](uint32_t n) {
    loops.push_back(n);
    // The nine first-round readings of 3000 turns (eight waits each) run half again as long.
    const bool spoiled = n == 3000 && std::count(loops.begin(), loops.end(), 3000u) <= 72;
    return 5.0 * n * (spoiled ? 1.5 : 1.0);
  };
  ASSERT_TRUE(bus->Calibrate());
  ExpectExactLines(*bus);
  // The written bits' first round is 9 x 20 readings of eight waits; the read
  // bits' takes 9 x 20 readings of eight and agrees at once.
  const size_t firstRounds = 9 * 20 * 8 + 9 * 20 * 8;
  ASSERT_GT(loops.size(), firstRounds);
  const size_t again = (loops.size() - firstRounds) / 8;  // readings taken again
  const auto from = loops.begin() + 9 * 20 * 8, to = from + static_cast<long>(again * 8);
  EXPECT_GE(std::count(from, to, 3000u), 8) << "the spoiled point was not measured again";
  EXPECT_LT(again, 20u) << "more than the disagreeing points were measured again";
}

// A spell in which the readings ran fast cannot be undone by taking the least
// reading: those points are measured anew.
TEST_F(BusTest, PointsCaughtInAFastSpellAreMeasuredAnew) {
  bus->PortAddress = 0x378;
  int fast = 0;
  clock.LoopCost = [&](uint32_t n) {
    // The first reading of three neighbouring points runs a fifth faster.
    const bool inSpell = (n == 6000 || n == 6500 || n == 7000) && fast < 24;
    fast += inSpell;
    return 5.0 * n * (inSpell ? 0.8 : 1.0);
  };
  ASSERT_TRUE(bus->Calibrate());
  ExpectExactLines(*bus);
}

TEST_F(BusTest, WaitsFollowTheCounter) {
  double t0 = clock.Now();
  bus->uSeconds(0);
  EXPECT_GT(clock.Now(), t0 + 1);  // the counter moved past its entry value
  t0 = clock.Now();
  bus->uSeconds(12);
  EXPECT_NEAR(clock.Now() - t0, 12002, 1);
  t0 = clock.Now();
  bus->n320Seconds();
  EXPECT_DOUBLE_EQ(clock.Now() - t0, 301);  // 300 ns and the entry read

  clock.CyclesPerMicrosecond = 2000;
  clock.NanosecondsPerCounterRead = 100;
  bus->SetCPUSpeedMhz(0);  // no clock from the time base: measured
  EXPECT_NEAR(bus->CPUSpeedMhz(), 2000, 1);
  EXPECT_EQ(bus->n320Count, 600);
}

// --- Access mode ---

TEST_F(BusTest, AccessModeToggleRecalibratesAndShowsTheMode) {
  std::vector<std::string> labels;
  std::vector<bool> marks;
  bus->OnModeLabel = [&](const std::string& t, TBusLook) { labels.push_back(t); };
  bus->OnFastAccessChecked = [&](bool c) { marks.push_back(c); };
  ASSERT_EQ(bus->I2CStart(), 0);
  bus->I2CStop();
  EXPECT_EQ(bus->MaxClock, 217);
  bus->ToggleAccessMode();
  EXPECT_FALSE(port.HardAccess());
  EXPECT_TRUE(bus->FastAccess());
  EXPECT_GT(bus->MaxClock, 217);  // direct access is cheaper
  bus->ToggleAccessMode();
  EXPECT_TRUE(port.HardAccess());
  EXPECT_EQ(bus->MaxClock, 217);
  EXPECT_EQ(labels, (std::vector<std::string>{"Normal", "Slow"}));
  EXPECT_EQ(marks, (std::vector<bool>{true, false}));
}

class SlowOnlyBusTest : public ::testing::Test, public TBusBench<TSlowOnlyAdapter> {};

TEST_F(SlowOnlyBusTest, FailedSwitchShowsTheModeInForce) {
  std::string label;
  TBusLook look = blReady;
  bool mark = true;
  bus->OnModeLabel = [&](const std::string& t, TBusLook l) { label = t; look = l; };
  bus->OnFastAccessChecked = [&](bool c) { mark = c; };
  ASSERT_EQ(bus->I2CStart(), 0);
  bus->RestoreAccessMode(false);  // stored "Normal" that cannot be had
  EXPECT_TRUE(port.HardAccess());
  EXPECT_EQ(label, "Slow");
  EXPECT_EQ(look, blSlow);
  EXPECT_FALSE(mark);
  bus->ToggleAccessMode();  // unchecked, so the click tries Normal again
  EXPECT_EQ(sim.NormalRequests, 2);
  EXPECT_FALSE(mark);
  EXPECT_FALSE(bus->FastAccess());
}

}  // namespace
