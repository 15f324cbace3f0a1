// Hosted panel controls follow the layout; the bar's look follows the desktop's colour scheme.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "controls/inspector/InspectorBar.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Messages.h"
#include "platform/gui/StdCtrls.h"
#include "platform/gui/VisualStyles.h"
#include "platform/gui/testing/GuiTest.h"
#include "tests/controls/inspector/InspThemes.h"

namespace {

TInspLayoutPanel Panel(bool visible, std::vector<int> rows = {}, bool open = false) {
  TInspLayoutPanel p;
  p.Visible = visible;
  p.Rows = std::move(rows);
  p.Open = open;
  return p;
}

TEST(InspControlPlaces, SinglePanelGivesTheActivePanelTheSpaceBetweenTheCaptionStacks) {
  TInspLayoutInput in;
  in.Panels = {Panel(true), Panel(false), Panel(true, {24, 24}), Panel(true)};
  in.PanelAreaHeight = 300;
  in.Width = 200;
  in.TopPanel = 1;  // invisible: the next visible one is active
  const auto at = InspControlPlaces(in, false);
  ASSERT_EQ(at.size(), 4u);
  EXPECT_FALSE(at[0].Shown);
  EXPECT_FALSE(at[1].Shown);
  EXPECT_TRUE(at[2].Shown);
  EXPECT_FALSE(at[3].Shown);
  // Below the captions of panels 0 and 2, above the caption of panel 3: 300 - 3 x 20 high.
  EXPECT_EQ(at[2].Bounds, TRect(0, 40, 200, 280));
}

TEST(InspControlPlaces, MultiPanelCoversTheRowsOfEachOpenPanelUnderItsCaption) {
  TInspLayoutInput in;
  in.Panels = {Panel(true, {24, -1, 30}, true), Panel(true, {10}, false), Panel(true, {16, 16}, true),
               Panel(false, {50}, true)};
  in.PanelAreaHeight = 100;
  in.Width = 200;
  in.ScrollBarShown = true;
  in.ScrollBarWidth = 16;
  in.ScrollPosition = 30;
  const auto at = InspControlPlaces(in, true);
  ASSERT_EQ(at.size(), 4u);
  // Caption 0 at -30..-10, its rows 54 high (the invisible row takes nothing).
  EXPECT_TRUE(at[0].Shown);
  EXPECT_EQ(at[0].Bounds, TRect(0, -10, 184, 44));
  EXPECT_FALSE(at[1].Shown);  // closed
  // Caption 1 at 44..64, caption 2 at 64..84, then 32 of rows; left of the scroll bar.
  EXPECT_TRUE(at[2].Shown);
  EXPECT_EQ(at[2].Bounds, TRect(0, 84, 184, 116));
  EXPECT_FALSE(at[3].Shown);  // invisible, though open
}

class InspPlace : public TGuiTest {
 protected:
  void SetUp() override {
    bar = std::make_unique<TInspectorBar>(nullptr);
    bar->SetBounds(0, 0, 180, 300);
    for (int i = 0; i < 3; ++i) {
      TInspectorPanel* p = bar->Panels()->Add();
      p->SetStyle(psProperties);
      p->SetItemHeight(20);
      for (int r = 0; r < 3; ++r) p->Items()->Add()->SetCaption("row");
      hosted[i] = new TPanel(bar.get());
      hosted[i]->SetParent(bar.get());
      p->SetControl(hosted[i]);
    }
  }
  void TearDown() override {
    bar.reset();
    SetVisualStylesLoader(nullptr);
    SetWindowsVersion(5, 1);
    TGuiTest::TearDown();
  }
  TRect BoundsOf(TPanel* c) const { return TRect(c->Left(), c->Top(), c->Left() + c->Width(), c->Top() + c->Height()); }
  std::unique_ptr<TInspectorBar> bar;
  TPanel* hosted[3] = {};
};

TEST_F(InspPlace, HostedControlsFollowTopPanelModeAndScrolling) {
  bar->SetTopPanel(1);
  EXPECT_TRUE(hosted[1]->Visible());
  EXPECT_EQ(BoundsOf(hosted[1]), TRect(0, 40, 180, 280));  // 300 less three captions
  for (int i : {0, 2}) {
    EXPECT_FALSE(hosted[i]->Visible()) << i;
    EXPECT_EQ(hosted[i]->Width(), 0) << i;
    EXPECT_EQ(hosted[i]->Height(), 0) << i;
  }
  // Hiding the active panel hands the space to the next visible one.
  bar->Panels()->Items(1)->SetVisible(false);
  EXPECT_FALSE(hosted[1]->Visible());
  EXPECT_TRUE(hosted[2]->Visible());
  EXPECT_EQ(BoundsOf(hosted[2]), TRect(0, 40, 180, 300));
  bar->Panels()->Items(1)->SetVisible(true);

  // Multi-panel mode: panel 0 and the active panel open, each control over its rows.
  bar->SetMode(imMultiPanelActive);
  EXPECT_FALSE(hosted[0]->Visible());  // panel 0 stays closed as it was
  bar->Panels()->Items(0)->SetIsOpen(true);
  bar->UpdateLayout();
  EXPECT_TRUE(hosted[0]->Visible());
  EXPECT_EQ(BoundsOf(hosted[0]), TRect(0, 20, 180, 80));
  EXPECT_TRUE(hosted[1]->Visible());
  EXPECT_EQ(BoundsOf(hosted[1]), TRect(0, 100, 180, 160));
  EXPECT_FALSE(hosted[2]->Visible());
  EXPECT_EQ(hosted[2]->Height(), 0);

  // Overflow brings the scroll bar: controls narrow to the client area and move with it.
  bar->SetHeight(120);
  ASSERT_TRUE(bar->ScrollBarShown());
  EXPECT_EQ(hosted[0]->Width(), 180 - bar->ScrollBarControl()->Width());
  bar->ScrollBarControl()->SetPosition(30);
  EXPECT_EQ(hosted[0]->Top(), 20 - 30);
  EXPECT_EQ(hosted[1]->Top(), 100 - 30);
}

TEST_F(InspPlace, AssigningAControlPlacesItAtOnce) {
  auto* late = new TPanel(bar.get());
  late->SetParent(bar.get());
  late->SetBounds(5, 5, 50, 50);
  bar->Panels()->Items(0)->SetControl(late);
  EXPECT_TRUE(late->Visible());
  EXPECT_EQ(BoundsOf(late), TRect(0, 20, 180, 260));
}

TEST_F(InspPlace, AligningPutsTheControlsBackOnlyWhileTheBarIsDesigned) {
  for (bool designing : {false, true}) {
    SCOPED_TRACE(designing ? "designed" : "running");
    bar->SetDesigning(designing);
    hosted[0]->SetBounds(5, 5, 50, 50);
    bar->Realign();
    EXPECT_EQ(BoundsOf(hosted[0]), designing ? TRect(0, 20, 180, 260) : TRect(5, 5, 55, 55));
  }
}

void Scheme(const std::u16string& Name, bool Active = true) { ReportColourScheme(Name, Active); }

TEST_F(InspPlace, ThemeAdaptPicksTheStyleOfTheColourScheme) {
  struct Case {
    std::u16string Name;
    bool Active;
    TInspectorBarStyle Style;
  };
  // Each case starts from another style, so the setter's change check cannot hide a miss.
  const Case cases[] = {{u"NormalColor", true, esOffice2003Blue}, {u"HomeStead", true, esOffice2003Olive},
                        {u"Metallic", true, esOffice2003Silver},  {u"Royale", true, esOffice2003Classic},
                        {u"NormalColor", false, esOffice2003Classic}};
  for (const Case& c : cases) {
    bar->SetStyle(esWhidbey);
    Scheme(c.Name, c.Active);
    bar->ThemeAdapt();
    EXPECT_EQ(bar->Style(), c.Style);
  }
  bar->SetStyle(esWhidbey);
  NoStylesLibrary();
  bar->ThemeAdapt();
  EXPECT_EQ(bar->Style(), esOffice2003Classic);
  EXPECT_EQ(bar->PanelCaption()->Color(), TColor(0xE7E7EF));
}

TEST_F(InspPlace, AutoThemeAdaptActsOnThemeAndSystemFontChangesOnly) {
  Scheme(u"HomeStead");
  bar->Perform(WM_THEMECHANGED);
  EXPECT_EQ(bar->Style(), esCustom);  // off by default
  bar->SetAutoThemeAdapt(true);
  bar->Perform(WM_SETTINGCHANGE);
  EXPECT_EQ(bar->Style(), esCustom);
  bar->Perform(WM_THEMECHANGED);
  EXPECT_EQ(bar->Style(), esOffice2003Olive);
  Scheme(u"Metallic");
  bar->Perform(CM_SYSFONTCHANGED);
  EXPECT_EQ(bar->Style(), esOffice2003Silver);
}

}  // namespace
