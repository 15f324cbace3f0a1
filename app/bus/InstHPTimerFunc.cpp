#include "app/bus/InstHPTimerFunc.h"

#include "platform/rtl/SysUtils.h"

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/rtl/Clock.h"

namespace {

std::string g_cpuInfoPath;

int64_t RoundHz(double hz) { return static_cast<int64_t>(std::nearbyint(hz)); }

}  // namespace

TInstHPTimeBase::TInstHPTimeBase(TComponent* AOwner) : TComponent(AOwner) {
  TClock& clock = Clock();
  const TCpuIdLeaf1 id = clock.CpuId();
  if (id.Available) {
    idAvailable_ = true;
    eax_ = id.Eax;
    ebx_ = id.Ebx;
    ecx_ = id.Ecx;
    edx_ = id.Edx;
    supportTimeStamp_ = (clock.CpuId().Edx & 0x10) != 0;
    hasTimeStamp_ = (edx_ & 0x10) != 0;
  }
  if (hasTimeStamp_ && hz_ == 0) hz_ = MeasureCPUSpeed();
  if (hz_ == 0) hz_ = RoundHz(GetCPUSpeedFromRegistry());
  if (hz_ == 0) hz_ = RoundHz(GetCPUSpeedByTickCount());
  if (measuredMhz_ > 0)
    cpuSpeedMhz_ = measuredMhz_;
  else if (hz_ > 0)
    cpuSpeedMhz_ = static_cast<double>(hz_) / 1000000.0;
}

namespace {

// The time-stamp counter read between two readings of the high-resolution
// counter, the pair taken as the mid-point of the two. An interruption within
// the pair would make it uncertain by its length, so the closest of a few is
// kept.
struct TPairedReading {
  int64_t Count = 0;   // high-resolution counter, twice its mid-point
  uint64_t Cycles = 0;  // time-stamp counter
};

bool PairedReading(TClock& clock, TPairedReading& best) {
  int64_t bestGap = -1;
  for (int i = 0; i < 8; ++i) {
    int64_t before = 0, after = 0;
    if (!clock.QueryPerformanceCounter(before)) return false;
    const uint64_t cycles = clock.ReadTimeStampCounter();
    if (!clock.QueryPerformanceCounter(after)) return false;
    if (bestGap < 0 || after - before < bestGap) {
      bestGap = after - before;
      best.Count = before + after;
      best.Cycles = cycles;
    }
  }
  return true;
}

}  // namespace

// The counter's cycles are divided by the interval actually measured, not by
// the one second aimed at: the loop ends at its first reading past the target,
// which an interruption can push far beyond it.
int64_t TInstHPTimeBase::MeasureCPUSpeed() {
  TClock& clock = Clock();
  int64_t frequency = 0, now = 0;
  if (!clock.QueryPerformanceFrequency(frequency) || frequency <= 0) return 0;
  TPairedReading first, last;
  if (!PairedReading(clock, first)) return 0;
  const int64_t target = first.Count / 2 + frequency;
  do
    if (!clock.QueryPerformanceCounter(now)) return 0;
  while (now < target);
  if (!PairedReading(clock, last) || last.Count <= first.Count) return 0;
  const double seconds = static_cast<double>(last.Count - first.Count) / 2 / static_cast<double>(frequency);
  const double hz = static_cast<double>(last.Cycles - first.Cycles) / seconds;
  measuredMhz_ = hz / 1000000.0;
  return RoundHz(hz);
}

double CpuInfoMhz(const std::string& text) {
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("cpu MHz", 0) != 0) continue;
    const auto colon = line.find(':');
    if (colon == std::string::npos) continue;
    const char* begin = line.c_str() + colon + 1;
    char* end = nullptr;
    const double mhz = std::strtod(begin, &end);
    if (end != begin && std::isfinite(mhz) && mhz > 0) return mhz;
  }
  return 0;
}

void SetCpuInfoPath(const std::string& path) { g_cpuInfoPath = path; }

double GetCPUSpeedFromRegistry() {
  return CpuInfoMhz(LoadKernelFile(g_cpuInfoPath.empty() ? "/proc/cpuinfo" : g_cpuInfoPath)) * 1000000.0;
}

double GetCPUSpeedByTickCount() {
  TClock& clock = Clock();
  const uint32_t t = clock.GetTickCount();
  uint32_t edge = t;
  while (edge == t) edge = clock.GetTickCount();
  const uint64_t start = clock.ReadTimeStampCounter();
  // A second from the tick edge on (unsigned difference: the tick wraps),
  // divided by the ticks that passed until the counter was read: an
  // interruption may end the wait late.
  while (clock.GetTickCount() - edge < 1000u) {
  }
  const uint64_t cycles = clock.ReadTimeStampCounter() - start;
  const uint32_t ms = clock.GetTickCount() - edge;
  return static_cast<double>(cycles) * 1000.0 / ms;
}
