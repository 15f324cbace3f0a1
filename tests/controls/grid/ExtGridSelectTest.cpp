// Mouse selection through real mouse events on a grid offscreen: the press
// modes and their cursors, whole rows, columns and all cells by clicks and by
// dragging over the fixed cells (with scrolling), disjunct rows and cells, the
// selection resizer and the paste rule it fills with.
#include <gtest/gtest.h>

#include <QCursor>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <functional>
#include <string>
#include <vector>

#include "platform/gui/Clipbrd.h"
#include "platform/gui/FormImage.h"
#include "platform/gui/Windows.h"
#include "tests/controls/grid/GridInputFixture.h"

namespace {

class SelectTest : public GridInputTest {
 public:
  // As a mouse does: the window is asked for its cursor before each move reaches it.
  void Hover(int x, int y) {
    Mouse(QEvent::MouseMove, x, y);
    Mouse(QEvent::MouseMove, x, y);
  }
  void HoverCell(int c, int r) {
    TPoint p = Mid(c, r);
    Hover(p.X, p.Y);
  }
  void Press(TPoint p, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    Mouse(QEvent::MouseButtonPress, p.X, p.Y, Qt::LeftButton, mods);
  }
  void MoveTo(TPoint p) { Mouse(QEvent::MouseMove, p.X, p.Y); }
  void Release(TPoint p, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    Mouse(QEvent::MouseButtonRelease, p.X, p.Y, Qt::LeftButton, mods);
  }
  QImage CursorShown() const { return grid->ClientWidget()->cursor().pixmap().toImage(); }
  static QImage Registered(int n) {
    HCURSOR h = Screen->Cursors(n);
    return h ? reinterpret_cast<QCursor*>(h)->pixmap().toImage() : QImage();
  }
  std::vector<int> FlaggedRows() const {
    std::vector<int> v;
    for (int r = grid->FixedRows(); r < grid->RowCount(); ++r)
      if (grid->RowSelect(r)) v.push_back(r);
    return v;
  }
  TPoint HandleCentre() {
    TRect h = grid->SelectionResizeHandle();
    return TPoint((h.Left + h.Right) / 2, (h.Top + h.Bottom) / 2);
  }
};

// ---------------------------------------------------------------- clicks in the press modes
struct ModeClickCase {
  const char* Name;
  std::function<void(TExtStringGrid*)> Setup;
  TPoint Cell;  // hovered, then clicked
  Qt::KeyboardModifiers Mods;
  int Mode;
  TGridRect Selection;
};

const ModeClickCase kModeClicks[] = {
    {"CornerSelectsAllScrollableCells", [](TExtStringGrid* g) { g->MouseActions()->AllSelect = true; }, {0, 0},
     Qt::NoModifier, TExtStringGrid::pmAllSelect, {1, 1, 4, 9}},
    {"CornerLeavesTheFooterRows",
     [](TExtStringGrid* g) {
       g->MouseActions()->AllSelect = true;
       g->SetFixedFooters(2);
     },
     {0, 0}, Qt::NoModifier, TExtStringGrid::pmAllSelect, {1, 1, 4, 7}},
    {"FixedColumnSelectsTheRow", [](TExtStringGrid* g) { g->MouseActions()->RowSelect = true; }, {0, 4},
     Qt::NoModifier, TExtStringGrid::pmRowSelect, {1, 4, 4, 4}},
    {"ShiftExtendsRowsFromTheCurrentRow", [](TExtStringGrid* g) {
       g->MouseActions()->RowSelect = true;
       g->FocusCell(2, 7, true);
     },
     {0, 3}, Qt::ShiftModifier, TExtStringGrid::pmRowSelect, {1, 3, 4, 7}},
    {"FixedRowSelectsTheColumn", [](TExtStringGrid* g) { g->MouseActions()->ColSelect = true; }, {3, 0},
     Qt::NoModifier, TExtStringGrid::pmColSelect, {3, 1, 3, 9}},
    {"NoModeWithoutTheOption", nullptr, {0, 4}, Qt::NoModifier, TExtStringGrid::pmNone, {1, 1, 1, 1}},
    {"RowModeWithoutRangeSelectSelectsNothing",
     [](TExtStringGrid* g) {
       g->MouseActions()->RowSelect = true;
       g->SetOptions(g->Options() & ~goRangeSelect);
     },
     {0, 4}, Qt::NoModifier, TExtStringGrid::pmRowSelect, {1, 1, 1, 1}},
    {"AScrollableCellSetsNoMode",
     [](TExtStringGrid* g) {
       g->MouseActions()->RowSelect = true;
       g->MouseActions()->ColSelect = true;
       g->MouseActions()->AllSelect = true;
     },
     {2, 2}, Qt::NoModifier, TExtStringGrid::pmNone, {2, 2, 2, 2}},
};

TEST_F(SelectTest, ClicksInEachPressMode) {
  for (const ModeClickCase& k : kModeClicks) {
    SCOPED_TRACE(k.Name);
    TearDown();
    SetUp();
    grid->SetOptions(grid->Options() & ~goEditing);
    if (k.Setup) k.Setup(grid);
    Flush();
    int changed = 0;
    grid->OnSelectionChanged = [&](TObject*, int, int, int, int) { ++changed; };
    HoverCell(k.Cell.X, k.Cell.Y);
    EXPECT_EQ(grid->PressMode(), k.Mode);
    TPoint p = Mid(k.Cell.X, k.Cell.Y);
    Press(p, k.Mods);
    Release(p, k.Mods);
    EXPECT_EQ(grid->Selection(), k.Selection);
    EXPECT_EQ(grid->PressMode(), TExtStringGrid::pmNone) << "the release clears the mode";
    const bool moved = !(grid->Selection() == TGridRect{1, 1, 1, 1});
    EXPECT_EQ(changed, moved ? 1 : 0) << "one selection report per click";
  }
}

// ---------------------------------------------------------------- cursors
TEST_F(SelectTest, EachModeShowsItsOwnCursor) {
  grid->MouseActions()->RowSelect = true;
  grid->MouseActions()->ColSelect = true;
  grid->MouseActions()->AllSelect = true;
  grid->SetSelectionRectangle(true);
  grid->SetSelectionResizer(true);
  grid->SetSelection({2, 2, 3, 3});
  Flush();
  const QImage plain = CursorShown();
  struct {
    const char* Name;
    std::function<TPoint()> At;
    int Mode, Cursor;
  } steps[] = {
      {"fixed column", [&] { return Mid(0, 5); }, TExtStringGrid::pmRowSelect, TExtStringGrid::crGridRowSelect},
      {"fixed row", [&] { return Mid(2, 0); }, TExtStringGrid::pmColSelect, TExtStringGrid::crGridColSelect},
      {"corner", [&] { return Mid(0, 0); }, TExtStringGrid::pmAllSelect, TExtStringGrid::crGridAllSelect},
      {"resize handle", [&] { return HandleCentre(); }, TExtStringGrid::pmResize, TExtStringGrid::crGridAllSelect},
  };
  for (auto& s : steps) {
    SCOPED_TRACE(s.Name);
    TPoint p = s.At();
    Hover(p.X, p.Y);
    EXPECT_EQ(grid->PressMode(), s.Mode);
    ASSERT_FALSE(Registered(s.Cursor).isNull());
    EXPECT_EQ(CursorShown(), Registered(s.Cursor));
  }
  EXPECT_TRUE(grid->ResizeHandleHot());
  // The four pictures differ from each other.
  const int all[] = {TExtStringGrid::crGridRowSelect, TExtStringGrid::crGridColSelect,
                     TExtStringGrid::crGridAllSelect, TExtStringGrid::crGridDragSelect};
  for (int i = 0; i < 4; ++i)
    for (int j = i + 1; j < 4; ++j) EXPECT_NE(Registered(all[i]), Registered(all[j])) << all[i] << " " << all[j];
  // Kept for looking: the four, four times their size, on grey.
  QImage sheet(4 * 32 * 4, 32 * 4, QImage::Format_ARGB32);
  sheet.fill(0xFF808080u);
  QPainter paint(&sheet);
  for (int i = 0; i < 4; ++i) paint.drawImage(QRect(i * 128, 0, 128, 128), Registered(all[i]));
  paint.end();
  EXPECT_TRUE(sheet.save(QString::fromStdString(TestImagePath("extgrid-select-cursors.png"))));

  // Dragging over the fixed column shows the drag-selection cursor until the release.
  TPoint a = Mid(0, 3), b = Mid(0, 6);
  Hover(a.X, a.Y);
  Press(a);
  MoveTo(b);
  MoveTo(b);
  EXPECT_EQ(CursorShown(), Registered(TExtStringGrid::crGridDragSelect));
  Release(b);

  // Back over a scrollable cell, away from the handle: no mode and the grid's own cursor.
  HoverCell(1, 8);
  EXPECT_EQ(grid->PressMode(), TExtStringGrid::pmNone);
  EXPECT_FALSE(grid->ResizeHandleHot());
  EXPECT_EQ(CursorShown(), plain);

  // A cursor set through the property ends the mode.
  HoverCell(0, 5);
  ASSERT_EQ(grid->PressMode(), TExtStringGrid::pmRowSelect);
  grid->SetCursor(crHandPoint);
  EXPECT_EQ(grid->PressMode(), TExtStringGrid::pmNone);
}

TEST_F(SelectTest, TheGridsOwnLinkCursorKeepsTheMode) {
  grid->MouseActions()->ColSelect = true;
  grid->SetURLShow(true);
  grid->SetCells(2, 0, "http://example.com");
  HoverCell(3, 3);
  TPoint p = Mid(2, 0);
  MoveTo(p);  // one move: the mode and the link's hand come together
  EXPECT_EQ(grid->Cursor(), crHandPoint) << "the link's hand";
  EXPECT_EQ(grid->PressMode(), TExtStringGrid::pmColSelect);
  Press(p);
  Release(p);
  EXPECT_EQ(grid->Selection(), (TGridRect{2, 1, 2, 9}));
}

TEST_F(SelectTest, AProgramsOwnCursorNumberWins) {
  HCURSOR mine = CreateCursor(0, 0, 0, 16, 16, std::vector<uint8_t>(32, 0).data(), std::vector<uint8_t>(32, 0).data());
  ASSERT_NE(mine, nullptr);
  Screen->SetCursors(TExtStringGrid::crGridColSelect, mine);
  grid->MouseActions()->ColSelect = true;
  HoverCell(2, 0);
  EXPECT_EQ(Screen->Cursors(TExtStringGrid::crGridColSelect), mine);
  EXPECT_EQ(CursorShown(), reinterpret_cast<QCursor*>(mine)->pixmap().toImage());
  EXPECT_EQ(CursorShown().pixel(3, 3), 0xFF000000u) << "all black: AND and XOR clear";
  Screen->SetCursors(TExtStringGrid::crGridColSelect, nullptr);
}

// ---------------------------------------------------------------- dragging over fixed cells
TEST_F(SelectTest, DraggingTheFixedColumnScrollsAtTheBottomAndNeverReachesTheFooters) {
  grid->SetRowCount(40);
  grid->SetFixedFooters(2);
  grid->MouseActions()->RowSelect = true;
  grid->SetSelectionRectangle(true);
  Flush();
  const int bottom = grid->ClientHeight();
  const int firstTop = grid->CellRect(1, 1).Top;
  int changed = 0;
  grid->OnSelectionChanged = [&](TObject*, int, int, int, int) { ++changed; };
  const TPoint start = Mid(0, 3);
  Hover(start.X, start.Y);
  Press(start);
  EXPECT_EQ(grid->Selection(), (TGridRect{1, 3, 4, 3}));
  changed = 0;

  struct Step {
    const char* Name;
    int Y;  // the mouse's height in the fixed column; -1: the middle of row 6
    int Repeat;
    int Top;        // TopRow after the moves
    int SelTop, SelBottom;
  };
  const int visible = grid->VisibleRowCount();
  const Step steps[] = {
      {"down to row 6", -1, 1, 1, 3, 6},
      {"5 px above the edge does not scroll", bottom - 5, 3, 1, 3, visible},
      {"4 px above the edge scrolls one row a move", bottom - 4, 1, 2, 3, visible + 1},
      {"at the edge again", bottom - 1, 2, 4, 3, visible + 3},
      {"below the grid, until the last row before the footers shows", bottom + 30, 60, 37 - visible + 1, 3, 37},
      {"over the fixed row scrolls up one row a move", firstTop - 3, 5, 37 - visible + 1 - 5, 3,
       37 - visible + 1 - 5},
      {"up to the first scrollable row and no further", firstTop - 3, 60, 1, 1, 3},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.Name);
    for (int i = 0; i < s.Repeat; ++i) MoveTo(TPoint(start.X, s.Y < 0 ? Mid(0, 6).Y : s.Y));
    EXPECT_EQ(grid->TopRow(), s.Top);
    TGridRect sel = grid->Selection();
    EXPECT_EQ(sel, (TGridRect{1, s.SelTop, 4, s.SelBottom}));
    EXPECT_LE(sel.Bottom, grid->RowCount() - grid->FixedFooters() - 1) << "never a footer row";
    EXPECT_GE(grid->TopRow(), grid->FixedRows());
  }
  Release(TPoint(start.X, firstTop - 3));
  EXPECT_EQ(changed, 1) << "the drag reports its range once, at the release";
  EXPECT_EQ(grid->Selection(), (TGridRect{1, 1, 4, 3}));
}

TEST_F(SelectTest, DraggingTheFixedRowSelectsColumnsAndScrollsRight) {
  grid->SetColCount(30);
  grid->SetFixedFooters(1);
  grid->MouseActions()->ColSelect = true;
  Flush();
  const TPoint start = Mid(2, 0);
  Hover(start.X, start.Y);
  Press(start);
  MoveTo(Mid(4, 0));
  EXPECT_EQ(grid->Selection(), (TGridRect{2, 1, 4, 8}));
  for (int i = 0; i < 60; ++i) MoveTo(TPoint(grid->ClientWidth() - 2, start.Y));
  EXPECT_EQ(grid->Selection(), (TGridRect{2, 1, 29, 8}));
  EXPECT_GT(grid->LeftCol(), 1);
  for (int i = 0; i < 60; ++i) MoveTo(TPoint(2, start.Y));  // over the fixed column
  EXPECT_EQ(grid->LeftCol(), 1);
  EXPECT_EQ(grid->Selection(), (TGridRect{1, 1, 2, 8}));
  Release(TPoint(2, start.Y));
}

// ---------------------------------------------------------------- disjunct selection
TEST_F(SelectTest, DisjunctRowsWithAndWithoutCtrl) {
  grid->SetOptions(grid->Options() & ~goEditing);
  grid->MouseActions()->SetDisjunctRowSelect(true);
  struct {
    const char* Name;
    int Row;
    Qt::KeyboardModifiers Mods;
    std::vector<int> Flagged;
  } steps[] = {
      {"a click flags its row", 2, Qt::NoModifier, {2}},
      {"Ctrl adds a row", 5, Qt::ControlModifier, {2, 5}},
      {"Ctrl adds another", 8, Qt::ControlModifier, {2, 5, 8}},
      {"Ctrl on a flagged row unflags it", 2, Qt::ControlModifier, {5, 8}},
      {"a click without Ctrl starts again", 7, Qt::NoModifier, {7}},
      {"Shift extends the block and flags it", 9, Qt::ShiftModifier, {7, 8, 9}},
  };
  for (auto& s : steps) {
    SCOPED_TRACE(s.Name);
    TPoint p = Mid(2, s.Row);
    Press(p, s.Mods);
    Release(p, s.Mods);
    EXPECT_EQ(FlaggedRows(), s.Flagged);
  }
}

TEST_F(SelectTest, DisjunctColumnsFollowTheSameRules) {
  grid->SetOptions(grid->Options() & ~goEditing);
  grid->MouseActions()->SetDisjunctColSelect(true);
  auto flagged = [&] {
    std::vector<int> v;
    for (int c = grid->FixedCols(); c < grid->ColCount(); ++c)
      if (grid->ColSelect(c)) v.push_back(c);
    return v;
  };
  ClickCell(2, 3);
  Press(Mid(4, 3), Qt::ControlModifier);
  Release(Mid(4, 3), Qt::ControlModifier);
  EXPECT_EQ(flagged(), (std::vector<int>{2, 4}));
  Press(Mid(2, 5), Qt::ControlModifier);
  Release(Mid(2, 5), Qt::ControlModifier);
  EXPECT_EQ(flagged(), (std::vector<int>{4}));
  ClickCell(3, 3);
  EXPECT_EQ(flagged(), (std::vector<int>{3}));
}

TEST_F(SelectTest, DisjunctCellsToggleWithCtrlAndRestartWithout) {
  grid->SetOptions(grid->Options() & ~goEditing);
  grid->MouseActions()->SetDisjunctCellSelect(true);
  auto ctrlClick = [&](int c, int r) {
    Press(Mid(c, r), Qt::ControlModifier);
    Release(Mid(c, r), Qt::ControlModifier);
  };
  ClickCell(1, 1);
  ctrlClick(2, 3);
  EXPECT_TRUE(grid->IsCellSelected(2, 3));
  EXPECT_TRUE(grid->IsCellSelected(1, 1));
  ctrlClick(2, 3);
  EXPECT_FALSE(grid->IsCellSelected(2, 3)) << "a second Ctrl-click takes the cell out";
  EXPECT_TRUE(grid->IsCellSelected(1, 1));
  EXPECT_EQ(grid->SelectedCells(), (std::vector<TPoint>{TPoint(1, 1)}));

  // Painted: the twice-clicked cell (the current one) shows in the grid's colour.
  QImage img = grid->ClientWidget()->grab().toImage();
  TRect off = grid->CellRect(2, 3), on = grid->CellRect(1, 1);
  EXPECT_EQ(img.pixel(off.Left + 3, off.Top + 3) & 0xFFFFFF, ColorToRGB(grid->Color()) & 0xFFFFFF);
  EXPECT_EQ(img.pixel(on.Left + 3, on.Top + 3) & 0xFFFFFF, 0xB6CAEAu) << "listed cells show the selection colour";

  ClickCell(4, 6);
  EXPECT_EQ(grid->SelectedCells(), (std::vector<TPoint>{TPoint(4, 6)})) << "without Ctrl the list starts again";

  // A dragged block joins the list whole, the cell of the release first.
  Press(Mid(1, 2));
  MoveTo(Mid(2, 3));
  Release(Mid(2, 3));
  std::vector<TPoint> want{TPoint(2, 3), TPoint(1, 2), TPoint(2, 2), TPoint(1, 3)};
  EXPECT_EQ(grid->SelectedCells(), want);

  // A refused cell stays out of the list.
  grid->OnSelectCell = [](TObject*, int c, int, bool& can) { can = c != 3; };
  ctrlClick(3, 5);
  EXPECT_FALSE(grid->IsCellSelected(3, 5));
}

// ---------------------------------------------------------------- the selection resizer
TEST_F(SelectTest, ResizeDragFillsTheLargerSelectionAndLeavesTheClipboardAlone) {
  grid->SetSelectionRectangle(true);
  grid->SetSelectionResizer(true);
  grid->Navigation()->AllowSmartClipboard = true;
  grid->SetOptions(grid->Options() | goRangeSelect);
  for (int r = 1; r < 10; ++r)
    for (int c = 1; c < 5; ++c) grid->SetCells(c, r, "");
  grid->SetCells(1, 1, "a");
  grid->SetCells(2, 1, "b");
  grid->SetCells(1, 2, "c");
  grid->SetCells(2, 2, "d");
  grid->SetSelection({1, 1, 2, 2});
  Flush();
  Clipboard()->SetAsText("the user's own text");
  std::vector<std::string> events;
  auto rect = [](TGridRect r) {
    return std::to_string(r.Left) + "," + std::to_string(r.Top) + "-" + std::to_string(r.Right) + "," +
           std::to_string(r.Bottom);
  };
  grid->OnSelectionResize = [&](TObject*, TGridRect o, TGridRect n) {
    events.push_back("Resize " + rect(o) + " " + rect(n) + " [" + grid->Cells(3, 1) + "]");
  };
  grid->OnSelectionResized = [&](TObject*, TGridRect o, TGridRect n) {
    events.push_back("Resized " + rect(o) + " " + rect(n) + " [" + grid->Cells(3, 1) + "]");
  };
  grid->OnSelectionChanged = [&](TObject*, int l, int t, int r, int b) {
    events.push_back("Changed " + rect({l, t, r, b}));
  };

  TPoint h = HandleCentre();
  Hover(h.X, h.Y);
  ASSERT_EQ(grid->PressMode(), TExtStringGrid::pmResize);
  Press(h);
  EXPECT_EQ(grid->Selection(), (TGridRect{1, 1, 2, 2})) << "the press keeps the selection";
  MoveTo(Mid(3, 3));
  MoveTo(Mid(4, 4));
  EXPECT_EQ(grid->Selection(), (TGridRect{1, 1, 4, 4}));
  Release(Mid(4, 4));

  const char* want[4][4] = {{"a", "b", "a", "b"}, {"c", "d", "c", "d"}, {"a", "b", "a", "b"}, {"c", "d", "c", "d"}};
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) EXPECT_EQ(grid->Cells(c + 1, r + 1), want[r][c]) << c + 1 << "," << r + 1;
  EXPECT_EQ(grid->Cells(1, 5), "");
  // The release reports the new range first, then the resize runs around the fill.
  EXPECT_EQ(events, (std::vector<std::string>{"Changed 1,1-4,4", "Resize 1,1-2,2 1,1-4,4 []",
                                              "Resized 1,1-2,2 1,1-4,4 [a]"}));
  EXPECT_EQ(Clipboard()->AsText(), "the user's own text") << "the resizer keeps its cells to itself";
  EXPECT_EQ(grid->PressMode(), TExtStringGrid::pmNone);
}

TEST_F(SelectTest, ResizeWithoutEditingFiresTheEventsButChangesNoCell) {
  grid->SetOptions((grid->Options() & ~goEditing) | goRangeSelect);
  grid->SetSelectionRectangle(true);
  grid->SetSelectionResizer(true);
  grid->Navigation()->AllowSmartClipboard = true;
  grid->SetSelection({1, 1, 1, 1});
  Flush();
  int fired = 0;
  grid->OnSelectionResized = [&](TObject*, TGridRect, TGridRect) { ++fired; };
  TPoint h = HandleCentre();
  Hover(h.X, h.Y);
  Press(h);
  MoveTo(Mid(1, 3));
  Release(Mid(1, 3));
  EXPECT_EQ(fired, 1);
  EXPECT_EQ(grid->Selection(), (TGridRect{1, 1, 1, 3}));
  EXPECT_EQ(grid->Cells(1, 2), "1:2");
  EXPECT_EQ(grid->Cells(1, 3), "1:3");
}

TEST_F(SelectTest, AResizeKeepsFormattedNumbersAndCheckBoxesAsTheyWere) {
  grid->SetSelectionRectangle(true);
  grid->SetSelectionResizer(true);
  grid->Navigation()->AllowSmartClipboard = true;
  grid->OnGetFloatFormat = [](TObject*, int c, int, bool& isFloat, std::string& f) {
    isFloat = c == 1;
    f = "%.1f";
  };
  grid->SetCells(1, 1, "1.234");
  grid->SetCells(2, 1, "");
  grid->AddCheckBox(2, 1, true, false);
  grid->SetSelection({1, 1, 2, 1});
  Flush();
  auto drag = [&](TPoint to) {
    TPoint h = HandleCentre();
    Hover(h.X, h.Y);
    ASSERT_EQ(grid->PressMode(), TExtStringGrid::pmResize);
    Press(h);
    MoveTo(to);
    Release(to);
  };
  drag(HandleCentre());  // released where it was pressed
  EXPECT_EQ(grid->Cells(1, 1), "1.234") << "the stored digits, not the shown ones";
  EXPECT_TRUE(grid->GetCheckBoxState(2, 1));
  drag(Mid(2, 2));
  EXPECT_EQ(grid->Selection(), (TGridRect{1, 1, 2, 2}));
  EXPECT_EQ(grid->Cells(1, 1), "1.234");
  EXPECT_EQ(grid->Cells(1, 2), "1.234");
  EXPECT_TRUE(grid->GetCheckBoxState(2, 1));
  EXPECT_EQ(grid->Cells(2, 2), "Y") << "a cell without a box takes the check text";
}

TEST_F(SelectTest, AResizePressEndsAnOpenEditFirst) {
  grid->SetSelectionRectangle(true);
  grid->SetSelectionResizer(true);
  grid->Navigation()->AllowSmartClipboard = true;
  grid->FocusCell(2, 2, true);
  Type("q");
  ASSERT_TRUE(EditorShown());
  TPoint h = HandleCentre();
  Hover(h.X, h.Y);
  ASSERT_EQ(grid->PressMode(), TExtStringGrid::pmResize);
  Press(h);
  EXPECT_FALSE(EditorShown());
  MoveTo(Mid(2, 4));
  Release(Mid(2, 4));
  for (int r = 2; r <= 4; ++r) EXPECT_EQ(grid->Cells(2, r), "q") << r;
}

TEST_F(SelectTest, WithoutTheFrameThereIsNoHandle) {
  grid->SetSelectionResizer(true);  // SelectionRectangle off
  grid->SetSelection({1, 1, 2, 2});
  Flush();
  TPoint h = HandleCentre();
  Hover(h.X, h.Y);
  EXPECT_FALSE(grid->ResizeHandleHot());
  EXPECT_EQ(grid->PressMode(), TExtStringGrid::pmNone);
}

// ---------------------------------------------------------------- the paste rule
struct FillCase {
  const char* Name;
  std::vector<std::string> Source;  // the first cells of row 1
  int Cols;
  std::vector<std::string> Want;     // row 1, columns 1..4
};

const FillCase kFills[] = {
    {"one value everywhere", {"x"}, 1, {"x", "x", "x", "x"}},
    {"integers continue", {"3", "5"}, 2, {"3", "5", "7", "9"}},
    {"numbers continue in FloatFormat", {"1.5", "2"}, 2, {"1.5", "2", "2.50", "3.00"}},
    {"dates continue by the same step", {"1/30/2026", "2/28/2026"}, 2, {"1/30/2026", "2/28/2026", "3/26/2026", "4/24/2026"}},
    {"other texts repeat", {"p", "q"}, 2, {"p", "q", "p", "q"}},
};

TEST_F(SelectTest, PastingIntoALargerSelectionFillsItSmartly) {
  TFormatSettings saved = FormatSettings;
  FormatSettings.ShortDateFormat = "m/d/yyyy";
  FormatSettings.DateSeparator = '/';
  FormatSettings.DecimalSeparator = '.';
  grid->Navigation()->AllowSmartClipboard = true;
  for (const FillCase& k : kFills) {
    SCOPED_TRACE(k.Name);
    TExtStringGrid::TCellBlock b;
    b.Cols = k.Cols;
    b.Rows = 1;
    b.Values = k.Source;
    grid->SetSelection({1, 1, 4, 1});
    grid->PasteCellsIntoSelection(b);
    for (int c = 0; c < 4; ++c) EXPECT_EQ(grid->Cells(c + 1, 1), k.Want[static_cast<size_t>(c)]) << c + 1;
  }
  FormatSettings = saved;
}

TEST_F(SelectTest, PasteSkipsLockedCellsAndGrowsOnlyWhenAllowed) {
  TExtStringGrid::TCellBlock b{1, 3, {"r1", "r2", "r3"}, {}};
  EXPECT_EQ(grid->PasteCellsAt(2, 9, b), 3);
  EXPECT_EQ(grid->RowCount(), 12) << "two rows added for the lines past the last";
  EXPECT_EQ(grid->Cells(2, 11), "r3");

  grid->SetRowCount(10);
  grid->Navigation()->AllowClipboardRowGrow = false;
  grid->SetCells(2, 9, "");
  grid->PasteCellsAt(2, 9, b);
  EXPECT_EQ(grid->RowCount(), 10);
  EXPECT_EQ(grid->Cells(2, 9), "r1") << "only the first line lands";

  grid->OnCanEditCell = [](TObject*, int r, int, bool& can) { can = r != 4; };
  std::vector<std::string> offered;
  grid->OnClipboardBeforePasteCell = [&](TObject*, int c, int r, std::string& v, bool& allow) {
    offered.push_back(std::to_string(c) + "," + std::to_string(r) + "=" + v);
    allow = v != "r3";
  };
  grid->PasteCellsAt(1, 3, b);
  EXPECT_EQ(grid->Cells(1, 3), "r1");
  EXPECT_EQ(grid->Cells(1, 4), "1:4") << "a cell that cannot be edited keeps its text";
  EXPECT_EQ(grid->Cells(1, 5), "1:5") << "the handler refused it";
  EXPECT_EQ(offered, (std::vector<std::string>{"1,3=r1", "1,5=r3"}));

  grid->SetOptions(grid->Options() & ~goEditing);
  EXPECT_EQ(grid->PasteCellsAt(1, 3, TExtStringGrid::TCellBlock{1, 1, {"z"}, {}}), 0) << "no editing: nothing pasted";
  EXPECT_EQ(grid->Cells(1, 3), "r1");
}

// ---------------------------------------------------------------- pictures
TEST_F(SelectTest, PicturesOfARowRangeAndOfTheResizeHandle) {
  grid->SetRowCount(14);
  grid->MouseActions()->RowSelect = true;
  grid->SetSelectionRectangle(true);
  grid->SetSelectionResizer(true);
  Flush();
  TPoint a = Mid(0, 2), b = Mid(0, 5);
  Hover(a.X, a.Y);
  Press(a);
  MoveTo(b);
  Release(b);
  Flush();
  ASSERT_TRUE(SaveControlImage(form, TestImagePath("extgrid-select-1-rows-by-fixed-column.png")));
  QImage rows = grid->ClientWidget()->grab().toImage();
  auto at = [&](const QImage& img, int c, int r, int dx, int dy) {
    TRect rc = grid->CellRect(c, r);
    return img.pixel(rc.Left + dx, rc.Top + dy) & 0xFFFFFF;
  };
  EXPECT_EQ(at(rows, 3, 4, 6, 6), 0xB6CAEAu) << "inside the range";
  EXPECT_NE(at(rows, 3, 6, 6, 6), 0xB6CAEAu) << "below the range";
  EXPECT_EQ(at(rows, 1, 2, 0, 0), 0x000000u) << "the frame's corner";

  grid->SetSelection({2, 3, 3, 4});
  Flush();
  ASSERT_TRUE(SaveControlImage(form, TestImagePath("extgrid-select-2-resize-handle.png")));
  QImage handle = grid->ClientWidget()->grab().toImage();
  TRect cr = grid->CellRect(3, 4);
  EXPECT_EQ(at(handle, 3, 4, cr.Width() - 2, cr.Height() - 2), 0x000000u) << "the handle";
  EXPECT_NE(at(handle, 3, 4, cr.Width() / 2, cr.Height() / 2), 0x000000u);

  // Dragged down the fixed column past the bottom: the view stops before the footer rows.
  grid->SetRowCount(40);
  grid->SetFixedFooters(2);
  grid->SetCells(0, 38, "sum");
  grid->SetCells(0, 39, "avg");
  Flush();
  TPoint c = Mid(0, 8);
  Hover(c.X, c.Y);
  Press(c);
  for (int i = 0; i < 60; ++i) MoveTo(TPoint(c.X, grid->ClientHeight() + 20));
  Release(TPoint(c.X, grid->ClientHeight() + 20));
  Flush();
  ASSERT_TRUE(SaveControlImage(form, TestImagePath("extgrid-select-3-dragged-to-the-footers.png")));
  EXPECT_EQ(grid->Selection(), (TGridRect{1, 8, 4, 37}));
  EXPECT_EQ(grid->TopRow() + grid->VisibleRowCount() - 1, 37) << "the last selectable row is the last in view";
}

}  // namespace
