// Bus timing on the simulated adapter with the real clock. Every register
// access costs what a parallel-port access costs (1 µs through the driver,
// "Slow"; 0.4 µs direct, "Normal"), busy-waited by the adapter from the start
// of the access, so the engine's calibration meets real time as on a port.
// The processor clock comes from the time base, as in the program.
//
// BM_SclClock/<access>/<kHz>/<traffic>/<load>
//   access 1 = Slow, 0 = Normal; kHz 0 = MaxClock; traffic 0 = bytes written
//   to an absent address (never acknowledged), 1 = bytes written to the
//   32 KB EEPROM at A8 (acknowledged), 2 = bytes read from it; load 1 = the
//   load generator below keeps every core busy from before the start to the
//   end of the batch, 0 = the machine as it is.
//   Each iteration is one start of the program: a fresh adapter and engine,
//   the start-up's calibrations, the clock set, then a batch of transfers.
//   The SCL frequency is taken from the adapter's timestamped log of line
//   changes: rise to rise within each byte, its acknowledge clock included
//   (8 periods per byte), as a logic analyser would decode it.
//
// BM_CalibrationUnderLoad/<access>
//   50 starts while a load generator started here keeps every core busy (one
//   thread pinned to each core, each stirring 8 MB of memory at normal
//   priority). After each, the load pauses and the same start runs again on
//   the machine without it, so both meet the processor in the same state. A
//   loaded start counts as good when each of its calibrations succeeded; its
//   lines are compared with those of its unloaded twin over the loop lengths
//   in use, 1 to the one for 25 KHz.
//
// Counters (a ratio is measured frequency over set frequency):
//   set_kHz       the clock set (for kHz 0: the mean MaxClock of the starts)
//   ratio_mean    set period over the mean measured period (what a frequency
//                 counter shows), all periods of all starts pooled
//   ratio_median, ratio_p05, ratio_p95, ratio_sd   median, 5th and 95th
//                 percentile and standard deviation of the per-period ratios
//   start_lo, start_hi  lowest and highest ratio_mean of a single start
//   slowed_pct    share of periods stretched beyond 1.5 times the set period
//   ratio_max     set period over the shortest period measured
//   short_pct     share of periods shorter than set by more than the log's
//                 resolution (a reading of the monotonic clock, 10 ns here)
//                 (the process was interrupted within the bit)
//   failed        start-up calibrations that failed (the bus then runs on its
//                 timed fallback, no faster than set)
//   high_min, high_p05, high_median  the time SCL was high in a clock, as a
//                 share of the set period: least, 5th percentile and median
//   high_short_pct  share of clocks whose SCL high fell short of half the set
//                 period by more than the log's resolution
//   good, starts  loaded start-ups whose every calibration succeeded, of all
//   dev_max_pct, dev_mean_pct  greatest and mean deviation of a loaded start's
//                 lines from its twin's, in per cent of the bit period
//   within_3pct, compared  pairs within 3 %, of the pairs where both succeeded
//   loop_speed_lo_pct, loop_speed_hi_pct  range of the change in the speed of
//                 a count-down loop under the load: how far a delay counted in
//                 loop passes, not counter cycles, would have moved the clock

#include <benchmark/benchmark.h>


#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>
#include <numeric>
#include <thread>
#include <vector>

#include "app/bus/I2CBus.h"
#include "app/bus/InstHPTimerFunc.h"
#include "app/bus/PortIO.h"
#include "bench/app/bus/LoadGenerator.h"
#include "platform/port/SimAdapter.h"
#include "platform/rtl/Clock.h"

namespace {

double ProcessorMhz() {
  static const double mhz = [] {
    TInstHPTimeBase timeBase(nullptr);  // one second, as at the program's start
    return timeBase.CPUSpeedMhz();
  }();
  return mhz;
}

// One start of the program on the simulated adapter: the port search
// calibrates, a stored "Normal" mode calibrates on the switch, and the
// settings' end calibrates once more.
struct TStart {
  TSimulatedAdapter sim;
  TPortBackendScope scope{sim};
  TPortIO port{nullptr};
  std::unique_ptr<TI2CBus> bus;
  int failed = 0;
  int calibrations = 0;

  explicit TStart(bool slow) {
    sim.SlowAccessNs = 1000;
    sim.NormalAccessNs = 400;
    sim.AddDefaultDevices();  // 256 B EEPROM at A0, 32 KB EEPROM at A8, registers at 40
    sim.LogCapacity = 1 << 16;
    port.OpenDriver("PortIODevice1");
    bus = std::make_unique<TI2CBus>(port, ProcessorMhz());
    bus->LPTAddresses = sim.PortBases;
    bus->OnStatusLine = [this](const std::string& text, TBusLook) {
      if (text.find("Calibration failed") != std::string::npos) ++failed;
    };
    bus->SelectPort(1);
    ++calibrations;
    if (!slow) {
      bus->RestoreAccessMode(false);
      ++calibrations;
    }
    bus->CalibrateAtStart();
    ++calibrations;
  }
};

struct TPeriods {
  std::vector<double> ratios;  // set period over each measured period
};

// Rise-to-rise SCL periods (ns) of the log since it was last cleared, when it
// holds exactly one byte's nine clocks, and the time SCL was high in each.
void BytePeriods(const TSimulatedAdapter& sim, std::vector<double>& out, std::vector<double>& highs) {
  uint64_t rises[16], falls[16];
  int n = 0, f = 0;
  bool scl = false;
  for (const TSimEvent& e : sim.Log()) {
    if (e.Kind != seLines) continue;
    if (e.Scl && !scl && n < 16) rises[n++] = e.TimeNs;
    if (!e.Scl && scl && n > 0 && f < 16) falls[f++] = e.TimeNs;
    scl = e.Scl;
  }
  if (n != 9 || f != 9) return;
  for (int i = 1; i < n; ++i) out.push_back(double(rises[i] - rises[i - 1]));
  for (int i = 0; i < n; ++i) highs.push_back(double(falls[i] - rises[i]));
}

enum TTraffic { tAbsent = 0, tWriteAck = 1, tRead = 2 };

// A batch of transfers; the periods of the chosen kind of byte are kept.
void RunBatch(TStart& s, TTraffic traffic, std::vector<double>& periods, std::vector<double>& highs) {
  TI2CBus& bus = *s.bus;
  auto write = [&](uint8_t b, bool keep) {
    s.sim.ClearLog();
    bus.I2CWrite(b);
    if (keep) BytePeriods(s.sim, periods, highs);
  };
  for (int t = 0; t < 20; ++t) {
    bus.I2CStart();
    if (traffic == tAbsent) {
      for (int i = 0; i < 8; ++i) write(uint8_t(0xB0 + i), true);
    } else {
      // Written bytes, then a repeated start reads: the write is abandoned,
      // so no write cycle blocks the next transfer.
      write(0xA8, traffic == tWriteAck);
      write(0x00, traffic == tWriteAck);
      write(uint8_t(t), traffic == tWriteAck);
      for (int i = 0; i < 5; ++i) write(uint8_t(0x5A ^ i), traffic == tWriteAck);
      bus.I2CStart();
      write(0xA9, traffic == tWriteAck);
      for (int i = 0; i < 8; ++i) {
        uint8_t ack = 0;
        s.sim.ClearLog();
        bus.I2CRead(i == 7 ? 1 : 0, ack);
        if (traffic == tRead) BytePeriods(s.sim, periods, highs);
      }
    }
    bus.I2CStop();
  }
}

double Percentile(std::vector<double> v, double p) {
  if (v.empty()) return NAN;
  std::sort(v.begin(), v.end());
  return v[size_t(p * double(v.size() - 1) + 0.5)];
}

void BM_SclClock(benchmark::State& state) {
  const bool slow = state.range(0) != 0;
  const int wanted = int(state.range(1));
  const auto traffic = TTraffic(state.range(2));
  std::unique_ptr<TLoad> load;
  if (state.range(3)) {
    load = std::make_unique<TLoad>();
    load->Pause(false);
  }
  std::vector<double> ratios, setPeriods, startMeans, highShares;
  int highShort = 0;
  double sumSetKHz = 0, inversePeriodShare = 0;
  int failed = 0, starts = 0;
  for (auto _ : state) {
    TStart s(slow);
    failed += s.failed;
    const int k = wanted ? wanted : s.bus->MaxClock;
    s.bus->SetFrequency(k);
    const double setNs = 1e6 / s.bus->Clock;
    std::vector<double> periods, highs;
    RunBatch(s, traffic, periods, highs);
    for (double h : highs) {
      highShares.push_back(h / setNs);
      highShort += h < setNs / 2 - 10;
    }
    double share = 0;
    for (double p : periods) {
      ratios.push_back(setNs / p);
      setPeriods.push_back(setNs);
      share += p / setNs;
    }
    inversePeriodShare += share;
    if (!periods.empty()) startMeans.push_back(double(periods.size()) / share);
    sumSetKHz += s.bus->Clock;
    ++starts;
  }
  if (ratios.empty()) return;
  const double n = double(ratios.size());
  const double mean = std::accumulate(ratios.begin(), ratios.end(), 0.0) / n;
  double var = 0;
  for (double r : ratios) var += (r - mean) * (r - mean);
  int slowed = 0, shorter = 0;
  for (double r : ratios) slowed += r < 1 / 1.5;
  for (size_t i = 0; i < ratios.size(); ++i) shorter += ratios[i] > 1 && setPeriods[i] / ratios[i] < setPeriods[i] - 10;
  state.counters["set_kHz"] = sumSetKHz / starts;
  state.counters["ratio_mean"] = n / inversePeriodShare;
  state.counters["ratio_median"] = Percentile(ratios, 0.5);
  state.counters["ratio_p05"] = Percentile(ratios, 0.05);
  state.counters["ratio_p95"] = Percentile(ratios, 0.95);
  state.counters["ratio_sd"] = std::sqrt(var / n);
  state.counters["start_lo"] = *std::min_element(startMeans.begin(), startMeans.end());
  state.counters["start_hi"] = *std::max_element(startMeans.begin(), startMeans.end());
  state.counters["slowed_pct"] = 100.0 * slowed / n;
  state.counters["ratio_max"] = *std::max_element(ratios.begin(), ratios.end());
  state.counters["short_pct"] = 100.0 * shorter / n;
  state.counters["failed"] = failed;
  state.counters["high_min"] = *std::min_element(highShares.begin(), highShares.end());
  state.counters["high_p05"] = Percentile(highShares, 0.05);
  state.counters["high_median"] = Percentile(highShares, 0.5);
  state.counters["high_short_pct"] = 100.0 * highShort / double(highShares.size());
}

void SclArgs(benchmark::internal::Benchmark* b) {
  b->ArgNames({"slow", "kHz", "traffic", "load"});
  for (int load : {0, 1})
    for (int slow : {1, 0})
      for (int k : {25, 50, 100, 0})
        for (int t : {tAbsent, tWriteAck, tRead}) b->Args({slow, k, t, load});
  b->Iterations(10)->Unit(benchmark::kMillisecond);
}
BENCHMARK(BM_SclClock)->Apply(SclArgs);

// Greatest relative difference of two starts' lines (written and read bits)
// over the loop lengths in use, 1 to the one the second gives for 25 KHz; a
// ratio of two lines is monotonic, so the ends decide.
double Deviation(const TI2CBus& a, const TI2CBus& b) {
  auto one = [](double o, double s, double ro, double rs) {
    const double far = (40.0 - ro) / rs;
    double worst = 0;
    for (double x : {1.0, far}) worst = std::max(worst, std::fabs((o + s * x) / (ro + rs * x) - 1));
    return worst;
  };
  return std::max(one(a.DelayOffset, a.DelaySlope, b.DelayOffset, b.DelaySlope),
                  one(a.ReadDelayOffset, a.ReadDelaySlope, b.ReadDelayOffset, b.ReadDelaySlope));
}

// Turns per µs of a count-down loop in a register, the best of a few
// readings: how fast the processor runs just now. (The delay itself waits on
// the time-stamp counter and does not follow this speed.)
double LoopSpeed() {
  TClock& c = RealClock();
  double best = 0;
  for (int i = 0; i < 20; ++i) {
    const uint64_t t0 = c.ReadTimeStampCounter();
    for (uint32_t n = 20000; n != 0;) {
      asm volatile("" : "+r"(n));
      --n;
    }
    const uint64_t t1 = c.ReadTimeStampCounter();
    best = std::max(best, 20000.0 / (double(t1 - t0) / ProcessorMhz()));
  }
  return best;
}

void BM_CalibrationUnderLoad(benchmark::State& state) {
  const bool slow = state.range(0) != 0;
  const int starts = 50;
  for (auto _ : state) {
    TLoad load;
    int good = 0, failedCalibrations = 0, calibrations = 0, idleFailed = 0, within = 0;
    std::vector<double> deviations, speedChanges;
    for (int i = 0; i < starts; ++i) {
      load.Pause(false);
      const double loadedSpeed = LoopSpeed();
      TStart loaded(slow);
      load.Pause(true);
      calibrations += loaded.calibrations;
      failedCalibrations += loaded.failed;
      // The same start on the machine without the load, right after, so both
      // meet the processor in the same state.
      const double idleSpeed = LoopSpeed();
      TStart idle(slow);
      idleFailed += idle.failed > 0;
      speedChanges.push_back(loadedSpeed / idleSpeed - 1);
      if (loaded.failed) continue;
      ++good;
      if (idle.failed) continue;
      deviations.push_back(Deviation(*loaded.bus, *idle.bus));
      within += deviations.back() <= 0.03;
    }
    state.counters["starts"] = starts;
    state.counters["good"] = good;
    state.counters["failed"] = failedCalibrations;
    state.counters["calibrations"] = calibrations;
    state.counters["idle_failed"] = idleFailed;
    state.counters["compared"] = double(deviations.size());
    state.counters["within_3pct"] = within;
    state.counters["dev_max_pct"] =
        deviations.empty() ? NAN : 100 * *std::max_element(deviations.begin(), deviations.end());
    state.counters["dev_mean_pct"] =
        deviations.empty() ? NAN
                           : 100 * std::accumulate(deviations.begin(), deviations.end(), 0.0) / double(deviations.size());
    std::sort(speedChanges.begin(), speedChanges.end());
    state.counters["loop_speed_lo_pct"] = 100 * speedChanges.front();
    state.counters["loop_speed_hi_pct"] = 100 * speedChanges.back();
  }
}
BENCHMARK(BM_CalibrationUnderLoad)->ArgName("slow")->Arg(1)->Arg(0)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  std::printf(
      "Bus timing on the simulated adapter, real clock (processor %.1f MHz by the time base).\n"
      "BM_SclClock/slow:S/kHz:K/traffic:T/load:L  S 1 = Slow access (1 us), 0 = Normal (0.4 us); K 0 = MaxClock;\n"
      "  T 0 = writes to an absent address, 1 = writes acknowledged by an EEPROM, 2 = reads from it;\n"
      "  L 1 = every core loaded by the load generator. ratio_max = set / shortest period;\n"
      "  short_pct = periods shorter than set by more than 10 ns.\n"
      "  ratio_* = measured SCL frequency / set frequency (mean = set period / mean period);\n"
      "  start_lo/hi = worst single start; slowed_pct = periods stretched by interruptions.\n"
      "BM_CalibrationUnderLoad/slow:S  good of starts under a full load on every core; dev_* = line\n"
      "  deviation from the same start's unloaded twin in %%; within_3pct of compared pairs;\n"
      "  loop_speed_* = change of the processor's own loop speed under the load.\n",
      ProcessorMhz());
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
