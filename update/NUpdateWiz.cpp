#include "update/NUpdateWiz.h"

#include "platform/rtl/SysUtils.h"
#include "update/NUpdate.h"
#include "update/NuWizForm.h"

void TNetUpdateWizardLanguage::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TNetUpdateWizardLanguage*>(Source);
  if (!s) return TComponent::Assign(Source);
  Welcome = s->Welcome;
  StartButton = s->StartButton;
  NextButton = s->NextButton;
  ExitButton = s->ExitButton;
  RestartButton = s->RestartButton;
  CancelButton = s->CancelButton;
  FailedDownload = s->FailedDownload;
  GetUpdateButton = s->GetUpdateButton;
  NewVersionFound = s->NewVersionFound;
  NewVersion = s->NewVersion;
  NoNewVersionAvail = s->NoNewVersionAvail;
  NewVersionAvail = s->NewVersionAvail;
  CurrentVersion = s->CurrentVersion;
  NoFilesFound = s->NoFilesFound;
  NoUpdateOnServer = s->NoUpdateOnServer;
  CannotConnect = s->CannotConnect;
  WhatsNew = s->WhatsNew;
  License = s->License;
  AcceptLicense = s->AcceptLicense;
  NotAcceptLicense = s->NotAcceptLicense;
  ComponentsAvail = s->ComponentsAvail;
  DownloadingFiles = s->DownloadingFiles;
  CurrentProgress = s->CurrentProgress;
  TotalProgress = s->TotalProgress;
  UpdateComplete = s->UpdateComplete;
  RestartInfo = s->RestartInfo;
  WhatsNewPopup = s->WhatsNewPopup;
  LicensePopup = s->LicensePopup;
  NotInstalled = s->NotInstalled;
  ServeOverHttps = s->ServeOverHttps;
  NothingInstalled = s->NothingInstalled;
  PartlyInstalled = s->PartlyInstalled;
  ProgramNotUpdated = s->ProgramNotUpdated;
}

TNetUpdateWizard::TNetUpdateWizard(TComponent* AOwner)
    : TComponent(AOwner), billBoard_(new TBitmap), font_(new TFont) {
  font_->SetName("Verdana");
  font_->SetStyle(fsBold);
  font_->SetSize(9);
}

TNetUpdateWizard::~TNetUpdateWizard() {
  SetNetUpdate(nullptr);
  SetLanguage(nullptr);
}

void TNetUpdateWizard::SetBillBoard(TBitmap* v) {
  if (v) billBoard_->Assign(v);
  else billBoard_.reset(new TBitmap);
}

void TNetUpdateWizard::SetLanguage(TNetUpdateWizardLanguage* v) {
  if (v == language_) return;
  if (language_) language_->RemoveFreeNotification(this);
  language_ = v;
  if (v) v->FreeNotification(this);
}

void TNetUpdateWizard::SetNetUpdate(TNetUpdate* v) {
  if (v == netUpdate_) return;
  if (netUpdate_) netUpdate_->RemoveFreeNotification(this);
  netUpdate_ = v;
  if (v) v->FreeNotification(this);
}

void TNetUpdateWizard::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == netUpdate_) netUpdate_ = nullptr;
  if (AComponent == language_) language_ = nullptr;
}

void TNetUpdateWizard::ApplyLanguage(TNUWIZ* Form) {
  std::unique_ptr<TNetUpdateWizardLanguage> fallback;
  TNetUpdateWizardLanguage* l = language_;
  if (!l) {
    fallback.reset(new TNetUpdateWizardLanguage(nullptr));
    l = fallback.get();
  }
  const int wide = Form->PageControl1->Width();
  Form->FitLabel(Form->WelcomeLabel, l->Welcome, wide);
  Form->StartButton->SetCaption(l->StartButton);
  Form->NewButton->SetCaption(l->NextButton);
  Form->EULAButton->SetCaption(l->NextButton);
  Form->FilesButton->SetCaption(l->NextButton);
  Form->RestartButton->SetCaption(l->RestartButton);
  Form->CancelButton->SetCaption(l->CancelButton);
  Form->ControlButton->SetCaption(l->GetUpdateButton);
  Form->FitLabel(Form->Label1, l->WhatsNew, wide);
  Form->FitLabel(Form->Label2, l->License, wide);
  Form->RAccept->SetCaption(l->AcceptLicense);
  Form->RNoAccept->SetCaption(l->NotAcceptLicense);
  Form->FitLabel(Form->Label3, l->ComponentsAvail, wide);
  Form->FitLabel(Form->Label4, l->DownloadingFiles, wide);
  Form->FitLabel(Form->Label5, l->CurrentProgress, wide);
  Form->FitLabel(Form->Label6, l->TotalProgress, wide);
  Form->FitLabel(Form->Label7, l->UpdateComplete, wide);
  Form->FitLabel(Form->Label8, l->RestartInfo, wide);
  Form->ViewinNotepad1->SetCaption(l->WhatsNewPopup);
  Form->ViewinNotepad2->SetCaption(l->LicensePopup);
  for (TButton* b : {Form->StartButton, Form->NewButton, Form->EULAButton, Form->FilesButton, Form->RestartButton,
                     Form->CancelButton, Form->ControlButton})
    Form->FitButton(b);

  Form->NewVersionFound = l->NewVersionFound;
  Form->NoUpdateOnServer = l->NoUpdateOnServer;
  Form->NoFilesFound = l->NoFilesFound;
  Form->GetUpdateButton = l->GetUpdateButton;
  Form->NewVersion = l->NewVersion;
  Form->NextButton = l->NextButton;
  Form->NoNewVersionAvail = l->NoNewVersionAvail;
  Form->NewVersionAvail = l->NewVersionAvail;
  Form->CannotConnect = l->CannotConnect;
  Form->CurrentVersion = l->CurrentVersion;
  Form->ExitButton = l->ExitButton;
  Form->FailedDownload = l->FailedDownload;
  Form->WhatsNewPopup = l->WhatsNewPopup;
  Form->LicensePopup = l->LicensePopup;
  Form->NotInstalled = l->NotInstalled;
  Form->ServeOverHttps = l->ServeOverHttps;
  Form->NothingInstalled = l->NothingInstalled;
  Form->PartlyInstalled = l->PartlyInstalled;
  Form->ProgramNotUpdated = l->ProgramNotUpdated;
}

void TNetUpdateWizard::Execute() {
  if (!netUpdate_) throw Exception("No NetUpdate component assigned");
  TNetUpdate* engine = netUpdate_;
  std::unique_ptr<TNUWIZ> form(new TNUWIZ(this));
  form->SetBorderStyle(borderStyle_);
  if (!billBoard_->Empty()) form->Billboard->Picture()->Assign(billBoard_.get());
  form->SetFont(font_.get());
  ApplyLanguage(form.get());
  if (borderStyle_ != bsNone) {
    form->Shape1->Pen()->SetColor(clBtnFace);
    form->Shape1->Pen()->SetWidth(0);
  } else {
    form->SetClientSize(form->Shape1->Width() + 2, form->Shape1->Height() + 2);
  }
  form->AutoRun = autoRun_;
  form->AutoStart = autoStart_;
  form->PauseFunction = PauseFunction;
  TProgressCancelEvent oldCancel = engine->OnProgressCancel;
  TFileProgressEvent oldProgress = engine->OnFileProgress;
  // The engine may go while the wizard runs; then there is nothing to put back.
  auto restore = [&] {
    if (netUpdate_ != engine) return;
    engine->OnProgressCancel = oldCancel;
    engine->OnFileProgress = oldProgress;
  };
  form->SetNetUpdate(engine);
  form->SetCaption(caption_);
  form->SetPosition(position_);
  try {
    form->ShowModal();
  } catch (...) {
    restore();
    throw;
  }
  restore();
}
