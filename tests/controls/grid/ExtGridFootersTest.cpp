// The search footer driven as a user drives it (typing into its edit, clicking
// its buttons), the floating footer's panel (its place, its three styles, its
// hints by column), and the grid button's press, release, group and drop-down
// rules.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "controls/grid/ExtGridFooters.h"
#include "platform/gui/FormImage.h"
#include "platform/gui/Hints.h"
#include "platform/gui/VisualStyles.h"
#include "platform/gui/ExtCtrls.h"
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

TEST_F(FootersTest, SearchFooterButtonsShowTheirGlyphs) {
  grid->SearchFooter()->SetVisible(true);
  Flush();
  TSearchPanel* p = grid->SearchPanel();
  // Pixels of the ink colour inside a button: its glyph (the captions are gray or black text
  // too, so the close button, which has none, and the glyphs' own places are looked at).
  auto inkIn = [&](TExtGridButton* b, QRgb ink) {
    const QImage img = RenderControlImage(p);
    int n = 0;
    for (int y = b->Top(); y < b->Top() + b->Height(); ++y)
      for (int x = b->Left(); x < b->Left() + std::min(b->Width(), 22); ++x) n += (img.pixel(x, y) & 0xFFFFFF) == ink;
    return n;
  };
  EXPECT_GT(inkIn(p->ExitButton(), 0x808080u), 8) << "the close cross";
  for (TExtGridButton* b : {p->ForwardButton(), p->BackwardButton(), p->HighlightButton()}) {
    EXPECT_FALSE(b->Glyph()->Empty());
    EXPECT_FALSE(b->GlyphDisabled()->Empty());
  }
  p->SearchEdit()->SetText("x");
  EXPECT_GT(inkIn(p->ForwardButton(), 0x000000u), 8) << "the arrow, once enabled";
  // A bold footer font: the text buttons follow it, the highlight toggle keeps a plain face.
  TFont bold;
  bold.Assign(grid->SearchFooter()->Font());
  bold.SetStyle(fsBold);
  bold.SetSize(11);
  grid->SearchFooter()->SetFont(&bold);
  EXPECT_EQ(p->ForwardButton()->Font()->Style(), unsigned(fsBold));
  EXPECT_EQ(p->HighlightButton()->Font()->Style(), 0u);
  EXPECT_EQ(p->HighlightButton()->Font()->Size(), 11);
}

TEST_F(FootersTest, GridButtonFollowsItsAction) {
  auto* a = new TCustomAction(form);
  int runs = 0;
  a->OnExecute = [&](TObject*) { ++runs; };
  a->SetCaption("Go");
  a->SetHint("runs it");
  a->SetEnabled(false);
  auto* b = new TExtGridButton(form);
  b->SetParent(form);
  b->SetBounds(300, 340, 60, 22);
  b->SetAction(a);
  EXPECT_EQ(b->Caption(), "Go");
  EXPECT_EQ(b->Hint(), "runs it");
  EXPECT_FALSE(b->Enabled());
  ClickIn(b);
  EXPECT_EQ(runs, 0) << "a disabled button runs nothing";
  a->SetEnabled(true);
  a->SetCaption("Run");
  EXPECT_TRUE(b->Enabled());
  EXPECT_EQ(b->Caption(), "Run");
  ClickIn(b);
  EXPECT_EQ(runs, 1);
  int own = 0;
  b->OnClick = [&](TObject*) { ++own; };
  ClickIn(b);
  EXPECT_EQ(own, 1) << "the button's own handler wins";
  EXPECT_EQ(runs, 1);
  a->SetVisible(false);
  EXPECT_FALSE(b->Visible());
  // The check mark is Down only for a grouped button that may come up.
  struct Case {
    int group;
    bool allowAllUp, follows;
  } cases[] = {{0, true, false}, {2, false, false}, {2, true, true}};
  for (const Case& k : cases) {
    auto* c = new TExtGridButton(form);
    c->SetParent(form);
    c->SetAllowAllUp(k.allowAllUp);
    a->SetChecked(false);
    a->SetGroupIndex(k.group);
    c->SetAction(a);
    EXPECT_EQ(c->GroupIndex(), k.group);
    a->SetChecked(true);
    EXPECT_EQ(c->Down(), k.follows) << "group " << k.group << " all up " << k.allowAllUp;
    a->SetChecked(false);
    EXPECT_FALSE(c->Down());
  }
  // A freed action leaves the button working on its own.
  delete a;
  EXPECT_EQ(b->Action(), nullptr);
  b->SetVisible(true);
  ClickIn(b);
  EXPECT_EQ(own, 2);
}

TEST_F(FootersTest, GroupedActionsAndTheirButtonsReleaseEachOther) {
  TComponent other(nullptr);
  auto make = [](TComponent* owner, int group) {
    auto* a = new TCustomAction(owner);
    a->SetGroupIndex(group);
    return a;
  };
  // Group 1 of the form: a0, a1, a2; a3 is in group 2; a4 has group 1 under another owner; a5 none.
  TCustomAction* a[6] = {make(form, 1), make(form, 1), make(form, 1), make(form, 2), make(&other, 1), make(form, 0)};
  for (TCustomAction* x : a) x->SetChecked(true);
  const bool afterAll[6] = {false, false, true, true, true, true};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(a[i]->Checked(), afterAll[i]) << "action " << i;
  a[3]->SetGroupIndex(1);
  EXPECT_FALSE(a[2]->Checked()) << "a checked action joining a group releases the one checked there";
  EXPECT_TRUE(a[3]->Checked());
  a[3]->SetChecked(false);
  // Buttons linked to the group's actions: a click checks its action, which releases the others
  // and brings their buttons up; without AllowAllUp the check mark is not linked.
  TExtGridButton* b[3];
  for (int i = 0; i < 3; ++i) {
    b[i] = new TExtGridButton(form);
    b[i]->SetParent(form);
    b[i]->SetBounds(200 + 50 * i, 340, 40, 20);
    b[i]->SetAllowAllUp(true);
    b[i]->SetAction(a[i]);
  }
  struct Step {
    int click;
    bool down[3], checked[3];
  } steps[] = {{0, {true, false, false}, {true, false, false}},
               {2, {false, false, true}, {false, false, true}},
               {1, {false, true, false}, {false, true, false}},
               {1, {false, false, false}, {false, false, false}}};  // AllowAllUp: it comes up again
  for (const Step& s : steps) {
    ClickIn(b[s.click]);
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(b[i]->Down(), s.down[i]) << "after a click on " << s.click << ", button " << i;
      EXPECT_EQ(a[i]->Checked(), s.checked[i]) << "after a click on " << s.click << ", action " << i;
    }
  }
  a[2]->SetChecked(true);
  EXPECT_TRUE(b[2]->Down());
  a[0]->SetChecked(true);
  EXPECT_TRUE(b[0]->Down());
  EXPECT_FALSE(b[2]->Down()) << "checking an action brings the button of the one it released up";
  for (TExtGridButton* x : b) x->SetAllowAllUp(false);
  ClickIn(b[1]);
  EXPECT_TRUE(b[1]->Down());
  EXPECT_FALSE(b[0]->Down());
  EXPECT_FALSE(a[1]->Checked()) << "without AllowAllUp the button leaves the check mark alone";
  EXPECT_TRUE(a[0]->Checked());
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
  for (TExtGridButtonStyle style : {tasButton, tasCheck}) {
    SCOPED_TRACE(style);
    a->SetStyle(style);
    b->SetStyle(style);
    ClickIn(a);
    EXPECT_TRUE(a->Down());
    ClickIn(b);
    EXPECT_TRUE(b->Down());
    EXPECT_FALSE(a->Down()) << "pressing the second releases the first";
    ClickIn(b);
    EXPECT_TRUE(b->Down()) << "without AllowAllUp the down one stays down";
  }
}

// A double click (the window system's press, release, double-click press, release) fires OnDblClick
// once on a button that is down, never on one that is up.
TEST_F(FootersTest, GridButtonDoubleClickFiresOnlyWhenDown) {
  struct {
    const char* name;
    TExtGridButtonStyle style;
    int group;
    bool down;
    int want;
  } rows[] = {{"push, up", tasButton, 0, false, 0},
              {"check, up", tasCheck, 0, false, 0},
              {"check, down", tasCheck, 0, true, 1},
              {"grouped push, down", tasButton, 1, true, 1}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    auto* b = new TExtGridButton(form);
    b->SetParent(form);
    b->SetBounds(300, 340, 40, 20);
    b->SetStyle(row.style);
    b->SetGroupIndex(row.group);
    b->SetDown(row.down);
    ASSERT_EQ(b->Down(), row.down);
    int dbl = 0;
    b->OnDblClick = [&](TObject*) { ++dbl; };
    QWidget* w = form->ClientWidget();
    Qt::MouseButtons held = Qt::NoButton;
    const int x = b->Left() + 10, y = b->Top() + 10;
    SendMouseEvent(w, QEvent::MouseButtonPress, x, y, Qt::LeftButton, Qt::NoModifier, held);
    SendMouseEvent(w, QEvent::MouseButtonRelease, x, y, Qt::LeftButton, Qt::NoModifier, held);
    // A check button toggled by the first click is put back as the row wants it.
    b->SetDown(row.down);
    SendMouseEvent(w, QEvent::MouseButtonDblClick, x, y, Qt::LeftButton, Qt::NoModifier, held);
    SendMouseEvent(w, QEvent::MouseButtonRelease, x, y, Qt::LeftButton, Qt::NoModifier, held);
    EXPECT_EQ(dbl, row.want);
    delete b;
  }
}

// Margin is the glyph's distance from the edge its layout puts it at (the right edge for a glyph on the
// right, the bottom for one below); -1 centres it.
TEST_F(FootersTest, GridButtonGlyphMarginCountsFromItsLayoutsEdge) {
  TBitmap glyph(6, 6);
  glyph.Canvas()->Brush()->SetColor(clRed);
  glyph.Canvas()->FillRect(TRect(0, 0, 6, 6));
  glyph.Canvas()->SetPixels(0, 5, clWhite);  // the bottom-left pixel: the transparent colour
  auto* panel = new TPanel(form);
  panel->SetParent(form);
  panel->SetBounds(10, 300, 100, 40);
  struct {
    TButtonLayout layout;
    int margin, left, top;  // the glyph's red box in a 40 x 20 button
  } rows[] = {{blGlyphLeft, 3, 3, 7},  {blGlyphRight, 3, 31, 7}, {blGlyphTop, 2, 17, 2},
              {blGlyphBottom, 2, 17, 12}, {blGlyphRight, -1, 17, 7}};
  for (const auto& row : rows) {
    SCOPED_TRACE(std::to_string(row.layout) + " margin " + std::to_string(row.margin));
    auto* b = new TExtGridButton(panel);
    b->SetParent(panel);
    b->SetBounds(10, 5, 40, 20);
    b->ShowCaption = false;
    b->Layout = row.layout;
    b->Margin = row.margin;
    b->SetGlyph(&glyph);
    const QImage img = RenderControlImage(panel);
    int left = -1, top = -1;
    for (int y = 0; y < 20 && top < 0; ++y)
      for (int x = 0; x < 40; ++x)
        if ((img.pixel(b->Left() + x, b->Top() + y) & 0xFFFFFF) == 0xFF0000u) {
          top = y;
          break;
        }
    for (int x = 0; x < 40 && left < 0; ++x)
      for (int y = 0; y < 20; ++y)
        if ((img.pixel(b->Left() + x, b->Top() + y) & 0xFFFFFF) == 0xFF0000u) {
          left = x;
          break;
        }
    EXPECT_EQ(left, row.left);
    EXPECT_EQ(top, row.top);
    delete b;
  }
}

// The caption's accelerator, sent round the form as a dialog character, clicks an enabled button
// that shows.
TEST_F(FootersTest, GridButtonClicksOnItsCaptionsAccelerator) {
  struct {
    const char* caption;
    char key;
    bool enabled, visible;
    int clicks;
  } rows[] = {{"&Find", 'f', true, true, 1},  {"&Find", 'F', true, true, 1}, {"&Find", 'g', true, true, 0},
              {"Find", 'f', true, true, 0},   {"&Find", 'f', false, true, 0}, {"&Find", 'f', true, false, 0},
              {"Fi&nd", 'n', true, true, 1}};
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.caption) + " " + row.key);
    auto* b = new TExtGridButton(form);
    b->SetParent(form);
    b->SetBounds(300, 340, 40, 20);
    b->SetCaption(row.caption);
    b->SetEnabled(row.enabled);
    b->SetVisible(row.visible);
    int clicks = 0;
    b->OnClick = [&](TObject*) { ++clicks; };
    const LRESULT taken = form->Perform(CM_DIALOGCHAR, static_cast<unsigned char>(row.key), KF_ALTDOWN_LPARAM);
    EXPECT_EQ(clicks, row.clicks);
    EXPECT_EQ(taken != 0, row.clicks > 0) << "the key is used up only by a click";
    delete b;
  }
}

// Not flat with AutoXPStyle under a theme: the themed push button, pressed while down; without
// either, no theme part. Colour style 0: a rounded frame with the gradient one pixel inside.
TEST_F(FootersTest, GridButtonFacesByLook) {
  std::vector<std::pair<int, int>> parts;  // part, state of each "button" part drawn
  SetVisualStylesLoader([&parts] {
    auto lib = std::make_unique<TVisualStylesLibrary>();
    lib->OpenThemeData = [](HWND, const std::string& cls) { return reinterpret_cast<HTHEME>(cls == "button" ? 1 : 2); };
    lib->CloseThemeData = [](HTHEME) { return S_OK; };
    lib->DrawThemeBackground = [&parts](HTHEME t, HDC, int part, int state, const TRect&, const TRect*) {
      if (reinterpret_cast<size_t>(t) == 1) parts.emplace_back(part, state);
      return S_OK;
    };
    lib->IsThemeActive = [] { return true; };
    return lib;
  });
  auto* panel = new TPanel(form);
  panel->SetParent(form);
  panel->SetBounds(10, 300, 200, 40);
  auto* b = new TExtGridButton(panel);
  b->SetParent(panel);
  b->SetBounds(10, 5, 40, 23);
  b->SetFlat(false);
  b->SetStyle(tasCheck);
  struct {
    bool xp, down;
    std::set<std::pair<int, int>> want;
  } rows[] = {{true, false, {{1, 1}}}, {true, true, {{1, 3}}}, {false, false, {}}};
  for (const auto& row : rows) {
    SCOPED_TRACE(std::to_string(row.xp) + std::to_string(row.down));
    b->AutoXPStyle = row.xp;
    b->SetDown(row.down);
    parts.clear();
    RenderControlImage(panel);
    const std::set<std::pair<int, int>> drawn(parts.begin(), parts.end());
    EXPECT_EQ(drawn, row.want);
  }
  SetVisualStylesLoader(nullptr);

  b = new TExtGridButton(panel);
  b->SetParent(panel);
  b->SetBounds(60, 5, 40, 23);
  b->SetColorStyle(0);
  ASSERT_TRUE(b->Flat());
  ASSERT_TRUE(b->Rounded);
  const QImage img = RenderControlImage(panel);
  auto blue = [&](int y) { return qBlue(img.pixel(b->Left() + 20, b->Top() + y)); };
  const int h = b->Height();
  EXPECT_EQ(blue(0), 0xED) << "the frame in the start colour";
  EXPECT_EQ(blue(1), 0xED) << "the gradient starts inside the frame";
  EXPECT_LE(blue(h - 2), 0xE1) << "and ends near the end colour";
  EXPECT_EQ(blue(h - 1), 0xED) << "the frame below it";
  EXPECT_NE(img.pixel(b->Left(), b->Top()), img.pixel(b->Left() + 20, b->Top())) << "a rounded corner";
}

TEST_F(FootersTest, FloatingFooterVisibilityAndStyleSetTheFooterRow) {
  struct Case {
    TFooterStyle style;
    bool visible;
    int fixedFooters;
    bool lastRowRefused;
    int rowHeight;  // DefaultRowHeight written while the footer shows
  } cases[] = {{fsFixedLastRow, true, 1, true, 21},
               {fsColumnPreview, true, 0, false, 21},
               {fsCustomPreview, true, 0, false, 21},
               {fsFixedLastRow, false, 0, false, 21},
               {fsFixedLastRow, true, 1, true, 30},
               {fsColumnPreview, true, 0, false, 16}};
  TFloatingFooter* f = grid->FloatingFooter();
  for (const Case& k : cases) {
    f->SetVisible(false);
    grid->SetDefaultRowHeight(21);
    f->SetFooterStyle(k.style);
    f->SetVisible(k.visible);
    grid->SetDefaultRowHeight(k.rowHeight);
    Flush();
    SCOPED_TRACE(testing::Message() << "style " << k.style << " visible " << k.visible << " row height " << k.rowHeight);
    EXPECT_EQ(grid->FixedFooters(), k.fixedFooters);
    EXPECT_EQ(grid->FloatingFooterRow, k.lastRowRefused);
    TFooterPanel* p = grid->FooterPanel();
    EXPECT_EQ(p->Visible(), k.visible);
    if (k.visible) {
      EXPECT_EQ(p->Height(), grid->DefaultRowHeight() - 1);
      EXPECT_EQ(p->Top() + p->Height(), grid->ClientHeight()) << "at the grid's bottom";
      EXPECT_EQ(p->Width(), grid->ClientWidth());
    } else {
      EXPECT_EQ(p->Height(), 0);
    }
    grid->SetRow(1);
    grid->SetRow(grid->RowCount() - 1);
    EXPECT_EQ(grid->Row() == grid->RowCount() - 1, !k.lastRowRefused);
  }
  // With the search footer too, the floating footer sits right above it.
  f->SetVisible(true);
  grid->SearchFooter()->SetVisible(true);
  Flush();
  EXPECT_EQ(grid->FooterPanel()->Top() + grid->FooterPanel()->Height(), grid->SearchPanel()->Top());
  grid->SetBounds(10, 10, 400, 250);
  Flush();
  EXPECT_EQ(grid->SearchPanel()->Top() + 32, grid->ClientHeight()) << "both follow a resize";
  EXPECT_EQ(grid->FooterPanel()->Top() + grid->FooterPanel()->Height(), grid->SearchPanel()->Top());
}

TEST_F(FootersTest, TheCurrentCellNeverHidesUnderTheFooters) {
  grid->SetRowCount(300);
  grid->FloatingFooter()->SetFooterStyle(fsColumnPreview);
  grid->FloatingFooter()->SetVisible(true);
  grid->SearchFooter()->SetVisible(true);
  Flush();
  const int panelsTop = grid->FooterPanel()->Top();
  ASSERT_EQ(panelsTop + grid->FooterPanel()->Height(), grid->SearchPanel()->Top());
  auto shown = [&] {
    const TRect r = grid->CellRect(grid->Col(), grid->Row());
    return r.Height() > 0 && r.Bottom <= panelsTop;
  };
  grid->SetFocus();
  Flush();
  for (int i = 0; i < 30; ++i) {
    Key(Qt::Key_Down);
    ASSERT_TRUE(shown()) << "row " << grid->Row() << " top " << grid->TopRow();
  }
  struct Case {
    int row;
  } jumps[] = {{150}, {299}, {5}, {298}};
  for (const Case& k : jumps) {
    grid->SetRow(k.row);
    EXPECT_TRUE(shown()) << "row " << k.row;
  }
  grid->SetTopRow(grid->RowCount() - 1);  // the grid keeps it to the largest top row
  EXPECT_LE(grid->CellRect(1, grid->RowCount() - 1).Bottom, panelsTop) << "the last row comes out above them";
}

TEST_F(FootersTest, FooterTemplateFillsInColumnsOfTheCurrentRow) {
  grid->SetRow(4);
  struct Case {
    const char* tmpl;
    const char* shown;
  } cases[] = {{"Sum: <#3>", "Sum: 3:4"},
               {"<#1>/<#2>", "1:4/2:4"},
               {"a<#x>b", "ab"},          // a marker that is no number vanishes
               {"a<#-1>b", "ab"},         // outside the grid: nothing, never a raise
               {"a<#5>b<#99999999999>c", "abc"},
               {"a<#>b", "ab"},
               {"<b><#0></b>", "<b>0:4</b>"},  // markup around markers stays
               {"open <#2", "open <#2"},   // no closing bracket: no marker
               {"", ""}};
  for (const Case& k : cases) EXPECT_EQ(grid->ExpandFooterTemplate(k.tmpl), k.shown) << k.tmpl;
  // Painting a template naming columns outside the grid draws the rest and raises nothing.
  grid->FloatingFooter()->SetFooterStyle(fsCustomPreview);
  grid->FloatingFooter()->SetCustomTemplate("<#-1>x<#40>");
  grid->FloatingFooter()->SetVisible(true);
  EXPECT_NO_THROW(RenderControlImage(grid->FooterPanel()));
}

TEST_F(FootersTest, FooterColumnsFollowThePaintedLayout) {
  grid->SetColCount(12);
  grid->SetRowCount(12);
  grid->SetFixedCols(1);
  for (int c = 0; c < 12; ++c) grid->SetColWidths(c, 40 + 3 * c);
  grid->FloatingFooter()->SetVisible(true);
  grid->FloatingFooter()->SetShowHint(true);
  grid->SetLeftCol(4);
  Flush();
  TFooterPanel* p = grid->FooterPanel();
  // The footer cells lie under the grid's own columns: fixed ones, then from LeftCol.
  std::vector<int> painted;
  grid->OnFooterPaint = [&](TObject*, int col, TCanvas*, TRect r) {
    painted.push_back(col);
    EXPECT_EQ(r.Left, grid->CellRect(col, 1).Left) << "column " << col;
    EXPECT_EQ(r.Right, grid->CellRect(col, 1).Right) << "column " << col;
  };
  RenderControlImage(p);
  ASSERT_GE(painted.size(), 3u);
  EXPECT_EQ(painted[0], 0);
  EXPECT_EQ(painted[1], 4);
  EXPECT_EQ(painted[2], 5);
  // A width change moves the footer cells with their columns at once.
  Flush();
  painted.clear();
  grid->SetColWidths(5, 90);
  Flush();
  EXPECT_FALSE(painted.empty()) << "the footer panel was not painted again";
  painted.clear();
  grid->SetLook(glSoft);
  Flush();
  EXPECT_FALSE(painted.empty()) << "a look change paints the footer panel again";
  grid->OnFooterPaint = nullptr;
  // A cell's own colour shows in its footer cell; others take the footer's colour.
  grid->SetColors(5, grid->RowCount() - 1, clRed);
  grid->FloatingFooter()->SetColor(clAqua);
  QImage img = RenderControlImage(p);
  EXPECT_EQ(img.pixel(grid->CellRect(5, 1).Left + 3, 5) & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(img.pixel(grid->CellRect(6, 1).Left + 3, 5) & 0xFFFFFF, 0x00FFFFu);
  // Hints name the column painted under the pointer, in the footer row.
  std::vector<std::pair<int, int>> asked;
  grid->OnGridHint = [&](TObject*, int r, int c, std::string& h) {
    asked.push_back({r, c});
    h = "col " + std::to_string(c);
  };
  auto hintAt = [&](int x) {
    THintInfo info;
    info.CursorPos = TPoint(x, 5);
    LRESULT res = p->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info));
    return std::make_pair(res, info);
  };
  for (int col : {0, 4, 6}) {
    auto [res, info] = hintAt(grid->CellRect(col, 1).Left + 2);
    EXPECT_EQ(res, 0);
    EXPECT_EQ(info.HintStr, "col " + std::to_string(col));
    EXPECT_EQ(asked.back(), std::make_pair(grid->RowCount() - 1, col));
    EXPECT_EQ(p->HintColumn(), col);
    EXPECT_EQ(info.CursorRect.Left, grid->CellRect(col, 1).Left) << "valid over its column only";
  }
  const size_t before = asked.size();
  auto [beyond, none] = hintAt(p->ClientWidth() + 5);
  EXPECT_EQ(asked.size(), before) << "no column: no hint event";
  EXPECT_EQ(p->HintColumn(), -1);
  grid->FloatingFooter()->SetShowHint(false);
  auto [off, info] = hintAt(grid->CellRect(4, 1).Left + 2);
  EXPECT_NE(off, 0) << "the hint is cancelled without ShowHint";
  EXPECT_EQ(p->HintColumn(), -1);
}

TEST_F(FootersTest, FooterPreviewBandCoversTheColumnsInView) {
  grid->SetColCount(3);
  for (int c = 0; c < 3; ++c) grid->SetColWidths(c, 60);
  grid->SetColor(clWhite);
  grid->FloatingFooter()->SetColor(clYellow);
  grid->FloatingFooter()->SetFooterStyle(fsColumnPreview);
  grid->FloatingFooter()->SetColumn(2);
  grid->FloatingFooter()->SetVisible(true);
  grid->SetRow(3);
  Flush();
  TFooterPanel* p = grid->FooterPanel();
  int shownCol = -1;
  grid->OnFooterPaint = [&](TObject*, int col, TCanvas*, TRect) { shownCol = col; };
  QImage img = RenderControlImage(p);
  EXPECT_EQ(shownCol, 2);
  const int band = grid->CellRect(2, 1).Right;
  EXPECT_EQ(img.pixel(band / 2, 8) & 0xFFFFFF, 0xFFFF00u) << "the band";
  EXPECT_EQ(img.pixel(band + 10, 8) & 0xFFFFFF, 0xFFFFFFu) << "the grid's colour beside it";
  EXPECT_EQ(img.pixel(band / 2, 0) & 0xFFFFFF, 0xFFFFFFu) << "white top edge";
  EXPECT_EQ(img.pixel(band / 2, p->Height() - 1) & 0xFFFFFF, 0x808080u) << "gray bottom edge";
}

}  // namespace

namespace {
// An edit validated in a column recalculates that column's footer cell; a footer cell with
// properties but no calculation (a colour here) keeps its text.
TEST_F(FootersTest, AnEditRecalculatesOnlyFooterCellsThatHaveACalculation) {
  grid->FloatingFooter()->SetVisible(true);
  const int last = grid->RowCount() - 1;
  for (int r = 1; r < last; ++r) grid->SetCells(1, r, "1"), grid->SetCells(2, r, "1");
  grid->GetCellProperties(1, last)->FooterCalc = 1;  // the sum
  grid->SetColors(2, last, clYellow);
  grid->SetCells(2, last, "kept");
  grid->GetCellProperties(3, last)->FooterCalc = 6;  // a kind without a calculation
  grid->SetCells(3, last, "six");
  Load();
  const struct {
    int Col;
    const char* Footer1;
    const char* Footer2;
  } cases[] = {{1, "11.00", "kept"}, {2, "11.00", "kept"}, {3, "11.00", "kept"}};
  for (const auto& k : cases) {
    SCOPED_TRACE(k.Col);
    grid->FocusCell(k.Col, 2, true);
    Type("4");
    Key(Qt::Key_Tab);
    EXPECT_EQ(grid->Cells(1, last), k.Footer1);
    EXPECT_EQ(grid->Cells(2, last), k.Footer2);
    EXPECT_EQ(grid->Cells(3, last), "six");
  }
}
}  // namespace
