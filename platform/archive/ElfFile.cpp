#include "platform/archive/ElfFile.h"

#include <elf.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <vector>

namespace archive {

namespace {

class TFile {
public:
  explicit TFile(const std::string& name) : fd_(::open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)) {}
  ~TFile() {
    if (fd_ >= 0) ::close(fd_);
  }
  TFile(const TFile&) = delete;
  TFile& operator=(const TFile&) = delete;
  // The size of a regular file, -1 for anything else.
  int64_t Size() const {
    struct stat st {};
    return fd_ >= 0 && ::fstat(fd_, &st) == 0 && S_ISREG(st.st_mode) ? st.st_size : -1;
  }
  bool Read(uint64_t at, void* to, size_t n) const {
    return fd_ >= 0 && ::pread(fd_, to, n, static_cast<off_t>(at)) == static_cast<ssize_t>(n);
  }

private:
  int fd_;
};

// [offset, offset + count * each) lies within size, without overflow.
bool Within(uint64_t offset, uint64_t count, uint64_t each, uint64_t size) {
  if (offset > size) return false;
  if (each != 0 && count > (size - offset) / each) return false;
  return true;
}

template <typename Ehdr, typename Phdr, typename Shdr>
bool WholeOfClass(const TFile& f, uint64_t size, std::string& why) {
  Ehdr eh;
  if (size < sizeof eh || !f.Read(0, &eh, sizeof eh)) {
    why = "its header is cut off";
    return false;
  }
  if (eh.e_type != ET_EXEC && eh.e_type != ET_DYN) {
    why = "it is no program";
    return false;
  }
  if (eh.e_phnum > 0 && (eh.e_phentsize != sizeof(Phdr) || !Within(eh.e_phoff, eh.e_phnum, sizeof(Phdr), size))) {
    why = "its program headers lie past its end";
    return false;
  }
  if (eh.e_shnum > 0 && (eh.e_shentsize != sizeof(Shdr) || !Within(eh.e_shoff, eh.e_shnum, sizeof(Shdr), size))) {
    why = "its section headers lie past its end";
    return false;
  }
  for (unsigned i = 0; i < eh.e_phnum; ++i) {
    Phdr ph;
    if (!f.Read(eh.e_phoff + uint64_t(i) * sizeof ph, &ph, sizeof ph) || !Within(ph.p_offset, ph.p_filesz, 1, size)) {
      why = "a segment lies past its end";
      return false;
    }
  }
  for (unsigned i = 0; i < eh.e_shnum; ++i) {
    Shdr sh;
    if (!f.Read(eh.e_shoff + uint64_t(i) * sizeof sh, &sh, sizeof sh) ||
        (sh.sh_type != SHT_NOBITS && !Within(sh.sh_offset, sh.sh_size, 1, size))) {
      why = "a section lies past its end";
      return false;
    }
  }
  return true;
}

struct TIdent {
  unsigned char elfClass = 0, data = 0;
  uint16_t machine = 0;
};

bool ReadIdent(const TFile& f, TIdent& id) {
  unsigned char head[EI_NIDENT + 4];
  if (!f.Read(0, head, sizeof head) || std::memcmp(head, ELFMAG, SELFMAG) != 0) return false;
  id.elfClass = head[EI_CLASS];
  id.data = head[EI_DATA];
  std::memcpy(&id.machine, head + EI_NIDENT + 2, 2);  // e_machine follows e_type in both classes
  return true;
}

}  // namespace

bool StartsAsElf(const std::string& fileName) {
  TFile f(fileName);
  unsigned char head[SELFMAG];
  return f.Read(0, head, sizeof head) && std::memcmp(head, ELFMAG, SELFMAG) == 0;
}

bool WholeElfForThisMachine(const std::string& fileName, std::string& why) {
  TFile f(fileName);
  const int64_t size = f.Size();
  TIdent id, own;
  if (size < 0 || !ReadIdent(f, id)) {
    why = "it is no program (no ELF file)";
    return false;
  }
  TFile self("/proc/self/exe");
  if (!ReadIdent(self, own)) {
    why = "the running program's own kind cannot be read";
    return false;
  }
  // Only the running program's byte order is read below: anything else is for another machine anyway.
  if (id.elfClass != own.elfClass || id.data != own.data || id.machine != own.machine) {
    why = "it is a program for another kind of machine";
    return false;
  }
  if (id.elfClass == ELFCLASS64) return WholeOfClass<Elf64_Ehdr, Elf64_Phdr, Elf64_Shdr>(f, uint64_t(size), why);
  if (id.elfClass == ELFCLASS32) return WholeOfClass<Elf32_Ehdr, Elf32_Phdr, Elf32_Shdr>(f, uint64_t(size), why);
  why = "it is a program for another kind of machine";
  return false;
}

}  // namespace archive
