// The bus engine on the simulated adapter with a fake clock: every port access
// costs a fixed time, the delay loop a fixed time per turn and the counter one
// nanosecond per read, so bus timing is exact.

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/I2CBus.h"
#include "app/PortIO.h"
#include "platform/port/SimAdapter.h"
#include "platform/rtl/Clock.h"

namespace {

// A fake clock whose delay loop may cost what a test says.
class TTestClock : public TFakeClock {
 public:
  std::function<double(uint32_t)> LoopCost;  // ns for a loop of n turns
  void DelayLoop(uint32_t count) override {
    if (LoopCost)
      Advance(LoopCost(count));
    else
      TFakeClock::DelayLoop(count);
  }
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

TEST_F(BusTest, StretchingShorterThanTheTimeOutKeepsTheBytes) {
  auto& regs = sim.Add<TSimRegisterDevice>(16, 0x40);
  regs.StretchMicroseconds = 20000;
  regs.Registers[4] = 0x96;
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

TEST_F(BusTest, CalibrationWithAKnownAccessCostGivesTheExactLine) {
  bus->SelectPort(1);
  ASSERT_TRUE(bus->HardwareReady);
  ASSERT_TRUE(bus->Calibrate());
  EXPECT_NEAR(bus->DelayOffset, 4.3, 1e-9);
  EXPECT_NEAR(bus->DelaySlope, 0.01, 1e-12);
  EXPECT_EQ(bus->MaxClock, 232);
  bus->SetFrequency(100);
  EXPECT_EQ(bus->DelayCount, 570);
  EXPECT_EQ(bus->Clock, 100);
  EXPECT_EQ(panels.back(), "100 KHz");

  // The SCL period while a byte is written is the calibrated 10 µs.
  ASSERT_EQ(bus->I2CStart(), 0);
  sim.ClearLog();
  bus->I2CWrite(0xA5);
  std::vector<uint64_t> rises;
  bool scl = false;
  for (const TSimEvent& e : sim.Log())
    if (e.Kind == seLines) {
      if (e.Scl && !scl) rises.push_back(e.TimeNs);
      scl = e.Scl;
    }
  ASSERT_EQ(rises.size(), 9u);
  for (size_t i = 1; i < rises.size(); ++i) EXPECT_NEAR(double(rises[i] - rises[i - 1]), 10000.0, 1.0);
}

TEST_F(BusTest, FrequencyIsCappedDefaultedAndNeverBelowOneLoopTurn) {
  bus->SetFrequency(100);  // no line yet: the loop length stays
  EXPECT_EQ(bus->DelayCount, 10);
  EXPECT_EQ(bus->Clock, 70);
  bus->PortAddress = 0x378;
  sim.SlowAccessNs = 5000;  // 20.3 µs per bit: MaxClock 49
  ASSERT_TRUE(bus->Calibrate());
  EXPECT_EQ(bus->MaxClock, 49);
  EXPECT_EQ(bus->Clock, 49);  // lowered from 70 and shown
  EXPECT_EQ(panels.back(), "49 KHz");
  bus->SetFrequency(500);
  EXPECT_EQ(bus->Clock, 49);
  EXPECT_EQ(bus->DelayCount, 11);  // (1000 / 49 - 20.301) / 0.01
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

TEST_F(BusTest, UnusableMeasurementsKeepThePreviousLine) {
  bus->PortAddress = 0x378;
  ASSERT_TRUE(bus->Calibrate());
  bus->SetFrequency(100);
  const double slope = bus->DelaySlope, offset = bus->DelayOffset;

  // Every other reading takes longer: no two agree, MeasurePeriod must give up.
  int calls = 0;
  auto uneven = [&](uint32_t n) { return 5.0 * n + ((calls++ / 8) % 2 ? 100.0 : 0.0); };
  clock.LoopCost = uneven;
  EXPECT_TRUE(std::isnan(bus->MeasurePeriod()));
  const std::function<double(uint32_t)> bad[] = {
      uneven,
      [](uint32_t) { return 0.0; },                   // slope 0 (or a rounding error above it)
      [](uint32_t n) { return 1e-9 * n; },            // too small to tell from the readings' spread
      [](uint32_t n) { return 200000.0 - 5.0 * n; },  // slope below 0
  };
  for (const auto& cost : bad) {
    clock.LoopCost = cost;
    status.clear();
    EXPECT_FALSE(bus->CalibrateCommand());
    EXPECT_EQ(bus->DelaySlope, slope);
    EXPECT_EQ(bus->DelayOffset, offset);
    EXPECT_EQ(bus->MaxClock, 232);
    EXPECT_EQ(bus->DelayCount, 570);
    EXPECT_EQ(status, std::vector<std::string>{" Calibration failed - previous timing kept"});
  }
  clock.LoopCost = nullptr;
  EXPECT_TRUE(bus->CalibrateCommand());
  EXPECT_EQ(LastStatus(), " Calibration complete");
}

TEST_F(BusTest, JitterThatKeepsReadingsApartStillCalibrates) {
  bus->PortAddress = 0x378;
  // Each reading runs a little longer or shorter than the one before, so no
  // two in a row agree within 0.02 %, yet all lie within a fraction of a percent.
  bus->DelayCount = 500;
  int calls = 0;
  clock.LoopCost = [&](uint32_t n) { return 5.0 * n * (1.0 + 0.0008 * ((calls++ / 8) % 3)); };
  const double p = bus->MeasurePeriod();
  ASSERT_FALSE(std::isnan(p));
  clock.LoopCost = nullptr;
  const double steady = bus->MeasurePeriod();
  EXPECT_NEAR(p, steady, steady * 0.002);

  calls = 0;
  clock.LoopCost = [&](uint32_t n) { return 5.0 * n * (1.0 + 0.0008 * ((calls++ / 8) % 3)); };
  ASSERT_TRUE(bus->Calibrate());
  EXPECT_NEAR(bus->DelaySlope, 0.01, 0.01 * 0.002);
  EXPECT_GE(bus->MaxClock, 225);
  EXPECT_LE(bus->MaxClock, 233);
}

TEST_F(BusTest, ASpoiledMeasurementIsTakenAgainBeforeTheCalibrationFails) {
  bus->SelectPort(1);
  // The first point's readings are scattered beyond use; then the line is steady.
  int calls = 0;
  clock.LoopCost = [&](uint32_t n) {
    const int call = calls++;
    return 5.0 * n + (call < 2 * TI2CBus::MeasureRounds * 8 ? ((call / 8) % 5) * 1000.0 : 0.0);
  };
  ASSERT_TRUE(bus->Calibrate());
  EXPECT_GT(calls, 2 * TI2CBus::MeasureRounds * 8) << "the spoiled point was not measured at all";
  EXPECT_NEAR(bus->DelayOffset, 4.3, 1e-9);
  EXPECT_NEAR(bus->DelaySlope, 0.01, 1e-12);
  EXPECT_EQ(bus->MaxClock, 232);
}

TEST(SettledPeriod, MostReadingsCloseTogetherGiveTheirMiddle) {
  // Interrupts only ever add time: a few long readings must not move the result.
  std::vector<double> r = {10.00, 10.01, 10.02, 10.00, 10.01, 13.5, 10.02, 10.01, 25.0, 10.00, 10.01, 11.0};
  EXPECT_NEAR(TI2CBus::SettledPeriod(r), 10.01, 1e-9);
  // Too few readings, or no 60 % of them within 0.5 %: no period.
  EXPECT_TRUE(std::isnan(TI2CBus::SettledPeriod({10.0, 10.0, 10.0})));
  std::vector<double> halves;
  for (int i = 0; i < 20; ++i) halves.push_back(i % 2 ? 10.0 : 10.2);
  EXPECT_TRUE(std::isnan(TI2CBus::SettledPeriod(halves)));
  std::vector<double> spread;
  for (int i = 0; i < 20; ++i) spread.push_back(10.0 + 0.1 * i);
  EXPECT_TRUE(std::isnan(TI2CBus::SettledPeriod(spread)));
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
  EXPECT_EQ(bus->MaxClock, 232);
  bus->ToggleAccessMode();
  EXPECT_FALSE(port.HardAccess());
  EXPECT_TRUE(bus->FastAccess());
  EXPECT_GT(bus->MaxClock, 232);  // direct access is cheaper
  bus->ToggleAccessMode();
  EXPECT_TRUE(port.HardAccess());
  EXPECT_EQ(bus->MaxClock, 232);
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
