#pragma once
// The "I²C Frequency" dialog of the Options menu: a numeric edit of 1 to 400
// KHz, the calibrated maximum beside it, and OK that applies the value.

#include "platform/gui/Buttons.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"

class TInstNumEdit;

class TfrmBitrate : public TForm {
 public:
  explicit TfrmBitrate(TComponent* AOwner);
  ~TfrmBitrate() override;
  std::string ClassName() const override { return "TfrmBitrate"; }

  TPanel* pnlBitrate = nullptr;
  TInstNumEdit* edtFrequency = nullptr;
  TLabel* lblFrequency = nullptr;
  TLabel* lblMax = nullptr;
  TBitBtn* btnOK = nullptr;

  void FormShow(TObject* Sender);
  void btnOKClick(TObject* Sender);
  void FormDestroy(TObject* Sender);
};

extern TfrmBitrate* frmBitrate;
