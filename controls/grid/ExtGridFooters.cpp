// The footers under the cells: the floating footer's panel and its three
// styles; the search footer's panel and buttons, its settings applied, and the
// grid's find routines bound to its events; both panels' place at the bottom.
#include "controls/grid/ExtGridFooters.h"

#include <algorithm>
#include <charconv>

#include "controls/grid/ExtGrid.h"
#include "controls/grid/ExtUtil.h"
#include "controls/markup/EsgHTMLE.h"
#include "platform/gui/Forms.h"

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

void TSearchPanel::CMFontChanged(TMessage& Message) {
  TCustomPanel::CMFontChanged(Message);
  if (!highlight_) return;
  // The highlight toggle takes the panel's font with a plain face.
  TFont plain;
  plain.Assign(Font());
  plain.SetStyle(0);
  highlight_->SetFont(&plain);
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
  // The search footer lies at the very bottom, the floating footer just above it.
  int bottom = ClientHeight();
  if (searchPanel_ && searchFooter_->Visible()) {
    bottom = std::max(0, bottom - searchPanel_->Height());
    searchPanel_->SetBounds(0, bottom, ClientWidth(), searchPanel_->Height());
  }
  if (footerPanel_ && floatingFooter_->Visible())
    footerPanel_->SetBounds(0, std::max(0, bottom - footerPanel_->Height()), ClientWidth(), footerPanel_->Height());
  // The rows in view end above the panels.
  if (HandleAllocated()) UpdateScrollRange();
}

int TExtStringGrid::FooterPanelsHeight() const {
  int h = 0;
  if (searchPanel_ && searchPanel_->Visible()) h += searchPanel_->Height();
  if (footerPanel_ && footerPanel_->Visible()) h += footerPanel_->Height();
  return h;
}

// ---------------------------------------------------------------- the floating footer
TFooterPanel::TFooterPanel(TComponent* AOwner, TExtStringGrid* Grid) : TCustomPanel(AOwner), grid_(Grid) {
  SetBevelOuter(bvNone);
  SetBorderWidth(0);
  SetHeight(0);
}

void TFooterPanel::Paint() {
  Canvas()->Font()->Assign(grid_->Font());
  grid_->PaintFooter(Canvas(), ClientRect());
}

void TFooterPanel::MouseMove(TShiftState Shift, int X, int Y) {
  TCustomPanel::MouseMove(Shift, X, Y);
  if (!ShowHint()) return;
  const int c = grid_->FooterColumnAt(X, ClientWidth());
  const int col = c < 0 ? -1 : grid_->RealColIndex(c);
  if (col != hintCol_ && hintCol_ != -1) {
    if (Application) Application->CancelHint();
    hintCol_ = col;
  }
}

void TFooterPanel::CMMouseLeave(TMessage& Message) {
  TCustomPanel::CMMouseLeave(Message);
  hintCol_ = -1;
}

void TFooterPanel::CMHintShow(TMessage& Message) {
  Message.Result = 0;
  auto* info = reinterpret_cast<THintInfo*>(Message.LParam);
  if (!info) return;
  const int w = ClientWidth();
  int c = grid_->FooterColumnAt(info->CursorPos.X, w);
  const int col = c < 0 ? -1 : grid_->RealColIndex(c);
  std::string hint = info->HintStr;
  if (col >= 0 && grid_->OnGridHint) grid_->OnGridHint(grid_, grid_->RowCount() - 1, col, hint);
  hintCol_ = ShowHint() && col >= 0 ? col : -1;
  if (!ShowHint() || col < 0) {
    Message.Result = 1;
    return;
  }
  // The hint holds while the pointer stays over its column.
  for (const TExtStringGrid::TFooterColumn& f : grid_->FooterColumns(w))
    if (f.Col == c) info->CursorRect = TRect(f.Left, 0, f.Right, ClientHeight());
  info->HintStr = hint;
  info->Show = !hint.empty();
}

TFooterPanel* TExtStringGrid::FooterPanel() {
  if (!footerPanel_) {
    footerPanel_ = new TFooterPanel(this, this);
    footerPanel_->SetVisible(false);
    footerPanel_->SetParent(this);
    footerPanel_->SetShowHint(floatingFooter_->ShowHint());
  }
  return footerPanel_;
}

void TExtStringGrid::RepaintFooterPanel() {
  if (footerPanel_) footerPanel_->Invalidate();
}

void TExtStringGrid::FloatingFooterChanged(bool VisibleChanged) {
  TFloatingFooter* f = floatingFooter_.get();
  const bool lastRow = f->Visible() && f->FooterStyle() == fsFixedLastRow;
  FloatingFooterRow = lastRow;
  if (VisibleChanged) {
    SetFixedFooters(lastRow ? 1 : 0);
    if (f->Visible() || footerPanel_) {
      TFooterPanel* p = FooterPanel();
      p->SetHeight(f->Visible() ? std::max(0, DefaultRowHeight() - 1) : 0);
      p->SetVisible(f->Visible());
      AlignSearchPanel();
    }
  }
  if (footerPanel_) footerPanel_->SetShowHint(f->ShowHint());
  RepaintFooterPanel();
  Invalidate();
}

std::string TExtStringGrid::ExpandFooterTemplate(const std::string& Template) {
  std::string out;
  out.reserve(Template.size());
  size_t i = 0;
  while (i < Template.size()) {
    const size_t open = Template.find("<#", i);
    const size_t close = open == std::string::npos ? open : Template.find('>', open + 2);
    if (close == std::string::npos) {
      out.append(Template, i, std::string::npos);
      break;
    }
    out.append(Template, i, open - i);
    const char* first = Template.data() + open + 2;
    const char* last = Template.data() + close;
    int n = -1;
    const auto [end, ec] = std::from_chars(first, last, n);
    if (ec == std::errc() && end == last && n >= 0 && n < ColCount() && Row() >= 0 && Row() < RowCount())
      out += Cells(n, Row());
    i = close + 1;
  }
  return out;
}

std::vector<TExtStringGrid::TFooterColumn> TExtStringGrid::FooterColumns(int PanelWidth) {
  std::vector<TFooterColumn> cols;
  // Each column takes its width, its grid line included, as the grid paints it.
  int x = 0;
  auto add = [&](int c) {
    const int w = ColWidths(c);
    if (w <= 0 || x >= PanelWidth) return;
    TFooterColumn f{c, x, std::min(x + w, PanelWidth)};
    if (UseRightToLeftAlignment()) f = TFooterColumn{c, PanelWidth - f.Right, PanelWidth - f.Left};
    cols.push_back(f);
    x += w;
  };
  for (int c = 0; c < FixedCols() && c < ColCount(); ++c) add(c);
  for (int c = std::max(LeftCol(), FixedCols()); c < ColCount() && x < PanelWidth; ++c) add(c);
  return cols;
}

int TExtStringGrid::FooterColumnAt(int X, int PanelWidth) {
  for (const TFooterColumn& f : FooterColumns(PanelWidth))
    if (X >= f.Left && X < f.Right) return f.Col;
  return -1;
}

void TExtStringGrid::DrawFooterCell(TCanvas* C, int ACol, int ARow, const TRect& R) {
  const int rc = RealColIndex(ACol);
  if (OnFooterPaint) {
    OnFooterPaint(this, rc, C, R);
    return;
  }
  // The cell's own font and alignment, never the selection's looks.
  TGridDrawState st = 0;
  TBrush brush;
  TColor colorTo = clNone;
  TAlignment ha = taLeftJustify;
  TVAlignment va = vtaTop;
  bool ww = false;
  GetCellColors(ACol, ARow, st, false, true, false, &brush, colorTo, C->Font(), ha, va, ww);
  const TColor fill = C->Brush()->Color();
  // Inside the separators at the right and bottom.
  DrawTextStep(C, ACol, ARow, rc, TRect(R.Left, R.Top, R.Right - 1, R.Bottom - 1), st, ha, va, ww, fill,
               C->Font()->Color());
  C->Brush()->SetColor(fill);
  C->Brush()->SetStyle(bsSolid);
}

void TExtStringGrid::PaintFooter(TCanvas* C, const TRect& Client) {
  TFloatingFooter* f = floatingFooter_.get();
  const int w = Client.Width(), h = Client.Height();
  const std::vector<TFooterColumn> cols = FooterColumns(w);
  C->Brush()->SetStyle(bsSolid);
  C->Pen()->SetWidth(1);
  if (f->FooterStyle() == fsFixedLastRow) {
    const int last = RowCount() - 1;
    C->Brush()->SetColor(Color());
    C->FillRect(Client);
    const bool soft = look_ == glSoft && !flat_;
    TFont saved;
    saved.Assign(C->Font());
    for (const TFooterColumn& fc : cols) {
      const TRect r(fc.Left, 0, fc.Right, h);
      const TColor own = Colors(RealColIndex(fc.Col), last);
      C->Brush()->SetColor(own != clNone ? own : f->Color());
      C->FillRect(r);
      C->Pen()->SetColor(clGray);
      C->MoveTo(r.Right - 1, r.Top), C->LineTo(r.Right - 1, r.Bottom - 1), C->LineTo(r.Left - 1, r.Bottom - 1);
      if (soft) {
        C->Pen()->SetColor(clWhite);
        C->MoveTo(r.Left, r.Bottom - 2), C->LineTo(r.Left, r.Top), C->LineTo(r.Right - 1, r.Top);
      }
      C->Font()->Assign(&saved);
      DrawFooterCell(C, fc.Col, last, r);
    }
    return;
  }
  // The preview styles draw into one band as wide as the columns in view.
  int band = 0;
  for (const TFooterColumn& fc : cols) band = std::max(band, (UseRightToLeftAlignment() ? w - fc.Left : fc.Right));
  band = std::min(band, w);
  TRect b = UseRightToLeftAlignment() ? TRect(w - band, 0, w, h) : TRect(0, 0, band, h);
  C->Brush()->SetColor(Color());
  C->FillRect(Client);
  C->Brush()->SetColor(f->Color());
  C->FillRect(b);
  C->Pen()->SetColor(clGray);
  C->MoveTo(b.Right - 1, b.Top), C->LineTo(b.Right - 1, b.Bottom - 1), C->LineTo(b.Left - 1, b.Bottom - 1);
  C->Pen()->SetColor(clWhite);
  C->MoveTo(b.Left, b.Bottom - 2), C->LineTo(b.Left, b.Top), C->LineTo(b.Right - 1, b.Top);
  const TRect inside(b.Left + 1, b.Top + 1, b.Right - 1, b.Bottom - 1);
  if (f->FooterStyle() == fsColumnPreview) {
    const int col = f->Column();
    if (col < 0 || col >= ColCount() || Row() < 0 || Row() >= RowCount()) return;
    const int d = DisplColIndex(col);
    if (OnFooterPaint) {
      OnFooterPaint(this, col, C, inside);
      return;
    }
    DrawFooterCell(C, d < 0 ? col : d, Row(), inside);
    return;
  }
  TRect t(inside.Left + 2, inside.Top, inside.Right, inside.Bottom);
  C->Brush()->SetStyle(bsClear);
  if (ComponentState() & csDesigning) {
    C->DrawText(f->CustomTemplate(), t, DT_SINGLELINE | DT_NOPREFIX | DT_VCENTER);
    return;
  }
  std::string anchorVal, stripVal, focusAnchor, title, cid, cvv, ct;
  int xs = 0, ys = 0, links = 0, mouseLink = 0;
  TRect hover, control;
  if (!pictureCache_) pictureCache_ = std::make_shared<THTMLPictureCache>();
  HTMLDraw(C, ExpandFooterTemplate(f->CustomTemplate()), t, GridImages, 0, 0, -1, -1, 1, false, false, false, false,
           true, false, true, false, 1.0, URLColor(), clNone, clNone, clGray, anchorVal, stripVal, focusAnchor, title, xs,
           ys, links, mouseLink, hover, control, cid, cvv, ct, pictureCache_.get(), PictureContainer, Handle());
}
