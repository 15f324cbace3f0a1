// The port settings file and the backend choice.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/port/PortConfig.h"
#include "platform/rtl/Clock.h"
#include "platform/rtl/Registry.h"
#include "tests/platform/port/FakePortSystems.h"
#include "tests/platform/rtl/TestSupport.h"

namespace {

TEST(PortConfig, EmptyTextGivesTheDefaultSet) {
  const TPortConfig cfg = ParsePortConfig("");
  EXPECT_TRUE(cfg.Problems.empty());
  EXPECT_EQ(cfg.Backend, TPortBackendKind::Auto);
  auto sim = BuildSimulatedAdapter(cfg);
  EXPECT_EQ(sim->PortBases, (TLptBases{0x378, 0x278, 0}));
  EXPECT_EQ(sim->AdapterPort, 1);
  ASSERT_EQ(sim->Devices().size(), 3u);
  auto* small = dynamic_cast<TSimEeprom*>(sim->Devices()[0].get());
  auto* large = dynamic_cast<TSimEeprom*>(sim->Devices()[1].get());
  auto* regs = dynamic_cast<TSimRegisterDevice*>(sim->Devices()[2].get());
  ASSERT_TRUE(small && large && regs);
  EXPECT_EQ(small->Size(), 256u);
  EXPECT_EQ(large->Size(), 32768u);
  EXPECT_EQ(regs->Registers.size(), 256u);
}

TEST(PortConfig, ReadsEverySection) {
  const TPortConfig cfg = ParsePortConfig(
      "; the lab bench\n"
      "[Backend]\nKind = Simulated\n"
      "[Ports]\nLPT1=0x3BC\nLPT2=\nLPT3=278H\nAdapter=3\n"
      "[Timing]\nSlowAccessNs=1500 ; slower than usual\nNormalAccessNs=0\n"
      "[Faults]\nSdaStuckLow=1\nSclStuckLow=no\nNotFollowingDrive=true\nNoAdapter=0\nInputPin=off\n"
      "[Device1]\nKind=EEPROM\nSize=64K\nAddress=A2\nPageSize=32\nWriteCycleUs=3000\nFill=00\n"
      "[Device2]\nKind=Registers\nCount=16\nAddress=$41\nStretchUs=40\nName=Sensor\nPresent=0\n");
  EXPECT_TRUE(cfg.Problems.empty()) << cfg.Problems.front();
  EXPECT_EQ(cfg.Backend, TPortBackendKind::Simulated);
  auto sim = BuildSimulatedAdapter(cfg);
  EXPECT_EQ(sim->PortBases, (TLptBases{0x3BC, 0, 0x278}));
  EXPECT_EQ(sim->AdapterPort, 3);
  EXPECT_EQ(sim->SlowAccessNs, 1500);
  EXPECT_EQ(sim->NormalAccessNs, 0);
  EXPECT_TRUE(sim->Faults.SdaStuckLow);
  EXPECT_FALSE(sim->Faults.SclStuckLow);
  EXPECT_TRUE(sim->Faults.NotFollowingDrive);
  EXPECT_FALSE(sim->InputPin);
  ASSERT_EQ(sim->Devices().size(), 2u);
  auto* ee = dynamic_cast<TSimEeprom*>(sim->Devices()[0].get());
  ASSERT_NE(ee, nullptr);
  EXPECT_EQ(ee->Size(), 65536u);
  EXPECT_EQ(ee->DeviceAddress(), 0xA2);
  EXPECT_EQ(ee->PageSize(), 32u);
  EXPECT_EQ(ee->WriteCycleMicroseconds, 3000u);
  EXPECT_EQ(ee->Memory[1234], 0x00);
  auto* regs = dynamic_cast<TSimRegisterDevice*>(sim->Find("Sensor"));
  ASSERT_NE(regs, nullptr);
  EXPECT_EQ(regs->DeviceAddress(), 0x40);  // bit 0 cleared
  EXPECT_EQ(regs->Registers.size(), 16u);
  EXPECT_EQ(regs->StretchMicroseconds, 40u);
  EXPECT_FALSE(regs->Present);
}

TEST(PortConfig, BadEntriesAreReportedByLineAndChangeNothing) {
  const TPortConfig cfg = ParsePortConfig(
      "[Backend]\nKind=parallel\n"          // 2
      "[Ports]\nLPT1=zz\nAdapter=4\n"       // 4, 5
      "[Timing]\nSlowAccessNs=-5\n"         // 7
      "[Device1]\nSize=300\nCount=0\nPageSize=512\n"  // 9, 10, (page > size)
      "[Nonsense]\nX=1\n"                   // 12 (its entries are not reported again)
      "orphan line\n");                     // 14
  ASSERT_EQ(cfg.Problems.size(), 9u) << ::testing::PrintToString(cfg.Problems);
  EXPECT_EQ(cfg.Problems[0].rfind("line 2:", 0), 0u) << cfg.Problems[0];
  EXPECT_EQ(cfg.Problems[1].rfind("line 4:", 0), 0u);
  EXPECT_EQ(cfg.Problems[2].rfind("line 5:", 0), 0u);
  EXPECT_EQ(cfg.Problems[3].rfind("line 7:", 0), 0u);
  EXPECT_EQ(cfg.Problems[4].rfind("line 9:", 0), 0u);
  EXPECT_EQ(cfg.Problems[5].rfind("line 10:", 0), 0u);
  EXPECT_EQ(cfg.Problems[6], "line 12: unknown section [nonsense]");
  EXPECT_EQ(cfg.Problems[7], "line 14: expected key=value");
  EXPECT_NE(cfg.Problems[8].find("page size"), std::string::npos);
  EXPECT_EQ(cfg.Backend, TPortBackendKind::Auto);
  EXPECT_EQ(cfg.Ports[0], 0x378);
  EXPECT_EQ(cfg.AdapterPort, 1);
  EXPECT_EQ(cfg.SlowAccessNs, 1000);
  ASSERT_EQ(cfg.Devices.size(), 1u);
  EXPECT_EQ(cfg.Devices[0].Size, 256u);
  EXPECT_EQ(cfg.Devices[0].PageSize, 0u);
  EXPECT_EQ(BuildSimulatedAdapter(cfg)->Devices().size(), 1u);
}

// A file at the size cap, of one entry repeated, asks for no more than the readers hold: devices
// per bus address, problems said as an excerpt each and summed up after the first few.
TEST(PortConfig, AbsurdCountsAreHeldToWhatABusHolds) {
  std::string many;
  while (many.size() < size_t(MaxPortConfigBytes) - 64) many += "[Device]\nSize=64K\n";
  const TPortConfig cfg = ParsePortConfig(many);
  EXPECT_EQ(cfg.Devices.size(), MaxSimDevices);
  ASSERT_EQ(cfg.Problems.size(), 1u);
  EXPECT_NE(cfg.Problems[0].find("the rest are left out"), std::string::npos) << cfg.Problems[0];

  const TPortConfig bad = ParsePortConfig("[Ports]\nLPT1=" + std::string(1 << 20, '7') + "\n");
  ASSERT_EQ(bad.Problems.size(), 1u);
  EXPECT_LT(bad.Problems[0].size(), 200u) << "the bad line is quoted as an excerpt";
}

TEST(PortConfig, MissingFileIsNoProblemUnreadableOneIs) {
  const auto dir = std::filesystem::temp_directory_path() / "velmaron-portcfg-test";
  std::filesystem::create_directories(dir);
  EXPECT_TRUE(LoadPortConfig((dir / "none.ini").string()).Problems.empty());
  const auto path = dir / "port.ini";
  {
    std::ofstream out(path);
    out << "[Ports]\nAdapter=2\nLPT1=xyz\n";
  }
  const TPortConfig cfg = LoadPortConfig(path.string());
  EXPECT_EQ(cfg.AdapterPort, 2);
  ASSERT_EQ(cfg.Problems.size(), 1u);
  EXPECT_NE(cfg.Problems[0].find(path.string() + " line 3"), std::string::npos);
  EXPECT_FALSE(LoadPortConfig(dir.string()).Problems.empty()) << "a folder is not a settings file";
  // A link that leads nowhere is no missing file: it is said like any other unreadable one.
  const struct {
    const char* name;
    std::string target;
  } links[] = {{"loop.ini", (dir / "loop.ini").string()}, {"dangling.ini", (dir / "none.ini").string()}};
  for (const auto& l : links) {
    SCOPED_TRACE(l.name);
    ASSERT_EQ(symlink(l.target.c_str(), (dir / l.name).c_str()), 0);
    const TPortConfig linked = LoadPortConfig((dir / l.name).string());
    ASSERT_EQ(linked.Problems.size(), 1u);
    EXPECT_NE(linked.Problems[0].find("cannot be read"), std::string::npos) << linked.Problems[0];
  }
  std::filesystem::remove_all(dir);
}

TEST(PortConfig, FileThatIsNoRegularFileOrTooLargeIsAProblemReadAtOnce) {
  TTempDir dir;
  for (THostileFile kind : kHostileFiles) {
    SCOPED_TRACE(HostileName(kind));
    const std::string file = dir.File(std::string(HostileName(kind)) + ".ini");
    ASSERT_TRUE(MakeHostileFile(kind, file, MaxPortConfigBytes, "[Ports]\nAdapter=2\n"));
    const int code = ExitCodeWithin(10, [&] {
      const TPortConfig cfg = LoadPortConfig(file);
      if (cfg.AdapterPort != TPortConfig{}.AdapterPort) return 1;
      if (cfg.Problems.size() != 1 || cfg.Problems[0].find("cannot be read") == std::string::npos) return 2;
      return 0;
    });
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(StillHostileFile(kind, file, MaxPortConfigBytes));
  }
}

TEST(PortBackendChoice, KindNamesRoundTrip) {
  for (auto k : {TPortBackendKind::Auto, TPortBackendKind::Ppdev, TPortBackendKind::Direct,
                 TPortBackendKind::Simulated}) {
    TPortBackendKind back = TPortBackendKind::Auto;
    ASSERT_TRUE(ParsePortBackendKind(PortBackendKindName(k), back));
    EXPECT_EQ(back, k);
  }
  TPortBackendKind k = TPortBackendKind::Ppdev;
  EXPECT_FALSE(ParsePortBackendKind("lpt", k));
  EXPECT_EQ(k, TPortBackendKind::Ppdev);
}

TEST(PortBackendChoice, TestRunsGetTheSimulatedDefaultAndInstalledBackendsWin) {
  setenv("VELMARON_TEST", "1", 1);
  TOpenedBackend opened = OpenPortBackend();
  ASSERT_NE(opened.Backend, nullptr);
  EXPECT_EQ(opened.Backend->Name(), "Simulated adapter");
  EXPECT_TRUE(opened.Backend->IsOpen());
  EXPECT_EQ(opened.Owned.get(), opened.Backend);

  TSimulatedAdapter mine;
  {
    TPortBackendScope scope(mine);
    TOpenedBackend again = OpenPortBackend();
    EXPECT_EQ(again.Backend, &mine);
    EXPECT_EQ(again.Owned, nullptr);
    EXPECT_TRUE(mine.IsOpen());
  }
  EXPECT_EQ(InstalledPortBackend(), nullptr);
}

TEST(PortBackendChoice, OnlyAMachineWithoutAnyPortGetsTheSimulationUnasked) {
  TFakeClock clock;  // the simulated adapter's accesses cost time
  TClockScope cs(clock);
  TPortConfig config;  // Kind=auto
  config.Problems.push_back("port.ini line 2: expected key=value");
  {
    TFakePpdev sys;
    TFakeDirect direct;
    TOpenedBackend opened = OpenConfiguredBackend(config, sys, direct);
    EXPECT_EQ(opened.Backend->Name(), "Simulated adapter");
    EXPECT_TRUE(opened.Backend->IsOpen());
    EXPECT_EQ(opened.SimulatedReason, "no parallel port on this machine");
    EXPECT_EQ(opened.Notes, "port.ini line 2: expected key=value");
  }
  {
    TPortConfig damaged = config;
    for (int i = 3; i < 10; ++i) damaged.Problems.push_back("line " + std::to_string(i) + ": expected key=value");
    TFakePpdev sys;
    TFakeDirect direct;
    const std::string notes = OpenConfiguredBackend(damaged, sys, direct).Notes;
    EXPECT_NE(notes.find("line 6:"), std::string::npos) << notes;
    EXPECT_EQ(notes.find("line 7:"), std::string::npos) << "the first five are named, the rest counted: " << notes;
    EXPECT_NE(notes.find("and 3 more"), std::string::npos) << notes;
  }
  // A port that is there but cannot be had is an error, never the simulation.
  auto expectClosedPpdev = [&](TFakePpdev& sys, const std::string& error, const std::string& advicePart) {
    TFakeDirect direct;
    TOpenedBackend opened = OpenConfiguredBackend(config, sys, direct);
    EXPECT_EQ(opened.SimulatedReason, "");
    EXPECT_FALSE(opened.Backend->IsOpen());
    EXPECT_EQ(opened.Backend->Name(), "ppdev");
    EXPECT_EQ(opened.Backend->LastError(), error);
    EXPECT_NE(opened.Backend->Advice().find(advicePart), std::string::npos) << opened.Backend->Advice();
  };
  {
    TFakePpdev sys;
    sys.Devs["/dev/parport0"].OpenError = EACCES;
    expectClosedPpdev(sys, "/dev/parport0: Permission denied", "adduser");
  }
  {
    TFakePpdev sys;
    sys.KernelPort(0, 0x378);  // ppdev not loaded
    expectClosedPpdev(sys, "/dev/parport0: No such file or directory", "modprobe ppdev");
  }
  {
    TFakePpdev sys;
    sys.KernelPort(0, 0x378);
    sys.OtherDriver(0, "lp", true);
    expectClosedPpdev(sys, "/dev/parport0: in use by lp", "rmmod lp");
  }
  {
    // A port with an idle printer driver is used, shared.
    TFakePpdev sys;
    TFakeDirect direct;
    sys.KernelPort(0, 0x378);
    sys.OtherDriver(0, "lp", false);
    TOpenedBackend opened = OpenConfiguredBackend(config, sys, direct);
    EXPECT_TRUE(opened.Backend->IsOpen());
    EXPECT_EQ(opened.SimulatedReason, "");
    EXPECT_EQ(opened.Backend->Name(), "ppdev /dev/parport0 (shared claim with lp)");
  }
  // Asking for ppdev on a machine without a port: told, not simulated.
  config.Backend = TPortBackendKind::Ppdev;
  {
    TFakePpdev sys;
    expectClosedPpdev(sys, "/dev/parport0: No such file or directory", "no parallel port");
  }
}

TEST(PortBackendChoice, ChosenBackendsSayWhatRunsAndWhy) {
  TFakeClock clock;
  TClockScope cs(clock);
  TPortConfig config;
  config.Backend = TPortBackendKind::Simulated;
  config.Ports = {0x3BC, 0, 0};
  TFakePpdev sys;
  sys.Devs["/dev/parport0"];  // a port there does not matter: the simulation was asked for
  TFakeDirect direct;
  {
    TOpenedBackend opened = OpenConfiguredBackend(config, sys, direct);
    EXPECT_EQ(opened.Backend->Name(), "Simulated adapter");
    EXPECT_EQ(opened.SimulatedReason, "chosen in the port settings");
    EXPECT_EQ(opened.Backend->Bases(), (TLptBases{0x3BC, 0, 0}));
    EXPECT_FALSE(sys.Devs["/dev/parport0"].Claimed);
  }
  config.Backend = TPortBackendKind::Direct;
  direct.RefuseWith = EPERM;
  {
    TOpenedBackend opened = OpenConfiguredBackend(config, sys, direct);
    EXPECT_FALSE(opened.Backend->IsOpen());
    EXPECT_EQ(opened.SimulatedReason, "");
    EXPECT_EQ(opened.Backend->LastError(), "ioperm 0x3bc: Operation not permitted");
    EXPECT_NE(opened.Backend->Advice().find("root"), std::string::npos) << opened.Backend->Advice();
  }
  direct.RefuseWith = 0;
  sys.KernelPort(0, 0x378);  // the kernel's base wins over the file's
  {
    TOpenedBackend opened = OpenConfiguredBackend(config, sys, direct);
    EXPECT_TRUE(opened.Backend->IsOpen());
    EXPECT_EQ(opened.Backend->Bases(), (TLptBases{0x378, 0, 0}));
    EXPECT_EQ(opened.Backend->Advice(), "");
  }
}

TEST(PortBackendChoice, PortSettingsAndRegistryLiveInOneFolder) {
  TEnvScope test("VELMARON_TEST", nullptr);
  TEnvScope own("VELMARON_CONFIG_DIR", nullptr);
  TEnvScope home("HOME", "/home/ann");
  for (const char* xdg : {"relative/cfg", "/srv/cfg"}) {
    TEnvScope scope("XDG_CONFIG_HOME", xdg);
    const std::string folder = xdg[0] == '/' ? "/srv/cfg/velmaron" : "/home/ann/.config/velmaron";
    EXPECT_EQ(DefaultPortConfigPath(), folder + "/port.ini") << xdg;
    EXPECT_EQ(TRegistry::StoreFileName(), folder + "/registry") << xdg;
  }
}

}  // namespace
