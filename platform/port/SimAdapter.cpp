#include "platform/port/SimAdapter.h"

#include "platform/rtl/Clock.h"

namespace {

// Status of a port whose inputs are open: pins float high, BUSY reads inverted.
constexpr uint8_t kBareStatus = 0x7F;

TSimEvent Event(TSimEventKind kind, uint8_t byte = 0) {
  TSimEvent e;
  e.Kind = kind;
  e.Byte = byte;
  return e;
}

}  // namespace

TSimulatedAdapter::TSimulatedAdapter() = default;
TSimulatedAdapter::~TSimulatedAdapter() = default;

TSimI2CDevice& TSimulatedAdapter::Add(std::unique_ptr<TSimI2CDevice> device) {
  // Names identify devices in the log, so they stay unique.
  const std::string base = device->Name();
  for (int n = 2; Find(device->Name()); ++n) device->SetName(base + " #" + std::to_string(n));
  device->adapter_ = this;
  devices_.push_back(std::move(device));
  return *devices_.back();
}

void TSimulatedAdapter::AddDefaultDevices() {
  Add<TSimEeprom>(256u, uint8_t{0xA0});
  Add<TSimEeprom>(32768u, uint8_t{0xA8});
  Add<TSimRegisterDevice>(256, uint8_t{0x40});
}

TSimI2CDevice* TSimulatedAdapter::Find(const std::string& name) const {
  for (const auto& d : devices_)
    if (d->Name() == name) return d.get();
  return nullptr;
}

bool TSimulatedAdapter::Open() {
  open_ = true;
  return true;
}

bool TSimulatedAdapter::AdapterAt(int lpt) const {
  return !Faults.NoAdapter && AdapterPort == lpt + 1 && lpt >= 0 && lpt < kLptCount &&
         PortBases[static_cast<size_t>(lpt)] != 0;
}

bool TSimulatedAdapter::Trigger() const {
  const int a = AdapterPort - 1;
  return AdapterAt(a) && (data_[a] & 0x40) != 0;
}

// An access takes its cost from its start, whatever the simulation does
// within it, as a port access on real hardware takes the same time whether or
// not a line moves. A fake clock is advanced at once; on the real clock the
// access ends at a deadline of the wait counter (finer than the system's
// clock), returned for Finish. The lines change at one point of the access,
// its start (on a fake clock its end), whatever the simulation's own work.
uint64_t TSimulatedAdapter::Spend() {
  ++accesses_;
  const double cost = hard_ ? SlowAccessNs : NormalAccessNs;
  TClock& clock = Clock();
  auto* fake = dynamic_cast<TFakeClock*>(&clock);
  if (fake && cost > 0) fake->Advance(cost);
  accessNs_ = clock.NowNanoseconds();
  if (cost <= 0 || fake) return 0;
  const double rate = clock.WaitCyclesPerNanosecond();
  if (!(rate > 0)) return 0;
  return clock.ReadWaitCounter() + static_cast<uint64_t>(cost * rate);
}

void TSimulatedAdapter::Finish(uint64_t until) {
  if (until == 0) return;
  TClock& clock = Clock();
  while (clock.ReadWaitCounter() < until) {
  }
}

void TSimulatedAdapter::Record(TSimEvent e) {
  if (e.Kind == seLines && !LogLines) return;
  e.TimeNs = inAccess_ ? accessNs_ : Clock().NowNanoseconds();
  e.Scl = scl_;
  e.Sda = sda_;
  log_.push_back(std::move(e));
  while (log_.size() > LogCapacity && !log_.empty()) log_.pop_front();
}

void TSimulatedAdapter::Settle() {
  const int a = AdapterPort - 1;
  if (!AdapterAt(a)) return;
  const uint64_t now = Clock().NowNanoseconds();
  const bool follow = !Faults.NotFollowingDrive;
  // Devices answer edges by changing their drives; a few rounds reach rest.
  for (int round = 0; round < 16; ++round) {
    bool sclLow = Faults.SclStuckLow || (follow && (control_[a] & 0x08) == 0);
    bool sdaLow = Faults.SdaStuckLow || (follow && (data_[a] & 0x80) != 0);
    for (const auto& d : devices_) {
      if (!d->Present) continue;
      sclLow = sclLow || d->HoldsSclLow(now);
      sdaLow = sdaLow || d->DrivesSdaLow();
    }
    const bool scl = !sclLow, sda = !sdaLow;
    if (scl == scl_ && sda == sda_) return;
    if (sda != sda_) {
      sda_ = sda;
      Record(Event(seLines));
      if (scl_) {
        // SDA moving while SCL is high: a start when it falls, a stop when it rises.
        Record(Event(sda ? seStop : seStart));
        for (const auto& d : devices_) sda ? d->BusStop() : d->BusStart();
      }
      continue;
    }
    scl_ = scl;
    Record(Event(seLines));
    for (const auto& d : devices_) scl ? d->SclRose(sda_) : d->SclFell(now);
  }
}

uint8_t TSimulatedAdapter::AdapterStatus() {
  uint8_t s = 0x07;
  if (sda_) s |= 0x80;
  if (InputPin) s |= 0x40;
  if (data_[AdapterPort - 1] & 0x10) s |= 0x30;
  if (!scl_) s |= 0x08;
  return s;
}

uint8_t TSimulatedAdapter::Read(int lpt, TPortRegister reg) {
  const uint64_t until = Spend();
  inAccess_ = true;
  const uint8_t value = ReadRegister(lpt, reg);
  inAccess_ = false;
  Finish(until);
  return value;
}

void TSimulatedAdapter::Write(int lpt, TPortRegister reg, uint8_t value) {
  const uint64_t until = Spend();
  inAccess_ = true;
  WriteRegister(lpt, reg, value);
  inAccess_ = false;
  Finish(until);
}

uint8_t TSimulatedAdapter::ReadRegister(int lpt, TPortRegister reg) {
  if (lpt < 0 || lpt >= kLptCount) return 0xFF;
  switch (reg) {
    case prData:
      return data_[lpt];
    case prControl:
      return control_[lpt];
    case prStatus:
      if (!AdapterAt(lpt)) return kBareStatus;
      Settle();
      return AdapterStatus();
  }
  return 0xFF;
}

void TSimulatedAdapter::WriteRegister(int lpt, TPortRegister reg, uint8_t value) {
  if (lpt < 0 || lpt >= kLptCount) return;
  switch (reg) {
    case prData: {
      const bool before = Trigger();
      data_[lpt] = value;
      if (!AdapterAt(lpt)) return;
      if (Trigger() != before) Record(Event(seTrigger, Trigger() ? 1 : 0));
      Settle();
      return;
    }
    case prControl:
      control_[lpt] = value;
      if (AdapterAt(lpt)) Settle();
      return;
    case prStatus:
      return;  // read only
  }
}

std::vector<uint8_t> TSimulatedAdapter::BytesSeenBy(const std::string& device) const {
  std::vector<uint8_t> bytes;
  for (const auto& e : log_)
    if (e.Kind == seByte && e.Device == device) bytes.push_back(e.Byte);
  return bytes;
}
