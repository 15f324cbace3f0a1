#include "update/Updater.h"

#include "platform/archive/Archive.h"
#include "platform/archive/NoLinkFiles.h"
#include "platform/rtl/IniFiles.h"
#include "platform/rtl/Process.h"
#include "platform/rtl/SysUtils.h"
#include "update/NuEngine.h"
#include "update/NuHousekeeping.h"
#include "update/NuPrefix.h"
#include "update/NuStatus.h"
#include "update/cabfdi.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
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

// The folder of the program `pid` runs, read while it still runs.
std::string ProgramFolder(int pid) {
  std::error_code ec;
  const fs::path exe = fs::read_symlink("/proc/" + std::to_string(pid) + "/exe", ec);
  if (ec || exe.empty() || !exe.is_absolute()) return {};
  return exe.parent_path().string();
}

}  // namespace

TUpdater::TUpdater(bool logging, const TUpdaterEnv& env) : logging_(logging), env_(env) {}

void TUpdater::Log(const std::string& message) {
  if (logging_) NUpdate::WriteLog(kLogFile, FormatDateTime("dd/mm/yyyy hh:nn:ss", Now()) + " : " + message);
}

void TUpdater::Fail(const std::string& message, const std::string& forUser) {
  ++failures_;
  NUpdate::WriteLog(kLogFile, FormatDateTime("dd/mm/yyyy hh:nn:ss", Now()) + " : " + message);
  NUpdate::AddUpdaterNote(forUser);
}

void TUpdater::Step(const char* step, const std::string& file) {
  if (env_.BeforeStep) env_.BeforeStep(step, file);
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
  if (newAt != std::string::npos && newAt + 4 == upper.size()) {
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
      launcher.RunAndWait({"./patcher.exe", "-v", name, program}, kLogFile, true);
    else
      launcher.RunAndWait({"./patcher.exe", name, program}, {}, true);
    DeleteFile(name);
  } else if (ext == ".CAB") {
    Log("upd cab extract " + name + " " + targetDir);
    if (cabfdi::ExtractCab(name, targetDir) == 0)
      DeleteFile(name);
    else
      Fail("upd cab error in extract file:" + name + " (" + (targetDir.empty() ? GetCurrentDir() : targetDir) +
               "; the cabinet is kept)",
           name + ": not unpacked (damaged, or it names a file that may not be written); the cabinet is kept.");
  } else if (ext == ".EXE") {
    Log("upd execute " + name + " " + targetDir);
    launcher.RunAndWait({LocalProgram(name)}, {}, true);
    Pause(500);
    DeleteFile(name);
  } else {
    Log("upd lzexpand " + name + " " + targetDir);
    Expand(name, Slashed(targetDir));
  }
}

void TUpdater::ReplaceNew(const std::string& name, const std::string& base, const std::string& targetDir) {
  const std::string target = targetDir + base;
  int error = 0;
  // Only a new copy that is there replaces anything: without it the old file stays.
  if (!NUpdate::IsRegularFile(name)) {
    Fail("upd io error " + std::to_string(ENOENT) + " in rename file:" + name,
         target + ": not replaced, its new copy " + name + " is missing.");
    return;
  }
  if (base.empty()) {  // nothing to put it in place of, as a rename to no name fails
    Fail("upd io error " + std::to_string(ENOENT) + " in rename file:" + name,
         name + ": not put in place, it names no file to replace; it is kept.");
    return;
  }
  // The name as it was given: on a file system that tells case apart, "x_NEW"
  // and "x_new" are two files.
  if (!Replace(name, target, error))
    Fail("upd io error " + std::to_string(error) + " in rename file:" + name,
         target + ": not replaced (" + std::strerror(error) + "); the new copy is " + name + ".");
}

bool TUpdater::Replace(const std::string& from, const std::string& target, int& error) {
  // The new file gets the old one's mode first, then one rename puts it in
  // place: a kill at any moment leaves the old program or the new one, whole.
  // Across file systems the copy beside the target carries our process number,
  // so the next start of the program can tell a leftover from anything else.
  archive::TPlaceSteps steps;
  steps.Before = [this](const char* step, const std::string& file) { Step(step, file); };
  std::string folder, name;
  archive::SplitPath(target, folder, name);
  steps.BesideName = NUpdate::UpdaterCopyName(name, ::getpid());
  std::string reason;
  if (archive::PlaceFile(from, target, {}, reason, steps, &error)) return true;
  Log("upd " + reason);
  return false;
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
    ProcessFile(file, target);
  }
  --depth_;
}

void TUpdater::Expand(const std::string& name, const std::string& targetDir) {
  const std::string expanded = NUpdate::ExpandedName(name);
  if (expanded.empty()) return;  // not compressed: left as it is
  Log("upd lzexpand dest. filename " + expanded);
  const std::string dest = targetDir.empty() ? ExtractFilePath(name) + expanded : targetDir + expanded;
  std::string error;
  // Written beside its place and renamed over it, keeping the old file's mode.
  if (!archive::ExpandSzdd(name, dest, error))
    Fail("upd lzexpand error: " + error + " (" + dest + " kept)", dest + ": not replaced (" + error + ").");
}

int Run(const std::vector<std::string>& args, const TUpdaterEnv& env) {
  int pid = 0;
  if (args.empty() || !TryStrToInt(args[0], pid)) return 0;
  TProcessLauncher& launcher = env.Launcher ? *env.Launcher : ProcessLauncher();
  // {APP} is the folder of the program being updated, not the updater's own.
  std::string appDir = env.AppDir.empty() ? ProgramFolder(pid) : env.AppDir;
  if (appDir.empty() && args.size() > 2) {
    const std::vector<std::string> restart = SplitCommandLine(args[2]);
    if (!restart.empty() && !restart[0].empty() && restart[0][0] == '/') appDir = ExtractFilePath(restart[0]);
  }
  if (!appDir.empty()) NUpdate::SetAppDirectory(appDir);
  // The folder the updater runs from is its own: held while it works, removed after.
  const std::string ownFolder = ExtractFilePath(CurrentExecutable());
  const bool inOwnFolder = ExtractFileName(ExcludeTrailingPathDelimiter(ownFolder)).rfind("velmaron-update-", 0) == 0;
  launcher.WaitForExit(pid);
  // The program held the folder until it ended; from now on the updater holds it.
  int lock = inOwnFolder ? NUpdate::LockPrivateFolder(ownFolder) : -1;
  TUpdater updater(args.size() > 1 && args[1] == "L", env);
  updater.Pause(500);
  for (size_t i = 3; i < args.size(); ++i) updater.ProcessFile(args[i], "");
  if (inOwnFolder) {
    std::error_code ec;
    fs::remove_all(ownFolder, ec);
  }
  NUpdate::ReleaseLock(lock);
  if (args.size() > 2 && args[2] != "null") {
    updater.Log("upd restart " + args[2]);
    std::string error;
    launcher.StartDetached(SplitCommandLine(args[2]), error);
  }
  return 0;
}

}  // namespace Updater
