#include "devices/RegisterTool.h"

#include <algorithm>

#include "app/bus/ByteText.h"
#include "app/bus/MainHost.h"
#include "controls/instrument/InstCheckLed.h"
#include "devices/Longi2c.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/rtl/SysUtils.h"

TRegisterToolForm::TRegisterToolForm(TComponent* AOwner, const std::string& Name) : TForm(AOwner) {
  // Any number of each kind may be open: only the first of a kind takes the layout's name.
  if (!AOwner || !AOwner->FindComponent(Name)) SetName(Name);
  SetFormStyle(fsStayOnTop);
  SetBorderStyle(bsToolWindow);
  SetBorderIcons(biSystemMenu);
  OnActivate = [this](TObject* s) { FormActivate(s); };
  OnClose = [](TObject*, TCloseAction& a) { a = caFree; };
  if (frmLongI2C) frmLongI2C->AddToolWindow(this);
}

TRegisterToolForm::~TRegisterToolForm() {
  if (frmLongI2C) frmLongI2C->RemoveToolWindow(this);
}

TInstCheckLed* TRegisterToolForm::MakeSwitch(const std::string& Name, const std::string& Hint, int X, int Y) {
  switch_ = new TInstCheckLed(this);
  switch_->SetName(Name);
  switch_->SetParent(this);
  switch_->SetBounds(X, Y, 120, 18);
  switch_->SetHint(Hint);
  switch_->SetShowHint(true);
  switch_->Palette()->SetLow(clRed);
  switch_->Palette()->SetHigh(TColorOf(0x40FF00));  // red 0, green 255, blue 64
  switch_->SetChecked(false);
  switch_->OnChange = [this](TObject*) { UpdateSwitchCaption(); };
  UpdateSwitchCaption();
  return switch_;
}

TPanel* TRegisterToolForm::MakeNameBar() {
  auto* bar = new TPanel(this);
  bar->SetName("lblRegName");
  bar->SetParent(this);
  bar->SetAlign(alBottom);
  bar->SetHeight(18);
  bar->SetBevelOuter(bvLowered);
  bar->SetCaption("");
  return bar;
}

void TRegisterToolForm::UpdateSwitchCaption() {
  const bool on = switch_->Checked();
  switch_->SetCaption(on ? "Auto Write On" : "Auto Write Off");
  switch_->Font()->SetColor(on ? clGreen : clRed);
}

int TRegisterToolForm::Reg() const {
  const std::string& c = Caption();
  if (c.size() < 4) return 0;
  const std::optional<uint8_t> v = ByteCellValue(c.substr(2, 2));
  return v ? *v : 0;
}

std::optional<uint8_t> TRegisterToolForm::CellValue(int Register) {
  if (!frmLongI2C) return std::nullopt;
  const std::string text = frmLongI2C->RegisterText(Register);
  if (Trim(text).empty()) return std::nullopt;
  return ByteCellValue(text);
}

void TRegisterToolForm::Open(int Register, uint8_t Value) {
  SetCaption("0x" + IntToHex(Register, 2));
  showing_ = true;
  ShowValue(Value);
  showing_ = false;
  PlaceOverFrame();
  Show();
}

// Over the main window's top-left, one step on for each tool window already open,
// so the caption and close button are on the screen and a new window never hides
// the one before it.
void TRegisterToolForm::PlaceOverFrame() {
  if (!MainHost) return;
  const int open = frmLongI2C ? static_cast<int>(frmLongI2C->ToolWindows().size()) - 1 : 0;
  const int step = 24 * (std::max(0, open) % 8);
  const int left = std::clamp(MainHost->Left() + 40 + step, 0, std::max(0, Screen->Width() - Width()));
  const int top = std::clamp(MainHost->Top() + 60 + step, 0, std::max(0, Screen->Height() - Height()));
  SetBounds(left, top, Width(), Height());
}

void TRegisterToolForm::MoveGridTo(int Register) {
  if (!frmLongI2C) return;
  frmLongI2C->MoveCurrentCell(Register);
}

void TRegisterToolForm::ValueChanged(uint8_t Value) {
  if (showing_ || !frmLongI2C) return;
  const int reg = Reg();
  // The device was redefined below this register since the window opened.
  if (reg > Longi2c::MaxRegister) return;
  MoveGridTo(reg);
  frmLongI2C->SetRegisterText(reg, ByteCellText(Value));
  if (switch_ && switch_->Checked()) {
    const uint8_t st = I2CWrite(static_cast<uint8_t>(reg), Value);
    if (st != 0 && st != I2CRefused) switch_->SetChecked(false);
    if (MainHost && st != I2CRefused) MainHost->ErrorMessage(st);
  }
  Longi2c::Modified = true;
}

uint8_t TRegisterToolForm::I2CWrite(uint8_t Reg, uint8_t Value) {
  TfrmLongI2C* w = frmLongI2C;
  if (!w || !MainHost) return 255;
  if (w->Busy() || MainHost->BusRefused()) return I2CRefused;
  // The address field as the window's own check takes it: two hex digits, bit 0 cleared.
  const std::string field = w->edtAddress->Text();
  const std::optional<uint8_t> a = field.size() == 2 ? ByteCellValue(field) : std::nullopt;
  if (!a) {
    MainHost->SetStatusText("  Invalid address");
    if (switch_) switch_->SetChecked(false);
    MainHost->Warning();
    return I2CRefused;
  }
  Longi2c::DeviceAddress = static_cast<uint8_t>(*a & 0xFE);
  return w->WriteRegister(Longi2c::DeviceAddress, Reg, Value);
}

void TRegisterToolForm::FormActivate(TObject*) {
  const int reg = Reg();
  if (frmLongI2C && reg <= Longi2c::MaxRegister) {
    showing_ = true;
    MoveGridTo(reg);
    // A cell that holds no byte leaves the controls as they are.
    if (const std::optional<uint8_t> v = CellValue(reg)) ShowValue(*v);
    showing_ = false;
  }
  Redraw();
}

bool RegisterToolTarget(int& Register, uint8_t& Value, std::string& Description) {
  if (!frmLongI2C) return false;
  Register = Longi2c::ActiveRegister;
  if (Register < 0 || Register > Longi2c::MaxRegister) {
    MessageDlg(UndefinedCellText, mtWarning, mbOK, 0);
    return false;
  }
  const std::optional<uint8_t> v = TRegisterToolForm::CellValue(Register);
  if (!v) {
    MessageDlg("Register 0x" + IntToHex(Register, 2) + " holds \"" + frmLongI2C->RegisterText(Register) +
                   "\", which is not a hex byte: enter a value first",
               mtWarning, mbOK, 0);
    return false;
  }
  Value = *v;
  Description = Longi2c::RegisterDescriptions[static_cast<size_t>(Register)];
  return true;
}
