// Filling a shown bar with 10,000 rows one by one (each row added, captioned, typed and given
// its value), then the repaint that shows them, against the baseline: the same rows with the
// same setters in the same shown bar, filled inside the row list's BeginUpdate / EndUpdate,
// which holds every notice back and repaints once at the end. Both sides do the same work on
// new data each round (a new form and bar per side); the ratio stays near 1 at 1,000 and at
// 10,000 rows, so filling row by row costs no more per row in a large bar than in a small one.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <memory>
#include <string>

#include "bench/Interleaved.h"
#include "controls/inspector/InspectorBar.h"
#include "platform/gui/Forms.h"

namespace {

struct TFilled {
  std::unique_ptr<TForm> Form;
  TInspectorBar* Bar = nullptr;
};

TFilled ShownBar(TInspectorBarMode Mode) {
  TFilled f;
  f.Form = std::make_unique<TForm>(nullptr);
  f.Form->SetBounds(0, 0, 260, 600);
  f.Bar = new TInspectorBar(f.Form.get());
  f.Bar->SetParent(f.Form.get());
  f.Bar->SetWidth(200);
  f.Bar->SetMode(Mode);
  TInspectorPanel* p = f.Bar->Panels()->Add();
  p->SetCaption("Rows");
  p->SetStyle(psProperties);
  p->SetVariableItemHeight(true);
  p->SetCaptionWidth(70);
  p->SetEditBox(true);
  if (Mode == imMultiPanelActive) p->SetIsOpen(true);
  f.Form->Show();
  QApplication::processEvents();
  return f;
}

void Fill(TInspectorBar* Bar, int Rows, bool Batched) {
  static const TPropertyType kTypes[] = {ptInteger, ptValues, ptValuesList, ptIntSpin};
  TInspectorItems* items = Bar->Panels()->GetItem(0)->Items();
  if (Batched) items->BeginUpdate();
  for (int i = 0; i < Rows; ++i) {
    TInspectorItem* it = items->Add();
    it->SetCaption("Row " + std::to_string(i));
    it->SetPropertyType(kTypes[i % 4]);
    it->SetTextValue(std::to_string(i * 32));
    it->SetHeight(24);
  }
  if (Batched) items->EndUpdate();
  QApplication::processEvents();  // the repaint that shows them
}

void BM_FillRowByRowAgainstBatched(benchmark::State& state) {
  const int rows = static_cast<int>(state.range(0));
  const auto mode = static_cast<TInspectorBarMode>(state.range(1));
  TFilled prog, base;
  bench::Interleave(state, 7, {[&] { prog = ShownBar(mode); }, [&] { Fill(prog.Bar, rows, false); }, {}},
                    {[&] { base = ShownBar(mode); }, [&] { Fill(base.Bar, rows, true); }, {}});
  if (prog.Bar->Panels()->GetItem(0)->Items()->Count() != rows) state.SkipWithError("rows missing");
  state.SetLabel(mode == imSinglePanelActive ? "single panel" : "multi panel");
}
BENCHMARK(BM_FillRowByRowAgainstBatched)
    ->ArgNames({"rows", "multi"})
    ->Args({1000, 0})
    ->Args({10000, 0})
    ->Args({1000, 1})
    ->Args({10000, 1})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

}  // namespace
