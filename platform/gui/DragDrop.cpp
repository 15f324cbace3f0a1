#include "platform/gui/DragDrop.h"

#include <QCursor>
#include <QDrag>
#include <QDropEvent>
#include <QGuiApplication>
#include <QMimeData>
#include <QTimer>
#include <QWidget>
#include <map>

#include "platform/gui/GuiInternal.h"
#include "platform/gui/MimeBridge.h"
#include "platform/gui/QtPeer.h"

namespace {
struct Registration {
  std::shared_ptr<TDropTarget> target;
  bool inside = false;     // between an accepted enter and the leave or drop
  int lastEffect = DROPEFFECT_NONE;
};
std::map<QWidget*, Registration>& Registrations() {
  static std::map<QWidget*, Registration> r;
  return r;
}
TDragLoop& Loop() {
  static TDragLoop l;
  return l;
}

Qt::DropActions ToQt(int effects) {
  Qt::DropActions a;
  if (effects & DROPEFFECT_COPY) a |= Qt::CopyAction;
  if (effects & DROPEFFECT_MOVE) a |= Qt::MoveAction;
  if (effects & DROPEFFECT_LINK) a |= Qt::LinkAction;
  return a;
}
Qt::DropAction ToQtAction(int effect) {
  if (effect & DROPEFFECT_MOVE) return Qt::MoveAction;
  if (effect & DROPEFFECT_COPY) return Qt::CopyAction;
  if (effect & DROPEFFECT_LINK) return Qt::LinkAction;
  return Qt::IgnoreAction;
}
int FromQt(Qt::DropActions a) {
  int e = DROPEFFECT_NONE;
  if (a & Qt::CopyAction) e |= DROPEFFECT_COPY;
  if (a & Qt::MoveAction) e |= DROPEFFECT_MOVE;
  if (a & Qt::LinkAction) e |= DROPEFFECT_LINK;
  return e;
}
// One effect the source allows: the answer when it is one, else copy, move, link in turn.
int Allowed(int effect, int allowed) {
  for (int e : {DROPEFFECT_MOVE, DROPEFFECT_COPY, DROPEFFECT_LINK})
    if ((effect & e) && (allowed & e)) return e;
  if (effect == DROPEFFECT_NONE) return DROPEFFECT_NONE;
  for (int e : {DROPEFFECT_COPY, DROPEFFECT_MOVE, DROPEFFECT_LINK})
    if (allowed & e) return e;
  return DROPEFFECT_NONE;
}
// The action the source proposes for the drag event being delivered (none between events).
int& Proposed() {
  static int p = DROPEFFECT_NONE;
  return p;
}
struct TProposedScope {
  explicit TProposedScope(int Effect) : old(Proposed()) { Proposed() = Effect; }
  ~TProposedScope() { Proposed() = old; }
  int old;
};
// A drag event that carries the action its source proposes, as the window system's do.
template <class E>
struct TProposing : E {
  template <class... A>
  explicit TProposing(Qt::DropAction P, A&&... Args) : E(std::forward<A>(Args)...) {
    this->m_defaultAction = P;
  }
};
Qt::KeyboardModifiers ModifiersOf(TShiftState s) {
  Qt::KeyboardModifiers m;
  if (s & ssShift) m |= Qt::ShiftModifier;
  if (s & ssCtrl) m |= Qt::ControlModifier;
  if (s & ssAlt) m |= Qt::AltModifier;
  return m;
}
Qt::MouseButtons ButtonsOf(TShiftState s) {
  Qt::MouseButtons b;
  if (s & ssLeft) b |= Qt::LeftButton;
  if (s & ssRight) b |= Qt::RightButton;
  if (s & ssMiddle) b |= Qt::MiddleButton;
  return b;
}
}  // namespace

int StandardDropEffect(TShiftState Keys, int AllowedEffects) {
  if (Keys & ssCtrl) return DROPEFFECT_COPY;
  if ((Keys & ssShift) && (AllowedEffects & DROPEFFECT_MOVE)) return DROPEFFECT_MOVE;
  if (Proposed() & AllowedEffects) return Proposed();
  return (AllowedEffects & DROPEFFECT_COPY) || !(AllowedEffects & DROPEFFECT_MOVE) ? DROPEFFECT_COPY : DROPEFFECT_MOVE;
}

bool RegisterDragDrop(TWinControl* Control, std::shared_ptr<TDropTarget> Target) {
  if (!Control || !Target) return false;
  Control->HandleNeeded();
  QWidget* w = Control->Peer();
  if (!w || Registrations().count(w)) return false;
  Registrations()[w].target = std::move(Target);
  QObject::connect(w, &QObject::destroyed, [w] { Registrations().erase(w); });
  w->setAcceptDrops(true);
  return true;
}

void RevokeDragDrop(TWinControl* Control) {
  QWidget* w = Control ? Control->Peer() : nullptr;
  if (!w || !Registrations().erase(w)) return;
  w->setAcceptDrops(false);
}

bool IsDragDropRegistered(TWinControl* Control) {
  QWidget* w = Control ? Control->Peer() : nullptr;
  return w && Registrations().count(w);
}

// The drag events of a peer: to its registered target, else to the widget itself.
bool GuiDragEvent(TPeerBase* Peer, QEvent* Event) {
  QWidget* w = Peer->Widget();
  auto found = Registrations().find(w);
  if (found == Registrations().end()) return Peer->BaseEvent(Event);
  std::shared_ptr<TDropTarget> target = found->second.target;  // lives through a revoke inside the call
  TControl* control = Peer->Control;
  auto state = [w]() -> Registration* {
    auto it = Registrations().find(w);
    return it == Registrations().end() ? nullptr : &it->second;
  };
  if (Event->type() == QEvent::DragLeave) {
    Registration* r = state();
    if (r && r->inside) {
      r->inside = false;
      GuiRun(control, [&] { target->DragLeave(); });
    }
    Event->accept();
    return true;
  }
  auto* e = static_cast<QDropEvent*>(Event);
  const QMimeData* mime = e->mimeData();
  const TShiftState keys = ShiftFromQt(e->modifiers(), e->buttons());
  const QPoint g = w->mapToGlobal(e->position().toPoint());
  const TPoint pt(g.x(), g.y());
  const int allowed = FromQt(e->possibleActions());
  const TProposedScope proposed(FromQt(e->proposedAction()) & allowed);
  int effect = DROPEFFECT_NONE;
  switch (Event->type()) {
    case QEvent::DragEnter: {
      if (!mime || mime->formats().isEmpty() || !allowed) {  // nothing any target could read
        e->ignore();
        return true;
      }
      state()->inside = true;
      TDataObject data = DataObjectOf(mime);
      GuiRun(control, [&] { effect = target->DragEnter(data, keys, pt, allowed); });
      break;
    }
    case QEvent::DragMove: {
      Registration* r = state();
      if (!r || !r->inside) {
        e->ignore();
        return true;
      }
      GuiRun(control, [&] { effect = target->DragOver(keys, pt, allowed); });
      break;
    }
    case QEvent::Drop: {
      Registration* r = state();
      if (!r || !r->inside) {
        e->ignore();
        return true;
      }
      r->inside = false;
      if (r->lastEffect == DROPEFFECT_NONE) {
        GuiRun(control, [&] { target->DragLeave(); });
        e->ignore();
        return true;
      }
      TDataObject data = DataObjectOf(mime);
      GuiRun(control, [&] { effect = target->Drop(data, keys, pt, allowed); });
      break;
    }
    default:
      return Peer->BaseEvent(Event);
  }
  effect = Allowed(effect, allowed);
  if (Registration* r = state()) r->lastEffect = effect;
  e->setDropAction(ToQtAction(effect));
  // An enter is taken whatever the answer, so the moves that follow may still find a place.
  if (effect != DROPEFFECT_NONE || Event->type() == QEvent::DragEnter) e->accept();
  else e->ignore();
  return true;
}

void SetDragLoop(TDragLoop L) { Loop() = std::move(L); }

TDragDropResult DoDragDrop(TWinControl* Control, const TDataObject& Data, TDropSource* Source, int AllowedEffects,
                           int& Effect) {
  Effect = DROPEFFECT_NONE;
  if (Loop()) {
    TDragLoop loop = Loop();
    Effect = Allowed(loop(Control, Data, Source, AllowedEffects), AllowedEffects);
  } else {
    QWidget* w = Control ? Control->Peer() : nullptr;
    // Without a window system there is no pointer to follow: nothing to drop on.
    if (!w || QGuiApplication::platformName() == "offscreen" || Data.Empty()) return DRAGDROP_S_CANCEL;
    auto* drag = new QDrag(w);  // Qt frees it when the drag is over
    drag->setMimeData(MimeDataOf(Data));
    if (Source)
      QObject::connect(drag, &QDrag::actionChanged, [Source](Qt::DropAction a) { Source->GiveFeedback(FromQt(a)); });
    QTimer poll;
    TShiftState lastKeys = ~0u;
    QPoint lastPos(-1 << 30, -1 << 30);
    QObject::connect(&poll, &QTimer::timeout, [&] {
      TShiftState k = ShiftFromQt(QGuiApplication::queryKeyboardModifiers(), QGuiApplication::mouseButtons());
      QPoint p = QCursor::pos();
      if (k == lastKeys && p == lastPos) return;
      lastKeys = k;
      lastPos = p;
      if (Source) Source->QueryContinue(k, TPoint(p.x(), p.y()));
    });
    poll.start(15);
    Qt::DropAction a = drag->exec(ToQt(AllowedEffects),
                                  (AllowedEffects & DROPEFFECT_MOVE) ? Qt::MoveAction : Qt::CopyAction);
    Effect = Allowed(FromQt(a), AllowedEffects);
  }
  return Effect == DROPEFFECT_NONE ? DRAGDROP_S_CANCEL : DRAGDROP_S_DROP;
}

int DeliverDrop(TWinControl* Control, const TDataObject& Data, TPoint Pt, TShiftState Keys, int AllowedEffects,
                bool Release, const std::function<void()>& AfterMove, int ProposedEffect) {
  if (!Control) return DROPEFFECT_NONE;
  Control->HandleNeeded();
  QWidget* w = Control->Peer();
  if (!w) return DROPEFFECT_NONE;
  std::unique_ptr<QMimeData> mime(MimeDataOf(Data));
  const QPoint local = w->mapFromGlobal(QPoint(Pt.X, Pt.Y));
  const Qt::DropActions actions = ToQt(AllowedEffects);
  const Qt::MouseButtons buttons = ButtonsOf(Keys | ssLeft);
  const Qt::KeyboardModifiers mods = ModifiersOf(Keys);
  // As DoDragDrop proposes unless the caller names the proposal: move where it is allowed.
  if (ProposedEffect == DROPEFFECT_NONE)
    ProposedEffect = (AllowedEffects & DROPEFFECT_MOVE) ? DROPEFFECT_MOVE : DROPEFFECT_COPY;
  const Qt::DropAction proposal = ToQtAction(ProposedEffect);
  TProposing<QDragEnterEvent> enter(proposal, local, actions, mime.get(), buttons, mods);
  QCoreApplication::sendEvent(w, &enter);
  if (!enter.isAccepted()) return DROPEFFECT_NONE;
  TProposing<QDragMoveEvent> move(proposal, local, actions, mime.get(), buttons, mods);
  QCoreApplication::sendEvent(w, &move);
  if (AfterMove) AfterMove();
  if (!Release) {
    QDragLeaveEvent leave;
    QCoreApplication::sendEvent(w, &leave);
    return move.isAccepted() ? FromQt(move.dropAction()) : DROPEFFECT_NONE;
  }
  TProposing<QDropEvent> drop(proposal, QPointF(local), actions, mime.get(), buttons & ~Qt::LeftButton, mods);
  QCoreApplication::sendEvent(w, &drop);
  return drop.isAccepted() ? FromQt(drop.dropAction()) : DROPEFFECT_NONE;
}
