#include "platform/gui/Buttons.h"

#include <QImage>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>
#include <algorithm>
#include <map>

#include "platform/gui/Forms.h"
#include "platform/gui/QtBridge.h"
#include "platform/gui/QtPeer.h"

namespace {

// A disabled picture: the dark pixels of the up picture embossed in the button colours.
QImage DisabledImage(const QImage& up, QRgb transparent) {
  QImage out(up.size(), QImage::Format_ARGB32);
  out.fill(Qt::transparent);
  QRgb hi = ToQColor(clBtnHighlight).rgb(), sh = ToQColor(clBtnShadow).rgb();
  for (int y = 0; y < up.height(); ++y)
    for (int x = 0; x < up.width(); ++x) {
      QRgb p = up.pixel(x, y);
      if ((p & 0xFFFFFF) == (transparent & 0xFFFFFF) || qGray(p) >= 192) continue;
      if (x + 1 < out.width() && y + 1 < out.height() && qAlpha(out.pixel(x + 1, y + 1)) == 0)
        out.setPixel(x + 1, y + 1, hi);
      out.setPixel(x, y, sh);
    }
  return out;
}

}  // namespace

// ================================================================ TButtonGlyph
TButtonGlyph::TButtonGlyph() : glyph_(new TBitmap) {}
TButtonGlyph::~TButtonGlyph() = default;

void TButtonGlyph::SetGlyph(TBitmap* Value) {
  if (Value)
    glyph_->Assign(Value);
  else
    glyph_ = std::make_unique<TBitmap>();
  if (Value && Value->Height() > 0 && Value->Width() % Value->Height() == 0) {
    int n = Value->Width() / Value->Height();
    SetNumGlyphs(n > 4 ? 1 : n);
  }
  if (OnChange) OnChange(nullptr);
}

void TButtonGlyph::SetNumGlyphs(TNumGlyphs Value) {
  numGlyphs_ = std::clamp(Value, 1, 4);
  if (OnChange) OnChange(nullptr);
}

bool TButtonGlyph::Empty() const { return glyph_->Empty() || glyph_->Width() == 0 || glyph_->Height() == 0; }

TSize TButtonGlyph::GlyphSize() const {
  if (Empty()) return TSize{0, 0};
  return TSize{glyph_->Width() / numGlyphs_, glyph_->Height()};
}

void TButtonGlyph::CalcLayout(TCanvas* Canvas, const TRect& Client, TPoint Offset, const std::string& Caption,
                              TButtonLayout Layout, int Margin, int Spacing, TPoint& GlyphPos, TRect& TextBounds) {
  int cw = Client.Right - Client.Left, ch = Client.Bottom - Client.Top;
  TSize text{0, 0};
  if (!Caption.empty()) {
    TextBounds = TRect(0, 0, cw, 0);
    Canvas->DrawText(Caption, TextBounds, DT_CALCRECT | DT_SINGLELINE);
    text = TSize{TextBounds.Right - TextBounds.Left, TextBounds.Bottom - TextBounds.Top};
  } else {
    TextBounds = TRect(0, 0, 0, 0);
  }
  TSize g = GlyphSize();
  bool horizontal = Layout == blGlyphLeft || Layout == blGlyphRight;
  TPoint gp, tp;
  if (horizontal) {
    gp.Y = (ch - g.cy + 1) / 2;
    tp.Y = (ch - text.cy + 1) / 2;
  } else {
    gp.X = (cw - g.cx + 1) / 2;
    tp.X = (cw - text.cx + 1) / 2;
  }
  if (text.cx == 0 || g.cx == 0) Spacing = 0;
  if (Margin == -1) {
    if (Spacing == -1) {
      int total = horizontal ? g.cx + text.cx : g.cy + text.cy;
      Margin = ((horizontal ? cw : ch) - total) / 3;
      Spacing = Margin;
    } else {
      int total = horizontal ? g.cx + Spacing + text.cx : g.cy + Spacing + text.cy;
      Margin = ((horizontal ? cw : ch) - total + 1) / 2;
    }
  } else if (Spacing == -1) {
    int total = horizontal ? cw - (Margin + g.cx) : ch - (Margin + g.cy);
    Spacing = (total - (horizontal ? text.cx : text.cy)) / 2;
  }
  switch (Layout) {
    case blGlyphLeft: gp.X = Margin, tp.X = gp.X + g.cx + Spacing; break;
    case blGlyphRight: gp.X = cw - Margin - g.cx, tp.X = gp.X - Spacing - text.cx; break;
    case blGlyphTop: gp.Y = Margin, tp.Y = gp.Y + g.cy + Spacing; break;
    case blGlyphBottom: gp.Y = ch - Margin - g.cy, tp.Y = gp.Y - Spacing - text.cy; break;
  }
  GlyphPos = TPoint(gp.X + Client.Left + Offset.X, gp.Y + Client.Top + Offset.Y);
  int dx = tp.X + Client.Left + Offset.X, dy = tp.Y + Client.Top + Offset.Y;
  TextBounds = TRect(TextBounds.Left + dx, TextBounds.Top + dy, TextBounds.Right + dx, TextBounds.Bottom + dy);
}

TRect TButtonGlyph::Draw(TCanvas* Canvas, const TRect& Client, TPoint Offset, const std::string& Caption,
                         TButtonLayout Layout, int Margin, int Spacing, TButtonState State, bool Transparent) {
  TPoint gp;
  TRect tb;
  CalcLayout(Canvas, Client, Offset, Caption, Layout, Margin, Spacing, gp, tb);
  if (!Empty()) {
    TSize g = GlyphSize();
    int index = static_cast<int>(State);
    if (index >= numGlyphs_) index = 0;
    QImage all = glyph_->ToImage();
    TColor tc = glyph_->TransparentColor();
    QRect src(index * g.cx, 0, g.cx, g.cy);
    TRect dst(gp.X, gp.Y, gp.X + g.cx, gp.Y + g.cy);
    if (State == bsDisabled && numGlyphs_ < 2)
      Canvas->DrawImage(dst, DisabledImage(all.copy(src), ToQColor(tc).rgb()), TRect(0, 0, g.cx, g.cy), clNone);
    else
      Canvas->DrawImage(dst, all, FromQRect(src), tc);
  }
  if (!Caption.empty()) {
    Canvas->Brush()->SetStyle(bsClear);
    if (State == bsDisabled) {
      TRect r(tb.Left + 1, tb.Top + 1, tb.Right + 1, tb.Bottom + 1);
      Canvas->Font()->SetColor(clBtnHighlight);
      Canvas->DrawText(Caption, r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
      Canvas->Font()->SetColor(clBtnShadow);
    }
    TRect r = tb;
    Canvas->DrawText(Caption, r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  }
  (void)Transparent;
  return tb;
}

// ================================================================ TSpeedButton
TSpeedButton::TSpeedButton(TComponent* AOwner) : TGraphicControl(AOwner), glyph_(new TButtonGlyph) {
  controlStyle_ = csCaptureMouse | csDoubleClicks;
  width_ = 23;
  height_ = 22;
  color_ = clBtnFace;
  parentColor_ = true;
  glyph_->OnChange = [this](TObject*) { Invalidate(); };
}

TSpeedButton::~TSpeedButton() { glyph_->OnChange = nullptr; }

void TSpeedButton::SetGlyph(TBitmap* v) { glyph_->SetGlyph(v); }
void TSpeedButton::SetNumGlyphs(TNumGlyphs v) { glyph_->SetNumGlyphs(v); }

void TSpeedButton::SetGroupIndex(int v) {
  if (v == groupIndex_) return;
  groupIndex_ = v;
  UpdateExclusive();
}

void TSpeedButton::SetDown(bool v) {
  if (groupIndex_ == 0) v = false;
  if (v == down_) return;
  if (down_ && !allowAllUp_) return;
  down_ = v;
  if (v) {
    if (state_ == bsUp) Invalidate();
    state_ = bsExclusive;
  } else {
    state_ = bsUp;
    Repaint();
  }
  if (v) UpdateExclusive();
}

void TSpeedButton::SetAllowAllUp(bool v) {
  if (v == allowAllUp_) return;
  allowAllUp_ = v;
  UpdateExclusive();
}

void TSpeedButton::SetFlat(bool v) {
  if (v == flat_) return;
  flat_ = v;
  Invalidate();
}

void TSpeedButton::SetLayout(TButtonLayout v) {
  if (v == layout_) return;
  layout_ = v;
  Invalidate();
}

void TSpeedButton::SetMargin(int v) {
  if (v == margin_ || v < -1) return;
  margin_ = v;
  Invalidate();
}

void TSpeedButton::SetSpacing(int v) {
  if (v == spacing_) return;
  spacing_ = v;
  Invalidate();
}

void TSpeedButton::SetTransparent(bool v) {
  if (v == transparent_) return;
  transparent_ = v;
  if (v) controlStyle_ &= ~csOpaque;
  else controlStyle_ |= csOpaque;
  Invalidate();
}

void TSpeedButton::UpdateExclusive() {
  if (groupIndex_ == 0 || !parent_) return;
  TMessage m;
  m.Msg = CM_BUTTONPRESSED;
  m.WParam = static_cast<WPARAM>(groupIndex_);
  m.LParam = reinterpret_cast<LPARAM>(this);
  parent_->Broadcast(m);
}

void TSpeedButton::WndProc(TMessage& Message) {
  if (Message.Msg == CM_BUTTONPRESSED) {
    auto* sender = reinterpret_cast<TSpeedButton*>(Message.LParam);
    if (static_cast<int>(Message.WParam) == groupIndex_ && sender != this) {
      if (sender->Down() && down_) {
        down_ = false;
        state_ = bsUp;
        Invalidate();
      }
      allowAllUp_ = sender->AllowAllUp();
    }
    return;
  }
  if (Message.Msg == CM_DIALOGCHAR) {
    if (IsAccel(static_cast<WORD>(Message.WParam), text_) && enabled_ && visible_ && parent_ && parent_->Showing()) {
      Click();
      Message.Result = 1;
    }
    return;
  }
  TGraphicControl::WndProc(Message);
}

void TSpeedButton::Click() { TGraphicControl::Click(); }

void TSpeedButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft || !enabled_) return;
  if (!down_) {
    state_ = bsDown;
    Invalidate();
  }
  dragging_ = true;
}

void TSpeedButton::MouseMove(TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseMove(Shift, X, Y);
  if (!dragging_) return;
  TButtonState s = down_ ? bsExclusive : bsUp;
  if (X >= 0 && X < ClientWidth() && Y >= 0 && Y <= ClientHeight()) s = down_ ? bsExclusive : bsDown;
  if (s != state_) {
    state_ = s;
    Invalidate();
  }
}

void TSpeedButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseUp(Button, Shift, X, Y);
  if (!dragging_) return;
  dragging_ = false;
  bool doClick = X >= 0 && X < ClientWidth() && Y >= 0 && Y <= ClientHeight();
  if (groupIndex_ == 0) {
    state_ = bsUp;
    Invalidate();
  } else if (doClick) {
    SetDown(!down_);
    if (down_) Repaint();
  } else {
    if (down_) state_ = bsExclusive;
    Repaint();
  }
  if (doClick) Click();
}

void TSpeedButton::CMMouseEnter(TMessage& Message) {
  TGraphicControl::CMMouseEnter(Message);
  if (!mouseInControl_ && enabled_) {
    mouseInControl_ = true;
    if (flat_) Invalidate();
  }
}

void TSpeedButton::CMMouseLeave(TMessage& Message) {
  TGraphicControl::CMMouseLeave(Message);
  if (mouseInControl_) {
    mouseInControl_ = false;
    if (flat_) Invalidate();
  }
}

void TSpeedButton::CMEnabledChanged(TMessage& Message) {
  TGraphicControl::CMEnabledChanged(Message);
  Invalidate();
}

void TSpeedButton::Paint() {
  if (!enabled_) {
    state_ = bsDisabled;
    dragging_ = false;
  } else if (state_ == bsDisabled) {
    state_ = down_ && groupIndex_ != 0 ? bsExclusive : bsUp;
  }
  TCanvas* c = Canvas();
  c->SetFont(font_.get());
  TRect r(0, 0, width_, height_);
  bool pressed = state_ == bsDown || state_ == bsExclusive;
  if (!flat_) {
    c->Brush()->SetColor(clBtnFace);
    c->DrawFrameControl(r, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0));
    r = TRect(r.Left + 2, r.Top + 2, r.Right - 2, r.Bottom - 2);
  } else {
    if (pressed || (mouseInControl_ && state_ != bsDisabled)) {
      TRect e = r;
      c->DrawEdge(e, pressed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, (transparent_ ? 0 : BF_MIDDLE) | BF_RECT);
    } else if (!transparent_) {
      c->Brush()->SetColor(color_);
      c->FillRect(r);
    }
    r = TRect(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1);
  }
  TPoint offset(0, 0);
  if (pressed) {
    if (state_ == bsExclusive && (!flat_ || !mouseInControl_)) {
      // The down look of a grouped button: a checker of face and highlight.
      TBitmap pattern(8, 8);
      for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) pattern.Canvas()->SetPixels(x, y, (x + y) % 2 ? clBtnHighlight : clBtnFace);
      c->Brush()->SetBitmap(&pattern);
      c->FillRect(r);
      c->Brush()->SetBitmap(nullptr);
    }
    offset = TPoint(1, 1);
  }
  c->Brush()->SetStyle(bsClear);
  glyph_->Draw(c, r, offset, text_, layout_, margin_, spacing_, state_, transparent_);
}

// ================================================================ TBitBtn
namespace {

const char* const kKindCaptions[] = {"", "OK", "Cancel", "&Help", "&Yes", "&No", "&Close", "Abort", "&Retry",
                                     "&Ignore", "&All"};
const TModalResult kKindResults[] = {mrNone, mrOk,    mrCancel, mrNone,   mrYes, mrNo,
                                     mrNone, mrAbort, mrRetry,  mrIgnore, mrAll};

// Our own glyph art: 16 x 16 drawings on an olive background (the transparent colour).
std::unique_ptr<TBitmap> MakeKindGlyph(TBitBtnKind k) {
  auto b = std::make_unique<TBitmap>(16, 16);
  TCanvas* c = b->Canvas();
  c->Brush()->SetColor(clOlive);
  c->FillRect(TRect(0, 0, 16, 16));
  c->Pen()->SetWidth(2);
  auto poly = [&](TColor col, std::vector<TPoint> pts) {
    c->Pen()->SetColor(col);
    c->Polyline(pts);
  };
  switch (k) {
    case bkOK: case bkYes: poly(clGreen, {TPoint(2, 8), TPoint(6, 12), TPoint(14, 3)}); break;
    case bkAll:
      poly(clGreen, {TPoint(1, 8), TPoint(4, 11), TPoint(10, 3)});
      poly(clGreen, {TPoint(6, 10), TPoint(8, 12), TPoint(15, 4)});
      break;
    case bkCancel: case bkAbort:
      poly(clRed, {TPoint(3, 3), TPoint(13, 13)});
      poly(clRed, {TPoint(13, 3), TPoint(3, 13)});
      break;
    case bkNo:
      c->Brush()->SetStyle(bsClear);
      c->Pen()->SetColor(clRed);
      c->Ellipse(2, 2, 14, 14);
      poly(clRed, {TPoint(4, 12), TPoint(12, 4)});
      break;
    case bkHelp:
      poly(clNavy, {TPoint(4, 5), TPoint(5, 3), TPoint(10, 3), TPoint(11, 5), TPoint(8, 8), TPoint(8, 10)});
      c->Brush()->SetColor(clNavy);
      c->FillRect(TRect(7, 12, 10, 15));
      break;
    case bkClose:
      c->Brush()->SetColor(clTeal);
      c->FillRect(TRect(4, 1, 12, 15));
      c->Brush()->SetColor(clYellow);
      c->FillRect(TRect(9, 7, 11, 9));
      break;
    case bkRetry:
      poly(clNavy, {TPoint(12, 4), TPoint(8, 2), TPoint(3, 5), TPoint(3, 11), TPoint(8, 14), TPoint(13, 11)});
      poly(clNavy, {TPoint(9, 4), TPoint(13, 4), TPoint(13, 0)});
      break;
    case bkIgnore:
      poly(clNavy, {TPoint(2, 12), TPoint(6, 4), TPoint(10, 12), TPoint(14, 4)});
      break;
    case bkCustom: break;
  }
  return b;
}

}  // namespace

TBitmap* BitBtnKindGlyph(TBitBtnKind Kind) {
  if (Kind == bkCustom) return nullptr;
  static std::map<TBitBtnKind, std::unique_ptr<TBitmap>> cache;
  auto& slot = cache[Kind];
  if (!slot) slot = MakeKindGlyph(Kind);
  return slot.get();
}

// Draws the bitmap button through its canvas while the push button keeps the behaviour.
class TBitBtnPeer : public TPeer<QPushButton> {
 public:
  TBitBtnPeer(TBitBtn* c, QWidget* parent) : TPeer<QPushButton>(c, parent) {}

 protected:
  void paintEvent(QPaintEvent*) override {
    auto* b = dynamic_cast<TBitBtn*>(Control);
    if (!b) return;
    QPainter p(this);
    TControlCanvas canvas(b);
    canvas.BeginPaint(&p, TRect(0, 0, width(), height()));
    b->PaintButton(&canvas, isDown(), hasFocus());
    canvas.EndPaint();
  }
};

TBitBtn::TBitBtn(TComponent* AOwner)
    : TButton(AOwner), glyph_(new TButtonGlyph), canvas_(new TControlCanvas(this)) {
  glyph_->OnChange = [this](TObject*) { Invalidate(); };
}

TBitBtn::~TBitBtn() { glyph_->OnChange = nullptr; }

void TBitBtn::SetKind(TBitBtnKind v) {
  kind_ = v;
  if (v == bkCustom) return;
  settingKind_ = true;
  SetDefault(v == bkOK || v == bkYes);
  SetCancel(v == bkCancel || v == bkNo);
  SetCaption(kKindCaptions[v]);
  SetModalResult(kKindResults[v]);
  glyph_->SetGlyph(BitBtnKindGlyph(v));
  settingKind_ = false;
}

void TBitBtn::SetGlyph(TBitmap* v) {
  glyph_->SetGlyph(v);
  if (!settingKind_) kind_ = bkCustom;
}

void TBitBtn::SetNumGlyphs(TNumGlyphs v) { glyph_->SetNumGlyphs(v); }

void TBitBtn::SetLayout(TButtonLayout v) {
  if (v == layout_) return;
  layout_ = v;
  Invalidate();
}

void TBitBtn::SetMargin(int v) {
  if (v == margin_ || v < -1) return;
  margin_ = v;
  Invalidate();
}

void TBitBtn::SetSpacing(int v) {
  if (v == spacing_) return;
  spacing_ = v;
  Invalidate();
}

void TBitBtn::Click() {
  if (kind_ == bkClose) {
    if (TCustomForm* f = GetParentForm(this)) return f->Close();
  } else if (kind_ == bkHelp) {
    TControl* c = this;
    while (c && c->HelpContext() == 0) c = c->Parent();
    if (c && Application) {
      Application->HelpContext(c->HelpContext());
      return;
    }
  }
  TButton::Click();
}

void TBitBtn::PaintButton(TCanvas* Canvas, bool Pressed, bool Focused) {
  TRect r(0, 0, width_, height_);
  Canvas->SetFont(font_.get());
  bool isDefault = Focused || Active();
  if (isDefault) {
    Canvas->Brush()->SetColor(cl3DDkShadow);
    Canvas->FrameRect(r);
    r = TRect(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1);
  }
  Canvas->Brush()->SetColor(clBtnFace);
  Canvas->DrawFrameControl(r, DFC_BUTTON, DFCS_BUTTONPUSH | (Pressed ? DFCS_PUSHED : 0));
  r = TRect(r.Left + 2, r.Top + 2, r.Right - 2, r.Bottom - 2);
  TButtonState st = !enabled_ ? bsDisabled : Pressed ? bsDown : bsUp;
  TRect tb = glyph_->Draw(Canvas, r, Pressed ? TPoint(1, 1) : TPoint(0, 0), text_, layout_, margin_, spacing_, st,
                          true);
  if (Focused) {
    TRect f(tb.Left - 2, tb.Top - 1, tb.Right + 2, tb.Bottom + 1);
    Canvas->DrawFocusRect(f);
  }
}

QWidget* TBitBtn::CreatePeer(QWidget* ParentWidget) {
  auto* b = new TBitBtnPeer(this, ParentWidget);
  b->setAutoDefault(false);
  QObject::connect(b, &QPushButton::clicked, b, [b] {
    if (auto* c = dynamic_cast<TBitBtn*>(b->Control)) c->PeerClicked([c] { c->Click(); });
  });
  return b;
}
