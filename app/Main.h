#pragma once
// TfrmMain: the program's MDI frame. It owns the port driver, the time base,
// the bus engine, the status line and the settings; the device windows reach
// what they use of it through TMainHost (MainHost.h), never through this header.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/bus/I2CBus.h"
#include "app/bus/MainHost.h"
#include "controls/markup/HTMLStatusBar.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Menus.h"
#include "platform/gui/StdCtrls.h"

class TInstHPTimeBase;
class TPortIO;
class TNetUpdate;
class TNetUpdateWizard;
class TfrmEEPROM;
class TfrmSmallEE;

// Where the settings live, under the current user.
inline constexpr const char* SettingsKey = "\\Software\\Dalmire\\Velmaron";
// The settings value with the address of the update control file (file://,
// http://, https:// or ftp://); without it the program has no update server.
inline constexpr const char* UpdateURLValue = "UpdateURL";

class TfrmMain : public TForm, public TMainHost {
 public:
  explicit TfrmMain(TComponent* AOwner);
  ~TfrmMain() override;
  std::string ClassName() const override { return "TfrmMain"; }

  // --- Components (as the window's layout names them) ---
  TMainMenu* MainMenu = nullptr;
  TMenuItem* mnuFile = nullptr;
  TMenuItem* Exit = nullptr;
  TMenuItem* mnuDevice = nullptr;
  TMenuItem* mnuEEPROM = nullptr;
  TMenuItem *mnu16B = nullptr, *mnu1K = nullptr, *mnu2K = nullptr, *mnu4K = nullptr, *mnu8K = nullptr,
            *mnu16K = nullptr;
  TMenuItem *mnu4Kx8 = nullptr, *mnu8Kx8 = nullptr, *mnu16Kx8 = nullptr, *mnu32Kx8 = nullptr, *mnu64Kx8 = nullptr;
  TMenuItem* mnuUniversalModes = nullptr;
  TMenuItem *mnuExpert = nullptr, *mnuUniversal = nullptr, *mnuCustom = nullptr;
  TMenuItem* mnuOptions = nullptr;
  TMenuItem* BitRate = nullptr;
  TMenuItem* mnuCalibrate = nullptr;
  TMenuItem *LPT1 = nullptr, *LPT2 = nullptr, *LPT3 = nullptr;
  TMenuItem* mnuFastAccess = nullptr;
  TMenuItem* mnuNoAck = nullptr;
  TMenuItem* mnuUpdate = nullptr;
  TMenuItem* Window1 = nullptr;
  TMenuItem *WindowCascadeItem = nullptr, *WindowTileItem = nullptr, *WindowMinimizeItem = nullptr;
  TMenuItem* mnuAbout = nullptr;
  TMenuItem* AboutItem = nullptr;
  THTMLStatusBar* pnlStatusBar = nullptr;
  TLabel* pnlStatus = nullptr;  // the status line, over panel 0
  TLabel* lblMode = nullptr;    // the access mode, over panel 2
  TOpenDialog* opnDialog = nullptr;
  TSaveDialog* SavMemory = nullptr;
  TInstHPTimeBase* CPUID1 = nullptr;
  TPortIO* PortDriver = nullptr;
  TNetUpdate* NetUpdate = nullptr;
  TNetUpdateWizard* NetUpdateWizard = nullptr;

  // Open the quick-start window at start (settings value "ShowSplash").
  bool ShowSplash = false;

  // The bus engine with its unit state (port, timing, clock).
  TI2CBus& Bus() { return *bus_; }

  // --- Bus routines for the device windows ---
  I2CStatus I2CStart() override;
  I2CStatus I2CStop() override;
  uint8_t I2CWrite(uint8_t Data) override;
  uint8_t I2CRead(uint8_t Last, uint8_t& Ack) override;
  void uSeconds(int32_t Count) override;
  void Trigger(bool Value) override;
  void PulseLow() override;
  void PulseHigh() override;
  bool InputState() override;
  bool I2CDetect();
  bool BusBusy() const override { return busHolds_ > 0; }
  bool BusRefused() override;
  void HoldBus(bool Held) override;

  // --- Status line ---
  void ErrorMessage(I2CStatus Code) override;
  void Warning() override;
  void ResetWarning() override;
  void SetStatusText(const std::string& Text) override;
  void StatusProgress(const std::string& Text) override;
  void StatusFault(const std::string& Text) override;
  void InvalidateStatusBar() override;

  // --- The frame, as the windows see it ---
  int MDIChildCount() const override { return TForm::MDIChildCount(); }
  TCustomForm* MDIChildren(int Index) const override { return TForm::MDIChildren(Index); }
  bool CloseMDIChildren() override { return TForm::CloseMDIChildren(); }
  TOpenDialog* OpenDialog() override { return opnDialog; }
  TSaveDialog* SaveDialog() override { return SavMemory; }
  int Left() const override { return TForm::Left(); }
  int Top() const override { return TForm::Top(); }
  void Close() override { TForm::Close(); }

  // --- Start-up and settings ---
  void FormCreate(TObject* Sender);
  void FormDestroy(TObject* Sender);
  void LPTCheck();
  void GetRegistryData();
  // The settings were read at start (and are written back at the end).
  bool SettingsRead() const { return settingsRead_; }

  // --- Notices: messages for the user that arise where no box may be shown
  // (the settings store, the port at start). They appear in message boxes once
  // the window shows; those of the final save at its end.
  void Notice(const std::string& Text) override;
  void ShowNotices();
  const std::vector<std::string>& PendingNotices() const { return notices_; }

  // --- Handlers ---
  void ShowHint(TObject* Sender);
  void UpdateMenuItems(TObject* Sender);
  void ExitClick(TObject* Sender);
  void LPT1Click(TObject* Sender);
  void LPT2Click(TObject* Sender);
  void LPT3Click(TObject* Sender);
  void mnuFastAccessClick(TObject* Sender);
  void mnuCalibrateClick(TObject* Sender);
  void mnuNoAckClick(TObject* Sender);
  void mnuUpdateClick(TObject* Sender);
  void mnuExpertClick(TObject* Sender);
  void BitRateClick(TObject* Sender);      // app/Bitrate.cpp
  void AboutItemClick(TObject* Sender);    // app/About.cpp
  void mnuCustomClick(TObject* Sender);    // app/DeviceMenu.cpp
  void WindowCascadeItemClick(TObject* Sender);
  void WindowTileItemClick(TObject* Sender);
  void WindowMinimizeItemClick(TObject* Sender);

  // --- Device menu: EEPROM windows (app/DeviceMenu.cpp) ---
  void mnu16BClick(TObject* Sender);
  void mnu1KClick(TObject* Sender);
  void mnu2KClick(TObject* Sender);
  void mnu4KClick(TObject* Sender);
  void mnu8KClick(TObject* Sender);
  void mnu16KClick(TObject* Sender);
  void mnu4Kx8Click(TObject* Sender);
  void mnu8Kx8Click(TObject* Sender);
  void mnu16Kx8Click(TObject* Sender);
  void mnu32Kx8Click(TObject* Sender);
  void mnu64Kx8Click(TObject* Sender);
  // The common grid filling of a large window.
  void EEStart(TfrmEEPROM* Window);

 private:
  void DoShow() override;
  void Dispatch(TMessage& Message) override;
  void BuildMenu();
  void ConnectEEPROMItems();
  TfrmSmallEE* OpenSmallEE(int Size);
  TfrmEEPROM* OpenEEPROM(int Size);
  void ShowPortAccess();
  void PostNotices();
  void BuildStatusBar();
  void BuildUpdate();
  void ConnectBus();
  void SetStatus(const std::string& Text, TColor FontColor, TColor Back);
  void PlaceLabels();
  void FitPanels();
  bool Refuse();

  std::unique_ptr<TI2CBus> bus_;
  bool settingsRead_ = false;
  bool destroyed_ = false;
  bool flashing_ = false;
  int busHolds_ = 0;             // a run holds the bus while it processes messages
  bool pending_ = false;         // a status came in during the flash
  bool warningWaits_ = false;    // a warning came before the window was shown
  std::vector<std::string> notices_;
  I2CStatus pendingCode_ = 0;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

extern TfrmMain* frmMain;

// Waits 200 ms by the tick count, processing pending messages meanwhile.
void Pause();

// The status line's text and colours of a code; false for a code outside the table.
struct TStatusLook {
  std::string Text;
  TColor Font = clWhite;
  TColor Back = clRed;
  bool Warn = true;
};
bool StatusLookOf(I2CStatus Code, bool AdapterPresent, TStatusLook& Look);
