#include "update/NuVersion.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace NUpdate {

namespace {

uint32_t Word(const unsigned char* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

bool IsHead(const unsigned char* p) {
  // Spelled in parts so this reader's own code never holds the head's bytes.
  return p[0] == 0xBD && p[1] == 0x04 && p[2] == 0xEF && p[3] == 0xFE && Word(p + 4) == 0x00010000u;
}

}  // namespace

bool ReadFileVersion(const std::string& fileName, int32_t& ms, int32_t& ls) {
  ms = ls = -1;
  struct stat st {};
  if (::stat(fileName.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  FILE* f = std::fopen(fileName.c_str(), "rb");
  if (!f) return false;
  // Blocks overlap by the head's length less one, so a head across a block edge is found.
  constexpr size_t kHead = 16, kBlock = 1 << 16;
  std::vector<unsigned char> buf(kBlock + kHead);
  size_t kept = 0;
  bool found = false;
  for (;;) {
    size_t got = std::fread(buf.data() + kept, 1, kBlock, f);
    size_t have = kept + got;
    for (size_t i = 0; i + kHead <= have; ++i) {
      if (buf[i] == 0xBD && IsHead(&buf[i])) {
        ms = static_cast<int32_t>(Word(&buf[i + 8]));
        ls = static_cast<int32_t>(Word(&buf[i + 12]));
        found = true;
        break;
      }
    }
    if (found || got == 0) break;
    kept = have < kHead - 1 ? have : kHead - 1;
    std::memmove(buf.data(), buf.data() + have - kept, kept);
  }
  std::fclose(f);
  return found;
}

int32_t OwnVersionMS() { return (VELMARON_VERSION_MAJOR << 16) | VELMARON_VERSION_MINOR; }
int32_t OwnVersionLS() { return (VELMARON_VERSION_PATCH << 16) | VELMARON_VERSION_BUILD; }

}  // namespace NUpdate
