// Numbers, dates and filter expressions of the grid's utility routines, in both locales.
#include <gtest/gtest.h>

#include <string>

#include "controls/grid/ExtUtil.h"
#include "tests/controls/grid/GridTestLocales.h"

using namespace ExtUtil;

namespace {
std::string Swap(const std::string& enUS, const TLocaleCase& c) {
  // The en-US text of a number written with the case's separators.
  std::string r = enUS;
  for (char& ch : r) {
    if (ch == ',') ch = c.Locale.ThousandSeparator;
    else if (ch == '.') ch = c.Locale.DecimalSeparator;
  }
  return r;
}
}  // namespace

class ExtUtilValues : public ::testing::TestWithParam<TLocaleCase> {
 protected:
  ExtUtilValues() : scope_(GetParam().Locale) {}
  const TLocaleCase& C() const { return GetParam(); }
  TLocaleScope scope_;
};

TEST_P(ExtUtilValues, NumberTextKind) {
  EXPECT_EQ(NumberTextKind(C().TwoGroups), 2);  // more than one thousand separator
  EXPECT_EQ(NumberTextKind(C().Grouped), 1);
  EXPECT_EQ(NumberTextKind("-12"), 0);
  EXPECT_EQ(NumberTextKind("1-2"), 2);
  EXPECT_EQ(NumberTextKind(""), 2);
  EXPECT_EQ(NumberTextKind(Swap("0.5", C())), 1);
  EXPECT_EQ(NumberTextKind(Swap("1.2.3", C())), 2);    // two decimal separators
  EXPECT_EQ(NumberTextKind(Swap(",234", C())), 2);     // separator at the first position
  EXPECT_EQ(NumberTextKind(Swap("1,23", C())), 1);     // grouping is only checked backwards
  EXPECT_EQ(NumberTextKind(Swap("12a", C())), 2);
  EXPECT_EQ(NumberTextKind("--1"), 2);
  // A sign or a separator alone is no number.
  EXPECT_EQ(NumberTextKind("-"), 2);
  EXPECT_EQ(NumberTextKind(std::string(1, C().Locale.DecimalSeparator)), 2);
  EXPECT_EQ(NumberTextKind(Swap("-.", C())), 2);
}

TEST_P(ExtUtilValues, PlainNumberTextReadsDisplayedNumbers) {
  EXPECT_EQ(PlainNumberText(C().Parenthesised), "-1234.50");
  EXPECT_EQ(PlainNumberText(Swap("$ -1,234.5", C())), "-1234.5");
  EXPECT_EQ(PlainNumberText(Swap("  12.5 kg", C())), "12.5");
  EXPECT_EQ(PlainNumberText(Swap("1.5E+3", C())), "1.5E+3");
  EXPECT_EQ(PlainNumberText(Swap(".5", C())), ".5");
  EXPECT_EQ(PlainNumberText(""), "");
  EXPECT_EQ(PlainNumberText("7"), "7");
  EXPECT_EQ(ToDotDecimal(C().Grouped), "1234.5");
}

TEST_P(ExtUtilValues, ShortDatesFollowTheLocale) {
  TDateTime d = -1;
  ASSERT_TRUE(ParseShortDate(C().EarlyDate, d));
  EXPECT_EQ(d, EncodeDate(1999, 12, 31));
  ASSERT_TRUE(ParseShortDate(C().LaterDate, d));
  EXPECT_EQ(d, EncodeDate(2000, 1, 1));
  const std::string s(1, C().DateSeparator);
  ASSERT_TRUE(ParseShortDate("3" + s + "4" + s + "05", d));  // the year as written: year 5
  int y, m, day;
  DecodeDate(d, y, m, day);
  EXPECT_EQ(y, 5);
  EXPECT_FALSE(ParseShortDate(C().February30, d));
  EXPECT_FALSE(ParseShortDate("1" + s + "2", d));
  EXPECT_FALSE(ParseShortDate("32" + s + "32" + s + "2000", d));
  EXPECT_FALSE(ParseShortDate("1" + s + "x" + s + "2000", d));
  EXPECT_FALSE(ParseShortDate("1" + s + "1" + s + "0", d));  // year 0
  EXPECT_FALSE(ParseShortDate("1-1-2000", d));
}

TEST_P(ExtUtilValues, ThreeFieldDatesIgnoreTheLocaleAndNeverRaise) {
  EXPECT_EQ(ParseDateMDY("12/31/99"), EncodeDate(1999, 12, 31));
  EXPECT_EQ(ParseDateDMY("1.2.05"), EncodeDate(2005, 2, 1));
  EXPECT_EQ(ParseDateMDY("1-2-2003"), EncodeDate(2003, 1, 2));
  EXPECT_EQ(ParseDateDMY("31/12/1999"), EncodeDate(1999, 12, 31));
  EXPECT_EQ(ParseDateMDY("1/1/0"), EncodeDate(2000, 1, 1));
  EXPECT_EQ(ParseDateMDY("1/1/25"), EncodeDate(2025, 1, 1));
  EXPECT_EQ(ParseDateMDY("1/1/26"), EncodeDate(1926, 1, 1));
  EXPECT_EQ(ParseDateMDY("1/1/100"), EncodeDate(100, 1, 1));  // longer years as written
  // Impossible dates read as no date (0); the sort that calls these must not stop.
  EXPECT_EQ(ParseDateMDY("02/30/99"), 0);
  EXPECT_EQ(ParseDateDMY("30.02.99"), 0);
  EXPECT_EQ(ParseDateMDY("13/1/99"), 0);
  EXPECT_EQ(ParseDateDMY("0.1.99"), 0);
  EXPECT_EQ(ParseDateMDY("2/29/1900"), 0);
  EXPECT_EQ(ParseDateMDY("2/29/00"), EncodeDate(2000, 2, 29));
  EXPECT_EQ(ParseDateMDY("1/1/-5"), 0);
  EXPECT_EQ(ParseDateMDY("garbage"), 0);
  EXPECT_EQ(ParseDateMDY("1/2"), 0);
  EXPECT_EQ(ParseDateMDY("a/b/c"), 0);
}

INSTANTIATE_TEST_SUITE_P(Locales, ExtUtilValues, ::testing::Values(EnglishCase(), GermanCase()),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(ExtUtilDates, AddToDateStepsByOneUnitAndClampsTheDay) {
  const TDateTime jan31 = EncodeDate(2004, 1, 31);
  EXPECT_EQ(AddToDate(0, 0, 5, 0, jan31), EncodeDate(2004, 2, 5));
  EXPECT_EQ(AddToDate(0, 0, -31, 0, jan31), EncodeDate(2003, 12, 31));
  EXPECT_EQ(AddToDate(0, 1, 0, 0, jan31), EncodeDate(2004, 2, 29));  // leap February's last day
  EXPECT_EQ(AddToDate(0, 13, 0, 0, jan31), EncodeDate(2005, 2, 28));
  EXPECT_EQ(AddToDate(0, -1, 0, 0, jan31), EncodeDate(2003, 12, 31));
  EXPECT_EQ(AddToDate(0, -12, 0, 0, jan31), EncodeDate(2003, 1, 31));
  EXPECT_EQ(AddToDate(0, 12, 0, 0, jan31), EncodeDate(2005, 1, 31));
  EXPECT_EQ(AddToDate(0, -25, 0, 0, jan31), EncodeDate(2001, 12, 31));
  EXPECT_EQ(AddToDate(0, 3, 0, 0, jan31), EncodeDate(2004, 4, 30));
  EXPECT_EQ(AddToDate(1, 0, 0, 0, EncodeDate(2004, 2, 29)), EncodeDate(2005, 2, 28));
  EXPECT_EQ(AddToDate(-4, 0, 0, 0, EncodeDate(2004, 2, 29)), EncodeDate(2000, 2, 29));
  // More than one unit, or none: the increment.
  EXPECT_EQ(AddToDate(1, 1, 0, 7, jan31), jan31 + 7);
  EXPECT_EQ(AddToDate(0, 0, 0, -2, jan31), jan31 - 2);
  // The time of day stays.
  const TDateTime noon = jan31 + 0.5;
  EXPECT_DOUBLE_EQ(AddToDate(0, 1, 0, 0, noon), EncodeDate(2004, 2, 29) + 0.5);
  EXPECT_THROW(AddToDate(9000, 0, 0, 0, jan31), EConvertError);
  EXPECT_THROW(AddToDate(0, -30000, 0, 0, jan31), EConvertError);
}

// ---------------------------------------------------------------- filters

TEST(ExtUtilFilter, ConditionsFoldLeftToRightWithoutPrecedence) {
  // a*|b*&*c is (a* OR b*) AND *c.
  EXPECT_TRUE(MatchFilter("a*|b*&*c", "ac", true));
  EXPECT_FALSE(MatchFilter("a*|b*&*c", "a", true));  // a*|(b*&*c) would hold
  EXPECT_TRUE(MatchFilter("a*|b*&*c", "bc", true));
  EXPECT_FALSE(MatchFilter("a*|b*&*c", "xc", true));
  for (const char* v : {"a", "b", "c"}) {
    EXPECT_EQ(MatchFilter("a^b", v, true), MatchFilter("a|b", v, true)) << v;
    EXPECT_EQ(MatchFilter("a;b", v, true), MatchFilter("a|b", v, true)) << v;
  }
  EXPECT_TRUE(MatchFilter("a^b", "b", true));
}

TEST(ExtUtilFilter, WildcardsEscapesAndNegation) {
  EXPECT_TRUE(MatchFilter("=abc", "abc", true));
  EXPECT_TRUE(MatchFilter("*b?", "abc", true));
  EXPECT_FALSE(MatchFilter("*b?", "abcd", true));
  EXPECT_TRUE(MatchFilter("!a*", "bcd", true));
  EXPECT_FALSE(MatchFilter("!a*", "abc", true));
  EXPECT_TRUE(MatchFilter("a\\*", "a*", true));
  EXPECT_FALSE(MatchFilter("a\\*", "abc", true));
  EXPECT_TRUE(MatchFilter("a**c", "ac", true));
  EXPECT_FALSE(MatchFilter("a?", "a", true));
  EXPECT_TRUE(MatchFilter(" a b ", "ab", true));  // spaces outside quotes go
  // Quoted text keeps its spaces and its operator characters.
  EXPECT_TRUE(MatchFilter("\"a b\"", "a b", true));
  EXPECT_TRUE(MatchFilter("\"x&y\"", "x&y", true));
  EXPECT_TRUE(MatchFilter("\"a|b\"", "a|b", true));
  EXPECT_FALSE(MatchFilter("\"a|b\"", "a", true));
  EXPECT_TRUE(MatchFilter("\"p;q\"|z", "p;q", true));
  // Text may hold any byte, NUL included.
  EXPECT_TRUE(MatchFilter("a?c", std::string("a\0c", 3), true));
}

TEST(ExtUtilFilter, CaseSensitivity) {
  EXPECT_TRUE(MatchFilter("ABC", "abc", false));
  EXPECT_FALSE(MatchFilter("ABC", "abc", true));
  EXPECT_TRUE(MatchFilter("\xC3\x89*", "\xC3\xA9" "cole", false));  // "É*" against "école"
  EXPECT_TRUE(MatchFilter("\xC9*", "\xE9" "cole", false));          // the same in Windows-1252
}

TEST(ExtUtilFilter, StarPatternsStayPolynomial) {
  // Without remembering failed positions this pattern takes exponential time.
  const std::string text(300, 'a');
  EXPECT_FALSE(MatchStr("*a*a*a*a*a*a*a*a*a*a*a*a*b", text));
  EXPECT_TRUE(MatchStr("*a*a*a*a*a*a*a*a*a*a*a*a*", text));
}

class ExtUtilFilterLocales : public ExtUtilValues {};

TEST_P(ExtUtilFilterLocales, ComparisonsReadNumbersDatesAndText) {
  EXPECT_TRUE(MatchFilter(">=10", "10", true));
  EXPECT_FALSE(MatchFilter(">10", "10", true));
  EXPECT_FALSE(MatchFilter(">10", "9", true));  // as numbers, not as text
  EXPECT_TRUE(MatchFilter(">10", "abc", true));  // as text: "a" after "1"
  EXPECT_TRUE(MatchFilter("<=20", "20", true));
  EXPECT_TRUE(MatchFilter(">=10&<=20", "15", true));
  EXPECT_FALSE(MatchFilter(">=10&<=20", "25", true));
  EXPECT_TRUE(MatchFilter("<5|>50", "60", true));
  EXPECT_TRUE(MatchFilter("> 10", "11", true));
  EXPECT_TRUE(MatchFilter(">" + Swap("1,000", C()), Swap("1,500.5", C()), true));
  EXPECT_FALSE(MatchFilter(">" + Swap("1,000.5", C()), Swap("999.9", C()), true));
  EXPECT_TRUE(MatchFilter(">" + Swap("0.5", C()), Swap("0.75", C()), true));
  // Dates in the short date format compare as dates.
  EXPECT_TRUE(MatchFilter(">" + C().EarlyDate, C().LaterDate, true));
  EXPECT_FALSE(MatchFilter("<" + C().EarlyDate, C().LaterDate, true));
  EXPECT_TRUE(MatchFilter(">=" + C().LaterDate, C().LaterDate, true));
}

TEST_P(ExtUtilFilterLocales, DatesWrittenWithTheThousandSeparatorStayDates) {
  // 15 January against 1 February: as numbers (1512005 > 122005) it would hold.
  const std::string s(1, C().DateSeparator);
  const bool dayFirst = C().Locale.ShortDateFormat[0] == 'd';
  const std::string feb1 = dayFirst ? "1" + s + "2" + s + "2005" : "2" + s + "1" + s + "2005";
  const std::string jan15 = dayFirst ? "15" + s + "1" + s + "2005" : "1" + s + "15" + s + "2005";
  EXPECT_FALSE(MatchFilter(">" + feb1, jan15, true));
  EXPECT_TRUE(MatchFilter("<" + feb1, jan15, true));
}

INSTANTIATE_TEST_SUITE_P(Locales, ExtUtilFilterLocales, ::testing::Values(EnglishCase(), GermanCase()),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(ExtUtilLocale, RoutinesReadTheLocaleAtEachCall) {
  TFormatSettingsScope keep;
  FormatSettings.ThousandSeparator = ',';
  FormatSettings.DecimalSeparator = '.';
  EXPECT_EQ(NumberTextKind(",5"), 2);  // a thousand separator in front
  EXPECT_EQ(PlainNumberText("1.234,5"), "1.2345");
  FormatSettings.ThousandSeparator = '.';
  FormatSettings.DecimalSeparator = ',';
  EXPECT_EQ(NumberTextKind(",5"), 1);  // now a decimal comma
  EXPECT_EQ(PlainNumberText("1.234,5"), "1234.5");
  EXPECT_EQ(Locale().ThousandSeparator, '.');
  {
    TLocaleScope en(EnglishUS());
    EXPECT_EQ(Locale().DecimalSeparator, '.');
    EXPECT_EQ(Locale().ShortDateFormat, "M/d/yyyy");
    EXPECT_EQ(FormatSettings.ShortTimeFormat, "h:mm AMPM");
  }
  EXPECT_EQ(Locale().DecimalSeparator, ',');  // the scope put the settings back
}
