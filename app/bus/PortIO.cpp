#include "app/bus/PortIO.h"

namespace {

// The platform's table of parallel-port bases in low memory.
constexpr uint32_t kBiosLptTable = 0x408;
constexpr uint32_t kMaxMapSize = 65536;

enum TPinKind { pkNone, pkData, pkStatus, pkControl };

struct TPinInfo {
  TPinKind Kind;
  int Bit;
  bool Inverted;  // the port inverts this pin's register bit
};

TPinInfo PinInfo(uint8_t pin) {
  if (pin >= 2 && pin <= 9) return {pkData, pin - 2, false};
  switch (pin) {
    case 1: return {pkControl, 0, true};
    case 14: return {pkControl, 1, true};
    case 16: return {pkControl, 2, false};
    case 17: return {pkControl, 3, true};
    case 10: return {pkStatus, 6, false};
    case 11: return {pkStatus, 7, true};
    case 12: return {pkStatus, 5, false};
    case 13: return {pkStatus, 4, false};
    case 15: return {pkStatus, 3, false};
    default: return {pkNone, 0, false};
  }
}

}  // namespace

TPortIO::TPortIO(TComponent* AOwner) : TComponent(AOwner) {}

TPortIO::~TPortIO() { CloseDriver(); }

bool TPortIO::OpenDriver(const std::string& EntryName) {
  (void)EntryName;  // one driver serves every entry
  if (active_) return active_;
  hardAccess_ = true;
  TOpenedBackend opened = OpenPortBackend();
  owned_ = std::move(opened.Owned);
  backend_ = opened.Backend;
  notes_ = opened.Notes;
  simulatedReason_ = opened.SimulatedReason;
  closedError_.clear();
  active_ = backend_ != nullptr && backend_->IsOpen();
  if (active_) backend_->SetHardAccess(true);
  backendName_ = backend_ ? backend_->Name() : std::string();
  return active_;
}

void TPortIO::CloseDriver() {
  if (active_ && backend_) backend_->Close();
  active_ = false;
  hardAccess_ = true;
  // Keep what the user may still want to read about the closed driver.
  if (backend_) closedError_ = backend_->LastError();
  backend_ = nullptr;
  owned_.reset();
}

bool TPortIO::Locate(uint16_t port, int& lpt, TPortRegister& reg) const {
  const TLptBases bases = backend_->Bases();  // a simulated machine may change its ports
  for (int i = 0; i < kLptCount; ++i) {
    const uint16_t base = bases[static_cast<size_t>(i)];
    if (base != 0 && port >= base && port - base < 3) {
      lpt = i;
      reg = static_cast<TPortRegister>(port - base);
      return true;
    }
  }
  return false;
}

uint8_t TPortIO::GetPortByte(uint16_t Port) {
  int lpt = 0;
  TPortRegister reg = prData;
  if (!active_ || !Locate(Port, lpt, reg)) return 0xFF;
  return backend_->Read(lpt, reg);
}

void TPortIO::SetPortByte(uint16_t Port, uint8_t Value) {
  int lpt = 0;
  TPortRegister reg = prData;
  if (!active_ || !Locate(Port, lpt, reg)) return;
  backend_->Write(lpt, reg, Value);
}

const uint8_t* TPortIO::MapPhysToLinear(uint32_t PhysAddr, uint32_t Size) {
  if (Size == 0 || Size > kMaxMapSize) return nullptr;
  mapped_.assign(Size, 0);
  for (uint32_t i = 0; i < Size; ++i) {
    const uint64_t addr = uint64_t(PhysAddr) + i;
    if (addr < kBiosLptTable || addr >= kBiosLptTable + 2 * kLptCount) continue;
    const auto offset = static_cast<size_t>(addr - kBiosLptTable);
    const uint16_t base = active_ ? backend_->Bases()[offset / 2] : 0;
    mapped_[i] = static_cast<uint8_t>(offset % 2 == 0 ? base & 0xFF : base >> 8);
  }
  return mapped_.data();
}

void TPortIO::SetHardAccess(bool Value) {
  hardAccess_ = Value;
  if (!active_) return;  // stored until the driver opens
  if (!backend_->SetHardAccess(Value)) hardAccess_ = backend_->HardAccess();
}

void TPortIO::SetLPTNumber(uint8_t Value) {
  if (Value >= 1 && Value <= kLptCount) lptNumber_ = Value;
}

int TPortIO::SelectedPort() const {
  const int lpt = lptNumber_ - 1;
  return active_ && backend_->Bases()[static_cast<size_t>(lpt)] != 0 ? lpt : -1;
}

bool TPortIO::GetPin(uint8_t Pin) {
  const TPinInfo info = PinInfo(Pin);
  const int lpt = SelectedPort();
  if (info.Kind == pkNone || lpt < 0) return false;
  const TPortRegister reg = info.Kind == pkData ? prData : info.Kind == pkStatus ? prStatus : prControl;
  const bool bit = (backend_->Read(lpt, reg) >> info.Bit) & 1;
  return bit != info.Inverted;
}

void TPortIO::SetPin(uint8_t Pin, bool Value) {
  const TPinInfo info = PinInfo(Pin);
  const int lpt = SelectedPort();
  if (info.Kind == pkNone || info.Kind == pkStatus || lpt < 0) return;
  const TPortRegister reg = info.Kind == pkData ? prData : prControl;
  const uint8_t mask = static_cast<uint8_t>(1u << info.Bit);
  const uint8_t old = backend_->Read(lpt, reg);
  const bool bit = Value != info.Inverted;
  backend_->Write(lpt, reg, static_cast<uint8_t>(bit ? old | mask : old & ~mask));
}

std::string TPortIO::BackendName() const { return backendName_; }

std::string TPortIO::LastSystemError() const {
  std::string err = backend_ ? backend_->LastError() : closedError_;
  if (!notes_.empty()) err = err.empty() ? notes_ : err + "; " + notes_;
  return err;
}

std::string TPortIO::Advice() const { return !active_ && backend_ ? backend_->Advice() : std::string(); }

TPortAccess TPortIO::PortAccess() const {
  TPortAccess access;
  if (!active_) {
    const std::string why = backend_ ? backend_->LastError() : closedError_;
    access.Text = "No port access" + (why.empty() ? std::string() : ": " + why);
  } else if (Simulated()) {
    access.Kind = pakSimulated;
    access.Text = "Simulated adapter: " + simulatedReason_;
  } else {
    access.Kind = pakHardware;
    access.Text = "Parallel port: " + backend_->Name();
  }
  return access;
}
