#pragma once
// The register edit dialog: the active register's value and description.

#include <string>

#include "platform/gui/Buttons.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"

class TfrmEditCell : public TForm {
 public:
  explicit TfrmEditCell(TComponent* AOwner);
  ~TfrmEditCell() override;
  std::string ClassName() const override { return "TfrmEditCell"; }

  TLabel* lblRegister = nullptr;
  TLabel* lblDefault = nullptr;
  TEdit* edtDefault = nullptr;
  TLabel* lblDescription = nullptr;
  TEdit* edtDescription = nullptr;
  TBitBtn* btnOK = nullptr;
  TBitBtn* btnCancel = nullptr;

  // The register the dialog was opened for; OK writes to it.
  int Register = 0;

  void btnOKClick(TObject* Sender);
  void btnCancelClick(TObject* Sender);
  void FormClose(TObject* Sender, TCloseAction& Action);
  void FormDestroy(TObject* Sender);
  void edtDefaultKeyPress(TObject* Sender, char& Key);
  void edtDefaultExit(TObject* Sender);
};

extern TfrmEditCell* frmEditCell;

// True while a register edit dialog is open.
bool EditCellDialogsOpen();
// Releases every open register edit dialog (the device window closes).
void CloseEditCellDialogs();
