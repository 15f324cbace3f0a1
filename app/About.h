#pragma once
// The About box: product name, version, what reaches the port, and the
// project's addresses as web links.

#include "platform/gui/Buttons.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"

class TInstWebLabel;

class TAboutBox : public TForm {
 public:
  explicit TAboutBox(TComponent* AOwner);
  ~TAboutBox() override;
  std::string ClassName() const override { return "TAboutBox"; }

  TPanel* Panel1 = nullptr;
  TImage* ProgramIcon = nullptr;
  TLabel* ProductName = nullptr;
  TLabel* Version = nullptr;
  TLabel* lblPort = nullptr;  // which port backend runs
  TLabel *lblOrders = nullptr, *lblEmail = nullptr, *lblSupport = nullptr, *lblUpdates = nullptr;
  TInstWebLabel *webOrders = nullptr, *webEmail = nullptr, *webSupport = nullptr, *webUpdates = nullptr;
  TLabel* lblPhone = nullptr;
  TLabel* Comments = nullptr;  // the line along the bottom edge
  TBitBtn* btnOK = nullptr;

  void btnOKClick(TObject* Sender);
};

extern TAboutBox* AboutBox;

// The program's version and release date as the About box shows them.
std::string VelmaronVersionText();
