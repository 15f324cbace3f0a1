// Hints and actions: the hint window, the application's hint state and the
// way actions reach the controls (the story is told in Hints.h).

#include "platform/gui/Hints.h"

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QImage>
#include <QMetaObject>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPolygon>
#include <QRegion>
#include <QScreen>
#include <QWidget>
#include <algorithm>

#include "platform/gui/Forms.h"
#include "platform/gui/GuiInternal.h"
#include "platform/gui/QtPeer.h"
#include "platform/gui/Timer.h"
#include "platform/gui/WinWindow.h"

THintWindowClass HintWindowClass = MakeHintWindow<THintWindow>;

// ---------------------------------------------------------------- actions

bool TBasicAction::Execute() { return Application && Application->ExecuteAction(this); }

TCustomAction::~TCustomAction() {
  for (TActionLink* l : links_) l->action_ = nullptr;
}

bool TCustomAction::Execute() {
  if (OnExecute && enabled_) {
    OnExecute(this);
    return true;
  }
  return TBasicAction::Execute();
}

void TCustomAction::SetChecked(bool v) {
  if (v == checked_) return;
  checked_ = v;
  if (v) ReleaseGroup();
  Changed();
}

void TCustomAction::SetGroupIndex(int v) {
  if (v == groupIndex_) return;
  groupIndex_ = v;
  if (checked_) ReleaseGroup();
  Changed();
}

void TCustomAction::ReleaseGroup() {
  if (groupIndex_ <= 0 || !Owner()) return;
  // Unchecking another action runs its links, which may free components of the owner: the
  // group is collected first and each member looked up again before it is touched.
  std::vector<TCustomAction*> group;
  for (int i = 0; i < Owner()->ComponentCount(); ++i)
    if (auto* a = dynamic_cast<TCustomAction*>(Owner()->Components(i)); a && a != this && a->groupIndex_ == groupIndex_)
      group.push_back(a);
  for (TCustomAction* a : group) {
    bool still = false;
    for (int i = 0; i < Owner()->ComponentCount() && !still; ++i) still = Owner()->Components(i) == a;
    if (still && a->checked_) a->SetChecked(false);
  }
}

void TCustomAction::Changed() {
  const std::vector<TActionLink*> links = links_;
  for (TActionLink* l : links) l->Update();
}

TActionLink::~TActionLink() { SetAction(nullptr); }

void TActionLink::SetAction(TCustomAction* v) {
  if (v == action_) return;
  if (action_) {
    auto& ls = action_->links_;
    ls.erase(std::remove(ls.begin(), ls.end(), this), ls.end());
  }
  action_ = v;
  if (!v) return;
  v->links_.push_back(this);
  Update();
}

void TControlActionLink::Update() {
  TCustomAction* a = Action();
  if (!a || !client_) return;
  client_->SetEnabled(a->Enabled());
  client_->SetHint(a->Hint());
  client_->SetVisible(a->Visible());
}

namespace {

// The form's own order: its active control, the form, then every visible
// control from the first to the last, each container's children before the next.
bool OfferToChildren(TWinControl* Container, TBasicAction* Action) {
  for (int i = 0; i < Container->ControlCount(); ++i) {
    TControl* c = Container->Controls(i);
    if (!c->Visible()) continue;
    if (c->ExecuteAction(Action)) return true;
    if (auto* w = dynamic_cast<TWinControl*>(c); w && OfferToChildren(w, Action)) return true;
  }
  return false;
}

bool OfferToForm(TCustomForm* Form, TBasicAction* Action) {
  if (!Form || !Form->Visible()) return false;
  if (TWinControl* a = Form->ActiveControl(); a && a->ExecuteAction(Action)) return true;
  if (Form->ExecuteAction(Action)) return true;
  return OfferToChildren(Form, Action);
}

}  // namespace

bool TApplication::ExecuteAction(TBasicAction* Action) {
  if (!Action || !Screen) return false;
  TCustomForm* active = Screen->ActiveForm();
  if (OfferToForm(active, Action)) return true;
  return mainForm_ && mainForm_ != active && OfferToForm(mainForm_, Action);
}

namespace {
// The control whose long hint the application shows (none for a menu's or the program's).
TControl* gHintControl = nullptr;
// Counts hint changes, so a clearing queued earlier leaves a newer hint alone.
unsigned long gHintChanges = 0;

// Queued: the window may be in the middle of being freed, and the status line may belong to it.
void ClearHintLater() {
  gHintControl = nullptr;
  const unsigned long change = gHintChanges;
  QMetaObject::invokeMethod(
      QCoreApplication::instance(),
      [change] {
        if (Application && change == gHintChanges) Application->SetHint(std::string());
      },
      Qt::QueuedConnection);
}
}  // namespace

void GuiHintSetBy(TControl* Control) { gHintControl = Control; }

void GuiHintControlGone(TControl* Control) {
  if (Control && Control == gHintControl) ClearHintLater();
}

void GuiHintFormGone(TCustomForm* Form) {
  if (!gHintControl || !Form) return;
  for (TCustomForm* f = GetParentForm(gHintControl); f; f = f->MDIFrame())
    if (f == Form) return ClearHintLater();
}

void TApplication::SetHint(const std::string& v) {
  ++gHintChanges;
  gHintControl = nullptr;
  if (v == hint_) return;
  hint_ = v;
  if (OnHint) {
    OnHint(this);
    return;
  }
  THintAction action(nullptr);
  action.SetHint(v);
  action.Execute();
}

// ---------------------------------------------------------------- hint window

THintWindow::THintWindow(TComponent* AOwner) : TCustomControl(AOwner) {
  SetColor(clInfoBk);
  SetParentFont(false);
  if (Screen && Screen->HintFont()) Font()->Assign(Screen->HintFont());
  Font()->SetColor(clInfoText);
}

namespace {
// Sizes a frameless window from the corner where it answers HTBOTTOMRIGHT. It watches the
// mouse over the window's children too (a list filling the window), before they see it.
class TCornerSizer : public QObject {
 public:
  TCornerSizer(THintWindow* Window, QWidget* Peer) : QObject(Peer), window_(Window), peer_(Peer) {
    QCoreApplication::instance()->installEventFilter(this);
  }
  ~TCornerSizer() override { SizeCursor(false); }

  bool eventFilter(QObject* o, QEvent* e) override {
    const QEvent::Type t = e->type();
    if ((t == QEvent::Leave || t == QEvent::Hide) && o == peer_ && !sizing_) SizeCursor(false);
    if (t != QEvent::MouseMove && t != QEvent::MouseButtonPress && t != QEvent::MouseButtonRelease) return false;
    auto* w = qobject_cast<QWidget*>(o);
    if (!w || w->window() != peer_ || !peer_->isVisible()) return false;
    auto* me = static_cast<QMouseEvent*>(e);
    const QPoint g = me->globalPosition().toPoint();
    if (sizing_) {
      if (t == QEvent::MouseMove) {
        const QPoint d = g - start_;
        window_->SetBounds(window_->Left(), window_->Top(), std::max(kMinSize, startSize_.width() + d.x()),
                           std::max(kMinSize, startSize_.height() + d.y()));
      } else if (t == QEvent::MouseButtonRelease) {
        sizing_ = false;
      }
      return true;
    }
    const bool corner = window_->Perform(WM_NCHITTEST, 0, MakeLParam(g.x(), g.y())) == HTBOTTOMRIGHT;
    SizeCursor(corner);
    if (!corner || t == QEvent::MouseMove) return false;
    if (t == QEvent::MouseButtonPress && me->button() == Qt::LeftButton) {
      sizing_ = true;
      start_ = g;
      startSize_ = QSize(window_->Width(), window_->Height());
    }
    return true;
  }

 private:
  static constexpr int kMinSize = 20;
  void SizeCursor(bool On) {
    if (On == cursorShown_) return;
    cursorShown_ = On;
    if (On) QGuiApplication::setOverrideCursor(QCursor(Qt::SizeFDiagCursor));
    else QGuiApplication::restoreOverrideCursor();
  }
  THintWindow* window_;
  QWidget* peer_;
  bool sizing_ = false, cursorShown_ = false;
  QPoint start_;
  QSize startSize_;
};
}  // namespace

QWidget* THintWindow::CreatePeer(QWidget*) {
  auto* w = new TPeer<QWidget>(this, nullptr,
                               Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus);
  w->setAttribute(Qt::WA_ShowWithoutActivating);
  // The mouse goes through to the control below, which keeps its hint going.
  if (!takesMouse_) w->setAttribute(Qt::WA_TransparentForMouseEvents);
  else new TCornerSizer(this, w);
  return w;
}

namespace {
constexpr int HintMarginX = 3, HintMarginY = 1;
constexpr unsigned HintTextFlags = DT_LEFT | DT_NOPREFIX | DT_WORDBREAK;
}  // namespace

TRect THintWindow::CalcHintRect(int MaxWidth, const std::string& AHint, void*) {
  TRect r(0, 0, std::max(1, MaxWidth), 0);
  Canvas()->Font()->Assign(Font());
  Canvas()->DrawText(AHint, r, HintTextFlags | DT_CALCRECT);
  r.Right += 2 * HintMarginX;
  r.Bottom += 2 * HintMarginY + 2;
  return r;
}

void THintWindow::ActivateHint(TRect Rect, const std::string& AHint) { ActivateHintData(Rect, AHint, nullptr); }

void THintWindow::ActivateHintData(TRect Rect, const std::string& AHint, void*) {
  SetCaption(AHint);
  // Kept within the work area of the screen it is on: moved left or up when it would run
  // past the edge, never past the screen's left or top.
  if (Screen) {
    const TRect w = Screen->MonitorFromRect(Rect).WorkareaRect;
    if (Rect.Right > w.Right) OffsetRect(Rect, std::max(w.Left - Rect.Left, w.Right - Rect.Right), 0);
    if (Rect.Bottom > w.Bottom) OffsetRect(Rect, 0, std::max(w.Top - Rect.Top, w.Bottom - Rect.Bottom));
  }
  ShowAt(Rect);
}

void THintWindow::ShowAt(const TRect& R) {
  HandleNeeded();
  SetBoundsRect(R);
  PlaceShadow(R);
  Peer()->show();
  Peer()->raise();
  Invalidate();
}

namespace {

constexpr char kShadowName[] = "dropShadow";

// The shadow: a window below the hint, offset by the depth, cut to the L its hint leaves open.
// It goes with the hint (a window child is not hidden with its parent by itself).
class TShadowWindow : public QWidget {
 public:
  explicit TShadowWindow(QWidget* Hint)
      : QWidget(Hint, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus |
                          Qt::WindowTransparentForInput) {
    setObjectName(kShadowName);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    Hint->installEventFilter(this);
  }
  void SetImage(QImage Image, bool Translucent) {
    image_ = std::move(Image);
    setAttribute(Qt::WA_TranslucentBackground, Translucent);
  }
  bool eventFilter(QObject* o, QEvent* e) override {
    if (o == parent() && e->type() == QEvent::Hide) hide();
    return false;
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(0, 0, image_);
  }

 private:
  QImage image_;
};

// How dark the shadow is at (x, y) of a W x H window: darkest along the hint, fading out over
// the depth at the far edges and at the two ends of the L.
double ShadowStrength(int x, int y, int W, int H, int Depth) {
  const double span = Depth + 1;
  auto ramp = [span](int near, int far) { return std::min(1.0, near / span) * std::min(1.0, far / span); };
  return 0.45 * ramp(x + 1, W - x) * ramp(y + 1, H - y);
}

}  // namespace

void THintWindow::SetDropShadow(bool v) {
  dropShadow_ = v;
  if (v || !Peer()) return;
  if (auto* s = Peer()->findChild<QWidget*>(kShadowName, Qt::FindDirectChildrenOnly)) s->hide();
}

TRect THintWindow::ShadowRect() const {
  QWidget* s = Peer() ? Peer()->findChild<QWidget*>(kShadowName, Qt::FindDirectChildrenOnly) : nullptr;
  if (!s || !s->isVisible()) return TRect();
  const QRect g = s->geometry();
  return TRect(g.left(), g.top(), g.left() + g.width(), g.top() + g.height());
}

void THintWindow::PlaceShadow(const TRect& R) {
  auto* s = static_cast<TShadowWindow*>(Peer()->findChild<QWidget*>(kShadowName, Qt::FindDirectChildrenOnly));
  const int d = ShadowDepth, w = R.Width(), h = R.Height();
  if (!dropShadow_ || w <= 0 || h <= 0) {
    if (s) s->hide();
    return;
  }
  if (!s) s = new TShadowWindow(Peer());
  const QRect area(R.Left + d, R.Top + d, w, h);
  // Read before either window shows, so the picture is of what lies below them.
  QScreen* screen = QGuiApplication::screenAt(area.center());
  if (!screen) screen = QGuiApplication::primaryScreen();
  QImage below;
  if (screen) {
    // A hint kept 2 pixels inside the screen casts part of its shadow past the edge: only the
    // part on the screen is read, the rest is never seen.
    const QRect sg = screen->geometry(), seen = area.intersected(sg);
    const QImage part = seen.isEmpty() ? QImage()
                                       : screen->grabWindow(0, seen.x() - sg.x(), seen.y() - sg.y(), seen.width(),
                                                            seen.height()).toImage();
    if (!part.isNull() && part.size() == seen.size()) {
      below = QImage(area.size(), QImage::Format_RGB32);
      below.fill(Qt::black);
      QPainter p(&below);
      p.drawImage(seen.topLeft() - area.topLeft(), part);
    }
  }
  const bool translucent = below.isNull();
  QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
  for (int y = 0; y < h; ++y) {
    auto* out = reinterpret_cast<QRgb*>(img.scanLine(y));
    const auto* in = translucent ? nullptr : reinterpret_cast<const QRgb*>(below.constScanLine(y));
    for (int x = 0; x < w; ++x) {
      const double a = ShadowStrength(x, y, w, h, d);
      if (translucent) {
        out[x] = qRgba(0, 0, 0, static_cast<int>(a * 255 + 0.5));
      } else {
        const double k = 1.0 - a;
        out[x] = qRgb(static_cast<int>(qRed(in[x]) * k), static_cast<int>(qGreen(in[x]) * k),
                      static_cast<int>(qBlue(in[x]) * k));
      }
    }
  }
  s->SetImage(std::move(img), translucent);
  s->setGeometry(area);
  s->setMask(QRegion(0, 0, w, h).subtracted(QRegion(-d, -d, w, h)));
  s->show();
  s->update();
}

void THintWindow::ReleaseHandle() {
  if (Peer()) Peer()->hide();
}

bool THintWindow::Active() const { return Peer() && Peer()->isVisible(); }

void THintWindow::SetShape(const std::vector<TPoint>& Outline) {
  HandleNeeded();
  if (Outline.empty()) {
    Peer()->clearMask();
    return;
  }
  QPolygon poly;
  for (const TPoint& p : Outline) poly << QPoint(p.X, p.Y);
  Peer()->setMask(QRegion(poly));
}

void THintWindow::Paint() {
  TCanvas* c = Canvas();
  const TRect r = ClientRect();
  c->Brush()->SetColor(Color());
  c->Brush()->SetStyle(bsSolid);
  c->FillRect(r);
  c->Brush()->SetColor(clWindowFrame);
  c->FrameRect(r);
  TRect t(r.Left + HintMarginX, r.Top + HintMarginY + 1, r.Right - HintMarginX, r.Bottom - HintMarginY);
  c->Brush()->SetStyle(bsClear);
  c->Font()->Assign(Font());
  c->DrawText(Caption(), t, HintTextFlags);
}

// ---------------------------------------------------------------- the application's hint

namespace {

// Keeps the hint window, the control whose hint shows and the hide timer; it
// hears when the control or the window is freed.
class THintState : public TComponent {
 public:
  explicit THintState(TComponent* AOwner) : TComponent(AOwner), timer(new TTimer(this)) {
    timer->SetEnabled(false);
    timer->OnTimer = [this](TObject*) { Hide(); };
  }
  ~THintState() override;
  std::string ClassName() const override { return "THintState"; }

  void Notification(TComponent* AComponent, TOperation Operation) override {
    TComponent::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == window) {
      window = nullptr;
      windowClass = nullptr;
    }
    if (AComponent == timer) timer = nullptr;
    if (AComponent == control) {
      control = nullptr;
      if (window && !(ComponentState() & csDestroying)) window->ReleaseHandle();
    }
  }

  void Show(TControl* Control, const THintInfo& Info) {
    THintWindowClass cls = Info.HintWindowClass ? Info.HintWindowClass : HintWindowClass;
    if (window && windowClass != cls) {
      delete window;  // the notification forgets it
    }
    if (!window) {
      window = cls(this);
      windowClass = cls;
    }
    if (control != Control) {
      if (control) control->RemoveFreeNotification(this);
      control = Control;
      control->FreeNotification(this);
    }
    const TPoint a = Control->ClientToScreen(TPoint(Info.CursorRect.Left, Info.CursorRect.Top));
    const TPoint b = Control->ClientToScreen(TPoint(Info.CursorRect.Right, Info.CursorRect.Bottom));
    cursorRect = TRect(a.X, a.Y, b.X, b.Y);
    window->SetColor(Info.HintColor);
    TRect r = window->CalcHintRect(Info.HintMaxWidth, Info.HintStr, Info.HintData);
    OffsetRect(r, Info.HintPos.X, Info.HintPos.Y);
    window->ActivateHintData(r, Info.HintStr, Info.HintData);
    if (timer) {
      timer->SetEnabled(false);
      if (Application && Application->HintHidePause > 0) {
        timer->SetInterval(static_cast<unsigned>(Application->HintHidePause));
        timer->SetEnabled(true);
      }
    }
  }

  void Hide() {
    if (timer) timer->SetEnabled(false);
    if (window) window->ReleaseHandle();
    if (control) control->RemoveFreeNotification(this);
    control = nullptr;
  }

  bool Showing() const { return window && window->Active(); }

  THintWindow* window = nullptr;
  THintWindowClass windowClass = nullptr;
  TControl* control = nullptr;
  TRect cursorRect;  // screen coordinates
  TTimer* timer;
};

THintState* gHints = nullptr;

THintState::~THintState() {
  Destroying();
  if (gHints == this) gHints = nullptr;
}

THintState* Hints() {
  if (!gHints && Application) gHints = new THintState(Application);
  return gHints;
}

}  // namespace

void GuiHintRequest(TControl* Target, TPoint ScreenPos) {
  THintState* hints = Hints();
  if (!hints || !Target) return;
  bool show = false;
  std::string hint;
  for (TControl* t = Target; t; t = t->Parent()) {
    if (hint.empty()) hint = t->Hint();
    show = t->ShowHint();
    if (!t->ParentShowHint()) break;
  }
  if (!show || !Application->ShowHint()) {
    hints->Hide();
    return;
  }
  THintInfo info;
  info.HintControl = Target;
  info.HintPos = TPoint(ScreenPos.X, ScreenPos.Y + 20);  // below the arrow cursor
  info.HintMaxWidth = Screen ? Screen->Width() : 1024;
  info.HintColor = Application->HintColor;
  info.CursorPos = Target->ScreenToClient(ScreenPos);
  info.CursorRect = Target->ClientRect();
  info.HintStr = GetShortHint(hint);
  const LRESULT r = Target->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info));
  if (r != 0 || !info.Show || info.HintStr.empty()) {
    hints->Hide();
    return;
  }
  hints->Show(Target, info);
}

void GuiHintMouseMoved(TControl* Control, TPoint ScreenPos) {
  THintState* hints = gHints;
  if (!hints || !hints->control) return;
  // A hint stays while the mouse stays in its control's CursorRect.
  if (Control != hints->control || !PtInRect(hints->cursorRect, ScreenPos)) hints->Hide();
}

void GuiHintMouseEntered(TControl* Control) {
  if (gHints && gHints->control && gHints->control != Control) gHints->Hide();
}

void GuiHintInput() {
  if (gHints) gHints->Hide();
}

THintWindow* TApplication::HintWindow() const { return gHints ? gHints->window : nullptr; }

TControl* TApplication::HintControl() const { return gHints ? gHints->control : nullptr; }

void TApplication::ActivateHint(TPoint CursorPos) { GuiHintRequest(FindDragTarget(CursorPos, false), CursorPos); }

void TApplication::HideHint() {
  if (gHints) gHints->Hide();
}

void TApplication::CancelHint() {
  // The hint goes now; the next time the mouse rests, the control under it is asked afresh.
  HideHint();
}
