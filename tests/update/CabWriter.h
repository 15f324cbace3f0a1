// Cabinets written by hand for the update tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace updatetest {

// Writes an uncompressed cabinet by hand, so entry names no packer would store
// (traversals, absolute paths) can be tried.
struct TCabFile {
  std::string Name;
  std::string Data;
  uint16_t Date = (2019 - 1980) << 9 | 7 << 5 | 14;  // 14 July 2019
  uint16_t Time = 13 << 11 | 45 << 5 | 30 / 2;      // 13:45:30
};

inline void Put16(std::string& s, uint16_t v) {
  s += static_cast<char>(v & 0xFF);
  s += static_cast<char>(v >> 8);
}
inline void Put32(std::string& s, uint32_t v) {
  Put16(s, static_cast<uint16_t>(v & 0xFFFF));
  Put16(s, static_cast<uint16_t>(v >> 16));
}

inline std::string MakeStoredCabinet(const std::vector<TCabFile>& files) {
  std::string all;
  for (auto& f : files) all += f.Data;
  std::string fileRecs;
  uint32_t offset = 0;
  for (auto& f : files) {
    Put32(fileRecs, static_cast<uint32_t>(f.Data.size()));
    Put32(fileRecs, offset);
    Put16(fileRecs, 0);
    Put16(fileRecs, f.Date);
    Put16(fileRecs, f.Time);
    Put16(fileRecs, 0x20);
    fileRecs += f.Name;
    fileRecs += '\0';
    offset += static_cast<uint32_t>(f.Data.size());
  }
  std::string blocks;
  uint16_t nBlocks = 0;
  for (size_t at = 0; at < all.size() || nBlocks == 0; at += 32768) {
    const std::string chunk = all.substr(at, 32768);
    Put32(blocks, 0);  // no checksum
    Put16(blocks, static_cast<uint16_t>(chunk.size()));
    Put16(blocks, static_cast<uint16_t>(chunk.size()));
    blocks += chunk;
    ++nBlocks;
    if (all.empty()) break;
  }
  const uint32_t headerSize = 36, folderSize = 8;
  const uint32_t filesAt = headerSize + folderSize;
  const uint32_t dataAt = filesAt + static_cast<uint32_t>(fileRecs.size());
  std::string cab = "MSCF";
  Put32(cab, 0);
  Put32(cab, dataAt + static_cast<uint32_t>(blocks.size()));
  Put32(cab, 0);
  Put32(cab, filesAt);
  Put32(cab, 0);
  cab += static_cast<char>(3);
  cab += static_cast<char>(1);
  Put16(cab, 1);
  Put16(cab, static_cast<uint16_t>(files.size()));
  Put16(cab, 0);
  Put16(cab, 0x1234);
  Put16(cab, 0);
  Put32(cab, dataAt);
  Put16(cab, nBlocks);
  Put16(cab, 0);  // stored
  return cab + fileRecs + blocks;
}

// An SZDD ("LZ") file of literals only: a flag byte 0xFF before every eight.
inline std::string Szdd(char missing, const std::string& plain) {
  std::string h("SZDD\x88\xF0\x27\x33", 8);
  h += 'A';
  h += missing;
  Put32(h, static_cast<uint32_t>(plain.size()));
  for (size_t i = 0; i < plain.size(); i += 8) {
    h += '\xFF';
    h += plain.substr(i, 8);
  }
  return h;
}

}  // namespace updatetest
