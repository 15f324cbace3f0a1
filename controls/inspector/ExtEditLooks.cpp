// The typed edit's looks: focus, error and modified colours, the caption
// label, the flat and focus-border drawing, the empty text, the error marker,
// the link look and its click, and the mouse (drag out, hover).
#include <algorithm>

#include "controls/inspector/ExtEdit.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Windows.h"
#include "platform/rtl/SysUtils.h"

using namespace ExtEditRules;

namespace {
TAlignment AlignmentOf(TEditAlign a) {
  return a == eaRight ? taRightJustify : a == eaCenter ? taCenter : taLeftJustify;
}
}  // namespace

// ---------------------------------------------------------------- colours
void TExtEdit::SetColorInternal(TColor v) {
  settingColor_ = true;
  SetColor(v);
  settingColor_ = false;
}

void TExtEdit::SetEditColor(TColor v) {
  normalColor_ = v;
  SetColorInternal(v);
}

void TExtEdit::CMColorChanged(TMessage& Message) {
  if (!settingColor_) normalColor_ = Color();
  TCustomEdit::CMColorChanged(Message);
}

void TExtEdit::SetFontColor(TColor v) {
  if (v != clNone) Font()->SetColor(v);
}

void TExtEdit::SetError(bool v) {
  if ((ComponentState() & (csDesigning | csLoading)) || v == error_) return;
  error_ = v;
  if (!showError_) return;
  if (v) {
    SetColorInternal(ErrorColor);
    SetFontColor(ErrorFontColor);
  } else if (!Focused()) {
    SetColorInternal(normalColor_);
    SetFontColor(normalFontColor_);
  } else {
    if (focusColor_ != clNone) SetColorInternal(focusColor_);
    SetFontColor(FocusFontColor);
  }
}

void TExtEdit::SetEnabled(bool v) {
  if (v == Enabled()) return;
  if (!v) {
    normalColor_ = Color();
    TCustomEdit::SetEnabled(false);
    SetColorInternal(disabledColor_);
  } else {
    TCustomEdit::SetEnabled(true);
    SetColorInternal(normalColor_);
  }
  if (label_ && !labelAlwaysEnabled_) label_->SetEnabled(v);
}

void TExtEdit::SetDisabledColor(TColor v) {
  disabledColor_ = v;
  if (!Enabled()) SetColorInternal(v);
}

// ---------------------------------------------------------------- focus
void TExtEdit::ApplyAlign(TEditAlign v) { SetAlignment(AlignmentOf(v)); }

void TExtEdit::SetEditAlign(TEditAlign v) {
  editAlign_ = v;
  if (!focusAligned_) ApplyAlign(v);
}

void TExtEdit::DoEnter() {
  if (ComponentState() & csLoading) return TWinControl::DoEnter();
  focusText_ = text_;
  if (focusColor_ != clNone) SetColorInternal(focusColor_);
  if (!error_ && !ShowModified) {
    normalFontColor_ = Font()->Color();
    if (FocusFontColor != clNone && !urlLook_) SetFontColor(FocusFontColor);
  }
  if (autoSelect_ && !mouseEntry_) {
    SelectValue();
  } else if (!autoSelect_ && (editType_ == etFloat || editType_ == etMoney)) {
    TValueState s = State();
    size_t d = s.Value.find(FormatSettings.DecimalSeparator);
    int at = s.PrefixLen + (d == std::string::npos ? 0 : static_cast<int>(d));
    SetSel(at, at);
    PushToPeer();
  }
  mouseEntry_ = false;
  labelBold_ = FocusLabel;
  ApplyLabelFont();
  if (FocusWidthInc && !widened_) {
    widened_ = true;
    SetWidth(Width() + FocusWidthInc);
  }
  if (focusAlign_ != eaDefault) {
    focusAligned_ = true;
    savedAlign_ = editAlign_;
    ApplyAlign(focusAlign_);
  }
  if (!emptyText_.empty() || focusBorder_ || focusBorderColor_ != clNone) Invalidate();
  TWinControl::DoEnter();
}

void TExtEdit::DoExit() {
  if (lookupWindow_ && !(lookupWindow_->ListControl && lookupWindow_->ListControl->Focused())) HideLookup();
  if (!error_) SetColorInternal(normalColor_);
  if (!error_ && !ShowModified && !urlLook_) SetFontColor(normalFontColor_);
  labelBold_ = false;
  ApplyLabelFont();
  if (editType_ == etFloat || editType_ == etMoney) {
    if (Text().empty()) SetNumberValue(0);
    if (precision_ > 0) {
      const bool modified = isModified_;
      SetNumberValue(NumberValue());
      MarkModified(modified);
    }
  } else if (editType_ == etNumeric && Text().empty()) {
    SetText("0");
  }
  IsValueValid(Text());
  if (widened_) {
    widened_ = false;
    SetWidth(Width() - FocusWidthInc);
  }
  if (focusAligned_) {
    focusAligned_ = false;
    ApplyAlign(savedAlign_);
  }
  if (lookup_->Enabled && lookup_->History) {
    std::string t = Trim(Text());
    if (!t.empty() && lookup_->DisplayList()->IndexOf(t) < 0) lookup_->DisplayList()->Add(t);
  }
  Invalidate();
  TCustomEdit::DoExit();
}

// ---------------------------------------------------------------- link look
void TExtEdit::SetShowURL(bool v) {
  if (v == showURL_) return;
  showURL_ = v;
  UpdateURL();
}

void TExtEdit::UpdateURL() {
  const bool link = showURL_ && LooksLikeLink(Text());
  if (link == urlLook_) return;
  urlLook_ = link;
  if (link) {
    Font()->SetStyle(Font()->Style() | fsUnderline);
    SetFontColor(URLColor);
    SetCursor(crHandPoint);
  } else {
    Font()->SetStyle(Font()->Style() & ~fsUnderline);
    SetFontColor(normalFontColor_);
    SetCursor(crDefault);
  }
  Invalidate();
}

// ---------------------------------------------------------------- label
void TExtEdit::SetLabelCaption(const std::string& v) {
  labelCaption_ = v;
  if (!label_) {
    label_ = new TLabel(Owner());
    label_->FreeNotification(this);
    label_->SetFocusControl(this);
    label_->OnClick = [this](TObject*) { if (OnLabelClick) OnLabelClick(this); };
    label_->OnDblClick = [this](TObject*) { if (OnLabelDblClick) OnLabelDblClick(this); };
    label_->SetParent(Parent());
    label_->SetVisible(Visible());
    label_->SetEnabled(Enabled() || labelAlwaysEnabled_);
    labelParentFont_ = ParentFont();
    ApplyLabelFont();
  }
  label_->SetCaption(v);
  PlaceLabel();
}

void TExtEdit::SetLabelPosition(TLabelPosition v) { labelPosition_ = v; PlaceLabel(); }
void TExtEdit::SetLabelMargin(int v) { labelMargin_ = v; PlaceLabel(); }
void TExtEdit::SetLabelTransparent(bool v) {
  labelTransparent_ = v;
  if (label_) label_->SetTransparent(v);
  PlaceLabel();
}
void TExtEdit::SetLabelAlwaysEnabled(bool v) {
  labelAlwaysEnabled_ = v;
  if (label_) label_->SetEnabled(Enabled() || v);
}

void TExtEdit::CMParentFontChanged(TMessage& Message) {
  TCustomEdit::CMParentFontChanged(Message);
  if (!ParentFont()) return;
  labelParentFont_ = true;
  ApplyLabelFont();
}

// The parent's font when the edit took it as the label came (or took it again since), else
// LabelFont; bold while the focus holds it with FocusLabel.
void TExtEdit::ApplyLabelFont() {
  if (!label_) return;
  if (labelParentFont_) label_->SetParentFont(true);
  else label_->Font()->Assign(labelFont_.get());
  if (labelBold_) label_->Font()->SetStyle(label_->Font()->Style() | fsBold);
}

void TExtEdit::PlaceLabel() {
  if (!label_) return;
  const int L = Left(), T = Top(), W = Width(), H = Height(), LH = label_->Height(), LW = label_->Width(),
            M = labelMargin_;
  int x = L, y = T;
  switch (labelPosition_) {
    case lpLeftTop: x = L - LW - M; y = T; break;
    case lpLeftCenter: x = L - LW - M; y = T + (H - LH) / 2; break;
    case lpLeftBottom: x = L - LW - M; y = T + H - LH; break;
    case lpTopLeft: x = L; y = T - LH - M; break;
    case lpBottomLeft: x = L; y = T + H + M; break;
    case lpLeftTopLeft: x = L - M; y = T; break;
    case lpLeftCenterLeft: x = L - M; y = T + (H - LH) / 2; break;
    case lpLeftBottomLeft: x = L - M; y = T + H - LH; break;
    case lpTopCenter: x = L + (W - LW) / 2; y = T - LH - M; break;
    case lpBottomCenter: x = L + (W - LW) / 2; y = T + H + M; break;
  }
  label_->SetBounds(x, y, LW, LH);
}

void TExtEdit::SetParent(TWinControl* AParent) {
  TCustomEdit::SetParent(AParent);
  if (label_) {
    label_->SetParent(AParent);
    PlaceLabel();
  }
}

void TExtEdit::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  TCustomEdit::SetBounds(ALeft, ATop, AWidth, AHeight);
  PlaceLabel();
}

void TExtEdit::SetHeight(int v) {
  if (ComponentState() & csLoading) designHeight_ = v;
  TCustomEdit::SetHeight(v);
}

void TExtEdit::SetVisible(bool v) {
  TCustomEdit::SetVisible(v);
  if (label_) label_->SetVisible(v);
}

void TExtEdit::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomEdit::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == label_) label_ = nullptr;
}

// ---------------------------------------------------------------- flat and borders
void TExtEdit::SetFlat(bool v) {
  if (v == flat_) return;
  flat_ = v;
  if (!(ComponentState() & csLoading)) ApplyFlat();
}

void TExtEdit::ApplyFlat() {
  if (flat_) {
    normalColor_ = Color();
    SetBorderStyle(bsNone);
    SetTextMargins(2, 4, 2, 4);
    if (FlatParentColor && Parent()) {
      SetColorInternal(Parent()->Color());
      focusColor_ = Parent()->Color();
    }
  } else {
    SetColorInternal(normalColor_);
    SetBorderStyle(normalBorder_);
    SetTextMargins(0, 0, 0, 0);
  }
  Invalidate();
}

void TExtEdit::SetFlatLineColor(TColor v) { flatLineColor_ = v; Invalidate(); }
void TExtEdit::SetSoftBorder(bool v) { softBorder_ = v; Invalidate(); }
void TExtEdit::SetFocusBorder(bool v) { focusBorder_ = v; Invalidate(); }
void TExtEdit::SetFocusBorderColor(TColor v) { focusBorderColor_ = v; Invalidate(); }
void TExtEdit::SetTransparent(bool v) {
  transparent_ = v;
  SetTransparentBackground(v);
  Invalidate();
}
void TExtEdit::SetEmptyText(const std::string& v) { emptyText_ = v; Invalidate(); }
void TExtEdit::SetErrorMarkerPos(int v) { errorMarkerPos_ = v; Invalidate(); }
void TExtEdit::SetErrorMarkerLen(int v) { errorMarkerLen_ = v; Invalidate(); }

void TExtEdit::Loaded() {
  TCustomEdit::Loaded();
  if (ComponentState() & csDesigning) return;
  normalColor_ = Color();
  normalFontColor_ = Font()->Color();
  normalBorder_ = BorderStyle();
  if (flat_) ApplyFlat();
  PlaceLabel();
  if (!Enabled()) SetColorInternal(disabledColor_);
  if (designHeight_ >= 0) TCustomEdit::SetHeight(designHeight_);
  LoadPersistence();
}

void TExtEdit::PaintOver(TCanvas* C) {
  const int w = Width(), h = Height();
  const bool focused = Focused();
  auto frame = [&](TRect r, TColor c) {
    C->Brush()->SetStyle(bsSolid);
    C->Brush()->SetColor(c);
    C->FrameRect(r);
  };
  if (flat_ && !focusBorder_) {
    C->Pen()->SetColor(flatLineColor_);
    C->Pen()->SetWidth(1);
    if (softBorder_) {
      frame(TRect(0, 0, w, h), flatLineColor_);
    } else {
      C->MoveTo(0, h - 1);
      C->LineTo(w, h - 1);
    }
  }
  if (focusBorderColor_ != clNone) {
    if (focused) frame(TRect(0, 0, w, h), focusBorderColor_);
  } else if (focusBorder_) {
    if (hovered_ || focused) {
      C->Pen()->SetColor(clBtnShadow);
      C->MoveTo(0, h - 1); C->LineTo(0, 0); C->LineTo(w - 1, 0);
      C->Pen()->SetColor(clBtnHighlight);
      C->LineTo(w - 1, h - 1); C->LineTo(0, h - 1);
      frame(TRect(1, 1, w - 1, h - 1), clBtnFace);
    } else {
      TColor pc = Parent() ? Parent()->Color() : clBtnFace;
      frame(TRect(0, 0, w, h), pc);
      frame(TRect(1, 1, w - 1, h - 1), pc);
    }
  }
  if (dropCaret_ >= 0) {
    TPoint p = PosFromChar(dropCaret_);
    const int th = C->TextHeight("Ag");
    C->Pen()->SetColor(Font()->Color());
    C->MoveTo(p.X, p.Y);
    C->LineTo(p.X, p.Y + th);
  }
  if (text_.empty() && !focused && !emptyText_.empty()) {
    C->Brush()->SetStyle(bsClear);
    C->Font()->SetColor(clGray);
    C->TextOut(2, 2, emptyText_);
  }
  if (!focused && errorMarkerLen_ >= 1) {
    const int from = PosFromChar(errorMarkerPos_).X, to = PosFromChar(errorMarkerPos_ + errorMarkerLen_).X;
    const int base = PosFromChar(0).Y + C->GetTextMetrics().Ascent;
    std::vector<TPoint> zig;
    for (int x = from, k = 0; x <= std::max(from, to); x += 3, ++k) zig.emplace_back(x, base + (k % 2 ? 0 : 3));
    C->Pen()->SetColor(clRed);
    C->Pen()->SetWidth(2);
    if (zig.size() >= 2) C->Polyline(zig);
    C->Pen()->SetWidth(1);
  }
}

// ---------------------------------------------------------------- mouse
void TExtEdit::CMMouseEnter(TMessage& Message) {
  TCustomEdit::CMMouseEnter(Message);
  hovered_ = true;
  if (AutoFocus && !(ComponentState() & csDesigning) && CanFocus() && !Focused()) SetFocus();
  if (focusBorder_) Invalidate();
}

void TExtEdit::CMMouseLeave(TMessage& Message) {
  TCustomEdit::CMMouseLeave(Message);
  hovered_ = false;
  if (focusBorder_) Invalidate();
}

void TExtEdit::CMHintShow(TMessage& Message) {
  auto* info = reinterpret_cast<THintInfo*>(Message.LParam);
  if (HintShowLargeText && info) {
    if (PosFromChar(static_cast<int>(text_.size())).X > ClientWidth() - 2) {
      info->HintStr = Text();
      info->HintPos = ClientToScreen(TPoint(0, 0));
    }
  }
  TCustomEdit::CMHintShow(Message);
}

void TExtEdit::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TCustomEdit::MouseUp(Button, Shift, X, Y);
  if (Button != mbLeft || !urlLook_ || !Focused()) return;
  bool show = true;
  std::string value = Text();
  if (OnURLClick) OnURLClick(this, value, show);
  if (!show) return;
  // Only web and mail addresses are opened; a path or a program never is.
  const std::string address = LinkAddress(value);
  if (!address.empty()) ShellExecute(nullptr, "open", address, "", "", SW_SHOWNORMAL);
}
