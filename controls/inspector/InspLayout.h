#pragma once
// Layout arithmetic of the inspector bar as pure functions of the panel
// data, so the rectangles can be checked without painting.

#include <vector>

#include "platform/rtl/Types.h"

struct TInspLayoutPanel {
  bool Visible = true;
  bool Open = false;
  int TopItem = 0;
  // One entry per row: its height, or -1 for an invisible row.
  std::vector<int> Rows;
};

struct TInspLayoutInput {
  std::vector<TInspLayoutPanel> Panels;
  int CaptionHeight = 20;
  int PanelAreaHeight = 0;
  int Width = 180;
  int SideWidth = 0;
  int TopPanel = 0;
  // Multi-panel mode only.
  int ScrollPosition = 0;
  int ScrollBarWidth = 0;
  bool ScrollBarShown = false;
};

struct TInspLayout {
  std::vector<TRect> Captions;            // empty for invisible panels
  std::vector<std::vector<TRect>> Rows;   // empty for rows not laid out
  std::vector<std::vector<int>> Laid;     // per panel: the rows laid out, top to bottom
  TRect Body;                             // single-panel mode: the active panel's body
  bool UpArrow = false, DownArrow = false;
  TRect UpArrowRect, DownArrowRect;
  int Active = -1;
  int TotalHeight = 0;                    // multi-panel mode: captions plus open rows
};

int InspVisiblePosition(const std::vector<TInspLayoutPanel>& Panels, int Index);
int InspVisibleAfter(const std::vector<TInspLayoutPanel>& Panels, int Index);
int InspActivePanel(const std::vector<TInspLayoutPanel>& Panels, int TopPanel);
// Rows from TopItem that fit wholly into BodyHeight (invisible rows not counted).
int InspFullyShownRows(const TInspLayoutPanel& Panel, int BodyHeight);
TInspLayout InspSingleLayout(const TInspLayoutInput& In);
TInspLayout InspMultiLayout(const TInspLayoutInput& In);

// Where a panel's hosted control goes; a control not Shown takes no space.
struct TInspControlPlace {
  TRect Bounds;
  bool Shown = false;
};
// One entry per panel. Multi-panel mode: an open visible panel's control covers its rows
// under its caption; single-panel mode: the active panel's control fills the space between
// the caption stacks. Every other control is hidden at width and height 0.
std::vector<TInspControlPlace> InspControlPlaces(const TInspLayoutInput& In, bool Multi);
