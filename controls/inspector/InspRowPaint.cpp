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
  if (Item->PropertyType() == ptPassword) V.assign(V.size(), '*');
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
  if (Item->ChildCount() > 0) DrawNodeGlyph(L - 16, T, Item->Collapsed());

  C->SetFont(P.Panel->CaptionFont());
  C->Brush()->SetStyle(bsClear);
  const TRect captionCell(L, T, R0.Left + P.Panel->CaptionWidth(), R0.Bottom);
  if (IsHTML(Item->Caption())) {
    Item->SetHoverAnchor("");
    C->SetClipRect(captionCell);
    Item->SetHoverAnchor(Markup(C, Item->Caption(), captionCell, images_, true, P.Mouse, true));
    Markup(C, Item->Caption(), captionCell, images_, false, P.Mouse, true);
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

// Rows of the icon and button styles: picture and caption, with the hover and pressed face.
void TInspectorBar::DrawIconRow(TInspectorPanel* Panel, TInspectorItem* Item, const TRect& Rect) {
  TCanvas* C = Surface();
  TRect R = Rect;
  const TPoint mouse = CursorInBar();
  const bool hover = Inside(mouse, R) || Item->ButtonDown();
  if (Panel->Style() == psButtons) {
    InflateRect(R, -1, -1);
    if (hover) {
      const bool sunken = mouse_.Down || Item->ButtonDown();
      const TColor c = Item->ButtonDown() && Panel->SelectDownColor() != clNone ? Panel->SelectDownColor()
                       : Panel->HoverIconColor() != clNone                      ? Panel->HoverIconColor()
                                                                                : Panel->Color();
      C->Brush()->SetStyle(bsSolid);
      C->Brush()->SetColor(c);
      C->FillRect(R);
      C->Pen()->SetColor(sunken ? clGray : clWhite);
      Line(C, R.Left, R.Bottom - 1, R.Left, R.Top);
      C->LineTo(R.Right - 1, R.Top);
      C->Pen()->SetColor(sunken ? clWhite : clGray);
      C->LineTo(R.Right - 1, R.Bottom - 1);
      C->LineTo(R.Left, R.Bottom - 1);
      C->Brush()->SetStyle(bsClear);
    }
    OffsetRect(R, 2, 2);
  }
  int x = R.Left + 2;
  const bool large = Panel->Style() == psLargeIcon;
  if (TIcon* shell = Panel->Style() == psButtons ? nullptr : Item->ShellIcon(large ? Panel->IconLargeSize() : 16)) {
    const int s = shell->Width();
    const int iy = large ? R.Top + 2 : R.Top + (R.Height() - s) / 2;
    const int ix = large ? R.Left + (R.Width() - s) / 2 : x;
    C->Draw(ix, iy, shell);
    if (!large) x += s + 4;
    else R.Top = iy + s + 2;
  } else if (images_ && Item->ImageIndex() >= 0 && !Item->AutoIcon()) {
    const int iy = Panel->Style() == psLargeIcon ? R.Top + 2 : R.Top + (R.Height() - images_->Height()) / 2;
    const int ix = Panel->Style() == psLargeIcon ? R.Left + (R.Width() - images_->Width()) / 2 : x;
    images_->Draw(C, ix, iy, Item->ImageIndex());
    if (Panel->Style() != psLargeIcon) x += images_->Width() + 4;
    else R.Top = iy + images_->Height() + 2;
  }
  C->SetFont(Panel->Style() == psButtons ? Panel->Font() : Panel->CaptionFont());
  if (Item->ButtonDown() && Panel->Style() == psButtons) C->Font()->SetColor(Panel->SelectFontColor());
  C->Brush()->SetStyle(bsClear);
  TRect tr(x, R.Top, R.Right, R.Bottom);
  unsigned f = DT_NOPREFIX | DT_END_ELLIPSIS | (Panel->Style() == psLargeIcon ? DT_WORDBREAK : DT_SINGLELINE | DT_VCENTER);
  if (Panel->Alignment() == taCenter) f |= DT_CENTER;
  if (Panel->Alignment() == taRightJustify) f |= DT_RIGHT;
  if (IsHTML(Item->Caption()))
    Markup(C, Item->Caption(), tr, images_, false, mouse, Panel->Style() == psLargeIcon);
  else
    C->DrawText(Item->Caption(), tr, f);
  Item->captionRect_ = tr;
}
