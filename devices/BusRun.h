#pragma once
// What every message window needs around a bus run: one busy flag per window,
// a stop that always follows a start, the window's controls given back on
// every path, and a monotonic 64-bit millisecond clock that tests control
// (the clock in force, platform/rtl/Clock.h).

#include <cstdint>
#include <functional>

#include "app/bus/I2CBus.h"

// Milliseconds since an arbitrary start on the monotonic clock in force.
uint64_t MonotonicMs();

// One per window. Busy while a send, a sequence or a continuous run is going;
// StopAsked once the user (Stop) or closing the window asked the run to end.
class TRunFlag {
 public:
  bool Busy() const { return busy_; }
  bool StopAsked() const { return stop_; }
  void AskStop() { stop_ = true; }

 private:
  friend class TRunScope;
  bool busy_ = false;
  bool stop_ = false;
};

// Holds a window's flag for one run. When the flag is already held, Acquired()
// is false and the caller starts nothing. The restore action runs when the
// scope ends, on every path (exceptions included), and the flag is freed after it.
class TRunScope {
 public:
  explicit TRunScope(TRunFlag& Flag, std::function<void()> Restore = {});
  ~TRunScope();
  TRunScope(const TRunScope&) = delete;
  TRunScope& operator=(const TRunScope&) = delete;
  bool Acquired() const { return acquired_; }
  // Runs the restore action now (once); the flag stays held until the scope ends.
  void RestoreNow();

 private:
  TRunFlag& flag_;
  std::function<void()> restore_;
  bool acquired_ = false;
};

// One message on the main window's bus. Once a start has been tried, the stop
// is sent when the transfer ends, whatever happened in between (a fault, an
// early return, an exception); Stop() sends it earlier, once.
class TBusTransfer {
 public:
  TBusTransfer() = default;
  ~TBusTransfer();
  TBusTransfer(const TBusTransfer&) = delete;
  TBusTransfer& operator=(const TBusTransfer&) = delete;

  I2CStatus Start();  // also the repeated start
  uint8_t Write(uint8_t Data);
  uint8_t Read(uint8_t Last, uint8_t& Ack);
  void Stop();
  bool Started() const { return started_; }

 private:
  bool started_ = false;
};

// Holds the main window's bus for a scope in which a run that has it processes
// window messages: every other window's bus operation is refused meanwhile.
class TBusHold {
 public:
  explicit TBusHold(bool Hold = true);
  ~TBusHold();
  TBusHold(const TBusHold&) = delete;
  TBusHold& operator=(const TBusHold&) = delete;

 private:
  bool held_;
};

// Lifts one hold for a scope: the run that holds the bus uses it itself
// meanwhile (its own window's button between its passes); the hold comes back after.
class TBusHoldLift {
 public:
  explicit TBusHoldLift(bool Lift);
  ~TBusHoldLift();
  TBusHoldLift(const TBusHoldLift&) = delete;
  TBusHoldLift& operator=(const TBusHoldLift&) = delete;

 private:
  bool lifted_;
};

// Processes pending window messages until Milliseconds have passed on the
// monotonic clock or Stop() answers true (tested after each round).
void PauseProcessingMessages(uint64_t Milliseconds, const std::function<bool()>& Stop = {});
