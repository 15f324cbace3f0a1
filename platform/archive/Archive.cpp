#include "platform/archive/Archive.h"

#include "platform/rtl/SysUtils.h"
#include "platform/rtl/Win1252.h"

#include <mspack.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>

namespace archive {

namespace {

std::string MspackError(int code) {
  switch (code) {
    case MSPACK_ERR_OK: return "no error";
    case MSPACK_ERR_OPEN: return "cannot open the file";
    case MSPACK_ERR_READ: return "read error";
    case MSPACK_ERR_WRITE: return "write error";
    case MSPACK_ERR_SEEK: return "seek error";
    case MSPACK_ERR_NOMEMORY: return "out of memory";
    case MSPACK_ERR_SIGNATURE: return "not a cabinet or compressed file";
    case MSPACK_ERR_DATAFORMAT: return "damaged data";
    case MSPACK_ERR_CHECKSUM: return "checksum error";
    case MSPACK_ERR_DECRUNCH: return "decompression error";
    default: return "error " + std::to_string(code);
  }
}

// Only regular files are opened: a FIFO or device named as an archive would
// block or never end.
bool IsRegularFile(const std::string& fileName) {
  struct stat st {};
  return ::stat(fileName.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// A temporary file beside `target`, reached without links, that the
// decompressor writes through its descriptor's name.
struct TBeside {
  TFolder folder;
  std::string name, temp;
  mode_t mode = 0;
  int fd = -1;

  bool Open(const std::string& target, const TPlaceRule& rule, std::string& error) {
    std::string dir;
    SplitPath(target, dir, name);
    if (!folder.Open(dir, false, error) || !PlacedMode(folder, name, rule, mode, error)) return false;
    fd = CreateTempIn(folder, name, temp, error);
    return fd >= 0;
  }
  std::string Path() const { return "/proc/self/fd/" + std::to_string(fd); }
  void Discard() {
    if (fd >= 0) ::close(fd);
    fd = -1;
    ::unlinkat(folder.Fd(), temp.c_str(), 0);
  }
  bool Commit(std::string& error) {
    const int f = fd;
    fd = -1;
    return CommitIn(folder, f, temp, name, mode, error);
  }
  ~TBeside() {
    if (fd >= 0) Discard();
  }
};

}  // namespace

struct TCabinet::TImpl {
  mscab_decompressor* dec = nullptr;
  mscabd_cabinet* cab = nullptr;
  std::vector<mscabd_file*> files;
  ~TImpl() {
    if (cab) dec->close(dec, cab);
    if (dec) mspack_destroy_cab_decompressor(dec);
  }
};

TCabinet::TCabinet() = default;
TCabinet::~TCabinet() = default;

void TCabinet::Close() {
  impl_.reset();
  entries_.clear();
}

bool TCabinet::Open(const std::string& fileName, std::string& error) {
  Close();
  if (!IsRegularFile(fileName)) {
    error = "cannot open " + fileName;
    return false;
  }
  auto impl = std::make_unique<TImpl>();
  impl->dec = mspack_create_cab_decompressor(nullptr);
  if (!impl->dec) {
    error = "out of memory";
    return false;
  }
  impl->cab = impl->dec->open(impl->dec, const_cast<char*>(fileName.c_str()));
  if (!impl->cab) {
    error = fileName + ": " + MspackError(impl->dec->last_error(impl->dec));
    return false;
  }
  // Sets spanning several cabinets are not followed: only this file's entries.
  for (mscabd_file* f = impl->cab->files; f; f = f->next) {
    TCabEntry e;
    e.Name = (f->attribs & MSCAB_ATTRIB_UTF_NAME) ? std::string(f->filename)
                                                 : Win1252ToUtf8(f->filename);
    e.Length = f->length;
    e.Year = f->date_y;
    e.Month = f->date_m;
    e.Day = f->date_d;
    e.Hour = f->time_h;
    e.Minute = f->time_m;
    e.Second = f->time_s;
    e.Attribs = static_cast<uint32_t>(f->attribs);
    entries_.push_back(std::move(e));
    impl->files.push_back(f);
  }
  impl_ = std::move(impl);
  return true;
}

bool TCabinet::Extract(size_t index, const std::string& target, std::string& error, const TPlaceRule& rule) {
  if (!impl_ || index >= impl_->files.size()) {
    error = "no such cabinet entry";
    return false;
  }
  TBeside out;
  if (!out.Open(target, rule, error)) return false;
  int rc = impl_->dec->extract(impl_->dec, impl_->files[index], const_cast<char*>(out.Path().c_str()));
  if (rc != MSPACK_ERR_OK) {
    error = entries_[index].Name + ": " + MspackError(rc);
    out.Discard();
    return false;
  }
  const TCabEntry& e = entries_[index];
  struct tm tm {};
  tm.tm_year = e.Year - 1900;
  tm.tm_mon = e.Month - 1;
  tm.tm_mday = e.Day;
  tm.tm_hour = e.Hour;
  tm.tm_min = e.Minute;
  tm.tm_sec = e.Second;
  tm.tm_isdst = -1;  // the stored time is local time
  time_t when = std::mktime(&tm);
  if (when != static_cast<time_t>(-1)) {
    struct timespec times[2];
    times[0].tv_sec = when;
    times[0].tv_nsec = 0;
    times[1] = times[0];
    ::futimens(out.fd, times);
  }
  return out.Commit(error);
}

bool TCabinet::ExtractScratch(size_t index, const std::string& file, std::string& error) {
  if (!impl_ || index >= impl_->files.size()) {
    error = "no such cabinet entry";
    return false;
  }
  const int rc = impl_->dec->extract(impl_->dec, impl_->files[index], const_cast<char*>(file.c_str()));
  if (rc == MSPACK_ERR_OK) return true;
  error = entries_[index].Name + ": " + MspackError(rc);
  return false;
}

int64_t FreeBytesAt(const std::string& path) {
  std::string at = path.empty() ? "." : path;
  for (;;) {
    struct statvfs fs {};
    if (::statvfs(at.c_str(), &fs) == 0) return static_cast<int64_t>(fs.f_bavail) * static_cast<int64_t>(fs.f_frsize);
    if ((errno != ENOENT && errno != ENOTDIR) || at == "." || at == "/") return -1;
    while (!at.empty() && at.back() == '/') at.pop_back();
    const size_t slash = at.rfind('/');
    if (slash == std::string::npos) at = ".";
    else at = slash == 0 ? "/" : at.substr(0, slash);
  }
}

bool ReadSzddHeader(const std::string& fileName, TSzddHeader& header) {
  static const unsigned char magic[8] = {'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33};
  if (!IsRegularFile(fileName)) return false;
  int fd = ::open(fileName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  unsigned char buf[14];
  ssize_t n = ::read(fd, buf, sizeof buf);
  ::close(fd);
  if (n != static_cast<ssize_t>(sizeof buf) || std::memcmp(buf, magic, 8) != 0 || buf[8] != 'A')
    return false;
  header.MissingChar = static_cast<char>(buf[9]);
  header.Length = static_cast<uint32_t>(buf[10]) | static_cast<uint32_t>(buf[11]) << 8 |
                  static_cast<uint32_t>(buf[12]) << 16 | static_cast<uint32_t>(buf[13]) << 24;
  return true;
}

bool ExpandSzdd(const std::string& fileName, const std::string& target, std::string& error, const TPlaceRule& rule) {
  TSzddHeader header;
  if (!ReadSzddHeader(fileName, header)) {
    error = fileName + ": not an SZDD file";
    return false;
  }
  TBeside out;
  if (!out.Open(target, rule, error)) return false;
  msszdd_decompressor* dec = mspack_create_szdd_decompressor(nullptr);
  if (!dec) {
    error = "out of memory";
    out.Discard();
    return false;
  }
  int rc = dec->decompress(dec, const_cast<char*>(fileName.c_str()), const_cast<char*>(out.Path().c_str()));
  mspack_destroy_szdd_decompressor(dec);
  if (rc != MSPACK_ERR_OK) {
    error = fileName + ": " + MspackError(rc);
    out.Discard();
    return false;
  }
  // The header's length is what the packer promised: a short or long result is damage.
  struct stat st {};
  if (::fstat(out.fd, &st) != 0 || st.st_size != static_cast<off_t>(header.Length)) {
    error = fileName + ": damaged data (expanded length differs from its header)";
    out.Discard();
    return false;
  }
  return out.Commit(error);
}

}  // namespace archive
