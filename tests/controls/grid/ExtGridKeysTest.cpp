// The grid's key table, Tab walk, auto advance and validation, driven with
// key events through the real widgets.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/bus/ByteText.h"
#include "tests/controls/grid/GridInputFixture.h"

namespace {

struct KeyStep {
  const char* Name;
  std::function<void(TExtStringGrid*)> Setup;  // options and handlers before the start cell is taken
  TPoint Start;
  const char* Typed;  // typed into the cell before the key ("" none)
  int QtKey;
  Qt::KeyboardModifiers Mods;
  TPoint Expect;
  const char* Events;  // what the grid's events said, in order
  std::function<void(TExtStringGrid*)> Check;
};

void ReadOnlyCol2(TExtStringGrid* g) {
  g->OnCanEditCell = [](TObject*, int r, int c, bool& can) { can = c != 2; };
}

void RowSelect(TExtStringGrid* g) { g->SetOptions(g->Options() | goRowSelect); }

const KeyStep kKeySteps[] = {
    {"TabMovesRight", nullptr, {1, 1}, "", Qt::Key_Tab, Qt::NoModifier, {2, 1}, "K9 ", nullptr},
    {"TabAtRowEndGoesToNextRow", nullptr, {4, 1}, "", Qt::Key_Tab, Qt::NoModifier, {1, 2}, "K9 ", nullptr},
    {"TabOnLastCellWrapsToFirst", nullptr, {4, 9}, "", Qt::Key_Tab, Qt::NoModifier, {1, 1}, "K9 ", nullptr},
    {"ShiftTabOnFirstCellWrapsToLast", nullptr, {1, 1}, "", Qt::Key_Backtab, Qt::ShiftModifier, {4, 9}, "K9 ",
     nullptr},
    {"TabNeverEntersRightFixedColumns", [](TExtStringGrid* g) { g->SetFixedRightCols(1); }, {3, 1}, "",
     Qt::Key_Tab, Qt::NoModifier, {1, 2}, "K9 ", nullptr},
    {"TabNeverEntersFooterRows", [](TExtStringGrid* g) { g->SetFixedFooters(1); }, {4, 8}, "", Qt::Key_Tab,
     Qt::NoModifier, {1, 1}, "K9 ", nullptr},
    {"TabSkipsReadOnlyCells", ReadOnlyCol2, {1, 1}, "", Qt::Key_Tab, Qt::NoModifier, {3, 1}, "K9 ", nullptr},
    {"TabWalksOnOverTwoReadOnlyCells",
     [](TExtStringGrid* g) { g->OnCanEditCell = [](TObject*, int, int c, bool& can) { can = c != 2 && c != 3; }; },
     {1, 1}, "", Qt::Key_Tab, Qt::NoModifier, {4, 1}, "K9 ", nullptr},
    {"AltTabMovesRight", nullptr, {1, 1}, "", Qt::Key_Tab, Qt::AltModifier, {2, 1}, "K9 ", nullptr},
    {"TabStaysWhenNoCellIsEditable",
     [](TExtStringGrid* g) { g->OnCanEditCell = [](TObject*, int, int, bool& can) { can = false; }; }, {2, 3}, "",
     Qt::Key_Tab, Qt::NoModifier, {2, 3}, "K9 ", nullptr},
    {"TabInTheEditorStoresAndMoves", nullptr, {1, 1}, "ab", Qt::Key_Tab, Qt::NoModifier, {2, 1}, "K9 ",
     [](TExtStringGrid* g) { EXPECT_EQ(g->Cells(1, 1), "ab"); }},
    {"EnterOnReadOnlyCellIsConsumed", ReadOnlyCol2, {2, 1}, "", Qt::Key_Return, Qt::NoModifier, {2, 1}, "K13 ",
     [](TExtStringGrid* g) { EXPECT_FALSE(g->EditorMode()); }},
    {"F2OnReadOnlyCellOpensNothing", ReadOnlyCol2, {2, 1}, "", Qt::Key_F2, Qt::NoModifier, {2, 1}, "K113 ",
     [](TExtStringGrid* g) { EXPECT_FALSE(g->InplaceEditor() && g->InplaceEditor()->Visible()); }},
    {"F2OpensTheEditor", nullptr, {1, 1}, "", Qt::Key_F2, Qt::NoModifier, {1, 1}, "K113 ",
     [](TExtStringGrid* g) {
       ASSERT_TRUE(g->InplaceEditor());
       EXPECT_TRUE(g->InplaceEditor()->Visible());
       EXPECT_EQ(g->InplaceEditor()->Text(), "1:1");
     }},
    {"EnterWithoutAdvanceStays", nullptr, {1, 1}, "x", Qt::Key_Return, Qt::NoModifier, {1, 1}, "K13 ",
     [](TExtStringGrid* g) { EXPECT_EQ(g->Cells(1, 1), "x"); }},
    {"EnterWithAdvanceMovesOn", [](TExtStringGrid* g) { g->Navigation()->AdvanceOnEnter = true; }, {1, 1}, "x",
     Qt::Key_Return, Qt::NoModifier, {2, 1}, "K13 ", [](TExtStringGrid* g) { EXPECT_EQ(g->Cells(1, 1), "x"); }},
    {"EnterAdvanceSkipsReadOnlyCells",
     [](TExtStringGrid* g) {
       g->Navigation()->AdvanceOnEnter = true;
       ReadOnlyCol2(g);
     },
     {1, 1}, "x", Qt::Key_Return, Qt::NoModifier, {3, 1}, "K13 ", nullptr},
    {"EscapePutsTheTextBack", nullptr, {1, 1}, "zz", Qt::Key_Escape, Qt::NoModifier, {1, 1}, "",
     [](TExtStringGrid* g) { EXPECT_EQ(g->Cells(1, 1), "1:1"); }},
    {"ClearAllForgetsTheTextBeforeEditing", nullptr, {1, 1}, "", Qt::Key_F2, Qt::NoModifier, {1, 1}, "K113 ",
     [](TExtStringGrid* g) {
       g->ClearAll();
       g->RestoreCellAfterCancel();
       EXPECT_EQ(g->Cells(1, 1), "");
     }},
    {"DownOnLastRowAppends", [](TExtStringGrid* g) { g->Navigation()->AppendOnArrowDown = true; }, {1, 9}, "",
     Qt::Key_Down, Qt::NoModifier, {1, 10}, "CanAdd AutoAdd(9) K40 Sel ",
     [](TExtStringGrid* g) { EXPECT_EQ(g->RowCount(), 11); }},
    {"DownAppendRefusedDoesNothing",
     [](TExtStringGrid* g) {
       g->Navigation()->AppendOnArrowDown = true;
       g->OnCanAddRow = [](TObject*, bool& can) { can = false; };
     },
     {1, 9}, "", Qt::Key_Down, Qt::NoModifier, {1, 9}, "K40 ", [](TExtStringGrid* g) { EXPECT_EQ(g->RowCount(), 10); }},
    {"DownAppendGoesBeforeTheFooter",
     [](TExtStringGrid* g) {
       g->Navigation()->AppendOnArrowDown = true;
       g->SetFixedFooters(1);
       g->SetCells(1, 9, "sum");
     },
     {1, 8}, "", Qt::Key_Down, Qt::NoModifier, {1, 9}, "CanAdd AutoAdd(9) K40 Sel ",
     [](TExtStringGrid* g) {
       EXPECT_EQ(g->RowCount(), 11);
       EXPECT_EQ(g->Cells(1, 10), "sum");
       EXPECT_EQ(g->Cells(1, 9), "");
       EXPECT_EQ(g->Cells(1, 8), "1:8");
     }},
    {"DownJumpsOverARowTheHandlerFixes",
     [](TExtStringGrid* g) { g->OnIsFixedCell = [](TObject*, int r, int, bool& f) { f = r == 3; }; }, {1, 2}, "",
     Qt::Key_Down, Qt::NoModifier, {1, 4}, "K40 Sel ", nullptr},
    {"CtrlDownJumpsOverAFixedRowToo",
     [](TExtStringGrid* g) { g->OnIsFixedCell = [](TObject*, int r, int, bool& f) { f = r == 3; }; }, {1, 2}, "",
     Qt::Key_Down, Qt::ControlModifier, {1, 4}, "K40 Sel ", nullptr},
    {"CtrlDownOnLastRowAppends", [](TExtStringGrid* g) { g->Navigation()->AppendOnArrowDown = true; }, {1, 9}, "",
     Qt::Key_Down, Qt::ControlModifier, {1, 9}, "CanAdd AutoAdd(9) K40 ",
     [](TExtStringGrid* g) { EXPECT_EQ(g->RowCount(), 11); }},
    {"HomeByRowGoesToTheFirstRow", [](TExtStringGrid* g) { g->Navigation()->HomeEndKey = heFirstLastRow; }, {2, 5},
     "", Qt::Key_Home, Qt::NoModifier, {2, 1}, "K36 Sel ", nullptr},
    {"EndByRowStopsAboveTheFooter",
     [](TExtStringGrid* g) {
       g->Navigation()->HomeEndKey = heFirstLastRow;
       g->SetFixedFooters(1);
     },
     {2, 5}, "", Qt::Key_End, Qt::NoModifier, {2, 8}, "K35 Sel ", nullptr},
    {"CtrlHomeByRowKeepsTheColumn", [](TExtStringGrid* g) { g->Navigation()->HomeEndKey = heFirstLastRow; },
     {2, 5}, "", Qt::Key_Home, Qt::ControlModifier, {2, 1}, "K36 Sel ", nullptr},
    {"CtrlEndByRowKeepsTheColumn", [](TExtStringGrid* g) { g->Navigation()->HomeEndKey = heFirstLastRow; },
     {2, 5}, "", Qt::Key_End, Qt::ControlModifier, {2, 9}, "K35 Sel ", nullptr},
    {"EndInRowSelectGoesToTheLastColumn", RowSelect, {2, 5}, "", Qt::Key_End, Qt::NoModifier, {4, 5}, "K35 ",
     nullptr},
    {"HomeInRowSelectGoesToTheFirstScrollColumn", RowSelect, {3, 5}, "", Qt::Key_Home, Qt::NoModifier, {1, 5},
     "K36 ", nullptr},
    {"CtrlEndInRowSelectKeepsTheRow", RowSelect, {2, 5}, "", Qt::Key_End, Qt::ControlModifier, {4, 5}, "K35 ",
     nullptr},
    {"CtrlHomeInRowSelectKeepsTheRow", RowSelect, {3, 5}, "", Qt::Key_Home, Qt::ControlModifier, {1, 5}, "K36 ",
     [](TExtStringGrid* g) { EXPECT_EQ(g->Selection(), (TGridRect{1, 5, 4, 5})) << "the whole row"; }},
    {"CtrlASelectsEveryScrollingCell", [](TExtStringGrid* g) { g->SetFixedFooters(1); }, {2, 2}, "", Qt::Key_A,
     Qt::ControlModifier, {4, 8}, "K65 Sel ",
     [](TExtStringGrid* g) { EXPECT_EQ(g->Selection(), (TGridRect{1, 1, 4, 8})); }},
    {"CtrlAWithoutRangeSelectDoesNothing",
     [](TExtStringGrid* g) { g->SetOptions(g->Options() & ~static_cast<TGridOptions>(goRangeSelect)); }, {2, 2}, "",
     Qt::Key_A, Qt::ControlModifier, {2, 2}, "K65 ",
     [](TExtStringGrid* g) { EXPECT_EQ(g->Selection(), (TGridRect{2, 2, 2, 2})); }},
    {"InsertPutsAnEmptyRowAtTheCurrentRow", [](TExtStringGrid* g) { g->Navigation()->AllowInsertRow = true; },
     {1, 5}, "", Qt::Key_Insert, Qt::NoModifier, {1, 5}, "K45 CanIns(5) AutoIns(5) ",
     [](TExtStringGrid* g) {
       EXPECT_EQ(g->RowCount(), 11);
       EXPECT_EQ(g->Cells(1, 5), "");
       EXPECT_EQ(g->Cells(1, 6), "1:5");
     }},
    {"InsertAfterMovesIntoTheNewRow",
     [](TExtStringGrid* g) {
       g->Navigation()->AllowInsertRow = true;
       g->Navigation()->InsertPosition = pInsertAfter;
     },
     {1, 5}, "", Qt::Key_Insert, Qt::NoModifier, {1, 6}, "K45 CanIns(5) AutoIns(6) ",
     [](TExtStringGrid* g) {
       EXPECT_EQ(g->Cells(1, 6), "");
       EXPECT_EQ(g->Cells(1, 7), "1:6");
     }},
    {"DeleteRemovesTheRow", [](TExtStringGrid* g) { g->Navigation()->AllowDeleteRow = true; }, {1, 5}, "",
     Qt::Key_Delete, Qt::NoModifier, {1, 5}, "K46 CanDel(5) AutoDel(5) ",
     [](TExtStringGrid* g) {
       EXPECT_EQ(g->RowCount(), 9);
       EXPECT_EQ(g->Cells(1, 5), "1:6");
     }},
    {"DeleteEmptiesTheOnlyScrollingRowAndFreesItsProperties",
     [](TExtStringGrid* g) {
       g->Navigation()->AllowDeleteRow = true;
       g->SetRowCount(2);
       g->SetColors(1, 1, clRed);
     },
     {1, 1}, "", Qt::Key_Delete, Qt::NoModifier, {1, 1}, "K46 CanDel(1) AutoDel(1) ",
     [](TExtStringGrid* g) {
       EXPECT_EQ(g->RowCount(), 2);
       EXPECT_EQ(g->Cells(1, 1), "");
       EXPECT_FALSE(g->HasCellProperties(1, 1));
     }},
};

class KeyTable : public GridInputTest, public ::testing::WithParamInterface<KeyStep> {};

TEST_P(KeyTable, Step) {
  const KeyStep& s = GetParam();
  if (s.Setup) s.Setup(grid);
  Load();
  grid->FocusCell(s.Start.X, s.Start.Y, true);
  if (*s.Typed) Type(s.Typed);
  std::string log;
  grid->OnKeyDown = [&](TObject*, WORD& k, TShiftState) { log += "K" + std::to_string(k) + " "; };
  grid->OnCanAddRow = [&, prev = grid->OnCanAddRow](TObject* o, bool& can) {
    if (prev) prev(o, can);
    if (can) log += "CanAdd ";
  };
  grid->OnAutoAddRow = [&](TObject*, int r) { log += "AutoAdd(" + std::to_string(r) + ") "; };
  grid->OnCanInsertRow = [&](TObject*, int r, bool&) { log += "CanIns(" + std::to_string(r) + ") "; };
  grid->OnAutoInsertRow = [&](TObject*, int r) { log += "AutoIns(" + std::to_string(r) + ") "; };
  grid->OnCanDeleteRow = [&](TObject*, int r, bool&) { log += "CanDel(" + std::to_string(r) + ") "; };
  grid->OnAutoDeleteRow = [&](TObject*, int r) { log += "AutoDel(" + std::to_string(r) + ") "; };
  grid->OnSelectionChanged = [&](TObject*, int, int, int, int) { log += "Sel "; };
  Key(s.QtKey, s.Mods);
  EXPECT_EQ(Current(), s.Expect);
  EXPECT_EQ(log, s.Events);
  EXPECT_GE(grid->Col(), 0);
  EXPECT_LT(grid->Row(), grid->RowCount());
  if (s.Check) s.Check(grid);
}

INSTANTIATE_TEST_SUITE_P(Grid, KeyTable, ::testing::ValuesIn(kKeySteps),
                         [](const ::testing::TestParamInfo<KeyStep>& i) { return std::string(i.param.Name); });

// ---------------------------------------------------------------- validation on every way out of a cell
enum TOutcome { oAccept, oRefuse, oCorrect };
struct LeaveWay {
  const char* Name;
  int QtKey;  // 0: a click on another cell; kWheelDown: one wheel notch towards the user
  TPoint Target;
};
constexpr int kWheelDown = -1;
const LeaveWay kWays[] = {{"Tab", Qt::Key_Tab, {2, 2}},
                          {"Enter", Qt::Key_Return, {1, 2}},
                          {"Down", Qt::Key_Down, {1, 3}},
                          {"Up", Qt::Key_Up, {1, 1}},
                          {"Click", 0, {3, 5}},
                          {"Wheel", kWheelDown, {1, 5}}};  // three lines a notch

class ValidationWays : public GridInputTest, public ::testing::WithParamInterface<std::tuple<LeaveWay, TOutcome>> {};

TEST_P(ValidationWays, TheHandlersAnswerDecides) {
  auto [way, outcome] = GetParam();
  Load();
  int calls = 0;
  grid->OnCellValidate = [&, outcome = outcome](TObject*, int c, int r, std::string& v, bool& valid) {
    ++calls;
    EXPECT_EQ(c, 1);
    EXPECT_EQ(r, 2);
    if (outcome == oRefuse) valid = false;
    if (outcome == oCorrect) v = "fixed";
  };
  grid->FocusCell(1, 2, true);
  Type("new");
  if (way.QtKey == kWheelDown)
    Wheel(-120);
  else if (way.QtKey)
    Key(way.QtKey);
  else
    ClickCell(way.Target.X, way.Target.Y);
  EXPECT_EQ(calls, 1);
  if (outcome == oRefuse) {
    // A refused value stays nowhere but in the editor. Up and Down keep the typed text there for
    // correcting it; the other ways put the cell's old text back in the cell and the editor, and
    // only Tab then moves on.
    bool keepsTyped = way.QtKey == Qt::Key_Up || way.QtKey == Qt::Key_Down;
    bool movesOn = way.QtKey == Qt::Key_Tab;
    EXPECT_EQ(Current(), movesOn ? way.Target : TPoint(1, 2));
    EXPECT_EQ(grid->Cells(1, 2), keepsTyped ? "new" : "1:2");
    if (!movesOn) {
      EXPECT_TRUE(EditorShown());
      EXPECT_EQ(EditorText(), keepsTyped ? "new" : "1:2");
      Key(Qt::Key_Escape);
    }
    EXPECT_EQ(grid->Cells(1, 2), "1:2");
  } else {
    EXPECT_EQ(grid->Cells(1, 2), outcome == oCorrect ? "fixed" : "new");
    if (std::string(way.Name) != "Enter") {
      EXPECT_EQ(Current(), way.Target);
    }
  }
}

std::string WayName(const ::testing::TestParamInfo<std::tuple<LeaveWay, TOutcome>>& i) {
  static const char* o[] = {"Accept", "Refuse", "Correct"};
  return std::string(std::get<0>(i.param).Name) + o[std::get<1>(i.param)];
}

INSTANTIATE_TEST_SUITE_P(Grid, ValidationWays,
                         ::testing::Combine(::testing::ValuesIn(kWays), ::testing::Values(oAccept, oRefuse, oCorrect)),
                         WayName);

// ---------------------------------------------------------------- the less common ways out
// Sequences the input fuzzer found: after each, a refused text ('z') is in no cell but the current
// one, and there only while its editor still shows it for correcting.
struct OddWay {
  const char* Name;
  std::function<void(TExtStringGrid*)> Setup;
  std::function<void(GridInputTest&)> Leave;
};
const OddWay kOddWays[] = {
    {"HeaderClickSorts", [](TExtStringGrid* g) { g->SortSettings()->SetShow(true); },
     [](GridInputTest& t) { t.ClickCell(3, 0); }},
    {"PageUpInTheEditor", [](TExtStringGrid*) {}, [](GridInputTest& t) { t.Key(Qt::Key_PageUp); }},
    {"PageDownInTheEditor", [](TExtStringGrid*) {}, [](GridInputTest& t) { t.Key(Qt::Key_PageDown); }},
    {"RightAtTheTextsEnd", [](TExtStringGrid*) {}, [](GridInputTest& t) { t.Key(Qt::Key_Right); }},
    {"CtrlHome", [](TExtStringGrid*) {}, [](GridInputTest& t) { t.Key(Qt::Key_Home, Qt::ControlModifier); }},
    {"CtrlBracketCancelsThenTypingAgain", [](TExtStringGrid*) {},
     [](GridInputTest& t) {
       SendKeyEvent(t.Target(), Qt::Key_BracketLeft, Qt::ControlModifier, QString(QChar(27)));  // ASCII ESC
       t.Type("z");
       t.Key(Qt::Key_PageDown);
     }},
    {"InsertAfterEditingWasSwitchedOff", [](TExtStringGrid* g) { g->Navigation()->AllowInsertRow = true; },
     [](GridInputTest& t) {
       t.grid->SetOptions(t.grid->Options() & ~goEditing);
       t.Key(Qt::Key_Insert);
     }},
    // The edit is on a covered cell of a merged area (the area's base 1,1 holds the text); a row
    // inserted afterwards moves the area with the text the refusal put back.
    {"WheelOnACoveredCellThenInsert",
     [](TExtStringGrid* g) {
       g->MergeCells(1, 1, 1, 2);
       g->Navigation()->AllowInsertRow = true;
     },
     [](GridInputTest& t) {
       t.Key(Qt::Key_Escape);
       t.Click(t.Mid(1, 3).X, t.Mid(2, 2).Y);  // the area's lower half: the covered cell 1,2
       // A character without its key, as an input method types it: the current cell stays the covered one.
       SendKeyEvent(t.Target(), Qt::Key_unknown, Qt::NoModifier, QStringLiteral("z"));
       t.Wheel(-120);
       t.Key(Qt::Key_Insert);
     }},
    // Right at the text's end moves from the area's base onto its covered cell: the edit ends there.
    {"RightWithinAMergedArea", [](TExtStringGrid* g) { g->MergeCells(1, 2, 2, 1); },
     [](GridInputTest& t) {
       t.Key(Qt::Key_Right);
       t.Key(Qt::Key_Right);
     }},
    // Ctrl+[ cancels an edit begun on the covered cell: the area's base gets its text back, so
    // nothing refused stays behind when another cell is edited.
    {"CtrlBracketOnACoveredCellThenAnotherEdit", [](TExtStringGrid* g) { g->MergeCells(1, 1, 1, 2); },
     [](GridInputTest& t) {
       t.Key(Qt::Key_Escape);
       t.Click(t.Mid(1, 3).X, t.Mid(2, 2).Y);
       SendKeyEvent(t.Target(), Qt::Key_unknown, Qt::NoModifier, QStringLiteral("z"));
       SendKeyEvent(t.Target(), Qt::Key_BracketLeft, Qt::ControlModifier, QString(QChar(27)));
       t.ClickCell(3, 5);
       t.Type("a");
       t.Key(Qt::Key_Tab);
     }},
};

void PrintTo(const OddWay& w, std::ostream* os) { *os << w.Name; }

class OddWaysOut : public GridInputTest, public ::testing::WithParamInterface<OddWay> {};

TEST_P(OddWaysOut, LeaveNoRefusedTextBehind) {
  const OddWay& way = GetParam();
  way.Setup(grid);
  Load();
  int calls = 0;
  grid->OnCellValidate = [&](TObject*, int, int, std::string& v, bool& valid) {
    ++calls;
    valid = v.find('z') == std::string::npos;
  };
  grid->FocusCell(1, 2, true);
  Type("z");
  way.Leave(*this);
  EXPECT_GE(calls, 1);
  const TPoint current = grid->BaseCell(grid->Col(), grid->Row());
  for (int r = 0; r < grid->RowCount(); ++r)
    for (int c = 0; c < grid->ColCount(); ++c) {
      if (grid->Cells(c, r).find('z') == std::string::npos) continue;
      EXPECT_EQ(grid->BaseCell(c, r), current) << c << "," << r << " holds the refused text";
      EXPECT_TRUE(EditorShown() && EditorText() == grid->Cells(c, r)) << "the refused text is not being edited";
    }
}

INSTANTIATE_TEST_SUITE_P(Grid, OddWaysOut, ::testing::ValuesIn(kOddWays),
                         [](const ::testing::TestParamInfo<OddWay>& i) { return std::string(i.param.Name); });

// Typing that is no edit changes no text, also when a handler answers every cell editable.
struct NoEditTyping {
  const char* Name;
  std::function<void(GridInputTest&)> Steps;
  int Row;  // where the current cell ends
};
const NoEditTyping kNoEditTyping[] = {
    {"LookupAfterAJump", [](GridInputTest& t) { t.Type("cb"); }, 2},
};

void PrintTo(const NoEditTyping& w, std::ostream* os) { *os << w.Name; }

class TypingThatIsNoEdit : public GridInputTest, public ::testing::WithParamInterface<NoEditTyping> {};

TEST_P(TypingThatIsNoEdit, ChangesNoText) {
  const char* names[] = {"head", "apple", "banana", "cherry", "date", "fig", "grape", "kiwi", "lime", "mango"};
  for (int r = 0; r < grid->RowCount(); ++r) grid->SetCells(1, r, names[r]);
  grid->OnCanEditCell = [](TObject*, int, int, bool& can) { can = true; };
  grid->Navigation()->AutoGotoWhenSorted = true;
  grid->SetOptions(grid->Options() & ~goEditing);
  Load();
  std::vector<std::string> before;
  for (int r = 0; r < grid->RowCount(); ++r)
    for (int c = 0; c < grid->ColCount(); ++c) before.push_back(grid->Cells(c, r));
  GetParam().Steps(*this);
  size_t i = 0;
  for (int r = 0; r < grid->RowCount(); ++r)
    for (int c = 0; c < grid->ColCount(); ++c, ++i) EXPECT_EQ(grid->Cells(c, r), before[i]) << c << "," << r;
  EXPECT_EQ(grid->Row(), GetParam().Row);
  EXPECT_FALSE(grid->Options() & goEditing);
  EXPECT_FALSE(EditorShown());
}

INSTANTIATE_TEST_SUITE_P(Grid, TypingThatIsNoEdit, ::testing::ValuesIn(kNoEditTyping),
                         [](const ::testing::TestParamInfo<NoEditTyping>& i) { return std::string(i.param.Name); });

// ---------------------------------------------------------------- the byte grids' road
TEST_F(GridInputTest, HexBytesTypedWithTabAreNormalisedByTheWindowsHandler) {
  grid->OnGetEditMask = [](TObject*, int, int, std::string& m) { m = ">CC;1;_"; };
  grid->OnCellValidate = [](TObject*, int, int, std::string& v, bool& valid) {
    v = NormalizeByteCell(v);
    valid = IsByteCellText(v);
  };
  for (int c = 1; c < 5; ++c) grid->SetCells(c, 1, "FF");
  Load();
  grid->FocusCell(1, 1, true);
  Type("a5");
  Key(Qt::Key_Tab);
  Type("3");
  Key(Qt::Key_Tab);
  EXPECT_EQ(grid->Cells(1, 1), "A5");
  EXPECT_EQ(grid->Cells(2, 1), "03");
  EXPECT_EQ(Current(), TPoint(3, 1));
  // A value that is no byte is refused: the cell keeps its text and Tab moves on.
  Type("zz");
  Key(Qt::Key_Tab);
  EXPECT_EQ(grid->Cells(3, 1), "FF");
  EXPECT_EQ(Current(), TPoint(4, 1));
}

TEST_F(GridInputTest, FormLevelKeyPreviewAndTheGridsKeyDownSeeTheEditorsKeys) {
  Load();
  std::string formLog, gridLog;
  form->SetKeyPreview(true);
  form->OnKeyDown = [&](TObject*, WORD& k, TShiftState) { formLog += "d" + std::to_string(k) + " "; };
  form->OnKeyPress = [&](TObject*, char& c) { formLog += std::string("p") + c + " "; };
  grid->OnKeyDown = [&](TObject*, WORD& k, TShiftState) { gridLog += "d" + std::to_string(k) + " "; };
  grid->FocusCell(1, 1, true);
  Type("A5");
  ASSERT_TRUE(EditorShown());
  Key(Qt::Key_Tab);
  EXPECT_NE(formLog.find("pA "), std::string::npos) << formLog;
  EXPECT_NE(formLog.find("p5 "), std::string::npos) << formLog;
  EXPECT_NE(formLog.find("d9 "), std::string::npos) << formLog;
  EXPECT_NE(gridLog.find("d9 "), std::string::npos) << gridLog;
  // A form filter that takes the key keeps it from the grid: no move.
  form->OnKeyDown = [&](TObject*, WORD& k, TShiftState) {
    if (k == VK_TAB) k = 0;
  };
  Type("1");
  Key(Qt::Key_Tab);
  EXPECT_EQ(Current(), TPoint(2, 1));
  EXPECT_EQ(grid->Cells(2, 1), "1");
}

TEST_F(GridInputTest, TabToNextAtEndHandsTheFocusOnInBothDirections) {
  grid->Navigation()->TabToNextAtEnd = true;
  Load();
  grid->FocusCell(4, 9, true);
  Key(Qt::Key_Tab);
  EXPECT_TRUE(other->Focused());
  EXPECT_EQ(Current(), TPoint(1, 1));
  grid->SetFocus();
  grid->FocusCell(1, 1, true);
  Key(Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_TRUE(other->Focused());
  EXPECT_EQ(Current(), TPoint(4, 9));
}

// Enter's advance asks OnCellChanging for the move; onto a check box the cell left and the
// control's cell are selected again and the handler is told once more; a refused move selects
// the cell left again.
TEST_F(GridInputTest, AdvanceOntoAControlCellTellsOnCellChangingAgain) {
  struct Case {
    bool checkBox, refuse;
    TPoint at;
    const char* told;
  } cases[] = {
      {false, false, {2, 2}, "chg 1,2>2,2 sel 2,2 "},
      {true, false, {2, 2}, "chg 1,2>2,2 sel 2,2 sel 1,2 sel 2,2 chg 1,2>2,2 "},
      {false, true, {1, 2}, "chg 1,2>2,2 sel 1,2 "},
  };
  grid->Navigation()->AdvanceOnEnter = true;
  Load();
  std::string told;
  bool refuse = false;
  grid->OnCellChanging = [&](TObject*, int oldRow, int oldCol, int newRow, int newCol, bool& allow) {
    told += "chg " + std::to_string(oldCol) + "," + std::to_string(oldRow) + ">" + std::to_string(newCol) + "," +
            std::to_string(newRow) + " ";
    if (refuse) allow = false;
  };
  grid->OnSelectCell = [&](TObject*, int c, int r, bool&) {
    told += "sel " + std::to_string(c) + "," + std::to_string(r) + " ";
  };
  for (const Case& k : cases) {
    if (k.checkBox)
      grid->AddCheckBox(2, 2, false, false);
    else
      grid->RemoveCheckBox(2, 2);
    refuse = false;
    grid->FocusCell(1, 2, true);
    Type("x");
    refuse = k.refuse;
    told.clear();
    Key(Qt::Key_Return);
    EXPECT_EQ(Current(), k.at);
    EXPECT_EQ(told, k.told) << "check box " << k.checkBox << " refused " << k.refuse;
  }
}

// Shift with the arrows widens a block from its anchor; reaching a merged area takes the area
// whole and keeps the anchor.
TEST_F(GridInputTest, ShiftArrowsOntoAMergedAreaWidenTheBlockFromItsAnchor) {
  struct Case {
    int key;
    TGridRect sel;  // after the key, Shift held
  } cases[] = {
      {Qt::Key_Up, {3, 2, 3, 3}},
      {Qt::Key_Left, {1, 1, 3, 3}},   // onto a covered cell of the 2 x 2 area at (1, 1)
      {Qt::Key_Right, {3, 1, 3, 3}},  // out of the area again: still from (3, 3)
      {Qt::Key_Down, {3, 2, 3, 3}},
  };
  Load();
  ASSERT_TRUE(grid->MergeCells(1, 1, 2, 2));
  grid->FocusCell(3, 3, true);
  for (const Case& k : cases) {
    Key(k.key, Qt::ShiftModifier);
    EXPECT_EQ(grid->Selection(), k.sel) << "key " << k.key;
  }
}

// A markup cell is edited without its tags unless EditWithTags; plain text is edited as it is.
TEST_F(GridInputTest, MarkupCellsEditWithTheirTagsOnlyWithEditWithTags) {
  struct Case {
    bool withTags;
    const char* cell;
    const char* edited;
  } cases[] = {
      {false, "<B>bold</B> text", "bold text"},
      {true, "<B>bold</B> text", "<B>bold</B> text"},
      {false, "a < b", "a < b"},
  };
  Load();
  for (const Case& k : cases) {
    grid->EditWithTags = k.withTags;
    grid->SetCells(2, 3, k.cell);
    grid->FocusCell(2, 3, true);
    Key(Qt::Key_F2);
    EXPECT_EQ(EditorText(), k.edited) << k.cell << " with tags " << k.withTags;
    Key(Qt::Key_Escape);
    EXPECT_EQ(grid->Cells(2, 3), k.cell) << "Escape keeps the cell as it was";
  }
}

// Opening the editor on a markup cell and leaving it untouched changes nothing: the tags the
// editor does not show stay, and nothing is validated. A typed change is stored as typed.
TEST_F(GridInputTest, AnUntouchedEditorLeavesAMarkupCellAsItWas) {
  struct Case {
    const char* name;
    const char* typed;
    std::function<void(GridInputTest&)> leave;
    const char* cell;
    int validated;
  } cases[] = {
      {"Down", "", [](GridInputTest& t) { t.Key(Qt::Key_Down); }, "<B>bold</B> text", 0},
      {"Return", "", [](GridInputTest& t) { t.Key(Qt::Key_Return); }, "<B>bold</B> text", 0},
      {"click", "", [](GridInputTest& t) { t.ClickCell(1, 6); }, "<B>bold</B> text", 0},
      {"typed", "x", [](GridInputTest& t) { t.Key(Qt::Key_Return); }, "bold textx", 1},
  };
  Load();
  int validated = 0;
  grid->OnCellValidate = [&](TObject*, int, int, std::string&, bool&) { ++validated; };
  for (const Case& k : cases) {
    grid->SetCells(2, 3, "<B>bold</B> text");
    grid->FocusCell(2, 3, true);
    Key(Qt::Key_F2);
    ASSERT_EQ(EditorText(), "bold text") << k.name;
    Key(Qt::Key_End);
    Type(k.typed);
    validated = 0;
    k.leave(*this);
    EXPECT_EQ(grid->Cells(2, 3), k.cell) << k.name;
    EXPECT_EQ(validated, k.validated) << k.name;
  }
}

TEST_F(GridInputTest, AdvanceIsBoundedAndAppendsBeforeFootersAndRightFixedColumns) {
  grid->Navigation()->AdvanceOnEnter = true;
  grid->Navigation()->AdvanceInsert = true;
  grid->SetFixedFooters(1);
  grid->SetCells(1, 9, "sum");
  Load();
  int added = 0;
  grid->OnAutoAddRow = [&](TObject*, int) { ++added; };
  grid->FocusCell(4, 8, true);
  grid->AdvanceCell(4, 8, false);
  EXPECT_EQ(added, 1);
  EXPECT_EQ(grid->RowCount(), 11);
  EXPECT_EQ(grid->Cells(1, 10), "sum");
  EXPECT_EQ(Current(), TPoint(1, 9));

  // Top to bottom with no editable cell anywhere: one column at most is added, never more.
  grid->Navigation()->AdvanceDirection = adTopBottom;
  grid->SetFixedRightCols(1);
  grid->SetCells(4, 1, "right");
  grid->OnCanEditCell = [](TObject*, int, int, bool& can) { can = false; };
  int cols = grid->ColCount();
  grid->AdvanceCell(3, 9, false, false, true);
  EXPECT_LE(grid->ColCount(), cols + 1);
  EXPECT_EQ(grid->Cells(grid->ColCount() - 1, 1), "right");
}

TEST_F(GridInputTest, RowModifiedOnlyWhenAChangedValueIsStored) {
  struct Case {
    const char* typed;
    bool modified;
  } cases[] = {
      {"bad", false},   // refused: the old text comes back, nothing new is stored
      {"good", true},   // taken
      {"fixme", true},  // refused, but the handler's correction is stored
      {"1:3", false},   // the text the cell had: not even validated
  };
  grid->ShowModified()->Enabled = true;
  Load();
  grid->OnCellValidate = [](TObject*, int, int, std::string& v, bool& valid) {
    valid = v != "bad" && v != "fixme";
    if (v == "fixme") v = "fixed";
  };
  int row = 3;
  for (const Case& k : cases) {
    grid->SetCells(1, row, "1:3");
    grid->FocusCell(1, row, true);
    Type(k.typed);
    Key(Qt::Key_Down);
    EXPECT_EQ(grid->RowModified(row), k.modified) << k.typed;
    Key(Qt::Key_Escape);
    ++row;
  }
}

TEST_F(GridInputTest, UpdateLevelCountsEvenWhileHiddenAndNeverGoesBelowZero) {
  Load();
  grid->SetVisible(false);
  grid->BeginUpdate();
  grid->BeginUpdate();
  grid->SetVisible(true);
  grid->EndUpdate();
  EXPECT_EQ(grid->UpdateCount(), 1);
  int before = grid->PaintCounter();
  grid->Invalidate();
  Flush();
  EXPECT_EQ(grid->PaintCounter(), before) << "nothing paints while an update is open";
  grid->EndUpdate();
  Flush();
  EXPECT_GT(grid->PaintCounter(), before);
  grid->EndUpdate();
  EXPECT_EQ(grid->UpdateCount(), 0);
}

class MarkupControlGrid : public TExtStringGrid {
 public:
  using TExtStringGrid::TExtStringGrid;
  int Opened = 0;
  void OpenCellMarkupControl(int, int, const std::string&) override { ++Opened; }
};

TEST_F(GridInputTest, F2OnACellWithAMarkupControlOpensThatControl) {
  delete grid;
  auto* g = new MarkupControlGrid(form);
  grid = g;
  g->SetParent(form);
  g->SetBounds(10, 10, 480, 300);
  g->SetOptions(g->Options() | goEditing);
  g->SetCells(1, 1, "<P><CONTROL TYPE=\"EDIT\" ID=\"a\"></P>");
  Load();
  g->SetFocus();
  g->FocusCell(1, 1, true);
  Key(Qt::Key_F2);
  EXPECT_EQ(g->Opened, 1);
  EXPECT_FALSE(EditorShown());
}

}  // namespace

// Rows and columns that move or go while the editor is open: the next typed character lands in the
// current cell, and no other cell changes.
TEST_F(GridInputTest, TypingAfterRowsOrColumnsChangeUnderAnOpenEditorGoesToTheCurrentCell) {
  struct TCase {
    const char* name;
    std::function<void(TExtStringGrid&)> change;
  };
  const std::vector<TCase> cases = {
      {"insert a row above", [](TExtStringGrid& g) { g.InsertRows(1, 1); }},
      {"remove a row above", [](TExtStringGrid& g) { g.RemoveRows(1, 1); }},
      {"remove the edited row", [](TExtStringGrid& g) { g.RemoveRows(3, 1); }},
      {"hide a row above", [](TExtStringGrid& g) { g.HideRows(1, 1); }},
      {"hide the edited row", [](TExtStringGrid& g) { g.HideRows(3, 3); }},
      {"show hidden rows above", [](TExtStringGrid& g) { g.UnHideRowsAll(); }},
      {"swap rows", [](TExtStringGrid& g) { g.SwapRows(3, 5); }},
      {"move a row", [](TExtStringGrid& g) { g.MoveRow(1, 6); }},
      {"insert a column left", [](TExtStringGrid& g) { g.InsertCols(1, 1); }},
      {"remove a column left", [](TExtStringGrid& g) { g.RemoveCols(1, 1); }},
      {"move a column", [](TExtStringGrid& g) { g.MoveColumn(1, 3); }},
      {"fewer rows", [](TExtStringGrid& g) { g.SetRowCount(3); }},
      {"fewer columns", [](TExtStringGrid& g) { g.SetColCount(2); }},
  };
  Load();
  for (const TCase& tc : cases) {
    SCOPED_TRACE(tc.name);
    grid->UnHideRowsAll();
    grid->SetColCount(5);
    grid->SetRowCount(10);
    for (int r = 0; r < 10; ++r)
      for (int c = 0; c < 5; ++c) grid->SetCells(c, r, std::to_string(c) + ":" + std::to_string(r));
    if (std::string(tc.name) == "show hidden rows above") grid->HideRows(1, 1);
    grid->FocusCell(2, 3, true);
    Type("x");
    ASSERT_TRUE(EditorShown());
    std::string edited = grid->Cells(2, 3);
    ASSERT_EQ(edited, "x");
    tc.change(*grid);
    Flush();
    std::vector<std::string> before;
    for (int r = 0; r < grid->RowCount(); ++r)
      for (int c = 0; c < grid->ColCount(); ++c) before.push_back(grid->Cells(c, r));
    int cols = grid->ColCount();
    TPoint cur = Current();
    // An editor still open after the change sits on the current cell and goes on with its text.
    bool open = EditorShown();
    if (open) {
      TRect rc = grid->CellRect(cur.X, cur.Y);
      EXPECT_EQ(grid->InplaceEditor()->Left(), rc.Left);
      EXPECT_EQ(grid->InplaceEditor()->Top(), rc.Top);
    }
    std::string typed = (open ? before[static_cast<size_t>(cur.Y * cols + cur.X)] : std::string()) + "y";
    Type("y");
    EXPECT_EQ(Current(), cur);
    for (int r = 0; r < grid->RowCount(); ++r)
      for (int c = 0; c < cols; ++c) {
        std::string want = c == cur.X && r == cur.Y ? typed : before[static_cast<size_t>(r * cols + c)];
        EXPECT_EQ(grid->Cells(c, r), want) << "cell " << c << "," << r;
      }
    Key(Qt::Key_Escape);
  }
}
namespace {
// Text typed while a covered cell of a merged area is current goes to the area's base cell, the one
// the editor read and the one validated, whether the character came with its key or alone (as an
// input method's text does).
TEST_F(GridInputTest, TextTypedOverACoveredCellGoesToTheBaseCell) {
  Load();
  grid->MergeCells(2, 2, 2, 2);
  for (bool bare : {false, true}) {
    grid->SetCells(2, 2, "base");
    TPoint p = Mid(2, 3);
    Click(p.X, p.Y);
    ASSERT_EQ(grid->BaseCell(grid->Col(), grid->Row()), TPoint(2, 2));
    if (bare)
      grid->Perform(WM_CHAR, 'z', 0);
    else
      Type("z");
    EXPECT_EQ(grid->GridCells(2, 2), "z") << (bare ? "bare character" : "key");
    EXPECT_EQ(grid->GridCells(2, 3), "2:3") << (bare ? "bare character" : "key");
    Key(Qt::Key_Escape);
  }
}
}  // namespace
