// The grid's clipboard: the text layout other programs read, spreadsheet text pasted back,
// the paste rule's growth and limits, smart fill decided before any change, cut, and the
// private cell format checked whole before it touches a grid.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "controls/grid/GridCellIO.h"
#include "platform/grid/GridStore.h"
#include "platform/gui/Clipbrd.h"
#include "tests/controls/grid/GridInputFixture.h"

namespace {

class ClipboardTest : public GridInputTest {
 public:
  void SetUp() override {
    GridInputTest::SetUp();
    grid->Navigation()->AllowClipboardShortCuts = true;
  }
  static std::string ClipText() {
    return QGuiApplication::clipboard()->mimeData()->data("text/plain;charset=utf-8").toStdString();
  }
  // Everything a paste may change: counts, widths, heights, texts, properties.
  static std::string State(TExtStringGrid* g) {
    std::string s = std::to_string(g->ColCount()) + "x" + std::to_string(g->RowCount()) + "|";
    for (int c = 0; c < g->ColCount(); ++c) s += std::to_string(g->ColWidths(c)) + ",";
    for (int r = 0; r < g->RowCount(); ++r) s += std::to_string(g->RowHeights(r)) + ",";
    for (int r = 0; r < g->RowCount(); ++r)
      for (int c = 0; c < g->ColCount(); ++c) {
        s += "|" + g->Cells(c, r);
        if (TCellProperties* p = g->CellPropertiesOrNull(c, r))
          s += "#" + std::to_string(p->BrushColor()) + (p->ReadOnly ? "R" : "") + std::to_string(p->FontStyle);
      }
    return s;
  }
};

TEST_F(ClipboardTest, CopyPutsTheTextLayoutOtherProgramsRead) {
  const struct {
    const char* name;
    std::vector<std::string> cells;  // row by row
    int cols;
    std::function<void()> setup;
    std::string text;
  } cases[] = {
      {"2 x 2 block", {"a", "b", "c", "d"}, 2, nullptr, "a\tb\r\nc\td\r\n"},
      {"one row: no line end", {"a", "b"}, 2, nullptr, "a\tb"},
      {"line break quoted, CR dropped", {"x\r\ny"}, 1, nullptr, "\"x\ny\""},
      {"quotes doubled inside quotes", {"say \"hi\"\nnow", "plain \"q\""}, 2, nullptr,
       "\"say \"\"hi\"\"\nnow\"\tplain \"q\""},
      {"Windows-1252 cell beside UTF-8 cell", {"K\xE4se", "\xC3\xBC"}, 2, nullptr, "K\xC3\xA4se\t\xC3\xBC"},
      {"markup as plain text", {"<b>bold</b> x"}, 1, nullptr, "bold x"},
      {"markup kept", {"<b>bold</b>"}, 1, [this] { grid->Navigation()->CopyHTMLTagsToClipboard = true; }, "<b>bold</b>"},
      {"rich text as its words", {"{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}Gr\\'fc\\'dfe\\par zwei\\tab drei}"}, 1,
       nullptr, "\"Gr\xC3\xBC\xC3\x9F" "e\nzwei\tdrei\""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    grid->Navigation()->CopyHTMLTagsToClipboard = false;
    if (c.setup) c.setup();
    const int rows = static_cast<int>(c.cells.size()) / c.cols;
    for (size_t i = 0; i < c.cells.size(); ++i) grid->SetCells(1 + int(i) % c.cols, 1 + int(i) / c.cols, c.cells[i]);
    grid->SetSelection({1, 1, c.cols, rows});
    Key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(ClipText(), c.text);
  }
}

TEST_F(ClipboardTest, SpreadsheetTextIsReadIntoBlocksCellForCell) {
  const struct {
    const char* text;
    std::vector<std::vector<std::string>> rows;  // absent cells are left out
  } cases[] = {
      {"a\tb\r\nc\td\r\n", {{"a", "b"}, {"c", "d"}}},
      {"a\tb\nc\td", {{"a", "b"}, {"c", "d"}}},
      {"a\rb\r", {{"a"}, {"b"}}},
      {"\"two\nlines\"\t\"say \"\"hi\"\"\"\r\nx\t", {{"two\nlines", "say \"hi\""}, {"x", ""}}},
      {"\"a\tb\"\tc", {{"a\tb", "c"}}},
      {"\"old\vstyle\"", {{"old\r\nstyle"}}},
      {"short\r\nlong\tline\tthree", {{"short"}, {"long", "line", "three"}}},
      {"mid\"quote\t\"\"", {{"mid\"quote", ""}}},
      {"\"unclosed\ttail", {{"unclosed\ttail"}}},
      {"", {}},
      {"\r\n", {{""}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::string(c.text)));
    TExtStringGrid::TCellBlock b = TExtStringGrid::ParseClipboardText(c.text);
    ASSERT_EQ(b.Rows, static_cast<int>(c.rows.size()));
    for (int r = 0; r < b.Rows; ++r)
      for (int col = 0; col < b.Cols; ++col) {
        const bool there = col < static_cast<int>(c.rows[r].size());
        EXPECT_EQ(!b.IsAbsent(col, r), there) << r << "," << col;
        if (there) EXPECT_EQ(b.At(col, r), c.rows[r][col]);
      }
  }
}

TEST_F(ClipboardTest, PasteGrowsAsAllowedSkipsWhatMayNotChangeAndStopsAtTheStoreLimit) {
  const struct {
    const char* name;
    std::function<void()> setup;
    int col, row;
    std::string text;
    int rowsAfter;
    std::vector<std::pair<TPoint, std::string>> expect;
  } cases[] = {
      {"three lines into the last row grow two rows", nullptr, 1, 9, "p\r\nq\r\nr\r\n", 12,
       {{{1, 9}, "p"}, {{1, 11}, "r"}}},
      {"without growth only the first line lands",
       [this] { grid->Navigation()->AllowClipboardRowGrow = false; }, 1, 9, "p\r\nq\r\nr", 10, {{{1, 9}, "p"}}},
      {"a short line leaves the cells it lacks", nullptr, 1, 1, "p\tq\r\nr", 10,
       {{{1, 1}, "p"}, {{2, 1}, "q"}, {{1, 2}, "r"}, {{2, 2}, "2:2"}}},
      {"a read-only cell keeps its text", [this] { grid->SetReadOnly(2, 1, true); }, 1, 1, "p\tq", 10,
       {{{1, 1}, "p"}, {{2, 1}, "2:1"}}},
      {"a refused cell keeps its text",
       [this] {
         grid->OnClipboardBeforePasteCell = [](TObject*, int c, int, std::string& v, bool& allow) {
           allow = c != 1;
           v += "!";
         };
       },
       1, 1, "p\tq", 10, {{{1, 1}, "1:1"}, {{2, 1}, "q!"}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    if (c.setup) c.setup();
    Clipboard()->SetAsText(c.text);
    grid->SetSelection({c.col, c.row, c.col, c.row});
    Key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(grid->RowCount(), c.rowsAfter);
    for (const auto& [p, v] : c.expect) EXPECT_EQ(grid->Cells(p.X, p.Y), v) << p.X << "," << p.Y;
    TearDown();
  }
  SetUp();
  const int bound = TGridStore::kIndexBound;
  grid->SetRowCount(bound - 1);
  int read = -1;
  EXPECT_NO_THROW(read = grid->PasteTextAt(1, bound - 2, "a\r\nb\r\nc\r\nd"));
  EXPECT_EQ(read, 2) << "rows past the store's last index are not read";
  EXPECT_EQ(grid->RowCount(), bound);
  EXPECT_EQ(grid->Cells(1, bound - 1), "b");
}

TEST_F(ClipboardTest, SmartFillDecidesTheSeriesBeforeAnythingChanges) {
  grid->Navigation()->AllowSmartClipboard = true;
  grid->SetSelection({1, 1, 1, 5});
  // Two date-like texts that are no dates: the error comes with nothing pasted.
  Clipboard()->SetAsText(std::string("1") + FormatSettings.DateSeparator + "x" + FormatSettings.DateSeparator +
                         "\r\n2" + FormatSettings.DateSeparator + "y" + FormatSettings.DateSeparator + "\r\n");
  const std::string before = State(grid);
  EXPECT_THROW(grid->PasteSelectionFromClipboard(), Exception);
  EXPECT_EQ(State(grid), before);
  Clipboard()->SetAsText("3\r\n5\r\n");
  grid->PasteSelectionFromClipboard();
  for (int r = 1; r <= 5; ++r) EXPECT_EQ(grid->Cells(1, r), std::to_string(1 + 2 * r));
}

TEST_F(ClipboardTest, CutEmptiesWhatMayChangeAndFreesOnlyTheirProperties) {
  grid->Navigation()->AllowFmtClipboard = true;
  grid->SetColors(1, 1, clRed);
  grid->SetColors(2, 1, clBlue);
  grid->SetReadOnly(2, 1, true);
  grid->SetSelection({1, 1, 2, 1});
  Key(Qt::Key_X, Qt::ControlModifier);
  EXPECT_EQ(ClipText(), "1:1\t2:1");
  EXPECT_EQ(grid->Cells(1, 1), "");
  EXPECT_FALSE(grid->HasCellProperties(1, 1));
  EXPECT_EQ(grid->Cells(2, 1), "2:1");
  EXPECT_TRUE(grid->ReadOnly(2, 1)) << "the kept cell stays read-only";
  EXPECT_EQ(grid->Colors(2, 1), clBlue);
}

TEST_F(ClipboardTest, TheHexGridCopiedWholeIsPastedIdenticalIntoAFreshGrid) {
  grid->Navigation()->AllowFmtClipboard = true;
  grid->SetColCount(17);
  grid->SetRowCount(4097);
  grid->SetFixedCols(1);
  grid->SetFixedRows(1);
  for (int c = 0; c < 17; ++c) grid->SetColWidths(c, c == 0 ? 48 : 22);
  char buf[8];
  for (int r = 0; r < 4097; ++r)
    for (int c = 0; c < 17; ++c) {
      snprintf(buf, sizeof buf, "%02X", (r * 16 + c) & 0xFF);
      grid->SetCells(c, r, buf);
    }
  grid->SetColors(3, 100, clYellow);
  grid->SetReadOnly(4, 4096, true);
  grid->GetCellProperties(5, 7)->FontStyle = fsBold;
  grid->AddRadio(6, 8, true, 1, {"A", "B"});
  grid->SetSelection({0, 0, 16, 4096});
  grid->CopySelectionToClipboard();

  auto* fresh = new TExtStringGrid(form);
  fresh->SetParent(form);
  fresh->SetOptions(fresh->Options() | goEditing);
  fresh->Navigation()->AllowFmtClipboard = true;
  EXPECT_EQ(fresh->PasteAt(0, 0), 17 * 4097);
  EXPECT_EQ(State(fresh), State(grid));
  ASSERT_NE(fresh->GetCellGraphic(6, 8), nullptr);
  EXPECT_EQ(fresh->GetCellGraphic(6, 8)->Items, (std::vector<std::string>{"A", "B"}));
}

TEST_F(ClipboardTest, PrivateCellsNameTheirGridAndMalformedStreamsChangeNothing) {
  struct TOrigins : TExtStringGrid {
    using TExtStringGrid::TExtStringGrid;
    std::vector<TPoint> Origins;
    void CellsPasted(TPoint o, const TGridRect&, bool) override { Origins.push_back(o); }
  };
  auto* a = new TOrigins(form);
  auto* b = new TOrigins(form);
  for (auto* g : {a, b}) {
    g->SetParent(form);
    g->SetOptions(g->Options() | goEditing);
    g->Navigation()->AllowFmtClipboard = true;
  }
  a->SetCells(2, 2, "x");
  a->CopyRangeToClipboard({2, 2, 3, 3}, false);
  a->PasteAt(1, 1);
  b->PasteAt(1, 1);
  ASSERT_EQ(a->Origins.size(), 1u);
  EXPECT_EQ(a->Origins[0], TPoint(2, 2));
  EXPECT_EQ(b->Origins, std::vector<TPoint>{TPoint(-1, -1)});
  EXPECT_EQ(b->Cells(1, 1), "x");

  // A whole-grid block, then broken in each way another process could break it.
  a->SetColCount(3);
  a->SetRowCount(3);
  a->SetColors(1, 1, clRed);
  const std::string good = a->EncodeCells({0, 0, 2, 2});
  auto patched = [&](const std::string& from, const std::string& to) {
    std::string s = good;
    size_t p = s.find(from);
    EXPECT_NE(p, std::string::npos) << from;
    if (p != std::string::npos) s.replace(p, from.size(), to);
    return s;
  };
  auto le = [](uint32_t v) { return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; };
  const struct {
    const char* name;
    std::string bytes;
  } bad[] = {
      {"empty", ""},
      {"wrong magic", "VLMCELLX" + good.substr(8)},
      {"cut short", good.substr(0, good.size() - 3)},
      {"trailing byte", good + "x"},
      {"unknown record", patched("TGridCellIO", "TGridCellIX")},
      {"unknown field", patched("HasProp", "HasPrap")},
      {"coordinate out of the block", patched(std::string("Col") + "I" + le(1), std::string("Col") + "I" + le(7))},
      {"huge block", patched(std::string("ColCount") + "I" + le(3), std::string("ColCount") + "I" + le(1u << 30))},
      {"string longer than the data", patched(std::string("ID") + "S", std::string("ID") + "S" + le(0x7FFFFFFF))},
      {"bad width list", patched("64,64,64", "64,x4,64")},
  };
  b->SetColCount(4);
  b->SetRowCount(4);
  b->SetCells(3, 3, "keep");
  const std::string before = State(b);
  for (const auto& c : bad) {
    SCOPED_TRACE(c.name);
    TGridRect w;
    EXPECT_EQ(b->PasteEncodedCells(TPoint(0, 0), c.bytes, w), 0);
    EXPECT_EQ(State(b), before);
  }
  TGridRect w;
  EXPECT_EQ(b->PasteEncodedCells(TPoint(0, 0), good, w), 9);
  EXPECT_EQ(b->ColCount(), 3);
  EXPECT_EQ(b->Colors(1, 1), clRed);
}

}  // namespace
