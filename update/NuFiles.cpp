// The file step, the finishing step and the restart through the updater.
#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "platform/gui/Dialogs.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"
#include "platform/rtl/Process.h"
#include "update/NUpdate.h"
#include "update/NuEngine.h"
#include "update/NuHousekeeping.h"
#include "update/NuPrefix.h"
#include "update/NuStatus.h"
#include "update/cabfdi.h"

using namespace NUpdate;

bool TNetUpdate::IsAppComponent(const std::string& name) const {
  // Whole names: "a.cab" is not "data.cab".
  for (const std::string& comp : SplitCommandLine(appComps_))
    if (SameText(ExtractFileName(LocalPath(comp)), name)) return true;
  return false;
}

int TNetUpdate::DownloadFiles() {
  int result = 0;
  restartNeeded_ = false;
  downloadedComps_.clear();
  installed_ = 0;
  TNetUpdateUpdate mode = updateUpdate_;
  for (int k = 1; k <= fileList_->Count(); ++k) {
    TFileDescription* e = fileList_->Items(k - 1);
    if (mode == nuuPromptAll) {
      if (MessageDlg(StatusText(909) + FileNameFromURL(e->URL), mtConfirmation, mbYesNo, 0) != mrYes) continue;
    } else if (mode == nuuPromptOnce) {
      if (MessageDlg(StatusText(910), mtConfirmation, mbYesNo, 0) != mrYes) {
        cancelled_ = true;  // No to every file is no to the update
        break;
      }
      mode = nuuSilent;
    }
    std::string url = e->URL;
    fileList_->CurrentIndex = k - 1;
    if (OnBeforeFileDownload) OnBeforeFileDownload(this, k, e->Description, url);
    if (Trim(url).empty()) {
      // A section the control file lacks (cut short): a download that fails, so no restart
      // finishes an update of which part is missing.
      result = -1;
      DoStatus(946, url, 2, 0);
      appUpdate_ = false;
      continue;
    }
    const std::string dir = LocalPath(e->TargetDir);
    // The address may have changed since the file list was filtered.
    const std::string why = EntryRefusal(*e, url);
    if (!why.empty()) {
      Refuse(FileNameFromURL(url) + " (" + why + ")");
      continue;
    }
    dataOnly_ = PlainEntry(url);
    refusedNow_ = false;
    if (!dir.empty() && !DirectoryExists(dir)) cabfdi::CreateDirectoryPath(dir);
    // The file as installed must be what the control file says; a server
    // sending far more than the file's size is stopped.
    expectedSize_ = e->NewSize;
    expectedChecksum_ = e->NewCheckSum;
    expectedName_ = FileNameFromURL(url);
    expectedLocal_ = e->LocalVersion;
    const int64_t given = std::max<int64_t>(e->NewSize, e->FileSize);
    downloadLimit_ = given > 0 ? 2 * given + (1 << 20) : DownloadCap;
    limitWhy_ = given > 0 ? "twice the size the control file gives and a megabyte"
                          : "the limit for a file whose size the control file does not give";
    unpackLimit_ = downloadLimit_;
    const bool downloaded = (given <= 0 || EnoughSpace(expectedName_, given)) && DownloadFile(url, e->Compressed, dir);
    expectedSize_ = 0;
    expectedChecksum_ = -1;
    expectedLocal_.clear();
    downloadLimit_ = 0;
    if (refusedNow_) {
      dataOnly_ = refusedNow_ = false;
      continue;
    }
    if (!downloaded) {
      dataOnly_ = false;
      result = -1;
      DoStatus(946, ShownURL(url), 2, 0);
      appUpdate_ = false;
      if (cancelled_) break;  // a cancelled file ends the step
      continue;
    }
    const std::string name = ExtractFileName(lastTarget_);
    ++installed_;
    if (IsAppComponent(name)) {
      dataOnly_ = false;
      // The running program holds it: the updater puts it in place.
      restartNeeded_ = true;
      downloadedComps_.push_back(lastTarget_);
      DoStatus(962, name, 0, 0);
      continue;
    }
    const std::string ext = UpperCase(ExtractFileExt(name));
    // A compressed entry's cabinet was unpacked by the download already.
    if (ext == ".CAB" && extractCab_ && !e->Compressed && FileExists(lastTarget_)) {
      const TUnpacked unpacked = UnpackCabinet(lastTarget_, dir);
      if (unpacked != uOk) --installed_;
      if (unpacked == uFailed) {
        result = -1;
        DoStatus(946, ShownURL(url), 2, 0);
        appUpdate_ = false;
      }
    }
    const bool plain = dataOnly_;
    dataOnly_ = false;
    if (ext == ".PAT" && applyPatch_ && !e->LocalVersion.empty() && plain) {
      // A patch changes a program: never from bytes that came over plain http.
      Refuse("patch " + name + " (it changes a program)");
    } else if (ext == ".PAT" && applyPatch_ && !e->LocalVersion.empty()) {
      // The program's folder, wherever the program was started from.
      const std::string patcher = AppFolder() + "patcher.exe";
      if (utility_ && !FileExists(patcher)) ExtractPatcher();
      std::string command = QuoteArgument(patcher);
      if (logging_) command += " -v";
      command += " " + QuoteArgument(lastTarget_) + " " + QuoteArgument(e->LocalVersion);
      RunAndWait(command, logging_ ? AppFolder() + "NUPDATE.LOG" : std::string());
      if (!keepIntermediate_) DeleteFile(lastTarget_);
    }
  }
  unpackLimit_ = 0;
  return result;
}

int TNetUpdate::FinishUpdate() {
  if (cancelled_) return -1;
  if (postUpdateInfo_->Enabled) {
    bool allowPost = true;
    if (OnBeforePost) OnBeforePost(this, allowPost);
    if (allowPost) {
      DoPostUpdateInfo();
      bool allowResult = true;
      if (OnProcessPostResult) OnProcessPostResult(this, allowResult);
      if (!allowResult) return -1;
    }
  }
  SaveLastDate();
  const std::string redirect = ReadControl("action", "updateURL");
  if (!redirect.empty()) {
    DoStatus(941, "", 3, 0);
    // Else a plain-http control file could send every later run to a server of its choosing.
    if (!RefusedUnprotected("updateURL " + ShownURL(redirect))) SaveLastURL(redirect);
  }
  if (utility_ && applyPatch_) ExtractPatcher();
  const std::string after = ReadControlPath("action", "runafter");
  if (!after.empty() && !RefusedUnprotected("runafter " + after)) StartCommand(after);
  DoStatus(948, "", 3, 0);
  return 0;
}

bool TNetUpdate::NeedsRestart() const { return appUpdate_ && !cancelled_ && restartNeeded_; }

std::string TNetUpdate::ExtractUpdater() {
  const std::string source =
      UpdaterPath.empty() ? ExtractFilePath(CurrentExecutable()) + "upd" : LocalPath(UpdaterPath);
  errno = 0;
  const std::string dir = RunDirectory();
  if (dir.empty()) return {};
  if (!FileExists(source)) {
    errno = ENOENT;
    return {};
  }
  const std::string target = dir + "upd";
  std::error_code ec;
  std::filesystem::copy_file(source, target, std::filesystem::copy_options::overwrite_existing, ec);
  if (ec) {
    errno = ec.value();
    return {};
  }
  if (::chmod(target.c_str(), 0700) != 0) return {};
  return target;
}

void TNetUpdate::ExtractPatcher() {
  // The system carries no patch program: "patcher.exe" must be present already.
}

void TNetUpdate::AppRestart() {
  DoStatus(959, GetCurrentDir(), 0, 0);
  bool cancel = false;
  QueryCancel(cancel);
  if (cancel) return;
  bool allow = true;
  if (OnAppRestart)
    OnAppRestart(this, allow);
  else if (!silentRestart_)
    allow = MessageDlg(StatusText(911), mtConfirmation, mbYesNo, 0) == mrYes;
  if (!allow) return;

  std::string error;
  int errorNumber = 0;
  int pid = -1;
  errno = 0;
  const std::string updater = ExtractUpdater();
  if (updater.empty()) {
    errorNumber = errno != 0 ? errno : ENOENT;
    error = std::strerror(errorNumber);
  } else {
    // The program lies in its own folder, wherever it was started from.
    // Absolute paths only: the updater's current folder is whatever ours was.
    auto absolute = [](const std::string& path) {
      std::error_code ec;
      const std::filesystem::path p = std::filesystem::absolute(path, ec);
      return ec ? path : p.lexically_normal().string();
    };
    std::string application =
        appName_.empty() ? appName_ : absolute(appName_[0] == '/' ? appName_ : AppFolder() + appName_);
    application = QuoteArgument(application);
    if (!appParams_.empty()) application += " " + QuoteArgument(appParams_);
    std::vector<std::string> argv = {absolute(updater), std::to_string(CurrentProcessId()), logging_ ? "L" : "X",
                                     application};
    // Only what arrived whole in this run: the updater never touches a file
    // whose new copy is not there.
    for (const std::string& comp : downloadedComps_) argv.push_back(absolute(comp));
    std::string shown;
    for (const std::string& a : argv) shown += (shown.empty() ? "" : " ") + QuoteArgument(a);
    DoStatus(958, shown, 0, 0);
    // The updater inherits the lock on the folder it runs from: no moment in
    // which a starting program could take the folder for a crashed run's.
    if (runLock_ >= 0) ::fcntl(runLock_, F_SETFD, 0);
    pid = ProcessLauncher().StartDetached(argv, error, &errorNumber);
    if (runLock_ >= 0) ::fcntl(runLock_, F_SETFD, FD_CLOEXEC);
  }
  if (pid < 0) {
    // Without the updater nothing would put the files in place: the program stays.
    DoStatus(950, error, 9, errorNumber);
    MessageDlg(FormatStatus(950, error), mtError, mbOK, 0);
    RemoveRunDirectory();
    return;
  }
  // Handed to the updater, which runs from it and removes it; a later run makes its own.
  runDirectory_.clear();
  ReleaseLock(runLock_);
  if (OnAppDoClose)
    OnAppDoClose(this);
  else if (Application)
    Application->Terminate();
}

bool TNetUpdate::RunAndWait(const std::string& CommandLine, const std::string& appendOutputTo) {
  DoStatus(18, "Exec: " + CommandLine, 3, 0);
  std::vector<std::string> argv = SplitCommandLine(CommandLine);
  if (argv.empty()) return false;
  argv[0] = LocalPath(argv[0]);
  // A small window tells the user why the program waits.
  std::unique_ptr<TForm> window;
  if (utility_ && utility_->ShowAnimation) {
    window = std::make_unique<TForm>(nullptr);
    window->SetBorderStyle(bsDialog);
    window->SetBorderIcons(0);
    window->SetPosition(poScreenCenter);
    window->SetCaption(utility_->StatusCaption);
    window->SetClientSize(300, 170);
    // No copy-files animation here: at its place a line says what is copied.
    std::string files;
    for (size_t i = 1; i < argv.size(); ++i)
      if (!argv[i].empty() && argv[i][0] != '-') files += (files.empty() ? "" : ", ") + ExtractFileName(argv[i]);
    auto* copying = new TLabel(window.get());
    copying->SetParent(window.get());
    copying->SetBounds(10, 10, 280, 60);
    copying->SetWordWrap(true);
    copying->SetCaption("Copying files: " + files);
    auto* message = new TLabel(window.get());
    message->SetParent(window.get());
    message->SetBounds(10, copying->Top() + copying->Height() + 8, 280, 40);
    message->SetWordWrap(true);
    message->SetCaption(utility_->StatusMessage);
    window->Show();
    ProcessMessages();
  }
  // Without a utility the program is shown.
  const bool hidden = utility_ && !utility_->ShowWindow;
  const int code = ProcessLauncher().RunAndWait(argv, appendOutputTo, hidden);
  const int notStarted = errno;
  window.reset();
  // The caller reads why from errno: the system's reason, or the exit code + 8192.
  errno = code > 0 ? code + 8192 : notStarted;
  return code == 0;
}
