#include "platform/archive/NoLinkFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace archive {

namespace {

TCommitObserver& Observer() {
  static TCommitObserver observer;
  return observer;
}

void Observe(const char* step, const std::string& name) {
  if (Observer()) Observer()(step, name);
}

std::string Reason(const std::string& what, int error) { return what + ": " + std::strerror(error); }

mode_t NewFileMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

bool SyncFolder(const TFolder& folder, const std::string& name, std::string& error) {
  if (::fsync(folder.Fd()) != 0) {
    error = Reason("cannot sync " + folder.Path(), errno);
    return false;
  }
  Observe("sync folder", name);
  return true;
}

}  // namespace

bool WriteAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

void SetCommitObserver(TCommitObserver observer) { Observer() = std::move(observer); }

void SplitPath(const std::string& path, std::string& folder, std::string& name) {
  const size_t slash = path.rfind('/');
  folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  name = slash == std::string::npos ? path : path.substr(slash + 1);
}

TFolder::~TFolder() {
  if (fd_ >= 0) ::close(fd_);
}

TFolder::TFolder(TFolder&& other) noexcept : fd_(other.fd_), path_(std::move(other.path_)) { other.fd_ = -1; }

TFolder& TFolder::operator=(TFolder&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = other.fd_;
    path_ = std::move(other.path_);
    other.fd_ = -1;
  }
  return *this;
}

namespace {

// The components of `dir` taken absolute ("." and ".." lexically); false when
// the current folder cannot be read.
bool Components(const std::string& dir, std::vector<std::string>& parts, std::string& error) {
  std::string whole = dir;
  if (whole.empty() || whole[0] != '/') {
    std::vector<char> cwd(4096);
    if (!::getcwd(cwd.data(), cwd.size())) {
      error = Reason("cannot read the current folder", errno);
      return false;
    }
    whole = std::string(cwd.data()) + "/" + whole;
  }
  for (size_t start = 0; start <= whole.size();) {
    size_t end = whole.find('/', start);
    if (end == std::string::npos) end = whole.size();
    const std::string part = whole.substr(start, end - start);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    start = end + 1;
  }
  return true;
}

// Walks from "/" through `parts` without following a link, making missing
// folders when `create`. Without `create` a missing folder ends the walk with
// `missing` set and the descriptor of the last folder that exists.
int Walk(const std::vector<std::string>& parts, bool create, std::string& path, bool& missing, std::string& error) {
  missing = false;
  int fd = ::open("/", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) {
    error = Reason("cannot open /", errno);
    return -1;
  }
  path = "/";
  for (const std::string& part : parts) {
    int next = ::openat(fd, part.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    path += part + "/";
    if (next < 0 && errno == ENOENT && !create) {
      missing = true;
      return fd;
    }
    if (next < 0 && errno == ENOENT && create) {
      if (::mkdirat(fd, part.c_str(), 0777) != 0 && errno != EEXIST) {
        error = Reason("cannot create " + path, errno);
        ::close(fd);
        return -1;
      }
      next = ::openat(fd, part.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    }
    if (next < 0) {
      const int e = errno;
      error = e == ELOOP || e == ENOTDIR ? path.substr(0, path.size() - 1) + " is a link or not a folder"
                                         : Reason("cannot open " + path, e);
      ::close(fd);
      return -1;
    }
    ::close(fd);
    fd = next;
  }
  return fd;
}

}  // namespace

bool TFolder::Open(const std::string& dir, bool create, std::string& error) {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  path_.clear();
  std::vector<std::string> parts;
  if (!Components(dir, parts, error)) return false;
  std::string path;
  bool missing = false;
  const int fd = Walk(parts, create, path, missing, error);
  if (fd < 0) return false;
  if (missing) {
    error = Reason("cannot open " + path, ENOENT);
    ::close(fd);
    return false;
  }
  fd_ = fd;
  path_ = path;
  return true;
}

bool CheckPlaceable(const std::string& target, const TPlaceRule& rule, std::string& error) {
  std::string dir, name;
  SplitPath(target, dir, name);
  std::vector<std::string> parts;
  if (!Components(dir, parts, error)) return false;
  std::string path;
  bool missing = false;
  TFolder folder;
  folder.fd_ = Walk(parts, false, path, missing, error);
  if (folder.fd_ < 0) return false;
  if (missing) return true;  // made when the file is written, with nothing in the way
  folder.path_ = path;
  mode_t mode = 0;
  return PlacedMode(folder, name, rule, mode, error);
}

bool PlacedMode(const TFolder& folder, const std::string& name, const TPlaceRule& rule, mode_t& mode,
                std::string& error) {
  struct stat st {};
  if (::fstatat(folder.Fd(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
    if (errno != ENOENT) {
      error = Reason("cannot examine " + folder.Path() + name, errno);
      return false;
    }
    mode = NewFileMode();
  } else if (S_ISLNK(st.st_mode)) {
    error = folder.Path() + name + " is a link";
    return false;
  } else if (!S_ISREG(st.st_mode)) {
    error = folder.Path() + name + " is not an ordinary file";
    return false;
  } else {
    mode = st.st_mode & 07777;
  }
  if (rule.DataOnly) {
    if (mode & 0111) {
      error = folder.Path() + name + " is a program (it has an execute bit)";
      return false;
    }
    mode &= 0666;
  }
  return true;
}

int CreateTempIn(const TFolder& folder, const std::string& name, std::string& tempName, std::string& error) {
  if (tempName.empty()) tempName = name + ".part" + std::to_string(::getpid());
  // Our own name: what a killed earlier run left there goes first (never followed).
  struct stat st {};
  if (::fstatat(folder.Fd(), tempName.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && !S_ISDIR(st.st_mode))
    ::unlinkat(folder.Fd(), tempName.c_str(), 0);
  const int fd = ::openat(folder.Fd(), tempName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) error = Reason("cannot create " + folder.Path() + tempName, errno);
  return fd;
}

bool CommitIn(const TFolder& folder, int fd, const std::string& tempName, const std::string& name, mode_t mode,
              std::string& error) {
  bool ok = true;
  if (::fchmod(fd, mode) != 0) {
    error = Reason("cannot give " + folder.Path() + name + " its mode", errno);
    ok = false;
  }
  if (ok && ::fsync(fd) != 0) {
    error = Reason("cannot write " + folder.Path() + name + " to the disk", errno);
    ok = false;
  }
  if (ok) Observe("sync file", name);
  if (::close(fd) != 0 && ok) {
    error = Reason("cannot write " + folder.Path() + name, errno);
    ok = false;
  }
  if (ok && ::renameat(folder.Fd(), tempName.c_str(), folder.Fd(), name.c_str()) != 0) {
    error = Reason("cannot replace " + folder.Path() + name, errno);
    ok = false;
  }
  if (!ok) {
    ::unlinkat(folder.Fd(), tempName.c_str(), 0);
    return false;
  }
  Observe("rename", name);
  return SyncFolder(folder, name, error);
}

namespace {

// Records the system's error number of the step that failed.
bool Failed(std::string& error, const std::string& text, int& number, int e) {
  number = e;
  error = Reason(text, e);
  return false;
}

bool PlaceFileOnce(const std::string& source, const std::string& target, const TPlaceRule& rule, std::string& error,
                   const TPlaceSteps& steps, int& number) {
  auto before = [&](const char* step, const std::string& file) {
    if (steps.Before) steps.Before(step, file);
  };
  std::string sourceDir, sourceName, targetDir, targetName;
  SplitPath(source, sourceDir, sourceName);
  SplitPath(target, targetDir, targetName);
  // The source is ours (a run's private folder, or the updater's current one):
  // only the way to the target must be free of links.
  struct TFd {
    int fd;
    ~TFd() {
      if (fd >= 0) ::close(fd);
    }
    int Fd() const { return fd; }
  } from{::open(sourceDir.empty() ? "." : sourceDir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
  if (from.fd < 0) return Failed(error, "cannot open " + sourceDir, number, errno);
  TFolder to;
  if (!to.Open(targetDir, false, error)) {
    number = ENOTDIR;
    return false;
  }
  mode_t mode = 0;
  if (!PlacedMode(to, targetName, rule, mode, error)) {
    number = EPERM;
    return false;
  }
  const int in = ::openat(from.Fd(), sourceName.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
  struct stat st {};
  if (in < 0) return Failed(error, "cannot open " + source, number, errno);
  if (::fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(in);
    number = EINVAL;
    error = source + " is not an ordinary file";
    return false;
  }
  before("mode", source);
  if (::fchmod(in, mode) != 0) {
    const int e = errno;
    ::close(in);
    return Failed(error, "cannot give " + source + " its mode", number, e);
  }
  // Data synced before the rename puts it in place.
  if (::fsync(in) != 0) {
    const int e = errno;
    ::close(in);
    return Failed(error, "cannot write " + source + " to the disk", number, e);
  }
  Observe("sync file", targetName);
  ::close(in);
  before("rename", source);
  if (::renameat(from.Fd(), sourceName.c_str(), to.Fd(), targetName.c_str()) == 0) {
    Observe("rename", targetName);
    return SyncFolder(to, targetName, error);
  }
  if (errno != EXDEV) return Failed(error, "cannot replace " + target, number, errno);
  // Another file system: a copy beside the target, synced, renamed over it.
  std::string temp = steps.BesideName;
  const int out = CreateTempIn(to, targetName, temp, error);
  if (out < 0) {
    number = errno;
    return false;
  }
  const int again = ::openat(from.Fd(), sourceName.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
  bool ok = again >= 0;
  int e = ok ? 0 : errno;
  std::vector<char> buf(1 << 16);
  while (ok) {
    const ssize_t n = ::read(again, buf.data(), buf.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      e = errno;
      ok = false;
    }
    if (n <= 0) break;
    ok = WriteAll(out, buf.data(), static_cast<size_t>(n));
    if (!ok) e = errno ? errno : EIO;
  }
  if (again >= 0) ::close(again);
  if (!ok) {
    ::close(out);
    ::unlinkat(to.Fd(), temp.c_str(), 0);
    return Failed(error, "cannot copy " + source + " to " + target, number, e ? e : EIO);
  }
  before("rename", to.Path() + temp);
  if (!CommitIn(to, out, temp, targetName, mode, error)) {
    number = EIO;
    return false;
  }
  ::unlinkat(from.Fd(), sourceName.c_str(), 0);
  return true;
}

}  // namespace

bool PlaceFile(const std::string& source, const std::string& target, const TPlaceRule& rule, std::string& error,
               const TPlaceSteps& steps, int* errorNumber) {
  int number = 0;
  const bool ok = PlaceFileOnce(source, target, rule, error, steps, number);
  if (errorNumber) *errorNumber = ok ? 0 : (number ? number : EIO);
  return ok;
}

}  // namespace archive
