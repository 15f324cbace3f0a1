// The one cell limit for a grid grown from outside data: every way in (CSV, the text stream,
// pasted text, the private cell block, a drop) refuses with a message before the grid changes,
// and the stream is read a block at a time.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>

#include "controls/grid/GridCellIO.h"
#include "platform/grid/GridStore.h"
#include "tests/controls/grid/GridInputFixture.h"

namespace fs = std::filesystem;

namespace {

// The scroll range's first column as the grid computes it.
class TGridProbe : public TExtStringGrid {
 public:
  using TExtStringGrid::TExtStringGrid;
  int LastLeft() const { return MaxLeftCol(); }
};

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
      {"a size line of NUL and control bytes", std::string("1,\0\x01\x1b[2J", 8) + "\r\n"},
      {"a cell line of 17 MiB", "2,2\r\n1,1," + std::string(17u << 20, 'w') + "\r\n"},
      {"a last line of 17 MiB without its line end", "2,2\r\n1,1,x\r\n" + std::string(17u << 20, 'w')},
  };
  const std::string before = State();
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
      EXPECT_EQ(e.Message().find('\0'), std::string::npos) << "raw NUL in the message";
      EXPECT_EQ(e.Message().find('\x1b'), std::string::npos) << "raw control byte in the message";
    }
    EXPECT_EQ(State(), before);
  }
}

// A stream of one endless line: 'w' bytes up to a size no one could hold.
class TEndlessLine : public TStream {
 public:
  int64_t Read(void* Buffer, int64_t Count) override {
    const int64_t n = std::max<int64_t>(0, std::min(Count, kSize - pos_));
    std::memset(Buffer, 'w', static_cast<size_t>(n));
    pos_ += n;
    read += n;
    return n;
  }
  int64_t Write(const void*, int64_t) override { return 0; }
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override {
    pos_ = Origin == soBeginning ? Offset : Origin == soCurrent ? pos_ + Offset : kSize + Offset;
    return pos_;
  }
  int64_t Size() override { return kSize; }
  static constexpr int64_t kSize = int64_t(64) << 30;
  int64_t read = 0;

 private:
  int64_t pos_ = 0;
};

TEST_F(LimitTest, AStreamLineOverSixteenMebibytesIsRefusedBeforeItIsHeldWhole) {
  TEndlessLine s;
  const std::string before = State();
  try {
    grid->LoadGridFromStream(&s);
    ADD_FAILURE() << "no error";
  } catch (const EExtGridError& e) {
    EXPECT_EQ(e.Message(), "Grid stream line " + std::string(40, 'w') + "... is longer than 16777216 bytes");
  }
  EXPECT_LE(s.read, (int64_t(16) << 20) + (1 << 16)) << "read on past the bound";
  EXPECT_EQ(State(), before);
}

// One bound for every width and height, from every way in: code, the stream, the defaults; the
// scroll range of a grid of the widest columns stays right.
TEST_F(LimitTest, WidthsAndHeightsAreBoundedFromEveryWayIn) {
  const int kMax = TCustomGrid::MaxLineExtent;
  const struct {
    const char* name;
    std::function<void()> set;
    std::function<int()> got;
    int want;
  } cases[] = {
      {"a width from code", [&] { grid->SetColWidths(1, 2147483647); }, [&] { return grid->ColWidths(1); }, kMax},
      {"a negative width from code", [&] { grid->SetColWidths(1, -2147483647 - 1); }, [&] { return grid->ColWidths(1); }, 0},
      {"a height from code", [&] { grid->SetRowHeights(2, 1 << 30); }, [&] { return grid->RowHeights(2); }, kMax},
      {"a default width", [&] { grid->SetDefaultColWidth(1 << 30); }, [&] { return grid->DefaultColWidth(); }, kMax},
      {"a default height", [&] { grid->SetDefaultRowHeight(1 << 30); }, [&] { return grid->DefaultRowHeight(); }, kMax},
      {"a grid line", [&] { grid->SetGridLineWidth(2147483647); }, [&] { return grid->GridLineWidth(); }, kMax},
      {"a width from the stream",
       [&] {
         TMemoryStream m;
         const std::string t = "5,10\r\ncw 0,2147483647\r\n";
         m.Write(t.data(), static_cast<int64_t>(t.size()));
         m.SetPosition(0);
         grid->LoadGridFromStream(&m);
       },
       [&] { return grid->ColWidths(0); }, kMax},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    c.set();
    EXPECT_EQ(c.got(), c.want);
  }
  // The scroll range: one column of the widest, and fixed columns wider together than an int
  // holds (the fixed part fills the view: the first scrollable column is the last one).
  TGridProbe* g = new TGridProbe(form);
  g->SetBounds(0, 0, 400, 200);
  g->SetRowCount(1);
  g->SetFixedRows(0);
  g->SetColCount(3);
  g->SetFixedCols(1);
  g->SetColWidths(2, 2147483647);
  EXPECT_EQ(g->LastLeft(), 2);
  g->SetDefaultColWidth(2147483647);
  g->SetColCount(600000);
  g->SetFixedCols(599990);
  EXPECT_EQ(g->LastLeft(), 599999);
  delete g;
}

}  // namespace
