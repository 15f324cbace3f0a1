#include "devices/editcell.h"

#include <algorithm>
#include <vector>

#include "app/bus/ByteText.h"
#include "devices/Definition.h"
#include "devices/Longi2c.h"
#include "platform/rtl/SysUtils.h"

TfrmEditCell* frmEditCell = nullptr;

namespace {
std::vector<TfrmEditCell*>& OpenDialogs() {
  static std::vector<TfrmEditCell*> open;
  return open;
}
}  // namespace

TfrmEditCell::TfrmEditCell(TComponent* AOwner) : TForm(AOwner) {
  BeginLoading();
  SetName("frmEditCell");
  SetCaption("Edit Register");
  SetFormStyle(fsStayOnTop);
  SetPosition(poScreenCenter);
  SetBounds(0, 0, 247, 155);
  SetClientSize(239, 128);

  lblRegister = new TLabel(this);
  lblRegister->SetName("lblRegister");
  lblRegister->SetParent(this);
  lblRegister->SetBounds(8, 6, 220, 16);
  lblRegister->Font()->SetStyle(fsBold);
  lblRegister->SetCaption("");
  lblDefault = new TLabel(this);
  lblDefault->SetName("lblDefault");
  lblDefault->SetParent(this);
  lblDefault->SetBounds(8, 30, 110, 16);
  lblDefault->SetCaption("Initial Value (hex):");
  edtDefault = new TEdit(this);
  edtDefault->SetName("edtDefault");
  edtDefault->SetParent(this);
  edtDefault->SetBounds(122, 26, 30, 21);
  edtDefault->SetMaxLength(2);
  edtDefault->SetCharCase(ecUpperCase);
  edtDefault->SetText("FF");
  lblDescription = new TLabel(this);
  lblDescription->SetName("lblDescription");
  lblDescription->SetParent(this);
  lblDescription->SetBounds(8, 54, 100, 16);
  lblDescription->SetCaption("Description");
  edtDescription = new TEdit(this);
  edtDescription->SetName("edtDescription");
  edtDescription->SetParent(this);
  edtDescription->SetBounds(8, 70, 223, 21);
  edtDescription->SetMaxLength(40);
  btnOK = new TBitBtn(this);
  btnOK->SetName("btnOK");
  btnOK->SetParent(this);
  btnOK->SetBounds(36, 98, 75, 25);
  btnOK->SetKind(bkOK);
  btnOK->SetModalResult(mrNone);
  btnCancel = new TBitBtn(this);
  btnCancel->SetName("btnCancel");
  btnCancel->SetParent(this);
  btnCancel->SetBounds(128, 98, 75, 25);
  btnCancel->SetKind(bkCancel);
  btnCancel->SetModalResult(mrNone);

  btnOK->OnClick = [this](TObject* s) { btnOKClick(s); };
  btnCancel->OnClick = [this](TObject* s) { btnCancelClick(s); };
  edtDefault->OnKeyPress = [this](TObject* s, char& k) { edtDefaultKeyPress(s, k); };
  edtDefault->OnExit = [this](TObject* s) { edtDefaultExit(s); };
  OnClose = [this](TObject* s, TCloseAction& a) { FormClose(s, a); };
  OnDestroy = [this](TObject* s) { FormDestroy(s); };
  OpenDialogs().push_back(this);
  EndLoading();
}

TfrmEditCell::~TfrmEditCell() {
  auto& open = OpenDialogs();
  open.erase(std::remove(open.begin(), open.end(), this), open.end());
  if (frmEditCell == this) frmEditCell = nullptr;
}

void TfrmEditCell::edtDefaultKeyPress(TObject*, char& Key) {
  if (!HexKey(Key)) Key = 0;
}

void TfrmEditCell::edtDefaultExit(TObject*) {
  const std::string t = NormalizeByteCell(edtDefault->Text());
  if (t != edtDefault->Text()) edtDefault->SetText(t);
}

void TfrmEditCell::btnOKClick(TObject*) {
  if (TfrmLongI2C* w = frmLongI2C) {
    // The field as it stands, into the register the dialog was opened for: a field never
    // left keeps an empty text, an empty cell, which counts as FF.
    w->SetRegisterText(Register, edtDefault->Text());
    Longi2c::RegisterDescriptions[static_cast<size_t>(Register)] = edtDescription->Text();
    w->ShowToolNames();
    w->stgMemoryClick(w);
    Longi2c::Modified = true;
  }
  Release();
}

void TfrmEditCell::btnCancelClick(TObject*) { Release(); }

void TfrmEditCell::FormClose(TObject*, TCloseAction& Action) { Action = caFree; }

void TfrmEditCell::FormDestroy(TObject*) {
  auto& open = OpenDialogs();
  open.erase(std::remove(open.begin(), open.end(), this), open.end());
  if (frmEditCell == this) frmEditCell = nullptr;
  if (frmLongI2C && open.empty() && !frmDefine) frmLongI2C->SetFileMenusEnabled(true);
}

bool EditCellDialogsOpen() { return !OpenDialogs().empty(); }

void CloseEditCellDialogs() {
  const std::vector<TfrmEditCell*> open = OpenDialogs();
  OpenDialogs().clear();
  frmEditCell = nullptr;
  for (TfrmEditCell* d : open) d->Release();
}

void TfrmLongI2C::mnuEditCurrentCellClick(TObject*) {
  if (Longi2c::ActiveRegister > Longi2c::MaxRegister) {
    MessageDlg(UndefinedCellText, mtWarning, mbOK, 0);
    return;
  }
  Application->CreateForm(frmEditCell);
  frmEditCell->Register = Longi2c::ActiveRegister;
  frmEditCell->lblRegister->SetCaption("Register 0x" + IntToHex(Longi2c::ActiveRegister, 2));
  frmEditCell->edtDefault->SetText(RegisterText(Longi2c::ActiveRegister));
  frmEditCell->edtDescription->SetText(Longi2c::RegisterDescriptions[static_cast<size_t>(Longi2c::ActiveRegister)]);
  SetFileMenusEnabled(false);
  frmEditCell->Show();
}
