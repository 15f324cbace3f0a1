// The grid's drop side reached through real drag events of its window, and its drags run through
// the test's own drag loop: accepted kinds only, checked column indexes, the paste rule's tests,
// rows inserted and reported, rows moved between two grids.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <tuple>

#include "controls/grid/GridCellIO.h"
#include "platform/gui/DragDrop.h"
#include "tests/controls/grid/GridInputFixture.h"

namespace {

class DropTest : public GridInputTest {
 public:
  void SetUp() override {
    GridInputTest::SetUp();
    grid->DragDropSettings()->SetOleDropTarget(true);
  }
  void TearDown() override {
    SetDragLoop(nullptr);
    GridInputTest::TearDown();
  }
  TPoint At(TExtStringGrid* g, int c, int r) {
    TRect cr = g->CellRect(c, r);
    return g->ClientToScreen(TPoint((cr.Left + cr.Right) / 2, (cr.Top + cr.Bottom) / 2));
  }
  static std::string Le(uint32_t v) { return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; }
  // Selects the cells and drags them from their top-left cell with the mouse.
  void DragCells(const TGridRect& r) {
    grid->SetSelection(r);
    Flush();
    const TPoint from = Mid(r.Left, r.Top);
    Mouse(QEvent::MouseButtonPress, from.X, from.Y);
    Mouse(QEvent::MouseMove, from.X + 10, from.Y + 10);
    Mouse(QEvent::MouseButtonRelease, from.X + 10, from.Y + 10);
  }
};

TEST_F(DropTest, TheGridTakesOnlyTheKindsItAcceptsWhereItAcceptsThem) {
  const std::string csv = (std::filesystem::temp_directory_path() / "velmaron-drop.csv").string();
  std::ofstream(csv) << "f1,f2\r\n";
  const TClipboardFormat column = RegisterClipboardFormat("Grid Column");
  const TClipboardFormat rtf = RegisterClipboardFormat("Rich Text Format");
  const struct {
    const char* name;
    std::function<void(TDataObject&)> offer;
    std::function<void()> setup;
    int col, row;
    int effect;
    std::vector<std::pair<TPoint, std::string>> cells;
    int dropCols;  // OnOleDropCol calls
  } cases[] = {
      {"text on a cell", [](TDataObject& d) { d.SetText("a\tb\r\nc\td\r\n"); }, nullptr, 1, 2, DROPEFFECT_MOVE,
       {{{1, 2}, "a"}, {{2, 3}, "d"}}, 0},
      {"text on the fixed row is refused", [](TDataObject& d) { d.SetText("a"); }, nullptr, 1, 0, DROPEFFECT_NONE,
       {{{1, 0}, "1:0"}}, 0},
      {"files are not delivered with AcceptFiles off",
       [&](TDataObject& d) {
         d.SetText("t");
         d.SetFiles({csv});
       },
       [this] { grid->DragDropSettings()->OleAcceptFiles = false; }, 1, 1, DROPEFFECT_MOVE,
       {{{1, 1}, "t"}, {{0, 0}, "0:0"}}, 0},
      {"a dropped CSV file is imported, the text not delivered with AcceptText off",
       [&](TDataObject& d) {
         d.SetText("t");
         d.SetFiles({csv});
       },
       [this] { grid->DragDropSettings()->OleAcceptText = false; }, 1, 1, DROPEFFECT_COPY,
       {{{0, 0}, "f1"}, {{1, 1}, ""}}, 0},  // the file's one row; the text not delivered
      {"rich text leaves a read-only cell",
       [&](TDataObject& d) { d.SetData(rtf, "{\\rtf1 x}"); },
       [this] {
         grid->DragDropSettings()->SetOleDropRTF(true);
         grid->SetReadOnly(2, 2, true);
       },
       2, 2, DROPEFFECT_MOVE, {{{2, 2}, "2:2"}}, 0},
      {"rich text into an editable cell", [&](TDataObject& d) { d.SetData(rtf, "{\\rtf1 x}"); },
       [this] { grid->DragDropSettings()->SetOleDropRTF(true); }, 2, 2, DROPEFFECT_MOVE, {{{2, 2}, "{\\rtf1 x}"}}, 0},
      {"a column index in range", [&](TDataObject& d) { d.SetData(column, Le(3)); },
       [this] { grid->DragDropSettings()->OleColumnDragDrop = true; }, 2, 0, DROPEFFECT_MOVE, {}, 1},
      {"a column index out of range", [&](TDataObject& d) { d.SetData(column, Le(70000)); },
       [this] { grid->DragDropSettings()->OleColumnDragDrop = true; }, 2, 0, DROPEFFECT_MOVE, {}, 0},
      {"a column record of the wrong size", [&](TDataObject& d) { d.SetData(column, "\x01\x00"); },
       [this] { grid->DragDropSettings()->OleColumnDragDrop = true; }, 2, 0, DROPEFFECT_MOVE, {}, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    if (c.setup) c.setup();
    int dropCols = 0;
    grid->OnOleDropCol = [&](TObject*, int, int, int col) {
      EXPECT_EQ(col, 3);
      ++dropCols;
    };
    TDataObject d;
    c.offer(d);
    EXPECT_EQ(DeliverDrop(grid, d, At(grid, c.col, c.row), 0, DROPEFFECT_COPY | DROPEFFECT_MOVE), c.effect);
    for (const auto& [p, v] : c.cells) EXPECT_EQ(grid->Cells(p.X, p.Y), v) << p.X << "," << p.Y;
    EXPECT_EQ(dropCols, c.dropCols);
    TearDown();
  }
  SetUp();
  std::filesystem::remove(csv);
}

// What a file manager offers: copy or move, proposing one. A dropped file is only read, so the
// source keeps it whatever it proposed; text follows the proposal.
// Text dragged over the column past the right edge scrolls one column at most per tick of the
// grid's timer, however often the drag moves ("m" a drag-over there, "t" a tick; the ticks
// count also between drags, so an odd one makes the next drag-over wait for the next tick).
TEST_F(DropTest, DraggingPastTheRightEdgeScrollsOneColumnATick) {
  const struct {
    const char* steps;
    int scrolled;
  } cases[] = {{"m", 1}, {"mmmm", 1}, {"mtm", 2}, {"mmtmmtm", 3}, {"ttm", 1}, {"tm", 0}, {"tmtm", 1}};
  for (const auto& k : cases) {
    SCOPED_TRACE(k.steps);
    TearDown();
    SetUp();
    grid->SetColCount(40);
    const int left = grid->LeftCol();
    for (const char* p = k.steps; *p; ++p) {
      if (*p == 't') {
        grid->Perform(WM_TIMER, 111, 0);
        continue;
      }
      const int edge = grid->LeftCol() + grid->VisibleColCount();
      const TRect cr = grid->CellRect(edge, 2);
      ASSERT_GT(cr.Right, cr.Left) << "the column past the edge shows in part";
      grid->OleDragMouseMove(grid->ClientToScreen(TPoint(cr.Left + 2, (cr.Top + cr.Bottom) / 2)), false);
    }
    EXPECT_EQ(grid->LeftCol() - left, k.scrolled);
  }
}

TEST_F(DropTest, ADroppedFileIsCopiedAndDroppedTextTakesTheProposedAction) {
  const std::string csv = (std::filesystem::temp_directory_path() / ("velmaron-fm-" + std::to_string(getpid()) + ".csv")).string();
  std::ofstream(csv, std::ios::binary) << "a,b\r\n";
  const struct {
    const char* name;
    bool file;
    int proposed, effect;
  } cases[] = {
      {"a CSV file proposed for copy", true, DROPEFFECT_COPY, DROPEFFECT_COPY},
      {"a CSV file proposed for move", true, DROPEFFECT_MOVE, DROPEFFECT_COPY},
      {"text proposed for copy", false, DROPEFFECT_COPY, DROPEFFECT_COPY},
      {"text proposed for move", false, DROPEFFECT_MOVE, DROPEFFECT_MOVE},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    TDataObject d;
    if (c.file) d.SetFiles({csv});
    else d.SetText("t");
    EXPECT_EQ(DeliverDrop(grid, d, At(grid, 1, 1), 0, DROPEFFECT_COPY | DROPEFFECT_MOVE, true, nullptr, c.proposed),
              c.effect);
    EXPECT_EQ(grid->Cells(c.file ? 0 : 1, c.file ? 0 : 1), c.file ? "a" : "t");
    TearDown();
  }
  SetUp();
  std::filesystem::remove(csv);
}

TEST_F(DropTest, MarkersShowWhereADropWouldLandAndNoneStaysBehind) {
  const TClipboardFormat column = RegisterClipboardFormat("Grid Column");
  enum { Row = 1, Upper = 2, Lower = 4 };
  const struct {
    const char* name;
    bool columnData, entireRows, refuse, release;
    int col, row;
    int shown;              // markers shown while the drag is over the grid
    int markCol, markRow;   // the cell the shown markers stand by
  } cases[] = {
      {"text over a cell: the row marker beside it", false, false, false, true, 2, 3, Row, 2, 3},
      {"entire rows: beside the row's first scrollable cell", false, true, false, true, 3, 4, Row, 1, 4},
      {"text over the header is refused: none", false, false, false, true, 2, 0, 0, 0, 0},
      {"OnOleDragOver refuses: none", false, false, true, true, 2, 3, 0, 0, 0},
      {"a column over the header: above and below it", true, false, false, true, 3, 0, Upper | Lower, 3, 0},
      {"a column over a data cell is refused: none", true, false, false, true, 3, 2, 0, 0, 0},
      {"the drag leaves without a drop", false, false, false, false, 2, 3, Row, 2, 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    grid->DragDropSettings()->OleColumnDragDrop = true;
    grid->DragDropSettings()->OleEntireRows = c.entireRows;
    if (c.refuse) grid->OnOleDragOver = [](TObject*, int, int, bool& allow) { allow = false; };
    grid->OnOleDropCol = [](TObject*, int, int, int) {};
    TDataObject d;
    if (c.columnData) d.SetData(column, Le(2));
    else d.SetText("a\tb");
    auto shown = [&](TExtStringGrid::TOleMarker m) { return grid->OleMarker(m) && grid->OleMarker(m)->Active(); };
    bool looked = false;
    DeliverDrop(grid, d, At(grid, c.col, c.row), 0, DROPEFFECT_COPY | DROPEFFECT_MOVE, c.release, [&] {
      looked = true;
      EXPECT_EQ(shown(TExtStringGrid::omRow), bool(c.shown & Row));
      EXPECT_EQ(shown(TExtStringGrid::omColumnUpper), bool(c.shown & Upper));
      EXPECT_EQ(shown(TExtStringGrid::omColumnLower), bool(c.shown & Lower));
      const TRect cell = grid->CellRect(c.markCol, c.markRow);
      const TPoint tl = grid->ClientToScreen(TPoint(cell.Left, cell.Top));
      const TPoint bl = grid->ClientToScreen(TPoint(cell.Left, cell.Bottom));
      if (c.shown & Row) {
        EXPECT_EQ(grid->OleMarker(TExtStringGrid::omRow)->BoundsRect().TopLeft(), TPoint(tl.X - 10, tl.Y));
        EXPECT_EQ(grid->OleMarker(TExtStringGrid::omRow)->Direction(), TArrowWindow::Right);
      }
      if (c.shown & Upper) {
        EXPECT_EQ(grid->OleMarker(TExtStringGrid::omColumnUpper)->BoundsRect().TopLeft(), TPoint(tl.X, tl.Y - 8));
        EXPECT_EQ(grid->OleMarker(TExtStringGrid::omColumnUpper)->Direction(), TArrowWindow::Down);
        EXPECT_EQ(grid->OleMarker(TExtStringGrid::omColumnLower)->BoundsRect().TopLeft(), bl);
        EXPECT_EQ(grid->OleMarker(TExtStringGrid::omColumnLower)->Direction(), TArrowWindow::Up);
      }
    });
    EXPECT_TRUE(looked);
    for (auto m : {TExtStringGrid::omRow, TExtStringGrid::omColumnUpper, TExtStringGrid::omColumnLower})
      EXPECT_FALSE(shown(m)) << "marker " << m << " left behind";
    TearDown();
  }
  SetUp();
}

TEST_F(DropTest, ADropOrAnImportHandsEveryCellItChangedToTheUndoComponent) {
  const std::string csv = (std::filesystem::temp_directory_path() / "velmaron-undo.csv").string();
  std::ofstream(csv) << "f1,2:0\r\n";
  const TClipboardFormat rtf = RegisterClipboardFormat("Rich Text Format");
  using Item = std::tuple<int, int, std::string, std::string>;  // column, row, before, after
  // The rows past the file's one row go: their texts are in the step first, then the file's.
  std::vector<Item> imported;
  for (int r = 1; r < 10; ++r)
    for (int c = 0; c < 5; ++c) imported.emplace_back(c, r, std::to_string(c) + ":" + std::to_string(r), "");
  imported.emplace_back(0, 0, "0:0", "f1");
  imported.emplace_back(1, 0, "1:0", "2:0");
  const struct {
    const char* name;
    std::function<void(TDataObject&)> offer;
    std::function<void()> setup;
    int col, row;
    std::vector<Item> items;
  } cases[] = {
      {"dropped text", [](TDataObject& d) { d.SetText("a\tb"); }, nullptr, 1, 2,
       {{1, 2, "1:2", "a"}, {2, 2, "2:2", "b"}}},
      {"a read-only cell and an unchanged one are not recorded", [](TDataObject& d) { d.SetText("1:2\tb\tc"); },
       [this] { grid->SetReadOnly(2, 2, true); }, 1, 2, {{3, 2, "3:2", "c"}}},
      {"dropped rich text", [&](TDataObject& d) { d.SetData(rtf, "{\\rtf1 x}"); },
       [this] { grid->DragDropSettings()->SetOleDropRTF(true); }, 2, 2, {{2, 2, "2:2", "{\\rtf1 x}"}}},
      {"a dropped CSV file", [&](TDataObject& d) { d.SetFiles({csv}); }, nullptr, 1, 1, imported},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    TExtGridUndoRedo undo(nullptr);
    grid->SetUndoRedo(&undo);
    if (c.setup) c.setup();
    TDataObject d;
    c.offer(d);
    DeliverDrop(grid, d, At(grid, c.col, c.row), 0, DROPEFFECT_COPY);
    std::vector<Item> items;
    for (int i = 0; i < undo.Items()->Count(); ++i) {
      auto* it = static_cast<TUndoRedoItem*>(undo.Items()->Items(i));
      if (it->Kind == TUndoRedoItem::uiCell) items.emplace_back(it->Col, it->Row, it->OrigValue, it->Value);
    }
    EXPECT_EQ(items, c.items);
    grid->SetUndoRedo(nullptr);
    TearDown();
  }
  SetUp();
  std::filesystem::remove(csv);
}

TEST_F(DropTest, OneUndoStepPutsTheGridBackAsBeforeADropAPasteOrAnImport) {
  const std::string csv = (std::filesystem::temp_directory_path() / "velmaron-undo-step.csv").string();
  std::ofstream(csv) << "a,b,c,d,e,f,g\r\nh,i\r\n";
  auto wholeGrid = [this](int cols, int rows) {
    auto* g = new TExtStringGrid(form);
    g->SetColCount(cols);
    g->SetRowCount(rows);
    for (int r = 0; r < rows; ++r)
      for (int c = 0; c < cols; ++c) g->SetCells(c, r, "w" + std::to_string(c) + std::to_string(r));
    std::string b = g->EncodeCells({1, 1, cols - 1, rows - 1});
    delete g;
    return b;
  };
  const std::string bigger = wholeGrid(7, 13), smaller = wholeGrid(3, 3);
  const struct {
    const char* name;
    std::function<void()> run;
  } cases[] = {
      {"text dropped into inserted rows",
       [this] {
         grid->DragDropSettings()->OleInsertRows = true;
         TDataObject d;
         d.SetText("x\ty\r\nz\r\n");
         DeliverDrop(grid, d, At(grid, 1, 3), 0, DROPEFFECT_COPY);
       }},
      {"text dropped over cells",
       [this] {
         TDataObject d;
         d.SetText("x\ty");
         DeliverDrop(grid, d, At(grid, 2, 2), 0, DROPEFFECT_COPY);
       }},
      {"a bigger whole grid pasted", [&] { TGridRect w; grid->PasteEncodedCells(TPoint(0, 0), bigger, w); }},
      {"a smaller whole grid pasted", [&] { TGridRect w; grid->PasteEncodedCells(TPoint(0, 0), smaller, w); }},
      {"text pasted past the last row and column",
       [this] {
         grid->Navigation()->AllowClipboardRowGrow = true;
         grid->Navigation()->AllowClipboardColGrow = true;
         grid->PasteTextAt(3, 8, "p\tq\tr\r\ns\r\nt\r\n");
       }},
      {"text pasted into the rows above a footer row",
       [this] {
         grid->Navigation()->AllowClipboardRowGrow = true;
         grid->FloatingFooter()->SetFooterStyle(fsFixedLastRow);
         grid->FloatingFooter()->SetVisible(true);
         grid->PasteTextAt(1, 8, "p\r\nq\r\nr\r\n");
       }},
      {"a smart fill", [this] {
         grid->Navigation()->AllowSmartClipboard = true;
         grid->SetSelection({1, 1, 1, 6});
         grid->PasteCellsIntoSelection(TExtStringGrid::ParseClipboardText("1\r\n2\r\n"));
       }},
      {"a CSV file imported", [&] { grid->LoadFromCSV(csv); }},
  };
  auto state = [this] {
    std::string s = std::to_string(grid->ColCount()) + "x" + std::to_string(grid->RowCount());
    for (int r = 0; r < grid->RowCount(); ++r)
      for (int c = 0; c < grid->ColCount(); ++c) s += "|" + grid->Cells(c, r);
    return s;
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    TExtGridUndoRedo undo(nullptr);
    grid->SetUndoRedo(&undo);
    undo.Add(0, 0, "before", "0:0");  // an earlier edit: a step of its own that stays
    const std::string before = state();
    c.run();
    EXPECT_NE(state(), before);
    EXPECT_TRUE(undo.Undo());
    EXPECT_EQ(state(), before);
    EXPECT_EQ(undo.Items()->Count(), 1);
    EXPECT_EQ(undo.Level(), 1);
    grid->SetUndoRedo(nullptr);
    TearDown();
  }
  SetUp();
  std::filesystem::remove(csv);
}

TEST_F(DropTest, AnUndoLimitDropsWholeStepsOnly) {
  TExtGridUndoRedo undo(nullptr);
  grid->SetUndoRedo(&undo);
  auto drop = [this](int row) {
    TDataObject d;
    d.SetText("x\ty");
    DeliverDrop(grid, d, At(grid, 1, row), 0, DROPEFFECT_COPY);
  };
  undo.MaxLevel = 4;
  drop(1), drop(2), drop(3);  // two cells each: the first drop's step went whole
  EXPECT_EQ(undo.Level(), 4);
  EXPECT_TRUE(undo.Undo());
  EXPECT_TRUE(undo.Undo());
  EXPECT_FALSE(undo.Undo());
  EXPECT_EQ(std::make_tuple(grid->Cells(1, 1), grid->Cells(1, 2), grid->Cells(2, 3)), std::make_tuple("x", "1:2", "2:3"));
  undo.MaxLevel = 1;
  drop(4);  // larger than the limit: not kept, and nothing half undone
  EXPECT_EQ(undo.Level(), 0);
  EXPECT_FALSE(undo.Undo());
  EXPECT_EQ(grid->Cells(2, 4), "y");
  grid->SetUndoRedo(nullptr);
}

TEST_F(DropTest, RowsInsertedByADropAreReportedAndTheSelectionMovesOnlyForThem) {
  grid->DragDropSettings()->OleRemoveRows = true;
  grid->SetSelection({1, 5, 2, 6});
  TDataObject d;
  d.SetText("x\r\ny\r\n");
  DeliverDrop(grid, d, At(grid, 1, 2), 0, DROPEFFECT_COPY);
  EXPECT_EQ(grid->RowCount(), 10) << "no rows inserted";
  EXPECT_EQ(grid->Selection(), (TGridRect{1, 2, 1, 3})) << "the selection is the dropped block";
  EXPECT_EQ(grid->Cells(1, 5), "1:5") << "nothing moved down";

  grid->DragDropSettings()->OleInsertRows = true;
  TGridRect dropped{};
  grid->OnOleDropped = [&](TObject*, TGridRect r) { dropped = r; };
  DeliverDrop(grid, d, At(grid, 1, 2), 0, DROPEFFECT_COPY);
  EXPECT_EQ(grid->RowCount(), 12);
  EXPECT_EQ(grid->Cells(1, 2), "x");
  EXPECT_EQ(grid->Cells(1, 4), "x") << "the rows below moved down by two";
  EXPECT_EQ(dropped, (TGridRect{1, 2, 1, 3}));

  // An empty text is no drop: no rows, the selection stays, nothing is reported.
  dropped = TGridRect{-1, -1, -1, -1};
  const TGridRect before = grid->Selection();
  TDataObject empty;
  empty.SetText("");
  DeliverDrop(grid, empty, At(grid, 2, 5), 0, DROPEFFECT_COPY);
  EXPECT_EQ(grid->RowCount(), 12);
  EXPECT_EQ(grid->Selection(), before);
  EXPECT_EQ(dropped, (TGridRect{-1, -1, -1, -1}));
}

TEST_F(DropTest, DraggedCellsBringTheirPicturesWhereTheGridTakesItsOwnFormat) {
  auto* src = grid;
  src->SetOptions(src->Options() & ~goEditing);
  src->DragDropSettings()->OleDropSource = true;
  src->Navigation()->AllowFmtClipboard = true;
  src->Loaded();
  TBitmap bmp;
  bmp.SetSize(6, 4);
  bmp.Canvas()->Brush()->SetColor(clRed);
  bmp.Canvas()->FillRect(TRect(0, 0, 6, 4));
  src->AddBitmap(2, 3, &bmp, false, haLeft, vaTop);
  for (bool takes : {true, false}) {
    SCOPED_TRACE(takes ? "the target takes the private format" : "the target takes text only");
    auto* dst = new TExtStringGrid(form);
    dst->SetParent(form);
    dst->SetBounds(10, 320, 480, 70);
    dst->SetColCount(5);
    dst->SetRowCount(3);
    dst->SetOptions(dst->Options() | goEditing);
    dst->DragDropSettings()->SetOleDropTarget(true);
    dst->Navigation()->AllowFmtClipboard = takes;
    SetDragLoop([&](TWinControl*, const TDataObject& data, TDropSource*, int) {
      EXPECT_TRUE(data.HasFormat(RegisterClipboardFormat("TExtStringGrid Cells")));
      return DeliverDrop(dst, data, At(dst, 1, 1), 0, DROPEFFECT_COPY);
    });
    DragCells({2, 3, 3, 3});
    EXPECT_EQ(dst->Cells(1, 1), "2:3");
    EXPECT_EQ(dst->Cells(2, 1), "3:3");
    const TCellGraphic* g = dst->GetCellGraphic(1, 1);
    if (takes) {
      ASSERT_NE(g, nullptr);
      EXPECT_EQ(g->CellType, ctBitmap);
      ASSERT_NE(g->Picture, nullptr);
      EXPECT_EQ(g->Picture->ToImage().size(), QSize(6, 4));
      EXPECT_EQ(g->Picture->ToImage().pixel(3, 2) & 0xFFFFFF, 0xFF0000u);
    } else {
      EXPECT_EQ(g, nullptr);
    }
    EXPECT_NE(src->GetCellGraphic(2, 3), nullptr) << "a copy leaves the source as it was";
    delete dst;
  }
}

// Dragged cells leave as a copy gives them: a rich cell as its plain text, a cell with a TAB or a
// leading quote quoted, so the target reads each cell back whole.
TEST_F(DropTest, DraggedCellsLeaveAsTheCopyGivesThem) {
  grid->SetOptions(grid->Options() & ~goEditing);
  grid->DragDropSettings()->OleDropSource = true;
  grid->DragDropSettings()->SetOleDropRTF(true);
  grid->Loaded();
  grid->SetCells(1, 3, "{\\rtf1\\ansi plain\\par words\\par}");
  grid->SetCells(2, 3, "a\tb");
  grid->SetCells(3, 3, "\"q\" start");
  std::string text, rich;
  SetDragLoop([&](TWinControl*, const TDataObject& data, TDropSource*, int) {
    text = data.Text();
    rich = data.Data(RichTextFormat());
    return DROPEFFECT_NONE;
  });
  DragCells({1, 3, 3, 3});
  // A paragraph's end within the text is a line break of the plain text, so that cell is quoted
  // too; the end of the last paragraph is none.
  EXPECT_EQ(text, "\"plain\nwords\"\t\"a\tb\"\t\"\"\"q\"\" start\"");
  EXPECT_EQ(text, grid->ClipboardTextOf({1, 3, 3, 3}, false));
  EXPECT_EQ(rich, grid->Cells(1, 3)) << "the rich text travels in its own format";
  // A header dragged as a column wears the header's gradient in its image.
  grid->DragDropSettings()->OleColumnDragDrop = true;
  TColor from = clNone;
  SetDragLoop([&](TWinControl*, const TDataObject&, TDropSource*, int) {
    from = grid->DragIndicator()->GradFrom;
    return DROPEFFECT_NONE;
  });
  const TPoint h = Mid(2, 0);
  Mouse(QEvent::MouseButtonPress, h.X, h.Y);
  Mouse(QEvent::MouseMove, h.X + 10, h.Y + 10);
  Mouse(QEvent::MouseButtonRelease, h.X + 10, h.Y + 10);
  EXPECT_EQ(from, grid->FixedGradientStart);
}

TEST_F(DropTest, RowsDraggedFromOneGridMoveIntoAnother) {
  auto* src = grid;
  src->SetOptions((src->Options() & ~goEditing) | goRowSelect);
  src->DragDropSettings()->OleDropSource = true;
  src->DragDropSettings()->OleRemoveRows = true;
  src->DragDropSettings()->OleEntireRows = true;
  src->Loaded();
  auto* dst = new TExtStringGrid(form);
  dst->SetParent(form);
  dst->SetBounds(10, 320, 480, 70);
  dst->SetColCount(5);
  dst->SetRowCount(3);
  dst->SetFixedCols(0);
  dst->SetOptions(dst->Options() | goEditing | goRowSelect);
  dst->DragDropSettings()->SetOleDropTarget(true);
  dst->DragDropSettings()->OleInsertRows = true;
  dst->DragDropSettings()->OleEntireRows = true;
  ASSERT_TRUE(dst->OleDropTargetRegistered());
  std::string dragged;
  SetDragLoop([&](TWinControl* from, const TDataObject& data, TDropSource* source, int allowed) {
    EXPECT_EQ(from, src);
    dragged = data.Text();
    // The indicator follows the pointer, its bottom-left corner at it, with the pressed cell's text.
    const TPoint to = At(dst, 1, 1);
    source->QueryContinue(ssLeft, to);
    TPopupButton* indicator = src->OleDragIndicator();
    EXPECT_TRUE(indicator && indicator->Active());
    if (indicator) {
      EXPECT_EQ(indicator->Caption(), "2:3");
      EXPECT_EQ(indicator->BoundsRect().Left, to.X);
      EXPECT_EQ(indicator->BoundsRect().Bottom, to.Y);
    }
    return DeliverDrop(dst, data, to, 0, allowed);
  });
  src->SetSelection({0, 3, 4, 4});
  Flush();
  TPoint from = Mid(2, 3);
  Mouse(QEvent::MouseButtonPress, from.X, from.Y);
  Mouse(QEvent::MouseMove, from.X + 10, from.Y + 10);
  Mouse(QEvent::MouseButtonRelease, from.X + 10, from.Y + 10);
  EXPECT_EQ(dragged, "0:3\t1:3\t2:3\t3:3\t4:3\r\n0:4\t1:4\t2:4\t3:4\t4:4");
  EXPECT_EQ(dst->RowCount(), 5);
  EXPECT_EQ(dst->Cells(0, 1), "0:3");
  EXPECT_EQ(dst->Cells(4, 2), "4:4");
  EXPECT_EQ(src->RowCount(), 8) << "the moved rows left the source";
  EXPECT_EQ(src->Cells(0, 3), "0:5");
  EXPECT_FALSE(src->OleDragIndicator()->Active()) << "the indicator goes with the drag";
  EXPECT_FALSE(dst->OleMarker(TExtStringGrid::omRow)->Active());
}

}  // namespace
