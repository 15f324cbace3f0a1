// The in-cell editor controls: made once on first use, filled from the cell,
// giving the value back; the list and date rules; typed numbers and dates
// under both separator conventions.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QComboBox>

#include <cmath>
#include <memory>
#include <utility>
#include <vector>

#include "controls/grid/ExtGridEditors.h"
#include "controls/grid/ExtGridEditLink.h"
#include "controls/grid/ExtGridMarkupControls.h"
#include "controls/grid/ExtUtil.h"
#include "controls/markup/MarkupText.h"
#include "controls/markup/PictureContainer.h"
#include "platform/gui/ImgList.h"
#include "platform/gui/Calendar.h"
#include "platform/gui/testing/InputEvents.h"
#include "platform/rtl/Win1252.h"
#include "tests/controls/grid/GridInputFixture.h"
#include "tests/controls/grid/GridTestLocales.h"
#include "tests/controls/grid/TextEditLink.h"

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

class EditorsTest : public GridInputTest {
 protected:
  // Column 2 edits with the kind the test sets in Kind.
  void KindInColumn2(TEditorType& Kind) {
    grid->OnGetEditorType = [&Kind](TObject*, int c, int, TEditorType& e) {
      if (c == 2) e = Kind;
    };
  }
};

bool Inside(const TRect& R, TPoint P) { return P.X >= R.Left && P.X < R.Right && P.Y >= R.Top && P.Y < R.Bottom; }

TEST_F(EditorsTest, ControlsAreMadeOnFirstUseAndKindsWithoutOneEditAsText) {
  grid->OnGetEditorType = [](TObject*, int c, int, TEditorType& e) {
    if (c == 2) e = edComboEdit;
    if (c == 3) e = edCustom;  // no edit link: plain text
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
  ASSERT_TRUE(ExtObj::IsWinXP());
  EXPECT_TRUE(dynamic_cast<TGridCombo*>(first)->IsWinXP()) << "the grid gives its combo the themed drop-down part";
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

// Every editor control takes the cell's colour and font, as the cell is painted.
TEST_F(EditorsTest, EditorControlsTakeTheCellsColourAndFont) {
  TEditorType kind = edNormal;
  grid->OnGetEditorType = [&](TObject*, int, int, TEditorType& e) { e = kind; };
  Load();
  TCellProperties* p = grid->GetCellProperties(2, 2);
  p->SetBrushColor(clRed);
  p->FontColor = clYellow;
  p->FontStyle = fsBold;
  const TEditorType kinds[] = {edSpinEdit, edFloatSpinEdit, edComboEdit, edComboList, edEditBtn,
                               edUnitEditBtn, edDateEdit, edTimeEdit, edCheckBox, edButton};
  for (TEditorType k : kinds) {
    SCOPED_TRACE(static_cast<int>(k));
    kind = k;
    grid->FocusCell(2, 2, true);
    Key(Qt::Key_F2);
    TWinControl* c = grid->ActiveCellEditor();
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->Color(), clRed);
    EXPECT_EQ(c->Font()->Color(), clYellow);
    EXPECT_TRUE(c->Font()->Style() & fsBold);
    EXPECT_EQ(c->Font()->Name(), grid->Font()->Name());
    if (auto* e = dynamic_cast<TEsgEditBtn*>(c)) {
      EXPECT_EQ(e->ButtonCaption(), "...");
    }
    SendKeyEvent(c, Qt::Key_Escape);
    grid->FocusCell(1, 1, true);
  }
  // A plain cell's editor goes back to the grid's colour and font.
  kind = edSpinEdit;
  grid->FocusCell(3, 3, true);
  Key(Qt::Key_F2);
  ASSERT_NE(grid->ActiveCellEditor(), nullptr);
  EXPECT_EQ(grid->ActiveCellEditor()->Color(), grid->Color());
  EXPECT_EQ(grid->ActiveCellEditor()->Font()->Color(), grid->Font()->Color());
  EXPECT_FALSE(grid->ActiveCellEditor()->Font()->Style() & fsBold);
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

  grid->ComboBox()->SetItemIndex(1);
  grid->FocusCell(2, 6, true);
  Key(Qt::Key_F2);
  EXPECT_EQ(grid->ComboBox()->ItemIndex(), 1);
  EXPECT_EQ(changes, 1) << "a preset choice is not told";
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
  EXPECT_EQ(std::floor(grid->DateEditor()->DateTime()), d);
  SendKeyEvent(grid->ActiveCellEditor(), Qt::Key_Return);
  EXPECT_EQ(grid->Cells(2, 1), DateToStr(d));

  TDateTime before = std::floor(Now());
  grid->FocusCell(2, 2, true);  // "2:2" is no date
  Key(Qt::Key_F2);
  ASSERT_NE(grid->ActiveCellEditor(), nullptr);
  EXPECT_GE(grid->DateEditor()->DateTime(), before);
  SendKeyEvent(grid->ActiveCellEditor(), Qt::Key_Return);
  EXPECT_EQ(grid->Cells(2, 2), DateToStr(grid->DateEditor()->DateTime()));

  // Opened and left without a change: the cell keeps its text.
  grid->FocusCell(2, 3, true);
  Key(Qt::Key_F2);
  ASSERT_NE(grid->ActiveCellEditor(), nullptr);
  ClickCell(1, 5);
  EXPECT_EQ(grid->ActiveCellEditor(), nullptr);
  EXPECT_EQ(grid->Cells(2, 3), "2:3");
  EXPECT_EQ(Current(), TPoint(1, 5));
}

TEST_F(EditorsTest, APickedDayCommitsThroughTheValidationAndTheCalendarsEscapeKeepsTheEdit) {
  grid->OnGetEditorType = [](TObject*, int c, int, TEditorType& e) {
    if (c == 2) e = edDateEdit;
  };
  bool accept = false;
  std::vector<std::string> validated;
  grid->OnCellValidate = [&](TObject*, int, int, std::string& v, bool& valid) {
    validated.push_back(v);
    valid = accept;
  };
  Load();
  const std::string jan5 = DateToStr(EncodeDate(2024, 1, 5)), jan20 = DateToStr(EncodeDate(2024, 1, 20));
  grid->SetCells(2, 1, jan5);
  grid->FocusCell(2, 1, true);
  Key(Qt::Key_F2);
  TGridDatePicker* p = grid->DateEditor();
  ASSERT_EQ(grid->ActiveCellEditor(), p);
  const auto pick20 = [&](int DropKey, Qt::KeyboardModifiers Mods) {
    SendKeyEvent(p, DropKey, Mods);
    ASSERT_TRUE(p->DroppedDown());
    ClickWidgetIn(p->Calendar()->DayView(), p->Calendar()->DayRect(EncodeDate(2024, 1, 20)));
    EXPECT_FALSE(p->DroppedDown());
  };
  SendKeyEvent(p, Qt::Key_F4);
  ASSERT_TRUE(p->DroppedDown());
  SendWidgetKey(p->Calendar()->Window()->focusWidget(), Qt::Key_Escape);
  EXPECT_FALSE(p->DroppedDown());
  EXPECT_EQ(grid->ActiveCellEditor(), p) << "Escape in the calendar closes only the calendar";
  EXPECT_TRUE(validated.empty());

  pick20(Qt::Key_Down, Qt::AltModifier);
  EXPECT_EQ(validated, std::vector<std::string>{jan20});
  EXPECT_EQ(grid->ActiveCellEditor(), p) << "a refused day keeps the picker open";
  EXPECT_EQ(p->Text(), jan5);
  EXPECT_EQ(grid->Cells(2, 1), jan5);

  accept = true;
  pick20(Qt::Key_F4, Qt::NoModifier);
  EXPECT_EQ(validated.size(), 2u);
  EXPECT_EQ(grid->Cells(2, 1), jan20);
  EXPECT_EQ(grid->ActiveCellEditor(), nullptr) << "a taken day ends the edit as Return does";

  // DirectDateDrop: the calendar comes with the picker.
  grid->MouseActions()->DirectDateDrop = true;
  grid->FocusCell(2, 3, true);
  Key(Qt::Key_F2);
  EXPECT_TRUE(p->DroppedDown());
  p->CloseUp();
  SendKeyEvent(p, Qt::Key_Escape);
  EXPECT_EQ(grid->Cells(2, 3), "2:3");
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
  EXPECT_EQ(std::floor(grid->DateEditor()->DateTime()), EncodeDate(1999, 12, 31));
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

// ---------------------------------------------------------------- every editor kind's control
// One row per kind: the control it opens, the cell text it starts from, the keys that edit it,
// and the cell text after the commit (the start text for a control that writes nothing back).
struct TKindCase {
  const char* Name;
  TEditorType Kind;
  const char* Control;
  std::string Start;
  std::vector<std::pair<int, QString>> Edit;
  std::string After;
  bool ReturnCommits = true;
  bool EscapeEnds = false;  // hands Escape to the grid instead of taking the cell's text back
};

void PrintTo(const TKindCase& k, std::ostream* os) { *os << k.Name; }

std::vector<std::pair<int, QString>> Keys(const std::string& typed, std::vector<std::pair<int, QString>> before = {}) {
  for (char c : typed) before.emplace_back(c >= 'a' && c <= 'z' ? Qt::Key_A + (c - 'a') : c, QString(QChar(c)));
  return before;
}

std::vector<TKindCase> KindCases() {
  const std::pair<int, QString> end{Qt::Key_End, {}}, home{Qt::Key_Home, {}}, del{Qt::Key_Delete, {}},
      back{Qt::Key_Backspace, "\b"}, space{Qt::Key_Space, " "}, down{Qt::Key_Down, {}}, right{Qt::Key_Right, {}};
  const std::string jan5 = DateToStr(EncodeDate(2024, 1, 5)), halfOne = TimeToStr(EncodeTime(13, 30, 0, 0));
  std::string date25 = jan5;
  date25.back() = '5';  // the year's last digit typed over
  std::string half2 = halfOne;
  half2[0] = '2';
  const std::string wide = ExtUtil::EncodeWideText(u"\u03a9x");
  std::vector<std::pair<int, QString>> wipe{end};
  wipe.insert(wipe.end(), jan5.size(), back);
  return {
      // End and Home step number spins to their limits: Right goes to the text's end.
      {"Spin", edSpinEdit, "TGridSpin", "4", Keys("2x", {right}), "42"},
      {"FloatSpin", edFloatSpinEdit, "TGridSpin", "1.5", Keys(".5", {right}), "1.55"},
      {"TimeSpin", edTimeSpinEdit, "TGridSpin", halfOne, Keys("2", {home, del}), half2},
      {"DateSpin", edDateSpinEdit, "TGridSpin", jan5, Keys("5", {end, back}), date25},
      {"DateSpinTypedNoDate", edDateSpinEdit, "TGridSpin", jan5, Keys("7", wipe), jan5},  // no 1899-12-30
      {"ComboEdit", edComboEdit, "TGridCombo", "ab", Keys("c", {right}), "abc"},
      {"ComboList", edComboList, "TGridCombo", "one", {down}, "two"},
      {"UniComboEdit", edUniComboEdit, "TGridUniCombo", wide, Keys("y", {right}), "\u03a9xy"},
      {"UniComboList", edUniComboList, "TGridUniCombo", "one", {down}, "two"},
      {"CheckBox", edCheckBox, "TGridCheckBox", "caption", {space}, "caption", true, true},
      {"DataCheckBox", edDataCheckBox, "TGridCheckBox", "N", {space}, "Y", true, true},
      {"DateEdit", edDateEdit, "TGridDatePicker", jan5, Keys("5", {right, back}), date25, true, true},
      {"DateEditUpDown", edDateEditUpDown, "TGridDatePicker", jan5, Keys("5", {right, back}), date25, true, true},
      {"TimeEdit", edTimeEdit, "TGridDatePicker", halfOne, Keys("2", {home, del}), half2, true, true},
      {"Button", edButton, "TGridButton", "press", {space}, "press", false, true},
      {"EditBtn", edEditBtn, "TGridEditBtn", "ab", Keys("c", {end}), "abc"},
      {"NumericEditBtn", edNumericEditBtn, "TGridEditBtn", "12", Keys("x3-", {end}), "123"},
      {"FloatEditBtn", edFloatEditBtn, "TGridEditBtn", "1.5", Keys(".2", {end}), "1.52"},
      {"UnitEditBtn", edUnitEditBtn, "TGridUnitEditBtn", "12mV", Keys("3", {end}), "123mV"},
      {"UniEdit", edUniEdit, "TGridUniEdit", wide, Keys("y", {end}), "\u03a9xy"},
      {"UniEditBtn", edUniEditBtn, "TGridEditBtn", wide, Keys("y", {end}), "\u03a9xy"},
      {"UniMemo", edUniMemo, "TGridUniMemo", wide, Keys("y", {end}), "\u03a9xy", false},
  };
}

class KindEditing : public GridInputTest, public ::testing::WithParamInterface<TKindCase> {
 protected:
  void SetUp() override {
    GridInputTest::SetUp();
    const TKindCase& k = GetParam();
    grid->OnGetEditorType = [kind = k.Kind](TObject*, int c, int, TEditorType& e) {
      if (c == 2) e = kind;
    };
    grid->OnCellValidate = [this](TObject*, int, int, std::string&, bool& valid) {
      ++validations;
      valid = !refuse;
    };
    // The wide kinds are validated as wide text only.
    grid->OnCellValidateWide = [this](TObject*, int, int, std::u16string&, bool& valid) {
      ++validations;
      valid = !refuse;
    };
    grid->OnEllipsClick = [](TObject*, int, int, std::string& s) { s = "clicked"; };
    grid->ComboBox()->Items()->Add("one");
    grid->ComboBox()->Items()->Add("two");
    static_cast<TGridCombo*>(grid->CellEditors()->For(edUniComboList))->Items()->Assign(grid->ComboBox()->Items());
    grid->CellEditors()->Spin()->SetMaxValue(0);  // no limits
    Load();
  }
  // Opens the cell's control by F2, or by a click on the cell that a first click made current,
  // and edits it with real keys; the control is returned.
  TWinControl* OpenAndEdit(int row, bool byMouse = false) {
    const TKindCase& k = GetParam();
    grid->SetCells(2, row, k.Start);
    if (byMouse) {
      ClickCell(2, row);
      EXPECT_EQ(grid->ActiveCellEditor(), nullptr) << "the first click only makes the cell current";
      ClickCell(2, row);
    } else {
      grid->FocusCell(2, row, true);
      Key(Qt::Key_F2);
    }
    TWinControl* c = grid->ActiveCellEditor();
    if (!c) return nullptr;
    for (const auto& [key, text] : k.Edit) SendKeyEvent(c, key, Qt::NoModifier, text);
    return c;
  }
  int validations = 0;
  bool refuse = false;
};

TEST_P(KindEditing, OpensItsControlCommitsRestoresAndStaysOnARefusal) {
  const TKindCase& k = GetParam();
  const bool writes = k.After != k.Start;
  // Tab commits and walks on.
  TWinControl* c = OpenAndEdit(2);
  ASSERT_NE(c, nullptr) << "the kind opens a control";
  EXPECT_EQ(c->ClassName(), k.Control);
  EXPECT_TRUE(c->Visible());
  SendKeyEvent(c, Qt::Key_Tab);
  EXPECT_EQ(grid->Cells(2, 2), k.After);
  EXPECT_FALSE(c->Visible());
  EXPECT_EQ(Current(), TPoint(3, 2));
  EXPECT_EQ(Screen->ActiveControl(), grid) << "the grid has the keys again";
  // Opened by the mouse, Return commits too (the memo keeps it as a line break, the button
  // stays as it is).
  c = OpenAndEdit(3, true);
  ASSERT_NE(c, nullptr);
  SendKeyEvent(c, Qt::Key_Return);
  if (k.ReturnCommits) {
    EXPECT_EQ(grid->Cells(2, 3), k.After);
    EXPECT_FALSE(c->Visible());
  } else {
    EXPECT_EQ(grid->ActiveCellEditor(), c) << "Return stays in the control";
    EXPECT_EQ(Current(), TPoint(2, 3));
    SendKeyEvent(c, Qt::Key_Tab);
  }
  // Escape: the control takes the cell's text back, caret at the end, and stays open (edited
  // again, it commits what the first edit would have); the check box, the date pickers and the
  // button hand it to the grid, which ends the edit.
  c = OpenAndEdit(4, true);
  ASSERT_NE(c, nullptr);
  SendKeyEvent(c, Qt::Key_Escape);
  EXPECT_EQ(grid->Cells(2, 4), k.Start);
  if (k.EscapeEnds) {
    EXPECT_FALSE(c->Visible());
    EXPECT_EQ(grid->ActiveCellEditor(), nullptr);
  } else {
    EXPECT_TRUE(c->Visible());
    ASSERT_EQ(grid->ActiveCellEditor(), c);
    EXPECT_EQ(Current(), TPoint(2, 4));
    if (auto* e = dynamic_cast<TCustomEdit*>(c)) {
      EXPECT_EQ(e->SelStart(), static_cast<int>(e->Text().size())) << "the caret at the end";
      EXPECT_EQ(e->SelLength(), 0);
    }
    if (auto* b = dynamic_cast<TCustomComboBox*>(c); b && b->Style() == csDropDown) {
      EXPECT_EQ(b->SelStart(), static_cast<int>(b->Text().size())) << "the caret at the end";
    }
    for (const auto& [key, text] : k.Edit) SendKeyEvent(c, key, Qt::NoModifier, text);
    SendKeyEvent(c, Qt::Key_Tab);
    EXPECT_EQ(grid->Cells(2, 4), k.After);
    EXPECT_FALSE(c->Visible());
  }
  // A refused value: the cell keeps its text and the control stays open on it.
  if (!writes) return;
  refuse = true;
  validations = 0;
  c = OpenAndEdit(5);
  ASSERT_NE(c, nullptr);
  SendKeyEvent(c, Qt::Key_Tab);
  EXPECT_EQ(validations, 1);
  EXPECT_EQ(grid->Cells(2, 5), k.Start);
  EXPECT_TRUE(c->Visible());
  EXPECT_EQ(grid->ActiveCellEditor(), c);
  EXPECT_EQ(Current(), TPoint(2, 5));
  SendKeyEvent(c, Qt::Key_Escape);
  EXPECT_EQ(grid->ActiveCellEditor() == nullptr, k.EscapeEnds);
  EXPECT_EQ(grid->Cells(2, 5), k.Start);
}

INSTANTIATE_TEST_SUITE_P(Grid, KindEditing, ::testing::ValuesIn(KindCases()),
                         [](const ::testing::TestParamInfo<TKindCase>& i) { return std::string(i.param.Name); });

// Which keys each control hands to the grid and which it keeps: a typed combo's closed list,
// the check box, the button and the date pickers. Of the keys that end the edit only Tab and the
// arrows move on in the grid, and the check box passes on only Up and Down.
TEST_F(EditorsTest, EachControlHandsItsLeavingKeysToTheGridAndKeepsItsOwn) {
  const std::string jan5 = DateToStr(EncodeDate(2024, 1, 5));
  const TPoint stay(2, 5);
  struct Case {
    const char* name;
    TEditorType kind;
    std::string start;
    int key;
    bool open;  // the control still edits afterwards
    int step;   // a date picker's date afterwards: later (1), earlier (-1), the same (0)
    TPoint at;  // the current cell afterwards
  } cases[] = {
      {"combo Page Down", edComboEdit, "ab", Qt::Key_PageDown, false, 0, stay},
      {"combo Page Up", edComboEdit, "ab", Qt::Key_PageUp, false, 0, stay},
      {"combo End", edComboEdit, "ab", Qt::Key_End, false, 0, stay},
      {"combo Down", edComboEdit, "ab", Qt::Key_Down, false, 0, TPoint(2, 6)},
      {"combo Home", edComboEdit, "ab", Qt::Key_Home, true, 0, stay},
      {"combo Left", edComboEdit, "ab", Qt::Key_Left, true, 0, stay},
      {"check box Page Down", edCheckBox, "ab", Qt::Key_PageDown, false, 0, stay},
      {"check box Page Up", edCheckBox, "ab", Qt::Key_PageUp, false, 0, stay},
      {"check box End", edCheckBox, "ab", Qt::Key_End, false, 0, stay},
      {"check box Home", edCheckBox, "ab", Qt::Key_Home, true, 0, stay},
      {"check box Up", edCheckBox, "ab", Qt::Key_Up, false, 0, TPoint(2, 4)},
      {"check box Down", edCheckBox, "ab", Qt::Key_Down, false, 0, TPoint(2, 6)},
      {"check box Left", edCheckBox, "ab", Qt::Key_Left, false, 0, stay},
      {"check box Right", edCheckBox, "ab", Qt::Key_Right, false, 0, stay},
      {"data check box Down", edDataCheckBox, "ab", Qt::Key_Down, false, 0, TPoint(2, 6)},
      {"button Up", edButton, "ab", Qt::Key_Up, false, 0, TPoint(2, 4)},
      {"button Down", edButton, "ab", Qt::Key_Down, false, 0, TPoint(2, 6)},
      {"button Left", edButton, "ab", Qt::Key_Left, false, 0, TPoint(1, 5)},
      {"button Right", edButton, "ab", Qt::Key_Right, false, 0, TPoint(3, 5)},
      {"date Up", edDateEdit, jan5, Qt::Key_Up, true, 1, stay},
      {"date Down", edDateEdit, jan5, Qt::Key_Down, true, -1, stay},
      {"date Page Down", edDateEdit, jan5, Qt::Key_PageDown, false, 0, stay},
      {"date End", edDateEdit, jan5, Qt::Key_End, false, 0, stay},
      {"up-down date Up", edDateEditUpDown, jan5, Qt::Key_Up, true, 1, stay},
      {"up-down date Page Up", edDateEditUpDown, jan5, Qt::Key_PageUp, false, 0, stay},
      {"rich edit Down, word wrap on", edRichEdit, "ab", Qt::Key_Down, true, 0, stay},
      {"rich edit Left", edRichEdit, "ab", Qt::Key_Left, true, 0, stay},
  };
  TEditorType kind = edNormal;
  KindInColumn2(kind);
  grid->ComboBox()->Items()->Add("one");
  grid->ComboBox()->Items()->Add("two");
  grid->SetRowCount(40);
  Load();
  for (const Case& k : cases) {
    kind = k.kind;
    grid->SetCells(2, 5, k.start);
    grid->FocusCell(2, 5, true);
    Key(Qt::Key_F2);
    TWinControl* c = grid->ActiveCellEditor();
    ASSERT_NE(c, nullptr) << k.name;
    const TDateTime before = grid->DateEditor()->DateTime();
    SendKeyEvent(c, k.key);
    EXPECT_EQ(grid->ActiveCellEditor() != nullptr, k.open) << k.name;
    EXPECT_EQ(c->Visible(), k.open) << k.name;
    EXPECT_EQ(Current(), k.at) << k.name;
    if (k.kind == edComboEdit) {
      EXPECT_EQ(grid->Cells(2, 5), "ab") << k.name << ": no list item replaces the text";
    }
    if (k.open && (k.kind == edDateEdit || k.kind == edDateEditUpDown)) {
      const TDateTime after = grid->DateEditor()->DateTime();
      EXPECT_EQ(after > before ? 1 : after < before ? -1 : 0, k.step) << k.name;
    }
    if (!k.open) {
      EXPECT_EQ(Screen->ActiveControl(), grid) << k.name << ": the grid has the keys again";
    }
    if (k.open) SendKeyEvent(c, Qt::Key_Escape);
  }
}

// An open control stays on its cell when widths and heights change before it, and when a
// stretched column narrows with the grid.
TEST_F(EditorsTest, AnOpenControlFollowsItsCellWhenWidthsHeightsAndTheStretchChange) {
  TEditorType kind = edComboEdit;
  KindInColumn2(kind);
  Load();
  grid->FocusCell(2, 2, true);
  Key(Qt::Key_F2);
  TWinControl* c = grid->ActiveCellEditor();
  ASSERT_NE(c, nullptr);
  auto onCell = [&](const char* what) {
    const TRect r = grid->CellRect(2, 2);
    EXPECT_EQ(c->Left(), r.Left) << what;
    EXPECT_EQ(c->Top(), r.Top) << what;
    EXPECT_EQ(c->Width(), r.Width() - 1) << what;
    EXPECT_EQ(c->Height(), r.Height() - 1) << what;
  };
  onCell("opened");
  grid->SetColWidths(1, grid->ColWidths(1) + 40);
  onCell("the column before it wider");
  grid->SetRowHeights(1, grid->RowHeights(1) + 10);
  onCell("the row above it higher");
  grid->SetRowHeights(2, 40);
  onCell("its own row higher");
  grid->SetColCount(3);
  grid->ColumnSize()->SetStretch(true);
  onCell("stretched");
  grid->SetWidth(grid->Width() - 80);
  onCell("the grid narrower");
  EXPECT_LE(c->Left() + c->Width(), grid->ClientWidth()) << "within the grid";
  EXPECT_TRUE(c->Visible());
  EXPECT_EQ(grid->ActiveCellEditor(), c);
  SendKeyEvent(c, Qt::Key_Escape);
}

// A typed combo tells every text change to OnEditChange with its cell, a wide combo does not.
TEST_F(EditorsTest, ATypedComboTellsEachTextChangeToOnEditChange) {
  TEditorType kind = edComboEdit;
  KindInColumn2(kind);
  std::vector<std::string> told;
  grid->OnEditChange = [&](TObject*, int c, int r, const std::string& v) {
    told.push_back(std::to_string(c) + "," + std::to_string(r) + ":" + v);
  };
  Load();
  struct Case {
    TEditorType kind;
    std::vector<std::string> told;
  } cases[] = {{edComboEdit, {"2,3:abc", "2,3:abcd"}}, {edUniComboEdit, {}}};
  for (const Case& k : cases) {
    kind = k.kind;
    grid->SetCells(2, 3, "ab");
    grid->FocusCell(2, 3, true);
    Key(Qt::Key_F2);
    TWinControl* c = grid->ActiveCellEditor();
    ASSERT_NE(c, nullptr);
    told.clear();
    SendKeyEvent(c, Qt::Key_Right);
    SendKeyEvent(c, Qt::Key_C, Qt::NoModifier, "c");
    SendKeyEvent(c, Qt::Key_D, Qt::NoModifier, "d");
    EXPECT_EQ(told, k.told) << c->ClassName();
    SendKeyEvent(c, Qt::Key_Escape);
    SendKeyEvent(c, Qt::Key_Tab);
  }
}

// The character that opens an editor is typed into it whole, and the case kinds convert
// typed characters as the system's character set does.
TEST_F(EditorsTest, TheOpeningCharacterIsTypedWholeAndCaseKindsConvertEveryCharacter) {
  struct Case {
    TEditorType kind;
    std::string start;
    std::vector<std::pair<int, QString>> typed;
    std::string after;
  } cases[] = {
      {edEditBtn, "ab", {{Qt::Key_Eacute, QString::fromUtf8("\u00e9")}}, "\u00e9"},
      {edComboEdit, "4", {{Qt::Key_7, "7"}}, "7"},
      {edComboEdit, "4", {{Qt::Key_Eacute, QString::fromUtf8("\u00e9")}, {Qt::Key_8, "8"}}, "\u00e98"},
      {edUpperCase, "", {{Qt::Key_Adiaeresis, QString::fromUtf8("\u00e4")}, {Qt::Key_Eacute, QString::fromUtf8("\u00e9")}},
       "\u00c4\u00c9"},
      {edCapital, "", {{Qt::Key_A, "a"}, {Qt::Key_Eacute, QString::fromUtf8("\u00e9")}}, "A\u00c9"},
      {edLowerCase, "", {{Qt::Key_Adiaeresis, QString::fromUtf8("\u00c4")}, {Qt::Key_Eacute, QString::fromUtf8("\u00c9")}},
       "\u00e4\u00e9"},
  };
  TEditorType kind = edNormal;
  KindInColumn2(kind);
  Load();
  int row = 1;
  for (const Case& k : cases) {
    kind = k.kind;
    grid->SetCells(2, row, k.start);
    grid->FocusCell(2, row, true);
    for (const auto& [key, text] : k.typed) {
      TWinControl* c = grid->ActiveCellEditor();
      SendKeyEvent(c ? c : Target(), key, Qt::NoModifier, text);
    }
    TWinControl* c = grid->ActiveCellEditor();
    SendKeyEvent(c ? c : Target(), Qt::Key_Return);
    EXPECT_EQ(grid->Cells(2, row), k.after) << "kind " << k.kind << " row " << row;
    ++row;
  }
}

// The character OnKeyPress leaves is the one an opening editor gets, in-cell controls included.
// With RangeSelectAndEdit (editing off) typing first presses the cell as a click would.
TEST_F(EditorsTest, TheCharacterOnKeyPressLeftOpensTheEditor) {
  struct Case {
    TEditorType kind;
    bool rangeEdit;
    const char* after;
    bool pressed;  // at the cell's left + 2, top + 2
  } cases[] = {
      {edNormal, false, "b", false}, {edComboEdit, false, "b", false}, {edEditBtn, false, "b", false},
      {edNormal, true, "b", true},   {edComboEdit, true, "b", true},   {edEditBtn, true, "b", true},
  };
  TEditorType kind = edNormal;
  KindInColumn2(kind);
  Load();
  std::string pressed;
  grid->OnKeyPress = [](TObject*, char& k) {
    if (k == 'a') k = 'b';
  };
  grid->OnMouseDown = [&](TObject*, TMouseButton b, TShiftState, int x, int y) {
    int c = -1, r = -1;
    grid->MouseToCell(x, y, c, r);
    const TRect cr = grid->CellRect(c, r);
    if (x == cr.Left + 2 && y == cr.Top + 2)
      pressed += std::string(b == mbLeft ? "left " : "other ") + std::to_string(c) + "," + std::to_string(r) + " ";
  };
  int row = 1;
  for (const Case& k : cases) {
    kind = k.kind;
    grid->MouseActions()->RangeSelectAndEdit = k.rangeEdit;
    grid->SetOptions(k.rangeEdit ? grid->Options() & ~goEditing : grid->Options() | goEditing);
    grid->SetCells(2, row, "z");
    grid->FocusCell(2, row, true);
    pressed.clear();
    SendKeyEvent(Target(), Qt::Key_A, Qt::NoModifier, "a");
    TWinControl* c = grid->ActiveCellEditor();
    SendKeyEvent(c ? c : Target(), Qt::Key_Return);
    EXPECT_EQ(grid->Cells(2, row), k.after) << "kind " << k.kind << " range edit " << k.rangeEdit;
    EXPECT_EQ(pressed, k.pressed ? "left 2," + std::to_string(row) + " " : "") << "kind " << k.kind << " range edit " << k.rangeEdit;
    ++row;
  }
}

// A control that takes the focus keeps the platform's selection of all its text with
// EditSelectAll, else its caret goes to the end, so a typed key adds to the text.
TEST_F(EditorsTest, AnOpenedControlsCaretGoesToTheEndUnlessTheGridSelectsAll) {
  struct Case {
    TEditorType kind;
    bool selectAll;
    const char* start;
    const char* after;
  } cases[] = {
      {edEditBtn, false, "ab", "ab7"},   {edEditBtn, true, "ab", "7"},  {edComboEdit, false, "ab", "ab7"},
      {edComboEdit, true, "ab", "7"},    {edSpinEdit, false, "4", "47"}, {edSpinEdit, true, "4", "7"},
      {edUniEdit, false, "ab", "ab7"},   {edUniMemo, false, "memo", "memo7"},
  };
  TEditorType kind = edNormal;
  KindInColumn2(kind);
  Load();
  int row = 1;
  for (const Case& k : cases) {
    kind = k.kind;
    grid->Navigation()->EditSelectAll = k.selectAll;
    grid->SetCells(2, row, k.start);
    grid->FocusCell(2, row, true);
    Key(Qt::Key_F2);
    TWinControl* c = grid->ActiveCellEditor();
    ASSERT_NE(c, nullptr);
    SendKeyEvent(c, Qt::Key_7, Qt::NoModifier, "7");
    SendKeyEvent(c, Qt::Key_Tab);
    EXPECT_EQ(grid->Cells(2, row), k.after) << c->ClassName() << " select all " << k.selectAll;
    ++row;
  }
}

// Wide text is validated by OnCellValidateWide alone, from ValidateWideCell and from the wide
// controls, with a refusal handled as the narrow validation handles it.
TEST_F(EditorsTest, WideTextIsValidatedByOnCellValidateWideAlone) {
  struct Case {
    const char* name;
    bool control;     // the wide edit commits by Tab, else ValidateWideCell is called
    bool accept;
    const char* fix;  // the handler's correction ("" none)
    const char* cell;
    bool open;        // the edit goes on in the cell
  } cases[] = {
      {"call taken", false, true, "", "new", false},
      {"call refused", false, false, "", "2:3", true},
      {"call refused and corrected", false, false, "fixed", "fixed", true},
      {"control taken", true, true, "", "new", false},
      {"control refused", true, false, "", "2:3", true},
      {"control refused and corrected", true, false, "fixed", "fixed", true},
  };
  TEditorType kind = edNormal;
  KindInColumn2(kind);
  int narrow = 0, wide = 0;
  const Case* now = nullptr;
  grid->OnCellValidate = [&](TObject*, int, int, std::string&, bool&) { ++narrow; };
  grid->OnCellValidateWide = [&](TObject*, int c, int r, std::u16string& v, bool& valid) {
    ++wide;
    EXPECT_EQ(TPoint(c, r), TPoint(2, 3));
    EXPECT_EQ(v, u"new");
    valid = now->accept;
    if (*now->fix) v = Utf8ToUtf16(now->fix);
  };
  Load();
  for (const Case& k : cases) {
    now = &k;
    narrow = wide = 0;
    kind = k.control ? edUniEdit : edNormal;
    grid->SetCells(2, 3, "2:3");
    grid->FocusCell(2, 3, true);
    bool result = true;
    TWinControl* c = nullptr;
    if (k.control) {
      Key(Qt::Key_F2);
      c = grid->ActiveCellEditor();
      ASSERT_NE(c, nullptr) << k.name;
      c->SetText("new");
      SendKeyEvent(c, Qt::Key_Tab);
    } else {
      Type("n");
      result = grid->ValidateWideCell(u"new");
      EXPECT_EQ(result, k.accept) << k.name;
    }
    EXPECT_EQ(wide, 1) << k.name;
    EXPECT_EQ(narrow, 0) << k.name;
    EXPECT_EQ(grid->Cells(2, 3), k.cell) << k.name;
    EXPECT_EQ(Current(), TPoint(k.open || !k.control ? 2 : 3, 3)) << k.name;
    if (k.control) {
      EXPECT_EQ(grid->ActiveCellEditor() == c, k.open) << k.name;
      if (k.open) {
        EXPECT_EQ(c->Text(), k.cell) << k.name;
      }
    } else {
      if (!k.accept) {
        EXPECT_TRUE(EditorShown()) << k.name << ": a refusal shows the editor again";
      }
    }
    Key(Qt::Key_Escape);
    if (grid->ActiveCellEditor()) SendKeyEvent(grid->ActiveCellEditor(), Qt::Key_Escape);
  }
}

// ---------------------------------------------------------------- markup cell controls
TEST_F(EditorsTest, MarkupControlsEditInPlaceAndWriteTheirValueOnceWhenLeft) {
  grid->SetColWidths(1, 320);
  grid->SetRowHeights(2, 40);
  grid->SetCells(1, 2,
                 "<B>x</B> <CONTROL TYPE=\"EDIT\" ID=\"e1\" VALUE=\"abc\" WIDTH=\"60\"> "
                 "<CONTROL TYPE=\"PASSWORD\" ID=\"p1\" VALUE=\"\" WIDTH=\"60\"> "
                 "<CONTROL TYPE=\"COMBO\" ID=\"c1\" VALUE=\"zz\" WIDTH=\"70\">");
  std::vector<std::string> done;
  grid->OnControlEditDone = [&](TObject*, int r, int c, const std::string& id, const std::string& type,
                                const std::string& val) {
    done.push_back(std::to_string(c) + "," + std::to_string(r) + " " + id + " " + type + " " + val);
  };
  grid->OnControlComboList = [](TObject*, int, int, const std::string&, const std::string&, const std::string&,
                                TStringList* values, bool& edit, int& drop) {
    values->Add("aa");
    values->Add("bb");
    edit = true;
    drop = 4;
  };
  Load();
  grid->FocusCell(1, 2, true);
  // F2 opens the first control: an edit over it, holding its value.
  Key(Qt::Key_F2);
  TControlEdit* e = grid->ControlEditor();
  ASSERT_TRUE(e->Visible());
  EXPECT_TRUE(grid->ControlEditOpen());
  EXPECT_EQ(e->Text(), "abc");
  EXPECT_TRUE(Inside(grid->CellRect(1, 2), TPoint(e->Left(), e->Top()))) << "placed over its cell";
  SendKeyEvent(e, Qt::Key_End);
  SendKeyEvent(e, Qt::Key_D, Qt::NoModifier, "d");
  SendKeyEvent(e, Qt::Key_Return);
  EXPECT_FALSE(e->Visible());
  EXPECT_FALSE(grid->ControlEditOpen());
  EXPECT_EQ(GetHTMLControlValue(grid->Cells(1, 2), "e1"), "abcd");
  EXPECT_EQ(GetHTMLControlType(grid->Cells(1, 2), "e1"), "EDIT") << "the tag keeps its type";
  // Ending again with no editor open does nothing: no second report, no stale value.
  grid->EndControlEdit();
  EXPECT_EQ(done, (std::vector<std::string>{"1,2 e1 EDIT abcd"}));

  // A password shows stars and writes what was typed; Tab leaves it.
  grid->OpenCellMarkupControl(1, 2, "p1");
  ASSERT_TRUE(e->Visible());
  EXPECT_EQ(e->PasswordChar(), '*');
  SendKeyEvent(e, Qt::Key_X, Qt::NoModifier, "x");
  SendKeyEvent(e, Qt::Key_Y, Qt::NoModifier, "y");
  SendKeyEvent(e, Qt::Key_Tab);
  EXPECT_EQ(GetHTMLControlValue(grid->Cells(1, 2), "p1"), "xy");
  EXPECT_FALSE(e->Visible());

  // A combo whose value is not in its list shows the value with no item chosen.
  grid->FocusCell(1, 2, true);
  grid->OpenCellMarkupControl(1, 2, "c1");
  TControlCombo* c = grid->ControlComboBox();
  ASSERT_TRUE(c->Visible());
  EXPECT_EQ(c->Items()->Count(), 2);
  EXPECT_EQ(c->ItemIndex(), -1);
  EXPECT_EQ(c->Text(), "zz");
  EXPECT_EQ(c->DropDownCount(), 4);
  SendKeyEvent(c, Qt::Key_Return);
  EXPECT_FALSE(c->Visible());
  EXPECT_EQ(GetHTMLControlValue(grid->Cells(1, 2), "c1"), "zz") << "written back even unchanged";
  EXPECT_EQ(done, (std::vector<std::string>{"1,2 e1 EDIT abcd", "1,2 p1 PASSWORD xy", "1,2 c1 COMBO zz"}));
}

// The wheel turned over the closed box, and while its list is dropped down any wheel (the window
// system gives it to the open list; one sent to the grid goes the same way), steps the item.
TEST_F(EditorsTest, TheComboWheelStepsWithinItsListAndTellsOnlyRealItems) {
  grid->SetRowCount(60);  // room to scroll, so a wheel the grid took would show
  enum TWhere { overBox, overGridDropped, overListDropped };
  struct Case {
    std::vector<std::string> items;
    std::string cell;
    TWhere where;
    std::vector<int> deltas;
    int want;
    std::vector<int> told;
  } cases[] = {
      {{"a", "b", "c"}, "b", overBox, {-120, -120, -120}, 2, {2}},  // stops at the last item
      {{"a", "b", "c"}, "b", overBox, {120, 120}, 0, {0}},          // and at the first
      {{"a", "b", "c"}, "a", overBox, {-120, 120}, 0, {1, 0}},
      {{}, "x", overBox, {-120, 120}, -1, {}},                      // an empty list does nothing
      {{"a", "b", "c"}, "a", overGridDropped, {-120, -120, -120}, 2, {1, 2}},
      {{"a", "b", "c"}, "c", overListDropped, {120, 120, 120}, 0, {1, 0}},
      {{"a", "b", "c"}, "b", overListDropped, {-120, 120, 120}, 0, {2, 1, 0}},
      {{}, "x", overGridDropped, {-120}, -1, {}},
  };
  grid->OnGetEditorType = [](TObject*, int c, int, TEditorType& e) {
    if (c == 2) e = edComboList;
  };
  std::vector<int> told;
  grid->OnComboChange = [&](TObject*, int, int, int index, const std::string&) { told.push_back(index); };
  Load();
  int row = 1;
  for (const Case& k : cases) {
    TGridCombo* combo = grid->ComboBox();
    combo->Items()->Clear();
    for (const std::string& i : k.items) combo->Items()->Add(i);
    grid->SetCells(2, row, k.cell);
    grid->FocusCell(2, row, true);
    Key(Qt::Key_F2);
    ASSERT_EQ(grid->ActiveCellEditor(), combo);
    const bool dropped = k.where != overBox;
    if (dropped) combo->SetDroppedDown(true);
    ASSERT_EQ(combo->DroppedDown(), dropped);
    told.clear();
    const int top = grid->TopRow();
    // Real wheel events, as the window system sends them: while the list is open, one over the
    // grid goes to the list's window, at the grid's place.
    QAbstractItemView* view = static_cast<QComboBox*>(combo->Peer())->view();
    QWidget* to = k.where == overBox ? combo->Peer() : k.where == overGridDropped ? view->window() : view->viewport();
    const QPointF at = k.where == overGridDropped ? to->mapFromGlobal(grid->ClientWidget()->mapToGlobal(QPointF(60, 60)))
                                                  : QPointF(5, 5);
    for (int d : k.deltas) {
      QWheelEvent e(at, to->mapToGlobal(at), QPoint(), QPoint(0, d), Qt::NoButton, Qt::NoModifier,
                    Qt::NoScrollPhase, false);
      QCoreApplication::sendEvent(to, &e);
    }
    EXPECT_EQ(combo->ItemIndex(), k.want) << k.cell << " " << k.where;
    EXPECT_EQ(told, k.told) << k.cell << " " << k.where;
    EXPECT_EQ(grid->TopRow(), top) << "the grid does not scroll under the box's wheel";
    EXPECT_EQ(grid->Row(), row) << "nor moves";
    EXPECT_EQ(grid->ActiveCellEditor(), combo);
    EXPECT_EQ(combo->DroppedDown(), dropped) << "the list stays open";
    if (dropped && k.want >= 0) { EXPECT_EQ(view->currentIndex().row(), k.want) << "and shows the item"; }
    combo->SetDroppedDown(false);
    SendKeyEvent(combo, Qt::Key_Escape);
    ++row;
  }
}

// ---------------------------------------------------------------- the custom editor link
using TTestLink = TTextEditLink<TEdit>;

TEST_F(EditorsTest, ACustomEditorLeavesByItsKeysAndKeepsWhatItWants) {
  struct Case {
    const char* name;
    int key;
    Qt::KeyboardModifiers mods;
    bool open;         // still editing afterwards
    const char* cell;  // the cell's text afterwards
    TPoint current;
    bool enabled;  // the editor control afterwards: Tab and the arrows disable it
  } cases[] = {
      {"Tab walks on", Qt::Key_Tab, Qt::NoModifier, false, "new", TPoint(3, 3), false},
      {"Escape restores and stays", Qt::Key_Escape, Qt::NoModifier, false, "2:3", TPoint(2, 3), true},
      {"Home is kept", Qt::Key_Home, Qt::NoModifier, true, "2:3", TPoint(2, 3), true},
      {"End leaves and stays", Qt::Key_End, Qt::NoModifier, false, "new", TPoint(2, 3), true},
      {"Shift+Return goes back", Qt::Key_Return, Qt::ShiftModifier, false, "new", TPoint(1, 3), true},
      {"Down leaves", Qt::Key_Down, Qt::NoModifier, false, "new", TPoint(2, 4), false},
  };
  TTestLink link(form);
  grid->EditLink = &link;
  grid->Navigation()->AdvanceOnEnter = true;
  int props = 0;
  grid->OnGetEditorProp = [&](TObject*, int, int, TEditLink* l) { props += l == &link; };
  grid->OnGetEditorType = [](TObject*, int c, int, TEditorType& e) {
    if (c == 2) e = edCustom;
  };
  Load();
  for (const Case& k : cases) {
    grid->SetCells(2, 3, "2:3");
    grid->FocusCell(2, 3, true);
    Key(Qt::Key_F2);
    ASSERT_NE(link.edit, nullptr) << k.name;
    ASSERT_EQ(grid->ActiveCellEditor(), link.edit) << k.name;
    EXPECT_EQ(link.edit->Text(), "2:3");
    link.edit->SetText("new");
    SendKeyEvent(link.edit, k.key, k.mods);
    EXPECT_EQ(grid->ActiveCellEditor() != nullptr, k.open) << k.name;
    EXPECT_EQ(link.edit->Visible(), k.open) << k.name;
    EXPECT_EQ(link.Hooked(), k.open) << k.name << ": the hook comes off with the editor";
    EXPECT_EQ(grid->Cells(2, 3), k.cell) << k.name;
    EXPECT_EQ(Current(), k.current) << k.name;
    EXPECT_EQ(link.edit->Enabled(), k.enabled) << k.name;
    if (!k.open) {
      TWinControl* f = Screen->ActiveControl();
      EXPECT_TRUE(f == grid || f == grid->InplaceEditor()) << k.name << ": focus " << (f ? f->ClassName() : "none");
    }
    if (k.open) SendKeyEvent(link.edit, Qt::Key_Escape);
  }
  EXPECT_EQ(props, 6);
  // A scroll finishes the link's edit with its value.
  grid->SetRowCount(60);
  grid->FocusCell(2, 3, true);
  Key(Qt::Key_F2);
  link.edit->SetText("scrolled");
  grid->SetTopRow(20);
  EXPECT_EQ(grid->ActiveCellEditor(), nullptr);
  EXPECT_EQ(grid->Cells(2, 3), "scrolled");
  grid->EditLink = nullptr;
}

// The grid drives a custom editor in one order: made, placed, set up, focused, given the value;
// then the grid's handler sees it and it shows.
class TOrderLink : public TTestLink {
 public:
  using TTestLink::TTestLink;
  std::string order;
  void CreateEditor(TWinControl* AParent) override {
    order += "create ";
    TTestLink::CreateEditor(AParent);
  }
  void SetRect(TRect R) override {
    order += "rect ";
    TTestLink::SetRect(R);
  }
  void SetProperties() override { order += "props "; }
  void SetFocus(bool Value) override {
    order += "focus ";
    TTestLink::SetFocus(Value);
  }
  void SetEditorValue(const std::string& Value) override {
    order += "value(" + Value + ") ";
    TTestLink::SetEditorValue(Value);
  }
  void SetVisible(bool Value) override {
    order += Value ? "show " : "hide ";
    TTestLink::SetVisible(Value);
  }
};

TEST_F(EditorsTest, ACustomEditorIsMadePlacedSetUpFocusedAndFilledInThatOrder) {
  struct Case {
    const char* name;
    const char* order;
  } cases[] = {
      {"first open makes the editor", "create rect props focus value(2:3) prop show "},
      {"a later open reuses it", "rect props focus value(2:3) prop show "},
  };
  TOrderLink link(form);
  grid->EditLink = &link;
  grid->OnGetEditorProp = [&](TObject*, int, int, TEditLink*) { link.order += "prop "; };
  TEditorType kind = edCustom;
  KindInColumn2(kind);
  Load();
  for (const Case& k : cases) {
    link.order.clear();
    grid->FocusCell(2, 3, true);
    Key(Qt::Key_F2);
    EXPECT_EQ(link.order, k.order) << k.name;
    ASSERT_NE(link.edit, nullptr);
    SendKeyEvent(link.edit, Qt::Key_Escape);
  }
  grid->EditLink = nullptr;
}

// A custom editor left for another control gives its value to the cell and closes; an in-cell
// control's end selects its cell again.
TEST_F(EditorsTest, LeavingAnEditorEndsTheEditAndSelectsTheCellAgain) {
  struct Case {
    const char* name;
    TEditorType kind;
    bool byFocus;  // the focus goes to another control, else Return ends it
    const char* cell;
  } cases[] = {
      {"custom editor loses the focus", edCustom, true, "typed"},
      {"custom editor by Return", edCustom, false, "typed"},
      {"combo by Return", edComboEdit, false, "typed"},
      {"combo loses the focus", edComboEdit, true, "typed"},
  };
  TTestLink link(form);
  grid->EditLink = &link;
  TEditorType kind = edNormal;
  KindInColumn2(kind);
  std::vector<TPoint> selected;
  grid->OnSelectCell = [&](TObject*, int c, int r, bool&) { selected.emplace_back(c, r); };
  Load();
  for (const Case& k : cases) {
    kind = k.kind;
    grid->SetFocus();
    grid->SetCells(2, 3, "2:3");
    grid->FocusCell(2, 3, true);
    Key(Qt::Key_F2);
    TWinControl* c = grid->ActiveCellEditor();
    ASSERT_NE(c, nullptr) << k.name;
    c->SetText("typed");
    selected.clear();
    if (k.byFocus)
      other->SetFocus();
    else
      SendKeyEvent(c, Qt::Key_Return);
    Flush();
    EXPECT_EQ(grid->ActiveCellEditor(), nullptr) << k.name;
    EXPECT_FALSE(c->Visible()) << k.name;
    EXPECT_EQ(grid->Cells(2, 3), k.cell) << k.name;
    EXPECT_FALSE(selected.empty()) << k.name << ": the cell is selected again";
    for (TPoint p : selected) EXPECT_EQ(p, TPoint(2, 3)) << k.name;
  }
  grid->EditLink = nullptr;
}

// A custom editor losing the focus leaves its value in the grid's inplace editor too, and only
// there: the cell that editor last edited keeps its text.
TEST_F(EditorsTest, ALinkLosingTheFocusShowsItsValueInTheInplaceEditorOnly) {
  TTestLink link(form);
  grid->EditLink = &link;
  TEditorType kind = edCustom;
  KindInColumn2(kind);
  Load();
  grid->FocusCell(1, 3, true);
  Key(Qt::Key_F2);
  Key(Qt::Key_Escape);
  ASSERT_NE(grid->InplaceEditor(), nullptr);
  std::string changed;
  grid->OnEditChange = [&](TObject*, int, int, const std::string& t) { changed += t + " "; };
  grid->SetFocus();
  grid->FocusCell(2, 3, true);
  Key(Qt::Key_F2);
  TWinControl* c = grid->ActiveCellEditor();
  ASSERT_NE(c, nullptr);
  c->SetText("typed");
  other->SetFocus();
  Flush();
  EXPECT_EQ(grid->InplaceEditor()->Text(), "typed");
  EXPECT_EQ(grid->Cells(2, 3), "typed");
  EXPECT_EQ(grid->Cells(1, 3), "1:3");
  EXPECT_EQ(changed, "");
  grid->EditLink = nullptr;
}

TEST_F(EditorsTest, APopupEditorStandsOnItsOwnFormBelowTheCellUntilItIsLeft) {
  enum TLeave { lReturn, lEscape, lClickElsewhere };
  struct Case {
    const char* name;
    TLeave leave;
    const char* cell;
  } cases[] = {
      {"Return takes the value", lReturn, "new"},
      {"Escape restores", lEscape, "2:3"},
      {"activating the grid's form takes the value", lClickElsewhere, "new"},
  };
  TTestLink link(form);
  link.EditStyle = esPopup;
  link.PopupWidth = 150;
  link.PopupHeight = 60;
  grid->EditLink = &link;
  grid->OnGetEditorType = [](TObject*, int c, int, TEditorType& e) {
    if (c == 2) e = edCustom;
  };
  Load();
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    grid->SetCells(2, 3, "2:3");
    grid->FocusCell(2, 3, true);
    Key(Qt::Key_F2);
    TForm* pop = link.PopupForm();
    ASSERT_NE(pop, nullptr);
    ASSERT_EQ(grid->ActiveCellEditor(), link.edit);
    EXPECT_EQ(link.edit->Parent(), pop);
    EXPECT_TRUE(pop->Visible());
    const TRect cell = grid->CellRect(2, 3);
    const TPoint below = grid->ClientToScreen(TPoint(cell.Left, cell.Bottom));
    EXPECT_EQ(TPoint(pop->Left(), pop->Top()), below);
    EXPECT_EQ(TPoint(pop->Width(), pop->Height()), TPoint(150, 60));
    EXPECT_EQ(link.edit->Text(), "2:3");
    link.edit->SetText("new");
    switch (k.leave) {
      case lReturn: SendKeyEvent(link.edit, Qt::Key_Return); break;
      case lEscape: SendKeyEvent(link.edit, Qt::Key_Escape); break;
      case lClickElsewhere: form->BringToFront(); break;
    }
    Flush();
    EXPECT_EQ(grid->ActiveCellEditor(), nullptr);
    EXPECT_EQ(link.PopupForm(), nullptr) << "the pop-up goes with the edit";
    EXPECT_EQ(grid->Cells(2, 3), k.cell);
    EXPECT_EQ(link.edit->Parent(), grid) << "the link's editor outlives the pop-up";
  }
  // A cell by the screen's right and bottom edges: the pop-up stays on the screen, above the cell.
  const TRect cell = grid->CellRect(2, 3);
  const TPoint at = grid->ClientToScreen(TPoint(cell.Left, cell.Bottom));
  form->SetLeft(form->Left() + Screen->Width() - at.X - 40);
  form->SetTop(form->Top() + Screen->Height() - at.Y - 10);
  Flush();
  grid->FocusCell(2, 3, true);
  Key(Qt::Key_F2);
  ASSERT_NE(link.PopupForm(), nullptr);
  TForm* pop = link.PopupForm();
  EXPECT_EQ(pop->Left() + pop->Width(), Screen->Width());
  EXPECT_EQ(pop->Top() + pop->Height(), grid->ClientToScreen(TPoint(cell.Left, cell.Top)).Y);
  SendKeyEvent(link.edit, Qt::Key_Escape);
  grid->EditLink = nullptr;
}

TEST_F(EditorsTest, LeavingAnEditorPutsAlwaysEditBackWhenTheValidationRaises) {
  grid->Navigation()->AlwaysEdit = true;
  grid->OnGetEditorType = [](TObject*, int c, int, TEditorType& e) {
    if (c == 2) e = edEditBtn;
  };
  grid->OnCellValidate = [](TObject*, int, int, std::string&, bool&) { throw Exception("bad"); };
  Load();
  grid->FocusCell(2, 3, true);
  Key(Qt::Key_F2);
  auto* e = dynamic_cast<TGridEditBtn*>(grid->ActiveCellEditor());
  ASSERT_NE(e, nullptr);
  e->SetText("changed");
  EXPECT_THROW(grid->LeaveCellEditor(VK_TAB, 0), Exception);
  EXPECT_TRUE(grid->Navigation()->AlwaysEdit);
  EXPECT_FALSE(grid->LeavingEditor());
  grid->OnCellValidate = nullptr;
  SendKeyEvent(e, Qt::Key_Escape);
}

TEST_F(EditorsTest, AnEditOverACellKeepsTheFocusUntilItsTextIsTaken) {
  bool accept = false;
  grid->OnCellValidate = [&](TObject*, int, int, std::string&, bool& valid) { valid = accept; };
  Load();
  auto* t = new TGridTransEdit(grid);
  t->SetParent(grid);
  t->Col = 3;
  t->Row = 4;
  t->SetVisible(true);
  t->SetFocus();
  t->SetText("typed");
  SendKeyEvent(t, Qt::Key_Return);
  EXPECT_EQ(t->Text(), "typed") << "Return is swallowed";
  grid->FocusCell(1, 1, true);
  EXPECT_FALSE(t->Leave());
  EXPECT_EQ(Current(), TPoint(3, 4)) << "its cell becomes current";
  EXPECT_TRUE(t->Focused());
  EXPECT_EQ(grid->Cells(3, 4), "3:4");
  accept = true;
  EXPECT_TRUE(t->Leave());
  EXPECT_EQ(grid->Cells(3, 4), "typed");
  EXPECT_FALSE(t->Visible());
}

// ---------------------------------------------------------------- address cells and the cell checker
TEST_F(EditorsTest, ARightClickEditsAnAddressCellOnlyWithURLEdit) {
  struct Case {
    bool urlEdit;
    const char* text;
    bool edits;
  } cases[] = {
      {true, "http://example.com", true},
      {false, "http://example.com", false},
      {true, "plain text", false},
      {true, "mailto:a@b.c", true},
  };
  grid->SetURLShow(true);
  Load();
  for (const Case& k : cases) {
    grid->URLEdit = k.urlEdit;
    grid->SetCells(2, 4, k.text);
    grid->FocusCell(1, 1, true);
    ClickCell(2, 4, Qt::RightButton);
    EXPECT_EQ(EditorShown(), k.edits) << k.text << " " << k.urlEdit;
    if (k.edits) {
      EXPECT_EQ(Current(), TPoint(2, 4));
      EXPECT_EQ(EditorText(), k.text);
      Key(Qt::Key_Escape);
    }
  }
}

class TUpperChecker : public TExtStringGridCheck {
 public:
  using TExtStringGridCheck::TExtStringGridCheck;
  std::string Correct(TExtStringGrid*, int, int, const std::string& v) override { return UpperCase(v); }
  std::string MarkError(TExtStringGrid*, int, int, const std::string& v) override { return "!" + v; }
};

TEST_F(EditorsTest, TheCheckerCorrectsThenMarksWhatEitherEditorCommits) {
  TUpperChecker checker(form);
  grid->CellChecker = &checker;
  grid->OnGetEditorType = [](TObject*, int c, int, TEditorType& e) {
    if (c == 2) e = edEditBtn;
  };
  std::vector<std::string> validated;
  grid->OnCellValidate = [&](TObject*, int, int, std::string& v, bool&) { validated.push_back(v); };
  Load();
  struct Case {
    bool correct, mark;
    const char* want;
  } cases[] = {{true, true, "!AB"}, {true, false, "AB"}, {false, true, "!ab"}, {false, false, "ab"}};
  int row = 1;
  for (const Case& k : cases) {
    checker.AutoCorrect = k.correct;
    checker.AutoMarkError = k.mark;
    // The inplace editor (column 1) and an in-cell control (column 2).
    grid->FocusCell(1, row, true);
    Type("ab");
    Key(Qt::Key_Return);
    EXPECT_EQ(grid->Cells(1, row), k.want);
    grid->FocusCell(2, row, true);
    Key(Qt::Key_F2);
    ASSERT_NE(grid->ActiveCellEditor(), nullptr);
    dynamic_cast<TGridEditBtn*>(grid->ActiveCellEditor())->SetText("ab");
    SendKeyEvent(grid->ActiveCellEditor(), Qt::Key_Tab);
    EXPECT_EQ(grid->Cells(2, row), k.want);
    ++row;
  }
  // The validation sees the corrected text, before it is marked.
  EXPECT_EQ(validated.front(), "AB");
  grid->CellChecker = nullptr;
}

// Companions of no owner freed while the grid uses them: the grid forgets each and edits on.
TEST_F(EditorsTest, FreedCompanionsOfNoOwnerAreForgotten) {
  grid->CellChecker = new TUpperChecker(nullptr);
  grid->EditLink = new TTextEditLink<TEdit>(nullptr);
  grid->GridImages = new TImageList(nullptr);
  grid->PictureContainer = new TPictureContainer(nullptr);
  delete grid->CellChecker.Get();
  delete grid->EditLink.Get();
  delete grid->GridImages.Get();
  delete grid->PictureContainer.Get();
  EXPECT_FALSE(grid->CellChecker || grid->EditLink || grid->GridImages || grid->PictureContainer);
  Load();
  grid->FocusCell(1, 1, true);
  Type("ab");
  Key(Qt::Key_Return);
  EXPECT_EQ(grid->Cells(1, 1), "ab");
}

TEST_F(EditorsTest, TheWideMemoBreaksLinesAtEveryWideLineBreak) {
  TGridUniMemo memo(grid);
  memo.Lines()->SetText("a\vb\fc\xE2\x80\xA8" "d\xE2\x80\xA9" "e\xE2\x80\xA6");
  EXPECT_EQ(memo.Lines()->Text(), "a\r\nb\r\nc\r\nd\r\ne\xE2\x80\xA6\r\n");
  TGridUniCombo combo(grid);
  combo.Items()->SetText("a\vb\fc\xE2\x80\xA8" "d\xE2\x80\xA9" "e\r\n");
  EXPECT_EQ(combo.Items()->Count(), 5);
  EXPECT_EQ(combo.Items()->Text(), "a\r\nb\r\nc\r\nd\r\ne\r\n");
  TGridCombo plain(grid);
  plain.Items()->SetText("a\vb");
  EXPECT_EQ(plain.Items()->Count(), 1) << "a plain combo's items keep their other controls";
}

TEST_F(EditorsTest, AControlKeptOpenByARefusalFollowsItsCellWhenTheGridScrolls) {
  grid->SetRowCount(60);
  grid->OnGetEditorType = [](TObject*, int c, int, TEditorType& e) {
    if (c == 2) e = edEditBtn;
  };
  grid->OnCellValidate = [](TObject*, int, int, std::string&, bool& valid) { valid = false; };
  Load();
  grid->FocusCell(2, 6, true);
  Key(Qt::Key_F2);
  TWinControl* c = grid->ActiveCellEditor();
  ASSERT_NE(c, nullptr);
  dynamic_cast<TGridEditBtn*>(c)->SetText("refused");
  SendKeyEvent(c, Qt::Key_Tab);
  ASSERT_EQ(grid->ActiveCellEditor(), c) << "refused: it stays open";
  // A scroll validates a changed text again: refused, the control stays and moves with its cell.
  for (int top : {3, 5}) {
    dynamic_cast<TGridEditBtn*>(c)->SetText("again");
    grid->SetTopRow(top);
    ASSERT_EQ(grid->ActiveCellEditor(), c) << top;
    EXPECT_EQ(c->Top(), grid->CellRect(2, 6).Top) << "on its cell at top row " << top;
    EXPECT_TRUE(c->Visible());
    EXPECT_EQ(grid->Cells(2, 6), "2:6");
  }
  // Holding the cell's own text again, it closes with the scroll.
  grid->SetTopRow(1);
  EXPECT_EQ(grid->ActiveCellEditor(), nullptr);
  EXPECT_FALSE(c->Visible());
  EXPECT_EQ(grid->Cells(2, 6), "2:6");
}

}  // namespace
