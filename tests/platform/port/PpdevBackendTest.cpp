// The ppdev and direct I/O backends against fakes of the kernel calls.
#include <gtest/gtest.h>

#include <cerrno>
#include <map>

#include "platform/port/DirectIOBackend.h"
#include "platform/port/PpdevBackend.h"

namespace {

class TFakePpdev : public TPpdevSystem {
 public:
  struct TDev {
    int OpenError = 0;   // errno of open, 0 = opens
    int ClaimError = 0;
    bool Claimed = false, Released = false, Closed = false;
    uint8_t Data = 0, Status = 0x7F, Control = 0x0C;
    int Writes = 0;
  };
  std::map<std::string, TDev> Devs;
  std::map<std::string, std::string> Files;

  TDev& ByFd(int fd) { return Devs[paths_.at(fd)]; }
  int Open(const std::string& path) override {
    auto it = Devs.find(path);
    if (it == Devs.end()) return -ENOENT;
    if (it->second.OpenError) return -it->second.OpenError;
    paths_[next_] = path;
    return next_++;
  }
  void Close(int fd) override { ByFd(fd).Closed = true; }
  int Claim(int fd) override {
    auto& d = ByFd(fd);
    if (d.ClaimError) return -d.ClaimError;
    d.Claimed = true;
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

 private:
  std::map<int, std::string> paths_;
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

TEST(PpdevBackend, ClaimsEachPortAndTakesTheKernelsBases) {
  TFakePpdev sys;
  TFakeDirect direct;
  sys.Devs["/dev/parport0"];
  sys.Devs["/dev/parport1"];
  sys.Files["/proc/sys/dev/parport/parport0/base-addr"] = "888\t1912\n";
  TPpdevBackend b(sys, direct);
  ASSERT_TRUE(b.Open());
  EXPECT_EQ(b.Bases(), (TLptBases{0x378, 0x278, 0}));  // no kernel entry: the usual base
  EXPECT_TRUE(sys.Devs["/dev/parport0"].Claimed);
  EXPECT_EQ(b.Name(), "ppdev /dev/parport0, /dev/parport1");
  EXPECT_EQ(b.LastError(), "");
  b.Close();
  EXPECT_TRUE(sys.Devs["/dev/parport0"].Released);
  EXPECT_TRUE(sys.Devs["/dev/parport1"].Closed);
  EXPECT_FALSE(b.IsOpen());
}

TEST(PpdevBackend, RegistersGoThroughTheDeviceCalls) {
  TFakePpdev sys;
  TFakeDirect direct;
  sys.Devs["/dev/parport0"].Status = 0x87;
  TPpdevBackend b(sys, direct);
  ASSERT_TRUE(b.Open());
  b.Write(0, prData, 0x7F);
  b.Write(0, prControl, 0x04);
  b.Write(0, prStatus, 0x00);  // read only: no call
  EXPECT_EQ(sys.Devs["/dev/parport0"].Data, 0x7F);
  EXPECT_EQ(sys.Devs["/dev/parport0"].Control, 0x04);
  EXPECT_EQ(sys.Devs["/dev/parport0"].Writes, 2);
  EXPECT_EQ(b.Read(0, prStatus), 0x87);
  EXPECT_EQ(b.Read(0, prControl), 0x04);
  sys.Devs["/dev/parport0"].Data = 0x00;  // lines pulled elsewhere: the latch still reads back
  EXPECT_EQ(b.Read(0, prData), 0x7F);
  EXPECT_EQ(b.Read(1, prStatus), 0xFF) << "a port that is not claimed";
}

TEST(PpdevBackend, FailuresLeaveItClosedWithTheSystemsError) {
  {
    TFakePpdev sys;
    TFakeDirect direct;
    TPpdevBackend b(sys, direct);
    EXPECT_FALSE(b.Open());
    EXPECT_EQ(b.LastError(), "/dev/parport0: No such file or directory");
  }
  {
    TFakePpdev sys;
    TFakeDirect direct;
    sys.Devs["/dev/parport0"].OpenError = EACCES;
    TPpdevBackend b(sys, direct);
    EXPECT_FALSE(b.Open());
    EXPECT_EQ(b.LastError(), "/dev/parport0: Permission denied");
  }
  {
    TFakePpdev sys;
    TFakeDirect direct;
    sys.Devs["/dev/parport0"].ClaimError = EBUSY;
    TPpdevBackend b(sys, direct);
    EXPECT_FALSE(b.Open());
    EXPECT_EQ(b.LastError(), "/dev/parport0: Device or resource busy");
    EXPECT_TRUE(sys.Devs["/dev/parport0"].Closed);
  }
}

TEST(PpdevBackend, NormalAccessUsesDirectIOWhereAllowed) {
  TFakePpdev sys;
  TFakeDirect direct;
  sys.Devs["/dev/parport0"];
  TPpdevBackend b(sys, direct);
  ASSERT_TRUE(b.Open());
  direct.RefuseWith = EPERM;
  EXPECT_FALSE(b.SetHardAccess(false));
  EXPECT_TRUE(b.HardAccess());
  EXPECT_EQ(b.LastError(), "ioperm 0x378: Operation not permitted");

  direct.RefuseWith = 0;
  ASSERT_TRUE(b.SetHardAccess(false));
  EXPECT_FALSE(b.HardAccess());
  EXPECT_EQ(b.Name(), "ppdev /dev/parport0 (direct I/O)");
  b.Write(0, prControl, 0x04);
  EXPECT_EQ(direct.Ports[0x37A], 0x04);
  EXPECT_EQ(sys.Devs["/dev/parport0"].Writes, 0);
  direct.Ports[0x379] = 0x80;
  EXPECT_EQ(b.Read(0, prStatus), 0x80);

  ASSERT_TRUE(b.SetHardAccess(true));
  EXPECT_FALSE(direct.Permitted[0x378]) << "permission given back";
  b.Write(0, prControl, 0x0C);
  EXPECT_EQ(sys.Devs["/dev/parport0"].Control, 0x0C);
}

TEST(DirectIOBackend, TouchesOnlyPermittedPorts) {
  TFakeDirect direct;
  TDirectIOBackend b({0x378, 0, 0x3BC}, direct);
  ASSERT_TRUE(b.Open());
  b.Write(0, prData, 0x55);
  b.Write(1, prData, 0x55);  // no port
  b.Write(0, prStatus, 0x00);
  EXPECT_EQ(direct.Ports.size(), 1u);
  EXPECT_EQ(direct.Ports[0x378], 0x55);
  EXPECT_EQ(b.Read(1, prData), 0xFF);
  b.Close();
  EXPECT_FALSE(direct.Permitted[0x3BE]);

  TFakeDirect refusing;
  refusing.RefuseWith = EPERM;
  TDirectIOBackend r({0x378, 0, 0}, refusing);
  EXPECT_FALSE(r.Open());
  EXPECT_EQ(r.LastError(), "ioperm 0x378: Operation not permitted");
  EXPECT_EQ(r.Bases(), (TLptBases{0, 0, 0}));
}

TEST(KernelParportBases, ReadsDecimalBasesAndSkipsBadEntries) {
  std::map<std::string, std::string> files{
      {"/proc/sys/dev/parport/parport0/base-addr", "888\t1912\n"},
      {"/proc/sys/dev/parport/parport1/base-addr", "garbage"},
      {"/proc/sys/dev/parport/parport2/base-addr", "956 1980"}};
  auto read = [&](const std::string& p, std::string& t) {
    auto it = files.find(p);
    if (it == files.end()) return false;
    t = it->second;
    return true;
  };
  EXPECT_EQ(KernelParportBases(read), (TLptBases{0x378, 0, 0x3BC}));
}

}  // namespace
