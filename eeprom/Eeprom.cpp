#include "eeprom/Eeprom.h"

#include <algorithm>

#include "app/bus/MainHost.h"
#include "eeprom/EEImage.h"
#include "eeprom/GotoByte.h"

TfrmEEPROM* frmEEPROM = nullptr;

namespace {
const char* const kFilter = "mem files (*.mem)|*.mem|hex files (*.hex)|*.hex|bin files (*.bin)|*.bin";
}

TfrmEEPROM::TfrmEEPROM(TComponent* AOwner) : TEEWindow(AOwner, true) {
  opnEEPROM = new TOpenDialog(this);
  opnEEPROM->SetName("opnEEPROM");
  opnEEPROM->SetOptions(ofHideReadOnly | ofPathMustExist | ofFileMustExist | ofEnableSizing);
  opnEEPROM->SetFilter(kFilter);
  savEEDialog = new TSaveDialog(this);
  savEEDialog->SetName("savEEDialog");
  savEEDialog->SetOptions(ofOverwritePrompt | ofHideReadOnly | ofPathMustExist | ofEnableSizing);
  savEEDialog->SetFilter(kFilter);
  savEEDialog->SetDefaultExt("mem");
  FollowFileType(opnEEPROM);
  FollowFileType(savEEDialog);
  mnuGoto->OnClick = [this](TObject* s) { mnuGotoClick(s); };
}

TfrmEEPROM::~TfrmEEPROM() {
  if (frmEEPROM == this) frmEEPROM = nullptr;
  if (MainHost) MainHost->ResetWarning();
}

int TfrmEEPROM::HexValue(const std::string& Text) const { return static_cast<int>(HexToInt(Text)); }

void TfrmEEPROM::mnuGotoClick(TObject*) { ShowGoTo(this); }
