// The grid component through the real widget, offscreen.
#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QWidget>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "controls/grid/ExtGrid.h"
#include "controls/grid/ExtUtil.h"
#include "platform/gui/Clipbrd.h"
#include "platform/gui/FormImage.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"
#include "platform/gui/WinWindow.h"
#include "platform/gui/testing/GuiTest.h"
#include "platform/gui/testing/InputEvents.h"

namespace {

class ExtGridTest : public TGuiTest {
 protected:
  void SetUp() override {
    form = new TForm(Application);
    form->SetClientSize(520, 400);
    grid = new TExtStringGrid(form);
    grid->SetParent(form);
    grid->SetBounds(10, 10, 480, 360);
    grid->SetColCount(5);
    grid->SetRowCount(10);
    grid->Loaded();
    form->Show();
    grid->SetFocus();
    Flush();
  }
  void TearDown() override { delete form; }

  static void Flush() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
    QCoreApplication::processEvents();
  }
  static void Key(TWinControl* c, int key, Qt::KeyboardModifiers mods = Qt::NoModifier, QString text = {}) {
    SendKeyEvent(c, key, mods, text);
  }
  void Key(int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    TInplaceEdit* e = grid->InplaceEditor();
    Key(e && e->Visible() ? static_cast<TWinControl*>(e) : grid, key, mods);
  }
  void Type(const std::string& s) {
    for (char ch : s) {
      TInplaceEdit* e = grid->InplaceEditor();
      TWinControl* target = e && e->Visible() ? static_cast<TWinControl*>(e) : grid;
      int key = (ch >= 'a' && ch <= 'z') ? Qt::Key_A + (ch - 'a') : (ch >= 'A' && ch <= 'Z') ? Qt::Key_A + (ch - 'A') : ch;
      Key(target, key, Qt::NoModifier, QString(QChar(ch)));
    }
  }
  // Opens the editor on a cell with a typed text.
  void EditCell(int c, int r, const std::string& typed) {
    grid->SetCol(c);
    grid->SetRow(r);
    Type(typed);
  }
  std::string EditorText() const { return grid->InplaceEditor() ? grid->InplaceEditor()->Text() : std::string(); }
  std::vector<std::string> Column(int c) const {
    std::vector<std::string> v;
    for (int r = 0; r < grid->RowCount(); ++r) v.push_back(grid->Cells(c, r));
    return v;
  }

  TForm* form = nullptr;
  TExtStringGrid* grid = nullptr;
};

// ---------------------------------------------------------------- merged cells
TEST_F(ExtGridTest, MergedAreaReadsAndWritesThroughEveryCellAndSplitKeepsTexts) {
  grid->SetCells(1, 1, "base");
  grid->SetCells(2, 2, "covered before");
  ASSERT_TRUE(grid->MergeCells(1, 1, 3, 2));
  EXPECT_EQ(grid->Cells(3, 2), "base");
  grid->SetCells(2, 2, "written via covered");
  EXPECT_EQ(grid->GridCells(1, 1), "written via covered");
  EXPECT_EQ(grid->BaseCell(3, 2), TPoint(1, 1));
  EXPECT_EQ(grid->CellSpan(2, 1), TPoint(2, 1));
  grid->SplitCells(3, 2);
  EXPECT_EQ(grid->Cells(2, 2), "covered before");
  for (int r = 1; r <= 2; ++r)
    for (int c = 1; c <= 3; ++c) {
      EXPECT_TRUE(grid->IsBaseCell(c, r));
      EXPECT_EQ(grid->CellSpan(c, r), TPoint(0, 0));
    }
}

TEST_F(ExtGridTest, MergeIsClippedToTheGridAndRefusesABlockCrossingAnotherMerge) {
  ASSERT_TRUE(grid->MergeCells(3, 8, 10, 10));  // clipped to 2 x 2
  EXPECT_EQ(grid->CellSpan(3, 8), TPoint(1, 1));
  EXPECT_FALSE(grid->MergeCells(2, 7, 2, 2));   // reaches into the clipped area
  EXPECT_EQ(grid->BaseCell(3, 8), TPoint(3, 8));
  EXPECT_TRUE(grid->IsBaseCell(2, 7));
  EXPECT_FALSE(grid->HasCellProperties(2, 7));
  EXPECT_TRUE(grid->MergeCells(2, 7, 3, 3));    // holds the whole area: it is re-merged
  EXPECT_EQ(grid->BaseCell(4, 9), TPoint(2, 7));
  EXPECT_FALSE(grid->MergeCells(-1, 0, 2, 2));
}

TEST_F(ExtGridTest, ArrowKeysStepOverAMergedArea) {
  grid->MergeCells(1, 1, 3, 1);
  grid->SetCol(1);
  grid->SetRow(1);
  Key(grid, Qt::Key_Right);
  EXPECT_EQ(grid->Col(), 4);
  Key(grid, Qt::Key_Left);
  EXPECT_EQ(grid->Col(), 1);  // lands on the area's base cell
}

TEST_F(ExtGridTest, APaintDrawsAMergedAreaOnceEvenWithItsBaseScrolledOut) {
  grid->SetRowCount(60);
  grid->SetCells(1, 1, "M");
  grid->MergeCells(1, 1, 1, 30);
  grid->SetTopRow(20);
  Flush();
  int stamp = grid->PaintCounter();
  grid->Repaint();
  Flush();
  EXPECT_GT(grid->PaintCounter(), stamp);
  EXPECT_EQ(grid->GetCellProperties(1, 1)->PaintStamp, grid->PaintCounter() - 1);
}

// ---------------------------------------------------------------- property ownership
TEST_F(ExtGridTest, ReplacingPropertiesWithTheStoredObjectKeepsIt) {
  TCellProperties* p = grid->GetCellProperties(1, 1);
  p->FontColor = clRed;
  grid->ReplaceCellProperties(1, 1, p);
  EXPECT_EQ(grid->GetCellProperties(1, 1)->FontColor, clRed);
  grid->ReplaceCellProperties(1, 1, nullptr);
  EXPECT_FALSE(grid->HasCellProperties(1, 1));
}

// A cell property object repaints the cell that holds it now: rows and columns carry their objects
// when they move, so the cell the object was made for may be another one by then.
class TDrawProbe : public TExtStringGrid {
 public:
  using TExtStringGrid::TExtStringGrid;
  std::vector<TPoint> drawn;
  void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) override {
    drawn.emplace_back(ACol, ARow);
    TExtStringGrid::DrawCell(ACol, ARow, ARect, AState);
  }
};

TEST_F(ExtGridTest, APropertySetterRepaintsTheCellThatHoldsTheObjectNow) {
  const struct {
    const char* name;
    std::function<void(TExtStringGrid*)> move;
    TPoint now;
    std::function<void(TCellProperties*)> set;
  } cases[] = {
      {"rows inserted above", [](TExtStringGrid* g) { g->InsertRows(1, 2); }, {2, 7},
       [](TCellProperties* p) { p->SetBrushColor(clBlue); }},
      {"a row removed above", [](TExtStringGrid* g) { g->RemoveRows(1, 1); }, {2, 4},
       [](TCellProperties* p) { p->SetBrushColorTo(clYellow); }},
      {"the row moved", [](TExtStringGrid* g) { g->NotifyRowMoved(5, 8); }, {2, 8},
       [](TCellProperties* p) { p->SetVAlignment(vtaBottom); }},
      {"the column moved", [](TExtStringGrid* g) { g->NotifyColumnMoved(2, 4); }, {4, 5},
       [](TCellProperties* p) { p->SetWordWrap(false); }},
      {"not moved", [](TExtStringGrid*) {}, {2, 5}, [](TCellProperties* p) { p->SetBrushColor(clRed); }},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.name);
    auto* g = new TDrawProbe(form);
    g->SetParent(form);
    g->SetBounds(10, 10, 480, 360);
    g->SetColCount(5);
    g->SetRowCount(10);
    g->Loaded();
    Flush();
    TCellProperties* p = g->GetCellProperties(2, 5);
    k.move(g);
    ASSERT_EQ(g->CellPropertiesOrNull(k.now.X, k.now.Y), p);
    Flush();
    Flush();
    g->drawn.clear();
    k.set(p);
    Flush();
    EXPECT_NE(std::find(g->drawn.begin(), g->drawn.end(), k.now), g->drawn.end());
    delete g;
  }
}

TEST_F(ExtGridTest, PageDownStopsAboveTheFloatingFooterRowAndCellsOutOfViewHaveNoRectangle) {
  for (bool footer : {true, false}) {
    SCOPED_TRACE(footer);
    grid->SetRowCount(8);
    grid->FloatingFooterRow = footer;
    grid->SetRow(3);
    ASSERT_EQ(grid->VisibleRowCount() + grid->TopRow() - grid->FixedRows(), grid->RowCount() - 1);
    Key(grid, Qt::Key_PageDown);
    EXPECT_EQ(grid->Row(), footer ? 6 : 7);
  }
  grid->FloatingFooterRow = false;
  grid->SetRowCount(200);
  const TRect out = grid->CellRectEx(2, 150);
  EXPECT_TRUE(out.Right <= out.Left && out.Bottom <= out.Top) << "no place for a cell not shown";
}

// Storing an object in an empty cell writes a blank and empties it through Cells: the footer row
// hears both writes; a cell with text or a property object already is not written.
class TFooterProbe : public TExtStringGrid {
 public:
  using TExtStringGrid::TExtStringGrid;
  int footerWrites = 0;
  void UpdateFooter() override { ++footerWrites; }
};

TEST_F(ExtGridTest, AnObjectStoredInAnEmptyCellWritesItThroughCells) {
  auto* g = new TFooterProbe(form);
  g->SetParent(form);
  g->FloatingFooterRow = true;
  const int last = g->RowCount() - 1;
  TObject token;
  g->SetCellObject(1, last, &token);
  EXPECT_EQ(g->footerWrites, 2);
  EXPECT_EQ(g->Cells(1, last), "");
  EXPECT_EQ(g->GetCellObject(1, last), &token);
  g->SetCellObject(1, last, nullptr);
  g->SetCells(2, last, "t");
  g->footerWrites = 0;
  g->SetCellObject(2, last, &token);
  EXPECT_EQ(g->footerWrites, 0);
  EXPECT_EQ(g->Cells(2, last), "t");
}

TEST_F(ExtGridTest, ColoursBeyondTheRowCountComeBackWhenTheGridGrows) {
  grid->SetRowCount(3);
  grid->SetColors(1, 7, clBlue);  // set beyond the count, as the register window does
  EXPECT_EQ(grid->Colors(1, 7), clBlue);
  grid->SetRowCount(10);
  EXPECT_EQ(grid->Colors(1, 7), clBlue);
  EXPECT_EQ(grid->Colors(2, 7), clNone);
  EXPECT_FALSE(grid->HasCellProperties(2, 7));  // reading creates nothing
}

TEST_F(ExtGridTest, RowColorNoneOnTheBaseOfAVerticalMergeSplitsIt) {
  grid->SetCells(2, 3, "area");
  grid->MergeCells(2, 3, 1, 3);
  grid->SetRowColor(3, clNone);
  for (int r = 3; r <= 5; ++r) EXPECT_EQ(grid->BaseCell(2, r), TPoint(2, r));
  EXPECT_EQ(grid->Cells(2, 4), "");
  EXPECT_EQ(grid->Cells(2, 3), "area");
  grid->SetRowColor(4, clYellow);
  EXPECT_EQ(grid->Colors(1, 4), clYellow);
  EXPECT_EQ(grid->Colors(0, 4), clNone);  // fixed column untouched
}

// ---------------------------------------------------------------- display text
TEST_F(ExtGridTest, DisplayTextEventOnlyBelowTheEventRowLimit) {
  grid->SetCells(1, 1, "raw");
  grid->SetCells(1, 8, "raw8");
  int calls = 0;
  grid->OnGetDisplText = [&](TObject*, int c, int r, std::string& v) {
    ++calls;
    v = "shown " + std::to_string(c) + "," + std::to_string(r);
  };
  EXPECT_EQ(grid->Cells(1, 1), "shown 1,1");
  EXPECT_EQ(grid->GridCells(1, 1), "raw");
  grid->SetRowCount(5);
  grid->SetCells(1, 8, "raw8");  // beyond the count
  EXPECT_EQ(grid->Cells(1, 8), "raw8");
  TBaseGrid plain(form);
  plain.OnGetDisplText = grid->OnGetDisplText;
  plain.SetCells(1, 1, "x");
  calls = 0;
  EXPECT_EQ(plain.Cells(1, 1), "x");  // no RowCount set through the component: no event
  EXPECT_EQ(calls, 0);
}

TEST_F(ExtGridTest, WideCellsAreStoredAsPlainTextNeverInThePrefixedForm) {
  grid->SetWideCells(1, 1, u"\u00e9t\u00e9");
  EXPECT_EQ(grid->GridCells(1, 1), "\xc3\xa9t\xc3\xa9");
  EXPECT_EQ(grid->WideCells(1, 1), u"\u00e9t\u00e9");
  // The raw store: a covered cell of a merged area takes the text itself, its base cell keeps its own.
  grid->SetCells(2, 2, "base");
  grid->MergeCells(2, 2, 2, 2);
  grid->SetWideCells(3, 3, u"own");
  EXPECT_EQ(grid->GridCells(3, 3), "own");
  EXPECT_EQ(grid->GridCells(2, 2), "base");
}

// ---------------------------------------------------------------- rows carry their attributes
TEST_F(ExtGridTest, InsertAndRemoveRowsCarryTextsHeightsColoursAndFlags) {
  for (int r = 1; r < 10; ++r) grid->SetCells(1, r, "r" + std::to_string(r));
  grid->SetRowHeights(5, 40);
  grid->SetColors(2, 5, clRed);
  grid->SetRowModified(5, true);
  grid->InsertRows(3, 2);
  EXPECT_EQ(grid->RowCount(), 12);
  EXPECT_EQ(grid->Cells(1, 3), "");
  EXPECT_EQ(grid->Cells(1, 7), "r5");
  EXPECT_EQ(grid->RowHeights(7), 40);
  EXPECT_EQ(grid->RowHeights(3), grid->DefaultRowHeight());
  EXPECT_EQ(grid->Colors(2, 7), clRed);
  EXPECT_TRUE(grid->RowModified(7));
  EXPECT_FALSE(grid->RowModified(5));
  grid->RemoveRows(5, 2);  // r3 and r4 go
  EXPECT_EQ(grid->RowCount(), 10);
  EXPECT_EQ(grid->Cells(1, 5), "r5");
  EXPECT_EQ(grid->Colors(2, 5), clRed);
  EXPECT_TRUE(grid->RowModified(5));
  EXPECT_EQ(grid->RowHeights(5), 40);
  EXPECT_EQ(grid->Cells(1, 6), "r6");
  EXPECT_FALSE(grid->RowModified(6));
  // Out-of-range removals do nothing; an insertion outside the grid raises, changing nothing.
  grid->RemoveRows(-1, 3);
  grid->RemoveRows(10, 1);
  EXPECT_THROW(grid->InsertRows(11, 1), EInvalidGridOperation);
  EXPECT_EQ(grid->RowCount(), 10);
  for (int col : {-1, 6}) EXPECT_THROW(grid->InsertCols(col, 1), EInvalidGridOperation) << col;
  grid->InsertCols(5, 1);
  EXPECT_EQ(grid->ColCount(), 6);
}

// Removal by moving the texts up: texts and colours move, the heights stay by position, and
// the current row stays where it was (or goes to the first data row when the grid got shorter).
TEST_F(ExtGridTest, RemoveRowsDirectMovesTextsUpAndLeavesHeightsInPlace) {
  const struct {
    const char* name;
    int row, count, current;
    int rowCount, currentAfter;
    const char* texts;  // column 1 from row 1
    int heightOf4;      // row 4's height afterwards
  } cases[] = {
      {"two rows from 3", 3, 2, 6, 8, 6, "r1 r2 r5 r6 r7 r8 r9", 40},
      {"the last rows, the current one among them", 7, 5, 8, 7, 1, "r1 r2 r3 r4 r5 r6", 40},
      {"out of range", 10, 1, 2, 10, 2, "r1 r2 r3 r4 r5 r6 r7 r8 r9", 40},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.name);
    grid->SetRowCount(10);
    for (int r = 0; r < 10; ++r) grid->SetRowHeights(r, r == 4 ? 40 : 20);
    for (int r = 1; r < 10; ++r) grid->SetCells(1, r, "r" + std::to_string(r)), grid->SetColors(2, r, r == 5 ? clRed : clNone);
    grid->SetRow(k.current);
    grid->RemoveRowsDirect(k.row, k.count);
    EXPECT_EQ(grid->RowCount(), k.rowCount);
    EXPECT_EQ(grid->Row(), k.currentAfter);
    std::string texts;
    for (int r = 1; r < grid->RowCount(); ++r) texts += (r > 1 ? " " : "") + grid->Cells(1, r);
    EXPECT_EQ(texts, k.texts);
    EXPECT_EQ(grid->RowHeights(4), k.heightOf4);
    for (int r = 1; r < grid->RowCount(); ++r)
      EXPECT_EQ(grid->Colors(2, r) == clRed, grid->Cells(1, r) == "r5") << "the colour moves with its text, row " << r;
  }
}

TEST_F(ExtGridTest, RemovedRowsDoNotReappearWhenTheGridGrows) {
  grid->SetCells(1, 9, "last");
  grid->SetColors(1, 9, clRed);
  grid->RemoveRows(9, 1);
  grid->SetRowCount(10);
  EXPECT_EQ(grid->Cells(1, 9), "");
  EXPECT_EQ(grid->Colors(1, 9), clNone);
}

// Rows past a smaller count go with their texts, colours, flags, merges and controls.
TEST_F(ExtGridTest, RowsPastASmallerCountComeBackEmptyWhenTheGridGrows) {
  const struct {
    const char* name;
    int shrinkTo;
    const char* text8;  // row 8 after growing back to 10
    bool red8, modified8, box;
    TPoint span;  // of the area merged over rows 4..6
  } cases[] = {
      {"below the merged area", 5, "", false, false, false, TPoint(0, 0)},
      {"below row 8 only", 8, "", false, false, false, TPoint(0, 2)},
      {"to row 9, keeping row 8", 9, "old8", true, true, true, TPoint(0, 2)},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.name);
    grid->SetRowCount(10);
    grid->SetCells(1, 8, "old8");
    grid->SetColors(1, 8, clRed);
    grid->SetRowModified(8, true);
    grid->SetCells(2, 4, "area");
    grid->MergeCells(2, 4, 1, 3);
    auto* box = new TEdit(grid);
    box->SetParent(grid);
    grid->ControlList()->AddControl(3, 8, box);
    grid->SetRowCount(k.shrinkTo);
    grid->SetRowCount(10);
    EXPECT_EQ(grid->Cells(1, 8), k.text8);
    EXPECT_EQ(grid->Colors(1, 8) == clRed, k.red8);
    EXPECT_EQ(grid->RowModified(8), k.modified8);
    EXPECT_EQ(grid->ControlList()->Count() == 1, k.box);
    EXPECT_EQ(grid->CellSpan(2, 4), k.span);
    EXPECT_EQ(grid->BaseCell(2, 5), k.span.Y ? TPoint(2, 4) : TPoint(2, 5));
    grid->SetRowCount(1);
    EXPECT_EQ(grid->ControlList()->Count(), 0);
  }
}

// A block frees what its cells carry; only a merged area reaching out of it stays merged.
TEST_F(ExtGridTest, ClearingABlockFreesPropertiesAndTheMergesItCoversWhole) {
  const struct {
    const char* name;
    std::function<void()> clear;
    TPoint span;  // of the area merged at (1, 1), 2 x 2
    bool red, graphic;
    const char* text;  // of the area
    TColor boxCell;    // colour of the cell holding a control
  } cases[] = {
      {"the area whole", [&] { grid->ClearRect(1, 1, 3, 3); }, TPoint(0, 0), false, false, "", clNone},
      {"every cell", [&] { grid->ClearAll(); }, TPoint(0, 0), false, false, "", clNone},
      {"part of the area", [&] { grid->ClearRect(2, 2, 3, 3); }, TPoint(1, 1), true, true, "", clNone},
      {"outside the area", [&] { grid->ClearRect(4, 4, 5, 5); }, TPoint(1, 1), true, true, "M", clBlue},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.name);
    grid->SetCells(1, 1, "M");
    grid->MergeCells(1, 1, 2, 2);
    grid->SetColors(1, 1, clRed);
    grid->AddCheckBox(1, 1, true, false);
    auto* box = new TEdit(grid);
    box->SetParent(grid);
    grid->ControlList()->AddControl(3, 3, box);
    grid->GetCellProperties(3, 3)->Control = box;
    grid->SetColors(3, 3, clBlue);
    k.clear();
    EXPECT_EQ(grid->CellSpan(1, 1), k.span);
    EXPECT_EQ(grid->Colors(1, 1) == clRed, k.red);
    EXPECT_EQ(grid->GetCellType(1, 1) == ctCheckBox, k.graphic);
    EXPECT_EQ(grid->Cells(2, 2), k.text);
    EXPECT_EQ(grid->Colors(3, 3), k.boxCell);
    EXPECT_EQ(grid->CellControls(3, 3), box) << "the control stays in its cell";
    EXPECT_EQ(grid->ControlList()->Count(), 1);
    grid->SplitCells(1, 1);
    grid->ClearAll();
    grid->ControlList()->DeleteControl(0);
  }
}

TEST_F(ExtGridTest, ClearingSelectedCellsEmptiesEveryDisjunctKindOn) {
  const struct {
    const char* name;
    bool cols, rows;
    const char *colCell, *rowCell;  // (2, 7) in the flagged column, (4, 3) in the flagged row
  } cases[] = {
      {"columns", true, false, "", "x"},
      {"rows", false, true, "x", ""},
      {"both", true, true, "", ""},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.name);
    grid->MouseActions()->SetDisjunctColSelect(k.cols);
    grid->MouseActions()->SetDisjunctRowSelect(k.rows);
    grid->SetCells(2, 7, "x");
    grid->SetCells(4, 3, "x");
    grid->SetColSelect(2, true);
    grid->SetRowSelect(3, true);
    grid->ClearSelectedCells();
    EXPECT_EQ(grid->Cells(2, 7), k.colCell);
    EXPECT_EQ(grid->Cells(4, 3), k.rowCell);
  }
}

TEST_F(ExtGridTest, RemovingRowsOfAGridWithNodesLeavesTheCurrentCellInColumnOne) {
  grid->AddNode(2, 3);
  grid->SetCol(3);
  grid->SetRow(6);
  grid->RemoveRowsEx(7, 1);
  EXPECT_EQ(grid->Col(), 1);
  EXPECT_EQ(grid->Row(), 6);
}

// A placed control shows only while its cell lies in the scrolled view; it comes back at its cell.
TEST_F(ExtGridTest, PlacedControlsShowOnlyInTheScrolledView) {
  grid->SetRowCount(60);
  const struct {
    int row;
    bool top, scrolled;  // shown at TopRow 1, at TopRow 20
  } cases[] = {{0, false, false}, {2, true, false}, {25, false, true}};
  for (const auto& k : cases) {
    SCOPED_TRACE(k.row);
    auto* box = new TEdit(grid);
    box->SetParent(grid);
    grid->ControlList()->AddControl(3, k.row, box);
    for (int top : {20, 1}) {
      grid->SetTopRow(top);
      EXPECT_EQ(box->Visible(), top == 1 ? k.top : k.scrolled) << top;
    }
    if (k.top) {
      EXPECT_EQ(box->Top(), grid->CellRect(3, k.row).Top);
    }
    grid->ControlList()->DeleteControl(0);
  }
}

// ---------------------------------------------------------------- hidden rows
TEST_F(ExtGridTest, HideAndUnhideRoundTripsOverMixedBlocks) {
  for (int r = 0; r < 10; ++r) grid->SetCells(1, r, "r" + std::to_string(r));
  grid->SetColors(2, 4, clRed);
  std::vector<std::string> before = Column(1);
  grid->HideRows(3, 5);
  EXPECT_EQ(grid->RowCount(), 7);
  EXPECT_EQ(grid->DisplRowIndex(7), 4);
  EXPECT_EQ(grid->RealRowIndex(4), 7);
  EXPECT_EQ(grid->Cells(1, 3), "r6");
  grid->HideRows(2, 7);  // partly hidden: rows 2, 6, 7 join
  EXPECT_EQ(grid->RowCount(), 4);
  EXPECT_EQ(grid->NumHiddenRows(), 6);
  EXPECT_EQ(grid->Cells(1, 2), "r8");
  grid->UnHideRows(3, 5);  // a block with a hidden row 2 before it
  EXPECT_EQ(grid->RowCount(), 7);
  EXPECT_EQ(grid->Cells(1, 2), "r3");
  EXPECT_EQ(grid->Cells(1, 3), "r4");
  EXPECT_EQ(grid->Colors(2, 3), clRed);  // the property object travelled with its row
  grid->UnHideRows(2, 9);  // visible rows inside the block
  EXPECT_EQ(grid->NumHiddenRows(), 0);
  EXPECT_EQ(Column(1), before);
  EXPECT_EQ(grid->Colors(2, 4), clRed);
  grid->HideRows(3, 3);
  grid->HideRows(3, 3);  // already hidden: nothing changes
  EXPECT_EQ(grid->RowCount(), 9);
  grid->UnHideRows(2, 4);  // first row visible: nothing is unhidden
  EXPECT_EQ(grid->RowCount(), 9);
  grid->UnHideRowsAll();
  EXPECT_EQ(Column(1), before);
}

// The list's storage changes hands only while it holds no records: records shown while others
// stay hidden never take the others' place, and an emptied list's storage serves the next records.
TEST(HiddenRows, StorageChangesHandsOnlyThroughAnEmptyList) {
  THiddenRows list;
  std::vector<TGridItem> added(3);
  for (int k = 0; k < 3; ++k) added[static_cast<size_t>(k)].Idx = 2 + 3 * k;  // 2, 5, 8
  list.Merge(std::move(added));
  EXPECT_EQ(list.TakeStorage().capacity(), 0u);
  std::vector<TGridItem> shown = list.Extract({5});
  shown.reserve(64);  // more than the list's own
  list.KeepStorage(std::move(shown));
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list.Items(0)->Idx + list.Items(1)->Idx, 10);
  list.KeepStorage(list.Extract({2, 8}));
  EXPECT_EQ(list.Count(), 0);
  std::vector<TGridItem> next = list.TakeStorage();
  EXPECT_TRUE(next.empty() && next.capacity() >= 2);
}

TEST_F(ExtGridTest, ColumnMappingIsTheIdentityWithoutHiddenColumns) {
  EXPECT_EQ(grid->RealColIndex(3), 3);
  EXPECT_EQ(grid->DisplColIndex(3), 3);
  EXPECT_EQ(grid->RealColIndex(600), 600);
  EXPECT_EQ(grid->RealRowIndex(-2), -1);
}

// ---------------------------------------------------------------- aggregates
TEST_F(ExtGridTest, AggregatesOverNoDataRowsAreZero) {
  EXPECT_EQ(grid->ColumnAvg(1, 1, 9), 0.0);
  EXPECT_EQ(grid->ColumnSum(1, 5, 2), 0.0);
  grid->SetCells(1, 1, "2");
  grid->SetCells(1, 2, "4");
  grid->SetCells(1, 3, "x");
  EXPECT_DOUBLE_EQ(grid->ColumnAvg(1, 1, 9), 6.0 / 9);  // every row of the range counts
  EXPECT_DOUBLE_EQ(grid->ColumnAvg(1, 1, 2), 3.0);
  EXPECT_EQ(grid->ColumnMax(1, 1, 9), 4.0);
  EXPECT_EQ(grid->ColumnMin(1, 1, 9), 2.0);
}

// ---------------------------------------------------------------- row updates and events
TEST_F(ExtGridTest, RowUpdateReportsTheRowAskedForUnlessTheChangeIsRefusedAndWaitsForEndUpdate) {
  std::vector<std::pair<int, int>> seen;
  grid->OnRowUpdate = [&](TObject*, int o, int n) { seen.push_back({o, n}); };
  grid->SetRow(3);
  grid->SetRow(3);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0], std::make_pair(1, 3));
  grid->BeginUpdate();
  grid->SetRow(5);
  grid->EndUpdate();
  EXPECT_EQ(seen.size(), 1u);
  grid->SetRow(6);
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[1], std::make_pair(3, 6));  // the last reported row, not the intermediate one
  grid->OnRowChanging = [](TObject*, int, int, bool& allow) { allow = false; };
  grid->SetRow(8);
  EXPECT_EQ(grid->Row(), 6);
  EXPECT_EQ(seen.size(), 2u);
  // A refused validation keeps the cell but still reports the row that was asked for; making the
  // cell current again then reports its row back.
  grid->OnRowChanging = nullptr;
  grid->SetOptions(grid->Options() | goEditing);
  grid->OnCellValidate = [](TObject*, int, int, std::string&, bool& valid) { valid = false; };
  EditCell(2, 6, "zz");
  grid->SetRow(9);
  EXPECT_EQ(grid->Row(), 6);
  ASSERT_EQ(seen.size(), 4u);
  EXPECT_EQ(seen[2], std::make_pair(6, 9));
  EXPECT_EQ(seen[3], std::make_pair(9, 6));
}

TEST_F(ExtGridTest, EventFamiliesGetTheirArgumentOrder) {
  std::vector<std::string> log;
  grid->OnGetCellColor = [&](TObject*, int r, int c, TGridDrawState, TBrush*, TFont*) {
    if (c == 3 && r == 2) log.push_back("color");
  };
  grid->OnCanEditCell = [&](TObject*, int r, int c, bool&) { log.push_back("canedit " + std::to_string(r) + "," + std::to_string(c)); };
  grid->OnGetEditorType = [&](TObject*, int c, int r, TEditorType&) {
    log.push_back("editor " + std::to_string(c) + "," + std::to_string(r));
  };
  grid->OnGetCheckTrue = [&](TObject*, int c, int r, std::string& v) { v = std::to_string(c) + std::to_string(r); };
  std::string v;
  grid->GetCheckTrue(3, 2, v);
  EXPECT_EQ(v, "32");
  grid->SetOptions(grid->Options() | goEditing);
  grid->SetCol(3);
  grid->SetRow(2);
  Type("x");
  ASSERT_NE(std::find(log.begin(), log.end(), "canedit 2,3"), log.end());
  ASSERT_NE(std::find(log.begin(), log.end(), "editor 3,2"), log.end());
  grid->Repaint();
  Flush();
  EXPECT_NE(std::find(log.begin(), log.end(), "color"), log.end());
  std::string s;
  grid->GetCheckFalse(0, 0, s);
  EXPECT_EQ(s, "N");
}

TEST_F(ExtGridTest, ReadOnlyCellSwitchesEditingOffAndTheNextCellOn) {
  grid->SetOptions(grid->Options() | goEditing);
  grid->SetReadOnly(2, 2, true);
  grid->SetCol(2);
  grid->SetRow(2);
  EXPECT_FALSE(grid->Options() & goEditing);
  Type("z");
  EXPECT_EQ(grid->Cells(2, 2), "");
  grid->SetCol(3);
  EXPECT_TRUE(grid->Options() & goEditing);
}

// ---------------------------------------------------------------- validation
TEST_F(ExtGridTest, RefusedValidationRestoresTheCellAndTabMovesOn) {
  grid->SetOptions(grid->Options() | goEditing | goTabs);
  grid->SetCells(1, 1, "ok");
  int calls = 0;
  grid->OnCellValidate = [&](TObject*, int c, int r, std::string& v, bool& valid) {
    ++calls;
    EXPECT_EQ(c, 1);
    EXPECT_EQ(r, 1);
    valid = v != "bad";
  };
  EditCell(1, 1, "bad");
  Key(Qt::Key_Tab);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(grid->Col(), 2);
  EXPECT_EQ(grid->Row(), 1);
  EXPECT_EQ(grid->Cells(1, 1), "ok");
}

TEST_F(ExtGridTest, CorrectedValidationStoresTheHandlersValueAndFeedsUndo) {
  grid->SetOptions(grid->Options() | goEditing);
  TExtGridUndoRedo undo(form);
  grid->SetUndoRedo(&undo);
  grid->OnCellValidate = [&](TObject*, int, int, std::string& v, bool& valid) {
    v = "0" + v;
    valid = true;
  };
  EditCell(2, 3, "5");
  Key(Qt::Key_Return);
  EXPECT_EQ(grid->Cells(2, 3), "05");
  ASSERT_EQ(undo.Level(), 1);
  auto* it = static_cast<TUndoRedoItem*>(undo.Items()->Items(0));
  EXPECT_EQ(it->OrigValue, "");
  EXPECT_EQ(it->Value, "05");
  grid->SetUndoRedo(nullptr);
}

// ---------------------------------------------------------------- the editor
TEST_F(ExtGridTest, MaskCaseAndLengthLimitApplyToTypingAndPasting) {
  grid->SetOptions(grid->Options() | goEditing);
  grid->MaxEditLength = 2;
  grid->OnGetEditMask = [](TObject*, int, int, std::string& m) { m = ">CC;1;_"; };
  EditCell(1, 1, "ff");
  EXPECT_EQ(EditorText(), "FF");
  Type("a");  // overwrite typing in a full masked field is not blocked by the limit
  EXPECT_EQ(grid->Cells(1, 1).size(), 2u);
  grid->InplaceEditor()->SelectAll();
  Clipboard()->SetAsText("ab");
  grid->InplaceEditor()->PasteFromClipboard();
  EXPECT_EQ(EditorText(), "AB");
  grid->InplaceEditor()->SelectAll();
  Clipboard()->SetAsText("abc");
  grid->InplaceEditor()->PasteFromClipboard();
  EXPECT_EQ(EditorText(), "AB");  // too long: nothing pasted
}

TEST_F(ExtGridTest, LengthLimitAndTypeFiltersOfPlainCells) {
  grid->SetOptions(grid->Options() | goEditing);
  grid->MaxEditLength = 2;
  EditCell(1, 1, "abc");
  EXPECT_EQ(EditorText(), "ab");
  Key(Qt::Key_Backspace);
  EXPECT_EQ(EditorText(), "a");
  Key(Qt::Key_Escape);
  grid->MaxEditLength = 0;
  grid->OnGetEditorType = [](TObject*, int c, int, TEditorType& e) { e = c == 2 ? edNumeric : edFloat; };
  EditCell(2, 2, "1-2-");
  EXPECT_EQ(EditorText(), "12");
  Key(Qt::Key_Escape);
  ExtUtil::TLocale dot;
  ExtUtil::TLocaleScope loc(dot);
  EditCell(3, 2, "1,2..5");
  EXPECT_EQ(EditorText(), "12.5");
  Key(Qt::Key_Escape);
  {
    ExtUtil::TLocale comma;
    comma.DecimalSeparator = ',';
    comma.ThousandSeparator = ' ';
    ExtUtil::TLocaleScope loc2(comma);
    EditCell(3, 3, "1.2,5");
    EXPECT_EQ(EditorText(), "1.2,5");  // a point is taken though it is no separator here
    Key(Qt::Key_Escape);
  }
  grid->InplaceEditor()->SelectAll();
  EditCell(2, 3, "7");
  grid->InplaceEditor()->SelectAll();
  Clipboard()->SetAsText("x1");
  grid->InplaceEditor()->PasteFromClipboard();
  EXPECT_EQ(EditorText(), "7");  // not an integer: not pasted
}

TEST_F(ExtGridTest, PastedTextTakesTheCellsCaseWholeCharacterByCharacter) {
  grid->SetOptions(grid->Options() | goEditing);
  struct Case {
    TEditorType kind;
    const char* pasted;
    const char* expected;
    const char* start = nullptr;  // the editor's text before the paste, the caret at its end
  } cases[] = {
      {edUpperCase, "\u00e9t\u00fc", "\u00c9T\u00dc"},
      {edUpperCase, "\u00da\u00dc", "\u00da\u00dc"},  // already upper: the same letters stay
      {edUpperCase, "5 \u20ac", "5 \u20ac"},             // no case: the three bytes stay whole
      {edLowerCase, "\u00c9A", "\u00e9a"},
      {edLowerCase, "\u00e9", "\u00e9"},
      {edCapital, "\u00e9a", "\u00e9a"},  // only typing capitalises here
      // The whole new text is judged and re-cased, not the pasted part alone.
      {edNumeric, "-3", "12", "12"},
      {edNumeric, "3", "123", "12"},
      {edFloat, "2.3", "1.5", "1.5"},
      {edMixedCase, "smith", "John Smith", "john "},
      {edPositiveNumeric, "-5", "1"},  // refused as typing refuses it
  };
  ExtUtil::TLocale dot;
  ExtUtil::TLocaleScope loc(dot);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pasted);
    grid->OnGetEditorType = [&](TObject*, int, int, TEditorType& e) { e = c.kind; };
    EditCell(1, 1, "1");
    if (c.start) {
      grid->InplaceEditor()->SetText(c.start);
      const int end = static_cast<int>(std::string(c.start).size());
      grid->InplaceEditor()->SetSelStart(end);
    } else {
      grid->InplaceEditor()->SelectAll();
    }
    Clipboard()->SetAsText(c.pasted);
    grid->InplaceEditor()->PasteFromClipboard();
    EXPECT_EQ(EditorText(), c.expected);
    Key(Qt::Key_Escape);
  }
}

// ---------------------------------------------------------------- lifecycle
TEST_F(ExtGridTest, TwoGridsOnOneFormDestroyedInEitherOrder) {
  int own = 0;
  for (int order = 0; order < 2; ++order) {
    auto* f = new TForm(Application);
    f->OnResize = [&](TObject*) { ++own; };
    auto* a = new TExtStringGrid(f);
    auto* b = new TExtStringGrid(f);
    if (order == 0) delete a, delete b;
    else delete b, delete a;
    own = 0;
    f->OnResize(f);
    EXPECT_EQ(own, 1);  // the form's own handler is back
    auto* c = new TExtStringGrid(f);
    f->OnResize(f);  // calls through the hub, which knows only the living grid
    EXPECT_EQ(own, 2);
    delete f;  // the grid dies with its form
    (void)c;
  }
}

TEST_F(ExtGridTest, EditingOptionSwitchDoesNotSwallowALaterRepaint) {
  grid->SetOptions(grid->Options() | goEditing);
  grid->SetReadOnly(2, 2, true);
  grid->SetCol(2);
  grid->SetRow(2);
  EXPECT_FALSE(grid->Options() & goEditing);  // switched off without a repaint of its own
  Flush();
  int before = grid->PaintCounter();
  grid->Invalidate();
  Flush();
  EXPECT_GT(grid->PaintCounter(), before);
}

TEST_F(ExtGridTest, FreshGridDefaultsAndOptionObjects) {
  TExtStringGrid g(form);
  EXPECT_EQ(g.RowCount(), 10);
  EXPECT_EQ(g.DefaultRowHeight(), 21);
  EXPECT_EQ(g.Look(), glXP);
  EXPECT_EQ(g.Width(), 400);
  EXPECT_EQ(g.ScrollWidth(), GetSystemMetrics(SM_CXVSCROLL));
  EXPECT_EQ(g.Bands()->Period(), 2);
  g.Bands()->SetPrimaryLength(2);
  g.Bands()->SetActive(true);
  g.SetFixedRows(1);
  EXPECT_EQ(g.Bands()->BandColor(1, false), clInfoBk);
  EXPECT_EQ(g.Bands()->BandColor(2, false), clInfoBk);
  EXPECT_EQ(g.Bands()->BandColor(3, false), clWindow);
  EXPECT_THROW(g.SortSettings()->SetRow(1), Exception);
  int fired = 0;
  g.SearchFooter()->OnChange = [&](TObject*) { ++fired; };
  g.SearchFooter()->SetShowFindNext(true);
  g.SearchFooter()->SetShowClose(true);
  EXPECT_EQ(fired, 1);
  g.ControlLook()->SetFixedGradientTo(clNone);
  EXPECT_EQ(g.FixedGradientEnd, ColorToRGB(clBtnFace));
  TBands other(nullptr);
  g.Bands()->Assign(g.Grouping());  // another class: nothing
  EXPECT_TRUE(g.Bands()->Active());
  g.SetOptions(g.Options() | goAlwaysShowEditor);
  g.SetFixedRows(0);
  g.ColumnHeaders()->Add("Head");
  g.SetFixedRows(1);
  g.Loaded();
  EXPECT_EQ(g.Cells(0, 0), "Head") << "headers given before the fixed row show once loaded";
  EXPECT_TRUE(g.Navigation()->AlwaysEdit);
  EXPECT_FALSE(g.Options() & goAlwaysShowEditor);
}

// ---------------------------------------------------------------- picture
// A grid as the register windows show one: fixed row and column, rows banded
// through Colors, a merged area, the editor open. Written under the build tree.
TEST_F(ExtGridTest, PictureWithFixedLinesBandsAMergedAreaAndTheEditorOpen) {
  const TColor bandA = TColorOf(0xCCFFFF), bandB = TColorOf(0xFFE8D0);  // pale yellow, pale blue
  grid->SetColCount(5);
  grid->SetRowCount(12);
  grid->SetDefaultColWidth(90);
  grid->SetColWidths(0, 60);
  grid->SetOptions(grid->Options() | goEditing);
  for (int c = 1; c < 5; ++c) grid->SetCells(c, 0, "Col " + std::to_string(c));
  for (int r = 1; r < 12; ++r) {
    grid->SetCells(0, r, std::to_string(r));
    for (int c = 1; c < 5; ++c) {
      grid->SetColors(c, r, r % 2 ? bandA : bandB);
      if (c != 4) grid->SetCells(c, r, "r" + std::to_string(r) + "c" + std::to_string(c));
    }
  }
  grid->SetCells(2, 4, "merged 2 x 3");
  ASSERT_TRUE(grid->MergeCells(2, 4, 2, 3));
  grid->SetCells(1, 8, "");
  EditCell(1, 8, "typed");
  Flush();
  ASSERT_TRUE(grid->InplaceEditor() && grid->InplaceEditor()->Visible());
  EXPECT_EQ(grid->Cells(1, 8), "typed");

  std::string file = TestImagePath("extgrid-bands-merge-editor.png");
  ASSERT_TRUE(SaveControlImage(form, file));
  QImage img(QString::fromStdString(file));
  ASSERT_FALSE(img.isNull());
  // Points in form coordinates of a cell's inner area (away from text and lines).
  auto at = [&](int c, int r, int dx, int dy) {
    TRect rc = grid->CellRect(c, r);
    return img.pixel(grid->Left() + rc.Left + dx, grid->Top() + rc.Top + dy) & 0xFFFFFF;
  };
  const QRgb yellow = 0xFFFFCC, blue = 0xD0E8FF;
  EXPECT_EQ(at(4, 1, 80, 16), yellow);  // empty cells of the last column show the bands
  EXPECT_EQ(at(4, 2, 80, 16), blue);
  EXPECT_EQ(at(4, 3, 80, 16), yellow);
  EXPECT_NE(at(0, 1, 50, 16), yellow);  // the fixed column keeps its own look
  EXPECT_NE(at(1, 0, 80, 16), yellow);
  // The merged area is one cell: no grid line between its rows or columns.
  TRect m = grid->CellRectEx(2, 4);
  EXPECT_EQ(m.Left, grid->CellRect(2, 4).Left);
  EXPECT_EQ(m.Top, grid->CellRect(2, 4).Top);
  EXPECT_EQ(m.Right, grid->CellRect(3, 6).Right);
  EXPECT_EQ(m.Bottom, grid->CellRect(3, 6).Bottom);
  TRect below = grid->CellRect(3, 5);
  EXPECT_EQ(img.pixel(grid->Left() + below.Left - 1, grid->Top() + below.Top + 10) & 0xFFFFFF, blue);  // r4 base colour
  EXPECT_EQ(img.pixel(grid->Left() + below.Left + 60, grid->Top() + below.Top - 1) & 0xFFFFFF, blue);
}

// Inserting, removing or hiding lines inside a merged area must not leave covered
// cells whose offsets point past their base (reads threw, paints read other cells).
TEST_F(ExtGridTest, LineChangesThroughAMergedAreaSplitItAndKeepTheBaseText) {
  auto unmerged = [&](int c, int r1, int r2) {
    for (int r = r1; r <= r2; ++r) EXPECT_EQ(grid->BaseCell(c, r), TPoint(c, r)) << c << "," << r;
  };
  grid->SetCells(1, 0, "top");
  ASSERT_TRUE(grid->MergeCells(1, 0, 1, 4));
  grid->RemoveRows(0, 1);  // the base row goes
  unmerged(1, 0, 3);
  EXPECT_NO_THROW(for (int r = 0; r < 4; ++r) (void)grid->Cells(1, r));
  grid->SetCells(2, 2, "area");
  ASSERT_TRUE(grid->MergeCells(2, 2, 1, 3));
  grid->InsertRows(3, 2);  // inside the area
  unmerged(2, 2, 7);
  EXPECT_EQ(grid->Cells(2, 2), "area");
  EXPECT_EQ(grid->Cells(2, 5), "");
  ASSERT_TRUE(grid->MergeCells(2, 5, 1, 3));
  grid->RemoveRows(7, 1);  // the last row of the area goes
  unmerged(2, 5, 6);
  ASSERT_TRUE(grid->MergeCells(1, 6, 3, 1));
  grid->InsertCols(2, 1);
  unmerged(1, 6, 6);
  EXPECT_EQ(grid->BaseCell(3, 6), TPoint(3, 6));
  ASSERT_TRUE(grid->MergeCells(1, 7, 2, 1));
  grid->RemoveCols(1, 1);  // the base column goes
  EXPECT_EQ(grid->BaseCell(1, 7), TPoint(1, 7));
  grid->SetCells(3, 1, "v");
  ASSERT_TRUE(grid->MergeCells(3, 1, 1, 3));
  ASSERT_TRUE(grid->MergeCells(1, 2, 2, 1));  // a merge within one row travels with it
  grid->HideRows(2, 2);
  unmerged(3, 1, 2);
  EXPECT_EQ(grid->Cells(3, 1), "v");
  grid->UnHideRows(2, 2);
  EXPECT_EQ(grid->BaseCell(2, 2), TPoint(1, 2));
  grid->Repaint();
  Flush();
}

}  // namespace
