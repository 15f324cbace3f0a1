#pragma once
// TfrmGoTo: the go-to-byte dialog of the large EEPROM window. One at a time
// (frmGoTo); it moves the window it was last opened from, which it follows
// with a guarded pointer: once that window is gone the dialog closes.

#include "eeprom/EEButtons.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"

class TEEWindow;

class TfrmGoTo : public TForm {
 public:
  explicit TfrmGoTo(TComponent* AOwner);
  ~TfrmGoTo() override;
  std::string ClassName() const override { return "TfrmGoTo"; }

  TImage* imgBack = nullptr;
  TLabel *lblHex = nullptr, *lblDecimal = nullptr;
  TEdit *edtHex = nullptr, *edtDecimal = nullptr, *edtNote = nullptr;
  TInstDemoButton *OKBtn = nullptr, *CancelBtn = nullptr;

  // The window whose grid OK moves; nullptr once it is gone.
  TEEWindow* Target() const { return target_; }
  void SetTarget(TEEWindow* W);

  void edtHexChange(TObject* Sender);
  void edtDecimalChange(TObject* Sender);
  void OKBtnClick(TObject* Sender);
  void CancelBtnClick(TObject* Sender);

  void Notification(TComponent* AComponent, TOperation Operation) override;

 protected:
  void DoShow() override;
  void DoClose(TCloseAction& Action) override;
  // Return acts as OK (as Cancel while Cancel has the focus), Escape as Cancel.
  void CMDialogKey(TMessage& Message) override;

 private:
  TEEWindow* target_ = nullptr;
};

extern TfrmGoTo* frmGoTo;
// The highest address the dialog accepts.
extern int MaxAddress;

// "Go To Byte ...": creates the dialog when there is none, points it at W and shows it.
void ShowGoTo(TEEWindow* W);
