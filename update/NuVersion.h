// Version information of files. Our executables carry a fixed-file-info head
// (signature 0xFEEF04BD, structure version 0x00010000, then the two version
// words) as a constant; one reader finds such a head in any file, so a file of
// another platform that carries one is read the same way.
#pragma once

#include <cstdint>
#include <string>

namespace NUpdate {

// The two version words of the first head in the file; false (both -1) when
// the file cannot be read or carries none.
bool ReadFileVersion(const std::string& fileName, int32_t& ms, int32_t& ls);

// The words this program carries.
int32_t OwnVersionMS();
int32_t OwnVersionLS();

}  // namespace NUpdate
