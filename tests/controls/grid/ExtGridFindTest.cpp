// Finding cells and the view around them: the cell search with its flags,
// highlighting and its exact way back, the lookup while typing, the search
// footer's actions, a cell brought into view and the hint of a dragged thumb.
#include <gtest/gtest.h>

#include <QScrollBar>
#include <random>
#include <string>
#include <vector>

#include "controls/grid/ExtUtil.h"
#include "controls/markup/MarkupText.h"
#include "platform/gui/DragDrop.h"
#include "platform/gui/Timer.h"
#include "platform/gui/ScrollFrame.h"
#include "platform/gui/WinWindow.h"
#include "platform/gui/Windows.h"
#include "tests/controls/grid/GridInputFixture.h"

namespace {

class FindTest : public GridInputTest {
 public:
  // 4 columns x 6 rows, one fixed row and column:
  //        c1      c2      c3
  //  r1   "abc"   "XAB"   ""
  //  r2   "ab"    "Abc"   "q"
  //  r3   ""      "zz"    "<b>AB</b>"
  //  r4   "k"     "abcd"  "m"
  //  r5   "x"     "y"     "ab"
  void Table() {
    grid->SetColCount(4);
    grid->SetRowCount(6);
    grid->SetFixedRows(1);
    grid->SetFixedCols(1);
    const char* t[5][3] = {{"abc", "XAB", ""}, {"ab", "Abc", "q"}, {"", "zz", "<b>AB</b>"}, {"k", "abcd", "m"},
                           {"x", "y", "ab"}};
    for (int r = 0; r < 5; ++r)
      for (int c = 0; c < 3; ++c) grid->SetCells(c + 1, r + 1, t[r][c]);
  }
};

TEST_F(FindTest, FindCellWalksTheRangeInScanOrderWithoutWrapping) {
  Table();
  struct Case {
    TPoint start;
    const char* text;
    TFindFlags flags;
    TPoint found;
  } cases[] = {
      {{-1, -1}, "ab", 0, {1, 1}},                                   // column-wise from the first cell
      {{1, 1}, "ab", 0, {1, 2}},                                     // one step on: the next row
      {{1, 2}, "ab", 0, {2, 1}},                                     // column 1 done: next column
      {{-1, -1}, "AB", ffCaseSensitive, {2, 1}},                     // "XAB" holds it as written
      {{-1, -1}, "AB", ffCaseSensitive | ffAtStart, {-1, -1}},       // "<b>AB</b>" starts with a tag
      {{-1, -1}, "AB", ffCaseSensitive | ffAtStart | ffStripTags, {3, 3}},
      {{-1, -1}, "ab", ffAtStart | ffRowWise, {1, 1}},
      {{1, 2}, "ab", ffAtStart | ffRowWise, {2, 2}},
      {{2, 1}, "ab", ffAtStart | ffRowWise, {1, 2}},                 // "XAB" does not start with it
      {{-1, -1}, "ab", ffWholeText | ffRowWise, {1, 2}},
      {{-1, -1}, "\"\"", ffRowWise, {3, 1}},                         // two quotes: the next empty cell
      {{3, 1}, "\"\"", ffRowWise, {1, 3}},
      {{-1, -1}, "ab", ffBackward, {3, 5}},                          // from the last cell backwards
      {{3, 5}, "ab", ffBackward, {3, 3}},
      {{3, 5}, "ab", 0, {-1, -1}},                                   // the last cell: no wrap
      {{-1, -1}, "zz", ffFixedCells, {2, 3}},
      {{-1, -1}, "nothing", ffRowWise, {-1, -1}},
      {{-1, -1}, "a*", ffExpression | ffRowWise, {1, 1}},
  };
  for (const Case& k : cases) {
    TPoint found(7, 7);
    grid->FindCell(k.start, k.text, found, k.flags);
    EXPECT_EQ(found.X, k.found.X) << k.text << " flags " << k.flags << " from " << k.start.X << "," << k.start.Y;
    EXPECT_EQ(found.Y, k.found.Y) << k.text << " flags " << k.flags << " from " << k.start.X << "," << k.start.Y;
  }
}

TEST_F(FindTest, FindCellRestrictionsAndGotoFound) {
  Table();
  TPoint found;
  grid->FocusCell(2, 4, true);
  grid->FindCell(TPoint(-1, -1), "ab", found, ffCurrentRow | ffRowWise);
  EXPECT_EQ(found, TPoint(2, 4)) << "only the current row";
  grid->FindCell(TPoint(-1, -1), "ab", found, ffCurrentCol);
  EXPECT_EQ(found, TPoint(2, 1)) << "only the current column";
  grid->PresetCol = 3;
  grid->FindCell(TPoint(-1, -1), "ab", found, ffPresetCol | ffGotoFound);
  EXPECT_EQ(found, TPoint(3, 3));
  EXPECT_EQ(Current(), TPoint(3, 3)) << "the current cell went to the found cell";
  // A grid of fixed rows only finds nothing.
  grid->FixedRowAlways = true;
  grid->SetRowCount(1);
  ASSERT_EQ(grid->FixedRows(), grid->RowCount());
  grid->FindCell(TPoint(-1, -1), "ab", found, 0);
  EXPECT_EQ(found, TPoint(-1, -1));
}

// The text a markup cell shows, as characters.
std::string Shown(const std::string& s) { return DecodeEntities(StripTags(s)); }

// Non-overlapping occurrences of Needle in Hay, ASCII letters without case.
int Occurrences(std::string hay, std::string needle) {
  hay = ExtUtil::UpperText(hay), needle = ExtUtil::UpperText(needle);
  int n = 0;
  for (size_t at = hay.find(needle); at != std::string::npos; at = hay.find(needle, at + needle.size())) ++n;
  return n;
}

TEST_F(FindTest, HighlightsNestAndTheirRoundTripGivesEveryCellBackByteForByte) {
  std::mt19937 rng(28);
  const std::vector<std::string> pieces = {"a", "A", "b", "&", "<", ">", "\"", " ", "ab", "<hi>", "</hi>",
                                           "<mark>", "<B>x</B>", "&amp;", "\xE9", "zz", "</i>"};
  const std::vector<std::string> searches = {"a", "&", "b", "ab"};
  grid->SetColCount(6);
  grid->SetRowCount(40);
  auto texts = [&] {
    std::vector<std::string> t;
    for (int r = 0; r < grid->RowCount(); ++r)
      for (int c = 0; c < grid->ColCount(); ++c) t.push_back(grid->Cells(c, r));
    return t;
  };
  const TGridRect all{0, 0, 5, 39};
  for (int round = 0; round < 16; ++round) {
    for (int r = 0; r < grid->RowCount(); ++r)
      for (int c = 0; c < grid->ColCount(); ++c) {
        std::string s;
        for (int n = rng() % 6; n > 0; --n) s += pieces[rng() % pieces.size()];
        grid->SetCells(c, r, s);
      }
    std::vector<std::string> before = texts();
    // Two layers of one tag, then one or two of the other; which tag comes first varies.
    const std::string first = round % 2 ? "hi" : "mark", second = round % 2 ? "mark" : "hi";
    const std::string s1 = searches[rng() % 4], s2 = searches[rng() % 4];
    grid->HilightInRange(all, false, s1, first);
    grid->HilightInRange(all, round % 3 == 0, s2, first);
    std::vector<std::string> firstOnly = texts();
    for (size_t i = 0; i < before.size(); ++i) {
      if (ExtUtil::TextType(before[i], true) != 0 || firstOnly[i] == before[i]) continue;
      EXPECT_EQ(Shown(firstOnly[i]), before[i]) << "a plain cell shows its own text while highlighted";
      const int want = Occurrences(before[i], s1) + (round % 3 == 0 ? 0 : Occurrences(before[i], s2));
      if (round % 3 != 0) {
        EXPECT_EQ(Occurrences(firstOnly[i], "<" + first + ">"), want)
            << "both highlights show in '" << before[i] << "' (" << s1 << ", " << s2 << ")";
      }
    }
    grid->HilightInRange(all, false, searches[rng() % 4], second);
    if (round % 4 == 1) {  // a highlighted row may move before the highlights go
      grid->MoveRow(3, 20);
      for (auto* v : {&before, &firstOnly}) std::rotate(v->begin() + 3 * 6, v->begin() + 4 * 6, v->begin() + 21 * 6);
    }
    grid->UnHilightInRange(all, second);
    const std::vector<std::string> left = texts();
    for (size_t i = 0; i < left.size(); ++i)
      ASSERT_EQ(left[i], firstOnly[i]) << "round " << round << ": taking one tag off leaves the other's exactly";
    grid->UnHilightInRange(all, first);
    const std::vector<std::string> after = texts();
    for (size_t i = 0; i < after.size(); ++i) ASSERT_EQ(after[i], before[i]) << "round " << round << " cell " << i;
  }
  // A layer over a layer of the same place sits inside it.
  grid->SetCells(1, 1, "ab & c");
  grid->HilightInRange(all, false, "ab", "hi");
  grid->HilightInRange(all, false, "b", "mark");
  EXPECT_EQ(grid->Cells(1, 1), "<hi>a<mark>b</mark></hi> &amp; c");
  grid->UnHilightInRange(all, "HI");  // tag names without case, as the markup reads them
  EXPECT_EQ(grid->Cells(1, 1), "a<mark>b</mark> &amp; c");
}

TEST_F(FindTest, HighlightKeepsUserTagsAndEditedCells) {
  grid->SetCells(1, 1, "<hi>mine</hi> and a");
  grid->SetCells(2, 1, "a & <b");
  grid->SetCells(3, 1, "=a+1");  // a formula is no text to mark
  grid->HilightInRange(TGridRect{1, 1, 3, 1}, false, "a", "hi");
  EXPECT_NE(grid->Cells(1, 1), "<hi>mine</hi> and a");
  EXPECT_EQ(Shown(grid->Cells(2, 1)), "a & <b");
  EXPECT_EQ(grid->Cells(3, 1), "=a+1");
  grid->SetCells(2, 1, "typed over");
  grid->UnHilightInRange(TGridRect{1, 1, 3, 1}, "hi");
  EXPECT_EQ(grid->Cells(1, 1), "<hi>mine</hi> and a") << "the user's own tags stay";
  EXPECT_EQ(grid->Cells(2, 1), "typed over") << "a cell written since keeps what was written";
  // Nothing highlighted: un-highlighting strips nothing.
  grid->UnHilightInRange(TGridRect{1, 1, 3, 1}, "hi");
  EXPECT_EQ(grid->Cells(1, 1), "<hi>mine</hi> and a");
}

TEST_F(FindTest, TypingJumpsToTheRowWhoseSortColumnStartsWithTheTypedText) {
  grid->SetOptions(grid->Options() & ~goEditing);
  grid->Navigation()->AutoGotoWhenSorted = true;
  grid->Navigation()->AutoGotoIncremental = true;
  grid->SetRowCount(8);
  grid->SetFixedFooters(1);
  const char* names[] = {"head", "alpha", "Beta", "<b>bEtter</b>", "gamma", "bed", "delta", "beyond"};
  for (int r = 0; r < 8; ++r) grid->SetCells(1, r, names[r]);
  const int beeps = BeepCount();
  struct Step {
    const char* keys;
    int row;
    const char* text;
  } steps[] = {
      {"b", 2, "b"}, {"e", 2, "be"}, {"t", 2, "bet"}, {"t", 3, "bett"},  // tags are not compared
      {"\b", 2, "bet"}, {"\b\b\b", 2, ""}, {"\b", 2, ""},              // Backspace on nothing does nothing
      {"g", 4, "g"}, {"x", 4, ""},                                      // no match: a beep, the text clears
      {"bey", 2, ""},                                                   // the footer row is never found
  };
  for (const Step& s : steps) {
    for (const char* k = s.keys; *k; ++k) {
      if (*k == '\b') SendKeyEvent(Target(), Qt::Key_Backspace, Qt::NoModifier, QString(QChar(8)));
      else Type(std::string(1, *k));
    }
    EXPECT_EQ(grid->Row(), s.row) << s.keys;
    EXPECT_EQ(grid->LookupText(), s.text) << s.keys;
  }
  EXPECT_EQ(BeepCount() - beeps, 2) << "each lookup without a match beeps once";
  Type("d");
  EXPECT_EQ(grid->Row(), 6);
  for (int i = 0; i < 3; ++i) grid->Perform(WM_TIMER, 111, 0);
  EXPECT_EQ(grid->LookupText(), "d");
  grid->Perform(WM_TIMER, 111, 0);
  EXPECT_EQ(grid->LookupText(), "") << "four idle ticks clear it";
}

TEST_F(FindTest, SearchFooterActions) {
  Table();
  grid->SearchFooterEditChange("ab", false, true);
  EXPECT_EQ(Current(), TPoint(1, 1));
  EXPECT_EQ(grid->SearchEditColor(), clWindow);
  EXPECT_NE(grid->Cells(2, 1).find("<hi>"), std::string::npos) << "highlighted while the box is checked";
  grid->SearchFooterFind("ab", false);
  EXPECT_EQ(Current(), TPoint(1, 2));
  grid->SearchFooterFind("ab", true);
  EXPECT_EQ(Current(), TPoint(1, 1));
  grid->SearchFooterEditChange("nothing", false, true);
  EXPECT_EQ(grid->SearchEditColor(), TColorOf(0x0000FF));
  EXPECT_EQ(grid->Cells(2, 1), "XAB") << "highlights removed";
  grid->SearchFooterEditChange("", false, true);
  EXPECT_EQ(grid->SearchEditColor(), clWindow);
}

TEST_F(FindTest, ScrollInViewReachesTheLastRowAndColumn) {
  struct Case {
    int fixedRows, fixedCols, col, row;
  } cases[] = {{0, 0, 0, 199}, {1, 0, 0, 199}, {1, 1, 39, 5}, {0, 1, 39, 199}, {1, 1, 20, 100}};
  for (const Case& k : cases) {
    grid->SetColCount(40);
    grid->SetRowCount(200);
    grid->SetFixedRows(k.fixedRows);
    grid->SetFixedCols(k.fixedCols);
    grid->SetTopRow(k.fixedRows);
    grid->SetLeftCol(k.fixedCols);
    grid->ScrollInView(k.col, k.row);
    TRect cr = grid->CellRect(k.col, k.row);
    EXPECT_FALSE(cr.Width() <= 0 || cr.Height() <= 0) << k.fixedRows << "/" << k.fixedCols << " " << k.col << "," << k.row;
    EXPECT_GE(k.row, grid->TopRow());
    EXPECT_LT(k.row, grid->TopRow() + grid->VisibleRowCount());
    EXPECT_LT(k.col, grid->LeftCol() + grid->VisibleColCount());
    // A visible cell moves nothing.
    const int top = grid->TopRow(), left = grid->LeftCol();
    grid->ScrollInView(k.col, k.row);
    EXPECT_EQ(grid->TopRow(), top);
    EXPECT_EQ(grid->LeftCol(), left);
  }
}

TEST_F(FindTest, ScrollHintNamesTheRowUnderTheThumb) {
  grid->ScrollHints = shVertical;
  std::string shown;
  grid->OnScrollHint = [&](TObject*, int row, std::string& text) {
    EXPECT_EQ(text, std::to_string(row));
    shown = text;
  };
  for (int rows : {4097, 1000000}) {
    grid->SetRowCount(rows);
    Flush();
    QScrollBar* bar = ScrollFrameOf(grid)->Bar(SB_VERT);
    for (int pos : {2, rows / 3, rows / 2 + 7, bar->maximum(), 1}) {
      bar->setSliderDown(true);
      bar->setSliderPosition(pos);
      EXPECT_EQ(shown, std::to_string(pos)) << rows << " rows, thumb at " << pos;
      ASSERT_TRUE(grid->ScrollHintWindow());
      EXPECT_TRUE(grid->ScrollHintWindow()->Active());
    }
    EXPECT_EQ(bar->maximum(), rows - grid->VisibleRowCount()) << "the last top row";
    bar->setSliderDown(false);
    Flush();
    EXPECT_FALSE(grid->ScrollHintWindow()->Active()) << "the hint goes when the thumb is let go";
  }
}

TEST_F(FindTest, DragNearTheEdgeScrollsOnTheGridsOwnTimer) {
  grid->SetRowCount(100);
  grid->DragScrollOptions()->SetActive(true);
  bool accept = false;
  grid->DragOver(nullptr, 100, grid->Height() - 5, dsDragEnter, accept);
  ASSERT_TRUE(grid->DragScrollTimer());
  EXPECT_EQ(grid->DragScrollTimer()->Owner(), grid) << "dies with the grid";
  EXPECT_EQ(grid->DragScrollTimer()->Interval(), 1000u);
  const int top = grid->TopRow();
  grid->DragScrollTimer()->Tick();
  EXPECT_EQ(grid->TopRow(), top + 1);
  EXPECT_EQ(grid->DragScrollTimer()->Interval(), 250u) << "then the repeat delay";
  grid->OnDragScroll = [](TObject*, int, int, int& dir, bool&) { dir = 1; };
  grid->DragScrollTimer()->Tick();
  EXPECT_EQ(grid->TopRow(), top) << "the handler turned it upwards";
  grid->DragOver(nullptr, 100, 100, dsDragMove, accept);
  EXPECT_FALSE(grid->DragScrollTimer()) << "away from the edges the timer goes";
}

// A drag of the window system over the grid (here sent through its window's drag events) runs the
// drag scrolling: near an edge the timer starts and its tick scrolls that way; leaving or dropping
// ends it. Registered for drag scrolling alone, the grid takes no drop.
TEST_F(FindTest, ADragOverTheGridsWindowScrollsNearItsEdges) {
  const struct {
    const char* name;
    int x, y;  // client point; negative: that far from the right or bottom edge
    int rows, cols;  // the scroll of one tick
  } cases[] = {
      {"bottom", 100, -5, 1, 0}, {"top", 100, 5, -1, 0}, {"right", -5, 100, 0, 1}, {"left", 5, 100, 0, -1},
      {"middle", 200, 120, 0, 0},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.name);
    grid->SetRowCount(100);
    grid->SetColCount(40);
    grid->DragScrollOptions()->SetActive(true);
    grid->SetTopRow(10);
    grid->SetLeftCol(10);
    grid->SetCells(3, 20, "kept");
    const TPoint at(k.x < 0 ? grid->Width() + k.x : k.x, k.y < 0 ? grid->Height() + k.y : k.y);
    TDataObject d;
    d.SetText("dropped");
    bool timer = false;
    int top = 0, left = 0;
    DeliverDrop(grid, d, grid->ClientToScreen(at), 0, DROPEFFECT_COPY, false, [&] {
      timer = grid->DragScrollTimer() != nullptr;
      if (timer) grid->DragScrollTimer()->Tick();
      top = grid->TopRow() - 10;
      left = grid->LeftCol() - 10;
    });
    EXPECT_EQ(timer, k.rows != 0 || k.cols != 0);
    EXPECT_EQ(top, k.rows);
    EXPECT_EQ(left, k.cols);
    EXPECT_FALSE(grid->DragScrollTimer()) << "leaving ends it";
    const TRect cell = grid->CellRect(3, 20);
    EXPECT_EQ(DeliverDrop(grid, d, grid->ClientToScreen(TPoint(cell.Left + 2, cell.Top + 2)), 0, DROPEFFECT_COPY),
              DROPEFFECT_NONE);
    EXPECT_EQ(grid->Cells(3, 20), "kept");
    EXPECT_FALSE(grid->DragScrollTimer()) << "a drop ends it";
  }
}

}  // namespace

namespace {

TEST_F(FindTest, ASearchOrViewChangeValidatesTheOpenEditBeforeItMoves) {
  grid->OnCellValidate = [](TObject*, int, int, std::string& v, bool& ok) { ok = v.find('z') == std::string::npos; };
  grid->SetCells(3, 8, "target");
  ClickCell(1, 1);
  Type("z");
  ASSERT_TRUE(EditorShown());
  TPoint found;
  grid->FindCell(TPoint(-1, -1), "target", found, ffGotoFound);
  EXPECT_EQ(Current(), TPoint(1, 1)) << "the refused edit keeps the cell";
  grid->ScrollInView(4, 9);
  EXPECT_EQ(Current(), TPoint(1, 1));
  Type("\b");
  Type("k");
  grid->FindCell(TPoint(-1, -1), "target", found, ffGotoFound);
  EXPECT_EQ(Current(), TPoint(3, 8)) << "an accepted edit lets the search move";
}

}  // namespace
