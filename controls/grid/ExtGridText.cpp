// Cell text: the display text with its number formats, the text step of the
// cell painting (plain text with its DrawText flags, markup through the grid's
// markup renderer, wide text, rich text, the URL look, the error mark and the
// sort indicator) and the measuring that sizing uses.
#include <algorithm>
#include <charconv>
#include <cctype>
#include <cmath>
#include <cstdio>

#include "controls/grid/ExtGrid.h"
#include "controls/grid/ExtUtil.h"
#include "controls/markup/EsgHTMLE.h"
#include "platform/rtl/Win1252.h"

namespace {
constexpr int kMarginX = 2, kMarginY = 2;
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
constexpr unsigned kHAlignFlags[3] = {DT_LEFT, DT_RIGHT, DT_CENTER};  // taLeftJustify, taRightJustify, taCenter
constexpr unsigned kVAlignFlags[3] = {DT_TOP, DT_VCENTER, DT_BOTTOM};
}  // namespace

// ---------------------------------------------------------------- numbers
bool FormatGridNumber(const std::string& Fmt, double Value, std::string& Out) {
  // Exactly one conversion %[flags][width][.precision](d|f|e|g); "%%" stands for itself.
  std::string spec;
  size_t at = std::string::npos;
  char conv = 0;
  for (size_t i = 0; i < Fmt.size(); ++i) {
    if (Fmt[i] != '%') continue;
    if (i + 1 < Fmt.size() && Fmt[i + 1] == '%') {
      ++i;
      continue;
    }
    if (at != std::string::npos) return false;  // a second conversion
    size_t j = i + 1;
    while (j < Fmt.size() && std::string("-+ #0").find(Fmt[j]) != std::string::npos) ++j;
    size_t w = j;
    while (j < Fmt.size() && IsDigit(Fmt[j])) ++j;
    if (j - w > 2) return false;  // widths stay below 100
    if (j < Fmt.size() && Fmt[j] == '.') {
      size_t p = ++j;
      while (j < Fmt.size() && IsDigit(Fmt[j])) ++j;
      if (j - p > 2) return false;
    }
    if (j >= Fmt.size()) return false;
    char c = static_cast<char>(std::tolower(static_cast<unsigned char>(Fmt[j])));
    if (c != 'd' && c != 'f' && c != 'e' && c != 'g') return false;
    at = i;
    conv = c;
    spec = Fmt.substr(i, j - i) + (c == 'd' ? "lld" : std::string(1, Fmt[j]));
    i = j;
  }
  if (at == std::string::npos || !std::isfinite(Value)) return false;
  char buf[160];
  int n;
  if (conv == 'd') {
    double r = std::nearbyint(Value);
    if (r < -9.2e18 || r > 9.2e18) return false;
    n = std::snprintf(buf, sizeof buf, spec.c_str(), static_cast<long long>(r));
  } else {
    n = std::snprintf(buf, sizeof buf, spec.c_str(), Value);
  }
  if (n < 0 || n >= static_cast<int>(sizeof buf)) return false;
  std::string number(buf, static_cast<size_t>(n));
  for (char& ch : number)
    if (ch == '.') ch = FormatSettings.DecimalSeparator;
  // The text around the conversion, "%%" made single.
  auto literal = [](const std::string& s) {
    std::string r;
    for (size_t i = 0; i < s.size(); ++i) {
      r += s[i];
      if (s[i] == '%' && i + 1 < s.size() && s[i + 1] == '%') ++i;
    }
    return r;
  };
  size_t end = Fmt.find_first_of("dDfFeEgG", at + 1);
  Out = literal(Fmt.substr(0, at)) + number + literal(Fmt.substr(end + 1));
  return true;
}

bool GridNumberValue(const std::string& Text, double& Value) {
  std::string t = ExtUtil::PlainNumberText(Text);
  if (t.empty()) return false;
  const char* b = t.data();
  const char* e = b + t.size();
  auto [p, ec] = std::from_chars(b, e, Value);
  return ec == std::errc() && p == e && std::isfinite(Value);
}

void TExtStringGrid::FormatCellText(int ACol, int ARow, std::string& Text) {
  Text = Cells(ACol, ARow);
  if (!OnGetFloatFormat) return;
  std::string t = Trim(Text);
  if (t.empty() || ExtUtil::NumberTextKind(t) == 2) return;
  bool isFloat = true;
  std::string fmt = FloatFormat;
  OnGetFloatFormat(this, ACol, ARow, isFloat, fmt);
  double v = 0;
  std::string out;
  // A text that does not convert, or a format the safe formatter refuses, shows as it is.
  if (isFloat && GridNumberValue(t, v) && FormatGridNumber(fmt, v, out)) Text = out;
}

void TExtStringGrid::FormulaText(int ACol, int ARow, std::string& Text) { Text = GridCells(ACol, ARow); }

std::string TExtStringGrid::GetDisplayText(int ACol, int ARow) {
  std::string s;
  FormatCellText(ACol, ARow, s);
  return s;
}

// ---------------------------------------------------------------- text step
TSize TExtStringGrid::DrawTextStep(TCanvas* cv, int ACol, int ARow, int RealCol, TRect R, TGridDrawState AState,
                                   TAlignment HAlign, TVAlignment VAlign, bool WordWrap, TColor SavedBrush,
                                   TColor SavedFont) {
  TColor anchor = URLColor();
  const bool fixed = AState & gdFixed;
  bool selected = (AState & gdSelected) ||
                  (mouseActions_->DisjunctRowSelect() && (Options() & goRowSelect) &&
                   RowAttributes(ARow).DisjunctSelected && ACol >= FixedCols() && ACol < ColCount() - fixedRightCols_);
  if ((AState & gdFocused) && !(Options() & goDrawFocusSelected)) selected = false;
  if (selected && !fixed) {
    if (ShowSelection()) {
      if (SelectionColor() != clNone) cv->Brush()->SetColor(SelectionColor());
      if (SelectionTextColor() != clNone) cv->Font()->SetColor(SelectionTextColor());
      anchor = SelectionTextColor();
    } else if (!Focused() || GetCellType(RealCol, ARow) == ctCheckBox) {
      cv->Brush()->SetColor(SavedBrush);
      cv->Font()->SetColor(SavedFont);
    }
  }
  std::string s;
  FormatCellText(RealCol, ARow, s);
  int kind = ExtUtil::TextType(s, EnableHTML);
  if (kind == 3) {
    FormulaText(RealCol, ARow, s);
    kind = ExtUtil::TextType(s, EnableHTML);
  }
  if (IsPasswordCellAt(RealCol, ARow)) {
    ExtUtil::FillWithChar(s, PasswordChar);
    if (kind == 2) kind = 0;  // its stars are plain text
  }
  DrawCellBackground(cv, ACol, ARow, TRect(R.Left - 1, R.Top - 1, R.Right + 1, R.Bottom + 1), AState);
  // After the background, which would cover it.
  const bool filterButton = ARow == 0 && ShowsFilterButton(RealCol);
  if (filterButton) DrawFilterButton(cv, R);
  // Some graphics stand in for the text (radio groups, data check boxes).
  if (s.empty() || !GraphicShowsText(RealCol, ARow)) return TSize(0, 0);
  // Markup is placed where the press hit test looks for its anchors and controls.
  const TRect markupRect = MarkupTextRect(RealCol, ARow, R, HAlign);
  TextBesideGraphic(RealCol, ARow, HAlign, R);
  if (UseRightToLeftAlignment() && HAlign == taLeftJustify && GetCellType(RealCol, ARow) == ctCheckBox) {
    // The box is mirrored to the right: the text keeps clear of it there.
    const int box = controlLook_->CheckSize() + 1;
    R.Left -= box, R.Right -= box;
  }

  TSortSettings* ss = sortSettings_.get();
  const bool sortHeader = ss->Show() && ARow == ss->Row() && RowCount() > 2 && FixedRows() >= 1 &&
                          (RealCol >= FixedCols() || ss->FixedCols) && SortMarkShown(RealCol);
  TRect tr(R.Left + kMarginX, R.Top + kMarginY, R.Right - kMarginX, R.Bottom);
  // The mark is centred on the rectangle, not on a text block placed down inside it.
  const int textTop = (kind == 1 ? markupRect : tr).Top;
  TSize drawn(0, 0);
  TBrushStyle bs = cv->Brush()->Style();
  cv->Brush()->SetStyle(bsClear);
  int indicatorX = -1;
  if (kind == 1) {
    tr = markupRect;
    const bool rtl = UseRightToLeftAlignment();
    if (sortHeader) (rtl ? tr.Left : tr.Right) += rtl ? 10 : -10;
    std::string anchorVal, stripVal, focusAnchor, title, cid, cvv, ct;
    int xs = 0, ys = 0, links = 0, mouseLink = 0;
    TRect hover, control;
    if (!pictureCache_) pictureCache_ = std::make_shared<THTMLPictureCache>();
    // A pressed "BUTTON" control draws pushed: it is the control under the press point.
    const bool pressed = markupPress_.Cell == TPoint(ACol, ARow);
    HTMLDraw(cv, s, tr, GridImages, pressed ? markupPress_.Point.X : tr.Left, pressed ? markupPress_.Point.Y : tr.Top,
             -1, 0, 1, false, false, false, false, BlinkShown(), false, !EnhTextSize, pressed, 1.0, anchor, clNone, clNone, clGray, anchorVal, stripVal, focusAnchor, title, xs,
             ys, links, mouseLink, hover, control, cid, cvv, ct, pictureCache_.get(), PictureContainer, Handle());
    drawn = TSize(xs + 2, ys);
    // Mirrored, the mark stands left of the text, inside the cell.
    indicatorX = rtl ? tr.Left - 2 : tr.Right + 2;
  } else if (kind == 5) {
    s = Utf16ToUtf8(ExtUtil::DecodeWideText(s));
    if (sortHeader) tr.Right -= 10;
    if (!fixed && !(selected && !Focused() && SelectionColor() == clNone)) {
      cv->Brush()->SetStyle(bsSolid);
      cv->FillRect(tr);
      cv->Brush()->SetStyle(bsClear);
    }
    const unsigned flags = DT_NOPREFIX | kHAlignFlags[HAlign] | kVAlignFlags[VAlign] |
                           (WordWrap || Multilinecells ? DT_WORDBREAK : DT_SINGLELINE | DT_END_ELLIPSIS);
    drawn = DrawTextPlaced(cv, s, tr, flags, VAlign, GetCellGraphic(RealCol, ARow) || sortHeader);
    indicatorX = tr.Right + 3;
  } else if (kind == 2) {
    if (!(selected && !Focused() && SelectionColor() == clNone)) {
      cv->Brush()->SetStyle(bsSolid);
      cv->Pen()->SetColor(cv->Brush()->Color());
      cv->FillRect(R);
    }
    cv->Brush()->SetStyle(bsClear);
    const TColor font = cv->Font()->Color();
    DrawRichText(s, RealCol, ARow, R, cv);
    cv->Font()->SetColor(font);
  } else {
    TFontStyles savedStyle = cv->Font()->Style();
    if (urlShow_ && ExtUtil::IsURL(GridCells(RealCol, ARow))) {
      if (!URLFull()) ExtUtil::StripURLPrefix(s);
      cv->Font()->SetStyle(savedStyle | fsUnderline);
      cv->Font()->SetColor(anchor);
    }
    // Right to left, plain text reads from the right and its left and right alignments swap.
    const bool rtl = UseRightToLeftAlignment();
    const TAlignment align = !rtl || HAlign == taCenter ? HAlign : HAlign == taLeftJustify ? taRightJustify : taLeftJustify;
    const bool sortColumn = ss->Show() && RealCol == ss->Column;
    if (sortColumn && ARow == ss->Row() && align == taCenter) tr.Left += 10;
    // Room for the mark in the sort column's header, whether or not the mark shows.
    if (sortColumn && ARow == 0) (align == taLeftJustify ? tr.Right : tr.Left) += (align == taLeftJustify ? -14 : 14);
    if (filterButton) tr.Right -= 16;
    unsigned flags = DT_EDITCONTROL;
    if (ExtUtil::LineCount(s, Multilinecells) == 1 && !WordWrap) {
      std::string rest = s;
      s = ExtUtil::CutFirstLine(rest, false);
      flags = DT_SINGLELINE;
      if (EnhTextSize) flags |= DT_END_ELLIPSIS;
    } else if (WordWrap && !Multilinecells && EnhTextSize) {
      flags |= DT_END_ELLIPSIS;
    }
    // Without word wrap a multi-line grid still breaks at the text's own line breaks:
    // the grid's own setting decides, per call.
    const unsigned wrapFlags = WordWrap ? (DT_WORDBREAK | DT_EDITCONTROL) : (Multilinecells ? 0u : DT_SINGLELINE);
    flags |= DT_EXPANDTABS | DT_NOPREFIX | wrapFlags | kHAlignFlags[align] | kVAlignFlags[VAlign];
    lastVAlignFlag_ = kVAlignFlags[VAlign];
    if (UseRightToLeftReading()) flags |= DT_RTLREADING;
    // The drawn width is needed only beside a graphic and for the sort indicator.
    TCellGraphic* g = GetCellGraphic(RealCol, ARow);
    drawn = DrawTextPlaced(cv, s, tr, flags, VAlign, g || sortHeader);
    if (g && g->CellErrLen > 0)
      ExtUtil::DrawErrorUnderline(cv, s, g->CellErrLen, g->CellErrFrom, 0, tr);
    cv->Font()->SetStyle(savedStyle);
    int w = std::clamp(drawn.cx - 2, 0, std::max(0, tr.Width() - 16));
    // A graphic at the cell's left is not in the text rectangle; one placed before the text is.
    if (g && g->CellHAlign == haLeft && align == taLeftJustify) w += GraphicSizeUnaligned(g, RealCol, ARow).cx;
    indicatorX = align == taLeftJustify ? tr.Left + w + 10 : align == taRightJustify ? tr.Right - w - 10 : tr.Left + 8;
  }
  cv->Brush()->SetStyle(bs);
  if (sortHeader && kind != 2) {
    int y = VAlign == vtaTop ? tr.Top + 8 : VAlign == vtaCenter ? textTop + (tr.Bottom - textTop) / 2 : tr.Bottom - 8;
    DrawSortIndicator(cv, RealCol, y, indicatorX);
  }
  return drawn;
}

TSize TExtStringGrid::DrawTextPlaced(TCanvas* cv, const std::string& S, TRect& R, unsigned Flags, TVAlignment VAlign,
                                     bool Measure) {
  if (!(Flags & DT_SINGLELINE) && VAlign != vtaTop) {
    // The system draws only single lines centred or at the bottom: place the block itself.
    TRect m = R;
    cv->DrawText(S, m, Flags | DT_CALCRECT);
    int free = R.Bottom - R.Top - m.Height();
    if (free > 0) R.Top += VAlign == vtaCenter ? free / 2 : free;
  }
  TSize drawn(0, 0);
  if (Measure) {
    TRect calc = R;
    cv->DrawText(S, calc, Flags | DT_CALCRECT);
    drawn = TSize(calc.Width() + 2, calc.Height());
  }
  cv->DrawText(S, R, Flags);
  return drawn;
}

// The sorted column carries the mark; every other key of a sort by several keys only with IndexShow.
bool TExtStringGrid::SortMarkShown(int RealCol) const {
  const int key = sortIndexes_->FindIndex(RealCol);
  return RealCol == sortSettings_->Column || key == 0 || (key > 0 && sortSettings_->IndexShow);
}

void TExtStringGrid::DrawSortIndicator(TCanvas* cv, int ACol, int Y, int X) {
  TSortSettings* ss = sortSettings_.get();
  const int key = ss->IndexShow ? sortIndexes_->FindIndex(ACol) : -1;
  if (key >= 0) {
    // A key of a sort by several keys: its number on a mark in IndexColor.
    const bool ascending = sortIndexes_->SortAscending(key);
    TBitmap* glyph = ascending ? ss->IndexDownGlyph() : ss->IndexUpGlyph();
    if (!ss->IndexUpGlyph()->Empty() && !ss->IndexDownGlyph()->Empty()) {
      ExtUtil::DrawTransparentBitmap(cv, glyph, glyph->TransparentColor(),
                                     TRect(X - 7, Y - 7, X - 7 + glyph->Width(), Y - 7 + glyph->Height()));
    } else {
      TBrushStyle bs = cv->Brush()->Style();
      TColor brush = cv->Brush()->Color();
      cv->Brush()->SetStyle(bsSolid);
      cv->Brush()->SetColor(ss->IndexColor);
      cv->Pen()->SetWidth(1);
      cv->Pen()->SetColor(clGray);
      if (ascending)
        cv->Polygon({TPoint(X - 6, Y + 8), TPoint(X + 6, Y + 8), TPoint(X, Y - 4)});
      else
        cv->Polygon({TPoint(X - 7, Y - 5), TPoint(X + 7, Y - 5), TPoint(X, Y + 8)});
      cv->Brush()->SetColor(brush);
      cv->Brush()->SetStyle(bs);
    }
    TFont cellFont;
    cellFont.Assign(cv->Font());
    cv->Font()->SetColor(clBlack);
    cv->Font()->SetSize(6);
    TBrushStyle bs = cv->Brush()->Style();
    cv->Brush()->SetStyle(bsClear);
    cv->TextOut(X - 2, ascending ? Y - 2 : Y - 4, std::to_string(key + 1));
    cv->Brush()->SetStyle(bs);
    cv->Font()->Assign(&cellFont);
    cv->Pen()->SetColor(clBlack);
    return;
  }
  bool up = ss->Direction == sdAscending;
  TBitmap* glyph = up ? ss->UpGlyph() : ss->DownGlyph();
  if (!ss->UpGlyph()->Empty() && !ss->DownGlyph()->Empty()) {
    ExtUtil::DrawTransparentBitmap(cv, glyph, glyph->TransparentColor(),
                                   TRect(X - 4, Y - 4, X - 4 + glyph->Width(), Y - 4 + glyph->Height()));
    return;
  }
  cv->Pen()->SetWidth(1);
  if (up) {
    cv->Pen()->SetColor(clWhite);
    cv->MoveTo(X - 4, Y + 4);
    cv->LineTo(X + 4, Y + 4);
    cv->LineTo(X, Y - 4);
    cv->Pen()->SetColor(clGray);
    cv->LineTo(X - 4, Y + 4);
  } else {
    cv->Pen()->SetColor(clWhite);
    cv->MoveTo(X + 4, Y - 4);
    cv->LineTo(X, Y + 4);
    cv->Pen()->SetColor(clGray);
    cv->LineTo(X - 4, Y - 4);
    cv->LineTo(X + 4, Y - 4);
  }
  cv->Pen()->SetColor(clBlack);
}

// ---------------------------------------------------------------- measuring
TSize TExtStringGrid::GetCellTextSize(int ACol, int ARow, bool WrapToCell) {
  TCanvas* cv = Canvas();
  std::string s;
  FormatCellText(ACol, ARow, s);
  int kind = ExtUtil::TextType(s, EnableHTML);
  if (kind == 3) {
    FormulaText(ACol, ARow, s);
    kind = ExtUtil::TextType(s, EnableHTML);
  }
  TGridDrawState st = 0;
  TColor to = clNone;
  TAlignment ha = taLeftJustify;
  TVAlignment va = vtaTop;
  bool ww = false;
  GetCellColors(DisplColIndex(ACol), ARow, st, false, true, false, cv->Brush(), to, cv->Font(), ha, va, ww);
  if (zoom_.Level != 0) cv->Font()->SetSize(std::max(1, cv->Font()->Size() + zoom_.Level));
  const int w = ColWidths(DisplColIndex(ACol)), h = RowHeights(ARow);
  // A radio group is its graphic's measure.
  if (TCellGraphic* g = GetCellGraphic(ACol, ARow); g && g->CellType == ctRadio) {
    TSize e = RadioGroupExtent(RadioTextWidths(cv, g), cv->TextHeight("gh"), g->CellBoolean);
    return TSize(e.cx + 4, e.cy + 4);
  }
  // A check box standing in for the text is its glyph; one beside the text adds its width.
  const TCellType graphic = GetCellType(ACol, ARow);
  const int box = ControlLook()->CheckSize();
  if (graphic == ctDataCheckBox || graphic == ctVirtCheckBox || graphic == ctRowCheckBox)
    return TSize(box + 4, box + 4);
  if (kind == 1) {
    TRect r(kMarginX, kMarginY, WrapToCell ? w - kMarginX : 65535, h - kMarginY);
    std::string a, sv, fa, title, cid, cvv, ct;
    int xs = 0, ys = 0, links = 0, ml = 0;
    TRect hover, control;
    if (!pictureCache_) pictureCache_ = std::make_shared<THTMLPictureCache>();
    HTMLDraw(cv, s, r, GridImages, 0, 0, -1, -1, 1, false, true, false, false, false, false, WrapToCell, false, 1.0,
             URLColor(), clNone, clNone, clGray, a, sv, fa, title, xs, ys, links, ml, hover, control, cid, cvv, ct,
             pictureCache_.get(), PictureContainer, Handle());
    return TSize(xs + 2 + 2 * kMarginX, ys + 2 + 2 * kMarginY);
  }
  if (kind == 5) {
    s = Utf16ToUtf8(ExtUtil::DecodeWideText(s));
    TRect r(kMarginX, kMarginY, w - kMarginX, h - kMarginY);
    cv->DrawText(s, r, DT_CALCRECT | DT_NOPREFIX | (ww || Multilinecells ? DT_WORDBREAK : DT_SINGLELINE));
    return TSize(r.Width() + 2 * kMarginX, r.Height() + 2 * kMarginY);
  }
  if (kind == 2) return RichTextExtent(s, *cv->Font(), WrapToCell ? w - 2 * kMarginX : 0);
  // Turned text: the box it turns into, and 12 pixels in each direction.
  if (TCellGraphic* g = GetCellGraphic(ACol, ARow); g && g->CellType == ctRotated) {
    TFont upright;
    upright.Assign(cv->Font());
    cv->Font()->SetOrientation(g->CellAngle * 10);
    TPoint origin;
    const TSize box = RotatedTextBox(cv, s, g->CellAngle, origin);
    cv->Font()->Assign(&upright);
    return TSize(box.cx + 12, box.cy + 12);
  }
  if (!WrapToCell) {
    const int lineH = cv->TextHeight("hg");
    int lines = 0, widest = 0;
    std::string rest = s;
    do {
      std::string line = ExtUtil::CutFirstLine(rest, true);
      if (urlShow_ && !URLFull() && ExtUtil::IsURL(line)) ExtUtil::StripURLPrefix(line);
      widest = std::max(widest, cv->TextWidth(line));
      ++lines;
    } while (!rest.empty());
    const int beside = graphic == ctCheckBox ? box + 1 : 0;
    return TSize(widest + 2 * kMarginX + beside, std::max(lines * lineH, beside ? box + 2 : 0) + 2 * kMarginY);
  }
  TRect r(2 + kMarginX, 2 + kMarginY, w - 2 - kMarginX, h - 2 - kMarginY);
  std::string text = s;
  if (EditorMode() && ACol == RealColIndex(Col()) && ARow == Row() && !text.empty() && text.back() == '\n') text += ' ';
  int th = cv->DrawText(text, r, DT_CALCRECT | DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX);
  return TSize(w - 2 * (2 + kMarginX) + 2 * kMarginX, th + 2 * kMarginY);
}
