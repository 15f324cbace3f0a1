// The inspector bar's painting: caption bars, panel bodies, rows, scroll arrows
// and the help panel.
#include <algorithm>
#include <cmath>

#include "controls/grid/ExtUtil.h"
#include "controls/inspector/InspDraw.h"
#include "controls/inspector/InspectorBar.h"
#include "controls/markup/InspectorMarkup.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/VisualStyles.h"

using InspDraw::Inside;
using InspDraw::Line;
using InspDraw::Markup;

namespace {

void Solid(TCanvas* C, TColor c) {
  C->Pen()->SetColor(c);
  C->Brush()->SetStyle(bsSolid);
  C->Brush()->SetColor(c);
}

// Our own node glyph: a 9 x 9 box with a minus, and a plus when the row is collapsed.
void DrawOwnNodeGlyph(TBitmap& B, bool Plus) {
  B.SetSize(9, 9);
  TCanvas* C = B.Canvas();
  Solid(C, clWhite);
  C->FillRect(TRect(0, 0, 9, 9));
  C->Pen()->SetColor(clGray);
  C->Brush()->SetStyle(bsClear);
  C->Rectangle(0, 0, 9, 9);
  C->Pen()->SetColor(clBlack);
  Line(C, 2, 4, 7, 4);
  if (Plus) Line(C, 4, 2, 4, 7);
}

void LoadGlyph(TBitmap& B, const char* Resource, bool Plus) {
  try {
    B.LoadFromResourceName(0, Resource);
  } catch (const Exception&) {
    DrawOwnNodeGlyph(B, Plus);
  }
}

struct TStyleColors {
  TColor Caption, CaptionTo, HoverIcon, HoverIconTo, HoverIconDown, HoverIconDownTo, HoverIconBorder, Select,
      SelectTo, SelectDown, SelectDownTo;
};

const TStyleColors* StyleColors(TInspectorBarStyle S) {
  static const TStyleColors kBlue{TColor(0xFFE7D6), TColor(0xC67B52), TColor(0xDCFFFF), TColor(0x5BC0F7),
                                  TColor(0xFADAC4), TColor(0xF5BFA0), TColor(0x962D00), TColor(0x087FE8),
                                  TColor(0x7CDAF7), TColor(0x087FE8), TColor(0x7CDAF7)};
  static const TStyleColors kSilver{TColor(0xF7E7E7), TColor(0xB5A5A5), TColor(0xDCFFFF), TColor(0x5BC0F7),
                                    TColor(0xE4F1F2), TColor(0xF7F3F3), TColor(0x947C7C), TColor(0x087FE8),
                                    TColor(0x7CDAF7), TColor(0x087FE8), TColor(0x7CDAF7)};
  static const TStyleColors kOlive{TColor(0x82C0AF), TColor(0x447A63), TColor(0xDCFFFF), TColor(0x5BC0F7),
                                   TColor(0xE4F1F2), TColor(0xAADADA), TColor(0x588060), TColor(0x087FE8),
                                   TColor(0x7CDAF7), TColor(0x087FE8), TColor(0x7CDAF7)};
  static const TStyleColors kClassic{TColor(0xE7E7EF), TColor(0xC6CECE), TColor(0xD2BDB6), TColor(0xD2BDB6),
                                     TColor(0xE4F1F2), TColor(0xF4F5F6), TColor(0x808080), TColor(0xD8D5D4),
                                     TColor(0xD8D5D4), TColor(0xB59285), TColor(0xB59285)};
  static const TStyleColors kWhidbey{TColor(0xEBEEEF), TColor(0x7E9898), TColor(0xDCFFFF), TColor(0x5BC0F7),
                                     TColor(0xE4F1F2), TColor(0xEBEEEF), TColor(0xA8C0C0), TColor(0x087FE8),
                                     TColor(0x7CDAF7), TColor(0x087FE8), TColor(0x7CDAF7)};
  switch (S) {
    case esOffice2003Blue: return &kBlue;
    case esOffice2003Silver: return &kSilver;
    case esOffice2003Olive: return &kOlive;
    case esOffice2003Classic: return &kClassic;
    case esWhidbey: return &kWhidbey;
    default: return nullptr;
  }
}

// Horizontal span of a rounded rectangle with 16-pixel corner radii at row y, as [l, r).
void RoundedSpan(const TRect& R, int y, bool LeftRound, bool RightRound, int& l, int& r) {
  const int rad = std::min({16, R.Width() / 2, R.Height() / 2});
  l = R.Left;
  r = R.Right;
  if (rad <= 0) return;
  int dy = 0;
  if (y < R.Top + rad) dy = R.Top + rad - y;
  else if (y >= R.Bottom - rad) dy = y - (R.Bottom - rad - 1);
  if (dy == 0) return;
  const double d = std::max(0.0, double(rad) * rad - double(dy) * dy);
  const int inset = rad - static_cast<int>(std::lround(std::sqrt(d)));
  if (LeftRound) l += inset;
  if (RightRound) r -= inset;
}

}  // namespace

std::string InspDraw::Markup(TCanvas* C, const std::string& Text, const TRect& R, TCustomImageList* Images, bool Check,
                   TPoint Mouse, bool WordWrap, int ShadowOffset) {
  std::string anchor, strip, focus;
  int xs = 0, ys = 0, links = 0, mouseLink = -1;
  TRect hover;
  HTMLDraw(C, Text, R, Images, Check ? Mouse.X : -1, Check ? Mouse.Y : -1, -1, -1, ShadowOffset, Check, false, false, false,
           false, false, WordWrap, 1.0, clBlue, clNone, clNone, clNone, anchor, strip, focus, xs, ys, links, mouseLink,
           hover);
  return anchor;
}

int InspDraw::MarkupWidth(TCanvas* C, const std::string& Text, const TRect& R, TCustomImageList* Images) {
  std::string anchor, strip, focus;
  int xs = 0, ys = 0, links = 0, mouseLink = -1;
  TRect hover;
  HTMLDraw(C, Text, R, Images, -1, -1, -1, -1, 0, false, true, false, false, false, false, true, 1.0, clBlue, clNone,
           clNone, clNone, anchor, strip, focus, xs, ys, links, mouseLink, hover);
  // Lines start one pixel in, and a line fits only while narrower than its room.
  return xs + 2;
}

void LoadNodeGlyphs(TBitmap& Open, TBitmap& Close) {
  LoadGlyph(Open, "INSPNODEOPEN", true);
  LoadGlyph(Close, "INSPNODECLOSE", false);
}

// ------------------------------------------------------------------ looks
void TInspectorBar::SetStyle(TInspectorBarStyle v) {
  if (v == style_) return;
  style_ = v;
  TInspectorCaption* cap = panelCaption_.get();
  if (const TStyleColors* t = StyleColors(v)) {
    cap->SetColor(t->Caption);
    cap->SetColorTo(t->CaptionTo);
    SetColor(t->Caption);
    for (int i = 0; i < Panels()->Count(); ++i) {
      TInspectorPanel* p = Panels()->GetItem(i);
      p->SetGradientDirection(gdVertical);
      p->SetGradientStart(t->Caption);
      p->SetGradientEnd(t->CaptionTo);
      p->SetGradientSteps(128);
      p->SetBackground(pbGradient);
      p->SetHoverIconColor(t->HoverIcon);
      p->SetHoverIconColorTo(t->HoverIconTo);
      p->SetHoverIconDownColor(t->HoverIconDown);
      p->SetHoverIconDownColorTo(t->HoverIconDownTo);
      p->SetHoverIconBorderColor(t->HoverIconBorder);
      p->SetSelectColor(t->Select);
      p->SetSelectColorTo(t->SelectTo);
      p->SetSelectDownColor(t->SelectDown);
      p->SetSelectDownColorTo(t->SelectDownTo);
      p->SetSelectFontColor(clWhite);
    }
    helpPanel_->SetColorTo(Color());
    helpPanel_->SetColor(cap->ColorTo());
  } else {
    cap->SetColorTo(clNone);
    SetColor(cap->Color());
    for (int i = 0; i < Panels()->Count(); ++i) {
      TInspectorPanel* p = Panels()->GetItem(i);
      p->SetGradientDirection(gdVertical);
      p->SetGradientEnd(clNone);
      p->SetHoverIconColorTo(clNone);
      p->SetHoverIconDownColorTo(clNone);
      p->SetSelectColorTo(clNone);
      p->SetSelectDownColorTo(clNone);
      p->SetSelectFontColor(clWhite);
    }
  }
  defaultGradientDirection_ = gdVertical;
  UpdateCaptionBitmaps();
  Invalidate();
}

void TInspectorBar::SetShowEditorAlways(bool v) {
  if (v == showEditorAlways_) return;
  showEditorAlways_ = v;
  Invalidate();
}

void TInspectorBar::SetImages(TCustomImageList* v) {
  images_ = v;
  if (v) v->FreeNotification(this);
  Invalidate();
}

void TInspectorBar::UpdateCaptionBitmaps() {
  TShadeRandom rand(TShadeRandom::ClockSeed());
  ShadeCaption(*shading_, Width(), panelCaption_->Height(),
               panelCaption_->ShadeLook(defaultGradientDirection_ == gdHorizontal), rand);
}

void TInspectorBar::Resize() {
  TCustomPanel::Resize();
  if (Width() != lastWidth_) {
    lastWidth_ = Width();
    UpdateCaptionBitmaps();
  }
  EndEdit();
  UpdateLayout();
}

bool TInspectorBar::Themed() const { return isWinXP_ && IsThemeActive(); }

TPoint TInspectorBar::CursorInBar() const { return ScreenToClient(Mouse_CursorPos()); }

void TInspectorBar::DrawGradient(TColor From, TColor To, int Steps, bool Horizontal, const TRect& R) {
  ExtUtil::DrawGradient(Surface(), From, To, std::max(1, Steps), R, Horizontal);
}

// ------------------------------------------------------------------ paint
void TInspectorBar::Paint() {
  wholeRepaintPending_ = false;
  PaintOn(Canvas());
}

void TInspectorBar::PaintOn(TCanvas* C) {
  surface_ = C;
  paintPasses_ = 0;
  bool anyVisible = false;
  for (int i = 0; panels_ && i < Panels()->Count(); ++i) anyVisible = anyVisible || Panels()->GetItem(i)->Visible();
  if (!anyVisible || (ComponentState() & csDestroying)) {
    if (C == Canvas()) {
      TCustomPanel::Paint();
    } else {
      Solid(C, Color());
      C->FillRect(ClientRect());
    }
  } else {
    if (mode_ == imSinglePanelActive)
      PaintSingle(false);
    else
      PaintMulti(false);
    if (helpPanel_->Visible()) PaintHelp();
  }
  surface_ = nullptr;
}

void TInspectorBar::PaintSingle(bool Rerun) {
  ++paintPasses_;
  TCanvas* C = Surface();
  const auto layout = SingleLayout();
  const TInspLayout& L = *layout;
  const int A = L.Active, H = panelCaption_->Height();
  for (int i = 0; i <= A; ++i)
    if (Panels()->GetItem(i)->Visible()) DrawCaption(Panels()->GetItem(i), L.Captions[i]);
  if (Focused() && showFocus_) C->DrawFocusRect(TRect(3, A * H + 3, Width() - 3, (A + 1) * H - 3));
  for (int i = A + 1; i < Panels()->Count(); ++i)
    if (Panels()->GetItem(i)->Visible()) DrawCaption(Panels()->GetItem(i), L.Captions[i]);

  TInspectorPanel* panel = Panels()->GetItem(A);
  const TRect body = L.Body;
  if (panelCaption_->SideDisplay()) PaintSideStrip(TRect(0, body.Top - 1, SideWidth(), body.Bottom));
  PaintBackground(panel, body);
  C->SetFont(panel->Font());
  C->SetClipRect(body);
  for (int r : L.Laid[A]) {
    const TRect& rr = L.Rows[A][r];
    if (rr.Bottom > rr.Top) DrawItem(panel, panel->Items()->GetItem(r), rr);
  }
  C->RemoveClip();

  // The arrows narrow the rows, so a change of them paints once more; a row drawing that keeps
  // changing the rows' heights cannot make the painting run again and again.
  const auto laidAfter = SingleLayout();
  const TInspLayout& after = *laidAfter;
  if (after.UpArrow != upArrow_ || after.DownArrow != downArrow_) {
    upArrow_ = after.UpArrow;
    downArrow_ = after.DownArrow;
    if (!Rerun) {
      PaintSingle(true);
      return;
    }
  }
  if (upArrow_) PaintArrow(true, after.UpArrowRect);
  if (downArrow_) PaintArrow(false, after.DownArrowRect);
}

void TInspectorBar::PaintMulti(bool Rerun) {
  ++paintPasses_;
  TCanvas* C = Surface();
  const auto input = LayoutInput();
  const TInspLayoutInput& in = *input;
  const auto layout = MultiLayout();
  const TInspLayout& L = *layout;
  const int area = PanelAreaHeight();
  int y = in.ScrollBarShown ? -in.ScrollPosition : 0;
  for (int i = 0; i < Panels()->Count(); ++i) {
    TInspectorPanel* panel = Panels()->GetItem(i);
    if (!panel->Visible()) continue;
    DrawCaption(panel, L.Captions[i]);
    y = L.Captions[i].Bottom;
    if (!panel->IsOpen() || L.Rows[i].empty()) continue;
    const std::vector<int>& laid = L.Laid[i];
    int bottom = y;
    for (auto r = laid.rbegin(); r != laid.rend(); ++r) {
      const TRect& rr = L.Rows[i][*r];
      if (rr.Bottom > rr.Top) {
        bottom = rr.Bottom;
        break;
      }
    }
    if (bottom > y) {
      if (panelCaption_->SideDisplay()) PaintSideStrip(TRect(0, y - 1, SideWidth(), bottom));
      PaintBackground(panel, TRect(SideWidth(), y, in.Width - (in.ScrollBarShown ? in.ScrollBarWidth : 0), bottom));
    }
    C->SetFont(panel->Font());
    // Laid rows run down the bar: the first one drawn is found by halving, the last is the one
    // before the first that starts below the bar.
    auto from = std::partition_point(laid.begin(), laid.end(), [&](int r) { return L.Rows[i][r].Top < 0; });
    for (auto r = from; r != laid.end() && L.Rows[i][*r].Top < Height(); ++r) {
      const TRect& rr = L.Rows[i][*r];
      if (rr.Bottom > rr.Top) DrawItem(panel, panel->Items()->GetItem(*r), rr);
    }
    y = bottom;
  }
  if (y > area && !scrollShown_) {
    UpdateLayout();
    // One re-run: a layout that still finds no need for the scroll bar is painted as it is.
    if (!Rerun && scrollShown_) {
      PaintMulti(true);
      return;
    }
  }
  if (y < area) {
    Solid(C, Color());
    C->FillRect(TRect(0, y, Width(), area));
  }
}

void TInspectorBar::PaintSideStrip(const TRect& R) {
  TCanvas* C = Surface();
  Solid(C, panelCaption_->Color());
  C->FillRect(R);
  if (panelCaption_->Flat()) return;
  C->Pen()->SetColor(clWhite);
  Line(C, R.Left, R.Top, R.Left, R.Bottom);
  C->Pen()->SetColor(clGray);
  Line(C, R.Right - 1, R.Top, R.Right - 1, R.Bottom);
}

void TInspectorBar::PaintBackground(TInspectorPanel* Panel, const TRect& R) {
  TCanvas* C = Surface();
  switch (Panel->Background()) {
    case pbSolid:
      Solid(C, Panel->Color());
      C->FillRect(R);
      break;
    case pbGradient:
      DrawGradient(ColorToRGB(Panel->GradientStart()), ColorToRGB(Panel->GradientEnd()), Panel->GradientSteps(),
                   Panel->GradientDirection() == gdHorizontal, R);
      break;
    case pbTexture: {
      TBitmap* t = Panel->Texture();
      if (t->Empty() || t->Width() <= 0 || t->Height() <= 0) break;
      const bool hadClip = C->HasClip();
      const TRect oldClip = C->ClipRect();
      C->SetClipRect(R);
      // The tiles keep their places from R's corner; those wholly outside the bar are skipped
      // (the rows of an open panel in multi-panel mode reach far below it).
      const int tw = t->Width(), th = t->Height();
      const int right = std::min(R.Right, Width()), bottom = std::min(R.Bottom, Height());
      const int x0 = R.Left + std::max(0, -R.Left) / tw * tw, y0 = R.Top + std::max(0, -R.Top) / th * th;
      for (int x = x0; x < right; x += tw)
        for (int y = y0; y < bottom; y += th) C->Draw(x, y, t);
      if (hadClip)
        C->SetClipRect(oldClip);
      else
        C->RemoveClip();
      break;
    }
  }
}

void TInspectorBar::PaintArrow(bool Up, const TRect& R) {
  TCanvas* C = Surface();
  // Themed: pressed while the mouse is down inside the arrow, hot while inside; the classic
  // arrow has one look.
  const bool inside = Inside(CursorInBar(), R);
  if (Themed()) {
    const int base = Up ? 1 : 5;
    const int state = mouse_.Down && inside ? base + 2 : inside ? base + 1 : base;
    if (DrawThemePart(Handle(), "scrollbar", C, 1, state, R)) return;
  }
  C->DrawFrameControl(R, DFC_SCROLL, Up ? DFCS_SCROLLUP : DFCS_SCROLLDOWN);
}

void TInspectorBar::PaintHelp() {
  TCanvas* C = Surface();
  TInspectorHelp* h = helpPanel_.get();
  TRect R(0, PanelAreaHeight(), ClientRight(), Height());
  if (h->ColorTo() == clNone) {
    Solid(C, h->Color());
    C->FillRect(R);
  } else {
    DrawGradient(h->Color(), h->ColorTo(), 128, true, R);
  }
  R.Top += 1;
  R.Bottom -= 1;
  auto bevel = [&](TBevelCut cut) {
    if (cut == bvNone) return;
    const TColor tl = cut == bvLowered ? clBtnShadow : clBtnHighlight;
    const TColor br = cut == bvLowered ? clBtnHighlight : clBtnShadow;
    Frame3D(C, R, tl, br, h->BevelWidth());
  };
  bevel(h->BevelInner());
  if (BorderWidth() > 0) Frame3D(C, R, Color(), Color(), BorderWidth());
  bevel(h->BevelOuter());
  C->SetFont(h->Font());
  C->Brush()->SetStyle(bsClear);
  if (IsHTML(h->Text()))
    Markup(C, h->Text(), R, images_, false, TPoint(-1, -1), true);
  else
    C->DrawText(h->Text(), R, DT_WORDBREAK | DT_NOPREFIX);
}

// ------------------------------------------------------------------ captions
// A caption bar: its face, the open/close graphic, the panel's image, the text, the underline.
void TInspectorBar::DrawCaption(TInspectorPanel* Panel, const TRect& Rect) {
  TCanvas* C = Surface();
  if (OnPanelDraw) {
    bool def = true;
    OnPanelDraw(this, Panel, C, Rect, def);
    if (!def) return;
  }
  TInspectorCaption* cap = panelCaption_.get();
  TRect R = Rect;
  Solid(C, Panel->Color());
  C->FillRect(R);
  C->Brush()->SetStyle(bsClear);
  const bool active = Panel->Index() == ActivePanel();
  // The text starts at the outer left, also when the face's bevel narrowed R.
  int textLeft = R.Left;
  const bool clipped = DrawCaptionFace(Panel, active, R);
  DrawOpenCloseGraphic(Panel, active, R, textLeft);
  if (images_ && Panel->ImageIndex() != -1) {
    const int ih = images_->Height();
    const int iy = ih > R.Height() ? R.Top : R.Top + (R.Height() - ih) / 2;
    images_->Draw(C, textLeft, iy, Panel->ImageIndex());
    textLeft += images_->Width();
  }
  textLeft += 4;
  if (clipped) C->RemoveClip();
  AfterDrawCaption(Panel, C, Rect);
  DrawCaptionText(Panel, active, TRect(textLeft + cap->Indent(), R.Top, R.Right + cap->Indent(), R.Bottom));
  if (cap->Underline()) {
    C->Pen()->SetColor(cap->UnderlineColor());
    C->Pen()->SetWidth(cap->UnderlineWidth());
    Line(C, Rect.Left, Rect.Bottom - 1, Rect.Right, Rect.Bottom - 1);
    C->Pen()->SetWidth(1);
  }
}

// The face by the shade type: a themed button, a bitmap look, or the shading in a bevelled
// rectangle (R then the inside of the bevel) or a rounded outline. True when it left a clip set.
bool TInspectorBar::DrawCaptionFace(TInspectorPanel* Panel, bool Active, TRect& R) {
  TInspectorCaption* cap = panelCaption_.get();
  const TShadeType st = cap->ShadeType();
  if (st == stXPButton && Themed()) {
    const bool hover = mouse_.HoverCaption == Panel->Index();
    TRect b = R;
    InflateRect(b, 1, 1);
    if (DrawThemePart(Handle(), "button", Surface(), 1, hover && mouse_.Down ? 3 : hover ? 2 : 1, b)) return false;
  }
  if (st == stBitmap || st == stBitmapRStretch || st == stBitmapLStretch) {
    DrawBitmapCaption(Active ? cap->ActiveBackground() : cap->Background(), st, R);
    return false;
  }
  // A caption that is a button shows pressed while the mouse holds it.
  const bool down = cap->Button() && mouse_.Down && Inside(CursorInBar(), R);
  const TColor tl = down ? clGray : clWhite, br = down ? clWhite : clGray;
  if (cap->Shape() == csRectangle)
    DrawShadedCaption(R, tl, br);
  else
    DrawRoundedCaption(R, tl, br);
  return true;
}

// Stretched whole, or its left part kept and its right end stretched (RStretch), or its right
// part kept at the bar's right and its left end stretched (LStretch).
void TInspectorBar::DrawBitmapCaption(TBitmap* Bmp, TShadeType St, const TRect& R) {
  if (Bmp->Empty()) return;
  TCanvas* C = Surface();
  const int w = Bmp->Width(), h = Bmp->Height();
  if (St == stBitmap) {
    C->StretchDraw(R, Bmp);
  } else if (St == stBitmapRStretch) {
    C->CopyRect(TRect(R.Left, R.Top, R.Left + w, R.Top + h), Bmp->Canvas(), TRect(0, 0, w, h));
    if (R.Right > R.Left + w && w >= 3)
      C->CopyRect(TRect(R.Left + w, R.Top, R.Right, R.Top + h), Bmp->Canvas(), TRect(w - 3, 0, w, h));
  } else {
    const int d = std::max(0, Width() - w);
    C->CopyRect(TRect(R.Left + d, R.Top, R.Left + d + w, R.Top + h), Bmp->Canvas(), TRect(0, 0, w, h));
    if (d > 0 && w >= 2) C->CopyRect(TRect(R.Left, R.Top, R.Left + d, R.Top + h), Bmp->Canvas(), TRect(0, 0, 2, h));
  }
}

void TInspectorBar::DrawShadedCaption(TRect& R, TColor TL, TColor BR) {
  TCanvas* C = Surface();
  const int sw = shading_->Width(), sh = shading_->Height();
  if (!panelCaption_->Flat()) {
    TRect f = R;
    Frame3D(C, f, TL, BR, 1);
    R = f;
  }
  C->SetClipRect(R);
  if (sw > 0 && sh > 0) {
    const int w = std::min(R.Width(), sw), h = std::min(R.Height(), sh);
    C->CopyRect(TRect(R.Left, R.Top, R.Left + w, R.Top + h), shading_->Canvas(), TRect(0, 0, w, h));
  }
}

// The shading row by row inside the rounded outline, then the outline in the bevel colours.
void TInspectorBar::DrawRoundedCaption(const TRect& R, TColor TL, TColor BR) {
  TCanvas* C = Surface();
  const int sw = shading_->Width(), sh = shading_->Height();
  const bool rightRound = panelCaption_->Shape() == csRounded;
  for (int y = R.Top; y < R.Bottom && sw > 0 && sh > 0; ++y) {
    int l, r;
    RoundedSpan(R, y, true, rightRound, l, r);
    r = std::min(r, R.Left + sw);
    const int sy = y - R.Top;
    if (r > l && sy < sh)
      C->CopyRect(TRect(l, y, r, y + 1), shading_->Canvas(), TRect(l - R.Left, sy, r - R.Left, sy + 1));
  }
  const int midY = R.Top + R.Height() / 2, midX = R.Left + R.Width() / 2;
  C->Brush()->SetStyle(bsClear);
  C->Pen()->SetColor(TL);
  C->SetClipRect(TRect(R.Left, R.Top, R.Right, midY));
  if (rightRound) {
    C->RoundRect(R.Left, R.Top, R.Right, R.Bottom, 32, 32);
  } else {
    C->RoundRect(R.Left, R.Top, midX + 16, R.Bottom, 32, 32);
    Line(C, midX, R.Top, R.Right, R.Top);
  }
  C->Pen()->SetColor(BR);
  C->SetClipRect(TRect(R.Left, midY, R.Right, R.Bottom));
  if (rightRound) {
    C->RoundRect(R.Left, R.Top, R.Right, R.Bottom, 32, 32);
  } else {
    C->RoundRect(R.Left, R.Top, midX + 16, R.Bottom, 32, 32);
    Line(C, midX, R.Bottom - 1, R.Right, R.Bottom - 1);
    C->SetClipRect(R);
    Line(C, R.Right - 1, R.Top, R.Right - 1, R.Bottom);
  }
  C->SetClipRect(R);
}

// The open/close graphic at the caption's left or right end; at the left it moves TextLeft.
void TInspectorBar::DrawOpenCloseGraphic(TInspectorPanel* Panel, bool Active, const TRect& R, int& TextLeft) {
  TCanvas* C = Surface();
  TInspectorCaption* cap = panelCaption_.get();
  TOpenCloseGraphic g = cap->OpenCloseGraphic();
  if (mode_ == imMultiPanelActive && Panel->MultiPanelState() == mpsAlwaysOpen) g = ocgNone;
  if (g == ocgNone) return;
  int gx = R.Right - 20, gy = R.Top;
  if (cap->OpenClosePosition() == ocpLeft) {
    gx = R.Left;
    TextLeft = R.Left + 16;
  }
  const bool open = mode_ == imSinglePanelActive ? Active : Panel->IsOpen();
  switch (g) {
    case ocgCross:
      C->Draw(gx + 4, gy + 4, open ? nodeClose_.get() : nodeOpen_.get());
      break;
    case ocgTriangle:
      C->Pen()->SetColor(clBlack);
      C->Pen()->SetWidth(1);
      C->Brush()->SetStyle(bsSolid);
      C->Brush()->SetColor(clBlack);
      if (open)
        C->Polygon({TPoint(gx + 4, gy + 4), TPoint(gx + 10, gy + 4), TPoint(gx + 7, gy + 7)});
      else
        C->Polygon({TPoint(gx + 4, gy + 4), TPoint(gx + 4, gy + 10), TPoint(gx + 7, gy + 7)});
      C->Brush()->SetStyle(bsClear);
      break;
    case ocgGlyph: {
      TBitmap* b = open ? cap->GlyphOpen() : cap->GlyphClose();
      if (!b->Empty()) {
        b->SetTransparent(true);
        C->Draw(gx, gy, b);
      }
      break;
    }
    default: break;
  }
}

void TInspectorBar::DrawCaptionText(TInspectorPanel* Panel, bool Active, TRect TR) {
  TCanvas* C = Surface();
  TInspectorCaption* cap = panelCaption_.get();
  C->SetFont(Active ? cap->ActiveFont() : cap->Font());
  C->Brush()->SetStyle(bsClear);
  if (IsHTML(Panel->Caption())) {
    Markup(C, Panel->Caption(), TR, images_, false, TPoint(-1, -1), true);
    return;
  }
  unsigned f = DT_NOPREFIX | (Panel->WordWrapCaption() ? DT_WORDBREAK : DT_SINGLELINE);
  if (ellipsis_) f |= DT_END_ELLIPSIS;
  if (cap->Alignment() == taRightJustify) f |= DT_RIGHT;
  if (cap->Alignment() == taCenter) f |= DT_CENTER;
  if (cap->VAlignment() == TCaptionVAlignment::vaCenter) f |= DT_VCENTER;
  if (cap->VAlignment() == TCaptionVAlignment::vaBottom) f |= DT_BOTTOM;
  C->DrawText(Panel->Caption(), TR, f);
}
