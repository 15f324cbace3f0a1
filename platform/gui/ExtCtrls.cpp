#include "platform/gui/ExtCtrls.h"

#include <QApplication>
#include <QEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <algorithm>

#include "platform/gui/QtBridge.h"
#include "platform/gui/QtPeer.h"

namespace {
TWinControl* LiveControlOf(QWidget* w) {
  TPeerBase* p = PeerOf(w);
  return p ? p->Control : nullptr;
}
}  // namespace

void Frame3D(TCanvas* Canvas, TRect& Rect, TColor TopColor, TColor BottomColor, int Width) {
  Canvas->Pen()->SetWidth(1);
  Rect.Bottom -= 1;
  Rect.Right -= 1;
  for (; Width > 0; --Width) {
    TPoint topLeft(Rect.Left, Rect.Top), topRight(Rect.Right, Rect.Top);
    TPoint bottomLeft(Rect.Left, Rect.Bottom), bottomRight(Rect.Right, Rect.Bottom);
    Canvas->Pen()->SetColor(TopColor);
    Canvas->Polyline({bottomLeft, topLeft, topRight});
    Canvas->Pen()->SetColor(BottomColor);
    bottomLeft.X -= 1;
    Canvas->Polyline({topRight, bottomRight, bottomLeft});
    Rect.Left += 1, Rect.Top += 1, Rect.Right -= 1, Rect.Bottom -= 1;
  }
  Rect.Bottom += 1;
  Rect.Right += 1;
}

// ================================================================ TBevel
TBevel::TBevel(TComponent* AOwner) : TGraphicControl(AOwner) {
  controlStyle_ |= csReplicatable;
  width_ = 50;
  height_ = 50;
  parentColor_ = true;
}

void TBevel::SetShape(TBevelShape v) {
  if (v == shape_) return;
  shape_ = v;
  Invalidate();
}

void TBevel::SetStyle(TBevelStyle v) {
  if (v == style_) return;
  style_ = v;
  Invalidate();
}

void TBevel::Paint() {
  TCanvas* c = Canvas();
  c->Pen()->SetWidth(1);
  TColor c1 = style_ == bsLowered ? clBtnShadow : clBtnHighlight;
  TColor c2 = style_ == bsLowered ? clBtnHighlight : clBtnShadow;
  auto rect = [&](TColor a, TColor b, const TRect& r) {
    c->Pen()->SetColor(a);
    c->Polyline({TPoint(r.Left, r.Bottom), TPoint(r.Left, r.Top), TPoint(r.Right, r.Top)});
    c->Pen()->SetColor(b);
    c->Polyline({TPoint(r.Right, r.Top), TPoint(r.Right, r.Bottom), TPoint(r.Left, r.Bottom)});
  };
  auto line = [&](TColor col, int x1, int y1, int x2, int y2) {
    c->Pen()->SetColor(col);
    c->MoveTo(x1, y1);
    c->LineTo(x2, y2);
  };
  int w = width_, h = height_;
  switch (shape_) {
    case bsBox: rect(c1, c2, TRect(0, 0, w - 1, h - 1)); break;
    case bsFrame:
      rect(c2, c2, TRect(1, 1, w - 1, h - 1));
      rect(c1, c1, TRect(0, 0, w - 2, h - 2));
      break;
    case bsTopLine: line(c1, 0, 0, w, 0), line(c2, 0, 1, w, 1); break;
    case bsBottomLine: line(c1, 0, h - 2, w, h - 2), line(c2, 0, h - 1, w, h - 1); break;
    case bsLeftLine: line(c1, 0, 0, 0, h), line(c2, 1, 0, 1, h); break;
    case bsRightLine: line(c1, w - 2, 0, w - 2, h), line(c2, w - 1, 0, w - 1, h); break;
    case bsSpacer: break;
  }
}

// ================================================================ TCustomPanel
TCustomPanel::TCustomPanel(TComponent* AOwner) : TCustomControl(AOwner) {
  controlStyle_ = csAcceptsControls | csCaptureMouse | csClickEvents | csSetCaption | csOpaque | csDoubleClicks |
                  csReplicatable;
  clickFocus_ = false;  // containers never take the focus on a click
  width_ = 185;
  height_ = 41;
  color_ = clBtnFace;
  parentColor_ = false;
  brush_->SetColor(color_);
}

void TCustomPanel::BordersChanged() {
  Realign();
  Invalidate();
}

void TCustomPanel::SetAlignment(TAlignment v) {
  if (v == alignment_) return;
  alignment_ = v;
  Invalidate();
}

void TCustomPanel::SetBevelInner(TPanelBevel v) {
  if (v == bevelInner_) return;
  bevelInner_ = v;
  BordersChanged();
}

void TCustomPanel::SetBevelOuter(TPanelBevel v) {
  if (v == bevelOuter_) return;
  bevelOuter_ = v;
  BordersChanged();
}

void TCustomPanel::SetBevelWidth(int v) {
  v = std::max(1, v);
  if (v == bevelWidth_) return;
  bevelWidth_ = v;
  BordersChanged();
}

void TCustomPanel::SetBorderStyle(TBorderStyle v) {
  if (v == borderStyle_) return;
  borderStyle_ = v;
  BordersChanged();
}

void TCustomPanel::AdjustClientRect(TRect& Rect) {
  TCustomControl::AdjustClientRect(Rect);
  int d = (borderStyle_ == bsSingle ? 2 : 0) + (bevelOuter_ != bvNone ? bevelWidth_ : 0) +
          (bevelInner_ != bvNone ? bevelWidth_ : 0);
  Rect.Left += d, Rect.Top += d, Rect.Right -= d, Rect.Bottom -= d;
}

void TCustomPanel::Paint() {
  TCanvas* c = Canvas();
  TRect r = ClientRect();
  auto bevel = [&](TPanelBevel b) {
    TColor top = b == bvLowered ? clBtnShadow : clBtnHighlight;
    TColor bottom = b == bvLowered ? clBtnHighlight : clBtnShadow;
    Frame3D(c, r, top, bottom, bevelWidth_);
  };
  if (borderStyle_ == bsSingle) {
    Frame3D(c, r, clBtnShadow, clBtnHighlight, 1);
    Frame3D(c, r, cl3DDkShadow, cl3DLight, 1);
  }
  if (bevelOuter_ != bvNone) bevel(bevelOuter_);
  Frame3D(c, r, color_, color_, borderWidth_);
  if (bevelInner_ != bvNone) bevel(bevelInner_);
  c->Brush()->SetColor(color_);
  c->Brush()->SetStyle(bsSolid);
  c->FillRect(r);
  c->Brush()->SetStyle(bsClear);
  c->SetFont(font_.get());
  int fh = c->TextHeight("W");
  r.Top = (r.Bottom + r.Top - fh) / 2;
  r.Bottom = r.Top + fh;
  static const unsigned aligns[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
  c->DrawText(text_, r, DT_EXPANDTABS | DT_VCENTER | aligns[alignment_]);
}

void TCustomPanel::CMTextChanged(TMessage& Message) {
  TCustomControl::CMTextChanged(Message);
  Invalidate();
}

// ================================================================ TImage
TImage::TImage(TComponent* AOwner) : TGraphicControl(AOwner), picture_(new TPicture) {
  controlStyle_ |= csReplicatable;
  width_ = 105;
  height_ = 105;
  picture_->OnChange = [this](TObject*) { PictureChanged(); };
}

TImage::~TImage() { picture_->OnChange = nullptr; }

TCanvas* TImage::Canvas() {
  if (!picture_->Graphic()) {
    TBitmap b(width_, height_);
    picture_->SetGraphic(&b);
  }
  auto* bmp = dynamic_cast<TBitmap*>(picture_->Graphic());
  if (!bmp) throw EInvalidOperation("Can only modify an image if it contains a bitmap");
  if (!bmp->OnChange) bmp->OnChange = [this](TObject*) { Invalidate(); };
  return bmp->Canvas();
}

void TImage::SetStretch(bool v) {
  if (v == stretch_) return;
  stretch_ = v;
  Invalidate();
}

void TImage::SetCenter(bool v) {
  if (v == center_) return;
  center_ = v;
  Invalidate();
}

void TImage::SetProportional(bool v) {
  if (v == proportional_) return;
  proportional_ = v;
  Invalidate();
}

void TImage::SetTransparent(bool v) {
  if (v == transparent_) return;
  transparent_ = v;
  PictureChanged();
}

void TImage::SetAutoSize(bool v) {
  TGraphicControl::SetAutoSize(v);
  PictureChanged();
}

TRect TImage::DestRect() const {
  int w = picture_->Width(), h = picture_->Height();
  int cw = ClientWidth(), ch = ClientHeight();
  if (stretch_ || (proportional_ && (w > cw || h > ch))) {
    if (proportional_ && w > 0 && h > 0) {
      double aspect = static_cast<double>(w) / h;
      if (w > h) {
        w = cw;
        h = static_cast<int>(cw / aspect);
        if (h > ch) {
          h = ch;
          w = static_cast<int>(ch * aspect);
        }
      } else {
        h = ch;
        w = static_cast<int>(ch * aspect);
        if (w > cw) {
          w = cw;
          h = static_cast<int>(cw / aspect);
        }
      }
    } else {
      w = cw;
      h = ch;
    }
  }
  TRect r(0, 0, w, h);
  if (center_) {
    int dx = (cw - w) / 2, dy = (ch - h) / 2;
    r = TRect(dx, dy, dx + w, dy + h);
  }
  return r;
}

void TImage::Paint() {
  TGraphic* g = picture_->Graphic();
  if (!g || g->Empty()) return;
  TGraphicControl::Canvas()->StretchDraw(DestRect(), g);
}

void TImage::PictureChanged() {
  TGraphic* g = picture_->Graphic();
  if (g) {
    if (g->Transparent() != transparent_ && !dynamic_cast<TIcon*>(g)) g->SetTransparent(transparent_);
    if (auto* b = dynamic_cast<TBitmap*>(g); b && !b->OnChange) b->OnChange = [this](TObject*) { Invalidate(); };
  }
  if (autoSize_ && g && g->Width() > 0 && g->Height() > 0) SetBounds(left_, top_, g->Width(), g->Height());
  Invalidate();
}

// ================================================================ TSplitter
TSplitter::TSplitter(TComponent* AOwner) : TGraphicControl(AOwner) {
  align_ = alLeft;
  width_ = 3;
  height_ = 100;
  cursor_ = crHSplit;
  color_ = clBtnFace;
  parentColor_ = true;
}

void TSplitter::BoundsChanged() {
  TGraphicControl::BoundsChanged();
  if (cursor_ != crHSplit && cursor_ != crVSplit) return;
  TCursor want = align_ == alTop || align_ == alBottom ? crVSplit : crHSplit;
  if (want != cursor_) SetCursor(want);
}

void TSplitter::SetBeveled(bool v) {
  if (v == beveled_) return;
  beveled_ = v;
  Invalidate();
}

void TSplitter::Paint() {
  TCanvas* c = Canvas();
  TRect r = ClientRect();
  c->Brush()->SetColor(color_);
  c->FillRect(r);
  if (!beveled_) return;
  if (align_ == alLeft || align_ == alRight)
    r = TRect(r.Left + 1, r.Top - 2, r.Right - 1, r.Bottom + 2);
  else
    r = TRect(r.Left - 2, r.Top + 1, r.Right + 2, r.Bottom - 1);
  r = TRect(r.Left + 1, r.Top + 1, r.Right + 1, r.Bottom + 1);
  c->Brush()->SetColor(clBtnHighlight);
  c->FrameRect(r);
  r = TRect(r.Left - 2, r.Top - 2, r.Right - 2, r.Bottom - 2);
  c->Brush()->SetColor(clBtnShadow);
  c->FrameRect(r);
}

TControl* TSplitter::FindResizeControl() const {
  if (!parent_) return nullptr;
  TPoint p(left_, top_);
  switch (align_) {
    case alLeft: p.X -= 1; break;
    case alRight: p.X += width_; break;
    case alTop: p.Y -= 1; break;
    case alBottom: p.Y += height_; break;
    default: return nullptr;
  }
  for (int i = 0; i < parent_->ControlCount(); ++i) {
    TControl* c = parent_->Controls(i);
    if (c == this || !c->Visible() || !c->Enabled()) continue;
    TRect r = c->BoundsRect();
    if (r.Right == r.Left) (align_ == alTop || align_ == alLeft) ? --r.Left : ++r.Right;
    if (r.Bottom == r.Top) (align_ == alTop || align_ == alLeft) ? --r.Top : ++r.Bottom;
    if (p.X >= r.Left && p.X < r.Right && p.Y >= r.Top && p.Y < r.Bottom) return c;
  }
  return nullptr;
}

void TSplitter::CalcSplitSize(int X, int Y, int& NewSize, int& Split) const {
  bool horizontal = align_ == alLeft || align_ == alRight;
  Split = horizontal ? X - downPos_.X : Y - downPos_.Y;
  int s = 0;
  switch (align_) {
    case alLeft: s = control_->Width() + Split; break;
    case alRight: s = control_->Width() - Split; break;
    case alTop: s = control_->Height() + Split; break;
    case alBottom: s = control_->Height() - Split; break;
    default: break;
  }
  NewSize = std::clamp(s, minSize_, std::max(minSize_, maxSize_));
  if (s != NewSize) Split += (align_ == alRight || align_ == alBottom) ? s - NewSize : NewSize - s;
}

bool TSplitter::DoCanResize(int& NewSize) {
  bool accept = true;
  FireEvent(OnCanResize, this, NewSize, accept);
  if (accept && NewSize <= minSize_ && autoSnap_) NewSize = 0;
  return accept;
}

void TSplitter::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft) return;
  control_ = FindResizeControl();
  downPos_ = TPoint(X, Y);
  if (!control_) return;
  bool horizontal = align_ == alLeft || align_ == alRight;
  maxSize_ = (horizontal ? parent_->ClientWidth() : parent_->ClientHeight()) - minSize_;
  for (int i = 0; i < parent_->ControlCount(); ++i) {
    TControl* c = parent_->Controls(i);
    if (!c->Visible()) continue;
    if (horizontal && (c->Align() == alLeft || c->Align() == alRight)) maxSize_ -= c->Width();
    if (!horizontal && (c->Align() == alTop || c->Align() == alBottom)) maxSize_ -= c->Height();
  }
  maxSize_ += horizontal ? control_->Width() : control_->Height();
  oldSize_ = horizontal ? control_->Width() : control_->Height();
  CalcSplitSize(X, Y, newSize_, split_);
}

void TSplitter::MouseMove(TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseMove(Shift, X, Y);
  if (!(Shift & ssLeft) || !control_) return;
  int size = 0, split = 0;
  CalcSplitSize(X, Y, size, split);
  if (!DoCanResize(size)) return;
  newSize_ = size;
  split_ = split;
  if (resizeStyle_ == rsUpdate) UpdateControlSize();
}

void TSplitter::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseUp(Button, Shift, X, Y);
  if (!control_) return;
  if (resizeStyle_ != rsNone) UpdateControlSize();
  control_ = nullptr;
}

void TSplitter::UpdateControlSize() {
  if (newSize_ == oldSize_ || !control_) return;
  switch (align_) {
    case alLeft: control_->SetWidth(newSize_); break;
    case alTop: control_->SetHeight(newSize_); break;
    case alRight:
      parent_->DisableAlign();
      control_->SetBounds(control_->Left() + control_->Width() - newSize_, control_->Top(), newSize_,
                          control_->Height());
      parent_->EnableAlign();
      break;
    case alBottom:
      parent_->DisableAlign();
      control_->SetBounds(control_->Left(), control_->Top() + control_->Height() - newSize_, control_->Width(),
                          newSize_);
      parent_->EnableAlign();
      break;
    default: break;
  }
  oldSize_ = newSize_;
  FireEvent(OnMoved, this);
}

// ================================================================ TScrollBox
void TControlScrollBar::SetPosition(int v) {
  v = std::max(0, std::min(v, range_ - view_));
  if (v == position_) return;
  position_ = v;
  if (changed_) changed_();
}

void TControlScrollBar::SetRange(int v) {
  range_ = std::max(0, v);
  position_ = std::max(0, std::min(position_, range_ - view_));
  if (changed_) changed_();
}

void TControlScrollBar::SetVisible(bool v) {
  if (v == visible_) return;
  visible_ = v;
  if (changed_) changed_();
}

namespace {
// The scrolled area of a scroll box: paints the box's graphic children and
// tells the box when a child window moves or changes size.
class TScrollInner : public QWidget {
 public:
  explicit TScrollInner(TScrollBox* box) : box_(box) {}
  TScrollBox* box_;

 protected:
  void paintEvent(QPaintEvent* e) override {
    if (!box_) return;
    QPainter p(this);
    box_->PaintControls(&p, FromQRect(e->rect()));
    // A child without a window that moved asks for a paint; the ranges follow after it.
    QMetaObject::invokeMethod(this, [this] {
      if (box_) box_->UpdateScrollRange();
    }, Qt::QueuedConnection);
  }
  bool event(QEvent* e) override {
    if (e->type() == QEvent::ChildAdded) {
      if (auto* w = qobject_cast<QWidget*>(static_cast<QChildEvent*>(e)->child())) w->installEventFilter(this);
    }
    return QWidget::event(e);
  }
  bool eventFilter(QObject* o, QEvent* e) override {
    if (box_ && (e->type() == QEvent::Move || e->type() == QEvent::Resize || e->type() == QEvent::Show ||
                 e->type() == QEvent::Hide))
      box_->UpdateScrollRange();
    return QWidget::eventFilter(o, e);
  }
};
}  // namespace

TScrollBox::TScrollBox(TComponent* AOwner)
    : TWinControl(AOwner), horz_(new TControlScrollBar), vert_(new TControlScrollBar) {
  controlStyle_ = csAcceptsControls | csCaptureMouse | csClickEvents | csSetCaption | csDoubleClicks;
  clickFocus_ = false;  // containers never take the focus on a click
  width_ = 185;
  height_ = 41;
  color_ = clBtnFace;
  horz_->changed_ = [this] { PushToPeer(); };
  vert_->changed_ = [this] { PushToPeer(); };
}

TScrollBox::~TScrollBox() {
  horz_->changed_ = nullptr;
  vert_->changed_ = nullptr;
  if (auto* in = dynamic_cast<TScrollInner*>(inner_)) in->box_ = nullptr;
}

TControlScrollBar* TScrollBox::HorzScrollBar() {
  UpdateScrollRange();
  return horz_.get();
}

TControlScrollBar* TScrollBox::VertScrollBar() {
  UpdateScrollRange();
  return vert_.get();
}

QWidget* TScrollBox::ClientWidget() const { return inner_ ? inner_ : peer_; }

void TScrollBox::SetAutoScroll(bool v) {
  autoScroll_ = v;
  UpdateScrollRange();
}

void TScrollBox::SetBorderStyle(TBorderStyle v) {
  borderStyle_ = v;
  if (auto* a = dynamic_cast<QScrollArea*>(peer_)) a->setFrameShape(v == bsNone ? QFrame::NoFrame : QFrame::StyledPanel);
}

void TScrollBox::AlignControls(TControl* AControl) {
  TWinControl::AlignControls(AControl);
  UpdateScrollRange();
}

void TScrollBox::UpdateScrollRange() {
  if (!autoScroll_ || pushing_) return;
  int right = 0, bottom = 0;
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    if (!c->Visible()) continue;
    right = std::max(right, c->Left() + c->Width());
    bottom = std::max(bottom, c->Top() + c->Height());
  }
  TSize view = ViewSize();
  if (right == horz_->range_ && bottom == vert_->range_ && view.cx == horz_->view_ && view.cy == vert_->view_) return;
  horz_->view_ = view.cx;
  vert_->view_ = view.cy;
  horz_->SetRange(right);
  vert_->SetRange(bottom);
  PushToPeer();
}

TSize TScrollBox::ViewSize() const {
  int frame = borderStyle_ == bsNone ? 0 : 4;
  return TSize{std::max(0, width_ - frame), std::max(0, height_ - frame)};
}

void TScrollBox::ScrollInView(TControl* AControl) {
  if (!AControl) return;
  UpdateScrollRange();
  TRect r = AControl->BoundsRect();
  int w = ViewSize().cx, h = ViewSize().cy;
  if (r.Left < horz_->Position()) horz_->SetPosition(r.Left);
  else if (r.Right > horz_->Position() + w) horz_->SetPosition(r.Right - w);
  if (r.Top < vert_->Position()) vert_->SetPosition(r.Top);
  else if (r.Bottom > vert_->Position() + h) vert_->SetPosition(r.Bottom - h);
}

bool TScrollBox::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) {
  if (TWinControl::DoMouseWheel(Shift, WheelDelta, MousePos)) return true;
  TControlScrollBar* bar = (Shift & ssShift) ? HorzScrollBar() : VertScrollBar();
  if (!bar->Visible() || WheelDelta == 0) return false;
  // One notch moves the desktop's wheel lines of Increment pixels; a fine wheel moves at least one.
  int step = WheelDelta * std::max(1, QApplication::wheelScrollLines()) * std::max(1, bar->Increment) / 120;
  if (step == 0) step = WheelDelta > 0 ? 1 : -1;
  const int before = bar->Position();
  bar->SetPosition(before - step);
  return bar->Position() != before;
}

void TScrollBox::PushToPeer() {
  auto* a = dynamic_cast<QScrollArea*>(peer_);
  if (!a || !inner_ || pushing_) return;
  pushing_ = true;
  // The area the children need, or the visible area when they need less (no bar then).
  int frame = a->frameWidth() * 2;
  int vw = width_ - frame, vh = height_ - frame;
  int bar = a->verticalScrollBar()->sizeHint().width(), hbar = a->horizontalScrollBar()->sizeHint().height();
  bool needV = vert_->visible_ && vert_->range_ > vh;
  bool needH = horz_->visible_ && horz_->range_ > vw - (needV ? bar : 0);
  needV = vert_->visible_ && vert_->range_ > vh - (needH ? hbar : 0);
  if (needV) vw -= bar;
  if (needH) vh -= hbar;
  inner_->resize(std::max(horz_->range_, vw), std::max(vert_->range_, vh));
  a->setHorizontalScrollBarPolicy(horz_->visible_ ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
  a->setVerticalScrollBarPolicy(vert_->visible_ ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
  a->horizontalScrollBar()->setSingleStep(horz_->Increment);
  a->verticalScrollBar()->setSingleStep(vert_->Increment);
  a->horizontalScrollBar()->setValue(horz_->position_);
  a->verticalScrollBar()->setValue(vert_->position_);
  pushing_ = false;
}

QWidget* TScrollBox::CreatePeer(QWidget* ParentWidget) {
  auto* a = new TPeer<QScrollArea>(this, ParentWidget);
  a->setWidgetResizable(false);
  auto* in = new TScrollInner(this);
  in->setAutoFillBackground(true);
  a->setWidget(in);
  inner_ = in;
  RouteEvents(this, in);
  QObject::connect(a->horizontalScrollBar(), &QScrollBar::valueChanged, a, [a](int v) {
    if (auto* b = dynamic_cast<TScrollBox*>(LiveControlOf(a)); b && !b->pushing_) b->horz_->position_ = v;
  });
  QObject::connect(a->verticalScrollBar(), &QScrollBar::valueChanged, a, [a](int v) {
    if (auto* b = dynamic_cast<TScrollBox*>(LiveControlOf(a)); b && !b->pushing_) b->vert_->position_ = v;
  });
  return a;
}

void TScrollBox::CreateWnd() {
  TWinControl::CreateWnd();
  SetBorderStyle(borderStyle_);
  UpdateScrollRange();
}

void TScrollBox::DestroyWnd() {
  if (auto* in = dynamic_cast<TScrollInner*>(inner_)) in->box_ = nullptr;
  inner_ = nullptr;
  TWinControl::DestroyWnd();
}

// ================================================================ TShape
TShape::TShape(TComponent* AOwner) : TGraphicControl(AOwner), pen_(new TPen), brush_(new TBrush) {
  controlStyle_ |= csReplicatable;
  width_ = 65;
  height_ = 65;
  pen_->OnChange = [this](TObject*) { Invalidate(); };
  brush_->OnChange = [this](TObject*) { Invalidate(); };
}

TShape::~TShape() {
  pen_->OnChange = nullptr;
  brush_->OnChange = nullptr;
}

void TShape::SetShape(TShapeType v) {
  if (v == shape_) return;
  shape_ = v;
  Invalidate();
}

void TShape::Paint() {
  TCanvas* c = Canvas();
  c->SetPen(pen_.get());
  c->SetBrush(brush_.get());
  // The pen's middle runs half its width inside the bounds, so a wide pen stays inside;
  // a pen of width 0 draws one pixel and the figure keeps within the bounds too.
  int pw = pen_->Width();
  int x = pw / 2, y = pw / 2;
  int w = width_ - pw + 1, h = height_ - pw + 1;
  if (pw == 0) --w, --h;
  if (shape_ == stSquare || shape_ == stRoundSquare || shape_ == stCircle) {
    if (w < h) {
      y += (h - w) / 2;
      h = w;
    } else {
      x += (w - h) / 2;
      w = h;
    }
  }
  switch (shape_) {
    case stRectangle: case stSquare: c->Rectangle(x, y, x + w, y + h); break;
    case stRoundRect: case stRoundSquare: {
      int s = std::min(w, h) / 4;
      c->RoundRect(x, y, x + w, y + h, s, s);
      break;
    }
    case stEllipse: case stCircle: c->Ellipse(x, y, x + w, y + h); break;
  }
}
