#include "eeprom/EEBusOps.h"

#include <algorithm>

#include "app/bus/ByteText.h"
#include "platform/rtl/SysUtils.h"

std::string EEVerifyFailText(const TEEMismatch& m) {
  return "Device failed Verify at Address 0x" + IntToHex(m.Address, 2) + "\rRead value=0x" + ByteCellText(m.Read) +
         "\rCorrect value=0x" + ByteCellText(m.Expected);
}

int32_t& EECycleTime(TEEKind kind) {
  static int32_t large = EELargeInitialCycleTime;
  static int32_t small = EESmallInitialCycleTime;
  return kind == ekLarge ? large : small;
}

TEEBusOps::TEEBusOps(TEEBus& bus, const TEESettings& device) : bus_(bus), dev_(device) {
  dev_.Address &= 0xFE;
}

void TEEBusOps::Show(const std::string& text) {
  if (OnProgress) OnProgress(text);
}

namespace {

void CheckAddress(const TEESettings& dev, uint32_t address) {
  if (address >= dev.Size)
    throw EInvalidOperation("Byte address 0x" + IntToHex(address, 4) + " is beyond the device (" +
                            std::to_string(dev.Size) + " bytes)");
}

// The device address that selects the block of `address`: small devices of
// 512 bytes to 2 KB carry the 256-byte block number in address bits 1 to 3.
uint8_t DeviceFor(const TEESettings& dev, uint32_t address) {
  if (dev.Kind == ekLarge) return dev.Address;
  return static_cast<uint8_t>(dev.Address + 2 * (address / 256));
}

}  // namespace

// Start, the device address and the word address, for a write or the first
// half of a random read. The caller ends with the stop.
I2CStatus TEEBusOps::Addressed(uint8_t dev, uint32_t wordAddress, bool twoBytes) {
  if (const I2CStatus code = bus_.Start()) return code;
  if (bus_.Write(dev)) return EEAddressNack;
  if (twoBytes && bus_.Write(static_cast<uint8_t>(wordAddress >> 8))) return EEDataNack;
  if (bus_.Write(static_cast<uint8_t>(wordAddress & 0xFF))) return EEDataNack;
  return 0;
}

I2CStatus TEEBusOps::ReadByte(uint32_t address, uint8_t& value) {
  CheckAddress(dev_, address);
  const uint8_t dev = DeviceFor(dev_, address);
  I2CStatus code = Addressed(dev, address, dev_.Kind == ekLarge);
  uint8_t v = 0;
  if (code == 0) code = bus_.Start();
  if (code == 0 && bus_.Write(dev | 1)) code = EEAddressNack;
  if (code == 0) {
    uint8_t ack = 0;
    v = bus_.Read(1, ack);
    if (ack != 128) code = EEReadAckWrong;
  }
  bus_.Stop();
  if (code == 0) value = v;
  return code;
}

I2CStatus TEEBusOps::WriteByte(uint32_t address, uint8_t value) {
  CheckAddress(dev_, address);
  I2CStatus code = Addressed(DeviceFor(dev_, address), address, dev_.Kind == ekLarge);
  if (code == 0 && bus_.Write(value)) code = EEDataNack;
  bus_.Stop();
  return code;
}

// From address 0: the word address, a repeated start and a sequential read of
// the whole device (the parts read on across their blocks).
I2CStatus TEEBusOps::ReadSequence(TEEBytes& image, const std::function<void(uint32_t, uint8_t)>& onByte) {
  image.assign(dev_.Size, 0xFF);
  I2CStatus code = Addressed(dev_.Address, 0, dev_.Kind == ekLarge);
  if (code == 0) code = bus_.Start();
  if (code == 0 && bus_.Write(dev_.Address | 1)) code = EEAddressNack;
  const uint32_t last = dev_.Size - 1;
  if (code == 0) {
    uint8_t ack = 0;
    for (uint32_t a = 0; a < last; ++a) {
      const uint8_t v = bus_.Read(0, ack);
      if (ack != 0) {
        code = EEReadAckWrong;
        break;
      }
      image[a] = v;
      if (onByte) onByte(a, v);
    }
    if (code == 0) {
      image[last] = bus_.Read(1, ack);
      if (ack != 128) code = EEReadAckWrong;
    }
  }
  bus_.Stop();
  if (code == 0 && onByte) onByte(last, image[last]);
  return code;
}

I2CStatus TEEBusOps::ReadAll(TEEBytes& image, const std::function<void(uint32_t, uint8_t)>& onByte) {
  if (dev_.Kind == ekLarge) Show(EEReadingText);
  return ReadSequence(image, onByte);
}

I2CStatus TEEBusOps::Verify(const TEEBytes& expected, std::optional<TEEMismatch>* mismatch) {
  if (mismatch) mismatch->reset();
  Show(EEVerifyingText);
  bus_.Wait(EECycleTime(dev_.Kind));
  TEEBytes read;
  const I2CStatus code = ReadSequence(read, {});
  if (code != 0) return code;
  const uint32_t n = std::min<uint32_t>(dev_.Size, static_cast<uint32_t>(expected.size()));
  for (uint32_t a = 0; a < n; ++a)
    if (read[a] != expected[a]) {
      if (mismatch) *mismatch = TEEMismatch{a, read[a], expected[a]};
      return EEVerifyError;
    }
  return 0;
}

// One page write: start, address, word address, the bytes, stop. A failed step
// ends with the stop; a stop that fails is followed by another.
I2CStatus TEEBusOps::WritePage(uint8_t dev, uint32_t wordAddress, const uint8_t* bytes, uint32_t count) {
  I2CStatus code = Addressed(dev, wordAddress, dev_.Kind == ekLarge);
  for (uint32_t i = 0; code == 0 && i < count; ++i)
    if (bus_.Write(bytes[i])) code = EEDataNack;
  if (code != 0) {
    bus_.Stop();
    return code;
  }
  code = bus_.Stop();
  if (code != 0) {
    bus_.Stop();
    return code;
  }
  ++pagesWritten_;
  return 0;
}

namespace {
constexpr size_t DotPosition = 9;  // right behind "  Writing"
}

I2CStatus TEEBusOps::WriteLarge(const TEEBytes& image) {
  const uint32_t page = dev_.PageSize;
  const uint32_t pages = page == 0 ? 0 : dev_.Size / page;
  // A dot at page 0 and after every sixteenth of the pages; fewer than 16
  // pages get a dot per page.
  const uint32_t every = std::max<uint32_t>(1, pages / 16);
  for (uint32_t p = 0; p < pages; ++p) {
    const uint32_t addr = p * page;
    if (const I2CStatus code = WritePage(dev_.Address, addr, &image[addr], page)) return code;
    bus_.Wait(EECycleTime(dev_.Kind));
    if (p % every == 0) {
      progress_.insert(DotPosition, " .");
      Show(progress_);
    }
  }
  return 0;
}

I2CStatus TEEBusOps::WriteSmall(const TEEBytes& image) {
  const uint32_t page = dev_.PageSize;
  const uint32_t blocks = dev_.Size <= 256 ? 1 : dev_.Size / 256;
  const uint32_t perBlock = page == 0 ? 0 : (dev_.Size / blocks) / page;
  for (uint32_t b = 0; b < blocks; ++b) {
    progress_ = EEWritingText;
    uint8_t wa = 0;
    for (uint32_t p = 0; p < perBlock; ++p) {
      const uint8_t dev = static_cast<uint8_t>(dev_.Address + 2 * b);
      if (const I2CStatus code = WritePage(dev, wa, &image[b * 256 + wa], page)) return code;
      wa = static_cast<uint8_t>(wa + page);
      if (wa % 16 == 0) progress_.insert(DotPosition, " .");
      Show(progress_);
      bus_.Wait(EECycleTime(dev_.Kind));
    }
  }
  return 0;
}

I2CStatus TEEBusOps::WriteAll(const TEEBytes& image, std::optional<TEEMismatch>* mismatch) {
  if (mismatch) mismatch->reset();
  if (image.size() < dev_.Size)
    throw EInvalidOperation("The image holds " + std::to_string(image.size()) + " bytes, the device " +
                            std::to_string(dev_.Size));
  // The window refuses other write times; 0 here would skip the write cycle.
  EECycleTime(dev_.Kind) = static_cast<int32_t>(std::clamp<uint32_t>(dev_.WriteTime, 1, EEMaxWriteTime) * 1000);
  pagesWritten_ = 0;
  progress_ = EEWritingText;
  Show(progress_);
  const I2CStatus code = dev_.Kind == ekLarge ? WriteLarge(image) : WriteSmall(image);
  if (code != 0) return code;
  const I2CStatus verified = Verify(image, mismatch);
  return verified == 0 ? EEWriteVerified : verified;
}
