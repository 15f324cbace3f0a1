#include "update/NuPrefix.h"

#include "UpdateTestSupport.h"

#include "platform/rtl/Process.h"
#include "platform/rtl/SysUtils.h"

TEST(Prefixes, TokensOfAnyCaseExpandAndUnknownOnesStay) {
  auto lookup = [](const std::string& t) -> std::string {
    if (t == "APP") return "/opt/app/.";
    if (t == "LOOP") return "{LOOP}x";
    return "";
  };
  using NUpdate::ExpandPrefixes;
  EXPECT_EQ(ExpandPrefixes("{APP}\\data\\x.bin", lookup), "/opt/app/.\\data\\x.bin");
  EXPECT_EQ(ExpandPrefixes("{app}/a {App}/b", lookup), "/opt/app/./a /opt/app/./b");
  EXPECT_EQ(ExpandPrefixes("{FOO}/x", lookup), "{FOO}/x");
  EXPECT_EQ(ExpandPrefixes("{a{APP}/x", lookup), "{a{APP}/x");  // a second "{" belongs to the token
  EXPECT_EQ(ExpandPrefixes("open { only", lookup), "open { only");
  // A path holding a token is not expanded again: no endless growth.
  EXPECT_EQ(ExpandPrefixes("{LOOP}", lookup), "{LOOP}x");
  EXPECT_EQ(ExpandPrefixes("", lookup), "");
}

TEST(Prefixes, NormalisedPathsNameTheFolderItself) {
  using NUpdate::NormalisePrefixPath;
  EXPECT_EQ(NormalisePrefixPath("/home/u"), "/home/u/.");
  EXPECT_EQ(NormalisePrefixPath("/home/u/"), "/home/u/.");
  EXPECT_EQ(NormalisePrefixPath("C:\\Windows"), "C:\\Windows");
  EXPECT_EQ(NormalisePrefixPath("C:\\"), "C:\\.");
  EXPECT_EQ(NormalisePrefixPath(""), "");
  // {APP} is where the program lies, wherever it was started from.
  EXPECT_EQ(NUpdate::StandardPrefixPath("APP"), ExtractFilePath(CurrentExecutable()) + ".");
  EXPECT_EQ(NUpdate::StandardPrefixPath("WIN"), "");
  EXPECT_EQ(NUpdate::ExpandPrefixes("{Tmp}", &NUpdate::StandardPrefixPath).back(), '.');
}
