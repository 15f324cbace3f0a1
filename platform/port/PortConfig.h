#pragma once
// The port settings file: which backend runs, and the simulated adapter's
// ports, timing, faults and devices. Its place and format are described in
// docs/simulated-adapter.md.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/port/PortBackend.h"
#include "platform/port/SimAdapter.h"

struct TSimDeviceSetup {
  enum TKind { dkEeprom, dkRegisters } Kind = dkEeprom;
  std::string Name;                // empty: the device's own name
  uint32_t Size = 256;             // EEPROM bytes
  uint8_t Address = 0xA0;
  uint32_t PageSize = 0;           // 0: that of the real part
  uint32_t WriteCycleUs = 5000;
  int Count = 256;                 // registers
  uint32_t StretchUs = 0;
  bool Present = true;
  uint8_t Fill = 0xFF;             // initial contents (registers: 0 unless given)
  bool FillGiven = false;
};

struct TPortConfig {
  TPortBackendKind Backend = TPortBackendKind::Auto;
  TLptBases Ports{0x378, 0x278, 0};
  int AdapterPort = 1;
  double SlowAccessNs = 1000.0;
  double NormalAccessNs = 400.0;
  TSimFaults Faults;
  bool InputPin = true;
  bool DevicesGiven = false;       // false: the default set
  std::vector<TSimDeviceSetup> Devices;
  std::vector<std::string> Problems;  // "line 7: ..." for every entry that was not taken
};

// One device per bus address at most.
constexpr size_t MaxSimDevices = 128;
// Reads settings text; entries that cannot be taken are reported in Problems
// and leave the value before them in force.
TPortConfig ParsePortConfig(const std::string& text);
// A missing file gives the defaults without a problem; an unreadable one (also
// one that is no regular file or is larger than MaxPortConfigBytes) a problem.
constexpr int64_t MaxPortConfigBytes = int64_t(1) << 20;
TPortConfig LoadPortConfig(const std::string& path);
// port.ini in the settings folder the registry store uses too (UserConfigDir()).
std::string DefaultPortConfigPath();

std::unique_ptr<TSimulatedAdapter> BuildSimulatedAdapter(const TPortConfig& config);
