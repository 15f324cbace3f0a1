// Drawn cell graphics: bitmaps, icons, images of the grid's image list (fixed, from the cell's
// value, several), pictures and picture files, progress bars, pies and ranges from the cell's
// value, comment marks, rotated text; and column 0 of a tree: the tree lines and node signs.
// Nothing here raises while painting: a value that is no number, an image index outside the list
// or a picture that cannot be loaded draws nothing (a bar counts as 0 %).
#include <algorithm>
#include <cmath>

#include "controls/grid/ExtGrid.h"
#include "controls/grid/ExtUtil.h"
#include "platform/gui/ImgList.h"
#include "platform/gui/VisualStyles.h"

namespace {

// The cell's integer value, false for text that is no integer.
bool CellInt(const std::string& Text, int& V) { return TryStrToInt(Trim(Text), V); }

}  // namespace

// ---------------------------------------------------------------- making graphics
TCellGraphic* TExtStringGrid::AddBitmap(int ACol, int ARow, TBitmap* ABmp, bool Transparent, TCellHAlign HAlign,
                                        TCellVAlign VAlign) {
  TCellGraphic* g = CreateCellGraphic(ACol, ARow);
  g->CellType = ctBitmap;
  auto b = std::make_shared<TBitmap>();
  if (ABmp) b->Assign(ABmp);
  g->Picture = b;
  g->CellTransparent = Transparent;
  g->CellHAlign = HAlign;
  g->CellVAlign = VAlign;
  return g;
}

TCellGraphic* TExtStringGrid::AddIcon(int ACol, int ARow, TIcon* AIcon, TCellHAlign HAlign, TCellVAlign VAlign) {
  TCellGraphic* g = CreateCellGraphic(ACol, ARow);
  g->CellType = ctIcon;
  auto i = std::make_shared<TIcon>();
  if (AIcon) i->Assign(AIcon);
  g->Picture = i;
  g->CellHAlign = HAlign;
  g->CellVAlign = VAlign;
  return g;
}

TCellGraphic* TExtStringGrid::AddImageIdx(int ACol, int ARow, int Index, TCellHAlign HAlign, TCellVAlign VAlign) {
  TCellGraphic* g = CreateCellGraphic(ACol, ARow);
  g->CellType = ctImageList;
  g->CellIndex = Index;
  g->CellHAlign = HAlign;
  g->CellVAlign = VAlign;
  return g;
}

TCellGraphic* TExtStringGrid::AddDataImage(int ACol, int ARow, int Offset, TCellHAlign HAlign, TCellVAlign VAlign) {
  TCellGraphic* g = AddImageIdx(ACol, ARow, Offset, HAlign, VAlign);
  g->CellType = ctDataImage;
  return g;
}

TCellGraphic* TExtStringGrid::AddMultiImage(int ACol, int ARow, bool SideBySide, const std::vector<int>& Indexes,
                                            TCellHAlign HAlign, TCellVAlign VAlign) {
  TCellGraphic* g = CreateCellGraphic(ACol, ARow);
  g->CellType = ctImages;
  g->CellBoolean = SideBySide;
  for (int i : Indexes) g->Items.push_back(std::to_string(i));
  g->CellHAlign = HAlign;
  g->CellVAlign = VAlign;
  return g;
}

std::vector<int> TExtStringGrid::GetCellImages(int ACol, int ARow) {
  std::vector<int> v;
  TCellGraphic* g = GetCellGraphic(ACol, ARow);
  if (!g || g->CellType != ctImages) return v;
  for (const std::string& s : g->Items) v.push_back(StrToIntDef(s, -1));
  return v;
}

TCellGraphic* TExtStringGrid::AddPicture(int ACol, int ARow, TGraphic* APicture, bool Transparent, int StretchMode,
                                         int Padding, TCellHAlign HAlign, TCellVAlign VAlign) {
  TCellGraphic* g = CreateCellGraphic(ACol, ARow);
  g->CellType = ctPicture;
  if (APicture) g->Picture = std::shared_ptr<TGraphic>(APicture->Clone().release());
  g->CellTransparent = Transparent;
  g->CellAngle = StretchMode;
  g->CellIndex = Padding;
  g->CellHAlign = HAlign;
  g->CellVAlign = VAlign;
  return g;
}

TCellGraphic* TExtStringGrid::AddFilePicture(int ACol, int ARow, const std::string& FileName, bool Transparent,
                                             int StretchMode, int Padding, TCellHAlign HAlign, TCellVAlign VAlign) {
  auto f = std::make_shared<TFilePicture>();
  f->SetFilename(FileName);  // a file that is no picture is reported here, before the cell changes
  TCellGraphic* g = AddPicture(ACol, ARow, nullptr, Transparent, StretchMode, Padding, HAlign, VAlign);
  g->CellType = ctFilePicture;
  g->FilePicture = f;
  return g;
}

TCellGraphic* TExtStringGrid::AddProgress(int ACol, int ARow, TColor Color, TColor ColorTo) {
  TCellGraphic* g = CreateCellGraphic(ACol, ARow);
  g->CellType = ctProgress;
  g->Color = Color;
  g->ColorTo = ColorTo;
  return g;
}

TCellGraphic* TExtStringGrid::AddProgressPie(int ACol, int ARow, TColor Color) {
  TCellGraphic* g = CreateCellGraphic(ACol, ARow);
  g->CellType = ctProgressPie;
  g->Color = Color;
  g->CellHAlign = haCenter;
  g->CellVAlign = vaCenter;
  return g;
}

TCellGraphic* TExtStringGrid::AddRangeIndicator(int ACol, int ARow, TColor PosColor, TColor NegColor) {
  TCellGraphic* g = CreateCellGraphic(ACol, ARow);
  g->CellType = ctRangeIndicator;
  g->Color = PosColor;
  g->ColorTo = NegColor;
  return g;
}

TCellGraphic* TExtStringGrid::AddComment(int ACol, int ARow, const std::string& Comment) {
  TCellGraphic* g = CreateCellGraphic(ACol, ARow);
  g->CellType = ctComment;
  g->CellText = Comment;
  return g;
}

TCellGraphic* TExtStringGrid::AddRotated(int ACol, int ARow, int Angle, const std::string& Text) {
  SetCells(ACol, ARow, Text);
  TCellGraphic* g = CreateCellGraphic(ACol, ARow);
  g->CellType = ctRotated;
  g->CellAngle = Angle;
  return g;
}

bool TExtStringGrid::IsRotatedCell(int ACol, int ARow, int& Angle) {
  TCellGraphic* g = GetCellGraphic(ACol, ARow);
  if (!g || g->CellType != ctRotated) return false;
  Angle = g->CellAngle;
  return true;
}

bool TExtStringGrid::IsCommentCell(int ACol, int ARow, std::string& Comment) {
  TCellGraphic* g = GetCellGraphic(ACol, ARow);
  if (!g || g->CellType != ctComment) return false;
  Comment = g->CellText;
  return true;
}

// ---------------------------------------------------------------- sizes
void TExtStringGrid::GetPictureSize(TCellGraphic* AGraphic, int CellWidth, int CellHeight, TSize& Size) {
  if (!AGraphic || (AGraphic->CellType != ctPicture && AGraphic->CellType != ctFilePicture)) return;
  int w = 0, h = 0;
  if (AGraphic->FilePicture) w = AGraphic->FilePicture->Width, h = AGraphic->FilePicture->Height;
  else if (AGraphic->Picture) w = AGraphic->Picture->Width(), h = AGraphic->Picture->Height();
  const int aw = CellWidth - AGraphic->CellIndex, ah = CellHeight - AGraphic->CellIndex;
  const bool fits = w <= aw && h <= ah;
  auto proportional = [&](bool Shrink) {
    double rx = w > 0 ? double(aw) / w : 1, ry = h > 0 ? double(ah) / h : 1;
    if (Shrink) rx = std::min(rx, 1.0), ry = std::min(ry, 1.0);
    if (rx >= ry) Size = TSize(static_cast<int>(std::lround(w * ry)), Shrink ? static_cast<int>(std::lround(h * ry)) : ah);
    else Size = TSize(Shrink ? static_cast<int>(std::lround(w * rx)) : aw, static_cast<int>(std::lround(h * rx)));
  };
  switch (AGraphic->CellAngle) {
    case 1: Size = TSize(aw, ah); break;
    case 2: proportional(false); break;
    case 3: Size = fits ? TSize(w, h) : TSize(aw, ah); break;
    case 4: if (fits) Size = TSize(w, h); else proportional(true); break;
    default: Size = TSize(w, h);
  }
}

TSize TExtStringGrid::DrawnGraphicSize(TCellGraphic* G, const TRect& Cell) {
  const int iw = GridImages ? GridImages->Width() : 0, ih = GridImages ? GridImages->Height() : 0;
  switch (G->CellType) {
    case ctBitmap: case ctIcon:
      return G->Picture ? TSize(G->Picture->Width(), G->Picture->Height()) : TSize(0, 0);
    case ctImageList: case ctDataImage: return TSize(iw, ih);
    case ctImages: {
      const int n = static_cast<int>(G->Items.size());
      return G->CellBoolean ? TSize(n * iw, ih) : TSize(iw, n * ih);
    }
    case ctPicture: case ctFilePicture: {
      TSize s(0, 0);
      GetPictureSize(G, Cell.Width(), Cell.Height(), s);
      return s;
    }
    default: return TSize(0, 0);
  }
}

TSize TExtStringGrid::GetCellGraphicSizeScaled(int ACol, int ARow, double Factor) {
  TCellGraphic* g = GetCellGraphic(ACol, ARow);
  if (!g) return TSize(0, 0);
  switch (g->CellType) {
    case ctPicture: case ctFilePicture: {
      TSize s = GraphicSizeUnaligned(g, ACol, ARow);
      if (Factor > 0) s = TSize(static_cast<int>(std::lround(s.cx / Factor)), static_cast<int>(std::lround(s.cy / Factor)));
      return s;
    }
    case ctProgress: return TSize(ColWidths(DisplColIndex(ACol)), RowHeights(ARow));
    case ctDataImage: return GridImages ? TSize(GridImages->Width(), GridImages->Height()) : TSize(0, 0);
    default: return GraphicSizeUnaligned(g, ACol, ARow);
  }
}

TSize RotatedTextBox(TCanvas* cv, const std::string& Text, int Angle, TPoint& Origin) {
  const std::string measured = Text + "w";
  const int w = cv->TextWidth(measured), h = cv->TextHeight(measured);
  const double a = Angle * M_PI / 180, c = std::cos(a), s = std::sin(a);
  // Each side's term is rounded on its own: the box is |cos a W| + |sin a H| by |sin a W| + |cos a H|.
  const int cw = static_cast<int>(std::lround(w * c)), sh = static_cast<int>(std::lround(h * s));
  const int sw = static_cast<int>(std::lround(w * s)), ch = static_cast<int>(std::lround(h * c));
  const int xs[4] = {0, cw, sh, cw + sh}, ys[4] = {0, -sw, ch, ch - sw};
  const int minX = *std::min_element(xs, xs + 4), maxX = *std::max_element(xs, xs + 4);
  const int minY = *std::min_element(ys, ys + 4), maxY = *std::max_element(ys, ys + 4);
  Origin = TPoint(-minX, -minY);
  return TSize(maxX - minX, maxY - minY);
}

// ---------------------------------------------------------------- drawing
void TExtStringGrid::DrawPictureGraphic(TCanvas* cv, int RealCol, int ARow, const TRect& R, TCellGraphic* G,
                                        TAlignment HAlign, TVAlignment) {
  const TRect at =
      PlaceCellGraphic(R, DrawnGraphicSize(G, R), G->CellHAlign, G->CellVAlign, HAlign, TextWidthBeside(RealCol, ARow, G));
  const int images = GridImages ? GridImages->Count() : 0;
  const std::string text = Cells(RealCol, ARow);
  int value = 0;
  switch (G->CellType) {
    case ctBitmap:
      if (!G->Picture || G->Picture->Empty()) break;
      if (G->CellTransparent)
        if (auto* b = dynamic_cast<TBitmap*>(G->Picture.get())) {
          ExtUtil::DrawTransparentBitmap(cv, b, b->TransparentColor(), at);
          break;
        }
      cv->Draw(at.Left, at.Top, G->Picture.get());
      break;
    case ctIcon:
      if (G->Picture && !G->Picture->Empty()) cv->Draw(at.Left, at.Top, G->Picture.get());
      break;
    case ctImageList:
      if (G->CellIndex >= 0 && G->CellIndex < images) GridImages->Draw(cv, at.Left, at.Top, G->CellIndex);
      break;
    case ctDataImage:
      if (CellInt(text, value) && value + G->CellIndex >= 0 && value + G->CellIndex < images)
        GridImages->Draw(cv, at.Left, at.Top, value + G->CellIndex);
      break;
    case ctImages: {
      int x = at.Left, y = at.Top;
      for (int i : GetCellImages(RealCol, ARow)) {
        if (i >= 0 && i < images) GridImages->Draw(cv, x, y, i);
        (G->CellBoolean ? x : y) += G->CellBoolean ? GridImages->Width() : GridImages->Height();
      }
      break;
    }
    case ctPicture:
      if (!G->Picture || G->Picture->Empty()) break;
      if (G->CellAngle != 0) cv->StretchDraw(at, G->Picture.get());
      else cv->Draw(at.Left, at.Top, G->Picture.get());
      break;
    case ctFilePicture:
      if (G->FilePicture) G->FilePicture->DrawPicture(cv, at);
      break;
    case ctProgress: {
      if (!CellInt(text, value)) value = 0;
      value = std::clamp(value, 0, 100);
      // The desktop's own progress bar where the look asks for the theme and styles are usable.
      const TGridControlStyle style = controlLook_->ControlStyle();
      if ((style == csWinXP || style == csTheme) && controlLook_->ProgressXP() && IsWindowsXPOrLater() &&
          VisualStylesUsable()) {
        const int mx = controlLook_->ProgressMarginX(), my = controlLook_->ProgressMarginY();
        const TRect bar(R.Left + mx, R.Top + my, R.Right - mx, R.Bottom - my);
        if (DrawThemePart(Handle(), "progress", cv, 1, 1, bar)) {
          const TRect chunk(bar.Left, bar.Top, bar.Left + bar.Width() * value / 100, bar.Bottom);
          if (chunk.Right > chunk.Left) DrawThemePart(Handle(), "progress", cv, 3, 1, chunk);
          break;
        }
      }
      TRect b(R.Left + 1, R.Top, R.Right - 1, R.Bottom);
      ExtUtil::DrawProgressBar(cv, b, G->Color, false, controlLook_->ProgressBorderColor, "", 100, 0,
                               controlLook_->ProgressMarginY(), controlLook_->ProgressMarginX(),
                               std::clamp(value, 0, 100), G->TextColorTo, G->ColorTo, G->TextColor);
      break;
    }
    case ctProgressPie: {
      if (!CellInt(text, value)) value = 0;
      const TRect p = PlaceCellGraphic(R, TSize(20, 20), G->CellHAlign, G->CellVAlign);
      ExtUtil::DrawProgressPie(cv, p, G->Color, false, std::clamp(value, 0, 100));
      break;
    }
    case ctRangeIndicator: {
      if (!CellInt(text, value)) value = 0;
      const int mx = controlLook_->ProgressMarginX(), my = controlLook_->ProgressMarginY();
      ExtUtil::DrawSignedBar(cv, TRect(R.Left + mx, R.Top + my, R.Right - mx, R.Bottom - my),
                             std::clamp(value, -100, 100), G->Color, G->ColorTo, true, 100);
      break;
    }
    case ctComment: {
      const TColor c = controlLook_->CommentColor();
      if (c == clNone) break;
      cv->Brush()->SetColor(c);
      cv->Pen()->SetColor(c);
      cv->Polygon({TPoint(R.Right - 7, R.Top), TPoint(R.Right - 1, R.Top), TPoint(R.Right - 1, R.Top + 6)});
      break;
    }
    case ctRotated: {
      // The text's four corners turned by the angle; its bounding box is placed by the alignment.
      TFont saved;
      saved.Assign(cv->Font());
      cv->Font()->SetOrientation(G->CellAngle * 10);
      const TRect box(R.Left + 2, R.Top + 2, R.Right - 2, R.Bottom - 2);
      TPoint origin;
      const TSize turned = RotatedTextBox(cv, text, G->CellAngle, origin);
      TAlignment ha = taLeftJustify;
      TVAlignment va = vtaTop;
      GetCellAlignment(RealCol, ARow, ha, va);
      const int bw = turned.cx, bh = turned.cy;
      int left = box.Left, top = box.Top;
      if (ha == taRightJustify) left = box.Right - bw;
      else if (ha == taCenter) left = box.Left + (box.Width() - bw) / 2;
      if (va == vtaBottom) top = box.Bottom - bh;
      else if (va == vtaCenter) top = box.Top + (box.Height() - bh) / 2;
      cv->Brush()->SetStyle(bsClear);
      // The text stays inside its rectangle, within any clip the cell has already.
      const bool clipped = cv->HasClip();
      const TRect outer = cv->ClipRect();
      TRect clip = box;
      if (clipped)
        clip = TRect(std::max(clip.Left, outer.Left), std::max(clip.Top, outer.Top), std::min(clip.Right, outer.Right),
                     std::min(clip.Bottom, outer.Bottom));
      cv->SetClipRect(clip);
      cv->TextOut(left + origin.X, top + origin.Y, text);
      if (clipped) cv->SetClipRect(outer);
      else cv->RemoveClip();
      cv->Font()->Assign(&saved);
      break;
    }
    default:
      break;
  }
}

// Tree lines (ShowTree, scrollable rows) and, on a node row, its sign: a box with minus (open) or
// plus (folded), flat for cnFlat, raised for cn3D, sunken otherwise; the glyphs for cnGlyph.
void TExtStringGrid::DrawNodeCell(TCanvas* cv, int ARow, const TRect& R) {
  TCellProperties* p = CellPropertiesOrNull(0, ARow);
  const int level = p ? p->NodeLevel : 0;
  if (level <= 0) return;
  TCellNode* n = cellNode_.get();
  const int indent = n->NodeIndent(), x = R.Left + level * indent, mid = (R.Top + R.Bottom) / 2;
  TCellGraphic* g = GetCellGraphic(0, ARow);
  const bool node = g && g->CellType == ctNode;
  TColor pen = cv->Pen()->Color();
  if (n->ShowTree()) {
    cv->Pen()->SetColor(n->TreeColor());
    cv->Pen()->SetWidth(1);
    cv->MoveTo(x - 4, mid);
    cv->LineTo(n->ShowTreeFull() ? R.Right : x + 4, mid);
    cv->MoveTo(x - 4, R.Top);
    cv->LineTo(x - 4, NodeRowKind(ARow) == 2 ? R.Bottom + 4 : mid + 1);
    // The outer levels' lines run on while deeper rows follow.
    for (int k = 1; k < level; ++k) {
      const int lx = x - 4 - k * indent;
      if (ARow + 1 < RowCount() && CellPropertiesOrNull(0, ARow + 1) &&
          CellPropertiesOrNull(0, ARow + 1)->NodeLevel >= level - k + 1) {
        cv->MoveTo(lx, R.Top);
        cv->LineTo(lx, R.Bottom);
      }
    }
  }
  cv->Pen()->SetColor(pen);
  if (!node) return;
  const int x1 = x - indent;
  const bool open = !g->CellBoolean;
  if (n->NodeType() == cnGlyph) {
    TBitmap* b = open ? n->ContractGlyph() : n->ExpandGlyph();
    if (b && !b->Empty()) {
      ExtUtil::DrawTransparentBitmap(cv, b, b->TransparentColor(),
                                     TRect(x1 + 2, mid - b->Height() / 2, x1 + 2 + b->Width(), mid - b->Height() / 2 + b->Height()));
      return;
    }
  }
  TRect box(x1 + 2, mid - 4, x1 + 11, mid + 5);
  cv->Brush()->SetStyle(bsSolid);
  cv->Brush()->SetColor(clWindow);
  cv->FillRect(box);
  if (n->NodeType() == cnFlat || n->NodeType() == cnXP || n->NodeType() == cnLeaf) {
    cv->Brush()->SetColor(n->NodeType() == cnFlat ? n->NodeColor : clGray);
    cv->FrameRect(box);
  } else {
    cv->DrawEdge(box, n->NodeType() == cn3D ? EDGE_RAISED : EDGE_SUNKEN, BF_RECT);
  }
  cv->Pen()->SetColor(n->NodeColor);
  cv->MoveTo(box.Left + 2, mid);
  cv->LineTo(box.Right - 2, mid);
  if (!open) {
    cv->MoveTo(x1 + 6, box.Top + 2);
    cv->LineTo(x1 + 6, box.Bottom - 2);
  }
  cv->Pen()->SetColor(pen);
}
