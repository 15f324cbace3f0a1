#pragma once
// TfrmSmallEE: the programmer window for EEPROMs of 16 bytes to 2 KB, which take
// one word-address byte and carry the 256-byte block number in the device
// address. It reads hexadecimal text strictly: text that is not a hex number
// raises the conversion error.

#include "eeprom/EEWindow.h"

class TfrmSmallEE : public TEEWindow {
 public:
  explicit TfrmSmallEE(TComponent* AOwner);
  ~TfrmSmallEE() override;
  std::string ClassName() const override { return "TfrmSmallEE"; }

  TEdit*& edtFrom = FillFrom;
  TEdit*& edtTo = FillTo;
  TEdit*& edtPreset = FillWith;
  TEdit*& edtStart = CopyStart;
  TEdit*& edtEnding = CopyEnd;
  TEdit*& edtTarget = TargetStart;
  TEdit*& edtEndTarget = TargetEnd;
  TOpenDialog* opnSmallEEDialog = nullptr;
  TSaveDialog* savSmallEE = nullptr;
  // A typed-edit link beside the setup bar, for a custom row; the setup rows have none.
  TInspectorEditLink* AEInspectorEditLink1 = nullptr;

  int HexValue(const std::string& Text) const override;
  TOpenDialog* OpenDialog() const override { return opnSmallEEDialog; }
  TSaveDialog* SaveDialog() const override { return savSmallEE; }
  void mnuSaveAsClick(TObject* Sender) { SaveAsClick(Sender); }


  void edtStartChange(TObject* Sender) { CopyStartChange(Sender); }
  void edtEndingChange(TObject* Sender) { CopyEndChange(Sender); }
  void edtTargetChange(TObject* Sender) { TargetChange(Sender); }
  void edtPresetExit(TObject* Sender);

 protected:
  std::vector<int> PageSizes() const override { return {1, 8, 16, 32}; }
};

extern TfrmSmallEE* frmSmallEE;
