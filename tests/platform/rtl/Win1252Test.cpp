#include "platform/rtl/Win1252.h"

#include <gtest/gtest.h>

TEST(Win1252, EveryByteRoundTrips) {
  for (int b = 0; b < 256; ++b) {
    char16_t c = Win1252ToUnicodeChar(static_cast<unsigned char>(b));
    EXPECT_EQ(UnicodeToWin1252Char(c), b) << b;
  }
  EXPECT_EQ(Win1252ToUnicodeChar(0x80), u'\u20AC');
  EXPECT_EQ(Win1252ToUnicodeChar(0x9F), u'\u0178');
  EXPECT_EQ(Win1252ToUnicodeChar(0xE9), u'\u00E9');
  EXPECT_EQ(UnicodeToWin1252Char(0x0100), -1);
  EXPECT_EQ(UnicodeToWin1252Char(0x1F600), -1);
}

TEST(Win1252, StringConversions) {
  std::string bytes = "caf\xe9 \x80 \x93q\x94";
  std::string utf8 = Win1252ToUtf8(bytes);
  EXPECT_EQ(utf8, "caf\xc3\xa9 \xe2\x82\xac \xe2\x80\x9cq\xe2\x80\x9d");
  EXPECT_EQ(Utf8ToWin1252(utf8), bytes);
  EXPECT_EQ(UnicodeToWin1252(Win1252ToUnicode(bytes)), bytes);
  EXPECT_EQ(UnicodeToWin1252(u"a\u0100b"), "a?b");
  EXPECT_EQ(Utf8ToWin1252("a\xff" "b"), "a?b");
  EXPECT_EQ(Utf8ToWin1252("\xe2\x82"), "??");  // truncated sequence
}

TEST(Utf8, ValidationAndUtf16) {
  EXPECT_TRUE(IsValidUtf8("plain"));
  EXPECT_TRUE(IsValidUtf8("\xf0\x9f\x98\x80"));
  EXPECT_FALSE(IsValidUtf8("caf\xe9"));
  EXPECT_FALSE(IsValidUtf8("\xc0\xaf"));          // overlong
  EXPECT_FALSE(IsValidUtf8("\xed\xa0\x80"));      // surrogate
  EXPECT_FALSE(IsValidUtf8("\xf4\x90\x80\x80"));  // beyond U+10FFFF
  std::u16string w = Utf8ToUtf16("a\xf0\x9f\x98\x80");
  ASSERT_EQ(w.size(), 3u);
  EXPECT_EQ(w[1], 0xD83D);
  EXPECT_EQ(Utf16ToUtf8(w), "a\xf0\x9f\x98\x80");
  EXPECT_EQ(Utf16ToUtf8(u"\xD800x"), "\xef\xbf\xbdx");
}
