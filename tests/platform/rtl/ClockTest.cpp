// The real clock's busy wait counts cycles of the wait counter, not passes of
// a loop; the wait counter is the time-stamp counter only where the kernel
// trusts it.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/rtl/Clock.h"

namespace {

TEST(RealClock, ADelayLoopTurnIsOneCounterCycle) {
  TClock& c = RealClock();
  for (uint32_t n : {0u, 1u, 1000u, 250000u}) {
    const uint64_t t0 = c.ReadWaitCounter();
    c.DelayLoop(n);
    const uint64_t t1 = c.ReadWaitCounter();
    // Never shorter, whatever the processor's speed (a count-down loop runs
    // several turns per cycle).
    EXPECT_GE(t1 - t0, n) << n;
  }
}

TEST(WaitCounterChoice, TheKernelsClockSourceAndEveryProcessorsFlagsDecide) {
  const std::string both = "flags\t\t: fpu tsc constant_tsc rep_good nonstop_tsc cpuid\n";
  struct Case {
    std::string source, cpuinfo;
    TWaitCounterKind kind;
    std::string why;
  } cases[] = {
      {"tsc\n", "processor\t: 0\n" + both + "processor\t: 1\n" + both, wcTimeStampCounter,
       "clock source tsc, constant_tsc, nonstop_tsc"},
      {"hpet\n", both, wcMonotonic, "the kernel's clock source is hpet"},
      {"acpi_pm", both, wcMonotonic, "the kernel's clock source is acpi_pm"},
      {"", both, wcMonotonic, "the kernel's clock source is unknown"},
      {"tsc\n", "flags : fpu tsc constant_tsc\n", wcMonotonic, "the processor lacks nonstop_tsc"},
      {"tsc\n", "flags : fpu tsc nonstop_tsc\n", wcMonotonic, "the processor lacks constant_tsc"},
      // One processor without the flag is enough: a wait may move to it.
      {"tsc\n", both + "flags : fpu tsc constant_tsc\n", wcMonotonic, "the processor lacks nonstop_tsc"},
      // A word that merely contains the flag's name is not the flag.
      {"tsc\n", "flags : constant_tsc_x nonstop_tsc\n", wcMonotonic, "the processor lacks constant_tsc"},
      {"tsc\n", "model name : x\n", wcMonotonic, "the processor's flags are unknown"},
  };
  for (const Case& c : cases) {
    const TWaitCounter w = ChooseWaitCounter(c.source, c.cpuinfo);
    EXPECT_EQ(w.Kind, c.kind) << c.source << " / " << c.cpuinfo;
    EXPECT_EQ(w.Why, c.why) << c.source << " / " << c.cpuinfo;
  }
  EXPECT_EQ(WaitCounterText(ChooseWaitCounter("tsc", both)), "timed by the time-stamp counter");
  EXPECT_EQ(WaitCounterText(ChooseWaitCounter("hpet", both)), "timed by the monotonic clock");
}

TEST(WaitCounterChoice, TheKernelsOwnFilesAreRead) {
  const auto root = std::filesystem::temp_directory_path() / ("velmaron-kernel-" + std::to_string(::getpid()));
  std::filesystem::create_directories(root / "sys/devices/system/clocksource/clocksource0");
  std::filesystem::create_directories(root / "proc");
  std::ofstream(root / "sys/devices/system/clocksource/clocksource0/current_clocksource") << "tsc\n";
  std::ofstream(root / "proc/cpuinfo") << "flags : constant_tsc nonstop_tsc\n";
  EXPECT_EQ(KernelWaitCounter(root.string()).Kind, wcTimeStampCounter);
  // A directory where the file should be: refused without blocking, not trusted.
  std::filesystem::remove(root / "proc/cpuinfo");
  std::filesystem::create_directories(root / "proc/cpuinfo");
  EXPECT_EQ(KernelWaitCounter(root.string()).Why, "the processor's flags are unknown");
  std::filesystem::remove_all(root);
  EXPECT_EQ(KernelWaitCounter(root.string()).Why, "the kernel's clock source is unknown");
}

// A stalled counter would hang a wait counted on it; the monotonic clock ends
// it at its guard.
TEST(WaitCycles, AStalledCounterEndsAtTheGuard) {
  class TStalledClock : public TFakeClock {
   public:
    uint64_t ReadWaitCounter() override {
      Advance(10);  // time goes on, the counter does not
      return 7;
    }
  } clock;
  clock.WaitCycles(1000, 50000);
  EXPECT_GE(clock.Now(), 50000);
  EXPECT_LE(clock.Now(), 50000 + 8 * 10 + 10);
}

}  // namespace
