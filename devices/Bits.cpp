#include "devices/Bits.h"

#include "devices/Longi2c.h"
#include "platform/rtl/SysUtils.h"

TfrmBits* frmBits = nullptr;

TfrmBits::TfrmBits(TComponent* AOwner) : TRegisterToolForm(AOwner, "frmBits") {
  BeginLoading();
  SetClientSize(146, 74);
  SetHint("Click on bits to toggle value");
  SetShowHint(true);
  for (int k = 7; k >= 0; --k) {
    auto* e = new TEdit(this);
    e->SetName("edtDigit" + IntToStr(k));
    e->SetParent(this);
    e->SetBounds(6 + (7 - k) * 17, 8, 16, 21);
    e->SetMaxLength(1);
    e->SetReadOnly(true);
    e->SetCursor(crArrow);
    e->SetTag(k);
    e->SetText("1");
    e->OnClick = [this](TObject* s) { edtDigitClick(s); };
    e->OnChange = [this](TObject* s) { edtDigitChange(s); };
    edtDigit[static_cast<size_t>(k)] = e;
  }
  chbBitsUpdate = MakeSwitch("chbBitsUpdate", "Send I\xC2\xB2" "C message when value changed", 8, 34);
  lblRegName = MakeNameBar();
  EndLoading();
}

void TfrmBits::SetRegisterName(const std::string& Description) { lblRegName->SetCaption(Description); }

TfrmBits::~TfrmBits() {
  if (frmBits == this) frmBits = nullptr;
}

uint8_t TfrmBits::BitsValue() const {
  unsigned v = 0;
  for (int k = 0; k < 8; ++k)
    if (edtDigit[static_cast<size_t>(k)]->Text() == "1") v |= 1u << k;
  return static_cast<uint8_t>(v);
}

void TfrmBits::ShowValue(uint8_t Value) {
  for (int k = 0; k < 8; ++k) edtDigit[static_cast<size_t>(k)]->SetText((Value >> k) & 1 ? "1" : "0");
}

void TfrmBits::edtDigitClick(TObject* Sender) {
  auto* e = dynamic_cast<TEdit*>(Sender);
  if (!e || Showing()) return;
  e->SetText(e->Text() == "0" ? "1" : "0");
}

void TfrmBits::edtDigitChange(TObject*) {
  if (Showing()) return;
  ValueChanged(BitsValue());
}

void TfrmLongI2C::mnuBitWiseClick(TObject*) { OpenRegisterTool(frmBits); }
