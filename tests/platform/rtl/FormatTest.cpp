#include "platform/rtl/SysUtils.h"

#include <gtest/gtest.h>

TEST(Format, IntegersStringsAndWidths) {
  EXPECT_EQ(Format("%d items", {3}), "3 items");
  EXPECT_EQ(Format("%5d|%-5d|", {42, 42}), "   42|42   |");
  EXPECT_EQ(Format("%.4d", {-7}), "-0007");
  EXPECT_EQ(Format("%x %.2x %X", {255, 10, 3054}), "FF 0A BEE");
  EXPECT_EQ(Format("%x", {-1}), "FFFFFFFF");
  EXPECT_EQ(Format("%u", {-1}), "4294967295");
  EXPECT_EQ(Format("%s=%s", {"a", std::string("b")}), "a=b");
  EXPECT_EQ(Format("%.2s", {"abcdef"}), "ab");
  EXPECT_EQ(Format("%s", {'c'}), "c");
  EXPECT_EQ(Format("100%%", {}), "100%");
  EXPECT_EQ(Format("%*d", {4, 1}), "   1");
  EXPECT_EQ(Format("%-*d|", {3, 1}), "1  |");
  EXPECT_EQ(Format("%1:s %0:s %s", {"a", "b"}), "b a b");
  EXPECT_EQ(Format("%d", {int64_t{1} << 40}), "1099511627776");
  EXPECT_EQ(Format("%d", {static_cast<size_t>(7)}), "7");
}

TEST(Format, FloatsFollowTheLocale) {
  TFormatSettingsScope scope;
  EXPECT_EQ(Format("%f", {1.0 / 3}), "0.33");
  EXPECT_EQ(Format("%.3f", {2.0}), "2.000");
  EXPECT_EQ(Format("%8.1f|", {-3.25}), "    -3.3|");  // exact halves round away from zero
  EXPECT_EQ(Format("%n", {1234567.891}), "1,234,567.89");
  EXPECT_EQ(Format("%g", {0.5}), "0.5");
  EXPECT_EQ(Format("%e", {1234.5}), "1.23450000000000E+003");
  EXPECT_EQ(Format("%.3e", {1234.5}), "1.23E+003");
  EXPECT_EQ(Format("%m", {3.5}), "$3.50");
  EXPECT_EQ(Format("%f", {2}), "2.00");
  FormatSettings.DecimalSeparator = ',';
  FormatSettings.ThousandSeparator = ' ';
  EXPECT_EQ(Format("%.1f", {2.5}), "2,5");
  EXPECT_EQ(Format("%n", {1234.5}), "1 234,50");
}

TEST(Format, CallerFormatsNeverReadPastTheArguments) {
  EXPECT_THROW(Format("%d %d", {1}), EConvertError);
  EXPECT_THROW(Format("%s", {}), EConvertError);
  EXPECT_THROW(Format("%d", {"text"}), EConvertError);
  EXPECT_THROW(Format("%s", {5}), EConvertError);
  EXPECT_THROW(Format("%d", {2.5}), EConvertError);
  EXPECT_THROW(Format("%p", {5}), EConvertError);
  EXPECT_THROW(Format("%q", {5}), EConvertError);
  EXPECT_THROW(Format("abc %", {5}), EConvertError);
  EXPECT_THROW(Format("%5:d", {1}), EConvertError);
  EXPECT_THROW(Format("%*d", {"w", 1}), EConvertError);
  EXPECT_THROW(Format("%99999999999d", {1}), EConvertError);
  EXPECT_THROW(Format("%*d", {1 << 30, 1}), EConvertError);
  try {
    Format("%d %d", {1});
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "No argument for format '%d %d'");
  }
  try {
    Format("%d", {"x"});
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "Format '%d' invalid or incompatible with argument");
  }
}
