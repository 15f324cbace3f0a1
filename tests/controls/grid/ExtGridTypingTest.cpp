// Steps of typing and clicking in the grid: column marks by keys, row marks at the real index,
// one click opening the editor, the row indicator repainted where it leaves, cells sized while
// typing, and a filled masked field going on to the next cell.
#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <utility>
#include <vector>

#include "controls/grid/ExtUtil.h"
#include "tests/controls/grid/GridInputFixture.h"

namespace {

class TypingTest : public GridInputTest {
 public:
  std::vector<int> MarkedCols() const {
    std::vector<int> v;
    for (int c = 0; c < grid->ColCount(); ++c)
      if (grid->ColSelect(c)) v.push_back(c);
    return v;
  }
  // The cells painted by the pending repaint.
  std::set<std::pair<int, int>> Painted() {
    drawn.clear();
    Flush();
    return drawn;
  }
  std::set<std::pair<int, int>> drawn;
};

TEST_F(TypingTest, KeysMarkColumnsUnderDisjunctColumnSelection) {
  grid->MouseActions()->SetDisjunctColSelect(true);
  grid->SetOptions(grid->Options() & ~goEditing);
  Load();
  grid->FocusCell(1, 2, true);
  const struct {
    const char* Name;
    int Key;
    Qt::KeyboardModifiers Mods;
    std::vector<int> Marked;
  } steps[] = {
      {"a move marks the current column only", Qt::Key_Right, Qt::NoModifier, {2}},
      {"the next move moves the mark", Qt::Key_Right, Qt::NoModifier, {3}},
      {"Space clears the current column's mark", Qt::Key_Space, Qt::NoModifier, {}},
      {"Space sets it again", Qt::Key_Space, Qt::NoModifier, {3}},
      {"a vertical move keeps the column marked", Qt::Key_Down, Qt::NoModifier, {3}},
      {"Shift marks the columns of the block", Qt::Key_Left, Qt::ShiftModifier, {2, 3}},
      {"a plain move starts over", Qt::Key_Left, Qt::NoModifier, {1}},
  };
  for (const auto& s : steps) {
    SCOPED_TRACE(s.Name);
    Key(s.Key, s.Mods);
    EXPECT_EQ(MarkedCols(), s.Marked);
  }
}

// With RowSelectPersistent the marks count all rows: a plain move clears the mark of a hidden
// row too and marks the row under the cursor at its real index.
TEST_F(TypingTest, KeysMarkRowsAtTheirRealIndexWithPersistentRowSelection) {
  grid->MouseActions()->SetDisjunctRowSelect(true);
  grid->MouseActions()->RowSelectPersistent = true;
  Load();
  grid->SetRowSelect(2, true);
  grid->HideRow(2);
  grid->FocusCell(1, 1, true);
  Key(Qt::Key_Down);  // onto real row 3, shown as row 2
  EXPECT_EQ(grid->RowSelectCount(), 1);
  EXPECT_TRUE(grid->RowSelect(3));
  EXPECT_FALSE(grid->RowSelect(2));
  Key(Qt::Key_Space);
  EXPECT_FALSE(grid->RowSelect(3));
  EXPECT_EQ(grid->RowSelectCount(), 0);
}

TEST_F(TypingTest, OneClickOpensTheEditorWithDirectEdit) {
  const struct {
    const char* Name;
    bool Direct;
    int Col, Row;
    bool Editor;
  } cases[] = {
      {"an editable cell", true, 2, 3, true},
      {"without direct edit a click only selects", false, 2, 3, false},
      {"a check box cell is toggled, not edited", true, 3, 4, false},
      {"a read-only cell", true, 4, 5, false},
      {"a fixed cell", true, 0, 5, false},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.Name);
    TearDown();
    SetUp();
    grid->MouseActions()->DirectEdit = k.Direct;
    grid->AddCheckBox(3, 4, false, false);
    grid->OnCanEditCell = [](TObject*, int r, int c, bool& can) { can = !(c == 4 && r == 5); };
    Load();
    ClickCell(k.Col, k.Row);
    EXPECT_EQ(EditorShown(), k.Editor);
    if (!k.Editor) continue;
    EXPECT_EQ(Current(), TPoint(k.Col, k.Row));
    Type("x");
    Key(Qt::Key_Return);
    EXPECT_EQ(grid->Cells(k.Col, k.Row), "x") << "the editor edits the clicked cell";
  }
}

TEST_F(TypingTest, TheRowIndicatorIsRepaintedInTheRowsItLeavesAndEnters) {
  TBitmap bmp(8, 8);
  grid->SetRowIndicator(&bmp);
  grid->OnDrawCell = [this](TObject*, int c, int r, TRect, TGridDrawState) { drawn.insert({c, r}); };
  Load();
  grid->FocusCell(2, 3, true);
  Painted();
  const struct {
    const char* Name;
    int Key;
    int From, To;
  } moves[] = {{"down", Qt::Key_Down, 3, 4}, {"up", Qt::Key_Up, 4, 3}, {"up again", Qt::Key_Up, 3, 2}};
  for (const auto& m : moves) {
    SCOPED_TRACE(m.Name);
    Key(m.Key);
    const auto p = Painted();
    EXPECT_TRUE(p.count({0, m.From})) << "the old row's indicator cell";
    EXPECT_TRUE(p.count({0, m.To})) << "the new row's indicator cell";
    EXPECT_FALSE(p.count({0, 7})) << "no other row's";
  }
}

TEST_F(TypingTest, CellsGrowWhileTyping) {
  const struct {
    const char* Name;
    bool Height, Width, Multi, Wrap;
    std::vector<int> Keys;  // typed as the letter a, or a key with Ctrl
    bool RowGrows, ColGrows, RowSizeEvent;
    const char* Text;
  } cases[] = {
      {"Ctrl+Return adds a line to a multi-line row", true, false, true, false,
       {'a', Qt::Key_Return, 'a', Qt::Key_Return, 'a'}, true, false, true, "a\r\na\r\na"},
      {"not without sizing while typing", false, false, true, false,
       {'a', Qt::Key_Return, 'a', Qt::Key_Return, 'a'}, false, false, false, "a\r\na\r\na"},
      {"wrapped text grows its row", true, false, false, true, std::vector<int>(40, 'a'), true, false, true, nullptr},
      {"the column widens to the text", false, true, false, false, std::vector<int>(40, 'a'), false, true, false,
       nullptr},
      {"not without the width switch", false, false, false, false, std::vector<int>(40, 'a'), false, false, false,
       nullptr},
      {"a short text keeps the row's height", true, false, false, true, {'a', 'a'}, false, false, true, nullptr},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.Name);
    TearDown();
    SetUp();
    grid->SizeWhileTyping()->Height = k.Height;
    grid->SizeWhileTyping()->Width = k.Width;
    grid->Multilinecells = k.Multi;
    grid->SetWordWrap(k.Wrap);
    std::vector<int> sized;
    grid->OnEndRowSize = [&](TObject*, int r) { sized.push_back(r); };
    Load();
    const int h = grid->RowHeights(2), w = grid->ColWidths(1);
    grid->FocusCell(1, 2, true);
    for (int key : k.Keys) {
      if (key == 'a')
        Type("a");
      else
        SendKeyEvent(Target(), key, Qt::ControlModifier, "\r");  // the window system's character of Ctrl+Return
    }
    if (k.Text) {
      EXPECT_EQ(EditorText(), k.Text) << "Ctrl+Return starts a line";
      EXPECT_TRUE(EditorShown());
    }
    EXPECT_EQ(grid->RowHeights(2) > h, k.RowGrows) << grid->RowHeights(2);
    EXPECT_GE(grid->RowHeights(2), h) << "typing never shrinks a row";
    EXPECT_GE(grid->ColWidths(1), w) << "nor a column";
    EXPECT_EQ(grid->ColWidths(1) > w, k.ColGrows) << grid->ColWidths(1);
    EXPECT_EQ(!sized.empty(), k.RowSizeEvent);
    for (int r : sized) EXPECT_EQ(r, 2);
    if (k.ColGrows) {
      ASSERT_TRUE(EditorShown());
      EXPECT_GE(grid->InplaceEditor()->Width(), grid->ColWidths(1) - 1) << "the editor follows its cell";
    }
  }
}

// Ctrl+Return's character arrives as a Return: it never ends the edit or selects the text. With
// LineFeedOnEnter a plain Return starts a line in the text kinds too.
TEST_F(TypingTest, AReturnThatStartsALineLetsTheEditGoOn) {
  const struct {
    const char* Name;
    bool LineFeedOnEnter, AllowCtrlEnter;
    Qt::KeyboardModifiers Mods;
    TEditorType Kind;
    const char* Text;
  } cases[] = {
      {"a multi-line editor", false, true, Qt::ControlModifier, edNormal, "a\r\nb"},
      {"LineFeedOnEnter", true, true, Qt::ControlModifier, edNormal, "a\r\nb"},
      {"LineFeedOnEnter without AllowCtrlEnter", true, false, Qt::ControlModifier, edNormal, "a\r\nb"},
      {"plain Return with LineFeedOnEnter", true, false, Qt::NoModifier, edNormal, "a\r\nb"},
      {"plain Return with LineFeedOnEnter, upper case", true, true, Qt::NoModifier, edUpperCase, "A\r\nB"},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.Name);
    TearDown();
    SetUp();
    grid->Multilinecells = true;
    grid->Navigation()->LineFeedOnEnter = k.LineFeedOnEnter;
    grid->Navigation()->AllowCtrlEnter = k.AllowCtrlEnter;
    grid->OnGetEditorType = [&](TObject*, int, int, TEditorType& e) { e = k.Kind; };
    Load();
    grid->FocusCell(1, 2, true);
    Type("a");
    SendKeyEvent(Target(), Qt::Key_Return, k.Mods, "\r");
    Type("b");
    EXPECT_EQ(EditorText(), k.Text);
    EXPECT_EQ(Current(), TPoint(1, 2));
  }
}

// After each key the grid knows whether the editor shows a formula; leaving the editor clears it.
TEST_F(TypingTest, TheGridKnowsWhileTheEditorTextStartsWithAnEqualsSign) {
  const struct {
    const char* Typed;
    bool Formula;
  } cases[] = {{"=", true}, {"=a1", true}, {"a=1", false}, {" =1", false}};
  Load();
  for (const auto& k : cases) {
    SCOPED_TRACE(k.Typed);
    grid->FocusCell(1, 2, true);
    SendKeyEvent(grid, Qt::Key_F2);
    ASSERT_TRUE(grid->InplaceEditor() && grid->InplaceEditor()->Visible());
    grid->InplaceEditor()->SelectAll();
    Type(k.Typed);
    EXPECT_EQ(grid->EditorShowsFormula(), k.Formula);
    if (k.Formula) {
      SendKeyEvent(Target(), Qt::Key_Home);
      SendKeyEvent(Target(), Qt::Key_Delete);
      EXPECT_FALSE(grid->EditorShowsFormula()) << "the \"=\" is gone";
      Type("=");
      ASSERT_TRUE(grid->EditorShowsFormula());
    }
    grid->SetFocus();
    EXPECT_FALSE(grid->EditorShowsFormula()) << "the editor lost the focus";
    SendKeyEvent(grid, Qt::Key_Escape);
  }
}

TEST_F(TypingTest, AFilledMaskedFieldGoesOnToTheNextCell) {
  const struct {
    const char* Name;
    bool Auto;
    const char* Typed;
    TPoint At;
    const char* Stored;
  } cases[] = {
      {"filled", true, "12", TPoint(2, 2), "12"},
      {"not yet filled", true, "1", TPoint(1, 2), ""},
      {"without the switch", false, "12", TPoint(1, 2), ""},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.Name);
    TearDown();
    SetUp();
    grid->Navigation()->AdvanceAuto = k.Auto;
    grid->OnGetEditMask = [](TObject*, int c, int, std::string& m) { m = c == 1 ? "00;1;_" : ""; };
    grid->SetCells(1, 2, "");
    Load();
    grid->FocusCell(1, 2, true);
    Type(k.Typed);
    EXPECT_EQ(Current(), k.At);
    EXPECT_EQ(grid->Cells(2, 2), "2:2") << "the next cell is not typed into";
    if (k.At.X == 2) {
      EXPECT_EQ(grid->Cells(1, 2), k.Stored);
    }
  }
}

TEST_F(TypingTest, AFilledMaskedFieldThatIsRefusedStays) {
  grid->Navigation()->AdvanceAuto = true;
  grid->OnGetEditMask = [](TObject*, int c, int, std::string& m) { m = c == 1 ? "00;1;_" : ""; };
  grid->OnCellValidate = [](TObject*, int, int, std::string& v, bool& valid) { valid = v != "99"; };
  grid->SetCells(1, 2, "42");
  Load();
  grid->FocusCell(1, 2, true);
  Type("99");
  EXPECT_EQ(Current(), TPoint(1, 2));
  EXPECT_EQ(grid->Cells(1, 2), "42");
  EXPECT_TRUE(EditorShown());
}

// A rich-text cell edits as its plain text: an edit that leaves that text alone keeps the rich
// text, a changed text is stored as typed, Escape gives the rich text back.
TEST_F(TypingTest, ARichTextCellEditsAsItsPlainText) {
  const std::string rtf = "{\\rtf1\\ansi {\\b Bus} ready}";
  const std::string plain = ExtUtil::RtfPlainText(rtf);
  ASSERT_FALSE(plain.empty());
  ASSERT_EQ(plain.find('{'), std::string::npos);
  Load();
  const struct {
    const char* name;
    std::function<void()> keys;
    std::string shown;  // the cell afterwards
  } cases[] = {
      {"opened and closed", [&] { Key(Qt::Key_Return); }, rtf},
      {"opened and left for another cell", [&] { ClickCell(2, 4); }, rtf},
      {"opened and left by a key", [&] { Key(Qt::Key_Down); }, rtf},
      {"a character typed", [&] { Key(Qt::Key_End), Type("!"), Key(Qt::Key_Return); }, plain + "!"},
      {"a character typed, then Escape", [&] { Key(Qt::Key_End), Type("!"), Key(Qt::Key_Escape); }, rtf},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.name);
    grid->SetCells(1, 2, rtf);
    grid->FocusCell(1, 2, true);
    Key(Qt::Key_F2);
    ASSERT_TRUE(EditorShown());
    EXPECT_EQ(EditorText(), plain);
    k.keys();
    if (EditorShown()) Key(Qt::Key_Escape);
    EXPECT_EQ(grid->Cells(1, 2), k.shown);
  }
}

// A filter no row passes leaves the header row on its own: no key or click makes it a cell to type
// into, and switching the filter off gives the current cell back.
TEST_F(TypingTest, AFilterThatHidesEveryRowKeepsTheHeaderAndGivesTheCellBack) {
  Load();
  grid->SetCells(1, 0, "Header");
  const struct {
    const char* name;
    std::function<void()> keys;
  } cases[] = {
      {"typed", [&] { Type("q"), Key(Qt::Key_Return); }},
      {"F2 and typed", [&] { Key(Qt::Key_F2), Type("q"), Key(Qt::Key_Return); }},
      {"clicked and typed", [&] { ClickCell(1, 0), Type("q"), Key(Qt::Key_Return); }},
      {"moved up and typed", [&] { Key(Qt::Key_Up), Type("q"), Key(Qt::Key_Return); }},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.name);
    grid->Filter()->Clear();
    TFilterData* f = grid->Filter()->Add();
    f->Column = 1;
    f->Condition = "nothing like it";
    grid->FocusCell(1, 2, true);
    grid->SetFilterActive(true);
    ASSERT_EQ(grid->RowCount(), 1);
    EXPECT_TRUE(grid->SelectionHidden());
    k.keys();
    Flush();
    EXPECT_EQ(grid->Cells(1, 0), "Header");
    grid->SetFilterActive(false);
    EXPECT_EQ(grid->RowCount(), 10);
    EXPECT_EQ(grid->FixedRows(), 1);
    EXPECT_FALSE(grid->SelectionHidden());
    EXPECT_EQ(Current(), TPoint(1, 2));
    EXPECT_EQ(grid->Cells(1, 0), "Header");
    EXPECT_EQ(grid->Cells(1, 2), "1:2");
  }
}

}  // namespace
