#include "controls/instrument/InstEdit.h"

#include "controls/instrument/InstSysUtils.h"
#include "platform/rtl/OemCodePage.h"

#include "platform/gui/Forms.h"
#include "platform/gui/Windows.h"
#include "platform/rtl/SysUtils.h"

// ---- TInstCustomEdit

TInstCustomEdit::TInstCustomEdit(TComponent* AOwner) : TCustomEdit(AOwner) {
  SetControlStyle(ControlStyle() & ~csSetCaption);
  SetColor(clBlack);
  Font()->SetColor(clLime);
  SetAlignment(taLeftJustify);
  SetOwnFrameWidth(2);
}

void TInstCustomEdit::SetCtl3D(bool V) {
  if (V == FCtl3D) return;
  FCtl3D = V;
  SetOwnFrameWidth(V ? 2 : 1);
}

void TInstCustomEdit::PaintOver(TCanvas* Canvas) {
  TCustomEdit::PaintOver(Canvas);
  if (BorderStyle() == bsNone) return;
  TRect r = ClientRect();
  if (FCtl3D) {
    DrawFrame3D(Canvas, r, clBtnShadow, clBtnHighlight, 1);
    DrawFrame3D(Canvas, r, cl3DDkShadow, cl3DLight, 1);
  } else {
    DrawFrame3D(Canvas, r, clWindowFrame, clWindowFrame, 1);
  }
}

void TInstCustomEdit::InsertText(const std::string& s) {
  // As if the text had been stored in the OEM set and read back.
  TCustomEdit::InsertText(FOEMConvert ? OemRoundTrip(s) : s);
}

// ---- TInstNumEdit

TInstNumEdit::TInstNumEdit(TComponent* AOwner) : TInstCustomEdit(AOwner) {}

void TInstNumEdit::Loaded() { TInstCustomEdit::Loaded(); }

void TInstNumEdit::SetMinValue(double V) {
  if (V == FMinValue || !(V < FMaxValue)) return;
  FMinValue = V;
  CheckValue();
}

void TInstNumEdit::SetMaxValue(double V) {
  if (V == FMaxValue || !(V > FMinValue)) return;
  FMaxValue = V;
  CheckValue();
}

void TInstNumEdit::SetDecimals(int V) {
  if (V == FDecimals) return;
  FDecimals = V < 0 ? 0 : V;
  CheckValue();
}

double TInstNumEdit::Value() {
  const std::string t = Text();
  if (t.empty()) return FMinValue;
  return StrToFloat(t);
}

void TInstNumEdit::SetValue(double V) {
  SetText(FloatToStr(V));
  CheckValue();
}

void TInstNumEdit::CheckValue() {
  const std::string t = Trim(Text());
  if (t.empty()) return;
  double v = 0;
  if (TryStrToFloat(t, v) && FMinValue <= v && v <= FMaxValue) {
    SetText(FloatToStrF(v, ffFixed, 18, FDecimals));
    return;
  }
  bool canExit = true;
  if (OnError) OnError(this, canExit);
  if (!canExit && CanFocus()) SetFocus();
}

void TInstNumEdit::DoEnter() {
  TInstCustomEdit::DoEnter();
  if (AutoSelect() && !mouseEntry_) SelectAll();
  FSavedText = Text();
}

void TInstNumEdit::DoExit() {
  TInstCustomEdit::DoExit();
  // Left only because the focus goes back to a field that refused to be left: the
  // user never chose to leave this one, and a second refusal would bounce the focus.
  if (TCustomForm* f = GetParentForm(this); f && f->ReturningFocus()) return;
  CheckValue();
}

void TInstNumEdit::KeyPress(char& Key) {
  const char sep = FormatSettings.DecimalSeparator;
  if (Key == 27 && FRestoreOnEsc) {
    SetText(FSavedText);
    Key = 0;
    return;
  }
  const bool digit = Key >= '0' && Key <= '9';
  if (!(Key == 8 || Key == '-' || digit || Key == sep)) {
    Key = 0;
    return;
  }
  if (Key == '-') {
    Key = 0;
    // A read-only field keeps its text; a full one still takes the sign, as the length
    // limit bounds typing only.
    if (ReadOnly()) return;
    std::string t = Text();
    const int caret = SelStart();
    if (t.find('-') != std::string::npos) {
      t.erase(0, 1);
      SetText(t);
      SetSelStart(caret > 0 ? caret - 1 : 0);
    } else {
      SetText("-" + t);
      SetSelStart(caret + 1);
    }
    return;
  }
  if (Key == sep && (FDecimals == 0 || Text().find(sep) != std::string::npos)) {
    Key = 0;
    return;
  }
  TInstCustomEdit::KeyPress(Key);
}
