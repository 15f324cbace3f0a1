#include "devices/Longi2c.h"

#include <algorithm>
#include <optional>

#include "app/bus/ByteText.h"
#include "app/bus/MainHost.h"
#include "devices/BusRun.h"
#include "devices/RegisterTool.h"
#include "controls/grid/ExtGrid.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/rtl/SysUtils.h"

TfrmLongI2C* frmLongI2C = nullptr;

namespace Longi2c {
uint8_t DeviceAddress = 0;
int ActiveRow = 1, ActiveCol = 1, ActiveRegister = 0, MaxRegister = 255;
std::array<std::string, DeviceRegisters> RegisterDescriptions;
std::string FileName;
bool Modified = false;
uint8_t AckStatus = 0;
TRecentFiles RecentFiles;
}  // namespace Longi2c

namespace {

constexpr const char* UndefinedRegister = "Undefined Register";
constexpr const char* DevicePrefix = "Device Name: ";

// The hourglass for the whole operation, the default cursor after it on every path.
class THourglass {
 public:
  THourglass() { Screen->SetCursor(crHourGlass); }
  ~THourglass() { Screen->SetCursor(crDefault); }
};


bool HexByte(const std::string& Text, uint8_t& Value) {
  if (Text.size() != 2 || !IsByteCellText(Text)) return false;
  Value = static_cast<uint8_t>(std::stoi(Text, nullptr, 16));
  return true;
}

}  // namespace

TfrmLongI2C::TfrmLongI2C(TComponent* AOwner) : TForm(AOwner) {
  BeginLoading();
  SetName("frmLongI2C");
  SetCaption("User Definable Device");
  SetBorderStyle(bsSingle);
  SetPosition(poScreenCenter);
  SetKeyPreview(true);
  Font()->SetName("Arial");
  Font()->SetHeight(-13);
  SetClientSize(578, 383);
  BuildLayout();
  BuildMenus();
  OnCreate = [this](TObject* s) { FormCreate(s); };
  OnActivate = [this](TObject* s) { FormActivate(s); };
  OnKeyPress = [this](TObject* s, char& k) { FormKeyPress(s, k); };
  OnCloseQuery = [this](TObject* s, bool& c) { FormCloseQuery(s, c); };
  OnClose = [this](TObject* s, TCloseAction& a) { FormClose(s, a); };
  OnDestroy = [this](TObject* s) { FormDestroy(s); };
  // Last: an MDI child shows (and so is created) as soon as it becomes one.
  SetFormStyle(fsMDIChild);
  EndLoading();
}

TfrmLongI2C::~TfrmLongI2C() {
  if (frmLongI2C == this) frmLongI2C = nullptr;
}

void TfrmLongI2C::BuildLayout() {
  auto* top = new TPanel(this);
  top->SetName("pnlControls");
  top->SetParent(this);
  top->SetAlign(alTop);
  top->SetHeight(100);
  top->SetBevelOuter(bvNone);
  top->SetCaption("");

  grpAddress = new TGroupBox(this);
  grpAddress->SetName("grpAddress");
  grpAddress->SetParent(top);
  grpAddress->SetBounds(8, 2, 100, 46);
  grpAddress->SetCaption("Address (hex)");
  edtAddress = new TEdit(this);
  edtAddress->SetName("edtAddress");
  edtAddress->SetParent(grpAddress);
  edtAddress->SetBounds(32, 18, 36, 21);
  edtAddress->SetMaxLength(2);
  edtAddress->SetCharCase(ecUpperCase);
  edtAddress->SetText("A0");
  edtAddress->SetHint("Enter the device write address (even number)");
  edtAddress->SetShowHint(true);
  edtAddress->OnChange = [this](TObject* s) { edtAddressChange(s); };
  edtAddress->OnExit = [this](TObject* s) { edtAddressExit(s); };

  btnWriteOne = MakeDeviceButton(this, top, "btnWriteOne", "Write B&yte", "Write to one register", 112, 14, 84,
                                 [this](TObject* s) { btnWriteOneClick(s); });
  btnReadOne = MakeDeviceButton(this, top, "btnReadOne", "Read &Byte", "Read one register", 200, 14, 84,
                                [this](TObject* s) { btnReadOneClick(s); });
  btnWrite = MakeDeviceButton(this, top, "btnWrite", "&Write All", "Write to all registers", 288, 14, 84,
                              [this](TObject* s) { btnWriteClick(s); });
  btnRead = MakeDeviceButton(this, top, "btnRead", "&Read All", "Read entire EEPROM", 376, 14, 84,
                             [this](TObject* s) { btnReadClick(s); });

  chbOneAtATime = new TCheckBox(this);
  chbOneAtATime->SetName("chbOneAtATime");
  chbOneAtATime->SetParent(top);
  chbOneAtATime->SetBounds(470, 18, 100, 18);
  chbOneAtATime->SetCaption("Byte Mode");
  chbOneAtATime->SetHint("Send one byte per Start/Stop");
  chbOneAtATime->SetShowHint(true);

  grpCreate = new TGroupBox(this);
  grpCreate->SetName("grpCreate");
  grpCreate->SetParent(top);
  grpCreate->SetBounds(8, 50, 324, 46);
  grpCreate->SetCaption("Create Control");
  btnSlider = MakeDeviceButton(this, grpCreate, "btnSlider", "Slider Control",
                               "Create slider control for current register", 8, 16, 100,
                               [this](TObject* s) { CreatefrmSliderClick(s); });
  btnSpin = MakeDeviceButton(this, grpCreate, "btnSpin", "Spin Control", "Create slider control for current register",
                             112, 16, 100, [this](TObject* s) { frmSpinClick(s); });
  btnBits = MakeDeviceButton(this, grpCreate, "btnBits", "Bit Control", "Create Bit Control for current register", 216,
                             16, 100, [this](TObject* s) { mnuBitWiseClick(s); });

  lblDevice = new TLabel(this);
  lblDevice->SetName("lblDevice");
  lblDevice->SetParent(top);
  lblDevice->SetBounds(342, 56, 230, 16);
  lblDevice->SetShowAccelChar(false);
  lblDevice->Font()->SetStyle(fsBold);
  lblDevice->SetCaption("Device Name: ?");
  lblRegister = new TLabel(this);
  lblRegister->SetName("lblRegister");
  lblRegister->SetParent(top);
  lblRegister->SetBounds(342, 76, 230, 16);
  lblRegister->SetShowAccelChar(false);
  lblRegister->Font()->SetStyle(fsBold);
  lblRegister->SetCaption("0x00: Undefined Register");

  stgMemory = new TExtStringGrid(this);
  stgMemory->SetName("stgMemory");
  stgMemory->EnableWheel = false;  // a notch moves one row, as the base grid does
  stgMemory->SetParent(this);
  stgMemory->SetAlign(alClient);
  stgMemory->SetColCount(17);
  stgMemory->SetRowCount(17);
  stgMemory->SetFixedCols(1);
  stgMemory->SetFixedRows(1);
  stgMemory->SetDefaultColWidth(26);
  stgMemory->SetDefaultRowHeight(20);
  stgMemory->Font()->SetName("Tahoma");
  stgMemory->Font()->SetHeight(-11);
  stgMemory->FixedFont()->SetName("Tahoma");
  stgMemory->FixedFont()->SetHeight(-11);
  stgMemory->FixedFont()->SetStyle(fsBold);
  stgMemory->SetScrollBars(ssVertical);
  stgMemory->SetOptions(goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goRangeSelect | goEditing |
                        goTabs | goColSizing | goRowSizing);
  stgMemory->MaxEditLength = 2;
  stgMemory->SetGridLineColor(clSilver);
  stgMemory->SetHint("Enter a single two digit Hex number into each cell");
  stgMemory->SetShowHint(true);
  stgMemory->Bands()->SetActive(true);
  stgMemory->Bands()->SetPrimaryColor(clInfoBk);
  stgMemory->Bands()->SetSecondaryColor(clWhite);
  stgMemory->OnClick = [this](TObject* s) { stgMemoryClick(s); };
  stgMemory->OnGetEditMask = [this](TObject* s, int c, int r, std::string& v) { stgMemoryGetEditMask(s, c, r, v); };
  stgMemory->OnKeyDown = [this](TObject* s, WORD& k, TShiftState sh) { stgMemoryKeyDown(s, k, sh); };
  // A value cell keeps the one byte-cell form when it is left, however it is left; an emptied
  // cell holds what an empty one counts as.
  stgMemory->OnCellValidate = [](TObject*, int, int, std::string& Value, bool&) {
    Value = Value.find_first_not_of(" \t") == std::string::npos ? "FF" : NormalizeByteCell(Value);
  };
}

void TfrmLongI2C::BuildMenus() {
  auto item = [this](TMenuItem* Parent, const std::string& Name, const std::string& Caption) {
    auto* m = new TMenuItem(this);
    if (!Name.empty()) m->SetName(Name);
    m->SetCaption(Caption);
    Parent->Add(m);
    return m;
  };
  MainMenu = new TMainMenu(this);
  MainMenu->SetName("MainMenu");
  mnuFile = new TMenuItem(this);
  mnuFile->SetName("mnuFile");
  mnuFile->SetCaption("&File");
  mnuFile->SetGroupIndex(0);
  mnuDefine = item(mnuFile, "mnuDefine", "Define New Device");
  mnuLoad = item(mnuFile, "mnuLoad", "Open Device Definition File");
  mnuSave = item(mnuFile, "mnuSave", "Save");
  mnuSaveAs = item(mnuFile, "mnuSaveAs", "Save As...");
  mnuSaveASCII = item(mnuFile, "mnuSaveASCII", "Save Registers in text format");
  mnuPrint = item(mnuFile, "mnuPrint", "Print Device Data");
  mnuClose = item(mnuFile, "mnuClose", "Close");
  mnuCloseAll = item(mnuFile, "mnuCloseAll", "Close All");
  item(mnuFile, "", "-");
  mnuExit = item(mnuFile, "mnuExit", "E&xit");
  MRUDiv = item(mnuFile, "MRUDiv", "-");
  MRUDiv->SetVisible(false);
  for (int i = 0; i < RecentFilesMax; ++i) {
    mru[i] = item(mnuFile, "mru" + IntToStr(i + 1), "");
    mru[i]->SetVisible(false);
    // By index, never by the caption: the caption may carry accelerator marks.
    mru[i]->OnClick = [this, i](TObject*) { mru1Click(i); };
  }
  mnuEdit = new TMenuItem(this);
  mnuEdit->SetName("mnuEdit");
  mnuEdit->SetCaption("Edit");
  // Beside the window's "&File" in the frame's menu bar, in place of the frame's "File";
  // the frame's Device menu stays.
  mnuEdit->SetGroupIndex(0);
  mnuEditCurrentDevice = item(mnuEdit, "mnuEditCurrentDevice", "Current Device");
  mnuEditCurrentCell = item(mnuEdit, "mnuEditCurrentCell", "Current Register");
  ResetGrid = item(mnuEdit, "ResetGrid", "Reset Grid");
  MainMenu->Items()->Add({mnuFile, mnuEdit});
  SetMenu(MainMenu);

  mnuDefine->OnClick = [this](TObject* s) { mnuDefineClick(s); };
  mnuLoad->OnClick = [this](TObject* s) { mnuLoadClick(s); };
  mnuSave->OnClick = [this](TObject* s) { mnuSaveClick(s); };
  mnuSaveAs->OnClick = [this](TObject* s) { mnuSaveAsClick(s); };
  mnuSaveASCII->OnClick = [this](TObject* s) { mnuSaveASCIIClick(s); };
  mnuPrint->OnClick = [this](TObject* s) { mnuPrintClick(s); };
  mnuClose->OnClick = [this](TObject* s) { mnuCloseClick(s); };
  mnuCloseAll->OnClick = [this](TObject* s) { mnuCloseAllClick(s); };
  mnuExit->OnClick = [this](TObject* s) { mnuExitClick(s); };
  mnuEditCurrentDevice->OnClick = [this](TObject* s) { mnuEditCurrentDeviceClick(s); };
  mnuEditCurrentCell->OnClick = [this](TObject* s) { mnuEditCurrentCellClick(s); };
  ResetGrid->OnClick = [this](TObject* s) { ResetGridClick(s); };

  opnDialog = new TOpenDialog(this);
  opnDialog->SetName("opnDialog");
  opnDialog->SetTitle("Open Defined Device");
  opnDialog->SetFilter("Definition files (*.def)|*.def|All files (*.*)|*.*");
  opnDialog->SetDefaultExt("def");
  opnDialog->SetOptions(ofHideReadOnly | ofFileMustExist | ofEnableSizing);
  SaveAsDialog = new TSaveDialog(this);
  SaveAsDialog->SetName("SaveAsDialog");
  SaveAsDialog->SetOptions(ofOverwritePrompt | ofHideReadOnly | ofEnableSizing);
}

// ---------------------------------------------------------------- cells and state

std::string TfrmLongI2C::RegisterText(int Register) const {
  return stgMemory->Cells(ColOf(Register), RowOf(Register));
}

void TfrmLongI2C::SetRegisterText(int Register, const std::string& Text) {
  stgMemory->SetCells(ColOf(Register), RowOf(Register), Text);
}

void TfrmLongI2C::ShowRegisterCount(TColor Even, TColor Odd) {
  // The count first: shrinking it drops the rows past it, the colours of all cells must stay.
  stgMemory->SetRowCount(Longi2c::MaxRegister / 16 + 2);
  // The row labels too: rows a smaller count dropped come back empty when it grows.
  WriteRowLabels();
  for (int i = 0; i < DeviceRegisters; ++i) {
    const bool defined = i <= Longi2c::MaxRegister;
    stgMemory->SetColors(ColOf(i), RowOf(i), defined ? ((i / 16) % 2 == 0 ? Even : Odd) : clBlue);
  }
}

void TfrmLongI2C::WriteRowLabels() {
  for (int r = 1; r <= 32; ++r) stgMemory->SetCells(0, r, IntToHex(r - 1, 1));
}

std::string TfrmLongI2C::DeviceName() const {
  const std::string& c = lblDevice->Caption();
  return c.rfind(DevicePrefix, 0) == 0 ? c.substr(std::string(DevicePrefix).size()) : c;
}

void TfrmLongI2C::SetDeviceName(const std::string& Name) { lblDevice->SetCaption(DevicePrefix + Name); }

TDeviceDefinition TfrmLongI2C::Definition() const {
  TDeviceDefinition d;
  d.Address = IntToHex(Longi2c::DeviceAddress, 2);
  d.MaxRegister = std::clamp(Longi2c::MaxRegister, 0, DeviceRegisters - 1);
  d.Name = DeviceName();
  for (int i = 0; i <= d.MaxRegister; ++i) {
    d.Values[i] = RegisterText(i);
    d.Descriptions[i] = Longi2c::RegisterDescriptions[i];
  }
  return d;
}

void TfrmLongI2C::StartUp() {
  Longi2c::ActiveRow = 1;
  Longi2c::ActiveCol = 1;
  Longi2c::ActiveRegister = 0;
  Longi2c::MaxRegister = 255;
  Longi2c::Modified = false;
  // The address the field shows is the device's from the start, so a save
  // before any bus operation stores it.
  Longi2c::DeviceAddress = 0;
  uint8_t v = 0;
  if (HexByte(edtAddress->Text(), v)) Longi2c::DeviceAddress = static_cast<uint8_t>(v & 0xFE);
  SaveAsDialog->SetInitialDir(GetCurrentDir());
  WriteRowLabels();
  for (int c = 1; c <= 16; ++c) stgMemory->SetCells(c, 0, IntToHex(c - 1, 1));
  for (int i = 0; i < DeviceRegisters; ++i) {
    SetRegisterText(i, "FF");
    Longi2c::RegisterDescriptions[i] = UndefinedRegister;
  }
  Longi2c::FileName.clear();
}

void TfrmLongI2C::FormCreate(TObject*) {
  StartUp();
  LoadMRU();
  DisplayMRU();
  Show();
}

void TfrmLongI2C::FormActivate(TObject*) {
  SetWindowState(wsMaximized);
  if (MainHost) MainHost->ResetWarning();
}

void TfrmLongI2C::FormKeyPress(TObject*, char& Key) {
  const char k = Key;
  const bool pass = k == 8 || k == 9 || k == 13 || (k >= '0' && k <= '9') || (k >= 'A' && k <= 'F') ||
                    (k >= 'a' && k <= 'f');
  if (!pass) Key = 0;
}

void TfrmLongI2C::stgMemoryClick(TObject*) {
  Longi2c::ActiveRow = stgMemory->Row();
  Longi2c::ActiveCol = stgMemory->Col();
  Longi2c::ActiveRegister = (Longi2c::ActiveRow - 1) * 16 + Longi2c::ActiveCol - 1;
  if (Longi2c::ActiveRegister >= 0 && Longi2c::ActiveRegister <= Longi2c::MaxRegister)
    lblRegister->SetCaption("Register 0x" + IntToHex(Longi2c::ActiveRegister, 2) + ": " +
                            Longi2c::RegisterDescriptions[Longi2c::ActiveRegister]);
}

void TfrmLongI2C::stgMemoryGetEditMask(TObject*, int, int, std::string& Value) {
  Value = ">CC";
  Longi2c::Modified = true;
}

void TfrmLongI2C::stgMemoryKeyDown(TObject*, WORD& Key, TShiftState) {
  if (Key != 9) return;
  const int c = stgMemory->Col(), r = stgMemory->Row();
  const std::string text = stgMemory->Cells(c, r);
  const std::string normal = NormalizeByteCell(text);
  if (normal != text && !text.empty()) stgMemory->SetCells(c, r, normal);
}

// ---------------------------------------------------------------- address

bool TfrmLongI2C::CheckAddress() {
  uint8_t v = 0;
  if (edtAddress->Text().size() < 2 || !HexByte(edtAddress->Text(), v)) {
    if (MainHost) {
      MainHost->SetStatusText("  Invalid address");
      MainHost->Warning();
    }
    return false;
  }
  Longi2c::DeviceAddress = static_cast<uint8_t>(v & 0xFE);
  addressChanging_ = true;
  edtAddress->SetText(IntToHex(Longi2c::DeviceAddress, 2));
  addressChanging_ = false;
  return true;
}

void TfrmLongI2C::edtAddressChange(TObject*) {
  if (addressChanging_) return;
  uint8_t v = 0;
  if (edtAddress->Text().size() != 2 || !HexByte(edtAddress->Text(), v)) return;
  Longi2c::DeviceAddress = static_cast<uint8_t>(v & 0xFE);
  const std::string shown = IntToHex(Longi2c::DeviceAddress, 2);
  if (shown != edtAddress->Text()) {
    addressChanging_ = true;
    edtAddress->SetText(shown);
    addressChanging_ = false;
  }
}

void TfrmLongI2C::edtAddressExit(TObject*) {
  const std::string text = Trim(edtAddress->Text());
  if (text.empty()) {
    MessageDlg("'$' is not a valid integer value", mtError, mbOK, 0);
    return;
  }
  uint8_t v = 0;
  if (!HexByte(NormalizeByteCell(text), v)) return;
  Longi2c::DeviceAddress = v;
  edtAddress->SetText(IntToHex(v, 2));  // the change rule then clears bit 0
}

// ---------------------------------------------------------------- bus operations

void TfrmLongI2C::Refuse(const std::string& Text) {
  if (!MainHost) return;
  MainHost->SetStatusText(Text);
  MainHost->Warning();
}

bool TfrmLongI2C::ValuesToWrite(bool SkipMarked, std::vector<int>& Values) {
  Values.assign(static_cast<size_t>(Longi2c::MaxRegister) + 1, -1);
  for (int i = 0; i <= Longi2c::MaxRegister; ++i) {
    const std::string text = RegisterText(i);
    if (SkipMarked && text == "XX") continue;
    const std::optional<uint8_t> v = ByteCellValue(text);
    if (!v) {
      Refuse("  Cannot write: register 0x" + IntToHex(i, 2) + " holds \"" + text + "\"");
      return false;
    }
    Values[static_cast<size_t>(i)] = *v;
  }
  return true;
}

void TfrmLongI2C::btnWriteOneClick(TObject*) {
  if (!MainHost || MainHost->BusRefused()) return;
  TRunScope run(run_);
  if (!run.Acquired()) return;
  THourglass hourglass;
  const std::string text = RegisterText(Longi2c::ActiveRegister);
  // Past the count only a byte Read Byte stored there can be written.
  if (Longi2c::ActiveRegister > Longi2c::MaxRegister && text.empty()) {
    MessageDlg(UndefinedCellText, mtWarning, mbOK, 0);
    return;
  }
  if (text == "XX") return Refuse("  Cannot write bytes marked as \"XX\"");
  const std::optional<uint8_t> value = ByteCellValue(text);
  if (!value) return Refuse("  Cannot write: register 0x" + IntToHex(Longi2c::ActiveRegister, 2) + " holds \"" + text + "\"");
  if (!CheckAddress()) return;
  MainHost->ErrorMessage(WriteRegister(Longi2c::DeviceAddress, static_cast<uint8_t>(Longi2c::ActiveRegister), *value));
}

uint8_t TfrmLongI2C::WriteRegister(uint8_t Address, uint8_t Reg, uint8_t Value) {
  if (!MainHost) return 255;
  I2CStatus st = MainHost->I2CStart();
  if (st == 0) {
    if (MainHost->I2CWrite(Address) != 0) st = 1;
    else if (MainHost->I2CWrite(Reg) != 0) st = 2;
    else if (MainHost->I2CWrite(Value) != 0) st = 2;
  }
  MainHost->I2CStop();
  return st;
}

// One register's read (start, address, index, repeated start, read address,
// one byte not acknowledged); the stop is the caller's.
uint8_t TfrmLongI2C::ReadSequence(int Register, bool& Stored) {
  Stored = false;
  const uint8_t a = Longi2c::DeviceAddress;
  I2CStatus st = MainHost->I2CStart();
  if (st != 0) return st;
  if (MainHost->I2CWrite(a) != 0) return 1;
  if (MainHost->I2CWrite(static_cast<uint8_t>(Register)) != 0) return 2;
  st = MainHost->I2CStart();
  if (st != 0) return st;
  if (MainHost->I2CWrite(static_cast<uint8_t>(a | 1)) != 0) return 1;
  const uint8_t b = MainHost->I2CRead(1, Longi2c::AckStatus);
  if (Longi2c::AckStatus != 128) return 3;
  SetRegisterText(Register, ByteCellText(b));
  Stored = true;
  return 0;
}

void TfrmLongI2C::btnReadOneClick(TObject*) {
  if (!MainHost || MainHost->BusRefused()) return;
  TRunScope run(run_);
  if (!run.Acquired()) return;
  THourglass hourglass;
  Longi2c::Modified = true;
  if (RegisterText(Longi2c::ActiveRegister) == "XX") return Refuse("  Cannot read bytes marked as \"XX\"");
  if (!CheckAddress()) return;
  bool stored = false;
  const uint8_t st = ReadSequence(Longi2c::ActiveRegister, stored);
  MainHost->I2CStop();
  MainHost->ErrorMessage(st);
}

void TfrmLongI2C::btnReadClick(TObject*) {
  if (run_.Busy() || !MainHost || MainHost->BusRefused()) return;
  if (chbOneAtATime->Checked()) ReadOneByteAtATime();
  else ReadAllBytes();
}

void TfrmLongI2C::btnWriteClick(TObject*) {
  if (run_.Busy() || !MainHost || MainHost->BusRefused()) return;
  if (chbOneAtATime->Checked()) WriteOneByteAtATime();
  else WriteAllBytes();
}

void TfrmLongI2C::ReadAllBytes() {
  TRunScope run(run_);
  if (!run.Acquired()) return;
  THourglass hourglass;
  Longi2c::Modified = true;
  if (!CheckAddress()) return;
  const uint8_t a = Longi2c::DeviceAddress;
  I2CStatus st = MainHost->I2CStart();
  if (st == 0) {
    if (MainHost->I2CWrite(a) != 0) st = 1;
    else if (MainHost->I2CWrite(0) != 0) st = 2;
    else if ((st = MainHost->I2CStart()) != 0) {
    } else if (MainHost->I2CWrite(static_cast<uint8_t>(a | 1)) != 0) st = 1;
    else {
      for (int i = 0; i <= Longi2c::MaxRegister; ++i) {
        const bool last = i == Longi2c::MaxRegister;
        const uint8_t b = MainHost->I2CRead(last ? 1 : 0, Longi2c::AckStatus);
        if (Longi2c::AckStatus != (last ? 128 : 0)) {
          st = 3;
          break;
        }
        SetRegisterText(i, ByteCellText(b));
      }
    }
  }
  MainHost->I2CStop();
  MainHost->ErrorMessage(st);
}

void TfrmLongI2C::ReadOneByteAtATime() {
  TRunScope run(run_);
  if (!run.Acquired()) return;
  THourglass hourglass;
  Longi2c::Modified = true;
  if (!CheckAddress()) return;
  uint8_t st = 0;
  bool endedEarly = false;
  for (int i = 0; i <= Longi2c::MaxRegister; ++i) {
    bool stored = false;
    st = ReadSequence(i, stored);
    if (st != 0 && st != 3) {
      endedEarly = true;
      break;
    }
    MainHost->I2CStop();
  }
  if (endedEarly || st != 0) MainHost->I2CStop();
  MainHost->ErrorMessage(st);
}

void TfrmLongI2C::WriteAllBytes() {
  TRunScope run(run_);
  if (!run.Acquired()) return;
  THourglass hourglass;
  std::vector<int> values;
  if (!ValuesToWrite(false, values)) return;  // refused: the warning stays on the line
  if (CheckAddress()) {
    const uint8_t a = Longi2c::DeviceAddress;
    I2CStatus st = MainHost->I2CStart();
    if (st == 0) {
      if (MainHost->I2CWrite(a) != 0) st = 1;
      else if (MainHost->I2CWrite(0) != 0) st = 2;
      else {
        for (int i = 0; i <= Longi2c::MaxRegister; ++i)
          if (MainHost->I2CWrite(static_cast<uint8_t>(values[static_cast<size_t>(i)])) != 0) {
            st = 2;
            break;
          }
      }
    }
    MainHost->I2CStop();
    MainHost->ErrorMessage(st);
  }
  MainHost->SetStatusText("");
  MainHost->ResetWarning();
}

void TfrmLongI2C::WriteOneByteAtATime() {
  TRunScope run(run_);
  if (!run.Acquired()) return;
  THourglass hourglass;
  std::vector<int> values;
  if (!ValuesToWrite(true, values)) return;
  if (!CheckAddress()) return;
  uint8_t st = 0;
  for (int i = 0; i <= Longi2c::MaxRegister; ++i) {
    const int v = values[static_cast<size_t>(i)];
    if (v < 0) continue;  // marked "XX": left alone
    st = WriteRegister(Longi2c::DeviceAddress, static_cast<uint8_t>(i), static_cast<uint8_t>(v));
    if (st != 0) break;
  }
  MainHost->ErrorMessage(st);
}

// ---------------------------------------------------------------- life

void TfrmLongI2C::AddToolWindow(TForm* Window) { tools_.push_back(Window); }

void TfrmLongI2C::RemoveToolWindow(TForm* Window) {
  tools_.erase(std::remove(tools_.begin(), tools_.end(), Window), tools_.end());
}

void TfrmLongI2C::ReleaseToolWindows() {
  const std::vector<TForm*> open = tools_;
  tools_.clear();
  for (TForm* t : open) t->Release();
}

void TfrmLongI2C::ShowToolNames() {
  for (TForm* t : tools_)
    if (auto* tool = dynamic_cast<TRegisterToolForm*>(t))
      tool->SetRegisterName(Longi2c::RegisterDescriptions[static_cast<size_t>(std::clamp(tool->Reg(), 0, DeviceRegisters - 1))]);
}

void TfrmLongI2C::mnuCloseClick(TObject*) { Close(); }

// The question is asked as the close is queried, so closing the main window asks it too; a No
// leaves the mark, in case another window's question keeps the program running.
void TfrmLongI2C::FormCloseQuery(TObject*, bool& CanClose) {
  if (!Longi2c::Modified) return;
  RestoreFromMinimized();
  BringToFront();
  if (MessageDlg("Would you like to save this device?", mtConfirmation, mbYes | mbNo, 0) == mrYes &&
      !mnuSaveClick(this))
    CanClose = false;  // the device was not saved: the window stays
}

void TfrmLongI2C::FormClose(TObject*, TCloseAction& Action) {
  Longi2c::Modified = false;
  ReleaseToolWindows();
  CloseDialogs();
  Action = caFree;
}

void TfrmLongI2C::mnuCloseAllClick(TObject*) {
  if (!MainHost) return;
  MainHost->CloseMDIChildren();
  MainHost->ResetWarning();
}

// A window whose question was cancelled keeps the program running.
void TfrmLongI2C::mnuExitClick(TObject*) {
  if (!MainHost) return;
  const bool closed = MainHost->CloseMDIChildren();
  MainHost->ResetWarning();
  if (closed && Application) Application->Terminate();
}

void TfrmLongI2C::FormDestroy(TObject*) {
  WriteMRU();
  ReleaseToolWindows();
  CloseDialogs();
  if (frmLongI2C == this) frmLongI2C = nullptr;
}

void TfrmLongI2C::SetFileMenusEnabled(bool Enabled) {
  mnuFile->SetEnabled(Enabled);
  mnuEdit->SetEnabled(Enabled);
}

void TfrmLongI2C::MoveCurrentCell(int Register) {
  stgMemory->SetCol(ColOf(Register));
  stgMemory->SetRow(RowOf(Register));
}

TWinControl* TfrmLongI2C::GridWindow() const { return stgMemory; }

TRect TfrmLongI2C::RegisterCellRect(int Register) const {
  return stgMemory->CellRect(ColOf(Register), RowOf(Register));
}
