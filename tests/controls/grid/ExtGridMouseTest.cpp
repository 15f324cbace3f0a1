// The grid's click sequences, selection, sizing, moving, fixed-cell editing,
// anchors and the wheel, driven with mouse events through the real widget.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/gui/Windows.h"
#include "tests/controls/grid/GridInputFixture.h"

namespace {

// One click sequence: what is set up, what the mouse does, where the current cell ends, what fired.
struct ClickStep {
  const char* Name;
  std::function<void(TExtStringGrid*)> Setup;
  std::function<void(GridInputTest&)> Act;
  TPoint Expect;
  const char* Events;
  std::function<void(GridInputTest&, TExtStringGrid*)> Check;
  const char* SelectCells = nullptr;  // OnSelectCell's columns and rows, when checked
};

void ClickAt(GridInputTest& t, int c, int r, Qt::MouseButton b = Qt::LeftButton) { t.ClickCell(c, r, b); }

// (2, 2)-(3, 3) merged, with the options given switched on and editing off.
std::function<void(TExtStringGrid*)> MergedArea(int Options = 0) {
  return [Options](TExtStringGrid* g) {
    g->SetOptions((g->Options() | Options) & ~goEditing);
    g->MergeCells(2, 2, 2, 2);
  };
}

std::function<void(GridInputTest&, TExtStringGrid*)> Selects(TGridRect Expect) {
  return [Expect](GridInputTest&, TExtStringGrid* g) { EXPECT_EQ(g->Selection(), Expect); };
}

// (2, 2)-(3, 3) merged and editable, its far corner current.
void AreaWithCornerCurrent(TExtStringGrid* g) {
  g->MergeCells(2, 2, 2, 2);
  g->FocusCell(3, 3, true);
}

// The area (2, 2)-(3, 3) is the selection and its editor is shown.
void EditsTheArea(GridInputTest& t, TExtStringGrid* g) {
  EXPECT_EQ(g->Selection(), (TGridRect{2, 2, 3, 3}));
  EXPECT_TRUE(t.EditorShown());
}

// Column 0 scrolls (no fixed column) and a row is hidden; RowSelect as given.
std::function<void(TExtStringGrid*)> Column0AndHiddenRow(bool RowSelect) {
  return [RowSelect](TExtStringGrid* g) {
    g->SetFixedCols(0);
    g->MouseActions()->RowSelect = RowSelect;
    g->HideRows(6, 6);
  };
}

// Right clicks select; rows 3 to 5 are the selection, rows 3, 4 and 7 are flagged.
void FlaggedRowsSelected(TExtStringGrid* g) {
  g->SetOptions(g->Options() | goRangeSelect);
  g->MouseActions()->SelectOnRightClick = true;
  g->MouseActions()->SetDisjunctRowSelect(true);
  g->FocusCell(2, 3, true);
  g->SetSelection({1, 3, 4, 5});
  for (int r : {3, 4, 7}) g->SetRowSelect(r, true);
}

const ClickStep kClicks[] = {
    {"ClickMovesTheCurrentCell", nullptr, [](GridInputTest& t) { ClickAt(t, 3, 4); }, {3, 4},
     "Sel ClickCell(4,3) Click ", nullptr},
    {"RefusedClickSelectsNothing",
     [](TExtStringGrid* g) { g->OnCanClickCell = [](TObject*, int, int, bool& a) { a = false; }; },
     [](GridInputTest& t) { ClickAt(t, 3, 4); }, {1, 1}, "", nullptr},
    {"ClickOnAFixedByRuleCellOnlyTellsTheHandler", [](TExtStringGrid* g) { g->SetFixedFooters(1); },
     [](GridInputTest& t) { ClickAt(t, 2, 9); }, {1, 1}, "ClickCell(9,2) ", nullptr},
    {"RightClickTellsTheHandlerOnly", nullptr, [](GridInputTest& t) { ClickAt(t, 2, 5, Qt::RightButton); }, {1, 1},
     "RightClickCell(5,2) ", nullptr},
    {"RightClickSelectsWithSelectOnRightClick",
     [](TExtStringGrid* g) { g->MouseActions()->SelectOnRightClick = true; },
     [](GridInputTest& t) { ClickAt(t, 2, 5, Qt::RightButton); }, {2, 5}, "Click RightClickCell(5,2) Sel ", nullptr},
    // Disjunct rows on a right click: Ctrl flips the row's flag, selected or not; a plain right
    // click inside a selection of several flagged rows keeps them, elsewhere it flags its row alone.
    {"CtrlRightClickFlipsTheFlagOfTheSelectedRow",
     [](TExtStringGrid* g) {
       g->MouseActions()->SelectOnRightClick = true;
       g->MouseActions()->SetDisjunctRowSelect(true);
       g->FocusCell(2, 3, true);
       g->SetRowSelect(3, true);
     },
     [](GridInputTest& t) {
       TPoint p = t.Mid(2, 3);
       t.Click(p.X, p.Y, Qt::RightButton, Qt::ControlModifier);
     },
     {2, 3}, "RightClickCell(3,2) ",
     [](GridInputTest&, TExtStringGrid* g) { EXPECT_FALSE(g->RowSelect(3)); }},
    {"RightClickInASelectionOfSeveralFlaggedRowsKeepsThem",
     FlaggedRowsSelected,
     [](GridInputTest& t) { ClickAt(t, 2, 4, Qt::RightButton); }, {4, 5}, "RightClickCell(4,2) ",
     [](GridInputTest&, TExtStringGrid* g) {
       for (int r : {3, 4, 7}) EXPECT_TRUE(g->RowSelect(r)) << r;
     }},
    {"RightClickOutsideTheSelectionFlagsItsRowAlone",
     FlaggedRowsSelected,
     [](GridInputTest& t) { ClickAt(t, 2, 8, Qt::RightButton); }, {2, 8}, "Click RightClickCell(8,2) Sel ",
     [](GridInputTest&, TExtStringGrid* g) {
       for (int r = 1; r < 10; ++r) EXPECT_EQ(g->RowSelect(r), r == 8) << r;
     }},
    {"DoubleClickFiresBothEvents", nullptr,
     [](GridInputTest& t) {
       TPoint p = t.Mid(2, 3);
       t.DoubleClick(p.X, p.Y);
     },
     {2, 3}, "Sel ClickCell(3,2) Click DblClick DblClickCell(3,2) ", nullptr},
    {"ShiftClickExtendsTheSelection", nullptr,
     [](GridInputTest& t) {
       TPoint p = t.Mid(3, 4);
       t.Click(p.X, p.Y, Qt::LeftButton, Qt::ShiftModifier);
     },
     {3, 4}, "Sel ClickCell(4,3) Click ",
     [](GridInputTest&, TExtStringGrid* g) { EXPECT_EQ(g->Selection(), (TGridRect{1, 1, 3, 4})); }},
    {"DragSelectsARange", nullptr,
     [](GridInputTest& t) {
       auto& a = t;
       TPoint p = t.Mid(1, 2), q = t.Mid(3, 5);
       a.Mouse(QEvent::MouseButtonPress, p.X, p.Y);
       a.Mouse(QEvent::MouseMove, q.X, q.Y);
       a.Mouse(QEvent::MouseButtonRelease, q.X, q.Y);
     },
     {3, 5}, "Sel ClickCell(2,1) Click Sel ",
     [](GridInputTest&, TExtStringGrid* g) { EXPECT_EQ(g->Selection(), (TGridRect{1, 2, 3, 5})); }},
    {"LeftClickEditsAFixedRowWithFceLeftClick",
     [](TExtStringGrid* g) { g->MouseActions()->FixedRowsEdit = fceLeftClick; },
     [](GridInputTest& t) { ClickAt(t, 2, 0); }, {1, 1}, "ClickCell(0,2) ",
     [](GridInputTest&, TExtStringGrid* g) {
       ASSERT_TRUE(g->FixedCellEditor());
       EXPECT_TRUE(g->FixedCellEditor()->Visible());
       EXPECT_EQ(g->FixedCellEditor()->Text(), "2:0");
     }},
    // With column sizing only the cell shrunk by 4 pixels edits: its first such pixel does.
    {"SizingLeavesTheFourPixelBordersOfAFixedRowEditedFromInside",
     [](TExtStringGrid* g) {
       g->MouseActions()->FixedRowsEdit = fceLeftClick;
       g->SetOptions(g->Options() | goColSizing);
     },
     [](GridInputTest& t) {
       TRect h = t.grid->CellRect(2, 0);
       t.Click(h.Left + 4, h.Top + 4);
     },
     {1, 1}, "ClickCell(0,2) ",
     [](GridInputTest&, TExtStringGrid* g) {
       ASSERT_TRUE(g->FixedCellEditor());
       EXPECT_TRUE(g->FixedCellEditor()->Visible());
     }},
    {"RightClickEditsAFixedRowWithFceLeftClick",
     [](TExtStringGrid* g) { g->MouseActions()->FixedRowsEdit = fceLeftClick; },
     [](GridInputTest& t) { ClickAt(t, 2, 0, Qt::RightButton); }, {1, 1}, "RightClickCell(0,2) ",
     [](GridInputTest&, TExtStringGrid* g) {
       ASSERT_TRUE(g->FixedCellEditor());
       EXPECT_TRUE(g->FixedCellEditor()->Visible());
     }},
    {"NoClickEditsWithFceRightClick",
     [](TExtStringGrid* g) { g->MouseActions()->FixedRowsEdit = fceRightClick; },
     [](GridInputTest& t) {
       ClickAt(t, 2, 0);
       ClickAt(t, 2, 0, Qt::RightButton);
     },
     {1, 1}, "ClickCell(0,2) RightClickCell(0,2) ",
     [](GridInputTest&, TExtStringGrid* g) {
       EXPECT_TRUE(!g->FixedCellEditor() || !g->FixedCellEditor()->Visible());
     }},
    {"ClickOnACellAnchorMovesThere",
     [](TExtStringGrid* g) {
       g->SetURLShow(true);
       g->SetCells(2, 2, "cell://R7C3");
     },
     [](GridInputTest& t) { ClickAt(t, 2, 2); }, {3, 7}, "Anchor(cell://R7C3) Click Sel ", nullptr},
    // Column 0 holds the node signs: while rows are hidden a press there selects nothing,
    // unless rows are selected there.
    {"Column0TakesNoPressWhileRowsAreHidden", Column0AndHiddenRow(false),
     [](GridInputTest& t) { ClickAt(t, 0, 3); }, {1, 1}, "", nullptr},
    {"Column0RadioThatCannotBeEditedTakesNoPressWhileRowsAreHidden",
     [](TExtStringGrid* g) {
       Column0AndHiddenRow(false)(g);
       g->AddRadio(0, 3, true, 0, {"x", "y"});
       g->OnCanEditCell = [](TObject*, int, int c, bool& can) { can = can && c != 0; };
     },
     [](GridInputTest& t) { ClickAt(t, 0, 3); }, {1, 1}, "",
     [](GridInputTest&, TExtStringGrid* g) { EXPECT_EQ(g->GetRadioIndex(0, 3), 0); }},
    {"Column0SelectsWithRowsShown", [](TExtStringGrid* g) { g->SetFixedCols(0); },
     [](GridInputTest& t) { ClickAt(t, 0, 3); }, {0, 3}, "Sel ClickCell(3,0) Click ", nullptr},
    {"Column0SelectsWithRowSelect", Column0AndHiddenRow(true), [](GridInputTest& t) { ClickAt(t, 0, 3); }, {0, 3},
     "Sel ClickCell(3,0) Click ", nullptr},
    // A double click near a border of the sort row (inside the cell, so the first click's release
    // sorts once) sizes the column; its own release sorts nothing more.
    {"DoubleClickSizingOnTheSortRowSortsOnce",
     [](TExtStringGrid* g) {
       g->SetFixedRows(2);
       g->SetOptions(g->Options() | goColSizing);
       g->MouseActions()->AutoSizeColOnDblClick = true;
       g->SortSettings()->SetRow(1);
       g->SortSettings()->SetShow(true);
       for (int r = 2; r < 10; ++r) g->SetCells(2, r, std::to_string(19 - r));
     },
     [](GridInputTest& t) {
       TRect h = t.grid->CellRect(2, 1);
       t.DoubleClick(h.Right - 4, (h.Top + h.Bottom) / 2);
     },
     {1, 2}, "ClickCell(1,2) ",
     [](GridInputTest&, TExtStringGrid* g) {
       for (int r = 2; r < 10; ++r) EXPECT_EQ(g->Cells(2, r), std::to_string(r + 8)) << "row " << r;
     }},
    // The release of a double click that narrows the last column lies right of every column.
    {"HeaderClickSortsAfterADoubleClickNarrowedTheLastColumn",
     [](TExtStringGrid* g) {
       g->SetOptions(g->Options() | goColSizing);
       g->MouseActions()->AutoSizeColOnDblClick = true;
       g->SortSettings()->SetShow(true);
       g->SetColWidths(4, 200);
       for (int r = 1; r < 10; ++r) g->SetCells(2, r, std::to_string(19 - r));
     },
     [](GridInputTest& t) {
       TRect h = t.grid->CellRect(4, 0);
       t.DoubleClick(h.Right - 2, (h.Top + h.Bottom) / 2);
       ASSERT_LT(t.grid->ColWidths(4), 100);
       ClickAt(t, 2, 0);
     },
     {1, 1}, "ClickCell(0,2) ",
     [](GridInputTest&, TExtStringGrid* g) {
       for (int r = 1; r < 10; ++r) EXPECT_EQ(g->Cells(2, r), std::to_string(r + 9)) << "row " << r;
     }},
    // Right of the last column, at any height, a double click near its border sizes it.
    {"DoubleClickRightOfTheLastColumnSizesIt",
     [](TExtStringGrid* g) {
       g->SetOptions(g->Options() | goColSizing);
       g->MouseActions()->AutoSizeColOnDblClick = true;
       g->SetCells(4, 2, "a text far wider than the column");
     },
     [](GridInputTest& t) {
       TRect r = t.grid->CellRect(4, 3);
       t.DoubleClick(r.Right + 2, (r.Top + r.Bottom) / 2);
     },
     {1, 1}, "",
     [](GridInputTest&, TExtStringGrid* g) { EXPECT_GT(g->ColWidths(4), 100); }},
    // A click anywhere in a merged area tells OnSelectCell the area (after the move to the cell
    // clicked) and selects the area whole; the cell clicked stays current.
    {"ClickOnAMergedAreasBaseSelectsTheArea", MergedArea(), [](GridInputTest& t) { ClickAt(t, 2, 2); }, {2, 2},
     "Sel ClickCell(2,2) Click Sel ", Selects({2, 2, 3, 3}), "2,2 2,2 "},
    {"ClickOnACoveredCellSelectsTheArea", MergedArea(), [](GridInputTest& t) { ClickAt(t, 3, 3); }, {3, 3},
     "Sel ClickCell(2,2) Click Sel ", Selects({2, 2, 3, 3}), "3,3 2,2 "},
    {"ClickOnACoveredCellSelectsTheAreaWithRangeSelect", MergedArea(goRangeSelect),
     [](GridInputTest& t) { ClickAt(t, 2, 3); }, {2, 3}, "Sel ClickCell(2,2) Click Sel ", Selects({2, 2, 3, 3}),
     "2,3 2,2 "},
    // Inside a wider area the current cell keeps to the area's nearest side.
    {"ClickInsideAWideAreaSelectsTheArea",
     [](TExtStringGrid* g) {
       g->SetOptions(g->Options() & ~goEditing);
       g->MergeCells(1, 2, 4, 1);
     },
     [](GridInputTest& t) { ClickAt(t, 2, 2); }, {1, 2}, "Sel ClickCell(2,1) Click Sel ", Selects({1, 2, 4, 2}),
     "2,2 1,2 "},
    {"ClickInAMergedAreaSelectsOnlyTheRowWithRowSelect", MergedArea(goRowSelect),
     [](GridInputTest& t) { ClickAt(t, 3, 3); }, {3, 3}, "Sel ClickCell(2,2) Click ", Selects({1, 3, 4, 3}),
     "3,3 2,2 "},
    {"ClickOnTheCurrentCellOfAnEditableAreaShowsTheEditor",
     [](TExtStringGrid* g) {
       g->MergeCells(2, 2, 2, 2);
       g->FocusCell(3, 2, true);
     },
     [](GridInputTest& t) { ClickAt(t, 3, 2); }, {3, 2}, "ClickCell(2,2) Sel ",
     EditsTheArea,
     "2,2 "},
    // The current cell of a merged area is the whole area: a click on another of its cells edits.
    {"ClickOnTheAreasBaseWhileItsCornerIsCurrentShowsTheEditor", AreaWithCornerCurrent,
     [](GridInputTest& t) { ClickAt(t, 2, 2); }, {2, 2}, "Sel ClickCell(2,2) Click Sel ", EditsTheArea, nullptr},
    {"ClickOnACoveredCellWhileAnotherIsCurrentShowsTheEditor", AreaWithCornerCurrent,
     [](GridInputTest& t) { ClickAt(t, 2, 3); }, {2, 3}, "Sel ClickCell(2,2) Click Sel ", EditsTheArea, nullptr},
    // The first click selects the wide area; the second, on the same spot, is inside the current cell.
    {"SecondClickInsideAWideAreaShowsTheEditor", [](TExtStringGrid* g) { g->MergeCells(1, 2, 4, 1); },
     [](GridInputTest& t) {
       ClickAt(t, 2, 2);
       EXPECT_FALSE(t.EditorShown());
       ClickAt(t, 2, 2);
     },
     {1, 2}, "Sel ClickCell(2,1) Click Sel Sel ClickCell(2,1) Click Sel ",
     [](GridInputTest& t, TExtStringGrid*) { EXPECT_TRUE(t.EditorShown()); }, nullptr},
    {"DirectEditOpensTheEditorOnACoveredCell",
     [](TExtStringGrid* g) {
       g->MergeCells(2, 2, 2, 2);
       g->MouseActions()->DirectEdit = true;
     },
     [](GridInputTest& t) { ClickAt(t, 3, 3); }, {3, 3}, "Sel ClickCell(2,2) Click Sel ", EditsTheArea, nullptr},
};

class ClickTable : public GridInputTest, public ::testing::WithParamInterface<ClickStep> {};

TEST_P(ClickTable, Sequence) {
  const ClickStep& s = GetParam();
  if (s.Setup) s.Setup(grid);
  Load();
  std::string log;
  grid->OnClickCell = [&](TObject*, int r, int c) { log += "ClickCell(" + std::to_string(r) + "," + std::to_string(c) + ") "; };
  grid->OnDblClickCell = [&](TObject*, int r, int c) {
    log += "DblClickCell(" + std::to_string(r) + "," + std::to_string(c) + ") ";
  };
  grid->OnRightClickCell = [&](TObject*, int r, int c) {
    log += "RightClickCell(" + std::to_string(r) + "," + std::to_string(c) + ") ";
  };
  grid->OnClick = [&](TObject*) { log += "Click "; };
  grid->OnDblClick = [&](TObject*) { log += "DblClick "; };
  grid->OnSelectionChanged = [&](TObject*, int, int, int, int) { log += "Sel "; };
  grid->OnAnchorClick = [&](TObject*, int, int, const std::string& a, bool&) { log += "Anchor(" + a + ") "; };
  std::string selects;
  grid->OnSelectCell = [&](TObject*, int c, int r, bool&) { selects += std::to_string(c) + "," + std::to_string(r) + " "; };
  s.Act(*this);
  EXPECT_EQ(Current(), s.Expect);
  EXPECT_EQ(log, s.Events);
  if (s.Check) s.Check(*this, grid);
  if (s.SelectCells) {
    EXPECT_EQ(selects, s.SelectCells);
  }
}

INSTANTIATE_TEST_SUITE_P(Grid, ClickTable, ::testing::ValuesIn(kClicks),
                         [](const ::testing::TestParamInfo<ClickStep>& i) { return std::string(i.param.Name); });

// ---------------------------------------------------------------- anchors never run programs
TEST_F(GridInputTest, OnlyAddressesOpenThroughTheDesktopOpener) {
  grid->SetURLShow(true);
  Load();
  std::vector<std::string> opened;
  SetShellOpenHandler([&](const std::string&, const std::string& f) {
    opened.push_back(f);
    return true;
  });
  grid->SetCells(2, 2, "http://example.com/a");
  grid->SetCells(2, 3, "C:\\Windows\\calc.exe");
  grid->SetCells(2, 4, "mailto:me@example.com");
  ClickCell(2, 2);
  ClickCell(2, 3);
  ClickCell(2, 4);
  SetShellOpenHandler(nullptr);
  ASSERT_EQ(opened.size(), 2u);
  EXPECT_EQ(opened[0], "http://example.com/a");
  EXPECT_EQ(opened[1], "mailto:me@example.com");
  EXPECT_EQ(Current(), TPoint(2, 3)) << "a program path is plain text: the click selects the cell";
}

// ---------------------------------------------------------------- sizing and moving
// A click remembers the current cell's text as it stands after OnClick: a handler that changed it
// sets the text an edit starts from.
TEST_F(GridInputTest, AClickTakesTheTextBeforeEditingAfterOnClick) {
  Load();
  grid->OnClick = [&](TObject*) { grid->SetCells(grid->Col(), grid->Row(), "clicked"); };
  ClickCell(2, 3);
  EXPECT_EQ(grid->EditStartText(), "clicked");
}

// With RangeSelectAndEdit, a range dragged out is selected with editing off; it is on again after.
TEST_F(GridInputTest, DraggingARangeSelectsWithEditingOff) {
  grid->SetOptions(grid->Options() | goRangeSelect | goEditing);
  grid->MouseActions()->RangeSelectAndEdit = true;
  Load();
  std::string seen;
  grid->OnSelectCell = [&](TObject*, int c, int r, bool&) {
    seen += std::to_string(c) + "," + std::to_string(r) + ((grid->Options() & goEditing) ? "e " : " ");
  };
  TPoint p = Mid(1, 2), q = Mid(3, 3);
  Mouse(QEvent::MouseButtonPress, p.X, p.Y);
  seen += "| ";
  Mouse(QEvent::MouseMove, q.X, q.Y);
  Mouse(QEvent::MouseButtonRelease, q.X, q.Y);
  EXPECT_EQ(seen.substr(seen.find('|')), "| 3,3 ");
  EXPECT_TRUE(grid->Options() & goEditing);
  EXPECT_EQ(grid->Selection(), (TGridRect{1, 2, 3, 3}));
  EXPECT_FALSE(EditorShown());
}

// With RangeSelectAndEdit, a double click switches editing on and presses the current cell once
// more near its corner: a handler hears that press; the editor opens on the cell the click left
// current.
TEST_F(GridInputTest, ADoubleClickWithRangeSelectAndEditPressesTheCellAgain) {
  const struct {
    const char* name;
    TGridRect merged;  // column, row, columns, rows; none when empty
    TPoint clicked, pressed;
  } cases[] = {{"a plain cell", {}, {3, 3}, {3, 3}},
               {"a cell of a merged area", {2, 2, 2, 2}, {3, 3}, {3, 3}},
               {"an inner cell of a wide area, current on the area's nearest side", {1, 3, 4, 1}, {2, 3}, {1, 3}}};
  grid->MouseActions()->RangeSelectAndEdit = true;
  Load();
  for (const auto& k : cases) {
    SCOPED_TRACE(k.name);
    grid->SetOptions((grid->Options() | goRangeSelect) & ~goEditing);
    grid->FocusCell(1, 1, true);
    const bool merged = k.merged.Right > 0;
    if (merged) grid->MergeCells(k.merged.Left, k.merged.Top, k.merged.Right, k.merged.Bottom);
    std::vector<TPoint> downs;
    grid->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int X, int Y) { downs.emplace_back(X, Y); };
    const TRect cell = grid->CellRect(k.pressed.X, k.pressed.Y);
    const TPoint p = Mid(k.clicked.X, k.clicked.Y);
    DoubleClick(p.X, p.Y);
    EXPECT_EQ(downs, (std::vector<TPoint>{p, p, TPoint(cell.Left + 4, cell.Top + 4)}));
    EXPECT_TRUE(grid->Options() & goEditing);
    EXPECT_TRUE(EditorShown());
    EXPECT_EQ(Current(), k.pressed);
    Key(Qt::Key_Escape);
    grid->OnMouseDown = nullptr;
    if (merged) grid->SplitCells(k.merged.Left, k.merged.Top);
  }
}

TEST_F(GridInputTest, ColumnSizingAppliesAtReleaseAndAsksTheHandlers) {
  grid->SetOptions(grid->Options() | goColSizing);
  Load();
  std::string log;
  grid->OnEndColumnSize = [&](TObject*, int c) { log += "End(" + std::to_string(c) + ") "; };
  grid->OnUpdateColumnSize = [&](TObject*, int c, int& w) {
    log += "Update(" + std::to_string(c) + "," + std::to_string(w) + ") ";
    w = 100;
  };
  int w0 = grid->ColWidths(2);
  TRect h = grid->CellRect(2, 0);
  int y = (h.Top + h.Bottom) / 2;
  Mouse(QEvent::MouseButtonPress, h.Right, y);
  Mouse(QEvent::MouseMove, h.Right + 30, y);
  EXPECT_EQ(grid->ColWidths(2), w0) << "nothing changes before the release";
  Mouse(QEvent::MouseButtonRelease, h.Right + 30, y);
  EXPECT_EQ(log, "End(2) Update(2," + std::to_string(w0 + 30) + ") ");
  EXPECT_EQ(grid->ColWidths(2), 100);
  // The handler of OnColumnSize may refuse a sizing before it starts.
  grid->OnColumnSize = [](TObject*, int, bool& allow) { allow = false; };
  h = grid->CellRect(2, 0);
  Mouse(QEvent::MouseButtonPress, h.Right, y);
  Mouse(QEvent::MouseMove, h.Right + 30, y);
  Mouse(QEvent::MouseButtonRelease, h.Right + 30, y);
  EXPECT_EQ(grid->ColWidths(2), 100);
}

TEST_F(GridInputTest, ColumnSizingReleasedBeyondTheGridChangesNothing) {
  grid->SetColCount(3);
  grid->SetOptions(grid->Options() | goColSizing);
  Load();
  int w0 = grid->ColWidths(2);
  TRect h = grid->CellRect(2, 0);
  int y = (h.Top + h.Bottom) / 2;
  Mouse(QEvent::MouseButtonPress, h.Right, y);
  Mouse(QEvent::MouseMove, grid->GridWidth() + 40, y);
  Mouse(QEvent::MouseButtonRelease, grid->GridWidth() + 40, y);
  EXPECT_EQ(grid->ColWidths(2), w0);
  EXPECT_EQ(grid->GridState(), gsNormal);
}

TEST_F(GridInputTest, ARowMoveCarriesItsTexts) {
  grid->SetOptions(grid->Options() | goRowMoving);
  Load();
  TPoint from = Mid(0, 2), to = Mid(0, 5);
  Mouse(QEvent::MouseButtonPress, from.X, from.Y);
  Mouse(QEvent::MouseMove, to.X, to.Y);
  Mouse(QEvent::MouseButtonRelease, to.X, to.Y);
  EXPECT_EQ(grid->Cells(1, 5), "1:2");
  EXPECT_EQ(grid->Cells(1, 2), "1:3");
}

// ---------------------------------------------------------------- wheel and zoom
TEST_F(GridInputTest, WheelMovesTheSelectionByTheIncrement) {
  grid->SetRowCount(40);
  grid->MouseActions()->WheelIncrement = 2;
  Load();
  grid->FocusCell(1, 5, true);
  Wheel(-120);
  EXPECT_EQ(grid->Row(), 7);
  Wheel(120);
  Wheel(120);
  EXPECT_EQ(grid->Row(), 3);
  Wheel(120);
  Wheel(120);
  EXPECT_EQ(grid->Row(), 1) << "never above the first scrolling row";
  grid->SetFixedFooters(2);
  grid->FocusCell(1, 36, true);
  Wheel(-120);
  Wheel(-120);
  EXPECT_EQ(grid->Row(), 37) << "never into the footer rows";
}

TEST_F(GridInputTest, WheelScrollStopsAtTheLastFullPage) {
  grid->SetRowCount(40);
  grid->MouseActions()->WheelAction = waScroll;
  Load();
  grid->FocusCell(1, 1, true);
  for (int i = 0; i < 30; ++i) Wheel(-120);
  EXPECT_EQ(grid->TopRow(), 40 - grid->VisibleRowCount());
  EXPECT_EQ(grid->Row(), 1) << "scrolling leaves the current row";
  for (int i = 0; i < 30; ++i) Wheel(120);
  EXPECT_EQ(grid->TopRow(), 1);
}

TEST_F(GridInputTest, AWheelStepInsideAnOuterUpdateKeepsItOpen) {
  grid->SetRowCount(40);
  Load();
  grid->BeginUpdate();
  Wheel(-120);
  EXPECT_EQ(grid->UpdateCount(), 1);
  EXPECT_EQ(grid->Row(), 4);
  grid->EndUpdate();
  EXPECT_EQ(grid->UpdateCount(), 0);
}

TEST_F(GridInputTest, WheelWithoutEnableWheelIsTheBaseGridsOneRowStep) {
  grid->SetRowCount(40);
  grid->EnableWheel = false;
  Load();
  grid->FocusCell(1, 5, true);
  Wheel(-120);
  EXPECT_EQ(grid->Row(), 6);
  grid->MouseActions()->WheelAction = waScroll;
  Wheel(-120);
  EXPECT_EQ(grid->Row(), 6) << "scroll mode leaves the row to the scroll bars";
}

TEST_F(GridInputTest, OneRowGridWithFixedRowAlwaysSwallowsTheWheel) {
  grid->FixedRowAlways = true;
  Load();
  grid->SetRowCount(1);
  Wheel(-120);
  EXPECT_EQ(grid->Row(), 0);
}

TEST_F(GridInputTest, ZoomStaysWithinTenStepsAndKeepsSizesPositive) {
  Load();
  grid->SetColWidths(3, 1);
  int w = grid->ColWidths(1), h = grid->RowHeights(1);
  for (int i = 0; i < 11; ++i) grid->Zoom(1);
  EXPECT_EQ(grid->ZoomLevel(), 10);
  EXPECT_EQ(grid->ColWidths(1), w + 10);
  EXPECT_EQ(grid->RowHeights(1), h + 10);
  for (int i = 0; i < 21; ++i) grid->Zoom(-1);
  EXPECT_EQ(grid->ZoomLevel(), -10);
  EXPECT_EQ(grid->ColWidths(1), w - 10);
  EXPECT_EQ(grid->ColWidths(3), 1) << "a width that would reach 0 keeps its size";
  grid->Zoom(10);
  Wheel(120, Qt::ControlModifier);
  EXPECT_EQ(grid->ZoomLevel(), -3) << "Ctrl and the wheel away from the user zoom out by the line count";
}

TEST_F(GridInputTest, MiddleButtonPansOneCellPerTickOutsideTheDeadZone) {
  grid->SetRowCount(40);
  Load();
  grid->FocusCell(2, 5, true);
  Mouse(QEvent::MouseButtonPress, 200, 100, Qt::MiddleButton);
  Mouse(QEvent::MouseButtonRelease, 200, 100, Qt::MiddleButton);
  ASSERT_TRUE(grid->Panning());
  auto tick = [&] { grid->Perform(WM_TIMER, 999, 0); };
  Mouse(QEvent::MouseMove, 203, 104);
  tick();
  EXPECT_EQ(Current(), TPoint(2, 5)) << "within 5 pixels nothing moves";
  Mouse(QEvent::MouseMove, 260, 160);
  tick();
  tick();
  EXPECT_EQ(Current(), TPoint(2, 7)) << "vertical panning: rows only";
  Click(10, 10);
  EXPECT_FALSE(grid->Panning());
}

}  // namespace
