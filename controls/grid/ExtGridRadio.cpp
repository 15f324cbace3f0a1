// Cell graphics the mouse and keys act on: radio groups, check boxes and
// buttons (making them, their state, where they stand, drawing them), the
// radio, check glyph and button hit tests, and presses on markup controls.
// Painting, measuring and hit testing take positions from the same layout
// routines, with the same font, so a click always finds what was drawn under it.
#include <algorithm>

#include "controls/grid/ExtGrid.h"
#include "controls/grid/ExtUtil.h"
#include "controls/markup/EsgHTMLE.h"
#include "controls/markup/MarkupText.h"
#include "platform/gui/VisualStyles.h"
#include "platform/gui/Windows.h"

namespace {
constexpr int kRadioItemGap = 4;                   // between side-by-side items; belongs to no item
constexpr int kTextMarginX = 2, kTextMarginY = 2;  // the text step's margins

bool Inside(const TRect& R, int X, int Y) { return X >= R.Left && X < R.Right && Y >= R.Top && Y < R.Bottom; }

// The canvas font is borrowed for measuring and given back as it was.
class TFontKeeper {
 public:
  explicit TFontKeeper(TCanvas* C) : c_(C) {
    font_.Assign(C->Font());
    brush_ = C->Brush()->Color();
  }
  ~TFontKeeper() {
    c_->Font()->Assign(&font_);
    c_->Brush()->SetColor(brush_);
  }

 private:
  TCanvas* c_;
  TFont font_;
  TColor brush_;
};

bool Themed() { return IsWindowsXPOrLater() && VisualStylesUsable(); }
}  // namespace

// ---------------------------------------------------------------- geometry
std::vector<TRect> RadioItemRects(const TRect& Cell, const std::vector<int>& TextWidths, int TextHeight,
                                  bool SideBySide, int ButtonSize) {
  std::vector<TRect> out;
  out.reserve(TextWidths.size());
  const int s = std::max(1, ButtonSize);
  // An item is its button and its text right behind it.
  auto width = [&](int w) { return s + std::max(0, w); };
  if (SideBySide) {
    const int line = std::max(TextHeight, s);
    const int top = Cell.Top + (Cell.Height() - line) / 2;
    int x = Cell.Left + 2;
    for (int w : TextWidths) {
      out.emplace_back(x, top, x + width(w), top + line);
      x = out.back().Right;
    }
    return out;
  }
  const bool anyText = std::any_of(TextWidths.begin(), TextWidths.end(), [](int w) { return w > 0; });
  const int left = anyText ? Cell.Left + 2 : Cell.Left + (Cell.Width() - s) / 2;
  const int line = std::max(1, TextHeight);
  for (size_t i = 0; i < TextWidths.size(); ++i) {
    const int top = Cell.Top + 2 + static_cast<int>(i) * line;
    out.emplace_back(left, top, left + width(TextWidths[i]), top + line);
  }
  return out;
}

TRect RadioButtonRect(const TRect& Item, int ButtonSize) {
  const int s = std::max(1, ButtonSize);
  const int top = Item.Top + (Item.Height() - s) / 2;
  return TRect(Item.Left, top, Item.Left + s, top + s);
}

int RadioItemAt(const std::vector<TRect>& Items, TPoint P, bool SideBySide) {
  for (size_t i = 0; i < Items.size(); ++i) {
    const TRect& r = Items[i];
    if (SideBySide ? P.X >= r.Left && P.X < r.Right : P.Y >= r.Top && P.Y < r.Bottom) return static_cast<int>(i);
  }
  return -1;
}

TSize RadioGroupExtent(const std::vector<int>& TextWidths, int TextHeight, bool SideBySide) {
  const int n = static_cast<int>(TextWidths.size());
  if (SideBySide) {
    int w = 0;
    for (int t : TextWidths) w += std::max(0, t) + 12;
    return TSize(w, TextHeight);
  }
  // Stacked, a group is at least one button wide, items or none.
  const int widest = n > 0 ? std::max(0, *std::max_element(TextWidths.begin(), TextWidths.end())) : 0;
  return TSize(widest + 12, TextHeight * n);
}

TRect CheckGlyphRect(const TRect& Content, int Size, TAlignment TextAlign, TCellVAlign VAlign, int TextWidth,
                     bool Mirrored) {
  int x = Content.Left + 1;
  if (TextAlign == taRightJustify) x = std::max(Content.Left + 1, Content.Right - Size - 1 - TextWidth);
  if (TextAlign == taCenter) x = Content.Left + (Content.Width() - Size) / 2;
  if (Mirrored) x = Content.Left + Content.Right - x - Size;
  int y = Content.Top + 1;
  if (VAlign == vaCenter || VAlign == vaFull) y = Content.Top + (Content.Height() - Size) / 2;
  if (VAlign == vaBottom) y = Content.Bottom - Size - 1;
  if (VAlign == vaUnderText) y = Content.Bottom - Size;
  return TRect(x, y, x + Size, y + Size);
}

bool IsCheckKind(TCellType t) {
  return t == ctCheckBox || t == ctDataCheckBox || t == ctVirtCheckBox || t == ctRowCheckBox;
}

TRect PlaceCellGraphic(const TRect& Content, TSize G, TCellHAlign HAlign, TCellVAlign VAlign, TAlignment TextAlign,
                       int TextWidth) {
  int x = Content.Left + 1, w = G.cx;
  switch (HAlign) {
    case haRight: x = Content.Right - 1 - w; break;
    case haBeforeText:
      if (TextAlign != taLeftJustify) x = std::max(Content.Left + 1, Content.Right - TextWidth - w);
      break;
    case haAfterText:
      x = TextAlign == taRightJustify ? Content.Right - 1 - w : Content.Left + TextWidth;
      break;
    case haCenter: x = w < Content.Width() ? Content.Left + (Content.Width() - w) / 2 : Content.Left + 1; break;
    case haFull: x = Content.Left, w = Content.Width(); break;
    default: break;
  }
  int y = Content.Top + 1, h = G.cy;
  switch (VAlign) {
    case vaBottom: y = Content.Bottom - 1 - h; break;
    case vaUnderText: y = Content.Bottom - h; break;
    case vaCenter: y = h < Content.Height() ? Content.Top + (Content.Height() - h) / 2 : Content.Top + 1; break;
    case vaFull: y = Content.Top, h = Content.Height(); break;
    default: break;
  }
  return TRect(x, y, x + w, y + h);
}

// ---------------------------------------------------------------- the graphic of a cell
TCellGraphic* TExtStringGrid::CreateCellGraphic(int ACol, int ARow) {
  TCellProperties* p = GetCellProperties(ACol, ARow);
  auto g = std::make_unique<TCellGraphic>();
  TCellGraphic* raw = g.get();
  raw->CellCreated = true;
  p->Graphic = std::move(g);
  RepaintCellAt(ACol, ARow);
  return raw;
}

bool TExtStringGrid::RemoveCellGraphic(int ACol, int ARow) {
  TCellProperties* p = CellPropertiesOrNull(ACol, ARow);
  if (!p || !dynamic_cast<TCellGraphic*>(p->Graphic.get())) return false;
  p->Graphic.reset();
  RepaintCellAt(ACol, ARow);
  return true;
}

bool TExtStringGrid::RemoveCellGraphicOfType(int ACol, int ARow, TCellType AType) {
  if (GetCellType(ACol, ARow) != AType) return false;
  return RemoveCellGraphic(ACol, ARow);
}

TCellGraphic* TExtStringGrid::RowCheckGraphic(int ARow) {
  if (!rowCheck_) rowCheck_ = std::make_unique<TCellGraphic>();
  rowCheck_->CellType = ctRowCheckBox;
  rowCheck_->CellHAlign = haCenter;
  rowCheck_->CellTransparent = controlLook_->ControlStyle() == csFlat;
  rowCheck_->CellBoolean = ARow < RowCount() && RowSelect(ARow);
  return rowCheck_.get();
}

int TExtStringGrid::RadioButtonSize() const {
  TGridControlStyle s = controlLook_->ControlStyle();
  return s == csClassic || s == csFlat ? controlLook_->RadioSize() : 16;
}

std::vector<int> TExtStringGrid::RadioTextWidths(TCanvas* cv, const TCellGraphic* G) {
  std::vector<int> w;
  w.reserve(G->Items.size());
  for (const std::string& s : G->Items) w.push_back(s.empty() ? 0 : cv->TextWidth(s));
  return w;
}

TSize TExtStringGrid::GetCellGraphicSize(int ACol, int ARow) {
  TCellGraphic* g = GetCellGraphic(ACol, ARow);
  if (!g) return TSize(0, 0);
  TSize s = GraphicSizeUnaligned(g, ACol, ARow);
  if (g->CellVAlign == vaFull || g->CellHAlign == haFull) {
    TRect r = CellRectEx(DisplColIndex(ACol), ARow);
    if (g->CellVAlign == vaFull) s.cy = r.Height();
    if (g->CellHAlign == haFull) s.cx = r.Width();
  }
  return s;
}

TSize TExtStringGrid::GraphicSizeUnaligned(TCellGraphic* g, int ACol, int ARow) {
  TSize s(0, 0);
  switch (g->CellType) {
    case ctCheckBox: case ctDataCheckBox: case ctVirtCheckBox: case ctRowCheckBox:
      s = TSize(controlLook_->CheckSize(), controlLook_->CheckSize());
      break;
    case ctRadio: {
      TCanvas* cv = Canvas();
      TFontKeeper keep(cv);
      TAlignment ha;
      TVAlignment va;
      PrepareCellFont(cv, DisplColIndex(ACol), ARow, ha, va);
      s = RadioGroupExtent(RadioTextWidths(cv, g), cv->TextHeight("gh"), g->CellBoolean);
      break;
    }
    case ctButton: case ctBitButton: s = TSize(g->CellIndex & 0xFFFF, (g->CellIndex >> 16) & 0xFFFF); break;
    case ctProgressPie: s = TSize(20, 20); break;
    default: s = DrawnGraphicSize(g, CellRectEx(DisplColIndex(ACol), ARow)); break;
  }
  return s;
}

int TExtStringGrid::GetCellGraphicWidth(int ACol, int ARow) { return GetCellGraphicSize(ACol, ARow).cx; }
int TExtStringGrid::GetCellGraphicHeight(int ACol, int ARow) { return GetCellGraphicSize(ACol, ARow).cy; }

// ---------------------------------------------------------------- radio groups
void TExtStringGrid::AddRadio(int ACol, int ARow, bool SideBySide, int Index, const std::vector<std::string>& Items) {
  TCellGraphic* g = CreateCellGraphic(ACol, ARow);
  g->CellType = ctRadio;
  g->CellBoolean = SideBySide;
  g->CellIndex = Index;
  g->Items = Items;
}

namespace {
// The choice goes where the group keeps it: its index, or the cell's text when the index is negative.
void StoreRadioChoice(TExtStringGrid* Grid, TCellGraphic* G, int ACol, int ARow, int Index) {
  if (G->CellIndex < 0)
    Grid->SetCells(ACol, ARow, G->Items[static_cast<size_t>(Index)]);
  else
    G->CellIndex = Index;
  Grid->RepaintCellAt(ACol, ARow);
}
}  // namespace

void TExtStringGrid::SetRadioIndex(int ACol, int ARow, int Index) {
  TCellGraphic* g = GetCellGraphic(ACol, ARow);
  if (!g || g->CellType != ctRadio || Index < 0 || Index >= static_cast<int>(g->Items.size())) return;
  StoreRadioChoice(this, g, ACol, ARow, Index);
}

int TExtStringGrid::GetRadioIndex(int ACol, int ARow) {
  TPoint b = BaseCell(ACol, ARow);
  TCellGraphic* g = GetCellGraphic(b.X, b.Y);
  if (!g || g->CellType != ctRadio) return -1;
  if (g->CellIndex >= 0) return g->CellIndex;
  std::string t = Cells(b.X, b.Y);
  auto it = std::find(g->Items.begin(), g->Items.end(), t);
  return it == g->Items.end() ? -1 : static_cast<int>(it - g->Items.begin());
}

void TExtStringGrid::ToggleRadio(int ACol, int ARow, bool CheckEdit) {
  TPoint b = BaseCell(ACol, ARow);
  TCellGraphic* g = GetCellGraphic(b.X, b.Y);
  if (!g || g->CellType != ctRadio || g->Items.empty()) return;
  if (CheckEdit && !controlLook_->RadioAlwaysActive && !CellGraphicEnabled(b.X, b.Y)) return;
  const int n = static_cast<int>(g->Items.size()), now = GetRadioIndex(b.X, b.Y);
  // No choice, or an index naming no item, starts again at the first.
  int next = now >= 0 && now < n ? (now + 1) % n : 0;
  // A toggle writes the item as the cell's text also when the group keeps its index.
  if (g->CellIndex >= 0) SetCells(b.X, b.Y, g->Items[static_cast<size_t>(next)]);
  StoreRadioChoice(this, g, b.X, b.Y, next);
}

void TExtStringGrid::RadioClick(int X, int Y) {
  TPoint b = BaseCell(Col(), Row());
  if ((b.X != Col() || b.Y != Row()) && !IsFixed(b.X, b.Y)) FocusCell(b.X, b.Y, true);
  int rc = RealColIndex(b.X);
  TCellGraphic* g = GetCellGraphic(rc, b.Y);
  if (!g || g->CellType != ctRadio) return;
  TRect cell = CellRectEx(b.X, b.Y);
  // Each item owns its band: the line it stands on, or across its button and text side by side.
  const bool across = g->CellBoolean && !g->Items.empty();
  int i = RadioItemAt(RadioItemRectsAt(b.X, b.Y), TPoint(cell.Left + X, cell.Top + Y), across);
  if (i < 0) return;  // before the first band or past the last: nothing is chosen
  StoreRadioChoice(this, g, rc, b.Y, i);
  if (OnRadioClick) OnRadioClick(this, rc, b.Y, i);
}

// ---------------------------------------------------------------- check boxes
void TExtStringGrid::AddCheckBox(int ACol, int ARow, bool State, bool Data) {
  TCellGraphic* g = CreateCellGraphic(ACol, ARow);
  g->CellType = Data ? ctDataCheckBox : ctCheckBox;
  g->CellHAlign = haBeforeText;
  g->CellBoolean = State;
  if (Data) SetCheckBoxState(ACol, ARow, State);
}

void TExtStringGrid::RemoveCheckBox(int ACol, int ARow) {
  if (IsCheckKind(GetCellType(ACol, ARow))) RemoveCellGraphic(ACol, ARow);
}

bool TExtStringGrid::HasCheckBox(int ACol, int ARow) {
  TPoint b = BaseCell(ACol, ARow);
  return IsCheckKind(GetCellType(b.X, b.Y));
}

bool TExtStringGrid::GetCheckBoxState(int ACol, int ARow) {
  TCellGraphic* g = GetCellGraphic(ACol, ARow);
  if (!g) return false;
  switch (g->CellType) {
    case ctCheckBox: case ctRowCheckBox: return g->CellBoolean;
    case ctDataCheckBox: case ctVirtCheckBox: {
      std::string t;
      GetCheckTrue(ACol, ARow, t);
      return Cells(ACol, ARow) == t;
    }
    default: return false;
  }
}

bool TExtStringGrid::GetCheckBoxState(int ACol, int ARow, bool& State) {
  State = GetCheckBoxState(ACol, ARow);
  return IsCheckKind(GetCellType(ACol, ARow));
}

bool TExtStringGrid::SetCheckBoxState(int ACol, int ARow, bool State) {
  TCellGraphic* g = GetCellGraphic(ACol, ARow);
  if (!g) return false;
  switch (g->CellType) {
    case ctCheckBox: g->CellBoolean = State; break;
    case ctRowCheckBox:
      if (mouseActions_->DisjunctRowSelect())
        SetRowSelect(ARow, State);
      else if (State && ARow >= FixedRows())  // without row marks the row's state is being selected
        FocusCell(std::max(Col(), FixedCols()), ARow, true);
      break;
    case ctDataCheckBox: case ctVirtCheckBox: {
      std::string t;
      if (State)
        GetCheckTrue(ACol, ARow, t);
      else
        GetCheckFalse(ACol, ARow, t);
      SetCells(ACol, ARow, t);
      break;
    }
    default: return false;
  }
  RepaintCellAt(ACol, ARow);
  return true;
}

bool TExtStringGrid::ToggleCheck(int ACol, int ARow, bool CheckEdit) {
  if (!IsCheckKind(GetCellType(ACol, ARow))) return false;
  if (CheckEdit && !controlLook_->CheckAlwaysActive && !CellGraphicEnabled(ACol, ARow)) return false;
  SetCheckBoxState(ACol, ARow, !GetCheckBoxState(ACol, ARow));
  return true;
}

void TExtStringGrid::SetColumnChecks(int RealCol, bool State, int ExceptRow) {
  for (int r = FixedRows(); r < RowCount(); ++r)
    if (r != ExceptRow && IsCheckKind(GetCellType(RealCol, r))) SetCheckBoxState(RealCol, r, State);
}

void TExtStringGrid::CheckAllInColumn(int ACol, int ARow) {
  const int rc = RealColIndex(ACol);
  SetColumnChecks(rc, GetCheckBoxState(rc, ARow), ARow);
}

void TExtStringGrid::CheckAll(int ACol) { SetColumnChecks(ACol, true, -1); }
void TExtStringGrid::UnCheckAll(int ACol) { SetColumnChecks(ACol, false, -1); }

bool TExtStringGrid::IsCheckBoxHit(int ACol, int ARow, int X, int Y) {
  const TPoint b = BaseCell(ACol, ARow);
  if (!IsCheckKind(GetCellType(RealColIndex(b.X), b.Y))) return false;
  if (mouseActions_->PreciseCheckBoxCheck) return PointOnCheckGlyph(ACol, ARow, X, Y);
  return Inside(CellRectEx(b.X, b.Y), X, Y);
}

// ---------------------------------------------------------------- buttons
void TExtStringGrid::AddButton(int ACol, int ARow, int W, int H, const std::string& Caption, TCellHAlign HAlign,
                               TCellVAlign VAlign) {
  TCellGraphic* g = CreateCellGraphic(ACol, ARow);
  g->CellType = ctButton;
  g->CellIndex = (std::clamp(W, 0, 0xFFFF)) | (std::clamp(H, 0, 0x7FFF) << 16);
  g->CellText = Caption;
  g->CellHAlign = HAlign;
  g->CellVAlign = VAlign;
}

void TExtStringGrid::RemoveButton(int ACol, int ARow) {
  if (HasButton(ACol, ARow)) RemoveCellGraphic(ACol, ARow);
}

bool TExtStringGrid::HasButton(int ACol, int ARow) {
  TPoint b = BaseCell(ACol, ARow);
  TCellType t = GetCellType(b.X, b.Y);
  return t == ctButton || t == ctBitButton;
}

// ---------------------------------------------------------------- queries
bool TExtStringGrid::IsRadioCell(int ACol, int ARow, int& Index) {
  // The stored index as it is: a radio that follows its text answers -1 here.
  TPoint b = BaseCell(ACol, ARow);
  TCellGraphic* g = GetCellGraphic(b.X, b.Y);
  Index = g && g->CellType == ctRadio ? g->CellIndex : -1;
  return HasRadio(ACol, ARow);
}

bool TExtStringGrid::IsClickableCell(int ACol, int ARow) {
  TCellType t;
  return CellClickable(ACol, ARow, t);
}

const std::vector<std::string>* TExtStringGrid::GetRadioItems(int ACol, int ARow) {
  const TPoint b = BaseCell(ACol, ARow);
  TCellGraphic* g = GetCellGraphic(b.X, b.Y);
  return g && g->CellType == ctRadio ? &g->Items : nullptr;
}

void TExtStringGrid::GetCellErrorRange(int ACol, int ARow, int& ErrFrom, int& ErrLen) {
  TCellGraphic* g = GetCellGraphic(ACol, ARow);
  ErrFrom = g ? g->CellErrFrom : 0;
  ErrLen = g ? g->CellErrLen : 0;
}

void TExtStringGrid::SetCellGraphicState(int ACol, int ARow, bool Value) {
  TCellGraphic* g = GetCellGraphic(ACol, ARow);
  if (!g) return;
  g->CellBoolean = Value;
  RepaintCellAt(ACol, ARow);
}

bool TExtStringGrid::GetCellGraphicRect(int ACol, int ARow, TRect& R) {
  TCellGraphic* g = GetCellGraphic(ACol, ARow);
  if (!g) return false;
  const int dc = DisplColIndex(ACol);
  if (IsCheckKind(g->CellType)) {
    R = CheckGlyphRectAt(dc, ARow);
  } else if (g->CellType == ctButton || g->CellType == ctBitButton) {
    R = ButtonRectAt(dc, ARow);
  } else if (g->CellType == ctRadio) {
    std::vector<TRect> items = RadioItemRectsAt(dc, ARow);
    R = items.empty() ? TRect() : items.front();
    for (const TRect& i : items) UnionRect(R, R, i);
  } else {
    const TRect content = CellContentRect(dc, ARow);
    TAlignment ha = taLeftJustify;
    TVAlignment va = vtaTop;
    GetCellAlignment(ACol, ARow, ha, va);
    R = PlaceCellGraphic(content, DrawnGraphicSize(g, content), g->CellHAlign, g->CellVAlign, ha,
                         TextWidthBeside(ACol, ARow, g));
  }
  return true;
}

intptr_t TExtStringGrid::GetCellGraphicKey(int ACol, int ARow) {
  TCellGraphic* g = GetCellGraphic(ACol, ARow);
  if (!g) return -1;
  switch (g->CellType) {
    case ctBitmap: case ctIcon: return reinterpret_cast<intptr_t>(g->Picture.get());
    case ctImageList: return g->CellIndex;
    default: return -1;
  }
}

// ---------------------------------------------------------------- where graphics stand
TRect TExtStringGrid::CellContentRect(int ACol, int ARow) {
  TPoint b = BaseCell(ACol, ARow);
  TRect r = CellRectEx(b.X, b.Y);
  bool fixed = b.X < FixedCols() || b.Y < FixedRows() || IsFixed(b.X, b.Y);
  int s = fixed ? 1 : GridLineWidth();
  return TRect(r.Left + s, r.Top + s, r.Right - s, r.Bottom - s);
}

// The font and alignments the content step draws the cell with.
void TExtStringGrid::PrepareCellFont(TCanvas* cv, int ACol, int ARow, TAlignment& HAlign, TVAlignment& VAlign) {
  TGridDrawState st = 0;
  TColor to = clNone;
  bool ww = false;
  GetCellColors(ACol, ARow, st, false, true, false, cv->Brush(), to, cv->Font(), HAlign, VAlign, ww);
  if (zoom_.Level != 0) cv->Font()->SetSize(std::max(1, cv->Font()->Size() + zoom_.Level));
}

std::vector<TRect> TExtStringGrid::RadioLayout(TCanvas* cv, const TCellGraphic* G, const TRect& Content) {
  return RadioItemRects(Content, RadioTextWidths(cv, G), cv->TextHeight("gh"), G->CellBoolean, RadioButtonSize());
}

TRect TExtStringGrid::CheckLayout(TCanvas* cv, int RealCol, int ARow, const TRect& Content, TAlignment HAlign,
                                  TVAlignment VAlign) {
  int tw = 0;
  if (GetCellType(RealCol, ARow) == ctCheckBox && HAlign == taRightJustify) {
    std::string s;
    FormatCellText(RealCol, ARow, s);
    std::string first = ExtUtil::CutFirstLine(s, false);
    if (!first.empty()) tw = cv->TextWidth(first) + kTextMarginX + 1;
  }
  // The box keeps its own placement unless the cell's text is aligned apart from the grid.
  TCellGraphic* g = GetCellGraphic(RealCol, ARow);
  TCellVAlign down = g ? g->CellVAlign : vaCenter;
  if (VAlign != VAlignment()) down = VAlign == vtaTop ? vaTop : VAlign == vtaCenter ? vaCenter : vaBottom;
  return CheckGlyphRect(Content, controlLook_->CheckSize(), HAlign, down, tw, UseRightToLeftAlignment());
}

std::vector<TRect> TExtStringGrid::RadioItemRectsAt(int ACol, int ARow) {
  TPoint b = BaseCell(ACol, ARow);
  TCellGraphic* g = GetCellGraphic(RealColIndex(b.X), b.Y);
  if (!g || g->CellType != ctRadio) return {};
  TCanvas* cv = Canvas();
  TFontKeeper keep(cv);
  TAlignment ha;
  TVAlignment va;
  PrepareCellFont(cv, b.X, b.Y, ha, va);
  return RadioLayout(cv, g, CellContentRect(b.X, b.Y));
}

TRect TExtStringGrid::CheckGlyphRectAt(int ACol, int ARow) {
  TPoint b = BaseCell(ACol, ARow);
  if (!IsCheckKind(GetCellType(RealColIndex(b.X), b.Y))) return TRect();
  TCanvas* cv = Canvas();
  TFontKeeper keep(cv);
  TAlignment ha;
  TVAlignment va;
  PrepareCellFont(cv, b.X, b.Y, ha, va);
  return CheckLayout(cv, RealColIndex(b.X), b.Y, CellContentRect(b.X, b.Y), ha, va);
}

TRect TExtStringGrid::ButtonRectAt(int ACol, int ARow) {
  TPoint b = BaseCell(ACol, ARow);
  const int rc = RealColIndex(b.X);
  TCellGraphic* g = GetCellGraphic(rc, b.Y);
  if (!g || (g->CellType != ctButton && g->CellType != ctBitButton)) return TRect();
  TAlignment ha = taLeftJustify;
  TVAlignment va = vtaTop;
  GetCellAlignment(rc, b.Y, ha, va);
  return PlaceCellGraphic(CellContentRect(b.X, b.Y), TSize(g->CellIndex & 0xFFFF, (g->CellIndex >> 16) & 0xFFFF),
                          g->CellHAlign, g->CellVAlign, ha, TextWidthBeside(rc, b.Y, g));
}

bool TExtStringGrid::PointOnCheckGlyph(int ACol, int ARow, int X, int Y) {
  return Inside(CheckGlyphRectAt(ACol, ARow), X, Y);
}

bool TExtStringGrid::PointOnButton(int ACol, int ARow, int X, int Y) { return Inside(ButtonRectAt(ACol, ARow), X, Y); }

// ---------------------------------------------------------------- painting
bool TExtStringGrid::CellGraphicEnabled(int RealCol, int ARow) {
  bool can = (Options() & goEditing) || mouseActions_->RangeSelectAndEdit;
  CanEditCell(RealCol, ARow, can);
  return can;
}

bool TExtStringGrid::GraphicShowsText(int RealCol, int ARow) {
  switch (GetCellType(RealCol, ARow)) {
    case ctDataCheckBox: case ctVirtCheckBox: case ctRowCheckBox: case ctRadio: case ctRotated: case ctDataImage:
    case ctProgress: case ctRangeIndicator:
      return false;
    default: return true;
  }
}

void TExtStringGrid::TextBesideGraphic(int RealCol, int ARow, TAlignment HAlign, TRect& R) {
  // Column 0 of a tree starts its text past the row's indent.
  TCellGraphic* g = GetCellGraphic(RealCol, ARow);
  // A node row's sign takes a fixed 12 pixels a level and 4 more, whatever NodeIndent says.
  if (RealCol == 0 && nodes_.Count > 0) {
    TCellProperties* p = g && g->CellType == ctNode ? CellPropertiesOrNull(0, ARow) : nullptr;
    R.Left += p ? p->NodeLevel * 12 + 4 : RowIndent(ARow);
  }
  if (!g || g->CellType == ctNode || g->CellType == ctRadio) return;
  // A check box stands by the text's alignment: only left-aligned text starts right of it.
  if (IsCheckKind(g->CellType)) {
    if (HAlign == taLeftJustify && g->CellType == ctCheckBox) R.Left += controlLook_->CheckSize() + 1;
    return;
  }
  const bool beside = g->CellHAlign == haBeforeText || g->CellHAlign == haAfterText;
  if (!beside && g->CellVAlign != vaAboveText && g->CellVAlign != vaUnderText) return;
  const TSize s = GraphicSizeUnaligned(g, RealCol, ARow);
  if (g->CellHAlign == haBeforeText) R.Left += s.cx;
  if (g->CellHAlign == haAfterText) R.Right -= s.cx;
  if (g->CellVAlign == vaAboveText) R.Top += s.cy;
  if (g->CellVAlign == vaUnderText) R.Bottom -= s.cy;
}

int TExtStringGrid::TextWidthBeside(int RealCol, int ARow, const TCellGraphic* G) {
  if (G->CellHAlign != haBeforeText && G->CellHAlign != haAfterText) return 0;
  if (!GraphicShowsText(RealCol, ARow) || GetDisplayText(RealCol, ARow).empty()) return 0;
  TCanvas* cv = Canvas();
  TFontKeeper keep(cv);
  // The text step's drawn width + 2: the measure less its margins.
  return std::max(0, GetCellTextSize(RealCol, ARow, false).cx - 2 * kTextMarginX + 2);
}

bool TExtStringGrid::ShowsFilterButton(int) { return false; }

void TExtStringGrid::DrawFilterButton(TCanvas* cv, const TRect& Cell) {
  // A funnel on the fixed colour, in the 16 pixels at the cell's right.
  const int x = Cell.Right - 16, mid = (Cell.Top + Cell.Bottom) / 2;
  TColor brush = cv->Brush()->Color(), pen = cv->Pen()->Color();
  TBrushStyle bs = cv->Brush()->Style();
  cv->Brush()->SetStyle(bsSolid);
  cv->Brush()->SetColor(clBtnText);
  cv->Pen()->SetColor(clBtnText);
  cv->Polygon({TPoint(x + 3, mid - 4), TPoint(x + 12, mid - 4), TPoint(x + 8, mid), TPoint(x + 8, mid + 4),
               TPoint(x + 7, mid + 4), TPoint(x + 7, mid)});
  cv->Brush()->SetColor(brush);
  cv->Brush()->SetStyle(bs);
  cv->Pen()->SetColor(pen);
}

namespace {
// Check boxes and radio buttons in the control style asked for; the style bitmaps are not part
// of the program, so the styles that name them draw the themed or the system look.
void DrawToggleGlyph(TExtStringGrid* G, TCanvas* cv, const TRect& R, bool Radio, bool Checked, bool Enabled) {
  TControlLook* look = G->ControlLook();
  TGridControlStyle style = look->ControlStyle();
  if (style == csGlyph) {
    TBitmap* b = Radio ? (Checked ? look->RadioOnGlyph() : look->RadioOffGlyph())
                       : (Checked ? look->CheckedGlyph() : look->UnCheckedGlyph());
    if (b && !b->Empty()) {
      ExtUtil::DrawTransparentBitmap(cv, b, b->TransparentColor(), R);
      return;
    }
  }
  if ((style == csWinXP || style == csTheme || style == csQuarn) && Themed()) {
    int state = (Checked ? 5 : 1) + (Enabled ? 0 : 3);
    if (DrawThemePart(G->Handle(), "button", cv, Radio ? 2 : 3, state, R)) return;
  }
  unsigned s = (Radio ? DFCS_BUTTONRADIO : DFCS_BUTTONCHECK) | (Checked ? DFCS_CHECKED : 0u) |
               (Enabled ? 0u : DFCS_INACTIVE) | (style == csFlat || style == csWinXP ? DFCS_FLAT : 0u);
  cv->DrawFrameControl(R, DFC_BUTTON, s);
}
}  // namespace

void TExtStringGrid::DrawCellGraphic(TCanvas* cv, int ACol, int ARow, const TRect& R, TGridDrawState AState,
                                     TAlignment HAlign, TVAlignment VAlign) {
  const int rc = RealColIndex(ACol);
  if (rc == 0 && nodes_.Count > 0 && ARow >= FixedRows()) DrawNodeCell(cv, ARow, R);
  TCellGraphic* g = GetCellGraphic(rc, ARow);
  if (!g || g->CellType == ctNode) return;
  TBrushStyle bs = cv->Brush()->Style();
  TColor fontColor = cv->Font()->Color();
  if (IsCheckKind(g->CellType)) {
    bool enabled = controlLook_->NoDisabledCheckRadioLook() || controlLook_->CheckAlwaysActive ||
                   CellGraphicEnabled(rc, ARow);
    DrawToggleGlyph(this, cv, CheckLayout(cv, rc, ARow, R, HAlign, VAlign), false, GetCheckBoxState(rc, ARow),
                    enabled);
  } else if (g->CellType == ctRadio) {
    bool enabled = controlLook_->NoDisabledCheckRadioLook() || controlLook_->RadioAlwaysActive ||
                   CellGraphicEnabled(rc, ARow);
    const int chosen = GetRadioIndex(rc, ARow), s = RadioButtonSize(), th = cv->TextHeight("gh");
    std::vector<TRect> items = RadioLayout(cv, g, R);
    if ((AState & gdSelected) && ShowSelection() && !(AState & gdFixed)) cv->Font()->SetColor(SelectionTextColor());
    for (size_t i = 0; i < items.size(); ++i) {
      TRect b = RadioButtonRect(items[i], s);
      DrawToggleGlyph(this, cv, b, true, static_cast<int>(i) == chosen, enabled);
      if (g->Items[i].empty()) continue;
      cv->Brush()->SetStyle(bsClear);
      cv->TextOut(b.Right, items[i].Top + (items[i].Height() - th) / 2, g->Items[i]);
    }
  } else if (g->CellType == ctButton || g->CellType == ctBitButton) {
    TRect b = PlaceCellGraphic(R, TSize(g->CellIndex & 0xFFFF, (g->CellIndex >> 16) & 0xFFFF), g->CellHAlign,
                               g->CellVAlign, HAlign, TextWidthBeside(rc, ARow, g));
    bool pressed = press_.Button == BaseCell(ACol, ARow);
    bool enabled = controlLook_->NoDisabledButtonLook() || CellGraphicEnabled(rc, ARow);
    int state = pressed ? 3 : enabled ? 1 : 4;
    if (!Themed() || !DrawThemePart(Handle(), "button", cv, 1, state, b))
      cv->DrawFrameControl(b, DFC_BUTTON,
                           DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0u) | (enabled ? 0u : DFCS_INACTIVE) |
                               (controlLook_->FlatButton() ? DFCS_FLAT : 0u));
    TRect t = b;
    if (pressed) t = TRect(t.Left + 1, t.Top + 1, t.Right + 1, t.Bottom + 1);
    cv->Brush()->SetStyle(bsClear);
    if (g->CellType == ctBitButton && g->Picture && !g->Picture->Empty()) {
      // The bitmap stands left of the caption, which centres in the room beside it.
      const int bw = g->Picture->Width(), bh = g->Picture->Height();
      const TRect at(t.Left + 3, t.Top + (t.Height() - bh) / 2, t.Left + 3 + bw, t.Top + (t.Height() - bh) / 2 + bh);
      if (auto* bmp = dynamic_cast<TBitmap*>(g->Picture.get()))
        ExtUtil::DrawTransparentBitmap(cv, bmp, bmp->TransparentColor(), at);
      else
        cv->Draw(at.Left, at.Top, g->Picture.get());
      t.Left = at.Right + 2;
    }
    cv->Font()->SetColor(enabled ? clBtnText : clGrayText);
    cv->DrawText(g->CellText, t, DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
  } else {
    DrawPictureGraphic(cv, rc, ARow, R, g, HAlign, VAlign);
  }
  cv->Brush()->SetStyle(bs);
  cv->Font()->SetColor(fontColor);
}

// ---------------------------------------------------------------- markup controls and anchors
void TExtStringGrid::AnchorClick(int ACol, int ARow, const std::string& Anchor) {
  bool autoHandle = true;
  if (OnAnchorClick) OnAnchorClick(this, ARow, ACol, Anchor, autoHandle);
  if (!autoHandle) return;
  // "CELL://RxCy" moves the current cell; any other anchor opens only when it is an address.
  int at = ExtUtil::UpperPos("CELL://", Anchor);
  if (at >= 0) {
    TPoint to;
    if (ExtUtil::ParseRCRef(Anchor.substr(static_cast<size_t>(at) + 7), to) && to.X >= 0 && to.X < ColCount() &&
        to.Y >= 0 && to.Y < RowCount())
      FocusCell(to.X, to.Y, true);
  } else if (ExtUtil::IsURL(Anchor)) {
    ShellExecute(0, "open", Anchor, "", "", SW_SHOWNORMAL);
  }
}

void TExtStringGrid::ReleaseMarkupButton() {
  if (markupPress_.Cell.X < 0) return;
  TPoint m = markupPress_.Cell;
  markupPress_.Cell = TPoint(-1, -1);
  if (m.X < ColCount() && m.Y < RowCount()) RepaintCell(m.X, m.Y);
}

TRect TExtStringGrid::TakePressedControlRect() {
  TRect r = markupPress_.ControlRect;
  markupPress_.ControlRect = TRect();
  return r;
}

TRect TExtStringGrid::MarkupTextRect(int RealCol, int ARow, TRect R, TAlignment HAlign) {
  const TRect cell = R;
  TextBesideGraphic(RealCol, ARow, HAlign, R);
  if (ARow == 0 && ShowsFilterButton(RealCol)) R.Right -= 18;
  TRect t(R.Left + kTextMarginX - 1, R.Top + kTextMarginY, R.Right - kTextMarginX, R.Bottom);
  if (UseRightToLeftAlignment()) t = TRect(cell.Left + cell.Right - t.Right, t.Top, cell.Left + cell.Right - t.Left, t.Bottom);
  return t;
}

bool TExtStringGrid::MarkupClick(int ACol, int ARow, int X, int Y) {
  const int rc = RealColIndex(ACol);
  const std::string text = Cells(rc, ARow);
  if (ExtUtil::TextType(text, EnableHTML) != 1) return false;
  std::string anchor, strip, focusAnchor, title, cid, cval, ctype;
  int xs = 0, ys = 0, links = 0, ml = 0;
  TRect hover, ctrl;
  bool onAnchor;
  {
    TCanvas* cv = Canvas();
    TFontKeeper keep(cv);
    TAlignment ha;
    TVAlignment va;
    PrepareCellFont(cv, ACol, ARow, ha, va);
    if (!pictureCache_) pictureCache_ = std::make_shared<THTMLPictureCache>();
    onAnchor = HTMLDraw(cv, text, MarkupTextRect(rc, ARow, CellContentRect(ACol, ARow), ha), GridImages, X, Y, -1,
                        -1, 1, true, false, false, false, false, false, !EnhTextSize, false, 1.0, URLColor(), clNone,
                        clNone, clGray, anchor, strip, focusAnchor, title, xs, ys, links, ml, hover, ctrl, cid, cval,
                        ctype, pictureCache_.get(), PictureContainer, Handle());
  }
  if (!ctype.empty()) {
    bool can = (Options() & goEditing) || mouseActions_->RangeSelectAndEdit;
    CanEditCell(rc, ARow, can);
    if (can) {
      if (control_.Shown) EndCellControlEdit();
      EndControlEdit();
      markupPress_.ControlRect = ctrl;
      if (ctype == "BUTTON") {
        markupPress_.Cell = TPoint(ACol, ARow);
        markupPress_.Point = TPoint(X, Y);
        RepaintCell(ACol, ARow);
      } else if (ctype == "CHECK") {
        cval = UpperCase(cval) == "TRUE" ? "FALSE" : "TRUE";
        std::string t = text;
        if (SetHTMLControlValue(t, cid, cval)) SetCells(rc, ARow, t);
      }
      if (OnControlClick) OnControlClick(this, ARow, rc, cid, ctype, cval);
      if (ctype == "EDIT" || ctype == "PASSWORD" || ctype == "MASK" || ctype == "COMBO")
        OpenCellMarkupControl(rc, ARow, cid);
      return true;
    }
  }
  if (onAnchor && !anchor.empty() && anchor != "ctrl") {
    AnchorClick(ACol, ARow, anchor);
    return true;
  }
  if (ExtUtil::UpperPos("<CONTROL", text) >= 0) {
    // A press beside the controls selects the cell alone.
    FocusCell(ACol, ARow, true);
    return true;
  }
  return false;
}
