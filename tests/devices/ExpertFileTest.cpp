// The expert data file's codec: round trips, old headers, hostile files.
#include <gtest/gtest.h>

#include <string>

#include "devices/ExpertFile.h"

namespace {

TExpertFile Read(const std::string& bytes) {
  TExpertFile f;
  std::string error;
  EXPECT_TRUE(ReadExpertFile(bytes, f, error)) << error;
  return f;
}

std::string Refused(const std::string& bytes) {
  TExpertFile f;
  std::string error;
  EXPECT_FALSE(ReadExpertFile(bytes, f, error));
  return error;
}

}  // namespace

TEST(ExpertFile, WritesHeaderRowsInFileOrderAndSequence) {
  const std::string bytes = WriteExpertFile(
      {{"A0", "Write", "00,ST,A0,55", "No", "10", "first"}, {}, {"", "", "", "", "", "only a note"},
       {"40", "Read", "FF,TH,FF", "Yes", "", ""}},
      "01,03");
  EXPECT_EQ(bytes,
            "Expert Mode Data File\r\n"
            "A0,Write,No,10,00,ST,A0,55,Comments: first\r\n"
            ",,,,,Comments: only a note\r\n"
            "40,Read,Yes,,FF,TH,FF\r\n"
            "Sequence:01,03\r\n");
}

TEST(ExpertFile, RoundTripKeepsEveryNonEmptyRowAndSlashInNotes) {
  const std::vector<TExpertRow> rows = {{"A0", "Write", "00,ST,A0,55", "No", "10", "a/b note"},
                                        {"", "", "", "", "", "only a note"},
                                        {"40", "Read", "FF,TH,FF", "Yes", "9999", ""}};
  const TExpertFile f = Read(WriteExpertFile({rows[0], {}, rows[1], {}, rows[2]}, "02,01"));
  EXPECT_EQ(f.Rows, rows);
  EXPECT_TRUE(f.HasSequence);
  EXPECT_EQ(f.Sequence, "02,01");
}

TEST(ExpertFile, OldHeadersAreReadAndOthersRefused) {
  EXPECT_EQ(Read("Velmaron Data File\r\nA0,Write,Yes,,00\r\n").Rows.size(), 1u);
  EXPECT_EQ(Read("Brennick Data File\nA0,Write,Yes,,00\n").Rows.size(), 1u);
  EXPECT_NE(Refused("Expert Mode Data File \r\nA0,Write,Yes,,00\r\n").find("not an expert"), std::string::npos);
  Refused("");
  Refused("expert mode data file\r\n");
  Refused(std::string("Expert Mode\0 Data File\r\n", 25));
}

TEST(ExpertFile, LinesAreSplitAsTheReaderDoes) {
  const TExpertFile f = Read(
      "Expert Mode Data File\r\n"
      "   \r\n"
      "  A0,Write,Yes,5,00  \r\n"    // trimmed
      "A0/B0,Write,Yes,,00\r\n"      // "/" before any note: not a message
      "A0,Write,Yes,,00/01\r\n"
      "nocomma\r\n"                  // the rest goes to Data
      "A0,Write\r\n"
      "40,Read,Yes,,FF,Comments: has ,Comments:  twice\r\n");
  ASSERT_EQ(f.Rows.size(), 4u);
  EXPECT_EQ(f.Rows[0], (TExpertRow{"A0", "Write", "00", "Yes", "5", ""}));
  EXPECT_EQ(f.Rows[1], (TExpertRow{"", "", "nocomma", "", "", ""}));
  EXPECT_EQ(f.Rows[2], (TExpertRow{"A0", "", "Write", "", "", ""}));
  EXPECT_EQ(f.Rows[3].Notes, "has ,Comments:  twice");
  EXPECT_FALSE(f.HasSequence);
}

TEST(ExpertFile, HeaderOnlyGivesNoRows) {
  const TExpertFile f = Read("Expert Mode Data File\r\n");
  EXPECT_TRUE(f.Rows.empty());
  EXPECT_FALSE(f.HasSequence);
}

// The characters after "Sequence:" as they stand, at most 255: Send Sequence checks them.
TEST(ExpertFile, SequenceIsTakenAsItStands) {
  std::string seq;
  for (int i = 0; i < 70; ++i) seq += (i ? ",0" : "0") + std::to_string(1 + i % 9);
  EXPECT_EQ(Read("Expert Mode Data File\r\nSequence:" + seq + "\r\n").Sequence, seq.substr(0, 255));
  EXPECT_EQ(Read("Expert Mode Data File\r\nSequence:\r\n").Sequence, "");
  const TExpertFile f = Read("Expert Mode Data File\r\nA0,Write,Yes,,00\r\nSequence:1,2,3\r\n");
  EXPECT_EQ(f.Rows.size(), 1u);
  EXPECT_EQ(f.Sequence, "1,2,3");
  EXPECT_EQ(Read("Expert Mode Data File\r\nSequence:01,AB\r\n").Sequence, "01,AB");
}

TEST(ExpertFile, LongNotesAreKeptWhole) {
  const std::string note(5000, 'n');
  EXPECT_EQ(Read(WriteExpertFile({{"A0", "Write", "00", "Yes", "", note}}, "")).Rows.at(0).Notes, note);
}

TEST(ExpertFile, TooManyMessagesAreRefused) {
  std::string bytes = "Expert Mode Data File\r\n";
  for (int i = 0; i <= ExpertMaxFileRows; ++i) bytes += "A0,Write,Yes,,00\r\n";
  EXPECT_NE(Refused(bytes).find("more than"), std::string::npos);
}

TEST(ExpertFile, LineBreaksInFieldsCannotSplitALine) {
  const TExpertFile f = Read(WriteExpertFile({{"A0", "Write", "00", "Yes", "", "two\r\nlines"}}, ""));
  ASSERT_EQ(f.Rows.size(), 1u);
  EXPECT_EQ(f.Rows[0].Notes, "two  lines");
}
