#pragma once
// TMainHost: the main window as the windows it opens see it. The bus routines
// (refused while the bus is busy, see BusBusy), the status line, and
// the few things of the MDI frame a child window uses. The main window
// implements it and is MainHost while it exists; the windows read MainHost
// each time they need it and keep no copy, so none can outlive the frame.
// Without a main window (a window's own tests) MainHost is null, and the
// windows do without: no bus, no status line.

#include <cstdint>
#include <string>

#include "app/bus/I2CBus.h"

class TCustomForm;
class TOpenDialog;
class TSaveDialog;

// Returned by a bus routine called while the bus is busy: the operation is
// refused, nothing reaches the port, and the code leaves the status line as it is.
constexpr I2CStatus I2CRefused = 253;

class TMainHost {
 public:
  // --- Bus routines ---
  virtual I2CStatus I2CStart() = 0;
  virtual I2CStatus I2CStop() = 0;
  virtual uint8_t I2CWrite(uint8_t Data) = 0;
  virtual uint8_t I2CRead(uint8_t Last, uint8_t& Ack) = 0;
  // Busy wait of Count microseconds by the bus's time base.
  virtual void uSeconds(int32_t Count) = 0;
  // The trigger output and the general input line of the adapter.
  virtual void Trigger(bool Value) = 0;
  virtual void PulseLow() = 0;
  virtual void PulseHigh() = 0;
  virtual bool InputState() = 0;
  // True while the bus may not be used: a run that has the bus lets other
  // handlers run (HoldBus). The warning flash does not make it busy.
  virtual bool BusBusy() const = 0;
  // Every bus operation of a window asks this before it starts: true when it
  // must not start. While a run holds the bus the line says so.
  virtual bool BusRefused() = 0;
  // A run that has the bus marks the stretches in which it processes window
  // messages (its delays), so no other window's transaction lands inside it.
  // Nested holds count.
  virtual void HoldBus(bool Held) = 0;

  // --- Status line ---
  // The text and colours of a bus result (0: success).
  virtual void ErrorMessage(I2CStatus Code) = 0;
  // Flashes the line red with a beep; the text stays.
  virtual void Warning() = 0;
  // Empties the line, black on the button face.
  virtual void ResetWarning() = 0;
  // The line's text alone; its colours stay.
  virtual void SetStatusText(const std::string& Text) = 0;
  // A progress text, black on yellow, painted at once (a bus run takes no messages).
  virtual void StatusProgress(const std::string& Text) = 0;
  // A fault's text, white on red, without the flash.
  virtual void StatusFault(const std::string& Text) = 0;
  // Repaints the status bar.
  virtual void InvalidateStatusBar() = 0;
  // A message for the user where no box may be shown now (see TfrmMain::Notice).
  virtual void Notice(const std::string& Text) = 0;

  // --- The MDI frame ---
  virtual int MDIChildCount() const = 0;
  // The active child first, then by stacking order.
  virtual TCustomForm* MDIChildren(int Index) const = 0;
  // Closes every child, from the last to the first, each asking its own question; true when
  // none stayed open (Close All, Exit).
  virtual bool CloseMDIChildren() = 0;
  // The file dialogs the windows share, so each opens where the last one left.
  virtual TOpenDialog* OpenDialog() = 0;
  virtual TSaveDialog* SaveDialog() = 0;
  // The frame's place on the screen, for tool windows placed over it.
  virtual int Left() const = 0;
  virtual int Top() const = 0;
  // Closes the frame, which ends the program.
  virtual void Close() = 0;

 protected:
  TMainHost() = default;
  ~TMainHost() = default;
  TMainHost(const TMainHost&) = delete;
  TMainHost& operator=(const TMainHost&) = delete;
};

// The main window while it exists, else null.
inline TMainHost* MainHost = nullptr;
