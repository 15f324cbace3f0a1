#pragma once
// TPortIO: the port-access component. The only way the program reaches the
// parallel ports. Reads of an inactive component give 0xFF and its writes are
// dropped, so the bus routines fail with a status code instead of hanging.
// An address that is not a register of one of the three known ports is never
// touched either (port 0 included).

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/port/PortBackend.h"
#include "platform/rtl/Classes.h"

// What reaches the port, for the user (port panel, About box).
enum TPortAccessKind {
  pakNone,       // no port access: the driver is not running
  pakHardware,   // a parallel port of this machine
  pakSimulated,  // the simulated adapter, in place of a port
};

struct TPortAccess {
  TPortAccessKind Kind = pakNone;
  // One line: "Simulated adapter: no parallel port on this machine",
  // "Parallel port: ppdev /dev/parport0 (exclusive claim)",
  // "No port access: /dev/parport0: Permission denied".
  std::string Text;
};

class TPortIO : public TComponent {
 public:
  explicit TPortIO(TComponent* AOwner);
  ~TPortIO() override;
  std::string ClassName() const override { return "TPortIO"; }

  // Opens the backend the settings choose (or the one a test installed).
  // Sets HardAccess to True first. Returns ActiveHW.
  bool OpenDriver(const std::string& EntryName);
  void CloseDriver();

  uint8_t GetPortByte(uint16_t Port);
  void SetPortByte(uint16_t Port, uint8_t Value);

  // Readable bytes standing for physical memory: the BIOS table at 0x408
  // holds the three LPT base addresses as 16-bit little-endian words (0 = no
  // port); any other byte reads 0. Valid until the next call or destruction.
  // nullptr only for a size of 0 or above 64 KB.
  const uint8_t* MapPhysToLinear(uint32_t PhysAddr, uint32_t Size);

  bool ActiveHW() const { return active_; }

  // True = every access through the driver ("Slow"), False = direct ("Normal").
  // Before the driver is open the value is only stored. When the backend
  // cannot give direct access, HardAccess stays True.
  bool HardAccess() const { return hardAccess_; }
  void SetHardAccess(bool Value);

  // 1..3: the port that the pin operations address; other values are ignored.
  uint8_t LPTNumber() const { return lptNumber_; }
  void SetLPTNumber(uint8_t Value);

  // DB-25 pin levels on the port of LPTNumber: pins 2-9 data bits 0-7;
  // 1, 14, 16, 17 control bits 0-3 (1, 14, 17 inverted by the port);
  // 10, 11 (inverted), 12, 13, 15 status bits 6, 7, 5, 4, 3. Ground pins read
  // False; input pins ignore SetPin.
  bool GetPin(uint8_t Pin);
  void SetPin(uint8_t Pin, bool Value);

  TNotifyEvent OnHwInterrupt;  // offered; never fired by this system
  TNotifyEvent OnKeystroke;

  // Which backend runs ("Simulated adapter", "ppdev /dev/parport0", ...); empty
  // before the driver is opened.
  std::string BackendName() const;
  // The last system error of opening ports or switching the access mode
  // ("/dev/parport0: Permission denied") and any problem of the port settings
  // file; empty when none.
  std::string LastSystemError() const;
  // The port settings file's problems found when the driver was opened ("" when none).
  const std::string& ConfigNotes() const { return notes_; }
  // When the driver could not be opened: what the user can do about it; else empty.
  std::string Advice() const;
  // Which access runs, with a line for the user.
  TPortAccess PortAccess() const;
  // The simulated adapter runs in place of a parallel port; SimulatedReason says why.
  bool Simulated() const { return !simulatedReason_.empty(); }
  const std::string& SimulatedReason() const { return simulatedReason_; }
  // The backend in use, nullptr while closed.
  TPortBackend* Backend() const { return backend_; }

 private:
  bool Locate(uint16_t port, int& lpt, TPortRegister& reg) const;
  int SelectedPort() const;

  TPortBackend* backend_ = nullptr;
  std::unique_ptr<TPortBackend> owned_;
  std::string notes_;  // problems of the port settings file
  std::string simulatedReason_;
  std::string backendName_;
  std::string closedError_;  // what the backend said before it was closed
  bool active_ = false;
  bool hardAccess_ = true;
  uint8_t lptNumber_ = 1;
  std::vector<uint8_t> mapped_;
};
