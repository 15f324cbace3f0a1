// The layers as the includes show them: the system's own code reaches Qt,
// libcurl, libmspack and the Linux device headers only through platform/; the
// bus folder (app/bus) stands on platform/ alone; the main window's header is
// for app/ and the main window's own tests and benchmarks. This test walks the
// source tree and fails on any include that breaks a rule.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const std::regex kForbidden(
    R"(^\s*#\s*include\s*[<"](Q[A-Za-z]+|qt[^/]*/|curl/|mspack|linux/|sys/io\.h|sys/ioctl\.h))");

bool IsSource(const fs::path& p) {
  const auto ext = p.extension().string();
  return ext == ".h" || ext == ".hpp" || ext == ".cpp" || ext == ".cc";
}

// Calls Visit(relative path, line number, line) for each line of the sources below root/dir.
template <class TVisit>
void EachLine(const fs::path& root, const fs::path& dir, TVisit&& Visit) {
  const fs::path top = root / dir;
  if (!fs::exists(top)) return;
  for (const auto& e : fs::recursive_directory_iterator(top)) {
    if (!e.is_regular_file() || !IsSource(e.path())) continue;
    std::ifstream in(e.path());
    std::string line;
    int n = 0;
    while (std::getline(in, line)) Visit(fs::relative(e.path(), root).generic_string(), ++n, line);
  }
}

std::string Where(const std::string& file, int n, const std::string& line) {
  return file + ":" + std::to_string(n) + ": " + line;
}

std::vector<std::string> Offenders(const fs::path& root) {
  std::vector<std::string> bad;
  // Folders that hold the system's own code (tests and benchmarks may use Qt directly).
  for (const char* dir : {"app", "eeprom", "devices", "controls", "update", "resources"})
    EachLine(root, dir, [&](const std::string& file, int n, const std::string& line) {
      if (std::regex_search(line, kForbidden)) bad.push_back(Where(file, n, line));
    });
  return bad;
}

const std::regex kQuoted(R"re(^\s*#\s*include\s*"([^"]+)")re");

// The bus folder's own includes name only itself and platform/.
std::vector<std::string> BusLayerOffenders(const fs::path& root) {
  std::vector<std::string> bad;
  EachLine(root, "app/bus", [&](const std::string& file, int n, const std::string& line) {
    std::smatch m;
    if (!std::regex_search(line, m, kQuoted)) return;
    const std::string target = m[1];
    if (target.rfind("app/bus/", 0) != 0 && target.rfind("platform/", 0) != 0) bad.push_back(Where(file, n, line));
  });
  return bad;
}

// The main window's header, included anywhere but in app/ and the main window's
// own tests and benchmarks (whose fixtures start the whole program for others).
std::vector<std::string> MainHeaderOffenders(const fs::path& root) {
  std::vector<std::string> bad;
  for (const auto& e : fs::directory_iterator(root)) {
    const std::string name = e.path().filename().string();
    if (!e.is_directory() || name == "app" || name.rfind("build", 0) == 0 || name[0] == '.') continue;
    EachLine(root, name, [&](const std::string& file, int n, const std::string& line) {
      if (file.rfind("tests/app/", 0) == 0 || file.rfind("bench/app/", 0) == 0) return;
      std::smatch m;
      if (std::regex_search(line, m, kQuoted) && m[1] == "app/Main.h") bad.push_back(Where(file, n, line));
    });
  }
  return bad;
}

std::string Lines(const std::vector<std::string>& bad) {
  std::string all;
  for (const auto& b : bad) all += b + "\n";
  return all;
}

}  // namespace

TEST(IncludeRule, OnlyPlatformIncludesQtCurlMspackOrDeviceHeaders) {
  const auto bad = Offenders(VELMARON_SOURCE_DIR);
  EXPECT_TRUE(bad.empty()) << Lines(bad);
}

TEST(IncludeRule, TheBusFolderStandsOnPlatformAlone) {
  const auto bad = BusLayerOffenders(VELMARON_SOURCE_DIR);
  EXPECT_TRUE(bad.empty()) << Lines(bad);
}

TEST(IncludeRule, OnlyAppAndTheMainWindowsOwnTestsIncludeItsHeader) {
  const auto bad = MainHeaderOffenders(VELMARON_SOURCE_DIR);
  EXPECT_TRUE(bad.empty()) << Lines(bad);
}

// Each rule on a small tree of its own: the files it must report and those it must let pass.
TEST(IncludeRule, EachRuleFindsWhatBreaksIt) {
  struct TCase {
    const char* File;
    const char* Text;
    std::vector<std::string> (*Rule)(const fs::path&);
    bool Offends;
  };
  const TCase cases[] = {
      {"app/Bad.cpp", "#include <QWidget>\n", Offenders, true},
      {"app/Bad2.h", "  #  include <curl/curl.h>\n", Offenders, true},
      {"platform/gui/Ok.cpp", "#include <QWidget>\n", Offenders, false},
      {"app/bus/Up.cpp", "#include \"app/Main.h\"\n", BusLayerOffenders, true},
      {"app/bus/Up2.h", "# include \"eeprom/EEImage.h\"\n", BusLayerOffenders, true},
      {"app/bus/Up3.h", "#include \"controls/grid/ExtGrid.h\"\n", BusLayerOffenders, true},
      {"app/bus/Ok.cpp", "#include \"app/bus/I2CBus.h\"\n#include \"platform/rtl/Clock.h\"\n#include <cmath>\n",
       BusLayerOffenders, false},
      {"eeprom/W.cpp", "#include \"app/Main.h\"\n", MainHeaderOffenders, true},
      {"bench/eeprom/B.cpp", "#include \"app/Main.h\"\n", MainHeaderOffenders, true},
      {"tests/devices/F.h", "#include \"app/Main.h\"\n", MainHeaderOffenders, true},
      {"app/Ok.cpp", "#include \"app/Main.h\"\n", MainHeaderOffenders, false},
      {"tests/app/Ok.h", "#include \"app/Main.h\"\n", MainHeaderOffenders, false},
      {"bench/app/Ok.cpp", "#include \"app/Main.h\"\n", MainHeaderOffenders, false},
      {"build/tests/app/moc.cpp", "#include \"app/Main.h\"\n", MainHeaderOffenders, false},
  };
  const fs::path tmp = fs::temp_directory_path() / ("velmaron_include_rule_" + std::to_string(::getpid()));
  for (const TCase& c : cases) {
    fs::remove_all(tmp);
    fs::create_directories((tmp / c.File).parent_path());
    std::ofstream(tmp / c.File) << c.Text;
    const auto bad = c.Rule(tmp);
    EXPECT_EQ(bad.size(), c.Offends ? 1u : 0u) << c.File << "\n" << Lines(bad);
  }
  fs::remove_all(tmp);
}
