// One row of an inspector panel: the common start, the two-column property row
// and the icon and button styles.
#include <algorithm>

#include "controls/inspector/InspDraw.h"
#include "controls/inspector/InspectorBar.h"
#include "controls/markup/InspectorMarkup.h"
#include "platform/gui/VisualStyles.h"

using InspDraw::Inside;
using InspDraw::Line;
using InspDraw::Markup;
using InspDraw::RowShadowOffset;

void TInspectorBar::DrawNodeGlyph(int X, int Y, bool Collapsed) {
  TCanvas* C = Surface();
  const TColor brush = C->Brush()->Color();
  C->Draw(X + 4, Y + 4, NodeGlyph(Collapsed));
  C->Brush()->SetColor(brush);
}

void TInspectorBar::DrawItem(TInspectorPanel* Panel, TInspectorItem* Item, const TRect& Rect) {
  if (!Panel || !Item) return;
  TCanvas* C = Surface();
  TRect R = Rect;
  if (mode_ == imSinglePanelActive && (upArrow_ || downArrow_)) R.Right -= 19;
  Item->captionRect_ = TRect();
  if (OnItemDraw) {
    bool def = true;
    OnItemDraw(this, Item, C, R, def);
    if (!def) return;
  }
  C->Brush()->SetStyle(bsClear);
  TInspImage* back = Item->Background();
  if (back && !back->Empty()) {
    const int w = back->Width(), h = back->Height();
    switch (Item->BackgroundPosition()) {
      case bpTopLeft: C->Draw(R.Left, R.Top, back); break;
      case bpBottomLeft: C->Draw(R.Left, R.Bottom - h, back); break;
      case bpTopRight: C->Draw(R.Right - w, R.Top, back); break;
      case bpBottomRight: C->Draw(R.Right - w, R.Bottom - h, back); break;
    }
  }
  C->SetFont(Panel->Font());
  if (Panel->ItemIndex() == Item->Index()) {
    const TRect sel(R.Left, R.Top, R.Right, R.Bottom + 1);
    C->Pen()->SetColor(Panel->SelectBorderColor());
    C->Font()->SetColor(Panel->SelectFontColor());
    if (Panel->SelectColorTo() != clNone) {
      DrawGradient(Panel->SelectColorTo(), Panel->SelectColor(), 128, false, sel);
    } else {
      C->Brush()->SetStyle(bsSolid);
      C->Brush()->SetColor(Panel->SelectColor());
      C->Rectangle(sel);
    }
    C->Brush()->SetStyle(bsClear);
  }
  if (Panel->Style() == psProperties)
    DrawPropertyRow(Panel, Item, R);
  else
    DrawIconRow(Panel, Item, R);
}

// The two-column property row: grid lines, caption, the value column's box, then what the row
// kind shows there (swatch, editor button, button face, check box, picture) and its text.
void TInspectorBar::DrawPropertyRow(TInspectorPanel* Panel, TInspectorItem* Item, const TRect& R0) {
  TCanvas* C = Surface();
  const TPropertyType type = Item->PropertyType();
  TRowPaint P{Panel, Item, CursorInBar(), false, ShownValue(Panel, Item), 0, 0, 0, 0};
  DrawRowGrid(Panel, R0);
  const bool boxed = Panel->EditBox() && type != ptButton && !Item->ReadOnly();
  DrawRowCaption(P, R0, boxed);
  C->SetFont(Panel->Font());
  DrawValueBox(P, R0, boxed);
  const TInspectorEditButton G = ValueButton(Item);
  if (type == ptColor || type == ptFixedColor) DrawColourSwatch(P);
  P.Themed = Themed();
  if (showEditorAlways_ && G == ebDropDown) DrawDropDownButton(P);
  if (type == ptButton) DrawButtonFace(P);
  if (showEditorAlways_ && G == ebMore) DrawDotsButton(P);
  if (showEditorAlways_ && G == ebSpin) DrawSpinButtons(P);
  if (type == ptBoolean) DrawCheckBox(P);
  if (type == ptPicture) DrawPicture(P);
  DrawValueText(P);
  TInspImage* split = Panel->Splitter();
  if (split && !split->Empty()) {
    C->Draw(R0.Left + std::max(0, Width() - split->Width()), R0.Bottom - split->Height(), split);
  }
}

// The value as the row shows it: a password as stars, then what OnItemValue makes of it.
std::string TInspectorBar::ShownValue(TInspectorPanel* Panel, TInspectorItem* Item) {
  std::string V = Item->TextValue();
  if (Item->PropertyType() == ptPassword) {
    // One star a character: UTF-8 continuation bytes add none, as the editor's echo shows.
    const auto chars = std::count_if(V.begin(), V.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; });
    V.assign(static_cast<size_t>(chars), '*');
  }
  if (Item->PropertyType() != ptFont && OnItemValue) OnItemValue(this, Panel, Item, V);
  return V;
}

// The button the value column shows: the row kind's, for custom rows OnCustomEditButton's.
TInspectorEditButton TInspectorBar::ValueButton(TInspectorItem* Item) {
  TInspectorEditButton G = RowKind(Item->PropertyType()).Button;
  if (Item->PropertyType() == ptCustom && OnCustomEditButton) OnCustomEditButton(this, Item, G);
  return G;
}

void TInspectorBar::DrawRowGrid(TInspectorPanel* Panel, const TRect& R0) {
  TCanvas* C = Surface();
  const int CW = Panel->CaptionWidth();
  const int L = R0.Left, T = R0.Top, Right = R0.Right, B = R0.Bottom;
  if (Panel->GridLines()) {
    C->Pen()->SetColor(Panel->GridLineColor());
    C->Pen()->SetWidth(1);
    Line(C, L, B - 1, Right, B - 1);
    Line(C, L + CW, T, L + CW, B);
    C->Pen()->SetColor(clWhite);
    Line(C, L + CW + 1, T, L + CW + 1, B);
  }
  if (Panel->CaptionColor() != clNone) {
    C->Brush()->SetStyle(bsSolid);
    C->Brush()->SetColor(Panel->CaptionColor());
    C->FillRect(TRect(L, T, L + CW, Panel->GridLines() ? B - 1 : B));
    C->Brush()->SetColor(Panel->Color());
    C->Brush()->SetStyle(bsClear);
  }
}

// Image, tree indentation with the node glyph, and the caption (plain or markup).
void TInspectorBar::DrawRowCaption(TRowPaint& P, const TRect& R0, bool Boxed) {
  TCanvas* C = Surface();
  TInspectorItem* Item = P.Item;
  int L = R0.Left + 4;
  const int T = R0.Top + 2 + (Boxed ? 1 : 0);
  if (images_ && Item->ImageIndex() >= 0) {
    images_->Draw(C, L, T, Item->ImageIndex());
    L += images_->Width() + 2;
  }
  L += Item->Indent() + 12 * Item->Level() + P.Panel->Indent();
  // The glyph's own 4-pixel inset puts it 16 pixels left of the caption, 4 below its top.
  if (Item->ChildCount() > 0) DrawNodeGlyph(L - 20, T, Item->Collapsed());

  C->SetFont(P.Panel->CaptionFont());
  C->Brush()->SetStyle(bsClear);
  const TRect captionCell(L, T, R0.Left + P.Panel->CaptionWidth(), R0.Bottom);
  if (IsHTML(Item->Caption())) {
    Item->SetHoverAnchor("");
    C->SetClipRect(captionCell);
    Item->SetHoverAnchor(Markup(C, Item->Caption(), captionCell, images_, true, P.Mouse, true, RowShadowOffset));
    Markup(C, Item->Caption(), captionCell, images_, false, P.Mouse, true, RowShadowOffset);
    C->RemoveClip();
  } else {
    TRect cr = captionCell;
    C->DrawText(Item->Caption(), cr, DT_END_ELLIPSIS);
  }
}

// The value column; with an edit box the box is drawn and the column is inside it.
void TInspectorBar::DrawValueBox(TRowPaint& P, const TRect& R0, bool Boxed) {
  TCanvas* C = Surface();
  P.L = R0.Left + P.Panel->CaptionWidth() + 4;
  P.T = R0.Top + 2 + (Boxed ? 1 : 0);
  P.Right = R0.Right - 4;
  P.B = R0.Bottom;
  if (!Boxed) return;
  P.L += 1;
  P.Right -= 1;
  P.B -= 4;
  if (P.Panel->EditBorderColor() != clNone) {
    C->Pen()->SetColor(P.Panel->EditBorderColor());
    C->Pen()->SetWidth(1);
  }
  C->Brush()->SetStyle(bsSolid);
  C->Brush()->SetColor(P.Panel->EditColor());
  C->Rectangle(P.L, P.T, P.Right, P.B);
  C->Brush()->SetStyle(bsClear);
  P.L += 3;
  P.T += 1;
}

void TInspectorBar::DrawColourSwatch(TRowPaint& P) {
  TCanvas* C = Surface();
  C->Pen()->SetColor(clBlack);
  C->Brush()->SetStyle(bsSolid);
  C->Brush()->SetColor(P.Item->ColorValue());
  C->Rectangle(P.L + 2, P.T + 2, P.L + 20, P.T + 16);
  P.L += 24;
  C->Brush()->SetColor(Color());
  C->Brush()->SetStyle(bsClear);
}

// The editor buttons shown with ShowEditorAlways take their room from the column's right end.
void TInspectorBar::TakeButtonRoom(TRowPaint& P) {
  if (P.Panel->EditBox()) {
    P.Right -= 3;
    P.T += 1;
  }
}

void TInspectorBar::DrawDropDownButton(TRowPaint& P) {
  TCanvas* C = Surface();
  TakeButtonRoom(P);
  const int Right = P.Right, T = P.T;
  const TRect tr(Right - 16, T + 1, Right, T + 18);
  if (!P.Themed || !DrawThemePart(Handle(), "combobox", C, 1, Inside(P.Mouse, tr) ? 2 : 1, tr))
    C->DrawFrameControl(TRect(Right - 16, T, Right, T + 18), DFC_SCROLL, DFCS_SCROLLCOMBOBOX | DFCS_FLAT);
  P.Right -= 16;
}

void TInspectorBar::DrawDotsButton(TRowPaint& P) {
  TCanvas* C = Surface();
  TakeButtonRoom(P);
  const int Right = P.Right, T = P.T, B = P.B;
  const TRect tr(Right - 18, T - 1, Right, B - 2);
  TRect dots;
  if (P.Themed && DrawThemePart(Handle(), "button", C, 1, Inside(P.Mouse, tr) ? 2 : 1, tr)) {
    dots = TRect(Right - 12, T + 2, Right, B);
  } else {
    C->DrawFrameControl(TRect(Right - 14, T, Right, T + 18), DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_FLAT);
    dots = TRect(Right - 10, T + 2, Right, B);
  }
  C->DrawText("..", dots, 0);
  P.Right -= 16;
}

void TInspectorBar::DrawSpinButtons(TRowPaint& P) {
  TCanvas* C = Surface();
  TakeButtonRoom(P);
  const int Right = P.Right, T = P.T;
  int h = (P.B - T) / 2;
  bool done = false;
  if (P.Themed) {
    h -= 2;
    const TRect up(Right - 17, T, Right, T + h + 2), dn(Right - 17, T + h + 2, Right, T + 2 * h + 3);
    auto state = [&](const TRect& r) { return mouse_.Down && Inside(P.Mouse, r) ? 3 : Inside(P.Mouse, r) ? 2 : 1; };
    done = DrawThemePart(Handle(), "spin", C, 1, state(up), up) && DrawThemePart(Handle(), "spin", C, 2, state(dn), dn);
    if (!done) h += 2;
  }
  if (!done) {
    C->DrawFrameControl(TRect(Right - 16, T, Right, T + h), DFC_SCROLL, DFCS_SCROLLUP | DFCS_FLAT);
    C->DrawFrameControl(TRect(Right - 16, T + h, Right, T + 2 * h), DFC_SCROLL, DFCS_SCROLLDOWN | DFCS_FLAT);
  }
  P.Right -= 16;
}

// A button row is one push button over the value column, its text centred.
void TInspectorBar::DrawButtonFace(TRowPaint& P) {
  TCanvas* C = Surface();
  P.Right -= 3;
  P.T += 1;
  const int L = P.L, T = P.T, Right = P.Right, B = P.B;
  const TRect face(L, T - 1, Right, B - 2);
  const bool in = Inside(P.Mouse, face);
  const bool focusedPress = P.Item->Pressed() && Focused();
  if (!P.Themed ||
      !DrawThemePart(Handle(), "button", C, 1, (focusedPress ? 5 : 0) | (mouse_.Down && in ? 3 : in ? 2 : 1), face))
    C->DrawFrameControl(face, DFC_BUTTON, DFCS_BUTTONPUSH | (mouse_.Down && in ? DFCS_PUSHED : 0));
  TRect tr(L, T, Right, B);
  if (P.Panel->EditBox()) OffsetRect(tr, 0, 1);
  C->DrawText(P.Value, tr, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  if (!P.Themed && focusedPress) {
    TRect f = tr;
    InflateRect(f, -2, -2);
    C->DrawFocusRect(f);
  }
}

void TInspectorBar::DrawCheckBox(TRowPaint& P) {
  TCanvas* C = Surface();
  const TRect box(P.L, P.T, P.L + 14, P.T + 14);
  const bool checked = P.Item->BoolValue();
  bool done = false;
  if (P.Themed) {
    TRect tb = box;
    if (P.Panel->EditBox()) OffsetRect(tb, 0, 1);
    const bool in = Inside(P.Mouse, tb), held = mouse_.Down && in;
    const int state = checked ? (held ? 3 : in ? 6 : 5) : (held ? 7 : in ? 2 : 1);
    done = DrawThemePart(Handle(), "button", C, 3, state, tb);
  }
  if (!done)
    C->DrawFrameControl(box, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_FLAT | DFCS_MONO | (checked ? DFCS_CHECKED : 0));
  P.L += 16;
}

// The picture, cut to the value column, its corner colour transparent.
void TInspectorBar::DrawPicture(TRowPaint& P) {
  TGraphic* g = P.Item->PictureValue()->Graphic();
  if (!g || g->Empty()) return;
  TBitmap tmp(std::max(0, std::min(P.Right - P.L, g->Width())), std::max(0, std::min(P.B - P.T, g->Height())));
  if (tmp.Width() > 0 && tmp.Height() > 0) {
    tmp.Canvas()->Draw(0, 0, g);
    tmp.SetTransparent(true);
    Surface()->Draw(P.L, P.T, &tmp);
  }
  P.L += g->Width();
}

// The value's text (a font row's name in its font), unless OnCustomEditDraw draws it; then the
// focus mark of a pressed check row.
void TInspectorBar::DrawValueText(TRowPaint& P) {
  TCanvas* C = Surface();
  TInspectorPanel* Panel = P.Panel;
  TInspectorItem* Item = P.Item;
  const TPropertyType type = Item->PropertyType();
  C->Font()->SetColor(Panel->EditFontColor());
  C->Brush()->SetStyle(bsClear);
  bool D = true;
  TRect valueRect(P.L, P.T, P.Right, P.B);
  if (type == ptCustom && OnCustomEditDraw) {
    D = false;
    OnCustomEditDraw(this, Item, C, valueRect, D);
  }
  if (type == ptButton) D = false;
  if (Item->Modified() && Panel->ShowModified()) C->SetFont(Panel->ModifiedFont());
  if (D) {
    const unsigned F = Panel->WordWrap() ? DT_WORDBREAK : (DT_END_ELLIPSIS | DT_SINGLELINE | DT_VCENTER);
    const unsigned f = (F & ~DT_VCENTER) | DT_NOPREFIX;
    if (type == ptFont) {
      std::string name = Item->FontValue()->Name();
      if (OnItemValue) OnItemValue(this, Panel, Item, name);
      C->SetFont(Item->FontValue());
      C->DrawText(name, valueRect, f | DT_END_ELLIPSIS);
    } else if (type != ptBoolean || checkTextShow_) {
      C->DrawText(P.Value, valueRect, f);
    }
  }
  if (type == ptBoolean && Item->Pressed() && Focused()) {
    const TSize s = C->TextExtent(Item->BoolValue() ? checkTrue_ : checkFalse_);
    C->DrawFocusRect(TRect(P.L, P.T, P.L + s.cx + 2, P.T + s.cy + 2));
  }
}

// ---------------------------------------------------------------- icon and button rows

// The row's picture: with AutoIcon the desktop's icon of its URL; else its own Icon (not with
// AutoIcon), else its Bitmap; a row with none of them and no AutoIcon shows its image of the
// bar's Images in the same place.
TInspectorBar::TRowPicture TInspectorBar::RowPicture(TInspectorPanel* Panel, TInspectorItem* Item, int AutoSize) {
  TRowPicture P;
  const bool bitmap = Item->Bitmap() && !Item->Bitmap()->Empty();
  // An AutoIcon row without a URL has no icon: its Bitmap is its picture.
  const bool autoIcon = Item->AutoIcon() && !Item->URL().empty();
  P.Own = autoIcon || bitmap || (!Item->AutoIcon() && Item->Icon() && !Item->Icon()->Empty());
  if (autoIcon) {
    if (TIcon* icon = Item->ShellIcon(AutoSize, Panel->Style() == psSmallIcon)) {
      P.Graphic = icon;
      P.Width = P.Height = AutoSize;
    }
    return P;
  }
  if (!Item->AutoIcon() && Item->Icon() && !Item->Icon()->Empty()) {
    P.Graphic = Item->Icon();
  } else if (bitmap) {
    P.Graphic = Item->Bitmap();
  } else if (images_ && Item->ImageIndex() >= 0 && !Item->AutoIcon()) {
    P.ImageIndex = Item->ImageIndex();
    P.Width = images_->Width();
    P.Height = images_->Height();
    return P;
  } else {
    return P;
  }
  P.Width = P.Graphic->Width();
  P.Height = P.Graphic->Height();
  return P;
}

void TInspectorBar::DrawRowPicture(const TRowPicture& P, const TRect& At) {
  TCanvas* C = Surface();
  if (P.Graphic) {
    if (auto* bmp = dynamic_cast<TBitmap*>(P.Graphic)) bmp->SetTransparent(true);
    if (At.Width() == P.Width && At.Height() == P.Height)
      C->Draw(At.Left, At.Top, P.Graphic);
    else
      C->StretchDraw(At, P.Graphic);
  } else if (P.ImageIndex >= 0 && images_) {
    images_->Draw(C, At.Left, At.Top, P.ImageIndex);
  }
}

// The hover frame of the icon styles over F: shown for a row whose ButtonDown is set, or while the
// mouse is inside F (less a pixel) when both hover colours are set and there is something to frame.
bool TInspectorBar::DrawHoverFrame(TInspectorPanel* Panel, TInspectorItem* Item, const TRect& F, bool Framable,
                                   TPoint Mouse) {
  if (ComponentState() & csDesigning) return false;
  TRect inner = F;
  InflateRect(inner, -1, -1);
  const bool hovered = Panel->HoverIconColor() != clNone && Panel->HoverIconDownColor() != clNone &&
                       Inside(Mouse, inner) && Framable;
  if (!Item->ButtonDown() && !hovered) return false;
  TCanvas* C = Surface();
  const bool down = mouse_.Down || Item->ButtonDown();
  const TRect frame(F.Left, F.Top, F.Right, F.Bottom + 1);
  TRect fill = frame;
  InflateRect(fill, -1, -1);
  C->Pen()->SetColor(Panel->HoverIconBorderColor() == clNone ? clBlack : Panel->HoverIconBorderColor());
  C->Pen()->SetWidth(1);
  auto solid = [&](TColor c) {
    C->Brush()->SetStyle(bsSolid);
    C->Brush()->SetColor(c);
    C->Rectangle(frame);
  };
  auto gradient = [&](TColor from, TColor to) {
    C->Brush()->SetStyle(bsClear);
    C->Rectangle(frame);
    DrawGradient(from, to, 128, false, fill);
  };
  if (Panel->ItemIndex() == Item->Index()) {
    if (Panel->SelectColorTo() != clNone)
      gradient(Panel->SelectDownColor(), Panel->SelectDownColorTo());
    else
      solid(down ? Panel->SelectDownColor() : Panel->SelectColor());
  } else if (Panel->HoverIconColorTo() != clNone) {
    if (down)
      gradient(Panel->SelectColor(), Panel->SelectColorTo());
    else
      gradient(Panel->HoverIconColor(), Panel->HoverIconColorTo());
  } else {
    solid(down ? Panel->HoverIconDownColor() : Panel->HoverIconColor());
  }
  C->Brush()->SetStyle(bsClear);
  framedItem_ = Item;
  return true;
}

// A button face: a top-to-bottom gradient, or one colour in a raised (or sunken) one-pixel frame.
void TInspectorBar::DrawIconFrame(const TRect& R, TColor From, TColor To, bool Sunken) {
  TCanvas* C = Surface();
  if (To != clNone) {
    DrawGradient(From, To, 128, false, R);
    return;
  }
  C->Brush()->SetStyle(bsSolid);
  C->Brush()->SetColor(From);
  C->FillRect(R);
  C->Brush()->SetStyle(bsClear);
  C->Pen()->SetWidth(1);
  C->Pen()->SetColor(Sunken ? clGray : clWhite);
  Line(C, R.Left, R.Bottom - 1, R.Left, R.Top);
  C->LineTo(R.Right - 1, R.Top);
  C->Pen()->SetColor(Sunken ? clWhite : clGray);
  C->LineTo(R.Right - 1, R.Bottom - 1);
  C->LineTo(R.Left, R.Bottom - 1);
}

// The caption of an icon row in its rectangle: markup, or text with the flags given; with
// HoverCaption underlined while the mouse is over the row.
void TInspectorBar::DrawIconCaption(TInspectorPanel* Panel, TInspectorItem* Item, const TRect& R, unsigned Flags,
                                    bool Over, TPoint Mouse) {
  TCanvas* C = Surface();
  C->SetFont(Panel->CaptionFont());
  if (Panel->HoverCaption() && Over) C->Font()->SetStyle(C->Font()->Style() | fsUnderline);
  C->Brush()->SetStyle(bsClear);
  TRect tr = R;
  if (IsHTML(Item->Caption()))
    Markup(C, Item->Caption(), tr, images_, false, Mouse, true, RowShadowOffset);
  else
    C->DrawText(Item->Caption(), tr, Flags);
  Item->captionRect_ = R;
}

namespace {
unsigned AlignmentFlags(TAlignment A) { return A == taCenter ? DT_CENTER : A == taRightJustify ? DT_RIGHT : DT_LEFT; }
}  // namespace

void TInspectorBar::DrawIconRow(TInspectorPanel* Panel, TInspectorItem* Item, const TRect& Rect) {
  switch (Panel->Style()) {
    case psLargeIcon: DrawLargeIconRow(Panel, Item, Rect); break;
    case psSmallIcon: DrawSmallIconRow(Panel, Item, Rect); break;
    default: DrawButtonRow(Panel, Item, Rect); break;
  }
}

// The picture above the caption, placed by the panel's Alignment and Indent.
void TInspectorBar::DrawLargeIconRow(TInspectorPanel* Panel, TInspectorItem* Item, const TRect& R) {
  const TPoint mouse = CursorInBar();
  const TRowPicture pic = RowPicture(Panel, Item, Panel->IconLargeSize());
  const int indent = Panel->Indent();
  int px;
  switch (Panel->Alignment()) {
    case taLeftJustify: px = R.Left + indent + 2; break;
    case taRightJustify: px = R.Right + indent - pic.Width - 2; break;
    default: px = R.Left + indent + (R.Width() - pic.Width) / 2; break;
  }
  const int py = R.Top + 2;
  const TRect picRect(px, py, px + pic.Width, py + pic.Height);
  TRect F = picRect;
  InflateRect(F, 2, 2);
  if (Panel->HoverFullWidth()) F = R;
  DrawHoverFrame(Panel, Item, F, pic.Own || Panel->HoverFullWidth(), mouse);
  DrawRowPicture(pic, picRect);
  // A row without AutoIcon shows its image of Images also over its own Icon or Bitmap.
  if (pic.Graphic && images_ && Item->ImageIndex() >= 0 && !Item->AutoIcon())
    images_->Draw(Surface(), picRect.Left, picRect.Top, Item->ImageIndex());
  const TRect cap(R.Left, pic.Shown() ? picRect.Bottom + 2 : R.Top + 2, R.Right, R.Bottom);
  const unsigned F0 = Panel->WordWrap() ? DT_WORDBREAK : (DT_END_ELLIPSIS | DT_SINGLELINE);
  DrawIconCaption(Panel, Item, cap, F0 | DT_NOPREFIX | AlignmentFlags(Panel->Alignment()), Inside(mouse, R), mouse);
}

// Picture and caption on one line, the pair placed by the panel's Alignment, the row shifted by
// its Indent; the picture before the caption or, with ImageAlign iaRight, after it.
void TInspectorBar::DrawSmallIconRow(TInspectorPanel* Panel, TInspectorItem* Item, const TRect& Rect) {
  TCanvas* C = Surface();
  const TPoint mouse = CursorInBar();
  TRect R = Rect;
  R.Left += Panel->Indent();
  const TRowPicture pic = RowPicture(Panel, Item, 16);
  C->SetFont(Panel->CaptionFont());
  int measured;
  if (IsHTML(Item->Caption())) {
    measured = InspDraw::MarkupWidth(C, Item->Caption(), R, images_);
  } else {
    TRect calc(0, 0, std::max(0, R.Width()), 0);
    C->DrawText(Item->Caption(), calc, DT_CALCRECT | DT_NOPREFIX | DT_SINGLELINE);
    measured = calc.Width();
  }
  const int cw = std::clamp(measured, 0, std::max(0, R.Width() - 24));
  int sx;
  switch (Panel->Alignment()) {
    case taLeftJustify: sx = R.Left + 4; break;
    case taRightJustify: sx = R.Right - 16 - cw - 4; break;
    default: sx = R.Left + (R.Width() - cw) / 2 - 6; break;
  }
  const int mid = (R.Top + R.Bottom) / 2;
  const int slot = Panel->ImageAlign() == iaRight ? sx + cw + 4 : sx;
  const int cx = Panel->ImageAlign() == iaRight ? sx : sx + 20;
  TRect F(slot - 2, mid - 9, slot + 18, mid + 7);
  if (Panel->HoverFullWidth()) {
    F.Left = R.Left;
    F.Right = R.Right;
  }
  DrawHoverFrame(Panel, Item, F, pic.Own || Panel->HoverFullWidth(), mouse);
  if (pic.Shown()) DrawRowPicture(pic, TRect(slot, mid - 8, slot + 16, mid + 8));
  const TRect cap(cx, R.Top, std::min(R.Right, cx + cw + 1), R.Bottom);
  DrawIconCaption(Panel, Item, cap,
                  DT_NOPREFIX | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | AlignmentFlags(Panel->Alignment()),
                  Inside(mouse, Rect), mouse);
}

// A button face while hovered, held or down, then image and caption moved 2 pixels into it.
void TInspectorBar::DrawButtonRow(TInspectorPanel* Panel, TInspectorItem* Item, const TRect& Rect) {
  TCanvas* C = Surface();
  const TPoint mouse = CursorInBar();
  TRect R = Rect;
  InflateRect(R, -1, -1);
  const bool over = Inside(mouse, R);
  if (over || Item->ButtonDown()) {
    const bool held = mouse_.Down;
    // A face without its state's own colours takes the panel's colour.
    TColor from = Panel->Color(), to = clNone;
    if (held) {
      if (Panel->SelectDownColorTo() != clNone) {
        from = Panel->SelectDownColorTo();
        to = Panel->SelectDownColor();
      } else if (Panel->SelectDownColor() != clNone) {
        from = Panel->SelectDownColor();
      }
    } else if (Item->ButtonDown()) {
      if (Panel->SelectDownColor() != clNone) {
        from = Panel->SelectDownColor();
        to = Panel->SelectDownColorTo();
      }
    } else if (Panel->HoverIconColor() != clNone) {
      from = Panel->HoverIconColor();
      to = Panel->HoverIconColorTo();
    }
    DrawIconFrame(R, from, to, mouse_.Down || Item->ButtonDown());
  }
  OffsetRect(R, 2, 2);
  if (images_ && Item->ImageIndex() >= 0) {
    images_->Draw(C, R.Left, R.Top + (R.Height() - images_->Height()) / 2, Item->ImageIndex());
    R.Left += images_->Width() + 4;
  }
  C->SetFont(Panel->Font());
  if (Item->ButtonDown()) C->Font()->SetColor(Panel->SelectFontColor());
  C->Brush()->SetStyle(bsClear);
  TRect tr = R;
  if (IsHTML(Item->Caption()))
    Markup(C, Item->Caption(), tr, images_, false, mouse, true, RowShadowOffset);
  else
    C->DrawText(Item->Caption(), tr,
                DT_NOPREFIX | DT_END_ELLIPSIS | DT_SINGLELINE | DT_VCENTER | AlignmentFlags(Panel->Alignment()));
  Item->captionRect_ = R;
}

void TInspectorBar::ForgetFramed(TInspectorItem* Item) {
  if (!Item || framedItem_ == Item) framedItem_ = nullptr;
}
