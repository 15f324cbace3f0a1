// Painting through the real widget: DrawCell once per visible cell, row by row,
// with the right draw states; only cells meeting the repainted area are drawn;
// default drawing on and off; a picture of a 4097-row hex grid to look at.
#include <QImage>
#include <map>
#include <set>

#include "platform/gui/FormImage.h"
#include "platform/gui/QtBridge.h"
#include "platform/gui/WinWindow.h"
#include "tests/platform/grid/GridTestSupport.h"

namespace {

using Cells = std::set<std::pair<int, int>>;

Cells CellsOf(const std::vector<TDrawnCell>& d) {
  Cells s;
  for (const auto& c : d) s.insert({c.Col, c.Row});
  return s;
}

class Paint : public GridTest {
 protected:
  void SetUp() override {
    GridTest::SetUp();
    grid->SetColCount(10);
    grid->SetRowCount(20);
  }
  // Every cell with a non-empty rectangle, fixed ones included.
  Cells InView() const {
    Cells s;
    for (int r = 0; r < grid->RowCount(); ++r)
      for (int c = 0; c < grid->ColCount(); ++c) {
        TRect rc = grid->CellRect(c, r);
        if (rc.Right > rc.Left && rc.Bottom > rc.Top) s.insert({c, r});
      }
    return s;
  }
  QColor PixelAt(int x, int y) {
    QImage img = RenderControlImage(grid);
    return img.pixelColor(x + 2, y + 2);  // inside the 2-pixel border
  }
};

TEST_F(Paint, EveryVisibleCellOnceRowByRowWithItsState) {
  grid->SetTopRow(3);
  grid->SetSelection({2, 4, 4, 5});  // anchor (2,4), current cell (4,5)
  auto drawn = PaintAll();
  Cells expected = InView();
  ASSERT_EQ(CellsOf(drawn), expected);
  EXPECT_EQ(drawn.size(), expected.size()) << "no cell is drawn twice";
  EXPECT_TRUE(expected.count({0, 0}) && !expected.count({1, 1})) << "fixed cells, then the rows from TopRow";

  for (size_t i = 1; i < drawn.size(); ++i) {
    bool sameRow = drawn[i].Row == drawn[i - 1].Row;
    if (sameRow) {
      EXPECT_GT(drawn[i].Col, drawn[i - 1].Col);
    }
  }
  std::set<int> rowsSeen;
  for (size_t i = 0; i < drawn.size(); ++i)
    if (i == 0 || drawn[i].Row != drawn[i - 1].Row) {
      EXPECT_TRUE(rowsSeen.insert(drawn[i].Row).second) << "row by row";
    }

  TRect client = grid->ClientRect();
  for (const auto& d : drawn) {
    bool fixed = d.Col == 0 || d.Row == 0;
    bool inSel = d.Col >= 2 && d.Col <= 4 && d.Row >= 4 && d.Row <= 5;
    bool current = d.Col == 4 && d.Row == 5;
    TGridDrawState want = fixed ? TGridDrawState(gdFixed)
                                : (current ? TGridDrawState(gdFocused) : 0u) | (inSel && !current ? TGridDrawState(gdSelected) : 0u);
    EXPECT_EQ(d.State, want) << d.Col << "," << d.Row;
    // DrawCell gets the whole cell, also where it is cut by the client edge.
    EXPECT_EQ(d.Rect.Right - d.Rect.Left, 64);
    EXPECT_EQ(d.Rect.Bottom - d.Rect.Top, 24);
    EXPECT_LT(d.Rect.Left, client.Right);
  }

  grid->SetOptions(grid->Options() | goDrawFocusSelected);
  for (const auto& d : PaintAll()) {
    if (d.Col == 4 && d.Row == 5) {
      EXPECT_EQ(d.State, gdSelected | gdFocused);
    }
  }
  grid->SetOptions(grid->Options() | goRowSelect);
  for (const auto& d : PaintAll()) {
    if (d.Row == 5 && d.Col > 0) {
      EXPECT_TRUE(d.State & gdSelected) << "row select marks the whole row";
    }
  }

  // Without the focus the current cell is not focused.
  grid->SetOptions(grid->Options() & ~(goRowSelect | goDrawFocusSelected));
  auto* other = new TStringGrid(form);
  other->SetParent(form);
  other->SetBounds(420, 10, 60, 60);
  other->SetFocus();
  for (const auto& d : PaintAll()) EXPECT_FALSE(d.State & gdFocused);
}

TEST_F(Paint, OnlyCellsMeetingTheInvalidatedAreaAreDrawn) {
  PaintAll();
  grid->InvalidateCell(3, 4);
  auto drawn = PaintPending();
  EXPECT_EQ(CellsOf(drawn), (Cells{{3, 4}}));

  grid->InvalidateCell(1, 1);
  grid->InvalidateCell(5, 8);
  EXPECT_EQ(CellsOf(PaintPending()), (Cells{{1, 1}, {5, 8}})) << "two apart: not the cells between them";

  grid->SetCells(2, 2, "x");
  EXPECT_EQ(CellsOf(PaintPending()), (Cells{{2, 2}})) << "a write repaints its cell only";
  grid->SetCells(2, 19, "below the view");
  grid->SetCells(30, 2, "past the columns");
  EXPECT_TRUE(PaintPending().empty());

  // The canvas's clip rectangle is the area being repainted.
  TRect clip;
  grid->OnDrawCell = [&](TObject*, int, int, TRect, TGridDrawState) { clip = grid->Canvas()->ClipRect(); };
  grid->InvalidateCell(2, 3);
  PaintPending();
  TRect cell = grid->CellRect(2, 3);
  EXPECT_EQ(clip, TRect(cell.Left, cell.Top, cell.Right + 1, cell.Bottom + 1)) << "the cell and its lines";

  grid->SetGridLineWidth(0);
  PaintAll();
  grid->InvalidateCell(4, 4);
  EXPECT_EQ(CellsOf(PaintPending()), (Cells{{4, 4}})) << "without lines the neighbours stay untouched too";
}

TEST_F(Paint, ASelectionOutsideTheGridPaintsNoSelectionOrFocus) {
  grid->SetSelection({grid->ColCount(), grid->RowCount(), grid->ColCount(), grid->RowCount()});
  EXPECT_EQ(grid->Col(), 10);
  EXPECT_EQ(grid->Row(), 20);
  auto drawn = PaintAll();
  EXPECT_EQ(CellsOf(drawn), InView());
  for (const auto& d : drawn) EXPECT_FALSE(d.State & (gdSelected | gdFocused));
  grid->ShowEditor();
  EXPECT_FALSE(grid->InplaceEditor() && grid->InplaceEditor()->Visible()) << "no editor on a cell that does not exist";
  Key(Qt::Key_Down);
  EXPECT_EQ(grid->Row(), 19) << "a key brings the current cell back into the grid";
}

TEST_F(Paint, DefaultDrawingFillsLinesAndTextsAndOffDrawsNothingOfItsOwn) {
  grid->SetColor(clWhite);
  grid->SetCells(1, 1, "WWWWWW");
  TRect c11 = grid->CellRect(1, 1);
  QColor fixedFill = PixelAt(5, 5), line = PixelAt(c11.Right, c11.Top + 5), fixedLine = PixelAt(64, 5);
  EXPECT_EQ(FromQColor(fixedFill), FromQColor(ToQColor(clBtnFace)));
  EXPECT_EQ(FromQColor(line), FromQColor(ToQColor(clSilver)));
  EXPECT_EQ(FromQColor(fixedLine), clBlack);
  QImage on = RenderControlImage(grid);
  int dark = 0;
  for (int x = c11.Left; x < c11.Right; ++x)
    for (int y = c11.Top; y < c11.Bottom; ++y) dark += on.pixelColor(x + 2, y + 2).lightness() < 128;
  EXPECT_GT(dark, 10) << "the cell's text is drawn";

  grid->SetDefaultDrawing(false);
  QImage off = RenderControlImage(grid);
  for (auto [x, y] : {std::pair{5, 5}, {c11.Right, c11.Top + 5}, {64, 5}, {c11.Left + 4, c11.Top + 8}})
    EXPECT_EQ(FromQColor(off.pixelColor(x + 2, y + 2)), clWhite) << x << "," << y;
  int drawnCells = 0;
  grid->OnDrawCell = [&](TObject*, int, int, TRect, TGridDrawState) { ++drawnCells; };
  PaintAll();
  EXPECT_GT(drawnCells, 0) << "DrawCell still runs for the owner to draw";
}

TEST_F(Paint, TheAreaBeyondTheLastRowAndColumnShowsTheGridColour) {
  grid->SetColCount(3);
  grid->SetRowCount(3);
  grid->SetColor(clYellow);
  QImage img = RenderControlImage(grid);
  TRect last = grid->CellRect(2, 2);
  EXPECT_EQ(FromQColor(img.pixelColor(last.Right + 10 + 2, 10 + 2)), clYellow);
  EXPECT_EQ(FromQColor(img.pixelColor(10 + 2, last.Bottom + 10 + 2)), clYellow);
}

// The memory view of the large EEPROM windows: 4097 rows (a header row and 4096 rows
// of 16 bytes), a fixed address column and header row, scrolled to the middle with the
// editor open on a byte.
TEST_F(Paint, PictureOfAHexGridInTheMiddleWithTheEditorOpen) {
  form->SetClientSize(560, 420);
  grid->SetBounds(4, 4, 552, 412);
  grid->SetColCount(17);
  grid->SetRowCount(4097);
  grid->SetDefaultColWidth(26);
  grid->SetDefaultRowHeight(18);
  grid->SetColWidths(0, 60);
  grid->Font()->SetName("DejaVu Sans Mono");
  grid->Font()->SetHeight(-12);
  grid->SetOptions(grid->Options() | goEditing | goTabs);
  const char* hex = "0123456789ABCDEF";
  for (int c = 1; c <= 16; ++c) grid->SetCells(c, 0, std::string(1, hex[c - 1]));
  for (int r = 1; r <= 4096; ++r) {
    char addr[8];
    std::snprintf(addr, sizeof addr, "%04X", (r - 1) * 16);
    grid->SetCells(0, r, addr);
    for (int c = 1; c <= 16; ++c) {
      int b = ((r - 1) * 16 + c - 1) * 37 & 0xFF;
      grid->SetCells(c, r, {hex[b >> 4], hex[b & 15]});
    }
  }
  grid->SetTopRow(2048);
  grid->SetRow(2055);
  grid->SetCol(6);
  Key(Qt::Key_F2);
  ASSERT_TRUE(grid->InplaceEditor() && grid->InplaceEditor()->Visible());
  Type("c");
  EXPECT_EQ(grid->Cells(6, 2055), "c") << "typing over the selected text replaces it";
  EXPECT_EQ(grid->TopRow(), 2048);
  EXPECT_EQ(grid->InplaceEditor()->BoundsRect(), grid->CellRect(6, 2055));
  std::string file = TestImagePath("grid-hex-middle.png");
  ASSERT_TRUE(SaveControlImage(form, file));
  QImage img(QString::fromStdString(file));
  ASSERT_FALSE(img.isNull());
  EXPECT_GT(img.width(), 500);
}

}  // namespace
