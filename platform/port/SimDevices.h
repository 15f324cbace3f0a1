#pragma once
// Simulated I2C slaves for the simulated adapter. Each reacts edge by edge to
// the bus lines: start, stop and repeated start, bits sampled on SCL rising,
// its own SDA changed only while SCL is low, acknowledge on the ninth clock,
// and after a not-acknowledge it stays off the bus until the next start.

#include <cstdint>
#include <string>
#include <vector>

class TSimulatedAdapter;

class TSimI2CDevice {
 public:
  explicit TSimI2CDevice(std::string name);
  virtual ~TSimI2CDevice() = default;
  TSimI2CDevice(const TSimI2CDevice&) = delete;
  TSimI2CDevice& operator=(const TSimI2CDevice&) = delete;

  const std::string& Name() const { return name_; }
  void SetName(const std::string& name) { name_ = name; }

  // False: nobody answers at this device's address (the device is off the bus).
  bool Present = true;
  // Clock stretching: after each acknowledge clock in which the device took
  // part, it holds SCL low for this long (0 = never).
  uint32_t StretchMicroseconds = 0;

  // Bus side, driven by the adapter.
  void BusStart();
  void BusStop();
  void SclRose(bool sda);
  void SclFell(uint64_t nowNs);
  bool DrivesSdaLow() const { return sdaLow_; }
  bool HoldsSclLow(uint64_t nowNs) const { return nowNs < stretchUntilNs_; }
  // True while the device takes part in a transfer (addressed and acknowledged).
  bool Selected() const { return mode_ == mReceive || mode_ == mTransmit; }

 protected:
  // An address byte right after a start; true = acknowledge (the device takes part).
  virtual bool AddressByte(uint8_t address) = 0;
  // A byte written by the master after the address; true = acknowledge.
  virtual bool DataWritten(uint8_t value) = 0;
  // The next byte to send in a read.
  virtual uint8_t DataToRead() = 0;
  virtual void StartSeen() {}
  virtual void StopSeen() {}

 private:
  friend class TSimulatedAdapter;
  enum TMode { mIdle, mAddress, mReceive, mTransmit };
  void LogByte(uint8_t value, bool fromMaster, bool acked);
  void ByteReceived();

  std::string name_;
  TSimulatedAdapter* adapter_ = nullptr;
  TMode mode_ = mIdle;
  int bit_ = 0;           // rising edges seen in the present byte (9 = after the acknowledge clock)
  uint8_t shift_ = 0;
  bool acked_ = false;    // the present byte was acknowledged
  bool read_ = false;     // the address asked for a read
  bool sdaLow_ = false;
  uint64_t stretchUntilNs_ = 0;
};

// A serial EEPROM of 16 bytes to 64 KB. Up to 2 KB one word-address byte with
// the 256-byte block number in device address bits 1 to 3; from 4 KB two
// word-address bytes, high first. Page writes roll over within the page and
// are committed at the stop; then the part does not acknowledge its address for
// the write-cycle time. Reads run sequentially across the whole part.
class TSimEeprom : public TSimI2CDevice {
 public:
  // size: a power of two from 16 to 65536; pageSize 0 = that of the real part.
  TSimEeprom(uint32_t size, uint8_t address = 0xA0, uint32_t pageSize = 0);

  static bool ValidSize(uint32_t size);
  // Page size of the usual part of that size (16 bytes: 1, 128 and 256: 8,
  // 512 to 2 KB: 16, 4 and 8 KB: 32, 16 and 32 KB: 64, 64 KB: 128).
  static uint32_t RealPageSize(uint32_t size);

  uint32_t Size() const { return static_cast<uint32_t>(Memory.size()); }
  uint32_t PageSize() const { return pageSize_; }
  uint8_t DeviceAddress() const { return address_; }
  bool TwoByteAddress() const { return Size() > 2048; }
  uint32_t CurrentAddress() const { return current_; }
  // In its write cycle at this moment of the clock in force.
  bool Busy() const;

  uint32_t WriteCycleMicroseconds = 5000;
  std::vector<uint8_t> Memory;  // contents, 0xFF when new

 protected:
  bool AddressByte(uint8_t address) override;
  bool DataWritten(uint8_t value) override;
  uint8_t DataToRead() override;
  void StartSeen() override;
  void StopSeen() override;

 private:
  void Discard() { pending_.clear(); }

  uint8_t address_;
  uint32_t pageSize_;
  uint32_t current_ = 0;     // the address counter
  int addressBytesDue_ = 0;  // word-address bytes still expected in this write
  uint32_t block_ = 0;       // block bits of the last address byte
  bool writing_ = false;
  std::vector<std::pair<uint32_t, uint8_t>> pending_;  // page buffer until the stop
  uint64_t busyUntilNs_ = 0;
};

// A device of 1 to 256 one-byte registers: the first byte written after the
// address sets the register pointer, further bytes are stored, and reads
// return registers from the pointer on; the pointer auto-increments and wraps
// at the register count.
class TSimRegisterDevice : public TSimI2CDevice {
 public:
  TSimRegisterDevice(int count, uint8_t address);
  uint8_t DeviceAddress() const { return address_; }
  int Pointer() const { return pointer_; }
  std::vector<uint8_t> Registers;

 protected:
  bool AddressByte(uint8_t address) override;
  bool DataWritten(uint8_t value) override;
  uint8_t DataToRead() override;

 private:
  uint8_t address_;
  int pointer_ = 0;
  bool pointerDue_ = false;
};
