// Programs run and waited for: what they write, and why one did not start.
#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "platform/rtl/Process.h"

namespace {

// A hidden program's output reaches no one but the file asked for; a shown
// one's goes where ours goes.
TEST(ProcessLauncher, AHiddenProgramsOutputIsSeenByNoOne) {
  const struct {
    bool hidden;
    const char* expectOut;
    const char* expectErr;
  } rows[] = {
      {false, "out\n", "err\n"},
      {true, "", ""},
  };
  for (const auto& r : rows) {
    TProcessLauncher launcher;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const int code = launcher.RunAndWait({"/bin/sh", "-c", "echo out; echo err >&2; exit 7"}, {}, r.hidden);
    const std::string out = testing::internal::GetCapturedStdout();
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(code, 7) << r.hidden;
    EXPECT_EQ(out, r.expectOut) << r.hidden;
    EXPECT_EQ(err, r.expectErr) << r.hidden;
  }
}

TEST(ProcessLauncher, AProgramThatCannotStartLeavesTheReasonInErrno) {
  errno = 0;
  EXPECT_EQ(TProcessLauncher().RunAndWait({"/nonexistent/program"}), -1);
  EXPECT_EQ(errno, ENOENT);
}

}  // namespace
