// The simulated adapter's electrical behaviour, faults, access cost and log.
#include <gtest/gtest.h>

#include "platform/port/SimAdapter.h"
#include "platform/port/SimMaster.h"
#include "platform/rtl/Clock.h"

namespace {

constexpr int kLpt1 = 0, kLpt2 = 1;

class SimAdapterTest : public ::testing::Test {
 protected:
  SimAdapterTest() : scope_(clock_) { sim_.Open(); }
  uint8_t Lines() { return sim_.Read(kLpt1, prStatus) & 0x88; }
  TFakeClock clock_;
  TClockScope scope_;
  TSimulatedAdapter sim_;
};

TEST_F(SimAdapterTest, RegistersDriveOpenDrainLinesAsTheAdapterIsWired) {
  sim_.Write(kLpt1, prData, 0x7F);
  sim_.Write(kLpt1, prControl, 0x0C);
  EXPECT_EQ(Lines(), 0x80);  // both released
  sim_.Write(kLpt1, prData, 0xFF);
  EXPECT_EQ(Lines(), 0x00);  // SDA low, SCL high
  sim_.Write(kLpt1, prControl, 0x04);
  EXPECT_EQ(Lines(), 0x08);  // both low
  sim_.Write(kLpt1, prData, 0x7F);
  EXPECT_EQ(Lines(), 0x88);  // SCL low, SDA high
  EXPECT_FALSE(sim_.Scl());
  EXPECT_TRUE(sim_.Sda());
}

TEST_F(SimAdapterTest, DataAndControlReadBackTheLastValueWritten) {
  sim_.Write(kLpt1, prData, 0x5A);
  sim_.Write(kLpt1, prControl, 0x04);
  sim_.Write(kLpt2, prData, 0xA5);
  EXPECT_EQ(sim_.Read(kLpt1, prData), 0x5A);
  EXPECT_EQ(sim_.Read(kLpt1, prControl), 0x04);
  EXPECT_EQ(sim_.Read(kLpt2, prData), 0xA5);
  sim_.Write(kLpt1, prStatus, 0x00);  // read only: ignored
  EXPECT_EQ(sim_.Read(kLpt1, prStatus) & 0x88, 0x88);
}

TEST_F(SimAdapterTest, LoopBackInputAndTriggerPins) {
  sim_.Write(kLpt1, prData, 0x7F);  // pin 6 (bit 4) high
  EXPECT_EQ(sim_.Read(kLpt1, prStatus) & 0x30, 0x30);
  sim_.Write(kLpt1, prData, 0x6F);
  EXPECT_EQ(sim_.Read(kLpt1, prStatus) & 0x30, 0x00);

  sim_.InputPin = false;
  EXPECT_EQ(sim_.Read(kLpt1, prStatus) & 0x40, 0x00);
  sim_.InputPin = true;
  EXPECT_EQ(sim_.Read(kLpt1, prStatus) & 0x40, 0x40);

  sim_.ClearLog();
  sim_.Write(kLpt1, prData, 0x3F);  // trigger (bit 6) low
  sim_.Write(kLpt1, prData, 0x3E);  // unchanged trigger: no event
  sim_.Write(kLpt1, prData, 0x7F);
  std::vector<int> levels;
  for (const auto& e : sim_.Log())
    if (e.Kind == seTrigger) levels.push_back(e.Byte);
  EXPECT_EQ(levels, (std::vector<int>{0, 1}));
  EXPECT_TRUE(sim_.Trigger());
}

TEST_F(SimAdapterTest, PortWithoutAdapterShowsOpenInputs) {
  sim_.Write(kLpt2, prData, 0xEF);
  EXPECT_EQ(sim_.Read(kLpt2, prStatus), 0x7F);
  sim_.Write(kLpt2, prData, 0xFF);
  EXPECT_EQ(sim_.Read(kLpt2, prStatus), 0x7F);  // no loop-back
  // Writes to another port never move the adapter's lines.
  sim_.Write(kLpt2, prControl, 0x04);
  EXPECT_EQ(Lines(), 0x80);
}

TEST_F(SimAdapterTest, InjectedFaultsShowOnTheStatusBits) {
  sim_.Write(kLpt1, prData, 0x7F);
  sim_.Write(kLpt1, prControl, 0x0C);
  sim_.Faults.SdaStuckLow = true;
  EXPECT_EQ(Lines(), 0x00);
  sim_.Faults.SdaStuckLow = false;
  sim_.Faults.SclStuckLow = true;
  EXPECT_EQ(Lines(), 0x88);
  sim_.Faults.SdaStuckLow = true;
  EXPECT_EQ(Lines(), 0x08);
  sim_.Faults = {};
  EXPECT_EQ(Lines(), 0x80);

  sim_.Faults.NotFollowingDrive = true;
  sim_.Write(kLpt1, prData, 0xFF);
  EXPECT_EQ(Lines(), 0x80) << "SDA must not follow a dead driver";
  sim_.Write(kLpt1, prControl, 0x04);
  EXPECT_EQ(Lines(), 0x80) << "SCL must not follow a dead driver";
  sim_.Faults = {};
  EXPECT_EQ(Lines(), 0x08);

  sim_.Faults.NoAdapter = true;
  sim_.Write(kLpt1, prData, 0x7F);
  const uint8_t high = sim_.Read(kLpt1, prStatus);
  sim_.Write(kLpt1, prData, 0x6F);
  EXPECT_EQ(sim_.Read(kLpt1, prStatus), high) << "loop-back must fail without the adapter";
  EXPECT_EQ(high, 0x7F);
}

TEST_F(SimAdapterTest, EachAccessCostsTheTimeOfItsMode) {
  sim_.SlowAccessNs = 1000;
  sim_.NormalAccessNs = 250;
  const double t0 = clock_.Now();
  sim_.Read(kLpt1, prStatus);
  sim_.Write(kLpt1, prData, 0x7F);
  EXPECT_DOUBLE_EQ(clock_.Now() - t0, 2000);
  ASSERT_TRUE(sim_.SetHardAccess(false));
  EXPECT_FALSE(sim_.HardAccess());
  const double t1 = clock_.Now();
  sim_.Read(kLpt2, prData);
  EXPECT_DOUBLE_EQ(clock_.Now() - t1, 250);
  EXPECT_EQ(sim_.AccessCount(), 3u);
}

TEST_F(SimAdapterTest, RealClockIsBusyWaitedPerAccess) {
  SetClock(nullptr);
  sim_.SlowAccessNs = 20000;  // 20 µs
  const uint64_t t0 = Clock().NowNanoseconds();
  for (int i = 0; i < 10; ++i) sim_.Read(kLpt1, prStatus);
  EXPECT_GE(Clock().NowNanoseconds() - t0, 200000u);
  SetClock(&clock_);
}

TEST_F(SimAdapterTest, LogRecordsLineChangesStartStopAndBytes) {
  auto& regs = sim_.Add<TSimRegisterDevice>(4, uint8_t{0x40});
  TSimBusMaster m(sim_);
  sim_.Write(kLpt1, prData, 0x7F);  // adapter powered, trigger high
  sim_.ClearLog();
  ASSERT_TRUE(m.WriteMessage(0x40, {0x01, 0x99}));
  std::vector<TSimEventKind> kinds;
  uint64_t last = 0;
  for (const auto& e : sim_.Log()) {
    EXPECT_GE(e.TimeNs, last) << "log must be in time order";
    last = e.TimeNs;
    if (e.Kind != seLines) kinds.push_back(e.Kind);
  }
  EXPECT_EQ(kinds, (std::vector<TSimEventKind>{seStart, seByte, seByte, seByte, seStop}));
  EXPECT_EQ(sim_.BytesSeenBy(regs.Name()), (std::vector<uint8_t>{0x40, 0x01, 0x99}));
  // 9 clocks per byte, each a rise and a fall, plus start and stop edges.
  size_t lines = 0;
  for (const auto& e : sim_.Log()) lines += e.Kind == seLines;
  EXPECT_GE(lines, 3u * 18u);

  sim_.LogCapacity = 5;
  m.WriteMessage(0x40, {0x00});
  EXPECT_EQ(sim_.Log().size(), 5u);
  EXPECT_EQ(sim_.Log().back().Kind, seStop);
}

TEST_F(SimAdapterTest, StretchingDeviceHoldsSclUntilItsTimeIsUp) {
  auto& regs = sim_.Add<TSimRegisterDevice>(4, uint8_t{0x40});
  regs.StretchMicroseconds = 100;
  TSimBusMaster m(sim_);
  ASSERT_TRUE(m.Start());
  ASSERT_TRUE(m.Write(0x40));  // the acknowledge clock ends: the device stretches
  sim_.Write(kLpt1, prControl, 0x0C);
  EXPECT_EQ(sim_.Read(kLpt1, prStatus) & 0x08, 0x08) << "SCL held low by the device";
  clock_.Advance(100000);
  EXPECT_EQ(sim_.Read(kLpt1, prStatus) & 0x08, 0x00) << "SCL released after the stretch";
  m.Stop();

  // A stretch longer than a master waits: the master gives up, the line stays low.
  regs.StretchMicroseconds = 30000;
  m.StretchReads = 100;  // 100 reads of 1 µs
  ASSERT_TRUE(m.Start());
  m.Write(0x40);
  sim_.Write(kLpt1, prControl, 0x0C);
  for (int i = 0; i < 100; ++i) sim_.Read(kLpt1, prStatus);
  EXPECT_EQ(sim_.Read(kLpt1, prStatus) & 0x08, 0x08);
}

TEST_F(SimAdapterTest, NobodyAtAnAddressAndAbsentDevices) {
  auto& regs = sim_.Add<TSimRegisterDevice>(4, uint8_t{0x40});
  TSimBusMaster m(sim_);
  EXPECT_FALSE(m.WriteMessage(0x42, {}));
  EXPECT_TRUE(m.WriteMessage(0x40, {}));
  regs.Present = false;
  EXPECT_FALSE(m.WriteMessage(0x40, {}));
  EXPECT_EQ(Lines(), 0x80) << "the bus is left idle";
}

TEST_F(SimAdapterTest, DefaultSetAndUniqueNames) {
  sim_.AddDefaultDevices();
  ASSERT_EQ(sim_.Devices().size(), 3u);
  auto& again = sim_.Add<TSimEeprom>(256u, uint8_t{0xA0});
  EXPECT_NE(again.Name(), sim_.Devices()[0]->Name());
  EXPECT_EQ(sim_.Find(again.Name()), &again);
  TSimBusMaster m(sim_);
  EXPECT_TRUE(m.WriteMessage(0xA8, {}));
  EXPECT_TRUE(m.WriteMessage(0x40, {}));
}

}  // namespace
