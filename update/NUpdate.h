// The web-update engine: reads the update control file from a server (HTTP,
// HTTPS, FTP) or a path, decides whether something is new, downloads and
// unpacks the files of an update and hands running files to the updater.
// A driver (the wizard) calls the steps in a fixed order; each step reports
// through DoStatus and returns a result code instead of raising.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/rtl/Classes.h"
#include "platform/rtl/SysUtils.h"

namespace net {
class TNetSession;
}
class TMemIniFile;

enum TNetUpdateType { ftpUpdate, httpUpdate, fileUpdate };
enum TNetUpdateConnect {
  nucNoConnect,
  nucConnectPrompt,
  nucConnectSilent,
  nucConnectPromptHangup,
  nucConnectSilentHangup,
  nucNone
};
enum TNetUpdateUpdate { nuuPromptOnce, nuuPromptAll, nuuSilent };
enum TNetUpdateVersionCheck { vcUpdateOnly, vcAlways };
enum TNetUpdateAuthentication { waAlways, waAuto, waNever };
enum TLastURLReg { lurLOCALUSER, lurLOCALMACHINE };

// Registry place of the redirected control-file URL and of the last update date.
// Nothing is read or written unless Key and Section are both set; the URL
// also needs Save.
class TLastURLEntry : public TPersistent {
 public:
  std::string ClassName() const override { return "TLastURLEntry"; }
  void Assign(TPersistent* source) override;

  bool Save = false;
  std::string Key;      // key path, e.g. "\Software\Dalmire\Velmaron"
  std::string Section;  // sub-key under Key that holds the values
  TLastURLReg RegRoot = lurLOCALUSER;
};

// Form data posted to a server after an update.
class TPostUpdateInfo : public TPersistent {
 public:
  std::string ClassName() const override { return "TPostUpdateInfo"; }
  void Assign(TPersistent* source) override;

  std::string Server;  // host (optionally host:port)
  std::string Action;  // request path
  std::string Data;    // form data, sent unchanged
  bool Enabled = false;
  std::string Result;  // the server's answer of the last post
};

// One file of an update, as the control file describes it.
class TFileDescription : public TCollectionItem {
 public:
  explicit TFileDescription(TCollection* collection) : TCollectionItem(collection) {}
  std::string ClassName() const override { return "TFileDescription"; }
  void Assign(TPersistent* source) override;

  bool Compressed = false;
  int NewCheckSum = -1;  // -1: none
  int NewSize = 0;       // 0: none
  std::string URL;
  std::string TargetDir;     // empty (the current directory) or ending with a delimiter
  std::string LocalVersion;  // the local file compared with the new one
  std::string NewVersion;
  std::string Description;
  std::string NewCustomVer;
  int FileSize = 0;  // for the total progress only
  std::string NewDate;
  std::string NewTime;
  bool Mandatory = false;
  bool Hidden = false;
  bool Selected = false;
  std::string Section;  // "file" + k: names the entry in messages
};

// The files of an update, in control-file order.
class TFileList : public TCollection {
 public:
  TFileList();
  std::string ClassName() const override { return "TFileList"; }

  TFileDescription* Add() { return static_cast<TFileDescription*>(TCollection::Add()); }
  TFileDescription* Items(int index) const {
    return static_cast<TFileDescription*>(TCollection::Items(index));
  }

  int CurrentIndex = 0;  // the file being downloaded
  // Sum of every entry's FileSize / of the entries before CurrentIndex.
  int64_t TotalSize() const;
  int64_t SizeBefore() const;
};

// Options for the external patch program.
class TNetUpdateUtility : public TComponent {
 public:
  explicit TNetUpdateUtility(TComponent* owner);
  std::string ClassName() const override { return "TNetUpdateUtility"; }

  bool ShowWindow = false;     // show the patch program's window
  bool ShowAnimation = false;  // show a small progress window while it runs
  std::string StatusMessage;
  std::string StatusCaption;
};

// Event types, arguments in the order the events pass them.
using TFileProgressEvent =
    std::function<void(TObject* Sender, const std::string& FileName, int64_t Pos, int64_t Size)>;
using TFileDownloadedEvent = std::function<void(TObject* Sender, const std::string& FileName)>;
using TFileVersionCheckEvent = std::function<void(TObject* Sender, const std::string& NewVersion,
                                                  const std::string& LocalVersion, bool& IsNew)>;
using TProcessPostResultEvent = std::function<void(TObject* Sender, bool& AllowPostResult)>;
using TBeforePostEvent = std::function<void(TObject* Sender, bool& AllowPost)>;
using TProgressEvent = std::function<void(TObject* Sender, const std::string& Action)>;
using TProgressCancelEvent = std::function<void(TObject* Sender, bool& Cancel)>;
using TStatusEvent =
    std::function<void(TObject* Sender, const std::string& StatusStr, int StatusCode, int ErrCode)>;
using TAppRestartEvent = std::function<void(TObject* Sender, bool& Allow)>;
using TBeforeFileDownloadEvent = std::function<void(TObject* Sender, int FileIdx,
                                                    const std::string& FileDescription, std::string& URL)>;
using TCustomValidateEvent =
    std::function<void(TObject* Sender, const std::string& Msg, const std::string& Param, bool& Allow)>;
using TCustomProcessEvent =
    std::function<void(TObject* Sender, const std::string& Msg, const std::string& Param)>;
using TGetFileListEvent = std::function<void(TObject* Sender, TStrings* List)>;
using TConvertPrefixEvent = std::function<void(TObject* Sender, std::string& Path)>;
using TSetAppParamsEvent = std::function<void(TObject* Sender, std::string& AppParams)>;
using TDownloadedTextEvent = std::function<void(TObject* Sender, TStrings* Text, int& Res)>;
using TFileNameFromURLEvent =
    std::function<void(TObject* Sender, const std::string& URL, std::string& FName)>;

class TNetUpdate : public TComponent {
 public:
  explicit TNetUpdate(TComponent* owner);
  ~TNetUpdate() override;
  std::string ClassName() const override { return "TNetUpdate"; }
  void Notification(TComponent* component, TOperation operation) override;

  // ---- Virtual steps, in slot order --------------------------------------
  // The built-in text dialogs: 0 accepted, -1 refused.
  virtual int ShowWhatsNewDialog(TStrings* Text);
  virtual int ShowLicenseDialog(TStrings* Text);
  // Formats status `id` with `param`, logs it when Logging, fires OnStatus.
  virtual void DoStatus(int id, const std::string& param, int statusCode, int errCode);
  // Copies the updater program into the run directory; its path, or "" with errno telling why.
  virtual std::string ExtractUpdater();
  // The patch program is not carried: it must already be present.
  virtual void ExtractPatcher();
  // The version decision; both texts become the compared dotted forms when
  // versions were compared.
  virtual bool IsNewVersion(std::string& NewVersion, std::string& LocalVersion, int NewSize,
                            int NewChecksum);
  // Fires OnProgressCancel; reports 964 when the answer is cancel.
  virtual void QueryCancel(bool& Cancel);
  // Fires OnFileDownloaded.
  virtual void FileDownloaded(const std::string& FileName);
  // 0 ready, 1 offline and not allowed to connect, 2 no transfer session.
  virtual int StartConnection();
  // 0.
  virtual int StopConnection();
  // FTP only: 0 logged in, -1 not.
  virtual int ConnectHost();
  // The registry's "LastURL" (when allowed) or URL, prefixes expanded.
  virtual void GetControlFileURL(std::string& URL);
  // 0 read, 4 not downloaded, 5 wrong signature.
  virtual int ReadControlFile();
  // 6 newer by date, 7 nothing new, 8 unconditional, 9 size, 10 checksum,
  // 11 version, 12 allowed by OnCustomValidate.
  virtual int CheckVersion();
  // 0, or -1 when the control file's question was answered No.
  virtual int RunActions();
  // The downloaded text, or null when the control file names none.
  virtual std::unique_ptr<TStringList> GetWhatsNew();
  virtual std::unique_ptr<TStringList> GetLicense();
  // Number of entries read.
  virtual int ReadFileList();
  // 0, or -1 when no file is left.
  virtual int FilterFileList();
  // 0, or -1 when at least one file failed.
  virtual int DownloadFiles();
  // The path of an upper-case token ("APP", "TMP", ...), "" when unknown.
  virtual void GetPrefixPath(const std::string& token, std::string& Path);

  // ---- Driver operations -------------------------------------------------
  // 0, or -1 when cancelled or the post result was refused.
  int FinishUpdate();
  bool NeedsRestart() const;
  // Starts the updater and closes the application (through OnAppDoClose when assigned).
  void AppRestart();
  void CancelUpdate();
  bool Cancelled() const { return cancelled_; }

  // ---- Transfers ---------------------------------------------------------
  // Downloads `URL` into `TargetDir` (or, for a file update, onto the file
  // TargetDir names) through the run directory; true when the file reached
  // its target. A failed or cancelled download leaves the target as it was.
  bool DownloadFile(const std::string& URL, bool Compressed, const std::string& TargetDir);
  bool CopyFileWithProgress(const std::string& Source, const std::string& Target);
  void DoPostUpdateInfo();
  // The name part of a URL (after the last "/" or "\", without "?query" or
  // "#fragment"), passed through OnFileNameFromURL.
  std::string FileNameFromURL(const std::string& URL);

  // ---- Helpers the steps share -------------------------------------------
  std::string ExpandPrefixes(const std::string& Path);
  // The local date of the date test (registry, else the local file's time, else 1980-01-01).
  TDateTime GetLastDate(const std::string& LocalFile);
  void SaveLastDate();
  // Runs a command (an argument list, never a shell) and waits; true for exit
  // code 0. With `appendOutputTo` its output is appended to that file.
  bool RunAndWait(const std::string& CommandLine, const std::string& appendOutputTo = {});

  // ---- What the steps found, for display ---------------------------------
  TFileList* FileList() const { return fileList_.get(); }
  const std::string& UpdateDescription() const { return updateDescr_; }
  const std::string& NewVersionText() const { return newVersionText_; }
  const std::string& LocalVersionText() const { return localVersionText_; }
  TDateTime NewDateTime() const { return newDateTime_; }
  TDateTime LocalDateTime() const { return localDateTime_; }
  // The restart command and the application components the control file named.
  const std::string& RestartCommand() const { return appRestart_; }
  const std::string& AppComponents() const { return appComps_; }
  // The private directory of this run (mode 0700), made on first use; "" when
  // it cannot be made.
  std::string RunDirectory();

  // ---- Properties ----------------------------------------------------------
  const std::string& Agent() const { return agent_; }
  void SetAgent(const std::string& v) { agent_ = v; }
  bool ApplyPatch() const { return applyPatch_; }
  void SetApplyPatch(bool v) { applyPatch_ = v; }
  TNetUpdateAuthentication Authenticate() const { return authenticate_; }
  void SetAuthenticate(TNetUpdateAuthentication v) { authenticate_ = v; }
  const std::string& DateFormat() const { return dateFormat_; }
  void SetDateFormat(const std::string& v) { dateFormat_ = v; }
  char DateSeparator() const { return dateSeparator_; }
  void SetDateSeparator(char v) { dateSeparator_ = v; }
  bool ExtractCAB() const { return extractCab_; }
  void SetExtractCAB(bool v) { extractCab_ = v; }
  bool ExistingConnection() const { return existingConnection_; }
  void SetExistingConnection(bool v) { existingConnection_ = v; }
  const std::string& FTPDirectory() const { return ftpDirectory_; }
  void SetFTPDirectory(const std::string& v) { ftpDirectory_ = v; }
  bool FTPPassive() const { return ftpPassive_; }
  void SetFTPPassive(bool v) { ftpPassive_ = v; }
  const std::string& Host() const { return host_; }
  void SetHost(const std::string& v) { host_ = v; }
  bool HTTPKeepAliveAuthentication() const { return keepAlive_; }
  void SetHTTPKeepAliveAuthentication(bool v) { keepAlive_ = v; }
  bool KeepIntermediateFiles() const { return keepIntermediate_; }
  void SetKeepIntermediateFiles(bool v) { keepIntermediate_ = v; }
  const std::string& LanguageID() const { return languageId_; }
  void SetLanguageID(const std::string& v) { languageId_ = v; }
  bool Logging() const { return logging_; }
  void SetLogging(bool v) { logging_ = v; }
  // Also sets the unit-wide log name the log writer uses (the last setter wins).
  const std::string& LogFileName() const { return logFileName_; }
  void SetLogFileName(const std::string& v);
  TLastURLEntry* LastURLEntry() const { return lastUrlEntry_.get(); }
  void SetLastURLEntry(TLastURLEntry* v) { lastUrlEntry_->Assign(v); }
  const std::string& Password() const { return password_; }
  void SetPassword(const std::string& v) { password_ = v; }
  const std::string& UserID() const { return userId_; }
  void SetUserID(const std::string& v) { userId_ = v; }
  int Port() const { return port_; }
  void SetPort(int v) { port_ = v; }
  TPostUpdateInfo* PostUpdateInfo() const { return postUpdateInfo_.get(); }
  void SetPostUpdateInfo(TPostUpdateInfo* v) { postUpdateInfo_->Assign(v); }
  // "host:port"; its credentials go to the proxy only, never into a URL.
  const std::string& Proxy() const { return proxy_; }
  void SetProxy(const std::string& v) { proxy_ = v; }
  const std::string& ProxyUserID() const { return proxyUserId_; }
  void SetProxyUserID(const std::string& v) { proxyUserId_ = v; }
  const std::string& ProxyPassword() const { return proxyPassword_; }
  void SetProxyPassword(const std::string& v) { proxyPassword_ = v; }
  const std::string& Signature() const { return signature_; }
  void SetSignature(const std::string& v) { signature_ = v; }
  bool SignatureCheck() const { return signatureCheck_; }
  void SetSignatureCheck(bool v) { signatureCheck_ = v; }
  // Parent of the run's private directory; "." or "" stand for the system
  // temporary directory.
  const std::string& TempDirectory() const { return tempDirectory_; }
  void SetTempDirectory(const std::string& v) { tempDirectory_ = v; }
  const std::string& TimeFormat() const { return timeFormat_; }
  void SetTimeFormat(const std::string& v) { timeFormat_ = v; }
  char TimeSeparator() const { return timeSeparator_; }
  void SetTimeSeparator(char v) { timeSeparator_ = v; }
  TNetUpdateType UpdateType() const { return updateType_; }
  void SetUpdateType(TNetUpdateType v) { updateType_ = v; }
  TNetUpdateConnect UpdateConnect() const { return updateConnect_; }
  void SetUpdateConnect(TNetUpdateConnect v) { updateConnect_ = v; }
  TNetUpdateUpdate UpdateUpdate() const { return updateUpdate_; }
  void SetUpdateUpdate(TNetUpdateUpdate v) { updateUpdate_ = v; }
  const std::string& URL() const { return url_; }
  void SetURL(const std::string& v) { url_ = v; }
  bool UseCRC32() const { return useCrc32_; }
  void SetUseCRC32(bool v) { useCrc32_ = v; }
  TNetUpdateUtility* Utility() const { return utility_; }
  void SetUtility(TNetUpdateUtility* v);
  TNetUpdateVersionCheck VersionCheck() const { return versionCheck_; }
  void SetVersionCheck(TNetUpdateVersionCheck v) { versionCheck_ = v; }
  // Always "1.7.0.0"; writes are ignored.
  std::string Version() const { return "1.7.0.0"; }
  void SetVersion(const std::string&) {}

  // ---- Events ----------------------------------------------------------------
  TFileProgressEvent OnFileProgress;
  TFileDownloadedEvent OnFileDownloaded;
  TFileVersionCheckEvent OnFileVersionCheck;
  TProcessPostResultEvent OnProcessPostResult;
  TBeforePostEvent OnBeforePost;
  TProgressEvent OnProgress;  // never fired
  TProgressCancelEvent OnProgressCancel;
  TStatusEvent OnStatus;
  TNotifyEvent OnThreadUpdateDone;  // never fired
  TAppRestartEvent OnAppRestart;
  TNotifyEvent OnAppDoClose;
  TBeforeFileDownloadEvent OnBeforeFileDownload;
  TCustomValidateEvent OnCustomValidate;
  TCustomProcessEvent OnCustomProcess;
  TGetFileListEvent OnGetFileList;
  TConvertPrefixEvent OnConvertPrefix;
  TSetAppParamsEvent OnSetAppParams;
  TDownloadedTextEvent OnDownloadedWhatsNew;
  TDownloadedTextEvent OnDownloadedEULA;
  TFileNameFromURLEvent OnFileNameFromURL;
  TNotifyEvent OnSuccess;  // fired by the wizard after a finished update

  // ---- Injection points for tests --------------------------------------------
  // The wall clock of log lines (null: Now()).
  std::function<TDateTime()> NowFunction;
  // Lets the window system breathe between transfer blocks (null: the application's).
  std::function<void()> ProcessMessagesFunction;
  // The updater program copied by ExtractUpdater ("": "upd" beside the running executable).
  std::string UpdaterPath;
  // The most a listed file without a given size may bring (tests lower it).
  int64_t DownloadCap = kDownloadCap;
  static constexpr int64_t kDownloadCap = int64_t(1) << 30;

  // ---- What this run refused or stopped, for the wizard's pages ----------------
  // Each refused file as "name (reason)", in the order refused (status 966;
  // refused commands and the restart are reported and logged only).
  const std::vector<std::string>& Refusals() const { return refusals_; }
  // Texts of refused redirects and stopped downloads (statuses 967 and 968).
  const std::vector<std::string>& Problems() const { return problems_; }
  // True when a refused file was refused because it came over plain http.
  bool PlainRefused() const { return plainRefused_; }
  // The restart that would put the program's own files in place was refused.
  bool ProgramUpdateRefused() const { return programUpdateRefused_; }
  // Files of the last file step that arrived and were put in place or handed on.
  int InstalledCount() const { return installed_; }

 private:
  TDateTime CurrentTime() const;
  // A line of our own, dated, written only with Logging.
  void LogFree(const std::string& text);
  // A line written as it stands, also without Logging.
  void LogAlways(const std::string& line);
  // The log file, a relative name taken in {APP}.
  std::string LogPath();
  void ProcessMessages();
  void RemoveRunDirectory();
  std::string NewTempFile(int& fd);
  TDateTime ReadDateTimeText(const std::string& date, const std::string& time, bool& valid) const;
  std::string ReadLastURL();
  void SaveLastURL(const std::string& url);
  std::string ReadControl(const std::string& section, const std::string& key, const std::string& def = {});
  int ReadControlInteger(const std::string& section, const std::string& key, int def);
  int ReadControlChecksum(const std::string& section);
  std::string ReadControlPath(const std::string& section, const std::string& key);
  std::unique_ptr<TStringList> GetText(const std::string& section, int id, int statusCode);
  bool IsAppComponent(const std::string& name) const;
  bool StartCommand(const std::string& commandLine);
  // Transfers.
  enum TFetch { fOk, fFailed, fCancelled };
  TFetch FetchHttp(const std::string& url, const std::string& target, int fd, int64_t& received);
  TFetch FetchFtp(const std::string& url, const std::string& name, const std::string& target, int fd, int64_t& received);
  bool BlockArrived(const std::string& target, int fd, const char* data, size_t size, int64_t& received,
                    int64_t expected, bool& writeFailed);
  bool PlaceFile(const std::string& tempFile, const std::string& target);
  // False when an LZ file could not be expanded or is not what the control file says.
  bool Unpack(const std::string& target, const std::string& targetDir);
  // True when `data`, arriving as `target`, is unpacked after placing (and checked then).
  bool UnpackedLater(const std::string& data, const std::string& target, bool compressed) const;
  bool IsCabinet(const std::string& target) const;
  // The file placed as target against the size and checksum the control file gives for the
  // entry's local file, when target is (or the updater makes it) that local file.
  bool MatchesExpected(const std::string& file, const std::string& target);
  // Commands and targets outside the program's folder are refused from a control
  // file anyone on the way could change; true (and reported) when refused.
  bool RefusedUnprotected(const std::string& what);
  bool InsideAppFolder(const std::string& dir);
  // Reports a refusal (966, or `id`) with the thing refused and why and logs
  // it; a refused file is kept for Refusals.
  void Refuse(const std::string& what, bool file = true, int id = 966);
  // Reports a refused redirect or a stopped download, logs it, keeps its text.
  void Problem(int id, const std::string& param, int statusCode, int errCode);
  // True when the entry's bytes count as plain http: its control file or its
  // own address did not come over https (or from a folder).
  bool PlainEntry(const std::string& url) const;
  // Why an entry fetched from `url` may not be downloaded at all; "" when it may.
  std::string EntryRefusal(const TFileDescription& e, const std::string& url);
  // Why bytes that came over plain http may not be written to `target`; "" when they may.
  std::string DataOnlyRefusal(const std::string& target);
  // Why bytes from plain http may be placed nowhere in the program's folder
  // (the home folder, above it, or the system's); "" when they may.
  std::string AppFolderRefusal();
  // "the program" or "the updater" when `target` is one of them, else "".
  std::string ProgramFileRole(const std::string& target);
  // Unpacks a cabinet into `dir` once every check has passed: from plain http
  // no name or byte such data may not write (refused and deleted), the limits
  // and the free space for all its entries, whole programs where the program
  // or the updater would be replaced. uFailed (reported) fails the entry.
  enum TUnpacked { uOk, uRefused, uFailed };
  TUnpacked UnpackCabinet(const std::string& cabinet, const std::string& dir);
  // ProgramFileRole of `target`, or of the file a "_NEW" target becomes.
  std::string ReplacedProgram(const std::string& target);
  // False (and a 968 report) when the file system of `where` (default: the
  // run directory) has less than `bytes` free for `name`.
  bool EnoughSpace(const std::string& name, int64_t bytes, const std::string& where = {});
  // The folder {APP} stands for, with a trailing delimiter.
  std::string AppFolder();
  bool AskLogin(const std::string& url);
  // The user's login belongs to the server the control file came from.
  bool OwnServer(const std::string& url) const;
  void FinishTransfer();

  // Properties.
  std::string agent_ = "TNetUpdate";
  bool applyPatch_ = false;
  TNetUpdateAuthentication authenticate_ = waNever;
  std::string dateFormat_ = "dd/mm/yyyy";
  char dateSeparator_ = '/';
  bool extractCab_ = false;
  bool existingConnection_ = false;
  std::string ftpDirectory_;
  bool ftpPassive_ = false;
  std::string host_;
  bool keepAlive_ = false;
  bool keepIntermediate_ = false;
  std::string languageId_;
  bool logging_ = false;
  std::string logFileName_ = "NUPDATE.LOG";
  std::unique_ptr<TLastURLEntry> lastUrlEntry_;
  std::string password_, userId_;
  int port_ = 21;
  std::unique_ptr<TPostUpdateInfo> postUpdateInfo_;
  std::string proxy_, proxyUserId_, proxyPassword_;
  std::string signature_ = "NetUpdate";
  bool signatureCheck_ = false;
  std::string tempDirectory_ = ".";
  std::string timeFormat_ = "hh:nn";
  char timeSeparator_ = ':';
  TNetUpdateType updateType_ = ftpUpdate;
  TNetUpdateConnect updateConnect_ = nucNoConnect;
  TNetUpdateUpdate updateUpdate_ = nuuPromptOnce;
  std::string url_;
  bool useCrc32_ = false;
  TNetUpdateUtility* utility_ = nullptr;
  TNetUpdateVersionCheck versionCheck_ = vcUpdateOnly;

  // State the steps share.
  std::unique_ptr<net::TNetSession> session_;
  bool connected_ = false;
  bool ftpConnected_ = false;
  bool ftpDirSet_ = false;
  std::string controlFile_;  // local copy of the control file
  std::unique_ptr<TMemIniFile> control_;
  std::string appName_, appParams_;
  std::string appRestart_;
  std::string appComps_;
  bool appUpdate_ = false;
  bool silentRestart_ = false;
  bool restartNeeded_ = false;
  bool cancelled_ = false;
  bool dateFromRegistry_ = false;
  TDateTime newDateTime_ = 0;
  TDateTime localDateTime_ = 0;
  std::string localVersionFile_;
  std::string localVersionText_, newVersionText_, updateDescr_;
  std::unique_ptr<TFileList> fileList_;
  std::string runDirectory_;
  int transferDepth_ = 0;          // a transfer is under way
  int tempError_ = 0;              // errno of the download's temporary file, raised once it is gone
  bool stopPending_ = false;       // StopConnection asked during a transfer
  std::string lastTarget_;         // where the last download arrived
  std::vector<std::string> downloadedComps_;  // application components downloaded whole this run
  // What the entry being downloaded must be once in place (0 / -1: not given).
  int expectedSize_ = 0;
  int expectedChecksum_ = -1;
  std::string expectedName_;
  std::string expectedLocal_;      // the entry's local file, which the two above describe
  bool verifyOnPlace_ = false;
  int64_t downloadLimit_ = 0;      // bytes a download may bring, 0: no limit
  int64_t unpackLimit_ = 0;        // bytes the entry's cabinet or LZ file may unpack to (plain http), 0: no limit
  std::string credentialOrigin_;   // scheme://host:port the credentials belong to
  bool unprotectedControl_ = false;  // the control file came over plain http or ftp
  bool lastSecure_ = false;          // the last download came over https (or from a folder) all the way
  bool dataOnly_ = false;            // the entry being downloaded may write ordinary data files only
  bool refusedNow_ = false;          // the entry being downloaded was refused after it arrived
  std::string limitWhy_;             // what the download limit is, for its text
  std::vector<std::string> refusals_, problems_;
  bool programUpdateRefused_ = false;
  bool plainRefused_ = false;
  int installed_ = 0;
  int runLock_ = -1;               // holds the run directory against stale-folder cleaning
};

namespace NUpdate {

// Both 32-bit words of a version text ("1.7.0.0", "1,7", "$10.2"); -1 for a word
// that could not be read. Valid when neither word is -1.
void ParseVersion(const std::string& text, int32_t& ms, int32_t& ls);
// "a.b.c.d" from the two words.
std::string VersionText(int32_t ms, int32_t ls);
// The additive checksum: 0xFFFFFFFF plus every byte, modulo 2^32; 0xFFFFFFFF
// when the file cannot be read.
uint32_t FileAddSum(const std::string& fileName);
// The host part of a URL (after "://", up to the first "/" or "\"), without user information.
std::string HostFromURL(const std::string& url);

// Points the engine at a control file given as one address: "http://" and
// "https://" select httpUpdate; "ftp://host[:port]/dir/name" selects ftpUpdate
// with Host, Port and FTPDirectory ("dir", below the login directory);
// "file://" or a plain path selects fileUpdate. User information
// ("user:password@") becomes UserID and Password; URL keeps none of it.
// False (nothing changed) for an empty address or another scheme.
bool ApplyControlFileURL(TNetUpdate& engine, const std::string& url);

}  // namespace NUpdate
