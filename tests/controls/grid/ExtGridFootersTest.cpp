// The search footer driven as a user drives it (typing into its edit, clicking
// its buttons), and the grid button's press, release, group and drop-down rules.
#include <gtest/gtest.h>

#include <string>

#include "controls/grid/ExtGridFooters.h"
#include "tests/controls/grid/GridInputFixture.h"

namespace {

class FootersTest : public GridInputTest {
 public:
  // A press and release at points of a graphic control's parent.
  void ClickIn(TControl* C, int x, int y, int upX, int upY) {
    QWidget* w = C->Parent()->ClientWidget();
    Qt::MouseButtons held = Qt::NoButton;
    SendMouseEvent(w, QEvent::MouseButtonPress, C->Left() + x, C->Top() + y, Qt::LeftButton, Qt::NoModifier, held);
    SendMouseEvent(w, QEvent::MouseButtonRelease, C->Left() + upX, C->Top() + upY, Qt::LeftButton, Qt::NoModifier,
                   held);
  }
  void ClickIn(TControl* C) { ClickIn(C, C->Width() / 2, C->Height() / 2, C->Width() / 2, C->Height() / 2); }
};

TEST_F(FootersTest, SearchFooterFindsAsTheUserTypesAndWalksWithItsButtons) {
  grid->SetRowCount(30);
  grid->SetCells(2, 12, "needle one");
  grid->SetCells(3, 25, "second NEEDLE");
  grid->SearchFooter()->SetVisible(true);
  Flush();
  TSearchPanel* p = grid->SearchPanel();
  ASSERT_TRUE(p->Visible());
  EXPECT_EQ(p->Top(), grid->ClientHeight() - 32) << "at the grid's bottom";
  EXPECT_EQ(p->Width(), grid->ClientWidth());
  for (TExtGridButton* b : {p->ForwardButton(), p->BackwardButton(), p->HighlightButton()})
    EXPECT_FALSE(b->Enabled()) << "nothing to find yet";
  p->SearchEdit()->SetFocus();
  SendKeyEvent(p->SearchEdit(), Qt::Key_N, Qt::NoModifier, "n");
  for (char ch : std::string("eedle")) SendKeyEvent(p->SearchEdit(), Qt::Key_A + (ch - 'a'), Qt::NoModifier, QString(QChar(ch)));
  EXPECT_EQ(p->SearchEdit()->Text(), "needle");
  EXPECT_TRUE(p->ForwardButton()->Enabled());
  EXPECT_EQ(Current(), TPoint(2, 12));
  EXPECT_LE(grid->CellRect(2, 12).Bottom, p->Top()) << "the found row is not under the panel " << grid->TopRow() << " " << grid->VisibleRowCount() << " " << grid->RowHeights(3) << " " << grid->ClientHeight();
  ClickIn(p->ForwardButton());
  EXPECT_EQ(Current(), TPoint(3, 25));
  EXPECT_TRUE(p->SearchEdit()->Focused()) << "the edit keeps the focus";
  ClickIn(p->BackwardButton());
  EXPECT_EQ(Current(), TPoint(2, 12));
  SendKeyEvent(p->SearchEdit(), Qt::Key_X, Qt::NoModifier, "x");
  EXPECT_EQ(p->SearchEdit()->Color(), TColorOf(0x0000FF)) << "nothing found: the edit turns red";
  grid->SearchFooter()->SetShowHighLight(false);
  EXPECT_EQ(p->MatchCaseBox()->Left(), 330);
  ClickIn(p->ExitButton());
  EXPECT_FALSE(grid->SearchFooter()->Visible());
  EXPECT_FALSE(p->Visible());
}

TEST_F(FootersTest, GridButtonPressAndReleaseRules) {
  auto* a = new TExtGridButton(form);
  a->SetParent(form);
  a->SetBounds(300, 340, 40, 20);
  int clicks = 0, drops = 0;
  a->OnClick = [&](TObject*) { ++clicks; };
  a->OnDropDown = [&](TObject*) { ++drops; };
  a->SetStyle(tasCheck);
  struct Case {
    int downY, upY;
    bool counts;
  } cases[] = {{10, 10, true}, {10, 19, true}, {10, 20, false}, {10, 21, false}, {10, -1, false}};
  for (const Case& k : cases) {
    const bool was = a->Down();
    const int before = clicks;
    ClickIn(a, 10, k.downY, 10, k.upY);
    EXPECT_EQ(a->Down(), k.counts ? !was : was) << "release at y " << k.upY;
    EXPECT_EQ(clicks - before, k.counts ? 1 : 0) << "release at y " << k.upY;
  }
  a->DropDownButton = true;
  const int before = clicks;
  ClickIn(a, 35, 10, 35, 10);
  EXPECT_EQ(drops, 1);
  EXPECT_EQ(clicks, before) << "the drop-down part never clicks";
  // Button style: Down needs a group; without AllowAllUp a down button of a group stays down.
  a->SetStyle(tasButton);
  a->DropDownButton = false;
  a->SetDown(false);
  a->SetAllowAllUp(true);
  a->SetDown(false);
  a->SetAllowAllUp(false);
  ASSERT_FALSE(a->Down());
  a->SetDown(true);
  EXPECT_FALSE(a->Down()) << "an ungrouped push button is refused, not stuck down";
  auto* b = new TExtGridButton(form);
  b->SetParent(form);
  b->SetBounds(350, 340, 40, 20);
  a->SetGroupIndex(1);
  b->SetGroupIndex(1);
  ClickIn(a);
  EXPECT_TRUE(a->Down());
  ClickIn(b);
  EXPECT_TRUE(b->Down());
  EXPECT_FALSE(a->Down()) << "pressing the second releases the first";
  ClickIn(b);
  EXPECT_TRUE(b->Down()) << "without AllowAllUp the down one stays down";
}

}  // namespace
