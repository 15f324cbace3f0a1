// A full caption shade at 800 x 24, the way the bar renders it on a width or look change:
// into the bar's own bitmap (kept at its size), with a generator seeded anew each time.
#include <benchmark/benchmark.h>

#include "controls/inspector/InspShade.h"

namespace {

void BM_ShadeCaption800x24(benchmark::State& state) {
  TShadeLook look;
  look.Color = RGB(96, 96, 112);
  look.ShadeType = static_cast<TShadeType>(state.range(0));
  TBitmap bitmap;
  for (auto _ : state) {
    TShadeRandom rand(TShadeRandom::ClockSeed());
    ShadeCaption(bitmap, 800, 24, look, rand);
    benchmark::DoNotOptimize(bitmap.ScanLine(0));
  }
}
BENCHMARK(BM_ShadeCaption800x24)->DenseRange(stNormal, stVShadeInv)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
