// Any settings text parses without harm, and what it builds is a usable adapter.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/port/PortConfig.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const TPortConfig cfg = ParsePortConfig(std::string(reinterpret_cast<const char*>(data), size));
  if (cfg.Devices.size() > 64) return 0;  // building 64 KB parts by the hundred proves nothing more
  auto sim = BuildSimulatedAdapter(cfg);
  sim->SlowAccessNs = 0;
  sim->Open();
  for (int lpt = 0; lpt < kLptCount; ++lpt) {
    if (sim->Bases()[lpt] == 0) continue;
    sim->Write(lpt, prData, 0xFF);
    sim->Write(lpt, prControl, 0x04);
    sim->Read(lpt, prStatus);
  }
  return 0;
}
