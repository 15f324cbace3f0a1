// Starting and waiting for other programs. Commands are argument lists: no
// shell ever sees them.
#pragma once

#include <string>
#include <vector>

// Splits a command line by the usual rules: blanks separate arguments, double
// quotes group blanks and are removed, a backslash before a quote keeps it.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);
// The argument in double quotes when it holds a blank, as it is otherwise.
std::string QuoteArgument(const std::string& arg);

class TProcessLauncher {
public:
  virtual ~TProcessLauncher() = default;
  // Starts the program detached from this one (it outlives us); the process
  // number, or -1 with `error` set to the system's message.
  virtual int StartDetached(const std::vector<std::string>& argv, std::string& error,
                            int* errorNumber = nullptr);
  // Runs the program and waits for its end; its exit code, or -1 (errno set)
  // when it could not be started. With `appendOutputTo` its output is appended
  // to that file. `hidden`: what it writes elsewhere reaches no one; shown, it
  // goes where this program's own output goes (its terminal or session log).
  virtual int RunAndWait(const std::vector<std::string>& argv, const std::string& appendOutputTo = {},
                         bool hidden = false);
  // Waits until the process `pid` has ended; a process already gone returns at once.
  virtual void WaitForExit(int pid);
};

// The launcher the program uses unless a test puts another in place.
TProcessLauncher& ProcessLauncher();
void SetProcessLauncher(TProcessLauncher* launcher);  // nullptr: the real one
// This program's own process number and the path of its executable.
int CurrentProcessId();
std::string CurrentExecutable();
