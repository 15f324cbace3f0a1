// The EEPROM bus operations on the simulated adapter: the bus engine drives the
// adapter's registers, simulated EEPROMs answer edge by edge, and a fake clock
// makes every port access and the write-cycle waits cost simulated time.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "app/bus/I2CBus.h"
#include "app/bus/PortIO.h"
#include "eeprom/EEBusOps.h"
#include "platform/port/SimAdapter.h"
#include "platform/rtl/Clock.h"
#include "platform/rtl/SysUtils.h"

namespace {

// The engine's bus with a record of every call, the write-cycle wait spent on
// the fake clock at once, and faults to inject.
class TTestBus : public TEEEngineBus {
 public:
  TTestBus(TI2CBus& bus, TFakeClock& clock) : TEEEngineBus(bus), clock_(clock) {}

  std::vector<std::string> Calls;  // "S", "W:A0", "R0", "R1", "P", "T:5000"
  std::function<I2CStatus(int n)> StartFault;     // n-th start (1-based): non-zero replaces it
  std::function<I2CStatus(int n)> StopFault;      // n-th stop
  std::function<bool(int n, uint8_t& ack)> AckFault;  // n-th read: true = use `ack`
  int Starts = 0, Stops = 0, Reads = 0;

  I2CStatus Start() override {
    Calls.push_back("S");
    const I2CStatus real = TEEEngineBus::Start();
    if (StartFault)
      if (const I2CStatus f = StartFault(++Starts)) return f;
    return real;
  }
  I2CStatus Stop() override {
    Calls.push_back("P");
    const I2CStatus real = TEEEngineBus::Stop();
    if (StopFault)
      if (const I2CStatus f = StopFault(++Stops)) return f;
    return real;
  }
  uint8_t Write(uint8_t data) override {
    Calls.push_back("W:" + IntToHex(data, 2));
    return TEEEngineBus::Write(data);
  }
  uint8_t Read(uint8_t last, uint8_t& ack) override {
    Calls.push_back(last ? "R1" : "R0");
    const uint8_t v = TEEEngineBus::Read(last, ack);
    uint8_t forced = 0;
    if (AckFault && AckFault(++Reads, forced)) ack = forced;
    return v;
  }
  void Wait(int32_t us) override {
    Calls.push_back("T:" + std::to_string(us));
    clock_.Advance(us * 1000.0);
  }
  int Count(const std::string& call) const { return static_cast<int>(std::count(Calls.begin(), Calls.end(), call)); }

 private:
  TFakeClock& clock_;
};

// An EEPROM that stops acknowledging from the n-th byte written after its
// address in each transfer: 1 = the first word-address byte; a write-protected
// part acknowledges its word address and refuses the data.
class TNackingEeprom : public TSimEeprom {
 public:
  using TSimEeprom::TSimEeprom;
  int NackFromByte = 0;

 protected:
  void StartSeen() override {
    written_ = 0;
    TSimEeprom::StartSeen();
  }
  bool DataWritten(uint8_t value) override {
    if (NackFromByte && ++written_ >= NackFromByte) return false;
    return TSimEeprom::DataWritten(value);
  }

 private:
  int written_ = 0;
};

TEEBytes RandomImage(uint32_t size, uint32_t seed) {
  std::mt19937 rng(seed);
  TEEBytes b(size);
  for (auto& v : b) v = static_cast<uint8_t>(rng());
  return b;
}

class EEBusOps : public ::testing::Test {
 protected:
  TFakeClock clock;
  TClockScope clockScope{clock};
  TSimulatedAdapter sim;
  TPortBackendScope backendScope{sim};
  TPortIO port{nullptr};
  std::unique_ptr<TI2CBus> engine;
  std::unique_ptr<TTestBus> bus;
  std::vector<std::string> progress;

  EEBusOps() {
    clock.NanosecondsPerCounterRead = 1;
    sim.LogLines = false;
    port.OpenDriver("PortIODevice1");
    engine = std::make_unique<TI2CBus>(port, clock.CyclesPerMicrosecond);
    engine->LPTAddresses = sim.PortBases;
    // The adapter found on LPT1 without the calibration of a port selection,
    // and a line set by hand so that each bit wait is one call of the fake
    // delay loop: a written bit of about 10 µs, a read bit likewise, at 1 µs an access.
    engine->PortAddress = sim.PortBases[0];
    port.SetLPTNumber(1);
    engine->AdapterFound = engine->I2CDetect();
    clock.NanosecondsPerLoopTurn = 5;
    engine->DelayOffset = 4;
    engine->DelaySlope = 0.01;
    engine->DelayCount = 600;
    engine->ReadDelayOffset = 3;
    engine->ReadDelaySlope = 0.01;
    engine->ReadDelayCount = 466;
    bus = std::make_unique<TTestBus>(*engine, clock);
  }

  TEEBusOps Ops(TEEKind kind, uint32_t size, uint8_t address, uint32_t page, uint32_t writeTime = 5) {
    TEEBusOps ops(*bus, TEESettings{kind, size, address, page, writeTime});
    ops.OnProgress = [this](const std::string& t) { progress.push_back(t); };
    return ops;
  }
  bool BusReleased() const { return sim.Scl() && sim.Sda(); }
};

// ---------------------------------------------------------------- whole devices

struct TDeviceCase {
  TEEKind kind;
  uint32_t size;
  uint8_t address;
  uint32_t page;  // the window's page size
};

TEST_F(EEBusOps, WriteAllReadAllAndVerifyGiveBackTheBytesOfEveryDeviceSize) {
  const TDeviceCase cases[] = {
      {ekSmall, 16, 0xA0, 1},    {ekSmall, 256, 0xA0, 8},     {ekSmall, 2048, 0xA0, 16},
      {ekLarge, 32768, 0xA8, 64}, {ekLarge, 65536, 0xA4, 128}, {ekLarge, 4096, 0xA2, 8},
  };
  uint32_t seed = 1;
  for (const TDeviceCase& c : cases) {
    const std::string what = std::to_string(c.size);
    auto& ee = sim.Add<TSimEeprom>(c.size, c.address);  // the real part's page size
    const TEEBytes image = RandomImage(c.size, seed++);
    TEEBusOps ops = Ops(c.kind, c.size, c.address, c.page);
    std::optional<TEEMismatch> mismatch;
    EXPECT_EQ(ops.WriteAll(image, &mismatch), EEWriteVerified) << what;
    EXPECT_FALSE(mismatch) << what;
    EXPECT_EQ(ops.PagesWritten(), c.size / c.page) << what;
    EXPECT_EQ(ee.Memory, image) << what;

    TEEBytes read;
    EXPECT_EQ(ops.ReadAll(read), 0) << what;
    EXPECT_EQ(read, image) << what;
    EXPECT_EQ(ops.Verify(image), 0) << what;
    EXPECT_EQ(EEVerifyButtonCode(ops.Verify(image)), EEVerified) << what;
    EXPECT_TRUE(BusReleased()) << what;
    ee.Present = false;  // out of the way of the next case
  }
}

TEST_F(EEBusOps, SmallDevicesCarryTheBlockNumberInTheDeviceAddress) {
  auto& ee = sim.Add<TSimEeprom>(2048u, uint8_t{0xA0});
  const TEEBytes image = RandomImage(2048, 9);
  TEEBusOps ops = Ops(ekSmall, 2048, 0xA0, 16);
  ASSERT_EQ(ops.WriteAll(image), EEWriteVerified);
  EXPECT_EQ(ee.Memory, image);
  // Each page: start, the block's address, the word address restarting at 0 per block.
  std::vector<std::string> heads;
  for (size_t i = 0; i + 2 < bus->Calls.size(); ++i)
    if (bus->Calls[i] == "S" && bus->Calls[i + 1] != "W:A1")
      heads.push_back(bus->Calls[i + 1] + " " + bus->Calls[i + 2]);
  std::vector<std::string> expected;
  for (int b = 0; b < 8; ++b)
    for (int p = 0; p < 16; ++p) expected.push_back("W:" + IntToHex(0xA0 + 2 * b, 2) + " W:" + IntToHex(p * 16, 2));
  expected.push_back("W:A0 W:00");  // Verify: one word-address byte, then one read across every block
  EXPECT_EQ(heads, expected);

  // Read Byte at 0x1A3 addresses block 1.
  bus->Calls.clear();
  uint8_t v = 0;
  ASSERT_EQ(ops.ReadByte(0x1A3, v), 0);
  EXPECT_EQ(v, image[0x1A3]);
  EXPECT_EQ(bus->Calls, (std::vector<std::string>{"S", "W:A2", "W:A3", "S", "W:A3", "R1", "P"}));
}

TEST_F(EEBusOps, LargeDevicesTakeTwoWordAddressBytesHighFirst) {
  auto& ee = sim.Add<TSimEeprom>(8192u, uint8_t{0xA8});
  ee.Memory[0x1234] = 0x5C;
  TEEBusOps ops = Ops(ekLarge, 8192, 0xA9, 32);  // bit 0 of the row is cleared
  uint8_t v = 0;
  ASSERT_EQ(ops.ReadByte(0x1234, v), 0);
  EXPECT_EQ(v, 0x5C);
  EXPECT_EQ(bus->Calls, (std::vector<std::string>{"S", "W:A8", "W:12", "W:34", "S", "W:A9", "R1", "P"}));

  bus->Calls.clear();
  ASSERT_EQ(ops.WriteByte(0x1FFF, 0x3E), 0);
  EXPECT_EQ(bus->Calls, (std::vector<std::string>{"S", "W:A8", "W:1F", "W:FF", "W:3E", "P"}));  // no wait
  EXPECT_EQ(ee.Memory[0x1FFF], 0x3E);
  EXPECT_THROW(ops.ReadByte(8192, v), EInvalidOperation);
}

TEST_F(EEBusOps, WriteByteIsFollowedByNoWaitSoTheBusyPartRefusesItsAddress) {
  auto& ee = sim.Add<TSimEeprom>(256u, uint8_t{0xA0});
  ee.WriteCycleMicroseconds = 5000;
  TEEBusOps ops = Ops(ekSmall, 256, 0xA0, 8);
  ASSERT_EQ(ops.WriteByte(0x10, 0x77), 0);
  uint8_t v = 0;
  EXPECT_EQ(ops.ReadByte(0x10, v), EEAddressNack);
  bus->Wait(5000);
  EXPECT_EQ(ops.ReadByte(0x10, v), 0);
  EXPECT_EQ(v, 0x77);
}

TEST_F(EEBusOps, CellsOfAnySpellingVerifyAsTheWriterWroteThem) {
  // One-digit, lower-case, blank and (large window) non-hex cells: Verify
  // compares what the writer wrote, so a good write never reports 153.
  const char* const spellings[] = {"4", " a", "", "0f", "zz", "C3"};
  const auto cells = [&](uint32_t a) { return std::string(spellings[a % 6]); };
  auto& large = sim.Add<TSimEeprom>(4096u, uint8_t{0xA8});
  const TEEBytes image = ImageFromCells(ekLarge, 4096, cells);
  EXPECT_EQ(Ops(ekLarge, 4096, 0xA8, 32).WriteAll(image), EEWriteVerified);
  EXPECT_EQ(TEEBytes(large.Memory.begin(), large.Memory.begin() + 6),
            (TEEBytes{0x04, 0x0A, 0xFF, 0x0F, 0x00, 0xC3}));

  const char* const strict[] = {"4", " a", "0f", "C3"};
  auto& small = sim.Add<TSimEeprom>(128u, uint8_t{0xA0});
  const TEEBytes bytes = ImageFromCells(ekSmall, 128, [&](uint32_t a) { return std::string(strict[a % 4]); });
  EXPECT_EQ(Ops(ekSmall, 128, 0xA0, 8).WriteAll(bytes), EEWriteVerified);
  EXPECT_EQ(TEEBytes(small.Memory.begin(), small.Memory.begin() + 4), (TEEBytes{0x04, 0x0A, 0x0F, 0xC3}));
}

// ---------------------------------------------------------------- write cycle and pages

TEST_F(EEBusOps, EachPageIsFollowedByTheWriteTimeAndVerifyWaitsItFirst) {
  sim.Add<TSimEeprom>(256u, uint8_t{0xA0});
  TEEBusOps ops = Ops(ekSmall, 256, 0xA0, 8, 7);
  ASSERT_EQ(ops.WriteAll(TEEBytes(256, 0x12)), EEWriteVerified);
  EXPECT_EQ(EECycleTime(ekSmall), 7000);
  EXPECT_EQ(bus->Count("T:7000"), 32 + 1);
  // The wait after each page's stop; Verify's before its start.
  for (size_t i = 1; i + 1 < bus->Calls.size(); ++i)
    if (bus->Calls[i] == "T:7000") {
      const std::string& before = bus->Calls[i - 1];
      const std::string& after = bus->Calls[i + 1];
      EXPECT_TRUE(before == "P" || (before == "T:7000" && after == "S")) << i << " " << before << " " << after;
    }
  // The large kind keeps its own cycle time.
  EXPECT_NE(EECycleTime(ekLarge), 7000);
}

TEST_F(EEBusOps, AWriteTimeOfZeroStillWaitsAMillisecond) {
  sim.Add<TSimEeprom>(16u, uint8_t{0xA0}, 8u).WriteCycleMicroseconds = 1000;  // a fast part
  EXPECT_EQ(Ops(ekSmall, 16, 0xA0, 8, 0).WriteAll(TEEBytes(16, 3)), EEWriteVerified);
  EXPECT_EQ(EECycleTime(ekSmall), 1000);
  EXPECT_EQ(bus->Count("T:0"), 0);
  EXPECT_EQ(bus->Count("T:1000"), 2 + 1);
}

TEST_F(EEBusOps, AWriteTimeShorterThanThePartsWriteCycleMeetsItsNack) {
  auto& ee = sim.Add<TSimEeprom>(4096u, uint8_t{0xA0});
  ee.WriteCycleMicroseconds = 5000;
  const TEEBytes image = RandomImage(4096, 4);
  TEEBusOps quick = Ops(ekLarge, 4096, 0xA0, 32, 1);
  EXPECT_EQ(quick.WriteAll(image), EEAddressNack);
  EXPECT_EQ(quick.PagesWritten(), 1u);
  EXPECT_TRUE(std::equal(image.begin(), image.begin() + 32, ee.Memory.begin()));
  EXPECT_EQ(ee.Memory[32], 0xFF);
  EXPECT_TRUE(BusReleased());

  bus->Wait(5000);  // the first page's write cycle
  TEEBusOps enough = Ops(ekLarge, 4096, 0xA0, 32, 5);
  EXPECT_EQ(enough.WriteAll(image), EEWriteVerified);
  EXPECT_EQ(ee.Memory, image);
}

TEST_F(EEBusOps, APageLargerThanThePartsRollsOverAndVerifyCatchesIt) {
  sim.Add<TSimEeprom>(256u, uint8_t{0xA0}, 8u);
  TEEBytes image(256);
  for (uint32_t a = 0; a < 256; ++a) image[a] = static_cast<uint8_t>(a);
  TEEBusOps ops = Ops(ekSmall, 256, 0xA0, 16);
  std::optional<TEEMismatch> m;
  EXPECT_EQ(ops.WriteAll(image, &m), EEVerifyError);
  ASSERT_TRUE(m);
  // Bytes 8..15 of each window page wrapped onto 0..7 of the part's page.
  EXPECT_EQ(m->Address, 0u);
  EXPECT_EQ(m->Read, 8);
  EXPECT_EQ(m->Expected, 0);
  EXPECT_EQ(EEVerifyFailText(*m), "Device failed Verify at Address 0x00\rRead value=0x08\rCorrect value=0x00");
}

TEST_F(EEBusOps, VerifyReportsTheFirstDifferenceOnly) {
  auto& ee = sim.Add<TSimEeprom>(32768u, uint8_t{0xA8});
  const TEEBytes image(32768, 0xFF);
  EECycleTime(ekLarge) = 100;
  ee.Memory[0x4242] = 0xFE;
  ee.Memory[0x5000] = 0x00;
  TEEBusOps ops = Ops(ekLarge, 32768, 0xA8, 64);
  std::optional<TEEMismatch> m;
  EXPECT_EQ(ops.Verify(image, &m), EEVerifyError);
  ASSERT_TRUE(m);
  EXPECT_EQ(EEVerifyFailText(*m), "Device failed Verify at Address 0x4242\rRead value=0xFE\rCorrect value=0xFF");
  EXPECT_EQ(bus->Calls.front(), "T:100");
  EXPECT_EQ(progress, std::vector<std::string>{" Verifying...please wait"});
  EXPECT_EQ(EEVerifyButtonCode(EEVerifyError), EEVerifyError);
}

// ---------------------------------------------------------------- faults

TEST_F(EEBusOps, AMissingDeviceGivesAddressNotAcknowledgedEverywhere) {
  sim.Add<TSimEeprom>(256u, uint8_t{0xA0});
  TEEBusOps ops = Ops(ekSmall, 256, 0xA4, 8);
  uint8_t v = 0x5A;
  TEEBytes image;
  EXPECT_EQ(ops.ReadByte(3, v), EEAddressNack);
  EXPECT_EQ(v, 0x5A);
  EXPECT_EQ(ops.WriteByte(3, 1), EEAddressNack);
  EXPECT_EQ(ops.ReadAll(image), EEAddressNack);
  EXPECT_EQ(ops.WriteAll(TEEBytes(256, 0)), EEAddressNack);
  EXPECT_EQ(ops.PagesWritten(), 0u);
  EXPECT_EQ(ops.Verify(TEEBytes(256, 0)), EEAddressNack);
  EXPECT_EQ(bus->Count("R0") + bus->Count("R1"), 0);
  EXPECT_EQ(bus->Count("S"), bus->Count("P"));  // every sequence ends with its stop
  EXPECT_TRUE(BusReleased());
}

TEST_F(EEBusOps, StuckLinesAndAMissingAdapterGiveTheirCodes) {
  sim.Add<TSimEeprom>(256u, uint8_t{0xA0});
  TEEBusOps ops = Ops(ekSmall, 256, 0xA0, 8);
  struct Case { bool sda, scl; I2CStatus code; } cases[] = {{true, false, 8}, {false, true, 128}, {true, true, 4}};
  for (const Case& c : cases) {
    sim.Faults.SdaStuckLow = c.sda;
    sim.Faults.SclStuckLow = c.scl;
    TEEBytes image;
    uint8_t v = 0;
    EXPECT_EQ(ops.ReadAll(image), c.code);
    EXPECT_EQ(ops.WriteAll(TEEBytes(256, 0)), c.code);
    EXPECT_EQ(ops.Verify(TEEBytes(256, 0)), c.code);
    EXPECT_EQ(ops.ReadByte(0, v), c.code);
    EXPECT_EQ(ops.WriteByte(0, 0), c.code);
  }
  sim.Faults = {};
  uint8_t v = 0;
  EXPECT_EQ(ops.ReadByte(0, v), 0);  // usable again

  sim.AdapterPort = 0;
  engine->AdapterFound = false;
  TEEBytes image;
  EXPECT_EQ(ops.ReadAll(image), 255);
  EXPECT_EQ(ops.WriteAll(TEEBytes(256, 0)), 255);
}

TEST_F(EEBusOps, AWriteProtectedPartRefusesItsDataWithCodeTwo) {
  auto& ee = sim.Add<TNackingEeprom>(4096u, uint8_t{0xA0});
  ee.NackFromByte = 3;  // two word-address bytes acknowledged, data refused
  TEEBusOps ops = Ops(ekLarge, 4096, 0xA0, 32);
  EXPECT_EQ(ops.WriteAll(RandomImage(4096, 2)), EEDataNack);
  EXPECT_EQ(ops.PagesWritten(), 0u);
  EXPECT_EQ(ops.WriteByte(5, 0), EEDataNack);
  EXPECT_EQ(ee.Memory, TEEBytes(4096, 0xFF));
  TEEBytes image;
  EXPECT_EQ(ops.ReadAll(image), 0);  // reading still works
  EXPECT_EQ(image, TEEBytes(4096, 0xFF));
  EXPECT_TRUE(BusReleased());
}

TEST_F(EEBusOps, AWordAddressNotAcknowledgedGivesCodeTwoEverywhere) {
  auto& ee = sim.Add<TNackingEeprom>(256u, uint8_t{0xA0});
  ee.NackFromByte = 1;
  TEEBusOps ops = Ops(ekSmall, 256, 0xA0, 8);
  TEEBytes image;
  uint8_t v = 0;
  EXPECT_EQ(ops.ReadAll(image), EEDataNack);
  EXPECT_EQ(ops.WriteAll(TEEBytes(256, 0)), EEDataNack);
  EXPECT_EQ(ops.Verify(TEEBytes(256, 0)), EEDataNack);
  EXPECT_EQ(ops.WriteByte(0, 0), EEDataNack);
  EXPECT_EQ(ops.ReadByte(0, v), EEDataNack);
}

TEST_F(EEBusOps, AFailedPageStopEndsTheWriteWithItsCodeAndNoVerify) {
  sim.Add<TSimEeprom>(256u, uint8_t{0xA0});
  TEEBusOps ops = Ops(ekSmall, 256, 0xA0, 8);
  bus->StopFault = [](int n) -> I2CStatus { return n == 32 ? 254 : 0; };  // the last page's stop
  EXPECT_EQ(ops.WriteAll(TEEBytes(256, 0)), 254);
  EXPECT_EQ(bus->Count("R0") + bus->Count("R1"), 0);
  EXPECT_EQ(bus->Calls.back(), "P");  // a further stop
  EXPECT_EQ(bus->Count("P"), 33);

  bus->Wait(5000);  // the last page's write cycle
  bus->Calls.clear();
  bus->Stops = 0;
  bus->StopFault = [](int n) -> I2CStatus { return n == 3 ? 4 : 0; };
  EXPECT_EQ(ops.WriteAll(TEEBytes(256, 0)), 4);
  EXPECT_EQ(ops.PagesWritten(), 2u);
}

TEST_F(EEBusOps, AWrongAcknowledgeLevelEndsTheReadWithCodeThree) {
  sim.Add<TSimEeprom>(4096u, uint8_t{0xA0});
  TEEBusOps ops = Ops(ekLarge, 4096, 0xA0, 32);
  std::vector<uint32_t> delivered;
  const auto onByte = [&](uint32_t a, uint8_t) { delivered.push_back(a); };
  bus->AckFault = [](int n, uint8_t& ack) {
    ack = 128;
    return n == 100;
  };
  TEEBytes image;
  EXPECT_EQ(ops.ReadAll(image, onByte), EEReadAckWrong);
  EXPECT_EQ(delivered.size(), 99u);  // the bytes read before it stay
  EXPECT_EQ(bus->Calls.back(), "P");
  EXPECT_TRUE(BusReleased());

  // The last byte must come without acknowledge.
  delivered.clear();
  bus->Reads = 0;
  bus->AckFault = [](int n, uint8_t& ack) {
    ack = 0;
    return n == 4096;
  };
  EXPECT_EQ(ops.ReadAll(image, onByte), EEReadAckWrong);
  EXPECT_EQ(delivered.size(), 4095u);
}

TEST_F(EEBusOps, LargeReadAllHandsOverTheLastByteOnlyAfterTheStop) {
  auto& ee = sim.Add<TSimEeprom>(4096u, uint8_t{0xA0});
  ee.Memory = RandomImage(4096, 3);
  TEEBusOps ops = Ops(ekLarge, 4096, 0xA0, 32);
  TEEBytes got(4096, 0);
  const auto onByte = [&](uint32_t a, uint8_t v) {
    got[a] = v;
    bus->Calls.push_back("byte " + std::to_string(a));
  };
  TEEBytes image;
  ASSERT_EQ(ops.ReadAll(image, onByte), 0);
  EXPECT_EQ(got, ee.Memory);
  ASSERT_GE(bus->Calls.size(), 3u);
  EXPECT_EQ(bus->Calls[bus->Calls.size() - 1], "byte 4095");
  EXPECT_EQ(bus->Calls[bus->Calls.size() - 2], "P");
  EXPECT_EQ(bus->Calls[bus->Calls.size() - 3], "R1");
  EXPECT_EQ(progress, std::vector<std::string>{"  Reading EEPROM...please wait"});

  progress.clear();
  sim.Add<TSimEeprom>(256u, uint8_t{0xA4});
  TEEBusOps small = Ops(ekSmall, 256, 0xA4, 8);
  EXPECT_EQ(small.ReadAll(image), 0);
  EXPECT_TRUE(progress.empty());  // the small window shows no reading text
}

TEST_F(EEBusOps, ABusRefusedDuringTheWarningFlashEndsTheOperation) {
  sim.Add<TSimEeprom>(256u, uint8_t{0xA0});
  TEEBusOps ops = Ops(ekSmall, 256, 0xA0, 8);
  bus->StartFault = [](int) -> I2CStatus { return 253; };
  TEEBytes image;
  EXPECT_EQ(ops.ReadAll(image), 253);
  EXPECT_EQ(ops.WriteAll(TEEBytes(256, 0)), 253);
  EXPECT_EQ(bus->Count("W:A0"), 0);
}

// ---------------------------------------------------------------- progress

std::string Dots(int n) {
  std::string s = "  Writing";
  for (int i = 0; i < n; ++i) s += " .";
  return s;
}

TEST_F(EEBusOps, LargeProgressShowsSixteenDotsWhateverThePageCount) {
  sim.Add<TSimEeprom>(4096u, uint8_t{0xA0}, 128u);
  for (uint32_t page : {8u, 128u, 1u}) {
    progress.clear();
    TEEBusOps ops = Ops(ekLarge, 4096, 0xA0, page);
    ASSERT_EQ(ops.WriteAll(TEEBytes(4096, static_cast<uint8_t>(page))), EEWriteVerified) << page;
    EXPECT_EQ(ops.ProgressText(), Dots(16)) << page;
    ASSERT_EQ(progress.size(), 18u) << page;  // "  Writing", 16 dots, verifying
    EXPECT_EQ(progress.front(), Dots(0));
    EXPECT_EQ(progress[1], Dots(1));
    EXPECT_EQ(progress.back(), " Verifying...please wait");
  }
  // Fewer than 16 pages: a dot per page instead of a division by zero.
  progress.clear();
  TEEBusOps few = Ops(ekLarge, 4096, 0xA0, 512);
  few.WriteAll(TEEBytes(4096, 0));
  EXPECT_EQ(few.PagesWritten(), 8u);
  EXPECT_EQ(few.ProgressText(), Dots(8));
}

TEST_F(EEBusOps, SmallProgressRestartsPerBlockAndShowsEveryPage) {
  sim.Add<TSimEeprom>(2048u, uint8_t{0xA0});
  TEEBusOps ops = Ops(ekSmall, 2048, 0xA0, 16);
  ASSERT_EQ(ops.WriteAll(TEEBytes(2048, 1)), EEWriteVerified);
  ASSERT_EQ(progress.size(), 1u + 128u + 1u);
  EXPECT_EQ(progress[1], Dots(1));
  EXPECT_EQ(progress[16], Dots(16));
  EXPECT_EQ(progress[17], Dots(1));  // block 1 starts again
  EXPECT_EQ(progress[128], Dots(16));

  progress.clear();
  sim.Add<TSimEeprom>(256u, uint8_t{0xB0});
  TEEBusOps eight = Ops(ekSmall, 256, 0xB0, 8);
  ASSERT_EQ(eight.WriteAll(TEEBytes(256, 1)), EEWriteVerified);
  ASSERT_EQ(progress.size(), 1u + 32u + 1u);
  EXPECT_EQ(progress[1], Dots(0));  // page ends at 8: no dot yet, text shown
  EXPECT_EQ(progress[2], Dots(1));
  EXPECT_EQ(progress[32], Dots(16));
}

}  // namespace
