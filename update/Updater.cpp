#include "update/Updater.h"

#include "platform/archive/Archive.h"
#include "platform/rtl/IniFiles.h"
#include "platform/rtl/Process.h"
#include "platform/rtl/SysUtils.h"
#include "update/NuPrefix.h"
#include "update/NuStatus.h"
#include "update/cabfdi.h"

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <thread>

namespace Updater {

namespace {

namespace fs = std::filesystem;

constexpr const char* kLogFile = "NUPDATE.LOG";
constexpr int kMaxListDepth = 16;

std::string Slashed(std::string s) {
  for (char& c : s)
    if (c == '\\') c = '/';
  return s;
}

// A program named without a folder runs from the current directory, never
// from a search of PATH.
std::string LocalProgram(const std::string& name) {
  return name.find('/') == std::string::npos ? "./" + name : name;
}

// What replaces `target` gets its permissions, so an executable stays one.
struct TModeKeeper {
  explicit TModeKeeper(const std::string& target) : path(target) {
    std::error_code ec;
    const auto st = fs::status(path, ec);
    had = !ec && fs::is_regular_file(st);
    if (had) perms = st.permissions();
  }
  void Apply() const {
    std::error_code ec;
    if (had) fs::permissions(path, perms, fs::perm_options::replace, ec);
  }
  std::string path;
  bool had = false;
  fs::perms perms = fs::perms::none;
};

}  // namespace

TUpdater::TUpdater(bool logging, const TUpdaterEnv& env) : logging_(logging), env_(env) {}

void TUpdater::Log(const std::string& message) {
  if (logging_) NUpdate::WriteLog(kLogFile, FormatDateTime("dd/mm/yyyy hh:nn:ss", Now()) + " : " + message);
}

void TUpdater::Pause(int ms) {
  if (env_.Pause)
    env_.Pause(ms);
  else
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void TUpdater::ProcessFile(const std::string& rawName, const std::string& targetDir) {
  const std::string name = Slashed(rawName);
  const std::string upper = UpperCase(name);
  const size_t newAt = upper.find("_NEW");
  if (newAt != std::string::npos && newAt + 4 == upper.size() && newAt > 0) {
    ReplaceNew(name, name.substr(0, newAt), Slashed(targetDir));
    return;
  }
  TProcessLauncher& launcher = env_.Launcher ? *env_.Launcher : ProcessLauncher();
  const std::string ext = UpperCase(ExtractFileExt(name));
  if (ext == ".INF") {
    ProcessList(name);
  } else if (ext == ".PAT") {
    const std::string program = ChangeFileExt(name, ".EXE");
    if (logging_)
      launcher.RunAndWait({"./patcher.exe", "-v", name, program}, kLogFile);
    else
      launcher.RunAndWait({"./patcher.exe", name, program});
    DeleteFile(name);
  } else if (ext == ".CAB") {
    Log("upd cab extract " + name + " " + targetDir);
    if (cabfdi::ExtractCab(name, targetDir) == 0) DeleteFile(name);
  } else if (ext == ".EXE") {
    Log("upd execute " + name + " " + targetDir);
    launcher.RunAndWait({LocalProgram(name)});
    Pause(500);
    DeleteFile(name);
  } else {
    Log("upd lzexpand " + name + " " + targetDir);
    Expand(name, Slashed(targetDir));
  }
}

void TUpdater::ReplaceNew(const std::string& name, const std::string& base, const std::string& targetDir) {
  const std::string target = targetDir + base;
  const TModeKeeper mode(target);
  if (!DeleteFile(base)) Log("upd io error " + std::to_string(errno) + " in delete file:" + name);
  // The name as it was given: on a file system that tells case apart, "x_NEW"
  // and "x_new" are two files.
  if (!RenameFile(name, target))
    Log("upd io error " + std::to_string(errno) + " in rename file:" + name);
  else
    mode.Apply();
}

void TUpdater::ProcessList(const std::string& name) {
  Log("upd inf file " + name);
  const std::string path = ExpandFileName(name);
  // A list naming itself, or lists naming each other, are read once.
  if (depth_ >= kMaxListDepth || !visitedLists_.insert(path).second) return;
  ++depth_;
  TIniFile ini(path);
  const int count = std::min(ini.ReadInteger("FILES", "COUNT", 0), 10000);
  for (int k = 1; k <= count; ++k) {
    const std::string file = ini.ReadString("FILES", "FILE" + std::to_string(k), "").substr(0, 128);
    std::string target = ini.ReadString("FILES", "TARGET" + std::to_string(k), "").substr(0, 128);
    Log("upd inf: " + file + " " + target);
    target = NUpdate::ExpandPrefixes(target, &NUpdate::StandardPrefixPath);
    if (!file.empty()) ProcessFile(file, target);
  }
  --depth_;
}

void TUpdater::Expand(const std::string& name, const std::string& targetDir) {
  const std::string expanded = NUpdate::ExpandedName(name);
  if (expanded.empty()) return;  // not compressed: left as it is
  Log("upd lzexpand dest. filename " + expanded);
  const std::string here = ExtractFilePath(name) + expanded;
  const std::string dest = targetDir.empty() ? here : targetDir + expanded;
  const TModeKeeper mode(dest);
  std::string error;
  if (!archive::ExpandSzdd(name, here, error)) return;
  std::error_code ec;
  if (dest != here) fs::rename(here, dest, ec);  // replaces an existing file in one step
  if (ec) return;
  mode.Apply();
}

int Run(const std::vector<std::string>& args, const TUpdaterEnv& env) {
  int pid = 0;
  if (args.empty() || !TryStrToInt(args[0], pid)) return 0;
  TProcessLauncher& launcher = env.Launcher ? *env.Launcher : ProcessLauncher();
  launcher.WaitForExit(pid);
  TUpdater updater(args.size() > 1 && args[1] == "L", env);
  updater.Pause(500);
  for (size_t i = 3; i < args.size(); ++i) updater.ProcessFile(args[i], "");
  if (args.size() > 2 && args[2] != "null") {
    updater.Log("upd restart " + args[2]);
    std::string error;
    launcher.StartDetached(SplitCommandLine(args[2]), error);
  }
  return 0;
}

}  // namespace Updater
