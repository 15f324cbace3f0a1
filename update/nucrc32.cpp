#include "update/nucrc32.h"

#include <array>
#include <cstdio>

namespace nucrc32 {

namespace {

constexpr std::array<uint32_t, 256> MakeTable() {
  std::array<uint32_t, 256> t{};
  for (uint32_t i = 0; i < 256; ++i) {
    uint32_t c = i;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    t[i] = c;
  }
  return t;
}

constexpr std::array<uint32_t, 256> kTable = MakeTable();

}  // namespace

uint32_t UpdateCRC32(uint32_t crc, const void* data, size_t length) {
  const auto* p = static_cast<const unsigned char*>(data);
  crc = ~crc;
  for (size_t i = 0; i < length; ++i) crc = kTable[(crc ^ p[i]) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

uint32_t FileCRC32(const std::string& fileName) {
  std::FILE* f = std::fopen(fileName.c_str(), "rb");
  if (!f) return 0;
  uint32_t crc = 0;
  unsigned char buf[4096];
  size_t n;
  do {
    n = std::fread(buf, 1, sizeof buf, f);
    crc = UpdateCRC32(crc, buf, n);
  } while (n == sizeof buf);
  const bool failed = std::ferror(f) != 0;
  std::fclose(f);
  return failed ? 0 : crc;
}

}  // namespace nucrc32
