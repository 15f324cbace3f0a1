// The status bar's parts, their updates, its timer, mouse and hints.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "controls/markup/HTMLStatusBar.h"
#include "platform/gui/Forms.h"
#include "platform/gui/ImgList.h"
#include "platform/gui/Messages.h"
#include "platform/gui/Windows.h"
#include "platform/gui/testing/GuiTest.h"
#include "platform/rtl/Classes.h"

namespace {

// A bar on a form, with the frame's five panels.
class StatusBarTest : public TGuiTest {
 protected:
  StatusBarTest() {
    form = new TForm(nullptr);
    form->SetBounds(0, 0, 800, 300);
    bar = new THTMLStatusBar(form);
    bar->SetParent(form);
    bar->SetSizeGrip(false);
  }
  // The base fixture frees the form.

  void AddPanels(std::vector<int> widths) {
    for (int w : widths) bar->Panels()->Add()->SetWidth(w);
  }
  THTMLStatusPanel* P(int i) { return bar->Panels()->Items(i); }
  // Marks every pending part as drawn.
  void Drawn() { bar->UpdatePanels(false, true); }
  std::vector<bool> Pending() {
    std::vector<bool> v;
    for (int i = 0; i < bar->Panels()->Count(); ++i) v.push_back(P(i)->UpdateNeeded());
    return v;
  }
  void Tick() { bar->Perform(WM_TIMER, THTMLStatusBar::TimerID, 0); }

  TForm* form;
  THTMLStatusBar* bar;
};

TEST_F(StatusBarTest, PartsFollowTheWidthsAndTheLastTakesTheRest) {
  AddPanels({240, 280, 50, 50, 50});
  ASSERT_EQ(bar->ClientWidth(), 800);
  EXPECT_EQ(bar->PartCount(), 5);
  EXPECT_EQ(bar->PanelRect(0), TRect(0, 2, 240, 19));
  EXPECT_EQ(bar->PanelRect(1), TRect(242, 2, 520, 19));
  EXPECT_EQ(bar->PanelRect(2), TRect(522, 2, 570, 19));
  EXPECT_EQ(bar->PanelRect(3), TRect(572, 2, 620, 19));
  EXPECT_EQ(bar->PanelRect(4), TRect(622, 2, 800, 19));
  EXPECT_EQ(bar->PanelRect(5), TRect());
  form->SetBounds(0, 0, 1000, 300);
  EXPECT_EQ(bar->PanelRect(4).Right, 1000);
  EXPECT_EQ(bar->PanelRect(3), TRect(572, 2, 620, 19));
}

TEST_F(StatusBarTest, NoPanelsGiveOneEmptyPartAcrossTheBar) {
  EXPECT_EQ(bar->PartCount(), 1);
  EXPECT_EQ(bar->PanelRect(0), TRect(0, 2, 800, 19));
  EXPECT_EQ(bar->GetPanelAtPoint(10), -1);
}

TEST_F(StatusBarTest, OnlyTheFirst128PanelsAreLaidOut) {
  std::vector<int> widths(130, 5);
  AddPanels(widths);
  EXPECT_EQ(bar->PartCount(), 128);
  EXPECT_EQ(bar->PanelRect(127).Right, 800);
  EXPECT_EQ(bar->PanelRect(128), TRect());
  EXPECT_LT(bar->GetPanelAtPoint(799), 128);
}

TEST_F(StatusBarTest, PanelUnderAPointIncludesBothEdges) {
  AddPanels({100, 100, 100});
  EXPECT_EQ(bar->GetPanelAtPoint(0), 0);
  EXPECT_EQ(bar->GetPanelAtPoint(100), 0);
  EXPECT_EQ(bar->GetPanelAtPoint(101), -1);  // the gap between parts
  EXPECT_EQ(bar->GetPanelAtPoint(102), 1);
  EXPECT_EQ(bar->GetPanelAtPoint(799), 2);
  EXPECT_EQ(bar->GetPanelAtPoint(850), -1);
}

TEST_F(StatusBarTest, SizeGripOnlyOnASizeableForm) {
  AddPanels({100, 100});
  bar->SetSizeGrip(true);
  form->SetBorderStyle(bsSizeable);
  EXPECT_TRUE(bar->SizeGripShown());
  EXPECT_EQ(bar->PanelRect(1).Right, 800 - 16);
  form->SetBorderStyle(bsDialog);
  EXPECT_FALSE(bar->SizeGripShown());
  EXPECT_EQ(bar->PanelRect(1).Right, 800);
  form->SetBorderStyle(bsSizeToolWin);
  EXPECT_TRUE(bar->SizeGripShown());
  bar->SetSizeGrip(false);
  EXPECT_FALSE(bar->SizeGripShown());
}

TEST_F(StatusBarTest, SameTextCausesNoRedrawAndANewTextOnlyItsPanel) {
  AddPanels({50, 50, 50});
  bar->HandleNeeded();
  P(1)->SetText("abc");
  Drawn();
  EXPECT_EQ(Pending(), (std::vector<bool>{false, false, false}));
  P(1)->SetText("abc");
  EXPECT_EQ(Pending(), (std::vector<bool>{false, false, false}));
  P(1)->SetText("abd");
  EXPECT_EQ(Pending(), (std::vector<bool>{false, true, false}));
  Drawn();
  P(2)->SetAlignment(taCenter);
  P(2)->SetAlignment(taCenter);
  EXPECT_EQ(Pending(), (std::vector<bool>{false, false, true}));
}

TEST_F(StatusBarTest, WidthAndFormatsLayOutEveryPanel) {
  AddPanels({50, 50, 50});
  bar->HandleNeeded();
  Drawn();
  P(0)->SetWidth(50);  // even the same width relays the whole bar
  EXPECT_EQ(Pending(), (std::vector<bool>{true, true, true}));
  Drawn();
  P(2)->SetHint("h");
  EXPECT_EQ(Pending(), (std::vector<bool>{true, true, true}));
  Drawn();
  P(1)->Progress()->SetPosition(10);  // a progress setting redraws its own panel
  EXPECT_EQ(Pending(), (std::vector<bool>{false, true, false}));
}

TEST(StatusBarWindowTest, WithoutAWindowNothingIsMarkedAndNoTimerRuns) {
  THTMLStatusBar loose(nullptr);
  loose.Panels()->Add();
  ASSERT_FALSE(loose.HandleAllocated());
  loose.Panels()->Items(0)->SetText("x");
  EXPECT_FALSE(loose.Panels()->Items(0)->UpdateNeeded());
  EXPECT_FALSE(loose.TimerActive());
  loose.HandleNeeded();
  EXPECT_TRUE(loose.TimerActive());
  loose.Panels()->Items(0)->SetText("y");
  EXPECT_TRUE(loose.Panels()->Items(0)->UpdateNeeded());
}

TEST_F(StatusBarTest, BlinkingMarkupIsRedrawnAtCounterFiveAndTenOnly) {
  AddPanels({100, 100});
  bar->HandleNeeded();
  P(0)->SetText("<bLiNk>alarm</BLINK>");
  P(1)->SetText("<b>steady</b>");
  Drawn();
  std::vector<int> redrawnAt;
  for (int tick = 0; tick < 22; ++tick) {
    const int counter = bar->BlinkCounter();
    Tick();
    if (P(0)->UpdateNeeded()) redrawnAt.push_back(counter);
    EXPECT_FALSE(P(1)->UpdateNeeded());
    Drawn();
  }
  EXPECT_EQ(redrawnAt, (std::vector<int>{5, 10, 5, 10}));
  EXPECT_EQ(P(0)->Text(), "<bLiNk>alarm</BLINK>");
}

TEST_F(StatusBarTest, BlinkCounterRunsElevenSteps) {
  std::vector<int> seen;
  for (int i = 0; i < 12; ++i) {
    Tick();
    seen.push_back(bar->BlinkCounter());
  }
  EXPECT_EQ(seen, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 0, 1}));
}

TEST_F(StatusBarTest, TimeAndDatePanelsRefreshOnLoadingAndEveryTick) {
  AddPanels({80, 80});
  P(0)->SetStyle(psTime);
  P(0)->SetTimeFormat("hh:nn");
  P(1)->SetStyle(psDate);
  P(1)->SetDateFormat("yyyy");
  bar->BeginLoading();
  bar->EndLoading();  // Loaded
  EXPECT_EQ(P(0)->Text().size(), 5u);
  EXPECT_EQ(P(0)->Text()[2], ':');
  EXPECT_EQ(P(1)->Text().size(), 4u);
  P(0)->SetText("stale");
  Tick();
  EXPECT_NE(P(0)->Text(), "stale");
}

TEST_F(StatusBarTest, ASizeWhileLoadingFiresNoResize) {
  int resized = 0;
  bar->OnResize = [&](TObject*) { ++resized; };
  bar->BeginLoading();
  bar->SetBounds(0, 0, 500, 19);
  EXPECT_EQ(resized, 0);
  bar->EndLoading();
  bar->SetBounds(0, 0, 600, 19);
  EXPECT_GT(resized, 0);
}

TEST_F(StatusBarTest, LockPanelsShowTheToggleStates) {
  AddPanels({40, 40, 40});
  P(0)->SetStyle(psNumLock);
  P(1)->SetStyle(psCapsLock);
  P(2)->SetStyle(psScrollLock);
  SetKeyToggleState(VK_NUMLOCK, true);
  SetKeyToggleState(VK_CAPITAL, false);
  SetKeyToggleState(VK_SCROLL, true);
  Tick();
  EXPECT_EQ(P(0)->Text(), "NUM");
  EXPECT_EQ(P(1)->Text(), "");
  EXPECT_EQ(P(2)->Text(), "SCRL");
  SetKeyToggleState(VK_NUMLOCK, false);
  SetKeyToggleState(VK_CAPITAL, true);
  Tick();
  EXPECT_EQ(P(0)->Text(), "");
  EXPECT_EQ(P(1)->Text(), "CAP");
  SetKeyToggleState(VK_SCROLL, false);
  SetKeyToggleState(VK_CAPITAL, false);
}

TEST_F(StatusBarTest, AnimationAdvancesEveryDelayPlusOneTicksAndWraps) {
  TImageList frames(nullptr);
  TBitmap strip(48, 16);  // three 16-pixel frames
  frames.Add(&strip, nullptr);
  ASSERT_EQ(frames.Count(), 3);
  AddPanels({60});
  P(0)->SetStyle(psAnimation);
  P(0)->SetAnimationImages(&frames);
  P(0)->SetAnimationDelay(1);
  P(0)->SetAnimationDelay(-1);  // ignored
  EXPECT_EQ(P(0)->AnimationDelay(), 1);
  std::vector<int> framesSeen;
  for (int i = 0; i < 8; ++i) {
    Tick();
    framesSeen.push_back(P(0)->AnimationFrame());
  }
  // Counter values 0..7: a new frame at 0, 2, 4, 6.
  EXPECT_EQ(framesSeen, (std::vector<int>{1, 1, 2, 2, 0, 0, 1, 1}));
  P(0)->SetAnimationImages(nullptr);
}

TEST_F(StatusBarTest, RemovedImageListsAreForgotten) {
  auto* images = new TImageList(nullptr);
  auto* frames = new TImageList(nullptr);
  AddPanels({60});
  bar->SetImages(images);
  P(0)->SetAnimationImages(frames);
  delete images;
  delete frames;
  EXPECT_EQ(bar->Images(), nullptr);
  EXPECT_EQ(P(0)->AnimationImages(), nullptr);
}

TEST_F(StatusBarTest, PanelClicksReportThePanelUnderTheMouse) {
  AddPanels({100, 100});
  std::vector<std::pair<char, int>> clicks;
  bar->OnPanelClick = [&](TObject*, int i) { clicks.push_back({'L', i}); };
  bar->OnPanelRightClick = [&](TObject*, int i) { clicks.push_back({'R', i}); };
  bar->OnPanelDblClick = [&](TObject*, int i) { clicks.push_back({'D', i}); };
  bar->MouseDown(mbLeft, 0, 150, 8);
  bar->MouseDown(mbRight, 0, 20, 8);
  bar->MouseDown(mbLeft, 0, 101, 8);
  bar->MouseDown(mbLeft, 0, 30, 8);
  bar->DblClick();
  EXPECT_EQ(clicks, (std::vector<std::pair<char, int>>{{'L', 1}, {'R', 0}, {'L', -1}, {'L', 0}, {'D', 0}}));
}

TEST_F(StatusBarTest, AnchorsOpenThroughTheShellOrFireTheEvent) {
  AddPanels({300, 300});
  P(0)->SetText("<a href=\"mailto:lab@example.org\">mail</a>");
  P(1)->SetText("<a href=\"Settings\">settings</a>");
  std::vector<std::string> opened, clicked;
  SetShellOpenHandler([&](const std::string& verb, const std::string& file) {
    opened.push_back(verb + " " + file);
    return true;
  });
  bar->OnAnchorClick = [&](TObject*, const std::string& a) { clicked.push_back(a); };
  const TRect r0 = bar->PanelRect(0), r1 = bar->PanelRect(1);
  const int y = r0.Top + 1 + P(0)->HTMLOffsetY() + 3;
  ASSERT_EQ(bar->GetAnchorAt(r0.Left + 1 + 2 + 3, y), "mailto:lab@example.org");
  bar->MouseDown(mbLeft, 0, r0.Left + 6, y);
  bar->MouseDown(mbLeft, 0, r1.Left + 6, y);
  bar->MouseDown(mbLeft, 0, r1.Right - 5, y);  // past the anchor's text
  SetShellOpenHandler(nullptr);
  EXPECT_EQ(opened, (std::vector<std::string>{"open mailto:lab@example.org"}));
  EXPECT_EQ(clicked, (std::vector<std::string>{"Settings"}));
}

TEST_F(StatusBarTest, HoveringAnAnchorEntersOnceAndLeaving) {
  AddPanels({300});
  P(0)->SetText("<a href=\"x\">link</a>");
  std::vector<std::string> events;
  bar->OnAnchorEnter = [&](TObject*, const std::string& a) { events.push_back("enter " + a); };
  bar->OnAnchorExit = [&](TObject*, const std::string& a) { events.push_back("exit " + a); };
  const int y = bar->PanelRect(0).Top + 6;
  bar->MouseMove(0, 6, y);
  bar->MouseMove(0, 8, y);
  EXPECT_EQ(bar->Cursor(), crHandPoint);
  bar->MouseMove(0, 250, y);
  EXPECT_EQ(bar->Cursor(), crDefault);
  EXPECT_EQ(events, (std::vector<std::string>{"enter x", "exit "}));
}

TEST_F(StatusBarTest, HintsComeFromThePanelOrTheAnchor) {
  AddPanels({100, 200});
  P(0)->SetStyle(psText);
  P(0)->SetHint("port hint");
  P(1)->SetText("<a href=\"http://example.org\">site</a>");
  P(1)->SetHint("markup hint");
  THintInfo info;
  info.CursorPos = TPoint(10, 8);
  bar->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_EQ(info.HintStr, "port hint");
  EXPECT_TRUE(info.Show);
  THintInfo onAnchor;
  onAnchor.CursorPos = TPoint(bar->PanelRect(1).Left + 6, 8);
  bar->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&onAnchor));
  EXPECT_EQ(onAnchor.HintStr, "markup hint");  // AnchorHint off
  bar->SetAnchorHint(true);
  THintInfo anchored;
  anchored.CursorPos = onAnchor.CursorPos;
  bar->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&anchored));
  EXPECT_EQ(anchored.HintStr, "http://example.org");
  const TPoint screen = bar->ClientToScreen(anchored.CursorPos);
  EXPECT_EQ(anchored.HintPos, TPoint(screen.X + 10, screen.Y - 10));
}

TEST_F(StatusBarTest, AutoHintWritesPanelZeroOrTheSimpleText) {
  AddPanels({100});
  EXPECT_FALSE(bar->ExecuteHintAction("ignored"));
  bar->SetAutoHint(true);
  EXPECT_TRUE(bar->ExecuteHintAction("first"));
  EXPECT_EQ(P(0)->Text(), "first");
  bar->SetSimplePanel(true);
  EXPECT_TRUE(bar->ExecuteHintAction("simple"));
  EXPECT_EQ(bar->SimpleText(), "simple");
  EXPECT_EQ(bar->Perform(WM_GETTEXTLENGTH, 0, 0), 6);
  int hints = 0;
  bar->OnHint = [&](TObject*) { ++hints; };
  EXPECT_FALSE(bar->ExecuteHintAction("handled elsewhere"));
  EXPECT_EQ(hints, 1);
  EXPECT_EQ(bar->SimpleText(), "simple");
}

TEST_F(StatusBarTest, FlipReversesThePanelsKeepingTheLastWidthOnScreen) {
  AddPanels({100, 200, 50});
  P(0)->SetText("a");
  P(1)->SetText("b");
  P(2)->SetText("c");
  bar->HandleNeeded();
  bar->FlipChildren(true);
  EXPECT_EQ(P(0)->Text(), "c");
  EXPECT_EQ(P(1)->Text(), "b");
  EXPECT_EQ(P(2)->Text(), "a");
  EXPECT_EQ(P(0)->Width(), 800 - 300);
  EXPECT_EQ(P(2)->Width(), 100);
}

TEST_F(StatusBarTest, PanelAssignCopiesTheListedProperties) {
  AddPanels({10, 10});
  P(0)->SetText("t");
  P(0)->SetWidth(77);
  P(0)->SetStyle(psProgress);
  P(0)->SetHint("h");
  P(0)->SetImageIndex(4);
  P(0)->Progress()->SetPosition(33);
  P(0)->Progress()->SetLevel0Color(clNavy);
  P(1)->Assign(P(0));
  EXPECT_EQ(P(1)->Text(), "t");
  EXPECT_EQ(P(1)->Width(), 77);
  EXPECT_EQ(P(1)->Style(), psProgress);
  EXPECT_EQ(P(1)->Hint(), "h");
  EXPECT_EQ(P(1)->ImageIndex(), -1);
  EXPECT_EQ(P(1)->Progress()->Position(), 33);
  EXPECT_EQ(P(1)->Progress()->Level0Color(), clLime);  // not a copied setting
  EXPECT_EQ(P(1)->DisplayName(), "t");
}

TEST_F(StatusBarTest, ImageIndexLines) {
  AddPanels({10});
  EXPECT_EQ(P(0)->ImageIndexes(0), -1);
  P(0)->SetImageIndexes(2, 7);
  EXPECT_EQ(P(0)->ImageIndexes(0), -1);
  EXPECT_EQ(P(0)->ImageIndexes(2), 7);
  EXPECT_EQ(P(0)->ImageIndexes(3), -1);
  P(0)->ImageIndexLines()->Add("seven");
  EXPECT_THROW(P(0)->ImageIndexes(3), EConvertError);
}

}  // namespace
