#include "app/bus/ByteText.h"

#include <gtest/gtest.h>

TEST(ByteText, LeavingACellTrimsThenPadsOnTheLeft) {
  EXPECT_EQ(NormalizeByteCell(" 5"), "05");
  EXPECT_EQ(NormalizeByteCell("5 "), "05");
  EXPECT_EQ(NormalizeByteCell(""), "00");
  EXPECT_EQ(NormalizeByteCell("   "), "00");
  EXPECT_EQ(NormalizeByteCell("ff"), "FF");
  EXPECT_EQ(NormalizeByteCell("a"), "0A");
  // Not a byte: handed back for the caller to refuse, never turned into one.
  EXPECT_EQ(NormalizeByteCell("G1"), "G1");
  EXPECT_EQ(NormalizeByteCell("123"), "123");
  EXPECT_FALSE(IsByteCellText(NormalizeByteCell("x")));
}

TEST(ByteText, ValuesOfCells) {
  EXPECT_EQ(ByteCellValue(""), 0xFF);
  EXPECT_EQ(ByteCellValue("  "), 0xFF);
  EXPECT_EQ(ByteCellValue("0"), 0x00);
  EXPECT_EQ(ByteCellValue("7f"), 0x7F);
  EXPECT_EQ(ByteCellValue(" A5 "), 0xA5);
  EXPECT_FALSE(ByteCellValue("1G").has_value());
  EXPECT_FALSE(ByteCellValue("100").has_value());
  EXPECT_FALSE(ByteCellValue("-1").has_value());
  EXPECT_FALSE(ByteCellValue("0x").has_value());
}

TEST(ByteText, EveryByteRoundTrips) {
  for (int v = 0; v < 256; ++v) {
    const std::string t = ByteCellText(static_cast<uint8_t>(v));
    ASSERT_EQ(t.size(), 2u);
    EXPECT_EQ(NormalizeByteCell(t), t);
    EXPECT_EQ(ByteCellValue(t), v);
  }
}
