// TPortIO over the simulated adapter: inactive behaviour, guarded addresses,
// pins, the BIOS table and the access modes.
#include <gtest/gtest.h>

#include "app/bus/PortIO.h"
#include "platform/port/SimAdapter.h"
#include "platform/rtl/Clock.h"
#include "tests/platform/port/FakePortSystems.h"

namespace {

class PortIOTest : public ::testing::Test {
 protected:
  PortIOTest() : clockScope_(clock_), backendScope_(sim_), io_(nullptr) { sim_.AddDefaultDevices(); }
  bool Open() { return io_.OpenDriver("PortIODevice1"); }

  TFakeClock clock_;
  TClockScope clockScope_;
  TSimulatedAdapter sim_;
  TPortBackendScope backendScope_;
  TPortIO io_;
};

TEST_F(PortIOTest, InactiveComponentReadsFFAndLeavesNoTraceOfWrites) {
  EXPECT_FALSE(io_.ActiveHW());
  io_.SetHardAccess(false);  // stored while the form loads, before the driver opens
  EXPECT_FALSE(io_.HardAccess());
  io_.SetLPTNumber(1);
  io_.SetPortByte(0x378, 0x12);
  io_.SetPortByte(0x37A, 0x04);
  io_.SetPin(6, true);
  EXPECT_EQ(io_.GetPortByte(0x379), 0xFF);
  EXPECT_EQ(io_.GetPortByte(0x378), 0xFF);
  EXPECT_FALSE(io_.GetPin(12));
  EXPECT_EQ(sim_.AccessCount(), 0u);
  EXPECT_EQ(sim_.DataLatch(0), 0x00);
  const uint8_t* table = io_.MapPhysToLinear(0x408, 6);
  ASSERT_NE(table, nullptr);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(table[i], 0) << i;

  EXPECT_TRUE(Open());
  EXPECT_TRUE(io_.HardAccess()) << "opening sets the safe mode";
  EXPECT_TRUE(sim_.HardAccess());
  io_.CloseDriver();
  EXPECT_FALSE(io_.ActiveHW());
  EXPECT_TRUE(io_.HardAccess());
  const uint64_t before = sim_.AccessCount();
  EXPECT_EQ(io_.GetPortByte(0x379), 0xFF);
  io_.SetPortByte(0x378, 0x00);
  EXPECT_EQ(sim_.AccessCount(), before);
}

TEST_F(PortIOTest, BiosTableHoldsTheThreeBasesLittleEndian) {
  sim_.PortBases = {0x378, 0x278, 0x3BC};
  ASSERT_TRUE(Open());
  const uint8_t* t = io_.MapPhysToLinear(0x408, 6);
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(std::vector<uint8_t>(t, t + 6), (std::vector<uint8_t>{0x78, 0x03, 0x78, 0x02, 0xBC, 0x03}));
  // A wider window around the table: only the table's bytes are non-zero.
  const uint8_t* w = io_.MapPhysToLinear(0x400, 16);
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w[7], 0);
  EXPECT_EQ(w[8], 0x78);
  EXPECT_EQ(w[13], 0x03);
  EXPECT_EQ(w[14], 0);
  EXPECT_EQ(io_.MapPhysToLinear(0x408, 0), nullptr);
  EXPECT_EQ(io_.MapPhysToLinear(0, 0x100000), nullptr);
  ASSERT_NE(io_.MapPhysToLinear(0xFFFFFFFF, 2), nullptr) << "no overflow at the top of memory";
}

TEST_F(PortIOTest, OnlyRegistersOfKnownPortsAreTouched) {
  ASSERT_TRUE(Open());  // LPT1 0x378, LPT2 0x278, no LPT3
  const uint64_t before = sim_.AccessCount();
  for (uint16_t port : {0x0000, 0x0377, 0x037B, 0x0277, 0x027B, 0x03BC, 0x03BD, 0xFFFF}) {
    EXPECT_EQ(io_.GetPortByte(port), 0xFF) << port;
    io_.SetPortByte(port, 0x00);
  }
  EXPECT_EQ(sim_.AccessCount(), before) << "a guarded address reached the hardware";
  EXPECT_EQ(sim_.DataLatch(0), 0x00);

  io_.SetPortByte(0x378, 0x7F);
  io_.SetPortByte(0x27A, 0x04);
  io_.SetPortByte(0x379, 0x00);  // status is read only
  EXPECT_EQ(io_.GetPortByte(0x378), 0x7F);
  EXPECT_EQ(sim_.ControlLatch(1), 0x04);
  EXPECT_EQ(io_.GetPortByte(0x379) & 0x88, 0x80) << "idle bus on the adapter's port";
  EXPECT_EQ(io_.GetPortByte(0x279), 0x7F) << "open inputs on the bare port";
}

TEST_F(PortIOTest, OutputPinsChangeOnlyTheirDataBitsOnTheSelectedPort) {
  ASSERT_TRUE(Open());
  io_.SetPortByte(0x378, 0x00);
  io_.SetPortByte(0x278, 0xFF);
  io_.SetLPTNumber(1);
  const struct { uint8_t pin; uint8_t bit; } outs[] = {{6, 0x10}, {7, 0x20}, {8, 0x40}};
  for (const auto& o : outs) {
    io_.SetPin(o.pin, true);
    EXPECT_EQ(io_.GetPortByte(0x378), o.bit) << int(o.pin);
    EXPECT_TRUE(io_.GetPin(o.pin));
    io_.SetPin(o.pin, false);
    EXPECT_EQ(io_.GetPortByte(0x378), 0x00) << int(o.pin);
  }
  io_.SetLPTNumber(2);
  io_.SetPin(8, false);
  EXPECT_EQ(io_.GetPortByte(0x278), 0xBF);
  EXPECT_EQ(io_.GetPortByte(0x378), 0x00) << "the other port is untouched";
  for (uint8_t v : {0, 4, 255}) {
    io_.SetLPTNumber(v);  // ignored
    EXPECT_EQ(io_.LPTNumber(), 2);
  }
  // A port that does not exist: pins are inert.
  io_.SetLPTNumber(3);
  io_.SetPin(8, true);
  EXPECT_FALSE(io_.GetPin(8));
}

TEST_F(PortIOTest, InputPinsReadStatusBits) {
  ASSERT_TRUE(Open());
  io_.SetLPTNumber(1);
  io_.SetPortByte(0x378, 0x7F);
  EXPECT_TRUE(io_.GetPin(12));
  EXPECT_TRUE(io_.GetPin(13));
  io_.SetPin(6, false);  // the loop-back follows pin 6
  EXPECT_FALSE(io_.GetPin(12));
  EXPECT_FALSE(io_.GetPin(13));
  sim_.InputPin = false;
  EXPECT_FALSE(io_.GetPin(10));
  sim_.InputPin = true;
  EXPECT_TRUE(io_.GetPin(10));
  io_.SetPin(10, false);  // an input: ignored
  EXPECT_TRUE(io_.GetPin(10));
  // Pin 15 is status bit 3 (SCL low on the adapter); pin 11 is bit 7 inverted.
  io_.SetPortByte(0x37A, 0x04);
  EXPECT_TRUE(io_.GetPin(15));
  EXPECT_FALSE(io_.GetPin(11)) << "SDA high reads bit 7 set, pin 11 low";
  // Control pins: 17 inverted, 16 not.
  io_.SetPin(17, false);
  EXPECT_EQ(io_.GetPortByte(0x37A) & 0x08, 0x08);
  EXPECT_EQ(io_.GetPortByte(0x379) & 0x08, 0x00) << "SCL released by control bit 3";
  io_.SetPin(16, false);
  EXPECT_EQ(io_.GetPortByte(0x37A) & 0x04, 0x00);
  EXPECT_FALSE(io_.GetPin(18)) << "ground";
  EXPECT_FALSE(io_.GetPin(0));
}

TEST_F(PortIOTest, LoopBackFindsTheAdapterOnlyWhereItIs) {
  ASSERT_TRUE(Open());
  auto detect = [&](uint8_t lpt) {
    io_.SetLPTNumber(lpt);
    io_.SetPin(6, true);
    const bool high = io_.GetPin(12) && io_.GetPin(13);
    io_.SetPin(6, false);
    const bool low = !io_.GetPin(12) && !io_.GetPin(13);
    return high && low;
  };
  EXPECT_TRUE(detect(1));
  EXPECT_FALSE(detect(2));
  sim_.Faults.NoAdapter = true;
  EXPECT_FALSE(detect(1));
}

TEST_F(PortIOTest, AccessModeFollowsHardAccess) {
  ASSERT_TRUE(Open());
  io_.SetHardAccess(false);
  EXPECT_FALSE(io_.HardAccess());
  EXPECT_FALSE(sim_.HardAccess());
  const double t0 = clock_.Now();
  io_.GetPortByte(0x379);
  EXPECT_DOUBLE_EQ(clock_.Now() - t0, sim_.NormalAccessNs);
  io_.SetHardAccess(true);
  EXPECT_TRUE(sim_.HardAccess());
}

// A backend that cannot give direct access or cannot be opened.
class TStubbornBackend : public TSimulatedAdapter {
 public:
  bool Opens = true;
  std::string Name() const override { return "ppdev /dev/parport0"; }
  bool Open() override { return Opens && TSimulatedAdapter::Open(); }
  std::string LastError() const override { return error_; }
  bool SetHardAccess(bool hard) override {
    if (!hard) {
      error_ = "ioperm 0x378: Operation not permitted";
      return false;
    }
    return TSimulatedAdapter::SetHardAccess(true);
  }

 private:
  std::string error_;
};

TEST(PortIOBackends, RefusedNormalAccessStaysSlowWithTheReason) {
  TFakeClock clock;
  TClockScope cs(clock);
  TStubbornBackend b;
  TPortBackendScope scope(b);
  TPortIO io(nullptr);
  ASSERT_TRUE(io.OpenDriver("PortIODevice1"));
  EXPECT_EQ(io.BackendName(), "ppdev /dev/parport0");
  io.SetHardAccess(false);
  EXPECT_TRUE(io.HardAccess());
  EXPECT_EQ(io.LastSystemError(), "ioperm 0x378: Operation not permitted");
}

TEST(PortIOBackends, DriverThatCannotOpenIsNotActive) {
  TStubbornBackend b;
  b.Opens = false;
  TPortBackendScope scope(b);
  TPortIO io(nullptr);
  EXPECT_FALSE(io.OpenDriver("PortIODevice1"));
  EXPECT_FALSE(io.ActiveHW());
  EXPECT_EQ(io.GetPortByte(0x379), 0xFF);
  EXPECT_EQ(b.AccessCount(), 0u);
  EXPECT_EQ(io.ClassName(), "TPortIO");
}

TEST(PortIOBackends, TestRunsOpenTheSimulatedDefaultSet) {
  setenv("VELMARON_TEST", "1", 1);  // never the machine's ports nor the user's settings
  ASSERT_EQ(InstalledPortBackend(), nullptr);
  TPortIO io(nullptr);
  ASSERT_TRUE(io.OpenDriver("PortIODevice1"));
  EXPECT_EQ(io.BackendName(), "Simulated adapter");
  EXPECT_EQ(io.LastSystemError(), "");
  const uint8_t* t = io.MapPhysToLinear(0x408, 6);
  EXPECT_EQ(std::vector<uint8_t>(t, t + 6), (std::vector<uint8_t>{0x78, 0x03, 0x78, 0x02, 0, 0}));
  io.SetHardAccess(false);
  EXPECT_FALSE(io.HardAccess());
}

TEST(PortIOBackends, OwnerDestroysTheComponentAndItClosesTheDriver) {
  TSimulatedAdapter sim;
  TPortBackendScope scope(sim);
  {
    TComponent owner(nullptr);
    auto* io = new TPortIO(&owner);
    ASSERT_TRUE(io->OpenDriver("PortIODevice1"));
    EXPECT_TRUE(sim.IsOpen());
  }
  EXPECT_FALSE(sim.IsOpen());
}

TEST(PortIOBackends, PortAccessSaysWhatRunsAndWhy) {
  TFakeClock clock;
  TClockScope cs(clock);
  {
    // The simulation in place of a port.
    TSimulatedAdapter sim;
    TPortBackendScope scope(sim, kNoPortReason);
    TPortIO io(nullptr);
    ASSERT_TRUE(io.OpenDriver("PortIODevice1"));
    EXPECT_TRUE(io.Simulated());
    EXPECT_EQ(io.SimulatedReason(), "no parallel port on this machine");
    EXPECT_EQ(io.PortAccess().Kind, pakSimulated);
    EXPECT_EQ(io.PortAccess().Text, "Simulated adapter: no parallel port on this machine");
    EXPECT_EQ(io.Advice(), "");
  }
  {
    // A real port, claimed.
    TFakePpdev sys;
    TFakeDirect direct;
    sys.Devs["/dev/parport0"];
    TPpdevBackend ppdev(sys, direct);
    TPortBackendScope scope(ppdev);
    TPortIO io(nullptr);
    ASSERT_TRUE(io.OpenDriver("PortIODevice1"));
    EXPECT_FALSE(io.Simulated());
    EXPECT_EQ(io.PortAccess().Kind, pakHardware);
    EXPECT_EQ(io.PortAccess().Text, "Parallel port: ppdev /dev/parport0 (exclusive claim)");
  }
  {
    // A port that cannot be opened: no access, the reason and what to do.
    TFakePpdev sys;
    TFakeDirect direct;
    sys.Devs["/dev/parport0"].OpenError = EACCES;
    TPpdevBackend ppdev(sys, direct);
    TPortBackendScope scope(ppdev);
    TPortIO io(nullptr);
    EXPECT_FALSE(io.OpenDriver("PortIODevice1"));
    EXPECT_FALSE(io.Simulated());
    EXPECT_EQ(io.PortAccess().Kind, pakNone);
    EXPECT_EQ(io.PortAccess().Text, "No port access: /dev/parport0: Permission denied");
    EXPECT_EQ(io.LastSystemError(), "/dev/parport0: Permission denied");
    EXPECT_NE(io.Advice().find("udev rule"), std::string::npos) << io.Advice();
    EXPECT_EQ(io.GetPortByte(0x379), 0xFF);
    io.CloseDriver();
    EXPECT_EQ(io.LastSystemError(), "/dev/parport0: Permission denied") << "still readable once closed";
  }
}

}  // namespace
