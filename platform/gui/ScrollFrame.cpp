#include "platform/gui/ScrollFrame.h"

#include <QApplication>
#include <QPainter>
#include <QPointer>
#include <QScrollBar>
#include <QStyle>
#include <QWheelEvent>
#include <algorithm>

#include "platform/gui/GuiInternal.h"
#include "platform/gui/QtBridge.h"

namespace {
int LargestPos(const SCROLLINFO& i) { return std::max(i.nMin, i.nMax - std::max<int>(static_cast<int>(i.nPage) - 1, 0)); }
bool NeedsScrolling(const SCROLLINFO& i) {
  return i.nMax > i.nMin && static_cast<long long>(i.nMax) - i.nMin + 1 > static_cast<long long>(i.nPage);
}
}  // namespace

TScrollFrame::TScrollFrame(TWinControl* Control, QWidget* Parent) : TPeer<QWidget>(Control, Parent) {
  barW_ = GetSystemMetrics(SM_CXVSCROLL);
  barH_ = GetSystemMetrics(SM_CYHSCROLL);
  viewport_ = new TPeer<QWidget>(Control, this);
  viewport_->setMouseTracking(true);
  viewport_->setAutoFillBackground(true);
  corner_ = new QWidget(this);
  corner_->setAutoFillBackground(true);
  corner_->hide();
  for (int bar : {SB_VERT, SB_HORZ}) {
    auto* w = new QScrollBar(bar == SB_VERT ? Qt::Vertical : Qt::Horizontal, this);
    w->setFocusPolicy(Qt::NoFocus);
    // The bar paints all of itself: a change of its thumb repaints nothing beneath it.
    w->setAttribute(Qt::WA_OpaquePaintEvent);
    w->setTracking(false);
    w->setSingleStep(1);
    w->hide();
    w->installEventFilter(this);
    QObject::connect(w, &QAbstractSlider::actionTriggered, this, [this, bar](int a) { ActionTriggered(bar, a); });
    // The thumb under the mouse: its place is reported while it moves.
    QObject::connect(w, &QAbstractSlider::sliderMoved, this, [this, bar](int pos) {
      TBarState& s = State(bar);
      s.Dragging = true;
      s.Info.nTrackPos = pos;
      Send(bar, SB_THUMBTRACK, pos);
    });
    QObject::connect(w, &QAbstractSlider::sliderReleased, this, [this, bar] {
      TBarState& s = State(bar);
      if (!s.Dragging) return;
      s.Dragging = false;
      int pos = s.Info.nTrackPos;
      QPointer<TScrollFrame> self(this);
      Send(bar, SB_THUMBPOSITION, pos);
      if (self) Send(bar, SB_ENDSCROLL, 0);
      if (self) PushToWidget(bar);
    });
    State(bar).Widget = w;
  }
  Layout(false);
}

TScrollFrame::~TScrollFrame() = default;

void TScrollFrame::SetBorder(int Pixels) {
  if (Pixels == border_) return;
  border_ = Pixels;
  Layout(true);
  update();
}

QScrollBar* TScrollFrame::Bar(int Bar) const { return State(Bar).Widget; }
bool TScrollFrame::BarShown(int Bar) const { return State(Bar).Shown; }

TRect TScrollFrame::ClientRectFor(int W, int H) const {
  int w = W - 2 * border_ - (vert_.Shown ? barW_ : 0);
  int h = H - 2 * border_ - (horz_.Shown ? barH_ : 0);
  return TRect(0, 0, std::max(0, w), std::max(0, h));
}

void TScrollFrame::Layout(bool BarsChanged) {
  TRect c = ClientRectFor(width(), height());
  QSize old = viewport_->size();
  viewport_->setGeometry(border_, border_, c.Right, c.Bottom);
  int vx = border_ + c.Right, hy = border_ + c.Bottom;
  vert_.Widget->setGeometry(vx, border_, barW_, c.Bottom);
  horz_.Widget->setGeometry(border_, hy, c.Right, barH_);
  vert_.Widget->setVisible(vert_.Shown);
  horz_.Widget->setVisible(horz_.Shown);
  corner_->setGeometry(vx, hy, barW_, barH_);
  corner_->setVisible(vert_.Shown && horz_.Shown);
  // A client area that changes with the bars is a size change of the window's client, as on Windows.
  if (BarsChanged && old != viewport_->size() && Control) Control->Perform(WM_SIZE, 0, MakeLParam(c.Right, c.Bottom));
}

void TScrollFrame::SetBarLook(int Thickness, TColor Color) {
  const int t = Thickness > 0 ? std::clamp(Thickness, 4, 64) : 0;
  barW_ = t ? t : GetSystemMetrics(SM_CXVSCROLL);
  barH_ = t ? t : GetSystemMetrics(SM_CYHSCROLL);
  for (QScrollBar* w : {vert_.Widget, horz_.Widget}) {
    QPalette pal = palette();
    if (Color != clNone) {
      pal.setColor(QPalette::Window, ToQColor(Color));
      pal.setColor(QPalette::Base, ToQColor(Color));
    }
    w->setPalette(pal);
  }
  Layout(true);
}

void TScrollFrame::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  Layout(false);
}

void TScrollFrame::paintEvent(QPaintEvent*) {
  if (border_ <= 0) return;
  QPainter p(this);
  // A sunken edge: shadow and dark shadow outside, light and highlight inside (left/top dark).
  const QPalette& pal = palette();
  QColor outerTL = pal.color(QPalette::Mid), outerBR = pal.color(QPalette::Light);
  QColor innerTL = pal.color(QPalette::Dark), innerBR = pal.color(QPalette::Midlight);
  int w = width(), h = height();
  auto edge = [&](int inset, const QColor& tl, const QColor& br) {
    p.fillRect(inset, inset, w - 2 * inset, 1, tl);
    p.fillRect(inset, inset, 1, h - 2 * inset, tl);
    p.fillRect(inset, h - 1 - inset, w - 2 * inset, 1, br);
    p.fillRect(w - 1 - inset, inset, 1, h - 2 * inset, br);
  };
  edge(0, outerTL, outerBR);
  if (border_ > 1) edge(1, innerTL, innerBR);
  p.end();
  // Then the control may draw over its border (WM_NCPAINT, WParam: a canvas over the whole window).
  if (!Control) return;
  QPainter over(this);
  TControlCanvas canvas(Control);
  canvas.PaintWith(&over, TRect(0, 0, w, h), [&] {
    TMessage m;
    m.Msg = WM_NCPAINT;
    m.WParam = reinterpret_cast<WPARAM>(static_cast<TCanvas*>(&canvas));
    Control->WindowProc(m);
  });
}

int TScrollFrame::SetInfo(int Bar, const SCROLLINFO& Info) {
  TBarState& s = State(Bar);
  if (Info.fMask & SIF_RANGE) {
    s.Info.nMin = Info.nMin;
    s.Info.nMax = Info.nMax;
  }
  if (Info.fMask & SIF_PAGE) s.Info.nPage = Info.nPage;
  if (Info.fMask & SIF_POS) s.Info.nPos = Info.nPos;
  s.Info.nPos = std::clamp(s.Info.nPos, s.Info.nMin, LargestPos(s.Info));
  if (!s.Dragging) s.Info.nTrackPos = s.Info.nPos;
  if (Info.fMask & (SIF_RANGE | SIF_PAGE)) {
    bool needed = NeedsScrolling(s.Info);
    bool shown = needed || (Info.fMask & SIF_DISABLENOSCROLL);
    s.Disabled = needed ? ESB_ENABLE_BOTH : ESB_DISABLE_BOTH;
    if (shown != s.Shown) {
      s.Shown = shown;
      Layout(true);
    }
  }
  PushToWidget(Bar);
  return s.Info.nPos;
}

bool TScrollFrame::GetInfo(int Bar, SCROLLINFO& Info) const {
  const TBarState& s = State(Bar);
  UINT mask = Info.fMask;
  if (mask & SIF_RANGE) {
    Info.nMin = s.Info.nMin;
    Info.nMax = s.Info.nMax;
  }
  if (mask & SIF_PAGE) Info.nPage = s.Info.nPage;
  if (mask & SIF_POS) Info.nPos = s.Info.nPos;
  if (mask & SIF_TRACKPOS) Info.nTrackPos = s.Info.nTrackPos;
  return true;
}

void TScrollFrame::ShowBar(int Bar, bool Show) {
  TBarState& s = State(Bar);
  if (s.Shown == Show) return;
  s.Shown = Show;
  Layout(true);
}

void TScrollFrame::EnableBar(int Bar, UINT Arrows) {
  State(Bar).Disabled = Arrows;
  PushToWidget(Bar);
}

void TScrollFrame::PushToWidget(int Bar) {
  TBarState& s = State(Bar);
  QScrollBar* w = s.Widget;
  if (s.Dragging) return;  // the thumb stays under the mouse until the drag ends
  bool old = pushing_;
  pushing_ = true;
  QSignalBlocker block(w);
  // Page 0 leaves the thumb at the style's one size, as the system's bars do.
  int page = std::max<int>(0, static_cast<int>(s.Info.nPage));
  w->setRange(s.Info.nMin, LargestPos(s.Info));
  w->setPageStep(page);
  w->setValue(s.Info.nPos);
  w->setSliderPosition(s.Info.nPos);
  w->setEnabled(s.Disabled != ESB_DISABLE_BOTH && NeedsScrolling(s.Info));
  pushing_ = old;
}

void TScrollFrame::Send(int Bar, WORD Code, int Pos) {
  TWinControl* c = Control;
  if (!c) return;
  GuiRunDeferred(this, c, [&] { c->Perform(Bar == SB_VERT ? WM_VSCROLL : WM_HSCROLL, MakeScrollWParam(Code, Pos), 0); });
}

void TScrollFrame::ActionTriggered(int Bar, int Action) {
  TBarState& s = State(Bar);
  QScrollBar* w = s.Widget;
  if (Action == QAbstractSlider::SliderMove) {
    // A drag reports through sliderMoved; any other move waits for the control.
    if (!w->isSliderDown()) w->setSliderPosition(w->value());
    return;
  }
  (void)s;
  // The bar moves only when the control sets the new position.
  w->setSliderPosition(w->value());
  WORD code = SB_ENDSCROLL;
  switch (Action) {
    case QAbstractSlider::SliderSingleStepAdd: code = SB_LINEDOWN; break;
    case QAbstractSlider::SliderSingleStepSub: code = SB_LINEUP; break;
    case QAbstractSlider::SliderPageStepAdd: code = SB_PAGEDOWN; break;
    case QAbstractSlider::SliderPageStepSub: code = SB_PAGEUP; break;
    case QAbstractSlider::SliderToMinimum: code = SB_TOP; break;
    case QAbstractSlider::SliderToMaximum: code = SB_BOTTOM; break;
    default: return;
  }
  Send(Bar, code, 0);
}

bool TScrollFrame::eventFilter(QObject* Watched, QEvent* Event) {
  int bar = Watched == vert_.Widget ? SB_VERT : Watched == horz_.Widget ? SB_HORZ : -1;
  if (bar < 0) return false;
  switch (Event->type()) {
    case QEvent::Wheel:
      // The wheel belongs to the window, not to its bar.
      QCoreApplication::sendEvent(viewport_, Event);
      return true;
    case QEvent::MouseButtonRelease:
      if (!State(bar).Widget->isSliderDown()) Send(bar, SB_ENDSCROLL, 0);
      return false;
    default:
      return false;
  }
}

// ---------------------------------------------------------------- the scroll calls
TScrollFrame* ScrollFrameOf(const TWinControl* Control) {
  return Control ? dynamic_cast<TScrollFrame*>(Control->Peer()) : nullptr;
}

TRect ScrollFrameClientRect(const TWinControl* Control, int BorderWithoutWindow) {
  if (TScrollFrame* f = ScrollFrameOf(Control)) return f->ClientRectFor(Control->Width(), Control->Height());
  int b = BorderWithoutWindow;
  return TRect(0, 0, std::max(0, Control->Width() - 2 * b), std::max(0, Control->Height() - 2 * b));
}

namespace {
TScrollFrame* FrameOfWnd(HWND Wnd) { return ScrollFrameOf(FindControl(Wnd)); }
}  // namespace

bool SetScrollBarLook(HWND Wnd, int Thickness, int32_t Color) {
  TScrollFrame* f = FrameOfWnd(Wnd);
  if (!f) return false;
  f->SetBarLook(Thickness, Color);
  return true;
}

bool RedrawFrame(HWND Wnd) {
  TScrollFrame* f = FrameOfWnd(Wnd);
  if (!f) return false;
  f->update();
  return true;
}

int SetScrollInfo(HWND Wnd, int Bar, const SCROLLINFO& Info, bool) {
  TScrollFrame* f = FrameOfWnd(Wnd);
  if (!f || (Bar != SB_VERT && Bar != SB_HORZ)) return 0;
  return f->SetInfo(Bar, Info);
}

bool GetScrollInfo(HWND Wnd, int Bar, SCROLLINFO& Info) {
  TScrollFrame* f = FrameOfWnd(Wnd);
  if (!f || (Bar != SB_VERT && Bar != SB_HORZ)) return false;
  return f->GetInfo(Bar, Info);
}

int SetScrollPos(HWND Wnd, int Bar, int Pos, bool Redraw) {
  int old = GetScrollPos(Wnd, Bar);
  SCROLLINFO i;
  i.fMask = SIF_POS;
  i.nPos = Pos;
  SetScrollInfo(Wnd, Bar, i, Redraw);
  return old;
}

int GetScrollPos(HWND Wnd, int Bar) {
  SCROLLINFO i;
  i.fMask = SIF_POS;
  return GetScrollInfo(Wnd, Bar, i) ? i.nPos : 0;
}

bool SetScrollRange(HWND Wnd, int Bar, int Min, int Max, bool Redraw) {
  SCROLLINFO i;
  i.fMask = SIF_RANGE;
  i.nMin = Min;
  i.nMax = Max;
  return FrameOfWnd(Wnd) && (SetScrollInfo(Wnd, Bar, i, Redraw), true);
}

bool ShowScrollBar(HWND Wnd, int Bar, bool Show) {
  TScrollFrame* f = FrameOfWnd(Wnd);
  if (!f) return false;
  if (Bar == SB_VERT || Bar == SB_BOTH) f->ShowBar(SB_VERT, Show);
  if (Bar == SB_HORZ || Bar == SB_BOTH) f->ShowBar(SB_HORZ, Show);
  return true;
}

bool EnableScrollBar(HWND Wnd, int Bar, UINT Arrows) {
  TScrollFrame* f = FrameOfWnd(Wnd);
  if (!f) return false;
  if (Bar == SB_VERT || Bar == SB_BOTH) f->EnableBar(SB_VERT, Arrows);
  if (Bar == SB_HORZ || Bar == SB_BOTH) f->EnableBar(SB_HORZ, Arrows);
  return true;
}

bool ScrollBarShown(HWND Wnd, int Bar) {
  TScrollFrame* f = FrameOfWnd(Wnd);
  return f && f->BarShown(Bar);
}
