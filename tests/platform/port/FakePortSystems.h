#pragma once
// Fakes of the kernel calls behind the ppdev and direct I/O backends. The ppdev
// fake follows the kernel's claim rules: an exclusive claim fails while another
// driver is registered on the port, the exclusive request stays with its
// descriptor, and a claim while another driver uses the port would block.

#include <gtest/gtest.h>

#include <cerrno>
#include <map>
#include <string>

#include "platform/port/DirectIOBackend.h"
#include "platform/port/PpdevBackend.h"

class TFakePpdev : public TPpdevSystem {
 public:
  struct TDev {
    int OpenError = 0;  // errno of open, 0 = opens
    int ClaimError = 0;
    std::string OtherDriver;     // registered on the port too ("lp"), "" = none
    bool OtherUsing = false;     // ... and using the port right now
    bool OtherExclusive = false; // another program holds the port for itself
    std::string Group = "lp";
    bool Claimed = false, Shared = false, Released = false, Closed = false;
    int Opens = 0;
    uint8_t Data = 0, Status = 0x7F, Control = 0x0C;
    int Writes = 0;
  };
  std::map<std::string, TDev> Devs;
  std::map<std::string, std::string> Files;

  // A port the kernel knows, with the files it shows under /proc.
  void KernelPort(int n, int base) {
    const std::string dir = "/proc/sys/dev/parport/parport" + std::to_string(n);
    Files[dir + "/base-addr"] = std::to_string(base) + "\t0\n";
    Files[dir + "/devices/active"] = "none\n";
  }
  // Another driver registered on port n, idle or using it.
  void OtherDriver(int n, const std::string& name, bool using_) {
    const std::string path = "/dev/parport" + std::to_string(n);
    Devs[path].OtherDriver = name;
    Devs[path].OtherUsing = using_;
    const std::string dir = "/proc/sys/dev/parport/parport" + std::to_string(n) + "/devices/";
    Files[dir + name + "/timeslice"] = "200\n";
    Files[dir + "active"] = using_ ? name + "\n" : "none\n";
  }

  TDev& ByFd(int fd) { return Devs[fds_.at(fd).Path]; }
  int Open(const std::string& path) override {
    auto it = Devs.find(path);
    if (it == Devs.end()) return -ENOENT;
    if (it->second.OpenError) return -it->second.OpenError;
    ++it->second.Opens;
    fds_[next_] = {path, false};
    return next_++;
  }
  void Close(int fd) override { ByFd(fd).Closed = true; }
  int Claim(int fd, bool exclusive) override {
    auto& d = ByFd(fd);
    bool& excl = fds_.at(fd).Exclusive;
    excl = excl || exclusive;
    if (d.ClaimError) return -d.ClaimError;
    if (d.OtherExclusive) return -ENXIO;
    if (excl && !d.OtherDriver.empty()) return -ENXIO;
    if (d.OtherUsing) {
      ADD_FAILURE() << "a claim of " << fds_.at(fd).Path << " would wait until " << d.OtherDriver << " lets go";
      return -EBUSY;
    }
    d.Claimed = true;
    d.Shared = !excl;
    return 0;
  }
  int Release(int fd) override { ByFd(fd).Released = true; return 0; }
  int ReadData(int fd, uint8_t& v) override { v = ByFd(fd).Data; return 0; }
  int WriteData(int fd, uint8_t v) override { ByFd(fd).Data = v; ++ByFd(fd).Writes; return 0; }
  int ReadStatus(int fd, uint8_t& v) override { v = ByFd(fd).Status; return 0; }
  int ReadControl(int fd, uint8_t& v) override { v = ByFd(fd).Control; return 0; }
  int WriteControl(int fd, uint8_t v) override { ByFd(fd).Control = v; ++ByFd(fd).Writes; return 0; }
  bool ReadTextFile(const std::string& path, std::string& text) override {
    auto it = Files.find(path);
    if (it == Files.end()) return false;
    text = it->second;
    return true;
  }
  std::string GroupOf(const std::string& path) override {
    auto it = Devs.find(path);
    return it == Devs.end() ? std::string() : it->second.Group;
  }

 private:
  struct TFd {
    std::string Path;
    bool Exclusive;  // an exclusive claim was asked on this descriptor
  };
  std::map<int, TFd> fds_;
  int next_ = 3;
};

class TFakeDirect : public TDirectIOSystem {
 public:
  int RefuseWith = 0;
  std::map<uint16_t, uint8_t> Ports;
  std::map<uint16_t, bool> Permitted;
  int Permit(uint16_t base, unsigned count, bool on) override {
    if (RefuseWith && on) return RefuseWith;
    for (unsigned i = 0; i < count; ++i) Permitted[uint16_t(base + i)] = on;
    return 0;
  }
  uint8_t In(uint16_t port) override {
    EXPECT_TRUE(Permitted[port]) << "read of a port without permission";
    return Ports[port];
  }
  void Out(uint16_t port, uint8_t v) override {
    EXPECT_TRUE(Permitted[port]) << "write to a port without permission";
    Ports[port] = v;
  }
};
