// How the text routines and the picture cache scale with their input: each
// case grows the input tenfold, and Google Benchmark fits the growth
// (BigO). Nothing is compared against a baseline: the figure that matters is
// the fitted order, which must be linear (N) for texts of any length and
// constant for a cache of any size.
#include <benchmark/benchmark.h>

#include <string>

#include "controls/markup/MarkupText.h"
#include "controls/markup/PictureContainer.h"

namespace {

// About N bytes of marked-up text with an occurrence of "a" every few
// characters, half of them inside bold tags.
std::string Text(size_t n) {
  std::string s;
  s.reserve(n + 16);
  for (int i = 0; s.size() < n; ++i) s += i % 2 ? "x<b>a</b> " : "ya ";
  return s;
}

void BM_HiLight(benchmark::State& state) {
  const std::string text = Text(size_t(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(HiLight(text, "A", "HI", false));
  state.SetComplexityN(state.range(0));
  state.SetBytesProcessed(int64_t(state.iterations()) * state.range(0));
}

void BM_UnHiLight(benchmark::State& state) {
  const std::string text = HiLight(Text(size_t(state.range(0))), "A", "HI", false);
  for (auto _ : state) benchmark::DoNotOptimize(UnHiLight(text, "hi"));
  state.SetComplexityN(state.range(0));
  state.SetBytesProcessed(int64_t(state.iterations()) * state.range(0));
}

// One hit and one miss per turn in a cache of N pictures.
void BM_PictureCacheFind(benchmark::State& state) {
  THTMLPictureCache cache;
  const int n = int(state.range(0));
  for (int i = 0; i < n; ++i) {
    THTMLPicture* p = cache.AddPicture();
    p->SetAsynch(false);
    p->LoadFromURL("http://host/picture" + std::to_string(i) + ".png");
  }
  const std::string present = "http://host/picture" + std::to_string(n / 2) + ".png";
  const std::string absent = "http://host/none.png";
  for (auto _ : state) {
    benchmark::DoNotOptimize(cache.FindPicture(present));
    benchmark::DoNotOptimize(cache.FindPicture(absent));
  }
  state.SetComplexityN(n);
}

}  // namespace

BENCHMARK(BM_HiLight)->RangeMultiplier(10)->Range(1000, 1000000)->Complexity();
BENCHMARK(BM_UnHiLight)->RangeMultiplier(10)->Range(1000, 1000000)->Complexity();
BENCHMARK(BM_PictureCacheFind)->RangeMultiplier(10)->Range(10, 100000)->Complexity();

BENCHMARK_MAIN();
