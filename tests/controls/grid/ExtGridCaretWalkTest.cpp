// Arrow keys that walk out of the inplace editor, Home and End in it, the caret a click places,
// the drop-down width and the look-up of the in-cell combo, the keypad's point in a float spin,
// presses on a partly shown last row, and the date picker's event.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "controls/grid/ExtGridEditors.h"
#include "platform/gui/Calendar.h"
#include "platform/gui/Messages.h"
#include "tests/controls/grid/GridInputFixture.h"
#include "tests/controls/grid/GridTestLocales.h"

namespace {

// ---------------------------------------------------------------- walking out of the editor
struct WalkCase {
  const char* Name;
  std::function<void(TExtStringGrid*)> Setup;
  TPoint Start;
  bool CaretHome;  // the caret goes to the text's start before the key
  int QtKey;
  Qt::KeyboardModifiers Mods;
  TPoint Expect;
  bool EditorAfter;  // the editor still shows
  const char* CellAfter;  // the start cell's text afterwards
};

void Walk(TExtStringGrid* g) { g->Navigation()->CursorWalkEditor = true; }

const WalkCase kWalks[] = {
    {"RightAtTheEndLeavesTheCell", Walk, {2, 1}, false, Qt::Key_Right, Qt::NoModifier, {3, 1}, false, "ab"},
    {"RightAtTheRowsEndGoesOnToTheNextRow", Walk, {4, 1}, false, Qt::Key_Right, Qt::NoModifier, {1, 2}, false, "ab"},
    {"LeftAtTheRowsStartGoesBackToThePreviousRow", Walk, {1, 2}, true, Qt::Key_Left, Qt::NoModifier, {4, 1}, false,
     "ab"},
    {"RightGoesAlongTheRowWhateverTheAdvanceDirection",
     [](TExtStringGrid* g) {
       Walk(g);
       g->Navigation()->AdvanceDirection = adTopBottom;
     },
     {4, 1}, false, Qt::Key_Right, Qt::NoModifier, {1, 2}, false, "ab"},
    {"RightSkipsACellThatCannotBeEdited",
     [](TExtStringGrid* g) {
       Walk(g);
       g->OnCanEditCell = [](TObject*, int, int c, bool& can) { can = c != 3; };
     },
     {2, 1}, false, Qt::Key_Right, Qt::NoModifier, {4, 1}, false, "ab"},
    {"RightOntoACheckBoxEndsTheEditThere",
     [](TExtStringGrid* g) {
       Walk(g);
       g->AddCheckBox(4, 1, false, false);
     },
     {3, 1}, false, Qt::Key_Right, Qt::NoModifier, {4, 1}, false, "ab"},
    {"LeftOntoARadioGroupEndsTheEditThere",
     [](TExtStringGrid* g) {
       Walk(g);
       g->AddRadio(1, 1, true, 0, {"x", "y"});
     },
     {2, 1}, true, Qt::Key_Left, Qt::NoModifier, {1, 1}, false, "ab"},
    {"ARefusedTextStaysBeforeACheckBox",
     [](TExtStringGrid* g) {
       Walk(g);
       g->AddCheckBox(4, 1, false, false);
       g->OnCellValidate = [](TObject*, int, int, std::string&, bool& valid) { valid = false; };
     },
     {3, 1}, false, Qt::Key_Right, Qt::NoModifier, {3, 1}, true, "3:1"},
    {"ARefusedTextStaysInItsCell",
     [](TExtStringGrid* g) {
       Walk(g);
       g->OnCellValidate = [](TObject*, int, int, std::string&, bool& valid) { valid = false; };
     },
     {4, 1}, false, Qt::Key_Right, Qt::NoModifier, {4, 1}, true, "4:1"},
    {"ShiftRightSelectsInTheEditor", Walk, {2, 1}, true, Qt::Key_Right, Qt::ShiftModifier, {2, 1}, true, "ab"},
    {"RightInsideTheTextMovesTheCaret", Walk, {2, 1}, true, Qt::Key_Right, Qt::NoModifier, {2, 1}, true, "ab"},
    {"LeftAtTheEndMovesTheCaret", Walk, {2, 1}, false, Qt::Key_Left, Qt::NoModifier, {2, 1}, true, "ab"},
    {"WithoutTheWalkRightStopsAtTheRowsEnd", nullptr, {4, 1}, false, Qt::Key_Right, Qt::NoModifier, {4, 1}, true,
     "ab"},
};

class EditorWalk : public GridInputTest, public ::testing::WithParamInterface<WalkCase> {};

TEST_P(EditorWalk, ArrowAtTheTextsEnd) {
  const WalkCase& w = GetParam();
  if (w.Setup) w.Setup(grid);
  const TAdvanceDirection direction = grid->Navigation()->AdvanceDirection;
  Load();
  grid->FocusCell(w.Start.X, w.Start.Y, true);
  Type("ab");
  ASSERT_TRUE(EditorShown());
  if (w.CaretHome) Key(Qt::Key_Home);
  Key(w.QtKey, w.Mods);
  EXPECT_EQ(Current(), w.Expect);
  EXPECT_EQ(EditorShown(), w.EditorAfter);
  EXPECT_EQ(grid->Cells(w.Start.X, w.Start.Y), w.CellAfter);
  EXPECT_EQ(grid->Navigation()->AdvanceDirection, direction) << "the walk's direction is its own";
  if (grid->GetCellType(4, 1) == ctCheckBox) { EXPECT_FALSE(grid->GetCheckBoxState(4, 1)) << "a walk toggles nothing"; }
}

INSTANTIATE_TEST_SUITE_P(Grid, EditorWalk, ::testing::ValuesIn(kWalks),
                         [](const ::testing::TestParamInfo<WalkCase>& i) { return std::string(i.param.Name); });

// ---------------------------------------------------------------- Home and End in the editor
struct HomeEndCase {
  const char* Name;
  bool CaretHome;  // the caret stands at the text's start before the key, else at its end
  int QtKey;
  Qt::KeyboardModifiers Mods;
  bool Stays;  // the editor stays open on its cell
  int Caret;
};

const HomeEndCase kHomeEnds[] = {
    {"HomeAtTheStartStaysInTheEditor", true, Qt::Key_Home, Qt::NoModifier, true, 0},
    {"EndAtTheEndStaysInTheEditor", false, Qt::Key_End, Qt::NoModifier, true, 2},
    {"HomeAtTheEndGoesToTheStart", false, Qt::Key_Home, Qt::NoModifier, true, 0},
    {"CtrlHomeLeavesForTheGrid", false, Qt::Key_Home, Qt::ControlModifier, false, -1},
};

class EditorHomeEnd : public GridInputTest, public ::testing::WithParamInterface<HomeEndCase> {};

TEST_P(EditorHomeEnd, MoveTheCaretOnly) {
  const HomeEndCase& k = GetParam();
  Load();
  grid->FocusCell(3, 2, true);
  Type("ab");
  ASSERT_TRUE(EditorShown());
  if (k.CaretHome) grid->InplaceEditor()->SetSelStart(0);
  Key(k.QtKey, k.Mods);
  EXPECT_EQ(Current() == TPoint(3, 2) && EditorShown(), k.Stays);
  if (k.Stays) {
    EXPECT_EQ(grid->InplaceEditor()->SelStart(), k.Caret);
    EXPECT_EQ(grid->InplaceEditor()->SelLength(), 0);
  }
}

INSTANTIATE_TEST_SUITE_P(Grid, EditorHomeEnd, ::testing::ValuesIn(kHomeEnds),
                         [](const ::testing::TestParamInfo<HomeEndCase>& i) { return std::string(i.param.Name); });

// ---------------------------------------------------------------- the caret a click places
struct CaretCase {
  const char* Name;
  bool Positioning, SelectAll;
  bool AtLeft;  // the click falls left of the text, else right of it
  int SelStart, SelLength;
};

const CaretCase kCarets[] = {
    {"AClickLeftOfTheTextPutsTheCaretAtItsStart", true, true, true, 0, 0},
    {"AClickRightOfTheTextPutsTheCaretAtItsEnd", true, true, false, 8, 0},
    {"AClickWithoutSelectAllStillPlacesTheCaret", true, false, true, 0, 0},
    {"WithoutPositioningTheTextIsSelected", false, true, true, 0, 8},
    {"WithoutPositioningNorSelectAllTheCaretGoesToTheEnd", false, false, true, 8, 0},
};

class ClickCaret : public GridInputTest, public ::testing::WithParamInterface<CaretCase> {};

TEST_P(ClickCaret, OnTheCurrentCell) {
  const CaretCase& k = GetParam();
  grid->MouseActions()->CaretPositioning = k.Positioning;
  grid->Navigation()->EditSelectAll = k.SelectAll;
  grid->SetColWidths(2, 200);
  grid->SetCells(2, 1, "abcdefgh");
  Load();
  grid->FocusCell(2, 1, true);
  const TRect r = grid->CellRect(2, 1);
  const int y = (r.Top + r.Bottom) / 2;
  Click(k.AtLeft ? r.Left + 3 : r.Right - 5, y);
  ASSERT_TRUE(EditorShown());
  TInplaceEdit* e = grid->InplaceEditor();
  EXPECT_EQ(e->SelStart(), k.SelStart);
  EXPECT_EQ(e->SelLength(), k.SelLength);
}

INSTANTIATE_TEST_SUITE_P(Grid, ClickCaret, ::testing::ValuesIn(kCarets),
                         [](const ::testing::TestParamInfo<CaretCase>& i) { return std::string(i.param.Name); });

TEST_F(GridInputTest, OnlyTheEditorAPressOpensTakesItsCaretFromThePress) {
  grid->MouseActions()->CaretPositioning = true;
  grid->SetColWidths(2, 200);
  grid->SetCells(2, 1, "abcdefgh");
  Load();
  grid->FocusCell(1, 1, true);
  // A press that only makes the cell current opens no editor; F2 later selects as it always does.
  const TRect r = grid->CellRect(2, 1);
  Click(r.Left + 3, (r.Top + r.Bottom) / 2);
  ASSERT_EQ(Current(), TPoint(2, 1));
  ASSERT_FALSE(EditorShown());
  Key(Qt::Key_F2);
  ASSERT_TRUE(EditorShown());
  EXPECT_EQ(grid->InplaceEditor()->SelStart(), 0);
  EXPECT_EQ(grid->InplaceEditor()->SelLength(), 8);
}

// ---------------------------------------------------------------- the combo's drop-down width
struct DropCase {
  const char* Name;
  bool Auto;
  int DropWidth;  // the combo's own setting
  int DropDownCount;
  std::vector<std::string> Items;
  int Extra;  // the widest item's text width plus this, or 0 for the expected width below
  int Want;   // -1: the box's width
};

const std::string kLong = "a rather long item of the list, wider than its cell";

const DropCase kDrops[] = {
    {"NarrowItemsKeepTheBoxsWidth", true, 0, 8, {"a", "b"}, 0, -1},
    {"AWideItemWidensTheList", true, 0, 8, {"a", kLong}, 8, 0},
    {"AScrollingListLeavesRoomForItsBar", true, 0, 1, {"a", kLong}, 25, 0},
    {"WithoutAutoTheSetWidthHolds", false, 150, 8, {"a", kLong}, 0, 150},
    {"WithoutAutoNorASetWidthTheListIsNotWidened", false, 0, 8, {"a", kLong}, 0, 0},
};

class ComboDrop : public GridInputTest, public ::testing::WithParamInterface<DropCase> {};

TEST_P(ComboDrop, WidthWhenTheComboOpens) {
  const DropCase& k = GetParam();
  grid->Navigation()->AutoComboDropSize = k.Auto;
  grid->OnGetEditorType = [](TObject*, int c, int, TEditorType& e) {
    if (c == 2) e = edComboEdit;
  };
  Load();
  TGridCombo* combo = grid->ComboBox();
  // A width set before stays until the grid sizes the list for the items.
  combo->SetDroppedWidth(999);
  combo->SetDropWidth(k.DropWidth);
  combo->SetDropDownCount(k.DropDownCount);
  for (const std::string& i : k.Items) combo->Items()->Add(i);
  grid->FocusCell(2, 1, true);
  Key(Qt::Key_F2);
  ASSERT_EQ(grid->ActiveCellEditor(), combo);
  int want = k.Want;
  if (k.Want < 0) want = combo->Width();
  if (k.Extra > 0) {
    TCanvas* cv = combo->Canvas();
    cv->Font()->Assign(combo->Font());
    int widest = 0;
    for (const std::string& i : k.Items) widest = std::max(widest, cv->TextWidth(i));
    ASSERT_GT(widest, combo->Width());
    want = widest + k.Extra;
  }
  EXPECT_EQ(combo->DroppedWidth(), want);
}

INSTANTIATE_TEST_SUITE_P(Grid, ComboDrop, ::testing::ValuesIn(kDrops),
                         [](const ::testing::TestParamInfo<DropCase>& i) { return std::string(i.param.Name); });

// ---------------------------------------------------------------- the combo completing what is typed
struct ComboLookupCase {
  const char* Name;
  bool GridLookup, CaseSensitive, ComboLookup;
  const char* Typed;
  bool Backspace;  // Backspace after typing
  const char* Text;
  int Index;
  const char* Selected;
};

const ComboLookupCase kComboLookups[] = {
    {"WithoutLookupTheTypedTextStays", false, false, true, "tw", false, "tw", -1, ""},
    {"TheFirstItemThatStartsSoCompletes", true, false, true, "t", false, "two", 1, "wo"},
    {"CaseDoesNotMatterByDefault", true, false, true, "TH", false, "three", 2, "ree"},
    {"CaseSensitiveFindsNothingInOtherCase", true, true, true, "TH", false, "TH", -1, ""},
    {"BackspaceCompletesNothing", true, false, true, "tw", true, "tw", -1, ""},
    {"AComboWithoutItsLookupLeavesTheText", true, false, false, "tw", false, "tw", -1, ""},
};

class ComboLookup : public GridInputTest, public ::testing::WithParamInterface<ComboLookupCase> {};

TEST_P(ComboLookup, Typing) {
  const ComboLookupCase& k = GetParam();
  grid->Lookup = k.GridLookup;
  grid->LookupCaseSensitive = k.CaseSensitive;
  grid->OnGetEditorType = [](TObject*, int c, int, TEditorType& e) {
    if (c == 2) e = edComboEdit;
  };
  Load();
  TGridCombo* combo = grid->ComboBox();
  combo->LookupEnabled = k.ComboLookup;
  for (const char* i : {"one", "two", "three"}) combo->Items()->Add(i);
  grid->FocusCell(2, 1, true);
  Key(Qt::Key_F2);
  ASSERT_EQ(grid->ActiveCellEditor(), combo);
  for (const char* c = k.Typed; *c; ++c) {
    const char ch = *c;
    const int key = ch >= 'a' && ch <= 'z' ? Qt::Key_A + (ch - 'a') : Qt::Key_A + (ch - 'A');
    SendKeyEvent(combo, key, ch >= 'A' && ch <= 'Z' ? Qt::ShiftModifier : Qt::NoModifier, QString(QChar(ch)));
  }
  if (k.Backspace) SendKeyEvent(combo, Qt::Key_Backspace);
  EXPECT_EQ(combo->Text(), k.Text);
  EXPECT_EQ(combo->ItemIndex(), k.Index);
  EXPECT_EQ(combo->SelText(), k.Selected);
}

INSTANTIATE_TEST_SUITE_P(Grid, ComboLookup, ::testing::ValuesIn(kComboLookups),
                         [](const ::testing::TestParamInfo<ComboLookupCase>& i) { return std::string(i.param.Name); });

// ---------------------------------------------------------------- presses on a partly shown last row
struct PartialCase {
  const char* Name;
  bool NoAutoRange, NoScroll;
  bool PressPartial;  // the press falls on the partly shown last row, else on the row above it
  bool Scrolls;       // the press scrolls the row into view
  bool Ranges;        // dragging up one row and the scroll timer make a range
};

const PartialCase kPartials[] = {
    {"APressOnThePartRowScrollsItIntoViewAndDragsARange", false, false, true, true, true},
    {"NoScrollKeepsTheTopRow", false, true, true, false, true},
    {"NoAutoRangeMakesThePressAPlainClick", true, false, true, true, false},
    {"BothKeepTheViewAndTheCell", true, true, true, false, false},
    {"AFullRowStillDragsARange", true, true, false, false, true},
};

class PartialRow : public GridInputTest, public ::testing::WithParamInterface<PartialCase> {};

TEST_P(PartialRow, Press) {
  const PartialCase& k = GetParam();
  grid->MouseActions()->NoAutoRangeScroll = k.NoAutoRange;
  grid->MouseActions()->NoScrollOnPartialRow = k.NoScroll;
  grid->SetRowCount(40);
  // Rows of 24 and 1 pixel lines in a client 300 high (less a frame): a part of the last row shows.
  Load();
  const int top = grid->TopRow();
  const int partial = top + grid->VisibleRowCount();
  const TRect pr = grid->CellRect(2, partial);
  ASSERT_LT(pr.Top, grid->ClientHeight());
  ASSERT_GT(pr.Top + grid->RowHeights(partial), grid->ClientHeight()) << "the row shows only in part";
  const int row = k.PressPartial ? partial : partial - 1;
  const int y = k.PressPartial ? (pr.Top + grid->ClientHeight()) / 2 : pr.Top - 5;
  const int x = Mid(2, top).X;
  int clicks = 0;
  grid->OnClick = [&](TObject*) { ++clicks; };
  Mouse(QEvent::MouseButtonPress, x, y);
  EXPECT_EQ(Current(), TPoint(2, row));
  EXPECT_EQ(grid->TopRow() != top, k.Scrolls);
  // Dragging to the row above, and the scroll timer ticking with the mouse at the bottom.
  const TRect above = grid->CellRect(2, grid->Row() - 1);
  Mouse(QEvent::MouseMove, x, (above.Top + above.Bottom) / 2);
  const bool ranged = grid->Selection().Top != grid->Selection().Bottom;
  EXPECT_EQ(ranged, k.Ranges);
  if (!k.Ranges) {
    Mouse(QEvent::MouseMove, x, grid->ClientHeight() - 1);
    const int topNow = grid->TopRow();
    grid->Perform(WM_TIMER, 1, 0);
    EXPECT_EQ(grid->TopRow(), topNow) << "the timer scrolls nothing";
    EXPECT_EQ(grid->Selection(), (TGridRect{2, row, 2, row}));
  }
  Mouse(QEvent::MouseButtonRelease, x, y);
  EXPECT_EQ(clicks, 1) << "the release clicks";
}

INSTANTIATE_TEST_SUITE_P(Grid, PartialRow, ::testing::ValuesIn(kPartials),
                         [](const ::testing::TestParamInfo<PartialCase>& i) { return std::string(i.param.Name); });

// ---------------------------------------------------------------- the keypad's point in a float spin
struct SpinPointCase {
  const char* Name;
  bool German, Excel, Keypad;
  const char* Want;
};

const SpinPointCase kSpinPoints[] = {
    {"TheKeypadTypesTheLocalesComma", true, true, true, "3,25"},
    {"TheMainKeyboardsPointStaysAPointAndIsRefused", true, true, false, "325"},
    {"WithoutTheSettingTheKeypadTypesAPoint", true, false, true, "325"},
    {"UnderAPointLocaleTheKeypadTypesAPoint", false, true, true, "3.25"},
};

class SpinPoint : public GridInputTest, public ::testing::WithParamInterface<SpinPointCase> {};

TEST_P(SpinPoint, FloatSpinCell) {
  const SpinPointCase& k = GetParam();
  ExtUtil::TLocaleScope scope(k.German ? GermanDE() : EnglishUS());
  grid->ExcelStyleDecimalSeparator = k.Excel;
  grid->OnGetEditorType = [](TObject*, int c, int, TEditorType& e) {
    if (c == 2) e = edFloatSpinEdit;
  };
  Load();
  grid->FocusCell(2, 1, true);
  Key(Qt::Key_F2);
  TWinControl* spin = grid->ActiveCellEditor();
  ASSERT_NE(spin, nullptr);
  SendKeyEvent(spin, Qt::Key_3, Qt::NoModifier, "3");
  SendKeyEvent(spin, Qt::Key_Period, k.Keypad ? Qt::KeypadModifier : Qt::NoModifier, ".");
  SendKeyEvent(spin, Qt::Key_2, Qt::NoModifier, "2");
  SendKeyEvent(spin, Qt::Key_5, Qt::NoModifier, "5");
  EXPECT_EQ(spin->Text(), k.Want);
}

INSTANTIATE_TEST_SUITE_P(Grid, SpinPoint, ::testing::ValuesIn(kSpinPoints),
                         [](const ::testing::TestParamInfo<SpinPointCase>& i) { return std::string(i.param.Name); });

// ---------------------------------------------------------------- the multi-line editor
// With WordWrap and Multilinecells the editor shows a two-line cell as two lines from (2, 2),
// whatever the cell's vertical alignment; Down walks to the second line, typing lands there, and
// Down on the last line leaves the cell.
TEST_F(GridInputTest, AWrappingGridsEditorShowsTheCellsLinesOneUnderTheOther) {
  grid->SetWordWrap(true);
  grid->Multilinecells = true;
  grid->SetVAlignment(vtaCenter);
  grid->SetRowHeights(2, 60);
  grid->SetColWidths(1, 200);
  Load();
  grid->SetCells(1, 2, "first line\r\nsecond line");
  grid->FocusCell(1, 2, true);
  Key(Qt::Key_F2);
  TInplaceEdit* e = grid->InplaceEditor();
  ASSERT_TRUE(e && e->Visible());
  EXPECT_FALSE(e->EditStyle() & ES_AUTOHSCROLL) << "WordWrap takes the horizontal scrolling off";
  const TPoint first = e->PosFromChar(0), second = e->PosFromChar(12);
  EXPECT_EQ(first.Y, 2) << "the first line at the top of the text rectangle";
  EXPECT_LE(std::abs(first.X - 2), 1);
  EXPECT_EQ(second.X, first.X) << "the second line starts under the first";
  EXPECT_GT(second.Y, first.Y + 8);
  EXPECT_EQ(e->LineCount(), 2);
  Key(Qt::Key_Home);
  Key(Qt::Key_Down);
  EXPECT_EQ(e->CaretLine(), 1);
  EXPECT_TRUE(e->Visible()) << "Down inside the text stays in the editor";
  Type("X");
  EXPECT_EQ(e->Text(), "first line\r\nXsecond line");
  Key(Qt::Key_Down);
  EXPECT_EQ(Current(), TPoint(1, 3)) << "Down on the last line leaves the cell";
  EXPECT_EQ(grid->Cells(1, 2), "first line\r\nXsecond line");
}

// ---------------------------------------------------------------- the date picker's event
TEST_F(GridInputTest, ADayPickedInTheCellsPickerIsToldWithTheEditedCell) {
  grid->OnGetEditorType = [](TObject*, int c, int, TEditorType& e) {
    if (c == 3) e = edDateEdit;
  };
  struct Told {
    int Col, Row;
    TDateTime Value;
  };
  std::vector<Told> told;
  grid->OnDateTimeChange = [&](TObject* Sender, int c, int r, TDateTime v) {
    EXPECT_EQ(Sender, grid);
    told.push_back({c, r, v});
  };
  Load();
  grid->SetCells(3, 4, DateToStr(EncodeDate(2024, 1, 5)));
  grid->FocusCell(3, 4, true);
  Key(Qt::Key_F2);
  TGridDatePicker* p = grid->DateEditor();
  ASSERT_EQ(grid->ActiveCellEditor(), p);
  EXPECT_TRUE(told.empty()) << "opening on the cell's date is no change";
  SendKeyEvent(p, Qt::Key_F4);
  ASSERT_TRUE(p->DroppedDown());
  ClickWidgetIn(p->Calendar()->DayView(), p->Calendar()->DayRect(EncodeDate(2024, 1, 20)));
  ASSERT_EQ(told.size(), 1u);
  EXPECT_EQ(told[0].Col, 3);
  EXPECT_EQ(told[0].Row, 4);
  EXPECT_EQ(std::floor(told[0].Value), EncodeDate(2024, 1, 20));
}

}  // namespace
