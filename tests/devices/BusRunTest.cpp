#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <stdexcept>

#include "devices/BusRun.h"
#include "platform/rtl/Clock.h"

namespace {

// Each reading of the monotonic clock moves it on by a fixed step.
class TSteppingClock : public TFakeClock {
 public:
  double StepNs = 250000;  // 0.25 ms
  int Reads = 0;
  uint64_t NowNanoseconds() override {
    ++Reads;
    Advance(StepNs);
    return TFakeClock::NowNanoseconds();
  }
};

TEST(RunScope, OneRunAtATimeAndTheControlsComeBackOnEveryPath) {
  TRunFlag flag;
  int restored = 0;
  {
    TRunScope run(flag, [&] { ++restored; });
    ASSERT_TRUE(run.Acquired());
    EXPECT_TRUE(flag.Busy());
    TRunScope second(flag, [&] { restored += 100; });
    EXPECT_FALSE(second.Acquired()) << "a second run must not start while one is going";
  }
  EXPECT_EQ(restored, 1) << "the refused scope must not give back what it never took";
  EXPECT_FALSE(flag.Busy());

  EXPECT_THROW(
      {
        TRunScope run(flag, [&] { ++restored; });
        throw std::runtime_error("fault in the middle of a run");
      },
      std::runtime_error);
  EXPECT_EQ(restored, 2);
  EXPECT_FALSE(flag.Busy()) << "an exception must not leave the window busy for ever";
}

TEST(RunScope, AStopAskedBelongsToTheRunningRunOnly) {
  TRunFlag flag;
  {
    TRunScope run(flag);
    flag.AskStop();
    EXPECT_TRUE(flag.StopAsked());
  }
  TRunScope next(flag);
  EXPECT_FALSE(flag.StopAsked()) << "a new run starts without the old stop";
}

TEST(RunScope, RestoreNowRunsTheActionOnce) {
  TRunFlag flag;
  int restored = 0;
  {
    TRunScope run(flag, [&] { ++restored; });
    run.RestoreNow();
    EXPECT_EQ(restored, 1);
    EXPECT_TRUE(flag.Busy());
  }
  EXPECT_EQ(restored, 1);
}

TEST(Pause, LastsItsTimeOnTheMonotonicClockAndEndsEarlyOnStop) {
  TSteppingClock clock;
  TClockScope scope(clock);
  clock.Advance(5e15);  // far beyond what a 32-bit millisecond tick can hold
  const uint64_t t0 = clock.Now();
  PauseProcessingMessages(100);
  const double waited = clock.Now() - t0;
  EXPECT_GE(waited, 100e6);
  EXPECT_LT(waited, 100e6 + 3 * clock.StepNs);

  int rounds = 0;
  const double t1 = clock.Now();
  PauseProcessingMessages(100, [&] { return ++rounds == 3; });
  EXPECT_EQ(rounds, 3);
  // A round sleeps at most 10 ms: three of them end the pause far before its 100 ms.
  EXPECT_LT(clock.Now() - t1, 3 * 10e6 + 10 * clock.StepNs);

  const double t2 = clock.Now();
  PauseProcessingMessages(0);
  EXPECT_LE(clock.Now() - t2, 2 * clock.StepNs) << "no pause for 0 ms";
  EXPECT_EQ(MonotonicMs(), static_cast<uint64_t>(clock.Now() + clock.StepNs) / 1000000u);
}

// On the real clock, a second's pause costs the process less than 5 % of a processor's second
// and never ends early. Processor time, not the wall clock: a loaded machine slows the pause's
// waking up, not what it spends.
TEST(Pause, ASecondsPauseOnTheRealClockUsesUnderFivePercentOfAProcessor) {
  auto cpuNs = [] {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec * 1000000000LL + ts.tv_nsec;
  };
  const auto wall0 = std::chrono::steady_clock::now();
  const long long cpu0 = cpuNs();
  PauseProcessingMessages(1000);
  const long long cpu = cpuNs() - cpu0;
  const auto wall = std::chrono::steady_clock::now() - wall0;
  EXPECT_GE(wall, std::chrono::milliseconds(1000));
  EXPECT_LT(cpu, 50000000LL) << "processor time of the pause, ns";
}

}  // namespace
