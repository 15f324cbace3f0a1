// String tools, codecs and text classification of the grid's utility routines.
#include <gtest/gtest.h>

#include "controls/grid/ExtUtil.h"
#include "tests/controls/grid/GridTestLocales.h"

using namespace ExtUtil;

TEST(ExtUtilStrings, ClampSizeIgnoresBoundsOfZeroAndEqualBounds) {
  EXPECT_EQ(ClampSize(50, 10, 40), 40);
  EXPECT_EQ(ClampSize(5, 10, 40), 10);
  EXPECT_EQ(ClampSize(25, 10, 40), 25);
  EXPECT_EQ(ClampSize(500, 0, 0), 500);   // equal bounds: no limit
  EXPECT_EQ(ClampSize(500, 30, 30), 500);
  EXPECT_EQ(ClampSize(500, 10, 0), 500);  // a max of 0 is no max
  EXPECT_EQ(ClampSize(-5, 0, 40), -5);    // a min of 0 is no min
}

TEST(ExtUtilStrings, PositionsAreZeroBasedAndMinusOneWhenAbsent) {
  int pos = 99;
  EXPECT_EQ(CharPos('c', "abcabc"), 2);
  EXPECT_EQ(CharPos('z', "abc"), -1);
  EXPECT_EQ(VarCharPos('b', "abc", pos), 1);
  EXPECT_EQ(pos, 1);
  EXPECT_EQ(VarCharPos('z', "abc", pos), -1);
  EXPECT_EQ(pos, -1);
  EXPECT_EQ(VarPos("ca", "abcabc", pos), 2);
  EXPECT_EQ(pos, 2);
  EXPECT_EQ(WidePos(u"ß", u"straße"), 4);
  EXPECT_EQ(WidePos(u"", u"abc"), -1);
  EXPECT_EQ(WidePos(u"a", u""), -1);
  EXPECT_EQ(WidePos(u"x", u"abc"), -1);
}

TEST(ExtUtilStrings, UpperPosUpperCasesOnlyTheText) {
  EXPECT_EQ(UpperPos("BC", "abcd"), 1);
  EXPECT_EQ(UpperPos("bc", "abcd"), -1);  // the substring is taken as given
  EXPECT_EQ(UpperPos("", "abc"), -1);
  // UTF-8 text is upper-cased by character, so positions still point into the original.
  const std::string utf8 = "caf\xC3\xA9 cr\xC3\xA8me";  // "café crème"
  EXPECT_EQ(UpperPos("\xC3\x88ME", utf8), 8);           // "ÈME"
  // Windows-1252 text by byte.
  EXPECT_EQ(UpperPos("\xC9T\xC9", "l'\xE9t\xE9"), 2);   // "ÉTÉ" in "l'été"
  // The euro sign's UTF-8 lead byte is a Windows-1252 letter ("\xE2"); upper-casing it
  // by byte would make a "\xC2" that the text does not hold.
  EXPECT_EQ(UpperPos("X", "\xE2\x82\xACx"), 3);
  EXPECT_EQ(UpperPos("\xC2", "\xE2\x82\xAC"), -1);
}

TEST(ExtUtilStrings, RectanglesAndTokens) {
  const TRect r(10, 20, 30, 40);
  EXPECT_TRUE(PtInRectInclusive(r, 10, 20));
  EXPECT_TRUE(PtInRectInclusive(r, 30, 40));  // right and bottom edges included
  EXPECT_FALSE(PtInRectInclusive(r, 31, 40));
  EXPECT_FALSE(PtInRectInclusive(r, 9, 25));

  std::string src = "key=value=more";
  EXPECT_EQ(CutToken(src, "="), "key");
  EXPECT_EQ(src, "value=more");
  src = "a::b";
  EXPECT_EQ(CutToken(src, "::"), "a");
  EXPECT_EQ(src, "b");
  src = "none";
  EXPECT_EQ(CutToken(src, "="), "");
  EXPECT_EQ(src, "none");
  EXPECT_EQ(Max(-3, 2), 2);
  EXPECT_EQ(Min(-3, 2), -3);
}

TEST(ExtUtilStrings, QuotesHideOperatorsAndSpaces) {
  int pos = 0;
  EXPECT_EQ(FirstUnquotedCharOf("&|", "\"a&b\"|c", pos), '|');
  EXPECT_EQ(pos, 5);
  EXPECT_EQ(FirstUnquotedCharOf("&|", "\"a&b\"", pos), '\0');
  EXPECT_EQ(pos, -1);
  EXPECT_EQ(FirstUnquotedCharOf("&", "x&y", pos), '&');
  EXPECT_EQ(pos, 1);
  EXPECT_EQ(RemoveUnquotedSpaces(" a b \"c d\" e "), "ab\"c d\"e");
  EXPECT_EQ(RemoveCR("a\r\nb\rc"), "a\nbc");
}

TEST(ExtUtilStrings, URLsAndCellReferences) {
  EXPECT_TRUE(IsURL("http://x"));
  EXPECT_TRUE(IsURL("mailto:a@b"));
  EXPECT_FALSE(IsURL("www.example.com"));
  std::string s = "https://host/p";
  StripURLPrefix(s);
  EXPECT_EQ(s, "host/p");
  s = "mailto:me@here";
  StripURLPrefix(s);
  EXPECT_EQ(s, "me@here");
  s = "plain";
  StripURLPrefix(s);
  EXPECT_EQ(s, "plain");

  TPoint cell(-1, -1);
  EXPECT_TRUE(ParseRCRef("R12C3", cell));
  EXPECT_EQ(cell, TPoint(3, 12));
  EXPECT_TRUE(ParseRCRef("r2c10", cell));
  EXPECT_EQ(cell, TPoint(10, 2));
  cell = TPoint(7, 7);
  for (const char* bad : {"R1C", "RC12", "X1C2", "R1X2", "R1", "R-1C2", "R1C$A", "Rx1Cy"}) {
    EXPECT_FALSE(ParseRCRef(bad, cell)) << bad;
    EXPECT_EQ(cell, TPoint(7, 7)) << bad;
  }
}

TEST(ExtUtilStrings, FillWithCharCountsWholeCharacters) {
  std::string s = "h\xC3\xA9llo";  // "héllo" in UTF-8: five characters
  FillWithChar(s, '*');
  EXPECT_EQ(s, "*****");
  s = "h\xE9llo";  // Windows-1252
  FillWithChar(s, '*');
  EXPECT_EQ(s, "*****");
  s.clear();
  FillWithChar(s, '*');
  EXPECT_EQ(s, "");
}

TEST(ExtUtilStrings, OemTextBecomesWindows1252) {
  std::string s = "a\x81\x8E\xE1\xF8";  // a ü Ä ß °
  OemToAnsiText(s);
  EXPECT_EQ(s, "a\xFC\xC4\xDF\xB0");
  s = "\xDA\xC4\xBF\xB3\xE0";  // box corners, lines and alpha
  OemToAnsiText(s);
  EXPECT_EQ(s, "+-+|?");
}

TEST(ExtUtilStrings, RunsOfACharacter) {
  EXPECT_EQ(UndoubleChar('\'', "it''s 'x'"), "it's x");
  EXPECT_EQ(UndoubleChar('\'', "aaa"), "aaa");  // without the character: unchanged
  EXPECT_EQ(UndoubleChar('a', "aaa"), "a");
  EXPECT_EQ(LowerChar('Q'), 'q');
  EXPECT_EQ(LowerChar('1'), '1');
  EXPECT_EQ(CountChar('"', "\"a\"\"b\""), 4);

  int pos = 0;
  EXPECT_EQ(FindOddRunEnd('"', "a\"\"b\"c", pos), 4);  // the even run is passed over
  EXPECT_EQ(pos, 4);
  EXPECT_EQ(FindOddRunEnd('"', "ab\"\"\"", pos), 4);   // a run that ends the text
  EXPECT_EQ(FindOddRunEnd('"', "a\"\"b", pos), -1);
  EXPECT_EQ(pos, -1);
  EXPECT_EQ(CountOddRuns('"', "\"a\"\"b\"\"\"c\""), 3);
  EXPECT_EQ(CountOddRuns('"', ""), 0);
}

class ExtUtilLocaleTest : public ::testing::TestWithParam<TLocaleCase> {
 protected:
  ExtUtilLocaleTest() : scope_(GetParam().Locale) {}
  TLocaleScope scope_;
};

TEST_P(ExtUtilLocaleTest, DateSeparatorsNeedTextBetween) {
  const std::string s(1, GetParam().DateSeparator);
  EXPECT_TRUE(HasTwoDateSeparators("1" + s + "2" + s + "3"));
  EXPECT_FALSE(HasTwoDateSeparators(s + "1" + s + "2"));   // first at the start
  EXPECT_FALSE(HasTwoDateSeparators("1" + s + s + "2"));   // second right behind the first
  EXPECT_FALSE(HasTwoDateSeparators("1" + s + "2"));
  EXPECT_FALSE(HasTwoDateSeparators("1-2-3"));
}

INSTANTIATE_TEST_SUITE_P(Locales, ExtUtilLocaleTest, ::testing::Values(EnglishCase(), GermanCase()),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(ExtUtilCodecs, StreamCodecKeepsLinesInOneLine) {
  const std::string cell = "a\r\nb\r\nc";
  const std::string line = LinesToSingleLine(cell);
  EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos);
  EXPECT_EQ(SingleLineToLines(line, true), cell);
  EXPECT_EQ(SingleLineToLines(line, false), "a");
  EXPECT_EQ(LinesToSingleLine("no break"), "no break");
  EXPECT_EQ(LinesToSingleLine("tab\there"), "tab\there");
  EXPECT_EQ(SingleLineToLines("tab\there", true), "tab\there");  // no #8: tabs stay
}

TEST(ExtUtilCodecs, ClipboardAndImportCodecs) {
  // The in-place codecs as functions of their text.
  auto with = [](void (*codec)(std::string&), std::string s) {
    codec(s);
    return s;
  };
  EXPECT_EQ(with(QuoteMultiLine, "one\r\ntwo"), "\"one\x0Btwo\"");
  EXPECT_EQ(with(VTToLineBreaks, with(QuoteMultiLine, "one\r\ntwo")), "\"one\r\ntwo\"");
  EXPECT_EQ(with(QuoteMultiLine, "plain"), "\"plain\"");
  EXPECT_EQ(with(VTToLineBreaks, "no tab"), "no tab");
  EXPECT_EQ(with(TildeToLineBreaks, "a~b~"), "a\r\nb\r\n");
  EXPECT_EQ(with(TildeToLineBreaks, "^"), "");
  EXPECT_EQ(with(TildeToLineBreaks, "^^"), "^^");
  EXPECT_EQ(DecodeNewlineEscapes("a\\nb\\n"), "a\rb\r");
  EXPECT_EQ(DecodeNewlineEscapes("a\\tb"), "a\\tb");
}

TEST(ExtUtilCodecs, CutFirstLineAndLineCount) {
  std::string s = "first\r\nsecond\rthird";
  EXPECT_EQ(CutFirstLine(s, true), "first");
  EXPECT_EQ(s, "second\rthird");
  EXPECT_EQ(CutFirstLine(s, true), "second");
  EXPECT_EQ(s, "third");
  EXPECT_EQ(CutFirstLine(s, true), "third");
  EXPECT_EQ(s, "");
  s = "x\r\ny";
  EXPECT_EQ(CutFirstLine(s, false), "x");
  EXPECT_EQ(s, "");
  EXPECT_EQ(LineCount("a\rb\rc", true), 3);
  EXPECT_EQ(LineCount("a\rb\rc", false), 1);
  EXPECT_EQ(LineCount("", true), 1);
}

TEST(ExtUtilCodecs, WideTextRoundTripsEveryCharacter) {
  EXPECT_EQ(EncodeWideText(u"\u0441"), std::string("|\\\x04\x41"));
  const std::u16string wide = {u'A', 0x0000, 0x00FF, 0x0100, 0xFFFF, 0x20AC};
  const std::string cell = EncodeWideText(wide);
  EXPECT_EQ(cell.size(), 2 + 2 * wide.size());
  EXPECT_EQ(DecodeWideText(cell), wide);
  EXPECT_EQ(DecodeWideText(std::string("|\\\x04\x41\x05")), u"\u0441");  // odd last byte ignored
  EXPECT_EQ(DecodeWideText("|\\"), u"");
  EXPECT_EQ(DecodeWideText("caf\xC3\xA9"), u"café");  // UTF-8 text
  EXPECT_EQ(DecodeWideText("caf\xE9"), u"café");      // Windows-1252 text
  EXPECT_EQ(DecodeWideText("\x80"), u"€");
}

TEST(ExtUtilCodecs, TextTypeClassifiesCellText) {
  EXPECT_EQ(TextType("", true), 0);
  EXPECT_EQ(TextType("=", true), 0);  // one character
  EXPECT_EQ(TextType("=A1+1", true), 3);
  EXPECT_EQ(TextType(EncodeWideText(u"=x"), true), 3);
  EXPECT_EQ(TextType(EncodeWideText(u"x="), true), 5);
  EXPECT_EQ(TextType("|\\", true), 5);
  EXPECT_EQ(TextType("{\\rtf1 x}", true), 2);
  EXPECT_EQ(TextType("<B>bold</B>", true), 1);
  EXPECT_EQ(TextType("a<I>b", true), 1);
  EXPECT_EQ(TextType("<b>lower</b>", true), 1);  // "</" counts
  EXPECT_EQ(TextType("<b>lower", true), 0);      // tags are matched as written
  EXPECT_EQ(TextType("<B>bold</B>", false), 0);
  EXPECT_EQ(TextType("{\\rtf1 x}", false), 2);
}

TEST(ExtUtilCodecs, CapitalizeNameFollowsNameRules) {
  EXPECT_EQ(CapitalizeName("JOHN o'neil-smith"), "John O'Neil-Smith");
  EXPECT_EQ(CapitalizeName("mcdonald"), "McDonald");
  EXPECT_EQ(CapitalizeName("ronald mcdonald"), "Ronald McDonald");
  EXPECT_EQ(CapitalizeName("john smith iii"), "John Smith III");
  EXPECT_EQ(CapitalizeName("louis iv"), "Louis IV");
  EXPECT_EQ(CapitalizeName("ivan ivanov"), "Ivan Ivanov");  // not at the end: no numeral
  EXPECT_EQ(CapitalizeName("st.john,ann"), "St.John,Ann");
  EXPECT_EQ(CapitalizeName("\xC3\xA9LODIE DURAND"), "\xC3\x89lodie Durand");  // UTF-8 "ÉLODIE"
  EXPECT_EQ(CapitalizeName("\xE9LODIE"), "\xC9lodie");                        // Windows-1252
}
