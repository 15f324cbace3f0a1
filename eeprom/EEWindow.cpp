#include "eeprom/EEWindow.h"

#include <algorithm>

#include "app/bus/ByteText.h"
#include "app/bus/MainHost.h"
#include "eeprom/EEBusOps.h"
#include "eeprom/EEFiles.h"
#include "eeprom/EEMainBus.h"
#include "platform/gui/WinWindow.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/Win1252.h"

namespace {

constexpr int kButtonW = 76, kButtonH = 25, kHelpButtons = 3570;
constexpr int kBarWidth = 139;
// What the hex grid keeps of its width (label column, two bytes, lines, scroll bar) and what
// the ASCII grid keeps of its when the window is narrower than both.
constexpr int kMinHexWidth = 100, kMinTextWidth = 60;

TLabel* MakeLabel(TWinControl* Parent, const std::string& Name, const std::string& Caption, int X, int Y) {
  auto* l = new TLabel(Parent->Owner());
  l->SetName(Name);
  l->SetParent(Parent);
  l->SetCaption(Caption);
  l->SetBounds(X, Y, 0, 14);
  l->SetAutoSize(true);
  return l;
}

TEdit* MakeEdit(TWinControl* Parent, const std::string& Name, const std::string& Text, int MaxLength, int X, int Y,
                int W) {
  auto* e = new TEdit(Parent->Owner());
  e->SetName(Name);
  e->SetParent(Parent);
  e->SetBounds(X, Y, W, 21);
  e->SetCharCase(ecUpperCase);
  e->SetMaxLength(MaxLength);
  e->SetText(Text);
  return e;
}

TInstDemoButton* MakeButton(TWinControl* Parent, const std::string& Name, const std::string& Caption,
                            const std::string& Hint, int Y) {
  TInstDemoButton* b =
      NewEEButton(Parent->Owner(), Parent, Name, Caption, Hint, (kBarWidth - kButtonW) / 2, Y, kButtonW, kButtonH);
  ButtonControl(b)->SetHelpContext(kHelpButtons);
  return b;
}

TMenuItem* MenuItem(TComponent* Owner, const std::string& Name, const std::string& Caption) {
  auto* m = new TMenuItem(Owner);
  m->SetName(Name);
  m->SetCaption(Caption);
  return m;
}

}  // namespace

bool EEPrintableKey(char Key) {
  const auto k = static_cast<unsigned char>(Key);
  return (k >= 32 && k <= 126) || k >= 128;
}

// The setup panel's texture: a fine grain in the face colour, tiled over the panel body.
void PaintSetupTexture(TBitmap& Tile) {
  constexpr int kTile = 32;
  Tile.SetPixelFormat(pf24bit);
  Tile.SetSize(kTile, kTile);
  const int32_t face = ColorToRGB(clBtnFace);
  for (int y = 0; y < kTile; ++y)
    for (int x = 0; x < kTile; ++x) {
      const unsigned h = (static_cast<unsigned>(x) * 73856093u) ^ (static_cast<unsigned>(y) * 19349663u);
      const int d = static_cast<int>((h >> 7) % 9) - 4 - (((x + y) % 8) == 0 ? 5 : 0);
      auto ch = [&](int shift) { return std::clamp(((face >> shift) & 0xFF) + d, 0, 255); };
      Tile.Canvas()->SetPixels(x, y, RGB(ch(0), ch(8), ch(16)));
    }
}

void SetAddressChoices(TInspectorItem* Item, const std::vector<std::string>& Addresses) {
  Item->Values()->Clear();
  for (const std::string& a : Addresses) Item->Values()->Add(a);
  if (!Addresses.empty()) Item->SetTextValue(Addresses.front());
}

// ---------------------------------------------------------------- construction

TEEWindow::TEEWindow(TComponent* AOwner, bool Large) : TForm(AOwner), large_(Large) {
  BeginLoading();
  SetFormStyle(fsMDIChild);
  SetKeyPreview(true);
  BuildLayout();
  OnKeyPress = [this](TObject* s, char& k) { FormKeyPress(s, k); };
  OnKeyDown = [this](TObject* s, WORD& k, TShiftState sh) { FormKeyDown(s, k, sh); };
  EndLoading();
}

TEEWindow::~TEEWindow() = default;

void TEEWindow::BuildLayout() {
  if (large_) {
    SetBounds(0, 0, 720, 542);
    Font()->SetName("Arial");
    Font()->SetHeight(-11);
    SetPosition(poDesktopCenter);
  } else {
    SetBounds(0, 0, 782, 547);
    Font()->SetName("Tahoma");
    Font()->SetHeight(-12);
    SetPosition(poScreenCenter);
    SetHelpContext(170);
  }
  SetWindowState(wsMaximized);

  BuildSetupBar();
  BuildControls();

  stgMemory = new TExtStringGrid(this);
  stgMemory->SetName("stgMemory");
  stgMemory->SetParent(this);
  stgMemory->SetLeft(sbxSetup->Width() + 1);
  stgMemory->SetAlign(alLeft);
  stgMemory->SetColCount(17);
  stgMemory->SetRowCount(2);
  stgMemory->SetFixedCols(1);
  stgMemory->SetFixedRows(1);
  stgMemory->SetDefaultColWidth(20);
  stgMemory->SetDefaultRowHeight(20);
  stgMemory->SetColWidths(0, large_ ? 28 : 21);
  stgMemory->SetOptions(goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goRangeSelect |
                        goDrawFocusSelected | goEditing | goTabs);
  // Two digits always fit a 20-pixel column; never wrap them.
  stgMemory->SetWordWrap(false);
  stgMemory->SetHint("Enter a single two digit Hex number into each cell");
  stgMemory->SetShowHint(true);
  // Wide enough for the label column, 16 byte columns, the lines, the border and a scroll bar.
  hexWidth_ = (large_ ? 28 : 21) + 16 * 20 + 17 + 4 + 18;
  stgMemory->SetWidth(hexWidth_);

  Splitter1 = new TSplitter(this);
  Splitter1->SetName("Splitter1");
  Splitter1->SetParent(this);
  Splitter1->SetAlign(alLeft);
  Splitter1->SetBounds(stgMemory->Left() + stgMemory->Width() + 1, 0, 2, Splitter1->Height());
  Splitter1->OnMoved = [this](TObject*) { hexWidth_ = stgMemory->Width(); };

  stgText = new TExtStringGrid(this);
  stgText->SetName("stgText");
  stgText->SetParent(this);
  stgText->SetAlign(alClient);
  stgText->SetColCount(16);
  stgText->SetRowCount(2);
  stgText->SetFixedCols(0);
  stgText->SetFixedRows(1);
  stgText->SetDefaultColWidth(15);
  // Without a fixed column the first cell is column 0.
  stgText->SetLeftCol(0);
  stgText->SetCol(0);
  stgText->SetDefaultRowHeight(20);
  stgText->SetOptions(goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goDrawFocusSelected |
                      goEditing | goTabs);
  stgText->SetWordWrap(false);
  stgText->SetHint("Enter a single ASCII character into each cell");
  stgText->SetShowHint(true);

  BuildMenu();
  WireGrids();
  SetActiveControl(stgMemory);
  sbxSetup->OnResize = [this](TObject*) { FitLayout(); };
  FitLayout();
}

int TEEWindow::SetupRowsHeight() const {
  int h = 0;
  for (const TInspLayoutPanel& p : InspectorBar->LayoutPanels()) {
    if (!p.Visible) continue;
    h += InspectorBar->PanelCaption()->Height();
    if (!p.Open) continue;
    for (int r : p.Rows) h += std::max(0, r);
  }
  return h;
}

void TEEWindow::Resize() {
  TForm::Resize();
  FitLayout();
}

void TEEWindow::FitLayout() {
  if (fitting_ || !sbxSetup || !InspectorBar || !pnlControls || !stgMemory || !Splitter1) return;
  fitting_ = true;
  // One line between the last row and the first control.
  const int need = SetupRowsHeight() + 1 + pnlControls->Height();
  const int bar = GetSystemMetrics(SM_CXVSCROLL);
  const int boxWidth = std::max(0, std::min(kBarWidth + (sbxSetup->Height() < need ? bar : 0), ClientWidth()));
  if (sbxSetup->Width() != boxWidth) sbxSetup->SetWidth(boxWidth);
  // A box narrower than the bar shows its horizontal scroll bar, which takes from the height.
  const int view = sbxSetup->Height() - (boxWidth < kBarWidth + (sbxSetup->Height() < need ? bar : 0) ? bar : 0);
  InspectorBar->SetBounds(0, 0, kBarWidth, std::max(view, need));
  const int room = std::max(0, ClientWidth() - sbxSetup->Width() - Splitter1->Width());
  const int hex = std::min(hexWidth_, std::max(room - kMinTextWidth, std::min(kMinHexWidth, room)));
  if (stgMemory->Width() != hex) stgMemory->SetWidth(hex);
  sbxSetup->UpdateScrollRange();
  fitting_ = false;
}

void TEEWindow::BuildSetupBar() {
  sbxSetup = new TScrollBox(this);
  sbxSetup->SetName("sbxSetup");
  sbxSetup->SetParent(this);
  sbxSetup->SetAlign(alLeft);
  sbxSetup->SetBorderStyle(bsNone);
  sbxSetup->SetWidth(kBarWidth);
  sbxSetup->VertScrollBar()->Increment = 24;  // a row of the bar
  InspectorBar = new TInspectorBar(this);
  InspectorBar->SetName("InspectorBar");
  InspectorBar->SetParent(sbxSetup);
  InspectorBar->SetAlign(alNone);  // the window sizes it to what it holds
  InspectorBar->SetBounds(0, 0, kBarWidth, 542);
  InspectorBar->SetMode(imSinglePanelActive);
  InspectorBar->SetAutoAdvance(true);
  TInspectorCaption* cap = InspectorBar->PanelCaption();
  cap->SetColor(RGB(120, 130, 150));
  cap->SetShadeType(stRMetal);
  cap->SetAlignment(taCenter);
  // The one panel is the active one: its caption takes ActiveFont.
  for (TFont* f : {cap->Font(), cap->ActiveFont()}) {
    f->SetName("Tahoma");
    f->SetHeight(-13);
    f->SetColor(clWhite);
    f->SetStyle(fsBold);
  }

  TInspectorPanel* p = InspectorBar->Panels()->Add();
  p->SetCaption("Device Setup");
  p->SetStyle(psProperties);
  p->SetGridLines(true);
  p->SetCaptionWidth(70);
  p->SetEditBox(true);
  p->SetWordWrap(true);
  p->SetColor(clBtnFace);
  p->SetBackground(pbTexture);
  TBitmap texture;
  PaintSetupTexture(texture);
  p->SetTexture(&texture);
  p->SetVariableItemHeight(true);
  p->SetItemHeight(36);
  p->SetMultiPanelState(mpsOpen);
  struct {
    const char* Caption;
    TPropertyType Type;
    const char* Value;
    bool ReadOnly;
  } rows[] = {{"Device Size", ptInteger, "0", true},
              {"Address", ptValues, "A0", false},
              {"Page Size", ptValuesList, "8", false},
              {"Write Time", ptIntSpin, "50", false}};
  for (const auto& r : rows) {
    TInspectorItem* it = p->Items()->Add();
    it->SetCaption(r.Caption);
    it->SetPropertyType(r.Type);
    it->SetTextValue(r.Value);
    it->SetReadOnly(r.ReadOnly);
    it->SetHeight(24);
  }
  SetAddressChoices(SetupItem(esAddress), {"A0", "A2", "A4", "A6", "A8", "AA", "AC", "AE"});
  TInspectorItem* page = SetupItem(esPageSize);
  for (int v : large_ ? std::vector<int>{1, 8, 16, 32, 64, 128} : std::vector<int>{1, 8, 16, 32})
    page->Values()->Add(std::to_string(v));
  TInspectorItem* time = SetupItem(esWriteTime);
  time->SetIntValue(50);
  // The write-cycle wait: 0 would skip it, and the memory-image field holds 16 bits.
  time->SetSpinMin(1);
  time->SetSpinMax(65535);
  // The bar stores what was typed; the window checks every committed value.
  InspectorBar->OnEditUpdate = [this](TObject*, TInspectorPanel*, TInspectorItem* Item) { SettingCommitted(Item); };
}

void TEEWindow::BuildControls() {
  pnlControls = new TPanel(this);
  pnlControls->SetName("pnlControls");
  pnlControls->SetParent(InspectorBar);
  pnlControls->SetAlign(alBottom);
  pnlControls->SetHeight(372);
  pnlControls->SetBevelOuter(bvNone);
  pnlControls->SetParentFont(false);
  pnlControls->Font()->SetName("Arial");
  pnlControls->Font()->SetHeight(-11);
  pnlControls->SetCaption("");

  // The caption ends where the address begins, whatever the font.
  lblWordAddress1 = MakeLabel(pnlControls, "lblWordAddress1", "Byte Address = 0x", 0, 4);
  lblWordAddress1->SetAutoSize(false);
  lblWordAddress1->SetAlignment(taRightJustify);
  lblWordAddress1->SetWidth(103);
  lblWordAddress = MakeLabel(pnlControls, "lblWordAddress", "000", 104, 4);

  btnReadOne = MakeButton(pnlControls, "btnReadOne", "Read &Byte", "Read the byte defined by Byte Address", 22);
  btnRead = MakeButton(pnlControls, "btnRead", "&Read All", "Read entire EEPROM", 49);
  btnWriteOne = MakeButton(pnlControls, "btnWriteOne", "Write B&yte", "Write byte defined by Word", 76);
  btnWrite = MakeButton(pnlControls, "btnWrite", "&Write All", "Write entire EEPROM", 103);
  btnVerify = MakeButton(pnlControls, "btnVerify", "Verify", "Verify EE contents against data in grid", 130);

  const char* fillNames[] = {"edtFillFrom", "edtFillTo", "edtFillWith", "edtFrom", "edtTo", "edtPreset"};
  const char* fillLabels[] = {" Fill from", " Fill to", " Fill with"};
  const char* fillTexts[] = {"0", "F", "FF"};
  const int fillLengths[] = {3, 3, 2};
  TEdit** fill[] = {&FillFrom, &FillTo, &FillWith};
  for (int i = 0; i < 3; ++i) {
    const int y = 162 + i * 23;
    MakeLabel(pnlControls, std::string("lbl") + (fillNames[i] + 3), fillLabels[i], 6, y + 3);
    *fill[i] = MakeEdit(pnlControls, fillNames[(large_ ? 0 : 3) + i], fillTexts[i], fillLengths[i], 72, y, 58);
  }
  btnFill = MakeButton(pnlControls, "btnFill", "Fill Buffer", "Fill address range with value", 233);

  MakeLabel(pnlControls, "lblCopyFrom", "Copy from", 8, 264);
  MakeLabel(pnlControls, "lblCopyTo", "Copy to", 8, 302);
  const char* copyNames[] = {"edtCopyStart", "edtCopyEnd", "edtTargetStart", "edtTargetEnd",
                             "edtStart",     "edtEnding",  "edtTarget",      "edtEndTarget"};
  const int m = large_ ? 0 : 4;
  CopyStart = MakeEdit(pnlControls, copyNames[m], "0", 4, 8, 278, 58);
  CopyEnd = MakeEdit(pnlControls, copyNames[m + 1], "7", 4, 72, 278, 58);
  TargetStart = MakeEdit(pnlControls, copyNames[m + 2], "8", 4, 8, 316, 58);
  TargetEnd = MakeEdit(pnlControls, copyNames[m + 3], "F", 4, 72, 316, 58);
  TargetEnd->SetReadOnly(true);
  s_ = 0, e_ = 7, t_ = 8;  // the form's texts
  btnCopy = MakeButton(pnlControls, "btnCopy", "Copy Block", "Copy from one block of addresses to another", 343);

  ReadOneClick = [this](TObject* s) { btnReadOneClick(s); };
  ReadClick = [this](TObject* s) { btnReadClick(s); };
  WriteOneClick = [this](TObject* s) { btnWriteOneClick(s); };
  WriteClick = [this](TObject* s) { btnWriteClick(s); };
  ButtonControl(btnReadOne)->OnClick = ReadOneClick;
  ButtonControl(btnRead)->OnClick = ReadClick;
  ButtonControl(btnWriteOne)->OnClick = WriteOneClick;
  ButtonControl(btnWrite)->OnClick = WriteClick;
  ButtonControl(btnVerify)->OnClick = [this](TObject* s) { btnVerifyClick(s); };
  ButtonControl(btnFill)->OnClick = [this](TObject* s) { btnFillClick(s); };
  ButtonControl(btnCopy)->OnClick = [this](TObject* s) { btnCopyClick(s); };
  CopyStart->OnExit = [this](TObject* s) { CopyStartExit(s); };
  CopyEnd->OnExit = [this](TObject* s) { CopyEndExit(s); };
  TargetStart->OnExit = [this](TObject* s) { TargetExit(s); };
}

void TEEWindow::BuildMenu() {
  WindowMenu = new TMainMenu(this);
  WindowMenu->SetName(large_ ? "mnuMenu" : "MainMenu1");
  mnuFileMenu = MenuItem(this, "mnuFile", large_ ? "File" : "&File");
  // The window's File and Edit menus stand in for the frame's File menu while it is active.
  mnuFileMenu->SetGroupIndex(0);
  mnuOpen = MenuItem(this, "mnuOpen", "Open");
  mnuSaveAs = MenuItem(this, large_ ? "mnuEESaveAs" : "mnuSaveAs", "Save As...");
  mnuClose = MenuItem(this, "mnuClose", "Close");
  mnuCloseAll = MenuItem(this, "mnuCloseAll", "Close All");
  mnuExit = MenuItem(this, "mnuExit", "E&xit");
  mnuCheckerboard = MenuItem(this, "mnuCheckerboard", large_ ? "Fill with Checkerboard Pattern" : "Checkerboard");
  mnuInvCheckerboard = MenuItem(this, large_ ? "mnuInvCheckerboard" : "mnuInvCheckerBoard",
                                large_ ? "Fill with Inverted Checkerboard Pattern" : "Inverted Checkerboard");
  mnuEditMenu = MenuItem(this, "mnuEdit", "Edit");
  mnuEditMenu->SetGroupIndex(0);
  mnuGoto = MenuItem(this, "mnuGoto", large_ ? "Go To Byte ..." : "Go To ...");
  if (large_) {
    mnuFileMenu->Add({mnuOpen, mnuSaveAs, mnuClose, mnuCloseAll, mnuExit});
    mnuEditMenu->Add({mnuGoto, mnuCheckerboard, mnuInvCheckerboard});
  } else {
    mnuFileMenu->SetHelpContext(40);
    mnuFileMenu->Add({mnuOpen, mnuSaveAs, mnuCheckerboard, mnuInvCheckerboard, mnuClose, mnuCloseAll, mnuExit});
    mnuEditMenu->Add(mnuGoto);
  }
  WindowMenu->Items()->Add({mnuFileMenu, mnuEditMenu});
  SetMenu(WindowMenu);
  mnuOpen->OnClick = [this](TObject* s) { mnuOpenClick(s); };
  mnuSaveAs->OnClick = [this](TObject* s) { SaveAsClick(s); };
  mnuClose->OnClick = [this](TObject* s) { mnuCloseClick(s); };
  mnuCloseAll->OnClick = [this](TObject* s) { mnuCloseAllClick(s); };
  mnuExit->OnClick = [this](TObject* s) { mnuExitClick(s); };
  mnuCheckerboard->OnClick = [this](TObject* s) { mnuCheckerboardClick(s); };
  mnuInvCheckerboard->OnClick = [this](TObject* s) { mnuInvCheckerboardClick(s); };
}

void TEEWindow::WireGrids() {
  stgMemory->OnGetEditMask = [](TObject*, int, int, std::string& v) { v = ">CC"; };
  stgText->OnGetEditMask = [](TObject*, int, int, std::string& v) { v = "C"; };
  // A cell edit ends when another cell is selected; the label follows the cell clicked or moved to.
  stgMemory->OnSelectCell = [this](TObject*, int, int, bool&) { pending_ = {}; };
  stgText->OnSelectCell = [this](TObject*, int, int, bool&) { pending_ = {}; };
  stgMemory->OnClick = [this](TObject*) { HexSelect(stgMemory->Col(), stgMemory->Row()); };
  stgText->OnClick = [this](TObject*) { TextSelect(stgText->Col(), stgText->Row()); };
  stgMemory->OnSetEditText = [this](TObject*, int c, int r, const std::string& v) { HexEditText(c, r, v); };
  stgMemory->OnCellValidate = [this](TObject*, int c, int r, std::string& v, bool& ok) { HexValidate(c, r, v, ok); };
  stgMemory->OnKeyDown = [this](TObject*, WORD& k, TShiftState) { HexKeyDown(k); };
  stgText->OnKeyPress = [this](TObject*, char& k) { TextKeyPress(k); };
  stgText->OnCellValidate = [this](TObject*, int c, int r, std::string& v, bool& ok) { TextValidate(c, r, v, ok); };
  // Two digits or one character, centred, in a face small enough for the 20-pixel columns.
  for (TExtStringGrid* g : {stgMemory, stgText}) {
    g->EnableWheel = false;  // a notch moves one row, as the base grid does
    g->SetParentFont(false);
    g->Font()->SetName("Arial");
    g->Font()->SetHeight(-11);
  }
  for (TExtStringGrid* g : {stgMemory, stgText})
    g->OnGetAlignment = [](TObject*, int, int, TAlignment& h, TVAlignment& v) {
      h = taCenter;
      v = vtaCenter;
    };
  stgMemory->OnTopLeftChanged = [this](TObject*) { SyncTop(stgMemory, stgText); };
  stgText->OnTopLeftChanged = [this](TObject*) { SyncTop(stgText, stgMemory); };
}

// ---------------------------------------------------------------- image

TInspectorItem* TEEWindow::SetupItem(TEESetupRow Row) const {
  return InspectorBar->Panels()->Items(0)->Items()->Items(static_cast<int>(Row));
}

int TEEWindow::DeviceSize() const {
  int v = 0;
  if (!TryStrToInt(Trim(SetupItem(esDeviceSize)->TextValue()), v) || v < 0) return 0;
  return v;
}

void TEEWindow::SetUpGrids(int Size, bool SetColumnWidths) {
  const int rows = Size / 16 + 1;
  stgMemory->BeginUpdate();
  stgText->BeginUpdate();
  stgMemory->SetRowCount(rows);
  stgText->SetRowCount(rows);
  for (int r = 1; r < rows; ++r) stgMemory->SetGridCells(0, r, IntToHex(r - 1, 1));
  for (int c = 1; c <= 16; ++c) {
    stgMemory->SetGridCells(c, 0, IntToHex(c - 1, 1));
    stgText->SetGridCells(c - 1, 0, IntToHex(c - 1, 1));
    if (SetColumnWidths) stgMemory->SetColWidths(c, 20);
  }
  static const std::string ff = "FF", dot = ".";
  for (int r = 1; r < rows; ++r)
    for (int c = 0; c < 16; ++c) {
      stgMemory->SetGridCells(c + 1, r, ff);
      stgText->SetGridCells(c, r, dot);
    }
  stgMemory->EndUpdate();
  stgText->EndUpdate();
}

std::string TEEWindow::HexCell(int Address) const { return stgMemory->Cells(Address % 16 + 1, Address / 16 + 1); }

void TEEWindow::SetByte(int Address, uint8_t Value) { SetByteText(Address, ByteCellText(Value), Value); }

void TEEWindow::SetByteText(int Address, const std::string& HexText, uint8_t Value) {
  const int r = Address / 16 + 1, c = Address % 16;
  stgMemory->SetCells(c + 1, r, HexText);
  stgText->SetCells(c, r, AsciiCellText(Value));
}

void TEEWindow::SetImage(const std::vector<uint8_t>& Image) {
  const int n = std::min<int>(static_cast<int>(Image.size()), (stgMemory->RowCount() - 1) * 16);
  stgMemory->BeginUpdate();
  stgText->BeginUpdate();
  for (int a = 0; a < n; ++a) {
    const int r = a / 16 + 1, c = a % 16;
    stgMemory->SetGridCells(c + 1, r, ByteCellText(Image[a]));
    stgText->SetGridCells(c, r, AsciiCellText(Image[a]));
  }
  stgMemory->EndUpdate();
  stgText->EndUpdate();
}

// ---------------------------------------------------------------- busy state

TEEWindow::TBusyScope::TBusyScope(TEEWindow& W) : w_(W), cursor_(Screen ? Screen->Cursor() : crDefault) {
  if (w_.busy_++ > 0) return;
  if (Screen) Screen->SetCursor(crHourGlass);
  ButtonControl(w_.btnRead)->OnClick = nullptr;
  ButtonControl(w_.btnWrite)->OnClick = nullptr;
  if (w_.large_) {
    w_.stgMemory->SetEnabled(false);
  } else {
    ButtonControl(w_.btnReadOne)->OnClick = nullptr;
    ButtonControl(w_.btnWriteOne)->OnClick = nullptr;
  }
}

TEEWindow::TBusyScope::~TBusyScope() {
  if (--w_.busy_ > 0) return;
  ButtonControl(w_.btnRead)->OnClick = w_.ReadClick;
  ButtonControl(w_.btnWrite)->OnClick = w_.WriteClick;
  if (w_.large_) {
    w_.stgMemory->SetEnabled(true);
  } else {
    ButtonControl(w_.btnReadOne)->OnClick = w_.ReadOneClick;
    ButtonControl(w_.btnWriteOne)->OnClick = w_.WriteOneClick;
  }
  if (Screen) Screen->SetCursor(cursor_);
}

void TEEWindow::RunBusy(const std::function<void()>& Operation) {
  if (MainHost && MainHost->BusRefused()) return;
  TBusyScope busy(*this);
  Operation();
}

// ---------------------------------------------------------------- settings

void TEEWindow::SettingCommitted(TInspectorItem* Item) {
  if (Item == SetupItem(esPageSize))
    PageSizeSetting();
  else if (Item == SetupItem(esWriteTime))
    WriteTimeSetting();
}

int TEEWindow::PageSizeSetting() {
  TInspectorItem* item = SetupItem(esPageSize);
  std::string message;
  const uint32_t v = EEPageSizeOf(Kind(), static_cast<uint32_t>(DeviceSize()), item->TextValue(), message);
  if (!message.empty()) {
    ++refusedSettings_;
    MessageDlg(message, mtWarning, mbOK, 0);
    item->SetIntValue(static_cast<int>(v));
  }
  return static_cast<int>(v);
}

int TEEWindow::WriteTimeSetting() {
  TInspectorItem* item = SetupItem(esWriteTime);
  uint32_t ms = 0;
  std::string message;
  if (EEWriteTimeOf(item->TextValue(), ms, message)) {
    lastWriteTime_ = std::to_string(ms);
    return static_cast<int>(ms);
  }
  ++refusedSettings_;
  MessageDlg(message + "; it stays " + lastWriteTime_ + ".", mtWarning, mbOK, 0);
  item->SetTextValue(lastWriteTime_);
  return StrToInt(lastWriteTime_);
}

bool TEEWindow::CommitSetupEdit() {
  // The bar's buttons take no focus: a value picked or typed is still in the open editor.
  if (!InspectorBar->Editing()) return true;
  const int refused = refusedSettings_;
  InspectorBar->StopEdit(InspectorBar->EditItem());
  return refusedSettings_ == refused;
}

bool TEEWindow::CommitEdits() {
  // The buttons take no focus: a character typed into a cell is still in its open editor.
  for (TExtStringGrid* g : {stgText, stgMemory}) {
    if (!g->EditActive()) continue;
    TInplaceEdit* e = g->InplaceEditor();
    const bool open = e && e->Visible() && g->EditorMode();
    if (!g->ValidateCell(open ? e->Text() : g->Cells(g->Col(), g->Row()))) return false;
  }
  return CommitSetupEdit();
}

TEESettings TEEWindow::Settings() {
  TEESettings s;
  s.Kind = Kind();
  s.Size = static_cast<uint32_t>(DeviceSize());
  s.Address = EEDeviceAddressOf(SetupItem(esAddress)->TextValue());
  s.PageSize = static_cast<uint32_t>(PageSizeSetting());
  s.WriteTime = static_cast<uint32_t>(WriteTimeSetting());
  return s;
}

TEEBytes TEEWindow::ImageOfCells() const {
  return ImageFromCells(Kind(), static_cast<uint32_t>(DeviceSize()), [this](uint32_t a) { return HexCell(static_cast<int>(a)); });
}

// ---------------------------------------------------------------- bus operations

namespace {
// Takes the hex grid out of use for a scope, also when it ends by an exception.
struct TGridOff {
  TExtStringGrid* Grid;
  bool Was;
  explicit TGridOff(TExtStringGrid* g) : Grid(g), Was(g->Enabled()) { Grid->SetEnabled(false); }
  ~TGridOff() { Grid->SetEnabled(Was); }
  TGridOff(const TGridOff&) = delete;
  TGridOff& operator=(const TGridOff&) = delete;
};
}  // namespace

void TEEWindow::ShowProgress(const std::string& Text) {
  if (!MainHost) return;
  MainHost->StatusProgress(Text);
}

void TEEWindow::btnReadOneClick(TObject*) {
  if (!CommitEdits()) return;
  RunBusy([this] {
    const int a = StrictHexToInt(lblWordAddress->Caption());
    if (a < 0 || a >= DeviceSize()) {
      Refuse("Byte address 0x" + lblWordAddress->Caption() + " lies past the device.");
      return;
    }
    // The large window lets what is pending run once, before the sequence (never inside it).
    if (large_ && Application) Application->ProcessMessages();
    TEEMainBus bus(*MainHost);
    TEEBusOps ops(bus, Settings());
    ops.OnProgress = ShowProgress;
    uint8_t v = 0;
    const I2CStatus code = ops.ReadByte(static_cast<uint32_t>(a), v);
    if (code == 0) SetByte(a, v);
    MainHost->ErrorMessage(code);
  });
}

void TEEWindow::btnWriteOneClick(TObject*) {
  if (!CommitEdits()) return;
  RunBusy([this] {
    const int a = StrictHexToInt(lblWordAddress->Caption());
    if (a < 0 || a >= DeviceSize()) {
      Refuse("Byte address 0x" + lblWordAddress->Caption() + " lies past the device.");
      return;
    }
    const uint8_t v = CellByte(Kind(), HexCell(a));
    TEEMainBus bus(*MainHost);
    TEEBusOps ops(bus, Settings());
    ops.OnProgress = ShowProgress;
    MainHost->ErrorMessage(ops.WriteByte(static_cast<uint32_t>(a), v));
  });
}

void TEEWindow::btnReadClick(TObject*) {
  if (!CommitEdits()) return;
  RunBusy([this] {
    TEEMainBus bus(*MainHost);
    TEEBusOps ops(bus, Settings());
    ops.OnProgress = ShowProgress;
    TEEBytes image;
    I2CStatus code;
    if (large_) {
      // Each byte reaches the grids as soon as it is read: a broken read leaves what came.
      code = ops.ReadAll(image, [this](uint32_t a, uint8_t v) { SetByte(static_cast<int>(a), v); });
    } else {
      code = ops.ReadAll(image);
      if (code == 0) SetImage(image);
    }
    MainHost->ErrorMessage(code);
  });
}

void TEEWindow::btnWriteClick(TObject*) {
  if (!CommitEdits()) return;
  RunBusy([this] {
    const TEESettings settings = Settings();
    const TEEBytes image = ImageOfCells();
    TGridOff off(stgMemory);
    TEEMainBus bus(*MainHost);
    TEEBusOps ops(bus, settings);
    ops.OnProgress = ShowProgress;
    std::optional<TEEMismatch> mismatch;
    const I2CStatus code = ops.WriteAll(image, &mismatch);
    if (code == EEVerifyError && mismatch) MessageDlg(EEVerifyFailText(*mismatch), mtError, mbOK, 0);
    MainHost->ErrorMessage(code);
  });
}

void TEEWindow::btnVerifyClick(TObject*) {
  if (Busy() || !CommitEdits() || !MainHost || MainHost->BusRefused()) return;
  const TEESettings settings = Settings();
  const TEEBytes image = ImageOfCells();
  I2CStatus code;
  std::optional<TEEMismatch> mismatch;
  {
    TGridOff off(stgMemory);
    TEEMainBus bus(*MainHost);
    TEEBusOps ops(bus, settings);
    ops.OnProgress = ShowProgress;
    code = ops.Verify(image, &mismatch);
  }
  if (code == EEVerifyError && mismatch) MessageDlg(EEVerifyFailText(*mismatch), mtError, mbOK, 0);
  MainHost->ErrorMessage(EEVerifyButtonCode(code));
}

// ---------------------------------------------------------------- files

void TEEWindow::ApplyFileSettings(const TEEFileSettings& Settings) {
  // Only a device address the row lists is taken (bit 0, a small image's
  // read bit, aside); any other keeps the row's, with a note.
  TStringList* listed = SetupItem(esAddress)->Values();
  bool known = false;
  for (int i = 0; i < listed->Count() && !known; ++i) {
    int v = 0;
    known = TryStrToInt("$" + Trim(listed->Strings(i)), v) && (v & 0xFE) == (Settings.Address & 0xFE);
  }
  if (known)
    SetupItem(esAddress)->SetTextValue(IntToHex(Settings.Address, 2));
  else
    ShowMessage("Address " + IntToHex(Settings.Address, 2) + " of the file is not one this window offers: " +
                SetupItem(esAddress)->TextValue() + " is kept");
  SetupItem(esWriteTime)->SetIntValue(static_cast<int>(Settings.WriteTime));
  lastWriteTime_ = std::to_string(Settings.WriteTime);
  SetupItem(esPageSize)->SetIntValue(static_cast<int>(Settings.PageSize));
}

namespace {
const char* const kExtensions[] = {"mem", "hex", "bin"};
int FileType(const TOpenDialog* d) { return std::clamp(d->FilterIndex(), 1, 3); }
}  // namespace

void TEEWindow::FollowFileType(TOpenDialog* Dialog) {
  Dialog->OnTypeChange = [Dialog](TObject*) { Dialog->SetDefaultExt(kExtensions[FileType(Dialog) - 1]); };
}

void TEEWindow::mnuOpenClick(TObject*) {
  // A file's settings must not be overwritten afterwards by an edit still open.
  if (!CommitEdits()) return;
  if (MainHost) MainHost->ResetWarning();
  TOpenDialog* d = OpenDialog();
  d->SetTitle("Open EEPROM File");
  if (!d->Execute()) return;
  const int type = FileType(d);
  d->SetDefaultExt(kExtensions[type - 1]);
  const std::string name = d->FileName();
  const auto size = static_cast<uint32_t>(DeviceSize());
  // The readers check the whole file before anything reaches the window.
  const TEELoadResult r = type == 2   ? OpenHexFile(size, name, Kind())
                          : type == 3 ? OpenBinFile(size, name)
                                      : OpenMemFile(Kind(), size, name);
  if (!r.Ok) {
    // A refused file changes nothing, not even the caption or the Save As name; a HEX refusal
    // also goes to the status line, and the box says why.
    if (r.ErrorPlace == epStatusLine && MainHost) {
      MainHost->SetStatusText(r.Error);
      MainHost->Warning();
    }
    MessageDlg(r.Detail.empty() ? r.Error : Trim(r.Error) + ": \"" + name + "\"\r" + r.Detail, mtError, mbOK, 0);
    return;
  }
  if (type == 2) SaveDialog()->SetFileName(name);
  for (const std::string& note : r.Notes) ShowMessage(note);
  if (r.Settings) ApplyFileSettings(*r.Settings);
  SetImage(r.Data);
  SetCaption(name);
}

void TEEWindow::SaveAsClick(TObject*) {
  if (!CommitEdits()) return;
  if (MainHost) MainHost->ResetWarning();
  TSaveDialog* d = SaveDialog();
  d->SetTitle("Save EEPROM Data As");
  if (!d->Execute()) return;
  const int type = FileType(d);
  d->SetDefaultExt(kExtensions[type - 1]);
  const std::string name = d->FileName();
  // Every cell is converted before the file is touched.
  const TEEBytes image = ImageOfCells();
  if (type == 1) {
    TEEFileSettings fs;
    const std::string address = SetupItem(esAddress)->TextValue();
    int shown = 0;
    if (large_)
      fs.Address = EEDeviceAddressOf(address);
    else
      fs.Address = TryStrToInt("$" + Trim(address), shown) && shown >= 0 && shown <= 0xFF
                       ? static_cast<uint8_t>(shown)
                       : static_cast<uint8_t>(0xA0);
    fs.PageSize = static_cast<uint32_t>(PageSizeSetting());
    fs.WriteTime = static_cast<uint32_t>(WriteTimeSetting());
    SaveMemFile(Kind(), name, fs, image);
  } else if (type == 2) {
    SaveHexFile(name, image);
  } else {
    SaveBinFile(name, image);
  }
  SetCaption(name);
}

// ---------------------------------------------------------------- grids

void TEEWindow::HexSelect(int ACol, int ARow) {
  if (ACol < 1 || ARow < 1) return;
  lblWordAddress->SetCaption(IntToHex((ARow - 1) * 16 + ACol - 1, AddressDigits()));
}

void TEEWindow::TextSelect(int ACol, int ARow) {
  if (ACol < 0 || ARow < 1) return;
  lblWordAddress->SetCaption(IntToHex((ARow - 1) * 16 + ACol, AddressDigits()));
}

void TEEWindow::RememberBeforeEdit(int Address) {
  if (pending_.Address == Address) return;
  pending_.Address = Address;
  pending_.HexBefore = HexCell(Address);
}

void TEEWindow::HexEditText(int ACol, int ARow, const std::string& Value) {
  if (ACol < 1 || ARow < 1) return;
  const int a = (ARow - 1) * 16 + ACol - 1;
  if (Trim(Value).size() <= 1) return;
  // The byte the cell holds, read as this window reads hex text.
  const uint8_t v = static_cast<uint8_t>(HexValue(Value) & 0xFF);
  if (pending_.Address != a) {
    pending_.Address = a;
    pending_.HexBefore = stgMemory->EditStartText();
  }
  stgText->SetCells(ACol - 1, ARow, AsciiCellText(v));
}

void TEEWindow::HexValidate(int ACol, int ARow, std::string& Value, bool& Valid) {
  const std::string v = NormalizeByteCell(Value);
  if (!IsByteCellText(v)) {
    Valid = false;
    Refuse("\"" + Value + "\" is not a byte: enter a single two digit Hex number into each cell.");
    return;
  }
  Value = v;
  pending_ = {};
  stgText->SetCells(ACol - 1, ARow, AsciiCellText(*ByteCellValue(v)));
}

void TEEWindow::HexKeyDown(WORD& Key) {
  if (Key != VK_TAB || stgMemory->EditActive()) return;
  // A cell left with Tab holds two digits, as an edited cell does.
  const int c = stgMemory->Col(), r = stgMemory->Row();
  if (c < 1 || r < 1) return;
  const std::string v = NormalizeByteCell(stgMemory->Cells(c, r));
  if (IsByteCellText(v) && v != stgMemory->Cells(c, r)) {
    stgMemory->SetCells(c, r, v);
    stgText->SetCells(c - 1, r, AsciiCellText(*ByteCellValue(v)));
  }
}

void TEEWindow::TextKeyPress(char& Key) {
  // A character without a Windows-1252 byte has no byte to store: refused, the byte stays.
  const char32_t typed = KeyPressTypedChar();
  if (Key == '?' && typed != 0 && typed != U'?') {
    Key = 0;
    MessageBeep(0);
    return;
  }
  if (!EEPrintableKey(Key)) return;
  const int c = stgText->Col(), r = stgText->Row();
  if (c < 0 || r < 1) return;
  const int a = (r - 1) * 16 + c;
  RememberBeforeEdit(a);
  // The one-character editor would refuse a second key and keep the first: the key replaces the
  // character instead, so the cell shows the byte the key sets.
  TInplaceEdit* e = stgText->InplaceEditor();
  if (e && e->Visible() && stgText->EditorMode()) e->SelectAll();
  stgMemory->SetCells(c + 1, r, ByteCellText(static_cast<uint8_t>(Key)));
}

void TEEWindow::TextValidate(int ACol, int ARow, std::string& Value, bool& Valid) {
  Valid = true;
  // One character typed or pasted is the byte; anything else leaves the byte as it is.
  if (Value.size() == 1 && EEPrintableKey(Value[0])) {
    stgMemory->SetCells(ACol + 1, ARow, ByteCellText(static_cast<uint8_t>(Value[0])));
  } else if (Value.size() > 1 && IsValidUtf8(Value)) {
    size_t i = 0;
    char32_t ch = 0;
    const int b = DecodeUtf8Char(Value, i, ch) && i == Value.size() ? UnicodeToWin1252Char(ch) : -1;
    if (b >= 128) stgMemory->SetCells(ACol + 1, ARow, ByteCellText(static_cast<uint8_t>(b)));
  }
  pending_ = {};
  const auto byte = ByteCellValue(stgMemory->Cells(ACol + 1, ARow));
  Value = byte ? AsciiCellText(*byte) : ".";
}

void TEEWindow::SyncTop(TExtStringGrid* From, TExtStringGrid* To) {
  if (syncingTop_) return;
  syncingTop_ = true;
  if (To->TopRow() != From->TopRow() && From->TopRow() < To->RowCount()) To->SetTopRow(From->TopRow());
  syncingTop_ = false;
}

bool TEEWindow::InTextGrid() const {
  TWinControl* a = ActiveControl();
  if (a == stgText) return true;
  TInplaceEdit* e = stgText->InplaceEditor();
  return e && (a == e || e->Focused() || (stgText->EditorMode() && stgText->Focused()));
}

void TEEWindow::FormKeyPress(TObject*, char& Key) {
  // The ASCII grid takes any character; elsewhere only hex digits and the editing keys.
  if (InTextGrid() || stgText->EditActive()) return;
  const char k = Key;
  if (k == 8 || k == 9 || k == 13 || (k >= '0' && k <= '9') || (k >= 'A' && k <= 'F') || (k >= 'a' && k <= 'f'))
    return;
  Key = 0;
}

void TEEWindow::FormKeyDown(TObject*, WORD& Key, TShiftState) {
  if (Key != VK_ESCAPE || pending_.Address < 0 || !(stgMemory->EditActive() || stgText->EditActive())) return;
  // Escape abandons the cell edit in either grid: the byte gets back its text from before it.
  const int a = pending_.Address;
  const std::string before = pending_.HexBefore;
  pending_ = {};
  const auto byte = ByteCellValue(before);
  stgMemory->SetCells(a % 16 + 1, a / 16 + 1, before);
  stgText->SetCells(a % 16, a / 16 + 1, byte ? AsciiCellText(*byte) : ".");
}

// ---------------------------------------------------------------- grid operations

void TEEWindow::Refuse(const std::string& Text) { MessageDlg(Text, mtWarning, mbOK, 0); }

void TEEWindow::btnFillClick(TObject*) {
  const int from = FieldValue(FillFrom), to = FieldValue(FillTo);
  const int maxA = MaxAddress();
  if (to > maxA) {
    Refuse("The \"To hex address\" must be less than\r" + SetupItem(esDeviceSize)->TextValue() + "  (0x" +
           IntToHex(maxA, 3) + ")");
    FillTo->SetText(IntToHex(maxA, 3));
    return;
  }
  if (to < from) {
    Refuse("The \"From Address\"\rmust be less than\r\"To Address\"");
    return;
  }
  // Checked before any cell changes: a byte cell holds two hex digits.
  const std::string value = NormalizeByteCell(FillWith->Text());
  if (Trim(FillWith->Text()).empty() || !IsByteCellText(value)) {
    Refuse("The fill value \"" + FillWith->Text() + "\" is not a byte: enter one or two hex digits.");
    return;
  }
  if (value != FillWith->Text()) FillWith->SetText(value);
  const uint8_t b = *ByteCellValue(value);
  stgMemory->BeginUpdate();
  stgText->BeginUpdate();
  for (int a = from; a <= to; ++a) SetByteText(a, value, b);
  stgMemory->EndUpdate();
  stgText->EndUpdate();
}

namespace {
void Checkerboard(TEEWindow& W, uint8_t First, uint8_t Second) {
  const int pairs = (W.stgMemory->RowCount() - 1) / 2;
  W.stgMemory->BeginUpdate();
  W.stgText->BeginUpdate();
  for (int p = 0; p < pairs; ++p)
    for (int c = 0; c < 16; ++c) {
      W.SetByte(p * 32 + c, First);
      W.SetByte(p * 32 + 16 + c, Second);
    }
  W.stgMemory->EndUpdate();
  W.stgText->EndUpdate();
}
}  // namespace

void TEEWindow::mnuCheckerboardClick(TObject*) { Checkerboard(*this, 0x55, 0xAA); }

void TEEWindow::mnuInvCheckerboardClick(TObject*) { Checkerboard(*this, 0xAA, 0x55); }

void TEEWindow::btnCopyClick(TObject*) {
  const int s = FieldValue(CopyStart), e = FieldValue(CopyEnd), t = FieldValue(TargetStart);
  const int maxA = MaxAddress();
  if (s > e) {
    Refuse("Copy From \"Starting Address\" must be less than Copy From \"Ending Address\"");
    return;
  }
  const int te = t + (e - s);
  if (te > maxA || s > maxA) {
    Refuse("Copied block extends beyond the maximum EEPROM address.\rEnding address must be less than 0x" +
           IntToHex(maxA, 3));
    return;
  }
  // The source is taken whole first, so overlapping blocks move as a block.
  std::vector<std::string> block;
  block.reserve(static_cast<size_t>(e - s + 1));
  for (int a = s; a <= e; ++a) block.push_back(HexCell(a).substr(0, 2));
  stgMemory->BeginUpdate();
  stgText->BeginUpdate();
  for (size_t i = 0; i < block.size(); ++i) {
    const auto v = ByteCellValue(block[i]);
    SetByteText(t + static_cast<int>(i), block[i], v ? *v : static_cast<uint8_t>(HexValue(block[i]) & 0xFF));
  }
  stgMemory->EndUpdate();
  stgText->EndUpdate();
}

void TEEWindow::SetQuiet(TEdit* Edit, const std::string& Text) {
  TNotifyEvent saved = Edit->OnChange;
  Edit->OnChange = nullptr;
  Edit->SetText(Text);
  Edit->OnChange = saved;
}

void TEEWindow::UpdateTargetEnd() { TargetEnd->SetText(IntToHex(t_ + (e_ - s_), AddressDigits())); }

void TEEWindow::TakeCopyFields() {
  s_ = std::max(0, FieldValue(CopyStart));
  e_ = std::max(0, FieldValue(CopyEnd));
  t_ = std::max(0, FieldValue(TargetStart));
}

void TEEWindow::CopyStartChange(TObject*) {
  if (CopyStart->Text().empty()) return;
  s_ = FieldValue(CopyStart);
  if (s_ > MaxAddress()) {
    ShowMessage("Maximum address = " + IntToHex(MaxAddress(), AddressDigits()));
    SetQuiet(CopyStart, "0");
    s_ = 0;
  }
  UpdateTargetEnd();
}

void TEEWindow::CopyEndChange(TObject*) {
  if (CopyEnd->Text().empty()) return;
  e_ = FieldValue(CopyEnd);
  if (e_ > MaxAddress()) {
    ShowMessage("Maximum address = " + IntToHex(MaxAddress(), AddressDigits()));
    SetQuiet(CopyEnd, IntToHex(MaxAddress(), AddressDigits()));
    e_ = MaxAddress();
  }
  UpdateTargetEnd();
}

void TEEWindow::TargetChange(TObject*) {
  if (TargetStart->Text().empty()) return;
  t_ = FieldValue(TargetStart);
  if (t_ > MaxAddress()) {
    ShowMessage("Maximum address = " + IntToHex(MaxAddress(), AddressDigits()));
    SetQuiet(TargetStart, IntToHex(MaxAddress(), AddressDigits()));
    t_ = MaxAddress();
  }
  UpdateTargetEnd();
}

void TEEWindow::CopyStartExit(TObject*) { CopyStart->SetText(IntToHex(FieldValue(CopyStart), AddressDigits())); }

void TEEWindow::TargetExit(TObject*) { TargetStart->SetText(IntToHex(FieldValue(TargetStart), AddressDigits())); }

void TEEWindow::CopyEndExit(TObject*) {
  const int s = FieldValue(CopyStart), e = FieldValue(CopyEnd);
  if (s <= e) {
    CopyEnd->SetText(IntToHex(e, 3));
    return;
  }
  Refuse("End of Block must be greater than beginning of block");
  CopyEnd->SetText(IntToHex(s + 1, 3));
}

// ---------------------------------------------------------------- window commands

void TEEWindow::Activate() {
  TForm::Activate();
  // A minimised window made active by its neighbour's minimising (Minimize All) stays minimised.
  if (WindowState() != wsMinimized) SetWindowState(wsMaximized);
  if (MainHost) MainHost->ResetWarning();
}

void TEEWindow::DoClose(TCloseAction& Action) {
  TForm::DoClose(Action);
  Action = caFree;
}

void TEEWindow::mnuCloseClick(TObject*) { Release(); }

// Every window asks its own close question, as Close All from the other windows does: releasing
// them would lose an unsaved table without a word.
void TEEWindow::mnuCloseAllClick(TObject*) {
  if (!MainHost) return;
  MainHost->CloseMDIChildren();
  MainHost->ResetWarning();
}

// A window whose question was cancelled keeps the program running.
void TEEWindow::mnuExitClick(TObject*) {
  if (MainHost && !MainHost->CloseMDIChildren()) return;
  Application->Terminate();
}
