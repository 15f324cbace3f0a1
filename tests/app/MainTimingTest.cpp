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

// Direct access mends the loop: the port search's calibration (Slow) fails,
// the ones after the stored "Normal" mode is applied succeed.
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
