#include "platform/gui/Timer.h"

#include <QTimer>

#include "platform/gui/QtPeer.h"

TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner), timer_(new QTimer) {
  QObject::connect(timer_.get(), &QTimer::timeout, timer_.get(), [this] { Tick(); });
  UpdateTimer();
}

TTimer::~TTimer() { timer_->stop(); }

void TTimer::SetEnabled(bool v) {
  if (v == enabled_) return;
  enabled_ = v;
  UpdateTimer();
}

void TTimer::SetInterval(unsigned v) {
  if (v == interval_) return;
  interval_ = v;
  UpdateTimer();
}

void TTimer::UpdateTimer() {
  timer_->stop();
  if (enabled_ && interval_ > 0) timer_->start(static_cast<int>(interval_));
}

void TTimer::Tick() {
  if (!enabled_ || !OnTimer) return;
  GuiRun(static_cast<TComponent*>(this), [this] { FireEvent(OnTimer, this); });
}
