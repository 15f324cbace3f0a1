#include "platform/port/SimMaster.h"

namespace {
constexpr uint8_t kSdaRelease = 0x7F, kSdaPull = 0xFF, kSclRelease = 0x0C, kSclPull = 0x04;
}

void TSimBusMaster::SclHigh() {
  b_.Write(lpt_, prControl, kSclRelease);
  for (int i = 0; i < StretchReads && (b_.Read(lpt_, prStatus) & 0x08); ++i) {
  }
}

bool TSimBusMaster::Start() {
  b_.Write(lpt_, prData, kSdaRelease);
  SclHigh();
  b_.Write(lpt_, prData, kSdaPull);
  const bool sdaFell = LineStatus() == 0x00;
  b_.Write(lpt_, prControl, kSclPull);
  return sdaFell && LineStatus() == 0x08;
}

void TSimBusMaster::Stop() {
  b_.Write(lpt_, prData, kSdaPull);
  SclHigh();
  b_.Write(lpt_, prData, kSdaRelease);
}

bool TSimBusMaster::Write(uint8_t value) {
  for (int bit = 7; bit >= 0; --bit) {
    b_.Write(lpt_, prControl, kSclPull);
    b_.Write(lpt_, prData, (value >> bit) & 1 ? kSdaRelease : kSdaPull);
    SclHigh();
  }
  b_.Write(lpt_, prControl, kSclPull);
  b_.Write(lpt_, prData, kSdaRelease);
  SclHigh();
  const bool ack = (b_.Read(lpt_, prStatus) & 0x80) == 0;
  b_.Write(lpt_, prControl, kSclPull);
  return ack;
}

uint8_t TSimBusMaster::Read(bool ack) {
  b_.Write(lpt_, prControl, kSclPull);
  b_.Write(lpt_, prData, kSdaRelease);
  uint8_t value = 0;
  for (int bit = 0; bit < 8; ++bit) {
    SclHigh();
    value = static_cast<uint8_t>((value << 1) | ((b_.Read(lpt_, prStatus) & 0x80) ? 1 : 0));
    b_.Write(lpt_, prControl, kSclPull);
  }
  b_.Write(lpt_, prData, ack ? kSdaPull : kSdaRelease);
  SclHigh();
  b_.Write(lpt_, prControl, kSclPull);
  return value;
}

bool TSimBusMaster::WriteMessage(uint8_t address, const std::vector<uint8_t>& bytes, bool stop) {
  bool ok = Start() && Write(static_cast<uint8_t>(address & 0xFE));
  for (size_t i = 0; ok && i < bytes.size(); ++i) ok = Write(bytes[i]);
  if (stop) Stop();
  return ok;
}

std::vector<uint8_t> TSimBusMaster::ReadMessage(uint8_t address, size_t count, bool* addressAcked) {
  std::vector<uint8_t> bytes;
  const bool acked = Start() && Write(static_cast<uint8_t>(address | 1));
  if (addressAcked) *addressAcked = acked;
  if (acked)
    for (size_t i = 0; i < count; ++i) bytes.push_back(Read(i + 1 < count));
  Stop();
  return bytes;
}
