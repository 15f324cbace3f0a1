// The steps that read the update control file: its download and
// [application] section, the version check, the actions, the texts and the
// file list.
#include "platform/gui/Dialogs.h"
#include "platform/gui/Windows.h"
#include "platform/rtl/IniFiles.h"
#include "platform/rtl/Process.h"
#include "update/NUpdate.h"
#include "update/NuEngine.h"
#include "update/NuPrefix.h"
#include "update/NuStatus.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include <filesystem>

using namespace NUpdate;

namespace {

// More would only make a hostile control file expensive.
constexpr int kMaxFiles = 10000;
// The control file and the texts it names are small; anything larger is not one.
constexpr int64_t kMaxTextBytes = 16 << 20;

// "\n" written as two characters in a value stands for a line break.
std::string LineBreaks(std::string text) {
  for (size_t at = text.find("\\n"); at != std::string::npos; at = text.find("\\n", at + 1))
    text.replace(at, 2, "\r");
  return text;
}

}  // namespace

// ===========================================================================
// Reading values

std::string TNetUpdate::ReadControl(const std::string& section, const std::string& key, const std::string& def) {
  if (!control_) return def;
  std::string v = control_->ReadString(section, key, def);
  if (v.size() >= 2 && (v[0] == '"' || v[0] == '\'') && v.back() == v[0]) v = v.substr(1, v.size() - 2);
  return v;
}

int TNetUpdate::ReadControlInteger(const std::string& section, const std::string& key, int def) {
  return StrToIntDef(ReadControl(section, key), def);
}

std::string TNetUpdate::ReadControlPath(const std::string& section, const std::string& key) {
  return ExpandPrefixes(ReadControl(section, key));
}

int TNetUpdate::ReadControlChecksum(const std::string& section) {
  // A CRC-32 is unsigned: written in decimal it may pass the largest integer.
  int64_t v;
  if (!TryStrToInt64(ReadControl(section, "newchecksum"), v) || v < INT32_MIN || v > UINT32_MAX) return -1;
  return static_cast<int32_t>(static_cast<uint32_t>(v));
}

bool TNetUpdate::StartCommand(const std::string& commandLine) {
  std::vector<std::string> argv = SplitCommandLine(commandLine);
  if (argv.empty()) return false;
  argv[0] = LocalPath(argv[0]);
  std::string error;
  return ProcessLauncher().StartDetached(argv, error) >= 0;
}

void TNetUpdate::Refuse(const std::string& what, bool file, int id) {
  DoStatus(id, what, 11, 4);
  if (file) refusals_.push_back(what);
  if (file && id == 966) plainRefused_ = true;
}

void TNetUpdate::Problem(int id, const std::string& param, int statusCode, int errCode) {
  DoStatus(id, param, statusCode, errCode);
  problems_.push_back(FormatStatus(id, param));
}

bool TNetUpdate::RefusedUnprotected(const std::string& what) {
  if (!unprotectedControl_) return false;
  Refuse(what, false);
  return true;
}

bool TNetUpdate::PlainEntry(const std::string& url) const {
  if (unprotectedControl_ || updateType_ == ftpUpdate) return true;
  return updateType_ == httpUpdate && !(url.size() >= 8 && SameText(url.substr(0, 8), "https://"));
}

namespace {

// The folders Qt loads plugins from, below each folder on its library paths.
const char* const kQtPluginFolders[] = {
    "accessible", "audio", "bearer", "canbus", "designer", "egldeviceintegrations", "generic",
    "geometryloaders", "geoservices", "iconengines", "imageformats", "kf5", "kf6", "mediaservice", "multimedia",
    "networkinformation", "platforminputcontexts", "platforms", "platformthemes", "playlistformats", "position",
    "printsupport", "qmltooling", "renderers", "renderplugins", "sceneparsers", "sensorgestures", "sensors",
    "sqldrivers", "styles", "texttospeech", "tls", "virtualkeyboard", "webview", "xcbglintegrations"};

bool QtPluginFolder(const std::string& name) {
  if (name.rfind("wayland-", 0) == 0) return true;
  for (const char* folder : kQtPluginFolders)
    if (name == folder) return true;
  return false;
}

// Folders of the system: what lies there is read by the system and every user.
const char* const kSystemFolders[] = {"/bin", "/boot", "/dev", "/etc", "/lib", "/lib32", "/lib64", "/libx32",
                                      "/proc", "/run", "/sbin", "/sys", "/usr", "/var"};

// True when `inner` is `outer` or lies below it.
bool Within(const std::filesystem::path& inner, const std::filesystem::path& outer) {
  auto o = outer.begin(), i = inner.begin();
  for (; o != outer.end() && !o->empty(); ++o, ++i)
    if (i == inner.end() || *o != *i) return false;
  return true;
}

}  // namespace

std::string TNetUpdate::ProgramFileRole(const std::string& target) {
  auto is = [&](const std::string& path) { return SamePlace(path, target); };
  const std::string app = AppFolder();
  const std::string program = ExtractFileName(CurrentExecutable());
  if (is(CurrentExecutable()) || is(app + program) || (!appName_.empty() && is(app + ExtractFileName(appName_))))
    return "the program";
  const std::string updater = UpdaterPath.empty() ? ExtractFilePath(CurrentExecutable()) + "upd" : LocalPath(UpdaterPath);
  if (is(updater) || is(app + "upd") || is(app + ExtractFileName(updater))) return "the updater";
  return {};
}

std::string TNetUpdate::AppFolderRefusal() {
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::path app = fs::weakly_canonical(fs::path(AppFolder()), ec);
  if (ec) return "the program's folder cannot be found";
  std::vector<std::string> homes;
  if (const char* home = std::getenv("HOME"); home && *home) homes.push_back(home);
  if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) homes.push_back(pw->pw_dir);
  for (const std::string& h : homes) {
    const fs::path home = fs::weakly_canonical(fs::path(h), ec);
    if (ec || home.empty() || home == "/") continue;
    // The shell, the desktop and every program read their start-up files there.
    if (home == app) return "the program's folder is the home folder";
    if (Within(home, app)) return "the program's folder holds the home folder " + home.string();
  }
  for (const char* system : kSystemFolders)
    if (Within(app, system)) return "the program's folder is a system folder (" + std::string(system) + ")";
  return {};
}

std::string TNetUpdate::DataOnlyRefusal(const std::string& target) {
  namespace fs = std::filesystem;
  if (!InsideAppFolder(ExtractFilePath(target))) return "outside the program's folder";
  if (const std::string why = AppFolderRefusal(); !why.empty()) return why;
  const std::string role = ProgramFileRole(target);
  if (!role.empty()) return "it would replace " + role;
  // Qt reads its configuration and loads plugins from there: code by another name.
  const std::string name = ExtractFileName(target);
  if (SameText(name, "qt.conf") || SameText(name, "qt6.conf")) return "Qt would read it as its configuration";
  std::error_code ec;
  const fs::path below = fs::weakly_canonical(fs::absolute(fs::path(target), ec), ec)
                             .lexically_relative(fs::weakly_canonical(fs::path(AppFolder()), ec));
  for (const fs::path& part : below)
    if (part.string().size() > 1 && part.string()[0] == '.' && part != "..")
      return "hidden files and folders (" + part.string() + ") hold start-up files and settings";
  for (const fs::path& folder : below.parent_path())
    if (QtPluginFolder(folder.string())) return "Qt loads plugins from the folder " + folder.string();
  struct stat st {};
  if (::lstat(target.c_str(), &st) == 0) {
    if (S_ISLNK(st.st_mode)) return "it would replace a link";
    if (!S_ISREG(st.st_mode)) return "it would replace something that is no ordinary file";
    if (st.st_mode & 0111) return "it would replace a program (a file with an execute bit)";
  }
  return {};
}

std::string TNetUpdate::EntryRefusal(const TFileDescription& e, const std::string& url) {
  // Nothing is fetched from no address: such an entry's download fails.
  if (Trim(url).empty() || !PlainEntry(url)) return {};
  const std::string dir = LocalPath(e.TargetDir);
  if (!InsideAppFolder(dir)) return "outside the program's folder: " + dir;
  const std::string name = FileNameFromURL(url);
  // Handed to the updater, it would become a program or replace one.
  if (IsAppComponent(name)) return "the program's own files are updated over https only";
  return DataOnlyRefusal(dir + name);
}

std::string TNetUpdate::AppFolder() {
  std::string dir;
  GetPrefixPath("APP", dir);
  return IncludeTrailingPathDelimiter(std::filesystem::path(dir.empty() ? AppDirectory() : dir).lexically_normal().string());
}

bool TNetUpdate::InsideAppFolder(const std::string& dir) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::path app = fs::weakly_canonical(fs::path(AppFolder()), ec);
  if (ec) return false;
  const fs::path where = fs::weakly_canonical(fs::absolute(fs::path(dir.empty() ? AppFolder() : dir), ec), ec);
  return !ec && Within(where, app);
}

// ===========================================================================
// Steps

void TNetUpdate::GetControlFileURL(std::string& URL) {
  const std::string redirected = ReadLastURL();
  URL = ExpandPrefixes(redirected.empty() ? url_ : redirected);
}

int TNetUpdate::ReadControlFile() {
  control_.reset();
  // What a file step an input/output error ended left set does not hold for the control file.
  dataOnly_ = false;
  expectedSize_ = 0;
  expectedChecksum_ = -1;
  expectedLocal_.clear();
  appUpdate_ = silentRestart_ = restartNeeded_ = false;
  appName_.clear();
  appParams_.clear();
  appRestart_.clear();
  appComps_.clear();
  std::string url;
  GetControlFileURL(url);
  credentialOrigin_ = OriginOf(url);
  refusals_.clear();
  plainRefused_ = false;
  problems_.clear();
  programUpdateRefused_ = false;
  installed_ = 0;
  unprotectedControl_ = updateType_ != fileUpdate;
  downloadLimit_ = kMaxTextBytes;
  limitWhy_ = "the limit for a control file or text";
  bool read = DownloadFile(url, false, RunDirectory());
  downloadLimit_ = 0;
  // Anyone on the way can change what plain http or ftp brings: trust follows
  // how the bytes came, not the address asked for.
  unprotectedControl_ = !lastSecure_;
  std::string bytes;
  if (read) {
    controlFile_ = lastTarget_;
    try {
      bytes = LoadRegularFileBytes(controlFile_, kMaxTextBytes);
    } catch (const Exception&) {
      read = false;
    }
  }
  if (!read) {
    DoStatus(925, "", 2, 0);
    return 4;
  }
  DoStatus(926, "", 3, 0);
  control_ = std::make_unique<TMemIniFile>("");
  control_->SetText(IniTextToUtf8(bytes));

  int result = 0;
  if (signatureCheck_ && ReadControl("update", "signature") != signature_) {
    DoStatus(927, "", 11, 4);
    result = 5;
  }
  appUpdate_ = ReadControlInteger("application", "appupdate", 0) == 1;
  appName_ = LocalPath(ReadControlPath("application", "appname"));
  if (appName_.empty()) appUpdate_ = false;
  appParams_ = ReadControl("application", "appparam");
  appComps_ = ReadControlPath("application", "appcomps");
  silentRestart_ = ReadControlInteger("application", "silentrestart", 0) == 1;
  if (OnSetAppParams) OnSetAppParams(this, appParams_);
  appRestart_ = appParams_.empty() ? appName_ : QuoteArgument(appName_) + " " + QuoteArgument(appParams_);
  if (appUpdate_ && RefusedUnprotected("restart " + appRestart_)) {
    appUpdate_ = false;
    programUpdateRefused_ = true;
  }
  return result;
}

int TNetUpdate::CheckVersion() {
  int result = 7;
  updateDescr_ = ReadControl("update", "descr");
  newVersionText_.clear();
  localVersionText_.clear();
  newDateTime_ = localDateTime_ = 0;
  dateFromRegistry_ = false;

  const std::string date = ReadControl("update", "date");
  if (!date.empty()) {
    DoStatus(928, "", 3, 0);
    const std::string time = ReadControl("update", "time");
    localVersionFile_ = ReadControlPath("update", "localversion");
    bool valid = false;
    const TDateTime newDate = ReadDateTimeText(date, time, valid);
    // A date that cannot be read is no date: nothing is newer by it.
    if (valid) {
      newDateTime_ = newDate;
      localDateTime_ = GetLastDate(localVersionFile_);
    }
    if (valid && localDateTime_ < newDateTime_) {
      DoStatus(929, DateToStr(newDateTime_), 5, 0);
      result = 6;
    } else {
      DoStatus(930, "", 4, 0);
    }
  }

  if (result == 7 && !ReadControl("update", "unconditional").empty()) result = 8;

  if (result == 7) {
    const std::string newVersion = ReadControl("update", "newversion");
    const int newSize = ReadControlInteger("update", "newsize", 0);
    localVersionFile_ = ReadControlPath("update", "localversion");
    const int newChecksum = ReadControlChecksum("update");
    newVersionText_ = newVersion;
    localVersionText_ = localVersionFile_;
    if ((!newVersion.empty() || newSize > 0 || newChecksum != -1) && !localVersionFile_.empty()) {
      int kind;
      if (newChecksum != -1) {
        kind = 10;
        DoStatus(931, "", 3, 0);
      } else if (newSize > 0) {
        kind = 9;
        DoStatus(932, "", 3, 0);
      } else {
        kind = 11;
        DoStatus(933, "", 3, 0);
      }
      if (IsNewVersion(newVersionText_, localVersionText_, newSize, newChecksum)) {
        DoStatus(929, newVersionText_, 5, 0);
        result = kind;
      } else {
        DoStatus(930, "", 4, 0);
      }
    }
  }

  if (OnCustomValidate) {
    bool allow = result != 7;
    OnCustomValidate(this, ReadControl("custom", "validatemsg"), ReadControl("custom", "validateparam"), allow);
    result = allow ? 12 : 7;
  }
  return result;
}

int TNetUpdate::RunActions() {
  const std::string msg = ReadControl("action", "msg");
  if (!msg.empty()) {
    DoStatus(934, "", 3, 0);
    MessageDlg(LineBreaks(msg), mtInformation, mbOK, 0);
  }
  if (!ReadControlPath("action", "htmldlg").empty()) {
    // This system has no browser HTML dialog: reported, nothing shown.
    DoStatus(935, "", 7, 0);
  }
  const std::string before = ReadControlPath("action", "runbefore");
  if (!before.empty() && !RefusedUnprotected("runbefore " + before)) StartCommand(before);
  if (OnCustomProcess)
    OnCustomProcess(this, ReadControl("custom", "processmsg"), ReadControl("custom", "processparam"));
  const std::string show = ReadControlPath("action", "showURL");
  if (!show.empty()) {
    DoStatus(942, "", 3, 0);
    // From plain http only a web address: never a local file or another scheme's handler.
    const bool web = (show.size() >= 7 && SameText(show.substr(0, 7), "http://")) ||
                     (show.size() >= 8 && SameText(show.substr(0, 8), "https://"));
    if (web || !RefusedUnprotected("showURL " + ShownURL(show) + " (not a web address)"))
      ShellExecute(0, "open", ShownURL(show), "", "", SW_SHOWNORMAL);
  }
  const std::string query = ReadControl("action", "query");
  if (!query.empty()) {
    DoStatus(936, "", 3, 0);
    if (MessageDlg(LineBreaks(query), mtInformation, mbYesNo, 0) != mrYes) {
      appUpdate_ = false;
      return -1;
    }
  }
  return 0;
}

std::unique_ptr<TStringList> TNetUpdate::GetText(const std::string& section, int id, int statusCode) {
  const std::string file = ReadControl(section + languageId_, "file");
  if (file.empty()) return nullptr;
  DoStatus(id, "", statusCode, 0);
  downloadLimit_ = kMaxTextBytes;
  const bool read = DownloadFile(file, false, RunDirectory());
  downloadLimit_ = 0;
  if (!read) return nullptr;
  auto text = std::make_unique<TStringList>();
  try {
    text->SetText(IniTextToUtf8(LoadRegularFileBytes(lastTarget_, kMaxTextBytes)));
  } catch (const Exception&) {
    text.reset();
  }
  DeleteFile(lastTarget_);
  return text;
}

std::unique_ptr<TStringList> TNetUpdate::GetWhatsNew() { return GetText("whatsnew", 937, 12); }

std::unique_ptr<TStringList> TNetUpdate::GetLicense() { return GetText("eula", 939, 13); }

int TNetUpdate::ReadFileList() {
  fileList_->Clear();
  fileList_->CurrentIndex = 0;
  int count = ReadControlInteger("files", "count", 0);
  if (count < 0) count = 0;
  if (count > kMaxFiles) count = kMaxFiles;
  if (count > 0) DoStatus(943, "", 3, 0);
  fileList_->BeginUpdate();
  for (int k = 1; k <= count; ++k) {
    const std::string s = "file" + std::to_string(k);
    TFileDescription* e = fileList_->Add();
    e->Section = s;
    e->URL = ReadControlPath(s, "url");
    e->LocalVersion = LocalPath(ReadControlPath(s, "localversion"));
    e->NewVersion = ReadControl(s, "newversion");
    e->NewSize = ReadControlInteger(s, "newsize", 0);
    e->NewCheckSum = ReadControlChecksum(s);
    e->NewCustomVer = ReadControl(s, "customversion");
    e->NewDate = ReadControl(s, "date");
    e->NewTime = ReadControl(s, "time");
    e->Description = ReadControl(s, "descr");
    // No folder, or a relative one, is the program's folder, wherever the
    // program was started from (a launcher starts it in the home folder).
    e->TargetDir = LocalPath(ReadControlPath(s, "targetdir"));
    if (e->TargetDir.empty() || e->TargetDir[0] != '/')
      e->TargetDir = std::filesystem::path(AppFolder() + e->TargetDir).lexically_normal().string();
    if (e->TargetDir.back() != '/') e->TargetDir += '/';
    e->Compressed = ReadControlInteger(s, "compressed", 0) == 1;
    e->FileSize = ReadControlInteger(s, "filesize", 0);
    e->Mandatory = ReadControlInteger(s, "mandatory", 0) == 1;
    e->Hidden = ReadControlInteger(s, "hidden", 0) == 1;
  }
  fileList_->EndUpdate();
  return count;
}

int TNetUpdate::FilterFileList() {
  for (int i = 0; i < fileList_->Count();) {
    TFileDescription* e = fileList_->Items(i);
    bool keep = false, dated = false;
    if (!e->LocalVersion.empty() && !e->NewDate.empty()) {
      bool valid = false;
      const TDateTime newDate = ReadDateTimeText(e->NewDate, e->NewTime, valid);
      if (valid) {  // an unreadable date is no date: the other tests decide
        dated = true;
        keep = !FileExists(e->LocalVersion) || FileDateTime(e->LocalVersion) < newDate;
      }
    }
    if (!dated) {
      std::string newVersion = e->NewVersion, local = e->LocalVersion;
      keep = IsNewVersion(newVersion, local, e->NewSize, e->NewCheckSum);
      if (keep && OnFileVersionCheck && !e->NewCustomVer.empty()) {
        bool isNew = true;
        OnFileVersionCheck(this, e->NewCustomVer, e->LocalVersion, isNew);
        keep = isNew;
      }
    }
    if (keep)
      ++i;
    else
      fileList_->Delete(i);
  }
  // What bytes from plain http may not do is decided before anything is downloaded.
  for (int i = 0; i < fileList_->Count();) {
    TFileDescription* e = fileList_->Items(i);
    const std::string why = EntryRefusal(*e, e->URL);
    if (why.empty()) {
      ++i;
      continue;
    }
    Refuse(FileNameFromURL(e->URL) + " (" + why + ")");
    fileList_->Delete(i);
  }
  if (OnGetFileList) {
    TStringList lines;
    for (int i = 0; i < fileList_->Count(); ++i) lines.Add(fileList_->Items(i)->Description);
    OnGetFileList(this, &lines);
    for (int i = fileList_->Count() - 1; i >= 0; --i)
      if (i < lines.Count() && lines[i].empty() && !fileList_->Items(i)->Description.empty()) fileList_->Delete(i);
  }
  return fileList_->Count() == 0 ? -1 : 0;
}
