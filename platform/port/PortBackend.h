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
  // After a failed Open: what the user can do about it, one or two sentences;
  // empty when there is nothing to add to LastError().
  virtual std::string Advice() const { return {}; }

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

struct TPortConfig;
class TPpdevSystem;
class TDirectIOSystem;

// Which backend runs, as the settings name it.
enum class TPortBackendKind { Auto, Ppdev, Direct, Simulated };

// "auto", "ppdev", "direct", "simulated" (case-insensitive); false when unknown.
bool ParsePortBackendKind(const std::string& text, TPortBackendKind& kind);
std::string PortBackendKindName(TPortBackendKind kind);

// The backend a new port driver opens: the installed one when a test has
// installed one, else the one the settings choose (see docs/simulated-adapter.md).
// "Auto" opens ppdev; only when the machine has no parallel port at all does the
// simulated adapter run instead. A port that exists but cannot be opened or
// claimed is never replaced by the simulation: the backend returned is then the
// closed ppdev backend, whose LastError() and Advice() say why and what to do.
// Never returns null; the backend returned is open when it could be.
struct TOpenedBackend {
  TPortBackend* Backend = nullptr;              // what to use
  std::unique_ptr<TPortBackend> Owned;          // set when the caller owns it
  std::string Notes;                            // problems found in the port settings file
  // Set when the simulated adapter runs in place of a parallel port: why
  // ("no parallel port on this machine").
  std::string SimulatedReason;
};
TOpenedBackend OpenPortBackend();
// The choice itself, over the given system calls (tests pass fakes).
TOpenedBackend OpenConfiguredBackend(const TPortConfig& config, TPpdevSystem& ppdev, TDirectIOSystem& direct);

// The simulated reasons the choice gives.
extern const char* const kNoPortReason;  // "no parallel port on this machine"
extern const char* const kChosenReason;  // the port settings file asks for the simulation
extern const char* const kTestRunReason;

// Test support: a backend that every later OpenPortBackend returns instead of
// the configured one (not owned). It stands for the machine's hardware unless a
// simulated reason is given. nullptr removes it.
// configNotes: what OpenPortBackend reports as the settings file's problems with it.
void InstallPortBackend(TPortBackend* backend, const std::string& simulatedReason = std::string(),
                        const std::string& configNotes = std::string());
TPortBackend* InstalledPortBackend();

class TPortBackendScope {
 public:
  explicit TPortBackendScope(TPortBackend& b, const std::string& simulatedReason = std::string()) {
    InstallPortBackend(&b, simulatedReason);
  }
  ~TPortBackendScope() { InstallPortBackend(nullptr); }
  TPortBackendScope(const TPortBackendScope&) = delete;
  TPortBackendScope& operator=(const TPortBackendScope&) = delete;
};
