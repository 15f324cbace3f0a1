#include "devices/Universal_III.h"

#include <algorithm>

#include "app/bus/MainHost.h"
#include "controls/grid/ExtGrid.h"
#include "devices/BusRun.h"
#include "devices/ExpertFile.h"
#include "devices/MessageEditor.h"
#include "devices/Sequence.h"
#include "platform/gui/Graphics.h"
#include "platform/gui/Windows.h"
#include "platform/rtl/SysUtils.h"

TfrmMessage* frmMessage = nullptr;

namespace Universal_III {
bool Modified = false;
std::array<std::string, 6> RowClipboard;
}  // namespace Universal_III

using Universal_III::Modified;

namespace {

constexpr const char* FormCaption = "I\xC2\xB2" "C Expert Mode";
constexpr const char* ContinuousIdle = "Send Continuously";
constexpr const char* ContinuousRunning = "Stop Sequencing";
constexpr int InitialRows = 33;
// The grid width outside the Data column and the five fixed-width fields.
constexpr int DataWidthReserve = 89;
constexpr int FileReadLimit = 16 << 20;
constexpr const char* ExpertGridFont = "DejaVu Sans Condensed";

TMenuItem* Item(TComponent* Owner, const std::string& Name, const std::string& Caption,
                std::function<void(TObject*)> Click) {
  auto* m = new TMenuItem(Owner);
  m->SetName(Name);
  m->SetCaption(Caption);
  m->OnClick = std::move(Click);
  return m;
}

// The tool buttons' pictures: our own 16 x 16 art, drawn once per button.
enum TGlyph { gNew, gOpen, gSave, gClose, gAddRow, gDeleteRow, gClear, gCopy, gPaste, gCompress, gHigh, gLow };

void DrawGlyph(TCanvas* c, TGlyph g) {
  const TColor back = clOlive;  // the transparent colour (bottom-left pixel)
  c->Brush()->SetColor(back);
  c->FillRect(TRect(0, 0, 16, 16));
  c->Pen()->SetColor(clBlack);
  auto sheet = [&](int l, int t, int r, int b) {
    c->Brush()->SetColor(clWhite);
    c->Rectangle(l, t, r, b);
  };
  auto rows = [&](int l, int t, int r, int n, TColor col) {
    c->Brush()->SetColor(col);
    for (int i = 0; i < n; ++i) c->FillRect(TRect(l, t + 3 * i, r, t + 3 * i + 2));
  };
  switch (g) {
    case gNew: sheet(3, 1, 13, 15); break;
    case gOpen:
      c->Brush()->SetColor(clYellow);
      c->Polygon({TPoint(1, 4), TPoint(6, 4), TPoint(7, 6), TPoint(14, 6), TPoint(14, 14), TPoint(1, 14)});
      break;
    case gSave:
      c->Brush()->SetColor(clNavy);
      c->Rectangle(1, 1, 15, 15);
      c->Brush()->SetColor(clWhite);
      c->FillRect(TRect(4, 2, 12, 7));
      c->Brush()->SetColor(clSilver);
      c->FillRect(TRect(5, 10, 11, 15));
      break;
    case gClose:
      c->Pen()->SetColor(clMaroon);
      c->Pen()->SetWidth(2);
      c->MoveTo(3, 3); c->LineTo(13, 13);
      c->MoveTo(13, 3); c->LineTo(3, 13);
      break;
    case gAddRow:
    case gDeleteRow:
      rows(1, 2, 15, 4, clGray);
      c->Brush()->SetColor(g == gAddRow ? clGreen : clRed);
      c->FillRect(TRect(9, 10, 16, 12));
      if (g == gAddRow) c->FillRect(TRect(12, 7, 14, 15));
      break;
    case gClear:
      sheet(2, 1, 14, 15);
      c->Brush()->SetColor(clFuchsia);
      c->FillRect(TRect(5, 7, 11, 10));
      break;
    case gCopy:
      sheet(1, 1, 10, 11);
      sheet(6, 5, 15, 15);
      break;
    case gPaste:
      c->Brush()->SetColor(clMaroon);
      c->Rectangle(2, 2, 12, 15);
      sheet(6, 6, 15, 15);
      break;
    case gCompress:
      rows(2, 1, 14, 2, clGray);
      rows(2, 11, 14, 2, clGray);
      c->Brush()->SetColor(clBlue);
      c->Polygon({TPoint(5, 6), TPoint(11, 6), TPoint(8, 9)});
      break;
    case gHigh:
    case gLow:
      c->Pen()->SetColor(g == gHigh ? clGreen : clRed);
      c->Pen()->SetWidth(2);
      if (g == gHigh) {
        c->MoveTo(1, 12); c->LineTo(6, 12); c->LineTo(6, 3); c->LineTo(15, 3);
      } else {
        c->MoveTo(1, 3); c->LineTo(6, 3); c->LineTo(6, 12); c->LineTo(15, 12);
      }
      break;
  }
}

// The main window's bus routines, for the message procedures.
class TMainWindowBus : public TExpertBus {
 public:
  uint8_t Start() override { return MainHost ? MainHost->I2CStart() : 255; }
  uint8_t Stop() override { return MainHost ? MainHost->I2CStop() : 255; }
  uint8_t Write(uint8_t Data) override { return MainHost ? MainHost->I2CWrite(Data) : 128; }
  uint8_t Read(uint8_t Last, uint8_t& Ack) override {
    if (!MainHost) {
      Ack = 128;
      return 0xFF;
    }
    return MainHost->I2CRead(Last, Ack);
  }
  void Trigger(bool High) override {
    if (MainHost) MainHost->Trigger(High);
  }
  void PulseLow() override {
    if (MainHost) MainHost->PulseLow();
  }
  void PulseHigh() override {
    if (MainHost) MainHost->PulseHigh();
  }
};

void ShowStatus(uint8_t Status) {
  if (MainHost) MainHost->ErrorMessage(Status);
}

}  // namespace

// ---------------------------------------------------------------- construction

TfrmMessage::TfrmMessage(TComponent* AOwner) : TForm(AOwner) {
  BeginLoading();
  SetName("frmMessage");
  SetCaption(FormCaption);
  SetPosition(poDefault);
  SetBounds(0, 0, 700, 470);
  SetShowHint(true);
  BuildMenu();
  BuildTools();
  BuildControls();
  BuildGrid();
  opnDialog = new TOpenDialog(this);
  opnDialog->SetName("opnDialog");
  opnDialog->SetDefaultExt("txt");
  opnDialog->SetFilter("Text Files (*.txt)|*.txt|All Files (*.*)|*.*");
  opnDialog->SetTitle("Open data file");
  opnDialog->SetOptions(ofHideReadOnly | ofFileMustExist | ofEnableSizing);
  savDialog = new TSaveDialog(this);
  savDialog->SetName("savDialog");
  savDialog->SetDefaultExt("txt");
  savDialog->SetFilter("Text files (*.txt)|*.txt|All files (*.*)|*.*");
  savDialog->SetOptions(ofOverwritePrompt | ofHideReadOnly | ofEnableSizing);
  OnCreate = [this](TObject* s) { FormCreate(s); };
  OnResize = [this](TObject* s) { FormResize(s); };
  OnClose = [this](TObject* s, TCloseAction& a) { FormClose(s, a); };
  OnCloseQuery = [this](TObject* s, bool& c) { FormCloseQuery(s, c); };
  // As every device window: no other window's result stays on the line.
  OnActivate = [](TObject*) {
    if (MainHost) MainHost->ResetWarning();
  };
  OnDestroy = [this](TObject* s) { FormDestroy(s); };
  EndLoading();
  // Last: an MDI child shows at once, and its creation handler needs the whole layout.
  SetFormStyle(fsMDIChild);
}

TfrmMessage::~TfrmMessage() {
  if (frmMessage == this) frmMessage = nullptr;
}

void TfrmMessage::BuildMenu() {
  mnuMain = new TMainMenu(this);
  mnuMain->SetName("mnuMain");
  mnuFile = Item(this, "mnuFile", "&File", nullptr);
  mnuNew = Item(this, "mnuNew", "New", [this](TObject* s) { btnNewClick(s); });
  mnuOpen = Item(this, "mnuOpen", "Open", [this](TObject* s) { mnuOpenClick(s); });
  mnuSave = Item(this, "mnuSave", "Save As..", [this](TObject* s) { mnuSaveClick(s); });
  mnuClose = Item(this, "mnuClose", "Close", [this](TObject* s) { mnuCloseClick(s); });
  mnuCloseAll = Item(this, "mnuCloseAll", "Close All", [this](TObject* s) { mnuCloseAllClick(s); });
  mnuExit = Item(this, "mnuExit", "Exit", [this](TObject* s) { mnuExitClick(s); });
  mnuFile->Add({mnuNew, mnuOpen, mnuSave, mnuClose, mnuCloseAll, mnuExit});
  mnuEdit = Item(this, "mnuEdit", "&Edit", nullptr);
  // File and Edit take the frame's first group; its Device, Options and Window menus stay.
  mnuEdit->SetGroupIndex(0);
  mnuAddRow = Item(this, "mnuAddRow", "Insert Row", [this](TObject* s) { btnAddRowClick(s); });
  mnuDeleteRow = Item(this, "mnuDeleteRow", "Delete Row", [this](TObject* s) { btnDeleteRowClick(s); });
  mnuClear = Item(this, "mnuClear", "Clear current message", [this](TObject* s) { mnuClearClick(s); });
  mnuCopy = Item(this, "mnuCopy", "Copy Row", [this](TObject* s) { btnCopyClick(s); });
  mnuPaste = Item(this, "mnuPaste", "Paste Row", [this](TObject* s) { btnPasteClick(s); });
  mnuCompact = Item(this, "mnuCompact", "Compact Rows", [this](TObject* s) { btnCompressClick(s); });
  mnuEdit->Add({mnuAddRow, mnuDeleteRow, mnuClear, mnuCopy, mnuPaste, mnuCompact});
  mnuMain->Items()->Add({mnuFile, mnuEdit});
  SetMenu(mnuMain);
}

void TfrmMessage::BuildTools() {
  pnlTools = new TPanel(this);
  pnlTools->SetName("pnlTools");
  pnlTools->SetParent(this);
  pnlTools->SetAlign(alTop);
  pnlTools->SetHeight(30);
  pnlTools->SetCaption("");
  pnlTools->SetBevelOuter(bvNone);
  int x = 4;
  auto tool = [&](const std::string& name, TGlyph g, const std::string& hint, TNotifyEvent click) {
    auto* b = new TSpeedButton(this);
    b->SetName(name);
    b->SetParent(pnlTools);
    b->SetBounds(x, 3, 25, 24);
    b->SetFlat(true);
    b->SetHint(hint);
    TBitmap bmp(16, 16);
    DrawGlyph(bmp.Canvas(), g);
    b->SetGlyph(&bmp);
    b->OnClick = std::move(click);
    x += 25;
    return b;
  };
  btnNew = tool("btnNew", gNew, "Open blank page", [this](TObject* s) { btnNewClick(s); });
  btnOpen = tool("btnOpen", gOpen, "Open File", [this](TObject* s) { mnuOpenClick(s); });
  btnSave = tool("btnSave", gSave, "Save As..", [this](TObject* s) { mnuSaveClick(s); });
  btnClose = tool("btnClose", gClose, "Close Expert Mode", [this](TObject* s) { mnuCloseClick(s); });
  x += 10;
  btnAddRow = tool("btnAddRow", gAddRow, "Insert Row", [this](TObject* s) { btnAddRowClick(s); });
  btnDeleteRow = tool("btnDeleteRow", gDeleteRow, "Delete Row", [this](TObject* s) { btnDeleteRowClick(s); });
  btnClear = tool("btnClear", gClear, "Clear current message (current row)", [this](TObject* s) { mnuClearClick(s); });
  btnCopy = tool("btnCopy", gCopy, "Copy Row", [this](TObject* s) { btnCopyClick(s); });
  btnPaste = tool("btnPaste", gPaste, "Paste Row", [this](TObject* s) { btnPasteClick(s); });
  btnCompress = tool("btnCompress", gCompress, "Compress Data", [this](TObject* s) { btnCompressClick(s); });
  x += 10;
  btnT0High = tool("btnT0High", gHigh, "Set Trigger Out High", [this](TObject* s) { btnT0HighClick(s); });
  btnT0Low = tool("btnT0Low", gLow, "Set Trigger Low", [this](TObject* s) { btnT0LowClick(s); });
}

void TfrmMessage::BuildGrid() {
  grdData = new TExtStringGrid(this);
  grdData->SetName("grdData");
  grdData->EnableWheel = false;  // a notch moves one row, as the base grid does
  grdData->SetParent(this);
  grdData->SetAlign(alClient);
  grdData->SetColCount(8);
  grdData->SetRowCount(InitialRows);
  grdData->SetFixedCols(2);
  grdData->SetFixedRows(1);
  grdData->SetDefaultRowHeight(18);
  // The columns keep their given widths; a condensed face fits their headers ("Msg #" in 30 pixels) and tokens.
  grdData->Font()->SetName(ExpertGridFont);
  grdData->Font()->SetHeight(-11);
  grdData->FixedFont()->SetName(ExpertGridFont);
  grdData->FixedFont()->SetHeight(-9);
  grdData->FixedFont()->SetStyle(TFontStyles());
  grdData->OnGetWordWrap = [](TObject*, int, int, bool& WordWrap) { WordWrap = false; };
  grdData->SetOptions(goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goRowSelect);
  grdData->Bands()->SetActive(true);
  const int widths[] = {30, 35, 53, 38, 200, 37, 38, 161};
  for (int c = 0; c < 8; ++c) grdData->SetColWidths(c, widths[c]);
  const char* headers[] = {"Msg #", "Start", "Address", "R/W", "Data", "Stop?", "Delay", "Notes"};
  for (int c = 0; c < 8; ++c) grdData->SetCells(c, 0, headers[c]);
  grdData->OnClick = [this](TObject* s) { grdDataClick(s); };
  grdData->OnDblClick = [this](TObject* s) { grdDataDblClick(s); };
  grdData->OnKeyDown = [this](TObject* s, WORD& k, TShiftState sh) { grdDataKeyDown(s, k, sh); };
}

void TfrmMessage::BuildControls() {
  pnlControls = new TPanel(this);
  pnlControls->SetName("pnlControls");
  pnlControls->SetParent(this);
  pnlControls->SetAlign(alBottom);
  pnlControls->SetHeight(84);
  pnlControls->SetCaption("");
  pnlControls->SetBevelOuter(bvNone);
  auto button = [&](const std::string& name, const std::string& caption, int l, int t, int w, TNotifyEvent click) {
    auto* b = new TButton(this);
    b->SetName(name);
    b->SetParent(pnlControls);
    b->SetBounds(l, t, w, 25);
    b->SetCaption(caption);
    b->OnClick = std::move(click);
    return b;
  };
  auto label = [&](const std::string& name, const std::string& caption, int l, int t, int w, TColor back) {
    auto* lb = new TLabel(this);
    lb->SetName(name);
    lb->SetParent(pnlControls);
    lb->SetAutoSize(false);
    lb->SetBounds(l, t, w, 21);
    lb->SetLayout(tlCenter);
    lb->SetAlignment(taCenter);
    lb->SetCaption(caption);
    if (back != clNone) {
      lb->SetTransparent(false);
      lb->SetColor(back);
    }
    return lb;
  };
  btnSendOne = button("btnSendOne", "Send Message", 6, 6, 100, [this](TObject* s) { btnSendOneClick(s); });
  btnSendAll = button("btnSendAll", "Send All", 112, 6, 80, [this](TObject* s) { btnSendAllClick(s); });
  edtRow = new TEdit(this);
  edtRow->SetName("edtRow");
  edtRow->SetParent(pnlControls);
  edtRow->SetBounds(198, 8, 120, 21);
  edtRow->SetReadOnly(true);
  edtRow->SetTabStop(false);
  edtRow->SetText("Active Msg. = 00");
  lblSending = label("lblSending", "Idle", 324, 8, 130, clNone);
  btnSequence = button("btnSequence", "Send Sequence", 6, 46, 100, [this](TObject* s) { btnSequenceClick(s); });
  edtSequence = new TEdit(this);
  edtSequence->SetName("edtSequence");
  edtSequence->SetParent(pnlControls);
  edtSequence->SetBounds(112, 48, 206, 21);
  edtSequence->SetReadOnly(true);
  edtSequence->SetMaxLength(192);
  edtSequence->SetText("01,02,03,04,05,06,07,08,09,10");
  edtSequence->OnDblClick = [this](TObject* s) { edtSequenceDblClick(s); };
  btnSendContinuous = button("btnSendContinuous", ContinuousIdle, 324, 46, 130,
                             [this](TObject* s) { btnSendContinuousClick(s); });
  lblTrigger = label("lblTrigger", "Input State unkown", 462, 4, 150, clYellow);
  btnRead = button("btnRead", "Read", 616, 2, 64, [this](TObject* s) { btnReadClick(s); });
  lblTriggerOut = label("lblTriggerOut", "Trigger Output High", 462, 30, 218, clGreen);
  lblTriggerOut->Font()->SetColor(clWhite);
  btnTriggerHigh = button("btnTriggerHigh", "Trigger Out High", 462, 55, 108, [this](TObject* s) { btnT0HighClick(s); });
  btnTriggerLow = button("btnTriggerLow", "Trigger Out Low", 572, 55, 108, [this](TObject* s) { btnT0LowClick(s); });
}

void TfrmMessage::FormCreate(TObject*) {
  Renumber();
  grdData->SetColWidths(ecStart, 35);
  Modified = false;
  FormResize(this);
}

void TfrmMessage::FormResize(TObject*) {
  if (!grdData) return;
  int rest = grdData->Width() - DataWidthReserve;
  for (int c : {ecAddress, ecRW, ecStop, ecDelay, ecNotes}) rest -= grdData->ColWidths(c);
  grdData->SetColWidths(ecData, std::max(rest, MinDataWidth));
}

// ---------------------------------------------------------------- rows

TExpertRow TfrmMessage::RowFields(int Row) const {
  return {grdData->Cells(ecAddress, Row), grdData->Cells(ecRW, Row),    grdData->Cells(ecData, Row),
          grdData->Cells(ecStop, Row),    grdData->Cells(ecDelay, Row), grdData->Cells(ecNotes, Row)};
}

void TfrmMessage::SetRowFields(int Row, const TExpertRow& f) {
  grdData->SetCells(ecAddress, Row, f.Address);
  grdData->SetCells(ecRW, Row, f.RW);
  grdData->SetCells(ecData, Row, f.Data);
  grdData->SetCells(ecStop, Row, f.Stop);
  grdData->SetCells(ecDelay, Row, f.Delay);
  grdData->SetCells(ecNotes, Row, f.Notes);
}

void TfrmMessage::Renumber() {
  for (int r = 1; r < grdData->RowCount(); ++r) {
    grdData->SetCells(ecNumber, r, std::to_string(r));
    grdData->SetCells(ecStart, r, "ST");
  }
}

void TfrmMessage::ResetTable() {
  if (editor_) editor_->RowsChanged(0, 0);
  grdData->SetRowCount(InitialRows);
  for (int r = 1; r < InitialRows; ++r) SetRowFields(r, TExpertRow());
  Renumber();
}

void TfrmMessage::btnAddRowClick(TObject*) {
  if (TableRefused()) return;
  const int at = grdData->Row() + 1;
  grdData->InsertRows(at, 1);
  SetRowFields(at, TExpertRow());
  if (editor_) editor_->RowsChanged(at, +1);
  Renumber();
  Modified = true;
}

void TfrmMessage::btnDeleteRowClick(TObject*) {
  if (TableRefused()) return;
  // The header and one message always stay.
  if (grdData->RowCount() <= 2) return;
  const int at = grdData->Row();
  grdData->RemoveRows(at, 1);
  if (editor_) editor_->RowsChanged(at, -1);
  Renumber();
  Modified = true;
}

void TfrmMessage::mnuClearClick(TObject*) {
  if (TableRefused()) return;
  for (int c = ecStart; c <= ecNotes; ++c) grdData->SetCells(c, grdData->Row(), "");
}

void TfrmMessage::btnCopyClick(TObject*) {
  const TExpertRow f = RowFields(grdData->Row());
  Universal_III::RowClipboard = {f.Address, f.RW, f.Data, f.Stop, f.Delay, f.Notes};
  Modified = true;
}

void TfrmMessage::btnPasteClick(TObject*) {
  if (TableRefused()) return;
  const auto& c = Universal_III::RowClipboard;
  SetRowFields(grdData->Row(), {c[0], c[1], c[2], c[3], c[4], c[5]});
  Modified = true;
}

void TfrmMessage::btnCompressClick(TObject*) {
  if (TableRefused()) return;
  for (int r = grdData->RowCount() - 1; r >= 1 && grdData->RowCount() > 2; --r) {
    if (!RowFields(r).Empty()) continue;
    grdData->RemoveRows(r, 1);
    if (editor_) editor_->RowsChanged(r, -1);
  }
  Renumber();
  Modified = true;
}

void TfrmMessage::grdDataClick(TObject*) { edtRow->SetText("Active Msg. = " + std::to_string(grdData->Row())); }

void TfrmMessage::grdDataDblClick(TObject*) {
  Modified = true;
  ShowEditor();
}

void TfrmMessage::grdDataKeyDown(TObject*, WORD& Key, TShiftState) {
  if ((Key >= '0' && Key <= '9') || (Key >= 'A' && Key <= 'F')) {
    Modified = true;
    ShowEditor();
  }
}

void TfrmMessage::ShowEditor() {
  if (!editor_) {
    editor_ = new TfrmEditor(this);
  }
  editor_->ShowFor(this);
}

void TfrmMessage::edtSequenceDblClick(TObject*) {
  if (!frmSequenceEditor) Application->CreateForm(frmSequenceEditor);
  frmSequenceEditor->ShowFor(this);
}

// ---------------------------------------------------------------- trigger and input

void TfrmMessage::SetTriggerOut(bool High) {
  if (Waits([this, High] { SetTriggerOut(High); })) return;
  if ((run_.Busy() && !round_) || !MainHost) return;
  TBusHoldLift own(round_ && roundHolds_);
  if (MainHost->BusRefused()) return;
  MainHost->Trigger(High);
  lblTriggerOut->SetCaption(High ? "Trigger Output High" : "Trigger Output Low");
  lblTriggerOut->SetColor(High ? clGreen : clRed);
}

void TfrmMessage::btnT0HighClick(TObject*) { SetTriggerOut(true); }

void TfrmMessage::btnT0LowClick(TObject*) { SetTriggerOut(false); }

void TfrmMessage::btnReadClick(TObject*) {
  if (!MainHost) return;
  const bool low = MainHost->InputState();
  lblTrigger->SetCaption(low ? "Input State Low" : "Input State High");
  lblTrigger->SetColor(low ? clRed : clGreen);
  lblTrigger->Font()->SetColor(clWhite);
}

// ---------------------------------------------------------------- sending

void TfrmMessage::Disable() {
  btnSendOne->OnClick = nullptr;
  btnSendAll->OnClick = nullptr;
  btnSequence->OnClick = nullptr;
}

void TfrmMessage::Enable() {
  btnSendOne->OnClick = [this](TObject* s) { btnSendOneClick(s); };
  btnSendAll->OnClick = [this](TObject* s) { btnSendAllClick(s); };
  btnSequence->OnClick = [this](TObject* s) { btnSequenceClick(s); };
}

void TfrmMessage::ShowFault(const std::string& Text) {
  if (!MainHost) return;
  MainHost->SetStatusText(Text);
  MainHost->Warning();
}

void TfrmMessage::SetSending(const std::string& Text) {
  lblSending->SetCaption(Text);
  lblSending->Repaint();
}

bool TfrmMessage::TableRefused() {
  if (!sending_) return false;
  MessageBeep(0);
  return true;
}

bool TfrmMessage::Prepare(int Row, TExpertMessage& Message, const char* Direction) {
  std::string error;
  TExpertRow fields = RowFields(Row);
  if (Direction) fields.RW = Direction;
  if (ParseExpertRow(fields, Message, error)) return true;
  ShowFault("  Msg # " + std::to_string(Row) + ": " + error);
  return false;
}

bool TfrmMessage::CheckRows(const std::vector<int>& Rows, std::vector<TExpertMessage>& Messages) {
  Messages.assign(Rows.size(), TExpertMessage());
  for (size_t i = 0; i < Rows.size(); ++i)
    if (!Prepare(Rows[i], Messages[i])) return false;
  return true;
}

uint8_t TfrmMessage::Transfer(int Row, const TExpertMessage& Message) {
  TMainWindowBus bus;
  uint8_t status;
  if (!Message.Read) {
    Disable();
    struct TEnableAgain {
      TfrmMessage* f;
      ~TEnableAgain() { f->Enable(); }
    } again{this};
    status = SendExpertWrite(bus, Message);
  } else {
    std::vector<uint8_t> bytes;
    status = ReceiveExpertRead(bus, Message, bytes);
    grdData->SetCells(ecData, Row, ExpertReadData(Message, bytes));
  }
  // A message without its stop leaves the bus held for the next one, a read whose address failed too.
  busHeld_ = !Message.Stop && (status == 0 || (Message.Read && status == 1));
  ShowStatus(status);
  return status;
}

uint8_t TfrmMessage::SendMessage(int Row) { return SendRow(Row, "Write"); }

uint8_t TfrmMessage::ReceiveMessage(int Row) { return SendRow(Row, "Read"); }

uint8_t TfrmMessage::SendRow(int Row, const char* Direction) {
  uint8_t status = I2CRefused;
  if (Row < 1 || Row >= grdData->RowCount()) return status;
  RunOnce([&] {
    TExpertMessage m;
    if (Prepare(Row, m, Direction)) status = Transfer(Row, m);
  });
  return status;
}

void TfrmMessage::RunOnce(const std::function<void()>& Body) {
  if (!MainHost) return;
  if (round_) {
    // The continuous run's round: the send buttons are live again, also where the run holds a
    // bus its last message left without a stop (the hold keeps only other windows off). The run
    // goes on after this send returns and frees a closed window itself; no send nests in this one.
    TBusHoldLift own(roundHolds_);
    if (MainHost->BusRefused()) return;
    TFlagScope nested(round_, false);
    TFlagScope freeze(sending_, true);
    Body();
    return;
  }
  if (MainHost->BusRefused()) return;
  {
    TRunScope scope(run_);
    if (!scope.Acquired()) return;
    TFlagScope freeze(sending_, true);
    Body();
  }
  // A close that came meanwhile (the warning flash takes messages) frees the window now.
  if (closing_)
    ReleaseWhenIdle();
  else
    TakeWaiting();
}

// Under a busy wait a click in a delay stayed in the queue until the run took messages again;
// here the delay takes messages, so the click is kept until then instead of being refused.
bool TfrmMessage::Waits(std::function<void()> Click) {
  if (!delaying_) return false;
  waiting_.push_back(std::move(Click));
  return true;
}

void TfrmMessage::TakeWaiting() {
  while (!waiting_.empty() && !Closing()) {
    auto click = std::move(waiting_.front());
    waiting_.erase(waiting_.begin());
    click();
  }
  if (Closing()) waiting_.clear();
}

void TfrmMessage::btnSendOneClick(TObject*) {
  const int row = grdData->Row();
  if (Waits([this, row] { SendOne(row); })) return;
  SendOne(row);
}

void TfrmMessage::SendOne(int Row) {
  if (Row < 1 || Row >= grdData->RowCount() || grdData->Cells(ecAddress, Row).empty()) return;
  RunOnce([&] {
    TExpertMessage m;
    if (Prepare(Row, m)) Transfer(Row, m);
  });
}

bool TfrmMessage::SequenceRows(std::vector<int>& Rows) {
  std::vector<int> entries;
  std::string error;
  if (!ParseExpertSequence(edtSequence->Text(), entries, error)) {
    ShowFault(ExpertInvalidSequence);
    return false;
  }
  Rows = entries;
  return true;
}

bool TfrmMessage::Pass(bool Sequence) {
  TFlagScope freeze(sending_, true);
  // The rows to send, all checked before the first start.
  std::vector<int> order;
  if (Sequence) {
    if (!SequenceRows(order)) return false;
  } else {
    for (int r = 1; r < grdData->RowCount(); ++r) order.push_back(r);
  }
  std::vector<int> sent;
  for (int r : order)
    if (r >= 1 && r < grdData->RowCount() && !grdData->Cells(ecData, r).empty()) sent.push_back(r);
  std::vector<TExpertMessage> messages;
  if (!CheckRows(sent, messages)) return false;

  size_t k = 0;
  for (size_t i = 0; i < order.size(); ++i) {
    const int r = order[i];
    const bool sends = k < sent.size() && sent[k] == r;
    if (sends) {
      if (!Sequence) SetSending("Sending Msg # " + std::to_string(r));
      const TExpertMessage& m = messages[k++];
      if (Transfer(r, m) != 0) return false;
      grdData->Repaint();
      if (m.DelayMs > 0 && !Delay(m.DelayMs)) return false;
    }
    if (Sequence) SetSending("Sending Msg # " + std::to_string(i + 1));
  }
  if (!Sequence) SetSending("Done");
  return true;
}

bool TfrmMessage::Delay(uint64_t Milliseconds) {
  bool cut;
  {
    // The window stays drawn and the bus stays this run's, a message without its stop included.
    // A click on Stop Sequencing is seen only after the pass; a close ends the pass here.
    TBusHold hold;
    TFlagScope waiting(delaying_, true);
    PauseProcessingMessages(Milliseconds, [this] { return Closing(); });
    cut = Closing();
  }
  if (cut) EndHeldMessage();
  return !cut;
}

void TfrmMessage::EndHeldMessage() {
  // The bus is never left held by a run that has ended, nor by a window that is gone.
  if (busHeld_ && MainHost) MainHost->I2CStop();
  busHeld_ = false;
}

bool TfrmMessage::Closing() const { return closing_ || (Application && Application->Terminated()); }

bool TfrmMessage::Ending() const {
  return Closing() || (continuous_ && btnSendContinuous->Caption() != ContinuousRunning);
}

void TfrmMessage::btnSendAllClick(TObject*) {
  if (Waits([this] { btnSendAllClick(nullptr); })) return;
  RunOnce([this] { Pass(false); });
}

void TfrmMessage::btnSequenceClick(TObject*) {
  if (Waits([this] { btnSequenceClick(nullptr); })) return;
  RunOnce([this] { Pass(true); });
}

void TfrmMessage::btnSendContinuousClick(TObject*) {
  if (continuous_) {
    // A click during the run: the caption is the run's flag.
    btnSendContinuous->SetCaption(ContinuousIdle);
    return;
  }
  if (run_.Busy() || !MainHost || MainHost->BusRefused()) return;
  ContinuousSequence();
}

void TfrmMessage::ContinuousSequence() {
  {
    TRunScope scope(run_, [this] {
      btnSendContinuous->SetCaption(ContinuousIdle);
      continuous_ = false;
    });
    if (!scope.Acquired()) return;
    continuous_ = true;
    btnSendContinuous->SetCaption(ContinuousRunning);
    btnSendContinuous->Repaint();
    while (Pass(true)) {
      {
        // Between passes other windows may use the bus, unless a message left it without its stop.
        TBusHold hold(busHeld_);
        TFlagScope holds(roundHolds_, busHeld_);
        TFlagScope round(round_, true);
        TakeWaiting();
        Application->ProcessMessages();
      }
      if (Ending()) break;
    }
  }
  // A close that came during the run frees the window now that its loop has returned.
  if (closing_)
    ReleaseWhenIdle();
  else
    TakeWaiting();
}

// ---------------------------------------------------------------- files

bool TfrmMessage::SaveTo(const std::string& FileName) {
  std::vector<TExpertRow> rows;
  for (int r = 1; r < grdData->RowCount(); ++r) rows.push_back(RowFields(r));
  try {
    SaveFileAtomically(FileName, WriteExpertFile(rows, edtSequence->Text()));
  } catch (Exception& e) {
    MessageDlg("The file was not saved: " + e.Message(), mtError, mbOK, 0);
    return false;
  }
  Modified = false;
  SetCaption(ExtractFileName(FileName));
  if (MainHost) MainHost->InvalidateStatusBar();
  return true;
}

bool TfrmMessage::SaveAs() {
  if (!savDialog->Execute()) return false;
  return SaveTo(savDialog->FileName());
}

void TfrmMessage::mnuSaveClick(TObject*) { SaveAs(); }

bool TfrmMessage::QuerySave(bool WithCancel) {
  if (!Modified) return true;
  // Nobody could tell which table the question means over another window.
  RestoreFromMinimized();
  BringToFront();
  switch (MessageDlg("Save changes?", mtConfirmation, WithCancel ? mbYesNoCancel : mbYesNo, 0)) {
    case mrYes: return SaveAs();
    case mrNo: return true;
    default: return false;
  }
}

bool TfrmMessage::LoadFile(const std::string& FileName) {
  std::string bytes;
  try {
    bytes = LoadRegularFileBytes(FileName, FileReadLimit);
  } catch (Exception& e) {
    MessageDlg("The file could not be read: " + e.Message(), mtError, mbOK, 0);
    return false;
  }
  TExpertFile file;
  std::string error;
  if (!ReadExpertFile(bytes, file, error)) {
    if (MainHost) {
      MainHost->SetStatusText(std::string(ExpertInvalidFile) + ": " + error);
      MainHost->Warning();
    }
    return false;
  }
  if (editor_) editor_->RowsChanged(0, 0);
  const int n = std::max<int>(1, static_cast<int>(file.Rows.size()));
  grdData->SetRowCount(n + 1);
  for (int r = 1; r <= n; ++r) SetRowFields(r, r - 1 < static_cast<int>(file.Rows.size()) ? file.Rows[r - 1] : TExpertRow());
  Renumber();
  if (file.HasSequence) edtSequence->SetText(file.Sequence);
  SetCaption(ExtractFileName(FileName));
  Modified = false;
  if (MainHost) MainHost->InvalidateStatusBar();
  return true;
}

void TfrmMessage::mnuOpenClick(TObject*) {
  if (TableRefused()) return;
  if (!QuerySave(false)) return;
  if (!opnDialog->Execute()) return;
  LoadFile(opnDialog->FileName());
}

void TfrmMessage::btnNewClick(TObject*) {
  if (TableRefused()) return;
  const bool asked = Modified;
  if (!QuerySave()) return;
  // After No the table stays marked modified, so the next close asks again.
  if (!asked) SetCaption(FormCaption);
  ResetTable();
}

// ---------------------------------------------------------------- closing

void TfrmMessage::FormCloseQuery(TObject*, bool& CanClose) {
  if (closing_) return;  // asked once already; the run is ending
  CanClose = QuerySave();
}

void TfrmMessage::FormClose(TObject*, TCloseAction& Action) {
  if (run_.Busy()) {
    // Stop the run; the window goes once its loop has returned.
    closing_ = true;
    btnSendContinuous->SetCaption(ContinuousIdle);
    Action = caNone;
    return;
  }
  Action = caFree;
  released_ = true;
  if (editor_) editor_->Hide();
}

void TfrmMessage::ReleaseWhenIdle() {
  waiting_.clear();
  if (released_) return;
  released_ = true;
  if (editor_) editor_->Hide();
  Release();
}

void TfrmMessage::mnuCloseClick(TObject*) { Close(); }

void TfrmMessage::mnuCloseAllClick(TObject*) {
  if (!MainHost) return;
  MainHost->CloseMDIChildren();
  MainHost->ResetWarning();
}

void TfrmMessage::mnuExitClick(TObject*) {
  // The frame asks every window, this one included, before the program ends.
  if (MainHost)
    MainHost->Close();
  else if (Application)
    Application->Terminate();
}

void TfrmMessage::FormDestroy(TObject*) {
  EndHeldMessage();
  if (frmSequenceEditor) frmSequenceEditor->Forget(this);
  if (MainHost) MainHost->ResetWarning();
  if (frmMessage == this) frmMessage = nullptr;
}

void ShowExpertWindow() {
  if (!frmMessage) Application->CreateForm(frmMessage);
  frmMessage->Show();
  frmMessage->BringToFront();
}
