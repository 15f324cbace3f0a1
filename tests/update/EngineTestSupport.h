// An engine that records its reports, a launcher that records what it would
// start, and helpers for the run directory of an engine under test.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/rtl/Process.h"
#include "tests/update/UpdateTestSupport.h"
#include "update/NUpdate.h"
#include "update/NuStatus.h"

namespace updatetest {

struct TReport {
  int Id;
  std::string Text;
  int Status;
  int Error;
};

// Records every status; {APP} stands for a directory of the test's choice.
class TTestNetUpdate : public TNetUpdate {
public:
  explicit TTestNetUpdate(TComponent* owner = nullptr) : TNetUpdate(owner) {}

  void DoStatus(int id, const std::string& param, int statusCode, int errCode) override {
    Reports.push_back({id, NUpdate::FormatStatus(id, param), statusCode, errCode});
    TNetUpdate::DoStatus(id, param, statusCode, errCode);
  }
  void GetPrefixPath(const std::string& token, std::string& Path) override {
    if (token == "APP" && !AppDir.empty())
      Path = AppDir + "/.";
    else
      TNetUpdate::GetPrefixPath(token, Path);
  }

  bool Saw(int id) const {
    return std::any_of(Reports.begin(), Reports.end(), [id](const TReport& r) { return r.Id == id; });
  }
  const TReport* Find(int id) const {
    for (const TReport& r : Reports)
      if (r.Id == id) return &r;
    return nullptr;
  }
  std::vector<int> Ids() const {
    std::vector<int> ids;
    for (const TReport& r : Reports) ids.push_back(r.Id);
    return ids;
  }
  // Every report text and the log together, for looking for secrets.
  std::string AllTexts() const {
    std::string all;
    for (const TReport& r : Reports) all += r.Text + "\n";
    return all;
  }

  std::vector<TReport> Reports;
  std::string AppDir;
};

// Starts nothing; remembers what it was asked to start.
class TRecordingLauncher : public TProcessLauncher {
public:
  int StartDetached(const std::vector<std::string>& argv, std::string& error, int* errorNumber) override {
    Started.push_back(argv);
    if (FailWith != 0) {
      error = "No such file or directory";
      if (errorNumber) *errorNumber = FailWith;
      return -1;
    }
    return 4242;
  }
  int RunAndWait(const std::vector<std::string>& argv, const std::string& appendOutputTo, bool hidden) override {
    Waited.push_back(argv);
    Output = appendOutputTo;
    Shown = !hidden;
    errno = 0;
    if (WhileRunning) WhileRunning();
    return ExitCode;
  }
  std::vector<std::vector<std::string>> Started, Waited;
  std::function<void()> WhileRunning;  // called as the program waited for runs
  int FailWith = 0;
  int ExitCode = 0;
  std::string Output;  // of the last program waited for
  bool Shown = false;
};

// Installs a launcher for the lifetime of a scope.
class TLauncherScope {
public:
  explicit TLauncherScope(TProcessLauncher& l) { SetProcessLauncher(&l); }
  ~TLauncherScope() { SetProcessLauncher(nullptr); }
};

// The run directories an engine made below `base` and the files in them.
inline std::vector<std::string> RunLeftovers(const fs::path& base) {
  std::vector<std::string> out;
  if (!fs::exists(base)) return out;
  for (auto& d : fs::directory_iterator(base)) {
    if (d.path().filename().string().rfind("velmaron-update-", 0) != 0) continue;
    for (auto& f : fs::recursive_directory_iterator(d.path())) out.push_back(f.path().string());
  }
  return out;
}

// A whole, small program for this machine, as an update of the program or the updater must be.
inline std::string SmallProgram() { return ReadBytes("/bin/true"); }

inline int ModeOf(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? static_cast<int>(st.st_mode & 07777) : -1;
}

// Four bytes, little-endian.
inline std::string LittleEndian(uint32_t w) {
  std::string out;
  for (int i = 0; i < 4; ++i) out += static_cast<char>((w >> (8 * i)) & 0xFF);
  return out;
}

// A file whose contents carry a version head for a.b.c.d. The head is put
// together from words, so the test program itself carries no second head.
inline std::string VersionedBytes(int a, int b, int c, int d, const std::string& around = "ELF-ish") {
  const std::string head = LittleEndian(0xFEEF04BDu) + LittleEndian(0x00010000u) +
                           LittleEndian(static_cast<uint32_t>(a) << 16 | static_cast<uint32_t>(b)) +
                           LittleEndian(static_cast<uint32_t>(c) << 16 | static_cast<uint32_t>(d));
  return around + head + around;
}

}  // namespace updatetest
