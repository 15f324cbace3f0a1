#pragma once
// The device definition dialog: name, address, register count and a table of
// every register's description and value; OK copies it into the device window.

#include <optional>
#include <string>

#include "platform/gui/Forms.h"
#include "platform/gui/Spin.h"
#include "platform/gui/StdCtrls.h"

class TExtStringGrid;

class TfrmDefine : public TForm {
 public:
  explicit TfrmDefine(TComponent* AOwner);
  ~TfrmDefine() override;
  std::string ClassName() const override { return "TfrmDefine"; }

  TLabel *lblName = nullptr, *lblAddress = nullptr, *lblRegisters = nullptr, *lblFill = nullptr;
  TEdit* edtName = nullptr;
  TEdit* edtAddress = nullptr;
  TEdit* edtSpin = nullptr;
  TSpinButton* spnRegisters = nullptr;
  TEdit* edtFill = nullptr;
  TExtStringGrid* stgDefinition = nullptr;
  TButton* btnOK = nullptr;
  TButton* btnCancel = nullptr;

  void FormCreate(TObject* Sender);
  void btnOKClick(TObject* Sender);
  void btnCancelClick(TObject* Sender);
  void FormClose(TObject* Sender, TCloseAction& Action);
  void FormDestroy(TObject* Sender);
  static std::string ValidHexCheck(const std::string& Text);
  void edtSpinChange(TObject* Sender);
  void spnRegistersUpClick(TObject* Sender);
  void spnRegistersDownClick(TObject* Sender);
  void edtFillChange(TObject* Sender);
  void edtFillExit(TObject* Sender);
  void edtAddressChange(TObject* Sender);
  void edtAddressExit(TObject* Sender);
  void edtFillKeyPress(TObject* Sender, char& Key);
  void stgDefinitionKeyPress(TObject* Sender, char& Key);
  void stgDefinitionGetEditMask(TObject* Sender, int ACol, int ARow, std::string& Value);
  void stgDefinitionCellValidate(TObject* Sender, int ACol, int ARow, std::string& Value, bool& Valid);

  // The register count the field holds, or 0 when it is not a number of 1 to 256.
  int RegisterCount() const;
  // Edit Current Device: the name the field was given (the window's caption). OK gives the
  // device a new name only when the field no longer holds it; a new device always takes it.
  std::optional<std::string> NameShown;

 private:
  void FillEmptyRow(int Row);
  bool changing_ = false;
};

extern TfrmDefine* frmDefine;

// Hex digits and the editing keys pass; every other character is dropped.
bool HexKey(char Key);
