#include "controls/inspector/InspLayout.h"

#include <algorithm>
#include <cstddef>

using std::size_t;

namespace {
int Count(const std::vector<TInspLayoutPanel>& p) { return static_cast<int>(p.size()); }
}  // namespace

int InspVisiblePosition(const std::vector<TInspLayoutPanel>& Panels, int Index) {
  if (Index < 0 || Index > Count(Panels)) return -1;
  if (Index == Count(Panels)) Index = Count(Panels) - 1;
  int n = 0;
  for (int i = 0; i <= Index; ++i)
    if (Panels[i].Visible) ++n;
  return n - 1;
}

int InspVisibleAfter(const std::vector<TInspLayoutPanel>& Panels, int Index) {
  if (Index < 0 || Index >= Count(Panels)) return 0;
  int n = 0;
  for (int i = Index; i < Count(Panels); ++i)
    if (Panels[i].Visible) ++n;
  return n - 1;
}

int InspActivePanel(const std::vector<TInspLayoutPanel>& Panels, int TopPanel) {
  if (TopPanel < 0 || TopPanel >= Count(Panels)) return -1;
  for (int i = TopPanel; i < Count(Panels); ++i)
    if (Panels[i].Visible) return i;
  for (int i = TopPanel - 1; i >= 0; --i)
    if (Panels[i].Visible) return i;
  return -1;
}

int InspFullyShownRows(const TInspLayoutPanel& Panel, int BodyHeight) {
  int sum = 0, shown = 0;
  for (int r = Panel.TopItem; r < static_cast<int>(Panel.Rows.size()); ++r) {
    if (Panel.Rows[r] < 0) continue;
    sum += Panel.Rows[r];
    if (sum >= BodyHeight) break;
    ++shown;
  }
  return shown;
}

TInspLayout InspSingleLayout(const TInspLayoutInput& In) {
  const auto& P = In.Panels;
  const int H = In.CaptionHeight;
  TInspLayout L;
  L.Captions.resize(P.size());
  L.Rows.resize(P.size());
  L.Laid.resize(P.size());
  L.Active = InspActivePanel(P, In.TopPanel);
  if (L.Active < 0) return L;
  const int A = L.Active;
  for (int i = 0; i < Count(P); ++i) {
    if (!P[i].Visible) continue;
    const int top = i <= A ? InspVisiblePosition(P, i) * H : In.PanelAreaHeight - (InspVisibleAfter(P, i) + 1) * H;
    L.Captions[i] = TRect(0, top, In.Width, top + H);
  }
  L.Body = TRect(In.SideWidth, (InspVisiblePosition(P, A) + 1) * H, In.Width,
                 In.PanelAreaHeight - InspVisibleAfter(P, A) * H);
  const TInspLayoutPanel& panel = P[A];
  const int bodyHeight = L.Body.Bottom - L.Body.Top;
  L.UpArrow = panel.TopItem > 0;
  int invisibleAfter = 0;
  for (int r = panel.TopItem; r < static_cast<int>(panel.Rows.size()); ++r)
    if (panel.Rows[r] < 0) ++invisibleAfter;
  const int shown = InspFullyShownRows(panel, bodyHeight);
  L.DownArrow = static_cast<int>(panel.Rows.size()) - shown - invisibleAfter > panel.TopItem;
  L.UpArrowRect = TRect(In.Width - 18, L.Body.Top, In.Width, L.Body.Top + 18);
  L.DownArrowRect = TRect(In.Width - 18, L.Body.Bottom - 18, In.Width, L.Body.Bottom);
  // Rows from TopItem: the fully shown ones plus one partly shown.
  auto& rows = L.Rows[A];
  rows.resize(panel.Rows.size());
  int y = L.Body.Top, drawn = 0;
  for (int r = panel.TopItem; r < static_cast<int>(panel.Rows.size()) && drawn <= shown; ++r) {
    if (panel.Rows[r] < 0) continue;
    rows[r] = TRect(In.SideWidth, y, In.Width, y + panel.Rows[r]);
    L.Laid[A].push_back(r);
    y += panel.Rows[r];
    ++drawn;
  }
  return L;
}

TInspLayout InspMultiLayout(const TInspLayoutInput& In) {
  const auto& P = In.Panels;
  const int H = In.CaptionHeight;
  TInspLayout L;
  L.Captions.resize(P.size());
  L.Rows.resize(P.size());
  L.Laid.resize(P.size());
  const int clientRight = In.Width - (In.ScrollBarShown ? In.ScrollBarWidth : 0);
  int y = In.ScrollBarShown ? -In.ScrollPosition : 0;
  for (int i = 0; i < Count(P); ++i) {
    if (!P[i].Visible) continue;
    L.Captions[i] = TRect(0, y, clientRight, y + H);
    y += H;
    L.TotalHeight += H;
    if (!P[i].Open) continue;
    L.Rows[i].resize(P[i].Rows.size());
    for (size_t r = 0; r < P[i].Rows.size(); ++r) {
      if (P[i].Rows[r] < 0) continue;
      L.Rows[i][r] = TRect(In.SideWidth, y, clientRight, y + P[i].Rows[r]);
      L.Laid[i].push_back(static_cast<int>(r));
      y += P[i].Rows[r];
      L.TotalHeight += P[i].Rows[r];
    }
  }
  return L;
}

std::vector<TInspControlPlace> InspControlPlaces(const TInspLayoutInput& In, bool Multi) {
  const auto& P = In.Panels;
  std::vector<TInspControlPlace> out(P.size());
  if (Multi) {
    const TInspLayout L = InspMultiLayout(In);
    const int clientRight = In.Width - (In.ScrollBarShown ? In.ScrollBarWidth : 0);
    for (int i = 0; i < Count(P); ++i) {
      if (!P[i].Visible || !P[i].Open) continue;
      int rows = 0;
      for (int h : P[i].Rows)
        if (h > 0) rows += h;
      const int top = L.Captions[i].Bottom;
      out[i] = {TRect(0, top, clientRight, top + rows), true};
    }
    return out;
  }
  const int A = InspActivePanel(P, In.TopPanel);
  if (A < 0) return out;
  int visible = 0;
  for (const auto& p : P)
    if (p.Visible) ++visible;
  const int top = (InspVisiblePosition(P, A) + 1) * In.CaptionHeight;
  const int height = std::max(0, In.PanelAreaHeight - visible * In.CaptionHeight);
  out[A] = {TRect(0, top, In.Width, top + height), true};
  return out;
}
