#pragma once
// TfrmEEPROM: the programmer window for EEPROMs of 4 KB to 64 KB, which take a
// two-byte word address. It reads hexadecimal text leniently (a character that
// is no hex digit counts 0).

#include "eeprom/EEWindow.h"

class TfrmEEPROM : public TEEWindow {
 public:
  explicit TfrmEEPROM(TComponent* AOwner);
  ~TfrmEEPROM() override;
  std::string ClassName() const override { return "TfrmEEPROM"; }

  // The fields as the window's layout names them.
  TEdit*& edtFillFrom = FillFrom;
  TEdit*& edtFillTo = FillTo;
  TEdit*& edtFillWith = FillWith;
  TEdit*& edtCopyStart = CopyStart;
  TEdit*& edtCopyEnd = CopyEnd;
  TEdit*& edtTargetStart = TargetStart;
  TEdit*& edtTargetEnd = TargetEnd;
  TOpenDialog* opnEEPROM = nullptr;
  TSaveDialog* savEEDialog = nullptr;

  int HexValue(const std::string& Text) const override;
  TOpenDialog* OpenDialog() const override { return opnEEPROM; }
  TSaveDialog* SaveDialog() const override { return savEEDialog; }
  void mnuEESaveAsClick(TObject* Sender) { SaveAsClick(Sender); }


  void edtCopyStartChange(TObject* Sender) { CopyStartChange(Sender); }
  void edtCopyEndingChange(TObject* Sender) { CopyEndChange(Sender); }
  void edtTargetChange(TObject* Sender) { TargetChange(Sender); }
  void mnuGotoClick(TObject* Sender);

 protected:
  std::vector<int> PageSizes() const override { return {1, 8, 16, 32, 64, 128}; }
};

// The newest large window (cleared when that window goes).
extern TfrmEEPROM* frmEEPROM;
