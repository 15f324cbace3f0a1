// Arbitrary register traffic on the simulated adapter: the devices' state
// machines must never go out of bounds whatever the master does, and the bus
// must come back to idle once the master lets go.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/port/SimAdapter.h"
#include "platform/rtl/Clock.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TFakeClock clock;
  TClockScope scope(clock);
  TSimulatedAdapter sim;
  sim.LogCapacity = 256;
  sim.Add<TSimEeprom>(16u, uint8_t{0xA0});
  sim.Add<TSimEeprom>(2048u, uint8_t{0xA0});
  sim.Add<TSimEeprom>(65536u, uint8_t{0xA0}, 4u);
  auto& regs = sim.Add<TSimRegisterDevice>(3, uint8_t{0x40});
  regs.StretchMicroseconds = 7;
  sim.Open();
  for (size_t i = 0; i + 1 < size; i += 2) {
    const uint8_t op = data[i], value = data[i + 1];
    switch (op & 7) {
      case 0: sim.Write(0, prData, value); break;
      case 1: sim.Write(0, prControl, value); break;
      case 2: sim.Read(0, prStatus); break;
      case 3: clock.Advance(value * 1000.0); break;
      case 4: sim.Faults.SdaStuckLow = value & 1; sim.Faults.SclStuckLow = value & 2; break;
      case 5: regs.Present = value & 1; break;
      case 6: sim.SetHardAccess(value & 1); break;
      default: sim.Write(0, prData, (value & 1) ? 0xFF : 0x7F); break;
    }
  }
  // Let go: no fault, master releases both lines, stretches end, and clocks
  // out any byte a device was sending (nine clocks end every transfer).
  sim.Faults = {};
  regs.Present = true;
  sim.Write(0, prData, 0x7F);
  for (int k = 0; k < 10; ++k) {
    sim.Write(0, prControl, 0x04);
    sim.Write(0, prControl, 0x0C);
    clock.Advance(1e6);
    sim.Read(0, prStatus);
  }
  if (!sim.Scl()) std::abort();
  return 0;
}
