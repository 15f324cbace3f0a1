// CRC-32 of files, for the update's checksum test.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace nucrc32 {

// The standard reflected CRC-32 (polynomial 0xEDB88320), continued from `crc`
// (0 to start).
uint32_t UpdateCRC32(uint32_t crc, const void* data, size_t length);
// CRC-32 of the whole file; 0 (the CRC of no data) when it cannot be read.
uint32_t FileCRC32(const std::string& fileName);

}  // namespace nucrc32
