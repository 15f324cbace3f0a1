#pragma once
// The one clock interface: the cycle counter and its identification, the
// millisecond tick, the high-resolution counter and the busy delay loop.
// The running program uses the real clock; tests install a fake clock that
// advances per port access and per loop turn, so timing is exact and fast.

#include <cstdint>
#include <string>

struct TCpuIdLeaf1 {
  bool Available = false;  // the processor has the identification instruction
  uint32_t Eax = 0, Ebx = 0, Ecx = 0, Edx = 0;
};

// The counter that times every wait (the busy delay loop's turns included):
// the processor's time-stamp counter only where the kernel trusts it, else the
// monotonic clock, in nanoseconds. On processors of the parallel port's age the
// counter may follow the core's changing clock, or differ between cores.
enum TWaitCounterKind { wcTimeStampCounter, wcMonotonic };

struct TWaitCounter {
  TWaitCounterKind Kind = wcTimeStampCounter;
  std::string Why;  // the kernel's answers that decided it
};

// Trusted: the kernel keeps its own time on the counter (clock source "tsc")
// and every processor's flags say it runs at one rate in every state
// ("constant_tsc", "nonstop_tsc"). ClockSource is the kernel's current clock
// source, CpuInfo the text of /proc/cpuinfo.
TWaitCounter ChooseWaitCounter(const std::string& ClockSource, const std::string& CpuInfo);
// The same from the kernel's own files under Root ("" = this machine's).
TWaitCounter KernelWaitCounter(const std::string& Root = "");
// One line for the user: "timed by the time-stamp counter" or "timed by the
// monotonic clock".
std::string WaitCounterText(const TWaitCounter& Counter);

class TClock {
 public:
  virtual ~TClock() = default;
  // The counter of every wait, and its cycles (ns for the monotonic clock).
  const TWaitCounter& WaitCounter() const { return waitCounter_; }
  void SetWaitCounter(const TWaitCounter& Counter) { waitCounter_ = Counter; }
  virtual uint64_t ReadWaitCounter() {
    return waitCounter_.Kind == wcTimeStampCounter ? ReadTimeStampCounter() : NowNanoseconds();
  }
  // The wait counter's cycles per ns, roughly (the real clock measures it
  // once, over 5 ms): for guards and costs, not for the bus's timing.
  virtual double WaitCyclesPerNanosecond() = 0;
  // Busy-waits Cycles of the wait counter. The monotonic clock ends the wait
  // GuardNs after its start at the latest, so a counter that stalls cannot
  // hang it.
  void WaitCycles(uint64_t Cycles, uint64_t GuardNs);
  // Busy-waits until the wait counter reads End or more, GuardNs at most;
  // returns the last reading.
  virtual uint64_t WaitUntil(uint64_t End, uint64_t GuardNs);
  // Processor identification, leaf 1.
  virtual TCpuIdLeaf1 CpuId() = 0;
  // 64-bit time-stamp counter (cycles); 0 where there is none.
  virtual uint64_t ReadTimeStampCounter() = 0;
  // Milliseconds since an arbitrary start, 32 bits, wrapping.
  virtual uint32_t GetTickCount() = 0;
  // High-resolution counter; false when unavailable.
  virtual bool QueryPerformanceCounter(int64_t& count) = 0;
  virtual bool QueryPerformanceFrequency(int64_t& frequency) = 0;
  // Busy wait of Count turns. The real clock's turn is one cycle of the wait
  // counter, so a wait lasts the same whatever the processor's speed.
  virtual void DelayLoop(uint32_t count) = 0;
  // Wait-counter cycles a turn of DelayLoop lasts where that is known by
  // construction (the real clock: one); 0 where only a measurement can tell.
  virtual double LoopTurnCycles() { return 0; }
  // Nanoseconds of the monotonic clock since an arbitrary start.
  virtual uint64_t NowNanoseconds() = 0;

 protected:
  TWaitCounter waitCounter_;
};

// The clock in force. Never null: the real clock unless a test installed another.
TClock& Clock();
// Installs a clock (nullptr restores the real one). The caller keeps ownership.
void SetClock(TClock* clock);
// The real clock of this machine.
TClock& RealClock();

// The platform's timing calls, answered by the clock in force.
// Milliseconds since an arbitrary start, 32 bits, wrapping.
uint32_t GetTickCount();
bool QueryPerformanceCounter(int64_t& count);
bool QueryPerformanceFrequency(int64_t& frequency);

// A clock for tests: time moves only when told to, and by a fixed cost per
// call of the busy loop's turns and per reading of the counters.
class TFakeClock : public TClock {
 public:
  // The counter's rate; a change holds from then on, as a processor's clock
  // changes under a counter that follows it.
  double CyclesPerMicrosecond = 1000.0;  // a 1 GHz processor
  double NanosecondsPerLoopTurn = 1.0;
  double NanosecondsPerCounterRead = 0.0;
  double KnownLoopTurnCycles = 0.0;  // what LoopTurnCycles answers
  TCpuIdLeaf1 Leaf1{true, 0x000906EA, 0, 0, 0x00000010};
  bool HasTimeStampCounter = true;
  bool HasPerformanceCounter = true;

  void Advance(double nanoseconds) {
    now_ += nanoseconds;
    cycles_ += nanoseconds * CyclesPerMicrosecond / 1000.0;
  }
  double Now() const { return now_; }

  TCpuIdLeaf1 CpuId() override { return Leaf1; }
  uint64_t ReadTimeStampCounter() override;
  uint64_t ReadWaitCounter() override;
  uint32_t GetTickCount() override;
  bool QueryPerformanceCounter(int64_t& count) override;
  bool QueryPerformanceFrequency(int64_t& frequency) override;
  void DelayLoop(uint32_t count) override { Advance(count * NanosecondsPerLoopTurn); }
  double LoopTurnCycles() override { return KnownLoopTurnCycles; }
  uint64_t NowNanoseconds() override { return static_cast<uint64_t>(now_); }
  double WaitCyclesPerNanosecond() override {
    return waitCounter_.Kind == wcTimeStampCounter ? CyclesPerMicrosecond / 1000.0 : 1.0;
  }
  // Skips the readings that would only move time on, so long waits cost a
  // test nothing; the last few are read as the real loop reads them.
  uint64_t WaitUntil(uint64_t End, uint64_t GuardNs) override;

 private:
  double now_ = 0;
  double cycles_ = 0;
};

// Installs a clock for the lifetime of a scope.
class TClockScope {
 public:
  explicit TClockScope(TClock& c) { SetClock(&c); }
  ~TClockScope() { SetClock(nullptr); }
  TClockScope(const TClockScope&) = delete;
  TClockScope& operator=(const TClockScope&) = delete;
};
