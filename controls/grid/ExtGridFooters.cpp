// The search footer: its panel and buttons, its settings applied, its place at
// the grid's bottom, and the grid's find routines bound to its events.
#include "controls/grid/ExtGridFooters.h"

#include <algorithm>

#include "controls/grid/ExtGrid.h"
#include "controls/grid/ExtUtil.h"

namespace {

// The buttons' glyphs, our own art: 12 x 12 on a magenta background that is transparent.
enum TGlyphKind { gkDown, gkUp, gkClose, gkHighlight };

void DrawGlyph(TBitmap* B, TGlyphKind Kind, TColor Ink) {
  const TColor key = TColorOf(0xFF00FF);
  B->SetWidth(12);
  B->SetHeight(12);
  TCanvas* c = B->Canvas();
  c->Brush()->SetColor(key);
  c->FillRect(TRect(0, 0, 12, 12));
  c->Brush()->SetColor(Ink);
  c->Pen()->SetColor(Ink);
  switch (Kind) {
    case gkDown: c->Polygon({TPoint(2, 4), TPoint(9, 4), TPoint(5, 9)}); break;
    case gkUp: c->Polygon({TPoint(2, 8), TPoint(9, 8), TPoint(5, 3)}); break;
    case gkClose:
      for (int i = 2; i < 10; ++i) {
        c->SetPixels(i, i, Ink), c->SetPixels(i + 1, i, Ink);
        c->SetPixels(11 - i, i, Ink), c->SetPixels(10 - i, i, Ink);
      }
      break;
    default:
      c->Brush()->SetColor(TColorOf(0x00FFFF));
      c->FillRect(TRect(1, 3, 11, 9));
      c->Brush()->SetColor(Ink);
      c->FrameRect(TRect(1, 3, 11, 9));
      break;
  }
  B->SetTransparentColor(key);
  B->SetTransparent(true);
}

void SetGlyph(TExtGridButton* Button, TGlyphKind Kind, int Which, TColor Ink) {
  TBitmap b;
  DrawGlyph(&b, Kind, Ink);
  switch (Which) {
    case 0: Button->SetGlyph(&b); break;
    case 1: Button->SetGlyphHot(&b); break;
    case 2: Button->SetGlyphDown(&b); break;
    default: Button->SetGlyphDisabled(&b); break;
  }
}

}  // namespace

TSearchPanel::TSearchPanel(TComponent* AOwner) : TCustomPanel(AOwner) {
  SetBevelOuter(bvNone);
  SetHeight(32);
  edit_ = new TEdit(this);
  edit_->SetParent(this);
  edit_->SetBounds(25, 6, 110, 21);
  auto button = [this](int left, int top, int w, int h) {
    auto* b = new TExtGridButton(this);
    b->SetParent(this);
    b->SetBounds(left, top, w, h);
    return b;
  };
  next_ = button(140, 5, 90, 23);
  prev_ = button(235, 5, 90, 23);
  close_ = button(5, 7, 14, 14);
  highlight_ = button(330, 5, 90, 23);
  highlight_->SetStyle(tasCheck);
  SetGlyph(next_, gkDown, 0, clBlack), SetGlyph(next_, gkDown, 3, clGray);
  SetGlyph(prev_, gkUp, 0, clBlack), SetGlyph(prev_, gkUp, 3, clGray);
  SetGlyph(close_, gkClose, 0, clGray), SetGlyph(close_, gkClose, 1, clBlack), SetGlyph(close_, gkClose, 2, clBlack);
  SetGlyph(highlight_, gkHighlight, 0, clBlack), SetGlyph(highlight_, gkHighlight, 3, clGray);
  close_->ShowCaption = false;
  matchCase_ = new TCheckBox(this);
  matchCase_->SetParent(this);
  matchCase_->SetBounds(425, 8, 100, 17);
  for (TExtGridButton* b : {next_, prev_, highlight_}) b->SetEnabled(false);
  edit_->OnChange = [this](TObject*) {
    const bool any = !edit_->Text().empty();
    for (TExtGridButton* b : {next_, prev_, highlight_}) b->SetEnabled(any);
    if (OnEditChange) OnEditChange(this);
  };
  next_->OnClick = [this](TObject*) { if (OnForwardClick) OnForwardClick(this); };
  prev_->OnClick = [this](TObject*) { if (OnBackwardClick) OnBackwardClick(this); };
  close_->OnClick = [this](TObject*) { if (OnExitClick) OnExitClick(this); };
  highlight_->OnClick = [this](TObject*) { if (OnHighlightClick) OnHighlightClick(this); };
}

void TSearchPanel::SetColorTo(TColor v) {
  colorTo_ = v;
  Invalidate();
}

void TSearchPanel::Paint() {
  TCustomPanel::Paint();
  const TRect r = ClientRect();
  if (colorTo_ != clNone) {
    ExtUtil::DrawGradient(Canvas(), Color(), colorTo_, 32, r, false);
  } else {
    Canvas()->Brush()->SetColor(Color());
    Canvas()->FillRect(r);
  }
}

// ---------------------------------------------------------------- the grid's side
TSearchPanel* TExtStringGrid::SearchPanel() {
  if (!searchPanel_) {
    searchPanel_ = new TSearchPanel(this);
    searchPanel_->SetVisible(false);
    searchPanel_->SetParent(this);
    TSearchPanel* p = searchPanel_;
    p->OnEditChange = [this, p](TObject*) {
      SearchFooterEditChange(p->SearchEdit()->Text(), p->MatchCaseBox()->Checked(), p->HighlightButton()->Down());
      p->SearchEdit()->SetColor(SearchEditColor());
    };
    // The edit keeps the focus while the buttons walk.
    p->OnForwardClick = [this, p](TObject*) { SearchFooterFind(p->SearchEdit()->Text(), false); };
    p->OnBackwardClick = [this, p](TObject*) { SearchFooterFind(p->SearchEdit()->Text(), true); };
    p->OnExitClick = [this](TObject*) { SearchFooterClose(); };
    p->OnHighlightClick = [this, p](TObject*) {
      SearchFooterHighlight(p->HighlightButton()->Down(), p->SearchEdit()->Text());
    };
  }
  return searchPanel_;
}

void TExtStringGrid::SearchFooterChanged() {
  TSearchFooter* f = searchFooter_.get();
  if (!f->Visible() && !searchPanel_) {
    Invalidate();
    return;
  }
  TSearchPanel* p = SearchPanel();
  p->SetColor(f->Color());
  p->SetColorTo(f->ColorTo());
  p->ForwardButton()->SetCaption(f->Caption(TSearchFooter::FindNextCaption));
  p->BackwardButton()->SetCaption(f->Caption(TSearchFooter::FindPrevCaption));
  p->MatchCaseBox()->SetCaption(f->Caption(TSearchFooter::MatchCaseCaption));
  p->HighlightButton()->SetCaption(f->Caption(TSearchFooter::HighLightCaption));
  auto hint = [](TExtGridButton* b, const std::string& h) {
    b->SetHint(h);
    b->SetShowHint(!h.empty());
  };
  hint(p->HighlightButton(), f->Caption(TSearchFooter::HintHighlight));
  hint(p->ForwardButton(), f->Caption(TSearchFooter::HintFindNext));
  hint(p->BackwardButton(), f->Caption(TSearchFooter::HintFindPrev));
  hint(p->ExitButton(), f->Caption(TSearchFooter::HintClose));
  p->SetFont(f->Font());
  for (TExtGridButton* b : {p->ForwardButton(), p->BackwardButton(), p->HighlightButton()}) {
    if (autoThemeAdapt_) {
      b->SetAutoThemeAdapt(true);
      b->SetFlat(true);
    } else if (controlLook_->ControlStyle() == csFlat) {
      b->SetFlat(true);
    } else {
      b->AutoXPStyle = controlLook_->ControlStyle() == csWinXP;
      b->SetFlat(false);
    }
  }
  p->HighlightButton()->SetVisible(f->ShowHighLight());
  p->ExitButton()->SetVisible(f->ShowClose());
  p->MatchCaseBox()->SetVisible(f->ShowMatchCase());
  p->BackwardButton()->SetVisible(f->ShowFindPrev());
  p->ForwardButton()->SetVisible(f->ShowFindNext());
  p->MatchCaseBox()->SetLeft(f->ShowHighLight() ? 425 : 330);
  for (TExtGridButton* b : {p->ForwardButton(), p->BackwardButton(), p->HighlightButton()})
    b->SetHeight(b->Visible() ? 23 : 0);
  p->MatchCaseBox()->SetHeight(f->ShowMatchCase() ? 17 : 0);
  p->SetHeight(f->Visible() ? 32 : 0);
  p->SetVisible(f->Visible());
  if (f->Visible()) AlignSearchPanel();
  Invalidate();
}

void TExtStringGrid::AlignSearchPanel() {
  if (!searchPanel_ || !searchFooter_->Visible()) return;
  searchPanel_->SetBounds(0, std::max(0, ClientHeight() - searchPanel_->Height()), ClientWidth(),
                          searchPanel_->Height());
}
