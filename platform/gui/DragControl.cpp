// Dragging controls onto controls of the same program: the source holds the mouse (a Qt grab)
// and the pointer's travel is turned into drag-over, drop and end events; no OLE transfer.
#include <QCursor>
#include <QGuiApplication>
#include <cstdlib>
#include <memory>

#include "platform/gui/Controls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/GuiInternal.h"
#include "platform/gui/WinWindow.h"

namespace {

// The small tool window a control floats in after a dock drag that no site took.
class TFloatHost : public TForm {
 public:
  explicit TFloatHost(TComponent* AOwner) : TForm(AOwner) { SetBorderStyle(bsToolWindow); }
  std::string ClassName() const override { return "TFloatHost"; }
};

struct TControlDrag {
  TControl* Source = nullptr;
  std::shared_ptr<bool> SourceAlive;
  TObject* Object = nullptr;  // what targets hear as the Source
  TPoint Start;
  int Threshold = DefaultDragThreshold;
  bool Active = false;
  bool Dock = false;
  TControl* Target = nullptr;
  std::shared_ptr<bool> TargetAlive;
  bool Accepted = false;
  bool CursorShown = false;
};
std::unique_ptr<TControlDrag> gDrag;

bool Inside(const TControl* c, const TControl* outer) {
  for (; c; c = c->Parent())
    if (c == outer) return true;
  return false;
}

// The control a drag at screen point P is over: any control for a drag, the nearest dock site
// (not the docked control itself nor inside it) for a dock drag.
TControl* TargetAt(const TControlDrag& d, TPoint P) {
  TControl* t = FindDragTarget(P, false);
  if (!d.Dock) return t;
  for (; t; t = t->Parent())
    if (auto* w = dynamic_cast<TWinControl*>(t); w && w->DockSite() && !Inside(w, d.Source)) return w;
  return nullptr;
}

bool AskOver(const TControlDrag& d, TControl* t, TPoint P, TDragState State) {
  TPoint c = t->ScreenToClient(P);
  bool accept = false;
  if (d.Dock)
    static_cast<TWinControl*>(t)->DockOver(d.Object, c.X, c.Y, State, accept);
  else
    t->DragOver(d.Object, c.X, c.Y, State, accept);
  return accept;
}

void ShowDragCursor(TControlDrag& d) {
  // A dock drag that no site takes still floats the control: only a plain drag shows refusal.
  const TCursor c = d.Accepted || d.Dock ? d.Source->DragCursor() : crNoDrop;
  if (d.CursorShown) {
    QGuiApplication::changeOverrideCursor(GuiQCursor(c));
  } else {
    QGuiApplication::setOverrideCursor(GuiQCursor(c));
    d.CursorShown = true;
  }
}

void Start(TControlDrag& d) {
  d.Active = true;
  // The drag takes the release: the source ends its own press now, as if released elsewhere.
  d.Source->Perform(WM_CANCELMODE);
  if (!*d.SourceAlive) return;
  TObject* object = nullptr;
  if (d.Dock)
    d.Source->DoStartDock(object);
  else
    d.Source->DoStartDrag(object);
  if (object) d.Object = object;
}

void MoveTo(TPoint P) {
  TControlDrag& d = *gDrag;
  if (!d.Active) {
    if (std::abs(P.X - d.Start.X) < d.Threshold && std::abs(P.Y - d.Start.Y) < d.Threshold) return;
    Start(d);
    if (!gDrag || !*d.SourceAlive) return;
  }
  TControl* t = TargetAt(d, P);
  if (d.Target && !*d.TargetAlive) d.Target = nullptr;
  if (t != d.Target) {
    if (d.Target) AskOver(d, d.Target, P, dsDragLeave);
    d.Target = t;
    d.TargetAlive = t ? t->AliveFlag() : nullptr;
    d.Accepted = t && AskOver(d, t, P, dsDragEnter);
  } else if (t) {
    d.Accepted = AskOver(d, t, P, dsDragMove);
  }
  if (gDrag && *d.SourceAlive) ShowDragCursor(d);
}

TCustomForm* FloatHostOf(TControl* c) { return dynamic_cast<TFloatHost*>(c->Parent()); }

void Float(TControl* Source, TPoint P) {
  TCustomForm* host = FloatHostOf(Source);
  if (!host) {
    host = new TFloatHost(Source->Owner() ? Source->Owner() : Application);
    host->SetClientSize(Source->Width(), Source->Height());
    Source->SetParent(host);
    Source->SetBounds(0, 0, Source->Width(), Source->Height());
  }
  host->SetLeft(P.X);
  host->SetTop(P.Y);
  host->Show();
}

void FinishDock(TControlDrag& d, TWinControl* Site, bool Drop, TPoint P) {
  TControl* src = d.Source;
  TWinControl* old = src->Parent();
  TCustomForm* oldFloat = FloatHostOf(src);
  TPoint c = Site ? Site->ScreenToClient(P) : P;
  if (Drop && Site != old) {
    if (old && old->DockSite() && !old->DoUnDock(Site, src)) {
      Drop = false;
      Site = nullptr;
    }
    if (!*d.SourceAlive) return;
  }
  if (Drop) {
    if (Site) {
      if (Site != old) src->SetParent(Site);
      src->SetBounds(c.X, c.Y, src->Width(), src->Height());
      if (oldFloat && oldFloat != Site && oldFloat->ControlCount() == 0) oldFloat->Release();
      Site->DockDrop(d.Object, c.X, c.Y);
    } else {
      Float(src, P);
    }
  }
  if (*d.SourceAlive) src->DoEndDock(Drop ? Site : nullptr, c.X, c.Y);
}

void Finish(bool Drop, TPoint P) {
  // Cleared first: a handler below may start the next drag.
  std::unique_ptr<TControlDrag> d = std::move(gDrag);
  if (d->CursorShown) QGuiApplication::restoreOverrideCursor();
  if (!*d->SourceAlive) return;
  if (d->Source->MouseCapture()) ReleaseCapture();
  if (!d->Active) return;
  TControl* target = d->Target && *d->TargetAlive ? d->Target : nullptr;
  if (target) AskOver(*d, target, P, dsDragLeave);
  if (target && !*d->TargetAlive) target = nullptr;
  const bool accepted = target && d->Accepted;
  if (d->Dock) return FinishDock(*d, accepted ? static_cast<TWinControl*>(target) : nullptr, Drop, P);
  const bool dropped = Drop && accepted;
  // Where it was dropped, in the target's client coordinates; (0, 0) when it was not.
  const TPoint c = dropped ? target->ScreenToClient(P) : TPoint();
  if (dropped) target->DragDrop(d->Object, c.X, c.Y);
  if (*d->SourceAlive) d->Source->DoEndDrag(dropped && *d->TargetAlive ? target : nullptr, c.X, c.Y);
}

}  // namespace

bool GuiDragMouse(TControl* Control, UINT Msg, TPoint Client) {
  if (!gDrag || gDrag->Source != Control) return false;
  const TPoint p = Control->ClientToScreen(Client);
  const bool active = gDrag->Active;
  switch (Msg) {
    case WM_MOUSEMOVE: MoveTo(p); return active;
    case WM_LBUTTONUP: Finish(true, p); return active;
    case WM_RBUTTONDOWN: case WM_MBUTTONDOWN:
      if (active) Finish(false, p);
      return active;
    default: return active;
  }
}

void GuiDragControlGone(TControl* Control) {
  if (!gDrag || gDrag->Source != Control) return;
  if (gDrag->CursorShown) QGuiApplication::restoreOverrideCursor();
  gDrag.reset();
}

bool GuiEscapeDrag() {
  if (!gDrag || !gDrag->Active) return false;
  CancelDrag();
  return true;
}

void CancelDrag() {
  if (gDrag) Finish(false, Mouse_CursorPos());
}

TControl* DragSourceControl() { return gDrag && *gDrag->SourceAlive ? gDrag->Source : nullptr; }

void TControl::BeginDrag(bool Immediate, int Threshold) {
  if (gDrag) return;
  gDrag = std::make_unique<TControlDrag>();
  TControlDrag& d = *gDrag;
  d.Source = this;
  d.SourceAlive = alive_;
  d.Object = this;
  d.Dock = dragKind_ == dkDock;
  d.Start = GetMessagePos();
  if (Threshold >= 0) d.Threshold = Threshold;
  // The source keeps the mouse wherever the pointer goes until the drag ends.
  TWinControl* holder = IsWindowed() ? static_cast<TWinControl*>(this) : parent_;
  if (holder && holder->HandleAllocated()) SetCapture(holder->Handle());
  SetCaptureControl(this);
  if (Immediate) {
    Start(d);
    if (gDrag && *d.SourceAlive) MoveTo(d.Start);
  }
}

void TControl::EndDrag(bool Drop) {
  if (gDrag && gDrag->Source == this) Finish(Drop, Mouse_CursorPos());
}

bool TControl::Dragging() const { return gDrag && gDrag->Source == this; }

bool TControl::Floating() const { return parent_ && dynamic_cast<TFloatHost*>(parent_); }

TWinControl* TControl::HostDockSite() const { return parent_ && parent_->DockSite() ? parent_ : nullptr; }

void TControl::DragDrop(TObject* Source, int X, int Y) {
  if (OnDragDrop) OnDragDrop(this, Source, X, Y);
}
void TControl::DoStartDrag(TObject*& DragObject) {
  if (OnStartDrag) OnStartDrag(this, DragObject);
}
void TControl::DoEndDrag(TObject* Target, int X, int Y) {
  if (OnEndDrag) OnEndDrag(this, Target, X, Y);
}
void TControl::DoStartDock(TObject*& DragObject) {
  if (OnStartDock) OnStartDock(this, DragObject);
}
void TControl::DoEndDock(TObject* Target, int X, int Y) {
  if (OnEndDock) OnEndDock(this, Target, X, Y);
}

void TWinControl::DockOver(TObject* Source, int X, int Y, TDragState State, bool& Accept) {
  Accept = true;
  if (OnDockOver) OnDockOver(this, Source, X, Y, State, Accept);
}
void TWinControl::DockDrop(TObject* Source, int X, int Y) {
  if (OnDockDrop) OnDockDrop(this, Source, X, Y);
}
bool TWinControl::DoUnDock(TWinControl* NewTarget, TControl* Client) {
  bool allow = true;
  if (OnUnDock) OnUnDock(this, Client, NewTarget, allow);
  return allow;
}
