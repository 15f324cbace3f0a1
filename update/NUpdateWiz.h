// The update wizard: a modal, page-by-page dialog that drives one update
// engine from the check for a new version to the restart of the program.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/gui/Controls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Graphics.h"

class TNetUpdate;
class TNUWIZ;

// The wizard's texts. Each has an English default.
class TNetUpdateWizardLanguage : public TComponent {
 public:
  explicit TNetUpdateWizardLanguage(TComponent* AOwner) : TComponent(AOwner) {}
  std::string ClassName() const override { return "TNetUpdateWizardLanguage"; }
  void Assign(TPersistent* Source) override;

  std::string Welcome = "Press start to begin checking for available application updates ...";
  std::string StartButton = "Start";
  std::string NextButton = "Next";
  std::string ExitButton = "Exit";
  std::string RestartButton = "Restart";
  std::string CancelButton = "Cancel";
  std::string FailedDownload = "Failed to download updates";
  std::string GetUpdateButton = "Get update";
  std::string NewVersionFound = "New version found";
  std::string NewVersion = "New version";
  std::string NoNewVersionAvail = "No new version available.";
  std::string NewVersionAvail = "New version available.";
  std::string CurrentVersion = "Current version";
  std::string NoFilesFound = "No files found for update";
  std::string NoUpdateOnServer = "no update found on server ...";
  std::string CannotConnect = "Could not connect to update server or";
  std::string WhatsNew = "What's new";
  std::string License = "License agreement";
  std::string AcceptLicense = "I accept";
  std::string NotAcceptLicense = "I do not accept";
  std::string ComponentsAvail = "Available application components";
  std::string DownloadingFiles = "Downloading files";
  std::string CurrentProgress = "Current file progress";
  std::string TotalProgress = "Total file progress";
  std::string UpdateComplete = "Update completed ...";
  std::string RestartInfo = "Press restart to start the updated application.";
  std::string WhatsNewPopup = "View in Notepad";
  std::string LicensePopup = "View in Notepad";
  // What the pages say when the engine refused or stopped part of an update.
  std::string NotInstalled = "Not installed:";
  std::string ServeOverHttps =
      "Anyone on the way can change what comes over plain http or ftp. Ask for the update to be served over https.";
  std::string NothingInstalled = "Nothing could be installed.";
  std::string PartlyInstalled = "Update completed, except for the files below.";
  std::string ProgramNotUpdated = "The program itself cannot be updated from this server: its update did not come over https.";
};

class TNetUpdateWizard : public TComponent {
 public:
  explicit TNetUpdateWizard(TComponent* AOwner);
  ~TNetUpdateWizard() override;
  std::string ClassName() const override { return "TNetUpdateWizard"; }

  // Runs the wizard modally. Raises Exception "No NetUpdate component assigned"
  // without an engine. The engine's OnProgressCancel and OnFileProgress are
  // back as they were when it returns.
  void Execute();
  // Puts the language's texts (or the default ones) into the form.
  void ApplyLanguage(TNUWIZ* Form);

  // Start checking as soon as the form shows.
  bool AutoStart() const { return autoStart_; }
  void SetAutoStart(bool v) { autoStart_ = v; }
  // Press every button that leads on, after a pause.
  bool AutoRun() const { return autoRun_; }
  void SetAutoRun(bool v) { autoRun_ = v; }
  // The picture at the left of the pages; the setter copies.
  TBitmap* BillBoard() const { return billBoard_.get(); }
  void SetBillBoard(TBitmap* v);
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& v) { caption_ = v; }
  // The form's font; the setter copies.
  TFont* Font() const { return font_.get(); }
  void SetFont(TFont* v) { font_->Assign(v); }
  TNetUpdateWizardLanguage* Language() const { return language_; }
  void SetLanguage(TNetUpdateWizardLanguage* v);
  TPosition Position() const { return position_; }
  void SetPosition(TPosition v) { position_ = v; }
  TNetUpdate* NetUpdate() const { return netUpdate_; }
  void SetNetUpdate(TNetUpdate* v);
  TFormBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TFormBorderStyle v) { borderStyle_ = v; }

  // The pause between automatic steps (null: 350 ms of message processing).
  // Tests put a shorter one in place.
  std::function<void()> PauseFunction;

  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  bool autoStart_ = false;
  bool autoRun_ = false;
  std::unique_ptr<TBitmap> billBoard_;
  std::string caption_;
  std::unique_ptr<TFont> font_;
  TNetUpdateWizardLanguage* language_ = nullptr;
  TPosition position_ = poScreenCenter;
  TNetUpdate* netUpdate_ = nullptr;
  TFormBorderStyle borderStyle_ = bsDialog;
};
