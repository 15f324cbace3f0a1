#include "platform/port/PortConfig.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "platform/port/DirectIOBackend.h"
#include "platform/rtl/SysUtils.h"

namespace {

std::string Lower(std::string s) {
  for (auto& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

bool ParseUnsigned(const std::string& text, int base, unsigned long max, unsigned long& out) {
  if (text.empty()) return false;
  for (char c : text)
    if (!(base == 16 ? std::isxdigit(static_cast<unsigned char>(c)) : std::isdigit(static_cast<unsigned char>(c))))
      return false;
  if (text.size() > 10) return false;
  const unsigned long v = std::strtoul(text.c_str(), nullptr, base);
  if (v > max) return false;
  out = v;
  return true;
}

// Hexadecimal as the program shows addresses: "378", "0x378", "378H", "$378".
bool ParseHex(std::string text, unsigned long max, unsigned long& out) {
  text = Lower(text);
  if (text.rfind("0x", 0) == 0) text.erase(0, 2);
  else if (!text.empty() && text[0] == '$') text.erase(0, 1);
  if (!text.empty() && text.back() == 'h') text.pop_back();
  return ParseUnsigned(text, 16, max, out);
}

// Decimal, with an optional K (x1024) for sizes: "32768" or "32K".
bool ParseSize(std::string text, unsigned long& out) {
  unsigned long mult = 1;
  if (!text.empty() && (text.back() == 'k' || text.back() == 'K')) {
    mult = 1024;
    text.pop_back();
  }
  unsigned long v = 0;
  if (!ParseUnsigned(text, 10, 1u << 20, v)) return false;
  out = v * mult;
  return true;
}

bool ParseBool(const std::string& text, bool& out) {
  const std::string t = Lower(text);
  if (t == "1" || t == "true" || t == "yes" || t == "on") return out = true, true;
  if (t == "0" || t == "false" || t == "no" || t == "off") return out = false, true;
  return false;
}

bool ParseNs(const std::string& text, double& out) {
  unsigned long v = 0;
  if (!ParseUnsigned(text, 10, 1000000, v)) return false;
  out = static_cast<double>(v);
  return true;
}

}  // namespace

TPortConfig ParsePortConfig(const std::string& text) {
  TPortConfig cfg;
  std::istringstream in(text);
  std::string raw, section;
  TSimDeviceSetup* device = nullptr;
  int lineNo = 0;
  bool tooMany = false;
  auto problem = [&](const std::string& what) {
    cfg.Problems.push_back("line " + std::to_string(lineNo) + ": " + what);
  };
  while (std::getline(in, raw)) {
    ++lineNo;
    std::string line = raw;
    // Comments: a line starting with ';' or '#', or " ;" after a value.
    if (const auto c = line.find(" ;"); c != std::string::npos) line.erase(c);
    line = Trim(line);
    if (line.empty() || line[0] == ';' || line[0] == '#') continue;
    if (line.front() == '[') {
      if (line.back() != ']') {
        problem("section header without ']'");
        section = "?";
        continue;
      }
      section = Lower(Trim(line.substr(1, line.size() - 2)));
      device = nullptr;
      if (section.rfind("device", 0) == 0) {
        if (!cfg.DevicesGiven) cfg.Devices.clear();
        cfg.DevicesGiven = true;
        // One bus holds a device per address at most: a file asking for more is refused here,
        // before each would get its memory.
        if (cfg.Devices.size() >= MaxSimDevices) {
          if (!tooMany) problem("more than " + std::to_string(MaxSimDevices) + " devices; the rest are left out");
          tooMany = true;
          section = "?";
          continue;
        }
        cfg.Devices.emplace_back();
        device = &cfg.Devices.back();
      } else if (section != "backend" && section != "ports" && section != "timing" && section != "faults") {
        problem("unknown section [" + Excerpt(section) + "]");
        section = "?";
      }
      continue;
    }
    const auto eq = line.find('=');
    if (eq == std::string::npos) {
      problem("expected key=value");
      continue;
    }
    const std::string key = Lower(Trim(line.substr(0, eq)));
    const std::string value = Trim(line.substr(eq + 1));
    unsigned long n = 0;
    bool ok = true;
    if (section.empty()) {
      problem("entry before any section");
      continue;
    }
    if (section == "?") continue;  // already reported
    if (section == "backend") {
      if (key == "kind") ok = ParsePortBackendKind(value, cfg.Backend);
      else ok = false;
    } else if (section == "ports") {
      if (key == "lpt1" || key == "lpt2" || key == "lpt3") {
        ok = value.empty() ? (n = 0, true) : ParseHex(value, 0xFFFC, n);
        if (ok) cfg.Ports[static_cast<size_t>(key[3] - '1')] = static_cast<uint16_t>(n);
      } else if (key == "adapter") {
        ok = ParseUnsigned(value, 10, 3, n);
        if (ok) cfg.AdapterPort = static_cast<int>(n);
      } else {
        ok = false;
      }
    } else if (section == "timing") {
      if (key == "slowaccessns") ok = ParseNs(value, cfg.SlowAccessNs);
      else if (key == "normalaccessns") ok = ParseNs(value, cfg.NormalAccessNs);
      else ok = false;
    } else if (section == "faults") {
      if (key == "sdastucklow") ok = ParseBool(value, cfg.Faults.SdaStuckLow);
      else if (key == "sclstucklow") ok = ParseBool(value, cfg.Faults.SclStuckLow);
      else if (key == "notfollowingdrive") ok = ParseBool(value, cfg.Faults.NotFollowingDrive);
      else if (key == "noadapter") ok = ParseBool(value, cfg.Faults.NoAdapter);
      else if (key == "inputpin") ok = ParseBool(value, cfg.InputPin);
      else ok = false;
    } else if (device) {
      if (key == "kind") {
        const std::string k = Lower(value);
        if (k == "eeprom") device->Kind = TSimDeviceSetup::dkEeprom;
        else if (k == "registers") device->Kind = TSimDeviceSetup::dkRegisters;
        else ok = false;
      } else if (key == "name") {
        device->Name = value;
      } else if (key == "size") {
        ok = ParseSize(value, n) && TSimEeprom::ValidSize(static_cast<uint32_t>(n));
        if (ok) device->Size = static_cast<uint32_t>(n);
      } else if (key == "address") {
        ok = ParseHex(value, 0xFF, n);
        if (ok) device->Address = static_cast<uint8_t>(n & 0xFE);
      } else if (key == "pagesize") {
        ok = ParseUnsigned(value, 10, 65536, n) && n > 0 && (n & (n - 1)) == 0;
        if (ok) device->PageSize = static_cast<uint32_t>(n);
      } else if (key == "writecycleus") {
        ok = ParseUnsigned(value, 10, 10000000, n);
        if (ok) device->WriteCycleUs = static_cast<uint32_t>(n);
      } else if (key == "stretchus") {
        ok = ParseUnsigned(value, 10, 10000000, n);
        if (ok) device->StretchUs = static_cast<uint32_t>(n);
      } else if (key == "count") {
        ok = ParseUnsigned(value, 10, 256, n) && n >= 1;
        if (ok) device->Count = static_cast<int>(n);
      } else if (key == "present") {
        ok = ParseBool(value, device->Present);
      } else if (key == "fill") {
        ok = ParseHex(value, 0xFF, n);
        if (ok) device->Fill = static_cast<uint8_t>(n), device->FillGiven = true;
      } else {
        ok = false;
      }
    }
    if (!ok) problem("cannot take \"" + Excerpt(Trim(raw)) + "\" in [" + Excerpt(section) + "]");
  }
  for (size_t i = 0; i < cfg.Devices.size(); ++i) {
    auto& d = cfg.Devices[i];
    if (d.Kind == TSimDeviceSetup::dkEeprom && d.PageSize > d.Size) {
      cfg.Problems.push_back("device " + std::to_string(i + 1) + ": page size " + std::to_string(d.PageSize) +
                             " above the size; the part's own page size is used");
      d.PageSize = 0;
    }
  }
  return cfg;
}

TPortConfig LoadPortConfig(const std::string& path) {
  // Only a name that is not there is absent; a link (a loop or dangling one too) is read and
  // its fault said.
  std::error_code ec;
  if (std::filesystem::symlink_status(path, ec).type() == std::filesystem::file_type::not_found) return TPortConfig{};
  std::string text;
  try {
    text = LoadRegularFileBytes(path, MaxPortConfigBytes);
  } catch (const Exception& e) {
    TPortConfig cfg;
    cfg.Problems.push_back(path + ": cannot be read (" + e.Message() + ")");
    return cfg;
  }
  TPortConfig cfg = ParsePortConfig(text);
  for (auto& p : cfg.Problems) p = path + " " + p;
  return cfg;
}

std::string DefaultPortConfigPath() { return UserConfigDir() + "/port.ini"; }

std::unique_ptr<TSimulatedAdapter> BuildSimulatedAdapter(const TPortConfig& config) {
  auto sim = std::make_unique<TSimulatedAdapter>();
  sim->PortBases = config.Ports;
  sim->AdapterPort = config.AdapterPort;
  sim->SlowAccessNs = config.SlowAccessNs;
  sim->NormalAccessNs = config.NormalAccessNs;
  sim->Faults = config.Faults;
  sim->InputPin = config.InputPin;
  if (!config.DevicesGiven) {
    sim->AddDefaultDevices();
    return sim;
  }
  for (const auto& d : config.Devices) {
    std::unique_ptr<TSimI2CDevice> dev;
    if (d.Kind == TSimDeviceSetup::dkEeprom) {
      const uint32_t page = d.PageSize <= d.Size ? d.PageSize : 0;
      auto ee = std::make_unique<TSimEeprom>(d.Size, d.Address, page);
      ee->WriteCycleMicroseconds = d.WriteCycleUs;
      if (d.FillGiven) std::fill(ee->Memory.begin(), ee->Memory.end(), d.Fill);
      dev = std::move(ee);
    } else {
      auto regs = std::make_unique<TSimRegisterDevice>(d.Count, d.Address);
      if (d.FillGiven) std::fill(regs->Registers.begin(), regs->Registers.end(), d.Fill);
      dev = std::move(regs);
    }
    dev->StretchMicroseconds = d.StretchUs;
    dev->Present = d.Present;
    if (!d.Name.empty()) dev->SetName(d.Name);
    sim->Add(std::move(dev));
  }
  return sim;
}
