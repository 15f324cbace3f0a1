#include "platform/port/SimDevices.h"

#include <stdexcept>

#include "platform/port/SimAdapter.h"
#include "platform/rtl/Clock.h"

// ---------------------------------------------------------------------------
// Bit level, common to every device

TSimI2CDevice::TSimI2CDevice(std::string name) : name_(std::move(name)) {}

void TSimI2CDevice::BusStart() {
  StartSeen();
  mode_ = Present ? mAddress : mIdle;
  bit_ = 0;
  shift_ = 0;
  sdaLow_ = false;
}

void TSimI2CDevice::BusStop() {
  mode_ = mIdle;
  sdaLow_ = false;
  bit_ = 0;
  StopSeen();
}

void TSimI2CDevice::SclRose(bool sda) {
  switch (mode_) {
    case mIdle:
      return;
    case mAddress:
    case mReceive:
      if (bit_ < 8) {
        shift_ = static_cast<uint8_t>((shift_ << 1) | (sda ? 1 : 0));
        ++bit_;
      } else if (bit_ == 8) {
        bit_ = 9;
      }
      return;
    case mTransmit:
      if (bit_ < 8) {
        ++bit_;
      } else if (bit_ == 8) {
        acked_ = !sda;  // the master pulls SDA low to ask for more
        LogByte(shift_, false, acked_);
        bit_ = 9;
      }
      return;
  }
}

void TSimI2CDevice::ByteReceived() {
  const bool address = mode_ == mAddress;
  if (address) {
    read_ = (shift_ & 1) != 0;
    acked_ = AddressByte(shift_);
  } else {
    acked_ = DataWritten(shift_);
  }
  // An address byte is logged by the device it selects; data bytes always.
  if (acked_ || !address) LogByte(shift_, true, acked_);
  sdaLow_ = acked_;
  if (!acked_) mode_ = mIdle;  // off the bus until the next start
}

void TSimI2CDevice::SclFell(uint64_t nowNs) {
  switch (mode_) {
    case mIdle:
      return;
    case mAddress:
    case mReceive:
      if (bit_ == 8) {
        const bool wasAddress = mode_ == mAddress;
        ByteReceived();
        if (mode_ == mIdle) return;
        if (wasAddress) mode_ = mReceive;  // until the acknowledge clock ends
        return;
      }
      if (bit_ == 9) {
        sdaLow_ = false;
        bit_ = 0;
        shift_ = 0;
        if (StretchMicroseconds > 0) stretchUntilNs_ = nowNs + uint64_t(StretchMicroseconds) * 1000u;
        if (read_) {
          mode_ = mTransmit;
          shift_ = DataToRead();
          sdaLow_ = (shift_ & 0x80) == 0;
        }
      }
      return;
    case mTransmit:
      if (bit_ >= 1 && bit_ < 8) {
        sdaLow_ = ((shift_ >> (7 - bit_)) & 1) == 0;
      } else if (bit_ == 8) {
        sdaLow_ = false;  // the master's acknowledge
      } else if (bit_ == 9) {
        if (StretchMicroseconds > 0) stretchUntilNs_ = nowNs + uint64_t(StretchMicroseconds) * 1000u;
        if (acked_) {
          bit_ = 0;
          shift_ = DataToRead();
          sdaLow_ = (shift_ & 0x80) == 0;
        } else {
          sdaLow_ = false;
          mode_ = mIdle;
        }
      }
      return;
  }
}

void TSimI2CDevice::LogByte(uint8_t value, bool fromMaster, bool acked) {
  if (!adapter_) return;
  TSimEvent e;
  e.Kind = seByte;
  e.Device = name_;
  e.Byte = value;
  e.FromMaster = fromMaster;
  e.Acked = acked;
  adapter_->Record(std::move(e));
}

// ---------------------------------------------------------------------------
// Serial EEPROM

namespace {

std::string HexByte(uint8_t v) {
  static const char* digits = "0123456789ABCDEF";
  return {digits[v >> 4], digits[v & 15]};
}

}  // namespace

bool TSimEeprom::ValidSize(uint32_t size) {
  return size >= 16 && size <= 65536 && (size & (size - 1)) == 0;
}

uint32_t TSimEeprom::RealPageSize(uint32_t size) {
  if (size <= 16) return 1;
  if (size <= 256) return 8;
  if (size <= 2048) return 16;
  if (size <= 8192) return 32;
  if (size <= 32768) return 64;
  return 128;
}

TSimEeprom::TSimEeprom(uint32_t size, uint8_t address, uint32_t pageSize)
    : TSimI2CDevice("EEPROM " + std::to_string(size) + " @" + HexByte(address & 0xFE)),
      address_(address & 0xFE),
      pageSize_(pageSize ? pageSize : RealPageSize(size)) {
  if (!ValidSize(size)) throw std::invalid_argument("EEPROM size must be a power of two from 16 to 65536");
  if (pageSize_ > size || (pageSize_ & (pageSize_ - 1)) != 0)
    throw std::invalid_argument("EEPROM page size must be a power of two not above the size");
  Memory.assign(size, 0xFF);
}

bool TSimEeprom::Busy() const { return Clock().NowNanoseconds() < busyUntilNs_; }

bool TSimEeprom::AddressByte(uint8_t address) {
  // Parts up to 2 KB take the block number in address bits 1 to 3 and answer
  // for every block they have.
  uint8_t blockMask = 0;
  if (!TwoByteAddress() && Size() > 256) blockMask = static_cast<uint8_t>(((Size() / 256) - 1) << 1);
  if ((address & 0xFE & ~blockMask) != (address_ & ~blockMask)) return false;
  if (Busy()) return false;  // write cycle in progress
  block_ = (address & blockMask) >> 1;
  writing_ = (address & 1) == 0;
  if (writing_) {
    addressBytesDue_ = TwoByteAddress() ? 2 : 1;
    pending_.clear();
  }
  return true;
}

bool TSimEeprom::DataWritten(uint8_t value) {
  if (addressBytesDue_ > 0) {
    if (TwoByteAddress()) {
      current_ = addressBytesDue_ == 2 ? (uint32_t(value) << 8) : ((current_ & 0xFF00) | value);
    } else {
      current_ = block_ * 256 + value;
    }
    current_ %= Size();
    --addressBytesDue_;
    return true;
  }
  pending_.emplace_back(current_, value);
  // Roll over within the page.
  const uint32_t page = current_ & ~(pageSize_ - 1);
  current_ = page | ((current_ + 1) & (pageSize_ - 1));
  return true;
}

uint8_t TSimEeprom::DataToRead() {
  const uint8_t v = Memory[current_];
  current_ = (current_ + 1) % Size();
  return v;
}

void TSimEeprom::StartSeen() {
  // A repeated start ends a write without programming it, as on the real part.
  Discard();
  writing_ = false;
  addressBytesDue_ = 0;
}

void TSimEeprom::StopSeen() {
  if (writing_ && !pending_.empty()) {
    for (const auto& [addr, value] : pending_) Memory[addr] = value;
    busyUntilNs_ = Clock().NowNanoseconds() + uint64_t(WriteCycleMicroseconds) * 1000u;
  }
  Discard();
  writing_ = false;
  addressBytesDue_ = 0;
}

// ---------------------------------------------------------------------------
// Register device

TSimRegisterDevice::TSimRegisterDevice(int count, uint8_t address)
    : TSimI2CDevice("Registers " + std::to_string(count) + " @" + HexByte(address & 0xFE)),
      address_(address & 0xFE) {
  if (count < 1 || count > 256) throw std::invalid_argument("register count must be 1 to 256");
  Registers.assign(static_cast<size_t>(count), 0);
}

bool TSimRegisterDevice::AddressByte(uint8_t address) {
  if ((address & 0xFE) != address_) return false;
  pointerDue_ = (address & 1) == 0;
  return true;
}

bool TSimRegisterDevice::DataWritten(uint8_t value) {
  const int count = static_cast<int>(Registers.size());
  if (pointerDue_) {
    pointer_ = value % count;
    pointerDue_ = false;
    return true;
  }
  Registers[static_cast<size_t>(pointer_)] = value;
  pointer_ = (pointer_ + 1) % count;
  return true;
}

uint8_t TSimRegisterDevice::DataToRead() {
  const uint8_t v = Registers[static_cast<size_t>(pointer_)];
  pointer_ = (pointer_ + 1) % static_cast<int>(Registers.size());
  return v;
}
