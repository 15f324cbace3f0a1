#pragma once
// The quick-start window: an MDI child without a border that may open at
// program start and goes away as soon as the user does anything elsewhere.

#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"

class TfrmSplash : public TForm {
 public:
  explicit TfrmSplash(TComponent* AOwner);
  ~TfrmSplash() override;
  std::string ClassName() const override { return "TfrmSplash"; }

  TMemo* memSplash = nullptr;
  TCheckBox* chbShow = nullptr;

  void chbShowClick(TObject* Sender);
  void FormClose(TObject* Sender, TCloseAction& Action);
  void FormDeactivate(TObject* Sender);
  void FormDestroy(TObject* Sender);

 private:
  void ReleaseOnce();
  bool releasing_ = false;
};

extern TfrmSplash* frmSplash;

// The memo's lines, exactly as the window shows them.
extern const char* const SplashLines[14];
