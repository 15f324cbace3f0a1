// The updater: started by the program before it closes, it waits for the
// program to end, puts the downloaded files in place and starts it again.
#pragma once

#include <functional>
#include <set>
#include <string>
#include <vector>

class TProcessLauncher;

namespace Updater {

struct TUpdaterEnv {
  TProcessLauncher* Launcher = nullptr;            // nullptr: the real one
  std::function<void(int ms)> Pause;                // nullptr: a real sleep
  // The folder {APP} stands for; "": the folder of the program waited for.
  std::string AppDir;
  // Called before each step that changes a file ("mode", "rename"), with the
  // file; tests stop the updater there as a kill would.
  std::function<void(const std::string& step, const std::string& file)> BeforeStep;
};

// args: process number, "L" (log) or anything else, restart command line or
// "null", files to process. Returns the exit code (0). What could not be put in
// place is logged, and left for the program to tell at its next start.
int Run(const std::vector<std::string>& args, const TUpdaterEnv& env = {});

class TUpdater {
public:
  TUpdater(bool logging, const TUpdaterEnv& env);
  // Processes one file by its name's rules; list files are followed, each once.
  void ProcessFile(const std::string& name, const std::string& targetDir);
  void Log(const std::string& message);
  // A failure: `message` is logged (with "L" only); `forUser` is noted for the
  // program's next start, always.
  void Fail(const std::string& message, const std::string& forUser);
  void Pause(int ms);
  int Failures() const { return failures_; }
  // A file a cabinet may replace only with a whole program for this machine.
  void SetProgram(const std::string& program);

private:
  // `shown`: the name as given, for the log; `name` and `target`: where they are.
  void ReplaceNew(const std::string& shown, const std::string& name, const std::string& target);
  void ProcessList(const std::string& shown, const std::string& path);
  // Why the cabinet may not be unpacked into `dest`: an entry that would
  // replace the program is no whole program; "" when it may.
  std::string NotWholePrograms(const std::string& cabinet, const std::string& dest);
  void Expand(const std::string& name, const std::string& targetDir);
  // Puts `from` in place of `target` in one step, with the mode `target` had.
  bool Replace(const std::string& from, const std::string& target, int& error);
  void Step(const char* step, const std::string& file);

  bool logging_;
  TUpdaterEnv env_;
  std::set<std::string> visitedLists_;
  std::vector<std::string> programs_;
  int depth_ = 0;
  int failures_ = 0;
};

}  // namespace Updater
