#include "devices/Definition.h"

#include "app/bus/ByteText.h"
#include "controls/grid/ExtGrid.h"
#include "devices/Longi2c.h"
#include "devices/editcell.h"
#include "platform/rtl/SysUtils.h"

TfrmDefine* frmDefine = nullptr;

namespace {
constexpr const char* UndefinedRegister = "Undefined Register";
constexpr const char* CountRange = "Please enter a number between 1 and 256";

TLabel* MakeCaption(TfrmDefine* F, const std::string& Name, const std::string& Text, int X, int Y) {
  auto* l = new TLabel(F);
  l->SetName(Name);
  l->SetParent(F);
  l->SetBounds(X, Y, 120, 16);
  l->SetCaption(Text);
  return l;
}

TEdit* Field(TfrmDefine* F, const std::string& Name, int X, int Y, int W, int MaxLength, bool Upper) {
  auto* e = new TEdit(F);
  e->SetName(Name);
  e->SetParent(F);
  e->SetBounds(X, Y, W, 21);
  e->SetMaxLength(MaxLength);
  if (Upper) e->SetCharCase(ecUpperCase);
  return e;
}
}  // namespace

bool HexKey(char Key) {
  return Key == 8 || Key == 9 || Key == 13 || (Key >= '0' && Key <= '9') || (Key >= 'A' && Key <= 'F') ||
         (Key >= 'a' && Key <= 'f');
}

TfrmDefine::TfrmDefine(TComponent* AOwner) : TForm(AOwner) {
  BeginLoading();
  SetName("frmDefine");
  SetCaption("Define New Device");
  SetFormStyle(fsStayOnTop);
  SetPosition(poScreenCenter);
  SetBounds(0, 0, 362, 418);
  SetClientSize(354, 391);

  lblName = MakeCaption(this, "lblName", "Device Name:", 8, 12);
  edtName = Field(this, "edtName", 132, 8, 150, 20, false);
  lblAddress = MakeCaption(this, "lblAddress", "Device Address:", 8, 38);
  edtAddress = Field(this, "edtAddress", 132, 34, 30, 2, true);
  lblRegisters = MakeCaption(this, "lblRegisters", "Number of Registers", 8, 64);
  edtSpin = Field(this, "edtSpin", 132, 60, 36, 3, false);
  edtSpin->SetText("256");
  spnRegisters = new TSpinButton(this);
  spnRegisters->SetName("spnRegisters");
  spnRegisters->SetParent(this);
  spnRegisters->SetBounds(170, 60, 16, 21);
  lblFill = MakeCaption(this, "lblFill", "Fill:", 200, 64);
  lblFill->SetWidth(30);
  edtFill = Field(this, "edtFill", 232, 60, 30, 2, true);
  edtFill->SetText("00");

  stgDefinition = new TExtStringGrid(this);
  stgDefinition->SetName("stgDefinition");
  stgDefinition->EnableWheel = false;  // a notch moves one row, as the base grid does
  stgDefinition->SetParent(this);
  stgDefinition->SetBounds(4, 90, 346, 258);
  stgDefinition->SetColCount(3);
  stgDefinition->SetRowCount(257);
  stgDefinition->SetFixedCols(1);
  stgDefinition->SetFixedRows(1);
  stgDefinition->SetDefaultRowHeight(21);
  stgDefinition->SetColWidths(0, 30);
  stgDefinition->SetColWidths(1, 250);
  stgDefinition->SetColWidths(2, 42);
  stgDefinition->SetScrollBars(ssBoth);
  stgDefinition->SetOptions(goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goEditing | goTabs);
  stgDefinition->EnableHTML = true;

  btnOK = new TButton(this);
  btnOK->SetName("btnOK");
  btnOK->SetParent(this);
  btnOK->SetBounds(88, 358, 75, 25);
  btnOK->SetCaption("OK");
  btnCancel = new TButton(this);
  btnCancel->SetName("btnCancel");
  btnCancel->SetParent(this);
  btnCancel->SetBounds(190, 358, 75, 25);
  btnCancel->SetCaption("Cancel");
  btnCancel->SetHint("Cancel changes");
  btnCancel->SetShowHint(true);

  btnOK->OnClick = [this](TObject* s) { btnOKClick(s); };
  btnCancel->OnClick = [this](TObject* s) { btnCancelClick(s); };
  edtSpin->OnChange = [this](TObject* s) { edtSpinChange(s); };
  spnRegisters->OnUpClick = [this](TObject* s) { spnRegistersUpClick(s); };
  spnRegisters->OnDownClick = [this](TObject* s) { spnRegistersDownClick(s); };
  edtFill->OnChange = [this](TObject* s) { edtFillChange(s); };
  edtFill->OnExit = [this](TObject* s) { edtFillExit(s); };
  edtFill->OnKeyPress = [this](TObject* s, char& k) { edtFillKeyPress(s, k); };
  edtAddress->OnChange = [this](TObject* s) { edtAddressChange(s); };
  edtAddress->OnExit = [this](TObject* s) { edtAddressExit(s); };
  edtAddress->OnKeyPress = [this](TObject* s, char& k) { edtFillKeyPress(s, k); };
  stgDefinition->OnKeyPress = [this](TObject* s, char& k) { stgDefinitionKeyPress(s, k); };
  stgDefinition->OnGetEditMask = [this](TObject* s, int c, int r, std::string& v) {
    stgDefinitionGetEditMask(s, c, r, v);
  };
  stgDefinition->OnCellValidate = [this](TObject* s, int c, int r, std::string& v, bool& ok) {
    stgDefinitionCellValidate(s, c, r, v, ok);
  };
  OnCreate = [this](TObject* s) { FormCreate(s); };
  OnClose = [this](TObject* s, TCloseAction& a) { FormClose(s, a); };
  OnDestroy = [this](TObject* s) { FormDestroy(s); };
  EndLoading();
}

TfrmDefine::~TfrmDefine() {
  if (frmDefine == this) frmDefine = nullptr;
}

void TfrmDefine::FormCreate(TObject*) {
  for (int r = 1; r <= 256; ++r) {
    stgDefinition->SetCells(0, r, IntToHex(r - 1, 2));
    stgDefinition->SetCells(1, r, Longi2c::RegisterDescriptions[static_cast<size_t>(r - 1)]);
  }
  stgDefinition->SetRowHeights(0, 36);
  stgDefinition->SetCells(1, 0, "Register Description");
  stgDefinition->SetCells(2, 0, "Value\r(Hex)");
  Show();
}

void TfrmDefine::FillEmptyRow(int Row) {
  if (stgDefinition->Cells(1, Row).empty()) stgDefinition->SetCells(1, Row, UndefinedRegister);
  if (stgDefinition->Cells(2, Row).empty()) stgDefinition->SetCells(2, Row, "FF");
}

int TfrmDefine::RegisterCount() const {
  int n = 0;
  if (!TryStrToInt(edtSpin->Text(), n)) return 0;
  return n >= 1 && n <= 256 ? n : 0;
}

void TfrmDefine::edtSpinChange(TObject*) {
  if (changing_) return;
  if (edtSpin->Text().empty()) return;
  // Text that is no number raises the conversion error, which the application shows in a box.
  const int n = StrToInt(edtSpin->Text());
  if (n == 0) {
    MessageDlg(CountRange, mtWarning, mbOK, 0);
    return;
  }
  if (n > 256 && n <= 999) {
    MessageDlg("Please enter an integer between 1 and 256", mtWarning, mbOK, 0);
    return;
  }
  if (n < 1 || n > 256) return;
  stgDefinition->SetRowCount(n + 1);
  for (int r = 1; r <= n; ++r) FillEmptyRow(r);
  stgDefinition->SetRow(n);
}

void TfrmDefine::spnRegistersUpClick(TObject*) {
  const int rows = stgDefinition->RowCount();
  if (rows < 2 || rows > 256) return;
  stgDefinition->SetRowCount(rows + 1);
  FillEmptyRow(rows);
  stgDefinition->SetRow(rows);
  edtSpin->SetText(IntToStr(rows));
  stgDefinition->Invalidate();
}

void TfrmDefine::spnRegistersDownClick(TObject*) {
  const int rows = stgDefinition->RowCount();
  if (rows < 3 || rows > 257) return;
  stgDefinition->SetRowCount(rows - 1);
  stgDefinition->SetRow(rows - 2);
  // Through the count's change rule, as the up arrow: rows emptied by hand are filled again.
  edtSpin->SetText(IntToStr(rows - 2));
  stgDefinition->Invalidate();
}

void TfrmDefine::edtFillChange(TObject*) {
  if (edtFill->Text().size() != 2) return;
  if (MessageDlg("Are you sure you want to set all the values to " + edtFill->Text() + "?", mtConfirmation,
                 mbYes | mbNo, 0) != mrYes)
    return;
  for (int r = 1; r < stgDefinition->RowCount(); ++r) stgDefinition->SetCells(2, r, edtFill->Text());
}

void TfrmDefine::edtFillExit(TObject*) {
  const std::string t = NormalizeByteCell(edtFill->Text());
  if (t != edtFill->Text()) edtFill->SetText(t);
}

void TfrmDefine::edtAddressChange(TObject*) {
  if (changing_ || edtAddress->Text().size() != 2) return;
  const std::optional<uint8_t> v = ByteCellValue(edtAddress->Text());
  if (!v) return;
  // The address is taken over only by OK (through the window's field).
  const std::string even = ByteCellText(static_cast<uint8_t>(*v & 0xFE));
  if (even != edtAddress->Text()) {
    changing_ = true;
    edtAddress->SetText(even);
    changing_ = false;
  }
}

void TfrmDefine::edtAddressExit(TObject*) {
  const std::string t = Trim(edtAddress->Text());
  edtAddress->SetText(t.empty() ? std::string("AE") : NormalizeByteCell(t));
}

void TfrmDefine::edtFillKeyPress(TObject*, char& Key) {
  if (!HexKey(Key)) Key = 0;
}

void TfrmDefine::stgDefinitionKeyPress(TObject*, char& Key) {
  if (stgDefinition->Col() == 2 && !HexKey(Key)) Key = 0;
}

void TfrmDefine::stgDefinitionGetEditMask(TObject*, int ACol, int, std::string& Value) {
  if (ACol == 2) Value = ">CC";
}

void TfrmDefine::stgDefinitionCellValidate(TObject*, int ACol, int, std::string& Value, bool&) {
  if (ACol == 2) Value = ValidHexCheck(Value);
}

std::string TfrmDefine::ValidHexCheck(const std::string& Text) {
  if (Trim(Text).empty()) return "FF";
  return NormalizeByteCell(Text);
}

void TfrmDefine::btnOKClick(TObject*) {
  TfrmLongI2C* w = frmLongI2C;
  const int count = RegisterCount();
  if (count == 0) {
    MessageDlg(CountRange, mtWarning, mbOK, 0);
    return;  // the dialog stays, the device is untouched
  }
  if (!w) {
    Release();
    return;
  }
  w->SetCaption(edtName->Text());
  // The name saved with the device follows a name typed here; an untouched field (the caption,
  // perhaps a file's name) leaves it as it is.
  if (!NameShown || edtName->Text() != *NameShown) w->SetDeviceName(edtName->Text());
  const std::string address = Trim(edtAddress->Text());
  w->edtAddress->SetText(address.empty() ? std::string("AE") : NormalizeByteCell(address));
  Longi2c::MaxRegister = count - 1;
  for (int i = 0; i < DeviceRegisters; ++i) {
    if (i <= Longi2c::MaxRegister) {
      if (stgDefinition->Cells(1, i + 1).empty()) stgDefinition->SetCells(1, i + 1, UndefinedRegister);
      Longi2c::RegisterDescriptions[static_cast<size_t>(i)] = stgDefinition->Cells(1, i + 1);
      w->SetRegisterText(i, ValidHexCheck(stgDefinition->Cells(2, i + 1)));
    } else {
      Longi2c::RegisterDescriptions[static_cast<size_t>(i)] = UndefinedRegister;
      w->SetRegisterText(i, "");
    }
  }
  w->ShowRegisterCount(clInfoBk, clWhite);
  w->ShowToolNames();
  w->stgMemoryClick(w);
  Longi2c::Modified = true;
  Release();
}

void TfrmDefine::btnCancelClick(TObject*) { Release(); }

void TfrmDefine::FormClose(TObject*, TCloseAction& Action) { Action = caFree; }

void TfrmDefine::FormDestroy(TObject*) {
  if (frmDefine == this) frmDefine = nullptr;
  // The menus stay off while a register edit dialog still writes into the window.
  if (frmLongI2C && !EditCellDialogsOpen()) frmLongI2C->SetFileMenusEnabled(true);
}

// ---------------------------------------------------------------- the window's openers

void TfrmLongI2C::mnuDefineClick(TObject*) {
  if (!frmDefine) Application->CreateForm(frmDefine);
  frmDefine->edtAddress->SetText("AE");
  frmDefine->edtName->SetText("New Device");
  frmDefine->NameShown.reset();
  frmDefine->SetCaption("Define New Device");
  Longi2c::FileName.clear();
  SaveAsDialog->SetFileName("");
  for (int r = 1; r <= 256; ++r) {
    frmDefine->stgDefinition->SetCells(1, r, UndefinedRegister);
    frmDefine->stgDefinition->SetCells(2, r, "FF");
  }
  frmDefine->Show();
}

void TfrmLongI2C::mnuEditCurrentDeviceClick(TObject*) {
  if (!frmDefine) Application->CreateForm(frmDefine);
  frmDefine->edtAddress->SetText(edtAddress->Text());
  frmDefine->edtSpin->SetText(IntToStr(Longi2c::MaxRegister + 1));
  frmDefine->edtName->SetText(Caption());
  frmDefine->NameShown = Caption();
  for (int i = 0; i <= Longi2c::MaxRegister; ++i) {
    frmDefine->stgDefinition->SetCells(1, i + 1, Longi2c::RegisterDescriptions[static_cast<size_t>(i)]);
    frmDefine->stgDefinition->SetCells(2, i + 1, RegisterText(i));
  }
  frmDefine->SetCaption("Edit Current Device");
  SetFileMenusEnabled(false);
  frmDefine->Show();
}

void TfrmLongI2C::CloseDialogs() {
  // The dialogs write into this window: none outlives it.
  if (frmDefine) {
    TfrmDefine* d = frmDefine;
    frmDefine = nullptr;
    d->Release();
  }
  CloseEditCellDialogs();
}
