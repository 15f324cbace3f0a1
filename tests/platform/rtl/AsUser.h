#pragma once
// RunAsUser: runs one check as an ordinary user, so that file permissions hold for it.
//
// Root ignores read and write permissions, and CI runs the suite as root, where a test of an
// unreadable file or an unwritable folder would prove nothing. RunAsUser forks; when the suite runs
// as root, the child first becomes the unprivileged user `nobody` (no supplementary groups, no way
// back to root), then runs the check and ends with its result. Run by anyone else, the child runs
// the check as that user.
//
//   TTempDir dir;
//   ASSERT_TRUE(GiveToUser(dir.Path()));     // the child may create files there
//   EXPECT_EQ(RunAsUser([&] {
//               ...
//               return saved ? 1 : 0;          // 0: every step held; 1..99 names the failed step
//             }),
//             0);
//
// The check runs in the child: a gtest EXPECT or ASSERT there reaches no one, so it returns a code.
// Paths it uses must be reachable by `nobody` (temporary folders are; GiveToUser hands one over).
// The child is killed after `seconds`. Results of 100 and above: kUserCheckThrew,
// kUserUnavailable (the user is missing or could not be become), 128 + the signal that ended it.

#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

inline constexpr int kUserCheckThrew = 101;
inline constexpr int kUserUnavailable = 102;

// The user the checks run as when the suite runs as root.
inline constexpr const char* kUnprivilegedUser = "nobody";

// Hands `path` to the unprivileged user when the suite runs as root (else nothing to do).
inline bool GiveToUser(const std::string& path) {
  if (geteuid() != 0) return true;
  const passwd* pw = getpwnam(kUnprivilegedUser);
  return pw && chown(path.c_str(), pw->pw_uid, pw->pw_gid) == 0;
}

inline int RunAsUser(const std::function<int()>& check, unsigned seconds = 60) {
  uid_t uid = 0;
  gid_t gid = 0;
  const bool drop = geteuid() == 0;
  if (drop) {
    const passwd* pw = getpwnam(kUnprivilegedUser);
    if (!pw || pw->pw_uid == 0) return kUserUnavailable;
    uid = pw->pw_uid;
    gid = pw->pw_gid;
  }
  std::fflush(nullptr);
  const pid_t pid = fork();
  if (pid < 0) return -1;
  if (pid == 0) {
    alarm(seconds);
    if (drop && (setgroups(0, nullptr) != 0 || setgid(gid) != 0 || setuid(uid) != 0 || setuid(0) == 0))
      std::_Exit(kUserUnavailable);
    int code = kUserCheckThrew;
    try {
      code = check();
    } catch (...) {
      code = kUserCheckThrew;
    }
    std::_Exit(code);
  }
  int status = 0;
  while (waitpid(pid, &status, 0) < 0)
    if (errno != EINTR) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
