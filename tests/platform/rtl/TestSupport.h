#pragma once
// Helpers of the runtime layer's tests: a fresh temporary directory per test and
// the strings of a list as a vector.

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/rtl/Classes.h"

class TTempDir {
 public:
  TTempDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "rtl-test-XXXXXX").string();
    char* p = mkdtemp(tmpl.data());
    path_ = p ? p : "";
  }
  ~TTempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }
  // Entries directly in the directory (temporary files left behind show up here).
  int EntryCount() const {
    int n = 0;
    for (auto it = std::filesystem::directory_iterator(path_); it != std::filesystem::directory_iterator(); ++it) ++n;
    return n;
  }

 private:
  std::string path_;
};

inline std::vector<std::string> StringsOf(const TStrings& s) {
  std::vector<std::string> r;
  for (int i = 0; i < s.Count(); ++i) r.push_back(s.Strings(i));
  return r;
}

using TStringVector = std::vector<std::string>;

// Sets (or, with nullptr, removes) an environment variable for one scope.
class TEnvScope {
 public:
  TEnvScope(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old, had_ = true;
    if (value) setenv(name, value, 1);
    else unsetenv(name);
  }
  ~TEnvScope() {
    if (had_) setenv(name_.c_str(), old_.c_str(), 1);
    else unsetenv(name_.c_str());
  }
  TEnvScope(const TEnvScope&) = delete;
  TEnvScope& operator=(const TEnvScope&) = delete;

 private:
  std::string name_, old_;
  bool had_ = false;
};
