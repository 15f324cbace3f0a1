#include "app/InstHPTimerFunc.h"

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

int64_t TInstHPTimeBase::MeasureCPUSpeed() {
  TClock& clock = Clock();
  int64_t frequency = 0, now = 0;
  if (!clock.QueryPerformanceFrequency(frequency) || frequency <= 0) return 0;
  if (!clock.QueryPerformanceCounter(now)) return 0;
  const int64_t target = now + frequency;
  const uint64_t start = clock.ReadTimeStampCounter();
  while (now < target)
    if (!clock.QueryPerformanceCounter(now)) return 0;
  const double cycles = static_cast<double>(clock.ReadTimeStampCounter() - start);
  measuredMhz_ = cycles / 1000000.0;
  return RoundHz(cycles);
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
  std::ifstream in(g_cpuInfoPath.empty() ? "/proc/cpuinfo" : g_cpuInfoPath);
  if (!in) return 0;
  std::ostringstream text;
  text << in.rdbuf();
  return CpuInfoMhz(text.str()) * 1000000.0;
}

double GetCPUSpeedByTickCount() {
  TClock& clock = Clock();
  const uint32_t t = clock.GetTickCount();
  uint32_t edge = t;
  while (edge == t) edge = clock.GetTickCount();
  const uint64_t start = clock.ReadTimeStampCounter();
  // A whole second from the tick edge on (unsigned difference: the tick wraps).
  while (clock.GetTickCount() - edge < 1000u) {
  }
  return static_cast<double>(clock.ReadTimeStampCounter() - start);
}
