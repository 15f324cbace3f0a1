// What an update file is, told by its first bytes and headers: programs and
// libraries of this system are ELF files.
#pragma once

#include <string>

namespace archive {

// True when the file begins as an ELF file (a program, a library, a plugin).
bool StartsAsElf(const std::string& fileName);

// True when the file is a whole ELF program or library for the machine this
// runs on: its class, byte order and machine those of the running program,
// and every header, segment and section inside the file. False with a reason
// (for people) otherwise: a cut download is not a program.
bool WholeElfForThisMachine(const std::string& fileName, std::string& why);

}  // namespace archive
