#pragma once
// The window timer: OnTimer every Interval milliseconds through the event loop.

#include <memory>

#include "platform/gui/Controls.h"

class QTimer;

class TTimer : public TComponent {
 public:
  explicit TTimer(TComponent* AOwner);
  ~TTimer() override;
  std::string ClassName() const override { return "TTimer"; }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool v);
  unsigned Interval() const { return interval_; }
  void SetInterval(unsigned v);
  TNotifyEvent OnTimer;
  // Runs OnTimer as a tick would (tests drive timers with it instead of waiting).
  void Tick();

 private:
  void UpdateTimer();
  bool enabled_ = true;
  unsigned interval_ = 1000;
  std::unique_ptr<QTimer> timer_;
};
