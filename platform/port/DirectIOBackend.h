#pragma once
// Direct port I/O ("Normal" access): ioperm, inb and outb. Needs x86 and root
// or CAP_SYS_RAWIO; elsewhere every request for permission fails.

#include <cstdint>
#include <functional>
#include <string>

#include "platform/port/PortBackend.h"

// The system calls of direct I/O, so tests can stand in for the processor.
class TDirectIOSystem {
 public:
  virtual ~TDirectIOSystem() = default;
  // 0 or the errno of the refusal.
  virtual int Permit(uint16_t base, unsigned count, bool on) = 0;
  virtual uint8_t In(uint16_t port) = 0;
  virtual void Out(uint16_t port, uint8_t value) = 0;
};
TDirectIOSystem& RealDirectIOSystem();

// Port access through direct I/O on a set of bases. Used by the ppdev backend
// for its "Normal" mode, and alone as the "direct" backend.
class TDirectIOBackend : public TPortBackend {
 public:
  TDirectIOBackend(TLptBases bases, TDirectIOSystem& system = RealDirectIOSystem());
  ~TDirectIOBackend() override;

  std::string Name() const override { return "Direct port I/O"; }
  bool Open() override;
  void Close() override;
  bool IsOpen() const override { return open_; }
  std::string LastError() const override { return error_; }
  std::string Advice() const override;
  TLptBases Bases() const override { return bases_; }
  uint8_t Read(int lpt, TPortRegister reg) override;
  void Write(int lpt, TPortRegister reg, uint8_t value) override;
  // Both modes are direct here.
  bool SetHardAccess(bool hard) override { hard_ = hard; return true; }
  bool HardAccess() const override { return hard_; }

 private:
  TLptBases bases_;
  TDirectIOSystem& system_;
  bool permitted_[kLptCount] = {false, false, false};
  bool open_ = false;
  bool noBase_ = false;
  bool hard_ = true;
  std::string error_;
};

// The kernel's parallel-port bases: /proc/sys/dev/parport/parportN/base-addr
// holds the base in decimal first. Missing or unreadable entries give 0.
TLptBases KernelParportBases(const std::function<bool(const std::string&, std::string&)>& readFile);
bool ReadWholeTextFile(const std::string& path, std::string& text);
