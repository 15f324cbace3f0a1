#include "controls/instrument/InstHyperCtrls.h"

#include "controls/instrument/InstSystem.h"
#include "platform/gui/Windows.h"

void DrawOutlinedText(TCanvas* Canvas, const TRect& R, const std::string& Text, bool WordWrap, TAlignment Alignment,
                      TColor OutlineColor, int OutlineWidth) {
  unsigned flags = DT_EXPANDTABS;
  if (Alignment == taRightJustify)
    flags |= DT_RIGHT;
  else if (Alignment == taCenter)
    flags |= DT_CENTER;
  if (WordWrap) flags |= DT_WORDBREAK;
  if (OutlineWidth > 0) {
    Canvas->Brush()->SetStyle(bsClear);
    const TColor saved = Canvas->Font()->Color();
    Canvas->Font()->SetColor(OutlineColor);
    for (int i = 1; i <= OutlineWidth; ++i)
      for (int j = 1; j <= OutlineWidth; ++j)
        for (const TPoint d : {Point(i, j), Point(i, -j), Point(-i, j), Point(-i, -j)}) {
          TRect m = R;
          OffsetRect(m, d.X, d.Y);
          Canvas->DrawText(Text, m, flags);
        }
    Canvas->Font()->SetColor(saved);
  }
  TRect r = R;
  Canvas->DrawText(Text, r, flags);
}

// ---- TInstHyperLink

namespace {

void SetupLinkFont(TFont* F, TColor Color) {
  F->SetName("Arial");
  F->SetSize(12);
  F->SetColor(Color);
  F->SetStyle(fsBold | fsUnderline);
}

}  // namespace

TInstHyperLink::TInstHyperLink(TComponent* AOwner)
    : TInstGraphicImageControl(AOwner),
      FFontEnter(std::make_unique<TFont>()),
      FFontLeave(std::make_unique<TFont>()),
      FTextOutline(std::make_unique<TInstTextOutline>()) {
  SetControlStyle((ControlStyle() | csOpaque) & ~csDoubleClicks);
  SetBounds(0, 0, 135, 25);
  SetTransparent(false);
  SetupLinkFont(FFontEnter.get(), clLime);
  SetupLinkFont(FFontLeave.get(), clGreen);
  FFontEnter->OnChange = [this](TObject*) { Invalidate(); };
  FFontLeave->OnChange = [this](TObject*) { Invalidate(); };
  FTextOutline->OnChange = [this](TObject*) { Invalidate(); };
}

TInstHyperLink::~TInstHyperLink() {
  FFontEnter->OnChange = nullptr;
  FFontLeave->OnChange = nullptr;
  FTextOutline->OnChange = nullptr;
}

void TInstHyperLink::Loaded() { TInstGraphicImageControl::Loaded(); }

void TInstHyperLink::Paint() {
  ClearBitmapCanvas();
  TCanvas* c = BitmapCanvas();
  const bool hot = FHovered && Enabled();
  const TFont* font = hot ? FFontEnter.get() : FFontLeave.get();
  const TColor back = hot ? FColorEnter : FColorLeave;
  FPaintedFont = font;
  FPaintedColor = back;
  c->Font()->Assign(const_cast<TFont*>(font));
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(back);
  if (!Transparent())
    c->FillRect(ClientRect());
  else
    c->Brush()->SetStyle(bsClear);
  const int o = FTextOutline->Visible() ? FTextOutline->Width() : 0;
  TRect r = ClientRect();
  InflateRect(r, -o, -o);
  DrawOutlinedText(c, r, Caption(), FWordWrap, FAlignment, FTextOutline->Color(), o);
  TInstGraphicImageControl::Paint();
}

void TInstHyperLink::MouseEnter() {
  FHovered = true;
  Invalidate();
  TInstGraphicImageControl::MouseEnter();
}

void TInstHyperLink::MouseLeave() {
  FHovered = false;
  Invalidate();
  TInstGraphicImageControl::MouseLeave();
}

void TInstHyperLink::TextChanged() {
  Invalidate();
  TInstGraphicImageControl::TextChanged();
}

// ---- TInstWebLabel

TInstWebLabel::TInstWebLabel(TComponent* AOwner) : TInstHyperLink(AOwner), FURL("http://www.example.com/") {
  InstInstallHandCursor();
  SetCursor(crInstHandPoint);
}

void TInstWebLabel::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  // The inherited handling (and with it OnMouseUp) does not run.
  if (Button != mbLeft || !Hovered()) return;
  Invalidate();
  const intptr_t result = ShellExecute(0, "open", FURL, "", "", SW_SHOWNORMAL);
  if (result <= 32 && OnError) OnError(this);
}
