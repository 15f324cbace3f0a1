#pragma once
// TInstHPTimeBase: identifies the processor and measures its clock once, when
// created. All values are fixed from then on; writing a property does nothing.
// Every source reads the clock in force (Clock()), so tests inject a fake one.

#include <cstdint>
#include <string>

#include "platform/rtl/Classes.h"

class TInstHPTimeBase : public TComponent {
 public:
  explicit TInstHPTimeBase(TComponent* AOwner);
  std::string ClassName() const override { return "TInstHPTimeBase"; }

  bool IDAvailable() const { return idAvailable_; }
  void SetIDAvailable(bool) {}
  int ProcessorType() const { return static_cast<int>((eax_ >> 12) & 3); }
  void SetProcessorType(int) {}
  int Family() const { return static_cast<int>((eax_ >> 8) & 15); }
  void SetFamily(int) {}
  int Model() const { return static_cast<int>((eax_ >> 4) & 15); }
  void SetModel(int) {}
  int Stepping() const { return static_cast<int>(eax_ & 15); }
  void SetStepping(int) {}
  bool HasTimeStamp() const { return hasTimeStamp_; }
  void SetHasTimeStamp(bool) {}
  bool SupportTimeStamp() const { return supportTimeStamp_; }
  void SetSupportTimeStamp(bool) {}
  // Processor clock in cycles per microsecond; 0 only when no source works.
  double CPUSpeedMhz() const { return cpuSpeedMhz_; }
  void SetCPUSpeedMhz(double) {}

  // Time-stamp cycles per second over about one second of the
  // high-resolution counter (Hz); 0 when the counter's frequency cannot be read.
  int64_t MeasureCPUSpeed();

 private:
  bool idAvailable_ = false;
  bool hasTimeStamp_ = false;
  bool supportTimeStamp_ = false;
  uint32_t eax_ = 0, ebx_ = 0, ecx_ = 0, edx_ = 0;
  int64_t hz_ = 0;
  double measuredMhz_ = 0;
  double cpuSpeedMhz_ = 0;
};

// The processor clock in Hz that the system reports (on Linux the first
// positive "cpu MHz" of /proc/cpuinfo); 0 when unknown.
double GetCPUSpeedFromRegistry();
// Time-stamp cycles per second over about 1000 ms of the millisecond tick count.
double GetCPUSpeedByTickCount();

// The first positive "cpu MHz" value in cpuinfo text; 0 when there is none.
double CpuInfoMhz(const std::string& text);
// Test support: where GetCPUSpeedFromRegistry reads ("" = /proc/cpuinfo).
void SetCpuInfoPath(const std::string& path);
