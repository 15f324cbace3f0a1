// The engine's component, its companions, status reports, path tokens, the
// version decision and the dates of the date test.
#include "update/NUpdate.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "platform/gui/Forms.h"
#include "platform/net/NetSession.h"
#include "platform/rtl/IniFiles.h"
#include "platform/rtl/Registry.h"
#include "update/NuEngine.h"
#include "update/NuHousekeeping.h"
#include "update/NuPrefix.h"
#include "update/NuStatus.h"
#include "update/NuVersion.h"
#include "update/nucrc32.h"

// ===========================================================================
// Companions

void TLastURLEntry::Assign(TPersistent* source) {
  auto* s = dynamic_cast<TLastURLEntry*>(source);
  if (!s) return TPersistent::Assign(source);
  Save = s->Save;
  Key = s->Key;
  Section = s->Section;
  RegRoot = s->RegRoot;
}

void TPostUpdateInfo::Assign(TPersistent* source) {
  auto* s = dynamic_cast<TPostUpdateInfo*>(source);
  if (!s) return TPersistent::Assign(source);
  Server = s->Server;
  Action = s->Action;
  Data = s->Data;
  Enabled = s->Enabled;
}

void TFileDescription::Assign(TPersistent* source) {
  auto* s = dynamic_cast<TFileDescription*>(source);
  if (!s) return TPersistent::Assign(source);
  Compressed = s->Compressed;
  NewCheckSum = s->NewCheckSum;
  NewSize = s->NewSize;
  URL = s->URL;
  TargetDir = s->TargetDir;
  LocalVersion = s->LocalVersion;
  NewVersion = s->NewVersion;
  Description = s->Description;
  NewCustomVer = s->NewCustomVer;
  FileSize = s->FileSize;
  NewDate = s->NewDate;
  NewTime = s->NewTime;
  Mandatory = s->Mandatory;
  Hidden = s->Hidden;
  Selected = s->Selected;
  Section = s->Section;
}

TFileList::TFileList() : TCollection(CollectionItemClass<TFileDescription>()) {}

int64_t TFileList::TotalSize() const {
  int64_t total = 0;
  for (int i = 0; i < Count(); ++i) total += Items(i)->FileSize;
  return total;
}

int64_t TFileList::SizeBefore() const {
  int64_t total = 0;
  for (int i = 0; i < CurrentIndex && i < Count(); ++i) total += Items(i)->FileSize;
  return total;
}

TNetUpdateUtility::TNetUpdateUtility(TComponent* owner) : TComponent(owner) {}

// ===========================================================================
// Shared helpers

namespace NUpdate {

std::string& UnitLogFileName() {
  static std::string name = "NUPDATE.LOG";
  return name;
}

std::string LocalPath(std::string path) {
  for (char& c : path)
    if (c == '\\') c = '/';
  return path;
}

std::string ShownURL(const std::string& url) { return net::TNetSession::RedactUrl(url); }

bool SameName(const std::string& a, const std::string& b) { return SameText(a, b); }

void ParseVersion(const std::string& text, int32_t& ms, int32_t& ls) {
  ms = ls = -1;
  const char sep = text.find(',') != std::string::npos ? ',' : '.';
  std::vector<int32_t> parts;
  size_t start = 0;
  for (;;) {
    const size_t end = text.find(sep, start);
    const std::string part = Trim(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
    int v = -1;
    // A part outside 0..65535 would spill into its neighbour: not a version.
    if (!TryStrToInt(part, v) || v < 0 || v > 0xFFFF) v = -1;
    parts.push_back(v);
    if (end == std::string::npos) break;
    start = end + 1;
  }
  if (parts.size() > 4) return;
  auto ok = [&](size_t from, size_t to) {
    for (size_t i = from; i < to && i < parts.size(); ++i)
      if (parts[i] < 0) return false;
    return true;
  };
  if (!ok(0, 2)) return;
  ms = parts[0] << 16 | (parts.size() > 1 ? parts[1] : 0);
  if (parts.size() <= 2) {
    ls = 0;
    return;
  }
  if (!ok(2, 4)) return;
  ls = parts[2] << 16 | (parts.size() > 3 ? parts[3] : 0);
}

std::string VersionText(int32_t ms, int32_t ls) {
  const auto u = [](int32_t w, int shift) { return std::to_string((static_cast<uint32_t>(w) >> shift) & 0xFFFF); };
  return u(ms, 16) + "." + u(ms, 0) + "." + u(ls, 16) + "." + u(ls, 0);
}

uint32_t FileAddSum(const std::string& fileName) {
  uint32_t sum = 0xFFFFFFFFu;
  // A device or a pipe named by a control file would never end.
  if (!IsRegularFile(fileName)) return sum;
  FILE* f = std::fopen(fileName.c_str(), "rb");
  if (!f) return sum;
  unsigned char buf[4096];
  for (;;) {
    const size_t n = std::fread(buf, 1, sizeof buf, f);
    for (size_t i = 0; i < n; ++i) sum += buf[i];
    if (n < sizeof buf) break;
  }
  std::fclose(f);
  return sum;
}

std::string HostFromURL(const std::string& url) {
  size_t start = url.find("://");
  start = start == std::string::npos ? 0 : start + 3;
  size_t end = url.find_first_of("/\\", start);
  std::string host = url.substr(start, end == std::string::npos ? std::string::npos : end - start);
  const size_t at = host.rfind('@');
  return at == std::string::npos ? host : host.substr(at + 1);
}

}  // namespace NUpdate

using namespace NUpdate;

// ===========================================================================
// TNetUpdate: life, settings, reports

TNetUpdate::TNetUpdate(TComponent* owner)
    : TComponent(owner),
      lastUrlEntry_(std::make_unique<TLastURLEntry>()),
      postUpdateInfo_(std::make_unique<TPostUpdateInfo>()),
      fileList_(std::make_unique<TFileList>()) {}

TNetUpdate::~TNetUpdate() {
  control_.reset();
  session_.reset();
  RemoveRunDirectory();
}

void TNetUpdate::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == opRemove && component == utility_) utility_ = nullptr;
}

void TNetUpdate::SetUtility(TNetUpdateUtility* v) {
  if (utility_ == v) return;
  if (utility_) utility_->RemoveFreeNotification(this);
  utility_ = v;
  if (v) v->FreeNotification(this);
}

void TNetUpdate::SetLogFileName(const std::string& v) {
  logFileName_ = v;
  UnitLogFileName() = v;
}

TDateTime TNetUpdate::CurrentTime() const { return NowFunction ? NowFunction() : Now(); }

void TNetUpdate::DoStatus(int id, const std::string& param, int statusCode, int errCode) {
  const std::string text = FormatStatus(id, param);
  if (logging_) WriteLog(LogPath(), LogLine(CurrentTime(), id, text, statusCode, errCode));
  if (OnStatus) OnStatus(this, text, statusCode, errCode);
}

std::string TNetUpdate::LogPath() {
  // Relative to the program's folder, not to wherever the program was started from.
  const std::string name = LocalPath(UnitLogFileName());
  return name.empty() || name[0] == '/' ? name : AppFolder() + name;
}

void TNetUpdate::LogFree(const std::string& text) {
  if (logging_) WriteLog(LogPath(), LogStamp(CurrentTime()) + " : " + text);
}

void TNetUpdate::LogAlways(const std::string& line) { WriteLog(LogPath(), line); }

void TNetUpdate::QueryCancel(bool& Cancel) {
  if (OnProgressCancel) OnProgressCancel(this, Cancel);
  if (Cancel) DoStatus(964, "", 0, 0);
}

void TNetUpdate::FileDownloaded(const std::string& FileName) {
  if (OnFileDownloaded) OnFileDownloaded(this, FileName);
}

void TNetUpdate::CancelUpdate() { cancelled_ = true; }

void TNetUpdate::ProcessMessages() {
  if (ProcessMessagesFunction)
    ProcessMessagesFunction();
  else if (Application)
    Application->ProcessMessages();
}

// ===========================================================================
// Path tokens

void TNetUpdate::GetPrefixPath(const std::string& token, std::string& Path) {
  Path = StandardPrefixPath(token);
}

std::string TNetUpdate::ExpandPrefixes(const std::string& Path) {
  std::string text = Path;
  if (OnConvertPrefix) OnConvertPrefix(this, text);
  return NUpdate::ExpandPrefixes(text, [this](const std::string& token) {
    std::string p;
    GetPrefixPath(token, p);
    return p;
  });
}

// ===========================================================================
// The private directory of a run

std::string TNetUpdate::RunDirectory() {
  if (!runDirectory_.empty() && DirectoryExists(runDirectory_)) return runDirectory_;
  runDirectory_.clear();
  std::vector<std::string> bases;
  if (!tempDirectory_.empty() && tempDirectory_ != ".") bases.push_back(LocalPath(tempDirectory_));
  bases.push_back(GetTempDir());
  ReleaseLock(runLock_);
  for (const std::string& base : bases) {
    // For its owner only (0700) at a name nobody can guess, locked while in use.
    runDirectory_ = MakePrivateFolder(base, "velmaron-update-", runLock_);
    if (!runDirectory_.empty()) break;
  }
  // Named without links: files unpacked here are written by the writers that follow none.
  if (char* real = runDirectory_.empty() ? nullptr : ::realpath(runDirectory_.c_str(), nullptr)) {
    runDirectory_ = IncludeTrailingPathDelimiter(real);
    ::free(real);
  }
  return runDirectory_;
}

void TNetUpdate::RemoveRunDirectory() {
  if (!runDirectory_.empty()) {
    std::error_code ec;
    std::filesystem::remove_all(runDirectory_, ec);
    runDirectory_.clear();
  }
  ReleaseLock(runLock_);
}

std::string TNetUpdate::NewTempFile(int& fd) {
  fd = -1;
  const std::string dir = RunDirectory();
  if (dir.empty()) return {};
  std::string templ = dir + "NUPDXXXXXX";
  fd = ::mkstemp(templ.data());
  return fd < 0 ? std::string() : templ;
}

// ===========================================================================
// The version decision

bool TNetUpdate::IsNewVersion(std::string& NewVersion, std::string& LocalVersion, int NewSize,
                              int NewChecksum) {
  if ((NewVersion.empty() && NewSize == 0 && NewChecksum == -1) ||
      (LocalVersion.empty() && versionCheck_ == vcUpdateOnly))
    return true;
  const std::string local = LocalPath(LocalVersion);
  if (NewChecksum != -1) {
    const uint32_t sum = !useCrc32_ ? FileAddSum(local) : IsRegularFile(local) ? nucrc32::FileCRC32(local) : 0;
    DoStatus(933, "Checksum compare of " + LocalVersion + ":" + std::to_string(sum) + ":" +
                      std::to_string(static_cast<uint32_t>(NewChecksum)),
             3, 0);
    return sum != static_cast<uint32_t>(NewChecksum);
  }
  if (NewSize > 0) {
    const int64_t size = FileSizeOf(local);
    if (size == NewSize) return false;
    return size > 0 || versionCheck_ == vcAlways;
  }
  int32_t lms, lls, nms, nls;
  ReadFileVersion(local, lms, lls);
  ParseVersion(NewVersion, nms, nls);
  const bool newValid = nms != -1 && nls != -1;
  const bool localValid = lms != -1 && lls != -1;
  if (!newValid || !(localValid || versionCheck_ == vcAlways)) return false;
  NewVersion = VersionText(nms, nls);
  LocalVersion = VersionText(lms, lls);
  return nms > lms || (nms == lms && nls > lls);
}

// ===========================================================================
// Dates of the date test

namespace {

HKEY RootOf(TLastURLReg r) { return r == lurLOCALMACHINE ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER; }

std::string KeyPath(const TLastURLEntry& e) { return e.Key + "\\" + e.Section; }

// A registry string value, "" when missing or of another type.
std::string RegString(TRegistry& reg, const std::string& name) {
  try {
    return reg.ValueExists(name) ? reg.ReadString(name) : std::string();
  } catch (const Exception&) {
    return {};
  }
}

}  // namespace

TDateTime TNetUpdate::ReadDateTimeText(const std::string& date, const std::string& time, bool& valid) const {
  // The control file's own formats stand in for the system's only for this conversion.
  const TFormatSettings saved = FormatSettings;
  FormatSettings.ShortDateFormat = dateFormat_;
  FormatSettings.DateSeparator = dateSeparator_;
  FormatSettings.ShortTimeFormat = timeFormat_;
  FormatSettings.LongTimeFormat = timeFormat_;
  FormatSettings.TimeSeparator = timeSeparator_;
  TDateTime d = 0, t = 0;
  valid = TryStrToDate(Trim(date), d) && (Trim(time).empty() || TryStrToTime(Trim(time), t));
  FormatSettings = saved;
  return valid ? d + t : 0;
}

TDateTime TNetUpdate::GetLastDate(const std::string& LocalFile) {
  dateFromRegistry_ = false;
  TDateTime last = EncodeDate(1980, 1, 1);
  const TLastURLEntry& e = *lastUrlEntry_;
  if (!e.Key.empty() && !e.Section.empty()) {
    dateFromRegistry_ = true;
    TRegistry reg(KEY_READ);
    reg.SetRootKey(RootOf(e.RegRoot));
    if (reg.OpenKeyReadOnly(KeyPath(e))) {
      TDateTime d, t;
      if (TryStrToDate(RegString(reg, "LastDate"), d)) last = d;
      if (TryStrToTime(RegString(reg, "LastTime"), t)) last += t;
    }
    return last;
  }
  const std::string local = LocalPath(LocalFile);
  if (!local.empty() && FileExists(local)) {
    const TDateTime age = FileDateTime(local);
    if (age >= 0) return age;
  }
  return last;
}

void TNetUpdate::SaveLastDate() {
  const TLastURLEntry& e = *lastUrlEntry_;
  if (!dateFromRegistry_ || !e.Save || e.Key.empty() || e.Section.empty()) return;
  try {
    TRegistry reg;
    reg.SetRootKey(RootOf(e.RegRoot));
    if (!reg.OpenKey(KeyPath(e), true)) return;
    reg.WriteString("LastDate", DateToStr(newDateTime_));
    if (newDateTime_ != static_cast<double>(static_cast<int64_t>(newDateTime_)))
      reg.WriteString("LastTime", TimeToStr(newDateTime_));
    reg.CloseKey();
  } catch (const Exception&) {
    // A registry that cannot be written costs the date, never the update.
  }
}

std::string TNetUpdate::ReadLastURL() {
  const TLastURLEntry& e = *lastUrlEntry_;
  if (!e.Save || e.Key.empty() || e.Section.empty()) return {};
  TRegistry reg(KEY_READ);
  reg.SetRootKey(RootOf(e.RegRoot));
  if (!reg.OpenKeyReadOnly(KeyPath(e))) return {};
  return RegString(reg, "LastURL");
}

void TNetUpdate::SaveLastURL(const std::string& url) {
  const TLastURLEntry& e = *lastUrlEntry_;
  if (!e.Save || e.Key.empty() || e.Section.empty()) return;
  try {
    TRegistry reg;
    reg.SetRootKey(RootOf(e.RegRoot));
    if (!reg.OpenKey(KeyPath(e), true)) return;
    reg.WriteString("LastURL", url);
    reg.CloseKey();
  } catch (const Exception&) {
  }
}
