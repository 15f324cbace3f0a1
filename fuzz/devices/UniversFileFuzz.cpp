// The universal data file reader on any bytes: it accepts or refuses with a
// reason and leaves the data alone; what it accepts writes back to a record
// that reads as the same data, and every accepted message either is refused
// by the send's check with a reason or plans a send and comes back whole after one.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "devices/UniversFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace Univers;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  TUniversalData d, before;
  before.Sequence = d.Sequence = "untouched";
  std::string fault;
  if (DecodeRecord(bytes, d, fault) != drOk) {
    if (fault.empty() || !(d == before)) std::abort();
    return 0;
  }
  TUniversalData again;
  if (DecodeRecord(EncodeRecord(d), again, fault) != drOk || !(again == d)) std::abort();
  for (int n = 0; n < MessageCount; ++n) {
    TMessagePlan plan;
    fault.clear();
    if (!PlanMessage(d.Address[n], d.Direction[n], d.Message[n], plan, fault)) {
      if (fault.empty()) std::abort();
      continue;
    }
    // Whatever a read returns (here: one byte short of each part), the message keeps its stop and size.
    const std::string r1(plan.Cells1 > 1 ? static_cast<size_t>(plan.Cells1 - 1) * 2 : 2, 'A');
    const std::string r2(plan.Cells2 > 1 ? static_cast<size_t>(plan.Cells2 - 1) * 2 : 2, 'B');
    const std::string after = MessageAfterSend(d.Message[n], plan, r1, r2);
    if (IsMessageText(d.Message[n], MessageMax) && !IsMessageText(after)) std::abort();
    TUniversalData one = d;
    one.Message[n] = after;
    if (DecodeRecord(EncodeRecord(one), again, fault) != drOk) std::abort();
  }
  return 0;
}
