// Qt loads plugins from the folders on its library paths and reads a qt.conf
// beside the executable. The program's own folder is neither: code planted
// there (by an update or anyone who may write there) never runs.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

std::string Read(const fs::path& file) {
  std::ifstream in(file);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

struct TRun {
  int status = -1;
  std::string output;
};

// Runs `command` through the shell (fixed words and paths of the test's own).
TRun RunShell(const std::string& command) {
  TRun r;
  FILE* p = ::popen(command.c_str(), "r");
  if (!p) return r;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) r.output.append(buf, n);
  r.status = ::pclose(p);
  return r;
}

TEST(PluginPaths, CodePlantedBesideTheProgramIsNeverLoaded) {
  std::string templ = (fs::temp_directory_path() / "velmaron-plugins-XXXXXX").string();
  ASSERT_NE(::mkdtemp(templ.data()), nullptr);
  const fs::path dir = templ;
  const struct {
    const char* label;
    const char* folder;  // where the plugins lie, below the program's folder
    bool qtConf;         // a qt.conf beside the program points Qt's plugins there
    const char* theme;   // QT_QPA_PLATFORMTHEME
  } cases[] = {
      {"a theme plugin in platformthemes", "", false, "velmarontest"},
      {"an image format plugin in imageformats", "", false, ""},
      {"a qt.conf pointing Qt's plugins elsewhere", "elsewhere/", true, "velmarontest"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    fs::remove_all(dir / "app");
    const fs::path app = dir / "app";
    const fs::path plugins = app / c.folder;
    fs::create_directories(plugins / "platformthemes");
    fs::create_directories(plugins / "imageformats");
    fs::copy_file(PROBE, app / "velmaron");
    fs::copy_file(THEME_PLUGIN, plugins / "platformthemes/libqvelmarontest.so");
    fs::copy_file(IMAGE_PLUGIN, plugins / "imageformats/libqzz.so");
    if (c.qtConf) std::ofstream(app / "qt.conf") << "[Paths]\nPlugins=" << plugins.string() << "\n";
    std::ofstream(app / "picture.zz") << "zz picture";
    const fs::path mark = dir / "mark";
    fs::remove(mark);
    const TRun r = RunShell("cd / && env QT_QPA_PLATFORM=offscreen QT_QPA_PLATFORMTHEME='" + std::string(c.theme) +
                       "' VELMARON_PLUGIN_MARK='" + mark.string() + "' '" + (app / "velmaron").string() + "' '" +
                       (app / "picture.zz").string() + "' 2>/dev/null");
    EXPECT_TRUE(WIFEXITED(r.status) && WEXITSTATUS(r.status) == 0) << "the program did not start: " << r.output;
    EXPECT_EQ(Read(mark), "") << "planted code ran";
    EXPECT_EQ(r.output.find(app.string()), std::string::npos) << "Qt looks for plugins beside the program:\n"
                                                                 << r.output;
  }
  fs::remove_all(dir);
}

}  // namespace
