#pragma once
// A fresh temporary directory per test, removed with everything in it.

#include <cstdlib>
#include <filesystem>
#include <string>

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

 private:
  std::string path_;
};
