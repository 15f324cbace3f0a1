#include "platform/port/PpdevBackend.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/parport.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

int ReadByte(int fd, unsigned long request, uint8_t& value) {
  unsigned char v = 0;
  const int r = ioctl(fd, request, &v) == 0 ? 0 : -errno;
  value = v;
  return r;
}

int WriteByte(int fd, unsigned long request, uint8_t value) {
  unsigned char v = value;
  return ioctl(fd, request, &v) == 0 ? 0 : -errno;
}

class TRealPpdevSystem final : public TPpdevSystem {
 public:
  int Open(const std::string& path) override {
    const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    return fd >= 0 ? fd : -errno;
  }
  void Close(int fd) override { ::close(fd); }
  int Claim(int fd) override {
    // Exclusive: nothing else (lp, another program) may drive the port meanwhile.
    if (ioctl(fd, PPEXCL) != 0 && errno != EINVAL) return -errno;
    if (ioctl(fd, PPCLAIM) != 0) return -errno;
    // Data lines driven: a port left in reverse mode would float SDA's driver.
    int forward = 0;
    ioctl(fd, PPDATADIR, &forward);
    return 0;
  }
  int Release(int fd) override { return ioctl(fd, PPRELEASE) == 0 ? 0 : -errno; }
  int ReadData(int fd, uint8_t& value) override { return ReadByte(fd, PPRDATA, value); }
  int WriteData(int fd, uint8_t value) override { return WriteByte(fd, PPWDATA, value); }
  int ReadStatus(int fd, uint8_t& value) override { return ReadByte(fd, PPRSTATUS, value); }
  int ReadControl(int fd, uint8_t& value) override { return ReadByte(fd, PPRCONTROL, value); }
  int WriteControl(int fd, uint8_t value) override { return WriteByte(fd, PPWCONTROL, value); }
  bool ReadTextFile(const std::string& path, std::string& text) override {
    return ReadWholeTextFile(path, text);
  }
};

// Where the kernel gives no base for a claimed port, the usual one of that LPT.
constexpr uint16_t kUsualBases[kLptCount] = {0x378, 0x278, 0x3BC};

}  // namespace

TPpdevSystem& RealPpdevSystem() {
  static TRealPpdevSystem real;
  return real;
}

TPpdevBackend::TPpdevBackend(TPpdevSystem& system, TDirectIOSystem& direct)
    : system_(system), directSystem_(direct) {}

TPpdevBackend::~TPpdevBackend() { Close(); }

std::string TPpdevBackend::Name() const {
  std::string name = "ppdev";
  bool first = true;
  for (int i = 0; i < kLptCount; ++i) {
    if (fd_[i] < 0) continue;
    name += first ? " " : ", ";
    name += "/dev/parport" + std::to_string(i);
    first = false;
  }
  if (direct_) name += " (direct I/O)";
  return name;
}

void TPpdevBackend::Fail(const std::string& what, int err) {
  if (error_.empty()) error_ = what + ": " + std::strerror(err);
}

bool TPpdevBackend::Open() {
  if (open_) return true;
  error_.clear();
  const TLptBases kernel =
      KernelParportBases([this](const std::string& p, std::string& t) { return system_.ReadTextFile(p, t); });
  bool any = false;
  for (int i = 0; i < kLptCount; ++i) {
    const std::string path = "/dev/parport" + std::to_string(i);
    bases_[i] = 0;
    const int fd = system_.Open(path);
    if (fd < 0) {
      // A missing LPT2 or LPT3 is normal once LPT1 is there; only report
      // the first port's absence or a real refusal.
      if (fd != -ENOENT || i == 0) Fail(path, -fd);
      continue;
    }
    const int r = system_.Claim(fd);
    if (r != 0) {
      Fail(path, -r);  // EBUSY: held by another driver
      system_.Close(fd);
      continue;
    }
    fd_[i] = fd;
    dataLatch_[i] = -1;
    bases_[i] = kernel[i] ? kernel[i] : kUsualBases[i];
    any = true;
  }
  open_ = any;
  if (any) error_.clear();
  return open_;
}

void TPpdevBackend::Close() {
  direct_.reset();
  for (int i = 0; i < kLptCount; ++i) {
    if (fd_[i] < 0) continue;
    system_.Release(fd_[i]);
    system_.Close(fd_[i]);
    fd_[i] = -1;
    bases_[i] = 0;
  }
  open_ = false;
}

uint8_t TPpdevBackend::Read(int lpt, TPortRegister reg) {
  if (lpt < 0 || lpt >= kLptCount || fd_[lpt] < 0) return 0xFF;
  if (reg == prData && dataLatch_[lpt] >= 0) return static_cast<uint8_t>(dataLatch_[lpt]);
  if (direct_) return direct_->Read(lpt, reg);
  uint8_t v = 0xFF;
  int r = 0;
  switch (reg) {
    case prData: r = system_.ReadData(fd_[lpt], v); break;
    case prStatus: r = system_.ReadStatus(fd_[lpt], v); break;
    case prControl: r = system_.ReadControl(fd_[lpt], v); break;
  }
  return r == 0 ? v : 0xFF;
}

void TPpdevBackend::Write(int lpt, TPortRegister reg, uint8_t value) {
  if (lpt < 0 || lpt >= kLptCount || fd_[lpt] < 0 || reg == prStatus) return;
  if (reg == prData) dataLatch_[lpt] = value;
  if (direct_) {
    direct_->Write(lpt, reg, value);
    return;
  }
  if (reg == prData)
    system_.WriteData(fd_[lpt], value);
  else
    system_.WriteControl(fd_[lpt], value);
}

bool TPpdevBackend::SetHardAccess(bool hard) {
  if (hard) {
    direct_.reset();
    return true;
  }
  if (direct_) return true;
  if (!open_) return false;
  auto direct = std::make_unique<TDirectIOBackend>(bases_, directSystem_);
  if (!direct->Open()) {
    error_ = direct->LastError();
    return false;
  }
  // Only when every claimed port may be reached directly: a mixed mode would
  // time the ports differently.
  const TLptBases got = direct->Bases();
  for (int i = 0; i < kLptCount; ++i) {
    if (got[i] != bases_[i]) {
      error_ = direct->LastError();
      return false;
    }
  }
  direct_ = std::move(direct);
  return true;
}
