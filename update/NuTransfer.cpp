// The engine's connection and transfers: one session per run, downloads
// through a temporary file in the run's private directory, atomic placement.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

#include "platform/archive/Archive.h"
#include "platform/archive/ElfFile.h"
#include "platform/archive/NoLinkFiles.h"
#include "platform/net/NetSession.h"
#include "platform/rtl/IniFiles.h"
#include "update/NUpdate.h"
#include "update/NuBase64.h"
#include "update/NuEngine.h"
#include "update/NuLogin.h"
#include "update/cabfdi.h"
#include "update/nucrc32.h"

using namespace NUpdate;

namespace {

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string PercentDecoded(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    int hi, lo;
    if (s[i] == '%' && i + 2 < s.size() && (hi = HexDigitValue(s[i + 1])) >= 0 &&
        (lo = HexDigitValue(s[i + 2])) >= 0) {
      out += static_cast<char>(hi * 16 + lo);
      i += 2;
    } else {
      out += s[i];
    }
  }
  return out;
}

// "file:///dir/a%20b" -> "/dir/a b"; a plain path stays as it is.
std::string FilePathOf(const std::string& url) {
  if (url.size() < 7 || !SameText(url.substr(0, 7), "file://")) return url;
  std::string rest = url.substr(7);
  if (rest.size() >= 9 && SameText(rest.substr(0, 9), "localhost")) rest.erase(0, 9);
  return PercentDecoded(rest);
}

// "1.5 MB", "300 bytes": sizes for people.
std::string ByteCount(int64_t bytes) {
  if (bytes < (1 << 20)) return std::to_string(bytes) + " bytes";
  const int64_t tenths = bytes * 10 / (1 << 20);
  return std::to_string(tenths / 10) + (tenths % 10 ? "." + std::to_string(tenths % 10) : "") + " MB";
}

bool ValidName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find_first_of("/\\") == std::string::npos &&
         name.find('\0') == std::string::npos;
}

}  // namespace

std::string NUpdate::OriginOf(const std::string& url) {
  const size_t scheme = url.find("://");
  if (scheme == std::string::npos) return {};
  const std::string kind = LowerCase(url.substr(0, scheme));
  const size_t hostStart = scheme + 3;
  size_t hostEnd = url.find_first_of("/\\?#", hostStart);
  if (hostEnd == std::string::npos) hostEnd = url.size();
  std::string authority = url.substr(hostStart, hostEnd - hostStart);
  const size_t at = authority.rfind('@');
  if (at != std::string::npos) authority.erase(0, at + 1);
  authority = LowerCase(authority);
  const size_t close = authority.rfind(']');
  const size_t colon = authority.rfind(':');
  if (colon == std::string::npos || (close != std::string::npos && colon < close))
    authority += kind == "https" ? ":443" : kind == "ftp" ? ":21" : ":80";
  return kind + "://" + authority;
}

// ===========================================================================
// Connection

int TNetUpdate::StartConnection() {
  if (transferDepth_ > 0) return 2;  // the session is in use: a window asked from inside a transfer
  session_.reset();
  connected_ = ftpConnected_ = ftpDirSet_ = stopPending_ = false;
  if (updateType_ == fileUpdate) return 0;
  DoStatus(918, "", 3, 0);
  if (updateConnect_ == nucNone) return 0;
  // There is no dial-up here: the machine's network state counts as connected.
  DoStatus(921, "", 3, 0);
  net::TNetOptions options;
  options.Agent = agent_;
  options.Proxy = proxy_;
  options.ProxyUser = proxyUserId_;
  options.ProxyPassword = proxyPassword_;
  options.KeepAlive = keepAlive_ || existingConnection_;
  options.OnIdle = [this] {
    ProcessMessages();
    bool cancel = false;
    QueryCancel(cancel);
    return !cancel && !stopPending_;
  };
  session_ = std::make_unique<net::TNetSession>(options);
  if (!session_->Valid()) {
    session_.reset();
    DoStatus(922, "", 1, 0);
    return 2;
  }
  connected_ = true;
  return 0;
}

int TNetUpdate::ConnectHost() {
  if (transferDepth_ > 0) return -1;
  ftpDirSet_ = false;
  DoStatus(923, host_, 3, 0);
  if (!session_) return -1;
  net::TFtpLogin login;
  login.Host = host_;
  login.Port = port_;
  if (!userId_.empty() && !password_.empty()) {
    login.User = userId_;
    login.Password = password_;
  }
  login.Passive = ftpPassive_;
  std::string error;
  ftpConnected_ = session_->FtpConnect(login, error);
  return ftpConnected_ ? 0 : -1;
}

int TNetUpdate::StopConnection() {
  if (transferDepth_ > 0) {
    // Called from a window while a transfer runs: acted on once it has returned.
    stopPending_ = true;
    return 0;
  }
  if (updateType_ != fileUpdate) {
    if (updateType_ == ftpUpdate && ftpConnected_) {
      session_->FtpDisconnect();
      DoStatus(954, "", 3, 0);
    }
    if (session_) {
      session_.reset();
      DoStatus(949, "", 3, 0);
    }
    DoStatus(949, "", 3, 0);
  }
  control_.reset();
  if (!controlFile_.empty()) {
    DeleteFile(controlFile_);
    controlFile_.clear();
  }
  connected_ = ftpConnected_ = ftpDirSet_ = stopPending_ = false;
  RemoveRunDirectory();
  return 0;
}

void TNetUpdate::FinishTransfer() {
  if (transferDepth_ == 0 && stopPending_) StopConnection();
}

// ===========================================================================
// Names

std::string TNetUpdate::FileNameFromURL(const std::string& URL) {
  std::string s = URL;
  // Query and fragment belong to addresses; in a plain path "?" and "#" are name characters.
  const bool address = s.find("://") != std::string::npos;
  if (address) {
    const size_t cut = s.find_first_of("?#", s.find("://") + 3);
    if (cut != std::string::npos) s.erase(cut);
  }
  const size_t slash = s.find_last_of("/\\");
  std::string name = slash == std::string::npos ? s : s.substr(slash + 1);
  if (address) name = PercentDecoded(name);  // "a%20b.txt" names "a b.txt"
  if (OnFileNameFromURL) {
    std::string fname = name;
    OnFileNameFromURL(this, name, fname);
    name = fname;
  }
  return name;
}

bool TNetUpdate::OwnServer(const std::string& url) const {
  return credentialOrigin_.empty() || OriginOf(url) == credentialOrigin_;
}

bool TNetUpdate::AskLogin(const std::string& url) {
  std::string user, password;
  if (!NuLogin::Login("Connect to " + HostFromURL(url), user, password)) {
    DoStatus(956, "", 0, 0);
    return false;
  }
  userId_ = user;
  password_ = password;
  return true;
}

// ===========================================================================
// Downloads

bool TNetUpdate::BlockArrived(const std::string& target, int fd, const char* data, size_t size,
                              int64_t& received, int64_t expected, bool& writeFailed) {
  ProcessMessages();
  // A server that sends more than the file can be stops here, before it fills the disk.
  if (downloadLimit_ > 0 && (received + static_cast<int64_t>(size) > downloadLimit_ || expected > downloadLimit_)) {
    LogFree("Download stopped: more than " + std::to_string(downloadLimit_) + " bytes for " + target);
    Problem(968, ExtractFileName(target) + ": more than " + ByteCount(downloadLimit_) + ", " + limitWhy_, 2, 0);
    writeFailed = true;
    return false;
  }
  // Once the server has said how much it sends, the space for it is looked for first.
  if (received == 0 && expected > 0 && !EnoughSpace(ExtractFileName(target), expected)) {
    writeFailed = true;
    return false;
  }
  if (!archive::WriteAll(fd, data, size)) {
    tempError_ = errno;
    writeFailed = true;
    return false;
  }
  received += static_cast<int64_t>(size);
  if (OnFileProgress) OnFileProgress(this, target, received, expected);
  bool cancel = false;
  QueryCancel(cancel);
  return !cancel && !stopPending_;
}

TNetUpdate::TFetch TNetUpdate::FetchHttp(const std::string& url, const std::string& target, int fd,
                                          int64_t& received) {
  for (;;) {
    std::vector<std::string> headers;
    const bool ownServer = OwnServer(url);
    if ((!userId_.empty() || !password_.empty()) && ownServer)
      headers.push_back("Authorization: Basic " + NuBase64::Base64Encode(userId_ + ":" + password_));
    else if (!userId_.empty() || !password_.empty())
      LogFree("Credentials not sent to " + HostFromURL(url) + ": not the update server");
    tempError_ = 0;  // a 401's body that did not fit is asked for no more
    if (::ftruncate(fd, 0) != 0 || ::lseek(fd, 0, SEEK_SET) != 0) {
      tempError_ = errno;
      return fFailed;
    }
    received = 0;
    bool writeFailed = false;
    const net::TTransferResult r = session_->HttpGet(url, headers, [&](const char* data, size_t size) {
      return BlockArrived(target, fd, data, size, received, session_->AnnouncedSize(), writeFailed);
    });
    lastSecure_ = r.Secure;
    if (!r.RefusedRedirect.empty()) {
      // Whoever sits on the plain path could send anything: nothing of it is used.
      Problem(967, ShownURL(url) + " -> " + r.RefusedRedirect, 11, 4);
      return fFailed;
    }
    if (r.Status == 401 && authenticate_ == waAuto && ownServer && !stopPending_) {
      if (!AskLogin(url)) return fFailed;
      continue;
    }
    if (writeFailed) return fFailed;
    if (r.Cancelled || stopPending_) return fCancelled;
    if (!r.Opened) {
      DoStatus(917, ShownURL(url), 2, 1);
      return fFailed;
    }
    if (r.Status >= 300) {
      DoStatus(916, std::to_string(r.Status), 6, static_cast<int>(r.Status));
      return fFailed;
    }
    // A body shorter or longer than announced is a failed transfer.
    return r.Complete ? fOk : fFailed;
  }
}

TNetUpdate::TFetch TNetUpdate::FetchFtp(const std::string& url, const std::string& name, const std::string& target,
                                         int fd, int64_t& received) {
  if (!ftpConnected_) {
    DoStatus(917, ShownURL(url), 2, 1);
    return fFailed;
  }
  if (!ftpDirectory_.empty() && !ftpDirSet_) {
    session_->FtpChangeDir(LocalPath(ExpandPrefixes(ftpDirectory_)));  // once; its result does not matter
    ftpDirSet_ = true;
  }
  // What the listing gives is only the expected size: the file is opened whatever it says.
  const int64_t size = std::max<int64_t>(session_->FtpFileSize(name), 0);
  received = 0;
  bool writeFailed = false;
  const net::TTransferResult r = session_->FtpGet(name, [&](const char* data, size_t n) {
    return BlockArrived(target, fd, data, n, received, size, writeFailed);
  });
  if (writeFailed) return fFailed;
  if (r.Cancelled || stopPending_) return fCancelled;
  if (!r.Error.empty() && received == 0) {  // the server would not open it
    DoStatus(917, ShownURL(url), 2, 1);
    return fFailed;
  }
  if (!r.Error.empty() || (size > 0 && received != size)) return fFailed;
  return fOk;
}

bool TNetUpdate::DownloadFile(const std::string& URL, bool Compressed, const std::string& TargetDir) {
  if (transferDepth_ > 0) return false;  // one transfer at a time on the run's session
  DoStatus(915, ShownURL(URL), 3, 0);
  lastTarget_.clear();
  lastSecure_ = false;
  const std::string name = FileNameFromURL(URL);
  if (!ValidName(name)) {
    DoStatus(917, ShownURL(URL), 2, 1);
    return false;
  }
  const std::string dir = LocalPath(TargetDir);

  if (updateType_ == fileUpdate) {
    const std::string target = ExtractFileName(dir).empty() ? dir + name : dir;
    const std::string source = LocalPath(FilePathOf(URL));
    verifyOnPlace_ = !UnpackedLater(source, target, Compressed);
    const bool copied = CopyFileWithProgress(source, target);
    verifyOnPlace_ = false;
    if (!copied) return false;
    lastSecure_ = true;  // a folder of this machine or a share the user mounted
    lastTarget_ = target;
    FileDownloaded(target);
    if (Compressed) {
      if (IsCabinet(target)) DoStatus(965, target, 3, 0);
      if (!Unpack(target, ExtractFilePath(target))) return false;
    }
    return true;
  }

  if (!session_) {
    DoStatus(917, ShownURL(URL), 2, 1);
    return false;
  }
  const bool http = updateType_ == httpUpdate;
  // Another server gets no login, so none is asked for it.
  if (http && authenticate_ == waAlways && (userId_.empty() || password_.empty()) && OwnServer(URL) &&
      !AskLogin(URL))
    return false;
  const std::string target = dir + name;
  int fd = -1;
  errno = 0;
  const std::string temp = NewTempFile(fd);
  if (temp.empty()) {
    const int err = errno ? errno : EIO;
    LogFree("Unable to create a temporary file for " + target + ": " + std::strerror(err));
    throw EInOutError(err, "Cannot create a temporary file for " + name + ": " + std::strerror(err));
  }
  int64_t received = 0;
  tempError_ = 0;
  ++transferDepth_;
  TFetch fetched = http ? FetchHttp(URL, target, fd, received) : FetchFtp(URL, name, target, fd, received);
  --transferDepth_;
  if (fetched == fOk && ::fsync(fd) != 0) {
    tempError_ = errno;
    fetched = fFailed;
  }
  ::close(fd);
  cancelled_ = fetched == fCancelled;
  // An empty answer never replaces a file.
  verifyOnPlace_ = fetched == fOk && !UnpackedLater(temp, target, Compressed);
  bool ok = fetched == fOk && received > 0 && PlaceFile(temp, target);
  verifyOnPlace_ = false;
  if (!ok && ::unlink(temp.c_str()) != 0 && errno != ENOENT) LogAlways("Unable to delete file " + temp);
  FinishTransfer();
  // A full disk is no answer of the server: raised, the target untouched and the temporary gone.
  if (const int err = std::exchange(tempError_, 0)) {
    LogFree("Unable to write the temporary file for " + target + ": " + std::strerror(err));
    throw EInOutError(err, "Cannot write the temporary file for " + name + ": " + std::strerror(err));
  }
  if (!ok) return false;
  lastTarget_ = target;
  FileDownloaded(target);
  if (Compressed && !Unpack(target, dir)) return false;
  return true;
}

bool TNetUpdate::EnoughSpace(const std::string& name, int64_t bytes, const std::string& where) {
  const std::string dir = where.empty() ? RunDirectory() : where;
  if (dir.empty()) return true;
  const int64_t free = archive::FreeBytesAt(dir);
  if (free < 0 || free >= bytes) return true;  // unknown: the write itself will tell
  Problem(968, name + ": needs " + ByteCount(bytes) + ", only " + ByteCount(free) + " free in " + dir, 2, 0);
  return false;
}

TNetUpdate::TUnpacked TNetUpdate::UnpackCabinet(const std::string& cabinet, const std::string& dir) {
  const std::string name = ExtractFileName(cabinet);
  const std::string root = dir.empty() ? AppFolder() : IncludeTrailingPathDelimiter(dir);
  auto refuse = [&](const std::string& why) {
    Refuse(name + " (" + why + ")");
    DeleteFile(cabinet);
    refusedNow_ = true;
    return uRefused;
  };
  auto fail = [&] {
    DeleteFile(cabinet);
    return uFailed;
  };
  // Looked into before anything is unpacked: a refusal or a limit stops the whole cabinet.
  archive::TCabinet cab;
  std::string error;
  bool examined = cab.Open(cabinet, error);
  for (const archive::TCabEntry& e : cab.Entries()) examined = examined && cabfdi::IsSafeEntryName(e.Name);
  if (examined) {
    int64_t total = 0;
    for (const archive::TCabEntry& e : cab.Entries()) {
      const std::string why = dataOnly_ ? DataOnlyRefusal(root + LocalPath(e.Name)) : std::string();
      if (!why.empty()) return refuse("it holds " + LocalPath(e.Name) + ": " + why);
      total += e.Length;
    }
    // What may be downloaded may not grow past its limit by being unpacked.
    if (dataOnly_ && unpackLimit_ > 0 && total > unpackLimit_) {
      Problem(968, name + ": unpacks to more than " + ByteCount(unpackLimit_) + ", " + limitWhy_, 2, 0);
      return fail();
    }
    if (!EnoughSpace(name, total, root)) return fail();
    // Bytes looked at before any is placed: no program from plain http, and
    // only a whole one where the program or the updater would be replaced.
    for (size_t i = 0; i < cab.Entries().size(); ++i) {
      const std::string entry = LocalPath(cab.Entries()[i].Name);
      const std::string role = ReplacedProgram(root + entry);
      if (!dataOnly_ && role.empty()) continue;
      int fd = -1;
      const std::string scratch = NewTempFile(fd);
      if (fd >= 0) ::close(fd);
      if (scratch.empty()) continue;
      const bool extracted = cab.ExtractScratch(i, scratch, error);
      const bool elf = extracted && archive::StartsAsElf(scratch);
      std::string whyNot;
      const bool whole = !extracted || role.empty() || archive::WholeElfForThisMachine(scratch, whyNot);
      ::unlink(scratch.c_str());
      if (dataOnly_ && elf) return refuse("it holds " + entry + ": it is a program or library (an ELF file)");
      if (!whole) {
        Problem(970, entry + " in " + name + " would replace " + role + ", but " + whyNot + "; the old one is kept", 2,
                0);
        return fail();
      }
    }
  }
  archive::TPlaceRule rule;
  rule.DataOnly = dataOnly_;
  std::string why;
  if (cabfdi::ExtractCab(cabinet, root, rule, &why) != 0) {
    LogFree("Unable to unpack " + cabinet + ": " + why);
    DoStatus(947, cabinet, 8, 0);
    return uOk;  // reported; the cabinet stays for a look
  }
  if (!keepIntermediate_) DeleteFile(cabinet);
  return uOk;
}

std::string TNetUpdate::ReplacedProgram(const std::string& target) {
  const std::string role = ProgramFileRole(target);
  const std::string name = ExtractFileName(target);
  // The updater makes "x_NEW" the file "x".
  if (role.empty() && name.size() > 4 && IsNewCopyName(name))
    return ProgramFileRole(target.substr(0, target.size() - 4));
  return role;
}

bool TNetUpdate::UnpackedLater(const std::string& data, const std::string& target, bool compressed) const {
  // A cabinet's entries carry checksums of their own; an LZ file is checked once expanded.
  return compressed && (IsCabinet(target) || !ExpandedName(data).empty());
}

bool TNetUpdate::IsCabinet(const std::string& target) const {
  // A copied file is one by a name holding ".CAB" anywhere ("x.cab.001"); a downloaded one by its extension.
  if (updateType_ == fileUpdate) return UpperCase(ExtractFileName(target)).find(".CAB") != std::string::npos;
  return UpperCase(ExtractFileExt(target)) == ".CAB";
}

bool TNetUpdate::MatchesExpected(const std::string& file, const std::string& target) {
  if (expectedSize_ <= 0 && expectedChecksum_ == -1) return true;
  // The two keys describe the local file: only a download that becomes it is held to them (a
  // patch that makes it is not). The updater makes "x_NEW" the file "x".
  const bool copy = IsNewCopyName(target);
  if (!SamePlace(copy ? target.substr(0, target.size() - 4) : target, expectedLocal_)) return true;
  bool ok = true;
  if (expectedSize_ > 0 && FileSizeOf(file) != expectedSize_) ok = false;
  if (ok && expectedChecksum_ != -1) {
    const uint32_t sum = useCrc32_ ? nucrc32::FileCRC32(file) : FileAddSum(file);
    ok = sum == static_cast<uint32_t>(expectedChecksum_);
  }
  if (!ok) LogFree("The new file does not have the size or checksum the control file gives: " + expectedName_);
  return ok;
}

bool TNetUpdate::PlaceFile(const std::string& tempFile, const std::string& target) {
  // What the control file says the new file is decides before anything is replaced.
  if (verifyOnPlace_ && !MatchesExpected(tempFile, target)) return false;
  // Bytes anyone on the way could change never become code: a plugin needs no execute bit.
  if (dataOnly_ && archive::StartsAsElf(tempFile)) {
    Refuse(ExtractFileName(target) + " (it is a program or library (an ELF file))");
    refusedNow_ = true;
    return false;
  }
  // Whatever becomes the program or the updater must be one, whole: half a
  // program (a server announcing half its length) would be started.
  const std::string role = ReplacedProgram(target);
  std::string why;
  if (!role.empty() && !archive::WholeElfForThisMachine(tempFile, why)) {
    Problem(970, ExtractFileName(target) + " would replace " + role + ", but " + why + "; the old one is kept", 2, 0);
    return false;
  }
  // No link followed on the way; synced before the rename, the folder after.
  std::string error;
  archive::TPlaceRule rule;
  rule.DataOnly = dataOnly_;
  if (archive::PlaceFile(tempFile, target, rule, error)) return true;
  LogAlways("Unable to rename file " + tempFile + " to " + target);
  LogFree("Why: " + error);
  return false;
}

bool TNetUpdate::Unpack(const std::string& target, const std::string& targetDir) {
  if (!IsCabinet(target)) {
    const std::string expanded = ExpandedName(target);
    if (expanded.empty()) return true;  // a file that is not LZ-compressed stays as it is
    if (dataOnly_) {
      // Its name is known only now: the same rule as for the file itself.
      const std::string why = DataOnlyRefusal(ExtractFilePath(target) + expanded);
      if (!why.empty()) {
        Refuse(ExtractFileName(target) + " (it expands to " + expanded + ": " + why + ")");
        DeleteFile(target);
        refusedNow_ = true;
        return false;
      }
    }
    // The limits of what may be downloaded hold for what it expands to; the room is looked for first.
    archive::TSzddHeader header;
    if (archive::ReadSzddHeader(target, header)) {
      if (dataOnly_ && unpackLimit_ > 0 && header.Length > unpackLimit_) {
        Problem(968, ExtractFileName(target) + ": expands to more than " + ByteCount(unpackLimit_) + ", " + limitWhy_,
                2, 0);
        DeleteFile(target);
        return false;
      }
      if (!EnoughSpace(expanded, header.Length) || !EnoughSpace(expanded, header.Length, ExtractFilePath(target))) {
        DeleteFile(target);
        return false;
      }
    }
    // Expanded in the run directory and checked there; only then does it replace anything.
    int fd = -1;
    const std::string temp = NewTempFile(fd);
    if (fd >= 0) ::close(fd);
    std::string error;
    verifyOnPlace_ = true;
    const bool ok = !temp.empty() && archive::ExpandSzdd(target, temp, error) &&
                    PlaceFile(temp, ExtractFilePath(target) + expanded);
    verifyOnPlace_ = false;
    if (!temp.empty()) ::unlink(temp.c_str());
    if (!error.empty()) LogFree("Unable to expand " + target + ": " + error);
    if (ExtractFileName(target) != expanded) DeleteFile(target);
    return ok;
  }
  return UnpackCabinet(target, targetDir) == uOk;
}

bool TNetUpdate::CopyFileWithProgress(const std::string& Source, const std::string& Target) {
  if (Source == Target) {
    DoStatus(912, Source, 10, 3);
    return false;
  }
  const int in = ::open(Source.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  struct stat st {};
  if (in < 0 || ::fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
    if (in >= 0) ::close(in);
    DoStatus(913, Source, 2, 1);
    return false;
  }
  if (st.st_size <= 0) {
    ::close(in);
    DoStatus(914, Source, 10, 2);
    return false;
  }
  int out = -1;
  const std::string temp = NewTempFile(out);
  if (temp.empty()) {
    ::close(in);
    return false;
  }
  const int64_t size = st.st_size;
  int64_t total = 0;
  bool failed = false, cancel = false;
  std::vector<char> buf(16384);
  ++transferDepth_;
  for (;;) {
    const ssize_t n = ::read(in, buf.data(), buf.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      failed = true;
      break;
    }
    if (n == 0) break;
    if (!archive::WriteAll(out, buf.data(), static_cast<size_t>(n))) {
      failed = true;
      break;
    }
    total += n;
    if (OnFileProgress) OnFileProgress(this, Source, total, size);
    QueryCancel(cancel);
    ProcessMessages();
    if (cancel || stopPending_) {
      cancel = true;
      break;
    }
  }
  --transferDepth_;
  ::close(in);
  // A copy that ends before the length the file had is a failed copy.
  if (!failed && !cancel && total != size) {
    LogFree("The copy of " + Source + " ended after " + std::to_string(total) + " of " + std::to_string(size) +
            " bytes");
    failed = true;
  }
  if (!failed && !cancel && ::fsync(out) != 0) failed = true;
  ::close(out);
  cancelled_ = cancel;
  const bool ok = !failed && !cancel && PlaceFile(temp, Target);
  if (!ok) ::unlink(temp.c_str());
  FinishTransfer();
  return ok;
}

void TNetUpdate::DoPostUpdateInfo() {
  TPostUpdateInfo& post = *postUpdateInfo_;
  if (post.Server.empty() || post.Action.empty() || transferDepth_ > 0) return;
  std::string url = post.Server.find("://") == std::string::npos ? "http://" + post.Server : post.Server;
  url += (post.Action[0] == '/' ? "" : "/") + post.Action;
  // A handle of its own, with the system's proxy settings, never the named one.
  net::TNetOptions options;
  options.Agent = agent_;
  net::TNetSession session(options);
  post.Result.clear();
  ++transferDepth_;
  const net::TTransferResult r =
      session.HttpPost(url, "application/x-www-form-urlencoded", post.Data, [&](const char* data, size_t size) {
        ProcessMessages();
        post.Result.append(data, size);
        return true;
      });
  --transferDepth_;
  if (!r.Connected)
    DoStatus(951, "", 16, 5);
  else if (!r.Opened)
    DoStatus(952, "", 17, 5);
  else if (r.Status >= 400)
    DoStatus(916, std::to_string(r.Status), 6, static_cast<int>(r.Status));
  FinishTransfer();
}

bool NUpdate::ApplyControlFileURL(TNetUpdate& engine, const std::string& url) {
  const size_t scheme = url.find("://");
  const std::string kind = scheme == std::string::npos ? std::string() : LowerCase(url.substr(0, scheme));
  if (url.empty() || (scheme != std::string::npos && kind != "http" && kind != "https" && kind != "ftp" &&
                      kind != "file"))
    return false;
  if (kind == "file" || kind.empty()) {
    engine.SetUpdateType(fileUpdate);
    engine.SetURL(url);
    return true;
  }
  const size_t hostStart = scheme + 3;
  const size_t pathStart = std::min(url.find('/', hostStart), url.size());
  std::string authority = url.substr(hostStart, pathStart - hostStart);
  // User information is the login, sent as such; the address keeps none of it.
  const size_t at = authority.rfind('@');
  if (at != std::string::npos) {
    const std::string info = authority.substr(0, at);
    const size_t colon = info.find(':');
    engine.SetUserID(PercentDecoded(info.substr(0, colon)));
    engine.SetPassword(colon == std::string::npos ? std::string() : PercentDecoded(info.substr(colon + 1)));
    authority.erase(0, at + 1);
  }
  engine.SetURL(ShownURL(url));
  if (kind != "ftp") {
    engine.SetUpdateType(httpUpdate);
    return true;
  }
  int port = 21;
  const size_t colon = authority.rfind(':');
  if (colon != std::string::npos && TryStrToInt(authority.substr(colon + 1), port) && port > 0 && port < 65536)
    authority.erase(colon);
  else
    port = 21;
  engine.SetUpdateType(ftpUpdate);
  engine.SetHost(authority);
  engine.SetPort(port);
  const std::string path = url.substr(std::min(pathStart + 1, url.size()));
  const size_t slash = path.rfind('/');
  engine.SetFTPDirectory(slash == std::string::npos ? std::string() : PercentDecoded(path.substr(0, slash)));
  return true;
}
