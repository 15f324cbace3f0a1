#pragma once
// The device setup panel of the EEPROM windows, for the painting tests.

#include "controls/inspector/InspectorBar.h"

inline TInspectorPanel* AddSetupPanel(TInspectorBar* bar) {
  TInspectorPanel* p = bar->Panels()->Add();
  p->SetCaption("Device Setup");
  p->SetStyle(psProperties);
  p->SetBackground(pbTexture);
  p->SetGridLines(true);
  p->SetVariableItemHeight(true);
  p->SetItemHeight(36);
  p->SetCaptionWidth(70);
  p->SetEditBox(true);
  p->SetWordWrap(true);
  p->SetMultiPanelState(mpsOpen);
  struct {
    const char* Caption;
    TPropertyType Type;
    const char* Value;
    bool ReadOnly;
  } rows[] = {{"Device Size", ptInteger, "8192", true},
              {"Address", ptValues, "0x50", false},
              {"Page Size", ptValuesList, "32", false},
              {"Write Time", ptIntSpin, "10", false}};
  for (const auto& r : rows) {
    TInspectorItem* it = p->Items()->Add();
    it->SetCaption(r.Caption);
    it->SetPropertyType(r.Type);
    it->SetTextValue(r.Value);
    it->SetReadOnly(r.ReadOnly);
    it->SetHeight(24);
  }
  bar->PanelCaption()->SetShadeType(stRMetal);
  bar->PanelCaption()->SetAlignment(taCenter);
  return p;
}
