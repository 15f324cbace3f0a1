#pragma once
// The one interface through which the port-access component reaches parallel
// ports: a simulated adapter, the kernel's ppdev driver or direct port I/O.

#include <array>
#include <cstdint>
#include <memory>
#include <string>

// Registers of a parallel port, as offsets from its I/O base.
enum TPortRegister { prData = 0, prStatus = 1, prControl = 2 };

constexpr int kLptCount = 3;
using TLptBases = std::array<uint16_t, kLptCount>;  // LPT1..LPT3, 0 = no port

class TPortBackend {
 public:
  virtual ~TPortBackend() = default;

  // Shown to the user (port panel hint, About box), e.g. "Simulated adapter".
  virtual std::string Name() const = 0;
  // Claims the ports; true when at least one of them can be reached.
  virtual bool Open() = 0;
  virtual void Close() = 0;
  virtual bool IsOpen() const = 0;
  // The system's text of the last failure to open or switch mode; empty when none.
  virtual std::string LastError() const { return {}; }

  // I/O bases of LPT1..LPT3 as the machine reports them.
  virtual TLptBases Bases() const = 0;

  // lpt is 0..2 and names a port whose base is not 0.
  virtual uint8_t Read(int lpt, TPortRegister reg) = 0;
  virtual void Write(int lpt, TPortRegister reg, uint8_t value) = 0;

  // True: every access through the driver ("Slow"); false: direct access
  // ("Normal"). Returns false when the mode cannot be had; the backend then
  // stays in the mode it was in.
  virtual bool SetHardAccess(bool hard) = 0;
  virtual bool HardAccess() const = 0;
};

// Which backend runs, as the settings name it.
enum class TPortBackendKind { Auto, Ppdev, Direct, Simulated };

// "auto", "ppdev", "direct", "simulated" (case-insensitive); false when unknown.
bool ParsePortBackendKind(const std::string& text, TPortBackendKind& kind);
std::string PortBackendKindName(TPortBackendKind kind);

// The backend a new port driver opens: the installed one when a test has
// installed one, else the one the settings choose (see docs/simulated-adapter.md).
// "Auto" opens ppdev when a /dev/parport* can be claimed and falls back to the
// simulated adapter; the reason ppdev could not be used is kept in
// fallbackError. Never returns null; the backend returned is open when it could be.
struct TOpenedBackend {
  TPortBackend* Backend = nullptr;              // what to use
  std::unique_ptr<TPortBackend> Owned;          // set when the caller owns it
  std::string FallbackError;                    // why the configured hardware was not used
};
TOpenedBackend OpenPortBackend();

// Test support: a backend that every later OpenPortBackend returns instead of
// the configured one (not owned). nullptr removes it.
void InstallPortBackend(TPortBackend* backend);
TPortBackend* InstalledPortBackend();

class TPortBackendScope {
 public:
  explicit TPortBackendScope(TPortBackend& b) { InstallPortBackend(&b); }
  ~TPortBackendScope() { InstallPortBackend(nullptr); }
  TPortBackendScope(const TPortBackendScope&) = delete;
  TPortBackendScope& operator=(const TPortBackendScope&) = delete;
};
