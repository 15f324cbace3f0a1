#pragma once
// TfrmEditor: the message editor. Edits one row of the expert window field by
// field and token by token; writes the row back when it is closed.

#include <string>

#include "platform/gui/Forms.h"
#include "platform/gui/Spin.h"
#include "platform/gui/StdCtrls.h"

class TfrmMessage;
class TStringGrid;
class TInstNumEdit;

// Unit state of the message editor.
namespace MessageEditor {
extern int EditedRow;     // the expert grid row being edited (0: none, or it is gone)
extern int ActiveColumn;  // the column of grdWrite last clicked
}  // namespace MessageEditor

// The most tokens a row may have in the editor.
constexpr int EditorMaxTokens = 128;

class TfrmEditor : public TForm {
 public:
  explicit TfrmEditor(TComponent* AOwner);
  ~TfrmEditor() override;
  std::string ClassName() const override { return "TfrmEditor"; }

  TEdit* edtAddress = nullptr;
  TComboBox* cmbRW = nullptr;
  TComboBox* cmbStop = nullptr;
  TSpinEdit* spnBytes = nullptr;
  TInstNumEdit* edtDelay = nullptr;
  TEdit* edtNotes = nullptr;
  TGroupBox *grpWrite = nullptr, *grpTriggers = nullptr, *grpRestart = nullptr, *grpClose = nullptr;
  TStringGrid* grdWrite = nullptr;
  TButton *btnTrigHigh = nullptr, *btnTrigLow = nullptr, *btnPulseHigh = nullptr, *btnPulseLow = nullptr;
  TButton* btnRestart = nullptr;
  TButton* btnClose = nullptr;

  // Shows the editor for the window's current row; an editor already on the
  // screen only comes to the front and stays on its row.
  void ShowFor(TfrmMessage* Window);
  // The expert grid's rows moved: Delta rows inserted (+) or removed (-) at
  // Row; (0, 0) means the whole table was replaced.
  void RowsChanged(int Row, int Delta);
  // The data text the token cells give now.
  std::string DataText() const;

  void FormShow(TObject* Sender);
  void FormClose(TObject* Sender, TCloseAction& Action);
  void grdWriteKeyPress(TObject* Sender, char& Key);
  void grdWriteClick(TObject* Sender);
  void grdWriteKeyDown(TObject* Sender, WORD& Key, TShiftState Shift);
  void spnBytesChange(TObject* Sender);
  void edtAddressExit(TObject* Sender);
  void PutToken(const std::string& Token);
  void btnCloseClick(TObject* Sender);

 private:
  void Load();
  void SetColumns(int Count);
  TfrmMessage* window_ = nullptr;
  std::string originalData_;  // the row's Data cell when loaded
  int originalTokens_ = 0;
  bool tokensEdited_ = false;
  bool loading_ = false;
};

// The message editor of the expert window, while it exists.
extern TfrmEditor* frmEditor;
