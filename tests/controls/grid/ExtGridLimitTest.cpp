// The one cell limit for a grid grown from outside data: every way in (CSV, the text stream,
// pasted text, the private cell block, a drop) refuses with a message before the grid changes,
// and the stream is read a block at a time.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "controls/grid/GridCellIO.h"
#include "platform/grid/GridStore.h"
#include "tests/controls/grid/GridInputFixture.h"

namespace fs = std::filesystem;

namespace {

class LimitTest : public GridInputTest {
 public:
  std::string State() {
    std::string s = std::to_string(grid->ColCount()) + "x" + std::to_string(grid->RowCount());
    for (int r = 0; r < grid->RowCount(); ++r)
      for (int c = 0; c < grid->ColCount(); ++c) s += "|" + grid->Cells(c, r);
    return s;
  }
};

// One line of N fields, then N - 1 lines of one field: N x N cells from about 2N bytes.
std::string Square(int n, char delim) {
  std::string s(static_cast<size_t>(n - 1), delim);
  s += "\r\n";
  for (int i = 1; i < n; ++i) s += "x\r\n";
  return s;
}

// A cell block of one cell at (Left, Top) that replaces the whole grid.
std::string FullGridBlock(int left, int top) {
  TGridCellBlock b;
  b.Header->Left = left;
  b.Header->Top = top;
  b.Header->ColCount = b.Header->RowCount = 1;
  b.Header->FullGrid = true;
  b.Header->ID = "elsewhere:1";
  return EncodeCellBlock(b);
}

TEST_F(LimitTest, TheLimitAdmitsAMillionRowsOfTenFieldsAndNoMore) {
  EXPECT_GE(TGridStore::kCellLimit, 16000000);
  EXPECT_TRUE(TGridStore::WithinCellLimit(11, 1000001)) << "a million records of ten fields after a fixed row and column";
  EXPECT_FALSE(TGridStore::WithinCellLimit(TGridStore::kCellLimit + 1, 1));
  EXPECT_FALSE(TGridStore::WithinCellLimit(4200, 4200));
  EXPECT_NO_THROW(grid->CheckCellGrowth(11, 1000001, "x"));
}

TEST_F(LimitTest, EveryWayInRefusesAGridPastTheLimitAndChangesNothing) {
  const std::string csv = (fs::temp_directory_path() / ("velmaron-limit-" + std::to_string(getpid()) + ".csv")).string();
  std::ofstream(csv, std::ios::binary) << Square(4200, ',');
  const struct {
    const char* name;
    std::function<void()> run;
    int cols = 5;
  } cases[] = {
      {"a CSV file of one long record and many short ones", [&] { grid->LoadFromCSV(csv); }},
      {"a CSV appended to a grid that is wide already",
       [&] {
         std::string rows;
         for (int i = 0; i < 3400; ++i) rows += "y\r\n";
         std::ofstream(csv, std::ios::binary) << rows;
         grid->LoadCSVFile(csv, true);
       },
       5000},
      {"a stream whose size line asks for a million by a million",
       [&] {
         TMemoryStream s;
         const std::string t = "1048576,1048576\r\n";
         s.Write(t.data(), static_cast<int64_t>(t.size()));
         s.SetPosition(0);
         grid->LoadGridFromStream(&s);
       }},
      {"a stream whose size line asks for 5000 by 5000",
       [&] {
         TMemoryStream s;
         const std::string t = "5000,5000\r\n0,0,a\r\n";
         s.Write(t.data(), static_cast<int64_t>(t.size()));
         s.SetPosition(0);
         grid->LoadGridFromStream(&s);
       }},
      {"pasted text of one long line and many short ones", [&] { grid->PasteTextAt(1, 1, Square(4200, '\t')); }},
      {"a private block that replaces the grid far out", [&] {
         TGridRect w;
         grid->PasteEncodedCells(TPoint(0, 0), FullGridBlock(1000000, 1000000), w);
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TearDown();
    SetUp();
    grid->Navigation()->AllowClipboardColGrow = true;
    grid->SetColCount(c.cols);
    const std::string before = State();
    try {
      c.run();
      ADD_FAILURE() << "no error";
    } catch (const EExtGridError& e) {
      EXPECT_NE(e.Message().find("more than a grid holds"), std::string::npos) << e.Message();
    }
    EXPECT_EQ(State(), before);
  }
  fs::remove(csv);
}

TEST_F(LimitTest, AStreamCellOutsideTheGridIsDroppedNotStored) {
  TMemoryStream s;
  const std::string t = "2,2\r\n1,1,in\r\n1000000,1,far\r\n1,1000000,low\r\n";
  s.Write(t.data(), static_cast<int64_t>(t.size()));
  s.SetPosition(0);
  grid->LoadGridFromStream(&s);
  EXPECT_EQ(grid->Cells(1, 1), "in");
  EXPECT_EQ(grid->Cells(1000000, 1), "");
  EXPECT_EQ(grid->Cells(1, 1000000), "");
}

// A stream that says how much it was asked for at once.
class TCountingStream : public TMemoryStream {
 public:
  int64_t Read(void* Buffer, int64_t Count) override {
    largest = std::max(largest, Count);
    return TMemoryStream::Read(Buffer, Count);
  }
  int64_t largest = 0;
};

TEST_F(LimitTest, TheStreamIsReadABlockAtATimeAndMessagesQuoteOnlyAnExcerpt) {
  TCountingStream s;
  std::string t = "3,300\r\n";
  for (int r = 0; r < 300; ++r) t += "1," + std::to_string(r) + "," + std::string(1000, 'v') + "\r\n";
  t += "end\r\n";
  s.Write(t.data(), static_cast<int64_t>(t.size()));
  s.SetPosition(0);
  grid->LoadGridFromStream(&s);
  EXPECT_LE(s.largest, 1 << 16) << "the reader asked for the whole stream at once";
  EXPECT_EQ(grid->Cells(1, 299), std::string(1000, 'v'));
  EXPECT_EQ(s.Position(), static_cast<int64_t>(t.size() - 5)) << "the stream stands before the line that is no cell line";

  const struct {
    const char* name;
    std::string stream;
  } bad[] = {
      {"a size line of a megabyte of letters", "1," + std::string(1 << 20, 'z') + "\r\n"},
      {"a cell line whose row is a megabyte of letters", "2,2\r\n1," + std::string(1 << 20, 'q') + ",x\r\n"},
  };
  for (const auto& b : bad) {
    SCOPED_TRACE(b.name);
    TMemoryStream m;
    m.Write(b.stream.data(), static_cast<int64_t>(b.stream.size()));
    m.SetPosition(0);
    try {
      grid->LoadGridFromStream(&m);
      ADD_FAILURE() << "no error";
    } catch (const Exception& e) {
      EXPECT_LT(e.Message().size(), 200u);
    }
  }
}

}  // namespace
