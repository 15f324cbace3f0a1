// The Device menu's EEPROM items: each click opens a fresh window set up for
// its device size (rows, caption, setup rows, address choices, field texts);
// and the custom device's item, which opens its one window.
#include "app/Main.h"
#include "devices/Longi2c.h"
#include "eeprom/Eeprom.h"
#include "eeprom/SmallEE.h"

namespace {

struct TSmallSetUp {
  int Size;
  const char* Caption;
  int PageSize;  // 0: as the form has it; 1: set as text; else set as number
  std::vector<std::string> Addresses;  // empty: as the form has them
  int MaxLength;
  const char *From, *To, *Start, *Ending, *Target, *EndTarget;
};

const TSmallSetUp kSmall[] = {
    {16, "16 Byte (128 bit) EEPROM", 1, {}, 1, "0", "F", "0", "7", "8", "F"},
    {128, "128 Byte (1024 bit) EEPROM", 8, {}, 2, "00", "7F", "00", "3F", "40", "7F"},
    {256, "256 Byte (2048 bit) EEPROM", 8, {}, 2, "00", "FF", "00", "7F", "80", "FF"},
    {512, "512 Byte (4096 bit) EEPROM", 0, {"A0", "A4", "A8", "AC"}, 3, "000", "1FF", "000", "0FF", "100", "1FF"},
    {1024, "1024 Byte (8192 bit) EEPROM", 0, {"A0", "A8"}, 3, "000", "3FF", "000", "1FF", "200", "3FF"},
    {2048, "2048 Byte (16384 bit) EEPROM", 0, {"A0"}, 3, "000", "7FF", "000", "3FF", "400", "7FF"},
};

struct TLargeSetUp {
  int Size;
  const char* Caption;
  int FillMaxLength;
  const char* FillTo;
  const char* CopyStart;
  int CopyStartLength;
  const char* CopyEnd;
  const char* TargetStart;
  int TargetLength;
  const char* TargetEnd;
};

const TLargeSetUp kLarge[] = {
    {4096, "4096 Byte (32768 bit) EEPROM", 3, "FFF", "000", 3, "7FF", "800", 3, "FFF"},
    {8192, "8192 Byte (64K bit) EEPROM", 4, "1FFF", "0000", 4, "FFF", "1000", 4, "1FFF"},
    {16384, "16384 Byte (128K bit) EEPROM", 4, "3FFF", "0000", 4, "1FFF", "2000", 4, "3FFF"},
    {32768, "32768 Byte (256K bit) EEPROM", 4, "7FFF", "0000", 4, "3FFF", "4000", 4, "7FFF"},
    {65536, "65536 Byte (512K bit) EEPROM", 4, "FFFF", "0000", 4, "7FFF", "8000", 4, "FFFF"},
};

}  // namespace

void TfrmMain::ConnectEEPROMItems() {
  const std::pair<TMenuItem*, void (TfrmMain::*)(TObject*)> items[] = {
      {mnu16B, &TfrmMain::mnu16BClick},     {mnu1K, &TfrmMain::mnu1KClick},
      {mnu2K, &TfrmMain::mnu2KClick},       {mnu4K, &TfrmMain::mnu4KClick},
      {mnu8K, &TfrmMain::mnu8KClick},       {mnu16K, &TfrmMain::mnu16KClick},
      {mnu4Kx8, &TfrmMain::mnu4Kx8Click},   {mnu8Kx8, &TfrmMain::mnu8Kx8Click},
      {mnu16Kx8, &TfrmMain::mnu16Kx8Click}, {mnu32Kx8, &TfrmMain::mnu32Kx8Click},
      {mnu64Kx8, &TfrmMain::mnu64Kx8Click},
  };
  for (const auto& [item, handler] : items) {
    auto h = handler;
    item->OnClick = [this, h](TObject* s) { (this->*h)(s); };
    item->SetEnabled(true);
  }
}

TfrmSmallEE* TfrmMain::OpenSmallEE(int Size) {
  const TSmallSetUp* set = nullptr;
  for (const TSmallSetUp& s : kSmall)
    if (s.Size == Size) set = &s;
  if (!set) return nullptr;
  TfrmSmallEE* w = Application->CreateForm(frmSmallEE);
  w->SetUpGrids(Size, false);
  w->SetCaption(set->Caption);
  w->SetupItem(esDeviceSize)->SetTextValue(std::to_string(Size));
  if (set->PageSize == 1)
    w->SetupItem(esPageSize)->SetTextValue("1");
  else if (set->PageSize > 1)
    w->SetupItem(esPageSize)->SetIntValue(set->PageSize);
  if (!set->Addresses.empty()) SetAddressChoices(w->SetupItem(esAddress), set->Addresses);
  const std::pair<TEdit*, const char*> edits[] = {{w->edtFrom, set->From},     {w->edtTo, set->To},
                                                  {w->edtStart, set->Start},   {w->edtEnding, set->Ending},
                                                  {w->edtTarget, set->Target}, {w->edtEndTarget, set->EndTarget}};
  for (const auto& [edit, text] : edits) {
    edit->SetMaxLength(set->MaxLength);
    edit->SetText(text);
  }
  // Hooked after the default texts, so that these do not fire them; the target end starts from them.
  w->TakeCopyFields();
  w->edtStart->OnChange = [w](TObject* s) { w->edtStartChange(s); };
  w->edtEnding->OnChange = [w](TObject* s) { w->edtEndingChange(s); };
  w->edtTarget->OnChange = [w](TObject* s) { w->edtTargetChange(s); };
  w->Show();
  return w;
}

void TfrmMain::EEStart(TfrmEEPROM* Window) { Window->SetUpGrids(Window->DeviceSize(), true); }

TfrmEEPROM* TfrmMain::OpenEEPROM(int Size) {
  const TLargeSetUp* set = nullptr;
  for (const TLargeSetUp& s : kLarge)
    if (s.Size == Size) set = &s;
  if (!set) return nullptr;
  TfrmEEPROM* w = Application->CreateForm(frmEEPROM);
  w->SetupItem(esDeviceSize)->SetIntValue(Size);
  EEStart(w);
  w->SetCaption(set->Caption);
  w->edtFillFrom->SetMaxLength(set->FillMaxLength);
  w->edtFillTo->SetMaxLength(set->FillMaxLength);
  w->edtFillTo->SetText(set->FillTo);
  w->edtCopyStart->SetMaxLength(set->CopyStartLength);
  w->edtCopyStart->SetText(set->CopyStart);
  w->edtCopyEnd->SetMaxLength(4);
  w->edtCopyEnd->SetText(set->CopyEnd);
  w->edtTargetStart->SetMaxLength(set->TargetLength);
  w->edtTargetStart->SetText(set->TargetStart);
  w->edtTargetEnd->SetMaxLength(set->TargetLength);
  w->edtTargetEnd->SetText(set->TargetEnd);
  if (Size == 8192) w->lblWordAddress->SetCaption("0000");
  w->TakeCopyFields();
  w->edtCopyStart->OnChange = [w](TObject* s) { w->edtCopyStartChange(s); };
  w->edtCopyEnd->OnChange = [w](TObject* s) { w->edtCopyEndingChange(s); };
  w->edtTargetStart->OnChange = [w](TObject* s) { w->edtTargetChange(s); };
  w->Show();
  return w;
}

void TfrmMain::mnu16BClick(TObject*) { OpenSmallEE(16); }
void TfrmMain::mnu1KClick(TObject*) { OpenSmallEE(128); }
void TfrmMain::mnu2KClick(TObject*) { OpenSmallEE(256); }
void TfrmMain::mnu4KClick(TObject*) { OpenSmallEE(512); }
void TfrmMain::mnu8KClick(TObject*) { OpenSmallEE(1024); }
void TfrmMain::mnu16KClick(TObject*) { OpenSmallEE(2048); }
void TfrmMain::mnu4Kx8Click(TObject*) { OpenEEPROM(4096); }
void TfrmMain::mnu8Kx8Click(TObject*) { OpenEEPROM(8192); }
void TfrmMain::mnu16Kx8Click(TObject*) { OpenEEPROM(16384); }
void TfrmMain::mnu32Kx8Click(TObject*) { OpenEEPROM(32768); }
void TfrmMain::mnu64Kx8Click(TObject*) { OpenEEPROM(65536); }

void TfrmMain::mnuCustomClick(TObject*) {
  if (frmLongI2C) {
    frmLongI2C->Show();
    frmLongI2C->BringToFront();
    return;
  }
  Application->CreateForm(frmLongI2C);
}
