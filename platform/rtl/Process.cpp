#include "platform/rtl/Process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>

extern char** environ;

std::vector<std::string> SplitCommandLine(const std::string& commandLine) {
  std::vector<std::string> out;
  std::string cur;
  bool inQuotes = false, have = false;
  for (size_t i = 0; i < commandLine.size(); ++i) {
    const char c = commandLine[i];
    if (c == '\\' && i + 1 < commandLine.size() && commandLine[i + 1] == '"') {
      cur += '"';
      ++i;
      have = true;
    } else if (c == '"') {
      inQuotes = !inQuotes;
      have = true;
    } else if ((c == ' ' || c == '\t') && !inQuotes) {
      if (have) out.push_back(cur);
      cur.clear();
      have = false;
    } else {
      cur += c;
      have = true;
    }
  }
  if (have) out.push_back(cur);
  return out;
}

std::string QuoteArgument(const std::string& arg) {
  return arg.find(' ') == std::string::npos ? arg : "\"" + arg + "\"";
}

namespace {

std::vector<char*> Argv(std::vector<std::string>& args) {
  std::vector<char*> v;
  for (auto& a : args) v.push_back(a.data());
  v.push_back(nullptr);
  return v;
}

TProcessLauncher* g_launcher = nullptr;

}  // namespace

int TProcessLauncher::StartDetached(const std::vector<std::string>& argv, std::string& error,
                                    int* errorNumber) {
  if (argv.empty() || argv[0].empty()) {
    error = std::strerror(ENOENT);
    if (errorNumber) *errorNumber = ENOENT;
    return -1;
  }
  std::vector<std::string> args = argv;
  std::vector<char*> a = Argv(args);
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  // Its own session: the child lives on when we end, and no signal of ours reaches it.
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK);
  sigset_t none;
  sigemptyset(&none);
  posix_spawnattr_setsigmask(&attr, &none);
  pid_t pid = -1;
  const int rc = posix_spawnp(&pid, a[0], nullptr, &attr, a.data(), environ);
  posix_spawnattr_destroy(&attr);
  if (rc != 0) {
    error = std::strerror(rc);
    if (errorNumber) *errorNumber = rc;
    return -1;
  }
  return pid;
}

int TProcessLauncher::RunAndWait(const std::vector<std::string>& argv, const std::string& appendOutputTo,
                                  bool hidden) {
  if (argv.empty() || argv[0].empty()) {
    errno = ENOENT;
    return -1;
  }
  std::vector<std::string> args = argv;
  std::vector<char*> a = Argv(args);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (!appendOutputTo.empty())
    posix_spawn_file_actions_addopen(&actions, 1, appendOutputTo.c_str(),
                                     O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
  else if (hidden)
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  if (hidden) posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = -1;
  const int rc = posix_spawnp(&pid, a[0], &actions, nullptr, a.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) {
    errno = rc;
    return -1;
  }
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  return 128 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
}

void TProcessLauncher::WaitForExit(int pid) {
  if (pid <= 0) return;
  const int fd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
  if (fd < 0) {
    if (errno == ESRCH) return;  // already gone
    // No process descriptors on this kernel: look every 100 ms.
    while (::kill(pid, 0) == 0 || errno == EPERM) ::usleep(100000);
    return;
  }
  pollfd p{fd, POLLIN, 0};
  while (::poll(&p, 1, -1) < 0 && errno == EINTR) {
  }
  ::close(fd);
}

TProcessLauncher& ProcessLauncher() {
  static TProcessLauncher real;
  return g_launcher ? *g_launcher : real;
}

void SetProcessLauncher(TProcessLauncher* launcher) { g_launcher = launcher; }

int CurrentProcessId() { return static_cast<int>(::getpid()); }

std::string CurrentExecutable() {
  char buf[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
}
