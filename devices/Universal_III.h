#pragma once
// TfrmMessage: the expert window. A table of I2C messages, one per grid row
// (address, direction, tokens, stop flag, delay, note), sent one, all, along
// the sequence or along it over and over; kept in the expert mode data file;
// edited in the message editor and the sequence editor. The window also drives
// the adapter's trigger output and reads its input pin.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "devices/BusRun.h"
#include "devices/ExpertMessage.h"
#include "platform/gui/Buttons.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Menus.h"
#include "platform/gui/StdCtrls.h"

class TExtStringGrid;
class TfrmEditor;

// Grid columns.
enum TExpertColumn { ecNumber, ecStart, ecAddress, ecRW, ecData, ecStop, ecDelay, ecNotes };

// Unit state of the expert window.
namespace Universal_III {
extern bool Modified;                         // the table changed since created, opened or saved
extern std::array<std::string, 6> RowClipboard;  // columns 2 to 7 of the row last copied
}  // namespace Universal_III

// Shown on the status line when a sequence has an entry that is not a number.
inline constexpr const char* ExpertInvalidSequence = "  Invalid sequence...transmission aborted";
inline constexpr const char* ExpertInvalidFile = "  Invalid Data File";

class TfrmMessage : public TForm {
 public:
  explicit TfrmMessage(TComponent* AOwner);
  ~TfrmMessage() override;
  std::string ClassName() const override { return "TfrmMessage"; }

  // --- Components (as the window's layout names them) ---
  TMainMenu* mnuMain = nullptr;
  TMenuItem *mnuFile = nullptr, *mnuNew = nullptr, *mnuOpen = nullptr, *mnuSave = nullptr, *mnuClose = nullptr,
            *mnuCloseAll = nullptr, *mnuExit = nullptr;
  TMenuItem *mnuEdit = nullptr, *mnuAddRow = nullptr, *mnuDeleteRow = nullptr, *mnuClear = nullptr,
            *mnuCopy = nullptr, *mnuPaste = nullptr, *mnuCompact = nullptr;
  TPanel* pnlTools = nullptr;
  TSpeedButton *btnNew = nullptr, *btnOpen = nullptr, *btnSave = nullptr, *btnClose = nullptr;
  TSpeedButton *btnAddRow = nullptr, *btnDeleteRow = nullptr, *btnClear = nullptr, *btnCopy = nullptr,
               *btnPaste = nullptr, *btnCompress = nullptr;
  TSpeedButton *btnT0High = nullptr, *btnT0Low = nullptr;
  TExtStringGrid* grdData = nullptr;
  TPanel* pnlControls = nullptr;
  TButton *btnSendOne = nullptr, *btnSendAll = nullptr, *btnSequence = nullptr, *btnSendContinuous = nullptr;
  TEdit *edtRow = nullptr, *edtSequence = nullptr;
  TLabel* lblSending = nullptr;
  TLabel *lblTrigger = nullptr, *lblTriggerOut = nullptr;
  TButton *btnRead = nullptr, *btnTriggerHigh = nullptr, *btnTriggerLow = nullptr;
  TOpenDialog* opnDialog = nullptr;
  TSaveDialog* savDialog = nullptr;

  // The message editor, created on first use and freed with the window.
  TfrmEditor* Editor() const { return editor_; }

  // --- Rows ---
  TExpertRow RowFields(int Row) const;
  void SetRowFields(int Row, const TExpertRow& Fields);
  void Renumber();
  void ResetTable();

  // --- Sending ---
  // A write row; shows its result and returns the status (I2CRefused when the
  // row does not convert: nothing is sent and the fault is on the status line).
  uint8_t SendMessage(int Row);
  // A read row: the bytes read replace the byte places of its Data cell.
  uint8_t ReceiveMessage(int Row);
  void Disable();
  void Enable();
  // True (with a beep) while rows are being sent: the table may not change under the run.
  bool TableRefused();
  // True while a send, a sequence or a continuous run is going.
  bool Busy() const { return run_.Busy(); }
  bool Running() const { return continuous_; }

  // --- Files ---
  // Saves through the save dialog; false when cancelled or failed (the old file stays).
  bool SaveAs();
  // Loads a file; false (with the fault on the status line) when it was refused.
  bool LoadFile(const std::string& FileName);
  // Asks "Save changes?" when modified; false when the command must stop.
  bool QuerySave(bool WithCancel = true);

  // --- Handlers ---
  void FormCreate(TObject* Sender);
  void FormResize(TObject* Sender);
  void FormClose(TObject* Sender, TCloseAction& Action);
  void FormCloseQuery(TObject* Sender, bool& CanClose);
  void FormDestroy(TObject* Sender);
  void btnNewClick(TObject* Sender);
  void mnuOpenClick(TObject* Sender);
  void mnuSaveClick(TObject* Sender);
  void mnuCloseClick(TObject* Sender);
  void mnuCloseAllClick(TObject* Sender);
  void mnuExitClick(TObject* Sender);
  void btnAddRowClick(TObject* Sender);
  void btnDeleteRowClick(TObject* Sender);
  void mnuClearClick(TObject* Sender);
  void btnCopyClick(TObject* Sender);
  void btnPasteClick(TObject* Sender);
  void btnCompressClick(TObject* Sender);
  void grdDataClick(TObject* Sender);
  void grdDataDblClick(TObject* Sender);
  void grdDataKeyDown(TObject* Sender, WORD& Key, TShiftState Shift);
  void edtSequenceDblClick(TObject* Sender);
  void btnT0HighClick(TObject* Sender);
  void btnT0LowClick(TObject* Sender);
  void btnReadClick(TObject* Sender);
  void btnSendOneClick(TObject* Sender);
  void btnSendAllClick(TObject* Sender);
  void btnSequenceClick(TObject* Sender);
  void btnSendContinuousClick(TObject* Sender);
  void ContinuousSequence();

  // The least width of the Data column.
  static constexpr int MinDataWidth = 60;

 private:
  void BuildMenu();
  void BuildTools();
  void BuildGrid();
  void BuildControls();
  void ShowEditor();
  bool CheckRows(const std::vector<int>& Rows, std::vector<TExpertMessage>& Messages);
  // Direction, when given, overrides the row's R/W cell.
  bool Prepare(int Row, TExpertMessage& Message, const char* Direction = nullptr);
  uint8_t SendRow(int Row, const char* Direction);
  uint8_t Transfer(int Row, const TExpertMessage& Message);
  // One pass of Send All (Sequence false) or of Send Sequence; false when it ended on a fault.
  bool Pass(bool Sequence);
  bool SequenceRows(std::vector<int>& Rows);
  // A close, the end of the program, or (in a continuous run) its button clicked again.
  bool Ending() const;
  // A close or the end of the program.
  bool Closing() const;
  // A row's delay; false when a close ended it, with a held bus's stop sent.
  bool Delay(uint64_t Milliseconds);
  // Sends the stop of a message that left the bus held.
  void EndHeldMessage();
  void SetTriggerOut(bool High);
  // Runs a send under the window's busy flag; nothing when another is going.
  void RunOnce(const std::function<void()>& Body);
  // Send Message on Row (the row current at the click).
  void SendOne(int Row);
  // True when a click on the window's own buttons came in a row's delay: it waits for the
  // moment the run takes messages again (its round, or its end).
  bool Waits(std::function<void()> Click);
  void TakeWaiting();
  void ShowFault(const std::string& Text);
  void SetSending(const std::string& Text);
  bool SaveTo(const std::string& FileName);
  // Releases the window now, or after the running loop has returned.
  void ReleaseWhenIdle();

  TfrmEditor* editor_ = nullptr;
  TRunFlag run_;
  bool continuous_ = false;
  bool closing_ = false;     // a close came during a run: released once the run has ended
  bool released_ = false;
  bool busHeld_ = false;     // the last message ended without a stop
  bool sending_ = false;     // rows are on the bus or a pass is going: the table stays as it is
  bool round_ = false;       // a continuous run takes messages between its passes: sends are live
  bool roundHolds_ = false;  // and holds the bus meanwhile, its last message having no stop
  bool delaying_ = false;    // a run is in a row's delay
  std::vector<std::function<void()>> waiting_;  // clicks of the own buttons made in a delay
  // Sets a flag for a scope and gives it back its value on every path.
  struct TFlagScope {
    bool& flag;
    bool was;
    TFlagScope(bool& f, bool v) : flag(f), was(f) { flag = v; }
    ~TFlagScope() { flag = was; }
  };
};

extern TfrmMessage* frmMessage;

// The Device menu's "Expert": creates the window when there is none, then shows it.
void ShowExpertWindow();
