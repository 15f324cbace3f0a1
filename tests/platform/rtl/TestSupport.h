#pragma once
// Helpers of the runtime layer's tests: a fresh temporary directory per test and
// the strings of a list as a vector.

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/rtl/Classes.h"

class TTempDir {
 public:
  TTempDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "rtl-test-XXXXXX").string();
    char* p = mkdtemp(tmpl.data());
    path_ = p ? p : "";
  }
  ~TTempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }
  // Entries directly in the directory (temporary files left behind show up here).
  int EntryCount() const {
    int n = 0;
    for (auto it = std::filesystem::directory_iterator(path_); it != std::filesystem::directory_iterator(); ++it) ++n;
    return n;
  }

 private:
  std::string path_;
};

inline std::vector<std::string> StringsOf(const TStrings& s) {
  std::vector<std::string> r;
  for (int i = 0; i < s.Count(); ++i) r.push_back(s.Strings(i));
  return r;
}

using TStringVector = std::vector<std::string>;

// Sets (or, with nullptr, removes) an environment variable for one scope.
class TEnvScope {
 public:
  TEnvScope(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old, had_ = true;
    if (value) setenv(name, value, 1);
    else unsetenv(name);
  }
  ~TEnvScope() {
    if (had_) setenv(name_.c_str(), old_.c_str(), 1);
    else unsetenv(name_.c_str());
  }
  TEnvScope(const TEnvScope&) = delete;
  TEnvScope& operator=(const TEnvScope&) = delete;

 private:
  std::string name_, old_;
  bool had_ = false;
};

// Files a settings reader must refuse at once, leaving them as they are.
enum class THostileFile { Fifo, DevZeroLink, Directory, Oversized };
inline const THostileFile kHostileFiles[] = {THostileFile::Fifo, THostileFile::DevZeroLink, THostileFile::Directory,
                                             THostileFile::Oversized};

inline const char* HostileName(THostileFile kind) {
  switch (kind) {
    case THostileFile::Fifo: return "fifo";
    case THostileFile::DevZeroLink: return "link-to-dev-zero";
    case THostileFile::Directory: return "directory";
    case THostileFile::Oversized: return "oversized";
  }
  return "";
}

// Puts the hostile kind at `path`; Oversized is a sparse file one byte above
// `limit` that begins with `head`. False when it cannot be made.
inline bool MakeHostileFile(THostileFile kind, const std::string& path, int64_t limit, const std::string& head = "") {
  switch (kind) {
    case THostileFile::Fifo: return mkfifo(path.c_str(), 0600) == 0;
    case THostileFile::DevZeroLink: return symlink("/dev/zero", path.c_str()) == 0;
    case THostileFile::Directory: return mkdir(path.c_str(), 0700) == 0;
    case THostileFile::Oversized: {
      FILE* f = std::fopen(path.c_str(), "wb");
      if (!f) return false;
      const bool ok = std::fwrite(head.data(), 1, head.size(), f) == head.size() && std::fflush(f) == 0 &&
                      ftruncate(fileno(f), limit + 1) == 0;
      return std::fclose(f) == 0 && ok;
    }
  }
  return false;
}

// True when `path` is still the hostile kind MakeHostileFile put there.
inline bool StillHostileFile(THostileFile kind, const std::string& path, int64_t limit) {
  struct stat st {};
  if (lstat(path.c_str(), &st) != 0) return false;
  switch (kind) {
    case THostileFile::Fifo: return S_ISFIFO(st.st_mode);
    case THostileFile::DevZeroLink: return S_ISLNK(st.st_mode);
    case THostileFile::Directory: return S_ISDIR(st.st_mode);
    case THostileFile::Oversized: return S_ISREG(st.st_mode) && st.st_size == limit + 1;
  }
  return false;
}

// Runs `body` in a child process killed after `seconds`, so that a reader that
// blocks or aborts fails the test instead of hanging or ending the run. The
// child's exit code (body's result), or 128 + the signal that ended it.
inline int ExitCodeWithin(unsigned seconds, const std::function<int()>& body) {
  std::fflush(nullptr);
  const pid_t pid = fork();
  if (pid < 0) return -1;
  if (pid == 0) {
    alarm(seconds);
    int code = 100;
    try {
      code = body();
    } catch (...) {
      code = 101;
    }
    std::_Exit(code);
  }
  int status = 0;
  while (waitpid(pid, &status, 0) < 0)
    if (errno != EINTR) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
