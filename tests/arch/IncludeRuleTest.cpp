// The system's own code reaches Qt, libcurl, libmspack and the Linux device
// headers only through platform/. This test walks the source tree and fails
// on any include that breaks that rule.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const std::regex kForbidden(
    R"(^\s*#\s*include\s*[<"](Q[A-Za-z]+|qt[^/]*/|curl/|mspack|linux/|sys/io\.h|sys/ioctl\.h))");

bool IsSource(const fs::path& p) {
  const auto ext = p.extension().string();
  return ext == ".h" || ext == ".hpp" || ext == ".cpp" || ext == ".cc";
}

std::vector<std::string> Offenders(const fs::path& root) {
  std::vector<std::string> bad;
  // Folders that hold the system's own code (tests and benchmarks may use Qt directly).
  for (const char* dir : {"app", "eeprom", "devices", "controls", "update", "resources"}) {
    const fs::path top = root / dir;
    if (!fs::exists(top)) continue;
    for (const auto& e : fs::recursive_directory_iterator(top)) {
      if (!e.is_regular_file() || !IsSource(e.path())) continue;
      std::ifstream in(e.path());
      std::string line;
      int n = 0;
      while (std::getline(in, line)) {
        ++n;
        if (std::regex_search(line, kForbidden))
          bad.push_back(fs::relative(e.path(), root).string() + ":" + std::to_string(n) + ": " + line);
      }
    }
  }
  return bad;
}

}  // namespace

TEST(IncludeRule, OnlyPlatformIncludesQtCurlMspackOrDeviceHeaders) {
  const auto bad = Offenders(VELMARON_SOURCE_DIR);
  std::string all;
  for (const auto& b : bad) all += b + "\n";
  EXPECT_TRUE(bad.empty()) << all;
}

TEST(IncludeRule, DetectsAForbiddenInclude) {
  const fs::path tmp = fs::temp_directory_path() / "velmaron_include_rule";
  fs::remove_all(tmp);
  fs::create_directories(tmp / "app");
  fs::create_directories(tmp / "platform/gui");
  std::ofstream(tmp / "app/Bad.cpp") << "#include <QWidget>\n#include \"platform/gui/Forms.h\"\n";
  std::ofstream(tmp / "app/Bad2.h") << "  #  include <curl/curl.h>\n";
  std::ofstream(tmp / "platform/gui/Ok.cpp") << "#include <QWidget>\n";
  const auto bad = Offenders(tmp);
  fs::remove_all(tmp);
  ASSERT_EQ(bad.size(), 2u);
}
