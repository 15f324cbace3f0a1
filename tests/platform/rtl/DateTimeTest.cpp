#include "platform/rtl/SysUtils.h"

#include <gtest/gtest.h>

TEST(Dates, EncodeAndDecodeAroundTheEpoch) {
  EXPECT_DOUBLE_EQ(EncodeDate(1899, 12, 30), 0);
  EXPECT_DOUBLE_EQ(EncodeDate(1900, 1, 1), 2);
  EXPECT_DOUBLE_EQ(EncodeDate(2000, 1, 1), 36526);
  EXPECT_DOUBLE_EQ(EncodeDate(1899, 12, 29), -1);
  int y, m, d;
  DecodeDate(36526.75, y, m, d);
  EXPECT_EQ((y * 100 + m) * 100 + d, 20000101);
  DecodeDate(-1.25, y, m, d);
  EXPECT_EQ((y * 100 + m) * 100 + d, 18991229);
  int h, n, s, ms;
  DecodeTime(-1.25, h, n, s, ms);
  EXPECT_EQ(h, 6);
  DecodeDate(EncodeDate(2024, 2, 29), y, m, d);
  EXPECT_EQ((y * 100 + m) * 100 + d, 20240229);
  DecodeDate(EncodeDate(9999, 12, 31), y, m, d);
  EXPECT_EQ(y, 9999);
  EXPECT_THROW(EncodeDate(2023, 2, 29), EConvertError);
  EXPECT_THROW(EncodeDate(2023, 13, 1), EConvertError);
  EXPECT_THROW(EncodeDate(0, 1, 1), EConvertError);
  EXPECT_THROW(EncodeTime(24, 0, 0, 0), EConvertError);
  EXPECT_EQ(DayOfWeek(EncodeDate(2024, 1, 7)), 1);   // Sunday
  EXPECT_EQ(DayOfWeek(EncodeDate(1899, 12, 30)), 7); // Saturday
}

TEST(Dates, TimeOfDayRoundsToTheMillisecond) {
  TDateTime t = EncodeTime(13, 45, 30, 250);
  int h, n, s, ms;
  DecodeTime(t, h, n, s, ms);
  EXPECT_EQ(h, 13);
  EXPECT_EQ(n, 45);
  EXPECT_EQ(s, 30);
  EXPECT_EQ(ms, 250);
  // 23:59:59.9996 rounds into the next day rather than to 24:00.
  TDateTime late = EncodeDate(2020, 12, 31) + (MSecsPerDay - 0.4) / MSecsPerDay;
  int y, m, d;
  DecodeDate(late, y, m, d);
  DecodeTime(late, h, n, s, ms);
  EXPECT_EQ(y, 2021);
  EXPECT_EQ(h, 0);
}

TEST(Dates, IncMonthClampsTheDay) {
  int y, m, d;
  DecodeDate(IncMonth(EncodeDate(2023, 1, 31), 1), y, m, d);
  EXPECT_EQ((y * 100 + m) * 100 + d, 20230228);
  DecodeDate(IncMonth(EncodeDate(2024, 1, 31), 1), y, m, d);
  EXPECT_EQ((y * 100 + m) * 100 + d, 20240229);
  DecodeDate(IncMonth(EncodeDate(2023, 3, 15), -15), y, m, d);
  EXPECT_EQ((y * 100 + m) * 100 + d, 20211215);
  TDateTime withTime = EncodeDate(2023, 5, 1) + 0.5;
  EXPECT_DOUBLE_EQ(Frac(IncMonth(withTime, 2)), 0.5);
}

TEST(FormatDateTime, TokensAndSeparators) {
  TFormatSettingsScope scope;
  TDateTime dt = EncodeDate(2024, 3, 5) + EncodeTime(14, 7, 9, 45);
  EXPECT_EQ(FormatDateTime("yyyy-mm-dd hh:nn:ss.zzz", dt), "2024-03-05 14:07:09.045");
  EXPECT_EQ(FormatDateTime("d/m/yy", dt), "5/3/24");
  EXPECT_EQ(FormatDateTime("ddd dddd mmm mmmm", dt), "Tue Tuesday Mar March");
  EXPECT_EQ(FormatDateTime("h:mm am/pm", dt), "2:07 pm");
  EXPECT_EQ(FormatDateTime("hh:mm", dt), "14:07");  // m after h means minutes
  EXPECT_EQ(FormatDateTime("'year' yyyy", dt), "year 2024");
  EXPECT_EQ(FormatDateTime("c", dt), "3/5/2024 2:07:09 PM");
  EXPECT_EQ(FormatDateTime("c", EncodeDate(2024, 3, 5)), "3/5/2024");
  EXPECT_EQ(DateToStr(dt), "3/5/2024");
  EXPECT_EQ(TimeToStr(dt), "2:07:09 PM");
  FormatSettings.ShortDateFormat = "ddddd";  // refers to itself: must not recurse forever
  EXPECT_NO_THROW(DateToStr(dt));
}

TEST(DateStrings, RoundTripUnderAGermanLocale) {
  TFormatSettingsScope scope;
  FormatSettings.DateSeparator = '.';
  FormatSettings.TimeSeparator = ':';
  FormatSettings.DecimalSeparator = ',';
  FormatSettings.ShortDateFormat = "dd/mm/yyyy";
  FormatSettings.LongTimeFormat = "hh:nn:ss";
  FormatSettings.ShortTimeFormat = "hh:nn";
  TDateTime dt = EncodeDate(2023, 11, 9) + EncodeTime(8, 30, 15, 0);
  EXPECT_EQ(DateToStr(dt), "09.11.2023");
  EXPECT_EQ(TimeToStr(dt), "08:30:15");
  EXPECT_EQ(DateTimeToStr(dt), "09.11.2023 08:30:15");
  EXPECT_DOUBLE_EQ(StrToDate(DateToStr(dt)), EncodeDate(2023, 11, 9));
  EXPECT_NEAR(StrToTime(TimeToStr(dt)), EncodeTime(8, 30, 15, 0), 1e-9);
  EXPECT_NEAR(StrToDateTime(DateTimeToStr(dt)), dt, 1e-9);
  EXPECT_NEAR(StrToTime("8:30:15,500"), EncodeTime(8, 30, 15, 500), 1e-9);
  // The US form is refused under this locale.
  EXPECT_THROW(StrToDate("11/9/2023"), EConvertError);
  for (int day = 1; day <= 28; day += 9)
    for (int month = 1; month <= 12; ++month) {
      TDateTime v = EncodeDate(1999 + month, month, day);
      EXPECT_DOUBLE_EQ(StrToDate(DateToStr(v)), v) << DateToStr(v);
    }
}

TEST(DateStrings, OrderAndErrorsFollowTheShortFormat) {
  TFormatSettingsScope scope;
  EXPECT_DOUBLE_EQ(StrToDate("12/31/1999"), EncodeDate(1999, 12, 31));
  FormatSettings.ShortDateFormat = "yyyy/mm/dd";
  FormatSettings.DateSeparator = '-';
  EXPECT_DOUBLE_EQ(StrToDate("2001-02-03"), EncodeDate(2001, 2, 3));
  try {
    StrToDate("2001-02-30");
    ADD_FAILURE();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "'2001-02-30' is not a valid date");
  }
  try {
    StrToTime("25:00");
    ADD_FAILURE();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "'25:00' is not a valid time");
  }
  EXPECT_THROW(StrToDateTime("x"), EConvertError);
  EXPECT_THROW(StrToDate(""), EConvertError);
  EXPECT_THROW(StrToDate("2001-02-03 junk"), EConvertError);
}

TEST(TimeStrings, TwelveHourClock) {
  TFormatSettingsScope scope;
  EXPECT_NEAR(StrToTime("12:15 AM"), EncodeTime(0, 15, 0, 0), 1e-9);
  EXPECT_NEAR(StrToTime("12:15 PM"), EncodeTime(12, 15, 0, 0), 1e-9);
  EXPECT_NEAR(StrToTime("1:05:09 pm"), EncodeTime(13, 5, 9, 0), 1e-9);
  EXPECT_NEAR(StrToTime("7 AM"), EncodeTime(7, 0, 0, 0), 1e-9);
  EXPECT_THROW(StrToTime("13:00 PM"), EConvertError);
  EXPECT_THROW(StrToTime("7"), EConvertError);
}

TEST(LocaleSettings, StrftimePatternsBecomeLibraryPatterns) {
  char sep;
  EXPECT_EQ(PatternFromStrftime("%d.%m.%Y", sep, false), "dd/mm/yyyy");
  EXPECT_EQ(sep, '.');
  EXPECT_EQ(PatternFromStrftime("%m/%d/%y", sep, false), "mm/dd/yy");
  EXPECT_EQ(sep, '/');
  EXPECT_EQ(PatternFromStrftime("%Y-%m-%d", sep, false), "yyyy/mm/dd");
  EXPECT_EQ(sep, '-');
  EXPECT_EQ(PatternFromStrftime("%H:%M:%S", sep, true), "hh:nn:ss");
  EXPECT_EQ(sep, ':');
  EXPECT_EQ(PatternFromStrftime("%I:%M:%S %p", sep, true), "hh:nn:ss ampm");
  EXPECT_EQ(PatternFromStrftime("%l.%M", sep, true), "h:nn ampm");
  EXPECT_EQ(sep, '.');
  EXPECT_EQ(PatternFromStrftime("%", sep, false), "");  // a cut pattern ends quietly
}

TEST(LocaleSettings, DatesRoundTripUnderTheSettingsOfALocale) {
  TFormatSettingsScope scope;
  FormatSettings = FormatSettingsForLocale("C");
  EXPECT_EQ(FormatSettings.DecimalSeparator, '.');
  EXPECT_EQ(FormatSettings.LongMonthNames[0], "January");
  TDateTime d = EncodeDate(2031, 7, 4) + EncodeTime(16, 5, 0, 0);
  EXPECT_NEAR(StrToDateTime(DateTimeToStr(d)), d, 1e-9) << DateTimeToStr(d);
  // A locale that is not installed leaves the defaults.
  TFormatSettings none = FormatSettingsForLocale("xx_NOWHERE.UTF-8");
  EXPECT_EQ(none.ShortDateFormat, TFormatSettings().ShortDateFormat);
}
