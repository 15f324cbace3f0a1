#pragma once
// TfrmUniversal: the universal transmitter/receiver window. Five hand-made
// I2C messages, each a row of two-character cell boxes (the text model is in
// UniversText.h), sent one at a time or as a numbered sequence, once or over
// and over with a pause, through the main window's bus routines; the whole
// state kept in a data file (UniversFile.h). At most one such window.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "app/bus/I2CBus.h"
#include "controls/instrument/InstButtons.h"
#include "devices/BusRun.h"
#include "devices/UniversText.h"
#include "platform/gui/ComCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Menus.h"
#include "platform/gui/Spin.h"
#include "platform/gui/StdCtrls.h"

// Returned by a send that never reached the bus: the message did not convert,
// or the window was closing. Outside the status table, so the line keeps the
// fault the window wrote.
constexpr I2CStatus UniversNotSent = 252;

class TfrmUniversal : public TForm {
 public:
  explicit TfrmUniversal(TComponent* AOwner);
  ~TfrmUniversal() override;
  std::string ClassName() const override { return "TfrmUniversal"; }

  // --- One message group (N = 1 to 5) ---
  struct TGroup {
    TGroupBox* grbData = nullptr;
    TEdit* edtStart = nullptr;  // "S ", read-only
    TEdit* edtAdrs = nullptr;
    TEdit* edtRW = nullptr;
    std::array<TEdit*, Univers::CellBoxes> Cells{};  // Tag 0 to 22; the last shows the "P"
  };
  std::array<TGroup, Univers::MessageCount> Groups;
  TGroup& Group(int N) { return Groups.at(static_cast<size_t>(N - 1)); }

  TGroupBox* grbSend = nullptr;
  TButton* btnSend = nullptr;
  TGroupBox* grbSequencer = nullptr;
  TInstDemoButton *btnSingle = nullptr, *btnRepeat = nullptr, *btnStop = nullptr;
  TGauge* gauge = nullptr;
  TEdit* edtSequence = nullptr;
  TSpinEdit* spnDelay = nullptr;
  TLabel* lblDelay = nullptr;
  TMainMenu* mnuMain = nullptr;
  TMenuItem *mnuFile = nullptr, *mnuOpen = nullptr, *mnuSaveAs = nullptr, *mnuClose = nullptr,
            *mnuCloseAll = nullptr, *Exit = nullptr;

  // --- Unit state (the window exists once) ---
  std::array<std::string, Univers::MessageCount> Messages;
  int ActiveMessage = 1;
  std::vector<int> Sequence;
  int DelayMs = 0;        // extra wait after each message of a sequence: spin value - 1
  uint8_t Repeating = 0;  // 1 while Repeat runs; tested between passes
  bool SendOK = false;
  uint8_t AckStatus = 0;

  // --- Message model on the boxes ---
  void Data(int N);     // joins message N from its boxes
  void Refresh(int N);  // splits message N onto its boxes
  std::string Active();
  void Display(const std::string& Text);  // into the active message
  void Display(int N, const std::string& Text);

  // --- Sending ---
  // Sends message N whole; the status it ended with (UniversNotSent: nothing sent).
  I2CStatus SendMessage(int N);
  bool Running() const { return run_.Busy(); }

  // --- Handlers ---
  void FormCreate(TObject* Sender);
  void FormActivate(TObject* Sender);
  void FormDestroy(TObject* Sender);
  void FormCloseQuery(TObject* Sender, bool& CanClose);
  void FormClose(TObject* Sender, TCloseAction& Action);
  void FormKeyPress(TObject* Sender, char& Key);
  void edtChange(TObject* Sender);
  void edtExit(TObject* Sender);
  void edtKeyDown(TObject* Sender, WORD& Key, TShiftState Shift);
  void edtAdrsChange(TObject* Sender);
  void edtAdrsExit(TObject* Sender);
  void edtRWExit(TObject* Sender);
  void edtRWKeyDown(TObject* Sender, WORD& Key, TShiftState Shift);
  void grbDataEnter(int N);
  void btnSendClick(TObject* Sender);
  void btnSingleClick(TObject* Sender);
  void btnRepeatClick(TObject* Sender);
  void btnStopClick(TObject* Sender);
  void spnDelayChange(TObject* Sender);
  void edtSequenceKeyPress(TObject* Sender, char& Key);
  void mnuOpenClick(TObject* Sender);
  void mnuSaveAsClick(TObject* Sender);
  void mnuCloseClick(TObject* Sender);
  void mnuCloseAllClick(TObject* Sender);
  void ExitClick(TObject* Sender);

 private:
  void BuildLayout();
  void BuildMenu();
  TEdit* Box(TWinControl* Parent, const std::string& Name, int Left, int Width, const std::string& Text);
  int GroupOf(TObject* Box) const;
  void NormaliseBoxes(int N);
  void LoopDelay();
  bool Ending() const;
  std::string I2CReceive(class TBusTransfer& Bus, int Count, uint8_t& Ack);
  uint8_t I2CSend(class TBusTransfer& Bus, const std::vector<uint8_t>& Bytes);
  void StatusFault(const std::string& Text, bool Warn);
  bool CloseAllChildren();
  void EndRun();  // releases a window that was closed during the run

  TRunFlag run_;
  bool refreshing_ = false;      // change handlers stay quiet while Refresh fills the boxes
  bool closeAfterRun_ = false;   // closed during a run: released once the run has returned
  std::array<std::string, Univers::MessageCount> lastAddress_;  // the last good address box texts
};

extern TfrmUniversal* frmUniversal;

// The Device menu's "Universal Transmitter/Receiver": shows the window, made when there is none.
void ShowUniversalWindow();
