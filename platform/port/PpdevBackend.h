#pragma once
// The kernel's ppdev driver ("Slow" access): LPTn is /dev/parport(n-1),
// claimed for the whole run; registers through the ppdev ioctls. "Normal"
// access switches the claimed ports to direct I/O where that is allowed.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/port/DirectIOBackend.h"
#include "platform/port/PortBackend.h"

// The device calls the backend makes, so tests can stand in for the kernel.
// Every call returns 0 (Open: a descriptor >= 0) or a negative errno.
class TPpdevSystem {
 public:
  virtual ~TPpdevSystem() = default;
  virtual int Open(const std::string& path) = 0;
  virtual void Close(int fd) = 0;
  virtual int Claim(int fd) = 0;
  virtual int Release(int fd) = 0;
  virtual int ReadData(int fd, uint8_t& value) = 0;
  virtual int WriteData(int fd, uint8_t value) = 0;
  virtual int ReadStatus(int fd, uint8_t& value) = 0;
  virtual int ReadControl(int fd, uint8_t& value) = 0;
  virtual int WriteControl(int fd, uint8_t value) = 0;
  virtual bool ReadTextFile(const std::string& path, std::string& text) = 0;
};
TPpdevSystem& RealPpdevSystem();

class TPpdevBackend : public TPortBackend {
 public:
  explicit TPpdevBackend(TPpdevSystem& system = RealPpdevSystem(),
                         TDirectIOSystem& direct = RealDirectIOSystem());
  ~TPpdevBackend() override;

  // "ppdev /dev/parport0" (the ports claimed), or "ppdev" before opening;
  // " (direct I/O)" is added while in "Normal" access.
  std::string Name() const override;
  bool Open() override;
  void Close() override;
  bool IsOpen() const override { return open_; }
  std::string LastError() const override { return error_; }
  TLptBases Bases() const override { return bases_; }
  uint8_t Read(int lpt, TPortRegister reg) override;
  void Write(int lpt, TPortRegister reg, uint8_t value) override;
  bool SetHardAccess(bool hard) override;
  bool HardAccess() const override { return !direct_; }

 private:
  void Fail(const std::string& what, int err);

  TPpdevSystem& system_;
  TDirectIOSystem& directSystem_;
  std::unique_ptr<TDirectIOBackend> direct_;
  int fd_[kLptCount] = {-1, -1, -1};
  int dataLatch_[kLptCount] = {-1, -1, -1};  // last value written, -1 = none yet
  TLptBases bases_{0, 0, 0};
  bool open_ = false;
  std::string error_;
};
