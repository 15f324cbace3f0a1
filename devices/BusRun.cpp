#include "devices/BusRun.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "app/bus/MainHost.h"
#include "platform/gui/Forms.h"
#include "platform/rtl/Clock.h"

uint64_t MonotonicMs() { return Clock().NowNanoseconds() / 1000000u; }

TRunScope::TRunScope(TRunFlag& Flag, std::function<void()> Restore) : flag_(Flag) {
  if (flag_.busy_) return;
  flag_.busy_ = true;
  flag_.stop_ = false;
  acquired_ = true;
  restore_ = std::move(Restore);
}

void TRunScope::RestoreNow() {
  if (!restore_) return;
  auto r = std::move(restore_);
  restore_ = nullptr;
  r();
}

TRunScope::~TRunScope() {
  if (!acquired_) return;
  try {
    RestoreNow();
  } catch (...) {
    // The flag must be freed even when giving the controls back failed.
  }
  flag_.busy_ = false;
}

TBusTransfer::~TBusTransfer() { Stop(); }

I2CStatus TBusTransfer::Start() {
  started_ = true;
  return MainHost ? MainHost->I2CStart() : I2CStatus(255);
}

uint8_t TBusTransfer::Write(uint8_t Data) { return MainHost ? MainHost->I2CWrite(Data) : uint8_t(128); }

uint8_t TBusTransfer::Read(uint8_t Last, uint8_t& Ack) {
  if (!MainHost) {
    Ack = 128;
    return 0xFF;
  }
  return MainHost->I2CRead(Last, Ack);
}

void TBusTransfer::Stop() {
  if (!started_) return;
  started_ = false;
  if (MainHost) MainHost->I2CStop();
}

TBusHold::TBusHold(bool Hold) : held_(Hold && MainHost) {
  if (held_) MainHost->HoldBus(true);
}

TBusHold::~TBusHold() {
  if (held_ && MainHost) MainHost->HoldBus(false);
}

TBusHoldLift::TBusHoldLift(bool Lift) : lifted_(Lift && MainHost) {
  if (lifted_) MainHost->HoldBus(false);
}

TBusHoldLift::~TBusHoldLift() {
  if (lifted_ && MainHost) MainHost->HoldBus(true);
}

namespace {
// The longest sleep of a pause: between two, the window is drawn and Stop is seen.
constexpr uint64_t kPauseSliceNs = 10000000u;
// The end of a pause is busy-waited, since a sleep may wake up late.
constexpr uint64_t kPauseSpinNs = 1000000u;
// Turns of the wait counter between two readings of the clock in that busy wait.
constexpr uint32_t kSpinTurns = 1000u;

void SleepNanoseconds(uint64_t Ns) {
  // A test's clock stands still while the thread sleeps: it moves on by the time slept.
  if (auto* fake = dynamic_cast<TFakeClock*>(&Clock())) return fake->Advance(static_cast<double>(Ns));
  std::this_thread::sleep_for(std::chrono::nanoseconds(Ns));
}
}  // namespace

void PauseProcessingMessages(uint64_t Milliseconds, const std::function<bool()>& Stop) {
  // Nanoseconds, so a pause is exact to the clock's resolution, not to the millisecond tick.
  const uint64_t end = Clock().NowNanoseconds() + Milliseconds * 1000000u;
  bool first = true;
  for (uint64_t now = Clock().NowNanoseconds(); now < end; now = Clock().NowNanoseconds()) {
    if (first || end - now > kPauseSpinNs) {
      first = false;
      if (Application) Application->ProcessMessages();
      if (Stop && Stop()) return;
      now = Clock().NowNanoseconds();
      if (now >= end) return;
    }
    if (end - now > kPauseSpinNs)
      SleepNanoseconds(std::min(end - now - kPauseSpinNs, kPauseSliceNs));
    else
      Clock().DelayLoop(kSpinTurns);  // a test's clock moves only when it is waited on
  }
}
