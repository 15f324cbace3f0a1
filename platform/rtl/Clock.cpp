#include "platform/rtl/Clock.h"

#include <time.h>

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

class TRealClock final : public TClock {
 public:
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
    // A turn is one cycle of the time-stamp counter, not one pass of a
    // count-down loop: a loop's speed follows the processor's changing clock
    // (turbo and power states, a busy hyperthread sibling, a virtual
    // machine's host), by up to a third under load, and a bus clock
    // calibrated on it would run that much off once the load changes. The
    // counter runs at one rate, so the time per turn stays what the
    // calibration measured.
    const uint64_t end = ReadTimeStampCounter() + count;
    while (ReadTimeStampCounter() < end) {
    }
  }
  uint64_t NowNanoseconds() override { return MonotonicNs(); }
};

TClock* g_clock = nullptr;

}  // namespace

TClock& RealClock() {
  static TRealClock real;
  return real;
}

TClock& Clock() { return g_clock ? *g_clock : RealClock(); }

void SetClock(TClock* clock) { g_clock = clock; }

uint64_t TFakeClock::ReadTimeStampCounter() {
  if (!HasTimeStampCounter) return 0;
  now_ += NanosecondsPerCounterRead;
  return static_cast<uint64_t>(now_ * CyclesPerMicrosecond / 1000.0);
}

uint32_t TFakeClock::GetTickCount() {
  now_ += NanosecondsPerCounterRead;
  return static_cast<uint32_t>(static_cast<uint64_t>(now_ / 1000000.0));
}

bool TFakeClock::QueryPerformanceCounter(int64_t& count) {
  if (!HasPerformanceCounter) return false;
  now_ += NanosecondsPerCounterRead;
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
