#include "platform/gui/Feedback.h"

#include <QPainter>
#include <algorithm>
#include <map>

#include "platform/gui/QtBridge.h"

namespace {
std::map<TWinControl*, std::vector<TControlFeedback*>>& Registry() {
  static std::map<TWinControl*, std::vector<TControlFeedback*>> r;
  return r;
}
}  // namespace

TControlFeedback::TControlFeedback(TWinControl* Control) : control_(Control) { Registry()[Control].push_back(this); }

TControlFeedback::~TControlFeedback() {
  auto it = Registry().find(control_);
  if (it == Registry().end()) return;
  auto& v = it->second;
  v.erase(std::remove(v.begin(), v.end(), this), v.end());
  if (v.empty()) Registry().erase(it);
}

void TControlFeedback::SetMarks(const std::vector<TRect>& Marks, TColor Color) {
  for (const TRect& r : marks_) control_->InvalidateRect(r);
  marks_ = Marks;
  color_ = Color;
  for (const TRect& r : marks_) control_->InvalidateRect(r);
}

void GuiPaintFeedback(TWinControl* Control, QPainter* Painter) {
  auto it = Registry().find(Control);
  if (it == Registry().end()) return;
  for (TControlFeedback* f : it->second) {
    if (f->marks_.empty()) continue;
    QColor c = ToQColor(f->color_);
    for (const TRect& r : f->marks_) Painter->fillRect(ToQRect(r), c);
  }
}
