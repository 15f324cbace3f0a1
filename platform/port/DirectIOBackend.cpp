#include "platform/port/DirectIOBackend.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include "platform/rtl/SysUtils.h"

#if defined(__x86_64__) || defined(__i386__)
#include <sys/io.h>
#define VELMARON_HAS_PORT_IO 1
#endif

namespace {

class TRealDirectIOSystem final : public TDirectIOSystem {
 public:
  int Permit(uint16_t base, unsigned count, bool on) override {
#ifdef VELMARON_HAS_PORT_IO
    return ioperm(base, count, on ? 1 : 0) == 0 ? 0 : errno;
#else
    return ENOSYS;
#endif
  }
  uint8_t In(uint16_t port) override {
#ifdef VELMARON_HAS_PORT_IO
    return inb(port);
#else
    return 0xFF;
#endif
  }
  void Out(uint16_t port, uint8_t value) override {
#ifdef VELMARON_HAS_PORT_IO
    outb(value, port);
#endif
  }
};

}  // namespace

TDirectIOSystem& RealDirectIOSystem() {
  static TRealDirectIOSystem real;
  return real;
}

TDirectIOBackend::TDirectIOBackend(TLptBases bases, TDirectIOSystem& system)
    : bases_(bases), system_(system) {}

TDirectIOBackend::~TDirectIOBackend() { Close(); }

bool TDirectIOBackend::Open() {
  if (open_) return true;
  error_.clear();
  bool any = false;
  for (int i = 0; i < kLptCount; ++i) {
    if (bases_[i] == 0) continue;
    const int err = system_.Permit(bases_[i], 3, true);
    if (err == 0) {
      permitted_[i] = true;
      any = true;
    } else if (error_.empty()) {
      std::ostringstream s;
      s << "ioperm 0x" << std::hex << bases_[i] << ": " << std::strerror(err);
      error_ = s.str();
    }
  }
  // A port that may not be touched is no port for the caller.
  for (int i = 0; i < kLptCount; ++i)
    if (!permitted_[i]) bases_[i] = 0;
  noBase_ = !any && error_.empty();
  if (noBase_) error_ = "no parallel port base known";
  open_ = any;
  return open_;
}

std::string TDirectIOBackend::Advice() const {
  if (open_ || error_.empty()) return std::string();
  if (noBase_)
    return "Neither the kernel nor port.ini names a port base: give LPT1 (and LPT2, LPT3) under [Ports] in "
           "port.ini, or use Kind=auto.";
  return "Direct port I/O needs root (or the CAP_SYS_RAWIO capability) on an x86 machine: run Velmaron so, or "
         "use Kind=auto in port.ini to reach the port through ppdev.";
}

void TDirectIOBackend::Close() {
  for (int i = 0; i < kLptCount; ++i) {
    if (permitted_[i]) system_.Permit(bases_[i], 3, false);
    permitted_[i] = false;
  }
  open_ = false;
}

uint8_t TDirectIOBackend::Read(int lpt, TPortRegister reg) {
  if (lpt < 0 || lpt >= kLptCount || !permitted_[lpt]) return 0xFF;
  return system_.In(static_cast<uint16_t>(bases_[lpt] + reg));
}

void TDirectIOBackend::Write(int lpt, TPortRegister reg, uint8_t value) {
  if (lpt < 0 || lpt >= kLptCount || !permitted_[lpt] || reg == prStatus) return;
  system_.Out(static_cast<uint16_t>(bases_[lpt] + reg), value);
}

bool ReadWholeTextFile(const std::string& path, std::string& text) {
  // The kernel's files through the one reader, so a test root's pipe never stalls the start.
  try {
    text = LoadRegularFileBytes(path, 4 << 20);
    return true;
  } catch (const Exception&) {
    return false;
  }
}

TLptBases KernelParportBases(const std::function<bool(const std::string&, std::string&)>& readFile) {
  TLptBases bases{0, 0, 0};
  for (int i = 0; i < kLptCount; ++i) {
    std::string text;
    if (!readFile("/proc/sys/dev/parport/parport" + std::to_string(i) + "/base-addr", text)) continue;
    std::istringstream in(text);
    long base = 0;
    if (in >> base && base > 0 && base <= 0xFFFC) bases[i] = static_cast<uint16_t>(base);
  }
  return bases;
}
