// Cell painting: the paint pass, the style step that composes a cell's
// colours and font (run twice per cell: before the fill and again before the
// content), the alignment rules, the content step with the fixed-cell looks,
// row marks, borders and the focus rectangle, the background outside the
// cells, the sizing lines and the theme colours.
//
// Pixel positions: the cell rectangle the platform hands over includes the
// cell's own grid line (at its right and bottom edge), so the looks are drawn
// inside that rectangle.
#include <algorithm>

#include "controls/grid/ExtGrid.h"
#include "controls/grid/ExtGridFooters.h"
#include "platform/gui/WinWindow.h"
#include "controls/grid/ExtUtil.h"
#include "platform/gui/VisualStyles.h"

namespace {
void ApplyCellFont(const TCellProperties* p, TFont* AFont) {
  if (p->FontColor != clNone) AFont->SetColor(p->FontColor);
  if (p->FontStyle != 0) AFont->SetStyle(p->FontStyle);
  if (p->FontSize != 0) AFont->SetSize(p->FontSize);
  if (!p->FontName.empty()) AFont->SetName(p->FontName);
}

void DrawLine(TCanvas* cv, int x1, int y1, int x2, int y2) {
  cv->MoveTo(x1, y1);
  cv->LineTo(x2, y2);
}
}  // namespace

// ---------------------------------------------------------------- paint pass
bool TExtStringGrid::EditorFrameShown() const { return InplaceEditor() && InplaceEditor()->Visible(); }

void TExtStringGrid::Paint() {
  // Nothing is drawn while an update is open; the last EndUpdate repaints the whole grid.
  if (updateCount_ > 0) return;
  TCanvas* cv = Canvas();
  cv->Pen()->SetStyle(psSolid);
  tileRows_ = {true, 0, -1, 0};
  struct TOff {
    TTileRows& T;
    ~TOff() { T.On = false; }
  } off{tileRows_};
  TBaseGrid::Paint();
  if (EditorFrameShown()) {
    TColor c = GridLineColor();
    if (GridLineWidth() < 1 || !(Options() & (goHorzLine | goVertLine))) c = Color();
    cv->Pen()->SetColor(c);
    cv->Pen()->SetWidth(1);
    TBrushStyle bs = cv->Brush()->Style();
    cv->Brush()->SetStyle(bsClear);
    cv->Rectangle(CellRectEx(Col(), Row()));
    cv->Brush()->SetStyle(bs);
  }
  cv->Pen()->SetColor(clBlack);
  PaintSelectionFrame(cv);
  DrawOuterBackground();
  PaintPanMarker(cv);
  PaintSizingLines(cv);
}

// ---------------------------------------------------------------- style step
bool TExtStringGrid::CellDrawnSelected(int ACol, int ARow, TGridDrawState AState) {
  TMouseActions* m = mouseActions_.get();
  bool mouseSelecting = (AState & gdSelected) && GridState() == gsSelecting;
  if (m->DisjunctRowSelect()) return RowAttributes(ARow).DisjunctSelected || mouseSelecting;
  if (m->DisjunctColSelect()) {
    int rc = RealColIndex(ACol);
    bool flagged = rc < static_cast<int>(colSelect_.size()) && colSelect_[static_cast<size_t>(rc)];
    return flagged || mouseSelecting;
  }
  return AState & gdSelected;
}

void TExtStringGrid::GetCellColors(int ACol, int ARow, TGridDrawState& AState, bool APrinting, bool AMapHidden,
                                   bool ASelection, TBrush* ABrush, TColor& AColorTo, TFont* AFont,
                                   TAlignment& HAlign, TVAlignment& VAlign, bool& AWordWrap) {
  const bool byIndex = ACol < FixedCols() || ARow < FixedRows();
  const int rc = AMapHidden ? RealColIndex(ACol) : ACol;
  AFont->Assign(byIndex ? fixedFont_.get() : Font());
  TColor brush = clNone;
  AColorTo = clNone;
  AWordWrap = WordWrap();
  if (TCellProperties* p = CellPropertiesOrNull(rc, ARow)) {
    brush = p->BrushColor();
    ApplyCellFont(p, AFont);
    AWordWrap = p->WordWrap();
    AColorTo = p->BrushColorTo();
  }
  if (brush == clNone) {
    brush = Color();
    TColor band = bands_->BandColor(ARow, APrinting);
    if (band != clNone) brush = band;
    if (byIndex || ACol >= ColCount() - fixedRightCols_ || ARow >= RowCount() - fixedFooters_) brush = FixedColor();
  }
  const bool fixed = byIndex || IsFixed(ACol, ARow);
  if (fixed) {
    brush = FixedColor();
    AFont->Assign(fixedFont_.get());
    AState |= gdFixed;
  }
  ABrush->SetColor(brush);
  GetCellColor(rc, ARow, AState, ABrush, AFont);
  if (ASelection && ShowSelection() && !fixed) {
    if (CellDrawnSelected(ACol, ARow, AState)) {
      ABrush->SetColor(SelectionColor());
      AColorTo = SelectionColorTo();
      AFont->SetColor(SelectionTextColor());
      AState |= gdSelected;
    } else {
      AState &= ~gdSelected;
    }
  }
  if (mouseActions_->DisjunctCellSelect() && !fixed) {
    bool listed = std::find(select_.Cells.begin(), select_.Cells.end(), TPoint(ACol, ARow)) != select_.Cells.end();
    if (listed) {
      ABrush->SetColor(SelectionColor());
      AColorTo = SelectionColorTo();
      AFont->SetColor(SelectionTextColor());
      AState |= gdSelected;
    } else if (ACol == Col() && ARow == Row()) {
      AState &= ~gdSelected;
      ABrush->SetColor(Color());
      AFont->SetColor(Font()->Color());
    }
  }
  GetWordWrap(rc, ARow, AWordWrap);
  HAlign = taLeftJustify;
  VAlign = VAlignment();
  GetCellAlignment(rc, ARow, HAlign, VAlign);
}

void TExtStringGrid::GetCellColor(int ACol, int ARow, TGridDrawState AState, TBrush* ABrush, TFont* AFont) {
  if (activeCellShow_) {
    bool rowHeader = FixedCols() >= 1 && ACol == 0 && ARow == Row();
    bool colHeader = FixedRows() >= 1 && ARow == 0 && DisplColIndex(ACol) == Col();
    if (rowHeader || colHeader) {
      AFont->Assign(activeCellFont_.get());
      ABrush->SetColor(activeCellColor_);
    }
  }
  // A cell's own colours win over the fixed and highlight colours.
  if (TCellProperties* p = CellPropertiesOrNull(ACol, ARow)) {
    if (p->BrushColor() != clNone) ABrush->SetColor(p->BrushColor());
    ApplyCellFont(p, AFont);
  }
  if (OnGetCellColor) OnGetCellColor(this, ARow, ACol, AState, ABrush, AFont);
}

// ---------------------------------------------------------------- alignment
void TExtStringGrid::GetCellAlignment(int ACol, int ARow, TAlignment& HAlign, TVAlignment& VAlign) {
  VAlign = VAlignment();
  HAlign = taLeftJustify;
  if (ACol == 0 && mouseActions_->HotmailRowSelect()) HAlign = taCenter;
  if (AutoNumAlign) {
    std::string s = GridCells(ACol, ARow);
    if (ExtUtil::TextType(s, false) == 3) FormulaText(ACol, ARow, s);
    s = Trim(s);
    if (!s.empty() && ExtUtil::NumberTextKind(s) != 2) HAlign = taRightJustify;
  }
  if (TCellProperties* p = CellPropertiesOrNull(ACol, ARow)) HAlign = p->Alignment;
  if (OnGetAlignment) OnGetAlignment(this, ARow, ACol, HAlign, VAlign);
}

// ---------------------------------------------------------------- content step
void TExtStringGrid::DrawCellText(TCanvas* ACanvas, int ACol, int ARow, TRect ARect, TGridDrawState AState) {
  DrawCellContent(ACanvas, ACol, ARow, ARect, AState);
}

void TExtStringGrid::DrawCellContent(TCanvas* cv, int ACol, int ARow, TRect ARect, TGridDrawState AState) {
  const int rc = RealColIndex(ACol);
  TColor colorTo = clNone;
  TAlignment ha = taLeftJustify;
  TVAlignment va = vtaTop;
  bool ww = false;
  GetCellColors(ACol, ARow, AState, false, true, false, cv->Brush(), colorTo, cv->Font(), ha, va, ww);
  const bool fixed = AState & gdFixed;
  if ((AState & gdSelected) && !(AState & gdFocused) && SelectionColor() == clNone) cv->Brush()->SetColor(clHighlight);
  if (zoom_.Level != 0) cv->Font()->SetSize(std::max(1, cv->Font()->Size() + zoom_.Level));
  const TColor savedBrush = cv->Brush()->Color(), savedFont = cv->Font()->Color();
  // The whole cell, its grid lines included (fixed cells lose one pixel a side, others GridLineWidth).
  const int lw = fixed ? 1 : GridLineWidth();
  const TRect cell(ARect.Left - lw, ARect.Top - lw, ARect.Right + lw, ARect.Bottom + lw);
  TRect r = ARect;
  const bool gradientLook = (look_ == glQuarn || look_ == glXP) && !flat_;
  if (fixed && gradientLook) {
    bool active = activeCellShow_ && ((rc == FixedCols() - 1 && ARow == Row()) || (ARow == FixedRows() - 1 && ACol == Col()));
    DrawFixedGradient(cv, active ? activeCellColor_ : FixedGradientStart, active ? activeCellColorTo_ : FixedGradientEnd,
                      TRect(cell.Left, cell.Top, cell.Right - 1, cell.Bottom - 1));
  }
  int indicatorShift = 0;
  if (rc == 0 && ARow == Row() && FixedCols() >= 1 && !rowIndicator_->Empty()) {
    TBitmap* b = rowIndicator_.get();
    int y = r.Top;
    if (VAlignment() == vtaCenter) y = r.Top + (r.Height() - b->Height()) / 2;
    if (VAlignment() == vtaBottom) y = r.Bottom - b->Height();
    ExtUtil::DrawTransparentBitmap(cv, b, b->TransparentColor(),
                                   TRect(r.Left + 2, y, r.Left + 2 + b->Width(), y + b->Height()));
    indicatorShift = b->Width() + 2;
    r.Left += indicatorShift;
  }
  if (fixed && look_ == glListView && !flat_) {
    bool themed = IsWindowsXPOrLater() && VisualStylesUsable();
    const bool hot = hover_.HotFixedCell == TPoint(ACol, ARow);
    const int state = hot ? (hover_.FixedCellPressed ? 3 : 2) : 1;
    TRect h(cell.Left, cell.Top, cell.Right, cell.Bottom);
    if (!themed || !DrawThemePart(Handle(), "header", cv, 1, state, h)) {
      // Without visual styles every header is the same face: only a styled header shows hot and pressed.
      cv->Brush()->SetColor(clBtnFace);
      cv->Pen()->SetColor(clWhite);
      cv->Rectangle(r);
      cv->Brush()->SetColor(savedBrush);
    }
    if (themed) {
      cv->Pen()->SetColor(clWhite);
      DrawLine(cv, cell.Left, cell.Top, cell.Right, cell.Top);
    }
  }
  if (rc == 0 && showModified_->Enabled && RowModified(ARow)) {
    TColor b = cv->Brush()->Color();
    cv->Brush()->SetColor(showModified_->Color());
    cv->FillRect(TRect(cell.Right - 1 - 4, cell.Top, cell.Right - 1, cell.Bottom - 1));
    cv->Brush()->SetColor(b);
  }
  const int savedRight = r.Right;
  if (!fixed && controlLook_->DropDownAlwaysVisible() && HasComboBox(rc, ARow)) {
    bool themed = IsWindowsXPOrLater() && VisualStylesUsable();
    ExtUtil::DrawComboButton(cv, Handle(), TRect(r.Right - 16, r.Top, r.Right, r.Bottom), themed);
    r.Right -= 16;
  }
  DrawTextStep(cv, ACol, ARow, rc, r, AState, ha, va, ww, savedBrush, savedFont);
  r.Right = savedRight;
  cv->Brush()->SetColor(savedBrush);
  cv->Font()->SetColor(savedFont);
  r.Left -= indicatorShift;
  DrawCellBorders(cv, rc, ARow, cell);
  if (fixed && !flat_) DrawFixedLook(cv, ACol, ARow, cell);
  if (fixed && press_.FixedPressed == BaseCell(ACol, ARow)) {
    TRect e(cell.Left, cell.Top, cell.Right - 1, cell.Bottom - 1);
    cv->DrawEdge(e, EDGE_SUNKEN, BF_RECT);
  }
  if (flat_ && look_ != glClassic && ColCount() - ACol <= fixedRightCols_) {
    cv->Pen()->SetColor(clGray);
    cv->Pen()->SetWidth(1);
    if (Options() & goFixedHorzLine) {
      DrawLine(cv, cell.Left, cell.Top, cell.Right, cell.Top);
      DrawLine(cv, cell.Left, cell.Bottom - 1, cell.Right, cell.Bottom - 1);
    }
    if (Options() & goFixedVertLine) {
      DrawLine(cv, cell.Left, cell.Top, cell.Left, cell.Bottom);
      DrawLine(cv, cell.Right - 1, cell.Top, cell.Right - 1, cell.Bottom);
    }
  }
  DrawCellGraphic(cv, ACol, ARow, r, AState, ha, va);
  if (OnDrawCell) {
    TRect d(cell.Left + 1, cell.Top + 1, cell.Right - GridLineWidth(), cell.Bottom - GridLineWidth());
    OnDrawCell(this, rc, ARow, d, AState);
  }
  if (OnCustomCellDraw) OnCustomCellDraw(this, cv, rc, ARow, AState, cell, false);
  if (!HideFocusRect && !(Options() & goRowSelect)) {
    TPoint b = BaseCell(ACol, ARow);
    if (b.X == Col() && b.Y == Row() && Focused()) {
      int g = std::max(0, GridLineWidth() - 1);
      cv->Brush()->SetColor(savedBrush);
      cv->Font()->SetColor(savedFont);
      cv->DrawFocusRect(TRect(cell.Left - g, cell.Top - g, cell.Right + g - 1, cell.Bottom + g - 1));
    }
  }
}

// The fixed cells' 10-band gradient, drawn once per size and colours and copied from then on.
void TExtStringGrid::DrawFixedGradient(TCanvas* cv, TColor From, TColor To, const TRect& R) {
  const int w = R.Right - R.Left, h = R.Bottom - R.Top;
  if (w <= 0 || h <= 0) return;
  for (const TGradientTile& t : gradientTiles_)
    if (t.W == w && t.H == h && t.From == From && t.To == To) {
      cv->Draw(R.Left, R.Top, t.Bitmap.get());
      return;
    }
  if (w > 512 || h > 512) {  // an unusual size is drawn directly, not kept
    ExtUtil::DrawGradient(cv, From, To, 10, R, false);
    return;
  }
  TGradientTile t{w, h, From, To, std::make_shared<TBitmap>()};
  t.Bitmap->SetSize(w, h);
  ExtUtil::DrawGradient(t.Bitmap->Canvas(), From, To, 10, TRect(0, 0, w, h), false);
  if (gradientTiles_.size() >= 8) gradientTiles_.erase(gradientTiles_.begin());
  gradientTiles_.push_back(t);
  cv->Draw(R.Left, R.Top, t.Bitmap.get());
}

bool TExtStringGrid::FlatFrameShown() const {
  return (look_ == glSoft || look_ == glQuarn || look_ == glXP || look_ == glListView) && BorderStyle() == bsSingle &&
         !flat_;
}

// A one-pixel line inside the window's edge and, outside it, a line in the parent's colour.
void TExtStringGrid::DrawFlatFrame(TCanvas* cv) {
  if (!cv || !FlatFrameShown()) return;
  const int w = Width(), h = Height();
  const bool themed = IsWindowsXPOrLater() && VisualStylesUsable();
  cv->Pen()->SetWidth(1);
  cv->Pen()->SetStyle(psSolid);
  cv->Pen()->SetColor(themed ? TColorOf(0xB99D7F) : clGray);
  cv->MoveTo(1, h);
  cv->LineTo(1, 1);
  cv->LineTo(w - 2, 1);
  cv->LineTo(w - 2, h - 2);
  cv->LineTo(1, h - 2);
  if (!Parent()) return;
  cv->Pen()->SetColor(Parent()->Color());
  cv->MoveTo(0, h);
  cv->LineTo(0, 0);
  cv->LineTo(w - 1, 0);
  cv->LineTo(w - 1, h - 1);
  cv->LineTo(0, h - 1);
}

void TExtStringGrid::DrawFixedLook(TCanvas* cv, int, int, TRect c) {
  const TGridOptions o = Options();
  cv->Pen()->SetWidth(1);
  switch (look_) {
    case glClassic: {
      TRect e(c.Left, c.Top, c.Right - 1, c.Bottom - 1);
      cv->DrawEdge(e, BDR_RAISEDINNER, BF_LEFT);
      cv->DrawEdge(e, BDR_RAISEDINNER, BF_TOP);
      cv->DrawEdge(e, EDGE_RAISED, BF_RIGHT | BF_BOTTOM);
      cv->Pen()->SetColor(clBlack);
      DrawLine(cv, c.Right - 1, c.Top, c.Right - 1, c.Bottom - 1);
      cv->LineTo(c.Left - 1, c.Bottom - 1);
      break;
    }
    case glQuarn:
    case glXP:
    case glSoft:
      if (o & goFixedHorzLine) {
        cv->Pen()->SetColor(ExtUtil::DarkenColor(FixedColor()));
        DrawLine(cv, c.Left, c.Bottom - 1, c.Right, c.Bottom - 1);
        cv->Pen()->SetColor(clWhite);
        DrawLine(cv, c.Right - 2, c.Top, c.Left, c.Top);
        cv->LineTo(c.Left, c.Bottom - 1);
      }
      if (look_ == glSoft && (o & goFixedVertLine)) {
        cv->Pen()->SetColor(ExtUtil::DarkenColor(FixedColor()));
        DrawLine(cv, c.Right - 2, c.Top + 1, c.Right - 2, c.Bottom - 1);
        cv->Pen()->SetColor(clWhite);
        DrawLine(cv, c.Right - 1, c.Top + 1, c.Right - 1, c.Bottom - 1);
      }
      break;
    default: break;
  }
}

void TExtStringGrid::DrawCellBorders(TCanvas* cv, int ACol, int ARow, TRect R) {
  TPen saved;
  saved.Assign(cv->Pen());
  TCellBorders sides = 0;
  GetCellBorder(ACol, ARow, cv->Pen(), sides);
  if (sides) {
    TPen pens[4];
    for (TPen& p : pens) p.Assign(cv->Pen());
    if (OnGetCellBorderProp) OnGetCellBorderProp(this, ARow, ACol, &pens[0], &pens[1], &pens[2], &pens[3]);
    int w = (cv->Pen()->Width() + 1) / 2;
    if (Options() & goVertLine) R.Left += w, R.Right -= w;
    if (Options() & goHorzLine) R.Top += w, R.Bottom -= w;
    // pens: left, top, right, bottom
    if (sides & cbLeft) {
      cv->SetPen(&pens[0]);
      DrawLine(cv, R.Left, R.Top, R.Left, R.Bottom);
    }
    if (sides & cbRight) {
      cv->SetPen(&pens[2]);
      DrawLine(cv, R.Right - 1, R.Top, R.Right - 1, R.Bottom);
    }
    if (sides & cbTop) {
      cv->SetPen(&pens[1]);
      int y = GridLineWidth() == 0 ? R.Top + 1 : R.Top - GridLineWidth();
      DrawLine(cv, R.Left, y, R.Right, y);
    }
    if (sides & cbBottom) {
      cv->SetPen(&pens[3]);
      DrawLine(cv, R.Left, R.Bottom - 1, R.Right, R.Bottom - 1);
    }
  }
  cv->SetPen(&saved);
}

// ---------------------------------------------------------------- outside the cells
void TExtStringGrid::DrawOuterBackground() {
  TBackGround* bg = backGround_.get();
  bool gradient = bg->Display() == bdGradientHorz || bg->Display() == bdGradientVert;
  bool hasBitmap = bg->Bitmap() && !bg->Bitmap()->Empty();
  if (!hasBitmap && !gradient) return;
  // A gradient without its end colour paints nothing outside the cells, with or without a picture.
  if (gradient && bg->ColorTo() == clNone) return;
  TRect client = ClientRect();
  if (searchFooter_->Visible()) client.Bottom -= 32;
  if (floatingFooter_->Visible() && footerPanel_) client.Bottom -= footerPanel_->Height();
  // The last column's right edge and the last row's bottom edge, from the cells in view only.
  int lastCol = ColCount() - 1, lastRow = RowCount() - 1;
  TRect lc = CellRect(lastCol, std::min(lastRow, std::max(TopRow(), FixedRows())));
  TRect lr = CellRect(std::min(lastCol, std::max(LeftCol(), FixedCols())), lastRow);
  bool colEdge = lc.Right > lc.Left && lc.Right < client.Right;
  bool rowEdge = lr.Bottom > lr.Top && lr.Bottom < client.Bottom;
  if (!colEdge && !rowEdge) return;
  TCanvas* cv = Canvas();
  auto fill = [&](const TRect& area) {
    cv->SetClipRect(area);
    if (!hasBitmap) {
      ExtUtil::DrawGradient(cv, bg->Color(), bg->ColorTo(), 128, client, bg->Display() == bdGradientHorz);
    } else if (bg->Display() == bdTile) {
      TBitmap* b = bg->Bitmap();
      TRect t = client;
      if (bg->Cells() == bcNormal) {
        TRect first = CellRect(LeftCol(), TopRow());
        t.Left = first.Left, t.Top = first.Top;
      }
      t.Left += 2, t.Top += 2;
      if (bg->Cells() != bcFixed && b->Width() > 0 && b->Height() > 0)
        for (int y = t.Top - 1; y < t.Bottom; y += b->Height())
          for (int x = t.Left - 1; x < t.Right; x += b->Width()) cv->Draw(x, y, b);
    } else {
      cv->Draw(bg->Left(), bg->Top(), bg->Bitmap());
    }
    cv->RemoveClip();
  };
  if (colEdge) fill(TRect(lc.Right, client.Top, client.Right, client.Bottom));
  if (rowEdge) fill(TRect(client.Left, lr.Bottom, colEdge ? lc.Right : client.Right, client.Bottom));
}

long long TExtStringGrid::TileOffset(bool Horz, int First, int Index) {
  auto extent = [&](int i) { return static_cast<long long>(Horz ? ColWidths(i) : RowHeights(i)); };
  auto sum = [&](int From, int To) {  // lines From .. To - 1
    long long n = 0;
    for (int i = From; i < To; ++i) n += extent(i);
    return n;
  };
  if (Index < First) return -sum(Index, First);
  // Rows scrolled out of view are summed once per paint, not once per cell.
  const int top = TopRow();
  if (Horz || !tileRows_.On || Index < top || top < First) return sum(First, Index);
  if (tileRows_.First != First || tileRows_.Top != top) tileRows_ = {true, First, top, sum(First, top)};
  return tileRows_.Sum + sum(top, Index);
}

// The cell's share of the background picture or gradient, under its text.
void TExtStringGrid::DrawCellBackground(TCanvas* cv, int ACol, int ARow, const TRect& R, TGridDrawState AState) {
  TBackGround* bg = backGround_.get();
  bool gradient = bg->Display() == bdGradientHorz || bg->Display() == bdGradientVert;
  bool hasBitmap = bg->Bitmap() && !bg->Bitmap()->Empty();
  if (!hasBitmap && !gradient) return;
  int rc = RealColIndex(ACol);
  if (Colors(rc, ARow) != clNone) return;
  bool fixed = AState & gdFixed;
  if ((fixed && bg->Cells() == bcNormal) || (!fixed && bg->Cells() == bcFixed)) return;
  bool drawnSelected = (AState & gdSelected) && (!(AState & gdFocused) || (Options() & goDrawFocusSelected));
  if (drawnSelected && ShowSelection()) return;
  if (hasBitmap) {
    TBitmap* b = bg->Bitmap();
    if (bg->Display() == bdTile) {
      // The tiles lie on the grid's cells from the first tiled cell on, so they scroll with them.
      const int first = bg->Cells() == bcFixed ? 0 : -1;
      const long long ox = TileOffset(true, first < 0 ? FixedCols() : 0, ACol);
      const long long oy = TileOffset(false, first < 0 ? FixedRows() : 0, ARow);
      const int px = b->Width() ? static_cast<int>(((ox % b->Width()) + b->Width()) % b->Width()) : 0;
      const int py = b->Height() ? static_cast<int>(((oy % b->Height()) + b->Height()) % b->Height()) : 0;
      cv->SetClipRect(R);
      for (int ty = R.Top - py; ty < R.Bottom; ty += b->Height())
        for (int tx = R.Left - px; tx < R.Right; tx += b->Width()) cv->Draw(tx, ty, b);
      cv->RemoveClip();
    } else {
      cv->SetClipRect(R);
      cv->Draw(bg->Left(), bg->Top(), b);
      cv->RemoveClip();
    }
    return;
  }
  if (bg->ColorTo() == clNone) {
    TColor b = cv->Brush()->Color();
    cv->Brush()->SetColor(bg->Color());
    cv->FillRect(R);
    cv->Brush()->SetColor(b);
    return;
  }
  bool horz = bg->Display() == bdGradientHorz;
  int extent = std::max(1, horz ? GridWidth() : GridHeight());
  TRect whole = ClientRect();
  int lo = horz ? R.Left - whole.Left : R.Top - whole.Top, hi = horz ? R.Right - whole.Left : R.Bottom - whole.Top;
  TColor from = ExtUtil::BlendColor(bg->Color(), bg->ColorTo(), 0, std::clamp(lo, 0, extent), extent);
  TColor to = ExtUtil::BlendColor(bg->Color(), bg->ColorTo(), 0, std::clamp(hi, 0, extent), extent);
  ExtUtil::DrawGradient(cv, from, to, 128, R, horz);
}

// ---------------------------------------------------------------- sizing lines
namespace {
// A black dotted line one pixel wide; the caller's pen comes back.
void DrawDottedLine(TCanvas* cv, int x1, int y1, int x2, int y2) {
  TPen saved;
  saved.Assign(cv->Pen());
  cv->Pen()->SetStyle(psDot);
  cv->Pen()->SetMode(pmCopy);
  cv->Pen()->SetColor(clBlack);
  cv->Pen()->SetWidth(1);
  DrawLine(cv, x1, y1, x2, y2);
  cv->SetPen(&saved);
}
}  // namespace

// Down to the control's height or the last row's bottom (across to its width or the last
// column's right edge), whichever is larger.
TRect TExtStringGrid::SizingLineRect(TSizingLine L) const {
  if (L.Col) return TRect(L.Pos, 0, L.Pos + 1, std::max(Height(), GridHeight()));
  return TRect(0, L.Pos, std::max(Width(), GridWidth()), L.Pos + 1);
}

void TExtStringGrid::ToggleSizingLine(TSizingLine L) {
  auto it = std::find(sizingLines_.begin(), sizingLines_.end(), L);
  if (it != sizingLines_.end())
    sizingLines_.erase(it);
  else
    sizingLines_.push_back(L);
  InvalidateRect(SizingLineRect(L));
}

void TExtStringGrid::DrawColSizingLine(int X) { ToggleSizingLine({true, X}); }

void TExtStringGrid::DrawRowSizingLine(int Y) { ToggleSizingLine({false, Y}); }

void TExtStringGrid::PaintSizingLines(TCanvas* cv) {
  for (const TSizingLine& l : sizingLines_) {
    TRect r = SizingLineRect(l);
    if (l.Col)
      DrawDottedLine(cv, r.Left, r.Top, r.Left, r.Bottom);
    else
      DrawDottedLine(cv, r.Left, r.Top, r.Right, r.Top);
  }
}

// The sizing by mouse: the line shown goes (drawn a second time) before the one at the new place shows.
void TExtStringGrid::DrawSizingLine(bool Show) {
  const TSizingLine now{GridState() == gsColSizing, SizingPos()};
  auto draw = [this](TSizingLine l) { l.Col ? DrawColSizingLine(l.Pos) : DrawRowSizingLine(l.Pos); };
  if (sizingShown_ && (!Show || !(*sizingShown_ == now))) {
    draw(*sizingShown_);
    sizingShown_.reset();
  }
  if (Show && !sizingShown_) {
    draw(now);
    sizingShown_ = now;
  }
}

// ---------------------------------------------------------------- looks and theme colours
void TExtStringGrid::SetFlat(bool v) {
  if (v == flat_) return;
  flat_ = v;
  SetCtl3D(!v);
  if (!(ComponentState() & csLoading)) Invalidate();
  if (HandleAllocated()) RedrawFrame(Handle());
}

void TExtStringGrid::SetRowIndicator(TBitmap* v) {
  rowIndicator_->Assign(v);
  Invalidate();
}

void TExtStringGrid::SetAutoThemeAdapt(bool v) {
  if (v == autoThemeAdapt_) return;
  autoThemeAdapt_ = v;
  searchFooter_->SetAutoThemeAdapt(v);
  if (v) {
    AdaptToTheme();
    Invalidate();
  }
}

int TExtStringGrid::CurrentThemeScheme() { return CurrentXPColorScheme(); }

void TExtStringGrid::ApplyThemeColors(int Scheme) {
  struct TSet {
    uint32_t From, To;
  };
  static const TSet kSets[4] = {{0, 0}, {0xFCE1CB, 0xE0A57D}, {0xCFF0EA, 0x8CC0B1}, {0xECE2E1, 0xB39698}};
  if (Scheme >= 1 && Scheme <= 3) {
    FixedGradientStart = TColorOf(kSets[Scheme].From);
    FixedGradientEnd = TColorOf(kSets[Scheme].To);
    activeCellColor_ = TColorOf(0x94E6FB);
    activeCellColorTo_ = TColorOf(0x1595EE);
    controlLook_->SetFixedGradientFrom(FixedGradientStart);
    controlLook_->SetFixedGradientTo(FixedGradientEnd);
    searchFooter_->SetColor(FixedGradientStart);
    searchFooter_->SetColorTo(FixedGradientEnd);
  } else {
    FixedGradientStart = TColorOf(0xFFFFFF);
    FixedGradientEnd = ColorToRGB(clBtnFace);
    activeCellColor_ = TColorOf(0xFFFFFF);
    activeCellColorTo_ = TColorOf(0xFFD9B3);
    controlLook_->SetFixedGradientFrom(clNone);
    controlLook_->SetFixedGradientTo(clNone);
    searchFooter_->SetColor(TColorOf(0xFFFFFF));
    searchFooter_->SetColorTo(TColorOf(0xFFD9B3));
  }
}
