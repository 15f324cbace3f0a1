#pragma once
// The user-definable device window: a map of up to 256 one-byte registers in a
// 16-column hex grid, with a description per register, read and written over
// the bus one by one or all at once, and kept in definition files.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "devices/BusRun.h"
#include "devices/Longi2cFile.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Menus.h"
#include "platform/gui/StdCtrls.h"

class TExtStringGrid;
class TInstDemoButton;
class TPrintDialog;

// The device's state: one set per process, as the window exists at most once.
namespace Longi2c {
extern uint8_t DeviceAddress;
extern int ActiveRow, ActiveCol, ActiveRegister, MaxRegister;
extern std::array<std::string, DeviceRegisters> RegisterDescriptions;
extern std::string FileName;
extern bool Modified;
extern uint8_t AckStatus;
extern TRecentFiles RecentFiles;
}  // namespace Longi2c

class TfrmLongI2C : public TForm {
 public:
  explicit TfrmLongI2C(TComponent* AOwner);
  ~TfrmLongI2C() override;
  std::string ClassName() const override { return "TfrmLongI2C"; }

  // --- Components ---
  TGroupBox* grpAddress = nullptr;
  TEdit* edtAddress = nullptr;
  TInstDemoButton *btnWriteOne = nullptr, *btnReadOne = nullptr, *btnWrite = nullptr, *btnRead = nullptr;
  TCheckBox* chbOneAtATime = nullptr;
  TGroupBox* grpCreate = nullptr;
  TInstDemoButton *btnSlider = nullptr, *btnSpin = nullptr, *btnBits = nullptr;
  TLabel* lblDevice = nullptr;
  TLabel* lblRegister = nullptr;
  TExtStringGrid* stgMemory = nullptr;
  TMainMenu* MainMenu = nullptr;
  TMenuItem *mnuFile = nullptr, *mnuDefine = nullptr, *mnuLoad = nullptr, *mnuSave = nullptr, *mnuSaveAs = nullptr,
            *mnuSaveASCII = nullptr, *mnuPrint = nullptr, *mnuClose = nullptr, *mnuCloseAll = nullptr,
            *mnuExit = nullptr, *MRUDiv = nullptr;
  std::array<TMenuItem*, RecentFilesMax> mru{};
  TMenuItem *mnuEdit = nullptr, *mnuEditCurrentDevice = nullptr, *mnuEditCurrentCell = nullptr, *ResetGrid = nullptr;
  TOpenDialog* opnDialog = nullptr;
  TSaveDialog* SaveAsDialog = nullptr;
  TPrintDialog* PrintDialog = nullptr;

  // --- Register cells ---
  static int ColOf(int Register) { return Register % 16 + 1; }
  static int RowOf(int Register) { return Register / 16 + 1; }
  std::string RegisterText(int Register) const;
  void SetRegisterText(int Register, const std::string& Text);
  // Row count and cell colours for the register count (defined cells banded, the rest blue).
  void ShowRegisterCount(TColor Even, TColor Odd);
  // The device as a file holds it (address, count, name, values, descriptions).
  TDeviceDefinition Definition() const;
  std::string DeviceName() const;
  void SetDeviceName(const std::string& Name);

  // --- Handlers ---
  void FormCreate(TObject* Sender);
  void FormActivate(TObject* Sender);
  void FormKeyPress(TObject* Sender, char& Key);
  void stgMemoryClick(TObject* Sender);
  void stgMemoryGetEditMask(TObject* Sender, int ACol, int ARow, std::string& Value);
  void stgMemoryKeyDown(TObject* Sender, WORD& Key, TShiftState Shift);
  bool CheckAddress();
  void edtAddressChange(TObject* Sender);
  void edtAddressExit(TObject* Sender);
  void btnWriteOneClick(TObject* Sender);
  void btnReadOneClick(TObject* Sender);
  void btnReadClick(TObject* Sender);
  void btnWriteClick(TObject* Sender);
  void ReadAllBytes();
  void ReadOneByteAtATime();
  void WriteAllBytes();
  void WriteOneByteAtATime();
  void mnuCloseClick(TObject* Sender);
  void mnuCloseAllClick(TObject* Sender);
  void mnuExitClick(TObject* Sender);
  void FormCloseQuery(TObject* Sender, bool& CanClose);
  void FormClose(TObject* Sender, TCloseAction& Action);
  void FormDestroy(TObject* Sender);

  // Files (Longi2cFiles.cpp).
  void mnuLoadClick(TObject* Sender);
  void mru1Click(int Index);
  bool mnuSaveClick(TObject* Sender);
  bool mnuSaveAsClick(TObject* Sender);
  void mnuSaveASCIIClick(TObject* Sender);
  void mnuPrintClick(TObject* Sender);
  void ResetGridClick(TObject* Sender);
  void LoadMRU();
  void DisplayMRU();
  void UpdateMRU(const std::string& Name);
  void WriteMRU();

  // Dialogs (Definition.cpp, editcell.cpp) and tool windows (Bits.cpp, Slider.cpp, Spinner.cpp).
  void mnuDefineClick(TObject* Sender);
  void mnuEditCurrentDeviceClick(TObject* Sender);
  void mnuEditCurrentCellClick(TObject* Sender);
  void frmSpinClick(TObject* Sender);
  void mnuBitWiseClick(TObject* Sender);
  void CreatefrmSliderClick(TObject* Sender);
  // Enables or disables the "&File" and "Edit" menus (an edit dialog is open).
  void SetFileMenusEnabled(bool Enabled);

  // Moves the grid's current cell to a register's cell (the grid reports it as a click).
  void MoveCurrentCell(int Register);
  // The grid's window and a register cell's rectangle in it (tests click cells).
  TWinControl* GridWindow() const;
  TRect RegisterCellRect(int Register) const;
  // The window control of one of its push buttons (tests click them).
  static TWinControl* ButtonControl(TInstDemoButton* Button);

  // The open tool windows, owned here: closed with this window.
  void AddToolWindow(TForm* Window);
  void RemoveToolWindow(TForm* Window);
  void ReleaseToolWindows();
  const std::vector<TForm*>& ToolWindows() const { return tools_; }
  // Each open tool window names its register as the device now describes it.
  void ShowToolNames();

  // True while a bus operation of this window or of one of its tool windows runs.
  bool Busy() const { return run_.Busy(); }
  // One register write (start, address, register, value, stop) for the tool windows;
  // refuses while busy (returns the refusal code, sends nothing).
  uint8_t WriteRegister(uint8_t Address, uint8_t Reg, uint8_t Value);

 private:
  void BuildLayout();
  void BuildMenus();
  void StartUp();
  void WriteRowLabels();
  void ApplyDefinition(const TDeviceDefinition& Def, TColor Even, TColor Odd);
  bool AskToSave(const std::string& Question);
  void OpenFile(const std::string& Name, bool Recent);
  void Refuse(const std::string& Text);
  void CloseDialogs();
  bool ValuesToWrite(bool SkipMarked, std::vector<int>& Values);
  uint8_t ReadSequence(int Register, bool& Stored);

  TRunFlag run_;
  bool addressChanging_ = false;
  bool closing_ = false;
  std::vector<TForm*> tools_;
};

extern TfrmLongI2C* frmLongI2C;

// A push button of the window (Longi2cButtons.cpp: the instrument controls' header
// and the grid's cannot meet in one source).
TInstDemoButton* MakeDeviceButton(TfrmLongI2C* Form, TWinControl* Parent, const std::string& Name,
                                  const std::string& Caption, const std::string& Hint, int X, int Y, int W,
                                  TNotifyEvent OnClick);

// The text shown for a refused edit of a register beyond the defined count.
inline constexpr const char* UndefinedCellText = "Cannot edit an undefined cell";
