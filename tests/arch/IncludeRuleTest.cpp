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

const std::regex kInclude(R"re(^\s*#\s*include\s*(?:"([^"]+)"|<([^>]+)>))re");

// The project's file an include line names, from the root, however the path is written:
// "../app/Main.h" or "./Main.h" beside the includer, "app/./Main.h", <app/Main.h>. Empty for
// no include or a header from outside the project (<cmath>, <QWidget>).
std::string IncludedFile(const fs::path& root, const std::string& includer, const std::string& line) {
  std::smatch m;
  if (!std::regex_search(line, m, kInclude)) return {};
  const bool quoted = m[1].matched;
  const fs::path written(quoted ? m[1].str() : m[2].str());
  const fs::path beside = (fs::path(includer).parent_path() / written).lexically_normal();
  const std::string first = written.begin() == written.end() ? std::string() : written.begin()->string();
  fs::path target = written.lexically_normal();
  if (quoted && (first == "." || first == ".." || fs::exists(root / beside))) target = beside;
  const std::string top = target.begin() == target.end() ? std::string() : target.begin()->string();
  for (const char* folder : {"app", "eeprom", "devices", "controls", "update", "resources", "platform", "tests",
                             "bench", "fuzz"})
    if (top == folder) return target.generic_string();
  return {};
}

// The bus folder's own includes name only itself and platform/.
std::vector<std::string> BusLayerOffenders(const fs::path& root) {
  std::vector<std::string> bad;
  EachLine(root, "app/bus", [&](const std::string& file, int n, const std::string& line) {
    const std::string target = IncludedFile(root, file, line);
    if (target.empty()) return;
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
      if (IncludedFile(root, file, line) == "app/Main.h") bad.push_back(Where(file, n, line));
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
      // The path however it is written.
      {"eeprom/W2.cpp", "#include \"../app/Main.h\"\n", MainHeaderOffenders, true},
      {"eeprom/W3.cpp", "#include <app/Main.h>\n", MainHeaderOffenders, true},
      {"devices/W4.cpp", "#include \"app/./Main.h\"\n", MainHeaderOffenders, true},
      {"devices/W5.cpp", "#include \"eeprom/../app/Main.h\"\n", MainHeaderOffenders, true},
      {"app/W6.cpp", "#include \"./Main.h\"\n", MainHeaderOffenders, false},
      {"tests/devices/W7.h", "#include \"../../app/Main.h\"\n", MainHeaderOffenders, true},
      {"eeprom/W8.cpp", "#include \"Main.h\"\n", MainHeaderOffenders, false},  // eeprom/Main.h
      {"app/bus/Up4.cpp", "#include \"../Main.h\"\n", BusLayerOffenders, true},
      {"app/bus/Up5.cpp", "#include <eeprom/EEImage.h>\n", BusLayerOffenders, true},
      {"app/bus/Ok2.cpp", "#include \"PortIO.h\"\n#include \"../../platform/rtl/Clock.h\"\n#include <vector>\n",
       BusLayerOffenders, false},
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
