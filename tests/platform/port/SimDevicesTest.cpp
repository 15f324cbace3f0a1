// Simulated EEPROMs and register device, driven bit by bit through the adapter.
#include <gtest/gtest.h>

#include "platform/port/SimAdapter.h"
#include "platform/port/SimMaster.h"
#include "platform/rtl/Clock.h"

namespace {

class SimBus : public ::testing::Test {
 protected:
  SimBus() : scope_(clock_), m_(sim_) { sim_.Open(); }
  TFakeClock clock_;
  TClockScope scope_;
  TSimulatedAdapter sim_;
  TSimBusMaster m_;
};

// Word-address bytes and the device address that select byte a of a part.
struct TTarget {
  uint8_t Device;
  std::vector<uint8_t> Word;
};

TTarget Target(const TSimEeprom& ee, uint32_t a) {
  if (ee.TwoByteAddress()) return {ee.DeviceAddress(), {uint8_t(a >> 8), uint8_t(a)}};
  return {uint8_t(ee.DeviceAddress() + 2 * (a / 256)), {uint8_t(a % 256)}};
}

class EepromKinds : public SimBus, public ::testing::WithParamInterface<uint32_t> {};

TEST_P(EepromKinds, PageWriteRollsOverAndSequentialReadCoversThePart) {
  const uint32_t size = GetParam();
  auto& ee = sim_.Add<TSimEeprom>(size, uint8_t{0xA0});
  const uint32_t page = ee.PageSize();
  EXPECT_EQ(page, TSimEeprom::RealPageSize(size));
  std::vector<uint8_t> expected(size, 0xFF);

  // Three bytes from the last byte of the second-to-last page: the part wraps
  // to the start of that page.
  const uint32_t pageBase = size - 2 * page;
  const uint32_t a = pageBase + page - 1;
  TTarget t = Target(ee, a);
  std::vector<uint8_t> message = t.Word;
  const uint8_t values[3] = {0x11, 0x22, 0x33};
  for (uint32_t i = 0; i < 3; ++i) {
    message.push_back(values[i]);
    expected[pageBase + (page - 1 + i) % page] = values[i];
  }
  ASSERT_TRUE(m_.WriteMessage(t.Device, message)) << size;

  // During the write cycle the part does not answer its address.
  EXPECT_FALSE(m_.WriteMessage(t.Device, {}));
  clock_.Advance(ee.WriteCycleMicroseconds * 1000.0);
  EXPECT_TRUE(m_.WriteMessage(t.Device, {}));

  // Random read of 0, then the whole part and one more byte in one sequence:
  // blocks are crossed and the address wraps to 0.
  TTarget zero = Target(ee, 0);
  ASSERT_TRUE(m_.WriteMessage(zero.Device, zero.Word, /*stop=*/false));
  bool acked = false;
  std::vector<uint8_t> got = m_.ReadMessage(zero.Device, size + 1, &acked);
  ASSERT_TRUE(acked);
  ASSERT_EQ(got.size(), size + 1);
  EXPECT_EQ(std::vector<uint8_t>(got.begin(), got.end() - 1), expected);
  EXPECT_EQ(got.back(), expected[0]);
  EXPECT_EQ(ee.Memory, expected);
  // A current-address read goes on where the sequence stopped.
  EXPECT_EQ(m_.ReadMessage(zero.Device, 1), std::vector<uint8_t>{expected[1]});
}

INSTANTIATE_TEST_SUITE_P(EverySizeOfTheDeviceMenu, EepromKinds,
                         ::testing::Values(16u, 128u, 256u, 512u, 1024u, 2048u, 4096u, 8192u, 16384u,
                                           32768u, 65536u));

TEST_F(SimBus, BlockBitsSelectTheBlocksOfSmallParts) {
  auto& ee512 = sim_.Add<TSimEeprom>(512u, uint8_t{0xA4});
  auto& ee256 = sim_.Add<TSimEeprom>(256u, uint8_t{0xA0});
  for (uint8_t dev : {0xA4, 0xA6, 0xA0}) EXPECT_TRUE(m_.WriteMessage(dev, {})) << int(dev);
  for (uint8_t dev : {0xA2, 0xA8, 0xAE}) EXPECT_FALSE(m_.WriteMessage(dev, {})) << int(dev);

  ASSERT_TRUE(m_.WriteMessage(0xA6, {0xA3, 0x5C}));  // byte 0x1A3
  EXPECT_EQ(ee512.Memory[0x1A3], 0x5C);
  EXPECT_EQ(ee512.Memory[0x0A3], 0xFF);
  EXPECT_EQ(ee256.Memory[0xA3], 0xFF);

  sim_.Add<TSimEeprom>(2048u, uint8_t{0xA8});  // the part's address pins are ignored: A0..AE
  clock_.Advance(10e6);
  int answering = 0;
  for (int dev = 0xA0; dev <= 0xAE; dev += 2) answering += m_.WriteMessage(uint8_t(dev), {});
  EXPECT_EQ(answering, 8);
}

TEST_F(SimBus, WriteIsProgrammedOnlyAtTheStop) {
  auto& ee = sim_.Add<TSimEeprom>(4096u, uint8_t{0xA0});
  ASSERT_TRUE(m_.WriteMessage(0xA0, {0x01, 0x00, 0x42}, /*stop=*/false));
  EXPECT_EQ(ee.Memory[0x100], 0xFF) << "nothing before the stop";
  // A repeated start abandons the write, as the real part does.
  bool acked = false;
  const auto got = m_.ReadMessage(0xA0, 1, &acked);
  EXPECT_TRUE(acked) << "no write cycle after an abandoned write";
  EXPECT_EQ(ee.Memory[0x100], 0xFF);
  EXPECT_FALSE(ee.Busy());
  // The address-only write sets the counter without starting a write cycle.
  ASSERT_TRUE(m_.WriteMessage(0xA0, {0x0F, 0xFF}));
  EXPECT_FALSE(ee.Busy());
  EXPECT_EQ(ee.CurrentAddress(), 0xFFFu);
}

TEST_F(SimBus, WriteCycleTimeIsConfigurable) {
  auto& ee = sim_.Add<TSimEeprom>(256u, uint8_t{0xA0});
  ee.WriteCycleMicroseconds = 10000;
  ASSERT_TRUE(m_.WriteMessage(0xA0, {0x00, 0x01}));
  clock_.Advance(9000e3);
  EXPECT_FALSE(m_.WriteMessage(0xA0, {}));
  clock_.Advance(1000e3);
  EXPECT_TRUE(m_.WriteMessage(0xA0, {}));
}

TEST_F(SimBus, NackedReadEndsTheTransferAndFreesTheBus) {
  auto& ee = sim_.Add<TSimEeprom>(256u, uint8_t{0xA0});
  ee.Memory[0] = 0x00;  // a 0 bit would hold SDA low if the part kept sending
  ASSERT_TRUE(m_.WriteMessage(0xA0, {0x00}, false));
  ASSERT_EQ(m_.ReadMessage(0xA0, 1), std::vector<uint8_t>{0x00});
  EXPECT_EQ(m_.LineStatus(), 0x80);
}

TEST_F(SimBus, RegisterDevicePointerAutoIncrementsAndWraps) {
  auto& regs = sim_.Add<TSimRegisterDevice>(4, uint8_t{0x40});
  ASSERT_TRUE(m_.WriteMessage(0x40, {0x02, 0xAA, 0xBB, 0xCC}));
  EXPECT_EQ(regs.Registers, (std::vector<uint8_t>{0xCC, 0x00, 0xAA, 0xBB}));
  EXPECT_EQ(regs.Pointer(), 1);
  ASSERT_TRUE(m_.WriteMessage(0x40, {0x03}, false));
  EXPECT_EQ(m_.ReadMessage(0x40, 3), (std::vector<uint8_t>{0xBB, 0xCC, 0x00}));
  // A pointer beyond the count wraps.
  ASSERT_TRUE(m_.WriteMessage(0x40, {0x06, 0x77}));
  EXPECT_EQ(regs.Registers[2], 0x77);
  EXPECT_EQ(sim_.BytesSeenBy(regs.Name()).front(), 0x40);
}

TEST(SimDeviceSetup, RefusesSizesAndPagesNoPartHas) {
  EXPECT_THROW(TSimEeprom(300u), std::invalid_argument);
  EXPECT_THROW(TSimEeprom(8u), std::invalid_argument);
  EXPECT_THROW(TSimEeprom(256u, 0xA0, 512u), std::invalid_argument);
  EXPECT_THROW(TSimEeprom(256u, 0xA0, 12u), std::invalid_argument);
  EXPECT_THROW(TSimRegisterDevice(0, 0x40), std::invalid_argument);
  EXPECT_THROW(TSimRegisterDevice(257, 0x40), std::invalid_argument);
  EXPECT_EQ(TSimEeprom(65536u).PageSize(), 128u);
  EXPECT_EQ(TSimEeprom(16u).PageSize(), 1u);
}

}  // namespace
