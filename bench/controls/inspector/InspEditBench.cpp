// Moving the inplace editor over the device setup rows as Down and Up do: each move
// commits the row, hides its editor, and places, fills and focuses the next one.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <memory>

#include "controls/inspector/InspectorBar.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Windows.h"

namespace {

void BM_EditorMovesOverTheSetupRows(benchmark::State& state) {
  auto form = std::make_unique<TForm>(nullptr);
  form->SetBounds(0, 0, 260, 220);
  auto* bar = new TInspectorBar(form.get());
  bar->SetParent(form.get());
  bar->SetWidth(200);
  bar->SetAutoAdvance(true);
  TInspectorPanel* p = bar->Panels()->Add();
  p->SetStyle(psProperties);
  p->SetVariableItemHeight(true);
  p->SetCaptionWidth(70);
  p->SetEditBox(true);
  const TPropertyType types[] = {ptInteger, ptValues, ptValuesList, ptIntSpin};
  const char* values[] = {"8192", "A0", "32", "10"};
  for (int i = 0; i < 4; ++i) {
    TInspectorItem* it = p->Items()->Add();
    it->SetPropertyType(types[i]);
    it->SetTextValue(values[i]);
    it->SetReadOnly(i == 0);
    it->SetHeight(24);
    it->Values()->SetText(i == 1 ? "A0\nA2\nA4\nA6" : "8\n16\n32\n64");
  }
  form->Show();
  QApplication::processEvents();
  bar->StartEdit(p->Items()->Items(1));
  for (auto _ : state) {
    // Address -> Page Size -> Write Time -> Page Size -> Address.
    for (WORD k : {VK_DOWN, VK_DOWN, VK_UP, VK_UP}) bar->Navigate(bar->EditItem(), k);
    QApplication::processEvents();
  }
  state.SetItemsProcessed(state.iterations() * 4);
}

}  // namespace

BENCHMARK(BM_EditorMovesOverTheSetupRows)->Unit(benchmark::kMicrosecond);
