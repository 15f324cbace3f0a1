#include "update/NuStatus.h"

#include "UpdateTestSupport.h"

#include <sys/stat.h>

using namespace updatetest;

TEST(UpdateStatus, TextsTakeTheParameterOnlyWhereTheyHaveAPlace) {
  EXPECT_EQ(NUpdate::FormatStatus(915, "http://example.org/u.inf"), "Download : http://example.org/u.inf");
  EXPECT_EQ(NUpdate::FormatStatus(933, "1234 <> 5678"), "Version based update found");
  EXPECT_EQ(NUpdate::FormatStatus(916, "404"), "Http status : 404");
  // A parameter is text, never a format.
  EXPECT_EQ(NUpdate::FormatStatus(913, "100%s%d.txt"), "File not found : 100%s%d.txt");
  for (int n : {18, 964, 965, 0, 999, -1}) EXPECT_EQ(NUpdate::FormatStatus(n, "x"), "") << n;
  EXPECT_STREQ(NUpdate::StatusText(909), "Download update file : ");
  EXPECT_STREQ(NUpdate::StatusText(962), "Found application component : %s");
}

TEST(UpdateStatus, LogLineLayout) {
  const TDateTime when = EncodeDate(2024, 2, 9) + EncodeTime(7, 5, 3, 0);
  EXPECT_EQ(NUpdate::LogLine(when, 930, "No new version found", 4, 0),
            "09/02/2024 07:05:03 : [930] No new version found (Status:4) (Error:0)");
  EXPECT_EQ(NUpdate::LogLine(when, 964, "", 0, 0), "09/02/2024 07:05:03 : [964]  (Status:0) (Error:0)");
}

TEST(UpdateStatus, LogLinesKeepTheirDateFormUnderEveryLocale) {
  // The program takes the user's formats; the updater, writing the same log, takes none.
  const TDateTime when = EncodeDate(2024, 2, 9) + EncodeTime(7, 5, 3, 0);
  const TFormatSettings saved = FormatSettings;
  struct Row {
    const char* shortDate;
    char dateSep, timeSep;
  } rows[] = {{"dd/mm/yyyy", '.', ':'}, {"yyyy/mm/dd", '-', '.'}, {"m/d/yyyy", '/', ':'}};
  for (const Row& r : rows) {
    FormatSettings.ShortDateFormat = r.shortDate;
    FormatSettings.DateSeparator = r.dateSep;
    FormatSettings.TimeSeparator = r.timeSep;
    EXPECT_EQ(NUpdate::LogStamp(when), "09/02/2024 07:05:03") << r.shortDate << r.dateSep;
    EXPECT_EQ(NUpdate::LogLine(when, 930, "No new version found", 4, 0),
              "09/02/2024 07:05:03 : [930] No new version found (Status:4) (Error:0)")
        << r.shortDate << r.dateSep;
  }
  FormatSettings = saved;
}

TEST(UpdateStatus, LogIsAppendedAndPrivate) {
  TScratchDir dir;
  const std::string log = dir / "NUPDATE.LOG";
  EXPECT_TRUE(NUpdate::WriteLog(log, "one"));
  EXPECT_TRUE(NUpdate::WriteLog(log, "two"));
  EXPECT_EQ(ReadBytes(log), "one\ntwo\n");
  struct stat st {};
  ASSERT_EQ(::stat(log.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST(UpdateStatus, ALogThatCannotBeWrittenLosesTheLineQuietly) {
  TScratchDir dir;
  EXPECT_FALSE(NUpdate::WriteLog(dir / "no/such/dir/NUPDATE.LOG", "line"));
  // A link planted where the log goes is not followed.
  WriteBytes(dir / "victim", "keep");
  fs::create_symlink(dir / "victim", dir / "NUPDATE.LOG");
  EXPECT_FALSE(NUpdate::WriteLog(dir / "NUPDATE.LOG", "line"));
  EXPECT_EQ(ReadBytes(dir / "victim"), "keep");
}
