#include "controls/instrument/InstControls.h"

#include <algorithm>

// ---- TInstComponent, change links

TInstComponent::TInstComponent(TComponent* AOwner) : TComponent(AOwner) {}

TInstChangeLink::~TInstChangeLink() {
  if (FSender) FSender->RemoveLink(this);
}

void TInstChangeLink::Change() {
  if (OnChange) OnChange(FSender);
}

TInstSharedComponent::~TInstSharedComponent() {
  // Links outlive the component: they must forget it first.
  while (!FLinks.empty()) RemoveLink(FLinks.back());
}

void TInstSharedComponent::InsertLink(TInstChangeLink* Link) {
  if (!Link) return;
  if (Link->FSender && Link->FSender != this) Link->FSender->RemoveLink(Link);
  if (std::find(FLinks.begin(), FLinks.end(), Link) == FLinks.end()) FLinks.push_back(Link);
  Link->FSender = this;
}

void TInstSharedComponent::RemoveLink(TInstChangeLink* Link) {
  if (!Link) return;
  auto it = std::find(FLinks.begin(), FLinks.end(), Link);
  if (it != FLinks.end()) FLinks.erase(it);
  if (Link->FSender == this) Link->FSender = nullptr;
}

void TInstSharedComponent::NotifyLinks() {
  // A handler may unregister links; walk a copy.
  const auto links = FLinks;
  for (TInstChangeLink* l : links)
    if (std::find(FLinks.begin(), FLinks.end(), l) != FLinks.end()) l->Change();
}

// ---- TInstCustomImageControl

TInstCustomImageControl::TInstCustomImageControl(TComponent* AOwner)
    : TInstCustomControl(AOwner), FBitmap(std::make_unique<TBitmap>()) {}

TInstCustomImageControl::~TInstCustomImageControl() = default;

TCanvas* TInstCustomImageControl::BitmapCanvas() const { return FBitmap->Canvas(); }

void TInstCustomImageControl::ClearBitmapCanvas() {
  FBitmap->SetSize(Width(), Height());
  TCanvas* c = FBitmap->Canvas();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(Color());
  c->FillRect(Rect(0, 0, Width(), Height()));
}

void TInstCustomImageControl::Paint() { Canvas()->Draw(0, 0, FBitmap.get()); }

// ---- TInstGraphicControl

void TInstGraphicControl::AdjustBounds() {
  if (AutoSize() && Align() != alClient)
    UpdateBounds();
  else
    UpdateControl();
}

void TInstGraphicControl::UpdateBounds() {
  const TRect before = BoundsRect();
  SetBounds(Left(), Top(), Width(), Height());
  const TRect after = BoundsRect();
  if (before.Left == after.Left && before.Top == after.Top && before.Right == after.Right &&
      before.Bottom == after.Bottom)
    UpdateControl();
}

// ---- TInstGraphicImageControl

TInstGraphicImageControl::TInstGraphicImageControl(TComponent* AOwner)
    : TInstGraphicControl(AOwner), FBitmap(std::make_unique<TBitmap>()), FBackground(std::make_unique<TBitmap>()) {
  SetControlStyle(ControlStyle() | csOpaque);
}

TInstGraphicImageControl::~TInstGraphicImageControl() = default;

TCanvas* TInstGraphicImageControl::BitmapCanvas() const { return FBitmap->Canvas(); }

void TInstGraphicImageControl::SetTransparent(bool V) {
  if (V == FTransparent) return;
  FTransparent = V;
  if (V)
    SetControlStyle(ControlStyle() & ~csOpaque);
  else
    SetControlStyle(ControlStyle() | csOpaque);
  FNeedCapture = true;
  if (ComponentState() & csDesigning)
    Invalidate();
  else
    UpdateControl();
}

void TInstGraphicImageControl::UpdateControl() {
  if (FTransparent && !(ComponentState() & csDesigning) && !FBackground->Empty()) {
    // Reuse the captured background so the parent need not repaint underneath.
    FNeedCapture = false;
    SetControlStyle(ControlStyle() | csOpaque);
  }
  TInstGraphicControl::UpdateControl();
}

TColor TInstGraphicImageControl::BackgroundColor() const { return Parent() ? Parent()->Color() : Color(); }

void TInstGraphicImageControl::CaptureBackground() {
  FBackground->SetSize(Width(), Height());
  TCanvas* bg = FBackground->Canvas();
  // The screen gives no pixels back here: the parent's colour stands in, and
  // Paint leaves that colour out so the real background shows through.
  bg->Brush()->SetStyle(bsSolid);
  bg->Brush()->SetColor(BackgroundColor());
  bg->FillRect(Rect(0, 0, Width(), Height()));
  FNeedCapture = false;
}

void TInstGraphicImageControl::ClearBitmapCanvas() {
  FBitmap->SetSize(Width(), Height());
  TCanvas* c = FBitmap->Canvas();
  if (FTransparent) {
    if (FNeedCapture || FBackground->Empty()) CaptureBackground();
    c->Draw(0, 0, FBackground.get());
  } else {
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(Color());
    c->FillRect(Rect(0, 0, Width(), Height()));
  }
}

void TInstGraphicImageControl::Paint() {
  if (FTransparent) {
    // Pixels still showing the stand-in background are left out, so what
    // lies under the control shows through them.
    const TRect all = Rect(0, 0, FBitmap->Width(), FBitmap->Height());
    Canvas()->Brush()->SetStyle(bsClear);
    Canvas()->BrushCopy(all, FBitmap.get(), all, ColorToRGB(BackgroundColor()));
  } else {
    Canvas()->Draw(0, 0, FBitmap.get());
  }
  if (FTransparent) {
    FNeedCapture = true;
    SetControlStyle(ControlStyle() & ~csOpaque);
  }
}
