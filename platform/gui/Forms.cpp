#include "platform/gui/Forms.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QIcon>
#include <QPixmap>
#include <QPointer>
#include <QPainter>
#include <QResizeEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>
#include <algorithm>
#include <cstdlib>

#include "platform/gui/Collation.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/GuiInternal.h"
#include "platform/gui/Menus.h"
#include "platform/gui/QtBridge.h"
#include "platform/gui/QtCanvas.h"
#include "platform/gui/QtPeer.h"

TApplication* Application = nullptr;
TScreen* Screen = nullptr;

namespace {
// Every program with windows compares texts by the user's locale.
[[maybe_unused]] const bool kLocaleCollation = (InstallLocaleCollation(), true);
}  // namespace

namespace {
struct GlobalsInit {
  GlobalsInit() {
    Screen = new TScreen(nullptr);
    Application = new TApplication(nullptr);
  }
} gGlobalsInit;

// Windows the program activated itself, oldest first. The window system reports those
// activations later, one after the other; all but the latest are stale by then.
std::vector<QPointer<QWidget>>& RequestedActivations() {
  static std::vector<QPointer<QWidget>> list;
  return list;
}

void RequestActivation(QWidget* w) {
  auto& list = RequestedActivations();
  list.erase(std::remove_if(list.begin(), list.end(), [w](const QPointer<QWidget>& p) { return !p || p == w; }),
             list.end());
  list.push_back(w);
  w->activateWindow();
}

// Whether a window-system activation of w only catches up with activations made since.
bool StaleActivation(QWidget* w) {
  auto& list = RequestedActivations();
  auto it = std::find(list.begin(), list.end(), w);
  if (it == list.end()) return false;
  bool stale = it + 1 != list.end();
  list.erase(list.begin(), it + 1);
  return stale;
}

// Only a sizeable frame lets the user size the window; the others keep the size the program gives.
bool FixedFrame(TBorderStyle s) { return s != bsSizeable && s != bsSizeToolWin; }

// The window system's frame for a border style and its icons: the buttons live in the system
// menu, so without it there are none; dialog and tool-window frames never minimise or maximise.
Qt::WindowFlags FrameFlags(TBorderStyle s, TBorderIcons icons, bool onTop) {
  const TBorderIcons all = biSystemMenu | biMinimize | biMaximize;
  Qt::WindowFlags f = Qt::Window;
  if (s == bsNone) {
    f |= Qt::FramelessWindowHint;
  } else if (s != bsSizeable || (icons & all) != all) {
    if (s == bsDialog) f = Qt::Dialog;
    if (s == bsToolWindow || s == bsSizeToolWin) f = Qt::Tool;
    f |= Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (icons & biSystemMenu) {
      f |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
      const bool framed = s == bsSingle || s == bsSizeable;
      if (framed && (icons & biMinimize)) f |= Qt::WindowMinimizeButtonHint;
      if (framed && (icons & biMaximize)) f |= Qt::WindowMaximizeButtonHint;
    }
  }
  if (onTop) f |= Qt::WindowStaysOnTopHint;
  return f;
}

// Whether the window system may leave the form minimised: not without biMinimize, never a dialog
// or tool window (the window manager may offer minimise on every frame anyway).
bool MayMinimise(TBorderStyle s, TBorderIcons icons) {
  return (icons & biMinimize) && s != bsDialog && s != bsToolWindow && s != bsSizeToolWin;
}
}  // namespace

// ---------------------------------------------------------------- busy counting and release
void GuiFormBusy(TCustomForm* f, int delta) {
  f->busy_ += delta;
  if (f->busy_ == 0 && f->releasePending_) {
    f->releasePending_ = false;
    GuiPostMessage(f->handle_, CM_RELEASE, 0, 0);
  }
}

void GuiReleaseForm(TCustomForm* f) {
  if (f->busy_ > 0) {
    f->releasePending_ = true;
    return;
  }
  f->BeforeDestruction();
  delete f;
}

// ---------------------------------------------------------------- TCustomForm
TCustomForm::TCustomForm(TComponent* AOwner)
    : TWinControl(AOwner), canvas_(new TControlCanvas(this)), icon_(new TIcon) {
  controlStyle_ |= csAcceptsControls;
  clickFocus_ = false;
  visible_ = false;
  color_ = clBtnFace;
  brush_->SetColor(color_);
  parentFont_ = false;
  parentColor_ = false;
  width_ = 320;
  height_ = 240;
  Screen->AddForm(this);
  CreateHandle();
}

TCustomForm::~TCustomForm() {
  // The derived part is gone already: from here on no event of the form or its controls fires.
  Destroying();
  GuiHintFormGone(this);
  if (!destroyed_) BeforeDestruction();
  // MDI children live inside this frame's window: they go first.
  if (formStyle_ == fsMDIForm) {
    std::vector<TCustomForm*> kids;
    for (int i = 0; i < Screen->FormCount(); ++i)
      if (Screen->Forms(i)->frame_ == this) kids.push_back(Screen->Forms(i));
    for (TCustomForm* k : kids) {
      k->BeforeDestruction();
      delete k;
    }
  }
  if (frame_) {
    TCustomForm* fr = frame_;
    frame_ = nullptr;
    fr->MdiChildActivated(fr->ActiveMDIChild() == this ? nullptr : fr->ActiveMDIChild());
  }
  if (Application && Application->mainForm_ == this) Application->mainForm_ = nullptr;
  if (Application) {
    auto& c = Application->created_;
    c.erase(std::remove(c.begin(), c.end(), this), c.end());
  }
  if (menu_ && menu_->form_ == this) menu_->form_ = nullptr;
  // The form's own window teardown, while this is still a form: a child's sub-window leaves
  // its frame, and a frame's workspace stops reporting to it.
  TCustomForm::DestroyWnd();
  Screen->RemoveForm(this);
}

void TCustomForm::AfterConstruction() {
  if (created_) return;
  created_ = true;
  if (OnCreate) OnCreate(this);
}

void TCustomForm::BeforeDestruction() {
  if (destroyed_) return;
  destroyed_ = true;
  Destroying();
  if (OnDestroy) OnDestroy(this);
}

QWidget* TCustomForm::CreatePeer(QWidget*) {
  auto* top = new TPeer<QWidget>(this, nullptr);
  client_ = new TPeer<QWidget>(this, top);
  client_->setAutoFillBackground(true);
  client_->setMouseTracking(true);
  return top;
}

void TCustomForm::CreateWnd() {
  TWinControl::CreateWnd();
  peer_->setAttribute(Qt::WA_QuitOnClose, false);
  peer_->setWindowTitle(ToQString(text_));
  QPalette pal = client_->palette();
  pal.setColor(QPalette::Window, ToQColor(color_));
  client_->setPalette(pal);
  // A click on a form's free area leaves the focus where it is.
  client_->setFocusPolicy(Qt::NoFocus);
  ApplyWindowKind();
  LayoutWindow();
}

void TCustomForm::DestroyWnd() {
  if (!peer_) return;
  if (subWindow_) {
    QMdiSubWindow* sw = subWindow_;
    subWindow_ = nullptr;
    if (auto* pb = PeerOf(client_)) pb->Control = nullptr;
    client_ = nullptr;
    menuBar_ = nullptr;
    mdiArea_ = nullptr;
    TWinControl::DestroyWnd();  // deletes the peer inside the sub-window
    GuiDeleteWidget(sw);
    return;
  }
  if (auto* pb = PeerOf(client_)) pb->Control = nullptr;
  if (mdiArea_) QObject::disconnect(mdiArea_, nullptr, nullptr, nullptr);
  client_ = nullptr;
  menuBar_ = nullptr;
  mdiArea_ = nullptr;
  TWinControl::DestroyWnd();
}

QWidget* TCustomForm::ClientWidget() const { return client_; }

int TCustomForm::MenuBarHeight() const {
  if (!menuBar_ || !menu_ || formStyle_ == fsMDIChild) return 0;
  return std::max(menuBar_->sizeHint().height(), 20);
}

namespace {
int ScrollBarExtent(QWidget* w) { return w->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, w); }
}  // namespace

void TCustomForm::LayoutWindow() {
  if (!peer_) return;
  int mh = MenuBarHeight();
  if (menuBar_) {
    menuBar_->setVisible(mh > 0);
    menuBar_->setGeometry(0, 0, width_, mh);
  }
  if (client_ && (hShown_ || vShown_)) {
    // The client moves under its view; the bars lie over its right and bottom edges.
    const TRect view = ClientRect();
    client_->setGeometry(-hpos_, -vpos_, std::max(range_.cx, view.Right), std::max(range_.cy, view.Bottom));
    if (vbar_) vbar_->setGeometry(view.Right, 0, ScrollBarExtent(vbar_), view.Bottom);
    if (hbar_) hbar_->setGeometry(0, view.Bottom, view.Right, ScrollBarExtent(hbar_));
    for (QScrollBar* b : {hbar_, vbar_})
      if (b) b->raise();
  } else if (client_) {
    client_->setGeometry(0, mh, width_, std::max(0, height_ - mh));
  }
}

TRect TCustomForm::ClientRect() const {
  if (subWindow_) {
    // An MDI child's caption and frame belong to its sub-window; its scroll bars are no client area.
    QMargins m = subWindow_->contentsMargins();
    const int bar = vShown_ || hShown_ ? ScrollBarExtent(subWindow_) : 0;
    return TRect(0, 0, std::max(0, width_ - m.left() - m.right() - (vShown_ ? bar : 0)),
                 std::max(0, height_ - m.top() - m.bottom() - (hShown_ ? bar : 0)));
  }
  return TRect(0, 0, width_, std::max(0, height_ - MenuBarHeight()));
}

namespace {
// How far the controls inside a bar along the top or bottom edge reach: its buttons need their
// width across, which the bar's own alignment does not give. (Side bars scroll themselves.)
TSize ContentExtent(const TControl* c) {
  TSize r{0, 0};
  if (const auto* w = dynamic_cast<const TWinControl*>(c))
    for (int i = 0; i < w->ControlCount(); ++i) {
      const TControl* k = w->Controls(i);
      if (!k->Visible() || k->Align() != alNone) continue;
      r.cx = std::max(r.cx, k->Left() + k->Width());
      r.cy = std::max(r.cy, k->Top() + k->Height());
    }
  return r;
}
}  // namespace

TSize TCustomForm::ScrollRange() const {
  // As the class library counts it: controls placed from the top left reach out, controls
  // aligned to the right or bottom edge need their room besides; client-aligned ones fill the view.
  // A bar along the top or bottom also needs, across, what its own controls reach.
  int right = 0, bottom = 0, rightRoom = 0, bottomRoom = 0;
  for (int i = 0; i < ControlCount(); ++i) {
    const TControl* c = Controls(i);
    if (!c->Visible()) continue;
    switch (c->Align()) {
      case alNone:
        if ((c->Anchors() & (akLeft | akRight)) == akLeft) right = std::max(right, c->Left() + c->Width());
        if ((c->Anchors() & (akTop | akBottom)) == akTop) bottom = std::max(bottom, c->Top() + c->Height());
        break;
      case alLeft: right = std::max(right, c->Left() + c->Width()); break;
      case alTop:
        bottom = std::max(bottom, c->Top() + c->Height());
        right = std::max(right, c->Left() + ContentExtent(c).cx);
        break;
      case alRight: rightRoom += c->Width(); break;
      case alBottom:
        bottomRoom += c->Height();
        right = std::max(right, c->Left() + ContentExtent(c).cx);
        break;
      default: break;
    }
  }
  return TSize{right + rightRoom, bottom + bottomRoom};
}

void TCustomForm::AlignControls(TControl* AControl) {
  TWinControl::AlignControls(AControl);
  UpdateScrollBars();
}

void TCustomForm::AdjustClientRect(TRect& Rect) {
  TWinControl::AdjustClientRect(Rect);
  // A scrolled child aligns its controls in the whole extent, not in the part in view.
  if (hShown_) Rect.Right = std::max(Rect.Right, Rect.Left + range_.cx);
  if (vShown_) Rect.Bottom = std::max(Rect.Bottom, Rect.Top + range_.cy);
}

void TCustomForm::UpdateScrollBars() {
  if (!subWindow_ || !client_ || scrollUpdating_ || destroying_) return;
  scrollUpdating_ = true;
  const TSize range = ScrollRange();
  const QMargins m = subWindow_->contentsMargins();
  const int w = std::max(0, width_ - m.left() - m.right()), h = std::max(0, height_ - m.top() - m.bottom());
  const int bar = ScrollBarExtent(subWindow_);
  bool needV = range.cy > h;
  const bool needH = range.cx > w - (needV ? bar : 0);
  needV = range.cy > h - (needH ? bar : 0);
  const bool changed = needH != hShown_ || needV != vShown_ || range.cx != range_.cx || range.cy != range_.cy;
  range_ = range;
  if (needH != hShown_ || needV != vShown_) {
    hShown_ = needH;
    vShown_ = needV;
    auto make = [this](QScrollBar*& b, Qt::Orientation o) {
      if (b) return;
      b = new QScrollBar(o, peer_);
      b->setFocusPolicy(Qt::NoFocus);
      QObject::connect(b, &QScrollBar::valueChanged, b, [this] { ScrollBarMoved(); });
    };
    if (needH) make(hbar_, Qt::Horizontal);
    if (needV) make(vbar_, Qt::Vertical);
    TWinControl::AlignControls(nullptr);  // in the view the bars leave
  }
  if (changed || hShown_ || vShown_) {
    const TRect view = ClientRect();
    auto set = [](QScrollBar* b, bool shown, int range, int page) {
      if (!b) return;
      b->setRange(0, shown ? std::max(0, range - page) : 0);
      b->setPageStep(std::max(1, page));
      b->setSingleStep(8);
      b->setVisible(shown);
    };
    set(hbar_, hShown_, range_.cx, view.Right);
    set(vbar_, vShown_, range_.cy, view.Bottom);
    hpos_ = hbar_ && hShown_ ? hbar_->value() : 0;
    vpos_ = vbar_ && vShown_ ? vbar_->value() : 0;
    LayoutWindow();
  }
  scrollUpdating_ = false;
}

void TCustomForm::ScrollBarMoved() {
  hpos_ = hbar_ && hShown_ ? hbar_->value() : 0;
  vpos_ = vbar_ && vShown_ ? vbar_->value() : 0;
  LayoutWindow();
}

void TCustomForm::ScrollTo(int X, int Y) {
  if (hbar_ && hShown_) hbar_->setValue(X);
  if (vbar_ && vShown_) vbar_->setValue(Y);
}

void TCustomForm::SetClientSize(int W, int H) {
  TRect c = ClientRect();
  SetBounds(left_, top_, W + (width_ - c.Right), H + (height_ - c.Bottom));
}

void TCustomForm::UpdatePeerGeometry() {
  if (!peer_) return;
  if (subWindow_) {
    if (subWindow_->windowState() & (Qt::WindowMaximized | Qt::WindowMinimized)) {
      // Moving the sub-window would take it out of its state: the bounds wait for the restore.
      QRect g = subWindow_->geometry();
      if (g != QRect(left_, top_, width_, height_)) {
        restoreBounds_ = TRect(left_, top_, left_ + width_, top_ + height_);
        hasRestoreBounds_ = true;
        left_ = g.x(), top_ = g.y(), width_ = g.width(), height_ = g.height();
      }
    } else {
      subWindow_->setGeometry(left_, top_, width_, height_);
    }
    QMargins m = subWindow_->contentsMargins();
    // The whole inside of the frame: the scroll bars, when shown, are the peer's too.
    peer_->setGeometry(m.left(), m.top(), std::max(0, width_ - m.left() - m.right()),
                       std::max(0, height_ - m.top() - m.bottom()));
  } else {
    if (FixedFrame(borderStyle_)) peer_->setFixedSize(width_, height_);
    peer_->setGeometry(left_, top_, width_, height_);
  }
  LayoutWindow();
}

void TCustomForm::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  // Also while maximised (a child the area maximised when it came): the size waits for a restore.
  formWidth_ = AWidth, formHeight_ = AHeight;
  TWinControl::SetBounds(ALeft, ATop, AWidth, AHeight);
}

void TCustomForm::ClientAreaAligned(const TRect& r) {
  if (mdiArea_) mdiArea_->setGeometry(r.Left, r.Top, std::max(0, r.Right - r.Left), std::max(0, r.Bottom - r.Top));
}

void TCustomForm::Invalidate() {
  if (client_) client_->update();
}

void TCustomForm::SetFormStyle(TFormStyle v) {
  if (v == formStyle_) return;
  formStyle_ = v;
  if (v == fsMDIForm && !mdiArea_ && client_) {
    mdiArea_ = new QMdiArea(client_);
    mdiArea_->setBackground(QBrush(ToQColor(clAppWorkSpace)));
    QObject::connect(mdiArea_, &QMdiArea::subWindowActivated, mdiArea_, [this](QMdiSubWindow* w) {
      // A click in an inactive child brings it to the front through its sub-window taking the
      // focus; in the active child a click on a control that takes no focus leaves it alone.
      for (QMdiSubWindow* s : mdiArea_->subWindowList())
        s->setFocusPolicy(s == w ? Qt::TabFocus : Qt::StrongFocus);
      if (destroyed_ || destroying_) return;
      TCustomForm* child = nullptr;
      for (int i = 0; i < Screen->FormCount(); ++i)
        if (Screen->Forms(i)->subWindow_ == w && w) child = Screen->Forms(i);
      GuiRun(static_cast<TControl*>(this), [&] { MdiChildActivated(child); });
    });
    mdiArea_->show();
    Realign();
  }
  if (v == fsMDIChild) AttachToFrame();
  ApplyWindowKind();
}

void TCustomForm::AttachToFrame() {
  TCustomForm* fr = Application ? Application->MainForm() : nullptr;
  if (!fr || fr->formStyle_ != fsMDIForm || !fr->mdiArea_)
    throw EInvalidOperation("Cannot create form. No MDI forms are currently active");
  if (subWindow_) return;
  frame_ = fr;
  bool wasVisible = visible_;
  subWindow_ = new QMdiSubWindow;
  subWindow_->setAttribute(Qt::WA_DeleteOnClose, false);
  // The frame the form had as a window of its own is the sub-window's business now.
  peer_->setParent(nullptr, Qt::Window);
  peer_->setMinimumSize(0, 0);
  peer_->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  subWindow_->setWidget(peer_);
  fr->mdiArea_->addSubWindow(subWindow_);
  if (borderStyle_ == bsNone) subWindow_->setWindowFlag(Qt::FramelessWindowHint, true);
  subWindow_->setWindowTitle(ToQString(text_));
  QPixmap blank(16, 16);
  blank.fill(Qt::transparent);
  subWindow_->setWindowIcon(QIcon(blank));  // no toolkit logo in the child's caption
  // The area maximises, restores and minimises children on its own (a maximised child passes its
  // state to the next one activated, the caption buttons): the form's state follows the screen.
  QObject::connect(subWindow_, &QMdiSubWindow::windowStateChanged, subWindow_, [this] {
    // The signal's states leave out a maximised child's state on activation: ask the window.
    if (!visible_ || destroyed_ || !subWindow_) return;
    const TWindowState now = subWindow_->isMinimized() ? wsMinimized : subWindow_->isMaximized() ? wsMaximized : wsNormal;
    if (now == wsMinimized && windowState_ != wsMinimized) beforeMinimized_ = windowState_;
    const bool openedMaximised = now == wsNormal && windowState_ == wsMaximized && !shownNormal_;
    windowState_ = now;
    if (now == wsNormal) shownNormal_ = true;
    // The area's restore of a child it never showed at its own size is a default box: the
    // form size instead, moved into the client area and cut only where that ends.
    if (openedMaximised && frame_ && frame_->mdiArea_) {
      const QSize area = frame_->mdiArea_->viewport()->size();
      const int w = formWidth_ > 0 ? formWidth_ : width_, h = formHeight_ > 0 ? formHeight_ : height_;
      const QPoint at = subWindow_->pos();
      const int x = std::clamp(at.x(), 0, std::max(0, area.width() - w));
      const int y = std::clamp(at.y(), 0, std::max(0, area.height() - h));
      TWinControl::SetBounds(x, y, std::min(w, area.width() - x), std::min(h, area.height() - y));
      AlignChildren();
    }
  });
  UpdatePeerGeometry();
  if (menu_) fr->RebuildMenuBar();
  visible_ = false;
  // MDI children show themselves when created.
  SetVisible(true);
  (void)wasVisible;
}

void TCustomForm::SetBorderStyle(TBorderStyle v) {
  if (v == borderStyle_) return;
  borderStyle_ = v;
  if (subWindow_) {
    // An MDI child without border has no caption bar either.
    subWindow_->setWindowFlag(Qt::FramelessWindowHint, v == bsNone);
    return;
  }
  ApplyWindowKind();
}

void TCustomForm::SetBorderIcons(TBorderIcons v) {
  if (v == borderIcons_) return;
  borderIcons_ = v;
  ApplyWindowKind();
}

void TCustomForm::ApplyWindowKind() {
  if (!peer_ || subWindow_ || formStyle_ == fsMDIChild) return;
  const Qt::WindowFlags f = FrameFlags(borderStyle_, borderIcons_, formStyle_ == fsStayOnTop);
  if (FixedFrame(borderStyle_)) {
    peer_->setFixedSize(width_, height_);
  } else {
    peer_->setMinimumSize(0, 0);
    peer_->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  }
  if (peer_->windowFlags() == f) return;
  const bool vis = peer_->isVisible();
  peer_->setWindowFlags(f);
  if (vis) peer_->show();
}

void TCustomForm::SetPosition(TPosition v) { position_ = v; }

TWindowState TCustomForm::WindowState() const { return windowState_; }

void TCustomForm::RestoreFromMinimized() {
  if (windowState_ == wsMinimized) SetWindowState(beforeMinimized_);
}

void TCustomForm::SetWindowState(TWindowState v) {
  if (v == windowState_) return;
  if (v == wsMinimized) beforeMinimized_ = windowState_;
  windowState_ = v;
  QWidget* w = subWindow_ ? static_cast<QWidget*>(subWindow_) : peer_;
  if (!w || !visible_) return;
  switch (v) {
    case wsMinimized:
      if (subWindow_ && frame_ && frame_->mdiArea_) {
        // Minimising the active child makes the area activate another one, which it would
        // maximise when this one was: the other child keeps the state it has. An inactive child
        // goes to its icon without becoming active, as on the window system.
        QMdiArea* area = frame_->mdiArea_;
        QMdiSubWindow* active = area->activeSubWindow();
        const bool keep = area->testOption(QMdiArea::DontMaximizeSubWindowOnActivation);
        area->setOption(QMdiArea::DontMaximizeSubWindowOnActivation, true);
        w->showMinimized();
        if (active && active != subWindow_ && area->activeSubWindow() != active) area->setActiveSubWindow(active);
        area->setOption(QMdiArea::DontMaximizeSubWindowOnActivation, keep);
      } else {
        w->showMinimized();
      }
      break;
    case wsMaximized: w->showMaximized(); break;
    default:
      w->showNormal();
      shownNormal_ = true;
      if (subWindow_ && hasRestoreBounds_) {
        hasRestoreBounds_ = false;
        SetBounds(restoreBounds_.Left, restoreBounds_.Top, restoreBounds_.Right - restoreBounds_.Left,
                  restoreBounds_.Bottom - restoreBounds_.Top);
      }
      break;
  }
}

void TCustomForm::SetActiveControl(TWinControl* v) {
  if (v && GetParentForm(v) != this) throw EInvalidOperation("Invalid control for the form");
  if (!SetFocusedControl(v)) return;
  if (v && v->Peer() && visible_) v->Peer()->setFocus(Qt::OtherFocusReason);
}

namespace {
UINT DeferredFocusMessage() {
  static const UINT id = RegisterWindowMessage("VelmaronDeferredFocus");
  return id;
}
}  // namespace

bool TCustomForm::SetFocusedControl(TWinControl* Control) {
  if (Control == activeControl_) return true;
  if (focusChanging_ > 0) {
    DeferFocus(Control);
    return false;
  }
  struct Changing {
    TCustomForm* f;
    explicit Changing(TCustomForm* form) : f(form) { ++f->focusChanging_; }
    ~Changing() { --f->focusChanging_; }
  };
  [&] {
    Changing changing(this);
    TWinControl* old = activeControl_;
    activeControl_ = Control;
    // As the class library does: the old control and its parents that do not hold the new one
    // are exited, then the new one's parents that do not hold the old one and the new one are
    // entered, outermost first; so the focus moving between a grid and its cell editor neither
    // exits nor enters the grid. A handler that moves the focus again ends the round.
    for (TWinControl* c = old; c && c != this && !(Control && c->ContainsControl(Control)); c = c->Parent()) {
      c->Perform(CM_EXIT);
      if (activeControl_ != Control) return;
    }
    std::vector<TWinControl*> entering;
    for (TWinControl* c = Control; c && c != this && !(old && c->ContainsControl(old)); c = c->Parent())
      entering.push_back(c);
    for (auto it = entering.rbegin(); it != entering.rend() && activeControl_ == Control; ++it)
      (*it)->Perform(CM_ENTER);
    if (Screen && Screen->ActiveForm() == this) Screen->SetActiveControl(Control);
  }();
  if (deferredFocus_ && !deferredPosted_) {
    deferredPosted_ = true;
    GuiPostMessage(handle_, DeferredFocusMessage(), 0, 0);
  }
  return true;
}

void TCustomForm::DeferFocus(TWinControl* Control) {
  if (!Control || returningFocus_) return;
  deferredFocus_ = Control->Handle();
}

void TCustomForm::ApplyDeferredFocus() {
  deferredPosted_ = false;
  // Still inside a change (a message box of a handler runs its own loop): the end of that
  // change posts the request again.
  if (focusChanging_ > 0) return;
  TWinControl* c = FindControl(deferredFocus_);
  deferredFocus_ = nullptr;
  if (!c || c == this || GetParentForm(c) != this || !c->CanFocus()) return;
  returningFocus_ = true;
  try {
    FocusControl(c);
  } catch (...) {
    returningFocus_ = false;
    throw;
  }
  returningFocus_ = false;
}

void TCustomForm::FocusControl(TWinControl* Control) {
  if (!Control->CanFocus() && visible_) throw EInvalidOperation("Cannot focus a disabled or invisible window");
  if (!SetFocusedControl(Control)) return;
  Control->HandleNeeded();
  if (Control->Peer()) Control->Peer()->setFocus(Qt::OtherFocusReason);
}

void TCustomForm::SetFocus() {
  if (!visible_ || !enabled_) throw EInvalidOperation("Cannot focus a disabled or invisible window");
  BringToFront();
}

void TCustomForm::SetMenu(TMainMenu* v) {
  if (v == menu_) return;
  if (menu_ && menu_->form_ == this) menu_->form_ = nullptr;
  menu_ = v;
  if (v) {
    v->form_ = this;
    v->FreeNotification(this);
  }
  MenuChanged();
}

void TCustomForm::SetWindowMenu(TMenuItem* v) { windowMenu_ = v; }

namespace {
// The menu bar is no control of the program's: a press on it reaches the
// application's click watcher as a press on the form that shows the bar.
class TMenuBarPresses : public QObject {
 public:
  TMenuBarPresses(QMenuBar* Bar, TCustomForm* Form) : QObject(Bar), form_(Form) { Bar->installEventFilter(this); }

 protected:
  bool eventFilter(QObject*, QEvent* Event) override {
    if (Event->type() == QEvent::MouseButtonPress && Application && Application->OnAnyMouseDown) {
      auto watcher = Application->OnAnyMouseDown;  // it may clear itself
      TCustomForm* form = form_;
      GuiRun(static_cast<TControl*>(form), [&watcher, form] { watcher(form); });
    }
    return false;
  }

 private:
  TCustomForm* form_;
};
}  // namespace

void TCustomForm::MenuChanged() {
  if (formStyle_ == fsMDIChild) {
    if (frame_) frame_->RebuildMenuBar();
    return;
  }
  if (menu_ && !menuBar_ && peer_) {
    menuBar_ = new QMenuBar(peer_);
    menuBar_->setNativeMenuBar(false);
    new TMenuBarPresses(menuBar_, this);
  }
  RebuildMenuBar();
  LayoutWindow();
  Realign();
}

bool GuiMenuBarMnemonic(TCustomForm* Form, char Key) {
  if (Form && Form->FormStyle() == fsMDIChild) Form = Form->MDIFrame();
  QMenuBar* bar = Form && Form->Peer() ? Form->Peer()->findChild<QMenuBar*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
  if (!bar || !bar->isVisible()) return false;
  for (QAction* a : bar->actions()) {
    if (!a->isVisible() || !a->isEnabled() || !IsAccel(static_cast<unsigned char>(Key), FromQString(a->text()))) continue;
    if (a->menu())
      bar->setActiveAction(a);
    else
      a->trigger();
    return true;
  }
  return false;
}

void TCustomForm::RebuildMenuBar() {
  if (!menuBar_) return;
  menuBar_->clear();
  if (!menu_) return;
  TCustomForm* child = formStyle_ == fsMDIForm ? ActiveMDIChild() : nullptr;
  menu_->merged_ = (child && child->menu_) ? child->menu_ : nullptr;
  for (TMenuItem* it : menu_->VisibleTopItems()) {
    if (it->Count() > 0)
      menuBar_->addMenu(it->SubMenu());
    else
      menuBar_->addAction(it->Action());
  }
}

void TCustomForm::MdiChildActivated(TCustomForm* child) {
  RebuildMenuBar();
  if (Screen) Screen->SetActiveForm(child ? child : this);
}

void TCustomForm::SetVisible(bool v) {
  if (v == visible_) return;
  if (v && !created_) AfterConstruction();
  visible_ = v;
  formState_ = v ? (formState_ | fsVisible) : (formState_ & ~fsVisible);
  if (v) {
    DoShow();
    if (!visible_) return;
    PlaceOnShow();
    QWidget* w = subWindow_ ? static_cast<QWidget*>(subWindow_) : peer_;
    if (w) {
      if (windowState_ == wsMinimized)
        w->showMinimized();
      else if (windowState_ == wsMaximized)
        w->showMaximized();
      else
        w->show();
      if (subWindow_ && windowState_ == wsNormal) shownNormal_ = true;
    }
    if (subWindow_ && frame_ && frame_->mdiArea_) {
      frame_->mdiArea_->setActiveSubWindow(subWindow_);
      frame_->MdiChildActivated(this);
    } else {
      if (peer_) RequestActivation(peer_);
      Screen->SetActiveForm(this);
    }
  } else {
    DoHide();
    GuiHintFormGone(this);
    QWidget* w = subWindow_ ? static_cast<QWidget*>(subWindow_) : peer_;
    if (w) w->hide();
    if (Screen->ActiveForm() == this) {
      TCustomForm* next = nullptr;
      if (frame_) {
        next = frame_->ActiveMDIChild();
        if (next == this) next = nullptr;
        if (!next) next = frame_;
      } else {
        for (int i = Screen->FormCount() - 1; i >= 0 && !next; --i) {
          TCustomForm* f = Screen->Forms(i);
          if (f != this && f->visible_ && !f->frame_) next = f;
        }
      }
      Screen->SetActiveForm(next);
    }
    if (frame_) frame_->RebuildMenuBar();
  }
}

void TCustomForm::VisibilityChanged() {}

void TCustomForm::PlaceOnShow() {
  if (placed_) return;
  placed_ = true;
  int sw = Screen->Width(), sh = Screen->Height();
  switch (position_) {
    case poScreenCenter:
    case poDesktopCenter:
      SetBounds((sw - width_) / 2, (sh - height_) / 2, width_, height_);
      break;
    case poMainFormCenter:
    case poOwnerFormCenter: {
      TCustomForm* o = Application ? Application->MainForm() : nullptr;
      if (position_ == poOwnerFormCenter)
        if (auto* of = dynamic_cast<TCustomForm*>(Owner())) o = of;
      if (o && o != this)
        SetBounds(o->left_ + (o->width_ - width_) / 2, o->top_ + (o->height_ - height_) / 2, width_, height_);
      else
        SetBounds((sw - width_) / 2, (sh - height_) / 2, width_, height_);
      break;
    }
    default:
      break;
  }
}

void TCustomForm::Show() {
  SetVisible(true);
  BringToFront();
}

void TCustomForm::BringToFront() {
  if (subWindow_ && frame_ && frame_->mdiArea_) {
    frame_->mdiArea_->setActiveSubWindow(subWindow_);
    return;
  }
  if (peer_ && visible_) {
    peer_->raise();
    RequestActivation(peer_);
    Screen->SetActiveForm(this);
  }
}

void TCustomForm::DoShow() {
  FireEvent(OnShow, this);
}
void TCustomForm::DoHide() {
  FireEvent(OnHide, this);
}
void TCustomForm::DoClose(TCloseAction& Action) {
  FireEvent(OnClose, this, Action);
}
void TCustomForm::Activate() {
  active_ = true;
  FireEvent(OnActivate, this);
}
void TCustomForm::Deactivate() {
  active_ = false;
  FireEvent(OnDeactivate, this);
}
void TCustomForm::Paint() {
  if (OnPaint) OnPaint(this);
}
void TCustomForm::Resize() { TWinControl::Resize(); }

void TCustomForm::PaintWindow(QPainter* Painter, const TRect&) {
  if (OnPaint) canvas_->PaintWith(Painter, ClientRect(), [this] { Paint(); });
}

bool TCustomForm::CloseQuery() {
  if (formStyle_ == fsMDIForm) {
    // A question may reorder or free the children: the list is taken first.
    std::vector<TCustomForm*> children;
    for (int i = 0; i < MDIChildCount(); ++i) children.push_back(MDIChildren(i));
    for (TCustomForm* child : children)
      if (HasMDIChild(child) && !child->releasing_ && !child->CloseQuery()) return false;
  }
  bool canClose = true;
  FireEvent(OnCloseQuery, this, canClose);
  return canClose;
}

void TCustomForm::Close() {
  if (formState_ & fsModal) {
    modalResult_ = mrCancel;
    return;
  }
  if (!CloseQuery()) return;
  TCloseAction action =
      formStyle_ == fsMDIChild ? ((borderIcons_ & biMinimize) ? caMinimize : caNone) : caHide;
  DoClose(action);
  if (action == caNone) return;
  if (Application && Application->MainForm() == this) {
    Application->Terminate();
  } else if (action == caHide) {
    Hide();
  } else if (action == caMinimize) {
    SetWindowState(wsMinimized);
  } else {
    Release();
  }
}

void TCustomForm::Release() {
  releasing_ = true;
  GuiPostMessage(Handle(), CM_RELEASE, 0, 0);
}

void TCustomForm::CloseModal() {
  TCloseAction action = caHide;
  if (!CloseQuery())
    action = caNone;
  else
    DoClose(action);
  if (action == caNone)
    modalResult_ = mrNone;
  else if (action == caFree)
    Release();
}

TModalResult TCustomForm::ShowModal() {
  if (visible_ || !enabled_ || (formState_ & fsModal) || formStyle_ == fsMDIChild)
    throw EInvalidOperation("Cannot make a visible window modal");
  if (!created_) AfterConstruction();
  CancelCaptureMode();
  GuiFormBusy(this, +1);
  formState_ |= fsModal;
  Application->modal_.push_back(this);
  if (peer_) peer_->setWindowModality(Qt::ApplicationModal);
  modalResult_ = mrNone;
  auto finish = [this] {
    Hide();
    if (peer_) peer_->setWindowModality(Qt::NonModal);
    auto& m = Application->modal_;
    m.erase(std::remove(m.begin(), m.end(), this), m.end());
    formState_ &= ~fsModal;
  };
  try {
    Show();
    for (;;) {
      bool ending = Application->Terminated();
      if (ending) modalResult_ = mrCancel;
      if (modalResult_ != mrNone) {
        CloseModal();
        if (modalResult_ != mrNone) break;
        if (ending) {  // the program ends even when CloseQuery refuses
          modalResult_ = mrCancel;
          break;
        }
        continue;
      }
      Application->HandleMessage();
    }
  } catch (...) {
    finish();
    GuiFormBusy(this, -1);
    throw;
  }
  TModalResult r = modalResult_;
  finish();
  GuiFormBusy(this, -1);
  return r;
}

void TCustomForm::KeyDown(WORD& Key, TShiftState Shift) { TWinControl::KeyDown(Key, Shift); }

void TCustomForm::CMDialogKey(TMessage& m) {
  WORD key = static_cast<WORD>(m.WParam);
  TShiftState shift = static_cast<TShiftState>(m.LParam);
  if (!(shift & (ssAlt | ssCtrl))) {
    switch (key) {
      case VK_TAB:
        SelectNext(activeControl_, !(shift & ssShift), true);
        m.Result = 1;
        return;
      case VK_LEFT: case VK_UP:
        if (activeControl_ && activeControl_->Parent()) {
          activeControl_->Parent()->SelectNext(activeControl_, false, false);
          m.Result = 1;
          return;
        }
        break;
      case VK_RIGHT: case VK_DOWN:
        if (activeControl_ && activeControl_->Parent()) {
          activeControl_->Parent()->SelectNext(activeControl_, true, false);
          m.Result = 1;
          return;
        }
        break;
      default: break;
    }
  }
  TWinControl::CMDialogKey(m);
}

void TCustomForm::CMDialogChar(TMessage& m) { TWinControl::CMDialogChar(m); }

void TCustomForm::CMTextChanged(TMessage& m) {
  if (peer_) peer_->setWindowTitle(ToQString(text_));
  if (subWindow_) subWindow_->setWindowTitle(ToQString(text_));
  TWinControl::CMTextChanged(m);
}

void TCustomForm::Dispatch(TMessage& m) {
  if (m.Msg == DeferredFocusMessage()) {
    ApplyDeferredFocus();
    return;
  }
  if (m.Msg == CM_RELEASE) {
    GuiPostMessage(handle_, CM_RELEASE, 0, 0);
    return;
  }
  if (m.Msg == WM_CLOSE) {
    Close();
    return;
  }
  if (m.Msg == WM_HELP) {
    // LParam: the control that had the keys when help was asked for.
    GuiHelpRequest(GuiFormHelpContext(this, reinterpret_cast<TControl*>(m.LParam)));
    m.Result = 1;
    return;
  }
  TWinControl::Dispatch(m);
}

int GuiFormHelpContext(TCustomForm* Form, TControl* Control) {
  for (TControl* c = Control; c; c = c->Parent())
    if (c->HelpContext() != 0) return c->HelpContext();
  for (TCustomForm* f = Form; f; f = f->MDIFrame())
    if (f->HelpContext() != 0) return f->HelpContext();
  return 0;
}

void GuiHelpRequest(int Context) {
  if (!Application) return;
  if (Context != 0)
    Application->HelpContext(Context);
  else
    Application->HelpCommand(HELP_FINDER, 0);
}

// ----- MDI
std::vector<TCustomForm*> ChildrenOf(const TCustomForm* frame, QMdiArea* area) {
  std::vector<TCustomForm*> r;
  if (!area) return r;
  auto list = area->subWindowList(QMdiArea::StackingOrder);
  for (auto it = list.rbegin(); it != list.rend(); ++it)
    for (int i = 0; i < Screen->FormCount(); ++i) {
      TCustomForm* f = Screen->Forms(i);
      if (f->MDIFrame() == frame && f->SubWindow() == *it && !f->destroyed_) r.push_back(f);
    }
  return r;
}

int TCustomForm::MDIChildCount() const {
  int n = 0;
  for (TCustomForm* f : ChildrenOf(this, mdiArea_))
    if (f->visible_) ++n;
  return n;
}

TCustomForm* TCustomForm::MDIChildren(int Index) const {
  if (Index < 0) return nullptr;
  int n = 0;
  for (TCustomForm* f : ChildrenOf(this, mdiArea_))
    if (f->visible_ && n++ == Index) return f;
  return nullptr;
}

bool TCustomForm::HasMDIChild(const TCustomForm* Form) const {
  for (TCustomForm* f : ChildrenOf(this, mdiArea_))
    if (f == Form && f->visible_) return true;
  return false;
}

bool TCustomForm::CloseMDIChildren() {
  std::vector<TCustomForm*> children;
  for (int i = MDIChildCount() - 1; i >= 0; --i) children.push_back(MDIChildren(i));
  for (TCustomForm* child : children)
    if (HasMDIChild(child)) child->Close();
  for (TCustomForm* child : children)
    if (HasMDIChild(child) && !child->releasing_) return false;
  return true;
}

TCustomForm* TCustomForm::ActiveMDIChild() const {
  if (!mdiArea_) return nullptr;
  QMdiSubWindow* w = mdiArea_->activeSubWindow();
  if (!w) {
    auto kids = ChildrenOf(this, mdiArea_);
    for (TCustomForm* f : kids)
      if (f->visible_) return f;
    return nullptr;
  }
  for (int i = 0; i < Screen->FormCount(); ++i)
    if (Screen->Forms(i)->subWindow_ == w && Screen->Forms(i)->visible_ && !Screen->Forms(i)->destroyed_)
      return Screen->Forms(i);
  return nullptr;
}

void TCustomForm::Cascade() {
  // The toolkit's cascade sizes each child to its size hint, a bare caption for a form. Children
  // take their form sizes instead (what the window system restores a child to after another was
  // maximised is a default box), each a caption lower and to the right of the one behind it, the
  // active one in front, cut only where the client area ends; minimised ones stay put.
  if (!mdiArea_) return;
  std::vector<TCustomForm*> kids;
  for (TCustomForm* f : ChildrenOf(this, mdiArea_))
    if (f->visible_ && f->subWindow_ && !f->subWindow_->isMinimized()) kids.insert(kids.begin(), f);
  const QSize area = mdiArea_->viewport()->size();
  int at = 0;
  for (TCustomForm* f : kids) {
    QStyle* st = f->subWindow_->style();
    const int step = st->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, f->subWindow_) +
                     st->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, f->subWindow_);
    if (f->subWindow_->isMaximized()) {
      f->windowState_ = wsMaximized;
      f->SetWindowState(wsNormal);
    }
    // Back to the top left corner when the next step would leave too little of the child.
    if (at > 0 && (at + 4 * step > area.width() || at + 4 * step > area.height())) at = 0;
    const int w = f->formWidth_ > 0 ? f->formWidth_ : f->width_, h = f->formHeight_ > 0 ? f->formHeight_ : f->height_;
    // Cut to the area without becoming the form's size: a larger frame gives the whole form back.
    f->TWinControl::SetBounds(at, at, std::max(std::min(w, area.width() - at), 4 * step),
                              std::max(std::min(h, area.height() - at), 4 * step));
    f->subWindow_->raise();
    at += step;
  }
  if (!kids.empty()) mdiArea_->setActiveSubWindow(kids.back()->subWindow_);
  for (TCustomForm* f : kids) f->AlignChildren();
}
void TCustomForm::Tile() {
  if (mdiArea_) mdiArea_->tileSubWindows();
  for (TCustomForm* f : ChildrenOf(this, mdiArea_)) {
    QRect g = f->subWindow_->geometry();
    f->left_ = g.x(), f->top_ = g.y(), f->width_ = g.width(), f->height_ = g.height();
    f->AlignChildren();
  }
}
void TCustomForm::ArrangeIcons() {
  // Minimized children line up along the bottom of the frame's client area.
  if (!mdiArea_) return;
  int x = 0;
  for (TCustomForm* f : ChildrenOf(this, mdiArea_)) {
    if (f->windowState_ != wsMinimized || !f->subWindow_) continue;
    QSize s = f->subWindow_->size();
    f->subWindow_->move(x, mdiArea_->height() - s.height());
    x += s.width();
  }
}
void TCustomForm::Next() {
  if (mdiArea_) mdiArea_->activateNextSubWindow();
}
void TCustomForm::Previous() {
  if (mdiArea_) mdiArea_->activatePreviousSubWindow();
}

// ---------------------------------------------------------------- window events
bool GuiFormEvent(TPeerBase* peer, TWinControl* c, QEvent* e) {
  auto* f = dynamic_cast<TCustomForm*>(c);
  if (!f || peer->Widget() == f->client_) return peer->BaseEvent(e);
  switch (e->type()) {
    case QEvent::Close:
      e->ignore();
      f->Close();
      return true;
    case QEvent::WindowDeactivate:
      // A window losing activation ends any mouse mode (sizing, selecting) on it.
      if (TControl* cap = GetCaptureControl(); cap && GetParentForm(cap) == f) CancelCaptureMode();
      return peer->BaseEvent(e);
    case QEvent::WindowStateChange:
      // Back at once, in the state it had: a modal dialog left minimised keeps the program
      // blocked with nothing in sight. The program's own minimise stands.
      if (!f->subWindow_ && peer->Widget() == f->peer_ && f->peer_->isMinimized() &&
          !MayMinimise(f->borderStyle_, f->borderIcons_)) {
        QWidget* w = f->peer_;
        QTimer::singleShot(0, w, [w] {
          // The peer may outlive its form for a moment: the form is asked for through it.
          TPeerBase* pb = PeerOf(w);
          auto* f = pb ? dynamic_cast<TCustomForm*>(pb->Control) : nullptr;
          if (!f || f->peer_ != w || !f->visible_ || f->windowState_ == wsMinimized || !w->isMinimized()) return;
          w->setWindowState(w->windowState() & ~Qt::WindowMinimized);
          w->show();
          GuiRun(static_cast<TControl*>(f), [f] { f->BringToFront(); });
        });
      }
      return peer->BaseEvent(e);
    case QEvent::WindowActivate:
      if (!f->frame_ && !StaleActivation(f->peer_))
        Screen->SetActiveForm(f->ActiveMDIChild() ? f->ActiveMDIChild() : f);
      return peer->BaseEvent(e);
    case QEvent::Resize:
      if (!f->subWindow_ && f->peer_ && (f->peer_->width() != f->width_ || f->peer_->height() != f->height_) &&
          f->peer_->isVisible()) {
        f->TWinControl::SetBounds(f->left_, f->top_, f->peer_->width(), f->peer_->height());
      }
      if (f->subWindow_ && peer->Widget() == f->peer_) {
        // The user moved or sized the MDI child's sub-window.
        QRect g = f->subWindow_->geometry();
        bool sized = g.width() != f->width_ || g.height() != f->height_;
        if (sized || g.x() != f->left_ || g.y() != f->top_) {
          f->left_ = g.x(), f->top_ = g.y(), f->width_ = g.width(), f->height_ = g.height();
          f->AlignChildren();
        }
        // The sub-window's caption and frame arrive when it is first shown, inside an unchanged
        // outer size: the client area shrinks and the controls must follow it.
        const auto* re = static_cast<QResizeEvent*>(e);
        const bool clientSized = re->size() != re->oldSize();
        if (!sized && clientSized) f->AlignChildren();
        if (sized || clientSized) f->Perform(WM_SIZE, 0, MakeLParam(f->ClientWidth(), f->ClientHeight()));
      }
      f->LayoutWindow();
      return peer->BaseEvent(e);
    default:
      return peer->BaseEvent(e);
  }
}

// ---------------------------------------------------------------- TApplication
TApplication::TApplication(TComponent* AOwner) : TComponent(AOwner) {}
TApplication::~TApplication() = default;

namespace {
std::vector<std::function<void()>>& StartupRoutines() {
  static std::vector<std::function<void()>> list;
  return list;
}

// The platform's change notices become the system's: a palette change is the system colour
// change of the forms, a new application style or a theme change of the window system the
// theme change of every window, a new application font the system font change of every window.
class TPaletteWatcher : public QObject {
 public:
  explicit TPaletteWatcher(QObject* Parent) : QObject(Parent), style_(QApplication::style()) {}

 protected:
  bool eventFilter(QObject* obj, QEvent* e) override {
    switch (e->type()) {
      case QEvent::ApplicationPaletteChange:
        if (obj == QCoreApplication::instance()) PaletteChanged();
        break;
      case QEvent::ApplicationFontChange:
        if (obj == QCoreApplication::instance()) GuiSendToAllWindows(CM_SYSFONTCHANGED);
        break;
      case QEvent::StyleChange:
        // Every widget hears of a new application style, and of its own style sheets: only a
        // new application style is a theme change.
        if (QApplication::style() != style_) {
          style_ = QApplication::style();
          ThemeChanged();
        }
        break;
      case QEvent::ThemeChange:
        // Each top-level window hears of it: the windows are told once, when all have heard.
        ThemeChanged();
        break;
      default: break;
    }
    return false;
  }

 private:
  static void PaletteChanged() {
    GuiReloadSystemColors();
    std::vector<HWND> forms;
    for (int i = 0; i < Screen->FormCount(); ++i) forms.push_back(Screen->Forms(i)->Handle());
    // A handler may free forms on the way.
    for (HWND h : forms)
      if (TWinControl* f = FindControl(h)) GuiRun(static_cast<TControl*>(f), [f] { f->Perform(CM_SYSCOLORCHANGE); });
  }
  void ThemeChanged() {
    if (themePending_) return;
    themePending_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
          themePending_ = false;
          GuiSendToAllWindows(WM_THEMECHANGED);
        },
        Qt::QueuedConnection);
  }
  QStyle* style_;
  bool themePending_ = false;
};
}  // namespace

void RegisterStartupRoutine(std::function<void()> Routine) {
  if (Application && Application->Initialized()) {
    Routine();
    return;
  }
  StartupRoutines().push_back(std::move(Routine));
}

// A static library's resource is linked only when named (outside any namespace).
static void InitBuiltinQtConf() { Q_INIT_RESOURCE(builtin_qt_conf); }

namespace {

// Qt looks for plugins in the executable's folder too, and an update (or anyone
// who may write there) could plant code in it. Qt's public interface cannot
// take a folder off the list before the application object exists: it only
// replays, once the object is made, what was removed from the paths it had
// worked out. So the folder is made one of those paths for a moment (through
// QT_PLUGIN_PATH, restored at once) and then removed. A qt.conf beside the
// program is never read: the built-in one (qt.conf.in) comes first.
void KeepOwnFolderOffPluginPaths() {
  InitBuiltinQtConf();
  const QString exe = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
  if (exe.isEmpty()) return;
  const QString own = QDir(QFileInfo(exe).absolutePath()).canonicalPath();
  const char* was = std::getenv("QT_PLUGIN_PATH");
  const std::string saved = was ? was : "";
  ::setenv("QT_PLUGIN_PATH", (saved.empty() ? own : own + QDir::listSeparator() + QString::fromStdString(saved))
                                 .toLocal8Bit()
                                 .constData(),
           1);
  QStringList paths = QCoreApplication::libraryPaths();
  if (was)
    ::setenv("QT_PLUGIN_PATH", saved.c_str(), 1);
  else
    ::unsetenv("QT_PLUGIN_PATH");
  paths.removeAll(own);
  QCoreApplication::setLibraryPaths(paths);
}

}  // namespace

void TApplication::Initialize() {
  if (!QCoreApplication::instance()) {  // tests bring their own
    KeepOwnFolderOffPluginPaths();
    // Qt keeps references to argc and argv for the whole run. The program takes
    // no command-line options, so its name is all Qt is given.
    static int argc = 1;
    static char name[] = "velmaron";
    static char* argv[] = {name, nullptr};
    // Lives until Shutdown: windows may still be torn down after Run.
    new QApplication(argc, argv);
    ownsWindowSystem_ = true;
  }
  if (initialized_) return;
  initialized_ = true;
  QCoreApplication::instance()->installEventFilter(new TPaletteWatcher(QCoreApplication::instance()));
  auto routines = std::move(StartupRoutines());
  StartupRoutines().clear();
  for (auto& r : routines) r();
}

void TApplication::RegisterCreated(TCustomForm* f) {
  created_.push_back(f);
  if (!mainForm_) mainForm_ = f;
  f->AfterConstruction();
}

void TApplication::Run() {
  if (mainForm_ && !mainForm_->Visible()) mainForm_->Show();
  while (!terminated_) HandleMessage();
  DestroyForms();
}

void TApplication::DestroyForms() {
  while (!created_.empty()) {
    TCustomForm* f = created_.back();
    created_.pop_back();
    bool alive = false;
    for (int i = 0; i < Screen->FormCount(); ++i)
      if (Screen->Forms(i) == f) alive = true;
    if (!alive) continue;
    f->BeforeDestruction();
    delete f;
  }
  GuiFlushDeletes();
}

void TApplication::Shutdown() {
  DestroyForms();
  while (Screen->FormCount() > 0) {
    TCustomForm* f = Screen->Forms(Screen->FormCount() - 1);
    f->BeforeDestruction();
    delete f;
  }
  GuiFlushDeletes();
  mainForm_ = nullptr;
  if (!ownsWindowSystem_) return;
  ownsWindowSystem_ = false;
  GuiFreeRegisteredCursors();
  delete QCoreApplication::instance();
}

void TApplication::Terminate() {
  terminated_ = true;
  if (auto* app = QCoreApplication::instance()) QTimer::singleShot(0, app, [] {});
}

void TApplication::ProcessMessages() {
  QCoreApplication::sendPostedEvents();
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  GuiFlushDeletes();
}

void TApplication::HandleMessage() {
  QCoreApplication::sendPostedEvents();
  QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
  GuiFlushDeletes();
  if (OnIdle) {
    bool done = true;
    OnIdle(this, done);
  }
}

// Not the toolkit's display name: the window system would append it to every caption.
void TApplication::SetTitle(const std::string& v) { title_ = v; }

std::string TApplication::ExeName() const {
  if (!QCoreApplication::instance()) return std::string();
  return FromQString(QCoreApplication::applicationFilePath());
}

namespace {
bool gHelpShown = false;
}

void GuiForgetHelpNotice() { gHelpShown = false; }

bool TApplication::HelpContext(int Context) { return HelpCommand(HELP_CONTEXT, Context); }

bool TApplication::HelpJump(const std::string&) { return HelpCommand(HELP_CONTEXT, 0); }

bool TApplication::HelpCommand(WORD Command, intptr_t Data) {
  bool callHelp = true;
  if (OnHelp) {
    bool r = OnHelp(Command, Data, callHelp);
    if (!callHelp) return r;
  }
  if (Command == HELP_QUIT) return true;
  // Once per run: the help file is a Windows help file and Linux has no viewer for it.
  if (gHelpShown) return false;
  gHelpShown = true;
  std::string file = helpFile_.empty() ? std::string("the program's help file") : "\"" + helpFile_ + "\"";
  MessageBox("Help is not available: " + file + " needs the Windows help viewer, which does not exist on Linux.",
             title_.empty() ? std::string("Help") : title_, MB_OK | MB_ICONINFORMATION);
  return false;
}

void TApplication::HandleException(TObject* Sender) {
  try {
    throw;
  } catch (EAbort&) {
  } catch (Exception& e) {
    HandleException(Sender, e);
  } catch (std::exception& e) {
    Exception w(e.what());
    HandleException(Sender, w);
  }
}

void TApplication::HandleException(TObject* Sender, Exception& E) {
  if (dynamic_cast<EAbort*>(&E)) return;
  if (OnException)
    OnException(Sender, E);
  else
    ShowException(E);
}

void TApplication::ShowException(Exception& E) {
  std::string msg = E.Message();
  if (!msg.empty() && static_cast<unsigned char>(msg.back()) > '.') msg += '.';
  MessageBox(msg, title_, MB_OK | MB_ICONSTOP);
}

int TApplication::MessageBox(const std::string& Text, const std::string& Caption, UINT Flags) {
  return ::MessageBox(nullptr, Text, Caption, Flags);
}

void TApplication::BringToFront() {
  if (mainForm_) mainForm_->BringToFront();
}
void TApplication::Minimize() {
  if (mainForm_) mainForm_->SetWindowState(wsMinimized);
}
void TApplication::Restore() {
  if (mainForm_) mainForm_->SetWindowState(wsNormal);
}
bool TApplication::Active() const { return Screen && Screen->ActiveForm() != nullptr; }

// ---------------------------------------------------------------- TScreen
TScreen::TScreen(TComponent* AOwner) : TComponent(AOwner), hintFont_(new TFont), menuFont_(new TFont) {
  // The one sans-serif face every Debian desktop has; 10 pixels keeps a
  // status panel's "400 KHz" inside its 50 pixels, as Tahoma 8 did there.
  hintFont_->SetName(HintFontName);
  hintFont_->SetHeight(HintFontHeight);
}
TScreen::~TScreen() = default;

void TScreen::SetCursor(TCursor v) {
  if (v == cursor_) return;
  cursor_ = v;
  if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return;
  while (QGuiApplication::overrideCursor()) QGuiApplication::restoreOverrideCursor();
  if (v != crDefault) QGuiApplication::setOverrideCursor(GuiQCursor(v));
}

HCURSOR TScreen::Cursors(int Index) const { return GuiRegisteredCursor(Index); }
void TScreen::SetCursors(int Index, HCURSOR Cursor) { GuiRegisterCursor(Index, Cursor); }

int TScreen::Width() const {
  if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
    if (app->primaryScreen()) return app->primaryScreen()->geometry().width();
  return 1024;
}
int TScreen::Height() const {
  if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
    if (app->primaryScreen()) return app->primaryScreen()->geometry().height();
  return 768;
}

namespace {
std::vector<TMonitor>& TestMonitors() {
  static std::vector<TMonitor> m;
  return m;
}
TRect FromQRectOf(const QRect& r) { return TRect(r.left(), r.top(), r.left() + r.width(), r.top() + r.height()); }
}  // namespace

void TScreen::SetTestMonitors(std::vector<TMonitor> Monitors) { TestMonitors() = std::move(Monitors); }

std::vector<TMonitor> TScreen::Monitors() const {
  if (!TestMonitors().empty()) return TestMonitors();
  std::vector<TMonitor> r;
  if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
    QScreen* primary = app->primaryScreen();
    for (QScreen* s : QGuiApplication::screens()) {
      TMonitor m{FromQRectOf(s->geometry()), FromQRectOf(s->availableGeometry()), s == primary};
      if (m.Primary) r.insert(r.begin(), m);
      else r.push_back(m);
    }
  }
  if (r.empty()) r.push_back(TMonitor{TRect(0, 0, Width(), Height()), TRect(0, 0, Width(), Height()), true});
  return r;
}

TMonitor TScreen::MonitorFromRect(const TRect& R) const {
  const std::vector<TMonitor> all = Monitors();
  const TMonitor* best = &all.front();
  long long bestArea = -1, bestGap = -1;
  for (const TMonitor& m : all) {
    TRect i;
    const long long area = IntersectRect(i, m.BoundsRect, R) ? static_cast<long long>(i.Width()) * i.Height() : 0;
    // Distance from R's middle to the screen, for a rectangle on no screen at all.
    const int cx = R.Left + R.Width() / 2, cy = R.Top + R.Height() / 2;
    const long long dx = std::max({m.BoundsRect.Left - cx, 0, cx - (m.BoundsRect.Right - 1)});
    const long long dy = std::max({m.BoundsRect.Top - cy, 0, cy - (m.BoundsRect.Bottom - 1)});
    const long long gap = dx * dx + dy * dy;
    if (area > bestArea || (area == 0 && bestArea == 0 && gap < bestGap)) {
      best = &m;
      bestArea = area;
      bestGap = gap;
    }
  }
  return *best;
}

TRect TScreen::MonitorRect(TPoint P) const { return MonitorFromRect(TRect(P.X, P.Y, P.X + 1, P.Y + 1)).BoundsRect; }

bool TScreen::MessageIcon(int Kind, int Size, TColor Back, TBitmap* Bitmap) const {
  static const char* const names[] = {"dialog-information", "dialog-warning", "dialog-error"};
  static const QStyle::StandardPixmap standard[] = {QStyle::SP_MessageBoxInformation, QStyle::SP_MessageBoxWarning,
                                                    QStyle::SP_MessageBoxCritical};
  if (Kind < 1 || Kind > 3 || Size <= 0 || !Bitmap) return false;
  QIcon icon = QIcon::fromTheme(QString::fromLatin1(names[Kind - 1]));
  if (icon.isNull() && QApplication::style()) icon = QApplication::style()->standardIcon(standard[Kind - 1]);
  QImage img(Size, Size, QImage::Format_RGB32);
  img.fill(ToQColor(Back));
  if (!icon.isNull()) {
    QPainter p(&img);
    icon.paint(&p, QRect(0, 0, Size, Size));
  }
  Bitmap->SetImage(img);
  return !icon.isNull();
}

std::vector<std::string> TScreen::Fonts() const {
  std::vector<std::string> r;
  for (const QString& f : QFontDatabase::families()) r.push_back(FromQString(f));
  return r;
}

void TScreen::AddForm(TCustomForm* f) { forms_.push_back(f); }

void TScreen::RemoveForm(TCustomForm* f) {
  forms_.erase(std::remove(forms_.begin(), forms_.end(), f), forms_.end());
  if (activeForm_ == f) {
    activeForm_ = nullptr;
    activeControl_ = nullptr;
    if (OnActiveFormChange) GuiRun(static_cast<TComponent*>(nullptr), [this] { OnActiveFormChange(this); });
  }
}

void TScreen::SetActiveForm(TCustomForm* f) {
  if (f == activeForm_) return;
  TCustomForm* old = activeForm_;
  activeForm_ = f;
  if (old) old->Deactivate();
  if (f && activeForm_ == f) f->Activate();
  activeControl_ = f ? f->ActiveControl() : nullptr;
  FireEvent(OnActiveFormChange, this);
}

void TScreen::SetActiveControl(TWinControl* c) {
  if (c == activeControl_) return;
  activeControl_ = c;
  FireEvent(OnActiveControlChange, this);
}
