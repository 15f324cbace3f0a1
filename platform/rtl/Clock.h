#pragma once
// The one clock interface: the cycle counter and its identification, the
// millisecond tick, the high-resolution counter and the busy delay loop.
// The running program uses the real clock; tests install a fake clock that
// advances per port access and per loop turn, so timing is exact and fast.

#include <cstdint>

struct TCpuIdLeaf1 {
  bool Available = false;  // the processor has the identification instruction
  uint32_t Eax = 0, Ebx = 0, Ecx = 0, Edx = 0;
};

class TClock {
 public:
  virtual ~TClock() = default;
  // Processor identification, leaf 1.
  virtual TCpuIdLeaf1 CpuId() = 0;
  // 64-bit time-stamp counter (cycles); 0 where there is none.
  virtual uint64_t ReadTimeStampCounter() = 0;
  // Milliseconds since an arbitrary start, 32 bits, wrapping.
  virtual uint32_t GetTickCount() = 0;
  // High-resolution counter; false when unavailable.
  virtual bool QueryPerformanceCounter(int64_t& count) = 0;
  virtual bool QueryPerformanceFrequency(int64_t& frequency) = 0;
  // Busy wait of Count turns. The real clock's turn is one cycle of the
  // time-stamp counter, so a wait lasts the same whatever the processor's speed.
  virtual void DelayLoop(uint32_t count) = 0;
  // Nanoseconds since an arbitrary start (for logs and tests).
  virtual uint64_t NowNanoseconds() = 0;
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
  double CyclesPerMicrosecond = 1000.0;  // a 1 GHz processor
  double NanosecondsPerLoopTurn = 1.0;
  double NanosecondsPerCounterRead = 0.0;
  TCpuIdLeaf1 Leaf1{true, 0x000906EA, 0, 0, 0x00000010};
  bool HasTimeStampCounter = true;
  bool HasPerformanceCounter = true;

  void Advance(double nanoseconds) { now_ += nanoseconds; }
  double Now() const { return now_; }

  TCpuIdLeaf1 CpuId() override { return Leaf1; }
  uint64_t ReadTimeStampCounter() override;
  uint32_t GetTickCount() override;
  bool QueryPerformanceCounter(int64_t& count) override;
  bool QueryPerformanceFrequency(int64_t& frequency) override;
  void DelayLoop(uint32_t count) override { now_ += count * NanosecondsPerLoopTurn; }
  uint64_t NowNanoseconds() override { return static_cast<uint64_t>(now_); }

 private:
  double now_ = 0;
};

// Installs a clock for the lifetime of a scope.
class TClockScope {
 public:
  explicit TClockScope(TClock& c) { SetClock(&c); }
  ~TClockScope() { SetClock(nullptr); }
  TClockScope(const TClockScope&) = delete;
  TClockScope& operator=(const TClockScope&) = delete;
};
