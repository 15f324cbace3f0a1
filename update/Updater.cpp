#include "update/Updater.h"

#include "platform/archive/Archive.h"
#include "platform/archive/ElfFile.h"
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

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <chrono>
#include <filesystem>
#include <thread>

namespace Updater {

namespace {

namespace fs = std::filesystem;

constexpr int kMaxListDepth = 16;

std::string Slashed(std::string s) {
  for (char& c : s)
    if (c == '\\') c = '/';
  return s;
}

// A relative name is taken in the program's folder, the current directory of a
// program started from its own folder, never in the one the updater inherited.
std::string InApp(const std::string& path) {
  return path.empty() || path[0] == '/' ? path : NUpdate::AppDirectory() + path;
}

// The program `pid` runs, read while it still runs.
std::string ProgramOf(int pid) {
  std::error_code ec;
  const fs::path exe = fs::read_symlink("/proc/" + std::to_string(pid) + "/exe", ec);
  return ec || !exe.is_absolute() ? std::string() : exe.string();
}

bool SameFile(const std::string& a, const std::string& b) {
  std::error_code ec;
  return !a.empty() && !b.empty() && fs::weakly_canonical(a, ec) == fs::weakly_canonical(b, ec);
}

}  // namespace

TUpdater::TUpdater(bool logging, const TUpdaterEnv& env) : logging_(logging), env_(env) {}

void TUpdater::Log(const std::string& message) {
  if (logging_)
    NUpdate::WriteLog(InApp("NUPDATE.LOG"), NUpdate::LogStamp(Now()) + " : " + message);
}

void TUpdater::Fail(const std::string& message, const std::string& forUser) {
  ++failures_;
  Log(message);
  NUpdate::AddUpdaterNote(forUser);
}

void TUpdater::SetProgram(const std::string& program) {
  if (!program.empty()) programs_.push_back(program);
}

std::string TUpdater::NotWholePrograms(const std::string& cabinet, const std::string& dest) {
  archive::TCabinet cab;
  std::string error;
  if (!cab.Open(cabinet, error)) return {};  // the extraction says why
  for (size_t i = 0; i < cab.Entries().size(); ++i) {
    const std::string entry = Slashed(cab.Entries()[i].Name);
    if (std::none_of(programs_.begin(), programs_.end(),
                     [&](const std::string& p) { return SameFile(p, dest + entry); }))
      continue;
    // Half a program, or a text, would be what the restart starts.
    std::string scratch = IncludeTrailingPathDelimiter(GetTempDir()) + "velmaron-cab-XXXXXX";
    const int fd = ::mkstemp(scratch.data());
    if (fd < 0) return entry + " would replace the program and cannot be looked at";
    ::close(fd);
    std::string why;
    const bool whole = cab.ExtractScratch(i, scratch, error) && archive::WholeElfForThisMachine(scratch, why);
    ::unlink(scratch.c_str());
    if (!whole) return entry + " would replace the program, but " + (why.empty() ? error : why);
  }
  return {};
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

void TUpdater::ProcessFile(const std::string& rawName, const std::string& rawTarget) {
  const std::string shown = Slashed(rawName);
  const std::string name = InApp(shown);
  std::string targetDir = InApp(Slashed(rawTarget));
  // "{APP}" names a folder: its files go into it, not beside it as hidden files.
  std::error_code ec;
  if (!targetDir.empty() && targetDir.back() != '/' &&
      (targetDir.compare(targetDir.size() - std::min<size_t>(2, targetDir.size()), 2, "/.") == 0 || fs::is_directory(targetDir, ec)))
    targetDir += '/';
  // A folder such as "My_New_Apps" does not make its files "_NEW" copies.
  if (NUpdate::IsNewCopyName(shown)) {
    const std::string base = shown.substr(0, shown.size() - 4);
    const std::string target = targetDir.empty() ? name.substr(0, name.size() - 4)
                                                 : targetDir + (base[0] == '/' ? ExtractFileName(base) : base);
    ReplaceNew(shown, name, target);
    return;
  }
  TProcessLauncher& launcher = env_.Launcher ? *env_.Launcher : ProcessLauncher();
  const std::string ext = UpperCase(ExtractFileExt(name));
  if (ext == ".INF") {
    ProcessList(shown, name);
  } else if (ext == ".PAT") {
    const std::string program = ChangeFileExt(name, ".EXE");
    const std::string patcher = InApp("patcher.exe");
    if (logging_)
      launcher.RunAndWait({patcher, "-v", name, program}, InApp("NUPDATE.LOG"), true);
    else
      launcher.RunAndWait({patcher, name, program}, {}, true);
    DeleteFile(name);
  } else if (ext == ".CAB") {
    Log("upd cab extract " + shown + " " + rawTarget);
    // No target: the cabinet's own folder, where the program put it.
    const std::string dest = targetDir.empty() ? ExtractFilePath(name) : targetDir;
    const std::string notWhole = NotWholePrograms(name, dest);
    if (!notWhole.empty())
      Fail("upd cab error in extract file:" + shown + " (" + notWhole + "; the cabinet is kept)",
           shown + ": not unpacked (" + notWhole + "); the cabinet is kept.");
    else if (cabfdi::ExtractCab(name, dest) == 0)
      DeleteFile(name);
    else
      Fail("upd cab error in extract file:" + shown + " (" + dest + "; the cabinet is kept)",
           shown + ": not unpacked (damaged, or it names a file that may not be written); the cabinet is kept.");
  } else if (ext == ".EXE") {
    Log("upd execute " + shown + " " + rawTarget);
    launcher.RunAndWait({name}, {}, true);
    Pause(500);
    DeleteFile(name);
  } else {
    Log("upd lzexpand " + shown + " " + rawTarget);
    Expand(name, targetDir);
  }
}

void TUpdater::ReplaceNew(const std::string& shown, const std::string& name, const std::string& target) {
  int error = 0;
  // Only a new copy that is there replaces anything: without it the old file stays.
  if (!NUpdate::IsRegularFile(name)) {
    Fail("upd io error " + std::to_string(ENOENT) + " in rename file:" + shown,
         target + ": not replaced, its new copy " + name + " is missing.");
    return;
  }
  if (ExtractFileName(shown).size() == 4) {  // nothing to put it in place of, as a rename to no name fails
    Fail("upd io error " + std::to_string(ENOENT) + " in rename file:" + shown,
         name + ": not put in place, it names no file to replace; it is kept.");
    return;
  }
  // The name as it was given: on a file system that tells case apart, "x_NEW"
  // and "x_new" are two files.
  if (!Replace(name, target, error))
    Fail("upd io error " + std::to_string(error) + " in rename file:" + shown,
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

void TUpdater::ProcessList(const std::string& shown, const std::string& path) {
  Log("upd inf file " + shown);
  // A list naming itself, or lists naming each other, are read once.
  if (depth_ >= kMaxListDepth || !visitedLists_.insert(path).second) return;
  ++depth_;
  TIniFile ini(path);
  const int count = std::min(ini.ReadInteger("FILES", "COUNT", 0), 10000);
  for (int k = 1; k <= count; ++k) {
    const std::string file = ini.ReadString("FILES", "FILE" + std::to_string(k), "").substr(0, 128);
    std::string target = ini.ReadString("FILES", "TARGET" + std::to_string(k), "").substr(0, 128);
    Log("upd inf: " + file + " " + target);
    ProcessFile(file, NUpdate::ExpandPrefixes(target, &NUpdate::StandardPrefixPath));
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
  const std::string program = ProgramOf(pid);
  std::string appDir = env.AppDir.empty() ? ExtractFilePath(program) : env.AppDir;
  if (appDir.empty() && args.size() > 2) {
    const std::vector<std::string> restart = SplitCommandLine(args[2]);
    if (!restart.empty() && !restart[0].empty() && restart[0][0] == '/') appDir = ExtractFilePath(restart[0]);
  }
  // Neither known: the folder of the first component given with one. The
  // folder the updater was started in is not the program's: nothing goes there.
  for (size_t i = 3; appDir.empty() && i < args.size(); ++i)
    if (Slashed(args[i]).rfind('/', 0) == 0) appDir = ExtractFilePath(Slashed(args[i]));
  const bool appKnown = !appDir.empty();
  NUpdate::SetAppDirectory(appDir);
  // The folder the updater runs from is its own: held while it works, removed after.
  const std::string ownFolder = ExtractFilePath(CurrentExecutable());
  const bool inOwnFolder = ExtractFileName(ExcludeTrailingPathDelimiter(ownFolder)).rfind("velmaron-update-", 0) == 0;
  launcher.WaitForExit(pid);
  // The program held the folder until it ended; from now on the updater holds it.
  int lock = inOwnFolder ? NUpdate::LockPrivateFolder(ownFolder) : -1;
  TUpdater updater(appKnown && args.size() > 1 && args[1] == "L", env);
  // What a cabinet may put in place of the program must be a whole one.
  updater.SetProgram(program);
  if (args.size() > 2 && args[2] != "null") {
    const std::vector<std::string> restart = SplitCommandLine(args[2]);
    if (!restart.empty()) updater.SetProgram(InApp(restart[0]));
  }
  updater.Pause(500);
  // Without a folder every component is a bare name, and none can be found.
  for (size_t i = 3; appKnown && i < args.size(); ++i) updater.ProcessFile(args[i], "");
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
