#include "tests/platform/rtl/AsUser.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <stdexcept>

#include "platform/rtl/SysUtils.h"
#include "tests/platform/rtl/TestSupport.h"

TEST(RunAsUser, TheCheckResultIsTheResult) {
  const struct {
    std::function<int()> Check;
    int Result;
  } cases[] = {
      {[] { return 0; }, 0},
      {[] { return 7; }, 7},
      {[]() -> int { throw std::runtime_error("x"); }, kUserCheckThrew},
      {[]() -> int { std::abort(); }, 128 + SIGABRT},
  };
  for (const auto& c : cases) EXPECT_EQ(RunAsUser(c.Check), c.Result);
}

TEST(RunAsUser, TheCheckRunsWithoutRootsRights) {
  const uid_t parent = geteuid();
  EXPECT_EQ(RunAsUser([&] {
              if (geteuid() == 0 || getuid() == 0 || getegid() == 0 || getgid() == 0) return 1;
              if (parent != 0 && geteuid() != parent) return 2;
              if (parent == 0 && getgroups(0, nullptr) != 0) return 3;
              return setuid(0) == 0 ? 4 : 0;
            }),
            0);
}

TEST(RunAsUser, PermissionsHoldForTheCheck) {
  TTempDir dir;
  ASSERT_EQ(chmod(dir.Path().c_str(), 0755), 0);
  const std::string secret = dir.File("secret");
  SaveFileAtomically(secret, "x");
  ASSERT_EQ(chmod(secret.c_str(), 0), 0);
  EXPECT_EQ(RunAsUser([&] {
              const int fd = open(secret.c_str(), O_RDONLY);
              if (fd >= 0) close(fd);
              return fd < 0 && errno == EACCES ? 0 : 1;
            }),
            0);
}

TEST(RunAsUser, AFolderGivenToTheUserTakesItsFiles) {
  TTempDir dir;
  ASSERT_TRUE(GiveToUser(dir.Path()));
  EXPECT_EQ(RunAsUser([&] {
              SaveFileAtomically(dir.File("mine"), "y");
              return 0;
            }),
            0);
  EXPECT_EQ(LoadFileBytes(dir.File("mine")), "y");
}

TEST(RunAsUser, ACheckThatNeverEndsIsStopped) {
  EXPECT_EQ(RunAsUser(
                [] {
                  pause();
                  return 0;
                },
                1),
            128 + SIGALRM);
}
