// Port accesses per second through TPortIO on the simulated adapter with no
// access cost, and a 4 KB sequential EEPROM read driven by raw register writes.
#include <benchmark/benchmark.h>

#include "app/bus/PortIO.h"
#include "platform/port/SimAdapter.h"
#include "platform/port/SimMaster.h"
#include "platform/rtl/Clock.h"

namespace {

void FreeAdapter(TSimulatedAdapter& sim) {
  sim.SlowAccessNs = 0;
  sim.NormalAccessNs = 0;
  sim.LogLines = false;
}

void BM_PortIOAccess(benchmark::State& state) {
  TSimulatedAdapter sim;
  FreeAdapter(sim);
  sim.AddDefaultDevices();
  TPortBackendScope scope(sim);
  TPortIO io(nullptr);
  io.OpenDriver("PortIODevice1");
  uint8_t control = 0x0C;
  for (auto _ : state) {
    io.SetPortByte(0x37A, control);  // SCL edges: the devices see every one
    benchmark::DoNotOptimize(io.GetPortByte(0x379));
    control ^= 0x08;
  }
  state.SetItemsProcessed(state.iterations() * 2);
}
BENCHMARK(BM_PortIOAccess);

void BM_Eeprom4KSequentialRead(benchmark::State& state) {
  TFakeClock clock;  // write cycles and log times need a clock; accesses cost nothing
  TClockScope cs(clock);
  TSimulatedAdapter sim;
  FreeAdapter(sim);
  auto& ee = sim.Add<TSimEeprom>(4096u, uint8_t{0xA0});
  for (size_t i = 0; i < ee.Memory.size(); ++i) ee.Memory[i] = static_cast<uint8_t>(i * 7);
  sim.Open();
  TSimBusMaster master(sim);
  for (auto _ : state) {
    master.WriteMessage(0xA0, {0x00, 0x00}, /*stop=*/false);
    auto bytes = master.ReadMessage(0xA0, 4096);
    if (bytes.size() != 4096 || bytes[4095] != ee.Memory[4095]) state.SkipWithError("wrong read");
    benchmark::DoNotOptimize(bytes.data());
  }
  state.SetBytesProcessed(state.iterations() * 4096);
  state.counters["accesses/read"] =
      benchmark::Counter(static_cast<double>(sim.AccessCount()) / static_cast<double>(state.iterations()));
}
BENCHMARK(BM_Eeprom4KSequentialRead)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
