// Readings of hex text and byte cells, and the checks of the settings rows.

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "app/bus/ByteText.h"
#include "eeprom/EEImage.h"
#include "platform/rtl/SysUtils.h"

namespace {

std::string ConversionMessage(const std::function<void()>& f) {
  try {
    f();
  } catch (const EConvertError& e) {
    return e.Message();
  }
  return "(no error)";
}

TEST(EEImage, LenientReadingNeverFails) {
  EXPECT_EQ(HexToInt("1F3"), 0x1F3u);
  EXPECT_EQ(HexToInt("1f3"), 0x1F3u);
  EXPECT_EQ(HexToInt(""), 0u);
  EXPECT_EQ(HexToInt("G1"), 1u);   // a non-digit counts 0 but keeps its place
  EXPECT_EQ(HexToInt("1G"), 16u);
  EXPECT_EQ(LenientByte("4"), 0x04);
  EXPECT_EQ(LenientByte(" a5 "), 0xA5);
  EXPECT_EQ(LenientByte(""), 0xFF);  // the byte-cell rule: blank is FF
  EXPECT_EQ(LenientByte("ZZ"), 0x00);
  EXPECT_EQ(LenientByte("123"), 0x23);
  EXPECT_EQ(CellByte(ekLarge, "XY"), 0x00);
}

TEST(EEImage, StrictReadingRefusesWhatIsNotAByte) {
  EXPECT_EQ(StrictByte("0a"), 0x0A);
  EXPECT_EQ(StrictByte("7"), 0x07);
  EXPECT_EQ(StrictByte(" FF"), 0xFF);
  EXPECT_EQ(ConversionMessage([] { StrictByte("ZZ"); }), "'$ZZ' is not a valid integer value");
  EXPECT_EQ(ConversionMessage([] { StrictByte(""); }), "'$' is not a valid integer value");
  EXPECT_EQ(ConversionMessage([] { StrictByte("123"); }), "'$123' is not a valid integer value");
  EXPECT_EQ(ConversionMessage([] { CellByte(ekSmall, "G"); }), "'$G' is not a valid integer value");
  EXPECT_EQ(StrictHexToInt("1A3"), 0x1A3);
  EXPECT_EQ(ConversionMessage([] { StrictHexToInt("1Q"); }), "'$1Q' is not a valid integer value");
}

TEST(EEImage, ImageFromCellsStopsAtTheFirstBadCellOfAStrictReading) {
  int asked = 0;
  const auto cells = [&](uint32_t a) {
    ++asked;
    return a == 5 ? std::string("Q1") : ByteCellText(static_cast<uint8_t>(a));
  };
  EXPECT_THROW(ImageFromCells(ekSmall, 16, cells), EConvertError);
  EXPECT_EQ(asked, 6);
  const TEEBytes lenient = ImageFromCells(ekLarge, 16, cells);
  ASSERT_EQ(lenient.size(), 16u);
  EXPECT_EQ(lenient[4], 4);
  EXPECT_EQ(lenient[5], 1);  // "Q1": Q counts 0
  EXPECT_EQ(lenient[15], 15);
}

TEST(EEImage, AsciiCellsShowPrintableCharactersOnly) {
  EXPECT_EQ(AsciiCellText('g'), "g");
  EXPECT_EQ(AsciiCellText(32), " ");
  EXPECT_EQ(AsciiCellText(126), "~");
  EXPECT_EQ(AsciiCellText(31), ".");
  EXPECT_EQ(AsciiCellText(127), ".");
  EXPECT_EQ(AsciiCellText(0xE9), ".");
}

TEST(EEImage, SizesBelongToTheirWindowKind) {
  TEEKind kind = ekLarge;
  for (uint32_t s : {16u, 128u, 256u, 512u, 1024u, 2048u}) {
    EXPECT_TRUE(EEKindOfSize(s, kind)) << s;
    EXPECT_EQ(kind, ekSmall) << s;
  }
  for (uint32_t s : {4096u, 8192u, 16384u, 32768u, 65536u}) {
    EXPECT_TRUE(EEKindOfSize(s, kind)) << s;
    EXPECT_EQ(kind, ekLarge) << s;
  }
  for (uint32_t s : {0u, 32u, 64u, 3000u, 131072u}) EXPECT_FALSE(EEKindOfSize(s, kind)) << s;
}

TEST(EEImage, PageSizeIsAListValueNotAboveTheDevice) {
  std::string message;
  EXPECT_EQ(EEPageSizeOf(ekLarge, 65536, "128", message), 128u);
  EXPECT_EQ(message, "");
  EXPECT_EQ(EEPageSizeOf(ekSmall, 2048, " 32 ", message), 32u);
  EXPECT_EQ(message, "");
  // Not in the list, above the device, not decimal, empty, zero: 8 and a message.
  struct Case { TEEKind kind; uint32_t size; const char* text; } refused[] = {
      {ekSmall, 2048, "64"}, {ekSmall, 16, "32"}, {ekLarge, 4096, "7"}, {ekLarge, 4096, "$10"},
      {ekLarge, 4096, ""},   {ekSmall, 256, "0"},  {ekSmall, 256, "-8"}, {ekLarge, 4096, "99999999999"}};
  for (const Case& c : refused) {
    EXPECT_EQ(EEPageSizeOf(c.kind, c.size, c.text, message), 8u) << c.text;
    EXPECT_FALSE(message.empty()) << c.text;
  }
  EXPECT_EQ(EEPageSizeMessage(ekSmall, 16), "Page Size must be one of 1, 8, 16: 8 is used");
  EXPECT_EQ(EEPageSizeMessage(ekLarge, 4096), "Page Size must be one of 1, 8, 16, 32, 64, 128: 8 is used");
  EXPECT_TRUE(EEPageSizeValid(ekSmall, 16, 16));
  EXPECT_FALSE(EEPageSizeValid(ekSmall, 2048, 64));
}

TEST(EEImage, WriteTimeIsAWholeNumberFromOneTo65535) {
  uint32_t ms = 77;
  std::string message;
  EXPECT_TRUE(EEWriteTimeOf("1", ms, message));
  EXPECT_EQ(ms, 1u);
  EXPECT_TRUE(EEWriteTimeOf(" 65535 ", ms, message));
  EXPECT_EQ(ms, 65535u);
  EXPECT_EQ(message, "");
  for (const char* bad : {"0", "65536", "-5", "", "5.5", "50ms", "$10", "999999"}) {
    ms = 77;
    EXPECT_FALSE(EEWriteTimeOf(bad, ms, message)) << bad;
    EXPECT_EQ(ms, 77u) << bad;  // the previous value stays
    EXPECT_EQ(message, EEWriteTimeMessage) << bad;
  }
}

TEST(EEImage, DeviceAddressIsStrictHexWithBitZeroCleared) {
  EXPECT_EQ(EEDeviceAddressOf("A0"), 0xA0);
  EXPECT_EQ(EEDeviceAddressOf("a3"), 0xA2);
  EXPECT_THROW(EEDeviceAddressOf("ZZ"), EConvertError);
  EXPECT_THROW(EEDeviceAddressOf(""), EConvertError);
  EXPECT_THROW(EEDeviceAddressOf("1A0"), EConvertError);
}

}  // namespace
