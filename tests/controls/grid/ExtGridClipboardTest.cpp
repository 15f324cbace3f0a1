// The grid's clipboard: the text layout other programs read, spreadsheet text pasted back,
// the paste rule's growth and limits, smart fill decided before any change, cut, and the
// private cell format checked whole before it touches a grid.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QTemporaryDir>

#include <cstdlib>
#include <fstream>
#include <random>

#include "controls/grid/ExtUtil.h"
#include "controls/grid/GridCellIO.h"
#include "platform/grid/GridStore.h"
#include "platform/gui/Clipbrd.h"
#include "platform/gui/Graphics.h"
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
      // Last: the selection on the first cell of a 2 x 2 merge copies the whole area (each
      // covered cell reads as its area, through the cell accessor).
      {"a merged corner widens the copy", {"M"}, 1, [this] { grid->ClearAll(), grid->MergeCells(1, 1, 2, 2); },
       "M\tM\r\nM\tM\r\n"},
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

std::string Hex(const std::string& s) {
  if (s.empty()) return "-";
  static const char d[] = "0123456789abcdef";
  std::string h;
  for (unsigned char c : s) h += std::string{d[c >> 4], d[c & 15]};
  return h;
}

// Random cells with quotes, TABs and line breaks, copied: Python's csv module (excel-tab) and the
// grid's own paste read every cell back as it was. Plain cells go out as they are.
TEST_F(ClipboardTest, CopiedCellsReadBackCellForCellInPythonsCsvAndInOurPaste) {
  const char* pieces[] = {"a", "b", " ", "\"", "\t", "\n", "x\"y", "\xC3\xA9", ";", ""};
  std::mt19937 rng(39);
  grid->SetColCount(4);
  grid->SetRowCount(60);
  for (int r = 0; r < grid->RowCount(); ++r)
    for (int c = 0; c < grid->ColCount(); ++c) {
      std::string v;
      for (int k = static_cast<int>(rng() % 6); k > 0; --k) v += pieces[rng() % std::size(pieces)];
      grid->SetCells(c, r, v);
    }
  grid->SetCells(0, 0, "plain text");
  const TGridRect all{0, 0, 3, 59};
  const std::string text = grid->ClipboardTextOf(all, false);
  EXPECT_EQ(text.rfind("plain text\t", 0), 0u) << "a plain cell goes out unquoted";

  const TExtStringGrid::TCellBlock b = TExtStringGrid::ParseClipboardText(text);
  ASSERT_EQ(b.Cols, 4);
  ASSERT_EQ(b.Rows, 60);
  for (int r = 0; r < 60; ++r)
    for (int c = 0; c < 4; ++c) EXPECT_EQ(b.At(c, r), grid->Cells(c, r)) << c << "," << r;

  QTemporaryDir dir;
  const std::string in = dir.filePath("copy.txt").toStdString(), out = dir.filePath("rows.txt").toStdString();
  std::ofstream(in, std::ios::binary) << text;
  ASSERT_EQ(std::system(("python3 " + std::string(VELMARON_SOURCE_DIR) + "/tests/controls/grid/data/read_tab_text.py " +
                         in + " " + out)
                            .c_str()),
            0);
  std::ifstream rows(out);
  std::string line;
  int r = 0;
  for (; std::getline(rows, line); ++r) {
    std::string want;
    for (int c = 0; c < 4; ++c) want += (c ? " " : "") + Hex(grid->Cells(c, r));
    EXPECT_EQ(line, want) << "row " << r;
  }
  EXPECT_EQ(r, 60);
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
        if (there) { EXPECT_EQ(b.At(col, r), c.rows[r][col]); }
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

// The private format and rich text fill a larger selection as text does; the private block
// loads into a grid without editing; wide-text fields are decoded and offered as such.
TEST_F(ClipboardTest, PrivateAndRichPastesFillTheSelectionAndBlocksLoadWithoutEditing) {
  grid->Navigation()->AllowSmartClipboard = true;
  const std::string rtf = "{\\rtf1\\ansi r}";
  const struct {
    const char* name;
    bool fmt;
    std::vector<std::string> source;  // row 1 from column 1; empty: rich text on the clipboard
    const char* filled;               // row 3, columns 1..4
  } cases[] = {
      {"one cell in the private format", true, {"7"}, "7 7 7 7"},
      {"two cells in the private format: a series", true, {"1", "2"}, "1 2 3 4"},
      {"rich text", false, {}, "{\\rtf1\\ansi r} {\\rtf1\\ansi r} {\\rtf1\\ansi r} {\\rtf1\\ansi r}"},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.name);
    grid->Navigation()->AllowFmtClipboard = k.fmt;
    grid->Navigation()->AllowRTFClipboard = !k.fmt;
    if (k.source.empty()) {
      TDataObject d;
      d.SetData(RichTextFormat(), rtf);
      Clipboard()->SetDataObject(d);
    } else {
      for (size_t i = 0; i < k.source.size(); ++i) grid->SetCells(1 + int(i), 1, k.source[i]);
      grid->SetSelection({1, 1, int(k.source.size()), 1});
      grid->CopySelectionToClipboard();
    }
    grid->SetSelection({1, 3, 4, 3});
    grid->PasteSelectionFromClipboard();
    std::string row;
    for (int c = 1; c <= 4; ++c) row += (c > 1 ? " " : "") + grid->Cells(c, 3);
    EXPECT_EQ(row, k.filled);
  }

  // A block of two cells, one coloured, into a grid that does not edit.
  grid->SetCells(1, 1, "a"), grid->SetCells(2, 1, "b");
  grid->SetColors(2, 1, clRed);
  TMemoryStream m;
  grid->SaveCellsToStream({1, 1, 2, 1}, &m);
  grid->SetOptions(grid->Options() & ~goEditing);
  m.SetPosition(0);
  EXPECT_EQ(grid->LoadCellsFromStream(TPoint(2, 6), &m), 2);
  EXPECT_EQ(grid->Cells(2, 6), "a");
  EXPECT_EQ(grid->Cells(3, 6), "b");
  EXPECT_EQ(grid->Colors(3, 6), clRed);

  // The same block pasted from the clipboard follows the paste rule: a grid that does not edit
  // takes nothing, a read-only cell keeps its text and its properties.
  grid->Navigation()->AllowFmtClipboard = true;
  grid->SetSelection({1, 1, 2, 1});
  grid->CopySelectionToClipboard();
  grid->SetCells(2, 8, "keep"), grid->SetCells(3, 8, "keep");
  grid->SetReadOnly(3, 8, true);
  grid->SetSelection({2, 8, 2, 8});
  grid->PasteSelectionFromClipboard();
  EXPECT_EQ(grid->Cells(2, 8), "keep") << "no editing, no paste";
  grid->SetOptions(grid->Options() | goEditing);
  grid->PasteSelectionFromClipboard();
  EXPECT_EQ(grid->Cells(2, 8), "a");
  EXPECT_EQ(grid->Cells(3, 8), "keep");
  EXPECT_EQ(grid->Colors(3, 8), clNone);
  grid->SetReadOnly(3, 8, false);

  // A wide-text field: the wide handler sees its characters, the cell stores them as text.
  std::u16string seen;
  int plain = 0;
  grid->OnClipboardBeforePasteCell = [&](TObject*, int, int, std::string&, bool&) { ++plain; };
  grid->OnClipboardBeforePasteWideCell = [&](TObject*, int c, int r, std::u16string& v, bool&) {
    seen = v + u"@" + char16_t('0' + c) + char16_t('0' + r);
    v += u"!";
  };
  grid->PasteTextAt(1, 7, ExtUtil::EncodeWideText(u"\u00e9t\u00e9") + "\tplain");
  EXPECT_EQ(seen, u"\u00e9t\u00e9@17");
  EXPECT_EQ(grid->GridCells(1, 7), "\xC3\xA9t\xC3\xA9!");
  EXPECT_FALSE(grid->IsWideTextCell(1, 7));
  EXPECT_EQ(plain, 1) << "only the plain field goes to the plain handler";
  grid->SetGridCells(2, 7, ExtUtil::EncodeWideText(u"w"));
  EXPECT_TRUE(grid->IsWideTextCell(2, 7));
}

// A private block pasted counts its whole size, cells that were empty included.
TEST_F(ClipboardTest, APrivateBlockPastedCountsItsEmptyCellsToo) {
  grid->Navigation()->AllowFmtClipboard = true;
  grid->SetOptions(grid->Options() | goEditing);
  grid->SetCells(1, 1, "a");
  grid->SetCells(2, 2, "d");
  grid->CopyRangeToClipboard({1, 1, 2, 2}, false);
  EXPECT_EQ(grid->PasteAt(3, 3), 4);
  EXPECT_EQ(grid->Cells(4, 4), "d");
}

// The two progress hooks hear the start, every row and the end of a copy (or a stream save)
// and of a paste.
class TProgressGrid : public TExtStringGrid {
 public:
  using TExtStringGrid::TExtStringGrid;
  std::string heard;
  void ClipboardCopyProgress(TClipboardStage Stage, int ARow) override { heard += "c" + Say(Stage, ARow); }
  void ClipboardPasteProgress(TClipboardStage Stage, int ARow) override { heard += "p" + Say(Stage, ARow); }
  static std::string Say(TClipboardStage Stage, int ARow) {
    return std::string(Stage == csStart ? "<" : Stage == csRow ? "" : ">") + std::to_string(ARow) + " ";
  }
};

TEST_F(ClipboardTest, CopyAndPasteReportTheirProgressByRow) {
  TProgressGrid* g = new TProgressGrid(form);
  g->SetParent(form);
  g->SetColCount(4), g->SetRowCount(6);
  g->SetOptions(g->Options() | goEditing);
  g->SetSelection({1, 1, 2, 3});
  g->CopySelectionToClipboard();
  EXPECT_EQ(g->heard, "c<1 c1 c2 c3 c>3 ");
  g->heard.clear();
  g->SetSelection({1, 4, 1, 4});
  g->PasteSelectionFromClipboard();
  EXPECT_EQ(g->heard, "p<4 p4 p5 p6 p>6 ") << "rows 4, 5 and a grown row 6";
  g->heard.clear();
  g->SetRowCount(3);
  TMemoryStream s;
  g->SaveGridToStream(&s);
  EXPECT_EQ(g->heard, "c<0 c0 c1 c2 c>2 ") << "a stream save reports its rows as a copy does";
  g->heard.clear();
  g->SetRowCount(6);
  g->MergeCells(1, 3, 1, 2);  // row 4 of column 1 is covered: no counted row
  g->ColumnSum(1, 2, 5);
  EXPECT_EQ(g->heard, "c<2 c2 c3 c5 c>5 ") << "a column calculation reports its counted rows";
  delete g;
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

  // Disjunct rows copy from the saved range: no right fixed column, no fixed footer row.
  grid->IncludeFixedCells = false;
  grid->SetFixedRightCols(1), grid->SetFixedFooters(1);
  grid->MouseActions()->SetDisjunctRowSelect(true);
  grid->SetRowSelect(2, true), grid->SetRowSelect(9, true);
  Key(Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(ClipText(), "1:2\t2:2\t3:2");
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

// Pictures of picture cells: bytes in a format, a graphic of a class made of them.
QImage Pattern(int W, int H, int Seed) {
  QImage img(W, H, QImage::Format_ARGB32);
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) img.setPixel(x, y, qRgb((x * 40 + Seed) & 255, (y * 60) & 255, Seed & 255));
  return img;
}
std::string Encoded(const QImage& Img, const char* Format) {
  QByteArray b;
  QBuffer buf(&b);
  buf.open(QIODevice::WriteOnly);
  EXPECT_TRUE(Img.save(&buf, Format));
  return b.toStdString();
}
// An icon file with one PNG image per side given.
std::string IconFile(const std::vector<int>& Sides) {
  auto le16 = [](std::string& s, int v) { s += char(v & 255), s += char((v >> 8) & 255); };
  std::string head, body;
  le16(head, 0), le16(head, 1), le16(head, static_cast<int>(Sides.size()));
  size_t offset = 6 + 16 * Sides.size();
  for (int side : Sides) {
    const std::string png = Encoded(Pattern(side, side, side), "PNG");
    head += char(side), head += char(side), head += '\0', head += '\0';
    le16(head, 1), le16(head, 32);
    le16(head, static_cast<int>(png.size())), le16(head, static_cast<int>(png.size() >> 16));
    le16(head, static_cast<int>(offset)), le16(head, static_cast<int>(offset >> 16));
    offset += png.size();
    body += png;
  }
  return head + body;
}
template <class G>
std::unique_ptr<G> GraphicOf(const std::string& Bytes) {
  auto g = std::make_unique<G>();
  TStringStream ms(Bytes);
  g->LoadFromStream(&ms);
  return g;
}
QImage Pixels(const TGraphic* G) { return G ? G->ToImage().convertToFormat(QImage::Format_RGB32) : QImage(); }

TEST_F(ClipboardTest, PictureCellsTravelWithTheirPicturesAndBadPicturesChangeNothing) {
  QTemporaryDir dir;
  const std::string file = QDir(dir.path()).filePath("p.png").toStdString();
  ASSERT_TRUE(Pattern(7, 5, 9).save(QString::fromStdString(file)));
  const std::string png = Encoded(Pattern(6, 3, 1), "PNG");
  auto bmp = GraphicOf<TBitmap>(Encoded(Pattern(5, 4, 2), "BMP"));
  auto icon = GraphicOf<TIcon>(IconFile({16, 32}));
  auto jpeg = GraphicOf<TJPEGImage>(Encoded(Pattern(8, 8, 3), "JPEG"));
  auto pic = GraphicOf<TPngImage>(png);
  grid->Navigation()->AllowFmtClipboard = true;
  grid->AddBitmap(1, 1, bmp.get(), true, haCenter, vaBottom);
  grid->AddIcon(2, 1, icon.get(), haLeft, vaTop);
  grid->AddPicture(3, 1, pic.get(), false, 2, 3, haRight, vaCenter);
  grid->AddPicture(4, 1, jpeg.get(), false, 0, 0, haLeft, vaTop);
  grid->AddFilePicture(1, 2, file, false, 1, 0, haLeft, vaTop);
  grid->AddBitmap(2, 2, nullptr, false, haLeft, vaTop);
  grid->AddButton(3, 2, 30, 12, "go");
  grid->GetCellGraphic(3, 2)->CellType = ctBitButton;
  grid->GetCellGraphic(3, 2)->Picture = std::shared_ptr<TGraphic>(bmp->Clone().release());

  grid->CopyRangeToClipboard({1, 1, 4, 2}, false);
  auto* fresh = new TExtStringGrid(form);
  fresh->SetParent(form);
  fresh->SetOptions(fresh->Options() | goEditing);
  fresh->Navigation()->AllowFmtClipboard = true;
  EXPECT_EQ(fresh->PasteAt(1, 1), 8);
  for (int r = 1; r <= 2; ++r)
    for (int c = 1; c <= 4; ++c) {
      SCOPED_TRACE(std::to_string(c) + "," + std::to_string(r));
      const TCellGraphic* a = grid->GetCellGraphic(c, r);
      const TCellGraphic* b = fresh->GetCellGraphic(c, r);
      if (!a) {
        EXPECT_EQ(b, nullptr);
        continue;
      }
      ASSERT_NE(b, nullptr);
      EXPECT_EQ(b->CellType, a->CellType);
      EXPECT_EQ(std::make_tuple(b->CellHAlign, b->CellVAlign, b->CellTransparent, b->CellAngle, b->CellIndex),
                std::make_tuple(a->CellHAlign, a->CellVAlign, a->CellTransparent, a->CellAngle, a->CellIndex));
      EXPECT_EQ(b->Picture == nullptr, a->Picture == nullptr);
      if (a->Picture) {
        EXPECT_EQ(b->Picture->ClassName(), a->Picture->ClassName());
        EXPECT_EQ(Pixels(b->Picture.get()), Pixels(a->Picture.get()));
        EXPECT_NE(b->Picture, a->Picture);  // a copy, not the source's picture
      }
      EXPECT_EQ(b->FilePicture == nullptr, a->FilePicture == nullptr);
      if (a->FilePicture) {
        EXPECT_EQ(std::make_tuple(b->FilePicture->Filename(), b->FilePicture->Width, b->FilePicture->Height),
                  std::make_tuple(file, 7, 5));
      }
    }
  // Every image of an icon file travels, each once.
  auto* ico = dynamic_cast<TIcon*>(fresh->GetCellGraphic(2, 1)->Picture.get());
  ASSERT_NE(ico, nullptr);
  ASSERT_EQ(ico->FrameCount(), 2);
  EXPECT_EQ(ico->Frame(1).size(), QSize(32, 32));

  // Picture data another process could have put there: the whole block is refused.
  const std::string good = grid->EncodeCells({3, 1, 3, 1});
  auto le = [](size_t v) { return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; };
  auto withPicture = [&](const std::string& bytes) {
    std::string s = good;
    const std::string from = std::string("Picture") + "S" + le(png.size()) + png;
    const size_t p = s.find(from);
    EXPECT_NE(p, std::string::npos);
    return p == std::string::npos ? s : s.replace(p, from.size(), std::string("Picture") + "S" + le(bytes.size()) + bytes);
  };
  // A big picture that compresses to little: under the block's budget four times, not five.
  const std::string big = Encoded(QImage(2600, 2600, QImage::Format_RGB32), "PNG");
  auto repeated = [&](int n) {
    TGridCellBlock b;
    std::string error;
    EXPECT_TRUE(DecodeCellBlock(withPicture(big), b, error)) << error;
    b.Header->ColCount = n;
    for (int i = 1; i < n; ++i) {
      TGridCellRecord c;
      c.Cell = std::make_unique<TGridCellIO>(nullptr);
      c.Cell->Col = b.Header->Left + i;
      c.Cell->Row = b.Header->Top;
      c.Prop = std::make_unique<TGridCellPropIO>(nullptr);
      c.Graphic = std::make_unique<TGridGraphicIO>(nullptr);
      c.Graphic->CellGraphic->CellType = ctPicture;
      c.Pic = std::make_unique<TGridPicIO>(nullptr);
      c.Pic->Picture->SetGraphic(b.Cells[0].Pic->Picture->Graphic());
      b.Cells.push_back(std::move(c));
    }
    return EncodeCellBlock(b);
  };
  std::string hugeBmp = Encoded(Pattern(4, 4, 0), "BMP");
  hugeBmp.replace(18, 8, le(100000) + le(100000));  // sides in the header, pixels missing
  const struct {
    const char* name;
    std::string bytes;
  } bad[] = {
      {"no picture", withPicture("not a picture at all")},
      {"picture cut short", withPicture(png.substr(0, png.size() / 2))},
      {"sides beyond the budget", withPicture(hugeBmp)},
      {"pictures beyond the block's budget", repeated(5)},
      {"a bitmap record that holds no bitmap", [&] {
         std::string s = grid->EncodeCells({1, 1, 1, 1});
         size_t p = s.find("Bitmap");
         return p == std::string::npos ? s : s.substr(0, p) + "BitmapS" + le(png.size()) + png;
       }()},
      {"the picture record missing", good.substr(0, good.find("TGridPicIO") - 4)},
  };
  const std::string before = State(fresh);
  for (const auto& c : bad) {
    SCOPED_TRACE(c.name);
    TGridRect w;
    EXPECT_EQ(fresh->PasteEncodedCells(TPoint(1, 1), c.bytes, w), 0);
    EXPECT_EQ(State(fresh), before);
    EXPECT_EQ(Pixels(fresh->GetCellGraphic(3, 1)->Picture.get()), Pixels(pic.get()));
  }
  TGridRect w;
  EXPECT_EQ(fresh->PasteEncodedCells(TPoint(1, 4), repeated(4), w), 4);
  ASSERT_NE(fresh->GetCellGraphic(4, 4), nullptr);
  EXPECT_EQ(fresh->GetCellGraphic(4, 4)->Picture->Width(), 2600);
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
  TMemoryStream m;  // a load from a stream is no paste
  a->SaveCellsToStream({2, 2, 3, 3}, &m);
  m.SetPosition(0);
  b->LoadCellsFromStream(TPoint(1, 1), &m);
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

// A property record read back gives every published value of the cell's properties; a record of
// an older writer (without owner and gradient end) still reads; a paste owns its objects.
TEST_F(ClipboardTest, ACellPropertyRecordReadsBackEveryPublishedValue) {
  auto block = [](const std::function<void(TCellProperties&)>& fill) {
    TGridCellBlock b;
    b.Header->ColCount = 1, b.Header->RowCount = 1, b.Header->Left = 2, b.Header->Top = 3;
    TGridCellRecord c;
    c.Cell = std::make_unique<TGridCellIO>(nullptr);
    c.Cell->Col = 2, c.Cell->Row = 3, c.Cell->Cell = "x", c.Cell->HasProp = true;
    c.Prop = std::make_unique<TGridCellPropIO>(nullptr);
    fill(*c.Prop->CellProperties);
    b.Cells.push_back(std::move(c));
    return EncodeCellBlock(b);
  };
  const std::string bytes = block([](TCellProperties& p) {
    p.OwnerCol = 2, p.OwnerRow = 3, p.BrushStyle = bsCross, p.FontSize = 13, p.FontColor = clGreen;
    p.SetBrushColor(clRed);
    p.SetBrushColorTo(clBlue);
    p.FontStyle = fsBold | fsItalic, p.CellSpanX = 2, p.CellSpanY = 1, p.BorderWidth = 3, p.BorderColor = clMaroon;
    p.Alignment = taRightJustify, p.IsBaseCell = false, p.NodeLevel = 4, p.Editor = edComboList;
    p.FontName = "Mono", p.ReadOnly = true;
    p.SetVAlignment(vtaBottom);
    p.SetWordWrap(false);
  });
  TGridCellBlock back;
  std::string error;
  ASSERT_TRUE(DecodeCellBlock(bytes, back, error)) << error;
  const TCellProperties& p = *back.Cells.at(0).Prop->CellProperties;
  const struct {
    const char* name;
    int64_t got, want;
  } fields[] = {
      {"OwnerCol", p.OwnerCol, 2}, {"OwnerRow", p.OwnerRow, 3}, {"BrushStyle", p.BrushStyle, bsCross},
      {"BrushColor", p.BrushColor(), clRed}, {"BrushColorTo", p.BrushColorTo(), clBlue},
      {"FontSize", p.FontSize, 13}, {"FontColor", p.FontColor, clGreen}, {"FontStyle", p.FontStyle, fsBold | fsItalic},
      {"CellSpanX", p.CellSpanX, 2}, {"CellSpanY", p.CellSpanY, 1}, {"BorderWidth", p.BorderWidth, 3},
      {"BorderColor", p.BorderColor, clMaroon}, {"Alignment", p.Alignment, taRightJustify},
      {"VAlignment", p.VAlignment(), vtaBottom}, {"WordWrap", p.WordWrap(), false}, {"IsBaseCell", p.IsBaseCell, false},
      {"NodeLevel", p.NodeLevel, 4}, {"Editor", p.Editor, edComboList}, {"ReadOnly", p.ReadOnly, true},
  };
  for (const auto& f : fields) EXPECT_EQ(f.got, f.want) << f.name;
  EXPECT_EQ(p.FontName, "Mono");

  // An older record: the three fields cut out, its field count three less.
  std::string old = block([](TCellProperties& q) { q.SetBrushColor(clRed); });
  for (const char* name : {"OwnerCol", "OwnerRow", "BrushColorTo"}) {
    const std::string field = std::string(name) + "I";
    const size_t at = old.find(field);
    ASSERT_NE(at, std::string::npos) << name;
    old.erase(at - 4, 4 + field.size() + 4);
  }
  const size_t count = old.find("TGridCellPropIO") + std::string("TGridCellPropIO").size();
  old[count] = static_cast<char>(old[count] - 3);
  TGridCellBlock older;
  ASSERT_TRUE(DecodeCellBlock(old, older, error)) << error;
  EXPECT_EQ(older.Cells.at(0).Prop->CellProperties->BrushColor(), clRed);
  EXPECT_EQ(older.Cells.at(0).Prop->CellProperties->BrushColorTo(), clNone);

  // Pasted at (1, 5), the property object names the cell it sits in, not the one it came from.
  TGridRect w;
  ASSERT_EQ(grid->PasteEncodedCells(TPoint(1, 5), bytes, w), 1);
  ASSERT_TRUE(grid->HasCellProperties(1, 5));
  EXPECT_EQ(grid->GetCellProperties(1, 5)->OwnerCol, 1);
  EXPECT_EQ(grid->GetCellProperties(1, 5)->OwnerRow, 5);
  EXPECT_EQ(grid->Colors(1, 5), clRed);
}
