// The in-cell editor controls: made once on first use, filled from the cell,
// giving the value back; the list and date rules; typed numbers and dates
// under both separator conventions.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "controls/grid/ExtGridEditors.h"
#include "controls/grid/ExtUtil.h"
#include "tests/controls/grid/GridInputFixture.h"
#include "tests/controls/grid/GridTestLocales.h"

namespace {

TEST(ComboListPick, TheCellsItemThePresetTheFirstOrNone) {
  TStringList items;
  EXPECT_EQ(ComboListPick(items, "x", -1), -1) << "no items takes no item";
  EXPECT_EQ(ComboListPick(items, "x", 3), -1) << "a preset cannot name an item that is not there";
  items.Add("low");
  items.Add("mid");
  items.Add("high");
  EXPECT_EQ(ComboListPick(items, "mid", 2), 1);
  EXPECT_EQ(ComboListPick(items, "other", 2), 2);
  EXPECT_EQ(ComboListPick(items, "other", 7), 0);
  EXPECT_EQ(ComboListPick(items, "other", -1), 0);
}

TEST(CellDateOrNow, NotADateFallsBackToNow) {
  TDateTime before = Now();
  TDateTime v = CellDateOrNow("no date here", false);
  EXPECT_GE(v, before);
  EXPECT_LE(v, Now());
  v = CellDateOrNow("", true);
  EXPECT_GE(v, before);
  v = CellDateOrNow("25:99", true);
  EXPECT_GE(v, before) << "not a time falls back to now too";
}

class EditorsTest : public GridInputTest {};

TEST_F(EditorsTest, ControlsAreMadeOnFirstUseAndKindsWithoutOneEditAsText) {
  grid->OnGetEditorType = [](TObject*, int c, int, TEditorType& e) {
    if (c == 2) e = edComboEdit;
    if (c == 3) e = edSpinEdit;  // no control of its own yet
  };
  Load();
  int combos = 0;
  for (int i = 0; i < grid->ComponentCount(); ++i) combos += dynamic_cast<TGridCombo*>(grid->Components(i)) != nullptr;
  EXPECT_EQ(combos, 0) << "nothing is made before a cell needs it";
  grid->FocusCell(3, 2, true);
  Type("7");
  EXPECT_TRUE(EditorShown()) << "a kind without a control edits as text";
  Key(Qt::Key_Return);
  EXPECT_EQ(grid->Cells(3, 2), "7");
  grid->FocusCell(2, 2, true);
  Key(Qt::Key_F2);
  ASSERT_NE(grid->ActiveCellEditor(), nullptr);
  TWinControl* first = grid->ActiveCellEditor();
  EXPECT_TRUE(first->Visible());
  EXPECT_EQ(dynamic_cast<TGridCombo*>(first)->Text(), "2:2");
  dynamic_cast<TGridCombo*>(first)->SetText("typed");
  SendKeyEvent(first, Qt::Key_Tab);
  EXPECT_EQ(grid->Cells(2, 2), "typed");
  EXPECT_FALSE(first->Visible());
  EXPECT_EQ(Current(), TPoint(3, 2));
  grid->FocusCell(2, 4, true);
  Key(Qt::Key_F2);
  EXPECT_EQ(grid->ActiveCellEditor(), first) << "one control per kind, made once";
  SendKeyEvent(first, Qt::Key_Escape);
  EXPECT_EQ(grid->Cells(2, 4), "2:4");
}

TEST_F(EditorsTest, AListWithoutItemsTakesNoItemAndLeavesTheCell) {
  grid->OnGetEditorType = [](TObject*, int c, int, TEditorType& e) {
    if (c == 2) e = edComboList;
  };
  int changes = 0;
  grid->OnComboChange = [&](TObject*, int, int, int, const std::string&) { ++changes; };
  Load();
  grid->FocusCell(2, 3, true);
  Key(Qt::Key_F2);
  ASSERT_NE(grid->ActiveCellEditor(), nullptr);
  EXPECT_EQ(grid->ComboBox()->ItemIndex(), -1);
  SendKeyEvent(grid->ActiveCellEditor(), Qt::Key_Tab);
  EXPECT_EQ(grid->Cells(2, 3), "2:3") << "no choice writes nothing back";
  EXPECT_EQ(changes, 0);

  grid->ComboBox()->Items()->Add("on");
  grid->ComboBox()->Items()->Add("off");
  grid->FocusCell(2, 5, true);
  Key(Qt::Key_F2);
  EXPECT_EQ(grid->ComboBox()->ItemIndex(), 0);
  EXPECT_EQ(changes, 1) << "a choice the cell did not hold is told";
  SendKeyEvent(grid->ActiveCellEditor(), Qt::Key_Return);
  EXPECT_EQ(grid->Cells(2, 5), "on");
}

TEST_F(EditorsTest, DateEditorTakesTheCellsDateOrNow) {
  grid->OnGetEditorType = [](TObject*, int c, int, TEditorType& e) {
    if (c == 2) e = edDateEdit;
  };
  Load();
  TDateTime d = EncodeDate(1999, 12, 31);
  grid->SetCells(2, 1, DateToStr(d));
  grid->FocusCell(2, 1, true);
  Key(Qt::Key_F2);
  ASSERT_NE(grid->ActiveCellEditor(), nullptr);
  EXPECT_EQ(std::floor(grid->DateEditor()->Value()), d);
  SendKeyEvent(grid->ActiveCellEditor(), Qt::Key_Return);
  EXPECT_EQ(grid->Cells(2, 1), DateToStr(d));

  TDateTime before = std::floor(Now());
  grid->FocusCell(2, 2, true);  // "2:2" is no date
  Key(Qt::Key_F2);
  ASSERT_NE(grid->ActiveCellEditor(), nullptr);
  EXPECT_GE(grid->DateEditor()->Value(), before);
  SendKeyEvent(grid->ActiveCellEditor(), Qt::Key_Return);
  EXPECT_EQ(grid->Cells(2, 2), DateToStr(grid->DateEditor()->Value()));

  // Opened and left without a change: the cell keeps its text.
  grid->FocusCell(2, 3, true);
  Key(Qt::Key_F2);
  ASSERT_NE(grid->ActiveCellEditor(), nullptr);
  ClickCell(1, 5);
  EXPECT_EQ(grid->ActiveCellEditor(), nullptr);
  EXPECT_EQ(grid->Cells(2, 3), "2:3");
  EXPECT_EQ(Current(), TPoint(1, 5));
}

// ---------------------------------------------------------------- both separator conventions
class LocaleEditing : public GridInputTest, public ::testing::WithParamInterface<TLocaleCase> {};

TEST_P(LocaleEditing, FloatCellsAndTheKeypadFollowTheLocale) {
  const TLocaleCase& lc = GetParam();
  ExtUtil::TLocaleScope scope(lc.Locale);
  grid->OnGetEditorType = [](TObject*, int, int, TEditorType& e) { e = edFloat; };
  grid->ExcelStyleDecimalSeparator = true;
  Load();
  grid->FocusCell(1, 1, true);
  Type(lc.Grouped);  // the thousand separator is dropped, the decimal one kept once
  std::string dec(1, lc.Locale.DecimalSeparator);
  EXPECT_EQ(EditorText(), "1234" + dec + "5");
  Key(Qt::Key_Escape);
  grid->FocusCell(1, 2, true);
  Type("3");
  SendKeyEvent(Target(), Qt::Key_Period, Qt::KeypadModifier, ".");
  Type("25");
  EXPECT_EQ(EditorText(), "3" + dec + "25") << "the keypad's point types the locale's separator";
  Key(Qt::Key_Return);
  EXPECT_EQ(grid->Cells(1, 2), "3" + dec + "25");
  double v = 0;
  ASSERT_TRUE(TryStrToFloat(grid->Cells(1, 2), v));
  EXPECT_DOUBLE_EQ(v, 3.25);
}

TEST_P(LocaleEditing, DateCellsAreReadInTheLocalesFormat) {
  const TLocaleCase& lc = GetParam();
  ExtUtil::TLocaleScope scope(lc.Locale);
  grid->OnGetEditorType = [](TObject*, int, int, TEditorType& e) { e = edDateEdit; };
  Load();
  grid->SetCells(1, 1, lc.EarlyDate);
  grid->FocusCell(1, 1, true);
  Key(Qt::Key_F2);
  ASSERT_NE(grid->ActiveCellEditor(), nullptr);
  EXPECT_EQ(std::floor(grid->DateEditor()->Value()), EncodeDate(1999, 12, 31));
  SendKeyEvent(grid->ActiveCellEditor(), Qt::Key_Escape);
}

INSTANTIATE_TEST_SUITE_P(Grid, LocaleEditing, ::testing::Values(EnglishCase(), GermanCase()),
                         [](const ::testing::TestParamInfo<TLocaleCase>& i) { return std::string(i.param.Name); });

// ---------------------------------------------------------------- editing switched per clickable cell
TEST_F(EditorsTest, EditingSwitchedOnForAClickableCellIsSwitchedOffOnTheNextCell) {
  grid->SetOptions(grid->Options() & ~static_cast<TGridOptions>(goEditing));
  auto g = std::make_unique<TCellGraphic>();
  g->CellType = ctCheckBox;
  grid->GetCellProperties(2, 2)->Graphic = std::move(g);
  // The window lets the check box be worked; other cells keep what the grid says.
  grid->OnCanEditCell = [](TObject*, int r, int c, bool& can) {
    if (c == 2 && r == 2) can = true;
  };
  Load();
  grid->FocusCell(2, 2, true);
  EXPECT_TRUE(grid->Options() & goEditing) << "the check box cell can be worked";
  grid->FocusCell(3, 2, true);
  EXPECT_FALSE(grid->Options() & goEditing) << "the next cell is not editable again";
  Type("x");
  EXPECT_EQ(grid->Cells(3, 2), "3:2");
}

}  // namespace
