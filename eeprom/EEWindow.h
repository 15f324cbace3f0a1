#pragma once
// What the two EEPROM programmer windows share: the hex and ASCII grids, the
// device setup bar with its buttons and address fields, the key rules of the
// grids, the busy state, the grid-only operations and the window commands.
// TfrmEEPROM (Eeprom.h) and TfrmSmallEE (SmallEE.h) give the differences:
// the names of their fields, the number of address digits and how they read
// hexadecimal text.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "controls/grid/ExtGrid.h"
#include "controls/inspector/InspectorBar.h"
#include "eeprom/EEButtons.h"
#include "eeprom/EEFiles.h"
#include "eeprom/EEImage.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Menus.h"
#include "platform/gui/StdCtrls.h"

// Rows of the "Device Setup" panel.
enum TEESetupRow { esDeviceSize = 0, esAddress = 1, esPageSize = 2, esWriteTime = 3 };

// A character typed into the ASCII grid rewrites the byte only when it is printable:
// 32 to 126, or 128 to 255 as a Windows-1252 character.
bool EEPrintableKey(char Key);

class TEEWindow : public TForm {
 public:
  TEEWindow(TComponent* AOwner, bool Large);
  ~TEEWindow() override;

  bool Large() const { return large_; }

  // --- Components (the shared names of both windows) ---
  // The setup bar scrolls in its own box when the window is too short for it.
  TScrollBox* sbxSetup = nullptr;
  TInspectorBar* InspectorBar = nullptr;
  TExtStringGrid* stgMemory = nullptr;
  TSplitter* Splitter1 = nullptr;
  TExtStringGrid* stgText = nullptr;
  TPanel* pnlControls = nullptr;  // the buttons and fields, on the inspector bar below its panel
  TLabel* lblWordAddress1 = nullptr;
  TLabel* lblWordAddress = nullptr;
  TInstDemoButton *btnReadOne = nullptr, *btnRead = nullptr, *btnWriteOne = nullptr, *btnWrite = nullptr,
                  *btnVerify = nullptr, *btnFill = nullptr, *btnCopy = nullptr;
  TMenuItem *mnuFileMenu = nullptr, *mnuOpen = nullptr, *mnuSaveAs = nullptr, *mnuClose = nullptr,
            *mnuCloseAll = nullptr, *mnuExit = nullptr;
  TMenuItem *mnuEditMenu = nullptr, *mnuGoto = nullptr, *mnuCheckerboard = nullptr, *mnuInvCheckerboard = nullptr;
  TMainMenu* WindowMenu = nullptr;

  // The fields by role (each window also names them as its layout does).
  TEdit *FillFrom = nullptr, *FillTo = nullptr, *FillWith = nullptr;
  TEdit *CopyStart = nullptr, *CopyEnd = nullptr, *TargetStart = nullptr, *TargetEnd = nullptr;

  // --- The image ---
  TInspectorItem* SetupItem(TEESetupRow Row) const;
  // The "Device Size" row as a number (0 when it is not one).
  int DeviceSize() const;
  int MaxAddress() const { return DeviceSize() - 1; }
  // Rows and cells for a device of Size bytes: labels, every byte "FF" and ".".
  // Fills both grids through their bulk paths (no repaint per cell).
  void SetUpGrids(int Size, bool SetColumnWidths);
  std::string HexCell(int Address) const;
  // Sets both cells of a byte.
  void SetByte(int Address, uint8_t Value);
  // Sets both cells of a byte from a hex cell text as it stands, the ASCII cell from Value.
  void SetByteText(int Address, const std::string& HexText, uint8_t Value);
  // Both grids of a whole image at once (bytes past the image keep their cells).
  void SetImage(const std::vector<uint8_t>& Image);

  // Hex text of a field or cell as the window reads it: the large window counts characters
  // that are no hex digit as 0, the small window raises the conversion error.
  virtual int HexValue(const std::string& Text) const = 0;
  // Least number of digits of the byte address label and the copy fields.
  int AddressDigits() const { return large_ ? 4 : 3; }

  // --- Busy state of a bus operation: hourglass, bus buttons inert (large: hex grid off).
  // Restored when the scope ends, whichever way it ends.
  class TBusyScope {
   public:
    explicit TBusyScope(TEEWindow& W);
    ~TBusyScope();
    TBusyScope(const TBusyScope&) = delete;
    TBusyScope& operator=(const TBusyScope&) = delete;

   private:
    TEEWindow& w_;
    TCursor cursor_;
  };
  bool Busy() const { return busy_ > 0; }

  TEEKind Kind() const { return large_ ? ekLarge : ekSmall; }
  // The settings an operation or a file uses, from the rows (checked as SettingCommitted does).
  TEESettings Settings();
  // The bytes of the hex grid, each cell read as this window reads it (the small window
  // raises the conversion error at the first bad cell, before anything happens).
  TEEBytes ImageOfCells() const;

  // --- Bus operations (each ends by handing its code to the main window's status line) ---
  void btnReadOneClick(TObject* Sender);
  void btnReadClick(TObject* Sender);
  void btnWriteOneClick(TObject* Sender);
  void btnWriteClick(TObject* Sender);
  void btnVerifyClick(TObject* Sender);
  // --- File commands ---
  void mnuOpenClick(TObject* Sender);
  void SaveAsClick(TObject* Sender);
  virtual TOpenDialog* OpenDialog() const = 0;
  virtual TSaveDialog* SaveDialog() const = 0;

  // --- Handlers ---
  void btnFillClick(TObject* Sender);
  void mnuCheckerboardClick(TObject* Sender);
  void mnuInvCheckerboardClick(TObject* Sender);
  void btnCopyClick(TObject* Sender);
  void CopyStartChange(TObject* Sender);
  void CopyEndChange(TObject* Sender);
  void TargetChange(TObject* Sender);
  void CopyStartExit(TObject* Sender);
  void CopyEndExit(TObject* Sender);
  void TargetExit(TObject* Sender);
  // The copy start, end and target start the target end is computed from, taken from the fields'
  // set-up texts before their change handlers are hooked; from then on each change sets its own.
  void TakeCopyFields();
  void mnuCloseClick(TObject* Sender);
  void mnuCloseAllClick(TObject* Sender);
  void mnuExitClick(TObject* Sender);
  void FormKeyPress(TObject* Sender, char& Key);
  void FormKeyDown(TObject* Sender, WORD& Key, TShiftState Shift);

  // The bus buttons' handlers (the busy state takes them away and gives them back).
  TNotifyEvent ReadOneClick, ReadClick, WriteOneClick, WriteClick;

  // A committed setting is checked by the window: a page size that is not one of the
  // list values or above the device, and a write time outside 1 to 65535 ms, are refused
  // with a message and the row keeps (or gets back) a good value.
  void SettingCommitted(TInspectorItem* Item);
  // The page size and write time an operation uses, checked as above.
  int PageSizeSetting();
  int WriteTimeSetting();
  // Commits the setup bar's open edit as leaving it does, so that a bus or file command uses
  // the values the bar shows. False when the window refused the value (it has said why).
  bool CommitSetupEdit();
  // Commits the grids' open cell edits as leaving the cell does, then the setup bar's: every bus
  // button and file command works on what the cells and the bar show. False when a value was
  // refused (the window has said why).
  bool CommitEdits();

  // Sets a field's text with its change handler suspended.
  static void SetQuiet(TEdit* Edit, const std::string& Text);

 protected:
  void Activate() override;
  void Resize() override;
  void DoClose(TCloseAction& Action) override;
  // The page sizes the "Page Size" row offers.
  virtual std::vector<int> PageSizes() const = 0;
  // Runs an operation inside the busy state; its exceptions reach the application after
  // the state has been restored.
  void RunBusy(const std::function<void()>& Operation);
  // The file dialogs' default extension follows the file type chosen in them.
  static void FollowFileType(TOpenDialog* Dialog);

 private:
  void BuildLayout();
  // Sizes the setup box, the bar in it and the hex grid to the window: no part covers another
  // at any size. The bar scrolls when it is taller than the window; the hex grid narrows
  // (keeping some of the ASCII grid) when the window is narrower than both grids.
  void FitLayout();
  // The height of the "Device Setup" panel's caption and rows.
  int SetupRowsHeight() const;
  void BuildSetupBar();
  void BuildControls();
  void BuildMenu();
  void WireGrids();
  void HexSelect(int ACol, int ARow);
  void TextSelect(int ACol, int ARow);
  void HexEditText(int ACol, int ARow, const std::string& Value);
  void HexValidate(int ACol, int ARow, std::string& Value, bool& Valid);
  void TextKeyPress(char& Key);
  void TextValidate(int ACol, int ARow, std::string& Value, bool& Valid);
  void HexKeyDown(WORD& Key);
  void SyncTop(TExtStringGrid* From, TExtStringGrid* To);
  bool InTextGrid() const;
  // The hex text of a byte before the running cell edit changed it, to undo on Escape.
  void RememberBeforeEdit(int Address);
  void UpdateTargetEnd();
  // A progress text on the main window's status line, black on yellow, painted at once.
  static void ShowProgress(const std::string& Text);
  void ApplyFileSettings(const TEEFileSettings& Settings);
  void Refuse(const std::string& Text);
  int FieldValue(TEdit* Edit) const { return HexValue(Edit->Text()); }

  bool large_;
  int busy_ = 0;
  bool syncingTop_ = false;
  bool fitting_ = false;
  int hexWidth_ = 0;  // the hex grid's width as designed or as the splitter last left it
  struct TPendingEdit {
    int Address = -1;
    std::string HexBefore;
  } pending_;
  int s_ = 0, e_ = 0, t_ = 0;  // copy start, end, target start as the fields last gave them
  std::string lastWriteTime_ = "50";
  int refusedSettings_ = 0;  // setting refusals so far, so a commit can tell it was refused
};

// Sets the "Address" row's choices and shows the first.
void SetAddressChoices(TInspectorItem* Item, const std::vector<std::string>& Addresses);
