#include "update/NuWizForm.h"

#include <stdlib.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <thread>

#include "platform/gui/Dialogs.h"
#include "platform/gui/Windows.h"
#include "platform/rtl/Clock.h"
#include "platform/rtl/SysUtils.h"
#include "update/NUpdate.h"
#include "update/NuHousekeeping.h"

namespace {
// Page geometry: the pages' size, the leading buttons' size.
constexpr int kPageWidth = 334, kPageHeight = 268;
constexpr int kButtonWidth = 90, kButtonHeight = 25;
constexpr int kPauseMs = 350;

// Progress bars hold int; sizes past its range are scaled down together.
void SetProgress(TProgressBar* Bar, int64_t Pos, int64_t Max) {
  int64_t scale = Max > INT_MAX ? Max / INT_MAX + 1 : 1;
  Bar->SetMax(static_cast<int>(std::max<int64_t>(0, Max / scale)));
  Bar->SetPosition(static_cast<int>(std::clamp<int64_t>(Pos / scale, 0, INT_MAX)));
}

// The name part of a path or address, after the last "/" or "\".
std::string NamePart(const std::string& Path) {
  size_t p = Path.find_last_of("/\\");
  return p == std::string::npos ? Path : Path.substr(p + 1);
}
}  // namespace

TNUWIZ::TNUWIZ(TComponent* AOwner) : TForm(AOwner) {
  BeginLoading();
  BuildLayout();
  OnCreate = [this](TObject* s) { FormCreate(s); };
  OnActivate = [this](TObject* s) { FormActivate(s); };
  OnCloseQuery = [this](TObject* s, bool& c) { FormCloseQuery(s, c); };
  EndLoading();
}

TNUWIZ::~TNUWIZ() {
  *alive_ = false;
  NUpdate::ReleaseLock(textLock_);
  if (netUpdate_) {
    netUpdate_->RemoveFreeNotification(this);
    netUpdate_ = nullptr;
  }
}

TLabel* TNUWIZ::PageLabel(TTabSheet* Page, const std::string& Name, int Top) {
  auto* l = new TLabel(this);
  l->SetName(Name);
  l->SetParent(Page);
  l->SetBounds(0, Top, kPageWidth, 16);
  l->SetWordWrap(true);
  l->SetAutoSize(true);
  l->SetShowAccelChar(false);
  return l;
}

TMemo* TNUWIZ::PageText(TTabSheet* Page, const std::string& Name, int Height, const std::string& Number,
                        TPopupMenu*& Popup, TMenuItem*& Item, TNotifyEvent OnView) {
  Popup = new TPopupMenu(this);
  Popup->SetName("PopupMenu" + Number);
  Item = NewItem("View in Notepad", 0, false, true, std::move(OnView), 0, "ViewinNotepad" + Number);
  Popup->Items()->Add(Item);
  auto* m = new TMemo(this);
  m->SetName(Name);
  m->SetParent(Page);
  m->SetBounds(0, 24, kPageWidth, Height);
  m->SetReadOnly(true);
  m->SetScrollBars(ssBoth);
  m->SetWordWrap(false);
  m->SetPopupMenu(Popup);
  return m;
}

void TNUWIZ::FitLabel(TLabel* Label, const std::string& Text, int Width) {
  // The text first, then the width it wraps in: an automatic size follows both.
  Label->SetCaption(Text);
  Label->SetWidth(Width);
}

TButton* TNUWIZ::PageButton(TTabSheet* Page, const std::string& Name) {
  auto* b = new TButton(this);
  b->SetName(Name);
  b->SetParent(Page);
  b->SetBounds(kPageWidth - kButtonWidth, kPageHeight - kButtonHeight, kButtonWidth, kButtonHeight);
  return b;
}

void TNUWIZ::BuildLayout() {
  SetName("NUWIZ");
  SetBorderStyle(bsDialog);
  SetPosition(poScreenCenter);
  SetClientSize(474, 284);

  Shape1 = new TShape(this);
  Shape1->SetName("Shape1");
  Shape1->SetParent(this);
  Shape1->SetBounds(0, 0, 474, 284);
  Shape1->Brush()->SetStyle(bsClear);

  Billboard = new TImage(this);
  Billboard->SetName("Billboard");
  Billboard->SetParent(this);
  Billboard->SetBounds(8, 41, 116, 201);
  Billboard->SetCenter(true);

  PageControl1 = new TPageControl(this);
  PageControl1->SetName("PageControl1");
  PageControl1->SetParent(this);
  PageControl1->SetStyle(tsFlatButtons);
  PageControl1->SetTabStop(false);
  PageControl1->SetBounds(132, 8, kPageWidth, kPageHeight);
  TTabSheet** sheets[] = {&TabSheet1, &TabSheet2, &TabSheet3, &TabSheet4, &TabSheet5, &TabSheet6, &TabSheet7};
  int n = 0;
  for (TTabSheet** s : sheets) {
    *s = new TTabSheet(this);
    (*s)->SetName("TabSheet" + std::to_string(++n));
    (*s)->SetPageControl(PageControl1);
    (*s)->SetTabVisible(false);
  }

  // 1: welcome.
  WelcomeLabel = PageLabel(TabSheet1, "WelcomeLabel", 0);
  StartButton = PageButton(TabSheet1, "StartButton");
  StartButton->SetDefault(true);
  StartButton->OnClick = [this](TObject* s) { StartButtonClick(s); };

  // 2: version information.
  VersionInfoLabel = PageLabel(TabSheet2, "VersionInfoLabel", 0);
  VersionInfoLabel->SetWidth(300);
  ControlButton = PageButton(TabSheet2, "ControlButton");
  ControlButton->SetEnabled(false);
  ControlButton->OnClick = [this](TObject* s) { ControlButtonClick(s); };

  // 3: what's new.
  Label1 = PageLabel(TabSheet3, "Label1", 0);
  WhatsNewMemo = PageText(TabSheet3, "WhatsNewMemo", kPageHeight - kButtonHeight - 24 - 8, "1", PopupMenu1,
                          ViewinNotepad1, [this](TObject* s) { ViewinNotepad1Click(s); });
  NewButton = PageButton(TabSheet3, "NewButton");
  NewButton->SetEnabled(false);
  NewButton->OnClick = [this](TObject* s) { NewButtonClick(s); };

  // 4: licence agreement.
  Label2 = PageLabel(TabSheet4, "Label2", 0);
  EULAMemo = PageText(TabSheet4, "EULAMemo", 168, "2", PopupMenu2, ViewinNotepad2,
                      [this](TObject* s) { ViewinNotepad2Click(s); });
  RAccept = new TRadioButton(this);
  RAccept->SetName("RAccept");
  RAccept->SetParent(TabSheet4);
  RAccept->SetBounds(0, 198, 230, 20);
  RAccept->OnClick = [this](TObject* s) { RAcceptClick(s); };
  RNoAccept = new TRadioButton(this);
  RNoAccept->SetName("RNoAccept");
  RNoAccept->SetParent(TabSheet4);
  RNoAccept->SetBounds(0, 220, 230, 20);
  RNoAccept->OnClick = [this](TObject* s) { RAcceptClick(s); };
  EULAButton = PageButton(TabSheet4, "EULAButton");
  EULAButton->SetEnabled(false);
  EULAButton->OnClick = [this](TObject* s) { EULAButtonClick(s); };

  // 5: the files.
  Label3 = PageLabel(TabSheet5, "Label3", 0);
  CheckListBox1 = new TCheckListBox(this);
  CheckListBox1->SetName("CheckListBox1");
  CheckListBox1->SetParent(TabSheet5);
  CheckListBox1->SetBounds(0, 24, kPageWidth, kPageHeight - kButtonHeight - 24 - 8);
  FilesButton = PageButton(TabSheet5, "FilesButton");
  FilesButton->SetEnabled(false);
  FilesButton->OnClick = [this](TObject* s) { FilesButtonClick(s); };

  // 6: download progress.
  Label4 = PageLabel(TabSheet6, "Label4", 0);
  FileLabel = PageLabel(TabSheet6, "FileLabel", 36);
  FileLabel->SetAutoSize(false);
  FileLabel->SetWordWrap(false);
  FileLabel->SetHeight(18);
  Label5 = PageLabel(TabSheet6, "Label5", 72);
  FileProgress = new TProgressBar(this);
  FileProgress->SetName("FileProgress");
  FileProgress->SetParent(TabSheet6);
  FileProgress->SetBounds(0, 94, kPageWidth, 18);
  Label6 = PageLabel(TabSheet6, "Label6", 128);
  TotalProgress = new TProgressBar(this);
  TotalProgress->SetName("TotalProgress");
  TotalProgress->SetParent(TabSheet6);
  TotalProgress->SetBounds(0, 150, kPageWidth, 18);
  CancelButton = PageButton(TabSheet6, "CancelButton");
  CancelButton->SetEnabled(false);
  CancelButton->OnClick = [this](TObject* s) { CancelButtonClick(s); };

  // 7: finish.
  Label7 = PageLabel(TabSheet7, "Label7", 0);
  Label8 = PageLabel(TabSheet7, "Label8", 36);
  RestartButton = PageButton(TabSheet7, "RestartButton");
  RestartButton->SetEnabled(false);
  RestartButton->OnClick = [this](TObject* s) { RestartButtonClick(s); };
}

void TNUWIZ::SetNetUpdate(TNetUpdate* Value) {
  if (netUpdate_) netUpdate_->RemoveFreeNotification(this);
  netUpdate_ = Value;
  cancel_ = false;
  if (!Value) return;
  Value->FreeNotification(this);
  Value->OnProgressCancel = [this](TObject* s, bool& c) { NetUpdateProgressCancel(s, c); };
  Value->OnFileProgress = [this](TObject* s, const std::string& f, int64_t p, int64_t z) {
    NetUpdateFileProgress(s, f, p, z);
  };
}

void TNUWIZ::Notification(TComponent* AComponent, TOperation Operation) {
  TForm::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == netUpdate_) netUpdate_ = nullptr;
}

void TNUWIZ::ShowPage(TTabSheet* Page) { PageControl1->SetActivePage(Page); }

bool TNUWIZ::Pause() {
  if (Closing()) return false;
  std::shared_ptr<bool> alive = alive_;
  if (PauseFunction) {
    PauseFunction();
  } else {
    const uint32_t start = GetTickCount();
    while (*alive && !Closing() && GetTickCount() - start < static_cast<uint32_t>(kPauseMs)) {
      Application->ProcessMessages();
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }
  return *alive && !Closing();
}

void TNUWIZ::FitButton(TButton* Button) {
  Canvas()->SetFont(Button->Font());
  int w = std::max(Button->Width(), Canvas()->TextWidth(Button->Caption()) + 16);
  int right = Button->Left() + Button->Width();
  Button->SetBounds(right - w, Button->Top(), w, Button->Height());
}

void TNUWIZ::CloseWizard() {
  if (netUpdate_) netUpdate_->StopConnection();
  Close();
}

void TNUWIZ::EndAfterError() {
  Screen->SetCursor(crDefault);
  connecting_ = false;
  CloseWizard();
}

bool TNUWIZ::CheckFiles() {
  if (netUpdate_ && netUpdate_->FileList()->Count() > 0) return true;
  MessageDlg(NoFilesFound, mtInformation, mbOK, 0);
  CloseWizard();
  return false;
}

// ---------------------------------------------------------------- handlers

void TNUWIZ::FormCreate(TObject*) { ShowPage(TabSheet1); }

void TNUWIZ::FormActivate(TObject*) {
  if (StartButton->CanFocus()) StartButton->SetFocus();
  // Only the first activation starts: a message box closing activates the form again.
  if (!AutoStart || started_) return;
  started_ = true;
  ShowPage(TabSheet2);
  if (Pause()) StartButtonClick(this);
}

void TNUWIZ::FormCloseQuery(TObject*, bool& CanClose) {
  if (netUpdate_) netUpdate_->StopConnection();
  CanClose = true;
}

void TNUWIZ::StartButtonClick(TObject*) {
  started_ = true;
  Screen->SetCursor(crHourGlass);
  StartButton->SetEnabled(false);
  ViewinNotepad1->SetCaption(WhatsNewPopup);
  ViewinNotepad2->SetCaption(LicensePopup);
  if (!netUpdate_ || netUpdate_->StartConnection() != 0) {
    Screen->SetCursor(crDefault);
    CloseWizard();
    StartButton->SetEnabled(true);
    return;
  }
  Screen->SetCursor(crDefault);
  // A server that does not answer keeps the user waiting: say so, and let the
  // page's button cancel at once.
  ShowPage(TabSheet2);
  FitLabel(VersionInfoLabel,
           netUpdate_->UpdateType() == fileUpdate
               ? std::string("Reading the update control file ...")
               : "Connecting to " + (netUpdate_->UpdateType() == ftpUpdate ? netUpdate_->Host()
                                                                            : NUpdate::HostFromURL(netUpdate_->URL())) +
                     " ...",
           300);
  ControlButton->SetCaption(CancelButton->Caption());
  FitButton(ControlButton);
  ControlButton->SetEnabled(true);
  if (ControlButton->CanFocus()) ControlButton->SetFocus();
  connecting_ = true;
  if (netUpdate_->UpdateType() == ftpUpdate) netUpdate_->ConnectHost();
  // Inside the wizard the user chooses on the file page: no question per file.
  netUpdate_->SetUpdateUpdate(nuuSilent);
  const int read = cancel_ ? 4 : EndOnError([&] { return netUpdate_->ReadControlFile(); });
  connecting_ = false;
  if (cancel_ || Closing()) {
    CloseWizard();
    return;
  }

  if (read != 0) {
    ShowPage(TabSheet2);
    std::string text = CannotConnect + " " + NoUpdateOnServer;
    for (const std::string& problem : netUpdate_->Problems()) text += "\r\r" + problem;
    FitLabel(VersionInfoLabel, text, 300);
    ControlButton->SetCaption(ExitButton);
    FitButton(ControlButton);
    ControlButton->SetEnabled(true);
    if (ControlButton->CanFocus()) ControlButton->SetFocus();
    return;
  }

  ControlButton->SetEnabled(true);
  ShowPage(TabSheet2);
  int result = netUpdate_->CheckVersion();
  std::string info;
  const std::string cr = "\r";
  switch (result) {
    case 6: {
      TDateTime fresh = netUpdate_->NewDateTime();
      std::string newDate = DateToStr(fresh);
      if (Frac(fresh) != 0) newDate += " " + TimeToStr(fresh);
      info = NewVersionFound + " :" + cr + CurrentVersion + " : " + DateToStr(netUpdate_->LocalDateTime()) + cr +
             NewVersion + " : " + newDate + cr + cr + netUpdate_->UpdateDescription();
      break;
    }
    case 7: info = NoNewVersionAvail; break;
    case 11:
      info = NewVersionFound + " :" + cr + CurrentVersion + " : " + netUpdate_->LocalVersionText() + cr + NewVersion +
             " : " + netUpdate_->NewVersionText() + cr + cr + netUpdate_->UpdateDescription();
      break;
    default: info = NewVersionAvail; break;
  }
  if (result != 7 && netUpdate_->ProgramUpdateRefused()) info += cr + cr + ProgramNotUpdated + " " + ServeOverHttps;
  FitLabel(VersionInfoLabel, info, 300);
  ControlButton->SetCaption(result == 7 ? ExitButton : GetUpdateButton);
  FitButton(ControlButton);
  ControlButton->SetEnabled(true);
  if (ControlButton->CanFocus()) ControlButton->SetFocus();
  if (AutoRun && Pause()) ControlButtonClick(this);
}

void TNUWIZ::ControlButtonClick(TObject*) {
  if (connecting_) {
    cancel_ = true;  // the transfer stops at its next breath; the wizard closes then
    ControlButton->SetEnabled(false);
    return;
  }
  if (ControlButton->Caption() == ExitButton || !netUpdate_) {
    CloseWizard();
    return;
  }
  if (netUpdate_->RunActions() != 0) {
    CloseWizard();
    return;
  }
  if (std::unique_ptr<TStringList> text = EndOnError([&] { return netUpdate_->GetWhatsNew(); })) {
    WhatsNewMemo->Lines()->Assign(text.get());
    ShowPage(TabSheet3);
    NewButton->SetEnabled(true);
    if (NewButton->CanFocus()) NewButton->SetFocus();
    if (AutoRun && Pause()) NewButtonClick(this);
    return;
  }
  if (std::unique_ptr<TStringList> text = EndOnError([&] { return netUpdate_->GetLicense(); })) {
    ShowLicense(text.get());
    return;
  }
  ShowFilePage();
}

void TNUWIZ::NewButtonClick(TObject*) {
  if (!netUpdate_) return;
  if (std::unique_ptr<TStringList> text = EndOnError([&] { return netUpdate_->GetLicense(); })) {
    ShowLicense(text.get());
    return;
  }
  ShowFilePage();
}

void TNUWIZ::ShowLicense(TStringList* Text) {
  EULAMemo->Lines()->Assign(Text);
  ShowPage(TabSheet4);
  if (!AutoRun) return;
  // The automatic press does nothing until the user has chosen.
  EULAButton->SetEnabled(true);
  EULAButton->SetCaption(NextButton);
  FitButton(EULAButton);
  if (Pause()) EULAButtonClick(this);
}

// The file page after the version or what's-new page: it waits for the user
// only when there is something to choose and nobody presses on automatically.
void TNUWIZ::ShowFilePage() {
  if (!FillFilePage()) return;
  ShowPage(TabSheet5);
  FilesButton->SetEnabled(true);
  if (FilesButton->CanFocus()) FilesButton->SetFocus();
  if (!AutoRun && CheckListBox1->Count() > 0) return;
  if (Pause()) FilesButtonClick(this);
}

bool TNUWIZ::FillFilePage() {
  if (!netUpdate_) return false;
  netUpdate_->ReadFileList();
  netUpdate_->FilterFileList();
  CheckListBox1->Clear();
  TFileList* files = netUpdate_->FileList();
  // One batch: the list is shown once, not once per line.
  TStrings* lines = CheckListBox1->Items();
  lines->BeginUpdate();
  try {
    for (int i = 0; i < files->Count(); ++i) {
      TFileDescription* f = files->Items(i);
      if (f->Hidden) continue;
      int line = lines->Add(f->Description);
      CheckListBox1->SetChecked(line, true);
      CheckListBox1->SetItemData(line, i);
      if (f->Mandatory) CheckListBox1->SetItemEnabled(line, false);
    }
    // Refused before anything was downloaded: shown, never chosen.
    for (const std::string& refused : netUpdate_->Refusals()) {
      const int line = lines->Add(NotInstalled + " " + refused);
      CheckListBox1->SetChecked(line, false);
      CheckListBox1->SetItemData(line, -1);
      CheckListBox1->SetItemEnabled(line, false);
    }
  } catch (...) {
    lines->EndUpdate();
    throw;
  }
  lines->EndUpdate();
  if (files->Count() == 0 && !netUpdate_->Refusals().empty()) {
    netUpdate_->StopConnection();
    ShowEndPage();
    return false;
  }
  return CheckFiles();
}

void TNUWIZ::RAcceptClick(TObject*) {
  if (RAccept->Checked()) {
    EULAButton->SetEnabled(true);
    EULAButton->SetCaption(NextButton);
  } else if (RNoAccept->Checked()) {
    EULAButton->SetEnabled(true);
    EULAButton->SetCaption(ExitButton);
  }
  FitButton(EULAButton);
}

void TNUWIZ::EULAButtonClick(TObject*) {
  if (RAccept->Checked()) {
    if (!FillFilePage()) return;
    ShowPage(TabSheet5);
    FilesButton->SetEnabled(true);
    if (FilesButton->CanFocus()) FilesButton->SetFocus();
    if (AutoRun && Pause()) FilesButtonClick(this);
  } else if (RNoAccept->Checked()) {
    CloseWizard();
  }
}

void TNUWIZ::FilesButtonClick(TObject*) {
  if (!netUpdate_) return;
  TFileList* files = netUpdate_->FileList();
  for (int i = 0; i < files->Count(); ++i) files->Items(i)->Selected = true;
  for (int line = 0; line < CheckListBox1->Count(); ++line) {
    intptr_t entry = CheckListBox1->ItemData(line);
    if (!CheckListBox1->Checked(line) && entry >= 0 && entry < files->Count())
      files->Items(static_cast<int>(entry))->Selected = false;
  }
  for (int i = files->Count() - 1; i >= 0; --i)
    if (!files->Items(i)->Selected) files->Delete(i);
  // The lines' entry numbers no longer hold.
  CheckListBox1->Clear();
  if (!CheckFiles()) return;

  FileLabel->SetCaption("");
  FileProgress->SetPosition(0);
  TotalProgress->SetPosition(0);
  ShowPage(TabSheet6);
  CancelButton->SetEnabled(!AutoRun);
  if (CancelButton->CanFocus()) CancelButton->SetFocus();
  Screen->SetCursor(crHourGlass);
  if (EndOnError([&] { return netUpdate_->DownloadFiles(); }) == -1) {
    Screen->SetCursor(crDefault);
    netUpdate_->CancelUpdate();
    std::string text = FailedDownload;
    for (const std::string& problem : netUpdate_->Problems()) text += "\r\r" + problem;
    MessageDlg(text, mtError, mbOK, 0);
  }
  netUpdate_->FinishUpdate();
  Screen->SetCursor(crDefault);
  CancelButton->SetEnabled(false);
  if (cancel_ || netUpdate_->Cancelled() || Closing()) {
    CloseWizard();
    return;
  }
  netUpdate_->StopConnection();
  ShowEndPage();
}

void TNUWIZ::ShowEndPage() {
  const std::vector<std::string>& refused = netUpdate_->Refusals();
  // A refused update never says it completed.
  const bool nothing = !refused.empty() && netUpdate_->InstalledCount() == 0;
  if (!nothing && netUpdate_->OnSuccess) netUpdate_->OnSuccess(netUpdate_);
  ShowPage(TabSheet7);
  std::string restart = netUpdate_->NeedsRestart() ? Label8->Caption() : std::string();
  if (!netUpdate_->NeedsRestart()) {
    RestartButton->SetCaption(ExitButton);
    FitButton(RestartButton);
  }
  if (!refused.empty()) {
    FitLabel(Label7, nothing ? NothingInstalled : PartlyInstalled, kPageWidth);
    std::string text = NotInstalled;
    for (const std::string& r : refused) text += "\r" + r;
    // Only what plain http brought is helped by https.
    if (netUpdate_->PlainRefused()) text += "\r\r" + ServeOverHttps;
    if (!restart.empty()) text += "\r\r" + restart;
    restart = text;
  }
  FitLabel(Label8, restart, kPageWidth);
  RestartButton->SetEnabled(true);
  if (RestartButton->CanFocus()) RestartButton->SetFocus();
  if (AutoRun && Pause()) RestartButtonClick(this);
}

void TNUWIZ::RestartButtonClick(TObject*) {
  if (!netUpdate_ || !netUpdate_->NeedsRestart()) {
    Close();
    return;
  }
  netUpdate_->AppRestart();
}

void TNUWIZ::CancelButtonClick(TObject*) { cancel_ = true; }

void TNUWIZ::NetUpdateProgressCancel(TObject*, bool& Cancel) {
  // Closing the window during a transfer cancels it; the close follows when the step returns.
  Cancel = cancel_ || Closing();
}

void TNUWIZ::NetUpdateFileProgress(TObject*, const std::string& FileName, int64_t Pos, int64_t Size) {
  // Painting every 4 KB block would cost more than the transfer: a new file and
  // the end of one always show, the rest at most about 30 times a second.
  const uint32_t now = GetTickCount();
  const bool end = Size > 0 && Pos >= Size;
  if (FileName == progressFile_ && !end && now - progressShownAt_ < 33) return;
  progressShownAt_ = now;
  progressFile_ = FileName;
  FileLabel->SetCaption(NamePart(FileName));
  SetProgress(FileProgress, Pos, Size);
  if (netUpdate_) {
    TFileList* files = netUpdate_->FileList();
    SetProgress(TotalProgress, Pos + files->SizeBefore(), files->TotalSize());
  }
  Application->ProcessMessages();
}

std::string TNUWIZ::TextDirectory() {
  if (textDirectory_.empty()) {
    // A directory of our own (mode 0700, a name nobody can guess), not a known
    // name in the shared temporary directory.
    // Locked while the wizard lives; the files stay for the viewer, and the next
    // start of the program removes the folder.
    textDirectory_ = NUpdate::MakePrivateFolder(GetTempDir(), "velmaron-texts-", textLock_);
  }
  return textDirectory_;
}

void TNUWIZ::SaveAndOpen(TMemo* Memo, const std::string& Name) {
  std::string dir = TextDirectory();
  if (dir.empty()) throw EInOutError(errno, "Cannot create a directory for " + Name + " in " + GetTempDir());
  std::string file = dir + Name;
  Memo->Lines()->SaveToFile(file);
  ShellExecute(nullptr, "open", file, "", "", SW_SHOWNORMAL);
}

void TNUWIZ::ViewinNotepad1Click(TObject*) { SaveAndOpen(WhatsNewMemo, "whatsnew.txt"); }

void TNUWIZ::ViewinNotepad2Click(TObject*) { SaveAndOpen(EULAMemo, "eula.txt"); }
