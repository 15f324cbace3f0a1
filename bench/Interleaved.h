#pragma once
// Two sides of a comparison timed in turns within one run, so a busy machine slows both alike:
// round k runs the program's side then the baseline, round k + 1 the other way round. Each side's
// untimed preparation runs just before it; the time is the process's CPU time. Reports the
// median milliseconds of each side and the median, least and greatest ratio (program over
// baseline) of the rounds.
#include <benchmark/benchmark.h>

#include <time.h>

#include <algorithm>
#include <functional>
#include <vector>

namespace bench {

inline double CpuMs() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

inline double Median(std::vector<double> V) {
  if (V.empty()) return 0;
  std::sort(V.begin(), V.end());
  const size_t n = V.size();
  return n % 2 ? V[n / 2] : (V[n / 2 - 1] + V[n / 2]) / 2;
}

struct TSide {
  std::function<void()> Prepare;  // not timed; may be empty
  std::function<void()> Run;      // timed
  // Instead of timing Run: the milliseconds it measured itself (a program run beside this one).
  std::function<double()> Measured;
};

inline double TimeSide(const TSide& S) {
  if (S.Prepare) S.Prepare();
  if (S.Measured) return S.Measured();
  const double t0 = CpuMs();
  S.Run();
  return CpuMs() - t0;
}

// Call with Iterations(1): the rounds are the repetitions.
inline void Interleave(benchmark::State& State, int Rounds, const TSide& Program, const TSide& Baseline) {
  std::vector<double> a, b, ratio;
  for (auto _ : State) {
    for (int k = 0; k < Rounds; ++k) {
      double ta, tb;
      if (k % 2 == 0) {
        ta = TimeSide(Program);
        tb = TimeSide(Baseline);
      } else {
        tb = TimeSide(Baseline);
        ta = TimeSide(Program);
      }
      a.push_back(ta);
      b.push_back(tb);
      ratio.push_back(tb > 0 ? ta / tb : 0);
    }
  }
  State.counters["prog_ms"] = Median(a);
  State.counters["base_ms"] = Median(b);
  State.counters["ratio"] = Median(ratio);
  State.counters["ratio_lo"] = ratio.empty() ? 0 : *std::min_element(ratio.begin(), ratio.end());
  State.counters["ratio_hi"] = ratio.empty() ? 0 : *std::max_element(ratio.begin(), ratio.end());
}

}  // namespace bench
