#include "platform/rtl/Clock.h"

#include <time.h>

#include <algorithm>
#include <sstream>
#include <stdexcept>

#include "platform/rtl/SysUtils.h"

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#include <x86intrin.h>
#endif

namespace {

uint64_t MonotonicNs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<uint64_t>(ts.tv_sec) * 1000000000ull + static_cast<uint64_t>(ts.tv_nsec);
}

bool HasWord(const std::string& line, const std::string& word) {
  std::istringstream words(line);
  std::string w;
  while (words >> w)
    if (w == word) return true;
  return false;
}

class TRealClock final : public TClock {
 public:
  TRealClock() {
#if defined(__x86_64__) || defined(__i386__)
    waitCounter_ = KernelWaitCounter();
#else
    waitCounter_ = {wcMonotonic, "no time-stamp counter"};
#endif
  }
  TCpuIdLeaf1 CpuId() override {
    TCpuIdLeaf1 r;
#if defined(__x86_64__) || defined(__i386__)
    unsigned a, b, c, d;
    if (__get_cpuid(1, &a, &b, &c, &d)) {
      r.Available = true;
      r.Eax = a; r.Ebx = b; r.Ecx = c; r.Edx = d;
    }
#endif
    return r;
  }
  uint64_t ReadTimeStampCounter() override {
#if defined(__x86_64__) || defined(__i386__)
    return __rdtsc();
#else
    // Without a cycle counter the monotonic clock in ns stands in (1000 "cycles" per µs).
    return MonotonicNs();
#endif
  }
  uint32_t GetTickCount() override { return static_cast<uint32_t>(MonotonicNs() / 1000000ull); }
  bool QueryPerformanceCounter(int64_t& count) override {
    count = static_cast<int64_t>(MonotonicNs());
    return true;
  }
  bool QueryPerformanceFrequency(int64_t& frequency) override {
    frequency = 1000000000;
    return true;
  }
  void DelayLoop(uint32_t count) override {
    // A turn is one cycle of the wait counter, not one pass of a count-down
    // loop: a loop's speed follows the processor's changing clock (turbo and
    // power states, a busy hyperthread sibling, a virtual machine's host), by
    // up to a third under load, and a bus clock calibrated on it would run
    // that much off once the load changes. The counter runs at one rate, so
    // the time per turn stays what the calibration measured.
    WaitCycles(count, static_cast<uint64_t>(count / WaitCyclesPerNanosecond() * 1.5) + 2000);
  }
  double LoopTurnCycles() override { return 1; }
  uint64_t NowNanoseconds() override { return MonotonicNs(); }
  double WaitCyclesPerNanosecond() override {
    if (rate_ > 0) return rate_;
    const uint64_t n0 = MonotonicNs(), c0 = ReadWaitCounter();
    uint64_t n1 = n0, c1 = c0;
    while (n1 - n0 < 5000000) {
      n1 = MonotonicNs();
      c1 = ReadWaitCounter();
    }
    rate_ = c1 > c0 ? double(c1 - c0) / double(n1 - n0) : 1.0;
    return rate_;
  }

 private:
  double rate_ = 0;
};

TClock* g_clock = nullptr;

}  // namespace

TClock& RealClock() {
  static TRealClock real;
  return real;
}

TClock& Clock() { return g_clock ? *g_clock : RealClock(); }

void SetClock(TClock* clock) { g_clock = clock; }

TWaitCounter ChooseWaitCounter(const std::string& ClockSource, const std::string& CpuInfo) {
  std::string source = ClockSource;
  while (!source.empty() && (source.back() == '\n' || source.back() == ' ')) source.pop_back();
  if (source != "tsc")
    return {wcMonotonic, source.empty() ? "the kernel's clock source is unknown" : "the kernel's clock source is " + source};
  std::istringstream lines(CpuInfo);
  std::string line;
  int processors = 0;
  while (std::getline(lines, line)) {
    if (line.rfind("flags", 0) != 0) continue;
    ++processors;
    for (const char* flag : {"constant_tsc", "nonstop_tsc"})
      if (!HasWord(line, flag)) return {wcMonotonic, std::string("the processor lacks ") + flag};
  }
  if (processors == 0) return {wcMonotonic, "the processor's flags are unknown"};
  return {wcTimeStampCounter, "clock source tsc, constant_tsc, nonstop_tsc"};
}

TWaitCounter KernelWaitCounter(const std::string& Root) {
  return ChooseWaitCounter(LoadKernelFile(Root + "/sys/devices/system/clocksource/clocksource0/current_clocksource"),
                           LoadKernelFile(Root + "/proc/cpuinfo"));
}

std::string WaitCounterText(const TWaitCounter& Counter) {
  return Counter.Kind == wcTimeStampCounter ? "timed by the time-stamp counter" : "timed by the monotonic clock";
}

void TClock::WaitCycles(uint64_t Cycles, uint64_t GuardNs) { WaitUntil(ReadWaitCounter() + Cycles, GuardNs); }

uint64_t TClock::WaitUntil(uint64_t End, uint64_t GuardNs) {
  const uint64_t deadline = NowNanoseconds() + GuardNs;
  uint64_t now = ReadWaitCounter();
  for (unsigned i = 1; now < End; ++i) {
    if (i % 8 == 0 && NowNanoseconds() >= deadline) break;
    now = ReadWaitCounter();
  }
  return now;
}

uint64_t TFakeClock::WaitUntil(uint64_t End, uint64_t GuardNs) {
  const uint64_t now = ReadWaitCounter();
  double skip = 0;
  if (now < End) skip = std::min(double(End - now) / WaitCyclesPerNanosecond() - 2 * NanosecondsPerCounterRead - 1, double(GuardNs));
  if (skip <= 0) return TClock::WaitUntil(End, GuardNs);
  Advance(skip);
  return TClock::WaitUntil(End, GuardNs - static_cast<uint64_t>(skip));
}

uint64_t TFakeClock::ReadTimeStampCounter() {
  if (!HasTimeStampCounter) return 0;
  Advance(NanosecondsPerCounterRead);
  return static_cast<uint64_t>(cycles_);
}

uint64_t TFakeClock::ReadWaitCounter() {
  if (waitCounter_.Kind == wcTimeStampCounter) return ReadTimeStampCounter();
  Advance(NanosecondsPerCounterRead);
  return static_cast<uint64_t>(now_);
}

uint32_t TFakeClock::GetTickCount() {
  Advance(NanosecondsPerCounterRead);
  return static_cast<uint32_t>(static_cast<uint64_t>(now_ / 1000000.0));
}

bool TFakeClock::QueryPerformanceCounter(int64_t& count) {
  if (!HasPerformanceCounter) return false;
  Advance(NanosecondsPerCounterRead);
  count = static_cast<int64_t>(now_);
  return true;
}

bool TFakeClock::QueryPerformanceFrequency(int64_t& frequency) {
  if (!HasPerformanceCounter) return false;
  frequency = 1000000000;
  return true;
}

uint32_t GetTickCount() { return Clock().GetTickCount(); }
bool QueryPerformanceCounter(int64_t& count) { return Clock().QueryPerformanceCounter(count); }
bool QueryPerformanceFrequency(int64_t& frequency) { return Clock().QueryPerformanceFrequency(frequency); }
