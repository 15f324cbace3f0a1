// The grid's graphic button: press, drag and release, groups and the check
// style, hot tracking, the colour styles and the painting of face, glyph and
// caption.
#include "controls/grid/GridButton.h"

#include <algorithm>

#include "controls/grid/ExtObj.h"
#include "controls/grid/ExtUtil.h"
#include "platform/gui/Menus.h"
#include "platform/gui/Messages.h"
#include "platform/gui/VisualStyles.h"

namespace {

constexpr int kDropWidth = 12;

struct TColorStyle {
  uint32_t Color, ColorTo, Hot, HotTo, Down, DownTo, Checked, CheckedTo, BorderDown, BorderHot;
  bool Rounded;
};
constexpr uint32_t kNone = 0x1FFFFFFF, kFace = 0xFF00000F;  // clNone, clBtnFace as stored colours
constexpr TColorStyle kStyles[7] = {
    {0xEDF1F1, 0xDFEBEB, 0xFAFCFC, 0xE5ECED, 0xE0E6E7, 0xD8E0E1, 0xFFFFFF, kNone, 0xAF987A, 0xC3CECE, true},
    {kFace, kNone, 0xEED2C1, kNone, 0xE2B598, kNone, 0xE8E6E1, kNone, 0xC56A31, 0xC56A31, false},
    {0xFDEADA, 0xE4AE88, 0xCCF4FF, 0x91D0FF, 0x4E91FE, 0x8ED3FF, 0x8ED3FF, 0x55ADFF, 0x000000, 0x000000, false},
    {0xCFF0EA, 0x8CC0B1, 0xCCF4FF, 0x91D0FF, 0x4E91FE, 0x8ED3FF, 0x8ED3FF, 0x55ADFF, 0x000000, 0x000000, false},
    {0xECE2E1, 0xB39698, 0xCCF4FF, 0x91D0FF, 0x4E91FE, 0x8ED3FF, 0x8ED3FF, 0x55ADFF, 0x000000, 0x000000, false},
    {kFace, kNone, kFace, kNone, 0xD8D3D2, kNone, 0xCAC7C7, kNone, kNone, kNone, false},
    {0xCAFFFF, 0xA6FFFF, 0xA8F0FD, 0x7CE9FC, 0x4DE0FB, 0x7AE9FC, 0xB5E6F2, 0x9CDDED, 0x808080, 0x808080, false},
};

TColor StyleColor(uint32_t v) { return v == kNone ? clNone : v == kFace ? clBtnFace : TColorOf(v); }

}  // namespace

TExtGridButton::TExtGridButton(TComponent* AOwner) : TGraphicControl(AOwner) {
  // Clicks are counted by the button's own release rule, not by the control's.
  controlStyle_ = csCaptureMouse | csDoubleClicks;
  SetBounds(0, 0, 22, 23);
  SetParentFont(true);
  for (auto& g : glyphs_) g = std::make_unique<TBitmap>();
}

TExtGridButton::~TExtGridButton() = default;

void TExtGridButton::SetStyle(TExtGridButtonStyle v) {
  style_ = v;
  Invalidate();
}

void TExtGridButton::SetFlat(bool v) {
  flat_ = v;
  Invalidate();
}

void TExtGridButton::SetAllowAllUp(bool v) {
  allowAllUp_ = v;
  // The group shares the setting.
  if (groupIndex_ != 0 && Parent()) {
    for (int i = 0; i < Parent()->ControlCount(); ++i)
      if (auto* b = dynamic_cast<TExtGridButton*>(Parent()->Controls(i)); b && b != this && b->groupIndex_ == groupIndex_)
        b->allowAllUp_ = v;
  }
}

void TExtGridButton::SetDown(bool v) {
  if (v == down_) return;
  if (style_ == tasCheck) {
    down_ = v;
    // One group holds one down button, whatever its style.
    if (v && groupIndex_ != 0) GroupPressed();
    Invalidate();
    return;
  }
  // A plain push button has no lasting down state; a grouped one stays down unless AllowAllUp.
  if (groupIndex_ == 0) return;
  if (!v && !allowAllUp_) return;
  down_ = v;
  if (v) {
    if (state_ == bsUp) state_ = bsExclusive;
    GroupPressed();
  } else {
    state_ = bsUp;
  }
  Invalidate();
  // Where the check mark is linked, the action follows, and its group releases the others.
  if (TCustomAction* a = Action(); a && allowAllUp_ && a->Checked() != v) a->SetChecked(v);
}

void TExtGridButton::GroupPressed() {
  if (!Parent()) return;
  for (int i = 0; i < Parent()->ControlCount(); ++i) {
    auto* b = dynamic_cast<TExtGridButton*>(Parent()->Controls(i));
    if (!b || b == this || b->groupIndex_ != groupIndex_ || !b->down_) continue;
    b->down_ = false;
    b->state_ = bsUp;
    b->allowAllUp_ = allowAllUp_;
    b->Invalidate();
  }
}

void TExtGridButton::SetGlyph(TBitmap* v) {
  AssignGlyph(0, v);
  // The shade: a grey silhouette of the glyph, transparent where the glyph is.
  shade_.reset();
  TBitmap* g = glyphs_[0].get();
  if (g->Empty()) return;
  shade_ = std::make_unique<TBitmap>(g->Width(), g->Height());
  const TColor key = g->Canvas()->Pixels(0, g->Height() - 1);
  const TColor clear = key == clWhite ? clBlack : clWhite;
  for (int y = 0; y < g->Height(); ++y)
    for (int x = 0; x < g->Width(); ++x)
      shade_->Canvas()->SetPixels(x, y, g->Canvas()->Pixels(x, y) == key ? clear : TColorOf(0x808080));
  shade_->SetTransparentColor(clear);
  shade_->SetTransparent(true);
}

void TExtGridButton::AssignGlyph(int Index, TBitmap* v) {
  if (v) glyphs_[Index]->Assign(v);
  else glyphs_[Index] = std::make_unique<TBitmap>();
  glyphs_[Index]->SetTransparent(true);
  Invalidate();
}

void TExtGridButton::SetAutoThemeAdapt(bool v) {
  autoThemeAdapt_ = v;
  if (v && !(ComponentState() & csLoading)) {
    const int scheme = ExtObj::CurrentXPScheme();
    SetColorStyle(scheme == 1 ? 2 : scheme == 2 ? 3 : scheme == 3 ? 4 : 1);
  }
}

void TExtGridButton::SetColorStyle(int Style) {
  if (Style < 0 || Style > 6) return;
  const TColorStyle& s = kStyles[Style];
  Color = StyleColor(s.Color), ColorTo = StyleColor(s.ColorTo);
  ColorHot = StyleColor(s.Hot), ColorHotTo = StyleColor(s.HotTo);
  ColorDown = StyleColor(s.Down), ColorDownTo = StyleColor(s.DownTo);
  ColorChecked = StyleColor(s.Checked), ColorCheckedTo = StyleColor(s.CheckedTo);
  BorderDownColor = StyleColor(s.BorderDown), BorderHotColor = StyleColor(s.BorderHot);
  BorderColor = clNone;
  Rounded = s.Rounded;
  flat_ = true;
  Invalidate();
}

void TExtGridButton::Loaded() {
  TGraphicControl::Loaded();
  if (autoThemeAdapt_) SetAutoThemeAdapt(true);
}

// ---------------------------------------------------------------- mouse
void TExtGridButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft || !Enabled()) return;
  if (DropDownButton && X >= Width() - kDropWidth) {
    state_ = bsUp;
    hot_ = false;
    Invalidate();
    if (OnDropDown) OnDropDown(this);
    if (DropDownMenu) {
      const TPoint p = ClientToScreen(TPoint(0, Height()));
      DropDownMenu->Popup(p.X, p.Y);
    }
    return;
  }
  if (!down_) state_ = bsDown;
  dragging_ = true;
  Invalidate();
}

void TExtGridButton::MouseMove(TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseMove(Shift, X, Y);
  if (!dragging_) return;
  const bool inside = X >= 0 && X < Width() && Y >= 0 && Y < Height();
  TButtonState s = inside ? (down_ ? bsExclusive : bsDown) : (down_ ? bsExclusive : bsUp);
  if (style_ == tasCheck && down_) s = bsDown;
  if (s != state_) {
    state_ = s;
    Invalidate();
  }
}

void TExtGridButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseUp(Button, Shift, X, Y);
  if (!dragging_ || Button != mbLeft) return;
  dragging_ = false;
  // Only a release on the button counts: one pixel below it is outside.
  const bool inside = X >= 0 && X < Width() && Y >= 0 && Y < Height();
  std::shared_ptr<bool> alive = AliveFlag();
  if (groupIndex_ == 0) {
    state_ = bsUp;
    if (inside && style_ == tasCheck) down_ = !down_;
  } else if (inside) {
    // Without AllowAllUp a click on the group's down button keeps it down.
    if (!down_ || allowAllUp_) SetDown(!down_);
    state_ = down_ ? bsExclusive : bsUp;
  } else {
    state_ = down_ ? bsExclusive : bsUp;
  }
  Invalidate();
  if (inside) Click();
  if (!*alive) return;
  hot_ = inside && flat_ && Enabled();
  Invalidate();
}

void TExtGridButton::DblClick() {
  // Only a down button answers a double click; an up one takes it as a second press.
  if (down_) TGraphicControl::DblClick();
}

void TExtGridButton::Click() {
  // A linked action runs unless the button has a click handler of its own.
  if (!OnClick && actionLink_ && actionLink_->Execute()) return;
  TGraphicControl::Click();
}

void TExtGridButton::SetAction(TCustomAction* v) {
  if (!v) {
    actionLink_.reset();
    return;
  }
  if (!actionLink_) actionLink_ = std::make_unique<TExtGridButtonActionLink>(this);
  actionLink_->SetAction(v);
}

void TExtGridButtonActionLink::Update() {
  TControlActionLink::Update();
  TCustomAction* a = Action();
  if (!a) return;
  button_->SetCaption(a->Caption());
  button_->SetGroupIndex(a->GroupIndex());
  if (button_->GroupIndex() != 0 && button_->AllowAllUp()) button_->SetDown(a->Checked());
}

void TExtGridButton::WndProc(TMessage& Message) {
  if (Message.Msg == WM_THEMECHANGED || Message.Msg == WM_SETTINGCHANGE) {
    if (autoThemeAdapt_) SetAutoThemeAdapt(true);
  }
  if (Message.Msg == CM_DIALOGCHAR) {
    if (IsAccel(static_cast<WORD>(Message.WParam), Caption()) && Enabled() && Visible() && Parent() &&
        Parent()->Showing()) {
      Click();
      Message.Result = 1;
    }
    return;
  }
  TGraphicControl::WndProc(Message);
}

void TExtGridButton::CMMouseEnter(TMessage& Message) {
  TGraphicControl::CMMouseEnter(Message);
  if (flat_ && Enabled() && !GetCaptureControl() && !(ComponentState() & csDesigning)) {
    hot_ = true;
    Invalidate();
  }
}

void TExtGridButton::CMMouseLeave(TMessage& Message) {
  TGraphicControl::CMMouseLeave(Message);
  if (dragging_) return;
  hot_ = false;
  Invalidate();
}

void TExtGridButton::CMEnabledChanged(TMessage& Message) {
  TGraphicControl::CMEnabledChanged(Message);
  if (!Enabled()) hot_ = false;
  Invalidate();
}

void TExtGridButton::CMTextChanged(TMessage& Message) {
  TGraphicControl::CMTextChanged(Message);
  Invalidate();
}

// ---------------------------------------------------------------- painting
void TExtGridButton::Paint() {
  TCanvas* c = Canvas();
  TRect r(0, 0, Width(), Height());
  if (!Enabled()) {
    state_ = bsDisabled;
    hot_ = false;
  } else if (state_ == bsDisabled) {
    state_ = down_ && groupIndex_ != 0 ? bsExclusive : bsUp;
  }
  if (style_ == tasCheck && down_) state_ = bsDown;
  const bool pressed = state_ == bsDown || state_ == bsExclusive;
  if (!flat_) {
    const bool themed = AutoXPStyle && ExtObj::IsWinXP() && IsThemeActive() && Parent() &&
                        DrawThemePart(Parent()->Handle(), "button", c, 1, pressed ? 3 : hot_ ? 2 : 1, r);
    if (!themed) c->DrawFrameControl(r, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0u));
  } else {
    PaintFace(r);
  }
  if (DropDownButton) {
    const int x = r.Right - kDropWidth;
    c->Pen()->SetColor(clGray);
    c->MoveTo(x, r.Top + 3);
    c->LineTo(x, r.Bottom - 3);
    c->Brush()->SetColor(Enabled() ? clBlack : clGray);
    c->Pen()->SetColor(Enabled() ? clBlack : clGray);
    const int ax = x + kDropWidth / 2, ay = (r.Top + r.Bottom) / 2;
    c->Polygon({TPoint(ax - 3, ay - 1), TPoint(ax + 3, ay - 1), TPoint(ax, ay + 2)});
    r.Right -= kDropWidth;
  }
  PaintGlyphAndCaption(r);
}

void TExtGridButton::PaintFace(const TRect& R) {
  TCanvas* c = Canvas();
  const bool pressed = state_ == bsDown || state_ == bsExclusive;
  const bool hot = hot_ && Enabled() && !(ComponentState() & csDesigning);
  TColor from = Color, to = ColorTo, border = BorderColor;
  if (hot) {
    from = pressed ? ColorDown : ColorHot, to = pressed ? ColorDownTo : ColorHotTo;
    border = pressed ? BorderDownColor : BorderHotColor;
  } else if (style_ == tasCheck && down_) {
    from = ColorChecked, to = ColorCheckedTo, border = BorderDownColor;
  } else if (pressed) {
    border = BorderDownColor;
  }
  TRect face = R;
  const bool plainEdge = to == clNone && !Rounded;
  if (plainEdge && (pressed || hot || (ComponentState() & csDesigning))) {
    c->Brush()->SetColor(from == clNone ? clBtnFace : from);
    c->FillRect(face);
    TRect e = face;
    c->DrawEdge(e, pressed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
    return;
  }
  if (Rounded) {
    // The rounded frame, and the face one pixel inside it.
    const TColor fill = from == clNone ? clBtnFace : from;
    c->Brush()->SetColor(fill);
    c->Pen()->SetColor(border == clNone ? fill : border);
    c->RoundRect(face.Left, face.Top, face.Right, face.Bottom, 8, 8);
    if (to != clNone) {
      const TRect inner(face.Left + 1, face.Top + 1, face.Right - 1, face.Bottom - 1);
      ExtUtil::DrawGradient(c, fill, to, 16, inner, false);
      // The gradient's corners give way to the frame's rounding again.
      c->Brush()->SetStyle(bsClear);
      c->RoundRect(face.Left, face.Top, face.Right, face.Bottom, 8, 8);
      c->Brush()->SetStyle(bsSolid);
    }
    return;
  }
  if (to != clNone) {
    ExtUtil::DrawGradient(c, from, to, 16, face, false);
  } else {
    c->Brush()->SetColor(from == clNone ? clBtnFace : from);
    c->FillRect(face);
  }
  if (border != clNone) {
    c->Brush()->SetColor(border);
    c->FrameRect(face);
  }
}

void TExtGridButton::PaintGlyphAndCaption(TRect R) {
  TCanvas* c = Canvas();
  const bool pressed = state_ == bsDown || state_ == bsExclusive;
  if (pressed) R.Left += 1, R.Top += 1, R.Right += 1, R.Bottom += 1;
  TBitmap* g = glyphs_[0].get();
  if (!Enabled() && !glyphs_[3]->Empty()) g = glyphs_[3].get();
  else if (pressed && !glyphs_[2]->Empty()) g = glyphs_[2].get();
  else if (hot_ && !glyphs_[1]->Empty() && !(ComponentState() & csDesigning)) g = glyphs_[1].get();
  c->SetFont(Font());
  const std::string caption = ShowCaption ? Caption() : std::string();
  const TSize ts = caption.empty() ? TSize(0, 0) : c->TextExtent(caption);
  const int gw = g->Empty() ? 0 : g->Width(), gh = g->Empty() ? 0 : g->Height();
  const bool horz = Layout == blGlyphLeft || Layout == blGlyphRight;
  const int gap = gw && ts.cx ? Spacing : 0;
  const int totalW = horz ? gw + gap + ts.cx : std::max(gw, static_cast<int>(ts.cx));
  const int totalH = horz ? std::max(gh, static_cast<int>(ts.cy)) : gh + gap + ts.cy;
  // Margin counts from the edge the glyph stands at: the right one for blGlyphRight, the bottom for
  // blGlyphBottom.
  int x = R.Left + (R.Width() - totalW) / 2, y = R.Top + (R.Height() - totalH) / 2;
  if (Margin >= 0 && horz) x = Layout == blGlyphRight ? R.Right - Margin - totalW : R.Left + Margin;
  if (Margin >= 0 && !horz) y = Layout == blGlyphBottom ? R.Bottom - Margin - totalH : R.Top + Margin;
  TPoint gp, tp;
  switch (Layout) {
    case blGlyphLeft: gp = TPoint(x, y + (totalH - gh) / 2), tp = TPoint(x + gw + gap, y + (totalH - ts.cy) / 2); break;
    case blGlyphRight: tp = TPoint(x, y + (totalH - ts.cy) / 2), gp = TPoint(x + ts.cx + gap, y + (totalH - gh) / 2); break;
    case blGlyphTop: gp = TPoint(x + (totalW - gw) / 2, y), tp = TPoint(x + (totalW - ts.cx) / 2, y + gh + gap); break;
    default: tp = TPoint(x + (totalW - ts.cx) / 2, y), gp = TPoint(x + (totalW - gw) / 2, y + ts.cy + gap); break;
  }
  if (gw) {
    if (Shaded && shade_ && hot_ && Enabled() && !pressed) c->Draw(gp.X + 1, gp.Y + 1, shade_.get());
    c->Draw(gp.X, gp.Y, g);
  }
  if (caption.empty()) return;
  c->Brush()->SetStyle(bsClear);
  if (!Enabled()) {
    c->Font()->SetColor(clBtnHighlight);
    c->TextOut(tp.X + 1, tp.Y + 1, caption);
    c->Font()->SetColor(clBtnShadow);
  }
  c->TextOut(tp.X, tp.Y, caption);
}
