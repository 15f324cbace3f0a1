#include "app/Splash.h"

#include <algorithm>

#include "app/Main.h"

TfrmSplash* frmSplash = nullptr;

const char* const SplashLines[14] = {
    "Step 1: Read the Velmaron Hardware and Software User's ",
    "Manuals.",
    "",
    "Step 2: The Velmaron software checks all the available ",
    "parallel ports to determine if the Velmaron hardware is ",
    "available. If not detected, check if it has been properly ",
    "inserted into a parallel port.",
    "",
    "Step 3:  If necessary, adjust the I\xC2\xB2" "C operating frequency in ",
    "the Options Menu.",
    "",
    "Step 4:  Select a device, or create your own I\xC2\xB2" "C device using ",
    "the Universal, Expert, or User Defined selections, from the ",
    "Device Menu.",
};

TfrmSplash::TfrmSplash(TComponent* AOwner) : TForm(AOwner) {
  BeginLoading();
  SetName("frmSplash");
  SetCaption("Velmaron Quick Start ");
  SetFormStyle(fsMDIChild);
  SetBorderStyle(bsNone);
  SetPosition(poScreenCenter);
  SetHelpContext(10);
  SetClientSize(512, 296);

  memSplash = new TMemo(this);
  memSplash->SetName("memSplash");
  memSplash->SetParent(this);
  memSplash->SetBounds(8, 8, 496, 252);
  memSplash->SetReadOnly(true);
  memSplash->Font()->SetName("Courier New");
  memSplash->Font()->SetHeight(-12);
  memSplash->Lines()->Clear();
  for (const char* line : SplashLines) memSplash->Lines()->Add(line);

  chbShow = new TCheckBox(this);
  chbShow->SetName("chbShow");
  chbShow->SetParent(this);
  chbShow->SetBounds(8, 268, 260, 20);
  chbShow->SetCaption("Open each time Velmaron starts");
  chbShow->SetChecked(true);
  chbShow->OnClick = [this](TObject* s) { chbShowClick(s); };

  OnClose = [this](TObject* s, TCloseAction& a) { FormClose(s, a); };
  OnDeactivate = [this](TObject* s) { FormDeactivate(s); };
  OnDestroy = [this](TObject* s) { FormDestroy(s); };
  EndLoading();
  // A click anywhere but on this window ends it, the frame's own area included,
  // where no other window is activated that would take the activation away.
  Application->OnAnyMouseDown = [this](TControl* Target) {
    if (Target && GetParentForm(Target) == this) return;
    ReleaseOnce();
  };
  Show();
  // Centred in the frame's client area, which is where an MDI child lives.
  if (TCustomForm* frame = MDIFrame()) {
    const TRect area = frame->ClientRect();
    SetBounds(std::max(0, (area.Right - area.Left - Width()) / 2), std::max(0, (area.Bottom - area.Top - Height()) / 2),
              Width(), Height());
  }
}

TfrmSplash::~TfrmSplash() {
  Application->OnAnyMouseDown = nullptr;
  if (frmSplash == this) frmSplash = nullptr;
}

void TfrmSplash::ReleaseOnce() {
  if (releasing_) return;
  releasing_ = true;
  Application->OnAnyMouseDown = nullptr;
  Release();
}

void TfrmSplash::chbShowClick(TObject*) {
  if (frmMain) frmMain->ShowSplash = chbShow->Checked();
}

void TfrmSplash::FormClose(TObject*, TCloseAction& Action) {
  Action = caNone;
  ReleaseOnce();
}

void TfrmSplash::FormDeactivate(TObject*) { ReleaseOnce(); }

void TfrmSplash::FormDestroy(TObject*) {
  if (frmSplash == this) frmSplash = nullptr;
}
