#include "eeprom/Eeprom.h"

#include <cctype>

#include "app/Main.h"
#include "eeprom/GotoByte.h"

TfrmEEPROM* frmEEPROM = nullptr;

namespace {
const char* const kFilter = "mem files (*.mem)|*.mem|hex files (*.hex)|*.hex|bin files (*.bin)|*.bin";
}

int HexToInt(const std::string& Text) {
  static const std::string digits = "0123456789ABCDEF";
  int value = 0, weight = 1;
  for (auto it = Text.rbegin(); it != Text.rend(); ++it) {
    const size_t d = digits.find(static_cast<char>(std::toupper(static_cast<unsigned char>(*it))));
    if (d != std::string::npos) value += static_cast<int>(d) * weight;
    weight *= 16;
  }
  return value;
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
  mnuGoto->OnClick = [this](TObject* s) { mnuGotoClick(s); };
}

TfrmEEPROM::~TfrmEEPROM() {
  if (frmEEPROM == this) frmEEPROM = nullptr;
  if (frmMain) frmMain->ResetWarning();
}

int TfrmEEPROM::HexValue(const std::string& Text) const { return HexToInt(Text); }

void TfrmEEPROM::mnuGotoClick(TObject*) { ShowGoTo(this); }
