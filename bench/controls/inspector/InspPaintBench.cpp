// A whole repaint of the bar into a bitmap of its size: the EEPROM device setup bar
// (texture, metal caption, four rows), bars of 200 rows in both modes, and 24 rows shown of
// 200 and of 40,000 rows.
//
// The two sides of the row-count pair do the same work: the same 24 rows of the same kinds in a
// bar of the same size, only the rows not shown differ in number; repeated data.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdlib>
#include <memory>
#include <string>

#include "bench/Interleaved.h"
#include "controls/inspector/InspectorBar.h"
#include "platform/gui/StdCtrls.h"

namespace {

std::unique_ptr<TInspectorBar> MakeBar(int Rows, int Height, TInspectorBarMode Mode, TBitmap& Texture) {
  auto bar = std::make_unique<TInspectorBar>(nullptr);
  bar->SetBounds(0, 0, 200, Height);
  bar->PanelCaption()->SetShadeType(stRMetal);
  bar->PanelCaption()->SetAlignment(taCenter);
  TInspectorPanel* p = bar->Panels()->Add();
  p->SetCaption("Device Setup");
  p->SetStyle(psProperties);
  p->SetBackground(pbTexture);
  p->SetTexture(&Texture);
  p->SetGridLines(true);
  p->SetVariableItemHeight(true);
  p->SetCaptionWidth(70);
  p->SetEditBox(true);
  p->SetWordWrap(true);
  static const TPropertyType kTypes[] = {ptInteger, ptValues, ptValuesList, ptIntSpin};
  for (int i = 0; i < Rows; ++i) {
    TInspectorItem* it = p->Items()->Add();
    it->SetCaption("Row " + std::to_string(i));
    it->SetPropertyType(kTypes[i % 4]);
    it->SetTextValue(std::to_string(i * 32));
    it->SetReadOnly(i % 4 == 0);
    it->SetHeight(24);
  }
  bar->SetMode(Mode);
  if (Mode == imMultiPanelActive) p->SetIsOpen(true);
  bar->UpdateLayout();
  return bar;
}

void Run(benchmark::State& state, int Rows, int Height, TInspectorBarMode Mode) {
  TBitmap texture(16, 16);
  texture.Canvas()->Brush()->SetColor(RGB(236, 230, 214));
  texture.Canvas()->FillRect(TRect(0, 0, 16, 16));
  auto bar = MakeBar(Rows, Height, Mode, texture);
  TBitmap target(200, Height);
  bar->PaintOn(target.Canvas());  // arrows settle
  for (auto _ : state) {
    bar->PaintOn(target.Canvas());
    benchmark::DoNotOptimize(target.ScanLine(0));
  }
}

// 24 rows shown from the middle of 200 or of 40,000 rows: the paint costs the same for both,
// as only the rows shown are drawn and the layout is built once, not per paint.
void RunMiddle(benchmark::State& state, int Rows, TInspectorBarMode Mode) {
  TBitmap texture(16, 16);
  texture.Canvas()->Brush()->SetColor(RGB(236, 230, 214));
  texture.Canvas()->FillRect(TRect(0, 0, 16, 16));
  const int height = 20 + 24 * 24;
  auto bar = MakeBar(Rows, height, Mode, texture);
  TInspectorPanel* p = bar->Panels()->GetItem(0);
  if (Mode == imSinglePanelActive) {
    p->SetTopItem(Rows / 2);
  } else {
    bar->ScrollBarControl()->SetPosition(Rows / 2 * 24);
    if (bar->ScrollPosition() != Rows / 2 * 24) state.SkipWithError("the bar did not scroll");
  }
  TBitmap target(200, height);
  bar->PaintOn(target.Canvas());
  const int builds = bar->LayoutBuilds();
  for (auto _ : state) {
    bar->PaintOn(target.Canvas());
    benchmark::DoNotOptimize(target.ScanLine(0));
  }
  if (bar->LayoutBuilds() != builds) state.SkipWithError("a paint laid the bar out again");
}

void BM_Paint24Of200RowsSingle(benchmark::State& s) { RunMiddle(s, 200, imSinglePanelActive); }
void BM_Paint24Of40000RowsSingle(benchmark::State& s) { RunMiddle(s, 40000, imSinglePanelActive); }
void BM_Paint24Of200RowsMulti(benchmark::State& s) { RunMiddle(s, 200, imMultiPanelActive); }
void BM_Paint24Of40000RowsMulti(benchmark::State& s) { RunMiddle(s, 40000, imMultiPanelActive); }
BENCHMARK(BM_Paint24Of200RowsSingle)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();
BENCHMARK(BM_Paint24Of40000RowsSingle)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();
BENCHMARK(BM_Paint24Of200RowsMulti)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();
BENCHMARK(BM_Paint24Of40000RowsMulti)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();

// The same 24 rows painted from 40,000 rows and from 200, in turns (bench/Interleaved.h):
// the ratio stays within 1.2. Each round paints 50 times.
void BM_Paint24RowsOf40000Against200(benchmark::State& state) {
  const auto mode = static_cast<TInspectorBarMode>(state.range(0));
  TBitmap texture(16, 16);
  const int height = 20 + 24 * 24;
  auto big = MakeBar(40000, height, mode, texture), small = MakeBar(200, height, mode, texture);
  for (auto* b : {big.get(), small.get()}) {
    const int rows = b == big.get() ? 40000 : 200;
    if (mode == imSinglePanelActive) b->Panels()->GetItem(0)->SetTopItem(rows / 2);
    else b->ScrollBarControl()->SetPosition(rows / 2 * 24);
  }
  TBitmap target(200, height);
  auto paint = [&](TInspectorBar* B) {
    return [&target, B] {
      for (int i = 0; i < 50; ++i) B->PaintOn(target.Canvas());
    };
  };
  bench::Interleave(state, 9, {{}, paint(big.get()), {}}, {{}, paint(small.get()), {}});
  state.SetLabel(mode == imSinglePanelActive ? "single panel" : "multi panel");
}
BENCHMARK(BM_Paint24RowsOf40000Against200)->ArgName("multi")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_PaintSetupBar(benchmark::State& s) { Run(s, 4, 300, imSinglePanelActive); }
void BM_Paint200RowsSinglePanel(benchmark::State& s) { Run(s, 200, 600, imSinglePanelActive); }
void BM_Paint200RowsMultiPanel(benchmark::State& s) { Run(s, 200, 600, imMultiPanelActive); }
void BM_Paint200RowsMultiPanelTall(benchmark::State& s) { Run(s, 200, 1200, imMultiPanelActive); }
BENCHMARK(BM_PaintSetupBar)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Paint200RowsSinglePanel)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Paint200RowsMultiPanel)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Paint200RowsMultiPanelTall)->Unit(benchmark::kMicrosecond);

}  // namespace

