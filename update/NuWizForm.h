// The update wizard's window: seven pages behind hidden tabs, each with the
// button that leads on. The wizard component (NUpdateWiz.h) makes it, fills in
// its texts and binds it to an engine.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/gui/CheckLst.h"
#include "platform/gui/ComCtrls.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Menus.h"
#include "platform/gui/StdCtrls.h"

class TNetUpdate;

class TNUWIZ : public TForm {
 public:
  explicit TNUWIZ(TComponent* AOwner);
  ~TNUWIZ() override;
  std::string ClassName() const override { return "TNUWIZ"; }

  // --- Components ---
  TShape* Shape1 = nullptr;
  TImage* Billboard = nullptr;
  TPageControl* PageControl1 = nullptr;
  TTabSheet *TabSheet1 = nullptr, *TabSheet2 = nullptr, *TabSheet3 = nullptr, *TabSheet4 = nullptr,
            *TabSheet5 = nullptr, *TabSheet6 = nullptr, *TabSheet7 = nullptr;
  TLabel* WelcomeLabel = nullptr;
  TButton* StartButton = nullptr;
  TLabel* VersionInfoLabel = nullptr;
  TButton* ControlButton = nullptr;
  TLabel* Label1 = nullptr;
  TMemo* WhatsNewMemo = nullptr;
  TButton* NewButton = nullptr;
  TLabel* Label2 = nullptr;
  TMemo* EULAMemo = nullptr;
  TRadioButton* RAccept = nullptr;
  TRadioButton* RNoAccept = nullptr;
  TButton* EULAButton = nullptr;
  TLabel* Label3 = nullptr;
  TCheckListBox* CheckListBox1 = nullptr;
  TButton* FilesButton = nullptr;
  TLabel *Label4 = nullptr, *FileLabel = nullptr, *Label5 = nullptr, *Label6 = nullptr;
  TProgressBar* FileProgress = nullptr;
  TProgressBar* TotalProgress = nullptr;
  TButton* CancelButton = nullptr;
  TLabel *Label7 = nullptr, *Label8 = nullptr;
  TButton* RestartButton = nullptr;
  TPopupMenu* PopupMenu1 = nullptr;
  TMenuItem* ViewinNotepad1 = nullptr;
  TPopupMenu* PopupMenu2 = nullptr;
  TMenuItem* ViewinNotepad2 = nullptr;

  // --- Message texts (the wizard's language puts them here) ---
  std::string NewVersionFound, NoUpdateOnServer, NoFilesFound, GetUpdateButton, NewVersion, NextButton,
      NoNewVersionAvail, NewVersionAvail, CannotConnect, CurrentVersion, ExitButton, FailedDownload,
      WhatsNewPopup, LicensePopup, NotInstalled, ServeOverHttps, NothingInstalled, PartlyInstalled,
      ProgramNotUpdated;

  // Copies of the wizard's settings.
  bool AutoRun = false;
  bool AutoStart = false;
  // The pause between automatic steps (null: 350 ms of message processing).
  std::function<void()> PauseFunction;

  // Binds the engine: its progress and cancel events go to this form; clears the cancel flag.
  void SetNetUpdate(TNetUpdate* Value);
  TNetUpdate* NetUpdate() const { return netUpdate_; }
  bool CancelRequested() const { return cancel_; }
  bool Connecting() const { return connecting_; }
  void Notification(TComponent* AComponent, TOperation Operation) override;

  // --- Handlers ---
  void FormCreate(TObject* Sender);
  void FormActivate(TObject* Sender);
  void FormCloseQuery(TObject* Sender, bool& CanClose);
  void StartButtonClick(TObject* Sender);
  void ControlButtonClick(TObject* Sender);
  void NewButtonClick(TObject* Sender);
  void RAcceptClick(TObject* Sender);
  void EULAButtonClick(TObject* Sender);
  void FilesButtonClick(TObject* Sender);
  void RestartButtonClick(TObject* Sender);
  void CancelButtonClick(TObject* Sender);
  void ViewinNotepad1Click(TObject* Sender);
  void ViewinNotepad2Click(TObject* Sender);
  void NetUpdateFileProgress(TObject* Sender, const std::string& FileName, int64_t Pos, int64_t Size);
  void NetUpdateProgressCancel(TObject* Sender, bool& Cancel);

  // Lets the window system work for a while; false when the form is closing meanwhile.
  bool Pause();
  // Widens a button to its caption (text width + 16), never narrower, keeping its right edge.
  void FitButton(TButton* Button);
  // Gives a word-wrapping label its text, wrapped within Width.
  void FitLabel(TLabel* Label, const std::string& Text, int Width);
  // Stops the engine's connection and closes the form.
  void CloseWizard();
  // False (after telling the user and closing) when the file list is empty.
  bool CheckFiles();
  // Where "View in Notepad" saves its texts (a private directory, made on first use).
  std::string TextDirectory();

 private:
  void BuildLayout();
  TButton* PageButton(TTabSheet* Page, const std::string& Name);
  TLabel* PageLabel(TTabSheet* Page, const std::string& Name, int Top);
  // A read-only text below the page's label, with its pop-up menu of one "View in Notepad" item.
  TMemo* PageText(TTabSheet* Page, const std::string& Name, int Height, const std::string& Number,
                  TPopupMenu*& Popup, TMenuItem*& Item, TNotifyEvent OnView);
  void ShowPage(TTabSheet* Page);
  // Reads and filters the file list and shows it; false when the wizard closed instead.
  bool FillFilePage();
  // The last page: what was installed, what was refused and why, the restart if any.
  void ShowEndPage();
  void ShowFilePage();
  void ShowLicense(TStringList* Text);
  void SaveAndOpen(TMemo* Memo, const std::string& Name);
  bool Closing() const { return ModalResult() != mrNone; }
  // An input/output error of the engine's files (a full disk) ends the wizard,
  // the cursor back; the application shows the error.
  template <class F>
  auto EndOnError(F f) {
    try {
      return f();
    } catch (...) {
      EndAfterError();
      throw;
    }
  }
  void EndAfterError();

  TNetUpdate* netUpdate_ = nullptr;
  bool cancel_ = false;
  bool started_ = false;
  bool connecting_ = false;  // the control file is on its way: the page's button cancels
  std::string textDirectory_;
  int textLock_ = -1;  // keeps the texts' folder from the next start's cleaning while we live
  // The progress shown last: the bars follow at most about 30 times a second.
  uint32_t progressShownAt_ = 0;
  std::string progressFile_;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};
