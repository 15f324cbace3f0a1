// The grid text stream: its exact lines, round trips over every kind of fixed line, and a
// reader that checks the grid's part of the stream before it changes anything.
#include <gtest/gtest.h>

#include "tests/controls/grid/GridInputFixture.h"

namespace {

class StreamTest : public GridInputTest {
 public:
  static std::string Bytes(TMemoryStream& s) {
    std::string r(static_cast<size_t>(s.Size()), '\0');
    s.SetPosition(0);
    s.Read(r.data(), s.Size());
    return r;
  }
  static void Put(TMemoryStream& s, const std::string& bytes) {
    s.Write(bytes.data(), static_cast<int64_t>(bytes.size()));
    s.SetPosition(0);
  }
  TExtStringGrid* Fresh() {
    auto* g = new TExtStringGrid(form);
    g->SetParent(form);
    return g;
  }
  static std::string State(TExtStringGrid* g) {
    std::string s = std::to_string(g->ColCount()) + "x" + std::to_string(g->RowCount());
    for (int c = 0; c < g->ColCount(); ++c) s += "," + std::to_string(g->ColWidths(c));
    for (int r = 0; r < g->RowCount(); ++r)
      for (int c = 0; c < g->ColCount(); ++c) s += "|" + g->Cells(c, r);
    return s;
  }
};

TEST_F(StreamTest, TheStreamHoldsExactlyTheSizeTheWidthsAndTheNonEmptyCells) {
  auto* g = Fresh();
  g->SetColCount(3);
  g->SetRowCount(2);
  g->SetFixedCols(0);
  g->SetFixedRows(0);
  for (int c = 0; c < 3; ++c) g->SetColWidths(c, 64);
  g->SetCells(1, 1, "x");
  TMemoryStream s;
  g->SaveGridToStream(&s);
  EXPECT_EQ(Bytes(s), "3,2\r\ncw 0,64\r\ncw 1,64\r\ncw 2,64\r\n1,1,x\r\n");
}

TEST_F(StreamTest, SaveAndLoadGiveTheSameGridWhateverItsFixedLines) {
  const struct {
    const char* name;
    bool include;
    int fixedCols, fixedRows, rightCols, footers;
    bool multi;
  } cases[] = {
      {"fixed cells included", true, 1, 1, 1, 1, true},
      {"fixed cells left out", false, 1, 1, 0, 0, true},
      {"right-fixed columns and footers left out", false, 1, 2, 2, 1, true},
      {"single-line cells", false, 0, 0, 1, 1, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto make = [&] {
      auto* g = Fresh();
      g->IncludeFixedCells = c.include;
      g->Multilinecells = c.multi;
      g->SetColCount(6);
      g->SetRowCount(7);
      g->SetFixedCols(c.fixedCols);
      g->SetFixedRows(c.fixedRows);
      g->SetFixedRightCols(c.rightCols);
      g->SetFixedFooters(c.footers);
      return g;
    };
    TExtStringGrid* a = make();
    for (int r = 0; r < 7; ++r)
      for (int col = 0; col < 6; ++col) a->SetCells(col, r, (r + col) % 3 ? std::to_string(col) + "." + std::to_string(r) : "");
    a->SetCells(2, 3, c.multi ? "two\r\nlines" : "one line");
    a->SetColWidths(4, 91);
    TMemoryStream s;
    a->SaveGridToStream(&s);
    // What the saved range leaves out is not in the stream: the grid loaded into keeps its own
    // there; inside it, a cell saved empty has no line and keeps what it held.
    TExtStringGrid* b = make();
    b->SetColCount(9);
    b->SetRowCount(12);
    for (int r = 0; r < 12; ++r)
      for (int col = 0; col < 9; ++col) b->SetCells(col, r, "old");
    s.SetPosition(0);
    b->LoadGridFromStream(&s);
    EXPECT_EQ(b->ColCount(), a->ColCount());
    EXPECT_EQ(b->RowCount(), a->RowCount());
    EXPECT_EQ(b->ColWidths(4), 91);
    const int r0 = c.include ? 0 : c.fixedRows, c0 = c.include ? 0 : c.fixedCols;
    const int r1 = a->RowCount() - (c.include ? 0 : c.footers), c1 = a->ColCount() - (c.include ? 0 : c.rightCols);
    for (int r = r0; r < r1; ++r)
      for (int col = c0; col < c1; ++col) {
        const std::string saved = a->Cells(col, r);
        EXPECT_EQ(b->Cells(col, r), saved.empty() ? "old" : saved) << col << "," << r;
      }
    EXPECT_EQ(b->Cells(0, 0), "old");
  }
}

TEST_F(StreamTest, AssignLeavesNoCellOfTheTargetBehind) {
  TExtStringGrid* source = Fresh();
  TExtStringGrid* target = Fresh();
  source->SetColCount(3);
  source->SetRowCount(3);
  source->SetCells(2, 2, "new22");
  for (int r = 0; r < 5; ++r)
    for (int c = 0; c < 5; ++c) target->SetCells(c, r, "old" + std::to_string(c) + std::to_string(r));
  target->Assign(source);
  EXPECT_EQ(target->Cells(1, 1), "");
  EXPECT_EQ(target->Cells(2, 2), "new22");
}

TEST_F(StreamTest, TheReaderChecksTheGridsPartFirstAndStopsBeforeWhatFollows) {
  auto* g = Fresh();
  g->SetColCount(4);
  g->SetRowCount(4);
  g->SetCells(1, 1, "kept");
  const std::string before = State(g);
  std::string bad = "9,60\r\ncw 0,10\r\n";
  for (int r = 0; r < 49; ++r) bad += "1," + std::to_string(r) + ",v\r\n";
  bad += "1,4q,v\r\n";
  TMemoryStream s;
  Put(s, bad);
  EXPECT_THROW(g->LoadGridFromStream(&s), EConvertError);
  EXPECT_EQ(State(g), before) << "a bad number on line 52 leaves no half grid";

  TMemoryStream t;
  Put(t, "2,2\r\ncw 0,30\r\ncw 7,99\r\n0,0,a\tb\b\r\n12\r\nnext thing\r\n");
  g->LoadGridFromStream(&t);
  EXPECT_EQ(g->ColCount(), 2);
  EXPECT_EQ(g->ColWidths(0), 30);
  EXPECT_EQ(g->Cells(0, 0), g->Multilinecells ? "a\r\nb\n" : "a");
  std::string rest;
  g->ReadStreamLine(&t, rest);
  EXPECT_EQ(rest, "12") << "the stream stands before the line that is no cell line";
}

}  // namespace
