// The real clock's busy wait counts cycles of the time-stamp counter, not
// passes of a loop.
#include <gtest/gtest.h>

#include "platform/rtl/Clock.h"

namespace {

TEST(RealClock, ADelayLoopTurnIsOneCounterCycle) {
  TClock& c = RealClock();
  for (uint32_t n : {0u, 1u, 1000u, 250000u}) {
    const uint64_t t0 = c.ReadTimeStampCounter();
    c.DelayLoop(n);
    const uint64_t t1 = c.ReadTimeStampCounter();
    // Never shorter, whatever the processor's speed (a count-down loop runs
    // several turns per cycle).
    EXPECT_GE(t1 - t0, n) << n;
  }
}

}  // namespace
