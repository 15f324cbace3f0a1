#include "update/NuHousekeeping.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "platform/rtl/Registry.h"
#include "platform/rtl/SysUtils.h"
#include "update/NuEngine.h"

namespace NUpdate {

namespace {

const char* const kPrefixes[] = {"velmaron-update-", "velmaron-texts-"};

// Beside the settings (under the test runner, the test's own folder).
std::string NotePath() { return IncludeTrailingPathDelimiter(TRegistry::StoreDirectory()) + "update-problems.txt"; }

bool AllOf(const std::string& s, size_t from, int (*test)(int)) {
  for (size_t i = from; i < s.size(); ++i)
    if (!test(static_cast<unsigned char>(s[i]))) return false;
  return true;
}

// mkdtemp's six characters after the prefix, nothing more: a user's folder that
// merely begins the same way is not ours.
bool IsPrivateFolderName(const std::string& name, const std::string& prefix) {
  return name.size() == prefix.size() + 6 && name.compare(0, prefix.size(), prefix) == 0 &&
         AllOf(name, prefix.size(), [](int c) { return std::isalnum(c); });
}

bool ProcessGone(int pid) { return ::kill(pid, 0) != 0 && errno == ESRCH; }

}  // namespace

std::string UpdaterCopyName(const std::string& name, int pid) { return name + ".upd" + std::to_string(pid); }

int RemoveUpdaterLeftovers(const std::string& folder) {
  const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir < 0) return 0;
  DIR* d = ::fdopendir(dir);
  if (!d) {
    ::close(dir);
    return 0;
  }
  std::vector<std::string> gone;
  while (dirent* e = ::readdir(d)) {
    const std::string name = e->d_name;
    const size_t at = name.rfind(".upd");
    if (at == std::string::npos || at == 0 || at + 4 >= name.size() || name[at + 4] == '0' ||
        name.size() - at - 4 > 9 || !AllOf(name, at + 4, [](int c) { return std::isdigit(c); }))
      continue;
    const int pid = std::stoi(name.substr(at + 4));
    if (name != UpdaterCopyName(name.substr(0, at), pid) || !ProcessGone(pid)) continue;
    struct stat st {};
    if (::fstatat(dir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode) ||
        st.st_uid != ::geteuid())
      continue;
    gone.push_back(name);
  }
  int removed = 0;
  for (const std::string& name : gone)
    if (::unlinkat(dir, name.c_str(), 0) == 0) ++removed;
  ::closedir(d);
  return removed;
}

bool IsNewCopyName(const std::string& path) {
  const std::string name = UpperCase(ExtractFileName(path));
  const size_t at = name.find("_NEW");
  return at != std::string::npos && at + 4 == name.size();
}

bool SamePlace(const std::string& a, const std::string& b) {
  namespace fs = std::filesystem;
  if (a.empty() || b.empty()) return false;
  std::error_code ea, eb;
  return fs::weakly_canonical(fs::absolute(fs::path(a), ea), ea) == fs::weakly_canonical(fs::absolute(fs::path(b), eb), eb);
}

bool IsRegularFile(const std::string& fileName) {
  struct stat st {};
  return ::stat(fileName.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

int LockPrivateFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) return -1;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

void ReleaseLock(int& lockFd) {
  if (lockFd >= 0) ::close(lockFd);
  lockFd = -1;
}

std::string MakePrivateFolder(const std::string& base, const std::string& prefix, int& lockFd) {
  lockFd = -1;
  std::string templ = IncludeTrailingPathDelimiter(base) + prefix + "XXXXXX";
  if (!::mkdtemp(templ.data())) return {};
  lockFd = LockPrivateFolder(templ);
  return IncludeTrailingPathDelimiter(templ);
}

int RemoveStaleFolders(const std::string& base) {
  DIR* d = ::opendir(base.c_str());
  if (!d) return 0;
  std::vector<std::string> names;
  while (dirent* e = ::readdir(d)) {
    const std::string name = e->d_name;
    for (const char* p : kPrefixes)
      if (IsPrivateFolderName(name, p)) names.push_back(name);
  }
  ::closedir(d);
  int removed = 0;
  for (const std::string& name : names) {
    const std::string path = IncludeTrailingPathDelimiter(base) + name;
    struct stat st {};
    // Only real folders of this user: never a link, never someone else's.
    if (::lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid()) continue;
    int fd = LockPrivateFolder(path);
    if (fd < 0) continue;  // a running program or updater holds it
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
    ReleaseLock(fd);
    if (!ec) ++removed;
  }
  return removed;
}

void AddUpdaterNote(const std::string& line) {
  const std::string path = NotePath();
  ForceDirectories(ExcludeTrailingPathDelimiter(ExtractFilePath(path)));
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return;
  const std::string text = line + "\n";
  const ssize_t n = ::write(fd, text.data(), text.size());
  (void)n;  // a note that cannot be written is lost; the log still has the line
  ::close(fd);
}

std::string TakeUpdaterNote() {
  const std::string path = NotePath();
  std::string text;
  try {
    text = LoadRegularFileBytes(path, 64 * 1024);
  } catch (const Exception&) {
    return {};
  }
  ::unlink(path.c_str());
  return text;
}

}  // namespace NUpdate
