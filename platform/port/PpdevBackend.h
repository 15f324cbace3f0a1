#pragma once
// The kernel's ppdev driver ("Slow" access): LPTn is /dev/parport(n-1),
// claimed for the whole run; registers through the ppdev ioctls. "Normal"
// access switches the claimed ports to direct I/O where that is allowed.
// Each port is claimed exclusively when it can be; when another driver (the
// printer driver lp) is registered on it but idle, the claim is shared: the
// port is still held for the whole run, and the other driver waits meanwhile.

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
  // Exclusive: no other driver may even be registered on the port.
  virtual int Claim(int fd, bool exclusive) = 0;
  virtual int Release(int fd) = 0;
  virtual int ReadData(int fd, uint8_t& value) = 0;
  virtual int WriteData(int fd, uint8_t value) = 0;
  virtual int ReadStatus(int fd, uint8_t& value) = 0;
  virtual int ReadControl(int fd, uint8_t& value) = 0;
  virtual int WriteControl(int fd, uint8_t value) = 0;
  virtual bool ReadTextFile(const std::string& path, std::string& text) = 0;
  // Name of the group that owns the file, "" when unknown.
  virtual std::string GroupOf(const std::string& path) { (void)path; return std::string(); }
};
TPpdevSystem& RealPpdevSystem();

class TPpdevBackend : public TPortBackend {
 public:
  explicit TPpdevBackend(TPpdevSystem& system = RealPpdevSystem(),
                         TDirectIOSystem& direct = RealDirectIOSystem());
  ~TPpdevBackend() override;

  // "ppdev /dev/parport0 (exclusive claim)" (each port claimed, with its claim:
  // "(shared claim with lp)"), or "ppdev" before opening; " (direct I/O)" is
  // added while in "Normal" access.
  std::string Name() const override;
  bool Open() override;
  void Close() override;
  bool IsOpen() const override { return open_; }
  std::string LastError() const override { return error_; }
  std::string Advice() const override { return advice_; }
  // After Open: whether the machine has any parallel port (a device node or a
  // port the kernel lists), whether or not it could be used.
  bool MachineHasPort() const { return machineHasPort_; }
  // lpt 0..2: claimed shared with another driver.
  bool Shared(int lpt) const { return lpt >= 0 && lpt < kLptCount && shared_[lpt]; }
  TLptBases Bases() const override { return bases_; }
  uint8_t Read(int lpt, TPortRegister reg) override;
  void Write(int lpt, TPortRegister reg, uint8_t value) override;
  bool SetHardAccess(bool hard) override;
  bool HardAccess() const override { return !direct_; }

 private:
  enum TFault { fNone, fAbsent, fNoDeviceNode, fPermission, fBusy, fHeld, fOther };
  void Fail(const std::string& path, TFault fault, const std::string& why, const std::string& holder = {});
  // Claims an open port, exclusively or else shared; 0 or a negative errno, and
  // fd may be replaced. holder: the other driver, when one is known.
  int ClaimPort(int lpt, const std::string& path, int& fd, std::string& holder);

  TPpdevSystem& system_;
  TDirectIOSystem& directSystem_;
  std::unique_ptr<TDirectIOBackend> direct_;
  int fd_[kLptCount] = {-1, -1, -1};
  int dataLatch_[kLptCount] = {-1, -1, -1};  // last value written, -1 = none yet
  TLptBases bases_{0, 0, 0};
  bool shared_[kLptCount] = {false, false, false};
  std::string holders_[kLptCount];
  bool open_ = false;
  bool machineHasPort_ = false;
  TFault fault_ = fNone;
  std::string error_;
  std::string advice_;
};
