// Read All and Write All through the large EEPROM window, on the simulated
// adapter with the real clock, at 100 KHz, as a user runs them: the main window
// started as in the program (the time base's second, the port search and its
// calibration in Slow access), the window opened from the Device menu, the
// Read or Write button's handler run to its end (bytes into both grids as
// they arrive, the status line's progress, the result's colours).
//
// The device: an EEPROM at A0 of the window's size with the real part's page
// (64 bytes for 32 KB, 128 for 64 KB) and a write cycle of 5 ms; the window's
// Write Time 5 ms. Write All writes random data new each time (the grid is
// filled before the timed part), then its Verify reads the device back.
//
// Baseline, the same work on the wire and no more: bus_s, what the bytes
// need at the set clock, 9 periods per byte (a written one the 300 ns hold and
// two Delays more, a read one nine Delays more), two Delays a start, and one
// period each for a start, repeated start and stop; for Write All also the Write Time after every page
// and the wait before Verify (pages x (bus time + Write Time), then the read).
// Counters: op_s, the handler's time; ratio_bus = op_s / bus_s (goals: Read
// All 1.05, Write All 1.10). Five repetitions; the median is the figure.
// ratio_cpu = the thread's processor time over bus_s: what the window and the
// engine spend. When ratio_bus stands well above it, the thread was waiting
// for a processor (a machine loaded beyond its cores shares them: another
// program's thread pinned to ours halves both), not doing more work.

#include <benchmark/benchmark.h>

#include <time.h>

#include <chrono>
#include <memory>
#include <random>
#include <string>

#include "bench/app/MainWindowBench.h"
#include "eeprom/EEBusOps.h"
#include "eeprom/EEWindow.h"
#include "eeprom/Eeprom.h"
#include "platform/gui/Forms.h"
#include "platform/port/SimAdapter.h"
#include "platform/port/SimDevices.h"

namespace {

struct TRealRig {
  TSimulatedAdapter sim;
  TPortBackendScope backendScope{sim};
  uint32_t size, page;
  TSimEeprom* ee = nullptr;
  std::unique_ptr<TMainWindowForBench> main;
  TEEWindow* w = nullptr;

  explicit TRealRig(uint32_t Size) : size(Size), page(Size >= 65536 ? 128 : 64) {
    sim.LogLines = false;
    sim.LogCapacity = 1024;
    ee = &sim.Add<TSimEeprom>(size, uint8_t{0xA0});
    ee->WriteCycleMicroseconds = 5000;
    main = std::make_unique<TMainWindowForBench>();
    frmMain->Bus().SetFrequency(100);
    (size == 65536 ? frmMain->mnu64Kx8 : frmMain->mnu32Kx8)->Click();
    Application->ProcessMessages();
    w = frmEEPROM;
    w->SetupItem(esAddress)->SetTextValue("A0");
    w->SetupItem(esPageSize)->SetIntValue(static_cast<int>(page));
    w->SetupItem(esWriteTime)->SetTextValue("5");
  }
  ~TRealRig() {
    w->Release();
    Application->ProcessMessages();
  }
  double PeriodS() const { return 1e-3 / frmMain->Bus().Clock; }
  // What a written byte holds SCL low after its nine clocks: the 300 ns hold and two Delays.
  double WrittenTailS() const {
    const TI2CBus& bus = frmMain->Bus();
    return (0.3 + bus.DelaySlope * bus.DelayCount) * 1e-6;
  }
  // One Delay (half a written bit's turns): a start holds SCL low for two after its clock, a
  // read byte for one after each of its nine clocks.
  double DelayS() const {
    const TI2CBus& bus = frmMain->Bus();
    return bus.DelaySlope * bus.DelayCount / 2 * 1e-6;
  }
  // A sequential read from address 0: start, address and two word-address
  // bytes, repeated start, read address, the bytes, stop.
  double ReadBusS() const { return PeriodS() * (1 + 3 * 9 + 1 + 9 + double(size) * 9 + 1) + 4 * WrittenTailS() +
                                (2 * 2 + double(size) * 9) * DelayS(); }
  double WriteBusS() const {
    const double pages = size / page;
    return pages * (PeriodS() * (1 + (3 + page) * 9 + 1) + (3 + page) * WrittenTailS() + 2 * DelayS() + 5e-3) + 5e-3 + ReadBusS();
  }
};

double ThreadCpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

void Report(benchmark::State& state, double seconds, double cpuSeconds, double busS, int n) {
  state.counters["kHz"] = frmMain->Bus().Clock;
  state.counters["op_s"] = seconds / n;
  state.counters["bus_s"] = busS;
  state.counters["ratio_bus"] = seconds / n / busS;
  state.counters["ratio_cpu"] = cpuSeconds / n / busS;
}

// Runs Op once per iteration on data Prepare makes new, timed from the
// handler's call to its return; Check says whether the device or grid is right.
template <class P, class O, class C>
void TimedRuns(benchmark::State& state, TRealRig& rig, P Prepare, O Op, C Check, double busS) {
  double seconds = 0, cpuSeconds = 0;
  int n = 0;
  for (auto _ : state) {
    state.PauseTiming();
    Prepare();
    state.ResumeTiming();
    const double c0 = ThreadCpuSeconds();
    const auto t0 = std::chrono::steady_clock::now();
    Op();
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    cpuSeconds += ThreadCpuSeconds() - c0;
    ++n;
    if (!Check()) state.SkipWithError("the device or the grid holds other bytes");
  }
  Report(state, seconds, cpuSeconds, busS, n);
}

void BM_WindowReadAll(benchmark::State& state) {
  TRealRig rig(static_cast<uint32_t>(state.range(0)));
  std::mt19937 rng(1);
  TimedRuns(
      state, rig, [&] { for (auto& v : rig.ee->Memory) v = uint8_t(rng()); }, [&] { rig.w->btnReadClick(rig.w); },
      [&] { return rig.w->ImageOfCells() == rig.ee->Memory; }, rig.ReadBusS());
}

void BM_WindowWriteAll(benchmark::State& state) {
  TRealRig rig(static_cast<uint32_t>(state.range(0)));
  std::mt19937 rng(2);
  TEEBytes image(rig.size);
  TimedRuns(
      state, rig,
      [&] {
        for (uint32_t a = 0; a < rig.size; ++a) rig.w->SetByte(static_cast<int>(a), image[a] = uint8_t(rng()));
      },
      [&] { rig.w->btnWriteClick(rig.w); }, [&] { return rig.ee->Memory == image; }, rig.WriteBusS());
}

void Sizes(benchmark::internal::Benchmark* b) {
  b->ArgName("bytes")->Arg(32768)->Arg(65536)->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true);
  b->Unit(benchmark::kSecond)->UseRealTime();
}
BENCHMARK(BM_WindowReadAll)->Apply(Sizes);
BENCHMARK(BM_WindowWriteAll)->Apply(Sizes);

}  // namespace
