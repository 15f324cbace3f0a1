// Scratch directories and small file helpers for the update tests.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace updatetest {

namespace fs = std::filesystem;

class TScratchDir {
public:
  TScratchDir() {
    std::string templ = (fs::temp_directory_path() / "velmaron-upd-XXXXXX").string();
    if (!::mkdtemp(templ.data())) throw std::runtime_error("mkdtemp failed");
    path_ = templ;
  }
  ~TScratchDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  const fs::path& Path() const { return path_; }
  std::string operator/(const std::string& name) const { return (path_ / name).string(); }

private:
  fs::path path_;
};

inline void WriteBytes(const std::string& file, const std::string& data) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(data.data(), static_cast<std::streamsize>(data.size()));
}

inline std::string ReadBytes(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// Every file below `dir`, relative, sorted.
inline std::vector<std::string> Tree(const fs::path& dir) {
  std::vector<std::string> out;
  if (!fs::exists(dir)) return out;
  for (auto& e : fs::recursive_directory_iterator(dir))
    out.push_back(fs::relative(e.path(), dir).string());
  std::sort(out.begin(), out.end());
  return out;
}

// Runs a command line of fixed, trusted words (test tools only).
inline int Shell(const std::string& command) { return std::system(command.c_str()); }

// n bytes of a pattern that takes every byte value and does not repeat soon.
inline std::string Pattern(size_t n) {
  std::string s(n, 0);
  for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
  return s;
}

}  // namespace updatetest
