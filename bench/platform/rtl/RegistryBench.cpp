// Reading the settings store's file: sibling keys under one key and values under one key, in the
// order a file gives them and reversed, up to a file near the store's 16 MB cap.
#include <benchmark/benchmark.h>

#include <string>

#include "platform/rtl/Registry.h"

namespace {

// n keys under one key (Values false) or n values under one key, ascending or descending.
std::string StoreText(int n, bool values, bool reversed) {
  std::string t = "VELMARON REGISTRY 1\n";
  if (values) t += "[HKEY_CURRENT_USER\\Software\\Many]\n";
  for (int k = 0; k < n; ++k) {
    const int i = reversed ? n - 1 - k : k;
    const std::string name = "Item" + std::to_string(1000000 + i);
    if (values) t += "\"" + name + "\"=dword:00000001\n";
    else t += "[HKEY_CURRENT_USER\\Software\\Many\\" + name + "]\n\"v\"=dword:00000001\n";
  }
  return t;
}

void BM_ParseSiblingKeys(benchmark::State& state) {
  const std::string text = StoreText(static_cast<int>(state.range(0)), false, state.range(1) != 0);
  for (auto _ : state) {
    TRegistryStore store;
    std::string error;
    benchmark::DoNotOptimize(store.Parse(text, error));
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_ParseSiblingKeys)->Args({100000, 0})->Args({100000, 1})->Args({250000, 1})->Unit(benchmark::kMillisecond);

void BM_ParseValuesOfOneKey(benchmark::State& state) {
  const std::string text = StoreText(static_cast<int>(state.range(0)), true, state.range(1) != 0);
  for (auto _ : state) {
    TRegistryStore store;
    std::string error;
    benchmark::DoNotOptimize(store.Parse(text, error));
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_ParseValuesOfOneKey)->Args({100000, 0})->Args({100000, 1})->Args({500000, 1})->Unit(benchmark::kMillisecond);

}  // namespace
BENCHMARK_MAIN();
