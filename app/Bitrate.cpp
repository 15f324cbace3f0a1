#include "app/Bitrate.h"

#include <algorithm>
#include <cmath>

#include "app/Main.h"
#include "controls/instrument/InstEdit.h"
#include "platform/rtl/SysUtils.h"

TfrmBitrate* frmBitrate = nullptr;

namespace {
constexpr int LowestKHz = 1, HighestKHz = 400;
}

TfrmBitrate::TfrmBitrate(TComponent* AOwner) : TForm(AOwner) {
  BeginLoading();
  SetName("frmBitrate");
  SetCaption("I\xC2\xB2" "C Frequency");
  SetFormStyle(fsStayOnTop);
  SetBorderStyle(bsDialog);
  SetBorderIcons(0);
  SetHelpContext(70);
  SetPosition(poScreenCenter);
  Font()->SetName("Tahoma");
  SetBounds(0, 0, 222, 163);
  SetClientSize(214, 136);

  pnlBitrate = new TPanel(this);
  pnlBitrate->SetName("pnlBitrate");
  pnlBitrate->SetParent(this);
  pnlBitrate->SetBounds(8, 8, 198, 84);
  pnlBitrate->SetBevelInner(bvRaised);
  pnlBitrate->SetBevelOuter(bvLowered);
  pnlBitrate->SetCaption("");
  pnlBitrate->SetHint("Click on up/down arrows to increase/decrease frequency");
  pnlBitrate->SetShowHint(true);

  edtFrequency = new TInstNumEdit(this);
  edtFrequency->SetName("edtFrequency");
  edtFrequency->SetParent(pnlBitrate);
  edtFrequency->SetBounds(40, 14, 64, 26);
  edtFrequency->SetMaxLength(3);
  edtFrequency->SetAlignment(taRightJustify);
  edtFrequency->Font()->SetName("Tahoma");
  edtFrequency->Font()->SetHeight(-16);
  edtFrequency->Font()->SetColor(clLime);
  edtFrequency->SetMinValue(LowestKHz);
  edtFrequency->SetMaxValue(HighestKHz);
  edtFrequency->SetValue(100);

  lblFrequency = new TLabel(this);
  lblFrequency->SetName("lblFrequency");
  lblFrequency->SetParent(pnlBitrate);
  lblFrequency->SetBounds(112, 20, 30, 16);
  lblFrequency->SetCaption("KHz");

  lblMax = new TLabel(this);
  lblMax->SetName("lblMax");
  lblMax->SetParent(pnlBitrate);
  lblMax->SetBounds(40, 54, 150, 16);
  lblMax->SetCaption("");

  btnOK = new TBitBtn(this);
  btnOK->SetName("btnOK");
  btnOK->SetParent(this);
  btnOK->SetBounds(70, 102, 75, 25);
  btnOK->SetCaption("OK");
  btnOK->SetDefault(true);
  btnOK->SetModalResult(mrOk);
  btnOK->OnClick = [this](TObject* s) { btnOKClick(s); };

  OnShow = [this](TObject* s) { FormShow(s); };
  OnDestroy = [this](TObject* s) { FormDestroy(s); };
  SetActiveControl(edtFrequency);
  EndLoading();
}

TfrmBitrate::~TfrmBitrate() {
  if (frmBitrate == this) frmBitrate = nullptr;
}

void TfrmBitrate::FormShow(TObject*) {
  if (!frmMain) return;
  const TI2CBus& bus = frmMain->Bus();
  lblMax->SetCaption("Max Clock = " + IntToStr(bus.MaxClock) + " KHz");
  // The edit refuses what lies outside its range: a clock above it (a fast
  // calibration line) is shown at the range's end, never as a value OK refuses.
  edtFrequency->SetValue(std::clamp<int32_t>(bus.Clock, LowestKHz, HighestKHz));
}

void TfrmBitrate::btnOKClick(TObject*) {
  // A value the edit has not checked yet (OK by the keyboard) is checked now.
  // An emptied field would read as the edit's minimum, 1 KHz: it is refused like 0.
  double v = LowestKHz - 1;
  try {
    if (!Trim(edtFrequency->Text()).empty()) v = edtFrequency->Value();
  } catch (const Exception&) {
    v = LowestKHz - 1;
  }
  if (v < LowestKHz || v > HighestKHz) {
    SetModalResult(mrNone);
    MessageDlg("Please enter a frequency between 1 and 400 KHz", mtWarning, mbOK, 0);
    edtFrequency->SetFocus();
    return;
  }
  if (frmMain) frmMain->Bus().SetFrequency(static_cast<int32_t>(std::nearbyint(v)));
  Release();
}

void TfrmBitrate::FormDestroy(TObject*) {
  if (frmBitrate == this) frmBitrate = nullptr;
}

void TfrmMain::BitRateClick(TObject*) {
  if (!frmBitrate) Application->CreateForm(frmBitrate);
  frmBitrate->ShowModal();
}
