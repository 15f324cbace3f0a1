#include "update/NUpdate.h"

#include "platform/net/NetSession.h"
#include "platform/rtl/IniFiles.h"

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

TNetUpdate::TNetUpdate(TComponent* owner)
    : TComponent(owner),
      lastUrlEntry_(std::make_unique<TLastURLEntry>()),
      postUpdateInfo_(std::make_unique<TPostUpdateInfo>()),
      fileList_(std::make_unique<TFileList>()) {}

TNetUpdate::~TNetUpdate() = default;

void TNetUpdate::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == opRemove && component == utility_) utility_ = nullptr;
}

void TNetUpdate::SetUtility(TNetUpdateUtility* v) {
  utility_ = v;
  if (v) v->FreeNotification(this);
}

void TNetUpdate::SetLogFileName(const std::string& v) { logFileName_ = v; }

int TNetUpdate::ShowWhatsNewDialog(TStrings*) { return 0; }
int TNetUpdate::ShowLicenseDialog(TStrings*) { return 0; }
void TNetUpdate::DoStatus(int, const std::string&, int, int) {}
std::string TNetUpdate::ExtractUpdater() { return {}; }
void TNetUpdate::ExtractPatcher() {}
bool TNetUpdate::IsNewVersion(std::string&, std::string&, int, int) { return false; }
void TNetUpdate::QueryCancel(bool& Cancel) {
  if (OnProgressCancel) OnProgressCancel(this, Cancel);
}
void TNetUpdate::FileDownloaded(const std::string& FileName) {
  if (OnFileDownloaded) OnFileDownloaded(this, FileName);
}
int TNetUpdate::StartConnection() { return 0; }
int TNetUpdate::StopConnection() { return 0; }
int TNetUpdate::ConnectHost() { return -1; }
void TNetUpdate::GetControlFileURL(std::string& URL) { URL = url_; }
int TNetUpdate::ReadControlFile() { return 4; }
int TNetUpdate::CheckVersion() { return 7; }
int TNetUpdate::RunActions() { return 0; }
std::unique_ptr<TStringList> TNetUpdate::GetWhatsNew() { return nullptr; }
std::unique_ptr<TStringList> TNetUpdate::GetLicense() { return nullptr; }
int TNetUpdate::ReadFileList() { return 0; }
int TNetUpdate::FilterFileList() { return -1; }
int TNetUpdate::DownloadFiles() { return 0; }
void TNetUpdate::GetPrefixPath(const std::string&, std::string& Path) { Path.clear(); }

int TNetUpdate::FinishUpdate() { return cancelled_ ? -1 : 0; }
bool TNetUpdate::NeedsRestart() const { return false; }
void TNetUpdate::AppRestart() {}
void TNetUpdate::CancelUpdate() { cancelled_ = true; }

bool TNetUpdate::DownloadFile(const std::string&, bool, const std::string&) { return false; }
bool TNetUpdate::CopyFileWithProgress(const std::string&, const std::string&) { return false; }
void TNetUpdate::DoPostUpdateInfo() {}
std::string TNetUpdate::FileNameFromURL(const std::string& URL) { return URL; }
std::string TNetUpdate::ExpandPrefixes(const std::string& Path) { return Path; }
TDateTime TNetUpdate::GetLastDate(const std::string&) { return 0; }
void TNetUpdate::SaveLastDate() {}
bool TNetUpdate::RunAndWait(const std::string&) { return false; }
std::string TNetUpdate::RunDirectory() { return runDirectory_; }

namespace NUpdate {
void ParseVersion(const std::string&, int32_t& ms, int32_t& ls) { ms = ls = -1; }
std::string VersionText(int32_t, int32_t) { return {}; }
uint32_t FileAddSum(const std::string&) { return 0xFFFFFFFFu; }
std::string HostFromURL(const std::string& url) { return url; }
}  // namespace NUpdate
