#pragma once
// What the spin, bits and slider tool windows share: the register they are
// bound to (kept in the caption, "0x" and two hex digits), the register-name
// label, the automatic-write switch and the write of one register.

#include <cstdint>
#include <optional>
#include <string>

#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"

class TInstCheckLed;
class TfrmLongI2C;

class TRegisterToolForm : public TForm {
 public:
  TRegisterToolForm(TComponent* AOwner, const std::string& Name);
  ~TRegisterToolForm() override;

  TInstCheckLed* AutoSwitch() const { return switch_; }
  // The register index read back from the caption.
  int Reg() const;
  // Called after construction: binds the window to the active register and shows it.
  void Open(int Register, uint8_t Value);
  // Shows the register's description in the window's name label.
  virtual void SetRegisterName(const std::string& Description) = 0;

  // The value of a register's cell, if it holds a byte.
  static std::optional<uint8_t> CellValue(int Register);
  // A value change from the window's control: the cell, and the bus when the switch is on.
  void ValueChanged(uint8_t Value);
  // One register write with the address field as the device window checks it.
  uint8_t I2CWrite(uint8_t Reg, uint8_t Value);
  void UpdateSwitchCaption();

 protected:
  TInstCheckLed* MakeSwitch(const std::string& Name, const std::string& Hint, int X, int Y);
  // The sunken name bar along the bottom edge.
  class TPanel* MakeNameBar();
  virtual void ShowValue(uint8_t Value) = 0;
  // Drawn again each time the window is activated (the slider's LED bar).
  virtual void Redraw() {}
  // Handlers of the controls are off while the window shows the cell's value.
  bool Showing() const { return showing_; }
  void FormActivate(TObject* Sender);

 private:
  void MoveGridTo(int Register);
  void PlaceOverFrame();
  TInstCheckLed* switch_ = nullptr;
  bool showing_ = false;
};

// The active register a new tool window is for, with its value and
// description; false (after a message) when none may open for it.
bool RegisterToolTarget(int& Register, uint8_t& Value, std::string& Description);

// Opens a new tool window of the kind for the active register; Global names the newest.
template <class T>
void OpenRegisterTool(T*& Global) {
  int reg = 0;
  uint8_t value = 0;
  std::string description;
  if (!RegisterToolTarget(reg, value, description)) return;
  Global = new T(Application);
  Global->SetRegisterName(description);
  Global->Open(reg, value);
}
