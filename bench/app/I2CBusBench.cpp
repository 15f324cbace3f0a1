// The SCL frequency the bus engine reaches on the simulated adapter with the
// real clock, each port access costing what a real port access costs.
// Counters: set_kHz, the clock asked for; median_ratio and mean_ratio, the
// measured SCL frequency during I2CWrite over the set one.
// The "RegisterLoop" runs use the real clock with a delay loop that counts in a
// register instead of memory, for comparison: its time is linear in the count.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "app/I2CBus.h"
#include "app/PortIO.h"
#include "platform/port/SimAdapter.h"
#include "platform/rtl/Clock.h"

namespace {

// The real clock, with a delay loop whose turn costs the same at any count.
class TRegisterLoopClock : public TClock {
 public:
  TCpuIdLeaf1 CpuId() override { return r_.CpuId(); }
  uint64_t ReadTimeStampCounter() override { return r_.ReadTimeStampCounter(); }
  uint32_t GetTickCount() override { return r_.GetTickCount(); }
  bool QueryPerformanceCounter(int64_t& c) override { return r_.QueryPerformanceCounter(c); }
  bool QueryPerformanceFrequency(int64_t& f) override { return r_.QueryPerformanceFrequency(f); }
  void DelayLoop(uint32_t count) override {
    while (count > 0) {
      asm volatile("" : "+r"(count));
      --count;
    }
  }
  uint64_t NowNanoseconds() override { return r_.NowNanoseconds(); }

 private:
  TClock& r_ = RealClock();
};

struct TRig {
  TRegisterLoopClock registerLoop;
  std::unique_ptr<TClockScope> clockScope;
  TSimulatedAdapter sim;
  TPortBackendScope scope{sim};
  TPortIO port{nullptr};
  std::unique_ptr<TI2CBus> bus;

  TRig(bool slow, bool linearLoop) {
    if (linearLoop) clockScope = std::make_unique<TClockScope>(registerLoop);
    sim.SlowAccessNs = 1000;   // a port access through the driver
    sim.NormalAccessNs = 400;  // a direct access
    port.OpenDriver("PortIODevice1");
    bus = std::make_unique<TI2CBus>(port, 0);  // the counter rate is measured
    bus->LPTAddresses = sim.PortBases;
    bus->SelectPort(1);
    if (!slow) bus->RestoreAccessMode(false);  // switches and recalibrates
  }
};

// SCL periods (ns) between the rising edges within each written byte.
std::vector<double> BytePeriods(const TSimulatedAdapter& sim) {
  std::vector<double> periods;
  std::vector<uint64_t> rises;
  bool scl = true;
  auto flush = [&] {
    for (size_t i = 1; i < rises.size(); ++i) periods.push_back(double(rises[i] - rises[i - 1]));
    rises.clear();
  };
  for (const TSimEvent& e : sim.Log()) {
    if (e.Kind == seStart || e.Kind == seStop) flush();
    if (e.Kind != seLines) continue;
    if (e.Scl && !scl) rises.push_back(e.TimeNs);
    scl = e.Scl;
    if (rises.size() == 9) flush();  // a byte and its acknowledge clock
  }
  return periods;
}

void SclFrequency(benchmark::State& state, bool slow, bool linearLoop = false) {
  TRig rig(slow, linearLoop);
  TI2CBus& bus = *rig.bus;
  const int wanted = state.range(0) ? int(state.range(0)) : bus.MaxClock;
  bus.SetFrequency(wanted);
  std::vector<double> periods;
  for (auto _ : state) {
    rig.sim.ClearLog();
    bus.I2CStart();
    for (int i = 0; i < 8; ++i) bus.I2CWrite(uint8_t(0xB0 + i));  // nobody answers: no stretching
    bus.I2CStop();
    state.PauseTiming();
    auto p = BytePeriods(rig.sim);
    periods.insert(periods.end(), p.begin(), p.end());
    state.ResumeTiming();
  }
  if (periods.empty()) return;
  std::sort(periods.begin(), periods.end());
  double sum = 0;
  for (double p : periods) sum += p;
  const double median = periods[periods.size() / 2], mean = sum / double(periods.size());
  state.counters["delay_count"] = bus.DelayCount;
  state.counters["set_kHz"] = bus.Clock;
  state.counters["max_kHz"] = bus.MaxClock;
  state.counters["median_ratio"] = 1e6 / median / bus.Clock;
  state.counters["mean_ratio"] = 1e6 / mean / bus.Clock;
}

void BM_SclFrequencySlow(benchmark::State& state) { SclFrequency(state, true); }
void BM_SclFrequencyNormal(benchmark::State& state) { SclFrequency(state, false); }
void BM_SclFrequencySlowRegisterLoop(benchmark::State& state) { SclFrequency(state, true, true); }
void BM_SclFrequencyNormalRegisterLoop(benchmark::State& state) { SclFrequency(state, false, true); }
// 0 stands for MaxClock.
BENCHMARK(BM_SclFrequencySlow)->Arg(25)->Arg(50)->Arg(100)->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SclFrequencyNormal)->Arg(25)->Arg(50)->Arg(100)->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SclFrequencySlowRegisterLoop)->Arg(25)->Arg(50)->Arg(100)->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SclFrequencyNormalRegisterLoop)->Arg(25)->Arg(50)->Arg(100)->Arg(0)->Unit(benchmark::kMillisecond);

void BM_Calibrate(benchmark::State& state) {
  TRig rig(true, false);
  int failed = 0;
  for (auto _ : state) failed += !rig.bus->Calibrate();
  state.counters["failed"] = failed;
  state.counters["max_kHz"] = rig.bus->MaxClock;
}
BENCHMARK(BM_Calibrate)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
