// A private scratch folder per fuzz process, emptied before every input.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include "fuzz/FuzzInput.h"

namespace fuzzscratch {

namespace fs = std::filesystem;

inline const fs::path& Root() {
  static const fs::path root = [] {
    const char* shm = "/dev/shm";
    std::string templ = std::string(fs::is_directory(shm) ? shm : "/tmp") + "/velmaron-fuzz-XXXXXX";
    if (!::mkdtemp(templ.data())) std::abort();
    return fs::path(templ);
  }();
  return root;
}

// Empties the root and writes `data` to root/name; returns that path.
inline std::string Reset(const std::string& name, const uint8_t* data, size_t size) {
  std::error_code ec;
  for (auto& e : fs::directory_iterator(Root(), ec)) fs::remove_all(e.path(), ec);
  const fs::path p = Root() / name;
  std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char*>(data),
                                           static_cast<std::streamsize>(size));
  return p.string();
}

}  // namespace fuzzscratch
