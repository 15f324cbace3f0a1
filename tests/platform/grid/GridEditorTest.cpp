// The inplace editor through the real widget: opened by F2, Return and a typed
// character; every change reaches SetEditText; masks ">CC" and "C"; the keys it
// does not use go to the grid; its placement, styles and the grid's data hooks.
#include "tests/platform/grid/GridTestSupport.h"

namespace {

class Editor : public GridTest {
 protected:
  void SetUp() override {
    GridTest::SetUp();
    grid->SetColCount(6);
    grid->SetRowCount(40);
    grid->SetOptions(grid->Options() | goEditing | goTabs);
    grid->OnSetEditText = [this](TObject*, int c, int r, const std::string& v) {
      edits.push_back(std::to_string(c) + "," + std::to_string(r) + "=" + v);
    };
  }
  TInplaceEdit* Ed() const { return grid->InplaceEditor(); }
  bool Open() const { return Ed() && Ed()->Visible(); }
  std::vector<std::string> edits;
};

TEST_F(Editor, F2ReturnAndATypedCharacterOpenTheEditor) {
  grid->SetCells(1, 1, "abc");
  Key(Qt::Key_F2);
  ASSERT_TRUE(Open());
  EXPECT_TRUE(grid->EditorMode());
  EXPECT_EQ(Ed()->Text(), "abc");
  EXPECT_EQ(Ed()->SelLength(), 3) << "the text opens selected";
  EXPECT_EQ(Ed()->BoundsRect(), grid->CellRect(1, 1)) << "placed on the current cell";
  EXPECT_TRUE(Ed()->Focused());
  EXPECT_TRUE(edits.empty()) << "opening reports no edit";
  Key(Qt::Key_Return);
  EXPECT_FALSE(Open()) << "Return closes it";
  EXPECT_FALSE(grid->EditorMode());
  EXPECT_TRUE(grid->Focused()) << "the grid takes the focus back";
  Key(Qt::Key_Return);
  EXPECT_TRUE(Open()) << "and opens it";
  Key(Qt::Key_Return);

  Key(Qt::Key_Right);
  Type("x");
  ASSERT_TRUE(Open());
  EXPECT_EQ(grid->Col(), 2);
  EXPECT_EQ(Ed()->Text(), "x") << "the typed character replaces the cell's text";
  EXPECT_EQ(grid->Cells(2, 1), "x");

  grid->SetOptions(grid->Options() | goAlwaysShowEditor);
  Key(Qt::Key_Return);
  EXPECT_TRUE(Open()) << "with goAlwaysShowEditor Return does not close it";
  grid->SetOptions(grid->Options() & ~goEditing);
  EXPECT_FALSE(Open()) << "dropping goEditing closes it";
  Type("q");
  EXPECT_FALSE(Open());
  EXPECT_EQ(grid->Cells(2, 1), "x");
}

TEST_F(Editor, EveryChangeOfTheTextReachesSetEditText) {
  Type("AB");
  EXPECT_EQ(edits, (std::vector<std::string>{"1,1=A", "1,1=AB"}));
  EXPECT_EQ(grid->Cells(1, 1), "AB");
  Key(Qt::Key_Backspace);
  EXPECT_EQ(edits.back(), "1,1=A");
  EXPECT_EQ(grid->Cells(1, 1), "A") << "each keystroke is in the cell at once";
  edits.clear();
  Key(Qt::Key_Down);
  EXPECT_FALSE(Open());
  EXPECT_EQ(grid->Row(), 2) << "Down goes to the grid";
  EXPECT_EQ(edits, (std::vector<std::string>{"1,1=A"})) << "the closing editor reports its text once more";

  // OnGetEditText may change what the editor shows.
  grid->SetCells(1, 2, "raw");
  grid->OnGetEditText = [](TObject*, int, int, std::string& v) { v = "<" + v + ">"; };
  Key(Qt::Key_F2);
  EXPECT_EQ(Ed()->Text(), "<raw>");
}

TEST_F(Editor, MaskOfTwoUpperCaseCharactersAndOfOneWithOverwriteTyping) {
  grid->OnGetEditMask = [](TObject*, int c, int, std::string& m) { m = c == 1 ? ">CC" : "C"; };
  grid->SetCells(1, 1, "ff");
  Type("a");
  EXPECT_EQ(Ed()->EditText(), "A_");
  EXPECT_EQ(grid->Cells(1, 1), "A ") << "a blank reaches the cell as a space";
  int beeps = BeepCount();
  Type("bc");
  EXPECT_EQ(grid->Cells(1, 1), "AB");
  EXPECT_EQ(BeepCount(), beeps + 1) << "a third character does not fit";
  Key(Qt::Key_Backspace);
  EXPECT_EQ(grid->Cells(1, 1), "A ");
  Key(Qt::Key_Tab);
  EXPECT_EQ(grid->Col(), 2) << "an incomplete entry lets Tab move on";
  EXPECT_EQ(grid->Cells(1, 1), "A ");

  grid->SetCells(2, 1, "5");
  Key(Qt::Key_F2);
  EXPECT_EQ(Ed()->Text(), "5");
  Key(Qt::Key_Left);  // the caret to the start, the text stays
  ASSERT_TRUE(Open());
  Type("7");
  EXPECT_EQ(grid->Cells(2, 1), "7") << "typing overwrites the masked position";
  Type("8");
  EXPECT_EQ(grid->Cells(2, 1), "7");
}

TEST_F(Editor, KeysTheEditorDoesNotUseGoToTheGrid) {
  std::vector<WORD> seen;
  grid->OnKeyDown = [&](TObject*, WORD& k, TShiftState) { seen.push_back(k); };
  grid->SetCells(2, 3, "hello");
  grid->SetCells(3, 3, "next");
  grid->SetCol(2);
  grid->SetRow(3);
  Key(Qt::Key_F2);
  Key(Qt::Key_End);  // the selection ends, the caret is at the end: the editor keeps End
  ASSERT_TRUE(Open());
  Key(Qt::Key_Left);
  EXPECT_TRUE(Open()) << "Left inside the text stays in the editor";
  EXPECT_EQ(Ed()->SelStart(), 4);
  Key(Qt::Key_Right);
  Key(Qt::Key_Right);
  EXPECT_EQ(grid->Col(), 3) << "Right at the end of the text moves to the next cell";
  EXPECT_FALSE(Open());
  Key(Qt::Key_F2);
  Key(Qt::Key_Home);
  Key(Qt::Key_Left);
  EXPECT_EQ(grid->Col(), 2) << "Left at the start moves to the cell before";
  Key(Qt::Key_F2);
  Key(Qt::Key_PageDown);
  EXPECT_GT(grid->Row(), 3);
  Key(Qt::Key_F2);
  Key(Qt::Key_Tab);
  EXPECT_EQ(grid->Col(), 3) << "Tab goes on with goTabs";
  Key(Qt::Key_F2);
  seen.clear();
  Type("z");
  EXPECT_EQ(seen, std::vector<WORD>{'Z'}) << "keys the editor uses are shown to the grid's OnKeyDown too";
  Key(Qt::Key_Up);
  EXPECT_EQ(seen.back(), VK_UP);
}

TEST_F(Editor, EscapeGivesTheCellItsTextBack) {
  grid->SetCells(1, 1, "keep");
  Key(Qt::Key_F2);
  Type("new");
  EXPECT_EQ(grid->Cells(1, 1), "new");
  Key(Qt::Key_Escape);
  EXPECT_FALSE(Open());
  EXPECT_EQ(grid->Cells(1, 1), "keep");
  EXPECT_EQ(edits.back(), "1,1=keep");
}

TEST_F(Editor, AProgramWriteToTheEditedCellShowsInTheEditor) {
  Type("ab");
  grid->SetCells(1, 1, "from code");
  EXPECT_EQ(Ed()->Text(), "from code");
  grid->SetCells(2, 1, "elsewhere");
  EXPECT_EQ(Ed()->Text(), "from code");
}

TEST_F(Editor, TheEditorFollowsScrollingAndLeavesWithItsCell) {
  Key(Qt::Key_F2);
  grid->SetTopRow(2);
  EXPECT_FALSE(Open()) << "scrolled out of view";
  EXPECT_TRUE(grid->EditorMode());
  grid->SetTopRow(1);
  EXPECT_TRUE(Open());
  EXPECT_EQ(Ed()->BoundsRect(), grid->CellRect(1, 1));
  grid->SetColWidths(0, 20);
  EXPECT_EQ(Ed()->BoundsRect(), grid->CellRect(1, 1)) << "a width change places it again";
}

TEST_F(Editor, TheOptionsWriteInvalidatesTheWholeGridOnce) {
  PaintAll();
  int paints = grid->Paints;
  grid->SetOptions(grid->Options() | goRowSizing);
  auto drawn = PaintPending();
  size_t cells = 0;
  for (int r = 0; r < grid->RowCount(); ++r)
    for (int c = 0; c < grid->ColCount(); ++c) cells += grid->CellRect(c, r).Right > grid->CellRect(c, r).Left;
  EXPECT_EQ(drawn.size(), cells);
  EXPECT_EQ(grid->Paints, paints + 1) << "one paint for the whole grid";
}

class TStyledEdit : public TInplaceEdit {
 public:
  using TInplaceEdit::TInplaceEdit;
  int Placed = 0;

 protected:
  void CreateParams(TCreateParams& p) override {
    TInplaceEdit::CreateParams(p);
    p.Style |= ES_RIGHT | ES_PASSWORD;
  }
  // Placed one pixel smaller than the cell, as a descendant may place it.
  void BoundsChanged() override {
    ++Placed;
    TInplaceEdit::BoundsChanged();
    if (!Grid()) return;
    TRect r = Grid()->CellRect(Grid()->Col(), Grid()->Row());
    SetBounds(r.Left, r.Top, r.Right - r.Left - 1, r.Bottom - r.Top - 1);
  }
};

class TStyledGrid : public TStringGrid {
 public:
  using TStringGrid::TStringGrid;
  int Created = 0;

 protected:
  TInplaceEdit* CreateEditor() override {
    ++Created;
    return new TStyledEdit(this);
  }
};

TEST_F(Editor, AReplacedEditorIsMadeOnceAndKeepsItsStylesAndPlacement) {
  auto* g = new TStyledGrid(form);
  g->SetParent(form);
  g->SetBounds(10, 10, 300, 200);
  g->SetOptions(g->Options() | goEditing);
  g->SetCells(1, 1, "secret");
  g->SetFocus();
  Key(g, Qt::Key_F2);
  auto* e = dynamic_cast<TStyledEdit*>(g->InplaceEditor());
  ASSERT_TRUE(e && e->Visible());
  TRect cell = g->CellRect(1, 1);
  EXPECT_EQ(e->BoundsRect(), TRect(cell.Left, cell.Top, cell.Right - 1, cell.Bottom - 1));
  EXPECT_EQ(e->PasswordChar(), '*');
  EXPECT_EQ(e->Alignment(), taRightJustify);
  EXPECT_TRUE(e->EditStyle() & ES_MULTILINE);
  Key(e, Qt::Key_Down);
  Key(g, Qt::Key_F2);
  EXPECT_EQ(g->Created, 1) << "made once, when first needed";
  EXPECT_LT(e->Placed, 20) << "placing again from the hook ends";
  EXPECT_EQ(e->BoundsRect(), TRect(cell.Left, cell.Bottom + 1, cell.Right - 1, cell.Bottom + 1 + cell.Bottom - cell.Top - 1));
}

TEST_F(Editor, CaretLineLineCountAndCharacterFromPoint) {
  grid->SetCells(1, 1, "one\r\ntwo\r\nthree");
  Key(Qt::Key_F2);
  EXPECT_EQ(Ed()->LineCount(), 3);
  Ed()->SetSelStart(0);
  EXPECT_EQ(Ed()->CaretLine(), 0);
  Ed()->SetSelStart(9);
  EXPECT_EQ(Ed()->CaretLine(), 1);
  Ed()->SetSelStart(15);
  EXPECT_EQ(Ed()->CaretLine(), 2);
  grid->SetCells(1, 1, "wide text");
  EXPECT_EQ(Ed()->CharFromPos(TPoint(0, 5)), 0);
  EXPECT_EQ(Ed()->CharFromPos(TPoint(Ed()->Width() - 1, 5)), 9) << "right of the text: its end";
}

}  // namespace
