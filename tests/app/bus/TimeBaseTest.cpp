// TInstHPTimeBase: identification and the clock sources' fallback chain, all
// on an injected clock (no test spends a real second).
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>

#include <unistd.h>

#include "app/bus/InstHPTimerFunc.h"
#include "platform/rtl/Clock.h"

namespace {

class TimeBaseTest : public ::testing::Test {
 protected:
  TimeBaseTest() : scope_(clock_) {
    clock_.NanosecondsPerCounterRead = 1000;  // 1 µs per reading: a fake second is 10^6 turns
    dir_ = std::filesystem::temp_directory_path() / ("velmaron-timebase-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir_);
    SetCpuInfo(std::nullopt);
  }
  ~TimeBaseTest() override {
    SetCpuInfoPath("");
    std::filesystem::remove_all(dir_);
  }
  // nullopt: no cpuinfo at all.
  void SetCpuInfo(const std::optional<std::string>& text) {
    const auto path = dir_ / "cpuinfo";
    std::filesystem::remove(path);
    if (text) std::ofstream(path) << *text;
    SetCpuInfoPath(path.string());
  }

  TFakeClock clock_;
  TClockScope scope_;
  std::filesystem::path dir_;
};

TEST_F(TimeBaseTest, IdentifiesTheProcessorFromLeafOne) {
  clock_.Leaf1 = {true, 0x000036A9, 0, 0, 0x00000010};
  TInstHPTimeBase tb(nullptr);
  EXPECT_TRUE(tb.IDAvailable());
  EXPECT_EQ(tb.ProcessorType(), 3);
  EXPECT_EQ(tb.Family(), 6);
  EXPECT_EQ(tb.Model(), 10);
  EXPECT_EQ(tb.Stepping(), 9);
  EXPECT_TRUE(tb.HasTimeStamp());
  EXPECT_TRUE(tb.SupportTimeStamp());
  EXPECT_EQ(tb.ClassName(), "TInstHPTimeBase");
}

// The processor list is read without blocking and within its limit: a pipe or a link to an endless
// device in its place gives no speed instead of a start that never ends.
TEST_F(TimeBaseTest, ACpuListThatIsNoRegularFileGivesNoSpeedAtOnce) {
  for (const char* kind : {"fifo", "zero"}) {
    const std::string path = (dir_ / kind).string();
    ASSERT_EQ(std::string(kind) == "fifo" ? ::mkfifo(path.c_str(), 0600) : ::symlink("/dev/zero", path.c_str()), 0);
    SetCpuInfoPath(path);
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      ::alarm(10);
      std::_Exit(GetCPUSpeedFromRegistry() == 0 ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << kind << ": status " << status;
  }
}

TEST_F(TimeBaseTest, CounterMeasurementComesFirst) {
  SetCpuInfo("cpu MHz\t\t: 2400.000\n");
  clock_.CyclesPerMicrosecond = 1234.5;
  TInstHPTimeBase tb(nullptr);
  EXPECT_NEAR(tb.CPUSpeedMhz(), 1234.5, 0.01);
}

// A fake clock whose readings may be held up, as a preemption holds up the
// measuring thread: Hold says for how long (ns), given which reading it is.
class THeldClock : public TFakeClock {
 public:
  std::function<double(bool Counter, int Number)> Hold;  // Counter: the time-stamp counter, else the high-resolution one
  uint64_t ReadTimeStampCounter() override {
    if (Hold) Advance(Hold(true, ++tsc_));
    return TFakeClock::ReadTimeStampCounter();
  }
  bool QueryPerformanceCounter(int64_t& count) override {
    if (Hold) Advance(Hold(false, ++qpc_));
    return TFakeClock::QueryPerformanceCounter(count);
  }
  uint32_t GetTickCount() override {
    if (Hold) Advance(Hold(false, ++qpc_));
    return TFakeClock::GetTickCount();
  }

 private:
  int tsc_ = 0, qpc_ = 0;
};

// The rate is the counter's within 0.1 % wherever a preemption of 50 ms
// falls: near the end of the second (the loop then overruns it), or
// between the readings that pair the two counters at either end.
TEST(TimeBaseUnderPreemption, RateIsTheCountersWhereverAPreemptionFalls) {
  const double second = 1e9, held = 50e6;
  struct Case {
    const char* where;
    bool tickCount;  // no high-resolution counter: the tick count measures
    std::function<double(THeldClock&, bool, int)> hold;
  } cases[] = {
      {"the end of the second", false,
       [&](THeldClock& c, bool counter, int) { return !counter && c.Now() > second && c.Now() < second + 5000 ? held : 0; }},
      {"the first pairing", false, [&](THeldClock&, bool counter, int n) { return counter && n == 1 ? held : 0.0; }},
      {"seven tries of the last pairing", false,
       [&](THeldClock&, bool counter, int n) { return counter && n >= 9 && n <= 15 ? held : 0.0; }},
      {"the end of the tick count's second", true,
       [&](THeldClock& c, bool counter, int) { return !counter && c.Now() > second && c.Now() < second + 5000 ? held : 0; }},
  };
  for (const Case& k : cases) {
    THeldClock clock;
    TClockScope scope(clock);
    clock.NanosecondsPerCounterRead = 1000;
    clock.CyclesPerMicrosecond = 1234.5;
    clock.HasPerformanceCounter = !k.tickCount;
    SetCpuInfoPath("/nonexistent");
    clock.Hold = [&](bool counter, int n) { return k.hold(clock, counter, n); };
    TInstHPTimeBase tb(nullptr);
    SetCpuInfoPath("");
    EXPECT_NEAR(tb.CPUSpeedMhz(), 1234.5, 1234.5 * (k.tickCount ? 2e-3 : 1e-3)) << k.where;
    EXPECT_GT(clock.Now(), second + held) << k.where << ": no preemption met";
  }
}

TEST_F(TimeBaseTest, CounterMissingFallsBackToTheSystemsFigure) {
  clock_.HasPerformanceCounter = false;
  SetCpuInfo("processor\t: 0\ncpu MHz\t\t: 2400.500\n\nprocessor\t: 1\ncpu MHz\t\t: 800.000\n");
  TInstHPTimeBase tb(nullptr);
  EXPECT_DOUBLE_EQ(tb.CPUSpeedMhz(), 2400.5);
  EXPECT_EQ(tb.MeasureCPUSpeed(), 0);
}

TEST_F(TimeBaseTest, WithoutIdentificationOnlyTheSystemsFigureIsUsed) {
  clock_.Leaf1.Available = false;
  SetCpuInfo("cpu MHz : 1800\n");
  TInstHPTimeBase tb(nullptr);
  EXPECT_FALSE(tb.IDAvailable());
  EXPECT_FALSE(tb.HasTimeStamp());
  EXPECT_EQ(tb.Family() + tb.Model() + tb.Stepping() + tb.ProcessorType(), 0);
  EXPECT_DOUBLE_EQ(tb.CPUSpeedMhz(), 1800.0);
}

TEST_F(TimeBaseTest, AllButTheTickCountMissing) {
  clock_.HasPerformanceCounter = false;
  clock_.CyclesPerMicrosecond = 500;
  TInstHPTimeBase tb(nullptr);
  // A whole second from the tick edge: 500 MHz within a few counter readings.
  EXPECT_NEAR(tb.CPUSpeedMhz(), 500.0, 0.01);
}

TEST_F(TimeBaseTest, EverySourceMissingLeavesZero) {
  clock_.HasPerformanceCounter = false;
  clock_.HasTimeStampCounter = false;
  clock_.Leaf1.Edx = 0;
  TInstHPTimeBase tb(nullptr);
  EXPECT_EQ(tb.CPUSpeedMhz(), 0.0);
}

TEST_F(TimeBaseTest, PublishedPropertiesIgnoreWrites) {
  TInstHPTimeBase tb(nullptr);
  const double mhz = tb.CPUSpeedMhz();
  tb.SetCPUSpeedMhz(1.0);
  tb.SetIDAvailable(false);
  tb.SetFamily(1);
  tb.SetHasTimeStamp(false);
  EXPECT_EQ(tb.CPUSpeedMhz(), mhz);
  EXPECT_TRUE(tb.IDAvailable());
  EXPECT_EQ(tb.Family(), 6);
  EXPECT_TRUE(tb.HasTimeStamp());
}

TEST(CpuInfoText, FirstPositiveFigureWins) {
  EXPECT_EQ(CpuInfoMhz(""), 0.0);
  EXPECT_EQ(CpuInfoMhz("model name : x\nBogoMIPS : 50.00\n"), 0.0);
  EXPECT_EQ(CpuInfoMhz("cpu MHz : 0.000\ncpu MHz : 933.1\n"), 933.1);
  EXPECT_EQ(CpuInfoMhz("cpu MHz : junk\ncpu MHz : 1000\n"), 1000.0);
  EXPECT_EQ(CpuInfoMhz("cpu MHz : nan\ncpu MHz : -5\n"), 0.0);
}

}  // namespace
