// The grid under the mouse without a click, its own timer, its size and its
// focus: hot list-view headers, sizing from any cell, links, hints per cell,
// hovering, blinking text, kept scroll bars, sizing with the form.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QScrollBar>
#include <set>
#include <string>
#include <utility>

#include "platform/gui/Feedback.h"
#include "platform/gui/FormImage.h"
#include "platform/gui/Hints.h"
#include "platform/gui/VisualStyles.h"
#include "platform/gui/ScrollFrame.h"
#include "tests/controls/grid/GridInputFixture.h"

namespace {

constexpr WPARAM kGridTimer = 111;

class HoverTest : public GridInputTest {
 public:
  void SetUp() override {
    GridInputTest::SetUp();
    grid->OnDrawCell = [this](TObject*, int c, int r, TRect, TGridDrawState) { drawn.insert({c, r}); };
  }
  void Move(int x, int y) { Mouse(QEvent::MouseMove, x, y, Qt::NoButton); }
  void MoveTo(int c, int r) {
    TPoint p = Mid(c, r);
    Move(p.X, p.Y);
  }
  void Leave() {
    QEvent e(QEvent::Leave);
    QCoreApplication::sendEvent(grid->ClientWidget(), &e);
  }
  void Tick() { grid->Perform(WM_TIMER, kGridTimer, 0); }
  // The cells painted by the pending repaint.
  std::set<std::pair<int, int>> Painted() {
    drawn.clear();
    Flush();
    return drawn;
  }
  THintInfo HintAt(int c, int r) {
    THintInfo info;
    info.CursorPos = Mid(c, r);
    info.HintStr = grid->Hint();
    grid->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info));
    return info;
  }
  // A point of a markup cell's text that lies on an anchor (or on none), found by walking the cell.
  TPoint AnchorPoint(int c, int r, const std::string& anchor) {
    TRect rc = grid->CellRect(c, r);
    for (int x = rc.Left; x < rc.Right; ++x)
      for (int y = rc.Top; y < rc.Bottom; y += 2)
        if (grid->AnchorAt(x, y) == anchor) return TPoint(x, y);
    return TPoint(-1, -1);
  }
  std::set<std::pair<int, int>> drawn;
};

// ---------------------------------------------------------------- hot headers
TEST_F(HoverTest, ListViewHeaderUnderTheMouseIsHotUntilTheMouseGoes) {
  grid->SetLook(glListView);
  Load();
  MoveTo(2, 0);
  EXPECT_EQ(grid->HotFixedCell(), TPoint(2, 0));
  EXPECT_TRUE(Painted().count({2, 0}));
  MoveTo(3, 0);
  EXPECT_EQ(grid->HotFixedCell(), TPoint(3, 0));
  auto p = Painted();
  EXPECT_TRUE(p.count({2, 0}) && p.count({3, 0})) << "the old and the new hot cell are repainted";
  EXPECT_FALSE(p.count({1, 0}));
  MoveTo(0, 4);
  EXPECT_EQ(grid->HotFixedCell(), TPoint(0, 4)) << "a fixed column cell is hot too";
  MoveTo(2, 4);
  EXPECT_EQ(grid->HotFixedCell(), TPoint(-1, -1)) << "a scrollable cell is never hot";
  EXPECT_TRUE(Painted().count({0, 4}));
  MoveTo(2, 0);
  Painted();
  Leave();
  EXPECT_EQ(grid->HotFixedCell(), TPoint(-1, -1));
  EXPECT_TRUE(Painted().count({2, 0})) << "leaving the grid repaints the header cold";
}

TEST_F(HoverTest, OtherLooksTrackNoHotCell) {
  grid->SetLook(glXP);
  Load();
  MoveTo(2, 0);
  EXPECT_EQ(grid->HotFixedCell(), TPoint(-1, -1));
}

TEST_F(HoverTest, HotHeaderIsDrawnLighterThanItsNeighbours) {
  grid->SetLook(glListView);
  for (int c = 0; c < grid->ColCount(); ++c) grid->SetCells(c, 0, "");
  Load();
  QImage cold = RenderControlImage(grid);
  MoveTo(2, 0);
  Flush();
  QImage hot = RenderControlImage(grid);
  TRect h = grid->CellRect(2, 0), n = grid->CellRect(3, 0);
  // Client and window coordinates differ by the border.
  int bx = (grid->Width() - grid->ClientWidth()) / 2, by = (grid->Height() - grid->ClientHeight()) / 2;
  auto light = [&](const QImage& img, const TRect& r) {
    return qGray(img.pixel(bx + (r.Left + r.Right) / 2, by + (r.Top + r.Bottom) / 2 + 3));
  };
  EXPECT_EQ(light(cold, h), light(cold, n));
  EXPECT_GT(light(hot, h), light(hot, n));
  EXPECT_EQ(light(hot, n), light(cold, n));
  // Without visual styles every header is one face, hot or not.
  SetVisualStylesLoader([] { return std::unique_ptr<TVisualStylesLibrary>(); });
  QImage plain = RenderControlImage(grid);
  SetVisualStylesLoader(nullptr);
  EXPECT_EQ(grid->HotFixedCell(), TPoint(2, 0));
  EXPECT_EQ(light(plain, h), light(plain, n));
}

// ---------------------------------------------------------------- sizing from any cell
TEST_F(HoverTest, SizeFixedColSizesTheColumnWhoseBorderIsNearInAnyRow) {
  Load();
  std::string log;
  grid->OnEndColumnSize = [&](TObject*, int c) { log += "End(" + std::to_string(c) + ")"; };
  int w2 = grid->ColWidths(2), w3 = grid->ColWidths(3);
  TRect r = grid->CellRect(2, 5);
  int y = (r.Top + r.Bottom) / 2;
  // Without the option a press there selects.
  Move(r.Right + 1, y);
  Mouse(QEvent::MouseButtonPress, r.Right + 1, y);
  Mouse(QEvent::MouseMove, r.Right + 21, y);
  Mouse(QEvent::MouseButtonRelease, r.Right + 21, y);
  EXPECT_EQ(grid->ColWidths(2), w2);
  grid->MouseActions()->SizeFixedCol = true;
  Move(r.Right + 2, y);
  Mouse(QEvent::MouseButtonPress, r.Right + 2, y);
  EXPECT_EQ(grid->GridState(), gsColSizing);
  Mouse(QEvent::MouseMove, r.Right + 27, y);
  ASSERT_EQ(grid->SizingLines().size(), 1u) << "the sizing line follows the mouse";
  EXPECT_EQ(grid->SizingLines()[0], (TExtStringGrid::TSizingLine{true, r.Right + 25}));
  Mouse(QEvent::MouseButtonRelease, r.Right + 27, y);
  EXPECT_TRUE(grid->SizingLines().empty());
  EXPECT_EQ(grid->ColWidths(2), w2 + 25);
  EXPECT_EQ(grid->ColWidths(3), w3);
  EXPECT_EQ(log, "End(2)");
  // 4 pixels from the border is a plain cell again.
  r = grid->CellRect(2, 5);
  Move(r.Right - 4, y);
  Mouse(QEvent::MouseButtonPress, r.Right - 4, y);
  EXPECT_EQ(grid->GridState(), gsSelecting);
  Mouse(QEvent::MouseButtonRelease, r.Right - 4, y);
}

// OnRowSize is asked where the cell above the border is a fixed one: a refusal there holds, one for
// a border between scrolling cells does not.
TEST_F(HoverTest, SizeFixedRowSizesTheRowAndTheHandlerMayRefuseInTheFixedColumn) {
  Load();
  grid->MouseActions()->SizeFixedRow = true;
  int h4 = grid->RowHeights(4), h5 = grid->RowHeights(5);
  TRect r = grid->CellRect(3, 4);
  int x = (r.Left + r.Right) / 2;
  Move(x, r.Bottom);
  Mouse(QEvent::MouseButtonPress, x, r.Bottom);
  Mouse(QEvent::MouseMove, x, r.Bottom + 12);
  Mouse(QEvent::MouseButtonRelease, x, r.Bottom + 12);
  EXPECT_EQ(grid->RowHeights(4), h4 + 12);
  EXPECT_EQ(grid->RowHeights(5), h5);
  std::string asked;
  grid->OnRowSize = [&](TObject*, int row, bool& allow) {
    asked += std::to_string(row) + " ";
    allow = false;
  };
  r = grid->CellRect(3, 4);
  Move(x, r.Bottom);
  Mouse(QEvent::MouseButtonPress, x, r.Bottom);
  Mouse(QEvent::MouseMove, x, r.Bottom + 12);
  Mouse(QEvent::MouseButtonRelease, x, r.Bottom + 12);
  EXPECT_EQ(grid->RowHeights(4), h4 + 24);
  EXPECT_EQ(asked, "");
  r = grid->CellRect(0, 5);
  const int x0 = (r.Left + r.Right) / 2;
  Move(x0, r.Bottom);
  Mouse(QEvent::MouseButtonPress, x0, r.Bottom);
  Mouse(QEvent::MouseMove, x0, r.Bottom + 12);
  Mouse(QEvent::MouseButtonRelease, x0, r.Bottom + 12);
  EXPECT_EQ(grid->RowHeights(5), h5);
  EXPECT_NE(asked.find("5 "), std::string::npos);
}

TEST_F(HoverTest, LeavingTheGridClearsTheSizingMark) {
  Load();
  grid->MouseActions()->SizeFixedCol = true;
  int w2 = grid->ColWidths(2);
  TRect r = grid->CellRect(2, 5);
  int y = (r.Top + r.Bottom) / 2;
  Move(r.Right, y);
  Leave();
  Mouse(QEvent::MouseButtonPress, r.Right, y);
  EXPECT_NE(grid->GridState(), gsColSizing);
  Mouse(QEvent::MouseButtonRelease, r.Right + 20, y);
  EXPECT_EQ(grid->ColWidths(2), w2);
}

TEST_F(HoverTest, SizingHintShowsTheWidthTheColumnGetsOnlyWithTheSetting) {
  grid->SetOptions(grid->Options() | goColSizing);
  Load();
  TRect h = grid->CellRect(1, 0);
  int y = (h.Top + h.Bottom) / 2;
  Move(h.Right, y);
  Mouse(QEvent::MouseButtonPress, h.Right, y);
  Mouse(QEvent::MouseMove, h.Right + 17, y);
  EXPECT_EQ(grid->SizingHintWindow(), nullptr) << "HintShowSizing off";
  Mouse(QEvent::MouseButtonRelease, h.Right - 17, y);
  grid->HintShowSizing = true;
  int w1 = grid->ColWidths(1);
  h = grid->CellRect(1, 0);
  Move(h.Right, y);
  Mouse(QEvent::MouseButtonPress, h.Right, y);
  Mouse(QEvent::MouseMove, h.Right + 17, y);
  ASSERT_NE(grid->SizingHintWindow(), nullptr);
  EXPECT_TRUE(grid->SizingHintWindow()->Active());
  EXPECT_EQ(grid->SizingHintWindow()->Caption(), std::to_string(w1 + 17));
  Mouse(QEvent::MouseButtonRelease, h.Right + 17, y);
  EXPECT_EQ(grid->ColWidths(1), w1 + 17);
  EXPECT_FALSE(grid->SizingHintWindow()->Active()) << "the hint goes when sizing ends";
}

// ---------------------------------------------------------------- links
TEST_F(HoverTest, HandCursorOverAnAddressWithURLShowOnly) {
  grid->SetCells(2, 3, "http://example.org");
  Load();
  MoveTo(2, 3);
  EXPECT_EQ(grid->Cursor(), crDefault) << "URLShow off";
  grid->SetURLShow(true);
  MoveTo(2, 3);
  EXPECT_EQ(grid->Cursor(), crHandPoint);
  EXPECT_EQ(grid->ClientWidget()->cursor().shape(), Qt::PointingHandCursor);
  MoveTo(3, 3);
  EXPECT_EQ(grid->Cursor(), crDefault);
  EXPECT_NE(grid->ClientWidget()->cursor().shape(), Qt::PointingHandCursor);
  // A cursor written through the property, before or while the hand shows, is the one that comes back.
  for (bool whileHand : {false, true}) {
    SCOPED_TRACE(whileHand ? "written while the hand shows" : "written before");
    grid->SetCursor(crDefault);
    if (!whileHand) grid->SetCursor(crCross);
    MoveTo(2, 3);
    EXPECT_EQ(grid->Cursor(), crHandPoint);
    if (whileHand) grid->SetCursor(crCross);
    MoveTo(2, 3);
    EXPECT_EQ(grid->Cursor(), crHandPoint) << "the hand shows again over the address";
    MoveTo(3, 3);
    EXPECT_EQ(grid->Cursor(), crCross);
  }
}

TEST_F(HoverTest, AnchorsFireEnterAndExitInOrder) {
  grid->SetColWidths(2, 200);
  grid->SetCells(2, 3, "<A HREF=\"ONE\">one</A> plain text <A HREF=\"TWO\">two</A>");
  Load();
  std::string log;
  grid->OnAnchorEnter = [&](TObject*, int r, int c, const std::string& a) {
    log += "enter " + a + " " + std::to_string(c) + "," + std::to_string(r) + "; ";
  };
  grid->OnAnchorExit = [&](TObject*, int r, int c, const std::string& a) {
    log += "exit " + a + " " + std::to_string(c) + "," + std::to_string(r) + "; ";
  };
  TPoint one = AnchorPoint(2, 3, "ONE"), two = AnchorPoint(2, 3, "TWO");
  ASSERT_GE(one.X, 0);
  ASSERT_GE(two.X, 0);
  TPoint plain((one.X + two.X) / 2, one.Y);
  ASSERT_EQ(grid->AnchorAt(plain.X, plain.Y), "");
  Move(one.X, one.Y);
  EXPECT_EQ(grid->Cursor(), crHandPoint);
  Move(one.X + 1, one.Y);  // still the same anchor: nothing new
  Move(plain.X, plain.Y);
  EXPECT_EQ(grid->Cursor(), crDefault);
  Move(two.X, two.Y);
  Move(one.X, one.Y);
  Leave();
  EXPECT_EQ(log,
            "enter ONE 2,3; exit ONE 2,3; enter TWO 2,3; exit TWO 2,3; enter ONE 2,3; exit ONE 2,3; ");
}

// ---------------------------------------------------------------- hints per cell
TEST_F(HoverTest, HintShowCellsGivesTheCellTextBelowTheCellButNotForFixedCells) {
  grid->HintShowCells = true;
  grid->HintColor = clYellow;
  grid->SetCells(2, 4, "<B>bold</B> text");
  Load();
  THintInfo info = HintAt(1, 3);
  EXPECT_EQ(info.HintStr, "1:3");
  EXPECT_TRUE(info.Show);
  TRect cell = grid->CellRect(1, 3);
  EXPECT_EQ(info.HintPos, grid->ClientToScreen(TPoint(cell.Left, cell.Bottom)));
  EXPECT_EQ(info.CursorRect, cell) << "the hint belongs to this cell only";
  EXPECT_EQ(info.HintColor, clYellow);
  EXPECT_EQ(HintAt(2, 4).HintStr, "bold text") << "tags removed";
  grid->HTMLHint = true;
  EXPECT_EQ(HintAt(2, 4).HintStr, "<B>bold</B> text");
  THintInfo fixedRow = HintAt(2, 0), fixedCol = HintAt(0, 5);
  EXPECT_EQ(fixedRow.HintStr, "");
  EXPECT_FALSE(fixedRow.Show);
  EXPECT_EQ(fixedCol.HintStr, "");
}

TEST_F(HoverTest, HintShowLargeTextOnlyForTextThatDoesNotFit) {
  grid->HintShowLargeText = true;
  grid->SetCells(1, 2, "a text far too long to fit into one narrow cell of this grid");
  Load();
  EXPECT_EQ(HintAt(1, 3).HintStr, "") << "fits";
  EXPECT_EQ(HintAt(1, 2).HintStr, "a text far too long to fit into one narrow cell of this grid");
  grid->SetColWidths(1, 600);
  EXPECT_EQ(HintAt(1, 2).HintStr, "") << "fits once the column is wide enough";
  grid->Multilinecells = true;
  grid->SetCells(1, 5, "one\r\ntwo\r\nthree");
  EXPECT_EQ(HintAt(1, 5).HintStr, "one\r\ntwo\r\nthree") << "too many lines for the row's height";
  grid->SetRowHeights(5, 80);
  EXPECT_EQ(HintAt(1, 5).HintStr, "") << "fits once the row is high enough";
}

TEST_F(HoverTest, OnGridHintHasTheLastWordAndTheGridsHintStaysElsewhere) {
  grid->SetHint("grid hint");
  Load();
  EXPECT_EQ(HintAt(1, 3).HintStr, "grid hint") << "no cell hints asked for";
  std::string seen;
  grid->OnGridHint = [&](TObject*, int r, int c, std::string& h) {
    seen = std::to_string(c) + "," + std::to_string(r) + "=" + h;
    h = "custom " + std::to_string(c);
  };
  grid->HintShowCells = true;
  EXPECT_EQ(HintAt(3, 6).HintStr, "custom 3");
  EXPECT_EQ(seen, "3,6=3:6");
}

TEST_F(HoverTest, AnchorHintShowsTheAnchorAsTheHandlerLeavesIt) {
  grid->SetColWidths(2, 200);
  grid->SetCells(2, 3, "go <A HREF=\"TARGET\">here</A> now");
  grid->AnchorHint = true;
  grid->HintShowCells = true;
  Load();
  TPoint on = AnchorPoint(2, 3, "TARGET");
  ASSERT_GE(on.X, 0);
  THintInfo info;
  info.CursorPos = on;
  grid->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_EQ(info.HintStr, "TARGET");
  grid->OnAnchorHint = [](TObject*, int r, int c, std::string& a) { a = "to " + a + " from " + std::to_string(c); };
  grid->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_EQ(info.HintStr, "to TARGET from 2");
  TRect rc = grid->CellRect(2, 3);
  THintInfo off;
  off.CursorPos = TPoint(rc.Right - 3, on.Y);
  grid->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&off));
  EXPECT_EQ(off.HintStr, "go here now") << "away from the anchor the cell text";
}

TEST_F(HoverTest, ShownHintGoesWhenTheMouseReachesAnotherCell) {
  grid->SetShowHint(true);
  grid->HintShowCells = true;
  Load();
  MoveTo(1, 3);
  Application->ActivateHint(grid->ClientToScreen(Mid(1, 3)));
  ASSERT_NE(Application->HintWindow(), nullptr);
  ASSERT_TRUE(Application->HintWindow()->Active());
  EXPECT_EQ(Application->HintWindow()->Caption(), "1:3");
  TPoint below = grid->ClientToScreen(TPoint(grid->CellRect(1, 3).Left, grid->CellRect(1, 3).Bottom));
  EXPECT_EQ(Application->HintWindow()->Left(), below.X);
  EXPECT_EQ(Application->HintWindow()->Top(), below.Y);
  MoveTo(1, 3);
  EXPECT_TRUE(Application->HintWindow()->Active()) << "the same cell keeps it";
  MoveTo(2, 3);
  EXPECT_FALSE(Application->HintWindow()->Active());
}

// ---------------------------------------------------------------- the timer
TEST_F(HoverTest, TheGridsTimerRunsEveryHalfSecond) {
  Load();
  EXPECT_EQ(WindowTimerInterval(grid->Handle(), kGridTimer), 500u);
  int ticks = grid->TimerTicks();
  Tick();
  EXPECT_EQ(grid->TimerTicks(), ticks + 1);
}

TEST_F(HoverTest, BlinkRepaintsOnlyCellsHoldingABlinkTag) {
  grid->SetCells(2, 3, "<BLINK>x</BLINK>");
  grid->SetCells(3, 0, "<blink>h</blink>");
  grid->SetCells(1, 6, "<B>bold</B>");
  grid->SetRowCount(40);
  Load();
  Painted();
  Tick();
  EXPECT_TRUE(Painted().empty()) << "EnableBlink off";
  EXPECT_TRUE(grid->BlinkShown());
  grid->EnableBlink = true;
  bool before = grid->BlinkShown();
  Tick();
  EXPECT_NE(grid->BlinkShown(), before);
  EXPECT_EQ(Painted(), (std::set<std::pair<int, int>>{{2, 3}, {3, 0}}));
  Tick();
  EXPECT_EQ(grid->BlinkShown(), before);
  EXPECT_EQ(Painted(), (std::set<std::pair<int, int>>{{2, 3}, {3, 0}}));
  grid->SetTopRow(5);
  ASSERT_EQ(grid->TopRow(), 5);
  Flush();
  Tick();
  EXPECT_EQ(Painted(), (std::set<std::pair<int, int>>{{3, 0}})) << "a cell scrolled out of view is left alone";
}

TEST_F(HoverTest, BlinkTextShowsAndHidesWithThePhase) {
  grid->SetCells(2, 3, "<BLINK>XXXXXX</BLINK>");
  grid->EnableBlink = true;
  Load();
  TRect rc = grid->CellRect(2, 3);
  int bx = (grid->Width() - grid->ClientWidth()) / 2, by = (grid->Height() - grid->ClientHeight()) / 2;
  auto dark = [&] {
    QImage img = RenderControlImage(grid);
    int n = 0;
    for (int x = rc.Left + 2; x < rc.Right - 2; ++x)
      for (int y = rc.Top + 2; y < rc.Bottom - 2; ++y)
        if (qGray(img.pixel(bx + x, by + y)) < 100) ++n;
    return n;
  };
  ASSERT_TRUE(grid->BlinkShown());
  int shown = dark();
  Tick();
  Flush();
  int hidden = dark();
  EXPECT_GT(shown, 10);
  EXPECT_EQ(hidden, 0);
  grid->EnableBlink = false;
  grid->Invalidate();
  Flush();
  EXPECT_EQ(dark(), shown) << "without blinking the text shows steadily";
}

TEST_F(HoverTest, HoveringMovesTheCurrentCellToTheScrollableCellUnderTheMouse) {
  Load();
  grid->FocusCell(1, 1, true);
  other->SetFocus();
  Flush();
  MoveTo(3, 6);
  Tick();
  EXPECT_EQ(Current(), TPoint(1, 1)) << "Hovering off";
  grid->Hovering = true;
  Tick();
  EXPECT_EQ(Current(), TPoint(3, 6));
  EXPECT_TRUE(grid->Focused());
  MoveTo(0, 4);
  Tick();
  EXPECT_EQ(Current(), TPoint(3, 6)) << "a fixed cell is not taken";
  MoveTo(2, 2);
  Leave();
  Tick();
  EXPECT_EQ(Current(), TPoint(3, 6)) << "the mouse is gone";
}

// ---------------------------------------------------------------- size
TEST_F(HoverTest, ScrollBarAlwaysKeepsTheBarsWithFewRows) {
  grid->SetRowCount(3);
  grid->SetColCount(2);
  Load();
  HWND h = grid->Handle();
  EXPECT_FALSE(ScrollBarShown(h, SB_VERT));
  EXPECT_FALSE(ScrollBarShown(h, SB_HORZ));
  int cw = grid->ClientWidth();
  grid->SetScrollBarAlways(saVert);
  Flush();
  EXPECT_TRUE(ScrollBarShown(h, SB_VERT));
  EXPECT_FALSE(ScrollBarShown(h, SB_HORZ));
  EXPECT_LT(grid->ClientWidth(), cw) << "the kept bar takes its room";
  EXPECT_FALSE(ScrollFrameOf(grid)->Bar(SB_VERT)->isEnabled()) << "nothing to scroll";
  grid->SetRowCount(4);
  grid->SetColWidths(1, 90);
  Flush();
  EXPECT_TRUE(ScrollBarShown(h, SB_VERT)) << "kept through later changes";
  grid->SetScrollBarAlways(saBoth);
  Flush();
  EXPECT_TRUE(ScrollBarShown(h, SB_VERT));
  EXPECT_TRUE(ScrollBarShown(h, SB_HORZ));
  grid->SetRowCount(60);
  Flush();
  EXPECT_TRUE(ScrollFrameOf(grid)->Bar(SB_VERT)->isEnabled()) << "rows beyond the view scroll";
  grid->SetRowCount(3);
  grid->SetScrollBarAlways(saNone);
  Flush();
  EXPECT_FALSE(ScrollBarShown(h, SB_VERT));
  EXPECT_FALSE(ScrollBarShown(h, SB_HORZ));
}

TEST_F(HoverTest, SizeWithFormFollowsTheFormAndNeverGoesNegative) {
  Load();
  int w = grid->Width(), hgt = grid->Height();
  auto resizeForm = [&](int dw, int dh) {
    form->SetBounds(form->Left(), form->Top(), form->Width() + dw, form->Height() + dh);
    Flush();
  };
  resizeForm(30, 20);
  EXPECT_EQ(grid->Width(), w) << "SizeWithForm off";
  grid->SizeWithForm = true;
  resizeForm(40, 25);
  EXPECT_EQ(grid->Width(), w + 40);
  EXPECT_EQ(grid->Height(), hgt + 25);
  resizeForm(-(w + 100), 0);
  EXPECT_EQ(grid->Width(), w + 40) << "a grid never goes below nothing";
  EXPECT_EQ(grid->Height(), hgt + 25);
  resizeForm(w + 110, -5);
  EXPECT_EQ(grid->Width(), w + 50) << "the change counts from the last size the grid followed";
  EXPECT_EQ(grid->Height(), hgt + 20);
}

TEST_F(HoverTest, FormsOwnResizeHandlerStillRuns) {
  int calls = 0;
  form->OnResize = [&](TObject*) { ++calls; };
  auto* g2 = new TExtStringGrid(form);
  g2->SetParent(form);
  g2->SetBounds(10, 320, 200, 60);
  g2->SizeWithForm = true;
  Flush();
  int before = calls, w = g2->Width();
  form->SetBounds(form->Left(), form->Top(), form->Width() + 12, form->Height());
  Flush();
  EXPECT_GT(calls, before);
  EXPECT_EQ(g2->Width(), w + 12);
}

TEST_F(HoverTest, IntegralHeightKeepsWholeRows) {
  grid->SetColCount(3);
  Load();
  grid->SetBounds(grid->Left(), grid->Top(), 400, 100);
  EXPECT_EQ(grid->Height(), 100);
  grid->SetIntegralHeight(true);
  EXPECT_EQ(grid->Height(), 88) << "four rows of 21 and the border";
  grid->SetColCount(12);
  grid->SetBounds(grid->Left(), grid->Top(), 400, 100);
  int s = GetSystemMetrics(SM_CYHSCROLL), h = 100 - s - 2;
  EXPECT_EQ(grid->Height(), s + h - h % 21 + 4) << "the horizontal bar's room is kept";
}

// ---------------------------------------------------------------- focus
TEST_F(HoverTest, LosingTheFocusLetsGoOfAPressedCellButtonWithoutAClick) {
  grid->AddButton(2, 3, 40, 16, "Go");
  Load();
  int clicks = 0;
  grid->OnButtonClick = [&](TObject*, int, int) { ++clicks; };
  TRect b = grid->ButtonRectAt(2, 3);
  TPoint p((b.Left + b.Right) / 2, (b.Top + b.Bottom) / 2);
  Mouse(QEvent::MouseButtonPress, p.X, p.Y);
  other->SetFocus();
  Flush();
  Painted();
  grid->SetFocus();
  Mouse(QEvent::MouseButtonRelease, p.X, p.Y);
  EXPECT_EQ(clicks, 0);
  // A press and release with the focus kept clicks.
  Click(p.X, p.Y);
  EXPECT_EQ(clicks, 1);
}

TEST_F(HoverTest, AlwaysEditShowsTheEditorWhenTheGridGetsTheFocusBack) {
  grid->Navigation()->AlwaysEdit = true;
  Load();
  grid->FocusCell(2, 2, true);
  Key(Qt::Key_F2);
  ASSERT_TRUE(EditorShown());
  Key(Qt::Key_Escape);
  grid->FocusCell(3, 4, true);
  other->SetFocus();
  Flush();
  bool before = EditorShown();
  grid->SetFocus();
  Flush();
  EXPECT_FALSE(before);
  EXPECT_TRUE(EditorShown());
  EXPECT_EQ(EditorText(), "3:4");
}

TEST_F(HoverTest, OneFixedRowWithFixedRowAlwaysHasNoCurrentCellOnFocus) {
  grid->FixedRowAlways = true;
  grid->SetRowCount(1);
  Load();
  other->SetFocus();
  Flush();
  grid->SetFocus();
  Flush();
  TGridRect s = grid->Selection();
  EXPECT_GE(s.Top, grid->RowCount());
  EXPECT_GE(s.Left, grid->ColCount());
}

// ---------------------------------------------------------------- pictures
// A cell hint shown below its cell, and a hot list-view header; kept for looking at.
TEST_F(HoverTest, PicturesOfACellHintAndAHotHeader) {
  grid->SetLook(glListView);
  grid->SetShowHint(true);
  grid->HintShowLargeText = true;
  grid->HintColor = TColorOf(0xE1FFFF);
  grid->SetCells(1, 3, "a long text that does not fit its cell");
  for (int c = 1; c < grid->ColCount(); ++c) grid->SetCells(c, 0, "Head " + std::to_string(c));
  Load();
  MoveTo(2, 0);
  Flush();
  QImage header = RenderControlImage(form);
  EXPECT_TRUE(header.save(QString::fromStdString(TestImagePath("extgrid-hover-hot-header.png"))));
  MoveTo(1, 3);
  Application->ActivateHint(grid->ClientToScreen(Mid(1, 3)));
  THintWindow* hw = Application->HintWindow();
  ASSERT_TRUE(hw && hw->Active());
  Flush();
  QImage img = RenderControlImage(form);
  QImage tip = RenderControlImage(hw);
  // The hint window is a window of its own: drawn into the form's picture where it stands.
  TPoint origin = form->ClientToScreen(TPoint(0, 0));
  int fx = (img.width() - form->ClientWidth()) / 2, fy = img.height() - form->ClientHeight() - fx;
  {
    QPainter p(&img);
    p.drawImage(hw->Left() - origin.X + fx, hw->Top() - origin.Y + fy, tip);
  }
  EXPECT_TRUE(img.save(QString::fromStdString(TestImagePath("extgrid-hover-cell-hint.png"))));
  TRect cell = grid->CellRect(1, 3);
  TPoint below = grid->ClientToScreen(TPoint(cell.Left, cell.Bottom));
  EXPECT_EQ(hw->Left(), below.X);
  EXPECT_EQ(hw->Top(), below.Y);
  EXPECT_EQ(tip.pixel(tip.width() / 2, 1) & 0xFFFFFF, 0xFFFFE1u) << "the hint's colour is HintColor";
}

}  // namespace
