// The ppdev and direct I/O backends against fakes of the kernel calls.
#include <gtest/gtest.h>

#include <cerrno>
#include <map>

#include "platform/port/DirectIOBackend.h"
#include "platform/port/PpdevBackend.h"
#include "tests/platform/port/FakePortSystems.h"

namespace {

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
  EXPECT_EQ(b.Name(), "ppdev /dev/parport0 (exclusive claim), /dev/parport1 (exclusive claim)");
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

TEST(PpdevBackend, FailuresLeaveItClosedWithTheSystemsErrorAndWhatToDo) {
  {
    // Nothing at all: no device node, no port the kernel knows.
    TFakePpdev sys;
    TFakeDirect direct;
    TPpdevBackend b(sys, direct);
    EXPECT_FALSE(b.Open());
    EXPECT_FALSE(b.MachineHasPort());
    EXPECT_EQ(b.LastError(), "/dev/parport0: No such file or directory");
    EXPECT_NE(b.Advice().find("no parallel port"), std::string::npos) << b.Advice();
  }
  {
    // The port is there, the user may not open it: the group that owns it, or a udev rule.
    TFakePpdev sys;
    TFakeDirect direct;
    sys.Devs["/dev/parport0"].OpenError = EACCES;
    TPpdevBackend b(sys, direct);
    EXPECT_FALSE(b.Open());
    EXPECT_TRUE(b.MachineHasPort());
    EXPECT_EQ(b.LastError(), "/dev/parport0: Permission denied");
    EXPECT_NE(b.Advice().find("sudo adduser $USER lp"), std::string::npos) << b.Advice();
    EXPECT_NE(b.Advice().find("udev rule"), std::string::npos) << b.Advice();
    sys.Devs["/dev/parport0"].Group = "root";  // no group to join: only the rule helps
    EXPECT_FALSE(b.Open());
    EXPECT_EQ(b.Advice().find("adduser"), std::string::npos) << b.Advice();
    EXPECT_NE(b.Advice().find("udev rule"), std::string::npos) << b.Advice();
  }
  {
    // The kernel lists the port, but ppdev is not loaded.
    TFakePpdev sys;
    TFakeDirect direct;
    sys.KernelPort(0, 0x378);
    TPpdevBackend b(sys, direct);
    EXPECT_FALSE(b.Open());
    EXPECT_TRUE(b.MachineHasPort());
    EXPECT_EQ(b.LastError(), "/dev/parport0: No such file or directory");
    EXPECT_NE(b.Advice().find("modprobe ppdev"), std::string::npos) << b.Advice();
  }
  {
    // A refusal of a later port counts more than a missing first one.
    TFakePpdev sys;
    TFakeDirect direct;
    sys.Devs["/dev/parport1"].OpenError = EACCES;
    TPpdevBackend b(sys, direct);
    EXPECT_FALSE(b.Open());
    EXPECT_EQ(b.LastError(), "/dev/parport1: Permission denied");
  }
  {
    // Any other refusal of the claim: the system's text, the descriptor closed.
    TFakePpdev sys;
    TFakeDirect direct;
    sys.Devs["/dev/parport0"].ClaimError = EIO;
    TPpdevBackend b(sys, direct);
    EXPECT_FALSE(b.Open());
    EXPECT_EQ(b.LastError(), "/dev/parport0: Input/output error");
    EXPECT_TRUE(sys.Devs["/dev/parport0"].Closed);
  }
}

TEST(PpdevBackend, ClaimsExclusivelyWhenAloneAndSharesWithAnIdlePrinterDriver) {
  TFakePpdev sys;
  TFakeDirect direct;
  sys.KernelPort(0, 0x378);
  sys.KernelPort(1, 0x278);
  sys.Devs["/dev/parport0"];
  sys.OtherDriver(1, "lp", false);
  TPpdevBackend b(sys, direct);
  ASSERT_TRUE(b.Open());
  EXPECT_FALSE(b.Shared(0));
  EXPECT_FALSE(sys.Devs["/dev/parport0"].Shared);
  EXPECT_TRUE(b.Shared(1));
  EXPECT_TRUE(sys.Devs["/dev/parport1"].Claimed);
  EXPECT_TRUE(sys.Devs["/dev/parport1"].Shared);
  EXPECT_EQ(sys.Devs["/dev/parport1"].Opens, 2) << "the shared claim needs a descriptor of its own";
  EXPECT_EQ(b.Name(), "ppdev /dev/parport0 (exclusive claim), /dev/parport1 (shared claim with lp)");
  EXPECT_EQ(b.Bases(), (TLptBases{0x378, 0x278, 0}));
  b.Write(1, prData, 0x55);
  EXPECT_EQ(sys.Devs["/dev/parport1"].Data, 0x55);
  b.Close();
  EXPECT_FALSE(b.Shared(1));
  EXPECT_TRUE(sys.Devs["/dev/parport1"].Released);
}

TEST(PpdevBackend, PortInUseOrHeldForItselfIsRefusedWithWhatToDo) {
  {
    // lp is printing: a claim now would wait for it, so none is made.
    TFakePpdev sys;
    TFakeDirect direct;
    sys.KernelPort(0, 0x378);
    sys.OtherDriver(0, "lp", true);
    TPpdevBackend b(sys, direct);
    EXPECT_FALSE(b.Open());
    EXPECT_EQ(b.LastError(), "/dev/parport0: in use by lp");
    EXPECT_NE(b.Advice().find("printer driver lp"), std::string::npos) << b.Advice();
    EXPECT_NE(b.Advice().find("sudo rmmod lp"), std::string::npos) << b.Advice();
    EXPECT_FALSE(sys.Devs["/dev/parport0"].Claimed);
    EXPECT_TRUE(sys.Devs["/dev/parport0"].Closed);
  }
  {
    // Another program has the port for itself: neither claim is granted.
    TFakePpdev sys;
    TFakeDirect direct;
    sys.KernelPort(0, 0x378);
    sys.Devs["/dev/parport0"].OtherExclusive = true;
    TPpdevBackend b(sys, direct);
    EXPECT_FALSE(b.Open());
    EXPECT_TRUE(b.MachineHasPort());
    EXPECT_EQ(b.LastError(), "/dev/parport0: held for itself by another program or driver");
    EXPECT_NE(b.Advice().find("end it"), std::string::npos) << b.Advice();
    EXPECT_FALSE(sys.Devs["/dev/parport0"].Claimed);
  }
  {
    // Busy without a name in /proc: still told, never an empty name.
    TFakePpdev sys;
    TFakeDirect direct;
    sys.Devs["/dev/parport0"].ClaimError = EBUSY;
    TPpdevBackend b(sys, direct);
    EXPECT_FALSE(b.Open());
    EXPECT_EQ(b.LastError(), "/dev/parport0: in use by another driver");
    EXPECT_EQ(b.Advice().find("  "), std::string::npos) << b.Advice();
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
  EXPECT_EQ(b.Name(), "ppdev /dev/parport0 (exclusive claim) (direct I/O)");
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
