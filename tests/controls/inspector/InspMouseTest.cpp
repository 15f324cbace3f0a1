// Clicks, hover, keys and the scroll tick of the bar, through real mouse and key
// events on a shown bar.
#include <gtest/gtest.h>

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>
#include <string>
#include <vector>

#include "controls/inspector/InspEditors.h"
#include "controls/inspector/InspectorBar.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Menus.h"
#include "platform/gui/StdCtrls.h"
#include "platform/gui/Timer.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/RecordingCanvas.h"
#include "platform/gui/Windows.h"
#include "platform/gui/testing/GuiTest.h"
#include "tests/controls/inspector/InspThemes.h"

namespace {

class InspMouse : public TGuiTest {
 protected:
  void SetUp() override {
    form = new TForm(nullptr);
    form->SetBounds(0, 0, 260, 300);
    bar = new TInspectorBar(form);
    bar->SetParent(form);
    bar->SetWidth(200);
    bar->OnItemClick = [this](TObject*, TInspectorPanel*, TInspectorItem* i) { log.push_back("click " + i->Caption()); };
    bar->OnItemRightClick = [this](TObject*, TInspectorPanel*, TInspectorItem* i) {
      log.push_back("right " + i->Caption());
    };
    bar->OnPanelOpen = [this](TObject*, TInspectorPanel* p) { log.push_back("open " + p->Caption()); };
    bar->OnPanelClose = [this](TObject*, TInspectorPanel* p) { log.push_back("close " + p->Caption()); };
    bar->OnPanelOpened = [this](TObject*, TInspectorPanel* p) { log.push_back("opened " + p->Caption()); };
  }
  void TearDown() override {
    delete form;
    TGuiTest::TearDown();
  }
  TInspectorPanel* AddPanel(const std::string& caption, int rows, TPanelStyle style = psProperties) {
    TInspectorPanel* p = bar->Panels()->Add();
    p->SetCaption(caption);
    p->SetStyle(style);
    p->SetItemHeight(20);
    p->SetCaptionWidth(70);
    for (int r = 0; r < rows; ++r) {
      TInspectorItem* it = p->Items()->Add();
      it->SetCaption(caption + std::to_string(r));
      it->SetPropertyType(ptText);
      it->SetTextValue("v" + std::to_string(r));
    }
    return p;
  }
  void Show() {
    form->Show();
    QApplication::processEvents();
    bar->Repaint();
    QApplication::processEvents();
  }
  void Mouse(QEvent::Type type, int x, int y, Qt::MouseButton b = Qt::LeftButton) {
    QWidget* w = bar->ClientWidget();
    const Qt::MouseButtons held =
        type == QEvent::MouseButtonRelease || type == QEvent::MouseMove ? Qt::NoButton : Qt::MouseButtons(b);
    QMouseEvent e(type, QPointF(x, y), w->mapToGlobal(QPointF(x, y)), type == QEvent::MouseMove ? Qt::NoButton : b,
                  held, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &e);
  }
  void Click(int x, int y, Qt::MouseButton b = Qt::LeftButton) {
    Mouse(QEvent::MouseButtonPress, x, y, b);
    Mouse(QEvent::MouseButtonRelease, x, y, b);
    QApplication::processEvents();
  }
  void Key(int key, Qt::KeyboardModifiers mods = Qt::NoModifier, QString text = {}) {
    QWidget* w = QApplication::focusWidget() ? QApplication::focusWidget() : bar->ClientWidget();
    QKeyEvent press(QEvent::KeyPress, key, mods, text);
    QCoreApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, mods, text);
    QCoreApplication::sendEvent(w, &release);
    QApplication::processEvents();
  }

  TForm* form = nullptr;
  TInspectorBar* bar = nullptr;
  std::vector<std::string> log;
};

TEST_F(InspMouse, HitTestsFollowTheSingleLayout) {
  AddPanel("A", 3);
  AddPanel("B", 2);
  Show();
  // A's caption 0..20, rows 20..80, B's caption at the bottom of 300.
  EXPECT_EQ(bar->CaptionAt(5, 0), 0);
  EXPECT_EQ(bar->CaptionAt(5, 20), 0);  // ends count
  EXPECT_EQ(bar->CaptionAt(5, 290), 1);
  EXPECT_EQ(bar->CaptionAt(5, 100), -1);
  EXPECT_EQ(bar->ItemAt(5, 30)->Caption(), "A0");
  EXPECT_EQ(bar->ItemAt(5, 39), bar->ItemAt(5, 30));
  EXPECT_EQ(bar->ItemAt(5, 40)->Caption(), "A1");  // a row's bottom line belongs to the next
  EXPECT_EQ(bar->ItemAt(5, 20), nullptr);  // on the body's top edge
  EXPECT_EQ(bar->ItemAt(0, 30), nullptr);
  EXPECT_EQ(bar->ItemAt(5, 90), nullptr);
  EXPECT_EQ(bar->PanelAt(5, 290), bar->Panels()->Items(0));
  EXPECT_EQ(bar->CaptionRect(bar->Panels()->Items(1)), TRect(0, 280, 200, 300));
}

TEST_F(InspMouse, SingleModeCaptionClicksSwitchTheActivePanel) {
  AddPanel("A", 2);
  AddPanel("B", 2);
  Show();
  Click(50, 5);  // the active panel's own caption does nothing
  EXPECT_TRUE(log.empty());
  Click(50, 290);
  EXPECT_EQ(bar->TopPanel(), 1);
  EXPECT_EQ(log, (std::vector<std::string>{"open B", "close A", "opened B"}));
  log.clear();
  Click(50, 5, Qt::RightButton);  // only the left button opens
  EXPECT_EQ(bar->TopPanel(), 1);
  EXPECT_TRUE(log.empty());
}

TEST_F(InspMouse, RightClickOnTheCaptionColumnIsAnItemClick) {
  AddPanel("A", 2);
  Show();
  Click(30, 30, Qt::RightButton);
  EXPECT_EQ(log, (std::vector<std::string>{"click A0"}));
  log.clear();
  Click(150, 50, Qt::RightButton);  // the value column tells the right button
  EXPECT_EQ(log, (std::vector<std::string>{"right A1"}));
  EXPECT_FALSE(bar->Editing());  // and opens no editor
}

TEST_F(InspMouse, MultiModeCaptionClicksOpenAndClosePanelsWithRows) {
  AddPanel("A", 2);
  AddPanel("Empty", 0);
  AddPanel("C", 1);
  bar->SetMode(imMultiPanelActive);
  Show();
  ASSERT_TRUE(bar->Panels()->Items(0)->IsOpen());
  // A open: caption 0..20, rows to 60; Empty's caption 60..80; C's 80..100.
  EXPECT_EQ(bar->CaptionAt(5, 70), 1);
  EXPECT_EQ(bar->CaptionAt(5, 40), -1);
  Click(50, 70);
  EXPECT_FALSE(bar->Panels()->Items(1)->IsOpen());
  Click(50, 90);
  EXPECT_TRUE(bar->Panels()->Items(2)->IsOpen());
  EXPECT_EQ(log, (std::vector<std::string>{"open C", "opened C"}));
  log.clear();
  Click(50, 5);
  EXPECT_FALSE(bar->Panels()->Items(0)->IsOpen());
  EXPECT_EQ(log, (std::vector<std::string>{"close A"}));
  // An always-open panel stays open.
  bar->Panels()->Items(2)->SetMultiPanelState(mpsAlwaysOpen);
  Click(50, 50);  // C's caption now at 40..60
  EXPECT_TRUE(bar->Panels()->Items(2)->IsOpen());
}

TEST_F(InspMouse, MultiModeValueClickEditsTheRowUnderIt) {
  AddPanel("A", 1);
  AddPanel("B", 2);
  bar->SetMode(imMultiPanelActive);
  bar->Panels()->Items(1)->SetIsOpen(true);
  bar->UpdateLayout();
  Show();
  // B1: A's caption, A0, B's caption, B0, then B1. Any button opens the editor there.
  const struct {
    Qt::MouseButton Button;
    bool ReadOnly;
    bool Edits;
  } cases[] = {{Qt::LeftButton, false, true}, {Qt::RightButton, false, true}, {Qt::RightButton, true, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.Button << " read-only " << c.ReadOnly);
    bar->StopEdit(bar->EditItem());
    bar->Panels()->Items(1)->Items()->Items(1)->SetReadOnly(c.ReadOnly);
    Click(150, 20 + 20 + 20 + 25, c.Button);
    EXPECT_EQ(bar->Editing(), c.Edits);
    if (!c.Edits) continue;
    ASSERT_NE(bar->EditItem(), nullptr);
    EXPECT_EQ(bar->EditItem()->Caption(), "B1");
    EXPECT_EQ(bar->ActiveEditor(), bar->EditControl());
  }
}

// Starting an edit below the bar scrolls by the row's shown height: the panel's ItemHeight when
// its rows are not of variable height, whatever their own Height says; TopItem stays.
TEST_F(InspMouse, MultiModeEditBelowTheBarScrollsByTheShownRowHeight) {
  TInspectorPanel* p = AddPanel("A", 20);  // 20 + 400 pixels in a bar of 300
  for (int r = 0; r < 20; ++r) p->Items()->Items(r)->SetHeight(50);
  TInspectorItem* it = p->Items()->Items(14);  // shown at 300..320
  bar->SetMode(imMultiPanelActive);
  Show();
  ASSERT_EQ(bar->ScrollPosition(), 0);
  bar->StartEdit(it);
  EXPECT_EQ(bar->ScrollPosition(), 20);
  EXPECT_EQ(p->TopItem(), 0);
  TRect R;
  bar->GetItemRect(p, it, R);
  EXPECT_EQ(R.Bottom, 300);
}

TEST_F(InspMouse, MultiModeScrollBarShowsWhileThePanelsOverflowAndScrollsThem) {
  AddPanel("A", 20);  // 20 + 400 pixels in a bar of 300
  AddPanel("B", 1);
  bar->SetMode(imMultiPanelActive);
  Show();
  TScrollBar* sb = bar->ScrollBarControl();
  ASSERT_TRUE(bar->ScrollBarShown());
  EXPECT_TRUE(sb->Visible());
  EXPECT_EQ(sb->Left(), 184);
  EXPECT_EQ(sb->Max(), 440 - 300);
  EXPECT_EQ(sb->LargeChange(), 100);
  Click(150, 30);  // A0's value
  ASSERT_TRUE(bar->Editing());
  sb->Scroll(scLineDown);
  EXPECT_EQ(bar->ScrollPosition(), 20);
  EXPECT_FALSE(bar->Editing());  // scrolling ends the edit
  EXPECT_EQ(bar->ItemAt(50, 30)->Caption(), "A1");
  sb->Scroll(scBottom);
  EXPECT_EQ(bar->ScrollPosition(), 140);
  EXPECT_EQ(bar->CaptionAt(5, 285), 1);  // B's caption at the bottom
  // Closing A leaves nothing to scroll.
  bar->Panels()->Items(0)->SetIsOpen(false);
  bar->UpdateLayout();
  EXPECT_FALSE(sb->Visible());
  EXPECT_EQ(bar->ScrollPosition(), 0);
  bar->SetMode(imSinglePanelActive);
  EXPECT_FALSE(sb->Visible());
}

TEST_F(InspMouse, ArrowsScrollOneRowAndTheTickKeepsScrollingWhileHeld) {
  TInspectorPanel* p = AddPanel("A", 30);
  Show();
  ASSERT_TRUE(bar->DownArrowShown());
  ASSERT_FALSE(bar->UpArrowShown());
  // Down arrow: the last 20 pixels of the body, at the right edge.
  Mouse(QEvent::MouseButtonPress, 190, 290);
  EXPECT_EQ(p->TopItem(), 1);
  EXPECT_TRUE(bar->DownPressed());
  const TPoint screen = bar->ClientToScreen(TPoint(190, 290));
  Mouse_SetCursorPos(screen);
  ASSERT_EQ(Mouse_CursorPos().X, screen.X);
  ASSERT_EQ(Mouse_CursorPos().Y, screen.Y);
  bar->ScrollTimerControl()->Tick();
  bar->ScrollTimerControl()->Tick();
  EXPECT_EQ(p->TopItem(), 3);
  // Off the arrow the tick does nothing.
  Mouse_SetCursorPos(bar->ClientToScreen(TPoint(100, 100)));
  bar->ScrollTimer();
  EXPECT_EQ(p->TopItem(), 3);
  Mouse_SetCursorPos(screen);
  Mouse(QEvent::MouseButtonRelease, 190, 290);
  EXPECT_FALSE(bar->DownPressed());
  bar->ScrollTimer();  // released: no more scrolling
  EXPECT_EQ(p->TopItem(), 3);
}

TEST_F(InspMouse, NodeGlyphCollapsesAndExpandsTheSubtree) {
  TInspectorPanel* p = AddPanel("A", 3);
  p->Items()->Items(1)->SetLevel(1);
  p->Items()->Items(2)->SetLevel(1);
  int opened = 0, closed = 0;
  bar->OnItemClose = [&](TObject*, TInspectorPanel*, TInspectorItem*) { ++closed; };
  bar->OnItemOpen = [&](TObject*, TInspectorPanel*, TInspectorItem*) { ++opened; };
  Show();
  // Row 0 has level 0: its glyph lies between -12 and 0, so only level-1 parents could be hit.
  p->Items()->Items(0)->SetLevel(1);
  p->Items()->Items(1)->SetLevel(2);
  p->Items()->Items(2)->SetLevel(2);
  Click(6, 30);
  EXPECT_TRUE(p->Items()->Items(0)->Collapsed());
  EXPECT_FALSE(p->Items()->Items(1)->Visible());
  EXPECT_EQ(closed, 1);
  Click(6, 30);
  EXPECT_FALSE(p->Items()->Items(0)->Collapsed());
  EXPECT_TRUE(p->Items()->Items(2)->Visible());
  EXPECT_EQ(opened, 1);
}

TEST_F(InspMouse, DraggingTheColumnEdgeOfAResizablePanelSetsTheCaptionWidth) {
  TInspectorPanel* p = AddPanel("A", 2);
  p->SetGridLines(true);
  p->SetAllowResize(true);
  Show();
  Mouse(QEvent::MouseMove, 71, 30);
  EXPECT_EQ(bar->Cursor(), crHSplit);
  Mouse(QEvent::MouseButtonPress, 71, 30);
  EXPECT_FALSE(bar->Editing());  // no editor while splitting
  QWidget* w = bar->ClientWidget();
  QMouseEvent drag(QEvent::MouseMove, QPointF(95, 30), w->mapToGlobal(QPointF(95, 30)), Qt::NoButton,
                   Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(w, &drag);
  EXPECT_EQ(p->CaptionWidth(), 95);
  Mouse(QEvent::MouseButtonRelease, 95, 30);
  Mouse(QEvent::MouseMove, 150, 30);
  EXPECT_EQ(bar->Cursor(), crDefault);
}

TEST_F(InspMouse, HintsComeFromCaptionsAndRowsElseTheBar) {
  TInspectorPanel* p = AddPanel("A", 2);
  p->SetHint("panel hint");
  p->Items()->Items(0)->SetHint("row hint");
  bar->SetHint("bar hint");
  Show();
  EXPECT_EQ(bar->HintAt(5, 5), "panel hint");
  EXPECT_EQ(bar->HintAt(50, 30), "row hint");
  EXPECT_EQ(bar->HintAt(50, 50), "bar hint");
  EXPECT_EQ(bar->HintAt(50, 200), "bar hint");
  // A row's hint also shows over the strip under the scroll arrows.
  for (int r = 2; r < 30; ++r) p->Items()->Add()->SetCaption("more");
  bar->Repaint();
  ASSERT_TRUE(bar->DownArrowShown());
  EXPECT_EQ(bar->HintAt(190, 30), "row hint");
  EXPECT_EQ(bar->HintAt(200, 30), "bar hint");
}

TEST_F(InspMouse, ArrowsLookPressedWhileTheMouseIsDownInsideThem) {
  std::vector<TThemePart> parts;
  RecordThemeParts(&parts);
  AddPanel("A", 30);
  Show();
  ASSERT_TRUE(bar->DownArrowShown());
  auto downState = [&] {
    parts.clear();
    TRecordingCanvas canvas{200, 300};
    bar->PaintOn(&canvas);
    int state = -1;
    for (const TThemePart& t : parts)
      if (t.Class == "scrollbar" && t.State >= 5) state = t.State;
    return state;
  };
  // Pressed on the active caption and moved onto the down arrow: the mouse is down inside it.
  Mouse(QEvent::MouseButtonPress, 100, 5);
  Mouse_SetCursorPos(bar->ClientToScreen(TPoint(190, 290)));
  EXPECT_EQ(downState(), 7);
  Mouse(QEvent::MouseButtonRelease, 100, 5);
  EXPECT_EQ(downState(), 6);  // hot
  Mouse_SetCursorPos(bar->ClientToScreen(TPoint(100, 100)));
  EXPECT_EQ(downState(), 5);

  // The classic arrow has one look, pressed or not.
  NoStylesLibrary();
  auto arrowPixels = [&] {
    TBitmap b;
    b.SetSize(200, 300);
    bar->PaintOn(b.Canvas());
    std::vector<TColor> px;
    for (int y = 282; y < 300; ++y)
      for (int x = 182; x < 200; ++x) px.push_back(b.Canvas()->Pixels(x, y));
    return px;
  };
  Mouse_SetCursorPos(bar->ClientToScreen(TPoint(190, 290)));
  Mouse(QEvent::MouseButtonPress, 190, 290);
  ASSERT_TRUE(bar->DownPressed());
  const std::vector<TColor> held = arrowPixels();
  Mouse(QEvent::MouseButtonRelease, 190, 290);
  EXPECT_EQ(arrowPixels(), held);
  SetVisualStylesLoader(nullptr);
}

TEST_F(InspMouse, PageKeysScrollAndPutThePanelControlBack) {
  TInspectorPanel* p = AddPanel("A", 30);
  auto* hosted = new TPanel(form);
  hosted->SetParent(bar);
  p->SetControl(hosted);
  bar->SetTabStop(true);
  Show();
  bar->SetFocus();
  const TRect placed = hosted->BoundsRect();
  ASSERT_TRUE(bar->DownArrowShown());
  hosted->SetBounds(5, 5, 10, 10);  // moved away by someone else
  Key(Qt::Key_PageDown);
  EXPECT_EQ(p->TopItem(), 1);
  EXPECT_EQ(hosted->BoundsRect(), placed);
  hosted->SetBounds(5, 5, 10, 10);
  bar->Repaint();
  Key(Qt::Key_PageUp);
  EXPECT_EQ(p->TopItem(), 0);
  EXPECT_EQ(hosted->BoundsRect(), placed);
}

TEST_F(InspMouse, ShortcutsAndAcceleratorsClickRowsAndOpenPanels) {
  AddPanel("&Alpha", 2);
  TInspectorPanel* b = AddPanel("&Beta", 2);
  b->SetShortCut(ShortCut('K', ssCtrl));
  bar->Panels()->Items(0)->Items()->Items(1)->SetShortCut(ShortCut('J', ssCtrl));
  bar->SetTabStop(true);
  Show();
  bar->SetFocus();
  QApplication::processEvents();
  ASSERT_TRUE(bar->Focused());
  Key(Qt::Key_J, Qt::ControlModifier);
  EXPECT_EQ(log, (std::vector<std::string>{"click &Alpha1"}));
  log.clear();
  Key(Qt::Key_K, Qt::ControlModifier);
  EXPECT_EQ(bar->TopPanel(), 1);
  EXPECT_EQ(log, (std::vector<std::string>{"open &Beta", "opened &Beta"}));
  log.clear();
  EXPECT_TRUE(bar->AcceleratorKey('a'));
  EXPECT_EQ(bar->TopPanel(), 0);
  EXPECT_EQ(log, (std::vector<std::string>{"open &Alpha", "close &Beta", "opened &Alpha"}));
}

TEST_F(InspMouse, DialogKeysOpenThePanelOrClickTheRowWithThatShortcut) {
  const struct {
    WORD Key;
    bool PanelHasIt, RowHasIt;
  } cases[] = {{VK_DOWN, true, false}, {VK_RETURN, true, false}, {VK_ESCAPE, true, false}, {VK_TAB, true, false},
               {VK_RETURN, false, true}, {VK_RETURN, false, false}, {VK_ESCAPE, false, false}};
  AddPanel("A", 1);
  TInspectorPanel* b = AddPanel("B", 1);
  Show();
  Key(Qt::Key_F24);  // the shortcut takes the modifiers held now: none
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.Key) + (c.PanelHasIt ? " panel" : c.RowHasIt ? " row" : " none"));
    bar->SetTopPanel(0);
    b->SetShortCut(c.PanelHasIt ? c.Key : 0);
    bar->Panels()->Items(0)->Items()->Items(0)->SetShortCut(c.RowHasIt ? c.Key : 0);
    log.clear();
    // Unmatched, the key stays the form's: its default and cancel buttons still answer.
    EXPECT_EQ(bar->Perform(CM_DIALOGKEY, c.Key, 0), c.PanelHasIt || c.RowHasIt ? 1 : 0);
    EXPECT_EQ(bar->TopPanel(), c.PanelHasIt ? 1 : 0);
    EXPECT_EQ(log.size() == 1 && log[0] == "click A0", c.RowHasIt);
  }
}

TEST_F(InspMouse, AClickOrTabGivesTheBarTheFocus) {
  AddPanel("A", 2);
  auto* other = new TEdit(form);
  other->SetParent(form);
  other->SetBounds(205, 10, 50, 20);
  Show();
  other->SetFocus();
  QApplication::processEvents();
  ASSERT_FALSE(bar->Focused());
  Click(40, 30);  // a row caption: no editor takes the focus
  EXPECT_TRUE(bar->Focused());
  other->SetFocus();
  QApplication::processEvents();
  Key(Qt::Key_Tab);
  EXPECT_TRUE(bar->Focused());
}

TEST_F(InspMouse, AButtonRowClicksOnReleaseOverItsValueAlsoWhenReadOnly) {
  TInspectorPanel* p = AddPanel("A", 2);
  TInspectorItem* b = p->Items()->Items(1);
  b->SetPropertyType(ptButton);
  int clicks = 0;
  bar->OnButtonClick = [&](TObject*, TInspectorPanel*, TInspectorItem* i) { clicks += i == b; };
  Show();
  const struct {
    bool ReadOnly;
    int X, Clicks;
  } cases[] = {{false, 150, 1}, {true, 150, 1}, {true, 40, 0}, {false, 198, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.ReadOnly) + " x " + std::to_string(c.X));
    b->SetReadOnly(c.ReadOnly);
    clicks = 0;
    Click(c.X, 20 + 20 + 10);
    EXPECT_EQ(clicks, c.Clicks);
    EXPECT_FALSE(b->Pressed());
  }
}

TEST_F(InspMouse, RowAcceleratorsCompareTheMarkAsWritten) {
  const struct {
    const char* Caption;
    WORD Key;
    bool Clicks;
  } cases[] = {{"&Address", 'a', true}, {"&Address", 'A', true}, {"&address", 'A', false},
               {"&address", 'a', false}, {"Page &Size", 's', true}, {"Page &size", 'S', false}};
  TInspectorPanel* p = AddPanel("Setup", 1);
  bar->SetTopPanel(0);
  Show();
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.Caption) + " " + static_cast<char>(c.Key));
    p->Items()->Items(0)->SetCaption(c.Caption);
    log.clear();
    EXPECT_EQ(bar->AcceleratorKey(c.Key), c.Clicks);
    EXPECT_EQ(log, c.Clicks ? std::vector<std::string>{std::string("click ") + c.Caption} : std::vector<std::string>{});
  }
}

TEST_F(InspMouse, TheCursorSetWhileLoadingIsTheOneTheBarGoesBackTo) {
  TInspectorPanel* p = AddPanel("A", 2);
  p->SetGridLines(true);
  p->SetAllowResize(true);
  form->BeginLoading();
  bar->SetCursor(crCross);
  form->EndLoading();
  EXPECT_EQ(bar->DefaultCursor(), crCross);
  Show();
  Mouse(QEvent::MouseMove, 70, 30);  // on the caption column's edge
  EXPECT_EQ(bar->Cursor(), crHSplit);
  Mouse(QEvent::MouseMove, 150, 30);
  EXPECT_EQ(bar->Cursor(), crCross);
  Mouse(QEvent::MouseMove, 70, 30);
  QEvent leave(QEvent::Leave);
  QCoreApplication::sendEvent(bar->ClientWidget(), &leave);
  EXPECT_EQ(bar->Cursor(), crCross);
}

TEST_F(InspMouse, FillingAShownBarRowByRowWaitsForOneRepaint) {
  for (TInspectorBarMode mode : {imSinglePanelActive, imMultiPanelActive}) {
    SCOPED_TRACE(mode == imSinglePanelActive ? "single" : "multi");
    bar->Panels()->Clear();
    TInspectorPanel* p = AddPanel("A", 1);
    bar->SetMode(mode);
    p->SetIsOpen(true);
    Show();
    ASSERT_FALSE(bar->WholeRepaintPending());
    const int reads = bar->LayoutRowReads();
    for (int i = 0; i < 300; ++i) {
      TInspectorItem* it = p->Items()->Add();
      it->SetCaption("R" + std::to_string(i));
      it->SetPropertyType(ptText);
      it->SetTextValue("v");
    }
    EXPECT_LE(bar->LayoutRowReads() - reads, 1) << "each new row laid the bar out";
    EXPECT_TRUE(bar->WholeRepaintPending());
    QApplication::processEvents();
    EXPECT_FALSE(bar->WholeRepaintPending());
    // After the repaint a change repaints its own row only.
    p->Items()->Items(1)->SetTextValue("w");
    EXPECT_FALSE(bar->WholeRepaintPending());
  }
}

TEST_F(InspMouse, BooleanRowTakesSpaceWhileItIsTheEditedRow) {
  TInspectorPanel* p = AddPanel("A", 1);
  TInspectorItem* check = p->Items()->Add();
  check->SetCaption("Check");
  check->SetPropertyType(ptBoolean);
  bar->SetTabStop(true);
  Show();
  Click(150, 50);
  EXPECT_TRUE(check->BoolValue());
  EXPECT_TRUE(bar->Focused());
  // The check row stays the current row, so the keys of the bar reach it.
  ASSERT_EQ(bar->EditItem(), check);
  EXPECT_FALSE(bar->Editing());
  Key(Qt::Key_Space, Qt::NoModifier, " ");
  EXPECT_FALSE(check->BoolValue());
}

TEST_F(InspMouse, APanelsPopupMenuComesBeforeTheBars) {
  TInspectorPanel* p = AddPanel("A", 2);
  TPopupMenu panelMenu(nullptr), barMenu(nullptr);
  int panelShown = 0, barShown = 0;
  panelMenu.OnPopup = [&](TObject*) { ++panelShown; };
  barMenu.OnPopup = [&](TObject*) { ++barShown; };
  bar->SetPopupMenu(&barMenu);
  Show();
  auto context = [&](int x, int y) {
    QWidget* w = bar->ClientWidget();
    QContextMenuEvent e(QContextMenuEvent::Mouse, QPoint(x, y), w->mapToGlobal(QPoint(x, y)));
    QCoreApplication::sendEvent(w, &e);
  };
  context(100, 30);
  EXPECT_EQ(barShown, 1);  // the panel has none yet
  p->SetPopupMenu(&panelMenu);
  context(100, 30);
  EXPECT_EQ(panelShown, 1);
  EXPECT_EQ(barShown, 1);
  EXPECT_EQ(panelMenu.PopupComponent(), bar);
  p->SetPopupMenu(nullptr);
}

TEST_F(InspMouse, EditorEventsReachTheBarWithTheRow) {
  TInspectorPanel* p = AddPanel("A", 1);
  TInspectorItem* list = p->Items()->Add();
  list->SetCaption("List");
  list->SetPropertyType(ptValuesList);
  list->Values()->SetText("8\n16\n32");
  list->SetTextValue("8");
  TInspectorItem* spin = p->Items()->Add();
  spin->SetCaption("Spin");
  spin->SetPropertyType(ptIntSpin);
  spin->SetSpinMax(1000);
  spin->SetTextValue("5");
  std::vector<int> indexes;
  bar->OnEditComboChange = [&](TObject*, TInspectorPanel*, TInspectorItem* i, int index) {
    EXPECT_EQ(i, list);
    indexes.push_back(index);
  };
  bar->OnEditSpinUp = [&](TObject*, TInspectorPanel*, std::string& text, TInspectorItem* i) {
    EXPECT_EQ(i, spin);
    EXPECT_EQ(text, "6");
    text = "77";  // the handler's text goes back into the editor
  };
  int dbl = 0;
  bar->OnEditDblClick = [&](TObject*, TInspectorPanel*, TInspectorItem* i) {
    EXPECT_EQ(i, list);
    EXPECT_FALSE(bar->Editing());
    ++dbl;
  };
  Show();
  Click(150, 50);
  ASSERT_EQ(bar->EditItem(), list);
  Key(Qt::Key_3, Qt::NoModifier, "3");
  EXPECT_EQ(indexes, (std::vector<int>{2}));
  QWidget* w = bar->ComboControl()->ClientWidget();
  QMouseEvent d(QEvent::MouseButtonDblClick, QPointF(5, 5), w->mapToGlobal(QPointF(5, 5)), Qt::LeftButton,
                Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(w, &d);
  QApplication::processEvents();
  EXPECT_EQ(dbl, 1);
  EXPECT_EQ(QApplication::focusWidget(), bar->ComboControl()->ClientWidget());  // the keys still reach it
  EXPECT_TRUE(bar->Editing());  // editing starts again on the row
  EXPECT_EQ(list->TextValue(), "32");
  Click(150, 70);
  ASSERT_EQ(bar->EditItem(), spin);
  Key(Qt::Key_Up, Qt::ControlModifier);
  EXPECT_EQ(bar->SpinControl()->Text(), "77");
}

// With WordWrap the caption is edited in a word-wrapping memo, borderless as the single-line
// editor, whose Return applies instead of breaking the line.
TEST_F(InspMouse, WordWrappedCaptionsAreEditedInABorderlessMemo) {
  // Both caption editors come with the bar: borderless, green, hidden; the memo wraps without scroll bars.
  for (bool wrap : {false, true}) {
    TCustomEdit* e = bar->CaptionEditor(wrap);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->Owner(), bar);
    EXPECT_FALSE(e->Visible());
    EXPECT_EQ(e->Color(), clGreen);
  }
  auto* made = dynamic_cast<TMemo*>(bar->CaptionEditor(true));
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(made->BorderStyle(), bsNone);
  EXPECT_TRUE(made->WordWrap());
  EXPECT_EQ(made->ScrollBars(), ssNone);
  ASSERT_NE(dynamic_cast<TEdit*>(bar->CaptionEditor(false)), nullptr);
  EXPECT_EQ(dynamic_cast<TEdit*>(bar->CaptionEditor(false))->BorderStyle(), bsNone);
  TInspectorPanel* p = AddPanel("A", 1, psSmallIcon);
  p->SetLabelEdit(true);
  p->SetWordWrap(true);
  Show();
  bar->Repaint();
  QApplication::processEvents();
  TInspectorItem* row = p->Items()->Items(0);
  const TRect r = bar->IconTextRect(p, row);
  ASSERT_GT(r.Width(), 0);
  const TPoint at((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
  Mouse_SetCursorPos(bar->ClientToScreen(at));
  Click(at.X, at.Y);
  ASSERT_EQ(bar->LabelEditItem(), row);
  auto* memo = dynamic_cast<TMemo*>(bar->LabelEditor());
  ASSERT_EQ(memo, made);
  EXPECT_TRUE(memo->Visible());
  EXPECT_EQ(memo->BorderStyle(), bsNone);
  memo->SetText("Wrapped");
  Key(Qt::Key_Return, Qt::NoModifier, "\r");
  EXPECT_EQ(row->Caption(), "Wrapped");
  EXPECT_FALSE(memo->Visible());
}

TEST_F(InspMouse, IconRowCaptionsAreEditedInPlace) {
  TInspectorPanel* p = AddPanel("A", 2, psSmallIcon);
  p->SetLabelEdit(true);
  std::vector<std::string> stops;
  bar->OnStopLabelEdit = [&](TObject*, const std::string& old, bool& allow, std::string& text) {
    stops.push_back(old + ">" + text);
    allow = text != "refused";
  };
  Show();
  bar->Repaint();
  QApplication::processEvents();
  TInspectorItem* row = p->Items()->Items(0);
  const TRect r = bar->IconTextRect(p, row);
  ASSERT_GT(r.Width(), 0);
  const TPoint at((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
  Mouse_SetCursorPos(bar->ClientToScreen(at));
  Click(at.X, at.Y);
  ASSERT_EQ(bar->LabelEditItem(), row);
  TCustomEdit* e = bar->LabelEditor();
  ASSERT_NE(e, nullptr);
  EXPECT_TRUE(e->Visible());
  EXPECT_EQ(e->BorderStyle(), bsNone);
  EXPECT_EQ(e->Text(), "A0");
  EXPECT_TRUE(log.empty());  // the click went to the caption editor, not OnItemClick
  e->SetText("First");
  Key(Qt::Key_Return, Qt::NoModifier, "\r");
  EXPECT_EQ(row->Caption(), "First");
  EXPECT_FALSE(e->Visible());
  // Escape leaves the caption alone; a refused text too.
  Click(at.X, at.Y);
  ASSERT_EQ(bar->LabelEditItem(), row);
  bar->LabelEditor()->SetText("Other");
  Key(Qt::Key_Escape, Qt::NoModifier, QString(QChar(27)));
  EXPECT_EQ(row->Caption(), "First");
  Click(at.X, at.Y);
  bar->LabelEditor()->SetText("refused");
  Key(Qt::Key_Return, Qt::NoModifier, "\r");
  EXPECT_EQ(row->Caption(), "First");
  EXPECT_EQ(stops, (std::vector<std::string>{"A0>First", "First>refused"}));
}

}  // namespace
