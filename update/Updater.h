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
};

// args: process number, "L" (log) or anything else, restart command line or
// "null", files to process. Returns the exit code (0).
int Run(const std::vector<std::string>& args, const TUpdaterEnv& env = {});

class TUpdater {
public:
  TUpdater(bool logging, const TUpdaterEnv& env);
  // Processes one file by its name's rules; list files are followed, each once.
  void ProcessFile(const std::string& name, const std::string& targetDir);
  void Log(const std::string& message);
  void Pause(int ms);

private:
  void ReplaceNew(const std::string& name, const std::string& base, const std::string& targetDir);
  void ProcessList(const std::string& name);
  void Expand(const std::string& name, const std::string& targetDir);

  bool logging_;
  TUpdaterEnv env_;
  std::set<std::string> visitedLists_;
  int depth_ = 0;
};

}  // namespace Updater
