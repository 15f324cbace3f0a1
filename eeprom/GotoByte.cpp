#include "eeprom/GotoByte.h"

#include "eeprom/EEWindow.h"
#include "platform/gui/Dialogs.h"
#include "platform/rtl/SysUtils.h"

TfrmGoTo* frmGoTo = nullptr;
int MaxAddress = 0;

namespace {

// Our own background art: a soft vertical blend.
void PaintBackground(TImage* Image, int W, int H) {
  TCanvas* c = Image->Canvas();
  for (int y = 0; y < H; ++y) {
    const int t = y * 40 / (H > 1 ? H - 1 : 1);
    c->Pen()->SetColor(RGB(236 - t, 240 - t, 248 - t / 2));
    c->MoveTo(0, y);
    c->LineTo(W, y);
  }
}

void Filter(char& Key, bool Hex) {
  const char k = Key;
  if (k == 8 || k == 9 || k == 13 || (k >= '0' && k <= '9')) return;
  if (Hex && ((k >= 'A' && k <= 'F') || (k >= 'a' && k <= 'f'))) return;
  Key = 0;
}

}  // namespace

TfrmGoTo::TfrmGoTo(TComponent* AOwner) : TForm(AOwner) {
  BeginLoading();
  SetCaption("Go To Byte...");
  SetBorderStyle(bsDialog);
  SetBorderIcons(0);
  SetBounds(0, 0, 184, 129);
  SetPosition(poScreenCenter);
  imgBack = new TImage(this);
  imgBack->SetParent(this);
  imgBack->SetAlign(alClient);
  imgBack->SetStretch(true);
  imgBack->SetBounds(0, 0, 184, 129);
  PaintBackground(imgBack, 184, 129);

  lblHex = new TLabel(this);
  lblHex->SetParent(this);
  lblHex->SetCaption("Hexadecimal");
  lblHex->SetTransparent(true);
  lblHex->SetBounds(8, 4, 70, 14);
  edtHex = new TEdit(this);
  edtHex->SetName("edtHex");
  edtHex->SetParent(this);
  edtHex->SetBounds(8, 18, 76, 21);
  edtHex->SetCharCase(ecUpperCase);
  edtHex->SetMaxLength(4);
  lblDecimal = new TLabel(this);
  lblDecimal->SetParent(this);
  lblDecimal->SetCaption("Decimal");
  lblDecimal->SetTransparent(true);
  lblDecimal->SetBounds(94, 4, 70, 14);
  edtDecimal = new TEdit(this);
  edtDecimal->SetName("edtDecimal");
  edtDecimal->SetParent(this);
  edtDecimal->SetBounds(94, 18, 76, 21);
  edtDecimal->SetMaxLength(5);
  edtNote = new TEdit(this);
  edtNote->SetName("edtNote");
  edtNote->SetParent(this);
  edtNote->SetBounds(8, 44, 162, 18);
  edtNote->SetReadOnly(true);
  edtNote->SetBorderStyle(bsNone);
  edtNote->SetTabStop(false);
  OKBtn = NewEEButton(this, this, "OKBtn", "OK", "", 8, 68, 76, 25);
  CancelBtn = NewEEButton(this, this, "CancelBtn", "Cancel", "", 94, 68, 76, 25);

  // Each field mirrors the other only while it has the focus.
  edtHex->OnEnter = [this](TObject*) { edtHex->OnChange = [this](TObject* s) { edtHexChange(s); }; };
  edtHex->OnExit = [this](TObject*) { edtHex->OnChange = nullptr; };
  edtDecimal->OnEnter = [this](TObject*) { edtDecimal->OnChange = [this](TObject* s) { edtDecimalChange(s); }; };
  edtDecimal->OnExit = [this](TObject*) { edtDecimal->OnChange = nullptr; };
  edtHex->OnKeyPress = [](TObject*, char& k) { Filter(k, true); };
  edtDecimal->OnKeyPress = [](TObject*, char& k) { Filter(k, false); };
  ButtonControl(OKBtn)->OnClick = [this](TObject* s) { OKBtnClick(s); };
  ButtonControl(CancelBtn)->OnClick = [this](TObject* s) { CancelBtnClick(s); };
  EndLoading();
}

TfrmGoTo::~TfrmGoTo() {
  SetTarget(nullptr);
  if (frmGoTo == this) frmGoTo = nullptr;
}

void TfrmGoTo::SetTarget(TEEWindow* W) {
  if (target_ == W) return;
  if (target_) target_->RemoveFreeNotification(this);
  target_ = W;
  if (target_) target_->FreeNotification(this);
}

void TfrmGoTo::Notification(TComponent* AComponent, TOperation Operation) {
  TForm::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == target_) {
    target_ = nullptr;
    // Nothing left to move: the dialog goes with its window.
    Release();
  }
}

void TfrmGoTo::DoShow() {
  TForm::DoShow();
  edtNote->SetText("Note: maximum address = 0x" + IntToHex(::MaxAddress, 4));
  // The note was laid out for a narrower font than the one that may stand in for it here: the
  // dialog widens rather than cut off the maximum.
  TCanvas* c = Canvas();
  c->Font()->Assign(edtNote->Font());
  const int grow = c->TextWidth(edtNote->Text()) + 8 - edtNote->Width();
  if (grow > 0) {
    edtNote->SetWidth(edtNote->Width() + grow);
    SetClientWidth(ClientWidth() + grow);
  }
}

void TfrmGoTo::DoClose(TCloseAction& Action) {
  TForm::DoClose(Action);
  Action = caFree;
}

void TfrmGoTo::CMDialogKey(TMessage& Message) {
  const WORD key = static_cast<WORD>(Message.WParam);
  const TShiftState shift = static_cast<TShiftState>(Message.LParam) & (ssShift | ssAlt | ssCtrl);
  if (shift == 0 && (key == VK_RETURN || key == VK_ESCAPE)) {
    const bool cancel = key == VK_ESCAPE || ActiveControl() == static_cast<TControl*>(ButtonControl(CancelBtn));
    Message.Result = 1;
    if (cancel)
      CancelBtnClick(this);
    else
      OKBtnClick(this);
    return;
  }
  TForm::CMDialogKey(Message);
}

void TfrmGoTo::edtHexChange(TObject*) {
  const std::string t = edtHex->Text();
  if (t.empty()) {
    edtDecimal->SetText("0");
    return;
  }
  int v = StrToInt("$" + t);
  if (v > ::MaxAddress) {
    v = ::MaxAddress;
    ShowMessage("Maximum address = " + IntToHex(::MaxAddress, 4));
    edtHex->SetText(IntToHex(::MaxAddress, 4));
  }
  edtDecimal->SetText(std::to_string(v));
}

void TfrmGoTo::edtDecimalChange(TObject*) {
  const std::string t = edtDecimal->Text();
  if (t.empty()) {
    edtHex->SetText("");
    return;
  }
  int v = StrToInt(t);
  if (v > ::MaxAddress) {
    v = ::MaxAddress;
    ShowMessage("Maximum address = " + std::to_string(::MaxAddress));
    edtDecimal->SetText(std::to_string(::MaxAddress));
  }
  edtHex->SetText(IntToHex(v, 4));
}

void TfrmGoTo::OKBtnClick(TObject*) {
  const int v = StrToInt(edtDecimal->Text());
  if (!target_) {
    Release();
    return;
  }
  if (v < 0 || v > ::MaxAddress) {
    MessageDlg("Maximum address = " + std::to_string(::MaxAddress), mtWarning, mbOK, 0);
    return;
  }
  target_->stgMemory->SetCol(v % 16 + 1);
  target_->stgMemory->SetRow(v / 16 + 1);
  TEEWindow* w = target_;
  Release();
  w->SetActiveControl(w->stgMemory);
}

void TfrmGoTo::CancelBtnClick(TObject*) { Release(); }

void ShowGoTo(TEEWindow* W) {
  if (!frmGoTo) Application->CreateForm(frmGoTo);
  ::MaxAddress = W->MaxAddress();
  frmGoTo->SetTarget(W);
  frmGoTo->Show();
}
