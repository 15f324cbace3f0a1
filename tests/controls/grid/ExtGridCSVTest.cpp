// The CSV import against Python's csv module on a corpus csv.writer wrote, the delimiter
// guess, hostile files, and the import's place in the grid (append with a footer row,
// progress, fixed cells).
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/controls/grid/GridInputFixture.h"

namespace fs = std::filesystem;

namespace {

class CsvTest : public GridInputTest {
 public:
  fs::path dir;
  void SetUp() override {
    GridInputTest::SetUp();
    dir = fs::temp_directory_path() / ("velmaron-csv-" + std::to_string(getpid()));
    fs::create_directories(dir);
  }
  void TearDown() override {
    fs::remove_all(dir);
    GridInputTest::TearDown();
  }
  std::string Write(const std::string& name, const std::string& bytes) {
    std::string p = (dir / name).string();
    std::ofstream(p, std::ios::binary) << bytes;
    return p;
  }
  // The office program's workbook made from a CSV file of this folder, its formulas evaluated.
  std::string Workbook(const std::string& csv) {
    const std::string filter = "CSV:44,34,76,1,,0,false,true,false,false,false,,true";
    const std::string make = "cd " + dir.string() + " && soffice --headless -env:UserInstallation=file://" +
                             dir.string() + "/p --convert-to xlsx --infilter=" + filter + " " + csv + " >/dev/null 2>&1";
    if (std::system(make.c_str()) != 0) return std::string();
    return (dir / fs::path(csv).replace_extension(".xlsx")).string();
  }
  std::string Texts() {
    std::string s = std::to_string(grid->ColCount()) + "x" + std::to_string(grid->RowCount());
    for (int r = 0; r < grid->RowCount(); ++r)
      for (int c = 0; c < grid->ColCount(); ++c) s += "|" + grid->Cells(c, r);
    return s;
  }
};

std::string Unhex(const std::string& h) {
  if (h == "-") return "";
  std::string r;
  for (size_t i = 0; i + 1 < h.size(); i += 2) r += static_cast<char>(std::stoi(h.substr(i, 2), nullptr, 16));
  return r;
}

TEST_F(CsvTest, ImportReadsWhatPythonsCsvModuleReadsFieldForField) {
  const std::string corpus = (dir / "corpus").string();
  ASSERT_EQ(std::system(("python3 " + std::string(VELMARON_SOURCE_DIR) +
                         "/tests/controls/grid/data/csv_corpus.py " + corpus).c_str()),
            0);
  int files = 0;
  for (const auto& e : fs::directory_iterator(corpus)) {
    if (e.path().extension() != ".csv") continue;
    ++files;
    SCOPED_TRACE(e.path().filename().string());
    std::ifstream exp(fs::path(e.path()).replace_extension(".expected"));
    std::string line, delimHex;
    std::getline(exp, delimHex);
    std::vector<std::vector<std::string>> want;
    while (std::getline(exp, line)) {
      std::vector<std::string> rec;
      std::istringstream in(line);
      for (std::string h; in >> h;) rec.push_back(Unhex(h));
      want.push_back(rec);
    }
    auto* g = new TExtStringGrid(form);
    g->SetParent(form);
    g->Delimiter = Unhex(delimHex)[0];
    g->LoadFromCSV(e.path().string());
    ASSERT_EQ(g->RowCount(), static_cast<int>(want.size()));
    for (int r = 0; r < g->RowCount(); ++r)
      for (int c = 0; c < g->ColCount(); ++c) {
        const std::string expect = c < static_cast<int>(want[r].size()) ? want[r][c] : std::string();
        EXPECT_EQ(g->Cells(c, r), expect) << "record " << r << " field " << c;
      }
    delete g;
  }
  EXPECT_EQ(files, 13);
}

// Unquoted fields of every length up to three times eight bytes, with a stray or doubled quote
// at each place and the delimiter or line end right after: the record and field counts and
// every text are those of a field read byte by byte (a doubled quote is one, a single one goes).
TEST_F(CsvTest, FieldsOfEveryLengthKeepTheirTextsAndCounts) {
  struct Case {
    const char* Name;
    std::string Insert;  // put at each place of the field
    std::string Becomes;
  };
  const Case cases[] = {{"plain", "", ""}, {"stray quote", "\"", ""}, {"doubled quote", "\"\"", "\""}};
  for (const Case& c : cases)
    for (const char* end : {"\r\n", "\n", "\r"}) {
      SCOPED_TRACE(std::string(c.Name) + (end[0] == '\n' ? " LF" : end[1] ? " CRLF" : " CR"));
      std::string file;
      std::vector<std::vector<std::string>> want;
      for (int len = 0; len <= 24; ++len) {
        // Record len: field 0 "xx..." with the insert at place len % (len + 1), then "end".
        std::string body(static_cast<size_t>(len), 'x');
        for (int i = 0; i < len; ++i) body[static_cast<size_t>(i)] = static_cast<char>('a' + i % 26);
        const size_t at = static_cast<size_t>(len) / 2;
        // A field that starts with a quote is a quoted one: the insert goes after the first byte.
        const size_t place = len == 0 ? 0 : std::max<size_t>(at, 1);
        std::string field = body, text = body;
        if (len > 0 || c.Insert.empty()) {
          field.insert(place, c.Insert);
          text.insert(place, c.Becomes);
        }
        file += "k" + std::to_string(len) + "," + field + ",end" + end;
        want.push_back({"k" + std::to_string(len), text, "end"});
      }
      grid->Delimiter = ',';
      grid->LoadFromCSV(Write("lengths.csv", file));
      ASSERT_EQ(grid->RowCount(), static_cast<int>(want.size()));
      ASSERT_GE(grid->ColCount(), 3);
      for (int r = 0; r < grid->RowCount(); ++r)
        for (int col = 0; col < 3; ++col)
          EXPECT_EQ(grid->Cells(col, r), want[static_cast<size_t>(r)][static_cast<size_t>(col)]) << r << "," << col;
    }
  // A long record of short fields: every delimiter counts, so the grid grows to all of them.
  std::string wide;
  for (int i = 0; i < 40; ++i) wide += (i ? "," : "") + std::to_string(i % 10);
  grid->LoadFromCSV(Write("wide.csv", wide + "\r\n" + wide + "\r\n"));
  ASSERT_EQ(grid->ColCount(), 40);
  for (int i = 0; i < 40; ++i) EXPECT_EQ(grid->Cells(i, 1), std::to_string(i % 10)) << i;
}

TEST_F(CsvTest, TheDelimiterIsGuessedFromTheFirstTwoRecords) {
  const struct {
    const char* text;
    char delim;
  } cases[] = {
      {"a;b;c;d,e,f\r\ng;h;i;j,k,l\r\n", ';'},      // the larger equal count
      {"a;b;c,d,e\r\nf;g,h,i\r\n", ','},            // ";" differs between the lines
      {"a;b,c\r\nd;e,f\r\n", ','},                  // equal counts: "," comes first
      {"a|b|c|d\r\n", '|'},                         // one record: the most frequent
      {"a;;b;c\r\nd;;e;f\r\n", ';'},                // a doubled delimiter counts as a run
      {"2024-01-05\r\n2024-02-06\r\n", 0},          // dates stay one column
      {"-5\r\n-7\r\n", 0},                          // negative numbers too
      {"x-y\tz\r\nu-v\tw\r\n", '\t'},               // a usual delimiter before "-"
      {"x-y-z\r\nu-v-w\r\n", '-'},                  // "-" when nothing usual is there
      {"\"a,b\";c\r\n\"d,e\";f\r\n", ';'},          // quoted text does not count
      {"\"one\ntwo\",x\r\ny,z\r\n", ','},           // a record over two lines
      {"plain\r\nwords\r\n", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(TExtStringGrid::GuessCSVDelimiter(c.text), c.delim) << c.text;
}

TEST_F(CsvTest, HostileFilesEndWithAMessageAndLeaveTheGridAsItWas) {
  const std::string fifo = (dir / "pipe.csv").string();
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  fs::create_directories(dir / "folder.csv");
  const struct {
    const char* name;
    std::string path;
    std::string says;  // a reason after "Cannot open file NAME. " when it starts with "."
  } cases[] = {
      {"NUL bytes", Write("nul.csv", std::string("a,b\r\nc\0d,e\r\n", 12)), "NUL"},
      {"a record over the limit", Write("long.csv", "a,b\r\n" + std::string(20u << 20, 'x') + "\r\n"), "longer than"},
      {"an unclosed quote", Write("open.csv", "a,b\r\n\"c,d\r\ne,f\r\n"), "no closing quote"},
      {"a record wider than a grid", Write("wide.csv", "a,b\r\n" + std::string(1u << 20, ',') + "\r\n"), "do not fit"},
      {"a folder", (dir / "folder.csv").string(), ". Not a regular file"},
      {"a FIFO", fifo, ". Not a regular file"},
      {"a device", "/dev/null", ". Not a regular file"},
      {"no file", (dir / "none.csv").string(), ". No such file or directory"},
      {"a link loop", (dir / "loop.csv").string(), ". Too many levels of symbolic links"},
      {"a dangling link", (dir / "gone.csv").string(), ". It is a link to a file that does not exist"},
  };
  fs::create_symlink("loop.csv", dir / "loop.csv");
  fs::create_symlink("none.csv", dir / "gone.csv");
  const std::string before = Texts();
  const int held = grid->Store().RowsHeld();
  for (const auto& c : cases)
    for (bool append : {false, true}) {
      // Appended, the rows to fill hold nothing yet: a fault found late must not leave the
      // records before it behind, where a grid grown later would show them.
      SCOPED_TRACE(std::string(c.name) + (append ? ", appended" : ""));
      try {
        grid->LoadCSVFile(c.path, append);
        ADD_FAILURE() << "no error";
      } catch (const EExtGridError& e) {
        if (c.says[0] == '.')
          EXPECT_EQ(e.Message(), "Cannot open file " + c.path + c.says);
        else
          EXPECT_NE(e.Message().find(c.says), std::string::npos) << e.Message();
      }
      EXPECT_EQ(Texts(), before);
      EXPECT_EQ(grid->Store().RowsHeld(), held);
    }
}

TEST_F(CsvTest, ImportPlacesRowsAfterFixedCellsKeepsTheFooterRowAndReportsProgress) {
  // Without fixed cells included, data start at the first non-fixed cell; columns the file
  // does not reach keep their texts; the rows end at the last record.
  grid->IncludeFixedCells = false;
  grid->SetFixedCols(1);
  grid->SetFixedRows(1);
  std::vector<int> progress;
  grid->OnFileProgress = [&](TObject*, int p) { progress.push_back(p); };
  grid->LoadFromCSV(Write("a.csv", "p,q\r\nr,\"s~t\"\r\n"));
  EXPECT_EQ(grid->RowCount(), 3);
  EXPECT_EQ(grid->Cells(1, 1), "p");
  EXPECT_EQ(grid->Cells(2, 2), "s~t");
  EXPECT_EQ(grid->Cells(4, 1), "4:1");
  EXPECT_EQ(progress, (std::vector<int>{50, 100}));

  grid->TildeLineBreaks = true;
  grid->LoadCSVFile(Write("b.csv", "u,v~w\r\n"), true);
  EXPECT_EQ(grid->RowCount(), 4);
  EXPECT_EQ(grid->Cells(2, 3), "v\r\nw");
}

TEST_F(CsvTest, AVisibleFloatingFooterStaysTheLastRowWithItsCalculations) {
  // Rows 1..3 hold 1 in column 1, row 4 is the footer: the sum in column 1, the count in
  // column 2, a caption in column 0. Every record lands in a data row above it.
  const struct {
    const char* name;
    bool append;
    std::string file;
    const char* rows;  // column 1 of every row, "|" between
    const char* sum;
    const char* count;
  } cases[] = {
      {"two records appended", true, "x,5\r\ny,7\r\n", "h|1|1|1|5|7|", "15.00", "5"},
      {"one record appended", true, "x,5\r\n", "h|1|1|1|5|", "8.00", "4"},
      {"nothing appended", true, "", "h|1|1|1|", "3.00", "3"},
      {"three records imported", false, "h,h\r\nx,5\r\ny,7\r\n", "h|5|7|", "12.00", "2"},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.name);
    grid->IncludeFixedCells = true;
    grid->ClearAll();  // nothing kept past the row count shows again when the grid grows
    grid->SetColCount(3);
    grid->SetRowCount(5);
    for (int r = 0; r < 5; ++r)
      for (int c = 0; c < 3; ++c) grid->SetCells(c, r, r == 0 ? "h" : c == 1 ? "1" : "");
    grid->FloatingFooter()->SetVisible(true);
    grid->GetCellProperties(1, 4)->FooterCalc = 1;
    grid->GetCellProperties(2, 4)->FooterCalc = 3;
    grid->SetCells(0, 4, "Total");
    grid->CalcFooter(-1);
    ASSERT_EQ(grid->Cells(1, 4), "3.00");
    grid->LoadCSVFile(Write("f.csv", k.file), k.append);
    const int last = grid->RowCount() - 1;
    std::string col1;
    for (int r = 0; r < last; ++r) col1 += grid->Cells(1, r) + "|";
    EXPECT_EQ(col1, k.rows);
    EXPECT_EQ(grid->Cells(0, last), "Total");
    EXPECT_EQ(grid->Cells(1, last), k.sum);
    EXPECT_EQ(grid->Cells(2, last), k.count);
    for (int r = 0; r < last; ++r) EXPECT_NE(grid->Cells(0, r), "Total") << "row " << r;
    grid->FloatingFooter()->SetVisible(false);
    for (int r = 0; r < grid->RowCount(); ++r) grid->FreeCellProperties(1, r), grid->FreeCellProperties(2, r);
  }
}

// An append after a shorter import fills new rows: nothing of the longer file before shows.
TEST_F(CsvTest, AnAppendAfterAShorterImportShowsNothingOfTheFileBefore) {
  const struct {
    const char* name;
    std::string before, shorter;
    const char* rows;  // every row after appending "z", "|" between
  } cases[] = {
      {"six rows, then two", "a,b,c\r\na,b,c\r\na,b,c\r\na,b,c\r\na,b,c\r\na,b,c\r\n", "p,q,r\r\np,q,r\r\n",
       "p q r|p q r|z  |"},
      {"six rows, then one", "a,b,c\r\na,b,c\r\na,b,c\r\na,b,c\r\na,b,c\r\na,b,c\r\n", "p,q,r\r\n", "p q r|z  |"},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.name);
    grid->IncludeFixedCells = true;
    grid->LoadFromCSV(Write("long.csv", k.before));
    grid->SetColors(1, 2, clRed);
    grid->LoadFromCSV(Write("short.csv", k.shorter));
    grid->LoadCSVFile(Write("z.csv", "z\r\n"), true);
    std::string rows;
    for (int r = 0; r < grid->RowCount(); ++r)
      rows += grid->Cells(0, r) + " " + grid->Cells(1, r) + " " + grid->Cells(2, r) + "|";
    EXPECT_EQ(rows, k.rows);
    EXPECT_EQ(grid->Colors(1, 2), clNone);
  }
}

TEST_F(CsvTest, LineBreakMarksBecomeLineBreaksAndAReadAgainReplacesEveryText) {
  // Without tilde marks a vertical tab is a line break; with them "~" is and a lone "^" is empty.
  grid->IncludeFixedCells = true;
  grid->LoadFromCSV(Write("vt.csv", "a\vb,c~d\r\n^,e\r\n"));
  EXPECT_EQ(grid->Cells(0, 0), "a\r\nb");
  EXPECT_EQ(grid->Cells(1, 0), "c~d");
  EXPECT_EQ(grid->Cells(0, 1), "^");
  grid->TildeLineBreaks = true;
  grid->LoadFromCSV(Write("caret.csv", "^,x^y\r\n"));
  EXPECT_EQ(grid->Cells(0, 0), "") << "a lone caret is an empty field";
  EXPECT_EQ(grid->Cells(1, 0), "x^y");
  grid->LoadFromCSV(Write("tilde.csv", "p~q,a\vb\r\n"));
  EXPECT_EQ(grid->Cells(0, 0), "p\r\nq");
  EXPECT_EQ(grid->Cells(1, 0), "a\vb") << "with tilde marks a vertical tab stays";

  // Read again into the same cells: long and short texts replace each other, an empty field
  // empties its cell, and no text of the first read is left in a cell the second one wrote.
  grid->TildeLineBreaks = false;
  const std::string longText(50, 'L');
  grid->LoadFromCSV(Write("one.csv", longText + ",s,\"" + longText + "\"\r\nx,y,z\r\n"));
  grid->LoadFromCSV(Write("two.csv", "t,\"" + longText + "\",\r\n," + longText + ",w\r\n"));
  EXPECT_EQ(grid->Cells(0, 0), "t");
  EXPECT_EQ(grid->Cells(1, 0), longText);
  EXPECT_EQ(grid->Cells(2, 0), "");
  EXPECT_EQ(grid->Cells(0, 1), "");
  EXPECT_EQ(grid->Cells(1, 1), longText);
  EXPECT_EQ(grid->Cells(2, 1), "w");
}

TEST_F(CsvTest, ASpreadsheetIsReadThroughTheOfficeProgramOrRefusedWithoutOne) {
  const std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
  setenv("PATH", dir.c_str(), 1);
  try {
    grid->LoadXLSFile(Write("x.xls", "not read"));
    ADD_FAILURE() << "no error";
  } catch (const EExtGridError& e) {
    EXPECT_EQ(e.Message(), "Excel OLE server not found");
  }
  setenv("PATH", path.c_str(), 1);
  if (std::system("command -v soffice >/dev/null 2>&1") != 0) GTEST_SKIP() << "LibreOffice is not installed";
  // A workbook of the office program's own, made from a CSV file: one sheet named "book".
  Write("book.csv", "name,value\r\n\"K\xC3\xA4se, alt\",3\r\n");
  const std::string make = "cd " + dir.string() + " && soffice --headless -env:UserInstallation=file://" + dir.string() +
                           "/p --convert-to xlsx --infilter=CSV:44,34,76 book.csv >/dev/null 2>&1";
  ASSERT_EQ(std::system(make.c_str()), 0);
  const std::string book = (dir / "book.xlsx").string();
  grid->IncludeFixedCells = false;
  grid->SetFixedCols(1);
  grid->SetFixedRows(1);
  grid->LoadXLSSheet(book, "book");
  EXPECT_EQ(grid->ColCount(), 3);
  EXPECT_EQ(grid->RowCount(), 3);
  EXPECT_EQ(grid->FixedCols(), 1);
  EXPECT_EQ(grid->Cells(1, 1), "name");
  EXPECT_EQ(grid->Cells(1, 2), "K\xC3\xA4se, alt");
  EXPECT_EQ(grid->Cells(2, 2), "3");
  const std::string before = Texts();
  try {
    grid->LoadXLSSheet(book, "Nope");
    ADD_FAILURE() << "no error";
  } catch (const EExtGridError& e) {
    EXPECT_EQ(e.Message(), "Excel worksheet Nope not found");
  }
  EXPECT_EQ(Texts(), before);
  EXPECT_EQ(Screen->Cursor(), crDefault);
}

// The sheet's used range starts at C3: its first cell is the first imported cell, the empty
// rows and columns before it are no part of the grid.
TEST_F(CsvTest, ASheetIsReadFromTheFirstCellOfItsUsedRange) {
  if (std::system("command -v soffice >/dev/null 2>&1") != 0) GTEST_SKIP() << "LibreOffice is not installed";
  Write("used.csv", "\r\n\r\n,,a,b\r\n,,c,=1/0\r\n");
  const std::string book = Workbook("used.csv");
  ASSERT_FALSE(book.empty());
  const struct {
    const char* name;
    bool include;
    int fixed;
  } cases[] = {{"from cell (0, 0)", true, 0}, {"after one fixed row and column", false, 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    grid->IncludeFixedCells = c.include;
    grid->SetFixedCols(c.fixed);
    grid->SetFixedRows(c.fixed);
    grid->SetCells(c.fixed + 1, c.fixed + 1, "before");
    grid->LoadXLSFile(book);
    EXPECT_EQ(grid->ColCount(), c.fixed + 2);
    EXPECT_EQ(grid->RowCount(), c.fixed + 2);
    EXPECT_EQ(grid->Cells(c.fixed, c.fixed), "a");
    EXPECT_EQ(grid->Cells(c.fixed + 1, c.fixed), "b");
    EXPECT_EQ(grid->Cells(c.fixed, c.fixed + 1), "c");
    EXPECT_EQ(grid->Cells(c.fixed + 1, c.fixed + 1), "before") << "the error value of =1/0 is skipped";
  }
}

// A formula's error value is skipped: the cell keeps what it held; a text that reads the same stays.
TEST_F(CsvTest, ASpreadsheetsErrorValuesAreSkipped) {
  if (std::system("command -v soffice >/dev/null 2>&1") != 0) GTEST_SKIP() << "LibreOffice is not installed";
  Write("errors.csv", "a,=1/0,\"#DIV/0!\",5\r\n");
  const std::string book = Workbook("errors.csv");
  ASSERT_FALSE(book.empty());
  grid->SetCells(1, 0, "before");
  grid->LoadXLSFile(book);
  EXPECT_EQ(grid->Cells(0, 0), "a");
  EXPECT_EQ(grid->Cells(1, 0), "before");
  EXPECT_EQ(grid->Cells(2, 0), "#DIV/0!");
  EXPECT_EQ(grid->Cells(3, 0), "5");
}

}  // namespace
