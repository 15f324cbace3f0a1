#include <gtest/gtest.h>

#include "controls/inspector/InspLayout.h"

namespace {

TInspLayoutPanel Panel(bool visible, std::vector<int> rows = {}, int topItem = 0, bool open = false) {
  TInspLayoutPanel p;
  p.Visible = visible;
  p.Rows = std::move(rows);
  p.TopItem = topItem;
  p.Open = open;
  return p;
}

TEST(InspLayout, VisibleCountsAndActivePanel) {
  std::vector<TInspLayoutPanel> p = {Panel(true), Panel(false), Panel(true), Panel(false)};
  EXPECT_EQ(InspVisiblePosition(p, 0), 0);
  EXPECT_EQ(InspVisiblePosition(p, 2), 1);
  EXPECT_EQ(InspVisiblePosition(p, 4), 1);  // the count itself counts as the last panel
  EXPECT_EQ(InspVisiblePosition(p, 5), -1);
  EXPECT_EQ(InspVisibleAfter(p, 0), 1);
  EXPECT_EQ(InspVisibleAfter(p, 3), -1);
  EXPECT_EQ(InspVisibleAfter(p, 9), 0);
  EXPECT_EQ(InspActivePanel(p, 1), 2);  // next visible after an invisible top panel
  EXPECT_EQ(InspActivePanel(p, 3), 2);  // else the nearest before it
  EXPECT_EQ(InspActivePanel(p, 4), -1);
  EXPECT_EQ(InspActivePanel({Panel(false)}, 0), -1);
}

TEST(InspLayout, SinglePanelStacksCaptionsAroundTheActiveBody) {
  TInspLayoutInput in;
  in.Panels = {Panel(true), Panel(true, {24, 24}), Panel(true)};
  in.PanelAreaHeight = 400;
  in.TopPanel = 1;
  TInspLayout L = InspSingleLayout(in);
  EXPECT_EQ(L.Captions[0], TRect(0, 0, 180, 20));
  EXPECT_EQ(L.Captions[1], TRect(0, 20, 180, 40));
  EXPECT_EQ(L.Captions[2], TRect(0, 380, 180, 400));
  EXPECT_EQ(L.Body, TRect(0, 40, 180, 380));
  EXPECT_EQ(L.Rows[1][0], TRect(0, 40, 180, 64));
  EXPECT_EQ(L.Rows[1][1], TRect(0, 64, 180, 88));
  EXPECT_FALSE(L.UpArrow);
  EXPECT_FALSE(L.DownArrow);
}

TEST(InspLayout, SinglePanelArrowsFollowTheRowsThatFit) {
  TInspLayoutInput in;
  in.Panels = {Panel(true, {24, 24, -1, 24, 24})};
  in.PanelAreaHeight = 20 + 60;  // body 60: two rows fit wholly, the third partly
  TInspLayout L = InspSingleLayout(in);
  EXPECT_FALSE(L.UpArrow);
  EXPECT_TRUE(L.DownArrow);
  EXPECT_EQ(L.DownArrowRect, TRect(162, 62, 180, 80));
  EXPECT_EQ(L.UpArrowRect, TRect(162, 20, 180, 38));
  EXPECT_EQ(L.Rows[0][1], TRect(0, 44, 180, 68));
  EXPECT_EQ(L.Rows[0][3], TRect(0, 68, 180, 92));  // partly shown, after the invisible row
  EXPECT_EQ(L.Rows[0][4], TRect());                 // not drawn
  in.Panels[0].TopItem = 2;
  L = InspSingleLayout(in);
  EXPECT_TRUE(L.UpArrow);
  EXPECT_FALSE(L.DownArrow);
  EXPECT_EQ(L.Rows[0][3], TRect(0, 20, 180, 44));
  // All rows fit exactly below the body height: no arrow.
  in.Panels[0] = Panel(true, {24, 24});
  in.PanelAreaHeight = 20 + 49;
  EXPECT_FALSE(InspSingleLayout(in).DownArrow);
  in.PanelAreaHeight = 20 + 48;  // a sum that reaches the body height is not fully shown
  EXPECT_TRUE(InspSingleLayout(in).DownArrow);
}

TEST(InspLayout, SideStripNarrowsTheRows) {
  TInspLayoutInput in;
  in.Panels = {Panel(true, {36})};
  in.PanelAreaHeight = 200;
  in.SideWidth = 12;
  TInspLayout L = InspSingleLayout(in);
  EXPECT_EQ(L.Body, TRect(12, 20, 180, 200));
  EXPECT_EQ(L.Rows[0][0], TRect(12, 20, 180, 56));
}

TEST(InspLayout, MultiPanelFlowsOpenPanelsWithScrolling) {
  TInspLayoutInput in;
  in.Panels = {Panel(true, {24, 24}, 0, true), Panel(false, {24}, 0, true), Panel(true, {30, -1, 30}, 0, true),
               Panel(true, {24}, 0, false)};
  in.PanelAreaHeight = 100;
  TInspLayout L = InspMultiLayout(in);
  EXPECT_EQ(L.Captions[0], TRect(0, 0, 180, 20));
  EXPECT_EQ(L.Rows[0][1], TRect(0, 44, 180, 68));
  EXPECT_EQ(L.Captions[1], TRect());
  EXPECT_EQ(L.Captions[2], TRect(0, 68, 180, 88));
  EXPECT_EQ(L.Rows[2][2], TRect(0, 118, 180, 148));
  EXPECT_EQ(L.Captions[3], TRect(0, 148, 180, 168));
  EXPECT_TRUE(L.Rows[3].empty());
  EXPECT_EQ(L.TotalHeight, 168);
  in.ScrollBarShown = true;
  in.ScrollBarWidth = 16;
  in.ScrollPosition = 50;
  L = InspMultiLayout(in);
  EXPECT_EQ(L.Captions[0], TRect(0, -50, 164, -30));
  EXPECT_EQ(L.Captions[3], TRect(0, 98, 164, 118));
  EXPECT_EQ(L.TotalHeight, 168);
}

}  // namespace
