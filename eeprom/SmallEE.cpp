#include "eeprom/SmallEE.h"

#include "app/bus/MainHost.h"
#include "controls/inspector/InspEditors.h"
#include "eeprom/EEImage.h"
#include "platform/rtl/SysUtils.h"

TfrmSmallEE* frmSmallEE = nullptr;

TfrmSmallEE::TfrmSmallEE(TComponent* AOwner) : TEEWindow(AOwner, false) {
  const char* filter = "mem files (*.mem)|*.mem|hex files (*.hex)|*.hex|bin files (*.bin)|*.bin";
  opnSmallEEDialog = new TOpenDialog(this);
  opnSmallEEDialog->SetName("opnSmallEEDialog");
  opnSmallEEDialog->SetOptions(ofHideReadOnly | ofFileMustExist | ofEnableSizing);
  opnSmallEEDialog->SetFilter(filter);
  opnSmallEEDialog->SetDefaultExt("mem");
  savSmallEE = new TSaveDialog(this);
  savSmallEE->SetName("savSmallEE");
  savSmallEE->SetOptions(ofOverwritePrompt | ofHideReadOnly | ofEnableSizing);
  savSmallEE->SetFilter(filter);
  savSmallEE->SetDefaultExt("mem");
  FollowFileType(opnSmallEEDialog);
  FollowFileType(savSmallEE);
  edtPreset->OnExit = [this](TObject* s) { edtPresetExit(s); };
  AEInspectorEditLink1 = NewAEInspectorEditLink(this);
  AEInspectorEditLink1->SetName("AEInspectorEditLink1");
}

TfrmSmallEE::~TfrmSmallEE() {
  if (frmSmallEE == this) frmSmallEE = nullptr;
  if (MainHost) MainHost->ResetWarning();
}

int TfrmSmallEE::HexValue(const std::string& Text) const { return StrictHexToInt(Text); }

void TfrmSmallEE::edtPresetExit(TObject*) {
  const std::string t = edtPreset->Text();
  if (t.empty())
    edtPreset->SetText("FF");
  else if (t.size() == 1)
    edtPreset->SetText("0" + t);
}
