// The clock in force at the start of the main window: what a failed
// calibration leaves, what the status line ends on, the Calibrate command
// without a port.
#include <gtest/gtest.h>

#include "tests/app/MainTestFixture.h"

namespace {

using MainTimingTest = TMainWindowTest<>;

// A delay loop that costs nothing gives a flat line: every calibration fails.
TEST_F(MainTimingTest, FailedCalibrationKeepsTheStoredClockAndShowsOnlyWhatHolds) {
  clock.NanosecondsPerLoopTurn = 0;
  Store("Clock", 100);
  TfrmMain* f = Start();
  EXPECT_FALSE(f->Bus().Calibrated());
  EXPECT_EQ(f->Bus().Clock, 100);  // not lowered to the uncalibrated maximum
  EXPECT_EQ(PanelText(3), "\xE2\x89\xA4" "100 KHz");  // at most: the bus runs no faster
  EXPECT_EQ(StatusText(), TI2CBus::CalibrationSlowText);
  EXPECT_EQ(StatusBack(), clRed);
  Close();
  EXPECT_EQ(StoredInt("Clock"), 100);
}

// Direct access mends the loop: a calibration in Slow access fails, one in
// Normal access succeeds.
class TLoopMendingAdapter : public TSimulatedAdapter {
 public:
  TFakeClock* LoopClock = nullptr;
  bool SetHardAccess(bool hard) override {
    if (LoopClock) LoopClock->NanosecondsPerLoopTurn = hard ? 0 : 1;
    return TSimulatedAdapter::SetHardAccess(hard);
  }
};

using MainTimingMendTest = TMainWindowTest<TLoopMendingAdapter>;

TEST_F(MainTimingMendTest, StatusLineEndsOnTheStateAtTheEndOfStart) {
  sim.LoopClock = &clock;
  Store("Mode", false);
  TfrmMain* f = Start();
  EXPECT_TRUE(f->Bus().Calibrated());
  EXPECT_EQ(StatusText(), "  Hardware ready at LPT1");
  EXPECT_EQ(StatusBack(), clGreen);
  EXPECT_EQ(PanelText(3), "50 KHz");
}

// The start calibrates at the port that answers, at the switch to the stored
// "Normal" mode and at the settings' end.
TEST_F(MainTimingTest, StartCalibratesAtThePortTheModeSwitchAndTheSettingsEnd) {
  Store("Mode", false);
  Store("Clock", 60);
  TfrmMain* f = Start();
  ASSERT_TRUE(f->Bus().Calibrated());
  EXPECT_TRUE(f->mnuFastAccess->Checked());
  EXPECT_EQ(StatusText(), "  Hardware ready at LPT1");
  EXPECT_EQ(PanelText(3), std::to_string(f->Bus().Clock) + " KHz");
  const uint64_t start = sim.AccessCount();
  f->mnuCalibrate->Click();
  const uint64_t one = sim.AccessCount() - start;
  ASSERT_GT(one, 1000u);
  // Everything else of the start (search, detection, mode switch) is a few dozen accesses.
  EXPECT_GT(start, 3 * one - one / 4) << "accesses of the start against one calibration";
  EXPECT_LT(start, 3 * one + one / 4) << "accesses of the start against one calibration";
}

TEST_F(MainTimingTest, CalibrateWithoutAnyPortSaysSoAndTouchesNothing) {
  sim.PortBases = {0, 0, 0};
  TfrmMain* f = Start();
  f->ResetWarning();
  f->mnuCalibrate->Click();
  EXPECT_EQ(StatusText(), TI2CBus::NoPortText);
  EXPECT_EQ(StatusBack(), clRed);
  Close();
  EXPECT_EQ(sim.AccessCount(), 0u);
}

}  // namespace
