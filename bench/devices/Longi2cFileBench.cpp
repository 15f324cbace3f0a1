// Reading and writing the definition of a full device (256 registers), as
// Open, Save (into an existing file of the same device) and Save As do, in
// memory (no disk time). No baseline: the figures say what a user waits for.
#include <benchmark/benchmark.h>

#include "devices/Longi2cFile.h"
#include "platform/rtl/SysUtils.h"

namespace {

TDeviceDefinition FullDevice() {
  TDeviceDefinition d;
  d.Address = "A0";
  d.MaxRegister = 255;
  d.Name = "Full device";
  for (int i = 0; i < DeviceRegisters; ++i) {
    d.Values[static_cast<size_t>(i)] = IntToHex(i, 2);
    d.Descriptions[static_cast<size_t>(i)] = "Register number " + IntToStr(i);
  }
  return d;
}

void BM_ParseFullDefinition(benchmark::State& state) {
  const std::string text = DefinitionText(FullDevice(), std::string_view(), dsSaveAs);
  for (auto _ : state) benchmark::DoNotOptimize(ParseDefinition(text));
}
BENCHMARK(BM_ParseFullDefinition)->Unit(benchmark::kMicrosecond);

void BM_WriteFreshDefinition(benchmark::State& state) {
  const TDeviceDefinition d = FullDevice();
  for (auto _ : state) benchmark::DoNotOptimize(DefinitionText(d, std::string_view(), dsSaveAs));
}
BENCHMARK(BM_WriteFreshDefinition)->Unit(benchmark::kMicrosecond);

void BM_WriteIntoExistingDefinition(benchmark::State& state) {
  const TDeviceDefinition d = FullDevice();
  const std::string existing = DefinitionText(d, std::string_view(), dsSaveAs);
  for (auto _ : state) benchmark::DoNotOptimize(DefinitionText(d, existing, dsSave));
}
BENCHMARK(BM_WriteIntoExistingDefinition)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
