// The expert token language on any row: a row is accepted only when every
// token converts, and an accepted row runs on a bus that keeps the rules
// (a start before any byte, reads only in reads; a write stops after every
// failure, a read, failed or not, as its Stop? cell says).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "devices/ExpertMessage.h"

namespace {

class TCheckingBus : public TExpertBus {
 public:
  explicit TCheckingBus(uint32_t seed) : seed_(seed) {}
  bool Open = false;
  int Reads = 0;
  uint8_t Start() override {
    Open = true;
    return Next() % 7 == 0 ? 8 : 0;
  }
  uint8_t Stop() override {
    Open = false;
    return 0;
  }
  uint8_t Write(uint8_t) override {
    if (!Open) std::abort();
    return Next() % 5 == 0 ? 128 : 0;
  }
  uint8_t Read(uint8_t last, uint8_t& ack) override {
    if (!Open) std::abort();
    ++Reads;
    ack = last ? 128 : 0;
    return static_cast<uint8_t>(Next());
  }
  void Trigger(bool) override {}
  void PulseLow() override {}
  void PulseHigh() override {}

 private:
  uint32_t Next() { return seed_ = seed_ * 1103515245u + 12345u, seed_ >> 16; }
  uint32_t seed_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string s(reinterpret_cast<const char*>(data), size);
  // Fields separated by NUL: address, R/W, data, stop, delay; the rest seeds the bus.
  std::vector<std::string> f(6);
  size_t k = 0;
  for (char c : s) {
    if (c == '\0' && k + 1 < f.size()) ++k;
    else f[k] += c;
  }
  const TExpertRow row{f[0], f[1], f[2], f[3], f[4], ""};
  TExpertMessage m;
  std::string error;
  if (!ParseExpertRow(row, m, error)) {
    if (error.empty()) std::abort();
    return 0;
  }
  if (m.DelayMs > ExpertLongestDelay || m.Items.size() != m.Tokens.size()) std::abort();
  TCheckingBus bus(static_cast<uint32_t>(f[5].size() * 2654435761u));
  if (m.Read) {
    std::vector<uint8_t> bytes;
    ReceiveExpertRead(bus, m, bytes);
    if (bus.Open == m.Stop) std::abort();
    const std::string back = ExpertReadData(m, bytes);
    std::vector<std::string> tokens;
    if (!SplitExpertTokens(back, tokens, error) || tokens.size() != m.Tokens.size()) std::abort();
  } else {
    const uint8_t st = SendExpertWrite(bus, m);
    if (bus.Open != (st == 0 && !m.Stop)) std::abort();
    if (bus.Reads) std::abort();
  }
  std::vector<int> seq;
  if (ParseExpertSequence(f[2], seq, error)) {
    for (int e : seq)
      if (e < 0 || e > 99) std::abort();
  }
  return 0;
}
