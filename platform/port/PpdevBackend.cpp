#include "platform/port/PpdevBackend.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <grp.h>
#include <linux/parport.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
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
  int Claim(int fd, bool exclusive) override {
    // Exclusive: nothing else (lp, another program) may even be registered on the port.
    if (exclusive && ioctl(fd, PPEXCL) != 0 && errno != EINVAL) return -errno;
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
  std::string GroupOf(const std::string& path) override {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) return std::string();
    const struct group* g = getgrgid(st.st_gid);
    return g && g->gr_name ? std::string(g->gr_name) : std::string();
  }
};

std::string Trimmed(std::string s) {
  while (!s.empty() && (s.back() == '\n' || s.back() == ' ' || s.back() == '\t')) s.pop_back();
  return s;
}

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
    if (!shared_[i]) name += " (exclusive claim)";
    else name += holders_[i].empty() ? " (shared claim)" : " (shared claim with " + holders_[i] + ")";
    first = false;
  }
  if (direct_) name += " (direct I/O)";
  return name;
}

void TPpdevBackend::Fail(const std::string& path, TFault fault, const std::string& why, const std::string& holder) {
  // The first real refusal is the one to tell; a missing LPT1 only when nothing else went wrong.
  if (fault_ != fNone && !(fault_ == fAbsent && fault != fAbsent)) return;
  fault_ = fault;
  error_ = path + ": " + why;
  const std::string lp = "If the printer driver lp holds it, unload lp (sudo rmmod lp; remove lp from "
                         "/etc/modules to keep it from loading at every start).";
  switch (fault) {
    case fAbsent:
      advice_ = "This machine has no parallel port that the kernel knows of. If it has one, load its drivers "
                "(sudo modprobe parport_pc ppdev). To work without hardware, set Kind=simulated in port.ini.";
      break;
    case fNoDeviceNode:
      advice_ = "The kernel has the parallel port, but " + path +
                " is missing: load the ppdev driver (sudo modprobe ppdev; add ppdev to /etc/modules to load it "
                "at every start).";
      break;
    case fPermission: {
      const std::string group = system_.GroupOf(path);
      if (!group.empty() && group != "root")
        advice_ = "Your user may not open " + path + ". Add it to the group " + group + " that owns the port (sudo adduser $USER " +
                  group + "), then log out and in again; or give the port to your user with a udev rule (see the README).";
      else
        advice_ = "Your user may not open " + path +
                  ". Give the port to your user with a udev rule (see the README), or run Velmaron in the group "
                  "that owns the port.";
      break;
    }
    case fBusy:
      advice_ = (holder == "lp" ? std::string("The printer driver lp")
                 : holder.empty() ? std::string("Another driver")
                                  : "The driver " + holder) +
                " is using " + path +
                " right now: start Velmaron again when it has finished. " + lp;
      break;
    case fHeld:
      advice_ = "Another program or driver holds " + path + " for itself: end it, then start Velmaron again. " + lp;
      break;
    case fNone:
    case fOther:
      advice_.clear();
      break;
  }
}

int TPpdevBackend::ClaimPort(int lpt, const std::string& path, int& fd, std::string& holder) {
  int r = system_.Claim(fd, true);
  if (r != -ENXIO && r != -EBUSY) return r;
  // Another driver is registered on the port. Which, and is it using the port now?
  const std::string devices = "/proc/sys/dev/parport/parport" + std::to_string(lpt) + "/devices/";
  std::string text;
  if (system_.ReadTextFile(devices + "lp/timeslice", text)) holder = "lp";
  if (system_.ReadTextFile(devices + "active", text)) {
    text = Trimmed(text);
    if (!text.empty() && text != "none") {
      holder = text;
      return -EBUSY;  // a shared claim would wait until it lets go
    }
  }
  // The exclusive request stays with the descriptor: a shared claim needs a new one.
  system_.Close(fd);
  fd = system_.Open(path);
  if (fd < 0) return fd;
  r = system_.Claim(fd, false);
  if (r == 0) shared_[lpt] = true;
  return r;
}

bool TPpdevBackend::Open() {
  if (open_) return true;
  error_.clear();
  advice_.clear();
  fault_ = fNone;
  machineHasPort_ = false;
  const TLptBases kernel =
      KernelParportBases([this](const std::string& p, std::string& t) { return system_.ReadTextFile(p, t); });
  bool any = false;
  for (int i = 0; i < kLptCount; ++i) {
    const std::string path = "/dev/parport" + std::to_string(i);
    bases_[i] = 0;
    shared_[i] = false;
    holders_[i].clear();
    if (kernel[i]) machineHasPort_ = true;
    int fd = system_.Open(path);
    if (fd >= 0) {
      machineHasPort_ = true;
      std::string holder;
      const int r = ClaimPort(i, path, fd, holder);
      if (r == 0) {
        fd_[i] = fd;
        dataLatch_[i] = -1;
        holders_[i] = holder;
        bases_[i] = kernel[i] ? kernel[i] : kUsualBases[i];
        any = true;
        continue;
      }
      if (fd >= 0) system_.Close(fd);
      if (r == -EBUSY) Fail(path, fBusy, "in use by " + (holder.empty() ? "another driver" : holder), holder);
      else if (r == -ENXIO) Fail(path, fHeld, "held for itself by another program or driver", holder);
      else if (r == -EACCES || r == -EPERM) Fail(path, fPermission, std::strerror(-r));
      else Fail(path, fOther, std::strerror(-r));
      continue;
    }
    if (fd == -ENOENT) {
      // A missing LPT2 or LPT3 is normal once LPT1 is there.
      if (kernel[i]) Fail(path, fNoDeviceNode, std::strerror(ENOENT));
      else if (i == 0) Fail(path, fAbsent, std::strerror(ENOENT));
      continue;
    }
    machineHasPort_ = true;
    Fail(path, fd == -EACCES || fd == -EPERM ? fPermission : fOther, std::strerror(-fd));
  }
  open_ = any;
  if (any) {
    error_.clear();
    advice_.clear();
  }
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
    shared_[i] = false;
    holders_[i].clear();
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
