#include "platform/gui/ComCtrls.h"

#include <QSlider>
#include <algorithm>
#include <cmath>

#include "platform/gui/QtBridge.h"
#include "platform/gui/QtPeer.h"
#include "platform/gui/Timer.h"
#include "platform/rtl/SysUtils.h"

// ================================================================ TCustomUpDown
TCustomUpDown::TCustomUpDown(TComponent* AOwner) : TCustomControl(AOwner) {
  controlStyle_ = csCaptureMouse | csOpaque | csDoubleClicks;
  width_ = 17;
  height_ = 25;
  color_ = clBtnFace;
}

TCustomUpDown::~TCustomUpDown() { Unhook(); }

void TCustomUpDown::Unhook() {
  if (!associate_) return;
  associate_->WindowProc = oldWindowProc_;
  associate_->RemoveFreeNotification(this);
  associate_ = nullptr;
}

void TCustomUpDown::SetAssociate(TWinControl* v) {
  if (v == associate_) return;
  Unhook();
  if (!v) return;
  associate_ = v;
  v->FreeNotification(this);
  oldWindowProc_ = v->WindowProc;
  // The associate's arrow keys step the position, as the arrows do.
  v->WindowProc = [this](TMessage& m) {
    if (arrowKeys_ && m.Msg == WM_KEYDOWN && (m.WParam == VK_UP || m.WParam == VK_DOWN)) {
      Step(m.WParam == VK_UP ? btNext : btPrev);
      m.WParam = 0;
      m.Result = 1;
      return;
    }
    oldWindowProc_(m);
  };
  if (parent_ == nullptr && v->Parent()) SetParent(v->Parent());
  if (alignButton_ == udRight || alignButton_ == udLeft) {
    v->SetWidth(std::max(0, v->Width() - width_));
    PlaceNextToAssociate();
  }
  UpdateAssociate();
}

void TCustomUpDown::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == associate_) associate_ = nullptr;
}

void TCustomUpDown::SetAlignButton(TUDAlignButton v) {
  if (v == alignButton_) return;
  alignButton_ = v;
  PlaceNextToAssociate();
}

void TCustomUpDown::PlaceNextToAssociate() {
  if (!associate_) return;
  int x = alignButton_ == udRight ? associate_->Left() + associate_->Width() : associate_->Left() - width_;
  SetBounds(x, associate_->Top(), width_, associate_->Height());
}

void TCustomUpDown::BoundsChanged() {
  TCustomControl::BoundsChanged();
  Invalidate();
}

void TCustomUpDown::SetMin(int v) {
  min_ = v;
  SetPosition(position_);
}

void TCustomUpDown::SetMax(int v) {
  max_ = v;
  SetPosition(position_);
}

std::string TCustomUpDown::FormatPosition(int v) const {
  std::string s = IntToStr(v < 0 ? -static_cast<int64_t>(v) : v);
  if (thousands_)
    for (int i = static_cast<int>(s.size()) - 3; i > 0; i -= 3)
      s.insert(static_cast<size_t>(i), 1, FormatSettings.ThousandSeparator);
  return v < 0 ? "-" + s : s;
}

int TCustomUpDown::Position() const {
  if (associate_) {
    std::string t;
    for (char c : associate_->Text())
      if (c != FormatSettings.ThousandSeparator || !thousands_) t += c;
    int v = 0;
    if (TryStrToInt(Trim(t), v)) position_ = std::clamp(v, std::min(min_, max_), std::max(min_, max_));
  }
  return position_;
}

void TCustomUpDown::SetPosition(int v) {
  position_ = std::clamp(v, std::min(min_, max_), std::max(min_, max_));
  UpdateAssociate();
}

void TCustomUpDown::SetOrientation(TUDOrientation v) {
  if (v == orientation_) return;
  orientation_ = v;
  Invalidate();
}

void TCustomUpDown::SetThousands(bool v) {
  thousands_ = v;
  UpdateAssociate();
}

void TCustomUpDown::UpdateAssociate() {
  if (associate_) associate_->SetText(FormatPosition(position_));
}

void TCustomUpDown::Step(TUDBtnType Button) {
  int lo = std::min(min_, max_), hi = std::max(min_, max_);
  int delta = increment_ * (Button == btNext ? 1 : -1) * (max_ >= min_ ? 1 : -1);
  int cur = Position();
  int nv = cur + delta;
  if (nv > hi) nv = wrap_ ? lo : hi;
  if (nv < lo) nv = wrap_ ? hi : lo;
  bool allow = true;
  FireEvent(OnChanging, this, allow);
  FireEvent(OnChangingEx, this, allow, nv, Button == btNext ? updUp : updDown);
  if (!allow) return;
  position_ = nv;
  UpdateAssociate();
  FireEvent(OnClick, this, Button);
}

void TCustomUpDown::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TCustomControl::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft || !enabled_) return;
  bool next = orientation_ == udVertical ? Y < height_ / 2 : X >= width_ / 2;
  pressed_ = next ? 0 : 1;
  Invalidate();
  Step(next ? btNext : btPrev);
  if (!timer_) {
    timer_ = new TTimer(this);
    timer_->OnTimer = [this](TObject*) {
      timer_->SetInterval(100);
      if (pressed_ >= 0) Step(pressed_ == 0 ? btNext : btPrev);
    };
  }
  timer_->SetInterval(400);
  timer_->SetEnabled(true);
}

void TCustomUpDown::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (timer_) timer_->SetEnabled(false);
  pressed_ = -1;
  Invalidate();
  TCustomControl::MouseUp(Button, Shift, X, Y);
}

void TCustomUpDown::KeyDown(WORD& Key, TShiftState Shift) {
  TCustomControl::KeyDown(Key, Shift);
  if (!arrowKeys_) return;
  if (Key == VK_UP || Key == VK_RIGHT) Step(btNext);
  else if (Key == VK_DOWN || Key == VK_LEFT) Step(btPrev);
}

void TCustomUpDown::WMGetDlgCode(TMessage& Message) { Message.Result = arrowKeys_ ? DLGC_WANTARROWS : 0; }

void TCustomUpDown::Paint() {
  TCanvas* c = Canvas();
  c->Brush()->SetColor(clBtnFace);
  TRect first, second;
  if (orientation_ == udVertical) {
    first = TRect(0, 0, width_, height_ / 2);
    second = TRect(0, height_ / 2, width_, height_);
  } else {
    first = TRect(width_ / 2, 0, width_, height_);
    second = TRect(0, 0, width_ / 2, height_);
  }
  unsigned dis = enabled_ ? 0 : DFCS_INACTIVE;
  c->DrawFrameControl(first, DFC_SCROLL,
                      (orientation_ == udVertical ? DFCS_SCROLLUP : DFCS_SCROLLRIGHT) | dis |
                          (pressed_ == 0 ? DFCS_PUSHED : 0));
  c->DrawFrameControl(second, DFC_SCROLL,
                      (orientation_ == udVertical ? DFCS_SCROLLDOWN : DFCS_SCROLLLEFT) | dis |
                          (pressed_ == 1 ? DFCS_PUSHED : 0));
}

// ================================================================ TTrackBar
TTrackBar::TTrackBar(TComponent* AOwner) : TWinControl(AOwner) {
  width_ = 150;
  height_ = 45;
  tabStop_ = true;
  color_ = clBtnFace;
  parentColor_ = true;
}

void TTrackBar::SetMin(int v) {
  min_ = v;
  if (max_ < min_) max_ = min_;
  SetPosition(position_);
  PushToPeer();
}

void TTrackBar::SetMax(int v) {
  max_ = v;
  if (min_ > max_) min_ = max_;
  SetPosition(position_);
  PushToPeer();
}

void TTrackBar::SetPosition(int v) {
  v = std::clamp(v, min_, max_);
  if (v == position_) return;
  position_ = v;
  PushToPeer();
  Changed();
}

void TTrackBar::SetOrientation(TTrackBarOrientation v) {
  if (v == orientation_) return;
  orientation_ = v;
  SetBounds(left_, top_, height_, width_);
  PushToPeer();
}

void TTrackBar::SetFrequency(int v) {
  frequency_ = std::max(1, v);
  PushToPeer();
}

void TTrackBar::SetTickStyle(TTickStyle v) {
  tickStyle_ = v;
  PushToPeer();
}

void TTrackBar::SetTickMarks(TTickMark v) {
  tickMarks_ = v;
  PushToPeer();
}

void TTrackBar::SetLineSize(int v) {
  lineSize_ = std::max(1, v);
  PushToPeer();
}

void TTrackBar::SetPageSize(int v) {
  pageSize_ = std::max(1, v);
  PushToPeer();
}

void TTrackBar::Changed() {
  FireEvent(OnChange, this);
}

void TTrackBar::PushToPeer() {
  auto* s = dynamic_cast<QSlider*>(peer_);
  if (!s || pushing_) return;
  pushing_ = true;
  s->setOrientation(orientation_ == trHorizontal ? Qt::Horizontal : Qt::Vertical);
  s->setRange(min_, max_);
  s->setValue(position_);
  s->setSingleStep(lineSize_);
  s->setPageStep(pageSize_);
  s->setTickInterval(frequency_);
  QSlider::TickPosition tp = QSlider::NoTicks;
  if (tickStyle_ != tsNone)
    tp = tickMarks_ == tmBoth ? QSlider::TicksBothSides
         : tickMarks_ == tmTopLeft ? QSlider::TicksAbove : QSlider::TicksBelow;
  s->setTickPosition(tp);
  pushing_ = false;
}

QWidget* TTrackBar::CreatePeer(QWidget* ParentWidget) {
  auto* s = new TPeer<QSlider>(this, ParentWidget);
  QObject::connect(s, &QSlider::valueChanged, s, [s](int v) {
    TPeerBase* p = PeerOf(s);
    auto* t = p ? dynamic_cast<TTrackBar*>(p->Control) : nullptr;
    if (!t || t->pushing_) return;
    GuiRun(t, [t, v] { t->SetPosition(v); });
  });
  return s;
}

void TTrackBar::CreateWnd() {
  TWinControl::CreateWnd();
  PushToPeer();
}

// ================================================================ TProgressBar
TProgressBar::TProgressBar(TComponent* AOwner) : TCustomControl(AOwner) {
  controlStyle_ |= csOpaque;
  width_ = 150;
  height_ = 16;
  color_ = clBtnFace;
}

void TProgressBar::SetMin(int v) {
  min_ = v;
  position_ = std::clamp(position_, min_, std::max(min_, max_));
  Invalidate();
}

void TProgressBar::SetMax(int v) {
  max_ = v;
  position_ = std::clamp(position_, min_, std::max(min_, max_));
  Invalidate();
}

void TProgressBar::SetPosition(int v) {
  v = std::clamp(v, min_, std::max(min_, max_));
  if (v == position_) return;
  position_ = v;
  Invalidate();
}

void TProgressBar::SetSmooth(bool v) {
  smooth_ = v;
  Invalidate();
}

void TProgressBar::SetOrientation(TProgressBarOrientation v) {
  if (v == orientation_) return;
  orientation_ = v;
  Invalidate();
}

void TProgressBar::SetBarColor(TColor v) {
  barColor_ = v;
  Invalidate();
}

void TProgressBar::StepIt() {
  int v = position_ + step_;
  if (v > max_) v = min_;
  SetPosition(v);
}

void TProgressBar::StepBy(int Delta) { SetPosition(position_ + Delta); }

void TProgressBar::Paint() {
  TCanvas* c = Canvas();
  TRect r = ClientRect();
  c->Brush()->SetColor(color_);
  c->FillRect(r);
  c->DrawEdge(r, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
  r = TRect(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1);
  int range = max_ - min_;
  if (range <= 0 || r.Right <= r.Left || r.Bottom <= r.Top) return;
  bool horizontal = orientation_ == pbHorizontal;
  int extent = horizontal ? r.Right - r.Left : r.Bottom - r.Top;
  int fill = static_cast<int>(static_cast<int64_t>(position_ - min_) * extent / range);
  c->Brush()->SetColor(barColor_ == clDefault ? clHighlight : barColor_);
  if (smooth_) {
    c->FillRect(horizontal ? TRect(r.Left, r.Top, r.Left + fill, r.Bottom)
                           : TRect(r.Left, r.Bottom - fill, r.Right, r.Bottom));
    return;
  }
  int thick = horizontal ? r.Bottom - r.Top : r.Right - r.Left;
  int block = std::max(2, thick * 2 / 3), gap = 2;
  for (int at = 0; at < fill; at += block + gap) {
    int len = std::min(block, extent - at);
    c->FillRect(horizontal ? TRect(r.Left + at, r.Top, r.Left + at + len, r.Bottom)
                           : TRect(r.Left, r.Bottom - at - len, r.Right, r.Bottom - at));
  }
}

// ================================================================ TGauge
TGauge::TGauge(TComponent* AOwner) : TGraphicControl(AOwner) {
  controlStyle_ |= csFramed | csOpaque;
  width_ = 100;
  height_ = 100;
  parentColor_ = true;
}

void TGauge::SetKind(TGaugeKind v) {
  if (v == kind_) return;
  kind_ = v;
  Invalidate();
}

void TGauge::SetMinValue(int v) {
  if (v == minValue_) return;
  minValue_ = std::min(v, maxValue_);
  progress_ = std::max(progress_, minValue_);
  Invalidate();
}

void TGauge::SetMaxValue(int v) {
  if (v == maxValue_) return;
  maxValue_ = std::max(v, minValue_);
  progress_ = std::min(progress_, maxValue_);
  Invalidate();
}

void TGauge::SetProgress(int v) {
  v = std::clamp(v, minValue_, maxValue_);
  if (v == progress_) return;
  progress_ = v;
  Invalidate();
}

int TGauge::PercentDone() const {
  int span = maxValue_ - minValue_;
  if (span == 0) return 0;
  return static_cast<int>(static_cast<int64_t>(progress_ - minValue_) * 100 / span);
}

void TGauge::SetForeColor(TColor v) {
  if (v == foreColor_) return;
  foreColor_ = v;
  Invalidate();
}

void TGauge::SetBackColor(TColor v) {
  if (v == backColor_) return;
  backColor_ = v;
  Invalidate();
}

void TGauge::SetShowText(bool v) {
  if (v == showText_) return;
  showText_ = v;
  Invalidate();
}

void TGauge::SetBorderStyle(TBorderStyle v) {
  if (v == borderStyle_) return;
  borderStyle_ = v;
  Invalidate();
}

void TGauge::Paint() {
  TCanvas* c = Canvas();
  TRect r = ClientRect();
  if (borderStyle_ == bsSingle) {
    c->Brush()->SetColor(clBlack);
    c->FrameRect(r);
    r = TRect(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1);
  }
  c->Brush()->SetColor(backColor_);
  c->Brush()->SetStyle(bsSolid);
  c->FillRect(r);
  int w = r.Right - r.Left, h = r.Bottom - r.Top;
  int pct = PercentDone();
  c->Brush()->SetColor(foreColor_);
  c->Pen()->SetColor(foreColor_);
  switch (kind_) {
    case gkHorizontalBar: c->FillRect(TRect(r.Left, r.Top, r.Left + w * pct / 100, r.Bottom)); break;
    case gkVerticalBar: c->FillRect(TRect(r.Left, r.Bottom - h * pct / 100, r.Right, r.Bottom)); break;
    case gkPie: {
      if (pct >= 100) {
        c->Ellipse(r);
      } else if (pct > 0) {
        double a = 3.14159265358979 / 2 - 2 * 3.14159265358979 * pct / 100;
        int cx = (r.Left + r.Right) / 2, cy = (r.Top + r.Bottom) / 2;
        c->Pie(r.Left, r.Top, r.Right, r.Bottom, static_cast<int>(cx + w * std::cos(a)),
               static_cast<int>(cy - h * std::sin(a)), cx, r.Top);
      }
      break;
    }
    case gkNeedle: {
      double a = 3.14159265358979 * (1 - pct / 100.0);
      int cx = (r.Left + r.Right) / 2;
      c->Pen()->SetColor(foreColor_);
      c->MoveTo(cx, r.Bottom - 1);
      c->LineTo(static_cast<int>(cx + (w / 2) * std::cos(a)), static_cast<int>(r.Bottom - 1 - (h - 1) * std::sin(a)));
      break;
    }
    case gkText: break;
  }
  if (!showText_) return;
  std::string s = IntToStr(pct) + "%";
  c->Brush()->SetStyle(bsClear);
  c->SetFont(font_.get());
  int x = r.Left + (w - c->TextWidth(s)) / 2, y = r.Top + (h - c->TextHeight(s)) / 2;
  c->TextRect(r, x, y, s);
}
